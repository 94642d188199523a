// Take animation blocks: the "Takes" section of both layouts, time shifts
// and time warps of the reader, and the animated-channel table of the
// older-layout writer.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/kset.h"
#include "content/kqelgeometry.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvefilterconstantkeyreducer.h"
#include "curves/kfcurvefiltertimeshiftandscale.h"
#include "curves/kfcurvefilterunroll.h"
#include "curves/kfcurvekey.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurve_plotinlayers.h"
#include "curves/kfcurvesettings.h"
#include "file/iqelobject.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "object/kprogress.h"
#include "scene/kqelentity.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

using native_detail::ReadBlock;
using native_detail::WriteBlock;
using native_detail::WriteFieldC;
using native_detail::WriteFieldD;
using native_detail::WriteFieldTS;

const char kDashes[] = "----------------------------------------------------";

// Older takes keep material shininess on the material block's 0 to 100
// scale; the scene's curve holds shininess x 128.
const float kShininessToFile = 100.0f / 128.0f;
const float kShininessFromFile = 128.0f / 100.0f;

// Plotting a time warp or a layered node into plain keys takes at most this
// many samples per node; a longer interval is refused (about 92 hours at 30
// frames per second).
const double kMaxMergeSteps = 1e7;

void WriteSectionComments(KQel& pFile, const char* pTitle)
{
    pFile.WriteComments(pTitle);
    pFile.WriteComments(kDashes);
    pFile.WriteComments("");
}

// Channels of the animated-channel table: a channel name, and for colour and
// vector channels the three components of which any counts.
struct TableChannel {
    const char* mName;
    bool mVector;
};
const TableChannel kTextureChannels[KQelWriterQel::eTextureChannelCount] = {
    {"Translation", true}, {"Rotation", true}, {"Scaling", true}, {"Alpha", false}};
const TableChannel kMaterialChannels[KQelWriterQel::eMaterialChannelCount] = {
    {"Ambient", true}, {"Diffuse", true},   {"Specular", true},    {"Emissive", true},
    {"Opacity", false}, {"Shininess", false}, {"Reflectivity", false}};

// A record of the table: one flag per channel of its kind.
struct AnimatedChannelRecord {
    bool mFlags[KQelWriterQel::eMaterialChannelCount];
};

AnimatedChannelRecord* CollectChannels(KQelTakeNodeContainer& pObject, const TableChannel* pChannels, int pCount)
{
    AnimatedChannelRecord* record = new AnimatedChannelRecord();
    for (int i = 0; i < pCount; ++i) {
        const TableChannel& channel = pChannels[i];
        bool animated = false;
        if (channel.mVector) {
            for (const char* axis : {"X", "Y", "Z"})
                animated = animated || pObject.IsChannelAnimated(nullptr, channel.mName, axis);
        } else {
            animated = pObject.IsChannelAnimated(nullptr, nullptr, channel.mName);
        }
        record->mFlags[i] = animated;
    }
    return record;
}

void FreeRecords(KSet& pSet)
{
    for (int i = pSet.GetCount() - 1; i >= 0; --i)
        delete reinterpret_cast<AnimatedChannelRecord*>(pSet.GetFromIndex(i));
}

// The animatable objects of one kind of the scene's store, in order.
template <class F>
void ForEachStored(KQelScene& pScene, KQelEntity::EReferenceKind pKind, F pVisit)
{
    KQelEntity* entity = pScene.GetEntity();
    for (int i = 0, n = entity ? entity->GetReferenceCount(pKind) : 0; i < n; ++i) {
        if (auto* container = dynamic_cast<KQelTakeNodeContainer*>(entity->GetReferencedObject(pKind, i)))
            pVisit(*container);
    }
}

// The node of pCopy at the place pCurve's node has in pTree (both trees of
// one shape), with the time warps of pTree set on the copy on the way.
KFCurveNode* MatchAndWarp(KFCurveNode* pTree, KFCurveNode* pCopy, KFCurve* pCurve)
{
    if (!pTree || !pCopy)
        return nullptr;
    pCopy->TimeWarpSet(pTree->TimeWarpGet());
    KFCurveNode* found = pTree->FCurveGet() == pCurve ? pCopy : nullptr;
    for (int i = 0, n = pTree->GetCount(); i < n; ++i) {
        KFCurveNode* inChild = MatchAndWarp(pTree->Get(i), pCopy->Get(i), pCurve);
        found = found ? found : inChild;
    }
    return found;
}

