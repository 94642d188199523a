#include "formats/toolkit3ds/files3ds.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

filecontext3ds** FileContextList3ds = nullptr;
std::uint8_t NextFileContext = 0;
std::uint8_t CurrentFileContext = 0;
filecontext3ds* FileContext3ds = nullptr;
std::int32_t NewFileBufferSize3ds = 8192;

namespace {

// Chunk headers are patched in this cache rather than by seeking the stream,
// which would flush it for every chunk written.
constexpr std::uint32_t kCacheSize = 64 * 1024;

bool SeekStream(std::FILE* file, std::uint64_t position)
{
    return fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0;
}

// Writes the cache out and empties it at the cursor's position.
bool SpillCache(filecontext3ds* ctx)
{
    if (ctx->cachelength && std::fwrite(ctx->cache, 1, ctx->cachelength, ctx->file) != ctx->cachelength)
        return false;
    const std::uint64_t base = ctx->cachebase + ctx->cachecursor;
    if (ctx->cachecursor != ctx->cachelength && !SeekStream(ctx->file, base))
        return false;
    ctx->cachebase = base;
    ctx->cachelength = ctx->cachecursor = 0;
    return true;
}

bool IsWriteCached(const filecontext3ds* ctx)
{
    return ctx->state == WriteFromFile3ds && ctx->cache;
}

void FreeContext(filecontext3ds* ctx)
{
    std::free(ctx->filename);
    std::free(ctx->buffer);
    std::free(ctx->cache);
    std::free(ctx);
}

void GiveBuffer(filecontext3ds* ctx)
{
    if (ctx->buffer && ctx->file)
        std::setvbuf(ctx->file, ctx->buffer, _IOFBF, ctx->buffersize);
}

}  // namespace

namespace toolkit3ds_detail {

bool ReadBytes(void* bytes, std::uint64_t count)
{
    filecontext3ds* ctx = FileContext3ds;
    if (!ctx || !ctx->file || count > ctx->readlimit || ctx->position > ctx->readlimit - count) {
        PushErrList3ds(ERR_READING_FILE);
        return false;
    }
    const std::size_t got = std::fread(bytes, 1, static_cast<std::size_t>(count), ctx->file);
    ctx->position += got;
    if (got != count) {
        PushErrList3ds(ERR_READING_FILE);
        return false;
    }
    return true;
}

bool WriteBytes(const void* bytes, std::uint64_t count)
{
    filecontext3ds* ctx = FileContext3ds;
    if (!ctx || !ctx->file) {
        PushErrList3ds(ERR_WRITING_FILE);
        return false;
    }
    const std::uint8_t* src = static_cast<const std::uint8_t*>(bytes);
    if (!IsWriteCached(ctx)) {
        const std::size_t put = std::fwrite(src, 1, static_cast<std::size_t>(count), ctx->file);
        ctx->position += put;
        if (put != count) {
            PushErrList3ds(ERR_WRITING_FILE);
            return false;
        }
        return true;
    }
    while (count > 0) {
        if (ctx->cachecursor == kCacheSize && !SpillCache(ctx)) {
            PushErrList3ds(ERR_WRITING_FILE);
            return false;
        }
        const std::uint32_t room = kCacheSize - ctx->cachecursor;
        const std::uint32_t take = count < room ? static_cast<std::uint32_t>(count) : room;
        std::memcpy(ctx->cache + ctx->cachecursor, src, take);
        ctx->cachecursor += take;
        if (ctx->cachecursor > ctx->cachelength)
            ctx->cachelength = ctx->cachecursor;
        src += take;
        count -= take;
    }
    ctx->position = ctx->cachebase + ctx->cachecursor;
    return true;
}

std::uint64_t BytesLeft()
{
    const filecontext3ds* ctx = FileContext3ds;
    if (!ctx || ctx->position >= ctx->readlimit)
        return 0;
    return ctx->readlimit - ctx->position;
}

std::uint64_t SetReadLimit(std::uint64_t limit)
{
    filecontext3ds* ctx = FileContext3ds;
    if (!ctx)
        return kNoReadLimit;
    const std::uint64_t old = ctx->readlimit;
    ctx->readlimit = limit;
    return old;
}

void* AllocArray(std::uint64_t count, std::uint64_t size)
{
    if (count == 0 || size == 0 || count > SIZE_MAX / size)
        return nullptr;
    return std::calloc(static_cast<std::size_t>(count), static_cast<std::size_t>(size));
}

void* CopyBlock(const void* source, std::uint64_t size)
{
    if (!source || size == 0 || size > SIZE_MAX)
        return nullptr;
    void* copy = std::malloc(static_cast<std::size_t>(size));
    if (copy)
        std::memcpy(copy, source, static_cast<std::size_t>(size));
    return copy;
}

void CopyFixed(char* field, std::size_t size, const char* source)
{
    if (size == 0)
        return;
    std::size_t n = 0;
    if (source)
        while (n + 1 < size && source[n])
            ++n;
    if (n)
        std::memcpy(field, source, n);
    std::memset(field + n, 0, size - n);
}

}  // namespace toolkit3ds_detail

