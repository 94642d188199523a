// Round trips of geometry, deformers, materials, textures and videos: a
// scene written in every form and read back by the native reader compares
// equal field by field, apart from what the writer changes on purpose:
// - the geometry's pivot is baked into the points written, so points are
//   compared through the pivot;
// - a NURBS surface asking for a flip is written flipped, so it is compared
//   with its flipped copy;
// - shading models are written in lower case;
// - cluster matrices are written without shear (the scene holds none here);
// - surfaces carry no normals, UVs, colours or polygon groups;
// - a layer without a written element is dropped (none here).
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "content/kqelgeometryconverter.h"
#include "content/kqellink.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "content/kqelshape.h"
#include "content/kqeltexture.h"
#include "content/kqelvideo.h"
#include "io/kqelimporter.h"
#include "native/writer6_test_util.h"
#include "scene/kqelentity.h"

namespace qelsdk_600 {
namespace writer6test {
namespace {

typedef KQelLayerElement E;

// ---- The scene ----

template <class T>
void Fill(KArrayTemplate<T>& pArray, std::initializer_list<T> pValues)
{
    for (const T& value : pValues)
        pArray.Add(value);
}

void SetPoints(KQelGeometryBase& pGeometry, int pCount, double pW = 1.0)
{
    pGeometry.InitControlPoints(pCount);
    for (int i = 0; i < pCount; ++i)
        pGeometry.GetControlPoints()[i] = KQelVector4(i, i * i, 1.5 * i, pW + 0.25 * i);
}

KQelNode* AddGeometryNode(SceneFixture& pFixture, const char* pName, KQelNodeAttribute* pAttribute)
{
    KQelNode* node = pFixture.AddNode(pName);
    node->SetNodeAttribute(pAttribute);
    return node;
}

// Every element type in each reference mode the writer writes, over two
// layers, with materials and textures by polygon through connections.
KQelMesh* BuildMesh(SceneFixture& pFixture, const char* pName, KQelMaterial* pRed, KQelMaterial* pBlue,
                    KQelTexture* pWood)
{
    KQelMesh* mesh = pFixture.manager.CreateKQelMesh();
    SetPoints(*mesh, 5, 1.0);
    mesh->BeginPolygon();
    for (int corner : {0, 1, 2, 3})
        mesh->AddPolygon(corner);
    mesh->BeginPolygon();
    for (int corner : {2, 3, 4})
        mesh->AddPolygon(corner);
    while (mesh->GetLayerCount() < 2)
        mesh->CreateLayer();
    KQelLayer& first = *mesh->GetLayer(0);
    KQelLayer& second = *mesh->GetLayer(1);
    KQelLayerElementNormal* normals = AddElement(first, &KQelLayer::SetNormals, E::eByControlPoint, E::eDirect);
    for (int i = 0; i < 5; ++i)
        normals->GetDirectArray().Add(KQelVector4(0, i % 2, 1 - i % 2, 0));
    if (pRed && pBlue) {
        KQelLayerElementMaterial* materials =
            AddElement(first, &KQelLayer::SetMaterials, E::eByPolygon, E::eIndexToDirect);
        Fill(materials->GetDirectArray(), {pRed, pBlue});
        Fill(materials->GetIndexArray(), {1, 0});
    }
    if (pWood) {
        KQelLayerElementTexture* textures =
            AddElement(first, &KQelLayer::SetTextures, E::eByPolygon, E::eIndexToDirect);
        textures->SetBlendMode(KQelLayerElementTexture::eAdd);
        textures->SetAlpha(0.75);
        Fill(textures->GetDirectArray(), {pWood});
        Fill(textures->GetIndexArray(), {0, 0});
    }
    KQelLayerElementPolygonGroup* groups = AddElement(first, &KQelLayer::SetPolygonGroups, E::eByPolygon, E::eIndex);
    Fill(groups->GetIndexArray(), {3, 4});
    KQelLayerElementUV* uvs = AddElement(first, &KQelLayer::SetUVs, E::eByPolygonVertex, E::eIndexToDirect);
    Fill(uvs->GetDirectArray(), {KQelVector2(0, 0), KQelVector2(1, 0), KQelVector2(0.5, 1)});
    Fill(uvs->GetIndexArray(), {0, 1, 2, 0, 2, 1, 0});
    KQelLayerElementVertexColor* colors =
        AddElement(first, &KQelLayer::SetVertexColors, E::eByPolygonVertex, E::eDirect);
    for (int i = 0; i < 7; ++i)
        colors->GetDirectArray().Add(KQelColor(i / 7.0, 0.5, 1 - i / 7.0, 1));

    KQelLayerElementNormal* cornerNormals =
        AddElement(second, &KQelLayer::SetNormals, E::eByPolygonVertex, E::eIndexToDirect);
    Fill(cornerNormals->GetDirectArray(), {KQelVector4(1, 0, 0, 0), KQelVector4(0, 0, -1, 0)});
    Fill(cornerNormals->GetIndexArray(), {0, 1, 1, 0, 0, 1, 1});
    KQelLayerElementUV* pointUVs = AddElement(second, &KQelLayer::SetUVs, E::eByControlPoint, E::eDirect);
    for (int i = 0; i < 5; ++i)
        pointUVs->GetDirectArray().Add(KQelVector2(i / 4.0, 1 - i / 4.0));
    KQelLayerElementVertexColor* pointColors =
        AddElement(second, &KQelLayer::SetVertexColors, E::eByControlPoint, E::eIndexToDirect);
    Fill(pointColors->GetDirectArray(), {KQelColor(1, 0, 0, 1), KQelColor(0, 1, 0, 0.5)});
    Fill(pointColors->GetIndexArray(), {0, 1, 0, 1, 0});

    KQelShape* shape = pFixture.manager.CreateKQelShape();
    SetPoints(*shape, 5, 1.0);
    shape->GetControlPoints()[3][1] += 2.0;
    shape->InitNormals(5);
    for (int i = 0; i < 5; ++i)
        shape->GetNormals()[i] = normals->GetDirectArray()[i];
    shape->GetNormals()[3] = KQelVector4(0, 1, 1, 0);
    mesh->AddShape(shape, "Smile");
    AddGeometryNode(pFixture, pName, mesh);
    return mesh;
}

KQelNurb* BuildNurb(SceneFixture& pFixture, const char* pName, bool pFlipUV, bool pFlipLinks)
{
    KQelNurb* nurb = pFixture.manager.CreateKQelNurb();
    nurb->SetOrder(4, 3);
    nurb->InitControlPoints(4, KQelNurb::kOpen, 3, KQelNurb::kClosed);
    nurb->SetStep(3, 5);
    nurb->SetSurfaceMode(KQelGeometry::eLow);
    SetPoints(*nurb, 12, 0.5);
    for (int i = 0; i < nurb->GetUKnotCount(); ++i)
        nurb->GetUKnotVector()[i] = i < 4 ? 0 : i - 3;
    for (int i = 0; i < nurb->GetVKnotCount(); ++i)
        nurb->GetVKnotVector()[i] = 0.5 * i;
    nurb->GetUMultiplicityVector()[1] = 2;
    nurb->SetApplyFlipUV(pFlipUV);
    nurb->SetApplyFlipLinks(pFlipLinks);
    KQelShape* shape = pFixture.manager.CreateKQelShape();
    SetPoints(*shape, 12, 0.5);
    shape->GetControlPoints()[5][2] = -4.0;
    nurb->AddShape(shape, "Bulge");
    AddGeometryNode(pFixture, pName, nurb);
    return nurb;
}

// Geometry, links and shapes; with pMediaFile also materials, a texture and
// its video.
void BuildScene(SceneFixture& pFixture, const std::string& pMediaFile)
{
    KQelSdkManager& manager = pFixture.manager;
    KQelEntity& entity = *pFixture.scene.GetEntity();
    KQelMaterial* red = nullptr;
    KQelMaterial* blue = nullptr;
    KQelTexture* wood = nullptr;
    if (!pMediaFile.empty()) {
        red = manager.CreateKQelMaterial("Red");
        red->SetShadingModel("Phong");
        blue = manager.CreateKQelMaterial("Blue");
        blue->SetShadingModel("lambert");
        blue->SetMultiLayer(true);
        KQelVideo* video = manager.CreateKQelVideo("Grain");
        video->SetFileName(pMediaFile.c_str());
        entity.AddVideo(video);
        wood = manager.CreateKQelTexture("Wood");
        wood->SetUVScaling(KQelVector2(2, 3));
        wood->SetCropping(1, 2, 3, 4);
        wood->SetAlphaSource(KQelTexture::eBlack);
        wood->GetPropertyHandler()->ConnectSrc(video->GetPropertyHandler());
    }

    KQelMesh* mesh = BuildMesh(pFixture, "Mesh", red, blue, wood);
    KQelMesh* pivoted = BuildMesh(pFixture, "Pivoted", red, blue, wood);
    KQelXMatrix pivot;
    pivot.SetTRS(KQelVector4(1, -2, 3, 0), KQelVector4(0, 0, 90, 0), KQelVector4(2, 2, 2, 0));
    pivoted->SetPivot(pivot);

    BuildNurb(pFixture, "Nurb", false, false);
    BuildNurb(pFixture, "NurbFlipUV", true, false);
    BuildNurb(pFixture, "NurbFlipBoth", true, true);
    for (int type = 0; type < 5; ++type) {
        KQelPatch* patch = manager.CreateKQelPatch();
        patch->InitControlPoints(3, static_cast<KQelPatch::EPatchType>(type), 2,
                                 static_cast<KQelPatch::EPatchType>(4 - type));
        patch->SetStep(type + 1, 2);
        patch->SetClosed(type % 2 == 0, type % 3 == 0);
        patch->SetUCapped(true, type == 1);
        patch->SetVCapped(type == 2, true);
        SetPoints(*patch, 6);
        AddGeometryNode(pFixture, ("Patch" + std::to_string(type)).c_str(), patch);
    }

    // A skin of two clusters, one with an associate model.
    KQelNode* hip = pFixture.AddNode("Hip");
    KQelNode* knee = pFixture.AddNode("Knee", hip);
    for (KQelNode* bone : {hip, knee}) {
        KQelLink* link = manager.CreateKQelLink();
        link->SetLink(bone);
        if (bone == knee) {
            link->SetAssociateModel(hip);
            link->SetLinkMode(KQelLink::eTotal1);
            link->SetTransformAssociateModelMatrix(
                KQelXMatrix(KQelVector4(0, 1, 0, 0), KQelVector4(0, 0, 30, 0), KQelVector4(1, 1, 1, 0)));
        }
        link->SetUserData("id", bone->GetName());
        link->AddControlPointIndex(bone == hip ? 0 : 3, 0.25);
        link->AddControlPointIndex(bone == hip ? 1 : 4, 0.75);
        link->SetTransformMatrix(
            KQelXMatrix(KQelVector4(0, 0, 1, 0), KQelVector4(10, 0, 0, 0), KQelVector4(1, 1, 1, 0)));
        link->SetTransformLinkMatrix(
            KQelXMatrix(KQelVector4(0, bone == hip ? 2 : 4, 0, 0), KQelVector4(0, 20, 0, 0), KQelVector4(2, 2, 2, 0)));
        mesh->AddLink(link);
    }
}

// ---- The comparer ----

class ContentComparer {
public:
    explicit ContentComparer(KQelSdkManager& pManager) : mManager(pManager) {}

