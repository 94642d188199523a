#include "object/kplug.h"

#include <cstddef>
#include <utility>

#include "object/khandlemanager_impl.h"

namespace qelsdk_600 {

KClassDefinition KPlug::ClassDefinition = {&KPlug::ClassId, nullptr, "KPlug", nullptr};
int KPlug::ClassId = KPlug_RegisterClassId(&KPlug::ClassDefinition, -1);

KPlug::KPlug()
    : mSrcCount(0),
      mOwner(nullptr),
      mFilter(nullptr),
      mListener(nullptr),
      mUserTag(0),
      mHandle(0),
      mHandleId(0),
      mFlags(eDirectionAll),
      mMadeBySubPlugGetOrCreate(false)
{
    KHandleManager::Get().Acquire(this, mHandle, mHandleId);
}

KPlug::~KPlug()
{
    std::vector<KPlug*> subPlugs;
    subPlugs.swap(mSubPlugs);
    for (KPlug* subPlug : subPlugs) {
        subPlug->mOwner = nullptr;
        if (subPlug->mMadeBySubPlugGetOrCreate) {
            delete subPlug;
        } else {
            // A view that outlives the plug it showed shows nothing.
            subPlug->mConnections.clear();
            subPlug->mSrcCount = 0;
        }
    }
    for (KPlug* owned : mOwned)
        owned->mOwner = nullptr;
    mOwned.clear();
    if (mOwner) {
        if (IsSubPlug())
            mOwner->RemoveSubPlug(this);
        else
            mOwner->DisconnectOwnedPlug(this);
    }
    // A sub-plug's entries are mirrors: no peer refers to it.
    if (!IsSubPlug()) {
        for (std::size_t i = 0; i < mConnections.size(); ++i) {
            KPlug* peer = Resolve(mConnections[i]);
            if (!peer)
                continue;
            // Our destination entries are the peer's source entries.
            bool peerSideIsSource = static_cast<int>(i) >= mSrcCount;
            peer->RemoveEntry(peerSideIsSource, this);
            peer->SubPlugsRemove(peerSideIsSource, this);
        }
    }
    KHandleManager::Get().Release(mHandle, mHandleId);
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
    if (mListener)
        mListener->PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
    return true;
}

bool KPlug::PlugDataNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, void* pData1,
                           void* pData2, int pExtra)
{
    if (mOwner && !(mFlags & kFlagNoOwnerNotify)) {
        KPlugCallstack frame = {this, pStack};
        return mOwner->PlugDataNotify(&frame, pAction, pPlug, pData1, pData2, pExtra);
    }
    if (mListener)
        mListener->PlugDataNotify(pStack, pAction, pPlug, pData1, pData2, pExtra);
    return true;
}

bool KPlug::ConnectOwnedPlug(KPlug* pPlug)
{
    if (!pPlug || pPlug == this || pPlug->mOwner == this || pPlug->IsSubPlug())
        return false;
    if (pPlug->mOwner)
        pPlug->mOwner->DisconnectOwnedPlug(pPlug);
    pPlug->mOwner = this;
    mOwned.push_back(pPlug);
    return true;
}

bool KPlug::DisconnectOwnedPlug(KPlug* pPlug)
{
    // Searched from the end: members are released in reverse order.
    for (std::size_t i = mOwned.size(); i-- > 0;) {
        if (mOwned[i] == pPlug) {
            mOwned.erase(mOwned.begin() + static_cast<long>(i));
            pPlug->mOwner = nullptr;
            return true;
        }
    }
    return false;
}

KPlug* KPlug::GetOwnedPlug(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetOwnedPlugCount())
        return nullptr;
    return mOwned[static_cast<std::size_t>(pIndex)];
}

void KPlug::ModifyPlugFlags(int pMask, bool pSet)
{
    // The sub-plug bit follows SetFilter only: flipping it here would leave
    // the owner's lists out of step.
    pMask &= ~kFlagSubPlug;
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
        const Connection& entry = mConnections[static_cast<std::size_t>(i)];
        if (entry.mHandle == pPlug->mHandle && entry.mId == pPlug->mHandleId)
            return i;
    }
    return -1;
}

