// Walks the control vertices of a NURBS surface.
#ifndef VESK_MITSURFACECV_H
#define VESK_MITSURFACECV_H

#include <vesk/MDagPath.h>
#include <vesk/MObject.h>
#include <vesk/MPoint.h>
#include <vesk/MSpace.h>
#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

// Visits every control vertex, U index outermost (with useURows) or V
// index outermost, or the CVs of a component in the order they were added.
// Works on the path's surface (a transform's first shape that is not an
// intermediate object) or on a surface shape or surface data.
class VESK_API MItSurfaceCV {
public:
    MItSurfaceCV(const MDagPath& path, const MObject& component = MObject::kNullObj, bool useURows = true,
                 MStatus* status = nullptr);
    MItSurfaceCV(const MObject& surface, bool useURows = true, MStatus* status = nullptr);
    ~MItSurfaceCV();
    MItSurfaceCV(const MItSurfaceCV&) = delete;
    MItSurfaceCV& operator=(const MItSurfaceCV&) = delete;

    bool isDone(MStatus* status = nullptr) const;
    MStatus next();
    MStatus reset();
    unsigned int count(MStatus* status = nullptr) const;
    // The CV's point index: u * numCVsInV + v.
    int index(MStatus* status = nullptr) const;
    MStatus getIndex(int& indexU, int& indexV) const;
    MPoint position(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;

private:
    struct Impl;
    Impl* mImpl;
};

#endif
