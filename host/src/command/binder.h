// Built-in commands' flag tables and the one binder that reads a call's
// arguments against them.
#ifndef VESK_COMMAND_BINDER_H
#define VESK_COMMAND_BINDER_H

#include <cstddef>
#include <string>
#include <vector>

#include <vesk/VeskExport.h>

namespace vesk {

// One argument of a call as its handler sees it: the text (quotes removed,
// escapes applied, variables and backquotes replaced) and whether it was
// written as a flag ("-v"; never a literal or a replaced value).
struct CommandArg {
    std::string text;
    bool flag = false;
};

// One flag of a command. values holds one letter per value the flag takes:
// 'b' a bool (true, false or a number), 'i' an integral number that fits an
// int ("1.0" counts), 'd' a number, 's' the next argument whatever it is.
struct FlagSpec {
    enum Options : unsigned {
        kMulti = 1,     // may be given several times; every use is kept
        kQueryable = 2, // after -q it takes no values and names the query
    };
    const char* longName;
    const char* shortName;
    const char* values;
    unsigned options;
};

// A flag's long name that switches the mode: "edit" and "query".
extern const char* const kEditFlag;
extern const char* const kQueryFlag;

// One value of a flag use: its text and, by its letter, the number it
// reads as (bools as 0 or 1).
struct FlagValue {
    std::string text;
    double number = 0.0;
};

// What the binder made of a call.
class VESK_API BoundArgs {
public:
    struct Use {
        const FlagSpec* spec;
        std::vector<FlagValue> values;
    };

    bool edit = false;
    bool query = false;
    // The queryable flag named after -q (the last such), or null.
    const FlagSpec* queried = nullptr;
    std::vector<std::string> positionals;
    // Every flag use, in the order given.
    std::vector<Use> uses;

    // True when the flag (by long name) was given.
    bool has(const char* longName) const;
    // The last use of the flag, or null.
    const Use* last(const char* longName) const;
    // Value i of the last use: its text ("" when absent), its number, or as
    // int and bool.
    std::string text(const char* longName, size_t i = 0) const;
    double number(const char* longName, size_t i = 0, double fallback = 0.0) const;
    int integer(const char* longName, size_t i = 0, int fallback = 0) const;
    bool boolean(const char* longName, size_t i = 0, bool fallback = false) const;
    // Every use of the flag, in order.
    std::vector<const Use*> all(const char* longName) const;
};

// Reads args against the flag table. Flags are looked up by long or short
// name; "-q" puts the binder in query mode, where a queryable flag takes no
// values. A value takes the next argument whatever it is. Arguments that are
// neither flags nor values are positionals. A flag given twice keeps both
// uses (readers take the last unless the flag is kMulti). Fails, with error
// naming the problem, on an unknown flag, a missing value or a value of the
// wrong form.
VESK_API bool bindArgs(const FlagSpec* flags, size_t flagCount, const std::vector<CommandArg>& args, BoundArgs& out,
                       std::string& error);

// Reads a bool as flags do: "true", "false" or a number (non-zero true).
VESK_API bool parseBoolText(const std::string& text, bool& out);
// Reads an integral number that fits an int ("1.0" counts).
VESK_API bool parseIntText(const std::string& text, int& out);

} // namespace vesk

#endif
