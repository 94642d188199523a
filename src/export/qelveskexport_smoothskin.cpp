// Smooth skins: the links of one skin cluster, per deformed geometry and
// influence, and the bind-pose entries of the nulls that stand for pivots.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include <vesk/MDagPathArray.h>
#include <vesk/MFloatArray.h>
#include <vesk/MFnComponent.h>
#include <vesk/MFnDoubleIndexedComponent.h>
#include <vesk/MFnMesh.h>
#include <vesk/MFnSingleIndexedComponent.h>
#include <vesk/MFnSkinCluster.h>
#include <vesk/MIntArray.h>

#include "content/kqelgeometry.h"
#include "content/kqellink.h"
#include "content/kqelnurb.h"
#include "export/qelveskexport.h"
#include "export/qelveskexport_deformers_impl.h"
#include "export/qelveskexport_geometry_impl.h"
#include "export/qelveskexport_impl.h"
#include "math/kmfunctions.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskuserparams.h"
#include "plugin/qelveskwrappers.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelpose.h"

using namespace qelsdk_600;
using namespace export_detail;

namespace {

// Weights at or below this (compared in double) are not stored.
constexpr double kWeightThreshold = 0.001;

double (*Rows(KQelMatrix& pMatrix))[4]
{
    return reinterpret_cast<double(*)[4]>(static_cast<double*>(pMatrix));
}

bool IsAttribute(KQelNode& pNode, KQelNodeAttribute::EAttributeType pType)
{
    KQelNodeAttribute* attribute = pNode.GetNodeAttribute();
    return attribute && attribute->GetAttributeType() == pType;
}

// Every point of the geometry, element j being SDK control point j: a
// surface's CVs in the order the NURBS export stores them (its directions
// exchanged), a mesh's vertices; the null object for anything else or a
// node that does not carry that kind of geometry.
MObject AllPointsComponent(const MDagPath& pGeometry, KQelNode& pNode)
{
    if (pGeometry.hasFn(static_cast<MFn::Type>(kNurbsSurfaceHostType))) {
        KQelNurb* surface = pNode.GetNurb();
        if (!surface || !IsAttribute(pNode, KQelNodeAttribute::eNurb))
            return MObject::kNullObj;
        MIntArray hostU, hostV;
        for (int u = 0; u < surface->GetVCount(); ++u)
            for (int v = 0; v < surface->GetUCount(); ++v) {
                hostU.append(u);
                hostV.append(v);
            }
        MFnDoubleIndexedComponent points;
        MObject component = points.create(static_cast<MFn::Type>(kSurfaceCVComponentHostType));
        points.addElements(hostU, hostV);
        return component;
    }
    if (pGeometry.hasFn(static_cast<MFn::Type>(kMeshHostType)) && IsAttribute(pNode, KQelNodeAttribute::eMesh)) {
        MFnSingleIndexedComponent points;
        MObject component = points.create(static_cast<MFn::Type>(kMeshVertexComponentHostType));
        points.setCompleteData(MFnMesh(pGeometry).numVertices());
        return component;
    }
    return MObject::kNullObj;
}

int Depth(KQelNode* pNode)
{
    int depth = 0;
    for (KQelNode* parent = pNode->GetParent(); parent; parent = parent->GetParent())
        ++depth;
    return depth;
}

// The pose's matrix of the node of that name; the identity when it has
// none.
KQelMatrix PoseMatrix(KQelPose& pPose, KQelNode* pNode)
{
    const int index = pNode ? pPose.Find(pNode->GetName()) : -1;
    return index < 0 ? KQelMatrix() : pPose.GetMatrix(index);
}

bool IsMarkerOf(KQelNode* pMarker, KQelNode& pNode, const char* pSuffix)
{
    if (!pMarker)
        return false;
    const size_t length = std::strlen(pNode.GetName());
    return std::strncmp(pMarker->GetName(), pNode.GetName(), length) == 0 &&
           std::strcmp(pMarker->GetName() + length, pSuffix) == 0;
}

// The entries of the "__Pre_" parent and "__Post_" first child that the
// pivot replacement gave the added nodes, parents first; a link to a node
// with a "__Post_" child gets the node's matrix with its post-rotation.
void AddPivotNullEntries(KQelPose& pPose, const NodeList& pAdded, std::vector<KQelLink*>& pLinks)
{
    std::vector<QelVeskNode*> nodes(pAdded.Nodes());
    std::vector<int> depths;
    for (QelVeskNode* node : nodes)
        depths.push_back(Depth(node));
    std::vector<size_t> order(nodes.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return depths[a] < depths[b]; });

