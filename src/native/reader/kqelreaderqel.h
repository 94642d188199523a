// The reader of native files of both layouts and its document driver.
#ifndef QELSDK_NATIVE_READER_KQELREADERQEL_H
#define QELSDK_NATIVE_READER_KQELREADERQEL_H

#include <memory>
#include <string>
#include <unordered_set>

#include "base/karraytemplate.h"
#include "base/kcharptrset.h"
#include "base/kstring.h"
#include "io/kqelreader.h"

namespace qelsdk_600 {

class IQelObject;
class KFCurveNode;
class KQel;
class KQelCamera;
class KQelCameraSwitcher;
class KQelCharacter;
class KQelCharacterPose;
class KQelControlSet;
class KQelDeformer;
class KQelFilterSet;
class KQelGenericNode;
class KQelGeometry;
class KQelGobo;
class KQelImporter;
class KQelLayerElement;
class KQelLight;
class KQelLink;
class KQelMarker;
class KQelMaterial;
class KQelMesh;
class KQelNode;
class KQelNull;
class KQelNurb;
class KQelObject;
class KQelPatch;
class KQelPose;
class KQelSceneInfo;
class KQelShape;
class KQelTakeInfo;
class KQelTakeNode;
class KQelTakeNodeContainer;
class KQelTexture;
class KQelThumbnail;
class KQelVideo;
class KSet;
class KStreamOptionsQel;

namespace native_detail {
class NodeNameIndex;
// Ends a node index where its type is known.
struct NodeNameIndexDeleter {
    void operator()(NodeNameIndex* pIndex) const;
};
}  // namespace native_detail

// One object type named by the "Definitions" of a current-layout document.
// The reader fills mType and leaves the other two empty.
struct ObjectTypeInfo {
    KString mType;
    KString mSubType;
    KString mName;
};

// Index of the first record whose type equals pType exactly, or -1.
int FindTypeIndex(const KString& pType, const KArrayTemplate<ObjectTypeInfo*>& pList);

// Layer-element tokens of the file, compared exactly: mapping "ByVertice" 1,
// "ByPolygonVertex" 2, "ByPolygon" 3, "AllSame" 4; reference "Index" 1,
// "IndexToDirect" 2; blend "Add" 1, "Modulate" 2, "Modulate2" 3, "MaxBlend"
// 4. Any other text (null included) gives 0.
int ConvertMappingModeToken(const char* pToken);
int ConvertReferenceModeToken(const char* pToken);
int ConvertBlendModeToken(const char* pToken);

// Reads a native field file into a scene: the current layout (objects,
// header version 6000) and the older node-centric one (5800 and before).
// Made by the importer for formats 0 to 2 and deleted when the file is
// closed; it also reads scenes nested in a file already open (character
// poses) through the IQelObject forms. A reader never changes the file it
// reads, except when UpdateImportOptions is asked to rewrite its summary.
//
// Error ids (KQelReader::EError): 0 corrupted, 1 and 2 version, 3 not
// opened, 5 wrong password, 6 options not set, 7 anything else.
//
// Block readers live in src/native/blocks/, one unit per block family; each
// reads at the field file's current position (mFile) under the current
// options (mOptions) and, unless stated, answers true and reports nothing:
// a missing field keeps the default the block names.
class KQelReaderQel : public KQelReader {
public:
    // No file, no options, four empty case-sensitive name tables, no render
    // resolution.
    KQelReaderQel(KQelSdkManager& pManager, KQelImporter& pImporter);
    // Closes the file when one is open.
    ~KQelReaderQel() override;

    // ---- KQelReader ----

    // Opens the file (a relative name is taken from the current directory)
    // and reads its header; no section is open afterwards. On failure the
    // file layer's text is kept, with its id for 0 to 4 and 7 otherwise; the
    // field file object stays until FileClose.
    bool FileOpen(const char* pFileName) override;
    // Closes and deletes the field file object. False with error 3 without
    // one, or with 3 or 7 (the file layer's text) when closing failed.
    bool FileClose() override;
    // True while a field file object exists (also after a failed FileOpen).
    bool IsFileOpen() override;
    // GetReadOptions(nullptr, pParseFile).
    KStreamOptions* GetReadOptions(bool pParseFile = true) override;
    // Read(pScene, pOptions, nullptr).
    bool Read(KQelScene& pScene, KStreamOptions* pOptions) override;

