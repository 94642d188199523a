#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "surface_test_util.h"

using namespace qelsdk_600;
using namespace surfacetest;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const std::vector<double> kCubicBezierKnots = {0, 0, 0, 0, 1, 1, 1, 1};

TEST(NurbsBasis, CubicOverOneSpanIsBernstein)
{
    const double* knots = kCubicBezierKnots.data();
    for (double t : {0.0, 0.125, 0.5, 0.9}) {
        const double s = 1 - t;
        const double bernstein[4] = {s * s * s, 3 * t * s * s, 3 * t * t * s, t * t * t};
        const double slope[4] = {-3 * s * s, 3 * s * s - 6 * t * s, 6 * t * s - 3 * t * t, 3 * t * t};
        for (unsigned i = 0; i < 4; ++i) {
            EXPECT_NEAR(bernstein[i], Compute_Bik(t, i, 4, knots), 1e-14) << "t " << t << " i " << i;
            EXPECT_NEAR(slope[i], Compute_dBik(t, i, 4, knots), 1e-13) << "t " << t << " i " << i;
        }
    }
    EXPECT_EQ(0.0, Compute_Bik(1.0, 3, 4, knots));  // the span is half-open
    EXPECT_EQ(0.0, Compute_dBik(0.5, 0, 1, knots));
}

TEST(NurbsBasis, SpansAreIntervalsLongerThanTheTolerance)
{
    struct Case {
        std::vector<double> knots;
        unsigned order;
        unsigned expected;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 1, 1, 1, 1}, 4, 1},
        {{0, 0, 0, 0, 0.5, 1, 1, 1, 1}, 4, 2},
        {{0, 0, 0, 0, 0.5, 0.5, 1, 1, 1, 1}, 4, 2},
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 4, 6},
        {{0, 0, 0, 0, 1e-8, 1e-8, 1e-8, 1e-8}, 4, 0},
        {{0, 0, 0, 0, 1.5e-8, 1.5e-8, 1.5e-8, 1.5e-8}, 4, 1},
        {{0, 0, 0, kNaN, 1, 1, 1, 1}, 4, 0},
        {{0, 0, 0, 0, 1, 1, 1, 1}, 0, 0},
        {{0, 0, 1, 1}, 4, 0},
    };
    KQELNURBSurfaceEvaluator evaluator;
    for (const Case& c : cases) {
        std::vector<double> knots = c.knots;
        EXPECT_EQ(c.expected, evaluator.Find_Number_Of_Span(knots.data(), static_cast<unsigned>(knots.size()), c.order))
            << "case with " << knots.size() << " knots, order " << c.order;
    }
    EXPECT_EQ(0u, evaluator.Find_Number_Of_Span(nullptr, 8, 4));
}

// An open cubic 4 x 4 NURBS plane P(i, j) = (i / 3, j / 3, 0).
struct Plane {
    NurbsSetup setup;
    std::vector<double> grid = Grid(4, 4, [](unsigned i, unsigned j) {
        return std::array<double, 3>{i / 3.0, j / 3.0, 0.0};
    });
    Plane() { setup.knotsU = setup.knotsV = kCubicBezierKnots; }
};

TEST(NurbsEvaluator, PlaneSamplesAtTheSpanParameters)
{
    Plane plane;
    NurbsEvaluator evaluator = plane.setup.Make(4, 4, 4, 4, 16);
    Output out = Evaluate(*evaluator, plane.grid, 4, 4);
    ASSERT_EQ(5u, out.columns);
    ASSERT_EQ(5u, out.rows);
    double parameters[5];
    double t = 0.0;
    for (double& p : parameters) {
        p = t;
        t += 1.0 / (4 + 1e-8);
    }
    EXPECT_LT(parameters[4], 1.0);
    for (unsigned r = 0; r < 5; ++r)
        for (unsigned c = 0; c < 5; ++c) {
            EXPECT_NEAR(parameters[c], out.Point(c, r)[0], 1e-12);
            EXPECT_NEAR(parameters[r], out.Point(c, r)[1], 1e-12);
            EXPECT_EQ(0.0, out.Point(c, r)[2]);
            EXPECT_NEAR(-1.0, out.Normal(c, r)[2], 1e-12);  // dP/dv x dP/du of the unit square
        }
}

