#include "base/kdir.h"
#include "base/klib.h"
#include "base/kpath.h"
#include "common/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace qelsdk_600;

namespace {

using scratch::ScratchDir;
using scratch::WriteFile;

bool IsDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Sets or clears an environment variable for one scope.
class EnvGuard {
public:
    explicit EnvGuard(const char* name) : mName(name) {
        const char* v = getenv(name);
        mHad = v != nullptr;
        if (v) mOld = v;
    }
    ~EnvGuard() {
        if (mHad) {
            setenv(mName, mOld.c_str(), 1);
        } else {
            unsetenv(mName);
        }
    }

private:
    const char* mName;
    bool mHad;
    std::string mOld;
};

}  // namespace

TEST(PathTest, FileNameParts) {
    struct Case {
        const char* path;
        const char* nameWithExt;
        const char* nameWithoutExt;
        const char* ext;
        const char* dir;
    };
    const Case cases[] = {
        {"/a/b/file.txt", "file.txt", "file", "txt", "/a/b"},
        {"c:\\dir\\scene.v2.qel", "scene.v2.qel", "scene.v2", "qel", "c:\\dir"},
        {"/a.b/noext", "noext", "noext", "", "/a.b"},
        {"mixed/dir\\x.y", "x.y", "x", "y", "mixed"},
        {"plain", "plain", "plain", "", ""},
        {"/trailing/", "", "", "", "/trailing"},
        {".hidden", ".hidden", "", "hidden", ""},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(ExtractFileName(c.path, true).Buffer(), c.nameWithExt) << c.path;
        EXPECT_STREQ(ExtractFileName(c.path, false).Buffer(), c.nameWithoutExt) << c.path;
        EXPECT_STREQ(ExtractFileExtension(c.path).Buffer(), c.ext) << c.path;
        EXPECT_STREQ(ExtractDirectoryFromFilePath(c.path).Buffer(), c.dir) << c.path;
    }
    EXPECT_STREQ(ExtractFileName(nullptr, true).Buffer(), "");
    EXPECT_STREQ(ExtractFileExtension(nullptr).Buffer(), "");

    // Long paths keep their extension (no fixed-size copy).
    const std::string longPath = "/" + std::string(3000, 'd') + "/name.htr";
    EXPECT_STREQ(ExtractFileExtension(longPath.c_str()).Buffer(), "htr");
}

TEST(PathTest, ChangeFileExtension) {
    EXPECT_STREQ(ChangeFileExtension("/d/take.trc", ".tc").Buffer(), "/d/take.tc");
    EXPECT_STREQ(ChangeFileExtension("/d/take.trc", "tc").Buffer(), "/d/take.tc");
    EXPECT_STREQ(ChangeFileExtension("/d.x/take", ".tc").Buffer(), "/d.x/take.tc");
    EXPECT_STREQ(ChangeFileExtension("a.b.c", "d").Buffer(), "a.b.d");
    EXPECT_STREQ(ChangeFileExtension("a.b", "").Buffer(), "a");
    EXPECT_STREQ(ChangeFileExtension("a.b", nullptr).Buffer(), "a");
}

TEST(PathTest, RelativeAndFullPaths) {
    EXPECT_TRUE(GetIsRelativePath(""));
    EXPECT_TRUE(GetIsRelativePath("a/b"));
    EXPECT_FALSE(GetIsRelativePath("/a"));
    EXPECT_FALSE(GetIsRelativePath(nullptr));

    EXPECT_STREQ(MakeFullPath("/a/b", "../c/./d").Buffer(), "/a/c/d");
    EXPECT_STREQ(MakeFullPath("/a/b/", "c").Buffer(), "/a/b/c");
    EXPECT_STREQ(MakeFullPath("/a/b\\", "c").Buffer(), "/a/b/c");
    EXPECT_STREQ(MakeFullPath("", "c").Buffer(), "/c");
    EXPECT_STREQ(MakeFullPath("/a", "/x/../y").Buffer(), "/x/../y");  // unchanged

    struct Case {
        const char* in;
        const char* out;
    };
    const Case clean[] = {
        {"/a/./b/../c", "/a/c"}, {"a\\b\\..\\c", "a/c"}, {"//a///b/", "/a/b"},
        {"/../a", "/a"},         {"../a/../../b", "../../b"}, {"a/..", ""},
        {"/", "/"},              {"", ""},
    };
    for (const Case& c : clean) EXPECT_STREQ(KCleanPath(c.in).Buffer(), c.out) << c.in;

    EXPECT_STREQ(GetRelativeFilePath("/a/b", "/a/b/c/t.png").Buffer(), "c/t.png");
    EXPECT_STREQ(GetRelativeFilePath("/a/b/", "/a/x/t.png").Buffer(), "../x/t.png");
    EXPECT_STREQ(GetRelativeFilePath("/q", "/a/t.png").Buffer(), "../a/t.png");
    EXPECT_STREQ(GetRelativeFilePath("/a/b", "rel/t.png").Buffer(), "rel/t.png");
    EXPECT_STREQ(GetRelativeFilePath("", "/a/t.png").Buffer(), "/a/t.png");
    // A directory sharing only a name prefix is not a parent.
    EXPECT_STREQ(GetRelativeFilePath("/a/bc", "/a/b/t.png").Buffer(), "../b/t.png");
}

