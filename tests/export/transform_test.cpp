// Transforms as read back: default translation, rotation and scaling, the
// rotation order, pivots, limits and visibility.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include <vesk/MEulerRotation.h>
#include <vesk/MFnIkJoint.h>

#include "export/export_fixture.h"
#include "plugin/qelvesknode.h"
#include "scene/kqellimits.h"

using namespace qelsdk_600;

namespace {

const double kDegree = 0.017453292519943295;

void ExpectVector(const KQelVector4& pActual, double pX, double pY, double pZ, const char* pWhat)
{
    EXPECT_NEAR(pActual[0], pX, 1e-9) << pWhat;
    EXPECT_NEAR(pActual[1], pY, 1e-9) << pWhat;
    EXPECT_NEAR(pActual[2], pZ, 1e-9) << pWhat;
}

}  // namespace

TEST_F(ExportTest, DefaultTransformsAreFloatsInDegreesSaturated)
{
    make("transform", "t");
    MFnTransform t = Transform("t");
    t.setTranslation(MVector(1.5, -2.0, 3.0), MSpace::kTransform);
    t.setRotation(MEulerRotation(0.5, -0.25, 1.0));
    const double scale[3] = {1.0, 2.0, 0.5};
    t.setScale(scale);
    make("transform", "far");
    Transform("far").setTranslation(MVector(1e300, -1e300, 1e-300), MSpace::kTransform);
    ASSERT_TRUE(ExportAndRead());
    KQelVector4 v;
    ExpectVector(Node("t")->GetDefaultT(v), 1.5, -2.0, 3.0, "translation");
    Node("t")->GetDefaultR(v);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(v[i], double(float((i == 0 ? 0.5 : i == 1 ? -0.25 : 1.0) * 57.29577951308232))) << i;
    ExpectVector(Node("t")->GetDefaultS(v), 1.0, 2.0, 0.5, "scaling");
    Node("far")->GetDefaultT(v);
    EXPECT_EQ(v[0], double(FLT_MAX));
    EXPECT_EQ(v[1], -double(FLT_MAX));
    EXPECT_EQ(v[2], 0.0);
}

TEST_F(ExportTest, RotationOrdersMapOntoTheSdkOrders)
{
    const ERotationOrder expected[] = {eEulerXYZ, eEulerYZX, eEulerZXY, eEulerXZY, eEulerYXZ, eEulerZYX};
    for (int order = 1; order <= 6; ++order) {
        const std::string name = "o" + std::to_string(order);
        make("transform", name.c_str());
        ASSERT_TRUE(Transform(name.c_str()).setRotationOrder(MTransformationMatrix::RotationOrder(order), false));
    }
    ASSERT_TRUE(ExportAndRead());
    for (int order = 1; order <= 6; ++order) {
        ERotationOrder read;
        Node("o" + std::to_string(order))->GetRotationOrder(KQelNode::eSourcePivot, read);
        EXPECT_EQ(read, expected[order - 1]) << order;
    }
}

TEST_F(ExportTest, PivotsGoIntoTheSourceSetWhichIsInUse)
{
    MFnIkJoint joint(make("joint", "j"));
    joint.setOrientation(MEulerRotation(0.0, 0.0, 90 * kDegree));
    ASSERT_TRUE(vesk::fixture::setNumber("j.rotateAxisZ", 30 * kDegree));
    joint.setRotatePivot(MPoint(1, 2, 3), MSpace::kTransform, false);
    joint.setRotatePivotTranslation(MVector(4, 5, 6), MSpace::kTransform);
    joint.setScalePivot(MPoint(7, 8, 9), MSpace::kTransform, false);
    joint.setScalePivotTranslation(MVector(-1, -2, -3), MSpace::kTransform);
    make("transform", "gimbal");
    ASSERT_TRUE(vesk::fixture::setNumber("gimbal.rotateAxisY", 90 * kDegree));
    make("transform", "plain");
    ASSERT_TRUE(ExportAndRead());

    KQelNode* j = Node("j");
    ExpectVector(j->GetPreRotation(KQelNode::eSourcePivot), 0, 0, 90, "joint orient");
    ExpectVector(j->GetPostRotation(KQelNode::eSourcePivot), 0, 0, -30, "rotate axis, inverted");
    ExpectVector(j->GetRotationPivot(KQelNode::eSourcePivot), 1, 2, 3, "rotate pivot");
    ExpectVector(j->GetRotationOffset(KQelNode::eSourcePivot), 4, 5, 6, "rotate pivot translation");
    ExpectVector(j->GetScalingPivot(KQelNode::eSourcePivot), 7, 8, 9, "scale pivot");
    ExpectVector(j->GetScalingOffset(KQelNode::eSourcePivot), -1, -2, -3, "scale pivot translation");
    ExpectVector(Node("gimbal")->GetPostRotation(KQelNode::eSourcePivot), 0, -90, 0, "gimbal");
    KQelNode::EPivotState state;
    j->GetPivotState(KQelNode::eSourcePivot, state);
    EXPECT_EQ(state, KQelNode::ePivotActive);
    EXPECT_TRUE(j->GetLimits().GetRotationLimitActive());
    // A file keeps a pivot set whose values are all neutral as not in use:
    // the plain group's state is seen on the exported node itself.
    QelVeskSdkManager manager(QelVeskSdkManager::eExport);
    const MDagPath plainPath = path("plain");
    QelVeskNode* plain = manager.CreateQelVeskNode("plain", &plainPath);
    QelVeskExport exporter;
    exporter.ExportPivots(*plain, KQelNode::eSourcePivot);
    plain->GetPivotState(KQelNode::eSourcePivot, state);
    EXPECT_EQ(state, KQelNode::ePivotActive);
    EXPECT_TRUE(plain->GetLimits().GetRotationLimitActive());
    ExpectVector(Node("plain")->GetPostRotation(KQelNode::eSourcePivot), 0, 0, 0, "no rotate axis");
}

