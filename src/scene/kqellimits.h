// Limits of a node's translation, rotation and scaling, and the editing front
// end that speaks in limit types and computes automatic limits.
#ifndef QELSDK_SCENE_KQELLIMITS_H
#define QELSDK_SCENE_KQELLIMITS_H

#include "math/kqelvector.h"

namespace qelsdk_600 {

class KQelNode;

// Per-axis minimum and maximum of one kind (translation, rotation in degrees
// or scaling), each with its own active flag. Copyable member by member. A
// new one has no active flag and min and max (0, 0, 0, 0).
class KQelLimits {
public:
    KQelLimits();

    void SetLimitMinActive(bool pX, bool pY, bool pZ);
    void GetLimitMinActive(bool& pX, bool& pY, bool& pZ) const;
    void SetLimitMaxActive(bool pX, bool pY, bool pZ);
    void GetLimitMaxActive(bool& pX, bool& pY, bool& pZ) const;
    // True when any of the six min/max flags is set.
    bool GetLimitSomethingActive() const;

    // All four components are stored and returned.
    void SetLimitMin(const KQelVector4& pMin) { mMin = pMin; }
    const KQelVector4& GetLimitMin() const { return mMin; }
    void SetLimitMax(const KQelVector4& pMax) { mMax = pMax; }
    const KQelVector4& GetLimitMax() const { return mMax; }

private:
    bool mMinActive[3];
    bool mMaxActive[3];
    KQelVector4 mMin;
    KQelVector4 mMax;
};

// The limits every node owns (KQelNode::GetLimits): one KQelLimits per kind,
// the node they limit, and one on/off flag per kind. The rotation flag is
// mirrored into the limited node's "RotationActive" property. Copyable member
// by member (the limited node included); the node's operator= copies
// everything but the limited node.
class KQelNodeLimits {
public:
    // Every flag off; with a limited node, also writes false into its
    // "RotationActive" property (KQelNode::SetRotationActiveProperty).
    explicit KQelNodeLimits(KQelNode* pLimitedNode);

    void SetTranslationLimitActive(bool pActive) { mTranslationLimitActive = pActive; }
    bool GetTranslationLimitActive() const { return mTranslationLimitActive; }
    // Sets the flag and, with a limited node, writes the same value into its
    // "RotationActive" property.
    void SetRotationLimitActive(bool pActive);
    bool GetRotationLimitActive() const { return mRotationLimitActive; }
    void SetScalingLimitActive(bool pActive) { mScalingLimitActive = pActive; }
    bool GetScalingLimitActive() const { return mScalingLimitActive; }

    // The node these limits belong to; null for free-standing limits.
    KQelNode* GetLimitedNode() const { return mLimitedNode; }

    KQelLimits mTranslationLimits;
    KQelLimits mRotationLimits;  // degrees
    KQelLimits mScalingLimits;

private:
    friend class KQelNode;  // makes its limits on first use, without writing the property

    KQelNode* mLimitedNode;
    bool mTranslationLimitActive;
    bool mRotationLimitActive;
    bool mScalingLimitActive;
};

// Editing front end over a node's limits (not owned), as the file readers
// see them: per limit type an automatic flag (the opposite of the kind's
// limit-active flag), an enable flag (any min/max flag of the kind), a
// default, a min and a max; the rotation kind's default, axis and type live
// in pivot set 0 of the limited node (pre-rotation, post-rotation, rotation
// order). An operation given a type outside 0 to 2 does nothing, or answers
// as stated. Over null limits, or limits without a limited node, every
// operation that would reach the node changes nothing and answers as for
// inactive limits and a neutral pivot set.
class KQelLimitsUtilities {
public:
    enum ELimitType : int { eTranslation = 0, eRotation = 1, eScaling = 2 };
    // 0: spheric rotation (rotation order eSphericXYZ); any other value:
    // Euler XYZ.
    enum ERotationType : int { eSphericRotation = 0, eEulerRotation = 1 };
    // Answered from the rotation order: 1 for eSphericXYZ, else 0.
    enum ERotationClampType : int { eRectangularClamp = 0, eEllipsoidClamp = 1 };

    // Axis length 1.0.
    explicit KQelLimitsUtilities(KQelNodeLimits* pLimits);

    // The kind's limit-active flag becomes !pAutomatic; for rotation with
    // pAutomatic false, pivot set 0's use-rotation-space-for-limit-only also
    // becomes true. GetAuto: !limit-active; true for another type.
    void SetAuto(ELimitType pType, bool pAutomatic);
    bool GetAuto(ELimitType pType) const;
    // When the kind's GetLimitSomethingActive differs from pEnable, all six
    // min/max flags of the kind become pEnable; otherwise nothing. GetEnable:
    // GetLimitSomethingActive; false for another type.
    void SetEnable(ELimitType pType, bool pEnable);
    bool GetEnable(ELimitType pType) const;
    // Translation and scaling: min and max both (SetDefault), the min
    // (GetDefault). Rotation: pivot set 0's pre-rotation. Another type:
    // nothing, (0, 0, 0, 0).
    void SetDefault(ELimitType pType, const KQelVector4& pDefault);
    KQelVector4 GetDefault(ELimitType pType) const;
    // The kind's min or max; the getters answer (0, 0, 0, 0) for another
    // type.
    void SetMin(ELimitType pType, const KQelVector4& pMin);
    KQelVector4 GetMin(ELimitType pType) const;
    void SetMax(ELimitType pType, const KQelVector4& pMax);
    KQelVector4 GetMax(ELimitType pType) const;

    // Pivot set 0's rotation order becomes eSphericXYZ for 0, eEulerXYZ for
    // any other value. GetRotationType: 0 when that order is eSphericXYZ,
    // else 1.
    void SetRotationType(ERotationType pType);
    ERotationType GetRotationType() const;
    // Does nothing (the clamp type follows the rotation order).
    void SetRotationClampType(ERotationClampType pType) {}
    ERotationClampType GetRotationClampType() const;
    // Pivot set 0's post-rotation (degrees).
    void SetRotationAxis(const KQelVector4& pAxis);
    KQelVector4 GetRotationAxis() const;
    void SetAxisLength(double pLength) { mAxisLength = pLength; }
    double GetAxisLength() const { return mAxisLength; }

    // Recomputes, from the default take, the limits of every kind that is
    // automatic (limit-active false): translation min = max = the local
    // translation; rotation: pre- and post-rotation of pivot set 0 from a
    // frame aimed at the segment's end point (GetEndPointTranslation), the
    // axis length, and the rotation type (spheric when the node sits on its
    // parent); scaling min = max = the signed axis lengths of the local
    // matrix. Nothing for a null node, a root, or when all three kinds are
    // limited.
    void UpdateAutomatic(KQelNode* pNode);
    // Where the node's segment ends, in its local frame: the farthest child
    // (default-take local translation) among the children of the node's own
    // kind (same skeleton class, no attribute, marker), else the farthest
    // child of all, else GetEndSite. (0, 0, 0, 1) for a null node.
    KQelVector4 GetEndPointTranslation(KQelNode* pNode);
    // The control point farthest from the origin of the node's geometry
    // ((0, 0, 0, 0) when all lie at the origin); (0, 0, 0, 1) for a node
    // without geometry or control points.
    KQelVector4 GetEndSite(KQelNode* pNode);

private:
    // The limits of a type, null for another type or without limits.
    KQelLimits* LimitsOf(ELimitType pType) const;
    // The limited node, or null.
    KQelNode* Node() const;

    KQelNodeLimits* mLimits;
    double mAxisLength;
};

}  // namespace qelsdk_600

#endif
