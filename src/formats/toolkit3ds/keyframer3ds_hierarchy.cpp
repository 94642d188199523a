// The node hierarchy: the global node list and the conversions between
// parent ids (in the file) and parent names (in memory). The list's lookups
// are hashed, each keeping the first node that matches.
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/keyframer3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

nodelist3ds* nodeList = nullptr;

namespace {

constexpr std::uint16_t kNoNode = 0xFFFF;

nodelist3ds* gTail = nullptr;
std::unordered_map<std::uint16_t, nodelist3ds*> gById;
// Nodes without an instance name, by name; nodes with one, by name, 0 and
// instance.
std::unordered_map<std::string, nodelist3ds*> gByName;
std::unordered_map<std::string, nodelist3ds*> gByInstance;

std::string InstanceKey(const char* name, std::size_t length, const char* instance)
{
    std::string key(name, length);
    key += '\0';
    key += instance;
    return key;
}

void Index(nodelist3ds* node)
{
    gById.emplace(node->id, node);
    if (node->instance)
        gByInstance.emplace(InstanceKey(node->name, std::strlen(node->name), node->instance), node);
    if (!node->instance || !*node->instance)
        gByName.emplace(node->name, node);
}

std::uint16_t getChunkNodeId(chunk3ds* node)
{
    chunk3ds* id = nullptr;
    FindNextChunk3ds(node->children, NODE_ID, &id);
    if (!id)
        return kNoNode;
    const bool loaded = id->data != nullptr;
    const Int16Data3ds* d = static_cast<Int16Data3ds*>(ReadChunkData3ds(id));
    const std::uint16_t value = d ? static_cast<std::uint16_t>(d->value) : kNoNode;
    if (!loaded)
        FreeFileChunkData3ds(id);
    return value;
}

// A copy of a chunk's string, or of "" (what it loads is freed again).
char* StringCopy(chunk3ds* chunk)
{
    const bool loaded = chunk->data != nullptr;
    const StringData3ds* d = static_cast<StringData3ds*>(ReadChunkData3ds(chunk));
    char* copy = strdup3ds(d && d->value ? d->value : "");
    if (!loaded)
        FreeFileChunkData3ds(chunk);
    return copy;
}

nodelist3ds* makeNode(chunk3ds* chunk)
{
    nodelist3ds* node = static_cast<nodelist3ds*>(std::calloc(1, sizeof(nodelist3ds)));
    if (!node) {
        Fail(ERR_NO_MEM);
        return nullptr;
    }
    node->tag = chunk->tag;
    node->chunk = chunk;
    node->id = getChunkNodeId(chunk);
    node->parent = kNoNode;
    chunk3ds* header = nullptr;
    FindNextChunk3ds(chunk->children, NODE_HDR, &header);
    if (header) {
        const bool loaded = header->data != nullptr;
        const NodeHdrData3ds* d = static_cast<NodeHdrData3ds*>(ReadChunkData3ds(header));
        node->name = strdup3ds(d && d->objname ? d->objname : "");
        if (d)
            node->parent = static_cast<std::uint16_t>(d->parentindex);
        if (!loaded)
            FreeFileChunkData3ds(header);
    } else {
        node->name = strdup3ds("");
    }
    chunk3ds* instance = nullptr;
    if (chunk->tag == OBJECT_NODE_TAG)
        FindNextChunk3ds(chunk->children, INSTANCE_NAME, &instance);
    if (instance)
        node->instance = StringCopy(instance);
    if (!node->name || (instance && !node->instance)) {
        std::free(node->name);
        std::free(node->instance);
        std::free(node);
        Fail(ERR_NO_MEM);
        return nullptr;
    }
    return node;
}

void Append(nodelist3ds* node)
{
    if (gTail)
        gTail->next = node;
    else
        nodeList = node;
    gTail = node;
    Index(node);
}

chunk3ds* KfData(database3ds* db)
{
    chunk3ds* kf = nullptr;
    if (db->topchunk)
        FindChunk3ds(db->topchunk, KFDATA, &kf);
    return kf;
}

void s_assignParentNames(database3ds* database)
{
    (void)database;
    // Each node is found through its own entry, so two nodes that share an
    // id in a file still get their own parents.
    for (nodelist3ds* node = nodeList; node; node = node->next) {
        if (node->parent == kNoNode)
            continue;
        const nodelist3ds* parent = findNodeById(node->parent);
        if (!parent)
            continue;
        std::string name = parent->name;
        if (parent->instance && *parent->instance)
            name = name + "." + parent->instance;
        chunk3ds* header = nullptr;
        FindNextChunk3ds(node->chunk->children, NODE_HDR, &header);
        if (!header)
            continue;
        chunk3ds* named = nullptr;
        FindNextChunk3ds(header->children, PARENT_NAME, &named);
        if (!named) {
            kfAddParentName(header, name.c_str());
        } else {
            StringData3ds* d = static_cast<StringData3ds*>(ReadChunkData3ds(named));
            char* copy = strdup3ds(name.c_str());
            if (!d || !copy) {
                std::free(copy);
                Fail(ERR_NO_MEM);
                return;
            }
            std::free(d->value);
            d->value = copy;
        }
        if (Stop())
            return;
    }
}

void s_computeNodeIds(database3ds* database)
{
    InitNodeList();
    chunk3ds* kf = KfData(database);
    if (!kf)
        return;
    // Ids are the nodes' places among KFDATA's nodes, written into NODE_ID
    // where there is one and kept in the list either way.
    std::uint16_t counter = 0;
    for (chunk3ds* c = kf->children; c; c = c->sibling) {
        if (c->tag == AMBIENT_NODE_TAG) {
            setNodeId(c, kNoNode);
        } else if (IsNode3ds(c->tag)) {
            setNodeId(c, counter);
            nodelist3ds* node = makeNode(c);
            if (!node)
                return;
            node->id = counter++;
            Append(node);
        }
        if (Stop())
            return;
    }
    for (nodelist3ds* node = nodeList; node; node = node->next) {
        chunk3ds* header = nullptr;
        FindNextChunk3ds(node->chunk->children, NODE_HDR, &header);
        if (!header)
            continue;
        NodeHdrData3ds* d = static_cast<NodeHdrData3ds*>(ReadChunkData3ds(header));
        if (Stop())
            return;
        if (!d)
            continue;
        chunk3ds* named = nullptr;
        FindNextChunk3ds(header->children, PARENT_NAME, &named);
        const StringData3ds* parentName = named ? static_cast<StringData3ds*>(ReadChunkData3ds(named)) : nullptr;
        const nodelist3ds* parent = parentName && parentName->value ? findObjNodeByName(parentName->value) : nullptr;
        d->parentindex = static_cast<std::int16_t>(parent ? parent->id : kNoNode);
    }
}

}  // namespace

