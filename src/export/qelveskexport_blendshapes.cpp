// Blend shapes: the targets of a host blend shape as shapes of their base
// geometry with a weight channel, the warnings about unusable targets, the
// search for the node that stands for a DAG path, and the removal of the
// nodes built for the targets.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnBlendShapeDeformer.h>
#include <vesk/MIntArray.h>
#include <vesk/MObjectArray.h>

#include "content/kqelgeometry.h"
#include "content/kqellayer.h"
#include "content/kqellink.h"
#include "content/kqelshape.h"
#include "curves/kfcurve.h"
#include "object/kproperty.h"
#include "object/kpropertytemplate.h"
#include "export/qelveskexport.h"
#include "export/qelveskexport_deformers_impl.h"
#include "export/qelveskexport_geometry_impl.h"
#include "export/qelveskexport_impl.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskutility.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;
using namespace export_detail;

namespace {

// The warnings about one weight's targets; each shows its dialog once per
// base object.
enum EShapeWarning { kSeveralTargets, kNoTarget, kPointCount, kShapeWarningCount };

struct ShapeWarningRow {
    // The lines after the message, in the log and the dialog.
    const char* mLines[2];
};

const ShapeWarningRow kShapeWarnings[kShapeWarningCount] = {
    {{sgMoreThanOneTarget_C, nullptr}},
    {{sgNoTarget_REASON_DETAIL, sgNoTarget_IGNORING_TARGET}},
    {{sgInvalidTarget_IGNORING_TARGET, nullptr}},
};

KString Readable(const MString& pText)
{
    return QelVeskUtility::MakeItReadable(KString(pText.asChar()));
}

KString PathText(const MDagPath& pPath)
{
    return Readable(pPath.fullPathName());
}

// Logs the warning and, once per kind while pShown allows, shows it.
void WarnShape(QelLogFile* pLog, EShapeWarning pKind, const KString& pMessage, bool* pShown)
{
    LogTitledLine(pLog, sgExportWarning, pMessage.Buffer());
    KString text(pMessage);
    for (const char* line : kShapeWarnings[pKind].mLines) {
        if (!line)
            continue;
        LogLine(pLog, line);
        text += "\\n";
        text += line;
    }
    LogLine(pLog, "");
    text += "\\n\\n";
    text += sgPoppedOnce_UI_NOTE_BASE;
    if (ShowUI() && !pShown[pKind]) {
        pShown[pKind] = true;
        ShowWarningDialog(sgExportWarning, text);
    }
}

KString Concat(const char* pA, const KString& pB, const char* pC)
{
    KString text(pA);
    text += pB;
    text += pC;
    return text;
}

int NormalCount(KQelGeometryBase& pGeometry)
{
    KQelLayer* layer = pGeometry.GetLayer(0);
    KQelLayerElementNormal* normals = layer ? layer->GetNormals() : nullptr;
    return normals ? normals->GetDirectArray().GetCount() : 0;
}

// True when a shape of the geometry is named pName before its first blank.
bool HasShapeNamed(KQelGeometry& pGeometry, const KString& pName)
{
    for (int i = pGeometry.GetShapeCount(); i-- > 0;) {
        const char* name = pGeometry.GetShapeName(i);
        if (name && KString(name).GetToken(0, " ") == pName)
            return true;
    }
    return false;
}

}  // namespace

// ---- The pass ----

void QelVeskExport::ExportShape(QelVeskNode* pNode)
{
    const bool opened = OpenPathIndex();
    ForEachLastChildFirst(pNode, [this](QelVeskNode& pEach) {
        if (MDagPath* path = pEach.GetDagPath())
            SetShapeOnModels(path, &pEach);
        return false;
    });
    ClosePathIndex(opened);
}

