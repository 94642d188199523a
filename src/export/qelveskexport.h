// The host scene export: walks the host scene into an SDK scene and writes
// it as a binary QEL file of the current layout.
#ifndef QELVESK_EXPORT_QELVESKEXPORT_H
#define QELVESK_EXPORT_QELVESKEXPORT_H

#include <memory>

#include <vesk/MDagPath.h>
#include <vesk/MEulerRotation.h>
#include <vesk/MFn.h>
#include <vesk/MItDag.h>
#include <vesk/MObject.h>
#include <vesk/MObjectArray.h>
#include <vesk/MPlug.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>

#include "base/karraytemplate.h"
#include "base/kcharptrset.h"
#include "base/kset.h"
#include "base/kstring.h"
#include "io/kqelpluginbase.h"
#include "plugin/qelvesksdkmanager.h"
#include "scene/kqelnode.h"

class KLayerMapping;
class MArgList;
class MFnAnimCurve;
class MFnDagNode;
class MFnMesh;
class MFnTransform;
class MSelectionList;
class QelVeskNode;

namespace export_detail {
class DagPathIndex;
class NodeList;
}  // namespace export_detail

namespace qelsdk_600 {
class KFCurve;
class KFCurveNode;
class KQelGeometry;
class KQelMatrix;
class KQelMesh;
class KQelPose;
class KQelScene;
class KQelSdkManager;
class KQelTakeNode;
class QelLogFile;
}  // namespace qelsdk_600

// The host objects of one camera group: the top-level DAG component that
// holds a camera or a look-at node (its key is the path's full name up to
// its second '|'). Made by the first camera or look-at builder of the group;
// the exporter owns it.
struct KVeskExportCameraInfo {
    // The group's look-at node, when the look-at builder opened the group.
    MObject mLookAt;
    // The camera shape, and its node, of the last camera built in the group.
    MObject mCamera;
    // Kept null.
    MObject mSpare[2];
    QelVeskNode* mCameraNode = nullptr;
};

// A shape visibility FindObject changed, to be put back: the plug and its
// former value, when mChanged.
struct QelVeskVisibilityChange {
    MPlug mPlug;
    bool mValue = true;
    bool mChanged = false;
};

// One exporter per export: the command makes it, calls Export once and
// destroys it. It owns its manager, and through it the scene and every
// object made for the file; nothing of an export outlives it but the file
// and the log "qelvesklog.txt".
class QelVeskExport : public qelsdk_600::KQelPluginBase {
public:
    // The manager in export mode, its scene and that scene's root node.
    QelVeskExport();
    // Ends the look-at records, then the manager with every object it made.
    ~QelVeskExport() override;

    // ---- Driver (qelveskexport.cpp) ----

    // Builds the SDK scene from the host scene (the whole DAG, or the active
    // selection with kExportSelectionOnly) and writes it to pPath. Failure,
    // with "File Export Failed." in the log and no file written, for
    // repeated node names and a failed write; every other problem is logged
    // (and shown with kExportShowUI) and the export goes on.
    MStatus Export(const char* pPath);
    // Writes the scene to pPath in the form mFileFormat asks for (binary QEL
    // of the current layout in the module), protected by mFilePassword when
    // it is set, media embedded by kExportEmbedTextures; failure when the
    // write fails (the reason stays with the SDK exporter).
    MStatus WriteQelFile(const char* pPath);
    // Failure when names repeat in the tree under pNode: the first 40
    // repeats go to the log and, with kExportShowUI, to one dialog.
    MStatus CheckDuplicateName(QelVeskNode* pNode);
    // Makes the take node pTakeName current on the node, copying it from
    // the default take first when the node has none of that name.
    void SetCurrentTakeOnNode(QelVeskNode& pNode, const char* pTakeName);
    // Marks pivot set 0 not in use on the node and every node below it.
    // Nothing on the export road calls it.
    void DisablePivotUse(QelVeskNode* pNode);
    // Copies the argument that follows "-f" into pBuffer (pSize bytes).
    // Failure, pBuffer untouched, when there is no "-f" with an argument or
    // the argument does not fit with its terminator. Nothing on the export
    // road calls it.
    MStatus parseArgs(const MArgList& pArgs, char* pBuffer, size_t pSize);

