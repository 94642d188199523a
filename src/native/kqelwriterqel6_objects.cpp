// "Definitions", "Objects" and the extension section's "Summary".
#include <cstring>

#include "content/kqelglobalcamerasettings.h"
#include "file/iqelobject.h"
#include "io/kstreamoptionsqel.h"
#include "native/kqelwriterqel6.h"
#include "native/kqelwriterqel6_impl.h"
#include "object/kprogress.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {

namespace writer6_detail {

void GetProducerCameraNodes(const KQelGlobalCameraSettings* pSettings, KQelNode* pNodes[kProducerCameraCount])
{
    for (int i = 0; i < kProducerCameraCount; ++i)
        pNodes[i] = nullptr;
    if (!pSettings)
        return;
    pNodes[0] = pSettings->GetCameraProducerPerspectiveNode();
    pNodes[1] = pSettings->GetCameraProducerTopNode();
    pNodes[2] = pSettings->GetCameraProducerBottomNode();
    pNodes[3] = pSettings->GetCameraProducerFrontNode();
    pNodes[4] = pSettings->GetCameraProducerBackNode();
    pNodes[5] = pSettings->GetCameraProducerRightNode();
    pNodes[6] = pSettings->GetCameraProducerLeftNode();
}

}  // namespace writer6_detail

using namespace writer6_detail;

namespace {

// One "ObjectType" entry of "Definitions": its type name, its count, and
// whether it is written.
struct DefinitionEntry {
    const char* mTypeName;
    int mCount;
    bool mWritten;
};

bool IsTemplateNodeName(const char* pName)
{
    return KQelObject::RemovePrefix(pName) == "~qelexport~";
}

}  // namespace

bool KQelWriterQel6::WriteObjectDefinition(KQelScene& pScene)
{
    KQelEntity& entity = *pScene.GetEntity();
    const int nodes = entity.GetNodeCount();
    const int genericNodes = entity.GetGenericNodeCount();
    const int materials = entity.GetMaterialCount();
    const int textures = entity.GetTextureCount();
    const int videos = entity.GetVideoCount();
    const int deformers = entity.GetDeformerCount(0);
    const int poses = pScene.GetPoseCount();
    const bool characters = Option(KStreamOptionsQel::eCharacter);
    const int characterPoses = characters ? pScene.GetCharacterPoseCount() : 0;
    const int characterCount = characters ? pScene.GetCharacterCount() : 0;
    const int plugs = characters ? pScene.GetControlSetPlugCount() : 0;
    const bool sceneInfo = pScene.GetSceneInfo() != nullptr;

    const DefinitionEntry entries[] = {
        {"Model", nodes + 7, nodes + 7 > 0},
        {"GenericNode", genericNodes, genericNodes != 0},
        {"Material", materials, Option(KStreamOptionsQel::eMaterial) && materials != 0},
        {"Texture", textures, Option(KStreamOptionsQel::eTexture) && textures != 0},
        {"Video", videos, Option(KStreamOptionsQel::eVideo) && videos != 0},
        {"SceneInfo", 1, sceneInfo},
        {"Deformer", deformers, Option(KStreamOptionsQel::eLink) && deformers != 0},
        {"Pose", poses + characterPoses, poses != 0 || characterPoses != 0},
        {"ControlSetPlug", plugs, plugs > 0},
        {"Constraint", characterCount, characterCount > 0},
    };
    // The total counts the optional kinds whether or not their entry is
    // written (an empty kind adds 0 either way).
    int total = (nodes - 1) + genericNodes + 8 + poses + characterPoses + characterCount + plugs;
    total += Option(KStreamOptionsQel::eMaterial) ? materials : 0;
    total += Option(KStreamOptionsQel::eTexture) ? textures : 0;
    total += Option(KStreamOptionsQel::eVideo) ? videos : 0;
    total += Option(KStreamOptionsQel::eLink) ? deformers : 0;
    total += sceneInfo ? 1 : 0;

    Banner(" Object definitions", 66, true, true);
    BlockBegin("Definitions");
    FieldI("Version", 100);
    FieldI("Count", total);
    for (const DefinitionEntry& entry : entries) {
        if (!entry.mWritten)
            continue;
        File().FieldWriteBegin("ObjectType");
        File().FieldWriteC(entry.mTypeName);
        File().FieldWriteBlockBegin();
        FieldI("Count", entry.mCount);
        BlockEnd();
    }
    BlockEnd();
    return true;
}

