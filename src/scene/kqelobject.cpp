#include "scene/kqelobject.h"

#include <cstring>

#include "object/kproperty.h"
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
    return pIndex >= 0 && pIndex < mProperties.GetCount() ? mProperties[pIndex] : nullptr;
}

KQelUserProperty* KQelObject::GetProperty(KProperty* pProperty) const
{
    if (!pProperty)
        return nullptr;
    for (int i = 0; i < mProperties.GetCount(); ++i) {
        if (*mProperties[i] == pProperty)
            return mProperties[i];
    }
    return nullptr;
}

KQelUserProperty* KQelObject::FindPropertyByName(const char* pName) const
{
    if (!pName)
        return nullptr;
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

}  // namespace qelsdk_600
