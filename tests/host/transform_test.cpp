// Transforms and joints by their parts: rotation orders, pivots, limits,
// spaces and locks.
#include <cmath>

#include <vesk/MFnIkJoint.h>
#include <vesk/MFnTransform.h>
#include <vesk/MMatrix.h>

#include "host_fixture.h"
#include "math_values.h"

namespace {

using TransformTest = HostTest;

MMatrix scaling(double x, double y, double z)
{
    MMatrix m;
    m(0, 0) = x;
    m(1, 1) = y;
    m(2, 2) = z;
    return m;
}

} // namespace

TEST_F(TransformTest, TheLocalMatrixMeetsItsPartsInOrder)
{
    MFnIkJoint j;
    j.create();
    const double angles[3] = {0.3, -0.2, 0.9};
    const double s[3] = {2.0, 0.5, 1.5};
    ASSERT_TRUE(j.setTranslation(MVector(1, 2, 3), MSpace::kTransform));
    ASSERT_TRUE(j.setRotation(angles, MTransformationMatrix::kZXY));
    ASSERT_TRUE(j.setScale(s));
    const MQuaternion axis = MEulerRotation(0.1, 0.2, 0.3).asQuaternion();
    ASSERT_TRUE(j.setRotateOrientation(axis, MSpace::kTransform, false));
    ASSERT_TRUE(j.setOrientation(MEulerRotation(0.0, 0.0, kPi / 2)));
    ASSERT_TRUE(j.setRotatePivot(MPoint(1, 0, 0), MSpace::kTransform, false));
    ASSERT_TRUE(j.setRotatePivotTranslation(MVector(0, 1, 0), MSpace::kTransform));
    ASSERT_TRUE(j.setScalePivot(MPoint(0, 0, 2), MSpace::kTransform, false));
    ASSERT_TRUE(j.setScalePivotTranslation(MVector(3, 0, 0), MSpace::kTransform));
    // Built independently: a point meets each part in turn (row vectors).
    const MMatrix expected = translation(0, 0, -2) * scaling(2.0, 0.5, 1.5) * translation(0, 0, 2) *
                             translation(3, 0, 0) * translation(-1, 0, 0) * MEulerRotation(0.1, 0.2, 0.3).asMatrix() *
                             MEulerRotation(0.3, -0.2, 0.9, MEulerRotation::kZXY).asMatrix() *
                             MEulerRotation(0.0, 0.0, kPi / 2).asMatrix() * translation(1, 0, 0) *
                             translation(0, 1, 0) * translation(1, 2, 3);
    EXPECT_TRUE(j.transformation().asMatrix().isEquivalent(expected, 1e-12));
    MDagPath p;
    j.getPath(p);
    EXPECT_TRUE(p.inclusiveMatrix().isEquivalent(expected, 1e-12));
    EXPECT_EQ(j.rotationOrder(), MTransformationMatrix::kZXY);
}

TEST_F(TransformTest, RotationsKeepOrDropTheirOrder)
{
    MFnTransform t;
    t.create();
    MEulerRotation r;
    // Setting angles with an order sets the order; the codes run 1 to 6.
    const MTransformationMatrix::RotationOrder orders[] = {MTransformationMatrix::kXYZ, MTransformationMatrix::kYZX,
                                                           MTransformationMatrix::kZXY, MTransformationMatrix::kXZY,
                                                           MTransformationMatrix::kYXZ, MTransformationMatrix::kZYX};
    for (MTransformationMatrix::RotationOrder order : orders) {
        const double angles[3] = {0.1, 0.2, 0.3};
        ASSERT_TRUE(t.setRotation(angles, order));
        EXPECT_EQ(plug("transform1.rotateOrder").asInt(), static_cast<int>(order));
        t.getRotation(r);
        EXPECT_EQ(r.order, static_cast<int>(order) - 1);
    }
    // Reordering keeps the rotation, a plain order change keeps the angles.
    const MMatrix before = t.transformation().asMatrix();
    ASSERT_TRUE(t.setRotationOrder(MTransformationMatrix::kYXZ, true));
    EXPECT_TRUE(t.transformation().asMatrix().isEquivalent(before, 1e-12));
    MEulerRotation reordered;
    t.getRotation(reordered);
    ASSERT_TRUE(t.setRotationOrder(MTransformationMatrix::kXYZ, false));
    t.getRotation(r);
    EXPECT_EQ(r.order, MEulerRotation::kXYZ);
    EXPECT_EQ(r.x, reordered.x);
    EXPECT_EQ(r.z, reordered.z);
    // A quaternion round trip keeps the rotation in the current order.
    ASSERT_TRUE(t.setRotationQuaternion(0.0, std::sin(0.25), 0.0, std::cos(0.25)));
    double x, y, z, w;
    ASSERT_TRUE(t.getRotationQuaternion(x, y, z, w));
    EXPECT_NEAR(y, std::sin(0.25), 1e-12);
    EXPECT_NEAR(w, std::cos(0.25), 1e-12);
    EXPECT_NEAR(plug("transform1.ry").asDouble(), 0.5, 1e-12);
    EXPECT_EQ(t.setRotationOrder(static_cast<MTransformationMatrix::RotationOrder>(7), true).statusCode(),
              MStatus::kInvalidParameter);
}

