// The deformation pass: links of each new geometry sorted into clusters,
// rigid and smooth skins; host clusters and rigid binds; and the host
// matrix conversions kept beside them.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <vesk/MDagPath.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnNurbsSurface.h>
#include <vesk/MFnSet.h>
#include <vesk/MFnSingleIndexedComponent.h>
#include <vesk/MGlobal.h>
#include <vesk/MIntArray.h>
#include <vesk/MPlug.h>
#include <vesk/MPlugArray.h>
#include <vesk/MSelectionList.h>
#include <vesk/MStringArray.h>
#include <vesk/MTransformationMatrix.h>

#include "content/kqelgeometry.h"
#include "content/kqelgeometryconverter.h"
#include "content/kqellink.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "file/qellogfile.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "import/qelveskimportdeform.h"
#include "math/kmfunctions.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelveskutility.h"
#include "plugin/qelveskwrappers.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace qelveskimport {

MStatus RunCommand(const KString& pText, MStringArray* pResult)
{
    MStringArray ignored;
    MStatus status = MGlobal::executeCommand(MString(pText.Buffer()), pResult ? *pResult : ignored, false, false);
    DebugCheckStatus(status, nullptr);
    return status;
}

MDagPath* ValidPath(KQelNode* pNode)
{
    MDagPath* path = pNode ? Vesk(pNode)->GetDagPath() : nullptr;
    return path && path->isValid() ? path : nullptr;
}

std::string InitialName(const KQelNode& pNode)
{
    const char* initial = pNode.GetInitialName();
    if (!initial)
        return std::string();
    const KString prefix = pNode.GetNameSpacePrefix();
    const size_t length = static_cast<size_t>(prefix.GetLen());
    if (length > 0 && std::strncmp(initial, prefix.Buffer(), length) == 0)
        initial += length;
    return initial;
}

}  // namespace qelveskimport

namespace {

const char kHintId[] = "Vesk_ClusterHint";
const char kRigidBind[] = "RigidBind";

// The links of one geometry by the way the host rebuilds them.
struct SortedLinks {
    SortedLinks() : mSmooth(16), mRigid(16), mClusters(16), mNonJoints(16) {}
    KArrayTemplate<KQelLink*> mSmooth;
    KArrayTemplate<KQelLink*> mRigid;
    KArrayTemplate<KQelLink*> mClusters;
    KArrayTemplate<KQelLink*> mNonJoints;
};

void SortLink(KQelLink* pLink, SortedLinks& pSorted)
{
    KQelNode* node = pLink->GetLink();
    if (!node)
        return;
    const KQelLink::ELinkMode mode = pLink->GetLinkMode();
    if (mode == KQelLink::eNormalize || mode == KQelLink::eTotal1) {
        (IsJoint(node) ? pSorted.mSmooth : pSorted.mNonJoints).Add(pLink);
        return;
    }
    if (mode != KQelLink::eAdditive)
        return;
    const KString hint = pLink->GetUserData(KString(kHintId));
    const bool associateIsParent = pLink->GetAssociateModel() && pLink->GetAssociateModel() == node->GetParent();
    if (hint.IsEmpty()) {
        (associateIsParent || IsJoint(node) ? pSorted.mRigid : pSorted.mClusters).Add(pLink);
    } else if (hint == kRigidBind) {
        pSorted.mRigid.Add(pLink);
    } else if (hint == "CompensationCluster") {
        return;
    } else if (associateIsParent) {
        pLink->SetUserData(KString(kHintId), KString(kRigidBind));
        pSorted.mRigid.Add(pLink);
    } else {
        pSorted.mClusters.Add(pLink);
    }
}

// The weight command of one vertex or run of vertices, or of one CV.
KString PercentCommand(double pWeight, const KString& pCluster, const KString& pComponent)
{
    char weight[64];
    std::snprintf(weight, sizeof weight, "percent -v %lf ", pWeight);
    return KString(weight) + QelVeskQuote(pCluster.Buffer()) + "  " + QelVeskQuote(pComponent.Buffer());
}

KString Subscripted(const KString& pPrefix, const char* pFormat, int pFirst, int pSecond)
{
    char subscripts[48];
    std::snprintf(subscripts, sizeof subscripts, pFormat, pFirst, pSecond);
    return pPrefix + subscripts;
}

}  // namespace

