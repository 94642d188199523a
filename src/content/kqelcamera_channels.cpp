// The camera on its node: curves in every take, values kept with the Default
// take, the position and the background texture.
#include <cstring>

#include "content/kqelcamera.h"
#include "content/kqeltexture.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

// The seven scalar channels: curve node and property name, take-node
// channel, default value set by AddChannels, display colour.
struct ScalarChannel {
    const char* mName;
    KQelTakeNode::EChannel mChannel;
    double mDefault;
    float mColor[3];
};

enum : int { kFieldOfView, kFieldOfViewX, kFieldOfViewY, kOpticalCenterX, kOpticalCenterY, kRoll, kTurnTable };

const ScalarChannel kScalarChannels[] = {
    {"FieldOfView", KQelTakeNode::eCameraFieldOfView, 25.115, {0.55f, 0.55f, 0.81f}},
    {"FieldOfViewX", KQelTakeNode::eCameraFieldOfViewX, 40.0, {0.06f, 0.06f, 0.94f}},
    {"FieldOfViewY", KQelTakeNode::eCameraFieldOfViewY, 40.0, {0.04f, 0.04f, 0.4f}},
    {"OpticalCenterX", KQelTakeNode::eCameraOpticalCenterX, 0.0, {0.5f, 0.88f, 0.73f}},
    {"OpticalCenterY", KQelTakeNode::eCameraOpticalCenterY, 0.0, {0.13f, 0.56f, 0.34f}},
    {"Roll", KQelTakeNode::eCameraRoll, 0.0, {0.13f, 0.18f, 0.4f}},
    {"TurnTable", KQelTakeNode::eCameraTurnTable, 0.0, {0.4f, 0.13f, 0.18f}},
};
const int kScalarChannelCount = static_cast<int>(sizeof(kScalarChannels) / sizeof(kScalarChannels[0]));

// The background colour: a curve node without a curve of its own, holding
// one curve per member.
const char* const kBackgroundColorProperty = "BackgroundColor";
const char* const kBackgroundColorNode = "BackgroundColor (Color)";
struct ColorMember {
    const char* mName;
    KQelTakeNode::EChannel mChannel;
    float mColor[3];
};
const ColorMember kColorMembers[3] = {
    {"X", KQelTakeNode::eBackgroundColorR, {1.0f, 0.0f, 0.0f}},
    {"Y", KQelTakeNode::eBackgroundColorG, {0.0f, 1.0f, 0.0f}},
    {"Z", KQelTakeNode::eBackgroundColorB, {0.0f, 0.0f, 1.0f}},
};

double Member(const KQelColor& pColor, int pMember)
{
    return pMember == 0 ? pColor.mRed : (pMember == 1 ? pColor.mGreen : pColor.mBlue);
}

void SetCurveValue(KFCurve* pCurve, double pValue)
{
    pCurve->SetValue(detail::SaturateToFloat(pValue));
}

}  // namespace

void KQelCamera::AddChannels(KQelTakeNode* pTakeNode)
{
    KQelNodeAttribute::AddChannels(pTakeNode);
    if (!pTakeNode)
        return;
    KFCurveNode* root = pTakeNode->GetKFCurveNode();
    const bool defaultTake = KString(pTakeNode->GetName()).CompareNoCase("Default") == 0;

    // Links first, values after: the values then reach the properties.
    KFCurve* scalars[kScalarChannelCount];
    for (int i = 0; i < kScalarChannelCount; ++i) {
        scalars[i] = root->FindOrCreate(kScalarChannels[i].mName, true)->FCurveGet();
        if (defaultTake)
            LinkDefaultTakeCurve(Animated(kScalarChannels[i].mName), 0, scalars[i]);
    }
    KFCurveNode* colorNode = root->FindOrCreate(kBackgroundColorNode, false);
    KFCurve* members[3];
    for (int m = 0; m < 3; ++m) {
        members[m] = colorNode->FindOrCreate(kColorMembers[m].mName, true)->FCurveGet();
        if (defaultTake)
            LinkDefaultTakeCurve(Animated(kBackgroundColorProperty), m, members[m]);
    }

    for (int i = 0; i < kScalarChannelCount; ++i)
        SetCurveValue(scalars[i], kScalarChannels[i].mDefault);
    for (int m = 0; m < 3; ++m)
        SetCurveValue(members[m], Member(GetDefaultBackgroundColor(), m));

    for (int i = 0; i < kScalarChannelCount; ++i)
        scalars[i]->SetColor(kScalarChannels[i].mColor);
    for (int m = 0; m < 3; ++m)
        members[m]->SetColor(kColorMembers[m].mColor);
}

