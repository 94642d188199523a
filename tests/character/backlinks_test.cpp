#include <gtest/gtest.h>

#include <vector>

#include "character/kqelcharacter.h"
#include "character/kqelcharacterproperties.h"
#include "character/kqelcontrolset.h"
#include "character/kqelcontrolsetplug.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

// A manager, one character and a few nodes; the character is destroyed as
// the scene does it (Destruct, then delete) unless a test does it first.
struct Scene {
    KQelSdkManager mManager;
    KQelCharacter* mCharacter = new KQelCharacter(mManager, "Constraint::Bob");
    KQelNode* mA = mManager.CreateKQelNode("A");
    KQelNode* mB = mManager.CreateKQelNode("B");
    KQelNode* mC = mManager.CreateKQelNode("C");

    ~Scene() { DestroyCharacter(); }
    void DestroyCharacter()
    {
        if (!mCharacter)
            return;
        mCharacter->Destruct();
        delete mCharacter;
        mCharacter = nullptr;
    }
    KQelCharacterProperties& Set() { return *static_cast<KQelCharacterProperties*>(mCharacter->GetPropertyHandler()); }
    KPropertyObjectList& List(const char* pName)
    {
        return *static_cast<KPropertyObjectList*>(Set().FindPropertyByName(pName));
    }
    KQelNode* LinkNode(ECharacterNodeId pId)
    {
        KQelCharacterLink link;
        return mCharacter->GetCharacterLink(pId, &link) ? link.mNode : nullptr;
    }
    // Records of this character on the node equal to (kind, index, sub-index).
    int Records(KQelNode* pNode, int pKind, int pIndex, int pSubIndex = 0)
    {
        int count = 0;
        KQelCharacter* character = nullptr;
        int kind = 0, index = 0, subIndex = 0;
        for (int i = 0; pNode->GetCharacterLink(i, &character, &kind, &index, &subIndex); ++i)
            count += character == mCharacter && kind == pKind && index == pIndex && subIndex == pSubIndex;
        return count;
    }
};

KQelCharacterLink LinkTo(KQelNode* pNode, const char* pName = "")
{
    KQelCharacterLink link;
    link.mNode = pNode;
    link.mTemplateName = pName;
    link.mOffsetR.Set(0, 90, 0, 1);
    return link;
}

TEST(CharacterBackLinks, LinkPropertyConnectionsBecomeLinksWithOneBackLink)
{
    Scene s;
    s.mCharacter->SetCharacterLink(eCharacterHips, LinkTo(nullptr, "Pelvis"), false);
    KPropertyObjectList& hips = s.List("HipsLink");
    ASSERT_TRUE(hips.Add(s.mA->GetPropertyHandler()));
    KQelCharacterLink link;
    ASSERT_TRUE(s.mCharacter->GetCharacterLink(eCharacterHips, &link));
    EXPECT_EQ(link.mNode, s.mA);
    EXPECT_EQ(link.mTemplateName, KString("Pelvis"));
    EXPECT_EQ(link.mOffsetR[1], 90.0);
    EXPECT_EQ(s.Records(s.mA, 0, eCharacterHips), 1);
    EXPECT_EQ(s.mA->GetCharacterLinkCount(), 1);

    ASSERT_TRUE(hips.Remove(s.mA->GetPropertyHandler()));
    ASSERT_TRUE(s.mCharacter->GetCharacterLink(eCharacterHips, &link));
    EXPECT_EQ(link.mNode, nullptr);
    EXPECT_EQ(link.mTemplateName, KString("Pelvis"));
    EXPECT_EQ(s.mA->GetCharacterLinkCount(), 0);

    // With two nodes on one list the newer one holds the link, and removing
    // the older one keeps it.
    hips.Add(s.mA->GetPropertyHandler());
    hips.Add(s.mB->GetPropertyHandler());
    EXPECT_EQ(s.LinkNode(eCharacterHips), s.mB);
    hips.Remove(s.mA->GetPropertyHandler());
    EXPECT_EQ(s.LinkNode(eCharacterHips), s.mB);
    EXPECT_EQ(s.Records(s.mB, 0, eCharacterHips), 1);
    EXPECT_EQ(s.mA->GetCharacterLinkCount(), 0);
}

