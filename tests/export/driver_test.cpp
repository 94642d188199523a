// The export driver: the log, failures, the master scale, the take
// information, the checks between the phases and their dialogs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <standin/StandIn.h>
#include <vesk/MAnimControl.h>
#include <vesk/MArgList.h>
#include <vesk/MFnAnimCurve.h>

#include "common/file_size_limit.h"
#include "common/small_stack.h"
#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "export/export_fixture.h"
#include "file/qellogfile.h"
#include "plugin/qelvesknode.h"
#include "scene/kqeltakeinfo.h"

using namespace qelsdk_600;

namespace {

using Lines = std::vector<std::string>;

// The exporter with a log of its own, for the checks run outside Export.
class LoggingExport : public QelVeskExport {
public:
    explicit LoggingExport(const char* pLogName) { mLogFile = new QelLogFile(pLogName, "Checks", false, true); }
    void CloseLog()
    {
        delete mLogFile;
        mLogFile = nullptr;
    }
};

std::vector<std::string> DialogMessages()
{
    std::vector<std::string> messages;
    for (const standin::DialogRecord& d : standin::dialogs()) {
        EXPECT_EQ(d.buttons, (Lines{"Ok"})) << d.title;
        messages.push_back(d.title + ": " + d.message);
    }
    return messages;
}

}  // namespace

TEST_F(ExportTest, AFailedWriteIsLoggedAndLeavesThePathAsItWas)
{
    make("transform", "a");
    const struct {
        const char* what;
        std::string path;
        const char* before;  // the file already at the path, or null
    } cases[] = {
        {"missing directory", ScratchDir() + "/missing/out.qel", nullptr},
        {"full disk", ScratchDir() + "/kept.qel", "the previous file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        mPath = c.path;
        std::remove(LogPath().c_str());
        if (c.before) {
            std::ofstream(mPath, std::ios::binary) << c.before;
        }
        // A full disk: far below what the file needs, above the log's lines.
        std::unique_ptr<FileSizeLimit> limit(c.before ? new FileSizeLimit(1024) : nullptr);
        EXPECT_FALSE(Export());
        limit.reset();
        EXPECT_EQ(ReadText(mPath), c.before ? c.before : "");
        EXPECT_EQ(LogLines(), (Lines{"File Export : " + mPath, "File Export Failed."}));
    }
}

TEST_F(ExportTest, RepeatedNamesAreListedLastFoundFirstAndFail)
{
    // The name-clash pass makes every name of an export unique first, so
    // the check is run on a tree of its own: one name, 42 times.
    QelVeskSdkManager manager(QelVeskSdkManager::eExport);
    QelVeskNode* root = manager.CreateQelVeskNode("root", nullptr);
    for (int i = 0; i < 42; ++i) {
        const std::string host = "d" + std::to_string(i);
        make("transform", host.c_str());
        const MDagPath bound = path(host.c_str());
        root->AddChild(manager.CreateQelVeskNode("dup", &bound));
    }
    Params().SetBoolParam(QelVeskUserParams::kExportShowUI, true);
    standin::queueReply(standin::Reply::press("Ok"));
    LoggingExport exporter("checks.txt");
    EXPECT_FALSE(exporter.CheckDuplicateName(root));
    exporter.CloseLog();

    Lines log{"Checks", "QEL Export Error: Unable to export QEL project because these models share same name : "};
    std::string dialog = "QEL Export Error: Unable to export QEL project because these models share same name : \n\n";
    for (int i = 40; i >= 1; --i) {
        log.push_back(" / d" + std::to_string(i));
        dialog += "     / d" + std::to_string(i) + "\n";
    }
    log.insert(log.end(), {"   ...", ""});
    dialog += "   ...\n";
    std::istringstream in(ReadText(ScratchDir() + "/checks.txt"));
    Lines read;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Date: ", 0) != 0)
            read.push_back(line);
    EXPECT_EQ(read, log);
    EXPECT_EQ(DialogMessages(), Lines{dialog});
}

TEST_F(ExportTest, MasterScaleWrapsOrDissolvesFirstLevelNodes)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double scale;
        bool qelRoot;  // a first-level "Qel_Root" scaled by 2 holding a and b
        Lines top;
    } cases[] = {
        {1.0, false, {"a", "b"}},  {nan, false, {"a", "b"}},  {0.0, false, {"a", "b"}},
        {2.0, false, {"Qel_Root"}}, {0.5, true, {"a", "b"}}, {2.0, true, {"Qel_Root"}},
    };
    for (const auto& c : cases) {
        standin::resetHost();
        const char* parent = "";
        if (c.qelRoot) {
            make("transform", "Qel_Root");
            const double two[3] = {2, 2, 2};
            Transform("Qel_Root").setScale(two);
            parent = "Qel_Root";
        }
        make("transform", "a", parent);
        make("transform", "b", parent);
        Params().SetDoubleParam(KQelUserParams::kExportMasterScale, c.scale);
        ASSERT_TRUE(ExportAndRead()) << c.scale;
        EXPECT_EQ(Children(Root()), c.top) << c.scale;
        if (c.top == Lines{"Qel_Root"}) {
            EXPECT_EQ(Children(Node("Qel_Root")), (Lines{"a", "b"})) << c.scale;
            KQelVector4 s;
            Node("Qel_Root")->GetDefaultS(s);
            EXPECT_EQ(s[0], c.qelRoot ? 2.0 : c.scale) << "a host root is not rescaled statically";
        }
    }
}

