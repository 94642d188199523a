#include "formats/toolkit3ds/primitives3ds.h"

#include <cstdlib>
#include <cstring>

#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/files3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

const point3ds DefPoint3ds = {0.0f, 0.0f, 0.0f};
const textvert3ds DefTextVert3ds = {0.0f, 0.0f};
const face3ds DefFace3ds = {0, 1, 2, 0};
const trackheader3ds DefTrackHeader3ds = {0, 0, 0, 1};
const keyheader3ds DefKeyHeader3ds = {0, 0, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

namespace {

// Copies n bytes, reversed on a big-endian host.
void Order(const void* from, void* to, std::size_t n)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    const unsigned char* f = static_cast<const unsigned char*>(from);
    unsigned char* t = static_cast<unsigned char*>(to);
    for (std::size_t i = 0; i < n; ++i)
        t[i] = f[n - 1 - i];
#else
    std::memcpy(to, from, n);
#endif
}

template <class T>
T ReadValue()
{
    unsigned char bytes[sizeof(T)];
    T value{};
    if (ReadBytes(bytes, sizeof(T)))
        Order(bytes, &value, sizeof(T));
    return value;
}

template <class T>
void WriteValue(T value)
{
    unsigned char bytes[sizeof(T)];
    Order(&value, bytes, sizeof(T));
    WriteBytes(bytes, sizeof(T));
}

// The five spline floats of a key header, in flag order.
float keyheader3ds::*const kSplineFloats[] = {&keyheader3ds::tension, &keyheader3ds::continuity,
                                               &keyheader3ds::bias, &keyheader3ds::easeto,
                                               &keyheader3ds::easefrom};

}  // namespace

void N2ILong3ds(const void* native, void* host) { Order(native, host, 4); }
void I2NLong3ds(const void* host, void* native) { Order(host, native, 4); }
void N2IShort3ds(const void* native, void* host) { Order(native, host, 2); }
void I2NShort3ds(const void* host, void* native) { Order(host, native, 2); }
void N2IFloat3ds(const void* native, void* host) { Order(native, host, 4); }
void I2NFloat3ds(const void* host, void* native) { Order(host, native, 4); }
void N2IDouble3ds(const void* native, void* host) { Order(native, host, 8); }
void I2NDouble3ds(const void* host, void* native) { Order(host, native, 8); }

void WriteByte3ds(std::int8_t value) { WriteValue(value); }
std::int8_t ReadByte3ds() { return ReadValue<std::int8_t>(); }
void WriteUByte3ds(std::uint8_t value) { WriteValue(value); }
std::uint8_t ReadUByte3ds() { return ReadValue<std::uint8_t>(); }
void WriteShort3ds(std::int16_t value) { WriteValue(value); }
std::int16_t ReadShort3ds() { return ReadValue<std::int16_t>(); }
void WriteUShort3ds(std::uint16_t value) { WriteValue(value); }
std::uint16_t ReadUShort3ds() { return ReadValue<std::uint16_t>(); }
void WriteLong3ds(std::int32_t value) { WriteValue(value); }
std::int32_t ReadLong3ds() { return ReadValue<std::int32_t>(); }
void WriteULong3ds(std::uint32_t value) { WriteValue(value); }
std::uint32_t ReadULong3ds() { return ReadValue<std::uint32_t>(); }
void WriteFloat3ds(float value) { WriteValue(value); }
float ReadFloat3ds() { return ReadValue<float>(); }
void WriteDouble3ds(double value) { WriteValue(value); }
double ReadDouble3ds() { return ReadValue<double>(); }

void WriteVoid3ds(std::uint32_t count, const void* bytes)
{
    if (!bytes && count) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    WriteBytes(bytes, count);
}

void ReadVoid3ds(std::uint32_t count, void* bytes)
{
    if (!bytes && count) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    ReadBytes(bytes, count);
}

