// Host animation curves as SDK curves: tangent types, resampling, units,
// the channels that reach the take, and hostile sampling rates.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include <vesk/MAngle.h>
#include <vesk/MDistance.h>
#include <vesk/MEulerRotation.h>
#include <vesk/MFnNumericAttribute.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "export/export_fixture.h"

using namespace qelsdk_600;

namespace {

using T = MFnAnimCurve::TangentType;
const double kRadToDeg = 57.29577951308232;

// Converts the curve driving a fresh plug "t.translateX" into pCurve.
void ConvertCurve(MFnAnimCurve& pHost, KFCurve& pCurve, bool pResample = false, double pFactor = 1.0)
{
    QelVeskExport exporter;
    exporter.SetFCurve(pHost, pCurve, pResample, pFactor);
}

}  // namespace

TEST_F(ExportTest, OutTangentTypesChooseInterpolationAndTangentMode)
{
    Params().SetBoolParam(KQelUserParams::kExportApplyCstKeyRed, false);
    const kUInt C = kFCurveInterpolationConstant, L = kFCurveInterpolationLinear, K = kFCurveInterpolationCubic;
    const struct {
        std::vector<double> values;
        std::vector<T> out;
        std::vector<kUInt> interpolation, mode;
    } cases[] = {
        {{1, 2, 3}, {T(5), T(5), T(5)}, {C, C, C}, {0, 0, 0}},  // step: standard constant mode
        {{0, 1, 2}, {T(2), T(2), T(4)}, {L, K, K}, {0x100, 0x100, 0x100}},
        {{0, 0.0009, 0.0004}, {T(8), T(8), T(8)}, {L, L, L}, {0x400, 0x400, 0x400}},
        {{0, 0.001, 0.0025}, {T(8), T(8), T(8)}, {K, K, K}, {0x400, 0x400, 0x400}},
        {{0, 1, 2}, {T(6), T(7), T(1)}, {K, K, K}, {0, 0, 0x400}},
    };
    for (const auto& c : cases) {
        standin::resetHost();
        make("transform", "t");
        MFnAnimCurve host = Keyed("t.translateX", {});
        for (size_t i = 0; i < c.values.size(); ++i)
            host.addKey(MTime(double(i), MTime::kSeconds), c.values[i], T(4), c.out[i]);
        KFCurve curve;
        ConvertCurve(host, curve);
        ASSERT_EQ(curve.KeyGetCount(), 3) << c.values[1];  // one SDK key per host key
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(curve.KeyGetTime(i).GetSecondDouble(), double(i));
            EXPECT_EQ(curve.KeyGetInterpolation(i), c.interpolation[i]) << c.values[1] << " key " << i;
            EXPECT_EQ(curve.KeyGetPtr(i)->GetFlags() & 0xF00, c.mode[i]) << c.values[1] << " key " << i;
        }
        if (c.out[0] == T(5)) {
            EXPECT_EQ(curve.Evaluate(KTime(KTime::kTicksPerSecond / 2)), 1.0f);
        }
        if (c.out[0] == T(2)) {
            EXPECT_EQ(curve.KeyGetRightAuto(1), 100.0f);
        }
    }
}

TEST_F(ExportTest, SlowAndFastInTangentsAndHostileRatesResampleAtThirtyPerSecond)
{
    Params().SetBoolParam(KQelUserParams::kExportApplyCstKeyRed, false);
    for (const char* rate : {"30", "0", "-30", "nan", "1e-12"}) {
        for (T in : {T(6), T(7)}) {
            standin::resetHost();
            make("transform", "t");
            MFnAnimCurve host = Keyed("t.translateX", {{0.05, 0.0}, {1.0, 3.0}}, in, T(4));
            Params().SetStringParam(KQelUserParams::kExportSamplingRate, rate);
            ASSERT_TRUE(ExportAndRead()) << rate;
            KFCurve* curve = Channel("t", KQelTakeNode::eTranslationX);
            ASSERT_NE(curve, nullptr);
            ASSERT_EQ(curve->KeyGetCount(), 30) << rate;
            for (int k = 0; k < 30; ++k)
                ASSERT_EQ(curve->KeyGetTime(k).Get(), KTime::kTicksPerSecond / 30 * (k + 1)) << rate;
            EXPECT_NEAR(curve->KeyGetValue(29), 3.0, 1e-6);
        }
    }
    // Keys far apart would need 3 x 10^7 samples: converted key by key.
    MFnAnimCurve far = Keyed("t.translateY", {{0.0, 0.0}, {1e6, 1.0}}, T(6), T(4));
    KFCurve curve;
    ConvertCurve(far, curve, true);
    EXPECT_EQ(curve.KeyGetCount(), 2);
}

