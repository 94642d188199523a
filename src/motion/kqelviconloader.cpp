#include "motion/kqelviconloader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

namespace qelsdk_600 {

namespace {

static_assert(sizeof(float) == 4, "C3D floats are 32-bit");

const kUShort kHeaderKey = 0x5000;
const kUShort kDataKey = 12345;
const int kReservedBytes = 274;
// Events must end inside the 512-byte header block: 302 + 9 x n <= 512.
const int kMaxEvents = 23;
const float kIntegerScale = 0.14490029f;

// The element types a parameter's type byte names.
struct FileType {
    signed char mByte;
    KViconArray::EType mType;
};
const FileType kFileTypes[] = {
    {-1, KViconArray::eChar},
    {1, KViconArray::eUInt8},
    {2, KViconArray::eInt16},
    {4, KViconArray::eFloat32},
};

int FormIndex(int pForm)
{
    return pForm >= eViconIntel && pForm <= eViconMips ? pForm - 1 : 0;
}

// Truncation toward zero that saturates at the target's range (NaN: 0).
template <class T>
T SaturatedInteger(double pValue)
{
    if (!(pValue == pValue))
        return 0;
    const double low = static_cast<double>(std::numeric_limits<T>::min());
    const double high = static_cast<double>(std::numeric_limits<T>::max());
    if (pValue <= low)
        return std::numeric_limits<T>::min();
    if (pValue >= high)
        return std::numeric_limits<T>::max();
    return static_cast<T>(pValue);
}

float SaturatedFloat(double pValue)
{
    if (!(pValue == pValue))
        return 0.0f;
    return static_cast<float>(std::max(-static_cast<double>(FLT_MAX), std::min(pValue, static_cast<double>(FLT_MAX))));
}

}  // namespace

// ---- Number forms ----

const int KViconLoaderBase::sSwapOrderLUT[3][3][4] = {
    {{0, 1, 2, 3}, {2, 3, 0, 1}, {3, 2, 1, 0}},
    {{2, 3, 0, 1}, {0, 1, 2, 3}, {1, 0, 3, 2}},
    {{3, 2, 1, 0}, {1, 0, 3, 2}, {0, 1, 2, 3}},
};
const int KViconLoaderBase::sExponentByteLUT[3] = {3, 1, 0};
const int KViconLoaderBase::sExponentAdditionLUT[3][3] = {
    {0, -1, 0},
    {1, 0, 1},
    {0, -1, 0},
};

void KViconLoaderBase::ConvertUShort(int pFrom, int pTo, kUShort& pValue)
{
    if (pFrom != pTo && (pFrom == eViconMips || pTo == eViconMips))
        pValue = static_cast<kUShort>((pValue >> 8) | (pValue << 8));
}

void KViconLoaderBase::ConvertShort(int pFrom, int pTo, kShort& pValue)
{
    kUShort bits = static_cast<kUShort>(pValue);
    ConvertUShort(pFrom, pTo, bits);
    pValue = static_cast<kShort>(bits);
}

void KViconLoaderBase::ConvertFloatBytes(int pFrom, int pTo, unsigned char* pBytes)
{
    const int from = FormIndex(pFrom);
    const int to = FormIndex(pTo);
    if (from == to)
        return;
    unsigned char target[4];
    for (int i = 0; i < 4; ++i)
        target[sSwapOrderLUT[to][from][i]] = pBytes[i];
    // A zero (of either sign) has only its sign bit set, in the sign byte.
    bool zero = true;
    for (int i = 0; i < 4; ++i) {
        const unsigned char allowed = i == sExponentByteLUT[from] ? 0x80 : 0x00;
        zero = zero && (pBytes[i] == 0 || pBytes[i] == allowed);
    }
    if (!zero)
        target[sExponentByteLUT[to]] =
            static_cast<unsigned char>(target[sExponentByteLUT[to]] + sExponentAdditionLUT[to][from]);
    std::memcpy(pBytes, target, 4);
}

void KViconLoaderBase::ConvertFloat(int pFrom, int pTo, float& pValue)
{
    unsigned char bytes[4];
    std::memcpy(bytes, &pValue, 4);
    ConvertFloatBytes(pFrom, pTo, bytes);
    std::memcpy(&pValue, bytes, 4);
}

void KViconLoaderBase::FillVariable(void* pTarget, const void* pSource, int pCount)
{
    if (pCount > 0)
        std::memcpy(pTarget, pSource, static_cast<size_t>(pCount));
}

// ---- Construction ----

KViconLoaderBase::KViconLoaderBase()
    : mFile(nullptr),
      mFileSize(0),
      mParameterBlock(2),
      mPointCount(0),
      mAnalogCount(0),
      mFirstFrame(0),
      mLastFrame(0),
      mInterpolationGap(0),
      mScale(kIntegerScale),
      mDataBlock(0),
      mAnalogRate(1),
      mFrameRate(30.0f),
      mPointGroup(1),
      mKeepPrefixes(false),
      mUnitFactor(0.1),
      mAxisMap{-1, 3, 2},
      mFileForm(eViconIntel),
      mHostForm(eViconIntel),
      mPosition(0),
      mFilled(0),
      mBlockNumber(-1),
      mAtEnd(false),
      mWriteFailed(false)
{
    std::memset(mBlock, 0, sizeof(mBlock));
}

KViconLoaderBase::~KViconLoaderBase() {}

// ---- Buffered reading ----

void KViconLoaderBase::ResetBuffer()
{
    mPosition = 0;
    mFilled = 0;
    mBlockNumber = -1;
    mAtEnd = false;
}

bool KViconLoaderBase::ReadBlock()
{
    const size_t read = mFile ? std::fread(mBlock + kCarry, 1, kBlockSize, mFile) : 0;
    ++mBlockNumber;
    mPosition = 0;
    mFilled = static_cast<int>(read);
    if (read < 1) {
        mAtEnd = true;
        return false;
    }
    return true;
}

bool KViconLoaderBase::Fetch(unsigned char* pBytes, int pCount)
{
    if (mAtEnd)
        return false;
    unsigned char* data = mBlock + kCarry;
    const int left = mFilled - mPosition;
    if (left >= pCount) {
        std::memcpy(pBytes, data + mPosition, static_cast<size_t>(pCount));
        mPosition += pCount;
        return true;
    }
    // At most three bytes are carried in front of the next block.
    std::memmove(data - left, data + mPosition, static_cast<size_t>(left));
    if (!ReadBlock())
        return false;
    if (mFilled < pCount - left) {
        mAtEnd = true;
        return false;
    }
    std::memcpy(pBytes, data - left, static_cast<size_t>(pCount));
    mPosition = pCount - left;
    return true;
}

bool KViconLoaderBase::GetChar(char& pValue)
{
    unsigned char byte = 0;
    if (!Fetch(&byte, 1))
        return false;
    pValue = static_cast<char>(byte);
    return true;
}

bool KViconLoaderBase::GetChar(signed char& pValue)
{
    unsigned char byte = 0;
    if (!Fetch(&byte, 1))
        return false;
    pValue = static_cast<signed char>(byte);
    return true;
}

bool KViconLoaderBase::GetChar(unsigned char& pValue)
{
    return Fetch(&pValue, 1);
}

bool KViconLoaderBase::GetShort(kUShort& pValue)
{
    unsigned char bytes[2];
    if (!Fetch(bytes, 2))
        return false;
    // As an Intel host holds it, then converted.
    kUShort value = static_cast<kUShort>(bytes[0] | (bytes[1] << 8));
    ConvertUShort(mFileForm, mHostForm, value);
    pValue = value;
    return true;
}

bool KViconLoaderBase::GetShort(kShort& pValue)
{
    kUShort value = 0;
    if (!GetShort(value))
        return false;
    pValue = static_cast<kShort>(value);
    return true;
}

bool KViconLoaderBase::GetFloat(float& pValue)
{
    unsigned char bytes[4];
    if (!Fetch(bytes, 4))
        return false;
    ConvertFloatBytes(mFileForm, mHostForm, bytes);
    // The Intel form is IEEE single, least significant byte first.
    const kUInt bits = static_cast<kUInt>(bytes[0]) | (static_cast<kUInt>(bytes[1]) << 8) |
                       (static_cast<kUInt>(bytes[2]) << 16) | (static_cast<kUInt>(bytes[3]) << 24);
    std::memcpy(&pValue, &bits, 4);
    return true;
}

int KViconLoaderBase::GetString(char* pBuffer, int pCount)
{
    int read = 0;
    for (; read < pCount; ++read) {
        if (!GetChar(pBuffer[read]))
            break;
    }
    pBuffer[read] = '\0';
    return read;
}

bool KViconLoaderBase::SkipChar()
{
    unsigned char byte;
    return Fetch(&byte, 1);
}

bool KViconLoaderBase::SkipShort()
{
    unsigned char bytes[2];
    return Fetch(bytes, 2);
}

bool KViconLoaderBase::SkipFloat()
{
    unsigned char bytes[4];
    return Fetch(bytes, 4);
}

kLongLong KViconLoaderBase::SkipString(kLongLong pCount)
{
    kLongLong skipped = 0;
    while (skipped < pCount && !mAtEnd) {
        const int left = mFilled - mPosition;
        if (left == 0) {
            if (!ReadBlock())
                break;
            continue;
        }
        const int step = static_cast<int>(std::min<kLongLong>(left, pCount - skipped));
        mPosition += step;
        skipped += step;
    }
    return skipped;
}

bool KViconLoaderBase::Goto(int pBlock, int pWhence)
{
    if (pBlock < 0 || !mFile)
        return false;
    if (pBlock == mBlockNumber && mFilled > 0) {
        mPosition = 0;
        mAtEnd = false;
        return true;
    }
    if (!(pBlock == mBlockNumber + 1 && mFilled == kBlockSize && pWhence == SEEK_SET)) {
        if (std::fseek(mFile, static_cast<long>(pBlock) * kBlockSize, pWhence) != 0)
            return false;
    }
    mAtEnd = false;
    mBlockNumber = pBlock - 1;
    return ReadBlock();
}

void KViconLoaderBase::SaveReadState(ReadState& pState)
{
    pState.mFilePosition = mFile ? std::ftell(mFile) : 0;
    pState.mPosition = mPosition;
    pState.mFilled = mFilled;
    pState.mBlockNumber = mBlockNumber;
    pState.mAtEnd = mAtEnd;
    std::memcpy(pState.mBlock, mBlock, sizeof(mBlock));
}

void KViconLoaderBase::RestoreReadState(const ReadState& pState)
{
    if (mFile)
        std::fseek(mFile, pState.mFilePosition, SEEK_SET);
    mPosition = pState.mPosition;
    mFilled = pState.mFilled;
    mBlockNumber = pState.mBlockNumber;
    mAtEnd = pState.mAtEnd;
    std::memcpy(mBlock, pState.mBlock, sizeof(mBlock));
}

// ---- Writing ----

bool KViconLoaderBase::Seek(long pOffset, int pWhence)
{
    if (!mFile || std::fseek(mFile, pOffset, pWhence) != 0)
        mWriteFailed = true;
    return true;
}

long KViconLoaderBase::Tell()
{
    return mFile ? std::ftell(mFile) : 0;
}

bool KViconLoaderBase::PutChar(char pValue)
{
    if (!mFile || std::fputc(static_cast<unsigned char>(pValue), mFile) == EOF)
        mWriteFailed = true;
    return !mWriteFailed;
}

bool KViconLoaderBase::PutChar(signed char pValue)
{
    return PutChar(static_cast<char>(pValue));
}

bool KViconLoaderBase::PutChar(unsigned char pValue)
{
    return PutChar(static_cast<char>(pValue));
}

bool KViconLoaderBase::PutShort(kUShort pValue)
{
    PutChar(static_cast<unsigned char>(pValue & 0xFF));
    return PutChar(static_cast<unsigned char>(pValue >> 8));
}

bool KViconLoaderBase::PutShort(kShort pValue)
{
    return PutShort(static_cast<kUShort>(pValue));
}

bool KViconLoaderBase::PutFloat(float pValue)
{
    kUInt bits = 0;
    std::memcpy(&bits, &pValue, 4);
    unsigned char top = static_cast<unsigned char>(bits >> 24);
    if (top == 0x80)
        top = 0;
    const unsigned char bytes[4] = {static_cast<unsigned char>(bits >> 16), top, static_cast<unsigned char>(bits),
                                    static_cast<unsigned char>(bits >> 8)};
    const bool zero = bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0;
    for (int i = 0; i < 4; ++i)
        PutChar(static_cast<unsigned char>(i == 1 && !zero ? bytes[i] + 1 : bytes[i]));
    return !mWriteFailed;
}

int KViconLoaderBase::PutString(const char* pText, int pCount)
{
    if (pCount > 0 && (!mFile || std::fwrite(pText, 1, static_cast<size_t>(pCount), mFile) !=
                                         static_cast<size_t>(pCount)))
        mWriteFailed = true;
    return pCount;
}

bool KViconLoaderBase::PadChar(char pValue, int pCount)
{
    for (int i = 0; i < pCount; ++i)
        PutChar(pValue);
    return !mWriteFailed;
}

std::unique_ptr<KViconTag> KViconLoaderBase::PutShortTag(kShort pValue)
{
    std::unique_ptr<KViconTag> tag(new KViconTag(Tell(), pValue));
    PutShort(pValue);
    return tag;
}

bool KViconLoaderBase::WriteOk() const
{
    return !mWriteFailed && mFile && !std::ferror(mFile);
}

// ---- Header ----

int KViconLoaderBase::GetFileProcessorType(FILE* pFile, int pParameterBlock)
{
    int form = eViconIntel;
    const long offset = (static_cast<long>(pParameterBlock) - 1) * kBlockSize + 3;
    if (pFile && pParameterBlock >= 1 && std::fseek(pFile, offset, SEEK_SET) == 0) {
        const int byte = std::fgetc(pFile);
        if (byte >= 83 + eViconIntel && byte <= 83 + eViconMips)
            form = byte - 83;
    }
    if (pFile)
        std::rewind(pFile);
    return form;
}

bool KViconLoaderBase::ReadHeader(FILE* pFile)
{
    mFile = pFile;
    if (!mFile || std::fseek(mFile, 0, SEEK_SET) != 0)
        return false;
    ResetBuffer();
    // Word 0 is low byte first in every form.
    unsigned char first[2];
    if (!Fetch(first, 2))
        return false;
    const kUShort word0 = static_cast<kUShort>(first[0] | (first[1] << 8));
    if ((word0 & 0xF000) != kHeaderKey)
        return false;
    mParameterBlock = word0 & 0x0FFF;
    kUShort words[5];
    for (kUShort& word : words) {
        if (!GetShort(word))
            return false;
    }
    mPointCount = words[0];
    mAnalogCount = words[1];
    mFirstFrame = words[2];
    mLastFrame = words[3];
    mInterpolationGap = words[4];
    kUShort dataBlock = 0;
    kUShort analogRate = 0;
    kUShort key = 0;
    kUShort eventCount = 0;
    float scale = 0.0f;
    float rate = 0.0f;
    if (!GetFloat(scale) || !GetShort(dataBlock) || !GetShort(analogRate) || !GetFloat(rate) ||
        SkipString(kReservedBytes) != kReservedBytes || !GetShort(key) || !GetShort(eventCount))
        return false;
    // Out of range, NaN or infinite: the usual integer scale. A negative
    // finite scale marks float data and stays.
    if (!std::isfinite(scale) || (scale >= 0.0f && !(scale > 0.001f && scale < 1000.0f)))
        scale = 0.1449f;
    if (!(rate > 0.001f && rate < 1000.0f))
        rate = 30.0f;
    mScale = scale;
    mFrameRate = rate;
    mDataBlock = dataBlock;
    mAnalogRate = analogRate;
    if (eventCount > kMaxEvents || mLastFrame < mFirstFrame)
        return false;
    const kLongLong size = mFileSize;
    for (int block : {mParameterBlock, mDataBlock}) {
        if (block < 2 || (static_cast<kLongLong>(block) - 1) * kBlockSize >= size)
            return false;
    }
    mEvents.assign(eventCount, Event());
    for (Event& event : mEvents) {
        if (!GetFloat(event.mTime))
            return false;
    }
    for (Event& event : mEvents) {
        unsigned char flag = 0;
        if (!GetChar(flag))
            return false;
        event.mDisplayed = flag == 0;
    }
    for (Event& event : mEvents) {
        if (GetString(event.mLabel, 4) != 4)
            return false;
    }
    return true;
}

bool KViconLoaderBase::WriteHeader(FILE* pFile)
{
    mFile = pFile;
    mFirstWordTag = PutShortTag(static_cast<kShort>(kHeaderKey | 2));
    for (int word : {mPointCount, mAnalogCount, mFirstFrame, mLastFrame, mInterpolationGap})
        PutShort(static_cast<kUShort>(word));
    PutFloat(mScale);
    mDataBlockTag = PutShortTag(10);
    PutShort(static_cast<kUShort>(mAnalogRate));
    PutFloat(mFrameRate);
    PadChar(0, kReservedBytes);
    PutShort(kDataKey);
    PutShort(static_cast<kUShort>(mEvents.size()));
    for (const Event& event : mEvents)
        PutFloat(event.mTime);
    for (const Event& event : mEvents)
        PutChar(static_cast<unsigned char>(event.mDisplayed ? 0 : 1));
    for (const Event& event : mEvents)
        PutString(event.mLabel, 4);
    return !mWriteFailed;
}

// ---- Parameters ----

template <class WriteValue>
bool KViconLoaderBase::WriteRecord(const char* pName, int pId, bool pLocked, const char* pDescription,
                                   WriteValue pWriteValue)
{
    const int nameLength = static_cast<int>(std::min<size_t>(std::strlen(pName), 127));
    PutChar(static_cast<signed char>(pLocked ? -nameLength : nameLength));
    PutChar(static_cast<signed char>(pId));
    PutString(pName, nameLength);
    const long offsetAt = Tell();
    PutShort(static_cast<kUShort>(0));
    KOScope scope{*this, 2};
    pWriteValue(scope);
    const int description = pDescription ? static_cast<int>(std::min<size_t>(std::strlen(pDescription), 255)) : 0;
    PutChar(static_cast<unsigned char>(description));
    PutString(pDescription, description);
    scope.mCount += 1 + description;
    // The next offset counts from its own first byte.
    const long end = Tell();
    Seek(offsetAt, SEEK_SET);
    PutShort(static_cast<kUShort>(std::min(scope.mCount, 0xFFFF)));
    Seek(end, SEEK_SET);
    return !mWriteFailed;
}

bool KViconLoaderBase::WriteParametersBase()
{
    for (unsigned char byte : {1, 80, 8, 83 + eViconDec})
        PutChar(byte);
    WriteRecord("POINT", -1, false, nullptr, [](KOScope&) {});
    const kUShort frames = static_cast<kUShort>(mLastFrame - mFirstFrame + 1);
    struct Fixed {
        const char* mName;
        KViconArray mValue;
    };
    Fixed fixed[] = {
        {"USED", KViconArray(KViconArray::eUInt16, {1})},
        {"FRAMES", KViconArray(KViconArray::eUInt16, {1})},
        {"DATA_START", KViconArray()},
        {"SCALE", KViconArray(KViconArray::eFloat32, {1})},
        {"RATE", KViconArray(KViconArray::eFloat32, {1})},
        {"X_SCREEN", KViconArray(KViconArray::eChar, {2}, "+X")},
        {"Y_SCREEN", KViconArray(KViconArray::eChar, {2}, "+Z")},
        {"UNITS", KViconArray(KViconArray::eChar, {4}, "mm  ")},
    };
    fixed[0].mValue = static_cast<kUShort>(mPointCount);
    fixed[1].mValue = frames;
    fixed[3].mValue = mScale;
    fixed[4].mValue = mFrameRate;
    for (Fixed& entry : fixed) {
        if (entry.mValue.IsEmpty()) {
            WriteRecord(entry.mName, 1, false, nullptr,
                        [this](KOScope& pScope) { mDataStartTag = KViconArray::WriteTag(pScope, 0); });
        } else {
            KViconParameter(entry.mName, 1, false, nullptr, &entry.mValue).Write(*this);
        }
    }
    return !mWriteFailed;
}

std::unique_ptr<KViconParameter> KViconLoaderBase::GetParameter()
{
    signed char nameLength = 0;
    signed char id = 0;
    if (!GetChar(nameLength) || !GetChar(id) || nameLength == 0 || id == 0)
        return nullptr;
    return KViconParameter::Read(*this, nameLength, id);
}

// ---- KIScope ----

bool KIScope::Take(int pBytes)
{
    if (pBytes > mLeft)
        return false;
    mLeft -= pBytes;
    return true;
}

// ---- KViconArray ----

KViconArray::KViconArray() : mType(eNone), mCount(0), mData(nullptr) {}

KViconArray::KViconArray(EType pType, std::initializer_list<int> pSizes, const void* pData)
    : mType(pType), mSizes(pSizes), mCount(1), mData(nullptr)
{
    for (int size : mSizes)
        mCount *= std::max(size, 0);
    mOwned.assign(static_cast<size_t>(mCount) * GetElementSize(), 0);
    mData = mOwned.data();
    if (pData)
        KViconLoaderBase::FillVariable(mData, pData, static_cast<int>(mOwned.size()));
}

KViconArray::KViconArray(EType pType, std::vector<int> pSizes, unsigned char* pData)
    : mType(pType), mSizes(std::move(pSizes)), mCount(1), mData(pData)
{
    for (int size : mSizes)
        mCount *= size;
}

KViconArray::KViconArray(KIScope& pScope) : mType(eNone), mCount(0), mData(nullptr)
{
    KViconLoaderBase& loader = pScope.mLoader;
    signed char typeByte = 0;
    unsigned char dimensions = 0;
    if (!pScope.Take(2) || !loader.GetChar(typeByte) || !loader.GetChar(dimensions))
        return;
    EType type = eNone;
    for (const FileType& entry : kFileTypes) {
        if (entry.mByte == typeByte)
            type = entry.mType;
    }
    if (type == eNone)
        return;
    std::vector<int> sizes(std::max<int>(dimensions, 1), 1);
    const int elementSize = static_cast<int>(type & eSizeMask);
    if (!pScope.Take(dimensions))
        return;
    // The element count grows as the sizes come; once it passes what the
    // record holds, no size can bring it back in.
    kULongLong count = 1;
    for (int i = 0; i < dimensions; ++i) {
        unsigned char size = 0;
        if (!loader.GetChar(size))
            return;
        sizes[sizes.size() - 1 - static_cast<size_t>(i)] = size;
        count = std::min<kULongLong>(count * size, static_cast<kULongLong>(INT_MAX));
    }
    if (count * static_cast<kULongLong>(elementSize) > static_cast<kULongLong>(pScope.mLeft))
        return;
    const int bytes = static_cast<int>(count) * elementSize;
    pScope.Take(bytes);
    std::vector<unsigned char> data(static_cast<size_t>(bytes));
    for (int i = 0; i < static_cast<int>(count); ++i) {
        unsigned char* element = data.data() + static_cast<size_t>(i) * elementSize;
        bool read = false;
        switch (type) {
        case eUInt8: {
            unsigned char byte = 0;
            read = loader.GetChar(byte);
            *element = byte != 0 ? 1 : 0;
            break;
        }
        case eChar:
            read = loader.GetChar(*element);
            break;
        case eInt16: {
            kShort word = 0;
            read = loader.GetShort(word);
            std::memcpy(element, &word, sizeof(word));
            break;
        }
        default: {
            float real = 0.0f;
            read = loader.GetFloat(real);
            std::memcpy(element, &real, sizeof(real));
            break;
        }
        }
        if (!read)
            return;
    }
    mType = type;
    mSizes = std::move(sizes);
    mCount = static_cast<int>(count);
    mOwned = std::move(data);
    mData = mOwned.data();
}

int KViconArray::GetSize(int pIndex) const
{
    return pIndex >= 0 && pIndex < GetDimensions() ? mSizes[static_cast<size_t>(pIndex)] : 0;
}

KViconArray KViconArray::operator[](int pIndex) const
{
    if (mType == eNone || GetDimensions() < 2 || pIndex < 0 || pIndex >= mSizes[0])
        return KViconArray();
    std::vector<int> sizes(mSizes.begin() + 1, mSizes.end());
    const int inner = mSizes[0] > 0 ? mCount / mSizes[0] : 0;
    return KViconArray(mType, std::move(sizes),
                       mData + static_cast<size_t>(pIndex) * static_cast<size_t>(inner) * GetElementSize());
}

kLongLong KViconArray::GetInteger(int pIndex) const
{
    const unsigned char* element = mData + static_cast<size_t>(pIndex) * GetElementSize();
    switch (mType) {
    case eUInt8:
        return *element;
    case eChar:
    case eInt8:
        return static_cast<signed char>(*element);
#define QEL_VICON_INTEGER(Code, Type)       \
    case Code: {                            \
        Type value;                         \
        std::memcpy(&value, element, sizeof(Type)); \
        return static_cast<kLongLong>(value);       \
    }
        QEL_VICON_INTEGER(eUInt16, kUShort)
        QEL_VICON_INTEGER(eUInt32, kUInt)
        QEL_VICON_INTEGER(eUInt64, kULongLong)
        QEL_VICON_INTEGER(eInt16, kShort)
        QEL_VICON_INTEGER(eInt32, kInt)
        QEL_VICON_INTEGER(eInt64, kLongLong)
#undef QEL_VICON_INTEGER
    default:
        return 0;
    }
}

double KViconArray::GetReal(int pIndex) const
{
    const unsigned char* element = mData + static_cast<size_t>(pIndex) * GetElementSize();
    if (mType == eFloat32) {
        float value;
        std::memcpy(&value, element, sizeof(value));
        return value;
    }
    if (mType == eFloat64) {
        double value;
        std::memcpy(&value, element, sizeof(value));
        return value;
    }
    if (mType == eUInt64) {
        kULongLong value;
        std::memcpy(&value, element, sizeof(value));
        return static_cast<double>(value);
    }
    return static_cast<double>(GetInteger(pIndex));
}

template <class T>
T KViconArray::Get(int pIndex) const
{
    if (mType == eNone || pIndex < 0 || pIndex >= mCount)
        return T(0);
    if (std::is_floating_point<T>::value)
        return static_cast<T>(GetReal(pIndex));
    if (mType & eReal)
        return static_cast<T>(SaturatedInteger<T>(GetReal(pIndex)));
    // Integers keep their low-order bits when narrowed.
    return static_cast<T>(static_cast<kULongLong>(GetInteger(pIndex)));
}

void KViconArray::SetInteger(kLongLong pValue, int pIndex)
{
    unsigned char* element = mData + static_cast<size_t>(pIndex) * GetElementSize();
    if (mType == eFloat32) {
        const float value = static_cast<float>(pValue);
        std::memcpy(element, &value, sizeof(value));
    } else if (mType == eFloat64) {
        const double value = static_cast<double>(pValue);
        std::memcpy(element, &value, sizeof(value));
    } else {
        // Little-endian hosts: the low-order bytes come first.
        const kULongLong bits = static_cast<kULongLong>(pValue);
        for (int i = 0; i < GetElementSize(); ++i)
            element[i] = static_cast<unsigned char>(bits >> (8 * i));
    }
}

void KViconArray::SetReal(double pValue, int pIndex)
{
    unsigned char* element = mData + static_cast<size_t>(pIndex) * GetElementSize();
    if (mType == eFloat32) {
        const float value = SaturatedFloat(pValue);
        std::memcpy(element, &value, sizeof(value));
    } else if (mType == eFloat64) {
        std::memcpy(element, &pValue, sizeof(pValue));
    } else if (mType & eSigned) {
        // Saturated at the element's own range, not just at 64 bits.
        kLongLong value = SaturatedInteger<kLongLong>(pValue);
        if (GetElementSize() < 8) {
            const kLongLong high = (kLongLong(1) << (8 * GetElementSize() - 1)) - 1;
            value = std::max(-high - 1, std::min(value, high));
        }
        SetInteger(value, pIndex);
    } else {
        kULongLong value = SaturatedInteger<kULongLong>(pValue);
        if (GetElementSize() < 8)
            value = std::min(value, (kULongLong(1) << (8 * GetElementSize())) - 1);
        SetInteger(static_cast<kLongLong>(value), pIndex);
    }
}

template <class T>
void KViconArray::Set(T pValue, int pIndex)
{
    if (mType == eNone || pIndex < 0 || pIndex >= mCount)
        return;
    if (std::is_floating_point<T>::value)
        SetReal(static_cast<double>(pValue), pIndex);
    else
        SetInteger(static_cast<kLongLong>(pValue), pIndex);
}

#define QEL_VICON_CONVERSIONS(Type)                          \
    template Type KViconArray::Get<Type>(int) const;         \
    template void KViconArray::Set<Type>(Type, int);
QEL_VICON_CONVERSIONS(char)
QEL_VICON_CONVERSIONS(signed char)
QEL_VICON_CONVERSIONS(unsigned char)
QEL_VICON_CONVERSIONS(short)
QEL_VICON_CONVERSIONS(unsigned short)
QEL_VICON_CONVERSIONS(int)
QEL_VICON_CONVERSIONS(unsigned int)
QEL_VICON_CONVERSIONS(long long)
QEL_VICON_CONVERSIONS(unsigned long long)
QEL_VICON_CONVERSIONS(float)
QEL_VICON_CONVERSIONS(double)
#undef QEL_VICON_CONVERSIONS

bool KViconArray::Write(KOScope& pScope) const
{
    KViconLoaderBase& loader = pScope.mLoader;
    signed char typeByte = 0;
    switch (mType) {
    case eUInt8:
        typeByte = 1;
        break;
    case eUInt16:
    case eInt16:
        typeByte = 2;
        break;
    case eChar:
        typeByte = -1;
        break;
    case eFloat32:
        typeByte = 4;
        break;
    default:
        return false;
    }
    loader.PutChar(typeByte);
    pScope.mCount += 1;
    if (GetDimensions() == 1 && mSizes[0] == 1) {
        loader.PutChar(static_cast<unsigned char>(0));
        pScope.mCount += 1;
    } else {
        loader.PutChar(static_cast<unsigned char>(GetDimensions()));
        for (int i = GetDimensions() - 1; i >= 0; --i)
            loader.PutChar(static_cast<unsigned char>(mSizes[static_cast<size_t>(i)]));
        pScope.mCount += 1 + GetDimensions();
    }
    for (int i = 0; i < mCount; ++i) {
        const unsigned char* element = mData + static_cast<size_t>(i) * GetElementSize();
        if (mType == eFloat32) {
            float value;
            std::memcpy(&value, element, sizeof(value));
            loader.PutFloat(value);
        } else if (GetElementSize() == 2) {
            kUShort value;
            std::memcpy(&value, element, sizeof(value));
            loader.PutShort(value);
        } else {
            loader.PutChar(*element);
        }
    }
    pScope.mCount += mCount * GetElementSize();
    return true;
}

std::unique_ptr<KViconTag> KViconArray::WriteTag(KOScope& pScope, kShort pValue)
{
    pScope.mLoader.PutChar(static_cast<signed char>(2));
    pScope.mLoader.PutChar(static_cast<unsigned char>(0));
    pScope.mCount += 4;
    return pScope.mLoader.PutShortTag(pValue);
}

// ---- KViconParameter ----

KViconParameter::KViconParameter(const char* pName, int pId, bool pLocked, const char* pDescription,
                                 const KViconArray* pValue)
    : mName(pName ? pName : ""), mId(pId), mLocked(pLocked), mDescription(pDescription ? pDescription : ""),
      mValue(pValue)
{
    if (mName.size() > 31)
        mName.resize(31);
}

std::unique_ptr<KViconParameter> KViconParameter::Read(KViconLoaderBase& pLoader, int pNameLength, int pId)
{
    std::unique_ptr<KViconParameter> record(new KViconParameter());
    record->mLocked = pNameLength < 0;
    record->mId = pId;
    const int length = pNameLength < 0 ? -pNameLength : pNameLength;
    char name[129];
    if (pLoader.GetString(name, length) != length)
        return nullptr;
    record->mName.assign(name, std::min<size_t>(std::strlen(name), 31));
    kUShort offset = 0;
    if (!pLoader.GetShort(offset))
        return nullptr;
    KIScope scope{pLoader, std::max(static_cast<int>(offset) - 2, 0)};
    if (pId > 0) {
        record->mOwnedValue.reset(new KViconArray(scope));
        record->mValue = record->mOwnedValue.get();
    }
    unsigned char description = 0;
    if (scope.Take(1) && pLoader.GetChar(description)) {
        const int take = std::min<int>(description, scope.mLeft);
        char text[256];
        scope.Take(pLoader.GetString(text, take));
        record->mDescription = text;
    }
    pLoader.SkipString(scope.mLeft);
    return record;
}

bool KViconParameter::Write(KViconLoaderBase& pLoader) const
{
    const KViconArray* value = mValue;
    return pLoader.WriteRecord(mName.c_str(), mId, mLocked, mDescription.empty() ? nullptr : mDescription.c_str(),
                               [value](KOScope& pScope) {
                                   if (value)
                                       value->Write(pScope);
                               });
}

// ---- KViconTag ----

bool KViconTag::Resolve(FILE* pFile, kShort pValue)
{
    mValue = pValue;
    const kUShort bits = static_cast<kUShort>(pValue);
    const unsigned char bytes[2] = {static_cast<unsigned char>(bits & 0xFF), static_cast<unsigned char>(bits >> 8)};
    return pFile && std::fseek(pFile, mPosition, SEEK_SET) == 0 && std::fwrite(bytes, 1, 2, pFile) == 2;
}

// ---- KViconDataRecord ----

bool KViconDataRecord::Read(KViconLoaderBase& pLoader, double pScale, int pSkip, double pUnit)
{
    double xyz[3];
    mResidual = 0.0;
    mCameraMask = 0;
    if (pScale >= 0.0) {
        kShort words[3];
        kUShort tail = 0;
        for (kShort& word : words) {
            if (!pLoader.GetShort(word))
                return false;
        }
        if (!pLoader.GetShort(tail))
            return false;
        for (int k = 0; k < 3; ++k)
            xyz[k] = words[k] * pScale * pUnit;
        const int camera = tail >> 8;
        mResidual = (tail & 0xFF) * pUnit;
        mCameraMask = camera & 63;
        mValid = (camera & 0x80) == 0;
    } else {
        float values[4];
        for (float& value : values) {
            if (!pLoader.GetFloat(value))
                return false;
        }
        for (int k = 0; k < 3; ++k)
            xyz[k] = values[k] * pUnit;
        // R below 0 after truncation (from -1 on) or NaN marks a gap.
        mValid = values[3] == values[3] && values[3] > -1.0f;
    }
    if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2])) {
        xyz[0] = xyz[1] = xyz[2] = 0.0;
        mValid = false;
    }
    mX = xyz[0];
    mY = xyz[1];
    mZ = xyz[2];
    return pSkip <= 0 || pLoader.SkipString(pSkip) == pSkip;
}

