// Evaluation of KFCurve: key search, extrapolation, interpolation of cubic,
// weighted, linear and constant segments, derivatives and the all-keys view.
#include <cmath>

#include "curves/kfcurve.h"
#include "curves/kfcurve_impl.h"

namespace qelsdk_600 {

namespace {

using kfcurve_detail::kTicksPerSecondDouble;
using kfcurve_detail::SecondsBetween;
using kfcurve_detail::SecondsOf;

constexpr double kTwoPow63 = 9223372036854775808.0;

// Unsigned distance from a to b (a <= b): exact over the whole tick range.
kULongLong Distance(kLongLong a, kLongLong b)
{
    return static_cast<kULongLong>(b) - static_cast<kULongLong>(a);
}

kLongLong Offset(kLongLong base, kULongLong delta, bool forward)
{
    return forward ? static_cast<kLongLong>(static_cast<kULongLong>(base) + delta)
                   : static_cast<kLongLong>(static_cast<kULongLong>(base) - delta);
}

// base - span x count (forward: +), or false when it lies beyond every
// representable time in that direction.
bool RepetitionLimit(kLongLong base, kULongLong span, kUInt count, bool forward, kLongLong& limit)
{
    kULongLong length;
    if (__builtin_mul_overflow(span, static_cast<kULongLong>(count), &length))
        return false;
    long double value = static_cast<long double>(base) + (forward ? 1.0L : -1.0L) * static_cast<long double>(length);
    if (value < -kTwoPow63 || value >= kTwoPow63)
        return false;
    limit = Offset(base, length, forward);
    return true;
}

kLongLong SaturateTicks(long double ticks)
{
    if (ticks >= static_cast<long double>(KTime::kInfiniteTicks))
        return KTime::kInfiniteTicks;
    if (ticks <= static_cast<long double>(KTime::kMinusInfiniteTicks))
        return KTime::kMinusInfiniteTicks;
    return static_cast<kLongLong>(ticks);
}

}  // namespace

double KFCurve::KeyFind(KTime time, int* last)
{
    int& hint = last ? *last : mLastSearchIndex;
    const int count = mKeyCount;
    if (count == 0)
        return -1.0;
    int k = hint;
    if (k < 0)
        k = 0;
    else if (k > count - 1)
        k = count - 1;
    const kLongLong t = time.Get();
    auto at = [this](int i) { return Key(i)->GetTime().Get(); };
    const kLongLong tk = at(k);
    if (t == tk) {
        hint = k;
        return k;
    }
    if (t > tk) {
        if (k >= count - 1 || t > at(count - 1)) {
            hint = count;
            return count - 0.5;
        }
        // Gallop from the hint, then bisect: the first key at or after t.
        // Nearby targets (sampling in time order) cost one or two probes.
        int lo = k;
        int hi = k + 1;
        int step = 1;
        while (hi < count - 1 && at(hi) < t) {
            lo = hi;
            step *= 2;
            hi = (count - 1 - lo > step) ? lo + step : count - 1;
        }
        while (hi - lo > 1) {
            const int mid = lo + (hi - lo) / 2;
            if (at(mid) < t)
                lo = mid;
            else
                hi = mid;
        }
        const int before = hi - 1;
        hint = hi;
        const double x = before + SecondsBetween(at(before), t) / SecondsBetween(at(before), at(hi));
        return x < -0.5 ? -0.5 : x;
    }
    if (k == 0 || t < at(0)) {
        hint = 0;
        return -0.5;
    }
    // The last key at or before t, galloping backward from the hint.
    int hi = k;
    int lo = k - 1;
    int step = 1;
    while (lo > 0 && at(lo) > t) {
        hi = lo;
        step *= 2;
        lo = hi > step ? hi - step : 0;
    }
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        if (at(mid) <= t)
            lo = mid;
        else
            hi = mid;
    }
    hint = lo;
    return lo + SecondsBetween(at(lo), t) / SecondsBetween(at(lo), at(lo + 1));
}

