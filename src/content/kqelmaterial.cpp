#include "content/kqelmaterial.h"

#include "content/kqelconnection_impl.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelentity.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

const char* const kMaterialErrors[] = {"Take node error"};

// The seven values in channel order: property and curve-node name, number
// of components (3: a colour with curves "X", "Y", "Z"), starting values and
// the take-node channel of the first component.
struct MaterialValue {
    const char* mName;
    int mComponents;
    double mStart[3];
    KQelTakeNode::EChannel mChannel;
};

enum { kEmissive, kAmbient, kDiffuse, kSpecular, kOpacity, kReflectivity, kShininess, kValueCount };

const MaterialValue kValues[kValueCount] = {
    {"Emissive", 3, {0.0, 0.0, 0.0}, KQelTakeNode::eMaterialEmissiveColorR},
    {"Ambient", 3, {0.2, 0.2, 0.2}, KQelTakeNode::eMaterialAmbientColorR},
    {"Diffuse", 3, {0.8, 0.8, 0.8}, KQelTakeNode::eMaterialDiffuseColorR},
    {"Specular", 3, {0.2, 0.2, 0.2}, KQelTakeNode::eMaterialSpecularColorR},
    {"Opacity", 1, {1.0}, KQelTakeNode::eMaterialOpacity},
    {"Reflectivity", 1, {0.3}, KQelTakeNode::eMaterialReflectivity},
    {"Shininess", 1, {6.4}, KQelTakeNode::eMaterialShininess},
};

const char* const kComponentNames[3] = {"X", "Y", "Z"};
const float kComponentColors[3][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
const float kFactorColor[3] = {0.75f, 0.0f, 0.0f};

// The shininess curve holds the [0, 1] scale times 128.
const double kShininessScale = 128.0;

// Into [0, 1]; a NaN passes unchanged.
double Clamp01(double pValue)
{
    return pValue < 0.0 ? 0.0 : pValue > 1.0 ? 1.0 : pValue;
}

bool IsDefaultTake(KQelTakeNode* pTakeNode)
{
    return KString(pTakeNode->GetName()).CompareNoCase("Default") == 0;
}

KFCurve* NewCurve(double pValue, const float* pColor)
{
    KFCurve* curve = KFCurveCreate();
    curve->SetValue(detail::SaturateToFloat(pValue));
    curve->SetColor(pColor);
    return curve;
}

}  // namespace

// ---- KQelMaterialProperties ----

QEL_CLASS_IDENTITY_DEFINE(KQelMaterialProperties, KQelPropertyHandler)

KQelMaterialProperties::KQelMaterialProperties(KQelMaterial* pOwner) : KQelOwnedPropertyHandler(pOwner)
{
    QEL_PROPERTY_SET_REGISTER(QEL_MATERIAL_PROPERTIES);
}

KQelMaterialProperties::~KQelMaterialProperties() {}

bool KQelMaterialProperties::PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                                        KPlug* pOther, kConnectionType pType, KPlug* pNewPlug)
{
    KQelMaterial* material = static_cast<KQelMaterial*>(GetKQelMaterial());
    if (pPlug == this && pAction == kPlugConnectedDst && material) {
        KQelEntity* store = KQelStoreOfNodePlug(pOther);
        if (store && !store->GetMaterial(KString(material->GetName())))
            store->AddMaterial(material);
    }
    return KObject::PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
}

// ---- KQelMaterial ----

KQelMaterial::KQelMaterial(KQelSdkManager& pManager, const char* pName)
    : KQelTakeNodeContainer(pManager, pName, &mError),
      mShadingModel(""),
      mProperties(new KQelMaterialProperties(this)),
      mError(kMaterialErrors, 1),
      mMultiLayer(false)
{
    // The Default take's tree is made on first use; what making it does to
    // the properties is done now.
    MarkChannelProperties();
    DeferDefaultTake(true);
    KQelTakeNodeContainer::Init();
    DeferDefaultTake(false);
    Init();
}

void KQelMaterial::MarkChannelProperties()
{
    for (const MaterialValue& value : kValues) {
        if (KProperty* property = mProperties->FindPropertyByName(value.mName)) {
            property->GetPropertyInfo().ModifyFlag(KPropertyInfo::kAnimatable, true);
            property->ModifyPropertyFlag(kPropertyFlagAnimated, true);
        }
    }
}

KQelMaterial::~KQelMaterial()
{
    // The set goes before the takes: their curves then die with callback
    // records whose properties are already gone, which only unregister.
    mProperties->Destroy(0);
    mProperties = nullptr;
}

void KQelMaterial::Destruct()
{
    mProperties->Destruct();
}

KString KQelMaterial::GetTypeName()
{
    return KString("");
}

KStringList KQelMaterial::GetTypeFlags()
{
    return KStringList();
}

KQelUserProperty* KQelMaterial::CreateKQelUserProperty(KProperty* pProperty)
{
    return GetKQelSdkManager().CreateKQelUserProperty(pProperty);
}

int KQelMaterial::GetClassID() const
{
    return KQelMaterialProperties::ClassId;
}

