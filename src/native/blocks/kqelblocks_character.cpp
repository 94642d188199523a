// Character blocks ("CHARACTER", link groups, filter and control sets,
// effectors); marker sets and actors, which are never stored.
#include <cstdio>
#include <vector>

#include "character/kfiltersetinfo.h"
#include "character/kqelcharacter.h"
#include "character/kqelcontrolset.h"
#include "character/kqelfilterset.h"
#include "file/iqelobject.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "object/kproperty.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

using native_detail::ReadBlock;
using native_detail::WriteBlock;
using native_detail::WriteFieldC;
using native_detail::WriteFieldD;
using native_detail::WriteFieldI;

// Group keys in the order the character block writes them, with whether
// the control-set block has them too.
struct GroupKey {
    const char* mKey;
    ECharacterGroupId mGroup;
    bool mInControlSet;
};
const GroupKey kGroupKeys[] = {
    {"BASE", eCharacterGroupBase, true},           {"AUXILIARY", eCharacterGroupAuxiliary, true},
    {"SPINE", eCharacterGroupSpine, true},         {"NECK", eCharacterGroupNeck, true},
    {"ROLL", eCharacterGroupRoll, true},           {"SPECIAL", eCharacterGroupSpecial, true},
    {"LEFTHAND", eCharacterGroupLeftHand, true},   {"RIGHTHAND", eCharacterGroupRightHand, true},
    {"LEFTFOOT", eCharacterGroupLeftFoot, true},   {"RIGHTFOOT", eCharacterGroupRightFoot, true},
    {"PROPS", eCharacterGroupProps, false},
};
const char kGameModeParentKey[] = "GAMEMODEPARENT";

// Links of one node id outside every group ("REFERENCE" alone in the
// control-set block).
struct SingleLinkKey {
    const char* mKey;
    int mNodeId;
};
const SingleLinkKey kSingleLinkKeys[] = {
    {"REFERENCE", 67}, {"LEFT_FLOOR", 68}, {"RIGHT_FLOOR", 69}, {"LEFT_HANDFLOOR", 88}, {"RIGHT_HANDFLOOR", 89}};
const int kReferenceNodeId = 67;

// The offset fields: translation, rotation, scaling; X, Y, Z.
const char* const kOffsetFields[3][3] = {{"TOFFSETX", "TOFFSETY", "TOFFSETZ"},
                                         {"ROFFSETX", "ROFFSETY", "ROFFSETZ"},
                                         {"SOFFSETX", "SOFFSETY", "SOFFSETZ"}};
const double kOffsetDefaults[3] = {0.0, 0.0, 1.0};

// The five flags of an effector block, in the order written.
struct EffectorFlag {
    const char* mKey;
    bool KQelEffector::*mFlag;
};
const EffectorFlag kEffectorFlags[] = {{"SHOW", &KQelEffector::mShow},
                                       {"TACTIVE", &KQelEffector::mTActive},
                                       {"RACTIVE", &KQelEffector::mRActive},
                                       {"CANDIDATE_TACTIVE", &KQelEffector::mCandidateTActive},
                                       {"CANDIDATE_RACTIVE", &KQelEffector::mCandidateRActive}};

ECharacterNodeId NodeId(int pId)
{
    return static_cast<ECharacterNodeId>(pId);
}

bool InScene(const KQelNode* pNode, const KQelEntity& pEntity)
{
    return pNode && pNode->GetEntity() == &pEntity;
}

// A version-4000 element is written even when unset.
bool LegacyElement(ECharacterGroupId pGroup, int pIndex)
{
    return KQelCharacter::GetCharacterGroupVersionByIndex(pGroup, pIndex) <= 4000;
}

// The input types a character knows; any other stored number counts as
// absent.
bool KnownInputType(int pType)
{
    return pType == eCharacterInputActor || pType == eCharacterInputCharacter || pType == eCharacterInputNone;
}

// A solver parameter's mode within its mode type's values (0 and 1, or 0
// to 2 for off-auto-user), else the field's default 0.
int ParameterMode(int pIndex, int pMode)
{
    const int highest = KQelFilterSet::GetParameterModeType(pIndex) == eModeTypeOffAutoUser ? 2 : 1;
    return pMode >= 0 && pMode <= highest ? pMode : 0;
}

