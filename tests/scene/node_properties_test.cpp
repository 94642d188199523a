#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "object/event_recorder.h"
#include "object/kdatatype.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelnull.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

// One row of the node's property table: name, type, flags, and the default
// (x, y, z for vectors; x alone for the rest).
struct PropertyRow {
    const char* mName;
    kPropertyType mType;
    int mFlags;
    double mX, mY, mZ;
};

const int kVector = kPropertyVector3D;
const PropertyRow kRows[] = {
    {"QuaternionInterpolate", kPropertyBool, 0, 0, 0, 0},
    {"RotationOffset", kPropertyVector3D, 0, 0, 0, 0},
    {"RotationPivot", kPropertyVector3D, 0, 0, 0, 0},
    {"RotationPivotUpdateOffset", kPropertyVector3D, kPropertyFlagNotSavable, 0, 0, 0},
    {"ScalingOffset", kPropertyVector3D, 0, 0, 0, 0},
    {"ScalingPivot", kPropertyVector3D, 0, 0, 0, 0},
    {"ScalingPivotUpdateOffset", kPropertyVector3D, kPropertyFlagNotSavable, 0, 0, 0},
    {"TranslationActive", kPropertyBool, 0, 0, 0, 0},
    {"TranslationMin", kPropertyVector3D, 0, 0, 0, 0},
    {"TranslationMax", kPropertyVector3D, 0, 0, 0, 0},
    {"TranslationMinX", kPropertyBool, 0, 0, 0, 0},
    {"TranslationMinY", kPropertyBool, 0, 0, 0, 0},
    {"TranslationMinZ", kPropertyBool, 0, 0, 0, 0},
    {"TranslationMaxX", kPropertyBool, 0, 0, 0, 0},
    {"TranslationMaxY", kPropertyBool, 0, 0, 0, 0},
    {"TranslationMaxZ", kPropertyBool, 0, 0, 0, 0},
    {"RotationOrder", kPropertyEnum, 0, 0, 0, 0},
    {"RotationSpaceForLimitOnly", kPropertyBool, 0, 0, 0, 0},
    {"RotationStiffnessX", kPropertyDouble, 0, 0, 0, 0},
    {"RotationStiffnessY", kPropertyDouble, 0, 0, 0, 0},
    {"RotationStiffnessZ", kPropertyDouble, 0, 0, 0, 0},
    {"AxisLen", kPropertyDouble, 0, 0, 0, 0},
    {"PreRotation", kPropertyVector3D, 0, 0, 0, 0},
    {"PostRotation", kPropertyVector3D, 0, 0, 0, 0},
    {"RotationActive", kPropertyBool, 0, 0, 0, 0},
    {"RotationMin", kPropertyVector3D, 0, 0, 0, 0},
    {"RotationMax", kPropertyVector3D, 0, 0, 0, 0},
    {"RotationMinX", kPropertyBool, 0, 0, 0, 0},
    {"RotationMinY", kPropertyBool, 0, 0, 0, 0},
    {"RotationMinZ", kPropertyBool, 0, 0, 0, 0},
    {"RotationMaxX", kPropertyBool, 0, 0, 0, 0},
    {"RotationMaxY", kPropertyBool, 0, 0, 0, 0},
    {"RotationMaxZ", kPropertyBool, 0, 0, 0, 0},
    {"InheritType", kPropertyEnum, 0, 0, 0, 0},
    {"ScalingActive", kPropertyBool, 0, 0, 0, 0},
    {"ScalingMin", kPropertyVector3D, 0, 0, 0, 0},
    {"ScalingMax", kPropertyVector3D, 0, 0, 0, 0},
    {"ScalingMinX", kPropertyBool, 0, 0, 0, 0},
    {"ScalingMinY", kPropertyBool, 0, 0, 0, 0},
    {"ScalingMinZ", kPropertyBool, 0, 0, 0, 0},
    {"ScalingMaxX", kPropertyBool, 0, 0, 0, 0},
    {"ScalingMaxY", kPropertyBool, 0, 0, 0, 0},
    {"ScalingMaxZ", kPropertyBool, 0, 0, 0, 0},
    {"GeometricTranslation", kPropertyVector3D, 0, 0, 0, 0},
    {"GeometricRotation", kPropertyVector3D, 0, 0, 0, 0},
    {"GeometricScaling", kPropertyVector3D, 0, 0, 0, 0},  // 1, 1, 1 once a node resets it
    {"LookAtProperty", kPropertyObject, 1, 0, 0, 0},
    {"UpVectorProperty", kPropertyObject, 1, 0, 0, 0},
    {"Show", kPropertyBool, 0, 1, 0, 0},
    {"NegativePercentShapeSupport", kPropertyBool, 0, 1, 0, 0},
    {"Lcl Translation", kPropertyVector3D, kPropertyFlagAnimated, 0, 0, 0},
    {"Lcl Rotation", kPropertyVector3D, kPropertyFlagAnimated, 0, 0, 0},
    {"Lcl Scaling", kPropertyVector3D, kPropertyFlagAnimated, 1, 1, 1},
    {"Visibility", kPropertyDouble, kPropertyFlagAnimated, 1, 0, 0},
};

