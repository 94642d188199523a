#include "object/kplug.h"

#include <cstddef>
#include <utility>

#include "object/khandlemanager_impl.h"

namespace qelsdk_600 {

KClassDefinition KPlug::ClassDefinition = {&KPlug::ClassId, nullptr, "KPlug", nullptr};
int KPlug::ClassId = KPlug_RegisterClassId(&KPlug::ClassDefinition, -1);

KPlug::KPlug() : mOwner(nullptr), mFlags(eDirectionAll) {}

KPlug::~KPlug()
{
    if (mLinks) {
        std::vector<KPlug*> subPlugs;
        subPlugs.swap(mLinks->mSubPlugs);
        for (KPlug* subPlug : subPlugs) {
            subPlug->SetOwnerField(nullptr);
            if (subPlug->mFlags & kFlagMadeAsView)
                delete subPlug;
            else
                subPlug->ClearEntries();  // a view that outlives the plug it showed shows nothing
        }
        for (KPlug* owned : mLinks->mOwned)
            owned->SetOwnerField(nullptr);
        mLinks->mOwned.clear();
    }
    if (mOwner) {
        if (IsSubPlug())
            mOwner->RemoveSubPlug(this);
        else
            mOwner->DisconnectOwnedPlug(this);
    }
    // A sub-plug's entries are mirrors: no peer refers to it.
    if (mLinks && !IsSubPlug()) {
        const std::vector<Connection>& connections = mLinks->mConnections;
        for (std::size_t i = 0; i < connections.size(); ++i) {
            KPlug* peer = Resolve(connections[i]);
            if (!peer)
                continue;
            // Our destination entries are the peer's source entries.
            bool peerSideIsSource = static_cast<int>(i) >= mLinks->mSrcCount;
            peer->RemoveEntry(peerSideIsSource, this);
            peer->SubPlugsRemove(peerSideIsSource, this);
        }
    }
    if (HandleOf() != kNoHandle)
        KHandleManager::Get().Release(mLinks->mHandle, mLinks->mHandleId);
}

KPlug::Links& KPlug::MakeLinks()
{
    if (!mLinks)
        mLinks.reset(new Links);
    return *mLinks;
}

void KPlug::EnsureHandle()
{
    Links& links = MakeLinks();
    if (links.mHandle == kNoHandle)
        KHandleManager::Get().Acquire(this, links.mHandle, links.mHandleId);
}

void KPlug::SetOwnerField(KPlug* pOwner)
{
    if ((mFlags & kFlagListedByOwner) && pOwner != mOwner) {
        MakeLinks().mListOwner = mOwner;
        mFlags &= ~kFlagListedByOwner;
    }
    mOwner = pOwner;
}

void KPlug::SetListOwner(KPlug* pListOwner)
{
    mFlags &= ~kFlagListedByOwner;
    if (pListOwner && pListOwner == mOwner) {
        mFlags |= kFlagListedByOwner;
        pListOwner = nullptr;
    }
    if (pListOwner || mLinks)
        MakeLinks().mListOwner = pListOwner;
}

void KPlug::SetExtension(Extension* pExtension)
{
    if (pExtension || mLinks)
        MakeLinks().mExtension.reset(pExtension);
}

void KPlug::ClearEntries()
{
    if (mLinks) {
        mLinks->mConnections.clear();
        mLinks->mSrcCount = 0;
    }
}

void KPlug::SetFilterField(KPlugFilter* pFilter)
{
    if (pFilter || mLinks)
        MakeLinks().mFilter = pFilter;
}

void KPlug::SetUserTag(kReference pTag)
{
    if (pTag || mLinks)
        MakeLinks().mUserTag = pTag;
}

void KPlug::SetListener(KPlugListener* pListener)
{
    if (pListener || mLinks)
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
    delete this;
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
    MakeLinks().mOwned.push_back(pPlug);
    return true;
}

bool KPlug::DisconnectOwnedPlug(KPlug* pPlug)
{
    if (!mLinks)
        return false;
    std::vector<KPlug*>& owned = mLinks->mOwned;
    // Searched from the end: members are released in reverse order.
    for (std::size_t i = owned.size(); i-- > 0;) {
        if (owned[i] == pPlug) {
            owned.erase(owned.begin() + static_cast<long>(i));
            pPlug->SetOwnerField(nullptr);
            return true;
        }
    }
    return false;
}

void KPlug::ReserveOwnedPlugs(int pCount)
{
    if (pCount > 0) {
        std::vector<KPlug*>& owned = MakeLinks().mOwned;
        owned.reserve(owned.size() + static_cast<std::size_t>(pCount));
    }
}

KPlug* KPlug::GetOwnedPlug(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetOwnedPlugCount())
        return nullptr;
    return mLinks->mOwned[static_cast<std::size_t>(pIndex)];
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
        const Connection& entry = mLinks->mConnections[static_cast<std::size_t>(i)];
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
    if (!mLinks)
        return false;
    int size = static_cast<int>(mLinks->mConnections.size());
    int srcCount = mLinks->mSrcCount;
    int index = pAsSource ? FindEntry(0, srcCount, pPlug) : FindEntry(srcCount, size, pPlug);
    if (index < 0)
        return false;
    mLinks->mConnections.erase(mLinks->mConnections.begin() + index);
    if (pAsSource)
        --mLinks->mSrcCount;
    return true;
}