// The link blocks of one group, read by element name or, when the first
// "LINK" has no name, by position; pReadLink(node id) reads one open block.
template <class F>
void ReadLinkGroup(KQel& pFile, ECharacterGroupId pGroup, F pReadLink)
{
    bool byName = false;
    if (pFile.FieldReadBegin("LINK")) {
        byName = *pFile.FieldReadC() != '\0';
        pFile.FieldReadEnd();
    }
    pFile.FieldReadResetPosition();
    ECharacterGroupId limit = pGroup;
    const int count = KQelCharacter::GetCharacterGroupCount(pGroup);
    for (int position = 0; pFile.FieldReadBegin("LINK"); ++position) {
        ECharacterNodeId id = NodeId(-1);
        if (byName) {
            ECharacterGroupId group = limit;
            int index = -1;
            if (KQelCharacter::FindCharacterGroupIndexByName(pFile.FieldReadC(), true, group, index)) {
                limit = group;
                id = KQelCharacter::GetCharacterGroupElementByIndex(group, index);
            }
        } else if (position < count) {
            id = KQelCharacter::GetCharacterGroupElementByIndex(pGroup, position);
        }
        if (id >= 0 && pFile.FieldReadBlockBegin()) {
            pReadLink(id);
            pFile.FieldReadBlockEnd();
        }
        pFile.FieldReadEnd();
    }
}

}  // namespace

// ---- Writer ----

bool KQelWriterQel::WriteCharacter(KQelScene& pScene)
{
    for (int i = 0, n = pScene.GetCharacterCount(); i < n; ++i)
        WriteKQelCharacter(pScene, i);
    return true;
}

bool KQelWriterQel::WriteKQelCharacter(KQelScene& pScene, int pIndex)
{
    KQelCharacter* character = pScene.GetCharacter(pIndex);
    KQelEntity* entity = pScene.GetEntity();
    if (!character || !entity)
        return false;
    KQel& file = File();
    WriteBlock block(file, "CHARACTER");
    WriteFieldI(file, "CHARACTERIZE", 1);
    WriteFieldI(file, "LOCK_XFORM", 0);
    WriteFieldI(file, "LOCK_PICK", 0);
    WriteFieldC(file, "CONSTRAINT", character->GetName());
    const int type = character->GetInputType();
    WriteFieldI(file, "INPUTOUTPUTTYPE", type);
    if (type != eCharacterInputActor) {
        int input = -1;
        for (int i = 0, n = pScene.GetCharacterCount(); type == eCharacterInputCharacter && i < n && input < 0; ++i) {
            if (character->GetInputObject() && pScene.GetCharacter(i) == character->GetInputObject())
                input = i;
        }
        WriteFieldI(file, "ACTORINDEX", -1);
        WriteFieldI(file, "CHARACTERINDEX", input);
    }
    for (const SingleLinkKey& single : kSingleLinkKeys) {
        WriteBlock link(file, single.mKey);
        WriteKQelCharacterLink(*character, single.mNodeId, *entity, true);
    }
    for (const GroupKey& group : kGroupKeys) {
        WriteBlock links(file, group.mKey);
        WriteKQelCharacterLinkGroup(*character, group.mGroup, *entity, true);
    }
    {
        WriteBlock filters(file, "FILTERSET");
        WriteKQelFilterSet(*character->GetFilterSet());
    }
    {
        WriteBlock links(file, kGameModeParentKey);
        WriteKQelCharacterLinkGroup(*character, eCharacterGroupGameModeParent, *entity, true);
    }
    WriteBlock controlSet(file, "AN_CONTROLSET");
    WriteKQelControlSet(*character->GetControlSet(), *entity, true);
    return true;
}

bool KQelWriterQel::WriteKQelCharacterLinkGroup(KQelCharacter& pCharacter, int pGroup, KQelEntity& pEntity,
                                                bool pLegacy)
{
    KQel& file = File();
    const ECharacterGroupId group = static_cast<ECharacterGroupId>(pGroup);
    for (int i = 0, n = KQelCharacter::GetCharacterGroupCount(group); i < n; ++i) {
        const ECharacterNodeId id = KQelCharacter::GetCharacterGroupElementByIndex(group, i);
        KQelCharacterLink link;
        const bool used = pCharacter.GetCharacterLink(id, &link) &&
                          (InScene(link.mNode, pEntity) || !link.mTemplateName.IsEmpty());
        const bool legacy = LegacyElement(group, i);
        if (!used && !(pLegacy && legacy))
            continue;
        WriteBlock block(file, "LINK", KQelCharacter::GetCharacterGroupNameByIndex(group, i));
        WriteKQelCharacterLink(pCharacter, id, pEntity, legacy);
    }
    return true;
}

