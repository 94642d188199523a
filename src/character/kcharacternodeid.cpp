#include "character/kcharacternodeid.h"

#include <array>
#include <cstring>

namespace qelsdk_600 {
namespace {

// One entry of a group table: node id, role name, definition version.
struct KCharacterGroupEntry {
    int mNodeId;
    const char* mNodeName;
    int mVersion;
};

using detail::KCharacterNodeRow;
constexpr const KCharacterNodeRow (&sNodeRows)[kCharacterNodeIdCount] = detail::kCharacterNodeRows;

constexpr int CountInGroup(int pGroup)
{
    int count = 0;
    for (const KCharacterNodeRow& row : sNodeRows)
        count += row.mGroup == pGroup ? 1 : 0;
    return count;
}

// The group table of one group, built at compile time: its members in id
// order, which is their index order.
template <int Group>
constexpr std::array<KCharacterGroupEntry, CountInGroup(Group)> BuildGroup()
{
    std::array<KCharacterGroupEntry, CountInGroup(Group)> table{};
    int index = 0;
    for (int id = 0; id < kCharacterNodeIdCount; ++id) {
        if (sNodeRows[id].mGroup == Group)
            table[index++] = {id, sNodeRows[id].mName, sNodeRows[id].mVersion};
    }
    return table;
}

constexpr auto sBaseNodeId = BuildGroup<eCharacterGroupBase>();
constexpr auto sAuxiliaryNodeId = BuildGroup<eCharacterGroupAuxiliary>();
constexpr auto sSpineNodeId = BuildGroup<eCharacterGroupSpine>();
constexpr auto sRollNodeId = BuildGroup<eCharacterGroupRoll>();
constexpr auto sSpecialNodeId = BuildGroup<eCharacterGroupSpecial>();
constexpr auto sLeftHandNodeId = BuildGroup<eCharacterGroupLeftHand>();
constexpr auto sRightHandNodeId = BuildGroup<eCharacterGroupRightHand>();
constexpr auto sPropsNodeId = BuildGroup<eCharacterGroupProps>();
constexpr auto sGameModeParentNodeId = BuildGroup<eCharacterGroupGameModeParent>();
constexpr auto sNeckNodeId = BuildGroup<eCharacterGroupNeck>();
constexpr auto sLeftFootNodeId = BuildGroup<eCharacterGroupLeftFoot>();
constexpr auto sRightFootNodeId = BuildGroup<eCharacterGroupRightFoot>();

constexpr const KCharacterGroupEntry* sCharacterGroupElementByIndex[kCharacterGroupCount] = {
    sBaseNodeId.data(),     sAuxiliaryNodeId.data(),      sSpineNodeId.data(),
    sRollNodeId.data(),     sSpecialNodeId.data(),        sLeftHandNodeId.data(),
    sRightHandNodeId.data(), sPropsNodeId.data(),         sGameModeParentNodeId.data(),
    sNeckNodeId.data(),     sLeftFootNodeId.data(),       sRightFootNodeId.data()};

constexpr int sCharacterGroupCount[kCharacterGroupCount] = {
    int(sBaseNodeId.size()),      int(sAuxiliaryNodeId.size()),  int(sSpineNodeId.size()),
    int(sRollNodeId.size()),      int(sSpecialNodeId.size()),    int(sLeftHandNodeId.size()),
    int(sRightHandNodeId.size()), int(sPropsNodeId.size()),      int(sGameModeParentNodeId.size()),
    int(sNeckNodeId.size()),      int(sLeftFootNodeId.size()),   int(sRightFootNodeId.size())};

// The entry at (group, index), or null when either is out of range.
const KCharacterGroupEntry* EntryAt(ECharacterGroupId pGroup, int pIndex)
{
    if (pGroup < 0 || pGroup >= kCharacterGroupCount || pIndex < 0 ||
        pIndex >= sCharacterGroupCount[pGroup])
        return nullptr;
    return &sCharacterGroupElementByIndex[pGroup][pIndex];
}

// The row of a node id that has a name, or null.
const KCharacterNodeRow* NamedRow(ECharacterNodeId pNodeId)
{
    if (pNodeId < 0 || pNodeId >= kCharacterNodeIdCount || !sNodeRows[pNodeId].mName)
        return nullptr;
    return &sNodeRows[pNodeId];
}

}  // namespace

int KQelCharacterNodeIds::GetCharacterGroupCount(ECharacterGroupId pGroup)
{
    return pGroup >= 0 && pGroup < kCharacterGroupCount ? sCharacterGroupCount[pGroup] : 0;
}

ECharacterNodeId KQelCharacterNodeIds::GetCharacterGroupElementByIndex(ECharacterGroupId pGroup,
                                                                       int pIndex)
{
    const KCharacterGroupEntry* entry = EntryAt(pGroup, pIndex);
    return ECharacterNodeId(entry ? entry->mNodeId : -1);
}

const char* KQelCharacterNodeIds::GetCharacterGroupNameByIndex(ECharacterGroupId pGroup, int pIndex)
{
    const KCharacterGroupEntry* entry = EntryAt(pGroup, pIndex);
    return entry ? entry->mNodeName : nullptr;
}

int KQelCharacterNodeIds::GetCharacterGroupVersionByIndex(ECharacterGroupId pGroup, int pIndex)
{
    const KCharacterGroupEntry* entry = EntryAt(pGroup, pIndex);
    return entry ? entry->mVersion : 0;
}

bool KQelCharacterNodeIds::FindCharacterGroupIndexByName(const char* pName, bool pUseGroup,
                                                         ECharacterGroupId& pGroup, int& pIndex)
{
    if (!pName)
        return false;
    int groups = kCharacterGroupCount;
    if (pUseGroup && pGroup < kCharacterGroupCount)
        groups = pGroup + 1;  // a negative group searches nothing
    for (int group = 0; group < groups; ++group) {
        for (int index = 0; index < sCharacterGroupCount[group]; ++index) {
            if (std::strcmp(sCharacterGroupElementByIndex[group][index].mNodeName, pName) == 0) {
                pGroup = ECharacterGroupId(group);
                pIndex = index;
                return true;
            }
        }
    }
    return false;
}

bool KQelCharacterNodeIds::GetCharacterGroupIndexByElement(ECharacterNodeId pNodeId,
                                                           ECharacterGroupId& pGroup, int& pIndex)
{
    for (int group = 0; group < kCharacterGroupCount; ++group) {
        for (int index = 0; index < sCharacterGroupCount[group]; ++index) {
            if (sCharacterGroupElementByIndex[group][index].mNodeId == pNodeId) {
                pGroup = ECharacterGroupId(group);
                pIndex = index;
                return true;
            }
        }
    }
    return false;
}

bool KQelCharacterNodeIds::GetCharacterNodeNameFromNodeId(ECharacterNodeId pNodeId, const char*& pName)
{
    const KCharacterNodeRow* row = NamedRow(pNodeId);
    if (row)
        pName = row->mName;
    return row != nullptr;
}

bool KQelCharacterNodeIds::GetCharacterGroupVersionByElement(ECharacterNodeId pNodeId, int& pVersion)
{
    const KCharacterNodeRow* row = NamedRow(pNodeId);
    if (row)
        pVersion = row->mVersion;
    return row != nullptr;
}

bool KQelCharacterNodeIds::GetCharacterNodeIdFromNodeName(const char* pName, ECharacterNodeId& pNodeId)
{
    ECharacterGroupId group = eCharacterGroupBase;
    int index = 0;
    if (FindCharacterGroupIndexByName(pName, false, group, index)) {
        pNodeId = GetCharacterGroupElementByIndex(group, index);
        return true;
    }
    // Then the named ids outside every group ("Reference").
    for (int id = 0; pName && id < kCharacterNodeIdCount; ++id) {
        if (sNodeRows[id].mGroup < 0 && sNodeRows[id].mName &&
            std::strcmp(sNodeRows[id].mName, pName) == 0) {
            pNodeId = ECharacterNodeId(id);
            return true;
        }
    }
    return false;
}

}  // namespace qelsdk_600
