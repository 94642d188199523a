// Matrices, rotations, transformations and units, checked against
// hand-computed points.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include <vesk/MAngle.h>
#include <vesk/MDistance.h>
#include <vesk/MEulerRotation.h>
#include <vesk/MMatrix.h>
#include <vesk/MPoint.h>
#include <vesk/MQuaternion.h>
#include <vesk/MTransformationMatrix.h>

#include "math_values.h"

namespace {

void expectPoint(const MPoint& p, double x, double y, double z)
{
    EXPECT_NEAR(p.x, x, 1e-12);
    EXPECT_NEAR(p.y, y, 1e-12);
    EXPECT_NEAR(p.z, z, 1e-12);
}

// Euler XYZ degrees of a rotation matrix, the way the export reads a world
// matrix: x = atan2(M12, M22), y = -asin(M02), z = atan2(M01, M00), with its
// rule at +-90 degrees about Y.
void exportAngles(const MMatrix& m, double out[3])
{
    const double r = 180.0 / kPi;
    if (m(0, 2) >= 0.999999) {
        out[0] = std::atan2(-m(2, 1), -m(2, 0)) * r;
        out[1] = -90.0;
        out[2] = 0.0;
    } else if (m(0, 2) <= -0.999999) {
        out[0] = std::atan2(m(1, 0), m(1, 1)) * r;
        out[1] = 90.0;
        out[2] = 0.0;
    } else {
        out[0] = std::atan2(m(1, 2), m(2, 2)) * r;
        out[1] = -std::asin(m(0, 2)) * r;
        out[2] = std::atan2(m(0, 1), m(0, 0)) * r;
    }
}

} // namespace

TEST(MatrixTest, AProductAppliesItsLeftOperandFirst)
{
    const MMatrix quarterZ = MEulerRotation(0, 0, kPi / 2).asMatrix();
    const MMatrix shift = translation(10, 0, 0);
    expectPoint(MPoint(1, 0, 0) * (quarterZ * shift), 10, 1, 0);
    expectPoint(MPoint(1, 0, 0) * (shift * quarterZ), 0, 11, 0);
}

TEST(MatrixTest, InverseUndoesAnAffineMatrixAndASingularOneGivesIdentity)
{
    const MMatrix m = MEulerRotation(0.3, -1.1, 2.0).asMatrix() * translation(4, -2, 9);
    EXPECT_TRUE((m * m.inverse()).isEquivalent(MMatrix::identity, 1e-12));
    MMatrix flat;
    flat(1, 1) = 0.0;
    EXPECT_TRUE(flat.isSingular());
    EXPECT_TRUE(flat.inverse() == MMatrix::identity);
    EXPECT_NEAR(m.det4x4(), 1.0, 1e-12);
}

TEST(QuaternionTest, QuarterTurnsGiveTheAxisMatrices)
{
    // Row vectors: the X axis of a quarter turn about Z becomes (0, 1, 0).
    const struct {
        MVector axis;
        MPoint in;
        double x, y, z;
    } cases[] = {
        {MVector(0, 0, 1), MPoint(1, 0, 0), 0, 1, 0},
        {MVector(1, 0, 0), MPoint(0, 1, 0), 0, 0, 1},
        {MVector(0, 1, 0), MPoint(0, 0, 1), 1, 0, 0},
    };
    for (const auto& c : cases)
        expectPoint(c.in * MQuaternion(kPi / 2, c.axis).asMatrix(), c.x, c.y, c.z);
}

