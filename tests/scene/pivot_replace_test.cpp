#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "curves/kfcurve.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelpivotreplace.h"
#include "scene/kqelnull.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelskeleton.h"
#include "node_test_util.h"
#include "pivot_test_util.h"

namespace qelsdk_600 {
namespace {

bool Has(KQelNode* pNode, const char* pMarker)
{
    return std::strstr(pNode->GetName(), pMarker) != nullptr;
}

KQelTakeNode* TakeNamed(KQelNode* pNode, const char* pName)
{
    for (int i = 0; i < pNode->GetTakeNodeCount(); ++i)
        if (std::strcmp(pNode->GetTakeNode(i)->GetName(), pName) == 0)
            return pNode->GetTakeNode(i);
    return nullptr;
}

KQelVector4 DefaultT(KQelNode* pNode)
{
    KQelVector4 t;
    return pNode->GetDefaultT(t);
}

KQelVector4 DefaultR(KQelNode* pNode)
{
    KQelVector4 r;
    return pNode->GetDefaultR(r);
}

// ---- The walks as first described, one change at a time ----

KString ReferenceName(KQelNode* pNode, const char* pMarker)
{
    const KString name(pNode->GetName());
    const int p = name.Find("ncl");
    return p > 0 ? KString(pNode->GetInitialName()) + pMarker + name.Right(static_cast<unsigned int>(p)) : name + pMarker;
}

void ReferenceCopyTakes(KQelNode* pFrom, KQelNode* pTo, bool pMove, const KQelVector4& pT, const KQelVector4& pR)
{
    for (int i = 0; i < pFrom->GetTakeNodeCount(); ++i) {
        KQelTakeNode* from = pFrom->GetTakeNode(i);
        KQelTakeNode* to = TakeNamed(pTo, from->GetName());
        if (!to)
            to = pTo->CreateTakeNode(from->GetName());
        for (int axis = 0; axis < 3; ++axis) {
            KFCurve* source = Channel(from, axis);
            KFCurve* target = Channel(to, axis);
            if (source && target) {
                target->CopyFrom(*source, true);
                if (pMove) {
                    source->KeyClear();
                    source->SetValue(0.0f);
                }
            }
            if (pMove && target)
                target->SetValue(static_cast<float>(pT[axis]));
            if (KFCurve* rotation = pMove ? Channel(to, 3 + axis) : nullptr)
                rotation->SetValue(static_cast<float>(pR[axis]));
        }
    }
}

bool ReferenceExport(KQelNode* pNode, KQelSdkManager& pManager)
{
    const KQelVector4 zero;
    const KQelVector4 pre = pNode->GetPreRotation(kSet0);
    const KQelVector4 post = pNode->GetPostRotation(kSet0);
    bool rewritten = false;
    if (pre != zero) {
        KQelNode* added = pManager.CreateKQelNode(ReferenceName(pNode, "__Pre_").Buffer());
        if (KQelNode* parent = pNode->GetParent()) {
            parent->RemoveChild(pNode);
            parent->AddChild(added);
        }
        added->AddChild(pNode);
        const KQelVector4 t = DefaultT(pNode);
        added->SetDefaultR(pre);
        added->SetDefaultT(t);
        pNode->SetDefaultT(zero);
        pNode->SetPreRotation(kSet0, zero);
        ReferenceCopyTakes(pNode, added, true, t, pre);
        rewritten = true;
    }
    if (post != zero) {
        KQelNode* added = pManager.CreateKQelNode(ReferenceName(pNode, "__Post_").Buffer());
        while (pNode->GetChildCount() > 0)
            added->AddChild(pNode->GetChild(0));
        pNode->AddChild(added);
        added->SetDefaultR(post);
        pNode->SetPostRotation(kSet0, zero);
        rewritten = true;
    }
    for (int i = 0; i < pNode->GetChildCount();) {
        if (!ReferenceExport(pNode->GetChild(i), pManager))
            ++i;
    }
    return rewritten;
}

void ReferenceImport(KQelNode* pNode)
{
    const int count = pNode->GetChildCount();
    for (int i = count - 1; i >= 0; --i) {
        KQelNode* c = pNode->GetChild(i);
        if (!c)
            continue;
        if (Has(c, "__Post_") && c->GetChild(0))
            c = c->GetChild(0);
        if (Has(c, "__Pre_") && c->GetChild(0))
            c = c->GetChild(0);
        bool folded = false;
        KQelNode* p = c->GetParent();
        if (p && p->GetParent() && Has(p, "__Pre_")) {
            c->SetDefaultT(DefaultT(p));
            c->SetPreRotation(kSet0, DefaultR(p));
            KQelNode* g = p->GetParent();
            p->RemoveChild(c);
            g->AddChild(c);
            g->RemoveChild(p);
            ReferenceCopyTakes(p, c, false, KQelVector4(), KQelVector4());
            folded = true;
        }
        KQelNode* q = c->GetChild(0);
        if (q && Has(q, "__Post_")) {
            c->SetPostRotation(kSet0, DefaultR(q));
            c->RemoveChild(q);
            for (int n = q->GetChildCount(); n > 0; --n)
                c->AddChild(q->GetChild(0));
            folded = true;
        }
        if (!folded) {
            c->SetPivotState(kSet0, KQelNode::ePivotActive);
            c->SetPivotState(kSet1, KQelNode::ePivotActive);
        }
        ReferenceImport(c);
    }
}

// ---- Comparing whole managers ----

void Append(std::string& pOut, const char* pFormat, double pValue)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pFormat, pValue);
    pOut += buffer;
}

