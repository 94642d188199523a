// The interface commands: one table of flags per kind of control, one
// driver for creation, edits and queries, and setParent, showWindow,
// deleteUI and commandEcho.
#include <algorithm>
#include <cstdlib>

#include "command/command.h"
#include "foundation/number_text.h"
#include "ui/dialogs.h"
#include "ui/ui_model.h"

namespace vesk {
namespace {

// What a flag does to a control.
enum class Role : unsigned char {
    kDisplay, // kept as given, for inspection
    kParent,
    kMode, // -e / -q
    kExists,
    kEnable,
    kVisible,
    kLabel,
    kTitle,
    kText,
    kCheckValue,
    kFloatValue,
    kCommand,
    kChangeCommand,
    kMultiSelect,
    kAppend,
    kSelectIndexed,
    kRadioSelect,
    kCollectionSelect,
    kColumns,
    kColumnWidth,
    kColumnAlign,
    kColumnAttach,
};

struct UiFlag {
    FlagSpec spec;
    Role role;
};

constexpr unsigned kQ = FlagSpec::kQueryable;
constexpr unsigned kM = FlagSpec::kMulti;

#define VESK_MODE_FLAGS {{"edit", "e", "", 0}, Role::kMode}, {{"query", "q", "", 0}, Role::kMode}
#define VESK_CONTROL_FLAGS                                                                                        \
    VESK_MODE_FLAGS, {{"parent", "p", "s", kQ}, Role::kParent}, {{"enable", "en", "b", kQ}, Role::kEnable},       \
        {{"width", "w", "i", kQ}, Role::kDisplay}, {{"height", "h", "i", kQ}, Role::kDisplay}

const UiFlag kWindowFlags[] = {
    VESK_MODE_FLAGS,
    {{"exists", "ex", "", kQ}, Role::kExists},
    {{"title", "t", "s", kQ}, Role::kTitle},
    {{"visible", "vis", "b", kQ}, Role::kVisible},
    {{"resizeToFitChildren", "rtf", "b", kQ}, Role::kDisplay},
    {{"sizeable", "s", "b", kQ}, Role::kDisplay},
    {{"width", "w", "i", kQ}, Role::kDisplay},
    {{"height", "h", "i", kQ}, Role::kDisplay},
};
const UiFlag kColumnLayoutFlags[] = {
    VESK_CONTROL_FLAGS,
    {{"columnOffset", "co", "si", kQ}, Role::kDisplay},
    {{"rowSpacing", "rs", "i", kQ}, Role::kDisplay},
};
const UiFlag kRowFlags[] = {
    VESK_MODE_FLAGS,
    {{"parent", "p", "s", kQ}, Role::kParent},
    {{"columns", "columns", "i", kQ}, Role::kColumns},
    {{"width", "width", "ii", kM}, Role::kColumnWidth},
    {{"align", "align", "is", kM}, Role::kColumnAlign},
    {{"attach", "attach", "isi", kM}, Role::kColumnAttach},
};
const UiFlag kTextFlags[] = {
    VESK_CONTROL_FLAGS,
    {{"label", "l", "s", kQ}, Role::kLabel},
    {{"align", "al", "s", kQ}, Role::kDisplay},
};
const UiFlag kSeparatorFlags[] = {
    VESK_CONTROL_FLAGS,
    {{"horizontal", "hr", "b", kQ}, Role::kDisplay},
    {{"style", "st", "s", kQ}, Role::kDisplay},
};
const UiFlag kTextScrollListFlags[] = {
    VESK_CONTROL_FLAGS,
    {{"allowMultiSelection", "ams", "b", kQ}, Role::kMultiSelect},
    {{"append", "a", "s", kM}, Role::kAppend},
    {{"selectIndexedItem", "sii", "i", kM | kQ}, Role::kSelectIndexed},
};
const UiFlag kRadioCollectionFlags[] = {
    VESK_MODE_FLAGS,
    {{"parent", "p", "s", kQ}, Role::kParent},
    {{"select", "sl", "s", kQ}, Role::kCollectionSelect},
};
const UiFlag kRadioButtonFlags[] = {
    VESK_CONTROL_FLAGS,
    {{"label", "l", "s", kQ}, Role::kLabel},
    {{"select", "sl", "", kQ}, Role::kRadioSelect},
    {{"changeCommand", "cc", "s", kQ}, Role::kChangeCommand},
};
const UiFlag kCheckBoxFlags[] = {
    VESK_CONTROL_FLAGS,
    {{"label", "l", "s", kQ}, Role::kLabel},
    {{"align", "al", "s", kQ}, Role::kDisplay},
    {{"value", "v", "b", kQ}, Role::kCheckValue},
    {{"changeCommand", "cc", "s", kQ}, Role::kChangeCommand},
};
const UiFlag kFloatFieldFlags[] = {
    VESK_CONTROL_FLAGS,
    {{"value", "v", "d", kQ}, Role::kFloatValue},
    {{"precision", "pre", "i", kQ}, Role::kDisplay},
    {{"step", "s", "d", kQ}, Role::kDisplay},
    {{"changeCommand", "cc", "s", kQ}, Role::kChangeCommand},
};
const UiFlag kButtonFlags[] = {
    VESK_CONTROL_FLAGS,
    {{"label", "l", "s", kQ}, Role::kLabel},
    {{"command", "c", "s", kQ}, Role::kCommand},
    {{"recomputeSize", "rs", "b", kQ}, Role::kDisplay},
};
const UiFlag kTextFieldFlags[] = {
    VESK_CONTROL_FLAGS,
    {{"text", "tx", "s", kQ}, Role::kText},
    {{"editable", "ed", "b", kQ}, Role::kDisplay},
};

// One kind's flags, and the same in the form the binder reads (made on
// first use).
struct KindTable {
    const UiFlag* flags;
    size_t count;
    std::vector<FlagSpec> specs;
};

#define VESK_KIND(table) {table, sizeof table / sizeof table[0], {}}
// In the order of UiKind.
const KindTable& tableOf(UiKind kind)
{
    static KindTable* tables = new KindTable[12]{
        VESK_KIND(kWindowFlags),        VESK_KIND(kColumnLayoutFlags),    VESK_KIND(kRowFlags),
        VESK_KIND(kTextFlags),          VESK_KIND(kSeparatorFlags),       VESK_KIND(kTextScrollListFlags),
        VESK_KIND(kRadioCollectionFlags), VESK_KIND(kRadioButtonFlags),   VESK_KIND(kCheckBoxFlags),
        VESK_KIND(kFloatFieldFlags),    VESK_KIND(kButtonFlags),          VESK_KIND(kTextFieldFlags),
    };
    KindTable& t = tables[static_cast<int>(kind)];
    if (t.specs.empty())
        for (size_t i = 0; i < t.count; ++i)
            t.specs.push_back(t.flags[i].spec);
    return t;
}
#undef VESK_KIND

Role roleOf(const KindTable& t, const FlagSpec* spec)
{
    return t.flags[spec - t.specs.data()].role;
}

bool isLayout(UiKind k)
{
    return k == UiKind::kColumnLayout || k == UiKind::kRow;
}

bool holdsControls(UiKind k)
{
    return k == UiKind::kWindow || isLayout(k);
}

bool legalControlName(const std::string& name)
{
    return !name.empty() && name.find('|') == std::string::npos && name != "..";
}

bool oneOf(const std::string& v, std::initializer_list<const char*> allowed)
{
    for (const char* a : allowed)
        if (v == a)
            return true;
    return false;
}

// Applies the flags of a creation or an edit to c (a copy: the caller
// commits it only on success). A radio button's -select is left to the
// caller, which changes its collection.
bool applyFlags(const KindTable& t, const BoundArgs& args, UiControl& c, std::string& error)
{
    for (const BoundArgs::Use& use : args.uses) {
        const std::vector<FlagValue>& v = use.values;
        switch (roleOf(t, use.spec)) {
        case Role::kMode:
        case Role::kParent:
        case Role::kExists:
        case Role::kRadioSelect:
            break;
        case Role::kDisplay: {
            std::string text;
            for (const FlagValue& x : v)
                text += (text.empty() ? "" : " ") + x.text;
            c.display[use.spec->longName] = text;
            break;
        }
        case Role::kEnable: c.enabled = v[0].number != 0.0; break;
        case Role::kVisible: c.visible = v[0].number != 0.0; break;
        case Role::kLabel: c.label = v[0].text; break;
        case Role::kTitle: c.title = v[0].text; break;
        case Role::kText: c.text = v[0].text; break;
        case Role::kCheckValue: c.value = v[0].number != 0.0 ? 1.0 : 0.0; break;
        case Role::kFloatValue: c.value = v[0].number; break;
        case Role::kCommand: c.command = v[0].text; break;
        case Role::kChangeCommand: c.changeCommand = v[0].text; break;
        case Role::kMultiSelect: c.multiSelect = v[0].number != 0.0; break;
        case Role::kAppend: c.items.push_back(v[0].text); break;
        case Role::kSelectIndexed: {
            const int pos = static_cast<int>(v[0].number);
            if (pos < 1 || pos > static_cast<int>(c.items.size())) {
                error = "No item at position " + v[0].text;
                return false;
            }
            if (!c.multiSelect)
                c.selected.clear();
            if (std::find(c.selected.begin(), c.selected.end(), pos) == c.selected.end())
                c.selected.push_back(pos);
            break;
        }
        case Role::kCollectionSelect: {
            const UiControl* b = ui().control(v[0].text);
            if (!b || b->kind != UiKind::kRadioButton || b->collection != c.id) {
                error = "No radio button " + v[0].text + " in " + c.name;
                return false;
            }
            c.collection = b->id;
            break;
        }
        case Role::kColumns:
            if (v[0].number < 1 || v[0].number < static_cast<double>(c.children.size())) {
                error = "Bad column count " + v[0].text;
                return false;
            }
            c.columns = static_cast<int>(v[0].number);
            break;
        case Role::kColumnWidth:
        case Role::kColumnAlign:
        case Role::kColumnAttach: {
            const Role r = roleOf(t, use.spec);
            const int column = static_cast<int>(v[0].number);
            bool ok = column >= 1;
            if (r == Role::kColumnWidth)
                ok = ok && v[1].number >= 0;
            if (r == Role::kColumnAlign)
                ok = ok && oneOf(v[1].text, {"left", "center", "right"});
            if (r == Role::kColumnAttach)
                ok = ok && oneOf(v[1].text, {"left", "right", "both"}) && v[2].number >= 0;
            if (!ok) {
                error = std::string("Bad -") + use.spec->longName + " values";
                return false;
            }
            std::string text;
            for (size_t i = 1; i < v.size(); ++i)
                text += (i > 1 ? " " : "") + v[i].text;
            c.display[std::string(use.spec->longName) + " " + v[0].text] = text;
            break;
        }
        }
    }
    // Per-column settings must name existing columns.
    if (c.kind == UiKind::kRow) {
        if (c.columns < 1) {
            error = "A row needs -columns";
            return false;
        }
        for (const auto& d : c.display) {
            const size_t space = d.first.find(' ');
            if (space != std::string::npos && std::atoi(d.first.c_str() + space + 1) > c.columns) {
                error = "No column " + d.first.substr(space + 1);
                return false;
            }
        }
    }
    return true;
}

// Selects a radio button in its collection (without firing anything).
void selectRadioButton(UiControl& button)
{
    if (UiControl* coll = ui().get(button.collection))
        coll->collection = button.id;
}

bool radioSelected(const UiControl& button)
{
    const UiControl* coll = ui().get(button.collection);
    return coll && coll->collection == button.id;
}

// Answers -q of one flag.
MStatus answer(const KindTable& t, const UiControl& c, const FlagSpec* flag, CommandResult& result)
{
    switch (roleOf(t, flag)) {
    case Role::kExists: result.setInt(1); break;
    case Role::kEnable: result.setInt(c.enabled ? 1 : 0); break;
    case Role::kVisible: result.setInt(c.visible ? 1 : 0); break;
    case Role::kLabel: result.setString(c.label); break;
    case Role::kTitle: result.setString(c.title); break;
    case Role::kText: result.setString(c.text); break;
    case Role::kCheckValue: result.setInt(c.value != 0.0 ? 1 : 0); break;
    case Role::kFloatValue: result.setDouble(c.value); break;
    case Role::kCommand: result.setString(c.command); break;
    case Role::kChangeCommand: result.setString(c.changeCommand); break;
    case Role::kMultiSelect: result.setInt(c.multiSelect ? 1 : 0); break;
    case Role::kSelectIndexed: result.setInts(c.selected); break;
    case Role::kRadioSelect: result.setInt(radioSelected(c) ? 1 : 0); break;
    case Role::kCollectionSelect: {
        const UiControl* b = ui().get(c.collection);
        result.setString(b ? b->name : std::string());
        break;
    }
    case Role::kColumns: result.setInt(c.columns); break;
    case Role::kParent: {
        const UiControl* p = ui().get(c.parent);
        result.setString(p ? ui().fullName(*p) : std::string());
        break;
    }
    default: {
        auto it = c.display.find(flag->longName);
        const std::string text = it == c.display.end() ? std::string() : it->second;
        const char letter = flag->values[0];
        if (letter == 's' || letter == 0) {
            result.setString(text);
        } else if (letter == 'd') {
            double d = 0.0;
            parseDouble(text.c_str(), d);
            result.setDouble(d);
        } else {
            bool b = false;
            int i = 0;
            result.setInt(parseIntText(text, i) ? i : (parseBoolText(text, b) && b ? 1 : 0));
        }
    }
    }
    return MStatus::kSuccess;
}

// The control a query or an edit names: its one positional.
UiControl* target(UiKind kind, const BoundArgs& args, MStatus& status)
{
    if (args.positionals.size() != 1) {
        status = commandError("needs the name of one control");
        return nullptr;
    }
    const std::string& name = args.positionals[0];
    UiControl* c = kind == UiKind::kWindow ? ui().window(name) : ui().control(name);
    if (!c) {
        status = commandError("Object not found: " + name);
        return nullptr;
    }
    if (c->kind != kind) {
        status = commandError(name + " is not a " + uiKindName(kind));
        return nullptr;
    }
    return c;
}

MStatus create(UiKind kind, const KindTable& t, const BoundArgs& args, CommandResult& result)
{
    UiModel& m = ui();
    if (args.positionals.size() > 1)
        return commandError("takes at most one name");
    UiControl c;
    c.kind = kind;
    if (!args.positionals.empty() && !legalControlName(args.positionals[0]))
        return commandError("Bad name: " + args.positionals[0]);
    c.name = args.positionals.empty() ? m.generateName(kind) : args.positionals[0];

    if (kind == UiKind::kWindow) {
        if (m.window(c.name))
            return commandError("Window name in use: " + c.name);
    } else {
        const UiControl* holder = nullptr;
        if (args.has("parent")) {
            holder = m.any(args.text("parent"));
            if (!holder || !holdsControls(holder->kind))
                return commandError("No window or layout " + args.text("parent"));
        } else {
            holder = m.get(m.currentParent);
            if (!holder)
                return commandError("No window to put it in");
        }
        c.window = holder->window;
        if (kind != UiKind::kRadioCollection) {
            c.parent = holder->id;
            if (holder->kind == UiKind::kRow && static_cast<int>(holder->children.size()) >= holder->columns)
                return commandError("The row " + holder->name + " is full");
        }
        if (m.nameTaken(c.window, c.name))
            return commandError("Name in use in its window: " + c.name);
        if (kind == UiKind::kRadioButton) {
            const UiControl* w = m.get(c.window);
            if (w && !w->collections.empty())
                c.collection = w->collections.back();
        }
    }
    std::string error;
    if (!applyFlags(t, args, c, error))
        return commandError(error);
    UiControl& made = m.insert(c);
    if (kind == UiKind::kWindow || isLayout(kind))
        m.currentParent = made.id;
    if (kind == UiKind::kRadioButton && args.has("select"))
        selectRadioButton(made);
    result.setString(made.name);
    return MStatus::kSuccess;
}

MStatus runControl(UiKind kind, const BoundArgs& args, CommandResult& result)
{
    const KindTable& t = tableOf(kind);
    MStatus status;
    if (args.edit && args.query)
        return commandError("-edit and -query together");
    // "window -ex NAME" asks without -q.
    if (kind == UiKind::kWindow && args.has("exists") && !args.edit) {
        if (args.positionals.size() != 1)
            return commandError("needs one window name");
        result.setInt(ui().window(args.positionals[0]) ? 1 : 0);
        return MStatus::kSuccess;
    }
    if (args.query) {
        UiControl* c = target(kind, args, status);
        if (!c)
            return status;
        if (!args.queried)
            return commandError("Nothing to query");
        return answer(t, *c, args.queried, result);
    }
    if (!args.edit)
        return create(kind, t, args, result);
    UiControl* c = target(kind, args, status);
    if (!c)
        return status;
    if (args.has("parent"))
        return commandError("-parent cannot be edited");
    UiControl edited = *c;
    std::string error;
    if (!applyFlags(t, args, edited, error))
        return commandError(error);
    *c = edited;
    if (kind == UiKind::kRadioButton && args.has("select"))
        selectRadioButton(*c);
    return MStatus::kSuccess;
}

template <UiKind K>
MStatus runKind(const BoundArgs& args, CommandResult& result)
{
    return runControl(K, args, result);
}

// ---- setParent, showWindow, deleteUI, commandEcho ------------------------------------

const FlagSpec kSetParentFlags[] = {{"query", "q", "", 0}};
const FlagSpec kNoFlags[] = {{"", "", "", 0}};
const FlagSpec kEchoFlags[] = {{"query", "q", "", 0}, {"state", "st", "b", kQ}};

MStatus runSetParent(const BoundArgs& args, CommandResult& result)
{
    UiModel& m = ui();
    if (args.query) {
        const UiControl* p = m.get(m.currentParent);
        result.setString(p ? m.fullName(*p) : std::string());
        return MStatus::kSuccess;
    }
    if (args.positionals.size() != 1)
        return commandError("needs \"..\" or a window or layout name");
    const std::string& to = args.positionals[0];
    if (to == "..") {
        UiControl* p = m.get(m.currentParent);
        if (!p)
            return commandError("No current parent");
        if (p->kind != UiKind::kWindow)
            m.currentParent = p->parent;
    } else {
        UiControl* p = m.any(to);
        if (!p || !holdsControls(p->kind))
            return commandError("No window or layout " + to);
        m.currentParent = p->id;
    }
    const UiControl* now = m.get(m.currentParent);
    result.setString(now ? m.fullName(*now) : std::string());
    return MStatus::kSuccess;
}

MStatus runShowWindow(const BoundArgs& args, CommandResult&)
{
    if (args.positionals.size() != 1)
        return commandError("needs one window name");
    UiControl* w = ui().window(args.positionals[0]);
    if (!w)
        return commandError("No window " + args.positionals[0]);
    w->visible = true;
    return MStatus::kSuccess;
}

MStatus runDeleteUI(const BoundArgs& args, CommandResult&)
{
    if (args.positionals.empty())
        return commandError("needs a name");
    std::vector<UiId> doomed;
    for (const std::string& name : args.positionals) {
        const UiControl* c = ui().any(name);
        if (!c)
            return commandError("Object not found: " + name);
        doomed.push_back(c->id);
    }
    for (UiId id : doomed)
        ui().remove(id);
    return MStatus::kSuccess;
}

MStatus runCommandEcho(const BoundArgs& args, CommandResult& result)
{
    if (args.query) {
        result.setInt(ui().commandEcho ? 1 : 0);
        return MStatus::kSuccess;
    }
    if (!args.has("state"))
        return commandError("needs -state");
    ui().commandEcho = args.boolean("state");
    return MStatus::kSuccess;
}

const std::vector<CommandSpec>& uiCommandTable()
{
    static const std::vector<CommandSpec>* table = [] {
        auto* t = new std::vector<CommandSpec>;
        const BuiltinHandler handlers[] = {
            runKind<UiKind::kWindow>,          runKind<UiKind::kColumnLayout>, runKind<UiKind::kRow>,
            runKind<UiKind::kText>,            runKind<UiKind::kSeparator>,    runKind<UiKind::kTextScrollList>,
            runKind<UiKind::kRadioCollection>, runKind<UiKind::kRadioButton>,  runKind<UiKind::kCheckBox>,
            runKind<UiKind::kFloatField>,      runKind<UiKind::kButton>,       runKind<UiKind::kTextField>,
        };
        for (int k = 0; k < 12; ++k) {
            const KindTable& kind = tableOf(static_cast<UiKind>(k));
            t->push_back({uiKindName(static_cast<UiKind>(k)), kind.specs.data(), kind.specs.size(), handlers[k],
                          nullptr});
        }
        t->push_back({"setParent", kSetParentFlags, 1, runSetParent, nullptr});
        t->push_back({"showWindow", kNoFlags, 0, runShowWindow, nullptr});
        t->push_back({"deleteUI", kNoFlags, 0, runDeleteUI, nullptr});
        t->push_back({"commandEcho", kEchoFlags, 2, runCommandEcho, nullptr});
        t->push_back({"confirmDialog", kConfirmFlags, sizeof kConfirmFlags / sizeof kConfirmFlags[0],
                      runConfirmDialog, nullptr});
        return t;
    }();
    return *table;
}

} // namespace

void registerUiCommands(Interpreter& interp)
{
    const std::vector<CommandSpec>& table = uiCommandTable();
    interp.addBuiltins(table.data(), table.size());
}

} // namespace vesk