void ExpectTable(KQelNodeProperties& pSet, double pGeometricScaling)
{
    ASSERT_EQ(pSet.GetPropertyCount(), 54);
    for (int i = 0; i < 54; ++i) {
        const PropertyRow& row = kRows[i];
        KProperty* property = pSet.GetProperty(i);
        ASSERT_STREQ(property->GetPropertyName(), row.mName) << i;
        EXPECT_EQ(property->GetPropertyType(), row.mType) << row.mName;
        EXPECT_EQ(property->GetPropertyFlags(), row.mFlags) << row.mName;
        EXPECT_EQ(property->IsAnimatable(), i >= 50) << row.mName;
        const bool geometricScaling = std::string(row.mName) == "GeometricScaling";
        if (row.mType == kVector) {
            KgeTVector value(9, 9, 9, 9);
            ASSERT_TRUE(property->GetData(&value));
            const double x = geometricScaling ? pGeometricScaling : row.mX;
            const double y = geometricScaling ? pGeometricScaling : row.mY;
            const double z = geometricScaling ? pGeometricScaling : row.mZ;
            EXPECT_EQ(value.mData[0], x) << row.mName;
            EXPECT_EQ(value.mData[1], y) << row.mName;
            EXPECT_EQ(value.mData[2], z) << row.mName;
        } else if (row.mType != kPropertyObject) {
            EXPECT_EQ(property->AsDouble(), row.mX) << row.mName;
        }
    }
    EXPECT_EQ(pSet.FindPropertyByName("Lcl Translation")->GetPropertyDataType(), KDataTypeLclTranslation::DataType);
    EXPECT_EQ(pSet.FindPropertyByName("Visibility")->GetPropertyDataType(), KDataTypeVisibility::DataType);
}

TEST(KQelNodeProperties, AFreeSetListsTheTableWithGeometricScalingZero)
{
    KQelNodeProperties* set = new KQelNodeProperties(nullptr);
    ExpectTable(*set, 0.0);
    EXPECT_EQ(set->GetKQelNode(), nullptr);
    EXPECT_EQ(set->GetPivot(KQelNode::eSourcePivot).mGeometricScaling[0], 1.0);
    set->Destroy();
}

TEST(KQelNodeProperties, ANodesSetListsTheTableAfterReset)
{
    KQelSdkManager manager;
    KQelNode* node = manager.CreateKQelNode("Cube");
    ExpectTable(*node->GetPropertyHandler(), 1.0);
    EXPECT_EQ(node->GetPropertyHandler()->GetKQelNode(), node);
    // Every property is published as a user property, in order.
    ASSERT_EQ(node->GetPropertyCount(), 54);
    EXPECT_EQ(node->GetProperty(53)->GetName(), "Visibility");
}

