// Hostile host data: names that could end a command literal, or are long.
#include <gtest/gtest.h>

#include <standin/StandIn.h>
#include <vesk/MFnNumericData.h>

#include "core/object_access.h"
#include "export/export_fixture.h"
#include "scene/kqeluserproperty.h"
#include "store/attribute.h"

using namespace qelsdk_600;

TEST_F(ExportTest, HostileNamesExportIntactAndReachCommandsOnlyQuoted)
{
    const std::string odd = "we\"ird\\ ;x\ny";
    const std::string longName(300, 'n');
    make("transform", "grp");
    make("transform", "a", "grp");
    ASSERT_TRUE(vesk::fixture::nameAsIs("grp|a", odd));
    ASSERT_TRUE(vesk::fixture::setNumber("|grp|" + odd + ".visibility", 0));
    make("transform", "b");
    ASSERT_TRUE(vesk::fixture::nameAsIs("b", longName));
    // Property names of the SDK hold no double quote; all else stays.
    const std::string attributeName = "at\\ ;x\n" + longName;
    const MObject attribute = vesk::ObjectAccess::fromRef(
        vesk::makeNumericAttribute(attributeName + "L", attributeName, MFnNumericData::kDouble, 2.5).get());
    ASSERT_TRUE(MFnDependencyNode(object(longName.c_str())).addAttribute(attribute));

    standin::clearLogs();
    ASSERT_TRUE(ExportAndRead());
    std::vector<std::string> commands;
    for (const standin::LoggedCommand& c : standin::commandLog()) {
        EXPECT_EQ(c.status, 0) << c.text;
        commands.push_back(c.text);
    }
    EXPECT_EQ(commands, (std::vector<std::string>{
                            "jointDisplayScale -q -a",
                            "getAttr \"|grp.visibility\"",
                            "getAttr \"|grp|we\\\"ird\\\\ ;x\\ny.visibility\"",
                            "getAttr \"|" + longName + ".visibility\"",
                            "exists DOVGetCharacterCount",
                        }));
    ASSERT_NE(Node(odd), nullptr);
    EXPECT_EQ(Children(Node("grp")), (std::vector<std::string>{odd}));
    EXPECT_FALSE(Node(odd)->GetVisibility());
    ASSERT_NE(Node(longName), nullptr);
    KQelUserProperty* property = Node(longName)->FindPropertyByName(attributeName.c_str());
    ASSERT_NE(property, nullptr);
    double value = 0;
    property->GetDefaultValue(value);
    EXPECT_EQ(value, 2.5);
}
