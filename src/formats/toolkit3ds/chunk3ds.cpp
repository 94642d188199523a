#include "formats/toolkit3ds/chunk3ds.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/files3ds.h"
#include "formats/toolkit3ds/primitives3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

namespace {

// ---- Ordered insertion on long lists.
//
// A new child goes before the first child of a lower value. Grouping the
// children by the lowest value seen so far from the front (their prefix
// minimum) makes that place "after the last child of the smallest group at
// least as high", whatever the list's order; the index keeps the last child
// of each group. Emptied chunks (tag 0) are never "lower", so they are left
// out of the groups. Emptying a child of an unsorted list can merge groups,
// so such an index is rebuilt after any chunk was emptied; in a sorted list
// the groups are the values and stay right.

constexpr int kValues = 36;
constexpr int kIndexFrom = 8;  // shorter lists are walked

struct ChildOrder {
    chunk3ds* last[kValues];
    std::uint64_t epoch;
    bool sorted;
};

std::uint64_t gEmptiedEpoch = 0;

void DropOrder(chunk3ds* parent)
{
    std::free(parent->order);
    parent->order = nullptr;
}

ChildOrder* BuildOrder(chunk3ds* parent)
{
    ChildOrder* order = static_cast<ChildOrder*>(std::calloc(1, sizeof(ChildOrder)));
    if (!order)
        return nullptr;
    order->sorted = true;
    order->epoch = gEmptiedEpoch;
    int floor = kValues;
    int previous = kValues;
    for (chunk3ds* c = parent->children; c; c = c->sibling) {
        if (c->tag == NULL_CHUNK)
            continue;
        const int v = GetChunkValue3ds(c->tag);
        if (v > previous)
            order->sorted = false;
        previous = v;
        if (v < floor)
            floor = v;
        order->last[floor] = c;
    }
    parent->order = order;
    return order;
}

// Inserts through the index; false when the index cannot answer.
bool InsertIndexed(chunk3ds* parent, chunk3ds* child, int value)
{
    ChildOrder* order = static_cast<ChildOrder*>(parent->order);
    if (!order->sorted && order->epoch != gEmptiedEpoch)
        return false;
    chunk3ds* after = nullptr;
    for (int w = value; w < kValues && !after; ++w) {
        after = order->last[w];
        // A chunk re-tagged to another value outside this file leaves the
        // index behind: it is rebuilt.
        if (after && after->tag != NULL_CHUNK && GetChunkValue3ds(after->tag) != w)
            return false;
    }
    if (after) {
        child->sibling = after->sibling;
        after->sibling = child;
    } else {
        child->sibling = parent->children;
        parent->children = child;
    }
    order->last[value] = child;
    return true;
}

// ---- Iterative walks.

// A stack that lives in place while it is shallow, as nearly every walk
// is, so walks cost no allocation.
template <class T, int kInPlace = 16>
class WalkStack {
public:
    bool empty() const { return mSize == 0; }
    T& back() { return mSize <= kInPlace ? mPlace[mSize - 1] : mMore[mSize - kInPlace - 1]; }
    void push_back(const T& value)
    {
        if (mSize < kInPlace)
            mPlace[mSize] = value;
        else
            mMore.push_back(value);
        ++mSize;
    }
    void pop_back()
    {
        if (mSize > kInPlace)
            mMore.pop_back();
        --mSize;
    }

private:
    T mPlace[kInPlace];
    std::vector<T> mMore;
    int mSize = 0;
};

// Pre-order over a chunk's subtree (the chunk, then its children's
// subtrees); `enter` returns false to stop. The chunk's own siblings are not
// visited.
template <class Enter>
void WalkSubtree(chunk3ds* root, Enter enter)
{
    if (!root || !enter(root))
        return;
    WalkStack<chunk3ds*> next;
    next.push_back(root->children);
    while (!next.empty()) {
        chunk3ds* c = next.back();
        if (!c) {
            next.pop_back();
            continue;
        }
        next.back() = c->sibling;
        if (!enter(c))
            return;
        if (c->children)
            next.push_back(c->children);
    }
}

}  // namespace

namespace toolkit3ds_detail {

bool IsLastOfTag(chunk3ds* parent, chunk3ds* child)
{
    const ChildOrder* order = static_cast<const ChildOrder*>(parent->order);
    // In a sorted list every later child has a lower value, so another tag.
    if (order && order->sorted)
        return true;
    for (chunk3ds* c = child->sibling; c; c = c->sibling)
        if (c->tag == child->tag)
            return false;
    return true;
}

}  // namespace toolkit3ds_detail