void SkipVoid3ds(std::uint32_t count)
{
    unsigned char scratch[512];
    while (count > 0) {
        const std::uint32_t n = count < sizeof scratch ? count : sizeof scratch;
        if (!ReadBytes(scratch, n))
            return;
        count -= n;
    }
}

void WriteString3ds(const char* string)
{
    if (!string) {
        WriteBytes("", 1);
        return;
    }
    WriteBytes(string, std::strlen(string) + 1);
}

void WriteFixedString3ds(const char* string, std::uint32_t width)
{
    char zeros[64] = {};
    std::uint32_t n = 0;
    if (string)
        while (n < width && string[n])
            ++n;
    if (!WriteBytes(string, n))
        return;
    for (std::uint32_t left = width - n; left > 0;) {
        const std::uint32_t k = left < sizeof zeros ? left : sizeof zeros;
        if (!WriteBytes(zeros, k))
            return;
        left -= k;
    }
}

void ReadString3ds(char* buffer, std::uint32_t limit)
{
    if (!buffer) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    for (std::uint32_t i = 0; i < limit; ++i) {
        if (!ReadBytes(buffer + i, 1))
            return;
        if (buffer[i] == '\0')
            return;
    }
    PushErrList3ds(ERR_READING_FILE);
}

void ReadFixedString3ds(char* buffer, std::uint32_t width)
{
    if (!buffer) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    const std::uint64_t start = GetFilePosition3ds();
    ReadString3ds(buffer, width);
    if (Stop())
        return;
    const std::uint64_t used = GetFilePosition3ds() - start;
    if (used < width)
        ReadBytes(buffer + used, width - used);
}

namespace {

void ReadAndAlloc(char** string, std::uint32_t limit, bool fixed)
{
    if (!string) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    // limit characters and the 0 byte, but never more than the file holds.
    std::uint64_t size = std::uint64_t(limit) + (fixed ? 0 : 1);
    const std::uint64_t left = BytesLeft();
    if (left < size)
        size = left;
    if (size == 0) {
        Fail(ERR_READING_FILE);
        return;
    }
    char* temp = static_cast<char*>(AllocArray(size + 1, 1));
    if (!temp) {
        Fail(ERR_NO_MEM);
        return;
    }
    const std::uint64_t start = GetFilePosition3ds();
    ReadString3ds(temp, static_cast<std::uint32_t>(size));
    if (!Stop() && fixed) {
        const std::uint64_t used = GetFilePosition3ds() - start;
        if (used < limit)
            SkipVoid3ds(static_cast<std::uint32_t>(limit - used));
    }
    if (Stop()) {
        std::free(temp);
        return;
    }
    char* copy = strdup3ds(temp);
    std::free(temp);
    if (!copy) {
        Fail(ERR_NO_MEM);
        return;
    }
    *string = copy;
}

}  // namespace

void ReadAndAllocString3ds(char** string, std::uint32_t limit)
{
    ReadAndAlloc(string, limit, false);
}

void ReadAndAllocFixedString3ds(char** string, std::uint32_t width)
{
    ReadAndAlloc(string, width, true);
}

void WriteHeader3ds(std::uint16_t tag, std::uint64_t size)
{
    if (size > 0xFFFFFFFFu) {
        Fail(ERR_WRITING_FILE);
        return;
    }
    unsigned char bytes[6];
    StoreU16(bytes, tag);
    StoreU32(bytes + 2, static_cast<std::uint32_t>(size));
    WriteBytes(bytes, 6);
}

void ReadHeader3ds(std::uint16_t* tag, std::uint32_t* size)
{
    if (!tag || !size) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    unsigned char bytes[6];
    if (!ReadBytes(bytes, 6))
        return;
    *tag = LoadU16(bytes);
    *size = LoadU32(bytes + 2);
}

