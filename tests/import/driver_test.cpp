// Whole imports of SDK-written files through the module: the node tree in the
// host, the time range, and files the reader refuses.
#include "import_fixture.h"

#include "content/kqelcamera.h"

using namespace qelsdk_600;

namespace {

// A null under the root; a skeleton root with a limb-node child and an
// effector below that; two nodes in namespace "rig"; a camera "persp" under
// the root.
void FillRig(KQelSdkManager& pManager, KQelScene& pScene)
{
    ModuleImportTest::add(pManager, pScene, "Locator");
    KQelSkeleton* rootType = pManager.CreateKQelSkeleton();
    rootType->SetSkeletonType(KQelSkeleton::eRoot);
    KQelNode* hip = ModuleImportTest::add(pManager, pScene, "Hip", nullptr, rootType);
    KQelSkeleton* limbType = pManager.CreateKQelSkeleton();
    limbType->SetSkeletonType(KQelSkeleton::eLimbNode);
    KQelNode* knee = ModuleImportTest::add(pManager, pScene, "Knee", hip, limbType);
    KQelSkeleton* endType = pManager.CreateKQelSkeleton();
    endType->SetSkeletonType(KQelSkeleton::eEffector);
    ModuleImportTest::add(pManager, pScene, "Toe", knee, endType);
    KQelNode* rig = ModuleImportTest::add(pManager, pScene, "rig:Spine");
    ModuleImportTest::add(pManager, pScene, "rig:Arm", rig);
    ModuleImportTest::add(pManager, pScene, "persp", nullptr, pManager.CreateKQelCamera());
}

TEST_F(ModuleImportTest, TheNodeTreeBecomesTransformsLocatorsAndJointsInTheirNamespaces)
{
    for (KQelExporter::EFileFormat format : {KQelExporter::eQelAscii, KQelExporter::eQelBinary}) {
        SCOPED_TRACE(format);
        standin::resetHost();
        const std::string path = writeScene("rig.qel", FillRig, format);
        standin::clearLogs();
        ASSERT_EQ(importFile(path), 0);
        std::printf("%s\n", vesk::sceneDump().c_str());
    }
}

}  // namespace