    void Compare(KQelScene& pA, KQelScene& pB)
    {
        KQelEntity& a = *pA.GetEntity();
        KQelEntity& b = *pB.GetEntity();
        for (int i = 0; i < a.GetNodeCount(); ++i) {
            KQelNode* node = a.GetNode(i);
            if (node == pA.GetRootNode())
                continue;
            KQelNode* other = pB.GetRootNode()->FindChild(node->GetName());
            if (!other) {
                Note(std::string(node->GetName()) + " missing");
                continue;
            }
            CompareAttribute(node->GetName(), node->GetNodeAttribute(), other->GetNodeAttribute());
        }
        Same("material count", a.GetMaterialCount(), b.GetMaterialCount());
        for (int i = 0; i < a.GetMaterialCount(); ++i)
            CompareMaterial(*a.GetMaterial(i), b.GetMaterial(KString(a.GetMaterial(i)->GetName())));
        Same("texture count", a.GetTextureCount(), b.GetTextureCount());
        for (int i = 0; i < a.GetTextureCount(); ++i)
            CompareTexture(*a.GetTexture(i), b.GetTexture(KString(a.GetTexture(i)->GetName())));
        Same("video count", a.GetVideoCount(), b.GetVideoCount());
        for (int i = 0; i < a.GetVideoCount(); ++i) {
            KQelVideo* video = a.GetVideo(i);
            KQelVideo* other = b.GetVideo(KString(video->GetName()));
            if (!other) {
                Note(std::string(video->GetName()) + " missing");
                continue;
            }
            SameText(std::string(video->GetName()) + " file", video->GetFileName(), other->GetFileName());
        }
    }

