// The writer of the older node-centric layout (header version 5800).
#ifndef QELSDK_NATIVE_WRITER_KQELWRITERQEL_H
#define QELSDK_NATIVE_WRITER_KQELWRITERQEL_H

#include "base/karraytemplate.h"
#include "base/kset.h"
#include "base/kstring.h"
#include "io/kqelwriter.h"

namespace qelsdk_600 {

class IQelObject;
class KQel;
class KQelCamera;
class KQelCameraSwitcher;
class KQelCharacter;
class KQelCharacterPose;
class KQelControlSet;
class KQelEntity;
class KQelExporter;
class KQelFilterSet;
class KQelGeometry;
class KQelGobo;
class KQelLight;
class KQelLink;
class KQelMaterial;
class KQelMesh;
class KQelNode;
class KQelNull;
class KQelNurb;
class KQelObject;
class KQelOpticalReference;
class KQelPatch;
class KQelPose;
class KQelSceneInfo;
class KQelShape;
class KQelSkeleton;
class KQelVector4;
class KQelTakeNodeContainer;
class KQelTexture;
class KQelThumbnail;
class KStreamOptionsQel;

// Writes a scene as one main section of scene-level blocks and one "Model"
// block per node, then a "Summary" extension section. Made by the exporter
// for formats 3 (binary) and 4 (text), and for every nested scene (a
// character pose written into the file being written).
//
// Error ids (KQelWriter::EError): 0 corrupted, 1 not opened, 2 not created,
// 3 out of disk space (any file error after a block), 4 options not set,
// 5 anything else.
//
// A file into which Write failed is never published: FileClose (also
// through the destructor) discards it, leaving a file already at that name
// byte for byte and no temporary file.
//
// Block writers live in src/native/blocks/, one unit per block family; each
// writes at the field file's current position (mFile) under the current
// options (mOptions) and answers true unless stated.
class KQelWriterQel : public KQelWriter {
public:
    enum EExportMode : int { eASCII = 0, eBINARY = 1, eENCRYPTED = 2 };

    // No file, no options, binary mode.
    KQelWriterQel(KQelSdkManager& pManager, KQelExporter& pExporter);
    // Closes the file when one is open (discarding it after a failed Write).
    ~KQelWriterQel() override;

    // Takes effect at the next FileCreate.
    void SetExportMode(EExportMode pMode) { mExportMode = pMode; }

    // ---- KQelWriter ----

    // Creates the file (relative names from the current directory) with
    // header version 5800, through a temporary name. Failure keeps the file
    // layer's text: its id 0 gives 0, 4 gives 2, others 5. The field file
    // object stays until FileClose.
    bool FileCreate(const char* pFileName) override;
    // Gives the file its final name, or discards it when the last Write
    // failed. False with error 1 without a file; when closing failed, 1 if
    // the file layer's id is 3, else 5 with its text.
    bool FileClose() override;
    bool IsFileOpen() override;
    // GetWriteOptions(nullptr).
    KStreamOptions* GetWriteOptions() override;
    // Write(pScene, pOptions, nullptr).
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;

    // A new default KStreamOptionsQel; the caller owns it.
    virtual KStreamOptions* GetWriteOptions(IQelObject* pObject);
    // The document writer: the main section's blocks in their fixed order,
    // each gated by its option, then (whole files) the summary. Motion
    // options write the animation alone. With pObject the scene is written
    // into that open file at its current position (a nested scene) and no
    // section is closed. False with error 4 for missing or foreign options,
    // 2 without a file, 5 with the reason as text, nothing written, when a
    // geometry it would write (option eModelAttribute) holds a link that the
    // reader refuses (native_detail::FindRefusedGeometry; layer elements are
    // converted to what the reader takes, or left out), 3 when the field
    // file reports an error after a block (the later blocks are skipped,
    // the summary still written).
    virtual bool Write(KQelScene& pScene, KStreamOptions* pOptions, IQelObject* pObject);

    // Writes the password fields when the options ask for protection with a
    // non-empty password. True.
    bool WritePassword();
    // "SceneGenericPersistence" with character poses, poses and the scene
    // information, when the scene has any of them. True.
    bool WriteSceneGenericPersistenceSection(KQelScene& pScene);