TEST_F(ExportTest, AnimatedChannelsReachTheTakeAndStaticNodesGetNone)
{
    make("transform", "moving");
    MFnAnimCurve rotate = Keyed("moving.rotateX", {{0.0, 0.0}, {1.0, 1.5707963267948966}});
    rotate.setPostInfinityType(MFnAnimCurve::kCycle);
    rotate.setPreInfinityType(MFnAnimCurve::kCycle);
    Keyed("moving.visibility", {{0.0, 1.0}, {1.0, 0.0}}, T(5), T(5));
    MFnDependencyNode node(object("moving"));
    node.addAttribute(MFnNumericAttribute().create("weight", "wt", MFnNumericData::kFloat));
    node.addAttribute(MFnNumericAttribute().createColor("tint", "tn"));
    Keyed("moving.wt", {{0.0, 1.0}, {1.0, 2.0}, {2.0, 1.5}});
    for (const char* component : {"moving.tnR", "moving.tnG", "moving.tnB"})
        Keyed(component, {{0.0, 0.25}, {2.0, 0.75}});
    make("transform", "still");
    ASSERT_TRUE(ExportAndRead());

    KFCurve* rotation = Channel("moving", KQelTakeNode::eEulerRotationX);
    ASSERT_NE(rotation, nullptr);
    EXPECT_FLOAT_EQ(rotation->KeyGetValue(1), 90.0f);
    EXPECT_EQ(rotation->GetPreExtrapolation(), kUInt(kFCurveExtrapolationConstant));
    EXPECT_EQ(rotation->GetPostExtrapolation(), kUInt(kFCurveExtrapolationConstant));
    KFCurve* visibility = Channel("moving", KQelTakeNode::eVisibility);
    ASSERT_NE(visibility, nullptr);
    ASSERT_EQ(visibility->KeyGetCount(), 2);
    EXPECT_EQ(visibility->KeyGetInterpolation(0), kUInt(kFCurveInterpolationConstant));
    KQelTakeNode* take = Node("moving")->GetCurrentTakeNode();
    EXPECT_EQ(take->GetPropertyAnimation(Node("moving")->FindPropertyByName("wt"), 0)->KeyGetCount(), 3);
    for (unsigned int component = 0; component < 3; ++component)
        EXPECT_EQ(take->GetPropertyAnimation(Node("moving")->FindPropertyByName("tn"), component)->KeyGetCount(), 2);
    EXPECT_EQ(Node("still")->GetTakeNodeCount(), 1);
}

