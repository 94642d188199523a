// Walks the vertices of a mesh.
#ifndef VESK_MITMESHVERTEX_H
#define VESK_MITMESHVERTEX_H

#include <vesk/MDagPath.h>
#include <vesk/MIntArray.h>
#include <vesk/MObject.h>
#include <vesk/MPoint.h>
#include <vesk/MSpace.h>
#include <vesk/MStatus.h>
#include <vesk/MVectorArray.h>
#include <vesk/VeskExport.h>

// Visits every vertex in order, or the vertices of a vertex component in the
// order they were added. Works as MItMeshPolygon does; each step is O(1),
// and a vertex's normals and faces cost the corners around it.
class VESK_API MItMeshVertex {
public:
    MItMeshVertex(const MDagPath& path, const MObject& component = MObject::kNullObj, MStatus* status = nullptr);
    MItMeshVertex(const MObject& mesh, MStatus* status = nullptr);
    ~MItMeshVertex();
    MItMeshVertex(const MItMeshVertex&) = delete;
    MItMeshVertex& operator=(const MItMeshVertex&) = delete;

    bool isDone(MStatus* status = nullptr) const;
    MStatus next();
    MStatus reset();
    unsigned int count(MStatus* status = nullptr) const;
    // The current vertex's index.
    int index(MStatus* status = nullptr) const;
    MPoint position(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;
    // One normal per corner at the vertex, in polygon order (none for a
    // vertex on no polygon).
    MStatus getNormals(MVectorArray& normals, MSpace::Space space = MSpace::kObject) const;
    // The polygons around the vertex, ascending.
    MStatus getConnectedFaces(MIntArray& faces) const;

private:
    struct Impl;
    Impl* mImpl;
};

#endif
