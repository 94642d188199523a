// Texture and material blocks of both layouts, and the merging of equal
// textures and materials after a read (the older layout writes one copy per
// geometry that uses them).
#include <cctype>
#include <cstring>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "content/kqelcamera.h"
#include "content/kqelcolor.h"
#include "content/kqelgeometry.h"
#include "content/kqellayer.h"
#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "file/iqelobject.h"
#include "file/kqel.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// Token tables of the texture block, indexed by value.
const char* const kAlphaSourceTokens[] = {"None", "RGB_Intensity", "Alpha_Black"};
const char* const kPlanarNormalTokens[] = {"X", "Y", "Z"};
const char* const kMappingTokens[] = {"None", "Planar", "Spherical", "Cylindrical",
                                      "Box",  "Face",   "UV",        "Environment"};
const char* const kTextureUseTokens[] = {"Standard",           "ShadowMap",          "LightMap",
                                         "SphericalReflexionMap", "SphereReflexionMap", "BumpNormalMap"};

// The token of pValue; values outside the table write pFallback's token.
template <int N>
const char* TokenOf(const char* const (&pTokens)[N], int pValue, int pFallback)
{
    return pTokens[pValue >= 0 && pValue < N ? pValue : pFallback];
}

// The value of the token of field pField (exact case); 0 when the field is
// absent or its text is not in the table.
template <int N>
int ReadToken(KQel& pFile, const char* pField, const char* const (&pTokens)[N])
{
    const char* token = pFile.FieldReadC(pField, "");
    for (int i = 0; i < N; ++i) {
        if (std::strcmp(token, pTokens[i]) == 0)
            return i;
    }
    return 0;
}

// An enumeration stored as an integer: values outside [0, pCount) count as
// absent (0).
int ReadEnum(KQel& pFile, const char* pField, int pCount)
{
    const int value = pFile.FieldReadI(pField, 0);
    return value >= 0 && value < pCount ? value : 0;
}

// pCount doubles of field pField into pValues; false, pValues untouched, when
// the field is absent.
bool ReadDoubles(KQel& pFile, const char* pField, double* pValues, int pCount)
{
    if (!pFile.FieldReadBegin(pField))
        return false;
    for (int i = 0; i < pCount; ++i)
        pValues[i] = pFile.FieldReadD();
    pFile.FieldReadEnd();
    return true;
}

// "AnimatedProperty" and "Animated", both listing the names whose channel
// flag is set; nothing when no flag is.
struct AnimatedName {
    const char* mName;
    int mChannel;
};
template <int N>
void WriteAnimatedNames(KQel& pFile, const bool* pFlags, const AnimatedName (&pNames)[N])
{
    bool any = false;
    for (int i = 0; pFlags && i < N; ++i)
        any = any || pFlags[pNames[i].mChannel];
    if (!any)
        return;
    for (const char* field : {"AnimatedProperty", "Animated"}) {
        pFile.FieldWriteBegin(field);
        for (const AnimatedName& name : pNames) {
            if (pFlags[name.mChannel])
                pFile.FieldWriteC(name.mName);
        }
        pFile.FieldWriteEnd();
    }
}

const AnimatedName kTextureAnimated[] = {{"Translation", KQelWriterQel::eTextureTranslation},
                                         {"Rotation", KQelWriterQel::eTextureRotation},
                                         {"Scaling", KQelWriterQel::eTextureScaling},
                                         {"Alpha", KQelWriterQel::eTextureAlpha}};
const AnimatedName kMaterialAnimated[] = {
    {"Emissive", KQelWriterQel::eMaterialEmissive},   {"Ambient", KQelWriterQel::eMaterialAmbient},
    {"Diffuse", KQelWriterQel::eMaterialDiffuse},     {"Specular", KQelWriterQel::eMaterialSpecular},
    {"Opacity", KQelWriterQel::eMaterialOpacity},     {"Reflectivity", KQelWriterQel::eMaterialReflectivity},
    {"Shininess", KQelWriterQel::eMaterialShininess}};

