#include "content/kqeltexture.h"

#include <cctype>
#include <cstring>

#include "content/kqelconnection_impl.h"
#include "content/kqelvideo.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelentity.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

const char* const kTextureErrors[] = {"Take node error"};

// The vector values: property, curve node with its data type and layer
// type, the default-take channel of X, and the curves' starting value.
struct TextureVector {
    const char* mProperty;
    KDataType* mDataType;
    int mLayerType;
    KQelTakeNode::EChannel mChannel;
    float mStart;
};

const TextureVector kVectors[3] = {
    {"Translation", KDataTypeTranslation::DataType, 1, KQelTakeNode::eTextureTranslationX, 0.0f},
    {"Rotation", KDataTypeRotation::DataType, 2, KQelTakeNode::eTextureEulerRotationX, 0.0f},
    {"Scaling", KDataTypeScaling::DataType, 3, KQelTakeNode::eTextureScaleX, 1.0f},
};
enum { kTranslation, kRotation, kScaling };

const char* const kComponentNames[3] = {"X", "Y", "Z"};
const float kComponentColors[3][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
const float kAlphaColor[3] = {0.75f, 0.0f, 0.0f};
const char* const kAlphaProperty = "Texture alpha";

// "CurrentMappingType" of each mapping type; planar (-1) goes by the normal.
const int kUnifiedOfMapping[] = {KQelTextureTypes::eUMT_NO_MAPPING, -1,
                                 KQelTextureTypes::eUMT_SPHERICAL,  KQelTextureTypes::eUMT_CYLINDRICAL,
                                 KQelTextureTypes::eUMT_BOX,        KQelTextureTypes::eUMT_FACE,
                                 KQelTextureTypes::eUMT_UV,         KQelTextureTypes::eUMT_ENVIRONMENT};
// "CurrentMappingType" of a planar mapping, by normal X, Y, Z.
const int kUnifiedOfPlanarNormal[] = {KQelTextureTypes::eUMT_X, KQelTextureTypes::eUMT_Y,
                                      KQelTextureTypes::eUMT_Z};

// A texture use and its "TextureTypeUse" value map to each other the same
// way in both directions; anything else maps to 0.
int SwapTextureUse(int pValue)
{
    static const int kSwap[] = {0, 3, 4, 1, 2, 5};
    return pValue >= 0 && pValue < 6 ? kSwap[pValue] : 0;
}

// A name without its trailing run of digits and white space.
KString WithoutTrailingNumber(const char* pName)
{
    KString name(pName);
    int length = static_cast<int>(name.GetLen());
    const char* text = name.Buffer();
    while (length > 0 && (std::isdigit(static_cast<unsigned char>(text[length - 1])) ||
                          std::isspace(static_cast<unsigned char>(text[length - 1]))))
        --length;
    return name.Left(static_cast<unsigned int>(length));
}

}  // namespace

KError KQelTexture::smError(kTextureErrors, 1);

// ---- KQelTextureProperties ----

QEL_CLASS_IDENTITY_DEFINE(KQelTextureProperties, KQelPropertyHandler)

KQelTextureProperties::KQelTextureProperties(KQelTexture* pOwner) : KQelOwnedPropertyHandler(pOwner)
{
    QEL_PROPERTY_SET_REGISTER_IN_PLACE(QEL_TEXTURE_PROPERTIES);
}

KQelTextureProperties::~KQelTextureProperties() {}