TEST_F(ExportTest, LimitsKeepTheirAxesAndUnits)
{
    make("transform", "limited");
    MFnTransform t = Transform("limited");
    const struct {
        MFnTransform::LimitType type;
        double value;
    } limits[] = {{MFnTransform::kRotateMinX, -0.5},
                  {MFnTransform::kRotateMaxX, 1.0},
                  {MFnTransform::kTranslateMinY, -2.0},
                  {MFnTransform::kScaleMinZ, 0.1}};
    for (const auto& l : limits) {
        ASSERT_TRUE(t.setLimit(l.type, l.value));
        ASSERT_TRUE(t.enableLimit(l.type, true));
    }
    make("transform", "free");
    ASSERT_TRUE(ExportAndRead());

    const KQelNodeLimits& read = Node("limited")->GetLimits();
    const struct {
        const char* what;
        const KQelLimits& kind;
        bool maximum;
        bool flags[3];
        double values[3];
    } expected[] = {
        {"rotation min", read.mRotationLimits, false, {true, false, false}, {-28.64788975654116, 0, 0}},
        {"rotation max", read.mRotationLimits, true, {true, false, false}, {57.29577951308232, 0, 0}},
        {"translation min", read.mTranslationLimits, false, {false, true, false}, {0, -2, 0}},
        {"translation max", read.mTranslationLimits, true, {false, false, false}, {0, 0, 0}},
        {"scaling min", read.mScalingLimits, false, {false, false, true}, {0, 0, 0.1}},
    };
    for (const auto& e : expected) {
        bool x, y, z;
        if (e.maximum)
            e.kind.GetLimitMaxActive(x, y, z);
        else
            e.kind.GetLimitMinActive(x, y, z);
        EXPECT_EQ((std::vector<bool>{x, y, z}), (std::vector<bool>(e.flags, e.flags + 3))) << e.what;
        ExpectVector(e.maximum ? e.kind.GetLimitMax() : e.kind.GetLimitMin(), e.values[0], e.values[1],
                     e.values[2], e.what);
    }
    EXPECT_TRUE(read.GetTranslationLimitActive());
    EXPECT_TRUE(read.GetScalingLimitActive());
    const KQelNodeLimits& free = Node("free")->GetLimits();
    EXPECT_FALSE(free.GetTranslationLimitActive());
    EXPECT_FALSE(free.GetScalingLimitActive());
    EXPECT_FALSE(free.mRotationLimits.GetLimitSomethingActive());

    // The exporter's copy of a kind's limits keeps every flag and vector.
    KQelLimits copy(read.mRotationLimits);
    EXPECT_EQ(copy.GetLimitMin()[0], read.mRotationLimits.GetLimitMin()[0]);
    EXPECT_EQ(copy.GetLimitMax()[0], read.mRotationLimits.GetLimitMax()[0]);
    bool x, y, z;
    copy.GetLimitMaxActive(x, y, z);
    EXPECT_TRUE(x && !y && !z);
}

TEST_F(ExportTest, HiddenTransformsAreHidden)
{
    make("transform", "shown");
    make("transform", "hidden");
    ASSERT_TRUE(vesk::fixture::setNumber("hidden.visibility", 0));
    make("transform", "child", "hidden");
    ASSERT_TRUE(ExportAndRead());
    EXPECT_TRUE(Node("shown")->GetVisibility());
    EXPECT_FALSE(Node("hidden")->GetVisibility());
    EXPECT_TRUE(Node("child")->GetVisibility()) << "a transform is judged by its own attribute";
}
