// MFnNurbsSurface and MItSurfaceCV.
#include <vector>

#include <vesk/MFnNurbsSurface.h>
#include <vesk/MItSurfaceCV.h>

#include "core/object_access.h"
#include "geometry/geometry_kinds.h"
#include "geometry/shape_fn_impl.h"
#include "store/node_store.h"

using vesk::NodeId;
using vesk::NurbsGeometry;
using vesk::ObjectAccess;
using vesk::report;

namespace {

NurbsGeometry* surfaceIn(const MObject& o, MStatus* status)
{
    NurbsGeometry* g = vesk::nurbsOf(o);
    report(status, g ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return g;
}

std::vector<double> valuesOf(const MDoubleArray& a)
{
    std::vector<double> out(a.length());
    a.get(out.data());
    return out;
}

} // namespace

MFnNurbsSurface::MFnNurbsSurface(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFnNurbsSurface::MFnNurbsSurface(const MDagPath& path, MStatus* status)
{
    report(status, bindPath(path, MFn::kNurbsSurface));
}

MFn::Type MFnNurbsSurface::type() const
{
    return MFn::kNurbsSurface;
}

bool MFnNurbsSurface::accepts(const MObject& object) const
{
    return vesk::nurbsOf(object) != nullptr;
}

MObject MFnNurbsSurface::create(const MPointArray& controlVertices, const MDoubleArray& uKnotSequences,
                                const MDoubleArray& vKnotSequences, unsigned int degreeInU, unsigned int degreeInV,
                                Form formU, Form formV, bool createRational, const MObject& parentOrOwner,
                                MStatus* status)
{
    const std::vector<double> ku = valuesOf(uKnotSequences);
    const std::vector<double> kv = valuesOf(vKnotSequences);
    if (degreeInU > 0xFFFFu || degreeInV > 0xFFFFu ||
        !NurbsGeometry::valid(controlVertices.length(), ku.size(), ku.data(), kv.size(), kv.data(),
                              static_cast<int>(degreeInU), static_cast<int>(degreeInV), formU, formV, nullptr)) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    NodeId shape;
    const MObject returned = vesk::createShape("nurbsSurface", parentOrOwner, shape, status);
    if (!shape.valid())
        return MObject();
    NurbsGeometry* target = vesk::nurbsOf(shape);
    target->degreeU = static_cast<int>(degreeInU);
    target->degreeV = static_cast<int>(degreeInV);
    target->formU = formU;
    target->formV = formV;
    target->rational = createRational;
    target->knotsU = ku;
    target->knotsV = kv;
    target->numU = ku.size() + 1 - degreeInU;
    target->numV = kv.size() + 1 - degreeInV;
    target->cvs.resize(controlVertices.length());
    controlVertices.get(target->cvs.data());
    mObject = ObjectAccess::fromNode(shape);
    mPath = MDagPath();
    report(status, MStatus::kSuccess);
    return returned;
}

int MFnNurbsSurface::degreeU(MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    return g ? g->degreeU : 0;
}

int MFnNurbsSurface::degreeV(MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    return g ? g->degreeV : 0;
}

MFnNurbsSurface::Form MFnNurbsSurface::formInU(MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    return g ? static_cast<Form>(g->formU) : kInvalid;
}

MFnNurbsSurface::Form MFnNurbsSurface::formInV(MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    return g ? static_cast<Form>(g->formV) : kInvalid;
}

int MFnNurbsSurface::numCVsInU(MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    return g ? static_cast<int>(g->numU) : 0;
}

int MFnNurbsSurface::numCVsInV(MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    return g ? static_cast<int>(g->numV) : 0;
}

int MFnNurbsSurface::numSpansInU(MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    return g && g->numU > 0 ? static_cast<int>(g->numU) - g->degreeU : 0;
}

int MFnNurbsSurface::numSpansInV(MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    return g && g->numV > 0 ? static_cast<int>(g->numV) - g->degreeV : 0;
}

int MFnNurbsSurface::numKnotsInU(MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    return g ? static_cast<int>(g->knotsU.size()) : 0;
}

int MFnNurbsSurface::numKnotsInV(MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    return g ? static_cast<int>(g->knotsV.size()) : 0;
}

MStatus MFnNurbsSurface::getKnotsInU(MDoubleArray& knots) const
{
    const NurbsGeometry* g = vesk::nurbsOf(mObject);
    if (!g)
        return MStatus::kInvalidParameter;
    knots = MDoubleArray(g->knotsU.data(), static_cast<unsigned int>(g->knotsU.size()));
    return MStatus::kSuccess;
}

MStatus MFnNurbsSurface::getKnotsInV(MDoubleArray& knots) const
{
    const NurbsGeometry* g = vesk::nurbsOf(mObject);
    if (!g)
        return MStatus::kInvalidParameter;
    knots = MDoubleArray(g->knotsV.data(), static_cast<unsigned int>(g->knotsV.size()));
    return MStatus::kSuccess;
}

double MFnNurbsSurface::knotInU(unsigned int index, MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    if (!g || index >= g->knotsU.size()) {
        report(status, MStatus::kInvalidParameter);
        return 0.0;
    }
    return g->knotsU[index];
}

double MFnNurbsSurface::knotInV(unsigned int index, MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    if (!g || index >= g->knotsV.size()) {
        report(status, MStatus::kInvalidParameter);
        return 0.0;
    }
    return g->knotsV[index];
}

bool MFnNurbsSurface::isRational(MStatus* status) const
{
    const NurbsGeometry* g = surfaceIn(mObject, status);
    return g && g->rational;
}

MStatus MFnNurbsSurface::getCV(unsigned int indexU, unsigned int indexV, MPoint& cv, MSpace::Space space) const
{
    const NurbsGeometry* g = vesk::nurbsOf(mObject);
    MMatrix to;
    if (!g || indexU >= g->numU || indexV >= g->numV || !vesk::spaceMatrix(mObject, mPath, space, true, to))
        return MStatus::kInvalidParameter;
    cv = g->cvs[indexU * g->numV + indexV] * to;
    return MStatus::kSuccess;
}

MStatus MFnNurbsSurface::getCVs(MPointArray& cvs, MSpace::Space space) const
{
    const NurbsGeometry* g = vesk::nurbsOf(mObject);
    MMatrix to;
    if (!g || !vesk::spaceMatrix(mObject, mPath, space, true, to))
        return MStatus::kInvalidParameter;
    cvs.setLength(static_cast<unsigned int>(g->cvs.size()));
    for (size_t i = 0; i < g->cvs.size(); ++i)
        cvs[static_cast<unsigned int>(i)] = g->cvs[i] * to;
    return MStatus::kSuccess;
}

MStatus MFnNurbsSurface::setCV(unsigned int indexU, unsigned int indexV, const MPoint& cv, MSpace::Space space)
{
    NurbsGeometry* g = vesk::nurbsOf(mObject);
    MMatrix to;
    if (!g || indexU >= g->numU || indexV >= g->numV || !vesk::spaceMatrix(mObject, mPath, space, false, to))
        return MStatus::kInvalidParameter;
    g->cvs[indexU * g->numV + indexV] = cv;
    return MStatus::kSuccess;
}

MStatus MFnNurbsSurface::setCVs(const MPointArray& cvs, MSpace::Space space)
{
    NurbsGeometry* g = vesk::nurbsOf(mObject);
    MMatrix to;
    if (!g || cvs.length() != g->cvs.size() || !vesk::spaceMatrix(mObject, mPath, space, false, to))
        return MStatus::kInvalidParameter;
    cvs.get(g->cvs.data());
    return MStatus::kSuccess;
}

// ---- MItSurfaceCV -----------------------------------------------------------------

struct MItSurfaceCV::Impl {
    vesk::Ref<NurbsGeometry> surface;
    MObject object;
    MDagPath path;
    bool valid = false;
    bool useURows = true;
    bool all = true;
    std::vector<std::pair<int, int>> listed;
    size_t count = 0;
    size_t pos = 0;

    void start(const MDagPath* p, const MObject& o, const MObject& component, MStatus* status)
    {
        MStatus s;
        MFnNurbsSurface fn;
        if (p)
            fn = MFnNurbsSurface(*p, &s);
        else
            fn = MFnNurbsSurface(o, &s);
        NurbsGeometry* g = s ? vesk::nurbsOf(fn.object()) : nullptr;
        if (!g) {
            report(status, MStatus::kInvalidParameter);
            return;
        }
        object = fn.object();
        fn.getPath(path);
        count = g->cvs.size();
        if (!component.isNull()) {
            const vesk::Component* c = static_cast<const vesk::Component*>(ObjectAccess::ref(component));
            if (!c || c->apiType() != MFn::kSurfaceCVComponent) {
                report(status, MStatus::kInvalidParameter);
                return;
            }
            if (!c->complete) {
                for (const auto& uv : c->pairs)
                    if (uv.first < 0 || uv.second < 0 || static_cast<size_t>(uv.first) >= g->numU ||
                        static_cast<size_t>(uv.second) >= g->numV) {
                        report(status, MStatus::kInvalidParameter);
                        return;
                    }
                listed = c->pairs;
                all = false;
                count = listed.size();
            }
        }
        surface = vesk::Ref<NurbsGeometry>(g);
        valid = true;
        report(status, MStatus::kSuccess);
    }
    bool current(MStatus* status) const
    {
        const bool ok = valid && pos < count;
        report(status, ok ? MStatus::kSuccess : MStatus::kFailure);
        return ok;
    }
    // The indices of the current CV.
    void at(int& u, int& v) const
    {
        if (!all) {
            u = listed[pos].first;
            v = listed[pos].second;
        } else if (useURows) {
            u = static_cast<int>(pos / surface->numV);
            v = static_cast<int>(pos % surface->numV);
        } else {
            u = static_cast<int>(pos % surface->numU);
            v = static_cast<int>(pos / surface->numU);
        }
    }
};

MItSurfaceCV::MItSurfaceCV(const MDagPath& path, const MObject& component, bool useURows, MStatus* status)
    : mImpl(new Impl)
{
    mImpl->useURows = useURows;
    mImpl->start(&path, MObject(), component, status);
}

MItSurfaceCV::MItSurfaceCV(const MObject& surface, bool useURows, MStatus* status) : mImpl(new Impl)
{
    mImpl->useURows = useURows;
    mImpl->start(nullptr, surface, MObject(), status);
}

MItSurfaceCV::~MItSurfaceCV()
{
    delete mImpl;
}

bool MItSurfaceCV::isDone(MStatus* status) const
{
    report(status, MStatus::kSuccess);
    return !mImpl->valid || mImpl->pos >= mImpl->count;
}

MStatus MItSurfaceCV::next()
{
    if (!mImpl->current(nullptr))
        return MStatus::kFailure;
    ++mImpl->pos;
    return MStatus::kSuccess;
}

MStatus MItSurfaceCV::reset()
{
    if (!mImpl->valid)
        return MStatus::kInvalidParameter;
    mImpl->pos = 0;
    return MStatus::kSuccess;
}

unsigned int MItSurfaceCV::count(MStatus* status) const
{
    report(status, mImpl->valid ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return static_cast<unsigned int>(mImpl->valid ? mImpl->count : 0);
}

int MItSurfaceCV::index(MStatus* status) const
{
    if (!mImpl->current(status))
        return -1;
    int u, v;
    mImpl->at(u, v);
    return u * static_cast<int>(mImpl->surface->numV) + v;
}

MStatus MItSurfaceCV::getIndex(int& indexU, int& indexV) const
{
    MStatus s;
    if (mImpl->current(&s))
        mImpl->at(indexU, indexV);
    return s;
}

MPoint MItSurfaceCV::position(MSpace::Space space, MStatus* status) const
{
    MMatrix to;
    if (!mImpl->current(status))
        return MPoint();
    if (!vesk::spaceMatrix(mImpl->object, mImpl->path, space, true, to)) {
        report(status, MStatus::kInvalidParameter);
        return MPoint();
    }
    int u, v;
    mImpl->at(u, v);
    return mImpl->surface->cvs[static_cast<size_t>(u) * mImpl->surface->numV + static_cast<size_t>(v)] * to;
}
