// The host scene import: reads a QEL file into an SDK scene, prepares the
// scene for the host and builds host nodes from it in passes.
#ifndef QELVESK_IMPORT_QELVESKIMPORT_H
#define QELVESK_IMPORT_QELVESKIMPORT_H

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include <vesk/MObject.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>

#include "base/karraytemplate.h"
#include "base/kcharptrset.h"
#include "base/kstring.h"
#include "base/ktime.h"
#include "io/kqelpluginbase.h"
#include "plugin/qelvesksdkmanager.h"

class MArgList;
class MFnTransform;
class QelVeskNode;
namespace qelsdk_600 {
class KFCurve;
class KQelImporter;
class KQelNode;
class KQelScene;
class KQelXMatrix;
class QelLogFile;
}

// One object carries the import of one file: OpenProject, the take queries
// on GetImporter(), SetTakeName when a take was chosen, Import (which may run
// again), destruction. It owns its SDK manager and everything the manager
// makes (importer, scene, nodes); every node of that manager is a
// QelVeskNode. The passes are member operations sharing the members below;
// they keep no state of their own between calls and report success whatever
// happens to single host calls (a failed step is printed or logged and the
// pass goes on). Settings are read from QelVeskUserParams::Instance() when a
// step needs them. Host command thread only.
class QelVeskImport : public qelsdk_600::KQelPluginImportBase {
public:
    // One host material made by this object: the material's name without its
    // kind prefix and the host shading node.
    struct MaterialRecord {
        qelsdk_600::KString mName;
        MObject mShader;
    };

    // Manager in import mode; no importer, scene, log or world matrix; empty
    // take name, node set and lists; current time 0.
    QelVeskImport();
    // Frees the lists' records, then the manager with everything it holds
    // (an importer left open closes its file there).
    ~QelVeskImport() override;
    QelVeskImport(const QelVeskImport&) = delete;
    QelVeskImport& operator=(const QelVeskImport&) = delete;

    // ---- Project and driver ----

    // Closes any project, makes an importer through the manager and
    // initializes it with the file (a native QEL file opens at once).
    // Success, or MStatus::kNotFound when the file cannot be opened for
    // reading at all; a damaged file is refused by Import, which reports why.
    // The importer is kept either way.
    MStatus OpenProject(const MString& pPath);
    // Destroys the importer and the scene when present; always success.
    MStatus CloseProject();
    // The take to import (copied; null: empty). An empty name leaves every
    // node on its default take.
    void SetTakeName(const char* pName);
    const qelsdk_600::KString& GetTakeName() const { return mTakeName; }
    // The SDK importer of the opened file; null before OpenProject.
    qelsdk_600::KQelImporter* GetImporter() const { return mImporter; }

    // Reads the opened file into a new SDK scene and, once it was read,
    // builds the host scene from it (import type 2 starts a new host scene
    // first). Failure when no project is open or the file is not read: the
    // reason goes to the log ("qelvesklog.txt" in the master directory) and,
    // with kImportShowUI, to a "QEL import Error" dialog, and the host is left
    // exactly as it was. Success whenever the file was read. The scene is
    // destroyed before it returns; the project stays open.
    MStatus Import();
    // Lists mFailedBlendShapeNodes in the log and, with kImportShowUI, in a
    // "QEL import error" dialog; nothing for an empty list.
    void DisplayBlendShapeImportWarningDialog();
    // Finds "-f" and copies the argument after it into pBuffer (pSize bytes,
    // terminator included); the status of the last argument read. An
    // argument that does not fit fails and leaves pBuffer empty ("" when
    // pSize is at least 1). Without "-f" pBuffer is untouched.
    MStatus parseArgs(const MArgList& pArgs, char* pBuffer, unsigned int pSize);

    // ---- World transform of the imported tree ----

    // True when the node's name without kind prefix holds "BVH:reference",
    // "HTR:reference", "ASF:reference" or "AMC:reference" (tested in that
    // order); the first occurrence of the marker found is then replaced by
    // "Qel_Root" in both of the node's names. False for null.
    bool IsAlternativeQelRootNode(qelsdk_600::KQelNode* pNode) override;
    // The base's answer, and false for a node the merge matcher bound.
    bool NeedQelRoot(qelsdk_600::KQelNode* pNode) override;
    // Uniform scale by kImportMasterScale (a value that is not finite, or 0,
    // counts as 1 with a log line), then, when the host's up axis is "z", a
    // turn of 90 degrees about X. A failed or empty up-axis query counts as Y
    // up. Writes the 3x4 part of pWorld.
    void ComputeWorldTransform(qelsdk_600::KgeAMatrix& pWorld) override;
    // The base's operation; a world matrix that is not the identity is then
    // kept (a copy, replacing and freeing any earlier one).
    void CustomApplyWorldTransform(qelsdk_600::KQelNode* pNode, qelsdk_600::KgeAMatrix& pWorld,
                                   bool pIsIdentity) override;
    // With a kept world matrix: the children of pNode that NeedQelRoot, in
    // order, move under one new "Qel_Root" node carrying the matrix's
    // translation, rotation and scaling, appended as pNode's last child; the
    // current-take animation of children that are QEL root nodes is
    // converted by the matrix (resampled at kImportSamplingRate). Without
    // one, nothing.
    void PropagateWorldTransformToChildrenOf(qelsdk_600::KQelNode* pNode);
    // The kept world matrix, null when it was the identity.
    const qelsdk_600::KQelXMatrix* GetWorldTransform() const { return mWorldTransform.get(); }

