#include "motion/kqelmotionbase.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

#include "base/kpath.h"
#include "base/kuniquenameobjectlist.h"
#include "content/kqelmarker.h"
#include "curves/kfcurve.h"
#include "io/kstreamoptionsmotion.h"
#include "motion/kqelmotionutil.h"
#include "scene/kqelnode.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

const char kBudgetText[] = "File is corrupted: its frames hold more keys than one read may make";
const char kMemoryText[] = "File is corrupted: its frames do not fit in memory";

using motion_util::IsOn;

// Keys are floats: values beyond their range saturate, NaN reads 0.
float ToKeyValue(double pValue)
{
    if (!(pValue == pValue))
        return 0.0f;
    return static_cast<float>(std::max(-static_cast<double>(FLT_MAX), std::min(pValue, static_cast<double>(FLT_MAX))));
}

// Owner of the strings of a name array for the length of one read.
struct NameArray {
    KArrayTemplate<KString*> mNames;
    ~NameArray() { DeleteAndClear(mNames); }
};

}  // namespace

// Four floats per point (x, y, z in centimetres, then the occlusion flag),
// frame after frame: 16 bytes a sample rather than a KQelVector4's 32 and
// one block for all frames. Point j of frame f is at
// mValues[4 * (mFrameStart[f] + j)], and frame f holds
// mFrameStart[f + 1] - mFrameStart[f] points.
struct KQelReaderMotionBase::Samples {
    KArrayTemplate<float> mValues;
    KArrayTemplate<int> mFrameStart;

    Samples() : mValues(4096), mFrameStart(1024) { mFrameStart.Add(0); }
    int GetFrameCount() const { return mFrameStart.GetCount() - 1; }
    int GetPointCount(int pFrame) const { return mFrameStart[pFrame + 1] - mFrameStart[pFrame]; }
    const float* GetPoint(int pFrame, int pPoint) const
    {
        return mValues.GetArray() + 4 * static_cast<size_t>(mFrameStart[pFrame] + pPoint);
    }
    // Appends a frame scaled by pScale; false when memory runs out.
    bool AddFrame(const KArrayTemplate<KQelVector4>& pPoints, double pScale)
    {
        const int count = pPoints.GetCount();
        const int points = mFrameStart[mFrameStart.GetCount() - 1];
        if (count > (INT_MAX / 4) - points)
            return false;
        const int first = mValues.AddMultiple(4 * count);
        if (first < 0 || mFrameStart.Add(points + count) < 0)
            return false;
        float* out = mValues.GetArray() + first;
        for (int j = 0; j < count; ++j, out += 4) {
            const KQelVector4& point = pPoints[j];
            for (int k = 0; k < 3; ++k)
                out[k] = ToKeyValue(point[k] * pScale);
            out[3] = static_cast<float>(point[3]);
        }
        return true;
    }
};

// ---- IQelFileMotionBase ----

IKObject* IQelFileMotionBase::IQuery(unsigned long pInterfaceId, int)
{
    return pInterfaceId == 0 || pInterfaceId == kInterfaceId ? this : nullptr;
}

void IQelFileMotionBase::Destroy(int)
{
    delete this;
}

// ---- KQelReaderMotionBase ----

KQelReaderMotionBase::KQelReaderMotionBase(KQelSdkManager& pManager, const char* pDescription,
                                           const char* pPrefix)
    : KQelReader(pManager), mFileObject(nullptr), mDescription(pDescription), mPrefix(pPrefix)
{
}

KQelReaderMotionBase::~KQelReaderMotionBase()
{
    if (mFileObject)
        mFileObject->Destroy(0);
}

bool KQelReaderMotionBase::FileOpen(const char* pFileName)
{
    if (mFileObject)
        FileClose();
    mFileObject = CreateFileObject(pFileName);
    if (!mFileObject) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    mFileName = pFileName;
    return true;
}

bool KQelReaderMotionBase::FileClose()
{
    if (!mFileObject) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    mFileObject->Destroy(0);
    mFileObject = nullptr;
    mFileName.Empty();
    return true;
}

bool KQelReaderMotionBase::IsFileOpen()
{
    return mFileObject != nullptr;
}

bool KQelReaderMotionBase::ReadFileHeader(Header& pHeader)
{
    if (!mFileObject) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    if (mFileObject->ReadHeader(pHeader.mMarkerCount, pHeader.mStart, pHeader.mFrameCount, pHeader.mFrameRate,
                                pHeader.mScale))
        return true;
    mError.SetLastErrorID(eFileCorrupted);
    return false;
}