void DumpVector(std::string& pOut, const char* pLabel, const KQelVector4& pVector)
{
    pOut += pLabel;
    for (int i = 0; i < 3; ++i)
        Append(pOut, " %.9g", pVector[i]);
}

void DumpTree(std::string& pOut, KQelNode* pNode, int pDepth)
{
    pOut += std::string(static_cast<std::size_t>(pDepth) * 2, ' ') + pNode->GetName();
    DumpVector(pOut, " T", DefaultT(pNode));
    DumpVector(pOut, " R", DefaultR(pNode));
    DumpVector(pOut, " pre", pNode->GetPreRotation(kSet0));
    DumpVector(pOut, " post", pNode->GetPostRotation(kSet0));
    KQelNode::EPivotState s0, s1;
    pNode->GetPivotState(kSet0, s0);
    pNode->GetPivotState(kSet1, s1);
    Append(pOut, " states %g", s0 * 10 + s1);
    pOut += pNode->GetEntity() ? " listed" : "";
    for (int i = 0; i < pNode->GetTakeNodeCount(); ++i) {
        KQelTakeNode* take = pNode->GetTakeNode(i);
        pOut += std::string(" [") + take->GetName();
        for (int channel = 0; channel < 6; ++channel) {
            KFCurve* curve = Channel(take, channel);
            if (!curve) {
                pOut += " -";
                continue;
            }
            Append(pOut, " %.9g", curve->GetValue());
            for (int k = 0; k < curve->KeyGetCount(); ++k) {
                Append(pOut, "@%.0f", static_cast<double>(curve->KeyGetTime(k).Get()));
                Append(pOut, "=%.9g", curve->KeyGetValue(k));
            }
        }
        pOut += "]";
    }
    pOut += "\n";
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        DumpTree(pOut, pNode->GetChild(i), pDepth + 1);
}

// Every tree of the manager (attached or detached), roots in creation order.
std::string DumpManager(KQelSdkManager& pManager)
{
    std::string out;
    for (int i = 0; i < pManager.GetKQelNodeCount(); ++i) {
        KQelNode* node = pManager.GetKQelNode(i);
        if (!node->GetParent())
            DumpTree(out, node, 0);
    }
    return out;
}

// ---- Random trees ----

