// Lights: their nodes, and their colour, intensity and cone angle with the
// animation of each.
#include <vesk/MColor.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnDirectionalLight.h>
#include <vesk/MFnPointLight.h>
#include <vesk/MFnSpotLight.h>

#include "content/kqellight.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvefilterconstantkeyreducer.h"
#include "export/qelveskexport.h"
#include "export/qelveskexport_impl.h"
#include "object/kpropertytemplate.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskuserparams.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

// Host light types tested by number.
enum ELightHostType : int {
    kSkippedLight = 0x129,
    kAreaLight = 0x12B,
    kDirectionalLight = 0x12E,
    kPointLight = 0x12F,
    kSpotLight = 0x130,
    kVolumeLight = 0x35B
};

bool Has(const MDagPath& pPath, int pType)
{
    return pPath.hasFn(static_cast<MFn::Type>(pType));
}

// True when a function set of the light's kind attaches to the object and
// reads it visible.
template <class LightSet>
bool AttachVisibility(QelVeskExport& pExport, const MObject& pShape, bool& pVisible)
{
    MStatus status;
    LightSet light(pShape, &status);
    if (!status)
        return false;
    pVisible = pExport.GetNodeVisibility(light);
    return true;
}
typedef bool (*EVisibilityReader)(QelVeskExport&, const MObject&, bool&);

// The light kinds of the builder, tested in order.
struct LightKind {
    int mHostType;
    KQelLight::ELightType mType;
    EVisibilityReader mVisibility;
};
const LightKind kLightKinds[] = {
    {kPointLight, KQelLight::ePoint, &AttachVisibility<MFnPointLight>},
    {kSpotLight, KQelLight::eSpot, &AttachVisibility<MFnSpotLight>},
    {kDirectionalLight, KQelLight::eInfinite, &AttachVisibility<MFnDirectionalLight>},
};

// The light's working channels, in the order they are copied into the
// take: the host plug and the factor into SDK units.
enum EChannel { kIntensity, kRed, kGreen, kBlue, kConeAngle, kChannelCount };
const struct {
    KQelTakeNode::EChannel mChannel;
    const char* mPlug;
    double mFactor;
} kChannels[kChannelCount] = {
    {KQelTakeNode::eLightIntensity, "intensity", 100.0},
    {KQelTakeNode::eColorR, "colorR", 1.0},
    {KQelTakeNode::eColorG, "colorG", 1.0},
    {KQelTakeNode::eColorB, "colorB", 1.0},
    {KQelTakeNode::eLightConeAngle, "coneAngle", sgRadiansToDegrees},
};

// The plugs of the four common channels on a light shape.
template <class LightSet>
void FindCommonPlugs(const MDagPath& pPath, MPlug pPlugs[kChannelCount])
{
    const LightSet light(pPath);
    for (int channel : {kRed, kGreen, kBlue, kIntensity})
        pPlugs[channel] = light.findPlug(kChannels[channel].mPlug);
}

void SetDefault(KQelTakeNode& pTake, KQelTakeNode::EChannel pChannel, double pValue)
{
    if (KFCurve* curve = pTake.GetChannel(pChannel))
        curve->SetValue(detail::SaturateToFloat(pValue));
}

}  // namespace

QelVeskNode* QelVeskExport::BuildLightGeometry(MDagPath& pPath, MFnDagNode& pNode)
{
    QelVeskNode* node = mManager.CreateQelVeskNode(pNode.name().asChar(), &pPath);
    Register(pPath, node);
    if (Has(pPath, kSkippedLight))
        return node;

    const LightKind* kind = nullptr;
    for (const LightKind& candidate : kLightKinds)
        if (Has(pPath, candidate.mHostType)) {
            kind = &candidate;
            break;
        }
    KQelLight* light = mManager.CreateKQelLight();
    node->SetNodeAttribute(light);
    light->SetLightType(kind ? kind->mType : KQelLight::ePoint);
    if (!kind) {
        node->SetVisibility(false);
        return node;
    }
    if (kind->mType == KQelLight::eSpot)
        light->SetFileName(pNode.name().asChar());
    bool visible = true;
    if (pPath.apiType() == MFn::kTransform && pPath.childCount() > 0 &&
        kind->mVisibility(*this, pPath.child(0), visible))
        node->SetVisibility(visible);
    return node;
}