    for (size_t position : order) {
        QelVeskNode* node = nodes[position];
        KQelNode* pre = node->GetParent();
        if (IsMarkerOf(pre, *node, "__Pre_")) {
            KQelVector4 rotation;
            pre->GetDefaultR(rotation);
            KQelMatrix parent = PoseMatrix(pPose, pre->GetParent());
            KQelMatrix inverse(parent), local = PoseMatrix(pPose, node), trs, world;
            KmAi(Rows(inverse), Rows(inverse));
            KmAA(Rows(local), Rows(inverse), Rows(local));
            trs.SetTRS(local.GetRow(3), rotation, KQelVector4(1, 1, 1, 1));
            KmAA(Rows(world), Rows(parent), Rows(trs));
            pPose.Add(pre->GetName(), world, false);
        }
        KQelNode* post = node->GetChild(0);
        if (IsMarkerOf(post, *node, "__Post_")) {
            KQelVector4 rotation;
            post->GetDefaultR(rotation);
            KQelMatrix own = PoseMatrix(pPose, node), turn, world;
            turn.SetTRS(KQelVector4(0, 0, 0, 1), rotation, KQelVector4(1, 1, 1, 1));
            KmAA(Rows(world), Rows(own), Rows(turn));
            pPose.Add(post->GetName(), world, false);
            const auto link = std::find_if(pLinks.begin(), pLinks.end(), [node](KQelLink* pLink) {
                return pLink->GetLink() && std::strcmp(pLink->GetLink()->GetName(), node->GetName()) == 0;
            });
            if (link != pLinks.end()) {
                (*link)->SetTransformLinkMatrix(KQelXMatrix(own));
                pLinks.erase(link);
            }
        }
    }
}

}  // namespace

void QelVeskExport::ExportSmoothBinding(MObject& pSkinCluster, int pNumber, int pCount, KQelPose* pPose)
{
    MStatus status;
    MFnSkinCluster skin(pSkinCluster, &status);
    if (!status)
        return;
    MObjectArray outputs;
    skin.getOutputGeometry(outputs);
    const bool pivotNulls = BoolSetting(KQelUserParams::kExportPivotToNull);

    for (unsigned int k = outputs.length(); k-- > 0;) {
        MDagPath geometryPath;
        if (!MDagPath::getAPathTo(outputs[k], geometryPath))
            continue;
        QelVeskNode* node = GetNodeWithThisChildren(static_cast<QelVeskNode*>(mRootNode), &geometryPath);
        if (!node || node->mHistoryMismatch)
            continue;

        // Without a full answer the geometry stays at the identity.
        KQelMatrix geometryMatrix;
        MPlug plug = skin.findPlug("geomMatrix", &status);
        DebugCheckStatus(status, nullptr);
        if (status && !QueryPlugMatrix(plug, geometryMatrix)) {
            MStatus failed(MStatus::kFailure);
            DebugCheckStatus(failed, "geomMatrix not read");
        }
        if (pPose && !mBindPoseConflict && pPose->Add(node->GetName(), geometryMatrix, false) < 0) {
            mBindPoseConflictNodes.Add(node->GetName(), reinterpret_cast<kReference>(node));
            mBindPoseConflict = true;
        }

        MObject component = AllPointsComponent(geometryPath, *node);
        KQelGeometry* geometry = node->GetGeometry();
        if (!geometry || MFnComponent(component).elementCount() == 0) {
            ReportProgress(node->GetName());
            continue;
        }
        const unsigned int pointCount = static_cast<unsigned int>(geometry->GetControlPointsCount());
        MDagPathArray influences;
        const unsigned int influenceCount = skin.influenceObjects(influences);
        NodeList added;
        std::vector<KQelLink*> links;
        for (unsigned int i = 0; i < influenceCount; ++i) {
            char progress[96];
            std::snprintf(progress, sizeof progress, sgProcessingStatusXofY_AofB, pNumber, pCount,
                          static_cast<int>(i + 1), static_cast<int>(influenceCount));
            ReportProgress(progress);
            QelVeskNode* influence = FindBoundNode(influences[i]);
            if (!influence)
                continue;
            MFloatArray weights;
            skin.getWeights(geometryPath, component, i, weights);
            if (weights.length() == 0)
                continue;

            KQelLink* link = mManager.CreateKQelLink();
            links.push_back(link);
            link->SetLinkMode(KQelLink::eNormalize);
            link->SetLink(influence);
            geometry->AddLink(link);
            const unsigned int count = std::min(weights.length(), pointCount);
            for (unsigned int j = 0; j < count; ++j) {
                // A weight that is no number is left out like a small one.
                const double weight = weights[j];
                if (weight > kWeightThreshold && std::isfinite(weight))
                    link->AddControlPointIndex(static_cast<int>(j), weight);
            }
            KQelMatrix bindMatrix;
            GetLinkBindMatrix(influence, bindMatrix, pPose, &added);
            link->SetTransformLinkMatrix(KQelXMatrix(bindMatrix));
            link->SetTransformMatrix(KQelXMatrix(geometryMatrix));
        }
        if (pivotNulls && pPose)
            AddPivotNullEntries(*pPose, added, links);
        ReportProgress(node->GetName());
    }
}
