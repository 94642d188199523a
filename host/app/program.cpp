#include "program.h"

#include <cstdio>
#include <cstring>

#include "command/binder.h"
#include "foundation/number_text.h"

namespace vesk {

const char* const kUsage =
    "usage: vesk [-answers FILE] [-p MODULE]... ACTION...\n"
    "  actions, run in order:\n"
    "    -c TEXT                   run a command text\n"
    "    -s FILE                   run the text of a script file\n"
    "    [-type NAME] -import FILE import through the file menu\n"
    "    [-type NAME] -open FILE   open (a new scene first)\n"
    "    [-type NAME] -export FILE export\n"
    "    -ui \"press|check|radio|list|float NAME [VALUE]\"\n"
    "    -dump FILE|-              write the scene dump\n"
    "       vesk -compare A B [-tol T] [-ignore REGEX]...\n";

namespace {

// The next argument as the value of option; false when there is none.
bool value(int argc, char** argv, int& i, std::string& out, std::string& error)
{
    if (i + 1 >= argc) {
        error = std::string(argv[i]) + " needs a value";
        return false;
    }
    out = argv[++i];
    return true;
}

// Splits a user action's text at blanks.
std::vector<std::string> words(const std::string& text)
{
    std::vector<std::string> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            out.push_back(text.substr(start, i - start));
    }
    return out;
}

bool readUiAction(Action& a, std::string& error)
{
    const std::vector<std::string> w = words(a.text);
    struct Verb {
        const char* name;
        bool takesValue;
    };
    static const Verb kVerbs[] = {{"press", false}, {"check", true}, {"radio", false}, {"list", true}, {"float", true}};
    for (const Verb& v : kVerbs) {
        if (w.empty() || w[0] != v.name)
            continue;
        if (w.size() != (v.takesValue ? 3u : 2u)) {
            error = "-ui \"" + a.text + "\": " + v.name + (v.takesValue ? " takes a name and a value" : " takes a name");
            return false;
        }
        a.verb = w[0];
        a.control = w[1];
        a.value = v.takesValue ? w[2] : std::string();
        bool b = false;
        int n = 0;
        double d = 0.0;
        const bool ok = a.verb == "check"   ? parseBoolText(a.value, b)
                        : a.verb == "list"  ? parseIntText(a.value, n)
                        : a.verb == "float" ? parseDouble(a.value.c_str(), d)
                                            : true;
        if (!ok)
            error = "-ui \"" + a.text + "\": bad value " + a.value;
        return ok;
    }
    error = "-ui \"" + a.text + "\": the action is press, check, radio, list or float";
    return false;
}

// Reads a quoted text at pos (escapes applied); false when there is none or
// it does not end.
bool quotedText(const std::string& line, size_t& pos, std::string& out)
{
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    if (pos >= line.size() || line[pos] != '"')
        return false;
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < line.size()) {
            c = line[++pos];
            c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
        }
        out += c;
    }
    return false;
}

bool word(const std::string& line, size_t& pos, std::string& out)
{
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    const size_t start = pos;
    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t')
        ++pos;
    out = line.substr(start, pos - start);
    return !out.empty();
}

bool parseAnswerLine(const std::string& line, Answer& a)
{
    size_t pos = 0;
    std::string w;
    if (!word(line, pos, w) || w != "reply" || !quotedText(line, pos, a.label))
        return false;
    while (word(line, pos, w)) {
        if (w == "title" && !a.hasTitle && quotedText(line, pos, a.title))
            a.hasTitle = true;
        else if (w == "message" && !a.hasMessage && quotedText(line, pos, a.message))
            a.hasMessage = true;
        else
            return false;
    }
    return true;
}

} // namespace

bool readTextFile(const std::string& path, std::string& out, std::string& error)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open " + path;
        return false;
    }
    out.clear();
    char buffer[1 << 16];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        out.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        error = "cannot read " + path;
        return false;
    }
    if (out.find('\0') != std::string::npos) {
        error = path + " holds a zero byte";
        return false;
    }
    return true;
}

bool parseAnswers(const std::string& text, std::vector<Answer>& out, std::string& error)
{
    size_t number = 0;
    for (size_t pos = 0; pos <= text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        Answer a;
        if (!parseAnswerLine(line, a)) {
            error = "answers line " + std::to_string(number) + ": expected reply \"LABEL\" [title \"T\"] [message \"M\"]";
            return false;
        }
        out.push_back(a);
    }
    return true;
}

bool readOptions(int argc, char** argv, Options& out, std::string& error)
{
    if (argc > 1 && std::strcmp(argv[1], "-compare") == 0) {
        out.compare = true;
        if (argc < 4) {
            error = "-compare needs two dumps";
            return false;
        }
        out.compareA = argv[2];
        out.compareB = argv[3];
        for (int i = 4; i < argc; ++i) {
            std::string v;
            const std::string arg = argv[i];
            if (arg == "-tol" && value(argc, argv, i, v, error)) {
                if (!parseDouble(v.c_str(), out.tolerance) || !(out.tolerance >= 0.0)) {
                    error = "-tol needs a number of 0 or more";
                    return false;
                }
            } else if (arg == "-ignore" && value(argc, argv, i, v, error)) {
                out.ignore.push_back(v);
            } else {
                if (error.empty())
                    error = "unknown option " + arg;
                return false;
            }
        }
        return true;
    }

    std::string type;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        Action a;
        std::string v;
        if (arg == "-answers" || arg == "-p" || arg == "-type") {
            if (!value(argc, argv, i, v, error))
                return false;
            if (arg == "-p")
                out.modules.push_back(v);
            else if (arg == "-answers")
                out.answersPath = v;
            else
                type = v;
            continue;
        }
        static const struct {
            const char* flag;
            Action::Kind kind;
        } kActions[] = {{"-c", Action::kCommand}, {"-s", Action::kScript},   {"-import", Action::kImport},
                        {"-open", Action::kOpen}, {"-export", Action::kExport}, {"-ui", Action::kUi},
                        {"-dump", Action::kDump}};
        bool known = false;
        for (const auto& k : kActions)
            if (arg == k.flag) {
                known = true;
                a.kind = k.kind;
            }
        if (!known) {
            error = "unknown option " + arg;
            return false;
        }
        if (!value(argc, argv, i, a.text, error))
            return false;
        const bool fileAction = a.kind == Action::kImport || a.kind == Action::kOpen || a.kind == Action::kExport;
        if (!type.empty()) {
            if (!fileAction) {
                error = "-type must come just before -import, -open or -export";
                return false;
            }
            a.type = type;
            type.clear();
        }
        if (a.kind == Action::kScript && !readTextFile(a.text, a.script, error))
            return false;
        if (a.kind == Action::kUi && !readUiAction(a, error))
            return false;
        out.actions.push_back(a);
    }
    if (!type.empty()) {
        error = "-type must come just before -import, -open or -export";
        return false;
    }
    if (!out.answersPath.empty()) {
        std::string text;
        if (!readTextFile(out.answersPath, text, error) || !parseAnswers(text, out.answers, error))
            return false;
    }
    return true;
}

} // namespace vesk
