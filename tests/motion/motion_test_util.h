// Shared by the marker-format tests: data paths, reading a file into a
// fresh scene through the importer, and looking at the curves made.
#ifndef QELSDK_TESTS_MOTION_MOTION_TEST_UTIL_H
#define QELSDK_TESTS_MOTION_MOTION_TEST_UTIL_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/scratch_dir.h"
#include "content/kqelmarker.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvesettings.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsmotion.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelskeleton.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace motiontest {

// The scratch helpers beside this file's, for tests that use the namespace.
using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;

inline std::string DataFile(const std::string& pRelative)
{
    return std::string(QEL_TEST_DATA_DIR) + "/" + pRelative;
}

// Seconds as ticks.
inline KTime Seconds(double pSeconds)
{
    KTime time;
    time.SetSecondDouble(pSeconds);
    return time;
}

// A manager with one scene.
struct Fixture {
    KQelSdkManager mManager;
    KQelScene* mScene = mManager.CreateKQelScene();
};

// Tests of one format: a scene, a scratch folder, and one key per frame
// (the constant key reducer off while the test runs).
class MarkerTest : public ::testing::Test {
protected:
    void SetUp() override { KFCURVE_SetUseConstantKeyReducer(false); }
    void TearDown() override { KFCURVE_SetUseConstantKeyReducer(true); }
    Fixture mFixture;
    scratch::ScratchDir mDir;
};

// Keys as read: neither the reducer nor the rotation filter runs.
class RawKeysTest : public MarkerTest {
protected:
    void SetUp() override
    {
        MarkerTest::SetUp();
        KFCURVE_SetRotationFilterToApply(0);
    }
    void TearDown() override
    {
        MarkerTest::TearDown();
        KFCURVE_SetRotationFilterToApply(2);
    }
};

// pText with the first pFrom replaced by pTo (unchanged without one).
inline std::string Replaced(std::string pText, const std::string& pFrom, const std::string& pTo)
{
    const size_t at = pText.find(pFrom);
    return at == std::string::npos ? pText : pText.replace(at, pFrom.size(), pTo);
}

// What a read through the importer gave.
struct ReadResult {
    bool mRead = false;
    bool mOpened = false;
    int mReaderError = -1;
    KTime mStart;
    int mFrameCount = 0;
    double mFrameRate = 0.0;
    KTime::ETimeMode mTimeMode = KTime::eDEFAULT_MODE;
};

// Options edits applied between GetImportOptions and Import.
typedef void (*OptionsEdit)(KStreamOptionsMotion& pOptions);

// Opens pPath as format pFormat, gets its options, lets pEdit change them
// and reads it into pScene.
inline ReadResult ReadFile(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pPath, int pFormat,
                           OptionsEdit pEdit = nullptr)
{
    ReadResult result;
    KQelImporter importer(pManager);
    importer.SetFileFormat(static_cast<KQelImporter::EFileFormat>(pFormat));
    importer.Initialize(pPath.c_str());
    result.mOpened = importer.FileOpen();
    if (!result.mOpened)
        return result;
    KStreamOptions* options = importer.GetImportOptions();
    if (!options)
        return result;
    KStreamOptionsMotion& motion = *static_cast<KStreamOptionsMotion*>(options);
    if (pEdit)
        pEdit(motion);
    result.mStart = motion.GetStart();
    result.mFrameCount = motion.GetFrameCount();
    result.mFrameRate = motion.GetFrameRate();
    result.mTimeMode = motion.GetTimeMode();
    result.mRead = importer.Import(pScene, options);
    importer.ReleaseImportOptions(options);
    return result;
}

// The reference node the read made (the root's only child), or null.
inline KQelNode* Reference(KQelScene& pScene)
{
    KQelNode* root = pScene.GetRootNode();
    return root->GetChildCount() == 1 ? root->GetChild(0) : nullptr;
}

// The name of a node without "Model::".
inline std::string ShortName(KQelNode* pNode)
{
    return pNode ? std::string(pNode->GetNameWithoutNameSpacePrefix().Buffer()) : std::string();
}

// A marker's samples in its current take: x, y, z and occlusion per key.
struct Track {
    std::vector<KTime> mTimes;
    std::vector<double> mX, mY, mZ, mOcclusion;
};