    // New KStreamOptionsQel (caller owns it) describing the document of
    // pObject, or of the reader's own file when null. With no section open
    // they come from the file's summary; without a usable summary, only when
    // pParseFile is true, from a scan of the main section (nothing is
    // appended to the file). With a section open (after a read, or nested)
    // they come from the scan when pParseFile is true, else null. Null with
    // error 3 when there is no file.
    virtual KStreamOptions* GetReadOptions(IQelObject* pObject, bool pParseFile);
    // The document driver: reads the document of pObject (a scene nested in
    // a file being read: no password) or of the reader's own file into
    // pScene under KStreamOptionsQel options. Each read registers its objects
    // in a fresh registry of the file, dropped when it ends. Refused (the
    // scene untouched, the name tables emptied): options of another kind 6,
    // no file 3, a main section that does not open 3, a wrong password 5,
    // more than 16 reads stacked on one file (the outermost included) 0.
    // Once content is read the scene is cleared first, and a failure keeps
    // what was read.
    virtual bool Read(KQelScene& pScene, KStreamOptions* pOptions, IQelObject* pObject);
    // Stores the scene information and take records of pOptions into the
    // summary of the open file (no section may be open). True when the
    // summary was rewritten; false when there is no file, a section is open,
    // the options are of another kind, the file has no summary, or the file
    // refuses the new section (text files, read-only files).
    virtual bool UpdateImportOptions(KStreamOptions* pOptions);

    // ---- The open file ----

    // 2 enciphered, 1 binary, 0 text; 0 without an open file.
    int GetImportMode();
    // Version of the main section split as 6000 → 6, 0, 0.
    void GetVersion(int& pMajor, int& pMinor, int& pRevision);
    // Copies the header's default render resolution when it had a usable
    // one (non-zero size, a resolution mode); answers whether it had.
    bool GetDefaultRenderResolution(KString& pCameraName, KString& pMode, double& pWidth,
                                    double& pHeight) const;

    // ---- Document driver steps (kqelreaderqel.cpp, kqelreaderqel_document.cpp) ----

    // Sets the field file's layout flag from the version: majors up to 4 and
    // 5.0 to 5.7 the older layout; 5.8.0 the older one unless the main
    // section holds "Definitions"; everything else the current one. For
    // 5.8.0, pOpenMainSection opens the main section for the test and closes
    // it again (flag unchanged when it does not open); otherwise the main
    // section must be open.
    void SetIsBeforeVersion6WithMainSection(bool pOpenMainSection);
    // True when the file asks for no password, when pPassword opens it, or
    // when a listener of event 16 opens it.
    bool ReadPassword(KString pPassword);
    // The "SceneGenericPersistence" block: poses and the scene information.
    bool ReadSceneGenericPersistenceSection(KQelScene& pScene);

    // ---- Definitions, objects, connections (kqelreaderqel_objects.cpp) ----

    // The "ObjectType" names of "Definitions", each once, in file order;
    // nothing for the older layout. Always true.
    bool ReadDefinitionSection(KQelScene& pScene, KArrayTemplate<ObjectTypeInfo*>& pTypes);
    // Every object of "Objects" whose type is listed, type by type in the
    // order of pTypes. Always true.
    bool ReadObjectSection(KQelScene& pScene, KArrayTemplate<ObjectTypeInfo*>& pTypes);
    // Creates one object by type and sub-type, reads its block (open) and
    // registers it by name. Always true.
    bool ReadObject(KQelScene& pScene, KString& pType, KString& pSubType, KString& pName);
    // Joins the "OO" and "OP" connections of "Connections" (others are
    // skipped). Between two nodes "OO" keeps a tree: it joins nothing when
    // the source has a parent, is the scene's root or switcher node, or when
    // the destination is the source or lies below it. Always true.
    bool ReadConnectionSection(KQelScene& pScene);
    // Wraps every property of the object's handler that has no user
    // property yet in a new user property of the object.
    void PublishKQelProperties(KQelObject& pObject);
    // Sets the defaults of the node's user properties (and of its three
    // transform properties) from the curves of its current take.
    void UpdatePropertiesDefaultValues(KQelNode& pNode);

    // ---- Summary (blocks/kqelblocks_summary.cpp) ----

