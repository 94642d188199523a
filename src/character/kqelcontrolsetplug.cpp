#include "character/kqelcontrolsetplug.h"

#include "character/kcharacter_impl.h"
#include "character/kqelcontrolsetplug_list.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

QEL_CLASS_IDENTITY_DEFINE(KQelControlSetPlugProperties, KQelPropertyHandler)

namespace {

const char* const sErrorTable[] = {"Error"};

}  // namespace

// ---- KQelControlSetPlugProperties ----

KQelControlSetPlugProperties::KQelControlSetPlugProperties(KQelTakeNodeContainer* pOwner)
    : KQelOwnedPropertyHandler(pOwner), mLinkLists(), mEffectorLists()
{
    QEL_PROPERTY_SET_REGISTER(QEL_CONTROL_SET_PLUG_PROPERTIES);
    int links = 0;
    int effectors = 0;
    for (int i = 0; i < kControlSetPlugPropertyCount; ++i) {
        const KControlSetPlugPropertyRow* row = GetControlSetPlugPropertyRow(i);
        if (row->mKind == eControlSetPlugValue)
            continue;
        KPropertyObjectList* list = KPropertyObjectList::Create(this, row->mName, KPlug::eNormalPlug, -1,
                                                                row->mContent, KPlug::eDirectionAll, 0);
        if (!list)
            continue;
        list->SetUserTag(static_cast<kReference>(row->mTag));
        if (row->mKind == eControlSetPlugLinkList && links < kLinkListCount)
            mLinkLists[links++] = list;
        else if (row->mKind == eControlSetPlugEffectorList && effectors < kEffectorNodeIdCount)
            mEffectorLists[effectors++] = list;
    }
}

KQelControlSetPlugProperties::~KQelControlSetPlugProperties() {}

KQelControlSetPlug* KQelControlSetPlugProperties::GetKQelControlSetPlug()
{
    return static_cast<KQelControlSetPlug*>(GetKQelObject());
}

KPropertyObjectList* KQelControlSetPlugProperties::GetLinkList(int pIndex) const
{
    return pIndex >= 0 && pIndex < kLinkListCount ? mLinkLists[pIndex] : nullptr;
}

KPropertyObjectList* KQelControlSetPlugProperties::GetEffectorList(int pIndex) const
{
    return pIndex >= 0 && pIndex < kEffectorNodeIdCount ? mEffectorLists[pIndex] : nullptr;
}

// ---- KQelControlSetPlug ----

KQelControlSetPlug::KQelControlSetPlug(KQelSdkManager& pManager, const char* pName)
    : KQelTakeNodeContainer(pManager, pName, &mError), mError(sErrorTable, 1),
      mProperties(new KQelControlSetPlugProperties(this))
{
    Init();
}

KQelControlSetPlug::~KQelControlSetPlug()
{
    // The set goes first: the take nodes then die with records whose
    // properties are gone.
    mProperties->Destroy(0);
    mProperties = nullptr;
}

void KQelControlSetPlug::Destruct()
{
    mProperties->Destruct();
}

KString KQelControlSetPlug::GetTypeName()
{
    return KString("ControlSetPlug");
}

KStringList KQelControlSetPlug::GetTypeFlags()
{
    KStringList flags;
    flags.Add("ControlSetPlug", 0);
    return flags;
}

void KQelControlSetPlug::AddChannels(KQelTakeNode* pTakeNode)
{
    detail::KCharacter_AddAnimatableChannels(*this, *mProperties, pTakeNode);
}

KQelUserProperty* KQelControlSetPlug::CreateKQelUserProperty(KProperty* pProperty)
{
    return GetKQelSdkManager().CreateKQelUserProperty(pProperty);
}

}  // namespace qelsdk_600
