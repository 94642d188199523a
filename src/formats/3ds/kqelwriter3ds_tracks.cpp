// Keyframer records of nodes: which curves feed each track, how many keys it
// gets, and how the node and its parent are named.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "content/kqelcamera.h"
#include "content/kqelcolor.h"
#include "content/kqellight.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "formats/3ds/kqelwriter3ds.h"
#include "formats/toolkit3ds/toolkit3ds.h"
#include "math/kmfunctions.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

const double kDegreesToRadians = 0.017453292519943295;
const double kRadiansToDegrees = 57.29577951308232;
// A track's key count is 32-bit.
const std::uint64_t kMaxKeys = 0xFFFFFFFFull;
const char kTooManyFrames[] = "A node's take lasts more frames than a 3D Studio track can hold.\n";

KTime FrameTime(std::uint64_t pFrame)
{
    return KTime(static_cast<kLongLong>(pFrame) * (KTime::kTicksPerSecond / 30));
}

bool ToolkitFailed()
{
    return ftkerr3ds && !ignoreftkerr3ds;
}

// Whether a node's attribute makes a 3D Studio object of its own.
bool IsObject(KQelNode* pNode)
{
    KQelNodeAttribute* attribute = pNode->GetNodeAttribute();
    if (!attribute)
        return false;
    switch (attribute->GetAttributeType()) {
    case KQelNodeAttribute::eMesh:
    case KQelNodeAttribute::eNurb:
    case KQelNodeAttribute::ePatch:
    case KQelNodeAttribute::eLight:
    case KQelNodeAttribute::eCamera:
        return true;
    default:
        return false;
    }
}

template <std::size_t N>
void CopyName(char (&pField)[N], const std::string& pName, int pMax)
{
    std::snprintf(pField, N, "%.*s", pMax, pName.c_str());
}

// The rotation matrix of Euler angles in degrees, X first.
void Rotation(double (*pM)[4], double pX, double pY, double pZ)
{
    for (int r = 0; r < 4; ++r)
        std::fill(pM[r], pM[r] + 4, 0.0);
    pM[3][3] = 1.0;
    KmXYZtoR(pM, pX, pY, pZ);
}

}  // namespace

// The curves of one record: those of the take, borrowed, and those made
// here with one key, owned and destroyed with this.
struct KQelWriter3DS::Tracks {
    std::vector<std::unique_ptr<KFCurve>> mOwned;

    // A new curve; null when memory runs out.
    KFCurve* Own()
    {
        mOwned.emplace_back(new KFCurve);
        return mOwned.back().get();
    }
    // A curve with one key at time 0 holding pValue.
    KFCurve* Made(double pValue)
    {
        KFCurve* curve = Own();
        if (curve->KeyModifyBegin(1)) {
            curve->KeySetTCB(0, KTime(0), static_cast<float>(pValue), 0.0f, 0.0f, 0.0f);
            curve->KeyModifyEnd(1);
        }
        return curve;
    }
    // pTake when animating and it has keys, else a curve made at pDefault.
    KFCurve* Take(bool pAnimated, KFCurve* pTake, double pDefault)
    {
        return pAnimated && pTake && pTake->KeyGetCount() > 0 ? pTake : Made(pDefault);
    }
    // Three curves of a vector channel.
    void Vector(bool pAnimated, KQelTakeNode* pTake, KFCurve* (KQelTakeNode::*const* pGetters)(),
                const KQelVector4& pDefault, KFCurve** pOut)
    {
        for (int c = 0; c < 3; ++c)
            pOut[c] = Take(pAnimated, pAnimated && pTake ? (pTake->*pGetters[c])() : nullptr, pDefault[c]);
    }
};

namespace {

KFCurve* (KQelTakeNode::*const kTranslation[])() = {&KQelTakeNode::GetTranslationX, &KQelTakeNode::GetTranslationY,
                                                     &KQelTakeNode::GetTranslationZ};
KFCurve* (KQelTakeNode::*const kRotation[])() = {&KQelTakeNode::GetEulerRotationX, &KQelTakeNode::GetEulerRotationY,
                                                  &KQelTakeNode::GetEulerRotationZ};
KFCurve* (KQelTakeNode::*const kColor[])() = {&KQelTakeNode::GetColorR, &KQelTakeNode::GetColorG,
                                               &KQelTakeNode::GetColorB};

}  // namespace

