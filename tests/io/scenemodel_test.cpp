// What the io framework does with scene-model objects: the manager's front
// ends, scene information ownership, and the node checks of the reader and
// writer bases.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/small_stack.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "io/kqelio_impl.h"
#include "io/kstreamoptionsqel.h"
#include "io_fakes.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {
namespace {

using iotest::Child;

KQelSceneInfo* Info(KQelSdkManager& pManager, const char* pTitle)
{
    KQelSceneInfo* info = pManager.CreateKQelSceneInfo();
    info->mTitle = pTitle;
    return info;
}

TEST(ManagerFrontEnds, MadeListedAndEndedByTheManager)
{
    KQelSdkManager manager;
    KQelImporter* importer = manager.CreateKQelImporter();
    KQelExporter* exporter = manager.CreateKQelExporter();
    ASSERT_NE(nullptr, importer);
    ASSERT_NE(nullptr, exporter);
    EXPECT_TRUE(manager.DestroyKQelImporter(importer));
    EXPECT_TRUE(manager.DestroyKQelExporter(exporter));
    EXPECT_FALSE(manager.DestroyKQelImporter(importer));
    EXPECT_STREQ("Object not found", manager.GetLastErrorString());

    // Left to the manager's end: an importer holding a copy of scene
    // information, which that end reaches before the importers (ASan).
    KQelImporter* kept = manager.CreateKQelImporter();
    KStreamOptionsQel options;
    options.mSceneInfo = Info(manager, "Kept");
    kept->GetImportOptionsInfo(&options);
    manager.CreateKQelExporter();
}

TEST(ManagerFrontEnds, TheImporterOwnsItsCopiesOfTakesAndSceneInformation)
{
    KQelSdkManager manager;
    KQelImporter* importer = manager.CreateKQelImporter();
    KStreamOptionsQel* file = KStreamOptionsQelCreate();
    for (const char* name : {"Walk", "Run"}) {
        file->mTakeInfo.Add(new KQelTakeInfo);
        file->mTakeInfo[file->mTakeInfo.GetCount() - 1]->mName = name;
    }
    file->mSceneInfo = Info(manager, "Scene");
    importer->GetImportOptionsInfo(file);
    EXPECT_EQ(2, manager.GetKQelSceneInfoCount());
    KQelSceneInfo* fileInfo = file->mSceneInfo;
    file->Destroy();
    manager.DestroyKQelSceneInfo(fileInfo);

    KStreamOptionsQel out;
    importer->SetImportOptionsInfo(&out);
    ASSERT_EQ(2, out.mTakeInfo.GetCount());
    EXPECT_STREQ("Walk", out.mTakeInfo[0]->mName.Buffer());
    EXPECT_STREQ("Run", out.mTakeInfo[1]->mName.Buffer());
    ASSERT_EQ(1, manager.GetKQelSceneInfoCount());
    EXPECT_STREQ("Scene", manager.GetKQelSceneInfo(0)->mTitle.Buffer());

    // Options without scene information take the importer's copy away.
    importer->GetImportOptionsInfo(&out);
    EXPECT_EQ(0, manager.GetKQelSceneInfoCount());
    out.mSceneInfo = Info(manager, "Again");
    importer->GetImportOptionsInfo(&out);
    EXPECT_EQ(2, manager.GetKQelSceneInfoCount());
    importer->Reset();
    EXPECT_EQ(1, manager.GetKQelSceneInfoCount());
}

TEST(SceneInformation, ExportSettlesSceneAndOptions)
{
    const struct {
        const char* mScene;    // title of the scene's, null: none
        const char* mOptions;  // title of the options', null: none
        const char* mSceneAfter;
        const char* mOptionsAfter;
        bool mMadeForOptions;
    } cases[] = {
        {"S", "O", "O", "O", false},
        {"S", nullptr, "S", "S", true},
        {nullptr, "O", "O", "O", false},
        {nullptr, nullptr, nullptr, nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mScene ? c.mScene : "-") + (c.mOptions ? c.mOptions : "-"));
        KQelSdkManager manager;
        KQelSceneInfo* scene = c.mScene ? Info(manager, c.mScene) : nullptr;
        KQelSceneInfo* options = c.mOptions ? Info(manager, c.mOptions) : nullptr;
        KQelSceneInfo* made = io_detail::SettleSceneInfo(manager, scene, options);
        for (auto check : {std::make_pair(scene, c.mSceneAfter), std::make_pair(options, c.mOptionsAfter)}) {
            if (check.second)
                EXPECT_STREQ(check.second, check.first->mTitle.Buffer());
            else
                EXPECT_EQ(nullptr, check.first);
        }
        EXPECT_EQ(c.mMadeForOptions ? options : nullptr, made);
        EXPECT_TRUE(!scene || scene != options);
        EXPECT_EQ((scene ? 1 : 0) + (options ? 1 : 0), manager.GetKQelSceneInfoCount());
    }
}

