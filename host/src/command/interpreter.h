// The command interpreter: the table of commands, the global variables, the
// nesting of runs and the command log.
//
// A run parses its whole text first (a syntax error runs nothing), then runs
// the statements in order, each with its arguments replaced (variables,
// backquotes) and bound at that moment; the first failing statement stops the
// run. The result is that of the last statement. Runs nest (a command may run
// text); each has its own result, and more than kMaxDepth nested runs fail.
#ifndef VESK_COMMAND_INTERPRETER_H
#define VESK_COMMAND_INTERPRETER_H

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

#include <standin/StandIn.h>

#include "command/binder.h"
#include "command/command_result.h"
#include "command/script.h"

namespace vesk {

// A built-in command: its flags and the handler of a bound call. A handler
// reports a failure through commandError (command.h); the result of a
// failed call is emptied.
typedef MStatus (*BuiltinHandler)(const BoundArgs& args, CommandResult& result);
struct CommandSpec {
    const char* name;
    const FlagSpec* flags;
    size_t flagCount;
    BuiltinHandler handler;
    // Null, or a test saying whether the command is there now (the solver's
    // commands come and go with it).
    bool (*available)();
};

// An external command (a plug-in's): it gets the arguments as texts, flags
// unread ("-t", "-5" stay two texts), and fills the result, which is kept
// even when it fails.
typedef std::function<MStatus(const std::vector<std::string>& args, CommandResult& result)> ExternalHandler;

// One logged run of a text (also the texts that user actions fire).
typedef standin::LoggedCommand CommandRecord;

// Runs nest at most this deep.
constexpr int kMaxDepth = 64;
// The command log keeps the latest records, at most this many and at most
// this many bytes of texts.
constexpr size_t kCommandLogLimit = 1u << 17;
constexpr size_t kCommandLogBytes = size_t(64) << 20;

class VESK_API Interpreter {
public:
    Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Runs a text; result is cleared first.
    MStatus run(const std::string& text, CommandResult& result, bool display = false, bool undo = false);

    // ---- Commands ------------------------------------------------------------------
    // Adds built-ins (static tables that live to the end).
    void addBuiltins(const CommandSpec* specs, size_t count);
    // Adds an external command. kInvalidParameter for an empty name or one
    // holding other than letters, digits and '_', a null handler, or a name
    // taken by a built-in or another external command.
    MStatus addExternal(const std::string& name, const ExternalHandler& handler);
    // kNotFound when no external command has the name.
    MStatus removeExternal(const std::string& name);
    // True when a command of the name is there now ("exists").
    bool exists(const std::string& name) const;

    // ---- Variables -------------------------------------------------------------------
    // The value of a declared variable; false when it is not declared.
    bool variable(const std::string& name, std::string& out) const;
    void setVariable(const std::string& name, const std::string& value);

    // ---- Log and state ---------------------------------------------------------------
    int depth() const { return mDepth; }
    const std::deque<CommandRecord>& log() const { return mLog; }
    // Number of records ever logged (the position after the latest one).
    uint64_t logCount() const { return mLogCount; }
    // The record of the innermost run going on, or null (none, or it left
    // the log).
    CommandRecord* runningRecord();
    void clearLog();
    // Forgets the variables and the log (commands stay).
    void reset();

private:
    struct Entry {
        const CommandSpec* builtin = nullptr;
        ExternalHandler external;
    };

    MStatus runStatement(const Statement& st, CommandResult& result);
    MStatus call(const std::vector<Token>& tokens, CommandResult& result);
    bool resolve(const Token& token, std::string& out);

    std::unordered_map<std::string, Entry> mCommands;
    std::unordered_map<std::string, std::string> mVariables;
    std::deque<CommandRecord> mLog;
    uint64_t mLogCount = 0;
    size_t mLogBytes = 0;
    // The log positions of the runs going on, innermost last.
    std::vector<uint64_t> mOpen;
    int mDepth = 0;
};

// The process-wide interpreter, made on first use with every built-in
// command, never destroyed.
VESK_API Interpreter& interpreter();

} // namespace vesk

#endif