std::uint64_t KQelWriter3DS::FrameCount(KQelNode* pNode) const
{
    KQelTakeNode* take = pNode ? pNode->GetCurrentTakeNode() : nullptr;
    if (!mAnimationOn || !take)
        return 1;
    KTime start(0), stop(0);
    take->GetAnimationInterval(start, stop);
    const long long frame = stop.GetFrame(true, KTime::eFRAMES30);
    return frame < 0 ? 1 : static_cast<std::uint64_t>(frame) + 1;
}

std::string KQelWriter3DS::ParentName(KQelNode* pNode, bool pRootRule) const
{
    KQelNode* parent = pNode->GetParent();
    if (!parent)
        return std::string();
    const std::string name = parent->GetNameWithoutNameSpacePrefix().Buffer();
    if (IsObject(parent))
        return name.substr(0, 20);
    if (pRootRule && name.compare(0, 7, "Qel_Roo") == 0)
        return mCreateReferenceNode ? std::string(DummyName3ds) + ".RootNod" : std::string();
    return (std::string(DummyName3ds) + "." + name).substr(0, 20);
}

objectmotion3ds* KQelWriter3DS::ConvMeshNodeTVto3DS(KQelNode* pNode)
{
    if (!pNode)
        return nullptr;
    const std::uint64_t frames = FrameCount(pNode);
    if (frames > kMaxKeys) {
        Refuse(kTooManyFrames);
        return nullptr;
    }
    const auto n = static_cast<std::uint32_t>(frames);
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    const bool animated = mAnimationOn && take;
    KFCurve* curves[3][3] = {};
    if (animated && take->GetKFCurveNode())
        take->GetKFCurveNode()->GetTransformCurves(curves[0], curves[1], curves[2]);
    KQelVector4 defaults[3];
    pNode->GetDefaultT(defaults[0]);
    pNode->GetDefaultR(defaults[1]);
    pNode->GetDefaultS(defaults[2]);
    Tracks tracks;
    for (int v = 0; v < 3; ++v) {
        for (int c = 0; c < 3; ++c)
            curves[v][c] = tracks.Take(animated, curves[v][c], defaults[v][c]);
    }
    objectmotion3ds* record = nullptr;
    InitObjectMotion3ds(&record, n, n, n, 0, 0);
    if (!record || ToolkitFailed()) {
        ReleaseObjectMotion3ds(&record);
        return nullptr;
    }
    CopyName(record->name, pNode->GetNameWithoutNameSpacePrefix().Buffer(), 10);
    CopyName(record->parent, ParentName(pNode, true), 20);
    Create3DSTransDataFromTCB(record->pos.keys, record->pos.values, curves[0][0], curves[0][1], curves[0][2], n);
    Create3DSRotDataFromTCB(record->rot.keys, record->rot.values, curves[1][0], curves[1][1], curves[1][2], n);
    Create3DSScaleDataFromTCB(record->scale.keys, record->scale.values, curves[2][0], curves[2][1], curves[2][2], n);
    return record;
}

