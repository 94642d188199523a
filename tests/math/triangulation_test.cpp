// Polygon triangulation by corner numbers.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "math/ktriangulation.h"

using namespace qelsdk_600;

TEST(Triangulation, GivesTheZigzagSequenceForThreeToEightCorners) {
    // Worked out by hand from the strip rule.
    const std::vector<std::vector<int>> expected = {
        {0, 1, 2},
        {0, 1, 2, 2, 3, 0},
        {0, 1, 2, 2, 3, 0, 0, 3, 4},
        {0, 1, 2, 2, 3, 0, 0, 3, 5, 3, 4, 5},
        {0, 1, 2, 2, 3, 0, 0, 3, 6, 3, 4, 6, 6, 4, 5},
        {0, 1, 2, 2, 3, 0, 0, 3, 7, 3, 4, 7, 7, 4, 6, 4, 5, 6},
    };
    for (int n = 3; n <= 8; ++n) {
        // Exactly sized heap buffer: the address sanitizer catches any overrun.
        std::vector<int> out(3 * (n - 2));
        EXPECT_EQ(n - 2, KTriangulation(out.data(), n));
        EXPECT_EQ(expected[n - 3], out) << n << " corners";
    }
}

TEST(Triangulation, LargePolygonsStayInBufferAndUseEveryCornerOnce) {
    for (int n : {9, 10, 57, 1000, 1001}) {
        std::vector<int> out(3 * (n - 2));
        ASSERT_EQ(n - 2, KTriangulation(out.data(), n));
        std::set<int> corners(out.begin(), out.end());
        EXPECT_EQ(n, static_cast<int>(corners.size()));
        EXPECT_EQ(0, *corners.begin());
        EXPECT_EQ(n - 1, *corners.rbegin());
        for (int t = 0; t < n - 2; ++t) {
            EXPECT_NE(out[3 * t], out[3 * t + 1]);
            EXPECT_NE(out[3 * t], out[3 * t + 2]);
            EXPECT_NE(out[3 * t + 1], out[3 * t + 2]);
        }
    }
}

TEST(Triangulation, DegenerateInputWritesNothing) {
    int out[3] = {-7, -7, -7};
    for (int n : {-5, 0, 1, 2}) EXPECT_EQ(0, KTriangulation(out, n));
    EXPECT_EQ(-7, out[0]);
    EXPECT_EQ(0, KTriangulation(nullptr, 5));
}
