// MFnTransform and MFnIkJoint: the transform plugs by their parts.
#include <string>

#include <vesk/MFnIkJoint.h>
#include <vesk/MFnTransform.h>
#include <vesk/MMatrix.h>

#include "core/object_access.h"
#include "core/plug_access.h"
#include "store/node_store.h"
#include "store/transform_limits.h"

using vesk::NamedNumber;
using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::report;
using vesk::store;

namespace {

bool localSpace(MSpace::Space space)
{
    return space == MSpace::kTransform || space == MSpace::kObject;
}

// The bound transform when the space is accepted; else an invalid id and the
// failure reported.
NodeId transformIn(const MObject& o, MSpace::Space space, MStatus* status)
{
    const NodeId n = ObjectAccess::node(o);
    if (!n.valid() || !localSpace(space)) {
        report(status, MStatus::kInvalidParameter);
        return NodeId();
    }
    report(status, MStatus::kSuccess);
    return n;
}

// Three plugs "<base>X", "<base>Y", "<base>Z".
MVector triple(NodeId n, const char* base, double fallback)
{
    const std::string b(base);
    return MVector(vesk::numberOr(n, (b + "X").c_str(), fallback), vesk::numberOr(n, (b + "Y").c_str(), fallback),
                   vesk::numberOr(n, (b + "Z").c_str(), fallback));
}

MStatus writeTriple(NodeId n, const char* base, const MVector& v)
{
    const std::string x = std::string(base) + "X";
    const std::string y = std::string(base) + "Y";
    const std::string z = std::string(base) + "Z";
    const NamedNumber values[3] = {{x.c_str(), v.x}, {y.c_str(), v.y}, {z.c_str(), v.z}};
    return vesk::writeNumbers(n, values, 3);
}

MTransformationMatrix::RotationOrder orderOf(NodeId n)
{
    const int order = static_cast<int>(vesk::numberOr(n, "rotateOrder", 1.0));
    return order >= 1 && order <= 6 ? static_cast<MTransformationMatrix::RotationOrder>(order)
                                    : MTransformationMatrix::kXYZ;
}

MEulerRotation eulerOf(NodeId n)
{
    const MVector r = triple(n, "rotate", 0.0);
    return MEulerRotation(r.x, r.y, r.z, static_cast<MEulerRotation::RotationOrder>(orderOf(n) - 1));
}

// Writes the angles and the order of a rotation.
MStatus writeEuler(NodeId n, const MEulerRotation& r)
{
    const NamedNumber values[4] = {
        {"rotateX", r.x}, {"rotateY", r.y}, {"rotateZ", r.z}, {"rotateOrder", static_cast<double>(r.order + 1)}};
    return vesk::writeNumbers(n, values, 4);
}

// The whole rotation a point meets between the rotate pivots: rotate axis,
// rotation, joint orientation.
MMatrix pivotRotation(NodeId n)
{
    const MTransformationMatrix t = store().transformation(n);
    return t.rotateOrientation(MSpace::kTransform).asMatrix() * t.eulerRotation().asMatrix() *
           t.jointOrientation().asMatrix();
}

// A node of the kind under parent (the world for the null object); an
// invalid id with the failure reported otherwise.
NodeId makeUnder(const char* kind, const MObject& parent, MStatus* status)
{
    const NodeId p = ObjectAccess::node(parent);
    MStatus s = MStatus::kInvalidParameter;
    NodeId made;
    if (parent.isNull() || p.valid())
        made = store().createNode(kind, "", p, &s);
    report(status, s);
    return s ? made : NodeId();
}

bool validLimit(int type)
{
    return type >= 0 && type < vesk::kTransformLimitCount;
}

} // namespace

