// Keyframe tracks into curves of the take "default take".
#include <climits>
#include <cmath>
#include <cstdint>

#include "base/ktime.h"
#include "content/kqelcamera.h"
#include "content/kqelcolor.h"
#include "content/kqellight.h"
#include "content/kqelmarker.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvefilterkeyreducer.h"
#include "curves/kfcurvefilterunroll.h"
#include "formats/3ds/kqelreader3ds.h"
#include "formats/3ds/kqelreader3ds_impl.h"
#include "math/kmfunctions.h"
#include "math/kqelmatrix.h"
#include "math/kqelquaternion.h"
#include "scene/kqelnode.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

// The curves of one track in the current take node; absent channels are
// left out.
struct TrackCurves {
    KFCurve* mCurves[3] = {nullptr, nullptr, nullptr};
    int mCount = 0;

    TrackCurves(KQelNode* pNode, KFCurve* (KQelTakeNode::*const* pGetters)(), int pGetterCount)
    {
        KQelTakeNode* take = pNode->GetCurrentTakeNode();
        for (int i = 0; take && i < pGetterCount; ++i)
            mCurves[i] = (take->*pGetters[i])();
        mCount = pGetterCount;
    }
    bool Complete() const
    {
        for (int i = 0; i < mCount; ++i) {
            if (!mCurves[i])
                return false;
        }
        return mCount > 0;
    }
};

// The keys of an animated track: each key whose frame (a signed 32-bit
// number at 30 frames per second) rises above the last kept one becomes a
// TCB key on every curve, component c of pValue(i) on curve c; the others
// are dropped unread. pValue is called once per kept key, in order.
template <class Value>
void FillKeys(TrackCurves& pTrack, std::uint32_t pCount, const keyheader3ds* pKeys, Value pValue)
{
    const int room = pCount > static_cast<std::uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(pCount);
    bool ready = true;
    for (int c = 0; c < pTrack.mCount; ++c) {
        if (pTrack.mCurves[c] && !pTrack.mCurves[c]->KeyModifyBegin(room))
            ready = false;
    }
    int kept = 0;
    std::int32_t last = INT32_MIN;
    for (std::uint32_t i = 0; ready && i < pCount && kept < room; ++i) {
        const keyheader3ds& key = pKeys[i];
        const std::int32_t frame = static_cast<std::int32_t>(key.time);
        if (frame <= last)
            continue;
        last = frame;
        KTime time;
        time.SetTime(0, 0, 0, frame, 0, KTime::eFRAMES30);
        const float tension = key.rflags & KeyUsesTension3ds ? key.tension : 0.0f;
        const float continuity = key.rflags & KeyUsesCont3ds ? key.continuity : 0.0f;
        const float bias = key.rflags & KeyUsesBias3ds ? key.bias : 0.0f;
        const KQelVector4 value = pValue(i);
        for (int c = 0; c < pTrack.mCount; ++c) {
            if (pTrack.mCurves[c])
                pTrack.mCurves[c]->KeySetTCB(kept, time, static_cast<float>(value[c]), tension, continuity, bias);
        }
        ++kept;
    }
    for (int c = 0; c < pTrack.mCount; ++c) {
        if (pTrack.mCurves[c])
            pTrack.mCurves[c]->KeyModifyEnd(kept);
    }
}

// One key at time 0 holding the value on every curve.
void SetSingleKey(TrackCurves& pTrack, const KQelVector4& pValue)
{
    for (int c = 0; c < pTrack.mCount; ++c) {
        KFCurve* curve = pTrack.mCurves[c];
        if (!curve || !curve->KeyModifyBegin(1))
            continue;
        curve->KeySetTCB(0, KTime(0), static_cast<float>(pValue[c]), 0.0f, 0.0f, 0.0f);
        curve->KeyModifyEnd(1);
    }
}

void ReduceKeys(TrackCurves& pTrack)
{
    if (!pTrack.Complete())
        return;
    KFCurveFilterKeyReducer reducer;
    reducer.SetPrecision(1.0);
    reducer.Apply(pTrack.mCurves, pTrack.mCount);
}

// The unit rotation of a key: its angle negated about its axis in the
// scene's axes.
KQelQuaternion KeyRotation(const kfrotkey3ds& pKey)
{
    KQelVector4 axis(pKey.x, pKey.z, -pKey.y, 0.0);
    axis.Normalize();
    const double half = -static_cast<double>(pKey.angle) * 0.5;
    const double s = std::sin(half);
    return KQelQuaternion(s * axis[0], s * axis[1], s * axis[2], std::cos(half));
}

