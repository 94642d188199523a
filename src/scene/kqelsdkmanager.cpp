#include "scene/kqelsdkmanager.h"

#include <cstdint>
#include <new>

#include "base/klib.h"
#include "base/kname.h"
#include "scene/kqelnode.h"
#include "scene/kqelnull.h"
#include "scene/kqelobject.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqelsdkmanager_impl.h"
#include "scene/kqelthumbnail.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {

int gsManagerRefCount = 0;

namespace {

const char* const kManagerErrors[] = {"Object not found", ""};

// The module holds the base library from its loading to its unloading.
struct ModuleHold {
    ModuleHold()
    {
        KBaseLib_Init();
        ++gsManagerRefCount;
    }
    ~ModuleHold()
    {
        --gsManagerRefCount;
        KBaseLib_Terminate();
    }
};
ModuleHold gsModuleHold;

// How the objects of each list end, by list.
const KQelEndObject kEnders[kQelManagerListCount] = {
    KQelEndScene,     KQelEndNode,         KQelEndNodeAttribute, KQelEndLink,
    KQelEndMaterial,  KQelEndShape,        KQelEndTexture,       KQelEndVideo,
    KQelEndPose,      KQelEndUserProperty, KQelEndThumbnail,     KQelEndSceneInfo,
    KQelEndGenericNode, KQelEndDeformer,   KQelEndGeometryConverter, KQelEndImageConverter,
    KQelEndExporter,  KQelEndImporter,
};

// The lists Clear ends, in its order; deformers and image converters stay.
const EQelManagerList kClearOrder[] = {
    kQelSceneList,    kQelNodeAttributeList, kQelNodeList,       kQelLinkList,
    kQelMaterialList, kQelShapeList,         kQelTextureList,    kQelVideoList,
    kQelPoseList,     kQelUserPropertyList,  kQelGenericNodeList, kQelThumbnailList,
    kQelSceneInfoList, kQelGeometryConverterList, kQelExporterList, kQelImporterList,
};

}  // namespace

// ---- KQelObjectList ----

KQelObjectList::KQelObjectList()
    : mLive(0), mLiveSlots(0), mRuns(0), mFront(0), mResolver(nullptr), mCounter(nullptr)
{
}

KQelObjectList::~KQelObjectList() {}

std::size_t KQelObjectList::Home(void* pObject) const
{
    // Fibonacci hashing of the address; allocations differ in their middle
    // bits, which the multiplication spreads to the top.
    const unsigned long long key = static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pObject));
    const int spacing = IsRun(pObject) ? mRunSpacing : mSpacing;
    if (spacing == 0) {
        const unsigned long long mixed = key * 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(mixed >> 32) & (mBuckets.size() - 1);
    }
    // Sixteen neighbouring keys share one line of buckets, in address
    // order; the lines are spread as above. Keys at least 2^spacing bytes
    // apart put at most one key in each bucket of their line.
    const unsigned long long unit = key >> spacing;
    const unsigned long long line = ((unit >> 4) * 0x9E3779B97F4A7C15ull) >> 32;
    return static_cast<std::size_t>((line << 4) | (unit & 15u)) & (mBuckets.size() - 1);
}

int KQelObjectList::FindBucket(void* pObject) const
{
    if (mBuckets.empty())
        return -1;
    const std::size_t mask = mBuckets.size() - 1;
    for (std::size_t i = Home(pObject);; i = (i + 1) & mask) {
        if (mBuckets[i] == kEmpty)
            return -1;
        if (ObjectOf(mBuckets[i]) == pObject)
            return static_cast<int>(i);
    }
}

void KQelObjectList::InsertBucket(void* pObject, std::uint32_t pSlot)
{
    if (static_cast<std::size_t>(mLiveSlots + 1) * 2 > mBuckets.size())
        Rehash(mBuckets.empty() ? 16 : mBuckets.size() * 2);
    const std::size_t mask = mBuckets.size() - 1;
    std::size_t i = Home(pObject);
    while (mBuckets[i] != kEmpty)
        i = (i + 1) & mask;
    mBuckets[i] = pSlot;
}

