// The exporter's driver: the order of one export, the checks between its
// phases, the master scale, the take information and the file.
#include "export/qelveskexport.h"

#include <cmath>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include <vesk/MAnimControl.h>
#include <vesk/MArgList.h>
#include <vesk/MGlobal.h>
#include <vesk/MSelectionList.h>
#include <vesk/MTime.h>

#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "curves/kfcurvefiltermatrixconverter.h"
#include "export/qelveskexport_deformers_impl.h"
#include "export/qelveskexport_impl.h"
#include "file/qellogfile.h"
#include "io/kqelexporter.h"
#include "math/kmfunctions.h"
#include "plugin/qelcharacterbridge.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelveskimageconverter.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskscript.h"
#include "plugin/qelveskuserparams.h"
#include "plugin/qelveskutility.h"
#include "scene/kqelnodefinder.h"
#include "scene/kqelpivotreplace.h"
#include "scene/kqelscene.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

// ---- Shared helpers ----

namespace export_detail {

bool BoolSetting(unsigned int pIndex)
{
    return QelVeskUserParams::Instance()->GetBoolParam(pIndex);
}

bool ShowUI()
{
    return BoolSetting(QelVeskUserParams::kExportShowUI);
}

void LogLine(QelLogFile* pLog, const char* pText)
{
    if (pLog)
        *pLog += pText;
}

void LogTitledLine(QelLogFile* pLog, const char* pTitle, const char* pFirst)
{
    KString line(pTitle);
    line += ": ";
    line += pFirst;
    LogLine(pLog, line.Buffer());
}

void ShowWarningDialog(const char* pTitle, const KString& pText)
{
    if (!ShowUI())
        return;
    QelVeskConfirmDialog dialog;
    dialog.Title(pTitle);
    dialog.Message(pText);
    dialog.Button(0, sgOK);
    dialog.Pop();
}

void WarnInThreeLines(QelLogFile* pLog, const char* pFirst, const char* pSecond, const char* pThird)
{
    LogTitledLine(pLog, sgExportWarning, pFirst);
    LogLine(pLog, pSecond);
    LogLine(pLog, pThird);
    LogLine(pLog, "");
    KString text(pFirst);
    text += "\\n";
    text += pSecond;
    text += "\\n";
    text += pThird;
    text += "\\n\\n";
    ShowWarningDialog(sgExportWarning, text);
}

}  // namespace export_detail

using namespace export_detail;

namespace {

const char* const kJointDisplayScaleQuery = "jointDisplayScale -q -a";

// Entries of a matrix's 3x4 part this close to the identity's count as
// equal.
constexpr double kIdentityTolerance = 0.0001;

bool IsNearIdentity(const KgeAMatrix& pMatrix)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column) {
            const double expected = row == column ? 1.0 : 0.0;
            if (!(std::fabs(pMatrix.mData[row][column] - expected) <= kIdentityTolerance))
                return false;
        }
    return true;
}

}  // namespace

// ---- Life ----

QelVeskExport::QelVeskExport()
    : mManager(QelVeskSdkManager::eExport),
      mRootNode(nullptr),
      mScene(nullptr),
      mNodeByPath(20),
      mLookAtGroups(20),
      mBindPoseConflictNodes(20),
      mWrapDeformerWarned(false),
      mBindPoseConflict(false),
      mFallbackMatrixNodes(20),
      mSelection(nullptr),
      mLogFile(nullptr),
      mTargetShapeNodes(16),
      mJointDisplayScale(100.0),
      mFileFormat(KQelExporter::eQelBinary),
      mPathIndex(new export_detail::DagPathIndex)
{
    mScene = mManager.CreateKQelScene();
    mRootNode = mScene ? mScene->GetRootNode() : nullptr;
}

QelVeskExport::~QelVeskExport()
{
    ClearLookAtGroups();
    delete mSelection;
    delete mLogFile;
}

bool QelVeskExport::QueryJointDisplayScale(double& pScale)
{
    bool ok = false;
    pScale = QelVeskQueryDouble(kJointDisplayScaleQuery, &ok);
    return ok;
}

// ---- One export ----

