// The geometry of a NURBS surface: degrees, forms, knots and control
// vertices. A NURBS surface shape keeps one; its outSurface plug gives it as
// data.
#ifndef VESK_GEOMETRY_NURBS_GEOMETRY_H
#define VESK_GEOMETRY_NURBS_GEOMETRY_H

#include <string>
#include <vector>

#include <vesk/MPoint.h>
#include <vesk/VeskExport.h>

#include "store/ref.h"

namespace vesk {

// Control vertices are stored with V fastest: CV (u, v) is entry
// u * numV + v, which is also the point index of weight lists. A direction
// holds numCVs + degree - 1 knots; a periodic direction counts its repeated
// CVs among its numCVs. Forms: 1 open, 2 closed, 3 periodic.
class VESK_API NurbsGeometry : public RefObject {
public:
    NurbsGeometry();

    Ref<NurbsGeometry> copy() const;
    // The checks of a new surface: degrees at least 1, at least degree + 1
    // CVs per direction, CVs numU x numV in all, numCVs + degree - 1 knots
    // per direction, never decreasing, forms 1 to 3. error receives the
    // reason.
    static bool valid(size_t cvCount, size_t knotCountU, const double* knotsU, size_t knotCountV,
                      const double* knotsV, int degreeU, int degreeV, int formU, int formV, std::string* error);

    int degreeU = 1;
    int degreeV = 1;
    int formU = 1;
    int formV = 1;
    size_t numU = 0;
    size_t numV = 0;
    bool rational = false;
    std::vector<double> knotsU;
    std::vector<double> knotsV;
    std::vector<MPoint> cvs;
};

} // namespace vesk

#endif