// The scene's own record: a copy is made once, then overwritten; an export
// without options hands the options a copy of it; the writer finds the root
// node below the scene's root.
TEST(SceneInformation, ReachesARealScene)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelSceneInfo* source = Info(manager, "First");
    io_detail::CopySceneInfoToScene(manager, *scene, *source);
    KQelSceneInfo* held = scene->GetSceneInfo();
    ASSERT_NE(nullptr, held);
    EXPECT_NE(source, held);
    source->mTitle = "Second";
    io_detail::CopySceneInfoToScene(manager, *scene, *source);
    EXPECT_EQ(held, scene->GetSceneInfo());
    EXPECT_STREQ("Second", held->mTitle.Buffer());

    KStreamOptionsQel options;
    KQelSceneInfo* made = io_detail::SettleExportSceneInfo(manager, *scene, options);
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(made, options.mSceneInfo);
    EXPECT_STREQ("Second", made->mTitle.Buffer());

    iotest::Script script;
    iotest::FakeWriter writer(manager, script);
    KQelNode* top = Child(manager, scene->GetRootNode(), "Top");
    EXPECT_EQ(nullptr, writer.FindRootNode(*scene));
    top->SetSelected(true);
    EXPECT_EQ(top, writer.FindRootNode(*scene));
}

// A reader and a writer with nothing behind them: the node checks of the
// bases are what is tested.
struct Bases {
    KQelSdkManager mManager;
    iotest::Script mScript;
    iotest::FakeReader mReader{mManager, mScript};
    iotest::FakeWriter mWriter{mManager, mScript};
};

TEST(ReaderBase, DuplicateNamesAreListedOnceInOrderOfFirstRepeat)
{
    Bases bases;
    KQelSdkManager& m = bases.mManager;
    KQelNode* root = Child(m, nullptr, "Root");
    Child(m, root, "C");
    KQelNode* b = Child(m, root, "B");
    Child(m, b, "A");
    Child(m, b, "C");
    Child(m, root, "A");
    Child(m, root, "A");
    KString message("keep");
    EXPECT_FALSE(bases.mReader.CheckDuplicateNodeNames(root, message));
    EXPECT_STREQ("keep\n    Model::C\n    Model::A", message.Buffer());

    KQelNode* unique = Child(m, nullptr, "Unique");
    Child(m, unique, "One");
    Child(m, unique, "Two");
    for (KQelNode* tree : {unique, static_cast<KQelNode*>(nullptr)}) {
        KString untouched("keep");
        EXPECT_TRUE(bases.mReader.CheckDuplicateNodeNames(tree, untouched));
        EXPECT_STREQ("keep", untouched.Buffer());
    }
}