bool KQelWriterQel::WriteKQelCharacterLink(KQelCharacter& pCharacter, int pNodeId, KQelEntity& pEntity,
                                           bool pOffsets)
{
    KQel& file = File();
    KQelCharacterLink link;
    const bool used = pCharacter.GetCharacterLink(NodeId(pNodeId), &link) &&
                      (InScene(link.mNode, pEntity) || !link.mTemplateName.IsEmpty());
    if (used) {
        if (link.mNode)
            WriteFieldC(file, "MODEL", link.mNode->GetName());
        if (!link.mTemplateName.IsEmpty())
            WriteFieldC(file, "NAME", link.mTemplateName.Buffer());
    } else {
        link.Reset();
    }
    if (!used && !pOffsets)
        return true;
    const KQelVector4* offsets[3] = {&link.mOffsetT, &link.mOffsetR, &link.mOffsetS};
    for (int kind = 0; kind < 3; ++kind) {
        for (int axis = 0; axis < 3; ++axis)
            WriteFieldD(file, kOffsetFields[kind][axis], (*offsets[kind])[axis]);
    }
    return true;
}

bool KQelWriterQel::WriteKQelFilterSet(KQelFilterSet& pFilterSet)
{
    KQel& file = File();
    for (int i = 0, n = KQelFilterSet::GetParameterCount(); i < n; ++i) {
        WriteBlock block(file, "PARAM");
        WriteFieldC(file, "NAME", KQelFilterSet::GetParameterName(i));
        WriteFieldI(file, "MODE", pFilterSet.GetParameterMode(i));
        WriteFieldD(file, "MIN", KQelFilterSet::GetParameterMinValue(i));
        WriteFieldD(file, "MAX", KQelFilterSet::GetParameterMaxValue(i));
        WriteFieldD(file, "VALUE0", pFilterSet.GetParameterValue(i, 0));
    }
    return true;
}

bool KQelWriterQel::WriteKQelControlSet(KQelControlSet& pControlSet, KQelEntity& pEntity, bool pLegacy)
{
    KQel& file = File();
    WriteFieldI(file, "TYPE", pControlSet.GetType());
    WriteFieldI(file, "LOCK_XFORM", pControlSet.GetLockTransform() ? 1 : 0);
    WriteFieldI(file, "LOCK_PICK", pControlSet.GetLock3DPick() ? 1 : 0);
    {
        WriteBlock reference(file, "REFERENCE");
        WriteKQelControlSetLink(pControlSet, kReferenceNodeId, pEntity);
    }
    for (const GroupKey& group : kGroupKeys) {
        if (!group.mInControlSet)
            continue;
        WriteBlock links(file, group.mKey);
        WriteKQelControlSetLinkGroup(pControlSet, group.mGroup, pEntity, pLegacy);
    }
    {
        WriteBlock effectors(file, "EFFECTOR");
        for (int id = 0; id < kEffectorNodeIdCount; ++id)
            WriteKQelEffector(pControlSet, id, pEntity);
    }
    WriteBlock auxiliaries(file, "EFFECTOR_AUX1");
    for (int id = 0; id < kEffectorNodeIdCount; ++id)
        WriteKQelEffectorAux(pControlSet, id, pEntity);
    return true;
}

bool KQelWriterQel::WriteKQelControlSetLinkGroup(KQelControlSet& pControlSet, int pGroup, KQelEntity& pEntity,
                                                 bool pLegacy)
{
    KQel& file = File();
    const ECharacterGroupId group = static_cast<ECharacterGroupId>(pGroup);
    for (int i = 0, n = KQelCharacter::GetCharacterGroupCount(group); i < n; ++i) {
        const ECharacterNodeId id = KQelCharacter::GetCharacterGroupElementByIndex(group, i);
        KQelControlSetLink link;
        const bool used = pControlSet.GetControlSetLink(id, &link) &&
                          (InScene(link.mNode, pEntity) || !link.mTemplateName.IsEmpty());
        if (!used && !(pLegacy && LegacyElement(group, i)))
            continue;
        WriteBlock block(file, "LINK", KQelCharacter::GetCharacterGroupNameByIndex(group, i));
        WriteKQelControlSetLink(pControlSet, id, pEntity);
    }
    return true;
}

