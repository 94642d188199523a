// Time, curves and their keys, tangents in interface units, curves driving
// plugs.
#include <cmath>
#include <limits>
#include <vector>

#include <vesk/MAnimControl.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnTransform.h>

#include "host_fixture.h"

namespace {

using AnimTest = HostTest;

const double kPi = 3.14159265358979323846;

// A curve of the type on a fresh transform's plug.
MFnAnimCurve curveOn(const char* plugName, MFnAnimCurve::AnimCurveType type, MStatus* status = nullptr)
{
    HostTest::make("transform", "t");
    MFnAnimCurve curve;
    curve.create(HostTest::plug((std::string("t.") + plugName).c_str()), type, nullptr, status);
    return curve;
}

MTime seconds(double s)
{
    return MTime(s, MTime::kSeconds);
}

struct KeyState {
    double time, value;
    int in, out;
    bool operator==(const KeyState& o) const
    {
        return time == o.time && value == o.value && in == o.in && out == o.out;
    }
};

std::vector<KeyState> keysOf(const MFnAnimCurve& c)
{
    std::vector<KeyState> out;
    for (unsigned int i = 0; i < c.numKeys(); ++i)
        out.push_back({c.time(i).as(MTime::kSeconds), c.value(i), c.inTangentType(i), c.outTangentType(i)});
    return out;
}

double tangentSlope(const MFnAnimCurve& c, unsigned int key, bool in)
{
    float x = 0, y = 0;
    EXPECT_TRUE(c.getTangent(key, x, y, in));
    return static_cast<double>(y) / x;
}

} // namespace

