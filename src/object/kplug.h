// Connectable plugs: ownership, connections, notifications, filtered views.
#ifndef QELSDK_OBJECT_KPLUG_H
#define QELSDK_OBJECT_KPLUG_H

#include <cstdint>
#include <memory>
#include <vector>

#include "base/ktypes.h"
#include "object/ikobject.h"
#include "object/kclassdefinition.h"

namespace qelsdk_600 {

class KPlug;
struct KPlugViewRoom;

// Event codes handed to PlugNotify and PlugDataNotify.
//
// Before every connection the destination plug (the one that receives a
// source) is asked kPlugConnectSrcRequest (2) with the would-be source as
// `other`; a false answer refuses the connection. It is the only request
// sent before a connection: codes 0 and 3 are never sent.
enum kPlugAction {
    kPlugConnectSrcRequest = 2,   // refusable, to the destination
    kPlugConnectedSrc = 4,        // to the destination, after connecting
    kPlugConnectedDst = 5,        // to the source, after connecting
    kPlugDisconnectSrc = 6,       // to the destination, before removal
    kPlugDisconnectDst = 7,       // to the source, before removal
    kPlugDisconnectedSrc = 8,     // to the destination, after removal
    kPlugDisconnectedDst = 9,     // to the source, after removal
    kPlugReplaceBegin = 10,       // an object list replaces an entry
    kPlugReplaceEnd = 11,
    kPlugDataChangeBegin = 20,    // a property value is about to change
    kPlugDataChangeEnd = 21       // a property value has changed
};

// Kind of a connection; handed through notifications unchanged.
typedef int kConnectionType;
enum { kConnectionDefault = 0 };

// Plugs that an event has passed through on its way to an owner, innermost
// first; lives on the stack of the forwarding call.
struct KPlugCallstack {
    KPlug* mPlug;
    KPlugCallstack* mPrevious;
};

// Receives the events of a plug that does not forward them to an owner.
class KPlugListener {
public:
    virtual ~KPlugListener() {}
    virtual void PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                            KPlug* pOther, kConnectionType pType, KPlug* pNewPlug) {}
    virtual void PlugDataNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug,
                                void* pData1, void* pData2, int pExtra) {}
};

// A connectable node. Its connections are one array, sources first (in
// connection order) then destinations; each entry names its plug through the
// plug-handle manager, so an entry whose plug is gone reads as no plug.
// Destroying a plug silently removes its connections from its peers; use
// Destruct (or the disconnect operations) for a notified tear-down.
//
// Storage: most plugs are properties that are never connected, so a plug
// keeps only its owner and flags in line (28 bytes on 64-bit builds, 16 on
// 32-bit ones, before padding, which a subclass fills). Connections, owned
// plugs, sub-plugs, filter, listener, user tag, handle and what a subclass
// adds (see Extension) live in a record made on first use (or in storage
// that the owner keeps, see MakeLinksIn, for a plug that is always
// connected), and the handle is taken from the plug-handle manager only
// when the plug is first connected.
class KPlug : public ICallback {
public:
    // How a plug stands to its owner (flag bit 8).
    enum kType { eNormalPlug = 0, eSubPlug = 8 };
    // Direction bits (0 to 2) of the flags; bit 0 set: an object list holds
    // its objects as sources, clear: as destinations.
    enum kDirection { eDirectionNone = 0, eDirectionSrc = 1, eDirectionDst = 2, eDirectionAll = 3,
                      eDirectionMask = 7 };
    // Other flag bits.
    enum { kFlagSubPlug = 8, kFlagNoOwnerNotify = 16 };

    static int ClassId;
    static KClassDefinition ClassDefinition;
    struct LinksRoom;

    // Flags 3 (both directions), no owner, user tag 0.
    KPlug() : mOwner(nullptr), mLinks(0), mFlags(eDirectionAll) {}
    ~KPlug() override
    {
        // Most plugs end as their object's members, released by it and never
        // connected: nothing refers to them and they hold nothing.
        if (mLinks || mOwner)
            EndPlug();
    }
    KPlug(const KPlug&) = delete;
    KPlug& operator=(const KPlug&) = delete;

    // This plug for kIID_IKObject, kIID_ICallback and kIID_KPlug, else null.
    IKObject* IQuery(unsigned long pInterfaceId, int pReserved) override;
    // Runs Destruct, then deletes the plug (see Delete).
    void Destroy(int pLocal = 0) override;
    // Ends a plug without Destruct: deleted, or, when it was made in storage
    // that its owner keeps (see KObject::GetPropertyRoom), destroyed there.
    static void Delete(KPlug* pPlug);
    // Notified tear-down before deletion: disconnects every connection.
    virtual void Destruct();

