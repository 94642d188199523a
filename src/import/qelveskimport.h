// The host scene import: reads a QEL file into an SDK scene, prepares the
// scene for the host and builds host nodes from it in passes.
#ifndef QELVESK_IMPORT_QELVESKIMPORT_H
#define QELVESK_IMPORT_QELVESKIMPORT_H

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <vesk/MEulerRotation.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MObject.h>
#include <vesk/MObjectArray.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/MStringArray.h>

#include "base/karraytemplate.h"
#include "base/kcharptrset.h"
#include "base/kstring.h"
#include "base/ktime.h"
#include "io/kqelpluginbase.h"
#include "plugin/qelvesksdkmanager.h"

class MArgList;
class MDoubleArray;
class MFnMesh;
class MFnTransform;
class MPlug;
class MPointArray;
class QelVeskNode;
namespace qelsdk_600 {
class KFCurve;
class KQelGeometry;
class KQelLink;
class KQelImporter;
class KQelMaterial;
class KQelMesh;
class KQelNode;
class KQelNurb;
class KQelScene;
class KQelSdkManager;
class KQelTexture;
class KQelUserProperty;
class KQelVector4;
class KQelXMatrix;
class QelLogFile;
}

// A material slot that received the whole geometry or some of its polygons:
// made by BuildMaterialInformation for one node and released when the node
// is done; read by the texture import. Owns nothing it points at.
struct FaceAttributes {
    // A record of the geometry, polygonIndex -1, no shader, no textures.
    explicit FaceAttributes(qelsdk_600::KQelGeometry* pGeometry)
        : geometry(pGeometry), polygonIndex(-1), blendModes(16), textures(16)
    {
    }

