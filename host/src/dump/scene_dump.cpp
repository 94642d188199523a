// The scene dump: globals, nodes with their attributes and the values kept
// outside plugs, then connections.
#include "dump/scene_dump.h"

#include <algorithm>
#include <functional>
#include <unordered_map>
#include <unordered_set>

#include <vesk/MAngle.h>
#include <vesk/MDistance.h>
#include <vesk/MFnData.h>
#include <vesk/MFnNumericData.h>
#include <vesk/MTime.h>

#include "anim/anim_curve.h"
#include "deform/deform_kinds.h"
#include "dump/dump_impl.h"
#include "dump/dump_text.h"
#include "geometry/geometry_kinds.h"
#include "store/node_store.h"
#include "store/selection.h"

namespace vesk {
namespace {

const char* const kFormNames[] = {"numeric", "numericCompound", "unit", "enum",
                                  "typed",   "compound",        "message", "matrix"};

// The flags of a dynamic attribute's definition, one letter each.
std::string definitionFlags(const Attribute* a)
{
    const struct {
        bool on;
        char letter;
    } flags[] = {{a->array, 'a'},    {a->readable, 'r'}, {a->writable, 'w'},    {a->connectable, 'c'},
                 {a->storable, 's'}, {a->hidden, 'h'},   {a->keyable, 'k'},     {a->usedAsColor, 'u'},
                 {a->internal, 'i'}};
    std::string out;
    for (const auto& f : flags)
        if (f.on)
            out += f.letter;
    return out.empty() ? "-" : out;
}

class SceneDumper {
public:
    explicit SceneDumper(DumpWriter& writer) : mOut(writer), mStore(store()) {}

    void run()
    {
        collect();
        mOut.begin(kDumpHeader).end();
        globals();
        for (const DumpNode& n : mNodes)
            node(n);
        connections();
    }

private:
    void collect();
    void globals();
    void node(const DumpNode& n);
    void definition(const std::string& id, const Attribute* a, const std::string& path);
    void attribute(const std::string& id, NodeId n, Attribute* a, PlugKey key);
    void leaf(const std::string& id, NodeId n, const Attribute* a, const PlugKey& key);
    void curveUnderPlug(const std::string& id, const std::string& plug, NodeId curve);
    void connections();

    const std::string& identity(NodeId n) const { return mNodes[mIndex.at(n)].identity; }

    // The live connections into a node.
    std::vector<const Connection*> incoming(NodeId n) const
    {
        std::vector<const Connection*> out;
        for (uint32_t c : mStore.connectionsOf(n)) {
            if (c == kNoConnection)
                continue;
            const Connection& con = mStore.connection(c);
            if (con.live && con.dst.node == n)
                out.push_back(&con);
        }
        return out;
    }

    // Orders plugs for the search of driven ones.
    static bool drivenBefore(const std::pair<PlugKey, NodeId>& a, const std::pair<PlugKey, NodeId>& b)
    {
        if (a.first.attr != b.first.attr)
            return std::less<const Attribute*>()(a.first.attr, b.first.attr);
        return std::lexicographical_compare(a.first.idx, a.first.idx + kMaxLevels, b.first.idx,
                                            b.first.idx + kMaxLevels);
    }

