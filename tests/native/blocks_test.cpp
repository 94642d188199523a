// Block rules that the round trips do not show: summary fallbacks, time
// markers, fog limits, gobos read by name, camera names.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/kqelgloballightsettings.h"
#include "content/kqelglobaltimesettings.h"
#include "content/kqellight.h"
#include "native_test_util.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {
namespace nativetest {
namespace {

Filler SummaryOf(int pVersion, const char* pCurrent, std::vector<const char*> pTakes, bool pSceneInfo)
{
    return [=](KQel& f) {
        WriteBlock summary(f, "Summary");
        if (pVersion)
            WriteFieldI(f, "Version", pVersion);
        if (pSceneInfo) {
            WriteBlock info(f, "SceneInfo", "SceneInfo::GlobalInfo");
            WriteFieldC(f, "Type", "userdata");
        }
        WriteBlock takes(f, "Takes");
        WriteFieldC(f, "Current", pCurrent);
        for (const char* take : pTakes)
            WriteBlock block(f, "Take", take);
    };
}

// The summary's options, or those of the main section scan without one.
KStreamOptionsQel* OptionsOf(KQelSdkManager& pManager, KQelImporter& pImporter, const std::string& pPath)
{
    KQelReaderQel reader(pManager, pImporter);
    EXPECT_TRUE(reader.FileOpen(pPath.c_str()));
    return static_cast<KStreamOptionsQel*>(reader.GetReadOptions(true));
}

TEST(Blocks, SummaryVersionTakesAndSectionsDecideTheOptions)
{
    const struct {
        const char* mName;
        Filler mMain;
        std::vector<Filler> mExtensions;
        bool mSceneInfo;
        bool mTemplate;
        std::vector<std::string> mTakes;
        const char* mCurrent;
    } cases[] = {
        {"version 100 has no scene information", [](KQel&) {}, {SummaryOf(0, "B", {"A", "B"}, true)}, false,
         false, {"A", "B"}, "B"},
        {"version 101 has", [](KQel&) {}, {SummaryOf(101, "B", {"A", "B"}, true)}, true, false, {"A", "B"}, "B"},
        {"unknown current take: the first", [](KQel&) {}, {SummaryOf(101, "Z", {"A", "B"}, false)}, false,
         false, {"A", "B"}, "A"},
        {"no takes: no current take", [](KQel&) {}, {SummaryOf(101, "Z", {}, false)}, false, false, {}, ""},
        {"the last summary wins", [](KQel&) {},
         {SummaryOf(101, "A", {"A"}, false), [](KQel& f) { WriteFieldI(f, "Other", 1); },
          SummaryOf(101, "C", {"C"}, false)},
         false, false, {"C"}, "C"},
        {"scan: the template marker",
         [](KQel& f) {
             for (const char* model : {"Model::~qelexport~x", "Model::Scene:~qelexport~"})
                 WriteFieldC(f, "Model", model);
             WriteBlock takes(f, "Takes");
             WriteBlock take(f, "Take", "T");
         },
         {}, false, true, {"T"}, "T"},
        {"scan: no marker", [](KQel& f) { WriteFieldC(f, "Model", "Model::~qelexport~x"); }, {}, false, false, {},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        ScratchDir dir;
        const std::string path = dir.File("summary.qel");
        {
            KQel file;
            ASSERT_TRUE(file.ProjectCreate(path.c_str(), true, false, nullptr));
            c.mMain(file);
            ASSERT_TRUE(file.ProjectCloseSection());
            for (const Filler& extension : c.mExtensions) {
                ASSERT_TRUE(file.ProjectCreateExtensionSection(false));
                extension(file);
                ASSERT_TRUE(file.ProjectCloseSection());
            }
            ASSERT_TRUE(file.ProjectClose());
        }
        SceneFixture f;
        KQelImporter importer(f.manager);
        KStreamOptionsQel* options = OptionsOf(f.manager, importer, path);
        ASSERT_NE(nullptr, options);
        EXPECT_EQ(c.mSceneInfo, options->mSceneInfo != nullptr);
        EXPECT_EQ(c.mTemplate, options->mIsTemplate);
        std::vector<std::string> takes;
        for (int i = 0; i < options->mTakeInfo.GetCount(); ++i)
            takes.push_back(options->mTakeInfo[i]->mName.Buffer());
        EXPECT_EQ(c.mTakes, takes);
        EXPECT_STREQ(c.mCurrent, options->mCurrentTakeName.Buffer());
        options->Destroy();
    }
}

// A current-layout document whose "Version5" holds the given blocks.
void ReadSettings(KQelScene& pScene, KQelSdkManager& pManager, const Filler& pVersion5)
{
    ScratchDir dir;
    const std::string path = dir.File("settings.qel");
    BuildFile(path, 6000, true, [&](KQel& f) {
        WriteBlock version5(f, "Version5");
        pVersion5(f);
    });
    ASSERT_TRUE(ReadInto(pManager, pScene, path).mOk);
}

TEST(Blocks, TimeMarkersTakeTheReferenceIndexOnlyWithinTheList)
{
    const struct {
        const char* mFrameRate;
        int mMarkers;
        int mReference;
        KTime::ETimeMode mMode;
        int mCurrent;
    } cases[] = {
        {"0.0", 3, 2, KTime::eFRAMES100, 2},  // mode from the old id
        {"0.0", 2, 2, KTime::eFRAMES100, -1},
        {"no such rate", 1, 0, KTime::eFRAMES30, 0},
        {nullptr, 0, 0, KTime::eFRAMES100, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mMarkers);
        SceneFixture f;
        ReadSettings(*f.scene, f.manager, [&](KQel& file) {
            WriteBlock settings(file, "Settings");
            if (c.mFrameRate)
                WriteFieldC(file, "FrameRate", c.mFrameRate);
            WriteFieldI(file, "TimeMode", KTime_GetOldTimeModeCorrespondance(KTime::eFRAMES100));
            WriteFieldI(file, "ReferenceTimeIndex", c.mReference);
            for (int i = 0; i < c.mMarkers; ++i) {
                WriteBlock marker(file, "TimeMarker", "m");
                WriteFieldI(file, "Loop", 0);
            }
            WriteFieldC(file, "TimeMarker", "no block: not added");
        });
        KQelGlobalTimeSettings& time = *f.scene->GetGlobalTimeSettings();
        EXPECT_EQ(c.mMode, time.GetTimeMode());
        EXPECT_EQ(c.mMarkers, time.GetTimeMarkerCount());
        EXPECT_EQ(c.mCurrent, time.GetCurrentTimeMarker());
    }
}

TEST(Blocks, FogStartAndEndAreLimitedInFileOrder)
{
    SceneFixture f;
    ReadSettings(*f.scene, f.manager, [](KQel& file) {
        WriteBlock fog(file, "FogOptions");
        WriteFieldD(file, "FogStart", 2000.0);
        WriteFieldD(file, "FogEnd", 10.0);
    });
    KQelGlobalLightSettings& light = *f.scene->GetGlobalLightSettings();
    EXPECT_DOUBLE_EQ(1000.0, light.GetFogStart());  // kept at the end then in force
    EXPECT_DOUBLE_EQ(1000.0, light.GetFogEnd());    // raised to the start
    EXPECT_DOUBLE_EQ(0.0, light.GetFogDensity());   // a missing key reads 0, not the default
    EXPECT_DOUBLE_EQ(1.0, light.GetFogColor().mRed);
}

// A reader positioned on a hand-built file, for the blocks that need a scene
// the document itself cannot make yet.
class PositionedReader : public KQelReaderQel {
public:
    using KQelReaderQel::KQelReaderQel;
    void Use(IQelObject* pFile) { mFile = pFile; }
};

TEST(Blocks, GobosReachTheFirstLightOfTheirNameWithTheirSwitches)
{
    SceneFixture f;
    KQelLight* lights[3];
    for (int i = 0; i < 3; ++i) {
        KQelNode* node = f.manager.CreateKQelNode(i == 2 ? "Plain" : "Spot");
        lights[i] = f.manager.CreateKQelLight();
        node->SetNodeAttribute(lights[i]);
        (i == 1 ? f.scene->GetRootNode()->GetChild(0) : f.scene->GetRootNode())->AddChild(node);
    }
    ScratchDir dir;
    const std::string path = dir.File("gobo.qel");
    BuildFile(path, 6000, true, [](KQel& file) {
        WriteBlock manager(file, "GoboManager");
        for (auto gobo : {std::make_pair("g", "first.tif"), std::make_pair("g", "second.tif"),
                          std::make_pair("h", "h.tif")}) {
            WriteBlock block(file, "Gobo");
            WriteFieldC(file, "GoboName", gobo.first);
            WriteFieldC(file, "GoboPath", gobo.second);
            file.FieldWriteBegin("DrawComponent");
            for (int v : {1, 0, 1})
                file.FieldWriteI(v);
            file.FieldWriteEnd();
        }
        for (auto use : {std::make_pair("Spot", "g"), std::make_pair("Plain", "nope"),
                         std::make_pair("Nobody", "h")}) {
            file.FieldWriteBegin("LightGobo");
            file.FieldWriteC(use.first);
            file.FieldWriteC(use.second);
            file.FieldWriteEnd();
        }
    });
    IQelObject* file = KQelObjectCreate();
    ASSERT_TRUE(file->ProjectOpenDirect(path.c_str(), false, true, nullptr));
    KQelImporter importer(f.manager);
    PositionedReader reader(f.manager, importer);
    reader.Use(file);
    reader.ReadGobo(*f.scene);
    reader.Use(nullptr);
    delete file;
    ASSERT_NE(nullptr, lights[0]->GetFileName());
    EXPECT_STREQ("first.tif", lights[0]->GetFileName());
    EXPECT_TRUE(lights[0]->GetGroundProjection());
    EXPECT_FALSE(lights[0]->GetVolumetricProjection());
    EXPECT_TRUE(lights[0]->GetFrontVolumetricProjection());
    EXPECT_EQ(nullptr, lights[1]->GetFileName());  // the second "Spot" is not found first
    EXPECT_EQ(nullptr, lights[2]->GetFileName());  // unknown gobo
}

TEST(Blocks, ProducerNamesLoseOnlyTheModelPrefix)
{
    const struct {
        const char* mName;
        const char* mExpected;
    } cases[] = {
        {"Model::Producer Perspective", "Producer Perspective"},
        {"Model::Producer Bottom", "Producer Bottom"},
        {"Model::Camera Switcher", "Camera Switcher"},
        {"Producer Top", "Producer Top"},
        {"Model::Camera1", "Model::Camera1"},
        {"Model::producer top", "Model::producer top"},
        {"Model::", "Model::"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.mExpected, KQelReaderQel::ConvertCameraName(c.mName).Buffer()) << c.mName;
}

}  // namespace
}  // namespace nativetest
}  // namespace qelsdk_600