void QelVeskImport::BuildClusterInformation(QelVeskNode* pNode)
{
    // Children before parents, the last child first: the reverse of a walk
    // that visits parents first and children in order.
    std::vector<QelVeskNode*> nodes;
    Walk(pNode, [&nodes](KQelNode* pVisited) {
        nodes.push_back(Vesk(pVisited));
        return true;
    });
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) {
        QelVeskNode* node = *it;
        KQelGeometry* geometry = node->GetGeometry();
        if (!geometry || node->mMerged || geometry->GetLinkCount() <= 0 || !ValidPath(node))
            continue;
        QelVeskProgressMeter::Activate(ShortName(*node).Buffer());
        SortedLinks sorted;
        for (int i = 0, n = geometry->GetLinkCount(); i < n; ++i)
            if (KQelLink* link = geometry->GetLink(i))
                SortLink(link, sorted);
        QelVeskProgressMeter::Activate("This may take a while. Please wait!");
        if (sorted.mClusters.GetCount() > 0)
            BuildWeightedDeformers(node, mLog.get(), &mManager, &sorted.mClusters);
        if (sorted.mRigid.GetCount() > 0)
            BuildRigidBinding(node, mLog.get(), &mManager, &sorted.mRigid);
        if (sorted.mSmooth.GetCount() > 0) {
            BuildSmoothBinding(node, mLog.get(), &mManager, &sorted.mSmooth);
            if (sorted.mNonJoints.GetCount() > 0) {
                static const char kHeading[] = "The following DAG nodes influence the skin in the source QEL file "
                                               "but because they are not of type Joint, they are ignored:";
                static const char kClosing[] = "The resulting skin operation may produce errors.";
                std::vector<KString> names;
                for (int i = 0; i < sorted.mNonJoints.GetCount(); ++i)
                    names.push_back(ShortName(*sorted.mNonJoints[i]->GetLink()));
                KString message(kHeading);
                message += "\\n\\n";
                Log(kHeading);
                AppendNameRows(message, names);
                message += "\\n";
                message += kClosing;
                message += "\\n";
                Log(kClosing);
                Warn("QEL import error", message);
            }
        }
    }
}

void QelVeskImport::AppendNameRows(KString& pText, const std::vector<KString>& pNames)
{
    const size_t count = pNames.size();
    // Rows of three names; the last row always holds only the indent.
    for (size_t row = 0; row < count + 3; row += 3) {
        pText += "        ";
        for (size_t i = row; i < row + 3 && i < count; ++i) {
            pText += pNames[i];
            if (i + 1 != count)
                pText += ", ";
            Log(pNames[i].Buffer());
        }
        pText += "\\n";
    }
}

