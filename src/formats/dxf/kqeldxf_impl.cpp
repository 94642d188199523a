#include "formats/dxf/kqeldxf_impl.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include <sys/stat.h>

#include "base/kclocale.h"

namespace qelsdk_600 {
namespace dxf_detail {

namespace {

const std::size_t kBufferSize = 65536;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

PairReader::PairReader()
    : mFile(nullptr), mSize(0), mBufferStart(0), mLength(0), mCursor(0), mCode(0)
{
}

PairReader::~PairReader()
{
    Close();
}

bool PairReader::Open(const char* pPath)
{
    Close();
    if (!pPath)
        return false;
    std::FILE* file = std::fopen(pPath, "rb");
    if (!file)
        return false;
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fclose(file);
        return false;
    }
    mFile = file;
    mSize = static_cast<std::int64_t>(status.st_size);
    mBuffer.resize(kBufferSize);
    mBufferStart = 0;
    mLength = mCursor = 0;
    mCode = 0;
    mValue.clear();
    return true;
}

bool PairReader::Close()
{
    if (!mFile)
        return true;
    const bool closed = std::fclose(mFile) == 0;
    mFile = nullptr;
    mBuffer.clear();
    mBuffer.shrink_to_fit();
    return closed;
}

bool PairReader::Seek(std::int64_t pPosition)
{
    if (!mFile || pPosition < 0)
        return false;
    if (pPosition >= mBufferStart && pPosition <= mBufferStart + static_cast<std::int64_t>(mLength)) {
        mCursor = static_cast<std::size_t>(pPosition - mBufferStart);
        return true;
    }
    if (fseeko(mFile, static_cast<off_t>(pPosition), SEEK_SET) != 0)
        return false;
    mBufferStart = pPosition;
    mLength = mCursor = 0;
    return true;
}

bool PairReader::Fill()
{
    // Called with the buffer used up: the stream stands at its end (Seek
    // moves the stream when it leaves the buffer).
    mBufferStart = Tell();
    mCursor = 0;
    mLength = std::fread(mBuffer.data(), 1, mBuffer.size(), mFile);
    return mLength > 0;
}

bool PairReader::ReadLine(std::string& pLine)
{
    pLine.clear();
    if (!mFile)
        return false;
    bool any = false;
    for (;;) {
        if (mCursor == mLength && !Fill())
            return any;
        const char* start = mBuffer.data() + mCursor;
        const char* end = mBuffer.data() + mLength;
        const char* stop = start;
        while (stop < end && *stop != '\n' && *stop != '\r')
            ++stop;
        const std::size_t room = kMaxLineLength - pLine.size();
        const std::size_t taken = static_cast<std::size_t>(stop - start);
        pLine.append(start, taken < room ? taken : room);
        mCursor += taken;
        any = true;
        if (stop == end)
            continue;
        ++mCursor;
        if (*stop == '\r') {
            if (mCursor == mLength)
                Fill();
            if (mCursor < mLength && mBuffer[mCursor] == '\n')
                ++mCursor;
        }
        return true;
    }
}

bool PairReader::Next()
{
    if (!ReadLine(mLine))
        return false;
    ParseInt(mLine, mCode);
    if (!ReadLine(mLine))
        return false;
    std::size_t first = 0;
    std::size_t last = mLine.size();
    while (first < last && IsBlank(mLine[first]))
        ++first;
    while (last > first && IsBlank(mLine[last - 1]))
        --last;
    mValue.assign(mLine, first, last - first);
    return true;
}

bool ParseInt(const std::string& pText, int& pValue)
{
    std::size_t i = 0;
    while (i < pText.size() && IsBlank(pText[i]))
        ++i;
    bool negative = false;
    if (i < pText.size() && (pText[i] == '+' || pText[i] == '-'))
        negative = pText[i++] == '-';
    if (i >= pText.size() || pText[i] < '0' || pText[i] > '9')
        return false;
    long long value = 0;
    for (; i < pText.size() && pText[i] >= '0' && pText[i] <= '9'; ++i) {
        if (value <= static_cast<long long>(INT_MAX) + 1)
            value = value * 10 + (pText[i] - '0');
    }
    if (negative)
        value = -value;
    pValue = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
    return true;
}

bool ParseDouble(const std::string& pText, double& pValue)
{
    char* end = nullptr;
    const double value = KParseDoubleC(pText.c_str(), &end);
    if (end == pText.c_str() || !std::isfinite(value))
        return false;
    pValue = value;
    return true;
}

MeshLists::MeshLists(bool pWeld, int pPointBlock)
    : mPoints(pPointBlock), mPolygons(16), mGrid(pWeld ? new KQelPointGrid(nullptr, 0) : nullptr)
{
    mPolygons.Add(0);
    mPolygons.Add(0);
}

int MeshLists::AddPoint(const KQelVector4& pPoint)
{
    const int index = mPoints.Add(pPoint);
    if (index >= 0 && mGrid)
        mGrid->Append(mPoints.GetArray());
    return index;
}

int MeshLists::FindPoint(const KQelVector4& pPoint) const
{
    return mGrid ? mGrid->FindFirstEqual(pPoint) : -1;
}

int MeshLists::FindOrAddPoint(const KQelVector4& pPoint)
{
    const int found = FindPoint(pPoint);
    return found >= 0 ? found : AddPoint(pPoint);
}

void MeshLists::BeginRecord(int pCorners, int pColour, bool pNoteColour)
{
    if (pColour > 0 && pNoteColour)
        mPolygons[0] = 1;
    mPolygons.Add(pCorners);
    mPolygons.Add(pColour);
}

EntityValues::EntityValues()
    : mPoint{}, mScale{1.0, 1.0, 1.0}, mAngle(0.0), mColour(0), mHasColour(false), mFlags(0), mNumbers{}
{
}

void EntityValues::Take(int pCode, const std::string& pValue, const int* pCodes, int pCount)
{
    int i = 0;
    while (i < pCount && pCodes[i] != pCode)
        ++i;
    if (i == pCount)
        return;
    if (pCode == 8)
        mLayer = pValue;
    else if (pCode == 2)
        mName = pValue;
    else if (pCode >= 10 && pCode <= 33 && pCode % 10 <= 3)
        ParseDouble(pValue, mPoint[pCode % 10][pCode / 10 - 1]);
    else if (pCode >= 41 && pCode <= 43)
        ParseDouble(pValue, mScale[pCode - 41]);
    else if (pCode == 50)
        ParseDouble(pValue, mAngle);
    else if (pCode == 62)
        mHasColour = ParseInt(pValue, mColour) || mHasColour;
    else if (pCode == 70)
        ParseInt(pValue, mFlags);
    else if (pCode >= 71 && pCode <= 74)
        ParseInt(pValue, mNumbers[pCode - 71]);
}

KQelVector4 EntityValues::ScenePoint(int pPoint) const
{
    const double* p = mPoint[pPoint];
    return KQelVector4(p[0], p[2], -p[1], 1.0);
}

}  // namespace dxf_detail
}  // namespace qelsdk_600
