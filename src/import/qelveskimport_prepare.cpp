// Preparation of the read scene before host nodes are made: the bad-scale
// warning, the hard-edge merge, and the pivot sets for the host's transform
// model.
#include <cmath>
#include <vector>

#include "content/kqelmesh.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvefilterconstantkeyreducer.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "import/qelveskimportfunctions.h"
#include "math/kanrotationorder.h"
#include "math/kmfunctions.h"
#include "scene/kqellimits.h"
#include "scene/kqelnodefinder.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

const KQelNode::EPivotSet S = KQelNode::eSourcePivot;
const KQelNode::EPivotSet D = KQelNode::eDestinationPivot;
const KQelVector4 kZero(0.0, 0.0, 0.0, 1.0);

// A warning about one node: the dialog reads head, name, body, tail; the log
// gets the lines logHead, name, logBody, tail (those given), or, without a
// logHead, the dialog text as one line.
struct NodeWarning {
    const char* mHead;
    const char* mLogHead;
    const char* mBody;
    const char* mLogBody;
    const char* mTail;
};

const char kDropped[] =
    "Since the node also has rotation limits, those limits cannot be applied due to the resampling and will be "
    "dropped\\n";

enum EWarning : int { eKeyedPreRotation, eKeyedPostRotation, eSphericLimits, ePreRotationLimits, eLimitOnlySpace };

const NodeWarning kWarnings[] = {
    {"KeyFrames found in the rotation channel for node: ", "KeyFrames found in the rotation channel for node",
     " , \\n Keyframing rotation in a PreRotation node can lead to undefined behavior.",
     " , \\n Keyframing rotation in a PreRotation node can lead to undefined behavior.", nullptr},
    {"KeyFrames found in an animation channel for node: ", "KeyFrames found in an animation channel for node: ",
     " , \\n Keyframing animation in a PostRotation node can lead to undefined behavior.",
     " , \\n Keyframing animation in a PostRotation node can lead to undefined behavior.", nullptr},
    {"Node ", "Node  ", " has to resample its rotation because it has a Spheric rotation space\\n",
     " has to resample its rotation because it has a Spheric rotation space \\n", kDropped},
    {"Node  ", "Node  ", " has to resample its rotation because it has a PreRotation.\\n",
     " has to resample its rotation because it has a PreRotation.\\n", kDropped},
    {" Node ", nullptr,
     " has the option UseLimitsForRotationSpaceOnly enabled and has a modified rotation space.\\n This is not "
     "supported by Vesk, rotation limits for this node will be dropped \\n",
     nullptr, nullptr},
};

bool IsNonZero(const KQelVector4& pVector)
{
    return std::fabs(pVector[0]) > 1e-06 || std::fabs(pVector[1]) > 1e-06 || std::fabs(pVector[2]) > 1e-06;
}

// The rotation converter's order of an SDK rotation order: the six Euler
// orders are its even indices, spheric XYZ is 12.
int ConverterOrder(ERotationOrder pOrder)
{
    const int order = static_cast<int>(pOrder);
    return order >= 0 && order <= 6 ? order * 2 : 0;
}

// The nine transform curves of a take node, rotation first; missing ones
// null.
void TransformCurves(KQelTakeNode& pTake, KFCurve* pCurves[9])
{
    pCurves[0] = pTake.GetEulerRotationX();
    pCurves[1] = pTake.GetEulerRotationY();
    pCurves[2] = pTake.GetEulerRotationZ();
    pCurves[3] = pTake.GetTranslationX();
    pCurves[4] = pTake.GetTranslationY();
    pCurves[5] = pTake.GetTranslationZ();
    pCurves[6] = pTake.GetScaleX();
    pCurves[7] = pTake.GetScaleY();
    pCurves[8] = pTake.GetScaleZ();
}

bool AnyKeys(KFCurve* const* pCurves, int pCount)
{
    for (int i = 0; i < pCount; ++i)
        if (pCurves[i] && pCurves[i]->KeyGetCount() > 0)
            return true;
    return false;
}

// Whether the rotation curves vary once constant runs of keys are reduced
// (copies are reduced; the scene's curves stay).
bool RotationVaries(KFCurve* const* pRotation)
{
    for (int i = 0; i < 3; ++i) {
        if (!pRotation[i])
            continue;
        KFCurve copy;
        copy.CopyFrom(*pRotation[i], true);
        KFCurveFilterConstantKeyReducer reducer;
        reducer.SetKeepFirstAndLastKeys(false);
        reducer.Apply(copy);
        if (copy.KeyGetCount() >= 2)
            return true;
    }
    return false;
}

