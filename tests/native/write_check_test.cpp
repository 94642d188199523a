// The check before a write: a scene whose file the reader would refuse is
// not written and the exporter says why. The current layout refuses every
// fault its reader refuses; the older layout converts the layer elements it
// writes and refuses only links its reader refuses. Whatever a form writes
// reads back.
#include <gtest/gtest.h>

#include <type_traits>

#include "content/kqellink.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqeltexture.h"
#include "native/native_test_util.h"
#include "native/writer6_test_util.h"
#include "scene/kqelnull.h"

namespace qelsdk_600 {
namespace writer6test {
namespace {

typedef KQelLayerElement E;
typedef KQelExporter::EFileFormat Format;

const Format kCurrentFormats[] = {KQelExporter::eQelBinary, KQelExporter::eQelAscii, KQelExporter::eQelEncrypted};
const Format kOlderFormats[] = {KQelExporter::eQel5Binary, KQelExporter::eQel5Ascii};
const Format kEveryForm[] = {KQelExporter::eQelBinary, KQelExporter::eQelAscii, KQelExporter::eQelEncrypted,
                             KQelExporter::eQel5Binary, KQelExporter::eQel5Ascii};
// No state turned off.
const KQelExporter::EExportState kNone = KQelExporter::eExportStateCount;
// The kinds of a fault that is a link, or nothing, rather than an element.
const int kLink = 0;
const int kNothing = -1;

// A layer element of kind mKind (E::eUV, ...) with these modes, mValues
// direct values (materials and textures: objects) and mIndices; or (kLink)
// a link naming the points mIndices.
struct Fault {
    int mKind;
    E::EMappingMode mMapping;
    E::EReferenceMode mReference;
    int mValues;
    std::vector<int> mIndices = {};
};

// Puts pFault into layer pLayer of pGeometry; materials and textures are
// added as the layer's own (AM, AT) before the element takes its modes.
void AddFault(SceneFixture& pFixture, KQelGeometry& pGeometry, int pLayer, const Fault& pFault)
{
    KQelLayer& layer = *pGeometry.GetLayer(pLayer);
    static int objects = 0;
    for (int i = 0; i < pFault.mValues && (pFault.mKind == E::eMaterial || pFault.mKind == E::eTexture); ++i) {
        const std::string name = "Object" + std::to_string(++objects);
        if (pFault.mKind == E::eMaterial) {
            pGeometry.AM(pFixture.manager.CreateKQelMaterial(name.c_str()), pLayer);
            continue;
        }
        KQelTexture* texture = pFixture.manager.CreateKQelTexture(name.c_str());
        texture->SetFileName((name + ".png").c_str());
        pGeometry.AT(texture, pLayer);
    }
    // The element of its type in the layer, made when missing, with the
    // fault's modes, indices and (pValue(i) for each) values.
    auto fill = [&](auto* (KQelLayer::*pGet)() const, auto pSet, auto pValue) {
        auto* element = (layer.*pGet)();
        if (!element) {
            element = new std::remove_pointer_t<decltype(element)>;
            (layer.*pSet)(element);
        }
        element->SetMappingMode(pFault.mMapping);
        element->SetReferenceMode(pFault.mReference);
        for (int i = 0; i < pFault.mValues && pValue; ++i)
            element->GetDirectArray().Add(pValue(i));
        for (int index : pFault.mIndices)
            element->GetIndexArray().Add(index);
    };
    auto normal = [](int) { return KQelVector4(0, 0, 1, 0); };
    auto uv = [](int i) { return KQelVector2(0.5, i); };
    auto colour = [](int i) { return KQelColor(0.25 * i, 0.5, 0.75, 1); };
    // Objects are in already.
    KQelMaterial* (*noMaterial)(int) = nullptr;
    KQelTexture* (*noTexture)(int) = nullptr;
    int (*noGroup)(int) = nullptr;
    switch (pFault.mKind) {
        case kLink: {
            KQelLink* link = pFixture.manager.CreateKQelLink();
            link->SetLink(pFixture.AddNode("Bone"));
            for (int index : pFault.mIndices)
                link->AddControlPointIndex(index, 1.0);
            pGeometry.AddLink(link);
            break;
        }
        case E::eNormal:
            fill(&KQelLayer::GetNormals, &KQelLayer::SetNormals, +normal);
            break;
        case E::eMaterial:
            fill(&KQelLayer::GetMaterials, &KQelLayer::SetMaterials, noMaterial);
            break;
        case E::eTexture:
            fill(&KQelLayer::GetTextures, &KQelLayer::SetTextures, noTexture);
            break;
        case E::ePolygonGroup:
            fill(&KQelLayer::GetPolygonGroups, &KQelLayer::SetPolygonGroups, noGroup);
            break;
        case E::eUV:
            fill(&KQelLayer::GetUVs, &KQelLayer::SetUVs, +uv);
            break;
        case E::eVertexColor:
            fill(&KQelLayer::GetVertexColors, &KQelLayer::SetVertexColors, +colour);
            break;
        default:
            break;
    }
}

// "Box" below the root, a mesh of pPoints points with a quad (0-3) and a
// triangle (4-6), its layer 0 holding pFault; a null "Other" beside it.
KQelMesh* AddBox(SceneFixture& pFixture, const Fault& pFault, int pPoints = 7)
{
    KQelMesh* mesh = pFixture.manager.CreateKQelMesh();
    mesh->InitControlPoints(pPoints);
    for (const std::vector<int>& polygon : {std::vector<int>{0, 1, 2, 3}, std::vector<int>{4, 5, 6}}) {
        mesh->BeginPolygon();
        for (int corner : polygon)
            mesh->AddPolygon(corner);
        mesh->EndPolygon();
    }
    mesh->CreateLayer();
    pFixture.AddNode("Box")->SetNodeAttribute(mesh);
    AddFault(pFixture, *mesh, 0, pFault);
    pFixture.AddNode("Other")->SetNodeAttribute(pFixture.manager.CreateKQelNull());
    return mesh;
}

bool Export(SceneFixture& pFixture, KQelExporter& pExporter, const std::string& pPath, Format pFormat,
            KQelExporter::EExportState pOff = kNone)
{
    pExporter.Initialize(pPath.c_str());
    pExporter.SetFileFormat(pFormat);
    pExporter.SetState(pOff, false);
    return pExporter.Export(pFixture.scene);
}

// Exports in pFormat over an existing file and to a new one: both fail with
// error 7 and pReason, no file appears and the existing one keeps its bytes.
void ExpectRefused(SceneFixture& pFixture, Format pFormat, const char* pReason)
{
    SCOPED_TRACE(pFormat);
    ScratchDir dir;
    const std::string kept = dir.File("kept.qel");
    WriteFile(kept, "the previous file");
    for (const std::string& path : {kept, dir.File("new.qel")}) {
        KQelExporter exporter(pFixture.manager);
        EXPECT_FALSE(Export(pFixture, exporter, path, pFormat));
        EXPECT_EQ(exporter.GetLastErrorID(), KQelIO::eUnidentifiedError);
        EXPECT_STREQ(exporter.GetLastErrorString(), pReason);
    }
    EXPECT_EQ(ReadFile(kept), "the previous file");
    EXPECT_EQ(nativetest::Entries(dir.Path()), std::vector<std::string>{"kept.qel"});
}

// Exports in pFormat and reads the file back into pRead; false when either
// fails (the export's failure is the caller's to judge).
bool RoundTrip(SceneFixture& pFixture, Format pFormat, SceneFixture& pRead, KQelExporter::EExportState pOff = kNone)
{
    ScratchDir dir;
    const std::string path = dir.File("box.qel");
    KQelExporter exporter(pFixture.manager);
    if (!Export(pFixture, exporter, path, pFormat, pOff))
        return false;
    KQelImporter importer(pRead.manager);
    EXPECT_TRUE(importer.Initialize(path.c_str()));
    const bool read = importer.Import(pRead.scene);
    EXPECT_TRUE(read) << pFormat << ": " << importer.GetLastErrorString();
    return read;
}

KQelLayer* ReadLayer0(SceneFixture& pRead)
{
    KQelNode* box = pRead.Root()->FindChild("Model::Box", true, false);
    KQelMesh* mesh = box ? box->GetMesh() : nullptr;
    return mesh ? mesh->GetLayer(0) : nullptr;
}

std::vector<int> Indices(const KArrayTemplate<int>& pArray)
{
    return std::vector<int>(pArray.GetArray(), pArray.GetArray() + pArray.GetCount());
}

// What the read older file holds on the box's layer 0 in place of a fault.
void NoUVs(KQelLayer& pLayer) { EXPECT_EQ(pLayer.GetUVs(), nullptr); }
void NoNormals(KQelLayer& pLayer) { EXPECT_EQ(pLayer.GetNormals(), nullptr); }
void NoColours(KQelLayer& pLayer) { EXPECT_EQ(pLayer.GetVertexColors(), nullptr); }
void UVsPaddedToEachPoint(KQelLayer& pLayer)
{
    ASSERT_NE(pLayer.GetUVs(), nullptr);
    const KArrayTemplate<KQelVector2>& uvs = pLayer.GetUVs()->GetDirectArray();
    ASSERT_EQ(uvs.GetCount(), 7);
    EXPECT_EQ(uvs[0], KQelVector2(0.5, 0));
    EXPECT_EQ(uvs[6], KQelVector2(0, 0));
}
void LastMaterialForEachPolygon(KQelLayer& pLayer)
{
    ASSERT_NE(pLayer.GetMaterials(), nullptr);
    EXPECT_EQ(pLayer.GetMaterials()->GetDirectArray().GetCount(), 3);
    EXPECT_EQ(Indices(pLayer.GetMaterials()->GetIndexArray()), (std::vector<int>{2, 2}));
}
void LastTextureForEachPolygon(KQelLayer& pLayer)
{
    ASSERT_NE(pLayer.GetTextures(), nullptr);
    EXPECT_EQ(pLayer.GetTextures()->GetDirectArray().GetCount(), 2);
    EXPECT_EQ(Indices(pLayer.GetTextures()->GetIndexArray()), (std::vector<int>{1, 1}));
}

const struct Case {
    Fault mFault;
    const char* mReason;  // what the check says
    bool mCurrentRefuses;  // false: the current layout leaves the element out
    // What the older layout's file gives back; null: the older layout
    // refuses the scene too.
    void (*mOlderReads)(KQelLayer&);
} kCases[] = {
    {{E::eUV, E::eByPolygonVertex, E::eDirect, 0}, "Model::Box: LayerElementUV holds 0 values, 7 needed", true, NoUVs},
    {{E::eUV, E::eByPolygonVertex, E::eDirect, 2}, "Model::Box: LayerElementUV holds 2 values, 7 needed", true, NoUVs},
    {{E::eUV, E::eByControlPoint, E::eDirect, 1}, "Model::Box: LayerElementUV holds 1 value, 7 needed", true,
     UVsPaddedToEachPoint},
    {{E::eUV, E::eAllSame, E::eDirect, 0}, "Model::Box: LayerElementUV holds 0 values, 1 needed", true, NoUVs},
    {{E::eUV, E::eByPolygonVertex, E::eIndexToDirect, 3, {0, 7, 1, 2, 0, 1, 2}},
     "Model::Box: LayerElementUV index 7 outside 0 to 2", true, NoUVs},
    {{E::eNormal, E::eByControlPoint, E::eDirect, 1}, "Model::Box: LayerElementNormal holds 1 value, 7 needed",
     true, NoNormals},
    {{E::eMaterial, E::eByPolygon, E::eIndexToDirect, 3},
     "Model::Box: LayerElementMaterial holds 0 values, 2 needed", true, LastMaterialForEachPolygon},
    {{E::eVertexColor, E::eByControlPoint, E::eDirect, 1}, "Model::Box: LayerElementColor holds 1 value, 7 needed",
     true, NoColours},
    {{E::eTexture, E::eByPolygon, E::eIndexToDirect, 2}, "Model::Box: LayerElementTexture holds 0 values, 2 needed",
     false, LastTextureForEachPolygon},
    {{kLink, E::eNoMappingInformation, E::eDirect, 0, {3, 42}}, "Model::Box: Link index 42 outside 7 control points",
     true, nullptr},
};

TEST(WriteCheck, TheCurrentLayoutRefusesTheFaultsItWrites)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.mReason);
        SceneFixture f;
        AddBox(f, c.mFault);
        for (Format format : kCurrentFormats) {
            if (c.mCurrentRefuses) {
                ExpectRefused(f, format, c.mReason);
                continue;
            }
            SceneFixture read;
            EXPECT_TRUE(RoundTrip(f, format, read));
        }
    }
}

