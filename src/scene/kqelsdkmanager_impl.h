// Private to src/scene: the manager's object lists and how each kind ends.
//
// Every kind of object the manager makes has one list (EQelManagerList) and
// one "end" function that finishes an object taken out of its list: Clear,
// the destructor and the kind's destroy operation all use it. A kind's
// manager operations (allocate, destroy, find, end, and the create when it
// needs the complete class) form one block in the kind's own source.
#ifndef QELSDK_SCENE_KQELSDKMANAGER_IMPL_H
#define QELSDK_SCENE_KQELSDKMANAGER_IMPL_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

// The manager's lists, in declaration order.
enum EQelManagerList : int {
    kQelSceneList,
    kQelNodeList,
    kQelNodeAttributeList,  // every attribute kind, as KQelNodeAttribute*
    kQelLinkList,
    kQelMaterialList,
    kQelShapeList,
    kQelTextureList,
    kQelVideoList,
    kQelPoseList,
    kQelUserPropertyList,
    kQelThumbnailList,
    kQelSceneInfoList,
    kQelGenericNodeList,
    kQelDeformerList,
    kQelGeometryConverterList,
    kQelImageConverterList,
    kQelExporterList,
    kQelImporterList,
    kQelManagerListCount
};

// Pointers in order of addition. An entry is found by pointer in constant
// time (an open-addressing hash of slot numbers: 4 bytes a bucket, the
// pointer read from its slot) and by rank in
// logarithmic time (a Fenwick tree over the entries of the live slots,
// built in linear time by the first read by rank that needs it, kept from
// then on); removal leaves a hole, holes at the end go at once, and the
// slots are compacted when holes outnumber live slots, so any mix of adds,
// removals and indexed reads costs amortised O(log n), and adds and
// removals alone O(1). A pointer is listed at most once, so nothing can be
// ended twice.
//
// A slot may also hold a run: one key standing for a number of entries that
// its owner makes on demand (a node's published user properties). Ranks
// count a run's entries; GetAt hands the rank within the run to the
// resolver, and the run's entries are not in the hash (their owner finds
// them). Runs are keyed by an even pointer, stored tagged.
class KQelObjectList {
public:
    // The entry of a run at a rank within it (made when needed).
    typedef void* (*RunResolver)(void* pRun, int pIndex);
    // The entries a run stands for now.
    typedef int (*RunCounter)(void* pRun);

    KQelObjectList();
    ~KQelObjectList();
    KQelObjectList(const KQelObjectList&) = delete;
    KQelObjectList& operator=(const KQelObjectList&) = delete;

    // Appends a pointer; false, listing nothing, for null or a pointer
    // already listed.
    bool Add(void* pObject);
    // Removes the entry of pObject; false when it is not listed.
    bool Remove(void* pObject);
    bool Contains(void* pObject) const { return pObject && FindBucket(pObject) >= 0; }
    // Asks for the bucket where a lookup of pObject (or of a slot, see
    // SlotOf) starts to be brought into cache, ahead of its removal; reads
    // nothing.
    void Prefetch(void* pObject) const
    {
        if (!mBuckets.empty())
            __builtin_prefetch(&mBuckets[Home(pObject)]);
    }
    // Entries, those of runs included.
    int GetCount() const { return mLive; }
    // The entry of that rank, null out of range.
    void* GetAt(int pIndex) const;
    // Removes every entry.
    void Clear()
    {
        mSlots.clear();
        mTree.clear();
        mBuckets.clear();
        mLive = 0;
        mLiveSlots = 0;
        mRuns = 0;
        mFront = 0;
    }
    // Removes the first slot and returns what it held (a run tagged, see
    // IsRun); null when empty.
    void* TakeFirst();
    // Calls pVisit(entry) for every slot, in order (a run once, tagged);
    // pVisit must not change the list.
    template <class F>
    void ForEach(F pVisit) const
    {
        for (void* object : mSlots) {
            if (object)
                pVisit(object);
        }
    }
    // The first slot, in order, for which pMatch(slot) is true, skipping
    // pSkip matches first; null when there are fewer. pMatch must not change
    // the list.
    template <class F>
    void* FindIf(F pMatch, int pSkip = 0) const
    {
        for (void* object : mSlots) {
            if (object && pMatch(object) && pSkip-- == 0)
                return object;
        }
        return nullptr;
    }

    // Keys are objects of at least 2^pLog2 bytes: the hash then keeps
    // objects that lie close in memory in nearby buckets, so that adding or
    // removing objects made one after another reads few cache lines. Only
    // for objects of that size: smaller ones would crowd their buckets.
    void SetKeySpacing(int pLog2) { mSpacing = pLog2; }
    // The same for the keys of runs alone.
    void SetRunSpacing(int pLog2) { mRunSpacing = pLog2; }
    // The spacing of keys that are objects of pSize bytes.
    static constexpr int SpacingOf(std::size_t pSize) { return pSize < 2 ? 0 : 1 + SpacingOf(pSize / 2); }