TEST(KQelNodeProperties, EnumerationTexts)
{
    struct Case {
        int value;
        const char* order;
        const char* inherit;
    } cases[] = {
        {0, "Euler XYZ", "RrSs"}, {1, "Euler XZY", "RrSs"}, {2, "Euler YZX", "Rrs"},
        {3, "Euler YXZ", nullptr}, {5, "Euler ZYX", nullptr}, {6, "Spheric XYZ", nullptr},
        {7, nullptr, nullptr},    {-1, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const char* order = KQelNodeProperties::RotationOrderAsString(static_cast<ERotationOrder>(c.value));
        const char* inherit = KQelNodeProperties::InheritTypeAsString(static_cast<ETransformInheritType>(c.value));
        EXPECT_EQ(order ? std::string(order) : "<null>", c.order ? c.order : "<null>") << c.value;
        EXPECT_EQ(inherit ? std::string(inherit) : "<null>", c.inherit ? c.inherit : "<null>") << c.value;
    }
    KQelNodeProperties* set = new KQelNodeProperties(nullptr);
    set->RotationOrder.SetValue(eSphericXYZ);
    EXPECT_STREQ(set->FindPropertyByName("RotationOrder")->AsString().Buffer(), "Spheric XYZ");
    set->Destroy();
}

TEST(KQelNodeProperties, VectorInequalityCountsNotANumberAsDifferent)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        KgeTVector a;
        KQelVector4 b;
        bool differs;
    } cases[] = {
        {KgeTVector(1, 2, 3, 1), KQelVector4(1, 2, 3, 1), false},
        {KgeTVector(1, 2, 3, 1), KQelVector4(1, 2, 3, 0), true},  // w counts here
        {KgeTVector(1, 2, 3, 1), KQelVector4(1, 2, 3.0000001, 1), true},
        {KgeTVector(nan, 2, 3, 1), KQelVector4(nan, 2, 3, 1), true},
        {KgeTVector(1, 2, 3, 1), KQelVector4(1, nan, 3, 1), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.a != c.b, c.differs);
}

TEST(KQelNodeProperties, ClassIdentityAndTheNodeView)
{
    KQelNodeProperties* set = new KQelNodeProperties(nullptr);
    EXPECT_TRUE(set->Is(KQelNodeProperties::ClassId));
    EXPECT_TRUE(set->Is(KQelPropertyHandler::ClassId));
    EXPECT_TRUE(set->Is(KObject::ClassId));
    EXPECT_TRUE(set->Is(KPlug::ClassId));
    EXPECT_FALSE(set->Is(KQelNullProperties::ClassId));
    EXPECT_STREQ(set->GetClassIdName(), "KQelNodeProperties");
    EXPECT_EQ(set->GetClassGroupId(), KObject::ClassGroupId);
    // Tree relations are read through a view restricted to node sets.
    EXPECT_NE(set->GetNodeView(), set);
    EXPECT_TRUE(set->GetNodeView()->IsSubPlug());
    set->Destroy();
}

// A set of a subclass that hooks its property list: it ends through
// KObject's general tear-down, and its hooks are still called.
struct HookedNodeProperties : KQelNodeProperties {
    HookedNodeProperties() : KQelNodeProperties(nullptr) {}
    void PropertyNotify(kPropertyNotify pEvent, KProperty* pProperty) override
    {
        if (pEvent == kPropertyRemoving)
            mRemovals.push_back(pProperty->GetPropertyName());
        KQelNodeProperties::PropertyNotify(pEvent, pProperty);
    }
    std::vector<std::string> mRemovals;
};

// A peer that also notes how many properties the set still lists when it
// hears from it.
struct CountingPeer : RecordingObject {
    CountingPeer(const char* pName, std::vector<RecordedEvent>* pLog, const KObject* pSet, std::vector<int>* pCounts)
        : RecordingObject(pName, pLog), mSet(pSet), mCounts(pCounts)
    {
    }
    bool PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex, KPlug* pOther,
                    kConnectionType pType, KPlug* pNewPlug) override
    {
        mCounts->push_back(mSet->GetPropertyCount());
        return RecordingObject::PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
    }
    const KObject* mSet;
    std::vector<int>* mCounts;
};