void InitChunk3ds(chunk3ds** chunk)
{
    if (!chunk) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* c = static_cast<chunk3ds*>(std::calloc(1, sizeof(chunk3ds)));
    if (!c) {
        Fail(ERR_NO_MEM);
        return;
    }
    c->readindex = c->writeindex = InvalidFileContext3ds;
    *chunk = c;
}

void InitChunkAs3ds(chunk3ds** chunk, std::uint32_t tag)
{
    InitChunk3ds(chunk);
    if (Stop())
        return;
    if (chunk && *chunk)
        (*chunk)->tag = tag;
}

void* InitChunkAndData3ds(chunk3ds** chunk, std::uint32_t tag)
{
    InitChunkAs3ds(chunk, tag);
    if (Stop() || !chunk || !*chunk)
        return nullptr;
    return InitChunkData3ds(*chunk);
}

void ReleaseChunk3ds(chunk3ds** chunk)
{
    if (!chunk)
        return;
    // Children are rotated into the sibling chain, so the whole tree is
    // freed in one pass without a stack.
    chunk3ds* c = *chunk;
    while (c) {
        if (c->children) {
            chunk3ds* child = c->children;
            c->children = child->sibling;
            child->sibling = c;
            c = child;
        } else {
            chunk3ds* next = c->sibling;
            FreeChunkData3ds(c);
            std::free(c->order);
            std::free(c);
            c = next;
        }
    }
    *chunk = nullptr;
}

void ReleaseSiblingChunk3ds(chunk3ds** chunk)
{
    ReleaseChunk3ds(chunk);
}

void DeleteChunk3ds(chunk3ds* chunk)
{
    if (!chunk)
        return;
    ReleaseChunk3ds(&chunk->children);
    FreeChunkData3ds(chunk);
    DropOrder(chunk);
    chunk->tag = NULL_CHUNK;
    chunk->size = chunk->position = 0;
    chunk->readindex = chunk->writeindex = InvalidFileContext3ds;
    ++gEmptiedEpoch;
}

void DisconnectChunk3ds(chunk3ds* chunk)
{
    if (!chunk) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    WalkSubtree(chunk, [](chunk3ds* c) {
        ReadChunkData3ds(c);
        if (Stop())
            return false;
        c->readindex = c->writeindex = InvalidFileContext3ds;
        return true;
    });
}

void FindChunk3ds(chunk3ds* chunk, std::uint32_t tag, chunk3ds** found)
{
    if (!found) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    *found = nullptr;
    WalkSubtree(chunk, [&](chunk3ds* c) {
        if (c->tag != tag)
            return true;
        *found = c;
        return false;
    });
}

void FindNextChunk3ds(chunk3ds* chunk, std::uint32_t tag, chunk3ds** found)
{
    if (!found) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    *found = nullptr;
    for (chunk3ds* c = chunk; c; c = c->sibling) {
        if (c->tag == tag) {
            *found = c;
            return;
        }
    }
}

void AddChild3ds(chunk3ds* parent, chunk3ds* child)
{
    if (!parent || !child) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    DropOrder(parent);
    chunk3ds** at = &parent->children;
    while (*at)
        at = &(*at)->sibling;
    *at = child;
}

void AddChildOrdered3ds(chunk3ds* parent, chunk3ds* child)
{
    if (!parent || !child) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    const int value = GetChunkValue3ds(child->tag);
    if (!parent->children) {
        parent->children = child;
        return;
    }
    if (parent->order) {
        if (InsertIndexed(parent, child, value))
            return;
        DropOrder(parent);
    }
    int walked = 0;
    chunk3ds** at = &parent->children;
    while (*at && GetChunkValue3ds((*at)->tag) >= value) {
        at = &(*at)->sibling;
        ++walked;
    }
    child->sibling = *at;
    *at = child;
    if (walked >= kIndexFrom)
        BuildOrder(parent);
}

void ReplaceOrAddChild3ds(chunk3ds* parent, std::uint32_t tag, chunk3ds** chunk)
{
    if (!parent || !chunk) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* found = nullptr;
    FindNextChunk3ds(parent->children, tag, &found);
    if (found) {
        DeleteChunk3ds(found);
        found->tag = tag;
    } else {
        InitChunkAs3ds(&found, tag);
        if (Stop())
            return;
        AddChildOrdered3ds(parent, found);
    }
    *chunk = found;
}

