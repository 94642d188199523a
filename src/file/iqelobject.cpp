#include "file/iqelobject.h"

#include <algorithm>
#include <vector>

#include "file/iqelobject_impl.h"

namespace qelsdk_600 {

IQelObject* KQelObjectCreate()
{
    return new IQelObject;
}

IQelObject::IQelObject() : mObjectState(new qel_detail::QelObjectState) {}

IQelObject::~IQelObject() {}

void IQelObject::ResetSession()
{
    mObjectState->mExtracted.clear();
    mObjectState->mClaimed.clear();
    mObjectState->mSessionPath.clear();
}

bool IQelObject::ProjectCreate(const char* path, bool binary, bool encrypted,
                               KQelFileHeaderInfo* header)
{
    ResetSession();
    return KQel::ProjectCreate(path, binary, encrypted, header);
}

bool IQelObject::ProjectOpen(const char* path, bool binaryHint, bool readOnly,
                             KQelFileHeaderInfo* header)
{
    ResetSession();
    return KQel::ProjectOpen(path, binaryHint, readOnly, header);
}

bool IQelObject::ProjectOpenDirect(const char* path, bool binaryHint, bool readOnly,
                                   KQelFileHeaderInfo* header)
{
    ResetSession();
    return KQel::ProjectOpenDirect(path, binaryHint, readOnly, header);
}

bool IQelObject::ProjectClose()
{
    ResetSession();
    return KQel::ProjectClose();
}

bool IQelObject::ProjectDiscard()
{
    ResetSession();
    return KQel::ProjectDiscard();
}

// ---- Registry ----

bool IQelObject::ObjectRegister(const char* name, IKObject* object)
{
    if (!name || !object)
        return false;
    return mObjectState->mRegistries.back().emplace(name, object).second;
}

IKObject* IQelObject::ObjectFetch(const char* name)
{
    if (!name)
        return nullptr;
    const qel_detail::ObjectRegistry& registry = mObjectState->mRegistries.back();
    auto found = registry.find(name);
    return found == registry.end() ? nullptr : found->second;
}

bool IQelObject::ObjectNameUnregister(const char* name)
{
    return name && mObjectState->mRegistries.back().erase(name) > 0;
}

int IQelObject::ObjectGetCount() const
{
    return static_cast<int>(mObjectState->mRegistries.back().size());
}

void IQelObject::ObjectRegistryPush()
{
    mObjectState->mRegistries.emplace_back();
}

bool IQelObject::ObjectRegistryPop()
{
    if (mObjectState->mRegistries.size() < 2)
        return false;
    mObjectState->mRegistries.pop_back();
    return true;
}

int IQelObject::ObjectRegistryGetDepth() const
{
    return static_cast<int>(mObjectState->mRegistries.size()) - 1;
}

void IQelObject::SetIsBeforeVersion6(bool before)
{
    mObjectState->mBeforeVersion6 = before;
}

bool IQelObject::IsBeforeVersion6() const
{
    return mObjectState->mBeforeVersion6;
}

// ---- Events ----

namespace {

std::vector<IQelObjectListener*>& Listeners()
{
    static std::vector<IQelObjectListener*> listeners;
    return listeners;
}

}  // namespace

bool KQelObject_AddListener(IQelObjectListener* listener)
{
    if (!listener)
        return false;
    std::vector<IQelObjectListener*>& listeners = Listeners();
    if (std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back(listener);
    return true;
}

bool KQelObject_RemoveListener(IQelObjectListener* listener)
{
    std::vector<IQelObjectListener*>& listeners = Listeners();
    auto found = std::find(listeners.begin(), listeners.end(), listener);
    if (found == listeners.end())
        return false;
    listeners.erase(found);
    return true;
}

void KQelObject_GenerateEvent(IQelObject* object, int event)
{
    if (!object)
        return;
    // A listener may remove itself (or another) while being told; walk a
    // copy and skip those no longer registered.
    std::vector<IQelObjectListener*> snapshot = Listeners();
    for (IQelObjectListener* listener : snapshot) {
        const std::vector<IQelObjectListener*>& current = Listeners();
        if (std::find(current.begin(), current.end(), listener) != current.end())
            listener->QelObjectEvent(object, event);
    }
}

}  // namespace qelsdk_600