const char* KQelTextureProperties::TextureTypeUseAsString(KQelTextureTypes::ETextureUse6 pValue)
{
    static const char* const kTexts[] = {"Color",     "Spherical Reflection Map", "Sphere Map",
                                         "Shadow Map", "Light Map",               "Bump Map (NormalMap)"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelTextureProperties::CurrentTextureBlendModeAsString(KQelTextureTypes::EBlendMode pValue)
{
    static const char* const kTexts[] = {"Translucent", "Additive", "Modulate", "Modulate2"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelTextureProperties::CurrentMappingTypeAsString(KQelTextureTypes::EUnifiedMappingType pValue)
{
    static const char* const kTexts[] = {"UV",          "Z",          "X",   "Y",    "Spherical", "Cylindrical",
                                         "Environment", "Projection", "Box", "Face", "None"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelTextureProperties::WrapModeUAsString(KQelTextureTypes::EWrapMode pValue)
{
    static const char* const kTexts[] = {"Repeat", "Clamp"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelTextureProperties::WrapModeVAsString(KQelTextureTypes::EWrapMode pValue)
{
    return WrapModeUAsString(pValue);
}

bool KQelTextureProperties::PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                                       KPlug* pOther, kConnectionType pType, KPlug* pNewPlug)
{
    KQelTexture* texture = static_cast<KQelTexture*>(GetKQelTexture());
    if (pPlug == this && pAction == kPlugConnectedDst && texture) {
        KQelEntity* store = KQelStoreOfNodePlug(pOther);
        if (store && !store->GetTexture(KString(texture->GetName())))
            store->AddTexture(texture);
    }
    return KObject::PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
}

// ---- KQelTexture ----

KQelTexture::KQelTexture(KQelSdkManager& pManager, const char* pName)
    : KQelTakeNodeContainer(pManager, pName, &smError),
      mCroppingLeft(0),
      mCroppingRight(0),
      mCroppingTop(0),
      mCroppingBottom(0),
      mAlphaSource(eNone),
      mMappingType(eUV),
      mPlanarMappingNormal(ePlanarNormalX),
      mTextureType("TextureVideoClip"),
      mUVScaling(1.0, 1.0),
      mProperties(new KQelTextureProperties(this))
{
    KQelTakeNodeContainer::Init();
    Init();
}

KQelTexture::~KQelTexture()
{
    mProperties->Destroy(0);
    mProperties = nullptr;
}

void KQelTexture::Destruct()
{
    mProperties->Destruct();
}

KString KQelTexture::GetTypeName()
{
    return mTextureType;
}

KStringList KQelTexture::GetTypeFlags()
{
    return KStringList();
}

KQelUserProperty* KQelTexture::CreateKQelUserProperty(KProperty* pProperty)
{
    return GetKQelSdkManager().CreateKQelUserProperty(pProperty);
}

int KQelTexture::GetClassID() const
{
    return KQelTextureProperties::ClassId;
}

void KQelTexture::AddChannels(KQelTakeNode* pTakeNode)
{
    if (!pTakeNode)
        return;
    KFCurveNode* root = pTakeNode->GetKFCurveNode();
    for (const TextureVector& vector : kVectors) {
        KFCurveNode* node = KFCurveNodeCreate(vector.mProperty, vector.mDataType, vector.mLayerType, 0);
        for (int i = 0; i < 3; ++i) {
            KFCurveNode* child = KFCurveNodeCreate(kComponentNames[i]);
            KFCurve* curve = KFCurveCreate();
            if (vector.mStart != 0.0f)
                curve->SetValue(vector.mStart);
            curve->SetColor(kComponentColors[i]);
            child->FCurveSet(curve);
            node->Add(child);
        }
        root->Add(node);
    }
    KFCurveNode* alpha = KFCurveNodeCreate("Alpha", KDataTypeNumber::DataType, 1, 0);
    KFCurve* curve = KFCurveCreate();
    curve->SetValue(1.0f);
    curve->SetColor(kAlphaColor);
    alpha->FCurveSet(curve);
    root->Add(alpha);
}

void KQelTexture::Init()
{
    mCroppingLeft = mCroppingRight = mCroppingTop = mCroppingBottom = 0;
    mAlphaSource = eNone;
    mPlanarMappingNormal = ePlanarNormalX;
    SetDefaultT(KQelVector4(0.0, 0.0, 0.0, 1.0));
    SetDefaultR(KQelVector4(0.0, 0.0, 0.0, 1.0));
    SetDefaultS(KQelVector4(1.0, 1.0, 1.0, 1.0));
    SetDefaultAlpha(1.0);
    mMappingType = eUV;
    mProperties->UseMaterial.SetValue(false);
    mProperties->UVSwap.SetValue(false);
    mTextureType = "TextureVideoClip";
    mUVScaling.Set(1.0, 1.0);
    mUVTranslation.Set(0.0, 0.0);
    mProperties->TextureTypeUse.SetValue(eColor6);
    mProperties->CurrentTextureBlendMode.SetValue(eAdditive);
    mProperties->WrapModeU.SetValue(eRepeat);
    mProperties->WrapModeV.SetValue(eRepeat);
}

void KQelTexture::Reset()
{
    KQelTakeNodeContainer::Reset();
    Init();
}

KQelTexture& KQelTexture::operator=(KQelTexture& pOther)
{
    if (&pOther == this)
        return *this;
    KQelTakeNodeContainer::operator=(pOther);
    SetFileName(pOther.GetFileName());
    mMediaName = pOther.mMediaName;
    SetSwapUV(pOther.GetSwapUV());
    mAlphaSource = pOther.mAlphaSource;
    SetCropping(pOther.mCroppingLeft, pOther.mCroppingTop, pOther.mCroppingRight, pOther.mCroppingBottom);
    SetMappingType(pOther.mMappingType);
    SetPlanarMappingNormal(pOther.mPlanarMappingNormal);
    SetMaterialUse(pOther.GetMaterialUse());
    SetTextureUse(pOther.GetTextureUse());
    SetBlendMode(pOther.GetBlendMode());
    SetWrapMode(pOther.GetWrapModeU(), pOther.GetWrapModeV());
    mTextureType = pOther.mTextureType;
    mUVScaling = pOther.mUVScaling;
    mUVTranslation = pOther.mUVTranslation;
    return *this;
}

bool KQelTexture::operator==(KQelTexture& pOther)
{
    if (WithoutTrailingNumber(GetName()).Compare(WithoutTrailingNumber(pOther.GetName()).Buffer()) != 0)
        return false;
    // Translation and scaling X and Y, the whole rotation.
    static const int kCompared[][2] = {{kTranslation, 0}, {kTranslation, 1}, {kRotation, 0}, {kRotation, 1},
                                       {kRotation, 2},    {kScaling, 0},     {kScaling, 1}};
    for (const auto& component : kCompared) {
        if (!(GetDefaultComponent(component[0], component[1]) ==
              pOther.GetDefaultComponent(component[0], component[1])))
            return false;
    }
    if (!(GetDefaultAlpha() == pOther.GetDefaultAlpha()))
        return false;
    return mCroppingLeft == pOther.mCroppingLeft && mCroppingRight == pOther.mCroppingRight &&
           mCroppingTop == pOther.mCroppingTop && mCroppingBottom == pOther.mCroppingBottom &&
           mAlphaSource == pOther.mAlphaSource && mMappingType == pOther.mMappingType &&
           mPlanarMappingNormal == pOther.mPlanarMappingNormal &&
           GetMaterialUse() == pOther.GetMaterialUse() &&
           mProperties->TextureTypeUse.GetValue() == pOther.mProperties->TextureTypeUse.GetValue() &&
           GetSwapUV() == pOther.GetSwapUV() && mFileName == pOther.mFileName &&
           mMediaName == pOther.mMediaName && mTextureType == pOther.mTextureType &&
           mUVScaling == pOther.mUVScaling && mUVTranslation == pOther.mUVTranslation;
}

// ---- Files ----

KQelVideo* KQelTexture::GetVideo() const
{
    return mProperties->GetSrcCount() > 0 ? KQelVideoOfPlug(mProperties->GetSrc(0)) : nullptr;
}

bool KQelTexture::SetFileName(const char* pName)
{
    if (!pName || !*pName)
        return false;
    mFileName = pName;
    KQelVideo* video = GetVideo();
    const char* current = video ? video->GetFileName() : nullptr;
    if (video && (!current || std::strcmp(current, pName) != 0))
        video->SetFileName(pName);
    return true;
}

bool KQelTexture::SetRelativeFileName(const char* pName)
{
    if (!pName || !*pName)
        return false;
    mRelativeFileName = pName;
    KQelVideo* video = GetVideo();
    if (video && std::strcmp(video->GetRelativeFileName(), pName) != 0)
        video->SetRelativeFileName(pName);
    return true;
}

void KQelTexture::SetMediaName(const char* pName)
{
    mMediaName = pName ? pName : "";
}

// ---- Settings ----

void KQelTexture::SetSwapUV(bool pSwapUV)
{
    mProperties->UVSwap.SetValue(pSwapUV);
}

bool KQelTexture::GetSwapUV() const
{
    return mProperties->UVSwap.GetValue();
}

void KQelTexture::SetCropping(int pLeft, int pTop, int pRight, int pBottom)
{
    mCroppingLeft = pLeft;
    mCroppingTop = pTop;
    mCroppingRight = pRight;
    mCroppingBottom = pBottom;
}

void KQelTexture::SetMappingType(EMappingType pType)
{
    mMappingType = pType;
    const int count = static_cast<int>(sizeof(kUnifiedOfMapping) / sizeof(kUnifiedOfMapping[0]));
    const int unified = pType >= 0 && pType < count ? kUnifiedOfMapping[pType] : eUMT_NO_MAPPING;
    if (unified >= 0)
        mProperties->CurrentMappingType.SetValue(static_cast<EUnifiedMappingType>(unified));
    else
        SetPlanarMappingNormal(mPlanarMappingNormal);
}

void KQelTexture::SetPlanarMappingNormal(EPlanarMappingNormal pNormal)
{
    mPlanarMappingNormal = pNormal;
    if (mMappingType == ePlanar && pNormal >= 0 && pNormal < 3)
        mProperties->CurrentMappingType.SetValue(static_cast<EUnifiedMappingType>(kUnifiedOfPlanarNormal[pNormal]));
}

void KQelTexture::SetMaterialUse(EMaterialUse pUse)
{
    mProperties->UseMaterial.SetValue(pUse == eModelMaterial);
}

KQelTexture::EMaterialUse KQelTexture::GetMaterialUse() const
{
    return mProperties->UseMaterial.GetValue() ? eModelMaterial : eDefaultMaterial;
}

void KQelTexture::SetTextureUse(ETextureUse pUse)
{
    mProperties->TextureTypeUse.SetValue(static_cast<ETextureUse6>(SwapTextureUse(pUse)));
}

KQelTexture::ETextureUse KQelTexture::GetTextureUse() const
{
    return static_cast<ETextureUse>(SwapTextureUse(mProperties->TextureTypeUse.GetValue()));
}

void KQelTexture::SetWrapMode(EWrapMode pModeU, EWrapMode pModeV)
{
    mProperties->WrapModeU.SetValue(pModeU);
    mProperties->WrapModeV.SetValue(pModeV);
}

KQelTexture::EWrapMode KQelTexture::GetWrapModeU() const
{
    return mProperties->WrapModeU.GetValue();
}

KQelTexture::EWrapMode KQelTexture::GetWrapModeV() const
{
    return mProperties->WrapModeV.GetValue();
}

void KQelTexture::SetBlendMode(EBlendMode pMode)
{
    mProperties->CurrentTextureBlendMode.SetValue(pMode);
}

KQelTexture::EBlendMode KQelTexture::GetBlendMode()
{
    mProperties->CurrentTextureBlendMode.Get();
    return mProperties->CurrentTextureBlendMode.GetValue();
}

// ---- Animatable values ----

void KQelTexture::SetDefaultVector(int pVector, const KQelVector4& pValue)
{
    const TextureVector& vector = kVectors[pVector];
    if (KQelTakeNode* take = GetDefaultTakeNode()) {
        for (int i = 0; i < 3; ++i) {
            if (KFCurve* curve = take->GetChannel(static_cast<KQelTakeNode::EChannel>(vector.mChannel + i)))
                curve->SetValue(detail::SaturateToFloat(pValue[i]));
        }
    }
    if (KProperty* property = mProperties->FindPropertyByName(vector.mProperty)) {
        const KgeTVector value(pValue[0], pValue[1], pValue[2], 1.0);
        property->SetData(&value);
    }
}

double KQelTexture::GetDefaultComponent(int pVector, int pComponent)
{
    KQelTakeNode* take = GetDefaultTakeNode();
    KFCurve* curve =
        take ? take->GetChannel(static_cast<KQelTakeNode::EChannel>(kVectors[pVector].mChannel + pComponent))
             : nullptr;
    return curve ? curve->GetValue() : 0.0;
}

KQelVector4& KQelTexture::GetDefaultVector(int pVector, KQelVector4& pValue)
{
    for (int i = 0; i < 3; ++i)
        pValue[i] = GetDefaultComponent(pVector, i);
    return pValue;
}

void KQelTexture::SetDefaultT(const KQelVector4& pT)
{
    SetDefaultVector(kTranslation, pT);
}

void KQelTexture::SetDefaultR(const KQelVector4& pR)
{
    SetDefaultVector(kRotation, pR);
}

void KQelTexture::SetDefaultS(const KQelVector4& pS)
{
    SetDefaultVector(kScaling, pS);
}

KQelVector4& KQelTexture::GetDefaultT(KQelVector4& pT)
{
    return GetDefaultVector(kTranslation, pT);
}

KQelVector4& KQelTexture::GetDefaultR(KQelVector4& pR)
{
    return GetDefaultVector(kRotation, pR);
}

KQelVector4& KQelTexture::GetDefaultS(KQelVector4& pS)
{
    return GetDefaultVector(kScaling, pS);
}

void KQelTexture::SetDefaultAlpha(double pAlpha)
{
    if (KQelTakeNode* take = GetDefaultTakeNode()) {
        if (KFCurve* curve = take->GetChannel(KQelTakeNode::eTextureAlpha))
            curve->SetValue(detail::SaturateToFloat(pAlpha));
    }
    if (KProperty* property = mProperties->FindPropertyByName(kAlphaProperty))
        property->SetDouble(pAlpha);
}

double KQelTexture::GetDefaultAlpha()
{
    KProperty* property = mProperties->FindPropertyByName(kAlphaProperty);
    return property ? property->AsDouble() : 0.0;
}

void KQelTexture::SetTranslation(double pU, double pV)
{
    SetDefaultT(KQelVector4(pU, pV, 0.0, 1.0));
}

double KQelTexture::GetTranslationU()
{
    return GetDefaultComponent(kTranslation, 0);
}

double KQelTexture::GetTranslationV()
{
    return GetDefaultComponent(kTranslation, 1);
}

void KQelTexture::SetRotation(double pU, double pV, double pW)
{
    SetDefaultR(KQelVector4(pU, pV, pW, 1.0));
}

double KQelTexture::GetRotationU()
{
    return GetDefaultComponent(kRotation, 0);
}

double KQelTexture::GetRotationV()
{
    return GetDefaultComponent(kRotation, 1);
}

double KQelTexture::GetRotationW()
{
    return GetDefaultComponent(kRotation, 2);
}

void KQelTexture::SetScale(double pU, double pV)
{
    SetDefaultS(KQelVector4(pU, pV, 1.0, 1.0));
}

double KQelTexture::GetScaleU()
{
    return GetDefaultComponent(kScaling, 0);
}

double KQelTexture::GetScaleV()
{
    return GetDefaultComponent(kScaling, 1);
}

}  // namespace qelsdk_600
