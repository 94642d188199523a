// Numbers in text that never follow the process locale.
#ifndef QELSDK_BASE_KCLOCALE_H
#define QELSDK_BASE_KCLOCALE_H

#include <locale.h>

namespace qelsdk_600 {

// The "C" locale, made once for the process; null when it cannot be made.
locale_t KGetCLocale();

// Switches the calling thread to the "C" locale for the life of the object,
// so that printf and scanf families read and write '.' decimals whatever the
// process locale; the thread's former locale comes back at the end.
class KCLocaleScope {
public:
    KCLocaleScope();
    ~KCLocaleScope();
    KCLocaleScope(const KCLocaleScope&) = delete;
    KCLocaleScope& operator=(const KCLocaleScope&) = delete;

private:
    locale_t mOld;
};

// strtod in the "C" locale: the value of the longest number at the start of
// pText (leading white space skipped), pEnd set past it (to pText when there
// is none, which gives 0.0).
double KParseDoubleC(const char* pText, char** pEnd);

}  // namespace qelsdk_600

#endif
