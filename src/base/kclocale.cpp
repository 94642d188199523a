#include "base/kclocale.h"

#include <cstdlib>

namespace qelsdk_600 {

locale_t KGetCLocale()
{
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return cLocale;
}

KCLocaleScope::KCLocaleScope() : mOld(KGetCLocale() ? uselocale(KGetCLocale()) : static_cast<locale_t>(0)) {}

KCLocaleScope::~KCLocaleScope()
{
    if (mOld)
        uselocale(mOld);
}

double KParseDoubleC(const char* pText, char** pEnd)
{
    return KGetCLocale() ? strtod_l(pText, pEnd, KGetCLocale()) : std::strtod(pText, pEnd);
}

}  // namespace qelsdk_600