    // ---- Summary (blocks/kqelblocks_summary.cpp) ----

    // The "Summary" block in a new extension section; false when the file
    // refuses the section.
    bool WriteExtensionSection(KQelScene& pScene, int pMediaCount);

    // ---- Scene information and thumbnail (blocks/kqelblocks_sceneinfo.cpp) ----

    bool WriteSceneInfo(KQelSceneInfo* pSceneInfo);
    bool WriteThumbnail(KQelThumbnail* pThumbnail);

    // ---- Global light settings (blocks/kqelblocks_globallight.cpp) ----

    // "AmbientRenderSettings", "FogOptions", and "ShadowPlanes" when the
    // scene has a shadow plane.
    bool WriteGlobalLightSettings(KQelScene& pScene);

    // ---- Gobos (blocks/kqelblocks_gobo.cpp) ----

    // "GoboManager", also when empty.
    bool WriteGobo(KQelScene& pScene);
    void WriteGoboSection(KQelScene& pScene);
    // The four fields of one "Gobo" block (open).
    void WriteKQelGobo(KQelGobo& pGobo);

    // ---- Global camera and time settings (blocks/kqelblocks_globalcamera.cpp) ----

    // "RendererSetting" and "Settings" (the producer cameras, whose nodes
    // are hidden and given shading mode 1, then the time settings).
    bool WriteGlobalCameraAndTimeSettings(KQelScene& pScene);

    // ---- Model blocks (blocks/kqelblocks_model.cpp) ----

    // Reports progress, then writes a "Model" block for every node below
    // pNode, a node before its subtree, children in order (without
    // recursion). True.
    bool WriteNode(KQelNode* pNode);
    // One node's "Model" block: begin, parameters, Default-take channels,
    // children, end. True.
    bool WriteKQelNode(KQelNode& pNode);
    // The node's fields from "Version" to its properties: the body of a
    // model block, and of the scene's "Switcher" block. True.
    bool WriteKQelNodeParameters(KQelNode& pNode);
    // The sub-blocks, in block order; each answers true.
    bool WriteKQelNodeBegin(KQelNode& pNode);
    bool WriteKQelNodeVersion(KQelNode& pNode);
    bool WriteKQelNodeAnimationSettings(KQelNode& pNode);
    bool WriteKQelNodeShading(KQelNode& pNode);
    bool WriteKQelNodeCullingType(KQelNode& pNode);
    // "LookAtModel" with the post-target rotation and up vector when they
    // turn (a triple equal to (0, 0, 0) within 1e-6, or to its 180-degree
    // flip, is left out), and "UpVectorModel".
    bool WriteKQelNodeTarget(KQelNode& pNode);
    // "AnimatedProperty" and "Animated", then the "UserProperty" blocks.
    bool WriteKQelNodeAnimatedProperties(KQelNode& pNode);
    // The attribute's block by type (a node without attribute, and a
    // geometry with option eModelAttribute off, as a null of size 100). A
    // camera switcher on a tree node is preceded by "Type" "CameraSwitcher".
    bool WriteKQelNodeAttribute(KQelNode& pNode);
    // Only outside the older layout: the node's property block.
    bool WriteKQelNodeProperties(KQelNode& pNode);
    bool WriteKQelNodeDefaultAttributes(KQelNode& pNode);
    bool WriteKQelNodeChildrenList(KQelNode& pNode);
    bool WriteKQelNodeEnd(KQelNode& pNode);

    // ---- Limits (blocks/kqelblocks_limits.cpp) ----

    // "Limits": the three automatic flags, then each value that differs from
    // the reader's default. True.
    bool WriteKQelNodeLimits(KQelNode& pNode);

    // ---- User properties (blocks/kqelblocks_hierarchy.cpp) ----

    // A "UserProperty" block for each user property of the node that the
    // older layout stores (flag eUserProperty). True.
    bool WriteKQelNodeUserProperties(KQelNode& pNode);