bool KQelWriterQel::WriteKQelControlSetLink(KQelControlSet& pControlSet, int pNodeId, KQelEntity& pEntity)
{
    KQelControlSetLink link;
    if (!pControlSet.GetControlSetLink(NodeId(pNodeId), &link))
        return true;
    if (InScene(link.mNode, pEntity))
        WriteFieldC(File(), "MODEL", link.mNode->GetName());
    if (!link.mTemplateName.IsEmpty())
        WriteFieldC(File(), "NAME", link.mTemplateName.Buffer());
    return true;
}

bool KQelWriterQel::WriteKQelEffector(KQelControlSet& pControlSet, int pId, KQelEntity& pEntity)
{
    KQelEffector effector;
    const EEffectorNodeId id = static_cast<EEffectorNodeId>(pId);
    if (!pControlSet.GetEffector(id, &effector) || !InScene(effector.mNode, pEntity))
        return true;
    KQel& file = File();
    WriteBlock block(file, "LINK");
    WriteFieldC(file, "NAME", KQelControlSet::GetEffectorNodeName(id));
    WriteFieldC(file, "MODEL", effector.mNode->GetName());
    for (const EffectorFlag& flag : kEffectorFlags)
        WriteFieldI(file, flag.mKey, effector.*flag.mFlag ? 1 : 0);
    return true;
}

bool KQelWriterQel::WriteKQelEffectorAux(KQelControlSet& pControlSet, int pId, KQelEntity& pEntity)
{
    KQelNode* node = nullptr;
    const EEffectorNodeId id = static_cast<EEffectorNodeId>(pId);
    if (!pControlSet.GetEffectorAux(id, &node, eEffectorSetAux1) || !InScene(node, pEntity))
        return true;
    KQel& file = File();
    WriteBlock block(file, "LINK");
    WriteFieldC(file, "NAME", KQelControlSet::GetEffectorNodeName(id));
    WriteFieldC(file, "MODEL", node->GetName());
    return true;
}

bool KQelWriterQel::WriteMarkerSet(KQelScene&)
{
    return true;
}

bool KQelWriterQel::WriteKQelMarkerSet(KQelScene&, int)
{
    return true;
}

bool KQelWriterQel::WriteActor(KQelScene&)
{
    return true;
}

bool KQelWriterQel::WriteKQelActor(KQelScene&, int)
{
    return true;
}

// ---- Reader ----

bool KQelReaderQel::ReadCharacter(KQelScene& pScene)
{
    if (!mFile->IsBeforeVersion6())
        return true;
    KQel& file = File();
    std::vector<int> inputs;
    int unnamed = 0;
    while (file.FieldReadBegin("CHARACTER")) {
        if (file.FieldReadBlockBegin()) {
            KString name;
            if (file.FieldGetInstanceCount("CONSTRAINT") > 0) {
                name = file.FieldReadC("CONSTRAINT", "");
            } else {
                char numbered[32];
                std::snprintf(numbered, sizeof(numbered), unnamed == 0 ? "Character" : "Character%d", unnamed);
                name = numbered;
                ++unnamed;
            }
            const int index = pScene.CreateCharacter(name.Buffer());
            if (KQelCharacter* character = index < 0 ? nullptr : pScene.GetCharacter(index)) {
                int input = -1;
                ReadKQelCharacter(*character, input);
                inputs.push_back(input);
            }
            file.FieldReadBlockEnd();
        }
        file.FieldReadEnd();
    }
    const int count = pScene.GetCharacterCount();
    for (int i = 0; i < count && i < static_cast<int>(inputs.size()); ++i) {
        KQelCharacter* character = pScene.GetCharacter(i);
        if (character && character->GetInputType() == eCharacterInputCharacter && inputs[i] >= 0 &&
            inputs[i] < count)
            character->SetInput(eCharacterInputCharacter, pScene.GetCharacter(inputs[i]));
    }
    return true;
}