    // Class identity, all answered from GetClassDefinition().
    virtual bool Is(int pClassId) const;
    virtual int GetClassId() const;
    virtual const char* GetClassIdName() const;
    virtual KClassDefinition* GetClassDefinition() const;
    // Plugs belong to no class group: -1 and "".
    virtual int GetClassGroupId() const;
    virtual const char* GetClassGroupName() const;

    // Connection event. With an owner and flag 16 clear, passes it to the
    // owner (call stack extended by this plug) and returns the owner's
    // answer; otherwise tells the listener, if any, and returns true.
    virtual bool PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                            KPlug* pOther, kConnectionType pType, KPlug* pNewPlug);
    // Data event, routed as PlugNotify.
    virtual bool PlugDataNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug,
                                void* pData1, void* pData2, int pExtra);

    // Owner and owned plugs. ConnectOwnedPlug makes this plug the owner of
    // pPlug (taking it from a previous owner); false for null, itself or a
    // plug already owned by it. Ownership does not delete: an owner that ends
    // first only leaves its plugs without owner.
    KPlug* GetOwner() const { return mOwner; }
    virtual bool ConnectOwnedPlug(KPlug* pPlug);
    virtual bool DisconnectOwnedPlug(KPlug* pPlug);
    int GetOwnedPlugCount() const;
    // Null when out of range.
    KPlug* GetOwnedPlug(int pIndex) const;

    // Pointer-sized value for the caller; 0 after construction.
    kReference GetUserTag() const { return L() ? L()->mUserTag : 0; }
    void SetUserTag(kReference pTag);

    int GetPlugFlags() const { return mFlags & ~kPrivateFlags; }
    void ModifyPlugFlags(int pMask, bool pSet);
    kDirection GetDirection() const { return static_cast<kDirection>(mFlags & eDirectionMask); }
    void SetDirection(kDirection pDirection);
    bool IsSubPlug() const { return (mFlags & kFlagSubPlug) != 0; }

    // Connects pSource as a source of this plug, after asking this plug
    // kPlugConnectSrcRequest; then sends kPlugConnectedSrc to this plug and
    // kPlugConnectedDst to the source. False, with nothing changed, for a null
    // source, itself, a sub-plug at either end, an existing connection or a
    // refusal.
    bool ConnectSrc(KPlug* pSource, kConnectionType pType = kConnectionDefault);
    // Same connection seen from the source: pDestination->ConnectSrc(this).
    bool ConnectDst(KPlug* pDestination, kConnectionType pType = kConnectionDefault);
    // Removes the connection, sending 6 (to this plug) and 7 (to the source)
    // before and 8 and 9 after. False when not connected.
    bool DisconnectSrc(KPlug* pSource);
    bool DisconnectDst(KPlug* pDestination);
    // Disconnect every source (destination), last first; false when none.
    bool DisconnectAllSrc() { return L() && !IsSubPlug() && L()->mSrcCount > 0 && DisconnectSources(); }
    bool DisconnectAllDst() { return L() && !IsSubPlug() && GetDstCount() > 0 && DisconnectDestinations(); }
    bool IsConnectedSrc(const KPlug* pSource) const;
    bool IsConnectedDst(const KPlug* pDestination) const;

    int GetSrcCount() const { return L() ? L()->mSrcCount : 0; }
    int GetDstCount() const
    {
        return L() ? static_cast<int>(L()->mConnections.size()) - L()->mSrcCount : 0;
    }
    // The plug of a connection, null when out of range or gone.
    KPlug* GetSrc(int pIndex) const;
    KPlug* GetDst(int pIndex) const;
    // Connection type of an entry, kConnectionDefault when out of range.
    kConnectionType GetSrcType(int pIndex) const;
    kConnectionType GetDstType(int pIndex) const;
    // Index of a live source (destination), -1 when not connected.
    int FindSrc(const KPlug* pSource) const;
    int FindDst(const KPlug* pDestination) const;

    // Stores the filter and sets the sub-plug bit from pType; a plug that thus
    // becomes a sub-plug joins its owner's sub-plugs.
    void SetFilter(KPlugFilter* pFilter, kType pType);
    KPlugFilter* GetFilter() const
    {
        if (mLinks & kFilterAlone)
            return reinterpret_cast<KPlugFilter*>(mLinks & ~kFilterAlone);
        return L() ? L()->mFilter : nullptr;
    }
    // The view of this plug's connections to plugs that pass pFilter, in
    // connection order, made on first use and owned by this plug. Null for a
    // null filter or when this plug is itself a sub-plug.
    KPlug* SubPlugGetOrCreate(KPlugFilter* pFilter);
    // The same, a view being made in pRoom with its record: storage that this
    // plug's owner keeps as long as this plug, used for one view only.
    KPlug* SubPlugGetOrCreate(KPlugFilter* pFilter, KPlugViewRoom* pRoom);
    int GetSubPlugCount() const { return L() ? static_cast<int>(L()->mSubPlugs.size()) : 0; }
    KPlug* GetSubPlug(int pIndex) const;

    // Receives events when no owner takes them; not owned.
    void SetListener(KPlugListener* pListener);
    KPlugListener* GetListener() const { return L() ? L()->mListener : nullptr; }

