#include <gtest/gtest.h>

#include "curve_builders.h"
#include "curves/kfcurve.h"

namespace qelsdk_600 {
namespace {

using testing_curves::Sec;

constexpr int kTableStepBytes = 64 * static_cast<int>(sizeof(void*));

TEST(KFCurveStorage, NewCurveHasDefaults)
{
    KFCurve curve;
    EXPECT_EQ(curve.KeyGetCount(), 0);
    EXPECT_EQ(curve.KeyGetCapacity(), 0);
    EXPECT_EQ(curve.KeyGetBlockCount(), 0);
    EXPECT_EQ(curve.GetValue(), 0.0f);
    EXPECT_EQ(curve.GetColor()[0], 1.0f);
    EXPECT_EQ(curve.GetColor()[2], 1.0f);
    EXPECT_EQ(curve.GetPreExtrapolation(), kFCurveExtrapolationConstant);
    EXPECT_EQ(curve.GetPostExtrapolationCount(), 0u);
    EXPECT_FALSE(curve.IsCandidate());
    EXPECT_EQ(gsTimeEpsilon, KTime(461861));  // 1e-5 s, truncated
}

TEST(KFCurveStorage, SetColorIgnoresNull)
{
    KFCurve curve;
    const float red[3] = {1.0f, 0.0f, 0.0f};
    curve.SetColor(red);
    curve.SetColor(nullptr);
    EXPECT_EQ(curve.GetColor()[0], 1.0f);
    EXPECT_EQ(curve.GetColor()[1], 0.0f);
    EXPECT_EQ(curve.GetColor()[2], 0.0f);
}

TEST(KFCurveStorage, GrowsByBlocksOf32AndTableStepsOf2048)
{
    const int before = KFCurve::GetRecordingMemory();
    {
        KFCurve curve;
        for (int i = 0; i < 33; ++i)
            ASSERT_EQ(curve.KeyAppendFast(Sec(i), static_cast<float>(i)), i);
        EXPECT_EQ(curve.KeyGetBlockCount(), 2);
        EXPECT_EQ(curve.KeyGetCapacity(), 2048);
        EXPECT_EQ(KFCurve::GetRecordingMemory() - before, 2 * 1024 + kTableStepBytes);
        for (int i = 0; i < 33; ++i) {
            EXPECT_EQ(curve.KeyGetTime(i), Sec(i));
            EXPECT_EQ(curve.KeyGetValue(i), static_cast<float>(i));
        }
    }
    EXPECT_EQ(KFCurve::GetRecordingMemory(), before);
}

TEST(KFCurveStorage, HundredThousandKeys)
{
    const int before = KFCurve::GetRecordingMemory();
    KFCurve curve;
    for (int i = 0; i < 100000; ++i)
        curve.KeyAppendFast(KTime(i * 1000LL), static_cast<float>(i));
    EXPECT_EQ(curve.KeyGetCount(), 100000);
    EXPECT_EQ(curve.KeyGetCapacity(), 100352);
    EXPECT_EQ(curve.KeyGetBlockCount(), 3125);
    EXPECT_EQ(KFCurve::GetRecordingMemory() - before, 3125 * 1024 + 49 * kTableStepBytes);
    // Growing the table moved block pointers only: every key is intact.
    for (int i = 0; i < 100000; i += 997)
        ASSERT_EQ(curve.KeyGetValue(i), static_cast<float>(i));
    EXPECT_EQ(curve.KeyGetValue(99999), 99999.0f);
}

TEST(KFCurveStorage, ShrinkKeepsKeysAndFreesTheRest)
{
    const int before = KFCurve::GetRecordingMemory();
    KFCurve curve;
    ASSERT_TRUE(curve.InitBuffers(6000));
    EXPECT_EQ(curve.KeyGetCount(), 0);
    EXPECT_EQ(curve.KeyGetCapacity(), 6144);
    EXPECT_EQ(curve.KeyGetBlockCount(), 188);  // ceil(6000 / 32)
    // A count that is a multiple of 2048: the new table holds exactly the
    // blocks in use and nothing is copied past its end.
    for (int i = 0; i < 2048; ++i)
        curve.KeyAppendFast(KTime(i), static_cast<float>(i));
    curve.KeyShrink();
    EXPECT_EQ(curve.KeyGetCapacity(), 2048);
    EXPECT_EQ(curve.KeyGetBlockCount(), 64);
    EXPECT_EQ(KFCurve::GetRecordingMemory() - before, 64 * 1024 + kTableStepBytes);
    for (int i = 0; i < 2048; i += 101)
        ASSERT_EQ(curve.KeyGetValue(i), static_cast<float>(i));
    EXPECT_EQ(curve.KeyGetValue(2047), 2047.0f);
    // Growing again after a shrink reuses nothing stale.
    curve.KeyAppendFast(KTime(5000), 5.0f);
    EXPECT_EQ(curve.KeyGetCapacity(), 4096);
    EXPECT_EQ(curve.KeyGetValue(2048), 5.0f);
}

TEST(KFCurveStorage, ShrinkLeavesTheTableWhenItSavesOneStepOnly)
{
    KFCurve curve;
    ASSERT_TRUE(curve.InitBuffers(4096));
    for (int i = 0; i < 2049; ++i)
        curve.KeyAppendFast(KTime(i), 0.0f);
    curve.KeyShrink();
    // 2 steps is not more than 2049 / 2048 + 1: the table stays, blocks go.
    EXPECT_EQ(curve.KeyGetCapacity(), 4096);
    EXPECT_EQ(curve.KeyGetBlockCount(), 65);
    for (int i = 0; i < 2048; ++i)
        curve.KeyAppendFast(KTime(3000 + i), 1.0f);
    EXPECT_EQ(curve.KeyGetBlockCount(), 129);
    EXPECT_EQ(curve.KeyGetValue(4096), 1.0f);
}

TEST(KFCurveStorage, ShrinkOfAnEmptyCurveFreesEverything)
{
    const int before = KFCurve::GetRecordingMemory();
    KFCurve curve;
    curve.KeyShrink();  // no table: nothing to do
    ASSERT_TRUE(curve.InitBuffers(100));
    curve.KeyShrink();
    EXPECT_EQ(curve.KeyGetCapacity(), 0);
    EXPECT_EQ(curve.KeyGetBlockCount(), 0);
    EXPECT_EQ(KFCurve::GetRecordingMemory(), before);
}

TEST(KFCurveStorage, ClearFreesAndReportsOnce)
{
    struct Log {
        int calls = 0;
        int type = 0;
        int first = 0;
    } log;
    KFCurve curve;
    for (int i = 0; i < 40; ++i)
        curve.KeyAppendFast(KTime(i), 1.0f);
    curve.CallbackRegister(
        [](KFCurve*, KFCurveEvent* event, void* object) {
            Log* l = static_cast<Log*>(object);
            ++l->calls;
            l->type = event->mType;
            l->first = event->mKeyIndexStart;
        },
        &log);
    curve.KeyClear();
    EXPECT_EQ(curve.KeyGetCount(), 0);
    EXPECT_EQ(curve.KeyGetCapacity(), 0);
    EXPECT_EQ(curve.KeyGetBlockCount(), 0);
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(log.type, kFCurveEventKey);
    EXPECT_EQ(log.first, -1);
    curve.KeyAppendFast(KTime(1), 2.0f);      // appends queue nothing
    EXPECT_EQ(log.calls, 1);
}

TEST(KFCurveStorage, BatchEndSetsCountWithinAllocatedRoom)
{
    KFCurve curve;
    ASSERT_TRUE(curve.KeyModifyBegin(40));
    EXPECT_FALSE(curve.CallbackIsEnable());
    for (int i = 0; i < 40; ++i)
        curve.KeySet(i, Sec(i), static_cast<float>(i * 2));
    curve.KeyModifyEnd(40);
    EXPECT_TRUE(curve.CallbackIsEnable());
    EXPECT_EQ(curve.KeyGetCount(), 40);
    EXPECT_EQ(curve.Evaluate(Sec(39)), 78.0f);
    // A count beyond the allocated blocks would expose unallocated keys.
    curve.KeyModifyBegin();
    curve.KeyModifyEnd(1000000);
    EXPECT_EQ(curve.KeyGetCount(), 64);
    curve.KeyModifyBegin();
    curve.KeyModifyEnd(-5);
    EXPECT_EQ(curve.KeyGetCount(), 0);
}

TEST(KFCurveStorage, RefusesCountsBeyondTheAddressableRange)
{
    KFCurve curve;
    EXPECT_FALSE(curve.InitBuffers(0x7FFFFFFF));
    EXPECT_EQ(curve.KeyGetCapacity(), 0);
    EXPECT_TRUE(curve.InitBuffers(-1));
    EXPECT_EQ(curve.KeyGetBlockCount(), 0);
}

TEST(KFCurveStorage, ValueSettersReportTheKey)
{
    int lastKey = -2;
    int type = 0;
    struct Sink {
        int* key;
        int* type;
    } sink{&lastKey, &type};
    KFCurve curve;  // after the sink: its destruction event still finds it
    for (int i = 0; i < 4; ++i)
        curve.KeyAppendFast(Sec(i), 1.0f);
    curve.CallbackRegister(
        [](KFCurve*, KFCurveEvent* event, void* object) {
            Sink* s = static_cast<Sink*>(object);
            *s->key = event->mKeyIndexStop;
            *s->type = event->mType;
        },
        &sink);
    curve.KeySetValue(2, 5.0f);
    EXPECT_EQ(lastKey, 2);
    EXPECT_EQ(type, kFCurveEventKeyValue);
    curve.KeyIncValue(3, 1.5f);
    EXPECT_EQ(lastKey, 3);
    curve.KeyMultValue(1, 4.0f);
    EXPECT_EQ(lastKey, 1);
    EXPECT_EQ(curve.KeyGetValue(2), 5.0f);
    EXPECT_EQ(curve.KeyGetValue(3), 2.5f);
    EXPECT_EQ(curve.KeyGetValue(1), 4.0f);
    curve.SetValue(9.0f);
    EXPECT_EQ(type, kFCurveEventDefaultValue);
}

TEST(KFCurveSelection, SelectAllCountsAndReportsTheRange)
{
    struct Log {
        int calls = 0;
        KFCurveEvent event;
    } log;
    KFCurve curve;
    for (int i = 0; i < 6; ++i)
        curve.KeyAppendFast(Sec(i), 0.0f);
    curve.KeySetSelected(2, true);
    curve.CallbackRegister(
        [](KFCurve*, KFCurveEvent* event, void* object) {
            Log* l = static_cast<Log*>(object);
            ++l->calls;
            l->event = *event;
        },
        &log);
    const kUInt values = curve.GetValuesUpdateId();
    const kUInt all = curve.GetUpdateId();
    curve.KeySelectAll();
    EXPECT_EQ(curve.KeyGetSelectionCount(), 6);
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(log.event.mType, kFCurveEventSelection);
    EXPECT_EQ(log.event.mKeyIndexStart, 0);
    EXPECT_EQ(log.event.mKeyIndexStop, 5);
    EXPECT_EQ(log.event.mEventCount, 2);
    // Selection changes the update id but never the values update id.
    EXPECT_NE(curve.GetUpdateId(), all);
    EXPECT_EQ(curve.GetValuesUpdateId(), values);

    curve.KeySetSelected(4, false);
    curve.KeySelectAll();  // one change: one plain event for that key
    EXPECT_EQ(log.calls, 2);
    EXPECT_EQ(log.event.mKeyIndexStart, 4);
    EXPECT_EQ(log.event.mEventCount, 1);

    curve.KeyUnselectAll();
    EXPECT_EQ(curve.KeyGetSelectionCount(), 0);
    EXPECT_EQ(curve.GetValuesUpdateId(), values);
    curve.KeySelectAll();
    curve.KeySelectAll();  // nothing to change: no event
    EXPECT_EQ(log.calls, 4);

    curve.KeySetTangeantVisibility(1, kFCurveTangentVisibilityMask);
    curve.KeyTangeantHide();
    EXPECT_EQ(curve.KeyGetTangeantVisibility(1), 0u);
    EXPECT_EQ(log.event.mType, kFCurveEventSelection);
    EXPECT_EQ(log.event.mKeyIndexStart, -1);
}

}  // namespace
}  // namespace qelsdk_600
