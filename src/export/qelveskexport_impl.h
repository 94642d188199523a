// What the parts of the host scene export share: the message table, the
// settings they read, and the way warnings reach the log and the user.
// Only src/export includes it.
#ifndef QELVESK_EXPORT_QELVESKEXPORT_IMPL_H
#define QELVESK_EXPORT_QELVESKEXPORT_IMPL_H

#include <vector>

#include "base/kstring.h"
#include "base/ktime.h"
#include "scene/kqelnode.h"

namespace qelsdk_600 {
class QelLogFile;
}

// ---- The message table ----
//
// Every text the export logs or shows. In dialog texts "\\n" is the two
// characters backslash and n, which the host turns into a line break; log
// lines never hold it.

inline constexpr char sgOK[] = "Ok";
inline constexpr char sgYes[] = "Yes";
inline constexpr char sgNo[] = "No";
inline constexpr char sgFileExport[] = "File Export : ";
inline constexpr char sgFileExportFailed[] = "File Export Failed.";
inline constexpr char sgExportError[] = "QEL Export Error";
inline constexpr char sgExportWarning[] = "QEL Export Warning";
inline constexpr char sgExportQuestion[] = "QEL Export Question";
inline constexpr char sgUnableExport_SHARE_NAME[] =
    "Unable to export QEL project because these models share same name : ";
inline constexpr char sgConflictInBindPose[] =
    "Unable to export bind poses because of conflicting data on these elements : ";
inline constexpr char sgCannotRetrieveBindPose[] = "Could not retrieve bind pose for object : ";
inline constexpr char sgBindPoseQuestionUseCurrentTRS[] =
    "\\n\\nUse the current transform instead?\\n\\n(If you answer No, no bind poses in the hierarchy containing "
    "the object will be exported)";
inline constexpr char sgBindPoseExportUseCurrentTRS[] = "Used the DAG node current transform.";
inline constexpr char sgBindPoseExportAborted[] = "User aborted the export of bind poses.";
inline constexpr char sgBindPoseNoExport[] = "No bind poses in the hierarchy containing the object will be exported.";
inline constexpr char sgWrapDeformer_A[] = "A Wrap deformer has been detected on the following object: ";
inline constexpr char sgWrapDeformer_B[] = "The object will be exported without the deforming influences.";
inline constexpr char sgMoreThanOneTarget_A[] = "The BaseObject : ";
inline constexpr char sgMoreThanOneTarget_B[] = " has multiple targets affected by weight : ";
inline constexpr char sgMoreThanOneTarget_C[] = "The plugin will only use the first target.";
inline constexpr char sgNoTarget_MISSING_QELNODE[] = "The TargetObject : ";
inline constexpr char sgNoTarget_MISSING_SLIDER[] = "The TargetObject for weight slider : ";
inline constexpr char sgNoTarget_REASON[] = " is not available in the scene.";
inline constexpr char sgNoTarget_REASON_DETAIL[] =
    "(most likely the target object has been deleted without deleting the controlling slider).";
inline constexpr char sgNoTarget_IGNORING_TARGET[] = "Ignoring this target.";
inline constexpr char sgInvalidTarget_A[] = "The TargetObject : ";
inline constexpr char sgInvalidTarget_REASON[] =
    " number of vertices does not match the baseObject number of vertices.";
inline constexpr char sgInvalidTarget_IGNORING_TARGET[] = "Ignoring this target.";
inline constexpr char sgPoppedOnce_UI_NOTE[] =
    "NOTE: This dialog will not popup anymore for subsequent identical errors\\n(the other messages can be found "
    "in the log file)";
inline constexpr char sgPoppedOnce_UI_NOTE_BASE[] =
    "NOTE: This dialog will not popup anymore for subsequent identical errors on the same baseObject.\\n(the "
    "other messages can be found in the log file)";
inline constexpr char sgNamespace_WARNING[] = "ANIMORA does not handle namespaces in materials/textures.";
inline constexpr char sgNamespace_WARNING_1[] =
    "The scene will be exported anyway. However it is recommended to remove";
inline constexpr char sgNamespace_WARNING_2[] =
    "the namespaces from the materials/textures before exporting to insure";
inline constexpr char sgNamespace_WARNING_3[] =
    "compatibility during import/export/mergeback. The faulty items are: ";
