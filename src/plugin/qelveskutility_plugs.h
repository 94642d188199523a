// Bind-pose matrices and plugs of the host utilities: reading and writing a
// node's bind-pose matrix (its own "bindPose" plug or its place in a bind
// pose node), plug names for host commands, matrix plugs set through
// commands, plug lookup and dependency-graph searches.
#ifndef QELVESK_PLUGIN_QELVESKUTILITY_PLUGS_H
#define QELVESK_PLUGIN_QELVESKUTILITY_PLUGS_H

#include <vesk/MFn.h>
#include <vesk/MItDependencyGraph.h>
#include <vesk/MObject.h>
#include <vesk/MPlug.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>

class MDagPath;
class MFnDependencyNode;
class QelVeskNode;
namespace qelsdk_600 {
class KQelMatrix;
}

// The logical index of the element of the first pose node downstream of
// pNode (kept in pPose) whose "members" element is connected from pNode;
// -1 when there is no pose node, when pBindPosesOnly and that pose's
// "bindPose" is missing or false, or when pNode is no member. Every
// existing element of "members" is searched, sparse arrays included.
int GetIndexOfPlugInDagPose(MObject pNode, MObject& pPose, bool pBindPosesOnly);

// Static members of QelVeskUtility (which derives from this class).
class QelVeskUtilityPlugs {
public:
    // Matrices go to and from the host as the 16 numbers of KQelMatrix,
    // row by row.

    // The bound node's bind-pose matrix from its own "bindPose" plug, else
    // from "worldMatrix" of its bind pose at its member index, read with
    // "getAttr". False, pMatrix untouched, when the node is unbound, has
    // neither, or the answer is not 16 numbers.
    static bool GetBindPoseMatrix(QelVeskNode* pNode, qelsdk_600::KQelMatrix& pMatrix);
    // Writes pMatrix to the node's own "bindPose" plug, else to
    // "xformMatrix" of its bind pose at its member index, there relative to
    // the parent's bind-pose matrix when that can be read (pMatrix followed
    // by the parent's inverse). False when nothing was written.
    static bool SetBindPoseMatrix(QelVeskNode* pNode, const qelsdk_600::KQelMatrix& pMatrix);
    // The plug pName on the node of the bound path; the failing step's
    // status (failure for an unbound node or a null path).
    static MStatus FindPlug(QelVeskNode& pNode, MPlug& pPlug, const char* pName);
    static MStatus FindPlug(const MDagPath* pPath, MPlug& pPlug, const char* pName);
    // "|a|b.attr[2]" (full path, long attribute names) for a plug of a DAG
    // node, the host's description for any other; always success.
    static MStatus GetPlugUniqueName(const MPlug& pPlug, MString& pName);
    // Runs setAttr "<name>" -type "matrix" and the 16 values; pUseInfo names
    // the plug by its description instead of its unique name. Failures are
    // printed.
    static void SetPlugMatrix(const MPlug& pPlug, const double* pValues, bool pUseInfo);
    // The plug pName of the function set's node; prints "Plug not found : "
    // and the name, and answers false, when there is none.
    static bool GetPlug(MFnDependencyNode& pNode, const char* pName, MPlug& pPlug);
    // The first node of function type pType met by a dependency-graph walk
    // from pStart in pDirection (filtered by pFilter), in pFound; false when
    // none.
    static bool GetDependencyOfThisType(MObject* pStart, unsigned int pType, MObject* pFound,
                                        MItDependencyGraph::Direction pDirection, MFn::Type pFilter);
    // Whether the first such node is named pName exactly (pFound holds it
    // either way); the walk does not go past it.
    static bool GetDependencyOfThisTypeAndName(MObject* pStart, unsigned int pType, const char* pName,
                                               MObject* pFound, MItDependencyGraph::Direction pDirection,
                                               MFn::Type pFilter);
};

#endif
