#include "content/kqellight.h"

#include "content/kqelattribute_impl.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "math/kgevector.h"
#include "scene/kqeltakenode.h"
#include "scene/kqeltakenodecontainer.h"

namespace qelsdk_600 {

namespace {

// The curves of a light in each take, in the order they are built: the
// curve node (under its group, when there is one), the property it mirrors
// and which member, the take-node getter that finds it, the default value
// and the display colour.
struct LightChannel {
    const char* mGroup;
    const char* mName;
    const char* mProperty;
    int mMember;
    KQelTakeNode::EChannel mChannel;
    float mValue;
    float mColor[3];
};

enum { kRed, kGreen, kBlue, kIntensity, kConeAngle, kFog, kLightChannelCount };

const LightChannel kLightChannels[kLightChannelCount] = {
    {"Color", "X", "Color", 0, KQelTakeNode::eColorR, 1.0f, {1.0f, 0.0f, 0.0f}},
    {"Color", "Y", "Color", 1, KQelTakeNode::eColorG, 1.0f, {0.0f, 1.0f, 0.0f}},
    {"Color", "Z", "Color", 2, KQelTakeNode::eColorB, 1.0f, {0.0f, 0.0f, 1.0f}},
    {nullptr, "Intensity", "Intensity", 0, KQelTakeNode::eLightIntensity, 100.0f, {0.97f, 0.91f, 0.11f}},
    {nullptr, "Cone angle", "Cone angle", 0, KQelTakeNode::eLightConeAngle, 45.0f, {0.82f, 0.1f, 0.71f}},
    {nullptr, "Fog", "Fog", 0, KQelTakeNode::eLightFog, 50.0f, {0.82f, 0.38f, 0.1f}},
};

// The curve nodes RemoveChannels deletes, directly below the root.
const char* const kLightCurveNodes[] = {"Color", "Intensity", "Cone angle", "Fog"};

bool IsDefaultTake(KQelTakeNode* pTakeNode)
{
    return KString(pTakeNode->GetName()).CompareNoCase("Default") == 0;
}

}  // namespace

// ---- KQelLightProperties ----

QEL_CLASS_IDENTITY_DEFINE(KQelLightProperties, KObject)

KQelLightProperties::KQelLightProperties()
{
    QEL_PROPERTY_SET_REGISTER(QEL_LIGHT_PROPERTIES);
}

KQelLightProperties::~KQelLightProperties() {}

const char* KQelLightProperties::LightTypeAsString(KQelLight::ELightType pType)
{
    static const char* const kTexts[] = {"Point Light", "Infinite Light", "Spot Light"};
    return KQelEnumText(kTexts, pType);
}

// ---- KQelLight ----

KQelLight::KQelLight(KQelSdkManager& pManager) : KQelNodeAttribute(pManager), mProperties(new KQelLightProperties)
{
    SetCastLight(true);
    SetLightType(ePoint);
    SetDefaultColor(KQelColor(1.0, 1.0, 1.0, 1.0));
    SetDefaultIntensity(100.0);
    SetDefaultConeAngle(45.0);
    SetDefaultFog(50.0);
    SetGroundProjection(true);
    SetVolumetricProjection(true);
    SetFrontVolumetricProjection(false);
}

KQelLight::~KQelLight()
{
    mProperties->Destroy(0);
}

void KQelLight::FillPropertyList(void* pList)
{
    KQelAppendAttributeProperties(mProperties, pList);
}

KString KQelLight::GetTypeName()
{
    return KString("Light");
}

KStringList KQelLight::GetTypeFlags()
{
    KStringList flags;
    flags.Add("Light", 0);
    return flags;
}

// ---- Channels ----

void KQelLight::AddChannels(KQelTakeNode* pTakeNode)
{
    KQelNodeAttribute::AddChannels(pTakeNode);
    if (!pTakeNode)
        return;
    KQelTakeNodeContainer* takes = IsDefaultTake(pTakeNode) ? KQelBoundTakes(*this) : nullptr;
    KFCurveNode* root = pTakeNode->GetKFCurveNode();
    for (const LightChannel& channel : kLightChannels) {
        KFCurveNode* parent = channel.mGroup ? root->FindOrCreate(channel.mGroup, false) : root;
        KFCurve* curve = parent->FindOrCreate(channel.mName, true)->FCurveGet();
        // Tied first, so that the value set below reaches the property too:
        // a bound light starts from the defaults on both sides.
        if (takes)
            takes->RegisterDefaultTakeCallback(mProperties->FindPropertyByName(channel.mProperty), channel.mMember,
                                               curve);
        curve->SetValue(channel.mValue);
        curve->SetColor(channel.mColor);
    }
}

void KQelLight::RemoveChannels(KQelTakeNode* pTakeNode)
{
    if (pTakeNode) {
        KFCurveNode* root = pTakeNode->GetKFCurveNode();
        for (const char* name : kLightCurveNodes) {
            const int index = root->Find(name);
            if (index >= 0)
                root->Delete(index);
        }
    }
    KQelNodeAttribute::RemoveChannels(pTakeNode);
}

// ---- Animatable values ----

void KQelLight::SetDefaultValues(int pFirst, const double* pValues, int pCount)
{
    if (KQelTakeNode* take = KQelBoundDefaultTake(*this)) {
        for (int i = 0; i < pCount; ++i) {
            if (KFCurve* curve = take->GetChannel(kLightChannels[pFirst + i].mChannel))
                curve->SetValue(detail::SaturateToFloat(pValues[i]));
        }
    }
    KProperty* property = mProperties->FindPropertyByName(kLightChannels[pFirst].mProperty);
    if (!property)
        return;
    if (pCount == 3) {
        const KgeRGBVector color(pValues[0], pValues[1], pValues[2]);
        property->SetData(&color);
    } else {
        property->SetDouble(pValues[0]);
    }
}

double KQelLight::GetDefaultValue(int pChannel) const
{
    const LightChannel& channel = kLightChannels[pChannel];
    if (KQelTakeNode* take = KQelBoundDefaultTake(*this)) {
        if (KFCurve* curve = take->GetChannel(channel.mChannel))
            return curve->GetValue();
    }
    KProperty* property = mProperties->FindPropertyByName(channel.mProperty);
    if (!property)
        return 0.0;
    if (channel.mGroup) {
        KgeRGBVector color;
        property->GetData(&color);
        return color.mData[channel.mMember];
    }
    return property->AsDouble();
}

void KQelLight::SetDefaultColor(const KQelColor& pColor)
{
    const double values[3] = {pColor.mRed, pColor.mGreen, pColor.mBlue};
    SetDefaultValues(kRed, values, 3);
}

KQelColor& KQelLight::GetDefaultColor(KQelColor& pColor) const
{
    pColor.mRed = GetDefaultValue(kRed);
    pColor.mGreen = GetDefaultValue(kGreen);
    pColor.mBlue = GetDefaultValue(kBlue);
    return pColor;
}

void KQelLight::SetDefaultIntensity(double pIntensity)
{
    SetDefaultValues(kIntensity, &pIntensity, 1);
}

double KQelLight::GetDefaultIntensity() const
{
    return GetDefaultValue(kIntensity);
}

void KQelLight::SetDefaultConeAngle(double pConeAngle)
{
    SetDefaultValues(kConeAngle, &pConeAngle, 1);
}

double KQelLight::GetDefaultConeAngle() const
{
    return GetDefaultValue(kConeAngle);
}

void KQelLight::SetDefaultFog(double pFog)
{
    SetDefaultValues(kFog, &pFog, 1);
}

double KQelLight::GetDefaultFog() const
{
    return GetDefaultValue(kFog);
}

// ---- Kind, flags and file name ----

void KQelLight::SetLightType(ELightType pType)
{
    mProperties->LightType.SetValue(pType);
}

KQelLight::ELightType KQelLight::GetLightType() const
{
    return mProperties->LightType.GetValue();
}

void KQelLight::SetCastLight(bool pCastLight)
{
    mProperties->CastLightOnObject.SetValue(pCastLight);
}

bool KQelLight::GetCastLight() const
{
    return mProperties->CastLightOnObject.GetValue();
}

void KQelLight::SetGroundProjection(bool pGroundProjection)
{
    mProperties->DrawGroundProjection.SetValue(pGroundProjection);
}

bool KQelLight::GetGroundProjection() const
{
    return mProperties->DrawGroundProjection.GetValue();
}

void KQelLight::SetVolumetricProjection(bool pVolumetricProjection)
{
    mProperties->DrawVolumetricLight.SetValue(pVolumetricProjection);
}

bool KQelLight::GetVolumetricProjection() const
{
    return mProperties->DrawVolumetricLight.GetValue();
}

void KQelLight::SetFrontVolumetricProjection(bool pFrontVolumetricProjection)
{
    mProperties->DrawFrontFacingVolumetricLight.SetValue(pFrontVolumetricProjection);
}

bool KQelLight::GetFrontVolumetricProjection() const
{
    return mProperties->DrawFrontFacingVolumetricLight.GetValue();
}

bool KQelLight::SetFileName(const char* pFileName)
{
    if (!pFileName || !*pFileName)
        mFileName.reset();
    else if (mFileName)
        *mFileName = pFileName;
    else
        mFileName.reset(new KString(pFileName));
    return true;
}

const char* KQelLight::GetFileName() const
{
    return mFileName && !mFileName->IsEmpty() ? mFileName->Buffer() : nullptr;
}

KQelLight& KQelLight::operator=(const KQelLight& pOther)
{
    if (this == &pOther)
        return *this;
    SetLightType(pOther.GetLightType());
    SetCastLight(pOther.GetCastLight());
    SetFileName(pOther.GetFileName());
    SetGroundProjection(pOther.GetGroundProjection());
    SetVolumetricProjection(pOther.GetVolumetricProjection());
    SetFrontVolumetricProjection(pOther.GetFrontVolumetricProjection());
    return *this;
}

}  // namespace qelsdk_600