    // ---- DAG walk (qelveskexport_walk.cpp) ----

    // Makes one node for each exportable host DAG path (the selected ones
    // only during a selection-only export) and registers it in mNodeByPath.
    // Failure only when the DAG iterator cannot be made.
    MStatus BuildGeometry(MItDag::TraversalType pTraversal, MFn::Type pFilter);
    // True for a path that has the transform type.
    bool IsExportable(MDagPath& pPath, MFnDagNode& pNode);
    // A node with a null attribute and the host visibility, registered.
    QelVeskNode* BuildNullGeometry(MDagPath& pPath, MFnDagNode& pNode);
    // A node with a skeleton attribute and the host visibility, registered;
    // null when the path is no joint.
    QelVeskNode* BuildJointGeometry(MDagPath& pPath, MFnDagNode& pNode);

    // ---- Hierarchy (qelveskexport_hierarchy.cpp) ----

    // Links every registered node under the node of its host parent (parent
    // 0 of an instanced node), else under the root; children in host order.
    void BuildHierarchy(MItDag::TraversalType pTraversal, MFn::Type pFilter);
    // Attaches pNode, which stands for pDagNode's host node, as above.
    void SetTheParent(MFnDagNode& pDagNode, QelVeskNode& pNode);
    // Gives the node the skeleton attribute of its host node's skeleton mark
    // ("tarnvekTypeID"): 2 root, 3 effector, 4 limb, anything else a limb
    // node; all but a root get mJointDisplayScale as limb-node size.
    void WriteNodeJoint(QelVeskNode* pNode);

    // ---- Transforms (qelveskexport_transform.cpp) ----

    // Exports the transform, pivots, limits, rotation order, visibility
    // animation and user-property animation of the node and of every node
    // below it, parents first, children in order. The first subtree that
    // fails ends the walk and gives its status.
    MStatus ExportTransform(QelVeskNode& pNode);
    // Pivot set 0's rotation order from the host order; host orders outside
    // 1 to 6 leave it as it was. Nothing for a node without a DAG path.
    void ExportRotationOrder(QelVeskNode& pNode);
    // The host's current local translation, rotation (degrees) and scaling
    // as the default values of the take node's nine transform curves,
    // saturated to float range; no key.
    void ExportDefaultTransform(MFnTransform pTransform, qelsdk_600::KQelTakeNode& pTake);
    // Joint orient, rotate axis (inverted), rotate and scale pivots and
    // their translations into pivot set pSet, which is marked in use, and
    // the rotation limits switched on. Nothing without a DAG path.
    void ExportPivots(QelVeskNode& pNode, qelsdk_600::KQelNode::EPivotSet pSet);
    // The host's translation, rotation (degrees) and scaling limits into the
    // node's limits; a kind with a limited axis is switched on, never off.
    // Nothing without a DAG path.
    void ExportLimits(QelVeskNode& pNode);
    // False when the host says the node, or the transform above a shape,
    // is hidden; true when it cannot tell.
    bool GetNodeVisibility(MFnDagNode& pNode);
    // Converts the curve driving the host visibility into pCurve (fresh,
    // the caller's); true, and the node made visible, when it got keys.
    bool ExportAnimatedVisibility(QelVeskNode& pNode, qelsdk_600::KFCurve& pCurve);

    // ---- User properties (qelveskexport_userproperties.cpp) ----

    // The dynamic attributes of every host transform under pNode (each
    // child's subtree before its parent) as user properties of its node.
    void AddUserProperties(QelVeskNode* pNode);
    // The dynamic attributes of one transform: numeric ones as Bool,
    // Integer or Real with their soft limits, three-double and three-float
    // compounds as Color or Vector; the current values are the defaults.
    // Nothing for a node without attribute.
    void AddUserProperties(MFnTransform& pTransform, QelVeskNode* pNode);
    // Converts the host curves of the node's user properties into its
    // current take. Always success.
    MStatus ExportUserProperties(QelVeskNode& pNode, MFnTransform& pTransform);

