// The scene: the container that readers fill and writers walk.
#ifndef QELSDK_SCENE_KQELSCENE_H
#define QELSDK_SCENE_KQELSCENE_H

#include "base/karraytemplate.h"
#include "base/kerror.h"
#include "base/kstring.h"

namespace qelsdk_600 {

class KQelCharacter;
class KQelCharacterPose;
class KQelControlSetPlug;
class KQelDeformer;
class KQelEntity;
class KQelGenericNode;
class KQelGlobalCameraSettings;
class KQelGlobalLightSettings;
class KQelGlobalTimeSettings;
class KQelMaterial;
class KQelNode;
class KQelObject;
class KQelPose;
class KQelSceneInfo;
class KQelSdkManager;
class KQelTakeInfo;
class KQelTakeNodeContainer;
class KQelTexture;

// One scene: its object store (root node, nodes, materials, textures,
// videos, generic nodes, deformers), the camera-switcher node held apart from
// the tree, the characters, control-set plugs and character poses it makes
// and owns, the poses it refers to (the manager owns those), the global
// light, camera and time settings, the scene information and the
// information of each take. Made and destroyed by its manager
// (CreateKQelScene, DestroyKQelScene), which also owns every node, attribute,
// generic node and scene information the scene creates or destroys.
//
// The take operations act on every animatable object of the scene: the
// switcher node, then the store's nodes (the switcher skipped when the store
// lists it too), textures, materials and generic nodes; each is visited once
// per walk, every object is called even after one failed, and a failure
// sets error 0 with a text that ends with the take's name.
class KQelScene {
public:
    // The store (whose root node "Model::RootNode" the manager makes), the
    // switcher node "Model::Camera Switcher" (hidden, wire-frame shading,
    // carrying a new camera switcher), default global settings; no scene
    // information, no take information, empty current take name.
    explicit KQelScene(KQelSdkManager& pManager);
    // Detaches the generic nodes and deletes the store; destroys the switcher
    // node (with its subtree) and the scene information through the manager;
    // ends the characters, control-set plugs and character poses; forgets
    // the poses; deletes the settings and the take information. The root
    // node and the tree stay with the manager (DestroyKQelScene with its
    // recursive flag ends them).
    ~KQelScene();
    KQelScene(const KQelScene&) = delete;
    KQelScene& operator=(const KQelScene&) = delete;

    // Returns the scene to its constructed state: the root's subtrees are
    // destroyed through the manager, the root and the switcher node keep
    // only their take "Default", the switcher node is renamed, hidden and
    // shaded as new with default camera index 0, the scene information, the
    // characters, control-set plugs and character poses are ended, the pose
    // list emptied, every generic node of the store destroyed, the settings
    // restored, the current take name emptied and the take information
    // deleted. Materials, textures, videos and deformers stay.
    void Clear();

    // ---- Structure ----

    KQelNode* GetRootNode() const;
    // The node carrying the camera switcher.
    KQelNode* GetCameraSwitcher() const { return mCameraSwitcher; }
    // pNode becomes the switcher node; the former one is destroyed with its
    // subtree through the manager (pNode first leaves that subtree when it
    // lies in it). Null, or the node held already: nothing.
    void ReplaceCameraSwitcher(KQelNode* pNode);
    KQelEntity* GetEntity() const { return mEntity; }
    // The store's answer, unchanged.
    bool ValidateNewName(KQelObject& pObject, const char* pName);
    // Empties the array, then appends the store's textures (materials) in
    // order.
    void FillTextureArray(KArrayTemplate<KQelTexture*>& pArray);
    void FillMaterialArray(KArrayTemplate<KQelMaterial*>& pArray);

    // ---- Generic nodes and deformers (the store's) ----

    int GetGenericNodeCount() const;
    KQelGenericNode* GetGenericNode(int pIndex);
    // Moves the generic node into this scene's store; false for null.
    bool AddGenericNode(KQelGenericNode* pNode);
    // Takes the generic node out of this scene's store; false for null or a
    // generic node this scene does not hold.
    bool RemoveGenericNode(KQelGenericNode* pNode);
    // Type 0 any deformer, 1 skins, 2 clusters (KQelDeformer::EDeformerType).
    int GetDeformerCount(int pType = 0) const;
    KQelDeformer* GetDeformer(int pIndex, int pType = 0);
    KQelDeformer* GetDeformer(const char* pName);
    bool AddDeformer(KQelDeformer* pDeformer);
    bool RemoveDeformer(KQelDeformer* pDeformer);