// What the peers of a set saw of its end, with the set's plugs by name and
// the number of properties it listed then.
// pListed: the set's property names as listed when it ends.
std::vector<std::string> EndSeenByPeers(KQelNodeProperties* pSet, void (*pConnect)(KQelNodeProperties&, KObject**),
                                        std::vector<std::string>* pListed)
{
    std::vector<RecordedEvent> log;
    std::vector<int> counts;
    CountingPeer a("A", &log, pSet, &counts), b("B", &log, pSet, &counts), c("C", &log, pSet, &counts);
    KObject* peers[] = {&a, &b, &c};
    pConnect(*pSet, peers);
    std::map<const KPlug*, std::string> names = {{pSet, "set"}, {&a, "A"}, {&b, "B"}, {&c, "C"}};
    pListed->clear();
    for (int i = 0; i < pSet->GetPropertyCount(); ++i) {
        names[pSet->GetProperty(i)] = pSet->GetProperty(i)->GetPropertyName();
        pListed->push_back(pSet->GetProperty(i)->GetPropertyName());
    }
    log.clear();
    counts.clear();
    pSet->Destruct();
    EXPECT_EQ(pSet->GetPropertyCount(), 0);
    for (KObject* peer : peers)
        EXPECT_EQ(peer->GetSrcCount() + peer->GetDstCount(), 0);
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < log.size(); ++i) {
        const RecordedEvent& event = log[i];
        seen.push_back(event.mWho + " " + std::to_string(event.mAction) + " " + names[event.mPlug] + " " +
                       names[event.mOther] + " #" + std::to_string(counts[i]));
    }
    return seen;
}

TEST(KQelNodeProperties, ASetEndsAsKObjectEndsItWithTheSameEventsInTheSameOrder)
{
    struct Case {
        const char* name;
        void (*connect)(KQelNodeProperties&, KObject**);
        int events;  // what the peers see: two for each connection
    } cases[] = {
        {"nothing connected", [](KQelNodeProperties&, KObject**) {}, 0},
        {"members both ways",
         [](KQelNodeProperties& pSet, KObject** pPeers) {
             pSet.Show.ConnectSrc(pPeers[0]);
             pSet.RotationOffset.ConnectDst(pPeers[1]);
             pSet.Show.ConnectDst(pPeers[2]);
         },
         6},
        {"animated properties, made as the set's own",
         [](KQelNodeProperties& pSet, KObject** pPeers) {
             pSet.FindPropertyByName("Visibility")->ConnectSrc(pPeers[0]);
             pSet.FindPropertyByName("Lcl Translation")->ConnectDst(pPeers[1]);
         },
         4},
        {"the set itself and its members",
         [](KQelNodeProperties& pSet, KObject** pPeers) {
             pSet.ConnectSrc(pPeers[0]);
             pSet.ConnectDst(pPeers[1]);
             pSet.Show.ConnectSrc(pPeers[2]);
             pSet.RotationOffset.ConnectSrc(pPeers[0]);
         },
         8},
        {"a property added after the table",
         [](KQelNodeProperties& pSet, KObject** pPeers) {
             KProperty* extra = pSet.CreatePropertyFromType("Extra", kPropertyDouble, nullptr, false, false, nullptr);
             extra->ConnectSrc(pPeers[0]);
             extra->ConnectDst(pPeers[1]);
             pSet.Show.ConnectDst(pPeers[1]);
         },
         6},
    };
    for (const Case& c : cases) {
        KQelNodeProperties* own = new KQelNodeProperties(nullptr);
        HookedNodeProperties* hooked = new HookedNodeProperties;
        std::vector<std::string> listed, hookedListed;
        const std::vector<std::string> seen = EndSeenByPeers(own, c.connect, &listed);
        EXPECT_EQ(seen, EndSeenByPeers(hooked, c.connect, &hookedListed)) << c.name;
        EXPECT_EQ(static_cast<int>(seen.size()), c.events) << c.name;
        // The subclass's hook heard every property leave, the last first.
        EXPECT_EQ(listed, hookedListed) << c.name;
        EXPECT_EQ(hooked->mRemovals, std::vector<std::string>(listed.rbegin(), listed.rend())) << c.name;
        own->Destroy();
        hooked->Destroy();
    }
}