void QelVeskImport::BuildWeightedDeformers(QelVeskNode* pNode, QelLogFile*, KQelSdkManager*,
                                           KArrayTemplate<KQelLink*>* pLinks)
{
    MDagPath* geometryPath = ValidPath(pNode);
    KQelGeometry* geometry = pNode ? pNode->GetGeometry() : nullptr;
    const int linkCount = pLinks ? pLinks->GetCount() : 0;
    if (linkCount == 0 || !geometryPath || !geometry)
        return;
    QelVeskProgressMeter::Activate(ShortName(*pNode).Buffer());
    // Full paths name the objects: a bare name may be shared by nodes under
    // other parents.
    const KString geometryName(geometryPath->fullPathName().asChar());
    const int type = geometry->GetAttributeType();
    const int points = geometry->GetControlPointsCount();
    MStatus status;

    for (int k = 0; k < linkCount; ++k) {
        KQelLink* link = (*pLinks)[k];
        RunCommand("select -cl");
        QelVeskNode* linked = Vesk(link->GetLink());
        MDagPath* linkedPath = ValidPath(linked);
        if (!linkedPath) {
            Log((KString("No cluster for ") + ShortName(*pNode) + ": its node " +
                 (linked ? ShortName(*linked) : link->GetLinkName()) + " has no host node.")
                    .Buffer());
            continue;
        }
        MObject cluster;
        if (linkedPath->hasFn(MFn::kClusterHandle) || linked->mHostName.length() > 0) {
            cluster = GetResultObject(MString(QelVeskUtility::Replace(linked->mHostName.asChar(), " ", "_")));
            if (cluster.isNull())
                MStatus(MStatus::kFailure).perror("Cannot find cluster link.");
        } else {
            RunCommand("select -cl");
            const KString weighted(linkedPath->fullPathName().asChar());
            KString command("cluster -n ");
            command += QelVeskQuote(ShortName(*linked).Buffer());
            if (link->GetUserData().CompareNoCase("WeightedRelativeCluster") == 0)
                command += " -rel ";
            command += " -bf -bs 1.0  -wn ";
            command += QelVeskQuote(weighted.Buffer());
            command += "  ";
            command += QelVeskQuote(weighted.Buffer());
            MStringArray result;
            RunCommand(command, &result);
            if (result.length() < 2) {
                MStatus(MStatus::kFailure).perror("Cannot create the cluster.");
                Log((KString("No cluster for ") + ShortName(*pNode) + " and " + ShortName(*linked) +
                     ": the host made none.")
                        .Buffer());
                continue;
            }
            cluster = GetResultObject(result, 0);
            if (cluster.isNull()) {
                MStatus(MStatus::kFailure).perror("Cannot create the cluster.");
            } else {
                MDagPath handle;
                status = MDagPath::getAPathTo(GetResultObject(result, 1), handle);
                DebugCheckStatus(status, nullptr);
                if (status)
                    linked->SetDagPath(&handle);
                linked->mHostName = result[0];
            }
        }

        MObject set;
        if (!cluster.isNull()) {
            MFnDependencyNode fn(cluster, &status);
            MPlugArray fed;
            MPlug message = fn.findPlug("message", &status);
            if (status && message.connectedTo(fed, false, true) && fed.length() > 0 &&
                fed[0].node().hasFn(MFn::kSet))
                set = fed[0].node();
        }
        if (set.isNull()) {
            KString line("No cluster for ");
            line += ShortName(*pNode);
            line += " and its links to";
            for (int rest = k; rest < linkCount; ++rest) {
                line += " ";
                line += (*pLinks)[rest]->GetLink() ? ShortName(*(*pLinks)[rest]->GetLink())
                                                   : (*pLinks)[rest]->GetLinkName();
            }
            line += ": the host cluster or its set was not found.";
            Log(line.Buffer());
            return;
        }
        MFnDependencyNode clusterFn(cluster);
        const KString clusterName(clusterFn.name().asChar());
        status = RunCommand("select -cl");

        KQelXMatrix linkMatrix;
        link->GetTransformLinkMatrix(linkMatrix);
        KQelMatrix inverse(linkMatrix);
        KmAi(RowsOf(inverse), RowsOf(inverse));
        MPlug bindPre;
        if (QelVeskUtility::GetPlug(clusterFn, "bindPreMatrix", bindPre))
            QelVeskUtility::SetPlugMatrix(bindPre, static_cast<double*>(inverse), true);

        char pass[64];
        std::snprintf(pass, sizeof pass, "Pass %d of %d", k + 1, linkCount);
        QelVeskProgressMeter::Activate(pass);

        // Entries naming points past the geometry would make the host refuse
        // every member of the link: they are left out.
        const int count = link->GetControlPointIndicesCount();
        const int* indices = link->GetControlPointIndices();
        const double* weights = link->GetControlPointWeights();
        std::vector<int> entries;
        for (int i = 0; i < count; ++i)
            if (indices[i] >= 0 && indices[i] < points)
                entries.push_back(i);
        if (entries.size() != static_cast<size_t>(count))
            Log((KString("Cluster ") + clusterName + ": points past the geometry of " + ShortName(*pNode) +
                 " left out.")
                    .Buffer());
        MFnSet deformerSet(set);
        if (type == KQelNodeAttribute::eMesh) {
            if (!status)
                continue;
            MFnSingleIndexedComponent fn;
            MObject component = fn.create(MFn::kMeshVertComponent, &status);
            MIntArray elements;
            for (int i : entries)
                elements.append(indices[i]);
            fn.addElements(elements);
            MDagPath shape(*geometryPath);
            shape.extendToShape();
            MSelectionList members;
            members.add(shape, component);
            status = deformerSet.addMembers(members);
            DebugCheckStatus(status, "Cannot add deformed vertex in Cluster deformation list.");
            // Runs of neighbours within 1e-5 of each other; the first weight
            // of a run is written for all of it.
            const KString prefix = geometryName + ".vtx";
            for (size_t s = 0; s < entries.size() && status;) {
                size_t e = s;
                while (e + 1 < entries.size() && indices[entries[e + 1]] == indices[entries[e]] + 1 &&
                       std::fabs(weights[entries[e + 1]] - weights[entries[e]]) <= 0.00001)
                    ++e;
                const int first = indices[entries[s]];
                const int last = indices[entries[e]];
                const KString component = e == s ? Subscripted(prefix, "[%d]", first, 0)
                                                 : Subscripted(prefix, "[%d:%d]", first, last);
                status = RunCommand(PercentCommand(weights[entries[s]], clusterName, component));
                s = e + 1;
            }
        } else if (type == KQelNodeAttribute::eNurb || type == KQelNodeAttribute::ePatch) {
            KQelNurb* nurb = nullptr;
            if (type == KQelNodeAttribute::ePatch) {
                KQelGeometryConverter* converter = mManager.CreateKQelGeometryConverter();
                nurb = converter ? converter->ConvertPatchToNurb(static_cast<KQelPatch*>(geometry)) : nullptr;
                if (converter)
                    mManager.DestroyKQelGeometryConverter(converter);
            } else {
                nurb = static_cast<KQelNurb*>(geometry);
            }
            MFnNurbsSurface surface(geometryPath->child(0), &status);
            if (!status)
                status.perror("Cannot find NURBS.");
            const int u = nurb ? nurb->GetUCount() : 0;
            if (u <= 0 && !entries.empty()) {
                Log((KString("Cluster ") + clusterName + ": no points of " + ShortName(*pNode) +
                     ", its surface has no control points along U.")
                        .Buffer());
                entries.clear();
            }
            const KString prefix = geometryName + ".cv";
            for (int i : entries) {
                const int a = indices[i] / u;
                const int b = indices[i] % u;
                const KString component = Subscripted(prefix, "[%d][%d]", a, b);
                MSelectionList member;
                member.add(MString(component.Buffer()));
                if (!deformerSet.addMembers(member))
                    MStatus(MStatus::kFailure).perror("Cannot create the CV cluster weight.");
                RunCommand(PercentCommand(weights[i], clusterName, component));
                QelVeskProgressMeter::Activate("");
            }
            if (type == KQelNodeAttribute::ePatch && nurb)
                mManager.DestroyKQelNodeAttribute(nurb);
        }
    }
}

