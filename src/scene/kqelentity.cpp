#include "scene/kqelentity.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "scene/kqelnode.h"
#include "scene/kqelnode_impl.h"
#include "scene/kqelobject.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

namespace {

const char* const kEntityErrors[KQelEntity::eErrorCount] = {
    "Node is null.",
    "Node is already owned by the entity.",
    "Node does not belong to the entity.",
    "Parameter is out of range.",
    "Material still in use.",
    "Material not found.",
    "Texture still in use.",
    "Texture not found.",
    "Video still in use.",
    "Video not found.",
    "Video name clash.",
    "Generic node still in use.",
    "Generic node not found.",
    nullptr,
    "Deformer still in use.",
    "Deformer not found.",
    nullptr,
};

// Error ids of each reference kind: still in use, not found.
const int kReferenceErrors[KQelEntity::eReferenceKindCount][2] = {
    {KQelEntity::eMaterialInUse, KQelEntity::eMaterialNotFound},
    {KQelEntity::eTextureInUse, KQelEntity::eTextureNotFound},
    {KQelEntity::eVideoInUse, KQelEntity::eVideoNotFound},
    {KQelEntity::eGenericNodeInUse, KQelEntity::eGenericNodeNotFound},
    {KQelEntity::eDeformerInUse, KQelEntity::eDeformerNotFound},
};

bool ValidKind(int pKind)
{
    return pKind >= 0 && pKind < KQelEntity::eReferenceKindCount;
}

const char* NameOf(const KQelObject* pObject)
{
    return pObject->GetName();
}

}  // namespace

struct KQelEntity::Lists {
    // A reference, linked to the other references indexed under the same
    // name, oldest first.
    struct Record : KQelObjectReference {
        std::string mIndexedName;  // the name under which the index holds it
        Record* mOlder;
        Record* mNewer;
    };
    // The records of one name: the oldest and the newest.
    struct NameChain {
        Record* mFirst;
        Record* mLast;
    };
    // A list entry (held as its KQelObjectReference*) as its record.
    static Record* RecordOf(void* pEntry) { return static_cast<Record*>(static_cast<KQelObjectReference*>(pEntry)); }
    struct References {
        KQelObjectList mOrder;  // KQelObjectReference* of each Record, in order of addition
        std::unordered_map<const KQelObject*, Record*> mByObject;
        // The records of each name, keyed by a view of the oldest one's
        // indexed name: made by the first lookup by name, kept up to date
        // from then on, and rebuilt when any object name may have changed
        // since (KQelObject::GetNameChangeCount), so that a lookup by name
        // stays constant time. Kinds never looked up by name pay nothing.
        std::unordered_map<std::string_view, NameChain> mByName;
        bool mNamesIndexed = false;
        unsigned long long mIndexedAt = 0;