TEST(CharacterBackLinks, SettingALinkWithUpdateMovesThePropertyAndTheBackLink)
{
    Scene s;
    KPropertyObjectList& head = s.List("HeadLink");
    head.Add(s.mA->GetPropertyHandler());
    ASSERT_EQ(s.LinkNode(eCharacterHead), s.mA);

    EXPECT_TRUE(s.mCharacter->SetCharacterLink(eCharacterHead, LinkTo(s.mB), true));
    ASSERT_EQ(head.GetCount(), 1);
    EXPECT_EQ(head.GetAt(0), s.mB->GetPropertyHandler());
    EXPECT_EQ(s.LinkNode(eCharacterHead), s.mB);
    EXPECT_EQ(s.Records(s.mB, 0, eCharacterHead), 1);
    EXPECT_EQ(s.mB->GetCharacterLinkCount(), 1);
    EXPECT_EQ(s.mA->GetCharacterLinkCount(), 0);

    // The same node again keeps one record; no node empties the property.
    s.mCharacter->SetCharacterLink(eCharacterHead, LinkTo(s.mB), true);
    EXPECT_EQ(s.mB->GetCharacterLinkCount(), 1);
    s.mCharacter->SetCharacterLink(eCharacterHead, LinkTo(nullptr, "Skull"), true);
    EXPECT_EQ(head.GetCount(), 0);
    EXPECT_EQ(s.mB->GetCharacterLinkCount(), 0);
    EXPECT_TRUE(s.mCharacter->GetCharacterLink(eCharacterHead, nullptr));

    // Without update the property is left alone; an id without a name has
    // no property but still mirrors its node.
    s.mCharacter->SetCharacterLink(eCharacterHead, LinkTo(s.mC), false);
    EXPECT_EQ(head.GetCount(), 0);
    EXPECT_EQ(s.Records(s.mC, 0, eCharacterHead), 1);
    s.mCharacter->SetCharacterLink(ECharacterNodeId(68), LinkTo(s.mA), true);
    EXPECT_EQ(s.Records(s.mA, 0, 68), 1);
}

TEST(CharacterBackLinks, ResetEmptiesLinksAndTheirPropertiesButKeepsThemBound)
{
    Scene s;
    s.mCharacter->SetCharacterLink(eCharacterHips, LinkTo(s.mA), true);
    s.mCharacter->SetCharacterLink(eCharacterSpine, LinkTo(s.mB), false);
    KQelControlSetLink rig;
    rig.mNode = s.mC;
    s.mCharacter->GetControlSet()->SetControlSetLink(eCharacterHead, rig);
    s.mCharacter->Reset();
    for (KQelNode* node : {s.mA, s.mB, s.mC})
        EXPECT_EQ(node->GetCharacterLinkCount(), 0);
    EXPECT_EQ(s.List("HipsLink").GetCount(), 0);
    EXPECT_FALSE(s.mCharacter->GetCharacterLink(eCharacterHips, nullptr));

    s.mCharacter->SetCharacterLink(eCharacterHips, LinkTo(s.mB), true);
    EXPECT_EQ(s.List("HipsLink").GetAt(0), s.mB->GetPropertyHandler());
    EXPECT_EQ(s.mB->GetCharacterLinkCount(), 1);
}

