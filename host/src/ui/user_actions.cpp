// What a user does to controls (the code path of a click), and the view
// of controls that tests and the program inspect.
#include <cmath>

#include <standin/StandIn.h>

#include "command/interpreter.h"
#include "foundation/message_log.h"
#include "ui/ui_model.h"

namespace vesk {
namespace {

MStatus refuse(const std::string& why)
{
    MessageLog::add(MessageLog::kError, "User action refused: " + why);
    return MStatus::kFailure;
}

// The control a user action names, when the user could reach it.
UiControl* reachable(const std::string& name, UiKind kind, MStatus& status)
{
    UiControl* c = ui().control(name);
    if (!c) {
        status = refuse("no control " + name);
        return nullptr;
    }
    const UiControl* w = ui().get(c->window);
    if (c->kind != kind)
        status = refuse(name + " is not a " + uiKindName(kind));
    else if (!c->enabled)
        status = refuse(name + " is disabled");
    else if (!w || !w->visible)
        status = refuse("the window of " + name + " is hidden");
    else if (c->firing)
        status = refuse(name + " is running its own command");
    else
        return c;
    return nullptr;
}

// Runs a control's text as a new command; the control refuses user actions
// meanwhile (it may be gone afterwards).
MStatus fire(UiId id, const std::string& text)
{
    if (text.empty())
        return MStatus::kSuccess;
    if (UiControl* c = ui().get(id))
        c->firing = true;
    CommandResult ignored;
    const MStatus s = interpreter().run(text, ignored);
    if (UiControl* c = ui().get(id))
        c->firing = false;
    return s;
}

// Sets a value and fires the change command when it changed.
MStatus change(UiControl& c, double value)
{
    if (c.value == value)
        return MStatus::kSuccess;
    c.value = value;
    return fire(c.id, c.changeCommand);
}

} // namespace
} // namespace vesk

namespace standin {

using vesk::UiControl;
using vesk::UiKind;
using vesk::ui;

MStatus setCheckBox(const std::string& name, bool value)
{
    MStatus s;
    UiControl* c = vesk::reachable(name, UiKind::kCheckBox, s);
    return c ? vesk::change(*c, value ? 1.0 : 0.0) : s;
}

MStatus setFloatField(const std::string& name, double value)
{
    if (std::isnan(value))
        return vesk::refuse("a float field takes no NaN");
    MStatus s;
    UiControl* c = vesk::reachable(name, UiKind::kFloatField, s);
    return c ? vesk::change(*c, value) : s;
}

MStatus selectRadio(const std::string& nameOrVariable)
{
    std::string name = nameOrVariable;
    if (!name.empty() && name[0] == '$' && !vesk::interpreter().variable(name.substr(1), name))
        return vesk::refuse("undeclared variable " + nameOrVariable);
    MStatus s;
    UiControl* c = vesk::reachable(name, UiKind::kRadioButton, s);
    if (!c)
        return s;
    UiControl* coll = ui().get(c->collection);
    if (!coll)
        return vesk::refuse(name + " is in no collection");
    if (coll->collection == c->id)
        return MStatus::kSuccess;
    coll->collection = c->id;
    return vesk::fire(c->id, c->changeCommand);
}

MStatus selectListItem(const std::string& list, int position)
{
    MStatus s;
    UiControl* c = vesk::reachable(list, UiKind::kTextScrollList, s);
    if (!c)
        return s;
    if (position < 1 || position > static_cast<int>(c->items.size()))
        return vesk::refuse(list + " has no item " + std::to_string(position));
    c->selected.assign(1, position);
    return MStatus::kSuccess;
}

MStatus pressButton(const std::string& name)
{
    MStatus s;
    UiControl* c = vesk::reachable(name, UiKind::kButton, s);
    return c ? vesk::fire(c->id, c->command) : s;
}

ControlView control(const std::string& name)
{
    ControlView v;
    const UiControl* c = ui().any(name);
    if (!c)
        return v;
    const UiControl* w = ui().get(c->window);
    const UiControl* p = ui().get(c->parent);
    v.found = true;
    v.kind = vesk::uiKindName(c->kind);
    v.name = c->name;
    v.window = w ? w->name : std::string();
    v.parent = p ? p->name : std::string();
    v.enabled = c->enabled;
    v.shown = w && w->visible;
    v.label = c->label;
    v.title = c->title;
    v.text = c->text;
    v.value = c->value;
    v.items = c->items;
    v.selected = c->selected;
    v.command = c->command;
    v.changeCommand = c->changeCommand;
    v.columns = c->columns;
    v.display = c->display;
    if (c->kind == UiKind::kRadioButton)
        if (const UiControl* coll = ui().get(c->collection)) {
            v.collection = coll->name;
            v.chosen = coll->collection == c->id;
        }
    for (vesk::UiId id : c->children)
        if (const UiControl* child = ui().get(id))
            v.children.push_back(child->name);
    return v;
}

std::vector<std::string> windows()
{
    std::vector<std::string> out;
    for (vesk::UiId id : ui().all()) {
        const UiControl* c = ui().get(id);
        if (c->kind == UiKind::kWindow)
            out.push_back(c->name);
    }
    return out;
}

} // namespace standin
