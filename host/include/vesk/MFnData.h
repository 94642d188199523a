// Function set base of data values (numbers, matrices, geometry).
#ifndef VESK_MFNDATA_H
#define VESK_MFNDATA_H

#include <vesk/MFnBase.h>
#include <vesk/VeskExport.h>

// The kinds of data a typed attribute holds. kGeometry accepts a mesh or a
// NURBS surface (deformer inputs and outputs).
class VESK_API MFnData : public MFnBase {
public:
    enum Type {
        kInvalid = 0,
        kNumeric = 1,
        kString = 2,
        kMatrix = 3,
        kMesh = 4,
        kNurbsSurface = 5,
        kGeometry = 6,
        kLast = 7
    };

    MFnData() {}
    // Binds to any data object; other objects fail with kInvalidParameter.
    MFnData(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

protected:
    bool accepts(const MObject& object) const override;
};

#endif
