#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "character/kcharacternodeid.h"
#include "character/keffectornodeid.h"

namespace qelsdk_600 {
namespace {

typedef KQelCharacterNodeIds Ids;

TEST(CharacterNodeIds, GroupsCoverEveryNamedRoleOnceWithTheirCountsAndVersions)
{
    const int expectedCounts[kCharacterGroupCount] = {15, 7, 9, 8, 1, 30, 30, 5, 12, 9, 30, 30};
    std::set<int> ids;
    std::set<std::string> names;
    int entries = 0;
    int version4000 = 0;
    for (int group = 0; group < kCharacterGroupCount; ++group) {
        ECharacterGroupId groupId = ECharacterGroupId(group);
        ASSERT_EQ(Ids::GetCharacterGroupCount(groupId), expectedCounts[group]) << group;
        for (int index = 0; index < Ids::GetCharacterGroupCount(groupId); ++index) {
            ECharacterNodeId id = Ids::GetCharacterGroupElementByIndex(groupId, index);
            const char* name = Ids::GetCharacterGroupNameByIndex(groupId, index);
            int version = Ids::GetCharacterGroupVersionByIndex(groupId, index);
            ++entries;
            ids.insert(id);
            names.insert(name);
            version4000 += version == 4000 ? 1 : 0;
            EXPECT_TRUE(version == 4000 || version == 4500) << name;

            // Every lookup direction agrees with the table.
            ECharacterGroupId foundGroup = eCharacterGroupBase;
            int foundIndex = -1;
            ASSERT_TRUE(Ids::GetCharacterGroupIndexByElement(id, foundGroup, foundIndex));
            EXPECT_EQ(foundGroup, groupId);
            EXPECT_EQ(foundIndex, index);
            ECharacterNodeId foundId = eCharacterHips;
            ASSERT_TRUE(Ids::GetCharacterNodeIdFromNodeName(name, foundId));
            EXPECT_EQ(foundId, id);
            const char* idName = nullptr;
            ASSERT_TRUE(Ids::GetCharacterNodeNameFromNodeId(id, idName));
            EXPECT_STREQ(idName, name);
        }
    }
    EXPECT_EQ(entries, 186);
    EXPECT_EQ(names.size(), 186u);
    EXPECT_EQ(version4000, 85);
    ASSERT_EQ(ids.size(), 186u);
    for (int id = 0; id < kCharacterNodeIdCount; ++id) {
        bool outside = id == 67 || id == 68 || id == 69 || id == 88 || id == 89;
        EXPECT_EQ(ids.count(id) == 0, outside) << id;
    }
}

TEST(CharacterNodeIds, LookupsByIdAnswerTheIdsOutsideTheGroups)
{
    struct Case {
        int mId;
        const char* mName;  // null: no name and no version
        int mVersion;
    };
    const Case cases[] = {
        {0, "Hips", 4000},         {4, "LeftToeBase", 4000}, {67, "Reference", 4000},
        {68, nullptr, 0},          {69, nullptr, 0},         {88, nullptr, 0},
        {89, nullptr, 0},          {90, "LeftFingerBase", 4500},
        {190, "RightFootExtraFinger4", 4500},                {191, nullptr, 0},
        {-1, nullptr, 0},
    };
    for (const Case& c : cases) {
        const char* name = "unchanged";
        int version = -7;
        bool named = Ids::GetCharacterNodeNameFromNodeId(ECharacterNodeId(c.mId), name);
        bool versioned = Ids::GetCharacterGroupVersionByElement(ECharacterNodeId(c.mId), version);
        EXPECT_EQ(named, c.mName != nullptr) << c.mId;
        EXPECT_EQ(versioned, c.mName != nullptr) << c.mId;
        EXPECT_STREQ(name, c.mName ? c.mName : "unchanged") << c.mId;
        EXPECT_EQ(version, c.mName ? c.mVersion : -7) << c.mId;

        ECharacterGroupId group = eCharacterGroupProps;
        int index = 99;
        bool inGroup = c.mId != 67 && c.mName != nullptr;
        EXPECT_EQ(Ids::GetCharacterGroupIndexByElement(ECharacterNodeId(c.mId), group, index), inGroup);
        if (!inGroup) {
            EXPECT_EQ(group, eCharacterGroupProps);
            EXPECT_EQ(index, 99);
        }
    }
}

TEST(CharacterNodeIds, NamesMatchExactlyAndReferenceIsKnownByName)
{
    struct Case {
        const char* mName;
        int mId;  // -1: not found
    };
    const Case cases[] = {
        {"Hips", 0},   {"RightFootExtraFinger4", 190}, {"Reference", 67}, {"hips", -1},
        {"Hips ", -1}, {"Reference ", -1},             {"reference", -1}, {"", -1},
        {nullptr, -1},
    };
    for (const Case& c : cases) {
        ECharacterNodeId id = eCharacterSpine;
        EXPECT_EQ(Ids::GetCharacterNodeIdFromNodeName(c.mName, id), c.mId >= 0) << (c.mName ? c.mName : "null");
        EXPECT_EQ(id, c.mId >= 0 ? c.mId : eCharacterSpine);
    }
}

TEST(CharacterNodeIds, FindByNameSearchesUpToTheGroupPassedWhenAsked)
{
    struct Case {
        const char* mName;
        bool mUseGroup;
        int mGroupIn;
        int mGroup;  // -1: not found, group and index unchanged
        int mIndex;
    };
    const Case cases[] = {
        {"Neck", false, 0, 1, 4},   {"Neck1", false, 0, 9, 0},  {"Hips", true, 3, 0, 0},
        {"Neck1", true, 3, -1, 0},  {"Neck1", true, 9, 9, 0},   {"Neck1", true, 40, 9, 0},
        {"Hips", true, -1, -1, 0},  {"Reference", false, 0, -1, 0},
        {nullptr, false, 0, -1, 0},
    };
    for (const Case& c : cases) {
        ECharacterGroupId group = ECharacterGroupId(c.mGroupIn);
        int index = 77;
        bool found = Ids::FindCharacterGroupIndexByName(c.mName, c.mUseGroup, group, index);
        EXPECT_EQ(found, c.mGroup >= 0) << (c.mName ? c.mName : "null") << " " << c.mGroupIn;
        EXPECT_EQ(group, c.mGroup >= 0 ? c.mGroup : c.mGroupIn);
        EXPECT_EQ(index, c.mGroup >= 0 ? c.mIndex : 77);
    }
}

TEST(CharacterNodeIds, ByIndexLookupsOutsideTheTablesAnswerNothing)
{
    const int bad[][2] = {{-1, 0}, {12, 0}, {0, -1}, {0, 15}, {4, 1}, {11, 30}};
    for (const auto& groupIndex : bad) {
        ECharacterGroupId group = ECharacterGroupId(groupIndex[0]);
        EXPECT_EQ(Ids::GetCharacterGroupElementByIndex(group, groupIndex[1]), -1);
        EXPECT_EQ(Ids::GetCharacterGroupNameByIndex(group, groupIndex[1]), nullptr);
        EXPECT_EQ(Ids::GetCharacterGroupVersionByIndex(group, groupIndex[1]), 0);
    }
    EXPECT_EQ(Ids::GetCharacterGroupCount(ECharacterGroupId(-1)), 0);
    EXPECT_EQ(Ids::GetCharacterGroupCount(ECharacterGroupId(12)), 0);
}

TEST(EffectorNodeIds, NamesAndIdsMapBothWaysExactly)
{
    std::set<std::string> names;
    for (int id = 0; id < kEffectorNodeIdCount; ++id) {
        const char* name = KQelEffectorNodeIds::GetEffectorNodeName(EEffectorNodeId(id));
        ASSERT_NE(name, nullptr);
        names.insert(name);
        EXPECT_EQ(KQelEffectorNodeIds::GetEffectorNodeId(name), id);
    }
    EXPECT_EQ(names.size(), 44u);
    EXPECT_STREQ(KQelEffectorNodeIds::GetEffectorNodeName(eHipsEffector), "HipsEffector");
    EXPECT_STREQ(KQelEffectorNodeIds::GetEffectorNodeName(EEffectorNodeId(25)),
                 "LeftHandExtraFingerEffector");
    EXPECT_STREQ(KQelEffectorNodeIds::GetEffectorNodeName(EEffectorNodeId(43)),
                 "RightFootExtraFingerEffector");
    for (int id : {44, -1})
        EXPECT_EQ(KQelEffectorNodeIds::GetEffectorNodeName(EEffectorNodeId(id)), nullptr);
    for (const char* name : {"hipseffector", "Hips", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(KQelEffectorNodeIds::GetEffectorNodeId(name), -1);
}

}  // namespace
}  // namespace qelsdk_600
