// Function set of joints: a transform with a joint orientation.
#ifndef VESK_MFNIKJOINT_H
#define VESK_MFNIKJOINT_H

#include <vesk/MFnTransform.h>
#include <vesk/VeskExport.h>

// A new joint is named "joint1" (or the next free number), has no
// orientation and an identity "bindPose" matrix.
class VESK_API MFnIkJoint : public MFnTransform {
public:
    MFnIkJoint() {}
    MFnIkJoint(const MObject& object, MStatus* status = nullptr);
    MFnIkJoint(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override;

    // Makes a joint under parent (the world for the null object) and binds
    // the set to it.
    MObject create(const MObject& parent = MObject::kNullObj, MStatus* status = nullptr);

    // The joint orientation ("jointOrient"), turned after the rotation; its
    // order is XYZ.
    MStatus getOrientation(MEulerRotation& orientation) const;
    MStatus setOrientation(const MEulerRotation& orientation);
    MStatus getOrientation(MQuaternion& orientation) const;
    MStatus setOrientation(const MQuaternion& orientation);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
