#include "character/kqelcontrolsetplug_list.h"

#include <array>

#include "character/kcharacternodeid.h"
#include "character/keffectornodeid.h"

namespace qelsdk_600 {
namespace {

constexpr int kLinkListContent = 1;
constexpr int kEffectorListContent = 15;

constexpr std::array<KControlSetPlugPropertyRow, kControlSetPlugPropertyCount> BuildRows()
{
    std::array<KControlSetPlugPropertyRow, kControlSetPlugPropertyCount> rows{};
    int count = 0;
    rows[count++] = {"UseAxis", eControlSetPlugValue, kPropertyBool, 0, 0};
    rows[count++] = {"ControlSetType", eControlSetPlugValue, kPropertyEnum, 0, 0};
    for (int id = 0; id < kCharacterNodeIdCount; ++id) {
        if (const char* name = detail::kCharacterNodeRows[id].mName)
            rows[count++] = {name, eControlSetPlugLinkList, kPropertyObject, id, kLinkListContent};
    }
    for (int id = 0; id < kEffectorNodeIdCount; ++id)
        rows[count++] = {detail::kEffectorNodeNames[id], eControlSetPlugEffectorList, kPropertyObject,
                         id, kEffectorListContent};
    return rows;
}

constexpr std::array<KControlSetPlugPropertyRow, kControlSetPlugPropertyCount> sRows = BuildRows();

}  // namespace

const KControlSetPlugPropertyRow* GetControlSetPlugPropertyRow(int pIndex)
{
    return pIndex >= 0 && pIndex < kControlSetPlugPropertyCount ? &sRows[pIndex] : nullptr;
}

}  // namespace qelsdk_600