TEST(NurbsEvaluator, UnevenWeightsKeepThePlaneFlatAndCommonScaleChangesNothing)
{
    Plane reference;
    NurbsEvaluator unit = reference.setup.Make(4, 4, 4, 4, 16);
    Output expected = Evaluate(*unit, reference.grid, 4, 4);
    for (double scale : {2.0, 0.0}) {
        Plane plane;
        for (int i = 0; i < 16; ++i)
            plane.setup.weights.push_back(scale ? scale : 0.25 + 0.3 * ((i * 7) % 5));
        NurbsEvaluator evaluator = plane.setup.Make(4, 4, 4, 4, 16);
        Output out = Evaluate(*evaluator, plane.grid, 4, 4);
        ASSERT_EQ(25u, out.points.size() / 4);
        for (size_t p = 0; p < 25; ++p) {
            EXPECT_EQ(0.0, out.points[4 * p + 2]);
            for (int axis = 0; scale && axis < 2; ++axis)
                EXPECT_NEAR(expected.points[4 * p + axis], out.points[4 * p + axis], 1e-12);
        }
    }
}

TEST(NurbsEvaluator, QuarterCylinderIsExactlyRound)
{
    NurbsSetup setup;
    setup.knotsU = {0, 0, 0, 1, 1, 1};
    setup.knotsV = {0, 0, 1, 1};
    const double r = std::sqrt(0.5);
    std::vector<double> grid;
    for (double z : {0.0, 1.0}) {
        const double points[3][2] = {{1, 0}, {1, 1}, {0, 1}};
        const double weights[3] = {1, r, 1};
        for (int i = 0; i < 3; ++i) {
            grid.insert(grid.end(), {points[i][0], points[i][1], z, weights[i]});
            setup.weights.push_back(weights[i]);
        }
    }
    NurbsEvaluator evaluator = setup.Make(3, 2, 4, 2, 6);
    KQelWeightedMapping mapping(6, 15);
    Output out = Evaluate(*evaluator, grid, 3, 2, &mapping);
    ASSERT_EQ(5u, out.columns);
    ASSERT_EQ(3u, out.rows);
    for (unsigned row = 0; row < 3; ++row)
        for (unsigned c = 0; c < 5; ++c) {
            const double* p = out.Point(c, row);
            const double* n = out.Normal(c, row);
            EXPECT_NEAR(1.0, std::hypot(p[0], p[1]), 1e-12) << c << "," << row;
            EXPECT_NEAR(0.0, n[2], 1e-12);
            EXPECT_NEAR(0.0, n[0] * p[1] - n[1] * p[0], 1e-12);  // parallel to the radius
            EXPECT_LT(n[0] * p[0] + n[1] * p[1], 0.0);           // towards the axis
        }
    EXPECT_NEAR(1.0 / (2 + 1e-8), out.Point(0, 1)[2], 1e-12);
    // Factors are basis times weight, over the three contributing U points only.
    for (int d = 0; d < 15; ++d)
        for (const KQelWeightedMapping::KElement& relation : Contributions(mapping, d))
            EXPECT_GT(relation.mWeight, 0.0);
    EXPECT_EQ(1u, Contributions(mapping, 0).size());
}

TEST(NurbsEvaluator, RepeatedInteriorKnotMovesTheSecondWindowTwoColumns)
{
    NurbsSetup setup;
    setup.knotsU = {0, 0, 0, 0, 0.5, 0.5, 1, 1, 1, 1};
    setup.knotsV = {0, 0, 1, 1};
    std::vector<double> grid = Grid(6, 2, [](unsigned i, unsigned j) {
        return std::array<double, 3>{double(i), double(j), 0.0};
    });
    NurbsEvaluator evaluator = setup.Make(4, 2, 4, 1, 12);
    KQelWeightedMapping mapping(12, 18);
    Output out = Evaluate(*evaluator, grid, 6, 2, &mapping);
    ASSERT_EQ(9u, out.columns);
    ASSERT_EQ(2u, out.rows);
    // Row 0 of the output: columns 1-3 lie in the first span, 5-8 in the second.
    for (int c = 0; c < 9; ++c)
        for (const KQelWeightedMapping::KElement& relation : Contributions(mapping, c)) {
            const int point = relation.mIndex;
            EXPECT_LT(point, 6) << "row 1 of the control points has factor 0 on output row 0";
            if (c >= 1 && c <= 3) {
                EXPECT_LE(point, 3) << "column " << c;
            }
            if (c >= 5) {
                EXPECT_GE(point, 2) << "column " << c;
            }
        }
    EXPECT_NEAR(5.0 - 1e-8, out.Point(8, 0)[0], 1e-6);
}

