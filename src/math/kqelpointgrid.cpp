#include "math/kqelpointgrid.h"

#include <cmath>

namespace qelsdk_600 {

namespace {

constexpr double kCellSize = 16e-6;
// Tolerance plus room for the rounding of the division below.
constexpr double kReach = 1.5e-6;
// Beyond this magnitude the division rounds by more than that room: both
// neighbours are searched.
constexpr double kExact = 1e6;
// Far beyond any cell of a finite double, yet with room for +-1.
constexpr double kCellLimit = 1152921504606846976.0;  // 2^60

// A full 64-bit mix of each coordinate in turn (cell keys are often
// multiples of one step, which a plain multiply leaves clustered).
std::uint64_t Mix(std::uint64_t pValue)
{
    pValue = (pValue ^ (pValue >> 30)) * 0xBF58476D1CE4E5B9ull;
    pValue = (pValue ^ (pValue >> 27)) * 0x94D049BB133111EBull;
    return pValue ^ (pValue >> 31);
}

bool SameCoordinates(const KQelVector4& pA, const KQelVector4& pB)
{
    return pA[0] == pB[0] && pA[1] == pB[1] && pA[2] == pB[2];
}

}  // namespace

KQelPointGrid::KQelPointGrid(const KQelVector4* pPoints, int pCount)
    : mPoints(pPoints), mCells(static_cast<std::size_t>(pCount > 0 ? pCount : 0)),
      mNext(mCells.size(), -1), mBuckets(1024, -1), mCellCount(0)
{
    for (int i = 0; i < pCount; ++i)
        mCells[static_cast<std::size_t>(i)] = CellOf(pPoints[i]);
}

KQelPointGrid::Cell KQelPointGrid::CellOf(const KQelVector4& pPoint)
{
    Cell cell = {};
    for (int c = 0; c < 3; ++c) {
        const double value = pPoint[c];
        if (!std::isfinite(value))
            return cell;
        // Cells are centred on multiples of their size, where points of
        // regular meshes tend to lie: far from a face, no neighbour to
        // search.
        const double scaled = value / kCellSize + 0.5;
        double key = std::floor(scaled);
        const double offset = (scaled - key) * kCellSize;
        const bool wide = std::fabs(value) > kExact;
        cell.mLow[c] = wide || offset < kReach ? -1 : 0;
        cell.mHigh[c] = wide || kCellSize - offset < kReach ? 1 : 0;
        if (!(key > -kCellLimit))
            key = -kCellLimit;
        if (!(key < kCellLimit))
            key = kCellLimit;
        cell.mKey[c] = static_cast<std::int64_t>(key);
    }
    cell.mFinite = true;
    return cell;
}

bool KQelPointGrid::SameKey(const Cell& pA, const Cell& pB)
{
    return pA.mKey[0] == pB.mKey[0] && pA.mKey[1] == pB.mKey[1] && pA.mKey[2] == pB.mKey[2];
}

std::uint64_t KQelPointGrid::Hash(const Cell& pCell)
{
    std::uint64_t hash = Mix(static_cast<std::uint64_t>(pCell.mKey[0]));
    hash = Mix(hash ^ static_cast<std::uint64_t>(pCell.mKey[1]));
    return Mix(hash ^ static_cast<std::uint64_t>(pCell.mKey[2]));
}

std::size_t KQelPointGrid::FindBucket(const Cell& pCell) const
{
    const std::size_t mask = mBuckets.size() - 1;
    std::size_t bucket = static_cast<std::size_t>(Hash(pCell)) & mask;
    while (mBuckets[bucket] >= 0 && !SameKey(mCells[static_cast<std::size_t>(mBuckets[bucket])], pCell))
        bucket = (bucket + 1) & mask;
    return bucket;
}

void KQelPointGrid::Rehash()
{
    std::vector<int> old(mBuckets.size() * 2, -1);
    old.swap(mBuckets);
    for (int head : old) {
        if (head >= 0)
            mBuckets[FindBucket(mCells[static_cast<std::size_t>(head)])] = head;
    }
}

void KQelPointGrid::InsertCell(int pIndex, const Cell& pCell)
{
    int& head = mBuckets[FindBucket(pCell)];
    mNext[static_cast<std::size_t>(pIndex)] = head;
    const bool newCell = head < 0;
    head = pIndex;
    // Sized by cells, not points: repeated points share one bucket, and a
    // smaller table stays in cache.
    if (newCell && static_cast<std::size_t>(++mCellCount) * 2 > mBuckets.size())
        Rehash();
}

void KQelPointGrid::Insert(int pIndex)
{
    const Cell& cell = mCells[static_cast<std::size_t>(pIndex)];
    if (cell.mFinite)
        InsertCell(pIndex, cell);
}

void KQelPointGrid::Append(const KQelVector4* pPoints)
{
    mPoints = pPoints;
    const int index = GetCount();
    const KQelVector4& point = mPoints[index];
    mCells.push_back(CellOf(point));
    mNext.push_back(-1);
    const Cell& cell = mCells.back();
    if (!cell.mFinite)
        return;
    // An exact repeat shares the cell of the point it repeats.
    for (int i = mBuckets[FindBucket(cell)]; i >= 0; i = mNext[static_cast<std::size_t>(i)]) {
        if (SameCoordinates(mPoints[i], point))
            return;
    }
    InsertCell(index, cell);
}

template <class Visit>
void KQelPointGrid::ForEachNeighbour(const Cell& pCell, Visit pVisit) const
{
    Cell neighbour = pCell;
    for (int dx = pCell.mLow[0]; dx <= pCell.mHigh[0]; ++dx) {
        neighbour.mKey[0] = pCell.mKey[0] + dx;
        for (int dy = pCell.mLow[1]; dy <= pCell.mHigh[1]; ++dy) {
            neighbour.mKey[1] = pCell.mKey[1] + dy;
            for (int dz = pCell.mLow[2]; dz <= pCell.mHigh[2]; ++dz) {
                neighbour.mKey[2] = pCell.mKey[2] + dz;
                pVisit(mBuckets[FindBucket(neighbour)]);
            }
        }
    }
}

int KQelPointGrid::FindLatestEqual(int pIndex) const
{
    const Cell& cell = mCells[static_cast<std::size_t>(pIndex)];
    if (!cell.mFinite)
        return -1;
    const KQelVector4& point = mPoints[pIndex];
    int best = -1;
    ForEachNeighbour(cell, [&](int pHead) {
        // Newest first: the first equal point is the latest of its cell, and
        // points older than the best found so far cannot win.
        for (int i = pHead; i > best; i = mNext[static_cast<std::size_t>(i)]) {
            if (mPoints[i] == point) {
                best = i;
                break;
            }
        }
    });
    return best;
}

int KQelPointGrid::FindFirstEqual(const KQelVector4& pPoint) const
{
    const Cell cell = CellOf(pPoint);
    if (!cell.mFinite)
        return -1;
    int best = -1;
    ForEachNeighbour(cell, [&](int pHead) {
        for (int i = pHead; i >= 0; i = mNext[static_cast<std::size_t>(i)]) {
            if ((best < 0 || i < best) && mPoints[i] == pPoint)
                best = i;
        }
    });
    return best;
}

void KQelPointGrid::Warm(int pFirst, int pLast)
{
    int heads[kWarmBatch];
    int sum = 0;
    for (int j = pFirst; j < pLast; ++j) {
        const Cell& cell = mCells[static_cast<std::size_t>(j)];
        heads[j - pFirst] =
            cell.mFinite ? mBuckets[static_cast<std::size_t>(Hash(cell)) & (mBuckets.size() - 1)] : -1;
    }
    for (int j = pFirst; j < pLast; ++j) {
        const int head = heads[j - pFirst];
        if (head >= 0)
            sum += static_cast<int>(mCells[static_cast<std::size_t>(head)].mKey[0]) ^
                   static_cast<int>(mPoints[head][0]);
    }
    mWarmSink = sum;
}

}  // namespace qelsdk_600