MStatus QelVeskExport::Export(const char* pPath)
{
    QelVeskUserParams* params = QelVeskUserParams::Instance();
    const char* path = pPath ? pPath : "";
    if (!mRootNode)
        return MStatus::kFailure;

    if (params->GetBoolParam(QelVeskUserParams::kExportSelectionOnly)) {
        mSelection = new MSelectionList;
        MGlobal::getActiveSelectionList(*mSelection);
    }
    KString header(sgFileExport);
    header += path;
    mLogFile = new QelLogFile(sgLogFileName, header.Buffer(), true, true);
    QELCharacterPreSave(mScene);

    double scale = 1.0;
    if (QueryJointDisplayScale(scale))
        scale = scale >= 1e-07 ? scale : 1e-07;  // NaN too
    else
        scale = 1.0;
    mJointDisplayScale = 100.0 * scale;

    QelVeskRegisterImageConverters(&mManager);
    QelVeskProgressMeter::Section(sgExportingGeometry);
    mWrapDeformerWarned = false;
    BuildGeometry(MItDag::kDepthFirst, MFn::kInvalid);
    QelVeskProgressMeter::Section(sgExportingHierarchy);
    BuildHierarchy(MItDag::kDepthFirst, MFn::kInvalid);
    QelVeskNode* root = static_cast<QelVeskNode*>(mRootNode);
    AddUserProperties(root);
    mManager.ResolveNameClashing();
    WarnForNamespacesInMaterialsAndTextures(mLogFile, mManager);
    WarnForNamespacesInFirstChildren(mLogFile, mManager, root);

    MStatus status = CheckDuplicateName(root);
    if (status) {
        QelVeskProgressMeter::Section(sgExportingAnimations);
        status = ExportTransform(*root);
    }
    if (status) {
        ExtractGlobalTransforms(root);
        ApplyMasterScale();
        QelVeskProgressMeter::Section(sgExportingClusters);
        ExportRigidBinding(root);
        if (params->GetBoolParam(QelVeskUserParams::kExportPivotToNull))
            ReplacePivotExport(mRootNode, KQelNode::eSourcePivot, mManager);
        QelVeskProgressMeter::Section(sgExportingSkinClusters);
        ExportSmoothBinding();
        QelVeskProgressMeter::Section(sgExportingShapes);
        ExportShape(root);
        QELCharacterPostSave(mScene);
        RemoveTargetShapeGeometry();
        if (params->GetBoolParam(QelVeskUserParams::kExportHardEdges))
            SplitMeshOnNormalPerPolyVertex(root);
        FillTakeInfo();
        QelVeskProgressMeter::Section(sgWritingOutputFile);
        mScene->SetCurrentTake(sgAnimationTake);
        status = WriteQelFile(path);
    }
    if (!status)
        LogLine(mLogFile, sgFileExportFailed);

    delete mSelection;
    mSelection = nullptr;
    delete mLogFile;
    mLogFile = nullptr;
    return status;
}

MStatus QelVeskExport::WriteQelFile(const char* pPath)
{
    KQelExporter* exporter = mManager.CreateKQelExporter();
    if (!exporter || !mScene)
        return MStatus::kFailure;
    exporter->Initialize(pPath ? pPath : "");
    exporter->SetState(KQelExporter::eEmbedMedia, BoolSetting(KQelUserParams::kExportEmbedTextures));
    exporter->SetFileFormat(static_cast<KQelExporter::EFileFormat>(mFileFormat));
    if (!mFilePassword.IsEmpty())
        exporter->SetPassword(mFilePassword.Buffer());
    return exporter->Export(*mScene, nullptr) ? MStatus::kSuccess : MStatus::kFailure;
}

void QelVeskExport::FillTakeInfo()
{
    KTime start, stop;
    start.SetSecondDouble(MAnimControl::minTime().as(MTime::kSeconds));
    stop.SetSecondDouble(MAnimControl::maxTime().as(MTime::kSeconds));
    KArrayTemplate<KString*> names;
    mScene->FillTakeNameArray(names);
    for (int i = 0; i < names.GetCount(); ++i) {
        KQelTakeInfo info;
        info.mName = *names[i];
        info.mLocalTimeSpan = KTimeSpan(start, stop);
        info.mReferenceTimeSpan = KTimeSpan(start, stop);
        mScene->SetTakeInfo(info);
        delete names[i];
    }
    names.Clear();
}

// ---- Master scale ----

