#include "motion/kqelmotionbrd.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "content/kqelmarker.h"
#include "curves/kfcurve.h"
#include "io/kstreamoptionsmotion.h"
#include "math/kmfunctions.h"
#include "math/kqelmatrix.h"
#include "scene/kqelnode.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

using Options = KStreamOptionsMotion;

const char kType[] = "BRD";
const char kDel[] = " \t\r\n";
const char kCom[] = "";
const double kMicroseconds = 1000000.0;
// Translation X, Y, Z, rotation X, Y, Z and occlusion.
const int kCurvesPerSensor = 7;

// A record as read, with its place in the file so that the last of a
// repeated (sensor, frame) wins.
struct Record {
    int mSensor;
    KFrameEntry mEntry;
};

bool GetFinite(KTextFile& pFile, double& pValue)
{
    return pFile.GetDouble(pValue) && std::isfinite(pValue);
}

}  // namespace

// ---- KQelFileAscension ----

KQelFileAscension::KQelFileAscension() : KTextFile(kType, kDel, kCom, true, false), mWriteFailed(false) {}

bool KQelFileAscension::ReadLine(int& pFrame, int& pSensor, KQelVector4& pPosition, KQelQuaternion& pRotation,
                                 KTime& pTime, bool pFirst)
{
    if (!(pFirst ? FirstLine() : NextLine()))
        return false;
    double position[3];
    double rotation[4];
    double seconds = 0.0;
    double microseconds = 0.0;
    char marker = 0;
    if (!GetInteger(pFrame) || !GetInteger(pSensor) || !GetChar(marker) || marker != 'P' || !GetVector(position) ||
        !GetChar(marker) || marker != 'Q')
        return false;
    for (double& value : rotation) {
        if (!GetFinite(*this, value))
            return false;
    }
    if (!GetFinite(*this, seconds) || !GetFinite(*this, microseconds))
        return false;
    pPosition.Set(position[0], position[1], position[2], 0.0);
    for (int k = 0; k < 4; ++k)
        pRotation[k] = rotation[k];
    KTime whole;
    KTime rest;
    whole.SetSecondDouble(seconds);
    rest.SetSecondDouble(microseconds / kMicroseconds);
    pTime = whole + rest;
    return true;
}

void KQelFileAscension::PrintLine(int pFrame, int pSensor, const KQelVector4& pPosition,
                                  const KQelQuaternion& pRotation, KTime pTime)
{
    const kLongLong seconds = pTime.GetSecond(true);
    const double microseconds =
        static_cast<double>(pTime.Get() - seconds * KTime::kTicksPerSecond) / KTime::kTicksPerSecond * kMicroseconds;
    mWriteFailed |= !Print(0, "%d\t%d\tP\t%g\t%g\t%g\tQ\t%g\t%g\t%g\t%g\t%g\t%g\n", pFrame, pSensor, pPosition[0],
                           pPosition[1], pPosition[2], pRotation[0], pRotation[1], pRotation[2], pRotation[3],
                           static_cast<double>(seconds), microseconds);
}

// ---- KNodeEntry ----

bool KNodeEntry::FindFrameEntry(kLongLong pFrame, KQelVector4& pPosition, KQelQuaternion& pRotation,
                                int& pCursor) const
{
    const int count = static_cast<int>(mEntries.size());
    for (int i = std::max(pCursor, 0); i < count; ++i) {
        const KFrameEntry& entry = mEntries[static_cast<size_t>(i)];
        if (entry.mFrame > pFrame) {
            pCursor = i;
            return false;
        }
        if (entry.mFrame == pFrame) {
            pPosition = entry.mPosition;
            pRotation = entry.mRotation;
            pCursor = i + 1;
            return true;
        }
    }
    return false;
}

// ---- KQelReaderAscension ----

KQelReaderAscension::KQelReaderAscension(KQelSdkManager& pManager) : KQelMotionFileReader(pManager)
{
    ResetFileInfo();
}

KQelReaderAscension::~KQelReaderAscension() {}

bool KQelReaderAscension::FileClose()
{
    ResetFileInfo();
    return KQelMotionFileReader::FileClose();
}

void KQelReaderAscension::ResetFileInfo()
{
    mLoaded = false;
    mNodeEntries.clear();
    mStart = KTime(0);
    mFrameCount = 0;
    mFrameRate = 0.0;
    mFirstFrame = mLastFrame = 0;
    mFirstTime = mLastTime = KTime(0);
}