TEST(PathTest, FileExistAndCurrentDirectory) {
    ScratchDir dir;
    ASSERT_FALSE(dir.Path().empty());
    const std::string file = dir.File("f.bin");
    EXPECT_FALSE(FileExist(file.c_str()));
    WriteFile(file, "x");
    EXPECT_TRUE(FileExist(file.c_str()));
    EXPECT_FALSE(FileExist(""));
    EXPECT_FALSE(FileExist(nullptr));

    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
    EXPECT_STREQ(KGetCurrentDirectory().Buffer(), cwd);
}

TEST(PathTest, TempPathFollowsTmpdirAndRespectsBufferSize) {
    EnvGuard guard("TMPDIR");
    char buffer[64];
    unsetenv("TMPDIR");
    EXPECT_EQ(GetTempPath(sizeof(buffer), buffer), 5u);
    EXPECT_STREQ(buffer, "/tmp/");

    std::memcpy(buffer, "untouched", 10);
    EXPECT_EQ(GetTempPath(5, buffer), 0u);
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(GetTempPath(6, buffer), 5u);
    EXPECT_EQ(GetTempPath(6, nullptr), 0u);

    setenv("TMPDIR", "/var/scratch", 1);
    EXPECT_EQ(GetTempPath(sizeof(buffer), buffer), 13u);
    EXPECT_STREQ(buffer, "/var/scratch/");
    std::memcpy(buffer, "untouched", 10);
    EXPECT_EQ(GetTempPath(13, buffer), 0u);  // 13 characters and the NUL
    EXPECT_STREQ(buffer, "untouched");

    setenv("TMPDIR", "/already/", 1);
    EXPECT_EQ(GetTempPath(sizeof(buffer), buffer), 9u);
    EXPECT_STREQ(buffer, "/already/");
    setenv("TMPDIR", "", 1);
    EXPECT_EQ(GetTempPath(sizeof(buffer), buffer), 5u);
    EXPECT_STREQ(buffer, "/tmp/");
}

TEST(PathTest, TempNamesAreReservedAndDistinct) {
    ScratchDir dir;
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i) {
        const KString name = GetTempName(dir.Path().c_str(), "texfile", ".tif");
        ASSERT_FALSE(name.IsEmpty());
        const std::string n = name.Buffer();
        EXPECT_EQ(n.rfind(dir.Path() + "/texfile", 0), 0u) << n;
        EXPECT_EQ(n.substr(n.size() - 4), ".tif");
        EXPECT_TRUE(FileExist(n.c_str())) << "the name must already be taken";
        names.insert(n);
    }
    EXPECT_EQ(names.size(), 20u);
    EXPECT_TRUE(GetTempName(dir.Path().c_str(), "../escape").IsEmpty());
    EXPECT_TRUE(GetTempName(dir.File("missing").c_str(), "p").IsEmpty());
}

TEST(PathTest, EnsureDirectoryCreatesEachLevelWithoutAShell) {
    ScratchDir dir;
    // Shell characters must be taken literally.
    const std::string deep = dir.File("a b/$(touch pwned);x/'q'/file.txt");
    EXPECT_TRUE(KEnsureDirectoryExistance(deep.c_str()));
    EXPECT_TRUE(IsDirectory(dir.File("a b/$(touch pwned);x/'q'")));
    EXPECT_FALSE(FileExist("pwned"));
    EXPECT_FALSE(FileExist(dir.File("pwned").c_str()));
    // Existing levels are fine; a file in the way is a failure.
    EXPECT_TRUE(KEnsureDirectoryExistance(deep.c_str()));
    WriteFile(dir.File("plain"), "x");
    EXPECT_FALSE(KEnsureDirectoryExistance(dir.File("plain/sub/f").c_str()));
    EXPECT_TRUE(KEnsureDirectoryExistance("nodirectory.txt"));
}

