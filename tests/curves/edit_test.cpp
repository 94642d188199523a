// Key editing: add, set, insert, remove, move, scaling, splicing, timing.
#include <algorithm>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "curves/kfcurve.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;
using testing_curves::Sec;
using testing_curves::StrictlyIncreasing;

KFCurveKey MakeKey(double seconds, float value)
{
    KFCurveKey key;
    key.Set(Sec(seconds), value);
    return key;
}

// User-break keys whose stored derivatives are all different, so that every
// left tangent is recognisable: left(i) is 10 i + 1, right(i) is 10 i + 2.
void FillBroken(KFCurve& curve, std::initializer_list<double> seconds)
{
    int i = 0;
    for (double s : seconds) {
        curve.KeyAppendFast(Sec(s), static_cast<float>(i));
        curve.KeySet(i, Sec(s), static_cast<float>(i), kFCurveInterpolationCubic, kFCurveTangentUserBreak,
                     10.0f * i + 2.0f, 10.0f * (i + 1) + 1.0f);
        ++i;
    }
}

struct EventLog {
    std::vector<KFCurveEvent> events;
    static void Record(KFCurve*, KFCurveEvent* event, void* object)
    {
        static_cast<EventLog*>(object)->events.push_back(*event);
    }
};

TEST(KFCurveEdit, KeyAddKeepsOrderAndReplacesAtAnExistingTime)
{
    KFCurve curve;
    EXPECT_EQ(curve.KeyAdd(Sec(2), MakeKey(0, 2.0f)), 0);
    EXPECT_EQ(curve.KeyAdd(Sec(1), MakeKey(0, 1.0f)), 0);  // before the first
    EXPECT_EQ(curve.KeyAdd(Sec(3), MakeKey(0, 3.0f)), 2);  // after the last: the old count
    int hint = 0;
    EXPECT_EQ(curve.KeyAdd(Sec(2), MakeKey(9, 7.0f), &hint), 1);
    EXPECT_EQ(hint, 1);
    ASSERT_EQ(curve.KeyGetCount(), 3);
    EXPECT_EQ(curve.KeyGetTime(1), Sec(2));  // the argument time wins over the key's own
    EXPECT_EQ(curve.KeyGetValue(1), 7.0f);
    EXPECT_EQ(curve.KeyGetValue(0), 1.0f);
    EXPECT_EQ(curve.KeyGetValue(2), 3.0f);
}

TEST(KFCurveEdit, KeyAddOfATimeTakesTheCurveValue)
{
    KFCurve curve;
    curve.SetValue(5.0f);
    EXPECT_EQ(curve.KeyAdd(Sec(1)), 0);
    EXPECT_EQ(curve.KeyGetValue(0), 5.0f);
    EXPECT_EQ(curve.KeyGetInterpolation(0), kFCurveInterpolationCubic);
    EXPECT_EQ(curve.KeyGetTangeantMode(0), kFCurveTangentAuto);

    KFCurve line;
    FillUniform(line, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {4, 8.0f}});
    EXPECT_EQ(line.KeyAdd(Sec(1)), 1);
    EXPECT_FLOAT_EQ(line.KeyGetValue(1), 2.0f);
}

TEST(KFCurveEdit, KeyAddCopiesFromAnotherCurve)
{
    KFCurve source;
    FillBroken(source, {0, 1});
    KFCurve curve;
    EXPECT_EQ(curve.KeyAdd(Sec(5), &source, 1), 0);
    EXPECT_EQ(curve.KeyGetTime(0), Sec(5));
    EXPECT_EQ(curve.KeyGetTangeantMode(0), kFCurveTangentUserBreak);
    EXPECT_EQ(curve.KeyAdd(Sec(6), &source, 7), -1);  // no such key
    EXPECT_EQ(curve.KeyGetCount(), 1);
}

