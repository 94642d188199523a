// The writer of the older node-centric layout (header version 5800).
#ifndef QELSDK_NATIVE_WRITER_KQELWRITERQEL_H
#define QELSDK_NATIVE_WRITER_KQELWRITERQEL_H

#include "base/kset.h"
#include "base/kstring.h"
#include "io/kqelwriter.h"

namespace qelsdk_600 {

class IQelObject;
class KQel;
class KQelCamera;
class KQelCameraSwitcher;
class KQelCharacterPose;
class KQelExporter;
class KQelGobo;
class KQelNode;
class KQelPose;
class KQelSceneInfo;
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
    // 2 without a file, 3 when the field file reports an error after a
    // block (the later blocks are skipped, the summary still written).
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

    // ---- Blocks filled by later units; each writes nothing yet ----

    // Media (blocks/kqelblocks_media.cpp): pMediaCount receives the number
    // of clips written.
    bool WriteMedia(KQelScene& pScene, bool pEmbed, int& pMediaCount);
    // Camera switcher (blocks/kqelblocks_cameraswitcher.cpp).
    bool WriteCameraSwitcher(KQelScene& pScene);
    // Takes (blocks/kqelblocks_take.cpp).
    void FindAnimatedChannels(KQelScene& pScene);
    void ClearAnimatedChannels();
    bool WriteAnimation(KQelScene& pScene);
    // Model blocks (blocks/kqelblocks_model.cpp): WriteNode writes the
    // subtree below pNode; WriteKQelNodeParameters the node's fields from
    // "Version" to its properties.
    bool WriteNode(KQelNode* pNode);
    bool WriteKQelNodeParameters(KQelNode& pNode);
    // Camera (blocks/kqelblocks_camera.cpp).
    bool WriteKQelCamera(KQelCamera& pCamera, bool pProducer);
    // Characters, marker sets, actors (blocks/kqelblocks_character.cpp).
    bool WriteCharacter(KQelScene& pScene);
    bool WriteMarkerSet(KQelScene& pScene);
    bool WriteActor(KQelScene& pScene);
    // Poses and constraints (blocks/kqelblocks_pose.cpp).
    bool WritePose(KQelScene& pScene);
    bool WriteCharacterPose(KQelScene& pScene);
    bool WriteConstraint(KQelScene& pScene);
    // Shape names (blocks/kqelblocks_shape.cpp).
    void ConvertShapeNamesToV5Format(KQelNode& pNode);
    void RevertShapeNamesToV6Format(KQelNode& pNode);

protected:
    // The main section's blocks; false once a block left a file error.
    bool WriteBlocks(KQelScene& pScene, int& pMediaCount);
    // The field file's error after a block: error 3 and false when it has one.
    bool CheckFile();
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
};

// Removes a trailing " (Bool)", " (Real)", " (Color)", " (Integer)" or
// " (Vector)" (the first of these, in this order, that ends the name).
void RemoveTypeIdentifierFromName(KString& pName);

}  // namespace qelsdk_600

#endif
