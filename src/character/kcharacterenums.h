// The character solver's enumerations, their display texts, and how their
// values travel through filter-set parameter values.
#ifndef QELSDK_CHARACTER_KCHARACTERENUMS_H
#define QELSDK_CHARACTER_KCHARACTERENUMS_H

namespace qelsdk_600 {

// Every enumeration is a plain 32-bit int: a value outside the list is
// stored and read back unchanged, only its text is null.
enum kCharacterPosture : int {
    kCharacterPostureBiped = 0,
    kCharacterPostureQuadruped = 1
};

// The modes of off/auto/user parameters.
enum kCharacterOffAutoUser : int {
    kCharacterOffAutoUserOff = 0,
    kCharacterOffAutoUserAuto = 1,
    kCharacterOffAutoUserUser = 2
};

// The modes of auto/user parameters.
enum kCharacterAutoUser : int {
    kCharacterAutoUserAuto = 0,
    kCharacterAutoUserUser = 1
};

enum kCharacterRollExtractionMode : int {
    kCharacterRollExtractionRelative = 0,
    kCharacterRollExtractionAbsolute = 1
};

// Shared by feet and hands; a hand reads Ankle as Wrist and Toes as Fingers.
enum kCharacterFloorPivot : int {
    kCharacterFloorPivotAuto = 0,
    kCharacterFloorPivotAnkle = 1,
    kCharacterFloorPivotToes = 2
};

// Shared by feet and hands; a hand reads Ankle as Wrist and ToeBase as
// FingerBase.
enum kCharacterFloorContactType : int {
    kCharacterFloorContactNormal = 0,
    kCharacterFloorContactAnkle = 1,
    kCharacterFloorContactToeBase = 2,
    kCharacterFloorContactHoof = 3
};

enum kCharacterFingerContactMode : int {
    kCharacterFingerContactSticky = 0,
    kCharacterFingerContactSpread = 1,
    kCharacterFingerContactStickySpread = 2
};

enum kCharacterHipsTranslationMode : int {
    kCharacterHipsTranslationWorldRigid = 0,
    kCharacterHipsTranslationBodyRigid = 1
};

enum kCharacterContactBehaviour : int {
    kCharacterContactNeverSync = 0,
    kCharacterContactSyncOnKey = 1,
    kCharacterContactAlwaysSync = 2
};

// The type of a control set: any 32-bit value, no names and no texts; 0 is
// the value of a new or reset control set. KQelControlSet::EType names it.
enum EControlSetType : int {};

// Display texts: the constant text of a value (never freed), null for a
// value outside the enumeration.
const char* KCharacter_GetPostureString(kCharacterPosture pValue);
const char* KCharacter_GetOffAutoUserModeString(kCharacterOffAutoUser pValue);
const char* KCharacter_GetAutoUserModeString(kCharacterAutoUser pValue);
const char* KCharacter_GetRollExtractionModeString(kCharacterRollExtractionMode pValue);
const char* KCharacter_GetFootFloorPivotString(kCharacterFloorPivot pValue);
const char* KCharacter_GetHandFloorPivotString(kCharacterFloorPivot pValue);
const char* KCharacter_GetFootContactTypeString(kCharacterFloorContactType pValue);
const char* KCharacter_GetHandContactTypeString(kCharacterFloorContactType pValue);
const char* KCharacter_GetFingerContactModeString(kCharacterFingerContactMode pValue);
const char* KCharacter_GetHipsTranslationModeString(kCharacterHipsTranslationMode pValue);
const char* KCharacter_GetContactBehaviourString(kCharacterContactBehaviour pValue);

// An enumeration value as a filter-set parameter value: the number taken
// as an unsigned 32-bit integer, as a double.
double KCharacter_EnumToParamValue(int pValue);
// A filter-set parameter value as an enumeration value: truncated toward
// zero as a 64-bit integer, keeping the low 32 bits; NaN and values beyond
// the 64-bit range give 0. So KCharacter_EnumToParamValue reads back as the
// same value for every int.
int KCharacter_ParamValueToEnum(double pValue);

}  // namespace qelsdk_600

#endif
