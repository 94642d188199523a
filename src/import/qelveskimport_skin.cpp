// Smooth skins: the links of one geometry to joints become a host skin
// cluster with the file's bind matrices and weights.
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include <vesk/MDagPath.h>
#include <vesk/MFloatArray.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnDoubleIndexedComponent.h>
#include <vesk/MFnSingleIndexedComponent.h>
#include <vesk/MFnSkinCluster.h>
#include <vesk/MGlobal.h>
#include <vesk/MIntArray.h>
#include <vesk/MItDependencyGraph.h>
#include <vesk/MPlug.h>
#include <vesk/MStringArray.h>

#include "content/kqelgeometry.h"
#include "content/kqellink.h"
#include "content/kqelnurb.h"
#include "file/qellogfile.h"
#include "import/elementrange.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "import/qelveskimportdeform.h"
#include "math/kmfunctions.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelveskutility.h"
#include "plugin/qelveskwrappers.h"
#include "scene/kqelpose.h"
#include "scene/kqelscene.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

// The matrix of the node's entry in the first bind pose holding its
// initial name, or else that name without its kind prefix (as files write
// them); false when none does.
bool BindPoseMatrix(KQelSdkManager& pManager, KQelNode* pNode, KQelMatrix& pMatrix)
{
    KArrayTemplate<KQelPose*> poses(16);
    KArrayTemplate<int> indices(16);
    if (!pNode || !(KQelPose::GetBindPoseContaining(pManager, pNode->GetInitialName(), poses, indices) ||
                    KQelPose::GetBindPoseContaining(pManager, InitialName(*pNode).c_str(), poses, indices)))
        return false;
    pMatrix = poses[0]->GetMatrix(indices[0]);
    return true;
}

// The first skin cluster upstream of one of the transform's children, the
// last child first (the intermediate shape that feeds it is the last).
bool FindSkinCluster(const MDagPath& pShape, MObject& pSkin)
{
    MStatus status;
    MDagPath transform;
    status = MDagPath::getAPathTo(pShape.transform(&status), transform);
    DebugCheckStatus(status, nullptr);
    MFnDagNode dag(transform, &status);
    if (!status)
        return false;
    for (unsigned int i = dag.childCount(); i-- > 0;) {
        MObject child = dag.child(i);
        if (QelVeskUtility::GetDependencyOfThisType(&child, MFn::kSkinClusterFilter, &pSkin, MItDependencyGraph::kDownstream,
                                                    MFn::kInvalid))
            return true;
    }
    return false;
}

// pValues as one setAttr of the plug ("info" names it when pUseInfo).
void SetMatrixPlug(const MPlug& pPlug, KQelMatrix& pMatrix, bool pUseInfo)
{
    QelVeskUtility::SetPlugMatrix(pPlug, static_cast<double*>(pMatrix), pUseInfo);
}

}  // namespace

void QelVeskImport::SortControlPointsOnSmoothSkin(KQelLink* pLink)
{
    const int count = pLink ? pLink->GetControlPointIndicesCount() : 0;
    if (count > 1)
        DoubleQuickSort(pLink->GetControlPointIndices(), pLink->GetControlPointWeights(), 0, count - 1);
}

