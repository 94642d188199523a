// Damaged, truncated and hostile field files: an error, never a crash.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include "common/scratch_dir.h"
#include "file/kqel.h"

namespace qelsdk_600 {
namespace {

using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;

std::uint64_t Get(const std::string& b, std::size_t at, int size) {
    std::uint64_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

void Put(std::string& b, std::size_t at, std::uint64_t v, int size) {
    for (int i = 0; i < size; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

std::uint32_t Crc(const std::string& b, std::size_t from, std::size_t to) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(b.data() + from), static_cast<uInt>(to - from)));
}

// Recomputes every CRC of b, as docs/qel-format.md lays them out, at the
// places that the undamaged layout gives, so that a hostile edit reaches the
// parsers instead of the integrity check.
void FixCrcs(std::string& b, const std::string& layout) {
    std::size_t ext = static_cast<std::size_t>(Get(layout, 32, 4));
    std::size_t pos = static_cast<std::size_t>(Get(layout, 36, 8));
    while (pos > 48 + ext) {
        std::size_t size = static_cast<std::size_t>(Get(layout, pos - 16, 8));
        Put(b, pos - 4, Crc(b, pos - size, pos - 4), 4);
        pos -= size;
    }
    Put(b, 44 + ext, Crc(b, 0, 44 + ext), 4);
}

// Offset of the first section's body in a file written without header texts.
std::size_t BodyStart(const std::string& b) {
    return 48 + static_cast<std::size_t>(Get(b, 32, 4)) + 16;
}

std::string MakeBinary(const ScratchDir& dir, bool encrypted, bool withExtension) {
    std::string path = dir.File("src.qel");
    KQel w;
    EXPECT_TRUE(w.ProjectCreate(path.c_str(), true, encrypted, nullptr));
    w.FieldWriteBegin("A");
    w.FieldWriteI(7);
    w.FieldWriteC("Model::Cube");
    w.FieldWriteBlockBegin();
    w.FieldWriteBegin("B");
    w.FieldWriteD(1.5);
    w.FieldWriteEnd();
    w.FieldWriteBlockEnd();
    w.FieldWriteEnd();
    w.ProjectCloseSection();
    if (withExtension) {
        w.ProjectCreateExtensionSection(false);
        w.FieldWriteBegin("Summary");
        w.FieldWriteI(1);
        w.FieldWriteEnd();
    }
    EXPECT_TRUE(w.ProjectClose());
    return ReadFile(path);
}

// Opens the bytes and walks everything a reader could reach.
bool OpenAndWalk(const std::string& path, KQel& q) {
    if (!q.ProjectOpen(path.c_str(), false, true, nullptr)) return false;
    for (int s = -1; s < q.ProjectGetExtensionSectionCount(); ++s) {
        if (!(s < 0 ? q.ProjectOpenMainSection() : q.ProjectOpenExtensionSection(s))) continue;
        const char* names[] = {"A", "Summary"};
        for (const char* name : names) {
            while (q.FieldReadBegin(name)) {
                while (q.FieldReadGetRemain() > 0) q.FieldReadC();
                if (q.FieldReadBlockBegin()) {
                    q.FieldReadD("B", 0.0);
                    q.FieldReadBlockEnd();
                }
                q.FieldReadEnd();
            }
        }
        q.ProjectCloseSection();
    }
    return true;
}

// Section CRCs are the standard CRC-32 (as zlib computes it) for bodies of
// every length around the sizes the checksum is computed in pieces of, and
// of bodies that the writer's buffer and the reader's window take in several
// pieces (a sum carried from one piece to the next).
TEST(KQelRobustTest, SectionChecksumsAreStandardCrc32) {
    ScratchDir dir;
    const std::string path = dir.File("crc.qel");
    std::string bytes(2200000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 13);
    std::vector<std::size_t> sizes;
    for (std::size_t n = 0; n < 300; ++n) sizes.push_back(n);
    for (std::size_t n : {383, 384, 385, 511, 512, 513, 783, 4095, 4096, 65535, 65536, 65537, 299999, 1048575,
                          1048576 + 129, 2 * 1048576 + 77})
        sizes.push_back(n);
    for (std::size_t n : sizes) {
        KQel w;
        ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, false, nullptr));
        w.FieldWriteBegin("R");
        w.FieldWriteR(bytes.data() + n % 7, static_cast<kUInt>(n));
        w.FieldWriteEnd();
        ASSERT_TRUE(w.ProjectClose());
        const std::string file = ReadFile(path);
        const std::size_t end = static_cast<std::size_t>(Get(file, 36, 8));
        const std::size_t start = end - static_cast<std::size_t>(Get(file, end - 16, 8));
        ASSERT_EQ(Get(file, end - 4, 4), Crc(file, start, end - 4)) << n;
        KQel r;
        ASSERT_TRUE(r.ProjectOpen(path.c_str(), false, true, nullptr)) << n;
    }
}

