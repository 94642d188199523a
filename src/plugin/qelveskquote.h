// Quoting of data inserted into command-language texts.
#ifndef QELVESK_PLUGIN_QELVESKQUOTE_H
#define QELVESK_PLUGIN_QELVESKQUOTE_H

#include "base/kstring.h"

// Every datum the module inserts into a text it runs (a path, a take name, a
// unit text, a dialog's title, message or button text) goes through one of
// these, so that the interpreter reads back exactly the datum, whatever it
// holds, and no datum can end the literal and run a command of its own.

// The text as one double-quoted literal: the quotes around it, and within
// it '\' written "\\", '"' written "\"", line feed "\n", carriage return
// "\r" and tab "\t"; every other byte as it is. A null text gives "".
// Data free of those five characters come out between the quotes unchanged.
qelsdk_600::KString QelVeskQuote(const char* pText);

// The same for dialog messages, except that a '\' followed by 'n' is left
// as it is: the message tables write their line breaks as those two
// characters, which the interpreter turns into a line feed.
qelsdk_600::KString QelVeskQuoteMessage(const char* pText);

#endif