// A peer that, besides logging, reacts to what it hears.
struct ReactingPeer : RecordingObject {
    explicit ReactingPeer(std::vector<RecordedEvent>* pLog) : RecordingObject("P", pLog) {}
    bool PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex, KPlug* pOther,
                    kConnectionType pType, KPlug* pNewPlug) override
    {
        const bool answer = RecordingObject::PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
        if (mReact)
            mReact(pAction, pOther);
        return answer;
    }
    std::function<void(kPlugAction, KPlug*)> mReact;
};

// Connects pMember to the peer when the set's own connection to it ends;
// when the member's connection ends in turn, notes what the set lists.
void ConnectWhenTheSetLetsGo(KQelNodeProperties& pSet, ReactingPeer& pPeer, std::vector<std::string>& pNotes,
                             KProperty* pMember)
{
    ASSERT_TRUE(pSet.ConnectDst(&pPeer));
    pPeer.mReact = [&pSet, &pPeer, &pNotes, pMember](kPlugAction pAction, KPlug* pOther) {
        if (pAction != kPlugDisconnectedSrc)
            return;
        if (pOther == &pSet) {
            EXPECT_TRUE(pPeer.ConnectSrc(pMember));
            return;
        }
        pNotes.push_back("listed " + std::to_string(pSet.GetPropertyCount()));
        for (const char* name : {"QuaternionInterpolate", "RotationStiffnessZ", "AxisLen", "Show"})
            pNotes.push_back(std::string(name) + (pSet.FindPropertyByName(name) ? " found" : " gone"));
    };
}

// What a set's end leaves, as text: the peer's notes and events, then the
// count listed and the owned plugs in order.
std::vector<std::string> EndLeaves(KQelNodeProperties* pSet,
                                   void (*pPrepare)(KQelNodeProperties&, ReactingPeer&, std::vector<std::string>&))
{
    std::vector<RecordedEvent> log;
    std::vector<std::string> seen;
    ReactingPeer peer(&log);
    std::map<const KPlug*, std::string> names = {{pSet, "set"}, {&peer, "P"}};
    for (int i = 0; i < pSet->GetPropertyCount(); ++i)
        names[pSet->GetProperty(i)] = pSet->GetProperty(i)->GetPropertyName();
    pPrepare(*pSet, peer, seen);
    pSet->Destruct();
    for (const RecordedEvent& event : log)
        seen.push_back(std::to_string(event.mAction) + " " + names[event.mPlug] + " " + names[event.mOther]);
    seen.push_back("listed " + std::to_string(pSet->GetPropertyCount()));
    for (const char* name : {"QuaternionInterpolate", "Show"})
        EXPECT_EQ(pSet->FindPropertyByName(name), nullptr) << name;
    // The ended set lists anew from the start.
    KPropertyTemplate<int> probe;
    probe.SetPropertyName("Probe");
    EXPECT_EQ(pSet->PropertyAddToList(&probe), 0);
    EXPECT_EQ(pSet->GetProperty(0), &probe);
    EXPECT_TRUE(pSet->PropertyIndexRemoveFromList(0));
    for (int i = 0; i < pSet->GetOwnedPlugCount(); ++i)
        seen.push_back("owned " + names[pSet->GetOwnedPlug(i)]);
    EXPECT_EQ(peer.GetSrcCount() + peer.GetDstCount(), 0);
    peer.mReact = nullptr;
    return seen;
}

