// The SDK manager: factory and owner of the scene objects.
#ifndef QELSDK_SCENE_KQELSDKMANAGER_H
#define QELSDK_SCENE_KQELSDKMANAGER_H

#include <memory>

#include "base/kerror.h"
#include "base/kstring.h"

namespace qelsdk_600 {

class KProperty;
class KRenamingStrategy;
class KQelCamera;
class KQelCameraSwitcher;
class KQelDeformer;
class KQelExporter;
class KQelGenericNode;
class KQelGeometryConverter;
class KQelImageConverter;
class KQelImporter;
class KQelLight;
class KQelLink;
class KQelMarker;
class KQelMaterial;
class KQelMesh;
class KQelNode;
class KQelNodeAttribute;
class KQelNull;
class KQelObject;
class KQelNurb;
class KQelOpticalReference;
class KQelPatch;
class KQelPose;
class KQelScene;
class KQelSceneInfo;
class KQelShape;
class KQelSkeleton;
class KQelTexture;
class KQelThumbnail;
class KQelUserProperty;
class KQelVideo;

// Holders of the base library: every live manager, plus the module itself
// from its loading to its unloading (so managers never start or stop the
// library while the module is loaded). One thread only.
extern int gsManagerRefCount;

// "SubDeformer::" for the type name "Cluster" (without regard to case),
// "Deformer::" for any other (null included).
const char* GetDeformerPrefixFromTypeName(const char* pTypeName);

// Factory and owner of the scene objects: scenes, nodes, node attributes,
// links, materials, shapes, textures, videos, poses, user properties,
// thumbnails, scene information records, generic nodes, deformers, geometry
// and image converters, exporters and importers. Each kind has a list in
// order of creation. A create operation names the object with its kind's
// prefix (PrefixName), allocates it through the kind's virtual allocate
// operation (a derived manager substitutes its own classes there; a null
// answer makes the create answer null and list nothing) and appends it. An
// object ends only through its kind's destroy operation, Clear or the
// manager's destruction. Failures record error 0, "Object not found".
//
// Lookups by pointer are constant time and the indexed getters logarithmic,
// so building and tearing down lists of 10^5 objects stays linear.
class KQelSdkManager {
public:
    // Which renaming strategy (SetRenamingStrategy).
    enum ERenamingKind : int { eNodeNames = 0, eMaterialNames, eTextureNames, eVideoNames, eRenamingKindCount };

    // A plain manager; the caller deletes it.
    static KQelSdkManager* CreateKQelSdkManager();

    // Empty lists, no renaming strategies; starts the base library when no
    // other holder has, and counts itself in gsManagerRefCount.
    KQelSdkManager();
    KQelSdkManager(const KQelSdkManager&) = delete;
    KQelSdkManager& operator=(const KQelSdkManager&) = delete;

    // ---- Virtual operations, in slot order ----

    // Clear, then ends the deformers and image converters that Clear leaves,
    // deletes the renaming strategies and stops the base library when it is
    // the last holder.
    virtual ~KQelSdkManager();

    // Allocate operations: a new object of the named class (a derived manager
    // may return one of a derived class), or null. Names are full names.
    virtual KQelScene* AllocateKQelScene();
    virtual KQelNode* AllocateKQelNode(const char* pName);
    virtual KQelNull* AllocateKQelNull();
    virtual KQelMarker* AllocateKQelMarker();
    virtual KQelCamera* AllocateKQelCamera();
    virtual KQelLight* AllocateKQelLight();
    virtual KQelSkeleton* AllocateKQelSkeleton();
    virtual KQelMesh* AllocateKQelMesh();
    virtual KQelPatch* AllocateKQelPatch();
    virtual KQelNurb* AllocateKQelNurb();
    virtual KQelOpticalReference* AllocateKQelOpticalReference();
    virtual KQelLink* AllocateKQelLink();
    virtual KQelMaterial* AllocateKQelMaterial(const char* pName);
    virtual KQelShape* AllocateKQelShape();
    virtual KQelTexture* AllocateKQelTexture(const char* pName);
    virtual KQelVideo* AllocateKQelVideo(const char* pName);
    // pBindPose true: a bind pose, false: a rest pose.
    virtual KQelPose* AllocateKQelPose(const char* pName, bool pBindPose);
    // A description: name, type name ("Bool", "Real", "Color", "Integer",
    // "Vector"), label.
    virtual KQelUserProperty* AllocateKQelUserProperty(const char* pName, const char* pTypeName,
                                                       const char* pLabel);
    // A handle bound to an existing property.
    virtual KQelUserProperty* AllocateKQelUserProperty(KProperty* pProperty);
    virtual KQelGenericNode* AllocateKQelGenericNode(const char* pName);
    virtual KQelDeformer* AllocateKQelDeformer(const char* pName, const char* pTypeName);
    virtual KQelThumbnail* AllocateKQelThumbnail();
    virtual KQelSceneInfo* AllocateKQelSceneInfo();
    virtual KQelGeometryConverter* AllocateKQelGeometryConverter();
    virtual KQelImageConverter* AllocateKQelImageConverter();
    virtual KQelExporter* AllocateKQelExporter();
    virtual KQelImporter* AllocateKQelImporter();