void InitContextList3ds()
{
    std::free(FileContextList3ds);
    FileContextList3ds = static_cast<filecontext3ds**>(std::calloc(MaxFileContexts3ds, sizeof(filecontext3ds*)));
    NextFileContext = CurrentFileContext = 0;
    if (!FileContextList3ds)
        PushErrList3ds(ERR_NO_MEM);
}

void ReleaseContextList3ds()
{
    std::free(FileContextList3ds);
    FileContextList3ds = nullptr;
    NextFileContext = CurrentFileContext = 0;
    FileContext3ds = nullptr;
}

void AddContext3ds(filecontext3ds* context)
{
    if (!context) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!FileContextList3ds) {
        InitContextList3ds();
        if (Stop())
            return;
    }
    int slot = NextFileContext;
    for (int i = 0; i < NextFileContext; ++i) {
        if (!FileContextList3ds[i]) {
            slot = i;
            break;
        }
    }
    if (slot >= MaxFileContexts3ds) {
        Fail(ERR_TOO_MANY_FILES);
        return;
    }
    FileContextList3ds[slot] = context;
    context->index = static_cast<std::uint8_t>(slot);
    if (slot == NextFileContext)
        ++NextFileContext;
}

void DelContext3ds(filecontext3ds* context)
{
    if (!context || !FileContextList3ds || context->index >= MaxFileContexts3ds)
        return;
    if (FileContextList3ds[context->index] == context) {
        FileContextList3ds[context->index] = nullptr;
        context->index = InvalidFileContext3ds;
    }
}

void SetContextByIndex3ds(std::uint8_t slot)
{
    if (FileContextList3ds && slot < NextFileContext) {
        FileContext3ds = FileContextList3ds[slot];
        CurrentFileContext = slot;
    }
}

filecontext3ds* GetContextByIndex3ds(std::uint8_t slot)
{
    if (!FileContextList3ds || slot >= NextFileContext)
        return nullptr;
    return FileContextList3ds[slot];
}

byte3ds IsValidFileIndex3ds(std::uint8_t slot)
{
    if (slot == InvalidFileContext3ds)
        return False3ds;
    return GetContextByIndex3ds(slot) ? True3ds : False3ds;
}

filecontext3ds* GetContextByName3ds(const char* name)
{
    if (!name || !FileContextList3ds)
        return nullptr;
    for (int i = 0; i < NextFileContext; ++i) {
        filecontext3ds* ctx = FileContextList3ds[i];
        if (ctx && ctx->filename && std::strcmp(ctx->filename, name) == 0)
            return ctx;
    }
    return nullptr;
}

bool IsOpenContext3ds(const filecontext3ds* context)
{
    if (!context || !FileContextList3ds)
        return false;
    for (int i = 0; i < NextFileContext; ++i)
        if (FileContextList3ds[i] == context)
            return true;
    return false;
}

void SetContext3ds(filecontext3ds* context)
{
    if (context && !IsOpenContext3ds(context)) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    FileContext3ds = context;
    CurrentFileContext = context ? context->index : InvalidFileContext3ds;
}

filecontext3ds* GetContext3ds()
{
    return FileContext3ds;
}

std::uint8_t GetContextIndex3ds()
{
    return FileContext3ds ? FileContext3ds->index : InvalidFileContext3ds;
}

void SetFileName3ds(const char* name)
{
    if (!FileContext3ds) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    strlenf3ds(name, 512);
    if (Stop())
        return;
    char* copy = strdup3ds(name);
    if (!copy) {
        Fail(ERR_NO_MEM);
        return;
    }
    std::free(FileContext3ds->filename);
    FileContext3ds->filename = copy;
}