KStreamOptions* KQelReaderMotionBase::GetReadOptions(bool)
{
    Header header;
    if (!ReadFileHeader(header))
        return nullptr;
    KStreamOptionsMotion* options = KStreamOptionsMotionCreate();
    options->SetStart(header.mStart);
    options->SetFrameCount(header.mFrameCount);
    options->SetTimeMode(KTime::eDEFAULT_MODE, header.mFrameRate);
    SetReadOptions(options);
    return options;
}

bool KQelReaderMotionBase::Read(KQelScene& pScene, KStreamOptions* pOptions)
{
    KStreamOptionsMotion* motion = motion_util::MotionOptions(pOptions);
    if (mFileObject && !motion) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        return false;
    }
    Header header;
    if (!ReadFileHeader(header))
        return false;
    KStreamOptionsMotion& options = *motion;
    const int markerCount = header.mMarkerCount;
    const double scale = header.mScale;
    const int headerFrames = header.mFrameCount;
    if (markerCount == 0)
        return true;
    if (options.GetFrameCount() > headerFrames)
        options.SetFrameCount(headerFrames);
    const KTime start = options.GetStart();
    const KTime period = options.GetFramePeriod();
    const int frameCount = options.GetFrameCount();

    NameArray names;
    CreateNameArray(names.mNames, markerCount);
    if (!mFileObject->ReadAnimationHeader(names.mNames, IsOn(options, KStreamOptionsMotion::eImportActorPrefix))) {
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    if (IsOn(options, KStreamOptionsMotion::eRenameDuplicateNames))
        RenameDuplicates(options, names.mNames);

    Samples samples;
    int extraCount = 0;
    if (!ReadFrames(options, markerCount, frameCount, scale, period, samples, extraCount))
        return false;
    if (!mFileObject->ReadFooter()) {
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }

    KArrayTemplate<KQelNode*> nodes;
    CreateNodeArray(nodes, names.mNames, extraCount);
    KQelNode* reference = nullptr;
    if (!InsertNodeArrayInScene(&options, pScene, nodes, reference)) {
        motion_util::DiscardNodeTree(mManager, reference);
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    const KString takeName = motion_util::TakeNameOf(mFileName.Buffer());
    const bool animated = CreateAnimation(&options, nodes, takeName, samples, start, period, frameCount);
    DestroySamples(samples);
    if (!animated) {
        motion_util::DiscardNodeTree(mManager, reference);
        mError.SetLastError(eFileCorrupted, kMemoryText);
        return false;
    }
    motion_util::SetReadTake(pScene, takeName, options, true);
    return true;
}

bool KQelReaderMotionBase::ReadFrames(KStreamOptionsMotion& pOptions, int pMarkerCount, int pFrameCount,
                                      double pScale, KTime pPeriod, Samples& pSamples, int& pExtraCount)
{
    const bool exactZero = IsOn(pOptions, KStreamOptionsMotion::eImportExactZeroAsOccluded);
    const bool holdGaps = IsOn(pOptions, KStreamOptionsMotion::eImportSetOccludedToLastValidPosition);
    KArrayTemplate<KQelVector4> frames[2];
    pExtraCount = 0;
    for (int f = 0; f < pFrameCount; ++f) {
        pOptions.UpdateProgress(nullptr, "Reading animation frames",
                                static_cast<float>(f * 50.0 / pFrameCount));
        KArrayTemplate<KQelVector4>& current = frames[f & 1];
        current.Empty();
        KTime time;
        int frame = 0;
        if (!mFileObject->ReadAnimationFrame(current, pMarkerCount, time, frame, pPeriod, exactZero)) {
            mError.SetLastErrorID(eFileCorrupted);
            return false;
        }
        pExtraCount = std::max(pExtraCount, current.GetCount() - pMarkerCount);
        // Checked as the frames come, so that memory never outgrows the keys
        // the read would be allowed to make.
        if (!motion_util::FitsKeyBudget(pFrameCount, 4 * (static_cast<kLongLong>(pMarkerCount) + pExtraCount))) {
            mError.SetLastError(eFileCorrupted, kBudgetText);
            return false;
        }
        if (f > 0 && holdGaps)
            UpdateOccludedAnimationData(current, frames[(f + 1) & 1]);
        if (!pSamples.AddFrame(current, pScale)) {
            mError.SetLastError(eFileCorrupted, kMemoryText);
            return false;
        }
    }
    return true;
}

void KQelReaderMotionBase::RenameDuplicates(KStreamOptionsMotion& pOptions, KArrayTemplate<KString*>& pNames)
{
    KUniqueNameObjectList unique(8, 64);
    KString report;
    for (int i = 0; i < pNames.GetCount(); ++i) {
        const void* key = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(i) + 1);
        const char* name = unique.AddObject(pNames[i]->Buffer(), key);
        if (!name || *pNames[i] == name)
            continue;
        report += *pNames[i];
        report += "  -->  ";
        report += name;
        report += "\n";
        *pNames[i] = name;
    }
    if (report.IsEmpty())
        return;
    KString text("Some objects have been renamed due to naming conflicts:\n");
    text += report;
    text += "\n\n";
    motion_util::ShowOkMessage(&pOptions, "Warning", text.Buffer());
}