    qelsdk_600::KQelGeometry* geometry;
    // The SDK index of the first polygon the slot received; -1 for a whole
    // object. Picks each texture layer's texture.
    std::int32_t polygonIndex;
    // The slot's surface shader (a phong).
    MObject shader;
    // One texture-layer blend mode (0 translucent, 1 add, 2 modulate, 3
    // modulate2, 4 max blend) per entry of textures.
    qelsdk_600::KArrayTemplate<int> blendModes;
    // Distinct textures with a file name, in texture-layer order.
    qelsdk_600::KArrayTemplate<qelsdk_600::KQelTexture*> textures;
};

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
    // rotation order kept only with rotation limits, the post-rotation of a
    // camera, spot or directional light turned by its aim offset when it has
    // no target, rotation limits dropped (with a warning) where the model
    // cannot keep them.
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
    // host path: its attribute's animation (for a camera under a camera
    // group also the group's transform onto the host group above it), its
    // transform, visibility and user properties. Always success.
    MStatus ImportAnimation(QelVeskNode& pNode);
    // The transform of a node bound to a valid transform path, then (other
    // than for old-version files) its pivots, limits and rotation order.
    void ImportTransformAnimation(QelVeskNode& pNode);
    // The node's translation and scaling curves of its current take, its
    // static values (SetDefaultGeometry), then its rotation curves (degrees
    // to radians), on pTransform, which need not be the node's own. For an
    // old-version file first its pre- and post-rotation as joint orient and
    // rotate axis (where the host's differ) and zero pivots.
    void ImportTransformAnimation(MFnTransform& pTransform, QelVeskNode& pNode);
    // The host order of the destination set's Euler order (reordering the
    // angles); nothing for spheric XYZ or an order the transform has.
    void ImportRotationOrder(MFnTransform& pTransform, QelVeskNode& pNode);
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

    // ---- Meshes (qelveskimport_mesh.cpp) ----

    // A transform named after the node under its parent's host object (the
    // world when that is unbound), bound to the node, and below it a polygon
    // mesh with the SDK mesh's points, polygons (those of fewer than 3
    // corners are left out by the host), normals, first vertex-colour layer
    // and UV layers ("uvSet" + layer number + 1, the first replacing
    // "map1"); then the node's user-property attributes and, for a mesh with
    // shapes, a blend-shape deformer. A normal or UV element too short for
    // its mapping, or naming an entry past its array, is left out with a log
    // line. Problems are printed and the steps after them still run.
    void CreateMeshGeometry(QelVeskNode* pNode);
    // Gives the host mesh made from pMesh the colours of pMesh's first
    // vertex-colour layer: by control point (the array must hold one colour
    // per control point) or by polygon vertex; colours (0, 0, 0, 0) are left
    // out; other mappings set nothing. False when the colours were not given
    // to the host (count mismatch, an index past the colours, host polygons
    // that do not match, a failed host call), true otherwise.
    bool SetVertexColors(qelsdk_600::KQelMesh* pMesh, MFnMesh& pMeshFn);

    // ---- NURBS surfaces (qelveskimport_surface.cpp) ----

    // A transform made and bound as for a mesh, and below it the host
    // surface of the node's NURBS attribute (patches arrive converted);
    // "curvePrecisionShaded" is the larger display step (0 when both are
    // negative), then the user-property attributes and, with shapes, a
    // blend-shape deformer. A surface the host refuses, or whose layout
    // GetNURBData refuses, prints "Cannot create Nurb" and ends there.
    void CreateNurbGeometry(QelVeskNode* pNode);
    // The host layout of a surface with pPoints (pPointCount points laid out
    // as the surface's own, U fastest): host U is SDK V. Appends rows of
    // control vertices (one per SDK V index, each SDK U row followed by its
    // first order - 1 points again when U is periodic or closed, then the
    // first order - 1 rows again when V is), each with its point's weight (1
    // when that is not above 0 or not finite); replaces the knot
    // lists with the SDK knots less their first and last, each rounded to
    // six decimals; degrees are orders - 1; forms are 1 (open) or 3
    // (periodic: a periodic or closed direction with evenly spaced knots,
    // within 1e-07). A periodic or closed direction built open sets its flag
    // (*pSdkUOpened for SDK U, *pSdkVOpened for SDK V; both cleared first
    // when given). *pStatus receives the status of the last append. False,
    // appending nothing, for a layout that cannot be read safely: a null
    // surface, orders or counts below 1, fewer points than the counts
    // make, missing knots, wrap-around longer than its row or column, or a
    // periodic or closed direction with fewer than two knots left.
    bool GetNURBData(qelsdk_600::KQelNurb* pNurb, const qelsdk_600::KQelVector4* pPoints, int pPointCount,
                     MPointArray& pControlVertices, MDoubleArray& pUKnots, MDoubleArray& pVKnots, int& pUDegree,
                     int& pVDegree, int& pUForm, int& pVForm, MStatus* pStatus, bool* pSdkUOpened,
                     bool* pSdkVOpened);

    // ---- User-property attributes (qelveskimport_userproperty.cpp) ----

    // AddUserProperty for each property of the node with the user flag, in
    // order; nothing for null or a node without attribute.
    void AddUserProperties(MFnTransform& pTransform, QelVeskNode* pNode);
    // A keyable dynamic attribute on the transform for the property, named
    // after its label (its name when unlabelled) with blanks as '_' (Bool:
    // boolean, Real: double with soft limits, Color: colour, Integer: 32-bit
    // with soft limits, Vector: three doubles, other: double); a name taken
    // on the transform is retried with 1 to 9 appended. Records label ->
    // attribute name in the node's mUserPropertyNames. Gives up without
    // record after the tenth taken name, or with a log line when the host
    // refuses otherwise.
    void AddUserProperty(qelsdk_600::KQelUserProperty* pProperty, MFnTransform& pTransform, QelVeskNode* pNode);

    // ---- Materials and textures (qelveskimport_material.cpp,
    // qelveskimport_texture.cpp) ----

    // Unless the import type is 0: gives each new mesh, surface and patch of
    // the subtree one phong shader per material slot (shared by material
    // name across the import) and one shading group per slot, puts the
    // object or its polygons into the groups by the layer-0 material
    // mapping, and connects the textures of its texture layers. Merged and
    // unbound nodes get nothing; children come from the last to the first.
    void BuildMaterialInformation(QelVeskNode* pNode);
    // An empty renderable set requested as pName + "SG", fed by the shader's
    // "outColor"; the name the host gave it ("" when it made none).
    MString ConnectMaterialShader(MObject& pShaderList, const char* pName, MObject& pShader);
    // Adds the members (one object or component text) to the set with one
    // "sets -e" command (with -forceElement when asked); pResult receives the
    // command's result.
    void FillSetWith(const MString& pSetName, const char* pMembers, MStringArray pResult, bool pForceElement);
    // A file texture with its own 2D placement, connected to the shader's
    // "color".
    void ConnectTexture(MObject& pShader, qelsdk_600::KQelTexture* pTexture, qelsdk_600::KQelGeometry* pGeometry);
    // The same network connected to pTarget, unless pTarget is fed by
    // "outColor" plugs of file textures only. A relative file name is taken
    // next to the imported file.
    void ConnectTexture(MPlug& pTarget, qelsdk_600::KQelTexture* pTexture, qelsdk_600::KQelGeometry* pGeometry);
    // A layered texture ("layeredTexture" + a count kept while the module is
    // loaded) whose inputs hold the record's textures, the first in the last
    // input, with their blend modes and alphas; it feeds the shader's
    // "color".
    void ConnectLayeredTexture(FaceAttributes* pAttributes);

    // ---- Curves onto host attributes (qelveskimport_curves.cpp) ----
    //
    // Every conversion takes two divisors: key values are divided by
    // pValueDivisor, tangent slopes by both. Host tangents cross in UI units
    // (x in MTime::uiUnit(), y in the curve's UI output unit), so the
    // divisors carry the unit change: values from SDK to host internal
    // units, slopes further to UI output units (for instance 57.29577951308232
    // and radians per UI angle unit for rotations in degrees).

    // Replaces the keys of the host curve bound to pHostCurve by the SDK
    // curve's, converting interpolations and tangents; a curve with a TCB key
    // is sampled at kImportSamplingRate instead (key by key, with a log
    // line, when the period is under a tick or the samples would pass
    // 10^7). A keyless SDK curve leaves one host key, at time 0, holding its
    // default value divided by pValueDivisor (none when the host curve had
    // none), and nothing at all when pStatus holds a failure. Failure at the
    // first key the host refuses (the keys before it stay).
    MStatus SetVeskCurve(MFnAnimCurve& pHostCurve, qelsdk_600::KFCurve& pCurve, double pValueDivisor,
                         double pSlopeDivisor, MStatus* pStatus);
    // The SDK curve onto the plug: onto the curve that drives it, else onto
    // a new curve of pType when the SDK curve has keys. A driven plug
    // (IsDriven) is left alone. A locked plug without curve is logged and,
    // by mLockedAttributeAnswer (asked with the " Unlock All ", " Unlock ",
    // " Keep All Locked " dialog when kImportShowUI is on, else taken from
    // kSetLockedAttrib), unlocked (its parent too when that is needed) and
    // animated, or left as it is. The status of the last host call made.
    MStatus SetVeskCurve(MPlug& pPlug, qelsdk_600::KFCurve& pCurve, MFnAnimCurve::AnimCurveType pType,
                         double pValueDivisor, double pSlopeDivisor);
    // The plug form on the transform's attribute of that name; failure when
    // there is none. *pStatus (not null) receives the result.
    MStatus SetVeskCurve(MFnTransform& pTransform, const char* pAttribute, qelsdk_600::KFCurve& pCurve,
                         MFnAnimCurve::AnimCurveType pType, double pValueDivisor, double pSlopeDivisor,
                         MStatus* pStatus);
    // The host infinity type of an SDK extrapolation: constant 0, repetition
    // 3, mirror repetition 4, keep slope 1; any other 0.
    int GetInfinityType(int pMode) const;
    // The three rotation curves (X, Y, Z, degrees) sampled together at
    // kImportSamplingRate over their keys' span, turned into pOrder and
    // keyed on "rotateX", "rotateY", "rotateZ" (curves made where none
    // drives; a span too long to sample is converted key by key, with a log
    // line). Without keys on any curve, the curves driving those plugs are
    // deleted. Always success.
    MStatus SetRotationVeskCurve(MFnTransform& pTransform, qelsdk_600::KFCurve** pCurves,
                                 MEulerRotation::RotationOrder pOrder);

    // ---- Pivots, limits and visibility (qelveskimport_pivots.cpp) ----

    // With the source pivot set in use: joint orient = its pre-rotation,
    // rotate axis = the inverse of its post-rotation, rotate and scale
    // pivots and their translations = its pivots and offsets (transform
    // space). Otherwise nothing.
    void ImportPivots(MFnTransform& pTransform, QelVeskNode& pNode);
    // One "transformLimits" command per axis of each active limit group
    // (translation, rotation, scaling) on the node's host transform: bounds
    // in UI units, a crossed bound that is off taking the other's value.
    // pTransform is not used.
    void ImportLimits(MFnTransform& pTransform, QelVeskNode& pNode);
    // For a take other than the node's default one, its visibility keys
    // become stepped 0/1 keys (above 1e-05 is 1) on "visibility"; then the
    // plug takes the default take's value the same way, 0 when the node's
    // "Visibility" is off. Failure when the node has no "visibility" plug.
    MStatus ImportAnimationVisibility(QelVeskNode& pNode);

    // ---- Lights and cameras (qelveskimport_lights.cpp,
    // qelveskimport_cameras.cpp) ----

    // A point, directional or spot light shape "<name>Shape" under a
    // transform named after the node (under its bound parent, else the
    // world), bound to the node with the user-property attributes. Another
    // light type makes nothing, with a log line.
    void CreateLightGeometry(QelVeskNode& pNode);
    // Colour, intensity (percent to a fraction) and a spot light's cone
    // angle (degrees to radians) from the default take; curves of those
    // channels for another current take. Always success.
    MStatus ImportAnimationLight(QelVeskNode& pNode);
    // A camera made by command (with an aim locator, and an up locator, under
    // a look-at group when the node has a target) bound to the node, its
    // target and up node; lens values set, and moved under the host node of
    // its parent (a camera group's parent).
    void CreateCameraGeometry(QelVeskNode& pNode);
    // Film, clipping, focus and projection values; the field-of-view curve
    // turned into the "focalLength" curve and value; for an aimed camera the
    // roll, negated, onto its group's "twist". Failure when the node's path
    // is no camera.
    MStatus ImportAnimationCamera(QelVeskNode& pNode);

    // ---- Shapes and user-property values (qelveskimport_shapes.cpp,
    // qelveskimport_userproperty.cpp) ----

    // The blend shape of the node's mesh or surface: for a new node (or one
    // without a blend shape) a hidden top-level target per shape (none for
    // a patch, with a log line) and a weight curve per shape channel
    // (percent to fractions; a channel without keys also gives the weight
    // its value); for a merged node with a blend shape its existing weight
    // curves rewritten (driven ones left alone), the node listed in
    // mFailedBlendShapeNodes when a weight has none. A merged node whose
    // geometry lost its shapes loses its blend shape.
    void ImportShapeAnimation(QelVeskNode& pNode);
    // The current take's curves and the static values of the node's user
    // properties on their host attributes (made when missing, except in
    // exclusive merge). Failure for a node without attribute.
    MStatus ImportUserProperties(QelVeskNode& pNode);

    // ---- Bind poses and deformations (qelveskimport_bindpose.cpp,
    // qelveskimport_skin.cpp, qelveskimport_cluster.cpp) ----

    // Step 26 of Import: with a bind pose, the new nodes named in the scene's
    // bind poses stand in their pose while the deformations of each child of
    // the root are built, and then get back exactly the translation,
    // rotation (values and order) and scale they had. Without one, a scene
    // with cluster links is warned about (log; dialog with kImportShowUI)
    // unless the import type is 0. Merged nodes are moved by neither step.
    void ImportBindPosesAndDeformations();
    // For pNode's subtree (children before parents, the last child first):
    // each new geometry node bound to a valid path whose geometry has links
    // gets its clusters, then its rigid binding, then its smooth skin; the
    // non-joint influences of a smooth skin are listed in a warning.
    void BuildClusterInformation(QelVeskNode* pNode);
    // A host skin cluster binding the node's geometry to the joints of
    // pLinks with the file's weights and bind matrices. Sorts each link's
    // entries by index and, with kImportForceWeightNormalize, pre-normalises
    // the geometry's weights. A link node without valid path ends it before
    // any host command, with a log line; so does a skin cluster whose
    // influence count is not the link count, after deleting it. pLog may be
    // null.
    void BuildSmoothBinding(QelVeskNode* pNode, qelsdk_600::QelLogFile* pLog, qelsdk_600::KQelSdkManager* pManager,
                            qelsdk_600::KArrayTemplate<qelsdk_600::KQelLink*>* pLinks);
    // One host cluster per linked node (shared by every geometry linked to
    // it), weighted by the linked node, holding the link's points with its
    // weights (runs of equal weights in one "percent" command). Links whose
    // node has no valid path, or for which the host makes no cluster, are
    // skipped with a log line.
    void BuildWeightedDeformers(QelVeskNode* pNode, qelsdk_600::QelLogFile* pLog,
                                qelsdk_600::KQelSdkManager* pManager,
                                qelsdk_600::KArrayTemplate<qelsdk_600::KQelLink*>* pLinks);
    // The host's rigid bind of the node's geometry to the linked nodes by
    // closest point (the file's weights are not carried). Links whose node
    // has no valid path are left out with a log line.
    void BuildRigidBinding(QelVeskNode* pNode, qelsdk_600::QelLogFile* pLog, qelsdk_600::KQelSdkManager* pManager,
                           qelsdk_600::KArrayTemplate<qelsdk_600::KQelLink*>* pLinks);
    // Sorts the link's entries by index, each weight with its index; equal
    // indices keep their order. O(n log n).
    static void SortControlPointsOnSmoothSkin(qelsdk_600::KQelLink* pLink);

    // ---- State, for the passes' callers and tests ----

    QelVeskSdkManager& GetManager() { return mManager; }
    // Node name with kind prefix to QelVeskNode*.
    const qelsdk_600::KCharPtrSet& GetNodeSet() const { return mNodeSet; }
    bool GetIsOldVersion() const { return mIsOldVersion; }
    // Filled by the shape animation, listed by the warning.
    qelsdk_600::KArrayTemplate<QelVeskNode*>& GetFailedBlendShapeNodes() { return mFailedBlendShapeNodes; }

