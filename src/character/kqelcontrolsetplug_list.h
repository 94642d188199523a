// The property list of a control-set plug's property set as data: 233
// properties in list order, from which the property set is built.
#ifndef QELSDK_CHARACTER_KQELCONTROLSETPLUG_LIST_H
#define QELSDK_CHARACTER_KQELCONTROLSETPLUG_LIST_H

#include "object/kproperty.h"

namespace qelsdk_600 {

enum EControlSetPlugPropertyKind : int {
    eControlSetPlugValue = 0,        // "UseAxis" (bool, starts true), "ControlSetType" (enum, 0)
    eControlSetPlugLinkList = 1,     // one per named character node id, in id order
    eControlSetPlugEffectorList = 2  // one per effector id, in id order
};

// One property. Lists are object lists holding source connections
// (direction 3, plug type 0, no class filter, property flags 0) named with
// an owned copy of mName; their user tag is mTag.
struct KControlSetPlugPropertyRow {
    const char* mName;
    EControlSetPlugPropertyKind mKind;
    kPropertyType mType;  // bool, enum or object
    int mTag;             // node id or effector id of a list, 0 for a value
    int mContent;         // content value of a list: 1 link, 15 effector; 0 for a value
};

// "UseAxis", "ControlSetType", the 187 link lists from "Hips" (ids 68, 69,
// 88 and 89 have none; 67 is "Reference"), then the 44 effector lists from
// "HipsEffector" to "RightFootExtraFingerEffector".
constexpr int kControlSetPlugPropertyCount = 233;
// Row pIndex of that list (constant data), null outside 0 to 232.
const KControlSetPlugPropertyRow* GetControlSetPlugPropertyRow(int pIndex);

}  // namespace qelsdk_600

#endif