    // Reads the "Summary" of the last extension section holding one into the
    // current options; pSection receives its extension index. False, the
    // options untouched, when no section has one.
    bool ReadOptionsInExtensionSection(int& pSection);
    // Replaces the options' take records by those of the "Takes" block at
    // the current level, and settles the current take name.
    void ReadTakeOptions();
    // Derives the options from the main section (open): counts, template,
    // password flag, takes, scene information. Rewinds the section after.
    void ReadOptionsInMainSection();
    // The scene information of "SceneGenericPersistence" at the current level.
    void ReadOptionsInGenericSection();
    // Writes the "Summary" of the current options into a new extension
    // section (pOverwrite: replacing the last one). False when the file
    // refuses the section.
    bool WriteOptionsInExtensionSection(bool pOverwrite);

    // ---- Scene information and thumbnail (blocks/kqelblocks_sceneinfo.cpp) ----

    // Write the blocks exactly as the older-layout writer does; null, or a
    // thumbnail of size 0, writes nothing. True.
    bool WriteSceneInfo(KQelSceneInfo* pSceneInfo);
    bool WriteThumbnail(KQelThumbnail* pThumbnail);
    // A "SceneInfo" block at the current level, made through the manager
    // (the manager owns it); null when absent or not of type "UserData".
    KQelSceneInfo* ReadSceneInfo();
    // The body of a scene information block of that type (open).
    KQelSceneInfo* ReadSceneInfo(KString& pType);
    // A "Thumbnail" block at the current level, made through the manager;
    // null when absent, not raw, or of a size other than 64 or 128.
    KQelThumbnail* ReadThumbnail();

    // ---- Global light settings (blocks/kqelblocks_globallight.cpp) ----

    // Restores the scene's defaults, then reads "AmbientRenderSettings",
    // "FogOptions" and "ShadowPlanes".
    void ReadGlobalLightSettings(KQelScene& pScene);

    // ---- Gobos (blocks/kqelblocks_gobo.cpp) ----

    // The "GoboManager" block: gives the lights it names their gobo.
    void ReadGobo(KQelScene& pScene);
    void ReadGoboSection(KQelScene& pScene);
    // One "Gobo" block (open) into pGobo.
    void ReadKQelGobo(KQelGobo& pGobo);

    // ---- Global camera and time settings (blocks/kqelblocks_globalcamera.cpp) ----

    // Older layout: defaults restored, then "RendererSetting" and "Settings"
    // with the seven producer cameras.
    void ReadGlobalCameraAndTimeSettings(KQelScene& pScene);
    // Current layout: the time part of "Settings" (defaults restored first).
    void ReadGlobalTimeSettings(KQelScene& pScene);
    // Current layout: "RendererSetting" (no defaults restored).
    void ReadGlobalCameraSettings(KQelScene& pScene);
    // "Model::" + a producer camera name or "Camera Switcher" → the plain
    // name; any other name unchanged.
    static KString ConvertCameraName(KString pName);

    // ---- Refused data ----
    //
    // A block reader that refuses data (an attachment that would make a node
    // its own ancestor, a character pose whose nested scene does not read, a
    // time warp too long to merge, ...) drops the offending item, calls
    // MarkCorruptData and goes on. Once the document has been read to the
    // end, Read then answers false with error 0 "File is corrupted"; the
    // scene keeps what was read, and the message text (GetMessage) holds one
    // line per refusal naming the object and the field (the first 100). The
    // mark is cleared when Read starts. Files written by this system never
    // set it.

    // Sets the mark and appends "<object>: <field>" to the message text.
    void MarkCorruptData(const char* pObject, const char* pField);
    bool IsCorruptDataMarked() const { return mCorruptData; }

    // ---- Model blocks (blocks/kqelblocks_model.cpp) ----

