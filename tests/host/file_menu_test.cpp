// The file menu with the good test module: which translator a file goes
// to, what its reader or writer is given, and the actions that call none.
#include <gmock/gmock.h>

#include "plugin/file_menu.h"
#include "plugin_fixture.h"

namespace {

using vesk::FileMenu;

class FileMenuTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        ASSERT_TRUE(vesk::plugins().load(modulePath("good")));
        before = getcwd(nullptr, 0);
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        char* here = getcwd(nullptr, 0);
        cwd = here;
        free(here);
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir(before), 0);
        free(before);
        PluginTest::TearDown();
    }
    // What the module's last reader or writer was given ("" for none).
    static std::string last()
    {
        MString text;
        MGlobal::executeCommand("tmLast", text);
        return text.asChar();
    }

    TempDir dir;
    std::string cwd;
    char* before = nullptr;
};

TEST_F(FileMenuTest, ChoosesTheTranslatorAndHandsItTheAbsolutePath)
{
    dir.write("a.tmf", "anything");
    dir.write("b.dat", "TMF");
    dir.write("c.dat", "junk");
    struct Case {
        FileMenu::Action action;
        const char* file;
        const char* type;
        bool succeeds;
        // What the module saw, with @ for the working folder.
        const char* seen;
    };
    const Case cases[] = {
        // The name claims it outright.
        {FileMenu::kImport, "a.tmf", "", true, "read import @/a.tmf {v=1}"},
        // Both say "maybe": the first registered wins.
        {FileMenu::kImport, "b.dat", "", true, "read import @/b.dat {v=1}"},
        {FileMenu::kImport, "c.dat", "", true, "other import @/c.dat"},
        {FileMenu::kImport, "a.tmf", "tmOther", true, "other import @/a.tmf"},
        {FileMenu::kOpen, "b.dat", "", true, "read open @/b.dat {v=1}"},
        {FileMenu::kExport, "out.tmf", "", true, "write export @/out.tmf {v=1}"},
        {FileMenu::kExport, "/abs/out.tmf", "tmFormat", false, "write export /abs/out.tmf {v=1}"},
        // Nothing fits: no reader or writer runs.
        {FileMenu::kOpen, "c.dat", "", false, ""},
        {FileMenu::kOpen, "a.tmf", "tmOther", false, ""},
        {FileMenu::kImport, "missing.tmf", "", false, ""},
        {FileMenu::kImport, ".", "", false, ""},
        {FileMenu::kImport, "a.tmf", "tmNone", false, ""},
        {FileMenu::kExport, "out.dat", "", false, ""},
        {FileMenu::kImport, "", "", false, ""},
    };
    for (const Case& c : cases) {
        MGlobal::executeCommand("file -f -new");
        EXPECT_EQ(static_cast<bool>(FileMenu::run(c.action, c.file, c.type)), c.succeeds) << c.file << c.type;
        std::string seen = c.seen;
        const size_t at = seen.find('@');
        if (at != std::string::npos)
            seen.replace(at, 1, cwd);
        EXPECT_EQ(last(), seen) << c.file << c.type;
        EXPECT_EQ(standin::problems(), std::vector<std::string>());
        // Each action deletes the translators it made.
        int live = -1;
        MGlobal::executeCommand("tmLive", live);
        EXPECT_EQ(live, 0);
    }
}

TEST_F(FileMenuTest, OpenEmptiesTheSceneBeforeReadingAndImportKeepsIt)
{
    // The reader runs the lines after the first as commands.
    dir.write("scene.tmf", "TMF\nnamespace -add fromFile\n");
    MGlobal::executeCommand("namespace -add before");
    ASSERT_TRUE(FileMenu::run(FileMenu::kImport, "scene.tmf"));
    EXPECT_THAT(vesk::store().namespaces(), ::testing::ElementsAre("before", "fromFile"));
    MGlobal::executeCommand("namespace -add again");
    dir.write("scene.tmf", "TMF\nnamespace -add opened\n");
    ASSERT_TRUE(FileMenu::run(FileMenu::kOpen, "scene.tmf"));
    EXPECT_THAT(vesk::store().namespaces(), ::testing::ElementsAre("opened"));
    // A refused open leaves the scene alone.
    EXPECT_FALSE(FileMenu::run(FileMenu::kOpen, "missing.tmf"));
    EXPECT_THAT(vesk::store().namespaces(), ::testing::ElementsAre("opened"));
}

} // namespace
