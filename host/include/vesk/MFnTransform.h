// Function set of transforms: translation, rotation, scale, pivots, limits.
#ifndef VESK_MFNTRANSFORM_H
#define VESK_MFNTRANSFORM_H

#include <vesk/MEulerRotation.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MPoint.h>
#include <vesk/MQuaternion.h>
#include <vesk/MSpace.h>
#include <vesk/MTransformationMatrix.h>
#include <vesk/MVector.h>
#include <vesk/VeskExport.h>

// Values are those of the transform's plugs ("translate", "rotate",
// "scale", "rotateOrder", "rotateAxis", "rotatePivot",
// "rotatePivotTranslate", "scalePivot", "scalePivotTranslate", joints'
// "jointOrient", and the limit plugs), read at the current time when a
// curve drives them. A point meets, in order: minus the scale pivot, the
// scale, plus the scale pivot, plus its translation, minus the rotate pivot,
// the rotate axis (rotateOrientation), the rotation, the joint orientation,
// plus the rotate pivot, plus its translation, the translation. Angles are
// radians, lengths internal units. Space kTransform, and kObject which counts
// as it, are accepted; any other space fails with kInvalidParameter. A write
// to a locked plug fails with kFailure; a failing call changes nothing.
class VESK_API MFnTransform : public MFnDagNode {
public:
    // Limit codes: scale 0 to 5, shear 6 to 11, rotate 12 to 17 (radians),
    // translate 18 to 23; per axis the minimum, then the maximum. A new
    // transform has every limit off, with values -1 and 1 (rotations -45 and
    // 45 degrees).
    enum LimitType {
        kScaleMinX = 0,
        kScaleMaxX,
        kScaleMinY,
        kScaleMaxY,
        kScaleMinZ,
        kScaleMaxZ,
        kShearMinXY,
        kShearMaxXY,
        kShearMinXZ,
        kShearMaxXZ,
        kShearMinYZ,
        kShearMaxYZ,
        kRotateMinX,
        kRotateMaxX,
        kRotateMinY,
        kRotateMaxY,
        kRotateMinZ,
        kRotateMaxZ,
        kTranslateMinX,
        kTranslateMaxX,
        kTranslateMinY,
        kTranslateMaxY,
        kTranslateMinZ,
        kTranslateMaxZ
    };

    MFnTransform() {}
    // Binds to a transform (joints and look-at nodes included); other
    // objects fail with kInvalidParameter.
    MFnTransform(const MObject& object, MStatus* status = nullptr);
    // Binds to the path's transform.
    MFnTransform(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override;

    // Makes a transform named "transform1" (or the next free number) under
    // parent (the world for the null object) and binds the set to it.
    MObject create(const MObject& parent = MObject::kNullObj, MStatus* status = nullptr);

    // The local transformation, and all of it replaced at once.
    MTransformationMatrix transformation(MStatus* status = nullptr) const;
    MStatus set(const MTransformationMatrix& transform);

    MVector getTranslation(MSpace::Space space, MStatus* status = nullptr) const;
    MVector translation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setTranslation(const MVector& translation, MSpace::Space space);

    // The rotation with the transform's order.
    MStatus getRotation(MEulerRotation& rotation) const;
    MStatus getRotation(double angles[3], MTransformationMatrix::RotationOrder& order) const;
    MStatus getRotation(MQuaternion& rotation, MSpace::Space space = MSpace::kTransform) const;
    // Sets the angles and the order.
    MStatus setRotation(const MEulerRotation& rotation);
    MStatus setRotation(const double angles[3], MTransformationMatrix::RotationOrder order);
    // The rotation as a quaternion; setting one keeps the order.
    MStatus setRotation(const MQuaternion& rotation, MSpace::Space space = MSpace::kTransform);
    MStatus getRotationQuaternion(double& x, double& y, double& z, double& w,
                                  MSpace::Space space = MSpace::kTransform) const;
    MStatus setRotationQuaternion(double x, double y, double z, double w, MSpace::Space space = MSpace::kTransform);
    MTransformationMatrix::RotationOrder rotationOrder(MStatus* status = nullptr) const;
    // With reorder the rotation stays the same and its angles change; else
    // only the order code changes. Codes outside 1 to 6 fail.
    MStatus setRotationOrder(MTransformationMatrix::RotationOrder order, bool reorder);

    MStatus getScale(double scale[3]) const;
    MStatus setScale(const double scale[3]);

    // The rotate axis.
    MQuaternion rotateOrientation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setRotateOrientation(const MQuaternion& orientation, MSpace::Space space, bool balance = true);
    // With balance the pivot translations change so that the transform's
    // matrix stays as it was.
    MPoint rotatePivot(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setRotatePivot(const MPoint& pivot, MSpace::Space space, bool balance = true);
    MVector rotatePivotTranslation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setRotatePivotTranslation(const MVector& translation, MSpace::Space space);
    MPoint scalePivot(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setScalePivot(const MPoint& pivot, MSpace::Space space, bool balance = true);
    MVector scalePivotTranslation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setScalePivotTranslation(const MVector& translation, MSpace::Space space);

    // Limits; a code outside 0 to 23 fails with kInvalidParameter.
    bool isLimited(LimitType type, MStatus* status = nullptr) const;
    double limitValue(LimitType type, MStatus* status = nullptr) const;
    MStatus setLimit(LimitType type, double value);
    MStatus enableLimit(LimitType type, bool flag);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
