// Attributes of one number in a unit: angle, distance or time.
#ifndef VESK_MFNUNITATTRIBUTE_H
#define VESK_MFNUNITATTRIBUTE_H

#include <vesk/MAngle.h>
#include <vesk/MDistance.h>
#include <vesk/MFnAttribute.h>
#include <vesk/VeskExport.h>

// Values are held in internal units: radians (or the internal angle unit),
// centimetres, seconds. The MAngle and MDistance forms convert.
class VESK_API MFnUnitAttribute : public MFnAttribute {
public:
    enum Type { kInvalid = 0, kAngle = 1, kDistance = 2, kTime = 3, kLast = 4 };

    MFnUnitAttribute() {}
    MFnUnitAttribute(const MObject& attribute, MStatus* status = nullptr);
    MFn::Type type() const override;

    // A new free attribute bound to this set; a bad name or unit type fails
    // with kInvalidParameter.
    MObject create(const MString& longName, const MString& shortName, Type unitType, double defaultValue = 0.0,
                   MStatus* status = nullptr);
    Type unitType(MStatus* status = nullptr) const;

    MStatus getDefault(double& value) const;
    MStatus setDefault(double value);
    MStatus setDefault(const MAngle& value);
    MStatus setDefault(const MDistance& value);
    MStatus setMin(double value);
    MStatus setMin(const MAngle& value);
    MStatus setMin(const MDistance& value);
    MStatus setMax(double value);
    MStatus setMax(const MAngle& value);
    MStatus setMax(const MDistance& value);
    MStatus setSoftMin(double value);
    MStatus setSoftMax(double value);
    bool hasMin(MStatus* status = nullptr) const;
    bool hasMax(MStatus* status = nullptr) const;
    MStatus getMin(double& value) const;
    MStatus getMax(double& value) const;

protected:
    bool accepts(const MObject& object) const override;
};

#endif