MFnTransform::MFnTransform(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFnTransform::MFnTransform(const MDagPath& path, MStatus* status)
{
    report(status, bindPath(path, MFn::kTransform));
}

MFn::Type MFnTransform::type() const
{
    return MFn::kTransform;
}

bool MFnTransform::accepts(const MObject& object) const
{
    const NodeId n = ObjectAccess::node(object);
    return n.valid() && store().kindOf(n)->isA(MFn::kTransform);
}

MObject MFnTransform::create(const MObject& parent, MStatus* status)
{
    const NodeId made = makeUnder("transform", parent, status);
    if (!made.valid())
        return MObject();
    mObject = ObjectAccess::fromNode(made);
    mPath = MDagPath();
    return mObject;
}

MTransformationMatrix MFnTransform::transformation(MStatus* status) const
{
    const NodeId n = transformIn(mObject, MSpace::kTransform, status);
    return n.valid() ? store().transformation(n) : MTransformationMatrix();
}

MStatus MFnTransform::set(const MTransformationMatrix& t)
{
    const NodeId n = transformIn(mObject, MSpace::kTransform, nullptr);
    if (!n.valid())
        return MStatus::kInvalidParameter;
    const MVector tr = t.getTranslation(MSpace::kTransform);
    const MEulerRotation r = t.eulerRotation();
    double sc[3];
    t.getScale(sc, MSpace::kTransform);
    const MEulerRotation ra = t.rotateOrientation(MSpace::kTransform).asEulerRotation();
    const MPoint rp = t.rotatePivot(MSpace::kTransform);
    const MVector rpt = t.rotatePivotTranslation(MSpace::kTransform);
    const MPoint sp = t.scalePivot(MSpace::kTransform);
    const MVector spt = t.scalePivotTranslation(MSpace::kTransform);
    std::vector<NamedNumber> values = {
        {"translateX", tr.x}, {"translateY", tr.y}, {"translateZ", tr.z}, {"rotateX", r.x}, {"rotateY", r.y},
        {"rotateZ", r.z}, {"rotateOrder", static_cast<double>(r.order + 1)}, {"scaleX", sc[0]}, {"scaleY", sc[1]},
        {"scaleZ", sc[2]}, {"rotateAxisX", ra.x}, {"rotateAxisY", ra.y}, {"rotateAxisZ", ra.z},
        {"rotatePivotX", rp.x}, {"rotatePivotY", rp.y}, {"rotatePivotZ", rp.z}, {"rotatePivotTranslateX", rpt.x},
        {"rotatePivotTranslateY", rpt.y}, {"rotatePivotTranslateZ", rpt.z}, {"scalePivotX", sp.x},
        {"scalePivotY", sp.y}, {"scalePivotZ", sp.z}, {"scalePivotTranslateX", spt.x},
        {"scalePivotTranslateY", spt.y}, {"scalePivotTranslateZ", spt.z}};
    if (store().kindOf(n)->isA(MFn::kJoint)) {
        const MEulerRotation jo = t.jointOrientation().asEulerRotation();
        values.push_back({"jointOrientX", jo.x});
        values.push_back({"jointOrientY", jo.y});
        values.push_back({"jointOrientZ", jo.z});
    }
    return vesk::writeNumbers(n, values.data(), values.size());
}

MVector MFnTransform::getTranslation(MSpace::Space space, MStatus* status) const
{
    return translation(space, status);
}

MVector MFnTransform::translation(MSpace::Space space, MStatus* status) const
{
    const NodeId n = transformIn(mObject, space, status);
    return n.valid() ? triple(n, "translate", 0.0) : MVector();
}

MStatus MFnTransform::setTranslation(const MVector& translation, MSpace::Space space)
{
    MStatus s;
    const NodeId n = transformIn(mObject, space, &s);
    return n.valid() ? writeTriple(n, "translate", translation) : s;
}

MStatus MFnTransform::getRotation(MEulerRotation& rotation) const
{
    MStatus s;
    const NodeId n = transformIn(mObject, MSpace::kTransform, &s);
    if (n.valid())
        rotation = eulerOf(n);
    return s;
}

MStatus MFnTransform::getRotation(double angles[3], MTransformationMatrix::RotationOrder& order) const
{
    MEulerRotation r;
    const MStatus s = getRotation(r);
    if (s) {
        angles[0] = r.x;
        angles[1] = r.y;
        angles[2] = r.z;
        order = static_cast<MTransformationMatrix::RotationOrder>(r.order + 1);
    }
    return s;
}

MStatus MFnTransform::getRotation(MQuaternion& rotation, MSpace::Space space) const
{
    MStatus s;
    const NodeId n = transformIn(mObject, space, &s);
    if (n.valid())
        rotation = eulerOf(n).asQuaternion();
    return s;
}

MStatus MFnTransform::setRotation(const MEulerRotation& rotation)
{
    MStatus s;
    const NodeId n = transformIn(mObject, MSpace::kTransform, &s);
    if (!n.valid())
        return s;
    if (rotation.order < MEulerRotation::kXYZ || rotation.order > MEulerRotation::kZYX)
        return MStatus::kInvalidParameter;
    return writeEuler(n, rotation);
}

MStatus MFnTransform::setRotation(const double angles[3], MTransformationMatrix::RotationOrder order)
{
    if (order < MTransformationMatrix::kXYZ || order > MTransformationMatrix::kZYX)
        return MStatus::kInvalidParameter;
    return setRotation(
        MEulerRotation(angles[0], angles[1], angles[2], static_cast<MEulerRotation::RotationOrder>(order - 1)));
}

MStatus MFnTransform::setRotation(const MQuaternion& rotation, MSpace::Space space)
{
    MStatus s;
    const NodeId n = transformIn(mObject, space, &s);
    if (!n.valid())
        return s;
    const MEulerRotation::RotationOrder order = static_cast<MEulerRotation::RotationOrder>(orderOf(n) - 1);
    return writeEuler(n, MEulerRotation::decompose(rotation.asMatrix(), order));
}

MStatus MFnTransform::getRotationQuaternion(double& x, double& y, double& z, double& w, MSpace::Space space) const
{
    MQuaternion q;
    const MStatus s = getRotation(q, space);
    if (s) {
        x = q.x;
        y = q.y;
        z = q.z;
        w = q.w;
    }
    return s;
}

MStatus MFnTransform::setRotationQuaternion(double x, double y, double z, double w, MSpace::Space space)
{
    return setRotation(MQuaternion(x, y, z, w), space);
}

MTransformationMatrix::RotationOrder MFnTransform::rotationOrder(MStatus* status) const
{
    const NodeId n = transformIn(mObject, MSpace::kTransform, status);
    return n.valid() ? orderOf(n) : MTransformationMatrix::kInvalid;
}

MStatus MFnTransform::setRotationOrder(MTransformationMatrix::RotationOrder order, bool reorder)
{
    MStatus s;
    const NodeId n = transformIn(mObject, MSpace::kTransform, &s);
    if (!n.valid())
        return s;
    if (order < MTransformationMatrix::kXYZ || order > MTransformationMatrix::kZYX)
        return MStatus::kInvalidParameter;
    if (!reorder)
        return vesk::writeNumber(n, "rotateOrder", static_cast<double>(order));
    return writeEuler(n, eulerOf(n).reorder(static_cast<MEulerRotation::RotationOrder>(order - 1)));
}

MStatus MFnTransform::getScale(double scale[3]) const
{
    MStatus s;
    const NodeId n = transformIn(mObject, MSpace::kTransform, &s);
    if (n.valid()) {
        const MVector v = triple(n, "scale", 1.0);
        scale[0] = v.x;
        scale[1] = v.y;
        scale[2] = v.z;
    }
    return s;
}

MStatus MFnTransform::setScale(const double scale[3])
{
    MStatus s;
    const NodeId n = transformIn(mObject, MSpace::kTransform, &s);
    return n.valid() ? writeTriple(n, "scale", MVector(scale[0], scale[1], scale[2])) : s;
}

MQuaternion MFnTransform::rotateOrientation(MSpace::Space space, MStatus* status) const
{
    const NodeId n = transformIn(mObject, space, status);
    return n.valid() ? MEulerRotation(triple(n, "rotateAxis", 0.0)).asQuaternion() : MQuaternion();
}

MStatus MFnTransform::setRotateOrientation(const MQuaternion& orientation, MSpace::Space space, bool balance)
{
    MStatus s;
    const NodeId n = transformIn(mObject, space, &s);
    if (!n.valid())
        return s;
    const MEulerRotation axis = MEulerRotation::decompose(orientation.asMatrix(), MEulerRotation::kXYZ);
    std::vector<NamedNumber> values = {{"rotateAxisX", axis.x}, {"rotateAxisY", axis.y}, {"rotateAxisZ", axis.z}};
    if (balance) {
        // Keep the axis followed by the rotation: the new rotation is the
        // new axis undone, then the old axis and rotation.
        const MEulerRotation old = eulerOf(n);
        const MMatrix before = MEulerRotation(triple(n, "rotateAxis", 0.0)).asMatrix() * old.asMatrix();
        const MEulerRotation r = MEulerRotation::decompose(axis.asMatrix().transpose() * before, old.order);
        values.push_back({"rotateX", r.x});
        values.push_back({"rotateY", r.y});
        values.push_back({"rotateZ", r.z});
    }
    return vesk::writeNumbers(n, values.data(), values.size());
}

MPoint MFnTransform::rotatePivot(MSpace::Space space, MStatus* status) const
{
    const NodeId n = transformIn(mObject, space, status);
    return n.valid() ? MPoint(triple(n, "rotatePivot", 0.0)) : MPoint();
}

MStatus MFnTransform::setRotatePivot(const MPoint& pivot, MSpace::Space space, bool balance)
{
    MStatus s;
    const NodeId n = transformIn(mObject, space, &s);
    if (!n.valid())
        return s;
    if (!balance)
        return writeTriple(n, "rotatePivot", MVector(pivot.x, pivot.y, pivot.z));
    // (p - rp) R + rp + rpt keeps its value when rpt absorbs the move.
    const MVector move = triple(n, "rotatePivot", 0.0) - MVector(pivot.x, pivot.y, pivot.z);
    const MVector rpt = triple(n, "rotatePivotTranslate", 0.0) + move - move * pivotRotation(n);
    const NamedNumber values[6] = {{"rotatePivotX", pivot.x},          {"rotatePivotY", pivot.y},
                                   {"rotatePivotZ", pivot.z},          {"rotatePivotTranslateX", rpt.x},
                                   {"rotatePivotTranslateY", rpt.y}, {"rotatePivotTranslateZ", rpt.z}};
    return vesk::writeNumbers(n, values, 6);
}

MVector MFnTransform::rotatePivotTranslation(MSpace::Space space, MStatus* status) const
{
    const NodeId n = transformIn(mObject, space, status);
    return n.valid() ? triple(n, "rotatePivotTranslate", 0.0) : MVector();
}

MStatus MFnTransform::setRotatePivotTranslation(const MVector& translation, MSpace::Space space)
{
    MStatus s;
    const NodeId n = transformIn(mObject, space, &s);
    return n.valid() ? writeTriple(n, "rotatePivotTranslate", translation) : s;
}

MPoint MFnTransform::scalePivot(MSpace::Space space, MStatus* status) const
{
    const NodeId n = transformIn(mObject, space, status);
    return n.valid() ? MPoint(triple(n, "scalePivot", 0.0)) : MPoint();
}

MStatus MFnTransform::setScalePivot(const MPoint& pivot, MSpace::Space space, bool balance)
{
    MStatus s;
    const NodeId n = transformIn(mObject, space, &s);
    if (!n.valid())
        return s;
    if (!balance)
        return writeTriple(n, "scalePivot", MVector(pivot.x, pivot.y, pivot.z));
    // (p - sp) S + sp + spt keeps its value when spt absorbs the move.
    const MVector move = triple(n, "scalePivot", 0.0) - MVector(pivot.x, pivot.y, pivot.z);
    const MVector sc = triple(n, "scale", 1.0);
    const MVector spt = triple(n, "scalePivotTranslate", 0.0) + move -
                        MVector(move.x * sc.x, move.y * sc.y, move.z * sc.z);
    const NamedNumber values[6] = {{"scalePivotX", pivot.x},          {"scalePivotY", pivot.y},
                                   {"scalePivotZ", pivot.z},          {"scalePivotTranslateX", spt.x},
                                   {"scalePivotTranslateY", spt.y}, {"scalePivotTranslateZ", spt.z}};
    return vesk::writeNumbers(n, values, 6);
}

MVector MFnTransform::scalePivotTranslation(MSpace::Space space, MStatus* status) const
{
    const NodeId n = transformIn(mObject, space, status);
    return n.valid() ? triple(n, "scalePivotTranslate", 0.0) : MVector();
}

MStatus MFnTransform::setScalePivotTranslation(const MVector& translation, MSpace::Space space)
{
    MStatus s;
    const NodeId n = transformIn(mObject, space, &s);
    return n.valid() ? writeTriple(n, "scalePivotTranslate", translation) : s;
}

bool MFnTransform::isLimited(LimitType type, MStatus* status) const
{
    const NodeId n = transformIn(mObject, MSpace::kTransform, status);
    if (!n.valid() || !validLimit(type)) {
        report(status, MStatus::kInvalidParameter);
        return false;
    }
    return vesk::numberOr(n, vesk::transformLimitName(type, true).c_str(), 0.0) != 0.0;
}

double MFnTransform::limitValue(LimitType type, MStatus* status) const
{
    const NodeId n = transformIn(mObject, MSpace::kTransform, status);
    if (!n.valid() || !validLimit(type)) {
        report(status, MStatus::kInvalidParameter);
        return 0.0;
    }
    return vesk::numberOr(n, vesk::transformLimitName(type, false).c_str(), 0.0);
}

MStatus MFnTransform::setLimit(LimitType type, double value)
{
    const NodeId n = transformIn(mObject, MSpace::kTransform, nullptr);
    if (!n.valid() || !validLimit(type))
        return MStatus::kInvalidParameter;
    return vesk::writeNumber(n, vesk::transformLimitName(type, false).c_str(), value);
}

MStatus MFnTransform::enableLimit(LimitType type, bool flag)
{
    const NodeId n = transformIn(mObject, MSpace::kTransform, nullptr);
    if (!n.valid() || !validLimit(type))
        return MStatus::kInvalidParameter;
    return vesk::writeNumber(n, vesk::transformLimitName(type, true).c_str(), flag ? 1.0 : 0.0);
}

// ---- MFnIkJoint ---------------------------------------------------------------

MFnIkJoint::MFnIkJoint(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFnIkJoint::MFnIkJoint(const MDagPath& path, MStatus* status)
{
    report(status, bindPath(path, MFn::kJoint));
}

MFn::Type MFnIkJoint::type() const
{
    return MFn::kJoint;
}

bool MFnIkJoint::accepts(const MObject& object) const
{
    const NodeId n = ObjectAccess::node(object);
    return n.valid() && store().kindOf(n)->isA(MFn::kJoint);
}

MObject MFnIkJoint::create(const MObject& parent, MStatus* status)
{
    const NodeId made = makeUnder("joint", parent, status);
    if (!made.valid())
        return MObject();
    mObject = ObjectAccess::fromNode(made);
    mPath = MDagPath();
    return mObject;
}

MStatus MFnIkJoint::getOrientation(MEulerRotation& orientation) const
{
    const NodeId n = ObjectAccess::node(mObject);
    if (!n.valid())
        return MStatus::kInvalidParameter;
    orientation = MEulerRotation(triple(n, "jointOrient", 0.0));
    return MStatus::kSuccess;
}

MStatus MFnIkJoint::setOrientation(const MEulerRotation& orientation)
{
    const NodeId n = ObjectAccess::node(mObject);
    if (!n.valid())
        return MStatus::kInvalidParameter;
    const MEulerRotation xyz = orientation.reorder(MEulerRotation::kXYZ);
    return writeTriple(n, "jointOrient", MVector(xyz.x, xyz.y, xyz.z));
}

MStatus MFnIkJoint::getOrientation(MQuaternion& orientation) const
{
    MEulerRotation e;
    const MStatus s = getOrientation(e);
    if (s)
        orientation = e.asQuaternion();
    return s;
}

MStatus MFnIkJoint::setOrientation(const MQuaternion& orientation)
{
    return setOrientation(MEulerRotation::decompose(orientation.asMatrix(), MEulerRotation::kXYZ));
}
