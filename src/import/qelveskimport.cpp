#include "import/qelveskimport.h"

#include <cstring>

#include <vesk/MAnimControl.h>
#include <vesk/MArgList.h>
#include <vesk/MGlobal.h>
#include <vesk/MStringArray.h>
#include <vesk/MTime.h>

#include "file/qellogfile.h"
#include "import/qelveskimport_impl.h"
#include "import/qelveskimportfunctions.h"
#include "io/kqelimporter.h"
#include "math/kqelmatrix.h"
#include "plugin/qelcharacterbridge.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelveskimageconverter.h"
#include "plugin/qelveskmergenodematcher.h"
#include "scene/kqelpivotreplace.h"
#include "scene/kqelscene.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

const char kLogFileName[] = "qelvesklog.txt";
// Import state that gates the host time range (cleared by an import without
// a take index).
const KQelImporter::EImportState kTimeRangeState = KQelImporter::eAnimation;

int ImportType()
{
    return static_cast<int>(QelVeskUserParams::Instance()->GetImportType());
}

}  // namespace

QelVeskImport::QelVeskImport()
    : mManager(QelVeskSdkManager::eImport),
      mImporter(nullptr),
      mRootNode(nullptr),
      mScene(nullptr),
      mNodeSet(20),
      mCurrentTime(0),
      mIsOldVersion(false),
      mLockedAttributeAnswer(1),
      mMaterials(16),
      mFailedBlendShapeNodes(16)
{
}

QelVeskImport::~QelVeskImport()
{
    mFailedBlendShapeNodes.Clear();
    ClearMaterials();
    mNodeSet.Clear();
}

MStatus QelVeskImport::OpenProject(const MString& pPath)
{
    const KString path(pPath.asChar());
    CloseProject();
    mImporter = mManager.CreateKQelImporter();
    if (!mImporter)
        return MStatus::kNotFound;
    if (mImporter->Initialize(path.Buffer()))
        return MStatus::kSuccess;
    // A file the importer opened and found damaged, or of a version it does
    // not read, is refused by the read, which says why. One it could not open
    // is not found, even when the system could (the SDK takes a backslash in
    // a name for a separator).
    switch (mImporter->GetLastErrorID()) {
    case KQelIO::eFileCorrupted:
    case KQelIO::eFileVersionNotSupportedYet:
    case KQelIO::eFileVersionNotSupportedAnymore:
        return MStatus::kSuccess;
    default:
        return MStatus::kNotFound;
    }
}

MStatus QelVeskImport::CloseProject()
{
    if (mImporter) {
        mManager.DestroyKQelImporter(mImporter);
        mImporter = nullptr;
    }
    if (mScene) {
        mManager.DestroyKQelScene(mScene, true);
        mScene = nullptr;
        mRootNode = nullptr;
        mNodeSet.Clear();
    }
    return MStatus::kSuccess;
}

void QelVeskImport::SetTakeName(const char* pName)
{
    mTakeName = pName ? pName : "";
}

void QelVeskImport::Log(const char* pLine)
{
    if (mLog)
        *mLog += pLine;
}

void QelVeskImport::Warn(const char* pTitle, const KString& pMessage)
{
    if (!Setting(QelVeskUserParams::kImportShowUI))
        return;
    QelVeskConfirmDialog dialog;
    dialog.Title(pTitle);
    dialog.Message(pMessage);
    dialog.Button(0, "Ok");
    dialog.Pop();
}

MStatus QelVeskImport::Import()
{
    if (!mImporter)
        return MStatus::kFailure;
    // A scene left by an earlier import, and its world matrix, must not
    // reach this one.
    if (mScene) {
        mManager.DestroyKQelScene(mScene, true);
        mScene = nullptr;
        mRootNode = nullptr;
    }
    mNodeSet.Clear();
    mWorldTransform.reset();

    KString header("File import: ");
    header += mImporter->GetFileName();
    mLog.reset(new QelLogFile(kLogFileName, header.Buffer(), true, true));

    // Embedded textures are restored through the host's image converters;
    // a later Import on this object finds them registered already.
    if (mManager.GetKQelImageConverterCount() == 0)
        QelVeskRegisterImageConverters(&mManager);

    mScene = mManager.CreateKQelScene();
    mRootNode = mScene ? Vesk(mScene->GetRootNode()) : nullptr;
    if (!mRootNode)
        return FailRead();
    QELCharacterPreLoad(mScene);
    // Nothing in the host changes before the file is read.
    if (!mImporter->Import(*mScene))
        return FailRead();

    BuildHost();

    mManager.DestroyKQelScene(mScene, true);
    mScene = nullptr;
    mRootNode = nullptr;
    mNodeSet.Clear();
    mLog.reset();
    return MStatus::kSuccess;
}

MStatus QelVeskImport::FailRead()
{
    const char* reason = mImporter->GetLastErrorString();
    if (!reason || !*reason)
        reason = "The file could not be read.";
    Log(reason);
    Warn("QEL import Error", KString(reason));
    if (mScene)
        mManager.DestroyKQelScene(mScene, true);
    mScene = nullptr;
    mRootNode = nullptr;
    mLog.reset();
    return MStatus::kFailure;
}