bool KQelReaderAscension::LoadFileInfo()
{
    if (mLoaded)
        return true;
    ResetFileInfo();
    std::vector<Record> records;
    Record record;
    bool first = true;
    while (mFile->ReadLine(record.mEntry.mFrame, record.mSensor, record.mEntry.mPosition, record.mEntry.mRotation,
                           record.mEntry.mTime, first)) {
        const kLongLong frame = record.mEntry.mFrame;
        if (first || frame < mFirstFrame) {
            mFirstFrame = frame;
            mFirstTime = record.mEntry.mTime;
        }
        if (first || frame > mLastFrame) {
            mLastFrame = frame;
            mLastTime = record.mEntry.mTime;
        }
        first = false;
        records.push_back(record);
    }
    if (!mFile->IsEOF()) {
        ResetFileInfo();
        return false;
    }
    // One sort instead of an insertion walk per record; stable, so that of
    // a repeated (sensor, frame) the last record comes last.
    std::stable_sort(records.begin(), records.end(), [](const Record& pA, const Record& pB) {
        return pA.mSensor != pB.mSensor ? pA.mSensor < pB.mSensor : pA.mEntry.mFrame < pB.mEntry.mFrame;
    });
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& current = records[i];
        const bool repeated = i + 1 < records.size() && records[i + 1].mSensor == current.mSensor &&
                              records[i + 1].mEntry.mFrame == current.mEntry.mFrame;
        if (repeated)
            continue;
        if (mNodeEntries.empty() || mNodeEntries.back()->GetSensor() != current.mSensor)
            mNodeEntries.emplace_back(new KNodeEntry(current.mSensor));
        mNodeEntries.back()->AddFrameEntry(current.mEntry);
    }
    // Frame numbers span up to 2^32 frames: counted in 64 bits and held to
    // the key budget.
    const kLongLong span = mLastFrame - mFirstFrame + 1;
    if (span > INT_MAX ||
        !motion_util::FitsKeyBudget(span, kCurvesPerSensor * static_cast<kLongLong>(mNodeEntries.size()))) {
        ResetFileInfo();
        return false;
    }
    mFrameCount = static_cast<int>(span);
    const double duration = (mLastTime - mFirstTime).GetSecondDouble();
    mFrameRate = duration != 0.0 && mFrameCount > 1 ? (mFrameCount - 1) / duration : 0.0;
    // Falling time stamps give no rate either.
    if (!(mFrameRate > 0.0) || !std::isfinite(mFrameRate))
        mFrameRate = KTime::GetFrameRate(KTime::eDEFAULT_MODE);
    mStart.SetSecondDouble(static_cast<double>(mFirstFrame) / mFrameRate);
    mLoaded = true;
    return true;
}

KStreamOptions* KQelReaderAscension::GetReadOptions(bool)
{
    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        return nullptr;
    }
    if (!LoadFileInfo()) {
        mError.SetLastErrorID(eFileCorrupted);
        return nullptr;
    }
    KStreamOptionsMotion* options = KStreamOptionsMotionCreate();
    options->SetStart(mStart);
    options->SetFrameCount(mFrameCount);
    options->SetTimeMode(KTime::eDEFAULT_MODE, mFrameRate);
    motion_util::SetOptions(*options, {{Options::eImportAsOpticalSegments, Options::eOff},
                                       {Options::eImportSetOccludedToLastValidPosition, Options::eOn}});
    return options;
}

void KQelReaderAscension::CreateNodeArray(KArrayTemplate<KQelNode*>& pNodes)
{
    for (const std::unique_ptr<KNodeEntry>& entry : mNodeEntries) {
        KString name("Marker");
        name += entry->GetSensor();
        pNodes.Add(motion_util::CreateMarkerNode(mManager, name.Buffer()));
    }
}

