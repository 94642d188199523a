// Round trips and reading rules of the field file in its three forms.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "common/scratch_dir.h"
#include "file/kqel.h"

namespace qelsdk_600 {
namespace {

using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;

enum FormKind { kText = 0, kBinary = 1, kEnciphered = 2 };

bool Create(KQel& q, const std::string& path, int form) {
    return q.ProjectCreate(path.c_str(), form != kText, form == kEnciphered, nullptr);
}

const char kAwkward[] = "quote \" back \\ line\nbreak\ttab \x01\x7f high \xc3\xa9 ; {x}, :";
const unsigned char kRaw[] = {0, 1, 2, 0xff, 0x80, '"', '\n', 0};

// Four levels holding every kind of value.
void WriteDocument(KQel& q) {
    q.WriteComments("a document\nof four levels");
    q.FieldWriteBegin("Doc");
    q.FieldWriteC("Model::Cube");
    q.FieldWriteCH('x');
    q.FieldWriteBlockBegin();
    {
        q.FieldWriteBegin("Numbers");
        q.FieldWriteI(-2147483647 - 1);
        q.FieldWriteLL(9007199254740993LL);
        q.FieldWriteF(0.1f);
        q.FieldWriteD(0.1 + 0.2);
        q.FieldWriteD(-1e300);
        q.FieldWriteD(INFINITY);
        q.FieldWriteBlockBegin();
        {
            q.FieldWriteBegin("Texts");
            q.FieldWriteC(kAwkward);
            q.FieldWriteC("");
            q.FieldWriteC("a::b::c");
            q.FieldWriteCH(',');
            q.FieldWriteCH('7');
            q.FieldWriteCH('\'');
            q.FieldWriteBlockBegin();
            {
                q.FieldWriteBegin("Times");
                q.FieldWriteT(KTime(123456789012LL));
                q.FieldWriteTS(KTimeSpan(KTime(-5), KTime(KTime::kInfiniteTicks)));
                q.FieldWriteR(kRaw, sizeof kRaw);
                q.FieldWriteR(nullptr, 0);
                q.FieldWriteEnd();
                q.FieldWriteBegin("Empty");
                q.FieldWriteEnd();
            }
            q.FieldWriteBlockEnd();
            q.FieldWriteEnd();
        }
        q.FieldWriteBlockEnd();
        q.FieldWriteEnd();
    }
    q.FieldWriteBlockEnd();
    q.FieldWriteEnd();
    for (int i = 1; i <= 3; ++i) {
        q.FieldWriteBegin("Multi");
        q.FieldWriteI(i);
        q.FieldWriteEnd();
    }
}

void CheckDocument(KQel& q) {
    ASSERT_TRUE(q.FieldReadBegin("Doc"));
    EXPECT_STREQ(q.FieldReadC(), "Model::Cube");
    EXPECT_EQ(q.FieldReadCH(), 'x');
    ASSERT_TRUE(q.FieldReadBlockBegin());
    ASSERT_TRUE(q.FieldReadBegin("Numbers"));
    EXPECT_EQ(q.FieldReadGetCount(), 6);
    EXPECT_EQ(q.FieldReadI(), -2147483647 - 1);
    EXPECT_EQ(q.FieldReadLL(), 9007199254740993LL);
    EXPECT_EQ(q.FieldReadF(), 0.1f);
    EXPECT_EQ(q.FieldReadD(), 0.1 + 0.2);
    EXPECT_EQ(q.FieldReadD(), -1e300);
    EXPECT_EQ(q.FieldReadD(), INFINITY);
    ASSERT_TRUE(q.FieldReadBlockBegin());
    ASSERT_TRUE(q.FieldReadBegin("Texts"));
    EXPECT_STREQ(q.FieldReadC(), kAwkward);
    EXPECT_STREQ(q.FieldReadC(), "");
    EXPECT_STREQ(q.FieldReadC(), "a::b::c");
    EXPECT_EQ(q.FieldReadCH(), ',');
    EXPECT_EQ(q.FieldReadCH(), '7');
    EXPECT_EQ(q.FieldReadCH(), '\'');
    ASSERT_TRUE(q.FieldReadBlockBegin());
    ASSERT_TRUE(q.FieldReadBegin("Times"));
    EXPECT_EQ(q.FieldReadT().Get(), 123456789012LL);
    KTimeSpan span = q.FieldReadTS();
    EXPECT_EQ(span.GetStart().Get(), -5);
    EXPECT_EQ(span.GetStop().Get(), KTime::kInfiniteTicks);
    kUInt size = 99;
    ASSERT_TRUE(q.FieldReadRBegin(&size));
    ASSERT_EQ(size, sizeof kRaw);
    unsigned char raw[sizeof kRaw + 4] = {};
    EXPECT_EQ(q.FieldReadRPart(raw, 3), 3u);
    EXPECT_EQ(q.FieldReadRPart(raw + 3, 100), sizeof kRaw - 3);
    EXPECT_EQ(q.FieldReadRPart(raw, 100), 0u);
    EXPECT_EQ(std::memcmp(raw, kRaw, sizeof kRaw), 0);
    ASSERT_TRUE(q.FieldReadRBegin(&size));
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(q.FieldReadGetRemain(), 0);
    q.FieldReadEnd();
    ASSERT_TRUE(q.FieldReadBegin("Empty"));
    EXPECT_EQ(q.FieldReadGetCount(), 0);
    EXPECT_FALSE(q.FieldReadBlockBegin());
    q.FieldReadEnd();
    q.FieldReadBlockEnd();
    q.FieldReadEnd();
    q.FieldReadBlockEnd();
    q.FieldReadEnd();
    q.FieldReadBlockEnd();
    q.FieldReadEnd();
    EXPECT_EQ(q.FieldReadI("Multi", 0), 1);
    EXPECT_EQ(q.FieldReadI("Multi", 0), 2);
    EXPECT_EQ(q.FieldReadI("Multi", 0), 3);
    EXPECT_EQ(q.FieldReadI("Multi", -1), -1);
}

class FormTest : public ::testing::TestWithParam<int> {};

TEST_P(FormTest, FourLevelDocumentRoundTripsAndFormIsReportedFromTheFile) {
    ScratchDir dir;
    std::string path = dir.File("doc.qel");
    KQel w;
    ASSERT_TRUE(Create(w, path, GetParam()));
    WriteDocument(w);
    ASSERT_TRUE(w.ProjectCloseSection());
    ASSERT_TRUE(w.ProjectClose());
    EXPECT_EQ(w.GetLastErrorID(), -1) << w.GetLastErrorString();

    KQel r;
    KQelFileHeaderInfo header;
    ASSERT_TRUE(r.ProjectOpen(path.c_str(), false, false, &header)) << r.GetLastErrorString();
    int form = r.IsEncrypted() ? 2 : (r.IsBinary() ? 1 : 0);
    EXPECT_EQ(form, GetParam());
    EXPECT_EQ(header.mHeaderVersion, 6000);
    EXPECT_EQ(r.ProjectGetCurrentSection(), -1);
    ASSERT_TRUE(r.ProjectOpenMainSection());
    EXPECT_EQ(r.ProjectGetCurrentSection(), 0);
    EXPECT_EQ(r.ProjectGetSectionVersion(0), 6000);
    CheckDocument(r);
    EXPECT_EQ(r.GetLastErrorID(), -1) << r.GetLastErrorString();
    // A second pass over the same section reads the same.
    r.FieldReadResetPosition();
    CheckDocument(r);
    EXPECT_TRUE(r.ProjectClose());
}

TEST_P(FormTest, HeaderRecordRoundTrips) {
    ScratchDir dir;
    std::string path = dir.File("h.qel");
    KQelFileHeaderInfo in;
    in.mHeaderVersion = 5800;
    in.mDefaultRenderResolution = true;
    in.mCameraName = "Producer \"Perspective\"";
    in.mResolutionMode = "Custom";
    in.mResolutionW = 640.5;
    in.mResolutionH = 480;
    in.mCreator = "tests";
    in.mOtherFlag = true;
    KQel w;
    ASSERT_TRUE(w.ProjectCreate(path.c_str(), GetParam() != kText, GetParam() == kEnciphered, &in));
    EXPECT_GT(in.mCreationTimeStamp.mYear, 2000);
    ASSERT_TRUE(w.ProjectClose());

    KQel r;
    KQelFileHeaderInfo out;
    ASSERT_TRUE(r.ProjectOpen(path.c_str(), false, true, &out));
    EXPECT_EQ(out.mHeaderVersion, 5800);
    EXPECT_EQ(r.GetHeaderVersion(), 5800);
    EXPECT_TRUE(out.mDefaultRenderResolution);
    EXPECT_STREQ(out.mCameraName.Buffer(), "Producer \"Perspective\"");
    EXPECT_STREQ(out.mResolutionMode.Buffer(), "Custom");
    EXPECT_EQ(out.mResolutionW, 640.5);
    EXPECT_EQ(out.mResolutionH, 480.0);
    EXPECT_STREQ(out.mCreator.Buffer(), "tests");
    EXPECT_TRUE(out.mOtherFlag);
    EXPECT_EQ(out.mCreationTimeStamp.mYear, in.mCreationTimeStamp.mYear);
    EXPECT_EQ(out.mCreationTimeStamp.mMillisecond, in.mCreationTimeStamp.mMillisecond);
}

TEST_P(FormTest, OtherHeaderVersionsBecome6000) {
    ScratchDir dir;
    std::string path = dir.File("v.qel");
    KQelFileHeaderInfo in;
    in.mHeaderVersion = 7000;
    KQel w;
    ASSERT_TRUE(w.ProjectCreate(path.c_str(), GetParam() != kText, GetParam() == kEnciphered, &in));
    EXPECT_EQ(in.mHeaderVersion, 6000);
    EXPECT_EQ(w.ProjectGetSectionVersion(0), 6000);
}

TEST_P(FormTest, NoFinalFileBeforeProjectClose) {
    ScratchDir dir;
    std::string path = dir.File("late.qel");
    KQel w;
    ASSERT_TRUE(Create(w, path, GetParam()));
    w.FieldWriteBegin("A");
    w.FieldWriteI(1);
    w.FieldWriteEnd();
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(w.ProjectClose());
    EXPECT_TRUE(std::filesystem::exists(path));
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);  // the temporary name is gone
}

TEST_P(FormTest, UnclosedFieldAndBlockAreClosedWithError10) {
    ScratchDir dir;
    std::string path = dir.File("open.qel");
    KQel w;
    ASSERT_TRUE(Create(w, path, GetParam()));
    w.FieldWriteBegin("First");
    w.FieldWriteI(1);
    w.FieldWriteBegin("Second");  // First is still open
    EXPECT_EQ(w.GetLastErrorID(), 10);
    EXPECT_STREQ(w.GetLastErrorString(), "Begin Field error last field not closed");
    w.FieldWriteI(2);
    w.FieldWriteBlockBegin();
    w.FieldWriteBegin("Inner");
    w.FieldWriteI(3);
    ASSERT_TRUE(w.ProjectClose());  // closes Inner, the block and Second

    KQel r;
    ASSERT_TRUE(r.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    EXPECT_EQ(r.FieldReadI("First", 0), 1);
    ASSERT_TRUE(r.FieldReadBegin("Second"));
    EXPECT_EQ(r.FieldReadI(), 2);
    ASSERT_TRUE(r.FieldReadBlockBegin());
    EXPECT_EQ(r.FieldReadI("Inner", 0), 3);
}

INSTANTIATE_TEST_SUITE_P(AllForms, FormTest, ::testing::Values(kText, kBinary, kEnciphered));

// ---- Reading rules ----

class ReadingTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        mPath = mDir.File("r.qel");
        KQel w;
        ASSERT_TRUE(Create(w, mPath, GetParam()));
        const char* names[] = {"B", "A", "B", "C", "A", "B"};
        for (int i = 0; i < 6; ++i) {
            w.FieldWriteBegin(names[i]);
            w.FieldWriteI(i);
            w.FieldWriteD(i + 0.5);
            w.FieldWriteEnd();
        }
        ASSERT_TRUE(w.ProjectClose());
        ASSERT_TRUE(mQel.ProjectOpenDirect(mPath.c_str(), false, true, nullptr));
    }
    ScratchDir mDir;
    std::string mPath;
    KQel mQel;
};