// True when pCurve is a curve of pTree.
bool HoldsCurve(KFCurveNode* pTree, KFCurve* pCurve)
{
    if (pTree->FCurveGet() == pCurve)
        return true;
    for (int i = 0, n = pTree->GetCount(); i < n; ++i) {
        if (HoldsCurve(pTree->Get(i), pCurve))
            return true;
    }
    return false;
}

// Scales a curve's keys, tangents and default value.
void ScaleCurve(KFCurve& pCurve, float pFactor)
{
    pCurve.KeyScaleValueAndTangeant(false, pFactor);
    pCurve.SetValue(pCurve.GetValue() * pFactor);
}

// Every blank, then every tab, of a take name becomes "_"; ".tak" follows.
KString TakeFileName(const char* pTake)
{
    std::string name(pTake);
    for (char& c : name) {
        if (c == ' ' || c == '\t')
            c = '_';
    }
    return KString(name.c_str()) + ".tak";
}

// Only a regular file may hold a take: never a device, a pipe or a
// directory.
bool IsRegularFile(const char* pPath)
{
    struct stat status;
    return ::stat(pPath, &status) == 0 && S_ISREG(status.st_mode);
}

const KTime kStart = KTIME_INFINITE;
const KTime kStop = KTIME_MINUS_INFINITE;

}  // namespace

// ---- Writer: animated-channel table ----

void KQelWriterQel::FindAnimatedChannels(KQelScene& pScene)
{
    ForEachStored(pScene, KQelEntity::eTextures, [this](KQelTakeNodeContainer& pTexture) {
        mTextureAnimatedChannels.Add(reinterpret_cast<kReference>(static_cast<KQelObject*>(&pTexture)),
                                     reinterpret_cast<kReference>(
                                         CollectChannels(pTexture, kTextureChannels, eTextureChannelCount)));
    });
    ForEachStored(pScene, KQelEntity::eMaterials, [this](KQelTakeNodeContainer& pMaterial) {
        mMaterialAnimatedChannels.Add(reinterpret_cast<kReference>(static_cast<KQelObject*>(&pMaterial)),
                                      reinterpret_cast<kReference>(
                                          CollectChannels(pMaterial, kMaterialChannels, eMaterialChannelCount)));
    });
}

void KQelWriterQel::ClearAnimatedChannels()
{
    FreeRecords(mTextureAnimatedChannels);
    FreeRecords(mMaterialAnimatedChannels);
    mTextureAnimatedChannels.Clear();
    mMaterialAnimatedChannels.Clear();
}

const bool* KQelWriterQel::GetTextureAnimatedChannels(const KQelObject* pTexture) const
{
    auto* record = reinterpret_cast<AnimatedChannelRecord*>(
        mTextureAnimatedChannels.Get(reinterpret_cast<kReference>(pTexture)));
    return record ? record->mFlags : nullptr;
}

const bool* KQelWriterQel::GetMaterialAnimatedChannels(const KQelObject* pMaterial) const
{
    auto* record = reinterpret_cast<AnimatedChannelRecord*>(
        mMaterialAnimatedChannels.Get(reinterpret_cast<kReference>(pMaterial)));
    return record ? record->mFlags : nullptr;
}

// ---- Writer: takes ----

bool KQelWriterQel::WriteAnimation(KQelScene& pScene)
{
    KQel& file = File();
    WriteSectionComments(file, "Takes and animation section");
    const KString current = pScene.GetCurrentTakeName();
    KArrayTemplate<KString*> names;
    pScene.FillTakeNameArray(names);
    {
        WriteBlock takes(file, "Takes");
        WriteFieldC(file, "Current", current.Buffer());
        for (int i = 0; i < names.GetCount(); ++i)
            WriteTake(pScene, names[i]->Buffer());
    }
    for (int i = 0; i < names.GetCount(); ++i)
        delete names[i];
    // Writing made each take current in turn; the scene gets its own back.
    if (!current.IsEmpty())
        pScene.SetCurrentTake(current.Buffer());
    return true;
}

