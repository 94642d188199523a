// Keys of a curve: storage, editing, tangents and evaluation.
#include <algorithm>
#include <cmath>

#include "anim/anim_curve.h"

namespace vesk {
namespace {

bool validType(int type)
{
    return type >= 0 && type < kTangentTypeCount;
}

int storedType(int type)
{
    return type == kTangentGlobal ? kTangentSmooth : type;
}

bool finite(double v)
{
    return std::isfinite(v);
}

// Position of the first key at or after t.
size_t insertPosition(const std::vector<CurveKey>& keys, double t)
{
    if (keys.empty() || t > keys.back().time)
        return keys.size();
    return static_cast<size_t>(std::lower_bound(keys.begin(), keys.end(), t,
                                                [](const CurveKey& k, double time) { return k.time < time; }) -
                               keys.begin());
}

} // namespace

long AnimCurve::find(double t) const
{
    // Appending in time order asks about times past the last key.
    if (mKeys.empty() || t > mKeys.back().time)
        return -1;
    auto it = std::lower_bound(mKeys.begin(), mKeys.end(), t,
                               [](const CurveKey& k, double time) { return k.time < time; });
    return it != mKeys.end() && it->time == t ? static_cast<long>(it - mKeys.begin()) : -1;
}

size_t AnimCurve::findClosestBelow(double t) const
{
    auto it = std::upper_bound(mKeys.begin(), mKeys.end(), t,
                               [](double time, const CurveKey& k) { return time < k.time; });
    return it == mKeys.begin() ? 0 : static_cast<size_t>(it - mKeys.begin()) - 1;
}

MStatus AnimCurve::addKey(double t, double v, int inType, int outType, size_t* index)
{
    if (!finite(t) || !finite(v) || !validType(inType) || !validType(outType) || find(t) >= 0)
        return MStatus::kInvalidParameter;
    CurveKey k;
    k.time = t;
    k.value = v;
    k.inType = storedType(inType);
    k.outType = storedType(outType);
    const size_t at = insertPosition(mKeys, t);
    mKeys.insert(mKeys.begin() + static_cast<long>(at), k);
    if (index)
        *index = at;
    return MStatus::kSuccess;
}

MStatus AnimCurve::remove(size_t i)
{
    if (i >= mKeys.size())
        return MStatus::kInvalidParameter;
    mKeys.erase(mKeys.begin() + static_cast<long>(i));
    return MStatus::kSuccess;
}

MStatus AnimCurve::setTime(size_t i, double t, size_t* newIndex)
{
    if (i >= mKeys.size() || !finite(t))
        return MStatus::kInvalidParameter;
    const long other = find(t);
    if (other >= 0 && static_cast<size_t>(other) != i)
        return MStatus::kInvalidParameter;
    CurveKey k = mKeys[i];
    k.time = t;
    mKeys.erase(mKeys.begin() + static_cast<long>(i));
    const size_t at = insertPosition(mKeys, t);
    mKeys.insert(mKeys.begin() + static_cast<long>(at), k);
    if (newIndex)
        *newIndex = at;
    return MStatus::kSuccess;
}

MStatus AnimCurve::setValue(size_t i, double v)
{
    if (i >= mKeys.size() || !finite(v))
        return MStatus::kInvalidParameter;
    mKeys[i].value = v;
    return MStatus::kSuccess;
}

MStatus AnimCurve::setTangentType(size_t i, bool in, int type)
{
    if (i >= mKeys.size() || !validType(type))
        return MStatus::kInvalidParameter;
    CurveKey& k = mKeys[i];
    const double s = slope(i, in);
    (in ? k.inType : k.outType) = storedType(type);
    // A side made fixed keeps the slope it had.
    if (type == kTangentFixed)
        (in ? k.inSlope : k.outSlope) = s;
    return MStatus::kSuccess;
}

MStatus AnimCurve::setTangent(size_t i, bool in, double s, double ext)
{
    if (i >= mKeys.size() || !finite(s) || !finite(ext))
        return MStatus::kInvalidParameter;
    CurveKey& k = mKeys[i];
    const bool keepExtent = k.weightsLocked || ext <= 0.0;
    if (in) {
        k.inType = kTangentFixed;
        k.inSlope = s;
        if (!keepExtent)
            k.inExtent = ext;
    } else {
        k.outType = kTangentFixed;
        k.outSlope = s;
        if (!keepExtent)
            k.outExtent = ext;
    }
    if (k.tangentsLocked) {
        (in ? k.outType : k.inType) = kTangentFixed;
        (in ? k.outSlope : k.inSlope) = s;
    }
    return MStatus::kSuccess;
}

MStatus AnimCurve::setLocks(size_t i, bool tangents, bool on)
{
    if (i >= mKeys.size())
        return MStatus::kInvalidParameter;
    (tangents ? mKeys[i].tangentsLocked : mKeys[i].weightsLocked) = on;
    return MStatus::kSuccess;
}

double AnimCurve::smoothSlope(size_t i) const
{
    const bool prev = i > 0;
    const bool next = i + 1 < mKeys.size();
    const CurveKey& a = mKeys[prev ? i - 1 : i];
    const CurveKey& b = mKeys[next ? i + 1 : i];
    if (!prev && !next)
        return 0.0;
    return (b.value - a.value) / (b.time - a.time);
}

double AnimCurve::slope(size_t i, bool in) const
{
    if (i >= mKeys.size())
        return 0.0;
    const CurveKey& k = mKeys[i];
    switch (in ? k.inType : k.outType) {
    case kTangentFixed:
        return in ? k.inSlope : k.outSlope;
    case kTangentLinear: {
        const size_t j = in ? i - 1 : i + 1;
        if ((in && i == 0) || j >= mKeys.size())
            return 0.0;
        return (mKeys[j].value - k.value) / (mKeys[j].time - k.time);
    }
    case kTangentFlat:
    case kTangentStep:
        return 0.0;
    case kTangentClamped:
        if (i > 0 && i + 1 < mKeys.size()) {
            const double a = mKeys[i - 1].value;
            const double b = mKeys[i + 1].value;
            if ((k.value >= a && k.value >= b) || (k.value <= a && k.value <= b))
                return 0.0;
        }
        return smoothSlope(i);
    default:
        return smoothSlope(i);
    }
}

double AnimCurve::extent(size_t i, bool in) const
{
    if (i >= mKeys.size())
        return 0.0;
    const CurveKey& k = mKeys[i];
    const double stored = in ? k.inExtent : k.outExtent;
    if (stored > 0.0)
        return stored;
    const bool prev = i > 0;
    const bool next = i + 1 < mKeys.size();
    if (in ? prev : next)
        return in ? k.time - mKeys[i - 1].time : mKeys[i + 1].time - k.time;
    if (in ? next : prev)
        return in ? mKeys[i + 1].time - k.time : k.time - mKeys[i - 1].time;
    return 1.0;
}

double AnimCurve::segmentValue(size_t i, double t) const
{
    const CurveKey& a = mKeys[i];
    const CurveKey& b = mKeys[i + 1];
    if (a.outType == kTangentStep || t == a.time)
        return a.value;
    const double dt = b.time - a.time;
    const double m0 = slope(i, false);
    const double m1 = slope(i + 1, true);
    const double x = t - a.time;
    if (!mWeighted) {
        const double s = x / dt;
        const double s2 = s * s;
        const double s3 = s2 * s;
        return (2 * s3 - 3 * s2 + 1) * a.value + (s3 - 2 * s2 + s) * dt * m0 + (-2 * s3 + 3 * s2) * b.value +
               (s3 - s2) * dt * m1;
    }
    // Handles a third of each tangent in, kept inside the segment so that
    // time rises along the Bezier curve.
    const double h0 = std::min(std::max(extent(i, false) / 3.0, 0.0), dt);
    const double h1 = std::min(std::max(extent(i + 1, true) / 3.0, 0.0), dt);
    const double p1 = h0;
    const double p2 = dt - h1;
    auto timeAt = [&](double u) {
        const double v = 1.0 - u;
        return 3 * p1 * u * v * v + 3 * p2 * u * u * v + dt * u * u * u;
    };
    double lo = 0.0;
    double hi = 1.0;
    for (int step = 0; step < 60 && hi - lo > 1e-15; ++step) {
        const double mid = 0.5 * (lo + hi);
        (timeAt(mid) < x ? lo : hi) = mid;
    }
    const double u = 0.5 * (lo + hi);
    const double v = 1.0 - u;
    const double y1 = a.value + m0 * h0;
    const double y2 = b.value - m1 * h1;
    return a.value * v * v * v + 3 * y1 * u * v * v + 3 * y2 * u * u * v + b.value * u * u * u;
}

MStatus AnimCurve::setInfinity(bool pre, int type)
{
    if (type < 0 || type > 5 || type == 2)
        return MStatus::kInvalidParameter;
    (pre ? mPreInfinity : mPostInfinity) = type;
    return MStatus::kSuccess;
}

double AnimCurve::evaluate(double t) const
{
    if (mKeys.empty())
        return 0.0;
    if (t < mKeys.front().time)
        return beyond(t, true);
    if (t > mKeys.back().time)
        return beyond(t, false);
    return within(t);
}

double AnimCurve::beyond(double t, bool pre) const
{
    enum { kLinear = 1, kCycle = 3, kCycleRelative = 4, kOscillate = 5 };
    const CurveKey& first = mKeys.front();
    const CurveKey& last = mKeys.back();
    const CurveKey& end = pre ? first : last;
    const double span = last.time - first.time;
    const int type = pre ? mPreInfinity : mPostInfinity;
    if (type == kLinear)
        return end.value + slope(pre ? 0 : mKeys.size() - 1, pre) * (t - end.time);
    if ((type != kCycle && type != kCycleRelative && type != kOscillate) || !(span > 0.0))
        return end.value;
    const double cycles = std::floor((t - first.time) / span);
    double local = std::min(std::max(t - first.time - cycles * span, 0.0), span);
    if (type == kOscillate && std::fmod(cycles, 2.0) != 0.0)
        local = span - local;
    const double value = within(first.time + local);
    return type == kCycleRelative ? value + cycles * (last.value - first.value) : value;
}

double AnimCurve::within(double t) const
{
    if (t <= mKeys.front().time)
        return mKeys.front().value;
    if (t >= mKeys.back().time)
        return mKeys.back().value;
    size_t i = mHint;
    if (i + 1 >= mKeys.size() || !(mKeys[i].time <= t && t < mKeys[i + 1].time)) {
        if (i + 2 < mKeys.size() && mKeys[i + 1].time <= t && t < mKeys[i + 2].time)
            ++i;
        else
            i = findClosestBelow(t);
    }
    mHint = i;
    return segmentValue(i, t);
}

} // namespace vesk
