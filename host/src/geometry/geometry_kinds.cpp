// Shapes and their geometry: payloads, outputs, component bounds.
#include <memory>

#include "core/object_access.h"
#include "geometry/geometry_kinds.h"
#include "store/node_store.h"

namespace vesk {
namespace {

// The geometry a shape keeps.
class GeometryPayload : public Payload {
public:
    explicit GeometryPayload(RefObject* g) : geometry(g) {}
    Ref<RefObject> geometry;
};

GeometryPayload* payloadOf(NodeId shape)
{
    const Kind* k = store().kindOf(shape);
    if (!k || !(k->isA(MFn::kMesh) || k->isA(MFn::kNurbsSurface)))
        return nullptr;
    return static_cast<GeometryPayload*>(store().payload(shape));
}

bool geometryOutput(NodeStore&, NodeId n, const PlugKey&, Value& out)
{
    const GeometryPayload* p = payloadOf(n);
    if (!p)
        return false;
    out = Value::ofData(p->geometry);
    return true;
}

bool meshExtent(const NodeStore&, NodeId n, MFn::Type type, int& count, int& countV)
{
    const MeshGeometry* m = meshOf(n);
    countV = -1;
    if (!m || (type != MFn::kMeshVertComponent && type != MFn::kMeshPolygonComponent))
        return false;
    count = static_cast<int>(type == MFn::kMeshVertComponent ? m->numVertices() : m->numPolygons());
    return true;
}

bool surfaceExtent(const NodeStore&, NodeId n, MFn::Type type, int& count, int& countV)
{
    const NurbsGeometry* g = nurbsOf(n);
    if (!g || type != MFn::kSurfaceCVComponent)
        return false;
    count = static_cast<int>(g->numU);
    countV = static_cast<int>(g->numV);
    return true;
}

} // namespace

Ref<RefObject> geometryOf(NodeId shape)
{
    const GeometryPayload* p = payloadOf(shape);
    return p ? p->geometry : Ref<RefObject>();
}

bool setGeometryOf(NodeId shape, const Ref<RefObject>& geometry)
{
    GeometryPayload* p = payloadOf(shape);
    if (!p || !geometry || geometry->apiType() != p->geometry->apiType())
        return false;
    p->geometry = geometry;
    return true;
}

MeshGeometry* meshOf(NodeId shape)
{
    const GeometryPayload* p = payloadOf(shape);
    return p && p->geometry->apiType() == MFn::kMeshData ? static_cast<MeshGeometry*>(p->geometry.get()) : nullptr;
}

MeshGeometry* meshOf(const MObject& object)
{
    if (RefObject* r = ObjectAccess::ref(object))
        return r->apiType() == MFn::kMeshData ? static_cast<MeshGeometry*>(r) : nullptr;
    return meshOf(ObjectAccess::node(object));
}

NurbsGeometry* nurbsOf(NodeId shape)
{
    const GeometryPayload* p = payloadOf(shape);
    return p && p->geometry->apiType() == MFn::kNurbsSurfaceData ? static_cast<NurbsGeometry*>(p->geometry.get())
                                                                 : nullptr;
}

NurbsGeometry* nurbsOf(const MObject& object)
{
    if (RefObject* r = ObjectAccess::ref(object))
        return r->apiType() == MFn::kNurbsSurfaceData ? static_cast<NurbsGeometry*>(r) : nullptr;
    return nurbsOf(ObjectAccess::node(object));
}

long pointCountOf(NodeId shape)
{
    if (const MeshGeometry* m = meshOf(shape))
        return static_cast<long>(m->numVertices());
    if (const NurbsGeometry* g = nurbsOf(shape))
        return static_cast<long>(g->cvs.size());
    return -1;
}

NodeId geometryShapeOf(NodeId node)
{
    if (payloadOf(node))
        return node;
    const Kind* k = store().kindOf(node);
    if (k && k->isA(MFn::kTransform)) {
        const NodeId shape = store().firstShape(node);
        return payloadOf(shape) ? shape : NodeId();
    }
    return NodeId();
}

const char* geometryInputName(NodeId shape)
{
    const Kind* k = store().kindOf(shape);
    return !k ? nullptr : k->isA(MFn::kMesh) ? "inMesh" : k->isA(MFn::kNurbsSurface) ? "inSurface" : nullptr;
}

const char* geometryOutputName(NodeId shape)
{
    const Kind* k = store().kindOf(shape);
    return !k ? nullptr : k->isA(MFn::kMesh) ? "outMesh" : k->isA(MFn::kNurbsSurface) ? "outSurface" : nullptr;
}

void registerGeometryHooks(KindRegistry& registry)
{
    Kind* mesh = registry.find(MFn::kMesh);
    mesh->payloadFactory = [](NodeStore&, NodeId) {
        return std::unique_ptr<Payload>(new GeometryPayload(new MeshGeometry));
    };
    mesh->componentExtent = meshExtent;
    mesh->findAttribute("outMesh")->compute = geometryOutput;
    Kind* surface = registry.find(MFn::kNurbsSurface);
    surface->payloadFactory = [](NodeStore&, NodeId) {
        return std::unique_ptr<Payload>(new GeometryPayload(new NurbsGeometry));
    };
    surface->componentExtent = surfaceExtent;
    surface->findAttribute("outSurface")->compute = geometryOutput;
}

} // namespace vesk