TEST_F(AnimTest, TimeUnitsCountTheirUnitsPerSecond)
{
    const struct {
        MTime::Unit unit;
        double perSecond;
    } units[] = {{MTime::kHours, 1.0 / 3600}, {MTime::kMinutes, 1.0 / 60}, {MTime::kSeconds, 1}, {MTime::kMilliseconds, 1000},
                 {MTime::kGames, 15},        {MTime::kFilm, 24},          {MTime::kVideo, 30},  {MTime::kNTSCFrame, 30},
                 {MTime::kShowScan, 48},     {MTime::kPALField, 50},      {MTime::kNTSCField, 60},
                 {static_cast<MTime::Unit>(0), 1}, {static_cast<MTime::Unit>(12), 1}};
    for (const auto& u : units) {
        EXPECT_DOUBLE_EQ(MTime(2.0, MTime::kSeconds).as(u.unit), 2.0 * u.perSecond) << u.unit;
        EXPECT_DOUBLE_EQ(MTime(2.0 * u.perSecond, u.unit).as(MTime::kSeconds), 2.0) << u.unit;
    }
    EXPECT_EQ(MTime::uiUnit(), MTime::kFilm);
    for (int bad : {0, 12, -1})
        EXPECT_EQ(MTime::setUIUnit(static_cast<MTime::Unit>(bad)).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(MTime::uiUnit(), MTime::kFilm);
    EXPECT_EQ(MTime(48.0).as(MTime::kSeconds), 2.0);
}

TEST_F(AnimTest, TheControlKeepsTimesUnclampedInSeconds)
{
    ASSERT_TRUE(MAnimControl::setMinTime(seconds(5)));
    ASSERT_TRUE(MAnimControl::setMaxTime(seconds(2)));
    ASSERT_TRUE(MAnimControl::setCurrentTime(seconds(9)));
    EXPECT_EQ(MAnimControl::minTime().as(MTime::kSeconds), 5.0);
    EXPECT_EQ(MAnimControl::maxTime().as(MTime::kSeconds), 2.0);
    EXPECT_EQ(MAnimControl::currentTime().as(MTime::kSeconds), 9.0);
    // Answers come in the interface unit in force.
    EXPECT_EQ(MAnimControl::currentTime().unit(), MTime::kFilm);
    EXPECT_EQ(MAnimControl::currentTime().value(), 216.0);
    MTime::setUIUnit(MTime::kSeconds);
    EXPECT_EQ(MAnimControl::currentTime().value(), 9.0);
    EXPECT_EQ(MAnimControl::setCurrentTime(seconds(std::numeric_limits<double>::infinity())).statusCode(),
              MStatus::kInvalidParameter);
    EXPECT_EQ(MAnimControl::currentTime().value(), 9.0);
}

TEST_F(AnimTest, FixedTangentsCrossInInterfaceUnits)
{
    // At 24 units per second, slope 1 cm per frame is 24 cm per second.
    MFnAnimCurve c = curveOn("translateX", MFnAnimCurve::kAnimCurveTL);
    for (double t : {0.0, 2.0}) {
        const unsigned int k = c.addKey(seconds(t), t * 24.0, MFnAnimCurve::kTangentFixed, MFnAnimCurve::kTangentFixed);
        ASSERT_TRUE(c.setTangent(k, 1.0f, 1.0f, true));
        ASSERT_TRUE(c.setTangent(k, 1.0f, 1.0f, false));
    }
    for (double t : {0.25, 0.5, 1.0, 1.75})
        EXPECT_NEAR(c.evaluate(seconds(t)), 24.0 * t, 1e-9) << t;
    MTime::setUIUnit(MTime::kSeconds);
    EXPECT_NEAR(tangentSlope(c, 0, false), 24.0, 1e-5);
    // A distance unit of metres divides the slope by 100, angles by degrees.
    MDistance::setUIUnit(MDistance::kMeters);
    EXPECT_NEAR(tangentSlope(c, 1, true), 0.24, 1e-7);

    MFnAnimCurve r = curveOn("rotateX", MFnAnimCurve::kAnimCurveTA);
    r.addKey(seconds(0), 0.0, MFnAnimCurve::kTangentFixed, MFnAnimCurve::kTangentFixed);
    r.addKey(seconds(1), kPi / 2, MFnAnimCurve::kTangentFixed, MFnAnimCurve::kTangentFixed);
    for (unsigned int k = 0; k < 2; ++k)
        for (bool in : {true, false})
            ASSERT_TRUE(r.setTangent(k, 1.0f, 90.0f, in));
    EXPECT_NEAR(r.evaluate(seconds(0.5)), kPi / 4, 1e-6);
}

TEST_F(AnimTest, EachTangentTypeGivesItsSlope)
{
    // Keys (0, 0), (1, 2), (2, 2), (3, 0) in seconds and centimetres.
    MTime::setUIUnit(MTime::kSeconds);
    MFnAnimCurve c = curveOn("translateX", MFnAnimCurve::kAnimCurveTL);
    const double values[] = {0, 2, 2, 0};
    for (int i = 0; i < 4; ++i)
        c.addKey(seconds(i), values[i]);
    const struct {
        MFnAnimCurve::TangentType type;
        unsigned int key;
        bool in;
        double slope;
    } cases[] = {
        {MFnAnimCurve::kTangentSmooth, 1, true, 1.0},  {MFnAnimCurve::kTangentSmooth, 0, false, 2.0},
        {MFnAnimCurve::kTangentSmooth, 3, true, -2.0}, {MFnAnimCurve::kTangentSlow, 1, false, 1.0},
        {MFnAnimCurve::kTangentFast, 1, false, 1.0},   {MFnAnimCurve::kTangentLinear, 1, true, 2.0},
        {MFnAnimCurve::kTangentLinear, 1, false, 0.0}, {MFnAnimCurve::kTangentLinear, 0, true, 0.0},
        {MFnAnimCurve::kTangentFlat, 1, true, 0.0},    {MFnAnimCurve::kTangentStep, 1, false, 0.0},
        {MFnAnimCurve::kTangentClamped, 1, true, 0.0}, {MFnAnimCurve::kTangentClamped, 0, false, 2.0},
    };
    for (const auto& tc : cases) {
        ASSERT_TRUE(tc.in ? c.setInTangentType(tc.key, tc.type) : c.setOutTangentType(tc.key, tc.type));
        EXPECT_NEAR(tangentSlope(c, tc.key, tc.in), tc.slope, 1e-6) << tc.type << " key " << tc.key;
    }
    // A key alone has no slope; the global type is stored as smooth.
    MFnAnimCurve alone = curveOn("scaleX", MFnAnimCurve::kAnimCurveTU);
    alone.addKey(seconds(1), 3.0, MFnAnimCurve::kTangentGlobal, MFnAnimCurve::kTangentGlobal);
    EXPECT_EQ(alone.inTangentType(0), MFnAnimCurve::kTangentSmooth);
    ASSERT_TRUE(alone.setOutTangentType(0, MFnAnimCurve::kTangentGlobal));
    EXPECT_EQ(alone.outTangentType(0), MFnAnimCurve::kTangentSmooth);
    EXPECT_EQ(tangentSlope(alone, 0, false), 0.0);
}

TEST_F(AnimTest, SegmentsFollowTheirKeysAndHoldOutside)
{
    MFnAnimCurve c = curveOn("translateX", MFnAnimCurve::kAnimCurveTL);
    c.addKey(seconds(1), 4.0, MFnAnimCurve::kTangentLinear, MFnAnimCurve::kTangentLinear);
    c.addKey(seconds(3), 8.0, MFnAnimCurve::kTangentLinear, MFnAnimCurve::kTangentStep);
    c.addKey(seconds(4), -2.0, MFnAnimCurve::kTangentSmooth, MFnAnimCurve::kTangentSmooth);
    const struct {
        double t, value;
    } cases[] = {{0.0, 4.0}, {2.0, 6.0}, {3.0, 8.0}, {3.999, 8.0}, {4.0, -2.0}, {9.0, -2.0}};
    for (const auto& tc : cases)
        EXPECT_NEAR(c.evaluate(seconds(tc.t)), tc.value, 1e-12) << tc.t;
    // Weighted with the default extents the segments are unchanged; a
    // symmetric pair of long flat tangents meets the middle at half height.
    MFnAnimCurve w = curveOn("translateY", MFnAnimCurve::kAnimCurveTL);
    MTime::setUIUnit(MTime::kSeconds);
    w.addKey(seconds(0), 0.0, MFnAnimCurve::kTangentSmooth, MFnAnimCurve::kTangentFlat);
    w.addKey(seconds(1), 1.0, MFnAnimCurve::kTangentFlat, MFnAnimCurve::kTangentSmooth);
    const double before = w.evaluate(seconds(0.3));
    ASSERT_TRUE(w.setIsWeighted(true));
    EXPECT_NEAR(w.evaluate(seconds(0.3)), before, 1e-9);
    for (unsigned int k = 0; k < 2; ++k) {
        w.setWeightsLocked(k, false);
        w.setTangent(k, 3.0f, 0.0f, k == 1);
    }
    // (Time stands still at the middle of this segment: a coarser match.)
    EXPECT_NEAR(w.evaluate(seconds(0.5)), 0.5, 1e-5);
    EXPECT_LT(w.evaluate(seconds(0.3)), before);
}

TEST_F(AnimTest, RejectedEditsChangeNothing)
{
    MFnAnimCurve c = curveOn("translateX", MFnAnimCurve::kAnimCurveTL);
    c.addKey(seconds(0), 1.0);
    c.addKey(seconds(1), 2.0);
    const std::vector<KeyState> before = keysOf(c);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    MStatus added;
    c.addKey(seconds(1), 5.0, MFnAnimCurve::kTangentGlobal, MFnAnimCurve::kTangentGlobal, nullptr, &added);
    MStatus badType;
    c.addKey(seconds(2), 5.0, static_cast<MFnAnimCurve::TangentType>(9), MFnAnimCurve::kTangentGlobal, nullptr,
             &badType);
    MStatus badValue;
    c.addKey(seconds(2), nan, MFnAnimCurve::kTangentGlobal, MFnAnimCurve::kTangentGlobal, nullptr, &badValue);
    const MStatus results[] = {
        added,
        badType,
        badValue,
        c.setTime(0, seconds(1)),
        c.setTime(2, seconds(5)),
        c.remove(2),
        c.setValue(2, 3.0),
        c.setValue(0, nan),
        c.setInTangentType(5, MFnAnimCurve::kTangentFlat),
        c.setOutTangentType(0, static_cast<MFnAnimCurve::TangentType>(9)),
        c.setTangent(0, 0.0f, 1.0f, true),
        c.setTangent(0, -1.0f, 1.0f, true),
        c.setTangentsLocked(2, false),
    };
    for (size_t i = 0; i < sizeof results / sizeof results[0]; ++i)
        EXPECT_EQ(results[i].statusCode(), MStatus::kInvalidParameter) << i;
    EXPECT_EQ(keysOf(c), before);
    // A key moved past another keeps the keys in time order.
    ASSERT_TRUE(c.setTime(0, seconds(3)));
    EXPECT_EQ(keysOf(c), (std::vector<KeyState>{{1, 2, 4, 4}, {3, 1, 4, 4}}));
}

TEST_F(AnimTest, LocksTieTangentsAndKeepWeights)
{
    MTime::setUIUnit(MTime::kSeconds);
    MFnAnimCurve c = curveOn("translateX", MFnAnimCurve::kAnimCurveTL);
    for (int i = 0; i < 3; ++i)
        c.addKey(seconds(i), i);
    EXPECT_TRUE(c.tangentsLocked(1));
    EXPECT_TRUE(c.weightsLocked(1));
    // Locked: the other side follows and becomes fixed too.
    ASSERT_TRUE(c.setTangent(1, 1.0f, 3.0f, true));
    EXPECT_EQ(c.outTangentType(1), MFnAnimCurve::kTangentFixed);
    EXPECT_NEAR(tangentSlope(c, 1, false), 3.0, 1e-6);
    ASSERT_TRUE(c.setTangentsLocked(1, false));
    ASSERT_TRUE(c.setTangent(1, 1.0f, -1.0f, false));
    EXPECT_NEAR(tangentSlope(c, 1, true), 3.0, 1e-6);
    // Weighted: a locked weight keeps the tangent's extent, an unlocked one
    // takes the new one.
    ASSERT_TRUE(c.setIsWeighted(true));
    float x = 0, y = 0;
    c.getTangent(1, x, y, false);
    EXPECT_FLOAT_EQ(x, 1.0f);
    c.setTangent(1, 0.5f, 1.0f, false);
    c.getTangent(1, x, y, false);
    EXPECT_FLOAT_EQ(x, 1.0f);
    EXPECT_FLOAT_EQ(y, 2.0f);
    c.setWeightsLocked(1, false);
    c.setTangent(1, 0.5f, 1.0f, false);
    c.getTangent(1, x, y, false);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_FLOAT_EQ(y, 1.0f);
}

TEST_F(AnimTest, ReplayedImportCallsLeaveTheirTypesLocksAndSlopes)
{
    // The calls an import makes per key: add with its types, unlock, set the
    // in- and out-tangents, relock; the curve is first emptied from its end.
    MFnAnimCurve c = curveOn("translateX", MFnAnimCurve::kAnimCurveTL);
    for (int i = 0; i < 5; ++i)
        c.addKey(seconds(i), i);
    for (unsigned int i = c.numKeys(); i-- > 0;)
        ASSERT_TRUE(c.remove(i));
    ASSERT_EQ(c.numKeys(), 0u);
    const double ratio = 1.0 / 24.0; // seconds per frame
    auto tangent = [&](double perSecond) { return perSecond * ratio; }; // cm per frame
    struct Step {
        double time, value;
        MFnAnimCurve::TangentType in, out;
        bool explicitTangents;
        double inSlope, outSlope; // cm per second
        bool lockAtEnd;
    };
    const Step steps[] = {
        {0, 0, MFnAnimCurve::kTangentFixed, MFnAnimCurve::kTangentFixed, true, 12, 12, true},
        {1, 10, MFnAnimCurve::kTangentFixed, MFnAnimCurve::kTangentSmooth, true, 6, -30, false},
        {2, 5, MFnAnimCurve::kTangentLinear, MFnAnimCurve::kTangentLinear, false, 0, 0, false},
        {3, 5, MFnAnimCurve::kTangentClamped, MFnAnimCurve::kTangentClamped, false, 0, 0, true},
    };
    for (const Step& s : steps) {
        MStatus st;
        const unsigned int k = c.addKey(seconds(s.time), s.value, s.in, s.out, nullptr, &st);
        ASSERT_TRUE(st);
        ASSERT_TRUE(c.setTangentsLocked(k, false));
        if (s.explicitTangents) {
            for (bool in : {true, false}) {
                const double u = tangent(in ? s.inSlope : s.outSlope);
                const double x = 1.0 / std::sqrt(1.0 + u * u);
                ASSERT_TRUE(c.setTangent(k, static_cast<float>(x), static_cast<float>(u * x), in));
            }
        }
        ASSERT_TRUE(c.setTangentsLocked(k, s.lockAtEnd));
    }
    const struct {
        int in, out;
        bool locked;
        double inSlope, outSlope; // cm per frame
    } expected[] = {
        {1, 1, true, 0.5, 0.5},
        {1, 1, false, 0.25, -1.25},
        {2, 2, false, -5.0 / 24, 0.0},
        {8, 8, true, 0.0, 0.0},
    };
    ASSERT_EQ(c.numKeys(), 4u);
    for (unsigned int k = 0; k < 4; ++k) {
        EXPECT_EQ(c.inTangentType(k), expected[k].in) << k;
        EXPECT_EQ(c.outTangentType(k), expected[k].out) << k;
        EXPECT_EQ(c.tangentsLocked(k), expected[k].locked) << k;
        EXPECT_NEAR(tangentSlope(c, k, true), expected[k].inSlope, 1e-6) << k;
        EXPECT_NEAR(tangentSlope(c, k, false), expected[k].outSlope, 1e-6) << k;
    }
    // The weighted form carries each tangent's extent: x = 3 w dt frames.
    ASSERT_TRUE(c.setIsWeighted(true));
    ASSERT_TRUE(c.setWeightsLocked(1, false));
    ASSERT_TRUE(c.setTangent(1, 0.33f * 24.0f, 0.33f * 24.0f * 0.25f, true));
    float x = 0, y = 0;
    c.getTangent(1, x, y, true);
    EXPECT_FLOAT_EQ(x, 0.33f * 24.0f);
    EXPECT_NEAR(static_cast<double>(y) / x, 0.25, 1e-6);
}

TEST_F(AnimTest, CurvesAreRefusedOnPlugsTheyCannotDrive)
{
    make("transform", "t");
    make("transform", "u");
    ASSERT_TRUE(plug("t.tz").setLocked(true));
    ASSERT_TRUE(plug("t.rotate").setLocked(true));
    ASSERT_TRUE(vesk::fixture::connect("u.sx", "t.sy"));
    const struct {
        const char* plug;
        int type;
    } cases[] = {
        {"t.tz", MFnAnimCurve::kAnimCurveTL}, {"t.rx", MFnAnimCurve::kAnimCurveTA}, {"t.sy", MFnAnimCurve::kAnimCurveTU},
        {"t.message", MFnAnimCurve::kAnimCurveTU}, {"t.translate", MFnAnimCurve::kAnimCurveTL},
        {"t.worldMatrix[0]", MFnAnimCurve::kAnimCurveTU}, {"t.tx", 9},
    };
    const size_t nodes = vesk::store().nodeCount();
    for (const auto& tc : cases) {
        MFnAnimCurve c;
        MStatus s;
        EXPECT_TRUE(c.create(plug(tc.plug), static_cast<MFnAnimCurve::AnimCurveType>(tc.type), nullptr, &s).isNull())
            << tc.plug;
        EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter) << tc.plug;
    }
    EXPECT_EQ(vesk::store().nodeCount(), nodes);
    // Unlocking the parent lets the child take a curve.
    ASSERT_TRUE(plug("t.rotate").setLocked(false));
    MFnAnimCurve c;
    MStatus s;
    c.create(plug("t.rx"), nullptr, &s);
    ASSERT_TRUE(s);
    EXPECT_EQ(c.animCurveType(), MFnAnimCurve::kAnimCurveTA);
    EXPECT_EQ(c.name(), MString("t_rotateX"));
}

