#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "node_builders.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;
using testing_curves::LayerIDs;
using testing_curves::NodePtr;
using testing_curves::PropertyNode;
using testing_curves::Sec;
using testing_curves::Values;

void KeyEverySecond(KFCurve* curve, int count, float value = 0.0f)
{
    for (int i = 0; i < count; ++i) {
        const int index = curve->KeyAppendFast(Sec(i), value + static_cast<float>(i));
        curve->KeySet(index, Sec(i), value + static_cast<float>(i), kFCurveInterpolationLinear, 0);
    }
}

TEST(CurveNodeKeys, KeyAddPutsOneAutoKeyOnEveryCurve)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    double values[3] = {1.0, 2.0, 3.0};
    EXPECT_EQ(node->KeyAdd(Sec(1.0), values) - values, 3);
    for (int axis = 0; axis < 3; ++axis) {
        KFCurve* curve = node->Get(axis)->FCurveGet();
        ASSERT_EQ(curve->KeyGetCount(), 1);
        EXPECT_FLOAT_EQ(curve->KeyGetValue(0), static_cast<float>(axis + 1));
        EXPECT_EQ(curve->KeyGetInterpolation(0), kFCurveInterpolationCubic);
        EXPECT_EQ(curve->KeyGetTangeantMode(0), kFCurveTangentAuto);
    }
    EXPECT_EQ(node->KeyGetCount(), 3);
    EXPECT_EQ(node->KeyGetCountOnChild(1), 1);
}

TEST(CurveNodeKeys, FirstLastPreviousAndNextKeyTimes)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    EXPECT_EQ(node->GetFirstKeyTime(), KTIME_MINUS_INFINITE);
    EXPECT_EQ(node->GetLastKeyTime(), KTIME_INFINITE);
    EXPECT_EQ(node->GetPrevKeyTime(Sec(3.0)), Sec(3.0));

    FillUniform(*node->Get(0)->FCurveGet(), kFCurveInterpolationLinear, 0, {{1.0, 0.0f}, {4.0, 0.0f}});
    FillUniform(*node->Get(2)->FCurveGet(), kFCurveInterpolationLinear, 0, {{2.0, 0.0f}, {6.0, 0.0f}});
    node->CreateLayerAt(1);
    FillUniform(*node->LayerGet(1)->Get(1)->FCurveGet(), kFCurveInterpolationLinear, 0, {{-1.0, 0.0f}});

    EXPECT_EQ(node->GetFirstKeyTime(), Sec(1.0));
    EXPECT_EQ(node->GetFirstKeyTime(nullptr, true), Sec(-1.0));
    EXPECT_EQ(node->GetLastKeyTime(), Sec(6.0));
    bool onlyX[3] = {true, false, false};
    EXPECT_EQ(node->GetLastKeyTime(onlyX), Sec(4.0));

    EXPECT_EQ(node->GetPrevKeyTime(Sec(4.5)), Sec(4.0));
    EXPECT_EQ(node->GetPrevKeyTime(Sec(4.0)), Sec(2.0));
    EXPECT_EQ(node->GetPrevKeyTime(Sec(0.5)), Sec(0.5));
    EXPECT_EQ(node->GetNextKeyTime(Sec(2.0)), Sec(4.0));
    EXPECT_EQ(node->GetNextKeyTime(Sec(6.0)), Sec(6.0));

    KTime start = Sec(0.0);
    KTime stop = Sec(0.0);
    EXPECT_TRUE(node->GetAnimationInterval(start, stop));
    EXPECT_EQ(start, Sec(-1.0));
    EXPECT_EQ(stop, Sec(6.0));
    NodePtr empty(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    empty->GetTimeSpan(start, stop);
    EXPECT_EQ(start, KTIME_INFINITE);
    EXPECT_EQ(stop, KTIME_MINUS_INFINITE);
}

TEST(CurveNodeKeys, DeleteKeyHonoursTheIndexTolerance)
{
    const struct {
        double seconds;
        double tolerance;
        bool removed;
    } cases[] = {
        {3.05, 0.1, true}, {3.05, 0.0, false}, {3.0, 0.0, true}, {3.5, 0.4, false}, {5.2, 0.5, false},
    };
    for (const auto& c : cases) {
        NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
        KFCurve* x = node->Get(0)->FCurveGet();
        KeyEverySecond(x, 6);
        KTime time = Sec(c.seconds);
        bool onlyX[3] = {true, false, false};
        EXPECT_EQ(node->DeleteKey(time, onlyX, c.tolerance), c.removed) << c.seconds << " " << c.tolerance;
        EXPECT_EQ(x->KeyGetCount(), c.removed ? 5 : 6);
        if (c.removed) {
            EXPECT_EQ(x->KeyGetTime(3), Sec(4.0));
        }
    }
}

TEST(CurveNodeKeys, IsKeyCountsKeyedChannels)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    KeyEverySecond(node->Get(0)->FCurveGet(), 3);
    KeyEverySecond(node->Get(1)->FCurveGet(), 3);
    KTime time = Sec(1.0);
    EXPECT_EQ(node->IsKey(time), 1);
    bool xy[3] = {true, true, false};
    EXPECT_EQ(node->IsKey(time, nullptr, xy), 2);
    time = Sec(1.5);
    EXPECT_EQ(node->IsKey(time, nullptr, xy), 0);
    bool none[3] = {false, false, false};
    EXPECT_EQ(node->IsKey(time, nullptr, none), 2);
}

