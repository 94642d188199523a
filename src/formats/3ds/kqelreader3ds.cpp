// The reader object, its records and the scene import's order.
#include "formats/3ds/kqelreader3ds.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/ktime.h"
#include "content/kqelcamera.h"
#include "content/kqelcolor.h"
#include "content/kqelglobalcamerasettings.h"
#include "content/kqelgloballightsettings.h"
#include "content/kqellight.h"
#include "content/kqelmarker.h"
#include "content/kqelmesh.h"
#include "formats/3ds/kqelreader3ds_impl.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {

using reader3ds_detail::FindRecord;
using reader3ds_detail::MapRecordNames;
using reader3ds_detail::ToolkitFailed;

namespace {

// Every scene object a read makes must be backed by this many bytes of the
// file's object and keyframer sections; no genuine object takes fewer.
const std::uint64_t kSectionBytesPerSceneObject = 16;
// The control points and faces that copies of instanced meshes add may be at
// most this many per byte of those sections.
const std::uint64_t kCopyElementsPerSectionByte = 16;

// Sizes a table to pCount null entries; false when it cannot be.
template <class T>
bool SizeTable(KArrayTemplate<T*>& pTable, std::uint32_t pCount)
{
    pTable.Clear();
    return pCount <= static_cast<std::uint32_t>(INT_MAX) && pTable.SetCount(static_cast<int>(pCount));
}

// Fetches pCount records by index into a sized table.
template <class Record>
bool FetchTable(database3ds* pDatabase, KArrayTemplate<Record*>& pTable, std::uint32_t pCount,
                void (*pGet)(database3ds*, std::uint32_t, Record**))
{
    if (!SizeTable(pTable, pCount))
        return false;
    for (std::uint32_t i = 0; i < pCount; ++i) {
        pGet(pDatabase, i, &pTable[static_cast<int>(i)]);
        if (ToolkitFailed())
            return false;
    }
    return true;
}

// Motion records without keys, one per object, named after it.
template <class Motion, class Object, class Init>
bool MakeMotions(KArrayTemplate<Motion*>& pTable, const KArrayTemplate<Object*>& pObjects, std::uint32_t pCount,
                 Init pInit)
{
    if (!SizeTable(pTable, pCount))
        return false;
    for (int i = 0; i < static_cast<int>(pCount); ++i) {
        pInit(&pTable[i]);
        if (ToolkitFailed())
            return false;
        if (pTable[i] && pObjects[i]) {
            static_assert(sizeof(pTable[i]->name) == sizeof(pObjects[i]->name), "names of one size");
            std::memcpy(pTable[i]->name, pObjects[i]->name, sizeof(pTable[i]->name));
            pTable[i]->name[sizeof(pTable[i]->name) - 1] = '\0';
        }
    }
    return true;
}

// The keyframer records of a kind, or, when the file has none, one without
// keys per object of the kind.
template <class Motion, class Object, class Init>
bool FetchMotions(database3ds* pDatabase, KArrayTemplate<Motion*>& pTable, std::uint32_t& pCount,
                  std::uint32_t (*pCountOf)(database3ds*), void (*pGet)(database3ds*, std::uint32_t, Motion**),
                  const KArrayTemplate<Object*>& pObjects, Init pInit)
{
    pCount = pCountOf(pDatabase);
    if (pCount)
        return FetchTable(pDatabase, pTable, pCount, pGet);
    pCount = static_cast<std::uint32_t>(pObjects.GetCount());
    return MakeMotions(pTable, pObjects, pCount, pInit);
}

template <class Record>
void ReleaseTable(KArrayTemplate<Record*>& pTable, void (*pRelease)(Record**))
{
    for (int i = 0; i < pTable.GetCount(); ++i)
        pRelease(&pTable[i]);
}

// Whether every face names a vertex and every material group a face: the
// conversion trusts both.
bool IndicesInRange(const mesh3ds& pMesh)
{
    const std::uint32_t vertices = pMesh.vertexarray ? pMesh.nvertices : 0;
    if (pMesh.facearray) {
        for (std::uint32_t f = 0; f < pMesh.nfaces; ++f) {
            const face3ds& face = pMesh.facearray[f];
            if (face.v1 >= vertices || face.v2 >= vertices || face.v3 >= vertices)
                return false;
        }
    }
    const std::uint32_t faces = pMesh.facearray ? pMesh.nfaces : 0;
    for (std::uint32_t g = 0; pMesh.matarray && g < pMesh.nmats; ++g) {
        const objmat3ds& group = pMesh.matarray[g];
        for (std::uint32_t i = 0; group.faceindex && i < group.nfaces; ++i) {
            if (group.faceindex[i] >= faces)
                return false;
        }
    }
    return true;
}

// The bytes of the top chunk's first child of a tag, 0 without one.
std::uint64_t SectionBytes(database3ds* pDatabase, std::uint32_t pTag)
{
    chunk3ds* section = nullptr;
    if (pDatabase && pDatabase->topchunk)
        FindNextChunk3ds(pDatabase->topchunk->children, pTag, &section);
    return section ? section->size : 0;
}

}  // namespace