bool KQelReaderQel::ReadKQelCharacter(KQelCharacter& pCharacter, int& pInputIndex)
{
    KQel& file = File();
    const bool older = mFile->IsBeforeVersion6();
    pInputIndex = -1;
    if (!older) {
        KArrayTemplate<KProperty*> properties;
        pCharacter.FillPropertyList(&properties);
        mFile->FieldReadPropertiesList(properties, pCharacter.GetPropertyHandler());
    }
    PublishKQelProperties(pCharacter);
    for (const char* unused : {"CHARACTERIZE", "LOCK_XFORM", "LOCK_PICK"})
        file.FieldReadI(unused, 0);
    if (older) {
        file.FieldReadC("CONSTRAINT", "");
        int type = file.FieldReadI("INPUTOUTPUTTYPE", pCharacter.GetInputType());
        if (!KnownInputType(type))
            type = pCharacter.GetInputType();
        if (type == eCharacterInputActor)
            pInputIndex = file.FieldReadI("ACTORINDEX", -1);
        else if (type == eCharacterInputCharacter)
            pInputIndex = file.FieldReadI("CHARACTERINDEX", -1);
        pCharacter.SetInput(static_cast<ECharacterInputType>(type), nullptr);
    }
    for (const SingleLinkKey& single : kSingleLinkKeys) {
        ReadBlock block(file, single.mKey);
        if (block.IsOpen())
            ReadKQelCharacterLink(pCharacter, single.mNodeId);
    }
    for (const GroupKey& group : kGroupKeys) {
        ReadBlock block(file, group.mKey);
        if (block.IsOpen())
            ReadKQelCharacterLinkGroup(pCharacter, group.mGroup);
    }
    if (!older)
        return true;
    {
        ReadBlock block(file, kGameModeParentKey);
        if (block.IsOpen())
            ReadKQelCharacterLinkGroup(pCharacter, eCharacterGroupGameModeParent);
    }
    {
        ReadBlock block(file, "FILTERSET");
        if (block.IsOpen())
            ReadKQelFilterSet(*pCharacter.GetFilterSet());
    }
    ReadBlock block(file, file.FieldGetInstanceCount("CONTROLSET") > 0 ? "CONTROLSET" : "AN_CONTROLSET");
    if (block.IsOpen())
        ReadKQelControlSet(*pCharacter.GetControlSet());
    return true;
}

bool KQelReaderQel::ReadKQelCharacterLinkGroup(KQelCharacter& pCharacter, int pGroup)
{
    ReadLinkGroup(File(), static_cast<ECharacterGroupId>(pGroup),
                  [&](ECharacterNodeId pId) { ReadKQelCharacterLink(pCharacter, pId); });
    return true;
}

bool KQelReaderQel::ReadKQelCharacterLink(KQelCharacter& pCharacter, int pNodeId)
{
    KQel& file = File();
    KQelCharacterLink link;
    if (mFile->IsBeforeVersion6())
        link.mNode = FindModel(file.FieldReadC("MODEL", ""));
    const KString name = file.FieldReadC("NAME", "");
    if (!name.IsEmpty())
        link.mTemplateName = name;
    KQelVector4* offsets[3] = {&link.mOffsetT, &link.mOffsetR, &link.mOffsetS};
    for (int kind = 0; kind < 3; ++kind) {
        for (int axis = 0; axis < 3; ++axis)
            (*offsets[kind])[axis] = file.FieldReadD(kOffsetFields[kind][axis], kOffsetDefaults[kind]);
    }
    pCharacter.SetCharacterLink(NodeId(pNodeId), link, true);
    return true;
}

bool KQelReaderQel::ReadKQelFilterSet(KQelFilterSet& pFilterSet)
{
    KQel& file = File();
    while (file.FieldReadBegin("PARAM")) {
        if (file.FieldReadBlockBegin()) {
            const KString name = file.FieldReadC("NAME", "PARAM");
            const int mode = file.FieldReadI("MODE", 0);
            double values[3];
            values[0] = file.FieldReadD("VALUE0", file.FieldReadD("VALUE", 0.0));
            file.FieldReadD("MIN", 0.0);
            file.FieldReadD("MAX", 0.0);
            auto set = [&](int pIndex, double pValue) {
                if (pIndex < 0)
                    return;
                pFilterSet.SetParameterMode(pIndex, ParameterMode(pIndex, mode));
                pFilterSet.SetParameterValue(pIndex, pValue, 0);
            };
            // Two offsets were once stored as one parameter of three values.
            if (name == "ChestTOffset" || name == "HipsTOffset") {
                values[1] = file.FieldReadD("VALUE1", values[0]);
                values[2] = file.FieldReadD("VALUE2", values[0]);
                for (int axis = 0; axis < 3; ++axis) {
                    const char suffix[2] = {"XYZ"[axis], '\0'};
                    set(KQelFilterSet::GetParameterIndex((name + suffix).Buffer()), values[axis]);
                }
            } else {
                set(KQelFilterSet::GetParameterIndex(name.Buffer()), values[0]);
            }
            file.FieldReadBlockEnd();
        }
        file.FieldReadEnd();
    }
    return true;
}

