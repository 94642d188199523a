#include <gtest/gtest.h>

#include <climits>

#include "content/kqellayercontainer.h"
#include "content/kqelshape.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

typedef KQelLayerElement LE;

// Stand-ins for objects of classes the container only stores pointers of.
int gObjects[4];
KQelTexture* Texture(int pIndex)
{
    return reinterpret_cast<KQelTexture*>(&gObjects[pIndex]);
}
KQelMaterial* Material(int pIndex)
{
    return reinterpret_cast<KQelMaterial*>(&gObjects[pIndex]);
}

// Gives layer pLayer of pContainer a texture element in pMode with pCount
// direct entries.
KQelLayerElementTexture* AddTextures(KQelLayerContainer& pContainer, int pLayer, LE::EReferenceMode pMode,
                                     int pCount)
{
    KQelLayerElementTexture* element = new KQelLayerElementTexture;
    element->SetReferenceMode(pMode);
    for (int i = 0; i < pCount; ++i)
        element->GetDirectArray().Add(Texture(i));
    pContainer.GetLayer(pLayer)->SetTextures(element);
    return element;
}

TEST(Layers, TypedIndexCountsTheTypedLayersUpToOne)
{
    // Layer contents as texture (true) or nothing (false).
    struct Case {
        bool textured[3];
        int typedIndexOf2;
        int indexOfSecondTyped;
    } cases[] = {
        {{true, false, true}, 1, 2},
        {{true, true, false}, 1, 1},
        {{false, false, false}, -1, -1},
    };
    for (const Case& c : cases) {
        KQelSdkManager manager;
        KQelShape container(manager);
        for (bool textured : c.textured) {
            const int index = container.CreateLayer();
            if (textured)
                AddTextures(container, index, LE::eDirect, 0);
        }
        EXPECT_EQ(container.GetLayerTypedIndex(2, LE::eTexture), c.typedIndexOf2);
        EXPECT_EQ(container.GetLayerIndex(1, LE::eTexture), c.indexOfSecondTyped);
        EXPECT_EQ(container.GetLayer(1, LE::eTexture), container.GetLayer(c.indexOfSecondTyped));
        EXPECT_EQ(container.GetLayerTypedIndex(3, LE::eTexture), -1);
        EXPECT_EQ(container.GetLayerIndex(-1, LE::eTexture), -1);
    }
}

TEST(Layers, AddTextureCreatesLayersUpToItAndFindsItAgain)
{
    KQelSdkManager manager;
    KQelShape container(manager);
    container.CreateLayer();
    EXPECT_EQ(container.AT(Texture(0), 3), 0);
    ASSERT_EQ(container.GetLayerCount(), 4);
    const KQelLayerElementTexture* textures = container.GetLayer(3)->GetTextures();
    ASSERT_NE(textures, nullptr);
    EXPECT_EQ(textures->GetReferenceMode(), LE::eIndexToDirect);
    EXPECT_EQ(textures->GetAlpha(), 1.0);
    EXPECT_EQ(container.AT(Texture(0), 3), 0);
    EXPECT_EQ(container.AT(Texture(1), 3), 1);
    EXPECT_EQ(container.GTC(3), 2);
    EXPECT_EQ(container.GT(1, 3), Texture(1));

    // A material already there is refused.
    EXPECT_EQ(container.AM(Material(0), 0), 0);
    EXPECT_EQ(container.AM(Material(0), 0), -1);
    EXPECT_EQ(container.GMC(0), 1);
    EXPECT_EQ(container.GetLayer(0)->GetMaterials()->GetReferenceMode(), LE::eDirect);
}

TEST(Layers, AddRefusesWhatItCannotPlace)
{
    KQelSdkManager manager;
    KQelShape container(manager);
    EXPECT_EQ(container.AT(nullptr, 0), -1);
    EXPECT_EQ(container.AM(Material(0), static_cast<unsigned int>(INT_MAX) + 1u), -1);
    EXPECT_EQ(container.AT(Texture(0), UINT_MAX), -1);
    EXPECT_EQ(container.GetLayerCount(), 0);
}

TEST(Layers, LookupsOutsideTheLayersFindNothing)
{
    KQelSdkManager manager;
    KQelShape container(manager);
    container.CreateLayer();
    container.CreateLayer();
    AddTextures(container, 0, LE::eDirect, 2);
    AddTextures(container, 1, LE::eIndex, 2)->GetIndexArray().Add(0);
    EXPECT_EQ(container.GTC(0), 2);
    EXPECT_EQ(container.GTC(7), 0);
    EXPECT_EQ(container.GMC(0), 0);
    // Index mode counts the connected textures; a geometry on no node has
    // none.
    EXPECT_EQ(container.GTC(1), 0);
    for (unsigned int layer : {0u, 1u}) {
        EXPECT_EQ(container.GT(-1, layer), nullptr);
        EXPECT_EQ(container.GT(2, layer), nullptr);
    }
    EXPECT_EQ(container.GTI(nullptr, 0), -1);
    EXPECT_EQ(container.GMI("Red", 0), -1);
}

TEST(Layers, CopiesAreSeparateAndSelfCopiesChangeNothing)
{
    KQelSdkManager manager;
    KQelShape source(manager);
    source.InitControlPoints(2);
    source.InitNormals(0);
    source.GetNormals()[1].Set(0.0, 0.0, 1.0, 1.0);
    source.CreateLayer();
    KQelLayerElementTexture* textures = AddTextures(source, 1, LE::eIndexToDirect, 1);
    textures->SetBlendMode(KQelLayerElementTexture::eModulate2);
    textures->SetAlpha(0.5);
    textures->GetIndexArray().Add(0);

    KQelShape copy(manager);
    copy.CreateLayer();  // replaced
    copy.Copy(source, manager);
    ASSERT_EQ(copy.GetLayerCount(), 2);
    ASSERT_NE(copy.GetNormals(), source.GetNormals());
    copy.GetNormals()[1].Set(1.0, 0.0, 0.0, 1.0);
    EXPECT_EQ(source.GetNormals()[1][2], 1.0);
    const KQelLayerElementTexture* copied = copy.GetLayer(1)->GetTextures();
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, textures);
    EXPECT_EQ(copied->GetBlendMode(), KQelLayerElementTexture::eModulate2);
    EXPECT_EQ(copied->GetAlpha(), 0.5);
    EXPECT_EQ(copied->GetDirectArray().GetAt(0), Texture(0));
    EXPECT_EQ(copied->GetIndexArray().GetCount(), 1);
    EXPECT_EQ(copy.GetLayer(1)->GetNormals(), nullptr);

    source.CopyLayers(&source);
    *source.GetLayer(1) = *source.GetLayer(1);
    ASSERT_EQ(source.GetLayerCount(), 2);
    EXPECT_EQ(source.GetLayer(1)->GetTextures(), textures);
    EXPECT_EQ(source.GetNormals()[1][2], 1.0);
}

TEST(Layers, TokensFallBackOutsideTheirRange)
{
    struct Case {
        const char* (*token)(int);
        int value;
        const char* expected;
    } cases[] = {
        {LE::GetMappingModeToken, 2, "ByPolygonVertex"},
        {LE::GetMappingModeToken, 5, "NoMappingInformation"},
        {LE::GetReferenceModeToken, 2, "IndexToDirect"},
        {LE::GetReferenceModeToken, -1, "Direct"},
        {KQelLayerElementTexture::GetBlendModeToken, 4, "MaxBlend"},
        {KQelLayerElementTexture::GetBlendModeToken, 9, "Translucent"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.token(c.value), c.expected) << c.value;
}

}  // namespace
