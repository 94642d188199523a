// Curve node evaluation: plain walk, layered evaluation with time warps and
// quaternion nodes, one layer alone, and the layer accumulations.
#include <cmath>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurvenode_impl.h"
#include "curves/kfcurverotation.h"
#include "curves/kfcurve_impl.h"
#include "math/kanrotationorder.h"

namespace qelsdk_600 {

using kfcurvenode_detail::ValueBuffer;

namespace {

constexpr int kMaxWarpDepth = 16;

double Dot4(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3]; }

void Negate4(double* q)
{
    for (int i = 0; i < 4; ++i)
        q[i] = -q[i];
}

// Number of values EvaluateSpecificLayer writes for a node.
int SpecificValueCount(const KFCurveNode* node)
{
    int count = node->FCurveGet() ? 1 : 0;
    for (int i = 0, n = node->GetCount(); i < n; ++i)
        count += SpecificValueCount(node->Get(i));
    return count;
}

// Folds every layer of the chain from first, except layerID, into values
// with combine(value, layerValue).
template <typename Combine>
void CombineOtherLayers(KFCurveNode* first, double* values, KTime time, int layerID, int* last, Combine combine)
{
    for (KFCurveNode* node = first; node; node = node->LayerGet()) {
        if (node->GetLayerID() == layerID)
            continue;
        ValueBuffer layer(SpecificValueCount(node) + 4);
        node->EvaluateSpecificLayer(layer.Data(), time, node->GetLayerID(), last);
        int count = node->FCurveGet() ? 1 : node->GetCount();
        if (count > kfcurvenode_detail::kMaxCandidateValues)
            count = kfcurvenode_detail::kMaxCandidateValues;
        for (int i = 0; i < count; ++i)
            combine(values[i], layer[i]);
    }
}

}  // namespace

int KFCurveNode::GetValueCount() const
{
    int count = mFCurve ? 1 : 0;
    if (mLayerType == kFCurveNodeLayerQuaternionRotation && mLayerID == 0)
        return count + 3;
    for (int i = 0, n = GetCount(); i < n; ++i)
        count += Get(i)->GetValueCount();
    return count;
}

double* KFCurveNode::Evaluate(double* out, KTime time, int* last)
{
    if (mFCurve)
        *out++ = mFCurve->Evaluate(time, last);
    for (int i = 0, n = GetCount(); i < n; ++i)
        out = Get(i)->Evaluate(out, time, last);
    return out;
}

double* KFCurveNode::CandidateEvaluate(double* out, KTime time, int* last)
{
    return GeneralEvaluate(out, time, last, true);
}

KTime KFCurveNode::WarpTime(KTime time, bool candidate)
{
    // Time warps that warp themselves through each other (or through the
    // node they warp) would recurse forever: past a few levels the time is
    // left as it is. One thread evaluates at a time.
    static int sWarpDepth = 0;
    if (!mTimeWarp || sWarpDepth >= kMaxWarpDepth)
        return time;
    ValueBuffer warped(mTimeWarp->GetValueCount());
    ++sWarpDepth;
    mTimeWarp->GeneralEvaluate(warped.Data(), time, nullptr, candidate);
    --sWarpDepth;
    KTime result;
    result.SetSecondDouble(warped[0]);
    return result;
}

int KFCurveNode::CandidateValueCount() const
{
    return (mFCurve ? 1 : 0) + (mLayerType == kFCurveNodeLayerQuaternionRotation ? 3 : GetCount());
}

bool KFCurveNode::HoldsTotal() const
{
    // Only nodes whose values are one per curve or child fit the four-value
    // record; a take's root (nine values) leaves the totals to its children.
    if (mLayerID != 0)
        return false;
    const int count = CandidateValueCount();
    return count <= kfcurvenode_detail::kMaxCandidateValues && count == GetValueCount();
}

