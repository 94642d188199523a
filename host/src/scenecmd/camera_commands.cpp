// camera (a camera transform and shape with the values of its flags, left
// selected) and cameraMakeNode (1: the camera alone; 2: under a look-at
// group "<camera>_group" with an aim "<camera>_aim"; 3: and an up
// "<camera>_up"; children in the order camera, aim, up).
#include <cctype>

#include "scenecmd/scene_commands_impl.h"

namespace vesk {
namespace {

// Each flag sets the camera shape's attribute of the same long name, in
// user units (degrees for the shutter angle).
const FlagSpec kCameraFlags[] = {
    {"centerOfInterest", "coi", "d", 0},
    {"focalLength", "fl", "d", 0},
    {"lensSqueezeRatio", "lsr", "d", 0},
    {"cameraScale", "cs", "d", 0},
    {"horizontalFilmAperture", "hfa", "d", 0},
    {"horizontalFilmOffset", "hfo", "d", 0},
    {"verticalFilmAperture", "vfa", "d", 0},
    {"verticalFilmOffset", "vfo", "d", 0},
    {"filmFit", "ff", "s", 0},
    {"overscan", "ovr", "d", 0},
    {"motionBlur", "mb", "b", 0},
    {"shutterAngle", "sa", "d", 0},
    {"nearClipPlane", "ncp", "d", 0},
    {"farClipPlane", "fcp", "d", 0},
    {"orthographic", "o", "b", 0},
    {"orthographicWidth", "ow", "d", 0},
};

std::string lower(std::string t)
{
    for (char& c : t)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
}

// The film fit field a word names, or -1.
int filmFitOf(const std::string& word)
{
    const Kind* camera = store().kind(MFn::kCamera);
    const Attribute* fit = camera ? camera->findAttribute("filmFit") : nullptr;
    if (fit)
        for (const auto& f : fit->fields)
            if (f.first == lower(word))
                return f.second;
    return -1;
}

MStatus runCamera(const BoundArgs& args, CommandResult& result)
{
    if (!args.positionals.empty())
        return commandError("takes no names");
    const int fit = args.has("filmFit") ? filmFitOf(args.text("filmFit")) : 1;
    if (fit < 0)
        return commandError("Bad film fit: " + args.text("filmFit"));
    NodeStore& s = store();
    const NodeId transform = s.createNode("transform", "camera1");
    const NodeId shape = s.createNode("camera", "cameraShape" + numberSuffix(s.name(transform)), transform);
    MStatus status;
    for (const BoundArgs::Use& use : args.uses) {
        const PlugKey key = keyNamed(shape, use.spec->longName);
        const double v = use.spec == &kCameraFlags[8] ? fit : use.values[0].number;
        if (!writeUiNumber(shape, key, v, status)) {
            s.deleteNode(transform);
            return status;
        }
    }
    Path path;
    s.firstPath(transform, path);
    SelectionItem item;
    item.node = transform;
    item.path = path;
    s.activeSelection().clear();
    s.activeSelection().add(item, false);
    result.setStrings({s.name(transform), s.name(shape)});
    return MStatus::kSuccess;
}

// The camera transform a node stands for (itself, or a camera shape's
// parent), or an invalid id.
NodeId cameraTransform(NodeId n)
{
    NodeStore& s = store();
    if (!s.isAlive(n))
        return NodeId();
    if (s.kindOf(n)->isA(MFn::kCamera))
        return s.parents(n).empty() ? NodeId() : s.parents(n)[0];
    const NodeId shape = s.firstShape(n);
    return shape.valid() && s.kindOf(shape)->isA(MFn::kCamera) ? n : NodeId();
}

// A transform with a locator shape under parent.
NodeId makeLocator(const std::string& name, NodeId parent)
{
    NodeStore& s = store();
    const NodeId t = s.createNode("transform", name, parent);
    s.createNode("locator", s.name(t) + "Shape", t);
    return t;
}

MStatus runCameraMakeNode(const BoundArgs& args, CommandResult& result)
{
    if (args.positionals.empty() || args.positionals.size() > 2)
        return commandError("needs a kind (1, 2 or 3) and optionally a camera");
    int kind = 0;
    if (!parseIntText(args.positionals[0], kind) || kind < 1 || kind > 3)
        return commandError("Bad kind: " + args.positionals[0]);
    NodeStore& s = store();
    NodeId camera;
    MStatus status;
    if (args.positionals.size() == 2 && !args.positionals[1].empty()) {
        Address a;
        if (!readAddress(args.positionals[1], a, status))
            return status;
        camera = cameraTransform(a.node);
    } else {
        const SelectionData& sel = s.activeSelection();
        for (size_t i = 0; i < sel.size() && !camera.valid(); ++i)
            camera = cameraTransform(sel.item(i).node);
    }
    if (!camera.valid())
        return commandError("No camera given or selected");

    std::vector<NodeId> chosen{camera};
    if (kind > 1) {
        const std::string base = s.name(camera);
        const NodeId above = s.parents(camera).empty() ? NodeId() : s.parents(camera)[0];
        const NodeId group =
            s.createNode("lookAt", base + "_group", above == s.world() ? NodeId() : above, &status);
        if (!status || !s.addChild(group, camera, -1, false)) {
            if (s.isAlive(group))
                s.deleteNode(group);
            return commandError("Cannot group " + base);
        }
        const NodeId aim = makeLocator(base + "_aim", group);
        if (kind == 3)
            chosen.push_back(makeLocator(base + "_up", group));
        chosen.push_back(aim);
    }
    SelectionData& sel = s.activeSelection();
    sel.clear();
    std::vector<std::string> names;
    for (NodeId n : chosen) {
        SelectionItem item;
        item.node = n;
        s.firstPath(n, item.path);
        sel.add(item, false);
        names.push_back(nodeText(n));
    }
    result.setStrings(names);
    return MStatus::kSuccess;
}

const FlagSpec kNoFlags[] = {{"", "", "", 0}};

const CommandSpec kCameraCommands[] = {
    {"camera", kCameraFlags, sizeof kCameraFlags / sizeof kCameraFlags[0], runCamera, nullptr},
    {"cameraMakeNode", kNoFlags, 0, runCameraMakeNode, nullptr},
};

} // namespace

void registerCameraCommands(Interpreter& interp)
{
    addCommands(interp, kCameraCommands);
}

} // namespace vesk
