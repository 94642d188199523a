// The object store of one scene: its root node, its nodes, and use-counted
// references to the materials, textures, videos, generic nodes and deformers
// that its nodes use.
#ifndef QELSDK_SCENE_KQELENTITY_H
#define QELSDK_SCENE_KQELENTITY_H

#include <memory>

#include "base/karraytemplate.h"
#include "base/kerror.h"
#include "base/kstring.h"
#include "scene/kqelnodeattribute.h"

namespace qelsdk_600 {

class KQelDeformer;
class KQelGenericNode;
class KQelMaterial;
class KQelNode;
class KQelObject;
class KQelSdkManager;
class KQelTexture;
class KQelVideo;

// Every node of a scene's tree is listed here, with the materials, textures
// and videos its geometry uses; a material shared by several meshes is listed
// once and stays listed while any use remains. The entity owns neither the
// nodes nor the referenced objects (the manager does); nodes come and go
// through KQelNode::SetEntity and the node property set's connection hook.
//
// Node membership is hashed: adding, finding and removing a node cost O(1)
// whatever the order (the list keeps the order of addition); reference
// records are found by object pointer in O(1); indexed reads are O(log n).
//
// Errors (GetLastErrorID / GetLastErrorString):
//   0 "Node is null."                          1 "Node is already owned by the entity."
//   2 "Node does not belong to the entity."    3 "Parameter is out of range."
//   4 "Material still in use."                 5 "Material not found."
//   6 "Texture still in use."                  7 "Texture not found."
//   8 "Video still in use."                    9 "Video not found."
//  10 "Video name clash."                     11 "Generic node still in use."
//  12 "Generic node not found."               13 not used
//  14 "Deformer still in use."                15 "Deformer not found."
//  16 not used
class KQelEntity {
public:
    // Error ids.
    enum EError : int {
        eNullNode = 0,
        eNodeAlreadyOwned = 1,
        eNodeNotOwned = 2,
        eOutOfRange = 3,
        eMaterialInUse = 4,
        eMaterialNotFound = 5,
        eTextureInUse = 6,
        eTextureNotFound = 7,
        eVideoInUse = 8,
        eVideoNotFound = 9,
        eVideoNameClash = 10,
        eGenericNodeInUse = 11,
        eGenericNodeNotFound = 12,
        eDeformerInUse = 14,
        eDeformerNotFound = 15,
        eErrorCount = 17
    };

    // The five families of referenced objects.
    enum EReferenceKind : int { eMaterials = 0, eTextures, eVideos, eGenericNodes, eDeformers, eReferenceKindCount };

    // One use-counted reference; owned by the entity, made when an object is
    // first added (use count 1), deleted when its use count falls to 0.
    struct KQelObjectReference {
        KQelObject* mObject;
        int mUseCount;
    };

    // Empty lists; then creates the root node through the manager
    // (CreateKQelNode("RootNode"), so "Model::RootNode"), moves it in with
    // SetEntity(this, true), which lists it first, and only then keeps it as
    // the root (null when the manager made no node).
    explicit KQelEntity(KQelSdkManager& pManager);
    // Clear, then frees every reference record still held (the objects stay).
    ~KQelEntity();
    KQelEntity(const KQelEntity&) = delete;
    KQelEntity& operator=(const KQelEntity&) = delete;

    // ---- Nodes ----

