// The error stack, the open-file table and the primitives.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "toolkit3ds_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace test3ds;

class Toolkit3dsErrorsAndFiles : public Toolkit3dsTest {
protected:
    std::vector<std::string> FilesInDir()
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(mDir.Path()))
            names.push_back(e.path().filename().string());
        return names;
    }
};

TEST_F(Toolkit3dsErrorsAndFiles, FullStackKeepsNineteenAndMarksTheRest)
{
    PushErrList3ds(0);
    EXPECT_EQ(ftkerr3ds, 0);
    for (int code = 1; code <= 25; ++code)
        PushErrList3ds(code);
    const errrec3ds* stack = ReturnErrorList3ds();
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(stack[i].errorid, i + 1);
    EXPECT_EQ(stack[19].errorid, N_ERRORS);
    EXPECT_STREQ(stack[19].desc, "N_ERRORS: More errors were reported then could be recorded.");
    EXPECT_EQ(ftkerr3ds, 1);
    ClearErrList3ds();
    EXPECT_EQ(ftkerr3ds, 0);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(Toolkit3dsErrorsAndFiles, CodesOutsideTheTableAreUnknown)
{
    for (int code : {20, 21, -1, 23})
        EXPECT_STREQ(ErrCodeToString3ds(code), "Unknown error code was encountered");
    EXPECT_STREQ(ErrCodeToString3ds(13), "ERR_READING_FILE: Error occured while reading file");
}

TEST_F(Toolkit3dsErrorsAndFiles, ModesChooseReadingOrWriting)
{
    scratch::WriteFile(Path("a.3ds"), "x");
    const struct {
        const char* mode;
        std::uint32_t state;
        std::vector<int> errors;
    } cases[] = {
        {"rb", ReadFromFile3ds, {}},
        {"xrw", ReadFromFile3ds, {}},
        {"bx", 0, {ERR_INIT_FAILED}},
        {"rrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrr", 0, {ERR_STRING_TOO_LONG, ERR_INIT_FAILED}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        Reset();
        file3ds* file = OpenFile3ds(Path("a.3ds").c_str(), c.mode);
        EXPECT_EQ(Errors(), c.errors);
        EXPECT_EQ(file ? file->state : 0u, c.state);
    }
    Reset();
    EXPECT_EQ(OpenFile3ds(nullptr, "rb"), nullptr);
    EXPECT_EQ(Errors(), std::vector<int>{ERR_INVALID_ARG});
    Reset();
    EXPECT_EQ(OpenFile3ds(Path("missing.3ds").c_str(), "rb"), nullptr);
    EXPECT_EQ(Errors(), std::vector<int>{ERR_OPENING_FILE});
}

TEST_F(Toolkit3dsErrorsAndFiles, SameNameReadTwiceIsOneFile)
{
    scratch::WriteFile(Path("a.3ds"), "abc");
    file3ds* first = OpenFile3ds(Path("a.3ds").c_str(), "rb");
    file3ds* second = OpenFile3ds(Path("a.3ds").c_str(), "rb");
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(GetContextByIndex3ds(1), nullptr);
}

TEST_F(Toolkit3dsErrorsAndFiles, WritingAFileBeingReadMovesTheReadCopyAside)
{
    scratch::WriteFile(Path("a.3ds"), "abcdef");
    file3ds* in = OpenFile3ds(Path("a.3ds").c_str(), "rb");
    SetContext3ds(in);
    EXPECT_EQ(ReadUByte3ds(), 'a');
    file3ds* out = OpenFile3ds(Path("a.3ds").c_str(), "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_NE(in, out);
    EXPECT_EQ(in->istempfile, True3ds);
    EXPECT_EQ(std::filesystem::path(in->filename).parent_path(), std::filesystem::path(mDir.Path()));
    EXPECT_EQ(FilesInDir().size(), 2u);
    // Reading goes on where it was, from the temporary copy.
    SetContext3ds(in);
    EXPECT_EQ(ReadUByte3ds(), 'b');
    SetContext3ds(out);
    WriteString3ds("new");
    CloseFile3ds(in);
    CloseFile3ds(out);
    EXPECT_EQ(Errors(), std::vector<int>());
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"a.3ds"});
    EXPECT_EQ(scratch::ReadFile(Path("a.3ds")), std::string("new", 4));
}

TEST_F(Toolkit3dsErrorsAndFiles, TheTableHolds252FilesAndReusesSlots)
{
    std::vector<file3ds*> files;
    for (int i = 0; i < MaxFileContexts3ds; ++i) {
        scratch::WriteFile(Path(std::to_string(i)), "");
        files.push_back(OpenFile3ds(Path(std::to_string(i)).c_str(), "rb"));
        ASSERT_NE(files.back(), nullptr) << i;
    }
    scratch::WriteFile(Path("last"), "");
    EXPECT_EQ(OpenFile3ds(Path("last").c_str(), "rb"), nullptr);
    EXPECT_EQ(Errors(), std::vector<int>{ERR_TOO_MANY_FILES});
    ClearErrList3ds();
    CloseFile3ds(files[7]);
    file3ds* again = OpenFile3ds(Path("last").c_str(), "rb");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->index, 7);
}

