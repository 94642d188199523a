#include <gtest/gtest.h>

#include <string>

#include "character/kqelcontrolset.h"
#include "character/kqelcontrolsetplug.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

// A control set without owner keeps nodes without back-links and never
// follows the pointers, so stand-ins do here.
KQelNode* const kMemberA = reinterpret_cast<KQelNode*>(0x1000);
KQelNode* const kMemberB = reinterpret_cast<KQelNode*>(0x2000);

KQelControlSetLink Link(KQelNode* pNode, const char* pName)
{
    KQelControlSetLink link;
    link.mNode = pNode;
    link.mTemplateName = pName;
    return link;
}

TEST(ControlSet, IdsOutsideTheirRangesAreRefusedAndChangeNothing)
{
    KQelControlSet controls;
    KQelEffector effector;
    effector.mNode = kMemberA;
    for (int id : {-1, 191, 1 << 30})
        EXPECT_FALSE(controls.SetControlSetLink(ECharacterNodeId(id), Link(kMemberA, "x"))) << id;
    for (int id : {-1, 44})
        EXPECT_FALSE(controls.SetEffector(EEffectorNodeId(id), effector)) << id;
    for (int set : {-1, 0, 15})
        EXPECT_FALSE(controls.SetEffectorAux(eHipsEffector, kMemberA, EEffectorSetId(set))) << set;
    EXPECT_FALSE(controls.SetEffectorAux(EEffectorNodeId(44), kMemberA, eEffectorSetAux1));
    for (int id = 0; id < kCharacterNodeIdCount; ++id)
        EXPECT_FALSE(controls.GetControlSetLink(ECharacterNodeId(id), nullptr)) << id;
    for (int id = 0; id < kEffectorNodeIdCount; ++id) {
        EXPECT_FALSE(controls.GetEffector(EEffectorNodeId(id), nullptr)) << id;
        for (int set = 1; set <= kEffectorAuxSetCount; ++set)
            EXPECT_FALSE(controls.GetEffectorAux(EEffectorNodeId(id), nullptr, EEffectorSetId(set)));
    }
}

TEST(ControlSet, SlotsHoldWhatIsSetAndResetKeepsNameOnlyLinksAndUseAxis)
{
    KQelControlSet controls;
    controls.SetType(KQelControlSet::EType(-3));
    controls.SetUseAxis(true);
    controls.SetLockTransform(true);
    controls.SetLock3DPick(true);
    controls.SetControlSetLink(eCharacterHips, Link(nullptr, "Hips"));
    controls.SetControlSetLink(eCharacterHead, Link(kMemberA, "Head"));
    KQelEffector effector;
    effector.mNode = kMemberB;
    effector.mShow = false;
    effector.mRActive = true;
    controls.SetEffector(eLeftWristEffector, effector);
    controls.SetEffectorAux(eHeadEffector, kMemberA, EEffectorSetId(14));

    KQelControlSetLink link;
    ASSERT_TRUE(controls.GetControlSetLink(eCharacterHead, &link));
    EXPECT_EQ(link.mNode, kMemberA);
    KQelEffector out;
    ASSERT_TRUE(controls.GetEffector(eLeftWristEffector, &out));
    EXPECT_EQ(out.mNode, kMemberB);
    EXPECT_FALSE(out.mShow);
    EXPECT_TRUE(out.mRActive);
    EXPECT_FALSE(out.mTActive);
    KQelNode* node = nullptr;
    ASSERT_TRUE(controls.GetEffectorAux(eHeadEffector, &node, EEffectorSetId(14)));
    EXPECT_EQ(node, kMemberA);

    // An empty link or an effector without node empties the slot.
    EXPECT_TRUE(controls.SetControlSetLink(eCharacterHead, KQelControlSetLink()));
    EXPECT_FALSE(controls.GetControlSetLink(eCharacterHead, nullptr));
    KQelEffector flagsOnly;
    flagsOnly.mTActive = flagsOnly.mRActive = true;
    EXPECT_TRUE(controls.SetEffector(eLeftWristEffector, flagsOnly));
    EXPECT_FALSE(controls.GetEffector(eLeftWristEffector, nullptr));
    EXPECT_TRUE(controls.SetEffectorAux(eHeadEffector, nullptr, EEffectorSetId(14)));
    EXPECT_FALSE(controls.GetEffectorAux(eHeadEffector, nullptr, EEffectorSetId(14)));

    controls.SetControlSetLink(eCharacterHead, Link(kMemberA, "Head"));
    controls.Reset();
    EXPECT_EQ(controls.GetType(), 0);
    EXPECT_TRUE(controls.GetUseAxis());
    EXPECT_FALSE(controls.GetLockTransform());
    EXPECT_FALSE(controls.GetLock3DPick());
    EXPECT_FALSE(controls.GetControlSetLink(eCharacterHead, nullptr));
    ASSERT_TRUE(controls.GetControlSetLink(eCharacterHips, &link));
    EXPECT_EQ(link.mTemplateName, KString("Hips"));
    EXPECT_EQ(link.mNode, nullptr);
}