bool QelVeskExport::ExportLights(MDagPath& pPath, QelVeskNode& pNode)
{
    if (Has(pPath, kSkippedLight))
        return false;
    ExportLightAttributesDefaults(pPath, pNode);
    return ExportLightAttributesCurves(pNode);
}

void QelVeskExport::ExportLightAttributesDefaults(MDagPath& pPath, QelVeskNode& pNode)
{
    KQelTakeNode* take = pNode.GetDefaultTakeNode();
    if (!take)
        return;
    if (Has(pPath, kSpotLight))
        SetDefault(*take, KQelTakeNode::eLightConeAngle, MFnSpotLight(pPath).coneAngle() * sgRadiansToDegrees);
    const MFnLight light(pPath);
    const MColor color = light.color();
    SetDefault(*take, KQelTakeNode::eColorR, color.r);
    SetDefault(*take, KQelTakeNode::eColorG, color.g);
    SetDefault(*take, KQelTakeNode::eColorB, color.b);
    SetDefault(*take, KQelTakeNode::eLightIntensity, light.intensity() * 100.0);
    SetDefault(*take, KQelTakeNode::eLightFog, 0.0);
}

bool QelVeskExport::ExportLightAttributesCurves(QelVeskNode& pNode)
{
    KQelTakeNode* defaults = pNode.GetDefaultTakeNode();
    const MDagPath* path = pNode.GetDagPath();
    if (!defaults || !path)
        return false;
    KFCurve working[kChannelCount];
    for (int channel = 0; channel < kChannelCount; ++channel)
        if (KFCurve* source = defaults->GetChannel(kChannels[channel].mChannel))
            working[channel].CopyFrom(*source, false);
    KFCurveFilterConstantKeyReducer reducer;
    bool animated = false;

    // Converts one plug's curve into its working curve.
    auto convert = [&](int pChannel, const MPlug& pPlug) {
        MStatus status;
        MFnAnimCurve hostCurve(pPlug, &status);
        if (status)
            SetFCurve(hostCurve, working[pChannel], false, kChannels[pChannel].mFactor);
        if (export_detail::BoolSetting(KQelUserParams::kExportApplyCstKeyRed))
            reducer.Apply(working[pChannel]);
        animated = animated || working[pChannel].KeyGetCount() > 0;
    };

    MPlug plugs[kChannelCount];
    if (Has(*path, kPointLight))
        FindCommonPlugs<MFnPointLight>(*path, plugs);
    if (Has(*path, kDirectionalLight))
        FindCommonPlugs<MFnDirectionalLight>(*path, plugs);
    if (Has(*path, kSpotLight)) {
        FindCommonPlugs<MFnSpotLight>(*path, plugs);
        convert(kConeAngle, MFnSpotLight(*path).findPlug(kChannels[kConeAngle].mPlug));
    }
    if (Has(*path, kAreaLight) || Has(*path, kVolumeLight))
        FindCommonPlugs<MFnPointLight>(*path, plugs);
    for (int channel : {kRed, kGreen, kBlue, kIntensity})
        convert(channel, plugs[channel]);

    if (!animated)
        return false;
    SetCurrentTakeOnNode(pNode, sgAnimationTake);
    KQelTakeNode* take = pNode.GetCurrentTakeNode();
    for (int channel = 0; take && channel < kChannelCount; ++channel) {
        KFCurve* target = take->GetChannel(kChannels[channel].mChannel);
        if (target && working[channel].KeyGetCount() > 0)
            target->CopyFrom(working[channel], true);
    }
    return true;
}
