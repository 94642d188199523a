#include "motion/kqelmotionmov.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "content/kqelmarker.h"
#include "curves/kfcurve.h"
#include "io/kstreamoptionsmotion.h"
#include "math/kqelmatrix.h"
#include "scene/kqelnode.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

using Options = KStreamOptionsMotion;

const char kType[] = "MOV";
const char kDel[] = " \t\r\n";
const char kCom[] = "";
// Rows sampled for the rate estimate.
const int kRateRows = 10;
const KStreamOptionsMotion::EOption kGroupOptions[3] = {Options::eTranslation, Options::eRotation, Options::eScaling};

}  // namespace

// ---- KQelFilePellacordMov ----

KQelFilePellacordMov::KQelFilePellacordMov()
    : KTextFile(kType, kDel, kCom, true, false), mInfinite(false), mWriteFailed(false)
{
}

bool KQelFilePellacordMov::GetRowCount(int& pCount)
{
    if (!FirstLine())
        return false;
    int count = 1;
    while (count < INT_MAX && NextLine())
        ++count;
    pCount = count;
    return true;
}

bool KQelFilePellacordMov::GetColumnCount(int& pCount)
{
    if (!FirstLine())
        return false;
    int count = 0;
    double value = 0.0;
    while (count < INT_MAX && GetDouble(value)) {
        if (!std::isfinite(value))
            return false;
        ++count;
    }
    if (*GetCursor() != '\0')
        return false;
    pCount = count;
    return true;
}

bool KQelFilePellacordMov::ReadRow(double* pValues, int pCount, bool pFirst, int* pRead)
{
    mInfinite = false;
    if (!(pFirst ? FirstLine() : NextLine()))
        return false;
    int read = 0;
    while (read < pCount && GetDouble(pValues[read])) {
        if (!std::isfinite(pValues[read])) {
            mInfinite = true;
            return false;
        }
        ++read;
    }
    std::fill(pValues + read, pValues + pCount, 0.0);
    if (pRead)
        *pRead = read;
    return true;
}

void KQelFilePellacordMov::PrintValue(double pValue)
{
    mWriteFailed |= !Print(0, "%g\t", motion_util::PrintedValue(pValue));
}

void KQelFilePellacordMov::PrintRowEnd()
{
    mWriteFailed |= !Print(0, "\n");
}

// ---- KQelReaderPellacordMov ----

// Values of every row, as many as each row held, one after another; row r
// begins at mStart[r].
struct KQelReaderPellacordMov::Rows {
    std::vector<double> mValues;
    std::vector<size_t> mStart;
    int GetCount() const { return static_cast<int>(mStart.size()); }
    double Get(int pRow, int pColumn) const
    {
        const size_t at = mStart[static_cast<size_t>(pRow)] + static_cast<size_t>(pColumn);
        const size_t end = pRow + 1 < GetCount() ? mStart[static_cast<size_t>(pRow) + 1] : mValues.size();
        return at < end ? mValues[at] : 0.0;
    }
};

KQelReaderPellacordMov::KQelReaderPellacordMov(KQelSdkManager& pManager) : KQelMotionFileReader(pManager) {}

KStreamOptions* KQelReaderPellacordMov::GetReadOptions(bool)
{
    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        return nullptr;
    }
    int columns = 0;
    int rows = 0;
    if (!mFile->GetColumnCount(columns) || !mFile->GetRowCount(rows)) {
        mError.SetLastErrorID(eFileCorrupted);
        return nullptr;
    }
    double times[kRateRows] = {};
    const int sampled = std::min(rows, kRateRows);
    for (int i = 0; i < sampled; ++i) {
        if (!mFile->ReadRow(times + i, 1, i == 0)) {
            mError.SetLastErrorID(eFileCorrupted);
            return nullptr;
        }
    }
    double rate = 0.0;
    for (int i = 1; i < sampled; ++i) {
        // Equal or falling times give nothing to divide by.
        if (!(times[i] > times[0]) || !(times[i] > times[i - 1]))
            continue;
        rate = rate > 0.0 ? (rate + 1.0 / (times[i] - times[i - 1])) * 0.5 : 1.0 / (times[i] - times[0]);
    }
    KStreamOptionsMotion* options = KStreamOptionsMotionCreate();
    KTime start;
    start.SetSecondDouble(sampled > 0 ? times[0] : 0.0);
    options->SetStart(start);
    options->SetFrameCount(rows);
    if (rate > 0.0)
        options->SetTimeMode(KTime::eDEFAULT_MODE, rate);
    else
        options->SetTimeMode(KTime::GetGlobalTimeMode(), 0.0);
    motion_util::SetOptions(*options, {{Options::eTranslation, Options::eOn},
                                       {Options::eRotation, Options::eOn},
                                       {Options::eScaling, Options::eOn},
                                       {Options::eImportAsOpticalSegments, Options::eOff}});
    return options;
}

