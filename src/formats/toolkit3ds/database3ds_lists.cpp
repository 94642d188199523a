// The database's three lists: named objects, materials and keyframer nodes.
// Each has a lookup index (entries in list order, the first entry of each
// name, the positions of each kind) built from the tree in one pass and
// kept current by the toolkit's own puts; the public chunk lists are copied
// from it when asked for.
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/database3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/keyframer3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

namespace {

struct Entry {
    chunk3ds* chunk;
    std::string name;
};

// Named objects or materials: the list is the chain of chunks of one tag
// that starts at the first found under `base`; `parent` holds that chain
// (none when it lies deeper, so puts cannot extend it).
struct ListIndex {
    bool valid = false;
    chunk3ds* base = nullptr;
    chunk3ds* parent = nullptr;
    std::vector<Entry> entries;
    std::unordered_map<std::string, std::uint32_t> byName;
    // Positions of the objects holding a kind, made when first asked for.
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> byKind;

    void Add(chunk3ds* chunk, std::string name)
    {
        byName.emplace(name, static_cast<std::uint32_t>(entries.size()));
        entries.push_back({chunk, std::move(name)});
    }
};

// Keyframer nodes: per tag, in KFDATA order, by node-list name and, for
// object nodes (the only ones whose two names differ), by NODE_HDR name;
// keys are the tag's two bytes and the name.
struct NodeIndex {
    bool valid = false;
    chunk3ds* kfdata = nullptr;
    std::unordered_map<std::uint32_t, std::vector<Entry>> byTag;
    std::unordered_map<std::string, chunk3ds*> byName;
    std::unordered_map<std::string, chunk3ds*> byHeaderName;
};

struct Indexes {
    ListIndex objects;
    ListIndex materials;
    NodeIndex nodes;
};

Indexes* IndexesOf(database3ds* db, bool make)
{
    if (!db->index && make)
        db->index = new (std::nothrow) Indexes;
    return static_cast<Indexes*>(db->index);
}

std::string Key(std::uint32_t tag, const std::string& name)
{
    std::string key(2, '\0');
    key[0] = static_cast<char>(tag & 0xFF);
    key[1] = static_cast<char>((tag >> 8) & 0xFF);
    return key + name;
}

std::string StringOf(chunk3ds* chunk)
{
    const StringData3ds* d = chunk ? static_cast<StringData3ds*>(ReadChunkData3ds(chunk)) : nullptr;
    return d && d->value ? d->value : "";
}

bool IsNodeTag(std::uint32_t tag)
{
    return tag >= AMBIENT_NODE_TAG && tag <= SPOTLIGHT_NODE_TAG;
}

bool IsDirectChild(const chunk3ds* parent, const chunk3ds* child)
{
    for (const chunk3ds* c = parent->children; c; c = c->sibling)
        if (c == child)
            return true;
    return false;
}

// Rebuilds a list of `tag` chunks from the first one found under `base`,
// each named by `nameOf`.
template <class NameOf>
void RebuildList(ListIndex& index, chunk3ds* base, std::uint32_t tag, NameOf nameOf)
{
    index = ListIndex();
    index.valid = true;
    index.base = base;
    if (!base)
        return;
    chunk3ds* first = nullptr;
    FindChunk3ds(base, tag, &first);
    index.parent = !first || IsDirectChild(base, first) ? base : nullptr;
    for (chunk3ds* c = first; c; c = c->sibling)
        if (c->tag == tag)
            index.Add(c, nameOf(c));
}

chunk3ds* MeshData(database3ds* db)
{
    chunk3ds* mdata = nullptr;
    if (db->topchunk)
        FindChunk3ds(db->topchunk, MDATA, &mdata);
    return mdata;
}

std::string MaterialName(chunk3ds* entry)
{
    chunk3ds* name = nullptr;
    FindChunk3ds(entry, MAT_NAME, &name);
    return StringOf(name);
}

chunk3ds* MaterialBase(database3ds* db)
{
    chunk3ds* base = MeshData(db);
    if (!base && db->topchunk)
        FindChunk3ds(db->topchunk, MLIBMAGIC, &base);
    return base;
}

ListIndex* Objects(database3ds* db)
{
    Indexes* x = IndexesOf(db, true);
    if (!x) {
        Fail(ERR_NO_MEM);
        return nullptr;
    }
    if (!x->objects.valid)
        RebuildList(x->objects, MeshData(db), NAMED_OBJECT, StringOf);
    return &x->objects;
}

ListIndex* Materials(database3ds* db)
{
    Indexes* x = IndexesOf(db, true);
    if (!x) {
        Fail(ERR_NO_MEM);
        return nullptr;
    }
    if (!x->materials.valid)
        RebuildList(x->materials, MaterialBase(db), MAT_ENTRY, MaterialName);
    return &x->materials;
}

// A node's names: its NODE_HDR name and its node-list name.
void NodeNames(chunk3ds* node, std::string* header, std::string* listed)
{
    chunk3ds* hdr = nullptr;
    FindNextChunk3ds(node->children, NODE_HDR, &hdr);
    const NodeHdrData3ds* d = hdr ? static_cast<NodeHdrData3ds*>(ReadChunkData3ds(hdr)) : nullptr;
    *header = d && d->objname ? d->objname : "";
    *listed = *header;
    chunk3ds* instance = nullptr;
    if (node->tag == OBJECT_NODE_TAG)
        FindNextChunk3ds(node->children, INSTANCE_NAME, &instance);
    if (instance)
        *listed += "." + StringOf(instance);
}

void AddNode(NodeIndex& index, chunk3ds* node)
{
    std::string header, listed;
    NodeNames(node, &header, &listed);
    index.byName.emplace(Key(node->tag, listed), node);
    if (node->tag == OBJECT_NODE_TAG)
        index.byHeaderName.emplace(Key(node->tag, header), node);
    index.byTag[node->tag].push_back({node, std::move(listed)});
}

NodeIndex* Nodes(database3ds* db)
{
    Indexes* x = IndexesOf(db, true);
    if (!x) {
        Fail(ERR_NO_MEM);
        return nullptr;
    }
    NodeIndex& index = x->nodes;
    if (!index.valid) {
        index = NodeIndex();
        index.valid = true;
        if (db->topchunk)
            FindChunk3ds(db->topchunk, KFDATA, &index.kfdata);
        for (chunk3ds* c = index.kfdata ? index.kfdata->children : nullptr; c; c = c->sibling)
            if (IsNodeTag(c->tag))
                AddNode(index, c);
    }
    return &index;
}

// Whether an object holds the kind a by-index lookup counts.
bool HoldsKind(chunk3ds* object, std::uint32_t kind)
{
    chunk3ds* found = nullptr;
    if (kind == DL_SPOTLIGHT || kind == kOmniLightKind3ds) {
        FindChunk3ds(object, N_DIRECT_LIGHT, &found);
        if (!found)
            return false;
        chunk3ds* spot = nullptr;
        if (kind == DL_SPOTLIGHT)
            FindChunk3ds(found, DL_SPOTLIGHT, &spot);
        else
            FindNextChunk3ds(found->children, DL_SPOTLIGHT, &spot);
        return (spot != nullptr) == (kind == DL_SPOTLIGHT);
    }
    FindChunk3ds(object, kind, &found);
    return found != nullptr;
}

const std::vector<std::uint32_t>& OfKind(ListIndex& index, std::uint32_t kind)
{
    auto it = index.byKind.find(kind);
    if (it != index.byKind.end())
        return it->second;
    std::vector<std::uint32_t>& list = index.byKind[kind];
    for (std::uint32_t i = 0; i < index.entries.size(); ++i)
        if (HoldsKind(index.entries[i].chunk, kind))
            list.push_back(i);
    return list;
}

// Copies entries into a public chunk list.
void FillChunkList(chunklist3ds** list, const std::vector<const Entry*>& entries)
{
    ReleaseChunkList3ds(list);
    InitChunkList3ds(list, static_cast<std::uint32_t>(entries.size()));
    if (Stop() || !*list)
        return;
    for (std::size_t i = 0; i < entries.size() && (*list)->list; ++i) {
        (*list)->list[i].chunk = entries[i]->chunk;
        (*list)->list[i].name = strdup3ds(entries[i]->name.c_str());
    }
}

void FillFromList(chunklist3ds** list, const ListIndex& index)
{
    std::vector<const Entry*> entries;
    for (const Entry& e : index.entries)
        entries.push_back(&e);
    FillChunkList(list, entries);
}

// A name list of exactly these names.
void FillNameList(namelist3ds** names, const std::vector<const std::string*>& listed)
{
    InitNameList3ds(names, static_cast<std::uint32_t>(listed.size()));
    if (Stop() || !*names)
        return;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        (*names)->list[i] = strdup3ds(listed[i]->c_str());
        if (!(*names)->list[i] && Fail(ERR_NO_MEM))
            return;
    }
}

