#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "content/kqelweightedmapping.h"

using namespace qelsdk_600;

namespace {

using ESet = KQelWeightedMapping::ESet;
const ESet kSource = KQelWeightedMapping::eSource;
const ESet kDestination = KQelWeightedMapping::eDestination;

std::vector<double> Weights(KQelWeightedMapping& mapping, ESet set, int element)
{
    std::vector<double> weights;
    for (int i = 0; i < mapping.GetRelationCount(set, element); ++i)
        weights.push_back(mapping.GetRelation(set, element, i).mWeight);
    return weights;
}

TEST(WeightedMapping, AddStoresEachRelationUnderBothElements)
{
    KQelWeightedMapping mapping(5, 5);
    mapping.Add(3, 3, 9.0);
    mapping.Reset(2, 3);  // frees the earlier relation (the leak check sees it)
    EXPECT_EQ(2, mapping.GetElementCount(kSource));
    EXPECT_EQ(3, mapping.GetElementCount(kDestination));
    EXPECT_EQ(0, mapping.GetRelationCount(kDestination, 2));
    EXPECT_EQ(0.0, mapping.GetRelationSum(kSource, 1, false));

    mapping.Add(0, 2, 0.25);
    mapping.Add(0, 1, 0.75);
    ASSERT_EQ(2, mapping.GetRelationCount(kSource, 0));
    EXPECT_EQ(2, mapping.GetRelation(kSource, 0, 0).mIndex);
    EXPECT_EQ(0.75, mapping.GetRelation(kSource, 0, 1).mWeight);
    ASSERT_EQ(1, mapping.GetRelationCount(kDestination, 2));
    EXPECT_EQ(0, mapping.GetRelation(kDestination, 2, 0).mIndex);
    EXPECT_EQ(0.25, mapping.GetRelation(kDestination, 2, 0).mWeight);
    EXPECT_EQ(1, mapping.GetRelationIndex(kSource, 0, 1));
    EXPECT_EQ(-1, mapping.GetRelationIndex(kSource, 0, 5));
    EXPECT_EQ(1.0, mapping.GetRelationSum(kSource, 0, false));
}

TEST(WeightedMapping, IndicesOutsideTheSetsAreIgnoredAndAnsweredEmpty)
{
    KQelWeightedMapping mapping(2, 2);
    for (auto pair : {std::make_pair(-1, 0), std::make_pair(2, 0), std::make_pair(0, -1), std::make_pair(0, 2)})
        mapping.Add(pair.first, pair.second, 1.0);
    EXPECT_EQ(0, mapping.GetRelationCount(kSource, 0));
    EXPECT_EQ(0, mapping.GetRelationCount(kDestination, 0));

    const ESet noSet = static_cast<ESet>(7);
    EXPECT_EQ(0, mapping.GetElementCount(noSet));
    EXPECT_EQ(0, mapping.GetRelationCount(kSource, 9));
    EXPECT_EQ(-1, mapping.GetRelationIndex(noSet, 0, 0));
    EXPECT_EQ(0.0, mapping.GetRelationSum(kDestination, -4, true));
    KQelWeightedMapping::KElement& missing = mapping.GetRelation(kSource, 0, 3);
    EXPECT_EQ(-1, missing.mIndex);
    EXPECT_EQ(0.0, missing.mWeight);
    missing.mWeight = 5.0;  // writes to no element
    EXPECT_EQ(0.0, mapping.GetRelation(noSet, 0, 0).mWeight);
    mapping.Normalize(noSet, false);

    KQelWeightedMapping empty(-3, 0);
    EXPECT_EQ(0, empty.GetElementCount(kSource));
}

TEST(WeightedMapping, NormalizeDividesByTheSumAndUpdatesReciprocals)
{
    struct Case {
        std::vector<double> weights;
        bool absolute;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {{1.0, 3.0}, false, {0.25, 0.75}},
        {{-1.0, 3.0}, false, {-0.5, 1.5}},
        {{-1.0, 3.0}, true, {0.25, 0.75}},
        {{2.0, -2.0}, false, {0.0, 0.0}},
    };
    for (const Case& c : cases) {
        KQelWeightedMapping mapping(1, 2);
        for (int d = 0; d < 2; ++d)
            mapping.Add(0, d, c.weights[d]);
        mapping.Normalize(kSource, c.absolute);
        EXPECT_EQ(c.expected, Weights(mapping, kSource, 0));
        for (int d = 0; d < 2; ++d)
            EXPECT_EQ(c.expected[d], mapping.GetRelation(kDestination, d, 0).mWeight);
    }
}

// The normalisation rule written out plainly: each relation's reciprocal is
// found by scanning the other element.
void ReferenceNormalize(KQelWeightedMapping& mapping, ESet set, bool absolute)
{
    const ESet other = set == kSource ? kDestination : kSource;
    for (int e = 0; e < mapping.GetElementCount(set); ++e) {
        const double sum = mapping.GetRelationSum(set, e, absolute);
        for (int i = 0; i < mapping.GetRelationCount(set, e); ++i) {
            KQelWeightedMapping::KElement& r = mapping.GetRelation(set, e, i);
            double weight = sum == 0.0 ? 0.0 : r.mWeight / sum;
            if (absolute)
                weight = std::fabs(weight);
            r.mWeight = weight;
            mapping.GetRelation(other, r.mIndex, mapping.GetRelationIndex(other, r.mIndex, e)).mWeight = weight;
        }
    }
}

TEST(WeightedMapping, NormalizeMatchesThePlainRuleWithDuplicates)
{
    for (ESet set : {kSource, kDestination})
        for (bool absolute : {false, true}) {
            KQelWeightedMapping fast(7, 5), reference(7, 5);
            unsigned seed = 17;
            for (int n = 0; n < 60; ++n) {
                seed = seed * 1103515245u + 12345u;
                const int s = static_cast<int>((seed >> 8) % 7), d = static_cast<int>((seed >> 16) % 5);
                const double weight = static_cast<double>(static_cast<int>(seed >> 20) % 9 - 3);  // duplicates, negatives, zeros
                fast.Add(s, d, weight);
                reference.Add(s, d, weight);
            }
            fast.Normalize(set, absolute);
            ReferenceNormalize(reference, set, absolute);
            for (ESet side : {kSource, kDestination})
                for (int e = 0; e < fast.GetElementCount(side); ++e)
                    EXPECT_EQ(Weights(reference, side, e), Weights(fast, side, e)) << "set " << set << " element " << e;
        }
}

}  // namespace