    // ---- Meshes (qelveskexport_mesh.cpp) ----

    // A node carrying the mesh of the path's first shape (read in its bind
    // state through FindObject), registered; null, the host as it was, when
    // there is no shape or it is no mesh. A blend-shape envelope and what
    // FindObject changed on the host are put back before it returns.
    QelVeskNode* BuildMeshGeometry(MDagPath& pPath, MFnDagNode& pNode);
    // Fills the node from pMesh (the shape), pUndeformed (its bind-state
    // mesh) and pInputGeometry (the deformer input, or null): points,
    // polygons in host corner order, normals, colours, UV sets, materials
    // and textures. When the two meshes differ in vertices, polygons or a
    // polygon's corners, warns and marks the node mHistoryMismatch instead,
    // leaving it without attribute.
    void WriteNodeMesh(MFnMesh& pMesh, QelVeskNode* pNode, MObject& pUndeformed, MObject& pInputGeometry);
    // The face-vertex colours of pMesh as a "ByPolygonVertex" colour element
    // of pQelMesh, when one corner at least has a colour; false when the
    // polygon iterator cannot be made (the colours are then without
    // indices).
    bool SetVertexColors(qelsdk_600::KQelMesh* pQelMesh, MFnMesh& pMesh);

    // ---- NURBS surfaces (qelveskexport_nurbs.cpp) ----

    // A node carrying the NURBS surface of the path's first shape, the
    // host's U and V directions exchanged; registered before the surface is
    // read, and returned without attribute when a form is not exportable.
    // Null when there is no shape or it is no surface. The host is put back
    // as BuildMeshGeometry puts it back.
    QelVeskNode* ExportGeometryNurb(MDagPath& pPath, MFnDagNode& pNode);

    // ---- Materials (qelveskexport_materials.cpp) ----

    // The first shading group (a set restricted to renderable objects) that
    // holds the path whole; the null object when none.
    MObject FindShadingGroup(MDagPath* pPath);
    // The node connected into the group's "surfaceShader"; the null object
    // when none or several are.
    MObject FindShader(MObject& pShadingGroup);
    // The node connected into pNode's plug pPlugName; the null object when
    // none or several are.
    MObject FindPlug(MObject& pNode, const char* pPlugName);
    // Index of the last child of the path of host type pType; -1 when none.
    int GetLastChildOfThisType(MDagPath* pPath, unsigned int pType);
    // Index in layer 0's material element of pGeometry of the material
    // named after the shader (made from the shader's colours the first time
    // the export meets the name, shared afterwards); -1 when the geometry
    // refuses it.
    int DefineMaterial(const char* pName, MObject& pShader, qelsdk_600::KQelGeometry* pGeometry);
    // Gives a NURBS or patch node the material and textures of its shape's
    // shading group; nothing for meshes (WriteNodeMesh does theirs) and
    // nodes without geometry, group or shader.
    void SetNodeGeometryMaterial(QelVeskNode* pNode);

    // ---- Textures (qelveskexport_textures.cpp) ----

    // Records in pRecord the textures driving the shader's "color" (file
    // and layered textures) and makes them in the node's geometry; a
    // shader without texture records a use without texture in layer 0.
    // True when the last texture met was made.
    bool DefineTextures(MObject& pShader, QelVeskNode* pNode, KLayerMapping& pRecord);
    // The SDK texture of a host file texture in layer pLayer of the node's
    // geometry (found by name, else made and added) with its file name,
    // alpha and placement, recorded in pRecord; pConnection picks the
    // placement among the texture's "uv" inputs. False when the file name
    // cannot be read or no texture can be had.
    bool SetTexture(QelVeskNode* pNode, MObject& pTexture, KLayerMapping& pRecord, int pConnection, int pLayer,
                    float pAlpha, int pAlphaSource);
    // The inputs of a layered texture, the first in the highest layer, each
    // layer's element with the input's blend mode; a layered texture met
    // again within its own inputs is not entered. True when a texture below
    // it was made.
    bool SetLayeredTexture(QelVeskNode* pNode, MObject& pTexture, KLayerMapping& pRecord);
    // Writes the record's material index into layer 0's material element
    // and, with pTextures, its texture indices into the texture elements of
    // its layers: appended where the element maps "ByPolygon", else as the
    // single index. Nothing for a record without data.
    void FillLayerData(KLayerMapping* pRecord, qelsdk_600::KQelGeometry* pGeometry, bool pTextures);

