// The geometry of a polygon mesh: points, polygons, normals, colours and
// UV sets. A mesh shape keeps one; its outMesh plug gives it as data.
#ifndef VESK_GEOMETRY_MESH_GEOMETRY_H
#define VESK_GEOMETRY_MESH_GEOMETRY_H

#include <cstdint>
#include <string>
#include <vector>

#include <vesk/MColor.h>
#include <vesk/MPoint.h>
#include <vesk/MVector.h>
#include <vesk/VeskExport.h>

#include "store/ref.h"

namespace vesk {

// One UV set: its name, its UVs and one UV id per polygon corner (-1: the
// corner has no UV).
struct UVSet {
    std::string name;
    std::vector<float> u;
    std::vector<float> v;
    std::vector<int> ids;
};

// Normals: every vertex has a shared normal, set explicitly or else the
// average of the unit normals of the polygons around it (zero for a vertex
// on no polygon). A corner may carry a normal of its own; a corner without
// one uses its vertex's shared normal. The normal list holds the shared
// normals of all vertices first, then, for each vertex whose corners do not
// all agree, one entry per distinct corner normal (in vertex order, then
// order of first corner). A vertex whose corners all agree reports their
// normal as its shared one. So the list exceeds the vertex count exactly
// when some vertex has hard edges.
//
// Colours: one per corner, all components -1 for a corner without colour.
// The colour index of a corner is its running position over all polygons.
//
// Costs: building, the normal list and every look-up by vertex are linear
// in the corners (derived lists are rebuilt once after a change).
class VESK_API MeshGeometry : public RefObject {
public:
    MeshGeometry();

    // A deep copy of the geometry, and a copy of another's into this one.
    Ref<MeshGeometry> copy() const;
    void assign(const MeshGeometry& other);

    // Replaces the whole geometry. Polygons of fewer than 3 corners are left
    // out. The arguments must have been checked with valid().
    void build(const std::vector<MPoint>& points, const int* counts, size_t polygonCount, const int* connects);
    // The checks of a new mesh: vertexCount equals the points, the counts
    // add up to connectCount, none is negative, every connect lies in
    // [0, vertexCount) and polygonCount is at least the number of counts.
    // error receives the reason.
    static bool valid(long long vertexCount, long long polygonCount, size_t pointCount, const int* counts,
                      size_t countCount, const int* connects, size_t connectCount, std::string* error);

    size_t numVertices() const { return mPoints.size(); }
    size_t numPolygons() const { return mCounts.size(); }
    size_t numCorners() const { return mConnects.size(); }
    const std::vector<MPoint>& points() const { return mPoints; }
    // Replaces the points (same count).
    void setPoints(const std::vector<MPoint>& points);
    void setPoint(size_t i, const MPoint& p);
    int polygonSize(size_t polygon) const { return mCounts[polygon]; }
    // The first corner of a polygon; offset(numPolygons()) is numCorners().
    int offset(size_t polygon) const { return mOffsets[polygon]; }
    int vertexOfCorner(size_t corner) const { return mConnects[corner]; }
    // The polygon a corner belongs to (O(log polygons)).
    int polygonOfCorner(size_t corner) const;
    // The corner of a polygon at a vertex, or -1.
    int cornerAt(size_t polygon, int vertex) const;
    // The corners around a vertex, ascending: [begin, end) of cornersAround().
    void cornerRange(size_t vertex, int& begin, int& end) const;
    const std::vector<int>& cornersAround() const;

    // ---- Normals ----------------------------------------------------------------
    size_t numNormals() const;
    const std::vector<MVector>& normalList() const;
    // The index of a corner's normal in normalList().
    int normalIndex(size_t corner) const;
    MVector cornerNormal(size_t corner) const;
    // Sets a vertex's shared normal; its corners drop their own.
    void setVertexNormal(size_t vertex, const MVector& n);
    void setCornerNormal(size_t corner, const MVector& n);

    // ---- Colours ----------------------------------------------------------------
    bool hasColors() const { return !mColors.empty(); }
    MColor cornerColor(size_t corner) const;
    void setCornerColor(size_t corner, const MColor& c);

    // ---- UV sets ------------------------------------------------------------------
    // A new mesh has the empty set "map1". Names are unique.
    std::vector<UVSet>& uvSets() { return mUVSets; }
    const std::vector<UVSet>& uvSets() const { return mUVSets; }
    // The set of a name (the first set for an empty name), or null.
    UVSet* uvSet(const std::string& name);
    const UVSet* uvSet(const std::string& name) const;

private:
    void invalidate() { mNormalsDirty = true; }
    void buildAround() const;
    void buildNormals() const;

    std::vector<MPoint> mPoints;
    std::vector<int> mCounts;
    std::vector<int> mOffsets;
    std::vector<int> mConnects;

    std::vector<MVector> mVertexNormal;
    std::vector<uint8_t> mVertexNormalSet;
    std::vector<MVector> mCornerNormal;
    std::vector<uint8_t> mCornerNormalSet;

    std::vector<MColor> mColors;
    std::vector<UVSet> mUVSets;

    // Derived: corners around each vertex, and the normal list.
    mutable bool mAroundDirty = true;
    mutable std::vector<int> mAroundStart;
    mutable std::vector<int> mAround;
    mutable bool mNormalsDirty = true;
    mutable std::vector<MVector> mNormals;
    mutable std::vector<int> mNormalIndex;
};

} // namespace vesk

#endif