TEST(KQelRobustTest, EveryFlippedByteIsReportedAsCorrupted) {
    for (bool encrypted : {false, true}) {
        ScratchDir dir;
        const std::string good = MakeBinary(dir, encrypted, true);
        std::string path = dir.File("bad.qel");
        for (std::size_t i = 0; i < good.size(); ++i) {
            std::string bad = good;
            bad[i] = static_cast<char>(bad[i] ^ 0x10);
            WriteFile(path, bad);
            KQel q;
            EXPECT_FALSE(q.ProjectOpen(path.c_str(), false, true, nullptr)) << "byte " << i;
            EXPECT_EQ(q.GetLastErrorID(), 0) << "byte " << i;
            EXPECT_STREQ(q.GetLastErrorString(), "File is corrupted");
        }
    }
}

TEST(KQelRobustTest, EveryTruncationIsReportedAsCorrupted) {
    ScratchDir dir;
    const std::string good = MakeBinary(dir, false, true);
    std::string path = dir.File("cut.qel");
    for (std::size_t n = 0; n < good.size(); ++n) {
        WriteFile(path, good.substr(0, n));
        KQel q;
        EXPECT_FALSE(q.ProjectOpen(path.c_str(), false, true, nullptr)) << n;
        EXPECT_EQ(q.GetLastErrorID(), 0) << n;
    }
}

TEST(KQelRobustTest, BytesPastTheCommittedLengthAreIgnored) {
    ScratchDir dir;
    std::string bytes = MakeBinary(dir, false, true) + "half-written section";
    std::string path = dir.File("tail.qel");
    WriteFile(path, bytes);
    KQel q;
    ASSERT_TRUE(q.ProjectOpen(path.c_str(), false, false, nullptr));
    EXPECT_EQ(q.ProjectGetExtensionSectionCount(), 1);
    ASSERT_TRUE(q.ProjectCreateExtensionSection(false));  // replaces the leftovers
    q.FieldWriteBegin("Summary");
    q.FieldWriteI(2);
    q.FieldWriteEnd();
    ASSERT_TRUE(q.ProjectClose());
    KQel r;
    ASSERT_TRUE(r.ProjectOpen(path.c_str(), false, true, nullptr)) << r.GetLastErrorString();
    EXPECT_EQ(r.ProjectGetExtensionSectionCount(), 2);
}

TEST(KQelRobustTest, NewerLayoutRevisionIsNotSupportedYet) {
    ScratchDir dir;
    std::string bytes = MakeBinary(dir, false, false);
    const std::string layout = bytes;
    bytes[9] = 3;
    FixCrcs(bytes, layout);
    std::string path = dir.File("new.qel");
    WriteFile(path, bytes);
    KQel q;
    EXPECT_FALSE(q.ProjectOpen(path.c_str(), false, true, nullptr));
    EXPECT_EQ(q.GetLastErrorID(), 1);
}

