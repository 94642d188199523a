#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/karraytemplate.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kproperty.h"
#include "scene/kqelnode.h"
#include "scene/kqelnull.h"
#include "scene/kqelsdkmanager.h"
#include "node_test_util.h"

namespace qelsdk_600 {
namespace {

class NodeTree : public ::testing::Test {
protected:
    KQelNode* Make(const char* pName) { return mManager.CreateKQelNode(pName); }
    KQelSdkManager mManager;
};

TEST_F(NodeTree, AddChildMovesANodeAndKeepsOrder)
{
    KQelNode* a = Make("A");
    KQelNode* b = Make("B");
    std::vector<KQelNode*> kids = AddChildren(mManager, a, 3);
    EXPECT_EQ(a->GetChildCount(), 3);
    EXPECT_EQ(a->GetChild(1), kids[1]);
    EXPECT_TRUE(b->AddChild(kids[1]));
    EXPECT_EQ(a->GetChildCount(), 2);
    EXPECT_EQ(a->GetChild(1), kids[2]);
    EXPECT_EQ(b->GetChildCount(), 1);
    EXPECT_EQ(kids[1]->GetParent(), b);
    // Children are counted through node sets only: a look-at target is not
    // a child, nor is its user a parent.
    kids[0]->SetTarget(b);
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_EQ(kids[0]->GetChildCount(), 0);
    EXPECT_EQ(b->RemoveChild(kids[1]), kids[1]);
    EXPECT_EQ(kids[1]->GetParent(), nullptr);
    EXPECT_EQ(a->RemoveChild(nullptr), nullptr);
}

TEST_F(NodeTree, CyclesAndBadArgumentsAreRefused)
{
    KQelNode* root = Make("Root");
    KQelNode* child = AddChildren(mManager, root, 1)[0];
    KQelNode* grandchild = AddChildren(mManager, child, 1)[0];
    EXPECT_FALSE(grandchild->AddChild(root));
    EXPECT_FALSE(grandchild->AddChild(grandchild));
    EXPECT_FALSE(child->AddChild(nullptr));
    EXPECT_EQ(grandchild->GetParent(), child);  // nothing changed
    EXPECT_EQ(root->GetChildCount(true), 2);
    for (int index : {-1, 1, 1000})
        EXPECT_EQ(root->GetChild(index), nullptr) << index;
}

TEST_F(NodeTree, FindChildMatchesPrefixedNamesDepthFirst)
{
    KQelNode* root = Make("Root");
    KQelNode* arm = AddChildren(mManager, root, 1, "Arm")[0];
    KQelNode* hand = AddChildren(mManager, arm, 1, "Hand")[0];
    KQelNode* leg = AddChildren(mManager, root, 1, "Leg")[0];
    hand->SetName("Fist");
    struct Case {
        const char* name;
        bool recursive;
        bool initial;
        KQelNode* found;
    } cases[] = {
        {"Arm0", false, false, arm},   {"Model::Leg0", false, false, leg}, {"Material::Leg0", true, false, leg},
        {"Fist", false, false, nullptr}, {"Fist", true, false, hand},     {"Hand0", true, false, nullptr},
        {"Hand0", true, true, hand},   {"Root", true, false, nullptr},     {nullptr, true, false, nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(root->FindChild(c.name, c.recursive, c.initial), c.found) << (c.name ? c.name : "null");
}

TEST_F(NodeTree, TargetsAddAndRead)
{
    KQelNode* node = Make("Camera");
    KQelNode* first = Make("First");
    KQelNode* second = Make("Second");
    EXPECT_EQ(node->GetTarget(), nullptr);
    node->SetTarget(nullptr);
    node->SetTarget(first);
    node->SetTarget(first);
    node->SetTarget(second);
    EXPECT_EQ(node->GetTarget(), first);
    EXPECT_EQ(node->GetPropertyHandler()->LookAtProperty.GetCount(), 2);
    node->SetTargetUp(second);
    EXPECT_EQ(node->GetTargetUp(), second);
    // A target that ends leaves the list.
    mManager.DestroyKQelNode(first, false);
    EXPECT_EQ(node->GetTarget(), second);
}

TEST_F(NodeTree, AttributeBindingRunsChannelHooksPerTakeAndSetsModes)
{
    KQelNode* a = Make("A");
    KQelNode* b = Make("B");
    a->CreateTakeNode("Take 001");
    a->CreateTakeNode("Take 002");
    struct Case {
        KQelNodeAttribute::EAttributeType type;
        KQelNode::EMultiTakeMode takeMode;
    } cases[] = {
        {KQelNodeAttribute::eCamera, KQelNode::eMultiTakeOff},
        {KQelNodeAttribute::eLight, KQelNode::eMultiTakeOff},
        {KQelNodeAttribute::eMesh, KQelNode::eMultiTakeOn},
    };
    for (const Case& c : cases) {
        FakeAttribute attribute(mManager, c.type);
        EXPECT_EQ(a->SetNodeAttribute(&attribute), nullptr);
        ASSERT_EQ(attribute.mAdded.size(), 3u);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(attribute.mAdded[static_cast<std::size_t>(i)], a->GetTakeNode(i));
        EXPECT_EQ(a->GetMultiTakeMode(), c.takeMode);
        EXPECT_FALSE(a->GetMultiLayer());
        // Setting it again changes nothing.
        a->SetMultiTakeMode(KQelNode::eMultiTakeOn);
        EXPECT_EQ(a->SetNodeAttribute(&attribute), nullptr);
        EXPECT_EQ(a->GetMultiTakeMode(), KQelNode::eMultiTakeOn);
        // Moving it to B unbinds it from A's takes first.
        EXPECT_EQ(b->SetNodeAttribute(&attribute), nullptr);
        EXPECT_EQ(a->GetNodeAttribute(), nullptr);
        EXPECT_EQ(attribute.GetNode(), b);
        EXPECT_EQ(attribute.mRemoved.size(), 3u);
        EXPECT_EQ(attribute.mAdded.size(), 4u);
        EXPECT_EQ(b->SetNodeAttribute(nullptr), &attribute);
        EXPECT_EQ(attribute.GetNode(), nullptr);
        EXPECT_EQ(b->GetMultiTakeMode(), KQelNode::eMultiTakeOn);
    }
}

TEST_F(NodeTree, TypedGettersAnswerOnlyTheirType)
{
    KQelNode* node = Make("Node");
    KQelNull* null = mManager.CreateKQelNull();
    node->SetNodeAttribute(null);
    EXPECT_EQ(node->GetNull(), null);
    EXPECT_EQ(node->GetSkeleton(), nullptr);
    EXPECT_EQ(node->GetGeometry(), nullptr);
    EXPECT_EQ(node->GetTypeName(), "Null");
    FakeAttribute light(mManager, KQelNodeAttribute::eLight);
    node->SetNodeAttribute(&light);
    EXPECT_EQ(node->GetNull(), nullptr);
    EXPECT_EQ(node->GetTypeName(), "");
    node->SetNodeAttribute(nullptr);
    EXPECT_EQ(node->GetTypeName(), "Null");
    KStringList flags = node->GetTypeFlags();
    ASSERT_EQ(flags.GetCount(), 1);
    EXPECT_STREQ(flags.GetStringAt(0), "Null");
}

TEST_F(NodeTree, DestroyingTheManagersAttributeUnbindsIt)
{
    KQelNode* node = Make("Node");
    KQelNull* null = mManager.CreateKQelNull();
    node->SetNodeAttribute(null);
    EXPECT_TRUE(mManager.DestroyKQelNodeAttribute(null));
    EXPECT_EQ(node->GetNodeAttribute(), nullptr);
    // And a node that ends unbinds the attribute it carries.
    FakeAttribute fake(mManager, KQelNodeAttribute::eMesh);
    node->SetNodeAttribute(&fake);
    mManager.DestroyKQelNode(node, false);
    EXPECT_EQ(fake.GetNode(), nullptr);
}

TEST_F(NodeTree, SelectionVisibilityAndChildNames)
{
    KQelNode* root = Make("Root");
    KQelNode* child = AddChildren(mManager, root, 1)[0];
    KQelNode* grandchild = AddChildren(mManager, child, 1)[0];
    grandchild->SetSelected(true);
    EXPECT_FALSE(root->GetSelected());
    EXPECT_TRUE(root->GetSelected(true));
    root->SetSelected(false, true);
    EXPECT_FALSE(grandchild->GetSelected());
    root->SetSelected(true, true);
    EXPECT_TRUE(grandchild->GetSelected());

    EXPECT_TRUE(root->GetVisibility());
    root->SetVisibility(false);
    EXPECT_FALSE(root->GetVisibility());
    EXPECT_FALSE(root->GetPropertyHandler()->Show.GetValue());

    root->AddChildName("Model::Later");
    root->AddChildName(nullptr);
    EXPECT_EQ(root->GetChildNameCount(), 2);
    EXPECT_STREQ(root->GetChildName(0), "Model::Later");
    EXPECT_STREQ(root->GetChildName(1), "");
    EXPECT_EQ(root->GetChildName(2), nullptr);
}

TEST_F(NodeTree, CharacterLinks)
{
    KQelNode* node = Make("Hips");
    KQelCharacter* character = reinterpret_cast<KQelCharacter*>(0x1000);  // never dereferenced
    EXPECT_EQ(node->AddCharacterLink(character, 0, 5, 0), 0);
    EXPECT_EQ(node->AddCharacterLink(character, 3, 5, 1), 1);
    EXPECT_EQ(node->AddCharacterLink(character, 0, 5, 0), 2);
    EXPECT_EQ(node->FindCharacterLink(character, 3, 5, 1), 1);
    EXPECT_EQ(node->FindCharacterLink(nullptr, 0, 5, 0), -1);
    EXPECT_EQ(node->RemoveCharacterLink(character, 0, 5, 0), 0);
    EXPECT_EQ(node->GetCharacterLinkCount(), 2);
    EXPECT_EQ(node->FindCharacterLink(character, 0, 5, 0), 1);  // the second copy stays
    EXPECT_EQ(node->RemoveCharacterLink(character, 2, 5, 0), -1);

    KQelCharacter* out = nullptr;
    int kind = -1, index = -1, subIndex = -1;
    EXPECT_FALSE(node->GetCharacterLink(2, &out, &kind, &index, &subIndex));
    EXPECT_FALSE(node->GetCharacterLink(0, &out, nullptr, &index, &subIndex));
    EXPECT_EQ(kind, -1);
    EXPECT_TRUE(node->GetCharacterLink(0, &out, &kind, &index, &subIndex));
    EXPECT_EQ(out, character);
    EXPECT_EQ(kind, 3);
    EXPECT_EQ(subIndex, 1);
    // The destructor's slot hook must not follow these fake characters.
    while (node->GetCharacterLinkCount() > 0) {
        node->GetCharacterLink(0, &out, &kind, &index, &subIndex);
        node->RemoveCharacterLink(out, kind, index, subIndex);
    }
}

TEST_F(NodeTree, TakeChannelsFollowTheTransformProperties)
{
    KQelNode* node = Make("Node");
    node->SetDefaultS(V(2, 2, 2));
    node->SetDefaultT(V(1, 2, 3));
    struct Case {
        const char* take;
        bool linked;
    } cases[] = {{"default", true}, {"DEFAULT", true}, {"Take 001", false}};
    for (const Case& c : cases) {
        KQelTakeNode take(c.take);
        const int before = node->GetDefaultTakeCallbackCount();
        node->AddChannels(&take);
        EXPECT_EQ(take.GetScaleY()->GetValue(), 2.0f) << c.take;
        EXPECT_EQ(take.GetTranslationZ()->GetValue(), 3.0f) << c.take;
        EXPECT_EQ(take.GetVisibility()->GetValue(), 1.0f) << c.take;
        EXPECT_EQ(take.GetKFCurveNode()->FindRecursive("T")->GetLayerType(), 1);
        EXPECT_EQ(take.GetKFCurveNode()->FindRecursive("R")->GetLayerType(), 2);
        EXPECT_EQ(take.GetKFCurveNode()->FindRecursive("S")->GetLayerType(), 3);
        EXPECT_EQ(node->GetDefaultTakeCallbackCount() - before, c.linked ? 10 : 0) << c.take;
        // Only animatable properties get channels: nine transform curves and
        // the visibility.
        EXPECT_EQ(take.GetKFCurveNode()->KeyGetCount(), 0);
        EXPECT_EQ(take.GetKFCurveNode()->GetValueCount(), 10) << c.take;
    }
    // The node's own default take is linked: editing its curve writes the
    // property back.
    node->GetDefaultTakeNode()->GetTranslationX()->SetValue(7.0f);
    KQelVector4 t;
    EXPECT_TRUE(Near3(node->GetDefaultT(t), V(7, 2, 3)));
}

TEST_F(NodeTree, AnimationIntervalSpansTheSubtreeAndKeepsTheCallersBounds)
{
    KQelNode* root = Make("Root");
    KQelNode* child = AddChildren(mManager, root, 1)[0];
    KTime start, stop;
    start.SetSecondDouble(5.0);
    stop.SetSecondDouble(5.0);
    EXPECT_FALSE(root->GetAnimationInterval(start, stop));
    for (KQelNode* node : {root, child}) {
        node->CreateTakeNode("Take");
        node->SetCurrentTakeNode("Take");
    }
    KFCurve* curve = child->GetCurrentTakeNode()->GetTranslationX();
    KTime one, two;
    one.SetSecondDouble(1.0);
    two.SetSecondDouble(2.0);
    curve->KeyAdd(one);
    curve->KeyAdd(two);
    KTime early;
    early.SetSecondDouble(-3.0);
    start = early;
    stop = KTime();
    EXPECT_TRUE(root->GetAnimationInterval(start, stop));
    EXPECT_EQ(start, early);
    EXPECT_EQ(stop, two);
}

TEST_F(NodeTree, AssignmentCopiesAttributeModesPivotsAndLimits)
{
    KQelNode* source = Make("Source");
    KQelNode* target = Make("Target");
    KQelNode* look = Make("Look");
    source->SetTarget(look);
    KQelNull* null = mManager.CreateKQelNull();
    null->SetSize(12.0);
    source->SetNodeAttribute(null);
    source->SetShadingMode(KQelNode::eWireFrame);
    source->SetRotationPivot(KQelNode::eDestinationPivot, V(1, 2, 3, 1));
    source->SetScalingOffset(KQelNode::eSourcePivot, V(4, 5, 6, 1));
    source->GetLimits().SetScalingLimitActive(true);
    source->GetLimits().mTranslationLimits.SetLimitMin(V(1, 1, 1, 1));
    source->SetCullingType(2);
    source->CreateTakeNode("Take 001");
    FakeAttribute former(mManager, KQelNodeAttribute::eCamera);
    target->SetNodeAttribute(&former);

    *target = *source;
    EXPECT_EQ(target->GetTarget(), look);
    ASSERT_NE(target->GetNull(), nullptr);
    EXPECT_NE(target->GetNull(), null);
    EXPECT_EQ(target->GetNull()->GetSize(), 12.0);
    EXPECT_EQ(former.GetNode(), nullptr);
    EXPECT_EQ(target->GetShadingMode(), KQelNode::eWireFrame);
    EXPECT_TRUE(Near3(target->GetRotationPivot(KQelNode::eDestinationPivot), V(1, 2, 3)));
    EXPECT_TRUE(Near3(target->GetScalingOffset(KQelNode::eSourcePivot), V(0, 0, 0)));  // not copied
    EXPECT_TRUE(target->GetLimits().GetScalingLimitActive());
    EXPECT_EQ(target->GetLimits().GetLimitedNode(), target);
    EXPECT_EQ(target->GetLimits().mTranslationLimits.GetLimitMin()[0], 1.0);
    EXPECT_EQ(target->GetCullingType(), 2);
    EXPECT_EQ(target->GetTakeNodeCount(), 2);
    EXPECT_STREQ(target->GetName(), "Model::Source");

    // A node without attribute leaves the target bare, the former attribute
    // destroyed through the manager.
    KQelNode* bare = Make("Bare");
    *target = *bare;
    EXPECT_EQ(target->GetNodeAttribute(), nullptr);
    EXPECT_EQ(mManager.GetKQelNodeAttributeCount(), 1);  // the source's null only
    *target = *target;
    EXPECT_STREQ(target->GetName(), "Model::Bare");
}

}  // namespace
}  // namespace qelsdk_600