void KQelReader3DS::ReadState::Clear()
{
    mMaterialRecords.clear();
    mMeshes.clear();
    mOmnilights.clear();
    mSpotlights.clear();
    mCameras.clear();
    mMaterialObjects.clear();
    mTextureObjects.clear();
    mNodeObjects.clear();
    mObjectMesh.clear();
    mOmnilightOf.clear();
    mSpotlightOf.clear();
    mCameraOf.clear();
}

KQelReader3DS::KQelReader3DS(KQelSdkManager& pManager)
    : KQelReader(pManager),
      mTextureMapping(true),
      mMaterials(true),
      mAnim(true),
      mGeometries(true),
      mLights(true),
      mCamera(true),
      mReduceKeys(false),
      mAmbientLight(true),
      mSmoothGroup(true),
      mCreateReferenceNode(false),
      mRescale(true),
      mFile(nullptr),
      mDatabase(nullptr),
      mMeshSettings(nullptr),
      mUnitFactor(1.0),
      mAmbientColor{0.0f, 0.0f, 0.0f},
      mReferenceNode(nullptr),
      mMeshCount(0),
      mObjectMotionCount(0),
      mMaterialCount(0),
      mOmnilightCount(0),
      mOmnilightMotionCount(0),
      mSpotlightCount(0),
      mSpotlightMotionCount(0),
      mCameraCount(0),
      mCameraMotionCount(0),
      mState(new ReadState)
{
}

KQelReader3DS::~KQelReader3DS()
{
    FileClose();
    ReleaseMeshSet3ds(&mMeshSettings);
    ReleaseDatabase3ds(&mDatabase);
    ReleaseRecords();
}

bool KQelReader3DS::FileOpen(const char* pFileName)
{
    FileClose();
    // The toolkit refuses to work while an earlier failure is recorded.
    ClearErrList3ds();
    if (pFileName)
        mFile = OpenFile3ds(pFileName, "rb");
    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    return true;
}

bool KQelReader3DS::FileClose()
{
    // The handle may have been freed by CloseAllFiles3ds meanwhile; the
    // toolkit refuses handles it no longer holds.
    if (mFile && IsOpenContext3ds(mFile))
        CloseFile3ds(mFile);
    mFile = nullptr;
    return true;
}

bool KQelReader3DS::IsFileOpen()
{
    return true;
}

KStreamOptions* KQelReader3DS::GetReadOptions(bool /*pParseFile*/)
{
    KStreamOptions3ds* options = KStreamOptions3dsCreate();
    if (options)
        options->Reset();
    return options;
}

