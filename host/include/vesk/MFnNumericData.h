// Data holding two, three or four numbers (a compound numeric value).
#ifndef VESK_MFNNUMERICDATA_H
#define VESK_MFNNUMERICDATA_H

#include <vesk/MFnData.h>
#include <vesk/VeskExport.h>

// Numeric types, also the unit types of numeric attributes.
// getData/setData need the count of numbers the data holds (2, 3 or 4) and
// fail with kInvalidParameter otherwise, changing nothing; values convert
// like plug values.
class VESK_API MFnNumericData : public MFnData {
public:
    enum Type {
        kInvalid = 0,
        kBoolean = 1,
        kByte = 2,
        kChar = 3,
        kShort = 4,
        k2Short = 5,
        k3Short = 6,
        kLong = 7,
        kInt = kLong,
        k2Long = 8,
        k2Int = k2Long,
        k3Long = 9,
        k3Int = k3Long,
        kFloat = 10,
        k2Float = 11,
        k3Float = 12,
        kDouble = 13,
        k2Double = 14,
        k3Double = 15,
        k4Double = 16,
        kAddr = 17,
        kLast = 18
    };

    MFnNumericData() {}
    // Binds to numeric data; other objects fail with kInvalidParameter.
    MFnNumericData(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

    // New data of a multi-number type (k2Short to k4Double), zeros, bound to
    // this set; a single-number type fails with kInvalidParameter and gives
    // the null object.
    MObject create(Type dataType, MStatus* status = nullptr);
    Type numericType(MStatus* status = nullptr) const;

    MStatus getData(int& a, int& b) const;
    MStatus getData(int& a, int& b, int& c) const;
    MStatus getData(float& a, float& b) const;
    MStatus getData(float& a, float& b, float& c) const;
    MStatus getData(double& a, double& b) const;
    MStatus getData(double& a, double& b, double& c) const;
    MStatus getData(double& a, double& b, double& c, double& d) const;
    MStatus setData(int a, int b);
    MStatus setData(int a, int b, int c);
    MStatus setData(float a, float b);
    MStatus setData(float a, float b, float c);
    MStatus setData(double a, double b);
    MStatus setData(double a, double b, double c);
    MStatus setData(double a, double b, double c, double d);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