// A tree of pCount nodes under "Root", each under a random earlier node,
// the same for the same seed. Nodes get default transforms, pre- and
// post-rotations (half of them zero), the takes "A" and "B" in either order
// with translation keys, and, with pHostile, names holding the markers and
// takes without translation curves.
std::vector<KQelNode*> RandomTree(KQelSdkManager& pManager, unsigned pSeed, int pCount, bool pHostile)
{
    std::mt19937 random(pSeed);
    auto pick = [&](int pBelow) { return static_cast<int>(random() % static_cast<unsigned>(pBelow)); };
    auto value = [&]() { return static_cast<double>(pick(41) - 20) * 0.5; };
    const char* const markers[] = {"", "", "__Pre_", "__Post_", "__Pre___Post_"};
    std::vector<KQelNode*> nodes = {pManager.CreateKQelNode("Root")};
    for (int i = 1; i < pCount; ++i) {
        const std::string name = "N" + std::to_string(i) + (pHostile ? markers[pick(5)] : "");
        KQelNode* node = pManager.CreateKQelNode(name.c_str());
        nodes[static_cast<std::size_t>(pick(i))]->AddChild(node);
        node->SetDefaultT(V(value(), value(), value()));
        node->SetDefaultR(V(value(), value(), value()));
        if (pick(2))
            node->SetPreRotation(kSet0, V(value(), 0, value()));
        if (pick(2))
            node->SetPostRotation(kSet0, V(0, value(), 0));
        const char* takes[2] = {"A", "B"};
        if (pick(2))
            std::swap(takes[0], takes[1]);
        for (const char* name : takes) {
            KQelTakeNode* take = node->CreateTakeNode(name);
            if (pHostile && pick(4) == 0) {
                DropTranslation(take);
                continue;
            }
            for (int axis = 0; axis < 3; ++axis)
                if (pick(2))
                    AddKey(Channel(take, axis), pick(5) * 0.25, static_cast<float>(value()));
        }
        nodes.push_back(node);
    }
    return nodes;
}

// ---- Export ----

class PivotReplace : public ::testing::Test {
protected:
    KQelNode* Make(const char* pName) { return mManager.CreateKQelNode(pName); }
    KQelSdkManager mManager;
};

TEST_F(PivotReplace, PreRotationMovesToAParentWithTheTranslationAnimation)
{
    KQelNode* root = Make("R");
    KQelNode* first = Make("First");
    KQelNode* arm = Make("Arm");
    KQelNode* last = Make("Last");
    for (KQelNode* n : {first, arm, last})
        root->AddChild(n);
    arm->SetDefaultT(V(1, 2, 3));
    arm->SetPreRotation(kSet0, V(0, 0, 30));
    arm->CreateTakeNode("A");
    arm->CreateTakeNode("B");
    AddKey(Channel(TakeNamed(arm, "B"), 0), 0.5, 4.0f);
    AddKey(Channel(TakeNamed(arm, "B"), 2), 1.0, 5.0f);

    EXPECT_TRUE(ReplacePivotExport(arm, kSet0, mManager));

    ASSERT_EQ(root->GetChildCount(), 3);
    EXPECT_EQ(root->GetChild(0), first);
    EXPECT_EQ(root->GetChild(1), last);
    KQelNode* pre = root->GetChild(2);
    EXPECT_STREQ(pre->GetName(), "Model::Arm__Pre_");
    ASSERT_EQ(pre->GetChildCount(), 1);
    EXPECT_EQ(pre->GetChild(0), arm);
    EXPECT_EQ(pre->GetNodeAttribute(), nullptr);
    EXPECT_TRUE(Near3(DefaultR(pre), V(0, 0, 30)));
    EXPECT_TRUE(Near3(DefaultT(pre), V(1, 2, 3)));
    EXPECT_TRUE(Near3(DefaultT(arm), V(0, 0, 0), 0.0));
    EXPECT_TRUE(Near3(arm->GetPreRotation(kSet0), V(0, 0, 0), 0.0));
    ASSERT_EQ(pre->GetTakeNodeCount(), 3);
    for (const char* name : {"Default", "A", "B"}) {
        KQelTakeNode* from = TakeNamed(arm, name);
        KQelTakeNode* to = TakeNamed(pre, name);
        ASSERT_NE(to, nullptr) << name;
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(Channel(from, axis)->KeyGetCount(), 0) << name;
            EXPECT_EQ(Channel(from, axis)->GetValue(), 0.0f) << name;
            EXPECT_EQ(Channel(to, axis)->GetValue(), static_cast<float>(axis + 1)) << name;
            EXPECT_EQ(Channel(to, 3 + axis)->GetValue(), axis == 2 ? 30.0f : 0.0f) << name;
        }
    }
    KQelTakeNode* b = TakeNamed(pre, "B");
    ASSERT_EQ(Channel(b, 0)->KeyGetCount(), 1);
    EXPECT_EQ(Channel(b, 0)->KeyGetValue(0), 4.0f);
    ASSERT_EQ(Channel(b, 2)->KeyGetCount(), 1);
    EXPECT_EQ(Channel(b, 2)->KeyGetTime(0), At(1.0));
}

