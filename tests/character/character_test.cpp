#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "character/kqelcharacter.h"
#include "character/kqelcharacterproperties.h"
#include "character/kqelcontrolset.h"
#include "character/kqelfilterset.h"
#include "curves/kfcurvenode.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

// A stand-in object of a given name space, to test the input rules.
class Spaced : public KQelObject {
public:
    Spaced(KQelSdkManager& pManager, ENameSpace pSpace) : KQelObject(pManager, "x"), mSpace(pSpace) {}
    ENameSpace GetNameSpace() const override { return mSpace; }

private:
    ENameSpace mSpace;
};

KQelCharacterLink NamedLink(const char* pName)
{
    KQelCharacterLink link;
    link.mTemplateName = pName;
    link.mOffsetT.Set(1, 2, 3, 1);
    return link;
}

TEST(Character, NewCharacterListsItsPropertiesInFileOrder)
{
    KQelSdkManager manager;
    KQelCharacter character(manager, "Constraint::Bob");
    KQelPropertyHandler* set = character.GetPropertyHandler();
    ASSERT_EQ(set->GetPropertyCount(), 383);
    EXPECT_STREQ(set->GetProperty(0)->GetPropertyName(), "Active");
    EXPECT_STREQ(set->GetProperty(190)->GetPropertyName(), "ContactBehaviour");
    EXPECT_STREQ(set->GetProperty(191)->GetPropertyName(), "HipsLink");
    const char* const lists[] = {"SourceObject", "DestinationObject", "Actor", "Character", "ControlSet"};
    for (int i = 0; i < 5; ++i)
        EXPECT_STREQ(set->GetProperty(378 + i)->GetPropertyName(), lists[i]);

    // The link lists: one per named id, in id order, tagged with the id.
    std::vector<int> ids;
    for (int i = 191; i < 378; ++i) {
        KProperty* list = set->GetProperty(i);
        ASSERT_TRUE(list->Is(KPropertyObjectList::ClassId));
        int id = static_cast<int>(list->GetUserTag());
        const char* role = nullptr;
        ASSERT_TRUE(KQelCharacter::GetCharacterNodeNameFromNodeId(ECharacterNodeId(id), role));
        EXPECT_EQ(std::string(role) + "Link", list->GetPropertyName());
        EXPECT_TRUE(list->IsDynamic());
        ids.push_back(id);
    }
    for (std::size_t i = 1; i < ids.size(); ++i)
        EXPECT_LT(ids[i - 1], ids[i]);
    EXPECT_EQ(static_cast<int>(set->FindPropertyByName("ReferenceLink")->GetUserTag()), 67);

    EXPECT_EQ(character.GetTypeName(), KString("Character"));
    KStringList flags = character.GetTypeFlags();
    ASSERT_EQ(flags.GetCount(), 1);
    EXPECT_STREQ(flags.GetStringAt(0), "Character");
    EXPECT_EQ(character.GetNameSpacePrefix(), KString("Constraint::"));
}

TEST(Character, DefaultTakeHasChannelsForTheAnimatablePropertiesOnly)
{
    KQelSdkManager manager;
    KQelCharacter character(manager, "Constraint::Bob");
    ASSERT_EQ(character.GetTakeNodeCount(), 1);
    KFCurveNode* root = character.GetDefaultTakeNode()->GetKFCurveNode();
    ASSERT_TRUE(root);
    KQelPropertyHandler* set = character.GetPropertyHandler();
    int animatable = 0;
    for (int i = 0; i < set->GetPropertyCount(); ++i) {
        KProperty* property = set->GetProperty(i);
        bool hasChannel = root->Find(property->GetPropertyName()) >= 0;
        EXPECT_EQ(hasChannel, property->IsAnimatable()) << property->GetPropertyName();
        animatable += property->IsAnimatable();
    }
    EXPECT_EQ(animatable, 100);
    EXPECT_EQ(root->GetCount(), 100);
    // The vector offsets are read-only channels of three curves.
    KFCurveNode* offset = root->FindRecursive("HipsTOffset");
    ASSERT_TRUE(offset);
    EXPECT_EQ(offset->GetCount(), 3);
}