void KPlug::SubPlugsAdd(bool pAsSource, const KPlug* pPlug, kConnectionType pType)
{
    if (!mLinks)
        return;
    for (KPlug* subPlug : mLinks->mSubPlugs) {
        KPlugFilter* filter = subPlug->GetFilter();
        if (!filter || filter->IsValid(pPlug))
            subPlug->InsertEntry(pAsSource, pPlug, pType);
    }
}

void KPlug::SubPlugsRemove(bool pAsSource, const KPlug* pPlug)
{
    if (!mLinks)
        return;
    for (KPlug* subPlug : mLinks->mSubPlugs)
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
    kConnectionType type = mLinks->mConnections[static_cast<std::size_t>(index)].mType;
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

bool KPlug::DisconnectAllSrc()
{
    if (IsSubPlug() || !mLinks)
        return false;
    // Work from a snapshot of handles: handlers may change the array.
    const std::vector<Connection>& connections = mLinks->mConnections;
    std::vector<Connection> sources(connections.begin(), connections.begin() + mLinks->mSrcCount);
    bool any = false;
    for (std::size_t i = sources.size(); i-- > 0;) {
        if (KPlug* source = Resolve(sources[i]))
            any = DisconnectSrc(source) || any;
    }
    return any;
}

bool KPlug::DisconnectAllDst()
{
    if (IsSubPlug() || !mLinks)
        return false;
    const std::vector<Connection>& connections = mLinks->mConnections;
    std::vector<Connection> destinations(connections.begin() + mLinks->mSrcCount, connections.end());
    bool any = false;
    for (std::size_t i = destinations.size(); i-- > 0;) {
        if (KPlug* destination = Resolve(destinations[i]))
            any = destination->DisconnectSrc(this) || any;
    }
    return any;
}

bool KPlug::IsConnectedSrc(const KPlug* pSource) const
{
    if (!pSource || !mLinks || !pSource->mLinks)
        return false;
    // Either side holds the connection: search the shorter list.
    if (mLinks->mSrcCount <= pSource->GetDstCount())
        return FindEntry(0, mLinks->mSrcCount, pSource) >= 0;
    const Links& other = *pSource->mLinks;
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
    return Resolve(mLinks->mConnections[static_cast<std::size_t>(pIndex)]);
}

KPlug* KPlug::GetDst(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetDstCount())
        return nullptr;
    return Resolve(mLinks->mConnections[static_cast<std::size_t>(mLinks->mSrcCount + pIndex)]);
}

kConnectionType KPlug::GetSrcType(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetSrcCount())
        return kConnectionDefault;
    return mLinks->mConnections[static_cast<std::size_t>(pIndex)].mType;
}

kConnectionType KPlug::GetDstType(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetDstCount())
        return kConnectionDefault;
    return mLinks->mConnections[static_cast<std::size_t>(mLinks->mSrcCount + pIndex)].mType;
}

int KPlug::FindSrc(const KPlug* pSource) const
{
    return pSource && mLinks ? FindEntry(0, mLinks->mSrcCount, pSource) : -1;
}

int KPlug::FindDst(const KPlug* pDestination) const
{
    if (!pDestination || !mLinks)
        return -1;
    int index = FindEntry(mLinks->mSrcCount, static_cast<int>(mLinks->mConnections.size()), pDestination);
    return index < 0 ? -1 : index - mLinks->mSrcCount;
}

void KPlug::AddSubPlug(KPlug* pSubPlug)
{
    FillSubPlug(pSubPlug);
    MakeLinks().mSubPlugs.push_back(pSubPlug);
}

void KPlug::FillSubPlug(KPlug* pSubPlug) const
{
    pSubPlug->ClearEntries();
    if (!mLinks)
        return;
    KPlugFilter* filter = pSubPlug->GetFilter();
    const std::vector<Connection>& connections = mLinks->mConnections;
    for (std::size_t i = 0; i < connections.size(); ++i) {
        KPlug* peer = Resolve(connections[i]);
        if (peer && (!filter || filter->IsValid(peer)))
            pSubPlug->InsertEntry(static_cast<int>(i) < mLinks->mSrcCount, peer, connections[i].mType);
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
    std::vector<Connection>& connections = mLinks->mConnections;
    Connection entry = connections[static_cast<std::size_t>(base + pFrom)];
    connections.erase(connections.begin() + base + pFrom);
    connections.insert(connections.begin() + base + pTo, entry);
    for (KPlug* subPlug : mLinks->mSubPlugs)
        FillSubPlug(subPlug);
    return true;
}

void KPlug::RemoveSubPlug(KPlug* pSubPlug)
{
    if (!mLinks)
        return;
    std::vector<KPlug*>& subPlugs = mLinks->mSubPlugs;
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
    if (!pFilter || IsSubPlug())
        return nullptr;
    for (int i = 0; i < GetSubPlugCount(); ++i) {
        KPlug* subPlug = mLinks->mSubPlugs[static_cast<std::size_t>(i)];
        if (subPlug->GetFilter() == pFilter)
            return subPlug;
    }
    KPlug* subPlug = new KPlug;
    subPlug->SetOwnerField(this);
    subPlug->mFlags = (mFlags & eDirectionMask) | kFlagSubPlug | kFlagNoOwnerNotify | kFlagMadeAsView;
    subPlug->SetFilterField(pFilter);
    AddSubPlug(subPlug);
    return subPlug;
}

KPlug* KPlug::GetSubPlug(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetSubPlugCount())
        return nullptr;
    return mLinks->mSubPlugs[static_cast<std::size_t>(pIndex)];
}

}  // namespace qelsdk_600
