// The writer object, its file, the renaming pass and the walk over the
// node tree.
#include "formats/3ds/kqelwriter3ds.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/kname.h"
#include "base/kpath.h"
#include "content/kqelcamera.h"
#include "content/kqelcolor.h"
#include "content/kqelgeometryconverter.h"
#include "content/kqelgloballightsettings.h"
#include "content/kqellight.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "formats/3ds/krenamingstrategy3ds.h"
#include "formats/kqeltexturecopy.h"
#include "formats/toolkit3ds/toolkit3ds.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

const double kInchesPerCentimetre = 0.3937007874015748;

bool ToolkitFailed()
{
    return ftkerr3ds && !ignoreftkerr3ds;
}

// Puts a record that is not null into the database and releases it.
template <class Record>
void PutAndRelease(database3ds* pDatabase, Record* pRecord, void (*pPut)(database3ds*, Record*),
                   void (*pRelease)(Record**))
{
    if (pRecord) {
        pPut(pDatabase, pRecord);
        pRelease(&pRecord);
    }
}

// The node's translation, rotation and scaling at time 0 of its current
// take, or its defaults where the take lacks the curves.
void StaticTransform(KQelNode* pNode, KQelVector4& pT, KQelVector4& pR, KQelVector4& pS)
{
    KFCurve* curves[3][3] = {};
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    if (take && take->GetKFCurveNode())
        take->GetKFCurveNode()->GetTransformCurves(curves[0], curves[1], curves[2]);
    KQelVector4* out[3] = {&pT, &pR, &pS};
    KQelVector4& (KQelNode::*defaults[3])(KQelVector4&) = {&KQelNode::GetDefaultT, &KQelNode::GetDefaultR,
                                                           &KQelNode::GetDefaultS};
    for (int v = 0; v < 3; ++v) {
        if (curves[v][0] && curves[v][1] && curves[v][2]) {
            for (int c = 0; c < 3; ++c)
                (*out[v])[c] = curves[v][c]->CandidateEvaluate(KTime(0));
        } else {
            (pNode->*defaults[v])(*out[v]);
        }
    }
}

// The temporary that replaces the target when the write succeeds: made with
// the permissions a new file gets under the umask, or those of the file it
// replaces, so that the rename hands over neither more nor less access.
int CreateBeside(const std::string& pTarget, std::string& pPath)
{
    static std::atomic<unsigned> sCounter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[40];
        std::snprintf(suffix, sizeof(suffix), ".%ld.%u.tmp", static_cast<long>(getpid()), sCounter++);
        pPath = pTarget + suffix;
        const int descriptor = open(pPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        struct stat existing;
        if (stat(pTarget.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
            fchmod(descriptor, existing.st_mode & 07777);
        return descriptor;
    }
    return -1;
}

}  // namespace

KQelWriter3DS::KQelWriter3DS(KQelSdkManager& pManager)
    : KQelWriter(pManager),
      mCreateReferenceNode(false),
      mMaterials(true),
      mTextureMapping(true),
      mAnim(true),
      mGeometries(true),
      mLights(true),
      mCamera(true),
      mAmbientLight(true),
      mRescale(true),
      mUVPerPolygon(false),
      mFile(nullptr),
      mDatabase(nullptr),
      mMeshSettings(nullptr),
      mMasterScale(1.0),
      mMeshCount(0),
      mScene(nullptr),
      mRootNode(nullptr),
      mAnimationOn(true),
      mRefused(false)
{
}

KQelWriter3DS::~KQelWriter3DS()
{
    Abandon();
}

bool KQelWriter3DS::FileCreate(const char* pFileName)
{
    Abandon();
    // The toolkit refuses to work while an earlier failure is recorded.
    ClearErrList3ds();
    if (!pFileName || !*pFileName) {
        mError.SetLastErrorID(eFileNotCreated);
        return false;
    }
    mTargetPath = pFileName;
    const int descriptor = CreateBeside(mTargetPath, mTemporaryPath);
    if (descriptor < 0) {
        mTemporaryPath.clear();
        mError.SetLastErrorID(eFileNotCreated);
        return false;
    }
    close(descriptor);
    mFile = OpenFile3ds(mTemporaryPath.c_str(), "wb");
    if (!mFile) {
        Abandon();
        mError.SetLastErrorID(eFileNotCreated);
        return false;
    }
    return true;
}

bool KQelWriter3DS::FileClose()
{
    return true;
}

bool KQelWriter3DS::IsFileOpen()
{
    return true;
}

KStreamOptions* KQelWriter3DS::GetWriteOptions()
{
    KStreamOptions3ds* options = KStreamOptions3dsCreate();
    if (options)
        options->Reset();
    return options;
}

bool KQelWriter3DS::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    ClearErrList3ds();
    mScene = &pScene;
    mRefused = false;
    if (!mFile) {
        mError.SetLastErrorID(eFileNotCreated);
        return false;
    }
    if (!InitWrite(pOptions) || !ExportQelNode(pScene.GetRootNode())) {
        Abandon();
        return false;
    }
    KQelColor ambient(0.0, 0.0, 0.0, 1.0);
    if (mAmbientLight && pScene.GetGlobalLightSettings())
        ambient = pScene.GetGlobalLightSettings()->GetAmbientColor();
    mMeshSettings->ambientlight = {static_cast<float>(ambient.mRed), static_cast<float>(ambient.mGreen),
                                   static_cast<float>(ambient.mBlue)};
    mMeshSettings->masterscale = mRescale ? static_cast<float>(mMasterScale) : 1.0f;
    mMeshSettings->shadowsize = 500;
    mMeshSettings->raytracebias = 3.0f;
    mMeshSettings->shadowfilter = 3.0f;
    PutMeshSet3ds(mDatabase, mMeshSettings);
    if (ToolkitFailed()) {
        Abandon();
        return false;
    }
    kfsets3ds* settings = nullptr;
    InitKfSets3ds(&settings);
    if (settings) {
        const long long frames = mAnimStop.GetFrame(true, 0);
        settings->anim.length = frames < 0 ? 0u : frames > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<std::uint32_t>(frames);
        PutKfSets3ds(mDatabase, settings);
        ReleaseKfSets3ds(&settings);
    }
    return CleanupWrite();
}

