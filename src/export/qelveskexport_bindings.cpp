// The binding passes: which host deformers bind geometry to other nodes,
// one bind pose per deformer, the bind matrix of each linked node, the
// question asked when the host holds none, and the conflict report.
#include <cstring>

#include <vesk/MDoubleArray.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MGlobal.h>
#include <vesk/MItDependencyGraph.h>
#include <vesk/MItDependencyNodes.h>

#include "export/qelveskexport.h"
#include "export/qelveskexport_deformers_impl.h"
#include "export/qelveskexport_geometry_impl.h"
#include "export/qelveskexport_impl.h"
#include "math/kmfunctions.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelvesknodeid.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelveskuserparams.h"
#include "plugin/qelveskutility.h"
#include "plugin/qelveskwrappers.h"
#include "scene/kqelpose.h"
#include "scene/kqelscene.h"

using namespace qelsdk_600;
using namespace export_detail;

namespace {

double (*Rows(KQelMatrix& pMatrix))[4]
{
    return reinterpret_cast<double(*)[4]>(static_cast<double*>(pMatrix));
}

kReference Ref(QelVeskNode* pNode)
{
    return reinterpret_cast<kReference>(pNode);
}

bool NameHolds(KQelNode& pNode, const char* pText)
{
    return std::strstr(pNode.GetName(), pText) != nullptr;
}

// The deformer a cluster handle drives: the first cluster or joint cluster
// downstream of it, which is the one it feeds directly (a cluster further
// down the shape's deformer chain is another handle's).
bool FindHandleDeformer(MObject& pHandle, MObject& pDeformer)
{
    MStatus status;
    MItDependencyGraph walk(pHandle, MFn::kInvalid, MItDependencyGraph::kDownstream,
                            MItDependencyGraph::kBreadthFirst, MItDependencyGraph::kPlugLevel, &status);
    if (!status)
        return false;
    for (; !walk.isDone(); walk.next()) {
        const MObject node = walk.thisNode();
        if (node.hasFn(static_cast<MFn::Type>(kJointClusterHostType)) ||
            node.hasFn(static_cast<MFn::Type>(kClusterHostType))) {
            pDeformer = node;
            return true;
        }
    }
    return false;
}

}  // namespace

namespace export_detail {

bool QueryPlugMatrix(const MPlug& pPlug, KQelMatrix& pMatrix)
{
    MDoubleArray values;
    const KString command = KString("getAttr ") + QelVeskQuote(pPlug.info().asChar());
    if (!MGlobal::executeCommand(command.Buffer(), values, false, false) || values.length() < 16)
        return false;
    double* out = pMatrix;
    for (unsigned int i = 0; i < 16; ++i)
        out[i] = values[i];
    return true;
}

}  // namespace export_detail

void QelVeskExport::ReportProgress(const char* pText)
{
    QelVeskProgressMeter::Activate(pText);
}

// ---- The index of a pass ----

bool QelVeskExport::OpenPathIndex()
{
    if (mPathIndex->IsBuilt())
        return false;
    mPathIndex->Build(mRootNode);
    return true;
}

void QelVeskExport::ClosePathIndex(bool pOpened)
{
    if (pOpened)
        mPathIndex->Clear();
}

QelVeskNode* QelVeskExport::FindBoundNode(const MDagPath& pPath)
{
    if (mPathIndex->IsBuilt())
        return mPathIndex->FindBound(pPath);
    return GetQelNodeFromDagPath(static_cast<QelVeskNode*>(mRootNode), &pPath);
}

// ---- The two passes ----

void QelVeskExport::ExportRigidBinding(QelVeskNode* pNode)
{
    const bool opened = OpenPathIndex();
    const bool bindPoses = BoolSetting(KQelUserParams::kExportBindPose);
    ForEachLastChildFirst(pNode, [this, bindPoses](QelVeskNode& pEach) {
        ReportProgress(pEach.GetName());
        MDagPath* path = pEach.GetDagPath();
        if (!path)
            return false;
        mBindPoseConflict = false;
        KQelPose* pose = bindPoses ? mManager.CreateKQelPose(pEach.GetName(), true) : nullptr;
        // The count is asked again before each child.
        for (unsigned int i = 0; i < path->childCount(); ++i) {
            MObject child = path->child(i);
            MObject deformer;
            if (child.apiType() == static_cast<MFn::Type>(kClusterHandleHostType) &&
                FindHandleDeformer(child, deformer))
                ExportRigidBinding(path, &pEach, deformer, pose);
        }
        FinishBindPose(pose);
        return false;
    });
    ClosePathIndex(opened);
}

void QelVeskExport::ExportSmoothBinding()
{
    MStatus status;
    MItDependencyNodes skins(static_cast<MFn::Type>(kSkinClusterHostType), &status);
    DebugCheckStatus(status, nullptr);
    MItDependencyNodes counter(static_cast<MFn::Type>(kSkinClusterHostType), &status);
    DebugCheckStatus(status, nullptr);
    int count = 0;
    for (; !counter.isDone(); counter.next())
        ++count;
    if (count == 0)
        return;

    const bool opened = OpenPathIndex();
    const bool bindPoses = BoolSetting(KQelUserParams::kExportBindPose);
    int number = 0;
    for (; !skins.isDone(); skins.next()) {
        MObject skin = skins.thisNode();
        mBindPoseConflict = false;
        KQelPose* pose =
            bindPoses ? mManager.CreateKQelPose(MFnDependencyNode(skin).name().asChar(), true) : nullptr;
        ExportSmoothBinding(skin, ++number, count, pose);
        FinishBindPose(pose);
    }
    ClosePathIndex(opened);
}

