#include "base/ktime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace qelsdk_600;

namespace {

// Restores the process-wide mode and protocol whatever a test changes.
class GlobalTimeGuard {
public:
    GlobalTimeGuard()
        : mMode(KTime::GetGlobalTimeMode()), mProtocol(KTime::GetGlobalTimeProtocol()) {}
    ~GlobalTimeGuard() {
        KTime::SetGlobalTimeMode(mMode);
        KTime::SetGlobalTimeProtocol(mProtocol);
    }

private:
    KTime::ETimeMode mMode;
    KTime::ETimeProtocol mProtocol;
};

}  // namespace

TEST(KTimeTest, SetTimeOneFrameOfDefaultModeIsOneThirtiethSecond) {
    KTime t;
    t.SetTime(0, 0, 0, 1, 0, 0);
    EXPECT_EQ(t.Get(), 1539538600LL);
    t.SetTime(0, 0, 0, 7, 0, 0, 6);
    EXPECT_EQ(t.Get(), 7 * 1539538600LL);
    t.SetTime(0, 0, 1, 0, 0, 0);
    EXPECT_EQ(t.Get(), 46186158000LL);
}

TEST(KTimeTest, SetTimeAddsAllParts) {
    KTime t;
    // 1 h 2 min 3 s + 4 frames + 1 field + 50 hundredths at 25 frames/s
    // = 3723 s + 4.5 frames + 0.5 frame = 3723.2 s.
    t.SetTime(1, 2, 3, 4, 1, 50, KTime::ePAL);
    EXPECT_EQ(t.Get(), 3723LL * 46186158000LL + 5LL * 1847446320LL);
    t.SetTime(0, 0, 0, 0, 1, KTime::eFRAMES60);
    EXPECT_EQ(t.Get(), 769769300LL / 2);
}

TEST(KTimeTest, NtscFramesDoNotDrift) {
    KTime t;
    // 30000 frames of 1001/30000 s are exactly 1001 s.
    t.SetTime(0, 0, 0, 30000, 0, KTime::eNTSC_FULL_FRAME);
    EXPECT_EQ(t.Get(), 1001LL * 46186158000LL);
    EXPECT_EQ(t.GetFrame(true, KTime::eNTSC_FULL_FRAME), 30000);
    EXPECT_EQ(t.GetFrame(true, KTime::eNTSC_DROP_FRAME), 30000);
    // One frame: 46186158000 x 1001 / 30000 = 1541078138.6 ticks, rounded.
    t.SetTime(0, 0, 0, 1, 0, KTime::eNTSC_FULL_FRAME);
    EXPECT_EQ(t.Get(), 1541078139LL);
    EXPECT_EQ(t.GetFrame(true, KTime::eNTSC_FULL_FRAME), 1);
}

TEST(KTimeTest, SetTimeSaturatesInsteadOfOverflowing) {
    KTime t;
    t.SetTime(2000000000, 59, 59, 2000000000, 0, KTime::eFRAMES120);
    EXPECT_EQ(t, KTIME_INFINITE);
    t.SetTime(-2000000000, 0, 0, 0, 0, 0);
    EXPECT_EQ(t, KTIME_MINUS_INFINITE);
}

TEST(KTimeTest, GetFrameAndSecond) {
    KTime t;
    t.SetSecondDouble(2.0);
    EXPECT_EQ(t.GetFrame(true, 6), 60);
    EXPECT_EQ(t.GetFrame(true, KTime::eCINEMA), 48);
    EXPECT_EQ(t.GetFrame(true, KTime::eFRAMES120), 240);

    // 125.5 s: 125 whole seconds, 5 within the minute; frame 15 of its second.
    t.SetSecondDouble(125.5);
    EXPECT_EQ(t.GetSecond(true), 125);
    EXPECT_EQ(t.GetSecond(false), 5);
    EXPECT_EQ(t.GetFrame(false, 6), 15);
    EXPECT_EQ(t.GetFrame(true, 6), 3765);

    // Truncation toward zero, also below time 0.
    t.Set(-1539538600LL - 1);
    EXPECT_EQ(t.GetFrame(true, 6), -1);
    t.Set(-1539538600LL + 1);
    EXPECT_EQ(t.GetFrame(true, 6), 0);
    t.SetSecondDouble(-1.5);
    EXPECT_EQ(t.GetSecond(true), -1);

    // Extreme times do not overflow the frame count.
    EXPECT_EQ(KTIME_INFINITE.GetFrame(true, KTime::eFRAMES120),
              KTime::kInfiniteTicks / 384884650LL);
}