bool KQelReader3DS::Read(KQelScene& pScene, KStreamOptions* pOptions)
{
    // A failure left by an earlier toolkit user must not fail this read.
    ClearErrList3ds();
    ResetTables();
    if (pOptions && pOptions->Is(KStreamOptions3ds::ClassId)) {
        static bool KQelReader3DS::*const kFlags[] = {
            &KQelReader3DS::mTextureMapping, &KQelReader3DS::mMaterials,    &KQelReader3DS::mAnim,
            &KQelReader3DS::mGeometries,     &KQelReader3DS::mLights,       &KQelReader3DS::mCamera,
            &KQelReader3DS::mReduceKeys,     &KQelReader3DS::mAmbientLight, &KQelReader3DS::mSmoothGroup,
            &KQelReader3DS::mCreateReferenceNode, &KQelReader3DS::mRescale,
        };
        static const KStreamOptionsBase::EOption kOptions[] = {
            KStreamOptionsBase::eTextureMapping, KStreamOptionsBase::eMaterials,  KStreamOptionsBase::eAnim,
            KStreamOptionsBase::eGeometries,     KStreamOptionsBase::eLights,     KStreamOptionsBase::eCamera,
            KStreamOptionsBase::eReduceKeys,     KStreamOptionsBase::eAmbientLight, KStreamOptionsBase::eSmoothGroup,
            KStreamOptionsBase::eCreateReferenceNode, KStreamOptionsBase::eRescale,
        };
        KStreamOptions3ds* options = static_cast<KStreamOptions3ds*>(pOptions);
        for (std::size_t i = 0; i < sizeof(kOptions) / sizeof(kOptions[0]); ++i)
            this->*kFlags[i] = options->GetOption(kOptions[i]) == 1;
        options->SetTakeName(reader3ds_detail::kDefaultTakeName);
    } else {
        mError.SetLastErrorID(eStreamOptionsNotSet);
    }
    mUnitFactor = mRescale ? 2.54 : 1.0;

    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        CleanupRead();
        return false;
    }
    if (!FetchRecords()) {
        mError.SetLastErrorID(eFileCorrupted);
        CleanupRead();
        return false;
    }
    if (!CheckSceneSize()) {
        CleanupRead();
        return false;
    }
    const bool imported = ImportScene(pScene);
    const bool cleaned = CleanupRead();
    if (!imported)
        mError.SetLastErrorID(eUnidentifiedError);
    else if (!cleaned)
        mError.SetLastErrorID(eFileCorrupted);
    return imported && cleaned;
}

bool KQelReader3DS::FetchRecords()
{
    InitDatabase3ds(&mDatabase);
    if (ToolkitFailed())
        return false;
    CreateDatabase3ds(mFile, mDatabase);
    if (ToolkitFailed())
        return false;
    InitMeshSet3ds(&mMeshSettings);
    if (ToolkitFailed())
        return false;
    GetMeshSet3ds(mDatabase, &mMeshSettings);
    if (ToolkitFailed() || !mMeshSettings)
        return false;
    if (mMeshSettings->masterscale > 0.0f)
        mUnitFactor *= mMeshSettings->masterscale;
    mAmbientColor[0] = mMeshSettings->ambientlight.r;
    mAmbientColor[1] = mMeshSettings->ambientlight.g;
    mAmbientColor[2] = mMeshSettings->ambientlight.b;

    database3ds* db = mDatabase;
    mMeshCount = GetMeshCount3ds(db);
    if (!FetchTable(db, mMeshes, mMeshCount, &GetMeshByIndex3ds) || !SizeTable(mMeshAttributes, mMeshCount))
        return false;
    for (int i = 0; i < mMeshes.GetCount(); ++i) {
        if (mMeshes[i] && !IndicesInRange(*mMeshes[i]))
            return false;
    }
    if (mLights) {
        mOmnilightCount = GetOmnilightCount3ds(db);
        mSpotlightCount = GetSpotlightCount3ds(db);
        if (!FetchTable(db, mOmnilights, mOmnilightCount, &GetOmnilightByIndex3ds) ||
            !SizeTable(mOmnilightAttributes, mOmnilightCount) ||
            !FetchTable(db, mSpotlights, mSpotlightCount, &GetSpotlightByIndex3ds) ||
            !SizeTable(mSpotlightAttributes, mSpotlightCount) || !SizeTable(mSpotlightTargetMarkers, mSpotlightCount))
            return false;
    }
    if (mCamera) {
        mCameraCount = GetCameraCount3ds(db);
        if (!FetchTable(db, mCameras, mCameraCount, &GetCameraByIndex3ds) ||
            !SizeTable(mCameraAttributes, mCameraCount) || !SizeTable(mCameraTargetMarkers, mCameraCount))
            return false;
    }
    mMaterialCount = GetMaterialCount3ds(db);
    if (!FetchTable(db, mMaterialRecords, mMaterialCount, &GetMaterialByIndex3ds))
        return false;

    // Keyframer records; a file without those of a kind gets one record
    // without keys per object of that kind.
    if (!FetchMotions(db, mObjectMotions, mObjectMotionCount, &GetObjectNodeCount3ds, &GetObjectMotionByIndex3ds,
                      mMeshes, [](objectmotion3ds** pMotion) { InitObjectMotion3ds(pMotion, 0, 0, 0, 0, 0); }) ||
        !SizeTable(mObjectNodes, mObjectMotionCount))
        return false;
    if (mLights) {
        if (!FetchMotions(db, mOmnilightMotions, mOmnilightMotionCount, &GetOmnilightNodeCount3ds,
                          &GetOmnilightMotionByIndex3ds, mOmnilights,
                          [](omnimotion3ds** pMotion) { InitOmnilightMotion3ds(pMotion, 0, 0); }) ||
            !FetchMotions(db, mSpotlightMotions, mSpotlightMotionCount, &GetSpotlightNodeCount3ds,
                          &GetSpotlightMotionByIndex3ds, mSpotlights,
                          [](spotmotion3ds** pMotion) { InitSpotlightMotion3ds(pMotion, 0, 0, 0, 0, 0, 0); }) ||
            !SizeTable(mOmnilightNodes, mOmnilightMotionCount) || !SizeTable(mSpotlightNodes, mSpotlightMotionCount) ||
            !SizeTable(mSpotlightTargetNodes, mSpotlightMotionCount))
            return false;
    }
    if (mCamera) {
        if (!FetchMotions(db, mCameraMotions, mCameraMotionCount, &GetCameraNodeCount3ds, &GetCameraMotionByIndex3ds,
                          mCameras, [](cameramotion3ds** pMotion) { InitCameraMotion3ds(pMotion, 0, 0, 0, 0); }) ||
            !SizeTable(mCameraNodes, mCameraMotionCount) || !SizeTable(mCameraTargetNodes, mCameraMotionCount))
            return false;
    }
    return true;
}