void CopyChunk3ds(chunk3ds* source, chunk3ds** copy)
{
    if (!source || !copy) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    auto copyOne = [](chunk3ds* from) -> chunk3ds* {
        chunk3ds* to = nullptr;
        InitChunk3ds(&to);
        if (!to)
            return nullptr;
        to->tag = from->tag;
        to->size = from->size;
        to->position = from->position;
        to->readindex = from->readindex;
        to->writeindex = from->writeindex;
        if (from->data) {
            if (from->readindex == InvalidFileContext3ds) {
                CopyChunkData3ds(from, to);
            } else {
                // The source can read its body again from its file.
                to->data = from->data;
                from->data = nullptr;
            }
        }
        return to;
    };
    chunk3ds* top = copyOne(source);
    *copy = top;
    if (!top || Stop())
        return;
    // Each level: the source chunk whose children are being copied, the
    // next of them, and the last copy made under its copy.
    struct Level {
        chunk3ds* next;
        chunk3ds* target;
        chunk3ds* tail;
    };
    WalkStack<Level> levels;
    levels.push_back({source->children, top, nullptr});
    while (!levels.empty()) {
        Level& level = levels.back();
        chunk3ds* from = level.next;
        if (!from) {
            levels.pop_back();
            continue;
        }
        level.next = from->sibling;
        chunk3ds* to = copyOne(from);
        if (!to)
            return;
        if (level.tail)
            level.tail->sibling = to;
        else
            level.target->children = to;
        level.tail = to;
        if (Stop())
            return;
        if (from->children)
            levels.push_back({from->children, to, nullptr});
    }
}

namespace {

void EmptyChunkList(chunklist3ds* list)
{
    for (std::uint32_t i = 0; list->list && i < list->count; ++i)
        std::free(list->list[i].name);
    std::free(list->list);
    list->list = nullptr;
    list->count = 0;
}

void EmptyNameList(namelist3ds* list)
{
    for (std::uint32_t i = 0; list->list && i < list->spaces; ++i)
        std::free(list->list[i]);
    std::free(list->list);
    list->list = nullptr;
    list->count = list->spaces = 0;
}

}  // namespace

void InitChunkList3ds(chunklist3ds** list, std::uint32_t count)
{
    if (!EnsureRecord(list))
        return;
    EmptyChunkList(*list);
    if (count == 0)
        return;
    (*list)->list = static_cast<chunklistentry3ds*>(AllocArray(count, sizeof(chunklistentry3ds)));
    if (!(*list)->list) {
        Fail(ERR_NO_MEM);
        return;
    }
    (*list)->count = count;
}

void ReleaseChunkList3ds(chunklist3ds** list)
{
    if (!list || !*list)
        return;
    EmptyChunkList(*list);
    std::free(*list);
    *list = nullptr;
}

void InitNameList3ds(namelist3ds** list, std::uint32_t count)
{
    if (!EnsureRecord(list))
        return;
    EmptyNameList(*list);
    const std::uint32_t spaces = count ? count : 5;
    (*list)->list = static_cast<char**>(AllocArray(spaces, sizeof(char*)));
    if (!(*list)->list) {
        Fail(ERR_NO_MEM);
        return;
    }
    (*list)->spaces = spaces;
    (*list)->count = count;
}

void AddToNameList3ds(namelist3ds* list, const char* name)
{
    if (!list || !name) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (list->count >= list->spaces) {
        const std::uint32_t spaces = list->spaces + 5;
        char** grown = static_cast<char**>(AllocArray(spaces, sizeof(char*)));
        if (!grown) {
            Fail(ERR_NO_MEM);
            return;
        }
        if (list->list)
            std::memcpy(grown, list->list, list->spaces * sizeof(char*));
        std::free(list->list);
        list->list = grown;
        list->spaces = spaces;
    }
    list->list[list->count] = strdup3ds(name);
    if (!list->list[list->count]) {
        Fail(ERR_NO_MEM);
        return;
    }
    ++list->count;
}

void ReleaseNameList3ds(namelist3ds** list)
{
    if (!list || !*list)
        return;
    EmptyNameList(*list);
    std::free(*list);
    *list = nullptr;
}