bool KQelWriterQel6::WriteObjectProperties(KQelScene& pScene)
{
    Banner(" Object properties", 66, true, true);
    BlockBegin("Objects");
    KQelNode* root = pScene.GetRootNode();
    StartProgress("Storing models", (root ? root->GetChildCount(true) : 0) + pScene.GetGenericNodeCount() + 8);
    if (root)
        WriteNode(*root);
    KQelNode* producers[kProducerCameraCount];
    GetProducerCameraNodes(pScene.GetGlobalCameraSettings(), producers);
    for (KQelNode* node : producers) {
        if (node)
            WriteKQelNode(*node);
    }
    if (KQelNode* switcher = pScene.GetCameraSwitcher())
        WriteKQelNode(*switcher);
    WritePassword();
    WriteKQelGenericNodes(pScene);
    WriteSceneInfo(pScene.GetSceneInfo());
    WritePose(pScene);
    WriteMaterials(pScene);
    WriteDeformers(pScene);
    WriteVideos(pScene);
    WriteTextures(pScene);
    if (Option(KStreamOptionsQel::eCharacter)) {
        WriteControlSetPlug(pScene);
        WriteCharacter(pScene);
    }
    KGetGlobalProgress()->UpdateSection(nullptr, nullptr);
    BlockEnd();
    return true;
}

bool KQelWriterQel6::WriteExtensionSection(KQelScene& pScene, int pMediaCount)
{
    if (!File().ProjectCreateExtensionSection(false))
        return false;
    BlockBegin("Summary");
    FieldI("Version", 101);

    KQelEntity& entity = *pScene.GetEntity();
    mOptions->mIsTemplate = false;
    for (int i = 0, n = entity.GetNodeCount(); i < n; ++i) {
        KQelNode* node = entity.GetNode(i);
        if (node && IsTemplateNodeName(node->GetName())) {
            mOptions->mIsTemplate = true;
            break;
        }
    }
    FieldI("Template", mOptions->mIsTemplate ? 1 : 0);
    FieldI("PasswordProtection", mOptions->mIsPasswordProtected && !mOptions->mPassword.IsEmpty() ? 1 : 0);

    KQelNode* root = pScene.GetRootNode();
    BlockBegin("ContentCount");
    FieldC("Version", "100");
    FieldI("Model", root ? root->GetChildCount(true) : 0);
    FieldI("Device", 0);
    FieldI("Character", pScene.GetCharacterCount());
    FieldI("Actor", 0);
    FieldI("Constraint", pScene.GetCharacterCount());
    FieldI("Media", pMediaCount);
    BlockEnd();

    WriteSceneInfo(pScene.GetSceneInfo());

    BlockBegin("Takes");
    FieldI("Version", 101);
    FieldC("Current", mCurrentTakeName.Buffer());
    KArrayTemplate<KString*> names;
    pScene.FillTakeNameArray(names);
    for (int i = 0, n = names.GetCount(); i < n; ++i) {
        const KString& name = *names.GetAt(i);
        if (name == "Default")
            continue;
        const KQelTakeInfo* info = pScene.GetTakeInfo(name);
        if (!info || !info->mSelect)
            continue;
        File().FieldWriteBegin("Take");
        File().FieldWriteC(info->mName.Buffer());
        File().FieldWriteBlockBegin();
        if (!info->mDescription.IsEmpty())
            FieldC("Comments", info->mDescription.Buffer());
        FieldTS("LocalTime", info->mLocalTimeSpan);
        FieldTS("ReferenceTime", info->mReferenceTimeSpan);
        WriteThumbnail(info->GetTakeThumbnail());
        BlockEnd();
    }
    for (int i = names.GetCount() - 1; i >= 0; --i)
        delete names.GetAt(i);
    BlockEnd();

    BlockEnd();
    mSummaryFailed = !File().ProjectCloseSection();
    return true;
}

}  // namespace qelsdk_600