    // ---- Hard edges (qelveskexport_hardedges.cpp) ----

    // Gives every corner of each mesh under pNode (itself included) whose
    // normals are by polygon vertex its own control point, the normals then
    // by control point; control points sharing a position are warned about
    // first, in the log and (kExportShowUI) in one dialog per mesh.
    void SplitMeshOnNormalPerPolyVertex(QelVeskNode* pNode);

    // ---- Animation curves (qelveskexport_animation.cpp) ----

    // Converts the host curve into pCurve (expected without keys): key by
    // key, or resampled at the export sampling rate when pResample is set
    // or a key has an in-tangent of type slow or fast. Values and slopes
    // are multiplied by pFactor; then, with kExportApplyCstKeyRed, the
    // constant key reducer thins the curve. A host curve without keys, or
    // one whose keys lie within one sampling period, leaves pCurve as it was.
    void SetFCurve(MFnAnimCurve& pHostCurve, qelsdk_600::KFCurve& pCurve, bool pResample, double pFactor);
    // The same for the curve driving the transform's plug pPlugName, into
    // the curve of pCurves' child pChild and its child pGrandChild. Nothing
    // when the plug is missing or no curve drives it.
    void SetFCurve(const MFnTransform& pTransform, const char* pPlugName, qelsdk_600::KFCurveNode& pCurves,
                   const char* pChild, const char* pGrandChild, bool pResample, double pFactor);
    // Translation, scaling and rotation (radians to degrees) of the
    // transform into the curve node's "T", "S" and "R" curves.
    void ConvertVeskCurve(const MFnTransform& pTransform, qelsdk_600::KFCurveNode& pCurves, bool pResample);
    // Samples the three rotate curves together at the export sampling rate
    // and writes Euler XYZ degrees into pCurves' children "X", "Y" and "Z";
    // pOrder is the host order of the rotate values. Nothing is written
    // when no rotate curve has keys or they span less than one period.
    void SetRotationFCurve(const MFnTransform& pTransform, qelsdk_600::KFCurveNode& pCurves,
                           MEulerRotation::RotationOrder pOrder);

    // ---- Lights (qelveskexport_lights.cpp) ----

    // A registered node for a host light: a KQelLight of the light's type
    // (point, infinite, spot; any other kind a hidden point light), a spot
    // light's file name the host node's name; lights of host type 0x129
    // get no attribute.
    QelVeskNode* BuildLightGeometry(MDagPath& pPath, MFnDagNode& pNode);
    // Colour, intensity (x 100) and cone angle (degrees) into the default
    // take, and their animation into "Take 001". True when a channel got
    // keys; false, the node untouched, for lights of host type 0x129.
    bool ExportLights(MDagPath& pPath, QelVeskNode& pNode);
    // The static colour, intensity, fog and (spot lights) cone angle as the
    // default take's values.
    void ExportLightAttributesDefaults(MDagPath& pPath, QelVeskNode& pNode);
    // The animated colour, intensity and cone angle into "Take 001", each
    // reduced with kExportApplyCstKeyRed; true when one kept keys.
    bool ExportLightAttributesCurves(QelVeskNode& pNode);

    // ---- Cameras and look-at targets (qelveskexport_cameras.cpp) ----

