// Weighted many-to-many relation between two index sets.
#ifndef QELSDK_CONTENT_KQELWEIGHTEDMAPPING_H
#define QELSDK_CONTENT_KQELWEIGHTEDMAPPING_H

#include "base/karraytemplate.h"
#include "base/ktypes.h"

namespace qelsdk_600 {

// Relates the elements of a source set to those of a destination set, each
// relation carrying a weight (for example control points before and after a
// conversion, or links and control points). Every relation is stored twice,
// under its source element and under its destination element, so either side
// can be walked directly: source s holds {d, w} exactly as often as
// destination d holds {s, w}. Indices outside a set are ignored by Add and
// answered as empty by the queries, since they may come from files.
class KQelWeightedMapping {
public:
    // Fixed underlying type: a set number read from anywhere is a valid value
    // of the type, and any number other than 0 and 1 names no set.
    enum ESet : kInt { eSource = 0, eDestination = 1 };

    // One relation: an element of the other set and the weight.
    struct KElement {
        kInt mIndex;
        double mWeight;
    };

    // Reset(sourceCount, destinationCount).
    KQelWeightedMapping(int sourceCount, int destinationCount);
    ~KQelWeightedMapping();
    KQelWeightedMapping(const KQelWeightedMapping&) = delete;
    KQelWeightedMapping& operator=(const KQelWeightedMapping&) = delete;

    // Clear, then sourceCount empty source elements and destinationCount
    // empty destination elements (a count of 0 or less gives none).
    void Reset(int sourceCount, int destinationCount);
    // Frees every relation; both sets are left without elements.
    void Clear();

    // Appends {destinationIndex, weight} to the source element and
    // {sourceIndex, weight} to the destination element; duplicates are kept.
    // Nothing happens when either index is outside its set.
    void Add(int sourceIndex, int destinationIndex, double weight);

    // Elements of the set; 0 for a number that names no set.
    int GetElementCount(ESet set) const;
    // Relations of the element; 0 for a missing element or set.
    int GetRelationCount(ESet set, int element) const;
    // The i-th relation of the element, writable (changing its weight does not
    // change the reciprocal). For a missing element, set or relation: a
    // scratch record {-1, 0.0}, reset at each such call, that belongs to no
    // element.
    KElement& GetRelation(ESet set, int element, int i);
    // Position of the element's first relation whose index is `index`
    // (linear scan); -1 when there is none or the element is missing.
    int GetRelationIndex(ESet set, int element, int index) const;
    // Sum of the element's weights, each taken absolute when `absolute`;
    // 0.0 for an element without relations or a missing one.
    double GetRelationSum(ESet set, int element, bool absolute) const;

    // For each element e of the set: every relation r of e gets r's weight
    // divided by the sum of e's weights (0.0 when the sum is 0.0), taken
    // absolute when `absolute` (both for the sum and the result); the same
    // value goes to the reciprocal, the first relation of the other set's
    // element r.mIndex whose index is e. Linear in the number of relations.
    void Normalize(ESet set, bool absolute);

private:
    // A relation list starts with room for 4 relations (64 bytes) and grows
    // geometrically: most elements of a large mapping hold one or two
    // relations, and a first block of 16 (256 bytes each) made a million-point
    // mapping cost half a gigabyte, too much for a 32-bit process.
    struct KRelationList : KArrayTemplate<KElement> {
        KRelationList() : KArrayTemplate<KElement>(4) {}
    };

    KRelationList* List(ESet set, int element) const;

    // Per set: the element lists, pointing into one owned block of lists.
    KArrayTemplate<KRelationList*> mSets[2];
    KRelationList* mPool[2];
    KElement mMissing;
};

}  // namespace qelsdk_600

#endif