    DumpWriter& mOut;
    NodeStore& mStore;
    // The current node's plugs that curves drive, with the curve.
    std::vector<std::pair<PlugKey, NodeId>> mDriven;
    std::vector<DumpNode> mNodes;
    std::unordered_map<NodeId, size_t, NodeIdHash> mIndex;
};

void SceneDumper::collect()
{
    uint64_t seq = 0;
    for (NodeId n = mStore.nextInCreationOrder(seq, &seq); n.valid(); n = mStore.nextInCreationOrder(seq, &seq)) {
        if (n == mStore.world())
            continue;
        mIndex[n] = mNodes.size();
        mNodes.push_back(DumpNode{n, std::string(), {}});
    }
    // Every DAG path, each made once, depth first from the world with the
    // children in order (so a node's first path comes first).
    struct Frame {
        NodeId node;
        std::string path;
    };
    std::vector<Frame> stack;
    auto pushChildren = [&](NodeId parent, const std::string& path) {
        const std::vector<NodeId>& kids = mStore.children(parent);
        for (size_t i = kids.size(); i-- > 0;)
            stack.push_back(Frame{kids[i], path + "|" + mStore.name(kids[i])});
    };
    pushChildren(mStore.world(), std::string());
    while (!stack.empty()) {
        Frame f = std::move(stack.back());
        stack.pop_back();
        auto it = mIndex.find(f.node);
        if (it == mIndex.end())
            continue;
        pushChildren(f.node, f.path);
        mNodes[it->second].paths.push_back(std::move(f.path));
    }
    for (DumpNode& n : mNodes)
        n.identity = n.paths.empty() ? mStore.name(n.id) : n.paths[0];
    std::sort(mNodes.begin(), mNodes.end(),
              [](const DumpNode& a, const DumpNode& b) { return a.identity < b.identity; });
    for (size_t i = 0; i < mNodes.size(); ++i)
        mIndex[mNodes[i].id] = i;
}

void SceneDumper::globals()
{
    const Globals& g = mStore.globals();
    mOut.begin("global").word("units").is().integer(MDistance::uiUnit()).integer(MAngle::uiUnit());
    mOut.integer(MTime::uiUnit()).end();
    mOut.begin("global").word("upAxis").is().quoted(g.upAxis).end();
    mOut.begin("global").word("jointDisplayScale").is().number(g.jointDisplayScale).end();
    mOut.begin("global").word("time").is().number(g.currentTime).end();
    mOut.begin("global").word("range").is().number(g.minTime).number(g.maxTime).end();
    std::vector<std::string> namespaces = mStore.namespaces();
    std::sort(namespaces.begin(), namespaces.end());
    mOut.begin("global").word("namespaces").is();
    for (const std::string& ns : namespaces)
        mOut.quoted(ns);
    mOut.end();
    mOut.begin("global").word("currentNamespace").is().quoted(mStore.currentNamespace()).end();
    mOut.begin("global").word("selection").is();
    const SelectionData& selection = mStore.activeSelection();
    std::vector<std::string> texts;
    for (size_t i = 0; i < selection.size(); ++i) {
        selection.strings(mStore, i, texts);
        for (const std::string& t : texts)
            mOut.quoted(t);
    }
    mOut.end();
}

void SceneDumper::node(const DumpNode& n)
{
    const std::string& id = n.identity;
    const Kind* kind = mStore.kindOf(n.id);
    mOut.begin("node", id).is().quoted(kind->typeName()).integer(kind->type()).end();
    if (kind->isDag()) {
        mOut.begin("node", id).word("paths").is();
        for (const std::string& p : n.paths)
            mOut.quoted(p);
        mOut.end();
        mOut.begin("node", id).word("children").is();
        for (NodeId c : mStore.children(n.id))
            mOut.quoted(mStore.name(c));
        mOut.end();
        mOut.begin("node", id).word("intermediate").is().integer(mStore.intermediate(n.id) ? 1 : 0).end();
    }

    // The plugs curves drive, from the node's own connections (a look-up
    // in the store's table per plug would cost a cache miss each).
    mDriven.clear();
    for (const Connection* con : incoming(n.id)) {
        const NodeId curve = curveDriving(n.id, con->dst.key);
        if (curve.valid())
            mDriven.emplace_back(con->dst.key, curve);
    }
    std::sort(mDriven.begin(), mDriven.end(), drivenBefore);

    // Static attributes in the kind's order, then dynamic ones by name.
    std::vector<Attribute*> dynamic;
    for (size_t i = 0; i < mStore.attributeCount(n.id); ++i) {
        Attribute* a = mStore.attributeAt(n.id, i);
        if (mStore.isDynamic(n.id, a))
            dynamic.push_back(a);
        else
            attribute(id, n.id, a, PlugKey{a, {kUnsetIndex, kUnsetIndex, kUnsetIndex, kUnsetIndex}});
    }
    std::sort(dynamic.begin(), dynamic.end(),
              [](const Attribute* a, const Attribute* b) { return a->longName() < b->longName(); });
    for (Attribute* a : dynamic) {
        definition(id, a, a->longName());
        attribute(id, n.id, a, PlugKey{a, {kUnsetIndex, kUnsetIndex, kUnsetIndex, kUnsetIndex}});
    }
    dumpPayload(mOut, id, n.id);
}

void SceneDumper::definition(const std::string& id, const Attribute* a, const std::string& path)
{
    mOut.begin("define", id).word(path).is().quoted(a->shortName()).word(kFormNames[int(a->form())]);
    mOut.integer(a->numericType).integer(a->unitType).integer(a->dataType).word(definitionFlags(a));
    mOut.number(a->defaultValue).quoted(a->defaultText);
    const struct {
        bool has;
        double value;
    } limits[] = {{a->hasMin, a->minValue},
                  {a->hasMax, a->maxValue},
                  {a->hasSoftMin, a->softMinValue},
                  {a->hasSoftMax, a->softMaxValue}};
    for (const auto& l : limits) {
        if (l.has)
            mOut.number(l.value);
        else
            mOut.word("-");
    }
    for (const auto& f : a->fields)
        mOut.quoted(f.first + "=" + std::to_string(f.second));
    mOut.end();
    for (const Attribute* c : a->children())
        definition(id, c, path + "." + c->longName());
}

void SceneDumper::attribute(const std::string& id, NodeId n, Attribute* a, PlugKey key)
{
    // Computed values follow from the rest of the scene.
    if (a->compute)
        return;
    const int level = a->ownLevel();
    if (level >= 0 && key.idx[level] == kUnsetIndex) {
        std::vector<uint32_t> indices;
        mStore.logicalIndices(n, key, indices);
        for (uint32_t i : indices) {
            key.idx[level] = i;
            if (const std::string* alias = mStore.aliasOf(n, key))
                mOut.begin("alias", id).word(mStore.plugPath(n, key, true, false)).is().quoted(*alias).end();
            attribute(id, n, a, key);
        }
        return;
    }
    if (!a->isLeaf()) {
        for (Attribute* c : a->children()) {
            key.attr = c;
            attribute(id, n, c, key);
        }
        return;
    }
    if (a->form() != AttrForm::kMessage)
        leaf(id, n, a, key);
}

void SceneDumper::leaf(const std::string& id, NodeId n, const Attribute* a, const PlugKey& key)
{
    const std::string plug = mStore.plugPath(n, key, true, false);
    std::string flags;
    if (a->keyable)
        flags += 'k';
    if (a->hidden)
        flags += 'h';
    if (mStore.isLocked(n, key))
        flags += 'l';
    mOut.begin("attr", id).word(plug).is().word(flags.empty() ? "-" : flags);
    Value v;
    const bool stored = mStore.storedValue(n, key, v);
    const RefObject* geometry = nullptr;
    switch (a->form()) {
    case AttrForm::kTyped:
        if (stored && v.kind == Value::kText)
            mOut.quoted(v.text);
        else if (stored && v.kind == Value::kData && v.data)
            geometry = writeData(mOut, *v.data);
        else if (a->dataType == MFnData::kString)
            mOut.quoted(a->defaultText);
        else
            mOut.word("none");
        break;
    case AttrForm::kMatrix:
        if (stored && v.kind == Value::kData && v.data)
            writeData(mOut, *v.data);
        else
            writeData(mOut, MatrixData());
        break;
    default: {
        const double x = stored && v.kind == Value::kNumber ? v.number : a->defaultValue;
        if (a->isIntegerValued())
            mOut.integer(static_cast<long long>(x));
        else if (a->form() == AttrForm::kNumeric && a->numericType == MFnNumericData::kFloat)
            mOut.single(x);
        else
            mOut.number(x);
    }
    }
    mOut.end();
    if (geometry)
        writeGeometry(mOut, "geom", id, &plug, *geometry);
    if (a->isNumericLeaf() && !mDriven.empty()) {
        auto it = std::lower_bound(mDriven.begin(), mDriven.end(), std::make_pair(key, NodeId()), drivenBefore);
        if (it != mDriven.end() && it->first == key)
            curveUnderPlug(id, plug, it->second);
    }
}

void SceneDumper::curveUnderPlug(const std::string& id, const std::string& plug, NodeId curve)
{
    const AnimCurve* c = curveOf(curve);
    mOut.begin("curve", id)
        .word(plug)
        .is()
        .quoted(identity(curve))
        .integer(c->curveType())
        .integer(c->weighted())
        .integer(c->infinity(true))
        .integer(c->infinity(false));
    mOut.end();
    writeKeys(mOut, id, &plug, *c);
}

void SceneDumper::connections()
{
    struct Line {
        std::string key;
        std::string value;
    };
    std::vector<Line> lines;
    for (const DumpNode& n : mNodes)
        for (const Connection* c : incoming(n.id)) {
            const Connection& con = *c;
            Line line;
            line.key = "connect ";
            appendQuoted(line.key, n.identity);
            line.key += ' ';
            line.key += mStore.plugPath(n.id, con.dst.key, true, false);
            appendQuoted(line.value, identity(con.src.node));
            line.value += ' ';
            line.value += mStore.plugPath(con.src.node, con.src.key, true, false);
            lines.push_back(std::move(line));
        }
    std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.key < b.key; });
    for (const Line& l : lines)
        mOut.begin(l.key.c_str()).is().word(l.value).end();
}

} // namespace

bool writeSceneDump(std::FILE* file)
{
    DumpWriter writer(file);
    SceneDumper(writer).run();
    return writer.flush();
}

std::string sceneDump()
{
    DumpWriter writer(nullptr);
    SceneDumper(writer).run();
    return std::move(writer.text());
}

} // namespace vesk