omnimotion3ds* KQelWriter3DS::ConvOmnilightNodeTVto3DS(KQelNode* pNode)
{
    if (!pNode)
        return nullptr;
    const std::uint64_t frames = FrameCount(pNode);
    if (frames > kMaxKeys) {
        Refuse(kTooManyFrames);
        return nullptr;
    }
    const auto n = static_cast<std::uint32_t>(frames);
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    const bool animated = mAnimationOn && take;
    KQelVector4 position;
    pNode->GetDefaultT(position);
    KQelColor color;
    if (KQelLight* light = pNode->GetLight())
        light->GetDefaultColor(color);
    Tracks tracks;
    KFCurve* t[3];
    KFCurve* c[3];
    tracks.Vector(animated, take, kTranslation, position, t);
    tracks.Vector(animated, take, kColor, KQelVector4(color.mRed, color.mGreen, color.mBlue, 1.0), c);
    omnimotion3ds* record = nullptr;
    InitOmnilightMotion3ds(&record, n, n);
    if (!record || ToolkitFailed()) {
        ReleaseOmnilightMotion3ds(&record);
        return nullptr;
    }
    CopyName(record->name, pNode->GetNameWithoutNameSpacePrefix().Buffer(), 10);
    CopyName(record->parent, ParentName(pNode, false), 20);
    Create3DSTransDataFromTCB(record->pos.keys, record->pos.values, t[0], t[1], t[2], n);
    Create3DSColorDataFromTCB(record->color.keys, record->color.values, c[0], c[1], c[2], n);
    return record;
}

namespace {

// The camera's field of view of a horizontal film: the vertical angle
// pDegrees turned through the film's squeeze and aspect.
double HorizontalAngle(const KQelCamera& pCamera, double pDegrees)
{
    const double height = pCamera.GetApertureHeight();
    const double ratio = height != 0.0 ? pCamera.GetSqueezeRatio() * pCamera.GetApertureWidth() / height : 1.0;
    return 2.0 * std::atan(std::tan(pDegrees * kDegreesToRadians * 0.5) * ratio) * kRadiansToDegrees;
}

}  // namespace

void KQelWriter3DS::TargetTrack(KQelNode* pNode, std::uint64_t pFrames, bool pSpot, Tracks& pTracks,
                                KFCurve** pCurves, std::uint64_t& pTargetFrames, std::string& pParent) const
{
    if (KQelNode* target = pNode->GetTarget()) {
        KQelTakeNode* take = target->GetCurrentTakeNode();
        KTime start(0), stop(0);
        if (take)
            take->GetAnimationInterval(start, stop);
        const long long frame = stop.GetFrame(true, KTime::eFRAMES30);
        pTargetFrames = frame < 0 ? 1 : static_cast<std::uint64_t>(frame) + 1;
        KQelVector4 position;
        target->GetDefaultT(position);
        bool animated = mAnimationOn && take;
        if (pSpot && animated && (!take->GetTranslationZ() || take->GetTranslationZ()->KeyGetCount() < 2))
            animated = false;
        pTracks.Vector(animated, take, kTranslation, position, pCurves);
        const std::string name = target->GetNameWithoutNameSpacePrefix().Buffer();
        pParent = IsObject(target) ? name.substr(0, 20) : (std::string(DummyName3ds) + "." + name).substr(0, 20);
        return;
    }
    pTargetFrames = pFrames;
    pParent = ParentName(pNode, false);
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    const bool animated = mAnimationOn && take;
    KQelVector4 position, rotation;
    pNode->GetDefaultT(position);
    pNode->GetDefaultR(rotation);
    KFCurve* t[3];
    KFCurve* r[3];
    pTracks.Vector(animated, take, kTranslation, position, t);
    pTracks.Vector(animated, take, kRotation, rotation, r);
    const double local[3] = {pSpot ? 0.0 : 10.0, pSpot ? -10.0 : 0.0, 0.0};
    for (int c = 0; c < 3; ++c) {
        pCurves[c] = pTracks.Own();
        pCurves[c]->KeyModifyBegin(static_cast<int>(std::min<std::uint64_t>(pFrames, 0x7FFFFFFF)));
    }
    int kept = 0;
    for (std::uint64_t i = 0; i < pFrames && i < 0x7FFFFFFF; ++i, ++kept) {
        const KTime time = FrameTime(i);
        double m[4][4];
        Rotation(m, r[0]->Evaluate(time), r[1]->Evaluate(time), r[2]->Evaluate(time));
        for (int c = 0; c < 3; ++c) {
            const double value = t[c]->Evaluate(time) + local[0] * m[0][c] + local[1] * m[1][c] + local[2] * m[2][c];
            pCurves[c]->KeySetTCB(kept, time, static_cast<float>(value), 0.0f, 0.0f, 0.0f);
        }
    }
    for (int c = 0; c < 3; ++c)
        pCurves[c]->KeyModifyEnd(kept);
}

