// Shared set-up of the tests that load qelvesk.so: a fresh host and a fresh
// settings file per test, the module loaded from the scratch directory, and
// short ways to run commands, read the settings file and write QEL files.
#ifndef QEL_TESTS_PLUGIN_MODULE_QELVESK_FIXTURE_H
#define QEL_TESTS_PLUGIN_MODULE_QELVESK_FIXTURE_H

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <standin/StandIn.h>
#include <vesk/MDistance.h>
#include <vesk/MDoubleArray.h>
#include <vesk/MGlobal.h>
#include <vesk/MTime.h>

#include "foundation/message_log.h"
#include "io/kqelexporter.h"
#include "plugin/file_menu.h"
#include "plugin/plugin_registry.h"
#include "plugin/scratch.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"

// One take of a fixture file: name, comment, local span in seconds.
struct FixtureTake {
    std::string name;
    std::string comment;
    double start;
    double stop;
};

class QelVeskTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        standin::resetHost();
        MDistance::setUIUnit(MDistance::kCentimeters);
        MTime::setUIUnit(MTime::kNTSCFrame);
        std::remove(settingsPath().c_str());
        load();
    }
    void TearDown() override
    {
        vesk::plugins().unloadAll();
        EXPECT_EQ(standin::problems(), std::vector<std::string>());
        EXPECT_EQ(standin::pendingReplies(), 0u);
        standin::resetHost();
    }

    static std::string settingsPath() { return ScratchDir() + "/qelplugins6.0.2registry.txt"; }
    static std::string modulePath() { return ScratchDir() + "/qelvesk.so"; }
    static bool load() { return static_cast<bool>(vesk::plugins().load(modulePath())); }
    static bool unload() { return static_cast<bool>(vesk::plugins().unload("qelvesk")); }
    static bool reload() { return unload() && load(); }

    // The text of a file ("" when missing).
    static std::string readFile(const std::string& pPath)
    {
        std::ifstream in(pPath, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    // The value of a key of the settings file ("" when missing).
    static std::string setting(const std::string& pKey)
    {
        std::istringstream in(readFile(settingsPath()));
        std::string line;
        while (std::getline(in, line)) {
            const size_t eq = line.find('=');
            if (eq == std::string::npos)
                continue;
            std::string key = line.substr(0, eq);
            while (!key.empty() && key.back() == ' ')
                key.pop_back();
            if (key != pKey)
                continue;
            std::string value = line.substr(eq + 1);
            while (!value.empty() && value.front() == ' ')
                value.erase(value.begin());
            return value;
        }
        return "";
    }

    // Runs a command text; the status code and its result as text.
    struct Run {
        int status;
        std::string result;
        std::vector<std::string> errors;
    };
    Run run(const std::string& pText)
    {
        const size_t lFirst = vesk::MessageLog::size();
        MString lResult;
        const MStatus lStatus = MGlobal::executeCommand(MString(pText.c_str()), lResult);
        Run lRun{static_cast<int>(lStatus.statusCode()), lResult.asChar(), {}};
        for (size_t i = lFirst; i < vesk::MessageLog::size(); ++i)
            if (vesk::MessageLog::severity(i) == 0)
                lRun.errors.push_back(vesk::MessageLog::line(i));
        return lRun;
    }
    static int queryInt(const std::string& pText)
    {
        int lValue = -999;
        MGlobal::executeCommand(MString(pText.c_str()), lValue);
        return lValue;
    }
    static double queryDouble(const std::string& pText)
    {
        double lValue = -999.0;
        MGlobal::executeCommand(MString(pText.c_str()), lValue);
        return lValue;
    }
    static std::vector<double> queryDoubles(const std::string& pText)
    {
        MDoubleArray lValues;
        MGlobal::executeCommand(MString(pText.c_str()), lValues);
        std::vector<double> lOut;
        for (unsigned int i = 0; i < lValues.length(); ++i)
            lOut.push_back(lValues[i]);
        return lOut;
    }

    // A QEL file in the scratch directory with the takes, in the older
    // layout (major version 5) or the current one (6); its path, "" when the
    // SDK cannot write that layout.
    static std::string writeQel(const std::string& pName, const std::vector<FixtureTake>& pTakes,
                                bool pOlder = true, bool pAscii = false)
    {
        using namespace qelsdk_600;
        const std::string lPath = ScratchDir() + "/" + pName;
        KQelSdkManager lManager;
        KQelScene* lScene = lManager.CreateKQelScene();
        for (const FixtureTake& lTake : pTakes)
            lScene->CreateTake(lTake.name.c_str());
        // Takes of the same name share one record: the first one's.
        for (size_t i = pTakes.size(); i-- > 0;) {
            KQelTakeInfo lInfo;
            lInfo.mName = pTakes[i].name.c_str();
            lInfo.mDescription = pTakes[i].comment.c_str();
            KTime lStart, lStop;
            lStart.SetSecondDouble(pTakes[i].start);
            lStop.SetSecondDouble(pTakes[i].stop);
            lInfo.mLocalTimeSpan = KTimeSpan(lStart, lStop);
            lInfo.mReferenceTimeSpan = KTimeSpan(lStart, lStop);
            lScene->SetTakeInfo(lInfo);
        }
        KQelExporter lExporter(lManager);
        lExporter.SetFileFormat(pOlder ? (pAscii ? KQelExporter::eQel5Ascii : KQelExporter::eQel5Binary)
                                       : (pAscii ? KQelExporter::eQelAscii : KQelExporter::eQelBinary));
        if (!lExporter.Initialize(lPath.c_str()) || !lExporter.Export(*lScene)) {
            EXPECT_FALSE(pOlder) << lExporter.GetLastErrorString();
            return "";
        }
        return lPath;
    }
    // The three-take file most tests read.
    static std::string threeTakes()
    {
        return writeQel("three.qel", {{"Walk", "slow walk", 0.0, 2.0}, {"Run", "", 0.5, 1.5}, {"Idle", "", 0.0, 1.0}});
    }
};

#endif
