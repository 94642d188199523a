// The host-side node and manager: node defaults and bindings, the matcher's
// ownership, and name-clash resolution on export and import.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include <vesk/MDagPath.h>

#include "content/kqelmaterial.h"
#include "plugin/qelveskmergenodematcher.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelvesksdkmanager.h"
#include "scene/kqelpose.h"

using namespace qelsdk_600;

namespace {

std::vector<QelVeskNode*> MakeNodes(QelVeskSdkManager& pManager, const std::vector<std::string>& pNames)
{
    std::vector<QelVeskNode*> nodes;
    for (const std::string& name : pNames)
        nodes.push_back(pManager.CreateQelVeskNode(name.c_str(), nullptr));
    return nodes;
}

std::vector<std::string> Names(const std::vector<QelVeskNode*>& pNodes)
{
    std::vector<std::string> names;
    for (QelVeskNode* node : pNodes)
        names.push_back(node->GetName());
    return names;
}

}  // namespace

TEST(HostNode, NewNodeIsUnboundWithDefaults)
{
    QelVeskSdkManager manager(QelVeskSdkManager::eImport);
    QelVeskNode* node = manager.CreateQelVeskNode("joint", nullptr);
    ASSERT_NE(node, nullptr);
    EXPECT_STREQ(node->GetName(), "Model::joint");
    EXPECT_EQ(node->GetDagPath(), nullptr);
    EXPECT_EQ(node->GetShapeObject(), nullptr);
    EXPECT_EQ(node->GetShapeIndex(), -1);
    EXPECT_EQ(node->GetGlobalScaling().mData[2], 1.0);
    // Every node the manager makes, whoever asks, is a host node.
    EXPECT_NE(dynamic_cast<QelVeskNode*>(manager.CreateKQelNode("other")), nullptr);

    MDagPath path;
    node->SetDagPath(&path);
    EXPECT_NE(node->GetDagPath(), nullptr);
    node->SetDagPath(nullptr);
    EXPECT_EQ(node->GetDagPath(), nullptr);
    node->SetGlobalTranslation(KgeTVector(1, 2, 3, 5));
    EXPECT_EQ(node->GetGlobalTranslation().mData[2], 3.0);
    EXPECT_EQ(node->GetGlobalTranslation().mData[3], 1.0);
}

TEST(HostNode, DestroyingANodeFreesItsAttributeNames)
{
    QelVeskSdkManager manager(QelVeskSdkManager::eImport);
    QelVeskNode* node = manager.CreateQelVeskNode("joint", nullptr);
    for (const char* label : {"b", "a", "c"})
        node->mUserPropertyNames.Add(label, reinterpret_cast<kReference>(new KString(label)));
    // The leak checker sees any value string left behind.
    EXPECT_TRUE(manager.DestroyQelVeskNode(node, false));
    EXPECT_FALSE(manager.DestroyQelVeskNode(node, false));
}

TEST(HostManager, OwnsOneMatcher)
{
    QelVeskSdkManager manager(QelVeskSdkManager::eImport);
    QelVeskMergeNodeMatcher* matcher = manager.CreateQelVeskMergeNodeMatcher();
    EXPECT_EQ(manager.CreateQelVeskMergeNodeMatcher(), matcher);
    EXPECT_TRUE(manager.DestroyQelVeskMergeNodeMatcher(nullptr));
    EXPECT_FALSE(manager.DestroyQelVeskMergeNodeMatcher(matcher));
    manager.CreateQelVeskMergeNodeMatcher();  // ended with the manager
}

TEST(HostManager, ExportMarksClashes)
{
    struct Case {
        std::vector<std::string> in;
        std::vector<std::string> out;
    };
    const Case cases[] = {
        {{"Arm", "arm"}, {"Model::Arm", "Model::Arm_ncl2_ul1"}},
        {{"Box", "Box", "Box"}, {"Model::Box", "Model::Box_ncl1_1", "Model::Box_ncl1_2"}},
        {{"Box", "box", "Box"}, {"Model::Box", "Model::Box_ncl2_ul1", "Model::Box_ncl1_1"}},
        {{"rig:hip", "hip"}, {"Model::rig:hip", "Model::hip"}},
    };
    for (const Case& c : cases) {
        QelVeskSdkManager manager(QelVeskSdkManager::eExport);
        std::vector<QelVeskNode*> nodes = MakeNodes(manager, c.in);
        manager.ResolveNameClashing();
        EXPECT_EQ(Names(nodes), c.out) << c.in[1];
        EXPECT_EQ(manager.GetRenamingStrategy(KQelSdkManager::eNodeNames), nullptr);
    }
    QelVeskSdkManager manager(QelVeskSdkManager::eExport);
    std::vector<QelVeskNode*> nodes = MakeNodes(manager, {"rig:hip", "hip"});
    manager.ResolveNameClashing();
    EXPECT_STREQ(nodes[0]->mNameSpace.Buffer(), "rig");
    EXPECT_TRUE(nodes[0]->mAddNameSpace);
    EXPECT_TRUE(nodes[1]->mNameSpace.IsEmpty());
    EXPECT_FALSE(nodes[1]->mAddNameSpace);
    // The initial name is the one the case pass gave.
    QelVeskSdkManager again(QelVeskSdkManager::eExport);
    nodes = MakeNodes(again, {"Box", "box", "Box"});
    again.ResolveNameClashing();
    EXPECT_STREQ(nodes[2]->GetInitialName(), "Model::Box");
}

