// Generic nodes, control-set plugs, characters, poses, scene information and
// thumbnails.
#include "character/kqelcharacter.h"
#include "character/kqelcharacterlink.h"
#include "character/kqelcontrolsetplug.h"
#include "file/iqelobject.h"
#include "native/kqelwriterqel6.h"
#include "scene/kqelentity.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqelnode.h"
#include "scene/kqelpose.h"
#include "scene/kqelscene.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqelthumbnail.h"

namespace qelsdk_600 {

namespace {

// A character block's link blocks, in file order: the single links by node
// id, then the groups by group number (group 8 is not stored).
struct LinkBlock {
    const char* mField;
    int mId;
};
const LinkBlock kSingleLinks[] = {
    {"REFERENCE", 67}, {"LEFT_FLOOR", 68}, {"RIGHT_FLOOR", 69}, {"LEFT_HANDFLOOR", 88}, {"RIGHT_HANDFLOOR", 89},
};
const LinkBlock kGroupLinks[] = {
    {"BASE", 0},     {"AUXILIARY", 1}, {"SPINE", 2},     {"NECK", 9},      {"ROLL", 3},  {"SPECIAL", 4},
    {"LEFTHAND", 5}, {"RIGHTHAND", 6}, {"LEFTFOOT", 10}, {"RIGHTFOOT", 11}, {"PROPS", 7},
};

// The link of pId when it is written: its node is in pEntity or it has a
// template name.
bool GetWrittenLink(KQelCharacter& pCharacter, int pId, KQelEntity& pEntity, KQelCharacterLink& pLink)
{
    if (!pCharacter.GetCharacterLink(static_cast<ECharacterNodeId>(pId), &pLink))
        return false;
    return (pLink.mNode && pLink.mNode->GetEntity() == &pEntity) || !pLink.mTemplateName.IsEmpty();
}

}  // namespace

bool KQelWriterQel6::WriteKQelGenericNodes(KQelScene& pScene)
{
    for (int i = 0, n = pScene.GetGenericNodeCount(); i < n; ++i) {
        KQelGenericNode* node = pScene.GetGenericNode(i);
        if (!node)
            continue;
        ObjectBegin("GenericNode", node->GetName(), node->GetTypeName().Buffer());
        FieldI("Version", 100);
        WriteProperties(*node);
        BlockEnd();
    }
    return true;
}

void KQelWriterQel6::WriteSolverObjectBegin(const char* pKind, KQelObject& pObject)
{
    const KString type = pObject.GetTypeName();
    ObjectBegin(pKind, pObject.GetName(), type.Buffer());
    FieldC("Type", type.Buffer());
    FieldI("MultiLayer", 0);
    WriteProperties(pObject);
}

bool KQelWriterQel6::WriteControlSetPlug(KQelScene& pScene)
{
    for (int i = 0, n = pScene.GetControlSetPlugCount(); i < n; ++i) {
        KQelControlSetPlug* plug = pScene.GetControlSetPlug(i);
        if (!plug)
            continue;
        WriteSolverObjectBegin("ControlSetPlug", *plug);
        BlockEnd();
    }
    return true;
}

bool KQelWriterQel6::WriteCharacter(KQelScene& pScene)
{
    for (int i = 0, n = pScene.GetCharacterCount(); i < n; ++i) {
        KQelCharacter* character = pScene.GetCharacter(i);
        if (!character)
            continue;
        WriteSolverObjectBegin("Constraint", *character);
        WriteKQelCharacter(pScene, i);
        BlockEnd();
    }
    return true;
}

bool KQelWriterQel6::WriteKQelCharacter(KQelScene& pScene, int pIndex)
{
    KQelCharacter* character = pScene.GetCharacter(pIndex);
    KQelEntity* entity = pScene.GetEntity();
    if (!character || !entity)
        return false;
    FieldI("CHARACTERIZE", 1);
    FieldI("LOCK_XFORM", 0);
    FieldI("LOCK_PICK", 0);
    for (const LinkBlock& block : kSingleLinks) {
        BlockBegin(block.mField);
        WriteKQelCharacterLink(*character, block.mId, *entity);
        BlockEnd();
    }
    for (const LinkBlock& block : kGroupLinks) {
        BlockBegin(block.mField);
        WriteKQelCharacterLinkGroup(*character, block.mId, *entity);
        BlockEnd();
    }
    return true;
}

bool KQelWriterQel6::WriteKQelCharacterLinkGroup(KQelCharacter& pCharacter, int pGroup, KQelEntity& pEntity)
{
    const ECharacterGroupId group = static_cast<ECharacterGroupId>(pGroup);
    KQelCharacterLink link;
    for (int i = 0, n = KQelCharacter::GetCharacterGroupCount(group); i < n; ++i) {
        const int id = KQelCharacter::GetCharacterGroupElementByIndex(group, i);
        if (!GetWrittenLink(pCharacter, id, pEntity, link))
            continue;
        File().FieldWriteBegin("LINK");
        File().FieldWriteC(KQelCharacter::GetCharacterGroupNameByIndex(group, i));
        File().FieldWriteBlockBegin();
        WriteKQelCharacterLink(pCharacter, id, pEntity);
        BlockEnd();
    }
    return true;
}

bool KQelWriterQel6::WriteKQelCharacterLink(KQelCharacter& pCharacter, int pId, KQelEntity& pEntity)
{
    KQelCharacterLink link;
    if (!GetWrittenLink(pCharacter, pId, pEntity, link))
        return false;
    if (!link.mTemplateName.IsEmpty())
        FieldC("NAME", link.mTemplateName.Buffer());
    static const char* const kOffsetFields[3][3] = {
        {"TOFFSETX", "TOFFSETY", "TOFFSETZ"},
        {"ROFFSETX", "ROFFSETY", "ROFFSETZ"},
        {"SOFFSETX", "SOFFSETY", "SOFFSETZ"},
    };
    const KQelVector4* offsets[3] = {&link.mOffsetT, &link.mOffsetR, &link.mOffsetS};
    for (int kind = 0; kind < 3; ++kind) {
        for (int axis = 0; axis < 3; ++axis)
            FieldD(kOffsetFields[kind][axis], (*offsets[kind])[axis]);
    }
    return true;
}

bool KQelWriterQel6::WritePose(KQelScene& pScene)
{
    for (int i = 0, n = pScene.GetPoseCount(); i < n; ++i) {
        KQelPose* pose = pScene.GetPose(i);
        if (!pose)
            continue;
        const KString type = pose->GetTypeName();
        ObjectBegin("Pose", pose->GetName(), type.Buffer());
        FieldC("Type", type == "BindPose" ? "BindPose" : "RestPose");
        FieldI("Version", 100);
        WriteProperties(*pose);
        WriteKQelPose(*pose);
        BlockEnd();
    }
    return true;
}

bool KQelWriterQel6::WriteKQelPose(KQelPose& pPose)
{
    const bool bindPose = pPose.GetTypeName() == "BindPose";
    const int count = pPose.GetCount();
    FieldI("NbPoseNodes", count);
    for (int i = 0; i < count; ++i) {
        BlockBegin("PoseNode");
        FieldC("Node", pPose.GetNodeName(i).Buffer());
        FieldDn("Matrix", static_cast<const double*>(pPose.GetMatrix(i)), 16);
        if (!bindPose)
            FieldI("Local", pPose.IsLocalMatrix(i) ? 1 : 0);
        BlockEnd();
    }
    return true;
}

bool KQelWriterQel6::WriteSceneInfo(KQelSceneInfo* pSceneInfo)
{
    if (!pSceneInfo)
        return false;
    ObjectBegin("SceneInfo", "SceneInfo::GlobalInfo", "UserData");
    FieldC("Type", "UserData");
    FieldI("Version", 100);
    WriteThumbnail(pSceneInfo->GetSceneThumbnail());
    BlockBegin("MetaData");
    FieldI("Version", 100);
    FieldC("Title", pSceneInfo->mTitle.Buffer());
    FieldC("Subject", pSceneInfo->mSubject.Buffer());
    FieldC("Author", pSceneInfo->mAuthor.Buffer());
    FieldC("Keywords", pSceneInfo->mKeywords.Buffer());
    FieldC("Revision", pSceneInfo->mRevision.Buffer());
    FieldC("Comment", pSceneInfo->mComment.Buffer());
    BlockEnd();
    BlockEnd();
    return true;
}

bool KQelWriterQel6::WriteThumbnail(KQelThumbnail* pThumbnail)
{
    if (!pThumbnail || pThumbnail->GetSize() == 0)
        return true;
    BlockBegin("Thumbnail");
    FieldI("Version", 100);
    FieldI("Format", pThumbnail->GetDataFormat());
    FieldI("Size", pThumbnail->GetSize());
    FieldI("ImageEncoding", 0);
    File().FieldWriteBegin("ImageData");
    const unsigned char* image = pThumbnail->GetThumbnailImage();
    const unsigned long bytes = image ? pThumbnail->GetSizeInBytes() : 0;
    for (unsigned long i = 0; i < bytes; ++i)
        File().FieldWriteI(image[i]);
    File().FieldWriteEnd();
    BlockEnd();
    return true;
}

}  // namespace qelsdk_600