void KQelObjectList::EraseBucket(std::size_t pBucket)
{
    const std::size_t mask = mBuckets.size() - 1;
    std::size_t hole = pBucket;
    for (std::size_t i = (hole + 1) & mask; mBuckets[i] != kEmpty; i = (i + 1) & mask) {
        // An entry may fill the hole when the hole lies on its probe run,
        // that is between its home and where it sits.
        const std::size_t home = Home(ObjectOf(mBuckets[i]));
        if (((i - home) & mask) >= ((i - hole) & mask)) {
            mBuckets[hole] = mBuckets[i];
            hole = i;
        }
    }
    mBuckets[hole] = kEmpty;
}

void KQelObjectList::Rehash(std::size_t pBuckets)
{
    std::vector<std::uint32_t> old;
    old.swap(mBuckets);
    mBuckets.assign(pBuckets, kEmpty);
    const std::size_t mask = pBuckets - 1;
    for (std::uint32_t slot : old) {
        if (slot == kEmpty)
            continue;
        std::size_t i = Home(ObjectOf(slot));
        while (mBuckets[i] != kEmpty)
            i = (i + 1) & mask;
        mBuckets[i] = slot;
    }
}

int KQelObjectList::PrefixCount(int pSlots) const
{
    int sum = 0;
    for (int i = pSlots; i > 0; i -= i & -i)
        sum += mTree[static_cast<std::size_t>(i)];
    return sum;
}

void KQelObjectList::AddToTree(int pSlot, int pDelta)
{
    if (mTree.empty())
        return;
    const int size = static_cast<int>(mSlots.size());
    for (int i = pSlot + 1; i <= size; i += i & -i)
        mTree[static_cast<std::size_t>(i)] += pDelta;
}

void KQelObjectList::EnsureTree() const
{
    if (!mTree.empty())
        return;
    const std::size_t size = mSlots.size();
    mTree.assign(size + 1, 0);
    for (std::size_t i = 1; i <= size; ++i) {
        mTree[i] += WeightOf(static_cast<int>(i - 1));
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= size)
            mTree[parent] += mTree[i];
    }
}

bool KQelObjectList::AddSlot(void* pSlot, int pWeight)
{
    if (FindBucket(pSlot) >= 0)
        return false;
    const int slot = static_cast<int>(mSlots.size());
    // Listed first: the hash reads pointers from their slots.
    mSlots.push_back(pSlot);
    InsertBucket(pSlot, static_cast<std::uint32_t>(slot));
    ++mLiveSlots;
    if (!mTree.empty()) {
        // Tree node i (1-based) covers the slots (i - lowbit(i), i].
        const int node = slot + 1;
        mTree.push_back(pWeight + PrefixCount(node - 1) - PrefixCount(node - (node & -node)));
    }
    mLive += pWeight;
    return true;
}

bool KQelObjectList::Add(void* pObject)
{
    return pObject && !IsRun(pObject) && AddSlot(pObject, 1);
}

bool KQelObjectList::AddRun(void* pRun, int pCount)
{
    if (!pRun || IsRun(pRun) || pCount < 1 || !mCounter || !AddSlot(SlotOf(pRun), pCount))
        return false;
    ++mRuns;
    return true;
}

bool KQelObjectList::AdjustRun(void* pRun, int pDelta)
{
    const int bucket = pRun ? FindBucket(SlotOf(pRun)) : -1;
    if (bucket < 0)
        return false;
    AddToTree(static_cast<int>(mBuckets[static_cast<std::size_t>(bucket)]), pDelta);
    mLive += pDelta;
    return true;
}

void KQelObjectList::RemoveSlot(std::size_t pBucket)
{
    const int slot = static_cast<int>(mBuckets[pBucket]);
    const int weight = WeightOf(slot);
    if (IsRun(mSlots[static_cast<std::size_t>(slot)]))
        --mRuns;
    EraseBucket(pBucket);
    AddToTree(slot, -weight);
    mSlots[static_cast<std::size_t>(slot)] = nullptr;
    mLive -= weight;
    --mLiveSlots;
    // Holes at the end go at once (a tree node covers no later slot), so
    // that removals in reverse order of addition never compact.
    while (!mSlots.empty() && !mSlots.back()) {
        mSlots.pop_back();
        if (!mTree.empty())
            mTree.pop_back();
    }
    if (mFront > static_cast<int>(mSlots.size()))
        mFront = static_cast<int>(mSlots.size());
    const int holes = static_cast<int>(mSlots.size()) - mLiveSlots;
    if (holes > mLiveSlots && holes > 16)
        Compact();
}