// The four colours of a material block, in block order.
struct MaterialColor {
    const char* mField;
    KQelColor& (KQelMaterial::*mGet)(KQelColor&);
    void (KQelMaterial::*mSet)(const KQelColor&);
};
const MaterialColor kMaterialColors[] = {
    {"Ambient", &KQelMaterial::GetDefaultAmbientColor, &KQelMaterial::SetDefaultAmbientColor},
    {"Diffuse", &KQelMaterial::GetDefaultDiffuseColor, &KQelMaterial::SetDefaultDiffuseColor},
    {"Specular", &KQelMaterial::GetDefaultSpecularColor, &KQelMaterial::SetDefaultSpecularColor},
    {"Emissive", &KQelMaterial::GetDefaultEmissiveColor, &KQelMaterial::SetDefaultEmissiveColor}};

// Shininess is stored on 0 to 100 (older files: 0 to 128).
const double kShininessScale = 100.0;
const double kOldShininessScale = 128.0;
const int kOldShininessSectionVersion = 2999;

KString LowerCase(const char* pText)
{
    return KString(pText).Lower();
}

// The fields both layouts read after the texture's own: UV placement, alpha
// source and cropping.
void ReadTexturePlacement(KQel& pFile, KQelTexture& pTexture)
{
    double uv[2];
    if (ReadDoubles(pFile, "ModelUVTranslation", uv, 2))
        pTexture.SetUVTranslation(KQelVector2(uv[0], uv[1]));
    if (ReadDoubles(pFile, "ModelUVScaling", uv, 2))
        pTexture.SetUVScaling(KQelVector2(uv[0], uv[1]));
    pTexture.SetAlphaSource(
        static_cast<KQelTexture::EAlphaSource>(ReadToken(pFile, "Texture_Alpha_Source", kAlphaSourceTokens)));
    // Written left, right, top, bottom.
    if (pFile.FieldReadBegin("Cropping")) {
        int side[4];
        for (int& value : side)
            value = pFile.FieldReadI();
        pFile.FieldReadEnd();
        pTexture.SetCropping(side[0], side[2], side[1], side[3]);
    }
}

// The property block of a current-layout object (open) into its set.
template <class T>
void ReadObjectProperties(IQelObject& pFile, T& pObject)
{
    KArrayTemplate<KProperty*> properties;
    pObject.FillPropertyList(&properties);
    pFile.FieldReadPropertiesList(properties, pObject.GetPropertyHandler());
    pObject.UpdateDefaultTakeFromProperties();
}

// ---- Duplicate removal ----

// Appends a double's bytes with -0.0 as 0.0, so that values operator==
// finds equal give the same key.
void AppendNumber(std::string& pKey, double pValue)
{
    if (pValue == 0.0)
        pValue = 0.0;
    char bytes[sizeof(double)];
    std::memcpy(bytes, &pValue, sizeof bytes);
    pKey.append(bytes, sizeof bytes);
}

void AppendText(std::string& pKey, const char* pText)
{
    pKey.append(pText ? pText : "");
    pKey.push_back('\0');
}

// The name as KQelTexture::operator== compares it: without trailing digits
// and white space.
std::string WithoutTrailingNumber(const char* pName)
{
    std::string name(pName ? pName : "");
    while (!name.empty() && (std::isdigit(static_cast<unsigned char>(name.back())) ||
                             std::isspace(static_cast<unsigned char>(name.back()))))
        name.pop_back();
    return name;
}