void KQelWriterQel::WriteTake(KQelScene& pScene, const char* pName)
{
    if (std::strcmp(pName, "Default") == 0)
        return;
    KQelTakeInfo* info = pScene.GetTakeInfo(pName);
    if (!info) {
        KQelTakeInfo fresh;
        fresh.mName = pName;
        pScene.SetTakeInfo(fresh);
        info = pScene.GetTakeInfo(pName);
    }
    if (!info || !info->mSelect)
        return;

    KQel& file = File();
    KQelNode* root = pScene.GetRootNode();
    KQelNode* switcher = pScene.GetCameraSwitcher();
    KQelEntity* entity = pScene.GetEntity();
    mExporter.ProgressUpdate(nullptr, (KString("Storing take ") + pName).Buffer(), nullptr, 0.0f);
    mNodeCount = 0;
    mNodeTotal = root->GetChildCount(true) + (entity ? entity->GetTextureCount() + entity->GetMaterialCount() : 0);

    WriteBlock take(file, "Take", pName);
    WriteFieldC(file, "FileName", TakeFileName(pName).Buffer());
    const KTimeSpan zero;
    if (info->mLocalTimeSpan == zero || info->mReferenceTimeSpan == zero) {
        KTime start = kStart;
        KTime stop = kStop;
        pScene.SetCurrentTake(pName);
        if (switcher)
            switcher->GetAnimationInterval(start, stop);
        root->GetAnimationInterval(start, stop);
        if (start > stop) {
            start.SetSecondDouble(0.0);
            stop.SetSecondDouble(1.0);
        }
        const KTimeSpan computed(start, stop);
        if (info->mLocalTimeSpan == zero)
            info->mLocalTimeSpan = computed;
        if (info->mReferenceTimeSpan == zero)
            info->mReferenceTimeSpan = computed;
    }
    WriteFieldTS(file, "LocalTime", info->mLocalTimeSpan);
    WriteFieldTS(file, "ReferenceTime", info->mReferenceTimeSpan);
    if (!info->mDescription.IsEmpty())
        WriteFieldC(file, "Comments", info->mDescription.Buffer());
    if (info->GetTakeThumbnail())
        WriteThumbnail(info->GetTakeThumbnail());

    WriteSectionComments(file, "Models animation");
    if (switcher)
        WriteTakeNode(*switcher, pName, "Model", false);
    WriteAnimation(*root, pName);
    WriteSectionComments(file, "Textures animation");
    ForEachStored(pScene, KQelEntity::eTextures, [&](KQelTakeNodeContainer& pTexture) {
        ReportTakeProgress();
        WriteTakeNode(pTexture, pName, "Texture", false);
    });
    WriteSectionComments(file, "Materials animation");
    ForEachStored(pScene, KQelEntity::eMaterials, [&](KQelTakeNodeContainer& pMaterial) {
        ReportTakeProgress();
        WriteTakeNode(pMaterial, pName, "Material", true);
    });
    KGetGlobalProgress()->UpdateSection(nullptr, nullptr);
}

void KQelWriterQel::ReportTakeProgress()
{
    const double percent = mNodeTotal > 0 ? mNodeCount * 100.0 / mNodeTotal : 0.0;
    mExporter.ProgressUpdate(nullptr, nullptr, nullptr, static_cast<float>(percent));
    ++mNodeCount;
}

bool KQelWriterQel::WriteAnimation(KQelNode& pNode, const char* pTake)
{
    ReportTakeProgress();
    native_detail::WalkBelow(pNode, [&](KQelNode* pChild) {
        WriteTakeNode(*pChild, pTake, "Model", false);
        ReportTakeProgress();
        return true;
    });
    return true;
}

