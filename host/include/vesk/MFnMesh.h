// Function set of polygon meshes: points, polygons, normals, colours, UVs.
#ifndef VESK_MFNMESH_H
#define VESK_MFNMESH_H

#include <vesk/MColor.h>
#include <vesk/MColorArray.h>
#include <vesk/MFloatArray.h>
#include <vesk/MFloatPointArray.h>
#include <vesk/MFloatVectorArray.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MIntArray.h>
#include <vesk/MObjectArray.h>
#include <vesk/MPointArray.h>
#include <vesk/MSpace.h>
#include <vesk/MString.h>
#include <vesk/MStringArray.h>
#include <vesk/MVectorArray.h>
#include <vesk/VeskExport.h>

class MDGModifier;

// Works on a mesh shape or on mesh data (the value of an "outMesh" or
// deformer input plug). Bound to a transform's path it works on the
// transform's first shape that is not an intermediate object.
//
// Vertices and polygons keep the order they were given; a polygon's corners
// are numbered from 0 within it, and every corner of the mesh has a running
// face-vertex index (polygon after polygon). Normals: every vertex has a
// shared normal (set, else the average of its polygons' unit normals, zero
// off every polygon) and a corner may carry its own; the normal list holds
// the shared normals, then one entry per distinct corner normal at each
// vertex whose corners differ, so it exceeds the vertex count exactly with
// hard edges. A
// corner without colour reads (-1, -1, -1, -1); its colour index is its
// face-vertex index. UV sets have unique names; a new mesh has the empty set
// "map1", which a null or empty set name also means; a corner without UV has
// id -1. No texture is ever tied to a UV set in this host.
//
// Spaces: kObject and kTransform (the same here) everywhere; kWorld also for
// reading points and normals of a shape (through the bound path, else the
// shape's first path). Setters check every length and index first and fail
// with kInvalidParameter, changing nothing.
class VESK_API MFnMesh : public MFnDagNode {
public:
    MFnMesh() {}
    MFnMesh(const MObject& object, MStatus* status = nullptr);
    MFnMesh(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override;

    // Makes a mesh of numVertices points and the polygons described by
    // polygonCounts (corners per polygon) and polygonConnects (the vertex of
    // each corner). Under a DAG node the shape ("<parent>Shape") goes below it
    // and is returned; with the null object a transform ("mesh1") is made
    // too, with the shape "meshShape1", and the transform is returned. The
    // set is bound to the shape. Refused with kInvalidParameter, making
    // nothing: numVertices differing from the points, counts not adding up to
    // the connects, a negative count, a connect outside [0, numVertices),
    // numPolygons below the number of counts. Polygons of fewer than 3
    // corners are left out, so numPolygons() may be lower than numPolygons.
    MObject create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   const MObject& parentOrOwner = MObject::kNullObj, MStatus* status = nullptr);
    MObject create(int numVertices, int numPolygons, const MPointArray& vertexArray, const MIntArray& polygonCounts,
                   const MIntArray& polygonConnects, const MObject& parentOrOwner = MObject::kNullObj,
                   MStatus* status = nullptr);
    // A copy of a mesh (shape or data) placed as create places a new one.
    MObject copy(const MObject& source, const MObject& parentOrOwner = MObject::kNullObj,
                 MStatus* status = nullptr);

    int numVertices(MStatus* status = nullptr) const;
    int numPolygons(MStatus* status = nullptr) const;
    int numFaceVertices(MStatus* status = nullptr) const;
    int numNormals(MStatus* status = nullptr) const;

    MStatus getPoint(int vertexId, MPoint& point, MSpace::Space space = MSpace::kObject) const;
    MStatus getPoints(MPointArray& points, MSpace::Space space = MSpace::kObject) const;
    MStatus getPoints(MFloatPointArray& points, MSpace::Space space = MSpace::kObject) const;
    MStatus setPoint(int vertexId, const MPoint& point, MSpace::Space space = MSpace::kObject);
    // As many points as the mesh has vertices.
    MStatus setPoints(const MPointArray& points, MSpace::Space space = MSpace::kObject);
    MStatus setPoints(const MFloatPointArray& points, MSpace::Space space = MSpace::kObject);