bool KQelObjectList::Remove(void* pObject)
{
    const int bucket = pObject && !IsRun(pObject) ? FindBucket(pObject) : -1;
    if (bucket < 0)
        return false;
    RemoveSlot(static_cast<std::size_t>(bucket));
    return true;
}

bool KQelObjectList::RemoveRun(void* pRun)
{
    const int bucket = pRun ? FindBucket(SlotOf(pRun)) : -1;
    if (bucket < 0)
        return false;
    RemoveSlot(static_cast<std::size_t>(bucket));
    return true;
}

void KQelObjectList::Compact()
{
    // In place, in order; the tree is built again when needed.
    std::size_t kept = 0;
    for (void* object : mSlots) {
        if (object)
            mSlots[kept++] = object;
    }
    mSlots.resize(kept);
    mTree.clear();
    mFront = 0;
    std::size_t buckets = 16;
    while (buckets < kept * 2 + 2)
        buckets *= 2;
    mBuckets.assign(buckets, kEmpty);
    const std::size_t mask = buckets - 1;
    for (std::size_t slot = 0; slot < kept; ++slot) {
        std::size_t i = Home(mSlots[slot]);
        while (mBuckets[i] != kEmpty)
            i = (i + 1) & mask;
        mBuckets[i] = static_cast<std::uint32_t>(slot);
    }
}

void* KQelObjectList::GetAt(int pIndex) const
{
    if (pIndex < 0 || pIndex >= mLive)
        return nullptr;
    if (mRuns == 0 && mLive == static_cast<int>(mSlots.size()))
        return mSlots[static_cast<std::size_t>(pIndex)];
    // The slot holding the (pIndex + 1)-th entry: descend the tree.
    EnsureTree();
    const int size = static_cast<int>(mSlots.size());
    int step = 1;
    while (step * 2 <= size)
        step *= 2;
    int position = 0;
    int remaining = pIndex + 1;
    for (; step > 0; step /= 2) {
        const int next = position + step;
        if (next <= size && mTree[static_cast<std::size_t>(next)] < remaining) {
            position = next;
            remaining -= mTree[static_cast<std::size_t>(next)];
        }
    }
    void* object = mSlots[static_cast<std::size_t>(position)];
    if (!IsRun(object))
        return object;
    return mResolver ? mResolver(RunOf(object), remaining - 1) : nullptr;
}

void* KQelObjectList::TakeFirst()
{
    if (mLiveSlots == 0)
        return nullptr;
    while (!mSlots[static_cast<std::size_t>(mFront)])
        ++mFront;
    void* object = mSlots[static_cast<std::size_t>(mFront)];
    RemoveSlot(static_cast<std::size_t>(FindBucket(object)));
    return object;
}

// ---- Construction and end ----

KQelSdkManager* KQelSdkManager::CreateKQelSdkManager()
{
    return new KQelSdkManager;
}

KQelSdkManager::KQelSdkManager() : mLists(new Lists), mRenaming(), mError(kManagerErrors, 2)
{
    // Nodes are the lists' bulk: a node's entries are found near those of the
    // nodes made before and after it. Runs are published by nodes and by
    // materials, which are far fewer.
    mLists->mList[kQelNodeList].SetKeySpacing(KQelObjectList::SpacingOf(sizeof(KQelNode)));
    mLists->mList[kQelUserPropertyList].SetRunSpacing(KQelObjectList::SpacingOf(sizeof(KQelNode)));
    mLists->mList[kQelUserPropertyList].SetRunResolver(
        [](void* pRun, int pIndex) -> void* { return static_cast<KQelObject*>(pRun)->RunEntry(pIndex); },
        [](void* pRun) { return static_cast<KQelObject*>(pRun)->RunLiveCount(); });
    if (gsManagerRefCount == 0)
        KBaseLib_Init();
    ++gsManagerRefCount;
}

