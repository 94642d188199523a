// The index of DAG paths gives the nodes the two tree walks give, on
// random host DAGs (instances included) and random scene trees.
#include <random>

#include <gtest/gtest.h>

#include <vesk/MFnDagNode.h>
#include <vesk/MItDag.h>

#include "export/deformer_fixture.h"
#include "export/qelveskexport_deformers_impl.h"
#include "plugin/qelvesknodeid.h"

using namespace qelsdk_600;

namespace {

// The walk as first written, recursively: the node itself (its path, then
// its path's children from the last), then its children from the last.
QelVeskNode* ReferenceStanding(QelVeskNode* pStart, const MDagPath& pPath)
{
    if (const MDagPath* own = pStart->GetDagPath()) {
        if (*own == pPath)
            return pStart;
        for (unsigned int i = own->childCount(); i-- > 0;) {
            MDagPath child;
            if (MDagPath::getAPathTo(own->child(i), child) && child == pPath)
                return pStart;
        }
    }
    for (int i = pStart->GetChildCount(false); i-- > 0;)
        if (QelVeskNode* found = ReferenceStanding(static_cast<QelVeskNode*>(pStart->GetChild(i)), pPath))
            return found;
    return nullptr;
}

}  // namespace

TEST_F(DeformerTest, ThePathIndexAnswersAsTheWalks)
{
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        standin::resetHost();
        // A host DAG of transforms, some with a mesh, a few instanced.
        std::vector<MObject> transforms;
        for (int i = 0; i < 30; ++i) {
            const std::string name = "t" + std::to_string(i);
            const std::string parent = transforms.empty() || random() % 4 == 0
                                           ? ""
                                           : nameOf(transforms[random() % transforms.size()]);
            transforms.push_back(random() % 3 == 0 ? vesk::ObjectAccess::fromNode(
                                                         vesk::fixture::makeShape("mesh", name, parent))
                                                   : make("transform", name.c_str(), parent.c_str()));
        }
        for (int i = 0; i < 3; ++i) {
            MObject child = transforms[random() % transforms.size()];
            MFnDagNode(transforms[random() % transforms.size()]).addChild(child, MFnDagNode::kNextPos, true);
        }
        std::vector<MDagPath> paths;
        for (MItDag walk; !walk.isDone(); walk.next()) {
            MDagPath each;
            walk.getPath(each);
            paths.push_back(each);
        }

        // A scene tree of nodes bound to random paths (some twice, some to
        // none), each under a random earlier node.
        QelVeskSdkManager manager(QelVeskSdkManager::eExport);
        QelVeskNode* root = manager.CreateQelVeskNode("root", nullptr);
        std::vector<QelVeskNode*> nodes{root};
        for (int i = 0; i < 40; ++i) {
            const MDagPath* bound = random() % 5 == 0 ? nullptr : &paths[random() % paths.size()];
            QelVeskNode* node = manager.CreateQelVeskNode(("n" + std::to_string(i)).c_str(), bound);
            nodes[random() % nodes.size()]->AddChild(node);
            nodes.push_back(node);
        }

        export_detail::DagPathIndex index;
        index.Build(root);
        for (const MDagPath& each : paths) {
            EXPECT_EQ(index.FindBound(each), GetQelNodeFromDagPath(root, &each)) << each.fullPathName().asChar();
            QelVeskNode* expected = ReferenceStanding(root, each);
            EXPECT_EQ(index.FindStanding(each), expected) << each.fullPathName().asChar();
            EXPECT_EQ(export_detail::FindNodeStandingFor(root, each), expected);
        }
    }
}
