// Temporary files and their keep flags.
#include <gtest/gtest.h>

#include "file/ktempfilemanager.h"
#include "common/scratch_dir.h"

namespace qelsdk_600 {
namespace {

using scratch::Exists;
using scratch::ScratchDir;
using scratch::WriteFile;

TEST(TempFileManager, RemovesOnlyFilesNotKept)
{
    ScratchDir dir;
    WriteFile(dir.File("temp"), "t");
    WriteFile(dir.File("kept"), "k");
    WriteFile(dir.File("changed"), "c");
    KTempFileManager manager;
    EXPECT_TRUE(manager.Register(dir.File("temp").c_str(), false));
    EXPECT_TRUE(manager.Register(dir.File("kept").c_str(), true));
    EXPECT_TRUE(manager.Register(dir.File("changed").c_str(), true));
    EXPECT_TRUE(manager.Register(dir.File("changed").c_str(), false));  // takes the new flag
    EXPECT_TRUE(manager.Register(dir.File("gone").c_str(), false));     // never existed
    EXPECT_EQ(manager.GetCount(), 4);
    EXPECT_TRUE(manager.GetKeep(dir.File("kept").c_str()));
    EXPECT_FALSE(manager.GetKeep(dir.File("changed").c_str()));

    EXPECT_EQ(manager.RemoveTemporaryFiles(), 2);
    EXPECT_FALSE(Exists(dir.File("temp")));
    EXPECT_FALSE(Exists(dir.File("changed")));
    EXPECT_TRUE(Exists(dir.File("kept")));
    EXPECT_EQ(manager.GetCount(), 1);
    EXPECT_TRUE(manager.IsRegistered(dir.File("kept").c_str()));
}

TEST(TempFileManager, DestructionRemovesTemporaryFilesAndUnregisteredOnesStay)
{
    ScratchDir dir;
    WriteFile(dir.File("a"), "a");
    WriteFile(dir.File("b"), "b");
    WriteFile(dir.File("c"), "c");
    {
        KTempFileManager manager;
        manager.Register(dir.File("a").c_str(), false);
        manager.Register(dir.File("b").c_str(), false);
        manager.Register(dir.File("c").c_str(), true);
        EXPECT_TRUE(manager.Unregister(dir.File("b").c_str()));
        EXPECT_FALSE(manager.Unregister(dir.File("b").c_str()));
        EXPECT_TRUE(manager.SetKeep(dir.File("c").c_str(), false));
        EXPECT_FALSE(manager.SetKeep(dir.File("b").c_str(), true));
    }
    EXPECT_FALSE(Exists(dir.File("a")));
    EXPECT_TRUE(Exists(dir.File("b")));
    EXPECT_FALSE(Exists(dir.File("c")));
}

}  // namespace
}  // namespace qelsdk_600
