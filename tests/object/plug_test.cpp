#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "event_recorder.h"
#include "object/kplug.h"

namespace qelsdk_600 {
namespace {

typedef std::vector<RecordedEvent> Log;

TEST(PlugConnection, ConnectSendsRequestThenFourToDestinationAndFiveToSource)
{
    Log log;
    RecordingObject a("A", &log), b("B", &log);
    ASSERT_TRUE(b.ConnectSrc(&a));
    Log expected = {{"B", kPlugConnectSrcRequest, &b, &a},
                    {"B", kPlugConnectedSrc, &b, &a},
                    {"A", kPlugConnectedDst, &a, &b}};
    EXPECT_EQ(expected, log);
    EXPECT_TRUE(b.IsConnectedSrc(&a));
    EXPECT_TRUE(a.IsConnectedDst(&b));
    EXPECT_EQ(&a, b.GetSrc(0));
    EXPECT_EQ(&b, a.GetDst(0));
}

TEST(PlugConnection, RefusedRequestMakesNoConnection)
{
    Log log;
    RecordingObject a("A", &log), b("B", &log);
    b.mRefuse = true;
    EXPECT_FALSE(b.ConnectSrc(&a));
    EXPECT_EQ(1u, log.size());
    EXPECT_EQ(0, b.GetSrcCount());
    EXPECT_EQ(0, a.GetDstCount());
}

TEST(PlugConnection, DisconnectSendsSixAndSevenBeforeEightAndNineAfter)
{
    Log log;
    RecordingObject a("A", &log), b("B", &log);
    ASSERT_TRUE(b.ConnectSrc(&a));
    log.clear();
    ASSERT_TRUE(b.DisconnectSrc(&a));
    Log expected = {{"B", kPlugDisconnectSrc, &b, &a},
                    {"A", kPlugDisconnectDst, &a, &b},
                    {"B", kPlugDisconnectedSrc, &b, &a},
                    {"A", kPlugDisconnectedDst, &a, &b}};
    EXPECT_EQ(expected, log);
    EXPECT_FALSE(b.IsConnectedSrc(&a));
    EXPECT_FALSE(b.DisconnectSrc(&a));
}

// A destination whose connection request ends the would-be source.
struct SourceEndingPlug : KPlug {
    KPlug* mSource = nullptr;
    bool PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex, KPlug* pOther,
                    kConnectionType pType, KPlug* pNewPlug) override
    {
        if (pAction == kPlugConnectSrcRequest && mSource) {
            delete mSource;
            mSource = nullptr;
        }
        return true;
    }
};

TEST(PlugConnection, ASourceEndedByTheRequestIsNotConnectedNorReadAgain)
{
    SourceEndingPlug destination;
    destination.mSource = new KPlug;
    EXPECT_FALSE(destination.ConnectSrc(destination.mSource));
    EXPECT_EQ(0, destination.GetSrcCount());
}

TEST(PlugConnection, RejectsSelfNullAndDuplicateConnections)
{
    KPlug a, b;
    EXPECT_FALSE(a.ConnectSrc(nullptr));
    EXPECT_FALSE(a.ConnectSrc(&a));
    EXPECT_TRUE(a.ConnectSrc(&b));
    EXPECT_FALSE(a.ConnectSrc(&b));
    EXPECT_EQ(1, a.GetSrcCount());
    EXPECT_EQ(1, b.GetDstCount());
    // The reverse direction is a different connection.
    EXPECT_TRUE(b.ConnectSrc(&a));
}

TEST(PlugConnection, SourcesComeFirstInConnectionOrderThenDestinations)
{
    KPlug hub, s1, s2, s3, d1;
    ASSERT_TRUE(d1.ConnectSrc(&hub));
    ASSERT_TRUE(hub.ConnectSrc(&s1));
    ASSERT_TRUE(hub.ConnectSrc(&s2));
    ASSERT_TRUE(hub.ConnectSrc(&s3));
    ASSERT_EQ(3, hub.GetSrcCount());
    EXPECT_EQ(&s1, hub.GetSrc(0));
    EXPECT_EQ(&s2, hub.GetSrc(1));
    EXPECT_EQ(&s3, hub.GetSrc(2));
    EXPECT_EQ(1, hub.GetDstCount());
    EXPECT_EQ(&d1, hub.GetDst(0));
    ASSERT_TRUE(hub.DisconnectSrc(&s2));
    EXPECT_EQ(&s1, hub.GetSrc(0));
    EXPECT_EQ(&s3, hub.GetSrc(1));
    EXPECT_EQ(nullptr, hub.GetSrc(2));
    EXPECT_EQ(nullptr, hub.GetSrc(-1));
    EXPECT_EQ(&d1, hub.GetDst(0));
}

TEST(PlugConnection, DestroyedPlugReadsAsNoPlug)
{
    KPlug destination, survivor;
    KPlug* doomed = new KPlug;
    ASSERT_TRUE(destination.ConnectSrc(doomed));
    ASSERT_TRUE(destination.ConnectSrc(&survivor));
    ASSERT_TRUE(doomed->ConnectSrc(&destination));
    delete doomed;
    // No dangling pointer remains on either side of either connection.
    EXPECT_EQ(1, destination.GetSrcCount());
    EXPECT_EQ(&survivor, destination.GetSrc(0));
    EXPECT_EQ(0, destination.GetDstCount());
    EXPECT_EQ(nullptr, destination.GetDst(0));
    // A new plug that may reuse the freed handle record is not mistaken for
    // the old one.
    KPlug fresh;
    EXPECT_FALSE(destination.IsConnectedSrc(&fresh));
    EXPECT_TRUE(destination.ConnectSrc(&fresh));
    EXPECT_EQ(&fresh, destination.GetSrc(1));
}

TEST(PlugConnection, DestroyingTheDestinationLeavesTheSourceClean)
{
    KPlug source;
    {
        KPlug destination;
        ASSERT_TRUE(destination.ConnectSrc(&source));
    }
    EXPECT_EQ(0, source.GetDstCount());
}

TEST(PlugConnection, DisconnectAllSurvivesHandlersThatDestroyPeers)
{
    // A handler that deletes another connected plug while the list is walked.
    struct Deleter : KObject {
        KPlug* mVictim = nullptr;
        bool PlugNotify(KPlugCallstack* s, kPlugAction a, KPlug* p, int i, KPlug* o, kConnectionType t,
                        KPlug* n) override
        {
            if (a == kPlugDisconnectSrc && mVictim) {
                KPlug* victim = mVictim;
                mVictim = nullptr;
                delete victim;
            }
            return true;
        }
    } hub;
    KPlug* first = new KPlug;
    KPlug* second = new KPlug;
    KPlug third;
    ASSERT_TRUE(hub.ConnectSrc(first));
    ASSERT_TRUE(hub.ConnectSrc(second));
    ASSERT_TRUE(hub.ConnectSrc(&third));
    hub.mVictim = first;
    EXPECT_TRUE(hub.DisconnectAllSrc());
    EXPECT_EQ(0, hub.GetSrcCount());
    EXPECT_EQ(0, third.GetDstCount());
    EXPECT_EQ(0, second->GetDstCount());
    delete second;
}

TEST(PlugConnection, DisconnectAllOnEitherSideWalksEveryPeerLastFirstWhateverTheirNumber)
{
    // Around the number of entries the walk copies without an allocation.
    struct Hub : KObject {
        std::vector<KPlug*> mSeen;
        KPlug* mVictim = nullptr;
        bool PlugNotify(KPlugCallstack* s, kPlugAction a, KPlug* p, int i, KPlug* o, kConnectionType t,
                        KPlug* n) override
        {
            if (a == kPlugDisconnectSrc || a == kPlugDisconnectDst) {
                mSeen.push_back(o);
                if (mVictim && mVictim != o) {
                    KPlug* victim = mVictim;
                    mVictim = nullptr;
                    delete victim;
                }
            }
            return true;
        }
    };
    for (int count : {1, 8, 9, 20}) {
        for (bool sources : {true, false}) {
            SCOPED_TRACE(std::to_string(count) + (sources ? " sources" : " destinations"));
            Hub hub;
            std::vector<KPlug*> peers;
            for (int i = 0; i < count; ++i) {
                peers.push_back(new KPlug);
                ASSERT_TRUE(sources ? hub.ConnectSrc(peers.back()) : hub.ConnectDst(peers.back()));
            }
            // The first peer ends while the walk has not reached it yet.
            if (count > 1)
                hub.mVictim = peers.front();
            EXPECT_TRUE(sources ? hub.DisconnectAllSrc() : hub.DisconnectAllDst());
            EXPECT_EQ(0, hub.GetSrcCount() + hub.GetDstCount());
            const std::size_t walked = static_cast<std::size_t>(count > 1 ? count - 1 : count);
            ASSERT_EQ(walked, hub.mSeen.size());
            for (std::size_t i = 0; i < walked; ++i)
                EXPECT_EQ(peers[static_cast<std::size_t>(count) - 1 - i], hub.mSeen[i]);
            for (int i = count > 1 ? 1 : 0; i < count; ++i) {
                EXPECT_EQ(0, peers[static_cast<std::size_t>(i)]->GetSrcCount() +
                                 peers[static_cast<std::size_t>(i)]->GetDstCount());
                delete peers[static_cast<std::size_t>(i)];
            }
        }
    }
}

TEST(PlugOwner, EventsReachTheOwnerWithTheCallStackUnlessFlag16IsSet)
{
    Log log;
    RecordingObject owner("Owner", &log);
    KPlug owned, other;
    ASSERT_TRUE(owner.ConnectOwnedPlug(&owned));
    EXPECT_EQ(&owner, owned.GetOwner());

    ASSERT_TRUE(owned.ConnectSrc(&other));
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ((RecordedEvent{"Owner", kPlugConnectSrcRequest, &owned, &other}), log[0]);
    EXPECT_EQ((RecordedEvent{"Owner", kPlugConnectedSrc, &owned, &other}), log[1]);

    int value = 0;
    owned.PlugDataNotify(nullptr, kPlugDataChangeBegin, &owned, &value, nullptr, 0);
    EXPECT_EQ(&owned, owner.mLastStackTop);

    log.clear();
    owned.ModifyPlugFlags(KPlug::kFlagNoOwnerNotify, true);
    ASSERT_TRUE(owned.DisconnectSrc(&other));
    EXPECT_TRUE(log.empty());
}

TEST(PlugOwner, OwnerEndingFirstLeavesOwnedPlugsWithoutOwner)
{
    KPlug owned;
    {
        KObject owner;
        ASSERT_TRUE(owner.ConnectOwnedPlug(&owned));
        EXPECT_EQ(1, owner.GetOwnedPlugCount());
    }
    EXPECT_EQ(nullptr, owned.GetOwner());
    // Events now stay with the plug instead of reaching a dead owner.
    KPlug other;
    EXPECT_TRUE(owned.ConnectSrc(&other));
}

TEST(PlugOwner, OwnedPlugEndingFirstLeavesTheOwnerList)
{
    KObject owner;
    {
        KPlug owned;
        ASSERT_TRUE(owner.ConnectOwnedPlug(&owned));
        EXPECT_FALSE(owner.ConnectOwnedPlug(&owned));
    }
    EXPECT_EQ(0, owner.GetOwnedPlugCount());
    EXPECT_EQ(nullptr, owner.GetOwnedPlug(0));
}

// Classes for the filter tests: A and B are siblings below KObject.
int gClassAId = 0;
KClassDefinition gClassADefinition = {&gClassAId, &KObject::ClassDefinition, "TestPlugA", nullptr};
int gClassBId = 0;
KClassDefinition gClassBDefinition = {&gClassBId, &KObject::ClassDefinition, "TestPlugB", nullptr};
const int gRegisterA = KPlug_RegisterClassId(&gClassADefinition, -1);
const int gRegisterB = KPlug_RegisterClassId(&gClassBDefinition, -1);

struct PlugA : KObject {
    KClassDefinition* GetClassDefinition() const override { return &gClassADefinition; }
};
struct PlugB : KObject {
    KClassDefinition* GetClassDefinition() const override { return &gClassBDefinition; }
};

TEST(PlugFilter, SubPlugListsOnlyMatchingSourcesInConnectionOrder)
{
    KObject hub;
    PlugA a1, a2, a3;
    PlugB b1, b2;
    ASSERT_TRUE(hub.ConnectSrc(&a1));
    ASSERT_TRUE(hub.ConnectSrc(&b1));
    ASSERT_TRUE(hub.ConnectSrc(&a2));
    KPlug* view = hub.SubPlugGetOrCreate(KPlug_GetFilter(gClassAId));
    ASSERT_NE(nullptr, view);
    EXPECT_TRUE(view->IsSubPlug());
    EXPECT_EQ(view, hub.SubPlugGetOrCreate(KPlug_GetFilter(gClassAId)));

    // Connections made after the view exists join it; removals leave it.
    ASSERT_TRUE(hub.ConnectSrc(&b2));
    ASSERT_TRUE(hub.ConnectSrc(&a3));
    ASSERT_TRUE(hub.DisconnectSrc(&a1));
    ASSERT_EQ(2, view->GetSrcCount());
    EXPECT_EQ(&a2, view->GetSrc(0));
    EXPECT_EQ(&a3, view->GetSrc(1));

    // The accept-all filter of the base classes sees everything.
    KPlug* all = hub.SubPlugGetOrCreate(KPlug_GetFilter(KPlug::ClassId));
    EXPECT_EQ(4, all->GetSrcCount());
    EXPECT_EQ(4, hub.SubPlugGetOrCreate(KPlug_GetFilter(-1))->GetSrcCount());
}

// A hub that keeps its record and one view in line.
struct RoomHub : KObject {
    RoomHub() { MakeLinksIn(&mLinks); }
    KPlug* View() { return SubPlugGetOrCreate(KPlug_GetFilter(gClassAId), &mView); }
    LinksRoom mLinks;
    KPlugViewRoom mView;
};

// A record and a view kept in line answer as made ones do, and end with
// their plug however it ends.
TEST(PlugFilter, ARecordAndViewKeptInLineWorkAsMadeOnes)
{
    enum Ending { kPeersFirst, kHubDestroyed, kHubDeleted };
    for (Ending ending : {kPeersFirst, kHubDestroyed, kHubDeleted}) {
        SCOPED_TRACE(ending);
        RoomHub* hub = new RoomHub;
        PlugA* a1 = new PlugA;
        PlugA* a2 = new PlugA;
        PlugB* b = new PlugB;
        ASSERT_TRUE(hub->ConnectSrc(a1));
        ASSERT_TRUE(hub->ConnectSrc(b));
        KPlug* view = hub->View();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(static_cast<void*>(view), static_cast<void*>(hub->mView.mPlug));
        EXPECT_EQ(view, hub->View());
        EXPECT_EQ(hub->GetSubPlugCount(), 1);
        ASSERT_TRUE(hub->ConnectSrc(a2));
        ASSERT_TRUE(hub->ConnectDst(b));
        hub->SetUserTag(7);
        EXPECT_EQ(hub->GetUserTag(), 7);
        ASSERT_EQ(view->GetSrcCount(), 2);
        EXPECT_EQ(view->GetSrc(0), a1);
        EXPECT_EQ(view->GetSrc(1), a2);
        EXPECT_EQ(hub->GetSrcCount(), 3);
        EXPECT_EQ(hub->GetDstCount(), 1);
        if (ending == kPeersFirst) {
            delete a1;
            EXPECT_EQ(view->GetSrcCount(), 1);
            EXPECT_EQ(view->GetSrc(0), a2);
            a2->Destroy();
            delete b;
            EXPECT_EQ(view->GetSrcCount(), 0);
            EXPECT_EQ(hub->GetSrcCount() + hub->GetDstCount(), 0);
            hub->Destroy();
            continue;
        }
        if (ending == kHubDestroyed)
            hub->Destroy();
        else
            delete hub;
        EXPECT_EQ(a1->GetDstCount() + a2->GetDstCount() + b->GetDstCount() + b->GetSrcCount(), 0);
        delete a1;
        delete a2;
        delete b;
    }
}

TEST(PlugFilter, DestroyedSourceLeavesTheView)
{
    KObject hub;
    PlugA* a = new PlugA;
    PlugA kept;
    ASSERT_TRUE(hub.ConnectSrc(a));
    ASSERT_TRUE(hub.ConnectSrc(&kept));
    KPlug* view = hub.SubPlugGetOrCreate(KPlug_GetFilter(gClassAId));
    delete a;
    ASSERT_EQ(1, view->GetSrcCount());
    EXPECT_EQ(&kept, view->GetSrc(0));
}

TEST(PlugFilter, SubPlugsCannotBeConnectedDirectly)
{
    KObject hub;
    KPlug other;
    KPlug* view = hub.SubPlugGetOrCreate(KPlug_GetFilter(-1));
    EXPECT_FALSE(view->ConnectSrc(&other));
    EXPECT_FALSE(other.ConnectSrc(view));
    EXPECT_EQ(nullptr, hub.SubPlugGetOrCreate(nullptr));
}

TEST(PlugIdentity, QueriesAndClassTests)
{
    KPlug plug;
    KObject object;
    EXPECT_EQ(&plug, plug.IQuery(kIID_KPlug, 0));
    EXPECT_EQ(&plug, plug.IQuery(kIID_IKObject, 0));
    EXPECT_EQ(&plug, plug.IQuery(kIID_ICallback, 0));
    EXPECT_EQ(nullptr, plug.IQuery(kIID_KObject, 0));
    EXPECT_EQ(&object, object.IQuery(kIID_KObject, 0));
    EXPECT_EQ(&object, object.IQuery(kIID_KPlug, 0));
    EXPECT_EQ(nullptr, object.IQuery(12345, 0));

    EXPECT_TRUE(object.Is(KObject::ClassId));
    EXPECT_TRUE(object.Is(KPlug::ClassId));
    EXPECT_FALSE(plug.Is(KObject::ClassId));
    EXPECT_STREQ("KObject", object.GetClassIdName());
    EXPECT_EQ(KObject::ClassGroupId, object.GetClassGroupId());
}

}  // namespace
}  // namespace qelsdk_600

