#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/karraytemplate.h"
#include "content/attribute_test_util.h"
#include "content/kqellight.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

KFCurve* Curve(const KQelTakeNode& pTake, const char* pPath)
{
    KFCurveNode* node = pTake.GetKFCurveNode()->FindRecursive(pPath);
    return node ? node->FCurveGet() : nullptr;
}

// Defaults, and the set's ten properties in order: the last four, mirrored
// by curves, are the animated ones.
TEST(KQelLight, StartsAsACastingWhitePointLightWithItsPropertiesInOrder)
{
    KQelSdkManager manager;
    KQelLight* light = manager.CreateKQelLight();
    EXPECT_EQ(light->GetLightType(), KQelLight::ePoint);
    EXPECT_TRUE(light->GetCastLight() && light->GetGroundProjection() && light->GetVolumetricProjection());
    EXPECT_FALSE(light->GetFrontVolumetricProjection());
    EXPECT_EQ(light->GetFileName(), nullptr);
    KQelColor color(0.0, 0.0, 0.0, 0.0);
    EXPECT_TRUE(light->GetDefaultColor(color) == KQelColor(1.0, 1.0, 1.0, 0.0));
    EXPECT_EQ(light->GetDefaultIntensity(), 100.0);
    EXPECT_EQ(light->GetDefaultConeAngle(), 45.0);
    EXPECT_EQ(light->GetDefaultFog(), 50.0);

    KArrayTemplate<KProperty*> properties;
    light->FillPropertyList(&properties);
    const char* names[] = {"LightType",   "CastLightOnObject", "DrawVolumetricLight", "DrawGroundProjection",
                           "DrawFrontFacingVolumetricLight", "GoboProperty", "Color", "Intensity",
                           "Cone angle",  "Fog"};
    ASSERT_EQ(properties.GetCount(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_STREQ(properties[i]->GetPropertyName(), names[i]);
        EXPECT_EQ(properties[i]->IsAnimated(), i >= 6) << names[i];
    }
    EXPECT_EQ(properties[6]->GetPropertyType(), kPropertyColorRGB);
    int contentValue = 0;
    int contentClass = 0;
    light->GetPropertyHandler()->GoboProperty.GetContentSpec(contentValue, contentClass);
    EXPECT_EQ(contentClass, KQelLightProperties::ClassId);
    EXPECT_STREQ(KQelLightProperties::LightTypeAsString(KQelLight::eSpot), "Spot Light");
    EXPECT_EQ(KQelLightProperties::LightTypeAsString(static_cast<KQelLight::ELightType>(7)), nullptr);
}

TEST(KQelLight, FileNameIsACopyAndNullWhenEmpty)
{
    KQelSdkManager manager;
    KQelLight* light = manager.CreateKQelLight();
    char name[] = "gobo.tif";
    EXPECT_TRUE(light->SetFileName(name));
    name[0] = 'x';
    EXPECT_STREQ(light->GetFileName(), "gobo.tif");
    for (const char* empty : {"", static_cast<const char*>(nullptr)}) {
        light->SetFileName("a.tif");
        EXPECT_TRUE(light->SetFileName(empty));
        EXPECT_EQ(light->GetFileName(), nullptr);
    }
}

// Each take gets the four channels anew: values back to the defaults, keys
// kept, display colours set.
TEST(KQelLight, AddChannelsBuildsTheFourChannelsWithDefaults)
{
    KQelSdkManager manager;
    KQelLight* light = manager.CreateKQelLight();
    KQelTakeNode take("Take 001");
    KFCurveNode* root = take.GetKFCurveNode();
    KFCurve* old = root->FindOrCreate("Intensity", true)->FCurveGet();
    old->SetValue(3.0f);
    old->KeyAdd(KTime(0));
    root->FindOrCreate("Transform", false);
    light->AddChannels(&take);
    EXPECT_EQ(Channels(take), (std::vector<std::string>{"Intensity", "Transform", "Color", "Cone angle", "Fog"}));
    EXPECT_EQ(root->Get(root->Find("Color"))->FCurveGet(), nullptr);
    struct Row {
        const char* path;
        KFCurve* (KQelTakeNode::*getter)();
        float value;
        float color[3];
    } rows[] = {
        {"Color/X", &KQelTakeNode::GetColorR, 1.0f, {1.0f, 0.0f, 0.0f}},
        {"Color/Y", &KQelTakeNode::GetColorG, 1.0f, {0.0f, 1.0f, 0.0f}},
        {"Color/Z", &KQelTakeNode::GetColorB, 1.0f, {0.0f, 0.0f, 1.0f}},
        {"Intensity", &KQelTakeNode::GetLightIntensity, 100.0f, {0.97f, 0.91f, 0.11f}},
        {"Cone angle", &KQelTakeNode::GetLightConeAngle, 45.0f, {0.82f, 0.1f, 0.71f}},
        {"Fog", &KQelTakeNode::GetLightFog, 50.0f, {0.82f, 0.38f, 0.1f}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        KFCurve* curve = Curve(take, row.path);
        ASSERT_TRUE(curve);
        EXPECT_EQ((take.*row.getter)(), curve);
        EXPECT_EQ(curve->GetValue(), row.value);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(curve->GetColor()[i], row.color[i]);
    }
    EXPECT_EQ(old->KeyGetCount(), 1);
    // No node: no property is tied to the curves.
    old->SetValue(7.0f);
    EXPECT_EQ(light->GetDefaultIntensity(), 100.0);
}

TEST(KQelLight, RemoveChannelsLeavesOtherCurvesAndSkipsMissingOnes)
{
    KQelSdkManager manager;
    KQelLight* light = manager.CreateKQelLight();
    KQelTakeNode take("Take 001");
    take.GetKFCurveNode()->FindOrCreate("Transform", false);
    light->AddChannels(&take);
    take.GetKFCurveNode()->Delete(take.GetKFCurveNode()->Find("Cone angle"));
    light->RemoveChannels(&take);
    EXPECT_EQ(Channels(take), std::vector<std::string>{"Transform"});
}

TEST(KQelLight, UnboundDefaultValuesLiveInThePropertiesUnchecked)
{
    KQelSdkManager manager;
    KQelLight* light = manager.CreateKQelLight();
    light->SetDefaultConeAngle(-5.0);
    EXPECT_EQ(light->GetDefaultConeAngle(), -5.0);
    EXPECT_EQ(light->GetPropertyHandler()->FindPropertyByName("Cone angle")->AsDouble(), -5.0);
    KQelColor color;
    color.mRed = 2.0;  // written directly: kept as given
    light->SetDefaultColor(color);
    KQelColor read(0.0, 0.0, 0.0, 0.5);
    EXPECT_EQ(&light->GetDefaultColor(read), &read);
    EXPECT_EQ(read.mRed, 2.0);
    EXPECT_EQ(read.mAlpha, 0.5);  // untouched
}

TEST(KQelLight, AssignmentCopiesKindFlagsAndFileNameOnly)
{
    KQelSdkManager manager;
    KQelLight* source = manager.CreateKQelLight();
    source->SetLightType(KQelLight::eSpot);
    source->SetCastLight(false);
    source->SetFrontVolumetricProjection(true);
    source->SetFileName("gobo.tif");
    source->SetDefaultIntensity(10.0);
    KQelLight* target = manager.CreateKQelLight();
    *target = *source;
    EXPECT_EQ(target->GetLightType(), KQelLight::eSpot);
    EXPECT_FALSE(target->GetCastLight());
    EXPECT_TRUE(target->GetFrontVolumetricProjection());
    EXPECT_STREQ(target->GetFileName(), "gobo.tif");
    EXPECT_EQ(target->GetDefaultIntensity(), 100.0);
}

// Bound, the light's values are the Default take's curves: editing them moves
// the properties, editing another take's does not.
TEST(KQelLight, BoundLightFollowsItsNodesDefaultTake)
{
    KQelSdkManager manager;
    KQelNode* node = NodeWithTakes(manager, 2);
    KQelLight* light = manager.CreateKQelLight();
    light->SetDefaultIntensity(250.0);  // unbound: the property alone
    node->SetNodeAttribute(light);
    KProperty* intensity = light->GetPropertyHandler()->FindPropertyByName("Intensity");
    for (int take = 0; take < 3; ++take)
        EXPECT_EQ(node->GetTakeNode(take)->GetLightIntensity()->GetValue(), 100.0) << take;
    EXPECT_EQ(intensity->AsDouble(), 100.0);  // binding starts both sides from the defaults

    node->GetTakeNode(1)->GetLightIntensity()->SetValue(30.0f);
    EXPECT_EQ(intensity->AsDouble(), 100.0);
    node->GetDefaultTakeNode()->GetLightIntensity()->SetValue(60.0f);
    EXPECT_EQ(intensity->AsDouble(), 60.0);
    EXPECT_EQ(light->GetDefaultIntensity(), 60.0);

    light->SetDefaultColor(KQelColor(0.5, 0.25, 1.0, 1.0));
    EXPECT_EQ(node->GetDefaultTakeNode()->GetColorG()->GetValue(), 0.25);
    EXPECT_EQ(node->GetTakeNode(1)->GetColorG()->GetValue(), 1.0);
    KQelColor color;
    light->GetDefaultColor(color);
    EXPECT_TRUE(color == KQelColor(0.5, 0.25, 1.0, 1.0));
    light->SetDefaultFog(0.1);  // curves hold single precision, the property too once they write it
    EXPECT_EQ(light->GetDefaultFog(), static_cast<double>(0.1f));

    // Without its Default curve a value falls back on the property.
    KFCurveNode* root = node->GetDefaultTakeNode()->GetKFCurveNode();
    root->Delete(root->Find("Cone angle"));
    light->SetDefaultConeAngle(12.0);
    EXPECT_EQ(light->GetDefaultConeAngle(), 12.0);
}

// Unbinding removes the four channels from every take and keeps the node's
// own; the curves' ties to the properties go with them.
TEST(KQelLight, UnbindingRemovesItsChannelsFromEveryTake)
{
    KQelSdkManager manager;
    KQelNode* node = NodeWithTakes(manager, 2);
    const int callbacks = node->GetDefaultTakeCallbackCount();
    KQelLight* light = manager.CreateKQelLight();
    node->SetNodeAttribute(light);
    EXPECT_EQ(node->GetDefaultTakeCallbackCount(), callbacks + 6);
    EXPECT_EQ(node->SetNodeAttribute(nullptr), light);
    for (int take = 0; take < 3; ++take)
        EXPECT_EQ(Channels(*node->GetTakeNode(take)), (std::vector<std::string>{"Transform", "Visibility"})) << take;
    EXPECT_EQ(node->GetDefaultTakeCallbackCount(), callbacks);
    light->SetDefaultIntensity(5.0);
    EXPECT_EQ(light->GetDefaultIntensity(), 5.0);

    // Bound again, or destroyed while bound, nothing dangles.
    node->SetNodeAttribute(light);
    EXPECT_TRUE(manager.DestroyKQelNodeAttribute(light));
    EXPECT_EQ(node->GetNodeAttribute(), nullptr);
    EXPECT_EQ(Channels(*node->GetDefaultTakeNode()), (std::vector<std::string>{"Transform", "Visibility"}));
}

}  // namespace
}  // namespace qelsdk_600