    // Corners of a polygon; -1 (and a failure) past the last polygon.
    int polygonVertexCount(int polygonId, MStatus* status = nullptr) const;
    MStatus getPolygonVertices(int polygonId, MIntArray& vertexList) const;
    // The counts and connects of every polygon.
    MStatus getVertices(MIntArray& vertexCount, MIntArray& vertexList) const;

    // The normal list (see above).
    MStatus getNormals(MFloatVectorArray& normals, MSpace::Space space = MSpace::kObject) const;
    // A vertex's shared normal.
    MStatus getVertexNormal(int vertexId, MVector& normal, MSpace::Space space = MSpace::kObject) const;
    // Sets the shared normals of the listed vertices (their corners drop
    // their own normals).
    MStatus setVertexNormals(const MVectorArray& normals, const MIntArray& vertexList,
                             MSpace::Space space = MSpace::kObject);
    // Sets the normals of corners named by (polygon, vertex) pairs.
    MStatus setFaceVertexNormals(const MVectorArray& normals, const MIntArray& faceList,
                                 const MIntArray& vertexList, MSpace::Space space = MSpace::kObject);

    // One colour per face-vertex; the set and default arguments are unused.
    MStatus getFaceVertexColors(MColorArray& colors, const MString* colorSet = nullptr,
                                const MColor* defaultUnsetColor = nullptr) const;
    MStatus getFaceVertexColorIndex(int faceIndex, int localVertexIndex, int& colorIndex,
                                    const MString* colorSet = nullptr) const;
    // Colours every corner at each listed vertex.
    MStatus setVertexColors(const MColorArray& colors, const MIntArray& vertexList, MDGModifier* modifier = nullptr);
    // Colours the corners named by (polygon, vertex) pairs.
    MStatus setFaceVertexColors(const MColorArray& colors, const MIntArray& faceList, const MIntArray& vertexList,
                                MDGModifier* modifier = nullptr);

    MStatus getUVSetNames(MStringArray& names) const;
    int numUVSets(MStatus* status = nullptr) const;
    // Always an empty list (see above).
    MStatus getAssociatedUVSetTextures(const MString& setName, MObjectArray& textures) const;
    int numUVs(const MString& setName, MStatus* status = nullptr) const;
    int numUVs(MStatus* status = nullptr) const;
    MStatus getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* setName = nullptr) const;
    // Replaces the set's UVs (u and v of equal length); corner ids naming
    // UVs past the new end become -1.
    MStatus setUVs(const MFloatArray& uArray, const MFloatArray& vArray, const MString* setName = nullptr);
    // uvCounts must equal the polygons' corner counts and uvIds hold one id
    // (-1 or a UV of the set) per corner.
    MStatus assignUVs(const MIntArray& uvCounts, const MIntArray& uvIds, const MString* setName = nullptr);
    // A corner's UV id; kInvalidParameter when the corner has none.
    MStatus getPolygonUVid(int polygonId, int vertexIndex, int& uvId, const MString* setName = nullptr) const;
    // A new empty set; a name in use or empty fails.
    MStatus createUVSet(const MString& name, MDGModifier* modifier = nullptr);
    MStatus renameUVSet(const MString& origName, const MString& newName, MDGModifier* modifier = nullptr);

    // The shading groups of one instance of the shape and, per polygon, the
    // position of its group in that list (-1 for none); groups in order of
    // creation.
    MStatus getConnectedShaders(unsigned int instanceNumber, MObjectArray& shaders, MIntArray& indices) const;
    // Nothing is drawn: success.
    MStatus updateSurface();

protected:
    bool accepts(const MObject& object) const override;
};

#endif