TEST(PathTest, FgetsEndsLinesAtLfCrLfAndLoneCr) {
    ScratchDir dir;
    const std::string file = dir.File("lines.txt");
    WriteFile(file, "one\ntwo\r\nthree\rfour");
    FILE* f = fopen(file.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char buffer[64];
    ASSERT_NE(KFgets(buffer, sizeof(buffer), f), nullptr);
    EXPECT_STREQ(buffer, "one\n");
    ASSERT_NE(KFgets(buffer, sizeof(buffer), f), nullptr);
    EXPECT_STREQ(buffer, "two\r\n");
    ASSERT_NE(KFgets(buffer, sizeof(buffer), f), nullptr);
    EXPECT_STREQ(buffer, "three\r");
    ASSERT_NE(KFgets(buffer, sizeof(buffer), f), nullptr);
    EXPECT_STREQ(buffer, "four");
    EXPECT_EQ(KFgets(buffer, sizeof(buffer), f), nullptr);
    fclose(f);
}

TEST(PathTest, FgetsSplitsLongLinesWithoutOverrun) {
    ScratchDir dir;
    const std::string file = dir.File("long.txt");
    WriteFile(file, "abcdefg\r\nz");
    FILE* f = fopen(file.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char buffer[5];
    ASSERT_NE(KFgets(buffer, sizeof(buffer), f), nullptr);
    EXPECT_STREQ(buffer, "abcd");
    ASSERT_NE(KFgets(buffer, sizeof(buffer), f), nullptr);
    EXPECT_STREQ(buffer, "efg\r");  // the LF of the pair has no room but is consumed
    ASSERT_NE(KFgets(buffer, sizeof(buffer), f), nullptr);
    EXPECT_STREQ(buffer, "z");
    EXPECT_EQ(KFgets(buffer, 0, f), nullptr);
    EXPECT_EQ(KFgets(nullptr, 5, f), nullptr);
    fclose(f);
}

TEST(DirTest, WalksEntriesAndExtensions) {
    ScratchDir dir;
    WriteFile(dir.File("qelvesk600.so"), "");
    WriteFile(dir.File("readme"), "");
    KDir walker;
    std::set<std::string> seen;
    std::string ext;
    ASSERT_TRUE(walker.Open(dir.Path().c_str()));
    do {
        seen.insert(walker.Name());
        if (std::string(walker.Name()) == "qelvesk600.so") ext = walker.GetExt().Buffer();
        if (std::string(walker.Name()) == "readme") {
            EXPECT_STREQ(walker.GetExt().Buffer(), "");
        }
    } while (walker.Next());
    EXPECT_EQ(seen, (std::set<std::string>{"qelvesk600.so", "readme"}));
    EXPECT_EQ(ext, "so");
    EXPECT_STREQ(walker.Name(), "");

    KDir empty;
    ScratchDir emptyDir;
    EXPECT_FALSE(empty.Open(emptyDir.Path().c_str()));
    EXPECT_FALSE(empty.Open(dir.File("missing").c_str()));
    EXPECT_FALSE(empty.Next());
}

TEST(LibTest, DirectoriesAreCopied) {
    const std::string oldConfig = KLib_GetConfigDirectory();
    const std::string oldMaster = KLib_GetMasterDirectory();
    char text[] = "/opt/conf";
    KLib_SetConfigDirectory(text);
    text[1] = 'X';
    EXPECT_STREQ(KLib_GetConfigDirectory(), "/opt/conf");
    KLib_SetMasterDirectory("/opt/master");
    EXPECT_STREQ(KLib_GetMasterDirectory(), "/opt/master");
    KLib_SetConfigDirectory(nullptr);
    EXPECT_STREQ(KLib_GetConfigDirectory(), "");
    KLib_SetConfigDirectory(oldConfig.c_str());
    KLib_SetMasterDirectory(oldMaster.c_str());
}

namespace {
std::string gsLog;
void InitA() { gsLog += "+A"; }
void StopA() { gsLog += "-A"; }
void InitB() { gsLog += "+B"; }
void StopB() { gsLog += "-B"; }
}  // namespace

TEST(LibTest, InitAndTerminateAreCountedAndRunHooksOnce) {
    gsLog.clear();
    const int base = KBaseLib_GetInitCount();
    ASSERT_EQ(base, 0);
    EXPECT_TRUE(KBaseLib_RegisterHooks(InitA, StopA));
    EXPECT_TRUE(KBaseLib_RegisterHooks(InitA, StopA));  // duplicate ignored
    EXPECT_FALSE(KBaseLib_Terminate());                  // unbalanced: nothing
    EXPECT_EQ(gsLog, "");

    EXPECT_TRUE(KBaseLib_Init());
    EXPECT_TRUE(KBaseLib_Init());
    EXPECT_EQ(gsLog, "+A");
    EXPECT_TRUE(KBaseLib_RegisterHooks(InitB, StopB));  // started: runs at once
    EXPECT_EQ(gsLog, "+A+B");
    EXPECT_EQ(KBaseLib_GetInitCount(), 2);
    EXPECT_FALSE(KBaseLib_Terminate());
    EXPECT_EQ(gsLog, "+A+B");
    EXPECT_TRUE(KBaseLib_Terminate());
    EXPECT_EQ(gsLog, "+A+B-B-A");
    EXPECT_EQ(KBaseLib_GetInitCount(), 0);

    // A second start runs the hooks again.
    EXPECT_TRUE(KBaseLib_Init());
    EXPECT_TRUE(KBaseLib_Terminate());
    EXPECT_EQ(gsLog, "+A+B-B-A+A+B-B-A");
}
