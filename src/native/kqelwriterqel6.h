// Writer of the current QEL layout (header version 6000).
#ifndef QELSDK_NATIVE_KQELWRITERQEL6_H
#define QELSDK_NATIVE_KQELWRITERQEL6_H

#include "base/karraytemplate.h"
#include "base/kstring.h"
#include "base/kstringlist.h"
#include "content/kqellayer.h"
#include "io/kqelwriter.h"

namespace qelsdk_600 {

class IQelObject;
class KQel;
class KPlug;
class KProperty;
class KQelCamera;
class KQelCameraSwitcher;
class KQelCharacter;
class KQelCharacterPose;
class KQelDeformer;
class KQelEntity;
class KQelExporter;
class KQelGeometry;
class KQelLayerContainer;
class KQelLight;
class KQelMaterial;
class KQelMesh;
class KQelNode;
class KQelNull;
class KQelNurb;
class KQelObject;
class KQelPatch;
class KQelPose;
class KQelScene;
class KQelSceneInfo;
class KQelShape;
class KQelSkeleton;
class KQelTakeNodeContainer;
class KQelTexture;
class KQelThumbnail;
class KQelVideo;
class KObject;
class KSet;
class KStreamOptions;
class KStreamOptionsQel;
class KTimeSpan;

// File tokens of the layer-element modes; constant texts.
// "NoMappingInformation" for a mapping mode outside 0 to 4.
const char* GetMappingModeToken(KQelLayerElement::EMappingMode pMode);
// "Direct" for a reference mode other than 1 and 2.
const char* GetReferenceModeToken(KQelLayerElement::EReferenceMode pMode);
// "Translucent" for a blend mode outside 0 to 4.
const char* GetBlendModeToken(KQelLayerElementTexture::EBlendMode pMode);

// Writes one scene into a field file of the current layout: a main section
// holding "Definitions", "Objects", "Relations", "Connections", "Takes" and
// (write option 9) "Version5", then, in the binary forms, an extension
// section holding the "Summary". Comment banners appear in the text form
// only. The exporter makes one per file: SetExportMode, FileCreate, one
// Write, FileClose, delete.
//
// Write changes the scene it writes: materials, textures and videos are
// connected to their users; deformers are built from the geometry links for
// the write and the ones built are destroyed afterwards (the caller's own
// deformers stay); missing take records are added and zero spans filled
// with the computed ones. The scene's current take is current again when
// Write returns.
//
// A file into which a Write failed is never published: FileClose (also
// through the destructor) then drops the file being written, and a file
// already at the target path stays as it was. Failures are recorded by
// writer error id (KQelWriter::EError).
class KQelWriterQel6 : public KQelWriter {
public:
    // Physical form of the files created.
    enum EExportMode : int {
        eAscii = 0,      // text
        eBinary = 1,     // binary
        eEncrypted = 2   // binary, enciphered by the field file
    };

    // No file, no options, binary mode, progress counters 0. The exporter
    // (not owned) receives the progress reports.
    KQelWriterQel6(KQelSdkManager& pManager, KQelExporter& pExporter);
    // FileClose when a file is open.
    ~KQelWriterQel6() override;

    // ---- Virtual operations, in slot order ----

    // Creates the named file (relative names against the current directory)
    // in the form of the export mode. False with error 2 for a null or empty
    // name, or with the field file's own text and error 2 (0 for a corrupted
    // file, 5 for any other reason) when it cannot be made; no file is open
    // then.
    bool FileCreate(const char* pFileName) override;
    // Publishes the file under its name, or drops it when a Write into it
    // failed. False with error 1 when no file is open, with error 3 when the
    // field file cannot complete the file (nothing is published then); the
    // file is closed either way.
    bool FileClose() override;
    bool IsFileOpen() override;
    // GetWriteOptions(null).
    KStreamOptions* GetWriteOptions() override;
    // The three-argument Write with no file object.
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;
    // A new KStreamOptionsQel with its defaults; the caller owns it. The
    // argument is not used.
    virtual KStreamOptions* GetWriteOptions(IQelObject* pFile);
    // Writes the document. pFile, when given, is an open field file written
    // into instead of the writer's own: no section is closed and no summary
    // written then. Options of the motion class are replaced by defaults
    // that keep only videos and animation. False, at once and with nothing
    // done to the scene, for null or foreign options (error 4), with no file
    // (error 2) or for a second Write into the same file (error 2). False in
    // the same way, with error 5 and the reason as text ("Model::Box:
    // LayerElementUV holds 0 values, 3 needed"), when a geometry it would
    // write (write option 0) holds a layer element or, with option 4, a link
    // that the reader refuses (native_detail::FindRefusedGeometry). False
    // with error 3 when the field file reported an error during a section
    // or could not close one; the sections after it are not written.
    virtual bool Write(KQelScene& pScene, KStreamOptions* pOptions, IQelObject* pFile);

