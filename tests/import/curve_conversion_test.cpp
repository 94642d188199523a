// SDK curves onto host curves: tangent types, units of slopes and extents,
// sampling of TCB keys, and locked attributes.
#include "import_fixture.h"

#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnTransform.h>
#include <vesk/MSelectionList.h>

#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

const double kPi = 3.141592653589793;

KTime At(double pSeconds)
{
    KTime time;
    time.SetSecondDouble(pSeconds);
    return time;
}

MObject nodeNamed(const char* pName)
{
    MSelectionList list;
    list.add(pName);
    MObject found;
    list.getDependNode(0, found);
    return found;
}

// A null "N" animated in take "Run" by pFill, then its animation imported.
void importAnimated(QelVeskImport& pImport, QelVeskNode* pNode, const std::function<void(KQelTakeNode&)>& pFill)
{
    pImport.CreateNullGeometry(pNode);
    pFill(*runTake(pNode));
    pImport.ImportAnimation(*pNode);
}

TEST_F(ImportTest, KeyKindsGiveTheirHostTangentTypes)
{
    const struct {
        kUInt interpolation;
        std::vector<std::vector<double>> types;  // in and out type per key
    } cases[] = {
        {kFCurveInterpolationConstant, {{5, 5}, {4, 5}, {4, 4}}},
        {kFCurveInterpolationCubic, {{4, 4}, {4, 4}, {8, 8}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.interpolation);
        const std::string name = "N" + std::to_string(c.interpolation);
        importAnimated(*mImport, node(name.c_str()), [&](KQelTakeNode& pTake) {
            addKeys(pTake.GetScaleX(), {{0.0, 1.0f}, {1.0, 2.0f}, {2.0, 1.5f}}, c.interpolation, kFCurveTangentAuto);
        });
        std::vector<std::vector<double>> types;
        for (const std::vector<double>& key : hostKeys("|" + name, "scaleX"))
            types.push_back({key[2], key[3]});
        EXPECT_EQ(types, c.types);
    }
}

TEST_F(ImportTest, AKeylessCurveLeavesTheLastHostKeyAtTimeZeroWithItsDefault)
{
    ASSERT_TRUE(MGlobal::executeCommand("createNode transform -n b"));
    for (const char* time : {"1", "2", "3"})
        ASSERT_TRUE(MGlobal::executeCommand(MString("setKeyframe -t ") + time + " -v " + time + " b.tx"));
    MFnAnimCurve host(MFnTransform(nodeNamed("b")).findPlug("translateX"));
    KFCurve curve;
    curve.SetValue(7.5f);
    MStatus failed(MStatus::kFailure);
    mImport->SetVeskCurve(host, curve, 1.0, 1.0, &failed);
    EXPECT_EQ(hostKeys("|b", "translateX").size(), 3u) << "a failure handed in changes nothing";
    mImport->SetVeskCurve(host, curve, 1.0, 1.0, nullptr);
    const std::vector<std::vector<double>> keys = hostKeys("|b", "translateX");
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0][0], 0.0);
    EXPECT_EQ(keys[0][1], 7.5);
}

TEST_F(ImportTest, SlopesAndExtentsReachTheHostPerSecondInEveryUnit)
{
    const struct {
        MTime::Unit time;
        MAngle::Unit angle;
    } units[] = {{MTime::kFilm, MAngle::kDegrees},      {MTime::kNTSCFrame, MAngle::kDegrees},
                 {MTime::kSeconds, MAngle::kDegrees},   {MTime::kFilm, MAngle::kRadians},
                 {MTime::kNTSCFrame, MAngle::kRadians}, {MTime::kSeconds, MAngle::kRadians}};
    for (const auto& u : units) {
        const std::string name = "N" + std::to_string(u.time) + "_" + std::to_string(u.angle);
        SCOPED_TRACE(name);
        MTime::setUIUnit(u.time);
        MAngle::setUIUnit(u.angle);
        MDistance::setUIUnit(MDistance::kInches);
        importAnimated(*mImport, node(name.c_str()), [](KQelTakeNode& pTake) {
            userKeys(pTake.GetEulerRotationX(), {{0.0, 0.0f}, {1.0, 90.0f}}, 90.0f);
            userKeys(pTake.GetTranslationX(), {{0.0, 0.0f}, {1.0, 10.0f}}, 10.0f);
            // Weighted: the right tangent half the 2 s segment.
            KFCurve* weighted = pTake.GetTranslationY();
            userKeys(weighted, {{0.0, 0.0f}, {2.0, 1.0f}}, 0.5f);
            weighted->KeySetTangeantWeightMode(0, kFCurveWeightedRight);
            weighted->KeySetRightTangeantWeight(0, 0.5f);
        });
        const std::vector<std::vector<double>> rotation = hostKeys("|" + name, "rotateX");
        ASSERT_EQ(rotation.size(), 2u);
        EXPECT_NEAR(rotation[1][1], kPi / 2, 1e-6);
        EXPECT_NEAR(rotation[0][5], kPi / 2, 1e-6) << "the out slope of the first key";
        const std::vector<std::vector<double>> translation = hostKeys("|" + name, "translateX");
        ASSERT_EQ(translation.size(), 2u);
        EXPECT_NEAR(translation[0][5], 10.0, 1e-5) << "centimetres per second";
        const std::vector<std::vector<double>> weighted = hostKeys("|" + name, "translateY");
        ASSERT_EQ(weighted.size(), 2u);
        EXPECT_NEAR(weighted[0][7], 3.0, 1e-3) << "the out extent of the first key (weights in 1/9999)";
        EXPECT_NEAR(weighted[0][5], 0.5, 1e-6);
    }
}