// Edits of a record or of the framing, with CRCs made valid again.
TEST(KQelRobustTest, HostileSizesWithValidChecksAreRefused) {
    ScratchDir dir;
    const std::string good = MakeBinary(dir, false, false);
    const std::size_t body = BodyStart(good);
    // Main body: B's record (D value, name, trailer), null record, A's
    // trailer part... located from the body end instead of hand counts.
    const std::size_t bodyLen = static_cast<std::size_t>(Get(good, good.size() - 112, 8));
    const std::size_t aTrailer = body + bodyLen - 48;  // before the section's null record
    const std::size_t aValues = body;                  // 'I' value, then 'S'
    const std::size_t bTrailer = body + 21 + 9 + 1;    // A's 21 value bytes, B's value and name
    ASSERT_EQ(Get(good, aTrailer + 20, 4), 1u);         // name "A"
    ASSERT_EQ(Get(good, bTrailer, 8), 9u);              // one 'D' value
    ASSERT_EQ(Get(good, bTrailer + 20, 4), 1u);         // name "B"
    struct Edit {
        const char* what;
        std::size_t at;
        std::uint64_t value;
        int size;
        bool opens;  // the framing is intact; the damage shows when reading
    } edits[] = {
        // The main section's top level is walked when the file opens.
        {"name length beyond the scope", aTrailer + 20, 0xffffffffu, 4, false},
        {"value bytes beyond the scope", aTrailer, 0x7fffffffffffffffULL, 8, false},
        {"block smaller than a null record", aTrailer + 8, 5, 8, false},
        {"more values than bytes", aTrailer + 16, 1000, 4, false},
        {"empty name", aTrailer + 20, 0, 4, false},
        {"null record not null", body + bodyLen - 3, 1, 1, false},
        // Blocks and values are checked when they are read.
        {"nested name length beyond its block", bTrailer + 20, 0x10000u, 4, true},
        {"nested value bytes beyond its block", bTrailer, 1ull << 62, 8, true},
        {"unknown value type", aValues, 'Q', 1, true},
        {"string longer than its field", aValues + 6, 0x7ffffff0u, 4, true},
        {"section larger than the file", good.size() - 16, 1ull << 40, 8, false},
        {"body length disagrees", good.size() - 112, 3, 8, false},
        {"extended header larger than the file", 32, 0x00ffffffu, 4, false},
        {"committed length beyond the file", 36, 1ull << 33, 8, false},
        {"unknown section flag", good.size() - 104, 0x80, 4, false},
        {"unknown section kind", body - 12, 7, 4, false},
    };
    std::string path = dir.File("hostile.qel");
    for (const Edit& e : edits) {
        std::string bad = good;
        Put(bad, e.at, e.value, e.size);
        FixCrcs(bad, good);
        WriteFile(path, bad);
        KQel q;
        bool opened = OpenAndWalk(path, q);
        EXPECT_EQ(opened, e.opens) << e.what;
        EXPECT_EQ(q.GetLastErrorID(), 0) << e.what;
    }
}

// Makes writes past a file size fail (as a full disk would) while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        mOldHandler = signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &mOld);
        struct rlimit limit = mOld;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &mOld);
        signal(SIGXFSZ, mOldHandler);
    }

private:
    struct rlimit mOld;
    void (*mOldHandler)(int);
};

void WriteMany(KQel& q, int fields) {
    for (int i = 0; i < fields; ++i) {
        q.FieldWriteBegin("Data");
        for (int j = 0; j < 16; ++j) q.FieldWriteD(i + j);
        q.FieldWriteEnd();
    }
}