const char* GetFileName3ds()
{
    return FileContext3ds ? FileContext3ds->filename : nullptr;
}

void SetFile3ds(std::FILE* stream)
{
    if (!stream || !FileContext3ds) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    filecontext3ds* ctx = FileContext3ds;
    if (IsWriteCached(ctx) && ctx->file)
        SpillCache(ctx);
    ctx->file = stream;
    const off_t at = ftello(stream);
    ctx->position = at < 0 ? 0 : static_cast<std::uint64_t>(at);
    ctx->cachebase = ctx->position;
    ctx->cachelength = ctx->cachecursor = 0;
}

std::FILE* GetFile3ds()
{
    return FileContext3ds ? FileContext3ds->file : nullptr;
}

void InitFile3ds(filecontext3ds** context)
{
    if (!context) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    *context = nullptr;
    if (!EnsureRecord(context))
        return;
    (*context)->index = InvalidFileContext3ds;
    (*context)->readlimit = kNoReadLimit;
}

file3ds* OpenFile3ds(const char* name, const char* mode)
{
    if (!name || !mode) {
        Fail(ERR_INVALID_ARG);
        return nullptr;
    }
    filecontext3ds* existing = GetContextByName3ds(name);
    filecontext3ds* ctx = nullptr;
    InitFile3ds(&ctx);
    if (!ctx) {
        Fail(ERR_INIT_FAILED);
        return nullptr;
    }
    auto drop = [&ctx]() {
        DelContext3ds(ctx);
        if (ctx->file)
            std::fclose(ctx->file);
        FreeContext(ctx);
        return nullptr;
    };
    AddContext3ds(ctx);
    if (Stop())
        return drop();
    ctx->filename = strdup3ds(name);
    if (!ctx->filename && Fail(ERR_NO_MEM))
        return drop();

    // The mode's length is checked, but a mode too long still gets its
    // reason: neither 'r' nor 'w' is found in it.
    const std::uint32_t length = strlenf3ds(mode, 30);
    for (std::uint32_t i = 0; i < length && ctx->state == 0; ++i) {
        if (mode[i] == 'r')
            ctx->state = ReadFromFile3ds;
        else if (mode[i] == 'w')
            ctx->state = WriteFromFile3ds;
    }
    if (ctx->state == 0) {
        Fail(ERR_INIT_FAILED);
        return drop();
    }
    if (existing) {
        if (existing->state == ctx->state) {
            drop();
            return existing;
        }
        if (existing->state == ReadFromFile3ds)
            RenameFileToTemp3ds(existing);
        else
            CloseFile3ds(existing);
        if (Stop())
            return drop();
    }
    ctx->file = std::fopen(name, ctx->state == ReadFromFile3ds ? "rb" : "wb");
    if (!ctx->file) {
        Fail(ERR_OPENING_FILE);
        return drop();
    }
    if (NewFileBufferSize3ds > 0) {
        ctx->buffer = static_cast<char*>(std::malloc(static_cast<std::size_t>(NewFileBufferSize3ds)));
        if (ctx->buffer) {
            ctx->buffersize = static_cast<std::uint32_t>(NewFileBufferSize3ds);
            GiveBuffer(ctx);
        }
    }
    // Without the cache, writes go straight to the stream.
    if (ctx->state == WriteFromFile3ds)
        ctx->cache = static_cast<std::uint8_t*>(std::malloc(kCacheSize));
    return ctx;
}

std::uint64_t GetFilePosition3ds()
{
    return FileContext3ds ? FileContext3ds->position : 0;
}

int FileSeek3ds(std::uint64_t position)
{
    filecontext3ds* ctx = FileContext3ds;
    if (!ctx || !ctx->file)
        return -1;
    if (IsWriteCached(ctx)) {
        if (position >= ctx->cachebase && position - ctx->cachebase <= ctx->cachelength) {
            ctx->cachecursor = static_cast<std::uint32_t>(position - ctx->cachebase);
            ctx->position = position;
            return 0;
        }
        ctx->cachecursor = ctx->cachelength;
        if (!SpillCache(ctx))
            return -1;
        if (!SeekStream(ctx->file, position))
            return -1;
        ctx->cachebase = ctx->position = position;
        return 0;
    }
    if (position == ctx->position)
        return 0;
    if (!SeekStream(ctx->file, position))
        return -1;
    ctx->position = position;
    return 0;
}

