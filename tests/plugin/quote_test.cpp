#include <gtest/gtest.h>

#include "plugin/qelveskquote.h"

TEST(QelVeskQuote, EscapesTheFiveCharacters)
{
    struct Case {
        const char* in;
        const char* plain;
        const char* message;
    } const kCases[] = {
        {"", "\"\"", "\"\""},
        {"a b;$x", "\"a b;$x\"", "\"a b;$x\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\"", "\"say \\\"hi\\\"\""},
        {"c:\\dir\\name", "\"c:\\\\dir\\\\name\"", "\"c:\\\\dir\\name\""},
        {"one\ntwo\rthree\tfour", "\"one\\ntwo\\rthree\\tfour\"", "\"one\\ntwo\\rthree\\tfour\""},
        {"line\\nbreak", "\"line\\\\nbreak\"", "\"line\\nbreak\""},
    };
    for (const Case& c : kCases) {
        EXPECT_STREQ(QelVeskQuote(c.in).Buffer(), c.plain) << c.in;
        EXPECT_STREQ(QelVeskQuoteMessage(c.in).Buffer(), c.message) << c.in;
    }
    EXPECT_STREQ(QelVeskQuote(nullptr).Buffer(), "\"\"");
}