TEST_F(PivotReplace, PostRotationMovesToAChildThatAdoptsTheChildren)
{
    for (bool withPre : {false, true}) {
        KQelNode* root = Make("R");
        KQelNode* node = Make("Node");
        root->AddChild(node);
        std::vector<KQelNode*> children = AddChildren(mManager, node, 2, "Kid");
        node->SetPostRotation(kSet0, V(90, 0, 0));
        if (withPre)
            node->SetPreRotation(kSet0, V(0, 10, 0));

        EXPECT_TRUE(ReplacePivotExport(node, kSet0, mManager));

        ASSERT_EQ(node->GetChildCount(), 1);
        KQelNode* post = node->GetChild(0);
        EXPECT_STREQ(post->GetName(), "Model::Node__Post_");
        EXPECT_TRUE(Near3(DefaultR(post), V(90, 0, 0)));
        EXPECT_TRUE(Near3(node->GetPostRotation(kSet0), V(0, 0, 0), 0.0));
        ASSERT_EQ(post->GetChildCount(), 2);
        EXPECT_EQ(post->GetChild(0), children[0]);
        EXPECT_EQ(post->GetChild(1), children[1]);
        EXPECT_STREQ(node->GetParent()->GetName(), withPre ? "Model::Node__Pre_" : "Model::R");
    }
}

TEST_F(PivotReplace, ExportAnswersForItsOwnNodeButWalksTheSubtree)
{
    KQelNode* node = Make("Node");
    node->SetPreRotation(kSet0, V(0, 1e-7, 0));
    node->SetPostRotation(kSet0, V(1e-7, 0, 0));
    KQelNode* child = Make("Child");
    node->AddChild(child);
    child->SetPreRotation(kSet0, V(0, 5, 0));
    EXPECT_FALSE(ReplacePivotExport(node, kSet0, mManager));
    EXPECT_FALSE(ReplacePivotExport(nullptr, kSet0, mManager));
    ASSERT_EQ(node->GetChildCount(), 1);
    EXPECT_STREQ(node->GetChild(0)->GetName(), "Model::Child__Pre_");
    EXPECT_EQ(node->GetChild(0)->GetChild(0), child);
}

TEST_F(PivotReplace, AddedNodesAreNamedAfterTheInitialNameWhenTheNameHoldsNcl)
{
    struct Case {
        const char* initial;
        const char* renamed;  // null: not renamed
        const char* pre;
    } cases[] = {
        {"Arm", nullptr, "Model::Arm__Pre_"},
        // "ncl" at 10 in "Model::Armncl2": initial name, marker, the last
        // 10 characters; the manager keeps what follows the first "::".
        {"Arm", "Armncl2", "Model::Arm__Pre_l::Armncl2"},
        {"Leg", "Model::nclX", "Model::Leg__Pre_l::nclX"},
    };
    for (const Case& c : cases) {
        KQelNode* node = Make(c.initial);
        if (c.renamed)
            node->SetName(c.renamed);
        node->SetPreRotation(kSet0, V(1, 0, 0));
        ReplacePivotExport(node, kSet0, mManager);
        EXPECT_STREQ(node->GetParent()->GetName(), c.pre) << c.initial;
    }
}