TEST_F(ExportTest, TangentsAndWeightsSurviveInEveryUnit)
{
    Params().SetBoolParam(KQelUserParams::kExportApplyCstKeyRed, false);
    const struct {
        MTime::Unit time;
        MAngle::Unit angle;
    } units[] = {{MTime::kFilm, MAngle::kDegrees}, {MTime::kVideo, MAngle::kRadians}, {MTime::kSeconds, MAngle::kDegrees}};
    // Each channel plain on X, weighted on Y.
    const struct {
        const char* plug[2];
        double factor;
    } plugs[] = {{{"t.rotateX", "t.rotateY"}, kRadToDeg},
                 {{"t.translateX", "t.translateY"}, 1.0},
                 {{"t.scaleX", "t.scaleY"}, 1.0}};
    // Keys (seconds, value, in, out, fixed slope per second); then a
    // weighted curve whose extents give weights of whole 1/9999 steps.
    const struct {
        double t, v;
        T in, out;
        double slope;
    } keys[] = {{0.0, 1.0, T(1), T(1), 3.0},  {0.5, 2.0, T(3), T(3), 0},  {1.25, 0.5, T(2), T(2), 0},
                {2.0, 1.5, T(2), T(5), 0},    {2.5, -1.0, T(8), T(8), 0}, {3.5, 0.75, T(1), T(1), -2.0},
                {4.0, 0.25, T(8), T(8), 0}};
    const double weights[] = {2000.0 / 9999, 4000.0 / 9999, 5000.0 / 9999};
    for (const auto& unit : units) {
        standin::resetHost();
        make("transform", "t");
        MTime::setUIUnit(unit.time);
        MAngle::setUIUnit(unit.angle);
        MDistance::setUIUnit(MDistance::kMeters);
        for (const auto& p : plugs) {
            for (bool weighted : {false, true}) {
                MFnAnimCurve host = Keyed(p.plug[weighted], {});
                if (weighted) {
                    host.setIsWeighted(true);
                    for (int i = 0; i < 3; ++i)
                        host.addKey(MTime(double(i), MTime::kSeconds), i * 0.5, T(1), T(1));
                    for (unsigned int i = 0; i < 3; ++i) {
                        host.setWeightsLocked(i, false);
                        const double extent = 3.0 * weights[i];
                        host.setTangent(i, float(extent), float(extent * (1.0 + i)), false, nullptr, false);
                        host.setTangent(i, float(extent), float(extent * (1.0 + i)), true, nullptr, false);
                    }
                } else {
                    for (const auto& k : keys) {
                        const unsigned int i = host.addKey(MTime(k.t, MTime::kSeconds), k.v, k.in, k.out);
                        if (k.in == T(1))
                            host.setTangent(i, 1.0f, float(k.slope), false, nullptr, false);
                    }
                }
                KFCurve curve;
                ConvertCurve(host, curve, false, p.factor);
                const int count = int(host.numKeys());
                ASSERT_EQ(curve.KeyGetCount(), count);
                for (int i = 0; i < count; ++i) {
                    const double slope = (weighted ? 1.0 + i : keys[i].slope) * p.factor;
                    if (weighted || keys[i].in == T(1)) {
                        if (i > 0) {
                            EXPECT_NEAR(curve.KeyGetLeftDerivative(i), slope, 1e-5 * std::fabs(slope)) << p.plug[weighted] << i;
                        }
                        if (i + 1 < count) {
                            EXPECT_NEAR(curve.KeyGetRightDerivative(i), slope, 1e-5 * std::fabs(slope)) << p.plug[weighted] << i;
                        }
                    }
                    if (weighted && i + 1 < count) {
                        EXPECT_NEAR(curve.KeyGetRightTangeantWeight(i), weights[i], 1e-5 * weights[i]) << i;
                    }
                    if (weighted && i > 0) {
                        EXPECT_NEAR(curve.KeyGetLeftTangeantWeight(i), weights[i], 1e-5 * weights[i]) << i;
                    }
                    for (int step = 0; i + 1 < count && step < 20; ++step) {
                        const double t0 = curve.KeyGetTime(i).GetSecondDouble();
                        const double t = t0 + (curve.KeyGetTime(i + 1).GetSecondDouble() - t0) * step / 20.0;
                        KTime time;
                        time.SetSecondDouble(t);
                        const double expected = host.evaluate(MTime(t, MTime::kSeconds)) * p.factor;
                        EXPECT_NEAR(curve.Evaluate(time), expected, 1e-4 * std::fmax(1.0, std::fabs(expected)))
                            << p.plug[weighted] << " at " << t << " unit " << unit.time;
                    }
                }
            }
        }
    }
}

TEST_F(ExportTest, RotationsSampledTogetherAreReorderedToXYZ)
{
    make("transform", "t");
    Keyed("t.rotateX", {{0.0, 0.0}, {1.0, 1.5707963267948966}});
    Keyed("t.rotateZ", {{0.5, 0.0}, {1.0, 1.5707963267948966}});
    KQelSdkManager manager;
    KFCurveNode* rotation = manager.CreateKQelNode("n")->GetDefaultTakeNode()->GetKFCurveNode()->FindRecursive("R");
    ASSERT_NE(rotation, nullptr);
    QelVeskExport().SetRotationFCurve(Transform("t"), *rotation, MEulerRotation::kZYX);
    const MEulerRotation expected = MEulerRotation(1.5707963267948966, 0.0, 1.5707963267948966, MEulerRotation::kZYX)
                                        .reorder(MEulerRotation::kXYZ);
    const double angles[3] = {expected.x, expected.y, expected.z};
    for (int axis = 0; axis < 3; ++axis) {
        KFCurve* curve = rotation->Get(axis)->FCurveGet();
        ASSERT_EQ(curve->KeyGetCount(), 31) << axis;
        EXPECT_EQ(curve->KeyGetTime(30).Get(), KTime::kTicksPerSecond);
        EXPECT_NEAR(curve->KeyGetValue(30), angles[axis] * kRadToDeg, 1e-4) << axis;
    }
}
