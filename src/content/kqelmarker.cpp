#include "content/kqelmarker.h"

#include "content/kqelattribute_impl.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

// The curves of the roles that have any: curve-node name, data type (by the
// address of its constant) and layer type.
struct MarkerChannel {
    KQelMarker::EType mRole;
    const char* mName;
    KDataType* const* mDataType;
    int mLayerType;
};

enum { kOcclusion, kReachTranslation, kReachRotation, kMarkerChannelCount };

const MarkerChannel kMarkerChannels[kMarkerChannelCount] = {
    {KQelMarker::eOptical, "Occlusion", &KDataTypeOcclusion::DataType, 0},
    {KQelMarker::eIKEffector, "IK Reach Translation", &KDataTypeIKReachTranslation::DataType, 1},
    {KQelMarker::eIKEffector, "IK Reach Rotation", &KDataTypeIKReachRotation::DataType, 1},
};

const float kMarkerCurveColor[3] = {0.75f, 0.0f, 0.0f};

const char* const kMarkerTypeNames[] = {"Marker", "OpticalMarker", "IKEffector", "FKEffector"};

}  // namespace

// ---- KQelMarkerProperties ----

QEL_CLASS_IDENTITY_DEFINE(KQelMarkerProperties, KObject)

KQelMarkerProperties::KQelMarkerProperties()
{
    QEL_PROPERTY_SET_REGISTER(QEL_MARKER_PROPERTIES);
}

KQelMarkerProperties::~KQelMarkerProperties() {}

const char* KQelMarkerProperties::LookAsString(KQelMarker::ELook pLook)
{
    static const char* const kTexts[] = {"Cube", "Hard Cross", "Light Cross", "Sphere"};
    return KQelEnumText(kTexts, pLook);
}

// ---- KQelMarker ----

KQelMarker::KQelMarker(KQelSdkManager& pManager)
    : KQelNodeAttribute(pManager), mType(eStandard), mProperties(new KQelMarkerProperties)
{
    Reset();
}

KQelMarker::~KQelMarker()
{
    mProperties->Destroy(0);
}

void KQelMarker::Reset()
{
    mType = eStandard;
    mProperties->Look.SetValue(eCube);
    mProperties->Size.SetValue(100.0);
    mProperties->Color.SetValue(KgeRGBVector(1.0, 0.0, 0.0));
    mProperties->ShowLabel.SetValue(false);
    mProperties->IKPivot.SetValue(KgeTVector(0.0, 0.0, 0.0, 1.0));
}

void KQelMarker::FillPropertyList(void* pList)
{
    KQelAppendAttributeProperties(mProperties, pList);
}

KString KQelMarker::GetTypeName()
{
    const char* name = KQelEnumText(kMarkerTypeNames, mType);
    return KString(name ? name : "Marker");
}

KStringList KQelMarker::GetTypeFlags()
{
    KStringList flags;
    flags.Add("Marker", 0);
    return flags;
}

// ---- Channels ----

void KQelMarker::AddChannels(KQelTakeNode* pTakeNode)
{
    KQelNodeAttribute::AddChannels(pTakeNode);
    if (!pTakeNode)
        return;
    KFCurveNode* root = pTakeNode->GetKFCurveNode();
    for (const MarkerChannel& channel : kMarkerChannels) {
        if (channel.mRole != mType)
            continue;
        // A curve node left by an earlier binding is reused, so a take never
        // holds the same channel twice.
        KFCurveNode* node = root->Find(*channel.mDataType);
        if (!node) {
            node = KFCurveNodeCreate(channel.mName, *channel.mDataType, channel.mLayerType, 0);
            root->Add(node);
        }
        if (!node->FCurveGet())
            node->FCurveSet(KFCurveCreate(), false);
        KFCurve* curve = node->FCurveGet();
        curve->SetValue(0.0f);
        curve->SetColor(kMarkerCurveColor);
    }
}

void KQelMarker::RemoveChannels(KQelTakeNode* pTakeNode)
{
    if (pTakeNode) {
        KFCurveNode* root = pTakeNode->GetKFCurveNode();
        for (const MarkerChannel& channel : kMarkerChannels) {
            if (channel.mRole != mType)
                continue;
            if (KFCurveNode* node = root->Find(*channel.mDataType))
                root->Delete(node);
        }
    }
    KQelNodeAttribute::RemoveChannels(pTakeNode);
}

