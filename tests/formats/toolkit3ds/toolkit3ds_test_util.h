// Shared pieces of the toolkit's tests: a fixture that resets the toolkit's
// globals, chunk bytes built by hand, and databases read from and written
// to scratch files.
#ifndef QELSDK_TESTS_FORMATS_TOOLKIT3DS_TEST_UTIL_H
#define QELSDK_TESTS_FORMATS_TOOLKIT3DS_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/scratch_dir.h"
#include "formats/toolkit3ds/toolkit3ds.h"

namespace qelsdk_600 {
namespace test3ds {

// Little-endian bytes.
inline std::string U16(std::uint16_t v)
{
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
inline std::string U32(std::uint32_t v)
{
    return U16(static_cast<std::uint16_t>(v & 0xFFFF)) + U16(static_cast<std::uint16_t>(v >> 16));
}
inline std::string F32(float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return U32(bits);
}
inline std::string Str(const std::string& s)
{
    return s + std::string(1, '\0');
}

// A chunk: header with the right size, body, children.
inline std::string Chunk(std::uint16_t tag, const std::string& body = "",
                         std::initializer_list<std::string> children = {})
{
    std::string all = body;
    for (const std::string& c : children)
        all += c;
    return U16(tag) + U32(static_cast<std::uint32_t>(all.size() + 6)) + all;
}

// A keyframer node with its NODE_ID (left out for id -2), NODE_HDR (parent
// id -1: none) and INSTANCE_NAME when one is given.
inline std::string Node(std::uint16_t tag, std::int16_t id, const std::string& name, std::int16_t parent,
                        const std::string& instance = "")
{
    std::string children = Chunk(NODE_HDR, Str(name) + U16(0) + U16(0) + U16(static_cast<std::uint16_t>(parent)));
    if (!instance.empty())
        children += Chunk(INSTANCE_NAME, Str(instance));
    if (id != -2)
        children = Chunk(NODE_ID, U16(static_cast<std::uint16_t>(id))) + children;
    return U16(tag) + U32(static_cast<std::uint32_t>(children.size() + 6)) + children;
}

// A mesh file as the toolkit writes it: release records, the objects in
// MDATA, the nodes in KFDATA after its header.
inline std::string MeshFile(const std::string& objects, const std::string& nodes = "")
{
    return Chunk(M3DMAGIC, "",
                 {Chunk(M3D_VERSION, U32(3)), Chunk(MDATA, "", {Chunk(MESH_VERSION, U32(3)), objects}),
                  Chunk(KFDATA, "", {Chunk(KFHDR, U16(5) + Str("") + U32(30)), nodes})});
}

// The codes on the error stack, first to last.
inline std::vector<int> Errors()
{
    std::vector<int> codes;
    const errrec3ds* stack = ReturnErrorList3ds();
    for (int i = 0; i < ErrStackSize3ds && stack[i].errorid; ++i)
        codes.push_back(stack[i].errorid);
    return codes;
}

class Toolkit3dsTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override
    {
        ReleaseDatabase3ds(&mDb);
        Reset();
    }
    static void Reset()
    {
        ClearErrList3ds();
        CloseAllFiles3ds();
        ignoreftkerr3ds = 0;
    }

    std::string Path(const std::string& name) { return mDir.File(name); }

    // Opens bytes written to a scratch file for reading, as mDb.
    file3ds* ReadBytes(const std::string& bytes, const std::string& name = "in.3ds")
    {
        scratch::WriteFile(Path(name), bytes);
        file3ds* file = OpenFile3ds(Path(name).c_str(), "rb");
        ReleaseDatabase3ds(&mDb);
        InitDatabase3ds(&mDb);
        CreateDatabase3ds(file, mDb);
        return file;
    }

    // Writes a database to a scratch file and returns its bytes ("" on a
    // failed write).
    std::string WriteBytes(database3ds* db, const std::string& name = "out.3ds")
    {
        file3ds* file = OpenFile3ds(Path(name).c_str(), "wb");
        WriteDatabase3ds(file, db);
        const bool ok = !ftkerr3ds;
        CloseFile3ds(file);
        return ok ? scratch::ReadFile(Path(name)) : std::string();
    }

    scratch::ScratchDir mDir;
    database3ds* mDb = nullptr;
};

// With a new mesh-file database, mNew, besides.
class NewDatabaseTest : public Toolkit3dsTest {
protected:
    void SetUp() override
    {
        Toolkit3dsTest::SetUp();
        InitDatabase3ds(&mNew);
        CreateNewDatabase3ds(mNew, MeshFile3ds);
    }
    void TearDown() override
    {
        ReleaseDatabase3ds(&mNew);
        Toolkit3dsTest::TearDown();
    }
    // The first chunk of a tag below a root (the root included), or none.
    static chunk3ds* Below(chunk3ds* root, std::uint32_t tag)
    {
        chunk3ds* found = nullptr;
        if (root)
            FindChunk3ds(root, tag, &found);
        return found;
    }

    database3ds* mNew = nullptr;
};

}  // namespace test3ds
}  // namespace qelsdk_600

#endif
