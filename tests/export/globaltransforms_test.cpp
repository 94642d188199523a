// World transforms of the exported nodes, and the focal-length modifier.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include <vesk/MEulerRotation.h>

#include "export/export_fixture.h"
#include "export/qelfocallengthtofovmodifier.h"
#include "plugin/qelvesknode.h"

using namespace qelsdk_600;

namespace {

const double kQuarter = 1.5707963267948966;

// Runs the export's steps up to the world transforms.
class GlobalExport : public QelVeskExport {
public:
    QelVeskNode* Run(const char* pName)
    {
        BuildGeometry(MItDag::kDepthFirst, MFn::kInvalid);
        BuildHierarchy(MItDag::kDepthFirst, MFn::kInvalid);
        ExtractGlobalTransforms(static_cast<QelVeskNode*>(mRootNode));
        return static_cast<QelVeskNode*>(mRootNode->FindChild(pName, true));
    }
};

void Pose(const char* pName, MVector pTranslate, MEulerRotation pRotate, double pScaleX, double pScaleY = 1.0)
{
    MFnTransform transform(HostTest::object(pName));
    transform.setTranslation(pTranslate, MSpace::kTransform);
    transform.setRotation(pRotate);
    const double scale[3] = {pScaleX, pScaleY, 1.0};
    transform.setScale(scale);
}

}  // namespace

TEST_F(ExportTest, GlobalTransformsComposeWithTheParentsAndStayFinite)
{
    const MVector none;
    const struct {
        const char* what;
        std::function<void()> build;
        double t[3], r[3], s[3];
    } cases[] = {
        {"spot light", [] { make("transform", "n"); make("spotLight", "nShape", "n"); }, {0, 0, 0}, {90, 0, 0}, {1, 1, 1}},
        {"camera", [] { make("transform", "n"); make("camera", "nShape", "n"); }, {0, 0, 0}, {0, 90, 0}, {1, 1, 1}},
        {"mirrored", [&] { make("transform", "n"); Pose("n", none, MEulerRotation(), -1.0); },
         {0, 0, 0}, {180, 0, 0}, {-1, -1, -1}},
        {"+90 about Y", [&] { make("transform", "n"); Pose("n", none, MEulerRotation(0, kQuarter, 0), 1.0); },
         {0, 0, 0}, {0, 90, 0}, {1, 1, 1}},
        {"-90 about Y", [&] { make("transform", "n"); Pose("n", none, MEulerRotation(0, -kQuarter, 0), 1.0); },
         {0, 0, 0}, {0, -90, 0}, {1, 1, 1}},
        {"non-uniform parent scale",
         [&] {
             make("transform", "p");
             Pose("p", none, MEulerRotation(), 2.0);
             make("transform", "n", "p");
             Pose("n", none, MEulerRotation(0, 0, kQuarter), 1.0);
         },
         {0, 0, 0}, {0, 0, 90}, {1, 2, 1}},
        {"parent turned and moved",
         [&] {
             make("transform", "p");
             Pose("p", MVector(1, 2, 3), MEulerRotation(0, 0, kQuarter), 1.0);
             make("transform", "n", "p");
             Pose("n", MVector(1, 0, 0), MEulerRotation(), 1.0);
         },
         {1, 3, 3}, {0, 0, 90}, {1, 1, 1}},
        {"zero scale", [&] { make("transform", "n"); Pose("n", none, MEulerRotation(kQuarter / 3, 0, 0), 0.0); },
         {0, 0, 0}, {30, 0, 0}, {0, 1, 1}},
        {"two zero scales", [&] { make("transform", "n"); Pose("n", none, MEulerRotation(kQuarter / 3, 0, 0), 0.0, 0.0); },
         {0, 0, 0}, {0, 0, 0}, {0, 0, 1}},
    };
    for (const auto& c : cases) {
        standin::resetHost();
        c.build();
        GlobalExport exporter;
        QelVeskNode* node = exporter.Run("n");
        ASSERT_NE(node, nullptr) << c.what;
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(node->GetGlobalTranslation()[i], c.t[i], 1e-9) << c.what << i;
            EXPECT_NEAR(std::remainder(node->GetGlobalRotation()[i] - c.r[i], 360.0), 0.0, 1e-9) << c.what << i;
            EXPECT_NEAR(node->GetGlobalScaling()[i], c.s[i], 1e-9) << c.what << i;
        }
    }
}

TEST(FocalLengthModifier, MapsFocalLengthsToFieldsOfViewInEveryForm)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double squeeze;
        int mode;
        double focal, degrees;
    } cases[] = {
        {1.0, 1, 35.0, 54.432}, {1.0, 0, 35.0, 54.432}, {1.0, 2, 35.0, 37.849}, {2.0, 2, 35.0, 37.849},
        {2.0, 1, 35.0, 91.614}, {1.0, 1, 0.0, 180.0},   {1.0, 1, -35.0, -54.432},
    };
    for (const auto& c : cases) {
        QelFocalLengthToFOVModifier modifier;
        modifier.mApertureWidth = 1.41732 * 25.4;
        modifier.mApertureHeight = 0.94488 * 25.4;
        modifier.mSqueezeRatio = c.squeeze;
        modifier.mApertureMode = c.mode;
        EXPECT_NEAR(modifier.Modify(c.focal), c.degrees, 1e-3) << c.focal << " mode " << c.mode;
        EXPECT_NEAR(modifier.Modify(float(c.focal)), c.degrees, 1e-3);
        EXPECT_EQ(modifier.Modify(int(c.focal)), int(c.degrees));
        EXPECT_EQ(modifier.Modify(long(c.focal)), long(c.degrees));
        if (c.focal >= 0) {
            EXPECT_EQ(modifier.Modify(unsigned(c.focal)), unsigned(c.degrees));
        }
    }
    QelModifier plain;
    EXPECT_EQ(plain.Modify(2.5), 2.5);
    EXPECT_EQ(plain.Modify(7), 7);
    EXPECT_EQ(QelSaturate<unsigned int>(-1e30), 0u);
    EXPECT_EQ(QelSaturate<unsigned int>(nan), 0u);
    EXPECT_EQ(QelSaturate<unsigned int>(1e30), 4294967295u);
    EXPECT_EQ(QelSaturate<int>(-1e30), std::numeric_limits<int>::min());
    EXPECT_EQ(QelSaturate<long>(nan), 0L);
}
