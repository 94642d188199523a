// Records of the values nodes keep outside plugs, and of data values.
#include <algorithm>

#include "anim/anim_curve.h"
#include "deform/deform_kinds.h"
#include "dump/dump_impl.h"
#include "geometry/geometry_kinds.h"
#include "store/node_store.h"
#include "store/types.h"

namespace vesk {
namespace {

long long ll(size_t v)
{
    return static_cast<long long>(v);
}

// Starts "<record> <id> [<sub>]".
DumpWriter& head(DumpWriter& out, const char* record, const std::string& id, const std::string* sub)
{
    out.begin(record, id);
    if (sub)
        out.word(*sub);
    return out;
}

void writePoint(DumpWriter& out, const MPoint& p)
{
    out.number(p.x).number(p.y).number(p.z);
    if (p.w != 1.0)
        out.number(p.w);
}

void writeMesh(DumpWriter& out, const char* record, const std::string& id, const std::string* sub,
               const MeshGeometry& m)
{
    head(out, record, id, sub).is().integer(ll(m.numVertices())).integer(ll(m.numPolygons()));
    out.integer(ll(m.numCorners())).end();
    for (size_t i = 0; i < m.numVertices(); ++i) {
        head(out, record, id, sub).word("v").integer(ll(i)).is();
        writePoint(out, m.points()[i]);
        out.end();
    }
    for (size_t f = 0; f < m.numPolygons(); ++f) {
        head(out, record, id, sub).word("f").integer(ll(f)).is();
        for (int c = m.offset(f); c < m.offset(f + 1); ++c)
            out.integer(m.vertexOfCorner(size_t(c)));
        out.end();
    }
    const std::vector<MVector>& normals = m.normalList();
    for (size_t i = 0; i < normals.size(); ++i)
        head(out, record, id, sub).word("n").integer(ll(i)).is().number(normals[i].x).number(normals[i].y)
            .number(normals[i].z).end();
    // Corner normals differ from their vertex's only where edges are hard.
    if (normals.size() > m.numVertices())
        for (size_t f = 0; f < m.numPolygons(); ++f) {
            head(out, record, id, sub).word("fn").integer(ll(f)).is();
            for (int c = m.offset(f); c < m.offset(f + 1); ++c)
                out.integer(m.normalIndex(size_t(c)));
            out.end();
        }
    if (m.hasColors())
        for (size_t c = 0; c < m.numCorners(); ++c) {
            const MColor col = m.cornerColor(c);
            head(out, record, id, sub).word("color").integer(ll(c)).is().single(col.r).single(col.g);
            out.single(col.b).single(col.a).end();
        }
    const std::vector<UVSet>& sets = m.uvSets();
    for (size_t k = 0; k < sets.size(); ++k) {
        const UVSet& s = sets[k];
        head(out, record, id, sub).word("uvset").integer(ll(k)).is().quoted(s.name).integer(ll(s.u.size()));
        out.end();
        for (size_t i = 0; i < s.u.size() && i < s.v.size(); ++i)
            head(out, record, id, sub).word("uv").integer(ll(k)).integer(ll(i)).is().single(s.u[i])
                .single(s.v[i]).end();
        if (s.ids.size() != m.numCorners())
            continue;
        for (size_t f = 0; f < m.numPolygons(); ++f) {
            head(out, record, id, sub).word("uvid").integer(ll(k)).integer(ll(f)).is();
            for (int c = m.offset(f); c < m.offset(f + 1); ++c)
                out.integer(s.ids[size_t(c)]);
            out.end();
        }
    }
}

void writeNumbers(DumpWriter& out, const std::vector<double>& values)
{
    for (double v : values)
        out.number(v);
}

void writeNurbs(DumpWriter& out, const char* record, const std::string& id, const std::string* sub,
                const NurbsGeometry& g)
{
    head(out, record, id, sub).is().integer(g.degreeU).integer(g.degreeV).integer(g.formU).integer(g.formV);
    out.integer(ll(g.numU)).integer(ll(g.numV)).integer(g.rational ? 1 : 0).end();
    head(out, record, id, sub).word("knotsU").is();
    writeNumbers(out, g.knotsU);
    out.end();
    head(out, record, id, sub).word("knotsV").is();
    writeNumbers(out, g.knotsV);
    out.end();
    for (size_t i = 0; i < g.cvs.size(); ++i) {
        head(out, record, id, sub).word("cv").integer(ll(i)).is();
        writePoint(out, g.cvs[i]);
        out.end();
    }
}

// The text of a set member's object: its full path, or its name.
std::string memberText(const SetMember& m)
{
    return m.path.empty() ? store().name(m.node) : store().fullPathName(m.path);
}

void writeSet(DumpWriter& out, const std::string& id, const SetMembers& set)
{
    out.begin("set", id).is().integer(set.restriction()).end();
    struct Line {
        std::string object;
        const char* word;
        const SetMember* member;
    };
    std::vector<Line> lines;
    for (const SetMember& m : set.members())
        if (SetMembers::live(m))
            lines.push_back(Line{memberText(m), m.component ? NodeStore::componentWord(m.component->apiType()) : nullptr,
                                 &m});
    // Members are a set: their order of addition is no part of the scene.
    std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        if (a.object != b.object)
            return a.object < b.object;
        return std::string(a.word ? a.word : "") < std::string(b.word ? b.word : "");
    });
    for (const Line& l : lines) {
        out.begin("set", id).word("member").quoted(l.object);
        if (l.word)
            out.word(l.word);
        out.is();
        const Component* c = l.member->component.get();
        if (!c) {
            out.word("whole");
        } else if (c->complete) {
            out.word("all");
        } else if (c->doubleIndexed()) {
            for (const auto& p : c->pairs)
                out.integer(p.first).integer(p.second);
        } else {
            for (int i : c->single)
                out.integer(i);
        }
        out.end();
    }
}

