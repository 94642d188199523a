#include "io/kqelpluginbase.h"

#include <cmath>
#include <cstring>
#include <unordered_set>

#include "math/kmfunctions.h"
#include "math/kqelmatrix.h"
#include "scene/kqelnode.h"

namespace qelsdk_600 {

namespace {

const char kRootNodeName[] = "Qel_Root";

// The 3x4 part within 0.0001 of the identity's.
bool IsNearIdentity(const KgeAMatrix& pMatrix)
{
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (std::fabs(pMatrix.mData[row][column] - KmIdentity.mData[row][column]) > 0.0001)
                return false;
        }
    }
    return true;
}

}  // namespace

KQelPluginBase::KQelPluginBase() : mRootNodeName(kRootNodeName) {}

KQelPluginBase::~KQelPluginBase() {}

bool KQelPluginBase::IsAlternativeQelRootNode(KQelNode* pNode)
{
    return false;
}

bool KQelPluginBase::IsQelRootNode(KQelNode* pNode)
{
    if (!pNode)
        return false;
    const char* name = pNode->GetName();
    if (name && std::strstr(name, mRootNodeName.Buffer()))
        return true;
    return IsAlternativeQelRootNode(pNode);
}

struct KQelPluginImportBase::Membership {
    std::unordered_set<KQelNode*> mRefused;
    std::unordered_set<KQelNode*> mExcluded;
};

KQelPluginImportBase::KQelPluginImportBase() : mMembership(new Membership) {}

KQelPluginImportBase::~KQelPluginImportBase() {}

bool KQelPluginImportBase::IsExcludedQelRoot(KQelNode* pNode)
{
    return IsQelRootNode(pNode) && mMembership->mExcluded.count(pNode) != 0;
}

bool KQelPluginImportBase::NeedQelRoot(KQelNode* pNode)
{
    if (mMembership->mRefused.count(pNode) != 0)
        return false;
    return !IsExcludedQelRoot(pNode);
}

void KQelPluginImportBase::CustomApplyWorldTransform(KQelNode* pNode, KgeAMatrix& pWorld,
                                                     bool pIsIdentity)
{
    if (!pNode)
        return;
    KQelXMatrix world;
    static_cast<KgeAMatrix&>(world) = pWorld;
    pNode->SetDefaultT(world.GetT());
    pNode->SetDefaultR(world.GetR());
    pNode->SetDefaultS(world.GetS());
    pNode->GetGlobalMatrix(KQelNode::eSourcePivot, true);
}

void KQelPluginImportBase::Preprocess(KQelNode* pNode)
{
    if (!pNode)
        return;
    KgeAMatrix world;
    ComputeWorldTransform(world);
    const bool worldIsIdentity = IsNearIdentity(world);

    KArrayTemplate<KQelNode*> roots;
    for (int i = 0, n = pNode->GetChildCount(); i < n; ++i) {
        KQelNode* child = pNode->GetChild(i);
        if (IsQelRootNode(child))
            roots.Add(child);
    }

    mRefusedNodes.Clear();
    mMembership->mRefused.clear();
    auto refuse = [this](KQelNode* pRefused) {
        mRefusedNodes.Add(pRefused);
        mMembership->mRefused.insert(pRefused);
    };
    for (int i = 0, n = roots.GetCount(); i < n; ++i) {
        KQelNode* root = roots[i];
        // One recomputation refreshes the whole tree, so the later roots
        // read theirs from the cache.
        const KQelXMatrix global(root->GetGlobalMatrix(KQelNode::eSourcePivot, i == 0));
        KgeAMatrix product;
        KmAA(product, world, static_cast<const KgeAMatrix&>(global));
        if (IsNearIdentity(product)) {
            for (int c = 0, children = root->GetChildCount(); c < children; ++c)
                refuse(root->GetChild(c));
            mExcludedRoots.Add(root);
            mMembership->mExcluded.insert(root);
        } else {
            refuse(root);
        }
    }
    CustomApplyWorldTransform(pNode, world, worldIsIdentity);
}

}  // namespace qelsdk_600
