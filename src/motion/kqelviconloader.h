// The C3D file at the level of bytes: 512-byte blocks, 16-bit words and
// floats in three processor forms, the header block, parameter records
// with their typed values, and 3D point records.
#ifndef QELSDK_MOTION_KQELVICONLOADER_H
#define QELSDK_MOTION_KQELVICONLOADER_H

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "base/ktypes.h"

namespace qelsdk_600 {

class KViconLoaderBase;
class KViconTag;

// Processor forms of a C3D file: words low byte first (Intel, DEC) or high
// byte first (MIPS); floats IEEE (Intel, MIPS) or in the DEC form (halves
// swapped, exponent larger by 2).
enum EViconProcessor : int { eViconIntel = 1, eViconDec = 2, eViconMips = 3 };

// The bytes a parameter value may still read: the loader and what is left
// of the current record.
struct KIScope {
    KViconLoaderBase& mLoader;
    int mLeft;
    // Takes pBytes from the record; false, nothing taken, when fewer are left.
    bool Take(int pBytes);
};

// The bytes a parameter value has written: the loader and their count.
struct KOScope {
    KViconLoaderBase& mLoader;
    int mCount;
};

// A typed multi-dimensional parameter value. Sizes are held slowest-varying
// first (the reverse of the file), so that a C3D character array of
// [length, count] reads GetSize(0) == count, GetSize(1) == length; a value
// of dimension count 0 in the file has one dimension of size 1. An empty
// array (no type) reads 0 through every conversion. A view (operator[])
// shares the data of the array it came from and must not outlive it.
class KViconArray {
public:
    // Type codes: the low four bits are the element size in bytes.
    enum : kUInt {
        eSigned = 0x80000000u,
        eCharacter = 0x40000000u,
        eReal = 0x20000000u,
        eSizeMask = 0xFu,
    };
    enum EType : kUInt {
        eNone = 0,
        eUInt8 = 1,
        eUInt16 = 2,
        eUInt32 = 4,
        eUInt64 = 8,
        eInt8 = eSigned | 1,
        eInt16 = eSigned | 2,
        eInt32 = eSigned | 4,
        eInt64 = eSigned | 8,
        eFloat32 = eSigned | eReal | 4,
        eFloat64 = eSigned | eReal | 8,
        eChar = eCharacter | 1,
    };

    // An empty array.
    KViconArray();
    // An array of that type and sizes (slowest-varying first), zero-filled,
    // or holding a copy of pData when given.
    KViconArray(EType pType, std::initializer_list<int> pSizes, const void* pData = nullptr);
    // Reads a value from a record: type byte, dimension count, sizes, data.
    // A type byte other than -1, 1, 2 and 4, or data (the product of the
    // sizes, overflow-checked, times the element size) that the scope cannot
    // hold, gives an empty array. Elements of type 1 read as 1 when not 0.
    explicit KViconArray(KIScope& pScope);
    KViconArray(KViconArray&&) = default;
    KViconArray& operator=(KViconArray&&) = default;
    KViconArray(const KViconArray&) = delete;
    KViconArray& operator=(const KViconArray&) = delete;

    // Writes the type byte, the dimensions (count 0 for a single value) and
    // the elements (floats in the DEC form); counted in the scope. False
    // for a type the file has no byte for.
    bool Write(KOScope& pScope) const;
    // Writes a single signed word holding pValue and returns the tag that
    // patches it later (owned by the caller).
    static std::unique_ptr<KViconTag> WriteTag(KOScope& pScope, kShort pValue);

    // Sub-array pIndex of the slowest dimension: one dimension fewer; an
    // empty array for an index out of range or an array of one dimension.
    KViconArray operator[](int pIndex) const;

    bool IsEmpty() const { return mType == eNone; }
    EType GetType() const { return mType; }
    int GetDimensions() const { return static_cast<int>(mSizes.size()); }
    // 0 for an index outside the dimensions.
    int GetSize(int pIndex) const;
    int GetElementCount() const { return mCount; }
    int GetElementSize() const { return static_cast<int>(mType & eSizeMask); }
    unsigned char* GetVectorPtr() { return mData; }
    const unsigned char* GetVectorPtr() const { return mData; }

