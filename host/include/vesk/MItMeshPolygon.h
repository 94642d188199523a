// Walks the polygons of a mesh.
#ifndef VESK_MITMESHPOLYGON_H
#define VESK_MITMESHPOLYGON_H

#include <vesk/MDagPath.h>
#include <vesk/MIntArray.h>
#include <vesk/MObject.h>
#include <vesk/MPoint.h>
#include <vesk/MSpace.h>
#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

// Visits every polygon in order, or the polygons of a face component in the
// order they were added. Works on the path's mesh (a transform's first shape
// that is not an intermediate object) or on a mesh shape or mesh data. Each
// step is O(1); a bad path, object or component fails with
// kInvalidParameter and leaves the iterator done.
class VESK_API MItMeshPolygon {
public:
    MItMeshPolygon(const MDagPath& path, const MObject& component = MObject::kNullObj, MStatus* status = nullptr);
    MItMeshPolygon(const MObject& mesh, MStatus* status = nullptr);
    ~MItMeshPolygon();
    MItMeshPolygon(const MItMeshPolygon&) = delete;
    MItMeshPolygon& operator=(const MItMeshPolygon&) = delete;

    bool isDone(MStatus* status = nullptr) const;
    MStatus next();
    MStatus reset();
    // Polygons the walk visits.
    unsigned int count(MStatus* status = nullptr) const;
    // The current polygon's index.
    unsigned int index(MStatus* status = nullptr) const;
    unsigned int polygonVertexCount(MStatus* status = nullptr) const;
    // The vertex of corner v of the current polygon; -1 (and a failure)
    // past its corners.
    int vertexIndex(int v, MStatus* status = nullptr) const;
    MStatus getVertices(MIntArray& vertices) const;
    // The index in MFnMesh::getNormals of corner v's normal.
    int normalIndex(int v, MStatus* status = nullptr) const;
    MPoint point(int v, MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;

private:
    struct Impl;
    Impl* mImpl;
};

#endif
