// Current-layout documents built field by field with the field file: the
// layout decision, objects, connections, scene information and settings.
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/kqelcamera.h"
#include "content/kqelcameraswitcher.h"
#include "content/kqelglobalcamerasettings.h"
#include "content/kqelgloballightsettings.h"
#include "content/kqelglobaltimesettings.h"
#include "native_test_util.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {
namespace nativetest {
namespace {

void WriteAmbient(KQel& pFile, double pRed)
{
    WriteBlock block(pFile, "AmbientRenderSettings");
    pFile.FieldWriteBegin("AmbientLightColor");
    for (double v : {pRed, 0.5, 0.5, 1.0})
        pFile.FieldWriteD(v);
    pFile.FieldWriteEnd();
}

TEST(CurrentLayout, ObjectsConnectionsSceneInformationAndSettingsAreRead)
{
    ScratchDir dir;
    const std::string path = dir.File("v6.qel");
    BuildFile(
        path, 6000, true,
        [](KQel& f) {
            WriteDefinitions(f, {"Model", "SceneInfo", "Model"});
            {
                WriteBlock objects(f, "Objects");
                for (const char* name : {"Model::A", "Model::B", "Model::C"})
                    WriteObject(f, "Model", name, "Null");
                WriteObject(f, "Texture", "Texture::T", "");  // no such definition: skipped
                ObjectBlock info(f, "SceneInfo", "SceneInfo::GlobalInfo", "UserData");
                WriteBlock meta(f, "MetaData");
                WriteFieldC(f, "Title", "A title");
                WriteFieldC(f, "Keywords", "k1 k2");
            }
            {
                WriteBlock connections(f, "Connections");
                WriteConnect(f, "OO", "Model::A", "Model::Scene");
                WriteConnect(f, "OO", "Model::B", "Model::A");
                WriteConnect(f, "OO", "Model::B", "Model::A");  // once only
                WriteConnect(f, "OO", "Model::C", "Model::Scene");
                WriteConnect(f, "PO", "Model::C", "Model::A");  // not joined
                f.FieldWriteBegin("Connect");
                for (const char* v : {"OP", "Model::C", "Model::B", "LookAtProperty"})
                    f.FieldWriteC(v);
                f.FieldWriteEnd();
            }
            WriteBlock version5(f, "Version5");
            WriteAmbient(f, 0.25);
            {
                WriteBlock renderer(f, "RendererSetting");
                WriteFieldC(f, "DefaultCamera", "Model::Producer Front");
                WriteFieldI(f, "DefaultViewingMode", 1);
            }
            WriteBlock settings(f, "Settings");
            WriteFieldC(f, "FrameRate", "0.0");
            WriteFieldI(f, "TimeMode", KTime_GetOldTimeModeCorrespondance(KTime::eFRAMES50));
            WriteFieldI(f, "ReferenceTimeIndex", 2);
            for (int i = 0; i < 3; ++i) {
                WriteBlock marker(f, "TimeMarker", "m");
                WriteFieldI(f, "Loop", 1);
            }
        },
        [](KQel& f) {
            WriteBlock summary(f, "Summary");
            WriteBlock takes(f, "Takes");
            WriteFieldC(f, "Current", "Walk");
            WriteBlock take(f, "Take", "Walk");
        });

    SceneFixture f;
    ReadResult read = ReadInto(f.manager, *f.scene, path);
    ASSERT_TRUE(read.mOk) << read.mError;
    KQelNode* root = f.scene->GetRootNode();
    ASSERT_EQ((std::vector<std::string>{"Model::A", "Model::C"}), ChildNames(*root));
    KQelNode* a = root->GetChild(0);
    ASSERT_EQ((std::vector<std::string>{"Model::B"}), ChildNames(*a));
    EXPECT_EQ(root->GetChild(1), a->GetChild(0)->GetTarget());
    EXPECT_EQ(3, root->GetChildCount(true));

    KQelSceneInfo* info = f.scene->GetSceneInfo();
    ASSERT_NE(nullptr, info);
    EXPECT_STREQ("A title", info->mTitle.Buffer());
    EXPECT_STREQ("k1 k2", info->mKeywords.Buffer());

    EXPECT_DOUBLE_EQ(0.25, f.scene->GetGlobalLightSettings()->GetAmbientColor().mRed);
    EXPECT_STREQ("Producer Front", f.scene->GetGlobalCameraSettings()->GetDefaultCamera());
    EXPECT_EQ(1, f.scene->GetGlobalCameraSettings()->GetDefaultViewingMode());
    KQelGlobalTimeSettings& time = *f.scene->GetGlobalTimeSettings();
    EXPECT_EQ(KTime::eFRAMES50, time.GetTimeMode());
    EXPECT_EQ(3, time.GetTimeMarkerCount());
    EXPECT_EQ(2, time.GetCurrentTimeMarker());
}

// The layout is told by the ambient colour: the older layout reads it from
// the main section, the current one from "Version5".
TEST(CurrentLayout, VersionAndDefinitionsDecideTheLayout)
{
    const struct {
        int mVersion;
        bool mBinary;
        bool mDefinitions;
        bool mCurrent;
    } cases[] = {
        {6000, true, false, true},  {5800, true, true, true},   {5800, true, false, false},
        {5801, false, false, true}, {5900, false, false, true}, {5799, false, true, false},
        {5000, false, true, false}, {4200, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mVersion);
        SCOPED_TRACE(c.mDefinitions);
        ScratchDir dir;
        const std::string path = dir.File("layout.qel");
        BuildFile(path, c.mVersion, c.mBinary, [&](KQel& f) {
            if (c.mDefinitions)
                WriteDefinitions(f, {"Model"});
            WriteAmbient(f, 0.1);
            WriteBlock version5(f, "Version5");
            WriteAmbient(f, 0.9);
        });
        SceneFixture f;
        ASSERT_TRUE(ReadInto(f.manager, *f.scene, path).mOk);
        EXPECT_DOUBLE_EQ(c.mCurrent ? 0.9 : 0.1, f.scene->GetGlobalLightSettings()->GetAmbientColor().mRed);
    }
}

// Each node is reached once from the root whatever the file connects:
// cycles, second parents, a node under itself, the root or switcher as a
// child.
TEST(CurrentLayout, ObjectConnectionsBetweenNodesKeepATree)
{
    ScratchDir dir;
    const std::string path = dir.File("hostile.qel");
    BuildFile(path, 6000, true,
              ModelDocument({"Model::A", "Model::B", "Model::C", "Model::D", "Model::E"},
                            {{"Model::A", "Model::B"},
                             {"Model::B", "Model::A"},  // cycle
                             {"Model::C", "Model::C"},  // itself
                             {"Model::D", "Model::A"},
                             {"Model::D", "Model::B"},  // second parent
                             {"Model::B", "Model::D"},  // below itself
                             {"Model::B", "Model::Scene"},
                             {"Model::Scene", "Model::E"},  // the root as a child
                             {"Model::E", "Model::E"}}));
    SceneFixture f;
    ASSERT_TRUE(ReadInto(f.manager, *f.scene, path).mOk);
    KQelNode* root = f.scene->GetRootNode();
    EXPECT_EQ(nullptr, root->GetParent());
    std::multiset<std::string> reached;
    native_detail::WalkBelow(*root, [&](KQelNode* pNode) {
        reached.insert(pNode->GetName());
        return reached.size() < 100;
    });
    EXPECT_EQ((std::multiset<std::string>{"Model::A", "Model::B", "Model::D"}), reached);
    EXPECT_EQ((std::vector<std::string>{"Model::B"}), ChildNames(*root));
}

// A reader whose protected steps the test can drive.
class ExposedReader : public KQelReaderQel {
public:
    using KQelReaderQel::KQelReaderQel;
    using KQelReaderQel::TakeOverCameras;
    void Use(IQelObject* pFile) { mFile = pFile; }
    void AddNode(KQelNode* pNode) { mNodeTable.Add(pNode->GetName(), reinterpret_cast<kReference>(pNode)); }
    int NodeCount() const { return mNodeTable.GetCount(); }
};

TEST(CurrentLayout, TakeOverKeepsTheLastSwitcherAndForgetsTheOthers)
{
    SceneFixture f;
    KQelImporter importer(f.manager);
    ExposedReader reader(f.manager, importer);
    IQelObject* file = KQelObjectCreate();
    reader.Use(file);
    const char* names[] = {"Model::S1", "Model::S2", "Model::Producer Top"};
    KQelNode* nodes[3];
    for (int i = 0; i < 3; ++i) {
        nodes[i] = f.manager.CreateKQelNode(names[i]);
        reader.AddNode(nodes[i]);
        file->ObjectRegister(names[i], nodes[i]->GetPropertyHandler());
    }
    nodes[0]->SetNodeAttribute(f.manager.CreateKQelCameraSwitcher());
    nodes[1]->SetNodeAttribute(f.manager.CreateKQelCameraSwitcher());
    KQelNode* child = f.manager.CreateKQelNode("Child");
    nodes[0]->AddChild(child);
    KQelCamera* camera = f.manager.CreateKQelCamera();
    nodes[2]->SetNodeAttribute(camera);
    camera->SetNearPlane(42.0);

    reader.TakeOverCameras(*f.scene);
    EXPECT_EQ(nodes[1], f.scene->GetCameraSwitcher());
    EXPECT_EQ(2, reader.NodeCount());
    EXPECT_EQ(nullptr, file->ObjectFetch("Model::S1"));
    EXPECT_NE(nullptr, file->ObjectFetch("Model::S2"));
    EXPECT_DOUBLE_EQ(42.0, f.scene->GetGlobalCameraSettings()->GetCameraProducerTop()->GetNearPlane());
    reader.Use(nullptr);
    delete file;
}

// Hostile counts and sizes end quickly and read what is there.
TEST(CurrentLayout, HostileCountsAndSizesReadOnlyWhatIsThere)
{
    ScratchDir dir;
    const std::string path = dir.File("counts.qel");
    BuildFile(path, 6000, true, [](KQel& f) {
        {
            WriteBlock definitions(f, "Definitions");
            for (int i = 0; i < 100000; ++i)
                WriteFieldC(f, "ObjectType", "Model");
            WriteFieldC(f, "ObjectType", "SceneInfo");
        }
        {
            WriteBlock objects(f, "Objects");
            WriteObject(f, "Model", "Model::Only", "Null");
            ObjectBlock info(f, "SceneInfo", "SceneInfo::GlobalInfo", "UserData");
            WriteBlock thumbnail(f, "Thumbnail");
            WriteFieldI(f, "Size", 100);
        }
        WriteBlock version5(f, "Version5");
        WriteBlock planes(f, "ShadowPlanes");
        WriteFieldI(f, "Count", 2147483647);
        f.FieldWriteBegin("Plane");
        for (double v : {1.0, 2.0, 3.0, 0.0, 0.0, 1.0})
            f.FieldWriteD(v);
        f.FieldWriteI(1);
        f.FieldWriteEnd();
        WriteFieldI(f, "UseShadow", 1);
    });
    SceneFixture f;
    ASSERT_TRUE(ReadInto(f.manager, *f.scene, path).mOk);
    int only = 0;
    for (int i = 0; i < f.manager.GetKQelNodeCount(); ++i)
        only += KString(f.manager.GetKQelNode(i)->GetName()) == "Model::Only";
    EXPECT_EQ(1, only);
    EXPECT_EQ(0, f.manager.GetKQelThumbnailCount());  // the unusable one was ended
    ASSERT_NE(nullptr, f.scene->GetSceneInfo());
    EXPECT_EQ(nullptr, f.scene->GetSceneInfo()->GetSceneThumbnail());
    KQelGlobalLightSettings& light = *f.scene->GetGlobalLightSettings();
    ASSERT_EQ(1, light.GetShadowPlaneCount());
    EXPECT_DOUBLE_EQ(3.0, light.GetShadowPlane(0)->mOrigin[2]);
    EXPECT_TRUE(light.GetShadowEnable());
}

// A take file is opened only when it is a regular file; anything else reads
// the take's own block.
TEST(CurrentLayout, TakeFilesAreRegularFilesOnly)
{
    ScratchDir dir;
    const std::string takeFile = dir.File("walk.tak");
    BuildFile(takeFile, 6000, true, [](KQel& f) { WriteFieldC(f, "Comments", "from the take file"); });
    const struct {
        std::string mFileName;
        const char* mComment;
    } cases[] = {{takeFile, "from the take file"}, {"/dev/zero", "from the block"},
                 {dir.Path(), "from the block"}, {dir.File("missing.tak"), "from the block"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mFileName);
        const std::string path = dir.File("takes.qel");
        std::remove(path.c_str());
        BuildFile(path, 6000, true, [](KQel&) {},
                  [&](KQel& f) {
                      WriteBlock summary(f, "Summary");
                      WriteBlock takes(f, "Takes");
                      WriteBlock take(f, "Take", "Walk");
                      WriteFieldC(f, "FileName", c.mFileName.c_str());
                      WriteFieldC(f, "Comments", "from the block");
                  });
        SceneFixture f;
        KQelImporter importer(f.manager);
        importer.Initialize(path.c_str());
        ASSERT_EQ(1, importer.GetTakeCount());
        EXPECT_STREQ(c.mComment, importer.GetTakeInfo(0)->mDescription.Buffer());
    }
}

}  // namespace
}  // namespace nativetest
}  // namespace qelsdk_600
