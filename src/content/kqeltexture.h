// Textures: an image file applied to surfaces, with its projection and
// placement.
#ifndef QELSDK_CONTENT_KQELTEXTURE_H
#define QELSDK_CONTENT_KQELTEXTURE_H

#include "base/kerror.h"
#include "base/kstring.h"
#include "math/kgevector.h"
#include "math/kqelvector.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqeltakenodecontainer.h"

namespace qelsdk_600 {

class KQelTexture;
class KQelVideo;

// The enumerations of KQelTexture, apart so that its property set can use
// them before the texture is declared. Values outside a list are stored as
// given.
class KQelTextureTypes {
public:
    // What the texture is used for (SetTextureUse).
    enum ETextureUse : int {
        eStandard = 0,
        eShadowMap = 1,
        eLightMap = 2,
        eSphericalReflexionMap = 3,
        eSphereReflexionMap = 4,
        eBumpNormalMap = 5
    };
    // The same uses as "TextureTypeUse" stores them.
    enum ETextureUse6 : int {
        eColor6 = 0,
        eSphericalReflexionMap6 = 1,
        eSphereMap6 = 2,
        eShadowMap6 = 3,
        eLightMap6 = 4,
        eBumpNormalMap6 = 5
    };
    // 0: the texture is combined with the material; 1: it is not.
    enum EMaterialUse : int { eModelMaterial = 0, eDefaultMaterial = 1 };
    enum EMappingType : int {
        eNull = 0,
        ePlanar = 1,
        eSpherical = 2,
        eCylindrical = 3,
        eBox = 4,
        eFace = 5,
        eUV = 6,
        eEnvironment = 7
    };
    // The projection as "CurrentMappingType" stores it.
    enum EUnifiedMappingType : int {
        eUMT_UV = 0,
        eUMT_Z = 1,
        eUMT_X = 2,
        eUMT_Y = 3,
        eUMT_SPHERICAL = 4,
        eUMT_CYLINDRICAL = 5,
        eUMT_ENVIRONMENT = 6,
        eUMT_PROJECTION = 7,
        eUMT_BOX = 8,
        eUMT_FACE = 9,
        eUMT_NO_MAPPING = 10
    };
    enum EPlanarMappingNormal : int { ePlanarNormalX = 0, ePlanarNormalY = 1, ePlanarNormalZ = 2 };
    // The native file spells them "None", "RGB_Intensity", "Alpha_Black".
    enum EAlphaSource : int { eNone = 0, eRGBIntensity = 1, eBlack = 2 };
    enum EWrapMode : int { eRepeat = 0, eClamp = 1 };
    enum EBlendMode : int { eTranslucent = 0, eAdditive = 1, eModulate = 2, eModulate2 = 3 };
};

// Properties of a texture, in registration order: the four animated ones
// first ("Vector" and "Number" data types), then the plain settings and the
// object list "VideoProperty" (texture sets only).
#define QEL_TEXTURE_PROPERTIES(V, E, L, A)                                                              \
    A("Translation", "Vector")                                                                          \
    A("Rotation", "Vector")                                                                             \
    A("Scaling", "Vector")                                                                              \
    A("Texture alpha", "Number")                                                                        \
    E(::qelsdk_600::KQelTextureTypes::ETextureUse6, TextureTypeUse, "TextureTypeUse", TextureTypeUseAsString, \
      ::qelsdk_600::KQelTextureTypes::eColor6, 0)                                                        \
    E(::qelsdk_600::KQelTextureTypes::EBlendMode, CurrentTextureBlendMode, "CurrentTextureBlendMode",    \
      CurrentTextureBlendModeAsString, ::qelsdk_600::KQelTextureTypes::eAdditive, 0)                     \
    V(bool, UseMaterial, "UseMaterial", false, 0)                                                       \
    V(bool, UseMipMap, "UseMipMap", false, 0)                                                           \
    E(::qelsdk_600::KQelTextureTypes::EUnifiedMappingType, CurrentMappingType, "CurrentMappingType",     \
      CurrentMappingTypeAsString, ::qelsdk_600::KQelTextureTypes::eUMT_UV, 0)                           \
    V(bool, UVSwap, "UVSwap", false, 0)                                                                 \
    E(::qelsdk_600::KQelTextureTypes::EWrapMode, WrapModeU, "WrapModeU", WrapModeUAsString,              \
      ::qelsdk_600::KQelTextureTypes::eRepeat, 0)                                                        \
    E(::qelsdk_600::KQelTextureTypes::EWrapMode, WrapModeV, "WrapModeV", WrapModeVAsString,              \
      ::qelsdk_600::KQelTextureTypes::eRepeat, 0)                                                        \
    V(::qelsdk_600::KgeTVector, TextureRotationPivot, "TextureRotationPivot", ::qelsdk_600::KgeTVector(), 0) \
    V(::qelsdk_600::KgeTVector, TextureScalingPivot, "TextureScalingPivot", ::qelsdk_600::KgeTVector(), 0)   \
    L(VideoProperty, "VideoProperty", ::qelsdk_600::KQelTextureProperties, 1, ::qelsdk_600::KPlug::eDirectionSrc, 0)

// The property set of a texture. Connected as a source of a node's set, it
// makes the node's scene know the texture; the texture's video is connected
// as its first source.
class KQelTextureProperties : public KQelOwnedPropertyHandler {
    QEL_CLASS_IDENTITY(KQelTextureProperties)

public:
    explicit KQelTextureProperties(KQelTexture* pOwner);
    ~KQelTextureProperties() override;