    // A registered node carrying a KQelCamera; the camera becomes its
    // group's camera (see KVeskExportCameraInfo).
    QelVeskNode* BuildCameraGeometry(MDagPath& pPath, MFnDagNode& pNode);
    // A registered node without attribute for the first look-at node of a
    // group, which it opens; null when the group has a record already.
    QelVeskNode* BuildLookAtGeometry(MDagPath& pPath, MFnDagNode& pNode);
    // A registered node without attribute. Nothing on the export road
    // calls it.
    QelVeskNode* BuildClusterGeometry(MDagPath& pPath, MFnDagNode& pNode);
    // The camera's settings, its channels' default values and their
    // animation ("Take 001"). True when the focal length or the look-at
    // twist gave keys; false, nothing touched, when the node's group has
    // no record or no camera.
    bool ExportCamera(QelVeskNode& pNode);
    // Clipping planes (the far one a whole number), lens, film (inches),
    // aperture mode by film fit, projection, up vector, focus distance, and
    // in a look-at group the target and up target among the siblings.
    void ExportCameraAttributesDefaults(QelVeskNode& pNode, KVeskExportCameraInfo* pRecord);
    // The default take's fields of view (degrees), optical centre and roll
    // (the look-at twist, negated, in degrees).
    void ExportCameraCurvesDefaults(QelVeskNode& pNode, KVeskExportCameraInfo* pRecord);
    // The animated focal length as fields of view and the animated twist as
    // roll into "Take 001", by aperture mode; true when a channel has keys.
    bool ExportCameraCurves(QelVeskNode& pNode, KVeskExportCameraInfo* pRecord);

    // ---- Orientation of lights and cameras, and global transforms
    // (qelveskexport_orientation.cpp) ----

    // The post-rotation of pivot set 0 of spot and directional lights and
    // cameras: the inverse of their rotate orientation turned by a quarter
    // turn (about X for lights, about Y for cameras). pCurves is not used.
    void AdjustTransform(QelVeskNode& pNode, MFnTransform& pTransform, qelsdk_600::KFCurveNode& pCurves);
    // The world translation, rotation (Euler XYZ degrees) and scaling of
    // every node under pNode with a DAG path, from the host's local
    // transformations; lights and cameras turned as AdjustTransform turns
    // them. Never NaN: a zero scale leaves the rotation of the other axes.
    void ExtractGlobalTransforms(QelVeskNode* pNode);

    // ---- Bind poses (qelveskexport_bindings.cpp) ----

    // The clusters (rigid binds and plain clusters) whose handle shapes sit
    // under the host paths of pNode and of every node below it, a node
    // before its children, the children from the last to the first; one
    // bind pose per node (kExportBindPose), kept when it has entries and no
    // conflict.
    void ExportRigidBinding(QelVeskNode* pNode);
    // Every skin cluster of the host, in host order; one bind pose each
    // (kExportBindPose), kept as above. Nothing, not even a log line,
    // without skin clusters.
    void ExportSmoothBinding();
    // pMatrix (the caller's identity) becomes the link's bind matrix: the
    // host's bind pose, else, once the fallback question is answered yes or
    // was asked before, the node's current global matrix; left as passed
    // otherwise. With a pose not dropped, the entries of the link and of
    // its ancestors below the root go into it (without their "__Post_"
    // rotations), conflicts into mBindPoseConflictNodes; pAdded (when
    // given) collects the nodes added to, or found in, the pose.
    void GetLinkBindMatrix(QelVeskNode* pLink, qelsdk_600::KQelMatrix& pMatrix, qelsdk_600::KQelPose* pPose,
                           export_detail::NodeList* pAdded);
    // Asks (kExportShowUI) whether the current transform may stand in for
    // the missing bind pose of the node at pPath, and logs the case. The
    // caller sets pDrop; a "yes", or any answer but the second button,
    // clears it; without dialogs it stays.
    void PromptForFallbackMatrix(MDagPath* pPath, bool& pDrop, qelsdk_600::QelLogFile* pLog);

    // ---- Smooth skins (qelveskexport_smoothskin.cpp) ----

    // Links of one skin cluster: per deformed geometry (the last first)
    // whose node carries a mesh or NURBS surface built from it, one link
    // per influence with a node, its weights above 0.001, the geometry's
    // "geomMatrix" and the influence's bind matrix; the geometries' and
    // influences' entries into pPose (null without kExportBindPose).
    // pNumber (from 1) and pCount only number the progress texts.
    void ExportSmoothBinding(MObject& pSkinCluster, int pNumber, int pCount, qelsdk_600::KQelPose* pPose);

