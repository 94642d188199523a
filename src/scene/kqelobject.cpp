#include "scene/kqelobject.h"

#include <cstring>

#include "object/kproperty.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// Kind prefix of each name space, by value.
const char* const kNameSpacePrefixes[] = {
    "",                  // 0
    "Model::",           // 1 node
    "Texture::",         // 2
    "Material::",        // 3
    "Video::",           // 4
    "Video::",           // 5
    "Constraint::",      // 6
    "MarkerSet::",       // 7
    "Constraint::",      // 8 character
    "Pose::",            // 9 character pose
    "",                  // 10 deformer, generic node
    "Pose::",            // 11
    "ControlSetPlug::",  // 12
};
constexpr int kNameSpaceCount = static_cast<int>(sizeof(kNameSpacePrefixes) / sizeof(kNameSpacePrefixes[0]));

}  // namespace

unsigned long long KQelObject::smNameChanges = 0;

KQelObject::KQelObject(KQelSdkManager& pManager, const char* pName)
    : mName(pName ? pName : ""), mProperties(16), mManager(pManager)
{
}

KQelObject::~KQelObject() {}

KQelPropertyHandler* KQelObject::GetPropertyHandler()
{
    return nullptr;
}

void KQelObject::FillPropertyList(void* pList) {}

KString KQelObject::GetTypeName()
{
    return KString();
}

KStringList KQelObject::GetTypeFlags()
{
    return KStringList();
}

void KQelObject::PropertyAdded(KQelUserProperty* pProperty) {}

void KQelObject::PropertyRemoved(KQelUserProperty* pProperty) {}

// ---- Names ----

void KQelObject::SetName(const char* pName)
{
    ++smNameChanges;
    const KString prefix = GetNameSpacePrefix();
    mName.SetCurrentName(KQelSdkManager::PrefixName(prefix.Buffer(), pName).Buffer());
}

const char* KQelObject::GetName() const
{
    return mName.GetCurrentName();
}

void KQelObject::SetInitialName(const char* pName)
{
    ++smNameChanges;
    mName.SetInitialName(pName ? pName : "");
}

const char* KQelObject::GetInitialName() const
{
    return mName.GetInitialName();
}

KString KQelObject::GetNameWithoutNameSpacePrefix() const
{
    const KString name(GetName());
    const KString prefix = GetNameSpacePrefix();
    if (std::strncmp(name.Buffer(), prefix.Buffer(), static_cast<std::size_t>(prefix.GetLen())) == 0)
        return name.Mid(static_cast<unsigned int>(prefix.GetLen()));
    const int separator = name.Find("::", 1);
    if (separator > 0)
        return name.Mid(static_cast<unsigned int>(separator + 2));
    return name;
}

KString KQelObject::GetNameSpacePrefix() const
{
    return GetDefaultNameSpacePrefix(GetNameSpace());
}

KString KQelObject::GetDefaultNameSpacePrefix(ENameSpace pNameSpace)
{
    const int index = static_cast<int>(pNameSpace);
    return KString(index >= 0 && index < kNameSpaceCount ? kNameSpacePrefixes[index] : "");
}

KString KQelObject::RemovePrefix(const char* pName)
{
    if (!pName)
        return KString();
    const char* colon = std::strrchr(pName, ':');
    return KString(colon ? colon + 1 : pName);
}

KQelObject& KQelObject::operator=(KQelObject& pOther)
{
    if (this != &pOther && GetNameSpace() == pOther.GetNameSpace()) {
        ++smNameChanges;
        mName = pOther.mName;
    }
    return *this;
}

// ---- User properties ----

int KQelObject::GetPropertyCount(KQelUserProperty::EFlags pFlag) const
{
    int count = 0;
    if (const int pending = PendingRunCount()) {
        KQelPropertyHandler* handler = RunHandler();
        for (int i = 0; i < pending; ++i) {
            // What a handle bound to that property answers.
            const KQelUserProperty bound(mManager, handler->GetProperty(i));
            if (bound.GetFlag(pFlag))
                ++count;
        }
    }
    for (int i = 0; i < mProperties.GetCount(); ++i) {
        if (mProperties[i]->GetFlag(pFlag))
            ++count;
    }
    return count;
}

void KQelObject::AddProperty(KQelUserProperty* pProperty)
{
    if (!pProperty || mProperties.Find(pProperty) >= 0)
        return;
    if (mProperties.Add(pProperty) < 0)
        return;
    PropertyAdded(pProperty);
}

void KQelObject::RemoveProperty(KQelUserProperty* pProperty)
{
    const int index = pProperty ? mProperties.Find(pProperty) : -1;
    if (index < 0)
        return;
    mProperties.RemoveAt(index);
    PropertyRemoved(pProperty);
}

KQelUserProperty* KQelObject::GetProperty(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetPropertyCount())
        return nullptr;
    const int pending = PendingRunCount();
    if (pIndex >= pending)
        return mProperties[pIndex - pending];
    MakeRun();
    return mProperties[pIndex];
}

KQelUserProperty* KQelObject::GetProperty(KProperty* pProperty) const
{
    if (!pProperty)
        return nullptr;
    if (const int pending = PendingRunCount()) {
        const int index = RunHandler()->GetPropertyIndex(pProperty);
        if (index >= 0 && index < pending) {
            MakeRun();
            return mProperties[index];
        }
    }
    for (int i = 0; i < mProperties.GetCount(); ++i) {
        if (*mProperties[i] == pProperty)
            return mProperties[i];
    }
    return nullptr;
}

