// The importer object of this process on SDK-written files: deep trees on a
// small stack, names that command texts must carry safely, and the world
// transform from one import to the next.
#include "import_fixture.h"

#include <vesk/MArgList.h>

#include <vesk/MSelectionList.h>

#include "common/small_stack.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

TEST_F(ImportTest, ADeepChainImportsOnASmallStack)
{
    const int depth = 10000;
    const std::string path = writeScene("deep.qel", [](KQelSdkManager& pManager, KQelScene& pScene) {
        KQelNode* parent = pScene.GetRootNode();
        for (int i = 0; i < depth; ++i)
            parent = add(pManager, parent, ("n" + std::to_string(i)).c_str());
    });
    ASSERT_EQ(mImport->OpenProject(MString(path.c_str())), MStatus::kSuccess);
    std::pair<QelVeskImport*, MStatus> run{mImport.get(), MStatus::kFailure};
    smallstack::OnSmallStack([](void* pRun) {
        auto& r = *static_cast<std::pair<QelVeskImport*, MStatus>*>(pRun);
        r.second = r.first->Import();
    }, &run);
    EXPECT_EQ(run.second, MStatus::kSuccess);
    // Found by its name alone: the scene dump of so deep a chain is too long.
    MSelectionList deepest;
    MDagPath last;
    ASSERT_TRUE(deepest.add(MString(("n" + std::to_string(depth - 1)).c_str())));
    ASSERT_TRUE(deepest.getDagPath(0, last));
    EXPECT_EQ(last.length(), static_cast<unsigned int>(depth));
}

TEST_F(ImportTest, NamesFromTheFileReachWarningsVerbatimAndCommandsQuoted)
{
    const char* const alpha = "Alpha\"\\;$x\ny";
    const char* const beta = "Beta\"\\;$x\ny";
    const std::string path = writeScene("names.qel", [&](KQelSdkManager& pManager, KQelScene& pScene) {
        // Scaled non-uniformly in the take, each with a child that inherits
        // its scaling the RrSs way; listed Beta first.
        std::vector<KQelNode*> scaled;
        for (const char* name : {beta, alpha}) {
            scaled.push_back(add(pManager, pScene.GetRootNode(), name));
            add(pManager, scaled.back(), (std::string("Kid") + name[0]).c_str());
        }
        add(pManager, pScene.GetRootNode(), "sp\"a;$\\ce:Node");
        pScene.CreateTake("Walk");
        for (KQelNode* node : scaled) {
            node->SetCurrentTakeNode("Walk");
            addKey(node->GetCurrentTakeNode()->GetScaleX(), 0.0, 2.0f);
        }
    });
    QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kImportShowUI, true);
    standin::queueReply("QEL import Error", standin::Reply::press("Ok"));
    standin::clearLogs();
    ASSERT_EQ(mImport->OpenProject(MString(path.c_str())), MStatus::kSuccess);
    mImport->SetTakeName("Walk");
    ASSERT_EQ(mImport->Import(), MStatus::kSuccess);

    const std::string sentence = " has a Non-uniform scale and one or more child that have a RrSs-type scaling which "
                                 "is not supported by Vesk. Some shearing that was not present in Animora may appear "
                                 "on a child.";
    ASSERT_EQ(standin::dialogs().size(), 1u);
    EXPECT_EQ(standin::dialogs()[0].message,
              "Node " + std::string(alpha) + sentence + "\nNode " + beta + sentence + "\n");
    EXPECT_NE(logText().find("Node " + std::string(alpha) + sentence + "\\n\nNode " + beta + sentence + "\\n\n"),
              std::string::npos)
        << logText();
    for (const standin::LoggedCommand& c : standin::commandLog())
        EXPECT_TRUE(std::regex_match(c.text, std::regex("(namespace|namespaceInfo|upAxis|confirmDialog|exists) .*")))
            << c.text;
    EXPECT_EQ(dumpLines("^node \"\\|[^\"]*\" = \"transform\"").size(), 9u) << "five and the default cameras";
    EXPECT_EQ(dumpLines("^node \"\\|[\\w|:]*\" = \"transform\"").size(), 9u) << "only legal names";
    EXPECT_EQ(dumpLines("^global namespaces = \"\\w+\"$").size(), 1u);
}

TEST_F(ImportTest, TheBlendShapeWarningListsNamesThreeARowAndEndsWithAnEmptyRow)
{
    QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kImportShowUI, true);
    standin::setStandingReply("QEL import error", standin::Reply::press("Ok"));
    const std::string head = "Import of blendshape animation failed for the following nodes:\n\n";
    const std::string tail = "\nMake sure the animation function curves exist on these nodes.\n"
                             " (Make sure each blendshape have at least a key)\n";
    mImport->DisplayBlendShapeImportWarningDialog();
    for (const char* name : {"a", "b", "c", "d"}) {
        mImport->GetFailedBlendShapeNodes().Add(node(name));
        if (*name == 'b')
            continue;
        mImport->DisplayBlendShapeImportWarningDialog();
    }
    EXPECT_EQ(dialogMessages(), (std::vector<std::string>{head + "        a\n        \n" + tail,
                                                  head + "        a, b, c\n        \n" + tail,
                                                  head + "        a, b, c, \n        d\n        \n" + tail}));
    standin::clearStandingReplies();
}

TEST_F(ImportTest, ParseArgsCopiesTheFileArgumentWhenItFits)
{
    const struct {
        std::vector<std::string> args;
        unsigned int size;
        MStatus::MStatusCode status;
        const char* buffer;
    } cases[] = {{{"-t", "1", "-f", "a.qel", "-f", "b"}, 6, MStatus::kSuccess, "a.qel"},
                 {{"-f", "a.qel"}, 5, MStatus::kFailure, ""},
                 {{"-f"}, 16, MStatus::kInvalidParameter, "kept"}};
    for (const auto& c : cases) {
        char buffer[16] = "kept";
        EXPECT_EQ(mImport->parseArgs(MArgList(c.args), buffer, c.size).statusCode(), c.status) << c.size;
        EXPECT_STREQ(buffer, c.buffer);
    }
}

}  // namespace