KQelSdkManager::~KQelSdkManager()
{
    Clear();
    EndAll(kQelDeformerList);
    EndAll(kQelImageConverterList);
    for (KRenamingStrategy*& strategy : mRenaming) {
        delete strategy;
        strategy = nullptr;
    }
    if (--gsManagerRefCount == 0)
        KBaseLib_Terminate();
}

void KQelSdkManager::EndAll(int pList)
{
    KQelObjectList& list = mLists->mList[pList];
    // One at a time: ending an object may destroy others through this
    // manager, which then finds them still listed, or already gone.
    while (void* object = list.TakeFirst()) {
        if (KQelObjectList::IsRun(object))
            static_cast<KQelObject*>(KQelObjectList::RunOf(object))->EndRun();
        else
            kEnders[pList](*this, object);
    }
}

void KQelSdkManager::ListRun(KQelObject* pOwner, int pCount)
{
    mLists->mList[kQelUserPropertyList].AddRun(pOwner, pCount);
}

void KQelSdkManager::UnlistRun(KQelObject* pOwner)
{
    mLists->mList[kQelUserPropertyList].RemoveRun(pOwner);
}

void KQelSdkManager::NoteRunHandle(KQelUserProperty* pProperty, bool pMade)
{
    if (pMade)
        mLists->mRunHandles.Add(pProperty);
    else
        mLists->mRunHandles.Remove(pProperty);
}

void KQelSdkManager::Clear()
{
    for (EQelManagerList list : kClearOrder)
        EndAll(list);
    for (KRenamingStrategy* strategy : mRenaming) {
        if (strategy)
            strategy->Clear();
    }
}

// ---- List machinery ----

void* KQelSdkManager::List(int pList, void* pObject)
{
    // An allocate that hands out an object already listed gets it back
    // without a second entry.
    mLists->mList[pList].Add(pObject);
    return pObject;
}

bool KQelSdkManager::Unlist(int pList, void* pObject)
{
    return pObject && mLists->mList[pList].Remove(pObject);
}

bool KQelSdkManager::Destroy(int pList, void* pObject)
{
    if (!Unlist(pList, pObject))
        return NotFound();
    kEnders[pList](*this, pObject);
    return true;
}

bool KQelSdkManager::NotFound()
{
    mError.SetLastErrorID(0);
    return false;
}

void KQelSdkManager::Rename(ERenamingKind pKind, KQelObject* pObject)
{
    if (pObject && mRenaming[pKind])
        mRenaming[pKind]->Rename(pObject->GetKName());
}

KRenamingStrategy* KQelSdkManager::SetRenamingStrategy(ERenamingKind pKind, KRenamingStrategy* pStrategy)
{
    if (pKind < 0 || pKind >= eRenamingKindCount)
        return nullptr;
    KRenamingStrategy* previous = mRenaming[pKind];
    mRenaming[pKind] = pStrategy;
    return previous;
}

KRenamingStrategy* KQelSdkManager::GetRenamingStrategy(ERenamingKind pKind) const
{
    return pKind >= 0 && pKind < eRenamingKindCount ? mRenaming[pKind] : nullptr;
}

// ---- Names ----

KString KQelSdkManager::PrefixName(const char* pPrefix, const char* pName)
{
    KString name(pName ? pName : "");
    const int separator = name.Find("::");
    if (separator >= 0)
        name = name.Mid(static_cast<unsigned int>(separator + 2));
    if (name.IsEmpty())
        name = "Name";
    if (pPrefix && *pPrefix)
        return KString(pPrefix) + name;
    return name;
}

const char* GetDeformerPrefixFromTypeName(const char* pTypeName)
{
    if (pTypeName && KString(pTypeName).CompareNoCase("Cluster") == 0)
        return "SubDeformer::";
    return "Deformer::";
}

// ---- Creates that need no more than a pointer ----

KQelScene* KQelSdkManager::CreateKQelScene()
{
    return static_cast<KQelScene*>(List(kQelSceneList, AllocateKQelScene()));
}

