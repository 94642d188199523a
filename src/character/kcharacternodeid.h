// Character node ids (the 191 skeleton roles), their 12 groups, names and
// definition versions, with the static lookups over them.
#ifndef QELSDK_CHARACTER_KCHARACTERNODEID_H
#define QELSDK_CHARACTER_KCHARACTERNODEID_H

namespace qelsdk_600 {

// The roles in node-id order, one row per id, 0 to 190. X(Name, Group,
// Version): a member of a group, named by its role name, of definition
// version 4000 or 4500. N(Name, Version): an id outside every group; with a
// version (only "Reference", 67) it has its name and that version, with 0
// neither. Within a group the entries keep id order, which is also their
// index order.
#define QEL_CHARACTER_NODE_IDS(X, N)                                  \
    X(Hips, Base, 4000)                                     /*   0 */ \
    X(LeftUpLeg, Base, 4000)                                          \
    X(LeftLeg, Base, 4000)                                            \
    X(LeftFoot, Base, 4000)                                           \
    X(LeftToeBase, Auxiliary, 4000)                                   \
    X(RightUpLeg, Base, 4000)                               /*   5 */ \
    X(RightLeg, Base, 4000)                                           \
    X(RightFoot, Base, 4000)                                          \
    X(RightToeBase, Auxiliary, 4000)                                  \
    X(Spine, Base, 4000)                                              \
    X(Spine1, Spine, 4000)                                  /*  10 */ \
    X(LeftShoulder, Auxiliary, 4000)                                  \
    X(LeftArm, Base, 4000)                                            \
    X(LeftForeArm, Base, 4000)                                        \
    X(LeftHand, Base, 4000)                                           \
    X(RightShoulder, Auxiliary, 4000)                       /*  15 */ \
    X(RightArm, Base, 4000)                                           \
    X(RightForeArm, Base, 4000)                                       \
    X(RightHand, Base, 4000)                                          \
    X(Neck, Auxiliary, 4000)                                          \
    X(Head, Base, 4000)                                     /*  20 */ \
    X(LeftUpLegRoll, Roll, 4000)                                      \
    X(LeftLegRoll, Roll, 4000)                                        \
    X(RightUpLegRoll, Roll, 4000)                                     \
    X(RightLegRoll, Roll, 4000)                                       \
    X(LeftArmRoll, Roll, 4000)                              /*  25 */ \
    X(LeftForeArmRoll, Roll, 4000)                                    \
    X(RightArmRoll, Roll, 4000)                                       \
    X(RightForeArmRoll, Roll, 4000)                                   \
    X(Spine2, Spine, 4000)                                            \
    X(Spine3, Spine, 4000)                                  /*  30 */ \
    X(Spine4, Spine, 4000)                                            \
    X(Spine5, Spine, 4000)                                            \
    X(Spine6, Spine, 4000)                                            \
    X(Spine7, Spine, 4000)                                            \
    X(Spine8, Spine, 4000)                                  /*  35 */ \
    X(Spine9, Spine, 4000)                                            \
    X(LeftHandThumb1, LeftHand, 4000)                                 \
    X(LeftHandThumb2, LeftHand, 4000)                                 \
    X(LeftHandThumb3, LeftHand, 4000)                                 \
    X(LeftHandIndex1, LeftHand, 4000)                       /*  40 */ \
    X(LeftHandIndex2, LeftHand, 4000)                                 \
    X(LeftHandIndex3, LeftHand, 4000)                                 \
    X(LeftHandMiddle1, LeftHand, 4000)                                \
    X(LeftHandMiddle2, LeftHand, 4000)                                \
    X(LeftHandMiddle3, LeftHand, 4000)                      /*  45 */ \
    X(LeftHandRing1, LeftHand, 4000)                                  \
    X(LeftHandRing2, LeftHand, 4000)                                  \
    X(LeftHandRing3, LeftHand, 4000)                                  \
    X(LeftHandPinky1, LeftHand, 4000)                                 \
    X(LeftHandPinky2, LeftHand, 4000)                       /*  50 */ \
    X(LeftHandPinky3, LeftHand, 4000)                                 \
    X(RightHandThumb1, RightHand, 4000)                               \
    X(RightHandThumb2, RightHand, 4000)                               \
    X(RightHandThumb3, RightHand, 4000)                               \
    X(RightHandIndex1, RightHand, 4000)                     /*  55 */ \
    X(RightHandIndex2, RightHand, 4000)                               \
    X(RightHandIndex3, RightHand, 4000)                               \
    X(RightHandMiddle1, RightHand, 4000)                              \
    X(RightHandMiddle2, RightHand, 4000)                              \
    X(RightHandMiddle3, RightHand, 4000)                    /*  60 */ \
    X(RightHandRing1, RightHand, 4000)                                \
    X(RightHandRing2, RightHand, 4000)                                \
    X(RightHandRing3, RightHand, 4000)                                \
    X(RightHandPinky1, RightHand, 4000)                               \
    X(RightHandPinky2, RightHand, 4000)                     /*  65 */ \
    X(RightHandPinky3, RightHand, 4000)                               \
    N(Reference, 4000)                                                \
    N(LeftFloor, 0)                                                   \
    N(RightFloor, 0)                                                  \
    X(HipsTranslation, Special, 4000)                       /*  70 */ \
    X(Props0, Props, 4000)                                            \
    X(Props1, Props, 4000)                                            \
    X(Props2, Props, 4000)                                            \
    X(Props3, Props, 4000)                                            \
    X(Props4, Props, 4000)                                  /*  75 */ \
    X(GameModeParentLeftHipRoll, GameModeParent, 4000)                \
    X(GameModeParentLeftKnee, GameModeParent, 4000)                   \
    X(GameModeParentLeftKneeRoll, GameModeParent, 4000)               \
    X(GameModeParentRightHipRoll, GameModeParent, 4000)               \
    X(GameModeParentRightKnee, GameModeParent, 4000)        /*  80 */ \
    X(GameModeParentRightKneeRoll, GameModeParent, 4000)              \
    X(GameModeParentLeftShoulderRoll, GameModeParent, 4000)           \
    X(GameModeParentLeftElbow, GameModeParent, 4000)                  \
    X(GameModeParentLeftElbowRoll, GameModeParent, 4000)              \
    X(GameModeParentRightShoulderRoll, GameModeParent, 4000)          \
    X(GameModeParentRightElbow, GameModeParent, 4000)                 \
    X(GameModeParentRightElbowRoll, GameModeParent, 4000)             \
    N(LeftHandFloor, 0)                                               \
    N(RightHandFloor, 0)                                              \
    X(LeftFingerBase, Auxiliary, 4500)                      /*  90 */ \
    X(RightFingerBase, Auxiliary, 4500)                               \
    X(Neck1, Neck, 4500)                                              \
    X(Neck2, Neck, 4500)                                              \
    X(Neck3, Neck, 4500)                                              \
    X(Neck4, Neck, 4500)                                    /*  95 */ \
    X(Neck5, Neck, 4500)                                              \
    X(Neck6, Neck, 4500)                                              \
    X(Neck7, Neck, 4500)                                              \
    X(Neck8, Neck, 4500)                                              \
    X(Neck9, Neck, 4500)                                    /* 100 */ \
    X(LeftInHandThumb, LeftHand, 4500)                                \
    X(LeftHandThumb4, LeftHand, 4500)                                 \
    X(LeftInHandIndex, LeftHand, 4500)                                \
    X(LeftHandIndex4, LeftHand, 4500)                                 \
    X(LeftInHandMiddle, LeftHand, 4500)                     /* 105 */ \
    X(LeftHandMiddle4, LeftHand, 4500)                                \
    X(LeftInHandRing, LeftHand, 4500)                                 \
    X(LeftHandRing4, LeftHand, 4500)                                  \
    X(LeftInHandPinky, LeftHand, 4500)                                \
    X(LeftHandPinky4, LeftHand, 4500)                       /* 110 */ \
    X(LeftInHandExtraFinger, LeftHand, 4500)                          \
    X(LeftHandExtraFinger1, LeftHand, 4500)                           \
    X(LeftHandExtraFinger2, LeftHand, 4500)                           \
    X(LeftHandExtraFinger3, LeftHand, 4500)                           \
    X(LeftHandExtraFinger4, LeftHand, 4500)                 /* 115 */ \
    X(RightInHandThumb, RightHand, 4500)                              \
    X(RightHandThumb4, RightHand, 4500)                               \
    X(RightInHandIndex, RightHand, 4500)                              \
    X(RightHandIndex4, RightHand, 4500)                               \
    X(RightInHandMiddle, RightHand, 4500)                   /* 120 */ \
    X(RightHandMiddle4, RightHand, 4500)                              \
    X(RightInHandRing, RightHand, 4500)                               \
    X(RightHandRing4, RightHand, 4500)                                \
    X(RightInHandPinky, RightHand, 4500)                              \
    X(RightHandPinky4, RightHand, 4500)                     /* 125 */ \
    X(RightInHandExtraFinger, RightHand, 4500)                        \
    X(RightHandExtraFinger1, RightHand, 4500)                         \
    X(RightHandExtraFinger2, RightHand, 4500)                         \
    X(RightHandExtraFinger3, RightHand, 4500)                         \
    X(RightHandExtraFinger4, RightHand, 4500)               /* 130 */ \
    X(LeftInFootThumb, LeftFoot, 4500)                                \
    X(LeftFootThumb1, LeftFoot, 4500)                                 \
    X(LeftFootThumb2, LeftFoot, 4500)                                 \
    X(LeftFootThumb3, LeftFoot, 4500)                                 \
    X(LeftFootThumb4, LeftFoot, 4500)                       /* 135 */ \
    X(LeftInFootIndex, LeftFoot, 4500)                                \
    X(LeftFootIndex1, LeftFoot, 4500)                                 \
    X(LeftFootIndex2, LeftFoot, 4500)                                 \
    X(LeftFootIndex3, LeftFoot, 4500)                                 \
    X(LeftFootIndex4, LeftFoot, 4500)                       /* 140 */ \
    X(LeftInFootMiddle, LeftFoot, 4500)                               \
    X(LeftFootMiddle1, LeftFoot, 4500)                                \
    X(LeftFootMiddle2, LeftFoot, 4500)                                \
    X(LeftFootMiddle3, LeftFoot, 4500)                                \
    X(LeftFootMiddle4, LeftFoot, 4500)                      /* 145 */ \
    X(LeftInFootRing, LeftFoot, 4500)                                 \
    X(LeftFootRing1, LeftFoot, 4500)                                  \
    X(LeftFootRing2, LeftFoot, 4500)                                  \
    X(LeftFootRing3, LeftFoot, 4500)                                  \
    X(LeftFootRing4, LeftFoot, 4500)                        /* 150 */ \
    X(LeftInFootPinky, LeftFoot, 4500)                                \
    X(LeftFootPinky1, LeftFoot, 4500)                                 \
    X(LeftFootPinky2, LeftFoot, 4500)                                 \
    X(LeftFootPinky3, LeftFoot, 4500)                                 \
    X(LeftFootPinky4, LeftFoot, 4500)                       /* 155 */ \
    X(LeftInFootExtraFinger, LeftFoot, 4500)                          \
    X(LeftFootExtraFinger1, LeftFoot, 4500)                           \
    X(LeftFootExtraFinger2, LeftFoot, 4500)                           \
    X(LeftFootExtraFinger3, LeftFoot, 4500)                           \
    X(LeftFootExtraFinger4, LeftFoot, 4500)                 /* 160 */ \
    X(RightInFootThumb, RightFoot, 4500)                              \
    X(RightFootThumb1, RightFoot, 4500)                               \
    X(RightFootThumb2, RightFoot, 4500)                               \
    X(RightFootThumb3, RightFoot, 4500)                               \
    X(RightFootThumb4, RightFoot, 4500)                     /* 165 */ \
    X(RightInFootIndex, RightFoot, 4500)                              \
    X(RightFootIndex1, RightFoot, 4500)                               \
    X(RightFootIndex2, RightFoot, 4500)                               \
    X(RightFootIndex3, RightFoot, 4500)                               \
    X(RightFootIndex4, RightFoot, 4500)                     /* 170 */ \
    X(RightInFootMiddle, RightFoot, 4500)                             \
    X(RightFootMiddle1, RightFoot, 4500)                              \
    X(RightFootMiddle2, RightFoot, 4500)                              \
    X(RightFootMiddle3, RightFoot, 4500)                              \
    X(RightFootMiddle4, RightFoot, 4500)                    /* 175 */ \
    X(RightInFootRing, RightFoot, 4500)                               \
    X(RightFootRing1, RightFoot, 4500)                                \
    X(RightFootRing2, RightFoot, 4500)                                \
    X(RightFootRing3, RightFoot, 4500)                                \
    X(RightFootRing4, RightFoot, 4500)                      /* 180 */ \
    X(RightInFootPinky, RightFoot, 4500)                              \
    X(RightFootPinky1, RightFoot, 4500)                               \
    X(RightFootPinky2, RightFoot, 4500)                               \
    X(RightFootPinky3, RightFoot, 4500)                               \
    X(RightFootPinky4, RightFoot, 4500)                     /* 185 */ \
    X(RightInFootExtraFinger, RightFoot, 4500)                        \
    X(RightFootExtraFinger1, RightFoot, 4500)                         \
    X(RightFootExtraFinger2, RightFoot, 4500)                         \
    X(RightFootExtraFinger3, RightFoot, 4500)                         \
    X(RightFootExtraFinger4, RightFoot, 4500)               /* 190 */

// A character node id: eCharacter<Name>, 0 to 190. Arrays indexed by it
// have kCharacterNodeIdCount entries.
enum ECharacterNodeId : int {
#define QEL_CHARACTER_GROUP_ENUMERATOR(Name, Group, Version) eCharacter##Name,
#define QEL_CHARACTER_OTHER_ENUMERATOR(Name, Version) eCharacter##Name,
    QEL_CHARACTER_NODE_IDS(QEL_CHARACTER_GROUP_ENUMERATOR, QEL_CHARACTER_OTHER_ENUMERATOR)
#undef QEL_CHARACTER_GROUP_ENUMERATOR
#undef QEL_CHARACTER_OTHER_ENUMERATOR
};
constexpr int kCharacterNodeIdCount = 191;
static_assert(eCharacterRightFootExtraFinger4 + 1 == kCharacterNodeIdCount, "191 node ids");

// The character groups, 0 to 11.
enum ECharacterGroupId : int {
    eCharacterGroupBase = 0,
    eCharacterGroupAuxiliary = 1,
    eCharacterGroupSpine = 2,
    eCharacterGroupRoll = 3,
    eCharacterGroupSpecial = 4,
    eCharacterGroupLeftHand = 5,
    eCharacterGroupRightHand = 6,
    eCharacterGroupProps = 7,
    eCharacterGroupGameModeParent = 8,
    eCharacterGroupNeck = 9,
    eCharacterGroupLeftFoot = 10,
    eCharacterGroupRightFoot = 11
};
constexpr int kCharacterGroupCount = 12;

namespace detail {
// Every node id in id order: its group (-1 for none), name and version (null
// and 0 for the ids without a name). Use the lookups below instead.
struct KCharacterNodeRow {
    int mGroup;
    const char* mName;
    int mVersion;
};

inline constexpr KCharacterNodeRow kCharacterNodeRows[kCharacterNodeIdCount] = {
#define QEL_CHARACTER_ROW_IN_GROUP(Name, Group, Version) {eCharacterGroup##Group, #Name, Version},
#define QEL_CHARACTER_ROW_OTHER(Name, Version) {-1, Version ? #Name : nullptr, Version},
    QEL_CHARACTER_NODE_IDS(QEL_CHARACTER_ROW_IN_GROUP, QEL_CHARACTER_ROW_OTHER)
#undef QEL_CHARACTER_ROW_IN_GROUP
#undef QEL_CHARACTER_ROW_OTHER
};
}  // namespace detail

// The static lookups over the group tables. KQelCharacter derives from this
// class, so they are its static members; none keeps memory, and every name
// returned points into constant tables (never freed by the caller). Names
// compare byte for byte, with case; a null name matches nothing. Outputs are
// written only on success.
class KQelCharacterNodeIds {
public:
    // Entry count of a group; 0 for a group outside 0 to 11.
    static int GetCharacterGroupCount(ECharacterGroupId pGroup);
    // Node id of entry pIndex of a group; -1 when the group or the index is
    // out of range.
    static ECharacterNodeId GetCharacterGroupElementByIndex(ECharacterGroupId pGroup, int pIndex);
    // Role name of an entry; null when out of range.
    static const char* GetCharacterGroupNameByIndex(ECharacterGroupId pGroup, int pIndex);
    // Definition version of an entry (4000 or 4500); 0 when out of range.
    static int GetCharacterGroupVersionByIndex(ECharacterGroupId pGroup, int pIndex);

