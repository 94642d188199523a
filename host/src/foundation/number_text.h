// Locale-free number texts shared by the host libraries.
#ifndef VESK_FOUNDATION_NUMBER_TEXT_H
#define VESK_FOUNDATION_NUMBER_TEXT_H

#include <string>

#include <vesk/VeskExport.h>

namespace vesk {

// The shortest text that reads back as exactly this double: "1", "0.1",
// "1e-07", "-0"; "nan" for every NaN, "inf" and "-inf".
VESK_API std::string shortestText(double value);

// Reads a whole text as a double (decimal or exponent form, "nan", "inf",
// "-inf"), whatever the locale; false, leaving out unchanged, when the text
// holds anything else.
VESK_API bool parseDouble(const char* text, double& out);

} // namespace vesk

#endif
