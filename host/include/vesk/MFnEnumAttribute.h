// Attributes of a short integer with named fields.
#ifndef VESK_MFNENUMATTRIBUTE_H
#define VESK_MFNENUMATTRIBUTE_H

#include <vesk/MFnAttribute.h>
#include <vesk/VeskExport.h>

class VESK_API MFnEnumAttribute : public MFnAttribute {
public:
    MFnEnumAttribute() {}
    MFnEnumAttribute(const MObject& attribute, MStatus* status = nullptr);
    MFn::Type type() const override;

    // A new free attribute bound to this set.
    MObject create(const MString& longName, const MString& shortName, short defaultValue = 0,
                   MStatus* status = nullptr);
    // Adds a field; an empty or taken name, or a taken value, fails with
    // kInvalidParameter.
    MStatus addField(const MString& name, short value);
    MString fieldName(short value, MStatus* status = nullptr) const;
    short fieldIndex(const MString& name, MStatus* status = nullptr) const;
    MStatus getDefault(short& value) const;
    MStatus setDefault(short value);
    // The smallest and largest field values (kFailure without fields).
    MStatus getMin(short& value) const;
    MStatus getMax(short& value) const;

protected:
    bool accepts(const MObject& object) const override;
};

#endif