protected:
    // Moves a source (destination) entry from one index to another, the
    // others keeping their order; sub-plug views follow. False when an index
    // is out of range.
    bool MoveConnection(bool pSource, int pFrom, int pTo);

    // Room for pCount more owned plugs in the record.
    void ReserveOwnedPlugs(int pCount);
    // Makes the record in pRoom, storage that the plug's owner keeps as
    // long as the plug (see LinksRoom); nothing when the plug has one.
    void MakeLinksIn(LinksRoom* pRoom);
    // The owned plugs, in order. They are listed in the record here; a
    // subclass may keep them elsewhere (KObject shares its property list
    // while the two agree): it then overrides all four and releases them
    // before the plug's destructor runs. OwnedAppend takes a plug just made
    // owned by this one; OwnedRemove is false for a plug not listed.
    virtual int OwnedCount() const;
    virtual KPlug* OwnedAt(int pIndex) const;
    virtual void OwnedAppend(KPlug* pPlug);
    virtual bool OwnedRemove(KPlug* pPlug);
    // The list in the record (made when pMake), null when there is none yet.
    std::vector<KPlug*>* RecordOwned(bool pMake);
    // Leaves every plug of the list without owner and empties it.
    static void ReleaseOwned(std::vector<KPlug*>& pOwned);
    // Leaves every plug of the range without owner.
    static void ReleaseOwned(KPlug* const* pBegin, KPlug* const* pEnd);
    // Leaves pPlug without owner, its owner's list left as it is: for an
    // owner that has already taken it out.
    static void ForgetOwner(KPlug* pPlug) { pPlug->SetOwnerField(nullptr); }
    // The object whose property list holds pPlug, or null.
    static KPlug* ListOwnerOf(const KPlug* pPlug) { return pPlug->GetListOwner(); }
    // Whether pPlug stands as constructed towards owners and lists: no
    // owner, record or filter; not a sub-plug, listed, watched or marked.
    static bool IsUntouched(const KPlug* pPlug)
    {
        return !pPlug->mOwner && !pPlug->mLinks &&
               !(pPlug->mFlags & (kFlagSubPlug | kFlagListedByOwner | kFlagWatched | kFlagMarked));
    }
    // Makes this plug the owner of an untouched pPlug and the object that
    // lists it, as ConnectOwnedPlug then SetListOwner would, except that
    // the caller appends pPlug to its owned plugs.
    void AdoptUntouched(KPlug* pPlug)
    {
        pPlug->mOwner = this;
        pPlug->mFlags |= kFlagListedByOwner;
    }

    // True while some plug is connected to this one (as source or
    // destination).
    bool HasConnections() const { return L() && !L()->mConnections.empty(); }

    // A mark for the object that lists this plug as a property (see
    // KObject::Watch); not among the plug flags.
    bool IsWatched() const { return (mFlags & kFlagWatched) != 0; }
    void SetWatched(bool pWatched) { SetPrivateFlag(kFlagWatched, pWatched); }
    // A private mark of the subclass; not among the plug flags.
    bool IsMarked() const { return (mFlags & kFlagMarked) != 0; }
    void SetMarked(bool pMarked) { SetPrivateFlag(kFlagMarked, pMarked); }
    // Made in storage its owner keeps: Delete does not free it.
    void SetMadeInPlace() { SetPrivateFlag(kFlagInPlace, true); }

    // The object whose property list holds this plug, or null. Kept in line
    // while that object is the owner (the usual case), in the record
    // otherwise; a change of owner keeps it.
    KPlug* GetListOwner() const
    {
        if (mFlags & kFlagListedByOwner)
            return mOwner;
        return L() ? L()->mListOwner : nullptr;
    }
    void SetListOwner(KPlug* pListOwner)
    {
        // The usual cases, in line: listed by the owner, or leaving that list.
        if (pListOwner && pListOwner == mOwner && !L()) {
            mFlags |= kFlagListedByOwner;
            return;
        }
        if (!pListOwner && (mFlags & kFlagListedByOwner) && !L()) {
            mFlags &= ~kFlagListedByOwner;
            return;
        }
        SetListOwnerField(pListOwner);
    }

    // What a subclass keeps for the few plugs that need it, in the record;
    // owned by the plug from SetExtension on.
    struct Extension {
        virtual ~Extension() {}
    };
    Extension* GetExtension() const { return L() ? L()->mExtension.get() : nullptr; }
    void SetExtension(Extension* pExtension);

