// Primitive reads and writes of the 3D Studio file, all on the current file
// (files3ds.h), little-endian on any host. A read that gets fewer bytes than
// it asks for, or that would pass the end of the chunk being decoded,
// records ERR_READING_FILE and returns 0 (the record reads stop at the
// first failing field, after filling the record with its default); a write
// the stream refuses records ERR_WRITING_FILE.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_PRIMITIVES3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_PRIMITIVES3DS_H

#include <cstdint>

#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

// Byte-order conversions between the file (little-endian) and the host:
// copies on a little-endian host, byte reversals on a big-endian one.
void N2ILong3ds(const void* native, void* host);
void I2NLong3ds(const void* host, void* native);
void N2IShort3ds(const void* native, void* host);
void I2NShort3ds(const void* host, void* native);
void N2IFloat3ds(const void* native, void* host);
void I2NFloat3ds(const void* host, void* native);
void N2IDouble3ds(const void* native, void* host);
void I2NDouble3ds(const void* host, void* native);

void WriteByte3ds(std::int8_t value);
std::int8_t ReadByte3ds();
void WriteUByte3ds(std::uint8_t value);
std::uint8_t ReadUByte3ds();
void WriteShort3ds(std::int16_t value);
std::int16_t ReadShort3ds();
void WriteUShort3ds(std::uint16_t value);
std::uint16_t ReadUShort3ds();
void WriteLong3ds(std::int32_t value);
std::int32_t ReadLong3ds();
void WriteULong3ds(std::uint32_t value);
std::uint32_t ReadULong3ds();
void WriteFloat3ds(float value);
float ReadFloat3ds();
void WriteDouble3ds(double value);
double ReadDouble3ds();

// count raw bytes; a read stops at the first failure.
void WriteVoid3ds(std::uint32_t count, const void* bytes);
void ReadVoid3ds(std::uint32_t count, void* bytes);
// Reads count bytes and drops them.
void SkipVoid3ds(std::uint32_t count);

// The characters and a 0 byte.
void WriteString3ds(const char* string);
// Exactly width bytes: at most width characters, then 0 bytes up to width
// (a string of width characters or more fills the field unterminated).
void WriteFixedString3ds(const char* string, std::uint32_t width);
// Reads up to limit bytes into the buffer, stopping after the 0 byte;
// limit bytes without one record ERR_READING_FILE. The buffer holds limit
// bytes.
void ReadString3ds(char* buffer, std::uint32_t limit);
// As ReadString3ds over a field of width bytes, then reads the rest of it.
void ReadFixedString3ds(char* buffer, std::uint32_t width);
// Reads a string of at most limit characters and hands out a new block
// (malloc) of exactly its length + 1; none after an error (ERR_NO_MEM when
// memory runs out). The temporary block never exceeds the bytes left to
// read, so a huge limit costs nothing.
void ReadAndAllocString3ds(char** string, std::uint32_t limit);
void ReadAndAllocFixedString3ds(char** string, std::uint32_t width);

// A chunk header: 16-bit tag, 32-bit size (header, body and children).
// A size over 0xFFFFFFFF records ERR_WRITING_FILE and writes nothing.
void WriteHeader3ds(std::uint16_t tag, std::uint64_t size);
void ReadHeader3ds(std::uint16_t* tag, std::uint32_t* size);
// Writes end - start at start + 2 and seeks back to end: the size of a
// chunk whose header was written at start with a provisional size.
void FinishHeader3ds(std::uint64_t start, std::uint64_t end);

void WritePoint3ds(const point3ds* point);
void ReadPoint3ds(point3ds* point);
void WriteTextVert3ds(const textvert3ds* vertex);
void ReadTextVert3ds(textvert3ds* vertex);
void WriteFace3ds(const face3ds* face);
void ReadFace3ds(face3ds* face);
// 14 bytes: flags, the two reserved words, key count.
void WriteTrackHeader3ds(const trackheader3ds* header);
void ReadTrackHeader3ds(trackheader3ds* header);
// Frame, spline flags, then the float of each flag set, in flag order.
void WriteKeyHeader3ds(const keyheader3ds* key);
void ReadKeyHeader3ds(keyheader3ds* key);

}  // namespace qelsdk_600

#endif
