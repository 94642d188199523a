#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/klib.h"
#include "base/kname.h"
#include "content/kqellight.h"
#include "content/kqelmarker.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqelnull.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"
#include "scene/kqelskeleton.h"
#include "scene/kqelthumbnail.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {
namespace {

// The kinds this manager builds, driven through one shape.
struct Kind {
    const char* name;
    std::function<void*(KQelSdkManager&)> create;
    std::function<bool(KQelSdkManager&, void*)> destroy;
    std::function<int(KQelSdkManager&)> count;
    std::function<void*(KQelSdkManager&, int)> get;
};

std::vector<Kind> Kinds()
{
    return {
        {"null", [](KQelSdkManager& m) -> void* { return static_cast<KQelNodeAttribute*>(m.CreateKQelNull()); },
         [](KQelSdkManager& m, void* p) { return m.DestroyKQelNodeAttribute(static_cast<KQelNodeAttribute*>(p)); },
         [](KQelSdkManager& m) { return m.GetKQelNodeAttributeCount(); },
         [](KQelSdkManager& m, int i) -> void* { return m.GetKQelNodeAttribute(i); }},
        {"user property", [](KQelSdkManager& m) -> void* { return m.CreateKQelUserProperty("P", "Real", ""); },
         [](KQelSdkManager& m, void* p) { return m.DestroyKQelUserProperty(static_cast<KQelUserProperty*>(p)); },
         [](KQelSdkManager& m) { return m.GetKQelUserPropertyCount(); },
         [](KQelSdkManager& m, int i) -> void* { return m.GetKQelUserProperty(i); }},
        {"thumbnail", [](KQelSdkManager& m) -> void* { return m.CreateKQelThumbnail(); },
         [](KQelSdkManager& m, void* p) { return m.DestroyKQelThumbnail(static_cast<KQelThumbnail*>(p)); },
         [](KQelSdkManager& m) { return m.GetKQelThumbnailCount(); },
         [](KQelSdkManager& m, int i) -> void* { return m.GetKQelThumbnail(i); }},
        {"scene info", [](KQelSdkManager& m) -> void* { return m.CreateKQelSceneInfo(); },
         [](KQelSdkManager& m, void* p) { return m.DestroyKQelSceneInfo(static_cast<KQelSceneInfo*>(p)); },
         [](KQelSdkManager& m) { return m.GetKQelSceneInfoCount(); },
         [](KQelSdkManager& m, int i) -> void* { return m.GetKQelSceneInfo(i); }},
        {"generic node", [](KQelSdkManager& m) -> void* { return m.CreateKQelGenericNode("G"); },
         [](KQelSdkManager& m, void* p) { return m.DestroyKQelGenericNode(static_cast<KQelGenericNode*>(p)); },
         [](KQelSdkManager& m) { return m.GetKQelGenericNodeCount(); },
         [](KQelSdkManager& m, int i) -> void* { return m.GetKQelGenericNode(i); }},
    };
}

TEST(KQelSdkManager, MakesListsAndDestroysEachKindOnlyOnce)
{
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        KQelSdkManager manager;
        KQelSdkManager other;
        void* made[3];
        for (void*& object : made) {
            object = kind.create(manager);
            ASSERT_TRUE(object);
        }
        void* foreign = kind.create(other);
        ASSERT_EQ(kind.count(manager), 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(kind.get(manager, i), made[i]);
        EXPECT_EQ(kind.get(manager, 3), nullptr);
        EXPECT_EQ(kind.get(manager, -1), nullptr);

        EXPECT_TRUE(kind.destroy(manager, made[1]));
        EXPECT_EQ(kind.count(manager), 2);
        EXPECT_EQ(kind.get(manager, 1), made[2]);
        EXPECT_EQ(manager.GetLastErrorID(), -1);
        EXPECT_FALSE(kind.destroy(manager, made[1]));  // already gone
        EXPECT_EQ(manager.GetLastErrorID(), 0);
        EXPECT_STREQ(manager.GetLastErrorString(), "Object not found");
        EXPECT_FALSE(kind.destroy(manager, foreign));  // not this manager's
        EXPECT_FALSE(kind.destroy(manager, nullptr));
        EXPECT_EQ(kind.count(manager), 2);
        EXPECT_EQ(kind.count(other), 1);
    }
}

TEST(KQelSdkManager, FindsUserPropertiesByExactNameWithoutError)
{
    KQelSdkManager manager;
    KQelUserProperty* first = manager.CreateKQelUserProperty("Weight", "Real", "");
    manager.CreateKQelUserProperty("Weight", "Bool", "");
    EXPECT_EQ(manager.FindKQelUserProperty("Weight"), first);
    EXPECT_EQ(manager.FindKQelUserProperty("weight"), nullptr);
    EXPECT_EQ(manager.FindKQelUserProperty(nullptr), nullptr);
    EXPECT_EQ(manager.GetLastErrorID(), -1);
    KQelUserProperty* made = manager.CreateKQelUserProperty("Tint", "Color", "Colour");
    EXPECT_EQ(made->GetPropertyType(), KQelUserProperty::eColor);
    EXPECT_STREQ(made->GetLabel().Buffer(), "Colour");
}

// A null that counts its end and may destroy other objects of its manager
// while it ends.
class ChainNull : public KQelNull {
public:
    ChainNull(KQelSdkManager& pManager, int* pEnded) : KQelNull(pManager), mEnded(pEnded) {}
    ~ChainNull() override
    {
        ++*mEnded;
        if (mSibling)
            GetKQelSdkManager().DestroyKQelNodeAttribute(mSibling);
        if (mThumbnail)
            GetKQelSdkManager().DestroyKQelThumbnail(mThumbnail);
    }
    int* mEnded;
    KQelNodeAttribute* mSibling = nullptr;
    KQelThumbnail* mThumbnail = nullptr;
};

class HostManager : public KQelSdkManager {
public:
    explicit HostManager(int* pEnded) : mEnded(pEnded) {}
    KQelNull* AllocateKQelNull() override { return mRefuse ? nullptr : new ChainNull(*this, mEnded); }
    bool mRefuse = false;
    int* mEnded;
};

TEST(KQelSdkManager, DerivedAllocationIsUsedAndARefusalListsNothing)
{
    int ended = 0;
    HostManager manager(&ended);
    KQelNull* made = manager.CreateKQelNull();
    ASSERT_NE(dynamic_cast<ChainNull*>(made), nullptr);
    manager.mRefuse = true;
    EXPECT_EQ(manager.CreateKQelNull(), nullptr);
    EXPECT_EQ(manager.GetKQelNodeAttributeCount(), 1);
    EXPECT_TRUE(manager.DestroyKQelNodeAttribute(made));
    EXPECT_EQ(ended, 1);
}

// Ending one object may destroy others through the same manager: each object
// still ends exactly once, whether Clear or the destructor runs.
TEST(KQelSdkManager, ObjectsThatEndOthersAreEndedOnce)
{
    for (bool byDestructor : {false, true}) {
        int ended = 0;
        {
            HostManager manager(&ended);
            ChainNull* a = static_cast<ChainNull*>(manager.CreateKQelNull());
            ChainNull* b = static_cast<ChainNull*>(manager.CreateKQelNull());
            ChainNull* c = static_cast<ChainNull*>(manager.CreateKQelNull());
            a->mSibling = c;                                // later in the list
            c->mSibling = b;                                // already taken out by then
            a->mThumbnail = manager.CreateKQelThumbnail();  // a list ended later
            manager.CreateKQelUserProperty("P", "Real", "");
            if (!byDestructor) {
                manager.Clear();
                EXPECT_EQ(ended, 3);
                EXPECT_EQ(manager.GetKQelNodeAttributeCount(), 0);
                EXPECT_EQ(manager.GetKQelThumbnailCount(), 0);
                EXPECT_EQ(manager.GetKQelUserPropertyCount(), 0);
                manager.Clear();  // any number of times
            }
        }
        EXPECT_EQ(ended, 3) << (byDestructor ? "destructor" : "Clear");
    }
}

// Nothing that is not listed can be destroyed or found.
TEST(KQelSdkManager, WhatIsNotListedIsNeitherDestroyedNorFound)
{
    KQelSdkManager manager;

    int notAnObject = 0;
    const std::function<bool()> destroys[] = {
        [&] { return manager.DestroyKQelNode(reinterpret_cast<KQelNode*>(&notAnObject), true); },
        [&] { return manager.DestroyKQelScene(reinterpret_cast<KQelScene*>(&notAnObject), true); },
        [&] { return manager.DestroyKQelTexture(reinterpret_cast<KQelTexture*>(&notAnObject)); },
        [&] { return manager.DestroyKQelImporter(reinterpret_cast<KQelImporter*>(&notAnObject)); },
        [&] { return manager.FindKQelNode("Cube") != nullptr; },
        [&] { return manager.FindKQelPose("Pose::Rest") != nullptr; },
    };
    for (const auto& destroy : destroys) {
        manager.GetError().ClearLastError();
        EXPECT_FALSE(destroy());
        EXPECT_STREQ(manager.GetLastErrorString(), "Object not found");
    }
}

// Every attribute kind goes to the one attribute list, in creation order,
// and is ended with the manager.
TEST(KQelSdkManager, AttributeKindsShareTheAttributeList)
{
    KQelSdkManager manager;
    KQelNodeAttribute* made[] = {manager.CreateKQelSkeleton(), manager.CreateKQelOpticalReference(),
                                 manager.CreateKQelMarker(), manager.CreateKQelLight(), manager.CreateKQelNull()};
    const KQelNodeAttribute::EAttributeType types[] = {KQelNodeAttribute::eSkeleton,
                                                       KQelNodeAttribute::eOpticalReference,
                                                       KQelNodeAttribute::eMarker, KQelNodeAttribute::eLight,
                                                       KQelNodeAttribute::eNull};
    ASSERT_EQ(manager.GetKQelNodeAttributeCount(), 5);
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(manager.GetKQelNodeAttribute(i), made[i]);
        EXPECT_EQ(made[i]->GetAttributeType(), types[i]);
        EXPECT_EQ(&made[i]->GetKQelSdkManager(), &manager);
    }
    EXPECT_TRUE(manager.DestroyKQelNodeAttribute(made[3]));
    EXPECT_EQ(manager.GetKQelNodeAttributeCount(), 4);
}