    // Appends a node (it does not change the node's own entity pointer).
    // False with error 0 for null, 1 when it is listed already.
    bool AddNode(KQelNode* pNode);
    // Takes a node out of the list, the others keeping their order; the root
    // taken out leaves the root null. False with error 0 for null, 2 when it
    // is not listed.
    bool RemoveNode(KQelNode* pNode);
    // True when the node is listed.
    bool ContainsNode(const KQelNode* pNode) const;
    KQelNode* GetRootNode() const { return mRoot; }
    int GetNodeCount() const;
    // The listed node at that position (order of addition, the root first
    // while it is listed); null out of range.
    KQelNode* GetNode(int pIndex) const;
    // Empties pArray, then appends every node whose attribute exists and has
    // that attribute type: with pRecursive, the tree from the root depth
    // first, parents before children (nodes of the tree that are not listed
    // included); otherwise the listed nodes in list order.
    void FillNodeArray(KArrayTemplate<KQelNode*>& pArray, KQelNodeAttribute::EAttributeType pType,
                       bool pRecursive);
    // Appends pNode (when it matches) and then each child's subtree, in
    // child order; nothing for null.
    void FillNodeArrayRecursive(KArrayTemplate<KQelNode*>& pArray, KQelNodeAttribute::EAttributeType pType,
                                KQelNode* pNode);

    // ---- Referenced objects, by kind ----
    //
    // One family of operations over the five kinds. Add: a listed object's
    // use count goes up by one, another is appended with use count 1; true
    // (videos: see AddVideo). Remove: false with the kind's "not found" error
    // when it is not listed; otherwise one use is dropped, and the reference
    // leaves the list when none remains (true) — while uses remain the
    // answer is false with the kind's "still in use" error, the use having
    // been dropped all the same (stored files and callers count on that).
    // By index: null with error 3 out of range. By name: the first whose
    // current name (with its prefix) equals the name byte for byte.

    int GetReferenceCount(EReferenceKind pKind) const;
    // The object of a reference, null with error 3 out of range (or a kind
    // outside the list).
    KQelObject* GetReferencedObject(EReferenceKind pKind, int pIndex);
    // The use count of an object, 0 when it is not listed.
    int GetReferenceUseCount(EReferenceKind pKind, const KQelObject* pObject) const;
    // The first listed object of that name, or null (no error set).
    KQelObject* FindReferencedObject(EReferenceKind pKind, const char* pName) const;
    // Its position, -1 when none (no error set).
    int FindReferencedObjectIndex(EReferenceKind pKind, const char* pName) const;
    // Add and Remove by kind, as described above; null objects: false, no
    // change (Remove: the kind's "not found" error).
    bool AddReference(EReferenceKind pKind, KQelObject* pObject);
    bool RemoveReference(EReferenceKind pKind, KQelObject* pObject);

    int GetMaterialCount() const { return GetReferenceCount(eMaterials); }
    KQelMaterial* GetMaterial(int pIndex);
    // Null with error 5 when none has the name (an empty list included).
    KQelMaterial* GetMaterial(KString pName);
    // -1 with error 5 when none has the name.
    int GetMaterialIndex(KString pName);
    bool AddMaterial(KQelMaterial* pMaterial);
    bool RemoveMaterial(KQelMaterial* pMaterial);

    int GetTextureCount() const { return GetReferenceCount(eTextures); }
    KQelTexture* GetTexture(int pIndex);
    // Null with error 7 when none has the name.
    KQelTexture* GetTexture(KString pName);
    int GetTextureIndex(KString pName);
    bool AddTexture(KQelTexture* pTexture);
    bool RemoveTexture(KQelTexture* pTexture);

    int GetVideoCount() const { return GetReferenceCount(eVideos); }
    KQelVideo* GetVideo(int pIndex);
    // Null with error 9 when none has the name.
    KQelVideo* GetVideo(KString pName);
    int GetVideoIndex(KString pName);
    // A listed video gets one more use (true); another video of the same
    // current name is a clash: false with error 10, nothing listed; else the
    // video is appended with use count 1.
    bool AddVideo(KQelVideo* pVideo);
    bool RemoveVideo(KQelVideo* pVideo);

    int GetGenericNodeCount() const { return GetReferenceCount(eGenericNodes); }
    KQelGenericNode* GetGenericNode(int pIndex);
    // The first of that name; null, no error, when none (or a null name).
    KQelGenericNode* GetGenericNode(const char* pName);
    bool AddGenericNode(KQelGenericNode* pNode);
    bool RemoveGenericNode(KQelGenericNode* pNode);