bool KQelWriterQel::WriteTakeNode(KQelTakeNodeContainer& pObject, const char* pTake, const char* pField,
                                  bool pMaterial)
{
    // Looked up first: an object without the take is no failure of its own.
    int index = -1;
    for (int i = 0, n = pObject.GetTakeNodeCount(); i < n && index < 0; ++i) {
        const char* name = pObject.GetTakeNodeName(i);
        if (name && std::strcmp(name, pTake) == 0)
            index = i;
    }
    if (index < 0 || !pObject.SetCurrentTakeNode(index))
        return false;
    KQel& file = File();
    WriteBlock block(file, pField, pObject.GetName());
    WriteFieldD(file, "Version", 1.1);
    KQelTakeNode* take = pObject.GetCurrentTakeNode();
    if (!take || take == pObject.GetDefaultTakeNode())
        return true;
    KFCurveNode* root = take->GetKFCurveNode();
    KFCurve* shininess = pMaterial ? take->GetMaterialShininess() : nullptr;
    const bool older = mFile->IsBeforeVersion6();
    for (int i = 0, n = root ? root->GetCount() : 0; i < n; ++i) {
        KFCurveNode* channel = root->Get(i);
        if (!shininess || !HoldsCurve(channel, shininess)) {
            channel->QelStore(&file, false, true, true, "Channel", true, older);
            continue;
        }
        // Stored from a copy: scaling the scene's curve there and back
        // would not give its values back exactly.
        std::unique_ptr<KFCurveNode, void (*)(KFCurveNode*)> copy(channel->Copy(),
                                                                  [](KFCurveNode* p) { p->Destroy(); });
        KFCurveNode* scaled = MatchAndWarp(channel, copy.get(), shininess);
        if (scaled && scaled->FCurveGet())
            ScaleCurve(*scaled->FCurveGet(), kShininessToFile);
        copy->QelStore(&file, false, true, true, "Channel", true, older);
    }
    return true;
}

// ---- Reader: takes ----

namespace {

// Each name once, the first object of the store's order keeping it.
struct StoreIndex {
    std::unordered_map<std::string, KQelTakeNodeContainer*> mObjects;

    KQelTakeNodeContainer* Find(const char* pName) const
    {
        auto found = mObjects.find(pName);
        return found == mObjects.end() ? nullptr : found->second;
    }
};

// Holds one reference on each time warp of a set while a take is read and
// keeps the set installed for the curve store; afterwards a warp that no
// channel took ends.
class TimeWarpHold {
public:
    explicit TimeWarpHold(KSet& pSet)
    {
        for (int i = 0, n = pSet.GetCount(); i < n; ++i) {
            KFCurveNode* holder = KFCurveNodeCreate("TimeWarpHolder");
            holder->TimeWarpSet(reinterpret_cast<KFCurveNode*>(pSet.GetFromIndex(i)));
            mHolders.push_back(holder);
        }
        KFCurve_SetTWSet(&pSet);
    }
    ~TimeWarpHold()
    {
        KFCurve_SetTWSet(nullptr);
        for (KFCurveNode* holder : mHolders)
            holder->Destroy();
    }
    TimeWarpHold(const TimeWarpHold&) = delete;
    TimeWarpHold& operator=(const TimeWarpHold&) = delete;

private:
    std::vector<KFCurveNode*> mHolders;
};

// pA - pB in ticks; false when that does not fit.
bool SubtractTicks(kLongLong pA, kLongLong pB, kLongLong& pResult)
{
    const kLongLong kMax = std::numeric_limits<kLongLong>::max();
    const kLongLong kMin = std::numeric_limits<kLongLong>::min();
    if ((pB < 0 && pA > kMax + pB) || (pB > 0 && pA < kMin + pB))
        return false;
    pResult = pA - pB;
    return true;
}

// pTime moved by pShift, stopping at the infinite times.
KTime Shifted(KTime pTime, kLongLong pShift)
{
    kLongLong result = 0;
    if (pShift == std::numeric_limits<kLongLong>::min() || !SubtractTicks(pTime.Get(), -pShift, result))
        return pShift > 0 ? KTIME_INFINITE : KTIME_MINUS_INFINITE;
    return KTime(result);
}

// Samples that plotting [pStart, pStop] at pPeriod takes; above the limit
// when the interval cannot be plotted at all.
double MergeSteps(KTime pStart, KTime pStop, KTime pPeriod)
{
    if (pStop < pStart)
        return 0.0;
    if (pPeriod.Get() <= 0)
        return kMaxMergeSteps + 1.0;
    return (static_cast<double>(pStop.Get()) - static_cast<double>(pStart.Get())) /
           static_cast<double>(pPeriod.Get());
}

}  // namespace

