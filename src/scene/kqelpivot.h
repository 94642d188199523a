// One pivot set of a node: pivots, offsets, pre- and post-rotation, the
// geometric transform, and the cached global matrix of the set.
#ifndef QELSDK_SCENE_KQELPIVOT_H
#define QELSDK_SCENE_KQELPIVOT_H

#include "math/kqelmatrix.h"
#include "math/kqelvector.h"
#include "scene/kqelnodeenums.h"

namespace qelsdk_600 {

// Plain record held twice by every node's property set (KQelNodeProperties,
// also reachable as KQelNodeProperties::KQelPivot), indexed by EQelPivotSet.
// The node's pivot-set accessors read and write it; the global-matrix code
// caches its result here. Angles are in degrees; only x, y and z of the
// vectors are used, the setters store all four components.
class KQelPivot {
public:
    // The values listed beside the fields.
    KQelPivot() { Reset(); }

    // Back to the values of construction (global matrix the identity and not
    // valid, pivot state reference).
    void Reset();

    KQelVector4 mRotationOffset;             // (0, 0, 0, 1)
    KQelVector4 mRotationPivot;              // (0, 0, 0, 1)
    KQelVector4 mRotationPivotUpdateOffset;  // (0, 0, 0, 1)
    KQelVector4 mPreRotation;                // (0, 0, 0, 1), degrees
    KQelVector4 mPostRotation;               // (0, 0, 0, 1), degrees
    KQelVector4 mScalingOffset;              // (0, 0, 0, 1)
    KQelVector4 mScalingPivot;               // (0, 0, 0, 1)
    KQelVector4 mScalingPivotUpdateOffset;   // (0, 0, 0, 1)
    KQelVector4 mGeometricTranslation;       // (0, 0, 0, 1)
    KQelVector4 mGeometricRotation;          // (0, 0, 0, 1), degrees
    KQelVector4 mGeometricScaling;           // (1, 1, 1, 1)
    ERotationOrder mRotationOrder;           // eEulerXYZ
    bool mUseRotationSpaceForLimitOnly;      // false
    // The node's global matrix for this set, valid while mGlobalMatrixValid.
    KQelMatrix mGlobalMatrix;                // identity
    bool mGlobalMatrixValid;                 // false
    EQelPivotState mPivotState;              // eQelPivotReference
};

inline void KQelPivot::Reset()
{
    const KQelVector4 zero(0.0, 0.0, 0.0, 1.0);
    mRotationOffset = zero;
    mRotationPivot = zero;
    mRotationPivotUpdateOffset = zero;
    mPreRotation = zero;
    mPostRotation = zero;
    mScalingOffset = zero;
    mScalingPivot = zero;
    mScalingPivotUpdateOffset = zero;
    mGeometricTranslation = zero;
    mGeometricRotation = zero;
    mGeometricScaling = KQelVector4(1.0, 1.0, 1.0, 1.0);
    mRotationOrder = eEulerXYZ;
    mUseRotationSpaceForLimitOnly = false;
    mGlobalMatrix = KQelMatrix();
    mGlobalMatrixValid = false;
    mPivotState = eQelPivotReference;
}

}  // namespace qelsdk_600

#endif
