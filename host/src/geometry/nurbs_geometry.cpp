#include "geometry/nurbs_geometry.h"

namespace vesk {
namespace {

bool rising(const double* knots, size_t count)
{
    for (size_t i = 1; i < count; ++i)
        if (!(knots[i] >= knots[i - 1]))
            return false;
    return true;
}

} // namespace

NurbsGeometry::NurbsGeometry() : RefObject(MFn::kNurbsSurfaceData) {}

Ref<NurbsGeometry> NurbsGeometry::copy() const
{
    Ref<NurbsGeometry> g(new NurbsGeometry);
    g->degreeU = degreeU;
    g->degreeV = degreeV;
    g->formU = formU;
    g->formV = formV;
    g->numU = numU;
    g->numV = numV;
    g->rational = rational;
    g->knotsU = knotsU;
    g->knotsV = knotsV;
    g->cvs = cvs;
    return g;
}

bool NurbsGeometry::valid(size_t cvCount, size_t knotCountU, const double* knotsU, size_t knotCountV,
                          const double* knotsV, int degreeU, int degreeV, int formU, int formV, std::string* error)
{
    auto fail = [&](const char* why) {
        if (error)
            *error = why;
        return false;
    };
    if (degreeU < 1 || degreeV < 1 || degreeU > 0xFFFF || degreeV > 0xFFFF)
        return fail("a degree is below 1");
    if (formU < 1 || formU > 3 || formV < 1 || formV > 3)
        return fail("a form is not open, closed or periodic");
    // Knots = CVs + degree - 1, so the CV counts follow from the knots.
    if (knotCountU + 1 < static_cast<size_t>(degreeU) * 2 + 1 || knotCountV + 1 < static_cast<size_t>(degreeV) * 2 + 1)
        return fail("too few knots for the degree");
    const size_t numU = knotCountU + 1 - static_cast<size_t>(degreeU);
    const size_t numV = knotCountV + 1 - static_cast<size_t>(degreeV);
    if (numU == 0 || numV == 0 || cvCount % numU != 0 || cvCount / numU != numV)
        return fail("the control vertices do not match the knots");
    if (!rising(knotsU, knotCountU) || !rising(knotsV, knotCountV))
        return fail("the knots decrease");
    return true;
}

} // namespace vesk