bool CheckTop(database3ds* db, bool library)
{
    if (!db->topchunk)
        return !Fail(ERR_INVALID_DATABASE);
    const dbtype3ds type = GetDatabaseType3ds(db);
    if (type == MeshFile3ds || type == ProjectFile3ds || (library && type == MaterialFile3ds))
        return true;
    return !Fail(ERR_WRONG_DATABASE);
}

bool CheckPair(database3ds* target, database3ds* source)
{
    if (!target || !source)
        return !Fail(ERR_INVALID_ARG);
    return CheckTop(target, false) && CheckTop(source, false);
}

void CopyObjectInto(database3ds* target, chunk3ds* object)
{
    chunk3ds* mdata = MeshData(target);
    if (!mdata) {
        mdata = kfPutGenericNode(MDATA, target->topchunk);
        if (Stop())
            return;
    }
    const std::string name = StringOf(object);
    DeleteNamedObjectByName3ds(target, name.c_str());
    chunk3ds* copy = nullptr;
    CopyChunk3ds(object, &copy);
    if (copy)
        AddChildOrdered3ds(mdata, copy);
    MakeNamedObjectListDirty3ds(target);
}

std::uint32_t TargetTagOf(std::uint32_t tag)
{
    return tag == CAMERA_NODE_TAG ? TARGET_NODE_TAG : tag == SPOTLIGHT_NODE_TAG ? L_TARGET_NODE_TAG : 0;
}