spotmotion3ds* KQelWriter3DS::ConvSpotlightNodeTVto3DS(KQelNode* pNode)
{
    if (!pNode)
        return nullptr;
    const std::uint64_t frames = FrameCount(pNode);
    if (frames > kMaxKeys) {
        Refuse(kTooManyFrames);
        return nullptr;
    }
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    const bool animated = mAnimationOn && take;
    KQelLight* light = pNode->GetLight();
    KQelVector4 position;
    pNode->GetDefaultT(position);
    KQelColor color;
    double cone = 45.0;
    if (light) {
        light->GetDefaultColor(color);
        cone = light->GetDefaultConeAngle();
    }
    Tracks tracks;
    KFCurve* t[3];
    KFCurve* c[3];
    KFCurve* target[3];
    tracks.Vector(animated, take, kTranslation, position, t);
    tracks.Vector(animated, take, kColor, KQelVector4(color.mRed, color.mGreen, color.mBlue, 1.0), c);
    KFCurve* hotspot = tracks.Take(animated, animated ? take->GetLightConeAngle() : nullptr, cone);
    KFCurve* roll = tracks.Made(0.0);
    std::uint64_t targetFrames = 1;
    std::string targetParent;
    TargetTrack(pNode, frames, true, tracks, target, targetFrames, targetParent);
    if (targetFrames > kMaxKeys) {
        Refuse(kTooManyFrames);
        return nullptr;
    }
    const auto n = static_cast<std::uint32_t>(frames), m = static_cast<std::uint32_t>(targetFrames);
    spotmotion3ds* record = nullptr;
    InitSpotlightMotion3ds(&record, n, n, n, n, 1, m);
    if (!record || ToolkitFailed()) {
        ReleaseSpotlightMotion3ds(&record);
        return nullptr;
    }
    CopyName(record->name, pNode->GetNameWithoutNameSpacePrefix().Buffer(), 10);
    CopyName(record->parent, ParentName(pNode, false), 20);
    CopyName(record->tparent, targetParent, 20);
    Create3DSTransDataFromTCB(record->pos.keys, record->pos.values, t[0], t[1], t[2], n);
    Create3DSColorDataFromTCB(record->color.keys, record->color.values, c[0], c[1], c[2], n);
    Create3DSScalarDataFromTCB(record->hot.keys, record->hot.values, hotspot, n);
    Create3DSScalarDataFromTCB(record->fall.keys, record->fall.values, hotspot, n);
    Create3DSScalarDataFromTCB(record->roll.keys, record->roll.values, roll, 1);
    Create3DSTransDataFromTCB(record->tpos.keys, record->tpos.values, target[0], target[1], target[2], m);
    return record;
}

