#include "object/kplug.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>

#include "object/khandlemanager_impl.h"

namespace qelsdk_600 {

namespace {

// A copy of a few entries, on the stack up to kInline of them: a plug's
// disconnections walk such a copy (handlers may change the array), and a
// node's destroy disconnects many plugs of one or two connections each.
template <class T>
class SmallCopy {
public:
    SmallCopy(const T* pBegin, const T* pEnd) : mCount(static_cast<std::size_t>(pEnd - pBegin))
    {
        if (mCount > kInline) {
            mHeap.assign(pBegin, pEnd);
            mData = mHeap.data();
        } else {
            std::copy(pBegin, pEnd, mInline);
            mData = mInline;
        }
    }
    SmallCopy(const SmallCopy&) = delete;
    SmallCopy& operator=(const SmallCopy&) = delete;
    std::size_t size() const { return mCount; }
    const T& operator[](std::size_t pIndex) const { return mData[pIndex]; }

private:
    static constexpr std::size_t kInline = 8;
    T mInline[kInline];
    std::vector<T> mHeap;
    const T* mData;
    std::size_t mCount;
};

}  // namespace

KClassDefinition KPlug::ClassDefinition = {&KPlug::ClassId, nullptr, "KPlug", nullptr};
int KPlug::ClassId = KPlug_RegisterClassId(&KPlug::ClassDefinition, -1);

void KPlug::EndPlug()
{
    if (L()) {
        std::vector<KPlug*> subPlugs;
        subPlugs.swap(L()->mSubPlugs);
        for (KPlug* subPlug : subPlugs) {
            subPlug->SetOwnerField(nullptr);
            if (subPlug->mFlags & kFlagMadeAsView)
                Delete(subPlug);
            else
                subPlug->ClearEntries();  // a view that outlives the plug it showed shows nothing
        }
        ReleaseOwned(L()->mOwned);
    }
    if (mOwner) {
        if (IsSubPlug())
            mOwner->RemoveSubPlug(this);
        else
            mOwner->DisconnectOwnedPlug(this);
    }
    // A sub-plug's entries are mirrors: no peer refers to it.
    if (L() && !IsSubPlug()) {
        const std::vector<Connection>& connections = L()->mConnections;
        for (std::size_t i = 0; i < connections.size(); ++i) {
            KPlug* peer = Resolve(connections[i]);
            if (!peer)
                continue;
            // Our destination entries are the peer's source entries.
            bool peerSideIsSource = static_cast<int>(i) >= L()->mSrcCount;
            peer->RemoveEntry(peerSideIsSource, this);
            peer->SubPlugsRemove(peerSideIsSource, this);
        }
    }
    if (HandleOf() != kNoHandle)
        KHandleManager::Get().Release(L()->mHandle, L()->mHandleId);
    if (!(mFlags & kFlagLinksInPlace))
        delete L();
    else if (L())
        L()->~Links();
}

void KPlug::MakeLinksIn(LinksRoom* pRoom)
{
    if (L() || !pRoom)
        return;
    Links* links = new (pRoom->mBytes) Links;
    links->mFilter = GetFilter();
    mLinks = reinterpret_cast<std::uintptr_t>(links);
    mFlags |= kFlagLinksInPlace;
}

KPlug::Links& KPlug::MakeLinks()
{
    if (!L()) {
        Links* links = new Links;
        links->mFilter = GetFilter();
        mLinks = reinterpret_cast<std::uintptr_t>(links);
    }
    return *L();
}

void KPlug::EnsureHandle()
{
    Links& links = MakeLinks();
    if (links.mHandle == kNoHandle)
        KHandleManager::Get().Acquire(this, links.mHandle, links.mHandleId);
}

void KPlug::KeepListOwner()
{
    MakeLinks().mListOwner = mOwner;
    mFlags &= ~kFlagListedByOwner;
}

void KPlug::SetListOwnerField(KPlug* pListOwner)
{
    mFlags &= ~kFlagListedByOwner;
    if (pListOwner && pListOwner == mOwner) {
        mFlags |= kFlagListedByOwner;
        pListOwner = nullptr;
    }
    if (pListOwner || L())
        MakeLinks().mListOwner = pListOwner;
}

void KPlug::SetExtension(Extension* pExtension)
{
    if (pExtension || L())
        MakeLinks().mExtension.reset(pExtension);
}

void KPlug::ClearEntries()
{
    if (L()) {
        L()->mConnections.clear();
        L()->mSrcCount = 0;
    }
}

void KPlug::SetFilterField(KPlugFilter* pFilter)
{
    if (L())
        L()->mFilter = pFilter;
    else
        mLinks = pFilter ? reinterpret_cast<std::uintptr_t>(pFilter) | kFilterAlone : 0;
}

void KPlug::SetUserTag(kReference pTag)
{
    if (pTag || L())
        MakeLinks().mUserTag = pTag;
}

void KPlug::SetListener(KPlugListener* pListener)
{
    if (pListener || L())
        MakeLinks().mListener = pListener;
}

IKObject* KPlug::IQuery(unsigned long pInterfaceId, int pReserved)
{
    if (pInterfaceId == kIID_IKObject || pInterfaceId == kIID_ICallback || pInterfaceId == kIID_KPlug)
        return this;
    return nullptr;
}

void KPlug::Destroy(int pLocal)
{
    Destruct();
    Delete(this);
}

void KPlug::Delete(KPlug* pPlug)
{
    if (pPlug && (pPlug->mFlags & kFlagInPlace))
        pPlug->~KPlug();
    else
        delete pPlug;
}

void KPlug::Destruct()
{
    DisconnectAllSrc();
    DisconnectAllDst();
}

bool KPlug::Is(int pClassId) const
{
    return KClassDefinitionIs(GetClassDefinition(), pClassId);
}

int KPlug::GetClassId() const
{
    return *GetClassDefinition()->mClassId;
}

const char* KPlug::GetClassIdName() const
{
    return GetClassDefinition()->mClassName;
}

KClassDefinition* KPlug::GetClassDefinition() const
{
    return &ClassDefinition;
}

int KPlug::GetClassGroupId() const
{
    return -1;
}

const char* KPlug::GetClassGroupName() const
{
    return "";
}

bool KPlug::PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                       KPlug* pOther, kConnectionType pType, KPlug* pNewPlug)
{
    if (mOwner && !(mFlags & kFlagNoOwnerNotify)) {
        KPlugCallstack frame = {this, pStack};
        return mOwner->PlugNotify(&frame, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
    }
    if (KPlugListener* listener = GetListener())
        listener->PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
    return true;
}

bool KPlug::PlugDataNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, void* pData1,
                           void* pData2, int pExtra)
{
    if (mOwner && !(mFlags & kFlagNoOwnerNotify)) {
        KPlugCallstack frame = {this, pStack};
        return mOwner->PlugDataNotify(&frame, pAction, pPlug, pData1, pData2, pExtra);
    }
    if (KPlugListener* listener = GetListener())
        listener->PlugDataNotify(pStack, pAction, pPlug, pData1, pData2, pExtra);
    return true;
}