    // Every "Model" block of an older-layout section: a node each (into the
    // node table, registered under its name), read by ReadKQelNode. True.
    bool ReadNode();
    // One node's block (open), either layout: shading, culling, targets,
    // child names, attribute, limits and pivots (older) or properties
    // (current), animation settings, the Default take's channels. True.
    bool ReadKQelNode(KQelNode& pNode);
    // The sub-blocks of ReadKQelNode, in its order; each answers true.
    bool ReadKQelNodeShading(KQelNode& pNode);
    bool ReadKQelNodeCullingType(KQelNode& pNode);
    bool ReadKQelNodeTarget(KQelNode& pNode);
    bool ReadKQelNodeChildrenName(KQelNode& pNode);
    // "Type" chooses the attribute made, how it is typed, attached and read
    // (no "Type", or an unknown one: a mesh); in the older layout the
    // "UserProperty" blocks follow.
    bool ReadKQelNodeAttribute(KQelNode& pNode);
    bool ReadKQelNodeProperties(KQelNode& pNode);
    // "MultiLayer" (default 1) and "MultiTake" (default 0; a number that is
    // no multi-take mode counts as absent).
    bool ReadKQelNodeAnimationSettings(KQelNode& pNode);
    bool ReadKQelNodeDefaultAttributes(KQelNode& pNode);
    // A current-layout generic node's block (open). True.
    bool ReadKQelGenericNode(KQelGenericNode& pNode);
    // The node table's entry for a full name ("Model::…"), or null.
    KQelNode* FindNode(const char* pName);

    // ---- Limits and pivots of the older layout (blocks/kqelblocks_limits.cpp) ----

    // "Limits": every value set, a missing field giving its default; rotation
    // and clamp types outside their values count as absent. Nothing when
    // the field is absent or no block. True.
    bool ReadKQelNodeLimits(KQelNode& pNode);
    // "Pivots": "Package" into the source pivot set, "File" into the
    // destination one; missing fields leave the set's values. True.
    bool ReadKQelNodePivots(KQelNode& pNode);

    // ---- Hierarchy of the older layout (blocks/kqelblocks_hierarchy.cpp) ----

    // Current layout: true at once. Older: ResolveHierarchy, then (option
    // eLink) ResolveLinks, ResolveTargets and ResolveUpNodes.
    bool ReadHierarchy(KQelNode& pRoot);
    // Builds the tree from the child names of the node table (sorted by
    // name): a node named by several parents goes under the last; a child
    // list that would make a node its own ancestor is cut at the naming made
    // last (the mark is set) and that node goes under the root, with every
    // node no name placed. Linear in the nodes and names. True.
    bool ResolveHierarchy(KQelNode& pRoot);
    // Binds the link and associate nodes of the geometry links of pNode and
    // its subtree, by name: the first node below pRoot of that name,
    // depth first. Names that match nothing leave the link unbound. True.
    bool ResolveLinks(KQelNode& pRoot, KQelNode& pNode);
    // The look-at targets and up-vector nodes of the tables, by name below
    // pRoot as ResolveLinks finds them. True.
    bool ResolveTargets(KQelNode& pRoot);
    bool ResolveUpNodes(KQelNode& pRoot);
    // Older layout: each "UserProperty" block at the current level becomes a
    // user property of the node ("Type" appended to the name unless it is
    // "Vector"), with its value and limits. True.
    bool ReadUserProperties(KQelNode& pNode);

    // ---- Takes (blocks/kqelblocks_take.cpp) ----

    // The "Takes" section: each "Take" named by a selected take record of
    // the options is read under the record's import name (a name met again
    // in the section is skipped) and a copy of the record, shifted, joins
    // the scene. False when a take file could not be read.
    bool ReadAnimation(KQelScene& pScene);
    // One "Take" block (open): from the regular file its "FileName" names
    // when that opens, else from the block itself (header version above
    // 1999; before: error, false), then the time shift.
    bool ReadTakeAnimation(KQelScene& pScene, KQelTakeInfo* pTake);
    // The object blocks at the current level of pFile: "Model", then
    // "GenericNode", "Texture" and "Material", each object getting a take
    // node of the import name (an object that has one already is skipped).
    // An older-layout file of section version 3000 on stores material
    // shininess on a 0 to 100 scale: read channels are multiplied by 1.28.
    // True.
    bool ReadNodeAnimation(KQel& pFile, KQelScene& pScene, KQelTakeInfo* pTake);
    // Reads the "Channel" fields of the current block into pNode.
    void ReadAnimation(KQel& pFile, KFCurveNode* pNode);
    // Offset mode 1: the take moves by the import offset; any other mode:
    // so that its first key lands on the offset (nothing moves when it has
    // no key or the shift does not fit in a time). Moves the curves of the
    // objects that have the take and the record's local span; "Default" is
    // current afterwards. True.
    bool TimeShiftNodeAnimation(KQelScene& pScene, KQelTakeInfo* pTake);
    // The "TimeWarps" block at the current level: number → curve node into
    // pSet; a number met again keeps its first node. The caller ends the
    // nodes no curve refers to.
    void ReadTimeWarps(KQel& pFile, KSet& pSet);
    // Bake time warps and layers of a curve-node tree into plain curves. At
    // most 10^7 samples per node: a longer interval leaves the node as read
    // and answers false.
    bool MergeLayerAndTimeWarp(KFCurveNode* pNode, KFCurveNode* pTimeWarp);
    bool MergeTimeWarpWithLayer(KFCurveNode* pNode, KFCurveNode* pTimeWarp);
    bool MergeTimeWarpWithoutLayer(KFCurveNode* pNode, KFCurveNode* pTimeWarp);