bool FlushFile3ds(file3ds* context)
{
    if (!IsOpenContext3ds(context) || !context->file) {
        Fail(ERR_INVALID_ARG);
        return false;
    }
    bool ok = true;
    if (IsWriteCached(context)) {
        // Everything goes out; the stream then stands where the cursor was.
        const std::uint64_t at = context->cachebase + context->cachecursor;
        context->cachecursor = context->cachelength;
        ok = SpillCache(context);
        if (ok && context->cachebase != at)
            ok = SeekStream(context->file, at);
        context->cachebase = context->position = at;
        context->cachelength = context->cachecursor = 0;
    }
    ok = ok && std::fflush(context->file) == 0;
    if (!ok)
        PushErrList3ds(ERR_WRITING_FILE);
    return ok;
}

void CloseFile3ds(file3ds* context)
{
    if (!context)
        return;
    if (!IsOpenContext3ds(context)) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    bool failed = false;
    if (context->file) {
        if (IsWriteCached(context)) {
            context->cachecursor = context->cachelength;
            failed = !SpillCache(context);
        }
        failed = std::fclose(context->file) != 0 || failed;
        if (context->istempfile && context->filename)
            std::remove(context->filename);
    }
    DelContext3ds(context);
    if (FileContext3ds == context) {
        FileContext3ds = nullptr;
        CurrentFileContext = InvalidFileContext3ds;
    }
    FreeContext(context);
    if (failed)
        Fail(ERR_CLOSING_FILE);
}

void CloseAllFiles3ds()
{
    // Every file is closed even after a failure: the table is freed below,
    // so a context left open could never be closed again.
    for (int i = 0; FileContextList3ds && i < NextFileContext; ++i)
        if (FileContextList3ds[i])
            CloseFile3ds(FileContextList3ds[i]);
    ReleaseContextList3ds();
}

void RenameFileToTemp3ds(file3ds* context)
{
    if (!IsOpenContext3ds(context) || !context->file || !context->filename) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (IsWriteCached(context)) {
        context->cachecursor = context->cachelength;
        SpillCache(context);
    }
    const std::uint64_t position = context->position;
    const bool closed = std::fclose(context->file) == 0;
    context->file = nullptr;
    if (!closed && Fail(ERR_CLOSING_FILE))
        return;

    // The temporary lies beside the file, so the rename never crosses a
    // file system; the block is sized from the name, whatever its length.
    std::string temp(context->filename);
    const std::size_t cut = temp.find_last_of("\\/:");
    temp.resize(cut == std::string::npos ? 0 : cut + 1);
    temp += "ftk3dsXXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        Fail(ERR_OPENING_FILE);
        return;
    }
    close(fd);
    if (std::rename(context->filename, temp.c_str()) != 0) {
        std::remove(temp.c_str());
        Fail(ERR_OPENING_FILE);
        return;
    }
    context->istempfile = True3ds;
    char* name = strdup3ds(temp.c_str());
    if (!name) {
        Fail(ERR_NO_MEM);
        return;
    }
    std::free(context->filename);
    context->filename = name;
    context->file = std::fopen(name, "rb");
    if (!context->file) {
        Fail(ERR_OPENING_FILE);
        return;
    }
    context->state = ReadFromFile3ds;
    GiveBuffer(context);
    context->position = 0;
    context->cachebase = 0;
    context->cachelength = context->cachecursor = 0;
    if (!SeekStream(context->file, position)) {
        Fail(ERR_OPENING_FILE);
        return;
    }
    context->position = position;
}

std::uint32_t strlenf3ds(const char* string, std::uint32_t limit)
{
    if (!string) {
        Fail(ERR_INVALID_ARG);
        return 0;
    }
    const std::uint64_t most = std::uint64_t(limit) + 1;
    for (std::uint64_t i = 0; i <= most; ++i)
        if (string[i] == '\0')
            return static_cast<std::uint32_t>(i);
    PushErrList3ds(ERR_STRING_TOO_LONG);
    return ignoreftkerr3ds ? static_cast<std::uint32_t>(most) : 0;
}

char* strdup3ds(const char* string)
{
    if (!string)
        return nullptr;
    const std::size_t n = std::strlen(string) + 1;
    char* copy = static_cast<char*>(std::malloc(n));
    if (copy)
        std::memcpy(copy, string, n);
    return copy;
}

}  // namespace qelsdk_600