TEST(QuaternionTest, ProductsAndMatrixRoundTripsAgreeWithMatrices)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> angle(-kPi, kPi);
    for (int i = 0; i < 200; ++i) {
        const MQuaternion a = MEulerRotation(angle(random), angle(random), angle(random)).asQuaternion();
        const MQuaternion b = MEulerRotation(angle(random), angle(random), angle(random)).asQuaternion();
        EXPECT_TRUE((a * b).asMatrix().isEquivalent(a.asMatrix() * b.asMatrix(), 1e-12));
        MQuaternion back;
        back = a.asMatrix();
        EXPECT_TRUE(back.isEquivalent(a, 1e-12));
    }
    // Half turns reach the other branches of the matrix conversion.
    for (const MVector& axis : {MVector(1, 0, 0), MVector(0, 1, 0), MVector(0, 0, 1)}) {
        MQuaternion q(kPi, axis), back;
        back = q.asMatrix();
        EXPECT_TRUE(back.isEquivalent(q, 1e-12));
    }
}

TEST(EulerTest, EachOrderTurnsItsFirstAxisFirst)
{
    // (0, 1, 0) turned 90 degrees about X then Y: (0, 0, 1), then (1, 0, 0).
    expectPoint(MPoint(0, 1, 0) * MEulerRotation(kPi / 2, kPi / 2, 0, MEulerRotation::kXYZ).asMatrix(), 1, 0, 0);
    // About Y first: (0, 1, 0) stays, then X takes it to (0, 0, 1).
    expectPoint(MPoint(0, 1, 0) * MEulerRotation(kPi / 2, kPi / 2, 0, MEulerRotation::kYXZ).asMatrix(), 0, 0, 1);
}

TEST(EulerTest, DecomposeRecoversTheAnglesInEveryOrder)
{
    // Within +-90 degrees, so the middle angle of every order is the principal one.
    const double angles[][3] = {{0.3, -0.7, 1.2}, {-1.5, 0.4, 0.1}, {1.0, 1.2, -1.4}, {0, 0, 0}};
    for (int order = MEulerRotation::kXYZ; order <= MEulerRotation::kZYX; ++order)
        for (const auto& a : angles) {
            const MEulerRotation r(a[0], a[1], a[2], static_cast<MEulerRotation::RotationOrder>(order));
            const MEulerRotation back = MEulerRotation::decompose(r.asMatrix(), r.order);
            EXPECT_TRUE(back.isEquivalent(r, 1e-9)) << "order " << order;
            // Another order gives the same rotation.
            const MEulerRotation other = r.reorder(MEulerRotation::kZXY);
            EXPECT_TRUE(other.asMatrix().isEquivalent(r.asMatrix(), 1e-12));
        }
}

TEST(EulerTest, AQuarterTurnAboutTheMiddleAxisKeepsTheMatrix)
{
    for (int order = MEulerRotation::kXYZ; order <= MEulerRotation::kZYX; ++order) {
        MEulerRotation r(0.4, 0.4, 0.4, static_cast<MEulerRotation::RotationOrder>(order));
        // Put +-90 degrees on the middle axis of this order.
        const int middle[] = {1, 2, 0, 2, 0, 1};
        (middle[order] == 0 ? r.x : middle[order] == 1 ? r.y : r.z) = kPi / 2;
        const MEulerRotation back = MEulerRotation::decompose(r.asMatrix(), r.order);
        EXPECT_TRUE(back.asMatrix().isEquivalent(r.asMatrix(), 1e-9)) << "order " << order;
    }
}

TEST(TransformationMatrixTest, APointMeetsPivotsScaleRotationAndTranslationInOrder)
{
    MTransformationMatrix t;
    const double scale[3] = {2, 1, 1};
    t.setScale(scale, MSpace::kTransform);
    t.setScalePivot(MPoint(1, 0, 0), MSpace::kTransform);
    t.setScalePivotTranslation(MVector(0, 0, 5), MSpace::kTransform);
    t.rotateTo(MEulerRotation(0, 0, kPi / 2));
    t.setRotatePivot(MPoint(0, 1, 0), MSpace::kTransform);
    t.setRotatePivotTranslation(MVector(3, 0, 0), MSpace::kTransform);
    t.setTranslation(MVector(0, 0, 10), MSpace::kTransform);
    // (2,0,0) -sp (1,0,0) *s (2,0,0) +sp (3,0,0) +spt (3,0,5) -rp (3,-1,5)
    // turn (1,3,5) +rp (1,4,5) +rpt (4,4,5) +t (4,4,15).
    expectPoint(MPoint(2, 0, 0) * t.asMatrix(), 4, 4, 15);
}

