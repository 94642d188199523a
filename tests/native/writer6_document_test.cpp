// The version-6 document as written, read back field by field from text and
// binary files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "character/kqelcharacter.h"
#include "character/kqelcharacterlink.h"
#include "content/kqelcamera.h"
#include "content/kqelcameraswitcher.h"
#include "content/kqelglobalcamerasettings.h"
#include "content/kqelgloballightsettings.h"
#include "content/kqelglobaltimesettings.h"
#include "content/kqelmarker.h"
#include "content/kqelmesh.h"
#include "curves/kfcurve.h"
#include "scene/kqelcharacterpose.h"
#include "scene/kqelentity.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqelnull.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelpose.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqeltakenode.h"
#include "scene/kqelthumbnail.h"
#include "native/writer6_test_util.h"

namespace qelsdk_600 {
namespace writer6test {
namespace {

std::string Ticks(kLongLong pTicks)
{
    return "L:" + std::to_string(pTicks);
}

void AddKey(KQelNode& pNode, const char* pTake, double pSeconds)
{
    pNode.SetCurrentTakeNode(pTake);
    KFCurve* curve = pNode.GetCurrentTakeNode()->GetTranslationX();
    const KTime time(static_cast<kLongLong>(pSeconds * kSecond));
    curve->KeySet(curve->KeyAdd(time), time, 1.0f, kFCurveInterpolationLinear);
}

// The header values of every "Model" block of the current scope, in order.
std::vector<Values> ModelHeaders(ReadBack& pRead, const char* pField = "Model")
{
    std::vector<Values> headers;
    Values header;
    while (pRead.Enter(pField, &header)) {
        headers.push_back(header);
        pRead.Leave();
    }
    return headers;
}

class Writer6Document : public ::testing::Test {
protected:
    std::string Write(KQelWriterQel6::EExportMode pMode = KQelWriterQel6::eAscii)
    {
        const std::string path = dir.File(pMode == KQelWriterQel6::eAscii ? "scene.qel" : "scene.bin.qel");
        EXPECT_TRUE(WriteScene(f, path, pMode, &options));
        return path;
    }