TEST(KQelSdkManager, FindsGenericNodesByTheNameAsGiven)
{
    KQelSdkManager manager;
    KQelGenericNode* first = manager.CreateKQelGenericNode("Model::Rig");
    manager.CreateKQelGenericNode("Model::Rig");
    KQelGenericNode* plain = manager.CreateKQelGenericNode("Rig");
    EXPECT_STREQ(first->GetName(), "Model::Rig");  // no kind prefix applied or replaced
    EXPECT_EQ(manager.FindKQelGenericNode("Model::Rig"), first);
    EXPECT_EQ(manager.FindKQelGenericNode("Rig"), plain);
    EXPECT_EQ(manager.GetLastErrorID(), -1);
    for (const char* missing : {"rig", "Other", static_cast<const char*>(nullptr)}) {
        manager.GetError().ClearLastError();
        EXPECT_EQ(manager.FindKQelGenericNode(missing), nullptr);
        EXPECT_STREQ(manager.GetLastErrorString(), "Object not found");
    }
}

TEST(KQelSdkManager, PrefixNameKeepsWhatFollowsTheFirstSeparator)
{
    struct Case {
        const char* prefix;
        const char* name;
        const char* expected;
    } cases[] = {
        {"Model::", "Camera", "Model::Camera"},   {"Model::", "Model::Camera", "Model::Camera"},
        {"Model::", "a::b::c", "Model::b::c"},    {"Model::", "", "Model::Name"},
        {"Model::", "Material::", "Model::Name"}, {"Model::", nullptr, "Model::Name"},
        {"", "a::b", "b"},                        {nullptr, "Plain", "Plain"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(KQelSdkManager::PrefixName(c.prefix, c.name).Buffer(), c.expected) << c.expected;
    EXPECT_STREQ(GetDeformerPrefixFromTypeName("cluster"), "SubDeformer::");
    EXPECT_STREQ(GetDeformerPrefixFromTypeName("CLUSTER"), "SubDeformer::");
    EXPECT_STREQ(GetDeformerPrefixFromTypeName("Skin"), "Deformer::");
    EXPECT_STREQ(GetDeformerPrefixFromTypeName(nullptr), "Deformer::");
}

// The indexed getters keep creation order through any mix of creations and
// destructions; checked against a plain vector.
TEST(KQelSdkManager, ListOrderSurvivesRandomDestruction)
{
    KQelSdkManager manager;
    std::vector<KQelThumbnail*> reference;
    std::mt19937 random(7);
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 700; ++i)
            reference.push_back(manager.CreateKQelThumbnail());
        const std::size_t keep = reference.size() / (round + 2);
        while (reference.size() > keep) {
            const std::size_t at = random() % reference.size();
            ASSERT_TRUE(manager.DestroyKQelThumbnail(reference[at]));
            reference.erase(reference.begin() + static_cast<long>(at));
            if (random() % 50 == 0) {
                const std::size_t probe = random() % reference.size();
                ASSERT_EQ(manager.GetKQelThumbnail(static_cast<int>(probe)), reference[probe]);
            }
        }
        ASSERT_EQ(manager.GetKQelThumbnailCount(), static_cast<int>(reference.size()));
        for (std::size_t i = 0; i < reference.size(); ++i)
            ASSERT_EQ(manager.GetKQelThumbnail(static_cast<int>(i)), reference[i]) << round << " " << i;
    }
}