TEST_F(PivotReplace, AddedNodesOfASkeletonAreLimbNodesOfItsSize)
{
    enum Kind { eNone, eNull, eSkeleton };
    for (Kind kind : {eNone, eNull, eSkeleton}) {
        KQelNode* node = Make("Bone");
        if (kind == eNull)
            node->SetNodeAttribute(mManager.CreateKQelNull());
        if (kind == eSkeleton) {
            KQelSkeleton* skeleton = mManager.CreateKQelSkeleton();
            skeleton->SetSkeletonType(KQelSkeleton::eRoot);
            skeleton->SetLimbNodeSize(7.5);
            node->SetNodeAttribute(skeleton);
        }
        node->SetPreRotation(kSet0, V(0, 0, 10));
        node->SetPostRotation(kSet0, V(0, 0, 20));
        ReplacePivotExport(node, kSet0, mManager);
        for (KQelNode* added : {node->GetParent(), node->GetChild(0)}) {
            ASSERT_NE(added, nullptr);
            if (kind != eSkeleton) {
                EXPECT_EQ(added->GetNodeAttribute(), nullptr) << added->GetName();
                continue;
            }
            KQelSkeleton* limb = added->GetSkeleton();
            ASSERT_NE(limb, nullptr) << added->GetName();
            EXPECT_NE(limb, node->GetSkeleton());
            EXPECT_EQ(limb->GetSkeletonType(), KQelSkeleton::eLimbNode);
            EXPECT_EQ(limb->GetLimbNodeSize(), 7.5);
        }
    }
}

// ---- Import ----

TEST_F(PivotReplace, ExportThenImportGivesEveryNodeBack)
{
    // R: A (pre), B (post; children B1, B2 (post, leaf)), C (both; child C1
    // (pre)), D (none; child D1 (a skeleton with both)).
    KQelNode* root = Make("R");
    KQelNode* a = Make("A");
    KQelNode* b = Make("B");
    KQelNode* c = Make("C");
    KQelNode* d = Make("D");
    KQelNode* b1 = Make("B1");
    KQelNode* b2 = Make("B2");
    KQelNode* c1 = Make("C1");
    KQelNode* d1 = Make("D1");
    for (KQelNode* n : {a, b, c, d})
        root->AddChild(n);
    b->AddChild(b1);
    b->AddChild(b2);
    c->AddChild(c1);
    d->AddChild(d1);
    std::vector<KQelNode*> all = {a, b, c, d, b1, b2, c1, d1};
    for (std::size_t i = 0; i < all.size(); ++i) {
        KQelNode* n = all[i];
        n->SetDefaultT(V(i, 1, -static_cast<double>(i)));
        n->CreateTakeNode("Run");
        n->CreateTakeNode("Jump");
        AddKey(Channel(TakeNamed(n, "Run"), 0), 0.25, static_cast<float>(i));
        AddKey(Channel(TakeNamed(n, "Jump"), 1), 0.5, static_cast<float>(i) + 0.5f);
    }
    KQelSkeleton* bone = mManager.CreateKQelSkeleton();
    bone->SetSkeletonType(KQelSkeleton::eLimb);
    d1->SetNodeAttribute(bone);
    for (KQelNode* n : {a, c, c1, d1})
        n->SetPreRotation(kSet0, V(0, 0, 30, 0));
    for (KQelNode* n : {b, c, b2, d1})
        n->SetPostRotation(kSet0, V(45, 0, 0, 0));
    std::vector<std::string> before;
    for (KQelNode* n : all) {
        std::string out;
        DumpTree(out, n, 0);
        before.push_back(out.substr(0, out.find('\n')));
    }

    ReplacePivotExport(root, kSet0, mManager);
    ReplacePivotImport(root, kSet0, mManager);

    KQelNode* parents[] = {root, root, root, root, b, b, c, d};
    for (std::size_t i = 0; i < all.size(); ++i) {
        KQelNode* n = all[i];
        EXPECT_EQ(n->GetParent(), parents[i]) << n->GetName();
        // Nodes without markers are made active in both sets; the others
        // keep their states.
        if (n == d || n == b1) {
            KQelNode::EPivotState s0, s1;
            n->GetPivotState(kSet0, s0);
            n->GetPivotState(kSet1, s1);
            EXPECT_TRUE(s0 == KQelNode::ePivotActive && s1 == KQelNode::ePivotActive) << n->GetName();
            n->SetPivotState(kSet0, KQelNode::ePivotReference);
            n->SetPivotState(kSet1, KQelNode::ePivotReference);
        }
        std::string out;
        DumpTree(out, n, 0);
        EXPECT_EQ(out.substr(0, out.find('\n')), before[i]);
    }
    // Folded nodes come last, in the order the walk met them (last first).
    ASSERT_EQ(root->GetChildCount(), 4);
    EXPECT_EQ(root->GetChild(0), b);
    EXPECT_EQ(root->GetChild(1), d);
    EXPECT_EQ(root->GetChild(2), c);
    EXPECT_EQ(root->GetChild(3), a);
    EXPECT_EQ(b->GetChild(0), b1);
    EXPECT_EQ(b->GetChild(1), b2);
    EXPECT_EQ(d1->GetSkeleton(), bone);
    KQelNode::EPivotState rootState;
    root->GetPivotState(kSet0, rootState);
    EXPECT_EQ(rootState, KQelNode::ePivotReference) << "the node walked from is not examined";
    for (int i = 0; i < mManager.GetKQelNodeCount(); ++i) {
        KQelNode* n = mManager.GetKQelNode(i);
        if (Has(n, "__Pre_") || Has(n, "__Post_")) {
            EXPECT_EQ(n->GetParent(), nullptr) << n->GetName() << " stays detached";
        }
    }
}