void KPlug::InsertEntry(bool pAsSource, const KPlug* pPlug, kConnectionType pType)
{
    Connection entry = {pPlug->mHandle, pPlug->mHandleId, pType};
    if (pAsSource) {
        mConnections.insert(mConnections.begin() + mSrcCount, entry);
        ++mSrcCount;
    } else {
        mConnections.push_back(entry);
    }
}

bool KPlug::RemoveEntry(bool pAsSource, const KPlug* pPlug)
{
    int size = static_cast<int>(mConnections.size());
    int index = pAsSource ? FindEntry(0, mSrcCount, pPlug) : FindEntry(mSrcCount, size, pPlug);
    if (index < 0)
        return false;
    mConnections.erase(mConnections.begin() + index);
    if (pAsSource)
        --mSrcCount;
    return true;
}

void KPlug::SubPlugsAdd(bool pAsSource, const KPlug* pPlug, kConnectionType pType)
{
    for (KPlug* subPlug : mSubPlugs) {
        if (!subPlug->mFilter || subPlug->mFilter->IsValid(pPlug))
            subPlug->InsertEntry(pAsSource, pPlug, pType);
    }
}

void KPlug::SubPlugsRemove(bool pAsSource, const KPlug* pPlug)
{
    for (KPlug* subPlug : mSubPlugs)
        subPlug->RemoveEntry(pAsSource, pPlug);
}

bool KPlug::ConnectSrc(KPlug* pSource, kConnectionType pType)
{
    if (!pSource || pSource == this || IsSubPlug() || pSource->IsSubPlug())
        return false;
    if (IsConnectedSrc(pSource))
        return false;
    if (!PlugNotify(nullptr, kPlugConnectSrcRequest, this, mSrcCount, pSource, pType, nullptr))
        return false;
    // The request's handlers may have ended the source or connected it.
    kUInt sourceHandle = pSource->mHandle, sourceId = pSource->mHandleId;
    if (!IsAlive(sourceHandle, sourceId) || IsConnectedSrc(pSource))
        return false;

    InsertEntry(true, pSource, pType);
    pSource->InsertEntry(false, this, pType);
    SubPlugsAdd(true, pSource, pType);
    pSource->SubPlugsAdd(false, this, pType);

    int index = mSrcCount - 1;
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
    kConnectionType type = mConnections[static_cast<std::size_t>(index)].mType;
    kUInt sourceHandle = pSource->mHandle, sourceId = pSource->mHandleId;

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
    if (IsSubPlug())
        return false;
    // Work from a snapshot of handles: handlers may change the array.
    std::vector<Connection> sources(mConnections.begin(), mConnections.begin() + mSrcCount);
    bool any = false;
    for (std::size_t i = sources.size(); i-- > 0;) {
        if (KPlug* source = Resolve(sources[i]))
            any = DisconnectSrc(source) || any;
    }
    return any;
}

bool KPlug::DisconnectAllDst()
{
    if (IsSubPlug())
        return false;
    std::vector<Connection> destinations(mConnections.begin() + mSrcCount, mConnections.end());
    bool any = false;
    for (std::size_t i = destinations.size(); i-- > 0;) {
        if (KPlug* destination = Resolve(destinations[i]))
            any = destination->DisconnectSrc(this) || any;
    }
    return any;
}

bool KPlug::IsConnectedSrc(const KPlug* pSource) const
{
    if (!pSource)
        return false;
    // Either side holds the connection: search the shorter list.
    if (mSrcCount <= pSource->GetDstCount())
        return FindEntry(0, mSrcCount, pSource) >= 0;
    return pSource->FindEntry(pSource->mSrcCount, static_cast<int>(pSource->mConnections.size()), this) >= 0;
}

bool KPlug::IsConnectedDst(const KPlug* pDestination) const
{
    return pDestination && pDestination->IsConnectedSrc(this);
}