        // Records are indexed in order of addition, so each chain stays
        // oldest first.
        void IndexName(Record* pRecord)
        {
            pRecord->mIndexedName = NameOf(pRecord->mObject);
            pRecord->mNewer = nullptr;
            const auto found = mByName.find(pRecord->mIndexedName);
            if (found == mByName.end()) {
                pRecord->mOlder = nullptr;
                mByName.emplace(pRecord->mIndexedName, NameChain{pRecord, pRecord});
                return;
            }
            pRecord->mOlder = found->second.mLast;
            found->second.mLast->mNewer = pRecord;
            found->second.mLast = pRecord;
        }
        void UnindexName(Record* pRecord)
        {
            const auto found = mByName.find(pRecord->mIndexedName);
            if (found == mByName.end())
                return;
            NameChain chain = found->second;
            if (pRecord->mNewer)
                pRecord->mNewer->mOlder = pRecord->mOlder;
            else
                chain.mLast = pRecord->mOlder;
            if (pRecord->mOlder) {
                pRecord->mOlder->mNewer = pRecord->mNewer;
                found->second = chain;
                return;
            }
            // The key views the leaving record's name: the next one keys the
            // chain from now on.
            mByName.erase(found);
            if (Record* next = pRecord->mNewer)
                mByName.emplace(next->mIndexedName, NameChain{next, chain.mLast});
        }
        void SyncNames()
        {
            const unsigned long long changes = KQelObject::GetNameChangeCount();
            if (mNamesIndexed && mIndexedAt == changes)
                return;
            mByName.clear();
            mOrder.ForEach([this](void* pEntry) { IndexName(RecordOf(pEntry)); });
            mNamesIndexed = true;
            mIndexedAt = changes;
        }
        // The oldest record whose object has that name, or null.
        Record* FirstNamed(const char* pName)
        {
            SyncNames();
            const auto found = mByName.find(pName);
            return found == mByName.end() ? nullptr : found->second.mFirst;
        }
        Record* Add(KQelObject* pObject)
        {
            if (mNamesIndexed)
                SyncNames();
            Record* record = new Record;
            record->mObject = pObject;
            record->mUseCount = 1;
            mOrder.Add(static_cast<KQelObjectReference*>(record));
            mByObject.emplace(pObject, record);
            if (mNamesIndexed)
                IndexName(record);
            return record;
        }
        void Remove(Record* pRecord)
        {
            if (mNamesIndexed)
                UnindexName(pRecord);
            mByObject.erase(pRecord->mObject);
            mOrder.Remove(static_cast<KQelObjectReference*>(pRecord));
            delete pRecord;
        }
        void Clear()
        {
            mOrder.ForEach([](void* pEntry) { delete RecordOf(pEntry); });
            mOrder.Clear();
            mByObject.clear();
            mByName.clear();
            mNamesIndexed = false;
        }
    };
    KQelObjectList mNodes;
    References mReferences[eReferenceKindCount];
};

KQelEntity::KQelEntity(KQelSdkManager& pManager)
    : mRoot(nullptr), mLists(new Lists), mError(kEntityErrors, eErrorCount)
{
    mLists->mNodes.SetKeySpacing(KQelObjectList::SpacingOf(sizeof(KQelNode)));
    KQelNode* root = pManager.CreateKQelNode("RootNode");
    if (root)
        root->SetEntity(this, true);
    mRoot = root;
}

KQelEntity::~KQelEntity()
{
    Clear();
    for (Lists::References& references : mLists->mReferences)
        references.Clear();
}

bool KQelEntity::Fail(int pError)
{
    mError.SetLastErrorID(pError);
    return false;
}

int KQelEntity::InUseError(EReferenceKind pKind)
{
    return kReferenceErrors[pKind][0];
}

int KQelEntity::NotFoundError(EReferenceKind pKind)
{
    return kReferenceErrors[pKind][1];
}

// ---- Nodes ----

bool KQelEntity::AddNode(KQelNode* pNode)
{
    if (!pNode)
        return Fail(eNullNode);
    if (!mLists->mNodes.Add(pNode))
        return Fail(eNodeAlreadyOwned);
    return true;
}

bool KQelEntity::RemoveNode(KQelNode* pNode)
{
    if (!pNode)
        return Fail(eNullNode);
    if (!mLists->mNodes.Remove(pNode))
        return Fail(eNodeNotOwned);
    if (pNode == mRoot)
        mRoot = nullptr;
    return true;
}

bool KQelEntity::ContainsNode(const KQelNode* pNode) const
{
    return mLists->mNodes.Contains(const_cast<KQelNode*>(pNode));
}

int KQelEntity::GetNodeCount() const
{
    return mLists->mNodes.GetCount();
}

KQelNode* KQelEntity::GetNode(int pIndex) const
{
    return static_cast<KQelNode*>(mLists->mNodes.GetAt(pIndex));
}

void KQelEntity::FillNodeArray(KArrayTemplate<KQelNode*>& pArray, KQelNodeAttribute::EAttributeType pType,
                               bool pRecursive)
{
    pArray.Clear();
    if (pRecursive) {
        FillNodeArrayRecursive(pArray, pType, mRoot);
        return;
    }
    mLists->mNodes.ForEach([&pArray, pType](void* pObject) {
        KQelNode* node = static_cast<KQelNode*>(pObject);
        KQelNodeAttribute* attribute = node->GetNodeAttribute();
        if (attribute && attribute->GetAttributeType() == pType)
            pArray.Add(node);
    });
}