double KFCurve::KeyFindAll(KTime time, int* last)
{
    int& hint = last ? *last : mLastSearchIndex;
    const int count = mKeyCount;
    if (count == 0)
        return -1.0;
    const kLongLong t = time.Get();
    const kLongLong t0 = Key(0)->GetTime().Get();
    const kLongLong tl = Key(count - 1)->GetTime().Get();
    const kULongLong span = tl > t0 ? Distance(t0, tl) : 0;

    if (t < t0) {
        if (mPreExtrapolation == kFCurveExtrapolationConstant) {
            if (last)
                *last = 0;
            return 0.0;
        }
        if (span == 0) {
            hint = 0;
            return 0.0;
        }
        const double dspan = static_cast<double>(span);
        double limit = static_cast<double>(t0) - static_cast<double>(mPreExtrapolationCount) * dspan;
        if (limit < -kTwoPow63)
            limit = static_cast<double>(t0) + (std::trunc((-kTwoPow63 - static_cast<double>(t0)) / dspan) + 1.0) * dspan;
        if (static_cast<double>(t) <= limit) {
            hint = 0;
            return 0.0;
        }
        // Whole periods before t0 and the remainder, exact in 64 bits.
        const kULongLong distance = Distance(t, t0);
        const bool odd = ((distance / span) & 1) != 0;
        const kULongLong remainder = distance % span;
        switch (mPreExtrapolation) {
        case kFCurveExtrapolationRepetition:
            return KeyFind(KTime(Offset(tl, remainder, false)), last);
        case kFCurveExtrapolationMirrorRepetition:
            return KeyFind(KTime(odd ? Offset(tl, remainder, false) : Offset(t0, remainder, true)), last);
        default:
            return KeyFind(time, last);
        }
    }

    if (t > tl) {
        if (mPostExtrapolation == kFCurveExtrapolationConstant || span == 0) {
            hint = count - 1;
            return count - 1;
        }
        const double dspan = static_cast<double>(span);
        double limit = static_cast<double>(tl) + static_cast<double>(mPostExtrapolationCount) * dspan;
        if (limit > kTwoPow63)
            limit = static_cast<double>(KTime::kInfiniteTicks);
        if (static_cast<double>(t) >= limit) {
            hint = count - 1;
            return count - 1;
        }
        const kULongLong distance = Distance(tl, t);
        const bool odd = ((distance / span) & 1) != 0;
        const kULongLong remainder = distance % span;
        switch (mPostExtrapolation) {
        case kFCurveExtrapolationRepetition:
            return KeyFind(KTime(Offset(t0, remainder, true)), last);
        case kFCurveExtrapolationMirrorRepetition:
            return KeyFind(KTime(odd ? Offset(t0, remainder, true) : Offset(tl, remainder, false)), last);
        default:
            return KeyFind(time, last);
        }
    }
    return KeyFind(time, last);
}

float KFCurve::Evaluate(KTime time, int* last)
{
    const int count = mKeyCount;
    if (count >= 2) {
        const kLongLong t = time.Get();
        const KFCurveKey* first = Key(0);
        const KFCurveKey* final = Key(count - 1);
        const kLongLong t0 = first->GetTime().Get();
        const kLongLong tl = final->GetTime().Get();
        const kULongLong span = tl > t0 ? Distance(t0, tl) : 0;
        // Keep slope: a straight line along the end tangent for count
        // periods' worth of time, then held; 0xFFFFFFFF never holds.
        if (mPreExtrapolation == kFCurveExtrapolationKeepSlope && t < t0) {
            const double slope = KeyGetRightDerivative(0);
            kLongLong limit;
            const bool bounded = mPreExtrapolationCount != 0xFFFFFFFFu &&
                                 RepetitionLimit(t0, span, mPreExtrapolationCount, false, limit) && t < limit;
            const double seconds = bounded ? -static_cast<double>(span) * mPreExtrapolationCount / kTicksPerSecondDouble
                                           : SecondsBetween(t0, t);
            return static_cast<float>(first->GetValue() + slope * seconds);
        }
        if (mPostExtrapolation == kFCurveExtrapolationKeepSlope && t > tl) {
            const double slope = KeyGetLeftDerivative(count - 1);
            kLongLong limit;
            const bool bounded = mPostExtrapolationCount != 0xFFFFFFFFu &&
                                 RepetitionLimit(tl, span, mPostExtrapolationCount, true, limit) && t > limit;
            const double seconds = bounded ? static_cast<double>(span) * mPostExtrapolationCount / kTicksPerSecondDouble
                                           : SecondsBetween(tl, t);
            return static_cast<float>(final->GetValue() + slope * seconds);
        }
    }
    return EvaluateIndex(KeyFindAll(time, last));
}