void DeleteNode(database3ds* db, chunk3ds* node, const std::string& header)
{
    if (!node)
        return;
    const std::uint32_t targetTag = TargetTagOf(node->tag);
    chunk3ds* target = targetTag ? FindNodeTagByNameAndType3ds(db, header.c_str(), targetTag) : nullptr;
    DeleteChunk3ds(node);
    DeleteChunk3ds(target);
    MakeNodeTagListDirty3ds(db);
}

void CopyNodeInto(database3ds* target, database3ds* source, chunk3ds* node)
{
    chunk3ds* kf = nullptr;
    kfGetKfSeg(target->topchunk, &kf);
    if (Stop() || !kf)
        return;
    std::string header, listed;
    NodeNames(node, &header, &listed);
    const std::uint32_t tag = node->tag;
    DeleteNodeTagByNameAndType3ds(target, listed.c_str(), tag);
    if (Stop())
        return;
    chunk3ds* copy = nullptr;
    CopyChunk3ds(node, &copy);
    if (copy)
        AddChildOrdered3ds(kf, copy);
    MakeNodeTagListDirty3ds(target);
    if (!Stop() && TargetTagOf(tag))
        CopyNodeTagByNameAndType3ds(target, source, header.c_str(), TargetTagOf(tag));
}

}  // namespace

namespace toolkit3ds_detail {

void InvalidateIndexes(database3ds* db)
{
    delete static_cast<Indexes*>(db->index);
    db->index = nullptr;
}

void NoteNamedObjectPut(database3ds* db, chunk3ds* parent, chunk3ds* object, bool reused)
{
    db->objlistdirty = True3ds;
    Indexes* x = IndexesOf(db, false);
    if (!x || !x->objects.valid)
        return;
    ListIndex& index = x->objects;
    if (reused) {
        // Same name, same place; what it holds may have changed.
        index.byKind.clear();
        return;
    }
    if (!parent || index.parent != parent || !IsLastOfTag(parent, object)) {
        index.valid = false;
        return;
    }
    const std::uint32_t at = static_cast<std::uint32_t>(index.entries.size());
    index.Add(object, StringOf(object));
    for (auto& kind : index.byKind)
        if (HoldsKind(object, kind.first))
            kind.second.push_back(at);
}

void NoteMaterialPut(database3ds* db, chunk3ds* parent, chunk3ds* entry, bool reused)
{
    db->matlistdirty = True3ds;
    Indexes* x = IndexesOf(db, false);
    if (!x || !x->materials.valid || reused)
        return;
    ListIndex& index = x->materials;
    if (!parent || index.parent != parent || !IsLastOfTag(parent, entry)) {
        index.valid = false;
        return;
    }
    index.Add(entry, MaterialName(entry));
}

void NoteNodePut(database3ds* db, chunk3ds* kfdata, chunk3ds* node)
{
    db->nodelistdirty = True3ds;
    Indexes* x = IndexesOf(db, false);
    if (!x || !x->nodes.valid)
        return;
    if (x->nodes.kfdata != kfdata || !IsLastOfTag(kfdata, node)) {
        x->nodes.valid = false;
        return;
    }
    AddNode(x->nodes, node);
}

std::uint32_t NamedObjectCount(database3ds* db, std::uint32_t kind)
{
    ListIndex* index = Objects(db);
    return index ? static_cast<std::uint32_t>(OfKind(*index, kind).size()) : 0;
}

chunk3ds* NamedObjectByIndex(database3ds* db, std::uint32_t kind, std::uint32_t position)
{
    ListIndex* index = Objects(db);
    if (!index)
        return nullptr;
    const std::vector<std::uint32_t>& list = OfKind(*index, kind);
    return position < list.size() ? index->entries[list[position]].chunk : nullptr;
}

void NamedObjectNames(database3ds* db, std::uint32_t kind, namelist3ds** names)
{
    ListIndex* index = Objects(db);
    if (!index)
        return;
    const std::vector<std::uint32_t>& list = OfKind(*index, kind);
    std::vector<const std::string*> listed;
    for (std::uint32_t i : list)
        listed.push_back(&index->entries[i].name);
    FillNameList(names, listed);
}

std::uint32_t MaterialCount(database3ds* db)
{
    ListIndex* index = Materials(db);
    return index ? static_cast<std::uint32_t>(index->entries.size()) : 0;
}

void MaterialNames(database3ds* db, namelist3ds** names)
{
    ListIndex* index = Materials(db);
    if (!index)
        return;
    std::vector<const std::string*> listed;
    for (const Entry& e : index->entries)
        listed.push_back(&e.name);
    FillNameList(names, listed);
}

}  // namespace toolkit3ds_detail

