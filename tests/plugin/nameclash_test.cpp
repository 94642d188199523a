// Sorted name arrays, name-clash tables over SDK trees and the host DAG,
// and the search for the node bound to a host path, deep trees included.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/small_stack.h"
#include "host/host_fixture.h"
#include "plugin/qelvesknameclash.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelvesknodeid.h"
#include "plugin/qelvesksdkmanager.h"

using namespace qelsdk_600;

namespace {

std::string NamesOf(const QelVeskKQelNodeSortedArray& pArray)
{
    std::string names;
    for (int i = 0; i < pArray.GetCount(); ++i)
        names += pArray.GetAt(i)->GetNameWithoutNameSpacePrefix().Buffer();
    return names;
}

// A tree made of (name, parent index) rows; parent -1 is the root.
std::vector<QelVeskNode*> MakeTree(QelVeskSdkManager& pManager,
                                   const std::vector<std::pair<const char*, int>>& pRows)
{
    std::vector<QelVeskNode*> nodes;
    for (const auto& row : pRows) {
        nodes.push_back(pManager.CreateQelVeskNode(row.first, nullptr));
        if (row.second >= 0)
            nodes[static_cast<size_t>(row.second)]->AddChild(nodes.back());
    }
    return nodes;
}

}  // namespace

TEST(HostSortedArrays, KeepEqualKeysInInsertionOrder)
{
    QelVeskSdkManager manager(QelVeskSdkManager::eImport);
    QelVeskKQelNodeSortedArray array;
    EXPECT_EQ(array.Find("b"), nullptr);
    std::vector<KQelNode*> nodes;
    for (const char* name : {"b", "a", "c", "b", "B"}) {
        nodes.push_back(manager.CreateKQelNode(name));
        array.Add(nodes.back());
    }
    EXPECT_EQ(NamesOf(array), "Babbc");
    EXPECT_EQ(array.GetAt(2), nodes[0]);
    EXPECT_EQ(array.GetAt(3), nodes[3]);
    for (const char* name : {"a", "b", "c", "B"})
        EXPECT_STREQ(array.Find(name)->GetNameWithoutNameSpacePrefix().Buffer(), name);
    EXPECT_EQ(array.Find("d"), nullptr);

    QelVeskDagPathSortedArray paths;
    EXPECT_EQ(paths.Find("x"), nullptr);
    MDagPath path;
    paths.Add("x", path);
    paths.Add("a", path);
    EXPECT_NE(paths.Find("x"), nullptr);
    EXPECT_EQ(paths.Find("X"), nullptr);
}

TEST(HostClashTable, RecordsSharedNamesInDepthFirstOrder)
{
    QelVeskSdkManager manager(QelVeskSdkManager::eImport);
    // root ( L ( hip ( knee ) ) , hip , R ( hip , Knee ) )
    std::vector<QelVeskNode*> n = MakeTree(
        manager, {{"root", -1}, {"L", 0}, {"hip", 1}, {"knee", 2}, {"hip", 0}, {"R", 0}, {"hip", 5}, {"Knee", 5}});
    QelNameClashTable table(n[0]);
    ASSERT_EQ(table.GetCount(), 1);
    QelNameClashTable::Clash* hips = table.Find("hip");
    ASSERT_NE(hips, nullptr);
    ASSERT_EQ(hips->mNodes.GetCount(), 3);
    EXPECT_EQ(hips->mNodes[0], n[2]);
    EXPECT_EQ(hips->mNodes[1], n[4]);
    EXPECT_EQ(hips->mNodes[2], n[6]);
    EXPECT_EQ(table.Find("knee"), nullptr);

    QelNameClashTable single(n[1]);
    EXPECT_EQ(single.GetCount(), 0);
}

class HostDagClash : public HostTest {};