struct TextureKind {
    typedef KQelTexture Type;
    static const KQelEntity::EReferenceKind kKind = KQelEntity::eTextures;
    static const KQelObject::ENameSpace kNameSpace = KQelObject::eTexture;
    // Equal textures give equal keys: every compared value is in it.
    static std::string Key(KQelTexture& pTexture)
    {
        std::string key;
        AppendText(key, WithoutTrailingNumber(pTexture.GetName()).c_str());
        AppendText(key, pTexture.GetFileName());
        AppendText(key, pTexture.GetMediaName().Buffer());
        AppendText(key, pTexture.GetTextureType().Buffer());
        KQelVector4 vector;
        for (int i = 0; i < 2; ++i)
            AppendNumber(key, pTexture.GetDefaultT(vector)[i]);
        for (int i = 0; i < 3; ++i)
            AppendNumber(key, pTexture.GetDefaultR(vector)[i]);
        for (int i = 0; i < 2; ++i)
            AppendNumber(key, pTexture.GetDefaultS(vector)[i]);
        AppendNumber(key, pTexture.GetDefaultAlpha());
        for (int i = 0; i < 2; ++i) {
            AppendNumber(key, pTexture.GetUVScaling()[i]);
            AppendNumber(key, pTexture.GetUVTranslation()[i]);
        }
        const int values[] = {pTexture.GetCroppingLeft(), pTexture.GetCroppingRight(), pTexture.GetCroppingTop(),
                              pTexture.GetCroppingBottom(), pTexture.GetAlphaSource(), pTexture.GetMappingType(),
                              pTexture.GetPlanarMappingNormal(), pTexture.GetMaterialUse(),
                              pTexture.GetTextureUse(), pTexture.GetSwapUV() ? 1 : 0};
        key.append(reinterpret_cast<const char*>(values), sizeof values);
        return key;
    }
    static KArrayTemplate<KQelTexture*>* DirectArray(KQelLayer& pLayer)
    {
        KQelLayerElementTexture* element = pLayer.GetTextures();
        return element ? &element->GetDirectArray() : nullptr;
    }
    static void Destroy(KQelSdkManager& pManager, KQelTexture* pTexture) { pManager.DestroyKQelTexture(pTexture); }
};

struct MaterialKind {
    typedef KQelMaterial Type;
    static const KQelEntity::EReferenceKind kKind = KQelEntity::eMaterials;
    static const KQelObject::ENameSpace kNameSpace = KQelObject::eMaterial;
    static std::string Key(KQelMaterial& pMaterial)
    {
        std::string key;
        AppendText(key, pMaterial.GetName());
        AppendText(key, LowerCase(pMaterial.GetShadingModel()).Buffer());
        for (const MaterialColor& color : kMaterialColors) {
            KQelColor value;
            (pMaterial.*color.mGet)(value);
            AppendNumber(key, value.mRed);
            AppendNumber(key, value.mGreen);
            AppendNumber(key, value.mBlue);
        }
        AppendNumber(key, pMaterial.GetDefaultOpacity());
        AppendNumber(key, pMaterial.GetDefaultShininess());
        AppendNumber(key, pMaterial.GetDefaultReflectivity());
        return key;
    }
    static KArrayTemplate<KQelMaterial*>* DirectArray(KQelLayer& pLayer)
    {
        KQelLayerElementMaterial* element = pLayer.GetMaterials();
        return element ? &element->GetDirectArray() : nullptr;
    }
    static void Destroy(KQelSdkManager& pManager, KQelMaterial* pMaterial)
    {
        pManager.DestroyKQelMaterial(pMaterial);
    }
};

// Of the entity's objects equal under operator==, the one listed first
// survives. Objects are bucketed by a key that equal objects share, so each
// is compared only with the survivors of its bucket (pairwise unequal).
// Answers removed → survivor; the entity and the manager are not changed.
template <class Kind>
std::unordered_map<typename Kind::Type*, typename Kind::Type*> FindDuplicates(KQelEntity& pEntity)
{
    typedef typename Kind::Type Type;
    std::unordered_map<Type*, Type*> removed;
    std::unordered_map<std::string, std::vector<Type*>> survivors;
    for (int i = 0, n = pEntity.GetReferenceCount(Kind::kKind); i < n; ++i) {
        // The list may hold stand-ins of other kinds: they are left alone.
        KQelObject* listed = pEntity.GetReferencedObject(Kind::kKind, i);
        if (!listed || listed->GetNameSpace() != Kind::kNameSpace)
            continue;
        Type* object = static_cast<Type*>(listed);
        // One that is not equal to itself (a NaN value) equals nothing.
        if (!(*object == *object))
            continue;
        std::vector<Type*>& bucket = survivors[Kind::Key(*object)];
        Type* survivor = nullptr;
        for (Type* candidate : bucket) {
            if (*object == *candidate) {
                survivor = candidate;
                break;
            }
        }
        if (survivor)
            removed.emplace(object, survivor);
        else
            bucket.push_back(object);
    }
    return removed;
}