    // Element pIndex as T: integers keep their low-order bits when narrowed;
    // reals become integers truncated toward zero, saturated (NaN: 0); 0
    // for an empty array or an index outside it.
    template <class T>
    T Get(int pIndex = 0) const;
    // Stores pValue into element pIndex in the array's type (same rules);
    // nothing for an empty array or an index outside it.
    template <class T>
    void Set(T pValue, int pIndex = 0);
    // The conversions of element 0.
    template <class T, class = typename std::enable_if<std::is_arithmetic<T>::value>::type>
    operator T() const
    {
        return Get<T>(0);
    }
    template <class T, class = typename std::enable_if<std::is_arithmetic<T>::value>::type>
    KViconArray& operator=(T pValue)
    {
        Set<T>(pValue, 0);
        return *this;
    }

private:
    // A view over another array's data.
    KViconArray(EType pType, std::vector<int> pSizes, unsigned char* pData);
    double GetReal(int pIndex) const;
    kLongLong GetInteger(int pIndex) const;
    void SetReal(double pValue, int pIndex);
    void SetInteger(kLongLong pValue, int pIndex);

    EType mType;
    std::vector<int> mSizes;
    int mCount;
    std::vector<unsigned char> mOwned;
    unsigned char* mData;
};

// One record of the parameter section: a group (id below 0, its number
// the absolute value) or a parameter of group id (id above 0) with its
// value. Names are cut to 31 characters.
class KViconParameter {
public:
    // A record to write; the value (null for a group) stays the caller's.
    KViconParameter(const char* pName, int pId, bool pLocked, const char* pDescription, const KViconArray* pValue);
    // Reads the rest of a record whose name-length and id bytes were read;
    // null when its name or next offset cannot be read. Reading ends where
    // the record's next offset says (or just after what was read when the
    // offset is shorter than that).
    static std::unique_ptr<KViconParameter> Read(KViconLoaderBase& pLoader, int pNameLength, int pId);

    // Writes the record with its next offset; false on a write error.
    bool Write(KViconLoaderBase& pLoader) const;

    const char* GetName() const { return mName.c_str(); }
    bool IsGroup() const { return mId < 0; }
    bool IsParameter() const { return mId > 0; }
    int Id() const { return mId < 0 ? -mId : mId; }
    bool IsLocked() const { return mLocked; }
    // Null for a group.
    const KViconArray* GetArray() const { return mValue; }
    const char* GetDescription() const { return mDescription.c_str(); }

private:
    KViconParameter() = default;

    std::string mName;
    int mId = 0;
    bool mLocked = false;
    std::string mDescription;
    std::unique_ptr<KViconArray> mOwnedValue;
    const KViconArray* mValue = nullptr;
};

// A written 16-bit word to be patched once its value is known.
class KViconTag {
public:
    KViconTag(long pPosition, kShort pValue) : mPosition(pPosition), mValue(pValue) {}
    // Stores the value and writes it (low byte first) at the remembered
    // position; the file is left just behind it. False on a write error.
    bool Resolve(FILE* pFile, kShort pValue);
    long GetPosition() const { return mPosition; }
    kShort GetValue() const { return mValue; }

private:
    long mPosition;
    kShort mValue;
};

// One 3D point of a frame.
class KViconDataRecord {
public:
    KViconDataRecord() : mX(0.0), mY(0.0), mZ(0.0), mResidual(0.0), mCameraMask(0), mValid(true) {}
    // Scale 0 or more: X, Y, Z signed words times scale and unit, then one
    // word of residual (low byte) and camera byte (high byte; its top bit
    // marks the point invalid). Below 0: X, Y, Z and R floats, X, Y, Z times
    // unit, invalid when R is NaN or truncates below 0. A non-finite
    // coordinate makes the point invalid at (0, 0, 0). Then pSkip bytes are
    // skipped. False when the file ends first.
    bool Read(KViconLoaderBase& pLoader, double pScale, int pSkip, double pUnit);
    // Scale 0 or more: each coordinate over scale x unit, truncated toward
    // zero and saturated to +/-32767 (NaN: 0), residual 0 and camera byte 0
    // (128 when invalid). Below 0: DEC floats over unit, R 0.0 (-1.0 when
    // invalid).
    bool Write(KViconLoaderBase& pLoader, double pScale, const double* pCoordinates, double pUnit) const;