    // ---- Poses (blocks/kqelblocks_pose.cpp) ----

    // With option eCharacter: whether ReadCharacterPose read every pose;
    // otherwise false.
    bool ReadPoses(KQelScene& pScene);
    // Every remaining "Pose" block of the current level, character poses
    // included: 1 when none was a bind or rest pose, else 0. A character
    // pose whose nested scene does not read is destroyed (mark set).
    int ReadCharacterPose(KQelScene& pScene);
    // The bind and rest poses among the remaining "Pose" blocks. True.
    bool ReadPose(KQelScene& pScene);
    // The entries of one pose, up to "NbPoseNodes" and the first missing
    // "PoseNode". True.
    bool ReadKQelPose(KQelPose* pPose, bool pBindPose);
    // The nested scene of a character pose, through a second importer over
    // this file; false when it gives no options or does not read.
    bool ReadKQelCharacterPose(KQelCharacterPose& pPose);

    // ---- Characters (blocks/kqelblocks_character.cpp) ----

    // Older layout: every "CHARACTER" block (unnamed ones "Character",
    // "Character1", ...), then the inputs between characters. True.
    bool ReadCharacter(KQelScene& pScene);
    // One character's block (open); pInputIndex receives the input index
    // found, -1 when none. An input type that is no known one counts as
    // absent. True.
    bool ReadKQelCharacter(KQelCharacter& pCharacter, int& pInputIndex);
    // The "LINK" blocks of group pGroup (open), by name or by position. True.
    bool ReadKQelCharacterLinkGroup(KQelCharacter& pCharacter, int pGroup);
    // The link of node id pNodeId from its block (open). True.
    bool ReadKQelCharacterLink(KQelCharacter& pCharacter, int pNodeId);
    // "PARAM" blocks by parameter name; a mode outside its mode type's
    // values counts as absent. True.
    bool ReadKQelFilterSet(KQelFilterSet& pFilterSet);
    bool ReadKQelControlSet(KQelControlSet& pControlSet);
    bool ReadKQelControlSetLinkGroup(KQelControlSet& pControlSet, int pGroup);
    bool ReadKQelControlSetLink(KQelControlSet& pControlSet, int pNodeId);
    // One effector "LINK" block (open); unknown names or nodes skip it.
    bool ReadKQelEffector(KQelControlSet& pControlSet);
    bool ReadKQelEffectorAux(KQelControlSet& pControlSet);
    // Marker sets and actors are never stored: nothing is read.
    bool ReadMarkerSet(KQelScene& pScene);
    bool ReadActor(KQelScene& pScene);

    // ---- Geometry common part (blocks/kqelblocks_geometry.cpp) ----
    //
    // Node attributes read at the current level of the field file; a
    // refusal marks the data corrupt (MarkCorruptData).

