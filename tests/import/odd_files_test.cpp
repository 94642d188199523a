// Files the reader refuses leave the host as it was, whatever the import
// type; odd files it accepts import without harm.
#include "import_fixture.h"

#include <fstream>

#include "content/kqellink.h"
#include "content/kqellight.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "content/kqelshape.h"
#include "scene/kqeluserproperty.h"
#include "export/qelveskexport.h"
#include "native/geometry_documents.h"
#include "native/olderlayout_test_util.h"

using namespace qelsdk_600;

namespace {

// An exporter writing text, or a password-protected binary file.
class SeamExport : public QelVeskExport {
public:
    SeamExport(KQelExporter::EFileFormat pFormat, const char* pPassword)
    {
        mFileFormat = pFormat;
        mFilePassword = pPassword;
    }
};

class OddFileTest : public ImportTest {
protected:
    // Imports in-process with the import type; the status.
    static MStatus importAs(const std::string& pPath, QelVeskUserParams::ELoadMode pType)
    {
        QelVeskUserParams::Instance()->SetImportType(pType);
        QelVeskImport import;
        import.OpenProject(MString(pPath.c_str()));
        return import.Import();
    }
};

const QelVeskUserParams::ELoadMode kTypes[] = {QelVeskUserParams::eExclusiveMerge, QelVeskUserParams::eMerge,
                                               QelVeskUserParams::eCreate};

TEST_F(OddFileTest, RefusedFilesLeaveTheRichSceneAsItWas)
{
    std::ifstream script(QEL_SOURCE_DIR "/examples/rich_scene.vesk", std::ios::binary);
    std::ostringstream text;
    text << script.rdbuf();
    ASSERT_TRUE(MGlobal::executeCommand(MString(text.str().c_str())));
    QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kExportShowUI, false);
    const std::string rich = ScratchDir() + "/rich.qel";
    const std::string locked = ScratchDir() + "/locked.qel";
    ASSERT_EQ(SeamExport(KQelExporter::eQelAscii, "").Export(rich.c_str()), MStatus::kSuccess);
    ASSERT_EQ(SeamExport(KQelExporter::eQelBinary, "secret").Export(locked.c_str()), MStatus::kSuccess);
    const std::string bytes = scratch::ReadFile(rich);
    const std::string cycle = ScratchDir() + "/cycle.qel";
    nativetest::BuildFile(cycle, 5800, true, [](KQel& pFile) {
        nativetest::WriteModel(pFile, "A", {"B"});
        nativetest::WriteModel(pFile, "B", {"A"});
    });

    std::vector<std::string> refused = {locked, cycle};
    // The reader's hand-made geometry documents that it refuses.
    for (const nativetest::GeometryDocument& document : nativetest::GeometryDocuments()) {
        if (document.mOk)
            continue;
        refused.push_back(ScratchDir() + "/hostile" + std::to_string(refused.size()) + ".qel");
        nativetest::BuildFile(refused.back(), document.mVersion, refused.size() % 2 == 0, document.mDocument);
    }
    const size_t whole = refused.size();
    for (int k = 0; k < 100; ++k) {
        const std::string cut = ScratchDir() + "/cut" + std::to_string(k) + ".qel";
        scratch::WriteFile(cut, bytes.substr(0, bytes.size() * static_cast<size_t>(k) / 100));
        refused.push_back(cut);
    }
    // Each import type meets every file.
    int read = 0;
    for (size_t k = 0; k < 3 * refused.size(); ++k) {
        const QelVeskUserParams::ELoadMode type = kTypes[k % 3];
        const std::string& path = refused[k / 3];
        {
            SCOPED_TRACE(std::to_string(type) + " " + path);
            const std::string before = vesk::sceneDump();
            if (importAs(path, type)) {
                // A cut that still reads imports what it holds.
                EXPECT_GE(k / 3, whole) << "a whole file was read";
                ++read;
                continue;
            }
            EXPECT_EQ(changesSince(before), std::vector<std::string>{});
        }
    }
    EXPECT_LT(read, 30) << "most cuts are refused";
}