void InitNodeList()
{
    ReleaseNodeList();
}

void ReleaseNodeList()
{
    while (nodeList) {
        nodelist3ds* next = nodeList->next;
        std::free(nodeList->name);
        std::free(nodeList->instance);
        std::free(nodeList);
        nodeList = next;
    }
    gTail = nullptr;
    gById.clear();
    gByName.clear();
    gByInstance.clear();
}

void addToNodeList(chunk3ds* node)
{
    if (!node) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (nodelist3ds* made = makeNode(node))
        Append(made);
}

void ParseDb(database3ds* database)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* kf = KfData(database);
    for (chunk3ds* c = kf ? kf->children : nullptr; c; c = c->sibling) {
        if (IsNode3ds(c->tag)) {
            addToNodeList(c);
            if (Stop())
                return;
        }
    }
    checkListNodeIds();
}

void checkListNodeIds()
{
    bool missing = false;
    for (nodelist3ds* node = nodeList; node && !missing; node = node->next)
        missing = node->id == kNoNode;
    if (!missing)
        return;
    std::uint16_t id = 0;
    gById.clear();
    for (nodelist3ds* node = nodeList; node; node = node->next) {
        node->id = id++;
        gById.emplace(node->id, node);
    }
}

nodelist3ds* findNodeById(std::uint16_t id)
{
    auto it = gById.find(id);
    return it == gById.end() ? nullptr : it->second;
}

nodelist3ds* findObjNodeByName(const char* name)
{
    if (!name)
        return nullptr;
    if (const char* dot = std::strchr(name, '.')) {
        auto it = gByInstance.find(InstanceKey(name, static_cast<std::size_t>(dot - name), dot + 1));
        return it == gByInstance.end() ? nullptr : it->second;
    }
    auto it = gByName.find(name);
    return it == gByName.end() ? nullptr : it->second;
}

void setNodeId(chunk3ds* node, std::uint16_t id)
{
    if (!node) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* found = nullptr;
    FindChunk3ds(node, NODE_ID, &found);
    if (!found)
        return;
    Int16Data3ds* d = static_cast<Int16Data3ds*>(ReadChunkData3ds(found));
    if (d)
        d->value = static_cast<std::int16_t>(id);
}

void AssignParentNames(database3ds* database)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    InitNodeList();
    ParseDb(database);
    if (!Stop())
        s_assignParentNames(database);
    ReleaseNodeList();
}

void ComputeNodeIds(database3ds* database)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    s_computeNodeIds(database);
    ReleaseNodeList();
}

void PrintNodeList(std::FILE* stream)
{
    if (!stream)
        return;
    for (const nodelist3ds* node = nodeList; node; node = node->next) {
        if (node->instance)
            std::fprintf(stream, "ID:%d\tName:%s.%s\tParent:%d\n", node->id, node->name, node->instance,
                         node->parent);
        else
            std::fprintf(stream, "ID:%d\tName:%s\tParent:%d\n", node->id, node->name, node->parent);
    }
}

void PrintHierarchy(std::FILE* stream)
{
    if (!stream)
        return;
    std::unordered_map<std::uint16_t, std::vector<const nodelist3ds*>> children;
    for (const nodelist3ds* node = nodeList; node; node = node->next)
        children[node->parent].push_back(node);
    // Each node is printed once, so ids shared or looping in a file end the
    // walk instead of repeating it.
    std::unordered_set<const nodelist3ds*> printed;
    struct Step {
        const nodelist3ds* node;
        int depth;
    };
    std::vector<Step> todo;
    for (const nodelist3ds* root : children[kNoNode]) {
        todo.push_back({root, 0});
        while (!todo.empty()) {
            const Step step = todo.back();
            todo.pop_back();
            if (!printed.insert(step.node).second)
                continue;
            std::fprintf(stream, "%s%s\n", std::string(static_cast<std::size_t>(step.depth), '-').c_str(),
                         step.node->name);
            if (step.node->id == kNoNode)
                continue;
            auto it = children.find(step.node->id);
            if (it == children.end())
                continue;
            for (auto child = it->second.rbegin(); child != it->second.rend(); ++child)
                todo.push_back({*child, step.depth + 1});
        }
    }
}

}  // namespace qelsdk_600