    // Takes effect at the next FileCreate; not checked.
    void SetExportMode(EExportMode pMode) { mExportMode = pMode; }

    // The field "NodeId" (binary forms only) when the options carry a
    // password flag and a non-empty password.
    bool WritePassword();

    // ---- Extension section ----

    // The "Summary" in a new extension section; pMediaCount goes to
    // "ContentCount" "Media". Sets the options' template flag. False, with
    // nothing written, when the field file refuses the section (text form).
    bool WriteExtensionSection(KQelScene& pScene, int pMediaCount);

    // ---- Definitions and Objects ----

    bool WriteObjectDefinition(KQelScene& pScene);
    bool WriteObjectProperties(KQelScene& pScene);

    // ---- Relations and Connections ----

    bool WriteObjectRelations(KQelScene& pScene);
    // Entries of the nodes below the root, each before its descendants.
    bool WriteNodeRelations(KQelScene& pScene);
    // The node's entry, then its descendants', depth first.
    bool WriteKQelNodeRelations(KQelNode* pNode);
    bool WriteMaterialRelations(KQelScene& pScene);
    bool WriteTextureRelations(KQelScene& pScene);
    bool WriteVideoRelations(KQelScene& pScene);
    bool WriteCharacterRelations(KQelScene& pScene);
    bool WriteDeformerRelations(KQelScene& pScene);
    // Poses, then (option 8) character poses.
    bool WritePoseRelations(KQelScene& pScene);
    bool WriteKQelCharacterRelations(KQelCharacter* pCharacter);
    bool WriteKQelDeformerRelations(KQelDeformer* pDeformer);
    bool WriteKQelPoseRelations(KQelPose* pPose);
    bool WriteKQelCharacterPoseRelations(KQelCharacterPose* pPose);
    // Nothing for null.
    bool WriteSceneInfoRelations(KQelSceneInfo* pSceneInfo);
    // "Connections": the walk from the root (named "Model::Scene" meanwhile),
    // then (option 8) from every control-set plug and character.
    bool WriteObjectConnections(KQelScene& pScene);
    // The connection walk from one object: every source connection into it
    // as a "Connect" field, then, with pContinue, the same for each object
    // connected to it, depth first. Iterative; an object already on the
    // walk's path is written but not walked again.
    bool WriteObjectConnections(KQelObject* pObject, bool pContinue);
    // One "Connect" ("OO" object to object, "OP" object to property) for a
    // source and a destination plug; false, writing nothing, when the source
    // is not a property set or the destination is neither.
    bool WriteFieldConnection(KPlug* pSource, KPlug* pDestination);

    // ---- Takes ----

    bool WriteTakesAndAnimation(KQelScene& pScene);
    // The banner and "Takes"; always true.
    bool WriteAnimation(KQelScene& pScene);
    // One progress report for pNode, then for each node below it, depth
    // first, its "Model" take node block and a progress report. Iterative.
    bool WriteAnimation(KQelNode& pNode, const char* pTakeName);
    // One take node block named pFieldName for the container's take
    // pTakeName, which becomes its current take node; false, writing
    // nothing, when it has no such take node. pReserved is not used.
    bool WriteTakeNode(KQelTakeNodeContainer& pContainer, const char* pTakeName, const char* pFieldName,
                       bool pReserved);

    // ---- Model blocks ----

