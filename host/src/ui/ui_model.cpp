#include "ui/ui_model.h"

#include <algorithm>

namespace vesk {

const char* uiKindName(UiKind kind)
{
    static const char* const kNames[] = {"window",         "columnLayout",    "row",         "text",
                                         "separator",      "textScrollList",  "radioCollection",
                                         "radioButton",    "checkBox",        "floatField",  "button",
                                         "textField"};
    return kNames[static_cast<int>(kind)];
}

UiModel& ui()
{
    static UiModel* s = new UiModel;
    return *s;
}

UiControl* UiModel::get(UiId id)
{
    auto it = mControls.find(id);
    return it == mControls.end() ? nullptr : &it->second;
}

UiControl* UiModel::window(const std::string& name)
{
    auto it = mWindows.find(name);
    return it == mWindows.end() ? nullptr : get(it->second);
}

UiControl* UiModel::control(const std::string& name)
{
    const size_t bar = name.find('|');
    UiId inWindow = 0;
    std::string leaf = name;
    if (bar != std::string::npos) {
        const UiControl* w = window(name.substr(0, bar));
        if (!w)
            return nullptr;
        inWindow = w->id;
        leaf = name.substr(name.rfind('|') + 1);
    }
    auto it = mByName.find(leaf);
    if (it == mByName.end())
        return nullptr;
    for (size_t i = it->second.size(); i-- > 0;) {
        UiControl* c = get(it->second[i]);
        if (c && (!inWindow || c->window == inWindow))
            return c;
    }
    return nullptr;
}

UiControl* UiModel::any(const std::string& name)
{
    UiControl* w = window(name);
    return w ? w : control(name);
}

std::string UiModel::fullName(const UiControl& c)
{
    if (c.kind == UiKind::kWindow)
        return c.name;
    const UiControl* w = get(c.window);
    return (w ? w->name : std::string()) + "|" + c.name;
}

bool UiModel::nameTaken(UiId window, const std::string& name)
{
    auto it = mByName.find(name);
    if (it == mByName.end())
        return false;
    for (UiId id : it->second) {
        const UiControl* c = get(id);
        if (c && c->window == window)
            return true;
    }
    return false;
}

std::string UiModel::generateName(UiKind kind)
{
    for (;;) {
        const std::string name = uiKindName(kind) + std::to_string(++mCounters[kind]);
        if (!mByName.count(name) && !mWindows.count(name))
            return name;
    }
}

UiControl& UiModel::insert(UiControl c)
{
    c.id = mNextId++;
    if (c.kind == UiKind::kWindow)
        c.window = c.id;
    const UiId id = c.id;
    UiControl& held = mControls[id] = std::move(c);
    if (held.kind == UiKind::kWindow) {
        mWindows[held.name] = id;
    } else {
        mByName[held.name].push_back(id);
        if (UiControl* p = get(held.parent))
            p->children.push_back(id);
        if (held.kind == UiKind::kRadioCollection)
            if (UiControl* w = get(held.window))
                w->collections.push_back(id);
    }
    return held;
}

void UiModel::unindex(const UiControl& c)
{
    if (c.kind == UiKind::kWindow) {
        mWindows.erase(c.name);
        return;
    }
    auto it = mByName.find(c.name);
    if (it == mByName.end())
        return;
    it->second.erase(std::remove(it->second.begin(), it->second.end(), c.id), it->second.end());
    if (it->second.empty())
        mByName.erase(it);
}

void UiModel::remove(UiId id)
{
    UiControl* c = get(id);
    if (!c)
        return;
    // A window takes every control of it, collections included.
    std::vector<UiId> doomed;
    if (c->kind == UiKind::kWindow) {
        for (auto& entry : mControls)
            if (entry.second.window == id)
                doomed.push_back(entry.first);
    } else {
        std::vector<UiId> stack{id};
        while (!stack.empty()) {
            const UiId next = stack.back();
            stack.pop_back();
            doomed.push_back(next);
            for (UiId child : get(next)->children)
                stack.push_back(child);
        }
    }
    std::sort(doomed.begin(), doomed.end());
    auto gone = [&](UiId x) { return std::binary_search(doomed.begin(), doomed.end(), x); };

    // The current parent moves up to the nearest surviving holder.
    while (currentParent && gone(currentParent)) {
        const UiControl* p = get(currentParent);
        currentParent = p->kind == UiKind::kWindow ? 0 : p->parent;
    }
    if (UiControl* p = get(c->parent))
        p->children.erase(std::remove(p->children.begin(), p->children.end(), id), p->children.end());
    for (auto& entry : mControls) {
        UiControl& other = entry.second;
        if (gone(other.id))
            continue;
        if (gone(other.collection))
            other.collection = 0;
        other.collections.erase(std::remove_if(other.collections.begin(), other.collections.end(), gone),
                                other.collections.end());
    }
    for (UiId x : doomed) {
        unindex(*get(x));
        mControls.erase(x);
    }
}

std::vector<UiId> UiModel::all() const
{
    std::vector<UiId> out;
    for (const auto& entry : mControls)
        out.push_back(entry.first);
    std::sort(out.begin(), out.end());
    return out;
}

void UiModel::clear()
{
    mControls.clear();
    mByName.clear();
    mWindows.clear();
    mCounters.clear();
    currentParent = 0;
    commandEcho = false;
}

} // namespace vesk