// What the take reader finds objects by, built once per "Takes" section.
struct KQelReaderQel::TakeLookups {
    StoreIndex mTextures;
    StoreIndex mMaterials;
    StoreIndex mGenericNodes;
};

bool KQelReaderQel::ReadAnimation(KQelScene& pScene)
{
    bool result = true;
    KQel& file = File();
    {
        ReadBlock takes(file, "Takes");
        if (takes.IsOpen()) {
            mNodeIndexValid = false;
            TakeLookups lookups;
            ForEachStored(pScene, KQelEntity::eTextures, [&](KQelTakeNodeContainer& pObject) {
                lookups.mTextures.mObjects.emplace(pObject.GetName(), &pObject);
            });
            ForEachStored(pScene, KQelEntity::eMaterials, [&](KQelTakeNodeContainer& pObject) {
                lookups.mMaterials.mObjects.emplace(pObject.GetName(), &pObject);
            });
            for (int i = 0, n = pScene.GetGenericNodeCount(); i < n; ++i) {
                if (KQelGenericNode* node = pScene.GetGenericNode(i))
                    lookups.mGenericNodes.mObjects.emplace(node->GetName(), node);
            }
            mTakeLookups = &lookups;
            std::unordered_set<std::string> seen;
            while (file.FieldReadBegin("Take")) {
                const std::string name = file.FieldReadC();
                KQelTakeInfo* take = name.empty() ? nullptr : FindOptionTake(name.c_str());
                // A second block of one name would pour its channels into the
                // take nodes of the first.
                const bool fresh = seen.insert(name).second;
                if (take && take->mSelect && fresh && file.FieldReadBlockBegin()) {
                    if (ReadTakeAnimation(pScene, take))
                        pScene.SetTakeInfo(*take);
                    else
                        result = false;
                    file.FieldReadBlockEnd();
                    KGetGlobalProgress()->UpdateSection(nullptr, nullptr);
                }
                file.FieldReadEnd();
            }
            mTakeLookups = nullptr;
        }
    }
    if (pScene.GetTakeInfo(mOptions->mCurrentTakeName))
        pScene.SetCurrentTake(mOptions->mCurrentTakeName.Buffer());
    return result;
}

KQelTakeInfo* KQelReaderQel::FindOptionTake(const char* pName) const
{
    for (int i = 0, n = mOptions->mTakeInfo.GetCount(); i < n; ++i) {
        KQelTakeInfo* take = mOptions->mTakeInfo[i];
        if (take && take->mName == pName)
            return take;
    }
    return nullptr;
}

bool KQelReaderQel::ReadTakeAnimation(KQelScene& pScene, KQelTakeInfo* pTake)
{
    KQel& file = File();
    if (!file.FieldReadBegin("FileName")) {
        ReadNodeAnimation(file, pScene, pTake);
        return TimeShiftNodeAnimation(pScene, pTake);
    }
    const KString path = file.GetFullFilePath(file.FieldReadC());
    file.FieldReadEnd();
    KQel takeFile;
    const bool regular = IsRegularFile(path.Buffer());
    if (regular && takeFile.ProjectOpenDirect(path.Buffer(), false, true, nullptr)) {
        ReadNodeAnimation(takeFile, pScene, pTake);
        takeFile.ProjectClose();
    } else if (file.GetHeaderVersion() > 1999) {
        // Files of this system keep the take's content in its block.
        ReadNodeAnimation(file, pScene, pTake);
    } else {
        // The text names the take file: the field file's own text is empty
        // when the open was never tried.
        const int id = takeFile.GetLastErrorID();
        const int own = id == KQel::eFileCorrupted ? eFileCorrupted
                        : id == KQel::eFileNotOpened ? eFileNotOpened
                                                     : eUnidentifiedError;
        KString text = KString("Cannot read the take file \"") + path + "\": ";
        if (!regular)
            text += "it is missing or not a regular file.";
        else if (*takeFile.GetLastErrorString())
            text += takeFile.GetLastErrorString();
        else
            text += "it could not be opened.";
        mError.SetLastError(own, text.Buffer());
        return false;
    }
    return TimeShiftNodeAnimation(pScene, pTake);
}

