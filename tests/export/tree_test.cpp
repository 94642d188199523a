// The node tree: which host paths become nodes, with which attributes, and
// under which parents.
#include <gtest/gtest.h>

#include "export/export_fixture.h"
#include "scene/kqelskeleton.h"

using namespace qelsdk_600;

TEST_F(ExportTest, Explore)
{
    make("transform", "a");
    make("transform", "b", "a");
    make("joint", "j", "a");
    ASSERT_TRUE(ExportAndRead());
    EXPECT_EQ(Children(Root()), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Children(Node("a")), (std::vector<std::string>{"b", "j"}));
    std::printf("log:\n%s\n", ReadText(LogPath()).c_str());
}
