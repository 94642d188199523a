// Numeric attributes: one number, or a compound of two to four.
#ifndef VESK_MFNNUMERICATTRIBUTE_H
#define VESK_MFNNUMERICATTRIBUTE_H

#include <vesk/MFnAttribute.h>
#include <vesk/MFnNumericData.h>
#include <vesk/VeskExport.h>

// Compound types (k2Short to k4Double) get children named long/short name
// + "X", "Y", "Z" ("W"); a colour (createColor) is three floats named
// + "R", "G", "B". Names are letters, digits and '_'. Limits and soft limits
// are stored, not enforced on values.
class VESK_API MFnNumericAttribute : public MFnAttribute {
public:
    MFnNumericAttribute() {}
    MFnNumericAttribute(const MObject& attribute, MStatus* status = nullptr);
    MFn::Type type() const override;

    // A new free attribute, bound to this set; a bad name or type fails with
    // kInvalidParameter and gives the null object.
    MObject create(const MString& longName, const MString& shortName, MFnNumericData::Type unitType,
                   double defaultValue = 0.0, MStatus* status = nullptr);
    MObject createColor(const MString& longName, const MString& shortName, MStatus* status = nullptr);
    MObject createPoint(const MString& longName, const MString& shortName, MStatus* status = nullptr);

    MFnNumericData::Type unitType(MStatus* status = nullptr) const;

    // Defaults: of the number, or of each child of a compound.
    MStatus getDefault(bool& value) const;
    MStatus getDefault(int& value) const;
    MStatus getDefault(float& value) const;
    MStatus getDefault(double& value) const;
    MStatus getDefault(double& a, double& b) const;
    MStatus getDefault(double& a, double& b, double& c) const;
    MStatus setDefault(bool value);
    MStatus setDefault(int value);
    MStatus setDefault(float value);
    MStatus setDefault(double value);
    MStatus setDefault(double a, double b);
    MStatus setDefault(double a, double b, double c);

    MStatus setMin(double value);
    MStatus setMax(double value);
    MStatus setSoftMin(double value);
    MStatus setSoftMax(double value);
    bool hasMin(MStatus* status = nullptr) const;
    bool hasMax(MStatus* status = nullptr) const;
    bool hasSoftMin(MStatus* status = nullptr) const;
    bool hasSoftMax(MStatus* status = nullptr) const;
    MStatus getMin(double& value) const;
    MStatus getMax(double& value) const;
    MStatus getSoftMin(double& value) const;
    MStatus getSoftMax(double& value) const;

protected:
    bool accepts(const MObject& object) const override;
};

#endif