// pQ made unit; false, pQ unchanged, when it has no length (or no number).
bool Normalize(KQelQuaternion& pQ)
{
    const double length = std::sqrt(pQ[0] * pQ[0] + pQ[1] * pQ[1] + pQ[2] * pQ[2] + pQ[3] * pQ[3]);
    if (!(length > 0.0) || !std::isfinite(length))
        return false;
    for (int i = 0; i < 4; ++i)
        pQ[i] /= length;
    return true;
}

KQelVector4 EulerOf(const KQelQuaternion& pQ)
{
    KQelXMatrix matrix;
    matrix.SetQ(pQ);
    return matrix.GetR();
}

// Getters of the take node's channels.
KFCurve* (KQelTakeNode::*const kTranslation[])() = {&KQelTakeNode::GetTranslationX, &KQelTakeNode::GetTranslationY,
                                                     &KQelTakeNode::GetTranslationZ};
KFCurve* (KQelTakeNode::*const kRotation[])() = {&KQelTakeNode::GetEulerRotationX, &KQelTakeNode::GetEulerRotationY,
                                                  &KQelTakeNode::GetEulerRotationZ};
KFCurve* (KQelTakeNode::*const kScaling[])() = {&KQelTakeNode::GetScaleX, &KQelTakeNode::GetScaleY,
                                                 &KQelTakeNode::GetScaleZ};
KFCurve* (KQelTakeNode::*const kColor[])() = {&KQelTakeNode::GetColorR, &KQelTakeNode::GetColorG,
                                               &KQelTakeNode::GetColorB};
KFCurve* (KQelTakeNode::*const kConeAngle[])() = {&KQelTakeNode::GetLightConeAngle};
KFCurve* (KQelTakeNode::*const kFieldOfView[])() = {&KQelTakeNode::GetCameraFieldOfView};
KFCurve* (KQelTakeNode::*const kRoll[])() = {&KQelTakeNode::GetCameraRoll};

}  // namespace

void KQelReader3DS::EnterDefaultTake(KQelNode* pNode)
{
    // A take node of that name that already exists receives the curves.
    pNode->CreateTakeNode(reader3ds_detail::kDefaultTakeName);
    pNode->SetCurrentTakeNode(reader3ds_detail::kDefaultTakeName);
}

// ---- Walkers

bool KQelReader3DS::ImportMeshAnim()
{
    for (int i = 0; i < mObjectMotions.GetCount(); ++i) {
        objectmotion3ds* motion = mObjectMotions[i];
        KQelNode* node = mObjectNodes[i];
        if (!motion || !node)
            continue;
        EnterDefaultTake(node);
        if (!CreateTransDataFrom3DSAnim(node, motion->pos.keycount, motion->pos.keys, motion->pos.values) ||
            !CreateRotDataFrom3DSAnim(node, motion->rot.keycount, motion->rot.keys, motion->rot.values) ||
            !CreateScaleDataFrom3DSAnim(node, motion->scale.keycount, motion->scale.keys, motion->scale.values))
            return false;
    }
    return true;
}

bool KQelReader3DS::ImportOmnilightAnim()
{
    for (int i = 0; i < mOmnilightMotions.GetCount(); ++i) {
        omnimotion3ds* motion = mOmnilightMotions[i];
        KQelNode* node = mOmnilightNodes[i];
        if (!motion || !node)
            continue;
        EnterDefaultTake(node);
        CreateTransDataFrom3DSAnim(node, motion->pos.keycount, motion->pos.keys, motion->pos.values);
        CreateColorDataFrom3DSAnim(node, motion->color.keycount, motion->color.keys, motion->color.values);
        // The multiplier of the light the node carries.
        const int light = mState->mOmnilightOf[static_cast<std::size_t>(i)];
        if (KQelLight* attribute = node->GetLight()) {
            if (light >= 0 && mOmnilights[light])
                attribute->SetDefaultIntensity(100.0 * mOmnilights[light]->multiplier);
        }
    }
    return true;
}