// A list whose keys are spaced keeps neighbours in neighbouring buckets;
// keys closer than the spacing crowd them. Either way every key is found,
// removed once and ranked as in a plain vector.
TEST(KQelObjectList, FindsRemovesAndRanksKeysHoweverCloseTheyLie)
{
    const struct {
        int spacing;
        std::uintptr_t stride;
    } cases[] = {{0, 16}, {12, 4352}, {12, 16}, {12, 65536}, {11, 3184}};
    for (const auto& c : cases) {
        KQelObjectList list;
        list.SetKeySpacing(c.spacing);
        std::vector<void*> reference;
        std::mt19937 random(11);
        const auto key = [&c](std::uintptr_t i) { return reinterpret_cast<void*>(0x10000000u + i * c.stride); };
        std::uintptr_t made = 0;
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < 2000; ++i, ++made) {
                ASSERT_TRUE(list.Add(key(made)));
                reference.push_back(key(made));
            }
            ASSERT_FALSE(list.Add(reference.front()));
            // Removed in runs of neighbours, as a subtree's nodes go.
            while (reference.size() > 1500u * static_cast<unsigned>(round + 1) / 2u) {
                const std::size_t at = random() % reference.size();
                const std::size_t end = std::min(reference.size(), at + 1 + random() % 8);
                for (std::size_t i = at; i < end; ++i)
                    ASSERT_TRUE(list.Remove(reference[i])) << c.spacing << " " << c.stride;
                for (std::size_t i = at; i < end; ++i)
                    ASSERT_FALSE(list.Contains(reference[i]));
                reference.erase(reference.begin() + static_cast<long>(at), reference.begin() + static_cast<long>(end));
            }
            ASSERT_EQ(list.GetCount(), static_cast<int>(reference.size()));
            for (std::size_t i = 0; i < reference.size(); ++i) {
                ASSERT_TRUE(list.Contains(reference[i]));
                ASSERT_EQ(list.GetAt(static_cast<int>(i)), reference[i]) << c.spacing << " " << c.stride << " " << i;
            }
        }
    }
}