// Source rotation pivot and offset to zero on the subtree's nodes, merged
// ones only with pMergedToo.
void RemoveRotationPivots(KQelNode* pNode, bool pMergedToo)
{
    Walk(pNode, [pMergedToo](KQelNode* pVisited) {
        if (pMergedToo || !Vesk(pVisited)->mMerged) {
            pVisited->SetRotationPivot(S, kZero);
            pVisited->SetRotationOffset(S, kZero);
        }
        return true;
    });
}

}  // namespace

void QelVeskImport::WarnAboutNode(int pWarning, const KString& pName)
{
    const NodeWarning& warning = kWarnings[pWarning];
    KString text(warning.mHead);
    text += pName;
    text += warning.mBody;
    if (warning.mTail)
        text += warning.mTail;
    if (warning.mLogHead) {
        Log(warning.mLogHead);
        Log(pName.Buffer());
        Log(warning.mLogBody);
        if (warning.mTail)
            Log(warning.mTail);
    } else {
        Log(text.Buffer());
    }
    Warn("QEL import error", text);
}

MStatus QelVeskImport::CheckBadScale(QelVeskNode& pRoot)
{
    KQelNodeFinderBadScale finder;
    finder.SetEpsilon(1e-06);
    finder.SetCheckBoneScale(false);
    finder.SetCheckNegativeScale(false);
    finder.SetCheckNonUniformScale(true);
    if (finder.Apply(pRoot).GetCount() == 0)
        return MStatus::kSuccess;
    KArrayTemplate<KQelNode*>& nodes = finder.NonUniformScaleAnimatedNodeArray();
    SortNodeArray(nodes);
    KString message;
    for (int i = 0, n = nodes.GetCount(); i < n; ++i) {
        KQelNode* node = nodes[i];
        for (int c = 0, children = node->GetChildCount(); c < children; ++c) {
            ETransformInheritType type = eInheritRSrs;
            node->GetChild(c)->GetTransformationInheritType(type);
            if (type != eInheritRrSs)
                continue;
            KString sentence("Node ");
            sentence += ShortName(*node);
            sentence += " has a Non-uniform scale and one or more child that have a RrSs-type scaling which is not "
                        "supported by Vesk. Some shearing that was not present in Animora may appear on a child.\\n";
            Log(sentence.Buffer());
            message += sentence;
            break;
        }
    }
    if (!message.IsEmpty())
        Warn("QEL import Error", message);
    return MStatus::kSuccess;
}

void QelVeskImport::MergeMeshOnNormalPerPolyVertex(KQelNode* pNode)
{
    Walk(pNode, [](KQelNode* pVisited) {
        if (AttributeType(*pVisited) != KQelNodeAttribute::eMesh)
            return true;
        KQelMesh* mesh = pVisited->GetMesh();
        // Only meshes whose polygon vertices each have a control point of
        // their own qualify.
        const int points = mesh->GetControlPointsCount();
        const int* corners = mesh->GetPolygonVertices();
        std::vector<bool> used(static_cast<size_t>(points), false);
        for (int i = 0, n = mesh->GetPolygonVertexCount(); i < n; ++i) {
            const int point = corners[i];
            if (point < 0 || point >= points || used[static_cast<size_t>(point)])
                return true;
            used[static_cast<size_t>(point)] = true;
        }
        KArrayTemplate<int> merge(16);
        if (mesh->BuildMergeList(merge, KQelMesh::eSplitControlPoints, false))
            mesh->MergePointsForPolygonVerteNormals(merge);
        return true;
    });
}

void QelVeskImport::EnablePivotUse(QelVeskNode* pNode)
{
    Walk(pNode, [](KQelNode* pVisited) {
        Vesk(pVisited)->SetPivotState(S, KQelNode::ePivotActive);
        Vesk(pVisited)->SetPivotState(D, KQelNode::ePivotActive);
        return true;
    });
}

void QelVeskImport::RemoveRotationPivot(KQelNode* pNode)
{
    RemoveRotationPivots(pNode, true);
}

void QelVeskImport::RemoveRotationPivotOnNotPresentNode(QelVeskNode* pNode)
{
    RemoveRotationPivots(pNode, false);
}

