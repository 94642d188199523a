// The gimbal killer: Euler rotation keys rewritten continuously, with keys
// inserted along the shortest rotation where consecutive keys stay far apart.
#include "curves/kfcurvefiltergimblekiller.h"

#include <memory>

#include "curves/kfcurve.h"
#include "curves/kfcurvefilter_impl.h"
#include "curves/kfcurvefilterkeysync.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurverotation.h"
#include "math/kanrotationorder.h"
#include "math/kmfunctions.h"

namespace qelsdk_600 {

namespace {

const char* const kMessages[] = {"No key", "Left unchanged", "Not 3 curve", "Not rotation node"};

constexpr double kMaxSquaredStep = 75.0;                   // degrees squared, about 8.66 degrees
constexpr double kMinTimeStep = 0.0008333333333333334;     // seconds (1/1200)
constexpr int kReserveStep = 250;

double SquaredDistance(const double* a, const double* b)
{
    double sum = 0.0;
    for (int i = 0; i < 3; ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    return sum;
}

// The three rewritten curves, grown by steps of keys.
class Output {
public:
    Output(KFCurve* const* sources, int reserve)
    {
        for (int axis = 0; axis < 3; ++axis) {
            mCurves[axis].reset(new KFCurve);
            mCurves[axis]->CopyFrom(*sources[axis], false);
        }
        Reserve(reserve);  // on failure, Room tries again by smaller steps
    }

    // Key `mCount` copied from key `index` of each source.
    bool Copy(KFCurve* const* sources, int index)
    {
        if (!Room())
            return false;
        for (int axis = 0; axis < 3; ++axis)
            *mCurves[axis]->KeyGetPtr(mCount) = *sources[axis]->KeyGetPtr(index);
        ++mCount;
        return true;
    }

    // A cubic auto key holding the angles (as floats).
    bool Write(KTime time, const double* angles)
    {
        if (!Room())
            return false;
        for (int axis = 0; axis < 3; ++axis) {
            mCurves[axis]->KeyGetPtr(mCount)->Init();
            mCurves[axis]->KeySet(mCount, time, static_cast<float>(angles[axis]), kFCurveInterpolationCubic,
                                  kFCurveTangentAuto);
        }
        ++mCount;
        return true;
    }

    // Ends the edits; the caller owns the curves.
    void Release(KFCurve** curves)
    {
        for (int axis = 0; axis < 3; ++axis) {
            mCurves[axis]->KeyModifyEnd(mCount);
            curves[axis] = mCurves[axis].release();
        }
    }

    ~Output()
    {
        for (auto& curve : mCurves)
            if (curve)
                curve->KeyModifyEnd(0);
    }

private:
    bool Room() { return mCount < mReserved || Reserve(mReserved + kReserveStep); }

    // Room for n keys on all three curves; the count of keys that may be
    // written only grows once all three have it.
    bool Reserve(int n)
    {
        for (auto& curve : mCurves)
            if (!curve->KeyModifyBegin(n))
                return false;
        mReserved = n;
        return true;
    }

    std::unique_ptr<KFCurve> mCurves[3];
    int mReserved = 0;
    int mCount = 0;
};

}  // namespace

KFCurveFilterGimbleKiller::KFCurveFilterGimbleKiller() : KFCurveFilter("Gimble Killer", kMessages, 4)
{
    Reset();
}

void KFCurveFilterGimbleKiller::Reset()
{
    mApplyKeySyncFilter = true;
    KFCurveFilter::Reset();
}

bool KFCurveFilterGimbleKiller::Apply(KFCurveNode& node, bool)
{
    if (node.GetCount() != 3) {
        mError.SetLastError(2, "Gimble Killer. ioCurveNode does not have 3 childs.");
        return false;
    }
    if (node.GetLayerType() != kFCurveNodeLayerEulerRotation) {
        mError.SetLastError(3, "Gimble Killer. Not a Rotation node!");
        return false;
    }
    static const char* const kAxes[3] = {"X", "Y", "Z"};
    KFCurve* sources[3];
    for (int axis = 0; axis < 3; ++axis) {
        KFCurveNode* child = node.FindRecursive(kAxes[axis]);
        sources[axis] = child ? child->FCurveGet() : nullptr;
        if (!sources[axis]) {
            mError.SetLastError(3, "Gimble Killer. Not a Rotation node!");
            return false;
        }
    }
    if (sources[0]->KeyGetCount() == 0) {
        mError.SetLastErrorID(0);
        return false;
    }
    if (mApplyKeySyncFilter) {
        KFCurveFilterKeySync sync;
        sync.SetStartTime(mStart);
        sync.SetStopTime(mStop);
        if (sync.NeedApply(sources, 3))
            sync.Apply(sources, 3);
    }
    const int n = sources[0]->KeyGetCount();
    // Key i of X is read with key i of Y and Z: they must have as many.
    if (sources[1]->KeyGetCount() != n || sources[2]->KeyGetCount() != n) {
        mError.SetLastError(1, "Gimble Killer. The X, Y and Z curves do not have the same keys.");
        return false;
    }

    const int order = node.GetRotationOrder();
    const bool continuous = order != kFCurveNodeSphericalXYZ;
    const int* axes = KmEulerAxis[order >= 0 && order < 12 ? order : 0];
    const KANRotationOrder rotationOrder(order);

    const int s = GetStartKey(*sources[0]);
    Output output(sources, n);
    output.Copy(sources, s);
    double previous[3];
    kfcurvefilter_detail::KeyAngles(previous, sources, s);
    double previousTime = sources[0]->KeyGetTime(s).GetSecondDouble();

    for (int i = s + 1; i < n; ++i) {
        double current[3];
        kfcurvefilter_detail::KeyAngles(current, sources, i);
        const KTime keyTime = sources[0]->KeyGetTime(i);
        const double t = keyTime.GetSecondDouble();
        if (continuous)
            KVNGetContinuousRotation(current, current, previous, axes);
        while (SquaredDistance(current, previous) >= kMaxSquaredStep && t - previousTime >= kMinTimeStep) {
            KgeRMatrix p;
            KgeRMatrix c;
            rotationOrder.V2M(p, KgeRVector(previous[0], previous[1], previous[2]));
            rotationOrder.V2M(c, KgeRVector(current[0], current[1], current[2]));
            KgeRMatrix d;
            KmRiR(d, p, c);
            double q[4];
            KmRtoQ(q, d);
            double f = 0.5;
            KgeRVector m;
            double time;
            for (;;) {
                const double blend[4] = {f * q[0], f * q[1], f * q[2], f * q[3] + (1.0 - f)};
                KgeRMatrix b;
                KmQtoR(b, blend);
                KgeRMatrix r;
                KmRR(r, p, b);
                rotationOrder.M2V(m, r);
                if (continuous)
                    KVNGetContinuousRotation(m, m, previous, axes);
                time = (1.0 - f) * previousTime + f * t;
                if (SquaredDistance(m, previous) >= kMaxSquaredStep && time - previousTime >= kMinTimeStep)
                    f *= 0.5;
                else
                    break;
            }
            KTime at;
            at.SetSecondDouble(time);
            if (!output.Write(at, m)) {
                mError.SetLastError(1, "Gimble Killer. Out of memory; curves left unchanged.");
                return false;
            }
            for (int axis = 0; axis < 3; ++axis)
                previous[axis] = m[axis];
            previousTime = time;
        }
        // The source key keeps its exact time.
        if (!output.Write(keyTime, current)) {
            mError.SetLastError(1, "Gimble Killer. Out of memory; curves left unchanged.");
            return false;
        }
        for (int axis = 0; axis < 3; ++axis)
            previous[axis] = current[axis];
        previousTime = t;
    }

    KFCurve* rewritten[3];
    output.Release(rewritten);
    KFCurveNode* clone = node.CloneTemplate(false, false, false, -1);
    for (int axis = 0; axis < 3; ++axis) {
        KFCurveNode* child = clone->FindRecursive(kAxes[axis]);
        if (child)
            child->FCurveSet(rewritten[axis], true);
        else
            rewritten[axis]->Destroy();
    }
    node.Replace(clone, mStart, mStop, false, true);
    clone->Destroy();
    return true;
}

bool KFCurveFilterGimbleKiller::Apply(KFCurve** curves, int count)
{
    if (!curves || count != 3 || !curves[0] || !curves[1] || !curves[2]) {
        mError.SetLastError(2, "Need 3 KFCurve to apply a gimble killer filter.");
        return false;
    }
    kfcurvefilter_detail::BorrowedRotationNode rotation(curves[0], curves[1], curves[2]);
    return Apply(rotation.Node(), true);
}

bool KFCurveFilterGimbleKiller::Apply(KFCurve&)
{
    mError.SetLastErrorID(2);
    return false;
}

}  // namespace qelsdk_600