TEST_F(ExportTest, TakeInformationSpansThePlaybackRange)
{
    make("transform", "moving");
    MFnAnimCurve curve;
    curve.create(plug("moving.translateX"));
    curve.addKey(MTime(1.0, MTime::kSeconds), 0.0);
    curve.addKey(MTime(2.0, MTime::kSeconds), 5.0);
    make("transform", "still");
    ASSERT_TRUE(MAnimControl::setMinMaxTime(MTime(0.5, MTime::kSeconds), MTime(2.5, MTime::kSeconds)));
    ASSERT_TRUE(ExportAndRead());
    const KQelTakeInfo* info = mRead->GetTakeInfo(KString("Take 001"));
    ASSERT_NE(info, nullptr);
    for (const KTimeSpan& span : {info->mLocalTimeSpan, info->mReferenceTimeSpan}) {
        EXPECT_DOUBLE_EQ(span.GetStart().GetSecondDouble(), 0.5);
        EXPECT_DOUBLE_EQ(span.GetStop().GetSecondDouble(), 2.5);
    }
    EXPECT_STREQ(mRead->GetCurrentTakeName(), "Take 001");
    EXPECT_EQ(Node("still")->GetTakeNodeCount(), 1) << "only animated nodes get the take";
}

TEST_F(ExportTest, NamespaceWarningsGoToTheLogAndWithShowUIToADialog)
{
    const struct {
        Lines top;
        bool warned;
    } cases[] = {{{"rig:a", "rig:b", "rig:c"}, true}, {{"x:a", "y:b"}, false}, {{"a", "b"}, false}};
    for (bool showUI : {false, true}) {
        for (const auto& c : cases) {
            standin::resetHost();
            std::remove(LogPath().c_str());
            for (const std::string& name : c.top)
                make("transform", name.c_str());
            Params().SetBoolParam(QelVeskUserParams::kExportShowUI, showUI);
            if (showUI && c.warned)
                standin::queueReply(standin::Reply::press("Ok"));
            ASSERT_TRUE(Export());
            const Lines expected =
                c.warned ? Lines{"File Export : " + mPath,
                                 "QEL Export Warning: ANIMORA does not handle shared namespaces in root nodes.",
                                 "The scene will be exported anyway. However it is recommended to correct",
                                 "them otherwise the compatibility may be broken during mergeback.", ""}
                         : Lines{};
            EXPECT_EQ(LogLines(), expected) << c.top[0];
            EXPECT_EQ(DialogMessages(),
                      showUI && c.warned
                          ? Lines{"QEL Export Warning: ANIMORA does not handle shared namespaces in root nodes.\n"
                                  "The scene will be exported anyway. However it is recommended to correct\n"
                                  "them otherwise the compatibility may be broken during mergeback.\n\n"}
                          : Lines{});
        }
    }

    // Materials and textures: a colon after the kind prefix.
    QelVeskSdkManager manager(QelVeskSdkManager::eExport);
    for (const char* name : {"ns:skin", "plain"})
        manager.CreateKQelMaterial(name);
    manager.CreateKQelTexture("a:b:c");
    std::remove((ScratchDir() + "/namespaces.txt").c_str());
    QelLogFile* log = new QelLogFile("namespaces.txt", "Namespaces", false, true);
    standin::queueReply(standin::Reply::press("Ok"));
    WarnForNamespacesInMaterialsAndTextures(log, manager);
    delete log;
    EXPECT_NE(ReadText(ScratchDir() + "/namespaces.txt")
                  .find("compatibility during import/export/mergeback. The faulty items are: \n\n"
                        "Material::ns:skin\nTexture::a:b:c\n\n"),
              std::string::npos);
    ASSERT_EQ(standin::dialogs().size(), 1u);
    EXPECT_NE(standin::dialogs()[0].message.find("are: \n\n    Material::ns:skin\n    Texture::a:b:c\n"),
              std::string::npos);
}