void QelVeskImport::BuildSmoothBinding(QelVeskNode* pNode, QelLogFile* pLog, KQelSdkManager* pManager,
                                       KArrayTemplate<KQelLink*>* pLinks)
{
    if (!pNode || !pLinks || pLinks->GetCount() == 0 || !pNode->GetDagPath())
        return;
    const auto log = [pLog](const KString& pLine) {
        if (pLog)
            *pLog += pLine.Buffer();
    };
    const KString nodeName = ShortName(*pNode);
    QelVeskProgressMeter::Activate(nodeName.Buffer());
    MDagPath shapePath(*pNode->GetDagPath());
    MStatus status = shapePath.extendToShape();
    DebugCheckStatus(status, nullptr);
    KQelGeometry* geometry = pNode->GetGeometry();
    const bool isNurbs = geometry && geometry->GetAttributeType() == KQelNodeAttribute::eNurb;
    KQelNurb* nurb = isNurbs ? static_cast<KQelNurb*>(geometry) : nullptr;
    QelVeskProgressMeter::Activate("This may take a while. Please wait!");

    KString joints;
    KString parentBone;
    bool parented = false;
    KArrayTemplate<int> all(16);
    const int linkCount = pLinks->GetCount();
    for (int i = 0; i < linkCount; ++i) {
        KQelLink* link = (*pLinks)[i];
        const int* indices = link->GetControlPointIndices();
        for (int k = 1, n = link->GetControlPointIndicesCount(); k < n; ++k)
            if (indices[k - 1] > indices[k]) {
                SortControlPointsOnSmoothSkin(link);
                break;
            }
        KQelMatrix pose;
        if (Setting(QelVeskUserParams::kImportNullsToPivot) && pManager &&
            BindPoseMatrix(*pManager, link->GetLink(), pose))
            link->SetTransformLinkMatrix(KQelXMatrix(pose));
        MDagPath* bone = ValidPath(link->GetLink());
        if (!bone) {
            KString line("Smooth skin of ");
            line += nodeName;
            line += " not made: the bone ";
            line += link->GetLink() ? ShortName(*link->GetLink()) : link->GetLinkName();
            line += " has no host node.";
            log(line);
            return;
        }
        const MString partial = bone->partialPathName();
        joints += QelVeskQuote(partial.asChar());
        joints += " ";
        if (link->GetLink() == pNode->GetParent()) {
            parentBone = partial.asChar();
            parented = true;
        }
        FillClusterElements(all, link);
    }
    if (Setting(QelVeskUserParams::kImportForceWeightNormalize))
        PreNormalize(geometry);
    if (parented) {
        KString message("The skin is parented to the deforming bone (");
        message += parentBone;
        message += "). Inconsistent behaviour may occur.";
        log(KString("Warning: ") + message);
        Warn("QEL import warning", message);
    }

    // Points past the geometry would make the host refuse the selection and
    // every weight pass: they are left out.
    const int pointCount = geometry ? geometry->GetControlPointsCount() : 0;
    int kept = 0;
    while (kept < all.GetCount() && static_cast<unsigned int>(all[kept]) < static_cast<unsigned int>(pointCount))
        ++kept;
    if (kept < all.GetCount()) {
        KString line("Smooth skin of ");
        line += nodeName;
        line += ": control points past the geometry's ";
        line += pointCount;
        line += " left out.";
        log(line);
        all.SetCount(kept);
    }

    RunCommand("select -cl");
    RunCommand(KString("select -tgl ") + joints);
    KString prefix(pNode->GetDagPath()->fullPathName().asChar());
    prefix += isNurbs ? ".cv" : ".vtx";
    KString components;
    if (isNurbs) {
        if (!BuildSelectCommandArgFromElementCV(components, all, prefix, nurb))
            log(KString("Smooth skin of ") + nodeName + ": the surface has no control points along U.");
    } else {
        KArrayTemplate<ElementRange*> ranges(16);
        GroupElementsByRange(all, ranges);
        BuildSelectCommandArgFromElementRange(components, ranges, prefix);
        for (int i = 0; i < ranges.GetCount(); ++i)
            delete ranges[i];
        ranges.Clear();
    }
    RunCommand(KString("select -tgl") + components);
    RunCommand("newSkinCluster \"-toSelectedBones -mi 5 -dr 4\"");
    RunCommand("select -cl");

    MObject skinObject;
    if (!FindSkinCluster(shapePath, skinObject))
        return;
    MFnSkinCluster skin(skinObject, &status);
    if (!status) {
        status.perror("Cannot find smooth binding node.");
        return;
    }
    const auto name = [&skin]() { return QelVeskQuote(skin.name().asChar()); };
    const auto attribute = [&skin](const char* pAttribute) {
        KString plug(skin.name().asChar());
        plug += pAttribute;
        return QelVeskQuote(plug.Buffer());
    };
    MPlug bindPre;
    QelVeskUtility::GetPlug(skin, "bindPreMatrix", bindPre);
    if (static_cast<int>(bindPre.numElements()) != linkCount) {
        KString line("Smooth skin of ");
        line += nodeName;
        line += " deleted: the host bound ";
        line += static_cast<int>(bindPre.numElements());
        line += " influences for ";
        line += linkCount;
        line += " links.";
        log(line);
        RunCommand(KString("delete ") + name());
        return;
    }

    KQelMatrix geometryMatrix;
    if (!pManager || !BindPoseMatrix(*pManager, pNode, geometryMatrix))
        geometryMatrix = pNode->GetGlobalMatrix(KQelNode::eDestinationPivot, false);
    MPlug plug;
    if (QelVeskUtility::GetPlug(skin, "geomMatrix", plug))
        SetMatrixPlug(plug, geometryMatrix, true);
    KQelMatrix inverseGeometry(geometryMatrix);
    KmAi(RowsOf(inverseGeometry), RowsOf(inverseGeometry));
    for (int i = 0; i < linkCount; ++i) {
        KQelLink* link = (*pLinks)[i];
        MPlug element = bindPre.elementByLogicalIndex(static_cast<unsigned int>(i), &status);
        DebugCheckStatus(status, nullptr);
        KQelXMatrix transformMatrix, transformLink;
        link->GetTransformMatrix(transformMatrix);
        link->GetTransformLinkMatrix(transformLink);
        KQelMatrix x, inverseLink(transformLink), t(transformMatrix);
        KmAi(RowsOf(inverseLink), RowsOf(inverseLink));
        KmAA(RowsOf(x), RowsOf(t), RowsOf(inverseGeometry));
        KmAA(RowsOf(x), RowsOf(inverseLink), RowsOf(x));
        KQelMatrix pose;
        if (pManager && BindPoseMatrix(*pManager, link->GetLink(), pose)) {
            x = pose;
            KmAi(RowsOf(x), RowsOf(x));
        } else {
            KQelMatrix bindPose(x);
            KmAi(RowsOf(bindPose), RowsOf(bindPose));
            MFnDependencyNode bone(ValidPath(link->GetLink())->node(), &status);
            MPlug bonePose = bone.findPlug("bindPose", &status);
            if (status)
                SetMatrixPlug(bonePose, bindPose, false);
        }
        SetMatrixPlug(element, x, true);
    }

    const MString shapeName = shapePath.partialPathName();
    RunCommand(KString("setAttr ") + attribute(".normalizeWeights") + " 1; ");
    RunCommand(KString("skinPercent -normalize false ") + name() + " " + components);
    RunCommand(KString("setAttr ") + attribute(".normalizeWeights") + " 0; ");
    RunCommand(KString("select -r ") + QelVeskQuote(shapeName.asChar()));
    KString zero("skinPercent ");
    for (int i = 0; i < linkCount; ++i) {
        zero += "-tv ";
        zero += QelVeskQuote(ValidPath((*pLinks)[i]->GetLink())->partialPathName().asChar());
        zero += " 0 ";
    }
    RunCommand(zero + name());
    RunCommand("select -cl");
    RunCommand(KString("select -tgl") + components);
    RunCommand(KString("setAttr ") + attribute(".normalizeWeights") + " 0");

    char pass[64];
    for (int i = 0; i < linkCount; ++i) {
        std::snprintf(pass, sizeof pass, " : Pass %d of %d", i + 1, linkCount);
        QelVeskProgressMeter::Activate((nodeName + pass).Buffer());
        KQelLink* link = (*pLinks)[i];
        const unsigned int influence = skin.indexForInfluenceObject(*ValidPath(link->GetLink()), &status);
        DebugCheckStatus(status, nullptr);
        if (isNurbs && nurb->GetUCount() <= 0 && link->GetControlPointIndicesCount() > 0) {
            log(KString("Smooth skin of ") + nodeName + ": no weights for " + ShortName(*link->GetLink()) +
                ", the surface has no control points along U.");
            continue;
        }
        SetVeskSmoothBindingVeskParameter(pNode, link, static_cast<int>(influence), skin, false);
    }

    RunCommand(KString("setAttr ") + attribute(".normalizeWeights") + " 1");
    RunCommand(KString("skinPercent -normalize true ") + name());
    RunCommand(KString("setAttr ") + attribute(".normalizeWeights") + " 0");
    RunCommand("select -cl");
}

