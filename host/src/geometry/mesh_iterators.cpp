// MItMeshPolygon and MItMeshVertex.
#include <vector>

#include <vesk/MFnMesh.h>
#include <vesk/MItMeshPolygon.h>
#include <vesk/MItMeshVertex.h>

#include "core/object_access.h"
#include "geometry/geometry_kinds.h"
#include "geometry/shape_fn_impl.h"
#include "geometry/walk_impl.h"

using vesk::MeshGeometry;
using vesk::report;

namespace vesk {

bool ElementWalk::start(const MObject& component, MFn::Type type, size_t total, MStatus* status)
{
    pos = 0;
    all = true;
    count = total;
    if (!component.isNull()) {
        const Component* c = static_cast<const Component*>(ObjectAccess::ref(component));
        if (!c || c->apiType() != type) {
            report(status, MStatus::kInvalidParameter);
            return false;
        }
        if (c->complete) {
            if (c->completeCount < 0 || static_cast<size_t>(c->completeCount) > total) {
                report(status, MStatus::kInvalidParameter);
                return false;
            }
            count = static_cast<size_t>(c->completeCount);
        } else {
            for (int i : c->single)
                if (i < 0 || static_cast<size_t>(i) >= total) {
                    report(status, MStatus::kInvalidParameter);
                    return false;
                }
            listed = c->single;
            all = false;
            count = listed.size();
        }
    }
    report(status, MStatus::kSuccess);
    return true;
}

// The mesh of a path (its shape's) or of an object, kept alive by the walk,
// with the path's world matrix.
bool meshFor(const MDagPath* path, const MObject& object, Ref<MeshGeometry>& mesh, MObject& meshObject,
             MDagPath& bound)
{
    MStatus s;
    MFnMesh fn;
    if (path)
        fn = MFnMesh(*path, &s);
    else
        fn = MFnMesh(object, &s);
    if (!s)
        return false;
    meshObject = fn.object();
    fn.getPath(bound);
    mesh = Ref<MeshGeometry>(meshOf(meshObject));
    return mesh.get() != nullptr;
}

} // namespace vesk

using vesk::ElementWalk;

struct MItMeshPolygon::Impl {
    vesk::Ref<MeshGeometry> mesh;
    MObject object;
    MDagPath path;
    ElementWalk walk;
    bool valid = false;

    size_t polygon() const { return walk.at(); }
    // True when the walk stands on a polygon.
    bool current(MStatus* status) const
    {
        const bool ok = valid && !walk.done();
        report(status, ok ? MStatus::kSuccess : MStatus::kFailure);
        return ok;
    }
    // Corner v of the current polygon, or -1 with a failure.
    int cornerOf(int v, MStatus* status) const
    {
        if (!current(status))
            return -1;
        const size_t p = polygon();
        if (v < 0 || v >= mesh->polygonSize(p)) {
            report(status, MStatus::kInvalidParameter);
            return -1;
        }
        return mesh->offset(p) + v;
    }
};

namespace {

template <class Impl>
void startWalk(Impl& impl, const MDagPath* path, const MObject& object, const MObject& component, MFn::Type type,
               bool polygons, MStatus* status)
{
    if (!vesk::meshFor(path, object, impl.mesh, impl.object, impl.path)) {
        report(status, MStatus::kInvalidParameter);
        return;
    }
    const size_t total = polygons ? impl.mesh->numPolygons() : impl.mesh->numVertices();
    impl.valid = impl.walk.start(component, type, total, status);
    if (!impl.valid)
        impl.mesh = vesk::Ref<MeshGeometry>();
}

} // namespace

MItMeshPolygon::MItMeshPolygon(const MDagPath& path, const MObject& component, MStatus* status) : mImpl(new Impl)
{
    startWalk(*mImpl, &path, MObject(), component, MFn::kMeshPolygonComponent, true, status);
}

MItMeshPolygon::MItMeshPolygon(const MObject& mesh, MStatus* status) : mImpl(new Impl)
{
    startWalk(*mImpl, nullptr, mesh, MObject(), MFn::kMeshPolygonComponent, true, status);
}

MItMeshPolygon::~MItMeshPolygon()
{
    delete mImpl;
}

bool MItMeshPolygon::isDone(MStatus* status) const
{
    report(status, MStatus::kSuccess);
    return !mImpl->valid || mImpl->walk.done();
}