TEST_F(ExportTest, ParseArgsCopiesTheFileArgumentOnlyWhenItFits)
{
    const struct {
        std::vector<std::string> args;
        size_t size;
        bool ok;
        const char* buffer;
    } cases[] = {
        {{"-x", "-f", "scene.qel"}, 10, true, "scene.qel"},
        {{"-f", "scene.qel"}, 9, false, "untouched"},  // no room for the terminator
        {{"-f"}, 64, false, "untouched"},
        {{"scene.qel"}, 64, false, "untouched"},
        {{}, 64, false, "untouched"},
    };
    QelVeskExport exporter;
    for (const auto& c : cases) {
        char buffer[64] = "untouched";
        EXPECT_EQ(static_cast<bool>(exporter.parseArgs(MArgList(c.args), buffer, c.size)), c.ok) << c.size;
        EXPECT_STREQ(buffer, c.buffer);
    }
}

TEST_F(ExportTest, TreeWalksNeitherRecurseNorSkip)
{
    struct Work {
        QelVeskSdkManager manager{QelVeskSdkManager::eExport};
        QelVeskExport exporter;
        std::vector<QelVeskNode*> chain;
        bool transformed = false, unique = false;
    } work;
    for (int i = 0; i < 4000; ++i) {
        work.chain.push_back(work.manager.CreateQelVeskNode(("n" + std::to_string(i)).c_str(), nullptr));
        if (i > 0)
            work.chain[i - 1]->AddChild(work.chain[i]);
    }
    smallstack::OnSmallStack([](void* pWork) {
        Work& w = *static_cast<Work*>(pWork);
        w.exporter.DisablePivotUse(w.chain[0]);
        w.exporter.AddUserProperties(w.chain[0]);
        w.transformed = static_cast<bool>(w.exporter.ExportTransform(*w.chain[0]));
        w.unique = static_cast<bool>(w.exporter.CheckDuplicateName(w.chain[0]));
    }, &work);
    EXPECT_TRUE(work.transformed);
    EXPECT_TRUE(work.unique);
    for (QelVeskNode* node : work.chain) {
        KQelNode::EPivotState state;
        node->GetPivotState(KQelNode::eSourcePivot, state);
        ASSERT_EQ(state, KQelNode::ePivotReference) << node->GetName();
    }
}
