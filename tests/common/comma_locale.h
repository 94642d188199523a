// Switches LC_NUMERIC to a locale with a decimal comma for one scope, so that
// a test can show that numbers in files do not follow the process locale.
#ifndef QELSDK_TESTS_COMMON_COMMA_LOCALE_H
#define QELSDK_TESTS_COMMON_COMMA_LOCALE_H

#include <clocale>
#include <string>

namespace commalocale {

class CommaLocale {
public:
    CommaLocale()
    {
        const char* previous = std::setlocale(LC_NUMERIC, nullptr);
        mSaved = previous ? previous : "C";
        mAvailable = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, mSaved.c_str()); }
    // False when no such locale is installed.
    bool Available() const { return mAvailable; }

private:
    std::string mSaved;
    bool mAvailable;
};

}  // namespace commalocale

#endif