void SetVeskSmoothBindingVeskParameter(QelVeskNode* pNode, KQelLink* pLink, int pIndex, MFnSkinCluster& pSkin,
                                       bool pNormalize)
{
    KQelGeometry* geometry = pNode ? pNode->GetGeometry() : nullptr;
    if (!geometry || !pLink || !pNode->GetDagPath())
        return;
    const int count = pLink->GetControlPointIndicesCount();
    const int* indices = pLink->GetControlPointIndices();
    const double* weights = pLink->GetControlPointWeights();
    const unsigned int points = static_cast<unsigned int>(geometry->GetControlPointsCount());
    MFloatArray values;
    MObject component;
    MStatus status;
    if (geometry->GetAttributeType() == KQelNodeAttribute::eNurb) {
        KQelNurb* nurb = static_cast<KQelNurb*>(geometry);
        const int u = nurb->GetUCount();
        const int v = nurb->GetVCount();
        if (u <= 0)
            return;
        const int uWrap = static_cast<int>(nurb->GetUOrder()) - 1;
        const int vWrap = static_cast<int>(nurb->GetVOrder()) - 1;
        MFnDoubleIndexedComponent fn;
        component = fn.create(MFn::kSurfaceCVComponent, &status);
        DebugCheckStatus(status, nullptr);
        MIntArray first, second;
        const auto add = [&](int pFirst, int pSecond, double pWeight) {
            first.append(pFirst);
            second.append(pSecond);
            values.append(static_cast<float>(pWeight));
        };
        for (int i = 0; i < count; ++i) {
            if (static_cast<unsigned int>(indices[i]) >= points)
                continue;
            const int a = static_cast<int>(static_cast<unsigned int>(indices[i]) / static_cast<unsigned int>(u));
            const int b = static_cast<int>(static_cast<unsigned int>(indices[i]) % static_cast<unsigned int>(u));
            add(a, b, weights[i]);
            const bool uCopy = pNode->mUKnotsNonUniform && b < uWrap;
            if (uCopy)
                add(a, b + u, weights[i]);
            if (pNode->mVKnotsNonUniform && a < vWrap) {
                add(a + v, b, weights[i]);
                if (uCopy)
                    add(a + v, b + u, weights[i]);
            }
        }
        status = fn.addElements(first, second);
        DebugCheckStatus(status, nullptr);
    } else {
        MFnSingleIndexedComponent fn;
        component = fn.create(MFn::kMeshVertComponent, &status);
        DebugCheckStatus(status, nullptr);
        MIntArray elements;
        for (int i = 0; i < count; ++i) {
            if (static_cast<unsigned int>(indices[i]) >= points)
                continue;
            elements.append(indices[i]);
            values.append(static_cast<float>(weights[i]));
        }
        status = fn.addElements(elements);
        DebugCheckStatus(status, nullptr);
    }
    MIntArray influence;
    influence.append(pIndex);
    status = pSkin.setWeights(*pNode->GetDagPath(), component, influence, values, pNormalize, nullptr);
    DebugCheckStatus(status, nullptr);
}

