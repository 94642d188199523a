// The Bezier-fit key reducer.
#include "curves/kfcurvefilterkeyreducer.h"

#include <cmath>
#include <vector>

#include "curves/kfcurve.h"
#include "curves/kfcurvefilterkeysync.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurveutils.h"

namespace qelsdk_600 {

namespace {

const char* const kKeyReducerErrors[] = {"No key", "Left unchanged"};

// Progress is reported for the outer levels of the subdivision only.
constexpr int kProgressDepth = 9;

// A cubic key with no weights or velocities.
KFCurveKey CubicKey(KTime time, float value, kUInt tangentMode, double right, double nextLeft)
{
    KFCurveKey key;
    key.Set(time, value, kFCurveInterpolationCubic, tangentMode, static_cast<float>(right),
            static_cast<float>(nextLeft), 0, kFCurveDefaultWeight, kFCurveDefaultWeight, 0.0f, 0.0f);
    return key;
}

}  // namespace

KFCurveFilterKeyReducer::KFCurveFilterKeyReducer()
    : KFCurveFilter("Bezier Fit/Key Reducer", kKeyReducerErrors, 2), mPrecision(1.0), mDepth(0), mKeySync(false)
{
    Reset();
}

void KFCurveFilterKeyReducer::Reset()
{
    mPrecision = 1.0;
    mKeySync = false;
    KFCurveFilter::Reset();
}

bool KFCurveFilterKeyReducer::Apply(KFCurveNode& node, bool recursive)
{
    // Children reached by the walk must not synchronise on their own.
    const bool keySync = mKeySync;
    mKeySync = false;
    const bool result = KFCurveFilter::Apply(node, recursive);
    if (keySync && node.GetCount() > 1) {
        KFCurveFilterKeySync sync;
        sync.SetStartTime(mStart);
        sync.SetStopTime(mStop);
        sync.Apply(node, recursive);
    }
    mKeySync = keySync;
    return result;
}

bool KFCurveFilterKeyReducer::Apply(KFCurve** curves, int count)
{
    const bool keySync = mKeySync;
    mKeySync = false;
    const bool result = KFCurveFilter::Apply(curves, count);
    if (keySync && count > 1) {
        KFCurveFilterKeySync sync;
        sync.SetStartTime(mStart);
        sync.SetStopTime(mStop);
        sync.Apply(curves, count);
    }
    mKeySync = keySync;
    return result;
}

bool KFCurveFilterKeyReducer::Apply(KFCurve& curve)
{
    const int count = curve.KeyGetCount();
    if (count < 2) {
        mError.SetLastError(1, "KeyReducer, No key were changed by filter.");
        return false;
    }
    const KTime first = curve.KeyGetTime(0);
    const KTime last = curve.KeyGetTime(count - 1);
    const KTime start = mStart > first ? mStart : first;
    const KTime stop = mStop < last ? mStop : last;
    if (!(start < stop)) {
        mError.SetLastError(1, "KeyReducer, Invalid Time Span. No key were changed by filter.");
        return false;
    }
    KFCurve fit;
    fit.CopyFrom(curve, false);
    const bool result = KeyReducer(curve, fit, start, stop);
    if (result) {
        KFCurve base;
        base.CopyFrom(curve, true);
        KFCurveUtils::Merge(base, fit, curve);
    }
    return result;
}

bool KFCurveFilterKeyReducer::KeyReducer(KFCurve& source, KFCurve& fit, KTime start, KTime stop)
{
    mDepth = 0;
    const int a = static_cast<int>(std::floor(source.KeyFind(start)));
    const int b = static_cast<int>(std::ceil(source.KeyFind(stop)));
    fit.KeyAdd(source.KeyGetTime(a), CubicKey(source.KeyGetTime(a), source.KeyGetValue(a), kFCurveTangentUser,
                                              source.KeyGetRightDerivative(a), source.KeyGetLeftDerivative(b)));
    fit.KeyAdd(source.KeyGetTime(b), CubicKey(source.KeyGetTime(b), source.KeyGetValue(b), kFCurveTangentAuto,
                                              0.0, 0.0));
    Subdivise(source, fit, a, b);
    return true;
}

double KFCurveFilterKeyReducer::FindMaxError(KFCurve& source, KFCurve& fit, int first, int last, int& index)
{
    double largest = 0.0;
    bool found = false;
    int hint = -1;
    for (int i = first; i < last; ++i) {
        const double error = fit.Evaluate(source.KeyGetTime(i), &hint) - source.KeyGetValue(i);
        const double squared = error * error;
        if (!found || squared > largest) {
            largest = squared;
            index = i;
            found = true;
        }
    }
    return largest;
}

void KFCurveFilterKeyReducer::InsertKey(KFCurve& source, KFCurve& fit, int index)
{
    const KTime time = source.KeyGetTime(index);
    const int before = static_cast<int>(std::floor(fit.KeyFind(time)));
    if (before < 0 || before >= fit.KeyGetCount())
        return;
    const double heldLeft = fit.KeyGetDataDouble(before, eKFCurveNextLeftDerivative);
    const double right = source.KeyGetRightDerivative(index);
    const double left = source.KeyGetLeftDerivative(index);
    // Unequal slopes (or a NaN on either side) need a broken tangent.
    const kUInt mode = right == left ? kFCurveTangentUser : kFCurveTangentUserBreak;
    const int n = fit.KeyAdd(time, CubicKey(time, source.KeyGetValue(index), mode, right, heldLeft));
    if (n < 1)
        return;
    fit.KeySetDataDouble(n - 1, eKFCurveNextLeftDerivative, static_cast<float>(left));
}

bool KFCurveFilterKeyReducer::Subdivise(KFCurve& source, KFCurve& fit, int first, int last)
{
    // Each frame is one level of the subdivision: stage 0 finds and inserts
    // the worst key, stage 1 follows the left part, stage 2 the right part.
    struct Frame {
        int first;
        int last;
        int split;
        int stage;
    };
    std::vector<Frame> stack;
    stack.push_back(Frame{first, last, first, 0});
    const double tolerance = mPrecision * mPrecision;
    bool added = false;
    while (!stack.empty()) {
        const std::size_t top = stack.size() - 1;
        Frame frame = stack[top];
        if (frame.stage == 0) {
            int split = frame.first;
            const double error = FindMaxError(source, fit, frame.first, frame.last, split);
            // A split on a kept key could never end; it only arises from
            // values the fit cannot reproduce at its own keys.
            if (!(error > tolerance) || split <= frame.first || split >= frame.last) {
                stack.pop_back();
                continue;
            }
            ++mDepth;
            InsertKey(source, fit, split);
            added = true;
            stack[top].split = split;
            stack[top].stage = 1;
            if (split - frame.first > 1)
                stack.push_back(Frame{frame.first, split, frame.first, 0});
        } else if (frame.stage == 1) {
            if (frame.split - frame.first > 1 && mDepth <= kProgressDepth)
                UpdateProgressInformation(KTime(frame.first), KTime(frame.split));
            stack[top].stage = 2;
            if (frame.last - frame.split > 1)
                stack.push_back(Frame{frame.split, frame.last, frame.split, 0});
        } else {
            if (frame.last - frame.split > 1 && mDepth <= kProgressDepth)
                UpdateProgressInformation(KTime(frame.split), KTime(frame.last));
            --mDepth;
            stack.pop_back();
        }
    }
    return added;
}

}  // namespace qelsdk_600
