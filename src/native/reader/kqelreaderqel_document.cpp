// The document driver: which sections are read, in which order, under which
// option, for both layouts and for nested scenes.
#include <unordered_set>
#include <vector>

#include "content/kqelcamera.h"
#include "content/kqelglobalcamerasettings.h"
#include "file/iqelobject.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/blocks/kqelblocks_shared.h"
#include "native/reader/kqelreaderqel.h"
#include "object/kobject.h"
#include "object/kprogress.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelscene.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {

namespace {

// Reads stacked on one file (character poses holding character poses), the
// outermost included, go this deep at most, so that a hostile file cannot
// exhaust the stack.
const int kMaxNesting = 16;

// Refusals listed in the message text of one read.
const int kMaxCorruptLines = 100;

// The name under which connections reach the scene's root.
const char kSceneRootName[] = "Model::Scene";

IKObject* HandlerInterface(KQelObject& pObject)
{
    KQelPropertyHandler* handler = pObject.GetPropertyHandler();
    return handler ? handler->IQuery(kIID_IKObject, 0) : nullptr;
}


}  // namespace

bool KQelReaderQel::Read(KQelScene& pScene, KStreamOptions* pOptions)
{
    return Read(pScene, pOptions, nullptr);
}

bool KQelReaderQel::Read(KQelScene& pScene, KStreamOptions* pOptions, IQelObject* pObject)
{
    mOptions = nullptr;
    mCorruptData = false;
    mCorruptLines = 0;
    ClearMessage();
    KProgress* progress = KGetGlobalProgress();
    progress->ProgressBegin();
    bool ok = true;
    KStreamOptionsQel* options = nullptr;
    if (!pOptions || !pOptions->Is(KStreamOptionsQel::ClassId)) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        ok = false;
    } else {
        options = static_cast<KStreamOptionsQel*>(pOptions);
    }

    IQelObject* const own = mFile;
    const bool nested = pObject != nullptr;
    if (ok) {
        mOptions = options;
        if (nested)
            mFile = pObject;
        if (!mFile) {
            mError.SetLastErrorID(eFileNotOpened);
            ok = false;
        } else if (mFile->ObjectRegistryGetDepth() >= kMaxNesting) {
            mError.SetLastErrorID(eFileCorrupted);
            ok = false;
        }
    }
    // Every read registers its objects in a registry of its own: a nested
    // scene must not see its host's names, and a second read of one file
    // must not meet the objects of the first, which clearing the scene ended.
    IQelObject* const registry = ok ? mFile : nullptr;
    if (registry)
        registry->ObjectRegistryPush();
    progress->DivideSection(1 + (ok ? native_detail::SelectedTakeCount(*options) : 0));

    if (ok) {
        if (mFile->ProjectGetCurrentSection() < 0) {
            ok = mFile->ProjectOpenMainSection();
            if (ok)
                SetIsBeforeVersion6WithMainSection(false);
            else
                mError.SetLastErrorID(eFileNotOpened);
        } else if (!nested) {
            mFile->FieldReadResetPosition();
        }
    }
    if (ok && !nested) {
        const bool wasLocked = mFile->IsPasswordPending();
        if (!ReadPassword(options->mPassword)) {
            mError.SetLastErrorID(eWrongPassword);
            ok = false;
        } else if (wasLocked) {
            // An enciphered section only shows its fields once unlocked.
            SetIsBeforeVersion6WithMainSection(false);
            // Its take list was enciphered too when the options were made:
            // without it no take but the default one would be read.
            if (options->mTakeInfo.GetCount() == 0) {
                ReadTakeOptions();
                mFile->FieldReadResetPosition();
            }
        }
    }

    // A refused read leaves the scene as it was; the tables start afresh
    // whatever happened.
    mNodeTable.Clear();
    mLookAtTable.Clear();
    mUpNodeTable.Clear();
    mCameraBackgroundTable.Clear();
    if (ok)
        ok = ReadDocument(pScene);
    // Refused data fails the read once everything else has been read.
    if (ok && mCorruptData) {
        mError.SetLastErrorID(eFileCorrupted);
        ok = false;
    }

    mFile = own;
    for (int i = 0; i < mObjectTypes.GetCount(); ++i)
        delete mObjectTypes[i];
    mObjectTypes.Clear();
    mOptions = nullptr;
    progress->CloseSection();
    progress->ProgressDone();
    if (registry)
        registry->ObjectRegistryPop();
    return ok;
}

