#include <gtest/gtest.h>

#include "base/karraytemplate.h"
#include "content/kqelcamera.h"
#include "content/kqeltexture.h"
#include "curves/kfcurve.h"
#include "math/kgevector.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

typedef KQelTexture T;

int CurrentMapping(KQelTexture& pTexture)
{
    return pTexture.GetPropertyHandler()->CurrentMappingType.GetValue();
}

TEST(KQelTexture, StartsAsAnAdditiveUVClipWithPropertiesInOrder)
{
    KQelSdkManager manager;
    KQelTexture* texture = manager.CreateKQelTexture("Wood");
    ASSERT_NE(texture, nullptr);
    EXPECT_STREQ(texture->GetName(), "Texture::Wood");
    EXPECT_EQ(texture->GetMappingType(), T::eUV);
    EXPECT_EQ(CurrentMapping(*texture), T::eUMT_UV);
    EXPECT_EQ(texture->GetBlendMode(), T::eAdditive);
    EXPECT_STREQ(texture->GetTypeName().Buffer(), "TextureVideoClip");
    EXPECT_STREQ(texture->GetFileName(), "");
    EXPECT_STREQ(texture->GetRelativeFileName(), "");
    EXPECT_EQ(texture->GetUVScaling(), KQelVector2(1.0, 1.0));
    EXPECT_EQ(texture->GetDefaultAlpha(), 1.0);
    KQelVector4 t(9.0, 9.0, 9.0, 9.0), s;
    texture->GetDefaultT(t);
    texture->GetDefaultS(s);
    EXPECT_EQ(t, KQelVector4(0.0, 0.0, 0.0, 0.0));
    EXPECT_EQ(t[3], 9.0);
    EXPECT_EQ(s, KQelVector4(1.0, 1.0, 1.0, 0.0));
    EXPECT_EQ(texture->GetDefaultTakeNode()->GetTextureAlpha()->GetValue(), 1.0f);
    EXPECT_EQ(texture->GetClassID(), KQelTextureProperties::ClassId);

    KArrayTemplate<KProperty*> properties;
    texture->FillPropertyList(&properties);
    const char* names[] = {"Translation", "Rotation",   "Scaling",   "Texture alpha",
                           "TextureTypeUse", "CurrentTextureBlendMode", "UseMaterial", "UseMipMap",
                           "CurrentMappingType", "UVSwap", "WrapModeU", "WrapModeV",
                           "TextureRotationPivot", "TextureScalingPivot", "VideoProperty"};
    ASSERT_EQ(properties.GetCount(), 15);
    for (int i = 0; i < 15; ++i) {
        EXPECT_STREQ(properties[i]->GetPropertyName(), names[i]);
        EXPECT_EQ(properties[i]->IsAnimatable(), i < 4) << names[i];
    }
    EXPECT_EQ(properties[4]->AsString(), KString("Color"));
    EXPECT_EQ(properties[5]->AsString(), KString("Additive"));
    EXPECT_EQ(properties[8]->AsString(), KString("UV"));
    EXPECT_EQ(properties[11]->AsString(), KString("Repeat"));
}

TEST(KQelTexture, EnumTextsCoverTheirTablesOnly)
{
    typedef KQelTextureProperties P;
    EXPECT_STREQ(P::TextureTypeUseAsString(T::eBumpNormalMap6), "Bump Map (NormalMap)");
    EXPECT_STREQ(P::CurrentTextureBlendModeAsString(T::eModulate2), "Modulate2");
    EXPECT_STREQ(P::CurrentMappingTypeAsString(T::eUMT_PROJECTION), "Projection");
    EXPECT_STREQ(P::CurrentMappingTypeAsString(T::eUMT_NO_MAPPING), "None");
    EXPECT_STREQ(P::WrapModeVAsString(T::eClamp), "Clamp");
    EXPECT_EQ(P::TextureTypeUseAsString(static_cast<T::ETextureUse6>(6)), nullptr);
    EXPECT_EQ(P::CurrentMappingTypeAsString(static_cast<T::EUnifiedMappingType>(11)), nullptr);
    EXPECT_EQ(P::WrapModeUAsString(static_cast<T::EWrapMode>(-1)), nullptr);
}

