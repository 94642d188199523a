// MFnData, MFnNumericData and MFnMatrixData.
#include <type_traits>

#include <vesk/MFnMatrixData.h>
#include <vesk/MFnNumericData.h>

#include "core/object_access.h"
#include "store/numeric.h"
#include "store/types.h"

using vesk::ObjectAccess;
using vesk::report;

namespace {

vesk::NumericData* numeric(const MObject& o)
{
    return dynamic_cast<vesk::NumericData*>(ObjectAccess::ref(o));
}

vesk::MatrixData* matrixData(const MObject& o)
{
    return dynamic_cast<vesk::MatrixData*>(ObjectAccess::ref(o));
}

// Reads or writes `count` values of the bound numeric data.
template <class T>
MStatus getNumbers(const MObject& o, T* const out[], int count)
{
    vesk::NumericData* d = numeric(o);
    if (!d || vesk::numericChildCount(d->numericType) != count)
        return MStatus::kInvalidParameter;
    for (int i = 0; i < count; ++i) {
        if constexpr (std::is_same<T, int>::value)
            *out[i] = static_cast<int>(vesk::clampToInteger(d->values[i], 32));
        else if constexpr (std::is_same<T, float>::value)
            *out[i] = vesk::clampToFloat(d->values[i]);
        else
            *out[i] = d->values[i];
    }
    return MStatus::kSuccess;
}

MStatus setNumbers(const MObject& o, const double* values, int count)
{
    vesk::NumericData* d = numeric(o);
    if (!d || vesk::numericChildCount(d->numericType) != count)
        return MStatus::kInvalidParameter;
    const int child = vesk::numericChildType(d->numericType);
    for (int i = 0; i < count; ++i) {
        double v = values[i];
        if (child == MFnNumericData::kFloat)
            v = vesk::clampToFloat(v);
        else if (child == MFnNumericData::kShort)
            v = static_cast<double>(vesk::clampToInteger(v, 16));
        else if (child == MFnNumericData::kLong)
            v = static_cast<double>(vesk::clampToInteger(v, 32));
        d->values[i] = v;
    }
    return MStatus::kSuccess;
}

} // namespace

MFnData::MFnData(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnData::type() const
{
    return MFn::kData;
}

bool MFnData::accepts(const MObject& object) const
{
    return object.hasFn(MFn::kData);
}

MFnNumericData::MFnNumericData(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnNumericData::type() const
{
    return MFn::kNumericData;
}

bool MFnNumericData::accepts(const MObject& object) const
{
    return object.hasFn(MFn::kNumericData);
}

MObject MFnNumericData::create(Type dataType, MStatus* status)
{
    if (vesk::numericChildCount(dataType) == 0) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    mObject = ObjectAccess::fromRef(new vesk::NumericData(dataType));
    report(status, MStatus::kSuccess);
    return mObject;
}

MFnNumericData::Type MFnNumericData::numericType(MStatus* status) const
{
    vesk::NumericData* d = numeric(mObject);
    report(status, d ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return d ? static_cast<Type>(d->numericType) : kInvalid;
}

MStatus MFnNumericData::getData(int& a, int& b) const
{
    int* const out[] = {&a, &b};
    return getNumbers(mObject, out, 2);
}

MStatus MFnNumericData::getData(int& a, int& b, int& c) const
{
    int* const out[] = {&a, &b, &c};
    return getNumbers(mObject, out, 3);
}

MStatus MFnNumericData::getData(float& a, float& b) const
{
    float* const out[] = {&a, &b};
    return getNumbers(mObject, out, 2);
}

MStatus MFnNumericData::getData(float& a, float& b, float& c) const
{
    float* const out[] = {&a, &b, &c};
    return getNumbers(mObject, out, 3);
}

MStatus MFnNumericData::getData(double& a, double& b) const
{
    double* const out[] = {&a, &b};
    return getNumbers(mObject, out, 2);
}

MStatus MFnNumericData::getData(double& a, double& b, double& c) const
{
    double* const out[] = {&a, &b, &c};
    return getNumbers(mObject, out, 3);
}

MStatus MFnNumericData::getData(double& a, double& b, double& c, double& d) const
{
    double* const out[] = {&a, &b, &c, &d};
    return getNumbers(mObject, out, 4);
}

MStatus MFnNumericData::setData(int a, int b)
{
    const double v[] = {double(a), double(b)};
    return setNumbers(mObject, v, 2);
}

MStatus MFnNumericData::setData(int a, int b, int c)
{
    const double v[] = {double(a), double(b), double(c)};
    return setNumbers(mObject, v, 3);
}

MStatus MFnNumericData::setData(float a, float b)
{
    const double v[] = {a, b};
    return setNumbers(mObject, v, 2);
}

MStatus MFnNumericData::setData(float a, float b, float c)
{
    const double v[] = {a, b, c};
    return setNumbers(mObject, v, 3);
}

MStatus MFnNumericData::setData(double a, double b)
{
    const double v[] = {a, b};
    return setNumbers(mObject, v, 2);
}

MStatus MFnNumericData::setData(double a, double b, double c)
{
    const double v[] = {a, b, c};
    return setNumbers(mObject, v, 3);
}

MStatus MFnNumericData::setData(double a, double b, double c, double d)
{
    const double v[] = {a, b, c, d};
    return setNumbers(mObject, v, 4);
}

MFnMatrixData::MFnMatrixData(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnMatrixData::type() const
{
    return MFn::kMatrixData;
}

bool MFnMatrixData::accepts(const MObject& object) const
{
    return object.hasFn(MFn::kMatrixData);
}

MObject MFnMatrixData::create(const MMatrix& m, MStatus* status)
{
    mObject = ObjectAccess::fromRef(new vesk::MatrixData(m));
    report(status, MStatus::kSuccess);
    return mObject;
}

const MMatrix& MFnMatrixData::matrix(MStatus* status) const
{
    vesk::MatrixData* d = matrixData(mObject);
    report(status, d ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return d ? d->matrix : MMatrix::identity;
}

MStatus MFnMatrixData::set(const MMatrix& m)
{
    vesk::MatrixData* d = matrixData(mObject);
    if (!d)
        return MStatus::kInvalidParameter;
    d->matrix = m;
    return MStatus::kSuccess;
}