// Runs edited, CRCs made valid again: an error 0, never a read out of
// bounds or an allocation the file cannot back. A field whose count passes
// what single values could hold is checked while its scope is indexed (for
// the main section's top level, when the file opens); others when read.
TEST(KQelRobustTest, HostileRunsAreDamagedFields) {
    ScratchDir dir;
    const std::string path = dir.File("runs.qel");
    {
        KQel w;
        w.SetDeflateRuns(true);
        ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, false, nullptr));
        w.FieldWriteBegin("V");  // 100 integers stored in 1 byte each
        for (int k = 0; k < 100; ++k) w.FieldWriteI(k);
        w.FieldWriteEnd();
        w.FieldWriteBegin("Z");  // 4096 doubles stored in 4 bytes each, deflated
        for (int k = 0; k < 4096; ++k) w.FieldWriteD(k % 16);
        w.FieldWriteEnd();
        w.FieldWriteBegin("W");  // 100 doubles stored in 8 bytes each
        for (int k = 0; k < 100; ++k) w.FieldWriteD(k * 0.1);
        w.FieldWriteEnd();
        ASSERT_TRUE(w.ProjectClose());
    }
    const std::string good = ReadFile(path);
    const std::size_t v = BodyStart(good), z = v + 106 + 1 + 24;
    const std::size_t stored = static_cast<std::size_t>(Get(good, z + 6, 4));
    const std::size_t zTrailer = z + 10 + stored + 1, w = zTrailer + 24;
    ASSERT_EQ(good.substr(v, 2), std::string("i\x01"));
    ASSERT_EQ(good.substr(z, 2), std::string("d\x14"));
    ASSERT_EQ(good.substr(w, 2), std::string("d\x08"));
    const struct Edit {
        const char* what;
        const char* field;
        bool opens;
        std::size_t at[2];
        std::uint64_t value[2];
        int size[2];
    } edits[] = {
        {"a run longer than its field", "V", false, {v + 2}, {101}, {4}},
        {"a run of no values", "V", false, {v + 2}, {0}, {4}},
        {"a width the type does not have", "V", false, {v + 1}, {3}, {1}},
        {"unknown storage bits", "V", false, {v + 1}, {0x41}, {1}},
        {"a run letter of no type", "V", false, {v}, {'q'}, {1}},
        {"a run in a file of revision 1", "V", false, {9}, {1}, {1}},
        {"a stream cut short", "Z", false, {z + 6}, {stored - 1}, {4}},
        {"a stream longer than its field", "Z", false, {z + 6}, {stored + 1000000}, {4}},
        {"no stream", "Z", false, {z + 6}, {0}, {4}},
        {"more values than the runs hold", "Z", false, {zTrailer + 16}, {5000}, {4}},
        {"inflating to another size than stated", "Z", true, {z + 2, zTrailer + 16}, {4095, 4095}, {4, 4}},
        {"a damaged stream", "Z", true, {z + 10 + stored / 2}, {Get(good, z + 10 + stored / 2, 1) ^ 0x5a}, {1}},
        {"more values than the field's count", "W", true, {w + 2}, {101}, {4}},
        {"a count whose bytes overflow", "W", true, {w + 2}, {0xffffffffu}, {4}},
        {"a width the type does not have", "W", true, {w + 1}, {2}, {1}},
    };
    const std::string bad = dir.File("bad.qel");
    for (const Edit& e : edits) {
        std::string bytes = good;
        for (int i = 0; i < 2 && e.size[i] > 0; ++i) Put(bytes, e.at[i], e.value[i], e.size[i]);
        FixCrcs(bytes, good);
        WriteFile(bad, bytes);
        KQel q;
        const bool opened = q.ProjectOpenDirect(bad.c_str(), false, true, nullptr);
        EXPECT_EQ(opened, e.opens) << e.what;
        EXPECT_EQ(q.GetLastErrorID(), e.opens ? -1 : 0) << e.what;
        if (!opened) continue;
        ASSERT_TRUE(q.FieldReadBegin(e.field)) << e.what;
        std::vector<double> values(static_cast<std::size_t>(q.FieldReadGetCount()));
        EXPECT_LT(q.FieldReadDn(values.data(), static_cast<unsigned>(values.size())), values.size()) << e.what;
        while (q.FieldReadGetRemain() > 0) q.FieldReadD();
        EXPECT_EQ(q.GetLastErrorID(), 0) << e.what;
    }
}