TEST_F(PivotReplace, ImportPairsTakesByName)
{
    KQelNode* root = Make("R");
    KQelNode* marker = Make("X__Pre_");
    KQelNode* node = Make("X");
    root->AddChild(marker);
    marker->AddChild(node);
    for (const char* name : {"B", "A"})
        AddKey(Channel(marker->CreateTakeNode(name), 0), 1.0, name[0] == 'A' ? 1.0f : 2.0f);
    node->CreateTakeNode("A");
    node->CreateTakeNode("B");
    AddKey(Channel(marker->CreateTakeNode("C"), 1), 2.0, 3.0f);

    ReplacePivotImport(root, kSet0, mManager);

    ASSERT_EQ(node->GetParent(), root);
    EXPECT_EQ(Channel(TakeNamed(node, "A"), 0)->KeyGetValue(0), 1.0f);
    EXPECT_EQ(Channel(TakeNamed(node, "B"), 0)->KeyGetValue(0), 2.0f);
    ASSERT_NE(TakeNamed(node, "C"), nullptr) << "a take the node lacks is made";
    EXPECT_EQ(Channel(TakeNamed(node, "C"), 1)->KeyGetValue(0), 3.0f);
}

TEST_F(PivotReplace, ImportOfTreesAFileCanHoldNeverFails)
{
    struct Case {
        const char* what;
        std::vector<const char*> names;  // node i > 0 goes under node parents[i]
        std::vector<int> parents;
        int top;
        std::vector<int> expectedParents;  // -1: none
    } cases[] = {
        {"markers without children", {"R", "L__Post_", "M__Pre_"}, {-1, 0, 0}, 0, {-1, 0, 0}},
        {"a __Pre_ root", {"R__Pre_", "K"}, {-1, 0}, 0, {-1, 0}},
        {"a __Pre_ under a __Pre_", {"R", "P__Pre_", "Q__Pre_", "K"}, {-1, 0, 1, 2}, 0, {-1, -1, -1, 0}},
        {"a __Post_ under a __Pre_", {"R", "P__Pre_", "Q__Post_", "K"}, {-1, 0, 1, 2}, 0, {-1, -1, 0, 2}},
        {"a __Pre_ below a __Post_ at the top", {"T", "Q__Post_", "P__Pre_", "K"}, {-1, 0, 1, 2}, 0, {-1, 0, -1, 1}},
        {"a __Pre_ node walked as a plain node", {"G", "P__Pre_", "K1", "K2"}, {-1, 0, 1, 1}, 1, {-1, -1, 1, 0}},
    };
    for (const Case& c : cases) {
        KQelSdkManager manager;
        std::vector<KQelNode*> nodes;
        for (std::size_t i = 0; i < c.names.size(); ++i) {
            nodes.push_back(manager.CreateKQelNode(c.names[i]));
            if (c.parents[i] >= 0)
                nodes[static_cast<std::size_t>(c.parents[i])]->AddChild(nodes.back());
            DropTranslation(nodes.back()->CreateTakeNode("Take"));
        }
        ReplacePivotImport(nodes[static_cast<std::size_t>(c.top)], kSet0, manager);
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            KQelNode* parent = nodes[i]->GetParent();
            const int expected = c.expectedParents[i];
            EXPECT_EQ(parent, expected < 0 ? nullptr : nodes[static_cast<std::size_t>(expected)])
                << c.what << ": " << c.names[i];
        }
    }
    ReplacePivotImport(nullptr, kSet0, mManager);
}