TEST(WriterBase, RootNodeIsTheFirstSelectedOnTheOnlyChildChain)
{
    // Each tree is a root with the chain a, b, c below it; then a change.
    const struct {
        const char* mName;
        const char* mSelected;  // node to select, null: none
        bool mSecondChildOfRoot;
        bool mSecondChildOfA;
        const char* mExpected;  // null: no root node
    } cases[] = {
        {"selected in the middle", "b", false, false, "Model::b"},
        {"nothing selected", nullptr, false, false, nullptr},
        {"root with two children", "a", true, false, nullptr},
        {"chain forks above the selection", "b", false, true, nullptr},
        {"chain forks below the selection", "a", false, true, "Model::a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        KQelSdkManager m;
        KQelNode* root = Child(m, nullptr, "Root");
        KQelNode* a = Child(m, root, "a");
        KQelNode* b = Child(m, a, "b");
        KQelNode* chain[] = {a, b, Child(m, b, "c")};
        if (c.mSecondChildOfRoot)
            Child(m, root, "other");
        if (c.mSecondChildOfA)
            Child(m, a, "other");
        for (KQelNode* node : chain) {
            if (c.mSelected && std::string("Model::") + c.mSelected == node->GetName())
                node->SetSelected(true);
        }
        KQelNode* found = io_detail::FindSelectedOnlyChild(root);
        if (c.mExpected) {
            ASSERT_NE(nullptr, found);
            EXPECT_STREQ(c.mExpected, found->GetName());
        } else {
            EXPECT_EQ(nullptr, found);
        }
    }
    EXPECT_EQ(nullptr, io_detail::FindSelectedOnlyChild(nullptr));
}

// Records every node its check is handed, then checks as the base does.
class RecordingWriter : public iotest::FakeWriter {
public:
    using FakeWriter::FakeWriter;
    bool CheckSpaceInNodeNameRecursive(KQelNode* pNode, KString& pMessage) override
    {
        mVisited.push_back(pNode->GetName());
        return KQelWriter::CheckSpaceInNodeNameRecursive(pNode, pMessage);
    }
    std::vector<std::string> mVisited;
};

TEST(WriterBase, SpaceCheckListsBlankTabAndLineFeedNamesOfTheWholeTree)
{
    KQelSdkManager m;
    iotest::Script script;
    RecordingWriter writer(m, script);
    KQelNode* root = Child(m, nullptr, "Root");
    KQelNode* tab = Child(m, root, "c\td");
    Child(m, tab, "trailing ");
    Child(m, tab, "dot.and-dash");
    Child(m, root, "feed\n");
    KString message;
    EXPECT_FALSE(writer.CheckSpaceInNodeNameRecursive(root, message));
    EXPECT_STREQ("\n    Model::c\td\n    Model::trailing \n    Model::feed\n", message.Buffer());
    EXPECT_EQ((std::vector<std::string>{"Model::Root", "Model::c\td", "Model::trailing ",
                                        "Model::dot.and-dash", "Model::feed\n"}),
              writer.mVisited);

    // A clean tree, and a check started again after one ended.
    KQelNode* clean = Child(m, nullptr, "Clean");
    Child(m, clean, "Name_1");
    KString untouched;
    EXPECT_TRUE(writer.CheckSpaceInNodeNameRecursive(clean, untouched));
    EXPECT_TRUE(untouched.IsEmpty());
}

struct DeepChain {
    Bases* mBases = nullptr;
    KQelNode* mRoot = nullptr;
    bool mDuplicates = true;
    KString mDuplicateMessage;
    bool mSpaces = true;
    KString mSpaceMessage;
    KQelNode* mRootNode = nullptr;
};

TEST(NodeChecks, DeepChainsDoNotExhaustTheStack)
{
    Bases bases;
    const int depth = 4000;
    KQelNode* root = Child(bases.mManager, nullptr, "Root");
    KQelNode* tip = root;
    for (int i = 0; i < depth; ++i)
        tip = Child(bases.mManager, tip, i == depth - 1 ? "tip end" : "Link");
    tip->SetSelected(true);
    DeepChain chain;
    chain.mBases = &bases;
    chain.mRoot = root;
    smallstack::OnSmallStack(
        [](void* pChain) {
            DeepChain& c = *static_cast<DeepChain*>(pChain);
            c.mDuplicates = c.mBases->mReader.CheckDuplicateNodeNames(c.mRoot, c.mDuplicateMessage);
            c.mSpaces = c.mBases->mWriter.CheckSpaceInNodeNameRecursive(c.mRoot, c.mSpaceMessage);
            c.mRootNode = io_detail::FindSelectedOnlyChild(c.mRoot);
        },
        &chain);
    EXPECT_FALSE(chain.mDuplicates);
    EXPECT_STREQ("\n    Model::Link", chain.mDuplicateMessage.Buffer());
    EXPECT_FALSE(chain.mSpaces);
    EXPECT_STREQ("\n    Model::tip end", chain.mSpaceMessage.Buffer());
    EXPECT_EQ(tip, chain.mRootNode);
}

}  // namespace
}  // namespace qelsdk_600
