// The module the host tests load, built in variants (TM_VARIANT): a good
// one and the broken ones the loader must refuse or clean up after.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <vesk/MDistance.h>
#include <vesk/MDoubleArray.h>
#include <vesk/MFnPlugin.h>
#include <vesk/MGlobal.h>
#include <vesk/MPxCommand.h>
#include <vesk/MPxFileTranslator.h>

#define TM_GOOD 0
#define TM_NO_API_VERSION 1
#define TM_UNTERMINATED 2
#define TM_API_999 3
#define TM_NO_INIT 4
#define TM_INIT_FAILS 5
#define TM_CLASH 6
#define TM_QUIET_SHUTDOWN 7

#ifndef TM_VARIANT
#define TM_VARIANT TM_GOOD
#endif

#if TM_VARIANT == TM_UNTERMINATED
extern "C" const char MApiVersion[3] = {'6', '5', '0'};
#elif TM_VARIANT == TM_API_999
extern "C" const char MApiVersion[] = "999";
#elif TM_VARIANT != TM_NO_API_VERSION
extern "C" const char MApiVersion[] = "650";
#endif

namespace {

// Objects of the module alive now (commands and translators).
int gLive = 0;
// What the last reader or writer was given.
std::string gLast;

// Calls the host in static initialisation and destruction; the destructor
// appends a line to the file TM_MARKER names.
struct Lifetime {
    Lifetime() { unitAtLoad = MDistance::uiUnit(); }
    ~Lifetime()
    {
        const MDistance::Unit unit = MDistance::uiUnit();
        if (const char* path = std::getenv("TM_MARKER"))
            if (std::FILE* f = std::fopen(path, "a")) {
                std::fprintf(f, "unloaded %d unit %d\n", TM_VARIANT, int(unit));
                std::fclose(f);
            }
    }
    MDistance::Unit unitAtLoad;
} gLifetime;

struct Counted {
    Counted() { ++gLive; }
    ~Counted() { --gLive; }
};

MString text(const std::string& s)
{
    return MString(s.c_str(), static_cast<int>(s.size()));
}

// tmEcho ARGS...: "<count>: [a0] [a1] ..." and, from four arguments on,
// " int3=<asInt(3)>/<status>".
class Echo : public MPxCommand, Counted {
public:
    MStatus doIt(const MArgList& args) override
    {
        std::string out = std::to_string(args.length()) + ":";
        for (unsigned int i = 0; i < args.length(); ++i)
            out += std::string(" [") + args.asString(i).asChar() + "]";
        if (args.length() > 3) {
            MStatus s;
            const int v = args.asInt(3, &s);
            out += " int3=" + std::to_string(v) + "/" + std::to_string(s.statusCode());
        }
        setResult(text(out));
        return MStatus::kSuccess;
    }
};

// tmInt ARGS...: the count of arguments, as an int.
class IntCommand : public MPxCommand, Counted {
public:
    MStatus doIt(const MArgList& args) override
    {
        setResult(static_cast<int>(args.length()));
        return MStatus::kSuccess;
    }
};

// tmDoubles ARGS...: the arguments as doubles.
class Doubles : public MPxCommand, Counted {
public:
    MStatus doIt(const MArgList& args) override
    {
        MDoubleArray out;
        for (unsigned int i = 0; i < args.length(); ++i)
            out.append(args.asDouble(i));
        setResult(out);
        return MStatus::kSuccess;
    }
};

// tmFail: fails with an error line, the result "Success" set.
class Fail : public MPxCommand, Counted {
public:
    MStatus doIt(const MArgList&) override
    {
        setResult(MString("Success"));
        displayError("tmFail: it went wrong");
        return MStatus::kFailure;
    }
};

// tmNest N: runs "tmNest N-1" down to 0; the result is N.
class Nest : public MPxCommand, Counted {
public:
    MStatus doIt(const MArgList& args) override
    {
        const int n = args.asInt(0);
        int inner = -1;
        if (n > 0) {
            const MStatus s = MGlobal::executeCommand(MString("tmNest ") + (n - 1), inner);
            if (!s)
                return s;
        }
        setResult(inner + 1);
        return MStatus::kSuccess;
    }
};

// tmRecurse: runs itself without end.
class Recurse : public MPxCommand, Counted {
public:
    MStatus doIt(const MArgList&) override { return MGlobal::executeCommand("tmRecurse"); }
};

// tmThrow: throws out of doIt.
class Throw : public MPxCommand, Counted {
public:
    MStatus doIt(const MArgList&) override { throw std::runtime_error("tmThrow"); }
};

// tmLive: the module's objects alive besides this one.
class Live : public MPxCommand, Counted {
public:
    MStatus doIt(const MArgList&) override
    {
        setResult(gLive - 1);
        return MStatus::kSuccess;
    }
};

// tmUnit: the distance unit read at load, then the current one.
class Unit : public MPxCommand, Counted {
public:
    MStatus doIt(const MArgList&) override
    {
        MDoubleArray out;
        out.append(gLifetime.unitAtLoad);
        out.append(MDistance::uiUnit());
        setResult(out);
        return MStatus::kSuccess;
    }
};

// tmLast: what the last reader or writer was given ("" when none ran
// since the last tmLast).
class Last : public MPxCommand, Counted {
public:
    MStatus doIt(const MArgList&) override
    {
        setResult(text(gLast));
        gLast.clear();
        return MStatus::kSuccess;
    }
};

const char* const kModeNames[] = {"open", "import", "save", "export"};

// The format "tmFormat": files named *.tmf are ours, files beginning with
// "TMF" may be. The reader runs the lines after the first as commands; the
// writer writes "TMF" and the options.
class Format : public MPxFileTranslator, Counted {
public:
    MStatus reader(const MFileObject& file, const MString& options, FileAccessMode mode) override
    {
        gLast = std::string("read ") + kModeNames[mode] + " " + file.fullName().asChar() + " {" + options.asChar() +
                "}";
        std::FILE* f = std::fopen(file.fullName().asChar(), "rb");
        if (!f)
            return MStatus::kFailure;
        std::string body;
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            body.append(buffer, n);
        std::fclose(f);
        const size_t eol = body.find('\n');
        return eol == std::string::npos ? MStatus::kSuccess : MGlobal::executeCommand(text(body.substr(eol + 1)));
    }
    MStatus writer(const MFileObject& file, const MString& options, FileAccessMode mode) override
    {
        gLast = std::string("write ") + kModeNames[mode] + " " + file.fullName().asChar() + " {" +
                options.asChar() + "}";
        std::FILE* f = std::fopen(file.fullName().asChar(), "wb");
        if (!f)
            return MStatus::kFailure;
        std::fprintf(f, "TMF\n");
        return std::fclose(f) == 0 ? MStatus::kSuccess : MStatus::kFailure;
    }
    bool haveReadMethod() const override { return true; }
    bool haveWriteMethod() const override { return true; }
    bool canBeOpened() const override { return true; }
    MString defaultExtension() const override { return "tmf"; }
    FileKind identifyFile(const MFileObject& file, const char* buffer, short size) const override
    {
        // Every byte handed over is looked at: the sanitizers catch a
        // buffer shorter than its size.
        unsigned sum = 0;
        for (short i = 0; i < size; ++i)
            sum += static_cast<unsigned char>(buffer[i]);
        const std::string name = file.name().asChar();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmf") == 0)
            return kFileIsOurs;
        return size >= 3 && sum > 0 && std::string(buffer, 3) == "TMF" ? kFileMaybeOurs : kFileNotOurs;
    }
};

// The format "tmOther": reads anything as "maybe", cannot be opened or
// written.
class Other : public MPxFileTranslator, Counted {
public:
    MStatus reader(const MFileObject& file, const MString&, FileAccessMode mode) override
    {
        gLast = std::string("other ") + kModeNames[mode] + " " + file.fullName().asChar();
        return MStatus::kSuccess;
    }
    bool haveReadMethod() const override { return true; }
    FileKind identifyFile(const MFileObject&, const char*, short) const override { return kFileMaybeOurs; }
};

template <class T>
void* make()
{
    return new T;
}

void* makeNothing()
{
    return nullptr;
}

const struct {
    const char* name;
    MCreatorFunction creator;
} kCommands[] = {
    {"tmEcho", make<Echo>},   {"tmInt", make<IntCommand>},   {"tmDoubles", make<Doubles>},
    {"tmFail", make<Fail>},   {"tmNest", make<Nest>},        {"tmRecurse", make<Recurse>},
    {"tmNull", makeNothing},  {"tmThrow", make<Throw>},      {"tmLive", make<Live>},
    {"tmUnit", make<Unit>},   {"tmLast", make<Last>},
};

} // namespace

