// Shared machinery of the surface evaluators; private to src/content.
#ifndef QELSDK_CONTENT_KQELSURFACEEVALUATOR_IMPL_H
#define QELSDK_CONTENT_KQELSURFACEEVALUATOR_IMPL_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/ktypes.h"

namespace qelsdk_600 {
namespace surface_detail {

// Largest output grid, in points.
constexpr kULongLong kMaxPoints = 0x7FFFFFFFull;

// A new array of count doubles, or null for 0, for a count that does not fit
// the address space or a table size field, or when memory runs out.
double* NewDoubles(kULongLong count);

// The output samples of one direction. For each output column (or row): the
// sample of the basis table it reads, whether it is the first sample of its
// segment (where the fourth basis function is zero and left out), and the
// four control-point lines of its window, already wrapped around the grid.
struct Axis {
    std::vector<kUInt> sample;
    std::vector<kUInt> window;
    std::vector<unsigned char> first;

    size_t Count() const { return sample.size(); }
    // windowStart is taken modulo lines, which the caller keeps above 0.
    void Add(kUInt tableSample, bool firstOfSegment, kULongLong windowStart, kUInt lines)
    {
        sample.push_back(tableSample);
        first.push_back(firstOfSegment ? 1 : 0);
        for (kULongLong a = 0; a < 4; ++a)
            window.push_back(static_cast<kUInt>((windowStart + a) % lines));
    }
};

// Visits the output points row by row: visit(entry, table entry, the 16
// window indices as point (a, b) at 4b + a, first-of-segment in U, in V).
// The table entry is sample V * tableStrideU + sample U.
template <class Visit>
void WalkGrid(const Axis& u, const Axis& v, kUInt sourceCountU, size_t tableStrideU, Visit&& visit)
{
    size_t entry = 0;
    for (size_t r = 0; r < v.Count(); ++r) {
        size_t rowBase[4];
        for (int b = 0; b < 4; ++b)
            rowBase[b] = static_cast<size_t>(v.window[4 * r + b]) * sourceCountU;
        const size_t tableRow = static_cast<size_t>(v.sample[r]) * tableStrideU;
        for (size_t c = 0; c < u.Count(); ++c, ++entry) {
            size_t index[16];
            for (int b = 0; b < 4; ++b)
                for (int a = 0; a < 4; ++a)
                    index[4 * b + a] = rowBase[b] + u.window[4 * c + a];
            visit(entry, tableRow + u.sample[c], index, u.first[c] != 0, v.first[r] != 0);
        }
    }
}

// The three window sums of one output point over points of `stride` doubles:
// sum of product[4b + a] * point (a, b) for each coordinate, and the same with
// the two derivative products. At the first sample of a segment the terms of
// the fourth basis function (a = 3, or b = 3) are left out.
inline void SumWindow(const double* base, size_t stride, const size_t index[16], const double* product,
                      const double* productU, const double* productV, bool firstU, bool firstV,
                      double position[3], double derivativeU[3], double derivativeV[3])
{
    for (int c = 0; c < 3; ++c)
        position[c] = derivativeU[c] = derivativeV[c] = 0.0;
    const int lastA = firstU ? 3 : 4;
    const int lastB = firstV ? 3 : 4;
    for (int b = 0; b < lastB; ++b)
        for (int a = 0; a < lastA; ++a) {
            const int j = 4 * b + a;
            const double* point = base + index[j] * stride;
            for (int c = 0; c < 3; ++c) {
                position[c] += product[j] * point[c];
                derivativeU[c] += productU[j] * point[c];
                derivativeV[c] += productV[j] * point[c];
            }
        }
}

// out = v x u, the orientation of every normal the evaluators write.
inline void Cross(const double* v, const double* u, double* out)
{
    out[0] = v[1] * u[2] - v[2] * u[1];
    out[1] = v[2] * u[0] - v[0] * u[2];
    out[2] = v[0] * u[1] - v[1] * u[0];
}

inline void Copy3(const double* from, double* to)
{
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

}  // namespace surface_detail
}  // namespace qelsdk_600

#endif