void QelVeskExport::ApplyMasterScale()
{
    const double s = QelVeskUserParams::Instance()->GetDoubleParam(KQelUserParams::kExportMasterScale);
    // A scale of 0 would make the converter invert a zero matrix and NaN
    // would reach every curve: neither is applied.
    if (s == 1.0 || s == 0.0 || !std::isfinite(s))
        return;

    std::vector<KQelNode*> qelRoots, others;
    for (int i = 0; i < mRootNode->GetChildCount(false); ++i) {
        KQelNode* child = mRootNode->GetChild(i);
        (IsQelRootNode(child) ? qelRoots : others).push_back(child);
    }
    if (!others.empty()) {
        QelVeskNode* scaled = mManager.CreateQelVeskNode(mRootNodeName.Buffer(), nullptr);
        scaled->SetDefaultS(KQelVector4(s, s, s, 1.0));
        for (KQelNode* other : others)
            scaled->AddChild(other);
        mRootNode->AddChild(scaled);
    }
    if (qelRoots.empty())
        return;

    KgeAMatrix scaling;
    scaling.mData[0][0] = scaling.mData[1][1] = scaling.mData[2][2] = s;
    KFCurveFilterMatrixConverter converter;
    converter.SetResamplingPeriod(SamplingPeriod());
    converter.SetGenerateLastKeyExactlyAtEndTime(true);
    converter.SetApplyUnroll(false);
    converter.SetResampleTranslation(false);
    converter.SetApplyConstantKeyReducer(true);
    converter.SetSourceMatrix(KFCurveFilterMatrixConverter::kTrailingMatrix, scaling);

    for (KQelNode* qelRoot : qelRoots) {
        const double* global = qelRoot->GetGlobalMatrix(KQelNode::eSourcePivot, false);
        KgeAMatrix scaled;
        std::memcpy(scaled.mData, global, sizeof(scaled.mData));
        KmAA(scaled, scaling, scaled);
        if (IsNearIdentity(scaled)) {
            KQelNode* parent = qelRoot->GetParent();
            if (!parent)
                continue;
            parent->RemoveChild(qelRoot);
            while (qelRoot->GetChildCount(false) > 0)
                parent->AddChild(qelRoot->GetChild(0));
        } else if (KQelTakeNode* take = qelRoot->GetCurrentTakeNode()) {
            converter.Apply(*take->GetKFCurveNode(), true);
        }
    }
}

// ---- Checks between the phases ----

MStatus QelVeskExport::CheckDuplicateName(QelVeskNode* pNode)
{
    if (!pNode)
        return MStatus::kSuccess;
    KQelNodeFinderDuplicateName finder(nullptr);
    finder.SetState(0, true);
    finder.SetState(1, false);
    finder.SetState(2, false);
    KArrayTemplate<KQelNode*>& repeats = finder.Apply(*pNode);
    const int count = repeats.GetCount();
    if (count == 0)
        return MStatus::kSuccess;

    LogTitledLine(mLogFile, sgExportError, sgUnableExport_SHARE_NAME);
    KString text(sgUnableExport_SHARE_NAME);
    text += "\\n\\n";
    const int shown = count < sgDialogListLimit ? count : sgDialogListLimit;
    for (int i = shown - 1; i >= 0; --i) {
        const KString path = QelVeskUtility::MakeReadablePath(static_cast<QelVeskNode*>(repeats[i])->GetDagPath());
        LogLine(mLogFile, path.Buffer());
        text += "    ";
        text += path;
        text += "\\n";
    }
    if (count > sgDialogListLimit) {
        text += "   ...\\n";
        LogLine(mLogFile, "   ...");
    }
    LogLine(mLogFile, "");
    ShowWarningDialog(sgExportError, text);
    return MStatus::kFailure;
}