void KQelReaderMotionBase::CreateNameArray(KArrayTemplate<KString*>& pNames, int pCount)
{
    for (int i = 0; i < pCount; ++i)
        pNames.Add(new KString());
}

void KQelReaderMotionBase::CreateNodeArray(KArrayTemplate<KQelNode*>& pNodes, KArrayTemplate<KString*>& pNames,
                                           int pExtraCount)
{
    const int nameCount = pNames.GetCount();
    for (int i = 0; i < nameCount + pExtraCount; ++i) {
        KString unnamed;
        if (i >= nameCount) {
            unnamed = "*Unnamed_";
            unnamed += i + 1;
        }
        pNodes.Add(motion_util::CreateMarkerNode(mManager, i < nameCount ? pNames[i]->Buffer() : unnamed.Buffer()));
    }
}

bool KQelReaderMotionBase::InsertNodeArrayInScene(KStreamOptionsMotion* pOptions, KQelScene& pScene,
                                                  KArrayTemplate<KQelNode*>& pNodes, KQelNode*& pReference)
{
    pReference = motion_util::CreateReferenceNode(
        mManager, mPrefix.Buffer(), IsOn(*pOptions, KStreamOptionsMotion::eImportAsOpticalSegments));
    for (int i = 0; i < pNodes.GetCount(); ++i)
        pReference->AddChild(pNodes[i]);
    KString report("Duplicate names found in ");
    report += ExtractFileName(mFileName.Buffer(), true);
    report += ":";
    if (!CheckDuplicateNodeNames(pReference, report)) {
        motion_util::ShowOkMessage(pOptions, "Error", report.Buffer());
        return false;
    }
    pScene.GetRootNode()->AddChild(pReference);
    return true;
}

bool KQelReaderMotionBase::CreateAnimation(KStreamOptionsMotion* pOptions, KArrayTemplate<KQelNode*>& pNodes,
                                           const KString& pTakeName, const Samples& pSamples, KTime pStart,
                                           KTime pPeriod, int pFrameCount)
{
    const int nodeCount = pNodes.GetCount();
    const int frameCount = std::min(pFrameCount, pSamples.GetFrameCount());
    for (int i = 0; i < nodeCount; ++i) {
        pOptions->UpdateProgress(nullptr, "Loading animation frames in nodes",
                                 static_cast<float>(50.0 + i * 50.0 / nodeCount));
        KQelNode* node = pNodes[i];
        node->CreateTakeNode(pTakeName.Buffer());
        node->SetCurrentTakeNode(pTakeName.Buffer());
        KQelTakeNode* take = node->GetCurrentTakeNode();
        if (!take)
            return false;
        KFCurve* curves[4] = {take->GetTranslationX(), take->GetTranslationY(), take->GetTranslationZ(),
                              take->GetOcclusion()};
        if (!motion_util::BeginKeys(curves, 4, frameCount))
            return false;
        KTime time = pStart;
        static const float kMissing[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        for (int f = 0; f < frameCount; ++f, time += pPeriod) {
            const float* point = i < pSamples.GetPointCount(f) ? pSamples.GetPoint(f, i) : kMissing;
            for (int k = 0; k < 3; ++k)
                motion_util::SetReaderKey(*curves[k], f, time, point[k]);
            motion_util::SetReaderKey(*curves[3], f, time, point[3], motion_util::eConstantKey);
        }
        motion_util::EndKeys(curves, 4, frameCount);
        motion_util::ReduceConstantKeys(curves, 4);
    }
    return true;
}

void KQelReaderMotionBase::UpdateOccludedAnimationData(KArrayTemplate<KQelVector4>& pCurrent,
                                                       KArrayTemplate<KQelVector4>& pPrevious)
{
    const int count = std::min(pCurrent.GetCount(), pPrevious.GetCount());
    for (int j = 0; j < count; ++j) {
        if (pCurrent[j][3] != 1.0)
            continue;
        for (int k = 0; k < 3; ++k)
            pCurrent[j][k] = pPrevious[j][k];
    }
}

void KQelReaderMotionBase::DestroySamples(Samples& pSamples)
{
    pSamples.mValues.Clear();
    pSamples.mFrameStart.Clear();
    pSamples.mFrameStart.Add(0);
}

}  // namespace qelsdk_600