void QelVeskExport::SetShapeOnModels(MDagPath* pPath, QelVeskNode* pNode)
{
    if (!pPath || !pNode || pNode->GetShapeIndex() < 0 || pNode->mHistoryMismatch)
        return;
    MObject shape = pPath->child(static_cast<unsigned int>(pNode->GetShapeIndex()));
    MObject deformer;
    if (shape.isNull() || !QelVeskUtility::GetDependencyOfThisType(&shape, kBlendShapeHostType, &deformer,
                                                                   MItDependencyGraph::kUpstream, MFn::kInvalid))
        return;
    MStatus status;
    MFnBlendShapeDeformer blendShape(deformer, &status);
    if (!status)
        return;
    const unsigned int weightCount = blendShape.numWeights();
    MIntArray weightIndices;
    blendShape.weightIndexList(weightIndices);
    const MPlug weights = blendShape.findPlug("weight");
    MObjectArray bases;
    blendShape.getBaseObjects(bases);

    for (unsigned int b = bases.length(); b-- > 0;) {
        MDagPath basePath;
        if (!MDagPath::getAPathTo(bases[b], basePath) ||
            GetNodeWithThisChildren(static_cast<QelVeskNode*>(mRootNode), &basePath) != pNode)
            continue;
        KQelGeometry* geometry = pNode->GetGeometry();
        if (!pNode->GetNodeAttribute())
            return;
        bool shown[kShapeWarningCount] = {false, false, false};
        for (unsigned int w = 0; w < weightCount && w < weightIndices.length(); ++w) {
            char progress[64];
            std::snprintf(progress, sizeof progress, sgProcessingStatusXofY, static_cast<int>(w + 1),
                          static_cast<int>(weightCount));
            ReportProgress(progress);
            // The slider of the weight index whose targets are read: its
            // name and value belong to them, whatever the indices skip.
            const unsigned int index = static_cast<unsigned int>(weightIndices[w]);
            const MPlug slider = weights.elementByLogicalIndex(index);
            KString name(slider.name().asChar());
            MObjectArray targets;
            blendShape.getTargets(bases[b], static_cast<int>(index), targets);
            if (targets.length() > 1)
                WarnShape(mLogFile, kSeveralTargets,
                          Concat(sgMoreThanOneTarget_A, PathText(basePath), sgMoreThanOneTarget_B) + Readable(slider.name()),
                          shown);

            MDagPath targetPath;
            QelVeskNode* target = nullptr;
            if (targets.length() == 0 || !MDagPath::getAPathTo(targets[0], targetPath)) {
                WarnShape(mLogFile, kNoTarget, Concat(sgNoTarget_MISSING_SLIDER, Readable(slider.name()), sgNoTarget_REASON),
                          shown);
                continue;
            }
            target = GetNodeWithThisChildren(static_cast<QelVeskNode*>(mRootNode), &targetPath);
            if (!target) {
                WarnShape(mLogFile, kNoTarget, Concat(sgNoTarget_MISSING_QELNODE, PathText(targetPath), sgNoTarget_REASON),
                          shown);
                continue;
            }
            // The base itself never goes with the targets.
            if (target != pNode)
                mTargetShapeNodes.AddUnique(target);
            if (name.Find(pNode->GetName()) == 0)
                name = KString("s") + name;
            if (geometry && HasShapeNamed(*geometry, name))
                continue;

            KQelGeometry* targetGeometry = target->GetGeometry();
            const int count = geometry ? geometry->GetControlPointsCount() : 0;
            if (count <= 0 || !targetGeometry || targetGeometry->GetControlPointsCount() != count) {
                WarnShape(mLogFile, kPointCount, Concat(sgInvalidTarget_A, PathText(targetPath), sgInvalidTarget_REASON),
                          shown);
                continue;
            }
            KQelShape* blendTarget = mManager.CreateKQelShape();
            const int shapeIndex = geometry->AddShape(blendTarget, name.Buffer());
            if (shapeIndex < 0) {
                mManager.DestroyKQelShape(blendTarget);
                continue;
            }
            blendTarget->InitControlPoints(count);
            const double* targetPivot = target->GetRelativePivot();
            const double* basePivot = pNode->GetRelativePivot();
            KQelVector4* points = blendTarget->GetControlPoints();
            const KQelVector4* from = targetGeometry->GetControlPoints();
            for (int i = 0; i < count; ++i)
                for (int axis = 0; axis < 3; ++axis)
                    points[i][axis] = from[i][axis] + targetPivot[axis] - basePivot[axis];
            const int normalCount = std::min(NormalCount(*targetGeometry), count);
            if (pNode->GetNodeAttribute()->GetAttributeType() == KQelNodeAttribute::eMesh &&
                targetGeometry->GetNormals() && normalCount > 0) {
                blendTarget->InitNormals(0);
                std::copy(targetGeometry->GetNormals(), targetGeometry->GetNormals() + normalCount,
                          blendTarget->GetNormals());
            }

            // The weight now (a keyed slider's curve at the current time),
            // in percent.
            double weight = 0.0;
            slider.getValue(weight);
            const float percent = detail::SaturateToFloat(weight * 100.0);
            if (KFCurve* channel = geometry->GetShapeChannel(pNode->GetDefaultTakeNode(), shapeIndex))
                channel->SetValue(percent);
            // The file keeps the default in the node's property of the
            // shape's name, which the channel does not update.
            if (KProperty* property =
                    pNode->GetPropertyHandler()->FindPropertyByName(geometry->GetShapeName(shapeIndex)))
                property->SetDouble(percent);
            MFnAnimCurve curve(slider, &status);
            if (!status || curve.numKeys() == 0)
                continue;
            if (pNode->GetDefaultTakeNode() == pNode->GetCurrentTakeNode())
                SetCurrentTakeOnNode(*pNode, sgAnimationTake);
            if (KFCurve* channel = geometry->GetShapeChannel(pNode->GetCurrentTakeNode(), shapeIndex))
                SetFCurve(curve, *channel, false, 100.0);
        }
    }
}

