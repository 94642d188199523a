#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "io/kqelpluginbase.h"
#include "io_fakes.h"
#include "math/kqelmatrix.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

using iotest::Child;

// Supplies the world transform, accepts chosen nodes as alternative roots,
// and records the hooks it is called through.
class HostImport : public KQelPluginImportBase {
public:
    bool IsAlternativeQelRootNode(KQelNode* pNode) override { return mAlternative.count(pNode) != 0; }
    void ComputeWorldTransform(KgeAMatrix& pWorld) override
    {
        mCalls.push_back("world");
        mWorldWasIdentity = true;
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column)
                mWorldWasIdentity &= pWorld.mData[row][column] == KmIdentity.mData[row][column];
        }
        pWorld = mWorld;
    }
    void CustomApplyWorldTransform(KQelNode* pNode, KgeAMatrix& pWorld, bool pIsIdentity) override
    {
        mCalls.push_back(std::string("apply ") + pNode->GetName() + (pIsIdentity ? " identity" : ""));
        KQelPluginImportBase::CustomApplyWorldTransform(pNode, pWorld, pIsIdentity);
    }

    KgeAMatrix mWorld;
    std::set<KQelNode*> mAlternative;
    std::vector<std::string> mCalls;
    bool mWorldWasIdentity = false;
};

std::vector<KQelNode*> Items(const KArrayTemplate<KQelNode*>& pArray)
{
    std::vector<KQelNode*> items;
    for (int i = 0; i < pArray.GetCount(); ++i)
        items.push_back(pArray.GetAt(i));
    return items;
}

TEST(PluginBase, RootNodesByNameOrByTheHostsTest)
{
    KQelSdkManager manager;
    HostImport host;
    KQelNode* alternative = Child(manager, nullptr, "Root");
    const struct {
        KQelNode* mNode;
        bool mExpected;
    } cases[] = {
        {nullptr, false},
        {Child(manager, nullptr, "Scene:Qel_Root_1"), true},
        {Child(manager, nullptr, "Qel_Root"), true},
        {Child(manager, nullptr, "QEL_ROOT"), false},
        {alternative, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.mExpected, host.IsQelRootNode(c.mNode)) << (c.mNode ? c.mNode->GetName() : "null");
    host.mAlternative.insert(alternative);
    EXPECT_TRUE(host.IsQelRootNode(alternative));
    EXPECT_STREQ("Qel_Root", host.GetRootNodeName().Buffer());
}

TEST(PluginBase, PreprocessSortsRootsByWhatTheWorldTransformCancels)
{
    KQelSdkManager manager;
    HostImport host;
    KQelNode* scene = Child(manager, nullptr, "RootNode");
    // Cancelled by the world transform: excluded, its children refused.
    KQelNode* cancelled = Child(manager, scene, "Qel_Root");
    cancelled->SetDefaultT(KQelVector4(0, 0, -5, 0));
    cancelled->SetDefaultR(KQelVector4(0, 0, 90, 0));
    KQelNode* a1 = Child(manager, cancelled, "a1");
    KQelNode* a2 = Child(manager, cancelled, "a2");
    Child(manager, a1, "grandchild");
    // Not cancelled: refused itself.
    KQelNode* kept = Child(manager, scene, "Scene:Qel_Root_1");
    kept->SetDefaultT(KQelVector4(1, 2, 3, 0));
    KQelNode* b1 = Child(manager, kept, "b1");
    KQelNode* alternative = Child(manager, scene, "HostRoot");
    host.mAlternative.insert(alternative);
    KQelNode* plain = Child(manager, scene, "Plain");
    KQelNode* c1 = Child(manager, plain, "c1");

    // World: back by -90 degrees about Z, then up by 5 along Z.
    static_cast<KgeAMatrix&>(host.mWorld) =
        KQelXMatrix(KQelVector4(0, 0, 5, 0), KQelVector4(0, 0, -90, 0), KQelVector4(1, 1, 1, 0));
    host.Preprocess(scene);

    EXPECT_TRUE(host.mWorldWasIdentity);
    EXPECT_EQ((std::vector<std::string>{"world", "apply Model::RootNode"}), host.mCalls);
    EXPECT_EQ((std::vector<KQelNode*>{a1, a2, kept, alternative}), Items(host.GetRefusedNodes()));
    EXPECT_EQ((std::vector<KQelNode*>{cancelled}), Items(host.GetExcludedRoots()));
    const struct {
        KQelNode* mNode;
        bool mNeedsRoot;
        bool mExcluded;
    } cases[] = {
        {cancelled, false, true}, {a1, false, false},   {a2, false, false},
        {kept, false, false},     {b1, true, false},    {alternative, false, false},
        {plain, true, false},     {c1, true, false},    {scene, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mNode->GetName());
        EXPECT_EQ(c.mNeedsRoot, host.NeedQelRoot(c.mNode));
        EXPECT_EQ(c.mExcluded, host.IsExcludedQelRoot(c.mNode));
    }
    // The world transform went to the scene root.
    KQelVector4 t, r;
    scene->GetDefaultT(t);
    scene->GetDefaultR(r);
    EXPECT_NEAR(5.0, t[2], 1e-9);
    EXPECT_NEAR(-90.0, r[2], 1e-9);

    // A second pass refills the refused nodes and adds to the excluded roots.
    host.mAlternative.clear();
    host.mWorld = KgeAMatrix();
    host.Preprocess(plain);
    EXPECT_TRUE(host.GetRefusedNodes().GetCount() == 0);
    EXPECT_TRUE(host.NeedQelRoot(kept));
    EXPECT_FALSE(host.NeedQelRoot(cancelled));
}

TEST(PluginBase, FourthColumnIsNotPartOfTheIdentityTest)
{
    const struct {
        int mRow, mColumn;
        double mValue;
        bool mIdentity;
    } cases[] = {
        {0, 3, 7.0, true},      {3, 3, 2.0, true},       {3, 0, 0.0001, true},
        {3, 0, 0.00011, false}, {1, 1, -0.00015, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.mRow) + "," + std::to_string(c.mColumn));
        KQelSdkManager manager;
        HostImport host;
        KQelNode* scene = Child(manager, nullptr, "RootNode");
        KQelNode* root = Child(manager, scene, "Qel_Root");
        KQelNode* child = Child(manager, root, "child");
        host.mWorld.mData[c.mRow][c.mColumn] += c.mValue;
        host.Preprocess(scene);
        EXPECT_EQ(std::string("apply Model::RootNode") + (c.mIdentity ? " identity" : ""), host.mCalls.back());
        // The root sits at the origin: only an identity world cancels it.
        EXPECT_EQ(c.mIdentity, host.IsExcludedQelRoot(root));
        EXPECT_EQ(!c.mIdentity, host.NeedQelRoot(child));
    }
}

TEST(PluginBase, PreprocessOfNullCallsNothing)
{
    HostImport host;
    host.Preprocess(nullptr);
    EXPECT_TRUE(host.mCalls.empty());
    EXPECT_TRUE(host.NeedQelRoot(nullptr));
    EXPECT_FALSE(host.IsExcludedQelRoot(nullptr));
}

}  // namespace
}  // namespace qelsdk_600
