// Pre- and post-rotations traded for added nodes, for consumers that have
// none, and folded back.
#ifndef QELSDK_SCENE_KQELPIVOTREPLACE_H
#define QELSDK_SCENE_KQELPIVOTREPLACE_H

#include "scene/kqelnode.h"

namespace qelsdk_600 {

class KQelSdkManager;

// Rewrites pNode's subtree, pNode included, so that no node keeps a pre- or
// post-rotation while every node stays where it was. The rotations read are
// always those of the source set (pivot set 0); pSet is not used otherwise.
// A rotation counts when x, y or z is off zero by more than 1e-6.
// - A node with a pre-rotation gets a new parent, its name followed by
//   "__Pre_", which takes the last place among the former parent's
//   children; the new parent's default rotation is the pre-rotation, and it
//   takes the node's translation: the default, and in every take (paired by
//   name, made when missing) the translation curves with their keys, with
//   the node's default as their default value and the pre-rotation as the
//   default of its rotation curves. The node keeps translation 0, no
//   translation keys and pre-rotation 0.
// - A node with a post-rotation gets a new only child, its name followed by
//   "__Post_", which adopts its children in order and whose default rotation
//   is the post-rotation (no animation); its post-rotation becomes 0.
// When the node's current name holds "ncl" at a position p > 0, an added
// node is named after its initial name instead, followed by the marker and
// the last p characters of the current name. Added nodes come from pManager
// ("Model::" names), without attribute, except for a skeleton node: then a
// new limb-node skeleton of the node's limb-node size. Takes lacking a
// translation or rotation curve skip that curve. Cached global matrices are
// not refreshed. About linear in the number of nodes.
// True when pNode itself had a rotation to replace; false for null.
bool ReplacePivotExport(KQelNode* pNode, KQelNode::EPivotSet pSet, KQelSdkManager& pManager);

// Folds back, below pNode (pNode itself is never examined), the nodes whose
// names hold "__Pre_" and "__Post_": walking each node's children from the
// last to the first, a "__Post_" child stands for its first child and then a
// "__Pre_" one for its first child (a marker without children stands for
// itself). When that node's parent is a "__Pre_" node that has a parent, the
// node takes the marker's default translation, its default rotation as
// pre-rotation (set 0) and, per take of the same name (made when missing),
// its translation curves with keys and defaults; it takes the last place
// among the marker's parent's children and the marker leaves that parent.
// When the node's first child is a "__Post_" node, its default rotation
// becomes the node's post-rotation (set 0), it leaves the node and its
// children follow as the node's last children. A node with neither gets
// pivot state active in both sets. Then its own children are walked.
// Markers are left detached, owned by their manager; the "__Pre_" node's
// rotation animation is not carried back. pSet and pManager are not used. A
// null node does nothing. About linear in the number of nodes.
void ReplacePivotImport(KQelNode* pNode, KQelNode::EPivotSet pSet, KQelSdkManager& pManager);

}  // namespace qelsdk_600

#endif
