#include "formats/dxf/kqeldxf_impl.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "base/kclocale.h"

namespace qelsdk_600 {
namespace dxf_detail {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

PairReader::PairReader() : mCode(0), mLine(kMaxLineLength + 1), mLineLength(0) {}

bool PairReader::Open(const char* pPath)
{
    mCode = 0;
    mValue.clear();
    return mFile.Open(pPath);
}

bool PairReader::ReadLine()
{
    bool ended = false;
    if (!mFile.ReadLine(mLine.data(), kMaxLineLength, mLineLength, ended))
        return false;
    if (!ended)
        mFile.SkipLine();
    return true;
}

bool PairReader::Next()
{
    if (!ReadLine())
        return false;
    ParseInt(std::string(mLine.data(), mLineLength), mCode);
    if (!ReadLine())
        return false;
    std::size_t first = 0;
    std::size_t last = mLineLength;
    while (first < last && IsBlank(mLine[first]))
        ++first;
    while (last > first && IsBlank(mLine[last - 1]))
        --last;
    mValue.assign(mLine.data() + first, last - first);
    return true;
}

bool ParseInt(const std::string& pText, int& pValue)
{
    long long value = 0;
    if (!KReadInteger(pText.c_str(), value))
        return false;
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
