// Effector ids (the 44 effectors of a control set), their names and the
// auxiliary-set ids.
#ifndef QELSDK_CHARACTER_KEFFECTORNODEID_H
#define QELSDK_CHARACTER_KEFFECTORNODEID_H

namespace qelsdk_600 {

// The effectors in id order, 0 to 43; X(Name) is the effector "<Name>Effector".
#define QEL_EFFECTOR_NODE_IDS(X)                                                         \
    X(Hips) X(LeftAnkle) X(RightAnkle) X(LeftWrist) X(RightWrist)              /*  0 */ \
    X(LeftKnee) X(RightKnee) X(LeftElbow) X(RightElbow) X(ChestOrigin)         /*  5 */ \
    X(ChestEnd) X(LeftFoot) X(RightFoot) X(LeftShoulder) X(RightShoulder)      /* 10 */ \
    X(Head) X(LeftHip) X(RightHip) X(LeftHand) X(RightHand)                    /* 15 */ \
    X(LeftHandThumb) X(LeftHandIndex) X(LeftHandMiddle) X(LeftHandRing)        /* 20 */ \
    X(LeftHandPinky) X(LeftHandExtraFinger)                                    /* 24 */ \
    X(RightHandThumb) X(RightHandIndex) X(RightHandMiddle) X(RightHandRing)    /* 26 */ \
    X(RightHandPinky) X(RightHandExtraFinger)                                  /* 30 */ \
    X(LeftFootThumb) X(LeftFootIndex) X(LeftFootMiddle) X(LeftFootRing)        /* 32 */ \
    X(LeftFootPinky) X(LeftFootExtraFinger)                                    /* 36 */ \
    X(RightFootThumb) X(RightFootIndex) X(RightFootMiddle) X(RightFootRing)    /* 38 */ \
    X(RightFootPinky) X(RightFootExtraFinger)                                  /* 42 */

// An effector id: e<Name>Effector, 0 to 43.
enum EEffectorNodeId : int {
#define QEL_EFFECTOR_ENUMERATOR(Name) e##Name##Effector,
    QEL_EFFECTOR_NODE_IDS(QEL_EFFECTOR_ENUMERATOR)
#undef QEL_EFFECTOR_ENUMERATOR
};
constexpr int kEffectorNodeIdCount = 44;
static_assert(eRightFootExtraFingerEffector + 1 == kEffectorNodeIdCount, "44 effector ids");

namespace detail {
// The effector names in id order. Use GetEffectorNodeName instead.
inline constexpr const char* kEffectorNodeNames[kEffectorNodeIdCount] = {
#define QEL_EFFECTOR_NAME(Name) #Name "Effector",
    QEL_EFFECTOR_NODE_IDS(QEL_EFFECTOR_NAME)
#undef QEL_EFFECTOR_NAME
};
}  // namespace detail

// 0 is the effector itself; 1 to 14 are its auxiliary sets, stored at set
// id minus 1.
enum EEffectorSetId : int {
    eEffectorSetDefault = 0,
    eEffectorSetAux1 = 1,
    eEffectorSetAux14 = 14
};
constexpr int kEffectorAuxSetCount = 14;

// The static lookups over the effector names. KQelControlSet derives from
// this class, so they are its static members.
class KQelEffectorNodeIds {
public:
    // "HipsEffector" to "RightFootExtraFingerEffector" (constant text, never
    // freed); null outside 0 to 43.
    static const char* GetEffectorNodeName(EEffectorNodeId pId);
    // The id whose name equals pName exactly (case matters); -1 when none
    // does or pName is null.
    static EEffectorNodeId GetEffectorNodeId(const char* pName);
};

}  // namespace qelsdk_600

#endif
