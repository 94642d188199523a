// The process-wide table of the 177 character solver parameters: name,
// parent, mode type, unit, value type, range and defaults of each. It is
// constant data, complete from program load; filter sets keep the
// per-character modes and values (kqelfilterset.h). Global namespace.
#ifndef QELSDK_CHARACTER_KFILTERSETINFO_H
#define QELSDK_CHARACTER_KFILTERSETINFO_H

// How a parameter's mode reads.
enum EFilterParamModeType : int {
    eModeTypeNone = 0,        // no mode: keeps its default mode for ever
    eModeTypeOffOn = 1,       // 0 off, 1 on
    eModeTypeOffAutoUser = 2, // 0 Off, 1 Auto, 2 User
    eModeTypeAutoUser = 3     // 0 Auto, 1 User
};

// The unit of a parameter's value.
enum EFilterParamUnit : int {
    eUnitNone = 0,      // a switch only; never set up automatically
    eUnitPercent = 1,   // value / 100 is the factor of automatic children
    eUnitTime = 2,
    eUnitDistance = 3,
    eUnitAngle = 4,     // degrees
    eUnitEnum = 5       // a choice 0 to max - 1; max is the number of choices
};

// How many components a parameter's value has. Every parameter of the table
// is single; components 1 and 2 of a triple alias the one stored value.
enum EFilterParamValueType : int {
    eValueTypeSingle = 0,
    eValueTypeTriple = 1
};

// The description of one parameter; a plain record. A default-constructed
// one is empty: no parent, empty name, every number 0, both flags false.
struct KFilterParamInfo {
    int mParentIndex = -1;        // the parameter it depends on, -1 for none
    char mName[256] = {};         // NUL-terminated
    EFilterParamModeType mModeType = eModeTypeNone;
    EFilterParamUnit mUnit = eUnitNone;
    EFilterParamValueType mValueType = eValueTypeSingle;
    double mMinValue = 0.0;
    double mMaxValue = 0.0;
    bool mInvert = false;         // automatic factor is 1 - the parent's
    bool mSecond = false;         // stored only; nothing reads it
    int mDefaultMode = 0;
    double mDefaultValue = 0.0;

    // Parent index and a copy of the name, cut to 255 characters; a null
    // name gives the empty one.
    constexpr void Init(int pParentIndex, const char* pName)
    {
        mParentIndex = pParentIndex;
        int length = 0;
        for (; pName && pName[length] && length < int(sizeof(mName)) - 1; ++length)
            mName[length] = pName[length];
        mName[length] = '\0';
    }
    // Note the argument order: the second flag comes before the invert flag.
    constexpr void TypeInit(EFilterParamModeType pModeType, EFilterParamUnit pUnit,
                            EFilterParamValueType pValueType, double pMin, double pMax, bool pSecond,
                            bool pInvert)
    {
        mModeType = pModeType;
        mUnit = pUnit;
        mValueType = pValueType;
        mMinValue = pMin;
        mMaxValue = pMax;
        mSecond = pSecond;
        mInvert = pInvert;
    }
    constexpr void DefaultInit(int pMode, double pValue)
    {
        mDefaultMode = pMode;
        mDefaultValue = pValue;
    }
};

// A table of parameter descriptors, never copied. Descriptors are reached
// by index 0 to GetCount() - 1; GetParam answers null outside.
class KFilterSetInfo {
public:
    // pCount empty descriptors, owned (none for a count of 0 or below).
    explicit KFilterSetInfo(int pCount);
    // A view over constant descriptors that outlive the table (not owned).
    constexpr KFilterSetInfo(const KFilterParamInfo* pParams, int pCount)
        : mCount(pParams && pCount > 0 ? pCount : 0), mParams(pParams), mOwned(false)
    {
    }
    ~KFilterSetInfo();
    KFilterSetInfo(const KFilterSetInfo&) = delete;
    KFilterSetInfo& operator=(const KFilterSetInfo&) = delete;

    int GetCount() const { return mCount; }
    const KFilterParamInfo* GetParam(int pIndex) const
    {
        return pIndex >= 0 && pIndex < mCount ? &mParams[pIndex] : nullptr;
    }
    // Index of the parameter named exactly pName (case matters), -1 when
    // none is or pName is null.
    int ParamIndexByName(const char* pName) const;

private:
    int mCount;
    const KFilterParamInfo* mParams;
    bool mOwned;
};

// The system's table: 177 parameters, constant-initialised, so it is
// complete before any code runs and gFilterSetInfoInit is always true.
extern const KFilterSetInfo gFilterSetInfo;
extern const bool gFilterSetInfoInit;

// The address of gFilterSetInfo; never null.
const KFilterSetInfo* GetFilterSetInfo();

#endif
