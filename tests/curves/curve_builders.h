// Small helpers shared by the curve tests.
#ifndef QELSDK_TESTS_CURVES_CURVE_BUILDERS_H
#define QELSDK_TESTS_CURVES_CURVE_BUILDERS_H

#include <cmath>
#include <initializer_list>
#include <memory>
#include <utility>

#include "curves/kfcurve.h"

namespace qelsdk_600 {
namespace testing_curves {

constexpr kUInt kCubic = kFCurveInterpolationCubic;
constexpr kUInt kLinear = kFCurveInterpolationLinear;
constexpr kUInt kConstant = kFCurveInterpolationConstant;

// One frame at 30 frames a second.
const KTime kFrame(1539538600LL);

// A curve from KFCurveCreate/Copy, freed through Destroy.
struct CurveDeleter {
    void operator()(KFCurve* curve) const { curve->Destroy(); }
};
using CurvePtr = std::unique_ptr<KFCurve, CurveDeleter>;

// A time of whole or fractional seconds, rounded to the nearest tick.
inline KTime Sec(double seconds)
{
    return KTime(static_cast<kLongLong>(std::llround(seconds * static_cast<double>(KTime::kTicksPerSecond))));
}

struct KeyRow {
    double seconds;
    float value;
    kUInt interpolation;
    kUInt tangentMode;
};

// Appends the keys in order and gives each its interpolation and mode, with
// derivatives 0 and no weights.
inline void Fill(KFCurve& curve, std::initializer_list<KeyRow> keys)
{
    for (const KeyRow& row : keys) {
        const int index = curve.KeyAppendFast(Sec(row.seconds), row.value);
        curve.KeySet(index, Sec(row.seconds), row.value, row.interpolation, row.tangentMode);
    }
}

// Keys of one interpolation and mode at the given (seconds, value) pairs.
inline void FillUniform(KFCurve& curve, kUInt interpolation, kUInt tangentMode,
                        std::initializer_list<std::pair<double, float>> keys)
{
    for (const auto& key : keys) {
        const int index = curve.KeyAppendFast(Sec(key.first), key.second);
        curve.KeySet(index, Sec(key.first), key.second, interpolation, tangentMode);
    }
}

// A piecewise linear curve through the given (seconds, value) points.
inline void Linear(KFCurve& curve, std::initializer_list<std::pair<double, float>> keys)
{
    FillUniform(curve, kFCurveInterpolationLinear, 0, keys);
}

// Whether every key comes strictly after the one before.
inline bool StrictlyIncreasing(const KFCurve& curve)
{
    for (int i = 1; i < curve.KeyGetCount(); ++i)
        if (!(curve.KeyGetTime(i - 1) < curve.KeyGetTime(i)))
            return false;
    return true;
}

}  // namespace testing_curves
}  // namespace qelsdk_600

#endif