TEST(KQelRobustTest, AFailedWriteLeavesNoFileAndIsReported) {
    ScratchDir dir;
    std::string path = dir.File("full.qel");
    WriteFile(path, "the previous file");
    {
        FileSizeLimit limit(1 << 20);
        KQel w;
        ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, false, nullptr));
        WriteMany(w, 20000);  // about 3 MB
        EXPECT_FALSE(w.ProjectClose());
        EXPECT_EQ(w.GetLastErrorID(), 8);
    }
    EXPECT_EQ(ReadFile(path), "the previous file");  // not replaced by a broken file
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(KQelRobustTest, AFailedAppendLeavesTheFileAsItWas) {
    ScratchDir dir;
    std::string path = dir.File("append.qel");
    {
        KQel w;
        ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, false, nullptr));
        WriteMany(w, 100);
        ASSERT_TRUE(w.ProjectClose());
    }
    const std::string before = ReadFile(path);
    {
        FileSizeLimit limit(before.size() + 4096);
        KQel u;
        ASSERT_TRUE(u.ProjectOpen(path.c_str(), false, false, nullptr));
        ASSERT_TRUE(u.ProjectCreateExtensionSection(false));
        WriteMany(u, 20000);
        EXPECT_FALSE(u.ProjectCloseSection());
        EXPECT_EQ(u.GetLastErrorID(), 8);
        EXPECT_EQ(u.ProjectGetExtensionSectionCount(), 0);
    }
    EXPECT_TRUE(ReadFile(path) == before);
    KQel r;
    ASSERT_TRUE(r.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    EXPECT_EQ(r.FieldGetInstanceCount("Data"), 100);
}

// Discarding keeps whatever stood at the final name and leaves nothing
// else behind, for a created text or binary file and for an append.
TEST(KQelRobustTest, DiscardLeavesTheDirectoryAsItWas) {
    for (bool binary : {true, false}) {
        ScratchDir dir;
        std::string path = dir.File("keep.qel");
        WriteFile(path, "the previous file");
        KQel w;
        ASSERT_TRUE(w.ProjectCreate(path.c_str(), binary, false, nullptr));
        WriteMany(w, 100);
        EXPECT_TRUE(w.ProjectDiscard());
        EXPECT_FALSE(w.ProjectIsOpen());
        EXPECT_FALSE(w.ProjectDiscard());
        EXPECT_EQ(w.GetLastErrorID(), 3);
        EXPECT_EQ(ReadFile(path), "the previous file");
        int files = 0;
        for (auto& e : std::filesystem::directory_iterator(dir.Path())) {
            (void)e;
            ++files;
        }
        EXPECT_EQ(files, 1);
    }
    ScratchDir dir;
    std::string path = dir.File("append.qel");
    {
        KQel w;
        ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, false, nullptr));
        WriteMany(w, 10);
        ASSERT_TRUE(w.ProjectClose());
    }
    const std::string before = ReadFile(path);
    KQel u;
    ASSERT_TRUE(u.ProjectOpen(path.c_str(), false, false, nullptr));
    ASSERT_TRUE(u.ProjectCreateExtensionSection(false));
    WriteMany(u, 10);
    EXPECT_TRUE(u.ProjectDiscard());
    EXPECT_TRUE(ReadFile(path) == before);
}

TEST(KQelRobustTest, PasswordCostFromTheFileIsBounded) {
    ScratchDir dir;
    std::string path = dir.File("pw.qel");
    KQel w;
    ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, true, nullptr));
    w.WritePassword("pw");
    ASSERT_TRUE(w.ProjectClose());
    std::string bytes = ReadFile(path);
    const std::string layout = bytes;
    Put(bytes, bytes.size() - 100, 0xffffffffu, 4);  // iterations
    FixCrcs(bytes, layout);
    WriteFile(path, bytes);
    KQel q;
    EXPECT_FALSE(q.ProjectOpen(path.c_str(), false, true, nullptr));
    EXPECT_EQ(q.GetLastErrorID(), 0);
}