void KQelReaderPellacordMov::CreateNodeArray(KArrayTemplate<KQelNode*>& pNodes, int pCount)
{
    for (int i = 0; i < pCount; ++i) {
        KString name("Marker");
        name += i;
        pNodes.Add(motion_util::CreateMarkerNode(mManager, name.Buffer()));
    }
}

bool KQelReaderPellacordMov::CreateAnimation(KStreamOptionsMotion* pOptions, KArrayTemplate<KQelNode*>& pNodes,
                                             const KString& pTakeName, const Rows& pRows, const bool* pGroups)
{
    const int rowCount = pRows.GetCount();
    const KTime period = pOptions->GetFramePeriod();
    const int nodeCount = pNodes.GetCount();
    int column = 1;
    for (int i = 0; i < nodeCount; ++i) {
        pOptions->UpdateProgress(nullptr, "Loading MOV animation frames in nodes",
                                 static_cast<float>(50.0 + i * 50.0 / nodeCount));
        KQelNode* node = pNodes[i];
        node->CreateTakeNode(pTakeName.Buffer());
        node->SetCurrentTakeNode(pTakeName.Buffer());
        KQelTakeNode* take = node->GetCurrentTakeNode();
        KFCurve* all[3][3] = {{take->GetTranslationX(), take->GetTranslationY(), take->GetTranslationZ()},
                              {take->GetEulerRotationX(), take->GetEulerRotationY(), take->GetEulerRotationZ()},
                              {take->GetScaleX(), take->GetScaleY(), take->GetScaleZ()}};
        for (int group = 0; group < 3; ++group) {
            if (!pGroups[group])
                continue;
            KFCurve** curves = all[group];
            if (!motion_util::BeginKeys(curves, 3, rowCount))
                return false;
            KTime time = pOptions->GetStart();
            for (int r = 0; r < rowCount; ++r, time += period) {
                for (int k = 0; k < 3; ++k)
                    motion_util::SetReaderKey(*curves[k], r, time, static_cast<float>(pRows.Get(r, column + k)));
            }
            column += 3;
            motion_util::EndKeys(curves, 3, rowCount);
            if (group == 1)
                motion_util::FilterRotation(curves[0], curves[1], curves[2]);
            motion_util::ReduceConstantKeys(curves, 3);
        }
    }
    return true;
}

KQelNode* KQelReaderPellacordMov::InsertNodeArrayInScene(KStreamOptionsMotion* pOptions, KQelScene& pScene,
                                                         KArrayTemplate<KQelNode*>& pNodes)
{
    KQelNode* parent = motion_util::CreateReferenceNode(
        mManager, "MOV", motion_util::IsOn(*pOptions, Options::eImportAsOpticalSegments));
    for (int i = 0; i < pNodes.GetCount(); ++i)
        parent->AddChild(pNodes[i]);
    pScene.GetRootNode()->AddChild(parent);
    return parent;
}

