#include "character/keffectornodeid.h"

#include <cstring>

namespace qelsdk_600 {
namespace {

constexpr const char* const (&sEffectorNodeName)[kEffectorNodeIdCount] = detail::kEffectorNodeNames;

}  // namespace

const char* KQelEffectorNodeIds::GetEffectorNodeName(EEffectorNodeId pId)
{
    return pId >= 0 && pId < kEffectorNodeIdCount ? sEffectorNodeName[pId] : nullptr;
}

EEffectorNodeId KQelEffectorNodeIds::GetEffectorNodeId(const char* pName)
{
    if (!pName)
        return EEffectorNodeId(-1);
    for (int id = 0; id < kEffectorNodeIdCount; ++id) {
        if (std::strcmp(sEffectorNodeName[id], pName) == 0)
            return EEffectorNodeId(id);
    }
    return EEffectorNodeId(-1);
}

}  // namespace qelsdk_600