    // Destroy operations: the object must be listed here (else false with
    // error 0, nothing touched); it leaves its list, then ends. A scene
    // (recursive: with its root node's tree) and a node (recursive: with its
    // subtree and attributes) report false when an inner destroy failed, but
    // end all the same. A bound node attribute is detached from its node
    // before it ends.
    virtual bool DestroyKQelScene(KQelScene* pScene, bool pRecursive);
    virtual bool DestroyKQelNode(KQelNode* pNode, bool pRecursive);
    virtual bool DestroyKQelNodeAttribute(KQelNodeAttribute* pAttribute);
    virtual bool DestroyKQelLink(KQelLink* pLink);
    virtual bool DestroyKQelMaterial(KQelMaterial* pMaterial);
    virtual bool DestroyKQelShape(KQelShape* pShape);
    virtual bool DestroyKQelTexture(KQelTexture* pTexture);
    virtual bool DestroyKQelVideo(KQelVideo* pVideo);
    virtual bool DestroyKQelPose(KQelPose* pPose);
    virtual bool DestroyKQelUserProperty(KQelUserProperty* pProperty);
    virtual bool DestroyKQelGenericNode(KQelGenericNode* pNode);
    virtual bool DestroyKQelDeformer(KQelDeformer* pDeformer);
    virtual bool DestroyKQelThumbnail(KQelThumbnail* pThumbnail);
    virtual bool DestroyKQelSceneInfo(KQelSceneInfo* pSceneInfo);

    // Find operations. Nodes, materials, textures, videos: the pIndex-th
    // object (from 0, in list order) whose current name equals the kind's
    // prefix plus pName (PrefixName), byte for byte. Poses and generic nodes:
    // the first whose name equals pName as given. Null with error 0 when
    // there is no such object.
    virtual KQelNode* FindKQelNode(const char* pName, int pIndex = 0);
    virtual KQelMaterial* FindKQelMaterial(const char* pName, int pIndex = 0);
    virtual KQelTexture* FindKQelTexture(const char* pName, int pIndex = 0);
    virtual KQelVideo* FindKQelVideo(const char* pName, int pIndex = 0);
    virtual KQelPose* FindKQelPose(const char* pName);
    // The first user property of that name; null without error when none.
    virtual KQelUserProperty* FindKQelUserProperty(const char* pName);
    virtual KQelGenericNode* FindKQelGenericNode(const char* pName);

    // Ends every object of every list but the deformers and image
    // converters, list by list in this order: scenes, node attributes (each
    // detached from its node first), nodes, links, materials, shapes,
    // textures, videos, poses, user properties, generic nodes, thumbnails,
    // scene information, geometry converters, exporters, importers; then
    // clears the renaming strategies (which stay installed). Objects are
    // taken out one at a time, so an object whose end destroys others
    // through this manager is safe.
    virtual void Clear();

    // ---- Create operations ----

    KQelScene* CreateKQelScene();
    // Named "Model::" + pName (PrefixName), renamed by the node strategy
    // when one is installed, then listed.
    KQelNode* CreateKQelNode(const char* pName);
    KQelNull* CreateKQelNull();
    KQelMarker* CreateKQelMarker();
    KQelCamera* CreateKQelCamera();
    KQelLight* CreateKQelLight();
    KQelSkeleton* CreateKQelSkeleton();
    KQelMesh* CreateKQelMesh();
    KQelPatch* CreateKQelPatch();
    KQelNurb* CreateKQelNurb();
    KQelOpticalReference* CreateKQelOpticalReference();
    // Constructed directly (no allocate operation); a node attribute.
    KQelCameraSwitcher* CreateKQelCameraSwitcher();
    KQelLink* CreateKQelLink();
    // "Material::" + pName, material strategy.
    KQelMaterial* CreateKQelMaterial(const char* pName);
    // Constructed directly (AllocateKQelShape is not used).
    KQelShape* CreateKQelShape();
    // "Texture::" + pName, texture strategy.
    KQelTexture* CreateKQelTexture(const char* pName);
    // "Video::" + pName, video strategy.
    KQelVideo* CreateKQelVideo(const char* pName);
    // "Pose::" + pName.
    KQelPose* CreateKQelPose(const char* pName, bool pBindPose);
    // The texts go to the allocate operation unchanged.
    KQelUserProperty* CreateKQelUserProperty(const char* pName, const char* pTypeName, const char* pLabel);
    KQelUserProperty* CreateKQelUserProperty(KProperty* pProperty);
    // GetDeformerPrefixFromTypeName(pTypeName) + pName.
    KQelDeformer* CreateKQelDeformer(const char* pName, const char* pTypeName);
    // pName as given.
    KQelGenericNode* CreateKQelGenericNode(const char* pName);
    KQelThumbnail* CreateKQelThumbnail();
    KQelSceneInfo* CreateKQelSceneInfo();
    KQelGeometryConverter* CreateKQelGeometryConverter();
    KQelImageConverter* CreateKQelImageConverter();
    // Neither is initialised with a file.
    KQelExporter* CreateKQelExporter();
    KQelImporter* CreateKQelImporter();