    ScratchDir dir;
    SceneFixture f;
    KStreamOptionsQel options;
};

// ---- Document frame, Definitions and Objects ----

TEST_F(Writer6Document, RootOnlySceneHoldsTheProducerCamerasAndTheSwitcher)
{
    const std::string path = Write();
    EXPECT_EQ(TopLevel(path), (Values{"Definitions", "Objects", "Relations", "Connections", "Takes", "Version5"}));

    ReadBack read(path);
    ASSERT_TRUE(read.IsOpen());
    ASSERT_TRUE(read.Enter("Definitions"));
    EXPECT_EQ(read.Field("Version"), Values{"I:100"});
    EXPECT_EQ(read.Field("Count"), Values{"I:8"});
    EXPECT_EQ(read.Count("ObjectType"), 1);
    Values header;
    ASSERT_TRUE(read.Enter("ObjectType", &header));
    EXPECT_EQ(header, Values{"S:Model"});
    EXPECT_EQ(read.Field("Count"), Values{"I:8"});
    read.Leave();
    read.Leave();

    ASSERT_TRUE(read.Enter("Objects"));
    const std::vector<Values> expected = {
        {"S:Model::Producer Perspective", "S:Camera"}, {"S:Model::Producer Top", "S:Camera"},
        {"S:Model::Producer Bottom", "S:Camera"},      {"S:Model::Producer Front", "S:Camera"},
        {"S:Model::Producer Back", "S:Camera"},        {"S:Model::Producer Right", "S:Camera"},
        {"S:Model::Producer Left", "S:Camera"},        {"S:Model::Camera Switcher", "S:"},
    };
    EXPECT_EQ(ModelHeaders(read), expected);
    read.Leave();

    // Only the take "Default": "Takes" holds the current name alone.
    ASSERT_TRUE(read.Enter("Takes"));
    EXPECT_EQ(read.Field("Current"), Values{"S:"});
    EXPECT_EQ(read.Count("Take"), 0);
    EXPECT_EQ(read.Count("Version"), 0);
    read.Leave();
}

TEST_F(Writer6Document, CharacterOptionGatesCharactersPlugsAndCharacterPoses)
{
    f.scene.CreateCharacter("Hero");
    f.scene.CreateControlSetPlug("Rig");
    f.scene.CreateCharacterPose("Stance");
    f.scene.AddPose(f.manager.CreateKQelPose("Bind", true));
    f.scene.AddGenericNode(f.manager.CreateKQelGenericNode("Extra"));
    const struct {
        bool mCharacters;
        int mCount;
        std::vector<Values> mEntries;  // type name and count of each ObjectType
        Values mObjects;               // kinds of the object blocks after the Models
    } cases[] = {
        {true, 13,
         {{"S:Model", "I:8"}, {"S:GenericNode", "I:1"}, {"S:Pose", "I:2"}, {"S:ControlSetPlug", "I:1"},
          {"S:Constraint", "I:1"}},
         {"GenericNode", "Pose", "ControlSetPlug", "Constraint"}},
        {false, 10, {{"S:Model", "I:8"}, {"S:GenericNode", "I:1"}, {"S:Pose", "I:1"}}, {"GenericNode", "Pose"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mCharacters);
        options.SetOption(KStreamOptionsQel::eCharacter, c.mCharacters);
        const std::string path = Write();
        ReadBack read(path);
        ASSERT_TRUE(read.Enter("Definitions"));
        EXPECT_EQ(read.Field("Count"), Values{"I:" + std::to_string(c.mCount)});
        std::vector<Values> entries;
        Values header;
        while (read.Enter("ObjectType", &header)) {
            header.push_back(read.Field("Count").front());
            entries.push_back(header);
            read.Leave();
        }
        EXPECT_EQ(entries, c.mEntries);
        read.Leave();

        const std::vector<OutlineEntry> outline = Outline(path);
        Values kinds;
        for (const std::string& name : ChildNames(outline, FindEntry(outline, "Objects"))) {
            if (name != "Model")
                kinds.push_back(name);
        }
        EXPECT_EQ(kinds, c.mObjects);
    }
}

TEST_F(Writer6Document, PasswordFieldOnlyInBinaryObjects)
{
    options.mIsPasswordProtected = true;
    options.mPassword = "secret";
    for (KQelWriterQel6::EExportMode mode : {KQelWriterQel6::eAscii, KQelWriterQel6::eBinary}) {
        SCOPED_TRACE(mode);
        ReadBack read(Write(mode));
        ASSERT_TRUE(read.Enter("Objects"));
        EXPECT_EQ(read.Count("NodeId"), mode == KQelWriterQel6::eBinary ? 1 : 0);
        read.Leave();
    }
}

// A writer never given a mode makes a binary file, and a relative name is
// taken from the current directory.
TEST_F(Writer6Document, UnsetModeWritesBinaryIntoTheCurrentDirectory)
{
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    KQelExporter exporter(f.manager);
    KQelWriterQel6 writer(f.manager, exporter);
    const bool written = writer.FileCreate("relative.qel") && writer.Write(f.scene, &options) && writer.FileClose();
    std::filesystem::current_path(previous);
    ASSERT_TRUE(written);
    const std::string path = dir.File("relative.qel");
    EXPECT_NE(ReadFile(path).rfind("; QEL text file", 0), 0u);
    KQel file;
    ASSERT_TRUE(file.ProjectOpen(path.c_str(), false, true, nullptr));
    EXPECT_FALSE(file.IsEncrypted());
    EXPECT_EQ(file.ProjectGetExtensionSectionCount(), 1);
}

// ---- Relations and Connections ----

TEST_F(Writer6Document, ConnectionsRunFromTheRootAsScene)
{
    KQelNode* a = f.AddNode("A");
    f.AddNode("B", a);
    KQelCharacterLink link;
    link.mNode = a;
    KQelCharacter* hero = f.scene.GetCharacter(f.scene.CreateCharacter("Hero"));
    hero->SetCharacterLink(eCharacterHips, link, true);
    for (bool characters : {true, false}) {
        SCOPED_TRACE(characters);
        options.SetOption(KStreamOptionsQel::eCharacter, characters);
        ReadBack read(Write());
        ASSERT_TRUE(read.Enter("Relations"));
        Values header;
        ASSERT_TRUE(read.Enter("Model", &header));
        EXPECT_EQ(header, (Values{"S:Model::A", "S:Null"}));
        read.Leave();
        read.Leave();

        ASSERT_TRUE(read.Enter("Connections"));
        const std::vector<Values> connects = read.All("Connect");
        ASSERT_GE(connects.size(), 2u);
        EXPECT_EQ(connects[0], (Values{"S:OO", "S:Model::A", "S:Model::Scene"}));
        EXPECT_EQ(connects[1], (Values{"S:OO", "S:Model::B", "S:Model::A"}));
        const Values linkConnection{"S:OP", "S:Model::A", "S:Constraint::Hero", "S:HipsLink"};
        EXPECT_EQ(std::count(connects.begin(), connects.end(), linkConnection), characters ? 1 : 0);
        read.Leave();
        EXPECT_STREQ(f.Root()->GetName(), "Model::RootNode");
    }
}

// ---- Takes ----

TEST_F(Writer6Document, TakeRecordsSpansAndBlocks)
{
    KQelNode* a = f.AddNode("A");
    KQelNode* lonely = f.AddNode("Lonely");
    ASSERT_TRUE(f.scene.CreateTake("Walk"));
    ASSERT_TRUE(f.scene.CreateTake("Run \tFast"));
    ASSERT_TRUE(f.scene.CreateTake("Still"));
    // Blanks well past the first 4 KB of a long name are replaced too.
    const std::string longName = std::string(5000, 'x') + " \t";
    const std::string longFile = std::string(5000, 'x') + "__.tak";
    ASSERT_TRUE(f.scene.CreateTake(longName.c_str()));
    lonely->RemoveTakeNode("Walk");
    AddKey(*a, "Walk", 1.0);
    AddKey(*a, "Walk", 2.0);
    AddKey(*a, "Run \tFast", 5.0);
    AddKey(*a, "Run \tFast", 6.0);
    KQelTakeInfo fixed;
    fixed.mName = "Still";
    fixed.mDescription = "kept";
    fixed.mLocalTimeSpan = KTimeSpan(KTime(3), KTime(4));
    fixed.mReferenceTimeSpan = KTimeSpan(KTime(5), KTime(6));
    ASSERT_TRUE(f.scene.SetTakeInfo(fixed));
    f.scene.SetCurrentTake("Walk");  // false: "Lonely" has no such take

    const std::string path = Write(KQelWriterQel6::eBinary);
    ReadBack read(path);
    ASSERT_TRUE(read.Enter("Takes"));
    EXPECT_EQ(read.Field("Current"), Values{"S:Walk"});
    const struct {
        const char* mName;
        const char* mFileName;
        Values mLocal;
        Values mReference;
        int mComments;
        Values mModels;  // take node blocks of the models group
    } takes[] = {
        {"Walk", "Walk.tak", {Ticks(kSecond), Ticks(2 * kSecond)}, {Ticks(kSecond), Ticks(2 * kSecond)}, 0,
         {"S:Model::Camera Switcher", "S:Model::A"}},
        // Each take's span covers its own keys only.
        {"Run \tFast", "Run__Fast.tak", {Ticks(5 * kSecond), Ticks(6 * kSecond)},
         {Ticks(5 * kSecond), Ticks(6 * kSecond)}, 0,
         {"S:Model::Camera Switcher", "S:Model::A", "S:Model::Lonely"}},
        {"Still", "Still.tak", {Ticks(3), Ticks(4)}, {Ticks(5), Ticks(6)}, 1,
         {"S:Model::Camera Switcher", "S:Model::A", "S:Model::Lonely"}},
        // No keys anywhere: one second.
        {longName.c_str(), longFile.c_str(), {Ticks(0), Ticks(kSecond)}, {Ticks(0), Ticks(kSecond)}, 0,
         {"S:Model::Camera Switcher", "S:Model::A", "S:Model::Lonely"}},
    };
    for (const auto& take : takes) {
        SCOPED_TRACE(std::string(take.mName).substr(0, 16));
        Values header;
        ASSERT_TRUE(read.Enter("Take", &header));
        EXPECT_EQ(header, Values{std::string("S:") + take.mName});
        EXPECT_EQ(read.Field("FileName"), Values{std::string("S:") + take.mFileName});
        EXPECT_EQ(read.Field("LocalTime"), take.mLocal);
        EXPECT_EQ(read.Field("ReferenceTime"), take.mReference);
        EXPECT_EQ(read.Count("Comments"), take.mComments);
        std::vector<Values> models = ModelHeaders(read);
        Values names;
        for (const Values& model : models)
            names.push_back(model.at(0));
        EXPECT_EQ(names, take.mModels);
        read.Leave();
    }
    read.Leave();

    // The computed spans are kept in the records; the scene is back on its take.
    EXPECT_EQ(f.scene.GetTakeInfo("Walk")->mLocalTimeSpan.GetStop().Get(), 2 * kSecond);
    EXPECT_EQ(f.scene.GetTakeInfo(longName.c_str())->mReferenceTimeSpan.GetStop().Get(), kSecond);
    EXPECT_STREQ(f.scene.GetCurrentTakeName(), "Walk");
    EXPECT_STREQ(a->GetCurrentTakeNodeName(), "Walk");
}

TEST_F(Writer6Document, TakeNodeBlocksCarryChannelsOutsideTheDefaultTake)
{
    KQelNode* a = f.AddNode("A");
    ASSERT_TRUE(f.scene.CreateTake("Walk"));
    AddKey(*a, "Walk", 1.0);
    KQelCharacter* hero = f.scene.GetCharacter(f.scene.CreateCharacter("Hero"));
    hero->CreateTakeNode("Walk");
    options.SetOption(KStreamOptionsQel::eCharacter, false);

    ReadBack read(Write());
    ASSERT_TRUE(read.Enter("Takes"));
    ASSERT_TRUE(read.Enter("Take"));
    Values header;
    ASSERT_TRUE(read.Enter("Model", &header));  // the switcher, no channels of its own take
    EXPECT_EQ(read.Field("Version"), Values{"D:1.1"});
    read.Leave();
    ASSERT_TRUE(read.Enter("Model", &header));
    EXPECT_EQ(header, Values{"S:Model::A"});
    EXPECT_GT(read.Count("Channel"), 0);
    read.Leave();
    // Character take nodes whatever option 8 says.
    ASSERT_TRUE(read.Enter("Constraint", &header));
    EXPECT_EQ(header, Values{"S:Constraint::Hero"});
    read.Leave();
    read.Leave();
    read.Leave();
}

// ---- Model blocks ----

TEST_F(Writer6Document, ModelBlockFieldsAndAttributeGroups)
{
    KQelNode* plain = f.AddNode("Plain");
    plain->SetVisibility(false);
    plain->SetShadingMode(KQelNode::eLightShading);
    plain->SetCullingType(7);
    f.AddNode("Cam")->SetNodeAttribute(f.manager.CreateKQelCamera());
    f.AddNode("Mesh")->SetNodeAttribute(f.manager.CreateKQelMesh());
    f.AddNode("Optical")->SetNodeAttribute(f.manager.CreateKQelOpticalReference());
    KQelMarker* marker = f.manager.CreateKQelMarker();
    marker->SetType(KQelMarker::eIKEffector);
    f.AddNode("Marker")->SetNodeAttribute(marker);
    f.scene.GetCameraSwitcher()->GetCameraSwitcher()->AddCameraName("Model::Cam");

    // The fields after "Culling": the attribute group.
    const Values cameraGroup{"Type", "TypeFlags", "GeometryVersion", "Position", "Up", "LookAt", "ShowInfoOnMoving",
                        "ShowAudio", "AudioColor"};
    const Values null{"Type", "TypeFlags"};
    const struct {
        bool mAttributes;  // write option 0
        const char* mNode;
        Values mFields;
    } cases[] = {
        {true, "Model::Cam", cameraGroup},
        {false, "Model::Cam", cameraGroup},
        {true, "Model::Mesh", {}},
        {false, "Model::Mesh", null},
        {true, "Model::Optical", null},
        {false, "Model::Optical", null},
        {true, "Model::Camera Switcher", {"Type", "Version", "Name", "CameraId", "CameraName", "CameraIndexName"}},
        {false, "Model::Camera Switcher", null},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mNode) + (c.mAttributes ? " with attributes" : " without"));
        options.SetOption(KStreamOptionsQel::eModelAttribute, c.mAttributes);
        const std::vector<OutlineEntry> outline = Outline(Write());
        const int block = FindEntry(outline, "Model", std::string("\"") + c.mNode + "\"");  // in "Objects" first
        ASSERT_GE(block, 0);
        const Values fields = ChildNames(outline, block);
        const auto culling = std::find(fields.begin(), fields.end(), "Culling");
        ASSERT_NE(culling, fields.end());
        EXPECT_EQ(Values(culling + 1, fields.end()), c.mFields);
        if (std::string(c.mNode) == "Model::Cam") {
            EXPECT_EQ(Values(fields.begin(), culling + 1),
                      (Values{"Version", "Properties60", "MultiLayer", "MultiTake", "Shading", "Culling"}));
        }
    }

