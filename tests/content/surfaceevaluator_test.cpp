#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "content/kqelpatchtypes.h"
#include "surface_test_util.h"

using namespace qelsdk_600;
using namespace surfacetest;

namespace {

const KQelPatchTypes::EPatchType kBezier = KQelPatchTypes::eBezier;

Evaluator Uniform(int typeU, int typeV, unsigned stepU, unsigned stepV, int modeU = 0, int modeV = 0)
{
    Evaluator evaluator(KQELSurfaceEvaluatorCreate());
    SetSurfaceCurveTypeU(evaluator.get(), typeU);
    SetSurfaceCurveTypeV(evaluator.get(), typeV);
    evaluator->SetEvaluationModeU(modeU);
    evaluator->SetEvaluationModeV(modeV);
    evaluator->SetEvaluationStepU(stepU);
    evaluator->SetEvaluationStepV(stepV);
    return evaluator;
}

// P(i, j) = (i, j, z), z = 1 on the four inner points.
std::vector<double> BumpGrid()
{
    return Grid(4, 4, [](unsigned i, unsigned j) {
        const bool inner = i > 0 && i < 3 && j > 0 && j < 3;
        return std::array<double, 3>{double(i), double(j), inner ? 1.0 : 0.0};
    });
}

TEST(SurfaceEvaluator, BicubicBezierPatchMatchesItsClosedForm)
{
    Evaluator evaluator(QELCreateGeneralUniformSurface(kBezier, kBezier));
    evaluator->SetEvaluationStepU(2);
    evaluator->SetEvaluationStepV(2);
    std::vector<double> grid = BumpGrid();
    Output out = Evaluate(*evaluator, grid, 4, 4);
    ASSERT_EQ(7u, out.columns);
    ASSERT_EQ(7u, out.rows);
    for (unsigned l = 0; l < 7; ++l)
        for (unsigned k = 0; k < 7; ++k) {
            const double u = k / 6.0, v = l / 6.0;
            const double* p = out.Point(k, l);
            EXPECT_NEAR(3 * u, p[0], 1e-12);
            EXPECT_NEAR(3 * v, p[1], 1e-12);
            EXPECT_NEAR(9 * u * v * (1 - u) * (1 - v), p[2], 1e-12);
            EXPECT_EQ(kUntouched, p[3]);
            // The normal is dP/dv x dP/du, along (3 dz/du, 3 dz/dv, -9).
            const double zu = 9 * v * (1 - v) * (1 - 2 * u), zv = 9 * u * (1 - u) * (1 - 2 * v);
            const double* n = out.Normal(k, l);
            EXPECT_NEAR(0.0, 3 * n[0] + zu * n[2], 1e-12) << k << "," << l;
            EXPECT_NEAR(0.0, 3 * n[1] + zv * n[2], 1e-12) << k << "," << l;
            EXPECT_LT(n[2], 0.0);
        }
    EXPECT_NEAR(0.5625, out.Point(3, 3)[2], 1e-12);
}

TEST(SurfaceEvaluator, PointCountsFollowSegmentsAndRejectWhatHasNone)
{
    struct Case {
        int type;
        int mode;
        unsigned count;
        unsigned step;
        unsigned expected;
    };
    const Case cases[] = {
        {KQelPatchTypes::eBSpline, 0, 4, 4, 5},
        {KQelPatchTypes::eBSpline, 1, 6, 4, 24},
        {KQelPatchTypes::eBezier, 0, 7, 4, 25},
        {KQelPatchTypes::eBezierQuadric, 0, 5, 2, 9},
        {KQelPatchTypes::eLinear, 0, 2, 4, 5},
        {KQelPatchTypes::eLinear, 1, 2, 4, 8},
        {KQelPatchTypes::eCardinal, 7, 4, 4, 5},  // any mode other than 1 is open
        {KQelPatchTypes::eBezier, 0, 0, 4, 0},
        {KQelPatchTypes::eBezier, 0, 1, 4, 0},
        {KQelPatchTypes::eBezier, 1, 3, 4, 0},
        {KQelPatchTypes::eBezier, 0, 4, 0, 0},
        {KQelPatchTypes::eBezier, 0, 4, UINT32_MAX, 0},  // a step of -1
        {KQelPatchTypes::eCardinal, 0, 4, 0x7FFFFFFFu, 0},
    };
    for (const Case& c : cases) {
        Evaluator evaluator = Uniform(c.type, KQelPatchTypes::eLinear, c.step, 1, c.mode, 0);
        std::vector<double> grid = Grid(c.count, 2, [](unsigned i, unsigned j) {
            return std::array<double, 3>{double(i), double(j), 0.0};
        });
        Output out = Evaluate(*evaluator, grid, c.count, 2);
        EXPECT_EQ(c.expected, out.columns) << "type " << c.type << " count " << c.count << " step " << c.step;
        if (c.expected == 0)
            EXPECT_EQ(kUntouched, out.points[0]);
        else
            EXPECT_EQ(2u, out.rows);
    }
}

TEST(SurfaceEvaluator, GridsOverTwoBillionPointsHaveNone)
{
    Evaluator evaluator = Uniform(KQelPatchTypes::eCardinal, KQelPatchTypes::eCardinal, 50000, 50000);
    std::vector<double> grid = BumpGrid();
    evaluator->SetSourceArray(grid.data(), 4, 4);
    EXPECT_EQ(0u, evaluator->GetCurvePointCountX());
    EXPECT_EQ(0u, evaluator->GetCurvePointCountY());
    evaluator->SetEvaluationStepV(40000);  // 50001 x 40001 fits
    EXPECT_EQ(50001u, evaluator->GetCurvePointCountX());
    EXPECT_EQ(40001u, evaluator->GetCurvePointCountY());
}

// Uniform cubic B-spline basis at t, written out.
std::array<double, 4> BSplineBasis(double t)
{
    return {(1 - t) * (1 - t) * (1 - t) / 6, (3 * t * t * t - 6 * t * t + 4) / 6,
            (-3 * t * t * t + 3 * t * t + 3 * t + 1) / 6, t * t * t / 6};
}

TEST(SurfaceEvaluator, ClosedDirectionWrapsItsWindowsAroundTheGrid)
{
    Evaluator evaluator = Uniform(KQelPatchTypes::eBSpline, KQelPatchTypes::eLinear, 4, 1, 1, 0);
    std::vector<double> grid = Grid(6, 2, [](unsigned i, unsigned j) {
        return std::array<double, 3>{std::cos(i), std::sin(i * 1.7), double(j) + i * i};
    });
    Output out = Evaluate(*evaluator, grid, 6, 2);
    ASSERT_EQ(24u, out.columns);
    ASSERT_EQ(2u, out.rows);
    for (unsigned c = 0; c < 24; ++c) {
        const unsigned segment = c / 4;
        const std::array<double, 4> basis = BSplineBasis((c % 4) / 4.0);
        for (int axis = 0; axis < 3; ++axis) {
            double expected = 0.0;
            for (unsigned a = 0; a < 4; ++a)
                expected += basis[a] * grid[4 * ((segment + a) % 6) + axis];
            EXPECT_NEAR(expected, out.Point(c, 0)[axis], 1e-12) << "column " << c;
        }
    }
}

TEST(SurfaceEvaluator, LinearPatchSamplesEvenlyAndMapsOnlyContributingPoints)
{
    Evaluator evaluator = Uniform(KQelPatchTypes::eLinear, KQelPatchTypes::eLinear, 4, 4);
    std::vector<double> grid = Grid(2, 2, [](unsigned i, unsigned j) {
        return std::array<double, 3>{2.0 * i, 3.0 * j, double(i * j)};
    });
    KQelWeightedMapping mapping(4, 25);
    Output out = Evaluate(*evaluator, grid, 2, 2, &mapping);
    ASSERT_EQ(5u, out.columns);
    ASSERT_EQ(5u, out.rows);
    for (unsigned r = 0; r < 5; ++r)
        for (unsigned c = 0; c < 5; ++c) {
            const double u = c / 4.0, v = r / 4.0;
            EXPECT_NEAR(2 * u, out.Point(c, r)[0], 1e-12);
            EXPECT_NEAR(3 * v, out.Point(c, r)[1], 1e-12);
            EXPECT_NEAR(u * v, out.Point(c, r)[2], 1e-12);
            // Bilinear factors: only the corners with a non-zero factor, summing to 1.
            const int d = static_cast<int>(r * 5 + c);
            const int contributing = (u > 0 && u < 1 ? 2 : 1) * (v > 0 && v < 1 ? 2 : 1);
            EXPECT_EQ(contributing, mapping.GetRelationCount(KQelWeightedMapping::eDestination, d));
            EXPECT_NEAR(1.0, mapping.GetRelationSum(KQelWeightedMapping::eDestination, d, false), 1e-12);
        }
    EXPECT_EQ(1.0, mapping.GetRelation(KQelWeightedMapping::eDestination, 0, 0).mWeight);
    EXPECT_EQ(0, mapping.GetRelation(KQelWeightedMapping::eDestination, 0, 0).mIndex);
}

TEST(SurfaceEvaluator, CollapsedEdgeRowGetsOneCapNormal)
{
    // A flat sheet has normals along -z; collapsing row 0 or row 1 to a point
    // makes row 0 of the output a pole that shares one cap normal.
    for (int collapsed = -1; collapsed <= 1; ++collapsed) {
        Evaluator evaluator = Uniform(KQelPatchTypes::eBezier, KQelPatchTypes::eBezier, 2, 2);
        std::vector<double> grid = Grid(4, 4, [&](unsigned i, unsigned j) {
            const double x = int(j) == collapsed ? 0.0 : double(i);
            return std::array<double, 3>{x, double(j), 0.0};
        });
        Output out = Evaluate(*evaluator, grid, 4, 4);
        EXPECT_EQ(collapsed >= 0, evaluator->GetBottomCapV());
        EXPECT_FALSE(evaluator->GetTopCapV());
        EXPECT_FALSE(evaluator->GetBottomCapU());
        EXPECT_FALSE(evaluator->GetTopCapU());
        for (unsigned r = 0; r < out.rows; ++r)
            for (unsigned c = 0; c < out.columns; ++c) {
                const double* n = out.Normal(c, r);
                EXPECT_EQ(0.0, n[0]);
                EXPECT_EQ(0.0, n[1]);
                EXPECT_LT(n[2], 0.0) << "collapsed row " << collapsed << " at " << c << "," << r;
                if (r == 0 && collapsed >= 0) {
                    EXPECT_EQ(out.Normal(0, 0)[2], n[2]);
                }
            }
    }
}

TEST(SurfaceEvaluator, TensionOneEqualsCardinal)
{
    std::vector<double> grid = BumpGrid();
    Evaluator cardinal = Uniform(KQelPatchTypes::eCardinal, KQelPatchTypes::eCardinal, 3, 3);
    Evaluator tension = Uniform(KQelPatchTypes::eLinear, KQelPatchTypes::eLinear, 3, 3);
    tension->SetSurfaceTensionU(1.0);
    tension->SetSurfaceTensionV(1.0);
    Output expected = Evaluate(*cardinal, grid, 4, 4);
    Output actual = Evaluate(*tension, grid, 4, 4);
    EXPECT_EQ(4u, actual.columns);
    EXPECT_EQ(expected.points, actual.points);
    EXPECT_EQ(expected.normals, actual.normals);
}

TEST(SurfaceEvaluator, UnknownCurveTypeLeavesTheDirectionAsItWas)
{
    std::vector<double> grid = BumpGrid();
    Evaluator reference = Uniform(KQelPatchTypes::eBSpline, KQelPatchTypes::eBezier, 2, 2);
    Output expected = Evaluate(*reference, grid, 4, 4);
    for (int type : {5, 7, -1, INT32_MIN}) {
        Evaluator evaluator = Uniform(KQelPatchTypes::eBSpline, KQelPatchTypes::eBezier, 2, 2);
        SetSurfaceCurveTypeU(evaluator.get(), type);
        SetSurfaceCurveTypeV(evaluator.get(), type);
        EXPECT_EQ(expected.points, Evaluate(*evaluator, grid, 4, 4).points) << "type " << type;
    }
    SetSurfaceCurveTypeU(nullptr, 0);
}

TEST(SurfaceEvaluator, LaterSourceWithMorePointsIsEvaluatedWhole)
{
    // The second source gives more output points than the first, without
    // any setter that rebuilds the tables.
    Evaluator evaluator = Uniform(KQelPatchTypes::eBezier, KQelPatchTypes::eBezier, 2, 2);
    std::vector<double> small = BumpGrid();
    EXPECT_EQ(7u, Evaluate(*evaluator, small, 4, 4).columns);
    std::vector<double> large = Grid(7, 10, [](unsigned i, unsigned j) {
        return std::array<double, 3>{double(i), 2.0 * j, 5.0};
    });
    Output out = Evaluate(*evaluator, large, 7, 10);
    ASSERT_EQ(13u, out.columns);
    ASSERT_EQ(19u, out.rows);
    for (unsigned r = 0; r < out.rows; ++r)
        for (unsigned c = 0; c < out.columns; ++c) {
            EXPECT_NEAR(c / 2.0, out.Point(c, r)[0], 1e-12);
            EXPECT_NEAR(r * 1.0, out.Point(c, r)[1], 1e-12);
            EXPECT_NEAR(5.0, out.Point(c, r)[2], 1e-12);
        }
}

TEST(SurfaceEvaluator, MissingArraysOrOrdersWriteNothing)
{
    std::vector<double> grid = BumpGrid();
    std::vector<double> sink(64, kUntouched);
    Evaluator evaluator = Uniform(KQelPatchTypes::eBezier, KQelPatchTypes::eBezier, 2, 2);
    evaluator->SetSourceArray(grid.data(), 4, 4);
    evaluator->SetDestinationArray(sink.data());
    evaluator->SetDestinationNormalArray(nullptr);
    evaluator->EvaluateSurface(nullptr);
    evaluator->SetDestinationArray(nullptr);
    evaluator->SetDestinationNormalArray(sink.data());
    evaluator->EvaluateSurface(nullptr);
    evaluator->SetSourceArray(nullptr, 4, 4);
    evaluator->SetDestinationArray(sink.data());
    evaluator->EvaluateSurface(nullptr);
    EXPECT_FALSE(evaluator->GetBottomCapU());
    evaluator->SetSourceArray(grid.data(), 4, 4);
    evaluator->SetOrderU(0x80000000u);
    evaluator->EvaluateSurface(nullptr);
    EXPECT_EQ(0u, evaluator->GetCurvePointCountX());
    for (double value : sink)
        ASSERT_EQ(kUntouched, value);
}

}  // namespace
