// Attributes without a value, for connections only.
#ifndef VESK_MFNMESSAGEATTRIBUTE_H
#define VESK_MFNMESSAGEATTRIBUTE_H

#include <vesk/MFnAttribute.h>
#include <vesk/VeskExport.h>

class VESK_API MFnMessageAttribute : public MFnAttribute {
public:
    MFnMessageAttribute() {}
    MFnMessageAttribute(const MObject& attribute, MStatus* status = nullptr);
    MFn::Type type() const override;
    MObject create(const MString& longName, const MString& shortName, MStatus* status = nullptr);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