    options.SetOption(KStreamOptionsQel::eModelAttribute, true);
    ReadBack read(Write());
    ASSERT_TRUE(read.Enter("Objects"));
    const struct {
        const char* mNode;
        std::vector<std::pair<const char*, Values>> mFields;
    } values[] = {
        {"Model::Plain",
         {{"Hidden", {"S:True"}}, {"Shading", {"C:Y"}}, {"Culling", {"S:CullingOff"}}, {"Type", {"S:Null"}},
          {"TypeFlags", {"S:Null"}}}},
        {"Model::Cam", {{"Hidden", {"absent"}}, {"Culling", {"S:CullingOff"}}}},
        {"Model::Marker", {{"Type", {"S:IKEffector"}}, {"TypeFlags", {"S:Marker"}}}},
        {"Model::Optical", {{"Type", {"S:Optical"}}, {"TypeFlags", {"S:Marker"}}}},
        {"Model::Camera Switcher",
         {{"Version", {"I:231"}}, {"Version", {"I:101"}}, {"Type", {"S:CameraSwitcher"}},
          {"Name", {"S:Model::Camera Switcher"}}, {"CameraName", {"I:100"}}, {"CameraIndexName", {"S:Model::Cam"}}}},
    };
    Values header;
    while (read.Enter("Model", &header)) {
        for (const auto& v : values) {
            if (header.at(0) != std::string("S:") + v.mNode)
                continue;
            SCOPED_TRACE(v.mNode);
            for (const auto& field : v.mFields)
                EXPECT_EQ(read.Field(field.first), field.second) << field.first;
        }
        read.Leave();
    }
    read.Leave();
}

// ---- Global settings ----

TEST_F(Writer6Document, Version5Settings)
{
    KQelGlobalLightSettings& light = *f.scene.GetGlobalLightSettings();
    light.SetAmbientColor(KQelColor(0.1, 0.2, 0.3, 0.4));
    light.SetFogColor(KQelColor(0.5, 0.6, 0.7, 0.25));
    light.SetShadowIntensity(0.75);
    KQelGlobalTimeSettings& time = *f.scene.GetGlobalTimeSettings();
    KQelGlobalTimeSettings::KQelTimeMarker marker;
    marker.mName = "Start";
    marker.mTime = KTime(kSecond);
    marker.mLoop = true;
    time.AddTimeMarker(marker);
    marker.mName = "End";
    marker.mLoop = false;
    time.AddTimeMarker(marker);
    time.SetCurrentTimeMarker(1);

    for (int planes : {0, 2}) {
        SCOPED_TRACE(planes);
        for (int i = 0; i < planes; ++i) {
            KQelGlobalLightSettings::KQelShadowPlane plane;
            plane.mOrigin = KQelVector4(i, 2, 3, 1);
            plane.mEnable = i == 0;
            light.AddShadowPlane(plane);
        }
        ReadBack read(Write(KQelWriterQel6::eBinary));
        ASSERT_TRUE(read.Enter("Version5"));
        ASSERT_TRUE(read.Enter("AmbientRenderSettings"));
        EXPECT_EQ(read.Field("Version"), Values{"I:101"});
        EXPECT_EQ(read.Field("AmbientLightColor"), (Values{"D:0.1", "D:0.2", "D:0.3", "D:0.4"}));
        read.Leave();
        ASSERT_TRUE(read.Enter("FogOptions"));
        EXPECT_EQ(read.Field("FogColor"), (Values{"D:0.5", "D:0.6", "D:0.7", "D:1"}));
        EXPECT_EQ(read.Count("FlogEnable"), 1);
        read.Leave();
        if (planes == 0) {
            EXPECT_EQ(read.Count("ShadowPlanes"), 0);
        } else {
            ASSERT_TRUE(read.Enter("ShadowPlanes"));
            EXPECT_EQ(read.Field("Version"), Values{"I:108"});
            EXPECT_EQ(read.Field("Count"), Values{"I:2"});
            EXPECT_EQ(read.All("Plane"), (std::vector<Values>{{"D:0", "D:2", "D:3", "D:0", "D:1", "D:0", "I:1"},
                                                              {"D:1", "D:2", "D:3", "D:0", "D:1", "D:0", "I:0"}}));
            EXPECT_EQ(read.Field("ShadowIntensity"), Values{"D:0.75"});
            read.Leave();
        }
        ASSERT_TRUE(read.Enter("Settings"));
        EXPECT_EQ(read.Field("ReferenceTimeIndex"), Values{"I:1"});
        Values header;
        ASSERT_TRUE(read.Enter("TimeMarker", &header));
        EXPECT_EQ(header, Values{"S:Start"});
        EXPECT_EQ(read.Field("Time"), Values{Ticks(kSecond)});
        EXPECT_EQ(read.Field("Loop"), Values{"I:1"});
        read.Leave();
        ASSERT_TRUE(read.Enter("TimeMarker", &header));
        EXPECT_EQ(header, Values{"S:End"});
        EXPECT_EQ(read.Field("Loop"), Values{"I:0"});
        read.Leave();
        read.Leave();
        ASSERT_TRUE(read.Enter("RendererSetting"));
        EXPECT_EQ(read.Count("DefaultCamera"), 1);
        read.Leave();
        read.Leave();
    }

    options.SetOption(KStreamOptionsQel::eGlobalSettings, false);
    EXPECT_EQ(TopLevel(Write()), (Values{"Definitions", "Objects", "Relations", "Connections", "Takes"}));
}

// ---- Characters, poses, generic nodes and scene information ----

TEST_F(Writer6Document, CharacterLinkBlocks)
{
    KQelNode* hips = f.AddNode("Hips");
    SceneFixture other;
    KQelNode* stranger = other.AddNode("Stranger");
    KQelCharacter* hero = f.scene.GetCharacter(f.scene.CreateCharacter("Hero"));
    KQelCharacterLink link;
    link.mNode = hips;
    link.mOffsetT = KQelVector4(1, 2, 3, 1);
    hero->SetCharacterLink(eCharacterHips, link, true);
    link.mNode = stranger;  // of another scene, no template name: not written
    hero->SetCharacterLink(eCharacterLeftUpLeg, link, true);
    link.mNode = nullptr;
    link.mTemplateName = "Floor";
    hero->SetCharacterLink(static_cast<ECharacterNodeId>(68), link, true);

    const std::string path = Write();
    const std::vector<OutlineEntry> outline = Outline(path);
    const int block = FindEntry(outline, "Constraint", "\"Constraint::Hero\"");
    ASSERT_GE(block, 0);
    EXPECT_EQ(ChildNames(outline, block),
              (Values{"Type", "MultiLayer", "Properties60", "CHARACTERIZE", "LOCK_XFORM", "LOCK_PICK", "REFERENCE",
                      "LEFT_FLOOR", "RIGHT_FLOOR", "LEFT_HANDFLOOR", "RIGHT_HANDFLOOR", "BASE", "AUXILIARY", "SPINE",
                      "NECK", "ROLL", "SPECIAL", "LEFTHAND", "RIGHTHAND", "LEFTFOOT", "RIGHTFOOT", "PROPS"}));

    ReadBack read(Write(KQelWriterQel6::eBinary));
    ASSERT_TRUE(read.Enter("Objects"));
    Values header;
    ASSERT_TRUE(read.Enter("Constraint", &header));
    EXPECT_EQ(header, (Values{"S:Constraint::Hero", "S:Character"}));
    ASSERT_TRUE(read.Enter("LEFT_FLOOR"));
    EXPECT_EQ(read.Field("NAME"), Values{"S:Floor"});
    read.Leave();
    ASSERT_TRUE(read.Enter("BASE"));
    EXPECT_EQ(read.Count("LINK"), 1);  // the stranger's link is left out
    ASSERT_TRUE(read.Enter("LINK", &header));
    EXPECT_EQ(header, Values{"S:Hips"});
    EXPECT_EQ(read.Count("NAME"), 0);
    EXPECT_EQ(read.Field("TOFFSETZ"), Values{"D:3"});
    EXPECT_EQ(read.Field("SOFFSETX"), Values{"D:1"});
    read.Leave();
    read.Leave();
    read.Leave();
    read.Leave();
}

TEST_F(Writer6Document, PosesGenericNodesAndSceneInformation)
{
    KQelPose* bind = f.manager.CreateKQelPose("Bind", true);
    KQelPose* rest = f.manager.CreateKQelPose("Rest", false);
    KQelMatrix matrix;
    for (KQelPose* pose : {bind, rest}) {
        pose->Add("Model::A", matrix, true);
        f.scene.AddPose(pose);
    }
    f.scene.AddGenericNode(f.manager.CreateKQelGenericNode("Extra"));
    KQelSceneInfo* info = f.manager.CreateKQelSceneInfo();
    info->mTitle = "Title";
    info->mComment = "Comment";
    f.scene.SetSceneInfo(info);

    for (int size : {0, 64}) {
        SCOPED_TRACE(size);
        KQelThumbnail* thumbnail = f.manager.CreateKQelThumbnail();
        thumbnail->SetSize(static_cast<KQelThumbnail::EImageSize>(size));
        info->SetSceneThumbnail(thumbnail);
        const std::string path = Write();
        const std::vector<OutlineEntry> outline = Outline(path);
        const int block = FindEntry(outline, "SceneInfo", "\"SceneInfo::GlobalInfo\"");
        ASSERT_GE(block, 0);
        EXPECT_EQ(ChildNames(outline, block),
                  size ? (Values{"Type", "Version", "Thumbnail", "MetaData"}) : (Values{"Type", "Version", "MetaData"}));

        ReadBack read(path);
        ASSERT_TRUE(read.Enter("Objects"));
        Values header;
        ASSERT_TRUE(read.Enter("GenericNode", &header));
        EXPECT_EQ(header, (Values{"S:Extra", "S:GenericNode"}));
        EXPECT_EQ(read.Field("Version"), Values{"I:100"});
        read.Leave();
        ASSERT_TRUE(read.Enter("SceneInfo"));
        if (size) {
            ASSERT_TRUE(read.Enter("Thumbnail"));
            EXPECT_EQ(read.Field("Size"), Values{"I:64"});
            EXPECT_EQ(read.Field("ImageData").size(), 64u * 64u * 3u);
            read.Leave();
        }
        ASSERT_TRUE(read.Enter("MetaData"));
        EXPECT_EQ(read.Field("Title"), Values{"S:Title"});
        EXPECT_EQ(read.Field("Comment"), Values{"S:Comment"});
        read.Leave();
        read.Leave();
        for (const char* type : {"BindPose", "RestPose"}) {
            SCOPED_TRACE(type);
            ASSERT_TRUE(read.Enter("Pose", &header));
            EXPECT_EQ(header.at(1), std::string("S:") + type);
            EXPECT_EQ(read.Field("NbPoseNodes"), Values{"I:1"});
            ASSERT_TRUE(read.Enter("PoseNode"));
            EXPECT_EQ(read.Field("Node"), Values{"S:Model::A"});
            EXPECT_EQ(read.Field("Matrix").size(), 16u);
            EXPECT_EQ(read.Count("Local"), std::string(type) == "RestPose" ? 1 : 0);
            read.Leave();
            read.Leave();
        }
        read.Leave();
    }
}

// ---- Summary ----

TEST_F(Writer6Document, SummaryOfABinaryFile)
{
    f.scene.CreateCharacter("Hero");
    ASSERT_TRUE(f.scene.CreateTake("Walk"));
    ASSERT_TRUE(f.scene.CreateTake("Hidden"));
    KQelTakeInfo hidden;
    hidden.mName = "Hidden";
    hidden.mSelect = false;
    ASSERT_TRUE(f.scene.SetTakeInfo(hidden));
    // Computing the span of "Run" makes it current for a while; the summary
    // still names the take current when the write began.
    ASSERT_TRUE(f.scene.CreateTake("Run"));
    ASSERT_TRUE(f.scene.SetCurrentTake("Walk"));
    KQelNode* named = f.AddNode("Named");
    const struct {
        const char* mNodeName;
        int mTemplate;
    } cases[] = {{"Model::a:b:~qelexport~", 1}, {"Model::~QELEXPORT~", 0}, {"Model::~qelexport~x", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mNodeName);
        named->GetKName().SetCurrentName(c.mNodeName);
        const std::string path = Write(KQelWriterQel6::eBinary);
        EXPECT_EQ(options.mIsTemplate, c.mTemplate == 1);
        KQel file;
        ASSERT_TRUE(file.ProjectOpen(path.c_str(), true, true, nullptr));
        ASSERT_EQ(file.ProjectGetExtensionSectionCount(), 1);
        ASSERT_TRUE(file.ProjectOpenExtensionSection(0));
        ASSERT_TRUE(file.FieldReadBegin("Summary") && file.FieldReadBlockBegin());
        EXPECT_EQ(file.FieldReadI("Version"), 101);
        EXPECT_EQ(file.FieldReadI("Template"), c.mTemplate);
        EXPECT_EQ(file.FieldReadI("PasswordProtection"), 0);
        ASSERT_TRUE(file.FieldReadBegin("ContentCount") && file.FieldReadBlockBegin());
        ASSERT_TRUE(file.FieldReadBegin("Version"));
        EXPECT_EQ(file.FieldReadGetType(), 'S');
        EXPECT_STREQ(file.FieldReadC(), "100");
        file.FieldReadEnd();
        EXPECT_EQ(file.FieldReadI("Model"), 1);
        EXPECT_EQ(file.FieldReadI("Character"), 1);
        EXPECT_EQ(file.FieldReadI("Constraint"), 1);
        EXPECT_EQ(file.FieldReadI("Media"), 0);
        file.FieldReadBlockEnd();
        file.FieldReadEnd();
        ASSERT_TRUE(file.FieldReadBegin("Takes") && file.FieldReadBlockBegin());
        EXPECT_EQ(file.FieldReadI("Version"), 101);
        EXPECT_STREQ(file.FieldReadC("Current", ""), "Walk");
        // The unselected take is in neither list.
        EXPECT_EQ(file.FieldGetInstanceCount("Take"), 2);
        file.FieldReadBlockEnd();
        file.FieldReadEnd();
        ReadBack read(path);
        ASSERT_TRUE(read.Enter("Takes"));
        EXPECT_EQ(read.Field("Current"), Values{"S:Walk"});
        EXPECT_EQ(read.Count("Take"), 2);
        read.Leave();
        EXPECT_STREQ(f.scene.GetCurrentTakeName(), "Walk");
    }
    KQel text;
    ASSERT_TRUE(text.ProjectOpen(Write(KQelWriterQel6::eAscii).c_str(), false, true, nullptr));
    EXPECT_EQ(text.ProjectGetExtensionSectionCount(), 0);
}

}  // namespace
}  // namespace writer6test
}  // namespace qelsdk_600