TEST_P(ReadingTest, NamesReadInAnyOrderWalkTheirInstancesInFileOrder) {
    EXPECT_EQ(mQel.FieldGetInstanceCount("B"), 3);
    EXPECT_EQ(mQel.FieldGetInstanceCount("A"), 2);
    EXPECT_EQ(mQel.FieldGetInstanceCount("Z"), 0);
    EXPECT_EQ(mQel.FieldReadI("C", -1), 3);
    EXPECT_EQ(mQel.FieldReadI("B", -1), 0);
    EXPECT_EQ(mQel.FieldReadI("A", -1), 1);
    EXPECT_EQ(mQel.FieldReadI("B", -1), 2);
    EXPECT_EQ(mQel.FieldReadI("A", -1), 4);
    EXPECT_EQ(mQel.FieldReadI("B", -1), 5);
    EXPECT_FALSE(mQel.FieldReadBegin("B"));
    mQel.FieldReadResetPosition();
    EXPECT_EQ(mQel.FieldReadI("B", -1), 0);
    EXPECT_EQ(mQel.FieldReadI("A", -1), 1);
}

TEST_P(ReadingTest, ReadingPastTheEndGivesZeroAndEmptyText) {
    ASSERT_TRUE(mQel.FieldReadBegin("C"));
    EXPECT_EQ(mQel.FieldReadGetRemain(), 2);
    EXPECT_EQ(mQel.FieldReadI(), 3);
    EXPECT_EQ(mQel.FieldReadD(), 3.5);
    EXPECT_EQ(mQel.FieldReadGetRemain(), 0);
    EXPECT_EQ(mQel.FieldReadI(), 0);
    EXPECT_EQ(mQel.FieldReadD(), 0.0);
    EXPECT_EQ(mQel.FieldReadCH(), 0);
    EXPECT_STREQ(mQel.FieldReadC(), "");
    EXPECT_EQ(mQel.FieldReadT().Get(), 0);
    mQel.FieldReadEnd();
    EXPECT_EQ(mQel.GetLastErrorID(), -1);
}