TEST(KFCurveEdit, KeySetRefusesAKeyThatBreaksTheOrder)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {1, 1.0f}, {2, 2.0f}});
    curve.CandidateSet(Sec(0.5), 3.0);
    EXPECT_EQ(curve.KeySet(1, MakeKey(2, 9.0f)), 1);
    EXPECT_EQ(curve.KeySet(1, MakeKey(0, 9.0f)), 1);
    EXPECT_EQ(curve.KeyGetValue(1), 1.0f);
    EXPECT_FALSE(curve.IsCandidate());  // invalidated even when refused
    EXPECT_EQ(curve.KeySet(1, MakeKey(1.5, 9.0f)), 0);
    EXPECT_EQ(curve.KeyGetTime(1), Sec(1.5));
    EXPECT_EQ(curve.KeySet(3, MakeKey(5, 1.0f)), 1);  // outside the keys
    EXPECT_EQ(curve.KeySet(-1, MakeKey(-5, 1.0f)), 1);
}

TEST(KFCurveEdit, KeyRemoveKeepsTheFollowingLeftTangent)
{
    KFCurve curve;
    FillBroken(curve, {0, 1, 2, 3});
    ASSERT_DOUBLE_EQ(curve.KeyGetLeftDerivative(2), 21.0);
    EXPECT_EQ(curve.KeyRemove(1), 0);
    ASSERT_EQ(curve.KeyGetCount(), 3);
    EXPECT_EQ(curve.KeyGetTime(1), Sec(2));
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(1), 21.0);
    EXPECT_DOUBLE_EQ(curve.KeyGetRightDerivative(1), 22.0);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(2), 31.0);
    EXPECT_EQ(curve.KeyRemove(3), 1);
    EXPECT_EQ(curve.KeyRemove(-1), 1);
    EXPECT_EQ(curve.KeyGetCount(), 3);
}

TEST(KFCurveEdit, RemovingTheOnlyKeyLeavesItsValueAsDefault)
{
    KFCurve curve;
    curve.KeyAdd(Sec(1), MakeKey(0, 4.5f));
    const int blocks = curve.KeyGetBlockCount();
    EXPECT_EQ(curve.KeyRemove(0), 0);
    EXPECT_EQ(curve.KeyGetCount(), 0);
    EXPECT_EQ(curve.GetValue(), 4.5f);
    EXPECT_EQ(curve.KeyGetBlockCount(), blocks);  // blocks stay until shrunk
    EXPECT_TRUE(curve.CheckCurve());
}

TEST(KFCurveEdit, KeyInsertReturnsTheInsertedKey)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {2, 2.0f}});
    EXPECT_EQ(curve.KeyInsert(Sec(1)), 1);
    ASSERT_EQ(curve.KeyGetCount(), 3);
    EXPECT_FLOAT_EQ(curve.KeyGetValue(1), 1.0f);
    EXPECT_EQ(curve.KeyGetInterpolation(1), kFCurveInterpolationLinear);
    EXPECT_FLOAT_EQ(curve.Evaluate(Sec(0.5)), 0.5f);
    EXPECT_FLOAT_EQ(curve.Evaluate(Sec(1.5)), 1.5f);

    // Past the last key: the new key's index, not the old last key's.
    EXPECT_EQ(curve.KeyInsert(Sec(5)), 3);
    ASSERT_EQ(curve.KeyGetCount(), 4);
    EXPECT_EQ(curve.KeyGetTime(3), Sec(5));
    EXPECT_FLOAT_EQ(curve.KeyGetValue(3), 2.0f);  // the held value there
    EXPECT_EQ(curve.KeyInsert(Sec(-1)), 0);

    // At an existing key nothing is added.
    EXPECT_EQ(curve.KeyInsert(Sec(1)), 2);
    EXPECT_EQ(curve.KeyGetCount(), 5);

    KFCurve empty;
    empty.SetValue(3.0f);
    EXPECT_EQ(empty.KeyInsert(Sec(1)), 0);
    EXPECT_EQ(empty.KeyGetValue(0), 3.0f);
}