    double mX;
    double mY;
    double mZ;
    double mResidual;
    int mCameraMask;
    bool mValid;
};

// Block-buffered reading and DEC-form writing of a C3D file, its header
// block and the fixed part of the parameter section. Reads fetch whole
// 512-byte blocks; a value that straddles two blocks is put together from
// the bytes carried over, never read twice. Reads answer false at the end
// of the file, and the at-end state stays until the next Goto.
class KViconLoaderBase {
public:
    // One event of the header's table.
    struct Event {
        char mLabel[5];
        float mTime;
        bool mDisplayed;
    };

    KViconLoaderBase();
    virtual ~KViconLoaderBase();
    KViconLoaderBase(const KViconLoaderBase&) = delete;
    KViconLoaderBase& operator=(const KViconLoaderBase&) = delete;

    // ---- Reading (values converted from the file's processor form) ----

    bool GetChar(char& pValue);
    bool GetChar(signed char& pValue);
    bool GetChar(unsigned char& pValue);
    bool GetShort(kUShort& pValue);
    bool GetShort(kShort& pValue);
    bool GetFloat(float& pValue);
    // Up to pCount bytes into pBuffer (which holds pCount + 1), stopping at
    // the first failed read, then a NUL; the bytes read.
    int GetString(char* pBuffer, int pCount);
    bool SkipChar();
    bool SkipShort();
    bool SkipFloat();
    // Skips up to pCount bytes; the bytes skipped.
    kLongLong SkipString(kLongLong pCount);
    // Makes the zero-based block pBlock (from pWhence) the current one at
    // position 0; false when it cannot be read.
    bool Goto(int pBlock, int pWhence);

    // ---- Writing (the DEC form) ----

    bool Seek(long pOffset, int pWhence);
    long Tell();
    bool PutChar(char pValue);
    bool PutChar(signed char pValue);
    bool PutChar(unsigned char pValue);
    bool PutShort(kUShort pValue);
    bool PutShort(kShort pValue);
    bool PutFloat(float pValue);
    // pCount bytes as they are; the count.
    int PutString(const char* pText, int pCount);
    // pCount copies of pValue; nothing for a count of 0 or less.
    bool PadChar(char pValue, int pCount);
    // Writes the word and returns a tag that can patch it (owned by the
    // caller).
    std::unique_ptr<KViconTag> PutShortTag(kShort pValue);

    // ---- Header and parameters ----

    // Reads the header block from the file's start: the key, the counts,
    // the scale (0 or more outside (0.001, 1000), NaN or infinite: 0.1449),
    // the rate (outside (0.001, 1000): 30) and the events. False when the
    // file ends first, the key is missing, the parameter or data block is
    // below 2 or not inside the file, the last frame comes before the first,
    // or the events run past the header block.
    bool ReadHeader(FILE* pFile);
    // Writes the header block up to the events (word 0 and word 16 through
    // tags kept for PrintFooter).
    bool WriteHeader(FILE* pFile);
    // The four parameter-section bytes (1, 80, 8, 85), group "POINT" and its
    // parameters "USED", "FRAMES", "DATA_START" (a tag), "SCALE", "RATE",
    // "X_SCREEN", "Y_SCREEN", "UNITS".
    bool WriteParametersBase();
    // The next record of the parameter section, or null at its end (a name
    // length or id of 0, or the end of the file).
    std::unique_ptr<KViconParameter> GetParameter();
    // The processor form named by byte 3 of the parameter block (83 + form);
    // Intel for any other value or a byte that cannot be read. The file is
    // left at its start.
    static int GetFileProcessorType(FILE* pFile, int pParameterBlock);