TEST_P(ReadingTest, NoCurrentFieldGivesTypeSAndDefaults) {
    EXPECT_EQ(mQel.FieldReadGetType(), 'S');
    EXPECT_EQ(mQel.FieldReadGetCount(), 0);
    EXPECT_EQ(mQel.FieldReadD(), 0.0);
    EXPECT_STREQ(mQel.FieldReadC("Nope", nullptr), "");
    EXPECT_STREQ(mQel.FieldReadC("Nope", "dflt"), "dflt");
    EXPECT_EQ(mQel.FieldReadD("Nope", 2.5), 2.5);
    EXPECT_EQ(mQel.FieldReadTS("Nope"), KTimeSpan());
    double values[3] = {9, 9, 9};
    const double defaults[3] = {1, 2, 3};
    mQel.FieldReadDn("Nope", values, nullptr, 3);
    EXPECT_EQ(values[0], 9.0);
    mQel.FieldReadDn("Nope", values, defaults, 3);
    EXPECT_EQ(values[2], 3.0);
    mQel.FieldReadDn("C", values, defaults, 3);
    EXPECT_EQ(values[0], 3.0);
    EXPECT_EQ(values[1], 3.5);
    EXPECT_EQ(values[2], 0.0);
}

TEST_P(ReadingTest, ValueTypesAreReported) {
    ASSERT_TRUE(mQel.FieldReadBegin("A"));
    EXPECT_EQ(mQel.FieldReadGetType(), 'I');
    mQel.FieldReadI();
    EXPECT_EQ(mQel.FieldReadGetType(), 'D');
    mQel.FieldReadD();
    EXPECT_EQ(mQel.FieldReadGetType(), 'S');
}