    // Older layout: materials (option eMaterial, into layer 0), textures
    // (eTexture, into the geometry's texture list mTextures), links (eLink),
    // shapes (eShape), then the "GeometryLayer" blocks. True.
    bool ReadKQelGeometry(KQelGeometry& pGeometry);
    bool ReadKQelGeometryMaterial(KQelGeometry& pGeometry);
    bool ReadKQelGeometryTexture(KQelGeometry& pGeometry);
    bool ReadKQelGeometryLinks(KQelGeometry& pGeometry);
    bool ReadKQelGeometryShapes(KQelGeometry& pGeometry);
    // Each "GeometryLayer" holding "LayerTextureInfo" appends a layer; false
    // when one of them does not fit the geometry (that layer maps nothing).
    // Without any, a mesh gets the texture list in layer 0.
    bool ReadKQelGeometryLayer(KQelGeometry& pGeometry);
    // "LayerTextureInfo" (open) into layer pLayer: textures by their
    // position in mTextures, then UVs; false, the data marked, for codes the
    // geometry cannot take and for ids or UV indices out of range (ids of
    // textures the options left unread excepted).
    bool ReadKQelGeometryTextureLayer(KQelGeometry& pGeometry, int pLayer);
    // Current layout: the six element lists, then the "Layer" blocks placing
    // them. An element is placed once at most (a second placement is
    // refused and marked); one displaced from its slot, like one never
    // placed, is destroyed. True.
    bool ReadLayerElements(KQelGeometry& pGeometry);
    bool ReadLayerElementsMaterial(KArrayTemplate<KQelLayerElement*>& pElements);
    bool ReadLayerElementsNormal(KArrayTemplate<KQelLayerElement*>& pElements);
    bool ReadLayerElementsVertexColor(KArrayTemplate<KQelLayerElement*>& pElements);
    bool ReadLayerElementsTexture(KArrayTemplate<KQelLayerElement*>& pElements);
    bool ReadLayerElementsUV(KArrayTemplate<KQelLayerElement*>& pElements);
    bool ReadLayerElementsPolygonGroup(KArrayTemplate<KQelLayerElement*>& pElements);
    // Once a document is read (both layouts): every layer element whose
    // arrays are shorter than its mapping needs, or holding an index outside
    // the array it addresses (-1, "none", allowed for materials and
    // textures), is destroyed, and so is every link naming a point outside
    // the control points; each marks the data corrupt, except elements of
    // textures or materials the options left unread.
    void CheckGeometries(KQelScene& pScene);

    // ---- Mesh (blocks/kqelblocks_mesh.cpp) ----

    // The mesh block of either layout. True.
    bool ReadKQelMesh(KQelMesh& pMesh);
    bool ReadKQelMeshVertices(KQelMesh& pMesh);
    // Polygons from "PolygonVertexIndex" (a negative value v ends its
    // polygon with corner ~v); a list naming a point outside the control
    // points makes no polygon and marks the data.
    bool ReadKQelMeshPolygonIndex(KQelMesh& pMesh);
    bool ReadKQelMeshNormals(KQelMesh& pMesh);
    bool ReadKQelMeshPolyGroupIndex(KQelMesh& pMesh);
    // False, the colours dropped and the data marked, when they do not
    // cover the mesh.
    bool ReadKQelMeshVertexColors(KQelMesh& pMesh);
    bool ReadKQelMeshAssignation(KQelMesh& pMesh);
    bool ReadKQelMeshMaterialsID(KQelMesh& pMesh);
    bool ReadKQelMeshTexturesID(KQelMesh& pMesh);
    bool ReadKQelMeshParameters(KQelMesh& pMesh);
    bool ReadKQelMeshTextureType(KQelMesh& pMesh);
    bool ReadKQelMeshTextureUV(KQelMesh& pMesh);
    bool ReadKQelMeshTextureIndex(KQelMesh& pMesh);
    // Files before geometry version 124: texture arrays of index-to-direct
    // layers grown from mTextures to cover their indices, never past the
    // list's length. True.
    bool CorrectTextureLayers(KQelMesh& pMesh);

    // ---- NURBS surfaces and patches (blocks/kqelblocks_surface.cpp) ----

    // The surface block of either layout. Counts that are negative, orders
    // outside 1 to their count (0 without points) or more points than
    // "Points" values are refused before anything is made (error 9 in the
    // field file's error record, no control points); a value count, form
    // text or weight (0.00001 or less) that does not fit records error 9 or
    // 10 with its text. Each marks the data and answers false.
    bool ReadKQelNurb(KQelNurb& pNurb);
    // Counts as for NURBS (error 9, false); true otherwise.
    bool ReadKQelPatch(KQelPatch& pPatch);
    // The next value of the open field as a patch type token, any case:
    // "Bezier" 0, "BezierQuadric" 1, "Cardinal" 2, "BSpline" 3, anything
    // else 4 (linear).
    int ReadKQelPatchType(KQelPatch& pPatch);
    // Nothing. True.
    bool GenerateParametricGeometryLayer(KQelGeometry& pGeometry);

    // ---- Links and shapes (blocks/kqelblocks_link.cpp, kqelblocks_shape.cpp) ----

