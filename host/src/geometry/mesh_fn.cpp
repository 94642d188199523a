// MFnMesh: building, reading and editing mesh geometry.
#include <vector>

#include <vesk/MFnMesh.h>

#include "core/object_access.h"
#include "deform/deform_kinds.h"
#include "geometry/geometry_kinds.h"
#include "geometry/shape_fn_impl.h"
#include "store/node_store.h"

using vesk::MeshGeometry;
using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::report;
using vesk::UVSet;

namespace {

MeshGeometry* meshIn(const MObject& o, MStatus* status)
{
    MeshGeometry* m = vesk::meshOf(o);
    report(status, m ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return m;
}

bool validIndex(int i, size_t count)
{
    return i >= 0 && static_cast<size_t>(i) < count;
}

template <class Points>
std::vector<MPoint> pointsOf(const Points& points)
{
    std::vector<MPoint> out(points.length());
    for (unsigned int i = 0; i < points.length(); ++i)
        out[i] = MPoint(points[i].x, points[i].y, points[i].z, points[i].w);
    return out;
}

// The corner of every (polygon, vertex) pair, or false when one names no
// corner.
bool cornersOf(const MeshGeometry& m, const MIntArray& faces, const MIntArray& vertices, std::vector<int>& out)
{
    if (faces.length() != vertices.length())
        return false;
    out.resize(faces.length());
    for (unsigned int i = 0; i < faces.length(); ++i) {
        if (!validIndex(faces[i], m.numPolygons()))
            return false;
        out[i] = m.cornerAt(static_cast<size_t>(faces[i]), vertices[i]);
        if (out[i] < 0)
            return false;
    }
    return true;
}

} // namespace

MFnMesh::MFnMesh(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFnMesh::MFnMesh(const MDagPath& path, MStatus* status)
{
    report(status, bindPath(path, MFn::kMesh));
}

MFn::Type MFnMesh::type() const
{
    return MFn::kMesh;
}

bool MFnMesh::accepts(const MObject& object) const
{
    return vesk::meshOf(object) != nullptr;
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                        const MObject& parentOrOwner, MStatus* status)
{
    MPointArray points(vertexArray.length());
    for (unsigned int i = 0; i < vertexArray.length(); ++i)
        points[i] = vertexArray[i].asPoint();
    return create(numVertices, numPolygons, points, polygonCounts, polygonConnects, parentOrOwner, status);
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                        const MObject& parentOrOwner, MStatus* status)
{
    std::vector<int> counts(polygonCounts.length()), connects(polygonConnects.length());
    polygonCounts.get(counts.data());
    polygonConnects.get(connects.data());
    if (!MeshGeometry::valid(numVertices, numPolygons, vertexArray.length(), counts.data(), counts.size(),
                             connects.data(), connects.size(), nullptr)) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    NodeId shape;
    const MObject returned = vesk::createShape("mesh", parentOrOwner, shape, status);
    if (!shape.valid())
        return MObject();
    vesk::meshOf(shape)->build(pointsOf(vertexArray), counts.data(), counts.size(), connects.data());
    mObject = ObjectAccess::fromNode(shape);
    mPath = MDagPath();
    report(status, MStatus::kSuccess);
    return returned;
}

MObject MFnMesh::copy(const MObject& source, const MObject& parentOrOwner, MStatus* status)
{
    const MeshGeometry* from = vesk::meshOf(source);
    if (!from) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    const vesk::Ref<MeshGeometry> copied = from->copy();
    NodeId shape;
    const MObject returned = vesk::createShape("mesh", parentOrOwner, shape, status);
    if (!shape.valid())
        return MObject();
    vesk::setGeometryOf(shape, copied);
    mObject = ObjectAccess::fromNode(shape);
    mPath = MDagPath();
    return returned;
}

int MFnMesh::numVertices(MStatus* status) const
{
    const MeshGeometry* m = meshIn(mObject, status);
    return m ? static_cast<int>(m->numVertices()) : 0;
}

int MFnMesh::numPolygons(MStatus* status) const
{
    const MeshGeometry* m = meshIn(mObject, status);
    return m ? static_cast<int>(m->numPolygons()) : 0;
}

int MFnMesh::numFaceVertices(MStatus* status) const
{
    const MeshGeometry* m = meshIn(mObject, status);
    return m ? static_cast<int>(m->numCorners()) : 0;
}

int MFnMesh::numNormals(MStatus* status) const
{
    const MeshGeometry* m = meshIn(mObject, status);
    return m ? static_cast<int>(m->numNormals()) : 0;
}

MStatus MFnMesh::getPoint(int vertexId, MPoint& point, MSpace::Space space) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    MMatrix to;
    if (!m || !validIndex(vertexId, m->numVertices()) || !vesk::spaceMatrix(mObject, mPath, space, true, to))
        return MStatus::kInvalidParameter;
    point = m->points()[static_cast<size_t>(vertexId)] * to;
    return MStatus::kSuccess;
}

MStatus MFnMesh::getPoints(MPointArray& points, MSpace::Space space) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    MMatrix to;
    if (!m || !vesk::spaceMatrix(mObject, mPath, space, true, to))
        return MStatus::kInvalidParameter;
    points.setLength(static_cast<unsigned int>(m->numVertices()));
    for (size_t i = 0; i < m->numVertices(); ++i)
        points[static_cast<unsigned int>(i)] = m->points()[i] * to;
    return MStatus::kSuccess;
}