// Cameras whose background is a texture about to go take its survivor.
void MoveCameraBackgrounds(KQelEntity& pEntity, const std::unordered_map<KQelTexture*, KQelTexture*>& pRemoved)
{
    std::unordered_map<const KPlug*, KQelTexture*> survivorOf;
    for (const auto& pair : pRemoved)
        survivorOf.emplace(pair.first->GetPropertyHandler(), pair.second);
    KArrayTemplate<KQelNode*> cameras;
    pEntity.FillNodeArray(cameras, KQelNodeAttribute::eCamera, false);
    for (int i = 0, n = cameras.GetCount(); i < n; ++i) {
        KQelNodeProperties* set = cameras[i]->GetPropertyHandler();
        std::vector<KQelTexture*> survivors;
        for (int s = 0, sources = set ? set->GetSrcCount() : 0; s < sources; ++s) {
            const auto found = survivorOf.find(set->GetSrc(s));
            if (found != survivorOf.end())
                survivors.push_back(found->second);
        }
        for (KQelTexture* survivor : survivors)
            cameras[i]->GetCamera()->SetBackgroundTexture(survivor);
    }
}

void MoveCameraBackgrounds(KQelEntity&, const std::unordered_map<KQelMaterial*, KQelMaterial*>&) {}

template <class T>
void Redirect(KArrayTemplate<T*>& pArray, const std::unordered_map<T*, T*>& pRemoved)
{
    for (int i = 0, n = pArray.GetCount(); i < n; ++i) {
        const auto found = pRemoved.find(pArray[i]);
        if (found != pRemoved.end())
            pArray[i] = found->second;
    }
}

template <class Kind>
void RemoveDuplicates(KQelSdkManager& pManager, KQelScene& pScene, KArrayTemplate<KQelTexture*>& pTextures)
{
    typedef typename Kind::Type Type;
    KQelEntity* entity = pScene.GetEntity();
    if (!entity)
        return;
    const std::unordered_map<Type*, Type*> removed = FindDuplicates<Kind>(*entity);
    if (removed.empty())
        return;
    MoveCameraBackgrounds(*entity, removed);
    for (const auto& pair : removed) {
        // The survivor takes over the uses, which the layers redirected
        // below go on counting.
        for (int uses = entity->GetReferenceUseCount(Kind::kKind, pair.first); uses > 0; --uses) {
            entity->RemoveReference(Kind::kKind, pair.first);
            entity->AddReference(Kind::kKind, pair.second);
        }
        Kind::Destroy(pManager, pair.first);
    }
    for (int i = 0, n = entity->GetNodeCount(); i < n; ++i) {
        KQelNode* node = entity->GetNode(i);
        KQelGeometry* geometry = node ? node->GetGeometry() : nullptr;
        for (int l = 0, layers = geometry ? geometry->GetLayerCount() : 0; l < layers; ++l) {
            KQelLayer* layer = geometry->GetLayer(l);
            if (KArrayTemplate<Type*>* direct = layer ? Kind::DirectArray(*layer) : nullptr)
                Redirect(*direct, removed);
        }
    }
    if constexpr (std::is_same<Type, KQelTexture>::value)
        Redirect(pTextures, removed);
}

}  // namespace

// ---- Writer ----

