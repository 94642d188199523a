// Enumerations shared by the node, its property set and its pivot sets.
//
// KQelPivot (kqelpivot.h) stores a pivot state and is itself part of the
// node's property set, which the node includes; declaring the enumerations
// here, outside both classes, lets each header include this one alone.
// KQelNode and KQelNodeProperties alias them (KQelNode::EPivotSet,
// KQelNode::eSourcePivot, ...).
#ifndef QELSDK_SCENE_KQELNODEENUMS_H
#define QELSDK_SCENE_KQELNODEENUMS_H

namespace qelsdk_600 {

// Which of a node's two pivot sets: the source set describes the transform
// model the animation curves are in, the destination set the model they are
// converted to.
enum EQelPivotSet : int { eQelSourcePivot = 0, eQelDestinationPivot = 1 };

// Whether a pivot set takes part in the transform: only an active set's
// pivots, offsets, pre- and post-rotation and geometric transform count; any
// other value reads as reference.
enum EQelPivotState : int { eQelPivotActive = 0, eQelPivotReference = 1 };

// Rotation order of a pivot set ("RotationOrder"), stored as 0 to 6. The
// global matrix always turns X, then Y, then Z, whatever the order says.
// These are not the order indices of KANRotationOrder.
enum ERotationOrder : int {
    eEulerXYZ = 0,
    eEulerXZY = 1,
    eEulerYZX = 2,
    eEulerYXZ = 3,
    eEulerZXY = 4,
    eEulerZYX = 5,
    eSphericXYZ = 6
};

// How a node inherits its parent's transform ("InheritType"). Value 1 has
// no text of its own: it reads as "RrSs", like 0.
enum ETransformInheritType : int { eInheritRrSs = 0, eInheritRSrs = 1, eInheritRrs = 2 };

}  // namespace qelsdk_600

#endif