bool KQelReaderQel::ReadKQelControlSet(KQelControlSet& pControlSet)
{
    KQel& file = File();
    // The control-set type names no values: every number is one.
    pControlSet.SetType(static_cast<KQelControlSet::EType>(file.FieldReadI("TYPE", pControlSet.GetType())));
    pControlSet.SetLockTransform(file.FieldReadI("LOCK_XFORM", pControlSet.GetLockTransform() ? 1 : 0) != 0);
    pControlSet.SetLock3DPick(file.FieldReadI("LOCK_PICK", pControlSet.GetLock3DPick() ? 1 : 0) != 0);
    {
        ReadBlock block(file, "REFERENCE");
        if (block.IsOpen())
            ReadKQelControlSetLink(pControlSet, kReferenceNodeId);
    }
    for (const GroupKey& group : kGroupKeys) {
        if (!group.mInControlSet)
            continue;
        ReadBlock block(file, group.mKey);
        if (block.IsOpen())
            ReadKQelControlSetLinkGroup(pControlSet, group.mGroup);
    }
    const struct {
        const char* mKey;
        bool (KQelReaderQel::*mRead)(KQelControlSet&);
    } kEffectorBlocks[] = {{"EFFECTOR", &KQelReaderQel::ReadKQelEffector},
                           {"EFFECTOR_AUX1", &KQelReaderQel::ReadKQelEffectorAux}};
    for (const auto& effectors : kEffectorBlocks) {
        ReadBlock block(file, effectors.mKey);
        if (!block.IsOpen())
            continue;
        while (file.FieldReadBegin("LINK")) {
            if (file.FieldReadBlockBegin()) {
                (this->*effectors.mRead)(pControlSet);
                file.FieldReadBlockEnd();
            }
            file.FieldReadEnd();
        }
    }
    return true;
}

bool KQelReaderQel::ReadKQelControlSetLinkGroup(KQelControlSet& pControlSet, int pGroup)
{
    ReadLinkGroup(File(), static_cast<ECharacterGroupId>(pGroup),
                  [&](ECharacterNodeId pId) { ReadKQelControlSetLink(pControlSet, pId); });
    return true;
}

bool KQelReaderQel::ReadKQelControlSetLink(KQelControlSet& pControlSet, int pNodeId)
{
    KQel& file = File();
    KQelControlSetLink link;
    link.mNode = FindModel(file.FieldReadC("MODEL", ""));
    const KString name = file.FieldReadC("NAME", "");
    if (!name.IsEmpty())
        link.mTemplateName = name;
    if (link.mNode || !link.mTemplateName.IsEmpty())
        pControlSet.SetControlSetLink(NodeId(pNodeId), link);
    return true;
}

bool KQelReaderQel::ReadKQelEffector(KQelControlSet& pControlSet)
{
    KQel& file = File();
    const EEffectorNodeId id = KQelControlSet::GetEffectorNodeId(file.FieldReadC("NAME", "Unknown"));
    KQelNode* node = id < 0 ? nullptr : FindModel(file.FieldReadC("MODEL", ""));
    if (!node)
        return true;
    // An empty slot holds the effector's default flags; the getter leaves
    // them to us.
    KQelEffector effector;
    effector.ResetToDefault(id);
    pControlSet.GetEffector(id, &effector);
    effector.mNode = node;
    for (const EffectorFlag& flag : kEffectorFlags)
        effector.*flag.mFlag = file.FieldReadI(flag.mKey, effector.*flag.mFlag ? 1 : 0) != 0;
    pControlSet.SetEffector(id, effector);
    return true;
}

bool KQelReaderQel::ReadKQelEffectorAux(KQelControlSet& pControlSet)
{
    KQel& file = File();
    const EEffectorNodeId id = KQelControlSet::GetEffectorNodeId(file.FieldReadC("NAME", "Unknown"));
    KQelNode* node = id < 0 ? nullptr : FindModel(file.FieldReadC("MODEL", ""));
    if (node)
        pControlSet.SetEffectorAux(id, node, eEffectorSetAux1);
    return true;
}

KQelNode* KQelReaderQel::FindModel(const char* pName)
{
    if (!pName || !*pName)
        return nullptr;
    return FindNode(KQelSdkManager::PrefixName("Model::", pName).Buffer());
}

bool KQelReaderQel::ReadMarkerSet(KQelScene&)
{
    return true;
}

bool KQelReaderQel::ReadActor(KQelScene&)
{
    return true;
}

}  // namespace qelsdk_600
