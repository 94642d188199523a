#include <vector>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "curves/kfcurve.h"

namespace qelsdk_600 {
namespace {

using testing_curves::Sec;

struct Delivery {
    KFCurve* curve;
    KFCurveEvent event;
    int tag;
};

struct Recorder {
    std::vector<Delivery> deliveries;
};

struct Tagged {
    Recorder* recorder;
    int tag;
};

void Record(KFCurve* curve, KFCurveEvent* event, void* object)
{
    Tagged* tagged = static_cast<Tagged*>(object);
    tagged->recorder->deliveries.push_back({curve, *event, tagged->tag});
}

void FillEightKeys(KFCurve& curve)
{
    for (int i = 0; i < 8; ++i)
        curve.KeyAppendFast(Sec(i), 0.0f);
}

TEST(KFCurveCallback, HeldEventsMergeIntoOneDelivery)
{
    struct Order {
        bool extrapolationFirst;
        int firstKey;
    } orders[] = {{false, -1}, {true, 3}};
    for (const Order& order : orders) {
        Recorder recorder;
        Tagged tagged{&recorder, 1};
        KFCurve curve;
        FillEightKeys(curve);
        curve.CallbackRegister(Record, &tagged);
        curve.CallbackEnable(false);
        if (order.extrapolationFirst)
            curve.SetPostExtrapolation(kFCurveExtrapolationRepetition);
        curve.KeySetValue(3, 1.0f);
        curve.KeySetValue(7, 2.0f);
        if (!order.extrapolationFirst)
            curve.SetPostExtrapolation(kFCurveExtrapolationRepetition);
        EXPECT_TRUE(recorder.deliveries.empty());
        curve.CallbackEnable(true);
        ASSERT_EQ(recorder.deliveries.size(), 1u);
        const KFCurveEvent& event = recorder.deliveries[0].event;
        EXPECT_EQ(event.mType, 2064);
        EXPECT_EQ(event.mKeyIndexStart, order.firstKey);
        EXPECT_EQ(event.mKeyIndexStop, 7);
        EXPECT_EQ(event.mEventCount, 3);
        EXPECT_EQ(event.mReserved, 0);
        EXPECT_EQ(recorder.deliveries[0].curve, &curve);
        curve.CallbackUnregister(Record, &tagged);
    }
}

TEST(KFCurveCallback, EnablingDeliversOnlyWhatIsPendingAndOnlyOnce)
{
    Recorder recorder;
    Tagged tagged{&recorder, 1};
    KFCurve curve;
    curve.CallbackRegister(Record, &tagged);
    curve.CallbackEnable(false);
    curve.CallbackEnable(true);  // nothing pending
    EXPECT_TRUE(recorder.deliveries.empty());
    curve.CallbackEnable(false);
    curve.SetValue(1.0f);
    curve.CallbackEnable(false);  // already held: no change
    curve.CallbackEnable(true);
    curve.CallbackEnable(true);  // already enabled
    EXPECT_EQ(recorder.deliveries.size(), 1u);
    curve.CallbackEnable(false);
    curve.SetValue(2.0f);
    curve.CallbackClear();  // dropped, never delivered
    curve.CallbackEnable(true);
    EXPECT_EQ(recorder.deliveries.size(), 1u);
    curve.CallbackUnregister(Record, &tagged);
}

TEST(KFCurveCallback, RegistrationsAreCalledInOrderAndRemovedByExactPair)
{
    Recorder recorder;
    Tagged a{&recorder, 1};
    Tagged b{&recorder, 2};
    KFCurve curve;
    curve.CallbackRegister(Record, &a);
    curve.CallbackRegister(Record, &b);
    curve.CallbackRegister(Record, &a);  // twice: called twice
    curve.SetValue(1.0f);
    ASSERT_EQ(recorder.deliveries.size(), 3u);
    EXPECT_EQ(recorder.deliveries[0].tag, 1);
    EXPECT_EQ(recorder.deliveries[1].tag, 2);
    EXPECT_EQ(recorder.deliveries[2].tag, 1);

    recorder.deliveries.clear();
    curve.CallbackUnregister(Record, &a);  // the last one only
    curve.CallbackUnregister(Record, &recorder);  // no such pair
    curve.SetValue(2.0f);
    ASSERT_EQ(recorder.deliveries.size(), 2u);
    EXPECT_EQ(recorder.deliveries[0].tag, 1);
    EXPECT_EQ(recorder.deliveries[1].tag, 2);

    recorder.deliveries.clear();
    curve.CallbackUnregister(Record, &a);
    curve.SetValue(3.0f);
    ASSERT_EQ(recorder.deliveries.size(), 1u);
    EXPECT_EQ(recorder.deliveries[0].tag, 2);
    curve.CallbackUnregister(Record, &b);
}

TEST(KFCurveCallback, DestructionIsDeliveredEvenWhileHeld)
{
    Recorder recorder;
    Tagged tagged{&recorder, 1};
    {
        KFCurve* curve = KFCurveCreate();
        FillEightKeys(*curve);
        curve->CallbackRegister(Record, &tagged);
        curve->KeyModifyBegin();
        curve->KeySetValue(2, 1.0f);
        curve->Destroy();
    }
    ASSERT_EQ(recorder.deliveries.size(), 1u);
    const KFCurveEvent& event = recorder.deliveries[0].event;
    EXPECT_EQ(event.mType, kFCurveEventKeyValue | kFCurveEventKey | kFCurveEventDestroy);
    EXPECT_EQ(event.mKeyIndexStart, -1);
    EXPECT_EQ(event.mKeyIndexStop, 2);
    EXPECT_EQ(event.mEventCount, 3);
}

TEST(KFCurveCallback, UpdateIdsCountValuesAndSelectionApart)
{
    KFCurve curve;
    FillEightKeys(curve);
    const kUInt start = curve.GetUpdateId();
    curve.KeySetValue(0, 1.0f);
    EXPECT_EQ(curve.GetUpdateId(), start + 1);
    curve.CallbackAddEvent(kFCurveEventSelection, 1);
    EXPECT_EQ(curve.GetUpdateId(), start + 1 + 0x10000);
    EXPECT_EQ(curve.GetValuesUpdateId(), (start + 1) & 0xFFFF);
    // The low half wraps without carrying into the selection half.
    for (int i = 0; i < 0x10000; ++i)
        curve.CallbackAddEvent(kFCurveEventKey, 0);
    EXPECT_EQ(curve.GetUpdateId(), start + 1 + 0x10000);
    // A batch end counts as a change of values.
    curve.KeyModifyBegin();
    curve.KeyModifyEnd();
    EXPECT_EQ(curve.GetValuesUpdateId(), (start + 2) & 0xFFFF);
}

// A callback that changes the curve starts a fresh event; the others still
// receive the record that was being delivered.
TEST(KFCurveCallback, CallbackThatChangesTheCurveIsSafe)
{
    struct State {
        Recorder* recorder;
        bool changed = false;
    };
    Recorder recorder;
    State state{&recorder};
    Tagged second{&recorder, 2};
    KFCurve curve;
    FillEightKeys(curve);
    curve.CallbackRegister(
        [](KFCurve* c, KFCurveEvent* event, void* object) {
            State* s = static_cast<State*>(object);
            s->recorder->deliveries.push_back({c, *event, 1});
            if (!s->changed && event->mType == kFCurveEventKeyValue) {
                s->changed = true;
                c->SetValue(5.0f);
            }
        },
        &state);
    curve.CallbackRegister(Record, &second);
    curve.KeySetValue(1, 3.0f);
    // 1: key value to the first; nested default value to both; key value to
    // the second.
    ASSERT_EQ(recorder.deliveries.size(), 4u);
    EXPECT_EQ(recorder.deliveries[0].event.mType, kFCurveEventKeyValue);
    EXPECT_EQ(recorder.deliveries[1].event.mType, kFCurveEventDefaultValue);
    EXPECT_EQ(recorder.deliveries[2].event.mType, kFCurveEventDefaultValue);
    EXPECT_EQ(recorder.deliveries[3].tag, 2);
    EXPECT_EQ(recorder.deliveries[3].event.mType, kFCurveEventKeyValue);
    EXPECT_EQ(recorder.deliveries[3].event.mKeyIndexStart, 1);
    curve.CallbackUnregister(Record, &second);
}

// A callback that unregisters itself while the event is delivered must not
// make the registration after it miss the event, be it a value change or the
// curve's destruction.
TEST(KFCurveCallback, SelfUnregisteringCallbackDoesNotHideTheNextOne)
{
    struct Leaver {
        Recorder* recorder;
        KFCurve* curve = nullptr;
        static void Callback(KFCurve* c, KFCurveEvent* event, void* object)
        {
            Leaver* leaver = static_cast<Leaver*>(object);
            leaver->recorder->deliveries.push_back({c, *event, 1});
            c->CallbackUnregister(Callback, object);
        }
    };
    for (bool destroy : {false, true}) {
        Recorder recorder;
        Leaver leaver{&recorder};
        Tagged second{&recorder, 2};
        Tagged third{&recorder, 3};
        KFCurve* curve = KFCurveCreate();
        FillEightKeys(*curve);
        curve->CallbackRegister(Leaver::Callback, &leaver);
        curve->CallbackRegister(Record, &second);
        curve->CallbackRegister(Record, &third);
        // The destructor clears the keys (one event) before it announces
        // the destruction: the leaver has gone by then.
        const int kind = destroy ? kFCurveEventDestroy : kFCurveEventDefaultValue;
        if (destroy)
            curve->Destroy();
        else
            curve->SetValue(1.0f);
        int received[4] = {0, 0, 0, 0};
        for (const Delivery& delivery : recorder.deliveries) {
            if (delivery.event.mType & kind)
                ++received[delivery.tag];
        }
        EXPECT_EQ(received[2], 1) << (destroy ? "destroy" : "value");
        EXPECT_EQ(received[3], 1) << (destroy ? "destroy" : "value");
        EXPECT_EQ(received[1], destroy ? 0 : 1);
        if (!destroy)
            curve->Destroy();
    }
}

TEST(KFCurveEvent, AddTreatsMinusOneAsNoKeyYet)
{
    KFCurveEvent event;
    event.Add(16, -1);
    EXPECT_EQ(event.mKeyIndexStart, -1);
    EXPECT_EQ(event.mKeyIndexStop, -1);
    event.Add(16, 5);
    event.Add(256, 2);
    EXPECT_EQ(event.mType, 272);
    EXPECT_EQ(event.mKeyIndexStart, 2);
    EXPECT_EQ(event.mKeyIndexStop, 5);
    EXPECT_EQ(event.mEventCount, 3);
    event.Clear();
    EXPECT_EQ(event.mType, 0);
    EXPECT_EQ(event.mKeyIndexStart, -1);
    EXPECT_EQ(event.mEventCount, 0);
}

}  // namespace
}  // namespace qelsdk_600
