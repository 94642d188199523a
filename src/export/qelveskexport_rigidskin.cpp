// Rigid binds and clusters: the links of one cluster or joint cluster, per
// member geometry, with the hint the import reads back.
#include <cmath>
#include <vector>

#include <vesk/MFnDagNode.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnSet.h>
#include <vesk/MItDependencyGraph.h>
#include <vesk/MItMeshVertex.h>
#include <vesk/MItSelectionList.h>
#include <vesk/MItSurfaceCV.h>
#include <vesk/MPlugArray.h>
#include <vesk/MSelectionList.h>

#include "content/kqelgeometry.h"
#include "content/kqellink.h"
#include "content/kqelnurb.h"
#include "export/qelveskexport.h"
#include "export/qelveskexport_deformers_impl.h"
#include "export/qelveskexport_geometry_impl.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskwrappers.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelpose.h"

using namespace qelsdk_600;
using namespace export_detail;

namespace {

const char kHintId[] = "Vesk_ClusterHint";

// One member point: its SDK control point and weight.
struct MemberPoint {
    int mIndex;
    double mWeight;
};

// The deformer's plugs and attributes the members are read through.
struct DeformerPlugs {
    MObject mWeightList;
    MPlug mWeights;
    MPlug mOutputs;
    MPlug mInputs;
    MObject mGroupId;
    MPlug mGeometryMatrices;
};

// The set the deformer's "message" feeds, when it feeds exactly one plug
// and that plug's node is a set.
bool FindMemberSet(MFnDependencyNode& pDeformer, MObject& pSet)
{
    MStatus status;
    MPlugArray fed;
    const MPlug message = pDeformer.findPlug("message", &status);
    if (!status || !message.connectedTo(fed, false, true) || fed.length() != 1)
        return false;
    pSet = fed[0].node();
    return pSet.hasFn(static_cast<MFn::Type>(kObjectSetHostType));
}

// The logical index of the deformer's output that reaches the member's
// shape, and the geometry matrix of that index, when its group id is
// connected; false when no output matches or its matrix cannot be read.
bool MatchOutput(DeformerPlugs& pPlugs, const MDagPath& pMember, unsigned int pGeometryType, unsigned int& pIndex,
                 KQelMatrix& pMatrix)
{
    MStatus status;
    const unsigned int count = pPlugs.mOutputs.numElements(&status);
    DebugCheckStatus(status, "Output geometry plug not found");
    const MObject shape = pMember.node();
    // Element 0 is tried even when the array reads empty.
    for (unsigned int i = 0; i == 0 || i < count; ++i) {
        const MPlug output = pPlugs.mOutputs.elementByPhysicalIndex(i, &status);
        const unsigned int index = output.logicalIndex(&status);
        DebugCheckStatus(status, "Logical index not found");
        if (!status)
            continue;
        MItDependencyGraph reached(output, static_cast<MFn::Type>(pGeometryType), MItDependencyGraph::kDownstream,
                                   MItDependencyGraph::kDepthFirst, MItDependencyGraph::kPlugLevel, &status);
        DebugCheckStatus(status, "Init logical index fail.");
        if (!status || reached.isDone() || !(reached.thisNode() == shape))
            continue;
        const MPlug groupId = pPlugs.mInputs.elementByLogicalIndex(index, &status).child(pPlugs.mGroupId, &status);
        DebugCheckStatus(status, "Group ID not found");
        if (!status || !groupId.isConnected())
            continue;
        pIndex = index;
        return QueryPlugMatrix(pPlugs.mGeometryMatrices.elementByLogicalIndex(index), pMatrix);
    }
    return false;
}

double PointWeight(const MPlug& pWeights, int pIndex)
{
    double weight = 0.0;
    pWeights.elementByLogicalIndex(static_cast<unsigned int>(pIndex)).getValue(weight);
    return weight;
}

// The member's points with their weights, in the host's order, each within
// the geometry; a weight that is not a number is left out with its point.
std::vector<MemberPoint> MemberPoints(const MDagPath& pMember, const MObject& pComponent, KQelNode& pNode,
                                      const MPlug& pWeights)
{
    std::vector<MemberPoint> points;
    KQelGeometry* geometry = pNode.GetGeometry();
    const int count = geometry ? geometry->GetControlPointsCount() : 0;
    auto take = [&](int pIndex, double pWeight) {
        if (static_cast<int>(points.size()) < count && std::isfinite(pWeight))
            points.push_back(MemberPoint{pIndex, pWeight});
    };
    if (pComponent.apiType() == static_cast<MFn::Type>(kSurfaceCVComponentHostType)) {
        // Only a surface has the directions the host indices map into: the
        // host's V runs along the SDK's U.
        KQelNurb* surface = pNode.GetNurb();
        if (!surface)
            return points;
        const int uCount = surface->GetUCount(), vCount = surface->GetVCount();
        for (MItSurfaceCV cv(pMember, pComponent, true); !cv.isDone(); cv.next()) {
            int hostU = -1, hostV = -1;
            cv.getIndex(hostU, hostV);
            if (hostV >= 0 && hostV < uCount && hostU >= 0 && hostU < vCount)
                take(hostV + hostU * uCount, PointWeight(pWeights, cv.index()));
        }
    } else if (pComponent.apiType() == static_cast<MFn::Type>(kMeshVertexComponentHostType)) {
        for (MItMeshVertex vertex(pMember, pComponent); !vertex.isDone(); vertex.next()) {
            const int index = vertex.index();
            if (index >= 0 && index < count)
                take(index, PointWeight(pWeights, index));
        }
    }
    return points;
}

bool CarriesGeometry(KQelNode* pNode)
{
    KQelNodeAttribute* attribute = pNode ? pNode->GetNodeAttribute() : nullptr;
    if (!attribute)
        return false;
    const KQelNodeAttribute::EAttributeType type = attribute->GetAttributeType();
    return type == KQelNodeAttribute::eMesh || type == KQelNodeAttribute::eNurb || type == KQelNodeAttribute::ePatch;
}

}  // namespace

