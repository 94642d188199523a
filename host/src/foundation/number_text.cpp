#include "foundation/number_text.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <locale.h>

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

namespace {

// A decimal number: digits with an optional fraction, then an optional
// exponent; at least one digit before the exponent.
bool decimalSyntax(const char* p)
{
    bool digits = false;
    while (*p >= '0' && *p <= '9') {
        ++p;
        digits = true;
    }
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9') {
            ++p;
            digits = true;
        }
    }
    if (!digits)
        return false;
    if (*p == 'e' || *p == 'E') {
        ++p;
        if (*p == '+' || *p == '-')
            ++p;
        if (!(*p >= '0' && *p <= '9'))
            return false;
        while (*p >= '0' && *p <= '9')
            ++p;
    }
    return *p == '\0';
}

} // namespace

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
    if (!decimalSyntax(p))
        return false;
    // strtod in the "C" locale: correctly rounded on every platform (the
    // 32-bit library's from_chars is not), and blind to the user's locale.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    errno = 0;
    const double value = strtod_l(p, nullptr, cLocale);
    if (errno == ERANGE && std::isinf(value))
        return false;
    out = negative ? -value : value;
    return true;
}

} // namespace vesk
