// The character solver's commands. A character has slots addressed by a
// group (0 to 12) and an index within the group's size; a slot holds a node
// (followed through renames, empty once the node is deleted) and
// translation, rotation and scaling offsets. The commands exist only while
// the solver is on; a new scene forgets the characters.
#include <map>
#include <string>
#include <vector>

#include <standin/StandIn.h>

#include "command/command.h"
#include "solver/solver.h"
#include "store/node_store.h"

namespace vesk {
namespace {

// Slots per group: group 0 holds the reference slot alone.
const int kGroupSizes[] = {1, 15, 7, 9, 8, 1, 30, 30, 5, 12, 9, 30, 30};
constexpr int kGroupCount = sizeof kGroupSizes / sizeof kGroupSizes[0];

struct Slot {
    NodeId node;
    double offsets[3][3] = {{0, 0, 0}, {0, 0, 0}, {1, 1, 1}};
};

struct Character {
    std::string name;
    bool characterized = false;
    // By group * 64 + index.
    std::map<int, Slot> slots;
};

struct SolverState {
    bool on = false;
    std::vector<Character> characters;
    bool listening = false;
};

SolverState& solver()
{
    static SolverState* s = new SolverState;
    if (!s->listening) {
        s->listening = true;
        store().addResetListener([] { solver().characters.clear(); });
    }
    return *s;
}

bool solverOn()
{
    return solver().on;
}

const FlagSpec kSolverFlags[] = {
    {"characterIndex", "ci", "i", 0}, {"linkTypeIndex", "lti", "i", 0}, {"linkIndex", "li", "i", 0},
    {"nodeName", "nn", "s", 0},       {"translate", "t", "ddd", 0},     {"rotate", "r", "ddd", 0},
    {"scale", "s", "ddd", 0},         {"keepTstance", "keepTstance", "", 0},
};
constexpr size_t kSolverFlagCount = sizeof kSolverFlags / sizeof kSolverFlags[0];

// The character -ci names.
Character* character(const BoundArgs& args, MStatus& status)
{
    if (!args.has("characterIndex")) {
        status = commandError("needs -ci");
        return nullptr;
    }
    const int ci = args.integer("characterIndex");
    std::vector<Character>& all = solver().characters;
    if (ci < 0 || ci >= static_cast<int>(all.size())) {
        status = commandError("No character " + std::to_string(ci));
        return nullptr;
    }
    return &all[static_cast<size_t>(ci)];
}

// The character -ci names and the slot key -lti and -li name; false when
// they name none.
bool slotArgs(const BoundArgs& args, Character*& c, int& key, MStatus& status)
{
    c = character(args, status);
    if (!c)
        return false;
    if (!args.has("linkTypeIndex") || !args.has("linkIndex")) {
        status = commandError("needs -lti and -li");
        return false;
    }
    const int g = args.integer("linkTypeIndex");
    const int k = args.integer("linkIndex");
    if (g < 0 || g >= kGroupCount || k < 0 || k >= kGroupSizes[g]) {
        status = commandError("No slot " + std::to_string(g) + " " + std::to_string(k));
        return false;
    }
    key = g * 64 + k;
    return true;
}

MStatus runCreate(const BoundArgs& args, CommandResult& result)
{
    if (args.positionals.size() != 1 || args.positionals[0].empty())
        return commandError("needs one character name");
    Character c;
    c.name = args.positionals[0];
    solver().characters.push_back(c);
    result.setString(c.name);
    return MStatus::kSuccess;
}

MStatus runSetLink(const BoundArgs& args, CommandResult&)
{
    MStatus status;
    Character* c = nullptr;
    int key = 0;
    if (!slotArgs(args, c, key, status))
        return status;
    if (!args.has("nodeName"))
        return commandError("needs -nn");
    Address a;
    std::string error;
    if (!store().parseAddress(args.text("nodeName"), a, &error))
        return commandError(error);
    if (a.path.empty() || a.plug.attr || a.component)
        return commandError("Not a DAG node: " + args.text("nodeName"));
    c->slots[key].node = a.node;
    return MStatus::kSuccess;
}

MStatus runSetOffsets(const BoundArgs& args, CommandResult&)
{
    MStatus status;
    Character* c = nullptr;
    int key = 0;
    if (!slotArgs(args, c, key, status))
        return status;
    Slot& slot = c->slots[key];
    const char* const parts[] = {"translate", "rotate", "scale"};
    for (int p = 0; p < 3; ++p)
        if (args.has(parts[p]))
            for (size_t i = 0; i < 3; ++i)
                slot.offsets[p][i] = args.number(parts[p], i);
    return MStatus::kSuccess;
}

MStatus runCharacterize(const BoundArgs& args, CommandResult&)
{
    MStatus status;
    Character* c = character(args, status);
    if (!c)
        return status;
    c->characterized = true;
    return MStatus::kSuccess;
}

MStatus runCount(const BoundArgs& args, CommandResult& result)
{
    if (!args.uses.empty() || !args.positionals.empty())
        return commandError("takes no arguments");
    result.setInt(static_cast<int>(solver().characters.size()));
    return MStatus::kSuccess;
}

MStatus runName(const BoundArgs& args, CommandResult& result)
{
    MStatus status;
    Character* c = character(args, status);
    if (!c)
        return status;
    result.setString(c->name);
    return MStatus::kSuccess;
}

std::string slotPath(const Slot& slot)
{
    Path p;
    return store().firstPath(slot.node, p) ? store().fullPathName(p) : std::string();
}

MStatus runGetLink(const BoundArgs& args, CommandResult& result)
{
    MStatus status;
    Character* c = nullptr;
    int key = 0;
    if (!slotArgs(args, c, key, status))
        return status;
    auto it = c->slots.find(key);
    result.setString(it == c->slots.end() ? std::string() : slotPath(it->second));
    return MStatus::kSuccess;
}

const CommandSpec kSolverCommands[] = {
    {"DOVCreateCharacter", kSolverFlags, kSolverFlagCount, runCreate, solverOn},
    {"DOVSetCharacterNodeLink", kSolverFlags, kSolverFlagCount, runSetLink, solverOn},
    {"DOVSetCharacterNodeLinkTRS", kSolverFlags, kSolverFlagCount, runSetOffsets, solverOn},
    {"DOVCharacterize", kSolverFlags, kSolverFlagCount, runCharacterize, solverOn},
    {"DOVGetCharacterCount", kSolverFlags, kSolverFlagCount, runCount, solverOn},
    {"DOVGetCharacterName", kSolverFlags, kSolverFlagCount, runName, solverOn},
    {"DOVGetCharacterNodeLink", kSolverFlags, kSolverFlagCount, runGetLink, solverOn},
};

} // namespace

void registerSolverCommands(Interpreter& interp)
{
    addCommands(interp, kSolverCommands);
}

void resetSolver()
{
    solver().on = false;
    solver().characters.clear();
}

} // namespace vesk

namespace standin {

void setSolverEnabled(bool on)
{
    vesk::solver().on = on;
}

bool solverEnabled()
{
    return vesk::solver().on;
}

std::vector<SolverCharacter> solverCharacters()
{
    std::vector<SolverCharacter> out;
    for (const vesk::Character& c : vesk::solver().characters) {
        SolverCharacter v;
        v.name = c.name;
        v.characterized = c.characterized;
        for (const auto& entry : c.slots) {
            SolverSlot s;
            s.group = entry.first / 64;
            s.index = entry.first % 64;
            s.node = vesk::slotPath(entry.second);
            for (int i = 0; i < 3; ++i) {
                s.translate[i] = entry.second.offsets[0][i];
                s.rotate[i] = entry.second.offsets[1][i];
                s.scale[i] = entry.second.offsets[2][i];
            }
            v.slots.push_back(s);
        }
        out.push_back(v);
    }
    return out;
}

} // namespace standin