TEST(KFCurveEdit, KeyInsertKeepsACubicSegmentShape)
{
    KFCurve curve;
    FillBroken(curve, {0, 3});
    std::vector<float> before;
    for (int i = 0; i <= 30; ++i)
        before.push_back(curve.Evaluate(Sec(i * 0.1)));
    const int index = curve.KeyInsert(Sec(1.3));
    EXPECT_EQ(index, 1);
    for (int i = 0; i <= 30; ++i)
        EXPECT_NEAR(curve.Evaluate(Sec(i * 0.1)), before[i], 1e-3) << i;
}

TEST(KFCurveEdit, KeyMoveWithinItsGapKeepsTheIndex)
{
    KFCurve curve;
    FillBroken(curve, {0, 1, 2});
    EXPECT_EQ(curve.KeyMove(1, Sec(1.5)), 1);
    EXPECT_EQ(curve.KeyGetTime(1), Sec(1.5));
    EXPECT_EQ(curve.KeyGetValue(1), 1.0f);
    EXPECT_EQ(curve.KeyMove(1, Sec(0.5)), 1);
    EXPECT_EQ(curve.KeyGetTime(1), Sec(0.5));
    EXPECT_EQ(curve.KeyMove(5, Sec(1)), -1);
}

TEST(KFCurveEdit, KeyMovePastANeighbourKeepsEveryLeftTangent)
{
    KFCurve curve;
    FillBroken(curve, {0, 1, 2, 4, 5});
    // Key 1 (value 1) goes 2 s forward, past its neighbour at 2 s.
    EXPECT_EQ(curve.KeyMove(1, Sec(3)), 2);
    ASSERT_EQ(curve.KeyGetCount(), 5);
    const double times[] = {0, 2, 3, 4, 5};
    const float values[] = {0, 2, 1, 3, 4};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(curve.KeyGetTime(i), Sec(times[i])) << i;
        EXPECT_EQ(curve.KeyGetValue(i), values[i]) << i;
    }
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(1), 21.0);  // old key 2
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(2), 11.0);  // the moved key's own
    EXPECT_DOUBLE_EQ(curve.KeyGetRightDerivative(2), 12.0);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(3), 31.0);  // old key 3
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(4), 41.0);

    // Backward past two keys.
    EXPECT_EQ(curve.KeyMove(3, Sec(1)), 1);
    EXPECT_EQ(curve.KeyGetValue(1), 3.0f);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(1), 31.0);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(2), 21.0);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(3), 11.0);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(4), 41.0);
    EXPECT_TRUE(StrictlyIncreasing(curve));
}

TEST(KFCurveEdit, KeyMoveOntoAKeyLandsOneEpsilonLater)
{
    KFCurve curve;
    FillBroken(curve, {0, 1, 2});
    EXPECT_EQ(curve.KeyMove(0, Sec(2)), 2);
    EXPECT_EQ(curve.KeyGetTime(2), Sec(2) + gsTimeEpsilon);
    EXPECT_EQ(curve.KeyGetValue(2), 0.0f);
    EXPECT_EQ(curve.KeyGetTime(1), Sec(2));
    // Onto the last possible time: nudged the other way instead.
    KFCurve edge;
    edge.KeyAdd(Sec(0), MakeKey(0, 0.0f));
    edge.KeyAdd(KTIME_INFINITE, MakeKey(0, 1.0f));
    EXPECT_EQ(edge.KeyMove(0, KTIME_INFINITE), 0);
    EXPECT_EQ(edge.KeyGetCount(), 2);
    EXPECT_EQ(edge.KeyGetTime(0), KTIME_INFINITE - gsTimeEpsilon);
}

TEST(KFCurveEdit, KeysAtBothEndsOfTheTimeLineAreNoCollision)
{
    // Their distance leaves the signed 64-bit range.
    KFCurve curve;
    curve.KeyAdd(KTIME_MINUS_INFINITE, MakeKey(0, 0.0f));
    curve.KeyAdd(KTIME_INFINITE, MakeKey(0, 1.0f));
    EXPECT_EQ(curve.KeyMove(0, KTIME_MINUS_INFINITE + KTime(5)), 0);
    EXPECT_EQ(curve.KeyMove(1, KTIME_INFINITE - KTime(5)), 1);
    EXPECT_EQ(curve.KeyGetTime(0), KTIME_MINUS_INFINITE + KTime(5));
    EXPECT_EQ(curve.KeyGetTime(1), KTIME_INFINITE - KTime(5));
}