bool KPlug::ConnectOwnedPlug(KPlug* pPlug)
{
    if (!pPlug || pPlug == this || pPlug->mOwner == this || pPlug->IsSubPlug())
        return false;
    if (pPlug->mOwner)
        pPlug->mOwner->DisconnectOwnedPlug(pPlug);
    pPlug->SetOwnerField(this);
    OwnedAppend(pPlug);
    return true;
}

bool KPlug::DisconnectOwnedPlug(KPlug* pPlug)
{
    if (!pPlug || !OwnedRemove(pPlug))
        return false;
    pPlug->SetOwnerField(nullptr);
    return true;
}

void KPlug::ReserveOwnedPlugs(int pCount)
{
    if (pCount > 0) {
        std::vector<KPlug*>& owned = *RecordOwned(true);
        owned.reserve(owned.size() + static_cast<std::size_t>(pCount));
    }
}

std::vector<KPlug*>* KPlug::RecordOwned(bool pMake)
{
    if (pMake)
        return &MakeLinks().mOwned;
    return L() ? &L()->mOwned : nullptr;
}

int KPlug::OwnedCount() const
{
    return L() ? static_cast<int>(L()->mOwned.size()) : 0;
}

KPlug* KPlug::OwnedAt(int pIndex) const
{
    return L()->mOwned[static_cast<std::size_t>(pIndex)];
}

void KPlug::OwnedAppend(KPlug* pPlug)
{
    MakeLinks().mOwned.push_back(pPlug);
}

