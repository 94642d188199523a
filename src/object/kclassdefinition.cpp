#include "object/kclassdefinition.h"

#include <cstddef>
#include <vector>

#include "object/khandlemanager_impl.h"
#include "object/kplug.h"

namespace qelsdk_600 {

namespace {

// Explicit ids above this are refused rather than growing the table without
// bound.
const int kMaxClassId = 1 << 16;

int gNoneClassId = -1;
KClassDefinition gNoneDefinition = {&gNoneClassId, nullptr, "None", nullptr};

// Definitions by id + 1; entry 0 is "None" (id -1). Built on first use and
// never destroyed, so registration works from any static initialiser and the
// filters stay valid until the process ends.
struct ClassRegistry {
    std::vector<KClassDefinition*> mDefinitions;
    int mGlobalClassId;

    ClassRegistry() : mGlobalClassId(1)
    {
        gNoneDefinition.mFilter = new KClassIdFilter(-1);
        mDefinitions.push_back(&gNoneDefinition);
    }

    bool IsTaken(int pId) const
    {
        std::size_t index = static_cast<std::size_t>(pId) + 1;
        return index < mDefinitions.size() && mDefinitions[index] != nullptr;
    }
};

ClassRegistry* gRegistry = nullptr;

ClassRegistry& Registry()
{
    if (!gRegistry)
        gRegistry = new ClassRegistry;
    return *gRegistry;
}

}  // namespace

bool KClassIdFilter::IsValid(const KPlug* pPlug) const
{
    if (!pPlug)
        return false;
    return mClassId == -1 || pPlug->Is(mClassId);
}

int KPlug_RegisterClassId(KClassDefinition* pDefinition, int pId)
{
    if (!pDefinition || !pDefinition->mClassId || pId < -1 || pId > kMaxClassId)
        return -1;
    ClassRegistry& registry = Registry();
    // A second registration of the same definition keeps its first id.
    for (std::size_t i = 1; i < registry.mDefinitions.size(); ++i) {
        if (registry.mDefinitions[i] == pDefinition)
            return *pDefinition->mClassId = static_cast<int>(i) - 1;
    }
    if (pId == -1) {
        while (registry.IsTaken(registry.mGlobalClassId))
            ++registry.mGlobalClassId;
        pId = registry.mGlobalClassId++;
    } else if (registry.IsTaken(pId)) {
        return -1;
    }
    std::size_t index = static_cast<std::size_t>(pId) + 1;
    if (registry.mDefinitions.size() <= index)
        registry.mDefinitions.resize(index + 1, nullptr);
    registry.mDefinitions[index] = pDefinition;
    if (!pDefinition->mFilter)
        pDefinition->mFilter = new KClassIdFilter(pId);
    *pDefinition->mClassId = pId;
    return pId;
}

KClassDefinition* KPlug_GetClassDefinition(int pId)
{
    if (pId < -1)
        return nullptr;
    ClassRegistry& registry = Registry();
    std::size_t index = static_cast<std::size_t>(pId) + 1;
    return index < registry.mDefinitions.size() ? registry.mDefinitions[index] : nullptr;
}

KPlugFilter* KPlug_GetFilter(int pId)
{
    KClassDefinition* definition = KPlug_GetClassDefinition(pId);
    return definition ? definition->mFilter : nullptr;
}

bool KClassDefinitionIs(const KClassDefinition* pDefinition, int pId)
{
    for (; pDefinition; pDefinition = pDefinition->mParent) {
        if (pDefinition->mClassId && *pDefinition->mClassId == pId)
            return true;
    }
    return false;
}

void KObject_ReleaseStatics()
{
    if (gRegistry) {
        for (KClassDefinition* definition : gRegistry->mDefinitions) {
            if (definition) {
                delete definition->mFilter;
                definition->mFilter = nullptr;
            }
        }
        delete gRegistry;
        gRegistry = nullptr;
    }
    KHandleManager::ReleaseInstance();
}

}  // namespace qelsdk_600