bool KQelReaderQel::ReadNodeAnimation(KQel& pFile, KQelScene& pScene, KQelTakeInfo* pTake)
{
    KSet warps(20);
    ReadTimeWarps(pFile, warps);
    TimeWarpHold hold(warps);

    const double total = pFile.FieldGetInstanceCount("Model") + pFile.FieldGetInstanceCount("Texture") +
                         pFile.FieldGetInstanceCount("Material");
    int done = 0;
    auto progress = [&]() {
        mImporter.ProgressUpdate(nullptr, nullptr, nullptr, static_cast<float>(total > 0 ? 100.0 * done / total : 0.0));
        ++done;
    };
    mImporter.ProgressUpdate(nullptr, (KString("Retrieving take ") + pTake->mImportName).Buffer(), nullptr, 0.0f);
    pTake->SetTakeThumbnail(ReadThumbnail());

    KQelNode* root = pScene.GetRootNode();
    const native_detail::NodeNameIndex& nodes = NodeIndex(*root);
    const bool older = mFile->IsBeforeVersion6();
    while (pFile.FieldReadBegin("Model")) {
        progress();
        const KString name = pFile.FieldReadC();
        KQelNode* node = name == "Camera Switcher" || name == "Model::Camera Switcher" ? pScene.GetCameraSwitcher()
                                                                                        : nodes.Find(name.Buffer());
        KQelTakeNode* take = node ? ReadObjectAnimation(pFile, *node, *pTake, true) : nullptr;
        KQelGeometry* geometry = take && older ? node->GetGeometry() : nullptr;
        if (geometry)
            geometry->CleanShapeChannels(take);
        pFile.FieldReadEnd();
    }
    const struct {
        const char* mField;
        StoreIndex TakeLookups::*mIndex;
        bool mProgress;
    } kinds[] = {{"GenericNode", &TakeLookups::mGenericNodes, false},
                 {"Texture", &TakeLookups::mTextures, true},
                 {"Material", &TakeLookups::mMaterials, true}};
    // Older files of section 3000 on keep material shininess on the 0 to 100
    // scale of the material block.
    const bool scaleShininess = older && pFile.ProjectGetSectionVersion(pFile.ProjectGetCurrentSection()) >= 3000;
    for (const auto& kind : kinds) {
        const bool material = kind.mIndex == &TakeLookups::mMaterials;
        while (pFile.FieldReadBegin(kind.mField)) {
            if (kind.mProgress)
                progress();
            const char* name = pFile.FieldReadC();
            KQelTakeNodeContainer* object = mTakeLookups ? (mTakeLookups->*kind.mIndex).Find(name) : nullptr;
            KQelTakeNode* take = object ? ReadObjectAnimation(pFile, *object, *pTake, kind.mProgress) : nullptr;
            KFCurve* shininess = take && material && scaleShininess ? take->GetMaterialShininess() : nullptr;
            if (shininess)
                ScaleCurve(*shininess, kShininessFromFile);
            pFile.FieldReadEnd();
        }
    }
    return true;
}

KQelTakeNode* KQelReaderQel::ReadObjectAnimation(KQel& pFile, KQelTakeNodeContainer& pObject, KQelTakeInfo& pTake,
                                                 bool pMerge)
{
    // A take node of that name already there (a second take of one import
    // name, or "Default") is not written into.
    KQelTakeNode* take = pObject.CreateTakeNode(pTake.mImportName.Buffer());
    if (!take)
        return nullptr;
    pObject.SetCurrentTakeNode(pTake.mImportName.Buffer());
    if (pFile.FieldReadBlockBegin()) {
        ReadAnimation(pFile, take->GetKFCurveNode());
        if (pMerge && mOptions->GetOption(KStreamOptionsQel::eMergeLayerAndTimeWarp) &&
            !MergeLayerAndTimeWarp(take->GetKFCurveNode(), nullptr))
            MarkCorruptData(pObject.GetName(), "TimeWarp");
        pFile.FieldReadBlockEnd();
    }
    pObject.SetCurrentTakeNode(0);
    return take;
}

