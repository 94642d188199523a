#include "character/kfiltersetinfo.h"

#include <cstring>

namespace {

constexpr EFilterParamModeType MNone = eModeTypeNone;
constexpr EFilterParamModeType MOffOn = eModeTypeOffOn;
constexpr EFilterParamModeType MOffAutoUser = eModeTypeOffAutoUser;
constexpr EFilterParamModeType MAutoUser = eModeTypeAutoUser;
constexpr EFilterParamUnit UNone = eUnitNone;
constexpr EFilterParamUnit UPercent = eUnitPercent;
constexpr EFilterParamUnit UTime = eUnitTime;
constexpr EFilterParamUnit UDistance = eUnitDistance;
constexpr EFilterParamUnit UAngle = eUnitAngle;
constexpr EFilterParamUnit UEnum = eUnitEnum;
constexpr int kSecond = 1;
constexpr int kInvert = 2;

// One descriptor, filled the way every descriptor of the table is: name and
// parent, then type and range (all single-valued), then defaults. Rows
// without defaults of their own carry mode 0 and value 0.
constexpr KFilterParamInfo Row(int pParent, const char* pName, EFilterParamModeType pModeType,
                               EFilterParamUnit pUnit, double pMin, double pMax, int pFlags,
                               int pDefaultMode, double pDefaultValue)
{
    KFilterParamInfo info;
    info.Init(pParent, pName);
    info.TypeInit(pModeType, pUnit, eValueTypeSingle, pMin, pMax, (pFlags & kSecond) != 0,
                  (pFlags & kInvert) != 0);
    info.DefaultInit(pDefaultMode, pDefaultValue);
    return info;
}

constexpr int kFilterParamCount = 177;

// Parent, name, mode type, unit, min, max, flags, default mode, default
// value; the comment is the index. Stored files name parameter 31 with
// "Rotation" twice, so it keeps that name.
constexpr KFilterParamInfo sFilterParams[kFilterParamCount] = {
    Row( -1, "PullIterationCount",                    MNone,        UPercent,      0,    30, 0,       0,   10),  // 0
    Row( -1, "Posture",                               MNone,        UEnum,         0,     2, kSecond, 0,    0),  // 1
    Row( -1, "ForceActorSpace",                       MOffOn,       UNone,         0,     0, 0,       0,    0),  // 2
    Row( -1, "ScaleCompensation",                     MOffAutoUser, UPercent,      1,  1000, 0,       1,  100),  // 3
    Row( -1, "HipsHeightCompensation",                MOffAutoUser, UDistance, -1000,  1000, 0,       1,    0),  // 4
    Row( -1, "AnkleHeightCompensation",               MOffAutoUser, UDistance, -1000,  1000, 0,       1,    0),  // 5
    Row( -1, "AnkleProximityCompensation",            MOffAutoUser, UDistance, -1000,  1000, 0,       1,    0),  // 6
    Row( -1, "MassCenterCompensation",                MOffOn,       UPercent,      0,   120, 0,       1,   80),  // 7
    Row( -1, "ApplyLimits",                           MOffOn,       UNone,         0,   100, 0,       0,    0),  // 8
    Row( -1, "ChestReduction",                        MNone,        UPercent,      0,   100, 0,       0,    0),  // 9
    Row( -1, "CollarReduction",                       MNone,        UPercent,      0,   100, 0,       0,    0),  // 10
    Row( -1, "NeckReduction",                         MNone,        UPercent,      0,   100, 0,       0,    0),  // 11
    Row( -1, "HeadReduction",                         MNone,        UPercent,      0,   100, 0,       0,    0),  // 12
    Row( -1, "ReachActorLeftAnkle",                   MNone,        UPercent,      0,   100, 0,       0,  100),  // 13
    Row( -1, "ReachActorRightAnkle",                  MNone,        UPercent,      0,   100, 0,       0,  100),  // 14
    Row( -1, "ReachActorLeftKnee",                    MNone,        UPercent,      0,   100, 0,       0,    0),  // 15
    Row( -1, "ReachActorRightKnee",                   MNone,        UPercent,      0,   100, 0,       0,    0),  // 16
    Row( -1, "ReachActorChest",                       MNone,        UPercent,      0,   100, 0,       0,    0),  // 17
    Row( -1, "ReachActorHead",                        MNone,        UPercent,      0,   100, 0,       0,    0),  // 18
    Row( -1, "ReachActorLeftWrist",                   MNone,        UPercent,      0,   100, 0,       0,    0),  // 19
    Row( -1, "ReachActorRightWrist",                  MNone,        UPercent,      0,   100, 0,       0,    0),  // 20
    Row( -1, "ReachActorLeftElbow",                   MNone,        UPercent,      0,   100, 0,       0,    0),  // 21
    Row( -1, "ReachActorRightElbow",                  MNone,        UPercent,      0,   100, 0,       0,    0),  // 22
    Row( -1, "ReachActorLeftFingerBase",              MNone,        UPercent,      0,   100, 0,       0,    0),  // 23
    Row( -1, "ReachActorRightFingerBase",             MNone,        UPercent,      0,   100, 0,       0,    0),  // 24
    Row( -1, "ReachActorLeftToesBase",                MNone,        UPercent,      0,   100, 0,       0,    0),  // 25
    Row( -1, "ReachActorRightToesBase",               MNone,        UPercent,      0,   100, 0,       0,    0),  // 26
    Row( -1, "ReachActorLeftFingerBaseRotation",      MNone,        UPercent,      0,   100, 0,       0,    0),  // 27
    Row( -1, "ReachActorRightFingerBaseRotation",     MNone,        UPercent,      0,   100, 0,       0,    0),  // 28
    Row( -1, "ReachActorLeftToesBaseRotation",        MNone,        UPercent,      0,   100, 0,       0,    0),  // 29
    Row( -1, "ReachActorRightToesBaseRotation",       MNone,        UPercent,      0,   100, 0,       0,    0),  // 30
    Row( -1, "ReachActorLeftAnkleRotationRotation",   MNone,        UPercent,      0,   100, 0,       0,  100),  // 31
    Row( -1, "ReachActorRightAnkleRotation",          MNone,        UPercent,      0,   100, 0,       0,  100),  // 32
    Row( -1, "ReachActorHeadRotation",                MNone,        UPercent,      0,   100, 0,       0,    0),  // 33
    Row( -1, "ReachActorLeftWristRotation",           MNone,        UPercent,      0,   100, 0,       0,    0),  // 34
    Row( -1, "ReachActorRightWristRotation",          MNone,        UPercent,      0,   100, 0,       0,    0),  // 35
    Row( -1, "ReachActorChestRotation",               MNone,        UPercent,      0,   100, 0,       0,    0),  // 36
    Row( -1, "ReachActorLowerChestRotation",          MNone,        UPercent,      0,   100, 0,       0,    0),  // 37
    Row( -1, "HipsTOffsetX",                          MNone,        UDistance, -1000,  1000, 0,       1,    0),  // 38
    Row( -1, "HipsTOffsetY",                          MNone,        UDistance, -1000,  1000, 0,       1,    0),  // 39
    Row( -1, "HipsTOffsetZ",                          MNone,        UDistance, -1000,  1000, 0,       1,    0),  // 40
    Row( -1, "ChestTOffsetX",                         MNone,        UDistance, -1000,  1000, 0,       1,    0),  // 41
    Row( -1, "ChestTOffsetY",                         MNone,        UDistance, -1000,  1000, 0,       1,    0),  // 42
    Row( -1, "ChestTOffsetZ",                         MNone,        UDistance, -1000,  1000, 0,       1,    0),  // 43
    Row( -1, "FloorContact",                          MOffOn,       UNone,         0,     0, 0,       0,    0),  // 44
    Row( 44, "FootBottomToAnkle",                     MNone,        UDistance,     0, 10000, kSecond, 1,  7.5),  // 45
    Row( 44, "FootBackToAnkle",                       MNone,        UDistance,     0, 10000, kSecond, 1,  4.5),  // 46
    Row( 44, "FootMiddleToAnkle",                     MNone,        UDistance,     0, 10000, kSecond, 1,   13),  // 47
    Row( 44, "FootFrontToMiddle",                     MNone,        UDistance,     0, 10000, kSecond, 1,    7),  // 48
    Row( 44, "FootInToAnkle",                         MNone,        UDistance,     0, 10000, kSecond, 1,    5),  // 49
    Row( 44, "FootOutToAnkle",                        MNone,        UDistance,     0, 10000, kSecond, 1,    5),  // 50
    Row( 44, "ContactSize",                           MNone,        UPercent,     10,  1000, kSecond, 1,  100),  // 51
    Row( -1, "AutomaticToes",                         MOffOn,       UNone,         0,     0, 0,       0,    0),  // 52
    Row( -1, "FloorPivot",                            MNone,        UEnum,         0,     3, 0,       0,    0),  // 53
    Row( -1, "ParamFootContactStiffness",             MNone,        UPercent,      0,   100, 0,       0,    0),  // 54
    Row( -1, "HandFloorContact",                      MOffOn,       UNone,         0,     0, 0,       0,    0),  // 55
    Row( 55, "HandBottomToWrist",                     MNone,        UDistance,     0, 10000, kSecond, 1,  7.5),  // 56
    Row( 55, "HandBackToWrist",                       MNone,        UDistance,     0, 10000, kSecond, 1,  4.5),  // 57
    Row( 55, "HandMiddleToWrist",                     MNone,        UDistance,     0, 10000, kSecond, 1,   13),  // 58
    Row( 55, "HandFrontToMiddle",                     MNone,        UDistance,     0, 10000, kSecond, 1,    7),  // 59
    Row( 55, "HandInToWrist",                         MNone,        UDistance,     0, 10000, kSecond, 1,    5),  // 60
    Row( 55, "HandOutToWrist",                        MNone,        UDistance,     0, 10000, kSecond, 1,    5),  // 61
    Row( 55, "HandContactSize",                       MNone,        UPercent,     10,  1000, kSecond, 1,  100),  // 62
    Row( -1, "AutomaticFingers",                      MOffOn,       UNone,         0,     0, 0,       0,    0),  // 63
    Row( -1, "HandFloorPivot",                        MNone,        UEnum,         0,     3, 0,       0,    0),  // 64
    Row( -1, "ParamHandContactStiffness",             MNone,        UPercent,      0,   100, 0,       0,    0),  // 65
    Row( -1, "RollExtractionMode",                    MNone,        UEnum,         0,     2, 0,       0,    0),  // 66
    Row( -1, "LeftUpLegRoll",                         MOffOn,       UPercent,      0,   100, 0,       0,   60),  // 67
    Row( -1, "LeftLegRoll",                           MOffOn,       UPercent,      0,   100, 0,       0,   60),  // 68
    Row( -1, "RightUpLegRoll",                        MOffOn,       UPercent,      0,   100, 0,       0,   60),  // 69
    Row( -1, "RightLegRoll",                          MOffOn,       UPercent,      0,   100, 0,       0,   60),  // 70
    Row( -1, "LeftArmRoll",                           MOffOn,       UPercent,      0,   100, 0,       0,   60),  // 71
    Row( -1, "LeftForeArmRoll",                       MOffOn,       UPercent,      0,   100, 0,       0,   60),  // 72
    Row( -1, "RightArmRoll",                          MOffOn,       UPercent,      0,   100, 0,       0,   60),  // 73
    Row( -1, "RightForeArmRoll",                      MOffOn,       UPercent,      0,   100, 0,       0,   60),  // 74
    Row( -1, "Damping",                               MNone,        UPercent,      0,   100, 0,       0,    0),  // 75
    Row( 75, "Orientation",                           MOffAutoUser, UTime,         0,  0.25, 0,       1,    0),  // 76
    Row( 75, "Displacement",                          MOffAutoUser, UPercent,      0,   100, 0,       1,    0),  // 77
    Row( 77, "DisplacementMemory",                    MAutoUser,    UTime,         0,  0.25, 0,       0,    0),  // 78
    Row( 77, "HipsDisplacementDamping",               MAutoUser,    UPercent,      0,   100, 0,       0,    0),  // 79
    Row( 77, "AnkleDisplacementDamping",              MAutoUser,    UPercent,      0,   100, 0,       0,    0),  // 80
    Row( 77, "WristDisplacementDamping",              MAutoUser,    UPercent,      0,   100, 0,       0,    0),  // 81
    Row( -1, "Stabilization",                         MNone,        UPercent,      0,   100, 0,       0,    0),  // 82
    Row( 82, "AnkleStabilizationTime",                MAutoUser,    UTime,         0,     1, kInvert, 0,    0),  // 83
    Row( 82, "AnkleStabilizationPerimeter",           MAutoUser,    UDistance,     0,    15, 0,       0,    0),  // 84
    Row( 82, "AnkleStabilizationAngularPerimeter",    MOffAutoUser, UAngle,        0,    60, 0,       1,    0),  // 85
    Row( 82, "AnkleStabilizationFloorProximity",      MOffAutoUser, UDistance,     0,    10, 0,       1,    0),  // 86
    Row( 82, "AnkleStabilizationDamping",             MOffAutoUser, UTime,         0,    10, 0,       0,    0),  // 87
    Row( 82, "AnkleStabilizationRecoveryTime",        MOffAutoUser, UTime,         0,     1, 0,       1,    0),  // 88
    Row( -1, "CtrlPullLeftToeBase",                   MNone,        UPercent,      0,   100, 0,       0,    0),  // 89
    Row( -1, "CtrlPullLeftFoot",                      MNone,        UPercent,      0,   100, 0,       0,  100),  // 90
    Row( -1, "CtrlPullLeftKnee",                      MNone,        UPercent,      0,   100, 0,       0,    0),  // 91
    Row( -1, "CtrlPullRightToeBase",                  MNone,        UPercent,      0,   100, 0,       0,    0),  // 92
    Row( -1, "CtrlPullRightFoot",                     MNone,        UPercent,      0,   100, 0,       0,  100),  // 93
    Row( -1, "CtrlPullRightKnee",                     MNone,        UPercent,      0,   100, 0,       0,    0),  // 94
    Row( -1, "CtrlPullLeftFingerBase",                MNone,        UPercent,      0,   100, 0,       0,    0),  // 95
    Row( -1, "CtrlPullLeftHand",                      MNone,        UPercent,      0,   100, 0,       0,  100),  // 96
    Row( -1, "CtrlPullLeftElbow",                     MNone,        UPercent,      0,   100, 0,       0,    0),  // 97
    Row( -1, "CtrlPullRightFingerBase",               MNone,        UPercent,      0,   100, 0,       0,    0),  // 98
    Row( -1, "CtrlPullRightHand",                     MNone,        UPercent,      0,   100, 0,       0,  100),  // 99
    Row( -1, "CtrlPullRightElbow",                    MNone,        UPercent,      0,   100, 0,       0,    0),  // 100
    Row( -1, "CtrlChestPullLeftHand",                 MNone,        UPercent,      0,   100, 0,       0,  100),  // 101
    Row( -1, "CtrlChestPullRightHand",                MNone,        UPercent,      0,   100, 0,       0,  100),  // 102
    Row( -1, "CtrlPullHead",                          MNone,        UPercent,      0,   100, 0,       0,    0),  // 103
    Row( -1, "CtrlResistHipsPosition",                MNone,        UPercent,      0,   100, 0,       0,    0),  // 104
    Row( -1, "CtrlEnforceGravity",                    MNone,        UPercent,      0,   100, 0,       0,   60),  // 105
    Row( -1, "CtrlResistHipsOrientation",             MNone,        UPercent,      0,   100, 0,       0,    0),  // 106
    Row( -1, "CtrlResistChestPosition",               MNone,        UPercent,      0,   100, 0,       0,    0),  // 107
    Row( -1, "CtrlResistChestOrientation",            MNone,        UPercent,      0,   100, 0,       0,    0),  // 108
    Row( -1, "CtrlResistLeftCollar",                  MNone,        UPercent,      0,   100, 0,       0,   50),  // 109
    Row( -1, "CtrlResistRightCollar",                 MNone,        UPercent,      0,   100, 0,       0,   50),  // 110
    Row( -1, "CtrlResistLeftKnee",                    MNone,        UPercent,      0,   100, 0,       0,   50),  // 111
    Row( -1, "CtrlResistMaximumExtensionLeftKnee",    MNone,        UPercent,      0,   100, 0,       0,   50),  // 112
    Row( -1, "CtrlResistCompressionFactorLeftKnee",   MNone,        UPercent,      0,   100, 0,       0,   50),  // 113
    Row( -1, "CtrlResistRightKnee",                   MNone,        UPercent,      0,   100, 0,       0,   50),  // 114
    Row( -1, "CtrlResistMaximumExtensionRightKnee",   MNone,        UPercent,      0,   100, 0,       0,   50),  // 115
    Row( -1, "CtrlResistCompressionFactorRightKnee",  MNone,        UPercent,      0,   100, 0,       0,   50),  // 116
    Row( -1, "CtrlResistLeftElbow",                   MNone,        UPercent,      0,   100, 0,       0,   50),  // 117
    Row( -1, "CtrlResistMaximumExtensionLeftElbow",   MNone,        UPercent,      0,   100, 0,       0,   50),  // 118
    Row( -1, "CtrlResistCompressionFactorLeftElbow",  MNone,        UPercent,      0,   100, 0,       0,   50),  // 119
    Row( -1, "CtrlResistRightElbow",                  MNone,        UPercent,      0,   100, 0,       0,   50),  // 120
    Row( -1, "CtrlResistMaximumExtensionRightElbow",  MNone,        UPercent,      0,   100, 0,       0,   50),  // 121
    Row( -1, "CtrlResistCompressionFactorRightElbow", MNone,        UPercent,      0,   100, 0,       0,   50),  // 122
    Row( -1, "ParamCtrlSpineStiffness",               MNone,        UPercent,      0,   100, 0,       0,    0),  // 123
    Row( -1, "ParamCtrlNeckStiffness",                MNone,        UPercent,      0,   100, 0,       0,    0),  // 124
    Row( -1, "Mirror",                                MOffOn,       UNone,         0,   100, 0,       0,    0),  // 125
    Row( -1, "GameMode",                              MOffOn,       UNone,         0,   100, 0,       0,    0),  // 126
    Row( -1, "ShoulderCorrection",                    MNone,        UPercent,      0,   100, 0,       0,    0),  // 127
    Row( -1, "LeftKneeKillPitch",                     MOffOn,       UNone,         0,   100, 0,       0,    0),  // 128
    Row( -1, "RightKneeKillPitch",                    MOffOn,       UNone,         0,   100, 0,       0,    0),  // 129
    Row( -1, "LeftElbowKillPitch",                    MOffOn,       UNone,         0,   100, 0,       0,    0),  // 130
    Row( -1, "RightElbowKillPitch",                   MOffOn,       UNone,         0,   100, 0,       0,    0),  // 131
    Row( -1, "HipsTranslationMode",                   MNone,        UEnum,         0,     2, kSecond, 0,    0),  // 132
    Row( -1, "LeftShoulderFrontAngle",                MNone,        UAngle,        0,   180, kSecond, 0,  150),  // 133
    Row( -1, "LeftShoulderBackAngle",                 MNone,        UAngle,        0,   180, kSecond, 0,  150),  // 134
    Row( -1, "LeftShoulderUpAngle",                   MNone,        UAngle,        0,   180, kSecond, 0,  150),  // 135
    Row( -1, "LeftShoulderDownAngle",                 MNone,        UAngle,        0,   180, kSecond, 0,  150),  // 136
    Row( -1, "RightShoulderFrontAngle",               MNone,        UAngle,        0,   180, kSecond, 0,  150),  // 137
    Row( -1, "RightShoulderBackAngle",                MNone,        UAngle,        0,   180, kSecond, 0,  150),  // 138
    Row( -1, "RightShoulderUpAngle",                  MNone,        UAngle,        0,   180, kSecond, 0,  150),  // 139
    Row( -1, "RightShoulderDownAngle",                MNone,        UAngle,        0,   180, kSecond, 0,  150),  // 140
    Row( -1, "LeftHandThumbTip",                      MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 141
    Row( -1, "LeftHandIndexTip",                      MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 142
    Row( -1, "LeftHandMiddleTip",                     MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 143
    Row( -1, "LeftHandRingTip",                       MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 144
    Row( -1, "LeftHandPinkyTip",                      MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 145
    Row( -1, "LeftHandExtraFingerTip",                MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 146
    Row( -1, "RightHandThumbTip",                     MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 147
    Row( -1, "RightHandIndexTip",                     MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 148
    Row( -1, "RightHandMiddleTip",                    MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 149
    Row( -1, "RightHandRingTip",                      MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 150
    Row( -1, "RightHandPinkyTip",                     MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 151
    Row( -1, "RightHandExtraFingerTip",               MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 152
    Row( -1, "LeftFootThumbTip",                      MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 153
    Row( -1, "LeftFootIndexTip",                      MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 154
    Row( -1, "LeftFootMiddleTip",                     MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 155
    Row( -1, "LeftFootRingTip",                       MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 156
    Row( -1, "LeftFootPinkyTip",                      MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 157
    Row( -1, "LeftFootExtraFingerTip",                MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 158
    Row( -1, "RightFootThumbTip",                     MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 159
    Row( -1, "RightFootIndexTip",                     MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 160
    Row( -1, "RightFootMiddleTip",                    MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 161
    Row( -1, "RightFootRingTip",                      MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 162
    Row( -1, "RightFootPinkyTip",                     MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 163
    Row( -1, "RightFootExtraFingerTip",               MNone,        UDistance,     0,  1000, kSecond, 0,  0.5),  // 164
    Row( -1, "FingerSolving",                         MOffOn,       UNone,         0,     0, 0,       1,    0),  // 165
    Row( -1, "HandContactType",                       MNone,        UEnum,         0,     4, kSecond, 0,    0),  // 166
    Row( -1, "HandFingerContact",                     MOffOn,       UNone,         0,     0, 0,       0,    0),  // 167
    Row( -1, "HandFingerContactMode",                 MNone,        UEnum,         0,     3, 0,       0,    1),  // 168
    Row( -1, "ParamHandFingerContactRollStiffness",   MNone,        UPercent,      0,   100, 0,       0,    0),  // 169
    Row( -1, "FootContactType",                       MNone,        UEnum,         0,     4, kSecond, 0,    0),  // 170
    Row( -1, "FootFingerContact",                     MOffOn,       UNone,         0,     0, 0,       0,    0),  // 171
    Row( -1, "FootFingerContactMode",                 MNone,        UEnum,         0,     3, 0,       0,    1),  // 172
    Row( -1, "ParamFootFingerContactRollStiffness",   MNone,        UPercent,      0,   100, 0,       0,    0),  // 173
    Row( -1, "ContactBehaviour",                      MNone,        UEnum,         0,     3, kSecond, 0,    0),  // 174
    Row( -1, "WriteReference",                        MOffOn,       UNone,         0,     0, 0,       0,    0),  // 175
    Row( -1, "SyncMode",                              MOffOn,       UNone,         0,     0, 0,       1,    0),  // 176
};

}  // namespace

KFilterSetInfo::KFilterSetInfo(int pCount)
    : mCount(pCount > 0 ? pCount : 0),
      mParams(pCount > 0 ? new KFilterParamInfo[pCount] : nullptr),
      mOwned(true)
{
}

KFilterSetInfo::~KFilterSetInfo()
{
    if (mOwned)
        delete[] mParams;
}

int KFilterSetInfo::ParamIndexByName(const char* pName) const
{
    if (!pName)
        return -1;
    for (int index = 0; index < mCount; ++index) {
        if (std::strcmp(mParams[index].mName, pName) == 0)
            return index;
    }
    return -1;
}

const KFilterSetInfo gFilterSetInfo(sFilterParams, kFilterParamCount);
const bool gFilterSetInfoInit = true;

const KFilterSetInfo* GetFilterSetInfo()
{
    return &gFilterSetInfo;
}