MStatus MFnMesh::getPoints(MFloatPointArray& points, MSpace::Space space) const
{
    MPointArray all;
    const MStatus s = getPoints(all, space);
    if (!s)
        return s;
    points.setLength(all.length());
    for (unsigned int i = 0; i < all.length(); ++i)
        points[i] = MFloatPoint(all[i]);
    return s;
}

MStatus MFnMesh::setPoint(int vertexId, const MPoint& point, MSpace::Space space)
{
    MeshGeometry* m = vesk::meshOf(mObject);
    MMatrix to;
    if (!m || !validIndex(vertexId, m->numVertices()) || !vesk::spaceMatrix(mObject, mPath, space, false, to))
        return MStatus::kInvalidParameter;
    m->setPoint(static_cast<size_t>(vertexId), point);
    return MStatus::kSuccess;
}

MStatus MFnMesh::setPoints(const MPointArray& points, MSpace::Space space)
{
    MeshGeometry* m = vesk::meshOf(mObject);
    MMatrix to;
    if (!m || points.length() != m->numVertices() || !vesk::spaceMatrix(mObject, mPath, space, false, to))
        return MStatus::kInvalidParameter;
    m->setPoints(pointsOf(points));
    return MStatus::kSuccess;
}

MStatus MFnMesh::setPoints(const MFloatPointArray& points, MSpace::Space space)
{
    MPointArray all(points.length());
    for (unsigned int i = 0; i < points.length(); ++i)
        all[i] = points[i].asPoint();
    return setPoints(all, space);
}

int MFnMesh::polygonVertexCount(int polygonId, MStatus* status) const
{
    const MeshGeometry* m = meshIn(mObject, status);
    if (!m || !validIndex(polygonId, m->numPolygons())) {
        report(status, MStatus::kInvalidParameter);
        return -1;
    }
    return m->polygonSize(static_cast<size_t>(polygonId));
}

MStatus MFnMesh::getPolygonVertices(int polygonId, MIntArray& vertexList) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    if (!m || !validIndex(polygonId, m->numPolygons()))
        return MStatus::kInvalidParameter;
    const size_t p = static_cast<size_t>(polygonId);
    vertexList.setLength(static_cast<unsigned int>(m->polygonSize(p)));
    for (int c = m->offset(p); c < m->offset(p + 1); ++c)
        vertexList[static_cast<unsigned int>(c - m->offset(p))] = m->vertexOfCorner(static_cast<size_t>(c));
    return MStatus::kSuccess;
}

