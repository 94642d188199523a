// Reader of 3D Studio files.
#ifndef QELSDK_FORMATS_3DS_KQELREADER3DS_H
#define QELSDK_FORMATS_3DS_KQELREADER3DS_H

#include <cstdint>
#include <memory>

#include "base/karraytemplate.h"
#include "formats/toolkit3ds/records3ds_fwd.h"
#include "io/kqelreader.h"

namespace qelsdk_600 {

class KQelCamera;
class KQelLight;
class KQelMarker;
class KQelMesh;
class KQelNode;
class KQelScene;
class KQelTexture;

// Reads a 3D Studio file (mesh file or project) into a scene through the
// toolkit: the ambient and background colours, one material per material
// record with up to two textures, one node per keyframer record carrying the
// mesh, light or camera of its name (a target node ".Target" for each spot
// light and camera), the file's hierarchy, and the keyframe tracks as TCB
// curves of the take "default take" at 30 frames per second. The file is
// Z-up: a file point (x, y, z) becomes (x, z, -y). Positions are multiplied
// by the unit factor (2.54 with "Rescale", times the file's positive master
// scale), or, with "Create Reference Node", the factor is the scaling of a
// node "Qel_Root" above the file's nodes. One reader serves one file:
// FileOpen, GetReadOptions, Read once, FileClose. The toolkit keeps its
// state in process-wide globals, so one 3D Studio read or write runs at a
// time.
//
// Errors: 3 "File not opened" (FileOpen, or Read without a file), 6 "Stream
// options not set" (the read goes on with the flags held), 0 "File is
// corrupted" for a file the toolkit refuses or one that would make more
// scene objects than its bytes describe (the reason then in the message
// text), 7 "Unidentified error" when the scene cannot take an object. A
// failure found before any scene object is made leaves the scene untouched.
class KQelReader3DS : public KQelReader {
public:
    // A texture pair of one material record: the textures made from its
    // texture map and second texture map, null when none was made.
    struct TexturePair {
        KQelTexture* mFirst;
        KQelTexture* mSecond;
    };

    // No file, no database, empty tables; every flag on but "Reduce Keys"
    // and "Create Reference Node"; unit factor 1.
    explicit KQelReader3DS(KQelSdkManager& pManager);
    // Closes the file and releases whatever a read left.
    ~KQelReader3DS() override;

    // Opens the file through the toolkit for reading; false with error 3
    // when it cannot (null path included).
    bool FileOpen(const char* pFileName) override;
    // Closes the file; true.
    bool FileClose() override;
    // Always true.
    bool IsFileOpen() override;
    // A new KStreamOptions3ds at its defaults; the caller owns it.
    KStreamOptions* GetReadOptions(bool pParseFile = true) override;
    // Takes the flags of a KStreamOptions3ds (setting its take name to
    // "default take"), fetches every record of the file, imports them into
    // the scene and releases the toolkit state, the records and the files,
    // whatever the outcome. True when the whole file was read.
    bool Read(KQelScene& pScene, KStreamOptions* pOptions) override;

    // Turns the fetched tables into scene content, in the order ambient and
    // background colours, materials, attributes, nodes, reference node,
    // hierarchy, animation, take information. False as soon as a step fails.
    virtual bool ImportScene(KQelScene& pScene);
    // Creates the attribute of every mesh, light and camera record (and the
    // target marker of each spot light and camera) and converts it; true.
    virtual bool ImportAllObjects();

    // The unit factor of the last read.
    double GetUnitFactor() const { return mUnitFactor; }

protected:
    // ---- Materials ----

    // One material per material record, in file order, with its textures
    // ("Texture Mapping"); fills the texture-pair set. False when a material
    // cannot be made.
    bool ImportMaterials();

    // ---- Meshes ----

    // Fills a fresh mesh from a mesh record: control points split by
    // smoothing group, one triangle per face with material and texture
    // indices, UVs by polygon vertex, normals by control point, a second
    // layer for second textures. True (also for a null record).
    bool ConvertMesh3DStoTV(mesh3ds* pMesh, KQelMesh* pQelMesh);

    // ---- Lights, cameras, nodes and hierarchy ----

    bool ConvertOmnilight3DStoTV(light3ds* pLight, KQelLight* pQelLight);
    bool ConvertSpotlight3DStoTV(light3ds* pLight, KQelLight* pQelLight);
    bool ConvertCamera3DStoTV(camera3ds* pCamera, KQelCamera* pQelCamera);
    // Makes the node (and target node) of every keyframer record and gives
    // it the attribute of the object of its name; true.
    bool Create3DSNodeToKModelLookup();
    // Hangs pNode below the first node of the manager named pParentName;
    // false, nothing changed, when there is none or it would make a cycle.
    bool UniteWithParent(KQelNode* pNode, const char* pParentName);
    bool ImportMeshHierarchy(KQelScene& pScene);
    bool ImportOmnilightHierarchy(KQelScene& pScene);
    bool ImportSpotlightHierarchy(KQelScene& pScene);
    bool ImportCameraHierarchy(KQelScene& pScene);

    // ---- Animation ----

