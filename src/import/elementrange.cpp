#include "import/elementrange.h"

#include <cstdio>
#include <numeric>
#include <utility>
#include <vector>

#include "content/kqellink.h"
#include "content/kqelnurb.h"
#include "plugin/qelveskquote.h"

using namespace qelsdk_600;

void FillClusterElements(KArrayTemplate<int>& pSet, KQelLink* pLink)
{
    if (!pLink)
        return;
    const int count = pLink->GetControlPointIndicesCount();
    const int* indices = pLink->GetControlPointIndices();
    if (count == 0 || !indices)
        return;
    // Appending and sorting once keeps the union O(n log n); sorting after
    // every insertion would be quadratic.
    for (int i = 0; i < count; ++i)
        pSet.Add(indices[i]);
    QSortArrayTemplate(pSet);
    int* items = static_cast<int*>(pSet.GetArray());
    pSet.SetCount(static_cast<int>(std::unique(items, items + pSet.GetCount()) - items));
}

void GroupElementsByRange(KArrayTemplate<int>& pSet, KArrayTemplate<ElementRange*>& pRanges)
{
    const int count = pSet.GetCount();
    if (count == 0)
        return;
    int start = pSet[0];
    int previous = start;
    for (int i = 1; i < count; ++i) {
        const int x = pSet[i];
        if (static_cast<long long>(x) != static_cast<long long>(previous) + 1) {
            pRanges.Add(new ElementRange{start, previous});
            start = x;
        }
        previous = x;
    }
    pRanges.Add(new ElementRange{start, previous});
}

namespace {

// One blank, then prefix + subscripts as one literal.
void AppendTerm(KString& pText, const KString& pPrefix, const char* pSubscripts)
{
    KString term(pPrefix);
    term += pSubscripts;
    pText += " ";
    pText += QelVeskQuote(term.Buffer());
}

}  // namespace

void BuildSelectCommandArgFromElementRange(KString& pText, KArrayTemplate<ElementRange*>& pRanges, KString& pPrefix)
{
    char subscripts[32];
    for (int i = 0, n = pRanges.GetCount(); i < n; ++i) {
        const ElementRange& range = *pRanges[i];
        if (range.mFirst != range.mLast)
            std::snprintf(subscripts, sizeof subscripts, "[%d:%d]", static_cast<int>(range.mFirst),
                          static_cast<int>(range.mLast));
        else
            std::snprintf(subscripts, sizeof subscripts, "[%d]", static_cast<int>(range.mFirst));
        AppendTerm(pText, pPrefix, subscripts);
    }
}

bool BuildSelectCommandArgFromElementCV(KString& pText, KArrayTemplate<int>& pSet, KString& pPrefix, KQelNurb* pNurb)
{
    const int count = pSet.GetCount();
    if (count == 0)
        return true;
    const int u = pNurb ? pNurb->GetUCount() : 0;
    if (u <= 0)
        return false;
    char subscripts[32];
    for (int i = 0; i < count; ++i) {
        const unsigned int k = static_cast<unsigned int>(pSet[i]);
        std::snprintf(subscripts, sizeof subscripts, "[%u][%u]", k / static_cast<unsigned int>(u),
                      k % static_cast<unsigned int>(u));
        AppendTerm(pText, pPrefix, subscripts);
    }
    return true;
}

void DoubleQuickSort(int* pKeys, double* pValues, int pLow, int pHigh)
{
    if (!pKeys || !pValues || pLow >= pHigh)
        return;
    // A first-key quicksort is quadratic on sorted or reversed runs, which
    // are the common case; a stable sort of the pairs gives the same order
    // for distinct keys and keeps repeated ones as stored.
    const size_t count = static_cast<size_t>(pHigh) - static_cast<size_t>(pLow) + 1;
    std::vector<std::pair<int, double>> pairs(count);
    for (size_t i = 0; i < count; ++i)
        pairs[i] = {pKeys[pLow + i], pValues[pLow + i]};
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const std::pair<int, double>& a, const std::pair<int, double>& b) { return a.first < b.first; });
    for (size_t i = 0; i < count; ++i) {
        pKeys[pLow + i] = pairs[i].first;
        pValues[pLow + i] = pairs[i].second;
    }
}

int DoublePartition(int* pKeys, double* pValues, int pLow, int pHigh)
{
    const int pivot = pKeys[pLow];
    int i = pLow - 1;
    int j = pHigh + 1;
    for (;;) {
        do
            --j;
        while (pKeys[j] > pivot);
        do
            ++i;
        while (pKeys[i] < pivot);
        if (i >= j)
            return j;
        std::swap(pKeys[i], pKeys[j]);
        std::swap(pValues[i], pValues[j]);
    }
}