TEST_P(ReadingTest, BeginningAFieldWhileOneIsCurrentEndsItWithError10) {
    ASSERT_TRUE(mQel.FieldReadBegin("A"));
    ASSERT_TRUE(mQel.FieldReadBegin("A"));
    EXPECT_EQ(mQel.GetLastErrorID(), 10);
    EXPECT_EQ(mQel.FieldReadI(), 4);
}

INSTANTIATE_TEST_SUITE_P(AllForms, ReadingTest, ::testing::Values(kText, kBinary, kEnciphered));

// ---- Times ----

TEST(KQelTimeTest, TextTimesAreSecondsInVersion2000AndTicksAbove) {
    ScratchDir dir;
    const struct {
        int version;
        const char* value;
        kLongLong ticks;
    } cases[] = {
        {2000, "1.5", 69279237000LL},
        {2000, "2", 92372316000LL},
        {6000, "46186158000", 46186158000LL},
        {2001, "7", 7},
    };
    for (const auto& c : cases) {
        std::string path = dir.File("t.qel");
        WriteFile(path, std::string("; QEL text file\nQelHeader: {\n Version: ") + std::to_string(c.version) +
                           "\n}\nT: " + c.value + "\n");
        KQel r;
        ASSERT_TRUE(r.ProjectOpenDirect(path.c_str(), false, true, nullptr)) << r.GetLastErrorString();
        EXPECT_EQ(r.ProjectGetSectionVersion(0), c.version);
        EXPECT_EQ(r.FieldReadT("T").Get(), c.ticks) << c.version << " " << c.value;
    }
}

TEST(KQelTimeTest, BinaryTimesOf6000AreTicksOfTypeL) {
    ScratchDir dir;
    std::string path = dir.File("t.qel");
    KQel w;
    ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, false, nullptr));
    w.FieldWriteBegin("T");
    w.FieldWriteT(KTime(3));
    w.FieldWriteD(1.5);  // a double is seconds whatever the version
    w.FieldWriteEnd();
    ASSERT_TRUE(w.ProjectClose());
    KQel r;
    ASSERT_TRUE(r.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(r.FieldReadBegin("T"));
    EXPECT_EQ(r.FieldReadGetType(), 'L');
    EXPECT_EQ(r.FieldReadT().Get(), 3);
    EXPECT_EQ(r.FieldReadT().Get(), 69279237000LL);
}

