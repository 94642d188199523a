#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "character/kcharacterenums.h"

namespace qelsdk_600 {
namespace {

typedef const char* (*TextFunction)(int);

template <class E, const char* (*F)(E)>
const char* Call(int pValue)
{
    return F(static_cast<E>(pValue));
}

TEST(CharacterEnumerations, EachValueHasItsTextAndOthersNone)
{
    struct Case {
        const char* mWhat;
        TextFunction mText;
        std::vector<const char*> mTexts;
    };
    const Case cases[] = {
        {"posture", Call<kCharacterPosture, KCharacter_GetPostureString>, {"Biped", "Quadruped"}},
        {"off/auto/user", Call<kCharacterOffAutoUser, KCharacter_GetOffAutoUserModeString>,
         {"Off", "Auto", "User"}},
        {"auto/user", Call<kCharacterAutoUser, KCharacter_GetAutoUserModeString>, {"Auto", "User"}},
        {"roll extraction", Call<kCharacterRollExtractionMode, KCharacter_GetRollExtractionModeString>,
         {"Relative", "Absolute"}},
        {"foot pivot", Call<kCharacterFloorPivot, KCharacter_GetFootFloorPivotString>,
         {"Auto", "Ankle", "Toes"}},
        {"hand pivot", Call<kCharacterFloorPivot, KCharacter_GetHandFloorPivotString>,
         {"Auto", "Wrist", "Fingers"}},
        {"foot contact", Call<kCharacterFloorContactType, KCharacter_GetFootContactTypeString>,
         {"Normal", "Ankle", "ToeBase", "Hoof"}},
        {"hand contact", Call<kCharacterFloorContactType, KCharacter_GetHandContactTypeString>,
         {"Normal", "Wrist", "FingerBase", "Hoof"}},
        {"finger contact", Call<kCharacterFingerContactMode, KCharacter_GetFingerContactModeString>,
         {"Sticky", "Spread", "Sticky & Spread"}},
        {"hips translation", Call<kCharacterHipsTranslationMode, KCharacter_GetHipsTranslationModeString>,
         {"World Rigid", "Body Rigid"}},
        {"contact behaviour", Call<kCharacterContactBehaviour, KCharacter_GetContactBehaviourString>,
         {"Never Sync", "Sync On Key", "Always Sync"}},
    };
    for (const Case& c : cases) {
        int count = int(c.mTexts.size());
        for (int value = 0; value < count; ++value)
            EXPECT_STREQ(c.mText(value), c.mTexts[value]) << c.mWhat << " " << value;
        for (int value : {-1, count, INT_MAX, INT_MIN})
            EXPECT_EQ(c.mText(value), nullptr) << c.mWhat << " " << value;
    }
}

TEST(CharacterEnumerations, ParameterValuesTruncateToTheLow32BitsAndRoundTrip)
{
    const struct {
        double mValue;
        int mExpected;
    } cases[] = {
        {1.9, 1},
        {-0.5, 0},
        {-1.9, -1},
        {4294967295.0, -1},
        {4294967298.7, 2},
        {2147483648.0, INT_MIN},
        {1e18, -1486618624},  // low 32 bits 0xA7640000
        {9223372036854775808.0, 0},  // 2^63: beyond 64 bits
        {-9223372036854775808.0, 0},  // -2^63: low 32 bits are zero
        {1e30, 0},
        {-1e30, 0},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KCharacter_ParamValueToEnum(c.mValue), c.mExpected) << c.mValue;

    for (int value : {0, 1, 7, -1, INT_MAX, INT_MIN}) {
        double stored = KCharacter_EnumToParamValue(value);
        EXPECT_GE(stored, 0.0);
        EXPECT_EQ(KCharacter_ParamValueToEnum(stored), value) << value;
    }
    EXPECT_EQ(KCharacter_EnumToParamValue(1), 1.0);
    EXPECT_EQ(KCharacter_EnumToParamValue(-1), 4294967295.0);
}

}  // namespace
}  // namespace qelsdk_600
