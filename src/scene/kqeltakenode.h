// One take's animation of one scene object: a named tree of curve nodes.
#ifndef QELSDK_SCENE_KQELTAKENODE_H
#define QELSDK_SCENE_KQELTAKENODE_H

#include "base/kerror.h"
#include "base/kstring.h"
#include "base/ktime.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

class KDataType;
class KFCurve;
class KFCurveNode;
class KQelGeometry;
class KQelTakeNodeContainer;
class KQelUserProperty;

// The fixed channels of the take-node getters: Get<Name>() reads the curve at
// (group, channel, component), a null entry skipping that level; D rows
// address the component by data type. Every level is searched depth first
// through the whole subtree below the previous one.
#define QEL_TAKE_NODE_CHANNELS(C, D)                                         \
    C(TranslationX, "Transform", "T", "X")                                   \
    C(TranslationY, "Transform", "T", "Y")                                   \
    C(TranslationZ, "Transform", "T", "Z")                                   \
    C(EulerRotationX, "Transform", "R", "X")                                 \
    C(EulerRotationY, "Transform", "R", "Y")                                 \
    C(EulerRotationZ, "Transform", "R", "Z")                                 \
    C(ScaleX, "Transform", "S", "X")                                         \
    C(ScaleY, "Transform", "S", "Y")                                         \
    C(ScaleZ, "Transform", "S", "Z")                                         \
    D(Visibility, KDataTypeVisibility)                                       \
    C(ColorR, nullptr, "Color", "X")                                         \
    C(ColorG, nullptr, "Color", "Y")                                         \
    C(ColorB, nullptr, "Color", "Z")                                         \
    C(LightIntensity, nullptr, nullptr, "Intensity")                         \
    C(LightConeAngle, nullptr, nullptr, "Cone angle")                        \
    C(LightFog, nullptr, nullptr, "Fog")                                     \
    C(CameraFieldOfView, nullptr, nullptr, "FieldOfView")                    \
    C(CameraFieldOfViewX, nullptr, nullptr, "FieldOfViewX")                  \
    C(CameraFieldOfViewY, nullptr, nullptr, "FieldOfViewY")                  \
    C(CameraOpticalCenterX, nullptr, nullptr, "OpticalCenterX")              \
    C(CameraOpticalCenterY, nullptr, nullptr, "OpticalCenterY")              \
    C(CameraRoll, nullptr, nullptr, "Roll")                                  \
    C(CameraTurnTable, nullptr, nullptr, "TurnTable")                        \
    C(BackgroundColorR, nullptr, "BackgroundColor (Color)", "X")             \
    C(BackgroundColorG, nullptr, "BackgroundColor (Color)", "Y")             \
    C(BackgroundColorB, nullptr, "BackgroundColor (Color)", "Z")             \
    C(CameraIndex, nullptr, nullptr, "Camera Index")                         \
    D(Occlusion, KDataTypeOcclusion)                                         \
    D(IKReachTranslation, KDataTypeIKReachTranslation)                       \
    D(IKReachRotation, KDataTypeIKReachRotation)                             \
    C(TextureTranslationX, nullptr, "Translation", "X")                      \
    C(TextureTranslationY, nullptr, "Translation", "Y")                      \
    C(TextureTranslationZ, nullptr, "Translation", "Z")                      \
    C(TextureEulerRotationX, nullptr, "Rotation", "X")                       \
    C(TextureEulerRotationY, nullptr, "Rotation", "Y")                       \
    C(TextureEulerRotationZ, nullptr, "Rotation", "Z")                       \
    C(TextureScaleX, nullptr, "Scaling", "X")                                \
    C(TextureScaleY, nullptr, "Scaling", "Y")                                \
    C(TextureScaleZ, nullptr, "Scaling", "Z")                                \
    C(TextureAlpha, nullptr, nullptr, "Alpha")                               \
    C(MaterialEmissiveColorR, nullptr, "Emissive", "X")                      \
    C(MaterialEmissiveColorG, nullptr, "Emissive", "Y")                      \
    C(MaterialEmissiveColorB, nullptr, "Emissive", "Z")                      \
    C(MaterialAmbientColorR, nullptr, "Ambient", "X")                        \
    C(MaterialAmbientColorG, nullptr, "Ambient", "Y")                        \
    C(MaterialAmbientColorB, nullptr, "Ambient", "Z")                        \
    C(MaterialDiffuseColorR, nullptr, "Diffuse", "X")                        \
    C(MaterialDiffuseColorG, nullptr, "Diffuse", "Y")                        \
    C(MaterialDiffuseColorB, nullptr, "Diffuse", "Z")                        \
    C(MaterialSpecularColorR, nullptr, "Specular", "X")                      \
    C(MaterialSpecularColorG, nullptr, "Specular", "Y")                      \
    C(MaterialSpecularColorB, nullptr, "Specular", "Z")                      \
    C(MaterialOpacity, nullptr, nullptr, "Opacity")                          \
    C(MaterialReflectivity, nullptr, nullptr, "Reflectivity")                \
    C(MaterialShininess, nullptr, nullptr, "Shininess")