double* KFCurveNode::GeneralEvaluate(double* out, KTime time, int* last, bool candidate)
{
    // Without a hint each curve searches from its own last position, which
    // is as fast for increasing times as a shared hint.
    time = WarpTime(time, candidate);

    if (candidate && mTotalCandidateMethod == 2 && mCandidateTotalTime == time && HoldsTotal()) {
        const int count = CandidateValueCount();
        for (int i = 0; i < count; ++i)
            *out++ = mCandidateTotalValue[i];
        return out;
    }

    double* start = out;
    if (mFCurve)
        *out++ = candidate ? mFCurve->CandidateEvaluate(time, last) : mFCurve->Evaluate(time, last);

    const bool quaternionBase = mLayerType == kFCurveNodeLayerQuaternionRotation && mLayerID == 0;
    double quaternion[4] = {0.0, 0.0, 0.0, 1.0};
    double* values = start;  // where the layers combine
    if (quaternionBase) {
        for (int i = 0, n = GetCount(); i < n; ++i) {
            KFCurveNode* child = Get(i);
            ValueBuffer childValues(child->GetValueCount());
            child->GeneralEvaluate(childValues.Data(), time, last, candidate);
            if (i < 4)
                quaternion[i] = childValues[0];
        }
        values = quaternion;
    } else if (mLayerType == kFCurveNodeLayerEulerRotation) {
        out = RotationNodeEvaluate(out, time, last, candidate);
    } else {
        for (int i = 0, n = GetCount(); i < n; ++i)
            out = Get(i)->GeneralEvaluate(out, time, last, candidate);
    }

    if (mLayer) {
        const int available = quaternionBase ? 4 : static_cast<int>(out - start);
        CombineLayer(values, available, time, candidate);
    }

    if (quaternionBase) {
        KgeRMatrix rotation;
        KmQtoR(rotation, quaternion);
        KmRtoVXYZ(out, rotation);
        out += 3;
    }

    if (candidate && HoldsTotal()) {
        mTotalCandidateMethod = 2;
        mCandidateTotalTime = time;
        const int count = static_cast<int>(out - start);
        for (int i = 0; i < count; ++i)
            mCandidateTotalValue[i] = start[i];
    }
    return out;
}

void KFCurveNode::CombineLayer(double* values, int available, KTime time, bool candidate)
{
    ValueBuffer layerValues(mLayer->GetValueCount());
    mLayer->GeneralEvaluate(layerValues.Data(), time, nullptr, candidate);
    if (mFCurve) {
        if (available < 1)
            return;
        if (mLayerType == kFCurveNodeLayerNone || mLayerType == kFCurveNodeLayerAdditive)
            values[0] += layerValues[0];
        else if (mLayerType == kFCurveNodeLayerMultiplicative)
            values[0] *= layerValues[0];
        return;
    }
    // A layer of another shape than its base combines only where both have
    // values.
    int count = mLayer->GetCount();
    if (count > available)
        count = available;
    if (count > mLayer->GetValueCount())
        count = mLayer->GetValueCount();
    switch (mLayerType) {
    case kFCurveNodeLayerNone:
    case kFCurveNodeLayerAdditive:
        for (int i = 0; i < count; ++i)
            values[i] += layerValues[i];
        break;
    case kFCurveNodeLayerMultiplicative:
        for (int i = 0; i < count; ++i)
            values[i] *= layerValues[i];
        break;
    case kFCurveNodeLayerEulerRotation: {
        if (count < 3)
            break;
        const KANRotationOrder order(mRotationOrder);
        KgeRMatrix base;
        KgeRMatrix layer;
        KgeRVector angles(values[0], values[1], values[2]);
        order.V2M(base, angles);
        KgeRVector layerAngles(layerValues[0], layerValues[1], layerValues[2]);
        order.V2M(layer, layerAngles);
        KmRR(base, base, layer);
        order.M2V(angles, base);
        values[0] = angles[0];
        values[1] = angles[1];
        values[2] = angles[2];
        break;
    }
    case kFCurveNodeLayerQuaternionRotation:
        if (count >= 4 && available >= 4)
            KmQQ(values, values, layerValues.Data());
        break;
    default:
        break;
    }
}