bool KQelWriter3DS::InitWrite(KStreamOptions* pOptions)
{
    mRootNode = mScene->GetRootNode();
    if (pOptions && pOptions->Is(KStreamOptions3ds::ClassId)) {
        static bool KQelWriter3DS::*const kFlags[] = {
            &KQelWriter3DS::mCreateReferenceNode, &KQelWriter3DS::mMaterials, &KQelWriter3DS::mTextureMapping,
            &KQelWriter3DS::mAnim,    &KQelWriter3DS::mGeometries,   &KQelWriter3DS::mLights,
            &KQelWriter3DS::mCamera,  &KQelWriter3DS::mAmbientLight, &KQelWriter3DS::mRescale,
            &KQelWriter3DS::mUVPerPolygon,
        };
        static const KStreamOptionsBase::EOption kOptions[] = {
            KStreamOptionsBase::eCreateReferenceNode, KStreamOptionsBase::eMaterials,
            KStreamOptionsBase::eTextureMapping,      KStreamOptionsBase::eAnim,
            KStreamOptionsBase::eGeometries,          KStreamOptionsBase::eLights,
            KStreamOptionsBase::eCamera,              KStreamOptionsBase::eAmbientLight,
            KStreamOptionsBase::eRescale,             KStreamOptionsBase::eUVPerPolygon,
        };
        const KStreamOptionsBase* options = static_cast<const KStreamOptionsBase*>(pOptions);
        for (std::size_t i = 0; i < sizeof(kOptions) / sizeof(kOptions[0]); ++i)
            this->*kFlags[i] = options->GetOption(kOptions[i]) == 1;
    } else {
        mError.SetLastErrorID(eStreamOptionsNotSet);
    }
    mMasterScale = mRescale ? kInchesPerCentimetre : 1.0;

    InitDatabase3ds(&mDatabase);
    if (ToolkitFailed())
        return false;
    CreateNewDatabase3ds(mDatabase, MeshFile3ds);
    if (ToolkitFailed())
        return false;
    InitMeshSet3ds(&mMeshSettings);
    if (ToolkitFailed() || !mMeshSettings)
        return false;

    // Nodes and materials are numbered apart.
    {
        KRenamingStrategy3DS strategy;
        KName name;
        for (int i = 0, n = mManager.GetKQelNodeCount(); i < n; ++i) {
            KQelNode* node = mManager.GetKQelNode(i);
            name.SetInitialName(node->GetName());
            strategy.Rename(name, 10);
            node->SetName(name.GetCurrentName());
        }
    }
    {
        KRenamingStrategy3DS strategy;
        KName name;
        for (int i = 0, n = mManager.GetKQelMaterialCount(); i < n; ++i) {
            KQelMaterial* material = mManager.GetKQelMaterial(i);
            name.SetInitialName(material->GetName());
            strategy.Rename(name, 15);
            material->SetName(name.GetCurrentName());
        }
    }

    mAnimationOn = mAnim;
    mAnimStart = mAnimStop = KTime(0);
    if (mRootNode)
        mRootNode->GetAnimationInterval(mAnimStart, mAnimStop);
    if (mAnimStart == mAnimStop) {
        mAnimationOn = false;
        mAnimStart = KTime(0);
        mAnimStop.SetTime(0, 0, 0, 100, 0, 0);
    }
    return true;
}