// Counts the calls a manager makes on its renaming strategies.
class CountingStrategy : public KRenamingStrategy {
public:
    explicit CountingStrategy(int* pDeleted) : mDeleted(pDeleted) {}
    ~CountingStrategy() override { ++*mDeleted; }
    void Clear() override { ++mCleared; }
    bool Rename(KName&) override { return false; }
    KRenamingStrategy* Clone() override { return new CountingStrategy(mDeleted); }
    int* mDeleted;
    int mCleared = 0;
};

TEST(KQelSdkManager, RenamingStrategiesAreClearedByClearAndDeletedWithTheManager)
{
    int deleted = 0;
    {
        KQelSdkManager manager;
        CountingStrategy* nodes = new CountingStrategy(&deleted);
        CountingStrategy* videos = new CountingStrategy(&deleted);
        EXPECT_EQ(manager.SetRenamingStrategy(KQelSdkManager::eNodeNames, nodes), nullptr);
        manager.SetRenamingStrategy(KQelSdkManager::eVideoNames, videos);
        manager.Clear();
        EXPECT_EQ(nodes->mCleared, 1);
        EXPECT_EQ(videos->mCleared, 1);
        // Removing a strategy hands it back to the caller.
        EXPECT_EQ(manager.SetRenamingStrategy(KQelSdkManager::eVideoNames, nullptr), videos);
        delete videos;
        EXPECT_EQ(manager.GetRenamingStrategy(KQelSdkManager::eNodeNames), nodes);
        EXPECT_EQ(manager.GetRenamingStrategy(KQelSdkManager::eRenamingKindCount), nullptr);
    }
    EXPECT_EQ(deleted, 2);
}

TEST(KQelSdkManager, ManagersStartTheLibraryOnlyWhenNothingElseHoldsIt)
{
    // The module holds a count from its loading: managers come and go
    // without starting or stopping the library.
    ASSERT_GE(gsManagerRefCount, 1);
    const int initCount = KBaseLib_GetInitCount();
    for (int i = 0; i < 3; ++i) {
        KQelSdkManager* manager = KQelSdkManager::CreateKQelSdkManager();
        EXPECT_EQ(KBaseLib_GetInitCount(), initCount);
        delete manager;
    }
    EXPECT_EQ(KBaseLib_GetInitCount(), initCount);

    // Without other holders the first manager starts it and the last stops it.
    const int holders = gsManagerRefCount;
    gsManagerRefCount = 0;
    KQelSdkManager* first = KQelSdkManager::CreateKQelSdkManager();
    KQelSdkManager* second = KQelSdkManager::CreateKQelSdkManager();
    EXPECT_EQ(KBaseLib_GetInitCount(), initCount + 1);
    delete first;
    EXPECT_EQ(KBaseLib_GetInitCount(), initCount + 1);
    delete second;
    EXPECT_EQ(KBaseLib_GetInitCount(), initCount);
    gsManagerRefCount = holders;
}

}  // namespace
}  // namespace qelsdk_600