bool KQelReaderQel::ReadDocument(KQelScene& pScene)
{
    pScene.Clear();
    mTextures.Clear();
    const bool older = mFile->IsBeforeVersion6();

    ReadDefinitionSection(pScene, mObjectTypes);
    ReadCameraSwitcher(pScene);
    mFile->FieldReadResetPosition();
    bool ok = older ? ReadNode() : ReadObjectSection(pScene, mObjectTypes);

    KQelNode* root = pScene.GetRootNode();
    if (root) {
        if (mFile->ObjectFetch(kSceneRootName))
            mFile->ObjectNameUnregister(kSceneRootName);
        if (IKObject* handler = HandlerInterface(*root))
            mFile->ObjectRegister(kSceneRootName, handler);
    }
    if (ok && root) {
        ok = ReadHierarchy(*root);
        if (!older)
            TakeOverCameras(pScene);
    }
    if (ok) {
        ok = ResolveCameraBackgrounds(pScene);
        RemoveDuplicateTextures(pScene);
        RemoveDuplicateMaterials(pScene);
    }
    if (ok) {
        if (mOptions->GetOption(KStreamOptionsQel::eTexture))
            ReadMedia(pScene, "");
        if (mOptions->GetOption(KStreamOptionsQel::eGobo))
            ReadGobo(pScene);
        if (mOptions->GetOption(KStreamOptionsQel::eCharacter)) {
            ReadMarkerSet(pScene);
            ReadActor(pScene);
            ReadCharacter(pScene);
        }
        ReadSceneGenericPersistenceSection(pScene);
        if (mOptions->GetOption(KStreamOptionsQel::eGlobalSettings)) {
            if (older) {
                ReadGlobalLightSettings(pScene);
                ReadGlobalCameraAndTimeSettings(pScene);
            } else {
                native_detail::ReadBlock version5(File(), "Version5");
                if (version5.IsOpen()) {
                    ReadGlobalLightSettings(pScene);
                    ReadGlobalTimeSettings(pScene);
                    ReadGlobalCameraSettings(pScene);
                }
            }
        }
        if (!older)
            ReadConnectionSection(pScene);
    }
    if (ok && mOptions->GetOption(KStreamOptionsQel::eAnimation) && mOptions->mTakeInfo.GetCount() > 0)
        ok = ReadAnimation(pScene);
    if (ok) {
        if (!older)
            ConvertCurrentLayoutScene(pScene);
        CheckGeometries(pScene);
        ReorderCameraSwitcherIndices(pScene);
    }
    return ok;
}

void KQelReaderQel::MarkCorruptData(const char* pObject, const char* pField)
{
    mCorruptData = true;
    // A hostile file may refuse millions of items: the text stays short.
    if (mCorruptLines >= kMaxCorruptLines)
        return;
    ++mCorruptLines;
    if (!mMessage.IsEmpty())
        mMessage += "\n";
    mMessage += KString(pObject ? pObject : "") + ": " + (pField ? pField : "");
}

bool KQelReaderQel::ReadSceneGenericPersistenceSection(KQelScene& pScene)
{
    native_detail::ReadBlock block(File(), "SceneGenericPersistence");
    if (!block.IsOpen())
        return true;
    const bool posesRead = mOptions->GetOption(KStreamOptionsQel::eCharacter) && ReadCharacterPose(pScene) == 1;
    if (!posesRead)
        ReadPose(pScene);
    AdoptSceneInfo(pScene, ReadSceneInfo());
    return true;
}

void KQelReaderQel::AdoptSceneInfo(KQelScene& pScene, KQelSceneInfo* pSceneInfo)
{
    if (!pSceneInfo)
        return;
    KQelSceneInfo* previous = pScene.GetSceneInfo();
    pScene.SetSceneInfo(pSceneInfo);
    // The scene does not end what it held; a document giving its scene
    // information twice would otherwise leave the first to the manager's end.
    if (previous && previous != pSceneInfo)
        mManager.DestroyKQelSceneInfo(previous);
}

// ---- Camera take-over ----

void KQelReaderQel::ForgetNode(KQelNode& pNode)
{
    IKObject* handler = HandlerInterface(pNode);
    if (handler && mFile->ObjectFetch(pNode.GetName()) == handler)
        mFile->ObjectNameUnregister(pNode.GetName());
}

void KQelReaderQel::TakeOverCameras(KQelScene& pScene)
{
    // The walk follows the table's sorted order; a switcher node adopted
    // destroys the previous one with its subtree, so those nodes are
    // forgotten before and skipped after.
    std::vector<KQelNode*> nodes;
    nodes.reserve(mNodeTable.GetCount());
    for (int i = 0, n = mNodeTable.GetCount(); i < n; ++i)
        nodes.push_back(reinterpret_cast<KQelNode*>(mNodeTable.GetFromIndex(i)));
    std::unordered_set<KQelNode*> destroyed;
    KQelGlobalCameraSettings* cameras = pScene.GetGlobalCameraSettings();
    for (KQelNode* node : nodes) {
        if (!node || destroyed.count(node) || !node->GetNodeAttribute())
            continue;
        const KQelNodeAttribute::EAttributeType type = node->GetNodeAttribute()->GetAttributeType();
        if (type == KQelNodeAttribute::eCamera) {
            if (cameras)
                cameras->CopyProducerCamera(node->GetNameWithoutNameSpacePrefix(), node->GetCamera());
        } else if (type == KQelNodeAttribute::eCameraSwitcher) {
            KQelNode* previous = pScene.GetCameraSwitcher();
            if (previous == node)
                continue;
            if (previous) {
                // The adopted node leaves the old subtree with its own.
                std::unordered_set<KQelNode*> kept{node};
                native_detail::WalkBelow(*node, [&](KQelNode* pBelow) {
                    kept.insert(pBelow);
                    return true;
                });
                auto forget = [&](KQelNode* pGone) {
                    if (!kept.count(pGone)) {
                        ForgetNode(*pGone);
                        destroyed.insert(pGone);
                    }
                    return true;
                };
                forget(previous);
                native_detail::WalkBelow(*previous, forget);
            }
            pScene.ReplaceCameraSwitcher(node);
        }
    }
    if (destroyed.empty())
        return;
    KCharPtrSet kept(20);
    kept.SetCaseSensitive(true);
    for (int i = 0, n = mNodeTable.GetCount(); i < n; ++i) {
        char* name = nullptr;
        const kReference value = mNodeTable.GetFromIndex(i, &name);
        if (!destroyed.count(reinterpret_cast<KQelNode*>(value)))
            kept.Add(name, value);
    }
    mNodeTable = kept;
}

}  // namespace qelsdk_600