bool KQelReaderAscension::CreateAnimation(KStreamOptionsMotion* pOptions, KArrayTemplate<KQelNode*>& pNodes,
                                          const KString& pTakeName)
{
    const int frameCount = pOptions->GetFrameCount();
    const KTime period = pOptions->GetFramePeriod();
    const bool hold = motion_util::IsOn(*pOptions, Options::eImportSetOccludedToLastValidPosition);
    const int nodeCount = pNodes.GetCount();
    if (!motion_util::FitsKeyBudget(frameCount, kCurvesPerSensor * static_cast<kLongLong>(nodeCount)))
        return false;
    for (int k = 0; k < nodeCount; ++k) {
        pOptions->UpdateProgress(nullptr, "Loading BRD animation frames in nodes",
                                 static_cast<float>(k * 100.0 / nodeCount));
        KQelNode* node = pNodes[k];
        const KNodeEntry& entry = *mNodeEntries[static_cast<size_t>(k)];
        node->CreateTakeNode(pTakeName.Buffer());
        node->SetCurrentTakeNode(pTakeName.Buffer());
        KQelTakeNode* take = node->GetCurrentTakeNode();
        KFCurve* curves[kCurvesPerSensor] = {take->GetTranslationX(),   take->GetTranslationY(),
                                             take->GetTranslationZ(),   take->GetEulerRotationX(),
                                             take->GetEulerRotationY(), take->GetEulerRotationZ(),
                                             take->GetOcclusion()};
        if (!motion_util::BeginKeys(curves, kCurvesPerSensor, frameCount))
            return false;
        int cursor = 0;
        double last[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
        KTime time = pOptions->GetStart();
        for (int j = 0; j < frameCount; ++j, time += period) {
            KQelVector4 position;
            KQelQuaternion rotation;
            double values[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
            const bool found = entry.FindFrameEntry(mFirstFrame + j, position, rotation, cursor);
            if (found) {
                KgeRMatrix matrix;
                const double q[4] = {rotation[0], rotation[1], rotation[2], rotation[3]};
                KmQtoR(matrix, q);
                KmRtoVXYZ(values + 3, matrix);
                for (int c = 0; c < 3; ++c)
                    values[c] = position[c];
            } else if (hold) {
                std::copy(last, last + 6, values);
            }
            std::copy(values, values + 6, last);
            for (int c = 0; c < 6; ++c)
                motion_util::SetReaderKey(*curves[c], j, time, static_cast<float>(values[c]));
            motion_util::SetReaderKey(*curves[6], j, time, found ? 0.0f : 1.0f, motion_util::eConstantKey);
        }
        motion_util::EndKeys(curves, kCurvesPerSensor, frameCount);
        motion_util::FilterRotation(curves[3], curves[4], curves[5]);
        motion_util::ReduceConstantKeys(curves, 3);
        motion_util::ReduceConstantKeys(curves + 3, 3);
        motion_util::ReduceConstantKeys(curves + 6, 1);
    }
    return true;
}

void KQelReaderAscension::InsertNodeArrayInScene(KStreamOptionsMotion* pOptions, KQelScene& pScene,
                                                 KArrayTemplate<KQelNode*>& pNodes)
{
    KQelNode* parent = motion_util::CreateReferenceNode(
        mManager, "BRD", motion_util::IsOn(*pOptions, Options::eImportAsOpticalSegments));
    for (int i = 0; i < pNodes.GetCount(); ++i)
        parent->AddChild(pNodes[i]);
    pScene.GetRootNode()->AddChild(parent);
}

bool KQelReaderAscension::Read(KQelScene& pScene, KStreamOptions* pOptions)
{
    KStreamOptionsMotion* options = ReadOptionsOf(pOptions);
    if (!options)
        return false;
    if (!LoadFileInfo()) {
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    const KString takeName = motion_util::TakeNameOf(mFileName.Buffer());
    KArrayTemplate<KQelNode*> nodes;
    CreateNodeArray(nodes);
    if (!CreateAnimation(options, nodes, takeName)) {
        motion_util::DestroyNodes(mManager, nodes);
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    InsertNodeArrayInScene(options, pScene, nodes);
    motion_util::SetReadTake(pScene, takeName, *options, true);
    return true;
}

// ---- KQelWriterAscension ----

KQelWriterAscension::KQelWriterAscension(KQelSdkManager& pManager) : KQelMotionFileWriter(pManager) {}

KStreamOptions* KQelWriterAscension::GetWriteOptions()
{
    KStreamOptionsMotion* options = KStreamOptionsMotionCreate();
    motion_util::SetOptions(*options, {{Options::eExportGapsAsValidData, Options::eOn},
                                       {Options::eExportFromGlobalPosition, Options::eOff}});
    return options;
}

void KQelWriterAscension::WriteNode(KQelNode* pNode, KTime pTime, int pFrame, int pSensor, bool pSkipOccluded)
{
    if (pSkipOccluded) {
        KQelTakeNode* take = pNode->GetCurrentTakeNode();
        KFCurve* occlusion = take ? take->GetOcclusion() : nullptr;
        if (occlusion && occlusion->Evaluate(pTime) >= 0.5f)
            return;
    }
    pNode->ComputeGlobalState(1, false);
    const KQelXMatrix& global = pNode->GetGlobalState();
    mFile->PrintLine(pFrame, pSensor, global.GetT(), global.GetQ(), pTime);
}

void KQelWriterAscension::WriteFrame(KArrayTemplate<KQelNode*>& pNodes, KTime pTime, int pFrame, bool pSkipOccluded)
{
    for (int k = 0; k < pNodes.GetCount(); ++k)
        WriteNode(pNodes[k], pTime, pFrame, k, pSkipOccluded);
}

bool KQelWriterAscension::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    KStreamOptionsMotion* options = WriteOptionsOf(pOptions);
    if (!options)
        return false;
    const int frameCount = options->GetFrameCount();
    const KTime period = options->GetFramePeriod();
    const bool skipOccluded = !motion_util::IsOn(*options, Options::eExportGapsAsValidData);
    KQelNode* root = motion_util::SamplingRoot(*this, pScene, *options);
    KArrayTemplate<KQelNode*> nodes;
    motion_util::CollectSelectedNodes(nodes, root);
    KTime time = options->GetStart();
    for (int i = 0; i < frameCount; ++i, time += period) {
        if (i % 64 == 0)
            options->UpdateProgress(nullptr, "Writing BRD animation frames",
                                    static_cast<float>(i * 100.0 / frameCount));
        motion_util::PinRoot(root, time);
        WriteFrame(nodes, time, i, skipOccluded);
    }
    if (!mFile->WriteOk()) {
        mError.SetLastErrorID(eOutOfDiskSpace);
        return false;
    }
    return true;
}

}  // namespace qelsdk_600
