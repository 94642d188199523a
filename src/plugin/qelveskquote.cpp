#include "plugin/qelveskquote.h"

#include <string>

using qelsdk_600::KString;

namespace {

KString Quote(const char* pText, bool pKeepLineBreakEscapes)
{
    std::string lOut("\"");
    if (pText) {
        for (const char* p = pText; *p; ++p) {
            const char c = *p;
            switch (c) {
            case '\\':
                if (pKeepLineBreakEscapes && p[1] == 'n') {
                    lOut += "\\n";
                    ++p;
                } else {
                    lOut += "\\\\";
                }
                break;
            case '"': lOut += "\\\""; break;
            case '\n': lOut += "\\n"; break;
            case '\r': lOut += "\\r"; break;
            case '\t': lOut += "\\t"; break;
            default: lOut += c;
            }
        }
    }
    lOut += "\"";
    return KString(lOut.data(), static_cast<int>(lOut.size()));
}

} // namespace

KString QelVeskQuote(const char* pText)
{
    return Quote(pText, false);
}

KString QelVeskQuoteMessage(const char* pText)
{
    return Quote(pText, true);
}
