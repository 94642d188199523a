// Geometry of shapes: the mesh and NURBS surface a shape keeps, the data
// objects that carry them, and the shapes' component bounds.
#ifndef VESK_GEOMETRY_GEOMETRY_KINDS_H
#define VESK_GEOMETRY_GEOMETRY_KINDS_H

#include <vesk/MObject.h>
#include <vesk/VeskExport.h>

#include "geometry/mesh_geometry.h"
#include "geometry/nurbs_geometry.h"
#include "store/ids.h"
#include "store/kind.h"

namespace vesk {

// The geometry object (MeshGeometry or NurbsGeometry) a mesh or NURBS
// surface shape keeps, or null for other nodes.
VESK_API Ref<RefObject> geometryOf(NodeId shape);
// Replaces a shape's geometry (of its own kind); false otherwise.
VESK_API bool setGeometryOf(NodeId shape, const Ref<RefObject>& geometry);
// The mesh of a mesh shape or of a mesh data object, else null; likewise
// for NURBS surfaces.
VESK_API MeshGeometry* meshOf(NodeId shape);
VESK_API MeshGeometry* meshOf(const MObject& object);
VESK_API NurbsGeometry* nurbsOf(NodeId shape);
VESK_API NurbsGeometry* nurbsOf(const MObject& object);
// The number of points of a shape's geometry (mesh vertices, surface CVs),
// or -1 for a node without geometry.
VESK_API long pointCountOf(NodeId shape);
// The shape a node stands for as a geometry: a mesh or NURBS surface shape
// itself, or a transform's first such shape that is not an intermediate
// object; else an invalid id.
VESK_API NodeId geometryShapeOf(NodeId node);
// The plugs that take in and give out a shape's geometry ("inMesh" /
// "outMesh", "inSurface" / "outSurface"), or null for other kinds.
VESK_API const char* geometryInputName(NodeId shape);
VESK_API const char* geometryOutputName(NodeId shape);

// Gives mesh and NURBS shapes their geometry and outputs (a store
// registrar).
void registerGeometryHooks(KindRegistry& registry);

} // namespace vesk

#endif