bool KFCurveNode::QuaternionPathApplies(KTime time, double& index) const
{
    if (!mUseQuaternion || GetCount() != 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        const KFCurveNode* child = Get(i);
        if (!child->mFCurve || child->GetCount() != 0)
            return false;
    }
    KFCurve* x = Get(0)->mFCurve;
    const int count = x->KeyGetCount();
    if (count <= 1)
        return false;
    int hint = 0;
    index = x->KeyFindAll(time, &hint);
    const double below = std::floor(index);
    if (below == index || below < 0.0 || std::ceil(index) >= count)
        return false;
    return true;
}

double* KFCurveNode::RotationNodeEvaluate(double* out, KTime time, int* last, bool candidate)
{
    double index = 0.0;
    if (!QuaternionPathApplies(time, index)) {
        for (int i = 0, n = GetCount(); i < n; ++i)
            out = Get(i)->GeneralEvaluate(out, time, last, candidate);
        return out;
    }
    QuaternionRotation(out, index);
    if (candidate) {
        for (int i = 0; i < 3; ++i) {
            KFCurveNode* child = Get(i);
            child->mFCurve->CandidateClear();
            if (mLayerID == 0) {
                child->mTotalCandidateMethod = 2;
                child->mCandidateTotalTime = time;
                child->mCandidateTotalValue[0] = out[i];
            }
        }
    }
    return out + 3;
}