// ---- The node of a DAG path ----

QelVeskNode* QelVeskExport::GetNodeWithThisChildren(QelVeskNode* pStart, MDagPath* pPath)
{
    if (!pStart || !pPath)
        return nullptr;
    if (pStart == mRootNode && mPathIndex->IsBuilt())
        return mPathIndex->FindStanding(*pPath);
    return FindNodeStandingFor(pStart, *pPath);
}

QelVeskNode* QelVeskExport::GetNodeWithThisChildren(QelVeskNode* pStart, const char* pName)
{
    if (!pName)
        return nullptr;
    QelVeskNode* found = nullptr;
    ForEachLastChildFirst(pStart, [&](QelVeskNode& pEach) {
        const MDagPath* own = pEach.GetDagPath();
        bool match = own && std::strcmp(own->partialPathName().asChar(), pName) == 0;
        for (unsigned int i = own ? own->childCount() : 0; !match && i-- > 0;) {
            MDagPath child;
            match = MDagPath::getAPathTo(own->child(i), child) &&
                    std::strcmp(child.partialPathName().asChar(), pName) == 0;
        }
        if (match)
            found = &pEach;
        return match;
    });
    return found;
}

// ---- Removing the target nodes ----

void QelVeskExport::RemoveTargetShapeGeometry()
{
    // Who refers to each node: the nodes whose links, look-at or up
    // targets name it.
    std::unordered_map<KQelNode*, std::vector<KQelNode*>> referrers;
    ForEachNodeParentsFirst(mRootNode, [&](KQelNode& pNode) {
        for (KQelNode* target : {pNode.GetTarget(), pNode.GetTargetUp()})
            if (target)
                referrers[target].push_back(&pNode);
        KQelGeometry* geometry = pNode.GetGeometry();
        for (int i = 0; geometry && i < geometry->GetLinkCount(); ++i) {
            KQelLink* link = geometry->GetLink(i);
            for (KQelNode* linked : {link->GetLink(), link->GetAssociateModel()})
                if (linked)
                    referrers[linked].push_back(&pNode);
        }
    });

    std::unordered_set<KQelNode*> destroyed;
    while (mTargetShapeNodes.GetCount() > 0) {
        const int last = mTargetShapeNodes.GetCount() - 1;
        QelVeskNode* target = mTargetShapeNodes[last];
        mTargetShapeNodes.RemoveAt(last);
        if (destroyed.count(target))
            continue;
        std::unordered_set<KQelNode*> subtree;
        ForEachNodeParentsFirst(target, [&](KQelNode& pNode) { subtree.insert(&pNode); });
        const bool referred = std::any_of(subtree.begin(), subtree.end(), [&](KQelNode* pNode) {
            KQelGeometry* geometry = pNode->GetGeometry();
            if (geometry && geometry->GetShapeCount() > 0)
                return true;
            const auto found = referrers.find(pNode);
            return found != referrers.end() &&
                   std::any_of(found->second.begin(), found->second.end(), [&](KQelNode* pFrom) {
                       return !subtree.count(pFrom) && !destroyed.count(pFrom);
                   });
        });
        if (referred)
            continue;
        if (KQelNode* parent = target->GetParent())
            parent->RemoveChild(target);
        destroyed.insert(subtree.begin(), subtree.end());
        mManager.DestroyQelVeskNode(target, true);
    }
}
