// Function set of NURBS surfaces: degrees, forms, knots, control vertices.
#ifndef VESK_MFNNURBSSURFACE_H
#define VESK_MFNNURBSSURFACE_H

#include <vesk/MDoubleArray.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MPointArray.h>
#include <vesk/MSpace.h>
#include <vesk/VeskExport.h>

// Works on a NURBS surface shape or on surface data (the value of an
// "outSurface" or deformer input plug); bound to a transform's path it works
// on the transform's first shape that is not an intermediate object.
//
// Control vertices are given and stored with V fastest: CV (u, v) is entry
// u * numCVsInV() + v, also its point index. A direction holds numCVs +
// degree - 1 knots; a periodic direction counts its repeated CVs (its last
// degree CVs repeat its first) among its numCVs. Spaces: kObject and
// kTransform, and kWorld for reading CVs of a shape.
class VESK_API MFnNurbsSurface : public MFnDagNode {
public:
    enum Form { kInvalid = 0, kOpen = 1, kClosed = 2, kPeriodic = 3, kLast = 4 };

    MFnNurbsSurface() {}
    MFnNurbsSurface(const MObject& object, MStatus* status = nullptr);
    MFnNurbsSurface(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override;

    // Makes a surface from its CVs and knots, placed as MFnMesh::create
    // places a mesh (shape "<parent>Shape" under a DAG node and returned; a
    // transform "nurbsSurface1" with the shape "nurbsSurfaceShape1" for the
    // null object, the transform returned). A new surface shows
    // "curvePrecisionShaded" 4. Refused with kInvalidParameter, making
    // nothing: a degree below 1, a form outside 1 to 3, knot counts that do
    // not match the CVs (numCVs + degree - 1 in each direction), decreasing
    // knots.
    MObject create(const MPointArray& controlVertices, const MDoubleArray& uKnotSequences,
                   const MDoubleArray& vKnotSequences, unsigned int degreeInU, unsigned int degreeInV, Form formU,
                   Form formV, bool createRational, const MObject& parentOrOwner = MObject::kNullObj,
                   MStatus* status = nullptr);

    int degreeU(MStatus* status = nullptr) const;
    int degreeV(MStatus* status = nullptr) const;
    Form formInU(MStatus* status = nullptr) const;
    Form formInV(MStatus* status = nullptr) const;
    int numCVsInU(MStatus* status = nullptr) const;
    int numCVsInV(MStatus* status = nullptr) const;
    int numSpansInU(MStatus* status = nullptr) const;
    int numSpansInV(MStatus* status = nullptr) const;
    int numKnotsInU(MStatus* status = nullptr) const;
    int numKnotsInV(MStatus* status = nullptr) const;
    MStatus getKnotsInU(MDoubleArray& knots) const;
    MStatus getKnotsInV(MDoubleArray& knots) const;
    // Knot i of a direction; 0 (and kInvalidParameter) past the last.
    double knotInU(unsigned int index, MStatus* status = nullptr) const;
    double knotInV(unsigned int index, MStatus* status = nullptr) const;
    bool isRational(MStatus* status = nullptr) const;

    MStatus getCV(unsigned int indexU, unsigned int indexV, MPoint& cv, MSpace::Space space = MSpace::kObject) const;
    MStatus getCVs(MPointArray& cvs, MSpace::Space space = MSpace::kObject) const;
    MStatus setCV(unsigned int indexU, unsigned int indexV, const MPoint& cv, MSpace::Space space = MSpace::kObject);
    // As many CVs as the surface has.
    MStatus setCVs(const MPointArray& cvs, MSpace::Space space = MSpace::kObject);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