TEST(TransformationMatrixTest, RotateAxisTurnsBeforeTheRotationAndJointOrientAfter)
{
    MTransformationMatrix t;
    t.setRotateOrientation(MQuaternion(kPi / 2, MVector(1, 0, 0)), MSpace::kTransform);
    t.rotateTo(MEulerRotation(0, kPi / 2, 0));
    t.setJointOrientation(MQuaternion(kPi / 2, MVector(0, 0, 1)));
    // (0,1,0): about X to (0,0,1), about Y to (1,0,0), about Z to (0,1,0).
    expectPoint(MPoint(0, 1, 0) * t.asMatrix(), 0, 1, 0);
}

TEST(TransformationMatrixTest, TurningTheIdentityGivesTheExportAngles)
{
    const struct {
        MEulerRotation by;
        double angles[3];
    } cases[] = {
        {MEulerRotation(kPi / 2, 0, 0), {90, 0, 0}},
        {MEulerRotation(0, kPi / 2, 0), {0, 90, 0}},
    };
    for (const auto& c : cases) {
        MTransformationMatrix t;
        MStatus s;
        t.rotateBy(c.by, MSpace::kTransform, &s);
        ASSERT_TRUE(s);
        double got[3];
        exportAngles(t.asMatrix(), got);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(got[i], c.angles[i], 1e-9);
    }
}

TEST(TransformationMatrixTest, RotateByTurnsFirstAndOnlyInTransformSpace)
{
    MTransformationMatrix t;
    t.rotateTo(MEulerRotation(0, 0, kPi / 2));
    t.rotateBy(MEulerRotation(kPi / 2, 0, 0), MSpace::kTransform);
    // X first: (0,1,0) -> (0,0,1); then Z leaves it.
    expectPoint(MPoint(0, 1, 0) * t.asMatrix(), 0, 0, 1);
    const MMatrix before = t.asMatrix();
    MStatus s;
    t.rotateBy(MEulerRotation(1, 0, 0), MSpace::kWorld, &s);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(t.asMatrix() == before);
}

TEST(TransformationMatrixTest, AMatrixDecomposesIntoItsParts)
{
    MTransformationMatrix t;
    t.rotateTo(MEulerRotation(0.2, -0.4, 1.0));
    const double scale[3] = {1, -2, 3};
    t.setScale(scale, MSpace::kTransform);
    t.setTranslation(MVector(5, 6, 7), MSpace::kTransform);
    const MTransformationMatrix back(t.asMatrix());
    EXPECT_TRUE(back.asMatrix().isEquivalent(t.asMatrix(), 1e-12));
    double s[3];
    back.getScale(s, MSpace::kTransform);
    // A mirror shows as all three scales negated.
    EXPECT_LT(s[0], 0);
    EXPECT_LT(s[1], 0);
    EXPECT_LT(s[2], 0);
    MTransformationMatrix r = back;
    ASSERT_TRUE(r.reorderRotation(MTransformationMatrix::kZYX));
    EXPECT_EQ(r.rotationOrder(), MTransformationMatrix::kZYX);
    EXPECT_TRUE(r.asMatrix().isEquivalent(back.asMatrix(), 1e-12));
    EXPECT_EQ(r.reorderRotation(MTransformationMatrix::kInvalid).statusCode(), MStatus::kInvalidParameter);
}

