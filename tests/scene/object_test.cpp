#include <gtest/gtest.h>

#include "object/kpropertytemplate.h"
#include "scene/kqelobject.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {
namespace {

// A scene object of a chosen name space that counts its list hooks.
class NamedObject : public KQelObject {
public:
    NamedObject(KQelSdkManager& pManager, const char* pName, ENameSpace pNameSpace)
        : KQelObject(pManager, pName), mNameSpace(pNameSpace)
    {
    }
    ENameSpace GetNameSpace() const override { return mNameSpace; }
    void PropertyAdded(KQelUserProperty*) override { ++mAdded; }
    void PropertyRemoved(KQelUserProperty*) override { ++mRemoved; }

    ENameSpace mNameSpace;
    int mAdded = 0;
    int mRemoved = 0;
};

TEST(KQelObject, SetNameReplacesAnyPrefixByTheObjectsOwn)
{
    struct Case {
        KQelObject::ENameSpace nameSpace;
        const char* name;
        const char* expected;
    } cases[] = {
        {KQelObject::eDeformer, "Skin", "Skin"},
        {KQelObject::eModel, "Cube", "Model::Cube"},
        {KQelObject::eModel, "Material::Cube", "Model::Cube"},
        {KQelObject::eModel, "a::b::c", "Model::b::c"},
        {KQelObject::eModel, "", "Model::Name"},
        {KQelObject::eCharacter, "Hips", "Constraint::Hips"},
        {KQelObject::eControlSetPlug, "Rig", "ControlSetPlug::Rig"},
        {static_cast<KQelObject::ENameSpace>(42), "Odd", "Odd"},
    };
    KQelSdkManager manager;
    for (const Case& c : cases) {
        NamedObject object(manager, "Initial", c.nameSpace);
        object.SetName(c.name);
        EXPECT_STREQ(object.GetName(), c.expected) << c.name;
        EXPECT_STREQ(object.GetInitialName(), "Initial");
    }
}

TEST(KQelObject, NameWithoutPrefixDropsOwnPrefixElseWhatPrecedesTheFirstSeparator)
{
    struct Case {
        KQelObject::ENameSpace nameSpace;
        const char* name;
        const char* expected;
    } cases[] = {
        {KQelObject::eModel, "Model::Arm", "Arm"},
        {KQelObject::eModel, "Pose::Arm", "Arm"},
        {KQelObject::eModel, "Arm", "Arm"},
        {KQelObject::eModel, "::Arm", "::Arm"},
        {KQelObject::eModel, "a::b::c", "b::c"},
        {KQelObject::eDeformer, "Deformer::Skin", "Deformer::Skin"},
    };
    KQelSdkManager manager;
    for (const Case& c : cases) {
        NamedObject object(manager, c.name, c.nameSpace);
        EXPECT_STREQ(object.GetNameWithoutNameSpacePrefix().Buffer(), c.expected) << c.name;
    }
    EXPECT_STREQ(KQelObject::RemovePrefix("a::b:c").Buffer(), "c");
    EXPECT_STREQ(KQelObject::RemovePrefix("plain").Buffer(), "plain");
    EXPECT_STREQ(KQelObject::RemovePrefix(nullptr).Buffer(), "");
}

TEST(KQelObject, AssignmentCopiesNamesOnlyWithinOneNameSpace)
{
    KQelSdkManager manager;
    NamedObject node(manager, "Model::A", KQelObject::eModel);
    NamedObject other(manager, "Model::B", KQelObject::eModel);
    NamedObject material(manager, "Material::C", KQelObject::eMaterial);
    other.SetName("Renamed");
    node = other;
    EXPECT_STREQ(node.GetName(), "Model::Renamed");
    EXPECT_STREQ(node.GetInitialName(), "Model::B");
    node = material;
    EXPECT_STREQ(node.GetName(), "Model::Renamed");
}

TEST(KQelObject, UserPropertyListIgnoresNullRepeatsAndStrangers)
{
    KQelSdkManager manager;
    NamedObject object(manager, "Model::A", KQelObject::eModel);
    KPropertyTemplate<double> weight;
    weight.SetPropertyName("Weight");
    KQelUserProperty* bound = manager.CreateKQelUserProperty(&weight);
    KQelUserProperty* description =
        manager.CreateKQelUserProperty("Tint", "Color", "");
    description->ModifyFlag(KQelUserProperty::eAnimatable, true);

    object.AddProperty(nullptr);
    object.AddProperty(bound);
    object.AddProperty(bound);
    object.AddProperty(description);
    EXPECT_EQ(object.GetPropertyCount(), 2);
    EXPECT_EQ(object.mAdded, 2);
    EXPECT_EQ(object.GetPropertyCount(KQelUserProperty::eAnimatable), 1);
    EXPECT_EQ(object.GetProperty(&weight), bound);
    EXPECT_EQ(object.GetProperty(static_cast<KProperty*>(nullptr)), nullptr);
    EXPECT_EQ(object.FindPropertyByName("Tint"), description);
    EXPECT_EQ(object.FindPropertyByName("tint"), nullptr);
    EXPECT_EQ(object.GetProperty(2), nullptr);
    EXPECT_EQ(object.GetProperty(-1), nullptr);

    object.RemoveProperty(bound);
    object.RemoveProperty(bound);
    EXPECT_EQ(object.mRemoved, 1);
    EXPECT_EQ(object.GetProperty(0), description);
}

}  // namespace
}  // namespace qelsdk_600