TEST(KQelRobustTest, MalformedTextIsReportedAsCorrupted) {
    const char* texts[] = {
        "",
        "; QEL text fil",
        "; QEL text file\n",
        "; QEL text file\nA: 1\n",                        // no header block
        "; QEL text file\nQelHeader: {\n}\n",               // no version
        "; QEL text file\nQelHeader: {\nVersion: 6000\n",  // block not closed
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\n}\n",
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\nA: \"open\n",
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\nA: 1 2\n",
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\nA: 1,\n",
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\nA: 1,,2\n",
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\nA 1\n",
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\n\"\": 1\n",
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\nA: #abc\n",
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\nA: 'x\n",
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\n: 1\n",
        // Long lists of bare numbers are counted many bytes at a time.
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\nA: 1,2,3,4,5,6,7,8,9,10,11,12,,13,14,15,16,17,18,19\n",
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\nA: 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,\n",
        "; QEL text file\nQelHeader: {\nVersion: 6000\n}\nA: 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,B: 1\n",
    };
    ScratchDir dir;
    std::string path = dir.File("t.qel");
    for (const char* text : texts) {
        WriteFile(path, text);
        KQel q;
        EXPECT_FALSE(q.ProjectOpen(path.c_str(), false, true, nullptr)) << text;
        EXPECT_EQ(q.GetLastErrorID(), 0) << text;
    }
}

TEST(KQelRobustTest, HandWrittenTextIsRead) {
    ScratchDir dir;
    std::string path = dir.File("t.qel");
    WriteFile(path,
             "; QEL text file, written by hand\r\n"
             "QelHeader: { Version: 6000 }\r\n"
             "List: 1, 2,\r\n   3 ; a comment\r\n"
             "Long: 0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,\r\n"
             "\t30,31,32,33,34,35,36,37,38,39,4e1,'x',\"42\",43,#2c,45,46,47,48,49,50,51,52,53,54,55,56\r\n"
             "Word: Hello, \"x\\x41y\", '\\n', inf, -2.5e-3, 99999999999\r\n"
             "Empty:\r\n"
             "Last: {Inner: Y}\r\n");
    KQel q;
    ASSERT_TRUE(q.ProjectOpenDirect(path.c_str(), false, true, nullptr)) << q.GetLastErrorString();
    ASSERT_TRUE(q.FieldReadBegin("List"));
    EXPECT_EQ(q.FieldReadGetCount(), 3);
    EXPECT_EQ(q.FieldReadI() + q.FieldReadI() + q.FieldReadI(), 6);
    q.FieldReadEnd();
    ASSERT_TRUE(q.FieldReadBegin("Long"));
    EXPECT_EQ(q.FieldReadGetCount(), 57);
    for (int i = 0; i < 57; ++i) {
        const char type = i == 41 ? 'C' : i == 42 ? 'S' : i == 44 ? 'R' : i == 40 ? 'D' : 'I';
        EXPECT_EQ(q.FieldReadGetType(), type) << i;
        if (type == 'R') {
            kUInt size = 0;
            ASSERT_TRUE(q.FieldReadRBegin(&size));
            char byte = 0;
            EXPECT_EQ(q.FieldReadRPart(&byte, 1), 1u);
            EXPECT_EQ(byte, ',');
            q.FieldReadREnd();
        } else if (type != 'C') {
            EXPECT_EQ(q.FieldReadI(), i) << i;
        } else {
            EXPECT_EQ(q.FieldReadCH(), 'x');
        }
    }
    q.FieldReadEnd();
    ASSERT_TRUE(q.FieldReadBegin("Word"));
    EXPECT_EQ(q.FieldReadGetType(), 'S');
    EXPECT_STREQ(q.FieldReadC(), "Hello");
    EXPECT_STREQ(q.FieldReadC(), "xAy");
    EXPECT_EQ(q.FieldReadGetType(), 'C');
    EXPECT_EQ(q.FieldReadCH(), '\n');
    EXPECT_EQ(q.FieldReadGetType(), 'D');
    EXPECT_EQ(q.FieldReadD(), HUGE_VAL);
    EXPECT_EQ(q.FieldReadD(), -2.5e-3);
    EXPECT_EQ(q.FieldReadGetType(), 'L');
    EXPECT_EQ(q.FieldReadI(), 2147483647);  // clamped, not wrapped
    q.FieldReadEnd();
    ASSERT_TRUE(q.FieldReadBegin("Empty"));
    EXPECT_EQ(q.FieldReadGetCount(), 0);
    q.FieldReadEnd();
    ASSERT_TRUE(q.FieldReadBegin("Last"));
    ASSERT_TRUE(q.FieldReadBlockBegin());
    EXPECT_EQ(q.FieldReadCH("Inner", 0), 'Y');
}