bool KQelWriterQel::WriteKQelTexture(KQelTexture& pTexture)
{
    KQel& file = File();
    native_detail::WriteBlock block(file, "Texture", pTexture.GetName());
    native_detail::WriteFieldC(file, "Type", pTexture.GetTextureType().Buffer());
    native_detail::WriteFieldI(file, "Version", 202);
    native_detail::WriteFieldC(file, "TextureName", pTexture.GetName());
    native_detail::WriteFieldC(file, "Media", pTexture.GetMediaName().Buffer());
    KQelVector4 vector;
    pTexture.GetDefaultT(vector);
    native_detail::WriteFieldDn(file, "Translation", &vector[0], 2);
    pTexture.GetDefaultS(vector);
    native_detail::WriteFieldDn(file, "Scaling", &vector[0], 2);
    native_detail::WriteFieldDn(file, "ModelUVTranslation", &pTexture.GetUVTranslation()[0], 2);
    native_detail::WriteFieldDn(file, "ModelUVScaling", &pTexture.GetUVScaling()[0], 2);
    pTexture.GetDefaultR(vector);
    native_detail::WriteFieldDn(file, "Rotation", &vector[0], 3);
    native_detail::WriteFieldD(file, "TextureAlpha", pTexture.GetDefaultAlpha());
    native_detail::WriteFieldC(file, "Texture_Alpha_Source", TokenOf(kAlphaSourceTokens, pTexture.GetAlphaSource(), 0));
    file.FieldWriteBegin("Cropping");
    file.FieldWriteI(pTexture.GetCroppingLeft());
    file.FieldWriteI(pTexture.GetCroppingRight());
    file.FieldWriteI(pTexture.GetCroppingTop());
    file.FieldWriteI(pTexture.GetCroppingBottom());
    file.FieldWriteEnd();
    native_detail::WriteFieldC(file, "Texture_Mapping_Type",
               TokenOf(kMappingTokens, pTexture.GetMappingType(), KQelTexture::eUV));
    native_detail::WriteFieldC(file, "Texture_Planar_Mapping_Normal",
               TokenOf(kPlanarNormalTokens, pTexture.GetPlanarMappingNormal(), 0));
    native_detail::WriteFieldI(file, "SwapUV", pTexture.GetSwapUV() ? 1 : 0);
    native_detail::WriteFieldI(file, "MaterialMode", pTexture.GetMaterialUse());
    native_detail::WriteFieldC(file, "TextureUse", TokenOf(kTextureUseTokens, pTexture.GetTextureUse(), 0));
    native_detail::WriteFieldI(file, "WrapU", pTexture.GetWrapModeU());
    native_detail::WriteFieldI(file, "WrapV", pTexture.GetWrapModeV());
    native_detail::WriteFieldI(file, "BlendMode", pTexture.GetBlendMode());
    WriteAnimatedNames(file, GetTextureAnimatedChannels(&pTexture), kTextureAnimated);
    return true;
}

bool KQelWriterQel::WriteKQelMaterial(KQelMaterial& pMaterial)
{
    KQel& file = File();
    native_detail::WriteBlock block(file, "Material", pMaterial.GetName());
    native_detail::WriteFieldI(file, "Version", 100);
    native_detail::WriteFieldC(file, "ShadingModel", LowerCase(pMaterial.GetShadingModel()).Buffer());
    for (const MaterialColor& color : kMaterialColors) {
        KQelColor value;
        (pMaterial.*color.mGet)(value);
        const double rgb[] = {value.mRed, value.mGreen, value.mBlue};
        native_detail::WriteFieldDn(file, color.mField, rgb, 3);
    }
    // On the scale the reader divides by.
    native_detail::WriteFieldD(file, "Shininess", pMaterial.GetDefaultShininess() * kShininessScale);
    native_detail::WriteFieldD(file, "Alpha", pMaterial.GetDefaultOpacity());
    native_detail::WriteFieldD(file, "Reflectivity", pMaterial.GetDefaultReflectivity());
    WriteAnimatedNames(file, GetMaterialAnimatedChannels(&pMaterial), kMaterialAnimated);
    return true;
}

// ---- Reader ----