TEST(CurveNodeKeys, CopyFromAlignsTheLayerChain)
{
    NodePtr source(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation", 1.0, 0.0, 0.0));
    source->CreateLayerAt(2);
    source->CreateLayerAt(5);
    source->LayerGet(2)->Get(0)->FCurveGet()->SetValue(20.0f);
    source->LayerGet(5)->Get(0)->FCurveGet()->SetValue(50.0f);
    NodePtr target(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    target->CreateLayerAt(3);

    target->CopyFrom(source.get());
    EXPECT_EQ(LayerIDs(target.get()), (std::vector<int>{0, 2, 5}));
    EXPECT_FLOAT_EQ(target->LayerGet(2)->Get(0)->FCurveGet()->GetValue(), 20.0f);
    EXPECT_FLOAT_EQ(target->LayerGet(5)->Get(0)->FCurveGet()->GetValue(), 50.0f);
    EXPECT_NE(target->LayerGet(5)->Get(0)->FCurveGet(), source->LayerGet(5)->Get(0)->FCurveGet());
    EXPECT_DOUBLE_EQ(Values(target.get(), Sec(0.0))[0], 71.0);

    NodePtr bare(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    target->CopyFrom(bare.get());
    EXPECT_EQ(target->LayerGet(), nullptr);
}

TEST(CurveNodeKeys, CopyOfASpanKeepsItsBaseKeysAndAllLayers)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    KeyEverySecond(node->Get(0)->FCurveGet(), 6);
    node->CreateLayerAt(1);
    KeyEverySecond(node->LayerGet(1)->Get(0)->FCurveGet(), 6);
    NodePtr copy(node->Copy(Sec(2.0), Sec(3.0)));
    ASSERT_EQ(copy->GetCount(), 3);
    KFCurve* x = copy->Get(0)->FCurveGet();
    ASSERT_EQ(x->KeyGetCount(), 2);
    EXPECT_EQ(x->KeyGetTime(0), Sec(2.0));
    EXPECT_EQ(x->KeyGetTime(1), Sec(3.0));
    ASSERT_NE(copy->LayerGet(1), nullptr);
    EXPECT_EQ(copy->LayerGet(1)->Get(0)->FCurveGet()->KeyGetCount(), 6);
    EXPECT_EQ(copy->GetLayerType(), 1);
}

TEST(CurveNodeKeys, ReplaceCopiesTheSourceSpan)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    NodePtr source(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    KeyEverySecond(node->Get(0)->FCurveGet(), 5, 0.0f);
    KeyEverySecond(source->Get(0)->FCurveGet(), 5, 100.0f);
    node->Replace(source.get(), Sec(1.0), Sec(3.0));
    EXPECT_NEAR(Values(node.get(), Sec(2.0))[0], 102.0, 1e-4);
    EXPECT_NEAR(Values(node.get(), Sec(4.0))[0], 4.0, 1e-4);
}

TEST(CurveNodeKeys, AppendWithContinuityFollowsThePreviousKey)
{
    NodePtr rotation(PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation"));
    double first[3] = {350.0, 0.0, 0.0};
    rotation->KeyAppend(Sec(0.0), first, true);
    double next[3] = {5.0, 0.0, 0.0};
    rotation->KeyAppend(Sec(1.0), next, true);
    EXPECT_FLOAT_EQ(rotation->Get(0)->FCurveGet()->KeyGetValue(1), 365.0f);
}

struct NodeEventRecorder {
    std::vector<int> types;
    std::vector<int> counts;
    std::vector<kReference> data;
    KFCurveNode* unregisterFrom = nullptr;
};

void RecordNodeEvent(KFCurveNode* node, KFCurveNodeEvent* event, void* object)
{
    NodeEventRecorder* recorder = static_cast<NodeEventRecorder*>(object);
    recorder->types.push_back(event->mEventType);
    recorder->counts.push_back(event->mEventCount);
    recorder->data.push_back(event->mData);
    if (recorder->unregisterFrom == node)
        node->CallbackUnregister(RecordNodeEvent, object);
}

TEST(CurveNodeKeys, HeldEventsMergeAndDeliverOnce)
{
    NodeEventRecorder recorder;  // outlives the node, which reports its destruction
    NodePtr node(KFCurveNodeCreate("n"));
    node->CallbackRegister(RecordNodeEvent, &recorder);
    node->CallbackEnable(false);
    for (int type : {4, 8, 16})
        node->CallbackAddEvent(type);
    EXPECT_TRUE(recorder.types.empty());
    node->CallbackEnable(true);
    ASSERT_EQ(recorder.types.size(), 1u);
    EXPECT_EQ(recorder.types[0], 28);
    EXPECT_EQ(recorder.counts[0], 3);
    EXPECT_EQ(node->GetNodeUpdateId(), 3);

    int payload = 0;
    node->DataUpdated(reinterpret_cast<IData*>(&payload));
    ASSERT_EQ(recorder.types.size(), 2u);
    EXPECT_EQ(recorder.types[1], 32);
    EXPECT_EQ(recorder.data[1], reinterpret_cast<kReference>(&payload));
    node->CreateLayerAt(1);
    EXPECT_EQ(recorder.types.back() & 16, 16);
}

TEST(CurveNodeKeys, CallbackMayUnregisterItselfWhileCalled)
{
    NodeEventRecorder recorder;
    NodeEventRecorder other;
    {
        NodePtr node(KFCurveNodeCreate("n"));
        node->CallbackRegister(RecordNodeEvent, &other);
        node->CallbackRegister(RecordNodeEvent, &recorder);
        recorder.unregisterFrom = node.get();
        node->CallbackAddEvent(1);
        node->CallbackAddEvent(4);
        EXPECT_EQ(recorder.types.size(), 1u);
        EXPECT_EQ(other.types.size(), 2u);
    }
    // Destruction is announced to the remaining callback.
    EXPECT_EQ(other.types.back(), 2);
}

}  // namespace
}  // namespace qelsdk_600