    std::vector<std::string> mDifferences;

private:
    template <class T>
    void Same(const std::string& pWhat, const T& pA, const T& pB)
    {
        if (!(pA == pB)) {
            std::ostringstream text;
            text << pWhat << ": " << pA << " != " << pB;
            Note(text.str());
        }
    }
    void Near(const std::string& pWhat, double pA, double pB)
    {
        if (!(std::fabs(pA - pB) <= 1e-9 * (1 + std::fabs(pA))))
            Same(pWhat, pA, pB);
    }
    void SameText(const std::string& pWhat, const char* pA, const char* pB)
    {
        Same(pWhat, std::string(pA ? pA : ""), std::string(pB ? pB : ""));
    }
    void Note(const std::string& pText) { mDifferences.push_back(pText); }
    void NearVector(const std::string& pWhat, const double* pA, const double* pB, int pCount)
    {
        for (int i = 0; i < pCount; ++i)
            Near(pWhat + "[" + std::to_string(i) + "]", pA[i], pB[i]);
    }

    void CompareAttribute(const std::string& pName, KQelNodeAttribute* pA, KQelNodeAttribute* pB)
    {
        if (!pA)
            return;
        if (!pB) {
            Note(pName + " attribute missing");
            return;
        }
        Same(pName + " attribute type", static_cast<int>(pA->GetAttributeType()),
             static_cast<int>(pB->GetAttributeType()));
        if (pA->GetAttributeType() != pB->GetAttributeType())
            return;
        switch (pA->GetAttributeType()) {
        case KQelNodeAttribute::eMesh:
            CompareMesh(pName, static_cast<KQelMesh&>(*pA), static_cast<KQelMesh&>(*pB));
            break;
        case KQelNodeAttribute::eNurb:
            CompareNurb(pName, static_cast<KQelNurb&>(*pA), static_cast<KQelNurb&>(*pB));
            break;
        case KQelNodeAttribute::ePatch:
            ComparePatch(pName, static_cast<KQelPatch&>(*pA), static_cast<KQelPatch&>(*pB));
            break;
        default:
            break;
        }
    }