bool KPlug::OwnedRemove(KPlug* pPlug)
{
    if (!L())
        return false;
    std::vector<KPlug*>& owned = L()->mOwned;
    // Searched from the end: members are released in reverse order.
    for (std::size_t i = owned.size(); i-- > 0;) {
        if (owned[i] == pPlug) {
            owned.erase(owned.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

void KPlug::ReleaseOwned(std::vector<KPlug*>& pOwned)
{
    ReleaseOwned(pOwned.data(), pOwned.data() + pOwned.size());
    pOwned.clear();
}

void KPlug::ReleaseOwned(KPlug* const* pBegin, KPlug* const* pEnd)
{
    for (KPlug* const* owned = pBegin; owned != pEnd; ++owned)
        (*owned)->SetOwnerField(nullptr);
}

int KPlug::GetOwnedPlugCount() const
{
    return OwnedCount();
}

KPlug* KPlug::GetOwnedPlug(int pIndex) const
{
    if (pIndex < 0 || pIndex >= OwnedCount())
        return nullptr;
    return OwnedAt(pIndex);
}

void KPlug::ModifyPlugFlags(int pMask, bool pSet)
{
    // The sub-plug bit follows SetFilter only: flipping it here would leave
    // the owner's lists out of step.
    pMask &= ~(kFlagSubPlug | kPrivateFlags);
    if (pSet)
        mFlags |= pMask;
    else
        mFlags &= ~pMask;
}

void KPlug::SetDirection(kDirection pDirection)
{
    mFlags = (mFlags & ~eDirectionMask) | (pDirection & eDirectionMask);
}

KPlug* KPlug::Resolve(const Connection& pEntry) const
{
    return KHandleManager::Get().Resolve(pEntry.mHandle, pEntry.mId);
}

bool KPlug::IsAlive(kUInt pHandle, kUInt pId) const
{
    return KHandleManager::Get().Resolve(pHandle, pId) != nullptr;
}

int KPlug::FindEntry(int pBegin, int pEnd, const KPlug* pPlug) const
{
    // From the end: the latest connections are the likeliest to go first.
    for (int i = pEnd; i-- > pBegin;) {
        const Connection& entry = L()->mConnections[static_cast<std::size_t>(i)];
        if (entry.mHandle == pPlug->HandleOf() && entry.mId == pPlug->HandleIdOf())
            return i;
    }
    return -1;
}

void KPlug::InsertEntry(bool pAsSource, const KPlug* pPlug, kConnectionType pType)
{
    Connection entry = {pPlug->HandleOf(), pPlug->HandleIdOf(), pType};
    Links& links = MakeLinks();
    if (pAsSource) {
        links.mConnections.insert(links.mConnections.begin() + links.mSrcCount, entry);
        ++links.mSrcCount;
    } else {
        links.mConnections.push_back(entry);
    }
}

bool KPlug::RemoveEntry(bool pAsSource, const KPlug* pPlug)
{
    if (!L())
        return false;
    int size = static_cast<int>(L()->mConnections.size());
    int srcCount = L()->mSrcCount;
    int index = pAsSource ? FindEntry(0, srcCount, pPlug) : FindEntry(srcCount, size, pPlug);
    if (index < 0)
        return false;
    L()->mConnections.erase(L()->mConnections.begin() + index);
    if (pAsSource)
        --L()->mSrcCount;
    return true;
}

void KPlug::SubPlugsAdd(bool pAsSource, const KPlug* pPlug, kConnectionType pType)
{
    if (!L())
        return;
    for (KPlug* subPlug : L()->mSubPlugs) {
        KPlugFilter* filter = subPlug->GetFilter();
        if (!filter || filter->IsValid(pPlug))
            subPlug->InsertEntry(pAsSource, pPlug, pType);
    }
}

void KPlug::SubPlugsRemove(bool pAsSource, const KPlug* pPlug)
{
    if (!L())
        return;
    for (KPlug* subPlug : L()->mSubPlugs)
        subPlug->RemoveEntry(pAsSource, pPlug);
}

bool KPlug::ConnectSrc(KPlug* pSource, kConnectionType pType)
{
    if (!pSource || pSource == this || IsSubPlug() || pSource->IsSubPlug())
        return false;
    if (IsConnectedSrc(pSource))
        return false;
    EnsureHandle();
    pSource->EnsureHandle();
    // Taken before the request: its handlers may end the source.
    kUInt sourceHandle = pSource->HandleOf(), sourceId = pSource->HandleIdOf();
    if (!PlugNotify(nullptr, kPlugConnectSrcRequest, this, GetSrcCount(), pSource, pType, nullptr))
        return false;
    // The request's handlers may have ended the source or connected it.
    if (!IsAlive(sourceHandle, sourceId) || IsConnectedSrc(pSource))
        return false;

    InsertEntry(true, pSource, pType);
    pSource->InsertEntry(false, this, pType);
    SubPlugsAdd(true, pSource, pType);
    pSource->SubPlugsAdd(false, this, pType);

    int index = GetSrcCount() - 1;
    int sourceIndex = pSource->GetDstCount() - 1;
    PlugNotify(nullptr, kPlugConnectedSrc, this, index, pSource, pType, nullptr);
    if (IsAlive(sourceHandle, sourceId))
        pSource->PlugNotify(nullptr, kPlugConnectedDst, pSource, sourceIndex, this, pType, nullptr);
    return true;
}

bool KPlug::ConnectDst(KPlug* pDestination, kConnectionType pType)
{
    return pDestination && pDestination->ConnectSrc(this, pType);
}

bool KPlug::DisconnectSrc(KPlug* pSource)
{
    if (!pSource)
        return false;
    int index = FindSrc(pSource);
    if (index < 0)
        return false;
    int sourceIndex = pSource->FindDst(this);
    kConnectionType type = L()->mConnections[static_cast<std::size_t>(index)].mType;
    kUInt sourceHandle = pSource->HandleOf(), sourceId = pSource->HandleIdOf();

    PlugNotify(nullptr, kPlugDisconnectSrc, this, index, pSource, type, nullptr);
    if (IsAlive(sourceHandle, sourceId))
        pSource->PlugNotify(nullptr, kPlugDisconnectDst, pSource, sourceIndex, this, type, nullptr);
    // A handler may have ended the source (which prunes the entry) or
    // disconnected it already, with its own 8 and 9.
    if (!IsAlive(sourceHandle, sourceId) || !RemoveEntry(true, pSource))
        return true;
    pSource->RemoveEntry(false, this);
    SubPlugsRemove(true, pSource);
    pSource->SubPlugsRemove(false, this);

    PlugNotify(nullptr, kPlugDisconnectedSrc, this, index, pSource, type, nullptr);
    if (IsAlive(sourceHandle, sourceId))
        pSource->PlugNotify(nullptr, kPlugDisconnectedDst, pSource, sourceIndex, this, type, nullptr);
    return true;
}

bool KPlug::DisconnectDst(KPlug* pDestination)
{
    return pDestination && pDestination->DisconnectSrc(this);
}

bool KPlug::DisconnectSources()
{
    // Work from a snapshot of handles: handlers may change the array.
    const Connection* connections = L()->mConnections.data();
    const SmallCopy<Connection> sources(connections, connections + L()->mSrcCount);
    bool any = false;
    for (std::size_t i = sources.size(); i-- > 0;) {
        if (KPlug* source = Resolve(sources[i]))
            any = DisconnectSrc(source) || any;
    }
    return any;
}

bool KPlug::DisconnectDestinations()
{
    const std::vector<Connection>& connections = L()->mConnections;
    const SmallCopy<Connection> destinations(connections.data() + L()->mSrcCount,
                                             connections.data() + connections.size());
    bool any = false;
    for (std::size_t i = destinations.size(); i-- > 0;) {
        if (KPlug* destination = Resolve(destinations[i]))
            any = destination->DisconnectSrc(this) || any;
    }
    return any;
}

bool KPlug::IsConnectedSrc(const KPlug* pSource) const
{
    if (!pSource || !L() || !pSource->L())
        return false;
    // Either side holds the connection: search the shorter list.
    if (L()->mSrcCount <= pSource->GetDstCount())
        return FindEntry(0, L()->mSrcCount, pSource) >= 0;
    const Links& other = *pSource->L();
    return pSource->FindEntry(other.mSrcCount, static_cast<int>(other.mConnections.size()), this) >= 0;
}

bool KPlug::IsConnectedDst(const KPlug* pDestination) const
{
    return pDestination && pDestination->IsConnectedSrc(this);
}

KPlug* KPlug::GetSrc(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetSrcCount())
        return nullptr;
    return Resolve(L()->mConnections[static_cast<std::size_t>(pIndex)]);
}

KPlug* KPlug::GetDst(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetDstCount())
        return nullptr;
    return Resolve(L()->mConnections[static_cast<std::size_t>(L()->mSrcCount + pIndex)]);
}

kConnectionType KPlug::GetSrcType(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetSrcCount())
        return kConnectionDefault;
    return L()->mConnections[static_cast<std::size_t>(pIndex)].mType;
}

kConnectionType KPlug::GetDstType(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetDstCount())
        return kConnectionDefault;
    return L()->mConnections[static_cast<std::size_t>(L()->mSrcCount + pIndex)].mType;
}