void FinishHeader3ds(std::uint64_t start, std::uint64_t end)
{
    if (end < start || end - start > 0xFFFFFFFFu) {
        Fail(ERR_WRITING_FILE);
        return;
    }
    if (FileSeek3ds(start + 2) != 0) {
        Fail(ERR_WRITING_FILE);
        return;
    }
    WriteULong3ds(static_cast<std::uint32_t>(end - start));
    if (Stop())
        return;
    if (FileSeek3ds(end) != 0)
        Fail(ERR_WRITING_FILE);
}

void WritePoint3ds(const point3ds* point)
{
    if (!point) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    unsigned char bytes[12];
    StoreF32(bytes, point->x);
    StoreF32(bytes + 4, point->y);
    StoreF32(bytes + 8, point->z);
    WriteBytes(bytes, 12);
}

void ReadPoint3ds(point3ds* point)
{
    if (!point) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    *point = DefPoint3ds;
    point->x = ReadFloat3ds();
    if (Stop())
        return;
    point->y = ReadFloat3ds();
    if (Stop())
        return;
    point->z = ReadFloat3ds();
}

void WriteTextVert3ds(const textvert3ds* vertex)
{
    if (!vertex) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    WriteFloat3ds(vertex->u);
    if (Stop())
        return;
    WriteFloat3ds(vertex->v);
}

void ReadTextVert3ds(textvert3ds* vertex)
{
    if (!vertex) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    *vertex = DefTextVert3ds;
    vertex->u = ReadFloat3ds();
    if (Stop())
        return;
    vertex->v = ReadFloat3ds();
}

void WriteFace3ds(const face3ds* face)
{
    if (!face) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    unsigned char bytes[8];
    StoreU16(bytes, face->v1);
    StoreU16(bytes + 2, face->v2);
    StoreU16(bytes + 4, face->v3);
    StoreU16(bytes + 6, face->flag);
    WriteBytes(bytes, 8);
}

void ReadFace3ds(face3ds* face)
{
    if (!face) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    *face = DefFace3ds;
    std::uint16_t* fields[] = {&face->v1, &face->v2, &face->v3, &face->flag};
    for (std::uint16_t* f : fields) {
        *f = ReadUShort3ds();
        if (Stop())
            return;
    }
}

void WriteTrackHeader3ds(const trackheader3ds* header)
{
    if (!header) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    unsigned char bytes[TrackHeaderSize3ds];
    StoreU16(bytes, header->flags);
    StoreU32(bytes + 2, header->nu1);
    StoreU32(bytes + 6, header->nu2);
    StoreU32(bytes + 10, header->keycount);
    WriteBytes(bytes, sizeof bytes);
}

void ReadTrackHeader3ds(trackheader3ds* header)
{
    if (!header) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    *header = DefTrackHeader3ds;
    header->flags = ReadUShort3ds();
    if (Stop())
        return;
    header->nu1 = ReadULong3ds();
    if (Stop())
        return;
    header->nu2 = ReadULong3ds();
    if (Stop())
        return;
    header->keycount = ReadULong3ds();
}

void WriteKeyHeader3ds(const keyheader3ds* key)
{
    if (!key) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    unsigned char bytes[6 + 5 * 4];
    StoreU32(bytes, key->time);
    StoreU16(bytes + 4, key->rflags);
    std::size_t n = 6;
    for (int i = 0; i < 5; ++i) {
        if (key->rflags & (1u << i)) {
            StoreF32(bytes + n, key->*kSplineFloats[i]);
            n += 4;
        }
    }
    WriteBytes(bytes, n);
}

void ReadKeyHeader3ds(keyheader3ds* key)
{
    if (!key) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    *key = DefKeyHeader3ds;
    key->time = ReadULong3ds();
    if (Stop())
        return;
    key->rflags = ReadUShort3ds();
    if (Stop())
        return;
    for (int i = 0; i < 5; ++i) {
        if (key->rflags & (1u << i)) {
            key->*kSplineFloats[i] = ReadFloat3ds();
            if (Stop())
                return;
        }
    }
}

}  // namespace qelsdk_600