    // ---- Takes (blocks/kqelblocks_take.cpp) ----

    // Channels of the animated-channel table, by kind.
    enum ETextureChannel : int { eTextureTranslation, eTextureRotation, eTextureScaling, eTextureAlpha,
                                 eTextureChannelCount };
    enum EMaterialChannel : int { eMaterialAmbient, eMaterialDiffuse, eMaterialSpecular, eMaterialEmissive,
                                  eMaterialOpacity, eMaterialShininess, eMaterialReflectivity,
                                  eMaterialChannelCount };
    // For every texture and material of the scene, which of its channels
    // some take animates (a colour or vector channel through any of X, Y,
    // Z). Called before the models.
    void FindAnimatedChannels(KQelScene& pScene);
    // Frees the records; called at the end of a write.
    void ClearAnimatedChannels();
    // The flags collected for a texture (eTextureChannelCount of them) or a
    // material (eMaterialChannelCount), in enumeration order; null for an
    // object FindAnimatedChannels did not see.
    const bool* GetTextureAnimatedChannels(const KQelObject* pTexture) const;
    const bool* GetMaterialAnimatedChannels(const KQelObject* pMaterial) const;
    // The "Takes" section: one "Take" per selected take but "Default" (a
    // take without record gets one), with the switcher's, the nodes', the
    // textures' and the materials' blocks. The scene's current take is
    // current again afterwards. True.
    bool WriteAnimation(KQelScene& pScene);
    // The blocks of the nodes below pNode for take pTake. True.
    bool WriteAnimation(KQelNode& pNode, const char* pTake);
    // One object's block for take pTake under field pField; false, nothing
    // written, when the object has no take node of exactly that name. A
    // material's shininess is written on the 0 to 100 scale (x 100/128)
    // from a copy: the scene's curve is never touched.
    bool WriteTakeNode(KQelTakeNodeContainer& pObject, const char* pTake, const char* pField, bool pMaterial);

    // ---- Poses and constraints (blocks/kqelblocks_pose.cpp) ----

    // The bind and rest pose blocks; true when the scene has a pose.
    bool WritePose(KQelScene& pScene);
    // The fields after "Type" of one pose. True.
    bool WriteKQelPose(KQelPose& pPose);
    // The character pose blocks; false when the scene has none.
    bool WriteCharacterPose(KQelScene& pScene);
    // A character pose's own scene, nested into this file by a second
    // exporter; its answer.
    bool WriteKQelCharacterPose(KQelCharacterPose& pPose);
    // "Constraints" listing the characters; nothing without one. True.
    bool WriteConstraint(KQelScene& pScene);

    // ---- Characters (blocks/kqelblocks_character.cpp) ----

    // One "CHARACTER" block per character. True.
    bool WriteCharacter(KQelScene& pScene);
    bool WriteKQelCharacter(KQelScene& pScene, int pIndex);
    // A group's "LINK" blocks: each used link, and with pLegacy every
    // version-4000 element. A link is used when it has a node of pEntity
    // or a template name.
    bool WriteKQelCharacterLinkGroup(KQelCharacter& pCharacter, int pGroup, KQelEntity& pEntity, bool pLegacy);
    // A link's fields; the offsets when it is used or pOffsets.
    bool WriteKQelCharacterLink(KQelCharacter& pCharacter, int pNodeId, KQelEntity& pEntity, bool pOffsets);
    bool WriteKQelFilterSet(KQelFilterSet& pFilterSet);
    bool WriteKQelControlSet(KQelControlSet& pControlSet, KQelEntity& pEntity, bool pLegacy);
    bool WriteKQelControlSetLinkGroup(KQelControlSet& pControlSet, int pGroup, KQelEntity& pEntity, bool pLegacy);
    bool WriteKQelControlSetLink(KQelControlSet& pControlSet, int pNodeId, KQelEntity& pEntity);
    // An effector (auxiliary node of set 1) whose node is in pEntity.
    bool WriteKQelEffector(KQelControlSet& pControlSet, int pId, KQelEntity& pEntity);
    bool WriteKQelEffectorAux(KQelControlSet& pControlSet, int pId, KQelEntity& pEntity);
    // Marker sets and actors are never stored: nothing is written.
    bool WriteMarkerSet(KQelScene& pScene);
    bool WriteKQelMarkerSet(KQelScene& pScene, int pIndex);
    bool WriteActor(KQelScene& pScene);
    bool WriteKQelActor(KQelScene& pScene, int pIndex);