// A list running to the very last byte of a large text file, with no line
// end after it, reads whole and stops there, for file sizes on and beside a
// page boundary.
TEST(KQelRobustTest, TextEndingInANumberReadsWhole) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const int count = 30000;  // dozens of pages
    std::string list = "List: ";
    for (int i = 0; i < count; ++i) list += std::to_string(i) + ",";
    const std::string head = "; QEL text file\nQelHeader: { Version: 6000 }\n";
    ScratchDir dir;
    const std::string path = dir.File("t.qel");
    for (const std::string last : {"123456", "-2.5"}) {
        for (const std::size_t past : {std::size_t(0), std::size_t(1), page - 1}) {
            SCOPED_TRACE(last + " at " + std::to_string(past) + " past a page");
            // A comment line sizes the file: ';', k bytes, a line end.
            const std::size_t base = head.size() + 2 + list.size() + last.size();
            const std::size_t k = (past + page - base % page) % page;
            WriteFile(path, head + ";" + std::string(k, 'x') + "\n" + list + last);
            ASSERT_EQ(ReadFile(path).size() % page, past);
            KQel q;
            ASSERT_TRUE(q.ProjectOpenDirect(path.c_str(), false, true, nullptr)) << q.GetLastErrorString();
            ASSERT_TRUE(q.FieldReadBegin("List"));
            ASSERT_EQ(q.FieldReadGetCount(), count + 1);
            std::vector<double> values(count + 1, -1.0);
            ASSERT_EQ(q.FieldReadDn(values.data(), count + 1), static_cast<unsigned>(count + 1));
            for (int i = 0; i < count; ++i) ASSERT_EQ(values[i], i);
            EXPECT_EQ(values[count], std::atof(last.c_str()));
        }
    }
}

// Long lists are counted many bytes at a time; the counts must stay exact
// over thousands of one-digit values (a ',' every other byte), across
// piece ends and after values of other shapes.
TEST(KQelRobustTest, LongListsOfNumbersAreCountedExactly) {
    struct Case {
        int count;
        const char* value;  // written count times, each followed by ','
    };
    const Case cases[] = {
        {2, "7"},     {17, "7"},      {33, "7"},   {64, "7"},      {2015, "7"}, {2016, "7"},
        {2017, "7"},  {4100, "7"},    {20000, "7"}, {5000, "-1.5"}, {3000, "123456789"},
    };
    const std::string head = "; QEL text file\nQelHeader: { Version: 6000 }\n";
    ScratchDir dir;
    const std::string path = dir.File("t.qel");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " x " + c.value);
        std::string list = "List: ";
        for (int i = 0; i < c.count; ++i) list += std::string(c.value) + ",";
        WriteFile(path, head + list + "9\nNext: 1\n");
        KQel q;
        ASSERT_TRUE(q.ProjectOpenDirect(path.c_str(), false, true, nullptr)) << q.GetLastErrorString();
        ASSERT_TRUE(q.FieldReadBegin("List"));
        ASSERT_EQ(q.FieldReadGetCount(), c.count + 1);
        std::vector<double> values(c.count + 1, 0.0);
        ASSERT_EQ(q.FieldReadDn(values.data(), c.count + 1), static_cast<unsigned>(c.count + 1));
        for (int i = 0; i < c.count; ++i) ASSERT_EQ(values[i], std::atof(c.value)) << i;
        EXPECT_EQ(values[c.count], 9.0);
        q.FieldReadEnd();
        EXPECT_EQ(q.FieldReadI("Next", 0), 1);
    }
}

