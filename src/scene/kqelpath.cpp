#include "scene/kqelpath.h"

#include <vector>

#include "scene/kqelnode.h"

namespace qelsdk_600 {

KQelPath::KQelPath() : mNode(nullptr), mRoot(nullptr), mIndices(16) {}

KQelPath::KQelPath(const KQelPath& pOther) : KQelPath()
{
    Set(pOther);
}

KQelPath::KQelPath(KQelNode* pNode) : KQelPath()
{
    Set(pNode);
}

void KQelPath::Set(KQelNode* pNode)
{
    mIndices.Clear();
    mNode = pNode;
    mRoot = nullptr;
    if (!pNode)
        return;
    std::vector<int> upward;
    KQelNode* current = pNode;
    while (KQelNode* parent = current->GetParent()) {
        int index = 0;
        const int count = parent->GetChildCount(false);
        if (count > 1) {
            for (int i = 0; i < count; ++i) {
                if (parent->GetChild(i) == current) {
                    index = i;
                    break;
                }
            }
        }
        upward.push_back(index);
        current = parent;
    }
    mRoot = current;
    for (auto it = upward.rbegin(); it != upward.rend(); ++it)
        mIndices.Add(*it);
}

void KQelPath::Set(const KQelPath& pOther)
{
    if (this == &pOther)
        return;
    mNode = pOther.mNode;
    mRoot = pOther.mRoot;
    mIndices.Clear();
    mIndices.AddArray(pOther.mIndices);
}

KQelPath& KQelPath::operator=(const KQelPath& pOther)
{
    Set(pOther);
    return *this;
}

KQelNode* KQelPath::GetParentNode(int pLevel) const
{
    if (pLevel < 1)
        return mRoot;
    if (pLevel > mIndices.GetCount())
        return nullptr;
    KQelNode* node = mRoot;
    for (int level = 0; level < pLevel && node; ++level)
        node = node->GetChild(mIndices[level]);
    return node;
}

const char* KQelPath::GetParentNodeName(int pLevel) const
{
    KQelNode* node = GetParentNode(pLevel);
    return node ? node->GetName() : nullptr;
}

bool KQelPath::operator==(const KQelPath& pOther) const
{
    if (mIndices.GetCount() != pOther.mIndices.GetCount())
        return false;
    for (int i = 0; i < mIndices.GetCount(); ++i) {
        if (mIndices[i] != pOther.mIndices[i])
            return false;
    }
    return true;
}

}  // namespace qelsdk_600