    // ---- Geometry common part (blocks/kqelblocks_geometry.cpp) ----
    //
    // Node attributes written at the current level of the field file, in
    // the geometry's pivot space.

    // Materials of layer 0, textures of every layer (layer by layer), links,
    // shapes, then the "GeometryLayer" blocks. True.
    bool WriteKQelGeometry(KQelGeometry& pGeometry);
    // One "GeometryLayer" per texture layer (a mesh's first excepted); false
    // when one could not be expressed (its block holds only "LayerIndex").
    bool WriteKQelGeometryLayer(KQelGeometry& pGeometry);
    // "LayerTextureInfo" of the pTextureLayer-th layer holding textures;
    // false, writing nothing, when its textures cannot be expressed. Texture
    // ids are positions among the geometry's "Texture" blocks. A UV element
    // that cannot be expressed gets mapping none in the scene.
    bool WriteKQelGeometryTextureLayer(KQelGeometry& pGeometry, int pTextureLayer);

    // ---- Mesh (blocks/kqelblocks_mesh.cpp) ----

    // The mesh fields; only the surface parameters without control points.
    // True.
    bool WriteKQelMesh(KQelMesh& pMesh);
    bool WriteKQelMeshVertices(KQelMesh& pMesh);
    // Only normals the reader maps back as they were: one per control point
    // or per polygon vertex.
    bool WriteKQelMeshNormals(KQelMesh& pMesh);
    // Entries the index arrays lack, or that name no material (texture),
    // are written as the last one.
    bool WriteKQelMeshMaterial(KQelMesh& pMesh);
    bool WriteKQelMeshTexture(KQelMesh& pMesh);
    bool WriteKQelMeshPolyVertexIndex(KQelMesh& pMesh);
    bool WriteKQelMeshPolyGroupIndex(KQelMesh& pMesh);
    bool WriteKQelMeshGeometryUVInfo(KQelMesh& pMesh);
    // False, writing nothing, when the colours do not cover the mesh.
    bool WriteKQelMeshVertexColors(KQelMesh& pMesh);

    // ---- NURBS surfaces and patches (blocks/kqelblocks_surface.cpp) ----

    // The surface fields (a NURBS asking for it written as its flipped
    // copy); nothing without control points. True.
    bool WriteKQelNurb(KQelNurb& pNurb);
    bool WriteKQelPatch(KQelPatch& pPatch);
    // The token of a patch type as the next value of the open field;
    // nothing outside 0 to 4. True.
    bool WriteKQelPatchType(KQelPatch& pPatch, int pType);

    // ---- Links and shapes (blocks/kqelblocks_link.cpp, kqelblocks_shape.cpp) ----

    // A "Link" block; false, nothing written, without link node.
    bool WriteKQelLink(KQelLink& pLink);
    // A "Shape" block named pName: the points (and, for a mesh, normals)
    // where the shape differs from pGeometry, in pivot space. True.
    bool WriteKQelShape(KQelShape& pShape, KString pName, KQelGeometry& pGeometry);
    // Appends every position below both counts where the two points differ
    // in x, y or z.
    static void FindShapeValidIndices(KArrayTemplate<KQelVector4>& pGeometry, KArrayTemplate<KQelVector4>& pShape,
                                      KArrayTemplate<int>& pIndices);

    // ---- Other attributes (kqelblocks_light.cpp, kqelblocks_null.cpp,
    // kqelblocks_cameraswitcher.cpp) ----

