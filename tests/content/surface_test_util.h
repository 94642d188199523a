// Grids of control points and evaluation runs shared by the evaluator tests.
#ifndef QELSDK_TESTS_CONTENT_SURFACE_TEST_UTIL_H
#define QELSDK_TESTS_CONTENT_SURFACE_TEST_UTIL_H

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "content/kqelnurbsurfaceevaluator.h"
#include "content/kqelsurfaceevaluator.h"
#include "content/kqelweightedmapping.h"

namespace surfacetest {

using namespace qelsdk_600;

struct Destroyer {
    void operator()(KQELSurfaceEvaluator* evaluator) const { evaluator->Destroy(0); }
};
using Evaluator = std::unique_ptr<KQELSurfaceEvaluator, Destroyer>;
using NurbsEvaluator = std::unique_ptr<KQELNURBSurfaceEvaluator, Destroyer>;

// What the evaluator never writes: the fourth double of each entry, and
// every double of a run that must write nothing.
constexpr double kUntouched = -12345.0;

// Control point (i, j) at index j * countU + i, weight 1.
inline std::vector<double> Grid(unsigned countU, unsigned countV,
                                const std::function<std::array<double, 3>(unsigned, unsigned)>& point)
{
    std::vector<double> grid;
    for (unsigned j = 0; j < countV; ++j)
        for (unsigned i = 0; i < countU; ++i) {
            std::array<double, 3> p = point(i, j);
            grid.insert(grid.end(), {p[0], p[1], p[2], 1.0});
        }
    return grid;
}

struct Output {
    unsigned columns = 0;
    unsigned rows = 0;
    std::vector<double> points;
    std::vector<double> normals;

    const double* Point(unsigned c, unsigned r) const { return &points[4 * (static_cast<size_t>(r) * columns + c)]; }
    const double* Normal(unsigned c, unsigned r) const { return &normals[4 * (static_cast<size_t>(r) * columns + c)]; }
};

// Points the evaluator at the source and at output arrays of the size it
// announces (one spare entry when it announces none), then evaluates.
inline Output Evaluate(KQELSurfaceEvaluator& evaluator, std::vector<double>& source, unsigned countU,
                       unsigned countV, KQelWeightedMapping* mapping = nullptr)
{
    evaluator.SetSourceArray(source.data(), countU, countV);
    Output out;
    out.columns = evaluator.GetCurvePointCountX();
    out.rows = evaluator.GetCurvePointCountY();
    const size_t entries = static_cast<size_t>(out.columns) * out.rows;
    out.points.assign(4 * (entries ? entries : 1), kUntouched);
    out.normals.assign(out.points.size(), kUntouched);
    evaluator.SetDestinationArray(out.points.data());
    evaluator.SetDestinationNormalArray(out.normals.data());
    evaluator.EvaluateSurface(mapping);
    return out;
}

// The relations of destination element d: the control points of output
// point d with their factors.
inline std::vector<KQelWeightedMapping::KElement> Contributions(KQelWeightedMapping& mapping, int d)
{
    std::vector<KQelWeightedMapping::KElement> relations;
    for (int i = 0; i < mapping.GetRelationCount(KQelWeightedMapping::eDestination, d); ++i)
        relations.push_back(mapping.GetRelation(KQelWeightedMapping::eDestination, d, i));
    return relations;
}

// A NURBS evaluator fed the arrays it needs; the arrays live in the fixture.
struct NurbsSetup {
    std::vector<double> knotsU, knotsV, weights, scratch;

    NurbsEvaluator Make(unsigned orderU, unsigned orderV, unsigned stepU, unsigned stepV, size_t controlPoints)
    {
        NurbsEvaluator evaluator(KQELNURBSurfaceEvaluatorCreate(orderU, orderV));
        evaluator->SetEvaluationStepU(stepU);
        evaluator->SetEvaluationStepV(stepV);
        if (weights.empty())
            weights.assign(controlPoints, 1.0);
        scratch.assign(3 * controlPoints, 0.0);
        evaluator->SetAuxSourceArray(1, knotsU.empty() ? nullptr : knotsU.data());
        evaluator->SetAuxSourceArray(2, knotsV.empty() ? nullptr : knotsV.data());
        evaluator->SetAuxSourceArray(0, weights.data());
        evaluator->SetAuxSourceArray(5, scratch.data());
        return evaluator;
    }
};

}  // namespace surfacetest

#endif
