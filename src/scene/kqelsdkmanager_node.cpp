// The manager's node operations.
#include <cstddef>
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
        // Each node after its descendants and siblings last first, so every
        // inner destroy meets a node without children (no recursion however
        // deep the tree) and each child leaves the end of its parent's
        // connections. A node's children are read when the walk reaches it,
        // just before they end, not in a pass of their own over the subtree;
        // mNext counts down the children not yet taken, so a child that
        // stays (its destroy failed) is passed over, not met again.
        struct Frame {
            KQelNode* mNode;
            int mNext;
        };
        // Asks for what the end of a node reads first, far apart in a large
        // tree, to be brought into cache: its block (the node and its
        // property set) and its buckets in the manager's lists. Reads
        // nothing of the node, so one gone meanwhile costs nothing.
        const auto prefetch = [this](KQelNode* pNext) {
            if (!pNext)
                return;
            const char* block = reinterpret_cast<const char*>(pNext);
            for (std::size_t offset = 0; offset < sizeof(KQelNode); offset += 64)
                __builtin_prefetch(block + offset);
            mLists->mList[kQelNodeList].Prefetch(pNext);
            mLists->mList[kQelUserPropertyList].Prefetch(
                KQelObjectList::SlotOf(static_cast<KQelObject*>(pNext)));
        };
        std::vector<Frame> stack;
        stack.push_back(Frame{pNode, pNode->GetChildCount(false)});
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.mNext > 0) {
                KQelNode* child = top.mNode->GetChild(--top.mNext);
                if (child)
                    stack.push_back(Frame{child, child->GetChildCount(false)});
                continue;
            }
            KQelNode* done = top.mNode;
            stack.pop_back();
            if (done == pNode)
                continue;
            // The node the walk meets next comes into cache while this one
            // ends.
            if (!stack.empty()) {
                const Frame& next = stack.back();
                prefetch(next.mNext > 0 ? next.mNode->GetChild(next.mNext - 1) : next.mNode);
            }
            result = DestroyKQelNode(done, true) && result;
        }
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