int KPlug::FindSrc(const KPlug* pSource) const
{
    return pSource && L() ? FindEntry(0, L()->mSrcCount, pSource) : -1;
}

int KPlug::FindDst(const KPlug* pDestination) const
{
    if (!pDestination || !L())
        return -1;
    int index = FindEntry(L()->mSrcCount, static_cast<int>(L()->mConnections.size()), pDestination);
    return index < 0 ? -1 : index - L()->mSrcCount;
}

void KPlug::AddSubPlug(KPlug* pSubPlug)
{
    FillSubPlug(pSubPlug);
    MakeLinks().mSubPlugs.push_back(pSubPlug);
}

void KPlug::FillSubPlug(KPlug* pSubPlug) const
{
    pSubPlug->ClearEntries();
    if (!L())
        return;
    KPlugFilter* filter = pSubPlug->GetFilter();
    const std::vector<Connection>& connections = L()->mConnections;
    for (std::size_t i = 0; i < connections.size(); ++i) {
        KPlug* peer = Resolve(connections[i]);
        if (peer && (!filter || filter->IsValid(peer)))
            pSubPlug->InsertEntry(static_cast<int>(i) < L()->mSrcCount, peer, connections[i].mType);
    }
}

bool KPlug::MoveConnection(bool pSource, int pFrom, int pTo)
{
    int base = pSource ? 0 : GetSrcCount();
    int count = pSource ? GetSrcCount() : GetDstCount();
    if (pFrom < 0 || pFrom >= count || pTo < 0 || pTo >= count)
        return false;
    if (pFrom == pTo)
        return true;
    std::vector<Connection>& connections = L()->mConnections;
    Connection entry = connections[static_cast<std::size_t>(base + pFrom)];
    connections.erase(connections.begin() + base + pFrom);
    connections.insert(connections.begin() + base + pTo, entry);
    for (KPlug* subPlug : L()->mSubPlugs)
        FillSubPlug(subPlug);
    return true;
}