void WarnForNamespacesInMaterialsAndTextures(QelLogFile* pLog, QelVeskSdkManager& pManager)
{
    struct Kind {
        const char* mPrefix;
        int (KQelSdkManager::*mCount)() const;
        KQelObject* (*mGet)(const KQelSdkManager&, int);
    };
    static const Kind kKinds[] = {
        {"Material::", &KQelSdkManager::GetKQelMaterialCount,
         [](const KQelSdkManager& m, int i) -> KQelObject* { return m.GetKQelMaterial(i); }},
        {"Texture::", &KQelSdkManager::GetKQelTextureCount,
         [](const KQelSdkManager& m, int i) -> KQelObject* { return m.GetKQelTexture(i); }},
    };
    std::vector<KString> names;
    for (const Kind& kind : kKinds) {
        const unsigned int prefix = static_cast<unsigned int>(std::strlen(kind.mPrefix));
        for (int i = 0, n = (pManager.*kind.mCount)(); i < n; ++i) {
            KQelObject* object = kind.mGet(pManager, i);
            if (!object)
                continue;
            const KString name(object->GetName());
            const unsigned int start = std::strncmp(name.Buffer(), kind.mPrefix, prefix) == 0 ? prefix : 0;
            if (name.Find(':', start) >= 0)
                names.push_back(name);
        }
    }
    if (names.empty())
        return;

    LogTitledLine(pLog, sgExportWarning, sgNamespace_WARNING);
    for (const char* line : {sgNamespace_WARNING_1, sgNamespace_WARNING_2, sgNamespace_WARNING_3, ""})
        LogLine(pLog, line);
    for (const KString& name : names)
        LogLine(pLog, name.Buffer());
    LogLine(pLog, "");

    KString text(sgNamespace_WARNING);
    for (const char* line : {sgNamespace_WARNING_1, sgNamespace_WARNING_2, sgNamespace_WARNING_3}) {
        text += "\\n";
        text += line;
    }
    text += "\\n\\n";
    const size_t shown = names.size() < size_t(sgDialogListLimit) ? names.size() : size_t(sgDialogListLimit);
    for (size_t i = names.size() - shown; i < names.size(); ++i) {
        text += "    ";
        text += names[i];
        text += "\\n";
    }
    if (names.size() > size_t(sgDialogListLimit))
        text += "   ...\\n";
    ShowWarningDialog(sgExportWarning, text);
}

void WarnForNamespacesInFirstChildren(QelLogFile* pLog, QelVeskSdkManager&, QelVeskNode* pRoot)
{
    if (!pRoot)
        return;
    // Whether any non-empty namespace repeats, found in one pass.
    std::unordered_set<std::string> seen;
    bool shared = false;
    for (int i = 0, n = pRoot->GetChildCount(false); i < n && !shared; ++i) {
        const KString& space = static_cast<QelVeskNode*>(pRoot->GetChild(i))->mNameSpace;
        if (!space.IsEmpty())
            shared = !seen.insert(std::string(space.Buffer(), static_cast<size_t>(space.GetLen()))).second;
    }
    if (!shared)
        return;
    WarnInThreeLines(pLog, sgNamespaceAtRoots_WARNING, sgNamespaceAtRoots_WARNING_1, sgNamespaceAtRoots_WARNING_2);
}

// ---- Takes, pivots and arguments ----

void QelVeskExport::SetCurrentTakeOnNode(QelVeskNode& pNode, const char* pTakeName)
{
    const char* current = pNode.GetCurrentTakeNodeName();
    if (current && pTakeName && std::strcmp(current, pTakeName) == 0)
        return;
    if (pNode.SetCurrentTakeNode(pTakeName))
        return;
    pNode.CreateTakeNode(pTakeName);
    pNode.SetCurrentTakeNode(pTakeName);
}

void QelVeskExport::DisablePivotUse(QelVeskNode* pNode)
{
    ForEachNodeParentsFirst(pNode, [](KQelNode& pEach) {
        static_cast<QelVeskNode&>(pEach).SetPivotState(KQelNode::eSourcePivot, KQelNode::ePivotReference);
    });
}

MStatus QelVeskExport::parseArgs(const MArgList& pArgs, char* pBuffer, size_t pSize)
{
    for (unsigned int i = 0; i < pArgs.length(); ++i) {
        MStatus status;
        const MString argument = pArgs.asString(i, &status);
        if (!status || !(argument == "-f"))
            continue;
        const MString value = pArgs.asString(i + 1, &status);
        if (!status || !pBuffer || size_t(value.length()) >= pSize)
            return MStatus::kFailure;
        std::memcpy(pBuffer, value.asChar(), value.length());
        pBuffer[value.length()] = '\0';
        return MStatus::kSuccess;
    }
    return MStatus::kFailure;
}
