#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/karraytemplate.h"
#include "content/attribute_test_util.h"
#include "content/kqelmarker.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

TEST(KQelMarker, StartsAsARedCubeStandardMarkerWithItsPropertiesInOrder)
{
    KQelSdkManager manager;
    KQelMarker* marker = manager.CreateKQelMarker();
    EXPECT_EQ(marker->GetType(), KQelMarker::eStandard);
    EXPECT_EQ(marker->GetLook(), KQelMarker::eCube);
    EXPECT_EQ(marker->GetSize(), 100.0);
    EXPECT_TRUE(marker->GetColor() == KQelColor(1.0, 0.0, 0.0, 1.0));
    EXPECT_FALSE(marker->GetShowLabel());
    EXPECT_EQ(marker->GetIKPivot()[3], 1.0);

    KArrayTemplate<KProperty*> properties;
    marker->FillPropertyList(&properties);
    const char* names[] = {"Look", "Size", "Color", "ShowLabel", "IKPivot"};
    ASSERT_EQ(properties.GetCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(properties[i]->GetPropertyName(), names[i]);
        EXPECT_FALSE(properties[i]->IsAnimatable()) << names[i];
    }
    EXPECT_STREQ(properties[0]->AsString().Buffer(), "Cube");
    EXPECT_EQ(properties[4]->GetPropertyType(), kPropertyVector3D);
}

TEST(KQelMarker, TypesAndLooksOutsideTheirListsAreKeptWithoutText)
{
    KQelSdkManager manager;
    KQelMarker* marker = manager.CreateKQelMarker();
    const char* typeNames[] = {"Marker", "OpticalMarker", "IKEffector", "FKEffector", "Marker"};
    for (int type = 0; type < 5; ++type) {
        marker->SetType(static_cast<KQelMarker::EType>(type));
        EXPECT_STREQ(marker->GetTypeName().Buffer(), typeNames[type]) << type;
        EXPECT_STREQ(marker->GetTypeFlags().GetStringAt(0), "Marker");
    }
    EXPECT_EQ(marker->GetType(), 4);
    marker->SetLook(static_cast<KQelMarker::ELook>(4));
    EXPECT_EQ(marker->GetLook(), 4);
    EXPECT_STREQ(KQelMarkerProperties::LookAsString(KQelMarker::eLightCross), "Light Cross");
    EXPECT_EQ(KQelMarkerProperties::LookAsString(marker->GetLook()), nullptr);
}

// The curves each role builds in a take: found or made by data type, value
// 0, display colour (0.75, 0, 0).
TEST(KQelMarker, AddChannelsBuildsTheCurvesOfItsRoleOnce)
{
    struct Case {
        KQelMarker::EType type;
        std::vector<std::string> names;
        std::vector<int> layerTypes;
    } cases[] = {
        {KQelMarker::eStandard, {}, {}},
        {KQelMarker::eOptical, {"Occlusion"}, {0}},
        {KQelMarker::eIKEffector, {"IK Reach Translation", "IK Reach Rotation"}, {1, 1}},
        {KQelMarker::eFKEffector, {}, {}},
    };
    KQelSdkManager manager;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        KQelMarker* marker = manager.CreateKQelMarker();
        marker->SetType(c.type);
        KQelTakeNode take("Take 001");
        marker->AddChannels(&take);
        ASSERT_EQ(Channels(take), c.names);
        // A second build reuses the nodes and puts their values back to 0.
        for (std::size_t i = 0; i < c.names.size(); ++i)
            take.GetKFCurveNode()->Get(static_cast<int>(i))->FCurveGet()->SetValue(5.0f);
        marker->AddChannels(&take);
        ASSERT_EQ(Channels(take), c.names);
        for (std::size_t i = 0; i < c.names.size(); ++i) {
            KFCurveNode* node = take.GetKFCurveNode()->Get(static_cast<int>(i));
            EXPECT_EQ(node->GetLayerType(), c.layerTypes[i]);
            EXPECT_STREQ(node->GetDataType()->GetName(), c.names[i].c_str());
            KFCurve* curve = node->FCurveGet();
            ASSERT_TRUE(curve);
            EXPECT_EQ(curve->GetValue(), 0.0);
            EXPECT_EQ(curve->GetColor()[0], 0.75f);
            EXPECT_EQ(curve->GetColor()[1], 0.0f);
        }
    }
}

// Removal goes by data type, so a renamed curve node still leaves, and
// another role's or a foreign curve stays.
TEST(KQelMarker, RemoveChannelsTakesItsRolesCurvesByDataType)
{
    KQelSdkManager manager;
    KQelMarker* marker = manager.CreateKQelMarker();
    marker->SetType(KQelMarker::eIKEffector);
    KQelTakeNode take("Take 001");
    KFCurveNode* root = take.GetKFCurveNode();
    root->Add(KFCurveNodeCreate("Reach", KDataTypeIKReachTranslation::DataType));
    root->Add(KFCurveNodeCreate("Occlusion", KDataTypeOcclusion::DataType));
    root->FindOrCreate("Weight", true);
    marker->RemoveChannels(&take);
    EXPECT_EQ(Channels(take), (std::vector<std::string>{"Occlusion", "Weight"}));
    marker->RemoveChannels(&take);  // nothing left of its role: nothing happens
    EXPECT_EQ(Channels(take), (std::vector<std::string>{"Occlusion", "Weight"}));
}