float KFCurve::EvaluateIndex(double index)
{
    const int count = mKeyCount;
    if (count == 0)
        return mValue;
    if (count == 1)
        return Key(0)->GetValue();
    // Out-of-range indices (a time outside the keys under an unknown
    // extrapolation type, say) read the end keys instead of memory past them.
    if (!(index > 0.0))
        index = 0.0;
    else if (index > count - 1)
        index = count - 1;
    const double whole = std::floor(index);
    const int i = static_cast<int>(whole);
    if (whole == index)
        return Key(i)->GetValue();

    const int j = i + 1;
    const KFCurveKey* a = Key(i);
    const KFCurveKey* b = Key(j);
    const double u = index - whole;
    const float vi = a->GetValue();
    const float vj = b->GetValue();
    switch (a->GetInterpolation()) {
    case kFCurveInterpolationConstant:
        return a->GetConstantMode() == kFCurveConstantNext ? vj : vi;
    case kFCurveInterpolationLinear:
        return static_cast<float>(vi + u * (static_cast<double>(vj) - vi));
    case kFCurveInterpolationCubic:
        break;
    default:
        return 0.0f;
    }

    const double dt = SecondsBetween(a->GetTime().Get(), b->GetTime().Get());
    if ((a->GetFlags() & kFCurveWeightedMask) == 0) {
        // Time is linear in u: the handles sit at a third of the segment.
        const double p0 = vi;
        const double p1 = vi + KeyGetRightDerivative(i) * dt / 3.0;
        const double p2 = vj - KeyGetLeftDerivative(j) * dt / 3.0;
        const double p3 = vj;
        const double q0 = p0 + u * (p1 - p0);
        const double q1 = p1 + u * (p2 - p1);
        const double q2 = p2 + u * (p3 - p2);
        const double r0 = q0 + u * (q1 - q0);
        const double r1 = q1 + u * (q2 - q1);
        return static_cast<float>(r0 + u * (r1 - r0));
    }

    // Weighted: find the curve parameter whose time is u, then the value.
    const float wR = KeyGetRightTangeantWeight(i);
    const float wL = KeyGetLeftTangeantWeight(j);
    const float s = rtsec(CubicWarp, 0.0f, 1.0f, static_cast<float>(u), wR, wL);
    const float r = 1.0f - s;
    const float p0 = vi;
    const float p1 = static_cast<float>(vi + wR * KeyGetRightDerivative(i) * dt);
    const float p2 = static_cast<float>(vj - wL * KeyGetLeftDerivative(j) * dt);
    const float p3 = vj;
    const float q0 = s * p0 + r * p1;
    const float q1 = s * p1 + r * p2;
    const float q2 = s * p2 + r * p3;
    const float r0 = s * q0 + r * q1;
    const float r1 = s * q1 + r * q2;
    return s * r0 + r * r1;
}

