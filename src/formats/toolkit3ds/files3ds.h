// The toolkit's open files: one file context per open file, kept in a table
// of 252 slots, one of them current. Every primitive (primitives3ds.h) reads
// and writes the current context's file. Handles given to the functions
// below are checked against the table: a handle no slot holds (closed, or
// freed by CloseAllFiles3ds) is refused with ERR_INVALID_ARG and never
// dereferenced.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_FILES3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_FILES3DS_H

#include <cstdint>
#include <cstdio>

#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

// Context states.
enum : std::uint32_t { ReadFromFile3ds = 1, WriteFromFile3ds = 2 };

constexpr std::uint8_t InvalidFileContext3ds = 255;
constexpr int MaxFileContexts3ds = 252;

// One open file. The fields after `istempfile` are the toolkit's own
// bookkeeping: the logical position, the end a read may not pass (the end
// of the chunk being decoded) and, for a file open for writing, a write
// cache in which chunk headers are patched without seeking the stream.
struct filecontext3ds {
    std::FILE* file;
    char* filename;
    std::uint32_t state;
    std::uint8_t index;
    char* buffer;
    std::uint32_t buffersize;
    byte3ds istempfile;

    std::uint64_t position;
    std::uint64_t readlimit;
    std::uint8_t* cache;
    std::uint64_t cachebase;
    std::uint32_t cachelength;
    std::uint32_t cachecursor;
};

// The handle OpenFile3ds hands out.
typedef filecontext3ds file3ds;

// The table (none until first used), the number of slots in use (one past
// the highest slot given out), the current slot and context, and the buffer
// size given to newly opened files (none when not positive).
extern filecontext3ds** FileContextList3ds;
extern std::uint8_t NextFileContext;
extern std::uint8_t CurrentFileContext;
extern filecontext3ds* FileContext3ds;
extern std::int32_t NewFileBufferSize3ds;

// Allocates an empty table; both counters 0. ERR_NO_MEM when memory runs out.
void InitContextList3ds();
// Frees the table (not the contexts) and zeroes both counters.
void ReleaseContextList3ds();
// Enters a context in the first empty slot below NextFileContext, else in
// slot NextFileContext; the 253rd gives ERR_TOO_MANY_FILES.
void AddContext3ds(filecontext3ds* context);
// Empties the context's slot when it holds this context; index becomes 255.
void DelContext3ds(filecontext3ds* context);
// Makes the context of a slot below NextFileContext current.
void SetContextByIndex3ds(std::uint8_t slot);
// The context of a slot below NextFileContext, or none.
filecontext3ds* GetContextByIndex3ds(std::uint8_t slot);
// False for 255, else whether the slot holds a context.
byte3ds IsValidFileIndex3ds(std::uint8_t slot);
// The first context in slot order whose name equals the name (case-sensitive).
filecontext3ds* GetContextByName3ds(const char* name);
// Whether a slot of the table holds this handle; never dereferences it.
bool IsOpenContext3ds(const filecontext3ds* context);
// Sets (a handle in the table, or none) or returns the current context.
void SetContext3ds(filecontext3ds* context);
filecontext3ds* GetContext3ds();
// The current context's slot, 255 without one.
std::uint8_t GetContextIndex3ds();
// Replaces or returns the current context's name (at most 513 characters).
void SetFileName3ds(const char* name);
const char* GetFileName3ds();
// Replaces or returns the current context's stream; a missing stream gives
// ERR_INVALID_ARG.
void SetFile3ds(std::FILE* stream);
std::FILE* GetFile3ds();

// A new context with every field empty, state 0 and index 255.
void InitFile3ds(filecontext3ds** context);
// Opens a file: a mode holding 'r' before 'w' reads ("rb"), 'w' before 'r'
// writes ("wb"). A name already open in the same state returns that
// context; a name open for reading and opened for writing moves the read
// file aside to a temporary name in the same directory (still readable,
// removed when closed); a name open for writing is closed first. Returns
// the handle, or none with ERR_INVALID_ARG (no name or mode),
// ERR_STRING_TOO_LONG and ERR_INIT_FAILED (mode), ERR_OPENING_FILE or
// ERR_TOO_MANY_FILES recorded.
file3ds* OpenFile3ds(const char* name, const char* mode);
// The current file's position.
std::uint64_t GetFilePosition3ds();
// Seeks the current file to an absolute position: 0 on success.
int FileSeek3ds(std::uint64_t position);
// Closes and frees a context (none: nothing); a temporary file is removed.
// A failing close records ERR_CLOSING_FILE after everything is freed.
void CloseFile3ds(file3ds* context);
// Closes every context below NextFileContext in slot order (stopping at the
// first error), then frees the table.
void CloseAllFiles3ds();
// Moves a file open for reading to a new unique name in its directory and
// reopens it there at the same position.
void RenameFileToTemp3ds(file3ds* context);
// Writes what the write cache of a context open for writing holds and
// flushes its stream: false with ERR_WRITING_FILE when the stream refuses.
bool FlushFile3ds(file3ds* context);

// The string's length when it is at most limit + 1 characters; a longer one
// records ERR_STRING_TOO_LONG and gives 0 (limit + 1 while errors are
// ignored); none gives ERR_INVALID_ARG and 0.
std::uint32_t strlenf3ds(const char* string, std::uint32_t limit);
// A new block (malloc) holding a copy, or none when memory runs out.
char* strdup3ds(const char* string);

}  // namespace qelsdk_600

#endif
