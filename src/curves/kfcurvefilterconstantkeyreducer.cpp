// The constant key reducer. The scan runs from the last key of the range
// down, deleting each run of removable keys as it ends; the deletions are
// simulated (each one costs O(1)) and the keys compacted once at the end,
// with the result of deleting the runs one after the other.
#include "curves/kfcurvefilterconstantkeyreducer.h"

#include <cstring>
#include <vector>

#include "curves/kfcurve.h"
#include "curves/kfcurvefilter_impl.h"
#include "curves/kfcurvenode.h"

namespace qelsdk_600 {

namespace {

const char* const kMessages[] = {"No key", "Left unchanged"};

constexpr double kDefaultTolerance = 0.009;
constexpr double kDefaultScalingTolerance = 0.004;

bool InBand(float value, float low, float high)
{
    return low <= value && value <= high;  // false for NaN
}

bool Named(const char* name, const char* a, const char* b)
{
    return name && (std::strcmp(name, a) == 0 || std::strcmp(name, b) == 0);
}

bool RemovableKind(KFCurve& curve, int key)
{
    return curve.KeyGetInterpolation(key) != kFCurveInterpolationCubic || curve.IsKeyInterpolationPureCubicAuto(key);
}

// The reduction of one curve over keys [first, last].
class Reduction {
public:
    Reduction(KFCurve& curve, int first, int last, double tolerance)
        : mCurve(curve), mFirst(first), mLast(last), mTolerance(tolerance),
          mDeleted(static_cast<std::size_t>(curve.KeyGetCount()), 0)
    {
    }

    // False when every key forms one run (the caller then clears the curve).
    bool Run();
    // Removes the deleted keys in one pass.
    void Compact();
    bool AnyDeleted() const { return mAnyDeleted; }

private:
    // Index of the k-th key above the scan position in the current state
    // (k = 0 the nearest); -1 when there is none.
    int Above(int k) const;
    bool IsConstant(int key, float low, float high) const;
    // Deletes the keys just pushed as a run: [lowest, lowest + run - 1].
    void DeleteRun(int lowest, int run, std::size_t runBase);