void QelVeskImport::BuildHost()
{
    QelVeskUserParams* settings = QelVeskUserParams::Instance();
    const int importType = ImportType();
    if (importType != QelVeskUserParams::eExclusiveMerge && importType != QelVeskUserParams::eMerge) {
        // No cached shader may outlive the scene that held it.
        ClearMaterials();
        MStringArray ignored;
        MGlobal::executeCommand("file -f -new", ignored, false, false);
    }

    mIsOldVersion = IsOldVersion(mRootNode, mImporter);
    mLockedAttributeAnswer = 1;
    Preprocess(mRootNode);
    mScene->SetCurrentTake(mTakeName.Buffer());
    QelVeskProgressMeter::Reset(Setting(QelVeskUserParams::kImportShowUI), "QELIMPORTWINDOW");
    CheckBadScale(*mRootNode);
    if (mIsOldVersion) {
        if (Setting(QelVeskUserParams::kImportNullsToPivot)) {
            ValidatePreAndPostJoints(mRootNode);
            ReplacePivotImport(mRootNode, KQelNode::eSourcePivot, mManager);
        } else {
            EnablePivotUse(mRootNode);
        }
    }
    mManager.ResolveNameClashing();
    if (Setting(QelVeskUserParams::kImportHardEdges))
        MergeMeshOnNormalPerPolyVertex(mRootNode);
    if (importType != QelVeskUserParams::eExclusiveMerge)
        QelVeskProgressMeter::Section("Importing geometry...");
    FillTarnVekNodeArray(mRootNode);

    QelVeskMergeNodeMatcher* matcher = mManager.CreateQelVeskMergeNodeMatcher();
    matcher->mPluginBase = this;
    matcher->Apply(mRootNode, MFn::kInvalid);
    mManager.DestroyQelVeskMergeNodeMatcher(matcher);

    PropagateWorldTransformToChildrenOf(mRootNode);
    mCurrentTime.SetSecondDouble(MAnimControl::currentTime().as(MTime::kSeconds));
    if (mIsOldVersion) {
        if (importType == QelVeskUserParams::eCreate)
            RemoveRotationPivot(mRootNode);
        else
            RemoveRotationPivotOnNotPresentNode(mRootNode);
        mRootNode->ConvertPivotAnimation(KQelNode::eSourcePivot, settings->GetResamplingRate(true), true);
    } else {
        SetVeskPivotsRecursive(mRootNode);
        mRootNode->ConvertPivotAnimationRecursive(KQelNode::eDestinationPivot, settings->GetResamplingRate(false),
                                                   true);
    }
    if (Setting(QelVeskUserParams::kImportDeformNullsAsJoints))
        ReplaceNullsUsedAsLinks(mRootNode, &mManager);

    ImportGeometry();

    if (importType != QelVeskUserParams::eExclusiveMerge)
        QelVeskProgressMeter::Section("Importing materials...");
    for (int i = 0, n = mRootNode->GetChildCount(); i < n; ++i)
        BuildMaterialInformation(Vesk(mRootNode->GetChild(i)));
    QelVeskProgressMeter::Section("Importing animations...");
    for (int i = 0, n = mRootNode->GetChildCount(); i < n; ++i)
        ImportAnimation(*Vesk(mRootNode->GetChild(i)));

    if (mImporter->GetState(kTimeRangeState))
        SetTimeRange();
    ImportBindPosesAndDeformations();
    QELCharacterPostLoad(mScene);
    DisplayBlendShapeImportWarningDialog();
    mFailedBlendShapeNodes.Clear();
}

void QelVeskImport::SetTimeRange()
{
    KTime start(KTime::kInfiniteTicks);
    KTime stop(0);
    mRootNode->GetAnimationInterval(start, stop);
    const auto seconds = [](const KTime& pTime) { return MTime(pTime.GetSecondDouble(), MTime::kSeconds); };
    if (start < stop) {
        MAnimControl::setMinTime(seconds(start));
        MAnimControl::setMaxTime(seconds(stop));
        MAnimControl::setCurrentTime(seconds(start));
    } else {
        MAnimControl::setMinTime(MTime(0.0, MTime::kSeconds));
        MAnimControl::setMaxTime(MTime(1.0 / 24.0, MTime::kSeconds));
        MAnimControl::setCurrentTime(MTime(0.0, MTime::kSeconds));
    }
}

void QelVeskImport::DisplayBlendShapeImportWarningDialog()
{
    const int count = mFailedBlendShapeNodes.GetCount();
    if (count == 0)
        return;
    static const char kHeading[] = "Import of blendshape animation failed for the following nodes:";
    static const char kClosing[][64] = {"Make sure the animation function curves exist on these nodes.",
                                        " (Make sure each blendshape have at least a key)"};
    KString text(kHeading);
    text += "\\n\\n";
    Log(kHeading);
    std::vector<KString> names;
    for (int i = 0; i < count; ++i)
        names.push_back(ShortName(*mFailedBlendShapeNodes[i]));
    AppendNameRows(text, names);
    text += "\\n";
    for (const char* line : kClosing) {
        text += line;
        text += "\\n";
        Log(line);
    }
    if (Setting(QelVeskUserParams::kImportShowUI)) {
        QelVeskConfirmDialog dialog;
        dialog.Title("QEL import error");
        dialog.Message(text);
        dialog.Button(0, "Ok");
        dialog.Pop();
    }
}

MStatus QelVeskImport::parseArgs(const MArgList& pArgs, char* pBuffer, unsigned int pSize)
{
    MStatus status;
    for (unsigned int i = 0, n = pArgs.length(); i < n; ++i) {
        const MString arg = pArgs.asString(i, &status);
        if (!status || !(arg == "-f"))
            continue;
        const MString value = pArgs.asString(i + 1, &status);
        if (!status)
            return status;
        const size_t length = std::strlen(value.asChar());
        if (!pBuffer || length >= pSize) {
            if (pBuffer && pSize > 0)
                pBuffer[0] = '\0';
            return MStatus::kFailure;
        }
        std::memcpy(pBuffer, value.asChar(), length + 1);
        return status;
    }
    return status;
}