TEST(ControlSetPlug, NewPlugListsItsValuesThenTheNamedAndEffectorLists)
{
    KQelSdkManager manager;
    KQelControlSetPlug plug(manager, "ControlSetPlug::Rig");
    EXPECT_EQ(plug.GetNameSpace(), KQelObject::eControlSetPlug);
    EXPECT_STREQ(plug.GetTypeFlags().GetStringAt(0), "ControlSetPlug");
    ASSERT_EQ(plug.GetTakeNodeCount(), 1);
    EXPECT_STREQ(plug.GetTakeNodeName(0), "Default");

    KQelControlSetPlugProperties* set = plug.GetPropertyHandler();
    ASSERT_EQ(set->GetPropertyCount(), 233);
    EXPECT_STREQ(set->GetProperty(0)->GetPropertyName(), "UseAxis");
    EXPECT_TRUE(set->UseAxisGet());
    EXPECT_STREQ(set->GetProperty(1)->GetPropertyName(), "ControlSetType");
    EXPECT_EQ(set->GetProperty(1)->GetPropertyType(), kPropertyEnum);
    EXPECT_EQ(set->GetProperty(1)->AsString(), KString());
    EXPECT_STREQ(set->GetProperty(2)->GetPropertyName(), "Hips");
    EXPECT_STREQ(set->GetProperty(188)->GetPropertyName(), "RightFootExtraFinger4");
    EXPECT_STREQ(set->GetProperty(189)->GetPropertyName(), "HipsEffector");
    EXPECT_STREQ(set->GetProperty(232)->GetPropertyName(), "RightFootExtraFingerEffector");
    EXPECT_EQ(set->FindPropertyByName("Reference")->GetUserTag(), 67u);
    for (int i = 2; i < 233; ++i) {
        KPropertyObjectList* list = static_cast<KPropertyObjectList*>(set->GetProperty(i));
        EXPECT_EQ(list->GetCount(), 0);
        EXPECT_FALSE(list->IsAnimatable());
        int content = 0;
        int contentClass = 0;
        list->GetContentSpec(content, contentClass);
        EXPECT_EQ(content, i < 189 ? 1 : 15) << i;
    }
    EXPECT_EQ(set->GetLinkList(0), set->GetProperty(2));
    EXPECT_EQ(set->GetEffectorList(43), set->GetProperty(232));
    EXPECT_EQ(set->GetLinkList(187), nullptr);
    EXPECT_EQ(set->GetEffectorList(-1), nullptr);

    // Accessors and the property model meet in one value.
    set->UseAxisSet(false);
    bool useAxis = true;
    set->GetProperty(0)->GetData(&useAxis);
    EXPECT_FALSE(useAxis);
    set->GetProperty(1)->SetInteger(2);
    EXPECT_EQ(set->ControlSetTypeGet(), 2);

    EXPECT_TRUE(set->Is(KQelPropertyHandler::ClassId));
    EXPECT_FALSE(set->Is(KPropertyObjectList::ClassId));
    EXPECT_EQ(set->GetKQelControlSetPlug(), &plug);
}

TEST(ControlSetPlug, NewControlSetWritesItsUseAxisAndEmptyLists)
{
    KQelSdkManager manager;
    KQelControlSetPlug plug(manager, "ControlSetPlug::Rig");
    KQelControlSet controls;
    controls.SetType(KQelControlSet::EType(3));
    controls.ToPlug(&plug);
    KQelControlSetPlugProperties* set = plug.GetPropertyHandler();
    EXPECT_FALSE(set->UseAxisGet());
    EXPECT_EQ(set->ControlSetTypeGet(), 3);
    for (int i = 2; i < 233; ++i)
        EXPECT_EQ(static_cast<KPropertyObjectList*>(set->GetProperty(i))->GetCount(), 0) << i;

    // A null plug is no plug either way.
    controls.ToPlug(nullptr);
    controls.SetLockTransform(true);
    controls.FromPlug(nullptr);
    EXPECT_TRUE(controls.GetLockTransform());
}

}  // namespace
}  // namespace qelsdk_600