// An empty value (",,") is an error wherever it falls in a long list: at
// the start of a piece, inside one, or across two.
TEST(KQelRobustTest, AnEmptyValueInALongListIsCorrupted) {
    const std::string head = "; QEL text file\nQelHeader: { Version: 6000 }\nList: ";
    std::string list;
    for (int i = 0; i < 150; ++i) list += std::to_string(i % 10) + ",";
    ScratchDir dir;
    const std::string path = dir.File("t.qel");
    for (std::size_t at = 1; at < 200; at += 2) {
        SCOPED_TRACE(at);
        std::string text = list;
        text.insert(at, ",");
        WriteFile(path, head + text + "9\n");
        KQel q;
        EXPECT_FALSE(q.ProjectOpen(path.c_str(), false, true, nullptr));
        EXPECT_EQ(q.GetLastErrorID(), 0);
    }
}

// A large text file is read in pieces as it is parsed: a value or a
// comment that crosses from one piece to the next reads whole.
TEST(KQelRobustTest, ValuesAcrossTheEndOfAReadPieceReadWhole) {
    struct Case {
        const char* value;  // as written
        char type;
        const char* text;   // what FieldReadC gives, or the number
    };
    const Case cases[] = {
        {"\"quoted, with \\\" an escape\"", 'S', "quoted, with \" an escape"},
        {"Hello", 'S', "Hello"},
        {"123456789", 'I', "123456789"},
        {"-2.5e-3", 'D', "-0.0025"},
        {"#0a0b0c0d", 'R', "\x0a\x0b\x0c\x0d"},
        {"5 ; a comment between the value and its comma\n", 'I', "5"},
    };
    const std::string head = "; QEL text file\nQelHeader: { Version: 6000 }\n";
    ScratchDir dir;
    const std::string path = dir.File("t.qel");
    for (const std::size_t boundary : {std::size_t(1) << 20, std::size_t(1) << 21}) {
        for (const Case& c : cases) {
            for (const std::size_t before : {std::size_t(1), std::size_t(2), std::size_t(5)}) {
                SCOPED_TRACE(std::string(c.value) + ", " + std::to_string(before) + " bytes before " +
                             std::to_string(boundary));
                // A comment line places the value: ';', k bytes, a line end.
                const std::string field = "Field: ";
                const std::size_t k = boundary - before - head.size() - 2 - field.size();
                WriteFile(path, head + ";" + std::string(k, 'x') + "\n" + field + c.value + ", 7\nNext: 1\n");
                KQel q;
                ASSERT_TRUE(q.ProjectOpenDirect(path.c_str(), false, true, nullptr)) << q.GetLastErrorString();
                ASSERT_TRUE(q.FieldReadBegin("Field"));
                ASSERT_EQ(q.FieldReadGetCount(), 2);
                ASSERT_EQ(q.FieldReadGetType(), c.type);
                if (c.type == 'S') {
                    EXPECT_STREQ(q.FieldReadC(), c.text);
                } else if (c.type == 'R') {
                    kUInt size = 0;
                    ASSERT_TRUE(q.FieldReadRBegin(&size));
                    char bytes[8] = {};
                    EXPECT_EQ(q.FieldReadRPart(bytes, sizeof bytes), 4u);
                    EXPECT_EQ(std::string(bytes, 4), c.text);
                    q.FieldReadREnd();
                } else {
                    EXPECT_EQ(q.FieldReadD(), std::atof(c.text));
                }
                EXPECT_EQ(q.FieldReadI(), 7);
                q.FieldReadEnd();
                EXPECT_EQ(q.FieldReadI("Next", 0), 1);
            }
        }
    }
}

TEST(KQelRobustTest, DeepNestingNeedsNoRecursion) {
    const int depth = 100000;
    std::string text = "; QEL text file\nQelHeader: {\nVersion: 6000\n}\n";
    for (int i = 0; i < depth; ++i) text += "A: {";
    text += "Leaf: 42";
    for (int i = 0; i < depth; ++i) text += "}";
    ScratchDir dir;
    std::string path = dir.File("deep.qel");
    WriteFile(path, text);
    KQel q;
    ASSERT_TRUE(q.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    int entered = 0;
    while (q.FieldReadBegin("A") && q.FieldReadBlockBegin()) ++entered;
    EXPECT_EQ(entered, depth);
    EXPECT_EQ(q.FieldReadI("Leaf", 0), 42);
}

}  // namespace
}  // namespace qelsdk_600