TEST_F(AnimTest, PlugsReadTheirCurvesAtTheCurrentTime)
{
    MFnAnimCurve c = curveOn("translateX", MFnAnimCurve::kAnimCurveTL);
    MFnTransform t(object("t"));
    ASSERT_TRUE(plug("t.tx").setValue(7.0));
    // Without keys the curve drives nothing.
    EXPECT_EQ(plug("t.tx").asDouble(), 7.0);
    EXPECT_EQ(MFnAnimCurve(plug("t.tx")).evaluate(seconds(3)), 7.0);
    c.addKey(seconds(0), 0.0, MFnAnimCurve::kTangentLinear, MFnAnimCurve::kTangentLinear);
    c.addKey(seconds(1), 10.0, MFnAnimCurve::kTangentLinear, MFnAnimCurve::kTangentLinear);
    MAnimControl::setCurrentTime(seconds(0.5));
    EXPECT_DOUBLE_EQ(plug("t.tx").asDouble(), 5.0);
    EXPECT_DOUBLE_EQ(t.translation(MSpace::kTransform).x, 5.0);
    MAnimControl::setCurrentTime(seconds(4));
    EXPECT_DOUBLE_EQ(t.transformation().asMatrix()(3, 0), 10.0);
    // A plug no curve drives: no keys, its own value.
    MStatus s;
    MFnAnimCurve none(plug("t.ty"), &s);
    EXPECT_EQ(s.statusCode(), MStatus::kNotFound);
    EXPECT_EQ(none.numKeys(), 0u);
    plug("t.ty").setValue(3.0);
    EXPECT_EQ(none.evaluate(seconds(0)), 3.0);
    EXPECT_EQ(none.addKey(seconds(0), 1.0), 0u);
    EXPECT_EQ(MFnAnimCurve(plug("t.tx")).numKeys(), 2u);
}