#if TM_VARIANT != TM_NO_INIT
extern "C" MStatus initializePlugin(MObject object)
{
    MFnPlugin plugin(object, "Test Vendor", "1.2.3", "6.5");
#if TM_VARIANT == TM_INIT_FAILS
    plugin.registerCommand("tmPartial", make<Echo>);
    plugin.registerFileTranslator("tmPartialFormat", "", make<Format>);
    return MStatus::kFailure;
#elif TM_VARIANT == TM_CLASH
    // The good module's translator name: refused, and nothing else is
    // registered.
    const MStatus status = plugin.registerFileTranslator("tmFormat", "", make<Format>);
    if (!status) {
        status.perror("registerFileTranslator");
        return status;
    }
    plugin.registerCommand("tmClash", make<Echo>);
    return status;
#elif TM_VARIANT == TM_QUIET_SHUTDOWN
    plugin.registerFileTranslator("tmQuietFormat", "", make<Format>);
    plugin.registerCommand("tmQuiet", make<Echo>);
    plugin.registerCommand("tmQuietLive", make<Live>);
    return MStatus::kSuccess;
#else
    MStatus status = plugin.registerFileTranslator("tmFormat", "", make<Format>, nullptr, "v=1");
    if (!status) {
        status.perror("registerFileTranslator");
        return status;
    }
    plugin.registerFileTranslator("tmOther", "", make<Other>);
    for (const auto& c : kCommands)
        plugin.registerCommand(c.name, c.creator);
    return status;
#endif
}
#endif

extern "C" MStatus uninitializePlugin(MObject object)
{
    MFnPlugin plugin(object);
#if TM_VARIANT == TM_QUIET_SHUTDOWN
    return MStatus::kSuccess;
#else
    MStatus status = plugin.deregisterFileTranslator("tmFormat");
    plugin.deregisterFileTranslator("tmOther");
    for (const auto& c : kCommands)
        plugin.deregisterCommand(c.name);
    return status;
#endif
}
