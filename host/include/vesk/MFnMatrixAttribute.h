// Attributes of one 4x4 matrix.
#ifndef VESK_MFNMATRIXATTRIBUTE_H
#define VESK_MFNMATRIXATTRIBUTE_H

#include <vesk/MFnAttribute.h>
#include <vesk/VeskExport.h>

// Matrices are held in double precision whatever the type asked.
class VESK_API MFnMatrixAttribute : public MFnAttribute {
public:
    enum Type { kFloat = 1, kDouble = 2 };

    MFnMatrixAttribute() {}
    MFnMatrixAttribute(const MObject& attribute, MStatus* status = nullptr);
    MFn::Type type() const override;
    MObject create(const MString& longName, const MString& shortName, Type type = kDouble,
                   MStatus* status = nullptr);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
