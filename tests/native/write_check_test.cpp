// The check before a write: a scene whose file the reader would refuse is
// not written, in any form of either layout, and the exporter says why;
// what is not written is not checked.
#include <gtest/gtest.h>

#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "native/native_test_util.h"
#include "native/writer6_test_util.h"

namespace qelsdk_600 {
namespace writer6test {
namespace {

typedef KQelLayerElement E;

const KQelExporter::EFileFormat kFormats[] = {KQelExporter::eQelBinary, KQelExporter::eQelAscii,
                                              KQelExporter::eQelEncrypted, KQelExporter::eQel5Binary,
                                              KQelExporter::eQel5Ascii};
// No state turned off.
const KQelExporter::EExportState kNone = KQelExporter::eExportStateCount;

// What goes on the box: UVs (E::eUV) or normals (E::eNormal) of these modes
// with mValues values and mIndices, or (0) a link naming point mIndices[0].
struct Fault {
    int mKind;
    E::EMappingMode mMapping;
    E::EReferenceMode mReference;
    int mValues;
    std::vector<int> mIndices = {};
};

// "Box" below the root: a mesh of pPoints points, one triangle and one
// layer, holding pFault.
void AddBox(SceneFixture& pFixture, const Fault& pFault, int pPoints = 3)
{
    KQelMesh* mesh = pFixture.manager.CreateKQelMesh();
    mesh->InitControlPoints(pPoints);
    mesh->BeginPolygon();
    for (int corner : {0, 1, 2})
        mesh->AddPolygon(corner);
    mesh->CreateLayer();
    pFixture.AddNode("Box")->SetNodeAttribute(mesh);
    KQelLayer& layer = *mesh->GetLayer(0);
    if (pFault.mKind == E::eUV) {
        KQelLayerElementUV* uvs = AddElement(layer, &KQelLayer::SetUVs, pFault.mMapping, pFault.mReference);
        for (int i = 0; i < pFault.mValues; ++i)
            uvs->GetDirectArray().Add(KQelVector2(0.5, i));
        for (int index : pFault.mIndices)
            uvs->GetIndexArray().Add(index);
    } else if (pFault.mKind == E::eNormal) {
        KQelLayerElementNormal* normals =
            AddElement(layer, &KQelLayer::SetNormals, pFault.mMapping, pFault.mReference);
        for (int i = 0; i < pFault.mValues; ++i)
            normals->GetDirectArray().Add(KQelVector4(0, 0, 1, 0));
    } else {
        KQelLink* link = pFixture.manager.CreateKQelLink();
        link->SetLink(pFixture.AddNode("Bone"));
        link->AddControlPointIndex(pFault.mIndices[0], 1.0);
        mesh->AddLink(link);
    }
}

bool Export(SceneFixture& pFixture, KQelExporter& pExporter, const std::string& pPath,
            KQelExporter::EFileFormat pFormat, KQelExporter::EExportState pOff = kNone)
{
    pExporter.Initialize(pPath.c_str());
    pExporter.SetFileFormat(pFormat);
    pExporter.SetState(pOff, false);
    return pExporter.Export(pFixture.scene);
}

TEST(WriteCheck, ARefusedGeometryFailsTheExportAndLeavesNoFile)
{
    const struct {
        Fault mFault;
        const char* mReason;
    } cases[] = {
        {{E::eUV, E::eByPolygonVertex, E::eDirect, 0}, "Model::Box: LayerElementUV holds 0 values, 3 needed"},
        {{E::eUV, E::eByPolygonVertex, E::eDirect, 2}, "Model::Box: LayerElementUV holds 2 values, 3 needed"},
        {{E::eUV, E::eByControlPoint, E::eDirect, 1}, "Model::Box: LayerElementUV holds 1 value, 3 needed"},
        {{E::eUV, E::eAllSame, E::eDirect, 0}, "Model::Box: LayerElementUV holds 0 values, 1 needed"},
        {{E::eUV, E::eByPolygonVertex, E::eIndexToDirect, 3, {0, 7, 1}},
         "Model::Box: LayerElementUV index 7 outside 0 to 2"},
        {{E::eNormal, E::eByControlPoint, E::eDirect, 1}, "Model::Box: LayerElementNormal holds 1 value, 3 needed"},
        {{0, E::eNoMappingInformation, E::eDirect, 0, {12}}, "Model::Box: Link index 12 outside 3 control points"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mReason);
        SceneFixture f;
        AddBox(f, c.mFault);
        for (KQelExporter::EFileFormat format : kFormats) {
            SCOPED_TRACE(format);
            ScratchDir dir;
            const std::string kept = dir.File("kept.qel");
            WriteFile(kept, "the previous file");
            for (const std::string& path : {kept, dir.File("new.qel")}) {
                KQelExporter exporter(f.manager);
                EXPECT_FALSE(Export(f, exporter, path, format));
                EXPECT_EQ(exporter.GetLastErrorID(), KQelIO::eUnidentifiedError);
                EXPECT_STREQ(exporter.GetLastErrorString(), c.mReason);
            }
            EXPECT_EQ(ReadFile(kept), "the previous file");
            EXPECT_EQ(nativetest::Entries(dir.Path()), std::vector<std::string>{"kept.qel"});
        }
        // A scene nested in a file being written is refused the same way.
        ScratchDir dir;
        std::unique_ptr<IQelObject> file(KQelObjectCreate());
        ASSERT_TRUE(file->ProjectCreate(dir.File("outer.qel").c_str(), true, false, nullptr));
        KQelExporter exporter(f.manager);
        KStreamOptionsQel options;
        EXPECT_FALSE(exporter.Export(f.scene, &options, file.get()));
        EXPECT_EQ(exporter.GetLastErrorID(), KQelIO::eUnidentifiedError);
        EXPECT_STREQ(exporter.GetLastErrorString(), c.mReason);
        file->ProjectDiscard();
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
        {"geometry option off", {E::eUV, E::eAllSame, E::eDirect, 0}, 3, KQelExporter::eModelAttribute, true},
        {"mesh without points", {E::eUV, E::eAllSame, E::eDirect, 0}, 0, kNone, true},
        {"UVs by index", {E::eUV, E::eByPolygonVertex, E::eIndex, 0}, 3, kNone, false},
        {"link option off", {0, E::eNoMappingInformation, E::eDirect, 0, {12}}, 3, KQelExporter::eLink, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mCase);
        SceneFixture f;
        AddBox(f, c.mFault, c.mPoints);
        for (KQelExporter::EFileFormat format : kFormats) {
            SCOPED_TRACE(format);
            const bool older = format == KQelExporter::eQel5Binary || format == KQelExporter::eQel5Ascii;
            ScratchDir dir;
            const std::string path = dir.File("box.qel");
            KQelExporter exporter(f.manager);
            ASSERT_EQ(Export(f, exporter, path, format, c.mOff), !older || c.mOlderWrites);
            if (!scratch::Exists(path))
                continue;
            SceneFixture read;
            KQelImporter importer(read.manager);
            ASSERT_TRUE(importer.Initialize(path.c_str()));
            EXPECT_TRUE(importer.Import(read.scene)) << importer.GetLastErrorString();
        }
    }
}

}  // namespace
}  // namespace writer6test
}  // namespace qelsdk_600