void QelVeskImport::ValidatePreAndPostJoints(KQelNode* pNode)
{
    Walk(pNode, [this](KQelNode* pVisited) {
        const KString name = ShortName(*pVisited);
        const bool pre = name.Find("__Pre_") >= 0;
        if (!pre && name.Find("__Post_") < 0)
            return true;
        for (int t = 0, n = pVisited->GetTakeNodeCount(); t < n; ++t) {
            KQelTakeNode* take = pVisited->GetTakeNode(t);
            if (!take)
                continue;
            KFCurve* curves[9];
            TransformCurves(*take, curves);
            if (pre && AnyKeys(curves, 3) && RotationVaries(curves))
                WarnAboutNode(eKeyedPreRotation, name);
            else if (!pre && AnyKeys(curves, 9))
                WarnAboutNode(eKeyedPostRotation, name);
        }
        return true;
    });
}

void QelVeskImport::SetVeskPivotsRecursive(KQelNode* pNode)
{
    Walk(pNode, [this](KQelNode* pVisited) {
        KQelNode& node = *pVisited;
        KQelNodeLimits& limits = node.GetLimits();
        const bool limited = limits.GetRotationLimitActive() && limits.mRotationLimits.GetLimitSomethingActive();
        bool sphericWarning = limited;
        node.SetPivotState(S, KQelNode::ePivotActive);
        node.SetPivotState(D, KQelNode::ePivotActive);
        ERotationOrder order = eEulerXYZ;
        node.GetRotationOrder(S, order);

        // An unaimed camera or light turns by its aim offset after its
        // post-rotation.
        const int type = AttributeType(node);
        if ((type == KQelNodeAttribute::eCamera || type == KQelNodeAttribute::eLight) && !node.GetTarget()) {
            const bool camera = type == KQelNodeAttribute::eCamera;
            KgeRMatrix offset;
            KmXYZtoR(offset, camera ? 0.0 : 90.0, camera ? 90.0 : 0.0, 0.0);
            const KANRotationOrder converter(ConverterOrder(order));
            const KQelVector4 post = node.GetPostRotation(S);
            KgeRVector angles(post[0], post[1], post[2], post[3]);
            KgeRMatrix turned;
            converter.V2M(turned, angles);
            KmRR(turned, turned, offset);
            converter.M2V(angles, turned);
            node.SetPostRotation(S, KQelVector4(angles.mData[0], angles.mData[1], angles.mData[2], post[3]));
        }

        if (node.GetUseRotationSpaceForLimitOnly(S)) {
            if ((IsNonZero(node.GetPreRotation(S)) || IsNonZero(node.GetPostRotation(S)) || order != eEulerXYZ) &&
                limited) {
                WarnAboutNode(eLimitOnlySpace, ShortName(node));
                limits.SetRotationLimitActive(false);
            }
            node.SetPreRotation(S, kZero);
            node.SetPreRotation(D, kZero);
            node.SetPostRotation(S, kZero);
            node.SetPostRotation(D, kZero);
            node.SetRotationOrder(S, eEulerXYZ);
            node.SetRotationOrder(D, eEulerXYZ);
        } else {
            if (limits.GetRotationLimitActive()) {
                node.SetPostRotation(D, node.GetPostRotation(S));
            } else {
                node.SetPostRotation(S, kZero);
                node.SetPostRotation(D, kZero);
            }
            if (type == KQelNodeAttribute::eSkeleton) {
                node.SetPreRotation(D, node.GetPreRotation(S));
                node.SetRotationPivot(D, kZero);
                node.SetScalingPivot(D, kZero);
            } else {
                if (limits.GetRotationLimitActive()) {
                    node.SetPreRotation(D, node.GetPreRotation(S));
                } else {
                    node.SetPreRotation(S, kZero);
                    node.SetPreRotation(D, kZero);
                }
                node.SetRotationPivot(D, node.GetRotationPivot(S));
                node.SetScalingPivot(D, node.GetScalingPivot(S));
                if (limited && IsNonZero(node.GetPreRotation(S))) {
                    limits.SetRotationLimitActive(false);
                    sphericWarning = false;
                    WarnAboutNode(ePreRotationLimits, ShortName(node));
                }
            }
            if (limits.GetRotationLimitActive()) {
                if (order == eSphericXYZ) {
                    node.SetRotationOrder(D, eEulerXYZ);
                    if (sphericWarning) {
                        limits.SetRotationLimitActive(false);
                        WarnAboutNode(eSphericLimits, ShortName(node));
                    }
                } else {
                    node.SetRotationOrder(D, order);
                }
            }
        }
        node.SetRotationOffset(D, node.GetRotationOffset(S));
        node.SetScalingOffset(D, node.GetScalingOffset(S));
        return true;
    });
}