TEST(WriteCheck, TheOlderLayoutConvertsLayerElementsAndRefusesBadLinks)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.mReason);
        SceneFixture f;
        AddBox(f, c.mFault);
        // A scene nested in a file being written takes this layout too.
        ScratchDir dir;
        std::unique_ptr<IQelObject> file(KQelObjectCreate());
        ASSERT_TRUE(file->ProjectCreate(dir.File("outer.qel").c_str(), true, false, nullptr));
        KQelExporter exporter(f.manager);
        KStreamOptionsQel options;
        EXPECT_EQ(exporter.Export(f.scene, &options, file.get()), c.mOlderReads != nullptr);
        EXPECT_STREQ(exporter.GetLastErrorString(), c.mOlderReads ? "" : c.mReason);
        file->ProjectDiscard();
        for (Format format : kOlderFormats) {
            if (!c.mOlderReads) {
                ExpectRefused(f, format, c.mReason);
                continue;
            }
            SCOPED_TRACE(format);
            SceneFixture read;
            ASSERT_TRUE(RoundTrip(f, format, read));
            KQelNode* box = read.Root()->FindChild("Model::Box", true, false);
            ASSERT_NE(box, nullptr);
            ASSERT_NE(box->GetMesh(), nullptr);
            EXPECT_EQ(box->GetMesh()->GetPolygonCount(), 2);
            EXPECT_EQ(box->GetMesh()->GetPolygonVertexCount(), 7);
            EXPECT_NE(read.Root()->FindChild("Model::Other", true, false), nullptr);
            ASSERT_NE(ReadLayer0(read), nullptr);
            c.mOlderReads(*ReadLayer0(read));
        }
    }
}