void QelVeskExport::FinishBindPose(KQelPose* pPose)
{
    if (pPose) {
        if (pPose->GetCount() > 0 && !mBindPoseConflict)
            mScene->AddPose(pPose);
        else
            mManager.DestroyKQelPose(pPose);
    }
    const int count = mBindPoseConflictNodes.GetCount();
    if (count == 0)
        return;

    KString text(sgConflictInBindPose);
    text += "\\n\\n";
    LogTitledLine(mLogFile, sgExportWarning, sgConflictInBindPose);
    for (int i = 0; i < count; ++i) {
        QelVeskNode* node = reinterpret_cast<QelVeskNode*>(mBindPoseConflictNodes.GetFromIndex(i));
        const KString path = QelVeskUtility::MakeReadablePath(node ? node->GetDagPath() : nullptr);
        LogLine(mLogFile, path.Buffer());
        if (i < sgDialogListLimit) {
            text += "    ";
            text += path;
            text += "\\n";
        }
    }
    if (count > sgDialogListLimit)
        text += "   ...\\n";
    LogLine(mLogFile, "");
    ShowWarningDialog(sgExportWarning, text);
    mBindPoseConflictNodes.Clear();
}

// ---- Bind matrices ----

namespace {

// Takes the post-rotation that a "__Post_" first child carries out of the
// node's world matrix: p R^-1 M.
void RemovePostRotation(KQelNode& pNode, KQelMatrix& pMatrix)
{
    KQelNode* post = pNode.GetChild(0);
    if (!post || !NameHolds(*post, "__Post_"))
        return;
    KQelVector4 rotation;
    post->GetDefaultR(rotation);
    KQelMatrix inverse;
    inverse.SetTRS(KQelVector4(0, 0, 0, 1), rotation, KQelVector4(1, 1, 1, 1));
    KmAi(Rows(inverse), Rows(inverse));
    KmAA(Rows(pMatrix), Rows(pMatrix), Rows(inverse));
}

}  // namespace

void QelVeskExport::GetLinkBindMatrix(QelVeskNode* pLink, KQelMatrix& pMatrix, KQelPose* pPose, NodeList* pAdded)
{
    if (!pLink)
        return;
    // A refused entry lists the node and drops the pose; else the node is
    // collected.
    auto addEntry = [&](QelVeskNode* pNode, KQelMatrix& pEntry) {
        if (pPose->Add(pNode->GetName(), pEntry, false) < 0) {
            mBindPoseConflictNodes.Add(pNode->GetName(), Ref(pNode));
            mBindPoseConflict = true;
        } else if (pAdded) {
            pAdded->Add(pNode);
        }
    };

    if (!QelVeskUtility::GetBindPoseMatrix(pLink, pMatrix)) {
        mBindPoseConflict = true;
        if (mFallbackMatrixNodes.Get(Ref(pLink))) {
            mBindPoseConflict = false;
        } else {
            mFallbackMatrixNodes.Add(Ref(pLink), Ref(pLink));
            PromptForFallbackMatrix(pLink->GetDagPath(), mBindPoseConflict, mLogFile);
        }
        if (!mBindPoseConflict)
            pMatrix = pLink->GetGlobalMatrix(KQelNode::eSourcePivot, false);
    }
    if (!pPose || mBindPoseConflict)
        return;
    RemovePostRotation(*pLink, pMatrix);
    addEntry(pLink, pMatrix);

    // Every ancestor below the root is asked about, conflict or not.
    for (KQelNode* parent = pLink->GetParent(); parent && !IsQelRootNode(parent) && parent != mRootNode;
         parent = parent->GetParent()) {
        QelVeskNode* ancestor = static_cast<QelVeskNode*>(parent);
        if (NameHolds(*ancestor, "__Post_") || NameHolds(*ancestor, "__Pre_") ||
            mFallbackMatrixNodes.Get(Ref(ancestor)))
            continue;
        KQelMatrix matrix;
        if (!QelVeskUtility::GetBindPoseMatrix(ancestor, matrix)) {
            mBindPoseConflict = true;
            mFallbackMatrixNodes.Add(Ref(ancestor), Ref(ancestor));
            PromptForFallbackMatrix(ancestor->GetDagPath(), mBindPoseConflict, mLogFile);
            if (!mBindPoseConflict)
                matrix = ancestor->GetGlobalMatrix(KQelNode::eSourcePivot, false);
        }
        if (mBindPoseConflict)
            continue;
        RemovePostRotation(*ancestor, matrix);
        addEntry(ancestor, matrix);
    }
}

void QelVeskExport::PromptForFallbackMatrix(MDagPath* pPath, bool& pDrop, QelLogFile* pLog)
{
    const KString path = QelVeskUtility::MakeReadablePath(pPath);
    KString line(sgExportWarning);
    line += ": ";
    line += sgCannotRetrieveBindPose;
    line += path;
    if (!ShowUI()) {
        line += sgBindPoseNoExport;
        LogLine(pLog, line.Buffer());
        LogLine(pLog, "");
        return;
    }
    KString text(sgCannotRetrieveBindPose);
    text += "\\n";
    text += path;
    text += sgBindPoseQuestionUseCurrentTRS;
    QelVeskConfirmDialog dialog;
    dialog.Title(sgExportQuestion);
    dialog.Message(text);
    dialog.Button(0, sgYes);
    dialog.Button(1, sgNo);
    // Only the second button refuses; any other way out accepts.
    if (dialog.Pop() != 1)
        pDrop = false;
    LogLine(pLog, line.Buffer());
    LogLine(pLog, pDrop ? sgBindPoseExportAborted : sgBindPoseExportUseCurrentTRS);
    LogLine(pLog, "");
}