bool KQelReaderPellacordMov::Read(KQelScene& pScene, KStreamOptions* pOptions)
{
    KStreamOptionsMotion* options = ReadOptionsOf(pOptions);
    if (!options)
        return false;
    int columns = 0;
    if (!mFile->GetColumnCount(columns)) {
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    const int frameCount = options->GetFrameCount();
    bool groups[3];
    int groupCount = 0;
    for (int g = 0; g < 3; ++g) {
        groups[g] = motion_util::IsOn(*options, kGroupOptions[g]);
        groupCount += groups[g] ? 1 : 0;
    }
    if (groupCount == 0) {
        mError.SetLastError(eUnidentifiedError, "No animation to import.");
        return false;
    }
    // Rows are kept as long as they were read; each still costs a whole row
    // of keys.
    Rows rows;
    std::vector<double> row(static_cast<size_t>(columns));
    for (int r = 0; r < frameCount; ++r) {
        options->UpdateProgress(nullptr, "Reading MOV animation frames", static_cast<float>(r * 50.0 / frameCount));
        int read = 0;
        if (!mFile->ReadRow(row.data(), columns, r == 0, &read)) {
            if (r > 0 && !mFile->HadInfinite())
                break;
            mError.SetLastErrorID(eFileCorrupted);
            return false;
        }
        if (!motion_util::FitsKeyBudget(r + 1, columns)) {
            mError.SetLastError(eFileCorrupted, "File is corrupted: its rows hold more keys than one read may make");
            return false;
        }
        rows.mStart.push_back(rows.mValues.size());
        rows.mValues.insert(rows.mValues.end(), row.begin(), row.begin() + read);
    }
    const int markers = columns > 0 ? (columns - 1) / (3 * groupCount) : 0;
    const KString takeName = motion_util::TakeNameOf(mFileName.Buffer());
    KArrayTemplate<KQelNode*> nodes;
    CreateNodeArray(nodes, markers);
    if (!CreateAnimation(options, nodes, takeName, rows, groups)) {
        motion_util::DestroyNodes(mManager, nodes);
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    InsertNodeArrayInScene(options, pScene, nodes);
    motion_util::SetReadTake(pScene, takeName, *options, true);
    return true;
}

// ---- KQelWriterPellacordMov ----

KQelWriterPellacordMov::KQelWriterPellacordMov(KQelSdkManager& pManager) : KQelMotionFileWriter(pManager) {}

KStreamOptions* KQelWriterPellacordMov::GetWriteOptions()
{
    KStreamOptionsMotion* options = KStreamOptionsMotionCreate();
    motion_util::SetOptions(*options, {{Options::eTranslation, Options::eOn},
                                       {Options::eRotation, Options::eOn},
                                       {Options::eScaling, Options::eOn},
                                       {Options::eExportFromGlobalPosition, Options::eOff}});
    return options;
}

void KQelWriterPellacordMov::FillNodeArray(KArrayTemplate<KQelNode*>& pNodes, KQelNode* pNode)
{
    motion_util::CollectSelectedNodes(pNodes, pNode);
}

void KQelWriterPellacordMov::WriteNode(KQelNode* pNode, KTime, bool pTranslation, bool pRotation, bool pScaling)
{
    pNode->ComputeGlobalState(1, false);
    const KQelXMatrix& global = pNode->GetGlobalState();
    const bool groups[3] = {pTranslation, pRotation, pScaling};
    const KQelVector4 values[3] = {global.GetT(), global.GetR(), global.GetS()};
    for (int g = 0; g < 3; ++g) {
        for (int k = 0; k < 3 && groups[g]; ++k)
            mFile->PrintValue(values[g][k]);
    }
}

void KQelWriterPellacordMov::WriteFrame(KArrayTemplate<KQelNode*>& pNodes, KTime pTime, bool pTranslation,
                                        bool pRotation, bool pScaling)
{
    mFile->PrintValue(pTime.GetSecondDouble());
    for (int i = 0; i < pNodes.GetCount(); ++i)
        WriteNode(pNodes[i], pTime, pTranslation, pRotation, pScaling);
    mFile->PrintRowEnd();
}

bool KQelWriterPellacordMov::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    KStreamOptionsMotion* options = WriteOptionsOf(pOptions);
    if (!options)
        return false;
    const int frameCount = options->GetFrameCount();
    const KTime period = options->GetFramePeriod();
    bool groups[3];
    for (int g = 0; g < 3; ++g)
        groups[g] = motion_util::IsOn(*options, kGroupOptions[g]);
    if (!groups[0] && !groups[1] && !groups[2]) {
        mError.SetLastError(eFileNotCreated, "No animation to export.");
        return false;
    }
    KQelNode* top = motion_util::SamplingRoot(*this, pScene, *options);
    KArrayTemplate<KQelNode*> nodes;
    FillNodeArray(nodes, top);
    KTime time = options->GetStart();
    for (int i = 0; i < frameCount; ++i, time += period) {
        if (i % 64 == 0)
            options->UpdateProgress(nullptr, "Writing MOV animation frames",
                                    static_cast<float>(i * 100.0 / frameCount));
        motion_util::PinRoot(top, time);
        WriteFrame(nodes, time, groups[0], groups[1], groups[2]);
    }
    if (!mFile->WriteOk()) {
        mError.SetLastErrorID(eOutOfDiskSpace);
        return false;
    }
    return true;
}

}  // namespace qelsdk_600