TEST_F(AnimTest, EvaluationDoesNotDependOnTheOrderOfQueries)
{
    // Mixed tangents over 200 keys; values read at rising times equal those
    // read in a scattered order, and keys are hit exactly.
    MFnAnimCurve c = curveOn("translateX", MFnAnimCurve::kAnimCurveTL);
    const MFnAnimCurve::TangentType types[] = {MFnAnimCurve::kTangentSmooth, MFnAnimCurve::kTangentLinear,
                                               MFnAnimCurve::kTangentStep,   MFnAnimCurve::kTangentClamped,
                                               MFnAnimCurve::kTangentFlat,   MFnAnimCurve::kTangentFixed};
    for (int i = 0; i < 200; ++i)
        c.addKey(seconds(i * 0.5), std::sin(i * 0.7) * 10.0, types[i % 6], types[(i / 6) % 6]);
    c.setIsWeighted(true);
    std::vector<double> rising;
    for (int q = 0; q < 1000; ++q)
        rising.push_back(c.evaluate(seconds(q * 0.1 - 1.0)));
    for (int k = 0; k < 1000; ++k) {
        const int q = (k * 617) % 1000;
        EXPECT_EQ(c.evaluate(seconds(q * 0.1 - 1.0)), rising[static_cast<size_t>(q)]) << q;
    }
    for (unsigned int i = 0; i < c.numKeys(); i += 7)
        EXPECT_EQ(c.evaluate(c.time(i)), c.value(i)) << i;
    unsigned int index = 0;
    ASSERT_TRUE(c.find(MTime(48.0, MTime::kFilm), index));
    EXPECT_EQ(index, 4u);
    EXPECT_FALSE(c.find(MTime(47.0, MTime::kFilm), index));
    EXPECT_EQ(c.time(4).as(MTime::kFilm), 48.0);
}