// "CurrentMappingType" follows the mapping type, and under planar mapping
// the planar normal.
TEST(KQelTexture, MappingTypeAndPlanarNormalSetTheUnifiedMappingType)
{
    const struct {
        int normal;
        int type;
        int unified;
    } cases[] = {
        {0, 0, T::eUMT_NO_MAPPING}, {0, 1, T::eUMT_X},           {1, 1, T::eUMT_Y},
        {2, 1, T::eUMT_Z},          {5, 1, T::eUMT_UV},          {0, 2, T::eUMT_SPHERICAL},
        {0, 3, T::eUMT_CYLINDRICAL}, {0, 4, T::eUMT_BOX},        {0, 5, T::eUMT_FACE},
        {0, 6, T::eUMT_UV},         {0, 7, T::eUMT_ENVIRONMENT}, {0, 9, T::eUMT_NO_MAPPING},
        {0, -1, T::eUMT_NO_MAPPING},
    };
    KQelSdkManager manager;
    for (const auto& c : cases) {
        KQelTexture* texture = manager.CreateKQelTexture("Wood");
        texture->SetPlanarMappingNormal(static_cast<T::EPlanarMappingNormal>(c.normal));
        EXPECT_EQ(CurrentMapping(*texture), T::eUMT_UV) << "normal alone";
        texture->SetMappingType(static_cast<T::EMappingType>(c.type));
        EXPECT_EQ(texture->GetMappingType(), c.type);
        EXPECT_EQ(CurrentMapping(*texture), c.unified) << c.normal << " " << c.type;
    }

    KQelTexture* planar = manager.CreateKQelTexture("Planar");
    planar->SetPlanarMappingNormal(T::ePlanarNormalZ);
    planar->SetMappingType(T::ePlanar);
    planar->SetPlanarMappingNormal(T::ePlanarNormalX);
    EXPECT_EQ(CurrentMapping(*planar), T::eUMT_X);
    planar->SetPlanarMappingNormal(static_cast<T::EPlanarMappingNormal>(5));
    EXPECT_EQ(CurrentMapping(*planar), T::eUMT_X);
    EXPECT_EQ(planar->GetPlanarMappingNormal(), 5);

    // Reset restores the mapping type directly: the unified type stays.
    planar->SetMappingType(T::eSpherical);
    planar->Reset();
    EXPECT_EQ(planar->GetMappingType(), T::eUV);
    EXPECT_EQ(CurrentMapping(*planar), T::eUMT_SPHERICAL);
}

TEST(KQelTexture, TextureUseIsStoredInTheOtherNumbering)
{
    const struct {
        int use;
        int stored;
        int read;
    } cases[] = {{0, 0, 0}, {1, 3, 1}, {2, 4, 2}, {3, 1, 3}, {4, 2, 4}, {5, 5, 5}, {9, 0, 0}, {-1, 0, 0}};
    KQelSdkManager manager;
    KQelTexture* texture = manager.CreateKQelTexture("Wood");
    for (const auto& c : cases) {
        texture->SetTextureUse(static_cast<T::ETextureUse>(c.use));
        EXPECT_EQ(texture->GetPropertyHandler()->TextureTypeUse.GetValue(), c.stored) << c.use;
        EXPECT_EQ(texture->GetTextureUse(), c.read) << c.use;
    }
    texture->SetMaterialUse(static_cast<T::EMaterialUse>(7));
    EXPECT_FALSE(texture->GetPropertyHandler()->UseMaterial.GetValue());
    EXPECT_EQ(texture->GetMaterialUse(), T::eDefaultMaterial);
    texture->SetCropping(1, 2, 3, 4);
    EXPECT_EQ(texture->GetCroppingLeft(), 1);
    EXPECT_EQ(texture->GetCroppingTop(), 2);
    EXPECT_EQ(texture->GetCroppingRight(), 3);
    EXPECT_EQ(texture->GetCroppingBottom(), 4);
}

TEST(KQelTexture, PlacementGoesToTheDefaultCurvesAndTheProperties)
{
    KQelSdkManager manager;
    KQelTexture* texture = manager.CreateKQelTexture("Wood");
    texture->CreateTakeNode("Walk");
    texture->SetCurrentTakeNode("Walk");
    texture->SetTranslation(0.5, 0.1);
    EXPECT_EQ(texture->GetTranslationU(), 0.5);
    EXPECT_EQ(texture->GetTranslationV(), static_cast<double>(0.1f));
    KgeTVector property;
    texture->GetPropertyHandler()->FindPropertyByName("Translation")->GetData(&property);
    EXPECT_EQ(property.mData[0], 0.5);
    EXPECT_EQ(property.mData[1], 0.1);
    EXPECT_EQ(property.mData[2], 0.0);
    // Only the take "Default" holds the values.
    EXPECT_EQ(texture->GetTakeNode(1)->GetTextureTranslationX()->GetValue(), 0.0f);

    texture->SetRotation(10.0, 20.0, 30.0);
    texture->SetScale(2.0, 3.0);
    EXPECT_EQ(texture->GetRotationW(), 30.0);
    EXPECT_EQ(texture->GetScaleV(), 3.0);
    EXPECT_EQ(texture->GetDefaultTakeNode()->GetTextureScaleZ()->GetValue(), 1.0f);
    // Alpha reads the property, which keeps double precision.
    texture->SetDefaultAlpha(0.1);
    EXPECT_EQ(texture->GetDefaultAlpha(), 0.1);
    EXPECT_EQ(texture->GetDefaultTakeNode()->GetTextureAlpha()->GetValue(), 0.1f);
}