void KQelReaderQel::ReadAnimation(KQel& pFile, KFCurveNode* pNode)
{
    while (KFCurveNodeCreate(&pFile, pNode, false, true, false)) {
    }
}

// ---- Reader: time shift and time warps ----

bool KQelReaderQel::TimeShiftNodeAnimation(KQelScene& pScene, KQelTakeInfo* pTake)
{
    const char* take = pTake->mImportName.Buffer();
    pScene.SetCurrentTake(take);
    KQelNode* switcher = pScene.GetCameraSwitcher();
    KQelNode* root = pScene.GetRootNode();
    kLongLong shift = pTake->mImportOffset.Get();
    bool apply = true;
    if (pTake->mImportOffsetType != 1) {
        KTime start = kStart;
        KTime stop = kStop;
        if (switcher)
            switcher->GetAnimationInterval(start, stop);
        root->GetAnimationInterval(start, stop);
        ForEachStored(pScene, KQelEntity::eMaterials,
                      [&](KQelTakeNodeContainer& pObject) { pObject.GetAnimationInterval(start, stop); });
        ForEachStored(pScene, KQelEntity::eTextures,
                      [&](KQelTakeNodeContainer& pObject) { pObject.GetAnimationInterval(start, stop); });
        // Without a key there is no start to move; a shift that does not fit
        // moves nothing either.
        apply = start <= stop && SubtractTicks(pTake->mImportOffset.Get(), start.Get(), shift);
    }
    if (apply && shift != 0) {
        KFCurveFilterTimeShiftAndScale filter;
        filter.SetStartTime(KTIME_MINUS_INFINITE);
        filter.SetStopTime(KTIME_INFINITE);
        filter.SetShift(KTime(shift));
        // Only the take itself moves: an object without it has Default
        // current, which stays as it is.
        auto shiftObject = [&](KQelTakeNodeContainer& pObject) {
            KQelTakeNode* current = pObject.GetCurrentTakeNode();
            if (current && current != pObject.GetDefaultTakeNode() && current->GetKFCurveNode())
                filter.Apply(*current->GetKFCurveNode(), true);
        };
        if (switcher)
            shiftObject(*switcher);
        KQelEntity* entity = pScene.GetEntity();
        for (int i = 0, n = entity ? entity->GetNodeCount() : 0; i < n; ++i) {
            KQelNode* node = entity->GetNode(i);
            if (node && node != switcher)
                shiftObject(*node);
        }
        ForEachStored(pScene, KQelEntity::eMaterials, shiftObject);
        ForEachStored(pScene, KQelEntity::eTextures, shiftObject);
        pTake->mLocalTimeSpan.Set(Shifted(pTake->mLocalTimeSpan.GetStart(), shift),
                                  Shifted(pTake->mLocalTimeSpan.GetStop(), shift));
    }
    pScene.SetCurrentTake("Default");
    return true;
}

void KQelReaderQel::ReadTimeWarps(KQel& pFile, KSet& pSet)
{
    ReadBlock block(pFile, "TimeWarps");
    if (!block.IsOpen())
        return;
    pFile.FieldReadI("Version", 0);
    std::unordered_set<int> numbers;
    for (int i = 0, n = pSet.GetCount(); i < n; ++i) {
        kReference number = 0;
        pSet.GetFromIndex(i, &number);
        numbers.insert(static_cast<int>(number));
    }
    while (pFile.FieldReadBegin("TW")) {
        const int number = pFile.FieldReadI();
        if (pFile.FieldReadBlockBegin()) {
            if (KFCurveNode* warp = KFCurveNodeCreate(&pFile, false, false)) {
                // The first node of a number stays.
                if (numbers.insert(number).second)
                    pSet.Add(number, reinterpret_cast<kReference>(warp));
                else
                    warp->Destroy();
            }
            pFile.FieldReadBlockEnd();
        }
        pFile.FieldReadEnd();
    }
}

