// What a node makes on first use (its Default take's tree, the user
// properties it publishes) must answer as if it had been made at once: each
// case runs on a node whose parts were forced into being right after
// creation and on one left alone, and both must end alike.
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/kqelcamera.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelnull.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

void DumpTree(KFCurveNode* pNode, std::string& pOut)
{
    pOut += pNode->GetName();
    if (KFCurve* curve = pNode->FCurveGet()) {
        pOut += "=" + std::to_string(curve->GetValue()) + "#" + std::to_string(curve->GetUpdateId());
        pOut += "k" + std::to_string(curve->KeyGetCount());
    }
    pOut += "(";
    for (int i = 0; i < pNode->GetCount(); ++i)
        DumpTree(pNode->Get(i), pOut);
    pOut += ")";
}

// Everything the two nodes must agree on.
std::string StateText(KQelNode& pNode)
{
    std::string out;
    for (int i = 0; i < pNode.GetTakeNodeCount(); ++i) {
        KQelTakeNode* take = pNode.GetTakeNode(i);
        out += std::string(take->GetName()) + ":";
        DumpTree(take->GetKFCurveNode(), out);
        out += "\n";
    }
    out += "callbacks " + std::to_string(pNode.GetDefaultTakeCallbackCount()) + "\n";
    for (int i = 0; i < pNode.GetPropertyCount(); ++i) {
        KQelUserProperty* property = pNode.GetProperty(i);
        out += property->GetName().Buffer();
        out += property->GetFlag(KQelUserProperty::eAnimatable) ? "+" : "-";
        out += property->GetKProperty() && property->GetKProperty()->IsAnimated() ? "a;" : ";";
    }
    KQelPropertyHandler* set = pNode.GetPropertyHandler();
    out += "\nset";
    for (int i = 0; i < set->GetPropertyCount(); ++i)
        out += " " + std::to_string(set->GetProperty(i)->GetPropertyFlags());
    return out;
}

void SetVector(KQelNode& pNode, const char* pName, double pX, double pY, double pZ)
{
    const double values[3] = {pX, pY, pZ};
    pNode.GetPropertyHandler()->FindPropertyByName(pName)->SetData(values);
}

struct Case {
    const char* mName;
    std::function<void(KQelSdkManager&, KQelNode&)> mApply;
};

const Case kCases[] = {
    {"untouched", [](KQelSdkManager&, KQelNode&) {}},
    // Curves keep the values of construction: a direct write does not reach them.
    {"property written", [](KQelSdkManager&, KQelNode& n) { SetVector(n, "Lcl Translation", 1, 2, 3); }},
    {"same value written", [](KQelSdkManager&, KQelNode& n) { SetVector(n, "Lcl Scaling", 1, 1, 1); }},
    {"default set", [](KQelSdkManager&, KQelNode& n) { n.SetDefaultT(KQelVector4(4.0, 5.0, 6.0, 1.0)); }},
    {"visibility", [](KQelSdkManager&, KQelNode& n) { n.SetDefaultVisibility(0.25); }},
    {"null attribute", [](KQelSdkManager& m, KQelNode& n) { n.SetNodeAttribute(m.CreateKQelNull()); }},
    {"camera attribute",
     [](KQelSdkManager& m, KQelNode& n) {
         KQelCamera* camera = m.CreateKQelCamera();
         n.SetNodeAttribute(camera);
         camera->SetDefaultFieldOfView(30.0);
     }},
    {"take renamed", [](KQelSdkManager&, KQelNode& n) { n.GetDefaultTakeNode()->SetName("Base"); }},
    {"take made", [](KQelSdkManager&, KQelNode& n) { n.CreateTakeNode("Walk"); }},
    {"user property added",
     [](KQelSdkManager& m, KQelNode& n) {
         n.AddProperty(m.CreateKQelUserProperty("Weight", "Vector", "W"));
         n.GetProperty(n.GetPropertyCount() - 1)->ModifyFlag(KQelUserProperty::eAnimatable, true);
     }},
    {"animatable user property added",
     [](KQelSdkManager& m, KQelNode& n) {
         KQelUserProperty* weight = m.CreateKQelUserProperty("Weight", "Color", "W");
         weight->ModifyFlag(KQelUserProperty::eAnimatable, true);
         n.AddProperty(weight);
         weight->SetDefaultValue(0.5, 0.25, 1.0);
     }},
    {"published property removed",
     [](KQelSdkManager&, KQelNode& n) { n.RemoveProperty(n.FindPropertyByName("Lcl Rotation")); }},
    {"member made animatable",
     [](KQelSdkManager&, KQelNode& n) {
         n.FindPropertyByName("RotationOffset")->ModifyFlag(KQelUserProperty::eAnimatable, true);
         SetVector(n, "RotationOffset", 7, 8, 9);
     }},
    {"reset", [](KQelSdkManager&, KQelNode& n) { n.KQelTakeNodeContainer::Reset(); }},
    {"updated from properties, then written",
     [](KQelSdkManager&, KQelNode& n) {
         n.UpdateDefaultTakeFromProperties();
         n.UpdateDefaultTakeFromProperties();
         SetVector(n, "Lcl Translation", 1, 2, 3);
         n.UpdateDefaultTakeFromProperties();
     }},
    {"attribute property named like a channel",
     [](KQelSdkManager& m, KQelNode& n) {
         KQelNull* null = m.CreateKQelNull();
         n.SetNodeAttribute(null);
         null->GetPropertyHandler()->CreatePropertyFromType("X", kPropertyDouble, nullptr, false, false, nullptr)
             ->SetDouble(5.0);
         n.UpdateDefaultTakeFromProperties();
     }},
};

