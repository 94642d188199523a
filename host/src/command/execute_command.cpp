// MGlobal::executeCommand: a run of the interpreter and the conversion of
// its result to the caller's form.
#include <vesk/MGlobal.h>

#include "command/interpreter.h"
#include "foundation/message_log.h"

namespace vesk {
namespace {

MStatus conversionFailed(const char* form)
{
    MessageLog::add(MessageLog::kError, std::string("The command's result cannot be given as ") + form);
    return MStatus::kFailure;
}

// Runs the text, then hands the result to deliver, which converts it into
// the caller's variable (false when it cannot).
template <class Deliver>
MStatus runAndDeliver(const MString& command, bool display, bool undo, const char* form, Deliver deliver)
{
    CommandResult result;
    MStatus status = interpreter().run(std::string(command.asChar(), command.length()), result, display, undo);
    // A failed run delivers the result a plug-in command left, if any.
    if (!status) {
        if (result.kind() != CommandResult::kNone)
            deliver(result);
        return status;
    }
    return deliver(result) ? status : conversionFailed(form);
}

// Delivers a number array: every entry must convert.
template <class Array, class Item>
MStatus runForNumbers(const MString& command, Array& result, bool display, bool undo, const char* form,
                      bool (CommandResult::*convert)(std::vector<Item>&) const)
{
    result.clear();
    return runAndDeliver(command, display, undo, form, [&](const CommandResult& r) {
        std::vector<Item> items;
        if (!(r.*convert)(items))
            return false;
        for (const Item& v : items)
            result.append(v);
        return true;
    });
}

} // namespace
} // namespace vesk

using vesk::CommandResult;
using vesk::runAndDeliver;

MStatus MGlobal::executeCommand(const MString& command, bool displayEnabled, bool undoEnabled)
{
    return runAndDeliver(command, displayEnabled, undoEnabled, "nothing", [](const CommandResult&) { return true; });
}

MStatus MGlobal::executeCommand(const MString& command, int& result, bool displayEnabled, bool undoEnabled)
{
    return runAndDeliver(command, displayEnabled, undoEnabled, "an int",
                         [&](const CommandResult& r) { return r.toInt(result); });
}

MStatus MGlobal::executeCommand(const MString& command, double& result, bool displayEnabled, bool undoEnabled)
{
    return runAndDeliver(command, displayEnabled, undoEnabled, "a double",
                         [&](const CommandResult& r) { return r.toDouble(result); });
}

MStatus MGlobal::executeCommand(const MString& command, MString& result, bool displayEnabled, bool undoEnabled)
{
    return runAndDeliver(command, displayEnabled, undoEnabled, "a string", [&](const CommandResult& r) {
        std::string text;
        if (!r.toString(text))
            return false;
        result = text.c_str();
        return true;
    });
}

MStatus MGlobal::executeCommand(const MString& command, MStringArray& result, bool displayEnabled,
                                bool undoEnabled)
{
    result.clear();
    return runAndDeliver(command, displayEnabled, undoEnabled, "a string array", [&](const CommandResult& r) {
        std::vector<std::string> texts;
        r.toStrings(texts);
        for (const std::string& t : texts)
            result.append(MString(t.c_str(), static_cast<int>(t.size())));
        return true;
    });
}

MStatus MGlobal::executeCommand(const MString& command, MIntArray& result, bool displayEnabled, bool undoEnabled)
{
    return vesk::runForNumbers(command, result, displayEnabled, undoEnabled, "an int array", &CommandResult::toInts);
}

MStatus MGlobal::executeCommand(const MString& command, MDoubleArray& result, bool displayEnabled,
                                bool undoEnabled)
{
    return vesk::runForNumbers(command, result, displayEnabled, undoEnabled, "a double array",
                               &CommandResult::toDoubles);
}