KPlug* KPlug::GetSrc(int pIndex) const
{
    if (pIndex < 0 || pIndex >= mSrcCount)
        return nullptr;
    return Resolve(mConnections[static_cast<std::size_t>(pIndex)]);
}

KPlug* KPlug::GetDst(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetDstCount())
        return nullptr;
    return Resolve(mConnections[static_cast<std::size_t>(mSrcCount + pIndex)]);
}

kConnectionType KPlug::GetSrcType(int pIndex) const
{
    if (pIndex < 0 || pIndex >= mSrcCount)
        return kConnectionDefault;
    return mConnections[static_cast<std::size_t>(pIndex)].mType;
}

kConnectionType KPlug::GetDstType(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetDstCount())
        return kConnectionDefault;
    return mConnections[static_cast<std::size_t>(mSrcCount + pIndex)].mType;
}

int KPlug::FindSrc(const KPlug* pSource) const
{
    return pSource ? FindEntry(0, mSrcCount, pSource) : -1;
}

int KPlug::FindDst(const KPlug* pDestination) const
{
    if (!pDestination)
        return -1;
    int index = FindEntry(mSrcCount, static_cast<int>(mConnections.size()), pDestination);
    return index < 0 ? -1 : index - mSrcCount;
}

void KPlug::AddSubPlug(KPlug* pSubPlug)
{
    FillSubPlug(pSubPlug);
    mSubPlugs.push_back(pSubPlug);
}

void KPlug::FillSubPlug(KPlug* pSubPlug) const
{
    pSubPlug->mConnections.clear();
    pSubPlug->mSrcCount = 0;
    for (std::size_t i = 0; i < mConnections.size(); ++i) {
        KPlug* peer = Resolve(mConnections[i]);
        if (peer && (!pSubPlug->mFilter || pSubPlug->mFilter->IsValid(peer)))
            pSubPlug->InsertEntry(static_cast<int>(i) < mSrcCount, peer, mConnections[i].mType);
    }
}

bool KPlug::MoveConnection(bool pSource, int pFrom, int pTo)
{
    int base = pSource ? 0 : mSrcCount;
    int count = pSource ? mSrcCount : GetDstCount();
    if (pFrom < 0 || pFrom >= count || pTo < 0 || pTo >= count)
        return false;
    if (pFrom == pTo)
        return true;
    Connection entry = mConnections[static_cast<std::size_t>(base + pFrom)];
    mConnections.erase(mConnections.begin() + base + pFrom);
    mConnections.insert(mConnections.begin() + base + pTo, entry);
    for (KPlug* subPlug : mSubPlugs)
        FillSubPlug(subPlug);
    return true;
}

void KPlug::RemoveSubPlug(KPlug* pSubPlug)
{
    for (std::size_t i = 0; i < mSubPlugs.size(); ++i) {
        if (mSubPlugs[i] == pSubPlug) {
            mSubPlugs.erase(mSubPlugs.begin() + static_cast<long>(i));
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
            mFilter = pFilter;
            if (owner) {
                mOwner = owner;
                owner->AddSubPlug(this);
            }
            return;
        }
        KPlug* owner = mOwner;
        if (owner) {
            owner->RemoveSubPlug(this);
            mOwner = nullptr;
        }
        mFlags &= ~kFlagSubPlug;
        mConnections.clear();
        mSrcCount = 0;
        if (owner)
            owner->ConnectOwnedPlug(this);
    }
    mFilter = pFilter;
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
    for (KPlug* subPlug : mSubPlugs) {
        if (subPlug->mFilter == pFilter)
            return subPlug;
    }
    KPlug* subPlug = new KPlug;
    subPlug->mOwner = this;
    subPlug->mFlags = (mFlags & eDirectionMask) | kFlagSubPlug | kFlagNoOwnerNotify;
    subPlug->mFilter = pFilter;
    subPlug->mMadeBySubPlugGetOrCreate = true;
    AddSubPlug(subPlug);
    return subPlug;
}

KPlug* KPlug::GetSubPlug(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetSubPlugCount())
        return nullptr;
    return mSubPlugs[static_cast<std::size_t>(pIndex)];
}

}  // namespace qelsdk_600