    // ---- Number forms ----

    // In place, from form pFrom to form pTo (1 Intel, 2 DEC, 3 MIPS).
    static void ConvertShort(int pFrom, int pTo, kShort& pValue);
    static void ConvertUShort(int pFrom, int pTo, kUShort& pValue);
    // On the four bytes as stored: reordered by sSwapOrderLUT, the exponent
    // byte adjusted by sExponentAdditionLUT; a zero stays a zero of the same
    // sign.
    static void ConvertFloatBytes(int pFrom, int pTo, unsigned char* pBytes);
    static void ConvertFloat(int pFrom, int pTo, float& pValue);
    static void FillVariable(void* pTarget, const void* pSource, int pCount);

    // [to - 1][from - 1][source byte] = target byte position.
    static const int sSwapOrderLUT[3][3][4];
    // [form - 1]: the byte holding the sign and the top exponent bits.
    static const int sExponentByteLUT[3];
    // [to - 1][from - 1]: added to that byte.
    static const int sExponentAdditionLUT[3][3];

protected:
    // The reading state, saved and restored around a look-ahead.
    struct ReadState {
        long mFilePosition;
        int mPosition;
        int mFilled;
        int mBlockNumber;
        bool mAtEnd;
        unsigned char mBlock[3 + 512];
    };
    void SaveReadState(ReadState& pState);
    void RestoreReadState(const ReadState& pState);
    // Forgets the buffered block (before reading from another place).
    void ResetBuffer();
    // True when nothing failed while writing.
    bool WriteOk() const;

    FILE* mFile;
    kLongLong mFileSize;
    int mParameterBlock;
    int mPointCount;
    int mAnalogCount;
    int mFirstFrame;
    int mLastFrame;
    int mInterpolationGap;
    float mScale;
    int mDataBlock;
    int mAnalogRate;
    float mFrameRate;
    std::vector<Event> mEvents;
    int mPointGroup;
    bool mKeepPrefixes;
    double mUnitFactor;
    int mAxisMap[3];
    int mFileForm;
    int mHostForm;
    std::unique_ptr<KViconTag> mFirstWordTag;
    std::unique_ptr<KViconTag> mDataBlockTag;
    std::unique_ptr<KViconTag> mDataStartTag;

private:
    // Reads pCount (1 to 4) bytes as stored.
    bool Fetch(unsigned char* pBytes, int pCount);
    // Reads the next block into the buffer.
    bool ReadBlock();
    // Writes a record's header, then its value through pWriteValue, an empty
    // or given description, and patches its next offset.
    template <class WriteValue>
    bool WriteRecord(const char* pName, int pId, bool pLocked, const char* pDescription, WriteValue pWriteValue);
    friend class KViconParameter;

    static const int kCarry = 3;
    static const int kBlockSize = 512;
    unsigned char mBlock[kCarry + kBlockSize];
    int mPosition;
    int mFilled;
    int mBlockNumber;
    bool mAtEnd;
    bool mWriteFailed;
};

// Copies pText into the character view: characters while fewer than pCount
// were copied and each is 2 or more as a signed char (a NUL, 0x01 or a byte
// of 0x80 and above ends it), then blanks up to pCount.
void StrNCpy(KViconArray& pView, const char* pText, int pCount);
// pValue rounded up to a multiple of pAlignment, a power of two.
long KmAlign(long pValue, long pAlignment);
// The first pCount bytes of pSource (stopping at a NUL) without the white
// space at their end, into pTarget (which holds pCount + 1), terminated.
void Strip(char* pTarget, const char* pSource, int pCount);
// What follows the first ':' of pText (all of it when there is none).
std::string RemovePrefix(const std::string& pText);
// Every pFrom of pText becomes pTo.
void ReplaceChar(std::string& pText, char pFrom, char pTo);

}  // namespace qelsdk_600

#endif