    // Points of pA through its pivot (the file holds them so), w when
    // pWeights.
    void ComparePoints(const std::string& pName, KQelGeometry& pA, KQelGeometryBase& pB, bool pWeights)
    {
        Same(pName + " point count", pA.GetControlPointsCount(), pB.GetControlPointsCount());
        if (pA.GetControlPointsCount() != pB.GetControlPointsCount())
            return;
        KQelXMatrix pivot;
        pA.GetPivot(pivot);
        for (int i = 0; i < pA.GetControlPointsCount(); ++i) {
            KQelVector4 expected = pivot.MultT(pA.GetControlPoints()[i]);
            expected[3] = pA.GetControlPoints()[i][3];
            NearVector(pName + " point " + std::to_string(i), expected, pB.GetControlPoints()[i], pWeights ? 4 : 3);
        }
    }

    void CompareGeometry(const std::string& pName, KQelGeometry& pA, KQelGeometry& pB, bool pMesh)
    {
        const int layers = pA.GetLayerCount();
        Same(pName + " layer count", layers, pB.GetLayerCount());
        for (int l = 0; l < layers && l < pB.GetLayerCount(); ++l)
            CompareLayer(pName + " layer " + std::to_string(l), *pA.GetLayer(l), *pB.GetLayer(l), pMesh);
        Same(pName + " shape count", pA.GetShapeCount(), pB.GetShapeCount());
        for (int s = 0; s < pA.GetShapeCount() && s < pB.GetShapeCount(); ++s) {
            const std::string shape = pName + " shape " + pA.GetShapeName(s);
            SameText(shape + " name", pA.GetShapeName(s), pB.GetShapeName(s));
            // The file holds offsets through the pivot: the read shape is
            // the read base plus them.
            KQelGeometry& base = pA;
            KQelXMatrix pivot;
            base.GetPivot(pivot);
            KQelShape& a = *pA.GetShape(s);
            KQelShape& b = *pB.GetShape(s);
            Same(shape + " point count", a.GetControlPointsCount(), b.GetControlPointsCount());
            for (int i = 0; i < a.GetControlPointsCount() && i < b.GetControlPointsCount(); ++i)
                NearVector(shape + " point " + std::to_string(i), pivot.MultT(a.GetControlPoints()[i]),
                           b.GetControlPoints()[i], 3);
        }
        Same(pName + " link count", pA.GetLinkCount(), pB.GetLinkCount());
        for (int k = 0; k < pA.GetLinkCount() && k < pB.GetLinkCount(); ++k)
            CompareLink(pName + " link " + std::to_string(k), *pA.GetLink(k), *pB.GetLink(k));
    }

    void CompareLink(const std::string& pName, KQelLink& pA, KQelLink& pB)
    {
        SameText(pName + " node", pA.GetLinkName().Buffer(), pB.GetLinkName().Buffer());
        SameText(pName + " associate model", pA.GetAssociateModelName().Buffer(),
                 pB.GetAssociateModelName().Buffer());
        Same(pName + " mode", static_cast<int>(pA.GetLinkMode()), static_cast<int>(pB.GetLinkMode()));
        SameText(pName + " user data", pA.GetUserData().Buffer(), pB.GetUserData().Buffer());
        Same(pName + " index count", pA.GetControlPointIndicesCount(), pB.GetControlPointIndicesCount());
        for (int i = 0; i < pA.GetControlPointIndicesCount() && i < pB.GetControlPointIndicesCount(); ++i) {
            Same(pName + " index", pA.GetControlPointIndices()[i], pB.GetControlPointIndices()[i]);
            Near(pName + " weight", pA.GetControlPointWeights()[i], pB.GetControlPointWeights()[i]);
        }
        KQelXMatrix a, b;
        NearVector(pName + " transform", pA.GetTransformMatrix(a), pB.GetTransformMatrix(b), 16);
        NearVector(pName + " transform link", pA.GetTransformLinkMatrix(a), pB.GetTransformLinkMatrix(b), 16);
        if (pA.GetAssociateModel())
            NearVector(pName + " associate model transform", pA.GetTransformAssociateModelMatrix(a),
                       pB.GetTransformAssociateModelMatrix(b), 16);
    }

