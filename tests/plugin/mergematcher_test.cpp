// The merge matcher against stand-in host scenes: binding by name,
// namespace and ancestry, QEL roots, instancing, and user properties mapped
// onto host attributes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vesk/MFnDagNode.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MGlobal.h>

#include "content/kqelcamera.h"
#include "host/host_fixture.h"
#include "io/kqelpluginbase.h"
#include "plugin/qelveskmergenodematcher.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelvesksdkmanager.h"
#include "scene/kqelnull.h"
#include "scene/kqeluserproperty.h"

using namespace qelsdk_600;

namespace {

class HostMerge : public HostTest {
protected:
    HostMerge() : mManager(QelVeskSdkManager::eImport) { mRoot = mManager.CreateQelVeskNode("RootNode", nullptr); }

    QelVeskNode* Add(const char* pName, QelVeskNode* pParent = nullptr)
    {
        QelVeskNode* node = mManager.CreateQelVeskNode(pName, nullptr);
        (pParent ? pParent : mRoot)->AddChild(node);
        return node;
    }
    void Apply(KQelPluginBase* pBase = nullptr)
    {
        QelVeskMergeNodeMatcher* matcher = mManager.CreateQelVeskMergeNodeMatcher();
        matcher->mPluginBase = pBase;
        EXPECT_TRUE(matcher->Apply(mRoot, MFn::kInvalid));
        mManager.DestroyQelVeskMergeNodeMatcher(matcher);
    }
    static std::string BoundTo(QelVeskNode* pNode)
    {
        return pNode->GetDagPath() ? pNode->GetDagPath()->fullPathName().asChar() : "(unbound)";
    }
    // A dynamic numeric attribute on a host node.
    static void AddAttribute(const char* pNode, const char* pName, MFnNumericData::Type pType)
    {
        MFnNumericAttribute creator;
        MFnDependencyNode node(object(pNode));
        ASSERT_TRUE(node.addAttribute(creator.create(pName, pName, pType, 0.0)));
    }
    void AddUserProperty(QelVeskNode* pNode, const char* pLabel, const char* pType)
    {
        KQelUserProperty* property = mManager.CreateKQelUserProperty(pLabel, pType, pLabel);
        property->ModifyFlag(KQelUserProperty::eUserProperty, true);
        pNode->AddProperty(property);
    }
    std::string Mapped(QelVeskNode* pNode, const char* pLabel)
    {
        kReference value = pNode->mUserPropertyNames.Get(pLabel);
        return value ? reinterpret_cast<KString*>(value)->Buffer() : "(none)";
    }

    QelVeskSdkManager mManager;
    QelVeskNode* mRoot;
};

}  // namespace

TEST_F(HostMerge, BindsATopLevelNodeByName)
{
    make("transform", "hip");
    QelVeskNode* hip = Add("hip");
    QelVeskNode* knee = Add("knee");
    Apply();
    EXPECT_EQ(BoundTo(hip), "|hip");
    EXPECT_TRUE(hip->mMerged);
    EXPECT_EQ(BoundTo(knee), "(unbound)");
    EXPECT_FALSE(knee->mMerged);
}

// Two hips, under L and under R, or one hip instanced under both: each SDK
// hip gets the path of its own ancestry.
class HostMergeShared : public HostMerge, public ::testing::WithParamInterface<bool> {};

TEST_P(HostMergeShared, SharedNamesAreToldApartByAncestry)
{
    make("transform", "L");
    make("transform", "R");
    make("transform", "hip", "L");
    if (GetParam())
        ASSERT_TRUE(MFnDagNode(object("R")).addChild(object("hip"), MFnDagNode::kNextPos, true));
    else
        make("transform", "hip", "R");
    QelVeskNode* left = Add("hip", Add("L"));
    QelVeskNode* right = Add("hip", Add("R"));
    Apply();
    EXPECT_EQ(BoundTo(left), "|L|hip");
    EXPECT_EQ(BoundTo(right), "|R|hip");
}
INSTANTIATE_TEST_SUITE_P(SeparateAndInstanced, HostMergeShared, ::testing::Bool());

TEST_F(HostMerge, NamespacesMustAgree)
{
    ASSERT_TRUE(MGlobal::executeCommand("namespace -add rig"));
    make("transform", "rig:hip");
    make("transform", "arm");
    QelVeskNode* hip = Add("hip");
    hip->mNameSpace = "rig";
    QelVeskNode* arm = Add("arm");
    arm->mNameSpace = "rig";
    Apply();
    EXPECT_EQ(BoundTo(hip), "|rig:hip");
    EXPECT_EQ(BoundTo(arm), "(unbound)");

    hip->SetDagPath(nullptr);
    hip->mNameSpace = "";
    Apply();
    EXPECT_EQ(BoundTo(hip), "(unbound)");
}

