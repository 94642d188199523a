// Control-point index sets of skins and clusters, and the host component
// texts that select them. Free functions without state; every cost is
// O(n log n) or better in the indices given.
#ifndef QELVESK_IMPORT_ELEMENTRANGE_H
#define QELVESK_IMPORT_ELEMENTRANGE_H

#include <algorithm>
#include <cstdint>

#include "base/karraytemplate.h"
#include "base/kstring.h"

namespace qelsdk_600 {
class KQelLink;
class KQelNurb;
}

// A run of consecutive control-point indices, first <= last. Made on the
// heap by GroupElementsByRange; the caller's array owns and deletes them.
struct ElementRange {
    std::int32_t mFirst;
    std::int32_t mLast;
};

// Whether pValue is an item of pArray, which must be in ascending unsigned
// order (items compared as unsigned 32-bit values). False for an empty array.
template <class T>
bool BSearchArrayTemplate(qelsdk_600::KArrayTemplate<T>& pArray, T pValue)
{
    static_assert(sizeof(T) == 4, "32-bit items");
    if (pArray.GetCount() == 0)
        return false;
    const T* items = static_cast<const T*>(pArray.GetArray());
    return std::binary_search(items, items + pArray.GetCount(), pValue, [](T a, T b) {
        return static_cast<std::uint32_t>(a) < static_cast<std::uint32_t>(b);
    });
}

// Sorts the items in ascending unsigned order.
template <class T>
void QSortArrayTemplate(qelsdk_600::KArrayTemplate<T>& pArray)
{
    static_assert(sizeof(T) == 4, "32-bit items");
    T* items = static_cast<T*>(pArray.GetArray());
    if (pArray.GetCount() > 1)
        std::sort(items, items + pArray.GetCount(), [](T a, T b) {
            return static_cast<std::uint32_t>(a) < static_cast<std::uint32_t>(b);
        });
}

// Adds the link's control-point indices to pSet, which stays in ascending
// order without repeats: one call per link gives the union of the links.
void FillClusterElements(qelsdk_600::KArrayTemplate<int>& pSet, qelsdk_600::KQelLink* pLink);
// Appends to pRanges one new record per run of consecutive indices of pSet
// (ascending, no repeats), in order: 0, 1, 2, 5, 7, 8 give (0, 2), (5, 5),
// (7, 8).
void GroupElementsByRange(qelsdk_600::KArrayTemplate<int>& pSet, qelsdk_600::KArrayTemplate<ElementRange*>& pRanges);
// Appends to pText, per record, one blank and one quoted literal
// (QelVeskQuote) of pPrefix + "[first:last]", or + "[first]" for a run of
// one.
void BuildSelectCommandArgFromElementRange(qelsdk_600::KString& pText,
                                           qelsdk_600::KArrayTemplate<ElementRange*>& pRanges,
                                           qelsdk_600::KString& pPrefix);
// Appends to pText, per index k of pSet, one blank and the literal of
// pPrefix + "[k / u][k mod u]" with u the surface's U count. Appends
// nothing, and answers false, when u is not above 0 or the surface is null
// while pSet holds indices.
bool BuildSelectCommandArgFromElementCV(qelsdk_600::KString& pText, qelsdk_600::KArrayTemplate<int>& pSet,
                                        qelsdk_600::KString& pPrefix, qelsdk_600::KQelNurb* pNurb);

// Sorts positions pLow to pHigh (both included) of the parallel arrays by
// key, each value moving with its key; equal keys keep their order. O(n log
// n) whatever the order of the input.
void DoubleQuickSort(int* pKeys, double* pValues, int pLow, int pHigh);
// One partition step around pKeys[pLow] (Hoare's scheme) between pLow and
// pHigh: afterwards every key up to the answer is at most the pivot and
// every key after it at least the pivot; values move with their keys.
int DoublePartition(int* pKeys, double* pValues, int pLow, int pHigh);

#endif
