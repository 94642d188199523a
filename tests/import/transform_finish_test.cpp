// What finishes a host transform after its curves: pivots, rotation order,
// limits and visibility.
#include "import_fixture.h"

#include <vesk/MFnTransform.h>

#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

const KQelNode::EPivotSet S = KQelNode::eSourcePivot;
const double kRadians = 0.017453292519943295;

std::vector<double> hostTriple(const std::string& pPath, const char* pPlug)
{
    std::vector<double> values;
    for (const char* axis : {"X", "Y", "Z"})
        values.push_back(std::round(hostValue(pPath, std::string(pPlug) + axis) * 1e9) / 1e9 + 0.0);
    return values;
}

TEST_F(ImportTest, PivotSetsBecomeJointOrientRotateAxisPivotsAndOrder)
{
    const struct {
        const char* name;
        KQelNode::EPivotState state;
        ERotationOrder order;
        std::vector<double> jointOrient, rotateAxis, rotatePivot;
        double rotateOrder;
    } cases[] = {
        {"Used", KQelNode::ePivotActive, eEulerZYX, {10 * kRadians, 20 * kRadians, 30 * kRadians},
         {-30 * kRadians, 0, 0}, {1, 2, 3}, 6},
        {"Unused", KQelNode::ePivotReference, eSphericXYZ, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QelVeskNode* joint = node(c.name, nullptr, skeleton(KQelSkeleton::eLimb));
        joint->SetPivotState(S, c.state);
        joint->SetPreRotation(S, KQelVector4(10, 20, 30, 0));
        joint->SetPostRotation(S, KQelVector4(30, 0, 0, 0));
        joint->SetRotationPivot(S, KQelVector4(1, 2, 3, 0));
        joint->SetRotationOrder(KQelNode::eDestinationPivot, c.order);
        mImport->CreateJointGeometry(joint);
        mImport->ImportAnimation(*joint);
        const std::string path = std::string("|") + c.name;
        EXPECT_EQ(hostTriple(path, "jointOrient"), rounded(c.jointOrient));
        EXPECT_EQ(hostTriple(path, "rotateAxis"), rounded(c.rotateAxis));
        EXPECT_EQ(hostTriple(path, "rotatePivot"), c.rotatePivot);
        EXPECT_EQ(hostValue(path, "rotateOrder"), c.rotateOrder);
    }
}

TEST_F(ImportTest, VisibilityKeysBecomeStepsAndTheStaticValueFollowsTheNode)
{
    QelVeskNode* keyed = node("Keyed");
    mImport->CreateNullGeometry(keyed);
    KFCurve* visibility = runTake(keyed)->GetVisibility();
    addKeys(visibility, {{0, 0.0f}, {1, 0.5f}, {2, 1.0f}, {3, 0.000001f}});
    QelVeskNode* hidden = node("Hidden");
    hidden->SetVisibility(false);
    mImport->CreateNullGeometry(hidden);
    mImport->ImportAnimation(*keyed);
    mImport->ImportAnimation(*hidden);

    std::vector<double> values, outTypes;
    for (const std::vector<double>& key : hostKeys("|Keyed", "visibility")) {
        values.push_back(key[1]);
        outTypes.push_back(key[3]);
    }
    EXPECT_EQ(values, (std::vector<double>{0, 1, 1, 0}));
    EXPECT_EQ(outTypes, (std::vector<double>{5, 5, 5, 4})) << "stepped";
    for (int i = 0; i < visibility->KeyGetCount(); ++i)
        EXPECT_EQ(visibility->KeyGetInterpolation(i), kFCurveInterpolationConstant);
    EXPECT_EQ(hostValue("|Keyed", "visibility"), 1.0);
    EXPECT_EQ(hostValue("|Hidden", "visibility"), 0.0);
    EXPECT_EQ(hostKeys("|Hidden", "visibility").size(), 0u) << "the default take makes no curve";
}

TEST_F(ImportTest, EachActiveLimitGroupSendsOneCommandPerAxis)
{
    // Minimum 5 and maximum 2 on X; minimum 0, maximum 10, both on, on Y.
    const struct {
        bool minActive, maxActive;
        const char* sent;
    } cases[] = {
        {true, false, "transformLimits -tx 5 5 -etx 1 0 \"|L\""},
        {false, true, "transformLimits -tx 2 2 -etx 0 1 \"|L\""},
        {false, false, "transformLimits -tx 5 5 -etx 0 0 \"|L\""},
        {true, true, "transformLimits -tx 5 2 -etx 1 1 \"|L\""},
    };
    QelVeskNode* limited = node("L");
    mImport->CreateNullGeometry(limited);
    MFnTransform transform(*limited->GetDagPath());
    KQelNodeLimits& limits = limited->GetLimits();
    for (const auto& c : cases) {
        limits.SetTranslationLimitActive(true);
        limits.mTranslationLimits.SetLimitMin(KQelVector4(5, 0, 0, 0));
        limits.mTranslationLimits.SetLimitMax(KQelVector4(2, 10, 0, 0));
        limits.mTranslationLimits.SetLimitMinActive(c.minActive, true, false);
        limits.mTranslationLimits.SetLimitMaxActive(c.maxActive, true, false);
        standin::clearLogs();
        mImport->ImportLimits(transform, *limited);
        EXPECT_EQ(loggedCommands("^transformLimits"),
                  (std::vector<std::string>{c.sent, "transformLimits -ty 0 10 -ety 1 1 \"|L\"",
                                            "transformLimits -tz 0 0 -etz 0 0 \"|L\""}));
        EXPECT_EQ(limits.mTranslationLimits.GetLimitMax()[0], 2.0) << "the file's limits stay";
    }
    EXPECT_EQ(hostValue("|L", "maxTranslateXLimit"), 2.0);

    // The rotation group alone, in the UI's angle unit.
    MAngle::setUIUnit(MAngle::kRadians);
    limits.SetTranslationLimitActive(false);
    limits.SetRotationLimitActive(true);
    limits.mRotationLimits.SetLimitMax(KQelVector4(90, 0, 0, 0));
    standin::clearLogs();
    mImport->ImportLimits(transform, *limited);
    EXPECT_EQ(loggedCommands("^transformLimits"),
              (std::vector<std::string>{"transformLimits -rx 0 1.5707963267948966 -erx 0 0 \"|L\"",
                                        "transformLimits -ry 0 0 -ery 0 0 \"|L\"",
                                        "transformLimits -rz 0 0 -erz 0 0 \"|L\""}));
    limits.SetRotationLimitActive(false);
    standin::clearLogs();
    mImport->ImportLimits(transform, *limited);
    EXPECT_EQ(loggedCommands("^transformLimits").size(), 0u);
}

}  // namespace