TEST(UnitsTest, AnglesAndDistancesConvertAndTheUnitsStartAsDocumented)
{
    EXPECT_EQ(MDistance::uiUnit(), MDistance::kCentimeters);
    EXPECT_EQ(MAngle::uiUnit(), MAngle::kDegrees);
    EXPECT_EQ(MAngle::internalUnit(), MAngle::kRadians);
    EXPECT_NEAR(MAngle(180, MAngle::kDegrees).asRadians(), kPi, 1e-15);
    EXPECT_NEAR(MAngle(60, MAngle::kAngMinutes).asDegrees(), 1.0, 1e-12);
    EXPECT_NEAR(MDistance(1, MDistance::kMiles).asCentimeters(), 160934.4, 1e-9);
    EXPECT_NEAR(MDistance(254, MDistance::kCentimeters).as(MDistance::kInches), 100.0, 1e-12);
    EXPECT_EQ(MDistance::setUIUnit(MDistance::kInvalid).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(MAngle::setUIUnit(MAngle::kLast).statusCode(), MStatus::kInvalidParameter);
    ASSERT_TRUE(MDistance::setUIUnit(MDistance::kMeters));
    EXPECT_EQ(MDistance::uiUnit(), MDistance::kMeters);
    MDistance::setUIUnit(MDistance::kCentimeters);
}

TEST(VectorTest, PointsAndVectorsFollowTheirArithmetic)
{
    const MVector x(1, 0, 0), y(0, 1, 0);
    EXPECT_TRUE((x ^ y) == MVector(0, 0, 1));
    EXPECT_EQ(MVector(1, 2, 3) * MVector(4, 5, 6), 32.0);
    EXPECT_TRUE(MVector(3, 0, 4).normal().isEquivalent(MVector(0.6, 0, 0.8)));
    EXPECT_TRUE(MVector().normal() == MVector());
    EXPECT_EQ(MVector(3, 0, 4).length(), 5.0);
    // Vectors ignore translation; points carry w.
    const MMatrix shift = translation(1, 2, 3);
    EXPECT_TRUE(MVector(1, 1, 1) * shift == MVector(1, 1, 1));
    expectPoint(MPoint(1, 1, 1) * shift, 2, 3, 4);
    EXPECT_EQ((MPoint(1, 1, 1, 0) * shift).x, 1.0);
    MPoint h(2, 4, 6, 2);
    h.cartesianize();
    EXPECT_TRUE(h == MPoint(1, 2, 3, 1));
    EXPECT_EQ(MPoint(0, 3, 0).distanceTo(MPoint(4, 0, 0)), 5.0);
    EXPECT_TRUE(MPoint(1, 2, 3) * 2.0 == MPoint(2, 4, 6, 1));
    EXPECT_TRUE(MPoint(1, 1, 1) - MPoint(0, 1, 2) == MVector(1, 0, -1));
}

TEST(VectorDeathTest, ComponentIndicesPastTheEndAbort)
{
    MVector v;
    MPoint p;
    MMatrix m;
    EXPECT_DEATH(v[3] = 1, "MVector: index 3 out of range");
    EXPECT_DEATH(p[4] = 1, "MPoint: index 4 out of range");
    EXPECT_DEATH(m(4, 0) = 1, "MMatrix: index 4 out of range");
}

TEST(QuaternionTest, InverseAxisAndAngleDescribeTheSameTurn)
{
    const MQuaternion q(2.0, MVector(1, 2, 2));
    EXPECT_TRUE((q * q.inverse()).isEquivalent(MQuaternion::identity, 1e-12));
    MVector axis;
    double angle = 0;
    ASSERT_TRUE(q.getAxisAngle(axis, angle));
    EXPECT_NEAR(angle, 2.0, 1e-12);
    EXPECT_TRUE(axis.isEquivalent(MVector(1, 2, 2).normal(), 1e-12));
    // The same turn written with all four numbers negated.
    EXPECT_TRUE(q.isEquivalent(MQuaternion(-q.x, -q.y, -q.z, -q.w)));
    EXPECT_TRUE(MQuaternion(0.0, MVector()).isEquivalent(MQuaternion::identity));
    const MMatrix m = q.asMatrix();
    EXPECT_TRUE(m.transpose().isEquivalent(q.inverse().asMatrix(), 1e-12));
    EXPECT_NEAR(m.det3x3(), 1.0, 1e-12);
}