void writeSkin(DumpWriter& out, const std::string& id, const SkinWeights& skin)
{
    for (uint32_t g : skin.geometries()) {
        const std::vector<uint32_t> influences = skin.influencesOf(g);
        const size_t points = skin.pointCount(g);
        out.begin("skin", id).word("geometry").integer(g).is().integer(ll(points));
        for (uint32_t inf : influences)
            out.integer(inf);
        out.end();
        for (size_t p = 0; p < points; ++p) {
            out.begin("skin", id).word("weight").integer(g).integer(ll(p)).is();
            for (uint32_t inf : influences)
                out.number(skin.weight(g, p, inf));
            out.end();
        }
    }
}

} // namespace

const RefObject* writeData(DumpWriter& out, const RefObject& data)
{
    switch (data.apiType()) {
    case MFn::kMatrixData: {
        const MMatrix& m = static_cast<const MatrixData&>(data).matrix;
        out.word("matrix");
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                out.number(m.matrix[r][c]);
        return nullptr;
    }
    case MFn::kNumericData: {
        const NumericData& d = static_cast<const NumericData&>(data);
        out.word("numeric").integer(d.numericType);
        for (double v : d.values)
            out.number(v);
        return nullptr;
    }
    case MFn::kMeshData:
        out.word("mesh");
        return &data;
    case MFn::kNurbsSurfaceData:
        out.word("nurbs");
        return &data;
    default:
        out.word(typeName(data.apiType()));
        return nullptr;
    }
}

void writeGeometry(DumpWriter& out, const char* record, const std::string& id, const std::string* sub,
                   const RefObject& geometry)
{
    if (geometry.apiType() == MFn::kMeshData)
        writeMesh(out, record, id, sub, static_cast<const MeshGeometry&>(geometry));
    else if (geometry.apiType() == MFn::kNurbsSurfaceData)
        writeNurbs(out, record, id, sub, static_cast<const NurbsGeometry&>(geometry));
}

void writeKeys(DumpWriter& out, const std::string& id, const std::string* sub, const AnimCurve& curve)
{
    for (size_t i = 0; i < curve.size(); ++i) {
        const CurveKey& k = curve.key(i);
        head(out, "key", id, sub).integer(ll(i)).is().number(k.time).number(k.value).integer(k.inType);
        out.integer(k.outType).number(k.inSlope).number(k.outSlope).number(k.inExtent).number(k.outExtent);
        out.integer(k.tangentsLocked ? 1 : 0).integer(k.weightsLocked ? 1 : 0).end();
    }
}

void dumpPayload(DumpWriter& out, const std::string& id, NodeId node)
{
    NodeStore& s = store();
    if (const MeshGeometry* m = meshOf(node))
        writeMesh(out, "mesh", id, nullptr, *m);
    if (const NurbsGeometry* g = nurbsOf(node))
        writeNurbs(out, "nurbs", id, nullptr, *g);
    if (const SetMembers* set = setOf(node))
        writeSet(out, id, *set);
    if (const SkinWeights* skin = skinWeightsOf(node))
        writeSkin(out, id, *skin);
    if (const AnimCurve* curve = curveOf(node)) {
        // A curve that drives plugs is written under each of them.
        std::vector<PlugRef> driven;
        PlugKey output;
        output.attr = s.findAttribute(node, "output");
        s.destinationsOf(PlugRef{node, output}, driven);
        if (driven.empty()) {
            out.begin("curve", id)
                .is()
                .integer(curve->curveType())
                .integer(curve->weighted() ? 1 : 0)
                .integer(curve->infinity(true))
                .integer(curve->infinity(false))
                .end();
            writeKeys(out, id, nullptr, *curve);
        }
    }
}

} // namespace vesk
