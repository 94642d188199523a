// Helpers of the shape function sets (meshes, surfaces, iterators).
#ifndef VESK_GEOMETRY_SHAPE_FN_IMPL_H
#define VESK_GEOMETRY_SHAPE_FN_IMPL_H

#include <vesk/MDagPath.h>
#include <vesk/MMatrix.h>
#include <vesk/MObject.h>
#include <vesk/MSpace.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>

#include "store/ids.h"

namespace vesk {

// The matrix taking a shape's object space to the space asked for: the
// identity for kObject and kTransform, the shape's world matrix for kWorld
// (through the bound path when it ends at the object, else the object's
// first path; data stays in object space). False for other spaces, and for
// kWorld unless worldAllowed.
bool spaceMatrix(const MObject& object, const MDagPath& bound, MSpace::Space space, bool worldAllowed,
                 MMatrix& out);
// The matrix for normals: the inverse transpose of the space matrix.
MMatrix normalMatrix(const MMatrix& m);

// Makes a shape of the kind under parent, named after it ("<parent>Shape"),
// or, for the null object, a transform "<kind>1" with a shape
// "<kind>Shape1" below it. made receives the shape; the returned object is
// the shape, or the new transform.
MObject createShape(const char* kindName, const MObject& parent, NodeId& made, MStatus* status);

// The text of an optional set name (empty for null).
inline std::string setNameOf(const MString* name)
{
    return name ? std::string(name->asChar()) : std::string();
}

} // namespace vesk

#endif
