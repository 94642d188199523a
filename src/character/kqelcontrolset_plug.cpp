// Copying a control set to and from a control-set plug.
#include "character/kcharacter_impl.h"
#include "character/kqelcontrolset.h"
#include "character/kqelcontrolsetplug.h"

namespace qelsdk_600 {

namespace {

// The plug's own property set, or null for a null plug or a foreign set.
KQelControlSetPlugProperties* PlugSet(KQelControlSetPlug* pPlug)
{
    KQelPropertyHandler* set = pPlug ? pPlug->GetPropertyHandler() : nullptr;
    return set && set->Is(KQelControlSetPlugProperties::ClassId) ? static_cast<KQelControlSetPlugProperties*>(set)
                                                                   : nullptr;
}

// A list's user tag as an id below pCount, or -1.
int ListId(const KPropertyObjectList& pList, int pCount)
{
    kReference tag = pList.GetUserTag();
    return tag < static_cast<kReference>(pCount) ? static_cast<int>(tag) : -1;
}

}  // namespace

void KQelControlSet::FromPlug(KQelControlSetPlug* pPlug)
{
    KQelControlSetPlugProperties* set = PlugSet(pPlug);
    if (!set)
        return;
    Reset();
    SetType(set->ControlSetTypeGet());
    SetUseAxis(set->UseAxisGet());
    for (int i = 0; i < KQelControlSetPlugProperties::kLinkListCount; ++i) {
        KPropertyObjectList* list = set->GetLinkList(i);
        int id = list ? ListId(*list, kCharacterNodeIdCount) : -1;
        if (id < 0)
            continue;
        // A list without a node's set empties the link, template name too.
        KQelControlSetLink link;
        if (list->GetCount() > 0)
            link.mNode = detail::KCharacter_NodeOfPlug(list->GetAt(0));
        SetControlSetLink(ECharacterNodeId(id), link);
    }
    for (int i = 0; i < kEffectorNodeIdCount; ++i) {
        KPropertyObjectList* list = set->GetEffectorList(i);
        int id = list ? ListId(*list, kEffectorNodeIdCount) : -1;
        if (id < 0)
            continue;
        int count = list->GetCount();
        if (count > kEffectorAuxSetCount + 1)
            count = kEffectorAuxSetCount + 1;
        for (int position = 0; position < count; ++position) {
            // A foreign object is no node: its slot stays as Reset left it.
            KQelNode* node = detail::KCharacter_NodeOfPlug(list->GetAt(position));
            if (!node)
                continue;
            if (position == 0) {
                KQelEffector effector;
                effector.mNode = node;
                SetEffector(EEffectorNodeId(id), effector);
            } else {
                SetEffectorAux(EEffectorNodeId(id), node, EEffectorSetId(position));
            }
        }
    }
}

void KQelControlSet::ToPlug(KQelControlSetPlug* pPlug) const
{
    KQelControlSetPlugProperties* set = PlugSet(pPlug);
    if (!set)
        return;
    set->ControlSetTypeSet(GetType());
    set->UseAxisSet(GetUseAxis());
    for (int i = 0; i < KQelControlSetPlugProperties::kLinkListCount; ++i) {
        KPropertyObjectList* list = set->GetLinkList(i);
        if (!list)
            continue;
        list->Clear();
        KQelControlSetLink link;
        int id = ListId(*list, kCharacterNodeIdCount);
        if (id >= 0 && GetControlSetLink(ECharacterNodeId(id), &link) && link.mNode) {
            if (KObject* nodeSet = detail::KCharacter_PlugOfNode(link.mNode))
                list->SetAt(0, nodeSet);
        }
    }
    for (int i = 0; i < kEffectorNodeIdCount; ++i) {
        KPropertyObjectList* list = set->GetEffectorList(i);
        if (!list)
            continue;
        list->Clear();
        int id = ListId(*list, kEffectorNodeIdCount);
        KQelEffector effector;
        if (id < 0 || !GetEffector(EEffectorNodeId(id), &effector))
            continue;
        // Position j is read back as set j: stop at the first node that
        // cannot take its own position.
        if (!list->Add(detail::KCharacter_PlugOfNode(effector.mNode)))
            continue;
        for (int aux = eEffectorSetAux1; aux <= eEffectorSetAux14; ++aux) {
            KQelNode* node = nullptr;
            if (!GetEffectorAux(EEffectorNodeId(id), &node, EEffectorSetId(aux)) ||
                !list->Add(detail::KCharacter_PlugOfNode(node)))
                break;
        }
    }
}

}  // namespace qelsdk_600