// The curves of a marker evaluated at n frames from pStart every pPeriod
// (keys may have been reduced, so values are read by evaluation).
inline Track Sample(KQelNode* pNode, KTime pStart, KTime pPeriod, int pCount)
{
    Track track;
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    KFCurve* curves[4] = {take->GetTranslationX(), take->GetTranslationY(), take->GetTranslationZ(),
                          take->GetOcclusion()};
    std::vector<double>* outs[4] = {&track.mX, &track.mY, &track.mZ, &track.mOcclusion};
    KTime time = pStart;
    for (int f = 0; f < pCount; ++f, time += pPeriod) {
        track.mTimes.push_back(time);
        for (int k = 0; k < 4; ++k)
            outs[k]->push_back(curves[k] ? curves[k]->Evaluate(time) : -1.0);
    }
    return track;
}

// Writes the scene as pFormat through the exporter with pCount frames at
// pRate from pStart; pEdit may change the options further.
inline bool WriteFile(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pPath, int pFormat,
                      KTime pStart, int pCount, double pRate, OptionsEdit pEdit = nullptr,
                      std::string* pError = nullptr)
{
    KQelExporter exporter(pManager);
    exporter.SetFileFormat(static_cast<KQelExporter::EFileFormat>(pFormat));
    exporter.Initialize(pPath.c_str());
    KStreamOptions* options = exporter.GetExportOptions();
    if (!options)
        return false;
    KStreamOptionsMotion& motion = *static_cast<KStreamOptionsMotion*>(options);
    motion.SetStart(pStart);
    motion.SetFrameCount(pCount);
    motion.SetTimeMode(KTime::eDEFAULT_MODE, pRate);
    if (pEdit)
        pEdit(motion);
    const bool written = exporter.Export(pScene, options);
    if (pError)
        *pError = exporter.GetLastErrorString();
    exporter.ReleaseExportOptions(options);
    return written;
}

// A new optical marker node under pParent at pPosition, selected or not,
// with a current take "Take".
inline KQelNode* AddMarkerNode(KQelSdkManager& pManager, KQelNode* pParent, const char* pName, bool pSelected,
                               const KQelVector4& pPosition = KQelVector4())
{
    KQelNode* node = pManager.CreateKQelNode(pName);
    KQelMarker* marker = pManager.CreateKQelMarker();
    marker->SetType(KQelMarker::eOptical);
    node->SetNodeAttribute(marker);
    node->SetSelected(pSelected);
    node->SetDefaultT(pPosition);
    pParent->AddChild(node);
    node->CreateTakeNode("Take");
    node->SetCurrentTakeNode("Take");
    return node;
}

// A new limb node under pParent at pOffset, with a current take "Take".
inline KQelNode* AddLimbNode(KQelSdkManager& pManager, KQelNode* pParent, const char* pName,
                             const KQelVector4& pOffset)
{
    KQelNode* node = pManager.CreateKQelNode(pName);
    KQelSkeleton* skeleton = pManager.CreateKQelSkeleton();
    skeleton->SetSkeletonType(KQelSkeleton::eLimbNode);
    node->SetNodeAttribute(skeleton);
    node->SetDefaultT(pOffset);
    pParent->AddChild(node);
    node->CreateTakeNode("Take");
    node->SetCurrentTakeNode("Take");
    return node;
}

// Adds a key at pTime: cubic with automatic tangents, or constant holding
// its own value until the next key.
inline void AddKey(KFCurve* pCurve, KTime pTime, float pValue, bool pConstant = false)
{
    KFCurveKey key;
    if (pConstant)
        key.Set(pTime, pValue, kFCurveInterpolationConstant, kFCurveConstantStandard);
    else
        key.Set(pTime, pValue);
    pCurve->KeyAdd(pTime, key);
}

// Reads pPath with a Reader under options of pFrames frames in pMode:
// the read must fail with "File is corrupted" and leave the scene empty.
template <class Reader>
void ExpectReadFails(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pPath, int pFrames,
                     KTime::ETimeMode pMode)
{
    Reader reader(pManager);
    ASSERT_TRUE(reader.FileOpen(pPath.c_str()));
    KStreamOptionsMotion options;
    options.SetFrameCount(pFrames);
    options.SetTimeMode(pMode);
    EXPECT_FALSE(reader.Read(pScene, &options));
    EXPECT_EQ(KQelReader::eFileCorrupted, reader.GetLastErrorID());
    EXPECT_EQ(0, pScene.GetRootNode()->GetChildCount());
}

}  // namespace motiontest
}  // namespace qelsdk_600

#endif