TEST(CharacterBackLinks, ControlSetSlotsMirrorTheirNodesByKind)
{
    Scene s;
    KQelControlSet& controls = *s.mCharacter->GetControlSet();
    KQelControlSetLink link;
    link.mNode = s.mA;
    controls.SetControlSetLink(eCharacterLeftHand, link);
    KQelEffector effector;
    effector.mNode = s.mA;
    controls.SetEffector(eLeftWristEffector, effector);
    controls.SetEffectorAux(EEffectorNodeId(5), s.mA, EEffectorSetId(3));
    EXPECT_EQ(s.Records(s.mA, 1, eCharacterLeftHand), 1);
    EXPECT_EQ(s.Records(s.mA, 2, eLeftWristEffector), 1);
    EXPECT_EQ(s.Records(s.mA, 3, 5, 2), 1);
    EXPECT_EQ(s.mA->GetCharacterLinkCount(), 3);

    // Replacing moves the record; refused ids leave every record alone.
    link.mNode = s.mB;
    controls.SetControlSetLink(eCharacterLeftHand, link);
    controls.SetEffectorAux(EEffectorNodeId(5), nullptr, EEffectorSetId(3));
    EXPECT_FALSE(controls.SetEffectorAux(EEffectorNodeId(5), s.mC, EEffectorSetId(0)));
    EXPECT_EQ(s.mA->GetCharacterLinkCount(), 1);
    EXPECT_EQ(s.Records(s.mB, 1, eCharacterLeftHand), 1);
    EXPECT_EQ(s.mC->GetCharacterLinkCount(), 0);

    controls.Reset();
    EXPECT_EQ(s.mA->GetCharacterLinkCount(), 0);
    EXPECT_EQ(s.mB->GetCharacterLinkCount(), 0);
}

TEST(CharacterBackLinks, ObjectsThatAreNoNodesChangeNothing)
{
    Scene s;
    KQelControlSetPlug plug(s.mManager, "ControlSetPlug::Rig");
    s.mCharacter->SetCharacterLink(eCharacterHips, LinkTo(s.mA, "Pelvis"), true);
    KPropertyObjectList& hips = s.List("HipsLink");
    KObject bare;
    // A bare object and another scene object's property set: connected,
    // but no node.
    EXPECT_TRUE(hips.Add(&bare));
    EXPECT_TRUE(hips.Add(plug.GetPropertyHandler()));
    EXPECT_EQ(s.LinkNode(eCharacterHips), s.mA);
    hips.Remove(&bare);
    hips.Remove(plug.GetPropertyHandler());
    EXPECT_EQ(s.LinkNode(eCharacterHips), s.mA);
    EXPECT_EQ(s.mA->GetCharacterLinkCount(), 1);

    // A node's set on "ControlSet" is no plug.
    KQelControlSet& controls = *s.mCharacter->GetControlSet();
    controls.SetType(KQelControlSet::EType(4));
    EXPECT_TRUE(s.Set().ControlSetSet(0, s.mB->GetPropertyHandler()));
    EXPECT_EQ(controls.GetType(), 4);
    s.Set().ControlSet.Clear();

    // Foreign objects in a plug's lists leave their slots empty; the nodes
    // after them keep their own slots.
    KQelControlSetPlugProperties& lists = *plug.GetPropertyHandler();
    lists.GetLinkList(eCharacterHips)->Add(&bare);
    KPropertyObjectList& hand = *lists.GetEffectorList(eLeftHandEffector);
    hand.Add(&bare);
    hand.Add(s.mB->GetPropertyHandler());
    hand.Add(s.mCharacter->GetPropertyHandler());
    hand.Add(s.mC->GetPropertyHandler());
    controls.FromPlug(&plug);
    EXPECT_FALSE(controls.GetControlSetLink(eCharacterHips, nullptr));
    EXPECT_FALSE(controls.GetEffector(eLeftHandEffector, nullptr));
    KQelNode* node = nullptr;
    ASSERT_TRUE(controls.GetEffectorAux(eLeftHandEffector, &node, EEffectorSetId(1)));
    EXPECT_EQ(node, s.mB);
    EXPECT_FALSE(controls.GetEffectorAux(eLeftHandEffector, nullptr, EEffectorSetId(2)));
    ASSERT_TRUE(controls.GetEffectorAux(eLeftHandEffector, &node, EEffectorSetId(3)));
    EXPECT_EQ(node, s.mC);
    lists.GetLinkList(eCharacterHips)->Clear();
    hand.Clear();
}