KQelLink* KQelSdkManager::CreateKQelLink()
{
    return static_cast<KQelLink*>(List(kQelLinkList, AllocateKQelLink()));
}

KQelPose* KQelSdkManager::CreateKQelPose(const char* pName, bool pBindPose)
{
    const KString name = PrefixName("Pose::", pName);
    return static_cast<KQelPose*>(List(kQelPoseList, AllocateKQelPose(name.Buffer(), pBindPose)));
}

KQelUserProperty* KQelSdkManager::CreateKQelUserProperty(const char* pName, const char* pTypeName,
                                                         const char* pLabel)
{
    return static_cast<KQelUserProperty*>(
        List(kQelUserPropertyList, AllocateKQelUserProperty(pName, pTypeName, pLabel)));
}

KQelUserProperty* KQelSdkManager::CreateKQelUserProperty(KProperty* pProperty)
{
    return static_cast<KQelUserProperty*>(List(kQelUserPropertyList, AllocateKQelUserProperty(pProperty)));
}

KQelDeformer* KQelSdkManager::CreateKQelDeformer(const char* pName, const char* pTypeName)
{
    const KString name = PrefixName(GetDeformerPrefixFromTypeName(pTypeName), pName);
    return static_cast<KQelDeformer*>(List(kQelDeformerList, AllocateKQelDeformer(name.Buffer(), pTypeName)));
}

KQelGenericNode* KQelSdkManager::CreateKQelGenericNode(const char* pName)
{
    return static_cast<KQelGenericNode*>(List(kQelGenericNodeList, AllocateKQelGenericNode(pName)));
}

KQelThumbnail* KQelSdkManager::CreateKQelThumbnail()
{
    return static_cast<KQelThumbnail*>(List(kQelThumbnailList, AllocateKQelThumbnail()));
}

KQelSceneInfo* KQelSdkManager::CreateKQelSceneInfo()
{
    return static_cast<KQelSceneInfo*>(List(kQelSceneInfoList, AllocateKQelSceneInfo()));
}

KQelGeometryConverter* KQelSdkManager::CreateKQelGeometryConverter()
{
    return static_cast<KQelGeometryConverter*>(List(kQelGeometryConverterList, AllocateKQelGeometryConverter()));
}

KQelImageConverter* KQelSdkManager::CreateKQelImageConverter()
{
    return static_cast<KQelImageConverter*>(List(kQelImageConverterList, AllocateKQelImageConverter()));
}

KQelExporter* KQelSdkManager::CreateKQelExporter()
{
    return static_cast<KQelExporter*>(List(kQelExporterList, AllocateKQelExporter()));
}

KQelImporter* KQelSdkManager::CreateKQelImporter()
{
    return static_cast<KQelImporter*>(List(kQelImporterList, AllocateKQelImporter()));
}

// ---- Counts and indexed getters ----

#define QEL_MANAGER_GETTERS(Type, Name, ListId)                                       \
    int KQelSdkManager::Get##Name##Count() const { return mLists->mList[ListId].GetCount(); } \
    Type* KQelSdkManager::Get##Name(int pIndex) const                                 \
    {                                                                                 \
        return static_cast<Type*>(mLists->mList[ListId].GetAt(pIndex));               \
    }

QEL_MANAGER_GETTERS(KQelScene, KQelScene, kQelSceneList)
QEL_MANAGER_GETTERS(KQelNode, KQelNode, kQelNodeList)
QEL_MANAGER_GETTERS(KQelMaterial, KQelMaterial, kQelMaterialList)
QEL_MANAGER_GETTERS(KQelTexture, KQelTexture, kQelTextureList)
QEL_MANAGER_GETTERS(KQelVideo, KQelVideo, kQelVideoList)
QEL_MANAGER_GETTERS(KQelPose, KQelPose, kQelPoseList)
QEL_MANAGER_GETTERS(KQelLink, KQelLink, kQelLinkList)
QEL_MANAGER_GETTERS(KQelNodeAttribute, KQelNodeAttribute, kQelNodeAttributeList)
QEL_MANAGER_GETTERS(KQelUserProperty, KQelUserProperty, kQelUserPropertyList)
QEL_MANAGER_GETTERS(KQelThumbnail, KQelThumbnail, kQelThumbnailList)
QEL_MANAGER_GETTERS(KQelSceneInfo, KQelSceneInfo, kQelSceneInfoList)
QEL_MANAGER_GETTERS(KQelGenericNode, KQelGenericNode, kQelGenericNodeList)
QEL_MANAGER_GETTERS(KQelImageConverter, KQelImageConverter, kQelImageConverterList)