// Written files read back: a fault in what a layout leaves out does not
// stop it.
TEST(WriteCheck, FaultsInWhatIsNotWrittenDoNotStopTheWrite)
{
    const struct {
        const char* mCase;
        Fault mFault;
        int mPoints;
        KQelExporter::EExportState mOff;
        bool mOlderWrites;  // the older layout writes it too
    } cases[] = {
        {"geometry option off", {E::eUV, E::eAllSame, E::eDirect, 0}, 7, KQelExporter::eModelAttribute, true},
        {"mesh without points", {E::eUV, E::eAllSame, E::eDirect, 0}, 0, kNone, true},
        {"UVs by index", {E::eUV, E::eByPolygonVertex, E::eIndex, 0}, 7, kNone, true},
        // The older layout writes links whatever the option says.
        {"link option off", {kLink, E::eNoMappingInformation, E::eDirect, 0, {12}}, 7, KQelExporter::eLink, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mCase);
        SceneFixture f;
        AddBox(f, c.mFault, c.mPoints);
        for (Format format : kEveryForm) {
            SCOPED_TRACE(format);
            const bool older = format == KQelExporter::eQel5Binary || format == KQelExporter::eQel5Ascii;
            SceneFixture read;
            EXPECT_EQ(RoundTrip(f, format, read, c.mOff), !older || c.mOlderWrites);
        }
    }
}

