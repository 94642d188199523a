// Whole-curve utilities: comparison, key kinds, conversion, grid resampling
// and splicing.
#include "curves/kfcurveutils.h"

#include <climits>
#include <cmath>
#include <memory>
#include <vector>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"

namespace qelsdk_600 {

namespace {

const char* const kMessages[] = {"No key", "Multiple interpolation or tangeants types", "Multiple key count",
                                 "Unsynched keys", "Left unchanged"};

constexpr double kEpsilon = 2.220446049250313e-16;

bool Equal(double x, double y)
{
    return !(y - kEpsilon > x) && !(x > y + kEpsilon);
}

bool IsUserMode(kUInt mode)
{
    return mode == kFCurveTangentUser || mode == kFCurveTangentUserBreak;
}

bool IsCubicUser(KFCurve& curve, int index)
{
    return curve.KeyGetInterpolation(index) == kFCurveInterpolationCubic && IsUserMode(curve.KeyGetTangeantMode(index));
}

// A copy of `source` when it is also the curve being written, so that reads
// never see the writes; null otherwise.
std::unique_ptr<KFCurve> Detach(KFCurve& source, const KFCurve& destination)
{
    if (&source != &destination)
        return nullptr;
    std::unique_ptr<KFCurve> copy(new KFCurve);
    copy->CopyFrom(source, true);
    return copy;
}

// The sample times of a grid: start + k x period for k below `regular`, then
// stop when `extra`. False when the count does not fit in a curve. Needs
// start < stop and a positive period; the span then fits unsigned 64 bits.
bool GridSize(const KTime& start, const KTime& stop, const KTime& period, bool includeStop, int& regular,
              bool& extra)
{
    const kULongLong span = static_cast<kULongLong>(stop.Get()) - static_cast<kULongLong>(start.Get());
    const kULongLong step = static_cast<kULongLong>(period.Get());
    const kULongLong steps = span / step;
    extra = includeStop && span % step != 0;
    if (steps > INT_MAX / 2 - 2)
        return false;
    regular = static_cast<int>(steps) + 1;
    return true;
}

// Writes the grid of samples into `destination` (raw, inside one key
// modification); `sample` fills key k at time t. False, destination
// unchanged, when there is no room.
template <typename Sample>
bool WriteGrid(KFCurve& destination, const KTime& start, const KTime& stop, const KTime& period, bool includeStop,
               Sample sample)
{
    int regular;
    bool extra;
    if (!GridSize(start, stop, period, includeStop, regular, extra)) {
        KFCurveUtils::smError.SetLastError(4, "KFCurveUtils, Too many samples; curve left unchanged.");
        return false;
    }
    const int total = regular + (extra ? 1 : 0);
    if (!destination.KeyModifyBegin(total)) {
        destination.KeyModifyEnd();
        KFCurveUtils::smError.SetLastError(4, "KFCurveUtils, Out of memory; curve left unchanged.");
        return false;
    }
    // The slots may still hold old keys, whose selection and velocity bits
    // a key written over them would otherwise keep.
    KTime t = start;
    for (int k = 0; k < regular; ++k, t += period) {
        destination.KeyGetPtr(k)->Init();
        sample(k, t);
    }
    if (extra) {
        destination.KeyGetPtr(regular)->Init();
        sample(regular, stop);
    }
    destination.CallbackAddEvent(kFCurveEventKey, -1);
    destination.KeyModifyEnd(total);
    destination.KeyShrink();
    return true;
}

}  // namespace

KError KFCurveUtils::smError(kMessages, 5);

bool KFCurveUtils::CompareCurve(KFCurve* a, KFCurve* b)
{
    if (!a || !b)
        return a == b;
    if (!Equal(a->GetValue(), b->GetValue()))
        return false;
    const int count = a->KeyGetCount();
    if (count != b->KeyGetCount())
        return false;
    for (int i = 0; i < count; ++i) {
        if (a->KeyGetTime(i) != b->KeyGetTime(i) || !Equal(a->KeyGetValue(i), b->KeyGetValue(i)) ||
            a->KeyGetInterpolation(i) != b->KeyGetInterpolation(i))
            return false;
        if (a->KeyGetInterpolation(i) != kFCurveInterpolationCubic)
            continue;
        const kUInt mode = a->KeyGetTangeantMode(i);
        if (mode != b->KeyGetTangeantMode(i))
            return false;
        if (mode == kFCurveTangentTCB) {
            for (int item = eKFCurveTCBTension; item <= eKFCurveTCBBias; ++item)
                if (!Equal(a->KeyGetDataFloat(i, item), b->KeyGetDataFloat(i, item)))
                    return false;
        } else if (IsUserMode(mode)) {
            for (int item = eKFCurveRightDerivative; item <= eKFCurveNextLeftDerivative; ++item)
                if (!Equal(a->KeyGetDataDouble(i, item), b->KeyGetDataDouble(i, item)))
                    return false;
        }
    }
    return true;
}

namespace {

bool GlobalBits(unsigned int& out, KFCurve& curve, kUInt (KFCurve::*get)(int) const, const char* mixed)
{
    out = 0;
    const int count = curve.KeyGetCount();
    if (count == 0) {
        KFCurveUtils::smError.SetLastError(0, "KFCurveFilter, No key to be filtered.");
        return false;
    }
    out = (curve.*get)(0);
    bool reported = false;
    for (int i = 1; i < count; ++i) {
        const kUInt bits = (curve.*get)(i);
        out |= bits;
        if (!reported && bits != out) {
            KFCurveUtils::smError.SetLastError(1, mixed);
            reported = true;
        }
    }
    return true;
}

}  // namespace

bool KFCurveUtils::GetGlobalInterpolation(unsigned int& out, KFCurve& curve)
{
    return GlobalBits(out, curve, &KFCurve::KeyGetInterpolation, "KFCurveFilter, No single interpolation type.");
}

bool KFCurveUtils::GetGlobalTangeant(unsigned int& out, KFCurve& curve)
{
    return GlobalBits(out, curve, &KFCurve::KeyGetTangeantMode, "KFCurveFilter, No single tangeant mode.");
}

bool KFCurveUtils::GetInterpolationAndTangeantCount(KFCurve& curve, int* counts)
{
    if (!counts)
        return false;
    for (int i = 0; i < 7; ++i)
        counts[i] = 0;
    for (int i = 0, n = curve.KeyGetCount(); i < n; ++i) {
        switch (curve.KeyGetInterpolation(i)) {
        case kFCurveInterpolationConstant:
            ++counts[0];
            break;
        case kFCurveInterpolationLinear:
            ++counts[1];
            break;
        case kFCurveInterpolationCubic:
            switch (curve.KeyGetTangeantMode(i)) {
            case kFCurveTangentAuto:
                ++counts[2];
                break;
            case kFCurveTangentAutoBreak:
                ++counts[3];
                break;
            case kFCurveTangentUser:
                ++counts[4];
                break;
            case kFCurveTangentUserBreak:
                ++counts[5];
                break;
            case kFCurveTangentTCB:
                ++counts[6];
                break;
            default:
                break;
            }
            break;
        default:
            break;
        }
    }
    return true;
}

void KFCurveUtils::ConvertCurveInterpolationRecursive(unsigned int interpolation, unsigned int tangentMode,
                                                      KFCurveNode& node)
{
    for (int i = 0; i < node.GetCount(); ++i)
        if (KFCurveNode* child = node.Get(i))
            ConvertCurveInterpolationRecursive(interpolation, tangentMode, *child);
    if (KFCurve* curve = node.FCurveGet()) {
        for (int i = 0, n = curve->KeyGetCount(); i < n; ++i) {
            curve->KeySetInterpolation(i, interpolation);
            curve->KeySetTangeantMode(i, tangentMode);
        }
    }
}

KFCurve& KFCurveUtils::ConvertCurve(KFCurve& source, KFCurve& destination, unsigned int interpolation,
                                    unsigned int tangentMode, KTime period)
{
    std::unique_ptr<KFCurve> detached = Detach(source, destination);
    KFCurve& from = detached ? *detached : source;
    // Every source key time receives a key, and samples only fall between
    // source keys, so the keys added replace the copied ones one for one:
    // the result is built by appending.
    destination.CopyFrom(from, false);
    destination.KeyModifyBegin();
    const int count = from.KeyGetCount();
    int last = -1;
    int evaluate = -1;
    auto sampleKey = [&](KTime t) {
        KFCurveKey key;
        key.Init();  // Set keeps the flag bits it does not own
        key.Set(t, from.Evaluate(t, &evaluate), interpolation, tangentMode);
        destination.KeyAdd(t, key, &last);
    };
    for (int i = 0; i < count; ++i) {
        const KTime t = from.KeyGetTime(i);
        const kUInt sourceInterpolation = from.KeyGetInterpolation(i);
        const kUInt sourceMode = from.KeyGetTangeantMode(i);
        const bool cubic = interpolation == kFCurveInterpolationCubic;
        const bool sourceCubic = sourceInterpolation == kFCurveInterpolationCubic;
        const bool sourceAuto = sourceMode == kFCurveTangentAuto || sourceMode == kFCurveTangentAutoBreak;
        if ((sourceInterpolation == interpolation && !cubic) || (cubic && sourceCubic && sourceMode == tangentMode)) {
            destination.KeyAdd(t, &from, i, &last);
        } else if (cubic && sourceCubic &&
                   ((tangentMode == kFCurveTangentUser && sourceAuto) ||
                    (tangentMode == kFCurveTangentUserBreak && (sourceAuto || sourceMode == kFCurveTangentUser)))) {
            const bool hasNext = i + 1 < count;
            KFCurveKey key;
            key.Init();
            key.Set(t, from.KeyGetValue(i), interpolation, tangentMode,
                    hasNext ? static_cast<float>(from.KeyGetRightDerivative(i)) : 0.0f,
                    hasNext ? static_cast<float>(from.KeyGetLeftDerivative(i + 1)) : 0.0f);
            destination.KeyAdd(t, key, &last);
        } else if (i + 1 >= count || period.Get() <= 0) {
            // A period of 0 or less would never reach the next key.
            sampleKey(t);
        } else {
            const kLongLong next = from.KeyGetTime(i + 1).Get();
            for (kLongLong s = t.Get(); s < next;) {
                sampleKey(KTime(s));
                if (__builtin_add_overflow(s, period.Get(), &s))
                    break;
            }
        }
    }
    destination.KeyModifyEnd();
    return destination;
}

void KFCurveUtils::Resample(KFCurve& source, KFCurve& destination, const KTime& start, const KTime& stop,
                            const KTime& period, unsigned int interpolation, unsigned int tangentMode,
                            bool includeStop)
{
    if (!(start < stop) || period.Get() <= 0)
        return;
    std::unique_ptr<KFCurve> detached = Detach(source, destination);
    KFCurve& from = detached ? *detached : source;
    int last = -1;
    WriteGrid(destination, start, stop, period, includeStop, [&](int k, KTime t) {
        destination.KeySet(k, t, from.Evaluate(t, &last), interpolation, tangentMode);
    });
}

void KFCurveUtils::Resample(KFCurve& source, KFCurve& destination, const KTime& start, const KTime& stop,
                            const KTime& period, bool includeStop)
{
    if (!(start < stop) || period.Get() <= 0)
        return;
    std::unique_ptr<KFCurve> detached = Detach(source, destination);
    KFCurve& from = detached ? *detached : source;
    const int lastKey = from.KeyGetCount() - 1;
    int find = -1;
    int evaluate = -1;
    int derivative = -1;
    // Left slopes of user samples, written once every key is in place: the
    // left tangent of a key is stored on the key before it.
    std::vector<std::pair<int, float>> leftSlopes;
    const bool written = WriteGrid(destination, start, stop, period, includeStop, [&](int k, KTime t) {
        const double index = from.KeyFind(t, &find);
        const float value = from.Evaluate(t, &evaluate);
        kUInt interpolation = kFCurveInterpolationCubic;
        kUInt mode = kFCurveTangentAuto;
        float right = 0.0f;
        if (index >= 0.0 && index <= lastKey) {
            const int key = static_cast<int>(index);
            interpolation = from.KeyGetInterpolation(key);
            mode = from.KeyGetTangeantMode(key);
            if (interpolation == kFCurveInterpolationCubic) {
                if (IsUserMode(mode)) {
                    right = from.EvaluateRightDerivative(t, &derivative);
                    leftSlopes.emplace_back(k, from.EvaluateLeftDerivative(t, &derivative));
                } else if (mode == kFCurveTangentTCB) {
                    mode = kFCurveTangentAuto;
                }
            }
        }
        destination.KeySet(k, t, value, interpolation, mode, right);
    });
    if (!written || leftSlopes.empty())
        return;
    destination.KeyModifyBegin();
    for (const auto& slope : leftSlopes)
        destination.KeySetLeftDerivative(slope.first, slope.second);
    destination.KeyModifyEnd();
}

void KFCurveUtils::Resample(KFCurve& curve, KTime start, KTime stop, KTime period, bool alignOnPeriod)
{
    if (!(start < stop) || period.Get() <= 0)
        return;
    const int count = curve.KeyGetCount();
    if (start == KTIME_MINUS_INFINITE)
        start = count > 0 ? curve.KeyGetTime(0) : KTIME_ZERO;
    if (stop == KTIME_INFINITE)
        stop = count > 0 ? curve.KeyGetTime(count - 1) : start;
    KTime s = start;
    if (alignOnPeriod && start.Get() % period.Get() != 0) {
        const kLongLong below = start.Get() / period.Get() * period.Get();
        if (below > 0)
            s = KTime(below + period.Get());  // below < start, so this cannot overflow
    }
    if (!(s < stop))
        return;
    int regular;
    bool extra;
    if (!GridSize(s, stop, period, false, regular, extra)) {
        smError.SetLastError(4, "KFCurveUtils, Too many samples; curve left unchanged.");
        return;
    }
    std::unique_ptr<KFCurve> samples(new KFCurve);
    int last = -1;
    KTime t = s;
    for (int k = 0; k < regular; ++k, t += period)
        if (samples->KeyAppendFast(t, curve.Evaluate(t, &last)) < 0)
            return;  // out of memory: the curve stays as it was
    curve.Replace(samples.get(), start, stop, true, true);
}

KFCurve& KFCurveUtils::Merge(KFCurve& base, KFCurve& insert, KFCurve& result)
{
    const int nA = base.KeyGetCount();
    const int nB = insert.KeyGetCount();
    if (nA == 0 && nB == 0)
        return result;
    if (nA == 0 || (nB > 0 && insert.KeyGetTime(0) <= base.KeyGetTime(0) &&
                    insert.KeyGetTime(nB - 1) >= base.KeyGetTime(nA - 1))) {
        result.CopyFrom(insert, true);
        return result;
    }
    if (nB == 0) {
        result.CopyFrom(base, true);
        return result;
    }
    const KTime insertFirst = insert.KeyGetTime(0);
    const KTime insertLast = insert.KeyGetTime(nB - 1);
    const int c = static_cast<int>(std::ceil(base.KeyFind(insertFirst)));
    const int f = static_cast<int>(std::floor(base.KeyFind(insertLast)));
    // Gathered first: the result may be the base or the insert.
    std::vector<KFCurveKey> keys;
    keys.reserve(static_cast<std::size_t>(c - f + nA + nB - 1));
    for (int i = 0; i < c; ++i)
        keys.push_back(base.KeyGet(i));
    for (int i = 0; i < nB; ++i)
        keys.push_back(insert.KeyGet(i));
    for (int i = f + 1; i < nA; ++i)
        keys.push_back(base.KeyGet(i));
    // Where the base had a user tangent across a junction, the keys there
    // keep the base's slope at the junction.
    if (c - 1 >= 0 && c < nA && IsCubicUser(base, c - 1))
        keys[static_cast<std::size_t>(c - 1)].SetDataDouble(eKFCurveNextLeftDerivative,
                                                            base.EvaluateRightDerivative(insertFirst));
    if (f >= 0 && f < nA - 1 && IsCubicUser(base, f)) {
        KFCurveKey& lastInserted = keys[static_cast<std::size_t>(c + nB - 1)];
        lastInserted.SetInterpolation(kFCurveInterpolationCubic);
        lastInserted.SetTangeantMode(kFCurveTangentUserBreak);
        lastInserted.SetDataDouble(eKFCurveRightDerivative, base.EvaluateLeftDerivative(insertLast));
        lastInserted.SetDataDouble(eKFCurveNextLeftDerivative, base.KeyGetDataFloat(f, eKFCurveNextLeftDerivative));
    }
    const int total = static_cast<int>(keys.size());
    if (!result.KeyModifyBegin(total)) {
        result.KeyModifyEnd();
        smError.SetLastError(4, "KFCurveUtils, Out of memory; curve left unchanged.");
        return result;
    }
    for (int i = 0; i < total; ++i)
        *result.KeyGetPtr(i) = keys[static_cast<std::size_t>(i)];
    result.CallbackAddEvent(kFCurveEventKey, -1);
    result.KeyModifyEnd(total);
    result.KeyShrink();
    return result;
}

namespace {

// a - b, saturated at the infinite times.
KTime SaturatedDifference(KTime a, KTime b)
{
    kLongLong difference;
    if (__builtin_sub_overflow(a.Get(), b.Get(), &difference) || difference < KTime::kMinusInfiniteTicks)
        return a > b ? KTIME_INFINITE : KTIME_MINUS_INFINITE;
    return KTime(difference);
}

}  // namespace

KTime KFCurveUtils::FindTimeOffsetBefore(KFCurve& curve, const KTime& time)
{
    if (curve.KeyGetCount() == 0 || !(curve.KeyGetTime(0) > time))
        return KTIME_ZERO;
    return SaturatedDifference(curve.KeyGetTime(0), time);
}

KTime KFCurveUtils::FindTimeOffsetAfter(KFCurve& curve, const KTime& time)
{
    const int count = curve.KeyGetCount();
    if (count == 0 || !(curve.KeyGetTime(count - 1) < time))
        return KTIME_ZERO;
    return SaturatedDifference(curve.KeyGetTime(count - 1), time);
}

}  // namespace qelsdk_600
