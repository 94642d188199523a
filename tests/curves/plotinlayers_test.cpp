#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "curves/kfcurve_plotinlayers.h"
#include "curves/kfcurvesettings.h"
#include "node_builders.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;
using testing_curves::kFrame;
using testing_curves::LayerIDs;
using testing_curves::Linear;
using testing_curves::NodePtr;
using testing_curves::PropertyNode;
using testing_curves::Sec;

// A leaf of that layer type whose curve holds value (no keys).
KFCurveNode* Leaf(int layerType, float value)
{
    KFCurveNode* node = KFCurveNodeCreate("V", nullptr, layerType, 0);
    node->CreateFCurve();
    node->FCurveGet()->SetValue(value);
    return node;
}

// Adds layer id to node's chain; every curve of it holds value.
KFCurveNode* AddLayer(KFCurveNode* node, int id, float value)
{
    node->CreateLayerAt(id);
    KFCurveNode* layer = node->LayerGet(id);
    if (layer->FCurveGet())
        layer->FCurveGet()->SetValue(value);
    for (int i = 0; i < layer->GetCount(); ++i)
        layer->Get(i)->FCurveGet()->SetValue(value);
    return layer;
}

std::vector<KTime> KeyTimes(KFCurve* curve)
{
    std::vector<KTime> times;
    for (int i = 0; i < curve->KeyGetCount(); ++i)
        times.push_back(curve->KeyGetTime(i));
    return times;
}

bool HasKeyAt(KFCurve* curve, KTime time)
{
    for (int i = 0; i < curve->KeyGetCount(); ++i)
        if (curve->KeyGetTime(i) == time)
            return true;
    return false;
}

TEST(PlotInLayers, BaseOnlyReplacePlotsOneKeyPerPeriod)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "T", 0.0, 1.5, 0.0));
    Linear(*node->Get(0)->FCurveGet(), {{0.0, 0.0f}, {1.0, 3.0f}});
    FillUniform(*node->Get(2)->FCurveGet(), kFCurveInterpolationCubic, kFCurveTangentAuto,
                {{0.0, 1.0f}, {0.5, -2.0f}, {1.0, 4.0f}});
    NodePtr original(node->Clone(false));

    KFCurve_PlotInLayers(node.get(), nullptr, 0, kFCurvePlotReplaceCurves, Sec(0.0), Sec(1.0), kFrame, nullptr,
                         nullptr, false, nullptr);
    for (int c = 0; c < 3; ++c) {
        KFCurve* curve = node->Get(c)->FCurveGet();
        ASSERT_EQ(curve->KeyGetCount(), 31) << c;
        for (int k = 0; k < 31; ++k) {
            EXPECT_EQ(curve->KeyGetTime(k), kFrame * k);
            EXPECT_FLOAT_EQ(curve->KeyGetValue(k), original->Get(c)->FCurveGet()->Evaluate(kFrame * k)) << c << k;
        }
    }
}