void QelVeskImport::BuildRigidBinding(QelVeskNode* pNode, QelLogFile*, KQelSdkManager*,
                                      KArrayTemplate<KQelLink*>* pLinks)
{
    MDagPath* geometryPath = ValidPath(pNode);
    if (!pLinks || pLinks->GetCount() == 0 || !geometryPath)
        return;
    QelVeskProgressMeter::Activate(ShortName(*pNode).Buffer());
    MStatus status;
    geometryPath->node(&status);
    DebugCheckStatus(status, nullptr);
    KString influences("select -tgl ");
    for (int i = 0; i < pLinks->GetCount(); ++i) {
        KQelNode* linked = (*pLinks)[i]->GetLink();
        MDagPath* path = ValidPath(linked);
        if (!path) {
            Log((KString("Rigid skin of ") + ShortName(*pNode) + ": " +
                 (linked ? ShortName(*linked) : (*pLinks)[i]->GetLinkName()) + " has no host node and is left out.")
                    .Buffer());
            continue;
        }
        influences += QelVeskQuote(path->fullPathName().asChar());
        influences += " ";
    }
    RunCommand("select -cl");
    RunCommand(influences);
    RunCommand(KString("select -tgl ") + QelVeskQuote(geometryPath->fullPathName().asChar()));
    RunCommand("newBindSkin \"-byClosestPoint -toSelectedBones\"");
    RunCommand("select -cl");
}