TEST(CharacterBackLinks, PlugCarriesNodesWithoutEverMovingOneToAnotherSlot)
{
    Scene s;
    KQelNode* d = s.mManager.CreateKQelNode("D");
    KQelNode* e = s.mManager.CreateKQelNode("E");
    KQelControlSet& source = *s.mCharacter->GetControlSet();
    source.SetType(KQelControlSet::EType(2));
    source.SetUseAxis(true);
    source.SetLockTransform(true);
    KQelControlSetLink link;
    link.mNode = s.mA;
    link.mTemplateName = "dropped";
    source.SetControlSetLink(eCharacterHips, link);
    link.mNode = s.mB;
    source.SetControlSetLink(eCharacterReference, link);
    link.mNode = s.mC;
    source.SetControlSetLink(ECharacterNodeId(68), link);  // no list for this id
    KQelEffector effector;
    effector.mNode = s.mA;
    effector.mShow = false;
    source.SetEffector(eHipsEffector, effector);
    source.SetEffectorAux(eHipsEffector, s.mB, EEffectorSetId(1));
    source.SetEffectorAux(eHipsEffector, s.mC, EEffectorSetId(2));
    source.SetEffectorAux(eHipsEffector, d, EEffectorSetId(4));  // after a gap
    source.SetEffectorAux(eHeadEffector, d, EEffectorSetId(2));  // no effector node
    source.SetEffectorAux(eHeadEffector, e, EEffectorSetId(5));
    effector.mNode = e;
    source.SetEffector(eLeftFootEffector, effector);
    source.SetEffectorAux(eLeftFootEffector, e, EEffectorSetId(1));  // the same node again
    source.SetEffectorAux(eLeftFootEffector, d, EEffectorSetId(2));

    KQelControlSetPlug plug(s.mManager, "ControlSetPlug::Rig");
    source.ToPlug(&plug);
    KQelCharacter other(s.mManager, "Constraint::Other");
    KQelControlSet& copy = *other.GetControlSet();
    copy.FromPlug(&plug);

    EXPECT_EQ(copy.GetType(), 2);
    EXPECT_TRUE(copy.GetUseAxis());
    EXPECT_FALSE(copy.GetLockTransform());
    KQelControlSetLink out;
    ASSERT_TRUE(copy.GetControlSetLink(eCharacterHips, &out));
    EXPECT_EQ(out.mNode, s.mA);
    EXPECT_EQ(out.mTemplateName, KString());
    ASSERT_TRUE(copy.GetControlSetLink(eCharacterReference, &out));
    EXPECT_EQ(out.mNode, s.mB);
    EXPECT_FALSE(copy.GetControlSetLink(ECharacterNodeId(68), nullptr));
    KQelEffector effectorOut;
    ASSERT_TRUE(copy.GetEffector(eHipsEffector, &effectorOut));
    EXPECT_EQ(effectorOut.mNode, s.mA);
    EXPECT_TRUE(effectorOut.mShow);

    // Expected auxiliary nodes per (effector, set); null: empty.
    struct Aux {
        EEffectorNodeId mId;
        int mSet;
        KQelNode* mNode;
    };
    const Aux expected[] = {
        {eHipsEffector, 1, s.mB}, {eHipsEffector, 2, s.mC}, {eHipsEffector, 3, nullptr},
        {eHipsEffector, 4, nullptr}, {eHeadEffector, 1, nullptr}, {eHeadEffector, 2, nullptr},
        {eLeftFootEffector, 1, nullptr}, {eLeftFootEffector, 2, nullptr},
    };
    for (const Aux& aux : expected) {
        KQelNode* node = nullptr;
        copy.GetEffectorAux(aux.mId, &node, EEffectorSetId(aux.mSet));
        EXPECT_EQ(node, aux.mNode) << aux.mId << " set " << aux.mSet;
    }
    EXPECT_FALSE(copy.GetEffector(eHeadEffector, nullptr));
    ASSERT_TRUE(copy.GetEffector(eLeftFootEffector, &effectorOut));
    EXPECT_EQ(effectorOut.mNode, e);

    // The copy's nodes carry the other character's records.
    EXPECT_EQ(s.mA->FindCharacterLink(&other, 1, eCharacterHips, 0) >= 0, true);
    EXPECT_EQ(s.mB->FindCharacterLink(&other, 3, eHipsEffector, 0) >= 0, true);
}