    // ---- Runs ----

    void SetRunResolver(RunResolver pResolver, RunCounter pCounter)
    {
        mResolver = pResolver;
        mCounter = pCounter;
    }
    // Appends a run of pCount entries keyed by pRun; false for null, an odd
    // pointer, a count below 1 or a run already listed. The run's counter
    // must answer pCount.
    bool AddRun(void* pRun, int pCount);
    // The run's count changed by pDelta (its counter answers the new one);
    // false when it is not listed.
    bool AdjustRun(void* pRun, int pDelta);
    // Removes the run and its entries; false when it is not listed.
    bool RemoveRun(void* pRun);
    // What ForEach, FindIf and TakeFirst hand out for a run, and back.
    static bool IsRun(void* pSlot) { return (reinterpret_cast<std::uintptr_t>(pSlot) & 1u) != 0; }
    static void* RunOf(void* pSlot) { return reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(pSlot) & ~std::uintptr_t(1)); }
    static void* SlotOf(void* pRun) { return reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(pRun) | 1u); }

private:
    // A bucket of the hash holds the slot of a listed pointer, or kEmpty.
    static constexpr std::uint32_t kEmpty = ~std::uint32_t(0);
    void* ObjectOf(std::uint32_t pBucket) const { return mSlots[pBucket]; }

    int PrefixCount(int pSlots) const;
    // Entries in one slot.
    int WeightOf(int pSlot) const
    {
        void* object = mSlots[static_cast<std::size_t>(pSlot)];
        return !object ? 0 : IsRun(object) ? mCounter(RunOf(object)) : 1;
    }
    // Builds the tree when it is not (linear time).
    void EnsureTree() const;
    void AddToTree(int pSlot, int pDelta);
    // Appends a slot of pWeight entries.
    bool AddSlot(void* pSlot, int pWeight);
    // Empties the slot in pBucket, taking its entries out of the count.
    void RemoveSlot(std::size_t pBucket);
    void Compact();
    std::size_t Home(void* pObject) const;
    // The bucket of pObject, -1 when it is not listed.
    int FindBucket(void* pObject) const;
    // Inserts a pointer not yet in the hash.
    void InsertBucket(void* pObject, std::uint32_t pSlot);
    // Empties a bucket, moving later ones of its probe run back (no
    // tombstones, so lookups stay short).
    void EraseBucket(std::size_t pBucket);
    void Rehash(std::size_t pBuckets);

    std::vector<void*> mSlots;    // null: a hole
    mutable std::vector<int> mTree;  // Fenwick tree of entries per slot, 1-based; empty until needed
    std::vector<std::uint32_t> mBuckets; // a power of two, at most half full
    int mLive;                    // entries, those of runs included
    int mLiveSlots;               // slots that are not holes, all in the hash
    int mRuns;                    // slots that hold runs
    int mFront;  // no live slot before it
    int mSpacing = 0;  // log2 of the least distance between keys; 0: any
    int mRunSpacing = 0;  // the same for the keys of runs
    RunResolver mResolver;
    RunCounter mCounter;
};

struct KQelSdkManager::Lists {
    KQelObjectList mList[kQelManagerListCount];
    // The handles that published runs made (listed through their runs).
    KQelObjectList mRunHandles;
};

// How an object taken out of its list ends.
typedef void (*KQelEndObject)(KQelSdkManager& pManager, void* pObject);

void KQelEndScene(KQelSdkManager& pManager, void* pObject);
void KQelEndNode(KQelSdkManager& pManager, void* pObject);
void KQelEndNodeAttribute(KQelSdkManager& pManager, void* pObject);
void KQelEndLink(KQelSdkManager& pManager, void* pObject);
void KQelEndMaterial(KQelSdkManager& pManager, void* pObject);
void KQelEndShape(KQelSdkManager& pManager, void* pObject);
void KQelEndTexture(KQelSdkManager& pManager, void* pObject);
void KQelEndVideo(KQelSdkManager& pManager, void* pObject);
void KQelEndPose(KQelSdkManager& pManager, void* pObject);
void KQelEndUserProperty(KQelSdkManager& pManager, void* pObject);
void KQelEndThumbnail(KQelSdkManager& pManager, void* pObject);
void KQelEndSceneInfo(KQelSdkManager& pManager, void* pObject);
void KQelEndGenericNode(KQelSdkManager& pManager, void* pObject);
void KQelEndDeformer(KQelSdkManager& pManager, void* pObject);
void KQelEndGeometryConverter(KQelSdkManager& pManager, void* pObject);
void KQelEndImageConverter(KQelSdkManager& pManager, void* pObject);
void KQelEndExporter(KQelSdkManager& pManager, void* pObject);
void KQelEndImporter(KQelSdkManager& pManager, void* pObject);

}  // namespace qelsdk_600

#endif