    // Deformer type 0 counts every deformer, 1 (skin) and 2 (cluster) those
    // of that type; any other type counts 0.
    int GetDeformerCount(int pType = 0) const;
    // The pIndex-th deformer, in list order, among those GetDeformerCount
    // counts; null (no error) out of range or for another type.
    KQelDeformer* GetDeformer(int pIndex, int pType = 0);
    // The first of that name; null, no error, when none (or a null name).
    KQelDeformer* GetDeformer(const char* pName);
    bool AddDeformer(KQelDeformer* pDeformer);
    bool RemoveDeformer(KQelDeformer* pDeformer);

    // ---- Ending ----

    // Every listed node gets a null entity (so does its geometry and each of
    // the geometry's shapes); the root becomes null and the node list empty;
    // the material and texture references are deleted (last first) and
    // their lists emptied. Videos, generic nodes and deformers stay.
    void Clear();

    // ---- Names ----

    // Name-space lookup that nothing in the system relies on. For an object
    // of name space 1, 2 or 3 (nodes, textures, materials): true at once
    // when that kind's list is empty; otherwise the name is looked up first
    // among the generic nodes (when there are any), then in the kind's own
    // list, and a lookup that fails gives false. Name space 10 looks it up
    // in the node, material, texture and generic-node lists, in this order,
    // skipping empty ones. Any other name space: false. Each lookup sorts a
    // copy of the list by name (the entity's own order is kept) and bisects
    // it; pIndex, when not null, receives the position found last in its
    // sorted copy. A null name finds nothing.
    bool ValidateName(KQelObject& pObject, const char* pName, unsigned int* pIndex);
    // !ValidateName(pObject, pName, null).
    bool ValidateNewName(KQelObject& pObject, const char* pName);
    // Sorts objects in place by current name, ascending byte order (strcmp),
    // with a Hoare quicksort over the middle entry's name; fewer than two
    // entries are left alone. Equal names keep the order that quicksort
    // leaves them in.
    static void SortByName(KQelObject** pObjects, unsigned int pCount);
    // Bisection of an array sorted by SortByName over the inclusive range
    // [pLow, pHigh]: true with the position in *pIndex (when not null) when
    // a name equals pName; false for an empty range or a null name.
    static bool FindNameRecursive(KQelObject** pObjects, const char* pName, int pLow, int pHigh,
                                  unsigned int* pIndex);

    KError& GetError() { return mError; }
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

private:
    struct Lists;

    // The kind's error ids: still used / not found.
    static int InUseError(EReferenceKind pKind);
    static int NotFoundError(EReferenceKind pKind);
    // Records an error and answers false.
    bool Fail(int pError);

    // Object pointers of the kinds not built in this subsystem; each is the
    // identity once its class exists (see kqelnode_kinds.cpp).
    static KQelObject* AsObject(KQelMaterial* pObject);
    static KQelObject* AsObject(KQelTexture* pObject);
    static KQelObject* AsObject(KQelVideo* pObject);
    static KQelObject* AsObject(KQelGenericNode* pObject);
    static KQelObject* AsObject(KQelDeformer* pObject);
    static KQelMaterial* AsMaterial(KQelObject* pObject);
    static KQelTexture* AsTexture(KQelObject* pObject);
    static KQelVideo* AsVideo(KQelObject* pObject);
    static KQelGenericNode* AsGenericNode(KQelObject* pObject);
    static KQelDeformer* AsDeformer(KQelObject* pObject);
    // A deformer's type (1 skin, 2 cluster).
    static int DeformerTypeOf(KQelObject* pDeformer);

    KQelNode* mRoot;
    std::unique_ptr<Lists> mLists;
    KError mError;
};

}  // namespace qelsdk_600

#endif