double KFCurve::CubicWarp(float t, float target, float w1, float w2)
{
    const float r = 1.0f - t;
    const float c1 = w1;
    const float c2 = 1.0f - w2;
    const float a0 = c1 * r;  // 0 x t + w1 x r
    const float a1 = c1 * t + c2 * r;
    const float a2 = c2 * t + r;
    const float b0 = a0 * t + a1 * r;
    const float b1 = a1 * t + a2 * r;
    const float x = b0 * t + b1 * r;
    return static_cast<double>(x - target);
}

float KFCurve::rtsec(double (*function)(float, float, float, float), float x1, float x2, float a, float b, float c)
{
    float fl = static_cast<float>(function(x1, a, b, c));
    float fh = static_cast<float>(function(x2, a, b, c));
    float root, other;
    if (std::fabs(fl) < std::fabs(fh)) {
        root = x1;
        other = x2;
        const float swap = fl;
        fl = fh;
        fh = swap;
    } else {
        other = x1;
        root = x2;
    }
    for (int iteration = 0; iteration < 15; ++iteration) {
        if (fh == fl)
            break;  // a flat secant has no root; keep the last estimate, never NaN
        const float dx = (other - root) * fh / (fh - fl);
        other = root;
        fl = fh;
        root = root + dx;
        fh = static_cast<float>(function(root, a, b, c));
        if (std::fabs(dx) < 1e-6f || fh == 0.0f)
            break;
    }
    return root;
}

float KFCurve::EvaluateLeftDerivative(KTime time, int* last)
{
    return EvaluateDerivative(time, last, true);
}

float KFCurve::EvaluateRightDerivative(KTime time, int* last)
{
    return EvaluateDerivative(time, last, false);
}

float KFCurve::EvaluateDerivative(KTime time, int* last, bool leftOfKey)
{
    const int count = mKeyCount;
    if (count < 2)
        return 0.0f;
    const double x = KeyFind(time, last);
    const double lower = std::floor(x);
    if (lower < 0.0)
        return 0.0f;
    if (lower == std::ceil(x)) {
        const int key = static_cast<int>(lower);
        return static_cast<float>(leftOfKey ? KeyGetLeftDerivative(key) : KeyGetRightDerivative(key));
    }
    if (std::ceil(x) > count - 1)
        return 0.0f;
    return SegmentDerivative(static_cast<int>(lower), x - lower);
}

// Derivative inside the segment from key i at fraction u, from the
// unweighted Bezier (weights do not take part).
float KFCurve::SegmentDerivative(int i, double u)
{
    const int j = i + 1;
    const KFCurveKey* a = Key(i);
    const KFCurveKey* b = Key(j);
    const double dt = SecondsBetween(a->GetTime().Get(), b->GetTime().Get());
    const double vi = a->GetValue();
    const double vj = b->GetValue();
    switch (a->GetInterpolation()) {
    case kFCurveInterpolationLinear:
        return static_cast<float>((vj - vi) / dt);
    case kFCurveInterpolationCubic: {
        const double p1 = vi + KeyGetRightDerivative(i) * dt / 3.0;
        const double p2 = vj - KeyGetLeftDerivative(j) * dt / 3.0;
        const double d0 = p1 - vi;
        const double d1 = p2 - p1;
        const double d2 = vj - p2;
        const double e0 = d0 + u * (d1 - d0);
        const double e1 = d1 + u * (d2 - d1);
        return static_cast<float>(3.0 * (e0 + u * (e1 - e0)) / dt);
    }
    default:
        return 0.0f;
    }
}

kUInt KFCurve::KeyGetCountAll() const
{
    if (mKeyCount <= 0)
        return 0;
    const kUInt count = static_cast<kUInt>(mKeyCount);
    return count + (mPreExtrapolationCount + mPostExtrapolationCount) * (count - 1);
}