    bool WriteKQelLight(KQelLight& pLight);
    // Null (no null: size 100), the node's marker, optical reference.
    bool WriteKQelNull(KQelNull* pNull);
    bool WriteKQelMarker(KQelNode& pNode);
    bool WriteKQelOpticalReference(KQelOpticalReference& pReference);
    // By skeleton type; false, nothing written, outside 0 to 3. An effector
    // is written as a root.
    bool WriteKQelSkeleton(KQelSkeleton& pSkeleton);
    bool WriteKQelSkeletonRoot(KQelSkeleton& pSkeleton);
    bool WriteKQelSkeletonLimb(KQelSkeleton& pSkeleton);
    bool WriteKQelSkeletonLimbNode(KQelSkeleton& pSkeleton);
    bool WriteKQelSkeletonEffector(KQelSkeleton& pSkeleton);
    // The switcher attribute's fields.
    bool WriteKQelCameraSwitcher(KQelCameraSwitcher& pSwitcher);

    // Media (blocks/kqelblocks_media.cpp): gives every texture and camera
    // background a media name (one per distinct cleaned path, made unique by
    // a number), writes "Media" with one clip per name; pMediaCount receives
    // the number of clips written. Converted TIFF files made for the section
    // are deleted after it; the source images are never changed. True.
    bool WriteMedia(KQelScene& pScene, bool pEmbed, int& pMediaCount);
    // One clip block. With pEmbed in a binary file the content is embedded,
    // as a TIFF in a new file of this writer's own when an image converter
    // takes the image (pFileName then names it and pRemoveAfter is set);
    // false only when embedding the content failed.
    bool WriteMediaClip(KString& pFileName, bool pEmbed, bool& pRemoveAfter);
    // A live video input entry ("Video input 1").
    void WriteDefaultMedia();
    // Index of the first item equal to pText (exactly), -1 when none.
    static int FindString(KString pText, KArrayTemplate<KString*>& pList);
    // Textures and materials (blocks/kqelblocks_material.cpp): one "Texture"
    // or "Material" block at the current level. True.
    bool WriteKQelTexture(KQelTexture& pTexture);
    bool WriteKQelMaterial(KQelMaterial& pMaterial);
    // Camera switcher (blocks/kqelblocks_cameraswitcher.cpp).
    bool WriteCameraSwitcher(KQelScene& pScene);
    // Camera (blocks/kqelblocks_camera.cpp).
    bool WriteKQelCamera(KQelCamera& pCamera, bool pProducer);
    // Shape names (blocks/kqelblocks_shape.cpp).
    void ConvertShapeNamesToV5Format(KQelNode& pNode);
    void RevertShapeNamesToV6Format(KQelNode& pNode);

protected:
    // The main section's blocks; false once a block left a file error.
    bool WriteBlocks(KQelScene& pScene, int& pMediaCount);
    // The field file's error after a block: error 3 and false when it has one.
    bool CheckFile();
    // The names of the user properties the older layout stores, as values
    // of the open field (blocks/kqelblocks_hierarchy.cpp).
    void WriteUserPropertyNames(KQelNode& pNode);
    // One take's "Take" block (skipped when unselected or "Default").
    void WriteTake(KQelScene& pScene, const char* pName);
    // A progress step of the take being written.
    void ReportTakeProgress();
    // The current field file's KQel.
    KQel& File();

    KQelExporter& mExporter;
    // The field file in use: the writer's own, or a nested write's borrowed
    // one. Null before FileCreate.
    IQelObject* mFile;
    // The options of the Write under way, null otherwise; not owned.
    KStreamOptionsQel* mOptions;
    EExportMode mExportMode;
    // Nodes written so far and to write, for progress.
    int mNodeCount;
    int mNodeTotal;
    // Object → animated-channel record, collected before the models.
    KSet mTextureAnimatedChannels;
    KSet mMaterialAnimatedChannels;
    // The last Write into the writer's own file failed: FileClose discards.
    bool mWriteFailed;
    // A node of the tree is being written (not the scene's switcher block).
    bool mWritingTreeNode = false;
};

// Removes a trailing " (Bool)", " (Real)", " (Color)", " (Integer)" or
// " (Vector)" (the first of these, in this order, that ends the name).
void RemoveTypeIdentifierFromName(KString& pName);

}  // namespace qelsdk_600

#endif
