// Curve node candidates: totals, per-layer values, keying and saved states.
#include <cmath>
#include <cstdio>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurvenode_impl.h"
#include "curves/kfcurverotation.h"
#include "math/kanrotationorder.h"

namespace qelsdk_600 {

using kfcurvenode_detail::kMaxCandidateValues;

namespace {

// Trace sink of Dump: formats nothing anywhere.
void KNoTraceFnc(const char* /*format*/, ...) {}

}  // namespace

// ---- Saved state ----

KFCurveNodeCandidateState::KFCurveNodeCandidateState()
    : mSpecificCandidateMethod(1), mTotalCandidateMethod(1), mCandidateTotalValue{0.0, 0.0, 0.0, 0.0},
      mCandidateTotalTime(0), mCandidateSpecificValue(0.0), mFCurveValue(0.0), mCandidateSpecificTime(0),
      mSubStates{nullptr, nullptr, nullptr, nullptr}, mLayerState(nullptr), mLayerID(0)
{
}

KFCurveNodeCandidateState::~KFCurveNodeCandidateState() { FreeSubStates(); }

void KFCurveNodeCandidateState::FreeSubStates()
{
    for (KFCurveNodeCandidateState*& sub : mSubStates) {
        delete sub;
        sub = nullptr;
    }
    delete mLayerState;
    mLayerState = nullptr;
}

void KFCurveNodeCandidateState::Dump(int indent) const
{
    char pad[64];
    int width = indent * 4;
    if (width < 0)
        width = 0;
    if (width > 60)
        width = 60;
    std::snprintf(pad, sizeof pad, "%*s", width, "");
    KNoTraceFnc("%smSpecificCandidateMethod = %d\n", pad, mSpecificCandidateMethod);
    KNoTraceFnc("%smTotalCandidateMethod = %d\n", pad, mTotalCandidateMethod);
    KNoTraceFnc("%smCandidateTotalValue = %f, %f, %f, %f\n", pad, mCandidateTotalValue[0], mCandidateTotalValue[1],
                mCandidateTotalValue[2], mCandidateTotalValue[3]);
    KNoTraceFnc("%smCandidateTotalTime = %f\n", pad, mCandidateTotalTime.GetSecondDouble());
    KNoTraceFnc("%smCandidateSpecificValue = %f\n", pad, mCandidateSpecificValue);
    KNoTraceFnc("%smFCurveValue = %f\n", pad, mFCurveValue);
    KNoTraceFnc("%smCandidateSpecificTime = %f\n", pad, mCandidateSpecificTime.GetSecondDouble());
    KNoTraceFnc("%smLayerState:\n", pad);
    if (mLayerState)
        mLayerState->Dump(indent + 1);
    for (int i = 0; i < 4; ++i) {
        KNoTraceFnc("%smSubStates[%d]:\n", pad, i);
        if (mSubStates[i])
            mSubStates[i]->Dump(indent + 1);
    }
}

// ---- Layer values from a total ----

double* KFCurveNode::EulerToQuaternion(double* quaternion, const double* angles) const
{
    KgeRMatrix rotation;
    KmXYZtoR(rotation, angles[0], angles[1], angles[2]);
    KmRtoQ(quaternion, rotation);
    return quaternion;
}

double* KFCurveNode::ComputeCandidateForLayer(double* out, const double* total, KTime time, int layerID, int* last)
{
    double values[kMaxCandidateValues] = {0.0, 0.0, 0.0, 0.0};
    GetZeroValues(values);
    int count = mFCurve ? 1 : GetCount();
    if (count > kMaxCandidateValues)
        count = kMaxCandidateValues;

    switch (mLayerType) {
    case kFCurveNodeLayerMultiplicative:
        EvaluateCurvesExceptLayerRecursiveMult(values, time, layerID, last);
        // Another layer scaling by 0 makes any value right: keep the total
        // rather than dividing by zero.
        for (int i = 0; i < count; ++i)
            out[i] = values[i] != 0.0 ? total[i] / values[i] : total[i];
        return out + count;
    case kFCurveNodeLayerEulerRotation: {
        const KANRotationOrder order(mRotationOrder);
        KgeRMatrix target;
        order.V2M(target, KgeRVector(total[0], total[1], total[2]));
        KgeRMatrix after;
        KgeRMatrix before;
        EvaluateCurvesAfterLayerRecursiveEulerXYZ(after, time, layerID, last);
        EvaluateCurvesBeforeLayerRecursiveEulerXYZ(before, time, layerID, last);
        KmRi(after, after);
        KmRi(before, before);
        // Evaluation gives before (x) layer (x) after in KmRR order.
        KmRR(target, target, after);
        KmRR(target, before, target);
        KgeRVector angles;
        order.M2V(angles, target);
        out[0] = angles[0];
        out[1] = angles[1];
        out[2] = angles[2];
        return out + 3;
    }
    case kFCurveNodeLayerQuaternionRotation: {
        // The total of a quaternion node is the Euler XYZ triple it evaluates to.
        double target[4];
        EulerToQuaternion(target, total);
        if (GetCount() >= 4) {
            double current[4];
            for (int i = 0; i < 4; ++i)
                current[i] = Get(i)->mFCurve ? Get(i)->mFCurve->Evaluate(time, last) : (i == 3 ? 1.0 : 0.0);
            if (current[0] * target[0] + current[1] * target[1] + current[2] * target[2] +
                    current[3] * target[3] < 0.0)
                for (double& component : target)
                    component *= -1.0;
        }
        double before[4] = {0.0, 0.0, 0.0, 1.0};
        double after[4] = {0.0, 0.0, 0.0, 1.0};
        EvaluateCurvesBeforeLayerRecursiveQuat(before, time, layerID, last);
        EvaluateCurvesAfterLayerRecursiveQuat(after, time, layerID, last);
        for (int i = 0; i < 3; ++i) {
            before[i] = -before[i];
            after[i] = -after[i];
        }
        KmQQ(target, before, target);
        KmQQ(target, target, after);
        for (int i = 0; i < 4; ++i)
            out[i] = target[i];
        return out + 4;
    }
    default:
        EvaluateCurvesExceptLayerRecursiveAdd(values, time, layerID, last);
        for (int i = 0; i < count; ++i)
            out[i] = total[i] - values[i];
        return out + count;
    }
}

// ---- Setting candidates ----

double* KFCurveNode::CandidateSet(KTime time, double* values, int layerID, int childIndex)
{
    return CandidateSetTotal(time, values, layerID, childIndex, false);
}

double* KFCurveNode::CandidateSetTotal(KTime time, double* values, int layerID, int childIndex, bool parentHandled)
{
    (void)childIndex;
    if (mLayerID != 0)
        return values;
    time = WarpTime(time, true);
    const bool holds = HoldsTotal();

    // Channels without any key take the layer value at once as their value.
    if (holds && !parentHandled) {
        bool ownUnkeyed = mFCurve && KeyGetCount(true) == 0;
        bool childUnkeyed[kMaxCandidateValues] = {false, false, false, false};
        bool any = ownUnkeyed;
        for (int i = 0, n = GetCount(); i < n && i < kMaxCandidateValues; ++i) {
            childUnkeyed[i] = KeyGetCountOnChild(i) == 0;
            any = any || childUnkeyed[i];
        }
        if (any) {
            double layerValues[kMaxCandidateValues] = {0.0, 0.0, 0.0, 0.0};
            ComputeCandidateForLayer(layerValues, values, time, layerID);
            KFCurveNode* layer = LayerGet(layerID);
            if (!layer) {
                CreateLayerAt(layerID);
                layer = LayerGet(layerID);
            }
            if (layer) {
                if (ownUnkeyed && layer->mFCurve) {
                    layer->mFCurve->SetValue(static_cast<float>(layerValues[0]));
                    layer->mFCurve->CandidateClear();
                }
                const int offset = mFCurve ? 1 : 0;
                for (int i = 0, n = layer->GetCount(); i < n && i + offset < kMaxCandidateValues; ++i) {
                    KFCurve* curve = layer->Get(i)->mFCurve;
                    if (!childUnkeyed[i] || !curve)
                        continue;
                    curve->SetValue(static_cast<float>(layerValues[i + offset]));
                    curve->CandidateClear();
                }
            }
        }
    }

    int slot = 0;
    if (holds) {
        mSpecificCandidateMethod = 2;
        mTotalCandidateMethod = 2;
        mCandidateTotalTime = time;
    }
    if (mFCurve) {
        if (holds)
            mCandidateTotalValue[slot++] = *values;
        ++values;
    }
    if (mLayerType == kFCurveNodeLayerQuaternionRotation) {
        double quaternion[4];
        EulerToQuaternion(quaternion, values);
        for (int i = 0; i < 3 && holds; ++i)
            mCandidateTotalValue[slot++] = values[i];
        for (int i = 0, n = GetCount(); i < n && i < 4; ++i)
            Get(i)->CandidateSetTotal(time, &quaternion[i], layerID, i, holds);
        return values + 3;
    }
    for (int i = 0, n = GetCount(); i < n; ++i) {
        if (holds && slot < kMaxCandidateValues)
            mCandidateTotalValue[slot++] = *values;
        values = Get(i)->CandidateSetTotal(time, values, layerID, i, holds);
    }
    return values;
}

double* KFCurveNode::CandidateSetSpecificLayer(KTime time, double* values, int layerID)
{
    return SetSpecificValues(WarpTime(time, true), values, layerID);
}

double* KFCurveNode::SetSpecificValues(KTime time, double* values, int layerID)
{
    mSpecificCandidateMethod = 1;
    mTotalCandidateMethod = 1;
    const int wanted = GetCorrectLayerID(layerID);
    if (mLayerID == wanted) {
        if (mFCurve) {
            const double value = *values++;
            mFCurve->CandidateSet(time, value);
            if (mFCurve->KeyGetCount() == 0)
                mFCurve->SetValue(static_cast<float>(value));
        }
        for (int i = 0, n = GetCount(); i < n; ++i)
            values = Get(i)->SetSpecificValues(time, values, layerID);
        return values;
    }
    if (mLayerID > wanted)
        return values + CandidateLayerValueCount();
    KFCurveNode* target;
    if (!mLayer) {
        target = LayerCreate(wanted, true);
    } else if (mLayer->mLayerID <= wanted) {
        return mLayer->SetSpecificValues(time, values, layerID);
    } else {
        KFCurveNode* successor = mLayer;
        target = LayerCreate(wanted, false);
        if (target)
            target->mLayer = successor;
    }
    if (!target)
        return values + CandidateLayerValueCount();
    mObjectLayer->CallbackAddEvent(kFCurveNodeEventLayer);
    return target->SetSpecificValues(time, values, layerID);
}

int KFCurveNode::CandidateLayerValueCount() const
{
    int count = mFCurve ? 1 : 0;
    for (int i = 0, n = GetCount(); i < n; ++i)
        count += Get(i)->CandidateLayerValueCount();
    return count;
}

// ---- Reading candidates ----

double* KFCurveNode::CandidateGet(double* out, int /*layerID*/) const
{
    if (mTotalCandidateMethod != 2)
        return out;
    int count = CandidateValueCount();
    if (count > kMaxCandidateValues)
        count = kMaxCandidateValues;
    for (int i = 0; i < count; ++i)
        *out++ = mCandidateTotalValue[i];
    return out;
}

double* KFCurveNode::CandidateGetWithTime(double* out, KTime& time) const
{
    if (mFCurve) {
        *out++ = mFCurve->CandidateGet();
        time = mFCurve->CandidateGetTime();
    }
    for (int i = 0, n = GetCount(); i < n; ++i)
        out = Get(i)->CandidateGetWithTime(out, time);
    return out;
}

double* KFCurveNode::CandidateGetSpecificLayer(double* out, KTime& time, int layerID)
{
    if (mSpecificCandidateMethod == 2) {
        if (!mLayer) {
            time = mCandidateTotalTime;
            return ComputeCandidateForLayer(out, mCandidateTotalValue, mCandidateTotalTime, layerID);
        }
        FromTotalCandidateToSpecificCandidate(layerID);
    }
    for (KFCurveNode* node = this; node;) {
        const int wanted = node->GetCorrectLayerID(layerID);
        if (node->mLayerID == wanted)
            return node->CandidateGetWithTime(out, time);
        if (node->mLayer && node->mLayer->mLayerID <= wanted)
            node = node->mLayer;
        else
            break;
    }
    double zero[4];
    const int count = GetZeroValues(zero);
    for (int i = 0; i < count; ++i)
        *out++ = zero[i];
    return out;
}

void KFCurveNode::CandidateGetTotalCandidate(double* out, KTime& time) const
{
    for (int i = 0; i < 4; ++i)
        out[i] = mCandidateTotalValue[i];
    time = mCandidateTotalTime;
}

void KFCurveNode::FromTotalCandidateToSpecificCandidate(int layerID)
{
    if (mLayerID != 0 || mTotalCandidateMethod != 2 || mSpecificCandidateMethod != 2)
        return;
    double values[kMaxCandidateValues] = {0.0, 0.0, 0.0, 0.0};
    const KTime time = mCandidateTotalTime;
    ComputeCandidateForLayer(values, mCandidateTotalValue, time, layerID);
    // The total time is already warped.
    SetSpecificValues(time, values, layerID);
    mSpecificCandidateMethod = 3;
    mTotalCandidateMethod = 2;
}

// ---- Clearing ----

void KFCurveNode::ClearCandidateHere(int layerID)
{
    if (mFCurve)
        mFCurve->CandidateClear();
    mCandidateTotalTime = KTIME_INFINITE;
    mSpecificCandidateMethod = 1;
    mTotalCandidateMethod = 1;
    for (int i = 0, n = GetCount(); i < n; ++i)
        Get(i)->CandidateClear(layerID, false);
}

void KFCurveNode::CandidateClear(int layerID, bool withSubLayers)
{
    for (KFCurveNode* node = this; node;) {
        const int wanted = node->GetCorrectLayerID(layerID);
        if (node->mLayerID == wanted) {
            node->ClearCandidateHere(layerID);
            if (withSubLayers)
                node->CandidateClearSubLayers();
            return;
        }
        if (node->mLayer && node->mLayer->mLayerID <= wanted)
            node = node->mLayer;
        else
            return;
    }
}

void KFCurveNode::CandidateClearSubLayers()
{
    // Deepest first, without recursion along the chain.
    KArrayTemplate<KFCurveNode*> chain;
    for (KFCurveNode* node = mLayer; node; node = node->mLayer)
        chain.Add(node);
    for (int i = chain.GetCount() - 1; i >= 0; --i) {
        KFCurveNode* layer = chain.GetAt(i);
        layer->CandidateClear(layer->mLayerID, false);
    }
}

// ---- Keying ----

void KFCurveNode::HeldValues(double* out) const
{
    int slot = 0;
    if (mFCurve) {
        out[slot] = mSpecificCandidateMethod == 1 ? mFCurve->CandidateGet() : mCandidateTotalValue[slot];
        ++slot;
    }
    if (mLayerType == kFCurveNodeLayerQuaternionRotation) {
        for (int i = 0; i < 3; ++i, ++slot)
            out[slot] = mCandidateTotalValue[slot];
        return;
    }
    for (int i = 0, n = GetCount(); i < n && slot < kMaxCandidateValues; ++i, ++slot) {
        KFCurve* curve = Get(i)->mFCurve;
        out[slot] = (mSpecificCandidateMethod == 1 && curve) ? curve->CandidateGet() : mCandidateTotalValue[slot];
    }
}

void KFCurveNode::CandidateKey(int* last, int layerID, bool* channels, bool useTotal, int interpolation,
                               int tangentMode, bool breakTangent, bool setKeyType, KTime time, double tolerance)
{
    if (!HoldsTotal()) {
        // Nodes of more values than a record holds key each child instead.
        for (int i = 0, n = GetCount(); i < n; ++i)
            if (!channels || channels[i])
                Get(i)->CandidateKey(last, layerID, channels ? channels + i : nullptr, useTotal, interpolation,
                                     tangentMode, breakTangent, setKeyType, time, tolerance);
        return;
    }
    double held[kMaxCandidateValues] = {0.0, 0.0, 0.0, 0.0};
    const bool holding = IsCandidate();
    if (holding)
        HeldValues(held);
    // A held total is in warped time already; a given time is not.
    KTime keyTime = time;
    bool warped = false;
    if (time == KTIME_INFINITE) {
        keyTime = mCandidateTotalTime;
        warped = true;
    }
    if (mCandidateTotalTime == KTIME_INFINITE || !holding) {
        keyTime = time;
        warped = false;
        if (time != KTIME_INFINITE)
            CandidateEvaluate(held, keyTime, last);
    }
    if (keyTime == KTIME_INFINITE) {
        mObjectLayer->CandidateClear(0, true);
        return;
    }

    double layerValues[kMaxCandidateValues] = {0.0, 0.0, 0.0, 0.0};
    if (useTotal) {
        if (mLayerType == kFCurveNodeLayerQuaternionRotation)
            EulerToQuaternion(layerValues, held + (mFCurve ? 1 : 0));
        else
            for (int i = 0; i < kMaxCandidateValues; ++i)
                layerValues[i] = held[i];
    } else {
        const KTime at = warped ? keyTime : WarpTime(keyTime, false);
        ComputeCandidateForLayer(layerValues, held, at, layerID, last);
        if (mLayerType == kFCurveNodeLayerEulerRotation && LayerGet(layerID) &&
            mRotationOrder != kFCurveNodeSphericalXYZ) {
            double current[kMaxCandidateValues + 4] = {0.0};
            EvaluateSpecificLayer(current, at, layerID, last);
            KVNGetContinuousRotation(layerValues, layerValues, current,
                                     kfcurvenode_detail::EulerAxes(mRotationOrder));
        }
    }
    if (warped)
        SetSpecificValues(keyTime, layerValues, layerID);
    else
        CandidateSetSpecificLayer(keyTime, layerValues, layerID);
    CandidateKeySpecificLayer(last, layerID, channels, interpolation, tangentMode, breakTangent, setKeyType,
                              KTIME_INFINITE, tolerance);
    mObjectLayer->CandidateClear(0, true);
}

void KFCurveNode::KeyCandidateHere(int* last, bool* channels, int interpolation, int tangentMode, bool breakTangent,
                                   bool setKeyType, KTime time, double tolerance)
{
    if (mFCurve && (!channels || channels[0]))
        mFCurve->CandidateKey(last, interpolation, tangentMode, breakTangent, setKeyType, time, tolerance);
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (!channels || channels[i])
            Get(i)->KeyCandidateHere(last, channels ? channels + i : nullptr, interpolation, tangentMode,
                                     breakTangent, setKeyType, time, tolerance);
}

void KFCurveNode::CandidateKeySpecificLayer(int* last, int layerID, bool* channels, int interpolation,
                                            int tangentMode, bool breakTangent, bool setKeyType, KTime time,
                                            double tolerance)
{
    for (KFCurveNode* node = this; node;) {
        const int wanted = node->GetCorrectLayerID(layerID);
        if (node->mLayerID == wanted) {
            node->KeyCandidateHere(last, channels, interpolation, tangentMode, breakTangent, setKeyType, time,
                                   tolerance);
            return;
        }
        if (node->mLayer && node->mLayer->mLayerID <= wanted)
            node = node->mLayer;
        else
            return;
    }
}

// ---- Saved states ----

void KFCurveNode::GetCandidateState(KFCurveNodeCandidateState& state) const
{
    state.FreeSubStates();
    state.mLayerID = mLayerID;
    state.mSpecificCandidateMethod = mSpecificCandidateMethod;
    state.mTotalCandidateMethod = mTotalCandidateMethod;
    for (int i = 0; i < 4; ++i)
        state.mCandidateTotalValue[i] = mCandidateTotalValue[i];
    state.mCandidateTotalTime = mCandidateTotalTime;
    state.mCandidateSpecificValue = mFCurve ? mFCurve->CandidateGet() : 0.0;
    state.mCandidateSpecificTime = mFCurve ? mFCurve->CandidateGetTime() : KTIME_INFINITE;
    state.mFCurveValue = mFCurve ? mFCurve->GetValue() : 0.0;
    for (int i = 0, n = GetCount(); i < n && i < 4; ++i) {
        state.mSubStates[i] = new KFCurveNodeCandidateState;
        Get(i)->GetCandidateState(*state.mSubStates[i]);
    }
    if (mLayer) {
        state.mLayerState = new KFCurveNodeCandidateState;
        mLayer->GetCandidateState(*state.mLayerState);
    }
}

void KFCurveNode::SetCandidateState(const KFCurveNodeCandidateState& state, bool removeLayers)
{
    if (mLayerID == 0 && removeLayers) {
        KFCurveNode* node = this;
        while (node->mLayer) {
            KFCurveNode* layer = node->mLayer;
            bool kept = false;
            for (const KFCurveNodeCandidateState* s = state.mLayerState; s; s = s->mLayerState)
                if (s->mLayerID == layer->mLayerID) {
                    kept = true;
                    break;
                }
            if (kept) {
                node = layer;
                continue;
            }
            node->mLayer = layer->mLayer;
            layer->mLayer = nullptr;
            layer->Destroy();
            mObjectLayer->CallbackAddEvent(kFCurveNodeEventLayer);
        }
    }
    mSpecificCandidateMethod = state.mSpecificCandidateMethod;
    mTotalCandidateMethod = state.mTotalCandidateMethod;
    for (int i = 0; i < 4; ++i)
        mCandidateTotalValue[i] = state.mCandidateTotalValue[i];
    mCandidateTotalTime = state.mCandidateTotalTime;
    if (mFCurve) {
        mFCurve->CandidateSet(state.mCandidateSpecificTime, state.mCandidateSpecificValue);
        if (mFCurve->GetValue() != static_cast<float>(state.mFCurveValue))
            mFCurve->SetValue(static_cast<float>(state.mFCurveValue));
    }
    for (int i = 0, n = GetCount(); i < n && i < 4; ++i)
        if (state.mSubStates[i])
            Get(i)->SetCandidateState(*state.mSubStates[i], false);
    if (mLayer) {
        // Pair the layer with the saved layer of the same ID.
        for (const KFCurveNodeCandidateState* s = state.mLayerState; s; s = s->mLayerState)
            if (s->mLayerID == mLayer->mLayerID) {
                mLayer->SetCandidateState(*s, false);
                break;
            }
    }
}

}  // namespace qelsdk_600
