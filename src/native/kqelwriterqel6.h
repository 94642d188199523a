// Writer of the current QEL layout (header version 6000).
#ifndef QELSDK_NATIVE_KQELWRITERQEL6_H
#define QELSDK_NATIVE_KQELWRITERQEL6_H

#include "base/karraytemplate.h"
#include "base/kstring.h"
#include "base/kstringlist.h"
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
class KQelLight;
class KQelMesh;
class KQelNode;
class KQelNull;
class KQelNurb;
class KQelObject;
class KQelPatch;
class KQelPose;
class KQelScene;
class KQelSceneInfo;
class KQelSkeleton;
class KQelTakeNodeContainer;
class KQelThumbnail;
class KStreamOptions;
class KStreamOptionsQel;
class KTimeSpan;

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
    // (error 2) or for a second Write into the same file (error 2). False
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

    // ---- Geometry, deformers, materials, textures and videos ----
    //
    // Declared for the attribute dispatch and the Objects section; each
    // writes nothing yet and answers true.

    bool WriteKQelMesh(KQelMesh& pMesh);
    bool WriteKQelNurb(KQelNurb& pNurb);
    bool WriteKQelPatch(KQelPatch& pPatch);
    bool WriteKQelGeometry(KQelGeometry& pGeometry);
    bool WriteMaterials(KQelScene& pScene);
    bool WriteDeformers(KQelScene& pScene);
    bool WriteVideos(KQelScene& pScene);
    bool WriteTextures(KQelScene& pScene);

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
};

}  // namespace qelsdk_600

#endif
