#include "ui/dialogs.h"

#include "command/command.h"
#include "command/interpreter.h"

namespace vesk {

// The dialog log keeps the latest this many.
constexpr size_t kDialogLogLimit = 1u << 16;

const FlagSpec kConfirmFlags[3] = {
    {"title", "t", "s", 0},
    {"message", "m", "s", 0},
    {"button", "b", "s", FlagSpec::kMulti},
};

DialogState& dialogState()
{
    static DialogState* s = new DialogState;
    return *s;
}

void DialogState::clear()
{
    byTitle.clear();
    general.clear();
    standing.clear();
    shown.clear();
    problems.clear();
}

namespace {

// Takes the reply for a dialog of that title; false when there is none.
bool takeReply(DialogState& d, const std::string& title, standin::Reply& out)
{
    auto own = d.byTitle.find(title);
    if (own != d.byTitle.end() && !own->second.empty()) {
        out = own->second.front();
        own->second.pop_front();
        return true;
    }
    if (!d.general.empty()) {
        out = d.general.front();
        d.general.pop_front();
        return true;
    }
    auto standing = d.standing.find(title);
    if (standing == d.standing.end())
        return false;
    out = standing->second;
    return true;
}

} // namespace

MStatus runConfirmDialog(const BoundArgs& args, CommandResult& result)
{
    if (!args.positionals.empty())
        return commandError("takes no names");
    DialogState& d = dialogState();
    standin::DialogRecord rec;
    rec.title = args.text("title");
    rec.message = args.text("message");
    for (const BoundArgs::Use* use : args.all("button"))
        rec.buttons.push_back(use->values[0].text);

    standin::Reply reply;
    rec.answered = takeReply(d, rec.title, reply);
    const std::string where = "dialog \"" + rec.title + "\"";
    if (!rec.answered) {
        rec.problem = "unanswered " + where + ": " + rec.message;
    } else if (reply.checkMessage && rec.message.find(reply.messageContains) == std::string::npos) {
        rec.problem = "the message of " + where + " lacks \"" + reply.messageContains + "\": " + rec.message;
    } else if (reply.kind == standin::Reply::kPressLabel) {
        bool known = false;
        for (const std::string& b : rec.buttons)
            known = known || b == reply.label;
        if (known)
            rec.answer = reply.label;
        else
            rec.problem = where + " has no button \"" + reply.label + "\"";
    } else if (reply.kind == standin::Reply::kPressIndex) {
        if (reply.index >= 0 && static_cast<size_t>(reply.index) < rec.buttons.size())
            rec.answer = rec.buttons[static_cast<size_t>(reply.index)];
        else
            rec.problem = where + " has no button " + std::to_string(reply.index);
    }
    if (!rec.problem.empty())
        d.problems.push_back(rec.problem);
    if (CommandRecord* running = interpreter().runningRecord())
        running->dialogs.push_back(rec.title + " -> " + (rec.answered ? "\"" + rec.answer + "\"" : "unanswered"));
    d.shown.push_back(rec);
    if (d.shown.size() > kDialogLogLimit)
        d.shown.pop_front();
    result.setString(rec.answer);
    return MStatus::kSuccess;
}

} // namespace vesk

// ---- Test API: replies ---------------------------------------------------------------------

namespace standin {

Reply Reply::press(const std::string& label)
{
    Reply r;
    r.kind = kPressLabel;
    r.label = label;
    return r;
}

Reply Reply::pressIndex(int i)
{
    Reply r;
    r.kind = kPressIndex;
    r.index = i;
    return r;
}

Reply Reply::dismiss()
{
    return Reply();
}

Reply& Reply::expecting(const std::string& text)
{
    checkMessage = true;
    messageContains = text;
    return *this;
}

void queueReply(const std::string& title, const Reply& reply)
{
    vesk::dialogState().byTitle[title].push_back(reply);
}

void queueReply(const Reply& reply)
{
    vesk::dialogState().general.push_back(reply);
}

void setStandingReply(const std::string& title, const Reply& reply)
{
    vesk::dialogState().standing[title] = reply;
}

void clearStandingReplies()
{
    vesk::dialogState().standing.clear();
}

size_t pendingReplies()
{
    const vesk::DialogState& d = vesk::dialogState();
    size_t n = d.general.size();
    for (const auto& q : d.byTitle)
        n += q.second.size();
    return n;
}

std::vector<DialogRecord> dialogs()
{
    const auto& shown = vesk::dialogState().shown;
    return std::vector<DialogRecord>(shown.begin(), shown.end());
}

std::vector<std::string> problems()
{
    return vesk::dialogState().problems;
}

void clearProblems()
{
    vesk::dialogState().problems.clear();
}

} // namespace standin
