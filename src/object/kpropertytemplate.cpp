#include "object/kpropertytemplate.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <new>

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

namespace {

template <class T>
T* Make(KPropertyRoom* pRoom)
{
    constexpr std::size_t kTaken = KPropertyRoom::Taken(sizeof(T));
    static_assert(alignof(T) <= 16, "a room is 16-aligned");
    if (!pRoom || pRoom->mSize < kTaken)
        return new T;
    T* made = new (pRoom->mBegin) T;
    pRoom->mBegin += kTaken;
    pRoom->mSize -= kTaken;
    return made;
}

}  // namespace

KProperty* KPropertyCreateFromType(kPropertyType pType, KPropertyRoom* pRoom)
{
    KProperty* property = nullptr;
    switch (pType) {
    case kPropertyInt:
    case kPropertyEnum:
        property = Make<KPropertyTemplate<int>>(pRoom);
        break;
    case kPropertyBool:
    case kPropertyAction:
        property = Make<KPropertyTemplate<bool>>(pRoom);
        break;
    case kPropertyFloat:
        property = Make<KPropertyTemplate<float>>(pRoom);
        break;
    case kPropertyDouble:
        property = Make<KPropertyTemplate<double>>(pRoom);
        break;
    case kPropertyCharPtr:
        property = Make<KPropertyTemplate<char*>>(pRoom);
        break;
    case kPropertyTime:
        property = Make<KPropertyTemplate<KTime>>(pRoom);
        break;
    case kPropertyString:
        property = Make<KPropertyTemplate<KString>>(pRoom);
        break;
    case kPropertyObject: {
        KPropertyObjectList* list = Make<KPropertyObjectList>(pRoom);
        list->Init(nullptr);
        property = list;
        break;
    }
    case kPropertyVector4D:
    case kPropertyColorRGBA:
        property = Make<KPropertyTemplate<KQelVector4>>(pRoom);
        break;
    case kPropertyVector3D:
        property = Make<KPropertyTemplate<KgeTVector>>(pRoom);
        break;
    case kPropertyColorRGB:
        property = Make<KPropertyTemplate<KgeRGBVector>>(pRoom);
        break;
    default:
        return nullptr;
    }
    property->SetPropertyType(pType);
    return property;
}

}  // namespace qelsdk_600
