// A scene of every geometry and attribute kind written in the older layout
// and read back whole, binary and text; the same scene cut short; and
// hand-made documents whose counts and indices do not fit their geometry.
#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/kqelcamera.h"
#include "content/kqelcameraswitcher.h"
#include "content/kqellayer.h"
#include "content/kqellight.h"
#include "content/kqellink.h"
#include "content/kqelmarker.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "content/kqelshape.h"
#include "content/kqelglobalcamerasettings.h"
#include "geometry_documents.h"
#include "olderlayout_test_util.h"
#include "block_test_util.h"
#include "scene/kqelskeleton.h"

namespace qelsdk_600 {
namespace nativetest {
namespace {

typedef KQelLayerElement Element;

const int kPolygonCorners[] = {0, 1, 2, 3, 4, 5, 6};
const int kUVIndices[] = {3, 2, 1, 0, 0, 1, 2};
const int kColorIndices[] = {0, 1, 1, 0, 0, 1, 1, 0};

KQelNode* Add(SceneFixture& pFixture, KQelNode& pParent, const char* pName, KQelNodeAttribute* pAttribute)
{
    KQelNode* node = pFixture.manager.CreateKQelNode(pName);
    if (pAttribute)
        node->SetNodeAttribute(pAttribute);
    pParent.AddChild(node);
    return node;
}

KQelLink* MakeLink(KQelSdkManager& pManager, KQelNode* pBone, KQelNode* pModel, double pOffset)
{
    KQelLink* link = pManager.CreateKQelLink();
    link->SetLink(pBone);
    link->SetAssociateModel(pModel);
    link->SetLinkMode(KQelLink::eTotal1);
    link->SetUserData("id", "data");
    link->AddControlPointIndex(1, 0.25 + pOffset);
    link->AddControlPointIndex(6, 0.75);
    link->SetTransformT(KQelVector4(pOffset, 2, 3, 1));
    link->SetTransformLinkR(KQelVector4(0, 90, 0, 1));
    link->SetTransformAssociateModelS(KQelVector4(2, 2, 2, 1));
    return link;
}

// Every kind of geometry and attribute the older layout carries, textures,
// materials and media aside.
struct RichScene : SceneFixture {
    RichScene()
    {
        KQelNode& root = *scene->GetRootNode();
        mesh = manager.CreateKQelMesh();
        KQelNode* meshNode = Add(*this, root, "Body", mesh);
        mesh->InitControlPoints(8);
        for (int i = 0; i < 8; ++i)
            mesh->GetControlPoints()[i] = KQelVector4(i, 0.5 * i, -i, 1);
        // A quad in group 1 and a triangle in group 2.
        for (int p = 0, corner = 0; p < 2; ++p) {
            mesh->BeginPolygon(-1, -1, p + 1);
            for (int v = 0; v < 4 - p; ++v)
                mesh->AddPolygon(kPolygonCorners[corner++]);
            mesh->EndPolygon();
        }
        mesh->InitNormals(8);
        for (int i = 0; i < 8; ++i)
            mesh->GetNormals()[i] = KQelVector4(0, i % 2, 1 - i % 2, 1);
        mesh->InitTextureUVIndices(Element::eByPolygonVertex);
        for (int i = 0; i < 4; ++i)
            mesh->AddTextureUV(KQelVector2(0.25 * i, 1 - 0.25 * i));
        for (int corner = 0; corner < 7; ++corner)
            mesh->SetTextureUVIndex(corner < 4 ? 0 : 1, corner < 4 ? corner : corner - 4, kUVIndices[corner]);
        KQelLayerElementVertexColor* colors = new KQelLayerElementVertexColor;
        colors->SetMappingMode(Element::eByControlPoint);
        colors->SetReferenceMode(Element::eIndexToDirect);
        colors->GetDirectArray().Add(KQelColor(1, 0, 0, 1));
        colors->GetDirectArray().Add(KQelColor(0, 0.5, 1, 0.25));
        for (int index : kColorIndices)
            colors->GetIndexArray().Add(index);
        mesh->GetLayer(0)->SetVertexColors(colors);
        KQelShape* shape = manager.CreateKQelShape();
        shape->Copy(static_cast<KQelGeometryBase&>(*mesh));
        shape->GetControlPoints()[7][1] += 1.0;
        mesh->AddShape(shape, "Up");
        // The shape's channel keyed in a take: its name changes form around
        // the write.
        scene->CreateTake("Morph");
        AddKey(TakeOf(*meshNode, "Morph")->GetShapeChannel(mesh, 0), 1.0, 0.5f);

        KQelNode* hip = Add(*this, root, "Hip", manager.CreateKQelSkeleton());
        hip->GetSkeleton()->SetSkeletonType(KQelSkeleton::eRoot);
        KQelNode* thigh = Add(*this, *hip, "Thigh", manager.CreateKQelSkeleton());
        thigh->GetSkeleton()->SetSkeletonType(KQelSkeleton::eLimb);
        thigh->GetSkeleton()->SetLimbLength(3.5);
        KQelNode* knee = Add(*this, *thigh, "Knee", manager.CreateKQelSkeleton());
        knee->GetSkeleton()->SetSkeletonType(KQelSkeleton::eLimbNode);
        knee->GetSkeleton()->SetLimbNodeSize(42);
        mesh->AddLink(MakeLink(manager, thigh, meshNode, 1));
        mesh->AddLink(MakeLink(manager, knee, meshNode, 2));

        nurb = manager.CreateKQelNurb();
        Add(*this, root, "Sheet", nurb);
        nurb->SetOrder(4, 4);
        nurb->InitControlPoints(4, KQelNurb::kOpen, 4, KQelNurb::kOpen);
        for (int i = 0; i < 16; ++i)
            nurb->GetControlPoints()[i] = KQelVector4(i % 4, i / 4, 0.5, 1);
        for (int i = 0; i < nurb->GetUKnotCount(); ++i)
            nurb->GetUKnotVector()[i] = nurb->GetVKnotVector()[i] = i < 4 ? 0 : 1;
        patch = manager.CreateKQelPatch();
        Add(*this, root, "Quilt", patch);
        patch->InitControlPoints(2, KQelPatch::eLinear, 3, KQelPatch::eBezier);
        for (int i = 0; i < 6; ++i)
            patch->GetControlPoints()[i] = KQelVector4(i, 1, -i, 1);

        camera = manager.CreateKQelCamera();
        Add(*this, root, "Eye", camera);
        blocktest::SetCamera(*camera);
        KQelCamera* second = manager.CreateKQelCamera();
        Add(*this, root, "Spare", second);
        second->SetNearPlane(7);
        KQelCamera* top = scene->GetGlobalCameraSettings()->GetCameraProducerTop();
        top->SetNearPlane(42);
        top->SetFocalLength(80);
        KQelCameraSwitcher* switcher = manager.CreateKQelCameraSwitcher();
        Add(*this, root, "Director", switcher);
        switcher->SetDefaultCameraIndex(2);

        light = manager.CreateKQelLight();
        Add(*this, root, "Lamp", light);
        light->SetLightType(KQelLight::eSpot);
        light->SetCastLight(false);
        light->SetDefaultColor(KQelColor(0.25, 0.5, 0.75, 1));
        light->SetDefaultIntensity(75);
        light->SetDefaultConeAngle(30);

        for (KQelMarker::EType type :
             {KQelMarker::eStandard, KQelMarker::eOptical, KQelMarker::eIKEffector, KQelMarker::eFKEffector}) {
            KQelMarker* marker = manager.CreateKQelMarker();
            marker->SetType(type);
            Add(*this, root, ("Marker" + std::to_string(type)).c_str(), marker);
            marker->SetLook(KQelMarker::eSphere);
            marker->SetSize(7 + type);
        }
    }
    KQelMesh* mesh;
    KQelNurb* nurb;
    KQelPatch* patch;
    KQelCamera* camera;
    KQelLight* light;
};

template <class T>
std::vector<T> AsVector(const KArrayTemplate<T>& pArray)
{
    return std::vector<T>(pArray.GetArray(), pArray.GetArray() + pArray.GetCount());
}

void ExpectMesh(KQelMesh& pRead, KQelMesh& pWritten)
{
    ASSERT_EQ(pRead.GetControlPointsCount(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(pRead.GetControlPoints()[i] == pWritten.GetControlPoints()[i]) << "point " << i;
        EXPECT_TRUE(pRead.GetNormals()[i] == pWritten.GetNormals()[i]) << "normal " << i;
    }
    ASSERT_EQ(pRead.GetPolygonCount(), 2);
    EXPECT_EQ(std::vector<int>(pRead.GetPolygonVertices(), pRead.GetPolygonVertices() + pRead.GetPolygonVertexCount()),
              std::vector<int>(std::begin(kPolygonCorners), std::end(kPolygonCorners)));
    EXPECT_EQ(pRead.GetPolygonGroup(0), 1);
    EXPECT_EQ(pRead.GetPolygonGroup(1), 2);

    KQelLayer* layer = pRead.GetLayer(0);
    ASSERT_NE(layer, nullptr);
    const KQelLayerElementUV* uvs = layer->GetUVs();
    ASSERT_NE(uvs, nullptr);
    EXPECT_EQ(uvs->GetMappingMode(), Element::eByPolygonVertex);
    EXPECT_EQ(AsVector(uvs->GetIndexArray()), std::vector<int>(std::begin(kUVIndices), std::end(kUVIndices)));
    ASSERT_EQ(pRead.GetTextureUVCount(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(pRead.GetTextureUV()[i] == pWritten.GetTextureUV()[i]) << "uv " << i;
    const KQelLayerElementVertexColor* colors = layer->GetVertexColors();
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(colors->GetMappingMode(), Element::eByControlPoint);
    EXPECT_EQ(colors->GetReferenceMode(), Element::eIndexToDirect);
    EXPECT_EQ(AsVector(colors->GetIndexArray()), std::vector<int>(std::begin(kColorIndices), std::end(kColorIndices)));
    ASSERT_EQ(colors->GetDirectArray().GetCount(), 2);
    EXPECT_TRUE(colors->GetDirectArray()[1] == KQelColor(0, 0.5, 1, 0.25));

    ASSERT_EQ(pRead.GetShapeCount(), 1);
    EXPECT_STREQ(pRead.GetShapeName(0), "Up");
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(pRead.GetShape(0)->GetControlPoints()[i] == pWritten.GetShape(0)->GetControlPoints()[i]) << i;

    ASSERT_EQ(pRead.GetLinkCount(), 2);
    for (int l = 0; l < 2; ++l) {
        SCOPED_TRACE(l);
        KQelLink& read = *pRead.GetLink(l);
        KQelLink& written = *pWritten.GetLink(l);
        ASSERT_NE(read.GetLink(), nullptr);
        EXPECT_STREQ(read.GetLink()->GetName(), written.GetLink()->GetName());
        ASSERT_NE(read.GetAssociateModel(), nullptr);
        EXPECT_STREQ(read.GetAssociateModel()->GetName(), "Model::Body");
        EXPECT_EQ(read.GetLinkMode(), KQelLink::eTotal1);
        EXPECT_STREQ(read.GetUserData("id").Buffer(), "data");
        ASSERT_EQ(read.GetControlPointIndicesCount(), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(read.GetControlPointIndices()[i], written.GetControlPointIndices()[i]);
            EXPECT_EQ(read.GetControlPointWeights()[i], written.GetControlPointWeights()[i]);
        }
        typedef KQelXMatrix& (KQelLink::*Getter)(KQelXMatrix&) const;
        for (Getter get : {&KQelLink::GetTransformMatrix, &KQelLink::GetTransformLinkMatrix,
                           &KQelLink::GetTransformAssociateModelMatrix}) {
            KQelXMatrix readMatrix, writtenMatrix;
            const double* a = (read.*get)(readMatrix);
            const double* b = (written.*get)(writtenMatrix);
            for (int i = 0; i < 16; ++i)
                EXPECT_NEAR(a[i], b[i], 1e-9) << "entry " << i;
        }
    }
}

TEST(OlderScene, EveryGeometryAndAttributeReadsBack)
{
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        ScratchDir dir;
        const std::string path = dir.File("scene.qel");
        RichScene source;
        ASSERT_TRUE(WriteOlder(source.manager, *source.scene, path, binary));
        if (!binary) {
            // The last corner of each polygon is complemented.
            EXPECT_NE(ReadFile(path).find("0,1,2,-4,4,5,-7"), std::string::npos);
        }
        SceneFixture target;
        const ReadResult read = ReadInto(target.manager, *target.scene, path);
        ASSERT_TRUE(read.mOk) << read.mError;
        KQelNode& root = *target.scene->GetRootNode();
        auto node = [&](const char* pName) {
            KQelNode* found = root.FindChild((std::string("Model::") + pName).c_str());
            EXPECT_NE(found, nullptr) << pName;
            return found;
        };

        KQelNode* body = node("Body");
        ASSERT_TRUE(body && body->GetMesh());
        ExpectMesh(*body->GetMesh(), *source.mesh);
        KQelTakeNode* morph = TakeOf(*body, "Morph");
        ASSERT_NE(morph, nullptr);
        KFCurve* channel = morph->GetShapeChannel(body->GetMesh(), 0);
        ASSERT_NE(channel, nullptr);
        ASSERT_EQ(channel->KeyGetCount(), 1);
        EXPECT_EQ(channel->KeyGetValue(0), 0.5f);
        EXPECT_EQ(source.mesh->GetShapeChannel(TakeOf(*source.mesh->GetNode(), "Morph"), 0)->KeyGetCount(), 1);

        KQelNode* sheet = node("Sheet");
        ASSERT_TRUE(sheet && sheet->GetNurb());
        KQelNurb& nurb = *sheet->GetNurb();
        ASSERT_EQ(nurb.GetControlPointsCount(), 16);
        for (int i = 0; i < 16; ++i)
            EXPECT_TRUE(nurb.GetControlPoints()[i] == source.nurb->GetControlPoints()[i]);
        ASSERT_EQ(nurb.GetUKnotCount(), source.nurb->GetUKnotCount());
        for (int i = 0; i < nurb.GetUKnotCount(); ++i)
            EXPECT_EQ(nurb.GetUKnotVector()[i], source.nurb->GetUKnotVector()[i]);
        KQelNode* quilt = node("Quilt");
        ASSERT_TRUE(quilt && quilt->GetPatch());
        EXPECT_EQ(quilt->GetPatch()->GetUType(), KQelPatch::eLinear);
        EXPECT_EQ(quilt->GetPatch()->GetVType(), KQelPatch::eBezier);
        ASSERT_EQ(quilt->GetPatch()->GetControlPointsCount(), 6);
        EXPECT_TRUE(quilt->GetPatch()->GetControlPoints()[5] == source.patch->GetControlPoints()[5]);

        KQelNode* eye = node("Eye");
        ASSERT_TRUE(eye && eye->GetCamera());
        for (const auto& value : blocktest::kCameraValues)
            EXPECT_DOUBLE_EQ(value.second(*eye->GetCamera()), value.second(*source.camera)) << value.first;
        KQelCamera* top = target.scene->GetGlobalCameraSettings()->GetCameraProducerTop();
        EXPECT_EQ(top->GetNearPlane(), 42);
        EXPECT_EQ(top->GetFocalLength(), 80);

        // A switcher on a tree node keeps its kind and default camera; the
        // camera names are the scene switcher's.
        KQelNode* director = node("Director");
        ASSERT_TRUE(director && director->GetCameraSwitcher());
        EXPECT_EQ(director->GetCameraSwitcher()->GetDefaultCameraIndex(), 2);

        KQelNode* lamp = node("Lamp");
        ASSERT_TRUE(lamp && lamp->GetLight());
        KQelColor color;
        EXPECT_EQ(lamp->GetLight()->GetLightType(), KQelLight::eSpot);
        EXPECT_FALSE(lamp->GetLight()->GetCastLight());
        EXPECT_TRUE(lamp->GetLight()->GetDefaultColor(color) == KQelColor(0.25, 0.5, 0.75, 1));
        EXPECT_FLOAT_EQ(lamp->GetLight()->GetDefaultIntensity(), 75);
        EXPECT_FLOAT_EQ(lamp->GetLight()->GetDefaultConeAngle(), 30);

        for (int type = 0; type < 4; ++type) {
            KQelNode* marker = node(("Marker" + std::to_string(type)).c_str());
            ASSERT_TRUE(marker && marker->GetMarker());
            EXPECT_EQ(marker->GetMarker()->GetType(), type);
            EXPECT_EQ(marker->GetMarker()->GetLook(), KQelMarker::eSphere);
            EXPECT_EQ(marker->GetMarker()->GetSize(), 7 + type);
        }
        const struct {
            const char* mName;
            KQelSkeleton::ESkeletonType mType;
        } bones[] = {{"Hip", KQelSkeleton::eRoot}, {"Thigh", KQelSkeleton::eLimb}, {"Knee", KQelSkeleton::eLimbNode}};
        for (const auto& bone : bones) {
            KQelNode* found = node(bone.mName);
            ASSERT_TRUE(found && found->GetSkeleton());
            EXPECT_EQ(found->GetSkeleton()->GetSkeletonType(), bone.mType);
        }
        EXPECT_EQ(node("Thigh")->GetSkeleton()->GetLimbLength(), 3.5);
        EXPECT_EQ(node("Knee")->GetSkeleton()->GetLimbNodeSize(), 42);
    }
}

TEST(OlderScene, ATextFileCutAnywhereReadsOrFails)
{
    ScratchDir dir;
    const std::string whole = dir.File("whole.qel");
    {
        RichScene source;
        ASSERT_TRUE(WriteOlder(source.manager, *source.scene, whole, false));
    }
    ExpectEveryCutReadsOrFails(whole, dir.File("cut.qel"));
}

TEST(GeometryHostile, IndicesOutsideTheirArraysFailTheRead)
{
    for (const GeometryDocument& c : GeometryDocuments()) {
        for (bool binary : {true, false}) {
            SCOPED_TRACE(std::string(c.mName) + (binary ? " (binary)" : " (text)"));
            ScratchDir dir;
            const std::string path = dir.File("hostile.qel");
            BuildFile(path, c.mVersion, binary, c.mDocument);
            SceneFixture f;
            const ReadResult read = ReadInto(f.manager, *f.scene, path);
            EXPECT_EQ(read.mOk, c.mOk);
            EXPECT_EQ(read.mError, c.mOk ? -1 : 0);
            KQelNode* node = f.scene->GetRootNode()->FindChild("Model::M");
            ASSERT_NE(node, nullptr);
            KQelGeometry* geometry = node->GetGeometry();
            ASSERT_NE(geometry, nullptr);
            if (c.mOk) {
                // The control's skin became a link of the mesh.
                EXPECT_EQ(geometry->GetLinkCount(), c.mVersion == 6000 ? 1 : 0);
                continue;
            }
            // What does not fit is gone: polygons, elements, links.
            if (KQelMesh* mesh = node->GetMesh()) {
                for (int p = 0; p < mesh->GetPolygonCount(); ++p) {
                    for (int v = 0; v < mesh->GetPolygonSize(p); ++v)
                        EXPECT_LT(mesh->GetPolygonVertex(p, v), mesh->GetControlPointsCount());
                }
            }
            for (int l = 0; l < geometry->GetLayerCount(); ++l) {
                KQelLayer* layer = geometry->GetLayer(l);
                EXPECT_EQ(layer->GetUVs() != nullptr, c.mFirstUVStays && l == 0);
                EXPECT_EQ(layer->GetVertexColors(), nullptr);
                // An older mesh always has its material element.
                if (c.mVersion == 6000) {
                    EXPECT_EQ(layer->GetMaterials(), nullptr);
                }
            }
            EXPECT_EQ(geometry->GetLinkCount(), 0);
        }
    }
}

// Complemented corners end polygons and the last one may stay open; the
// polygons cross the blocks the field is read in. The sizes run 1 to 7,
// then one of 5000 corners.
TEST(GeometryHostile, ComplementedCornersEndThePolygonsOfAVersion6Mesh)
{
    std::vector<int> sizes, corners;
    for (int p = 0; corners.size() < 12000; ++p) {
        sizes.push_back(p == 2000 ? 5000 : 1 + p % 7);
        for (int k = 0; k < sizes.back(); ++k)
            corners.push_back(static_cast<int>(corners.size() * 7 % 4));
    }
    sizes.push_back(2);  // open: its last corner is not complemented
    corners.push_back(3);
    corners.push_back(1);
    std::vector<int> stored = corners;
    for (size_t p = 0, end = 0; p + 1 < sizes.size(); ++p) {
        end += static_cast<size_t>(sizes[p]);
        stored[end - 1] = ~stored[end - 1];
    }
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        ScratchDir dir;
        const std::string path = dir.File("polygons.qel");
        BuildFile(path, 6000, binary, [&](KQel& f) {
            WriteDefinitions(f, {"Model"});
            {
                WriteBlock objects(f, "Objects");
                ObjectBlock mesh(f, "Model", "Model::M", "Mesh");
                WriteDoubles(f, "Vertices", 12);
                WriteInts(f, "PolygonVertexIndex", stored);
            }
            WriteBlock connections(f, "Connections");
            WriteConnect(f, "OO", "Model::M", "Model::Scene");
        });
        SceneFixture f;
        ASSERT_TRUE(ReadInto(f.manager, *f.scene, path).mOk);
        KQelNode* node = f.scene->GetRootNode()->FindChild("Model::M");
        KQelMesh* mesh = node ? node->GetMesh() : nullptr;
        ASSERT_NE(mesh, nullptr);
        std::vector<int> readSizes;
        for (int p = 0; p < mesh->GetPolygonCount(); ++p)
            readSizes.push_back(mesh->GetPolygonSize(p));
        EXPECT_EQ(readSizes, sizes);
        EXPECT_EQ(std::vector<int>(mesh->GetPolygonVertices(), mesh->GetPolygonVertices() + mesh->GetPolygonVertexCount()),
                  corners);
    }
}

// Fields of the geometry and attribute blocks, each filled with a random
// count of values drawn from edge values and tokens; "{" opens a block
// holding the fields up to the matching "}".
const char* const kGarbageFields[] = {
    "Type", "Vertices", "Normals", "PolygonVertexIndex", "PolygonGroup", "MaterialAssignation", "Materials",
    "TextureMode", "TextureId", "GeometryVersion", "UCount", "VCount", "UStep", "GeometryUVInfo", "{",
    "MappingInformationType", "TextureUV", "TextureUVVerticeIndex", "}", "VertexColorInfo", "{",
    "MappingInformationType", "Colors", "ColorIndex", "}", "GeometryLayer", "{", "LayerTextureInfo", "{",
    "TextureMode", "TextureBlendMode", "TextureIdCount", "TextureId", "UVMode", "UVCount", "UV", "UVIdCount", "UVId",
    "}", "}", "Link", "{", "Mode", "Indexes", "Weights", "Transform", "TransformLink", "AssociateModel", "{",
    "Transform", "}", "}", "Shape", "{", "Indexes", "Vertices", "Normals", "}", "NurbOrder", "Dimensions", "Form",
    "Points", "Step", "SurfaceDisplay", "MultiplicityU", "MultiplicityV", "KnotVectorU", "KnotVectorV",
    "PatchType", "Closed", "UCapped", "VCapped", "Version", "AspectType", "AspectW", "FormatName",
    "ApertureFormat", "Position", "CameraAndLens", "{", "DepthOfField", "OverSampling", "}", "LightType",
    "Intensity", "CameraId", "CameraIndexName", "Look", "Size", "LimbLength", "LayerElementUV", "{",
    "MappingInformationType", "ReferenceInformationType", "UV", "UVIndex", "}", "LayerElementTexture", "{",
    "MappingInformationType", "ReferenceInformationType", "BlendMode", "TextureAlpha", "TextureId", "}",
    "Layer", "{", "LayerElement", "{", "Type", "TypedIndex", "}", "}",
};
const char* const kGarbageTexts[] = {"Mesh", "Nurb", "Patch", "Camera", "Light", "Marker", "Limb", "ByVertice",
                                     "ByPolygon", "ByPolygonVertex", "AllSame", "ByModel", "IndexToDirect", "Direct",
                                     "Open", "Closed", "Periodic", "BSpline", "Model::M", "LayerElementUV", "", "?"};

class Garbage {
public:
    explicit Garbage(unsigned int pSeed) : mState(pSeed * 2654435761u + 1u) {}
    unsigned int Next(unsigned int pBelow)
    {
        mState = mState * 1103515245u + 12345u;
        return (mState >> 8) % pBelow;
    }
    void Value(KQel& pFile)
    {
        static const int kInts[] = {0, 1, -1, 2, 3, 4, 7, 100, 100000, INT_MAX, INT_MIN, -5};
        static const double kDoubles[] = {0.0, 1.0, -1.0, 0.5, 1e30, -1e308, 1e-300, NAN, INFINITY, 3.0};
        switch (Next(3)) {
            case 0:
                pFile.FieldWriteI(kInts[Next(sizeof kInts / sizeof kInts[0])]);
                break;
            case 1:
                pFile.FieldWriteD(kDoubles[Next(sizeof kDoubles / sizeof kDoubles[0])]);
                break;
            default:
                pFile.FieldWriteC(kGarbageTexts[Next(sizeof kGarbageTexts / sizeof kGarbageTexts[0])]);
        }
    }
    // The fields from pAt to the end of their level, each kept or left out
    // at random.
    size_t Fields(KQel& pFile, size_t pAt)
    {
        const size_t count = sizeof kGarbageFields / sizeof kGarbageFields[0];
        while (pAt < count && std::string(kGarbageFields[pAt]) != "}") {
            const char* name = kGarbageFields[pAt++];
            const bool block = pAt < count && std::string(kGarbageFields[pAt]) == "{";
            const bool written = Next(3) != 0;
            if (written) {
                pFile.FieldWriteBegin(name);
                for (unsigned int v = 0, n = Next(3) == 0 ? Next(70) : Next(5); v < n; ++v)
                    Value(pFile);
                if (block)
                    pFile.FieldWriteBlockBegin();
            }
            if (block) {
                pAt = written ? Fields(pFile, pAt + 1) : Skip(pAt + 1);
                if (written)
                    pFile.FieldWriteBlockEnd();
                ++pAt;  // "}"
            }
            if (written)
                pFile.FieldWriteEnd();
        }
        return pAt;
    }

private:
    static size_t Skip(size_t pAt)
    {
        for (int depth = 0; std::string(kGarbageFields[pAt]) != "}" || depth > 0; ++pAt) {
            if (std::string(kGarbageFields[pAt]) == "{")
                ++depth;
            else if (std::string(kGarbageFields[pAt]) == "}")
                --depth;
        }
        return pAt;
    }
    unsigned int mState;
};

TEST(GeometryHostile, GarbageFieldsReadOrFailCleanly)
{
    ScratchDir dir;
    const std::string path = dir.File("garbage.qel");
    for (unsigned int seed = 0; seed < 120; ++seed) {
        SCOPED_TRACE(seed);
        const bool older = seed % 2 == 0;
        BuildFile(path, older ? 5800 : 6000, seed % 3 != 0, [&](KQel& pFile) {
            Garbage garbage(seed);
            if (older) {
                WriteModel(pFile, "Model::M", {}, [&](KQel& f) { garbage.Fields(f, 0); });
                WriteModel(pFile, "Model::B", {});
                return;
            }
            CurrentMesh([&](KQel& f) { garbage.Fields(f, 0); }, SkinObjects(static_cast<int>(seed) - 60),
                        SkinConnections)(pFile);
        });
        SceneFixture f;
        const ReadResult read = ReadInto(f.manager, *f.scene, path);
        if (!read.mOk) {
            EXPECT_NE(read.mError, -1);
        }
    }
}

}  // namespace
}  // namespace nativetest
}  // namespace qelsdk_600