bool KQelReaderQel::MergeLayerAndTimeWarp(KFCurveNode* pNode, KFCurveNode* pTimeWarp)
{
    if (!pNode)
        return true;
    KFCurveNode* effective = pNode->TimeWarpGet() ? pNode->TimeWarpGet() : pTimeWarp;
    bool merged = false;
    bool baked = true;
    if (pNode->LayerGet()) {
        merged = baked = MergeTimeWarpWithLayer(pNode, effective);
    } else {
        if (pTimeWarp)
            merged = baked = MergeTimeWarpWithoutLayer(pNode, effective);
        for (int i = 0, n = pNode->GetCount(); i < n; ++i)
            baked = MergeLayerAndTimeWarp(pNode->Get(i), effective) && baked;
    }
    if (merged) {
        KFCURVE_ApplyRotationFilter(pNode, KTIME_MINUS_INFINITE, KTIME_INFINITE);
        if (KFCURVE_GetUseConstantKeyReducer()) {
            KFCurveFilterConstantKeyReducer reducer;
            reducer.Apply(*pNode, true);
        }
    }
    return baked;
}

bool KQelReaderQel::MergeTimeWarpWithLayer(KFCurveNode* pNode, KFCurveNode* pTimeWarp)
{
    KTime start = kStart;
    KTime stop = kStop;
    (pTimeWarp ? pTimeWarp : pNode)->GetAnimationInterval(start, stop);
    const KTime period = KFCURVE_GetPlotPeriod();
    if (MergeSteps(start, stop, period) > kMaxMergeSteps)
        return false;
    KFCurve_PlotInLayers(pNode, nullptr, 0, kFCurvePlotReplaceCurves, start, stop, period, nullptr, nullptr, true,
                         nullptr);
    return true;
}

bool KQelReaderQel::MergeTimeWarpWithoutLayer(KFCurveNode* pNode, KFCurveNode* pTimeWarp)
{
    KFCurve* curve = pNode->FCurveGet();
    if (!curve) {
        pNode->TimeWarpSet(nullptr);
        return true;
    }
    KFCurve* warpCurve = pTimeWarp ? pTimeWarp->FCurveGet() : nullptr;
    if (warpCurve && curve->KeyGetCount() > 1 && warpCurve->KeyGetCount() > 1) {
        KTime start = kStart;
        KTime stop = kStop;
        pTimeWarp->GetAnimationInterval(start, stop);
        const KTime period = KFCURVE_GetPlotPeriod();
        const double steps = MergeSteps(start, stop, period);
        if (steps > kMaxMergeSteps)
            return false;
        std::unique_ptr<KFCurve, void (*)(KFCurve*)> plotted(KFCurveCreate(), [](KFCurve* p) { p->Destroy(); });
        plotted->SetColor(curve->GetColor());
        std::vector<double> warped(static_cast<std::size_t>(std::max(1, pTimeWarp->GetValueCount())));
        std::vector<double> value(static_cast<std::size_t>(std::max(1, pNode->GetValueCount())));
        const kLongLong count = static_cast<kLongLong>(std::ceil(steps));
        for (kLongLong i = 0; i < count; ++i) {
            const KTime t(start.Get() + i * period.Get());
            pTimeWarp->CandidateEvaluate(warped.data(), t);
            KTime at;
            at.SetSecondDouble(warped[0]);
            pNode->Evaluate(value.data(), at);
            KFCurveKey key;
            key.Set(t, static_cast<float>(value[0]), kFCurveInterpolationCubic, kFCurveTangentAuto, 0.0f, 0.0f, 0,
                    kFCurveDefaultWeight, kFCurveDefaultWeight, 0.0f, 0.0f);
            plotted->KeyAdd(t, key);
        }
        curve->CopyFrom(*plotted, true);
    }
    pNode->TimeWarpSet(nullptr);
    return true;
}

}  // namespace qelsdk_600