MStatus MItMeshPolygon::next()
{
    if (!mImpl->valid || mImpl->walk.done())
        return MStatus::kFailure;
    mImpl->walk.next();
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::reset()
{
    if (!mImpl->valid)
        return MStatus::kInvalidParameter;
    mImpl->walk.pos = 0;
    return MStatus::kSuccess;
}

unsigned int MItMeshPolygon::count(MStatus* status) const
{
    report(status, mImpl->valid ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return mImpl->valid ? static_cast<unsigned int>(mImpl->walk.count) : 0;
}

unsigned int MItMeshPolygon::index(MStatus* status) const
{
    return mImpl->current(status) ? static_cast<unsigned int>(mImpl->polygon()) : 0;
}

unsigned int MItMeshPolygon::polygonVertexCount(MStatus* status) const
{
    return mImpl->current(status) ? static_cast<unsigned int>(mImpl->mesh->polygonSize(mImpl->polygon())) : 0;
}

int MItMeshPolygon::vertexIndex(int v, MStatus* status) const
{
    const int c = mImpl->cornerOf(v, status);
    return c < 0 ? -1 : mImpl->mesh->vertexOfCorner(static_cast<size_t>(c));
}

MStatus MItMeshPolygon::getVertices(MIntArray& vertices) const
{
    MStatus s;
    if (!mImpl->current(&s))
        return s;
    const size_t p = mImpl->polygon();
    vertices.setLength(static_cast<unsigned int>(mImpl->mesh->polygonSize(p)));
    for (int c = mImpl->mesh->offset(p); c < mImpl->mesh->offset(p + 1); ++c)
        vertices[static_cast<unsigned int>(c - mImpl->mesh->offset(p))] =
            mImpl->mesh->vertexOfCorner(static_cast<size_t>(c));
    return s;
}

int MItMeshPolygon::normalIndex(int v, MStatus* status) const
{
    const int c = mImpl->cornerOf(v, status);
    return c < 0 ? -1 : mImpl->mesh->normalIndex(static_cast<size_t>(c));
}

MPoint MItMeshPolygon::point(int v, MSpace::Space space, MStatus* status) const
{
    const int c = mImpl->cornerOf(v, status);
    MMatrix to;
    if (c < 0 || !vesk::spaceMatrix(mImpl->object, mImpl->path, space, true, to)) {
        report(status, MStatus::kInvalidParameter);
        return MPoint();
    }
    return mImpl->mesh->points()[static_cast<size_t>(mImpl->mesh->vertexOfCorner(static_cast<size_t>(c)))] * to;
}

// ---- MItMeshVertex --------------------------------------------------------------

struct MItMeshVertex::Impl {
    vesk::Ref<MeshGeometry> mesh;
    MObject object;
    MDagPath path;
    ElementWalk walk;
    bool valid = false;

    size_t vertex() const { return walk.at(); }
    bool current(MStatus* status) const
    {
        const bool ok = valid && !walk.done();
        report(status, ok ? MStatus::kSuccess : MStatus::kFailure);
        return ok;
    }
};

MItMeshVertex::MItMeshVertex(const MDagPath& path, const MObject& component, MStatus* status) : mImpl(new Impl)
{
    startWalk(*mImpl, &path, MObject(), component, MFn::kMeshVertComponent, false, status);
}

MItMeshVertex::MItMeshVertex(const MObject& mesh, MStatus* status) : mImpl(new Impl)
{
    startWalk(*mImpl, nullptr, mesh, MObject(), MFn::kMeshVertComponent, false, status);
}

MItMeshVertex::~MItMeshVertex()
{
    delete mImpl;
}

bool MItMeshVertex::isDone(MStatus* status) const
{
    report(status, MStatus::kSuccess);
    return !mImpl->valid || mImpl->walk.done();
}

MStatus MItMeshVertex::next()
{
    if (!mImpl->valid || mImpl->walk.done())
        return MStatus::kFailure;
    mImpl->walk.next();
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::reset()
{
    if (!mImpl->valid)
        return MStatus::kInvalidParameter;
    mImpl->walk.pos = 0;
    return MStatus::kSuccess;
}

unsigned int MItMeshVertex::count(MStatus* status) const
{
    report(status, mImpl->valid ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return mImpl->valid ? static_cast<unsigned int>(mImpl->walk.count) : 0;
}

int MItMeshVertex::index(MStatus* status) const
{
    return mImpl->current(status) ? static_cast<int>(mImpl->vertex()) : -1;
}

MPoint MItMeshVertex::position(MSpace::Space space, MStatus* status) const
{
    MMatrix to;
    if (!mImpl->current(status))
        return MPoint();
    if (!vesk::spaceMatrix(mImpl->object, mImpl->path, space, true, to)) {
        report(status, MStatus::kInvalidParameter);
        return MPoint();
    }
    return mImpl->mesh->points()[mImpl->vertex()] * to;
}

MStatus MItMeshVertex::getNormals(MVectorArray& normals, MSpace::Space space) const
{
    MStatus s;
    MMatrix to;
    if (!mImpl->current(&s))
        return s;
    if (!vesk::spaceMatrix(mImpl->object, mImpl->path, space, true, to))
        return MStatus::kInvalidParameter;
    const MMatrix n = vesk::normalMatrix(to);
    int begin, end;
    mImpl->mesh->cornerRange(mImpl->vertex(), begin, end);
    const std::vector<int>& around = mImpl->mesh->cornersAround();
    normals.setLength(static_cast<unsigned int>(end - begin));
    for (int i = begin; i < end; ++i) {
        const MVector v = mImpl->mesh->cornerNormal(static_cast<size_t>(around[static_cast<size_t>(i)]));
        normals[static_cast<unsigned int>(i - begin)] = space == MSpace::kWorld ? (v * n).normal() : v;
    }
    return s;
}

MStatus MItMeshVertex::getConnectedFaces(MIntArray& faces) const
{
    MStatus s;
    if (!mImpl->current(&s))
        return s;
    int begin, end;
    mImpl->mesh->cornerRange(mImpl->vertex(), begin, end);
    const std::vector<int>& around = mImpl->mesh->cornersAround();
    faces.clear();
    for (int i = begin; i < end; ++i) {
        const int p = mImpl->mesh->polygonOfCorner(static_cast<size_t>(around[static_cast<size_t>(i)]));
        if (faces.length() == 0 || faces[faces.length() - 1] != p)
            faces.append(p);
    }
    return s;
}