TEST(KQelMarker, ColourDropsAlphaAndReadsBackClamped)
{
    KQelSdkManager manager;
    KQelMarker* marker = manager.CreateKQelMarker();
    KQelColor color(0.2, 0.4, 0.6, 0.5);
    color.mRed = 3.0;  // written directly, so unclamped on the way in
    marker->SetDefaultColor(color);
    EXPECT_EQ(marker->GetPropertyHandler()->ColorGet().mData[0], 3.0);
    KQelColor read(0.0, 0.0, 0.0, 0.0);
    EXPECT_EQ(&marker->GetDefaultColor(read), &read);
    EXPECT_TRUE(read == KQelColor(1.0, 0.4, 0.6, 1.0));
}

TEST(KQelMarker, DefaultValuesOfAnUnboundMarkerAreZeroAndSettersDoNothing)
{
    KQelSdkManager manager;
    KQelMarker* marker = manager.CreateKQelMarker();
    marker->SetType(KQelMarker::eOptical);
    marker->SetDefaultOcclusion(0.5);
    EXPECT_EQ(marker->GetDefaultOcclusion(), 0.0);
}

// A new marker of that role, bound to pNode.
KQelMarker* BoundMarker(KQelSdkManager& pManager, KQelMarker::EType pType, KQelNode* pNode)
{
    KQelMarker* marker = pManager.CreateKQelMarker();
    marker->SetType(pType);
    pNode->SetNodeAttribute(marker);
    return marker;
}

// Switching the role of a bound marker swaps the curves in every take, never
// doubling one.
TEST(KQelMarker, ChangingTheRoleOfABoundMarkerSwapsItsCurvesInEveryTake)
{
    KQelSdkManager manager;
    KQelNode* node = NodeWithTakes(manager, 1);
    KQelMarker* marker = BoundMarker(manager, KQelMarker::eOptical, node);
    const std::vector<std::string> base{"Transform", "Visibility"};
    struct Step {
        KQelMarker::EType type;
        std::vector<std::string> added;
    } steps[] = {
        {KQelMarker::eOptical, {"Occlusion"}},
        {KQelMarker::eIKEffector, {"IK Reach Translation", "IK Reach Rotation"}},
        {KQelMarker::eOptical, {"Occlusion"}},
        {KQelMarker::eStandard, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.type);
        marker->SetType(step.type);
        std::vector<std::string> expected = base;
        expected.insert(expected.end(), step.added.begin(), step.added.end());
        for (int take = 0; take < 2; ++take)
            EXPECT_EQ(Channels(*node->GetTakeNode(take)), expected) << take;
    }
}

TEST(KQelMarker, BoundDefaultValuesAreTheDefaultTakesCurves)
{
    KQelSdkManager manager;
    KQelNode* node = NodeWithTakes(manager, 1);
    KQelMarker* marker = BoundMarker(manager, KQelMarker::eIKEffector, node);
    marker->SetDefaultIKReachTranslation(0.3);
    marker->SetDefaultIKReachRotation(70.0);
    marker->SetDefaultOcclusion(0.5);  // not its role: nothing
    EXPECT_EQ(marker->GetDefaultIKReachTranslation(), static_cast<double>(0.3f));
    EXPECT_EQ(node->GetDefaultTakeNode()->GetIKReachRotation()->GetValue(), 70.0);
    EXPECT_EQ(node->GetTakeNode(1)->GetIKReachRotation()->GetValue(), 0.0);
    EXPECT_EQ(marker->GetDefaultOcclusion(), 0.0);

    // Assignment copies role and display, not the pivot, and builds no curve.
    KQelNode* other = NodeWithTakes(manager, 0);
    KQelMarker* plain = BoundMarker(manager, KQelMarker::eStandard, other);
    marker->SetSize(7.0);
    marker->SetIKPivot(KQelVector4(4.0, 5.0, 6.0, 1.0));
    *plain = *marker;
    EXPECT_EQ(plain->GetType(), KQelMarker::eIKEffector);
    EXPECT_EQ(plain->GetSize(), 7.0);
    EXPECT_EQ(plain->GetIKPivot()[0], 0.0);
    EXPECT_EQ(Channels(*other->GetDefaultTakeNode()), (std::vector<std::string>{"Transform", "Visibility"}));
    EXPECT_EQ(plain->GetDefaultIKReachTranslation(), 0.0);  // no curve
}

}  // namespace
}  // namespace qelsdk_600