TEST(Character, InputObjectMustFitTheInputType)
{
    KQelSdkManager manager;
    KQelCharacter character(manager, "Constraint::Bob");
    KQelCharacter other(manager, "Constraint::Ann");
    Spaced actor(manager, KQelObject::eConstraint);
    EXPECT_EQ(character.GetInputType(), eCharacterInputNone);
    EXPECT_EQ(character.GetInputObject(), nullptr);

    struct Case {
        const char* mWhat;
        int mType;
        KQelObject* mObject;
        KQelObject* mExpected;
    };
    const Case cases[] = {
        {"actor", 0, &actor, &actor},
        {"character as actor", 0, &other, nullptr},
        {"other character", 1, &other, &other},
        {"itself", 1, &character, nullptr},
        {"actor as character", 1, &actor, nullptr},
        {"no input with an object", 4, &other, nullptr},
        {"unknown type", 9, &actor, nullptr},
        {"null", 1, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        character.SetInput(ECharacterInputType(c.mType), c.mObject);
        EXPECT_EQ(character.GetInputType(), c.mType) << c.mWhat;
        EXPECT_EQ(character.GetInputObject(), c.mExpected) << c.mWhat;
    }

    // The scene drops a character about to be destroyed from every input.
    character.SetInput(eCharacterInputCharacter, &other);
    EXPECT_FALSE(character.ForgetInputObject(&actor));
    EXPECT_EQ(character.GetInputObject(), &other);
    EXPECT_TRUE(character.ForgetInputObject(&other));
    EXPECT_EQ(character.GetInputObject(), nullptr);
    EXPECT_EQ(character.GetInputType(), eCharacterInputCharacter);
}

TEST(Character, LinksAreSetByNodeOrTemplateNameWithinTheIdRange)
{
    KQelSdkManager manager;
    KQelCharacter character(manager, "Constraint::Bob");
    KQelCharacterLink out = NamedLink("untouched");
    EXPECT_FALSE(character.GetCharacterLink(eCharacterHips, &out));
    EXPECT_EQ(out.mTemplateName, KString("untouched"));

    EXPECT_TRUE(character.SetCharacterLink(eCharacterLeftLeg, NamedLink("Knee"), true));
    EXPECT_TRUE(character.GetCharacterLink(eCharacterLeftLeg, nullptr));
    ASSERT_TRUE(character.GetCharacterLink(eCharacterLeftLeg, &out));
    EXPECT_EQ(out.mTemplateName, KString("Knee"));
    EXPECT_EQ(out.mOffsetT[1], 2.0);
    EXPECT_EQ(out.mNode, nullptr);

    for (int id : {-1, 191, 100000}) {
        EXPECT_FALSE(character.SetCharacterLink(ECharacterNodeId(id), NamedLink("x"), true)) << id;
        EXPECT_FALSE(character.GetCharacterLink(ECharacterNodeId(id), &out)) << id;
    }
    // The unnamed ids have links but no link property.
    EXPECT_TRUE(character.SetCharacterLink(ECharacterNodeId(68), NamedLink("Spare"), true));
    EXPECT_TRUE(character.GetCharacterLink(ECharacterNodeId(68), nullptr));

    character.SetInput(eCharacterInputCharacter, nullptr);
    character.Reset();
    EXPECT_STREQ(character.GetInitialName(), "");
    EXPECT_EQ(character.GetInputType(), eCharacterInputNone);
    for (int id = 0; id < kCharacterNodeIdCount; ++id)
        EXPECT_FALSE(character.GetCharacterLink(ECharacterNodeId(id), nullptr)) << id;
    EXPECT_EQ(character.GetPropertyHandler()->GetPropertyCount(), 383);
}

TEST(Character, AssignmentCopiesWhatTheSourceHasSetAndKeepsTheRest)
{
    KQelSdkManager manager;
    KQelCharacter source(manager, "Constraint::Source");
    KQelCharacter target(manager, "Constraint::Target");
    KQelCharacter input(manager, "Constraint::Input");

    source.SetInput(eCharacterInputCharacter, &input);
    source.SetCharacterLink(eCharacterHead, NamedLink("SourceHead"), true);
    target.SetCharacterLink(eCharacterNeck, NamedLink("TargetNeck"), true);
    target.SetCharacterLink(eCharacterHead, NamedLink("TargetHead"), true);
    KQelFilterSet& filters = *source.GetFilterSet();
    filters.SetParameterMode(3, 2);
    filters.SetParameterValue(3, 42.0);
    filters.SetParameterValue(38, -7.5);  // a vector component
    KQelControlSet& controls = *source.GetControlSet();
    controls.SetType(KQelControlSet::EType(5));
    controls.SetUseAxis(true);
    controls.SetLockTransform(true);
    KQelControlSetLink named;
    named.mTemplateName = "Rig";
    controls.SetControlSetLink(eCharacterSpine, named);
    KQelControlSetLink kept;
    kept.mTemplateName = "Kept";
    target.GetControlSet()->SetControlSetLink(eCharacterSpine1, kept);

    target = source;
    EXPECT_STREQ(target.GetName(), "Constraint::Source");
    EXPECT_EQ(target.GetInputObject(), &input);
    KQelCharacterLink link;
    ASSERT_TRUE(target.GetCharacterLink(eCharacterHead, &link));
    EXPECT_EQ(link.mTemplateName, KString("SourceHead"));
    ASSERT_TRUE(target.GetCharacterLink(eCharacterNeck, &link));
    EXPECT_EQ(link.mTemplateName, KString("TargetNeck"));
    for (int i = 0; i < KQelFilterSet::GetParameterCount(); ++i) {
        EXPECT_EQ(target.GetFilterSet()->GetParameterMode(i), filters.GetParameterMode(i)) << i;
        EXPECT_EQ(target.GetFilterSet()->GetParameterValue(i), filters.GetParameterValue(i)) << i;
    }
    const KQelControlSet& copied = *target.GetControlSet();
    EXPECT_EQ(copied.GetType(), 5);
    EXPECT_FALSE(copied.GetUseAxis());      // not copied
    EXPECT_FALSE(copied.GetLockTransform());
    KQelControlSetLink controlLink;
    ASSERT_TRUE(copied.GetControlSetLink(eCharacterSpine, &controlLink));
    EXPECT_EQ(controlLink.mTemplateName, KString("Rig"));
    EXPECT_TRUE(copied.GetControlSetLink(eCharacterSpine1, nullptr));
}

}  // namespace
}  // namespace qelsdk_600