// ---- Against the one-change-at-a-time walks ----

// Odd seeds hang the trees in a scene, whose store must list every node of
// the tree and no other.
TEST(PivotReplaceReference, ExportMatchesTheStepByStepWalk)
{
    for (unsigned seed = 1; seed <= 60; ++seed) {
        KQelSdkManager fast, reference;
        KQelEntity fastScene(fast), referenceScene(reference);
        const int count = 2 + static_cast<int>(seed % 40);
        std::vector<KQelNode*> a = RandomTree(fast, seed, count, false);
        std::vector<KQelNode*> b = RandomTree(reference, seed, count, false);
        if (seed % 2) {
            fastScene.GetRootNode()->AddChild(a[0]);
            referenceScene.GetRootNode()->AddChild(b[0]);
        }
        const std::size_t top = seed % 3 == 0 ? seed % a.size() : 0;
        const bool answer = ReplacePivotExport(a[top], kSet0, fast);
        EXPECT_EQ(answer, ReferenceExport(b[top], reference)) << "seed " << seed;
        ASSERT_EQ(DumpManager(fast), DumpManager(reference)) << "seed " << seed;
    }
}

TEST(PivotReplaceReference, ImportMatchesTheStepByStepWalk)
{
    for (unsigned seed = 1; seed <= 120; ++seed) {
        const bool hostile = seed % 2 == 0;
        KQelSdkManager fast, reference;
        KQelEntity fastScene(fast), referenceScene(reference);
        const int count = 2 + static_cast<int>(seed % 50);
        std::vector<KQelNode*> a = RandomTree(fast, seed, count, hostile);
        std::vector<KQelNode*> b = RandomTree(reference, seed, count, hostile);
        if (seed % 4 < 2) {
            fastScene.GetRootNode()->AddChild(a[0]);
            referenceScene.GetRootNode()->AddChild(b[0]);
        }
        if (!hostile) {
            ReplacePivotExport(a[0], kSet0, fast);
            ReplacePivotExport(b[0], kSet0, reference);
        }
        const std::size_t top = seed % 5 == 0 ? seed % a.size() : 0;
        ReplacePivotImport(a[top], kSet0, fast);
        ReferenceImport(b[top]);
        ASSERT_EQ(DumpManager(fast), DumpManager(reference)) << "seed " << seed;
    }
}

}  // namespace
}  // namespace qelsdk_600
