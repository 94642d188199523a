#include <vesk/MArgList.h>

#include <cmath>
#include <cstring>
#include <strings.h>

#include "foundation/number_text.h"

namespace {

// Writes the status and passes value through.
template <class T>
T answer(MStatus* status, MStatus::MStatusCode code, T value)
{
    if (status)
        *status = code;
    return value;
}

} // namespace

MString MArgList::asString(unsigned int index, MStatus* status) const
{
    if (index >= mTexts.size())
        return answer(status, MStatus::kInvalidParameter, MString());
    const std::string& t = mTexts[index];
    return answer(status, MStatus::kSuccess, MString(t.c_str(), static_cast<int>(t.size())));
}

double MArgList::asDouble(unsigned int index, MStatus* status) const
{
    if (index >= mTexts.size())
        return answer(status, MStatus::kInvalidParameter, 0.0);
    double v = 0.0;
    // A text with a zero byte inside is not a number, whatever precedes it.
    const std::string& t = mTexts[index];
    if (std::strlen(t.c_str()) != t.size() || !vesk::parseDouble(t.c_str(), v))
        return answer(status, MStatus::kFailure, 0.0);
    return answer(status, MStatus::kSuccess, v);
}

int MArgList::asInt(unsigned int index, MStatus* status) const
{
    MStatus s;
    const double v = asDouble(index, &s);
    if (!s)
        return answer(status, s.statusCode(), 0);
    // Range first: the conversion below is defined only inside int.
    if (!(v >= -2147483648.0 && v <= 2147483647.0) || std::trunc(v) != v)
        return answer(status, MStatus::kFailure, 0);
    return answer(status, MStatus::kSuccess, static_cast<int>(v));
}

bool MArgList::asBool(unsigned int index, MStatus* status) const
{
    if (index >= mTexts.size())
        return answer(status, MStatus::kInvalidParameter, false);
    static const char* const kWords[][2] = {{"true", "false"}, {"yes", "no"}, {"on", "off"}};
    const char* t = mTexts[index].c_str();
    for (const auto& pair : kWords)
        for (int i = 0; i < 2; ++i)
            if (strcasecmp(t, pair[i]) == 0)
                return answer(status, MStatus::kSuccess, i == 0);
    MStatus s;
    const double v = asDouble(index, &s);
    return answer(status, s.statusCode(), s && v != 0.0);
}