    // ---- Preparation of the SDK scene (nodes visited parents first) ----

    // Logs one sentence per node (sorted by name) whose scaling in the
    // current take is non-uniform and that has a child of inheritance type
    // RrSs; with kImportShowUI they are shown together in a "QEL import
    // Error" dialog. Always success.
    MStatus CheckBadScale(QelVeskNode& pRoot);
    // Merges the equal control points of every mesh of the subtree in which
    // no control point serves two polygon vertices.
    void MergeMeshOnNormalPerPolyVertex(qelsdk_600::KQelNode* pNode);
    // Pivot state "in use" on both pivot sets of every node of the subtree.
    void EnablePivotUse(QelVeskNode* pNode);
    // Source rotation pivot and rotation offset (0, 0, 0, 1) on every node of
    // the subtree; the second form leaves merged nodes as they are.
    void RemoveRotationPivot(qelsdk_600::KQelNode* pNode);
    void RemoveRotationPivotOnNotPresentNode(QelVeskNode* pNode);
    // Warns, once per qualifying take, about rotation keys of "__Pre_" nodes
    // that are not constant and about any transform key of "__Post_" nodes.
    // Changes nothing.
    void ValidatePreAndPostJoints(qelsdk_600::KQelNode* pNode);
    // Fills the destination pivot set of every node of the subtree from its
    // source set for the host's transform model: pre- and post-rotation and
    // rotation order kept only with rotation limits, a camera's or light's
    // post-rotation turned by its aim offset when it has no target, rotation
    // limits dropped (with a warning) where the model cannot keep them.
    void SetVeskPivotsRecursive(qelsdk_600::KQelNode* pNode);

    // ---- Geometry pass ----

    // Fills mNodeSet (emptied first) with every node below pNode, less the
    // cameras of reserved names directly below it (detached and destroyed
    // with their subtrees first) and the look-at targets of cameras.
    void FillTarnVekNodeArray(qelsdk_600::KQelNode* pNode);
    // Adds pNode and its subtree to mNodeSet (name with kind prefix, node).
    void AddTarnVekNodeArray(qelsdk_600::KQelNode* pNode);
    // Unless the import type is 0, makes the host object of every node of
    // mNodeSet in the set's order; then makes the root namespace current.
    // Always success.
    MStatus ImportGeometry();
    // Makes the host objects of pNode and of its unbound ancestors (parents
    // first), each in its host namespace; bound nodes and excluded QEL roots
    // get nothing. Always success.
    MStatus ImportGeometry(QelVeskNode* pNode);
    // A transform with a locator shape named after the node, under the host
    // object of its parent (the world when that is unbound), bound to the
    // node. Nothing for the node named "RootNode". The locator, or a null
    // object.
    MObject CreateNullGeometry(QelVeskNode* pNode);
    // A joint named after the node, placed and bound as above.
    void CreateJointGeometry(QelVeskNode* pNode);
    // The host object of a skeleton node and its node id: root 2 (a joint
    // when a child is a limb or limb node, else a null), limb 4, limb node 5,
    // effector 3; another type a joint without id. pSkeletonType -1 takes the
    // type of the node's skeleton attribute.
    void CreateSkeletonGeometry(QelVeskNode& pNode, int pSkeletonType);

    // ---- Animation pass ----

    // For pNode and every node below it (parents first) bound to a valid
    // host path: its attribute's animation, its transform, visibility and
    // user properties. Always success.
    MStatus ImportAnimation(QelVeskNode& pNode);
    // The transform of a node bound to a valid transform path, then (other
    // than for old-version files) its pivots, limits and rotation order.
    void ImportTransformAnimation(QelVeskNode& pNode);
    // The node's transform values, set on pTransform (which need not be the
    // node's own).
    void ImportTransformAnimation(MFnTransform& pTransform, QelVeskNode& pNode);
    // Sets pTransform's translation, rotation (with the host order of the
    // destination set's order; none for spheric XYZ) and scale from the
    // node's current take (its default take when it has no current one) at
    // mCurrentTime, and stores on the node its global translation, rotation
    // (degrees, X then Y then Z) and scaling, composed with its parent's
    // stored ones. A missing curve counts as 0 (1 for scale); an axis of
    // length 0 leaves the rotation rows undivided.
    void SetDefaultGeometry(QelVeskNode& pNode, MFnTransform& pTransform);
    // pValues[k] = pCurves[k] evaluated at mCurrentTime, k = 0, 1, 2; a null
    // curve leaves its value.
    void SetTransformVector(double* pValues, qelsdk_600::KFCurve** pCurves) const;