TEST(NodeOnDemand, EndsAsANodeWhosePartsWereMadeAtOnce)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.mName);
        KQelSdkManager manager;
        KQelNode* made = manager.CreateKQelNode("Made");
        made->GetDefaultTakeNode()->GetKFCurveNode();
        made->GetProperty(0);
        KQelNode* left = manager.CreateKQelNode("Left");
        c.mApply(manager, *made);
        c.mApply(manager, *left);
        EXPECT_EQ(StateText(*left), StateText(*made));
    }
}

TEST(NodeOnDemand, DefaultTakeHoldsTheValuesOfConstruction)
{
    KQelSdkManager manager;
    KQelNode* node = manager.CreateKQelNode("N");
    SetVector(*node, "Lcl Scaling", 2, 3, 4);
    KQelTakeNode* take = node->GetDefaultTakeNode();
    EXPECT_FLOAT_EQ(take->GetScaleX()->GetValue(), 1.0f);
    EXPECT_FLOAT_EQ(take->GetScaleZ()->GetValue(), 1.0f);
    EXPECT_EQ(node->GetDefaultTakeCallbackCount(), 10);
    // Each curve went through the writes of a tree made at once, the
    // publishing of its property included: its update id counts them.
    EXPECT_EQ(take->GetScaleX()->GetUpdateId(), 4u);
    EXPECT_EQ(take->GetKFCurve(nullptr, nullptr, "Visibility")->GetUpdateId(), 4u);
    // From then on a curve's default value reaches the property.
    take->GetScaleY()->SetValue(5.0f);
    double scaling[4];
    node->GetPropertyHandler()->FindPropertyByName("Lcl Scaling")->GetData(scaling);
    EXPECT_DOUBLE_EQ(scaling[1], 5.0);
}

// The manager lists the published properties of each node where it made
// them, between the properties made on their own.
std::vector<std::string> ListedNames(KQelSdkManager& pManager)
{
    std::vector<std::string> names;
    for (int i = 0; i < pManager.GetKQelUserPropertyCount(); ++i)
        names.push_back(pManager.GetKQelUserProperty(i)->GetName().Buffer());
    return names;
}

void BuildList(KQelSdkManager& pManager, bool pMakeAtOnce, std::vector<KQelNode*>& pNodes)
{
    for (int i = 0; i < 3; ++i) {
        pManager.CreateKQelUserProperty(("Alone" + std::to_string(i)).c_str(), "Real", "");
        pNodes.push_back(pManager.CreateKQelNode("N"));
        if (pMakeAtOnce)
            pNodes.back()->GetProperty(0);
    }
}

TEST(NodeOnDemand, ManagerListsPublishedPropertiesInCreationOrder)
{
    KQelSdkManager atOnce, onDemand;
    std::vector<KQelNode*> madeNodes, leftNodes;
    BuildList(atOnce, true, madeNodes);
    BuildList(onDemand, false, leftNodes);
    ASSERT_EQ(onDemand.GetKQelUserPropertyCount(), 3 + 3 * 54);
    EXPECT_EQ(ListedNames(onDemand), ListedNames(atOnce));
    // A handle read through the manager is the node's own, and stays.
    KQelUserProperty* handle = onDemand.GetKQelUserProperty(1 + 54 + 1 + 2);
    EXPECT_EQ(handle, leftNodes[1]->GetProperty(2));
    EXPECT_EQ(onDemand.GetKQelUserProperty(1 + 54 + 1 + 2), handle);
    EXPECT_EQ(onDemand.FindKQelUserProperty("Visibility"), leftNodes[0]->FindPropertyByName("Visibility"));

    // Destroying a published handle takes it out of the node's list too.
    EXPECT_TRUE(onDemand.DestroyKQelUserProperty(handle));
    EXPECT_FALSE(onDemand.DestroyKQelUserProperty(handle));
    EXPECT_EQ(leftNodes[1]->GetPropertyCount(), 53);
    EXPECT_TRUE(atOnce.DestroyKQelUserProperty(atOnce.GetKQelUserProperty(1 + 54 + 1 + 2)));
    EXPECT_EQ(ListedNames(onDemand), ListedNames(atOnce));

    // A node's run ends with it, made or not.
    onDemand.DestroyKQelNode(leftNodes[2], false);
    onDemand.DestroyKQelNode(leftNodes[1], false);
    atOnce.DestroyKQelNode(madeNodes[2], false);
    atOnce.DestroyKQelNode(madeNodes[1], false);
    EXPECT_EQ(ListedNames(onDemand), ListedNames(atOnce));
    EXPECT_EQ(onDemand.GetKQelUserPropertyCount(), 3 + 54);
}

