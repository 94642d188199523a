// The duplicate-name finder. Names are hashed so that one walk costs the
// walked objects plus the target entity, however many names clash.
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnode_impl.h"
#include "scene/kqelnodefinder.h"
#include "scene/kqelobject.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// Objects of one name: how many distinct ones, and the first of them.
struct NameUse {
    int mCount = 0;
    const void* mFirst = nullptr;
};

// Names of a set of distinct objects.
class NameTable {
public:
    void Clear() { mNames.clear(); }
    void Add(const char* pName, const void* pObject)
    {
        NameUse& use = mNames[pName];
        if (use.mCount++ == 0)
            use.mFirst = pObject;
    }
    // True when an object other than pObject has this name.
    bool HasOther(const char* pName, const void* pObject) const
    {
        const auto found = mNames.find(pName);
        if (found == mNames.end())
            return false;
        return found->second.mCount > 1 || found->second.mFirst != pObject;
    }

private:
    std::unordered_map<std::string, NameUse> mNames;
};

// A "seen" list: the array the finder hands out, its pointers and names.
template <class T>
struct SeenList {
    std::unordered_set<const void*> mObjects;
    NameTable mNames;
    // Whether an object other than pObject of that name was seen.
    bool Clashes(const char* pName, const void* pObject) const { return mNames.HasOther(pName, pObject); }
    void Add(KArrayTemplate<T*>& pArray, T* pObject)
    {
        if (mObjects.insert(pObject).second) {
            pArray.Add(pObject);
            mNames.Add(pObject->GetName(), pObject);
        }
    }
    void Rebuild(KArrayTemplate<T*>& pArray)
    {
        mObjects.clear();
        mNames.Clear();
        for (int i = 0; i < pArray.GetCount(); ++i) {
            mObjects.insert(pArray[i]);
            mNames.Add(pArray[i]->GetName(), pArray[i]);
        }
    }
};

}  // namespace

struct KQelNodeFinderDuplicateName::Index {
    bool mValid = false;
    // The target: current names of the nodes below its root, and the names
    // of its materials, textures and videos.
    NameTable mTargetNodes;
    NameTable mTargetObjects[3];
    SeenList<KQelNode> mSeenNodes;
    SeenList<KQelObject> mSeenObjects[3];
};

namespace {

const KQelEntity::EReferenceKind kEntityKinds[3] = {KQelEntity::eMaterials, KQelEntity::eTextures,
                                                    KQelEntity::eVideos};

}  // namespace

KQelNodeFinderDuplicateName::KQelNodeFinderDuplicateName(KQelEntity* pEntity)
    : mStates{true, false, false, false, true}, mEntity(pEntity), mIndex(new Index)
{
}

KQelNodeFinderDuplicateName::~KQelNodeFinderDuplicateName() {}

void KQelNodeFinderDuplicateName::Reset()
{
    KQelNodeFinder::Reset();
    for (KArrayTemplate<KQelNode*>* array : {&mNodes, &mDuplicateNodes})
        array->Clear();
    for (KArrayTemplate<KQelObject*>* array : {&mMaterials, &mDuplicateMaterials, &mTextures, &mDuplicateTextures,
                                               &mVideos, &mDuplicateVideos, &mGenericNodes,
                                               &mDuplicateGenericNodes})
        array->Clear();
    mIndex->mValid = false;
}

bool KQelNodeFinderDuplicateName::GetState(int pIndex) const
{
    return pIndex >= 0 && pIndex < 5 && mStates[pIndex];
}

void KQelNodeFinderDuplicateName::SetState(int pIndex, bool pOn)
{
    if (pIndex >= 0 && pIndex < 5)
        mStates[pIndex] = pOn;
}

void KQelNodeFinderDuplicateName::ApplyRecursive(KQelNode& pNode)
{
    // Names may have changed since an earlier walk: index them afresh.
    mIndex->mValid = false;
    KQelNodeFinder::ApplyRecursive(pNode);
}

