// The element walks of the component iterators.
#ifndef VESK_GEOMETRY_WALK_IMPL_H
#define VESK_GEOMETRY_WALK_IMPL_H

#include <vector>

#include <vesk/MDagPath.h>
#include <vesk/MFn.h>
#include <vesk/MObject.h>
#include <vesk/MStatus.h>

#include "geometry/mesh_geometry.h"

namespace vesk {

// The elements a mesh iterator visits: all of 0 to count - 1, or those a
// single-indexed component lists, in its order.
struct ElementWalk {
    bool all = true;
    std::vector<int> listed;
    size_t count = 0;
    size_t pos = 0;

    // Takes the component (null for all, else of the type, every element
    // below total); false with kInvalidParameter otherwise.
    bool start(const MObject& component, MFn::Type type, size_t total, MStatus* status);
    bool done() const { return pos >= count; }
    void next() { ++pos; }
    size_t at() const { return all ? pos : static_cast<size_t>(listed[pos]); }
};

// The mesh of a path (its shape's) or of an object (a mesh shape or data),
// the object it is read from and the path bound.
bool meshFor(const MDagPath* path, const MObject& object, Ref<MeshGeometry>& mesh, MObject& meshObject,
             MDagPath& bound);

} // namespace vesk

#endif