bool KQelReaderQel::ReadKQelTexture(KQelTexture& pTexture)
{
    KQel& file = File();
    if (!mFile->IsBeforeVersion6()) {
        const KString name = file.FieldReadC("TextureName", "");
        // An absent name keeps the object's own.
        if (!name.IsEmpty())
            pTexture.SetName(name.Buffer());
        pTexture.SetFileName(KString(file.FieldReadC("FileName", "")).Buffer());
        pTexture.SetRelativeFileName(KString(file.FieldReadC("RelativeFilename", "")).Buffer());
        pTexture.SetMediaName(KString(file.FieldReadC("Media", "")).Buffer());
        ReadObjectProperties(*mFile, pTexture);
        PublishKQelProperties(pTexture);
        ReadTexturePlacement(file, pTexture);
        return true;
    }
    pTexture.SetName(KString(file.FieldReadC()).Buffer());
    if (!file.FieldReadBlockBegin())
        return true;
    pTexture.SetMediaName(KString(file.FieldReadC("Media", "")).Buffer());
    double values[3];
    if (ReadDoubles(file, "Translation", values, 2))
        pTexture.SetDefaultT(KQelVector4(values[0], values[1], 0.0, 1.0));
    if (ReadDoubles(file, "Rotation", values, 3))
        pTexture.SetDefaultR(KQelVector4(values[0], values[1], values[2], 1.0));
    if (ReadDoubles(file, "Scaling", values, 2))
        pTexture.SetDefaultS(KQelVector4(values[0], values[1], 1.0, 1.0));
    if (ReadDoubles(file, "TextureAlpha", values, 1))
        pTexture.SetDefaultAlpha(values[0] > 1.0 ? 1.0 : values[0] >= 0.0 ? values[0] : 0.0);
    ReadTexturePlacement(file, pTexture);
    pTexture.SetMappingType(static_cast<KQelTexture::EMappingType>(
        ReadToken(file, "Texture_Mapping_Type", kMappingTokens)));
    pTexture.SetPlanarMappingNormal(static_cast<KQelTexture::EPlanarMappingNormal>(
        ReadToken(file, "Texture_Planar_Mapping_Normal", kPlanarNormalTokens)));
    pTexture.SetSwapUV(file.FieldReadI("SwapUV", 0) != 0);
    pTexture.SetMaterialUse(static_cast<KQelTexture::EMaterialUse>(ReadEnum(file, "MaterialMode", 2)));
    pTexture.SetTextureUse(static_cast<KQelTexture::ETextureUse>(ReadToken(file, "TextureUse", kTextureUseTokens)));
    const int wrapV = ReadEnum(file, "WrapV", 2);
    const int wrapU = ReadEnum(file, "WrapU", 2);
    pTexture.SetWrapMode(static_cast<KQelTexture::EWrapMode>(wrapU), static_cast<KQelTexture::EWrapMode>(wrapV));
    pTexture.SetBlendMode(static_cast<KQelTexture::EBlendMode>(ReadEnum(file, "BlendMode", 4)));
    file.FieldReadBlockEnd();
    return true;
}

bool KQelReaderQel::ReadKQelMaterial(KQelMaterial& pMaterial)
{
    KQel& file = File();
    if (!mFile->IsBeforeVersion6()) {
        file.FieldReadI("Version", 100);
        pMaterial.SetShadingModel(LowerCase(file.FieldReadC("ShadingModel", "phong")).Buffer());
        pMaterial.SetMultiLayer(file.FieldReadI("MultiLayer", 0) != 0);
        ReadObjectProperties(*mFile, pMaterial);
        PublishKQelProperties(pMaterial);
        return true;
    }
    pMaterial.SetName(KString(file.FieldReadC()).Buffer());
    if (!file.FieldReadBlockBegin())
        return true;
    pMaterial.SetShadingModel(LowerCase(file.FieldReadC("ShadingModel", "phong")).Buffer());
    for (const MaterialColor& color : kMaterialColors) {
        double rgb[3];
        if (ReadDoubles(file, color.mField, rgb, 3))
            (pMaterial.*color.mSet)(KQelColor(rgb[0], rgb[1], rgb[2], 1.0));
    }
    double value = 0.0;
    if (ReadDoubles(file, "Shininess", &value, 1)) {
        const bool old = file.ProjectGetSectionVersion(file.ProjectGetCurrentSection()) <= kOldShininessSectionVersion;
        pMaterial.SetDefaultShininess(value / (old ? kOldShininessScale : kShininessScale));
    }
    if (ReadDoubles(file, "Reflectivity", &value, 1))
        pMaterial.SetDefaultReflectivity(value);
    if (ReadDoubles(file, "Alpha", &value, 1))
        pMaterial.SetDefaultOpacity(value);
    file.FieldReadBlockEnd();
    return true;
}

KQelObject* KQelReaderQel::ReadTextureObject(const char* pName)
{
    KQelTexture* texture = mManager.CreateKQelTexture(pName);
    if (texture)
        ReadKQelTexture(*texture);
    return texture;
}

KQelObject* KQelReaderQel::ReadMaterialObject(const char* pName)
{
    KQelMaterial* material = mManager.CreateKQelMaterial(pName);
    if (material)
        ReadKQelMaterial(*material);
    return material;
}

void KQelReaderQel::RemoveDuplicateTextures(KQelScene& pScene)
{
    RemoveDuplicates<TextureKind>(mManager, pScene, mTextures);
}

void KQelReaderQel::RemoveDuplicateMaterials(KQelScene& pScene)
{
    RemoveDuplicates<MaterialKind>(mManager, pScene, mTextures);
}

}  // namespace qelsdk_600
