// Private to src/scene: tree walks over nodes, and what the node, the
// entity, the finders and the limit utilities need of the kinds built in
// other sources (kqelnode_kinds.cpp holds every such spot in one file).
#ifndef QELSDK_SCENE_KQELNODE_IMPL_H
#define QELSDK_SCENE_KQELNODE_IMPL_H

#include <vector>

#include "math/kqelvector.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeattribute.h"

namespace qelsdk_600 {

class KQelGeometry;
class KQelObject;
class KQelSdkManager;

// What a tree walk does after visiting a node.
enum EQelWalk : int { eQelWalkDescend, eQelWalkSkipChildren, eQelWalkStop };

// Visits pRoot, then its descendants depth first, parents before children,
// in child order, on an explicit stack (a deep chain cannot exhaust the
// call stack). pVisit(KQelNode*) answers an EQelWalk. Children are read by
// index as the walk reaches them.
template <class F>
void KQelWalkTree(KQelNode* pRoot, F pVisit)
{
    if (!pRoot)
        return;
    const EQelWalk first = pVisit(pRoot);
    // A leaf needs no stack.
    if (first != eQelWalkDescend || pRoot->GetChildCount(false) == 0)
        return;
    struct Frame {
        KQelNode* mNode;
        int mNext;
    };
    std::vector<Frame> stack;
    stack.push_back(Frame{pRoot, 0});
    while (!stack.empty()) {
        Frame& top = stack.back();
        KQelNode* child = top.mNode->GetChild(top.mNext++);
        if (!child) {
            stack.pop_back();
            continue;
        }
        const EQelWalk next = pVisit(child);
        if (next == eQelWalkStop)
            return;
        if (next == eQelWalkDescend)
            stack.push_back(Frame{child, 0});
    }
}

// ---- Kinds built elsewhere (kqelnode_kinds.cpp) ----

// A new attribute of that type made through the manager, null when the kind
// cannot be made (or is not copied by KQelNode::operator=).
KQelNodeAttribute* KQelCreateAttribute(KQelSdkManager& pManager, KQelNodeAttribute::EAttributeType pType);
// Assigns pFrom into pTo, both of the same attribute type; false when that
// kind is not copied.
bool KQelAssignAttribute(KQelNodeAttribute& pTo, KQelNodeAttribute& pFrom);
// The marker type of a marker attribute (KQelMarker::GetType), -1 when not
// known.
int KQelMarkerTypeOf(KQelNodeAttribute& pMarker);
// The skeleton type of a skeleton attribute (KQelSkeleton::GetSkeletonType),
// -1 when not known.
int KQelSkeletonTypeOf(KQelNodeAttribute& pSkeleton);
// Forgets the entity of a geometry and of each of its shapes.
void KQelClearGeometryEntity(KQelGeometry* pGeometry);
// The control points of a geometry (null and 0 when none).
const KQelVector4* KQelGeometryControlPoints(KQelGeometry* pGeometry, int& pCount);
// Appends, in layer order, the objects a geometry uses: pKind 0 the
// materials, 1 the textures (of the layers' direct arrays, layers in index
// reference mode skipped, null entries skipped), 2 the videos those textures
// use (textures without one skipped).
void KQelCollectGeometryObjects(KQelGeometry* pGeometry, int pKind, std::vector<KQelObject*>& pObjects);

}  // namespace qelsdk_600

#endif