    template <class ElementT, class Value>
    void CompareElement(const std::string& pName, ElementT* pA, ElementT* pB, Value pValue)
    {
        if (!pA) {
            Same(pName + " present", false, pB != nullptr);
            return;
        }
        if (!pB) {
            Note(pName + " missing");
            return;
        }
        Same(pName + " mapping", static_cast<int>(pA->GetMappingMode()), static_cast<int>(pB->GetMappingMode()));
        Same(pName + " reference", static_cast<int>(pA->GetReferenceMode()),
             static_cast<int>(pB->GetReferenceMode()));
        Same(pName + " direct count", pA->GetDirectArray().GetCount(), pB->GetDirectArray().GetCount());
        for (int i = 0; i < pA->GetDirectArray().GetCount() && i < pB->GetDirectArray().GetCount(); ++i)
            Same(pName + " direct " + std::to_string(i), pValue(pA->GetDirectArray()[i]),
                 pValue(pB->GetDirectArray()[i]));
        if (pA->GetReferenceMode() == E::eDirect)
            return;
        Same(pName + " index count", pA->GetIndexArray().GetCount(), pB->GetIndexArray().GetCount());
        for (int i = 0; i < pA->GetIndexArray().GetCount() && i < pB->GetIndexArray().GetCount(); ++i)
            Same(pName + " index " + std::to_string(i), pA->GetIndexArray()[i], pB->GetIndexArray()[i]);
    }

    static std::string Text(const KQelVector4& pValue)
    {
        std::ostringstream text;
        text << pValue[0] << ',' << pValue[1] << ',' << pValue[2];
        return text.str();
    }
    static std::string Text(const KQelVector2& pValue)
    {
        std::ostringstream text;
        text << pValue[0] << ',' << pValue[1];
        return text.str();
    }
    static std::string Text(const KQelColor& pValue)
    {
        std::ostringstream text;
        text << pValue.mRed << ',' << pValue.mGreen << ',' << pValue.mBlue << ',' << pValue.mAlpha;
        return text.str();
    }
    template <class T>
    static std::string Name(T* pObject)
    {
        return pObject ? pObject->GetName() : "(null)";
    }

    void CompareLayer(const std::string& pName, KQelLayer& pA, KQelLayer& pB, bool pMesh)
    {
        auto text = [](const auto& pValue) { return Text(pValue); };
        auto name = [](auto* pObject) { return Name(pObject); };
        if (pMesh) {
            CompareElement(pName + " normals", pA.GetNormals(), pB.GetNormals(), text);
            CompareElement(pName + " groups", pA.GetPolygonGroups(), pB.GetPolygonGroups(), [](int v) { return v; });
            CompareElement(pName + " UVs", pA.GetUVs(), pB.GetUVs(), text);
            CompareElement(pName + " colours", pA.GetVertexColors(), pB.GetVertexColors(), text);
        }
        CompareElement(pName + " materials", pA.GetMaterials(), pB.GetMaterials(), name);
        CompareElement(pName + " textures", pA.GetTextures(), pB.GetTextures(), name);
        if (pA.GetTextures() && pB.GetTextures()) {
            Same(pName + " blend", static_cast<int>(pA.GetTextures()->GetBlendMode()),
                 static_cast<int>(pB.GetTextures()->GetBlendMode()));
            Same(pName + " alpha", pA.GetTextures()->GetAlpha(), pB.GetTextures()->GetAlpha());
        }
    }

    void CompareMesh(const std::string& pName, KQelMesh& pA, KQelMesh& pB)
    {
        ComparePoints(pName, pA, pB, false);
        Same(pName + " polygon count", pA.GetPolygonCount(), pB.GetPolygonCount());
        for (int p = 0; p < pA.GetPolygonCount() && p < pB.GetPolygonCount(); ++p) {
            Same(pName + " polygon size", pA.GetPolygonSize(p), pB.GetPolygonSize(p));
            for (int k = 0; k < pA.GetPolygonSize(p); ++k)
                Same(pName + " corner", pA.GetPolygonVertex(p, k), pB.GetPolygonVertex(p, k));
        }
        CompareGeometry(pName, pA, pB, true);
    }