void UpdateNamedObjectList3ds(database3ds* database)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!database->objlistdirty && database->objlist)
        return;
    database->objlistdirty = False3ds;
    if (ListIndex* index = Objects(database))
        FillFromList(&database->objlist, *index);
}

void FindNamedObject3ds(database3ds* database, const char* name, chunk3ds** chunk)
{
    if (!database || !name || !chunk) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    *chunk = nullptr;
    ListIndex* index = Objects(database);
    if (!index)
        return;
    auto it = index->byName.find(name);
    if (it != index->byName.end())
        *chunk = index->entries[it->second].chunk;
}

chunk3ds* FindNamedObjectByIndex3ds(database3ds* database, std::uint32_t typetag, std::uint32_t index)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return nullptr;
    }
    return NamedObjectByIndex(database, typetag, index);
}

void DeleteChunkTypeByIndex3ds(database3ds* database, std::uint32_t typetag, std::uint32_t index)
{
    chunk3ds* object = FindNamedObjectByIndex3ds(database, typetag, index);
    if (Stop() || !object)
        return;
    DeleteChunk3ds(object);
    MakeNamedObjectListDirty3ds(database);
}

void DeleteNamedObjectByName3ds(database3ds* database, const char* name)
{
    chunk3ds* object = nullptr;
    FindNamedObject3ds(database, name, &object);
    if (Stop() || !object)
        return;
    DeleteChunk3ds(object);
    MakeNamedObjectListDirty3ds(database);
}

void CopyNamedObjectByIndex3ds(database3ds* target, database3ds* source, std::uint32_t typetag,
                               std::uint32_t index)
{
    if (!CheckPair(target, source))
        return;
    chunk3ds* object = FindNamedObjectByIndex3ds(source, typetag, index);
    if (!Stop() && object)
        CopyObjectInto(target, object);
}

void CopyNamedObjectByName3ds(database3ds* target, database3ds* source, const char* name)
{
    if (!CheckPair(target, source))
        return;
    chunk3ds* object = nullptr;
    FindNamedObject3ds(source, name, &object);
    if (!Stop() && object)
        CopyObjectInto(target, object);
}

void MakeNamedObjectListDirty3ds(database3ds* database)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    database->objlistdirty = True3ds;
    if (Indexes* x = IndexesOf(database, false))
        x->objects.valid = false;
}

void UpdateMatEntryList3ds(database3ds* database)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!database->matlistdirty && database->matlist)
        return;
    database->matlistdirty = False3ds;
    if (ListIndex* index = Materials(database))
        FillFromList(&database->matlist, *index);
}

void FindMatEntry3ds(database3ds* database, const char* name, chunk3ds** chunk)
{
    if (!database || !name || !chunk) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    *chunk = nullptr;
    if (!CheckTop(database, true))
        return;
    ListIndex* index = Materials(database);
    if (!index)
        return;
    auto it = index->byName.find(name);
    if (it != index->byName.end())
        *chunk = index->entries[it->second].chunk;
}

chunk3ds* FindMatEntryByIndex3ds(database3ds* database, std::uint32_t index)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return nullptr;
    }
    if (!CheckTop(database, true))
        return nullptr;
    ListIndex* list = Materials(database);
    return list && index < list->entries.size() ? list->entries[index].chunk : nullptr;
}

void MakeMatEntryListDirty3ds(database3ds* database)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    database->matlistdirty = True3ds;
    if (Indexes* x = IndexesOf(database, false))
        x->materials.valid = false;
}

