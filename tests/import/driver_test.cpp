// Whole imports of SDK-written files through the module: the node tree in the
// host, the time range, and files the reader refuses.
#include "import_fixture.h"

#include <random>

#include <vesk/MAnimControl.h>

#include "content/kqelcamera.h"
#include "native/olderlayout_test_util.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

// A null turned (30, 0, 0) under the root; a skeleton root with a limb-node
// child and an effector below that; two nodes of namespace "rig", the later
// one first by name; a camera "persp" under the root.
void FillRig(KQelSdkManager& pManager, KQelScene& pScene)
{
    KQelNode* root = pScene.GetRootNode();
    add(pManager, root, "Locator")->SetDefaultR(KQelVector4(30.0, 0.0, 0.0, 0.0));
    const std::pair<const char*, KQelSkeleton::ESkeletonType> chain[] = {
        {"Hip", KQelSkeleton::eRoot}, {"Knee", KQelSkeleton::eLimbNode}, {"Toe", KQelSkeleton::eEffector}};
    KQelNode* parent = root;
    for (const auto& link : chain) {
        KQelSkeleton* skeleton = pManager.CreateKQelSkeleton();
        skeleton->SetSkeletonType(link.second);
        parent = add(pManager, parent, link.first, skeleton);
    }
    add(pManager, add(pManager, root, "rig:Spine"), "rig:Arm");
    add(pManager, root, "persp", pManager.CreateKQelCamera());
}

TEST_F(ModuleImportTest, TheNodeTreeBecomesTransformsLocatorsAndJointsInTheirNamespaces)
{
    for (KQelExporter::EFileFormat format : {KQelExporter::eQelAscii, KQelExporter::eQelBinary}) {
        SCOPED_TRACE(format);
        run("file -f -new");
        const std::string path = writeScene("rig.qel", FillRig, format);
        standin::clearLogs();
        ASSERT_EQ(importFile(path), 0);
        // The writers store an effector as a skeleton root: without limb
        // children it comes back as a null with the root's id.
        EXPECT_EQ(madeNodes(), (std::vector<std::string>{"|Hip joint 2", "|Hip|Knee joint 5", "|Hip|Knee|Toe null 2",
                                                         "|Locator null", "|rig:Spine null", "|rig:Spine|rig:Arm null"}));
        EXPECT_EQ(loggedCommands("namespace -add"), std::vector<std::string>{"namespace -add \"rig\""});
        EXPECT_EQ(dumpLines("^global (namespaces|currentNamespace)"),
                  (std::vector<std::string>{"global namespaces = \"rig\"", "global currentNamespace = \"\""}));
        EXPECT_EQ(dumpLines("^attr \"\\|Locator\" rotate(X|Order) "),
                  (std::vector<std::string>{"attr \"|Locator\" rotateX = k 0.5235987755982988",
                                            "attr \"|Locator\" rotateOrder = - 1"}));
    }
}

// A node keyed in translation X at the given times (seconds) in take "Take1".
Filler KeyedAt(std::vector<double> pTimes)
{
    return [pTimes](KQelSdkManager& pManager, KQelScene& pScene) {
        KQelNode* node = add(pManager, pScene.GetRootNode(), "Keyed");
        pScene.CreateTake("Take1");
        node->SetCurrentTakeNode("Take1");
        for (double seconds : pTimes)
            addKey(node->GetCurrentTakeNode()->GetTranslationX(), seconds, static_cast<float>(seconds));
    };
}