    bool ImportMeshAnim();
    bool ImportOmnilightAnim();
    bool ImportSpotlightAnim();
    bool ImportCameraAnim();
    // One track into the curves of pNode's current take node: keys when it
    // has more than one key and "Anim" is on, else a constant value.
    bool CreateTransDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys, point3ds* pValues);
    bool CreateRotDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys,
                                  kfrotkey3ds* pValues);
    bool CreateScaleDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys, point3ds* pValues);
    bool CreateColorDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys,
                                    fcolor3ds* pValues);
    // The light's cone angle from a hotspot track.
    bool CreateScalarDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys, float* pValues);
    bool CreateFOVDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys, float* pValues);
    bool CreateRollDataFrom3DSAnim(KQelNode* pNode, std::uint32_t pCount, keyheader3ds* pKeys, float* pValues);

    // Releases the mesh settings, the database, the texture-pair set and
    // every fetched record, and closes every toolkit file; false when the
    // toolkit's error flag is set.
    bool CleanupRead();

private:
    struct ReadState;

    // Steps of Read: every record of the file into the tables (false on a
    // toolkit error), and the size guard.
    bool FetchRecords();
    bool CheckSceneSize();
    // Releases every fetched record (entries become null).
    void ReleaseRecords();
    // Releases the records and empties every table and count.
    void ResetTables();
    // The node that nodes without a parent go below.
    KQelNode* DefaultParent(KQelScene& pScene) const;
    // Places pNode below its parent by name, or below the default parent.
    bool PlaceNode(KQelScene& pScene, KQelNode* pNode, const char* pParentName);
    // Places a light's or camera's node and its target, and aims the one at
    // the other.
    void PlaceWithTarget(KQelScene& pScene, KQelNode* pNode, KQelNode* pTarget, const char* pParentName,
                         const char* pTargetParentName);
    // Makes "default take" the current take node of pNode.
    static void EnterDefaultTake(KQelNode* pNode);

    // Option flags, in the order of options 8, 7, 9, 10, 11, 12, 15, 13, 16,
    // 1 and 14.
    bool mTextureMapping;
    bool mMaterials;
    bool mAnim;
    bool mGeometries;
    bool mLights;
    bool mCamera;
    bool mReduceKeys;
    bool mAmbientLight;
    bool mSmoothGroup;
    bool mCreateReferenceNode;
    bool mRescale;

    filecontext3ds* mFile;
    database3ds* mDatabase;
    meshset3ds* mMeshSettings;
    double mUnitFactor;
    float mAmbientColor[3];
    // "Qel_Root", made with "Create Reference Node"; owned by the manager.
    KQelNode* mReferenceNode;

    // Tables: entry i of an attribute table belongs to record i of its kind,
    // entry i of a node table to motion record i. Records belong to the
    // reader until released (their entries then null), scene objects to the
    // manager.
    KArrayTemplate<mesh3ds*> mMeshes;
    KArrayTemplate<KQelMesh*> mMeshAttributes;
    KArrayTemplate<objectmotion3ds*> mObjectMotions;
    KArrayTemplate<KQelNode*> mObjectNodes;
    KArrayTemplate<material3ds*> mMaterialRecords;
    KArrayTemplate<light3ds*> mOmnilights;
    KArrayTemplate<KQelLight*> mOmnilightAttributes;
    KArrayTemplate<omnimotion3ds*> mOmnilightMotions;
    KArrayTemplate<KQelNode*> mOmnilightNodes;
    KArrayTemplate<light3ds*> mSpotlights;
    KArrayTemplate<KQelLight*> mSpotlightAttributes;
    KArrayTemplate<KQelMarker*> mSpotlightTargetMarkers;
    KArrayTemplate<spotmotion3ds*> mSpotlightMotions;
    KArrayTemplate<KQelNode*> mSpotlightNodes;
    KArrayTemplate<KQelNode*> mSpotlightTargetNodes;
    KArrayTemplate<camera3ds*> mCameras;
    KArrayTemplate<KQelCamera*> mCameraAttributes;
    KArrayTemplate<KQelMarker*> mCameraTargetMarkers;
    KArrayTemplate<cameramotion3ds*> mCameraMotions;
    KArrayTemplate<KQelNode*> mCameraNodes;
    KArrayTemplate<KQelNode*> mCameraTargetNodes;
    std::uint32_t mMeshCount;
    std::uint32_t mObjectMotionCount;
    std::uint32_t mMaterialCount;
    std::uint32_t mOmnilightCount;
    std::uint32_t mOmnilightMotionCount;
    std::uint32_t mSpotlightCount;
    std::uint32_t mSpotlightMotionCount;
    std::uint32_t mCameraCount;
    std::uint32_t mCameraMotionCount;

    // One texture pair per material record, in file order; a material group
    // takes the pair of the first record of its name.
    KArrayTemplate<TexturePair> mTexturePairs;
    // Records by name, maps standing for the manager's finds, and what the
    // passes hand on to each other.
    std::unique_ptr<ReadState> mState;
};

}  // namespace qelsdk_600

#endif
