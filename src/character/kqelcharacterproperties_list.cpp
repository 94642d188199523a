#include "character/kqelcharacterproperties_list.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "character/kqelfilterset.h"

namespace qelsdk_600 {
namespace {

template <class T>
constexpr kPropertyType PropertyTypeOf()
{
    if constexpr (std::is_enum<T>::value)
        return kPropertyEnum;
    else if constexpr (std::is_same<T, bool>::value)
        return kPropertyBool;
    else if constexpr (std::is_same<T, double>::value)
        return kPropertyDouble;
    else
        return kPropertyVector3D;
}

// Bools and the two mode enumerations travel as a parameter's mode, every
// other value as its value.
template <class T>
constexpr ECharacterParamPart PartOf()
{
    return std::is_same<T, bool>::value || std::is_same<T, kCharacterOffAutoUser>::value ||
                   std::is_same<T, kCharacterAutoUser>::value
               ? eCharacterParamMode
               : eCharacterParamValue;
}

}  // namespace

const KCharacterPropertyRow gCharacterPropertyRows[kCharacterPropertyCount] = {
#define QEL_ROW_S(Name, Type, Flags)                                                    \
    {#Name, PropertyTypeOf<Type>(), eCharacterPropertyFlag##Flags, eCharacterSetterStore, -1, \
     PartOf<Type>(), eCharacterClampNone, nullptr},
#define QEL_ROW_R(Name, Type)                                                           \
    {#Name, PropertyTypeOf<Type>(), eCharacterPropertyFlagAnimatable | eCharacterPropertyFlagReadOnly, \
     eCharacterSetterNone, -1, PartOf<Type>(), eCharacterClampNone, nullptr},
#define QEL_ROW_W(Name, Type, Flags, Parameter, Clamp)                                  \
    {#Name, PropertyTypeOf<Type>(), eCharacterPropertyFlag##Flags, eCharacterSetterWrite, Parameter, \
     PartOf<Type>(), eCharacterClamp##Clamp, nullptr},
#define QEL_ROW_E(Name, Type, Parameter, Text)                                          \
    {#Name, PropertyTypeOf<Type>(), eCharacterPropertyFlagPlain, eCharacterSetterWrite, Parameter, \
     PartOf<Type>(), eCharacterClampNone,                                               \
     +[](int pValue) -> const char* { return Text(static_cast<Type>(pValue)); }},
    QEL_CHARACTER_PROPERTIES(QEL_ROW_S, QEL_ROW_R, QEL_ROW_W, QEL_ROW_E)
#undef QEL_ROW_S
#undef QEL_ROW_R
#undef QEL_ROW_W
#undef QEL_ROW_E
};

double KCharacter_ClampSetterValue(ECharacterClamp pClamp, double pValue)
{
    double low = 0.0;
    double high = 0.0;
    switch (pClamp) {
    case eCharacterClampIterations:
        low = 0.0;
        high = 30.0;
        break;
    case eCharacterClampDistance:
        low = 0.01;
        high = 1000.0;
        break;
    default:
        return pValue;
    }
    if (pValue < low)
        return low;
    if (pValue > high)
        return high;
    return pValue;
}

namespace {
constexpr bool kDirect = false;
constexpr bool kThrough = true;
}  // namespace

// The numbers are the steps of the load, in order.
const KCharacterFilterTransfer gCharacterFilterTransfers[kCharacterFilterTransferCount] = {
#define QEL_LOAD(Name, Parameter, Part, Way) {eCharacterProperty##Name, Parameter, eCharacterParam##Part, Way},
    QEL_LOAD(PullIterationCount, 0, Value, kDirect)                          // 1
    QEL_LOAD(Posture, 1, Value, kDirect)                                     // 2
    QEL_LOAD(ForceActorSpace, 2, Mode, kDirect)                              // 3
    QEL_LOAD(ScaleCompensationMode, 3, Mode, kDirect)                        // 4
    QEL_LOAD(HipsHeightCompensationMode, 4, Mode, kDirect)
    QEL_LOAD(AnkleHeightCompensationMode, 5, Mode, kDirect)
    QEL_LOAD(AnkleProximityCompensationMode, 6, Mode, kDirect)
    QEL_LOAD(MassCenterCompensation, 7, Value, kThrough)                     // 5
    QEL_LOAD(ApplyLimits, 8, Mode, kDirect)                                  // 6
    QEL_LOAD(ChestReduction, 9, Value, kThrough)                             // 7
    QEL_LOAD(CollarReduction, 10, Value, kThrough)
    QEL_LOAD(NeckReduction, 11, Value, kThrough)
    QEL_LOAD(HeadReduction, 12, Value, kThrough)
    QEL_LOAD(FootContactStiffness, 54, Value, kThrough)                      // 8
    QEL_LOAD(HandContactStiffness, 65, Value, kThrough)
    QEL_LOAD(FootFingerContactRollStiffness, 173, Value, kThrough)
    QEL_LOAD(HandFingerContactRollStiffness, 169, Value, kThrough)
    QEL_LOAD(ReachActorLeftAnkle, 13, Value, kThrough)                       // 9
    QEL_LOAD(ReachActorRightAnkle, 14, Value, kThrough)
    QEL_LOAD(ReachActorLeftKnee, 15, Value, kThrough)
    QEL_LOAD(ReachActorRightKnee, 16, Value, kThrough)
    QEL_LOAD(ReachActorChest, 17, Value, kThrough)
    QEL_LOAD(ReachActorHead, 18, Value, kThrough)
    QEL_LOAD(ReachActorLeftWrist, 19, Value, kThrough)
    QEL_LOAD(ReachActorRightWrist, 20, Value, kThrough)
    QEL_LOAD(ReachActorLeftElbow, 21, Value, kThrough)
    QEL_LOAD(ReachActorRightElbow, 22, Value, kThrough)
    QEL_LOAD(ReachActorRightFingerBase, 24, Value, kThrough)
    QEL_LOAD(ReachActorLeftFingerBase, 23, Value, kThrough)
    QEL_LOAD(ReachActorRightToesBase, 26, Value, kThrough)
    QEL_LOAD(ReachActorLeftToesBase, 25, Value, kThrough)
    QEL_LOAD(ReachActorRightFingerBaseRotation, 28, Value, kThrough)
    QEL_LOAD(ReachActorLeftFingerBaseRotation, 27, Value, kThrough)
    QEL_LOAD(ReachActorRightToesBaseRotation, 30, Value, kThrough)
    QEL_LOAD(ReachActorLeftToesBaseRotation, 29, Value, kThrough)
    QEL_LOAD(ReachActorLeftAnkleRotation, 31, Value, kThrough)
    QEL_LOAD(ReachActorRightAnkleRotation, 32, Value, kThrough)
    QEL_LOAD(ReachActorHeadRotation, 33, Value, kThrough)
    QEL_LOAD(ReachActorLeftWristRotation, 34, Value, kThrough)
    QEL_LOAD(ReachActorRightWristRotation, 35, Value, kThrough)
    QEL_LOAD(ReachActorChestRotation, 36, Value, kThrough)
    QEL_LOAD(ReachActorLowerChestRotation, 37, Value, kThrough)
    QEL_LOAD(HipsTOffset, 38, Value, kThrough)                               // 10
    QEL_LOAD(ChestTOffset, 41, Value, kThrough)                              // 11
    QEL_LOAD(LeftUpLegRoll, 67, Value, kThrough)                             // 12
    QEL_LOAD(LeftUpLegRollMode, 67, Mode, kDirect)
    QEL_LOAD(LeftLegRoll, 68, Value, kThrough)
    QEL_LOAD(LeftLegRollMode, 68, Mode, kDirect)
    QEL_LOAD(RightUpLegRoll, 69, Value, kThrough)
    QEL_LOAD(RightUpLegRollMode, 69, Mode, kDirect)
    QEL_LOAD(RightLegRoll, 70, Value, kThrough)
    QEL_LOAD(RightLegRollMode, 70, Mode, kDirect)
    QEL_LOAD(LeftArmRoll, 71, Value, kThrough)
    QEL_LOAD(LeftArmRollMode, 71, Mode, kDirect)
    QEL_LOAD(LeftForeArmRoll, 72, Value, kThrough)
    QEL_LOAD(LeftForeArmRollMode, 72, Mode, kDirect)
    QEL_LOAD(RightArmRoll, 73, Value, kThrough)
    QEL_LOAD(RightArmRollMode, 73, Mode, kDirect)
    QEL_LOAD(RightForeArmRoll, 74, Value, kThrough)
    QEL_LOAD(RightForeArmRollMode, 74, Mode, kDirect)
    QEL_LOAD(FootFloorContact, 44, Mode, kDirect)                            // 13
    QEL_LOAD(FootAutomaticToes, 52, Mode, kDirect)
    QEL_LOAD(RollExtractionMode, 66, Value, kDirect)                         // 14
    QEL_LOAD(FootFloorPivot, 53, Value, kDirect)
    QEL_LOAD(FootBottomToAnkle, 45, Value, kDirect)                          // 15
    QEL_LOAD(FootBackToAnkle, 46, Value, kDirect)
    QEL_LOAD(FootMiddleToAnkle, 47, Value, kDirect)
    QEL_LOAD(FootFrontToMiddle, 48, Value, kDirect)
    QEL_LOAD(FootInToAnkle, 49, Value, kDirect)
    QEL_LOAD(FootOutToAnkle, 50, Value, kDirect)
    QEL_LOAD(FootContactSize, 51, Value, kDirect)
    QEL_LOAD(HandFloorContact, 55, Mode, kDirect)                            // 16
    QEL_LOAD(HandAutomaticFingers, 63, Mode, kDirect)
    QEL_LOAD(HandFloorPivot, 64, Value, kDirect)                             // 17
    QEL_LOAD(HandBottomToWrist, 56, Value, kDirect)                          // 18
    QEL_LOAD(HandBackToWrist, 57, Value, kDirect)
    QEL_LOAD(HandMiddleToWrist, 58, Value, kDirect)
    QEL_LOAD(HandFrontToMiddle, 59, Value, kDirect)
    QEL_LOAD(HandInToWrist, 60, Value, kDirect)
    QEL_LOAD(HandOutToWrist, 61, Value, kDirect)
    QEL_LOAD(HandContactSize, 62, Value, kDirect)
    QEL_LOAD(LeftHandThumbTip, 141, Value, kDirect)                          // 19
    QEL_LOAD(LeftHandIndexTip, 142, Value, kDirect)
    QEL_LOAD(LeftHandMiddleTip, 143, Value, kDirect)
    QEL_LOAD(LeftHandRingTip, 144, Value, kDirect)
    QEL_LOAD(LeftHandPinkyTip, 145, Value, kDirect)
    QEL_LOAD(LeftHandExtraFingerTip, 146, Value, kDirect)
    QEL_LOAD(RightHandThumbTip, 147, Value, kDirect)
    QEL_LOAD(RightHandIndexTip, 148, Value, kDirect)
    QEL_LOAD(RightHandMiddleTip, 149, Value, kDirect)
    QEL_LOAD(RightHandRingTip, 150, Value, kDirect)
    QEL_LOAD(RightHandPinkyTip, 151, Value, kDirect)
    QEL_LOAD(RightHandExtraFingerTip, 152, Value, kDirect)
    QEL_LOAD(LeftFootThumbTip, 153, Value, kDirect)
    QEL_LOAD(LeftFootIndexTip, 154, Value, kDirect)
    QEL_LOAD(LeftFootMiddleTip, 155, Value, kDirect)
    QEL_LOAD(LeftFootRingTip, 156, Value, kDirect)
    QEL_LOAD(LeftFootPinkyTip, 157, Value, kDirect)
    QEL_LOAD(LeftFootExtraFingerTip, 158, Value, kDirect)
    QEL_LOAD(RightFootThumbTip, 159, Value, kDirect)
    QEL_LOAD(RightFootIndexTip, 160, Value, kDirect)
    QEL_LOAD(RightFootMiddleTip, 161, Value, kDirect)
    QEL_LOAD(RightFootRingTip, 162, Value, kDirect)
    QEL_LOAD(RightFootPinkyTip, 163, Value, kDirect)
    QEL_LOAD(RightFootExtraFingerTip, 164, Value, kDirect)
    QEL_LOAD(FingerSolving, 165, Mode, kDirect)                              // 20
    QEL_LOAD(FootFingerContact, 171, Mode, kDirect)
    QEL_LOAD(FootContactType, 170, Value, kDirect)                           // 21
    QEL_LOAD(FootFingerContactMode, 172, Value, kDirect)
    QEL_LOAD(HandFingerContact, 167, Mode, kDirect)                          // 22
    QEL_LOAD(HandContactType, 166, Value, kDirect)                           // 23
    QEL_LOAD(HandFingerContactMode, 168, Value, kDirect)
    QEL_LOAD(CtrlPullLeftToeBase, 89, Value, kThrough)                       // 24
    QEL_LOAD(CtrlPullLeftFoot, 90, Value, kThrough)
    QEL_LOAD(CtrlPullLeftKnee, 91, Value, kThrough)
    QEL_LOAD(CtrlPullRightToeBase, 92, Value, kThrough)
    QEL_LOAD(CtrlPullRightFoot, 93, Value, kThrough)
    QEL_LOAD(CtrlPullRightKnee, 94, Value, kThrough)
    QEL_LOAD(CtrlPullLeftFingerBase, 95, Value, kThrough)
    QEL_LOAD(CtrlPullLeftHand, 96, Value, kThrough)
    QEL_LOAD(CtrlPullLeftElbow, 97, Value, kThrough)
    QEL_LOAD(CtrlPullRightFingerBase, 98, Value, kThrough)
    QEL_LOAD(CtrlPullRightHand, 99, Value, kThrough)
    QEL_LOAD(CtrlPullRightElbow, 100, Value, kThrough)
    QEL_LOAD(CtrlChestPullLeftHand, 101, Value, kThrough)
    QEL_LOAD(CtrlChestPullRightHand, 102, Value, kThrough)
    QEL_LOAD(CtrlPullHead, 103, Value, kThrough)
    QEL_LOAD(CtrlResistHipsPosition, 104, Value, kThrough)
    QEL_LOAD(CtrlEnforceGravity, 105, Value, kThrough)
    QEL_LOAD(CtrlResistHipsOrientation, 106, Value, kThrough)
    QEL_LOAD(CtrlResistChestPosition, 107, Value, kThrough)
    QEL_LOAD(CtrlResistChestOrientation, 108, Value, kThrough)
    QEL_LOAD(CtrlResistLeftCollar, 109, Value, kThrough)
    QEL_LOAD(CtrlResistRightCollar, 110, Value, kThrough)
    QEL_LOAD(CtrlResistLeftKnee, 111, Value, kThrough)
    QEL_LOAD(CtrlResistMaximumExtensionLeftKnee, 112, Value, kThrough)
    QEL_LOAD(CtrlResistCompressionFactorLeftKnee, 113, Value, kThrough)
    QEL_LOAD(CtrlResistRightKnee, 114, Value, kThrough)
    QEL_LOAD(CtrlResistMaximumExtensionRightKnee, 115, Value, kThrough)
    QEL_LOAD(CtrlResistCompressionFactorRightKnee, 116, Value, kThrough)
    QEL_LOAD(CtrlResistLeftElbow, 117, Value, kThrough)
    QEL_LOAD(CtrlResistMaximumExtensionLeftElbow, 118, Value, kThrough)
    QEL_LOAD(CtrlResistCompressionFactorLeftElbow, 119, Value, kThrough)
    QEL_LOAD(CtrlResistRightElbow, 120, Value, kThrough)
    QEL_LOAD(CtrlResistMaximumExtensionRightElbow, 121, Value, kThrough)
    QEL_LOAD(CtrlResistCompressionFactorRightElbow, 122, Value, kThrough)
    QEL_LOAD(CtrlSpineStiffness, 123, Value, kThrough)                       // 25
    QEL_LOAD(CtrlNeckStiffness, 124, Value, kThrough)
    QEL_LOAD(MirrorMode, 125, Mode, kDirect)                                 // 26
    QEL_LOAD(ShoulderCorrection, 127, Value, kThrough)                       // 27
    QEL_LOAD(LeftKneeKillPitch, 128, Mode, kDirect)                          // 28
    QEL_LOAD(RightKneeKillPitch, 129, Mode, kDirect)
    QEL_LOAD(LeftElbowKillPitch, 130, Mode, kDirect)
    QEL_LOAD(RightElbowKillPitch, 131, Mode, kDirect)
    QEL_LOAD(HipsTranslationMode, 132, Value, kDirect)                       // 29
    QEL_LOAD(WriteReference, 175, Mode, kDirect)                             // 30
    QEL_LOAD(SyncMode, 176, Mode, kDirect)
    QEL_LOAD(Damping, 75, Value, kThrough)                                   // 31
    QEL_LOAD(OrientationDamping, 76, Value, kThrough)                        // 32
    QEL_LOAD(OrientationDampingMode, 76, Mode, kThrough)
    QEL_LOAD(DisplacementDamping, 77, Value, kThrough)
    QEL_LOAD(DisplacementDampingMode, 77, Mode, kThrough)
    QEL_LOAD(DisplacementMemory, 78, Value, kThrough)
    QEL_LOAD(DisplacementMemoryMode, 78, Mode, kThrough)
    QEL_LOAD(HipsDisplacementDamping, 79, Value, kThrough)
    QEL_LOAD(HipsDisplacementDampingMode, 79, Mode, kThrough)
    QEL_LOAD(AnkleDisplacementDamping, 80, Value, kThrough)
    QEL_LOAD(AnkleDisplacementDampingMode, 80, Mode, kThrough)
    QEL_LOAD(WristDisplacementDamping, 81, Value, kThrough)
    QEL_LOAD(WristDisplacementDampingMode, 81, Mode, kThrough)
    QEL_LOAD(Stabilization, 82, Value, kThrough)                             // 33
    QEL_LOAD(AnkleStabilizationTime, 83, Value, kThrough)                    // 34
    QEL_LOAD(AnkleStabilizationTimeMode, 83, Mode, kThrough)
    QEL_LOAD(AnkleStabilizationPerimeter, 84, Value, kThrough)
    QEL_LOAD(AnkleStabilizationPerimeterMode, 84, Mode, kThrough)
    QEL_LOAD(AnkleStabilizationAngularPerimeter, 85, Value, kThrough)
    QEL_LOAD(AnkleStabilizationAngularPerimeterMode, 85, Mode, kThrough)
    QEL_LOAD(AnkleStabilizationFloorProximity, 86, Value, kThrough)
    QEL_LOAD(AnkleStabilizationFloorProximityMode, 86, Mode, kThrough)
    QEL_LOAD(AnkleStabilizationDamping, 87, Value, kThrough)
    QEL_LOAD(AnkleStabilizationDampingMode, 87, Mode, kThrough)
    QEL_LOAD(AnkleStabilizationRecoveryTime, 88, Value, kThrough)
    QEL_LOAD(AnkleStabilizationRecoveryTimeMode, 88, Mode, kThrough)
    QEL_LOAD(ContactBehaviour, 174, Value, kDirect)                          // 35
#undef QEL_LOAD
};

void KCharacter_WriteThrough(ECharacterPropertyId pId, const void* pValue, KQelFilterSet* pSet)
{
    if (pId < 0 || pId >= kCharacterPropertyCount || !pValue || !pSet)
        return;
    const KCharacterPropertyRow& row = gCharacterPropertyRows[pId];
    if (row.mSetter != eCharacterSetterWrite)
        return;
    switch (row.mType) {
    case kPropertyBool: {
        unsigned char byte;
        std::memcpy(&byte, pValue, 1);
        pSet->SetParameterMode(row.mParameter, byte != 0 ? 1 : 0);
        break;
    }
    case kPropertyEnum: {
        std::int32_t number;
        std::memcpy(&number, pValue, sizeof(number));
        if (row.mPart == eCharacterParamMode)
            pSet->SetParameterMode(row.mParameter, number);
        else
            pSet->SetParameterValue(row.mParameter, KCharacter_EnumToParamValue(number), 0);
        break;
    }
    case kPropertyDouble: {
        double number;
        std::memcpy(&number, pValue, sizeof(number));
        pSet->SetParameterValue(row.mParameter, number, 0);
        break;
    }
    default:
        break;
    }
}

void KCharacter_LoadTransfer(const KCharacterFilterTransfer& pStep, const KQelFilterSet& pSet,
                             void* pValue)
{
    if (pStep.mProperty < 0 || pStep.mProperty >= kCharacterPropertyCount || !pValue)
        return;
    const KCharacterPropertyRow& row = gCharacterPropertyRows[pStep.mProperty];
    bool mode = pStep.mPart == eCharacterParamMode;
    switch (row.mType) {
    case kPropertyBool: {
        bool value = pSet.GetParameterMode(pStep.mParameter) != 0;
        std::memcpy(pValue, &value, sizeof(value));
        break;
    }
    case kPropertyEnum: {
        std::int32_t value = mode ? pSet.GetParameterMode(pStep.mParameter)
                                  : KCharacter_ParamValueToEnum(pSet.GetParameterValue(pStep.mParameter, 0));
        std::memcpy(pValue, &value, sizeof(value));
        break;
    }
    case kPropertyDouble: {
        double value = pSet.GetParameterValue(pStep.mParameter, 0);
        std::memcpy(pValue, &value, sizeof(value));
        break;
    }
    case kPropertyVector3D: {
        double xyz[3];
        for (int axis = 0; axis < 3; ++axis)
            xyz[axis] = pSet.GetParameterValue(pStep.mParameter + axis, 0);
        std::memcpy(pValue, xyz, sizeof(xyz));
        break;
    }
    default:
        break;
    }
}

}  // namespace qelsdk_600