    // One progress report for pNode, then for each node below it, depth
    // first, its Model block and a progress report. Iterative.
    bool WriteNode(KQelNode& pNode);
    bool WriteKQelNode(KQelNode& pNode);
    bool WriteKQelNodeBegin(KQelNode& pNode);
    bool WriteKQelNodeParameters(KQelNode& pNode);
    bool WriteKQelNodeEnd(KQelNode& pNode);
    bool WriteKQelNodeVersion(KQelNode& pNode);
    // Pivots and limits are copied into the transform properties first.
    bool WriteKQelNodeProperties(KQelNode& pNode);
    bool WriteKQelNodeAnimationSettings(KQelNode& pNode);
    bool WriteKQelNodeShading(KQelNode& pNode);
    bool WriteKQelNodeCullingType(KQelNode& pNode);
    // The attribute's fields by attribute type; with write option 0 off,
    // meshes, surfaces, patches, switchers and unknown kinds are written as
    // nulls.
    bool WriteKQelNodeAttribute(KQelNode& pNode);
    // "Type" and "TypeFlags" of the node.
    bool WriteNodeType(KQelNode& pNode);
    // "Type" and "TypeFlags" of the null; "Null" and "Null" for null.
    bool WriteKQelNull(KQelNull* pNull);
    bool WriteKQelMarker(KQelNode& pNode);
    // By skeleton type; false, writing nothing, for a skeleton on no node.
    bool WriteKQelSkeleton(KQelSkeleton& pSkeleton);
    bool WriteKQelSkeletonRoot(KQelSkeleton& pSkeleton);
    bool WriteKQelSkeletonLimb(KQelSkeleton& pSkeleton);
    bool WriteKQelSkeletonLimbNode(KQelSkeleton& pSkeleton);
    bool WriteKQelSkeletonEffector(KQelSkeleton& pSkeleton);
    // False, writing nothing, for a camera on no node.
    bool WriteKQelCamera(KQelCamera& pCamera);
    bool WriteKQelCameraSwitcher(KQelCameraSwitcher& pSwitcher);
    bool WriteKQelLight(KQelLight& pLight);
    // Writes nothing; true.
    bool WriteCameraSwitcher(KQelScene& pScene);
    // Index of the first entry equal to pText, -1 when none.
    static int FindString(KString pText, KArrayTemplate<KString*>& pList);

    // ---- Global settings ("Version5") ----

    bool WriteGlobalLightSettings(KQelScene& pScene);
    bool WriteAmbientColor(KQelScene& pScene);
    bool WriteFogOption(KQelScene& pScene);
    // Nothing without shadow planes.
    bool WriteShadowPlane(KQelScene& pScene);
    bool WriteShadowPlaneSection(KQelScene& pScene);
    // "Settings", with one "TimeMarker" per time marker.
    bool WriteGlobalTimeSettings(KQelScene& pScene);
    bool WriteGlobalCameraSettings(KQelScene& pScene);

    // ---- Characters, poses, generic nodes, scene information ----

    bool WriteKQelGenericNodes(KQelScene& pScene);
    bool WriteControlSetPlug(KQelScene& pScene);
    bool WriteCharacter(KQelScene& pScene);
    // Fixed fields and link blocks of the character at pIndex.
    bool WriteKQelCharacter(KQelScene& pScene, int pIndex);
    // One "LINK" per written link of the character group pGroup.
    bool WriteKQelCharacterLinkGroup(KQelCharacter& pCharacter, int pGroup, KQelEntity& pEntity);
    // The link fields of node id pId when the link's node is in pEntity or
    // it has a template name; false, writing nothing, otherwise.
    bool WriteKQelCharacterLink(KQelCharacter& pCharacter, int pId, KQelEntity& pEntity);
    bool WritePose(KQelScene& pScene);
    bool WriteKQelPose(KQelPose& pPose);
    // Nothing for null.
    bool WriteSceneInfo(KQelSceneInfo* pSceneInfo);
    // Nothing for null or a thumbnail of size 0.
    bool WriteThumbnail(KQelThumbnail* pThumbnail);

    // ---- Geometry and layer elements ----