TEST(KFCurveEdit, KeyMoveOfShiftsAllOrSelectedKeys)
{
    KFCurve curve;
    FillBroken(curve, {0, 1, 2});
    EventLog log;
    curve.CallbackRegister(&EventLog::Record, &log);
    EXPECT_EQ(curve.KeyMoveOf(false, Sec(10), 1.0f), 0);
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0].mKeyIndexStart, 0);
    EXPECT_EQ(log.events[0].mKeyIndexStop, 2);
    EXPECT_EQ(curve.KeyGetTime(0), Sec(10));
    EXPECT_EQ(curve.KeyGetValue(2), 3.0f);

    // Selected key 0 pushed past key 1.
    curve.KeySetSelected(0, true);
    EXPECT_EQ(curve.KeyMoveOf(true, Sec(1.5), 0.5f), 0);
    EXPECT_EQ(curve.KeyGetTime(0), Sec(11));
    EXPECT_EQ(curve.KeyGetTime(1), Sec(11.5));
    EXPECT_EQ(curve.KeyGetValue(1), 1.5f);
    EXPECT_TRUE(StrictlyIncreasing(curve));
    curve.CallbackUnregister(&EventLog::Record, &log);

    KFCurve empty;
    empty.SetValue(1.0f);
    empty.KeyMoveOf(false, Sec(1), 2.0f);
    EXPECT_EQ(empty.GetValue(), 3.0f);
    empty.KeyMoveOf(true, Sec(1), 2.0f);
    EXPECT_EQ(empty.GetValue(), 3.0f);
}

// Values: key value, right derivative of key 0, default value.
struct ValueEditCase {
    const char* name;
    int (KFCurve::*edit)(bool, float);
    bool selectedOnly;
    bool withKeys;
    float keyValue;
    float derivative;
    float defaultValue;
};

TEST(KFCurveEdit, ValueAndTangentScalingFamily)
{
    const ValueEditCase cases[] = {
        {"move to", &KFCurve::KeyMoveValueTo, false, true, 3.0f, 2.0f, 4.0f},
        {"move to, no keys", &KFCurve::KeyMoveValueTo, false, false, 0.0f, 0.0f, 3.0f},
        {"scale value", &KFCurve::KeyScaleValue, false, true, 6.0f, 2.0f, 12.0f},
        {"scale value, no keys", &KFCurve::KeyScaleValue, false, false, 0.0f, 0.0f, 12.0f},
        {"scale both", &KFCurve::KeyScaleValueAndTangeant, false, true, 6.0f, 6.0f, 12.0f},
        {"scale tangent", &KFCurve::KeyScaleTangeant, false, true, 2.0f, 6.0f, 12.0f},
        {"scale tangent, no keys", &KFCurve::KeyScaleTangeant, false, false, 0.0f, 0.0f, 4.0f},
        {"selected scale both", &KFCurve::KeyScaleValueAndTangeant, true, true, 6.0f, 6.0f, 4.0f},
        {"selected, no keys", &KFCurve::KeyScaleValue, true, false, 0.0f, 0.0f, 4.0f},
    };
    for (const ValueEditCase& c : cases) {
        KFCurve curve;
        curve.SetValue(4.0f);
        if (c.withKeys) {
            FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentUser, {{0, 2.0f}, {1, 2.0f}});
            curve.KeySetRightDerivative(0, 2.0f);
            curve.KeySetSelected(0, true);
        }
        EXPECT_EQ((curve.*c.edit)(c.selectedOnly, 3.0f), 0) << c.name;
        EXPECT_EQ(curve.GetValue(), c.defaultValue) << c.name;
        if (c.withKeys) {
            EXPECT_EQ(curve.KeyGetValue(0), c.keyValue) << c.name;
            EXPECT_EQ(curve.KeyGetRightDerivative(0), c.derivative) << c.name;
            // Key 1 is not selected.
            EXPECT_EQ(curve.KeyGetValue(1), c.selectedOnly ? 2.0f : c.keyValue) << c.name;
        }
    }
}