// ---- Host matrices ----

namespace {

// The host matrix reordered to XYZ; its world-space translation, rotation
// (degrees) and scale.
void HostParts(MTransformationMatrix& pHost, double* pT, double* pR, double* pS)
{
    if (pHost.rotationOrder() != MTransformationMatrix::kXYZ)
        pHost.reorderRotation(MTransformationMatrix::kXYZ);
    MTransformationMatrix::RotationOrder order = MTransformationMatrix::kXYZ;
    pHost.getRotation(pR, order);
    for (int i = 0; i < 3; ++i)
        pR[i] *= 57.29577951308232;
    const MVector t = pHost.getTranslation(MSpace::kWorld);
    pT[0] = t.x;
    pT[1] = t.y;
    pT[2] = t.z;
    pHost.getScale(pS, MSpace::kWorld);
}

void ComposeRows(const double* pT, const double* pR, const double* pS, KgeAMatrix& pMatrix)
{
    KgeAMatrix rotation;
    KmIJKtoR(rotation, pR[0], pR[1], pR[2], 0);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            pMatrix.mData[r][c] = rotation.mData[r][c] * pS[r];
    for (int c = 0; c < 3; ++c)
        pMatrix.mData[3][c] = pT[c];
}

}  // namespace

void SetMatrix(MTransformationMatrix& pHost, KgeAMatrix& pMatrix)
{
    double t[3], r[3], s[3];
    HostParts(pHost, t, r, s);
    ComposeRows(t, r, s, pMatrix);
}

void SetVector(MTransformationMatrix& pHost, KgeTVector& pT, KgeRVector& pR, KgeSVector& pS)
{
    double t[3], r[3], s[3];
    HostParts(pHost, t, r, s);
    for (int i = 0; i < 3; ++i) {
        pT[i] = t[i];
        pR[i] = r[i];
        pS[i] = s[i];
    }
}

void SetMatrixFromGlobal(QelVeskNode* pNode, KgeAMatrix& pMatrix)
{
    if (!pNode)
        return;
    double t[3], r[3], s[3];
    for (int i = 0; i < 3; ++i) {
        t[i] = pNode->GetGlobalTranslation()[i];
        r[i] = pNode->GetGlobalRotation()[i];
        s[i] = pNode->GetGlobalScaling()[i];
    }
    ComposeRows(t, r, s, pMatrix);
}

MObject GetResultObject(MStringArray& pResult, unsigned int pIndex)
{
    if (pIndex >= pResult.length()) {
        MStatus(MStatus::kFailure).perror("Result object not found.");
        return MObject::kNullObj;
    }
    return GetResultObject(pResult[pIndex]);
}

MObject GetResultObject(const MString& pName)
{
    MSelectionList list;
    MObject found;
    if (!list.add(pName) || !list.getDependNode(0, found)) {
        MStatus(MStatus::kFailure).perror("Result object not found.");
        return MObject::kNullObj;
    }
    return found;
}
