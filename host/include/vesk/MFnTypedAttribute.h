// Attributes holding data: texts, geometry.
#ifndef VESK_MFNTYPEDATTRIBUTE_H
#define VESK_MFNTYPEDATTRIBUTE_H

#include <vesk/MFnAttribute.h>
#include <vesk/MFnData.h>
#include <vesk/VeskExport.h>

class VESK_API MFnTypedAttribute : public MFnAttribute {
public:
    MFnTypedAttribute() {}
    MFnTypedAttribute(const MObject& attribute, MStatus* status = nullptr);
    MFn::Type type() const override;

    // A new free attribute of a data type (kString, kMatrix, kMesh,
    // kNurbsSurface, kGeometry) bound to this set.
    MObject create(const MString& longName, const MString& shortName, MFnData::Type dataType,
                   const MObject& defaultData = MObject::kNullObj, MStatus* status = nullptr);
    MFnData::Type attrType(MStatus* status = nullptr) const;

protected:
    bool accepts(const MObject& object) const override;
};

#endif
