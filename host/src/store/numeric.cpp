#include "store/numeric.h"

#include <cfloat>
#include <cmath>

#include <vesk/MFnNumericData.h>

#include "store/attribute.h"

namespace vesk {
namespace {

// Width in bits of an integer-valued attribute, 0 for others; 1 for bool.
int integerBits(const Attribute* a)
{
    if (a->form() == AttrForm::kEnum)
        return 16;
    if (a->form() != AttrForm::kNumeric)
        return 0;
    switch (a->numericType) {
    case MFnNumericData::kBoolean:
        return 1;
    case MFnNumericData::kByte:
    case MFnNumericData::kChar:
        return 8;
    case MFnNumericData::kShort:
        return 16;
    case MFnNumericData::kLong:
    case MFnNumericData::kAddr:
        return 32;
    default:
        return 0;
    }
}

} // namespace

int64_t wrapSigned(int64_t v, int bits)
{
    const uint64_t mask = (uint64_t(1) << bits) - 1;
    const uint64_t sign = uint64_t(1) << (bits - 1);
    const uint64_t u = static_cast<uint64_t>(v) & mask;
    return static_cast<int64_t>(u ^ sign) - static_cast<int64_t>(sign);
}

int64_t clampToInteger(double v, int bits)
{
    if (std::isnan(v))
        return 0;
    const double lo = -std::ldexp(1.0, bits - 1);
    const double hi = std::ldexp(1.0, bits - 1) - 1.0;
    const double t = std::trunc(v);
    if (t <= lo)
        return static_cast<int64_t>(lo);
    if (t >= hi)
        return static_cast<int64_t>(hi);
    return static_cast<int64_t>(t);
}

float clampToFloat(double v)
{
    if (std::isnan(v) || std::isinf(v))
        return static_cast<float>(v);
    if (v > FLT_MAX)
        return FLT_MAX;
    if (v < -FLT_MAX)
        return -FLT_MAX;
    return static_cast<float>(v);
}

double storedNumber(const Attribute* a, double value, bool fromInteger)
{
    const int bits = integerBits(a);
    if (bits == 1)
        return readBool(value) ? 1.0 : 0.0;
    if (bits > 0) {
        if (fromInteger && value >= -9.2e18 && value <= 9.2e18)
            return static_cast<double>(wrapSigned(static_cast<int64_t>(value), bits));
        return static_cast<double>(clampToInteger(value, bits));
    }
    if (a->form() == AttrForm::kNumeric && a->numericType == MFnNumericData::kFloat)
        return clampToFloat(value);
    return value;
}

int64_t readInteger(const Attribute* a, double stored, int bits)
{
    if (integerBits(a) > 0)
        return wrapSigned(static_cast<int64_t>(stored), bits);
    return clampToInteger(stored, bits);
}

bool readBool(double stored)
{
    return stored != 0.0 && !std::isnan(stored);
}

float readFloat(double stored)
{
    return clampToFloat(stored);
}

} // namespace vesk