TEST(NurbsEvaluator, PeriodicDirectionWrapsToTheFirstPoints)
{
    NurbsSetup setup;
    for (int i = 0; i < 13; ++i)
        setup.knotsU.push_back(i);
    setup.knotsV = {0, 0, 1, 1};
    std::vector<double> grid = Grid(6, 2, [](unsigned i, unsigned j) {
        return std::array<double, 3>{std::cos(i), std::sin(i), double(j)};
    });
    NurbsEvaluator evaluator = setup.Make(4, 2, 4, 1, 12);
    evaluator->SetEvaluationModeU(1);
    Output out = Evaluate(*evaluator, grid, 6, 2);
    ASSERT_EQ(24u, out.columns);
    // Uniform knots: span s is the uniform B-spline segment over points s..s+3.
    for (unsigned c = 0; c < 24; c += 5) {
        const double t = (c % 4) / (4 + 1e-8);
        const double basis[4] = {(1 - t) * (1 - t) * (1 - t) / 6, (3 * t * t * t - 6 * t * t + 4) / 6,
                                 (-3 * t * t * t + 3 * t * t + 3 * t + 1) / 6, t * t * t / 6};
        double x = 0.0;
        for (unsigned a = 0; a < 4; ++a)
            x += basis[a] * std::cos((c / 4 + a) % 6);
        EXPECT_NEAR(x, out.Point(c, 0)[0], 1e-12) << "column " << c;
    }
}

TEST(NurbsEvaluator, SourceWithMoreSpansRebuildsTheTables)
{
    NurbsSetup setup;
    setup.knotsU = {0, 0, 0, 0, 1, 2, 2, 2, 2};  // 4 points use the first 8: one span
    setup.knotsV = kCubicBezierKnots;
    setup.weights.assign(20, 1.0);
    std::vector<double> grid = Grid(5, 4, [](unsigned i, unsigned j) {
        return std::array<double, 3>{i * 0.5, double(j), 1.0};
    });
    NurbsEvaluator evaluator = setup.Make(4, 4, 4, 4, 20);
    std::vector<double> first(grid.begin(), grid.begin() + 16 * 4);
    EXPECT_EQ(5u, Evaluate(*evaluator, first, 4, 4).columns);
    Output out = Evaluate(*evaluator, grid, 5, 4);
    NurbsSetup freshSetup = setup;
    NurbsEvaluator fresh = freshSetup.Make(4, 4, 4, 4, 20);
    Output expected = Evaluate(*fresh, grid, 5, 4);
    ASSERT_EQ(9u, out.columns);
    EXPECT_EQ(expected.points, out.points);
    EXPECT_EQ(expected.normals, out.normals);
}

TEST(NurbsEvaluator, HostileSettingsGiveTheRuledCounts)
{
    struct Case {
        const char* name;
        unsigned orderU;
        unsigned step;
        std::vector<double> knotsU;
        bool weights;
        unsigned expected;
        int mode = 0;
    };
    const std::vector<double> bezier = kCubicBezierKnots;
    const Case cases[] = {
        {"order 0", 0, 4, bezier, true, 0},
        {"order 5", 5, 4, {0, 0, 0, 0, 0, 1, 1, 1, 1, 1}, true, 0},
        {"order 2^31", 0x80000000u, 4, bezier, true, 0},
        {"null knots", 4, 4, {}, true, 0},
        {"no weights", 4, 4, bezier, false, 0},
        {"step 0", 4, 0, bezier, true, 0},
        {"step -1", 4, UINT32_MAX, bezier, true, 0},
        {"interval of exactly 1e-8", 4, 4, {0, 0, 0, 0, 1e-8, 1e-8, 1e-8, 1e-8}, true, 0},
        {"NaN knots", 4, 4, {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN}, true, 0},
        {"NaN inside the span's support", 4, 4, {kNaN, 0, 0, 0, 1, 1, 1, kNaN}, true, 5},
        {"type 7 counts as open", 4, 4, bezier, true, 5, 7},
        {"type -1 counts as open", 4, 4, bezier, true, 5, -1},
    };
    for (const Case& c : cases) {
        Plane plane;
        plane.setup.knotsU = c.knotsU;
        NurbsEvaluator evaluator = plane.setup.Make(c.orderU, 4, c.step, 4, 16);
        evaluator->SetEvaluationModeU(c.mode);
        if (!c.weights)
            evaluator->SetAuxSourceArray(0, nullptr);
        KQelWeightedMapping mapping(16, 25);
        Output out = Evaluate(*evaluator, plane.grid, 4, 4, &mapping);
        EXPECT_EQ(c.expected, out.columns) << c.name;
        if (c.expected == 0) {
            EXPECT_EQ(kUntouched, out.points[0]) << c.name;
            EXPECT_EQ(0, mapping.GetRelationCount(KQelWeightedMapping::eSource, 0)) << c.name;
        }
    }
}

}  // namespace