    // ---- Rigid skins and clusters (qelveskexport_rigidskin.cpp) ----

    // Links of one cluster or joint cluster to pNode (whose host path is
    // pPath): one "Additive" link per member geometry with a node, holding
    // its member points and weights, hinted "RigidBind",
    // "WeightedCluster" or "WeightedRelativeCluster"; below a parent other
    // than the root, an associate model and, for a cluster that is not
    // relative, a "CompensationCluster" link. Members whose output or
    // "geomMatrix" cannot be matched are skipped.
    void ExportRigidBinding(MDagPath* pPath, QelVeskNode* pNode, MObject& pDeformer, qelsdk_600::KQelPose* pPose);

    // ---- Blend shapes (qelveskexport_blendshapes.cpp) ----

    // The blend shapes of pNode and of every node below it, a node before
    // its children, the children from the last to the first.
    void ExportShape(QelVeskNode* pNode);
    // The shapes of the first blend shape upstream of the node's shape,
    // for the base that is this node's: per weight one shape from its
    // first target (points and, on meshes, normals; the weight x 100 as
    // the default value and its animation in "Take 001"). Targets missing,
    // several or of another point count are warned about (a dialog once
    // per kind and base). Target nodes are recorded for removal.
    void SetShapeOnModels(MDagPath* pPath, QelVeskNode* pNode);
    // The node of the tree under pStart that stands for pPath (its own path
    // or one of its path's children), a node before its children, the
    // children from the last to the first; null when none.
    QelVeskNode* GetNodeWithThisChildren(QelVeskNode* pStart, MDagPath* pPath);
    // The same, comparing partial path names (exact) with pName. Nothing on
    // the export road calls it.
    QelVeskNode* GetNodeWithThisChildren(QelVeskNode* pStart, const char* pName);
    // Destroys the target nodes recorded, each with its subtree, once. A
    // target whose subtree holds a node that something outside it refers
    // to (a link's node or associate model, a look-at or up target) or a
    // geometry that received shapes stays in the scene. The list ends
    // empty.
    void RemoveTargetShapeGeometry();

protected:
    // Runs the host query of the joint display scale; a seam for tests.
    virtual bool QueryJointDisplayScale(double& pScale);
    // Hands a progress text of the binding and shape passes to the
    // progress meter; a seam for tests.
    virtual void ReportProgress(const char* pText);
    // Makes the host's shader "Default_Material" for polygons without one;
    // null when it cannot be made. A seam for tests.
    virtual MObject CreateDefaultShader();

    // The members every part of the export shares.
    QelVeskSdkManager mManager;
    qelsdk_600::KQelNode* mRootNode;
    qelsdk_600::KQelScene* mScene;
    // Host full path name to the QelVeskNode* made for it. Keys compare
    // without regard to case: every lookup verifies the node it gets.
    qelsdk_600::KCharPtrSet mNodeByPath;
    // Look-at group key to a KVeskExportCameraInfo* the exporter owns.
    qelsdk_600::KCharPtrSet mLookAtGroups;
    qelsdk_600::KCharPtrSet mBindPoseConflictNodes;
    bool mWrapDeformerWarned;
    bool mBindPoseConflict;
    qelsdk_600::KSet mFallbackMatrixNodes;
    // The active selection during a selection-only export, else null.
    MSelectionList* mSelection;
    // The log while Export runs, else null.
    qelsdk_600::QelLogFile* mLogFile;
    // Nodes made only to carry blend-shape targets, removed before writing.
    qelsdk_600::KArrayTemplate<QelVeskNode*> mTargetShapeNodes;
    // Limb-node size of skeletons: 100 times the host's joint display scale.
    double mJointDisplayScale;

