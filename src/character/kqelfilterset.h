// The solver parameter values of one character: a mode and a value for each
// parameter of the table in kfiltersetinfo.h, with the table's rules for
// accepted modes, activity and automatic values.
#ifndef QELSDK_CHARACTER_KQELFILTERSET_H
#define QELSDK_CHARACTER_KQELFILTERSET_H

#include <memory>

namespace qelsdk_600 {

// The state of a filter set and the parameter logic. Parameter indices run
// from 0 to GetCount() - 1; any other index reads as mode 0, value 0.0, not
// automatic, inactive and without factor, and writes nothing. Values are
// stored unchecked, outside their range too.
class KFilterSetBase {
public:
    // Every parameter at the table's default mode and default value.
    KFilterSetBase();
    ~KFilterSetBase();
    KFilterSetBase(const KFilterSetBase&) = delete;
    KFilterSetBase& operator=(const KFilterSetBase&) = delete;

    // Back to the table's defaults.
    void Reset();

    int GetCount() const { return mCount; }
    int GetMode(int pIndex) const;
    double GetValue(int pIndex) const;
    // Stores the mode when the parameter's mode type accepts it (0 and 1
    // for on/off and auto/user, 0 to 2 for off/auto/user, none for a
    // parameter without mode); otherwise nothing changes.
    void SetMode(int pIndex, int pMode);
    void SetValue(int pIndex, double pValue);

    // True in mode Auto: mode 1 of an off/auto/user parameter, mode 0 of an
    // auto/user one.
    bool IsParamAuto(int pIndex) const;
    // The share an automatic parameter takes from its nearest non-automatic
    // ancestor: that ancestor's value / 100 when its unit is percent (1 minus
    // it across each invert flag); -1.0 when there is none. A non-automatic
    // parameter answers its own value / 100 for percent, else -1.0.
    double GetParamFact(int pIndex) const;
    // Sets every automatic parameter with a unit to min + factor x (max -
    // min), or to its default value when the factor is negative or NaN.
    // Modes are not changed.
    void AutomaticParamSetup();
    // Whether the parameter takes effect: -1 (no parent) is active; an
    // on/off or off/auto/user parameter in mode 0 is not; otherwise a
    // parameter with a mode follows its parent, one without mode is active.
    bool IsParamActive(int pIndex) const;
    // Every mode and value of pSource, unchecked; nothing for null.
    void Copy(const KFilterSetBase* pSource);

private:
    struct Entry {
        int mMode;
        double mValue;
    };

    int mCount;
    std::unique_ptr<Entry[]> mEntries;
};

// The filter set of a character. The table queries are static; an index
// outside 0 to 176 gives null for a name, -1 for a mode type, value type or
// unit, and 0 for a mode or number, and setters ignore it. Not copyable as
// a value: copy parameter by parameter.
class KQelFilterSet {
public:
    // Every parameter at the table's defaults.
    KQelFilterSet();
    ~KQelFilterSet();
    KQelFilterSet(const KQelFilterSet&) = delete;
    KQelFilterSet& operator=(const KQelFilterSet&) = delete;

    // 177.
    static int GetParameterCount();
    // The name inside the shared table (not to be freed or changed).
    static const char* GetParameterName(int pIndex);
    // Index of the parameter named exactly pName, -1 when none (or null).
    static int GetParameterIndex(const char* pName);
    static int GetParameterModeType(int pIndex);
    static int GetParameterDefaultMode(int pIndex);
    static int GetParameterValueType(int pIndex);
    static int GetParameterUnit(int pIndex);
    static double GetParameterDefaultValue(int pIndex);
    static double GetParameterMinValue(int pIndex);
    static double GetParameterMaxValue(int pIndex);

    // Every mode and value back to the table's defaults.
    void Reset();
    // Stores the mode when the mode type accepts it; refused modes are
    // ignored without a trace.
    void SetParameterMode(int pIndex, int pMode);
    int GetParameterMode(int pIndex) const;
    // Each parameter holds one value: pComponent is ignored, so components
    // 0 to 2 read and write the same value. Stored without range check.
    void SetParameterValue(int pIndex, double pValue, int pComponent = 0);
    double GetParameterValue(int pIndex, int pComponent = 0) const;

private:
    KFilterSetBase mBase;
};

}  // namespace qelsdk_600

#endif