TEST_F(ModuleImportTest, TheTimeRangeFollowsTheKeysOfTheTake)
{
    const struct {
        std::vector<double> keys;
        const char* takeArgument;
        const char* range;
        const char* time;
    } cases[] = {
        {{10.0, 20.0}, " -t 0", "10 20", "10"},
        {{-5.0, -2.0}, " -t 0", "-5 0", "-5"},
        {{}, " -t 0", "0 0.041666666666666664", "0"},
        {{10.0, 20.0}, "", "0.25 0.75", "0.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.range);
        run("file -f -new");
        MAnimControl::setMinMaxTime(MTime(0.25, MTime::kSeconds), MTime(0.75, MTime::kSeconds));
        MAnimControl::setCurrentTime(MTime(0.5, MTime::kSeconds));
        const std::string path = writeScene("keys.qel", KeyedAt(c.keys));
        ASSERT_EQ(run("QELImport -f \"" + path + "\"" + c.takeArgument), 0);
        EXPECT_EQ(dumpLines("^global (range|time)"),
                  (std::vector<std::string>{std::string("global time = ") + c.time,
                                            std::string("global range = ") + c.range}));
    }
}

TEST_F(ModuleImportTest, RefusedFilesLeaveTheHostAsItWas)
{
    const std::string whole = writeScene("whole.qel", FillRig);
    const std::string cut = ScratchDir() + "/cut.qel";
    const std::string bytes = scratch::ReadFile(whole);
    scratch::WriteFile(cut, bytes.substr(0, bytes.size() / 2));
    const std::string cycle = ScratchDir() + "/cycle.qel";
    nativetest::BuildFile(cycle, 5800, true, [](KQel& pFile) {
        nativetest::WriteModel(pFile, "A", {"B"});
        nativetest::WriteModel(pFile, "B", {"A"});
    });
    const struct {
        std::string path;
        const char* reason;
    } files[] = {
        {cut, "File is corrupted"},
        {writeScene("locked.qel", FillRig, KQelExporter::eQelBinary, "secret"),
         "File is password protected and the provided password is wrong."},
        {cycle, "Unidentified error"},
    };
    ASSERT_EQ(importFile(whole), 0) << "a scene to keep";
    for (const char* mode : {"exmerge", "merge", "add"}) {
        for (const auto& file : files) {
            SCOPED_TRACE(std::string(mode) + " " + file.path);
            const std::string before = vesk::sceneDump();
            const size_t logged = logText().size();
            EXPECT_EQ(importFile(file.path, mode), 1);
            EXPECT_EQ(changesSince(before), std::vector<std::string>{});
            const std::string lines = logText().substr(logged);
            EXPECT_NE(lines.find("File import: " + file.path + "\n"), std::string::npos) << lines;
            EXPECT_NE(lines.find(std::string(file.reason) + "\n"), std::string::npos) << lines;
        }
    }

    // Shown in the dialog when the interface is on.
    ASSERT_EQ(run("QELImportShowUI -v true"), 0);
    ASSERT_EQ(run("QELImport -f \"" + files[1].path + "\""), 0);
    standin::queueReply("QEL import Error", standin::Reply::press("Ok").expecting(files[1].reason));
    const std::string before = vesk::sceneDump();
    EXPECT_EQ(standin::pressButton("QELVESKBUTTON"), MStatus::kFailure);
    EXPECT_EQ(changesSince(before), std::vector<std::string>{});
}

TEST_F(ModuleImportTest, GarbageFilesImportOrLeaveTheHostAsItWas)
{
    std::vector<std::string> seeds;
    for (KQelExporter::EFileFormat format : {KQelExporter::eQelAscii, KQelExporter::eQelBinary,
                                             KQelExporter::eQelEncrypted, KQelExporter::eQel5Ascii,
                                             KQelExporter::eQel5Binary})
        seeds.push_back(scratch::ReadFile(writeScene("seed.qel", FillRig, format)));
    seeds.push_back(scratch::ReadFile(writeScene("seed.qel", FillRig, KQelExporter::eQelBinary, "pw")));
    seeds.push_back(scratch::ReadFile(writeScene("seed.qel", KeyedAt({1.0, 2.0}), KQelExporter::eQelAscii)));
    const std::string path = ScratchDir() + "/garbage.qel";
    std::mt19937 random(47);
    int read = 0;
    for (int i = 0; i < 200; ++i) {
        std::string bytes = seeds[static_cast<size_t>(i) % seeds.size()];
        // Cut, flip a few bytes, or repeat a stretch.
        const size_t at = random() % bytes.size();
        if (i % 3 == 0)
            bytes.resize(at);
        else if (i % 3 == 1)
            for (int k = 0; k < 4; ++k)
                bytes[random() % bytes.size()] ^= static_cast<char>(1 + random() % 255);
        else
            bytes.insert(at, bytes.substr(at / 2, 64));
        scratch::WriteFile(path, bytes);
        const std::string before = vesk::sceneDump();
        const int status = run("QELImport -f \"" + path + "\"");
        if (status == 0) {
            ++read;
            run("file -f -new");
        } else {
            EXPECT_EQ(changesSince(before), std::vector<std::string>{}) << i;
        }
    }
    EXPECT_GT(read, 0) << "some damage is read past";
}

}  // namespace