bool KQelReader3DS::ImportSpotlightAnim()
{
    for (int i = 0; i < mSpotlightMotions.GetCount(); ++i) {
        spotmotion3ds* motion = mSpotlightMotions[i];
        KQelNode* node = mSpotlightNodes[i];
        if (!motion || !node)
            continue;
        EnterDefaultTake(node);
        CreateTransDataFrom3DSAnim(node, motion->pos.keycount, motion->pos.keys, motion->pos.values);
        CreateColorDataFrom3DSAnim(node, motion->color.keycount, motion->color.keys, motion->color.values);
        CreateScalarDataFrom3DSAnim(node, motion->hot.keycount, motion->hot.keys, motion->hot.values);
        const int light = mState->mSpotlightOf[static_cast<std::size_t>(i)];
        if (KQelLight* attribute = node->GetLight()) {
            if (light >= 0 && mSpotlights[light])
                attribute->SetDefaultIntensity(100.0 * mSpotlights[light]->multiplier);
        }
        if (KQelNode* target = mSpotlightTargetNodes[i]) {
            EnterDefaultTake(target);
            CreateTransDataFrom3DSAnim(target, motion->tpos.keycount, motion->tpos.keys, motion->tpos.values);
        }
    }
    return true;
}

bool KQelReader3DS::ImportCameraAnim()
{
    for (int i = 0; i < mCameraMotions.GetCount(); ++i) {
        cameramotion3ds* motion = mCameraMotions[i];
        KQelNode* node = mCameraNodes[i];
        if (!motion || !node)
            continue;
        EnterDefaultTake(node);
        CreateTransDataFrom3DSAnim(node, motion->pos.keycount, motion->pos.keys, motion->pos.values);
        CreateFOVDataFrom3DSAnim(node, motion->fov.keycount, motion->fov.keys, motion->fov.values);
        CreateRollDataFrom3DSAnim(node, motion->roll.keycount, motion->roll.keys, motion->roll.values);
        if (KQelNode* target = mCameraTargetNodes[i]) {
            EnterDefaultTake(target);
            CreateTransDataFrom3DSAnim(target, motion->tpos.keycount, motion->tpos.keys, motion->tpos.values);
        }
    }
    return true;
}

// ---- Conversions

namespace {

// A track is animated when it has more than one key and animation is on.
struct TrackMode {
    bool mAnim;
    bool mReduce;
    bool Animated(std::uint32_t pCount, const void* pKeys, const void* pValues) const
    {
        return pCount > 1 && mAnim && pKeys && pValues;
    }
};

// A transform track (translation, rotation, scaling): keys, or the first
// value (pDefault without values) as the curves' values and the node's
// default. pValue gives key i's value, once per kept key in order; pAfter
// runs on the curves of an animated track before the key reduction.
template <class Value, class After>
void TransformTrack(KQelNode* pNode, KFCurve* (KQelTakeNode::*const* pGetters)(), std::uint32_t pCount,
                    const keyheader3ds* pKeys, const void* pValues, TrackMode pMode, Value pValue,
                    const KQelVector4& pDefault, void (KQelNode::*pSetDefault)(const KQelVector4&), After pAfter)
{
    TrackCurves track(pNode, pGetters, 3);
    if (pMode.Animated(pCount, pKeys, pValues)) {
        FillKeys(track, pCount, pKeys, pValue);
        pAfter(track);
        if (pMode.mReduce)
            ReduceKeys(track);
        return;
    }
    const KQelVector4 constant = pCount && pValues ? pValue(0) : pDefault;
    for (int c = 0; c < 3; ++c) {
        if (track.mCurves[c])
            track.mCurves[c]->SetValue(static_cast<float>(constant[c]));
    }
    (pNode->*pSetDefault)(constant);
}

// A track of an attribute's channel (colour, cone angle, field of view,
// roll): keys, or one key at time 0 holding the first value (pDefault
// without values), which pSetDefault also gives the attribute.
template <class Value, class SetDefault>
void AttributeTrack(KQelNode* pNode, KFCurve* (KQelTakeNode::*const* pGetters)(), int pCurves, std::uint32_t pCount,
                    const keyheader3ds* pKeys, const void* pValues, TrackMode pMode, Value pValue,
                    const KQelVector4& pDefault, SetDefault pSetDefault)
{
    TrackCurves track(pNode, pGetters, pCurves);
    if (pMode.Animated(pCount, pKeys, pValues)) {
        FillKeys(track, pCount, pKeys, pValue);
        if (pMode.mReduce)
            ReduceKeys(track);
        return;
    }
    const KQelVector4 constant = pCount && pValues ? pValue(0) : pDefault;
    SetSingleKey(track, constant);
    pSetDefault(constant);
}

void NoFilter(TrackCurves&) {}

void Unroll(TrackCurves& pTrack)
{
    if (!pTrack.Complete())
        return;
    KFCurveFilterUnroll unroll;
    unroll.SetTestForPath(true);
    unroll.SetQualityTolerance(0.25);
    unroll.Apply(pTrack.mCurves, 3);
}

}  // namespace