cameramotion3ds* KQelWriter3DS::ConvCameraNodeTVto3DS(KQelNode* pNode)
{
    if (!pNode)
        return nullptr;
    const std::uint64_t frames = FrameCount(pNode);
    if (frames > kMaxKeys) {
        Refuse(kTooManyFrames);
        return nullptr;
    }
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    const bool animated = mAnimationOn && take;
    KQelCamera* camera = pNode->GetCamera();
    KQelVector4 position;
    pNode->GetDefaultT(position);
    Tracks tracks;
    KFCurve* t[3];
    tracks.Vector(animated, take, kTranslation, position, t);

    // Field of view: the take's keys made horizontal, on a copy; else the
    // camera's horizontal angle.
    KFCurve* fov = nullptr;
    KFCurve* animatedFov = animated ? take->GetCameraFieldOfView() : nullptr;
    if (camera && animatedFov && animatedFov->KeyGetCount() > 0) {
        fov = tracks.Own();
        fov->CopyFrom(*animatedFov);
        fov->KeyModifyBegin();
        for (int k = 0; k < fov->KeyGetCount(); ++k)
            fov->KeySetValue(k, static_cast<float>(HorizontalAngle(*camera, fov->KeyGetValue(k))));
        fov->KeyModifyEnd();
    } else if (camera) {
        const int mode = camera->GetApertureMode();
        const double angle = mode == KQelCamera::eHorizontal               ? camera->GetAngleOfView()
                             : mode == KQelCamera::eHorizontalAndVertical ? camera->GetDefaultFieldOfViewX()
                             : HorizontalAngle(*camera, animated ? camera->GetDefaultFieldOfView()
                                                                 : camera->GetAngleOfView());
        fov = tracks.Made(angle);
    } else {
        fov = tracks.Made(45.0);
    }
    KFCurve* roll = tracks.Take(animated, animated ? take->GetCameraRoll() : nullptr, camera ? camera->GetRoll() : 0.0);

    KFCurve* target[3];
    std::uint64_t targetFrames = 1;
    std::string targetParent;
    TargetTrack(pNode, frames, false, tracks, target, targetFrames, targetParent);
    if (!pNode->GetTarget()) {
        // The roll that keeps the camera's up side up, plus its own roll.
        KQelVector4 rotation;
        pNode->GetDefaultR(rotation);
        KFCurve* r[3];
        tracks.Vector(animated, take, kRotation, rotation, r);
        KFCurve* leveled = tracks.Own();
        const int count = static_cast<int>(std::min<std::uint64_t>(frames, 0x7FFFFFFF));
        leveled->KeyModifyBegin(count);
        for (int i = 0; i < count; ++i) {
            const KTime time = FrameTime(static_cast<std::uint64_t>(i));
            double m[4][4];
            Rotation(m, r[0]->Evaluate(time), r[1]->Evaluate(time), r[2]->Evaluate(time));
            const double p[3] = {t[0]->Evaluate(time), t[1]->Evaluate(time), t[2]->Evaluate(time)};
            const double* u = m[2];
            double angle = 90.0 - std::acos(std::clamp(u[1], -1.0, 1.0)) * 180.0 / 3.1416;
            const double target10[3] = {p[0] + 10.0 * m[0][0], p[1] + 10.0 * m[0][1], p[2] + 10.0 * m[0][2]};
            const double q[3] = {p[0] + u[0], p[1] + u[1], p[2] + u[2]};
            // c = target x (0, 1, 0)
            const double cross[3] = {-target10[2], 0.0, target10[0]};
            double near = 0.0, far = 0.0;
            for (int k = 0; k < 3; ++k) {
                near += (cross[k] - q[k]) * (cross[k] - q[k]);
                far += (-cross[k] - q[k]) * (-cross[k] - q[k]);
            }
            if (near >= far)
                angle = -angle;
            leveled->KeySetTCB(i, time, static_cast<float>(angle + roll->Evaluate(time)), 0.0f, 0.0f, 0.0f);
        }
        leveled->KeyModifyEnd(count);
        roll = leveled;
    }
    if (targetFrames > kMaxKeys) {
        Refuse(kTooManyFrames);
        return nullptr;
    }
    const auto n = static_cast<std::uint32_t>(frames), m = static_cast<std::uint32_t>(targetFrames);
    cameramotion3ds* record = nullptr;
    InitCameraMotion3ds(&record, n, n, n, m);
    if (!record || ToolkitFailed()) {
        ReleaseCameraMotion3ds(&record);
        return nullptr;
    }
    CopyName(record->name, pNode->GetNameWithoutNameSpacePrefix().Buffer(), 10);
    CopyName(record->parent, ParentName(pNode, false), 20);
    CopyName(record->tparent, targetParent, 20);
    Create3DSTransDataFromTCB(record->pos.keys, record->pos.values, t[0], t[1], t[2], n);
    Create3DSScalarDataFromTCB(record->fov.keys, record->fov.values, fov, n);
    Create3DSScalarDataFromTCB(record->roll.keys, record->roll.values, roll, n);
    Create3DSTransDataFromTCB(record->tpos.keys, record->tpos.values, target[0], target[1], target[2], m);
    return record;
}

}  // namespace qelsdk_600