void KPlug::RemoveSubPlug(KPlug* pSubPlug)
{
    if (!L())
        return;
    std::vector<KPlug*>& subPlugs = L()->mSubPlugs;
    for (std::size_t i = 0; i < subPlugs.size(); ++i) {
        if (subPlugs[i] == pSubPlug) {
            subPlugs.erase(subPlugs.begin() + static_cast<long>(i));
            return;
        }
    }
}

void KPlug::SetFilter(KPlugFilter* pFilter, kType pType)
{
    bool toSubPlug = pType == eSubPlug;
    if (toSubPlug != IsSubPlug()) {
        if (toSubPlug) {
            // A view cannot also hold connections of its own.
            DisconnectAllSrc();
            DisconnectAllDst();
            KPlug* owner = mOwner;
            if (owner)
                owner->DisconnectOwnedPlug(this);
            mFlags |= kFlagSubPlug;
            SetFilterField(pFilter);
            if (owner) {
                SetOwnerField(owner);
                owner->AddSubPlug(this);
            }
            return;
        }
        KPlug* owner = mOwner;
        if (owner) {
            owner->RemoveSubPlug(this);
            SetOwnerField(nullptr);
        }
        mFlags &= ~kFlagSubPlug;
        ClearEntries();
        if (owner)
            owner->ConnectOwnedPlug(this);
    }
    SetFilterField(pFilter);
    if (IsSubPlug() && mOwner) {
        // Rebuild the view for the new filter.
        KPlug* owner = mOwner;
        owner->RemoveSubPlug(this);
        owner->AddSubPlug(this);
    }
}

KPlug* KPlug::SubPlugGetOrCreate(KPlugFilter* pFilter)
{
    return SubPlugGetOrCreate(pFilter, nullptr);
}

KPlug* KPlug::SubPlugGetOrCreate(KPlugFilter* pFilter, KPlugViewRoom* pRoom)
{
    if (!pFilter || IsSubPlug())
        return nullptr;
    for (int i = 0; i < GetSubPlugCount(); ++i) {
        KPlug* subPlug = L()->mSubPlugs[static_cast<std::size_t>(i)];
        if (subPlug->GetFilter() == pFilter)
            return subPlug;
    }
    KPlug* subPlug = pRoom ? new (pRoom->mPlug) KPlug : new KPlug;
    subPlug->SetOwnerField(this);
    subPlug->mFlags = (mFlags & eDirectionMask) | kFlagSubPlug | kFlagNoOwnerNotify | kFlagMadeAsView;
    subPlug->SetFilterField(pFilter);
    if (pRoom) {
        subPlug->mFlags |= kFlagInPlace;
        subPlug->MakeLinksIn(&pRoom->mLinks);
    }
    AddSubPlug(subPlug);
    return subPlug;
}

KPlug* KPlug::GetSubPlug(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetSubPlugCount())
        return nullptr;
    return L()->mSubPlugs[static_cast<std::size_t>(pIndex)];
}

}  // namespace qelsdk_600
