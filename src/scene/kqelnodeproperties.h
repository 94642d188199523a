// The property set of a scene node.
#ifndef QELSDK_SCENE_KQELNODEPROPERTIES_H
#define QELSDK_SCENE_KQELNODEPROPERTIES_H

#include <cstddef>
#include <memory>

#include "math/kgevector.h"
#include "math/kqelvector.h"
#include "scene/kqelnodeenums.h"
#include "scene/kqelpivot.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelpropertyset.h"

namespace qelsdk_600 {

class KQelNode;

// The node's 50 member properties, in registration order, then its four
// animated ones ("Lcl Scaling" is then set to (1, 1, 1, 1), "Visibility" to
// 1.0). "RotationPivotUpdateOffset" and "ScalingPivotUpdateOffset" are not
// written to files (flag 16); the two object lists carry flag 1. A vector
// property holds (x, y, z, 1): its setter keeps x, y, z only.
#define QEL_NODE_PROPERTIES(V, E, L, A)                                                             \
    V(bool, QuaternionInterpolate, "QuaternionInterpolate", false, 0)                               \
    V(KgeTVector, RotationOffset, "RotationOffset", (KgeTVector()), 0)                              \
    V(KgeTVector, RotationPivot, "RotationPivot", (KgeTVector()), 0)                                \
    V(KgeTVector, RotationPivotUpdateOffset, "RotationPivotUpdateOffset", (KgeTVector()),           \
      kPropertyFlagNotSavable)                                                                      \
    V(KgeTVector, ScalingOffset, "ScalingOffset", (KgeTVector()), 0)                                \
    V(KgeTVector, ScalingPivot, "ScalingPivot", (KgeTVector()), 0)                                  \
    V(KgeTVector, ScalingPivotUpdateOffset, "ScalingPivotUpdateOffset", (KgeTVector()),             \
      kPropertyFlagNotSavable)                                                                      \
    V(bool, TranslationActive, "TranslationActive", false, 0)                                       \
    V(KgeTVector, TranslationMin, "TranslationMin", (KgeTVector()), 0)                              \
    V(KgeTVector, TranslationMax, "TranslationMax", (KgeTVector()), 0)                              \
    V(bool, TranslationMinX, "TranslationMinX", false, 0)                                           \
    V(bool, TranslationMinY, "TranslationMinY", false, 0)                                           \
    V(bool, TranslationMinZ, "TranslationMinZ", false, 0)                                           \
    V(bool, TranslationMaxX, "TranslationMaxX", false, 0)                                           \
    V(bool, TranslationMaxY, "TranslationMaxY", false, 0)                                           \
    V(bool, TranslationMaxZ, "TranslationMaxZ", false, 0)                                           \
    E(ERotationOrder, RotationOrder, "RotationOrder", RotationOrderAsString, eEulerXYZ, 0)          \
    V(bool, RotationSpaceForLimitOnly, "RotationSpaceForLimitOnly", false, 0)                       \
    V(double, RotationStiffnessX, "RotationStiffnessX", 0.0, 0)                                     \
    V(double, RotationStiffnessY, "RotationStiffnessY", 0.0, 0)                                     \
    V(double, RotationStiffnessZ, "RotationStiffnessZ", 0.0, 0)                                     \
    V(double, AxisLen, "AxisLen", 0.0, 0)                                                           \
    V(KgeTVector, PreRotation, "PreRotation", (KgeTVector()), 0)                                    \
    V(KgeTVector, PostRotation, "PostRotation", (KgeTVector()), 0)                                  \
    V(bool, RotationActive, "RotationActive", false, 0)                                             \
    V(KgeTVector, RotationMin, "RotationMin", (KgeTVector()), 0)                                    \
    V(KgeTVector, RotationMax, "RotationMax", (KgeTVector()), 0)                                    \
    V(bool, RotationMinX, "RotationMinX", false, 0)                                                 \
    V(bool, RotationMinY, "RotationMinY", false, 0)                                                 \
    V(bool, RotationMinZ, "RotationMinZ", false, 0)                                                 \
    V(bool, RotationMaxX, "RotationMaxX", false, 0)                                                 \
    V(bool, RotationMaxY, "RotationMaxY", false, 0)                                                 \
    V(bool, RotationMaxZ, "RotationMaxZ", false, 0)                                                 \
    E(ETransformInheritType, InheritType, "InheritType", InheritTypeAsString, eInheritRrSs, 0)      \
    V(bool, ScalingActive, "ScalingActive", false, 0)                                               \
    V(KgeTVector, ScalingMin, "ScalingMin", (KgeTVector()), 0)                                      \
    V(KgeTVector, ScalingMax, "ScalingMax", (KgeTVector()), 0)                                      \
    V(bool, ScalingMinX, "ScalingMinX", false, 0)                                                   \
    V(bool, ScalingMinY, "ScalingMinY", false, 0)                                                   \
    V(bool, ScalingMinZ, "ScalingMinZ", false, 0)                                                   \
    V(bool, ScalingMaxX, "ScalingMaxX", false, 0)                                                   \
    V(bool, ScalingMaxY, "ScalingMaxY", false, 0)                                                   \
    V(bool, ScalingMaxZ, "ScalingMaxZ", false, 0)                                                   \
    V(KgeTVector, GeometricTranslation, "GeometricTranslation", (KgeTVector()), 0)                  \
    V(KgeTVector, GeometricRotation, "GeometricRotation", (KgeTVector()), 0)                        \
    V(KgeTVector, GeometricScaling, "GeometricScaling", (KgeTVector()), 0)                          \
    L(LookAtProperty, "LookAtProperty", KQelNodeProperties, 1, KPlug::eDirectionSrc, 1)             \
    L(UpVectorProperty, "UpVectorProperty", KQelNodeProperties, 1, KPlug::eDirectionSrc, 1)         \
    V(bool, Show, "Show", true, 0)                                                                  \
    V(bool, NegativePercentShapeSupport, "NegativePercentShapeSupport", true, 0)                    \
    A("Lcl Translation", "Lcl Translation")                                                         \
    A("Lcl Rotation", "Lcl Rotation")                                                               \
    A("Lcl Scaling", "Lcl Scaling")                                                                 \
    A("Visibility", "Visibility")

// The property set every node owns: the 54 properties of QEL_NODE_PROPERTIES
// (members named after the property, e.g. set->RotationPivot), the node's two
// pivot sets, and the owner. It is also the plug through which nodes are tied
// together: a child's set is a source of its parent's set, and a look-at or
// up-vector node's set a source of "LookAtProperty" / "UpVectorProperty". Its
// connection hook (PlugNotify) keeps each node's entity in step with the
// tree. Made by its node in the node's own block and ended with it (Destruct,
// then the destructor); never deleted by itself.
class KQelNodeProperties : public KQelOwnedPropertyHandler {
public:
    typedef ::qelsdk_600::KQelPivot KQelPivot;
    typedef EQelPivotSet EPivotSet;
    typedef EQelPivotState EPivotState;