void KFCurveNode::QuaternionRotation(double* out, double index)
{
    KFCurve* x = Get(0)->mFCurve;
    const int keyCount = x->KeyGetCount();
    const int k0 = static_cast<int>(std::floor(index));
    const int k1 = k0 + 1;
    const double fraction = index - k0;
    const KANRotationOrder order(mRotationOrder);

    // Rotation of the node at key k of X, relative to the rotation at k0.
    double a0[3];
    Evaluate(a0, x->KeyGetTime(k0));
    KgeRMatrix m0;
    order.V2M(m0, KgeRVector(a0[0], a0[1], a0[2]));
    auto relative = [&](const double* angles, double* q) {
        KgeRMatrix m;
        order.V2M(m, KgeRVector(angles[0], angles[1], angles[2]));
        KmRiR(m, m0, m);
        KmRtoQ(q, m);
    };
    auto keyQuaternion = [&](int k, double* q) {
        double angles[3];
        Evaluate(angles, x->KeyGetTime(k));
        relative(angles, q);
    };

    double q0[4] = {0.0, 0.0, 0.0, 1.0};
    double q1[4];
    keyQuaternion(k1, q1);
    if (Dot4(q0, q1) < 0.0)
        Negate4(q1);

    double result[4];
    const double seconds = kfcurve_detail::SecondsBetween(x->KeyGetTime(k0), x->KeyGetTime(k1));
    if (x->KeyGetInterpolation(k0) == kFCurveInterpolationCubic && seconds > 0.0) {
        double qPrevious[4] = {0.0, 0.0, 0.0, 1.0};
        double qNext[4] = {0.0, 0.0, 0.0, 1.0};
        const bool hasPrevious = k0 > 0;
        const bool hasNext = k1 + 1 < keyCount;
        if (hasPrevious) {
            keyQuaternion(k0 - 1, qPrevious);
            if (Dot4(qPrevious, q0) < 0.0)
                Negate4(qPrevious);
        }
        if (hasNext) {
            keyQuaternion(k1 + 1, qNext);
            if (Dot4(qNext, q1) < 0.0)
                Negate4(qNext);
        }
        // Inner control points: one third of the step along each key's
        // tangent.
        double c0[4];
        double c1[4];
        auto tcbTangent = [&](int k, const double* before, const double* key, const double* after, bool hasBefore,
                              bool hasAfter, double* tangent) {
            const double tension = x->KeyGetDataFloat(k, 0);
            const double continuity = x->KeyGetDataFloat(k, 1);
            const double bias = x->KeyGetDataFloat(k, 2);
            double in[4] = {0.0, 0.0, 0.0, 0.0};
            double outgoing[4] = {0.0, 0.0, 0.0, 0.0};
            if (hasBefore) {
                const double dt = kfcurve_detail::SecondsBetween(x->KeyGetTime(k - 1), x->KeyGetTime(k));
                for (int i = 0; i < 4 && dt > 0.0; ++i)
                    in[i] = (key[i] - before[i]) / dt;
            }
            if (hasAfter) {
                const double dt = kfcurve_detail::SecondsBetween(x->KeyGetTime(k), x->KeyGetTime(k + 1));
                for (int i = 0; i < 4 && dt > 0.0; ++i)
                    outgoing[i] = (after[i] - key[i]) / dt;
            }
            if (!hasBefore)
                KVNScale(in, outgoing, 1.0, 4);
            if (!hasAfter)
                KVNScale(outgoing, in, 1.0, 4);
            for (int i = 0; i < 4; ++i)
                tangent[i] = 0.5 * (1.0 - tension) *
                             ((1.0 + continuity) * (1.0 + bias) * in[i] +
                              (1.0 - continuity) * (1.0 - bias) * outgoing[i]);
        };
        auto handle = [&](int k, bool right, const double* key, double* control) {
            double angles[3];
            for (int axis = 0; axis < 3; ++axis) {
                KFCurve* curve = Get(axis)->mFCurve;
                const KTime keyTime = x->KeyGetTime(k);
                int hint = 0;
                const double found = curve->KeyFind(keyTime, &hint);
                const int own = static_cast<int>(std::floor(found + 0.5));
                if (own >= 0 && own < curve->KeyGetCount() && curve->KeyGetTime(own) == keyTime &&
                    (right ? own + 1 < curve->KeyGetCount() : own > 0)) {
                    angles[axis] = right ? curve->KeyGetRightBezierTangeant(own)
                                         : curve->KeyGetLeftBezierTangeant(own);
                } else {
                    // Keys of this axis elsewhere: sample one third of the way.
                    KTime at;
                    at.SetSecondDouble(keyTime.GetSecondDouble() + (right ? seconds : -seconds) / 3.0);
                    angles[axis] = curve->Evaluate(at);
                }
            }
            relative(angles, control);
            if (Dot4(control, key) < 0.0)
                Negate4(control);
        };
        if (x->KeyGetTangeantMode(k0) & kFCurveTangentTCB) {
            double t0[4];
            tcbTangent(k0, qPrevious, q0, q1, hasPrevious, true, t0);
            for (int i = 0; i < 4; ++i)
                c0[i] = q0[i] + t0[i] * seconds / 3.0;
        } else {
            handle(k0, true, q0, c0);
        }
        if (x->KeyGetTangeantMode(k1) & kFCurveTangentTCB) {
            double t1[4];
            tcbTangent(k1, q0, q1, qNext, true, hasNext, t1);
            for (int i = 0; i < 4; ++i)
                c1[i] = q1[i] - t1[i] * seconds / 3.0;
        } else {
            handle(k1, false, q1, c1);
        }
        const double u = fraction;
        const double v = 1.0 - u;
        const double b0 = v * v * v;
        const double b1 = 3.0 * v * v * u;
        const double b2 = 3.0 * v * u * u;
        const double b3 = u * u * u;
        for (int i = 0; i < 4; ++i)
            result[i] = b0 * q0[i] + b1 * c0[i] + b2 * c1[i] + b3 * q1[i];
    } else {
        for (int i = 0; i < 4; ++i)
            result[i] = (1.0 - fraction) * q0[i] + fraction * q1[i];
    }

    KgeRMatrix turn;
    KmQtoR(turn, result);
    KgeRMatrix absolute;
    KmRR(absolute, m0, turn);
    KgeRVector angles;
    order.M2V(angles, absolute);
    out[0] = angles[0];
    out[1] = angles[1];
    out[2] = angles[2];
    // Stay on the same turn as the key angles rather than the canonical form.
    if (mRotationOrder != kFCurveNodeSphericalXYZ)
        KVNGetContinuousRotation(out, out, a0, kfcurvenode_detail::EulerAxes(mRotationOrder));
}

double* KFCurveNode::EvaluateSpecificLayer(double* out, KTime time, int layerID, int* last)
{
    return SpecificLayer(out, time, layerID, last, false);
}

