// The duplicate-name finder. Names are hashed so that one walk costs the
// walked objects plus the target entity, however many names clash.
#include <cstdint>
#include <cstring>
#include <vector>

#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnode_impl.h"
#include "scene/kqelnodefinder.h"
#include "scene/kqelobject.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

std::uint64_t HashName(const char* pName)
{
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(pName); *c; ++c)
        hash = (hash ^ *c) * 1099511628211ull;
    return hash;
}

// Names of a set of distinct objects: how many have each name, and the first
// of them. Open addressing over copies of the names kept in one arena, so a
// walk of 10^5 nodes allocates a handful of times, not per name.
class NameTable {
public:
    void Clear()
    {
        mSlots.clear();
        mArena.clear();
        mUsed = 0;
    }
    void Add(const char* pName, const void* pObject)
    {
        const std::uint64_t hash = HashName(pName);
        if (Slot* slot = Find(pName, hash)) {
            ++slot->mCount;
            return;
        }
        if ((mUsed + 1) * 2 > static_cast<std::size_t>(mSlots.size()))
            Grow();
        const std::size_t length = std::strlen(pName) + 1;
        const std::size_t offset = mArena.size();
        mArena.insert(mArena.end(), pName, pName + length);
        Slot& slot = *Empty(hash);
        slot = Slot{hash, offset, 1, pObject};
        ++mUsed;
    }
    // True when an object other than pObject has this name.
    bool HasOther(const char* pName, const void* pObject) const
    {
        const Slot* slot = const_cast<NameTable*>(this)->Find(pName, HashName(pName));
        return slot && (slot->mCount > 1 || slot->mFirst != pObject);
    }

private:
    struct Slot {
        std::uint64_t mHash;
        std::size_t mOffset;
        int mCount;  // 0: empty
        const void* mFirst;
    };

    std::size_t Mask() const { return mSlots.size() - 1; }
    Slot* Find(const char* pName, std::uint64_t pHash)
    {
        if (mSlots.empty())
            return nullptr;
        for (std::size_t i = pHash & Mask();; i = (i + 1) & Mask()) {
            Slot& slot = mSlots[i];
            if (slot.mCount == 0)
                return nullptr;
            if (slot.mHash == pHash && std::strcmp(&mArena[slot.mOffset], pName) == 0)
                return &slot;
        }
    }
    Slot* Empty(std::uint64_t pHash)
    {
        std::size_t i = pHash & Mask();
        while (mSlots[i].mCount != 0)
            i = (i + 1) & Mask();
        return &mSlots[i];
    }
    void Grow()
    {
        std::vector<Slot> old;
        old.swap(mSlots);
        mSlots.assign(old.empty() ? 64 : old.size() * 2, Slot{0, 0, 0, nullptr});
        for (const Slot& slot : old) {
            if (slot.mCount != 0)
                *Empty(slot.mHash) = slot;
        }
    }

    std::vector<Slot> mSlots;  // a power of two, at most half full
    std::vector<char> mArena;
    std::size_t mUsed = 0;
};

// A set of object pointers (open addressing).
class PointerSet {
public:
    void Clear()
    {
        mSlots.clear();
        mUsed = 0;
    }
    // False when the pointer was in the set already.
    bool Insert(const void* pObject)
    {
        if ((mUsed + 1) * 2 > mSlots.size())
            Grow();
        std::size_t i = Home(pObject);
        for (; mSlots[i]; i = (i + 1) & (mSlots.size() - 1)) {
            if (mSlots[i] == pObject)
                return false;
        }
        mSlots[i] = pObject;
        ++mUsed;
        return true;
    }
    bool Contains(const void* pObject) const
    {
        if (mSlots.empty())
            return false;
        for (std::size_t i = Home(pObject); mSlots[i]; i = (i + 1) & (mSlots.size() - 1)) {
            if (mSlots[i] == pObject)
                return true;
        }
        return false;
    }

private:
    std::size_t Home(const void* pObject) const
    {
        const std::uint64_t key = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(pObject));
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & (mSlots.size() - 1);
    }
    void Grow()
    {
        std::vector<const void*> old;
        old.swap(mSlots);
        mSlots.assign(old.empty() ? 64 : old.size() * 2, nullptr);
        mUsed = 0;
        for (const void* object : old) {
            if (object)
                Insert(object);
        }
    }

    std::vector<const void*> mSlots;
    std::size_t mUsed = 0;
};

// A "seen" list: the array the finder hands out, its pointers and names.
template <class T>
struct SeenList {
    PointerSet mObjects;
    NameTable mNames;
    // Whether an object other than pObject of that name was seen.
    bool Clashes(const char* pName, const void* pObject) const { return mNames.HasOther(pName, pObject); }
    void Add(KArrayTemplate<T*>& pArray, T* pObject)
    {
        if (mObjects.Insert(pObject)) {
            pArray.Add(pObject);
            mNames.Add(pObject->GetName(), pObject);
        }
    }
    void Rebuild(KArrayTemplate<T*>& pArray)
    {
        mObjects.Clear();
        mNames.Clear();
        for (int i = 0; i < pArray.GetCount(); ++i) {
            mObjects.Insert(pArray[i]);
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