bool KQelReader3DS::CreateTransDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys,
                                               point3ds* pValues)
{
    const double unit = mCreateReferenceNode ? 1.0 : mUnitFactor;
    TransformTrack(
        pNode, kTranslation, pCount, pKeys, pValues, TrackMode{mAnim, mReduceKeys},
        [&](std::uint32_t i) { return KQelVector4(pValues[i].x * unit, pValues[i].z * unit, -pValues[i].y * unit, 0.0); },
        KQelVector4(), &KQelNode::SetDefaultT, NoFilter);
    return true;
}

bool KQelReader3DS::CreateRotDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys,
                                             kfrotkey3ds* pValues)
{
    // Each key turns on from the orientation reached at the key before; a
    // constant track is its first key's turn alone.
    KQelQuaternion accumulated(0.0, 0.0, 0.0, 1.0);
    TransformTrack(
        pNode, kRotation, pCount, pKeys, pValues, TrackMode{mAnim, mReduceKeys},
        [&](std::uint32_t i) {
            KQelQuaternion next;
            KmQQ(next.mData, KeyRotation(pValues[i]).mData, accumulated.mData);
            if (Normalize(next))
                accumulated = next;
            return EulerOf(accumulated);
        },
        KQelVector4(), &KQelNode::SetDefaultR, Unroll);
    return true;
}

bool KQelReader3DS::CreateScaleDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys,
                                               point3ds* pValues)
{
    TransformTrack(
        pNode, kScaling, pCount, pKeys, pValues, TrackMode{mAnim, mReduceKeys},
        [&](std::uint32_t i) { return KQelVector4(pValues[i].x, pValues[i].z, pValues[i].y, 0.0); },
        KQelVector4(1.0, 1.0, 1.0, 0.0), &KQelNode::SetDefaultS, NoFilter);
    return true;
}

bool KQelReader3DS::CreateColorDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys,
                                               fcolor3ds* pValues)
{
    AttributeTrack(
        pNode, kColor, 3, pCount, pKeys, pValues, TrackMode{mAnim, mReduceKeys},
        [&](std::uint32_t i) { return KQelVector4(pValues[i].r, pValues[i].g, pValues[i].b, 1.0); },
        KQelVector4(1.0, 1.0, 1.0, 1.0), [pNode](const KQelVector4& pColor) {
            const KQelColor color(pColor[0], pColor[1], pColor[2], 1.0);
            if (KQelLight* light = pNode->GetLight())
                light->SetDefaultColor(color);
            else if (KQelMarker* marker = pNode->GetMarker())
                marker->SetDefaultColor(color);
        });
    return true;
}

bool KQelReader3DS::CreateScalarDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys,
                                                float* pValues)
{
    AttributeTrack(
        pNode, kConeAngle, 1, pCount, pKeys, pValues, TrackMode{mAnim, mReduceKeys},
        [&](std::uint32_t i) { return KQelVector4(pValues[i], 0.0, 0.0, 0.0); }, KQelVector4(45.0, 0.0, 0.0, 0.0),
        [pNode](const KQelVector4& pValue) {
            if (KQelLight* light = pNode->GetLight())
                light->SetDefaultConeAngle(pValue[0]);
        });
    return true;
}

bool KQelReader3DS::CreateFOVDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys,
                                             float* pValues)
{
    AttributeTrack(
        pNode, kFieldOfView, 1, pCount, pKeys, pValues, TrackMode{mAnim, mReduceKeys},
        [&](std::uint32_t i) { return KQelVector4(pValues[i], 0.0, 0.0, 0.0); }, KQelVector4(45.0, 0.0, 0.0, 0.0),
        [pNode](const KQelVector4& pValue) {
            if (KQelCamera* camera = pNode->GetCamera())
                camera->SetDefaultFieldOfView(pValue[0]);
        });
    return true;
}

bool KQelReader3DS::CreateRollDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys,
                                              float* pValues)
{
    AttributeTrack(
        pNode, kRoll, 1, pCount, pKeys, pValues, TrackMode{mAnim, mReduceKeys},
        [&](std::uint32_t i) { return KQelVector4(pValues[i], 0.0, 0.0, 0.0); }, KQelVector4(),
        [pNode](const KQelVector4& pValue) {
            if (KQelCamera* camera = pNode->GetCamera())
                camera->SetDefaultRoll(pValue[0]);
        });
    return true;
}

}  // namespace qelsdk_600
