#include <vesk/MPxTransform.h>

#include "core/object_access.h"

MObject MPxTransform::worldMatrix =
    vesk::ObjectAccess::fromRef(vesk::store().kinds().find(MFn::kDagNode)->findAttribute("worldMatrix"));