    // Finds a role name, groups from 0 up and entries in index order. With
    // pUseGroup false all 12 groups are searched; with it true only groups 0
    // to pGroup (all 12 when pGroup is above 11, none when it is negative).
    // On success writes the group and index found and returns true.
    static bool FindCharacterGroupIndexByName(const char* pName, bool pUseGroup,
                                              ECharacterGroupId& pGroup, int& pIndex);
    // Group and index of a node id; false for ids in no group (67, 68, 69,
    // 88, 89 and anything outside 0 to 190).
    static bool GetCharacterGroupIndexByElement(ECharacterNodeId pNodeId, ECharacterGroupId& pGroup,
                                                int& pIndex);
    // Role name of an id: the group entry's name, "Reference" for 67; false
    // for the four ids without a name and ids outside 0 to 190.
    static bool GetCharacterNodeNameFromNodeId(ECharacterNodeId pNodeId, const char*& pName);
    // Definition version of an id: the group entry's version, 4000 for 67.
    static bool GetCharacterGroupVersionByElement(ECharacterNodeId pNodeId, int& pVersion);
    // Node id of a role name, including "Reference" (67).
    static bool GetCharacterNodeIdFromNodeName(const char* pName, ECharacterNodeId& pNodeId);
};

}  // namespace qelsdk_600

#endif
