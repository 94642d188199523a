// The rotation filters: gimbal killer, unroll, and the filter chosen by the
// global setting.
#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "filter_builders.h"
#include "node_builders.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvefiltergimblekiller.h"
#include "curves/kfcurvefilterunroll.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurvesettings.h"
#include "object/kdatatype.h"

namespace qelsdk_600 {
namespace {

using testing_curves::KeyDifference;
using testing_curves::NodePtr;
using testing_curves::Sec;
using testing_curves::Seconds;
using testing_curves::Values;

struct Key3 {
    double seconds;
    double x, y, z;
};

// Three curves of cubic auto keys.
struct Curves3 {
    explicit Curves3(std::initializer_list<Key3> keys)
    {
        for (const Key3& k : keys) {
            x.KeyAppendFast(Sec(k.seconds), static_cast<float>(k.x));
            y.KeyAppendFast(Sec(k.seconds), static_cast<float>(k.y));
            z.KeyAppendFast(Sec(k.seconds), static_cast<float>(k.z));
        }
    }
    KFCurve* operator[](int i) { return i == 0 ? &x : i == 1 ? &y : &z; }

    KFCurve x;
    KFCurve y;
    KFCurve z;
};

// A rotation node "R" (layer type 2) whose X, Y, Z children own copies of
// the curves.
NodePtr RotationNode(Curves3& curves, int layerType = kFCurveNodeLayerEulerRotation)
{
    NodePtr node(KFCurveNodeCreate("R", nullptr, layerType));
    const char* names[3] = {"X", "Y", "Z"};
    for (int axis = 0; axis < 3; ++axis) {
        KFCurveNode* child = KFCurveNodeCreate(names[axis], KDataTypeNumber::DataType);
        KFCurve* copy = KFCurveCreate();
        copy->CopyFrom(*curves[axis], true);
        child->FCurveSet(copy, false);
        node->Add(child);
    }
    return node;
}

double SquaredDistance(KFCurve** curves, int a, int b)
{
    double sum = 0.0;
    for (int axis = 0; axis < 3; ++axis) {
        const double d = curves[axis]->KeyGetValue(a) - curves[axis]->KeyGetValue(b);
        sum += d * d;
    }
    return sum;
}

TEST(KFCurveFilterGimbleKiller, WrapsAroundAndInsertsKeysAlongTheShortestTurn)
{
    Curves3 curves({{0, 170, 0, 0}, {1, -170, 0, 0}});
    KFCurve* array[] = {curves[0], curves[1], curves[2]};
    KFCurveFilterGimbleKiller filter;
    ASSERT_TRUE(filter.Apply(array, 3));
    const std::vector<double> times = Seconds(curves.x);
    ASSERT_EQ(times.size(), 4u);
    EXPECT_NEAR(times[1], 0.25, 1e-6);
    EXPECT_NEAR(times[2], 0.625, 1e-6);
    const std::vector<float> x = Values(curves.x);
    EXPECT_NEAR(x[0], 170.0f, 1e-3);
    EXPECT_NEAR(x[1], 175.0f, 0.1);
    EXPECT_NEAR(x[2], 182.5f, 0.1);
    EXPECT_NEAR(x[3], 190.0f, 1e-3);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(curves.y.KeyGetValue(i), 0.0f, 1e-3);
        EXPECT_EQ(curves.x.KeyGetInterpolation(i), kFCurveInterpolationCubic);
    }
}

TEST(KFCurveFilterGimbleKiller, TakesTheFlippedFormWhenItIsNearer)
{
    Curves3 curves({{0, 0, 0, 0}, {1, 180, 180, 180}});
    KFCurve* array[] = {curves[0], curves[1], curves[2]};
    KFCurveFilterGimbleKiller filter;
    ASSERT_TRUE(filter.Apply(array, 3));
    ASSERT_EQ(curves.x.KeyGetCount(), 2);
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_NEAR(curves[axis]->KeyGetValue(1), 0.0f, 1e-3);
}

TEST(KFCurveFilterGimbleKiller, SubdividesUntilConsecutiveKeysAreClose)
{
    Curves3 curves({{0, 0, 0, 0}, {1, 30, 0, 0}});
    KFCurve* array[] = {curves[0], curves[1], curves[2]};
    KFCurveFilterGimbleKiller filter;
    ASSERT_TRUE(filter.Apply(array, 3));
    ASSERT_GT(curves.x.KeyGetCount(), 2);
    for (int i = 1; i < curves.x.KeyGetCount(); ++i) {
        EXPECT_LT(SquaredDistance(array, i - 1, i), 75.0) << i;
        EXPECT_LT(curves.x.KeyGetTime(i - 1), curves.x.KeyGetTime(i));
    }
    EXPECT_NEAR(curves.x.KeyGetValue(curves.x.KeyGetCount() - 1), 30.0f, 1e-3);
}

TEST(KFCurveFilterGimbleKiller, NeverSubdividesKeysCloserThanASmallestStep)
{
    Curves3 curves({{0, 0, 0, 0}, {0.0005, 90, 0, 0}});
    KFCurve* array[] = {curves[0], curves[1], curves[2]};
    KFCurveFilterGimbleKiller filter;
    ASSERT_TRUE(filter.Apply(array, 3));
    EXPECT_EQ(curves.x.KeyGetCount(), 2);
}

TEST(KFCurveFilterGimbleKiller, SphericalOrderSkipsContinuityButSubdivides)
{
    Curves3 curves({{0, 170, 0, 0}, {1, -170, 0, 0}});
    NodePtr node = RotationNode(curves);
    node->SetRotationOrder(kFCurveNodeSphericalXYZ);
    KFCurveFilterGimbleKiller filter;
    ASSERT_TRUE(filter.Apply(*node, true));
    KFCurve* x = node->Get(0)->FCurveGet();
    EXPECT_GT(x->KeyGetCount(), 2);
    EXPECT_NEAR(x->KeyGetValue(x->KeyGetCount() - 1), -170.0f, 1e-3);
}

TEST(KFCurveFilterGimbleKiller, SynchronisesTheThreeCurvesFirst)
{
    Curves3 curves({{0, 0, 0, 0}, {1, 5, 0, 0}});
    curves.y.KeyAdd(Sec(0.5));
    KFCurve* array[] = {curves[0], curves[1], curves[2]};
    KFCurveFilterGimbleKiller filter;
    ASSERT_TRUE(filter.Apply(array, 3));
    EXPECT_EQ(Seconds(curves.x), (std::vector<double>{0, 0.5, 1}));
    EXPECT_EQ(Seconds(curves.z), (std::vector<double>{0, 0.5, 1}));

    // Without the synchronisation, curves of different key counts are
    // refused rather than read past their keys.
    Curves3 uneven({{0, 0, 0, 0}, {1, 5, 0, 0}});
    uneven.z.KeyRemove(1);
    KFCurve* unevenArray[] = {uneven[0], uneven[1], uneven[2]};
    filter.SetApplyKeySyncFilter(false);
    KFCurve before;
    before.CopyFrom(uneven.x, true);
    EXPECT_FALSE(filter.Apply(unevenArray, 3));
    EXPECT_EQ(KeyDifference(before, uneven.x), "");
}

TEST(KFCurveFilterGimbleKiller, RefusesWhatIsNotThreeRotationCurves)
{
    KFCurveFilterGimbleKiller filter;
    Curves3 curves({{0, 0, 0, 0}, {1, 90, 0, 0}});
    KFCurve* array[] = {curves[0], curves[1], curves[2]};
    EXPECT_FALSE(filter.Apply(array, 2));
    EXPECT_EQ(filter.GetLastErrorID(), 2);
    EXPECT_STREQ(filter.GetLastErrorString(), "Need 3 KFCurve to apply a gimble killer filter.");
    EXPECT_FALSE(filter.Apply(curves.x));
    EXPECT_STREQ(filter.GetLastErrorString(), "Not 3 curve");

    NodePtr plain = RotationNode(curves, kFCurveNodeLayerAdditive);
    EXPECT_FALSE(filter.Apply(*plain, true));
    EXPECT_EQ(filter.GetLastErrorID(), 3);
    EXPECT_STREQ(filter.GetLastErrorString(), "Gimble Killer. Not a Rotation node!");

    NodePtr two = RotationNode(curves);
    two->Delete(2);
    EXPECT_FALSE(filter.Apply(*two, true));
    EXPECT_STREQ(filter.GetLastErrorString(), "Gimble Killer. ioCurveNode does not have 3 childs.");

    Curves3 empty({});
    KFCurve* emptyArray[] = {empty[0], empty[1], empty[2]};
    EXPECT_FALSE(filter.Apply(emptyArray, 3));
    EXPECT_EQ(filter.GetLastErrorID(), 0);
    EXPECT_STREQ(filter.GetLastErrorString(), "No key");
}

TEST(KFCurveFilterUnroll, MakesEachKeyContinuousWithThePreviousOne)
{
    Curves3 curves({{0, 170, 0, 0}, {1, -170, 0, 0}, {2, -150, 0, 0}});
    KFCurve* array[] = {curves[0], curves[1], curves[2]};
    KFCurveFilterUnroll filter;
    ASSERT_TRUE(filter.Apply(array, 3));
    EXPECT_EQ(Values(curves.x), (std::vector<float>{170, 190, 210}));
    EXPECT_EQ(Seconds(curves.x), (std::vector<double>{0, 1, 2}));

    // Key 0 is unrolled against (0, 0, 0).
    Curves3 first({{0, 350, 0, 0}, {1, 340, 0, 0}});
    KFCurve* firstArray[] = {first[0], first[1], first[2]};
    ASSERT_TRUE(filter.Apply(firstArray, 3));
    EXPECT_EQ(Values(first.x), (std::vector<float>{-10, -20}));
}

TEST(KFCurveFilterUnroll, ASingleKeyInTheRangeIsLeftAlone)
{
    Curves3 curves({{0, 350, 0, 0}});
    KFCurve* array[] = {curves[0], curves[1], curves[2]};
    KFCurveFilterUnroll filter;
    EXPECT_TRUE(filter.Apply(array, 3));
    EXPECT_EQ(curves.x.KeyGetValue(0), 350.0f);
}

TEST(KFCurveFilterUnroll, QualityFactorComparesTheRealTurnWithTheEulerPath)
{
    KFCurveFilterUnroll filter;
    EXPECT_EQ(filter.InterpolationQualityFactor(KgeRVector(10, 20, 30), KgeRVector(10, 20, 30)), 100.0);
    EXPECT_NEAR(filter.InterpolationQualityFactor(KgeRVector(0, 0, 0), KgeRVector(30, 0, 0)), 1.0, 1e-9);
    // A whole turn on one axis is no rotation at all.
    EXPECT_NEAR(filter.InterpolationQualityFactor(KgeRVector(0, 0, 0), KgeRVector(360, 0, 0)), 0.0, 1e-9);
}

TEST(KFCurveFilterUnroll, APoorPathDoesNotBecomeTheReference)
{
    // Near gimbal lock, (40, 89, +-40) is a small turn from (0, 89, 0) along
    // a long Euler path.
    KFCurveFilterUnroll probe;
    const KgeRVector base(0, 89, 0);
    const double zSign =
        probe.InterpolationQualityFactor(base, KgeRVector(40, 89, -40)) < 0.25 ? -1.0 : 1.0;
    ASSERT_LT(probe.InterpolationQualityFactor(base, KgeRVector(40, 89, 40 * zSign)), 0.25);

    struct Case {
        bool testForPath;
        float expectedX;
    };
    // With the test, key 2 is unrolled against key 0; without it, against
    // key 1, where the flipped form is nearer.
    for (const Case& c : {Case{true, -160.0f}, Case{false, 20.0f}}) {
        Curves3 curves({{0, 0, 89, 0}, {1, 40, 89, 40 * zSign}, {2, 200, 89, 0}});
        KFCurve* array[] = {curves[0], curves[1], curves[2]};
        KFCurveFilterUnroll filter;
        filter.SetTestForPath(c.testForPath);
        filter.SetQualityTolerance(0.25);
        ASSERT_TRUE(filter.Apply(array, 3));
        EXPECT_NEAR(curves.x.KeyGetValue(1), 40.0f, 1e-3);
        EXPECT_NEAR(curves.x.KeyGetValue(2), c.expectedX, 1e-3) << c.testForPath;
    }
}

TEST(KFCurveFilterUnroll, RefusesWhatIsNotARotationNode)
{
    KFCurveFilterUnroll filter;
    Curves3 curves({{0, 0, 0, 0}, {1, 350, 0, 0}});
    KFCurve* array[] = {curves[0], curves[1], curves[2]};
    for (int count : {2, 4}) {
        EXPECT_FALSE(filter.Apply(array, count));
        EXPECT_EQ(filter.GetLastErrorID(), 2);
        EXPECT_STREQ(filter.GetLastErrorString(), "Unroll Filter, Works only on rotation CurveNodes.");
    }
    EXPECT_FALSE(filter.Apply(curves.x));
    NodePtr plain = RotationNode(curves, kFCurveNodeLayerAdditive);
    EXPECT_FALSE(filter.Apply(*plain, true));
    EXPECT_FALSE(filter.DoUnroll(nullptr));
    NodePtr missing = RotationNode(curves);
    missing->Get(1)->FCurveSet(nullptr, true);
    EXPECT_FALSE(filter.Apply(*missing, true));
    EXPECT_EQ(filter.GetLastErrorID(), 2);

    Curves3 empty({});
    KFCurve* emptyArray[] = {empty[0], empty[1], empty[2]};
    EXPECT_FALSE(filter.Apply(emptyArray, 3));
    EXPECT_EQ(filter.GetLastErrorID(), 0);
    EXPECT_STREQ(filter.GetLastErrorString(), "Unroll Filter, No key to be filtered.");
}

TEST(KFCurveFilterUnroll, ApplyRotationFilterFollowsTheGlobalSetting)
{
    const int saved = KFCURVE_GetRotationFilterToApply();
    struct Case {
        int setting;
        int expectedKeys;
        float expectedLast;
    };
    const Case cases[] = {{0, 2, -170.0f}, {3, 2, -170.0f}, {2, 2, 190.0f}, {1, 4, 190.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        Curves3 curves({{0, 170, 0, 0}, {1, -170, 0, 0}});
        NodePtr node = RotationNode(curves);
        KFCURVE_SetRotationFilterToApply(c.setting);
        KFCURVE_ApplyRotationFilter(node.get(), KTIME_MINUS_INFINITE, KTIME_INFINITE);
        KFCurve* x = node->Get(0)->FCurveGet();
        ASSERT_EQ(x->KeyGetCount(), c.expectedKeys);
        EXPECT_NEAR(x->KeyGetValue(c.expectedKeys - 1), c.expectedLast, 1e-3);
    }
    KFCURVE_ApplyRotationFilter(nullptr, KTIME_MINUS_INFINITE, KTIME_INFINITE);
    KFCURVE_SetRotationFilterToApply(saved);
}

}  // namespace
}  // namespace qelsdk_600