// A 2 x 2 NURBS "Sheet" below the root, with two layers.
KQelGeometry* AddSheet(SceneFixture& pFixture)
{
    KQelNurb* nurb = pFixture.manager.CreateKQelNurb();
    nurb->SetOrder(2, 2);
    nurb->InitControlPoints(2, KQelNurb::kOpen, 2, KQelNurb::kOpen);
    for (int i = 0; i < nurb->GetUKnotCount(); ++i)
        nurb->GetUKnotVector()[i] = nurb->GetVKnotVector()[i] = i < 2 ? 0 : 1;
    pFixture.AddNode("Sheet")->SetNodeAttribute(nurb);
    nurb->CreateLayer();
    nurb->CreateLayer();
    return nurb;
}

// Every form, fed layer elements of one kind in every mode and shape, on a
// mesh and a NURBS, alone or in a later texture layer: a file that is
// written reads back, so no writer writes a file its reader refuses (the
// cases above are written or refused in every form by the tests above).
class WriteCheckSweep : public ::testing::TestWithParam<int> {};

TEST_P(WriteCheckSweep, EveryFormReadsBackWhatItWrites)
{
    const int kind = GetParam();
    // The element's data for n entries needed: no values and no indices;
    // n values and n indices 0; the same with the last index one past the
    // values; no values and n indices -1.
    enum EShape { eEmpty, eFull, eOutside, eNone };
    // Texture layers after a mesh's first carry textures and UVs alone;
    // normals, polygon groups and colours are written for meshes alone.
    const bool layered = kind == E::eTexture || kind == E::eUV;
    const bool meshOnly = kind == E::eNormal || kind == E::ePolygonGroup || kind == E::eVertexColor;
    for (bool mesh : {true, false})
        for (bool later : {false, true})
            for (int mapping = E::eNoMappingInformation; mapping <= E::eAllSame; ++mapping)
                for (int reference = E::eDirect; reference <= E::eIndexToDirect; ++reference)
                    for (EShape shape : {eEmpty, eFull, eOutside, eNone}) {
                        if ((!mesh && meshOnly) || (later && !layered) || (reference == E::eDirect && shape > eFull))
                            continue;
                        SceneFixture f;
                        KQelGeometry* geometry = mesh ? AddBox(f, {kNothing, E::eNoMappingInformation, E::eDirect, 0})
                                                      : AddSheet(f);
                        if (later) {
                            // Textures by polygon (a mesh) or all same before it, and beside it.
                            if (mesh)
                                AddFault(f, *geometry, 0, {E::eTexture, E::eByPolygon, E::eIndexToDirect, 2, {1, 0}});
                            else
                                AddFault(f, *geometry, 0, {E::eTexture, E::eAllSame, E::eIndexToDirect, 2, {1}});
                            if (kind != E::eTexture)
                                AddFault(f, *geometry, 1, {E::eTexture, E::eAllSame, E::eIndexToDirect, 1, {0}});
                        }
                        int needs = 1;
                        if (mapping == E::eByControlPoint)
                            needs = geometry->GetControlPointsCount();
                        else if (mapping == E::eByPolygonVertex || mapping == E::eByPolygon)
                            needs = !mesh ? 0 : mapping == E::eByPolygon ? 2 : 7;
                        const int values = shape == eEmpty || shape == eNone ? 0 : needs;
                        std::vector<int> indices;
                        if (shape != eEmpty && reference != E::eDirect)
                            indices.assign(needs, shape == eNone ? -1 : 0);
                        if (shape == eOutside && needs > 0)
                            indices.back() = values;
                        AddFault(f, *geometry, later ? 1 : 0,
                                 {kind, static_cast<E::EMappingMode>(mapping),
                                  static_cast<E::EReferenceMode>(reference), values, indices});
                        for (Format format : kEveryForm) {
                            SCOPED_TRACE(testing::Message() << (mesh ? "mesh" : "NURBS") << ", later layer " << later
                                                            << ", mapping " << mapping << ", reference " << reference
                                                            << ", shape " << shape << ", form " << format);
                            SceneFixture read;
                            RoundTrip(f, format, read);
                        }
                    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, WriteCheckSweep,
                         ::testing::Values(E::eNormal, E::eMaterial, E::eTexture, E::ePolygonGroup, E::eUV,
                                           E::eVertexColor));

}  // namespace
}  // namespace writer6test
}  // namespace qelsdk_600
