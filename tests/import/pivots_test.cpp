// Preparation of pivot sets for the host, and the warnings about nodes that
// come before names are made legal.
#include "import_fixture.h"

#include "content/kqellight.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

const KQelNode::EPivotSet S = KQelNode::eSourcePivot;
const KQelNode::EPivotSet D = KQelNode::eDestinationPivot;

TEST_F(ImportTest, PivotSetsKeepWhatTheHostModelCanHoldAndWarnAboutDroppedLimits)
{
    enum Kind { eNone, eLight, eAimedLight, eJoint };
    const struct {
        const char* name;
        Kind kind;
        bool limits, flagged, limitOnly;
        ERotationOrder order;
        std::vector<double> pre, post;
        // Expected: post-rotation of both sets, pre-rotation of D, order of
        // D (3 when left as it was), limits on, warning text.
        std::vector<double> postS, postD, preD;
        int orderD;
        bool limitsAfter;
        const char* warning;
    } cases[] = {
        {"Lamp", eLight, true, true, false, eEulerXYZ, {0, 0, 0}, {0, 0, 0}, {90, 0, 0}, {90, 0, 0}, {0, 0, 0}, 0,
         true, nullptr},
        // X first, then Z, then Y: a turn of 90 about X before Z by 30.
        {"LampXZY", eLight, true, true, false, eEulerXZY, {0, 0, 0}, {0, 0, 30}, {90, 0, 30}, {90, 0, 30},
         {0, 0, 0}, 1, true, nullptr},
        {"Aimed", eAimedLight, true, true, false, eEulerXYZ, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0},
         0, true, nullptr},
        {"Free", eLight, false, false, false, eEulerXYZ, {5, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 3,
         false, nullptr},
        {"Unflagged", eNone, true, false, false, eSphericXYZ, {5, 0, 0}, {0, 7, 0}, {0, 7, 0}, {0, 7, 0}, {5, 0, 0},
         0, true, nullptr},
        {"Pre", eNone, true, true, false, eSphericXYZ, {10, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {10, 0, 0}, 3,
         false, "Node  Pre has to resample its rotation because it has a PreRotation."},
        {"Spheric", eNone, true, true, false, eSphericXYZ, {0.0000005, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0},
         {0.0000005, 0, 0}, 0, false, "Node Spheric has to resample its rotation because it has a Spheric"},
        {"Bone", eJoint, true, true, false, eEulerXYZ, {10, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {10, 0, 0}, 0,
         true, nullptr},
        {"Space", eNone, true, true, true, eEulerYZX, {10, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 0,
         false, " Node Space has the option UseLimitsForRotationSpaceOnly enabled"},
    };
    QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kImportShowUI, true);
    for (const auto& c : cases) {
        if (c.warning)
            standin::queueReply("QEL import error", standin::Reply::press("Ok").expecting(c.warning));
        KQelNodeAttribute* attribute = c.kind == eJoint ? static_cast<KQelNodeAttribute*>(skeleton(KQelSkeleton::eLimb))
                                       : c.kind == eNone ? nullptr
                                                         : mImport->GetManager().CreateKQelLight();
        QelVeskNode* made = node(c.name, nullptr, attribute);
        if (c.kind == eAimedLight)
            made->SetTarget(node("Target"));
        made->GetLimits().SetRotationLimitActive(c.limits);
        made->GetLimits().mRotationLimits.SetLimitMinActive(c.flagged, false, false);
        made->SetUseRotationSpaceForLimitOnly(S, c.limitOnly);
        made->SetRotationOrder(S, c.order);
        made->SetRotationOrder(D, eEulerYXZ);
        made->SetPreRotation(S, KQelVector4(c.pre[0], c.pre[1], c.pre[2], 1));
        made->SetPostRotation(S, KQelVector4(c.post[0], c.post[1], c.post[2], 1));
    }
    mImport->SetVeskPivotsRecursive(root());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KQelNode* made = root()->FindChild(c.name, false);
        EXPECT_EQ(rounded(made->GetPostRotation(S)), c.postS);
        EXPECT_EQ(rounded(made->GetPostRotation(D)), c.postD);
        EXPECT_EQ(rounded(made->GetPreRotation(D)), c.preD);
        ERotationOrder order = eEulerXYZ;
        made->GetRotationOrder(D, order);
        EXPECT_EQ(order, c.orderD);
        EXPECT_EQ(made->GetLimits().GetRotationLimitActive(), c.limitsAfter);
    }
    EXPECT_EQ(standin::dialogs().size(), 3u);
}

TEST_F(ImportTest, KeyedPreAndPostRotationNodesWarnOncePerTakeWithTheirRawNames)
{
    const char* const pre = "Arm\"$;\\__Pre_1";
    QelVeskNode* varying = node(pre);
    addKey(varying->GetDefaultTakeNode()->GetEulerRotationX(), 0, 1.0f);
    addKey(varying->GetDefaultTakeNode()->GetEulerRotationX(), 1, 2.0f);
    QelVeskNode* constant = node("Leg__Pre_");
    addKey(constant->GetDefaultTakeNode()->GetEulerRotationY(), 0, 3.0f);
    addKey(constant->GetDefaultTakeNode()->GetEulerRotationY(), 1, 3.0f);
    QelVeskNode* post = node("Hand__Post_");
    post->CreateTakeNode("Run");
    addKey(post->GetDefaultTakeNode()->GetTranslationX(), 0, 1.0f);
    addKey(post->GetTakeNode(1)->GetScaleZ(), 0, 1.0f);

    QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kImportShowUI, true);
    standin::setStandingReply("QEL import error", standin::Reply::press("Ok"));
    mImport->ValidatePreAndPostJoints(root());
    const std::string postText = "KeyFrames found in an animation channel for node: Hand__Post_ , \n Keyframing "
                                 "animation in a PostRotation node can lead to undefined behavior.";
    EXPECT_EQ(dialogMessages(), (std::vector<std::string>{"KeyFrames found in the rotation channel for node: " +
                                                      std::string(pre) +
                                                      " , \n Keyframing rotation in a PreRotation node can lead to "
                                                      "undefined behavior.",
                                                  postText, postText}));
    standin::clearStandingReplies();
}

}  // namespace
