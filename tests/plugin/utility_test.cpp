// Host wrappers and the unit, rotation and transform utilities.
#include <cmath>

#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnTransform.h>

#include "host/host_fixture.h"
#include "foundation/message_log.h"
#include "plugin/qelveskutility.h"
#include "plugin/qelveskwrappers.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

using UtilityTest = HostTest;

TEST_F(UtilityTest, UnitRatiosFollowTheHostUnits)
{
    const double kDistance[] = {2.54, 30.48, 91.44, 160934.4, 0.1, 1.0, 100000.0, 100.0};
    for (int unit = 1; unit <= 8; ++unit) {
        MDistance::setUIUnit(static_cast<MDistance::Unit>(unit));
        EXPECT_EQ(QelVeskUtility::DistanceUnitRatio(), kDistance[unit - 1]) << unit;
    }
    const double kTime[] = {1.0 / 3600.0, 1.0 / 60.0, 1.0, 1000.0, 15.0, 24.0, 30.0, 30.0, 48.0, 50.0, 60.0};
    for (int unit = 1; unit <= 11; ++unit) {
        MTime::setUIUnit(static_cast<MTime::Unit>(unit));
        EXPECT_EQ(QelVeskUtility::TimeUnitRatio(), kTime[unit - 1]) << unit;
    }
}

TEST_F(UtilityTest, RotateAxisAndJointOrientCrossInDegrees)
{
    MFnTransform lTransform(make("transform", "t"));
    QelVeskUtility::SetRotateAxis(lTransform, MPoint(90.0, 0.0, 0.0));
    EXPECT_EQ(plug("t.rotateAxisX").asDouble(), 1.5707963267948966);
    EXPECT_EQ(plug("t.rotateAxisY").asDouble(), 0.0);
    MPoint lDegrees;
    QelVeskUtility::GetRotateAxis(lTransform, lDegrees);
    EXPECT_NEAR(lDegrees.x, 90.0, 1e-12);
    // A plain transform has no joint-orient plugs.
    QelVeskUtility::SetJointOrient(lTransform, MPoint(10.0, 20.0, 30.0));
    QelVeskUtility::GetJointOrient(lTransform, lDegrees);
    EXPECT_EQ(lDegrees.x, 0.0);
    EXPECT_EQ(lDegrees.y, 0.0);
    EXPECT_EQ(lDegrees.z, 0.0);
    MFnTransform lJoint(make("joint", "j"));
    QelVeskUtility::SetJointOrient(lJoint, MPoint(0.0, 45.0, 0.0));
    EXPECT_NEAR(plug("j.jointOrientY").asDouble(), M_PI / 4.0, 1e-15);

    lTransform.setRotationOrder(MTransformationMatrix::kZXY, false);
    EXPECT_EQ(QelVeskUtility::GetRotationOrder(lTransform), 4);
}

TEST_F(UtilityTest, AnimationTestsLookAtKeyedTransformChannelsOnly)
{
    MFnTransform lTransform(make("transform", "t"));
    EXPECT_FALSE(QelVeskUtility::IsAnimated(lTransform));
    MFnAnimCurve lVisibility;
    lVisibility.create(plug("t.visibility"));
    lVisibility.addKey(MTime(1.0, MTime::kSeconds), 0.0);
    MFnAnimCurve lEmpty;
    lEmpty.create(plug("t.translateX"));
    EXPECT_FALSE(QelVeskUtility::IsAnimated(lTransform));
    EXPECT_FALSE(IsTransformAnimated(lTransform));
    MFnAnimCurve lScale;
    lScale.create(plug("t.scaleZ"));
    lScale.addKey(MTime(1.0, MTime::kSeconds), 2.0);
    EXPECT_TRUE(QelVeskUtility::IsAnimated(lTransform));
}

TEST_F(UtilityTest, TransformExchangeKeepsTranslationRotationAndScaling)
{
    KQelMatrix lIn;
    lIn.SetTRS(KQelVector4(1.0, -2.0, 3.0, 1.0), KQelVector4(10.0, 20.0, 30.0, 0.0), KQelVector4(1.0, 2.0, 0.5, 1.0));
    MFnTransform lTransform(make("transform", "t"));
    QelVeskUtility::SetMFnTransformNode(lTransform, lIn);
    KQelMatrix lOut;
    QelVeskUtility::GetMFnTransformNode(lTransform, lOut);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(static_cast<const double*>(lOut)[i], static_cast<const double*>(lIn)[i], 1e-9) << i;

    KQelSdkManager lManager;
    KQelNode* lNode = lManager.CreateKQelNode("n");
    KQelMatrix lLocal = lIn;
    QelVeskUtility::RemovePreAndPostFromRotation(lNode, lLocal);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(static_cast<const double*>(lLocal)[i], static_cast<const double*>(lIn)[i], 1e-9) << i;
}

TEST_F(UtilityTest, PathSearchesCompareWholeFullOrPartialPathNames)
{
    make("transform", "a");
    make("transform", "x", "a");
    make("transform", "b");
    make("transform", "x", "b");
    make("transform", "solo", "b");
    struct Case {
        const char* name;
        const char* found; // full path, "" when none
    } const kCases[] = {
        {"x", ""}, {"a|x", "|a|x"}, {"|b|x", "|b|x"}, {"b|x", "|b|x"}, {"|x", ""},
        {"solo", "|b|solo"}, {"|b|solo", "|b|solo"}, {"", ""},
    };
    for (const Case& c : kCases) {
        MDagPath lPath;
        EXPECT_EQ(ExtractPath(c.name, lPath), *c.found != '\0') << c.name;
        if (*c.found) {
            EXPECT_EQ(std::string(lPath.fullPathName().asChar()), c.found) << c.name;
        }
    }
}

TEST_F(UtilityTest, StatusReportsAndSpaceRemoval)
{
    const size_t lFirst = vesk::MessageLog::size();
    MStatus lSuccess;
    DebugCheckStatus(lSuccess, "never shown");
    EXPECT_EQ(vesk::MessageLog::size(), lFirst);
    MStatus lFailure(MStatus::kFailure);
    DebugCheckStatus(lFailure, "reading the plug");
    ASSERT_EQ(vesk::MessageLog::size(), lFirst + 2);
    EXPECT_EQ(vesk::MessageLog::line(lFirst + 1).rfind("reading the plug \n \n", 0), 0u);

    MString lOut;
    SpaceRemover(" a  b c ", lOut);
    EXPECT_STREQ(lOut.asChar(), "abc");
    SpaceRemover("d e", lOut);
    EXPECT_STREQ(lOut.asChar(), "abcde");
}