protected:
    // Runs a host command that makes nodes; the names it answers. A seam
    // for tests.
    virtual MStringArray RunCreationCommand(const char* pCommand);

private:
    // One line in the log of the import in progress; nothing between imports.
    void Log(const char* pLine);
    // With kImportShowUI, a one-button ("Ok") dialog; the message is given raw.
    static void Warn(const char* pTitle, const qelsdk_600::KString& pMessage);
    // Rows of three names after an indent of eight blanks, ", " between
    // names, "\\n" after each row, and one row of the indent alone at the
    // end; each name is also a log line.
    void AppendNameRows(qelsdk_600::KString& pText, const std::vector<qelsdk_600::KString>& pNames);
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
    // The shader of a material slot: the cached one of the material's name,
    // else a new phong (cached when there is a material).
    MObject MaterialShader(qelsdk_600::KQelMaterial* pMaterial);
    // The shading group of one slot of the node (ConnectMaterialShader).
    MString ShadingGroup(QelVeskNode& pNode, MObject& pShader);
    // Members and records of a mesh mapped by polygon, by control point or
    // by polygon vertex (the vote); appends to pRecords.
    void AssignPolygons(QelVeskNode& pNode, qelsdk_600::KQelMesh& pMesh, const MObjectArray& pShaders,
                        const MStringArray& pGroups, std::vector<std::unique_ptr<FaceAttributes>>& pRecords);
    // Gathers the textures of the geometry's texture layers into the records
    // and connects them.
    void ConnectRecordTextures(qelsdk_600::KQelGeometry& pGeometry,
                               std::vector<std::unique_ptr<FaceAttributes>>& pRecords);
    // A texture file name made full against the imported file's folder.
    qelsdk_600::KString TextureFilePath(const char* pFileName);
    // Frees the material cache.
    void ClearMaterials();
    // The key conversion of SetVeskCurve once the host curve is emptied;
    // pName (the plug or curve) names it in the log.
    MStatus WriteVeskKeys(MFnAnimCurve& pHostCurve, qelsdk_600::KFCurve& pCurve, double pValueDivisor,
                          double pSlopeDivisor, const char* pName);
    // SetVeskCurve onto a plug that no curve drives and that could not get
    // one: the log, the standing answer or the dialog, and the unlocking.
    MStatus SetLockedVeskCurve(MPlug& pPlug, qelsdk_600::KFCurve& pCurve, MFnAnimCurve::AnimCurveType pType,
                               double pValueDivisor, double pSlopeDivisor);
    // Old-version files: the pre- and post-rotation written as joint orient
    // and rotate axis where they are another rotation, and the pivots zeroed.
    void ImportOldVersionRotationFrame(MFnTransform& pTransform, QelVeskNode& pNode);
    // The transform of a camera's camera group onto the host group above the
    // camera.
    void ImportCameraGroupTransform(QelVeskNode& pCamera);
    // The target geometry of shape pIndex under a new hidden top-level
    // transform, added to the blend shape; names the blend shape first
    // when *pNamed is false.
    void BuildShapeTarget(QelVeskNode& pNode, int pIndex, MObject& pBase, MObject& pDeformer, bool* pNamed);

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
    // Owned records; kept from one import to the next, emptied when an
    // import starts a new host scene.
    qelsdk_600::KArrayTemplate<MaterialRecord*> mMaterials;
    // Material name to the index of its first record in mMaterials.
    std::unordered_map<std::string, int> mMaterialIndex;
    // Emptied at the end of every import.
    qelsdk_600::KArrayTemplate<QelVeskNode*> mFailedBlendShapeNodes;
};

#endif