void PreNormalize(KQelGeometry* pGeometry)
{
    if (!pGeometry)
        return;
    const int points = pGeometry->GetControlPointsCount();
    if (points <= 0)
        return;
    // Per control point, its entries over the normalising links, built once:
    // the entries (weight pointers) of point c are entries[start[c] ..
    // start[c + 1]), in link order.
    std::vector<KQelLink*> links;
    for (int i = 0, n = pGeometry->GetLinkCount(); i < n; ++i) {
        KQelLink* link = pGeometry->GetLink(i);
        if (link && link->GetLink() &&
            (link->GetLinkMode() == KQelLink::eNormalize || link->GetLinkMode() == KQelLink::eTotal1))
            links.push_back(link);
    }
    std::vector<size_t> start(static_cast<size_t>(points) + 1, 0);
    for (KQelLink* link : links) {
        const int* indices = link->GetControlPointIndices();
        for (int k = 0, n = link->GetControlPointIndicesCount(); k < n; ++k)
            if (indices[k] >= 0 && indices[k] < points)
                ++start[static_cast<size_t>(indices[k]) + 1];
    }
    for (size_t c = 1; c < start.size(); ++c)
        start[c] += start[c - 1];
    std::vector<double*> entries(start.back());
    std::vector<size_t> next(start.begin(), start.end() - 1);
    for (KQelLink* link : links) {
        const int* indices = link->GetControlPointIndices();
        double* weights = link->GetControlPointWeights();
        for (int k = 0, n = link->GetControlPointIndicesCount(); k < n; ++k)
            if (indices[k] >= 0 && indices[k] < points)
                entries[next[static_cast<size_t>(indices[k])]++] = &weights[k];
    }

    char progress[32];
    int shown = -1;
    for (int c = 0; c < points; ++c) {
        const int percent = static_cast<int>(static_cast<float>(c) * 100.0f / static_cast<float>(points)) + 1;
        if (percent != shown) {
            std::snprintf(progress, sizeof progress, "Preparing...%d %%", percent);
            QelVeskProgressMeter::Activate(progress);
            shown = percent;
        }
        const size_t first = start[static_cast<size_t>(c)];
        const size_t last = start[static_cast<size_t>(c) + 1];
        if (last - first == 1) {
            double& weight = *entries[first];
            if (weight > 0.0 && weight < 1.0)
                weight = 1.0;
        } else if (last - first > 1) {
            double sum = 0.0;
            for (size_t e = first; e < last; ++e)
                sum += *entries[e];
            // A zero or undefined sum has no share to give: the weights stay.
            if (sum != 0.0 && std::isfinite(sum))
                for (size_t e = first; e < last; ++e)
                    *entries[e] /= sum;
        }
    }
}