bool KQelReader3DS::CheckSceneSize()
{
    ReadState& state = *mState;
    MapRecordNames(mMeshes, state.mMeshes);
    MapRecordNames(mOmnilights, state.mOmnilights);
    MapRecordNames(mSpotlights, state.mSpotlights);
    MapRecordNames(mCameras, state.mCameras);
    MapRecordNames(mMaterialRecords, state.mMaterialRecords);

    // Which object each keyframer record's node will carry.
    auto match = [](std::vector<int>& pOf, const auto& pMotions, bool pOn, const reader3ds_detail::RecordMap& pMap) {
        pOf.assign(static_cast<std::size_t>(pMotions.GetCount()), -1);
        for (int i = 0; pOn && i < pMotions.GetCount(); ++i) {
            if (pMotions[i])
                pOf[static_cast<std::size_t>(i)] = FindRecord(pMap, pMotions[i]->name);
        }
    };
    match(state.mObjectMesh, mObjectMotions, mGeometries, state.mMeshes);
    match(state.mOmnilightOf, mOmnilightMotions, mLights, state.mOmnilights);
    match(state.mSpotlightOf, mSpotlightMotions, mLights, state.mSpotlights);
    match(state.mCameraOf, mCameraMotions, mCamera, state.mCameras);

    // Instances: every record after the first that names a mesh gets a copy.
    std::vector<char> taken(mMeshCount, 0);
    std::uint64_t copies = 0;
    std::uint64_t copyElements = 0;
    for (int mesh : state.mObjectMesh) {
        if (mesh < 0)
            continue;
        if (taken[static_cast<std::size_t>(mesh)]) {
            ++copies;
            if (const mesh3ds* record = mMeshes[mesh])
                copyElements += std::uint64_t(record->nvertices) + record->nfaces;
        }
        taken[static_cast<std::size_t>(mesh)] = 1;
    }
    std::uint64_t textures = 0;
    for (int i = 0; mMaterials && mTextureMapping && i < mMaterialRecords.GetCount(); ++i) {
        if (const material3ds* material = mMaterialRecords[i]) {
            if (material->texture.name[0])
                textures += material->tex2.name[0] ? 2 : 1;
        }
    }
    const std::uint64_t objects = std::uint64_t(mMeshCount) + mOmnilightCount + 2ull * mSpotlightCount +
                                  2ull * mCameraCount + copies + mObjectMotionCount + mOmnilightMotionCount +
                                  2ull * mSpotlightMotionCount + 2ull * mCameraMotionCount +
                                  (mMaterials ? mMaterialCount : 0) + textures + (mCreateReferenceNode ? 1 : 0);
    const std::uint64_t bytes = SectionBytes(mDatabase, MDATA) + SectionBytes(mDatabase, KFDATA);
    const char* excess = nullptr;
    if (objects * kSectionBytesPerSceneObject > bytes)
        excess = "scene objects";
    else if (copyElements > bytes * kCopyElementsPerSectionByte)
        excess = "instanced points and faces";
    if (!excess)
        return true;
    char text[256];
    std::snprintf(text, sizeof(text),
                  "The file would make %llu scene objects and %llu instanced points and faces: more %s than its "
                  "%llu bytes of objects and keyframer nodes describe.\n",
                  static_cast<unsigned long long>(objects), static_cast<unsigned long long>(copyElements), excess,
                  static_cast<unsigned long long>(bytes));
    mMessage += text;
    mError.SetLastErrorID(eFileCorrupted);
    return false;
}