    KFCurve& mCurve;
    const int mFirst;
    const int mLast;
    const double mTolerance;
    // Keys of the range above the scan position still present, the nearest
    // last; keys of the current run are present until it is deleted.
    std::vector<int> mAbove;
    std::vector<char> mDeleted;
    bool mAnyDeleted = false;
    kfcurvefilter_detail::KeyWindow mWindow;
};

int Reduction::Above(int k) const
{
    const int size = static_cast<int>(mAbove.size());
    if (k < size)
        return mAbove[static_cast<std::size_t>(size - 1 - k)];
    // Past the range, the curve's own keys follow, never deleted.
    const int index = mLast + 1 + (k - size);
    return index < mCurve.KeyGetCount() ? index : -1;
}

bool Reduction::IsConstant(int key, float low, float high) const
{
    if (!RemovableKind(mCurve, key))
        return false;
    for (int j = key - 2; j <= key; ++j)
        if (j >= mFirst && !InBand(mCurve.KeyGetValue(j), low, high))
            return false;
    // Keys above: only those of the range (mAbove) are compared.
    const int size = static_cast<int>(mAbove.size());
    for (int k = 0; k < 2 && k < size; ++k)
        if (!InBand(mCurve.KeyGetValue(mAbove[static_cast<std::size_t>(size - 1 - k)]), low, high))
            return false;
    return true;
}

bool Reduction::Run()
{
    const int count = mCurve.KeyGetCount();
    int i = mLast;
    while (i >= mFirst) {
        const double v = mCurve.KeyGetValue(i);
        const float low = static_cast<float>(v - mTolerance);
        const float high = static_cast<float>(v + mTolerance);
        const std::size_t runBase = mAbove.size();
        int run = 0;
        int lowest = i;
        while (i >= mFirst) {
            const bool constant = IsConstant(i, low, high);
            mAbove.push_back(i);
            if (!constant) {
                --i;
                break;
            }
            lowest = i;
            --i;
            ++run;
        }
        if (run >= 1) {
            if (run == count)
                return false;
            DeleteRun(lowest, run, runBase);
        }
    }
    return true;
}

void Reduction::DeleteRun(int lowest, int run, std::size_t runBase)
{
    const int top = lowest + run - 1;
    // The key after the run keeps its left tangent, as a deletion by index
    // does: read it with the run still present, write it with the run gone.
    const bool breakingPushed = mAbove.size() > runBase + static_cast<std::size_t>(run);
    const int breaking = breakingPushed ? mAbove.back() : -1;
    mAbove.resize(runBase);
    const int after = Above(0);
    if (after >= 0 && lowest > 0) {
        const KFCurveKey* keys[6];
        int indices[6];
        int n = 0;
        for (int j = top - 1; j <= top; ++j)
            if (j >= 0)
                indices[n++] = j;
        const int afterSlot = n;
        for (int k = 0; k < 3; ++k) {
            const int index = Above(k);
            if (index < 0)
                break;
            indices[n++] = index;
        }
        for (int s = 0; s < n; ++s)
            keys[s] = mCurve.KeyGetPtr(indices[s]);
        mWindow.Load(keys, n);
        const KFCurveTangeantInfo left = mWindow.Curve().KeyGetLeftDerivativeInfo(afterSlot);

        // Same window without the run: the key below it, then the keys after.
        int m = 0;
        for (int j = lowest - 2; j <= lowest - 1; ++j)
            if (j >= 0)
                indices[m++] = j;
        const int newAfterSlot = m;
        for (int s = afterSlot; s < n; ++s)
            indices[m++] = indices[s];
        for (int s = 0; s < m; ++s)
            keys[s] = mCurve.KeyGetPtr(indices[s]);
        mWindow.Load(keys, m);
        mWindow.Curve().KeySetLeftDerivativeInfo(newAfterSlot, left);
        // Deleted keys keep their slots until the compaction, so every key
        // still present is at its original index.
        for (int s = 0; s < m; ++s)
            *mCurve.KeyGetPtr(indices[s]) = *mWindow.Curve().KeyGetPtr(s);
    }
    for (int j = lowest; j <= top; ++j)
        mDeleted[static_cast<std::size_t>(j)] = 1;
    mAnyDeleted = true;
    if (breaking >= 0)
        mAbove.push_back(breaking);
}

void Reduction::Compact()
{
    const int count = mCurve.KeyGetCount();
    int write = 0;
    for (int read = 0; read < count; ++read) {
        if (mDeleted[static_cast<std::size_t>(read)])
            continue;
        if (write != read)
            *mCurve.KeyGetPtr(write) = *mCurve.KeyGetPtr(read);
        ++write;
    }
    mCurve.KeyModifyBegin();
    mCurve.CallbackAddEvent(kFCurveEventKey, -1);
    mCurve.KeyModifyEnd(write);
    mCurve.KeyShrink();
}

}  // namespace

bool IsKeyConstant(KFCurve& curve, int key, int first, int last, float low, float high)
{
    if (!RemovableKind(curve, key))
        return false;
    for (int j = key + 2; j >= key - 2; --j)
        if (first <= j && j <= last && !InBand(curve.KeyGetValue(j), low, high))
            return false;
    return true;
}

KFCurveFilterConstantKeyReducer::KFCurveFilterConstantKeyReducer()
    : KFCurveFilter("Constant Key Reducer", kMessages, 2)
{
    Reset();
}

void KFCurveFilterConstantKeyReducer::Reset()
{
    mDerivativeTolerance = kDefaultTolerance;
    mValueTolerance = kDefaultTolerance;
    mTranslationThreshold = kDefaultTolerance;
    mRotationThreshold = kDefaultTolerance;
    mScalingThreshold = kDefaultScalingTolerance;
    mDefaultThreshold = kDefaultTolerance;
    mKeepFirstAndLastKeys = false;
    mKeepOneKey = false;
    KFCurveFilter::Reset();
}

bool KFCurveFilterConstantKeyReducer::Apply(KFCurveNode& node, bool recursive)
{
    const double savedDerivative = mDerivativeTolerance;
    const double savedValue = mValueTolerance;
    const char* name = node.GetName();
    const char* parent = node.GetParent() ? node.GetParent()->GetName() : nullptr;
    auto is = [&](const char* a, const char* b) { return Named(name, a, b) || Named(parent, a, b); };
    // Only a tolerance still at its default is replaced: one the user set
    // applies whatever the channel.
    auto choose = [&](double compared, double threshold) {
        if (mDerivativeTolerance == compared)
            mDerivativeTolerance = threshold;
        if (mValueTolerance == compared)
            mValueTolerance = threshold;
    };
    // Scaling compares with 0.004, not with the 0.009 defaults: with default
    // settings a scaling channel keeps 0.009, and the scaling threshold
    // applies only to tolerances the user set to 0.004.
    if (is("R", "Lcl Rotation"))
        choose(kDefaultTolerance, mRotationThreshold);
    else if (is("S", "Lcl Scaling"))
        choose(kDefaultScalingTolerance, mScalingThreshold);
    else if (is("T", "Lcl Translation"))
        choose(kDefaultTolerance, mTranslationThreshold);
    else
        choose(kDefaultTolerance, mDefaultThreshold);
    const bool result = KFCurveFilter::Apply(node, recursive);
    mDerivativeTolerance = savedDerivative;
    mValueTolerance = savedValue;
    return result;
}

bool KFCurveFilterConstantKeyReducer::Apply(KFCurve** curves, int count)
{
    return KFCurveFilter::Apply(curves, count);
}

bool KFCurveFilterConstantKeyReducer::Apply(KFCurve& curve)
{
    if (curve.KeyGetCount() == 0) {
        mError.SetLastError(0, "ConstantKeyReducer, No key to be filtered.");
        return false;
    }
    const int first = GetStartKey(curve);
    const int last = GetStopKey(curve) - 1;
    Reduction reduction(curve, first, last, mValueTolerance);
    if (!reduction.Run()) {
        // Every key of the curve is constant.
        if (mKeepOneKey) {
            curve.Delete(first + 1, last);
        } else {
            const float value = curve.KeyGetValue(0);
            curve.KeyClear();
            curve.SetValue(value);
        }
    } else if (reduction.AnyDeleted()) {
        reduction.Compact();
    }
    return true;
}

}  // namespace qelsdk_600