    void CompareNurb(const std::string& pName, KQelNurb& pOriginal, KQelNurb& pB)
    {
        // What the file holds: the flipped copy when a flip is asked.
        KQelNurb* copy = nullptr;
        if (pOriginal.GetApplyFlipUV() || pOriginal.GetApplyFlipLinks()) {
            KQelGeometryConverter* converter = mManager.CreateKQelGeometryConverter();
            copy = converter->FlipNurb(&pOriginal, pOriginal.GetApplyFlipUV(), pOriginal.GetApplyFlipLinks());
            mManager.DestroyKQelGeometryConverter(converter);
        }
        KQelNurb& a = copy ? *copy : pOriginal;
        ComparePoints(pName, a, pB, true);
        Same(pName + " U order", a.GetUOrder(), pB.GetUOrder());
        Same(pName + " V order", a.GetVOrder(), pB.GetVOrder());
        Same(pName + " U count", a.GetUCount(), pB.GetUCount());
        Same(pName + " V count", a.GetVCount(), pB.GetVCount());
        Same(pName + " U type", static_cast<int>(a.GetUType()), static_cast<int>(pB.GetUType()));
        Same(pName + " V type", static_cast<int>(a.GetVType()), static_cast<int>(pB.GetVType()));
        Same(pName + " U step", a.GetUStep(), pB.GetUStep());
        Same(pName + " V step", a.GetVStep(), pB.GetVStep());
        Same(pName + " surface mode", static_cast<int>(a.GetSurfaceMode()), static_cast<int>(pB.GetSurfaceMode()));
        if (a.GetUKnotCount() == pB.GetUKnotCount())
            NearVector(pName + " U knots", a.GetUKnotVector(), pB.GetUKnotVector(), a.GetUKnotCount());
        if (a.GetVKnotCount() == pB.GetVKnotCount())
            NearVector(pName + " V knots", a.GetVKnotVector(), pB.GetVKnotVector(), a.GetVKnotCount());
        for (int i = 0; i < a.GetUCount() && i < pB.GetUCount(); ++i)
            Same(pName + " U multiplicity", a.GetUMultiplicityVector()[i], pB.GetUMultiplicityVector()[i]);
        CompareGeometry(pName, a, pB, false);
        if (copy)
            mManager.DestroyKQelNodeAttribute(copy);
    }

    void ComparePatch(const std::string& pName, KQelPatch& pA, KQelPatch& pB)
    {
        ComparePoints(pName, pA, pB, false);
        Same(pName + " U type", static_cast<int>(pA.GetUType()), static_cast<int>(pB.GetUType()));
        Same(pName + " V type", static_cast<int>(pA.GetVType()), static_cast<int>(pB.GetVType()));
        Same(pName + " U count", pA.GetUCount(), pB.GetUCount());
        Same(pName + " V step", pA.GetVStep(), pB.GetVStep());
        Same(pName + " U step", pA.GetUStep(), pB.GetUStep());
        Same(pName + " closed", pA.GetUClosed() * 2 + pA.GetVClosed(), pB.GetUClosed() * 2 + pB.GetVClosed());
        Same(pName + " caps",
             pA.GetUCappedBottom() * 8 + pA.GetUCappedTop() * 4 + pA.GetVCappedBottom() * 2 + pA.GetVCappedTop(),
             pB.GetUCappedBottom() * 8 + pB.GetUCappedTop() * 4 + pB.GetVCappedBottom() * 2 + pB.GetVCappedTop());
        CompareGeometry(pName, pA, pB, false);
    }

    void CompareMaterial(KQelMaterial& pA, KQelMaterial* pB)
    {
        const std::string name = pA.GetName();
        if (!pB) {
            Note(name + " missing");
            return;
        }
        SameText(name + " shading model", KString(pA.GetShadingModel()).Lower().Buffer(), pB->GetShadingModel());
        Same(name + " multi-layer", pA.GetMultiLayer(), pB->GetMultiLayer());
    }

    void CompareTexture(KQelTexture& pA, KQelTexture* pB)
    {
        const std::string name = pA.GetName();
        if (!pB) {
            Note(name + " missing");
            return;
        }
        SameText(name + " type", pA.GetTextureType().Buffer(), pB->GetTextureType().Buffer());
        SameText(name + " file", pA.GetFileName(), pB->GetFileName());
        SameText(name + " media", pA.GetMediaName().Buffer(), pB->GetMediaName().Buffer());
        Same(name + " UV scaling", Text(pA.GetUVScaling()), Text(pB->GetUVScaling()));
        Same(name + " alpha source", static_cast<int>(pA.GetAlphaSource()), static_cast<int>(pB->GetAlphaSource()));
        Same(name + " cropping",
             std::to_string(pA.GetCroppingLeft()) + std::to_string(pA.GetCroppingRight()) +
                 std::to_string(pA.GetCroppingTop()) + std::to_string(pA.GetCroppingBottom()),
             std::to_string(pB->GetCroppingLeft()) + std::to_string(pB->GetCroppingRight()) +
                 std::to_string(pB->GetCroppingTop()) + std::to_string(pB->GetCroppingBottom()));
    }

