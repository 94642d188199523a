// A transform as its parts: translation, rotation, scale, pivots.
#ifndef VESK_MTRANSFORMATIONMATRIX_H
#define VESK_MTRANSFORMATIONMATRIX_H

#include <vesk/MEulerRotation.h>
#include <vesk/MMatrix.h>
#include <vesk/MPoint.h>
#include <vesk/MQuaternion.h>
#include <vesk/MSpace.h>
#include <vesk/MStatus.h>
#include <vesk/MVector.h>
#include <vesk/VeskExport.h>

// A point goes through, in this order: minus the scale pivot, the scale, plus
// the scale pivot, plus the scale pivot's translation; minus the rotate
// pivot, the rotate orientation (rotate axis), the rotation, the joint
// orientation, plus the rotate pivot, plus the rotate pivot's translation;
// then the translation. Angles are radians, lengths internal units. Calls
// that take a space accept kTransform and kObject (which counts as
// kTransform); any other space fails with kInvalidParameter and changes
// nothing. A new transformation is the identity with order kXYZ.
class VESK_API MTransformationMatrix {
public:
    enum RotationOrder {
        kInvalid = 0,
        kXYZ = 1,
        kYZX = 2,
        kZXY = 3,
        kXZY = 4,
        kYXZ = 5,
        kZYX = 6,
        kLast = 7
    };

    MTransformationMatrix() {}
    // Decomposes the matrix into translation, XYZ rotation and scale; the
    // pivots are zero. A negative determinant negates all three scales.
    explicit MTransformationMatrix(const MMatrix& m);
    // Decomposes the matrix, keeping the rotation order (pivots and the
    // orientations are reset).
    MTransformationMatrix& operator=(const MMatrix& m);

    MMatrix asMatrix() const;

    MVector getTranslation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setTranslation(const MVector& v, MSpace::Space space);

    // The rotation with its order.
    MEulerRotation eulerRotation() const;
    MQuaternion rotation() const;
    // Replaces the rotation; the order becomes the rotation's order.
    MTransformationMatrix& rotateTo(const MEulerRotation& r);
    // Replaces the rotation, expressed in the current order.
    MTransformationMatrix& rotateTo(const MQuaternion& q);
    // Angles in radians and the order code (1 to 6).
    MStatus getRotation(double angles[3], RotationOrder& order) const;
    // An order outside 1 to 6 fails with kInvalidParameter.
    MStatus setRotation(const double angles[3], RotationOrder order);
    // Turns the transformation by r before its rotation (the new rotation is
    // r followed by the old one), in the current order. Only kTransform.
    MTransformationMatrix& rotateBy(const MEulerRotation& r, MSpace::Space space, MStatus* status = nullptr);
    RotationOrder rotationOrder(MStatus* status = nullptr) const;
    // The same rotation expressed in another order (1 to 6).
    MStatus reorderRotation(RotationOrder order);

    MStatus getScale(double scale[3], MSpace::Space space) const;
    MStatus setScale(const double scale[3], MSpace::Space space);

    MPoint scalePivot(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setScalePivot(const MPoint& p, MSpace::Space space);
    MVector scalePivotTranslation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setScalePivotTranslation(const MVector& v, MSpace::Space space);
    MPoint rotatePivot(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setRotatePivot(const MPoint& p, MSpace::Space space);
    MVector rotatePivotTranslation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setRotatePivotTranslation(const MVector& v, MSpace::Space space);
    // The rotate axis, turned before the rotation.
    MQuaternion rotateOrientation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setRotateOrientation(const MQuaternion& q, MSpace::Space space);
    // The joint orientation, turned after the rotation (identity unless a
    // joint's transformation sets it).
    MQuaternion jointOrientation() const { return mJointOrient; }
    void setJointOrientation(const MQuaternion& q) { mJointOrient = q; }

    bool isEquivalent(const MTransformationMatrix& o, double tolerance = 1e-10) const;

private:
    MVector mTranslate;
    MEulerRotation mRotate;
    double mScale[3] = {1.0, 1.0, 1.0};
    MPoint mScalePivot = MPoint(0.0, 0.0, 0.0);
    MVector mScalePivotTranslate;
    MPoint mRotatePivot = MPoint(0.0, 0.0, 0.0);
    MVector mRotatePivotTranslate;
    MQuaternion mRotateOrient;
    MQuaternion mJointOrient;
};

#endif