#undef QEL_MANAGER_GETTERS

// ---- Node attributes ----

void KQelEndNodeAttribute(KQelSdkManager& pManager, void* pObject)
{
    KQelNodeAttribute* attribute = static_cast<KQelNodeAttribute*>(pObject);
    // A node must not keep an attribute (nor its channels) that is gone.
    attribute->DetachFromNode();
    delete attribute;
}

bool KQelSdkManager::DestroyKQelNodeAttribute(KQelNodeAttribute* pAttribute)
{
    return Destroy(kQelNodeAttributeList, pAttribute);
}

// ---- Nulls ----

KQelNull* KQelSdkManager::AllocateKQelNull()
{
    return new KQelNull(*this);
}

KQelNull* KQelSdkManager::CreateKQelNull()
{
    KQelNull* attribute = AllocateKQelNull();
    List(kQelNodeAttributeList, static_cast<KQelNodeAttribute*>(attribute));
    return attribute;
}

// ---- User properties ----

KQelUserProperty* KQelSdkManager::AllocateKQelUserProperty(const char* pName, const char* pTypeName,
                                                           const char* pLabel)
{
    return new KQelUserProperty(*this, pName, pTypeName, pLabel);
}

KQelUserProperty* KQelSdkManager::AllocateKQelUserProperty(KProperty* pProperty)
{
    return new KQelUserProperty(*this, pProperty);
}

void KQelEndUserProperty(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelUserProperty*>(pObject);
}

bool KQelSdkManager::DestroyKQelUserProperty(KQelUserProperty* pProperty)
{
    // A handle of a published run is listed through its run.
    KQelObject* owner = mLists->mRunHandles.Contains(pProperty) ? pProperty->mRunOwner : nullptr;
    if (owner && owner->ForgetRunHandle(pProperty)) {
        mLists->mList[kQelUserPropertyList].AdjustRun(owner, -1);
        KQelEndUserProperty(*this, pProperty);
        return true;
    }
    return Destroy(kQelUserPropertyList, pProperty);
}

KQelUserProperty* KQelSdkManager::FindKQelUserProperty(const char* pName)
{
    if (!pName)
        return nullptr;
    KQelUserProperty* found = nullptr;
    mLists->mList[kQelUserPropertyList].FindIf([pName, &found](void* pSlot) {
        if (!KQelObjectList::IsRun(pSlot)) {
            KQelUserProperty* property = static_cast<KQelUserProperty*>(pSlot);
            found = property->GetName() == pName ? property : nullptr;
        } else {
            found = static_cast<KQelObject*>(KQelObjectList::RunOf(pSlot))->FindRunEntry(pName);
        }
        return found != nullptr;
    });
    return found;
}

// ---- Thumbnails ----

KQelThumbnail* KQelSdkManager::AllocateKQelThumbnail()
{
    return new KQelThumbnail;
}

void KQelEndThumbnail(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelThumbnail*>(pObject);
}

bool KQelSdkManager::DestroyKQelThumbnail(KQelThumbnail* pThumbnail)
{
    return Destroy(kQelThumbnailList, pThumbnail);
}

// ---- Scene information ----

KQelSceneInfo* KQelSdkManager::AllocateKQelSceneInfo()
{
    return new KQelSceneInfo;
}

void KQelEndSceneInfo(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelSceneInfo*>(pObject);
}

bool KQelSdkManager::DestroyKQelSceneInfo(KQelSceneInfo* pSceneInfo)
{
    return Destroy(kQelSceneInfoList, pSceneInfo);
}

}  // namespace qelsdk_600
