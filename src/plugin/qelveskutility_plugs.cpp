#include "plugin/qelveskutility_plugs.h"

#include <vesk/MDagPath.h>
#include <vesk/MDoubleArray.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MGlobal.h>
#include <vesk/MIntArray.h>
#include <vesk/MPlugArray.h>
#include <vesk/MStringArray.h>

#include "math/kmfunctions.h"
#include "math/kqelmatrix.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelveskwrappers.h"

using namespace qelsdk_600;

namespace {

const unsigned int kMatrixValues = 16;

// The plug that holds the node's bind-pose matrix: its own "bindPose", else
// the element of the pose's array pPoseArray at the node's member index.
bool BindPosePlug(QelVeskNode* pNode, const char* pPoseArray, MPlug& pPlug, int* pPoseIndex)
{
    MDagPath* path = pNode ? pNode->GetDagPath() : nullptr;
    if (!path)
        return false;
    MStatus status;
    MFnDagNode dagNode(*path, &status);
    if (!status)
        return false;
    pPlug = dagNode.findPlug("bindPose", &status);
    if (status) {
        if (pPoseIndex)
            *pPoseIndex = -1;
        return true;
    }
    MObject pose;
    const int index = GetIndexOfPlugInDagPose(path->node(), pose, true);
    if (index < 0)
        return false;
    MFnDependencyNode poseNode(pose, &status);
    if (!status)
        return false;
    MPlug array = poseNode.findPlug(pPoseArray, &status);
    if (!status)
        return false;
    pPlug = array.elementByLogicalIndex(static_cast<unsigned int>(index), &status);
    DebugCheckStatus(status, nullptr);
    if (pPoseIndex)
        *pPoseIndex = index;
    return true;
}

} // namespace

int GetIndexOfPlugInDagPose(MObject pNode, MObject& pPose, bool pBindPosesOnly)
{
    if (!QelVeskUtilityPlugs::GetDependencyOfThisType(&pNode, MFn::kDagPose, &pPose,
                                                      MItDependencyGraph::kDownstream, MFn::kInvalid))
        return -1;
    MStatus status;
    MFnDependencyNode pose(pPose, &status);
    if (!status)
        return -1;
    if (pBindPosesOnly) {
        MPlug bindPose = pose.findPlug("bindPose", &status);
        bool isBindPose = false;
        if (!status || !bindPose.getValue(isBindPose) || !isBindPose)
            return -1;
    }
    MPlug members = pose.findPlug("members", &status);
    if (!status)
        return -1;
    // Every existing element, by its physical position: a sparse array keeps
    // members at logical indices beyond its element count.
    const unsigned int count = members.numElements(&status);
    DebugCheckStatus(status, nullptr);
    for (unsigned int i = 0; i < count; ++i) {
        MPlug element = members.elementByPhysicalIndex(i, &status);
        DebugCheckStatus(status, nullptr);
        if (!status)
            continue;
        MPlugArray sources;
        if (!element.connectedTo(sources, true, false, &status) || !status)
            continue;
        for (unsigned int j = 0; j < sources.length(); ++j)
            if (sources[j].node() == pNode)
                return static_cast<int>(element.logicalIndex());
    }
    return -1;
}

bool QelVeskUtilityPlugs::GetBindPoseMatrix(QelVeskNode* pNode, KQelMatrix& pMatrix)
{
    MPlug plug;
    if (!BindPosePlug(pNode, "worldMatrix", plug, nullptr))
        return false;
    MString name;
    if (!GetPlugUniqueName(plug, name))
        return false;
    MDoubleArray values;
    const MString command = MString("getAttr ") + QelVeskQuote(name.asChar()).Buffer();
    if (!MGlobal::executeCommand(command, values, false, false))
        return false;
    if (values.length() != kMatrixValues)
        return false;
    double* out = pMatrix;
    for (unsigned int i = 0; i < kMatrixValues; ++i)
        out[i] = values[i];
    return true;
}