MStatus MFnMesh::getVertices(MIntArray& vertexCount, MIntArray& vertexList) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    if (!m)
        return MStatus::kInvalidParameter;
    vertexCount.setLength(static_cast<unsigned int>(m->numPolygons()));
    for (size_t p = 0; p < m->numPolygons(); ++p)
        vertexCount[static_cast<unsigned int>(p)] = m->polygonSize(p);
    vertexList.setLength(static_cast<unsigned int>(m->numCorners()));
    for (size_t c = 0; c < m->numCorners(); ++c)
        vertexList[static_cast<unsigned int>(c)] = m->vertexOfCorner(c);
    return MStatus::kSuccess;
}

MStatus MFnMesh::getNormals(MFloatVectorArray& normals, MSpace::Space space) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    MMatrix to;
    if (!m || !vesk::spaceMatrix(mObject, mPath, space, true, to))
        return MStatus::kInvalidParameter;
    const MMatrix n = vesk::normalMatrix(to);
    const std::vector<MVector>& list = m->normalList();
    normals.setLength(static_cast<unsigned int>(list.size()));
    for (size_t i = 0; i < list.size(); ++i)
        normals[static_cast<unsigned int>(i)] = MFloatVector(space == MSpace::kWorld ? (list[i] * n).normal() : list[i]);
    return MStatus::kSuccess;
}

MStatus MFnMesh::getVertexNormal(int vertexId, MVector& normal, MSpace::Space space) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    MMatrix to;
    if (!m || !validIndex(vertexId, m->numVertices()) || !vesk::spaceMatrix(mObject, mPath, space, true, to))
        return MStatus::kInvalidParameter;
    normal = m->normalList()[static_cast<size_t>(vertexId)];
    if (space == MSpace::kWorld)
        normal = (normal * vesk::normalMatrix(to)).normal();
    return MStatus::kSuccess;
}

MStatus MFnMesh::setVertexNormals(const MVectorArray& normals, const MIntArray& vertexList, MSpace::Space space)
{
    MeshGeometry* m = vesk::meshOf(mObject);
    MMatrix to;
    if (!m || normals.length() != vertexList.length() || !vesk::spaceMatrix(mObject, mPath, space, false, to))
        return MStatus::kInvalidParameter;
    for (unsigned int i = 0; i < vertexList.length(); ++i)
        if (!validIndex(vertexList[i], m->numVertices()))
            return MStatus::kInvalidParameter;
    for (unsigned int i = 0; i < vertexList.length(); ++i)
        m->setVertexNormal(static_cast<size_t>(vertexList[i]), normals[i]);
    return MStatus::kSuccess;
}

MStatus MFnMesh::setFaceVertexNormals(const MVectorArray& normals, const MIntArray& faceList,
                                      const MIntArray& vertexList, MSpace::Space space)
{
    MeshGeometry* m = vesk::meshOf(mObject);
    MMatrix to;
    std::vector<int> corners;
    if (!m || normals.length() != faceList.length() || !vesk::spaceMatrix(mObject, mPath, space, false, to) ||
        !cornersOf(*m, faceList, vertexList, corners))
        return MStatus::kInvalidParameter;
    for (size_t i = 0; i < corners.size(); ++i)
        m->setCornerNormal(static_cast<size_t>(corners[i]), normals[static_cast<unsigned int>(i)]);
    return MStatus::kSuccess;
}

MStatus MFnMesh::getFaceVertexColors(MColorArray& colors, const MString*, const MColor*) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    if (!m)
        return MStatus::kInvalidParameter;
    colors.setLength(static_cast<unsigned int>(m->numCorners()));
    for (size_t c = 0; c < m->numCorners(); ++c)
        colors[static_cast<unsigned int>(c)] = m->cornerColor(c);
    return MStatus::kSuccess;
}

