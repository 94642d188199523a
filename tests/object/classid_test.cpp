#include <gtest/gtest.h>

#include "object/kclassdefinition.h"
#include "object/kobject.h"
#include "object/kproperty.h"

namespace qelsdk_600 {
namespace {

// Registered by this unit's static initialisation, which may run before or
// after that of the object library: the parent definition must already be
// usable either way.
int gEarlyId = -5;
KClassDefinition gEarlyDefinition = {&gEarlyId, &KObject::ClassDefinition, "TestEarly", nullptr};
const int gEarlyReturned = KPlug_RegisterClassId(&gEarlyDefinition, -1);

struct EarlyObject : KObject {
    KClassDefinition* GetClassDefinition() const override { return &gEarlyDefinition; }
};

TEST(ClassRegistry, StaticRegistrationWorksInAnyOrder)
{
    EXPECT_EQ(gEarlyReturned, gEarlyId);
    EXPECT_GE(gEarlyId, 0);
    EXPECT_NE(gEarlyId, KObject::ClassId);
    EXPECT_NE(KObject::ClassId, KPlug::ClassId);
    EXPECT_NE(KProperty::ClassId, KObject::ClassId);
    EarlyObject object;
    EXPECT_TRUE(object.Is(gEarlyId));
    EXPECT_TRUE(object.Is(KObject::ClassId));
    EXPECT_TRUE(object.Is(KPlug::ClassId));
    EXPECT_FALSE(object.Is(KProperty::ClassId));
    EXPECT_EQ(gEarlyId, object.GetClassId());
    EXPECT_STREQ("TestEarly", object.GetClassIdName());
    EXPECT_EQ(&gEarlyDefinition, KPlug_GetClassDefinition(gEarlyId));
}

TEST(ClassRegistry, AutomaticIdsCountUpAndSkipTakenIds)
{
    static int firstId, secondId, explicitId, thirdId;
    static KClassDefinition first = {&firstId, nullptr, "TestFirst", nullptr};
    static KClassDefinition second = {&secondId, nullptr, "TestSecond", nullptr};
    static KClassDefinition fixed = {&explicitId, nullptr, "TestExplicit", nullptr};
    static KClassDefinition third = {&thirdId, nullptr, "TestThird", nullptr};
    int a = KPlug_RegisterClassId(&first, -1);
    int b = KPlug_RegisterClassId(&second, -1);
    EXPECT_EQ(a + 1, b);
    EXPECT_EQ(b, secondId);
    // An explicit id just ahead of the counter is skipped by the next -1.
    EXPECT_EQ(b + 1, KPlug_RegisterClassId(&fixed, b + 1));
    EXPECT_EQ(b + 2, KPlug_RegisterClassId(&third, -1));
    // Registering again keeps the first id; a taken id is refused.
    EXPECT_EQ(a, KPlug_RegisterClassId(&first, -1));
    static int clashId = 77;
    static KClassDefinition clash = {&clashId, nullptr, "TestClash", nullptr};
    EXPECT_EQ(-1, KPlug_RegisterClassId(&clash, a));
    EXPECT_EQ(77, clashId);
}

TEST(ClassRegistry, HostileArgumentsAreRefused)
{
    static int id = 3;
    static KClassDefinition definition = {&id, nullptr, "TestHostile", nullptr};
    EXPECT_EQ(-1, KPlug_RegisterClassId(nullptr, -1));
    EXPECT_EQ(-1, KPlug_RegisterClassId(&definition, -2));
    EXPECT_EQ(-1, KPlug_RegisterClassId(&definition, 0x7fffffff));
    EXPECT_EQ(3, id);
    EXPECT_EQ(nullptr, KPlug_GetClassDefinition(-2));
    EXPECT_EQ(nullptr, KPlug_GetClassDefinition(1 << 20));
    EXPECT_EQ(nullptr, KPlug_GetFilter(1 << 20));
}

TEST(ClassRegistry, FiltersAcceptTheirClassAndDescendants)
{
    KPlugFilter* none = KPlug_GetFilter(-1);
    ASSERT_NE(nullptr, none);
    EXPECT_STREQ("None", KPlug_GetClassDefinition(-1)->mClassName);
    KPlugFilter* objects = KPlug_GetFilter(KObject::ClassId);
    ASSERT_NE(nullptr, objects);
    EXPECT_EQ(objects, KObject::ClassDefinition.mFilter);
    KPlug plug;
    EarlyObject early;
    EXPECT_TRUE(none->IsValid(&plug));
    EXPECT_FALSE(objects->IsValid(&plug));
    EXPECT_TRUE(objects->IsValid(&early));
    EXPECT_FALSE(KPlug_GetFilter(gEarlyId)->IsValid(static_cast<KPlug*>(nullptr)));
    EXPECT_TRUE(KPlug_GetFilter(KPlug::ClassId)->IsValid(&early));
}

}  // namespace
}  // namespace qelsdk_600