TEST_F(HostDagClash, RecordsSharedHostNamesInWalkOrder)
{
    make("transform", "L");
    make("transform", "R");
    make("transform", "hip", "L");
    make("transform", "hip", "R");
    make("transform", "hip2", "R");
    QelVeskNameClashTable table(MFn::kTransform);
    ASSERT_NE(table.Find("hip"), nullptr);
    EXPECT_EQ(table.Find("hip2"), nullptr);
    const QelVeskNameClashTable::Clash* hips = table.Find("hip");
    ASSERT_EQ(hips->mPaths.GetCount(), 2);
    EXPECT_STREQ(hips->mPaths[0]->fullPathName().asChar(), "|L|hip");
    EXPECT_STREQ(hips->mPaths[1]->fullPathName().asChar(), "|R|hip");
}

class HostNodeLookup : public HostTest {};

TEST_F(HostNodeLookup, FindsAncestorsFirstAndLaterSiblingsFirst)
{
    make("transform", "a");
    make("transform", "b");
    const MDagPath a = path("a"), b = path("b");
    QelVeskSdkManager manager(QelVeskSdkManager::eImport);
    std::vector<QelVeskNode*> n = MakeTree(manager, {{"root", -1}, {"x", 0}, {"y", 0}, {"z", 1}, {"w", 2}});
    EXPECT_EQ(GetQelNodeFromDagPath(n[0], &a), nullptr);
    n[3]->SetDagPath(&a);
    n[4]->SetDagPath(&a);
    EXPECT_EQ(GetQelNodeFromDagPath(n[0], &a), n[4]);  // the later child's subtree first
    n[1]->SetDagPath(&a);
    EXPECT_EQ(GetQelNodeFromDagPath(n[1], &a), n[1]);  // the start node before its children
    n[0]->SetDagPath(&b);
    EXPECT_EQ(GetQelNodeFromDagPath(n[0], &b), n[0]);
}

TEST(HostCompareFct, ComparesItemsAsUnsigned)
{
    std::vector<std::uint32_t> items = {5, 0xFFFFFFFFu, 1, 0, 0x80000000u};
    std::qsort(items.data(), items.size(), sizeof items[0], ArrayTemplateCompareFctU32);
    EXPECT_EQ(items, (std::vector<std::uint32_t>{0, 1, 5, 0x80000000u, 0xFFFFFFFFu}));
    const std::uint32_t key = 0xFFFFFFFFu;
    EXPECT_NE(std::bsearch(&key, items.data(), items.size(), sizeof key, ArrayTemplateCompareFctU32), nullptr);
}

namespace {

struct DeepChain {
    QelVeskSdkManager* mManager;
    std::vector<QelVeskNode*> mNodes;
    MDagPath mPath;
    QelVeskNode* mFound = nullptr;
    int mClashes = -1;
    int mShared = 0;
};

}  // namespace

// A chain 10^5 nodes deep, as a file may hold: the clash table and the
// lookup walk it on a small stack.
TEST_F(HostNodeLookup, DeepChainsDoNotExhaustTheStack)
{
    make("transform", "tip");
    QelVeskSdkManager manager(QelVeskSdkManager::eImport);
    DeepChain chain{&manager, {}, path("tip")};
    const int depth = 100000;
    for (int i = 0; i < depth; ++i) {
        chain.mNodes.push_back(manager.CreateQelVeskNode(i % 2 ? "odd" : "even", nullptr));
        if (i > 0)
            chain.mNodes[static_cast<size_t>(i) - 1]->AddChild(chain.mNodes.back());
    }
    chain.mNodes.back()->SetDagPath(&chain.mPath);
    smallstack::OnSmallStack(
        [](void* pChain) {
            DeepChain& c = *static_cast<DeepChain*>(pChain);
            c.mFound = GetQelNodeFromDagPath(c.mNodes.front(), &c.mPath);
            QelNameClashTable table(c.mNodes.front());
            c.mClashes = table.GetCount();
            c.mShared = table.Find("odd") ? table.Find("odd")->mNodes.GetCount() : 0;
        },
        &chain);
    EXPECT_EQ(chain.mFound, chain.mNodes.back());
    EXPECT_EQ(chain.mClashes, 2);
    EXPECT_EQ(chain.mShared, depth / 2);
}
