// "Takes": take records, their spans and the take node blocks.
#include "character/kqelcharacter.h"
#include "curves/kfcurvenode.h"
#include "file/iqelobject.h"
#include "io/kqelexporter.h"
#include "native/kqelwriterqel6.h"
#include "native/kqelwriterqel6_impl.h"
#include "object/kprogress.h"
#include "scene/kqelentity.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

using namespace writer6_detail;

namespace {

bool IsZero(const KTimeSpan& pSpan)
{
    return pSpan.GetStart().Get() == 0 && pSpan.GetStop().Get() == 0;
}

// The take's file name: its name with ".tak", blanks and tabs made "_".
KString TakeFileName(const KString& pName)
{
    KString fileName = pName;
    fileName += ".tak";
    char* text = fileName.Buffer();
    for (int i = 0, n = static_cast<int>(fileName.GetLen()); i < n; ++i) {
        if (text[i] == ' ' || text[i] == '\t')
            text[i] = '_';
    }
    return fileName;
}

// The take containers of the entity's references of one kind.
KQelTakeNodeContainer* ContainerAt(KQelEntity& pEntity, KQelEntity::EReferenceKind pKind, int pIndex)
{
    return dynamic_cast<KQelTakeNodeContainer*>(pEntity.GetReferencedObject(pKind, pIndex));
}

}  // namespace

bool KQelWriterQel6::WriteTakesAndAnimation(KQelScene& pScene)
{
    return WriteAnimation(pScene);
}

bool KQelWriterQel6::WriteAnimation(KQelScene& pScene)
{
    Banner("Takes and animation section", 52, false, true);
    BlockBegin("Takes");
    FieldC("Current", mCurrentTakeName.Buffer());
    KArrayTemplate<KString*> names;
    pScene.FillTakeNameArray(names);
    for (int i = 0, n = names.GetCount(); i < n; ++i)
        WriteTake(pScene, *names.GetAt(i));
    for (int i = names.GetCount() - 1; i >= 0; --i)
        delete names.GetAt(i);
    BlockEnd();
    return true;
}

void KQelWriterQel6::WriteTake(KQelScene& pScene, const KString& pName)
{
    if (pName == "Default")
        return;
    KQelTakeInfo* info = pScene.GetTakeInfo(pName);
    if (!info) {
        KQelTakeInfo record;
        record.mName = pName;
        pScene.SetTakeInfo(record);
        info = pScene.GetTakeInfo(pName);
        if (!info)
            return;
    }
    if (!info->mSelect)
        return;

    KQelEntity& entity = *pScene.GetEntity();
    KQelNode* root = pScene.GetRootNode();
    KQelNode* switcher = pScene.GetCameraSwitcher();
    const int textures = entity.GetReferenceCount(KQelEntity::eTextures);
    const int materials = entity.GetReferenceCount(KQelEntity::eMaterials);
    KString status("Storing take ");
    status += pName;
    StartProgress(status.Buffer(), (root ? root->GetChildCount(true) : 0) + textures + materials);

    File().FieldWriteBegin("Take");
    File().FieldWriteC(pName.Buffer());
    File().FieldWriteBlockBegin();
    FieldC("FileName", TakeFileName(pName).Buffer());

    // Each take's computed span covers that take's keys only.
    KTime start(KTime::kInfiniteTicks);
    KTime stop(KTime::kMinusInfiniteTicks);
    if (IsZero(info->mLocalTimeSpan) || IsZero(info->mReferenceTimeSpan)) {
        pScene.SetCurrentTake(pName.Buffer());
        KTime switcherStart(KTime::kInfiniteTicks);
        KTime switcherStop(KTime::kMinusInfiniteTicks);
        if (switcher)
            switcher->GetAnimationInterval(switcherStart, switcherStop);
        if (root)
            root->GetAnimationInterval(start, stop);
        if (switcherStart < start)
            start = switcherStart;
        if (switcherStop > stop)
            stop = switcherStop;
    }
    if (start > stop) {
        start = KTime(0);
        stop = KTime(KTime::kTicksPerSecond);
    }
    const KTimeSpan computed(start, stop);
    if (IsZero(info->mLocalTimeSpan))
        info->mLocalTimeSpan = computed;
    if (IsZero(info->mReferenceTimeSpan))
        info->mReferenceTimeSpan = computed;
    FieldTS("LocalTime", info->mLocalTimeSpan);
    FieldTS("ReferenceTime", info->mReferenceTimeSpan);
    if (!info->mDescription.IsEmpty())
        FieldC("Comments", info->mDescription.Buffer());
    WriteThumbnail(info->GetTakeThumbnail());

    const char* take = pName.Buffer();
    Banner("Models animation", 52, true, false);
    if (switcher)
        WriteTakeNode(*switcher, take, "Model", false);
    if (root)
        WriteAnimation(*root, take);
    Banner("Generic nodes animation", 52, true, false);
    for (int i = 0, n = entity.GetGenericNodeCount(); i < n; ++i) {
        if (KQelTakeNodeContainer* node = entity.GetGenericNode(i))
            WriteTakeNode(*node, take, "GenericNode", false);
    }
    Banner("Character nodes animation", 52, true, false);
    for (int i = 0, n = pScene.GetCharacterCount(); i < n; ++i) {
        if (KQelTakeNodeContainer* character = pScene.GetCharacter(i))
            WriteTakeNode(*character, take, "Constraint", false);
    }
    Banner("Textures animation", 52, true, false);
    for (int i = 0; i < textures; ++i) {
        ReportProgress();
        if (KQelTakeNodeContainer* texture = ContainerAt(entity, KQelEntity::eTextures, i))
            WriteTakeNode(*texture, take, "Texture", false);
    }
    Banner("Materials animation", 52, true, true);
    for (int i = 0; i < materials; ++i) {
        ReportProgress();
        if (KQelTakeNodeContainer* material = ContainerAt(entity, KQelEntity::eMaterials, i))
            WriteTakeNode(*material, take, "Material", false);
    }
    BlockEnd();
    KGetGlobalProgress()->UpdateSection(nullptr, nullptr);
}

bool KQelWriterQel6::WriteAnimation(KQelNode& pNode, const char* pTakeName)
{
    ReportProgress();
    ForEachNodeBelow(pNode, [this, pTakeName](KQelNode& pChild) {
        WriteTakeNode(pChild, pTakeName, "Model", false);
        ReportProgress();
    });
    return true;
}

bool KQelWriterQel6::WriteTakeNode(KQelTakeNodeContainer& pContainer, const char* pTakeName, const char* pFieldName,
                                   bool)
{
    if (!pContainer.SetCurrentTakeNode(pTakeName))
        return false;
    File().FieldWriteBegin(pFieldName);
    File().FieldWriteC(pContainer.GetName());
    File().FieldWriteBlockBegin();
    FieldD("Version", 1.1);
    KQelTakeNode* take = pContainer.GetCurrentTakeNode();
    if (take && take != pContainer.GetDefaultTakeNode()) {
        if (KFCurveNode* curves = take->GetKFCurveNode()) {
            for (int i = 0, n = curves->GetCount(); i < n; ++i) {
                if (KFCurveNode* channel = curves->Get(i))
                    channel->QelStore(&File(), false, true, true, "Channel", true, false);
            }
        }
    }
    BlockEnd();
    return true;
}

}  // namespace qelsdk_600