bool KQelReader3DS::ImportScene(KQelScene& pScene)
{
    const KQelColor ambient = mAmbientLight ? KQelColor(mAmbientColor[0], mAmbientColor[1], mAmbientColor[2], 1.0)
                                            : KQelColor(0.0, 0.0, 0.0, 1.0);
    if (KQelGlobalLightSettings* lights = pScene.GetGlobalLightSettings())
        lights->SetAmbientColor(ambient);

    // The background is read once; the cameras take its colour too.
    background3ds* background = nullptr;
    InitBackground3ds(&background);
    if (background) {
        GetBackground3ds(mDatabase, &background);
        mState->mBackground[0] = background->solid.r;
        mState->mBackground[1] = background->solid.g;
        mState->mBackground[2] = background->solid.b;
        ReleaseBackground3ds(&background);
    }
    const KQelColor backgroundColor(mState->mBackground[0], mState->mBackground[1], mState->mBackground[2], 1.0);
    if (KQelGlobalCameraSettings* cameras = pScene.GetGlobalCameraSettings()) {
        static KQelCamera* (KQelGlobalCameraSettings::*const kProducers[])() const = {
            &KQelGlobalCameraSettings::GetCameraProducerBack,  &KQelGlobalCameraSettings::GetCameraProducerBottom,
            &KQelGlobalCameraSettings::GetCameraProducerFront, &KQelGlobalCameraSettings::GetCameraProducerLeft,
            &KQelGlobalCameraSettings::GetCameraProducerPerspective,
            &KQelGlobalCameraSettings::GetCameraProducerRight, &KQelGlobalCameraSettings::GetCameraProducerTop,
        };
        for (auto producer : kProducers) {
            if (KQelCamera* camera = (cameras->*producer)())
                camera->SetDefaultBackgroundColor(backgroundColor);
        }
    }

    if (mMaterials && !ImportMaterials())
        return false;
    if (!ImportAllObjects() || !Create3DSNodeToKModelLookup())
        return false;
    if (mCreateReferenceNode) {
        mReferenceNode = mManager.CreateKQelNode("Qel_Root");
        if (!mReferenceNode)
            return false;
        pScene.GetRootNode()->AddChild(mReferenceNode);
        mReferenceNode->SetDefaultS(KQelVector4(mUnitFactor, mUnitFactor, mUnitFactor, 1.0));
    }

    // Every node exists now: the manager's nodes by name, first of each.
    ReadState& state = *mState;
    state.mNodeObjects.clear();
    state.mNodeObjects.reserve(static_cast<std::size_t>(mManager.GetKQelNodeCount()));
    for (int i = 0, n = mManager.GetKQelNodeCount(); i < n; ++i) {
        if (KQelNode* node = mManager.GetKQelNode(i))
            state.mNodeObjects.emplace(node->GetName(), node);
    }
    if (!ImportMeshHierarchy(pScene))
        return false;
    ImportOmnilightHierarchy(pScene);
    ImportSpotlightHierarchy(pScene);
    ImportCameraHierarchy(pScene);

    if (!ImportMeshAnim() || !ImportOmnilightAnim() || !ImportSpotlightAnim() || !ImportCameraAnim())
        return false;

    KTime start(KTime::kInfiniteTicks), stop(KTime::kMinusInfiniteTicks);
    pScene.GetRootNode()->GetAnimationInterval(start, stop);
    if (stop.Get() == KTime::kMinusInfiniteTicks || start.Get() == KTime::kInfiniteTicks) {
        start.SetTime(0, 0, 0, 0, 0, KTime::eFRAMES30);
        stop.SetTime(0, 0, 0, 150, 0, KTime::eFRAMES30);
    }
    KQelTakeInfo take;
    take.mName = reader3ds_detail::kDefaultTakeName;
    take.mLocalTimeSpan.Set(start, stop);
    take.mReferenceTimeSpan.Set(start, stop);
    pScene.SetTakeInfo(take);
    pScene.SetCurrentTake(reader3ds_detail::kDefaultTakeName);
    return true;
}