private:
    struct Connection {
        kUInt mHandle;
        kUInt mId;
        kConnectionType mType;
    };
    // No handle yet: matches no connection entry.
    static constexpr kUInt kNoHandle = ~kUInt(0);
    // What a plug holds beyond its owner and flags; made on first use and
    // kept until the plug ends.
    struct Links {
        std::vector<Connection> mConnections;
        std::vector<KPlug*> mOwned;
        std::vector<KPlug*> mSubPlugs;
        KPlugFilter* mFilter = nullptr;
        KPlugListener* mListener = nullptr;
        kReference mUserTag = 0;
        int mSrcCount = 0;
        kUInt mHandle = kNoHandle;
        kUInt mHandleId = 0;
        KPlug* mListOwner = nullptr;  // when it is not the owner
        std::unique_ptr<Extension> mExtension;
    };

public:
    // Storage for a plug's record, for an owner that keeps it in line (a
    // plug that is always connected then costs no allocation for it).
    struct LinksRoom {
        alignas(Links) unsigned char mBytes[sizeof(Links)];
    };

private:
    // Private flag bits: a view made by SubPlugGetOrCreate, deleted with its
    // owner; the watch mark; the list owner is the owner; the subclass's
    // mark; made in place (see Delete); the record made in place.
    enum {
        kFlagMadeAsView = 1 << 30,
        kFlagWatched = 1 << 29,
        kFlagListedByOwner = 1 << 28,
        kFlagMarked = 1 << 27,
        kFlagInPlace = 1 << 26,
        kFlagLinksInPlace = 1 << 25,
        kPrivateFlags = kFlagMadeAsView | kFlagWatched | kFlagListedByOwner | kFlagMarked | kFlagInPlace |
                        kFlagLinksInPlace
    };

    void SetPrivateFlag(int pFlag, bool pSet) { mFlags = pSet ? mFlags | pFlag : mFlags & ~pFlag; }
    // Every change of owner goes through here, so that the list owner stays.
    void SetOwnerField(KPlug* pOwner)
    {
        if ((mFlags & kFlagListedByOwner) && pOwner != mOwner)
            KeepListOwner();
        mOwner = pOwner;
    }
    // The owner, listing this plug, is about to change: the record keeps it.
    void KeepListOwner();
    // The destructor's work for a plug with a record or an owner.
    void EndPlug();
    void SetListOwnerField(KPlug* pListOwner);
    kUInt HandleOf() const { return L() ? L()->mHandle : kNoHandle; }
    kUInt HandleIdOf() const { return L() ? L()->mHandleId : 0; }
    static constexpr std::uintptr_t kFilterAlone = 1;
    Links* L() const { return (mLinks & kFilterAlone) ? nullptr : reinterpret_cast<Links*>(mLinks); }
    Links& MakeLinks();
    // The work of DisconnectAllSrc and DisconnectAllDst for a plug with links.
    bool DisconnectSources();
    bool DisconnectDestinations();
    // Takes a handle from the plug-handle manager when the plug has none.
    void EnsureHandle();
    KPlug* Resolve(const Connection& pEntry) const;
    bool IsAlive(kUInt pHandle, kUInt pId) const;
    int FindEntry(int pBegin, int pEnd, const KPlug* pPlug) const;
    void InsertEntry(bool pAsSource, const KPlug* pPlug, kConnectionType pType);
    bool RemoveEntry(bool pAsSource, const KPlug* pPlug);
    // Mirror a new or removed connection into the matching sub-plugs.
    void SubPlugsAdd(bool pAsSource, const KPlug* pPlug, kConnectionType pType);
    void SubPlugsRemove(bool pAsSource, const KPlug* pPlug);
    void AddSubPlug(KPlug* pSubPlug);
    void FillSubPlug(KPlug* pSubPlug) const;
    void RemoveSubPlug(KPlug* pSubPlug);
    // Forgets every connection entry (a sub-plug's view).
    void ClearEntries();
    void SetFilterField(KPlugFilter* pFilter);

    KPlug* mOwner;
    // The record, or a filter alone (kFilterAlone set: an object list keeps
    // no other), or 0.
    std::uintptr_t mLinks;
    int mFlags;
};

// Storage for a view and its record (KPlug::SubPlugGetOrCreate).
struct KPlugViewRoom {
    alignas(KPlug) unsigned char mPlug[sizeof(KPlug)];
    KPlug::LinksRoom mLinks;
};

}  // namespace qelsdk_600

#endif
