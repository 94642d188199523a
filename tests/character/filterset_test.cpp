#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>

#include "character/kfiltersetinfo.h"
#include "character/kqelfilterset.h"

namespace qelsdk_600 {
namespace {

// Indices of the parameters the cases below use.
enum {
    kPullIterationCount = 0,
    kPosture = 1,
    kForceActorSpace = 2,
    kScaleCompensation = 3,
    kHipsTOffsetX = 38,
    kHipsTOffsetZ = 40,
    kFloorContact = 44,
    kFootBottomToAnkle = 45,
    kDamping = 75,
    kOrientation = 76,
    kDisplacement = 77,
    kDisplacementMemory = 78,
    kStabilization = 82,
    kAnkleStabilizationTime = 83,
    kSyncMode = 176
};

TEST(FilterParamTable, EveryNameFindsItsOwnIndexAndOthersFindNothing)
{
    const KFilterSetInfo* info = GetFilterSetInfo();
    ASSERT_EQ(info, &gFilterSetInfo);
    EXPECT_TRUE(gFilterSetInfoInit);
    ASSERT_EQ(info->GetCount(), 177);
    for (int index = 0; index < info->GetCount(); ++index) {
        const KFilterParamInfo* param = info->GetParam(index);
        ASSERT_GT(std::strlen(param->mName), 0u);
        EXPECT_EQ(info->ParamIndexByName(param->mName), index) << param->mName;
    }
    const struct {
        const char* mName;
        int mIndex;
    } cases[] = {
        {"PullIterationCount", 0},
        {"SyncMode", 176},
        {"pullIterationCount", -1},
        {"ReachActorLeftAnkleRotation", -1},
        {"ReachActorLeftAnkleRotationRotation", 31},
        {"", -1},
        {nullptr, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KQelFilterSet::GetParameterIndex(c.mName), c.mIndex) << (c.mName ? c.mName : "null");

    // An empty table owns no descriptors and finds nothing.
    KFilterSetInfo empty(0);
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_EQ(empty.GetParam(0), nullptr);
    EXPECT_EQ(empty.ParamIndexByName(""), -1);
    KFilterSetInfo blank(2);
    EXPECT_EQ(blank.GetParam(1)->mParentIndex, -1);
    EXPECT_EQ(blank.ParamIndexByName(""), 0);
}

TEST(FilterParamTable, KindsAddUpToTheirTotals)
{
    std::map<int, int> modeTypes, units;
    int second = 0;
    int triple = 0;
    for (int index = 0; index < KQelFilterSet::GetParameterCount(); ++index) {
        const KFilterParamInfo* param = GetFilterSetInfo()->GetParam(index);
        ++modeTypes[param->mModeType];
        ++units[param->mUnit];
        second += param->mSecond ? 1 : 0;
        triple += param->mValueType != eValueTypeSingle ? 1 : 0;
        EXPECT_EQ(param->mInvert, index == kAnkleStabilizationTime) << index;
        if (param->mUnit == eUnitNone) {
            EXPECT_EQ(param->mModeType, eModeTypeOffOn) << index;
        }
        // Parents come first, so the automatic and activity rules end.
        EXPECT_LT(param->mParentIndex, index);
    }
    EXPECT_EQ(modeTypes, (std::map<int, int>{{0, 135}, {1, 26}, {2, 10}, {3, 6}}));
    EXPECT_EQ(units, (std::map<int, int>{{0, 17}, {1, 89}, {2, 5}, {3, 47}, {4, 9}, {5, 10}}));
    EXPECT_EQ(second, 51);
    EXPECT_EQ(triple, 0);

    // An enumeration's maximum is its number of choices.
    const std::map<int, double> enumMax = {{1, 2},   {53, 3},  {64, 3},  {66, 2},  {132, 2},
                                           {166, 4}, {168, 3}, {170, 4}, {172, 3}, {174, 3}};
    for (const auto& entry : enumMax) {
        EXPECT_EQ(KQelFilterSet::GetParameterUnit(entry.first), eUnitEnum);
        EXPECT_EQ(KQelFilterSet::GetParameterMaxValue(entry.first), entry.second);
    }
    const std::map<int, int> parents = {{45, 44}, {51, 44}, {56, 55}, {62, 55}, {76, 75},
                                        {77, 75}, {78, 77}, {81, 77}, {83, 82}, {88, 82}};
    for (const auto& entry : parents)
        EXPECT_EQ(GetFilterSetInfo()->GetParam(entry.first)->mParentIndex, entry.second);
}

TEST(FilterSet, StartsAndResetsAtTheTableDefaults)
{
    KQelFilterSet set;
    for (int index = 0; index < KQelFilterSet::GetParameterCount(); ++index) {
        set.SetParameterValue(index, 1234.5, 0);
        set.SetParameterMode(index, 1);
    }
    set.Reset();
    for (int index = 0; index < KQelFilterSet::GetParameterCount(); ++index) {
        EXPECT_EQ(set.GetParameterMode(index), KQelFilterSet::GetParameterDefaultMode(index));
        EXPECT_EQ(set.GetParameterValue(index, 0), KQelFilterSet::GetParameterDefaultValue(index));
    }
    KQelFilterSet fresh;
    const struct {
        int mIndex;
        int mMode;
        double mValue;
    } defaults[] = {{kPullIterationCount, 0, 10}, {kForceActorSpace, 0, 0}, {kScaleCompensation, 1, 100},
                    {kHipsTOffsetX, 1, 0},       {kFootBottomToAnkle, 1, 7.5}, {kSyncMode, 1, 0}};
    for (const auto& d : defaults) {
        EXPECT_EQ(fresh.GetParameterMode(d.mIndex), d.mMode) << d.mIndex;
        EXPECT_EQ(fresh.GetParameterValue(d.mIndex), d.mValue) << d.mIndex;
    }
}

TEST(FilterSet, ModesAreKeptOnlyWhenTheModeTypeAcceptsThem)
{
    const struct {
        int mIndex;
        int mMode;
        int mExpected;
    } cases[] = {
        {kForceActorSpace, 1, 1},     {kForceActorSpace, 2, 0},  {kScaleCompensation, 2, 2},
        {kScaleCompensation, 3, 1},   {kScaleCompensation, -1, 1}, {kDisplacementMemory, 1, 1},
        {kDisplacementMemory, 2, 0},  {kHipsTOffsetZ, 0, 1},     {kPosture, 1, 0},
    };
    for (const auto& c : cases) {
        KQelFilterSet set;
        set.SetParameterMode(c.mIndex, c.mMode);
        EXPECT_EQ(set.GetParameterMode(c.mIndex), c.mExpected) << c.mIndex << " mode " << c.mMode;
    }
}

TEST(FilterSet, ValuesAreStoredUncheckedInOneComponentAndBadIndicesChangeNothing)
{
    KQelFilterSet set;
    set.SetParameterValue(kFootBottomToAnkle, 50000.0, 0);
    EXPECT_EQ(set.GetParameterValue(kFootBottomToAnkle, 0), 50000.0);
    set.SetParameterValue(kDamping, 3.0, 2);
    EXPECT_EQ(set.GetParameterValue(kDamping, 0), 3.0);
    EXPECT_EQ(set.GetParameterValue(kDamping, 1), 3.0);

    for (int bad : {-1, 177, 100000}) {
        set.SetParameterValue(bad, 9.0, 0);
        set.SetParameterMode(bad, 1);
        EXPECT_EQ(set.GetParameterValue(bad, 0), 0.0);
        EXPECT_EQ(set.GetParameterMode(bad), 0);
        EXPECT_EQ(KQelFilterSet::GetParameterName(bad), nullptr);
        EXPECT_EQ(KQelFilterSet::GetParameterModeType(bad), -1);
        EXPECT_EQ(KQelFilterSet::GetParameterUnit(bad), -1);
        EXPECT_EQ(KQelFilterSet::GetParameterValueType(bad), -1);
        EXPECT_EQ(KQelFilterSet::GetParameterMaxValue(bad), 0.0);
    }
    KFilterSetBase base;
    EXPECT_FALSE(base.IsParamAuto(177));
    EXPECT_FALSE(base.IsParamActive(-2));
    EXPECT_EQ(base.GetParamFact(-1), -1.0);
}

TEST(FilterSet, ActivityFollowsModesAndParents)
{
    KFilterSetBase base;
    EXPECT_TRUE(base.IsParamActive(-1));
    EXPECT_FALSE(base.IsParamActive(kFloorContact));       // on/off parameter, default off
    EXPECT_TRUE(base.IsParamActive(kFootBottomToAnkle));   // no mode: ignores its parent
    EXPECT_TRUE(base.IsParamActive(kDisplacementMemory));  // Auto, parent chain active
    base.SetMode(kDisplacement, 0);
    EXPECT_FALSE(base.IsParamActive(kDisplacement));
    EXPECT_FALSE(base.IsParamActive(kDisplacementMemory));
    base.SetMode(kDisplacementMemory, 1);
    EXPECT_FALSE(base.IsParamActive(kDisplacementMemory));  // whatever its own mode
    base.SetMode(kFloorContact, 1);
    EXPECT_TRUE(base.IsParamActive(kFloorContact));
}

TEST(FilterSet, AutomaticSetupTakesEachShareFromTheNearestNonAutomaticAncestor)
{
    struct Case {
        const char* mWhat;
        double mDamping;
        int mDisplacementMode;
        double mDisplacement;
        double mOrientation;         // expected after the setup
        double mDisplacementAfter;
        double mDisplacementMemory;
    };
    const Case cases[] = {
        {"damping 40", 40, 1, 0, 0.1, 40, 0.1},
        {"displacement user at 60", 40, 2, 60, 0.1, 60, 0.15},
        {"negative damping", -50, 1, 7, 0.0, 0.0, 0.0},
        {"damping above range", 200, 1, 0, 0.5, 200, 0.5},
        {"displacement off at 20", 40, 0, 20, 0.1, 20, 0.05},
    };
    for (const Case& c : cases) {
        KFilterSetBase base;
        base.SetValue(kDamping, c.mDamping);
        base.SetMode(kDisplacement, c.mDisplacementMode);
        base.SetValue(kDisplacement, c.mDisplacement);
        base.SetValue(kOrientation, 99.0);
        base.AutomaticParamSetup();
        EXPECT_DOUBLE_EQ(base.GetValue(kOrientation), c.mOrientation) << c.mWhat;
        EXPECT_DOUBLE_EQ(base.GetValue(kDisplacement), c.mDisplacementAfter) << c.mWhat;
        EXPECT_DOUBLE_EQ(base.GetValue(kDisplacementMemory), c.mDisplacementMemory) << c.mWhat;
        EXPECT_EQ(base.GetMode(kDisplacement), c.mDisplacementMode) << c.mWhat;
    }

    KFilterSetBase base;
    base.SetValue(kStabilization, 25.0);
    base.SetValue(kScaleCompensation, 5.0);  // Auto without parent: back to its default
    base.SetMode(kOrientation, 2);
    base.SetValue(kOrientation, 0.2);        // User: left alone
    base.AutomaticParamSetup();
    EXPECT_DOUBLE_EQ(base.GetValue(kAnkleStabilizationTime), 0.75);
    EXPECT_EQ(base.GetParamFact(kScaleCompensation), -1.0);
    EXPECT_EQ(base.GetValue(kScaleCompensation), 100.0);
    EXPECT_EQ(base.GetValue(kOrientation), 0.2);
}

TEST(FilterSet, CopyTakesEveryModeAndValue)
{
    KFilterSetBase source;
    KFilterSetBase target;
    for (int index = 0; index < source.GetCount(); ++index) {
        source.SetValue(index, index * 0.5);
        source.SetMode(index, index % 3);
    }
    target.Copy(&source);
    target.Copy(nullptr);
    target.Copy(&target);
    for (int index = 0; index < source.GetCount(); ++index) {
        EXPECT_EQ(target.GetMode(index), source.GetMode(index)) << index;
        EXPECT_EQ(target.GetValue(index), source.GetValue(index)) << index;
    }
}

}  // namespace
}  // namespace qelsdk_600