TEST(HostManager, ImportUndoesMarkersAndSplitsNamespaces)
{
    QelVeskSdkManager manager(QelVeskSdkManager::eImport);
    std::vector<QelVeskNode*> nodes = MakeNodes(
        manager, {"Box", "Box_ncl1_1", "a:x", "a:y", "b:z", "w", "b:v", "left arm", "leg(2)", "leg(a)", "Arm_ncl2_ul1"});
    manager.ResolveNameClashing();
    EXPECT_EQ(Names(nodes), (std::vector<std::string>{"Model::Box", "Model::Box", "Model::x", "Model::y", "Model::z",
                                                      "Model::w", "Model::v", "Model::left_arm", "Model::leg",
                                                      "Model::leg_a_", "Model::arm"}));
    EXPECT_STREQ(nodes[1]->GetInitialName(), "Model::Box_ncl1_1");
    struct Expected {
        const char* nameSpace;
        bool add;
    };
    const Expected expected[] = {{"a", true}, {"a", false}, {"b", true}, {"", false}, {"b", false}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(nodes[2 + i]->mNameSpace.Buffer(), expected[i].nameSpace) << i;
        EXPECT_EQ(nodes[2 + i]->mAddNameSpace, expected[i].add) << i;
    }
}

TEST(HostManager, ImportRenamesMaterialsAndPoseItems)
{
    QelVeskSdkManager manager(QelVeskSdkManager::eImport);
    KQelMaterial* material = manager.CreateKQelMaterial("ns:my mat_ncl1_2");
    KQelPose* pose = manager.CreateKQelPose("pose", true);
    KQelMatrix identity;
    pose->Add("Model::leg(2)", identity);
    manager.ResolveNameClashing();
    EXPECT_STREQ(material->GetName(), "Material::my_mat");
    EXPECT_STREQ(material->GetInitialName(), "Material::ns:my mat_ncl1_2");
    // A pose item takes the name as read, without its prefix.
    EXPECT_STREQ(pose->GetNodeName(0).Buffer(), "leg(2)");
}

// Random names, in random letter case and with repeats, some in namespaces,
// come back from an export and an import as they were.
TEST(HostManager, ExportedNamesImportBackExactly)
{
    std::mt19937 random(36);
    const char* const stems[] = {"box", "arm", "leg", "hip", "spine", "hand"};
    const char* const spaces[] = {"", "", "rig", "Rig", "a"};
    std::vector<std::string> spaceOf, nameOf, full;
    for (int i = 0; i < 1000; ++i) {
        std::string name = stems[random() % 6];
        for (char& c : name)
            if (random() % 2)
                c = static_cast<char>(c - 'a' + 'A');
        const std::string space = spaces[random() % 5];
        spaceOf.push_back(space);
        nameOf.push_back(name);
        full.push_back(space.empty() ? name : space + ":" + name);
    }
    QelVeskSdkManager out(QelVeskSdkManager::eExport);
    std::vector<QelVeskNode*> written = MakeNodes(out, full);
    out.ResolveNameClashing();

    QelVeskSdkManager in(QelVeskSdkManager::eImport);
    std::vector<std::string> read;
    for (QelVeskNode* node : written)
        read.push_back(node->GetName());
    for (size_t i = 0; i < read.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            ASSERT_NE(read[i], read[j]) << "names written must be unique";
    std::vector<QelVeskNode*> nodes = MakeNodes(in, read);
    in.ResolveNameClashing();
    for (size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(nodes[i]->GetNameWithoutNameSpacePrefix().Buffer(), nameOf[i]) << read[i];
        EXPECT_EQ(nodes[i]->mNameSpace.Buffer(), spaceOf[i]) << read[i];
    }
}