void KQelCamera::RemoveChannels(KQelTakeNode* pTakeNode)
{
    if (pTakeNode) {
        KFCurveNode* root = pTakeNode->GetKFCurveNode();
        for (const ScalarChannel& channel : kScalarChannels) {
            const int index = root->Find(channel.mName);
            if (index >= 0)
                root->Delete(index);
        }
        const int index = root->Find(kBackgroundColorNode);
        if (index >= 0)
            root->Delete(index);
    }
    KQelNodeAttribute::RemoveChannels(pTakeNode);
}

// ---- Values kept with the Default take ----

double KQelCamera::GetDefaultValue(int pRow) const
{
    const ScalarChannel& channel = kScalarChannels[pRow];
    if (KFCurve* curve = DefaultTakeCurve(channel.mChannel))
        return curve->GetValue();
    return Animated(channel.mName)->AsDouble();
}

void KQelCamera::SetDefaultValue(int pRow, double pValue)
{
    const ScalarChannel& channel = kScalarChannels[pRow];
    Animated(channel.mName)->SetDouble(pValue);
    if (KFCurve* curve = DefaultTakeCurve(channel.mChannel))
        SetCurveValue(curve, pValue);
}

#define QEL_CAMERA_DEFAULT_VALUE(Name, Row)                                                    \
    double KQelCamera::GetDefault##Name() const { return GetDefaultValue(Row); }               \
    void KQelCamera::SetDefault##Name(double pValue) { SetDefaultValue(Row, pValue); }
QEL_CAMERA_DEFAULT_VALUE(FieldOfView, kFieldOfView)
QEL_CAMERA_DEFAULT_VALUE(FieldOfViewX, kFieldOfViewX)
QEL_CAMERA_DEFAULT_VALUE(FieldOfViewY, kFieldOfViewY)
QEL_CAMERA_DEFAULT_VALUE(OpticalCenterX, kOpticalCenterX)
QEL_CAMERA_DEFAULT_VALUE(OpticalCenterY, kOpticalCenterY)
QEL_CAMERA_DEFAULT_VALUE(Roll, kRoll)
QEL_CAMERA_DEFAULT_VALUE(TurnTable, kTurnTable)
#undef QEL_CAMERA_DEFAULT_VALUE

KQelColor KQelCamera::GetDefaultBackgroundColor() const
{
    KQelColor color = GetBackgroundColor();
    double* components[3] = {&color.mRed, &color.mGreen, &color.mBlue};
    for (int m = 0; m < 3; ++m) {
        if (KFCurve* curve = DefaultTakeCurve(kColorMembers[m].mChannel))
            *components[m] = curve->GetValue();
    }
    return color;
}

void KQelCamera::SetDefaultBackgroundColor(const KQelColor& pColor)
{
    const double rgb[3] = {pColor.mRed, pColor.mGreen, pColor.mBlue};
    Animated(kBackgroundColorProperty)->SetData(rgb);
    for (int m = 0; m < 3; ++m) {
        if (KFCurve* curve = DefaultTakeCurve(kColorMembers[m].mChannel))
            SetCurveValue(curve, rgb[m]);
    }
}

// ---- On the carrying node ----

KFCurve* KQelCamera::DefaultTakeCurve(int pChannel) const
{
    KQelNode* node = GetNode();
    KQelTakeNode* take = node ? node->GetDefaultTakeNode() : nullptr;
    return take ? take->GetChannel(static_cast<KQelTakeNode::EChannel>(pChannel)) : nullptr;
}

void KQelCamera::LinkDefaultTakeCurve(KProperty* pProperty, int pMember, KFCurve* pCurve)
{
    if (KQelNode* node = GetNode())
        node->RegisterDefaultTakeCallback(pProperty, pMember, pCurve);
}

void KQelCamera::SetPosition(const KQelVector4& pPosition)
{
    if (KQelNode* node = GetNode())
        node->SetDefaultT(pPosition);
}

KQelVector4 KQelCamera::GetPosition() const
{
    KQelVector4 position;
    if (KQelNode* node = GetNode())
        node->GetDefaultT(position);
    return position;
}

void KQelCamera::SetBackgroundTexture(KQelTexture* pTexture)
{
    KPlug* texture = pTexture ? pTexture->GetPropertyHandler() : nullptr;
    KQelNode* node = GetNode();
    KPlug* carrier = node ? node->GetPropertyHandler() : nullptr;
    if (texture && carrier && !carrier->IsConnectedSrc(texture))
        carrier->ConnectSrc(texture, kConnectionDefault);
}

}  // namespace qelsdk_600