void UpdateNodeTagList3ds(database3ds* database)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!database->nodelistdirty && database->nodelist)
        return;
    database->nodelistdirty = False3ds;
    NodeIndex* index = Nodes(database);
    if (!index)
        return;
    // The index keeps each tag apart; the list is in KFDATA order.
    std::unordered_map<std::uint32_t, std::size_t> next;
    std::vector<const Entry*> entries;
    for (chunk3ds* c = index->kfdata ? index->kfdata->children : nullptr; c; c = c->sibling) {
        if (!IsNodeTag(c->tag))
            continue;
        const std::vector<Entry>& ofTag = index->byTag[c->tag];
        std::size_t& at = next[c->tag];
        if (at < ofTag.size())
            entries.push_back(&ofTag[at++]);
    }
    FillChunkList(&database->nodelist, entries);
}

chunk3ds* FindNodeTagByNameAndType3ds(database3ds* database, const char* name, std::uint32_t typetag)
{
    if (!database || !name) {
        Fail(ERR_INVALID_ARG);
        return nullptr;
    }
    NodeIndex* index = Nodes(database);
    if (!index)
        return nullptr;
    auto it = index->byName.find(Key(typetag, name));
    return it == index->byName.end() ? nullptr : it->second;
}

chunk3ds* FindNodeTagByIndexAndType3ds(database3ds* database, std::uint32_t index, std::uint32_t typetag)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return nullptr;
    }
    NodeIndex* nodes = Nodes(database);
    if (!nodes)
        return nullptr;
    auto it = nodes->byTag.find(typetag);
    return it != nodes->byTag.end() && index < it->second.size() ? it->second[index].chunk : nullptr;
}

void DeleteNodeTagByIndexAndType3ds(database3ds* database, std::uint32_t index, std::uint32_t typetag)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckTop(database, false))
        return;
    chunk3ds* node = FindNodeTagByIndexAndType3ds(database, index, typetag);
    if (Stop() || !node)
        return;
    std::string header, listed;
    NodeNames(node, &header, &listed);
    DeleteNode(database, node, header);
}

void DeleteNodeTagByNameAndType3ds(database3ds* database, const char* name, std::uint32_t typetag)
{
    if (!database || !name) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckTop(database, false))
        return;
    chunk3ds* node = FindNodeTagByNameAndType3ds(database, name, typetag);
    if (!Stop())
        DeleteNode(database, node, name);
}

void CopyNodeTagByIndexAndType3ds(database3ds* target, database3ds* source, std::uint32_t index,
                                  std::uint32_t typetag)
{
    if (!CheckPair(target, source))
        return;
    chunk3ds* node = FindNodeTagByIndexAndType3ds(source, index, typetag);
    if (!Stop() && node)
        CopyNodeInto(target, source, node);
}

void CopyNodeTagByNameAndType3ds(database3ds* target, database3ds* source, const char* name,
                                 std::uint32_t typetag)
{
    if (!CheckPair(target, source) || !name) {
        if (!name)
            Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* node = FindNodeTagByNameAndType3ds(source, name, typetag);
    if (!Stop() && node)
        CopyNodeInto(target, source, node);
}

void MakeNodeTagListDirty3ds(database3ds* database)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    database->nodelistdirty = True3ds;
    if (Indexes* x = IndexesOf(database, false))
        x->nodes.valid = false;
}

void kfFindNamedAndTaggedChunk(database3ds* database, const char* name, std::uint32_t tag, chunk3ds** node)
{
    if (!database || !name || !node) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    *node = nullptr;
    NodeIndex* index = Nodes(database);
    if (!index)
        return;
    const auto& byName = tag == OBJECT_NODE_TAG ? index->byHeaderName : index->byName;
    auto it = byName.find(Key(tag, name));
    if (it != byName.end())
        *node = it->second;
}

std::uint32_t kfGetGenericNodeCount(database3ds* database, std::uint32_t tag)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return 0;
    }
    NodeIndex* index = Nodes(database);
    if (!index)
        return 0;
    auto it = index->byTag.find(tag);
    return it == index->byTag.end() ? 0 : static_cast<std::uint32_t>(it->second.size());
}

void kfGetGenericNodeNameList(database3ds* database, std::uint32_t tag, namelist3ds** names)
{
    if (!database || !names) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    NodeIndex* index = Nodes(database);
    if (!index)
        return;
    std::vector<const std::string*> listed;
    for (const Entry& e : index->byTag[tag])
        listed.push_back(&e.name);
    FillNameList(names, listed);
}

}  // namespace qelsdk_600