    // One "Link" field (open): node names kept for later binding, the
    // transforms back in scene terms. False, the data marked, when an index
    // is negative.
    bool ReadKQelLink(KQelLink& pLink);
    // One "Shape" field (open) of pGeometry: the geometry's points and
    // layer-0 normals plus the stored differences (a difference without an
    // index inside the points marks the data). True.
    bool ReadKQelShape(KQelShape& pShape, KQelGeometry& pGeometry);

    // ---- Other attributes (kqelblocks_light.cpp, kqelblocks_null.cpp,
    // kqelblocks_cameraswitcher.cpp) ----

    // Light, on its node already. A type outside the list is a point. True.
    bool ReadKQelLight(KQelLight& pLight);
    // Null; marker, on its node already (a look outside the list counts as
    // absent). True.
    bool ReadKQelNull(KQelNull& pNull);
    bool ReadKQelMarker(KQelMarker& pMarker);
    // A switcher on its node already: default camera index and camera
    // names. True.
    bool ReadKQelCameraSwitcher(KQelCameraSwitcher& pSwitcher);

    // Camera (blocks/kqelblocks_camera.cpp): one camera block at the current
    // level.
    bool ReadKQelCamera(KQelCamera& pCamera);
    // Camera switcher and post-read camera fix-ups
    // (blocks/kqelblocks_cameraswitcher.cpp).
    bool ReadCameraSwitcher(KQelScene& pScene);
    bool ResolveCameraBackgrounds(KQelScene& pScene);
    void ReorderCameraSwitcherIndices(KQelScene& pScene);
    // Textures and materials (blocks/kqelblocks_material.cpp). The object
    // forms create the object of a "Material" or "Texture" object of the
    // current layout through the manager under pName, read its block (open)
    // and answer it for registration; null when nothing was made.
    bool ReadKQelTexture(KQelTexture& pTexture);
    bool ReadKQelMaterial(KQelMaterial& pMaterial);
    KQelObject* ReadTextureObject(const char* pName);
    KQelObject* ReadMaterialObject(const char* pName);
    // Of the scene's textures (materials) equal under their operator==, the
    // one listed first survives: the others leave the scene and are
    // destroyed, and the layers and camera backgrounds (textures) that used
    // them use the survivor, which takes over their use counts.
    void RemoveDuplicateTextures(KQelScene& pScene);
    void RemoveDuplicateMaterials(KQelScene& pScene);
    // Media (blocks/kqelblocks_media.cpp). The older layout's "Media"
    // section: each clip's file (see ReadMediaClip) goes to the textures and
    // camera backgrounds of its media name, and to the lights whose file
    // name is that media name. Nothing for the current layout. True.
    bool ReadMedia(KQelScene& pScene, const char* pUnused);
    // A current-layout video (block open): properties, mip-map and format
    // flags, and its file, extracted from "Content" when it is embedded.
    // True when it has a file name; for the older layout, nothing and true.
    bool ReadKQelVideo(KQelVideo& pVideo);
    // A "Video" object, as ReadMaterialObject.
    KQelObject* ReadVideoObject(const char* pName);
    // The clip block of the current "Video" entry (open): the file to use,
    // extracted from "Content" when it holds the file (converted back from
    // TIFF when it was written as one), else FindFile of the stored names;
    // empty when none. The text is not used.
    KString ReadMediaClip(const char* pUnused);
    // Where a referenced file is looked for: the name resolved against the
    // read file's directory when that file exists, else the relative name
    // resolved likewise when that exists, else the first of them given;
    // empty when both are.
    KString FindFile(KString pFileName, KString pRelativeFileName);
    // Index of the first item equal to pText (exactly), -1 when none.
    static int FindString(KString pText, KArrayTemplate<KString*>& pList);
    // Version-6 deformers (blocks/kqelblocks_deformer.cpp): a skin's
    // accuracy; a cluster's mode, user data, pairs (a negative index marks
    // the data) and matrices, the transform and associate model ones rebuilt
    // from their translation, rotation and scaling. True.
    bool ReadKQelDeformer(KQelDeformer& pDeformer);

protected:
    // The driver's content steps once the document is open and the password
    // accepted: definitions to the last fix-up. False when the content read
    // failed.
    bool ReadDocument(KQelScene& pScene);
    // Camera take-over of a current-layout document: producer cameras copied
    // from their nodes, the last switcher node adopted.
    void TakeOverCameras(KQelScene& pScene);
    // Forgets a node about to be destroyed: its registry name (when it is
    // registered under it).
    void ForgetNode(KQelNode& pNode);
    // pSceneInfo (null: nothing) becomes the scene's; one it held before is
    // destroyed through the manager.
    void AdoptSceneInfo(KQelScene& pScene, KQelSceneInfo* pSceneInfo);
    // The scene's conversions after a current-layout read: layer direct
    // arrays from the connections, deformers turned into links and removed
    // (blocks/kqelblocks_deformer.cpp).
    void ConvertCurrentLayoutScene(KQelScene& pScene);
    // What creates, reads and registers each object kind of "Objects"
    // (kqelreaderqel_objects.cpp).
    friend struct ObjectReaders;
    // What the take reader finds textures, materials and generic nodes by.
    struct TakeLookups;
    // The attribute entry's table of "Type" texts (blocks/kqelblocks_model.cpp).
    friend struct NodeAttributeReaders;
    // Name → first node below pRoot, depth first (as KQelNode::FindChild
    // finds it); rebuilt after the tree changed.
    const native_detail::NodeNameIndex& NodeIndex(KQelNode& pRoot);
    // The node of a "MODEL" name (the "Model::" prefix applied), null for an
    // empty name or an unknown one.
    KQelNode* FindModel(const char* pName);
    // The options' take record of that name, or null.
    KQelTakeInfo* FindOptionTake(const char* pName) const;
    // One object block of a take (the field open): a new take node of the
    // import name filled from the block, merged when asked. Null, nothing
    // read, when the object has a take node of that name already.
    KQelTakeNode* ReadObjectAnimation(KQel& pFile, KQelTakeNodeContainer& pObject, KQelTakeInfo& pTake,
                                      bool pMerge);
    // The "Pose" blocks of the current level, character poses too when
    // asked; ReadCharacterPose's answer.
    int ReadPoseBlocks(KQelScene& pScene, bool pCharacterPoses);
    // The "PoseScene" of a character pose block (open).
    void ReadCharacterPoseBlock(KQelScene& pScene, const KString& pName);
    // The current field file's KQel.
    KQel& File();