    // ---- Destroy operations that are not virtual ----

    bool DestroyKQelGeometryConverter(KQelGeometryConverter* pConverter);
    bool DestroyKQelImageConverter(KQelImageConverter* pConverter);
    bool DestroyKQelExporter(KQelExporter* pExporter);
    bool DestroyKQelImporter(KQelImporter* pImporter);

    // ---- Counts and indexed getters (null out of range) ----

    int GetKQelSceneCount() const;
    KQelScene* GetKQelScene(int pIndex) const;
    int GetKQelNodeCount() const;
    KQelNode* GetKQelNode(int pIndex) const;
    int GetKQelMaterialCount() const;
    KQelMaterial* GetKQelMaterial(int pIndex) const;
    int GetKQelTextureCount() const;
    KQelTexture* GetKQelTexture(int pIndex) const;
    int GetKQelVideoCount() const;
    KQelVideo* GetKQelVideo(int pIndex) const;
    // The image converters, in order of creation.
    int GetKQelImageConverterCount() const;
    KQelImageConverter* GetKQelImageConverter(int pIndex) const;
    int GetKQelPoseCount() const;
    KQelPose* GetKQelPose(int pIndex) const;
    int GetKQelLinkCount() const;
    KQelLink* GetKQelLink(int pIndex) const;
    int GetKQelNodeAttributeCount() const;
    KQelNodeAttribute* GetKQelNodeAttribute(int pIndex) const;
    int GetKQelUserPropertyCount() const;
    KQelUserProperty* GetKQelUserProperty(int pIndex) const;
    int GetKQelThumbnailCount() const;
    KQelThumbnail* GetKQelThumbnail(int pIndex) const;
    int GetKQelSceneInfoCount() const;
    KQelSceneInfo* GetKQelSceneInfo(int pIndex) const;
    int GetKQelGenericNodeCount() const;
    KQelGenericNode* GetKQelGenericNode(int pIndex) const;

    // ---- Renaming strategies ----

    // Installs the strategy applied to new objects of a kind (after
    // allocation, before listing); the manager owns it from then on. Null
    // removes it. Returns the strategy it replaces, which the caller owns
    // again (null when none). Null for a kind outside the list.
    KRenamingStrategy* SetRenamingStrategy(ERenamingKind pKind, KRenamingStrategy* pStrategy);
    KRenamingStrategy* GetRenamingStrategy(ERenamingKind pKind) const;

    // ---- Names and errors ----

    // The full name of an object: pName without what precedes its first
    // "::" ("a::b::c" gives "b::c"), "Name" when that leaves nothing (a null
    // name too), then pPrefix in front when it is not null or empty.
    static KString PrefixName(const char* pPrefix, const char* pName);

    KError& GetError() { return mError; }
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

private:
    friend class KQelObject;
    struct Lists;

    // Appends a created object to a list (by index, see the private header)
    // and returns it; null is neither listed nor an error.
    void* List(int pList, void* pObject);
    // Takes pObject out of its list; false when it is not listed there.
    bool Unlist(int pList, void* pObject);
    // Takes a listed object out of its list and ends it as its kind does;
    // false with error 0 when it is not listed there.
    bool Destroy(int pList, void* pObject);
    // Records error 0 and answers false.
    bool NotFound();
    // Applies the strategy of a kind, if any, to a new object's name.
    void Rename(ERenamingKind pKind, KQelObject* pObject);
    // Ends, one at a time, every object still listed in a list.
    void EndAll(int pList);
    // A published run of pOwner in the user-property list (see KQelObject):
    // appended with pCount entries, or taken out.
    void ListRun(KQelObject* pOwner, int pCount);
    void UnlistRun(KQelObject* pOwner);
    // A handle a run made (pMade) or one going; so that destroying a handle
    // finds its run without reading a handle that may be gone.
    void NoteRunHandle(KQelUserProperty* pProperty, bool pMade);

    std::unique_ptr<Lists> mLists;
    KRenamingStrategy* mRenaming[eRenamingKindCount];
    KError mError;
};

}  // namespace qelsdk_600

#endif