TEST(KTimeTest, GlobalModeDrivesModeZero) {
    GlobalTimeGuard guard;
    EXPECT_EQ(KTime::GetGlobalTimeMode(), KTime::eFRAMES30);
    EXPECT_EQ(KTime::GetGlobalTimeProtocol(), KTime::eFRAME);
    ASSERT_TRUE(KTime::SetGlobalTimeMode(KTime::ePAL));
    KTime t;
    t.SetTime(0, 0, 0, 1, 0, 0);
    EXPECT_EQ(t.Get(), 1847446320LL);
    EXPECT_DOUBLE_EQ(KTime::GetFrameRate(0), 25.0);

    // A global mode of 0 cannot follow itself: it counts as 30 frames/s.
    ASSERT_TRUE(KTime::SetGlobalTimeMode(KTime::eDEFAULT_MODE));
    EXPECT_DOUBLE_EQ(KTime::GetFrameRate(0), 30.0);

    EXPECT_FALSE(KTime::SetGlobalTimeMode(static_cast<KTime::ETimeMode>(12)));
    EXPECT_FALSE(KTime::SetGlobalTimeMode(static_cast<KTime::ETimeMode>(-1)));
    EXPECT_EQ(KTime::GetGlobalTimeMode(), KTime::eDEFAULT_MODE);
    EXPECT_FALSE(KTime::SetGlobalTimeProtocol(static_cast<KTime::ETimeProtocol>(3)));
    ASSERT_TRUE(KTime::SetGlobalTimeProtocol(KTime::eSMPTE));
    EXPECT_EQ(KTime::GetGlobalTimeProtocol(), KTime::eSMPTE);
}

TEST(KTimeTest, FrameRatesAndConversionBack) {
    struct Case {
        int mode;
        double rate;
    };
    const Case cases[] = {{1, 120.0}, {2, 100.0}, {3, 60.0},  {4, 50.0},
                          {5, 48.0},  {6, 30.0},  {10, 25.0}, {11, 24.0}};
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(KTime::GetFrameRate(c.mode), c.rate) << c.mode;
        EXPECT_EQ(KTime::ConvertFrameRateToTimeMode(c.rate, 0.001), c.mode) << c.mode;
    }
    EXPECT_NEAR(KTime::GetFrameRate(KTime::eNTSC_FULL_FRAME), 29.97003, 1e-5);
    // 30 picks the plain mode before its drop-frame twin.
    EXPECT_EQ(KTime::ConvertFrameRateToTimeMode(30.0, 0.001), KTime::eFRAMES30);
    EXPECT_EQ(KTime::ConvertFrameRateToTimeMode(29.97, 0.001), KTime::eNTSC_DROP_FRAME);
    EXPECT_EQ(KTime::ConvertFrameRateToTimeMode(29.97, 0.00001), KTime::eDEFAULT_MODE);
    EXPECT_EQ(KTime::ConvertFrameRateToTimeMode(33.0, 0.001), KTime::eDEFAULT_MODE);
    EXPECT_DOUBLE_EQ(KTime::GetFrameRate(12), 30.0);
    EXPECT_DOUBLE_EQ(KTime::GetFrameRate(-4), 30.0);
}

TEST(KTimeTest, ModeTableTextsAndOldIdsMapBack) {
    for (int m = 0; m < KTime::eTIME_MODE_COUNT; ++m) {
        const KTime::ETimeMode mode = static_cast<KTime::ETimeMode>(m);
        const char* text = KTime_GetGlobalFrameRateString(mode);
        ASSERT_NE(text, nullptr);
        EXPECT_STRNE(text, "") << m;
        EXPECT_EQ(KTime_GetTimeModeFromFrameRate(text), mode) << text;
        EXPECT_EQ(KTime_GetTimeModeFromOldValue(KTime_GetOldTimeModeCorrespondance(mode)), mode)
            << m;
    }
    EXPECT_STREQ(KTime_GetGlobalFrameRateString(KTime::eFRAMES30), "30");
    EXPECT_EQ(KTime_GetTimeModeFromFrameRate("pal"), KTime::ePAL);
    EXPECT_EQ(KTime_GetTimeModeFromFrameRate("ntsc_drop_frame"), KTime::eNTSC_DROP_FRAME);
}

