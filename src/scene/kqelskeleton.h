// The skeleton attribute: a joint of a skeleton (root, limb, limb node or
// effector) with its limb length and display size and colour.
#ifndef QELSDK_SCENE_KQELSKELETON_H
#define QELSDK_SCENE_KQELSKELETON_H

#include "content/kqelcolor.h"
#include "math/kgevector.h"
#include "object/kobject.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelpropertyset.h"

namespace qelsdk_600 {

// Properties of a skeleton, in registration order. None is animatable;
// "LimbLength" carries property flag 1 from construction.
#define QEL_SKELETON_PROPERTIES(V, E, L, A)                              \
    V(double, Size, "Size", 0.0, 0)                                      \
    V(double, LimbLength, "LimbLength", 0.0, ::qelsdk_600::kPropertyFlagMarked) \
    V(::qelsdk_600::KgeRGBVector, Color, "Color", (::qelsdk_600::KgeRGBVector()), 0)

// The property set of a skeleton: limb-node size "Size", "LimbLength" and the
// limb-node colour "Color" (red, green, blue). All start at 0; the skeleton
// sets its defaults.
class KQelSkeletonProperties : public KObject {
    QEL_CLASS_IDENTITY(KQelSkeletonProperties)

public:
    KQelSkeletonProperties();
    ~KQelSkeletonProperties() override;

    QEL_PROPERTY_SET_BODY(QEL_SKELETON_PROPERTIES)
};

// Attribute type 3. Which values were given explicitly is remembered beside
// them (the Get...IsSet operations): a value copied or reset counts as not
// set, so writers can leave defaults out.
class KQelSkeleton : public KQelNodeAttribute {
public:
    // The joint kinds; a stored value outside them is kept as given.
    enum ESkeletonType : int { eRoot = 0, eLimb = 1, eLimbNode = 2, eEffector = 3 };

    // Unbound, with a new property set, then Reset.
    explicit KQelSkeleton(KQelSdkManager& pManager);
    // Destroys the property set.
    ~KQelSkeleton() override;

    EAttributeType GetAttributeType() const override { return eSkeleton; }
    // Appends "Size", "LimbLength", "Color", in that order, to the
    // KArrayTemplate<KProperty*> that pList points to.
    void FillPropertyList(void* pList) override;
    // "Root" for a root and for an effector (files store an effector as a
    // root), "Limb", "LimbNode"; empty for any other type.
    KString GetTypeName() override;
    // Root and effector: "Null", "Skeleton", "Root"; limb and limb node:
    // "Skeleton"; any other type: none. Reference values 0.
    KStringList GetTypeFlags() override;

    // Root, size 100, limb length 1, colour (0.8, 0.8, 0.8); nothing marked
    // as set. The colour is then not written to files (root).
    void Reset();

    // Stores the type (unchecked) and marks it set. The colour is written to
    // files only for a limb or a limb node (property flag 16 cleared for
    // those, set for every other type).
    void SetSkeletonType(ESkeletonType pType);
    ESkeletonType GetSkeletonType() const { return mSkeletonType; }
    // Only a limb has a length: false, changing nothing, for another type.
    bool SetLimbLength(double pLength);
    double GetLimbLength() const;
    // Any type; always true.
    bool SetLimbNodeSize(double pSize);
    double GetLimbNodeSize() const;
    // Only a limb or a limb node has a colour: red, green and blue are kept
    // (alpha is not); false, changing nothing, for another type.
    bool SetLimbNodeColor(const KQelColor& pColor);
    // The stored colour with alpha 1.
    KQelColor GetLimbNodeColor() const;

    bool GetSkeletonTypeIsSet() const { return mSkeletonTypeIsSet; }
    bool GetLimbLengthIsSet() const { return mLimbLengthIsSet; }
    bool GetLimbNodeSizeIsSet() const { return mLimbNodeSizeIsSet; }
    bool GetLimbNodeColorIsSet() const { return mLimbNodeColorIsSet; }

    static ESkeletonType GetSkeletonTypeDefaultValue() { return eRoot; }
    static double GetLimbLengthDefaultValue() { return 1.0; }
    static double GetLimbNodeSizeDefaultValue() { return 100.0; }
    static KQelColor GetLimbNodeColorDefaultValue() { return KQelColor(0.8, 0.8, 0.8, 1.0); }

    // Reset, then the other's type, size, and limb length and colour where
    // its type has them; finally the other's four "set" marks, so a value the
    // other never set is copied but not marked. Node and manager stay.
    KQelSkeleton& operator=(const KQelSkeleton& pOther);

    KQelSkeletonProperties* GetPropertyHandler() const { return mProperties; }

private:
    // Property flag 16 of "Color" follows the type.
    void UpdateColorSavable();

    KQelSkeletonProperties* mProperties;
    ESkeletonType mSkeletonType;
    bool mLimbLengthIsSet;
    bool mLimbNodeSizeIsSet;
    bool mLimbNodeColorIsSet;
    bool mSkeletonTypeIsSet;
};

}  // namespace qelsdk_600

#endif