bool QelVeskUtilityPlugs::SetBindPoseMatrix(QelVeskNode* pNode, const KQelMatrix& pMatrix)
{
    MPlug plug;
    int poseIndex = -1;
    if (!BindPosePlug(pNode, "xformMatrix", plug, &poseIndex))
        return false;
    KQelMatrix local(pMatrix);
    KQelMatrix parentBindPose;
    QelVeskNode* parent = static_cast<QelVeskNode*>(pNode->GetParent());
    if (poseIndex >= 0 && parent && GetBindPoseMatrix(parent, parentBindPose)) {
        // Relative to the parent: the matrix, then the parent's inverse.
        KQelMatrix inverse(parentBindPose);
        auto rows = [](KQelMatrix& pM) { return reinterpret_cast<double(*)[4]>(static_cast<double*>(pM)); };
        KmAi(rows(inverse), rows(parentBindPose));
        KmAA(rows(local), rows(inverse), rows(local));
    }
    SetPlugMatrix(plug, local, false);
    return true;
}

MStatus QelVeskUtilityPlugs::FindPlug(QelVeskNode& pNode, MPlug& pPlug, const char* pName)
{
    return FindPlug(pNode.GetDagPath(), pPlug, pName);
}

MStatus QelVeskUtilityPlugs::FindPlug(const MDagPath* pPath, MPlug& pPlug, const char* pName)
{
    if (!pPath)
        return MStatus(MStatus::kFailure);
    MStatus status;
    const MObject node = pPath->node(&status);
    if (!status)
        return status;
    MFnDependencyNode fn(node, &status);
    if (!status)
        return status;
    pPlug = fn.findPlug(pName, &status);
    return status;
}

MStatus QelVeskUtilityPlugs::GetPlugUniqueName(const MPlug& pPlug, MString& pName)
{
    MDagPath path;
    if (MDagPath::getAPathTo(pPlug.node(), path))
        pName = path.fullPathName() + "." + pPlug.partialName(false, false, false, false, false, true);
    else
        pName = pPlug.info();
    return MStatus(MStatus::kSuccess);
}

void QelVeskUtilityPlugs::SetPlugMatrix(const MPlug& pPlug, const double* pValues, bool pUseInfo)
{
    MString name;
    if (pUseInfo) {
        name = pPlug.info();
    } else {
        MStatus status = GetPlugUniqueName(pPlug, name);
        DebugCheckStatus(status, nullptr);
    }
    MString command = MString("setAttr ") + QelVeskQuote(name.asChar()).Buffer() + " -type \"matrix\" ";
    for (unsigned int i = 0; i < kMatrixValues; ++i) {
        if (i > 0)
            command += " ";
        command += pValues[i];
    }
    MStringArray result;
    MStatus status = MGlobal::executeCommand(command, result, false, false);
    DebugCheckStatus(status, nullptr);
}

bool QelVeskUtilityPlugs::GetPlug(MFnDependencyNode& pNode, const char* pName, MPlug& pPlug)
{
    MStatus status;
    pPlug = pNode.findPlug(pName, &status);
    if (!status)
        status.perror(MString("Plug not found : ") + pName);
    return static_cast<bool>(status);
}

bool QelVeskUtilityPlugs::GetDependencyOfThisType(MObject* pStart, unsigned int pType, MObject* pFound,
                                                  MItDependencyGraph::Direction pDirection, MFn::Type pFilter)
{
    MStatus status;
    MItDependencyGraph it(*pStart, pFilter, pDirection, MItDependencyGraph::kBreadthFirst,
                          MItDependencyGraph::kPlugLevel, &status);
    if (!status)
        return false;
    for (; !it.isDone(); it.next()) {
        const MObject node = it.thisNode();
        if (node.hasFn(static_cast<MFn::Type>(pType))) {
            *pFound = node;
            return true;
        }
    }
    return false;
}

bool QelVeskUtilityPlugs::GetDependencyOfThisTypeAndName(MObject* pStart, unsigned int pType, const char* pName,
                                                         MObject* pFound, MItDependencyGraph::Direction pDirection,
                                                         MFn::Type pFilter)
{
    if (!GetDependencyOfThisType(pStart, pType, pFound, pDirection, pFilter))
        return false;
    return MFnDependencyNode(*pFound).name() == MString(pName ? pName : "");
}