    // The file format WriteQelFile asks for (KQelExporter::EFileFormat) and
    // the file's password: binary QEL without password in the module; a
    // seam for tests of the other forms.
    int mFileFormat;
    qelsdk_600::KString mFilePassword;

private:
    // The node registered for pPath whose own path equals it, or null.
    QelVeskNode* FindNodeOfPath(const MDagPath& pPath);
    // The node of one DAG position, made by the builder its types choose;
    // pIsJoint tells whether it was the joint builder.
    QelVeskNode* BuildNodeOfPath(MDagPath& pPath, MFnDagNode& pNode, bool& pIsJoint);
    // Registers the node under the path's full name.
    void Register(const MDagPath& pPath, QelVeskNode* pNode);
    // The steps of ExportTransform for one node, its children aside.
    MStatus ExportNodeTransform(QelVeskNode& pNode);
    // Applies the master scale kExportMasterScale to the first-level nodes.
    void ApplyMasterScale();
    // Take information of every take, spanning the host's playback range.
    void FillTakeInfo();
    // Frees the records of mLookAtGroups and empties it.
    void ClearLookAtGroups();
    // The record of the path's look-at group, or null.
    KVeskExportCameraInfo* FindCameraInfo(const MDagPath& pPath);
    // Materials, textures and UV sets of a mesh whose polygons are built
    // (WriteNodeMesh from the shading groups on).
    void WriteMeshShading(MFnMesh& pMesh, QelVeskNode* pNode, qelsdk_600::KQelMesh* pQelMesh,
                          unsigned int pInstance);

    // Lists, logs and (kExportShowUI) shows the conflicts of a deformer's
    // pose, keeps the pose when it has entries and no conflict, else
    // destroys it.
    void FinishBindPose(qelsdk_600::KQelPose* pPose);
    // The node bound to exactly pPath (GetQelNodeFromDagPath from the
    // root), through the pass's index when there is one.
    QelVeskNode* FindBoundNode(const MDagPath& pPath);
    // Builds the index of the tree's DAG paths unless a pass holds one;
    // true when this call built it, and its caller then closes it.
    bool OpenPathIndex();
    void ClosePathIndex(bool pOpened);

    // The layered textures SetLayeredTexture is within, outermost first.
    MObjectArray mLayeredTextures;
    // The DAG paths of the tree, indexed for the pass that runs; empty
    // between passes.
    std::unique_ptr<export_detail::DagPathIndex> mPathIndex;
};

// Warns, in the log and with kExportShowUI in a dialog, about materials and
// textures whose names hold a namespace.
void WarnForNamespacesInMaterialsAndTextures(qelsdk_600::QelLogFile* pLog, QelVeskSdkManager& pManager);
// Warns once when two first-level nodes under pRoot share a non-empty
// namespace; the nodes are not named.
void WarnForNamespacesInFirstChildren(qelsdk_600::QelLogFile* pLog, QelVeskSdkManager& pManager,
                                      QelVeskNode* pRoot);
// True for an attribute whose name is longer than two characters and
// begins with "mi" and an upper-case letter; such attributes are no user
// properties.
bool IsMentalRayDynamicAttribute(MObject& pAttribute);
// Finds the shape of the node being built (child pIndex of a transform
// path, or the path's own shape under a transform holding several) in
// pShape, true; false when there is none. With kExportBindPose it also
// looks upstream for a deformer: pUndeformed becomes the geometry the
// deformer reads for the shape (else the shape), pInputGeometry the value of
// the deformer's input for it (unchanged without). It warns about a wrap
// deformer (a dialog once per export, through pWrapWarned) and about a
// polygon smooth operator, whose "divisions" it sets to 0 while the shape
// is read, handing back in pRestoreCommand the command that restores them;
// the shape's "visibility" takes the node's, its former value kept in
// pVisibility when given. pStatus: the last host step's status.
bool FindObject(qelsdk_600::QelLogFile* pLog, MDagPath& pPath, MFnDagNode& pNode, MStatus& pStatus, int pIndex,
                MObject& pShape, MObject& pUndeformed, MObject& pInputGeometry, MString& pRestoreCommand,
                bool& pWrapWarned, QelVeskVisibilityChange* pVisibility = nullptr);

#endif
