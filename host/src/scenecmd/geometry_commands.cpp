// Geometry from numbers: polyMesh (points, polygons, corner normals, UV
// sets, corner colours) and surface (a NURBS surface from degrees, forms,
// knots and control vertices). Every number is read and checked before a
// node is made, so a refused call leaves the scene as it was; the cost is
// linear in the numbers given.
#include <cmath>

#include "foundation/number_text.h"
#include "geometry/geometry_kinds.h"
#include "scenecmd/scene_commands_impl.h"

namespace vesk {
namespace {

// The numbers of a flag as a list (none when the flag is absent).
bool flagNumbers(const BoundArgs& args, const char* flag, size_t group, const char* what, std::vector<double>& out,
                 MStatus& status)
{
    out.clear();
    return !args.has(flag) || readNumberList(args.text(flag), group, what, out, status);
}

// Points x y z (x y z w with weights) in user distance units.
bool readPoints(const BoundArgs& args, const char* flag, bool weighted, std::vector<MPoint>& out, MStatus& status)
{
    std::vector<double> n;
    const size_t group = weighted ? 4 : 3;
    if (!flagNumbers(args, flag, group, "points", n, status))
        return false;
    const double scale = internalPerUiUnit(2);
    out.resize(n.size() / group);
    for (size_t i = 0; i < out.size(); ++i) {
        const double* p = &n[i * group];
        const double w = weighted ? p[3] : 1.0;
        if (!(w > 0.0)) {
            status = commandError("The weight of point " + std::to_string(i) + " is not above 0");
            return false;
        }
        out[i] = MPoint(p[0] * scale, p[1] * scale, p[2] * scale, w);
    }
    return true;
}

// An integral number in [low, high).
bool indexIn(double v, long long low, long long high)
{
    return v == std::floor(v) && v >= static_cast<double>(low) && v < static_cast<double>(high);
}

// Polygons as vertex indices, each polygon ended by a ',' or the end:
// "0 1 2 3, 1 4 5 2".
bool readPolygons(const std::string& text, size_t vertexCount, std::vector<int>& counts, std::vector<int>& connects,
                  MStatus& status)
{
    std::vector<double> indices;
    if (text.find_first_not_of(" \t\n\r") == std::string::npos)
        return true;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find(',', begin);
        if (end == std::string::npos)
            end = text.size();
        if (!readNumberList(text.substr(begin, end - begin), 1, "polygons", indices, status))
            return false;
        const bool last = end == text.size();
        if (indices.empty() && !(last && begin > 0)) {
            status = commandError("Polygon " + std::to_string(counts.size()) + " has no corners");
            return false;
        }
        if (!indices.empty() && indices.size() < 3) {
            status = commandError("Polygon " + std::to_string(counts.size()) + " has fewer than 3 corners");
            return false;
        }
        for (double v : indices) {
            if (!indexIn(v, 0, static_cast<long long>(vertexCount))) {
                status = commandError("Polygon " + std::to_string(counts.size()) +
                                      " names no vertex: " + shortestText(v));
                return false;
            }
            connects.push_back(static_cast<int>(v));
        }
        if (!indices.empty())
            counts.push_back(static_cast<int>(indices.size()));
        if (connects.size() > 0x7FFFFFFFu) {
            status = commandError("Too many corners");
            return false;
        }
        begin = end + 1;
    }
    return true;
}

// One -uv use read: its name, UVs and per-corner ids.
bool readUVSet(const BoundArgs::Use& use, size_t cornerCount, UVSet& out, MStatus& status)
{
    out.name = use.values[0].text;
    if (out.name.empty()) {
        status = commandError("A UV set needs a name");
        return false;
    }
    std::vector<double> uv, ids;
    if (!readNumberList(use.values[1].text, 2, "UVs", uv, status) ||
        !readNumberList(use.values[2].text, 1, "UV ids", ids, status))
        return false;
    if (ids.size() != cornerCount) {
        status = commandError("UV set " + out.name + " gives " + std::to_string(ids.size()) + " UV ids for " +
                              std::to_string(cornerCount) + " corners");
        return false;
    }
    out.u.resize(uv.size() / 2);
    out.v.resize(uv.size() / 2);
    for (size_t i = 0; i < out.u.size(); ++i) {
        out.u[i] = static_cast<float>(uv[2 * i]);
        out.v[i] = static_cast<float>(uv[2 * i + 1]);
    }
    out.ids.resize(ids.size());
    for (size_t c = 0; c < ids.size(); ++c) {
        if (!indexIn(ids[c], -1, static_cast<long long>(out.u.size()))) {
            status = commandError("UV set " + out.name + ": corner " + std::to_string(c) + " names no UV");
            return false;
        }
        out.ids[c] = static_cast<int>(ids[c]);
    }
    return true;
}

// Per-corner lists: group numbers for each corner, or none.
bool readCornerValues(const BoundArgs& args, const char* flag, size_t group, const char* what, size_t cornerCount,
                      std::vector<double>& out, MStatus& status)
{
    if (!flagNumbers(args, flag, group, what, out, status))
        return false;
    if (args.has(flag) && out.size() != group * cornerCount) {
        status = commandError("The " + std::string(what) + " give " + std::to_string(out.size() / group) +
                              " corners of " + std::to_string(cornerCount));
        return false;
    }
    return true;
}

const FlagSpec kPolyMeshFlags[] = {
    {"name", "n", "s", 0},    {"parent", "p", "s", 0},  {"points", "pt", "s", 0},
    {"faces", "f", "s", 0},   {"normals", "nm", "s", 0}, {"uvSet", "uv", "sss", FlagSpec::kMulti},
    {"colors", "cl", "s", 0},
};

MStatus runPolyMesh(const BoundArgs& args, CommandResult& result)
{
    if (!args.positionals.empty())
        return commandError("takes its numbers by flags only");
    MStatus status;
    NodeId parent;
    std::vector<MPoint> points;
    std::vector<int> counts, connects;
    if (!readParent(args.text("parent"), parent, status) || !readPoints(args, "points", false, points, status) ||
        !readPolygons(args.text("faces"), points.size(), counts, connects, status))
        return status;
    const size_t corners = connects.size();
    std::vector<double> normals, colors;
    if (!readCornerValues(args, "normals", 3, "normals", corners, normals, status) ||
        !readCornerValues(args, "colors", 4, "colours", corners, colors, status))
        return status;
    for (size_t c = 0; c < normals.size() / 3; ++c)
        if (normals[3 * c] == 0.0 && normals[3 * c + 1] == 0.0 && normals[3 * c + 2] == 0.0)
            return commandError("The normal of corner " + std::to_string(c) + " has no direction");
    std::vector<UVSet> sets;
    for (const BoundArgs::Use* use : args.all("uvSet")) {
        sets.emplace_back();
        if (!readUVSet(*use, corners, sets.back(), status))
            return status;
        for (size_t i = 0; i + 1 < sets.size(); ++i)
            if (sets[i].name == sets.back().name)
                return commandError("UV set " + sets.back().name + " is given twice");
    }

    NodeId transform, shape;
    if (!makeShapeNodes("mesh", args.text("name"), "", parent, transform, shape, status))
        return status;
    MeshGeometry& mesh = *meshOf(shape);
    mesh.build(points, counts.data(), counts.size(), connects.data());
    for (size_t c = 0; c < normals.size() / 3; ++c)
        mesh.setCornerNormal(c, MVector(normals[3 * c], normals[3 * c + 1], normals[3 * c + 2]).normal());
    for (size_t c = 0; c < colors.size() / 4; ++c)
        mesh.setCornerColor(c, MColor(static_cast<float>(colors[4 * c]), static_cast<float>(colors[4 * c + 1]),
                                      static_cast<float>(colors[4 * c + 2]), static_cast<float>(colors[4 * c + 3])));
    // The first set given takes the place of the default one.
    if (!sets.empty())
        mesh.uvSets() = std::move(sets);
    result.setStrings({nodeText(transform), store().name(shape)});
    return MStatus::kSuccess;
}

struct FormName {
    const char* word;
    int form;
};
const FormName kForms[] = {{"open", 1}, {"closed", 2}, {"periodic", 3}};

bool readForm(const BoundArgs& args, const char* flag, int& out, MStatus& status)
{
    out = 1;
    if (!args.has(flag))
        return true;
    for (const FormName& f : kForms)
        if (args.text(flag) == f.word) {
            out = f.form;
            return true;
        }
    status = commandError("Not a form (open, closed, periodic): " + args.text(flag));
    return false;
}

// A periodic direction repeats its first degree rows of CVs at its end.
bool repeatsItsStart(const NurbsGeometry& g, bool inU)
{
    const size_t rows = inU ? g.numU : g.numV;
    const size_t degree = static_cast<size_t>(inU ? g.degreeU : g.degreeV);
    const size_t across = inU ? g.numV : g.numU;
    for (size_t r = 0; r < degree; ++r)
        for (size_t a = 0; a < across; ++a) {
            const size_t first = inU ? r * g.numV + a : a * g.numV + r;
            const size_t again = inU ? (rows - degree + r) * g.numV + a : a * g.numV + (rows - degree + r);
            if (!(g.cvs[first] == g.cvs[again]))
                return false;
        }
    return true;
}

const FlagSpec kSurfaceFlags[] = {
    {"name", "n", "s", 0},    {"parent", "p", "s", 0},      {"degreeU", "du", "i", 0},
    {"degreeV", "dv", "i", 0}, {"formU", "fu", "s", 0},       {"formV", "fv", "s", 0},
    {"knotsU", "ku", "s", 0}, {"knotsV", "kv", "s", 0},      {"points", "pt", "s", 0},
    {"pointWeights", "pw", "s", 0},
};

MStatus runSurface(const BoundArgs& args, CommandResult& result)
{
    if (!args.positionals.empty())
        return commandError("takes its numbers by flags only");
    if (args.has("points") == args.has("pointWeights"))
        return commandError("needs the control vertices by -pt or -pw");
    MStatus status;
    NodeId parent;
    Ref<NurbsGeometry> g(new NurbsGeometry);
    g->rational = args.has("pointWeights");
    g->degreeU = args.integer("degreeU", 0, 3);
    g->degreeV = args.integer("degreeV", 0, 3);
    if (!readParent(args.text("parent"), parent, status) || !readForm(args, "formU", g->formU, status) ||
        !readForm(args, "formV", g->formV, status) ||
        !flagNumbers(args, "knotsU", 1, "U knots", g->knotsU, status) ||
        !flagNumbers(args, "knotsV", 1, "V knots", g->knotsV, status) ||
        !readPoints(args, g->rational ? "pointWeights" : "points", g->rational, g->cvs, status))
        return status;
    std::string error;
    if (!NurbsGeometry::valid(g->cvs.size(), g->knotsU.size(), g->knotsU.data(), g->knotsV.size(), g->knotsV.data(),
                              g->degreeU, g->degreeV, g->formU, g->formV, &error))
        return commandError("Not a surface: " + error);
    g->numU = g->knotsU.size() + 1 - static_cast<size_t>(g->degreeU);
    g->numV = g->knotsV.size() + 1 - static_cast<size_t>(g->degreeV);
    if ((g->formU == 3 && !repeatsItsStart(*g, true)) || (g->formV == 3 && !repeatsItsStart(*g, false)))
        return commandError("A periodic direction must end with its first degree rows of control vertices again");

    NodeId transform, shape;
    if (!makeShapeNodes("nurbsSurface", args.text("name"), "", parent, transform, shape, status))
        return status;
    setGeometryOf(shape, g);
    result.setStrings({nodeText(transform), store().name(shape)});
    return MStatus::kSuccess;
}

const CommandSpec kGeometryCommands[] = {
    {"polyMesh", kPolyMeshFlags, sizeof kPolyMeshFlags / sizeof kPolyMeshFlags[0], runPolyMesh, nullptr},
    {"surface", kSurfaceFlags, sizeof kSurfaceFlags / sizeof kSurfaceFlags[0], runSurface, nullptr},
};

} // namespace

void registerGeometryCommands(Interpreter& interp)
{
    addCommands(interp, kGeometryCommands);
}

} // namespace vesk
