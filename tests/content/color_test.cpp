#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "content/kqelcolor.h"

namespace qelsdk_600 {
namespace {

void ExpectComponents(const KQelColor& pColor, double pRed, double pGreen, double pBlue, double pAlpha)
{
    EXPECT_EQ(pColor.mRed, pRed);
    EXPECT_EQ(pColor.mGreen, pGreen);
    EXPECT_EQ(pColor.mBlue, pBlue);
    EXPECT_EQ(pColor.mAlpha, pAlpha);
}

// The constructor, Set and assignment all clamp each component on its own.
TEST(KQelColor, EveryWriterClampsEachComponentIntoTheUnitRange)
{
    struct Case {
        double in[4];
        double out[4];
    } cases[] = {
        {{-0.5, 2.0, 0.25, 1.0}, {0.0, 1.0, 0.25, 1.0}},
        {{0.0, 1.0, 0.0, 1.0}, {0.0, 1.0, 0.0, 1.0}},
        {{1e300, -1e300, 0.5, -0.0}, {1.0, 0.0, 0.5, -0.0}},
        {{0.3, 0.6, 0.9, 3.0}, {0.3, 0.6, 0.9, 1.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in[0]);
        ExpectComponents(KQelColor(c.in[0], c.in[1], c.in[2], c.in[3]), c.out[0], c.out[1], c.out[2], c.out[3]);
        KQelColor set;
        set.Set(c.in[0], c.in[1], c.in[2], c.in[3]);
        ExpectComponents(set, c.out[0], c.out[1], c.out[2], c.out[3]);
        KQelColor raw;
        raw.mRed = c.in[0];
        raw.mGreen = c.in[1];
        raw.mBlue = c.in[2];
        raw.mAlpha = c.in[3];
        KQelColor assigned(0.5, 0.5, 0.5, 0.5);
        assigned = raw;
        ExpectComponents(assigned, c.out[0], c.out[1], c.out[2], c.out[3]);
    }
}

TEST(KQelColor, DirectWritesBypassClampingUntilAssignment)
{
    KQelColor white;
    ExpectComponents(white, 1.0, 1.0, 1.0, 1.0);
    EXPECT_TRUE(white.IsValid());

    KQelColor bright;
    bright.mRed = 1.5;
    EXPECT_FALSE(bright.IsValid());
    KQelColor copy(bright);  // copy construction keeps what it is given
    EXPECT_EQ(copy.mRed, 1.5);
    KQelColor target;
    target = bright;
    EXPECT_EQ(target.mRed, 1.0);
    EXPECT_TRUE(target.IsValid());

    KQelColor notANumber;
    notANumber.mAlpha = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(notANumber.IsValid());
}

TEST(KQelColor, EqualityIsExactAndNaNNeverEqual)
{
    const KQelColor a(0.25, 0.5, 0.75, 1.0);
    KQelColor b(0.25, 0.5, 0.75, 1.0);
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    b.Set(0.25, 0.5, 0.75 + 1e-12, 1.0);
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a != b);

    KQelColor nan;
    nan.mGreen = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(nan == nan);
    EXPECT_TRUE(nan != nan);
}

}  // namespace
}  // namespace qelsdk_600