TEST(KQelTexture, EqualityIgnoresNumberSuffixesAndUncomparedSettings)
{
    KQelSdkManager manager;
    KQelTexture* wood = manager.CreateKQelTexture("Wood");
    KQelTexture* wood2 = manager.CreateKQelTexture("Wood 2");
    wood2->SetBlendMode(T::eModulate);
    wood2->SetWrapMode(T::eClamp, T::eClamp);
    wood2->SetRelativeFileName("rel/wood.tif");
    wood2->SetDefaultT(KQelVector4(0.0, 0.0, 5.0, 1.0));
    EXPECT_TRUE(*wood == *wood2);
    EXPECT_FALSE(*wood == *manager.CreateKQelTexture("Woods"));

    const struct {
        const char* what;
        void (*change)(KQelTexture&);
    } differences[] = {
        {"file", [](KQelTexture& p) { p.SetFileName("wood.tif"); }},
        {"media", [](KQelTexture& p) { p.SetMediaName("Video::Wood"); }},
        {"scale v", [](KQelTexture& p) { p.SetScale(1.0, 2.0); }},
        {"alpha", [](KQelTexture& p) { p.SetDefaultAlpha(0.5); }},
        {"cropping", [](KQelTexture& p) { p.SetCropping(0, 0, 0, 1); }},
        {"use", [](KQelTexture& p) { p.SetTextureUse(T::eLightMap); }},
        {"uv", [](KQelTexture& p) { p.SetUVTranslation(KQelVector2(0.0, 1.0)); }},
    };
    for (const auto& d : differences) {
        KQelTexture* other = manager.CreateKQelTexture("Wood 3");
        d.change(*other);
        EXPECT_FALSE(*wood == *other) << d.what;
    }
}

TEST(KQelTexture, AssignmentKeepsRelativeNameMipMapAndPivots)
{
    KQelSdkManager manager;
    KQelTexture* source = manager.CreateKQelTexture("Stone");
    source->SetFileName("stone.tif");
    source->SetRelativeFileName("a/stone.tif");
    source->SetMappingType(T::eBox);
    source->SetBlendMode(T::eTranslucent);
    source->SetScale(2.0, 2.0);
    KQelTexture* target = manager.CreateKQelTexture("Wood");
    target->SetRelativeFileName("b/wood.tif");
    target->GetPropertyHandler()->UseMipMap.SetValue(true);
    *target = *source;
    EXPECT_STREQ(target->GetFileName(), "stone.tif");
    EXPECT_STREQ(target->GetRelativeFileName(), "b/wood.tif");
    EXPECT_TRUE(target->GetPropertyHandler()->UseMipMap.GetValue());
    EXPECT_EQ(CurrentMapping(*target), T::eUMT_BOX);
    EXPECT_EQ(target->GetBlendMode(), T::eTranslucent);
    EXPECT_EQ(target->GetScaleU(), 2.0);
    EXPECT_TRUE(*target == *source);

    // An empty file name is refused and leaves the one held.
    EXPECT_FALSE(target->SetFileName(""));
    EXPECT_FALSE(target->SetFileName(nullptr));
    EXPECT_STREQ(target->GetFileName(), "stone.tif");
}

TEST(KQelTexture, CameraBackgroundConnectsTheTextureToItsNodeOnce)
{
    KQelSdkManager manager;
    KQelTexture* texture = manager.CreateKQelTexture("Sky");
    KQelCamera* camera = manager.CreateKQelCamera();
    camera->SetBackgroundTexture(texture);  // on no node: nothing
    EXPECT_EQ(texture->GetPropertyHandler()->GetDstCount(), 0);

    KQelNode* node = manager.CreateKQelNode("Camera");
    node->SetNodeAttribute(camera);
    camera->SetBackgroundTexture(nullptr);
    camera->SetBackgroundTexture(texture);
    camera->SetBackgroundTexture(texture);
    KQelNodeProperties* set = node->GetPropertyHandler();
    EXPECT_EQ(set->GetSrcCount(), 1);
    EXPECT_EQ(set->GetSrc(0), texture->GetPropertyHandler());
}

}  // namespace
}  // namespace qelsdk_600