void QelVeskExport::ExportRigidBinding(MDagPath* pPath, QelVeskNode* pNode, MObject& pDeformer, KQelPose* pPose)
{
    if (!pPath || !pNode || pNode->mHistoryMismatch)
        return;
    MStatus status;
    MFnDependencyNode deformer(pDeformer, &status);
    if (!status)
        return;
    DeformerPlugs plugs;
    plugs.mWeightList = deformer.attribute("wl");
    plugs.mWeights = MPlug(pDeformer, deformer.attribute("weights"));
    plugs.mOutputs = deformer.findPlug("outputGeometry");
    plugs.mInputs = deformer.findPlug("input", &status);
    DebugCheckStatus(status, "Input not found");
    plugs.mGroupId = deformer.findPlug("groupId", &status).attribute();
    DebugCheckStatus(status, "Group ID not found");
    plugs.mGeometryMatrices = deformer.findPlug("geomMatrix");

    MObject set;
    if (!FindMemberSet(deformer, set))
        return;
    MSelectionList members;
    MFnSet(set).getMembers(members, true);
    bool relative = false;
    deformer.findPlug("relative").getValue(relative);
    const bool jointCluster = pDeformer.hasFn(static_cast<MFn::Type>(kJointClusterHostType));
    const char* hint = jointCluster ? "RigidBind" : relative ? "WeightedRelativeCluster" : "WeightedCluster";

    // The associate model: the node's scene parent, unless the host node
    // sits right under the world or the node right under the root.
    KQelNode* parent = pNode->GetParent();
    MFnDagNode joint(pPath->node());
    const bool associate = joint.parentCount() > 0 && MFnDagNode(joint.parent(0)).parentCount() > 0 && parent &&
                           parent != mRootNode;

    for (MItSelectionList it(members, static_cast<MFn::Type>(kComponentHostType)); !it.isDone(); it.next()) {
        MDagPath member;
        MObject component;
        it.getDagPath(member, component);
        const MFn::Type componentType = component.apiType();
        const bool surface = componentType == static_cast<MFn::Type>(kSurfaceCVComponentHostType);
        if (!surface && componentType != static_cast<MFn::Type>(kMeshVertexComponentHostType))
            continue;
        unsigned int index = 0;
        KQelMatrix geometryMatrix;
        if (!MatchOutput(plugs, member, surface ? kNurbsSurfaceHostType : kMeshHostType, index, geometryMatrix))
            continue;
        plugs.mWeights.selectAncestorLogicalIndex(index, plugs.mWeightList);

        QelVeskNode* geometryNode = GetNodeWithThisChildren(static_cast<QelVeskNode*>(mRootNode), &member);
        if (!CarriesGeometry(geometryNode))
            continue;
        const std::vector<MemberPoint> points = MemberPoints(member, component, *geometryNode, plugs.mWeights);
        if (points.empty())
            continue;

        KQelLink* link = mManager.CreateKQelLink();
        link->SetLinkMode(KQelLink::eAdditive);
        link->SetLink(pNode);
        for (const MemberPoint& point : points)
            link->AddControlPointIndex(point.mIndex, point.mWeight);
        if (pPose && !mBindPoseConflict && pPose->Add(geometryNode->GetName(), geometryMatrix, false) < 0) {
            mBindPoseConflict = true;
            mBindPoseConflictNodes.Add(geometryNode->GetName(), reinterpret_cast<kReference>(geometryNode));
        }
        KQelGeometry* geometry = geometryNode->GetGeometry();
        geometry->AddLink(link);
        KQelMatrix bindMatrix;
        GetLinkBindMatrix(pNode, bindMatrix, pPose, nullptr);
        link->SetTransformLinkMatrix(KQelXMatrix(bindMatrix));
        link->SetTransformMatrix(KQelXMatrix(geometryMatrix));
        link->SetUserData(kHintId, hint);
        if (!associate)
            continue;

        // Copying into an affine matrix sets column 3 to (0, 0, 0, 1).
        const KQelXMatrix parentMatrix(parent->GetGlobalMatrix(KQelNode::eSourcePivot, false));
        link->SetAssociateModel(parent);
        link->SetTransformAssociateModelMatrix(parentMatrix);
        if (relative)
            continue;
        KQelLink* compensation = mManager.CreateKQelLink();
        compensation->SetLinkMode(KQelLink::eAdditive);
        compensation->SetLink(parent);
        for (const MemberPoint& point : points)
            compensation->AddControlPointIndex(point.mIndex, 1.0);
        compensation->SetTransformLinkMatrix(parentMatrix);
        compensation->SetTransformMatrix(KQelXMatrix(geometryNode->GetGlobalMatrix(KQelNode::eSourcePivot, false)));
        compensation->SetUserData(kHintId, "CompensationCluster");
        geometry->AddLink(compensation);
    }
}