    // Texts of the enumerations; null for a value outside the list.
    // "Color", "Spherical Reflection Map", "Sphere Map", "Shadow Map",
    // "Light Map", "Bump Map (NormalMap)".
    static const char* TextureTypeUseAsString(KQelTextureTypes::ETextureUse6 pValue);
    // "Translucent", "Additive", "Modulate", "Modulate2".
    static const char* CurrentTextureBlendModeAsString(KQelTextureTypes::EBlendMode pValue);
    // "UV", "Z", "X", "Y", "Spherical", "Cylindrical", "Environment",
    // "Projection", "Box", "Face", "None".
    static const char* CurrentMappingTypeAsString(KQelTextureTypes::EUnifiedMappingType pValue);
    // "Repeat", "Clamp" (both directions).
    static const char* WrapModeUAsString(KQelTextureTypes::EWrapMode pValue);
    static const char* WrapModeVAsString(KQelTextureTypes::EWrapMode pValue);

    // On connection as a source (action 5) to the set of a node that has an
    // object store holding no texture of this texture's name (exact case):
    // the store adds the texture. Any other peer is left alone. Then
    // KObject's reaction, whose answer it returns.
    bool PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex, KPlug* pOther,
                    kConnectionType pType, KPlug* pNewPlug) override;

    // The owning texture, as the container.
    KQelTakeNodeContainer* GetKQelTexture() { return GetKQelObject(); }

    QEL_PROPERTY_SET_BODY(QEL_TEXTURE_PROPERTIES)
};

// A texture of name space 2 ("Texture::"): where its image lies (file,
// relative file and media name, mirrored from the video connected to it),
// how it is projected, used, wrapped, blended and cropped, a UV placement,
// and an animatable translation, rotation, scaling and alpha held by the
// curves of its take "Default". Curve values are single precision. Made and
// destroyed by the manager only (CreateKQelTexture). All textures share one
// error record (smError, one message: 0 "Take node error"), set only by the
// take operations.
class KQelTexture : public KQelTakeNodeContainer, public KQelTextureTypes {
public:
    static KError smError;

    // The property set, then the take "Default" with its curves, then Init.
    // Names empty.
    KQelTexture(KQelSdkManager& pManager, const char* pName);
    // Destroys the property set first, then the takes.
    ~KQelTexture() override;

    // ---- Overrides ----

    // Tears down the property set's connections and properties.
    void Destruct() override;
    ENameSpace GetNameSpace() const override { return eTexture; }
    KQelTextureProperties* GetPropertyHandler() override { return mProperties; }
    // The texture type ("TextureVideoClip").
    KString GetTypeName() override;
    // Empty.
    KStringList GetTypeFlags() override;
    // "Translation" (layer type 1), "Rotation" (2) and "Scaling" (3), each
    // with curves "X", "Y", "Z" (scaling at 1, the others at 0), then
    // "Alpha" (Number) with one curve at 1. The curves do not drive the
    // properties: the SetDefault operations write both.
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // The manager's user property over pProperty.
    KQelUserProperty* CreateKQelUserProperty(KProperty* pProperty) override;

    // ---- Life ----

    // Cropping 0, alpha source none, planar normal X, translation and
    // rotation 0, scaling 1, alpha 1, mapping type UV (stored directly), no
    // material use, no UV swap, texture type "TextureVideoClip", UV scaling
    // (1, 1), UV translation (0, 0), use "Color", blend additive, wrap
    // repeat. Names, "UseMipMap", "CurrentMappingType", pivots and
    // "VideoProperty" stay.
    void Init();
    // The container's Reset (every take made anew), then Init.
    void Reset();
    // The takes, then, through the setters: file name (an empty one leaves
    // this one's), media name, UV swap, alpha source, cropping, mapping type
    // and planar normal, material use, texture use, blend mode, wrap modes,
    // texture type, UV scaling and translation. The relative file name,
    // "UseMipMap", pivots and "VideoProperty" stay.
    KQelTexture& operator=(KQelTexture& pOther);
    KQelTexture& operator=(const KQelTexture&) = delete;
    // True when the names without their trailing digits and white space,
    // the default translation X and Y, rotation, scaling X and Y and alpha,
    // the cropping, alpha source, mapping type and planar normal, material
    // use, texture use, UV swap, file and media names, texture type and UV
    // placement agree (exactly).
    bool operator==(KQelTexture& pOther);

    // ---- Files ----

