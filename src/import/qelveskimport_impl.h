// Helpers shared by the import's sources; nothing outside src/import
// includes this file.
#ifndef QELVESK_IMPORT_QELVESKIMPORT_IMPL_H
#define QELVESK_IMPORT_QELVESKIMPORT_IMPL_H

#include <vector>

#include "base/kstring.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskuserparams.h"
#include "scene/kqelnode.h"

namespace qelveskimport {

// Visits pRoot, then every node below it, a node before its children and
// the children in order, on an explicit stack so that no depth exhausts the
// call stack. pVisit(KQelNode*) answers false to skip the node's children;
// children are read when the walk reaches them.
template <class F>
void Walk(qelsdk_600::KQelNode* pRoot, F pVisit)
{
    if (!pRoot || !pVisit(pRoot))
        return;
    struct Frame {
        qelsdk_600::KQelNode* mNode;
        int mNext;
    };
    std::vector<Frame> stack{Frame{pRoot, 0}};
    while (!stack.empty()) {
        qelsdk_600::KQelNode* child = stack.back().mNode->GetChild(stack.back().mNext++);
        if (!child)
            stack.pop_back();
        else if (pVisit(child))
            stack.push_back(Frame{child, 0});
    }
}

// Every node an import's manager makes is a QelVeskNode.
inline QelVeskNode* Vesk(qelsdk_600::KQelNode* pNode)
{
    return static_cast<QelVeskNode*>(pNode);
}

// The node's name without its kind prefix ("Model::").
inline qelsdk_600::KString ShortName(const qelsdk_600::KQelNode& pNode)
{
    return pNode.GetNameWithoutNameSpacePrefix();
}

// A setting of the host side by index.
inline bool Setting(unsigned int pIndex)
{
    return QelVeskUserParams::Instance()->GetBoolParam(pIndex);
}

// The attribute type of the node's attribute, -1 without one.
inline int AttributeType(const qelsdk_600::KQelNode& pNode)
{
    const qelsdk_600::KQelNodeAttribute* attribute = pNode.GetNodeAttribute();
    return attribute ? static_cast<int>(attribute->GetAttributeType()) : -1;
}

}  // namespace qelveskimport

#endif
