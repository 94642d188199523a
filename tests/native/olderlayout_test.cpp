// The older layout through the front ends: what the exporter writes with
// formats 3 and 4, the importer and the scene get back.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/kqelcamera.h"
#include "content/kqelglobalcamerasettings.h"
#include "content/kqelgloballightsettings.h"
#include "content/kqelglobaltimesettings.h"
#include "content/kqellight.h"
#include "io/kqelexporter.h"
#include "native/writer/kqelwriterqel.h"
#include "native_test_util.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqelthumbnail.h"

namespace qelsdk_600 {
namespace nativetest {
namespace {

KTime Seconds(double pSeconds)
{
    KTime time;
    time.SetSecondDouble(pSeconds);
    return time;
}

KQelThumbnail* MakeThumbnail(KQelSdkManager& pManager, KQelThumbnail::EImageSize pSize,
                             KQelThumbnail::EDataFormat pFormat)
{
    KQelThumbnail* thumbnail = pManager.CreateKQelThumbnail();
    thumbnail->SetDataFormat(pFormat);
    thumbnail->SetSize(pSize);
    std::vector<unsigned char> image(thumbnail->GetSizeInBytes());
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<unsigned char>(i * 7 + 3);
    thumbnail->SetThumbnailImage(image.data());
    return thumbnail;
}

bool SameImage(KQelThumbnail* pA, KQelThumbnail* pB)
{
    return pA && pB && pA->GetSizeInBytes() == pB->GetSizeInBytes() &&
           std::memcmp(pA->GetThumbnailImage(), pB->GetThumbnailImage(), pA->GetSizeInBytes()) == 0;
}

// The scene every case writes: three takes (one unselected), scene
// information with a 128-pixel RGBA thumbnail, and global settings of every
// kind.
struct SettingsScene : SceneFixture {
    SettingsScene()
    {
        for (const char* take : {"Walk", "Run", "Idle"})
            scene->CreateTake(take);
        KQelTakeInfo walk;
        walk.mName = "Walk";
        walk.mDescription = "slow walk";
        walk.mLocalTimeSpan = KTimeSpan(Seconds(0.0), Seconds(2.0));
        walk.mReferenceTimeSpan = KTimeSpan(Seconds(1.0), Seconds(3.0));
        walk.SetTakeThumbnail(MakeThumbnail(manager, KQelThumbnail::e64x64, KQelThumbnail::eRGB_24));
        scene->SetTakeInfo(walk);
        KQelTakeInfo run;
        run.mName = "Run";
        run.mLocalTimeSpan = KTimeSpan(Seconds(0.5), Seconds(1.5));
        scene->SetTakeInfo(run);
        KQelTakeInfo idle;
        idle.mName = "Idle";
        idle.mSelect = false;
        scene->SetTakeInfo(idle);
        scene->SetCurrentTake("Run");

        info = manager.CreateKQelSceneInfo();
        info->mTitle = "Title";
        info->mAuthor = "Author";
        info->mComment = "";
        info->SetSceneThumbnail(MakeThumbnail(manager, KQelThumbnail::e128x128, KQelThumbnail::eRGBA_32));
        scene->SetSceneInfo(info);

        KQelGlobalLightSettings& light = *scene->GetGlobalLightSettings();
        light.SetAmbientColor(KQelColor(0.1, 0.2, 0.3, 0.5));
        light.SetFogEnable(true);
        light.SetFogMode(static_cast<KQelGlobalLightSettings::EFogMode>(2));
        light.SetFogDensity(0.25);
        light.SetFogEnd(500.0);
        light.SetFogStart(20.0);
        light.SetFogColor(KQelColor(0.5, 0.6, 0.7, 0.2));
        light.SetShadowEnable(true);
        light.SetShadowIntensity(75.0);
        KQelGlobalLightSettings::KQelShadowPlane plane;
        plane.mOrigin = KQelVector4(1.0, 2.0, 3.0, 0.0);
        light.AddShadowPlane(plane);
        plane.mEnable = false;
        plane.mNormal = KQelVector4(0.0, 0.0, 1.0, 0.0);
        light.AddShadowPlane(plane);

        KQelGlobalTimeSettings& time = *scene->GetGlobalTimeSettings();
        time.SetTimeMode(KTime::ePAL);
        time.SetTimeProtocol(KTime::eSMPTE);
        time.SetSnapOnFrameMode(KQelGlobalTimeSettings::eSnapOnFrame);
        for (int i = 0; i < 3; ++i) {
            KQelGlobalTimeSettings::KQelTimeMarker marker;
            marker.mName = ("M" + std::to_string(i)).c_str();
            marker.mTime = Seconds(i * 0.5);
            marker.mLoop = i == 1;
            time.AddTimeMarker(marker);
        }
        time.SetCurrentTimeMarker(1);

        KQelGlobalCameraSettings& camera = *scene->GetGlobalCameraSettings();
        camera.SetDefaultCamera("Producer Top");
        camera.SetDefaultViewingMode(static_cast<KQelGlobalCameraSettings::EViewingMode>(2));
    }
    KQelSceneInfo* info;
};

TEST(OlderLayout, FrontEndsRoundTripTakesSceneInformationAndSettings)
{
    const struct {
        KQelExporter::EFileFormat mExport;
        KQelImporter::EFileFormat mImport;
        bool mSummary;  // a text file has no extension section
    } cases[] = {{KQelExporter::eQel5Binary, KQelImporter::eQelBinary, true},
                 {KQelExporter::eQel5Ascii, KQelImporter::eQelAscii, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mExport);
        ScratchDir dir;
        const std::string path = dir.File("scene.qel");
        SettingsScene source;
        KQelExporter exporter(source.manager);
        exporter.SetFileFormat(c.mExport);
        exporter.Initialize(path.c_str());
        ASSERT_TRUE(exporter.Export(*source.scene));

        // The producer cameras are hidden and wire-frame after the write.
        KQelNode* top = source.scene->GetGlobalCameraSettings()->GetCameraProducerTopNode();
        EXPECT_FALSE(top->GetVisibility());
        EXPECT_EQ(KQelNode::eWireFrame, top->GetShadingMode());

        SceneFixture target;
        KQelImporter importer(target.manager);
        importer.SetFileFormat(KQelImporter::eQelEncrypted);
        ASSERT_TRUE(importer.Initialize(path.c_str()));
        EXPECT_EQ(c.mImport, importer.GetFileFormat());
        int version[3] = {};
        importer.GetFileVersion(version[0], version[1], version[2]);
        EXPECT_EQ((std::vector<int>{5, 8, 0}), std::vector<int>(version, version + 3));

        if (c.mSummary) {
            ASSERT_EQ(2, importer.GetTakeCount());
            KQelTakeInfo* walk = importer.GetTakeInfo(0);
            EXPECT_STREQ("Walk", walk->mName.Buffer());
            EXPECT_STREQ("slow walk", walk->mDescription.Buffer());
            EXPECT_EQ(Seconds(2.0).Get(), walk->mLocalTimeSpan.GetStop().Get());
            EXPECT_EQ(Seconds(1.0).Get(), walk->mReferenceTimeSpan.GetStart().Get());
            EXPECT_TRUE(SameImage(walk->GetTakeThumbnail(),
                                  source.scene->GetTakeInfo(KString("Walk"))->GetTakeThumbnail()));
            EXPECT_STREQ("Run", importer.GetTakeInfo(1)->mName.Buffer());
            EXPECT_TRUE(importer.GetTakeInfo(1)->mDescription.IsEmpty());
            EXPECT_EQ(nullptr, importer.GetTakeInfo(1)->GetTakeThumbnail());
            EXPECT_STREQ("Run", importer.GetCurrentTakeName());
        }
        ASSERT_TRUE(importer.Import(*target.scene));
        KQelSceneInfo* info = target.scene->GetSceneInfo();
        ASSERT_NE(nullptr, info);
        EXPECT_STREQ("Title", info->mTitle.Buffer());
        EXPECT_STREQ("Author", info->mAuthor.Buffer());
        EXPECT_TRUE(SameImage(info->GetSceneThumbnail(), source.info->GetSceneThumbnail()));
        EXPECT_EQ(KQelThumbnail::eRGBA_32, info->GetSceneThumbnail()->GetDataFormat());

        KQelGlobalLightSettings& light = *target.scene->GetGlobalLightSettings();
        EXPECT_DOUBLE_EQ(0.3, light.GetAmbientColor().mBlue);
        EXPECT_DOUBLE_EQ(0.5, light.GetAmbientColor().mAlpha);
        EXPECT_TRUE(light.GetFogEnable());
        EXPECT_EQ(2, light.GetFogMode());
        EXPECT_DOUBLE_EQ(0.25, light.GetFogDensity());
        EXPECT_DOUBLE_EQ(20.0, light.GetFogStart());
        EXPECT_DOUBLE_EQ(500.0, light.GetFogEnd());
        EXPECT_DOUBLE_EQ(0.7, light.GetFogColor().mBlue);
        EXPECT_DOUBLE_EQ(1.0, light.GetFogColor().mAlpha);  // stored as 1.0 whatever it was
        ASSERT_EQ(2, light.GetShadowPlaneCount());
        EXPECT_DOUBLE_EQ(3.0, light.GetShadowPlane(0)->mOrigin[2]);
        EXPECT_FALSE(light.GetShadowPlane(1)->mEnable);
        EXPECT_DOUBLE_EQ(1.0, light.GetShadowPlane(1)->mNormal[2]);
        EXPECT_TRUE(light.GetShadowEnable());
        EXPECT_DOUBLE_EQ(75.0, light.GetShadowIntensity());

        KQelGlobalTimeSettings& time = *target.scene->GetGlobalTimeSettings();
        EXPECT_EQ(KTime::ePAL, time.GetTimeMode());
        EXPECT_EQ(KTime::eSMPTE, time.GetTimeProtocol());
        EXPECT_EQ(KQelGlobalTimeSettings::eSnapOnFrame, time.GetSnapOnFrameMode());
        ASSERT_EQ(3, time.GetTimeMarkerCount());
        EXPECT_STREQ("M2", time.GetTimeMarker(2)->mName.Buffer());
        EXPECT_EQ(Seconds(1.0).Get(), time.GetTimeMarker(2)->mTime.Get());
        EXPECT_TRUE(time.GetTimeMarker(1)->mLoop);
        EXPECT_EQ(1, time.GetCurrentTimeMarker());

        KQelGlobalCameraSettings& camera = *target.scene->GetGlobalCameraSettings();
        EXPECT_STREQ("Producer Top", camera.GetDefaultCamera());
        EXPECT_EQ(2, camera.GetDefaultViewingMode());
    }
}

// The gobos of three lights: names counted from the last light, blocks in
// scene order, shared by equal image and switches.
TEST(OlderLayout, GobosAreNamedFromTheLastLightAndShared)
{
    SceneFixture f;
    const struct {
        const char* mName;
        const char* mFile;
        bool mGround;
    } lights[] = {{"L1", "a.tif", false}, {"L2", "b.tif", false}, {"L3", "a.tif", false},
                  {"L4", "a.tif", true}, {"L5", nullptr, false}};
    for (const auto& l : lights) {
        KQelNode* node = f.manager.CreateKQelNode(l.mName);
        KQelLight* light = f.manager.CreateKQelLight();
        node->SetNodeAttribute(light);
        light->SetFileName(l.mFile);
        light->SetGroundProjection(l.mGround);
        f.scene->GetRootNode()->AddChild(node);
    }
    ScratchDir dir;
    const std::string path = dir.File("gobo.qel");
    {
        KQelExporter exporter(f.manager);
        KQelWriterQel writer(f.manager, exporter);
        ASSERT_TRUE(writer.FileCreate(path.c_str()));
        KStreamOptionsQel options;
        ASSERT_TRUE(writer.Write(*f.scene, &options));
        ASSERT_TRUE(writer.FileClose());
    }
    KQel file;
    ASSERT_TRUE(file.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(file.FieldReadBegin("GoboManager"));
    ASSERT_TRUE(file.FieldReadBlockBegin());
    // L4 is gobo-0, L3 gobo-1, L2 gobo-2, L1 shares gobo-1 (its counter 3 is spent).
    std::vector<std::string> gobos;
    while (file.FieldReadBegin("Gobo")) {
        ASSERT_TRUE(file.FieldReadBlockBegin());
        const std::string name = file.FieldReadC("GoboName");
        gobos.push_back(name + "=" + file.FieldReadC("GoboPath"));
        file.FieldReadBlockEnd();
        file.FieldReadEnd();
    }
    EXPECT_EQ((std::vector<std::string>{"gobo-2=b.tif", "gobo-1=a.tif", "gobo-0=a.tif"}), gobos);
    std::vector<std::string> uses;
    while (file.FieldReadBegin("LightGobo")) {
        std::string light = file.FieldReadC();
        uses.push_back(light + ">" + file.FieldReadC());
        file.FieldReadEnd();
    }
    EXPECT_EQ((std::vector<std::string>{"Model::L4>gobo-0", "Model::L3>gobo-1", "Model::L2>gobo-2",
                                        "Model::L1>gobo-1"}),
              uses);
}

TEST(OlderLayout, TypeIdentifiersComeOffOnlyAsAWholeSuffix)
{
    const struct {
        const char* mName;
        const char* mExpected;
    } cases[] = {
        {"Weight (Real)", "Weight"},
        {"Tint (Color) (Vector)", "Tint (Color)"},
        {"Flag (bool)", "Flag (bool)"},
        {"Size (Double)", "Size (Double)"},
        {"(Integer)", "(Integer)"},
        {" (Integer)", ""},
        {"Plain", "Plain"},
    };
    for (const auto& c : cases) {
        KString name = c.mName;
        RemoveTypeIdentifierFromName(name);
        EXPECT_STREQ(c.mExpected, name.Buffer()) << c.mName;
    }
}

}  // namespace
}  // namespace nativetest
}  // namespace qelsdk_600
