// The solver property set of a character as data: its 191 value properties
// in registration order with their value types, flags, setters and
// filter-set couplings, and the order in which the filter set loads them.
// The property-set class is generated from QEL_CHARACTER_PROPERTIES.
#ifndef QELSDK_CHARACTER_KQELCHARACTERPROPERTIES_LIST_H
#define QELSDK_CHARACTER_KQELCHARACTERPROPERTIES_LIST_H

#include "character/kcharacterenums.h"
#include "math/kgevector.h"
#include "object/kproperty.h"

namespace qelsdk_600 {

class KQelFilterSet;

// The value properties in registration order, one row each. Four kinds:
//  S(Name, Type, Flags): the setter only stores its argument;
//  R(Name, Type): read-only and animatable, no setter; the filter set
//    loads it through the property;
//  W(Name, Type, Flags, Parameter, Clamp): the setter stores the (clamped)
//    argument and writes it through: a bool as the parameter's mode (1 or
//    0), a double as its value;
//  E(Name, Type, Parameter, Text): an enumeration whose setter writes
//    through: off/auto/user and auto/user values as the parameter's mode,
//    the others as its value (the number as an unsigned 32-bit integer);
//    Text gives the display text of a value.
// Flags: Plain, Animatable, or Marked (property flag 1). Clamp: None,
// Iterations ([0, 30]) or Distance ([0.01, 1000]). Each row's getter is
// <Name>Get, its setter <Name>Set (none for R rows: 191 getters and 116
// setters); enumeration rows also have <Name>AsString. The comments count
// rows from 1.
#define QEL_CHARACTER_PROPERTIES(S, R, W, E)                                                  \
    S(Active, bool, Plain)                                                          /*   1 */ \
    S(Lock, bool, Plain)                                                                      \
    S(Weight, double, Animatable)                                                             \
    W(PullIterationCount, double, Plain, 0, Iterations)                                       \
    E(Posture, kCharacterPosture, 1, KCharacter_GetPostureString)                   /*   5 */ \
    W(ForceActorSpace, bool, Plain, 2, None)                                                  \
    S(ScaleCompensation, double, Animatable)                                                  \
    E(ScaleCompensationMode, kCharacterOffAutoUser, 3, KCharacter_GetOffAutoUserModeString)   \
    S(HipsHeightCompensation, double, Animatable)                                             \
    E(HipsHeightCompensationMode, kCharacterOffAutoUser, 4,                         /*  10 */ \
      KCharacter_GetOffAutoUserModeString)                                                    \
    S(AnkleHeightCompensation, double, Animatable)                                            \
    E(AnkleHeightCompensationMode, kCharacterOffAutoUser, 5,                                  \
      KCharacter_GetOffAutoUserModeString)                                                    \
    S(AnkleProximityCompensation, double, Animatable)                                         \
    E(AnkleProximityCompensationMode, kCharacterOffAutoUser, 6,                               \
      KCharacter_GetOffAutoUserModeString)                                                    \
    R(MassCenterCompensation, double)                                               /*  15 */ \
    W(ApplyLimits, bool, Plain, 8, None)                                                      \
    R(ChestReduction, double)                                                                 \
    R(CollarReduction, double)                                                                \
    R(NeckReduction, double)                                                                  \
    R(HeadReduction, double)                                                        /*  20 */ \
    R(ReachActorLeftAnkle, double)                                                            \
    R(ReachActorRightAnkle, double)                                                           \
    R(ReachActorLeftKnee, double)                                                             \
    R(ReachActorRightKnee, double)                                                            \
    R(ReachActorChest, double)                                                      /*  25 */ \
    R(ReachActorHead, double)                                                                 \
    R(ReachActorLeftWrist, double)                                                            \
    R(ReachActorRightWrist, double)                                                           \
    R(ReachActorLeftElbow, double)                                                            \
    R(ReachActorRightElbow, double)                                                 /*  30 */ \
    R(ReachActorLeftFingerBase, double)                                                       \
    R(ReachActorRightFingerBase, double)                                                      \
    R(ReachActorLeftToesBase, double)                                                         \
    R(ReachActorRightToesBase, double)                                                        \
    R(ReachActorLeftFingerBaseRotation, double)                                     /*  35 */ \
    R(ReachActorRightFingerBaseRotation, double)                                              \
    R(ReachActorLeftToesBaseRotation, double)                                                 \
    R(ReachActorRightToesBaseRotation, double)                                                \
    R(ReachActorLeftAnkleRotation, double)                                                    \
    R(ReachActorRightAnkleRotation, double)                                         /*  40 */ \
    R(ReachActorHeadRotation, double)                                                         \
    R(ReachActorLeftWristRotation, double)                                                    \
    R(ReachActorRightWristRotation, double)                                                   \
    R(ReachActorChestRotation, double)                                                        \
    R(ReachActorLowerChestRotation, double)                                         /*  45 */ \
    R(HipsTOffset, KgeTVector)                                                                \
    R(ChestTOffset, KgeTVector)                                                               \
    S(LeftUpLegRoll, double, Animatable)                                                      \
    W(LeftUpLegRollMode, bool, Plain, 67, None)                                               \
    S(LeftLegRoll, double, Animatable)                                              /*  50 */ \
    W(LeftLegRollMode, bool, Plain, 68, None)                                                 \
    S(RightUpLegRoll, double, Animatable)                                                     \
    W(RightUpLegRollMode, bool, Plain, 69, None)                                              \
    S(RightLegRoll, double, Animatable)                                                       \
    W(RightLegRollMode, bool, Plain, 70, None)                                      /*  55 */ \
    S(LeftArmRoll, double, Animatable)                                                        \
    W(LeftArmRollMode, bool, Plain, 71, None)                                                 \
    S(LeftForeArmRoll, double, Animatable)                                                    \
    W(LeftForeArmRollMode, bool, Plain, 72, None)                                             \
    S(RightArmRoll, double, Animatable)                                             /*  60 */ \
    W(RightArmRollMode, bool, Plain, 73, None)                                                \
    S(RightForeArmRoll, double, Animatable)                                                   \
    W(RightForeArmRollMode, bool, Plain, 74, None)                                            \
    E(RollExtractionMode, kCharacterRollExtractionMode, 66,                                   \
      KCharacter_GetRollExtractionModeString)                                                 \
    W(FootFloorContact, bool, Plain, 44, None)                                      /*  65 */ \
    W(FootAutomaticToes, bool, Plain, 52, None)                                               \
    E(FootFloorPivot, kCharacterFloorPivot, 53, KCharacter_GetFootFloorPivotString)           \
    W(FootBottomToAnkle, double, Plain, 45, Distance)                                         \
    W(FootBackToAnkle, double, Plain, 46, Distance)                                           \
    W(FootMiddleToAnkle, double, Plain, 47, Distance)                               /*  70 */ \
    W(FootFrontToMiddle, double, Plain, 48, Distance)                                         \
    W(FootInToAnkle, double, Plain, 49, Distance)                                             \
    W(FootOutToAnkle, double, Plain, 50, Distance)                                            \
    W(FootContactSize, double, Plain, 51, Distance)                                           \
    R(FootContactStiffness, double)                                                 /*  75 */ \
    R(FootFingerContactRollStiffness, double)                                                 \
    W(HandFloorContact, bool, Plain, 55, None)                                                \
    W(HandAutomaticFingers, bool, Plain, 63, None)                                            \
    E(HandFloorPivot, kCharacterFloorPivot, 64, KCharacter_GetHandFloorPivotString)           \
    W(HandBottomToWrist, double, Plain, 56, Distance)                               /*  80 */ \
    W(HandBackToWrist, double, Plain, 57, Distance)                                           \
    W(HandMiddleToWrist, double, Plain, 58, Distance)                                         \
    W(HandFrontToMiddle, double, Plain, 59, Distance)                                         \
    W(HandInToWrist, double, Plain, 60, Distance)                                             \
    W(HandOutToWrist, double, Plain, 61, Distance)                                  /*  85 */ \
    W(HandContactSize, double, Plain, 62, Distance)                                           \
    R(HandContactStiffness, double)                                                           \
    R(HandFingerContactRollStiffness, double)                                                 \
    R(CtrlPullLeftToeBase, double)                                                            \
    R(CtrlPullLeftFoot, double)                                                     /*  90 */ \
    R(CtrlPullLeftKnee, double)                                                               \
    R(CtrlPullRightToeBase, double)                                                           \
    R(CtrlPullRightFoot, double)                                                              \
    R(CtrlPullRightKnee, double)                                                              \
    R(CtrlPullLeftFingerBase, double)                                               /*  95 */ \
    R(CtrlPullLeftHand, double)                                                               \
    R(CtrlPullLeftElbow, double)                                                              \
    R(CtrlPullRightFingerBase, double)                                                        \
    R(CtrlPullRightHand, double)                                                              \
    R(CtrlPullRightElbow, double)                                                   /* 100 */ \
    R(CtrlChestPullLeftHand, double)                                                          \
    R(CtrlChestPullRightHand, double)                                                         \
    R(CtrlPullHead, double)                                                                   \
    R(CtrlResistHipsPosition, double)                                                         \
    R(CtrlEnforceGravity, double)                                                   /* 105 */ \
    R(CtrlResistHipsOrientation, double)                                                      \
    R(CtrlResistChestPosition, double)                                                        \
    R(CtrlResistChestOrientation, double)                                                     \
    R(CtrlResistLeftCollar, double)                                                           \
    R(CtrlResistRightCollar, double)                                                /* 110 */ \
    R(CtrlResistLeftKnee, double)                                                             \
    R(CtrlResistMaximumExtensionLeftKnee, double)                                             \
    R(CtrlResistCompressionFactorLeftKnee, double)                                            \
    R(CtrlResistRightKnee, double)                                                            \
    R(CtrlResistMaximumExtensionRightKnee, double)                                  /* 115 */ \
    R(CtrlResistCompressionFactorRightKnee, double)                                           \
    R(CtrlResistLeftElbow, double)                                                            \
    R(CtrlResistMaximumExtensionLeftElbow, double)                                            \
    R(CtrlResistCompressionFactorLeftElbow, double)                                           \
    R(CtrlResistRightElbow, double)                                                 /* 120 */ \
    R(CtrlResistMaximumExtensionRightElbow, double)                                           \
    R(CtrlResistCompressionFactorRightElbow, double)                                          \
    R(CtrlSpineStiffness, double)                                                             \
    R(CtrlNeckStiffness, double)                                                              \
    W(MirrorMode, bool, Plain, 125, None)                                           /* 125 */ \
    R(ShoulderCorrection, double)                                                             \
    W(LeftKneeKillPitch, bool, Plain, 128, None)                                              \
    W(RightKneeKillPitch, bool, Plain, 129, None)                                             \
    W(LeftElbowKillPitch, bool, Plain, 130, None)                                             \
    W(RightElbowKillPitch, bool, Plain, 131, None)                                  /* 130 */ \
    E(HipsTranslationMode, kCharacterHipsTranslationMode, 132,                                \
      KCharacter_GetHipsTranslationModeString)                                                \
    W(WriteReference, bool, Plain, 175, None)                                                 \
    W(SyncMode, bool, Marked, 176, None)                                                      \
    R(Damping, double)                                                                        \
    S(OrientationDamping, double, Animatable)                                       /* 135 */ \
    E(OrientationDampingMode, kCharacterOffAutoUser, 76, KCharacter_GetOffAutoUserModeString) \
    S(DisplacementDamping, double, Animatable)                                                \
    E(DisplacementDampingMode, kCharacterOffAutoUser, 77, KCharacter_GetOffAutoUserModeString) \
    S(DisplacementMemory, double, Animatable)                                                 \
    E(DisplacementMemoryMode, kCharacterAutoUser, 78,                               /* 140 */ \
      KCharacter_GetAutoUserModeString)                                                       \
    S(HipsDisplacementDamping, double, Animatable)                                            \
    E(HipsDisplacementDampingMode, kCharacterAutoUser, 79, KCharacter_GetAutoUserModeString)  \
    S(AnkleDisplacementDamping, double, Animatable)                                           \
    E(AnkleDisplacementDampingMode, kCharacterAutoUser, 80, KCharacter_GetAutoUserModeString) \
    S(WristDisplacementDamping, double, Animatable)                                 /* 145 */ \
    E(WristDisplacementDampingMode, kCharacterAutoUser, 81, KCharacter_GetAutoUserModeString) \
    R(Stabilization, double)                                                                  \
    S(AnkleStabilizationTime, double, Animatable)                                             \
    E(AnkleStabilizationTimeMode, kCharacterAutoUser, 83, KCharacter_GetAutoUserModeString)   \
    S(AnkleStabilizationPerimeter, double, Animatable)                              /* 150 */ \
    E(AnkleStabilizationPerimeterMode, kCharacterAutoUser, 84,                                \
      KCharacter_GetAutoUserModeString)                                                       \
    S(AnkleStabilizationAngularPerimeter, double, Animatable)                                 \
    E(AnkleStabilizationAngularPerimeterMode, kCharacterOffAutoUser, 85,                      \
      KCharacter_GetOffAutoUserModeString)                                                    \
    S(AnkleStabilizationFloorProximity, double, Animatable)                                   \
    E(AnkleStabilizationFloorProximityMode, kCharacterOffAutoUser, 86,              /* 155 */ \
      KCharacter_GetOffAutoUserModeString)                                                    \
    S(AnkleStabilizationDamping, double, Animatable)                                          \
    E(AnkleStabilizationDampingMode, kCharacterOffAutoUser, 87,                               \
      KCharacter_GetOffAutoUserModeString)                                                    \
    S(AnkleStabilizationRecoveryTime, double, Animatable)                                     \
    E(AnkleStabilizationRecoveryTimeMode, kCharacterOffAutoUser, 88,                          \
      KCharacter_GetOffAutoUserModeString)                                                    \
    W(LeftHandThumbTip, double, Plain, 141, Distance)                               /* 160 */ \
    W(LeftHandIndexTip, double, Plain, 142, Distance)                                         \
    W(LeftHandMiddleTip, double, Plain, 143, Distance)                                        \
    W(LeftHandRingTip, double, Plain, 144, Distance)                                          \
    W(LeftHandPinkyTip, double, Plain, 145, Distance)                                         \
    W(LeftHandExtraFingerTip, double, Plain, 146, Distance)                         /* 165 */ \
    W(RightHandThumbTip, double, Plain, 147, Distance)                                        \
    W(RightHandIndexTip, double, Plain, 148, Distance)                                        \
    W(RightHandMiddleTip, double, Plain, 149, Distance)                                       \
    W(RightHandRingTip, double, Plain, 150, Distance)                                         \
    W(RightHandPinkyTip, double, Plain, 151, Distance)                              /* 170 */ \
    W(RightHandExtraFingerTip, double, Plain, 152, Distance)                                  \
    W(LeftFootThumbTip, double, Plain, 153, Distance)                                         \
    W(LeftFootIndexTip, double, Plain, 154, Distance)                                         \
    W(LeftFootMiddleTip, double, Plain, 155, Distance)                                        \
    W(LeftFootRingTip, double, Plain, 156, Distance)                                /* 175 */ \
    W(LeftFootPinkyTip, double, Plain, 157, Distance)                                         \
    W(LeftFootExtraFingerTip, double, Plain, 158, Distance)                                   \
    W(RightFootThumbTip, double, Plain, 159, Distance)                                        \
    W(RightFootIndexTip, double, Plain, 160, Distance)                                        \
    W(RightFootMiddleTip, double, Plain, 161, Distance)                             /* 180 */ \
    W(RightFootRingTip, double, Plain, 162, Distance)                                         \
    W(RightFootPinkyTip, double, Plain, 163, Distance)                                        \
    W(RightFootExtraFingerTip, double, Plain, 164, Distance)                                  \
    W(FingerSolving, bool, Plain, 165, None)                                                  \
    W(FootFingerContact, bool, Plain, 171, None)                                    /* 185 */ \
    E(FootContactType, kCharacterFloorContactType, 170, KCharacter_GetFootContactTypeString)  \
    E(FootFingerContactMode, kCharacterFingerContactMode, 172,                                \
      KCharacter_GetFingerContactModeString)                                                  \
    W(HandFingerContact, bool, Plain, 167, None)                                              \
    E(HandContactType, kCharacterFloorContactType, 166, KCharacter_GetHandContactTypeString)  \
    E(HandFingerContactMode, kCharacterFingerContactMode, 168,                      /* 190 */ \
      KCharacter_GetFingerContactModeString)                                                  \
    E(ContactBehaviour, kCharacterContactBehaviour, 174, KCharacter_GetContactBehaviourString)

// The position of a value property in registration order:
// eCharacterProperty<Name>, 0 to 190.
enum ECharacterPropertyId : int {
#define QEL_CHARACTER_PROPERTY_ID3(Name, Type, Flags) eCharacterProperty##Name,
#define QEL_CHARACTER_PROPERTY_ID2(Name, Type) eCharacterProperty##Name,
#define QEL_CHARACTER_PROPERTY_ID5(Name, Type, Flags, Parameter, Clamp) eCharacterProperty##Name,
#define QEL_CHARACTER_PROPERTY_ID4(Name, Type, Parameter, Text) eCharacterProperty##Name,
    QEL_CHARACTER_PROPERTIES(QEL_CHARACTER_PROPERTY_ID3, QEL_CHARACTER_PROPERTY_ID2,
                             QEL_CHARACTER_PROPERTY_ID5, QEL_CHARACTER_PROPERTY_ID4)
#undef QEL_CHARACTER_PROPERTY_ID3
#undef QEL_CHARACTER_PROPERTY_ID2
#undef QEL_CHARACTER_PROPERTY_ID5
#undef QEL_CHARACTER_PROPERTY_ID4
};
constexpr int kCharacterPropertyCount = 191;
static_assert(eCharacterPropertyContactBehaviour + 1 == kCharacterPropertyCount, "191 properties");

// Bits of a row's flags.
enum ECharacterPropertyFlags : int {
    eCharacterPropertyFlagPlain = 0,
    eCharacterPropertyFlagAnimatable = 1,  // information flag 2: gets curve channels
    eCharacterPropertyFlagReadOnly = 2,    // property flag 32, no setter
    eCharacterPropertyFlagMarked = 4       // property flag 1
};

// What a property's setter does.
enum ECharacterSetterKind : int {
    eCharacterSetterNone = 0,   // read-only: no setter
    eCharacterSetterStore = 1,  // stores its argument only
    eCharacterSetterWrite = 2   // stores and writes through to the filter set
};

// The half of a filter-set parameter a property is tied to.
enum ECharacterParamPart : int {
    eCharacterParamValue = 0,
    eCharacterParamMode = 1
};

// The range a write-through setter clamps its argument to.
enum ECharacterClamp : int {
    eCharacterClampNone = 0,
    eCharacterClampIterations = 1,  // [0, 30]
    eCharacterClampDistance = 2     // [0.01, 1000], whatever the parameter's range
};

// One value property, as QEL_CHARACTER_PROPERTIES gives it.
struct KCharacterPropertyRow {
    const char* mName;
    kPropertyType mType;          // bool, double, enum or Vector3D
    int mFlags;                   // ECharacterPropertyFlags
    ECharacterSetterKind mSetter;
    int mParameter;               // written-through parameter, -1 for none
    ECharacterParamPart mPart;    // the half written through
    ECharacterClamp mClamp;
    const char* (*mText)(int);    // display text of an enumeration value, else null
};

// The 191 rows, indexed by ECharacterPropertyId.
extern const KCharacterPropertyRow gCharacterPropertyRows[kCharacterPropertyCount];

// A write-through setter's argument clamped to its range: below the lower
// bound it becomes the lower bound, above the upper bound the upper one;
// otherwise, NaN included, it stays unchanged.
double KCharacter_ClampSetterValue(ECharacterClamp pClamp, double pValue);

// One step of loading the properties from the filter set, in order: the
// parameter half read and the property written. Enumerations take a value
// through KCharacter_ParamValueToEnum and a mode unchanged; bools take a
// mode as "not 0"; doubles take a value as is; a vector takes x, y and z
// from mParameter and the two parameters after it, w 1. Direct steps assign
// the property's value; the others set it through the property (SetData),
// which notifies and runs its setter. The property-set constructor runs
// them once; Active, Lock, Weight and the four compensation values are not
// loaded.
struct KCharacterFilterTransfer {
    ECharacterPropertyId mProperty;
    int mParameter;
    ECharacterParamPart mPart;
    bool mThroughProperty;
};

constexpr int kCharacterFilterTransferCount = 184;
extern const KCharacterFilterTransfer gCharacterFilterTransfers[kCharacterFilterTransferCount];

// Values travel below in a property's own representation, as
// KProperty::GetData and SetData exchange them: a bool, a 32-bit enumeration
// value, a double, or x, y and z of a vector as three doubles.

// Writes the value of write-through property pId into the parameter half
// its row names: a bool as mode 1 or 0, an off/auto/user or auto/user value
// as the mode unchanged (a refused mode leaves the parameter as it was), any
// other enumeration value through KCharacter_EnumToParamValue, a double
// unchanged (clamp it first). Nothing for other rows or a null set.
void KCharacter_WriteThrough(ECharacterPropertyId pId, const void* pValue, KQelFilterSet* pSet);

// The value load step pStep gives its property, written to pValue, read
// from pSet as the step says.
void KCharacter_LoadTransfer(const KCharacterFilterTransfer& pStep, const KQelFilterSet& pSet,
                             void* pValue);

}  // namespace qelsdk_600

#endif