TEST_F(Toolkit3dsErrorsAndFiles, ClosedHandlesAreRefused)
{
    scratch::WriteFile(Path("a.3ds"), "");
    file3ds* file = OpenFile3ds(Path("a.3ds").c_str(), "rb");
    CloseFile3ds(file);
    EXPECT_TRUE(Errors().empty());
    CloseFile3ds(file);
    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateDatabase3ds(file, db);
    file3ds* other = OpenFile3ds(Path("a.3ds").c_str(), "rb");
    CloseAllFiles3ds();
    WriteDatabase3ds(other, db);
    EXPECT_EQ(Errors(), (std::vector<int>{ERR_INVALID_ARG, ERR_INVALID_ARG, ERR_INVALID_ARG}));
    CloseFile3ds(nullptr);
    ReleaseDatabase3ds(&db);
}

TEST_F(Toolkit3dsErrorsAndFiles, SlotsAtOrAboveTheCountAreNotMadeCurrent)
{
    scratch::WriteFile(Path("a.3ds"), "");
    file3ds* file = OpenFile3ds(Path("a.3ds").c_str(), "rb");
    SetContext3ds(nullptr);
    SetContextByIndex3ds(1);
    EXPECT_EQ(GetContext3ds(), nullptr);
    SetContextByIndex3ds(0);
    EXPECT_EQ(GetContext3ds(), file);
}

TEST_F(Toolkit3dsErrorsAndFiles, LongPathsMoveAsideWhole)
{
    std::string dir = mDir.Path();
    while (dir.size() < 600)
        dir += "/" + std::string(100, 'd');
    std::filesystem::create_directories(dir);
    const std::string name = dir + "/a.3ds";
    scratch::WriteFile(name, "abc");
    file3ds* in = OpenFile3ds(name.c_str(), "rb");
    file3ds* out = OpenFile3ds(name.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::filesystem::path(in->filename).parent_path(), std::filesystem::path(dir));
    CloseAllFiles3ds();
    EXPECT_EQ(Errors(), std::vector<int>());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
}

TEST_F(Toolkit3dsErrorsAndFiles, StringLengthsAreBounded)
{
    EXPECT_EQ(strlenf3ds("abcd", 3), 4u);
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(strlenf3ds("abcde", 3), 0u);
    EXPECT_EQ(Errors(), std::vector<int>{ERR_STRING_TOO_LONG});
    ignoreftkerr3ds = 1;
    EXPECT_EQ(strlenf3ds("abcde", 3), 4u);
}

TEST_F(Toolkit3dsErrorsAndFiles, PrimitivesRoundTripLittleEndian)
{
    file3ds* out = OpenFile3ds(Path("p").c_str(), "wb");
    SetContext3ds(out);
    WriteShort3ds(-2);
    WriteULong3ds(0x01020304);
    WriteFloat3ds(1.5f);
    WriteDouble3ds(-0.25);
    WriteFixedString3ds("abc", 12);
    keyheader3ds key = DefKeyHeader3ds;
    key.time = 7;
    key.rflags = KeyUsesTension3ds | KeyUsesBias3ds;
    key.tension = 0.5f;
    key.continuity = 9.0f;
    key.bias = -1.0f;
    WriteKeyHeader3ds(&key);
    const std::uint64_t start = GetFilePosition3ds();
    WriteHeader3ds(0x1234, 0);
    WriteULong3ds(0);
    FinishHeader3ds(start, GetFilePosition3ds());
    CloseFile3ds(out);
    ASSERT_TRUE(Errors().empty());

    const std::string expected = U16(0xFFFE) + U32(0x01020304) + F32(1.5f) + std::string("\0\0\0\0\0\0\xd0\xbf", 8) +
                                 std::string("abc", 3) + std::string(9, '\0') + U32(7) + U16(5) + F32(0.5f) +
                                 F32(-1.0f) + U16(0x1234) + U32(10) + U32(0);
    EXPECT_EQ(scratch::ReadFile(Path("p")), expected);

    file3ds* in = OpenFile3ds(Path("p").c_str(), "rb");
    SetContext3ds(in);
    EXPECT_EQ(ReadShort3ds(), -2);
    EXPECT_EQ(ReadULong3ds(), 0x01020304u);
    EXPECT_EQ(ReadFloat3ds(), 1.5f);
    EXPECT_EQ(ReadDouble3ds(), -0.25);
    char name[12];
    ReadFixedString3ds(name, 12);
    EXPECT_STREQ(name, "abc");
    keyheader3ds back;
    ReadKeyHeader3ds(&back);
    EXPECT_EQ(back.time, 7u);
    EXPECT_EQ(back.tension, 0.5f);
    EXPECT_EQ(back.continuity, 0.0f);
    EXPECT_EQ(back.bias, -1.0f);
    std::uint16_t tag;
    std::uint32_t size;
    ReadHeader3ds(&tag, &size);
    EXPECT_EQ(size, 10u);
    EXPECT_TRUE(Errors().empty());
    ReadULong3ds();
    EXPECT_EQ(ReadULong3ds(), 0u);
    EXPECT_EQ(Errors(), std::vector<int>{ERR_READING_FILE});
}

TEST_F(Toolkit3dsErrorsAndFiles, ChunkSizesPastThirtyTwoBitsAreRefused)
{
    void (*const oversized[])() = {
        [] { WriteHeader3ds(0x1234, 0x100000000ull); },
        [] { FinishHeader3ds(0, 0x100000000ull); },
    };
    for (auto write : oversized) {
        Reset();
        file3ds* out = OpenFile3ds(Path("big").c_str(), "wb");
        SetContext3ds(out);
        WriteHeader3ds(0x4d4d, 6);
        write();
        EXPECT_EQ(Errors(), std::vector<int>{ERR_WRITING_FILE});
        CloseFile3ds(out);
        EXPECT_EQ(scratch::ReadFile(Path("big")), U16(0x4d4d) + U32(6));
    }
}

}  // namespace
}  // namespace qelsdk_600