TEST(CharacterBackLinks, NodesDestroyedBeforeTheCharacterLeaveNoPointers)
{
    Scene s;
    s.mCharacter->SetCharacterLink(eCharacterHips, LinkTo(s.mA, "Pelvis"), true);
    s.mCharacter->SetCharacterLink(eCharacterSpine, LinkTo(s.mA), false);
    KQelControlSet& controls = *s.mCharacter->GetControlSet();
    KQelControlSetLink link;
    link.mNode = s.mB;
    link.mTemplateName = "Rig";
    controls.SetControlSetLink(eCharacterHead, link);
    KQelEffector effector;
    effector.mNode = s.mB;
    effector.mTActive = true;
    controls.SetEffector(eHeadEffector, effector);
    controls.SetEffectorAux(eHeadEffector, s.mB, EEffectorSetId(14));

    KQelControlSetPlug plug(s.mManager, "ControlSetPlug::Rig");
    controls.ToPlug(&plug);

    ASSERT_TRUE(s.mManager.DestroyKQelNode(s.mA, false));
    ASSERT_TRUE(s.mManager.DestroyKQelNode(s.mB, false));
    KQelCharacterLink out;
    ASSERT_TRUE(s.mCharacter->GetCharacterLink(eCharacterHips, &out));
    EXPECT_EQ(out.mNode, nullptr);
    EXPECT_EQ(out.mTemplateName, KString("Pelvis"));
    EXPECT_FALSE(s.mCharacter->GetCharacterLink(eCharacterSpine, nullptr));
    EXPECT_EQ(s.List("HipsLink").GetCount(), 0);
    KQelControlSetLink rig;
    ASSERT_TRUE(controls.GetControlSetLink(eCharacterHead, &rig));
    EXPECT_EQ(rig.mNode, nullptr);
    EXPECT_FALSE(controls.GetEffector(eHeadEffector, nullptr));
    EXPECT_FALSE(controls.GetEffectorAux(eHeadEffector, nullptr, EEffectorSetId(14)));
    EXPECT_EQ(plug.GetPropertyHandler()->GetLinkList(eCharacterHead)->GetCount(), 0);
    EXPECT_EQ(plug.GetPropertyHandler()->GetEffectorList(eHeadEffector)->GetCount(), 0);

    // The character ends after its nodes without touching them (ASan).
    s.DestroyCharacter();
}

TEST(CharacterBackLinks, CharactersDestroyedFirstTakeEveryBackLinkWithThem)
{
    Scene s;
    KQelCharacter* second = new KQelCharacter(s.mManager, "Constraint::Second");
    s.mCharacter->SetCharacterLink(eCharacterHips, LinkTo(s.mA), true);
    second->SetCharacterLink(eCharacterHips, LinkTo(s.mA), true);
    second->SetInput(eCharacterInputCharacter, s.mCharacter);
    KQelEffector effector;
    effector.mNode = s.mB;
    s.mCharacter->GetControlSet()->SetEffector(eHipsEffector, effector);
    s.mCharacter->GetControlSet()->SetEffectorAux(eHipsEffector, s.mC, EEffectorSetId(1));
    EXPECT_EQ(s.mA->GetCharacterLinkCount(), 2);

    // The scene forgets the input before the input character goes.
    second->ForgetInputObject(s.mCharacter);
    s.DestroyCharacter();
    EXPECT_EQ(second->GetInputObject(), nullptr);
    EXPECT_EQ(s.mA->GetCharacterLinkCount(), 1);
    EXPECT_EQ(s.mB->GetCharacterLinkCount(), 0);
    EXPECT_EQ(s.mC->GetCharacterLinkCount(), 0);
    delete second;  // without Destruct: the destructor alone is enough
    EXPECT_EQ(s.mA->GetCharacterLinkCount(), 0);
}

}  // namespace
}  // namespace qelsdk_600