bool KQelWriter3DS::ExportQelNode(KQelNode* pNode)
{
    // Pre-order without recursion: children pushed last to first.
    std::vector<KQelNode*> pending(1, pNode);
    while (!pending.empty()) {
        KQelNode* node = pending.back();
        pending.pop_back();
        if (!node)
            continue;
        KQelVector4 t, r, s;
        StaticTransform(node, t, r, s);
        const KString shortName = node->GetNameWithoutNameSpacePrefix();
        const char* name = shortName.Buffer();
        KQelNodeAttribute* attribute = node->GetNodeAttribute();
        const int type = attribute ? attribute->GetAttributeType() : -1;
        if (type == KQelNodeAttribute::eMesh || type == KQelNodeAttribute::eNurb ||
            type == KQelNodeAttribute::ePatch) {
            if (mGeometries) {
                const bool textureMapping = mTextureMapping;
                if (type != KQelNodeAttribute::eMesh) {
                    mTextureMapping = false;
                    KQelGeometryConverter* converter = mManager.CreateKQelGeometryConverter();
                    if (converter) {
                        converter->TriangulateInPlace(node);
                        mManager.DestroyKQelGeometryConverter(converter);
                    }
                }
                PutAndRelease(mDatabase, ConvMeshTVto3DS(node->GetMesh(), t, r, s, name), &PutMesh3ds, &RelMeshObj3ds);
                mTextureMapping = textureMapping;
                if (mRefused)
                    return false;
                PutAndRelease(mDatabase, ConvMeshNodeTVto3DS(node), &PutObjectMotion3ds, &ReleaseObjectMotion3ds);
            }
        } else if (type == KQelNodeAttribute::eLight) {
            KQelLight* light = node->GetLight();
            if (mLights && light->GetLightType() == KQelLight::ePoint) {
                PutAndRelease(mDatabase, ConvOmnilightTVto3DS(light, t, name), &PutOmnilight3ds, &ReleaseLight3ds);
                PutAndRelease(mDatabase, ConvOmnilightNodeTVto3DS(node), &PutOmnilightMotion3ds,
                              &ReleaseOmnilightMotion3ds);
            } else if (mLights && light->GetLightType() == KQelLight::eSpot) {
                PutAndRelease(mDatabase, ConvSpotlightTVto3DS(light, t, r, name), &PutSpotlight3ds, &ReleaseLight3ds);
                PutAndRelease(mDatabase, ConvSpotlightNodeTVto3DS(node), &PutSpotlightMotion3ds,
                              &ReleaseSpotlightMotion3ds);
            }
        } else if (type == KQelNodeAttribute::eCamera) {
            if (mCamera) {
                PutAndRelease(mDatabase, ConvCameraTVto3DS(node->GetCamera(), t, name), &PutCamera3ds,
                              &ReleaseCamera3ds);
                PutAndRelease(mDatabase, ConvCameraNodeTVto3DS(node), &PutCameraMotion3ds,
                              &ReleaseCameraMotion3ds);
            }
        } else if (std::strncmp(name, "Qel_Roo", 7) == 0) {
            KQelVector4 scaling;
            mMasterScale = kInchesPerCentimetre * node->GetDefaultS(scaling)[0];
        } else if (node->GetParent() || mCreateReferenceNode) {
            if (objectmotion3ds* dummy = ConvMeshNodeTVto3DS(node)) {
                std::snprintf(dummy->instance, sizeof(dummy->instance), "%.10s", name);
                std::strcpy(dummy->name, DummyName3ds);
                dummy->bboxmin = {-0.5f, -0.5f, -0.5f};
                dummy->bboxmax = {0.5f, 0.5f, 0.5f};
                PutAndRelease(mDatabase, dummy, &PutObjectMotion3ds, &ReleaseObjectMotion3ds);
            }
        }
        if (mRefused)
            return false;
        for (int i = node->GetChildCount(false); i-- > 0;)
            pending.push_back(node->GetChild(i));
    }
    return true;
}

bool KQelWriter3DS::CleanupWrite()
{
    WriteDatabase3ds(mFile, mDatabase);
    bool written = !ToolkitFailed() && FlushFile3ds(mFile);
    ReleaseMeshSet3ds(&mMeshSettings);
    ReleaseDatabase3ds(&mDatabase);
    CloseAllFiles3ds();
    mFile = nullptr;
    written = written && !ToolkitFailed();
    if (written && std::rename(mTemporaryPath.c_str(), mTargetPath.c_str()) == 0) {
        mTemporaryPath.clear();
        return true;
    }
    mError.SetLastErrorID(eOutOfDiskSpace);
    Abandon();
    return false;
}

void KQelWriter3DS::Abandon()
{
    ReleaseMeshSet3ds(&mMeshSettings);
    ReleaseDatabase3ds(&mDatabase);
    if (mFile) {
        if (IsOpenContext3ds(mFile))
            CloseFile3ds(mFile);
        mFile = nullptr;
    }
    if (!mTemporaryPath.empty()) {
        std::remove(mTemporaryPath.c_str());
        mTemporaryPath.clear();
    }
}

void KQelWriter3DS::Refuse(const char* pWhy)
{
    mMessage += pWhy;
    mError.SetLastErrorID(eUnidentifiedError);
    mRefused = true;
}

bool KQelWriter3DS::CopyTextureFile(const char* pTexturePath, bool /*pQuiet*/)
{
    return qelsdk_600::CopyTextureFile(pTexturePath, ExtractDirectoryFromFilePath(mTargetPath.c_str()).Buffer(),
                                       mMessage);
}

}  // namespace qelsdk_600