    // Nothing for a mesh without control points; else the vertices, the
    // polygon corners and the geometry fields. True.
    bool WriteKQelMesh(KQelMesh& pMesh);
    // "Vertices": each control point (x, y, z, 1) through the pivot.
    bool WriteKQelMeshVertices(KQelMesh& pMesh);
    // "PolygonVertexIndex" (nothing without polygons): each polygon's
    // corners from its own start and size, the last one as -(index + 1). A
    // polygon without corners, one whose corners lie outside the corner
    // array, or one with a negative corner cannot be encoded and is left out.
    bool WriteKQelMeshPolyVertexIndex(KQelMesh& pMesh);
    // "GeometryVersion", the element blocks (normals, polygon groups,
    // colours and UVs of meshes only; materials and textures of every
    // geometry), the "Layer" blocks and the shapes. True.
    bool WriteKQelGeometry(KQelGeometry& pGeometry);
    // The element blocks of one type: normals always (index-to-direct ones
    // with "NormalsIndex"); materials, textures and polygon groups unless
    // addressed directly; UVs and colours unless addressed by index. An
    // element's number counts only the elements of its type written before
    // it (0, 1, 2 ...); each written element is entered in pTable with its
    // number. True.
    bool WriteKQelLayerElementNormals(KQelLayerContainer& pContainer, KSet& pTable);
    bool WriteKQelLayerElementMaterials(KQelLayerContainer& pContainer, KSet& pTable);
    bool WriteKQelLayerElementTextures(KQelLayerContainer& pContainer, KSet& pTable);
    bool WriteKQelLayerElementPolygonGroups(KQelLayerContainer& pContainer, KSet& pTable);
    bool WriteKQelLayerElementVertexColors(KQelLayerContainer& pContainer, KSet& pTable);
    bool WriteKQelLayerElementUVs(KQelLayerContainer& pContainer, KSet& pTable);
    // One "Layer" block per layer holding a written element (the elements in
    // pTable), numbered without gaps; it lists only written elements. True.
    bool WriteKQelLayers(KQelLayerContainer& pContainer, KSet& pTable);
    // The position, in the list of pHandler's connections to materials
    // (textures), of the last one leading to the object that index entry
    // pIndex of the element (a KQelLayerElementMaterial* or
    // KQelLayerElementTexture*) names; -1 when none, for a null handler or
    // element, and for an entry outside the index array or naming no entry
    // of the direct array.
    static int MapLayeredMaterialIndexToConnectionIndex(KObject* pHandler, void* pElement, int pIndex);
    static int MapLayeredTextureIndexToConnectionIndex(KObject* pHandler, void* pElement, int pIndex);

    // ---- Surfaces ----

    // Flipped copies (either flip flag) are written instead of the surface
    // and destroyed afterwards; the surface itself is not changed. Nothing
    // for a surface without control points. The fourth value of a point is
    // its weight when finite and above 0.00001, else 1.0. True.
    bool WriteKQelNurb(KQelNurb& pNurb);
    // Nothing for a patch without control points. True.
    bool WriteKQelPatch(KQelPatch& pPatch);
    // The token of patch type pType into the open field; nothing outside
    // 0 to 4. True.
    bool WriteKQelPatchType(KQelPatch& pPatch, int pType);

    // ---- Deformers and shapes ----

    // One "Deformer" block per deformer of the scene's store. True.
    bool WriteDeformers(KQelScene& pScene);
    // The block's fields from "Version" on. A cluster's matrices are rebuilt
    // from their translation, rotation and scaling (no shear); only finite
    // numbers are written: a part of the decomposition that is not finite
    // (an axis row of zero length has no rotation; NaN or infinite entries)
    // is taken as 0 (rotation 0: the axes keep their lengths along X, Y, Z).
    // The transform link's inverse keeps a zero axis zero (a singular link
    // projects instead of blowing up). "AssociateModel" is written when
    // "SrcModelReference" leads to a live node. True.
    bool WriteKQelDeformer(KQelDeformer& pDeformer);
    // One "Shape" block: the points that differ from the base (all of them
    // when the counts match), their offsets through the pivot and, for a
    // mesh, the normal offsets. A shape of another point count, or one equal
    // to its base, is the null shape (index 0, zero offsets). True.
    bool WriteKQelShape(KQelShape& pShape, KString pName, KQelGeometry& pGeometry);
    // Appends to pIndices each i below pBase's count whose shape point
    // differs from the base point in x, y or z (exact; NaN differs). pShape
    // must hold at least as many points.
    static void FindShapeValidIndices(KArrayTemplate<KQelVector4>& pBase, KArrayTemplate<KQelVector4>& pShape,
                                      KArrayTemplate<int>& pIndices);

