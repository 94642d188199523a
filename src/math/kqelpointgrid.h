// Finding points equal within the KQelVector4 tolerance without comparing
// every pair.
#ifndef QELSDK_MATH_KQELPOINTGRID_H
#define QELSDK_MATH_KQELPOINTGRID_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "math/kqelvector.h"

namespace qelsdk_600 {

// A grid over an array of points owned by the caller. Two points are equal
// as KQelVector4::operator== says (x, y and z each within 1e-6); a point
// with a non-finite coordinate equals nothing and is never inserted. Cells
// are much larger than the tolerance, so a query searches its own cell and,
// near a face, the neighbouring ones: a query costs about the number of
// points sharing those cells. The grid reads the points; it neither copies
// nor owns them.
class KQelPointGrid {
public:
    // Knows points 0 to pCount - 1 of pPoints (their cells are computed
    // now); none is inserted yet.
    KQelPointGrid(const KQelVector4* pPoints, int pCount);
    KQelPointGrid(const KQelPointGrid&) = delete;
    KQelPointGrid& operator=(const KQelPointGrid&) = delete;

    // The caller's array moved (it grew); the points known so far must be
    // unchanged in it.
    void SetPoints(const KQelVector4* pPoints) { mPoints = pPoints; }
    // Points known to the grid, inserted or not.
    int GetCount() const { return static_cast<int>(mCells.size()); }

    // Makes known point pIndex findable.
    void Insert(int pIndex);
    // The caller appended one point to its array (pass the array, which may
    // have moved): the grid knows it and inserts it, unless it repeats an
    // inserted point coordinate for coordinate, since FindFirstEqual could
    // never answer it.
    void Append(const KQelVector4* pPoints);

    // The largest inserted index whose point equals known point pIndex; -1
    // when none.
    int FindLatestEqual(int pIndex) const;
    // The smallest inserted index whose point equals pPoint; -1 when none.
    int FindFirstEqual(const KQelVector4& pPoint) const;

    // Loads the cells and candidate points that the queries of known points
    // pFirst to pLast - 1 will read, all at once: independent loads overlap,
    // where the queries' own loads would wait one after another. At most
    // kWarmBatch points.
    void Warm(int pFirst, int pLast);
    static constexpr int kWarmBatch = 64;

private:
    // A point's cell, and which neighbours (-1 to 1 per axis) can hold points
    // equal to it.
    struct Cell {
        std::int64_t mKey[3];
        signed char mLow[3];
        signed char mHigh[3];
        bool mFinite;
    };

    static Cell CellOf(const KQelVector4& pPoint);
    static bool SameKey(const Cell& pA, const Cell& pB);
    static std::uint64_t Hash(const Cell& pCell);
    // The bucket holding the cell, or the empty one where it would go.
    std::size_t FindBucket(const Cell& pCell) const;
    void Rehash();
    void InsertCell(int pIndex, const Cell& pCell);
    // Calls pVisit with the newest inserted point of the cell and of each
    // neighbour that may hold points equal to a point of the cell (-1 for an
    // empty one); older points follow through mNext.
    template <class Visit>
    void ForEachNeighbour(const Cell& pCell, Visit pVisit) const;

    const KQelVector4* mPoints;
    std::vector<Cell> mCells;   // cell of each known point
    std::vector<int> mNext;     // next older inserted point of the same cell
    std::vector<int> mBuckets;  // newest point of a cell, -1 empty
    int mCellCount;             // cells holding a point
    volatile int mWarmSink = 0;
};

}  // namespace qelsdk_600

#endif
