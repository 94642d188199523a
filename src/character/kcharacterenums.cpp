#include "character/kcharacterenums.h"

#include <cstdint>

namespace qelsdk_600 {
namespace {

template <int N>
const char* TextAt(const char* const (&pTexts)[N], int pValue)
{
    return pValue >= 0 && pValue < N ? pTexts[pValue] : nullptr;
}

}  // namespace

// Each text function holds its texts in value order.
#define QEL_TEXT_FUNCTION(Name, Enum, ...)                  \
    const char* KCharacter_##Name(Enum pValue)              \
    {                                                       \
        static const char* const sTexts[] = {__VA_ARGS__};  \
        return TextAt(sTexts, pValue);                      \
    }

QEL_TEXT_FUNCTION(GetPostureString, kCharacterPosture, "Biped", "Quadruped")
QEL_TEXT_FUNCTION(GetOffAutoUserModeString, kCharacterOffAutoUser, "Off", "Auto", "User")
QEL_TEXT_FUNCTION(GetAutoUserModeString, kCharacterAutoUser, "Auto", "User")
QEL_TEXT_FUNCTION(GetRollExtractionModeString, kCharacterRollExtractionMode, "Relative", "Absolute")
QEL_TEXT_FUNCTION(GetFootFloorPivotString, kCharacterFloorPivot, "Auto", "Ankle", "Toes")
QEL_TEXT_FUNCTION(GetHandFloorPivotString, kCharacterFloorPivot, "Auto", "Wrist", "Fingers")
QEL_TEXT_FUNCTION(GetFootContactTypeString, kCharacterFloorContactType, "Normal", "Ankle", "ToeBase", "Hoof")
QEL_TEXT_FUNCTION(GetHandContactTypeString, kCharacterFloorContactType, "Normal", "Wrist", "FingerBase",
                  "Hoof")
QEL_TEXT_FUNCTION(GetFingerContactModeString, kCharacterFingerContactMode, "Sticky", "Spread",
                  "Sticky & Spread")
QEL_TEXT_FUNCTION(GetHipsTranslationModeString, kCharacterHipsTranslationMode, "World Rigid", "Body Rigid")
QEL_TEXT_FUNCTION(GetContactBehaviourString, kCharacterContactBehaviour, "Never Sync", "Sync On Key",
                  "Always Sync")
#undef QEL_TEXT_FUNCTION

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
