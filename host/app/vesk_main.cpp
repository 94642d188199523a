// The vesk program: loads modules, runs actions on the stand-in host in
// order, unloads the modules and says by its exit code how it went
// (docs/host-vesk.md).
#include <cstdio>
#include <string>

#include <standin/StandIn.h>
#include <vesk/MGlobal.h>
#include <vesk/MStringArray.h>

#include "command/binder.h"
#include "dump/scene_dump.h"
#include "foundation/message_log.h"
#include "foundation/number_text.h"
#include "plugin/file_menu.h"
#include "plugin/plugin_registry.h"
#include "program.h"

namespace {

using vesk::Action;

// The message log, line by line, on standard error.
void printMessage(vesk::MessageLog::Severity severity, const char* text, void*)
{
    static const char* const kPrefix[] = {"Error: ", "Warning: ", ""};
    std::fprintf(stderr, "%s%s\n", kPrefix[severity], text);
    std::fflush(stderr);
}

bool runText(const std::string& text)
{
    MStringArray result;
    const MStatus status = MGlobal::executeCommand(MString(text.c_str(), static_cast<int>(text.size())), result);
    if (result.length() > 0) {
        std::string line = "Result:";
        for (unsigned int i = 0; i < result.length(); ++i)
            line.append(" ").append(result[i].asChar(), result[i].length());
        std::printf("%s\n", line.c_str());
    }
    return static_cast<bool>(status);
}

bool runUi(const Action& a)
{
    MStatus status;
    if (a.verb == "press") {
        status = standin::pressButton(a.control);
    } else if (a.verb == "radio") {
        status = standin::selectRadio(a.control);
    } else if (a.verb == "check") {
        bool on = false;
        vesk::parseBoolText(a.value, on);
        status = standin::setCheckBox(a.control, on);
    } else if (a.verb == "list") {
        int position = 0;
        vesk::parseIntText(a.value, position);
        status = standin::selectListItem(a.control, position);
    } else {
        double v = 0.0;
        vesk::parseDouble(a.value.c_str(), v);
        status = standin::setFloatField(a.control, v);
    }
    return static_cast<bool>(status);
}

bool runDump(const std::string& target)
{
    std::fflush(stdout);
    if (target == "-")
        return vesk::writeSceneDump(stdout) && std::fflush(stdout) == 0;
    std::FILE* f = std::fopen(target.c_str(), "wb");
    if (!f) {
        vesk::MessageLog::add(vesk::MessageLog::kError, "Cannot write the dump to " + target);
        return false;
    }
    const bool written = vesk::writeSceneDump(f);
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed)
        vesk::MessageLog::add(vesk::MessageLog::kError, "Cannot write the dump to " + target);
    return written && closed;
}

bool runAction(const Action& a)
{
    switch (a.kind) {
    case Action::kCommand:
        return runText(a.text);
    case Action::kScript:
        return runText(a.script);
    case Action::kImport:
        return static_cast<bool>(vesk::FileMenu::run(vesk::FileMenu::kImport, a.text, a.type));
    case Action::kOpen:
        return static_cast<bool>(vesk::FileMenu::run(vesk::FileMenu::kOpen, a.text, a.type));
    case Action::kExport:
        return static_cast<bool>(vesk::FileMenu::run(vesk::FileMenu::kExport, a.text, a.type));
    case Action::kUi:
        return runUi(a);
    case Action::kDump:
        return runDump(a.text);
    }
    return false;
}

int runCompare(const vesk::Options& o)
{
    std::string a;
    std::string b;
    std::string error;
    // Dumps are read whole; a zero byte makes them no dump.
    if (!vesk::readTextFile(o.compareA, a, error) || !vesk::readTextFile(o.compareB, b, error)) {
        std::fprintf(stderr, "vesk: %s\n", error.c_str());
        return vesk::kExitBadInput;
    }
    vesk::DumpCompareOptions options;
    options.tolerance = o.tolerance;
    options.ignore = o.ignore;
    std::vector<std::string> report;
    const int code = vesk::compareDumps(a, b, options, report);
    for (const std::string& line : report)
        std::fprintf(code == 2 ? stderr : stdout, "%s\n", line.c_str());
    return code;
}

void queueAnswers(const std::vector<vesk::Answer>& answers)
{
    for (const vesk::Answer& a : answers) {
        standin::Reply reply = standin::Reply::press(a.label);
        if (a.hasMessage)
            reply.expecting(a.message);
        if (a.hasTitle)
            standin::queueReply(a.title, reply);
        else
            standin::queueReply(reply);
    }
}

// Unanswered dialogs, replies that did not fit and replies left over.
bool repliesMatched()
{
    const std::vector<std::string> problems = standin::problems();
    for (const std::string& p : problems)
        std::fprintf(stderr, "vesk: %s\n", p.c_str());
    const size_t left = standin::pendingReplies();
    if (left > 0)
        std::fprintf(stderr, "vesk: %zu repl%s not used\n", left, left == 1 ? "y" : "ies");
    return problems.empty() && left == 0;
}

} // namespace

int main(int argc, char** argv)
{
    vesk::Options options;
    std::string error;
    if (!vesk::readOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "vesk: %s\n%s", error.c_str(), vesk::kUsage);
        return vesk::kExitBadInput;
    }
    if (options.compare)
        return runCompare(options);

    vesk::MessageLog::setSink(printMessage, nullptr);
    queueAnswers(options.answers);
    int code = vesk::kExitOk;
    for (const std::string& module : options.modules)
        if (!vesk::plugins().load(module)) {
            code = vesk::kExitBadInput;
            break;
        }
    for (size_t i = 0; code == vesk::kExitOk && i < options.actions.size(); ++i)
        if (!runAction(options.actions[i]))
            code = vesk::kExitActionFailed;
    vesk::plugins().unloadAll();
    if (code == vesk::kExitOk && !repliesMatched())
        code = vesk::kExitReplies;
    std::fflush(stdout);
    return code;
}