bool KQelObject::HasProperty(const KProperty* pProperty) const
{
    if (!pProperty)
        return false;
    if (const int pending = PendingRunCount()) {
        const int index = RunHandler()->GetPropertyIndex(pProperty);
        if (index >= 0 && index < pending)
            return true;
    }
    for (int i = 0; i < mProperties.GetCount(); ++i) {
        if (*mProperties[i] == pProperty)
            return true;
    }
    return false;
}

KQelUserProperty* KQelObject::FindPropertyByName(const char* pName) const
{
    if (!pName)
        return nullptr;
    if (PendingRunCount()) {
        const int index = FindInRun(pName);
        if (index >= 0) {
            MakeRun();
            return mProperties[index];
        }
    }
    for (int i = 0; i < mProperties.GetCount(); ++i) {
        // A bound property's name is read in place (GetName would copy it):
        // nodes look their transform defaults up this way all the time.
        KQelUserProperty* property = mProperties[i];
        if (const KProperty* bound = property->GetKProperty()) {
            const char* name = bound->GetPropertyName();
            if (std::strcmp(name ? name : "", pName) == 0)
                return property;
        } else if (property->GetName() == pName) {
            return property;
        }
    }
    return nullptr;
}

// ---- Published run ----

KQelPropertyHandler* KQelObject::RunHandler() const
{
    return const_cast<KQelObject*>(this)->GetPropertyHandler();
}

void KQelObject::PublishRun(int pCount)
{
    if (pCount <= 0 || mRun.mCount > 0 || mProperties.GetCount() > 0 || !RunHandler())
        return;
    mRun.mCount = pCount;
    mRun.mLive = pCount;
    mManager.ListRun(this, pCount);
}

int KQelObject::FindInRun(const char* pName) const
{
    KQelPropertyHandler* handler = RunHandler();
    for (int i = 0; i < mRun.mCount; ++i) {
        // A bound handle's name: its property's, empty when unnamed.
        const char* name = handler->GetProperty(i)->GetPropertyName();
        if (std::strcmp(name ? name : "", pName) == 0)
            return i;
    }
    return -1;
}

KQelUserProperty* KQelObject::FindPublished(const char* pName, KQelUserProperty& pScratch) const
{
    if (!pName)
        return nullptr;
    if (!PendingRunCount())
        return FindPropertyByName(pName);
    const int index = FindInRun(pName);
    if (index < 0)
        return FindPropertyByName(pName);
    pScratch.Bind(RunHandler()->GetProperty(index), RunHandler());
    return &pScratch;
}

void KQelObject::MakeRun() const
{
    if (!PendingRunCount())
        return;
    KQelPropertyHandler* handler = RunHandler();
    const int count = mRun.mCount;
    KQelUserProperty** handles = new KQelUserProperty*[static_cast<std::size_t>(count)];
    for (int i = 0; i < count; ++i) {
        KQelUserProperty* handle = mManager.AllocateKQelUserProperty(handler->GetProperty(i));
        handle->SetPropertyHandler(handler);
        handle->mRunOwner = const_cast<KQelObject*>(this);
        mManager.NoteRunHandle(handle, true);
        handles[i] = handle;
    }
    mRun.mHandles = handles;
    // The run heads the list: later additions stay behind it.
    KArrayTemplate<KQelUserProperty*> later(mProperties);
    mProperties.Clear();
    for (int i = 0; i < count; ++i)
        mProperties.Add(handles[i]);
    for (int i = 0; i < later.GetCount(); ++i)
        mProperties.Add(later[i]);
}

KQelUserProperty* KQelObject::RunEntry(int pIndex)
{
    MakeRun();
    for (int i = 0; i < mRun.mCount; ++i) {
        if (mRun.mHandles[i] && pIndex-- == 0)
            return mRun.mHandles[i];
    }
    return nullptr;
}

KQelUserProperty* KQelObject::FindRunEntry(const char* pName)
{
    if (PendingRunCount()) {
        const int index = FindInRun(pName);
        if (index < 0)
            return nullptr;
        MakeRun();
        return mRun.mHandles[index];
    }
    for (int i = 0; i < mRun.mCount; ++i) {
        KQelUserProperty* handle = mRun.mHandles[i];
        if (handle && handle->GetName() == pName)
            return handle;
    }
    return nullptr;
}

bool KQelObject::ForgetRunHandle(KQelUserProperty* pProperty)
{
    for (int i = 0; mRun.mHandles && i < mRun.mCount; ++i) {
        if (mRun.mHandles[i] == pProperty) {
            mRun.mHandles[i] = nullptr;
            --mRun.mLive;
            pProperty->mRunOwner = nullptr;
            mManager.NoteRunHandle(pProperty, false);
            // The list must not keep a handle that is gone.
            const int listed = mProperties.Find(pProperty);
            if (listed >= 0)
                mProperties.RemoveAt(listed);
            return true;
        }
    }
    return false;
}

void KQelObject::EndRun()
{
    if (mRun.mHandles) {
        for (int i = 0; i < mRun.mCount; ++i) {
            KQelUserProperty* handle = mRun.mHandles[i];
            if (!handle)
                continue;
            const int listed = mProperties.Find(handle);
            if (listed >= 0)
                mProperties.RemoveAt(listed);
            mManager.NoteRunHandle(handle, false);
            delete handle;
        }
        delete[] mRun.mHandles;
    }
    mRun = PublishedRun();
}

void KQelObject::DropRun()
{
    if (mRun.mCount == 0)
        return;
    mManager.UnlistRun(this);
    EndRun();
}

}  // namespace qelsdk_600