TEST_F(OddFileTest, OddFilesTheReaderAcceptsImportWithoutHarm)
{
    const std::string path = writeScene("odd.qel", [](KQelSdkManager& pManager, KQelScene& pScene) {
        KQelNode* root = pScene.GetRootNode();
        // A periodic surface of one point.
        KQelNurb* point = pManager.CreateKQelNurb();
        point->SetOrder(1, 1);
        point->InitControlPoints(1, KQelNurb::kPeriodic, 1, KQelNurb::kPeriodic);
        add(pManager, root, "dot", point);
        // Polygons of two corners, skinned and clustered, and empty layers.
        KQelMesh* flat = meshOf(pManager, 4, {{0, 1}, {2, 3}, {0, 1, 2}});
        for (int i = 0; i < 3; ++i)
            flat->CreateLayer();
        KQelSkeleton* bone = pManager.CreateKQelSkeleton();
        bone->SetSkeletonType(KQelSkeleton::eLimbNode);
        KQelNode* joint = add(pManager, root, "bone", bone);
        KQelNode* handle = add(pManager, root, "handle");
        for (KQelNode* node : {joint, handle}) {
            KQelLink* link = pManager.CreateKQelLink();
            link->SetLink(node);
            link->SetLinkMode(node == joint ? KQelLink::eNormalize : KQelLink::eAdditive);
            for (int i = 0; i < 4; ++i)
                link->AddControlPointIndex(i, 0.5);
            flat->AddLink(link);
        }
        add(pManager, root, "flat", flat);
    });
    ASSERT_FALSE(path.empty());
    for (QelVeskUserParams::ELoadMode type : kTypes) {
        SCOPED_TRACE(type);
        standin::resetHost();
        EXPECT_EQ(importAs(path, type), MStatus::kSuccess) << logText();
    }
    // The mesh keeps its triangle; the skin and the cluster hold its points.
    EXPECT_EQ(dumpLines("^mesh \"\\|flat\\|flatShape\" = "), std::vector<std::string>{"mesh \"|flat|flatShape\" = 4 1 3"});
    EXPECT_EQ(dumpLines("^skin \\S+ weight 0 [0-9]+ = "),
              (std::vector<std::string>{"skin \"skinCluster1\" weight 0 0 = 1", "skin \"skinCluster1\" weight 0 1 = 1",
                                        "skin \"skinCluster1\" weight 0 2 = 1", "skin \"skinCluster1\" weight 0 3 = 1"}));
    EXPECT_EQ(dumpLines("^attr \"handle1\" weightList\\[0\\]\\.weights\\[3\\] "),
              std::vector<std::string>{"attr \"handle1\" weightList[0].weights[3] = - 0.5"});
}

// Records the host has no place for: each is skipped with a log line naming
// it, and the import goes on.
TEST_F(OddFileTest, RecordsTheHostCannotTakeAreLoggedAndSkipped)
{
    const struct {
        const char* what;
        Filler fill;
        const char* line;
        const char* absent;  // dump records the row must not make
    } rows[] = {
        {"a light type outside the list",
         [](KQelSdkManager& pManager, KQelScene& pScene) {
             KQelLight* light = pManager.CreateKQelLight();
             light->SetLightType(static_cast<KQelLight::ELightType>(5));
             add(pManager, pScene.GetRootNode(), "Lamp", light);
         },
         "Light Lamp: light type 5 is not known; no light was made.", "^node .* = \"\\w+Light\""},
        {"a property label the host refuses",
         [](KQelSdkManager& pManager, KQelScene& pScene) {
             KQelNode* node = add(pManager, pScene.GetRootNode(), "N", pManager.CreateKQelNull());
             KQelUserProperty* property = pManager.CreateKQelUserProperty("p", "Real", "top-speed");
             property->ModifyFlag(KQelUserProperty::eUserProperty, true);
             node->AddProperty(property);
         },
         "User property top-speed of N: the host cannot make an attribute of that name.", "top.speed"},
        {"a shape of a patch merged into a host mesh",
         [](KQelSdkManager& pManager, KQelScene& pScene) {
             KQelPatch* patch = pManager.CreateKQelPatch();
             patch->InitControlPoints(4, KQelPatch::eBezier, 4, KQelPatch::eBezier);
             KQelShape* shape = pManager.CreateKQelShape();
             shape->InitControlPoints(16);
             patch->AddShape(shape, "P.bulge");
             add(pManager, pScene.GetRootNode(), "P", patch);
         },
         "Shape P.bulge of P: the geometry is a patch; no target was made.", "inputGeomTarget"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        standin::resetHost();
        ASSERT_TRUE(MGlobal::executeCommand("polyMesh -n P -pt \"0 0 0 1 0 0 0 1 0\" -f \"0 1 2\""));
        const std::string path = writeScene("records.qel", row.fill);
        EXPECT_EQ(importAs(path, QelVeskUserParams::eMerge), MStatus::kSuccess);
        EXPECT_NE(logText().find(std::string(row.line) + "\n"), std::string::npos) << logText();
        EXPECT_EQ(dumpLines(row.absent), std::vector<std::string>{});
    }
}

}  // namespace