// The curve-node name of a property: "T", "R" and "S" for "Lcl Translation",
// "Lcl Rotation" and "Lcl Scaling" (compared exactly), the name itself
// otherwise.
KString GetEffectivePropertyName(const KString& pPropertyName);

// One take's animation of one object: a name and a tree of curve nodes below
// a root named "Defaults", whose curves are addressed by group, channel and
// component names. In the take "Default" the curves' default values mirror
// the object's properties (see KQelTakeNodeContainer). Failures of the
// lookups record error 0, "Curve not found"; nothing is ever created by a
// getter.
class KQelTakeNode {
public:
    // The fixed channels, in table order.
    enum EChannel : int {
#define QEL_TAKE_NODE_ENUM_C(Name, Group, Channel, Component) e##Name,
#define QEL_TAKE_NODE_ENUM_D(Name, DataType) e##Name,
        QEL_TAKE_NODE_CHANNELS(QEL_TAKE_NODE_ENUM_C, QEL_TAKE_NODE_ENUM_D)
#undef QEL_TAKE_NODE_ENUM_C
#undef QEL_TAKE_NODE_ENUM_D
        eChannelCount
    };

    // A new take node of that name (null: empty) with an empty root.
    explicit KQelTakeNode(const char* pName);
    // The other's name and an independent copy of its whole tree: curve
    // nodes, curves with keys, default values, colours and extrapolation.
    // Callbacks registered on the other's curves are not copied.
    KQelTakeNode(const KQelTakeNode& pOther);
    KQelTakeNode& operator=(const KQelTakeNode&) = delete;
    // Destroys the tree. Under a container root (which refers to curve nodes
    // it does not own) only the nested container nodes are destroyed, the
    // nodes they refer to are left alone.
    ~KQelTakeNode();

    void SetName(const char* pName);
    const char* GetName() const { return mName.Buffer(); }
    // The root of the tree; the take node owns it. A container may leave
    // the tree of its Default take to be built here, on first use.
    KFCurveNode* GetKFCurveNode() const;

    KError& GetError() { return mError; }
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

    // Widens pStart and pStop (ticks) to the keys of the tree; false, both
    // unchanged, when it has none.
    bool GetAnimationInterval(KTime& pStart, KTime& pStop);

    // The curve at (group, channel, component): each given name is searched
    // depth first below the node found for the previous one (a null name
    // skips that level), matching curve-node names without regard to case
    // and "T", "R", "S" also the local transform data types; the component
    // may be given as a data type instead. Null, with error 0, when a level
    // is not found or the last node has no curve.
    KFCurve* GetKFCurve(const char* pGroup, const char* pChannel, const char* pComponent);
    KFCurve* GetKFCurve(const char* pGroup, const char* pChannel, KDataType* pComponent);
    // True when GetKFCurve finds a curve with at least one key.
    bool IsChannelAnimated(const char* pGroup, const char* pChannel, const char* pComponent);
    bool IsChannelAnimated(const char* pGroup, const char* pChannel, KDataType* pComponent);

    // The curve of one member of a user property: the node of the property's
    // name ("T", "R", "S" for the local transforms) below the root, then its
    // child number pComponent when it has children, else its own curve for
    // component 0. Null, with error 0, otherwise.
    KFCurve* GetPropertyAnimation(KQelUserProperty* pProperty, unsigned int pComponent);
    // The curve of a geometry's shape channel (defined with the geometry).
    KFCurve* GetShapeChannel(KQelGeometry* pGeometry, int pIndex);

    // Rotates the translation animation ("Transform"/"T"/"X", "Y", "Z") by
    // Euler angles in degrees: the default values, and a key at every time
    // where any of the three curves has one (all three then share those
    // times; cubic, auto tangents). False, nothing changed, when one of the
    // three curves is missing.
    bool AddRotationToTranslation(const KQelVector4& pRotation);

    // The curve of a fixed channel; null with error 0 when absent.
    KFCurve* GetChannel(EChannel pChannel);

#define QEL_TAKE_NODE_GETTER_C(Name, Group, Channel, Component) \
    KFCurve* Get##Name() { return GetChannel(e##Name); }
#define QEL_TAKE_NODE_GETTER_D(Name, DataType) KFCurve* Get##Name() { return GetChannel(e##Name); }
    QEL_TAKE_NODE_CHANNELS(QEL_TAKE_NODE_GETTER_C, QEL_TAKE_NODE_GETTER_D)
#undef QEL_TAKE_NODE_GETTER_C
#undef QEL_TAKE_NODE_GETTER_D

private:
    friend class KQelTakeNodeContainer;
    // A take node whose tree its container builds on first use.
    KQelTakeNode(const char* pName, KQelTakeNodeContainer* pBuilder);
    // The node at (group, channel) below the root, or null.
    KFCurveNode* Walk(const char* pGroup, const char* pChannel) const;
    // pCurve, recording error 0 when it is null.
    KFCurve* Found(KFCurve* pCurve);
    // GetKFCurve for a component given by name or by data type.
    template <class Component>
    KFCurve* Lookup(const char* pGroup, const char* pChannel, Component pComponent);

    KString mName;
    KError mError;
    mutable KFCurveNode* mNode;
    // The container that still owes the tree, or null.
    mutable KQelTakeNodeContainer* mBuilder;
};

}  // namespace qelsdk_600

#endif