TEST_F(HostMerge, TheFirstHostNodeFoundByNameKeepsTheBinding)
{
    make("transform", "a");
    make("transform", "b");
    make("transform", "hip", "a");
    make("transform", "hip", "b");
    QelVeskNode* hip = Add("hip");
    Apply();
    EXPECT_EQ(BoundTo(hip), "|a|hip");
}

TEST_F(HostMerge, QelRootsNeedAChildInCommon)
{
    make("transform", "Qel_Root");
    make("transform", "c", "Qel_Root");
    QelVeskNode* root = Add("Qel_Root");
    Add("a", root);
    Add("b", root);
    KQelPluginBase base;
    Apply(&base);
    EXPECT_EQ(BoundTo(root), "(unbound)");

    Add("c", root);
    Apply(&base);
    EXPECT_EQ(BoundTo(root), "|Qel_Root");
    // Without a plug-in base no node counts as a root.
    EXPECT_FALSE(IsRootWithoutMatchingChild(path("Qel_Root"), root, nullptr));
}

TEST_F(HostMerge, CamerasKeepTheirShapeAndPropertiesTheirAttributes)
{
    make("transform", "cam1");
    make("camera", "cam1Shape", "cam1");
    make("transform", "prop");
    AddAttribute("prop", "my_prop", MFnNumericData::kDouble);
    AddAttribute("prop", "other3", MFnNumericData::kLong);
    AddAttribute("prop", "bad", MFnNumericData::kBoolean);
    AddAttribute("prop", "bad1", MFnNumericData::kDouble);

    QelVeskNode* camera = Add("cam1");
    camera->SetNodeAttribute(mManager.CreateKQelCamera());
    QelVeskNode* prop = Add("prop");
    prop->SetNodeAttribute(mManager.CreateKQelNull());
    AddUserProperty(prop, "my prop", "Real");
    AddUserProperty(prop, "other", "Integer");
    AddUserProperty(prop, "bad", "Real");
    QelVeskNode* bare = Add("cam1Shape");  // no attribute: no mapping
    Apply();
    ASSERT_NE(camera->GetShapeObject(), nullptr);
    EXPECT_EQ(nameOf(*camera->GetShapeObject()), "cam1Shape");
    EXPECT_EQ(Mapped(prop, "my prop"), "my_prop");
    EXPECT_EQ(Mapped(prop, "other"), "other3");
    EXPECT_EQ(Mapped(prop, "bad"), "(none)");  // a type mismatch stops the search
    EXPECT_EQ(prop->mUserPropertyNames.GetCount(), 2);
    EXPECT_EQ(bare->mUserPropertyNames.GetCount(), 0);
}

TEST_F(HostMerge, UserPropertyTypesMatchTheAttributesUnitType)
{
    const MFnNumericData::Type units[] = {MFnNumericData::kBoolean, MFnNumericData::kByte,    MFnNumericData::kChar,
                                          MFnNumericData::kShort,   MFnNumericData::kLong,    MFnNumericData::kFloat,
                                          MFnNumericData::kDouble,  MFnNumericData::k3Float,  MFnNumericData::k3Double,
                                          MFnNumericData::k2Float};
    // Per unit type, the property types (Bool, Real, Color, Integer,
    // Vector) that match.
    const char* const matches[] = {"B", "I", "I", "I", "I", "R", "R", "CV", "CV", ""};
    const char* const typeNames[] = {"Bool", "Real", "Color", "Integer", "Vector"};
    const char letters[] = "BRCIV";
    make("transform", "n");
    QelVeskMergeNodeMatcher matcher(mManager);
    for (size_t u = 0; u < sizeof units / sizeof units[0]; ++u) {
        const std::string name = "a" + std::to_string(u);
        AddAttribute("n", name.c_str(), units[u]);
        const MObject attribute = MFnDependencyNode(object("n")).attribute(name.c_str());
        for (int t = 0; t < 5; ++t) {
            KQelUserProperty* property = mManager.CreateKQelUserProperty("p", typeNames[t], "p");
            const bool expected = std::string(matches[u]).find(letters[t]) != std::string::npos;
            EXPECT_EQ(matcher.UserPropertyTypesMatch(property, attribute), expected) << u << " " << typeNames[t];
            mManager.DestroyKQelUserProperty(property);
        }
    }
    // Not a numeric attribute at all.
    KQelUserProperty* property = mManager.CreateKQelUserProperty("p", "Real", "p");
    EXPECT_FALSE(matcher.UserPropertyTypesMatch(property, MFnDependencyNode(object("n")).attribute("message")));
    mManager.DestroyKQelUserProperty(property);
}
