#include "command/binder.h"

#include <cmath>
#include <cstring>

#include "foundation/number_text.h"

namespace vesk {

const char* const kEditFlag = "edit";
const char* const kQueryFlag = "query";

bool parseBoolText(const std::string& text, bool& out)
{
    if (text == "true") {
        out = true;
        return true;
    }
    if (text == "false") {
        out = false;
        return true;
    }
    double v = 0.0;
    if (!parseDouble(text.c_str(), v) || std::isnan(v))
        return false;
    out = v != 0.0;
    return true;
}

bool parseIntText(const std::string& text, int& out)
{
    double v = 0.0;
    if (!parseDouble(text.c_str(), v) || !(v >= -2147483648.0 && v <= 2147483647.0) || std::floor(v) != v)
        return false;
    out = static_cast<int>(v);
    return true;
}

namespace {

const FlagSpec* findFlag(const FlagSpec* flags, size_t count, const std::string& name)
{
    for (size_t i = 0; i < count; ++i)
        if (name == flags[i].longName || name == flags[i].shortName)
            return &flags[i];
    return nullptr;
}

bool readValue(char letter, const std::string& text, FlagValue& out)
{
    out.text = text;
    switch (letter) {
    case 'b': {
        bool b = false;
        if (!parseBoolText(text, b))
            return false;
        out.number = b ? 1.0 : 0.0;
        return true;
    }
    case 'i': {
        int i = 0;
        if (!parseIntText(text, i))
            return false;
        out.number = i;
        return true;
    }
    case 'd':
        return parseDouble(text.c_str(), out.number);
    default:
        return true;
    }
}

const char* formName(char letter)
{
    switch (letter) {
    case 'b': return "a bool";
    case 'i': return "an integer";
    case 'd': return "a number";
    default: return "a value";
    }
}

} // namespace

bool bindArgs(const FlagSpec* flags, size_t flagCount, const std::vector<CommandArg>& args, BoundArgs& out,
              std::string& error)
{
    out = BoundArgs();
    for (size_t i = 0; i < args.size(); ++i) {
        const CommandArg& arg = args[i];
        if (!arg.flag) {
            out.positionals.push_back(arg.text);
            continue;
        }
        const FlagSpec* spec = findFlag(flags, flagCount, arg.text.substr(1));
        if (!spec) {
            error = "Invalid flag: " + arg.text;
            return false;
        }
        BoundArgs::Use use{spec, {}};
        if (std::strcmp(spec->longName, kQueryFlag) == 0)
            out.query = true;
        else if (std::strcmp(spec->longName, kEditFlag) == 0)
            out.edit = true;
        if (out.query && (spec->options & FlagSpec::kQueryable)) {
            out.queried = spec;
        } else {
            for (const char* v = spec->values; *v; ++v) {
                if (i + 1 >= args.size()) {
                    error = "Flag " + arg.text + " needs " + formName(*v);
                    return false;
                }
                FlagValue value;
                if (!readValue(*v, args[++i].text, value)) {
                    error = "Flag " + arg.text + " needs " + formName(*v) + ", not \"" + args[i].text + "\"";
                    return false;
                }
                use.values.push_back(value);
            }
        }
        out.uses.push_back(use);
    }
    return true;
}

bool BoundArgs::has(const char* longName) const
{
    return last(longName) != nullptr;
}

const BoundArgs::Use* BoundArgs::last(const char* longName) const
{
    for (size_t i = uses.size(); i-- > 0;)
        if (std::strcmp(uses[i].spec->longName, longName) == 0)
            return &uses[i];
    return nullptr;
}

std::string BoundArgs::text(const char* longName, size_t i) const
{
    const Use* u = last(longName);
    return u && i < u->values.size() ? u->values[i].text : std::string();
}

double BoundArgs::number(const char* longName, size_t i, double fallback) const
{
    const Use* u = last(longName);
    return u && i < u->values.size() ? u->values[i].number : fallback;
}

int BoundArgs::integer(const char* longName, size_t i, int fallback) const
{
    const Use* u = last(longName);
    return u && i < u->values.size() ? static_cast<int>(u->values[i].number) : fallback;
}

bool BoundArgs::boolean(const char* longName, size_t i, bool fallback) const
{
    const Use* u = last(longName);
    return u && i < u->values.size() ? u->values[i].number != 0.0 : fallback;
}

std::vector<const BoundArgs::Use*> BoundArgs::all(const char* longName) const
{
    std::vector<const Use*> out;
    for (const Use& u : uses)
        if (std::strcmp(u.spec->longName, longName) == 0)
            out.push_back(&u);
    return out;
}

} // namespace vesk
