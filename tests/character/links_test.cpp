#include <gtest/gtest.h>

#include "character/kqelcharacterlink.h"
#include "character/kqelcontrolsetlink.h"

namespace qelsdk_600 {
namespace {

// Stand-ins: the records only keep these pointers, never follow them.
KQelNode* const kNodeA = reinterpret_cast<KQelNode*>(0x1000);
KQelNode* const kNodeB = reinterpret_cast<KQelNode*>(0x2000);
KPropertyObjectList* const kListA = reinterpret_cast<KPropertyObjectList*>(0x3000);
KPropertyObjectList* const kListB = reinterpret_cast<KPropertyObjectList*>(0x4000);

void ExpectVector(const KQelVector4& pVector, double pX, double pY, double pZ, double pW)
{
    EXPECT_EQ(pVector[0], pX);
    EXPECT_EQ(pVector[1], pY);
    EXPECT_EQ(pVector[2], pZ);
    EXPECT_EQ(pVector[3], pW);
}

TEST(CharacterLink, CopiesNeverTakeTheLinkProperty)
{
    KQelCharacterLink source;
    ExpectVector(source.mOffsetT, 0, 0, 0, 1);
    ExpectVector(source.mOffsetR, 0, 0, 0, 1);
    ExpectVector(source.mOffsetS, 1, 1, 1, 1);
    source.mNode = kNodeA;
    source.mTemplateName = "Hips";
    source.mOffsetT.Set(1, 2, 3, 4);
    source.mOffsetR.Set(5, 6, 7, 8);
    source.mOffsetS.Set(9, 10, 11, 12);
    source.mLinkProperty = kListA;

    KQelCharacterLink copy(source);
    EXPECT_EQ(copy.mLinkProperty, nullptr);
    EXPECT_EQ(copy.mNode, kNodeA);

    KQelCharacterLink target;
    target.mLinkProperty = kListB;
    target = source;
    EXPECT_EQ(target.mLinkProperty, kListB);
    EXPECT_EQ(target.mNode, kNodeA);
    EXPECT_STREQ(target.mTemplateName.Buffer(), "Hips");
    ExpectVector(target.mOffsetT, 1, 2, 3, 4);
    ExpectVector(target.mOffsetR, 5, 6, 7, 8);
    ExpectVector(target.mOffsetS, 9, 10, 11, 12);

    target.Reset();
    EXPECT_EQ(target.mNode, nullptr);
    EXPECT_TRUE(target.mTemplateName.IsEmpty());
    EXPECT_EQ(target.mLinkProperty, nullptr);
    ExpectVector(target.mOffsetS, 1, 1, 1, 1);
}

TEST(Effector, DefaultFlagsDependOnTheEffector)
{
    const struct {
        int mId;
        bool mT, mR, mCandidateT, mCandidateR;
    } cases[] = {
        {eHipsEffector, true, true, false, false},    {eLeftAnkleEffector, true, true, true, true},
        {eRightAnkleEffector, true, true, true, true}, {eLeftWristEffector, true, false, true, false},
        {eRightWristEffector, true, false, true, false}, {eLeftKneeEffector, false, false, false, false},
        {43, false, false, false, false},             {-1, false, false, false, false},
    };
    for (const auto& c : cases) {
        KQelEffector effector;
        effector.mNode = kNodeB;
        effector.mShow = false;
        effector.ResetToDefault(EEffectorNodeId(c.mId));
        EXPECT_EQ(effector.mNode, nullptr);
        EXPECT_TRUE(effector.mShow);
        EXPECT_EQ(effector.mTActive, c.mT) << c.mId;
        EXPECT_EQ(effector.mRActive, c.mR) << c.mId;
        EXPECT_EQ(effector.mCandidateTActive, c.mCandidateT) << c.mId;
        EXPECT_EQ(effector.mCandidateRActive, c.mCandidateR) << c.mId;
    }
}

}  // namespace
}  // namespace qelsdk_600