TEST_F(ImportTest, RotationCurvesSampledTogetherTakeTheHostOrder)
{
    ASSERT_TRUE(MGlobal::executeCommand("createNode transform -n R; setKeyframe -t 5 -v 1 R.ry"));
    MFnTransform transform(nodeNamed("R"));
    KFCurve x, y, z;
    addKeys(&x, {{0.0, 0.0f}, {1.0, 90.0f}}, kFCurveInterpolationLinear);
    KFCurve* curves[3] = {&x, &y, &z};
    EXPECT_EQ(mImport->SetRotationVeskCurve(transform, curves, MEulerRotation::kZYX), MStatus::kSuccess);
    // At 30 per second: 0 to 1 s in 31 samples, the existing Y curve reused.
    const std::vector<std::vector<double>> keys[3] = {hostKeys("|R", "rotateX"), hostKeys("|R", "rotateY"),
                                                      hostKeys("|R", "rotateZ")};
    for (const auto& axis : keys)
        ASSERT_EQ(axis.size(), 31u);
    EXPECT_NEAR(keys[0][15][1], kPi / 4, 1e-6);
    EXPECT_EQ(keys[1][30][1], 0.0);
    EXPECT_EQ(dumpLines("^curve \"\\|R\" rotateY = \"R_rotateY\"").size(), 1u);

    x.KeyClear();
    mImport->SetRotationVeskCurve(transform, curves, MEulerRotation::kXYZ);
    EXPECT_EQ(dumpLines("^curve \"\\|R\""), std::vector<std::string>{}) << "keyless: the curves go";
    EXPECT_EQ(dumpLines("^attr \"\\|R\" rotate[XYZ] = ").size(), 3u) << "the plugs stay";
}

// A node keyed in take "Run" by pFill, with "N" in a host to merge into
// (translateX and translateY locked).
std::string writeRun(const std::function<void(KFCurve&)>& pFill)
{
    return writeScene("run.qel", [&](KQelSdkManager& pManager, KQelScene& pScene) {
        KQelNode* made = add(pManager, pScene.GetRootNode(), "N");
        pScene.CreateTake("Run");
        made->SetCurrentTakeNode("Run");
        pFill(*made->GetCurrentTakeNode()->GetTranslationX());
        pFill(*made->GetCurrentTakeNode()->GetTranslationY());
    });
}

class ImportFileTest : public ImportTest {
protected:
    void SetUp() override
    {
        ImportTest::SetUp();
        QelVeskUserParams::Instance()->SetImportType(QelVeskUserParams::eMerge);
    }
    // Imports take "Run" of the file into a host holding "N" with its
    // translateX and translateY locked; the lines the import logged.
    std::string importRun(const std::string& pPath)
    {
        EXPECT_TRUE(MGlobal::executeCommand("createNode transform -n N"));
        MFnTransform made(nodeNamed("N"));
        made.findPlug("translateX").setLocked(true);
        made.findPlug("translateY").setLocked(true);
        mImport.reset(new QelVeskImport);
        EXPECT_EQ(mImport->OpenProject(MString(pPath.c_str())), MStatus::kSuccess);
        mImport->SetTakeName("Run");
        EXPECT_EQ(mImport->Import(), MStatus::kSuccess);
        return logText();
    }
};

TEST_F(ImportFileTest, CurvesThatCannotBeSampledAreConvertedKeyByKeyWithALogLine)
{
    QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kSetLockedAttrib, false);
    const auto tcb = [](KFCurve& pCurve, std::vector<KTime> pTimes) {
        for (size_t i = 0; i < pTimes.size(); ++i) {
            const int index = pCurve.KeyAdd(pTimes[i]);
            pCurve.KeySet(index, pTimes[i], static_cast<float>(i));
            if (i == 1)
                pCurve.KeySetTCB(index, pTimes[i], 1.0f, 0.0f, 0.0f, 0.0f);
        }
    };
    const struct {
        double rate;
        std::vector<KTime> times;
        size_t hostKeys;
        bool logged;
        double lastTime;
    } cases[] = {
        // 0.1 s to 1.01 s at 30 per second: 0.1 + k / 30 up to 1.1 - 1 / 15.
        {30.0, {At(0.1), At(0.5), At(1.01)}, 29, false, 0.1 + 28.0 / 30.0},
        {1e11, {At(0.1), At(0.5), At(1.01)}, 3, true, 1.01},
        {30.0, {KTime(-(1LL << 62)), KTime(0), KTime(1LL << 62)}, 3, true, KTime(1LL << 62).GetSecondDouble()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        standin::resetHost();
        QelVeskUserParams::Instance()->SetResamplingRate(c.rate, true);
        const std::string log = importRun(writeRun([&](KFCurve& pCurve) { tcb(pCurve, c.times); }));
        const std::vector<std::vector<double>> keys = hostKeys("|N", "translateX");
        ASSERT_EQ(keys.size(), c.hostKeys);
        EXPECT_NEAR(keys.back()[0], c.lastTime, 1e-9 * std::max(1.0, c.lastTime));
        EXPECT_EQ(log.find("N.translateX: the curve cannot be sampled") != std::string::npos, c.logged) << log;
    }
}