    // ---- Linking and conversion ----
    //
    // What a scene holds in memory (layer arrays of materials and textures,
    // file names of textures and light gobos, geometry links) and what files
    // hold (plug connections between property sets, videos, skin and cluster
    // deformers), converted either way. Walks follow the store's nodes in
    // order; what lacks the expected relation is skipped. A writer calls the
    // first four, in order, then RemoveKQelDeformers; a reader, after it read
    // objects and connections, the last three, in order, then
    // RemoveKQelDeformers.

    // Each node's geometry connects the materials (textures) of its layers'
    // direct arrays, in modes Direct and IndexToDirect, as sources of the
    // node's set, once each (null entries skipped); in IndexToDirect mode
    // indices past the direct array become -1.
    void ConnectMaterials();
    void ConnectTextures();
    // ConnectVideoToNodeUsing for each texture of the store (its file,
    // relative file, media name and bare name), then for each node of the
    // manager whose light has a gobo file (no relative name, the file's last
    // part as name).
    void ConnectVideos();
    // For each node whose geometry has links: a skin "Deformer::Skin <node>"
    // connected to the node, and per link with a node a cluster
    // "SubDeformer::Cluster <node>" (suffixed " 1", " 2"... while the store
    // has a deformer of that name) carrying the link's data, connected to
    // the linked node, to the associate model through "SrcModelReference",
    // and to the skin; all added to the store.
    void BuildKQelDeformerFromKQelLink();
    // Every deformer of the store leaves it (every use) and is destroyed by
    // the manager, once: clusters first, then the rest, each in list order.
    void RemoveKQelDeformers();
    // Direct arrays from the node's material (texture) sources: in Direct
    // mode entry k becomes source k; in IndexToDirect mode the sources the
    // index array uses are appended in source order and the indices moved to
    // their new positions, each index once.
    void BuildMaterialLayersDirectArray();
    void BuildTextureLayersDirectArray();
    // Each skin's clusters become links (linked node and associate model
    // from their sources) of the geometry of every node the skin is
    // connected to.
    void BuildKQelLinkFromKQelDeformer();

    // ---- Characters, control-set plugs and character poses ----
    //
    // Owned by the scene, not listed by the manager. Create names the object
    // with its prefix ("Constraint::", "ControlSetPlug::", "Pose::") by
    // KQelSdkManager::PrefixName, appends it and returns its index. Get is
    // null out of range. Destroy ends the object at that index (Destruct,
    // then delete); out of range it does nothing. A character destroyed is
    // first forgotten as the input of every character of the manager's
    // scenes.

    int CreateCharacter(const char* pName);
    int GetCharacterCount() const { return mCharacters.GetCount(); }
    KQelCharacter* GetCharacter(int pIndex) const;
    void DestroyCharacter(int pIndex);

    int CreateControlSetPlug(const char* pName);
    int GetControlSetPlugCount() const { return mControlSetPlugs.GetCount(); }
    KQelControlSetPlug* GetControlSetPlug(int pIndex) const;
    void DestroyControlSetPlug(int pIndex);

    int CreateCharacterPose(const char* pName);
    int GetCharacterPoseCount() const { return mCharacterPoses.GetCount(); }
    KQelCharacterPose* GetCharacterPose(int pIndex) const;
    void DestroyCharacterPose(int pIndex);

    // ---- Poses (held, not owned) ----

    int GetPoseCount() const { return mPoses.GetCount(); }
    // Null out of range.
    KQelPose* GetPose(int pIndex) const;
    // False (nothing added) for null or a pose held already.
    bool AddPose(KQelPose* pPose);
    // Forgets the pose; false when it is not held.
    bool RemovePose(KQelPose* pPose);
    // False out of range.
    bool RemovePose(int pIndex);

    // ---- Settings and information ----