inline constexpr char sgNamespaceAtRoots_WARNING[] = "ANIMORA does not handle shared namespaces in root nodes.";
inline constexpr char sgNamespaceAtRoots_WARNING_1[] =
    "The scene will be exported anyway. However it is recommended to correct";
inline constexpr char sgNamespaceAtRoots_WARNING_2[] =
    "them otherwise the compatibility may be broken during mergeback.";
inline constexpr char sgPolySmoothFacet_WARNING[] =
    "The plugin has detected a polygonSmoothFacet operator and a skinCluster.";
inline constexpr char sgPolySmoothFacet_WARNING_1[] =
    "This combination of operators is not supported by the plugin. The 'divisions' ";
inline constexpr char sgPolySmoothFacet_WARNING_2[] = "attribute is reset to 0 while exporting.";
inline constexpr char sgProcessingStatusXofY_AofB[] = "%d of %d. Processing %d of %d";
inline constexpr char sgProcessingStatusXofY[] = "processing %d of %d";
inline constexpr char sgDuplicateVertexInMesh[] = "Vertices %d and %d of mesh %s have the same 3D coordinate.";
inline constexpr char sgDuplicateVertexInMesh2[] =
    "The import [Add to new scene] process will most likely produce erroneous results.";
inline constexpr char sgExportingGeometry[] = "Exporting geometry...";
inline constexpr char sgExportingHierarchy[] = "Exporting hierarchy...";
inline constexpr char sgExportingAnimations[] = "Exporting animations...";
inline constexpr char sgExportingClusters[] = "Exporting clusters...";
inline constexpr char sgExportingSkinClusters[] = "Exporting skin clusters...";
inline constexpr char sgExportingShapes[] = "Exporting shapes...";
inline constexpr char sgWritingOutputFile[] = "Writing output file...";
inline constexpr char sgConstructionHistoryError[] =
    "Mismatched number of vertices between the original and the final mesh of the node:  ";
inline constexpr char sgConstructionHistoryError2[] =
    "This problem is most likely caused by unsupported operators in the construction hystory.";

// ---- Fixed names ----

inline constexpr char sgLogFileName[] = "qelvesklog.txt";
inline constexpr char sgAnimationTake[] = "Take 001";
// Radians to degrees, as the host's angles are converted everywhere.
inline constexpr double sgRadiansToDegrees = 57.29577951308232;
// Lists in dialogs stop at this many entries, then end with "   ...\n".
inline constexpr int sgDialogListLimit = 40;

namespace export_detail {

// The setting at that index of the plug-in's settings.
bool BoolSetting(unsigned int pIndex);
// True when dialogs are to be shown (kExportShowUI).
bool ShowUI();
// Appends one line; a null log takes nothing.
void LogLine(qelsdk_600::QelLogFile* pLog, const char* pText);
// "title: first" as one log line.
void LogTitledLine(qelsdk_600::QelLogFile* pLog, const char* pTitle, const char* pFirst);
// The export sampling period, 1 / kExportSamplingRate seconds; 1/30 s when
// the rate is not finite, not above 0, or its period is under one tick or
// beyond KTime's range.
qelsdk_600::KTime SamplingPeriod();
// With kExportShowUI, a confirm dialog with the title, the text and one
// "Ok" button; the dialog quotes the text itself.
void ShowWarningDialog(const char* pTitle, const qelsdk_600::KString& pText);
// A warning of three lines: "QEL Export Warning: " and pFirst, pSecond,
// pThird and an empty line in the log; the three as one dialog text.
void WarnInThreeLines(qelsdk_600::QelLogFile* pLog, const char* pFirst, const char* pSecond, const char* pThird);

// Calls pVisit on pRoot and every node below it, parents first, children in
// order, without recursion (skeletons make deep trees).
template <class Visit>
void ForEachNodeParentsFirst(qelsdk_600::KQelNode* pRoot, Visit pVisit)
{
    std::vector<qelsdk_600::KQelNode*> pending;
    if (pRoot)
        pending.push_back(pRoot);
    while (!pending.empty()) {
        qelsdk_600::KQelNode* node = pending.back();
        pending.pop_back();
        pVisit(*node);
        for (int i = node->GetChildCount(false); i-- > 0;)
            pending.push_back(node->GetChild(i));
    }
}

}  // namespace export_detail

#endif