    // ---- Materials, textures and videos ----

    // One "Material" block per material of the store. True.
    bool WriteMaterials(KQelScene& pScene);
    // From "Version" on; the shading model lower-cased. True.
    bool WriteKQelMaterial(KQelMaterial& pMaterial);
    // One "Texture" block per texture of the store. True.
    bool WriteTextures(KQelScene& pScene);
    // The whole block, header and closing included. True.
    bool WriteKQelTexture(KQelTexture& pTexture);
    // One "Video" block per video. Media are embedded (binary files with
    // write option 12) after the registered image converters were offered
    // each file; a converted image is embedded from a TIFF written to a path
    // where no file existed, removed again afterwards. Each video names its
    // own file again once the textures are written. True.
    bool WriteVideos(KQelScene& pScene);
    // The block's fields from "Type" on. pFileName may be replaced by a
    // converted file's name; pTemporary tells whether the writer created
    // that file. The embedding result when embedding, else true.
    bool WriteKQelVideo(KQelVideo& pVideo, KString& pFileName, bool& pTemporary, bool pEmbed);

private:
    // The field file of the write under way.
    KQel& File();
    // Field pName with its block opened (no values), and the closing pair.
    void BlockBegin(const char* pName);
    void BlockEnd();
    // One field holding one value.
    void FieldI(const char* pName, int pValue);
    void FieldD(const char* pName, double pValue);
    void FieldC(const char* pName, const char* pValue);
    // One field holding pCount doubles.
    void FieldDn(const char* pName, const double* pValues, int pCount);
    // Comment lines (text form): an empty line, pTitle, a rule of
    // pRuleLength hyphens, and an empty line when pTrailingBlank.
    void Banner(const char* pTitle, int pRuleLength, bool pLeadingBlank, bool pTrailingBlank);
    // Object block header: pKind with the object's name and type name, block
    // opened.
    void ObjectBegin(const char* pKind, const char* pName, const char* pTypeName);
    // A relation entry: pKind, name, type name, empty block.
    void RelationEntry(const char* pKind, const char* pName, const char* pTypeName);
    bool WriteRelation(const char* pKind, KQelObject* pObject);
    // The entries of the entity's references of one kind (KQelEntity::EReferenceKind).
    void WriteReferenceRelations(KQelScene& pScene, int pKind, const char* pField);
    // "Type" and "TypeFlags" (one text per flag, the field even when empty).
    void WriteTypeFields(const KString& pTypeName, const KStringList& pFlags);
    // Control-set plug and character header: the object block opened,
    // "Type", "MultiLayer" 0 and the property block.
    void WriteSolverObjectBegin(const char* pKind, KQelObject& pObject);
    // One field holding a time span.
    void FieldTS(const char* pName, const KTimeSpan& pSpan);
    // The object's property block.
    void WriteProperties(KQelObject& pObject);
    // Sends counter x 100 / total (within 0 to 100) to the exporter, then
    // counts one more.
    void ReportProgress();
    void StartProgress(const char* pStatus, int pTotal);
    // One take's "Take" block.
    void WriteTake(KQelScene& pScene, const KString& pName);
    // A write option of the write under way.
    bool Option(int pOption) const;

    IQelObject* mFile;
    KQelExporter& mExporter;
    KStreamOptionsQel* mOptions;
    EExportMode mExportMode;
    int mProgressCounter;
    int mProgressTotal;

    // A Write into mFile failed: FileClose drops the file.
    bool mWriteFailed;
    // A Write went into mFile already.
    bool mWritten;
    // The extension section could not be closed.
    bool mSummaryFailed;
    // The scene's current take when the Write began.
    KString mCurrentTakeName;
    // Reused by the property blocks.
    KArrayTemplate<KProperty*> mPropertyList;
    // Videos whose name a converted file replaced, with their own file and
    // relative names (two entries each): given back after the textures.
    KArrayTemplate<KQelVideo*> mRenamedVideos;
    KArrayTemplate<KString*> mVideoOwnNames;
    // Gives each renamed video its own names back and forgets them.
    void RestoreVideoNames();
};

}  // namespace qelsdk_600

#endif