TEST_F(TransformTest, BalancedPivotsKeepTheMatrix)
{
    MFnTransform t;
    t.create();
    const double angles[3] = {0.4, 0.5, -0.3};
    const double s[3] = {2, 3, 4};
    t.setRotation(angles, MTransformationMatrix::kXYZ);
    t.setScale(s);
    t.setRotateOrientation(MEulerRotation(0.2, 0, 0).asQuaternion(), MSpace::kTransform, false);
    const MMatrix before = t.transformation().asMatrix();
    ASSERT_TRUE(t.setRotatePivot(MPoint(1, 2, 3), MSpace::kTransform, true));
    ASSERT_TRUE(t.setScalePivot(MPoint(-1, 0, 5), MSpace::kTransform, true));
    ASSERT_TRUE(t.setRotateOrientation(MEulerRotation(0, 0.7, 0).asQuaternion(), MSpace::kTransform, true));
    EXPECT_TRUE(t.transformation().asMatrix().isEquivalent(before, 1e-9));
    EXPECT_EQ(t.rotatePivot(MSpace::kTransform), MPoint(1, 2, 3));
    EXPECT_EQ(t.scalePivot(MSpace::kObject), MPoint(-1, 0, 5));
}

TEST_F(TransformTest, LimitsAreKeptPerCode)
{
    MFnTransform t;
    t.create();
    // Each code has its own value and switch, rotations in radians.
    for (int code = 0; code < 24; ++code) {
        const MFnTransform::LimitType type = static_cast<MFnTransform::LimitType>(code);
        EXPECT_FALSE(t.isLimited(type)) << code;
        ASSERT_TRUE(t.setLimit(type, code + 0.5));
        ASSERT_TRUE(t.enableLimit(type, code % 3 == 0));
    }
    for (int code = 0; code < 24; ++code) {
        const MFnTransform::LimitType type = static_cast<MFnTransform::LimitType>(code);
        EXPECT_EQ(t.limitValue(type), code + 0.5) << code;
        EXPECT_EQ(t.isLimited(type), code % 3 == 0) << code;
    }
    EXPECT_EQ(plug("transform1.minRotateXLimit").asDouble(), 12.5);
    EXPECT_EQ(plug("transform1.maxTranslateZLimitEnable").asBool(), false);
    EXPECT_EQ(plug("transform1.minTranslateXLimitEnable").asBool(), true);
    for (int bad : {-1, 24}) {
        MStatus s;
        t.limitValue(static_cast<MFnTransform::LimitType>(bad), &s);
        EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
        EXPECT_EQ(t.enableLimit(static_cast<MFnTransform::LimitType>(bad), true).statusCode(),
                  MStatus::kInvalidParameter);
    }
}

TEST_F(TransformTest, OtherSpacesAndLockedPlugsChangeNothing)
{
    MFnTransform t;
    t.create();
    t.setTranslation(MVector(1, 2, 3), MSpace::kTransform);
    MStatus s;
    t.translation(MSpace::kWorld, &s);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(t.setTranslation(MVector(9, 9, 9), MSpace::kWorld).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(t.setRotatePivot(MPoint(1, 1, 1), MSpace::kPostTransform, false).statusCode(),
              MStatus::kInvalidParameter);
    // One locked axis refuses the whole vector.
    plug("transform1.ty").setLocked(true);
    EXPECT_EQ(t.setTranslation(MVector(5, 5, 5), MSpace::kObject).statusCode(), MStatus::kFailure);
    EXPECT_EQ(t.translation(MSpace::kObject), MVector(1, 2, 3));
    // A transformation set as a whole is refused the same way.
    MTransformationMatrix m;
    m.setTranslation(MVector(4, 4, 4), MSpace::kTransform);
    EXPECT_EQ(t.set(m).statusCode(), MStatus::kFailure);
    plug("transform1.ty").setLocked(false);
    ASSERT_TRUE(t.set(m));
    EXPECT_EQ(t.translation(MSpace::kTransform), MVector(4, 4, 4));
}

TEST_F(TransformTest, CreatorsNameAndPlaceTheirNodes)
{
    MFnTransform t;
    const MObject group = t.create();
    EXPECT_EQ(nameOf(group), "transform1");
    MFnIkJoint j;
    const MObject joint = j.create(group);
    EXPECT_EQ(nameOf(joint), "joint1");
    EXPECT_EQ(j.fullPathName(), MString("|transform1|joint1"));
    EXPECT_EQ(MFnDagNode(joint).findPlug("bindPose").isNull(), false);
    MStatus s;
    EXPECT_TRUE(j.create(object("defaultShaderList1"), &s).isNull());
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    // A transform path binds; a shape path does not.
    MFnTransform byPath(path("|transform1|joint1"), &s);
    EXPECT_TRUE(s);
    MFnTransform shape(path("perspShape"), &s);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
}