// What a set holds when it ends (owned plugs apart from its list, a peer
// that connects a member meanwhile and looks names up) changes nothing of
// what the end leaves, whichever way the set ends.
TEST(KQelNodeProperties, ASetEndsAsKObjectEndsItWhateverItsListHolds)
{
    struct Case {
        const char* name;
        void (*prepare)(KQelNodeProperties&, ReactingPeer&, std::vector<std::string>&);
        std::vector<std::string> notes;  // what the peer noted, in order
    } cases[] = {
        {"a listed member released by the set",
         [](KQelNodeProperties& pSet, ReactingPeer&, std::vector<std::string>&) {
             EXPECT_TRUE(pSet.DisconnectOwnedPlug(&pSet.AxisLen));
         },
         {}},
        {"a member unlisted in the middle and listed again",
         [](KQelNodeProperties& pSet, ReactingPeer&, std::vector<std::string>&) {
             EXPECT_TRUE(pSet.PropertyIndexRemoveFromList(1));
             EXPECT_EQ(pSet.PropertyAddToList(&pSet.RotationOffset), 53);
         },
         {}},
        {"a member connected while the set's own connection ends",
         [](KQelNodeProperties& pSet, ReactingPeer& pPeer, std::vector<std::string>& pNotes) {
             ConnectWhenTheSetLetsGo(pSet, pPeer, pNotes, &pSet.AxisLen);
         },
         {"listed 21", "QuaternionInterpolate found", "RotationStiffnessZ found", "AxisLen gone", "Show gone"}},
        {"names looked up while an animated property ends",
         [](KQelNodeProperties& pSet, ReactingPeer& pPeer, std::vector<std::string>& pNotes) {
             ConnectWhenTheSetLetsGo(pSet, pPeer, pNotes, pSet.FindPropertyByName("Lcl Translation"));
         },
         {"listed 50", "QuaternionInterpolate found", "RotationStiffnessZ found", "AxisLen found", "Show found"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KQelNodeProperties* own = new KQelNodeProperties(nullptr);
        HookedNodeProperties* hooked = new HookedNodeProperties;
        const std::vector<std::string> seen = EndLeaves(own, c.prepare);
        EXPECT_EQ(seen, EndLeaves(hooked, c.prepare));
        const std::vector<std::string> notes(seen.begin(), seen.begin() + static_cast<long>(c.notes.size()));
        EXPECT_EQ(notes, c.notes);
        own->Destroy();
        hooked->Destroy();
    }
}

// The four animated properties share their set's storage: each ends once
// whichever way it goes, and the others keep their values and order.
TEST(KQelNodeProperties, AnimatedPropertiesEndOnceWhicheverWayTheyGo)
{
    enum Ending { kNodeDestroyed, kOneDestroyedFirst, kSetDeletedOnly };
    for (Ending ending : {kNodeDestroyed, kOneDestroyedFirst, kSetDeletedOnly}) {
        SCOPED_TRACE(ending);
        KQelSdkManager manager;
        KQelNode* node = manager.CreateKQelNode("n");
        KQelNodeProperties* set =
            ending == kSetDeletedOnly ? new KQelNodeProperties(nullptr) : node->GetPropertyHandler();
        KObject peer;
        KProperty* translation = set->FindPropertyByName("Lcl Translation");
        KProperty* rotation = set->FindPropertyByName("Lcl Rotation");
        KProperty* visibility = set->FindPropertyByName("Visibility");
        ASSERT_TRUE(translation && rotation && visibility);
        ASSERT_TRUE(translation->ConnectDst(&peer));
        ASSERT_TRUE(visibility->ConnectSrc(&peer));
        const KgeTVector moved(1.0, 2.0, 3.0, 1.0);
        translation->SetData(&moved);
        if (ending == kOneDestroyedFirst) {
            EXPECT_TRUE(set->PropertyDestroy(rotation));
            EXPECT_EQ(set->GetPropertyCount(), 53);
            EXPECT_EQ(set->FindPropertyByName("Lcl Rotation"), nullptr);
            EXPECT_EQ(set->GetProperty(50), translation);
            EXPECT_STREQ(set->GetProperty(51)->GetPropertyName(), "Lcl Scaling");
            EXPECT_EQ(set->GetProperty(52), visibility);
            KgeTVector read;
            ASSERT_TRUE(translation->GetData(&read));
            EXPECT_EQ(read.mData[1], 2.0);
            EXPECT_EQ(visibility->AsDouble(), 1.0);
        }
        if (ending == kSetDeletedOnly)
            delete set;
        else
            EXPECT_TRUE(manager.DestroyKQelNode(node, false));
        EXPECT_EQ(peer.GetSrcCount() + peer.GetDstCount(), 0);
    }
}

}  // namespace
}  // namespace qelsdk_600
