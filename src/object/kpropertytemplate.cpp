#include "object/kpropertytemplate.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "object/kpropertyobjectlist.h"

namespace qelsdk_600 {

namespace detail {

KString NumberText(double pValue)
{
    // to_chars ignores the process locale and gives the shortest round trip.
    char buffer[64];
    std::to_chars_result result = std::to_chars(buffer, buffer + sizeof(buffer), pValue);
    return KString(buffer, static_cast<int>(result.ptr - buffer));
}

KString NumberText(long long pValue)
{
    char buffer[32];
    std::to_chars_result result = std::to_chars(buffer, buffer + sizeof(buffer), pValue);
    return KString(buffer, static_cast<int>(result.ptr - buffer));
}

int SaturateToInt(double pValue)
{
    if (std::isnan(pValue))
        return 0;
    if (pValue >= 2147483647.0)
        return std::numeric_limits<int>::max();
    if (pValue <= -2147483648.0)
        return std::numeric_limits<int>::min();
    return static_cast<int>(pValue);
}

float SaturateToFloat(double pValue)
{
    const double largest = std::numeric_limits<float>::max();
    if (pValue > largest && !std::isinf(pValue))
        return std::numeric_limits<float>::max();
    if (pValue < -largest && !std::isinf(pValue))
        return -std::numeric_limits<float>::max();
    return static_cast<float>(pValue);
}

}  // namespace detail

KProperty* KPropertyCreateFromType(kPropertyType pType)
{
    KProperty* property = nullptr;
    switch (pType) {
    case kPropertyInt:
    case kPropertyEnum:
        property = new KPropertyTemplate<int>;
        break;
    case kPropertyBool:
    case kPropertyAction:
        property = new KPropertyTemplate<bool>;
        break;
    case kPropertyFloat:
        property = new KPropertyTemplate<float>;
        break;
    case kPropertyDouble:
        property = new KPropertyTemplate<double>;
        break;
    case kPropertyCharPtr:
        property = new KPropertyTemplate<char*>;
        break;
    case kPropertyTime:
        property = new KPropertyTemplate<KTime>;
        break;
    case kPropertyString:
        property = new KPropertyTemplate<KString>;
        break;
    case kPropertyObject: {
        KPropertyObjectList* list = new KPropertyObjectList;
        list->Init(nullptr);
        property = list;
        break;
    }
    case kPropertyVector4D:
    case kPropertyColorRGBA:
        property = new KPropertyTemplate<KQelVector4>;
        break;
    case kPropertyVector3D:
        property = new KPropertyTemplate<KgeTVector>;
        break;
    case kPropertyColorRGB:
        property = new KPropertyTemplate<KgeRGBVector>;
        break;
    default:
        return nullptr;
    }
    property->SetPropertyType(pType);
    return property;
}

}  // namespace qelsdk_600