namespace {

// Reads the children of `parent` up to its end; false when the reading must
// stop. XDATA_ENTRY children follow the entry's own rule.
bool ReadLevel(chunk3ds* parent, int depth, bool xdata)
{
    const std::uint64_t end = parent->position + parent->size;
    DropOrder(parent);
    chunk3ds* tail = nullptr;
    for (chunk3ds* c = parent->children; c; c = c->sibling)
        tail = c;
    while (GetFilePosition3ds() < end) {
        const std::uint64_t at = GetFilePosition3ds();
        if (end - at < HeaderSize3ds || depth > MaxChunkDepth3ds)
            return !Fail(ERR_INVALID_CHUNK);
        std::uint16_t tag = 0;
        std::uint32_t size = 0;
        ReadHeader3ds(&tag, &size);
        if (Stop())
            return false;
        if (size < HeaderSize3ds)
            return !Fail(ERR_INVALID_CHUNK);
        if (xdata && (tag < XDATA_APPNAME || tag > 0x800F)) {
            if (FileSeek3ds(end) != 0)
                return !Fail(ERR_READING_FILE);
            return true;
        }
        if (size > end - at) {
            if (xdata)
                continue;  // dropped; reading goes on just after its header
            return !Fail(ERR_INVALID_CHUNK);
        }
        chunk3ds* child = nullptr;
        InitChunkAs3ds(&child, tag);
        if (!child)
            return false;
        child->size = size;
        child->position = at;
        child->readindex = GetContextIndex3ds();
        SeekChild3ds(child);
        if (Stop()) {
            // Own data that does not fit makes the chunk invalid: it is not
            // kept, so nothing is ever decoded or allocated from it.
            ReleaseChunk3ds(&child);
            return false;
        }
        if (tail)
            tail->sibling = child;
        else
            parent->children = child;
        tail = child;
        if (!ReadLevel(child, depth + 1, xdata || tag == XDATA_ENTRY))
            return false;
        if (FileSeek3ds(at + size) != 0)
            return !Fail(ERR_READING_FILE);
    }
    return true;
}

void ReadChildrenFrom(chunk3ds* chunk, bool xdata)
{
    if (!chunk) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    const std::uint64_t errors = ErrorCount();
    SetContextByIndex3ds(chunk->readindex);
    if (!GetContext3ds() || GetContextIndex3ds() != chunk->readindex)
        PushErrList3ds(ERR_READING_FILE);
    else if (FileSeek3ds(chunk->position + HeaderSize3ds) != 0)
        PushErrList3ds(ERR_READING_FILE);
    else {
        SeekChild3ds(chunk);
        if (!Stop())
            ReadLevel(chunk, 1, xdata);
    }
    if (ErrorCount() != errors && Fail(ERR_READING_DATABASE))
        return;
    if (FileSeek3ds(chunk->position + chunk->size) != 0)
        Fail(ERR_READING_FILE);
}

}  // namespace

void ReadChildren3ds(chunk3ds* chunk)
{
    ReadChildrenFrom(chunk, false);
}

void ReadXDataEntryChildren3ds(chunk3ds* entry)
{
    ReadChildrenFrom(entry, true);
}

void WriteChunk3ds(chunk3ds* chunk, std::uint8_t fileindex)
{
    if (!chunk) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    const filecontext3ds* out = GetContextByIndex3ds(fileindex);
    if (!out || out->state != WriteFromFile3ds) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    struct Open {
        chunk3ds* chunk;
        std::uint64_t start;
        chunk3ds* next;
    };
    WalkStack<Open> open;
    // Writes a chunk's header and body; false when it is skipped or fails.
    auto begin = [&](chunk3ds* c) {
        if (c->tag == NULL_CHUNK || c->tag == PARENT_NAME)
            return false;
        SetContextByIndex3ds(fileindex);
        c->writeindex = fileindex;
        const std::uint64_t start = GetFilePosition3ds();
        ReadChunkData3ds(c);
        if (Stop())
            return false;
        SetContextByIndex3ds(fileindex);
        if (FileSeek3ds(start) != 0 && Fail(ERR_WRITING_FILE))
            return false;
        WriteHeader3ds(static_cast<std::uint16_t>(c->tag), c->size);
        if (Stop())
            return false;
        WriteChunkData3ds(c);
        if (Stop())
            return false;
        open.push_back({c, start, c->children});
        return true;
    };
    auto finish = [&](const Open& o) {
        SetContextByIndex3ds(fileindex);
        const std::uint64_t end = GetFilePosition3ds();
        if (end - o.start != o.chunk->size) {
            FinishHeader3ds(o.start, end);
            if (Stop())
                return false;
            o.chunk->size = end - o.start;
        }
        FreeFileChunkData3ds(o.chunk);
        return true;
    };
    if (!begin(chunk))
        return;
    while (!open.empty()) {
        chunk3ds* c = open.back().next;
        if (!c) {
            const Open done = open.back();
            open.pop_back();
            if (!finish(done))
                return;
            continue;
        }
        open.back().next = c->sibling;
        begin(c);
        if (Stop())
            return;
    }
}

}  // namespace qelsdk_600