// ---- Binary encoding ----

TEST(KQelBinaryTest, KindPrefixIsStoredAfterTheName) {
    ScratchDir dir;
    std::string path = dir.File("k.qel");
    KQel w;
    ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, false, nullptr));
    w.FieldWriteBegin("Model");
    w.FieldWriteC("Model::Cube");
    w.FieldWriteEnd();
    ASSERT_TRUE(w.ProjectClose());
    std::string bytes = ReadFile(path);
    EXPECT_NE(bytes.find(std::string("Cube\0\1Model", 11)), std::string::npos);
    EXPECT_EQ(bytes.find("Model::Cube"), std::string::npos);
}

TEST(KQelBinaryTest, EncipheredBytesDifferAndHideTheContents) {
    ScratchDir dir;
    std::string plain = dir.File("p.qel"), secret = dir.File("s.qel");
    for (int form : {kBinary, kEnciphered}) {
        KQel w;
        ASSERT_TRUE(Create(w, form == kBinary ? plain : secret, form));
        w.FieldWriteBegin("MarkerField");
        w.FieldWriteC("VisibleMarkerText");
        w.FieldWriteEnd();
        ASSERT_TRUE(w.ProjectClose());
    }
    std::string a = ReadFile(plain), b = ReadFile(secret);
    EXPECT_NE(a.find("VisibleMarkerText"), std::string::npos);
    EXPECT_EQ(b.find("VisibleMarkerText"), std::string::npos);
    EXPECT_EQ(b.find("MarkerField"), std::string::npos);
    EXPECT_EQ(a.size(), b.size());
    EXPECT_NE(a, b);
}

TEST(KQelBinaryTest, EmbeddedFilesAreStreamedOncePerName) {
    ScratchDir dir;
    std::string media = dir.File("media.bin"), path = dir.File("e.qel");
    std::string content(1500000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + i / 1000);
    WriteFile(media, content);
    KQel w;
    ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, true, nullptr));
    w.FieldWriteBegin("Content");
    EXPECT_TRUE(w.FieldWriteEmbeddedFile(KString(media.c_str()), KString("media.bin")));
    w.FieldWriteEnd();
    w.FieldWriteBegin("Again");
    EXPECT_TRUE(w.FieldWriteEmbeddedFile(KString(media.c_str()), KString("media.bin")));
    w.FieldWriteEnd();
    w.FieldWriteBegin("Missing");
    EXPECT_FALSE(w.FieldWriteEmbeddedFile(KString(dir.File("none").c_str()), KString("none")));
    w.FieldWriteEnd();
    ASSERT_TRUE(w.ProjectClose());

    KQel r;
    ASSERT_TRUE(r.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(r.FieldReadBegin("Content"));
    kUInt size = 0;
    ASSERT_TRUE(r.FieldReadRBegin(&size));
    ASSERT_EQ(size, content.size());
    std::string back;
    char piece[70000];
    while (kUInt n = r.FieldReadRPart(piece, sizeof piece)) back.append(piece, n);
    EXPECT_TRUE(back == content);
    r.FieldReadEnd();
    ASSERT_TRUE(r.FieldReadBegin("Again"));
    EXPECT_EQ(r.FieldReadGetCount(), 0);
    r.FieldReadEnd();

    KQel t;
    ASSERT_TRUE(t.ProjectCreate(dir.File("t.qel").c_str(), false, false, nullptr));
    t.FieldWriteBegin("Content");
    EXPECT_FALSE(t.FieldWriteEmbeddedFile(KString(media.c_str()), KString("media.bin")));
}

// ---- Extension sections ----

void WriteSummary(KQel& q, int value) {
    q.FieldWriteBegin("Summary");
    q.FieldWriteI(value);
    q.FieldWriteEnd();
}

int LastSummary(KQel& q) {
    for (int i = q.ProjectGetExtensionSectionCount() - 1; i >= 0; --i) {
        if (!q.ProjectOpenExtensionSection(i)) return -2;
        int v = q.FieldReadI("Summary", -1);
        q.ProjectCloseSection();
        if (v != -1) return v;
    }
    return -1;
}

