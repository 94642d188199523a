#include "character/kcharacterenums.h"

#include <cstdint>

namespace qelsdk_600 {
namespace {

template <int N>
const char* TextAt(const char* const (&pTexts)[N], int pValue)
{
    return pValue >= 0 && pValue < N ? pTexts[pValue] : nullptr;
}

const char* const sPostureTexts[] = {"Biped", "Quadruped"};
const char* const sOffAutoUserTexts[] = {"Off", "Auto", "User"};
const char* const sAutoUserTexts[] = {"Auto", "User"};
const char* const sRollExtractionTexts[] = {"Relative", "Absolute"};
const char* const sFootFloorPivotTexts[] = {"Auto", "Ankle", "Toes"};
const char* const sHandFloorPivotTexts[] = {"Auto", "Wrist", "Fingers"};
const char* const sFootContactTypeTexts[] = {"Normal", "Ankle", "ToeBase", "Hoof"};
const char* const sHandContactTypeTexts[] = {"Normal", "Wrist", "FingerBase", "Hoof"};
const char* const sFingerContactModeTexts[] = {"Sticky", "Spread", "Sticky & Spread"};
const char* const sHipsTranslationTexts[] = {"World Rigid", "Body Rigid"};
const char* const sContactBehaviourTexts[] = {"Never Sync", "Sync On Key", "Always Sync"};

}  // namespace

const char* KCharacter_GetPostureString(kCharacterPosture pValue)
{
    return TextAt(sPostureTexts, pValue);
}

const char* KCharacter_GetOffAutoUserModeString(kCharacterOffAutoUser pValue)
{
    return TextAt(sOffAutoUserTexts, pValue);
}

const char* KCharacter_GetAutoUserModeString(kCharacterAutoUser pValue)
{
    return TextAt(sAutoUserTexts, pValue);
}

const char* KCharacter_GetRollExtractionModeString(kCharacterRollExtractionMode pValue)
{
    return TextAt(sRollExtractionTexts, pValue);
}

const char* KCharacter_GetFootFloorPivotString(kCharacterFloorPivot pValue)
{
    return TextAt(sFootFloorPivotTexts, pValue);
}

const char* KCharacter_GetHandFloorPivotString(kCharacterFloorPivot pValue)
{
    return TextAt(sHandFloorPivotTexts, pValue);
}

const char* KCharacter_GetFootContactTypeString(kCharacterFloorContactType pValue)
{
    return TextAt(sFootContactTypeTexts, pValue);
}

const char* KCharacter_GetHandContactTypeString(kCharacterFloorContactType pValue)
{
    return TextAt(sHandContactTypeTexts, pValue);
}

const char* KCharacter_GetFingerContactModeString(kCharacterFingerContactMode pValue)
{
    return TextAt(sFingerContactModeTexts, pValue);
}

const char* KCharacter_GetHipsTranslationModeString(kCharacterHipsTranslationMode pValue)
{
    return TextAt(sHipsTranslationTexts, pValue);
}

const char* KCharacter_GetContactBehaviourString(kCharacterContactBehaviour pValue)
{
    return TextAt(sContactBehaviourTexts, pValue);
}

double KCharacter_EnumToParamValue(int pValue)
{
    return static_cast<double>(static_cast<std::uint32_t>(pValue));
}

int KCharacter_ParamValueToEnum(double pValue)
{
    // 2^63: the first value a 64-bit integer cannot hold. NaN fails both tests.
    const double limit = 9223372036854775808.0;
    if (!(pValue >= -limit && pValue < limit))
        return 0;
    std::uint32_t low = static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(pValue)));
    return low <= 0x7FFFFFFFu ? static_cast<int>(low)
                              : static_cast<int>(static_cast<std::int64_t>(low) - 0x100000000LL);
}

}  // namespace qelsdk_600