TEST(KFCurveEdit, InsertAppendsAfterTheEnd)
{
    KFCurve curve;
    FillBroken(curve, {0, 1});
    KFCurve source;
    FillBroken(source, {10, 12});
    curve.Insert(&source, Sec(3), 5.0f, false, kFCurveDefaultWeight);
    ASSERT_EQ(curve.KeyGetCount(), 4);
    EXPECT_EQ(curve.KeyGetTime(2), Sec(3));
    EXPECT_EQ(curve.KeyGetTime(3), Sec(5));
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(2), 5.0);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(3), 11.0);  // source key 1's
    EXPECT_FALSE(curve.IsCandidate());

    KFCurve empty;
    curve.Insert(&empty, Sec(0), KFCurveTangeantInfo());
    EXPECT_EQ(curve.KeyGetCount(), 4);

    // Into itself: the keys are read from a copy.
    curve.Insert(&curve, Sec(10), KFCurveTangeantInfo());
    ASSERT_EQ(curve.KeyGetCount(), 8);
    EXPECT_EQ(curve.KeyGetTime(7), Sec(15));
    EXPECT_TRUE(StrictlyIncreasing(curve));
}

TEST(KFCurveEdit, InsertMergesInsideTheKeys)
{
    KFCurve curve;
    FillBroken(curve, {0, 10});
    KFCurve source;
    FillBroken(source, {0, 1, 2});
    curve.Insert(&source, Sec(4), 7.0f, false, kFCurveDefaultWeight);
    ASSERT_EQ(curve.KeyGetCount(), 5);
    const double times[] = {0, 4, 5, 6, 10};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(curve.KeyGetTime(i), Sec(times[i])) << i;
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(1), 7.0);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(2), 11.0);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(3), 21.0);
    EXPECT_TRUE(StrictlyIncreasing(curve));
}

TEST(KFCurveEdit, AverageRateAndWasDataGuess)
{
    KFCurve even;
    FillUniform(even, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0, 0.0f}, {1, 1.0f}, {2, 0.0f}, {3, 1.0f}});
    bool regular = false;
    KTime interval, largest;
    EXPECT_EQ(even.KeyGetAverageRate(&regular, &interval, &largest), Sec(1));
    EXPECT_TRUE(regular);
    EXPECT_EQ(interval, Sec(1));
    EXPECT_EQ(largest, Sec(1));
    KTime first, step;
    EXPECT_EQ(even.GuessWasData(&first, &step), 2);
    EXPECT_EQ(first, Sec(0));
    EXPECT_EQ(step, Sec(1));

    KFCurve uneven;
    FillUniform(uneven, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0, 0.0f}, {1, 1.0f}, {4, 0.0f}});
    EXPECT_EQ(uneven.KeyGetAverageRate(&regular, nullptr, &largest), Sec(2));
    EXPECT_FALSE(regular);
    EXPECT_EQ(largest, Sec(3));
    EXPECT_EQ(uneven.GuessWasData(), 1);

    KFCurve mixed;
    FillUniform(mixed, kFCurveInterpolationCubic, kFCurveTangentUser, {{0, 0.0f}, {1, 1.0f}});
    EXPECT_EQ(mixed.GuessWasData(), 0);

    KFCurve none;
    EXPECT_EQ(none.KeyGetAverageRate(&regular), KTime(0));
    EXPECT_EQ(none.GuessWasData(&first, &step), 1);
}