void KQelNodeFinderDuplicateName::BuildIndex()
{
    Index& index = *mIndex;
    if (index.mValid)
        return;
    index.mValid = true;
    index.mTargetNodes.Clear();
    for (NameTable& table : index.mTargetObjects)
        table.Clear();
    if (mEntity) {
        if (KQelNode* root = mEntity->GetRootNode()) {
            KQelWalkTree(root, [root, &index](KQelNode* pNode) {
                if (pNode != root)
                    index.mTargetNodes.Add(pNode->GetName(), pNode);
                return eQelWalkDescend;
            });
        }
        for (int k = 0; k < 3; ++k) {
            for (int i = 0, count = mEntity->GetReferenceCount(kEntityKinds[k]); i < count; ++i) {
                KQelObject* object = mEntity->GetReferencedObject(kEntityKinds[k], i);
                index.mTargetObjects[k].Add(object->GetName(), object);
            }
        }
    }
    index.mSeenNodes.Rebuild(mNodes);
    index.mSeenObjects[eMaterialKind].Rebuild(mMaterials);
    index.mSeenObjects[eTextureKind].Rebuild(mTextures);
    index.mSeenObjects[eVideoKind].Rebuild(mVideos);
}

bool KQelNodeFinderDuplicateName::CheckNode(KQelNode& pNode)
{
    bool duplicate = CheckNodeName(pNode);
    if (pNode.GetNodeAttribute()) {
        if (KQelGeometry* geometry = pNode.GetGeometry()) {
            duplicate = CheckMaterialName(geometry) || duplicate;
            duplicate = CheckTextureName(geometry) || duplicate;
            duplicate = CheckVideoName(geometry) || duplicate;
        }
    }
    return duplicate;
}

bool KQelNodeFinderDuplicateName::CheckNodeName(KQelNode& pNode)
{
    BuildIndex();
    Index& index = *mIndex;
    bool duplicate = false;
    if (mStates[0]) {
        // Matched against the target's tree as FindChild matches names.
        const KString key = KQelSdkManager::PrefixName("Model::", pNode.GetName());
        duplicate = index.mTargetNodes.HasOther(key.Buffer(), &pNode) ||
                    index.mSeenNodes.Clashes(pNode.GetName(), &pNode);
        if (duplicate)
            mDuplicateNodes.Add(&pNode);
    }
    index.mSeenNodes.Add(mNodes, &pNode);
    return duplicate;
}

bool KQelNodeFinderDuplicateName::CheckObjectNames(KQelGeometry* pGeometry, EKind pKind)
{
    static const int kStates[3] = {1, 2, 3};
    KArrayTemplate<KQelObject*>* seenArrays[3] = {&mMaterials, &mTextures, &mVideos};
    KArrayTemplate<KQelObject*>* duplicateArrays[3] = {&mDuplicateMaterials, &mDuplicateTextures,
                                                       &mDuplicateVideos};
    std::vector<KQelObject*> objects;
    KQelCollectGeometryObjects(pGeometry, pKind, objects);
    if (objects.empty())
        return false;
    BuildIndex();
    Index& index = *mIndex;
    SeenList<KQelObject>& seen = index.mSeenObjects[pKind];
    bool duplicate = false;
    for (KQelObject* object : objects) {
        if (mStates[kStates[pKind]]) {
            // Once the call found a clash, later objects are only matched
            // against the target.
            const bool clash = (mEntity && index.mTargetObjects[pKind].HasOther(object->GetName(), object)) ||
                               (!duplicate && seen.Clashes(object->GetName(), object));
            if (clash) {
                duplicateArrays[pKind]->Add(object);
                duplicate = true;
            }
        }
        seen.Add(*seenArrays[pKind], object);
    }
    return duplicate;
}

bool KQelNodeFinderDuplicateName::CheckMaterialName(KQelGeometry* pGeometry)
{
    return CheckObjectNames(pGeometry, eMaterialKind);
}

bool KQelNodeFinderDuplicateName::CheckTextureName(KQelGeometry* pGeometry)
{
    return CheckObjectNames(pGeometry, eTextureKind);
}

bool KQelNodeFinderDuplicateName::CheckVideoName(KQelGeometry* pGeometry)
{
    return CheckObjectNames(pGeometry, eVideoKind);
}

bool KQelNodeFinderDuplicateName::CheckGenericNodeName(const char* pName)
{
    if (!pName || !mStates[4])
        return false;
    KQelObject* found = mEntity ? mEntity->FindReferencedObject(KQelEntity::eGenericNodes, pName) : nullptr;
    for (int i = 0; i < mGenericNodes.GetCount() && !found; ++i) {
        if (std::strcmp(mGenericNodes[i]->GetName(), pName) == 0)
            found = mGenericNodes[i];
    }
    if (!found)
        return false;
    mDuplicateGenericNodes.Add(found);
    return true;
}

}  // namespace qelsdk_600
