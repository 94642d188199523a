// Node store: text forms of nodes and plugs, and the parser that reads them
// back (with component texts).
#include <algorithm>
#include <cstdlib>

#include "store/store_impl.h"

namespace vesk {
namespace {

struct ComponentWord {
    MFn::Type type;
    const char* word;
};

const ComponentWord kComponentWords[] = {
    {MFn::kMeshVertComponent, "vtx"},
    {MFn::kMeshPolygonComponent, "f"},
    {MFn::kSurfaceCVComponent, "cv"},
};

// Component ranges are expanded into index lists; without a known geometry
// size a range may not exceed this many elements.
constexpr long long kMaxUncheckedRange = 10000000;

// One "[...]" group: an index, a range "a:b", or "-1" (unset).
struct Bracket {
    long long first = 0;
    long long last = 0;
    bool range = false;
};

bool parseIndex(const std::string& text, long long& out)
{
    if (text.empty() || text.size() > 12)
        return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return false;
    for (size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9')
            return false;
    out = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

// Splits "name[1][2:3]" into the name and its bracket groups.
bool splitSegment(const std::string& seg, std::string& name, std::vector<Bracket>& brackets)
{
    const size_t open = seg.find('[');
    name = seg.substr(0, open);
    brackets.clear();
    if (name.empty())
        return false;
    size_t pos = open;
    while (pos != std::string::npos && pos < seg.size()) {
        if (seg[pos] != '[')
            return false;
        const size_t close = seg.find(']', pos);
        if (close == std::string::npos)
            return false;
        const std::string inner = seg.substr(pos + 1, close - pos - 1);
        Bracket b;
        const size_t colon = inner.find(':');
        if (colon == std::string::npos) {
            if (!parseIndex(inner, b.first))
                return false;
            b.last = b.first;
        } else {
            if (!parseIndex(inner.substr(0, colon), b.first) || !parseIndex(inner.substr(colon + 1), b.last))
                return false;
            b.range = true;
        }
        brackets.push_back(b);
        pos = close + 1;
    }
    return true;
}

void setError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
}

// Finds name among the descendants of a without crossing an array attribute
// (array ancestors always appear in a plug text).
Attribute* findBelow(Attribute* a, const std::string& name)
{
    for (Attribute* c : a->children()) {
        if (c->longName() == name || c->shortName() == name)
            return c;
        if (!c->array)
            if (Attribute* f = findBelow(c, name))
                return f;
    }
    return nullptr;
}

} // namespace

const char* NodeStore::componentWord(MFn::Type type)
{
    for (const ComponentWord& w : kComponentWords)
        if (w.type == type)
            return w.word;
    return nullptr;
}

MFn::Type NodeStore::componentType(const std::string& word)
{
    for (const ComponentWord& w : kComponentWords)
        if (word == w.word)
            return w.type;
    return MFn::kInvalid;
}

std::string NodeStore::nodeAddress(NodeId n) const
{
    const NodeRecord* r = record(n);
    if (!r)
        return std::string();
    if (r->kind->isDag()) {
        Path p;
        if (firstPath(n, p))
            return partialPathName(p);
    }
    return r->name;
}

std::string NodeStore::plugPath(NodeId n, const PlugKey& k, bool longNames, bool useAlias) const
{
    if (!k.attr)
        return std::string();
    if (useAlias)
        if (const std::string* alias = aliasOf(n, k))
            return *alias;
    std::vector<const Attribute*> chain;
    for (const Attribute* a = k.attr; a; a = a->parent())
        if (a == k.attr || a->array)
            chain.push_back(a);
    std::string out;
    for (size_t i = chain.size(); i-- > 0;) {
        const Attribute* a = chain[i];
        if (!out.empty())
            out += '.';
        out += longNames ? a->longName() : a->shortName();
        if (a->array) {
            const uint32_t idx = k.idx[a->ownLevel()];
            if (idx != kUnsetIndex)
                out += "[" + std::to_string(idx) + "]";
            else if (a != k.attr)
                out += "[-1]";
        }
    }
    return out;
}

MStatus NodeStore::parseAddress(const std::string& text, Address& out, std::string* error) const
{
    out = Address();
    const size_t dot = text.find('.');
    const std::string nodePart = text.substr(0, dot);
    if (nodePart.empty()) {
        setError(error, "No object name in: " + text);
        return MStatus::kInvalidParameter;
    }

    // The node: a path "a|b" or "|a|b", or a plain name. A full name just
    // made (the usual way to a deep node) is found without a walk.
    if (recentPathNamed(nodePart, out.path)) {
        out.node = out.path.back();
    } else if (nodePart.find('|') != std::string::npos) {
        std::vector<std::string_view> names;
        const std::string_view whole(nodePart);
        size_t start = 0;
        for (;;) {
            const size_t bar = whole.find('|', start);
            names.push_back(whole.substr(start, bar - start));
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
        for (size_t i = 1; i < names.size(); ++i)
            if (names[i].empty()) {
                setError(error, "Bad path: " + nodePart);
                return MStatus::kInvalidParameter;
            }
        std::vector<Path> found;
        pathsEndingWith(names, 2, found);
        if (found.size() != 1) {
            setError(error, (found.empty() ? "No object matches name: " : "More than one object matches name: ") +
                                nodePart);
            return found.empty() ? MStatus::kNotFound : MStatus::kInvalidParameter;
        }
        out.path = found[0];
        out.node = found[0].back();
    } else {
        const std::vector<NodeId>& named = nodesNamed(nodePart);
        size_t matches = 0;
        for (NodeId n : named) {
            std::vector<Path> paths;
            if (kindOf(n)->isDag())
                allPaths(n, paths);
            matches += kindOf(n)->isDag() ? paths.size() : 1;
            if (matches == 1) {
                out.node = n;
                if (!paths.empty())
                    out.path = paths[0];
            }
        }
        if (matches != 1) {
            setError(error, (matches == 0 ? "No object matches name: " : "More than one object matches name: ") +
                                nodePart);
            out = Address();
            return matches == 0 ? MStatus::kNotFound : MStatus::kInvalidParameter;
        }
    }
    if (dot == std::string::npos)
        return MStatus::kSuccess;

    // Segments after the node.
    std::vector<std::string> segments;
    size_t start = dot + 1;
    for (;;) {
        const size_t next = text.find('.', start);
        segments.push_back(text.substr(start, next - start));
        if (next == std::string::npos)
            break;
        start = next + 1;
    }
    std::string name;
    std::vector<Bracket> brackets;
    if (!splitSegment(segments[0], name, brackets)) {
        setError(error, "Bad attribute text: " + text);
        return MStatus::kInvalidParameter;
    }

    // A component of the node (or of a transform's first shape).
    const MFn::Type compType = componentType(name);
    if (compType != MFn::kInvalid && !findAttribute(out.node, name) && segments.size() == 1) {
        NodeId shape = out.node;
        if (kindOf(shape)->isA(MFn::kTransform)) {
            shape = firstShape(shape);
            if (!shape.valid()) {
                setError(error, "No shape below: " + nodePart);
                return MStatus::kInvalidParameter;
            }
            out.path.push_back(shape);
        }
        const bool two = compType == MFn::kSurfaceCVComponent;
        if (brackets.size() != (two ? 2u : 1u)) {
            setError(error, "Bad component text: " + text);
            return MStatus::kInvalidParameter;
        }
        int count = -1, countV = -1;
        const Kind* sk = kindOf(shape);
        if (sk->componentExtent && !sk->componentExtent(*this, shape, compType, count, countV)) {
            setError(error, "No such components on: " + nodePart);
            return MStatus::kInvalidParameter;
        }
        const long long limits[2] = {count, countV};
        long long total = 1;
        for (size_t b = 0; b < brackets.size(); ++b) {
            const Bracket& br = brackets[b];
            if (br.first < 0 || br.last < br.first || br.last > 0x7FFFFFFF ||
                (limits[b] >= 0 && br.last >= limits[b])) {
                setError(error, "Component index out of range: " + text);
                return MStatus::kInvalidParameter;
            }
            total *= br.last - br.first + 1;
        }
        if (count < 0 && total > kMaxUncheckedRange) {
            setError(error, "Component range too large: " + text);
            return MStatus::kInvalidParameter;
        }
        Ref<Component> comp(new Component(compType));
        if (two) {
            for (long long u = brackets[0].first; u <= brackets[0].last; ++u)
                for (long long v = brackets[1].first; v <= brackets[1].last; ++v)
                    comp->pairs.emplace_back(static_cast<int>(u), static_cast<int>(v));
        } else {
            for (long long i = brackets[0].first; i <= brackets[0].last; ++i)
                comp->single.push_back(static_cast<int>(i));
        }
        out.node = shape;
        out.component = comp;
        return MStatus::kSuccess;
    }

    // A plug: the first segment is any attribute of the node (or an alias),
    // the next ones descendants of the previous.
    PlugKey key;
    PlugKey aliased;
    if (brackets.empty() && findAlias(out.node, name, aliased)) {
        key = aliased;
    } else {
        key.attr = findAttribute(out.node, name);
    }
    for (size_t s = 0;; ++s) {
        if (!key.attr) {
            setError(error, "No attribute '" + name + "' on: " + nodePart);
            return MStatus::kInvalidParameter;
        }
        if (brackets.size() > 1 || (!brackets.empty() && (!key.attr->array || brackets[0].range))) {
            setError(error, "Bad index in: " + text);
            return MStatus::kInvalidParameter;
        }
        if (!brackets.empty()) {
            const long long idx = brackets[0].first;
            if (idx < -1 || idx > 0x7FFFFFFF) {
                setError(error, "Bad index in: " + text);
                return MStatus::kInvalidParameter;
            }
            key.idx[key.attr->ownLevel()] = idx < 0 ? kUnsetIndex : static_cast<uint32_t>(idx);
        }
        if (s + 1 == segments.size())
            break;
        if (!splitSegment(segments[s + 1], name, brackets)) {
            setError(error, "Bad attribute text: " + text);
            return MStatus::kInvalidParameter;
        }
        key.attr = findBelow(key.attr, name);
    }
    out.plug = key;
    return MStatus::kSuccess;
}

} // namespace vesk
