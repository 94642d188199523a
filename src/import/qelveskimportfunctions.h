// Free functions of the host import that inspect or adjust the SDK scene
// before and during the host build, and the tests several passes share.
// None keeps state; every tree walk visits a node before its children, in
// child order, on an explicit stack (any depth).
#ifndef QELVESK_IMPORT_QELVESKIMPORTFUNCTIONS_H
#define QELVESK_IMPORT_QELVESKIMPORTFUNCTIONS_H

#include "base/karraytemplate.h"
#include "math/kqelmatrix.h"

class MObject;
class MPlug;
class QelVeskNode;
class QelVeskSdkManager;
namespace qelsdk_600 {
class KFCurve;
class KQelImporter;
class KQelNode;
}

// One bind-pose entry applied to a host node.
struct TempPoseData {
    QelVeskNode* mNode;
    // The node's host transform before the bind pose was applied.
    qelsdk_600::KQelMatrix mSavedTransform;
    // The entry's global matrix.
    qelsdk_600::KQelMatrix mBindMatrix;
};

// An old-version file: version 5.7 or lower (major at most 5 and minor at
// most 7) with a node below pRoot whose source pivot set is not in use.
bool IsOldVersion(QelVeskNode* pRoot, qelsdk_600::KQelImporter* pImporter);
// Some node below pNode (pNode itself not looked at) has its source pivot
// set not in use; false for null.
bool IsOldVersion(QelVeskNode* pNode);
// Every node linked by a cluster of a geometry of the subtree that has no
// attribute, or a null attribute, gets a new limb-node skeleton attribute
// made by pManager (a null attribute is destroyed). Linked meshes, surfaces,
// cameras, lights and markers keep theirs.
void ReplaceNullsUsedAsLinks(QelVeskNode* pNode, QelVeskSdkManager* pManager);
// Adds the cluster-link count of every geometry of the subtree to pCount.
void CountNbQelLinks(QelVeskNode* pNode, int& pCount);
// The node has a skeleton attribute; false for null.
bool IsJoint(qelsdk_600::KQelNode* pNode);
// Appends pNode and its subtree, parents first; nothing for null.
void ExtractQelNodes(QelVeskNode* pNode, qelsdk_600::KArrayTemplate<QelVeskNode*>& pNodes);
// Orders the records as their nodes stand in the tree below pRoot (parents
// first), keeping for each node its last record. A list of one record is
// left as it is. Records dropped (a second record of a node, a node outside
// the tree) are deleted: the list owns its records.
void ReOrder(qelsdk_600::KArrayTemplate<TempPoseData*>& pRecords, QelVeskNode* pRoot);
// With kProtectDrivenKeys on, whether the host reports a driver of the plug
// ("setDrivenKeyframe -q -cd"); false, without a host query, when off.
bool IsDriven(MPlug& pPlug);

// The node is the host's group around an aimed camera: its name ends in
// "_group" and, of its direct children, cameras whose names begin with the
// rest of its name, children ending in "_aim" and children ending in "_up"
// count at least twice, one of them an "_aim" child. False for null.
bool IsCameraGroup(QelVeskNode* pNode);
// Stable sort by name without kind prefix (bytewise), then the repeats of a
// name removed, the first kept.
void SortNodeArray(qelsdk_600::KArrayTemplate<qelsdk_600::KQelNode*>& pNodes);
// Any key of the curve has a weighted left or right tangent.
bool HasWeightedTangent(qelsdk_600::KFCurve& pCurve);
// Reads the name and type of every attribute of a host node; changes and
// reports nothing (a diagnostic to step through).
void CheckAttribute2(MObject* pNode);

#endif