TEST_F(ImportFileTest, LockedPlugsFollowTheStandingAnswerOrTheDialog)
{
    const std::string path = writeRun([](KFCurve& pCurve) { addKeys(&pCurve, {{0, 1.0f}, {1, 2.0f}}); });
    const char* const locked = "N.translateX: this attribute is locked. Cannot transfer animation data.";
    const struct {
        bool showUI, keepLocked;
        std::vector<const char*> replies;
        size_t dialogs;
        bool animated;
    } cases[] = {
        {false, true, {}, 0, false},
        {false, false, {}, 0, true},
        {true, false, {" Unlock ", " Unlock "}, 2, true},
        {true, false, {" Keep All Locked "}, 1, false},
        {true, false, {" Unlock All "}, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.showUI) + std::to_string(c.keepLocked) + std::to_string(c.replies.size()));
        standin::resetHost();
        QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kImportShowUI, c.showUI);
        QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kSetLockedAttrib, c.keepLocked);
        for (const char* reply : c.replies)
            standin::queueReply("QEL import Warning", standin::Reply::press(reply).expecting("Keep All Locked"));
        const std::string log = importRun(path);
        EXPECT_NE(log.find(locked), std::string::npos) << log;
        EXPECT_EQ(standin::dialogs().size(), c.dialogs);
        EXPECT_EQ(hostKeys("|N", "translateX").size(), c.animated ? 2u : 0u);
        EXPECT_EQ(hostKeys("|N", "translateY").size(), c.animated ? 2u : 0u);
        EXPECT_EQ(dumpLines("^attr \"\\|N\" translateX = k?l").size(), c.animated ? 0u : 1u) << "still locked";
    }
}

TEST_F(ModuleImportTest, CurvesExportedAndImportedKeepTheirKeysAndFixedSlopesInAnyUnits)
{
    const struct {
        MTime::Unit time;
        const char* second;  // one second in that unit
        MAngle::Unit angle;
        MDistance::Unit distance;
    } units[] = {{MTime::kFilm, "24", MAngle::kDegrees, MDistance::kCentimeters},
                 {MTime::kNTSCFrame, "30", MAngle::kRadians, MDistance::kInches}};
    ASSERT_EQ(run("QELExportShowUI -v false"), 0);
    const std::string path = ScratchDir() + "/round.qel";
    for (const auto& u : units) {
        SCOPED_TRACE(u.second);
        run("file -f -new");
        MTime::setUIUnit(u.time);
        MAngle::setUIUnit(u.angle);
        MDistance::setUIUnit(u.distance);
        ASSERT_EQ(run("createNode transform -n b"), 0);
        for (const char* plug : {"b.rx", "b.tx"}) {
            const std::string p = plug;
            ASSERT_EQ(run("setKeyframe -t 0 -v 0 " + p + "; setKeyframe -t " + u.second + " -v 1.5 " + p +
                          "; setKeyframe -t " + u.second + "0 -v 0.5 " + p),
                      0);
            ASSERT_EQ(run("keyTangent -in 0 -in 1 -l false -ott fixed -ox 1 -oy 2 " + p), 0);
            ASSERT_EQ(run("keyTangent -in 1 -itt fixed -ix 1 -iy -3 " + p), 0);
        }
        // Times, values and the slopes of the fixed sides.
        const auto kept = [](const char* pPlug) {
            const std::vector<std::vector<double>> keys = hostKeys("|b", pPlug);
            std::vector<double> out;
            for (const std::vector<double>& key : keys)
                out.insert(out.end(), {key[0], key[1]});
            if (keys.size() == 3)
                out.insert(out.end(), {keys[0][5], keys[1][4], keys[1][5]});
            return out;
        };
        const std::vector<double> before[2] = {kept("rotateX"), kept("translateX")};
        ASSERT_EQ(before[0].size(), 9u);
        ASSERT_EQ(run("QELExport -f \"" + path + "\""), 0);
        run("file -f -new");
        ASSERT_EQ(run("QELImport -f \"" + path + "\" -t 0"), 0);
        const std::vector<double> after[2] = {kept("rotateX"), kept("translateX")};
        for (int c = 0; c < 2; ++c) {
            ASSERT_EQ(after[c].size(), before[c].size());
            for (size_t i = 0; i < before[c].size(); ++i)
                EXPECT_NEAR(after[c][i], before[c][i], 1e-6 * std::max(1.0, std::fabs(before[c][i]))) << c << " " << i;
        }
    }
}

}  // namespace