    KQelSdkManager& mManager;
};

// pOriginal written to pPath in pFormat, then read into pRead.
void ExportAndImport(SceneFixture& pOriginal, const std::string& pPath, KQelExporter::EFileFormat pFormat,
                     SceneFixture& pRead)
{
    KQelExporter exporter(pOriginal.manager);
    exporter.Initialize(pPath.c_str());
    exporter.SetFileFormat(pFormat);
    KStreamOptionsQel options;
    ASSERT_TRUE(exporter.Export(pOriginal.scene, &options));
    KQelImporter importer(pRead.manager);
    ASSERT_TRUE(importer.Initialize(pPath.c_str()));
    const bool imported = importer.Import(pRead.scene);
    KString message;
    importer.GetMessage(message);
    EXPECT_TRUE(imported) << message.Buffer();
}

void RoundTrip(bool pMaterials)
{
    for (KQelExporter::EFileFormat format :
         {KQelExporter::eQelAscii, KQelExporter::eQelBinary, KQelExporter::eQelEncrypted}) {
        SCOPED_TRACE(format);
        ScratchDir dir;
        std::string media;
        if (pMaterials) {
            media = dir.File("grain.png");
            WriteFile(media, "grain");
        }
        const std::string path = dir.File("geometry.qel");
        SceneFixture original;
        BuildScene(original, media);
        SceneFixture read;
        ExportAndImport(original, path, format, read);
        ContentComparer comparer(original.manager);
        comparer.Compare(original.scene, read.scene);
        EXPECT_EQ(comparer.mDifferences, std::vector<std::string>{});
    }
}

TEST(Writer6ContentRoundTrip, GeometryReadsBackEqualInEveryForm)
{
    RoundTrip(false);
}

// The same scene stored by the writer before packed value runs (layout
// revision 1, kept in tests/data/native/) and by this one reads back equal.
TEST(Writer6ContentRoundTrip, GeometryOfBothLayoutRevisionsReadsBackEqual)
{
    SceneFixture original, earlier, now;
    BuildScene(original, "");
    ReadBothRevisions(original, "geometry-revision1.qel", earlier, now);
    ContentComparer comparer(original.manager);
    comparer.Compare(original.scene, earlier.scene);
    comparer.Compare(earlier.scene, now.scene);
    EXPECT_EQ(comparer.mDifferences, std::vector<std::string>{});
}

TEST(Writer6ContentRoundTrip, MaterialsTexturesAndVideosReadBackEqualInEveryForm)
{
    RoundTrip(true);
}

// Polygons of mixed sizes whose corners run over several of the pieces a
// reader takes at a time read back the same in every form.
TEST(Writer6ContentRoundTrip, ManyPolygonsOfMixedSizesReadBackEqual)
{
    const int points = 5000, polygons = 3000;
    std::vector<int> sizes, corners;
    for (int p = 0; p < polygons; ++p) {
        sizes.push_back(3 + p % 7);
        for (int k = 0; k < sizes.back(); ++k)
            corners.push_back((7 * p + 13 * k) % points);
    }
    for (KQelExporter::EFileFormat format :
         {KQelExporter::eQelAscii, KQelExporter::eQelBinary, KQelExporter::eQelEncrypted}) {
        SCOPED_TRACE(format);
        ScratchDir dir;
        SceneFixture original, read;
        KQelMesh* written = original.manager.CreateKQelMesh();
        SetPoints(*written, points);
        ASSERT_TRUE(written->AddPolygons(sizes.data(), polygons, corners.data()));
        AddGeometryNode(original, "Mesh", written);
        ExportAndImport(original, dir.File("polygons.qel"), format, read);
        KQelNode* node = read.scene.GetRootNode()->FindChild("Mesh");
        KQelMesh* mesh = node ? node->GetMesh() : nullptr;
        ASSERT_NE(mesh, nullptr);
        ASSERT_EQ(mesh->GetPolygonCount(), polygons);
        for (int p = 0, corner = 0; p < polygons; ++p) {
            ASSERT_EQ(mesh->GetPolygonSize(p), sizes[p]) << p;
            for (int k = 0; k < sizes[p]; ++k, ++corner)
                ASSERT_EQ(mesh->GetPolygonVertex(p, k), corners[corner]) << p;
        }
    }
}

// Layer arrays longer than the blocks a reader takes at a time (points and
// their normals, UVs and their index per corner, groups per polygon) read
// back equal in every form.
TEST(Writer6ContentRoundTrip, LayerArraysOverSeveralReadBlocksReadBackEqual)
{
    const int points = 5000, polygons = 3000;
    for (KQelExporter::EFileFormat format :
         {KQelExporter::eQelAscii, KQelExporter::eQelBinary, KQelExporter::eQelEncrypted}) {
        SCOPED_TRACE(format);
        ScratchDir dir;
        SceneFixture original, read;
        KQelMesh* mesh = original.manager.CreateKQelMesh();
        SetPoints(*mesh, points);
        for (int p = 0; p < polygons; ++p) {
            mesh->BeginPolygon();
            for (int k = 0; k < 3 + p % 5; ++k)
                mesh->AddPolygon((11 * p + 3 * k) % points);
        }
        KQelLayer& layer = *mesh->GetLayer(0);
        KQelLayerElementNormal* normals = AddElement(layer, &KQelLayer::SetNormals, E::eByControlPoint, E::eDirect);
        for (int i = 0; i < points; ++i)
            normals->GetDirectArray().Add(KQelVector4(i % 3 - 1, 0.5, -0.25 * i, 0));
        KQelLayerElementUV* uvs = AddElement(layer, &KQelLayer::SetUVs, E::eByPolygonVertex, E::eIndexToDirect);
        for (int i = 0; i < 700; ++i)
            uvs->GetDirectArray().Add(KQelVector2(i / 700.0, 1.5 - i));
        for (int c = 0; c < mesh->GetPolygonVertexCount(); ++c)
            uvs->GetIndexArray().Add((c * 37) % 700);
        KQelLayerElementPolygonGroup* groups = AddElement(layer, &KQelLayer::SetPolygonGroups, E::eByPolygon, E::eIndex);
        for (int p = 0; p < polygons; ++p)
            groups->GetIndexArray().Add(-p);
        AddGeometryNode(original, "Mesh", mesh);
        ExportAndImport(original, dir.File("layers.qel"), format, read);
        ContentComparer comparer(original.manager);
        comparer.Compare(original.scene, read.scene);
        EXPECT_EQ(comparer.mDifferences, std::vector<std::string>{});
    }
}

// Embedded media come back as files of the original bytes, also when two
// videos share one media file.
TEST(Writer6ContentRoundTrip, EmbeddedMediaAreExtractedOnRead)
{
    ScratchDir dir;
    const std::string media = dir.File("shared.png");
    WriteFile(media, std::string(5000, 'x') + "end");
    const std::string path = dir.File("embedded.qel");
    {
        // Two textures of one mesh, each showing its own video of the file.
        SceneFixture original;
        KQelMesh* mesh = original.manager.CreateKQelMesh();
        SetPoints(*mesh, 3);
        mesh->BeginPolygon();
        for (int corner : {0, 1, 2})
            mesh->AddPolygon(corner);
        KQelLayerElementTexture* textures =
            AddElement(*mesh->GetLayer(0), &KQelLayer::SetTextures, E::eAllSame, E::eIndexToDirect);
        for (const char* name : {"First", "Second"}) {
            KQelVideo* video = original.manager.CreateKQelVideo(name);
            video->SetFileName(media.c_str());
            original.scene.GetEntity()->AddVideo(video);
            KQelTexture* texture = original.manager.CreateKQelTexture(name);
            texture->GetPropertyHandler()->ConnectSrc(video->GetPropertyHandler());
            textures->GetDirectArray().Add(texture);
        }
        textures->GetIndexArray().Add(1);
        AddGeometryNode(original, "Mesh", mesh);
        KQelExporter exporter(original.manager);
        exporter.Initialize(path.c_str());
        exporter.SetFileFormat(KQelExporter::eQelBinary);
        KStreamOptionsQel options;
        options.SetOption(KStreamOptionsQel::eEmbedMedia, true);
        ASSERT_TRUE(exporter.Export(original.scene, &options));
    }
    std::remove(media.c_str());
    SceneFixture read;
    KQelImporter importer(read.manager);
    ASSERT_TRUE(importer.Initialize(path.c_str()));
    EXPECT_TRUE(importer.Import(read.scene));
    KQelEntity& entity = *read.scene.GetEntity();
    ASSERT_EQ(entity.GetVideoCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const char* file = entity.GetVideo(i)->GetFileName();
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(ReadFile(file), std::string(5000, 'x') + "end") << file;
    }
}

}  // namespace
}  // namespace writer6test
}  // namespace qelsdk_600