TEST(KQelSectionTest, ExtensionSectionsAppendAndOverwrite) {
    for (bool encrypted : {false, true}) {
        ScratchDir dir;
        std::string path = dir.File("x.qel");
        {
            KQel w;
            ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, encrypted, nullptr));
            w.FieldWriteBegin("Main");
            w.FieldWriteI(7);
            w.FieldWriteEnd();
            EXPECT_FALSE(w.ProjectCreateExtensionSection(false));  // main still open
            ASSERT_TRUE(w.ProjectCloseSection());
            ASSERT_TRUE(w.ProjectCreateExtensionSection(false));
            WriteSummary(w, 1);
            ASSERT_TRUE(w.ProjectCloseSection());
            ASSERT_TRUE(w.ProjectClose());
        }
        {
            KQel u;
            ASSERT_TRUE(u.ProjectOpen(path.c_str(), false, false, nullptr));
            EXPECT_EQ(u.ProjectGetExtensionSectionCount(), 1);
            EXPECT_EQ(LastSummary(u), 1);
            ASSERT_TRUE(u.ProjectCreateExtensionSection(false));
            WriteSummary(u, 2);
            ASSERT_TRUE(u.ProjectCloseSection());
            EXPECT_EQ(u.ProjectGetExtensionSectionCount(), 2);
            EXPECT_EQ(LastSummary(u), 2);
            ASSERT_TRUE(u.ProjectClose());
        }
        {
            KQel u;
            ASSERT_TRUE(u.ProjectOpen(path.c_str(), false, false, nullptr)) << u.GetLastErrorString();
            EXPECT_EQ(LastSummary(u), 2);
            ASSERT_TRUE(u.ProjectCreateExtensionSection(true));
            WriteSummary(u, 3);
            ASSERT_TRUE(u.ProjectClose());
        }
        KQel r;
        ASSERT_TRUE(r.ProjectOpen(path.c_str(), false, true, nullptr)) << r.GetLastErrorString();
        EXPECT_EQ(r.ProjectGetExtensionSectionCount(), 2);
        EXPECT_EQ(LastSummary(r), 3);
        ASSERT_TRUE(r.ProjectOpenMainSection());
        EXPECT_EQ(r.FieldReadI("Main", 0), 7);
        r.ProjectCloseSection();
        EXPECT_FALSE(r.ProjectCreateExtensionSection(false));  // opened read-only
        EXPECT_FALSE(r.ProjectOpenExtensionSection(2));
        EXPECT_EQ(r.ProjectGetSectionVersion(3), 0);
    }
}