TEST(KFCurveEdit, RandomEditsKeepTimesIncreasing)
{
    std::mt19937 random(12345);
    KFCurve curve;
    std::uniform_int_distribution<int> operation(0, 3);  // adds twice as likely
    std::uniform_int_distribution<int> milliseconds(0, 20000);
    for (int step = 0; step < 10000; ++step) {
        const int count = curve.KeyGetCount();
        const KTime time = Sec(milliseconds(random) / 1000.0);
        switch (count == 0 ? 0 : operation(random)) {
        case 0:
        case 1: {
            const int index = curve.KeyAdd(time, MakeKey(0, static_cast<float>(step)));
            ASSERT_GE(index, 0);
            ASSERT_EQ(curve.KeyGetTime(index), time);
            break;
        }
        case 2:
            ASSERT_EQ(curve.KeyRemove(std::uniform_int_distribution<int>(0, count - 1)(random)), 0);
            ASSERT_EQ(curve.KeyGetCount(), count - 1);
            break;
        default: {
            const int index = std::uniform_int_distribution<int>(0, count - 1)(random);
            const float value = curve.KeyGetValue(index);
            const int moved = curve.KeyMove(index, time);
            ASSERT_GE(moved, 0);
            ASSERT_EQ(curve.KeyGetValue(moved), value);
            ASSERT_EQ(curve.KeyGetCount(), count);
            break;
        }
        }
        if (step % 64 == 0) {
            ASSERT_TRUE(StrictlyIncreasing(curve)) << step;
        }
        ASSERT_TRUE(curve.CheckCurve()) << step;
    }
    EXPECT_TRUE(StrictlyIncreasing(curve));
    EXPECT_GT(curve.KeyGetCount(), 1000);
}

TEST(KFCurveEdit, OutOfOrderAddsOnALongCurveMatchASortedModel)
{
    KFCurve curve;
    std::vector<long long> model;  // sorted key times, in ticks
    std::vector<float> values;     // value by time rank, kept beside the model
    for (int i = 0; i < 5000; ++i) {
        curve.KeyAppendFast(Sec(i * 0.002), static_cast<float>(i));
        model.push_back(Sec(i * 0.002).Get());
        values.push_back(static_cast<float>(i));
    }
    EventLog log;
    curve.CallbackRegister(&EventLog::Record, &log);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> milliseconds(0, 12000);
    for (int step = 0; step < 7000; ++step) {
        const KTime time = Sec(milliseconds(random) / 1000.0);
        const float value = 100000.0f + step;
        const auto at = std::lower_bound(model.begin(), model.end(), time.Get());
        const int expected = static_cast<int>(at - model.begin());
        if (at != model.end() && *at == time.Get()) {
            values[static_cast<std::size_t>(expected)] = value;  // replaced
        } else {
            values.insert(values.begin() + expected, value);
            model.insert(at, time.Get());
        }
        KFCurveKey key;
        key.Set(KTime(0), value);
        int hint = -1;
        ASSERT_EQ(curve.KeyAdd(time, key, &hint), expected) << step;
        ASSERT_EQ(hint, expected);
        ASSERT_EQ(curve.KeyGetCount(), static_cast<int>(model.size()));
        ASSERT_EQ(log.events.back().mKeyIndexStart, expected);
        if (step % 2500 == 0) {  // an access in between merges what waits
            const int probe = static_cast<int>(random() % model.size());
            ASSERT_EQ(curve.KeyGetTime(probe).Get(), model[static_cast<std::size_t>(probe)]);
            ASSERT_EQ(curve.KeyGetValue(probe), values[static_cast<std::size_t>(probe)]);
        }
    }
    curve.CallbackUnregister(&EventLog::Record, &log);
    ASSERT_TRUE(curve.CheckCurve());
    for (int i = 0; i < curve.KeyGetCount(); ++i) {
        ASSERT_EQ(curve.KeyGetTime(i).Get(), model[static_cast<std::size_t>(i)]) << i;
        ASSERT_EQ(curve.KeyGetValue(i), values[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(curve.KeyGetBlockCount(), (curve.KeyGetCount() + 31) / 32);
    curve.KeyClear();
    EXPECT_EQ(curve.KeyGetCount(), 0);
}

}  // namespace
}  // namespace qelsdk_600