// Any mix of creations and destructions leaves the manager's list as it is
// when every node's properties are made at once; checked by rank and name.
TEST(NodeOnDemand, ManagerListSurvivesRandomDestruction)
{
    KQelSdkManager atOnce, onDemand;
    std::vector<KQelNode*> madeNodes, leftNodes;
    std::mt19937 random(11);
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 40; ++i) {
            const bool alone = random() % 4 == 0;
            for (KQelSdkManager* manager : {&atOnce, &onDemand}) {
                if (alone) {
                    manager->CreateKQelUserProperty("Alone", "Real", "");
                    continue;
                }
                KQelNode* node = manager->CreateKQelNode("N");
                (manager == &atOnce ? madeNodes : leftNodes).push_back(node);
                if (manager == &atOnce)
                    node->GetProperty(0);
            }
        }
        for (int i = 0; i < 60 && onDemand.GetKQelUserPropertyCount() > 0; ++i) {
            const int rank = static_cast<int>(random() % static_cast<unsigned>(onDemand.GetKQelUserPropertyCount()));
            if (random() % 8 == 0 && !leftNodes.empty()) {
                const std::size_t at = random() % leftNodes.size();
                ASSERT_TRUE(atOnce.DestroyKQelNode(madeNodes[at], false));
                ASSERT_TRUE(onDemand.DestroyKQelNode(leftNodes[at], false));
                madeNodes.erase(madeNodes.begin() + static_cast<long>(at));
                leftNodes.erase(leftNodes.begin() + static_cast<long>(at));
                continue;
            }
            ASSERT_TRUE(atOnce.DestroyKQelUserProperty(atOnce.GetKQelUserProperty(rank)));
            ASSERT_TRUE(onDemand.DestroyKQelUserProperty(onDemand.GetKQelUserProperty(rank)));
        }
        ASSERT_EQ(onDemand.GetKQelUserPropertyCount(), atOnce.GetKQelUserPropertyCount()) << round;
        ASSERT_EQ(ListedNames(onDemand), ListedNames(atOnce)) << round;
        for (std::size_t n = 0; n < leftNodes.size(); ++n)
            ASSERT_EQ(leftNodes[n]->GetPropertyCount(), madeNodes[n]->GetPropertyCount()) << round << " " << n;
    }
}

// Limits, pivot sets and caches made on first use read as constructed and
// leave the properties as they are.
TEST(NodeOnDemand, PartsMadeLateLeaveThePropertiesAlone)
{
    KQelSdkManager manager;
    KQelNode* node = manager.CreateKQelNode("N");
    KQelNodeProperties* set = static_cast<KQelNodeProperties*>(node->GetPropertyHandler());
    set->RotationActive.SetValue(true);
    set->RotationPivot.SetValue(KgeTVector(1.0, 2.0, 3.0, 1.0));
    EXPECT_EQ(node->GetLimits().GetLimitedNode(), node);
    EXPECT_FALSE(node->GetLimits().GetRotationLimitActive());
    EXPECT_TRUE(set->RotationActive.GetValue());
    EXPECT_EQ(node->GetRotationPivot(KQelNode::eSourcePivot)[0], 0.0);
    EXPECT_EQ(node->GetGeometricScaling(KQelNode::eDestinationPivot)[1], 1.0);
    EXPECT_EQ(node->GetLocalStateId(), 0xFFFFFFFFu);
    node->SetRotationActive(false);
    EXPECT_FALSE(set->RotationActive.GetValue());
    node->SetRotationPivot(KQelNode::eDestinationPivot, KQelVector4(4.0, 5.0, 6.0, 1.0));
    EXPECT_EQ(node->GetRotationPivot(KQelNode::eDestinationPivot)[2], 6.0);
    EXPECT_EQ(node->GetRotationPivot(KQelNode::eSourcePivot)[2], 0.0);
}

}  // namespace
}  // namespace qelsdk_600
