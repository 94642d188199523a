// The key synchronizer. Each curve receives a key at every key time of any
// curve within the range, inserted one after the other in time order so
// that the curve keeps its shape. The curve is rebuilt by appending: each
// insertion is made where only a few of the curve's later keys follow it,
// which costs O(1) moves instead of moving the rest of the curve, with the
// result of inserting into the whole curve (an insertion only reads and
// writes the keys next to it).
#include "curves/kfcurvefilterkeysync.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"

namespace qelsdk_600 {

namespace {

const char* const kMessages[] = {"No key", "Left unchanged", "Multiple key count", "Unsynched keys",
                                 "Too many curves"};
const char* const kNoChange = "KeySyncFilter, No key were changed by filter.";
const char* const kTooMany = "KeySyncFilter, Curve count is too mush. No support above 20 curves..";

// Later keys kept next to an insertion: enough for every tangent read there.
constexpr int kLookAhead = 3;

// Sorted union of the key times of the curves within [low, high].
std::vector<KTime> KeyTimes(KFCurve* const* curves, int count, KTime low, KTime high)
{
    std::vector<KTime> times;
    std::vector<KTime> merged;
    std::vector<KTime> own;
    for (int c = 0; c < count; ++c) {
        KFCurve& curve = *curves[c];
        own.clear();
        for (int i = 0, n = curve.KeyGetCount(); i < n; ++i) {
            const KTime t = curve.KeyGetTime(i);
            if (low <= t && t <= high)
                own.push_back(t);
        }
        merged.clear();
        std::set_union(times.begin(), times.end(), own.begin(), own.end(), std::back_inserter(merged));
        times.swap(merged);
    }
    return times;
}

// Gives one curve a key at each of `times`, as KeyInsert then KeySetValue
// (to the curve's former value there) would, in time order.
bool SyncCurve(KFCurve& curve, const std::vector<KTime>& times)
{
    const int n = curve.KeyGetCount();
    std::unique_ptr<KFCurve> out(new KFCurve);
    out->CopyFrom(curve, false);
    out->CandidateClear();  // as the curve's own key modification does
    {
        // Final count: the curve's keys plus the times it lacks.
        int added = 0;
        int i = 0;
        for (const KTime& t : times) {
            while (i < n && curve.KeyGetTime(i) < t)
                ++i;
            if (i >= n || curve.KeyGetTime(i) != t)
                ++added;
        }
        if (!out->InitBuffers(n + added))
            return false;
    }
    int fed = 0;      // keys of the curve already copied to `out`
    int passed = 0;   // keys of the curve before the current time
    int inserted = 0;
    int feedHint = -1;
    int insertHint = -1;
    int evaluateHint = -1;
    auto feed = [&](int upto) {
        for (; fed < upto; ++fed)
            if (out->KeyAdd(curve.KeyGetTime(fed), *curve.KeyGetPtr(fed), &feedHint) < 0)
                return false;
        return true;
    };
    for (const KTime& t : times) {
        while (passed < n && curve.KeyGetTime(passed) < t)
            ++passed;
        if (!feed(std::min(n, passed + kLookAhead)))
            return false;
        // The curve itself is still unchanged: it is the reference shape.
        const float value = curve.Evaluate(t, &evaluateHint);
        const bool existing = passed < n && curve.KeyGetTime(passed) == t;
        if (!existing && passed == 0 && inserted == 0 && n > 0) {
            // Before every key the value comes from the extrapolation over
            // all the keys, which `out` does not hold yet.
            out->CandidateSet(t, value);
        }
        const int index = out->KeyInsert(t, &insertHint);
        if (index < 0 || index >= out->KeyGetCount())
            return false;
        out->KeySetValue(index, value);
        if (!existing)
            ++inserted;
    }
    if (!feed(n))
        return false;
    const int total = out->KeyGetCount();
    curve.KeyModifyBegin();
    if (!curve.InitBuffers(total)) {
        curve.KeyModifyEnd();
        return false;
    }
    for (int i = 0; i < total; ++i)
        *curve.KeyGetPtr(i) = *out->KeyGetPtr(i);
    curve.CallbackAddEvent(kFCurveEventKey, -1);
    curve.KeyModifyEnd(total);
    return true;
}

// The children's own curves, in child order; false (error 4) for too many.
bool ChildCurves(KFCurveNode& node, KError& error, std::vector<KFCurve*>& curves)
{
    if (node.GetCount() > KFCurveFilterKeySync::kMaxCurves) {
        error.SetLastError(4, kTooMany);
        return false;
    }
    for (int i = 0; i < node.GetCount(); ++i)
        if (KFCurveNode* child = node.Get(i))
            if (KFCurve* curve = child->FCurveGet())
                curves.push_back(curve);
    return true;
}

}  // namespace

KFCurveFilterKeySync::KFCurveFilterKeySync() : KFCurveFilter("FCurve Key Synchronizer", kMessages, 5)
{
    KFCurveFilter::Reset();
}

bool KFCurveFilterKeySync::NeedApply(KFCurveNode& node, bool)
{
    std::vector<KFCurve*> curves;
    if (!ChildCurves(node, mError, curves))
        return false;
    return NeedApply(curves.data(), static_cast<int>(curves.size()));
}

bool KFCurveFilterKeySync::NeedApply(KFCurve** curves, int count)
{
    if (!curves || count < 1 || !curves[0] || curves[0]->KeyGetCount() == 0)
        return false;
    KFCurve& first = *curves[0];
    const int keys = first.KeyGetCount();
    for (int c = 1; c < count; ++c) {
        if (!curves[c])
            continue;
        if (curves[c]->KeyGetCount() != keys) {
            mError.SetLastError(2, "KeySyncFilter, Key count is different in the Curves to be filtered.");
            return true;
        }
    }
    for (int c = 1; c < count; ++c) {
        if (!curves[c])
            continue;
        for (int i = 0; i < keys; ++i) {
            if (curves[c]->KeyGetTime(i) != first.KeyGetTime(i)) {
                mError.SetLastError(3, "KeySyncFilter, keys are not synchronized.");
                return true;
            }
        }
    }
    return false;
}

bool KFCurveFilterKeySync::NeedApply(KFCurve&)
{
    mError.SetLastError(1, kNoChange);
    return false;
}

bool KFCurveFilterKeySync::Apply(KFCurveNode& node, bool)
{
    std::vector<KFCurve*> curves;
    if (!ChildCurves(node, mError, curves))
        return false;
    return Apply(curves.data(), static_cast<int>(curves.size()));
}

bool KFCurveFilterKeySync::Apply(KFCurve** curves, int count)
{
    std::vector<KFCurve*> present;
    for (int c = 0; curves && c < count; ++c)
        if (curves[c] && std::find(present.begin(), present.end(), curves[c]) == present.end())
            present.push_back(curves[c]);
    if (present.size() < 2) {
        mError.SetLastError(1, kNoChange);
        return false;
    }
    // Every key at or after the start time counts, also one a single tick
    // after another key.
    const std::vector<KTime> times =
        KeyTimes(present.data(), static_cast<int>(present.size()), mStart, mStop);
    bool ok = true;
    for (KFCurve* curve : present) {
        if (!SyncCurve(*curve, times)) {
            mError.SetLastError(1, "KeySyncFilter, Out of memory; a curve was left unchanged.");
            ok = false;
        }
    }
    return ok;
}

bool KFCurveFilterKeySync::Apply(KFCurve&)
{
    mError.SetLastError(1, kNoChange);
    return false;
}

}  // namespace qelsdk_600
