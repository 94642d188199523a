// The manager's node operations.
#include <cstring>
#include <vector>

#include "scene/kqelnode.h"
#include "scene/kqelnode_impl.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

KQelNode* KQelSdkManager::AllocateKQelNode(const char* pName)
{
    return new KQelNode(*this, pName);
}

KQelNode* KQelSdkManager::CreateKQelNode(const char* pName)
{
    const KString name = PrefixName("Model::", pName);
    KQelNode* node = AllocateKQelNode(name.Buffer());
    Rename(eNodeNames, node);
    return static_cast<KQelNode*>(List(kQelNodeList, node));
}

bool KQelSdkManager::DestroyKQelNode(KQelNode* pNode, bool pRecursive)
{
    if (!Unlist(kQelNodeList, pNode))
        return NotFound();
    bool result = true;
    if (pRecursive && pNode->GetChildCount(false) > 0) {
        // A snapshot of the subtree, destroyed from its end: each node after
        // its descendants, so every inner destroy meets a node without
        // children (no recursion however deep the tree), and siblings go last
        // first, each leaving the end of its parent's connections.
        std::vector<KQelNode*> subtree;
        KQelWalkTree(pNode, [&subtree](KQelNode* pVisited) {
            subtree.push_back(pVisited);
            return eQelWalkDescend;
        });
        for (std::size_t i = subtree.size(); i-- > 1;)
            result = DestroyKQelNode(subtree[i], true) && result;
    }
    if (pRecursive) {
        if (KQelNodeAttribute* attribute = pNode->GetNodeAttribute()) {
            pNode->SetNodeAttribute(nullptr);
            result = DestroyKQelNodeAttribute(attribute) && result;
        }
    }
    KQelEndNode(*this, pNode);
    return result;
}

KQelNode* KQelSdkManager::FindKQelNode(const char* pName, int pIndex)
{
    const KString name = PrefixName("Model::", pName);
    void* node = pIndex < 0 ? nullptr : mLists->mList[kQelNodeList].FindIf([&name](void* pObject) {
        return std::strcmp(static_cast<KQelNode*>(pObject)->GetName(), name.Buffer()) == 0;
    }, pIndex);
    if (!node)
        NotFound();
    return static_cast<KQelNode*>(node);
}

void KQelEndNode(KQelSdkManager& pManager, void* pObject)
{
    KQelNode* node = static_cast<KQelNode*>(pObject);
    // The notified tear-down first: parent, children and targets are told
    // while the node is whole.
    node->Destruct();
    delete node;
}

}  // namespace qelsdk_600