void KQelMaterial::AddChannels(KQelTakeNode* pTakeNode)
{
    if (!pTakeNode)
        return;
    MarkChannelProperties();
    const bool linked = IsDefaultTake(pTakeNode);
    for (const MaterialValue& value : kValues) {
        double components[3] = {value.mStart[0], value.mStart[1], value.mStart[2]};
        KProperty* property = mProperties->FindPropertyByName(value.mName);
        if (property)
            property->GetData(components);
        const bool color = value.mComponents == 3;
        KFCurveNode* node =
            KFCurveNodeCreate(value.mName, color ? KDataTypeColor::DataType : KDataTypeNumber::DataType);
        if (color) {
            for (int i = 0; i < 3; ++i) {
                KFCurveNode* child = KFCurveNodeCreate(kComponentNames[i]);
                KFCurve* curve = NewCurve(components[i], kComponentColors[i]);
                child->FCurveSet(curve);
                node->Add(child);
                if (linked)
                    RegisterDefaultTakeCallback(property, i, curve);
            }
        } else {
            KFCurve* curve = NewCurve(components[0], kFactorColor);
            node->FCurveSet(curve);
            if (linked)
                RegisterDefaultTakeCallback(property, 0, curve);
        }
        pTakeNode->GetKFCurveNode()->Add(node);
    }
}

void KQelMaterial::Init()
{
    mShadingModel = "phong";
    mMultiLayer = false;
}

void KQelMaterial::Reset()
{
    KQelTakeNodeContainer::Reset();
    Init();
}

KQelMaterial& KQelMaterial::operator=(KQelMaterial& pOther)
{
    if (&pOther == this)
        return *this;
    KQelTakeNodeContainer::operator=(pOther);
    mShadingModel = pOther.mShadingModel;
    return *this;
}

bool KQelMaterial::operator==(KQelMaterial& pOther)
{
    if (KString(GetName()).Compare(pOther.GetName()) != 0)
        return false;
    for (int value = kEmissive; value < kValueCount; ++value) {
        double mine[3] = {0.0, 0.0, 0.0};
        double theirs[3] = {0.0, 0.0, 0.0};
        GetDefaultValue(value, mine);
        pOther.GetDefaultValue(value, theirs);
        for (int i = 0; i < kValues[value].mComponents; ++i) {
            if (!(mine[i] == theirs[i]))
                return false;
        }
    }
    return mShadingModel.CompareNoCase(pOther.mShadingModel.Buffer()) == 0;
}

void KQelMaterial::SetShadingModel(const char* pShadingModel)
{
    mShadingModel = pShadingModel ? pShadingModel : "";
}

// ---- Default values ----

void KQelMaterial::SetDefaultValue(int pValue, const double* pComponents)
{
    KQelTakeNode* take = GetDefaultTakeNode();
    if (!take)
        return;
    const MaterialValue& value = kValues[pValue];
    for (int i = 0; i < value.mComponents; ++i) {
        if (KFCurve* curve = take->GetChannel(static_cast<KQelTakeNode::EChannel>(value.mChannel + i)))
            curve->SetValue(detail::SaturateToFloat(pComponents[i]));
    }
}

void KQelMaterial::GetDefaultValue(int pValue, double* pComponents)
{
    KQelTakeNode* take = GetDefaultTakeNode();
    const MaterialValue& value = kValues[pValue];
    for (int i = 0; i < value.mComponents; ++i) {
        KFCurve* curve = take ? take->GetChannel(static_cast<KQelTakeNode::EChannel>(value.mChannel + i)) : nullptr;
        pComponents[i] = curve ? curve->GetValue() : 0.0;
    }
}

void KQelMaterial::SetColorValue(int pValue, const KQelColor& pColor)
{
    const double components[3] = {pColor.mRed, pColor.mGreen, pColor.mBlue};
    SetDefaultValue(pValue, components);
}

KQelColor& KQelMaterial::GetColorValue(int pValue, KQelColor& pColor)
{
    double components[3];
    GetDefaultValue(pValue, components);
    pColor.mRed = components[0];
    pColor.mGreen = components[1];
    pColor.mBlue = components[2];
    return pColor;
}

// The four colours' default operations and short getters.
#define QEL_MATERIAL_COLOR(Name, Value)                                    \
    void KQelMaterial::SetDefault##Name##Color(const KQelColor& pColor)    \
    {                                                                      \
        SetColorValue(Value, pColor);                                      \
    }                                                                      \
    KQelColor& KQelMaterial::GetDefault##Name##Color(KQelColor& pColor)    \
    {                                                                      \
        return GetColorValue(Value, pColor);                               \
    }                                                                      \
    KQelColor KQelMaterial::Get##Name()                                    \
    {                                                                      \
        KQelColor color;                                                   \
        return GetColorValue(Value, color);                                \
    }
QEL_MATERIAL_COLOR(Emissive, kEmissive)
QEL_MATERIAL_COLOR(Ambient, kAmbient)
QEL_MATERIAL_COLOR(Diffuse, kDiffuse)
QEL_MATERIAL_COLOR(Specular, kSpecular)
#undef QEL_MATERIAL_COLOR

// Opacity and reflectivity: clamped into the curve, read back as held.
#define QEL_MATERIAL_FACTOR(Name, Value)                  \
    void KQelMaterial::SetDefault##Name(double pFactor)   \
    {                                                     \
        const double value = Clamp01(pFactor);            \
        SetDefaultValue(Value, &value);                   \
    }                                                     \
    double KQelMaterial::GetDefault##Name()               \
    {                                                     \
        double value;                                     \
        GetDefaultValue(Value, &value);                   \
        return value;                                     \
    }
QEL_MATERIAL_FACTOR(Opacity, kOpacity)
QEL_MATERIAL_FACTOR(Reflectivity, kReflectivity)
#undef QEL_MATERIAL_FACTOR

void KQelMaterial::SetDefaultShininess(double pShininess)
{
    const double value = Clamp01(pShininess) * kShininessScale;
    SetDefaultValue(kShininess, &value);
}

double KQelMaterial::GetDefaultShininess()
{
    double value;
    GetDefaultValue(kShininess, &value);
    return Clamp01(value * (1.0 / kShininessScale));
}

}  // namespace qelsdk_600
