#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "character/kcharacternodeid.h"
#include "character/keffectornodeid.h"
#include "character/kfiltersetinfo.h"
#include "character/kqelcharacterproperties_list.h"
#include "character/kqelcontrolsetplug_list.h"
#include "character/kqelfilterset.h"

namespace qelsdk_600 {
namespace {

const KCharacterPropertyRow& Row(int pId)
{
    return gCharacterPropertyRows[pId];
}

// The texts of an enumeration property, value 0 up to the first without one.
std::vector<std::string> Texts(const KCharacterPropertyRow& pRow)
{
    std::vector<std::string> texts;
    for (int value = 0; pRow.mText && pRow.mText(value); ++value)
        texts.push_back(pRow.mText(value));
    return texts;
}

// Whether a parameter name fits the property it is loaded into or written
// from: the same name, the name with "Mode" for the mode half, "Param" in
// front, "X" after for a vector, or one of the renamed pairs.
bool NamesFit(const std::string& pProperty, const std::string& pParameter, ECharacterParamPart pPart)
{
    static const std::map<std::string, std::string> renamed = {
        {"FootFloorContact", "FloorContact"},
        {"FootAutomaticToes", "AutomaticToes"},
        {"FootFloorPivot", "FloorPivot"},
        {"FootContactSize", "ContactSize"},
        {"HandAutomaticFingers", "AutomaticFingers"},
        {"MirrorMode", "Mirror"},
        {"OrientationDamping", "Orientation"},
        {"OrientationDampingMode", "Orientation"},
        {"DisplacementDamping", "Displacement"},
        {"DisplacementDampingMode", "Displacement"},
        {"ReachActorLeftAnkleRotation", "ReachActorLeftAnkleRotationRotation"},
    };
    auto it = renamed.find(pProperty);
    if (it != renamed.end())
        return it->second == pParameter;
    if (pPart == eCharacterParamMode && pProperty == pParameter + "Mode")
        return true;
    return pProperty == pParameter || "Param" + pProperty == pParameter || pProperty + "X" == pParameter;
}

TEST(CharacterPropertyList, RowsHaveTheirKindsCounts)
{
    std::set<std::string> names;
    std::map<int, int> types, setters;
    std::map<std::vector<std::string>, int> enumerations;
    int animatable = 0;
    for (int id = 0; id < kCharacterPropertyCount; ++id) {
        const KCharacterPropertyRow& row = Row(id);
        names.insert(row.mName);
        ++types[row.mType];
        ++setters[row.mSetter];
        animatable += row.mFlags & eCharacterPropertyFlagAnimatable ? 1 : 0;
        bool readOnly = (row.mFlags & eCharacterPropertyFlagReadOnly) != 0;
        EXPECT_EQ(readOnly, row.mSetter == eCharacterSetterNone) << row.mName;
        if (readOnly) {
            EXPECT_TRUE(row.mFlags & eCharacterPropertyFlagAnimatable) << row.mName;
        }
        EXPECT_EQ(row.mText != nullptr, row.mType == kPropertyEnum) << row.mName;
        EXPECT_EQ((row.mFlags & eCharacterPropertyFlagMarked) != 0, std::string(row.mName) == "SyncMode");
        if (row.mText)
            ++enumerations[Texts(row)];
    }
    EXPECT_EQ(names.size(), 191u);
    EXPECT_STREQ(Row(0).mName, "Active");
    EXPECT_STREQ(Row(eCharacterPropertyContactBehaviour).mName, "ContactBehaviour");
    EXPECT_EQ(animatable, 100);
    EXPECT_EQ(types, (std::map<int, int>{{kPropertyBool, 26}, {kPropertyDouble, 137},
                                         {kPropertyEnum, 26}, {kPropertyVector3D, 2}}));
    EXPECT_EQ(setters, (std::map<int, int>{{eCharacterSetterNone, 75}, {eCharacterSetterStore, 27},
                                           {eCharacterSetterWrite, 89}}));
    typedef std::vector<std::string> T;
    EXPECT_EQ(enumerations, (std::map<T, int>{{T{"Off", "Auto", "User"}, 10},
                                              {T{"Auto", "User"}, 6},
                                              {T{"Auto", "Ankle", "Toes"}, 1},
                                              {T{"Auto", "Wrist", "Fingers"}, 1},
                                              {T{"Normal", "Ankle", "ToeBase", "Hoof"}, 1},
                                              {T{"Normal", "Wrist", "FingerBase", "Hoof"}, 1},
                                              {T{"Sticky", "Spread", "Sticky & Spread"}, 2},
                                              {T{"Biped", "Quadruped"}, 1},
                                              {T{"Relative", "Absolute"}, 1},
                                              {T{"World Rigid", "Body Rigid"}, 1},
                                              {T{"Never Sync", "Sync On Key", "Always Sync"}, 1}}));
}

TEST(CharacterPropertyList, WriteThroughSettersReachAParameterHalfThatFits)
{
    int distance = 0;
    for (int id = 0; id < kCharacterPropertyCount; ++id) {
        const KCharacterPropertyRow& row = Row(id);
        if (row.mSetter != eCharacterSetterWrite) {
            EXPECT_EQ(row.mParameter, -1) << row.mName;
            continue;
        }
        const char* parameter = KQelFilterSet::GetParameterName(row.mParameter);
        ASSERT_NE(parameter, nullptr) << row.mName;
        EXPECT_TRUE(NamesFit(row.mName, parameter, row.mPart)) << row.mName << " -> " << parameter;
        int modeType = KQelFilterSet::GetParameterModeType(row.mParameter);
        int choices = int(Texts(row).size());
        if (row.mPart == eCharacterParamMode) {
            // The mode half: a bool is on/off, an enumeration offers the modes.
            int expected = row.mType == kPropertyBool ? eModeTypeOffOn
                           : choices == 3             ? eModeTypeOffAutoUser
                                                      : eModeTypeAutoUser;
            EXPECT_EQ(modeType, expected) << row.mName;
        } else if (row.mType == kPropertyEnum) {
            EXPECT_EQ(KQelFilterSet::GetParameterUnit(row.mParameter), eUnitEnum) << row.mName;
            EXPECT_EQ(KQelFilterSet::GetParameterMaxValue(row.mParameter), choices) << row.mName;
        } else {
            EXPECT_EQ(row.mType, kPropertyDouble) << row.mName;
        }
        EXPECT_EQ(row.mClamp == eCharacterClampIterations, row.mParameter == 0) << row.mName;
        distance += row.mClamp == eCharacterClampDistance ? 1 : 0;
    }
    EXPECT_EQ(distance, 38);
}

TEST(CharacterPropertyList, SetterClampsKeepTheirOwnRanges)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        ECharacterClamp mClamp;
        double mValue;
        double mExpected;
    } cases[] = {
        {eCharacterClampIterations, 45, 30},   {eCharacterClampIterations, -3, 0},
        {eCharacterClampIterations, 12.5, 12.5}, {eCharacterClampDistance, 5, 5},
        {eCharacterClampDistance, 0, 0.01},    {eCharacterClampDistance, 5000, 1000},
        {eCharacterClampNone, -5000, -5000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KCharacter_ClampSetterValue(c.mClamp, c.mValue), c.mExpected) << c.mValue;
    EXPECT_TRUE(std::isnan(KCharacter_ClampSetterValue(eCharacterClampDistance, nan)));
}

TEST(CharacterPropertyList, FilterSetLoadFillsEachPropertyOnceFromItsOwnHalf)
{
    std::map<int, int> loaded;
    std::set<std::pair<int, int>> halves;
    for (const KCharacterFilterTransfer& step : gCharacterFilterTransfers) {
        const KCharacterPropertyRow& row = Row(step.mProperty);
        ++loaded[step.mProperty];
        EXPECT_TRUE(halves.insert({step.mParameter, step.mPart}).second) << row.mName;
        const char* parameter = KQelFilterSet::GetParameterName(step.mParameter);
        ASSERT_NE(parameter, nullptr) << row.mName;
        EXPECT_TRUE(NamesFit(row.mName, parameter, step.mPart)) << row.mName << " <- " << parameter;
        if (row.mSetter == eCharacterSetterWrite) {
            EXPECT_EQ(step.mParameter, row.mParameter) << row.mName;
            EXPECT_EQ(step.mPart, row.mPart) << row.mName;
        } else {
            // No setter of their own to the filter set: loaded through the
            // property, and read-only ones store it themselves.
            EXPECT_TRUE(step.mThroughProperty) << row.mName;
            EXPECT_EQ(step.mPart, eCharacterParamValue) << row.mName;
        }
        if (row.mType == kPropertyVector3D) {
            EXPECT_EQ(KQelFilterSet::GetParameterName(step.mParameter + 2), std::string(row.mName) + "Z");
            EXPECT_TRUE(halves.insert({step.mParameter + 1, step.mPart}).second);
            EXPECT_TRUE(halves.insert({step.mParameter + 2, step.mPart}).second);
        }
    }
    const std::set<int> notLoaded = {
        eCharacterPropertyActive, eCharacterPropertyLock, eCharacterPropertyWeight,
        eCharacterPropertyScaleCompensation, eCharacterPropertyHipsHeightCompensation,
        eCharacterPropertyAnkleHeightCompensation, eCharacterPropertyAnkleProximityCompensation};
    for (int id = 0; id < kCharacterPropertyCount; ++id)
        EXPECT_EQ(loaded[id], notLoaded.count(id) ? 0 : 1) << Row(id).mName;
    // Only the write-through modes of the damping and stabilization
    // parameters go through the property; all other written rows are direct.
    for (const KCharacterFilterTransfer& step : gCharacterFilterTransfers) {
        const KCharacterPropertyRow& row = Row(step.mProperty);
        if (row.mSetter == eCharacterSetterWrite) {
            bool damping = step.mParameter >= 76 && step.mParameter <= 88 && step.mParameter != 82;
            EXPECT_EQ(step.mThroughProperty, damping) << row.mName;
        }
    }
}

// A setter as the property set runs it: clamp, store, write through. The
// argument is given as a double and passed as the property's own type.
void Set(ECharacterPropertyId pId, double pArgument, KQelFilterSet& pSet)
{
    const KCharacterPropertyRow& row = Row(pId);
    if (row.mType == kPropertyBool) {
        bool value = pArgument != 0.0;
        KCharacter_WriteThrough(pId, &value, &pSet);
    } else if (row.mType == kPropertyEnum) {
        int value = int(pArgument);
        KCharacter_WriteThrough(pId, &value, &pSet);
    } else {
        double value = KCharacter_ClampSetterValue(row.mClamp, pArgument);
        KCharacter_WriteThrough(pId, &value, &pSet);
    }
}

const KCharacterFilterTransfer& LoadStep(ECharacterPropertyId pId)
{
    for (const KCharacterFilterTransfer& step : gCharacterFilterTransfers) {
        if (step.mProperty == pId)
            return step;
    }
    ADD_FAILURE() << Row(pId).mName << " is not loaded";
    return gCharacterFilterTransfers[0];
}

TEST(CharacterPropertyList, SettersWriteTheirConvertedValueIntoTheirParameter)
{
    const struct {
        ECharacterPropertyId mId;
        double mArgument;
        int mParameter;
        int mMode;  // expected after the setter
        double mValue;
    } cases[] = {
        {eCharacterPropertyPullIterationCount, 45, 0, 0, 30},
        {eCharacterPropertyPullIterationCount, -3, 0, 0, 0},
        {eCharacterPropertyFootContactSize, 5, 51, 1, 5},  // below the table's minimum
        {eCharacterPropertyLeftHandThumbTip, 0, 141, 0, 0.01},
        {eCharacterPropertyHandBottomToWrist, 5000, 56, 1, 1000},
        {eCharacterPropertyForceActorSpace, 1, 2, 1, 0},
        {eCharacterPropertyScaleCompensationMode, 2, 3, 2, 100},
        {eCharacterPropertyScaleCompensationMode, 3, 3, 1, 100},  // refused mode
        {eCharacterPropertyPosture, 1, 1, 0, 1},
        {eCharacterPropertyContactBehaviour, -1, 174, 0, 4294967295.0},
        {eCharacterPropertyScaleCompensation, 50, 3, 1, 100},       // store-only
        {eCharacterPropertyMassCenterCompensation, 1, 7, 1, 80},    // read-only
    };
    for (const auto& c : cases) {
        KQelFilterSet set;
        Set(c.mId, c.mArgument, set);
        EXPECT_EQ(set.GetParameterMode(c.mParameter), c.mMode) << Row(c.mId).mName << " " << c.mArgument;
        EXPECT_EQ(set.GetParameterValue(c.mParameter, 0), c.mValue) << Row(c.mId).mName << " " << c.mArgument;
    }
}

TEST(CharacterPropertyList, LoadStepsConvertTheParameterHalfToThePropertyType)
{
    KQelFilterSet set;
    set.SetParameterValue(1, 1.9, 0);
    set.SetParameterValue(174, 4294967295.0, 0);
    set.SetParameterMode(8, 1);
    set.SetParameterMode(3, 2);
    set.SetParameterValue(38, 1.0, 0);
    set.SetParameterValue(39, 2.0, 0);
    set.SetParameterValue(40, 3.0, 0);
    set.SetParameterValue(51, 5000.0, 0);

    int posture = -5;
    KCharacter_LoadTransfer(LoadStep(eCharacterPropertyPosture), set, &posture);
    EXPECT_EQ(posture, 1);
    int behaviour = 0;
    KCharacter_LoadTransfer(LoadStep(eCharacterPropertyContactBehaviour), set, &behaviour);
    EXPECT_EQ(behaviour, -1);
    bool limits = false;
    KCharacter_LoadTransfer(LoadStep(eCharacterPropertyApplyLimits), set, &limits);
    EXPECT_TRUE(limits);
    int mode = 0;
    KCharacter_LoadTransfer(LoadStep(eCharacterPropertyScaleCompensationMode), set, &mode);
    EXPECT_EQ(mode, 2);
    double offset[3] = {};
    KCharacter_LoadTransfer(LoadStep(eCharacterPropertyHipsTOffset), set, offset);
    EXPECT_EQ(offset[0], 1.0);
    EXPECT_EQ(offset[1], 2.0);
    EXPECT_EQ(offset[2], 3.0);
    double size = 0.0;
    KCharacter_LoadTransfer(LoadStep(eCharacterPropertyFootContactSize), set, &size);
    EXPECT_EQ(size, 5000.0);  // loading never clamps

    set.SetParameterValue(1, -0.5, 0);
    KCharacter_LoadTransfer(LoadStep(eCharacterPropertyPosture), set, &posture);
    EXPECT_EQ(posture, 0);
}

TEST(ControlSetPlugPropertyList, ValuesThenNamedLinkListsThenEffectorLists)
{
    ASSERT_EQ(GetControlSetPlugPropertyRow(-1), nullptr);
    ASSERT_EQ(GetControlSetPlugPropertyRow(kControlSetPlugPropertyCount), nullptr);
    EXPECT_STREQ(GetControlSetPlugPropertyRow(0)->mName, "UseAxis");
    EXPECT_EQ(GetControlSetPlugPropertyRow(0)->mType, kPropertyBool);
    EXPECT_STREQ(GetControlSetPlugPropertyRow(1)->mName, "ControlSetType");
    EXPECT_EQ(GetControlSetPlugPropertyRow(1)->mType, kPropertyEnum);

    std::set<std::string> names;
    int previousTag = -1;
    std::vector<int> linkTags;
    for (int index = 2; index < kControlSetPlugPropertyCount; ++index) {
        const KControlSetPlugPropertyRow* row = GetControlSetPlugPropertyRow(index);
        names.insert(row->mName);
        EXPECT_EQ(row->mType, kPropertyObject);
        bool link = index < 2 + 187;
        EXPECT_EQ(row->mKind, link ? eControlSetPlugLinkList : eControlSetPlugEffectorList) << index;
        EXPECT_EQ(row->mContent, link ? 1 : 15) << index;
        if (index == 2 + 187)
            previousTag = -1;
        EXPECT_GT(row->mTag, previousTag) << row->mName;
        previousTag = row->mTag;
        if (link) {
            linkTags.push_back(row->mTag);
            const char* nodeName = nullptr;
            ASSERT_TRUE(KQelCharacterNodeIds::GetCharacterNodeNameFromNodeId(ECharacterNodeId(row->mTag),
                                                                              nodeName));
            EXPECT_STREQ(row->mName, nodeName);
        } else {
            EXPECT_STREQ(row->mName, KQelEffectorNodeIds::GetEffectorNodeName(EEffectorNodeId(row->mTag)));
        }
    }
    EXPECT_EQ(names.size(), 231u);
    EXPECT_STREQ(GetControlSetPlugPropertyRow(2)->mName, "Hips");
    EXPECT_STREQ(GetControlSetPlugPropertyRow(2 + 67)->mName, "Reference");
    EXPECT_STREQ(GetControlSetPlugPropertyRow(2 + 187)->mName, "HipsEffector");
    EXPECT_STREQ(GetControlSetPlugPropertyRow(232)->mName, "RightFootExtraFingerEffector");
    for (int unnamed : {68, 69, 88, 89})
        EXPECT_EQ(std::count(linkTags.begin(), linkTags.end(), unnamed), 0) << unnamed;
}

}  // namespace
}  // namespace qelsdk_600
