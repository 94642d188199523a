// Node and scene commands: delete, parent, file -new, namespace and
// namespaceInfo, the upAxis and jointDisplayScale queries, shadingNode,
// sets, and objectMoveCommand and bakeResults (which change nothing here).
#include <algorithm>

#include "deform/deform_kinds.h"
#include "scenecmd/scene_commands_impl.h"

namespace vesk {
namespace {

const FlagSpec kNoFlags[] = {{"", "", "", 0}};

const FlagSpec kDeleteFlags[] = {
    {"channels", "ch", "", 0},   {"unitlessAnimationCurves", "uac", "b", 0}, {"hierarchy", "hi", "s", 0},
    {"controlPoints", "cp", "b", 0}, {"shape", "s", "b", 0},
};

// delete NAME...: the nodes, all named first. "delete -channels" only
// answers: channels are not deleted.
MStatus runDelete(const BoundArgs& args, CommandResult&)
{
    if (args.has("channels"))
        return MStatus::kSuccess;
    if (args.positionals.empty())
        return commandError("needs the objects to delete");
    std::vector<Address> targets;
    MStatus status;
    if (!readAddresses(args.positionals, targets, status))
        return status;
    for (size_t i = 0; i < targets.size(); ++i)
        if (targets[i].plug.attr || targets[i].component || targets[i].node == store().world())
            return commandError("Cannot delete " + args.positionals[i]);
    for (const Address& a : targets)
        if (store().isAlive(a.node))
            store().deleteNode(a.node);
    return MStatus::kSuccess;
}

// parent CHILD PARENT: the child moves under the parent, keeping its local
// values; the result is its new name.
MStatus runParent(const BoundArgs& args, CommandResult& result)
{
    if (args.positionals.size() != 2)
        return commandError("needs a child and a parent");
    std::vector<Address> t;
    MStatus status;
    if (!readAddresses(args.positionals, t, status))
        return status;
    if (t[0].path.empty() || t[1].path.empty() || t[0].plug.attr || t[1].plug.attr || t[0].component ||
        t[1].component)
        return commandError("Both must be DAG objects");
    if (!store().addChild(t[1].node, t[0].node, -1, false))
        return commandError("Cannot put " + args.positionals[0] + " under " + args.positionals[1]);
    result.setStrings({nodeText(t[0].node)});
    return MStatus::kSuccess;
}

const FlagSpec kFileFlags[] = {{"force", "f", "", 0}, {"new", "new", "", 0}};

// file -f -new: a new scene (nodes, namespaces, selection, time range and
// the solver's characters go; interface, variables and settings stay).
MStatus runFile(const BoundArgs& args, CommandResult&)
{
    if (!args.has("new") || !args.positionals.empty())
        return commandError("only makes a new scene (-f -new)");
    store().reset();
    const Globals defaults;
    Globals& g = store().globals();
    g.currentTime = defaults.currentTime;
    g.minTime = defaults.minTime;
    g.maxTime = defaults.maxTime;
    return MStatus::kSuccess;
}

// Namespaces are named absolutely ("rig" is ":rig" whatever is current),
// answered without the leading ':' (the root as ":").
std::string absoluteName(const std::string& ns)
{
    return !ns.empty() && ns[0] == ':' ? ns.substr(1) : ns;
}

std::string parentNamespace(const std::string& ns)
{
    const size_t colon = ns.rfind(':');
    return colon == std::string::npos ? std::string() : ns.substr(0, colon);
}

bool namespaceExists(const std::string& ns)
{
    const std::vector<std::string>& all = store().namespaces();
    return ns.empty() || std::find(all.begin(), all.end(), ns) != all.end();
}

const FlagSpec kNamespaceFlags[] = {{"set", "set", "s", 0}, {"add", "add", "s", 0}};

MStatus runNamespace(const BoundArgs& args, CommandResult& result)
{
    if (args.has("set") == args.has("add") || !args.positionals.empty())
        return commandError("needs -set or -add with a name");
    NodeStore& s = store();
    if (args.has("set")) {
        const std::string ns = absoluteName(args.text("set"));
        if (!namespaceExists(ns) || !s.setCurrentNamespace(ns))
            return commandError("No namespace " + args.text("set"));
        result.setString(ns.empty() ? ":" : ns);
        return MStatus::kSuccess;
    }
    const std::string ns = absoluteName(args.text("add"));
    if (!namespaceExists(parentNamespace(ns)))
        return commandError("No parent namespace for " + args.text("add"));
    if (!s.addNamespace(ns))
        return commandError("Cannot add namespace " + args.text("add"));
    result.setString(ns);
    return MStatus::kSuccess;
}

const FlagSpec kNamespaceInfoFlags[] = {{"listOnlyNamespaces", "lon", "", 0}, {"currentNamespace", "cur", "", 0}};

MStatus runNamespaceInfo(const BoundArgs& args, CommandResult& result)
{
    const std::string& current = store().currentNamespace();
    if (args.has("listOnlyNamespaces") == args.has("currentNamespace") || !args.positionals.empty())
        return commandError("needs -lon or -cur");
    if (args.has("currentNamespace")) {
        result.setString(current.empty() ? ":" : current);
        return MStatus::kSuccess;
    }
    std::vector<std::string> children;
    for (const std::string& ns : store().namespaces())
        if (parentNamespace(ns) == current)
            children.push_back(ns);
    result.setStrings(children);
    return MStatus::kSuccess;
}

const FlagSpec kUpAxisFlags[] = {{"query", "q", "", 0}, {"axis", "ax", "s", FlagSpec::kQueryable}};
const FlagSpec kJointScaleFlags[] = {{"query", "q", "", 0}, {"absolute", "a", "d", FlagSpec::kQueryable}};

MStatus runUpAxis(const BoundArgs& args, CommandResult& result)
{
    if (!args.query || !args.queried)
        return commandError("only answers -query -axis");
    result.setString(store().globals().upAxis);
    return MStatus::kSuccess;
}

MStatus runJointDisplayScale(const BoundArgs& args, CommandResult& result)
{
    if (!args.query || !args.queried)
        return commandError("only answers -query -absolute");
    result.setDouble(store().globals().jointDisplayScale);
    return MStatus::kSuccess;
}

// shadingNode -at|-au|-as TYPE: a node of a kind of that class.
const FlagSpec kShadingNodeFlags[] = {
    {"asTexture", "at", "", 0},
    {"asUtility", "au", "", 0},
    {"asShader", "as", "", 0},
    {"name", "n", "s", 0},
};

struct ShadingClass {
    const char* flag;
    const char* types[5];
};
const ShadingClass kShadingClasses[] = {
    {"asTexture", {"file", "layeredTexture", nullptr}},
    {"asUtility", {"place2dTexture", nullptr}},
    {"asShader", {"lambert", "reflect", "phong", "surfaceShader", nullptr}},
};

MStatus runShadingNode(const BoundArgs& args, CommandResult& result)
{
    const ShadingClass* chosen = nullptr;
    int given = 0;
    for (const ShadingClass& c : kShadingClasses)
        if (args.has(c.flag)) {
            chosen = &c;
            ++given;
        }
    if (given != 1 || args.positionals.size() != 1)
        return commandError("needs one of -at, -au, -as and a node type");
    const std::string& type = args.positionals[0];
    bool known = false;
    for (const char* const* t = chosen->types; *t; ++t)
        known = known || type == *t;
    if (!known)
        return commandError("Not a node type of that class: " + type);
    MStatus status;
    const NodeId n = store().createNode(type, args.text("name"), NodeId(), &status);
    if (!status)
        return commandError("Cannot create a " + type);
    result.setString(store().name(n));
    return MStatus::kSuccess;
}

// sets: creation (-renderable true makes a shading group; members are the
// names given or the selection, none with -empty) and edits (-e with
// -forceElement SET, or -e SET, adding the names given).
const FlagSpec kSetsFlags[] = {
    {"renderable", "r", "b", 0}, {"noSurfaceShader", "nss", "b", 0}, {"empty", "em", "", 0},
    {"name", "n", "s", 0},       {"edit", "e", "", 0},                {"forceElement", "fe", "s", 0},
};

bool membersOf(const std::vector<std::string>& texts, std::vector<SetMember>& out, MStatus& status)
{
    std::vector<Address> targets;
    if (!readAddresses(texts, targets, status))
        return false;
    out.clear();
    for (size_t i = 0; i < targets.size(); ++i) {
        if (targets[i].plug.attr) {
            status = commandError("Not an object or components: " + texts[i]);
            return false;
        }
        out.push_back(SetMember{targets[i].node, targets[i].path, targets[i].component});
    }
    return true;
}

MStatus runSets(const BoundArgs& args, CommandResult& result)
{
    MStatus status;
    std::vector<SetMember> members;
    if (args.edit) {
        std::vector<std::string> texts = args.positionals;
        std::string setName = args.text("forceElement");
        if (!args.has("forceElement")) {
            if (texts.empty())
                return commandError("needs the set to edit");
            setName = texts.front();
            texts.erase(texts.begin());
        }
        Address set;
        if (!readAddress(setName, set, status) || !membersOf(texts, members, status))
            return status;
        if (!setOf(set.node))
            return commandError("Not a set: " + setName);
        if (!addSetMembers(set.node, members, args.has("forceElement")))
            return commandError("Cannot add those members to " + setName);
        return MStatus::kSuccess;
    }
    if (!args.has("empty")) {
        if (!args.positionals.empty()) {
            if (!membersOf(args.positionals, members, status))
                return status;
        } else {
            const SelectionData& sel = store().activeSelection();
            for (size_t i = 0; i < sel.size(); ++i)
                if (!sel.item(i).plug.attr)
                    members.push_back(SetMember{sel.item(i).node, sel.item(i).path, sel.item(i).component});
        }
    }
    const int restriction = args.boolean("renderable") ? kRenderableOnly : 0;
    const NodeId set = createSet(args.text("name"), restriction, &status);
    if (!status)
        return commandError("Cannot create the set");
    if (!addSetMembers(set, members, false)) {
        store().deleteNode(set);
        return commandError("Cannot add those members");
    }
    result.setString(store().name(set));
    return MStatus::kSuccess;
}

MStatus runNothing(const BoundArgs&, CommandResult&)
{
    return MStatus::kSuccess;
}

const FlagSpec kBakeFlags[] = {{"simulation", "sm", "b", 0}, {"time", "t", "s", 0}};

const CommandSpec kNodeCommands[] = {
    {"delete", kDeleteFlags, sizeof kDeleteFlags / sizeof kDeleteFlags[0], runDelete, nullptr},
    {"parent", kNoFlags, 0, runParent, nullptr},
    {"file", kFileFlags, 2, runFile, nullptr},
    {"namespace", kNamespaceFlags, 2, runNamespace, nullptr},
    {"namespaceInfo", kNamespaceInfoFlags, 2, runNamespaceInfo, nullptr},
    {"upAxis", kUpAxisFlags, 2, runUpAxis, nullptr},
    {"jointDisplayScale", kJointScaleFlags, 2, runJointDisplayScale, nullptr},
    {"shadingNode", kShadingNodeFlags, 4, runShadingNode, nullptr},
    {"sets", kSetsFlags, sizeof kSetsFlags / sizeof kSetsFlags[0], runSets, nullptr},
    {"objectMoveCommand", kNoFlags, 0, runNothing, nullptr},
    {"bakeResults", kBakeFlags, 2, runNothing, nullptr},
};

} // namespace

void registerNodeCommands(Interpreter& interp)
{
    addCommands(interp, kNodeCommands);
}

} // namespace vesk
