#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "node_test_util.h"
#include "object/kdatatype.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {
namespace {

// Adds a child with a curve holding pValue as default value.
KFCurveNode* Leaf(KFCurveNode* pParent, const char* pName, float pValue, KDataType* pDataType = nullptr)
{
    KFCurveNode* node = KFCurveNodeCreate(pName, pDataType);
    node->FCurveSet(KFCurveCreate());
    node->FCurveGet()->SetValue(pValue);
    pParent->Add(node);
    return node;
}

// Adds a group node with X, Y, Z leaves of values base + 1, + 2, + 3.
KFCurveNode* Triple(KFCurveNode* pParent, const char* pName, float pBase, KDataType* pDataType = nullptr)
{
    KFCurveNode* node = KFCurveNodeCreate(pName, pDataType);
    pParent->Add(node);
    Leaf(node, "X", pBase + 1);
    Leaf(node, "Y", pBase + 2);
    Leaf(node, "Z", pBase + 3);
    return node;
}

// The getters find the curve at their address, whatever else the tree holds
// (each level is searched through the whole subtree below the last).
TEST(KQelTakeNode, ChannelGettersReadTheirAddress)
{
    KQelTakeNode take("Take 001");
    KFCurveNode* root = take.GetKFCurveNode();
    KFCurveNode* transform = KFCurveNodeCreate("Transform");
    root->Add(transform);
    Triple(transform, "Lcl Translation", 10, KDataTypeLclTranslation::DataType);  // "T" by data type
    Triple(transform, "S", 20);
    Leaf(root, "Visibility", 30, KDataTypeVisibility::DataType);
    Triple(root, "BackgroundColor (Color)", 40);
    Triple(root, "Color", 50);
    KFCurveNode* deep = KFCurveNodeCreate("Light");
    root->Add(deep);
    Leaf(deep, "Cone angle", 60);
    Leaf(deep, "Reach", 70, KDataTypeIKReachRotation::DataType);
    Triple(root, "Rotation", 80);
    Leaf(root, "Shininess", 90);

    typedef KFCurve* (KQelTakeNode::*Getter)();
    struct Case {
        Getter getter;
        float expected;
    } cases[] = {
        {&KQelTakeNode::GetTranslationX, 11},       {&KQelTakeNode::GetTranslationZ, 13},
        {&KQelTakeNode::GetScaleY, 22},             {&KQelTakeNode::GetVisibility, 30},
        {&KQelTakeNode::GetBackgroundColorB, 43},   {&KQelTakeNode::GetColorR, 51},
        {&KQelTakeNode::GetLightConeAngle, 60},     {&KQelTakeNode::GetIKReachRotation, 70},
        {&KQelTakeNode::GetTextureEulerRotationY, 82}, {&KQelTakeNode::GetMaterialShininess, 90},
    };
    for (const Case& c : cases) {
        KFCurve* curve = (take.*c.getter)();
        ASSERT_TRUE(curve) << c.expected;
        EXPECT_EQ(curve->GetValue(), c.expected);
    }
    EXPECT_EQ(take.GetLastErrorID(), -1);

    const Getter missing[] = {&KQelTakeNode::GetEulerRotationX, &KQelTakeNode::GetLightIntensity,
                              &KQelTakeNode::GetOcclusion, &KQelTakeNode::GetMaterialEmissiveColorG};
    for (Getter getter : missing) {
        take.GetError().ClearLastError();
        EXPECT_EQ((take.*getter)(), nullptr);
        EXPECT_STREQ(take.GetLastErrorString(), "Curve not found");
    }
    // A group that is missing stops the search even when the rest exists.
    EXPECT_EQ(take.GetKFCurve("Nothing", "T", "X"), nullptr);
    EXPECT_EQ(take.GetKFCurve(nullptr, "Light", static_cast<const char*>(nullptr)), nullptr);  // no own curve
    EXPECT_FALSE(take.IsChannelAnimated("Transform", "T", "X"));
    take.GetTranslationX()->KeyAdd(Frame(3));
    EXPECT_TRUE(take.IsChannelAnimated("Transform", "T", "X"));
}

TEST(KQelTakeNode, PropertyAnimationAddressesMembersOrTheOwnCurve)
{
    KQelSdkManager manager;
    KQelTakeNode take("Default");
    KFCurveNode* root = take.GetKFCurveNode();
    Triple(root, "T", 0);
    Leaf(root, "Weight", 5);
    KPropertyTemplate<KgeTVector> translation;
    translation.SetPropertyName("Lcl Translation");
    KPropertyTemplate<double> weight;
    weight.SetPropertyName("Weight");
    KQelUserProperty vector(manager, &translation);
    KQelUserProperty scalar(manager, &weight);

    struct Case {
        KQelUserProperty* property;
        unsigned int component;
        float expected;  // 0: no curve
    } cases[] = {
        {&vector, 1, 2}, {&vector, 2, 3}, {&vector, 3, 0}, {&scalar, 0, 5}, {&scalar, 1, 0}, {nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        take.GetError().ClearLastError();
        KFCurve* curve = take.GetPropertyAnimation(c.property, c.component);
        if (c.expected == 0) {
            EXPECT_EQ(curve, nullptr);
            EXPECT_EQ(take.GetLastErrorID(), 0);
        } else {
            ASSERT_TRUE(curve);
            EXPECT_EQ(curve->GetValue(), c.expected);
        }
    }
}

// Translation nodes "Transform"/"T"/X, Y, Z with those defaults.
KFCurve** Translation(KQelTakeNode& pTake, float pX, float pY, float pZ, KFCurve** pCurves)
{
    KFCurveNode* transform = KFCurveNodeCreate("Transform");
    pTake.GetKFCurveNode()->Add(transform);
    KFCurveNode* t = KFCurveNodeCreate("T");
    transform->Add(t);
    pCurves[0] = Leaf(t, "X", pX)->FCurveGet();
    pCurves[1] = Leaf(t, "Y", pY)->FCurveGet();
    pCurves[2] = Leaf(t, "Z", pZ)->FCurveGet();
    return pCurves;
}

TEST(KQelTakeNode, RotatingTranslationTurnsTheDefaultValues)
{
    KQelTakeNode take("Default");
    KFCurve* curves[3];
    Translation(take, 0, 1, 0, curves);
    ASSERT_TRUE(take.AddRotationToTranslation(KQelVector4(90, 0, 0, 0)));
    EXPECT_NEAR(curves[0]->GetValue(), 0.0, 1e-6);
    EXPECT_NEAR(curves[1]->GetValue(), 0.0, 1e-6);
    EXPECT_NEAR(curves[2]->GetValue(), 1.0, 1e-6);
    for (KFCurve* curve : curves)
        EXPECT_EQ(curve->KeyGetCount(), 0);

    KQelTakeNode incomplete("Take");
    KFCurveNode* t = KFCurveNodeCreate("T");
    KFCurveNode* transform = KFCurveNodeCreate("Transform");
    incomplete.GetKFCurveNode()->Add(transform);
    transform->Add(t);
    KFCurve* x = Leaf(t, "X", 4)->FCurveGet();
    Leaf(t, "Y", 5);
    EXPECT_FALSE(incomplete.AddRotationToTranslation(KQelVector4(90, 0, 0, 0)));
    EXPECT_EQ(x->GetValue(), 4.0f);
}

// Keys on different curves at different times: every curve gets a key at
// every time of the union, holding the rotated evaluation there.
TEST(KQelTakeNode, RotatingTranslationKeysTheUnionOfKeyTimes)
{
    KQelTakeNode take("Default");
    KFCurve* curves[3];
    Translation(take, 7, 2, -3, curves);  // Y stays constant: its default
    curves[0]->KeyAdd(Frame(0));
    curves[0]->KeySetValue(0, 1.0f);
    curves[0]->KeyAdd(Frame(10));
    curves[0]->KeySetValue(1, 5.0f);
    curves[2]->KeyAdd(Frame(5));
    curves[2]->KeySetValue(0, 4.0f);
    const double xAt5 = curves[0]->Evaluate(Frame(5));

    ASSERT_TRUE(take.AddRotationToTranslation(KQelVector4(90, 0, 0, 0)));
    // A turn of 90 degrees about X takes (x, y, z) to (x, -z, y).
    const double expected[3][3] = {{1.0, xAt5, 5.0}, {-4.0, -4.0, -4.0}, {2.0, 2.0, 2.0}};
    const int frames[3] = {0, 5, 10};
    for (int axis = 0; axis < 3; ++axis) {
        KFCurve* curve = curves[axis];
        ASSERT_EQ(curve->KeyGetCount(), 3) << axis;
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(curve->KeyGetTime(k), Frame(frames[k]));
            EXPECT_NEAR(curve->KeyGetValue(k), expected[axis][k], 1e-5) << axis << " " << k;
            EXPECT_EQ(curve->KeyGetInterpolation(k), static_cast<kUInt>(kFCurveInterpolationCubic));
            EXPECT_EQ(curve->KeyGetTangeantMode(k) & kFCurveTangentAuto, static_cast<kUInt>(kFCurveTangentAuto));
        }
    }
    EXPECT_NEAR(curves[0]->GetValue(), 7.0, 1e-6);
    EXPECT_NEAR(curves[1]->GetValue(), 3.0, 1e-6);
    EXPECT_NEAR(curves[2]->GetValue(), 2.0, 1e-6);
}

}  // namespace
}  // namespace qelsdk_600