    // Null or empty: false, nothing changes. Otherwise stores the name and,
    // when the texture's video holds another name, gives it to the video
    // (which passes it to its other textures); true.
    bool SetFileName(const char* pName);
    const char* GetFileName() const { return mFileName.Buffer(); }
    // The same for the relative file name.
    bool SetRelativeFileName(const char* pName);
    const char* GetRelativeFileName() const { return mRelativeFileName.Buffer(); }
    // Stored unchecked (null: empty).
    void SetMediaName(const char* pName);
    const KString& GetMediaName() const { return mMediaName; }
    // The video connected as the first source of the property set; null
    // when there is none or that source is not a video's set.
    KQelVideo* GetVideo() const;

    // ---- Settings (stored directly, without change notification) ----

    void SetSwapUV(bool pSwapUV);
    bool GetSwapUV() const;
    void SetAlphaSource(EAlphaSource pSource) { mAlphaSource = pSource; }
    EAlphaSource GetAlphaSource() const { return mAlphaSource; }
    // Arguments in the order left, top, right, bottom.
    void SetCropping(int pLeft, int pTop, int pRight, int pBottom);
    int GetCroppingLeft() const { return mCroppingLeft; }
    int GetCroppingRight() const { return mCroppingRight; }
    int GetCroppingTop() const { return mCroppingTop; }
    int GetCroppingBottom() const { return mCroppingBottom; }
    // Stores the type and sets "CurrentMappingType" from it (planar: by the
    // planar normal, which X, Y, Z map to "X", "Y", "Z"; other normals leave
    // it; any type outside the list gives "None").
    void SetMappingType(EMappingType pType);
    EMappingType GetMappingType() const { return mMappingType; }
    // Stores the normal; under planar mapping also updates
    // "CurrentMappingType".
    void SetPlanarMappingNormal(EPlanarMappingNormal pNormal);
    EPlanarMappingNormal GetPlanarMappingNormal() const { return mPlanarMappingNormal; }
    // "UseMaterial" = (pUse == 0); the getter answers 0 when it is set, else 1.
    void SetMaterialUse(EMaterialUse pUse);
    EMaterialUse GetMaterialUse() const;
    // Stored as its "TextureTypeUse" (values outside the list: "Color") and
    // read back the same way.
    void SetTextureUse(ETextureUse pUse);
    ETextureUse GetTextureUse() const;
    void SetWrapMode(EWrapMode pModeU, EWrapMode pModeV);
    EWrapMode GetWrapModeU() const;
    EWrapMode GetWrapModeV() const;
    void SetBlendMode(EBlendMode pMode);
    // Through the property's getter.
    EBlendMode GetBlendMode();
    void SetUVTranslation(const KQelVector2& pTranslation) { mUVTranslation = pTranslation; }
    const KQelVector2& GetUVTranslation() const { return mUVTranslation; }
    void SetUVScaling(const KQelVector2& pScaling) { mUVScaling = pScaling; }
    const KQelVector2& GetUVScaling() const { return mUVScaling; }
    const KString& GetTextureType() const { return mTextureType; }

    // ---- Animatable values of the take "Default" ----

    // X, Y, Z into the curves (single precision), then the property
    // ("Translation", "Rotation", "Scaling") to (x, y, z, 1) with change
    // notification.
    void SetDefaultT(const KQelVector4& pT);
    void SetDefaultR(const KQelVector4& pR);
    void SetDefaultS(const KQelVector4& pS);
    // Components 0 to 2 from the curves; component 3 as it was. Returns pT.
    KQelVector4& GetDefaultT(KQelVector4& pT);
    KQelVector4& GetDefaultR(KQelVector4& pR);
    KQelVector4& GetDefaultS(KQelVector4& pS);
    // The alpha curve (single precision), then "Texture alpha" (double).
    void SetDefaultAlpha(double pAlpha);
    // "Texture alpha", not the curve.
    double GetDefaultAlpha();
    void SetTranslation(double pU, double pV);
    double GetTranslationU();
    double GetTranslationV();
    void SetRotation(double pU, double pV, double pW);
    double GetRotationU();
    double GetRotationV();
    double GetRotationW();
    void SetScale(double pU, double pV);
    double GetScaleU();
    double GetScaleV();

    // The class id of KQelTextureProperties, by which layer elements and
    // writers tell textures.
    int GetClassID() const;

    KError& GetError() { return smError; }
    int GetLastErrorID() const { return smError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return smError.GetLastErrorString(); }

private:
    // Curves of the take "Default" for a vector value (0 translation, 1
    // rotation, 2 scaling) and the property of its name.
    void SetDefaultVector(int pVector, const KQelVector4& pValue);
    KQelVector4& GetDefaultVector(int pVector, KQelVector4& pValue);
    double GetDefaultComponent(int pVector, int pComponent);

    int mCroppingLeft;
    int mCroppingRight;
    int mCroppingTop;
    int mCroppingBottom;
    EAlphaSource mAlphaSource;
    EMappingType mMappingType;
    EPlanarMappingNormal mPlanarMappingNormal;
    KString mFileName;
    KString mRelativeFileName;
    KString mMediaName;
    KString mTextureType;
    KQelVector2 mUVScaling;
    KQelVector2 mUVTranslation;
    KQelTextureProperties* mProperties;
};

}  // namespace qelsdk_600

#endif