    KQelGlobalLightSettings* GetGlobalLightSettings() const { return mLightSettings; }
    KQelGlobalCameraSettings* GetGlobalCameraSettings() const { return mCameraSettings; }
    KQelGlobalTimeSettings* GetGlobalTimeSettings() const { return mTimeSettings; }
    KQelSceneInfo* GetSceneInfo() const { return mSceneInfo; }
    // Stores the pointer; a record set before is not destroyed.
    void SetSceneInfo(KQelSceneInfo* pSceneInfo) { mSceneInfo = pSceneInfo; }

    // ---- Takes ----

    // A take node of that name in every object. False, with "At least one
    // node, texture or material already has a take called <name>", when any
    // object has one already (the others get theirs all the same).
    bool CreateTake(const char* pName);
    // Removes the take node of that name from every object. False, with "Not
    // all nodes, textures and materials have a take called <name>", when any
    // object lacks it (or it is "Default").
    bool RemoveTake(const char* pName);
    // Stores the name as the current take, whatever follows, and makes that
    // take current in every object. False, with "Not all nodes have a take
    // node called <name>", when any object lacks it (that object falls back
    // to "Default").
    bool SetCurrentTake(const char* pName);
    const char* GetCurrentTakeName() const { return mCurrentTakeName.Buffer(); }
    // Deletes the strings pArray holds and empties it, then appends a new
    // string for each distinct take name of the objects, in order of first
    // appearance ("Default" first). The caller owns the strings.
    void FillTakeNameArray(KArrayTemplate<KString*>& pArray);
    // True when some object has a take of exactly that name; the walk stops
    // at the first that has.
    bool FindTakeName(const KString& pName);
    // Stores a copy of the information of a take that exists, replacing the
    // one stored under its name; false, nothing stored, no error, when no
    // object has that take.
    bool SetTakeInfo(const KQelTakeInfo& pInfo);
    // The information stored under that name, or null.
    KQelTakeInfo* GetTakeInfo(const KString& pName) const;

    KError& GetError() { return mError; }
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

private:
    // Calls pVisit(container) for each animatable object of the take walk,
    // in order, each once, until pVisit returns false; false when stopped.
    template <class F>
    bool ForEachTakeObject(F pVisit);
    // Calls pCall on each object of the take walk; on any failure records
    // error 0 with pText followed by the take's name and answers false.
    template <class F>
    bool TakeWalk(const char* pName, const char* pText, F pCall);

    // Hides and shades the switcher node and gives it a camera switcher;
    // makes the global settings.
    void CreateSettings();
    // Deletes the global settings.
    void DestroySettings();
    // The switcher node named, hidden and shaded as new, with default camera
    // index 0 when it carries a camera switcher.
    void ResetSwitcherNode();
    // The global settings at their defaults.
    void RestoreSettings();
    // Ends every character, control-set plug and character pose.
    void DestroyOwnedObjects();
    // Forgets pCharacter as the input of every character of the manager's
    // scenes.
    void ForgetCharacterInput(KQelCharacter* pCharacter);
    // Drops every use of every generic node of the store; with pDestroy they
    // are then destroyed through the manager.
    void ReleaseGenericNodes(bool pDestroy);
    void DeleteTakeInfos();

    KQelSdkManager& mManager;
    KQelEntity* mEntity;
    KQelNode* mCameraSwitcher;
    KArrayTemplate<KQelCharacter*> mCharacters;
    KArrayTemplate<KQelControlSetPlug*> mControlSetPlugs;
    KArrayTemplate<KQelCharacterPose*> mCharacterPoses;
    KArrayTemplate<KQelPose*> mPoses;
    KQelGlobalLightSettings* mLightSettings;
    KQelGlobalCameraSettings* mCameraSettings;
    KQelGlobalTimeSettings* mTimeSettings;
    KString mCurrentTakeName;
    KArrayTemplate<KQelTakeInfo*> mTakeInfos;
    KQelSceneInfo* mSceneInfo;
    KError mError;
};

// Gives pObject a video for pFileName unless one of its set's sources is a
// video already: a new video named pMediaName ("Video::" prefixed; pName when
// the media name is empty or null) with the file name and, when not null,
// the relative file name, connected as a source of pObject's set. Nothing
// for a null or empty file name, a null object or manager, or an object
// without set.
void ConnectVideoToNodeUsing(KQelTakeNodeContainer* pObject, const char* pFileName, const char* pRelativeFileName,
                             const char* pMediaName, const char* pName, KQelSdkManager* pManager);

}  // namespace qelsdk_600

#endif
