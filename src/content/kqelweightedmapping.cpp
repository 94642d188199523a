#include "content/kqelweightedmapping.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace qelsdk_600 {

KQelWeightedMapping::KQelWeightedMapping(int sourceCount, int destinationCount)
    : mPool{nullptr, nullptr}, mMissing{-1, 0.0}
{
    Reset(sourceCount, destinationCount);
}

KQelWeightedMapping::~KQelWeightedMapping()
{
    Clear();
}

void KQelWeightedMapping::Reset(int sourceCount, int destinationCount)
{
    Clear();
    const int counts[2] = {sourceCount, destinationCount};
    for (int set = 0; set < 2; ++set) {
        if (counts[set] <= 0)
            continue;
        // One block of lists per set: a mapping may have a million elements,
        // and a million separate allocations cost more than the relations.
        mPool[set] = new (std::nothrow) KRelationList[static_cast<size_t>(counts[set])];
        if (!mPool[set] || !mSets[set].SetCount(counts[set])) {
            delete[] mPool[set];
            mPool[set] = nullptr;
            continue;
        }
        for (int e = 0; e < counts[set]; ++e)
            mSets[set][e] = &mPool[set][e];
    }
}

void KQelWeightedMapping::Clear()
{
    for (int set = 0; set < 2; ++set) {
        mSets[set].Clear();
        delete[] mPool[set];
        mPool[set] = nullptr;
    }
}

KQelWeightedMapping::KRelationList* KQelWeightedMapping::List(ESet set, int element) const
{
    if (set != eSource && set != eDestination)
        return nullptr;
    const KArrayTemplate<KRelationList*>& lists = mSets[set];
    if (element < 0 || element >= lists.GetCount())
        return nullptr;
    return lists[element];
}

void KQelWeightedMapping::Add(int sourceIndex, int destinationIndex, double weight)
{
    KRelationList* source = List(eSource, sourceIndex);
    KRelationList* destination = List(eDestination, destinationIndex);
    if (!source || !destination)
        return;
    source->Add(KElement{destinationIndex, weight});
    destination->Add(KElement{sourceIndex, weight});
}

int KQelWeightedMapping::GetElementCount(ESet set) const
{
    return set == eSource || set == eDestination ? mSets[set].GetCount() : 0;
}

int KQelWeightedMapping::GetRelationCount(ESet set, int element) const
{
    const KRelationList* list = List(set, element);
    return list ? list->GetCount() : 0;
}

KQelWeightedMapping::KElement& KQelWeightedMapping::GetRelation(ESet set, int element, int i)
{
    KRelationList* list = List(set, element);
    if (!list || i < 0 || i >= list->GetCount()) {
        mMissing = KElement{-1, 0.0};
        return mMissing;
    }
    return (*list)[i];
}

int KQelWeightedMapping::GetRelationIndex(ESet set, int element, int index) const
{
    const KRelationList* list = List(set, element);
    if (!list)
        return -1;
    for (int i = 0, n = list->GetCount(); i < n; ++i)
        if ((*list)[i].mIndex == index)
            return i;
    return -1;
}

double KQelWeightedMapping::GetRelationSum(ESet set, int element, bool absolute) const
{
    const KRelationList* list = List(set, element);
    double sum = 0.0;
    if (list)
        for (int i = 0, n = list->GetCount(); i < n; ++i)
            sum += absolute ? std::fabs((*list)[i].mWeight) : (*list)[i].mWeight;
    return sum;
}

void KQelWeightedMapping::Normalize(ESet set, bool absolute)
{
    if (set != eSource && set != eDestination)
        return;
    const ESet other = set == eSource ? eDestination : eSource;
    const int count = mSets[set].GetCount();
    const int otherCount = mSets[other].GetCount();

    // The reciprocal of a relation (e -> k) is the first relation of other
    // element k whose index is e. Gather those first occurrences once,
    // bucketed by e, instead of scanning element k for every relation: one
    // element may relate to a million others.
    // The first pass counts the pairs of each bucket, the second fills them.
    std::vector<int> seenIn(count, -1);
    std::vector<int> bucketStart(static_cast<size_t>(count) + 1, 0);
    std::vector<int> fill;
    std::vector<int> pairElement, pairPosition;
    for (int pass = 0; pass < 2; ++pass) {
        std::fill(seenIn.begin(), seenIn.end(), -1);
        if (pass == 1) {
            for (int e = 0; e < count; ++e)
                bucketStart[e + 1] += bucketStart[e];
            pairElement.resize(bucketStart[count]);
            pairPosition.resize(bucketStart[count]);
            fill.assign(bucketStart.begin(), bucketStart.end() - 1);
        }
        for (int k = 0; k < otherCount; ++k) {
            const KRelationList& list = *mSets[other][k];
            for (int p = 0, n = list.GetCount(); p < n; ++p) {
                const int e = list[p].mIndex;
                if (e < 0 || e >= count || seenIn[e] == k)
                    continue;
                seenIn[e] = k;
                if (pass == 0) {
                    ++bucketStart[e + 1];
                } else {
                    pairElement[fill[e]] = k;
                    pairPosition[fill[e]++] = p;
                }
            }
        }
    }

    std::vector<int> slotOwner(otherCount, -1), slotPosition(otherCount, 0);
    for (int e = 0; e < count; ++e) {
        KRelationList& list = *mSets[set][e];
        const int n = list.GetCount();
        if (n == 0)
            continue;
        for (int q = bucketStart[e]; q < bucketStart[e + 1]; ++q) {
            slotOwner[pairElement[q]] = e;
            slotPosition[pairElement[q]] = pairPosition[q];
        }
        const double sum = GetRelationSum(set, e, absolute);
        for (int i = 0; i < n; ++i) {
            double weight = 0.0;
            if (sum != 0.0) {
                weight = list[i].mWeight / sum;
                if (absolute)
                    weight = std::fabs(weight);
            }
            list[i].mWeight = weight;
            const int k = list[i].mIndex;
            if (k >= 0 && k < otherCount && slotOwner[k] == e)
                (*mSets[other][k])[slotPosition[k]].mWeight = weight;
        }
    }
}

}  // namespace qelsdk_600
