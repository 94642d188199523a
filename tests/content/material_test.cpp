#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "base/karraytemplate.h"
#include "content/kqelmaterial.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvekey.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

double MaterialValue(KQelMaterial& pMaterial, const char* pName)
{
    return pMaterial.GetPropertyHandler()->FindPropertyByName(pName)->AsDouble();
}

TEST(KQelMaterial, StartsPhongWithSinglePrecisionDefaultsAndAnimatedProperties)
{
    KQelSdkManager manager;
    KQelMaterial* material = manager.CreateKQelMaterial("Wood");
    ASSERT_NE(material, nullptr);
    EXPECT_STREQ(material->GetName(), "Material::Wood");
    EXPECT_STREQ(material->GetShadingModel(), "phong");
    EXPECT_FALSE(material->GetMultiLayer());
    EXPECT_EQ(material->GetClassID(), KQelMaterialProperties::ClassId);
    EXPECT_TRUE(material->GetPropertyHandler()->Is(KQelPropertyHandler::ClassId));

    const struct {
        KQelColor color;
        float value;
    } colors[] = {{material->GetEmissive(), 0.0f},
                  {material->GetAmbient(), 0.2f},
                  {material->GetDiffuse(), 0.8f},
                  {material->GetSpecular(), 0.2f}};
    for (const auto& c : colors) {
        EXPECT_EQ(c.color.mRed, static_cast<double>(c.value));
        EXPECT_EQ(c.color.mGreen, static_cast<double>(c.value));
        EXPECT_EQ(c.color.mBlue, static_cast<double>(c.value));
        EXPECT_EQ(c.color.mAlpha, 1.0);
    }
    EXPECT_EQ(material->GetOpacity(), 1.0);
    EXPECT_EQ(material->GetReflectivity(), static_cast<double>(0.3f));
    EXPECT_EQ(material->GetShininess(), static_cast<double>(6.4f) / 128.0);
    EXPECT_EQ(material->GetDefaultTakeNode()->GetMaterialShininess()->GetValue(), 6.4f);

    KArrayTemplate<KProperty*> properties;
    material->FillPropertyList(&properties);
    const char* names[] = {"Emissive", "Ambient", "Diffuse", "Specular", "Opacity", "Reflectivity", "Shininess"};
    ASSERT_EQ(properties.GetCount(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_STREQ(properties[i]->GetPropertyName(), names[i]);
        EXPECT_TRUE(properties[i]->IsAnimatable() && properties[i]->IsAnimated()) << names[i];
    }
    EXPECT_EQ(properties[0]->GetPropertyType(), kPropertyColorRGB);
}

// The factors are clamped to [0, 1]; the shininess curve, and the property
// it drives, hold 128 times the public value.
TEST(KQelMaterial, FactorsAreClampedAndShininessIsStoredTimes128)
{
    KQelSdkManager manager;
    KQelMaterial* material = manager.CreateKQelMaterial("Wood");
    const struct {
        void (KQelMaterial::*set)(double);
        double (KQelMaterial::*get)();
        const char* property;
        double given;
        double stored;
        double read;
    } cases[] = {
        {&KQelMaterial::SetShininess, &KQelMaterial::GetShininess, "Shininess", 0.5, 64.0, 0.5},
        {&KQelMaterial::SetShininess, &KQelMaterial::GetShininess, "Shininess", 2.0, 128.0, 1.0},
        {&KQelMaterial::SetShininess, &KQelMaterial::GetShininess, "Shininess", -1.0, 0.0, 0.0},
        {&KQelMaterial::SetOpacity, &KQelMaterial::GetOpacity, "Opacity", 1.5, 1.0, 1.0},
        {&KQelMaterial::SetReflectivity, &KQelMaterial::GetReflectivity, "Reflectivity", -0.2, 0.0, 0.0},
        {&KQelMaterial::SetReflectivity, &KQelMaterial::GetReflectivity, "Reflectivity", 0.25, 0.25, 0.25},
    };
    for (const auto& c : cases) {
        (material->*c.set)(c.given);
        EXPECT_EQ(MaterialValue(*material, c.property), c.stored) << c.property << " " << c.given;
        EXPECT_EQ((material->*c.get)(), c.read) << c.property << " " << c.given;
    }
}

TEST(KQelMaterial, ColoursAreStoredUnclampedAndReadBackOpaque)
{
    KQelSdkManager manager;
    KQelMaterial* material = manager.CreateKQelMaterial("Wood");
    KQelColor color(0.5, 0.25, 0.75, 0.3);
    color.mBlue = 1.5;  // written past the colour's own clamp
    material->SetAmbient(color);
    const KQelColor read = material->GetAmbient();
    EXPECT_EQ(read.mRed, 0.5);
    EXPECT_EQ(read.mGreen, 0.25);
    EXPECT_EQ(read.mBlue, 1.5);
    EXPECT_EQ(read.mAlpha, 1.0);
    KgeRGBVector property;
    material->GetPropertyHandler()->Ambient.GetData(&property);
    EXPECT_EQ(property.mData[2], 1.5);
    // The default getters leave alpha as it was.
    KQelColor target(0.0, 0.0, 0.0, 0.5);
    EXPECT_EQ(material->GetDefaultAmbientColor(target).mAlpha, 0.5);
}

TEST(KQelMaterial, EqualityWeighsNameValuesAndShadingModelOnly)
{
    KQelSdkManager manager;
    KQelMaterial* a = manager.CreateKQelMaterial("Wood");
    KQelMaterial* b = manager.CreateKQelMaterial("Wood");
    a->SetShadingModel("Phong");
    b->SetMultiLayer(true);
    b->CreateTakeNode("Walk");
    KFCurveKey key;
    key.Set(KTime(0), 0.9f);
    b->GetTakeNode(1)->GetMaterialOpacity()->KeyAdd(KTime(0), key);
    EXPECT_TRUE(*a == *b);

    KQelMaterial* renamed = manager.CreateKQelMaterial("wood");
    EXPECT_FALSE(*a == *renamed);
    b->SetShininess(0.25);
    EXPECT_FALSE(*a == *b);
    b->SetShininess(a->GetShininess());
    b->SetShadingModel("lambert");
    EXPECT_FALSE(*a == *b);
    b->SetShadingModel("phong");
    b->SetDefaultEmissiveColor(KQelColor(0.0, 0.0, 0.1, 1.0));
    EXPECT_FALSE(*a == *b);
    // A NaN is equal to nothing, itself included.
    KQelColor nan;
    nan.mRed = std::numeric_limits<double>::quiet_NaN();
    a->SetDefaultDiffuseColor(nan);
    EXPECT_FALSE(*a == *a);
}

TEST(KQelMaterial, AssignmentCopiesTakesAndShadingModelAndResetKeepsValues)
{
    KQelSdkManager manager;
    KQelMaterial* source = manager.CreateKQelMaterial("Stone");
    source->SetShadingModel("lambert");
    source->SetOpacity(0.5);
    source->CreateTakeNode("Walk");
    KQelMaterial* target = manager.CreateKQelMaterial("Wood");
    target->SetMultiLayer(true);
    *target = *source;
    EXPECT_STREQ(target->GetShadingModel(), "lambert");
    EXPECT_TRUE(target->GetMultiLayer());
    EXPECT_EQ(target->GetTakeNodeCount(), 2);
    EXPECT_EQ(target->GetOpacity(), 0.5);

    // Reset makes the Default take anew from the property values, and the
    // new curves drive the properties again.
    source->Reset();
    EXPECT_EQ(source->GetTakeNodeCount(), 1);
    EXPECT_STREQ(source->GetShadingModel(), "phong");
    EXPECT_EQ(source->GetOpacity(), 0.5);
    source->SetOpacity(0.75);
    EXPECT_EQ(MaterialValue(*source, "Opacity"), 0.75);
}

}  // namespace
}  // namespace qelsdk_600
