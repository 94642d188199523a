// The chunk tree: a 3D Studio file held as a tree of chunks. Reading a file
// builds the tree from chunk headers alone; a body is decoded only when
// asked for (ReadChunkData3ds), from the file and position its chunk
// remembers, so that file must stay open until the tree is disconnected.
// A parent owns its children and each chunk owns its sibling chain.
// Children are changed only through these functions. Release, copy, write,
// search and disconnect walk sibling chains iteratively.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_CHUNK3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_CHUNK3DS_H

#include <cstdint>

#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

// One chunk. size is the whole chunk on disk, header included; position is
// the offset of its header in its read file (both 64-bit). readindex is
// the file-context slot its body can be read from, writeindex the slot it
// was last written to (255: none). `order` is the toolkit's own index of a
// long children list, for ordered insertion.
struct chunk3ds {
    std::uint32_t tag;
    std::uint64_t size;
    std::uint64_t position;
    void* data;
    chunk3ds* sibling;
    chunk3ds* children;
    std::uint8_t readindex;
    std::uint8_t writeindex;
    void* order;
};

// A list of (name, chunk) entries; names owned, chunks borrowed.
struct chunklistentry3ds {
    char* name;
    chunk3ds* chunk;
};
struct chunklist3ds {
    std::uint32_t count;
    chunklistentry3ds* list;
};

// A list of owned names: count in use, spaces allocated (grown by 5).
struct namelist3ds {
    std::uint32_t count;
    std::uint32_t spaces;
    char** list;
};

// Deepest nesting a file may have.
constexpr int MaxChunkDepth3ds = 64;

// A new empty chunk: tag, size and position 0, no data, both indexes 255.
void InitChunk3ds(chunk3ds** chunk);
void InitChunkAs3ds(chunk3ds** chunk, std::uint32_t tag);
// The same with a fresh zero-filled record for the tag, which it returns.
void* InitChunkAndData3ds(chunk3ds** chunk, std::uint32_t tag);
// Frees the chunk's record, children and sibling chain, then the chunk, and
// clears the pointer.
void ReleaseChunk3ds(chunk3ds** chunk);
void ReleaseSiblingChunk3ds(chunk3ds** chunk);
// Empties a chunk where it stands: children and record released, tag, size
// and position 0, indexes 255. A chunk of tag 0 is never written.
void DeleteChunk3ds(chunk3ds* chunk);
// Loads the record of the chunk and of every chunk below it and cuts them
// from their file (indexes 255).
void DisconnectChunk3ds(chunk3ds* chunk);

// Depth-first, parent before children: the first chunk of the tag in the
// chunk's subtree, the chunk included; none when there is none.
void FindChunk3ds(chunk3ds* chunk, std::uint32_t tag, chunk3ds** found);
// The first chunk of the tag in the sibling chain from chunk (included).
void FindNextChunk3ds(chunk3ds* chunk, std::uint32_t tag, chunk3ds** found);

// Appends a child at the end of the children (walks the list).
void AddChild3ds(chunk3ds* parent, chunk3ds* child);
// Inserts a child before the first child of a lower ordering value
// (GetChunkValue3ds), so after every child of equal or higher value.
// Amortised O(1) on long lists.
void AddChildOrdered3ds(chunk3ds* parent, chunk3ds* child);
// Empties and re-tags the first direct child of the tag (it keeps its
// place), or inserts a new one in order; hands it out.
void ReplaceOrAddChild3ds(chunk3ds* parent, std::uint32_t tag, chunk3ds** chunk);
// A new tree with the same tags, sizes, positions and indexes. A record that
// can be read again from the source's file moves to the copy; one that
// exists only in memory is duplicated.
void CopyChunk3ds(chunk3ds* source, chunk3ds** copy);

// A list record (when *list is none) and an array of count empty entries.
void InitChunkList3ds(chunklist3ds** list, std::uint32_t count);
// Frees every name (not the chunks), the array and the record.
void ReleaseChunkList3ds(chunklist3ds** list);
// A list record (when *list is none) of count used empty slots (5 when
// count is 0).
void InitNameList3ds(namelist3ds** list, std::uint32_t count);
// Stores a copy of the name at slot count, growing by 5 slots when full.
void AddToNameList3ds(namelist3ds* list, const char* name);
void ReleaseNameList3ds(namelist3ds** list);

// Reads the children of a chunk from its read file. A child whose size is
// below 6, whose end passes its parent's end or whose own data passes its
// own end, or nesting deeper than MaxChunkDepth3ds, is ERR_INVALID_CHUNK
// (the child is dropped); any error is recorded again as
// ERR_READING_DATABASE and, unless errors are ignored, ends the reading
// with the chunks read so far in the tree. The file is left at the chunk's
// end.
void ReadChildren3ds(chunk3ds* chunk);
// The same for an XDATA_ENTRY: a child outside XDATA_APPNAME to 0x800F ends
// the entry; a child passing the entry's end is dropped and reading goes on
// just after its header.
void ReadXDataEntryChildren3ds(chunk3ds* entry);
// Writes a chunk and its subtree to the file of a slot (tag 0 and
// PARENT_NAME subtrees are skipped), patching sizes that changed; records
// that can be read again from an open file are freed after being written.
void WriteChunk3ds(chunk3ds* chunk, std::uint8_t fileindex);

}  // namespace qelsdk_600

#endif