namespace qelsdk_600 {
namespace {

TEST(PlugFilter, PlugTurnedIntoSubPlugJoinsItsOwnerView)
{
    KObject owner;
    PlugA a;
    PlugB b;
    ASSERT_TRUE(owner.ConnectSrc(&a));
    ASSERT_TRUE(owner.ConnectSrc(&b));
    KPlug* view = new KPlug;
    KPlug other;
    ASSERT_TRUE(owner.ConnectOwnedPlug(view));
    ASSERT_TRUE(view->ConnectSrc(&other));
    view->SetFilter(KPlug_GetFilter(gClassBId), KPlug::eSubPlug);
    // Its own connection is dropped; it now mirrors the owner's B sources.
    EXPECT_EQ(0, other.GetDstCount());
    EXPECT_EQ(0, owner.GetOwnedPlugCount());
    ASSERT_EQ(1, owner.GetSubPlugCount());
    ASSERT_EQ(1, view->GetSrcCount());
    EXPECT_EQ(&b, view->GetSrc(0));
    // A new filter rebuilds the view; the sub-plug bit is not a plain flag.
    view->SetFilter(KPlug_GetFilter(gClassAId), KPlug::eSubPlug);
    EXPECT_EQ(&a, view->GetSrc(0));
    view->ModifyPlugFlags(KPlug::kFlagSubPlug, false);
    EXPECT_TRUE(view->IsSubPlug());
    delete view;
    EXPECT_EQ(0, owner.GetSubPlugCount());
}

TEST(PlugFlags, NewPlugHasBothDirectionsAndZeroTag)
{
    KPlug plug;
    EXPECT_EQ(KPlug::eDirectionAll, plug.GetDirection());
    EXPECT_EQ(0u, plug.GetUserTag());
    plug.SetUserTag(static_cast<kReference>(190));
    plug.SetDirection(KPlug::eDirectionDst);
    EXPECT_EQ(KPlug::eDirectionDst, plug.GetDirection());
    EXPECT_EQ(static_cast<kReference>(190), plug.GetUserTag());
    EXPECT_EQ(KPlug::eDirectionDst, plug.GetPlugFlags());
}

}  // namespace
}  // namespace qelsdk_600