MStatus MFnMesh::getFaceVertexColorIndex(int faceIndex, int localVertexIndex, int& colorIndex,
                                         const MString*) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    if (!m || !validIndex(faceIndex, m->numPolygons()) ||
        !validIndex(localVertexIndex, static_cast<size_t>(m->polygonSize(static_cast<size_t>(faceIndex)))))
        return MStatus::kInvalidParameter;
    colorIndex = m->offset(static_cast<size_t>(faceIndex)) + localVertexIndex;
    return MStatus::kSuccess;
}

MStatus MFnMesh::setVertexColors(const MColorArray& colors, const MIntArray& vertexList, MDGModifier*)
{
    MeshGeometry* m = vesk::meshOf(mObject);
    if (!m || colors.length() != vertexList.length())
        return MStatus::kInvalidParameter;
    for (unsigned int i = 0; i < vertexList.length(); ++i)
        if (!validIndex(vertexList[i], m->numVertices()))
            return MStatus::kInvalidParameter;
    const std::vector<int>& around = m->cornersAround();
    for (unsigned int i = 0; i < vertexList.length(); ++i) {
        int begin, end;
        m->cornerRange(static_cast<size_t>(vertexList[i]), begin, end);
        for (int k = begin; k < end; ++k)
            m->setCornerColor(static_cast<size_t>(around[static_cast<size_t>(k)]), colors[i]);
    }
    return MStatus::kSuccess;
}

MStatus MFnMesh::setFaceVertexColors(const MColorArray& colors, const MIntArray& faceList,
                                     const MIntArray& vertexList, MDGModifier*)
{
    MeshGeometry* m = vesk::meshOf(mObject);
    std::vector<int> corners;
    if (!m || colors.length() != faceList.length() || !cornersOf(*m, faceList, vertexList, corners))
        return MStatus::kInvalidParameter;
    for (size_t i = 0; i < corners.size(); ++i)
        m->setCornerColor(static_cast<size_t>(corners[i]), colors[static_cast<unsigned int>(i)]);
    return MStatus::kSuccess;
}

MStatus MFnMesh::getUVSetNames(MStringArray& names) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    if (!m)
        return MStatus::kInvalidParameter;
    names.clear();
    for (const UVSet& s : m->uvSets())
        names.append(MString(s.name.c_str()));
    return MStatus::kSuccess;
}

int MFnMesh::numUVSets(MStatus* status) const
{
    const MeshGeometry* m = meshIn(mObject, status);
    return m ? static_cast<int>(m->uvSets().size()) : 0;
}

MStatus MFnMesh::getAssociatedUVSetTextures(const MString& setName, MObjectArray& textures) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    textures.clear();
    return m && m->uvSet(setName.asChar()) ? MStatus::kSuccess : MStatus::kInvalidParameter;
}

int MFnMesh::numUVs(const MString& setName, MStatus* status) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    const UVSet* s = m ? m->uvSet(setName.asChar()) : nullptr;
    report(status, s ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return s ? static_cast<int>(s->u.size()) : 0;
}

int MFnMesh::numUVs(MStatus* status) const
{
    return numUVs(MString(), status);
}

MStatus MFnMesh::getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* setName) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    const UVSet* s = m ? m->uvSet(vesk::setNameOf(setName)) : nullptr;
    if (!s)
        return MStatus::kInvalidParameter;
    uArray = MFloatArray(s->u.data(), static_cast<unsigned int>(s->u.size()));
    vArray = MFloatArray(s->v.data(), static_cast<unsigned int>(s->v.size()));
    return MStatus::kSuccess;
}

MStatus MFnMesh::setUVs(const MFloatArray& uArray, const MFloatArray& vArray, const MString* setName)
{
    MeshGeometry* m = vesk::meshOf(mObject);
    UVSet* s = m ? m->uvSet(vesk::setNameOf(setName)) : nullptr;
    if (!s || uArray.length() != vArray.length())
        return MStatus::kInvalidParameter;
    s->u.resize(uArray.length());
    s->v.resize(vArray.length());
    uArray.get(s->u.data());
    vArray.get(s->v.data());
    for (int& id : s->ids)
        if (id >= static_cast<int>(s->u.size()))
            id = -1;
    return MStatus::kSuccess;
}