void KQelEntity::FillNodeArrayRecursive(KArrayTemplate<KQelNode*>& pArray, KQelNodeAttribute::EAttributeType pType,
                                        KQelNode* pNode)
{
    KQelWalkTree(pNode, [&pArray, pType](KQelNode* pVisited) {
        KQelNodeAttribute* attribute = pVisited->GetNodeAttribute();
        if (attribute && attribute->GetAttributeType() == pType)
            pArray.Add(pVisited);
        return eQelWalkDescend;
    });
}

// ---- Referenced objects ----

int KQelEntity::GetReferenceCount(EReferenceKind pKind) const
{
    return ValidKind(pKind) ? mLists->mReferences[pKind].mOrder.GetCount() : 0;
}

KQelObject* KQelEntity::GetReferencedObject(EReferenceKind pKind, int pIndex)
{
    void* record = ValidKind(pKind) ? mLists->mReferences[pKind].mOrder.GetAt(pIndex) : nullptr;
    if (!record) {
        Fail(eOutOfRange);
        return nullptr;
    }
    return static_cast<KQelObjectReference*>(record)->mObject;
}

int KQelEntity::GetReferenceUseCount(EReferenceKind pKind, const KQelObject* pObject) const
{
    if (!ValidKind(pKind))
        return 0;
    const auto& byObject = mLists->mReferences[pKind].mByObject;
    const auto found = byObject.find(pObject);
    return found == byObject.end() ? 0 : found->second->mUseCount;
}

int KQelEntity::FindReferencedObjectIndex(EReferenceKind pKind, const char* pName) const
{
    if (!ValidKind(pKind) || !pName)
        return -1;
    int index = 0;
    const bool found = mLists->mReferences[pKind].mOrder.FindIf([pName, &index](void* pRecord) {
        if (std::strcmp(NameOf(static_cast<KQelObjectReference*>(pRecord)->mObject), pName) == 0)
            return true;
        ++index;
        return false;
    }) != nullptr;
    return found ? index : -1;
}

KQelObject* KQelEntity::FindReferencedObject(EReferenceKind pKind, const char* pName) const
{
    if (!ValidKind(pKind) || !pName)
        return nullptr;
    Lists::Record* record = mLists->mReferences[pKind].FirstNamed(pName);
    return record ? record->mObject : nullptr;
}

bool KQelEntity::AddReference(EReferenceKind pKind, KQelObject* pObject)
{
    if (!ValidKind(pKind) || !pObject)
        return false;
    Lists::References& references = mLists->mReferences[pKind];
    const auto found = references.mByObject.find(pObject);
    Lists::Record* own = found == references.mByObject.end() ? nullptr : found->second;
    if (pKind == eVideos) {
        // As a walk in order would decide: the first reference to this
        // video, or to another one of the same name.
        Lists::Record* first = references.FirstNamed(NameOf(pObject));
        if (first && first != own)
            return Fail(eVideoNameClash);
    }
    if (own)
        ++own->mUseCount;
    else
        references.Add(pObject);
    return true;
}

bool KQelEntity::RemoveReference(EReferenceKind pKind, KQelObject* pObject)
{
    if (!ValidKind(pKind))
        return false;
    Lists::References& references = mLists->mReferences[pKind];
    const auto found = pObject ? references.mByObject.find(pObject) : references.mByObject.end();
    if (found == references.mByObject.end())
        return Fail(NotFoundError(pKind));
    Lists::Record* record = found->second;
    if (--record->mUseCount > 0)
        return Fail(InUseError(pKind));
    references.Remove(record);
    return true;
}

// ---- Typed lists ----