int KFCurve::MapIndexAll(int index, int& region) const
{
    const int count = mKeyCount;
    if (index < 0) {
        region = kFCurveRegionBefore;
        return 0;
    }
    if (count <= 0) {
        region = kFCurveRegionAfter;
        return -1;
    }
    const kULongLong a = static_cast<kULongLong>(index);
    const kULongLong m = static_cast<kULongLong>(count - 1);
    const kULongLong pre = mPreExtrapolationCount;
    const kULongLong post = mPostExtrapolationCount;
    // m < 2^31 and the counts < 2^32: no product below overflows 64 bits.
    const kULongLong preKeys = m * pre;
    if (a < preKeys) {  // only reachable with m >= 1
        region = kFCurveRegionPreRepetition;
        const int r = static_cast<int>(a % m);
        switch (mPreExtrapolation) {
        case kFCurveExtrapolationConstant:
            return 0;
        case kFCurveExtrapolationRepetition:
            return r;
        case kFCurveExtrapolationMirrorRepetition:
            // Periods are counted from the far end; the one next to the keys
            // is mirrored.
            return ((pre - a / m) & 1) ? count - 1 - r : r;
        default:
            return index;
        }
    }
    if (a < count + preKeys) {
        region = kFCurveRegionKeys;
        return static_cast<int>(a - preKeys);
    }
    if (a >= count + m * (pre + post)) {
        region = kFCurveRegionAfter;
        return count - 1;
    }
    region = kFCurveRegionPostRepetition;
    const kULongLong b = m + a - preKeys;
    const int r = static_cast<int>(b % m);
    switch (mPostExtrapolation) {
    case kFCurveExtrapolationConstant:
        return count - 1;
    case kFCurveExtrapolationRepetition:
        return r;
    case kFCurveExtrapolationMirrorRepetition:
        // The period next to the keys (b / m == 2) is mirrored, then every
        // other one, whatever the number of repetitions.
        return ((b / m) & 1) == 0 ? count - 1 - r : r;
    default:
        return index;
    }
}

KFCurveKey* KFCurve::KeyGetRawAll(int index)
{
    int region;
    const int key = MapIndexAll(index, region);
    if (key < 0 || key >= mKeyCount)
        return nullptr;
    return Key(key);
}

KTime KFCurve::KeyGetTimeAll(int index) const
{
    const int count = mKeyCount;
    if (count == 0)
        return KTime(0);
    int region;
    const int k = MapIndexAll(index, region);
    if (region == kFCurveRegionKeys)
        return Key(k)->GetTime();
    if (count < 2)
        return Key(0)->GetTime();
    const long double t0 = static_cast<long double>(Key(0)->GetTime().Get());
    const long double tl = static_cast<long double>(Key(count - 1)->GetTime().Get());
    const long double span = tl - t0;
    const int m = count - 1;
    const long double period = static_cast<long double>(index / m);
    long double offset = 0.0L;
    if (k >= 0 && k < count) {
        const long double tk = static_cast<long double>(Key(k)->GetTime().Get());
        if (region == kFCurveRegionPreRepetition) {
            if (mPreExtrapolation == kFCurveExtrapolationRepetition)
                offset = tk - t0;
            else if (mPreExtrapolation == kFCurveExtrapolationMirrorRepetition)
                offset = ((static_cast<kULongLong>(mPreExtrapolationCount) - static_cast<kULongLong>(index / m)) & 1)
                             ? tl - tk
                             : tk - t0;
        } else if (region == kFCurveRegionPostRepetition) {
            if (mPostExtrapolation == kFCurveExtrapolationRepetition) {
                offset = tk - t0;
            } else if (mPostExtrapolation == kFCurveExtrapolationMirrorRepetition) {
                const kULongLong b = static_cast<kULongLong>(m) + static_cast<kULongLong>(index) -
                                     static_cast<kULongLong>(m) * mPreExtrapolationCount;
                offset = ((b / m) & 1) == 0 ? tl - tk : tk - t0;
            }
        }
    }
    return KTime(SaturateTicks(t0 - mPreExtrapolationCount * span + period * span + offset));
}

}  // namespace qelsdk_600
