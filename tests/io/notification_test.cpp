#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/klib.h"
#include "common/scratch_dir.h"
#include "io/settings/kqelusernotification.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

// Records every hook call as a short text.
class Recorder : public KQelUserNotification {
public:
    Recorder() : KQelUserNotification("notes.txt", "Conversion notes") {}

    void OpenOutput() override { mCalls.push_back("open"); }
    void CloseOutput() override { mCalls.push_back("close"); }
    void PostInit() override { mCalls.push_back("init"); }
    void PreTerminate() override { mCalls.push_back("pre"); }
    bool OutputEntry(KQelAccumulatorEntry* pEntry, bool pFlag) override
    {
        mCalls.push_back("entry " + std::string(pEntry->mName.Buffer()) + (pFlag ? " 1" : " 0"));
        int details = pEntry->mDetails.GetCount();
        mLastDetail = details ? pEntry->mDetails[details - 1]->Buffer() : "";
        return true;
    }
    bool OutputAllEntries(KArrayTemplate<KQelAccumulatorEntry*>& pEntries, bool pFlag) override
    {
        mCalls.push_back("all " + std::to_string(pEntries.GetCount()) + (pFlag ? " 1" : " 0"));
        return false;
    }

    std::vector<std::string> mCalls;
    std::string mLastDetail;  // of the entry last handed to OutputEntry
};

// TMPDIR and the master directory point into a scratch directory.
class Notification : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tmp = std::getenv("TMPDIR");
        mHadTmp = tmp != nullptr;
        mSavedTmp = tmp ? tmp : "";
        mSavedMaster = KLib_GetMasterDirectory();
        setenv("TMPDIR", mDir.Path().c_str(), 1);
    }
    void TearDown() override
    {
        if (mHadTmp)
            setenv("TMPDIR", mSavedTmp.c_str(), 1);
        else
            unsetenv("TMPDIR");
        KLib_SetMasterDirectory(mSavedMaster.c_str());
    }

    std::string Log() { return scratch::ReadFile(mDir.File("notes.txt")); }

    scratch::ScratchDir mDir;
    bool mHadTmp = false;
    std::string mSavedTmp;
    std::string mSavedMaster;
};

TEST_F(Notification, OutputGoesToOneEntryOrAllAndLogsUnlessSuppressed)
{
    Recorder notes;
    notes.InitAccumulator();
    EXPECT_EQ(mDir.Path() + "/", KLib_GetMasterDirectory());
    EXPECT_EQ(0, notes.AddEntry("W", "D"));
    EXPECT_EQ(1, notes.AddEntry("X", "E"));
    notes.AddDetail(0, KString("a"), true);
    notes.AddDetail(0, KString("b"), false);
    notes.AddDetail(1, KString("c"), false);
    notes.mCalls.clear();

    const struct {
        int mIndex;
        bool mNoLog;
        const char* mCall;
        bool mResult;
    } cases[] = {
        {0, false, "entry W 1", true}, {0, true, "entry W 1", true},
        {-1, false, "all 2 1", false}, {5, true, "all 2 1", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.mResult, notes.Output(c.mIndex, c.mNoLog));
        EXPECT_EQ(std::vector<std::string>{c.mCall}, notes.mCalls) << c.mIndex;
        notes.mCalls.clear();
    }
    notes.ClearAccumulator();
    EXPECT_EQ((std::vector<std::string>{"pre", "close"}), notes.mCalls);
    EXPECT_EQ(0, notes.GetEntryCount());
    EXPECT_TRUE(notes.IsTerminated());

    // Output(0, false) logged W's lines; Output(-1, false) all entries' lines.
    std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("Conversion notes"));
    EXPECT_NE(std::string::npos, log.find("[W] D a\n[W] D b\n[W] D a\n[W] D b\n[X] E c\n"));
}

TEST_F(Notification, DetailsNeedAnEntryAndTextButAreAlwaysSent)
{
    Recorder notes;
    notes.AddEntry("W", "D");
    notes.AddEntry("X", "E");
    notes.AddDetail(0, KString(""), false);
    EXPECT_EQ(std::vector<std::string>{"entry W 0"}, notes.mCalls);
    notes.mCalls.clear();
    notes.AddDetail(7, KString("x"), true);
    notes.AddDetail(-1, KString("x"), true);
    notes.AddDetail(0, static_cast<KQelNode*>(nullptr), true);
    EXPECT_TRUE(notes.mCalls.empty());
    KQelSdkManager manager;
    notes.AddDetail(1, manager.CreateKQelNode("Cube"), false);
    EXPECT_EQ(std::vector<std::string>{"entry X 0"}, notes.mCalls);
    EXPECT_EQ("Model::Cube", notes.mLastDetail);
    notes.mCalls.clear();
    notes.Output(0, true);
    notes.InitAccumulator();
    EXPECT_EQ(0, notes.GetEntryCount());
}

TEST_F(Notification, AnAccumulationWithoutLinesLeavesTheLogFileAlone)
{
    Recorder notes;
    notes.InitAccumulator();
    notes.AddEntry("W", "D");
    notes.Output(0, false);  // no details: no line
    notes.ClearAccumulator();
    EXPECT_FALSE(scratch::Exists(mDir.File("notes.txt")));
}

TEST_F(Notification, AnOpenLogIsEndedByDestructionOrANewAccumulation)
{
    {
        Recorder notes;
        notes.InitAccumulator();
        notes.AddDetail(notes.AddEntry("W", "first"), KString("a"), true);
        notes.Output(0, false);
        notes.InitAccumulator();
        notes.AddDetail(notes.AddEntry("W", "second"), KString("b"), true);
        notes.Output(0, false);
        EXPECT_EQ(std::string::npos, Log().find("second"));
    }
    std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("[W] first a"));
    EXPECT_NE(std::string::npos, log.find("[W] second b"));
}

TEST_F(Notification, TooLongTemporaryDirectoryGivesNoLogPath)
{
    setenv("TMPDIR", std::string(1100, 'd').c_str(), 1);
    Recorder notes;
    KString path("unchanged");
    notes.GetLogFilePath(path);
    EXPECT_TRUE(path.IsEmpty());
}

}  // namespace
}  // namespace qelsdk_600