    // ---- Passes declared here and built with the rest of the import ----
    //
    // Each of these does nothing yet (qelveskimport_pending.cpp); the driver
    // and the passes above already call them where they belong.

    // Meshes, NURBS surfaces, materials and user-property attributes.
    void CreateMeshGeometry(QelVeskNode* pNode);
    void CreateNurbGeometry(QelVeskNode* pNode);
    void AddUserProperties(MFnTransform& pTransform, QelVeskNode* pNode);
    void BuildMaterialInformation(QelVeskNode* pNode);
    // Lights, cameras, curves onto host attributes.
    void CreateLightGeometry(QelVeskNode& pNode);
    void CreateCameraGeometry(QelVeskNode& pNode);
    MStatus ImportAnimationCamera(QelVeskNode& pNode);
    MStatus ImportShapeAnimation(QelVeskNode& pNode);
    MStatus ImportAnimationLight(QelVeskNode& pNode);
    MStatus ImportAnimationVisibility(QelVeskNode& pNode);
    MStatus ImportUserProperties(QelVeskNode& pNode);
    MStatus ImportPivots(MFnTransform& pTransform, QelVeskNode& pNode);
    MStatus ImportLimits(MFnTransform& pTransform, QelVeskNode& pNode);
    MStatus ImportRotationOrder(MFnTransform& pTransform, QelVeskNode& pNode);
    // Bind poses around the deformations: the stage puts the nodes of every
    // bind pose into their pose, builds the deformations of each child of the
    // root and puts the nodes back.
    void ImportBindPosesAndDeformations();
    void BuildClusterInformation(QelVeskNode* pNode);

    // ---- State, for the passes' callers and tests ----

    QelVeskSdkManager& GetManager() { return mManager; }
    // Node name with kind prefix to QelVeskNode*.
    const qelsdk_600::KCharPtrSet& GetNodeSet() const { return mNodeSet; }
    bool GetIsOldVersion() const { return mIsOldVersion; }
    // Filled by the shape animation, listed by the warning.
    qelsdk_600::KArrayTemplate<QelVeskNode*>& GetFailedBlendShapeNodes() { return mFailedBlendShapeNodes; }

private:
    // One line in the log of the import in progress; nothing between imports.
    void Log(const char* pLine);
    // With kImportShowUI, a one-button ("Ok") dialog; the message is given raw.
    static void Warn(const char* pTitle, const qelsdk_600::KString& pMessage);
    // The read failed: log line, dialog, scene and log ended.
    MStatus FailRead();
    // Steps 7 to 28 of an import of a file that was read.
    void BuildHost();
    // The host time range and current time from the take's keys.
    void SetTimeRange();
    // Steps 3 to 5 of ImportGeometry(node) for one node; pAddable holds the
    // namespaces the pass may add (null: the node's own flag decides).
    void ImportGeometryOf(QelVeskNode& pNode, const std::unordered_set<std::string>* pAddable);
    void ImportGeometryWithAncestors(QelVeskNode* pNode, std::unordered_set<qelsdk_600::KQelNode*>& pDone,
                                     const std::unordered_set<std::string>* pAddable);
    void SetNamespace(QelVeskNode& pNode, const std::unordered_set<std::string>* pAddable);
    // Adds pNode and its subtree to mNodeSet, less the nodes of pLeaveOut.
    void AddNodes(qelsdk_600::KQelNode* pNode, const std::unordered_set<qelsdk_600::KQelNode*>* pLeaveOut);
    // One of the preparation's warnings about a node (log lines, and the
    // dialog with kImportShowUI).
    void WarnAboutNode(int pWarning, const qelsdk_600::KString& pName);

    QelVeskSdkManager mManager;
    qelsdk_600::KQelImporter* mImporter;
    QelVeskNode* mRootNode;
    qelsdk_600::KQelScene* mScene;
    // Scene nodes by name with kind prefix (case-insensitive, sorted on use).
    qelsdk_600::KCharPtrSet mNodeSet;
    std::unique_ptr<qelsdk_600::KQelXMatrix> mWorldTransform;
    std::unique_ptr<qelsdk_600::QelLogFile> mLog;
    qelsdk_600::KString mTakeName;
    // The host's current time when the import began building; static values
    // are read from the curves at it.
    qelsdk_600::KTime mCurrentTime;
    bool mIsOldVersion;
    // Standing answer about locked host attributes: 0 unlock all, 1 ask, 2
    // keep all locked; 1 at the start of every import.
    std::int32_t mLockedAttributeAnswer;
    // Owned records; kept from one import to the next.
    qelsdk_600::KArrayTemplate<MaterialRecord*> mMaterials;
    // Emptied at the end of every import.
    qelsdk_600::KArrayTemplate<QelVeskNode*> mFailedBlendShapeNodes;
};

#endif