    QEL_CLASS_IDENTITY(KQelNodeProperties)

public:
    // Registers the properties in table order and keeps the owner (the node
    // that makes the set; any other owner leaves GetKQelNode null).
    explicit KQelNodeProperties(KQelTakeNodeContainer* pOwner);
    ~KQelNodeProperties() override;

    // KObject's tear-down; a set of this very class (not of a subclass,
    // which may hook the property list) takes it in fewer passes.
    void Destruct() override;

    // The owning node, or null.
    KQelNode* GetKQelNode() const { return mNode; }

    // Texts of the enumerations, installed as the enum properties' to-text
    // functions: "Euler XYZ" ... "Euler ZYX", "Spheric XYZ" for 0 to 6;
    // "RrSs" for 0 and 1, "Rrs" for 2; null for any other value.
    static const char* RotationOrderAsString(ERotationOrder pOrder);
    static const char* InheritTypeAsString(ETransformInheritType pType);

    // A pivot set; a value other than 0 or 1 is taken as set 0. Both sets
    // are made on the first use of the form that may change them; until
    // then they read as constructed.
    KQelPivot& GetPivot(EPivotSet pSet);
    const KQelPivot& GetPivot(EPivotSet pSet) const;
    // Both pivot sets back to construction.
    void ResetPivots();

    // The view of this set's connections restricted to other node property
    // sets (sources: children; destinations: parent); the set itself when no
    // class filter exists. Owned by the set.
    KPlug* GetNodeView() const { return mNodeView; }

    // The connection hook. Events of other plugs (the set's own properties)
    // go to KObject. For this set's own connections: a request to accept a
    // source node whose entity is this node's own (non-null) entity is
    // refused, recording error 6 in this node's error object; after a node
    // became a source (a child), its subtree moves into this node's entity
    // (SetEntity(entity, false)); after it stopped being one, out of every
    // entity (SetEntity(null, false)); then KObject's reaction.
    bool PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex, KPlug* pOther,
                    kConnectionType pType, KPlug* pNewPlug) override;

    QEL_PROPERTY_SET_BODY(QEL_NODE_PROPERTIES)

protected:
    // The four animated properties are made in the set itself.
    KPropertyRoom* GetPropertyRoom() override { return &mAnimatedRoom; }

private:
    // Room for three vectors and a double.
    static constexpr std::size_t kAnimatedRoomSize =
        3 * KPropertyRoom::Taken(sizeof(KPropertyTemplate<KgeTVector>)) +
        KPropertyRoom::Taken(sizeof(KPropertyTemplate<double>));
    alignas(16) unsigned char mAnimatedBytes[kAnimatedRoomSize];
    KPropertyRoom mAnimatedRoom;
    // The set's record and its node view: every node is connected.
    LinksRoom mLinksRoom;
    KPlugViewRoom mViewRoom;
    std::unique_ptr<KQelPivot[]> mPivots;  // both sets, or null while as constructed
    KQelNode* mNode;
    KPlug* mNodeView;
};

// True when any of the four components differs, or is not a number on
// either side (so NaN is always unequal, even to itself).
bool operator!=(const KgeTVector& pA, const KQelVector4& pB);

}  // namespace qelsdk_600

#endif
