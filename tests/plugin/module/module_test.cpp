#include <gtest/gtest.h>

#include <standin/StandIn.h>
#include <vesk/MGlobal.h>

#include "plugin/plugin_registry.h"
#include "plugin/scratch.h"

TEST(QelVeskModule, LoadsAndUnloads)
{
    standin::resetHost();
    std::string lName;
    ASSERT_TRUE(vesk::plugins().load(ScratchDir() + "/qelvesk.so", &lName));
    EXPECT_EQ(lName, "qelvesk");
    EXPECT_TRUE(vesk::plugins().unload(lName));
}
