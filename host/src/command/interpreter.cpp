#include "command/interpreter.h"

#include "command/command.h"
#include "foundation/message_log.h"

namespace vesk {
namespace {

const CommandRegistrar kCommandRegistrars[] = {
    registerCoreCommands,
    registerUiCommands,
    registerSceneCommands,
    registerSolverCommands,
};

// The names of the commands running now, innermost last.
std::vector<std::string>& runningCommands()
{
    static std::vector<std::string>* s = new std::vector<std::string>;
    return *s;
}

bool legalName(const std::string& name)
{
    if (name.empty())
        return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

void errorLine(const std::string& text)
{
    MessageLog::add(MessageLog::kError, text);
}

// Keeps the nesting count right on every way out of a run.
struct DepthGuard {
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
    int& depth;
};

} // namespace

Interpreter& interpreter()
{
    // Never destroyed: module static destructors may still run commands.
    static Interpreter* s = new Interpreter;
    return *s;
}

MStatus commandError(const std::string& message)
{
    const std::string& name = currentCommand();
    errorLine(name.empty() ? message : name + ": " + message);
    return MStatus::kFailure;
}

const std::string& currentCommand()
{
    // Never destroyed: module static destructors may still run commands.
    static const std::string* none = new std::string;
    const std::vector<std::string>& running = runningCommands();
    return running.empty() ? *none : running.back();
}

Interpreter::Interpreter()
{
    for (CommandRegistrar r : kCommandRegistrars)
        r(*this);
}

void Interpreter::addBuiltins(const CommandSpec* specs, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        mCommands[specs[i].name].builtin = &specs[i];
}

MStatus Interpreter::addExternal(const std::string& name, const ExternalHandler& handler)
{
    if (!legalName(name) || !handler || mCommands.count(name))
        return MStatus::kInvalidParameter;
    mCommands[name].external = handler;
    return MStatus::kSuccess;
}

MStatus Interpreter::removeExternal(const std::string& name)
{
    auto it = mCommands.find(name);
    if (it == mCommands.end() || it->second.builtin)
        return MStatus::kNotFound;
    mCommands.erase(it);
    return MStatus::kSuccess;
}

bool Interpreter::exists(const std::string& name) const
{
    auto it = mCommands.find(name);
    if (it == mCommands.end())
        return false;
    const CommandSpec* b = it->second.builtin;
    return !b || !b->available || b->available();
}

bool Interpreter::variable(const std::string& name, std::string& out) const
{
    auto it = mVariables.find(name);
    if (it == mVariables.end())
        return false;
    out = it->second;
    return true;
}

void Interpreter::setVariable(const std::string& name, const std::string& value)
{
    mVariables[name] = value;
}

CommandRecord* Interpreter::runningRecord()
{
    const uint64_t oldest = mLogCount - mLog.size();
    if (mOpen.empty() || mOpen.back() < oldest)
        return nullptr;
    return &mLog[static_cast<size_t>(mOpen.back() - oldest)];
}

void Interpreter::clearLog()
{
    mLog.clear();
    mLogBytes = 0;
}

void Interpreter::reset()
{
    mVariables.clear();
    clearLog();
}

MStatus Interpreter::run(const std::string& text, CommandResult& result, bool display, bool undo)
{
    result.clear();
    if (mDepth >= kMaxDepth) {
        errorLine("Commands nest deeper than " + std::to_string(kMaxDepth) + " levels");
        return MStatus::kFailure;
    }
    DepthGuard guard(mDepth);
    const uint64_t id = mLogCount++;
    CommandRecord opened;
    opened.text = text;
    opened.depth = mDepth - 1;
    opened.display = display;
    opened.undo = undo;
    mLog.push_back(opened);
    mLogBytes += text.size();
    while (mLog.size() > kCommandLogLimit || (mLogBytes > kCommandLogBytes && mLog.size() > 1)) {
        mLogBytes -= mLog.front().text.size();
        mLog.pop_front();
    }
    mOpen.push_back(id);
    const size_t firstLine = MessageLog::size();
    if (display)
        MessageLog::add(MessageLog::kInfo, text);

    MStatus status;
    std::vector<Statement> statements;
    std::string error;
    if (!parseScript(text, statements, error)) {
        errorLine("Syntax error: " + error);
        status = MStatus::kFailure;
    }
    for (const Statement& st : statements) {
        CommandResult own;
        status = runStatement(st, own);
        // A failing statement's result is the run's: empty, or what a
        // plug-in command set before it failed.
        result = own;
        if (!status)
            break;
    }
    if (status && display && result.kind() != CommandResult::kNone)
        MessageLog::add(MessageLog::kInfo, "Result: " + result.describe());

    // The record may have left the log while nested runs added theirs.
    if (CommandRecord* rec = runningRecord()) {
        rec->status = status.statusCode();
        rec->result = result.describe();
        for (size_t i = firstLine; i < MessageLog::size(); ++i)
            if (MessageLog::severity(i) == MessageLog::kError)
                rec->errors.push_back(MessageLog::line(i));
    }
    mOpen.pop_back();
    return status;
}

MStatus Interpreter::runStatement(const Statement& st, CommandResult& result)
{
    if (!st.declaration())
        return call(st.tokens, result);
    std::string value;
    if (!resolve(st.tokens[0], value))
        return MStatus::kFailure;
    setVariable(st.variable, value);
    result.setString(value);
    return MStatus::kSuccess;
}

MStatus Interpreter::call(const std::vector<Token>& tokens, CommandResult& result)
{
    const std::string& name = tokens[0].text;
    std::vector<CommandArg> args(tokens.size() - 1);
    for (size_t i = 1; i < tokens.size(); ++i) {
        args[i - 1].flag = tokens[i].kind == Token::kFlag;
        if (!resolve(tokens[i], args[i - 1].text))
            return MStatus::kFailure;
    }
    auto it = mCommands.find(name);
    if (it == mCommands.end() || !exists(name)) {
        errorLine("Cannot find procedure \"" + name + "\".");
        return MStatus::kFailure;
    }
    // The entry may go while it runs (a command removing itself): copy it.
    const Entry entry = it->second;
    runningCommands().push_back(name);
    MStatus status;
    if (entry.builtin) {
        BoundArgs bound;
        std::string error;
        status = bindArgs(entry.builtin->flags, entry.builtin->flagCount, args, bound, error)
                     ? entry.builtin->handler(bound, result)
                     : commandError(error);
    } else {
        std::vector<std::string> texts;
        texts.reserve(args.size());
        for (const CommandArg& a : args)
            texts.push_back(a.text);
        status = entry.external(texts, result);
    }
    runningCommands().pop_back();
    // A plug-in command's result reaches the caller whatever its status.
    if (!status && entry.builtin)
        result.clear();
    return status;
}

bool Interpreter::resolve(const Token& token, std::string& out)
{
    if (token.kind == Token::kVariable) {
        if (variable(token.text, out))
            return true;
        errorLine("Undeclared variable: $" + token.text);
        return false;
    }
    if (token.kind != Token::kBackquote) {
        out = token.text;
        return true;
    }
    CommandResult inner;
    if (!call(token.call, inner))
        return false;
    if (inner.toString(out))
        return true;
    errorLine("The result of `" + token.call[0].text + "` holds several items and cannot become text");
    return false;
}

// ---- Core built-ins ---------------------------------------------------------------

namespace {

const FlagSpec kNoFlags[] = {{"", "", "", 0}};

MStatus runExists(const BoundArgs& args, CommandResult& result)
{
    if (args.positionals.size() != 1)
        return commandError("needs one name");
    result.setInt(interpreter().exists(args.positionals[0]) ? 1 : 0);
    return MStatus::kSuccess;
}

const CommandSpec kCoreCommands[] = {
    {"exists", kNoFlags, 0, runExists, nullptr},
};

} // namespace

void registerCoreCommands(Interpreter& interp)
{
    addCommands(interp, kCoreCommands);
}

} // namespace vesk
