// Data holding one matrix.
#ifndef VESK_MFNMATRIXDATA_H
#define VESK_MFNMATRIXDATA_H

#include <vesk/MFnData.h>
#include <vesk/MMatrix.h>
#include <vesk/VeskExport.h>

// Matrix data is what matrix plugs give and take as objects.
class VESK_API MFnMatrixData : public MFnData {
public:
    MFnMatrixData() {}
    // Binds to matrix data; other objects fail with kInvalidParameter.
    MFnMatrixData(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

    // New data holding the matrix, bound to this set.
    MObject create(const MMatrix& m, MStatus* status = nullptr);
    // The matrix; the identity with kInvalidParameter when unbound.
    const MMatrix& matrix(MStatus* status = nullptr) const;
    // Replaces the matrix of the bound data.
    MStatus set(const MMatrix& m);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