    KQelImporter& mImporter;
    // The field file in use: the reader's own, or a nested read's borrowed
    // one. Null while no file is open.
    IQelObject* mFile;
    // The options of the operation under way, null otherwise; not owned.
    KStreamOptionsQel* mOptions;
    // Full node name → node.
    KCharPtrSet mNodeTable;
    // Look-at and up-vector target names → the node naming them.
    KCharPtrSet mLookAtTable;
    KCharPtrSet mUpNodeTable;
    // Camera background names of old camera blocks → camera.
    KCharPtrSet mCameraBackgroundTable;
    // The textures of the geometry being read (older layout: texture ids are
    // positions here).
    KArrayTemplate<KQelTexture*> mTextures;
    // The object types of the document being read.
    KArrayTemplate<ObjectTypeInfo*> mObjectTypes;

    bool mRenderResolutionValid;
    KString mRenderCameraName;
    KString mRenderResolutionMode;
    double mRenderWidth;
    double mRenderHeight;
    // Refused data met during the read under way, and the refusals listed.
    bool mCorruptData = false;
    int mCorruptLines = 0;
    // The node index (made when first needed) and whether it still
    // describes the tree below mNodeIndexRoot.
    std::unique_ptr<native_detail::NodeNameIndex, native_detail::NodeNameIndexDeleter> mNodeIndex;
    KQelNode* mNodeIndexRoot = nullptr;
    bool mNodeIndexValid = false;
    // Set while a "Takes" section is read.
    TakeLookups* mTakeLookups = nullptr;
    // Media files this reader has handed to a clip or video: an embedded
    // file met again is then never deleted or replaced.
    std::unordered_set<std::string> mMediaFilesInUse;
};

// A file name whose extension is neither "tif" nor "tiff" (any case): with
// pRemoveFile the file of that name is deleted, then the extension of the
// name's file part, when it has one, becomes ".tif". Names with a TIFF
// extension, and their files, are left alone.
void ForceFileNameExtensionToTif(KString& pFileName, bool pRemoveFile = true);

}  // namespace qelsdk_600

#endif