// A reader of the last extension section goes on without a fault when
// another writer of the file replaces that section under it: what is gone
// is simply not read, and the main section still reads.
TEST(KQelSectionTest, ExtensionSectionReplacedUnderAReaderFailsCleanly) {
    ScratchDir dir;
    std::string path = dir.File("x.qel");
    const unsigned count = 300000;  // stored in 8 bytes each: past one read window
    {
        KQel w;
        ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, false, nullptr));
        w.FieldWriteBegin("Main");
        w.FieldWriteI(7);
        w.FieldWriteEnd();
        ASSERT_TRUE(w.ProjectCloseSection());
        ASSERT_TRUE(w.ProjectCreateExtensionSection(false));
        w.FieldWriteBegin("Big");
        for (unsigned i = 0; i < count; ++i) w.FieldWriteD(i * 0.1);
        w.FieldWriteEnd();
        ASSERT_TRUE(w.ProjectClose());
    }
    KQel r;
    ASSERT_TRUE(r.ProjectOpen(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(r.ProjectOpenExtensionSection(0));
    ASSERT_TRUE(r.FieldReadBegin("Big"));
    std::vector<double> values(count);
    ASSERT_EQ(r.FieldReadDn(values.data(), 1000), 1000u);
    {
        KQel u;
        ASSERT_TRUE(u.ProjectOpen(path.c_str(), false, false, nullptr));
        ASSERT_TRUE(u.ProjectCreateExtensionSection(true));
        WriteSummary(u, 1);
        ASSERT_TRUE(u.ProjectClose());
    }
    EXPECT_LT(r.FieldReadDn(values.data() + 1000, count - 1000), count - 1000);
    r.FieldReadEnd();
    ASSERT_TRUE(r.ProjectCloseSection());
    ASSERT_TRUE(r.ProjectOpenMainSection());
    EXPECT_EQ(r.FieldReadI("Main", 0), 7);
}

// Another process cutting the file short while it is read never ends the
// reader: a text file, read whole at open, still reads as it was; the
// binary forms read a window at a time, and what is cut off fails its
// reads as a corrupt file does.
TEST(KQelSectionTest, FileTruncatedUnderAReaderNeverFaults) {
    const unsigned count = 300000;  // past one read window in every form
    for (const int form : {kText, kBinary}) {
        SCOPED_TRACE(form);
        ScratchDir dir;
        const std::string path = dir.File("x.qel");
        {
            KQel w;
            ASSERT_TRUE(Create(w, path, form));
            w.FieldWriteBegin("Big");
            for (unsigned i = 0; i < count; ++i) w.FieldWriteD(i * 0.1);
            w.FieldWriteEnd();
            ASSERT_TRUE(w.ProjectClose());
        }
        KQel r;
        ASSERT_TRUE(r.ProjectOpen(path.c_str(), false, true, nullptr));
        ASSERT_EQ(truncate(path.c_str(), 100), 0);
        ASSERT_TRUE(r.ProjectOpenMainSection());
        std::vector<double> values(count);
        const unsigned read = r.FieldReadBegin("Big") ? r.FieldReadDn(values.data(), count) : 0;
        if (form == kText) {
            ASSERT_EQ(read, count);
            for (unsigned i = 0; i < count; ++i) ASSERT_EQ(values[i], i * 0.1) << i;
        } else {
            EXPECT_LT(read, count);
            EXPECT_EQ(r.GetLastErrorID(), KQel::eFileCorrupted);
        }
    }
}

TEST(KQelSectionTest, TextFilesRefuseExtensionSections) {
    ScratchDir dir;
    std::string path = dir.File("x.qel");
    KQel w;
    ASSERT_TRUE(w.ProjectCreate(path.c_str(), false, false, nullptr));
    ASSERT_TRUE(w.ProjectCloseSection());
    EXPECT_FALSE(w.ProjectCreateExtensionSection(false));
    ASSERT_TRUE(w.ProjectClose());
    KQel u;
    ASSERT_TRUE(u.ProjectOpen(path.c_str(), false, false, nullptr));
    EXPECT_FALSE(u.ProjectCreateExtensionSection(false));
    EXPECT_EQ(u.ProjectGetExtensionSectionCount(), 0);
}

TEST(KQelSectionTest, CommentsAppearInTextOnly) {
    ScratchDir dir;
    for (int form : {kText, kBinary}) {
        std::string path = dir.File(form ? "b.qel" : "t.qel");
        KQel w;
        ASSERT_TRUE(Create(w, path, form));
        w.WriteComments("Takes and animation section");
        w.WriteComments("");
        w.FieldWriteBegin("A");
        w.FieldWriteI(1);
        w.FieldWriteEnd();
        ASSERT_TRUE(w.ProjectClose());
        std::string bytes = ReadFile(path);
        EXPECT_EQ(bytes.find(";Takes and animation section\n;\n") != std::string::npos, form == kText);
    }
}

TEST(KQelSectionTest, TextNumbersUseFifteenDigitsUnlessThatLosesTheValue) {
    ScratchDir dir;
    std::string path = dir.File("n.qel");
    KQel w;
    ASSERT_TRUE(w.ProjectCreate(path.c_str(), false, false, nullptr));
    w.FieldWriteBegin("N");
    w.FieldWriteD(0.1);
    w.FieldWriteD(0.1 + 0.2);
    w.FieldWriteD(1e21);
    w.FieldWriteD(-0.0);
    w.FieldWriteI(-7);
    w.FieldWriteEnd();
    ASSERT_TRUE(w.ProjectClose());
    EXPECT_NE(ReadFile(path).find("N: 0.1,0.30000000000000004,1e+21,-0,-7\n"), std::string::npos);

    KQel r;
    ASSERT_TRUE(r.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(r.FieldReadBegin("N"));
    for (double want : {0.1, 0.1 + 0.2, 1e21, -0.0}) {
        EXPECT_EQ(r.FieldReadGetType(), 'D');
        double got = r.FieldReadD();
        EXPECT_EQ(got, want);
        EXPECT_EQ(std::signbit(got), std::signbit(want));
    }
    EXPECT_EQ(r.FieldReadGetType(), 'I');
    EXPECT_EQ(r.FieldReadI(), -7);
}

TEST(KQelSectionTest, ProjectOperationsWithoutAFileFail) {
    KQel q;
    EXPECT_FALSE(q.ProjectClose());
    EXPECT_EQ(q.GetLastErrorID(), 3);
    EXPECT_STREQ(q.GetLastErrorString(), "File not opened");
    EXPECT_FALSE(q.ProjectOpenMainSection());
    EXPECT_FALSE(q.FieldReadBegin("A"));
    q.FieldWriteBegin("A");
    EXPECT_EQ(q.GetLastErrorID(), 3);
    EXPECT_FALSE(q.ProjectOpen("/nonexistent/dir/x.qel", false, false, nullptr));
    EXPECT_EQ(q.GetLastErrorID(), 5);
    EXPECT_STREQ(q.GetLastErrorString(), "Unable to open file /nonexistent/dir/x.qel");
    EXPECT_FALSE(q.ProjectCreate("/nonexistent/dir/x.qel", true, false, nullptr));
    EXPECT_EQ(q.GetLastErrorID(), 4);
}

TEST(KQelSectionTest, VersionNumbersSplit) {
    int major, minor, revision;
    KQel::ProjectConvertVersionNumber(5810, major, minor, revision);
    EXPECT_EQ(major, 5);
    EXPECT_EQ(minor, 8);
    EXPECT_EQ(revision, 10);
}

TEST(KQelSectionTest, PathsResolveAgainstTheFileDirectory) {
    ScratchDir dir;
    std::string path = dir.File("p.qel");
    KQel w;
    ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, false, nullptr));
    EXPECT_EQ(std::string(w.GetFullFilePath("tex/a.png")), dir.File("tex/a.png"));
    EXPECT_STREQ(w.GetFullFilePath("/abs/b.png"), "/abs/b.png");
    EXPECT_STREQ(w.GetRelativeFilePath(dir.File("tex/a.png").c_str()), "tex/a.png");
}