void KQelMarker::SetType(EType pType)
{
    if (pType == mType)
        return;
    // The old role's curves leave while the old type still says which they
    // are; the new role's are then built.
    KQelNode* node = GetNode();
    if (node)
        UnsetNode();
    mType = pType;
    if (node)
        SetNode(*node);
}

KFCurve* KQelMarker::DefaultCurve(int pChannel) const
{
    const MarkerChannel& channel = kMarkerChannels[pChannel];
    if (mType != channel.mRole)
        return nullptr;
    KQelTakeNode* take = KQelBoundDefaultTake(*this);
    return take ? take->GetKFCurve(nullptr, nullptr, *channel.mDataType) : nullptr;
}

double KQelMarker::GetDefaultValue(int pChannel) const
{
    KFCurve* curve = DefaultCurve(pChannel);
    return curve ? curve->GetValue() : 0.0;
}

void KQelMarker::SetDefaultValue(int pChannel, double pValue)
{
    if (KFCurve* curve = DefaultCurve(pChannel))
        curve->SetValue(detail::SaturateToFloat(pValue));
}

double KQelMarker::GetDefaultOcclusion() const
{
    return GetDefaultValue(kOcclusion);
}

void KQelMarker::SetDefaultOcclusion(double pValue)
{
    SetDefaultValue(kOcclusion, pValue);
}

double KQelMarker::GetDefaultIKReachTranslation() const
{
    return GetDefaultValue(kReachTranslation);
}

void KQelMarker::SetDefaultIKReachTranslation(double pValue)
{
    SetDefaultValue(kReachTranslation, pValue);
}

double KQelMarker::GetDefaultIKReachRotation() const
{
    return GetDefaultValue(kReachRotation);
}

void KQelMarker::SetDefaultIKReachRotation(double pValue)
{
    SetDefaultValue(kReachRotation, pValue);
}

// ---- Display settings ----

void KQelMarker::SetLook(ELook pLook)
{
    mProperties->Look.SetValue(pLook);
}

KQelMarker::ELook KQelMarker::GetLook() const
{
    return mProperties->Look.GetValue();
}

void KQelMarker::SetSize(double pSize)
{
    mProperties->Size.SetValue(pSize);
}

double KQelMarker::GetSize() const
{
    return mProperties->Size.GetValue();
}

void KQelMarker::SetShowLabel(bool pShowLabel)
{
    mProperties->ShowLabel.SetValue(pShowLabel);
}

bool KQelMarker::GetShowLabel() const
{
    return mProperties->ShowLabel.GetValue();
}

void KQelMarker::SetColor(const KQelColor& pColor)
{
    mProperties->Color.SetValue(KgeRGBVector(pColor.mRed, pColor.mGreen, pColor.mBlue));
}

KQelColor KQelMarker::GetColor() const
{
    const KgeRGBVector& color = mProperties->Color.GetValue();
    return KQelColor(color.mData[0], color.mData[1], color.mData[2], 1.0);
}

void KQelMarker::SetDefaultColor(const KQelColor& pColor)
{
    SetColor(pColor);
}

KQelColor& KQelMarker::GetDefaultColor(KQelColor& pColor) const
{
    pColor = GetColor();
    return pColor;
}

void KQelMarker::SetIKPivot(const KQelVector4& pPivot)
{
    mProperties->IKPivot.SetValue(KgeTVector(pPivot[0], pPivot[1], pPivot[2], 1.0));
}

KQelVector4 KQelMarker::GetIKPivot() const
{
    const KgeTVector& pivot = mProperties->IKPivot.GetValue();
    return KQelVector4(pivot.mData[0], pivot.mData[1], pivot.mData[2], 1.0);
}

KQelMarker& KQelMarker::operator=(const KQelMarker& pOther)
{
    if (this == &pOther)
        return *this;
    mType = pOther.mType;
    SetLook(pOther.GetLook());
    SetSize(pOther.GetSize());
    SetColor(pOther.GetColor());
    SetShowLabel(pOther.GetShowLabel());
    return *this;
}

}  // namespace qelsdk_600