#define QEL_ENTITY_KIND(Type, Kind, Name)                                             \
    bool KQelEntity::Add##Name(Type* pObject) { return AddReference(Kind, AsObject(pObject)); } \
    bool KQelEntity::Remove##Name(Type* pObject) { return RemoveReference(Kind, AsObject(pObject)); }

#define QEL_ENTITY_NAMED_KIND(Type, Kind, Name, As)                                  \
    QEL_ENTITY_KIND(Type, Kind, Name)                                                 \
    Type* KQelEntity::Get##Name(int pIndex) { return As(GetReferencedObject(Kind, pIndex)); } \
    Type* KQelEntity::Get##Name(KString pName)                                        \
    {                                                                                 \
        KQelObject* object = FindReferencedObject(Kind, pName.Buffer());              \
        if (!object)                                                                  \
            Fail(NotFoundError(Kind));                                                \
        return As(object);                                                            \
    }                                                                                 \
    int KQelEntity::Get##Name##Index(KString pName)                                   \
    {                                                                                 \
        const int index = FindReferencedObjectIndex(Kind, pName.Buffer());            \
        if (index < 0)                                                                \
            Fail(NotFoundError(Kind));                                                \
        return index;                                                                 \
    }

QEL_ENTITY_NAMED_KIND(KQelMaterial, eMaterials, Material, AsMaterial)
QEL_ENTITY_NAMED_KIND(KQelTexture, eTextures, Texture, AsTexture)
QEL_ENTITY_NAMED_KIND(KQelVideo, eVideos, Video, AsVideo)

QEL_ENTITY_KIND(KQelGenericNode, eGenericNodes, GenericNode)
QEL_ENTITY_KIND(KQelDeformer, eDeformers, Deformer)

#undef QEL_ENTITY_NAMED_KIND
#undef QEL_ENTITY_KIND

KQelGenericNode* KQelEntity::GetGenericNode(int pIndex)
{
    return AsGenericNode(GetReferencedObject(eGenericNodes, pIndex));
}

KQelGenericNode* KQelEntity::GetGenericNode(const char* pName)
{
    return AsGenericNode(FindReferencedObject(eGenericNodes, pName));
}


int KQelEntity::GetDeformerCount(int pType) const
{
    const KQelObjectList& order = mLists->mReferences[eDeformers].mOrder;
    if (pType == 0)
        return order.GetCount();
    if (pType != 1 && pType != 2)
        return 0;
    int count = 0;
    order.ForEach([pType, &count](void* pRecord) {
        if (DeformerTypeOf(static_cast<KQelObjectReference*>(pRecord)->mObject) == pType)
            ++count;
    });
    return count;
}

KQelDeformer* KQelEntity::GetDeformer(int pIndex, int pType)
{
    if (pIndex < 0 || pType < 0 || pType > 2)
        return nullptr;
    const KQelObjectList& order = mLists->mReferences[eDeformers].mOrder;
    if (pType == 0)
        return pIndex < order.GetCount() ? AsDeformer(GetReferencedObject(eDeformers, pIndex)) : nullptr;
    int remaining = pIndex;
    void* record = order.FindIf([pType](void* pRecord) {
        return DeformerTypeOf(static_cast<KQelObjectReference*>(pRecord)->mObject) == pType;
    }, remaining);
    return record ? AsDeformer(static_cast<KQelObjectReference*>(record)->mObject) : nullptr;
}

KQelDeformer* KQelEntity::GetDeformer(const char* pName)
{
    return AsDeformer(FindReferencedObject(eDeformers, pName));
}


// ---- Ending ----

void KQelEntity::Clear()
{
    mLists->mNodes.ForEach([this](void* pObject) {
        KQelNode* node = static_cast<KQelNode*>(pObject);
        if (node->mEntity == this)
            node->mEntity = nullptr;
        if (node->GetNodeAttribute())
            KQelClearGeometryEntity(node->GetGeometry());
    });
    mRoot = nullptr;
    mLists->mNodes.Clear();
    for (EReferenceKind kind : {eMaterials, eTextures})
        mLists->mReferences[kind].Clear();
}

// ---- Names ----

