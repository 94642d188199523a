// The reader of native files of both layouts and its document driver.
#ifndef QELSDK_NATIVE_READER_KQELREADERQEL_H
#define QELSDK_NATIVE_READER_KQELREADERQEL_H

#include "base/karraytemplate.h"
#include "base/kcharptrset.h"
#include "base/kstring.h"
#include "io/kqelreader.h"

namespace qelsdk_600 {

class IQelObject;
class KQel;
class KQelCamera;
class KQelCameraSwitcher;
class KQelCharacter;
class KQelCharacterPose;
class KQelControlSet;
class KQelDeformer;
class KQelFilterSet;
class KQelGenericNode;
class KQelGobo;
class KQelImporter;
class KQelMaterial;
class KQelNode;
class KQelObject;
class KQelPose;
class KQelSceneInfo;
class KQelTakeInfo;
class KQelTexture;
class KQelThumbnail;
class KQelVideo;
class KStreamOptionsQel;

// One object type named by the "Definitions" of a current-layout document.
// The reader fills mType and leaves the other two empty.
struct ObjectTypeInfo {
    KString mType;
    KString mSubType;
    KString mName;
};

// Index of the first record whose type equals pType exactly, or -1.
int FindTypeIndex(const KString& pType, const KArrayTemplate<ObjectTypeInfo*>& pList);

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

    // ---- Blocks filled by later units; each reads nothing yet ----

    // Takes (blocks/kqelblocks_take.cpp).
    bool ReadAnimation(KQelScene& pScene);
    // Characters, marker sets, actors (blocks/kqelblocks_character.cpp).
    bool ReadCharacter(KQelScene& pScene);
    bool ReadKQelCharacter(KQelCharacter& pCharacter, int& pInputIndex);
    bool ReadMarkerSet(KQelScene& pScene);
    bool ReadActor(KQelScene& pScene);
    // Model blocks (blocks/kqelblocks_model.cpp). ReadNode reads every
    // "Model" block of an older-layout section; ReadKQelNode one node's
    // block (open) of either layout.
    bool ReadNode();
    bool ReadKQelNode(KQelNode& pNode);
    bool ReadKQelGenericNode(KQelGenericNode& pNode);
    // The node table's entry for a full name ("Model::…"), or null.
    KQelNode* FindNode(const char* pName);
    // Hierarchy of the older layout (blocks/kqelblocks_hierarchy.cpp).
    bool ReadHierarchy(KQelNode& pRoot);
    // Poses (blocks/kqelblocks_pose.cpp). ReadCharacterPose answers 1 when
    // it read the poses itself (the plain pose reader is then skipped).
    int ReadCharacterPose(KQelScene& pScene);
    bool ReadPose(KQelScene& pScene);
    bool ReadKQelPose(KQelPose* pPose, bool pBindPose);
    bool ReadKQelCharacterPose(KQelCharacterPose& pPose);
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
    void RemoveDuplicateTextures(KQelScene& pScene);
    void RemoveDuplicateMaterials(KQelScene& pScene);
    // Media (blocks/kqelblocks_media.cpp).
    bool ReadMedia(KQelScene& pScene, const char* pUnused);
    bool ReadKQelVideo(KQelVideo& pVideo);
    // A "Video" object, as ReadMaterialObject.
    KQelObject* ReadVideoObject(const char* pName);
    // Version-6 deformers (blocks/kqelblocks_deformer.cpp).
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
};

}  // namespace qelsdk_600

#endif