TEST(PlotInLayers, StopOffTheGridGetsNoKey)
{
    NodePtr node(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    Linear(*node->FCurveGet(), {{0.0, 0.0f}, {1.0, 1.0f}});
    KFCurve_PlotInLayers(node.get(), nullptr, 0, kFCurvePlotReplaceCurves, Sec(0.0), Sec(0.9), Sec(0.25), nullptr,
                         nullptr, false, nullptr);
    const std::vector<KTime> expected = {Sec(0.0), Sec(0.25), Sec(0.5), Sec(0.75)};
    EXPECT_EQ(KeyTimes(node->FCurveGet()), expected);
}

TEST(PlotInLayers, TimeWarpIsReadWhenAsked)
{
    for (bool useTimeWarp : {false, true}) {
        NodePtr node(Leaf(kFCurveNodeLayerAdditive, 0.0f));
        Linear(*node->FCurveGet(), {{0.0, 0.0f}, {10.0, 10.0f}});
        KFCurveNode* warp = KFCurveNodeCreate("Warp");
        warp->CreateFCurve();
        warp->FCurveGet()->SetValue(2.5f);
        node->TimeWarpSet(warp);
        KFCurve_PlotInLayers(node.get(), nullptr, 0, kFCurvePlotReplaceCurves, Sec(0.0), Sec(1.0), Sec(0.5), nullptr,
                             nullptr, useTimeWarp, nullptr);
        KFCurve* curve = node->FCurveGet();
        ASSERT_EQ(curve->KeyGetCount(), 3);
        for (int k = 0; k < 3; ++k)
            EXPECT_FLOAT_EQ(curve->KeyGetValue(k), useTimeWarp ? 2.5f : 0.5f * k);
    }
}

TEST(PlotInLayers, LayersCombineByType)
{
    const struct {
        int layerType;
        bool leaf;
        float base;
        float layer;
        float expected;
    } cases[] = {
        {kFCurveNodeLayerAdditive, true, 3.0f, 2.0f, 5.0f},
        {kFCurveNodeLayerAdditive, false, 3.0f, 2.0f, 5.0f},
        {kFCurveNodeLayerMultiplicative, true, 3.0f, 2.0f, 6.0f},
        {kFCurveNodeLayerMultiplicative, false, 3.0f, 2.0f, 6.0f},
    };
    for (const auto& c : cases) {
        NodePtr node(c.leaf ? Leaf(c.layerType, c.base)
                            : PropertyNode(c.layerType == kFCurveNodeLayerAdditive ? KDataTypeLclTranslation::DataType
                                                                                     : KDataTypeLclScaling::DataType,
                                           "P", c.base, c.base, c.base));
        AddLayer(node.get(), 1, c.layer);
        NodePtr destination(node->CloneTemplate(false, false, true));
        KFCurve_PlotInLayers(node.get(), nullptr, 0, 0, Sec(0.0), Sec(1.0), Sec(0.5), destination.get(), nullptr,
                             false, nullptr);
        const int count = c.leaf ? 1 : 3;
        for (int i = 0; i < count; ++i) {
            KFCurve* curve = c.leaf ? destination->FCurveGet() : destination->Get(i)->FCurveGet();
            ASSERT_EQ(curve->KeyGetCount(), 3) << c.layerType << c.leaf;
            EXPECT_FLOAT_EQ(curve->KeyGetValue(1), c.expected) << c.layerType << c.leaf;
        }
        // The source chain is left as it was.
        EXPECT_EQ(LayerIDs(node.get()), std::vector<int>({0, 1}));
    }
}

TEST(PlotInLayers, WideNodesPlotEveryChild)
{
    // More components than the four of a rotation or quaternion.
    NodePtr node(KFCurveNodeCreate("Wide", nullptr, kFCurveNodeLayerAdditive, 0));
    for (int i = 0; i < 7; ++i) {
        KFCurveNode* child = KFCurveNodeCreate(" ");
        child->CreateFCurve();
        child->FCurveGet()->SetValue(static_cast<float>(i));
        node->Add(child);
    }
    AddLayer(node.get(), 1, 10.0f);
    NodePtr destination(node->CloneTemplate(false, false, true));
    KFCurve_PlotInLayers(node.get(), nullptr, 0, 0, Sec(0.0), Sec(1.0), Sec(0.5), destination.get(), nullptr, false,
                         nullptr);
    for (int i = 0; i < 7; ++i) {
        KFCurve* curve = destination->Get(i)->FCurveGet();
        ASSERT_EQ(curve->KeyGetCount(), 3) << i;
        EXPECT_FLOAT_EQ(curve->KeyGetValue(1), 10.0f + i) << i;
    }
}

TEST(PlotInLayers, EulerLayerComposesRotationsNotAngles)
{
    NodePtr node(PropertyNode(KDataTypeLclRotation::DataType, "R", 0.0, 0.0, 90.0));
    KFCurveNode* layer = AddLayer(node.get(), 1, 0.0f);
    layer->Get(0)->FCurveGet()->SetValue(90.0f);
    NodePtr destination(node->CloneTemplate(false, false, true));
    KFCurve_PlotInLayers(node.get(), nullptr, 0, 0, Sec(0.0), Sec(0.5), Sec(0.5), destination.get(), nullptr, false,
                         nullptr);
    // X 90 turned first, then Z 90: Euler XYZ (90, 0, 90).
    const float expected[3] = {90.0f, 0.0f, 90.0f};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(destination->Get(i)->FCurveGet()->KeyGetValue(0), expected[i], 1e-4) << i;
}

TEST(PlotInLayers, SolveSubtractsTheOtherLayers)
{
    for (bool withAfter : {false, true}) {
        NodePtr node(Leaf(kFCurveNodeLayerAdditive, 3.0f));
        AddLayer(node.get(), 1, 0.0f);
        if (withAfter)
            AddLayer(node.get(), 2, 2.0f);
        NodePtr target(Leaf(kFCurveNodeLayerAdditive, 10.0f));
        NodePtr destination(Leaf(kFCurveNodeLayerAdditive, 0.0f));
        KFCurve_PlotInLayers(node.get(), nullptr, 1, 0, Sec(0.0), Sec(1.0), Sec(0.5), destination.get(), target.get(),
                             false, nullptr);
        KFCurve* curve = destination->FCurveGet();
        ASSERT_EQ(curve->KeyGetCount(), 3);
        EXPECT_FLOAT_EQ(curve->KeyGetValue(2), withAfter ? 5.0f : 7.0f);
    }
}

TEST(PlotInLayers, SolvedLayerWrittenInPlaceReproducesTheTarget)
{
    NodePtr node(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    Linear(*node->FCurveGet(), {{0.0, 0.0f}, {1.0, 1.0f}});
    NodePtr target(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    Linear(*target->FCurveGet(), {{0.0, 5.0f}, {1.0, 2.0f}});
    // Layer 1 does not exist yet, and layer 2 gets created before it.
    AddLayer(node.get(), 2, 0.0f);
    KFCurve_PlotInLayers(node.get(), nullptr, 1, kFCurvePlotReplaceSpan, Sec(0.0), Sec(1.0), Sec(0.25), nullptr,
                         target.get(), false, nullptr);
    ASSERT_EQ(LayerIDs(node.get()), std::vector<int>({0, 1, 2}));
    for (double s : {0.0, 0.25, 0.5, 0.75, 1.0}) {
        double total = 0.0;
        node->GeneralEvaluate(&total, Sec(s));
        EXPECT_NEAR(total, target->FCurveGet()->Evaluate(Sec(s)), 1e-5) << s;
    }
}

TEST(PlotInLayers, SmartPlotKeysOnlyAtSourceKeyTimes)
{
    NodePtr node(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    Linear(*node->FCurveGet(), {{0.0, 0.0f}, {2.0, 4.0f}});
    KFCurveNode* layer = AddLayer(node.get(), 1, 0.0f);
    FillUniform(*layer->FCurveGet(), kFCurveInterpolationConstant, 0, {{1.0, 1.0f}});
    KSmartPlotOptions options;
    options.UseSmartPlot = true;
    NodePtr destination(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    KFCurve_PlotInLayers(node.get(), nullptr, 0, 0, Sec(0.0), Sec(2.0), kFrame, destination.get(), nullptr, false,
                         &options);
    const std::vector<KTime> expected = {Sec(0.0), Sec(1.0), Sec(2.0)};
    KFCurve* curve = destination->FCurveGet();
    EXPECT_EQ(KeyTimes(curve), expected);
    EXPECT_FLOAT_EQ(curve->KeyGetValue(0), 1.0f);
    EXPECT_FLOAT_EQ(curve->KeyGetValue(1), 3.0f);
    EXPECT_FLOAT_EQ(curve->KeyGetValue(2), 5.0f);
}

TEST(PlotInLayers, SmartPlotPassesSourceKeysBeforeTheRange)
{
    // A hundred keys before the range must not hold back the cursor past
    // the key inside it.
    NodePtr node(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    KFCurve* source = node->FCurveGet();
    for (int i = -100; i < 0; ++i)
        FillUniform(*source, kFCurveInterpolationLinear, 0, {{static_cast<double>(i), 0.0f}});
    FillUniform(*source, kFCurveInterpolationLinear, 0, {{0.5, 2.0f}, {10.0, 2.0f}});
    KSmartPlotOptions options;
    options.UseSmartPlot = true;
    options.BreakTangents = false;
    options.IncreaseFidelity = false;
    NodePtr destination(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    KFCurve_PlotInLayers(node.get(), nullptr, 0, 0, Sec(0.0), Sec(1.0), kFrame, destination.get(), nullptr, false,
                         &options);
    const std::vector<KTime> expected = {Sec(0.0), Sec(0.5)};
    EXPECT_EQ(KeyTimes(destination->FCurveGet()), expected);
}

TEST(PlotInLayers, SmartPlotSamplesAroundEachSourceKey)
{
    NodePtr node(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    FillUniform(*node->FCurveGet(), kFCurveInterpolationCubic, kFCurveTangentAuto,
                {{0.0, 0.0f}, {1.0, 5.0f}, {2.0, 1.0f}});
    KSmartPlotOptions options;
    options.UseSmartPlot = true;
    options.KeepFullPlot = true;
    NodePtr destination(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    KFCurve_PlotInLayers(node.get(), nullptr, 0, 0, Sec(0.0), Sec(2.0), kFrame, destination.get(), nullptr, false,
                         &options);
    KFCurve* curve = destination->FCurveGet();
    const KTime offset = options.TangentPeriod;
    for (KTime time : {KTime(0) + offset, Sec(1.0) - offset, Sec(1.0), Sec(1.0) + offset, Sec(2.0) - offset})
        EXPECT_TRUE(HasKeyAt(curve, time)) << time.Get();
    EXPECT_FALSE(HasKeyAt(curve, Sec(2.0) + offset));
    // 61 grid samples and the 4 extra ones inside the range.
    EXPECT_EQ(curve->KeyGetCount(), 65);
    for (int i = 1; i < curve->KeyGetCount(); ++i)
        EXPECT_LT(curve->KeyGetTime(i - 1), curve->KeyGetTime(i));
}

TEST(PlotInLayers, SmartPlotBreaksTangentsAtPeaks)
{
    NodePtr node(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    Linear(*node->FCurveGet(), {{0.0, 0.0f}, {0.5, 1.0f}, {1.0, 0.0f}});
    KSmartPlotOptions options;
    options.UseSmartPlot = true;
    NodePtr destination(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    KFCurve_PlotInLayers(node.get(), nullptr, 0, 0, Sec(0.0), Sec(1.0), kFrame, destination.get(), nullptr, false,
                         &options);
    KFCurve* curve = destination->FCurveGet();
    ASSERT_GE(curve->KeyGetCount(), 3);
    const int peak = static_cast<int>(curve->KeyFind(Sec(0.5)));
    ASSERT_EQ(curve->KeyGetTime(peak), Sec(0.5));
    EXPECT_EQ(curve->KeyGetTangeantMode(peak), kFCurveTangentUserBreak);
    EXPECT_NEAR(curve->KeyGetLeftDerivative(peak), 2.0, 1e-2);
    EXPECT_NEAR(curve->KeyGetRightDerivative(peak), -2.0, 1e-2);
    for (double s = 0.0; s <= 1.0; s += 0.05)
        EXPECT_NEAR(curve->Evaluate(Sec(s)), node->FCurveGet()->Evaluate(Sec(s)), 0.25) << s;
}

TEST(PlotInLayers, RemoveFlagDropsListedLayersAndEmptiesTheBase)
{
    NodePtr node(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    Linear(*node->FCurveGet(), {{0.0, 1.0f}, {1.0, 1.0f}});
    AddLayer(node.get(), 1, 2.0f);
    AddLayer(node.get(), 2, 4.0f);
    KArrayTemplate<int> ids;
    ids.Add(0);
    ids.Add(1);
    NodePtr destination(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    KFCurve_PlotInLayers(node.get(), &ids, 0, kFCurvePlotRemoveLayers, Sec(0.0), Sec(1.0), Sec(0.5),
                         destination.get(), nullptr, false, nullptr);
    EXPECT_EQ(LayerIDs(node.get()), std::vector<int>({0, 2}));
    ASSERT_NE(node->FCurveGet(), nullptr);
    EXPECT_EQ(node->FCurveGet()->KeyGetCount(), 0);
    // Only the listed layers were plotted.
    EXPECT_FLOAT_EQ(destination->FCurveGet()->KeyGetValue(0), 3.0f);
}

TEST(PlotInLayers, MergingIntoOneLayerKeepsTheTotal)
{
    // Zero every layer but layer 1, and give layer 1 the plotted total.
    NodePtr node(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    Linear(*node->FCurveGet(), {{0.0, 0.0f}, {1.0, 3.0f}});
    KFCurveNode* layer = AddLayer(node.get(), 1, 0.0f);
    Linear(*layer->FCurveGet(), {{0.0, 2.0f}, {1.0, 1.0f}});
    std::vector<double> before;
    for (int k = 0; k <= 4; ++k) {
        double value = 0.0;
        node->GeneralEvaluate(&value, Sec(0.25 * k));
        before.push_back(value);
    }
    KFCurve_PlotInLayers(node.get(), nullptr, 1, kFCurvePlotZeroLayers | kFCurvePlotReplaceCurves, Sec(0.0),
                         Sec(1.0), Sec(0.25), nullptr, nullptr, false, nullptr);
    for (int k = 0; k <= 4; ++k) {
        EXPECT_FLOAT_EQ(node->FCurveGet()->Evaluate(Sec(0.25 * k)), 0.0f) << k;
        double value = 0.0;
        node->GeneralEvaluate(&value, Sec(0.25 * k));
        EXPECT_NEAR(value, before[static_cast<std::size_t>(k)], 1e-5) << k;
    }
}

TEST(PlotInLayers, EveryResultCurveEndsWithOneOwner)
{
    // No receiver at all: the results are freed (the leak checker sees it).
    NodePtr node(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    Linear(*node->FCurveGet(), {{0.0, 0.0f}, {1.0, 1.0f}});
    KFCurve_PlotInLayers(node.get(), nullptr, 0, 0, Sec(0.0), Sec(1.0), Sec(0.5), nullptr, nullptr, false, nullptr);
    EXPECT_EQ(node->FCurveGet()->KeyGetCount(), 2);

    // A layer ID beyond the chain: no layer is made and nothing leaks.
    KFCurve_PlotInLayers(node.get(), nullptr, 5, kFCurvePlotReplaceCurves, Sec(0.0), Sec(1.0), Sec(0.5), nullptr,
                         nullptr, false, nullptr);
    EXPECT_EQ(LayerIDs(node.get()), std::vector<int>({0}));

    // A destination and a layer flag both get the plot, each its own curve.
    NodePtr destination(Leaf(kFCurveNodeLayerAdditive, 0.0f));
    KFCurve_PlotInLayers(node.get(), nullptr, 0, kFCurvePlotReplaceCurves, Sec(0.0), Sec(1.0), Sec(0.5),
                         destination.get(), nullptr, false, nullptr);
    ASSERT_NE(destination->FCurveGet(), node->FCurveGet());
    EXPECT_EQ(destination->FCurveGet()->KeyGetCount(), 3);
    EXPECT_EQ(node->FCurveGet()->KeyGetCount(), 3);
}

TEST(PlotInLayers, UnboundedOrEmptyRangesAreRefused)
{
    const struct {
        KTime start;
        KTime stop;
        KTime period;
    } cases[] = {{Sec(0.0), Sec(1.0), KTime(0)},
                 {Sec(0.0), Sec(1.0), KTime(-10)},
                 {Sec(1.0), Sec(0.0), kFrame},
                 {Sec(0.0), KTIME_INFINITE, kFrame},
                 {KTIME_MINUS_INFINITE, Sec(0.0), kFrame}};
    for (const auto& c : cases) {
        NodePtr node(Leaf(kFCurveNodeLayerAdditive, 0.0f));
        Linear(*node->FCurveGet(), {{0.0, 0.0f}, {1.0, 1.0f}});
        KFCurve_PlotInLayers(node.get(), nullptr, 0, kFCurvePlotReplaceCurves, c.start, c.stop, c.period, nullptr,
                             nullptr, false, nullptr);
        EXPECT_EQ(node->FCurveGet()->KeyGetCount(), 2);
    }
    // A node with nothing to plot.
    NodePtr empty(KFCurveNodeCreate("Empty"));
    KFCurve_PlotInLayers(empty.get(), nullptr, 0, kFCurvePlotReplaceCurves, Sec(0.0), Sec(1.0), kFrame, nullptr,
                         nullptr, false, nullptr);
    EXPECT_EQ(empty->FCurveGet(), nullptr);
}

TEST(PlotInLayers, ListedLayersAreSplitAroundTheSolvedOne)
{
    NodePtr node(Leaf(kFCurveNodeLayerAdditive, 3.0f));
    for (int id = 1; id <= 3; ++id)
        AddLayer(node.get(), id, static_cast<float>(id));
    KArrayTemplate<KFCurveNode*> before;
    KArrayTemplate<KFCurveNode*> after;
    KFCurve_PrepareForSolving(node.get(), nullptr, 2, before, after);
    ASSERT_EQ(before.GetCount(), 2);
    ASSERT_EQ(after.GetCount(), 1);
    EXPECT_EQ(after.GetAt(0)->GetLayerID(), 3);

    KArrayTemplate<int> ids;
    ids.Add(0);
    ids.Add(3);
    ids.Add(7);
    KArrayTemplate<KFCurveNode*> listedBefore;
    KArrayTemplate<KFCurveNode*> listedAfter;
    KFCurve_PrepareForSolving(node.get(), &ids, 2, listedBefore, listedAfter);
    ASSERT_EQ(listedBefore.GetCount(), 1);
    EXPECT_EQ(listedBefore.GetAt(0), node.get());
    ASSERT_EQ(listedAfter.GetCount(), 1);
    EXPECT_EQ(listedAfter.GetAt(0)->GetLayerID(), 3);

    // Accumulating the listed layers skips layers 1 and 2: 3 + 3.
    double value[4] = {0.0, 0.0, 0.0, 0.0};
    KFCurve_CandidateEvaluateInLayersRecursive(node.get(), value, Sec(0.0), &ids, 0, nullptr);
    EXPECT_DOUBLE_EQ(value[0], 6.0);
}

TEST(PlotInLayers, InverseUndoesEachCombination)
{
    const struct {
        int layerType;
        double values[4];
        double neutral[4];
    } cases[] = {
        {kFCurveNodeLayerAdditive, {1.5, -2.0, 4.0, 0.0}, {0.0, 0.0, 0.0, 0.0}},
        {kFCurveNodeLayerMultiplicative, {2.0, 0.5, -4.0, 0.0}, {1.0, 1.0, 1.0, 0.0}},
        {kFCurveNodeLayerEulerRotation, {30.0, 20.0, 10.0, 0.0}, {0.0, 0.0, 0.0, 0.0}},
        {kFCurveNodeLayerQuaternionRotation, {0.0, 0.6, 0.0, 0.8}, {0.0, 0.0, 0.0, 1.0}},
    };
    for (const auto& c : cases) {
        NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "P"));
        node->SetLayerType(c.layerType);
        double values[4] = {c.values[0], c.values[1], c.values[2], c.values[3]};
        double inverse[4] = {0.0, 0.0, 0.0, 0.0};
        InverseValuesAlongLayerType(node.get(), inverse, values);
        double out[4] = {0.0, 0.0, 0.0, 0.0};
        AddValuesAlongLayerType(node.get(), out, values, inverse);
        const int count = c.layerType == kFCurveNodeLayerQuaternionRotation ? 4 : 3;
        for (int i = 0; i < count; ++i)
            EXPECT_NEAR(out[i], c.neutral[i], 1e-9) << c.layerType << " " << i;
    }
}

TEST(PlotInLayers, AxisAlignment)
{
    double origin[3] = {1.0, 1.0, 1.0};
    const struct {
        double p1[3];
        double p2[3];
        double angles[3];
    } cases[] = {
        {{2.0, 1.0, 1.0}, {3.0, 1.0, 1.0}, {0.0, 0.0, 0.0}},
        {{2.0, 1.0, 1.0}, {-4.0, 1.0, 1.0}, {180.0, 0.0, 0.0}},
        {{2.0, 1.0, 1.0}, {1.0, 3.0, 1.0}, {0.0, 0.0, 90.0}},
        {{1.0, 2.0, 1.0}, {1.0, 1.0, 5.0}, {90.0, 0.0, 0.0}},
    };
    for (const auto& c : cases) {
        double p1[3] = {c.p1[0], c.p1[1], c.p1[2]};
        double p2[3] = {c.p2[0], c.p2[1], c.p2[2]};
        double angles[3] = {-1.0, -1.0, -1.0};
        EXPECT_TRUE(AxisAlignmentInEulerAngle(origin, p1, p2, angles));
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(angles[i], c.angles[i], 1e-6) << i;
    }
}

}  // namespace
}  // namespace qelsdk_600