TEST_F(AnimTest, InfinityTypesExtendTheCurveBeyondItsKeys)
{
    // Two smooth keys: the line v = 2 (t - 1) from t = 1 to 3.
    MFnAnimCurve c = curveOn("translateX", MFnAnimCurve::kAnimCurveTL);
    c.addKey(seconds(1), 0.0);
    c.addKey(seconds(3), 4.0);
    EXPECT_EQ(c.preInfinityType(), MFnAnimCurve::kConstant);
    EXPECT_EQ(c.postInfinityType(), MFnAnimCurve::kConstant);
    const struct {
        MFnAnimCurve::InfinityType type;
        double before, after;  // at t = -0.5 and t = 4.5
    } cases[] = {
        {MFnAnimCurve::kConstant, 0.0, 4.0},      {MFnAnimCurve::kLinear, -3.0, 7.0},
        {MFnAnimCurve::kCycle, 1.0, 3.0},         {MFnAnimCurve::kCycleRelative, -3.0, 7.0},
        {MFnAnimCurve::kOscillate, 3.0, 1.0},
    };
    for (const auto& tc : cases) {
        ASSERT_TRUE(c.setPreInfinityType(tc.type));
        ASSERT_TRUE(c.setPostInfinityType(tc.type));
        EXPECT_EQ(c.preInfinityType(), tc.type);
        EXPECT_NEAR(c.evaluate(seconds(-0.5)), tc.before, 1e-12) << tc.type;
        EXPECT_NEAR(c.evaluate(seconds(4.5)), tc.after, 1e-12) << tc.type;
        EXPECT_NEAR(c.evaluate(seconds(2.0)), 2.0, 1e-12) << tc.type;
    }
    EXPECT_EQ(c.setPostInfinityType(MFnAnimCurve::InfinityType(2)), MStatus::kInvalidParameter);
    EXPECT_EQ(c.postInfinityType(), MFnAnimCurve::kOscillate);
}