double* KFCurveNode::CandidateEvaluateSpecificLayer(double* out, KTime time, int layerID, int* last)
{
    return SpecificLayer(out, time, layerID, last, true);
}

double* KFCurveNode::SpecificLayer(double* out, KTime time, int layerID, int* last, bool candidate)
{
    KFCurveNode* node = this;
    for (;;) {
        if (!node)
            return out;
        const int wanted = node->GetCorrectLayerID(layerID);
        if (node->mLayerID == wanted)
            break;
        if (node->mLayerID > wanted)
            return out;
        node = node->mLayer;
    }
    if (node->mFCurve)
        *out++ = candidate ? node->mFCurve->CandidateEvaluate(time, last) : node->mFCurve->Evaluate(time, last);
    if (node->mLayerType == kFCurveNodeLayerEulerRotation)
        return node->RotationNodeEvaluate(out, time, last, candidate);
    for (int i = 0, n = node->GetCount(); i < n; ++i)
        out = node->Get(i)->SpecificLayer(out, time, layerID, last, candidate);
    return out;
}

void KFCurveNode::EvaluateCurvesExceptLayerRecursiveAdd(double* values, KTime time, int layerID, int* last)
{
    CombineOtherLayers(this, values, time, layerID, last, [](double& value, double layer) { value += layer; });
}

void KFCurveNode::EvaluateCurvesExceptLayerRecursiveMult(double* values, KTime time, int layerID, int* last)
{
    CombineOtherLayers(this, values, time, layerID, last, [](double& value, double layer) { value *= layer; });
}

void KFCurveNode::LayerMatrix(KgeRMatrix& matrix, KTime time, int* last)
{
    ValueBuffer angles(SpecificValueCount(this) + 4);
    EvaluateSpecificLayer(angles.Data(), time, mLayerID, last);
    KANRotationOrder(mRotationOrder).V2M(matrix, KgeRVector(angles[0], angles[1], angles[2]));
}

void KFCurveNode::LayerQuaternion(double* quaternion, KTime time, int* last)
{
    ValueBuffer values(SpecificValueCount(this) + 4);
    values[0] = values[1] = values[2] = 0.0;
    values[3] = 1.0;
    EvaluateSpecificLayer(values.Data(), time, mLayerID, last);
    for (int i = 0; i < 4; ++i)
        quaternion[i] = values[i];
}

void KFCurveNode::EvaluateCurvesBeforeLayerRecursiveEulerXYZ(KgeRMatrix& matrix, KTime time, int layerID, int* last)
{
    for (KFCurveNode* node = this; node && node->mLayerID < layerID; node = node->mLayer) {
        KgeRMatrix layer;
        node->LayerMatrix(layer, time, last);
        KmRR(matrix, matrix, layer);
    }
}

void KFCurveNode::EvaluateCurvesAfterLayerRecursiveEulerXYZ(KgeRMatrix& matrix, KTime time, int layerID, int* last)
{
    for (KFCurveNode* node = this; node; node = node->mLayer) {
        if (node->mLayerID <= layerID)
            continue;
        KgeRMatrix layer;
        node->LayerMatrix(layer, time, last);
        KmRR(matrix, matrix, layer);
    }
}

void KFCurveNode::EvaluateCurvesBeforeLayerRecursiveQuat(double* quaternion, KTime time, int layerID, int* last)
{
    for (KFCurveNode* node = this; node && node->mLayerID < layerID; node = node->mLayer) {
        double layer[4];
        node->LayerQuaternion(layer, time, last);
        KmQQ(quaternion, quaternion, layer);
    }
}

void KFCurveNode::EvaluateCurvesAfterLayerRecursiveQuat(double* quaternion, KTime time, int layerID, int* last)
{
    // Evaluation folds the chain as base (x) layer1 (x) layer2 ..., so the
    // layers above compose in the same order (layer on the right).
    for (KFCurveNode* node = this; node; node = node->mLayer) {
        if (node->mLayerID <= layerID)
            continue;
        double layer[4];
        node->LayerQuaternion(layer, time, last);
        KmQQ(quaternion, quaternion, layer);
    }
}

}  // namespace qelsdk_600