TEST(KTimeTest, UnknownModesTextsAndIdsGiveFallbacks) {
    const KTime::ETimeMode outside[] = {static_cast<KTime::ETimeMode>(12),
                                        static_cast<KTime::ETimeMode>(-1),
                                        static_cast<KTime::ETimeMode>(1000)};
    for (KTime::ETimeMode m : outside) {
        EXPECT_STREQ(KTime_GetGlobalFrameRateString(m), "");
        EXPECT_EQ(KTime_GetOldTimeModeCorrespondance(m), 3);
    }
    EXPECT_EQ(KTime_GetTimeModeFromOldValue(3), KTime::eFRAMES30);
    const char* texts[] = {nullptr, "", "0.0", "31", "30 ", "fps", "29.970"};
    for (const char* t : texts) EXPECT_EQ(KTime_GetTimeModeFromFrameRate(t), KTime::eFRAMES30);
    for (int id : {-1, 12, 99, 1 << 30}) {
        EXPECT_EQ(KTime_GetTimeModeFromOldValue(id), KTime::eFRAMES30) << id;
    }
}

TEST(KTimeTest, SecondsConversion) {
    KTime t;
    t.SetSecondDouble(1e-5);
    EXPECT_EQ(t.Get(), 461861);  // truncated, not rounded
    t.SetSecondDouble(-1e-5);
    EXPECT_EQ(t.Get(), -461861);
    t.Set(46186158000LL * 3 / 2);
    EXPECT_DOUBLE_EQ(t.GetSecondDouble(), 1.5);

    t.SetSecondDouble(1e300);
    EXPECT_EQ(t, KTIME_INFINITE);
    t.SetSecondDouble(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(t, KTIME_MINUS_INFINITE);
    t.SetSecondDouble(std::nan(""));
    EXPECT_EQ(t.Get(), 0);
}

TEST(KTimeTest, ArithmeticOnTicks) {
    const KTime a(10), b(3);
    EXPECT_EQ((a + b).Get(), 13);
    EXPECT_EQ((a - b).Get(), 7);
    EXPECT_EQ((a * -4).Get(), -40);
    EXPECT_EQ((a * b).Get(), 30);
    EXPECT_EQ((a / b).Get(), 3);
    EXPECT_EQ((KTime(-10) / b).Get(), -3);  // toward zero
    EXPECT_EQ((-a).Get(), -10);

    // Snapping down to whole periods, as the curve filters do.
    KTime frame;
    frame.SetTime(0, 0, 0, 1, 0, 6);
    const KTime t(frame.Get() * 5 + 17);
    EXPECT_EQ((t / frame) * frame, KTime(frame.Get() * 5));

    // Wrapping and the edge quotients stay defined.
    EXPECT_EQ((KTIME_INFINITE + KTime(1)).Get(), std::numeric_limits<kLongLong>::min());
    EXPECT_EQ((KTIME_INFINITE * KTIME_INFINITE).Get(), 1);
    const KTime lowest(std::numeric_limits<kLongLong>::min());
    EXPECT_EQ((lowest / KTime(-1)), lowest);
    EXPECT_EQ(a / KTime(0), KTIME_INFINITE);
    EXPECT_EQ(KTime(-5) / KTime(0), KTIME_MINUS_INFINITE);
    EXPECT_EQ(KTime(0) / KTime(0), KTIME_ZERO);

    EXPECT_EQ(KTIME_MINUS_INFINITE.Get(), -KTIME_INFINITE.Get());
    EXPECT_LT(KTIME_MINUS_INFINITE, KTIME_ZERO);
    KTime c(5);
    c += b;
    c -= KTime(1);
    EXPECT_EQ(c.Get(), 7);
}