bool KViconDataRecord::Write(KViconLoaderBase& pLoader, double pScale, const double* pCoordinates,
                             double pUnit) const
{
    if (pScale >= 0.0) {
        for (int k = 0; k < 3; ++k) {
            const double value = pCoordinates[k] / (pScale * pUnit);
            pLoader.PutShort(static_cast<kShort>(
                std::max(-32767, std::min(32767, static_cast<int>(SaturatedInteger<kInt>(value))))));
        }
        pLoader.PutChar(static_cast<unsigned char>(0));
        return pLoader.PutChar(static_cast<unsigned char>(mValid ? 0 : 128));
    }
    for (int k = 0; k < 3; ++k)
        pLoader.PutFloat(SaturatedFloat(pCoordinates[k] / pUnit));
    return pLoader.PutFloat(mValid ? 0.0f : -1.0f);
}

// ---- Free helpers ----

void StrNCpy(KViconArray& pView, const char* pText, int pCount)
{
    char* out = reinterpret_cast<char*>(pView.GetVectorPtr());
    const int room = std::min(pCount, pView.GetElementCount());
    int copied = 0;
    for (; pText && copied < room && static_cast<signed char>(pText[copied]) >= 2; ++copied)
        out[copied] = pText[copied];
    for (; copied < room; ++copied)
        out[copied] = ' ';
}

long KmAlign(long pValue, long pAlignment)
{
    return (pValue + pAlignment - 1) & ~(pAlignment - 1);
}

void Strip(char* pTarget, const char* pSource, int pCount)
{
    int length = 0;
    while (length < pCount && pSource[length] != '\0')
        ++length;
    while (length > 0 && std::strchr(" \t\n\v\f\r", pSource[length - 1]))
        --length;
    std::memcpy(pTarget, pSource, static_cast<size_t>(length));
    pTarget[length] = '\0';
}

std::string RemovePrefix(const std::string& pText)
{
    const size_t colon = pText.find(':');
    return colon == std::string::npos ? pText : pText.substr(colon + 1);
}

void ReplaceChar(std::string& pText, char pFrom, char pTo)
{
    std::replace(pText.begin(), pText.end(), pFrom, pTo);
}

}  // namespace qelsdk_600