MStatus MFnMesh::assignUVs(const MIntArray& uvCounts, const MIntArray& uvIds, const MString* setName)
{
    MeshGeometry* m = vesk::meshOf(mObject);
    UVSet* s = m ? m->uvSet(vesk::setNameOf(setName)) : nullptr;
    if (!s || uvCounts.length() != m->numPolygons() || uvIds.length() != m->numCorners())
        return MStatus::kInvalidParameter;
    for (unsigned int p = 0; p < uvCounts.length(); ++p)
        if (uvCounts[p] != m->polygonSize(p))
            return MStatus::kInvalidParameter;
    for (unsigned int c = 0; c < uvIds.length(); ++c)
        if (uvIds[c] < -1 || uvIds[c] >= static_cast<int>(s->u.size()))
            return MStatus::kInvalidParameter;
    s->ids.resize(uvIds.length());
    uvIds.get(s->ids.data());
    return MStatus::kSuccess;
}

MStatus MFnMesh::getPolygonUVid(int polygonId, int vertexIndex, int& uvId, const MString* setName) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    const UVSet* s = m ? m->uvSet(vesk::setNameOf(setName)) : nullptr;
    if (!s || !validIndex(polygonId, m->numPolygons()) ||
        !validIndex(vertexIndex, static_cast<size_t>(m->polygonSize(static_cast<size_t>(polygonId)))))
        return MStatus::kInvalidParameter;
    const size_t corner = static_cast<size_t>(m->offset(static_cast<size_t>(polygonId)) + vertexIndex);
    if (corner >= s->ids.size() || s->ids[corner] < 0)
        return MStatus::kInvalidParameter;
    uvId = s->ids[corner];
    return MStatus::kSuccess;
}

MStatus MFnMesh::createUVSet(const MString& name, MDGModifier*)
{
    MeshGeometry* m = vesk::meshOf(mObject);
    if (!m || name.length() == 0 || m->uvSet(name.asChar()))
        return MStatus::kInvalidParameter;
    m->uvSets().push_back(UVSet{name.asChar(), {}, {}, {}});
    return MStatus::kSuccess;
}

MStatus MFnMesh::renameUVSet(const MString& origName, const MString& newName, MDGModifier*)
{
    MeshGeometry* m = vesk::meshOf(mObject);
    UVSet* s = m && origName.length() ? m->uvSet(origName.asChar()) : nullptr;
    if (!s || newName.length() == 0 || (newName != origName && m->uvSet(newName.asChar())))
        return MStatus::kInvalidParameter;
    s->name = newName.asChar();
    return MStatus::kSuccess;
}

MStatus MFnMesh::getConnectedShaders(unsigned int instanceNumber, MObjectArray& shaders, MIntArray& indices) const
{
    const MeshGeometry* m = vesk::meshOf(mObject);
    const NodeId shape = ObjectAccess::node(mObject);
    if (!m || !shape.valid())
        return MStatus::kInvalidParameter;
    std::vector<vesk::Path> paths;
    vesk::store().allPaths(shape, paths);
    if (instanceNumber >= paths.size())
        return MStatus::kInvalidParameter;
    std::vector<NodeId> groups;
    std::vector<int> faceGroup;
    vesk::shadingGroupsOfFaces(paths[instanceNumber], m->numPolygons(), groups, faceGroup);
    shaders.clear();
    for (NodeId g : groups)
        shaders.append(ObjectAccess::fromNode(g));
    indices.setLength(static_cast<unsigned int>(faceGroup.size()));
    for (size_t p = 0; p < faceGroup.size(); ++p)
        indices[static_cast<unsigned int>(p)] = faceGroup[p];
    return MStatus::kSuccess;
}

MStatus MFnMesh::updateSurface()
{
    return vesk::meshOf(mObject) ? MStatus::kSuccess : MStatus::kInvalidParameter;
}