bool KQelEntity::ValidateName(KQelObject& pObject, const char* pName, unsigned int* pIndex)
{
    if (!pName)
        return false;
    auto objectsOf = [this](int pList) {
        std::vector<KQelObject*> objects;
        if (pList < 0) {
            mLists->mNodes.ForEach([&objects](void* pNode) { objects.push_back(static_cast<KQelNode*>(pNode)); });
        } else {
            mLists->mReferences[pList].mOrder.ForEach([&objects](void* pRecord) {
                objects.push_back(static_cast<KQelObjectReference*>(pRecord)->mObject);
            });
        }
        return objects;
    };
    // True when the name is in the list (a sorted copy of it).
    auto lookup = [&](std::vector<KQelObject*> pObjects) {
        SortByName(pObjects.data(), static_cast<unsigned int>(pObjects.size()));
        return FindNameRecursive(pObjects.data(), pName, 0, static_cast<int>(pObjects.size()) - 1, pIndex);
    };
    const int kNodes = -1;
    int own;
    switch (pObject.GetNameSpace()) {
    case KQelObject::eModel:
        own = kNodes;
        break;
    case KQelObject::eTexture:
        own = eTextures;
        break;
    case KQelObject::eMaterial:
        own = eMaterials;
        break;
    case KQelObject::eDeformer:
        for (int list : {kNodes, static_cast<int>(eMaterials), static_cast<int>(eTextures),
                         static_cast<int>(eGenericNodes)}) {
            std::vector<KQelObject*> objects = objectsOf(list);
            if (!objects.empty() && !lookup(std::move(objects)))
                return false;
        }
        return true;
    default:
        return false;
    }
    std::vector<KQelObject*> ownObjects = objectsOf(own);
    if (ownObjects.empty())
        return true;
    std::vector<KQelObject*> generic = objectsOf(eGenericNodes);
    if (!generic.empty() && !lookup(std::move(generic)))
        return false;
    return lookup(std::move(ownObjects));
}

bool KQelEntity::ValidateNewName(KQelObject& pObject, const char* pName)
{
    return !ValidateName(pObject, pName, nullptr);
}

void KQelEntity::SortByName(KQelObject** pObjects, unsigned int pCount)
{
    if (!pObjects || pCount < 2)
        return;
    // Hoare partitions around the middle entry's name; the smaller part is
    // sorted first by recursion and the larger one by the loop, which bounds
    // the depth and gives the same order as sorting the left part first.
    struct Sorter {
        KQelObject** mObjects;
        void Sort(int pLow, int pHigh)
        {
            while (pLow < pHigh) {
                const char* pivot = NameOf(mObjects[pLow + (pHigh - pLow) / 2]);
                int i = pLow, j = pHigh;
                while (i <= j) {
                    while (std::strcmp(NameOf(mObjects[i]), pivot) < 0)
                        ++i;
                    while (std::strcmp(NameOf(mObjects[j]), pivot) > 0)
                        --j;
                    if (i <= j) {
                        std::swap(mObjects[i], mObjects[j]);
                        ++i;
                        --j;
                    }
                }
                if (j - pLow < pHigh - i) {
                    Sort(pLow, j);
                    pLow = i;
                } else {
                    Sort(i, pHigh);
                    pHigh = j;
                }
            }
        }
    };
    Sorter{pObjects}.Sort(0, static_cast<int>(pCount) - 1);
}

bool KQelEntity::FindNameRecursive(KQelObject** pObjects, const char* pName, int pLow, int pHigh,
                                   unsigned int* pIndex)
{
    if (!pObjects || !pName)
        return false;
    while (pLow <= pHigh) {
        const int middle = pLow + (pHigh - pLow) / 2;
        const int order = std::strcmp(pName, NameOf(pObjects[middle]));
        if (order == 0) {
            if (pIndex)
                *pIndex = static_cast<unsigned int>(middle);
            return true;
        }
        if (order < 0)
            pHigh = middle - 1;
        else
            pLow = middle + 1;
    }
    return false;
}

}  // namespace qelsdk_600
