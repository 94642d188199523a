// Helpers shared by the curve filter tests: random curves of every key kind
// and key-by-key comparison.
#ifndef QELSDK_TESTS_CURVES_FILTER_BUILDERS_H
#define QELSDK_TESTS_CURVES_FILTER_BUILDERS_H

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "curve_builders.h"
#include "curves/kfcurve.h"

namespace qelsdk_600 {
namespace testing_curves {

static_assert(sizeof(KFCurveKey) == 32, "keys are compared as raw records");

// Key times in whole frames (1/30 s) from `start`.
inline KTime Frame(int frame)
{
    return KTime(KTime::kTicksPerSecond / 30 * frame);
}

// A curve of `count` keys at increasing frames (gaps of 1 to `maxGap`), each
// of a random kind (constant, linear, cubic auto, auto-break, user,
// user-break, TCB, weighted user) and a value drawn from `values`.
inline void FillRandom(KFCurve& curve, std::mt19937& random, int count, const std::vector<float>& values,
                       int maxGap = 3)
{
    std::uniform_int_distribution<int> gap(1, maxGap);
    std::uniform_int_distribution<int> kind(0, 7);
    std::uniform_int_distribution<std::size_t> pick(0, values.size() - 1);
    std::uniform_real_distribution<float> slope(-5.0f, 5.0f);
    std::uniform_real_distribution<float> weight(0.1f, 0.9f);
    int frame = 0;
    for (int i = 0; i < count; ++i) {
        frame += gap(random);
        const KTime t = Frame(frame);
        const float v = values[pick(random)];
        const int index = curve.KeyAppendFast(t, v);
        switch (kind(random)) {
        case 0:
            curve.KeySet(index, t, v, kFCurveInterpolationConstant, 0);
            break;
        case 1:
            curve.KeySet(index, t, v, kFCurveInterpolationLinear, 0);
            break;
        case 2:
            curve.KeySet(index, t, v, kFCurveInterpolationCubic, kFCurveTangentAuto);
            break;
        case 3:
            curve.KeySet(index, t, v, kFCurveInterpolationCubic, kFCurveTangentAutoBreak, slope(random),
                         slope(random));
            break;
        case 4:
            curve.KeySet(index, t, v, kFCurveInterpolationCubic, kFCurveTangentUser, slope(random), slope(random));
            break;
        case 5:
            curve.KeySet(index, t, v, kFCurveInterpolationCubic, kFCurveTangentUserBreak, slope(random),
                         slope(random));
            break;
        case 6:
            curve.KeySetTCB(index, t, v, weight(random) - 0.5f, weight(random) - 0.5f, weight(random) - 0.5f);
            break;
        default:
            curve.KeySet(index, t, v, kFCurveInterpolationCubic, kFCurveTangentUser, slope(random), slope(random),
                         kFCurveWeightedMask, weight(random), weight(random));
            break;
        }
    }
}

// Empty when the two curves hold the same keys, record for record;
// otherwise the first difference.
inline std::string KeyDifference(const KFCurve& a, const KFCurve& b)
{
    if (a.KeyGetCount() != b.KeyGetCount())
        return "key counts " + std::to_string(a.KeyGetCount()) + " and " + std::to_string(b.KeyGetCount());
    // Flag bits outside these groups are not defined for keys made by some
    // edits (they come from an uninitialised record) and are ignored.
    const kUInt defined = kFCurveInterpolationMask | kFCurveTangentMask | kFCurveWeightedMask | kFCurveVelocityMask;
    for (int i = 0; i < a.KeyGetCount(); ++i) {
        KFCurveKey x = a.KeyGet(i);
        KFCurveKey y = b.KeyGet(i);
        const kUInt xFlags = x.GetFlags() & defined;
        const kUInt yFlags = y.GetFlags() & defined;
        if (xFlags != yFlags)
            return "flags of key " + std::to_string(i) + ": " + std::to_string(xFlags) + " and " +
                   std::to_string(yFlags);
        x.SetFlags(0);
        y.SetFlags(0);
        if (std::memcmp(&x, &y, sizeof(KFCurveKey)) != 0)
            return "key " + std::to_string(i) + " (value " + std::to_string(a.KeyGetValue(i)) + " and " +
                   std::to_string(b.KeyGetValue(i)) + ")";
    }
    if (a.GetValue() != b.GetValue())
        return "default values";
    return "";
}

inline std::vector<float> Values(const KFCurve& curve)
{
    std::vector<float> out;
    for (int i = 0; i < curve.KeyGetCount(); ++i)
        out.push_back(curve.KeyGetValue(i));
    return out;
}

inline std::vector<double> Seconds(const KFCurve& curve)
{
    std::vector<double> out;
    for (int i = 0; i < curve.KeyGetCount(); ++i)
        out.push_back(curve.KeyGetTime(i).GetSecondDouble());
    return out;
}

}  // namespace testing_curves
}  // namespace qelsdk_600

#endif
