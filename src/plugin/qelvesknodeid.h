// The hidden integer id that imports put on host nodes and exports read
// back, the search for the SDK node bound to a host DAG path, and the
// unsigned comparison of 32-bit items.
#ifndef QELVESK_PLUGIN_QELVESKNODEID_H
#define QELVESK_PLUGIN_QELVESKNODEID_H

#include <vesk/MDagPath.h>
#include <vesk/MObject.h>

class QelVeskNode;

// Stores pId in the node's attribute "tarnvekTypeID" (short "qelID"),
// adding it first when missing: numeric type 4, default 0, hidden,
// storable, not connectable; the value goes as an int. Failures are printed
// (DebugCheckStatus), nothing is returned.
void QVSetTarnvekID(MObject& pNode, int pId);
// The node's id; 0 when it has none or is not a dependency node.
int QVGetTarnvekID(MObject& pNode);
// The first node of the tree under pNode bound to a path equal to pPath,
// visiting a node before its children and the children from the last to
// the first; null when none. Any depth, no recursion.
QelVeskNode* GetQelNodeFromDagPath(QelVeskNode* pNode, const MDagPath* pPath);
// -1, 0 or 1 as the 32-bit items at pA and pB compare as unsigned numbers
// (for qsort and bsearch).
int ArrayTemplateCompareFctU32(const void* pA, const void* pB);

#endif
