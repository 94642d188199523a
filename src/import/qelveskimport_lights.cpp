// Lights: the host light of a node, and its colour, intensity and cone
// angle with their curves.
#include <vesk/MColor.h>
#include <vesk/MDagPath.h>
#include <vesk/MFnDirectionalLight.h>
#include <vesk/MFnPointLight.h>
#include <vesk/MFnSpotLight.h>
#include <vesk/MFnTransform.h>

#include "content/kqellight.h"
#include "curves/kfcurve.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

// Percent to a fraction, and degrees to radians, as the curves take them
// (single precision) and as the static values take them.
const float kIntensityCurveFactor = 0.01f;
const double kIntensityDivisor = 100.0;
const float kConeCurveFactor = 0.017453292f;
const double kDegreesToRadians = 0.017453292519943295;

// The light shape of a type, made under pParent; a null object, the status
// untouched, for a type no light has.
MObject CreateLight(KQelLight::ELightType pType, const MObject& pParent, MStatus& pStatus)
{
    switch (pType) {
    case KQelLight::ePoint: {
        MFnPointLight light;
        return light.create(pParent, true, &pStatus);
    }
    case KQelLight::eInfinite: {
        MFnDirectionalLight light;
        return light.create(pParent, true, &pStatus);
    }
    case KQelLight::eSpot: {
        MFnSpotLight light;
        return light.create(pParent, true, &pStatus);
    }
    }
    return MObject::kNullObj;
}

}  // namespace

void QelVeskImport::CreateLightGeometry(QelVeskNode& pNode)
{
    const KQelLight* attribute = static_cast<const KQelLight*>(pNode.GetNodeAttribute());
    if (!attribute)
        return;
    const KString name = ShortName(pNode);
    const KQelLight::ELightType type = attribute->GetLightType();
    MStatus status;
    MObject shape = CreateLight(type, HostParent(pNode), status);
    if (shape.isNull() && status) {
        KString line("Light ");
        line += name;
        line += ": light type ";
        line += static_cast<int>(type);
        line += " is not known; no light was made.";
        Log(line.Buffer());
        return;
    }
    if (!status) {
        status.perror("Cannot create Light");
        return;
    }
    MFnLight light(shape);
    light.setName(MString((name + "Shape").Buffer()));
    pNode.SetShapeObject(&shape);
    const MObject above = light.parent(0, &status);
    if (!status)
        return;
    MFnTransform transform(above, &status);
    MDagPath path;
    if (status)
        status = transform.getPath(path);
    if (!status)
        return;
    pNode.SetDagPath(&path);
    AddUserProperties(transform, &pNode);
    transform.setName(MString(name.Buffer()));
}

MStatus QelVeskImport::ImportAnimationLight(QelVeskNode& pNode)
{
    const MObject* shape = pNode.GetShapeObject();
    KQelTakeNode* defaults = pNode.GetDefaultTakeNode();
    KQelTakeNode* animated = pNode.GetCurrentTakeNode();
    if (animated == defaults)
        animated = nullptr;
    MDagPath path;
    if (!shape || !MDagPath::getAPathTo(*shape, path))
        return MStatus::kSuccess;
    // Each channel may be missing from a take: it is then left out.
    const auto curveOf = [](KQelTakeNode* pTake, KFCurve* (KQelTakeNode::*pChannel)()) {
        return pTake ? (pTake->*pChannel)() : nullptr;
    };

    if (path.hasFn(MFn::kSpotLight)) {
        MFnSpotLight spot(path);
        if (KFCurve* cone = curveOf(animated, &KQelTakeNode::GetLightConeAngle)) {
            cone->KeyScaleValueAndTangeant(false, kConeCurveFactor);
            MPlug plug = spot.findPlug("coneAngle");
            SetVeskCurve(plug, *cone, MFnAnimCurve::kAnimCurveTA, 1.0, UiAngleIn(MAngle::kRadians));
        }
        if (KFCurve* cone = curveOf(defaults, &KQelTakeNode::GetLightConeAngle))
            spot.setConeAngle(cone->GetValue() * kDegreesToRadians);
    }

    MFnLight light(path);
    static const struct {
        const char* mPlug;
        KFCurve* (KQelTakeNode::*mChannel)();
    } kColors[] = {
        {"colorR", &KQelTakeNode::GetColorR},
        {"colorG", &KQelTakeNode::GetColorG},
        {"colorB", &KQelTakeNode::GetColorB},
    };
    MColor color = light.color();
    float* components[3] = {&color.r, &color.g, &color.b};
    for (int i = 0; i < 3; ++i) {
        if (KFCurve* curve = curveOf(animated, kColors[i].mChannel)) {
            MPlug plug = light.findPlug(kColors[i].mPlug);
            SetVeskCurve(plug, *curve, MFnAnimCurve::kAnimCurveTU, 1.0, 1.0);
        }
    }
    for (int i = 0; i < 3; ++i)
        if (KFCurve* curve = curveOf(defaults, kColors[i].mChannel))
            *components[i] = curve->GetValue();
    light.setColor(color);

    if (KFCurve* intensity = curveOf(animated, &KQelTakeNode::GetLightIntensity)) {
        intensity->KeyScaleValueAndTangeant(false, kIntensityCurveFactor);
        MPlug plug = light.findPlug("intensity");
        SetVeskCurve(plug, *intensity, MFnAnimCurve::kAnimCurveTU, 1.0, 1.0);
    }
    if (KFCurve* intensity = curveOf(defaults, &KQelTakeNode::GetLightIntensity))
        light.setIntensity(static_cast<float>(intensity->GetValue() / kIntensityDivisor));
    return MStatus::kSuccess;
}
