#include "foundation/message_log.h"

#include <vector>

namespace vesk {
namespace {

struct Line {
    MessageLog::Severity severity;
    std::string text;
};

struct LogState {
    std::vector<Line> lines;
    MessageLog::Sink sink = nullptr;
    void* user = nullptr;
};

// Never destroyed: static destructors of loaded modules may still print.
LogState& state()
{
    static LogState* s = new LogState;
    return *s;
}

} // namespace

void MessageLog::add(Severity severity, const std::string& text)
{
    LogState& s = state();
    s.lines.push_back(Line{severity, text});
    if (s.sink)
        s.sink(severity, text.c_str(), s.user);
}

size_t MessageLog::size()
{
    return state().lines.size();
}

std::string MessageLog::line(size_t i)
{
    const LogState& s = state();
    return i < s.lines.size() ? s.lines[i].text : std::string();
}

MessageLog::Severity MessageLog::severity(size_t i)
{
    const LogState& s = state();
    return i < s.lines.size() ? s.lines[i].severity : kInfo;
}

std::string MessageLog::last()
{
    const LogState& s = state();
    return s.lines.empty() ? std::string() : s.lines.back().text;
}

void MessageLog::clear()
{
    state().lines.clear();
}

void MessageLog::setSink(Sink sink, void* user)
{
    state().sink = sink;
    state().user = user;
}

} // namespace vesk
