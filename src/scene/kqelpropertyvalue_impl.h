// Private to src/scene: property values exchanged as runs of doubles.
#ifndef QELSDK_SCENE_KQELPROPERTYVALUE_IMPL_H
#define QELSDK_SCENE_KQELPROPERTYVALUE_IMPL_H

#include "object/kproperty.h"
#include "scene/kqelpropertyset.h"  // KQelAppendProperties

namespace qelsdk_600 {

// Largest number of doubles a property value is exchanged as.
constexpr int kQelMaxValueMembers = 4;

// Members of a vector or colour property type: 3 for Vector3D and ColorRGB,
// 4 for Vector4D and ColorRGBA, 0 for every other type.
int KQelVectorMemberCount(kPropertyType pType);

// Reads a vector or colour property into pValues (kQelMaxValueMembers
// doubles, zero past its members). Only those types are read this way, whose
// values are consecutive doubles; false, pValues zeroed, for the others.
bool KQelReadDoubles(KProperty* pProperty, double* pValues);
// Writes a vector or colour property from pValues (through SetData, so the
// property notifies and calls its setter); false for other types.
bool KQelWriteDoubles(KProperty* pProperty, const double* pValues);

}  // namespace qelsdk_600

#endif