// ---- Password ----

TEST(KQelPasswordTest, RightAndWrongPasswordsAreToldApart) {
    for (bool encrypted : {false, true}) {
        ScratchDir dir;
        std::string path = dir.File("pw.qel");
        KQel w;
        ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, encrypted, nullptr));
        w.FieldWriteBegin("Secret");
        w.FieldWriteC("HiddenPayloadText");
        w.FieldWriteEnd();
        EXPECT_TRUE(w.WritePassword("open sesame"));
        EXPECT_FALSE(w.WritePassword("again"));  // once per section
        EXPECT_FALSE(w.WritePassword(nullptr));
        ASSERT_TRUE(w.ProjectCloseSection());
        ASSERT_TRUE(w.ProjectCreateExtensionSection(false));
        WriteSummary(w, 5);
        ASSERT_TRUE(w.ProjectClose());
        std::string bytes = ReadFile(path);
        EXPECT_EQ(bytes.find("open sesame"), std::string::npos);

        KQel r;
        ASSERT_TRUE(r.ProjectOpen(path.c_str(), false, false, nullptr));
        EXPECT_TRUE(r.IsPasswordPending());
        ASSERT_TRUE(r.ProjectOpenMainSection());
        if (encrypted) {
            // Nothing of the contents without the password.
            EXPECT_EQ(bytes.find("HiddenPayloadText"), std::string::npos);
            EXPECT_EQ(r.FieldGetInstanceCount("Secret"), 0);
            EXPECT_FALSE(r.FieldReadBegin("NodeId"));
            r.ProjectCloseSection();
            EXPECT_EQ(LastSummary(r), -1);
            EXPECT_FALSE(r.ProjectCreateExtensionSection(false));
            ASSERT_TRUE(r.ProjectOpenMainSection());
        } else {
            EXPECT_TRUE(r.FieldReadBegin("NodeId"));
            EXPECT_EQ(std::string(r.FieldReadC()).find("open"), std::string::npos);
            r.FieldReadEnd();
        }
        EXPECT_FALSE(r.CheckPassword("open sesamE"));
        EXPECT_FALSE(r.CheckPassword(nullptr));
        EXPECT_TRUE(r.IsPasswordPending());
        EXPECT_TRUE(r.CheckPassword("open sesame"));
        EXPECT_FALSE(r.IsPasswordPending());
        EXPECT_TRUE(r.CheckPassword("anything"));  // nothing pending any more
        EXPECT_STREQ(r.FieldReadC("Secret", ""), "HiddenPayloadText");
        r.ProjectCloseSection();
        EXPECT_EQ(LastSummary(r), 5);
        // A section added now stays protected by the same password.
        ASSERT_TRUE(r.ProjectCreateExtensionSection(false));
        WriteSummary(r, 6);
        ASSERT_TRUE(r.ProjectClose());
        KQel again;
        ASSERT_TRUE(again.ProjectOpen(path.c_str(), false, true, nullptr));
        if (encrypted) {
            EXPECT_EQ(LastSummary(again), -1);
        }
        EXPECT_TRUE(again.CheckPassword("open sesame"));
        EXPECT_EQ(LastSummary(again), 6);
    }
}

TEST(KQelPasswordTest, TextFilesCarryNoPassword) {
    ScratchDir dir;
    std::string path = dir.File("pw.qel");
    KQel w;
    ASSERT_TRUE(w.ProjectCreate(path.c_str(), false, false, nullptr));
    EXPECT_FALSE(w.WritePassword("x"));
    ASSERT_TRUE(w.ProjectClose());
    KQel r;
    ASSERT_TRUE(r.ProjectOpen(path.c_str(), false, true, nullptr));
    EXPECT_FALSE(r.IsPasswordPending());
    EXPECT_TRUE(r.CheckPassword("whatever"));
}

}  // namespace
}  // namespace qelsdk_600
