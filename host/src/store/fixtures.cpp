#include "store/fixtures.h"

#include "geometry/geometry_kinds.h"
#include "store/node_store.h"
#include "store/numeric.h"

namespace vesk {
namespace fixture {
namespace {

bool plug(const std::string& text, PlugRef& out)
{
    Address a;
    if (!store().parseAddress(text, a) || !a.plug.attr)
        return false;
    out = PlugRef{a.node, a.plug};
    return true;
}

// A flat grid of size x size quadrilaterals in the XZ plane, one unit apart.
void buildGrid(MeshGeometry& mesh, int size)
{
    std::vector<MPoint> points;
    for (int z = 0; z <= size; ++z)
        for (int x = 0; x <= size; ++x)
            points.emplace_back(x, 0.0, z);
    std::vector<int> counts(static_cast<size_t>(size * size), 4);
    std::vector<int> connects;
    for (int z = 0; z < size; ++z)
        for (int x = 0; x < size; ++x) {
            const int a = z * (size + 1) + x;
            connects.insert(connects.end(), {a, a + size + 1, a + size + 2, a + 1});
        }
    mesh.build(points, counts.data(), counts.size(), connects.data());
}

// A flat open bicubic patch of 4 x 4 control vertices.
void buildPatch(NurbsGeometry& surface)
{
    surface.degreeU = surface.degreeV = 3;
    surface.numU = surface.numV = 4;
    surface.knotsU = surface.knotsV = {0, 0, 0, 1, 1, 1};
    surface.cvs.clear();
    for (int u = 0; u < 4; ++u)
        for (int v = 0; v < 4; ++v)
            surface.cvs.emplace_back(u, 0.0, v);
}

} // namespace

NodeId node(const std::string& address)
{
    Address a;
    return store().parseAddress(address, a) ? a.node : NodeId();
}

NodeId make(const std::string& typeName, const std::string& name, const std::string& parent)
{
    NodeId p;
    if (!parent.empty()) {
        p = node(parent);
        if (!p.valid())
            return NodeId();
    }
    return store().createNode(typeName, name, p);
}

bool nameAsIs(const std::string& address, const std::string& name)
{
    const NodeId n = node(address);
    return n.valid() && static_cast<bool>(store().renameAsIs(n, name));
}

NodeId makeShape(const std::string& shapeType, const std::string& name, const std::string& parent)
{
    const NodeId t = make("transform", name, parent);
    const NodeId shape = t.valid() ? store().createNode(shapeType, store().name(t) + "Shape", t) : NodeId();
    if (!shape.valid())
        return NodeId();
    if (MeshGeometry* mesh = meshOf(shape))
        buildGrid(*mesh, 4);
    if (NurbsGeometry* surface = nurbsOf(shape))
        buildPatch(*surface);
    return t;
}

bool connect(const std::string& src, const std::string& dst)
{
    PlugRef s, d;
    return plug(src, s) && plug(dst, d) && store().connect(s, d);
}

bool setNumber(const std::string& text, double value)
{
    PlugRef p;
    return plug(text, p) && p.key.attr->isNumericLeaf() &&
           store().writeValue(p.node, p.key, Value::ofNumber(storedNumber(p.key.attr, value, false)));
}

bool number(const std::string& text, double& out)
{
    PlugRef p;
    Value v;
    if (!plug(text, p) || !store().readValue(p.node, p.key, v) || v.kind != Value::kNumber)
        return false;
    out = v.number;
    return true;
}

} // namespace fixture
} // namespace vesk
