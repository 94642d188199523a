#include "foundation/number_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace vesk {

std::string shortestText(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char buffer[64];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

bool parseDouble(const char* text, double& out)
{
    if (!text || !*text)
        return false;
    const char* p = text;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (std::strcmp(p, "nan") == 0) {
        out = negative ? -std::nan("") : std::nan("");
        return true;
    }
    if (std::strcmp(p, "inf") == 0) {
        out = negative ? -HUGE_VAL : HUGE_VAL;
        return true;
    }
    // from_chars takes no leading '+'; the sign is applied here.
    double value = 0.0;
    const char* end = text + std::strlen(text);
    const std::from_chars_result r = std::from_chars(p, end, value);
    if (r.ec != std::errc() || r.ptr != end || p == end || *p == '-')
        return false;
    out = negative ? -value : value;
    return true;
}

} // namespace vesk
