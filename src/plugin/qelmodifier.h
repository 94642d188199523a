// Value modifiers: objects that map one value to another, shared by the
// export and the import (focal length to field of view and back).
#ifndef QELVESK_PLUGIN_QELMODIFIER_H
#define QELVESK_PLUGIN_QELMODIFIER_H

#include <limits>

// A double truncated toward zero into an integer type, saturating at the
// type's range; NaN gives 0.
template <class T>
T QelSaturate(double pValue)
{
    if (!(pValue == pValue))
        return T(0);
    if (pValue <= static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (pValue >= static_cast<double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(pValue);
}

// The root of the modifiers: every Modify returns its argument unchanged.
// A derived modifier overrides all five; its integer forms truncate toward
// zero and saturate (QelSaturate), its float form saturates to float range.
class QelModifier {
public:
    virtual ~QelModifier() = default;
    virtual int Modify(int pValue) { return pValue; }
    virtual long Modify(long pValue) { return pValue; }
    virtual unsigned int Modify(unsigned int pValue) { return pValue; }
    virtual float Modify(float pValue) { return pValue; }
    virtual double Modify(double pValue) { return pValue; }
};

#endif