bool KQelReader3DS::ImportAllObjects()
{
    for (int i = 0; i < mMeshes.GetCount(); ++i) {
        KQelMesh* mesh = mManager.CreateKQelMesh();
        mMeshAttributes[i] = mesh;
        if (mesh && mMeshes[i] && mMeshes[i]->nfaces != 0)
            ConvertMesh3DStoTV(mMeshes[i], mesh);
    }
    for (int i = 0; i < mOmnilights.GetCount(); ++i) {
        mOmnilightAttributes[i] = mManager.CreateKQelLight();
        if (mOmnilightAttributes[i] && mOmnilights[i])
            ConvertOmnilight3DStoTV(mOmnilights[i], mOmnilightAttributes[i]);
    }
    for (int i = 0; i < mSpotlights.GetCount(); ++i) {
        mSpotlightAttributes[i] = mManager.CreateKQelLight();
        mSpotlightTargetMarkers[i] = mManager.CreateKQelMarker();
        if (mSpotlightAttributes[i] && mSpotlights[i])
            ConvertSpotlight3DStoTV(mSpotlights[i], mSpotlightAttributes[i]);
    }
    for (int i = 0; i < mCameras.GetCount(); ++i) {
        mCameraAttributes[i] = mManager.CreateKQelCamera();
        mCameraTargetMarkers[i] = mManager.CreateKQelMarker();
        if (mCameraAttributes[i] && mCameras[i])
            ConvertCamera3DStoTV(mCameras[i], mCameraAttributes[i]);
    }
    return true;
}

bool KQelReader3DS::CleanupRead()
{
    ReleaseMeshSet3ds(&mMeshSettings);
    ReleaseDatabase3ds(&mDatabase);
    ReleaseRecords();
    mState->Clear();
    CloseAllFiles3ds();
    mFile = nullptr;
    return !ToolkitFailed();
}

void KQelReader3DS::ResetTables()
{
    ReleaseRecords();
    KBaseArray* const tables[] = {
        &mMeshes,           &mMeshAttributes,         &mObjectMotions,         &mObjectNodes,
        &mMaterialRecords,  &mOmnilights,             &mOmnilightAttributes,   &mOmnilightMotions,
        &mOmnilightNodes,   &mSpotlights,             &mSpotlightAttributes,   &mSpotlightTargetMarkers,
        &mSpotlightMotions, &mSpotlightNodes,         &mSpotlightTargetNodes,  &mCameras,
        &mCameraAttributes, &mCameraTargetMarkers,    &mCameraMotions,         &mCameraNodes,
        &mCameraTargetNodes, &mTexturePairs,
    };
    for (KBaseArray* table : tables)
        table->Clear();
    mMeshCount = mObjectMotionCount = mMaterialCount = 0;
    mOmnilightCount = mOmnilightMotionCount = mSpotlightCount = mSpotlightMotionCount = 0;
    mCameraCount = mCameraMotionCount = 0;
    mReferenceNode = nullptr;
    mState->Clear();
}

void KQelReader3DS::ReleaseRecords()
{
    ReleaseTable(mMeshes, &RelMeshObj3ds);
    ReleaseTable(mObjectMotions, &ReleaseObjectMotion3ds);
    ReleaseTable(mMaterialRecords, &ReleaseMaterial3ds);
    ReleaseTable(mOmnilights, &ReleaseLight3ds);
    ReleaseTable(mOmnilightMotions, &ReleaseOmnilightMotion3ds);
    ReleaseTable(mSpotlights, &ReleaseLight3ds);
    ReleaseTable(mSpotlightMotions, &ReleaseSpotlightMotion3ds);
    ReleaseTable(mCameras, &ReleaseCamera3ds);
    ReleaseTable(mCameraMotions, &ReleaseCameraMotion3ds);
}

}  // namespace qelsdk_600
