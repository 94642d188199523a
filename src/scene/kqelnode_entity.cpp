// A node's subtree moving between entities.
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodefinder.h"

namespace qelsdk_600 {

namespace {

// The referenced kinds that follow a subtree, with the finder's seen list
// and the node error a clash of that kind records, in the order of checks.
struct MovedKind {
    KQelEntity::EReferenceKind mKind;
    KArrayTemplate<KQelObject*>& (KQelNodeFinderDuplicateName::*mSeen)();
    KArrayTemplate<KQelObject*>& (KQelNodeFinderDuplicateName::*mDuplicates)();
    int mClashError;
};
const MovedKind kMovedKinds[] = {
    {KQelEntity::eTextures, &KQelNodeFinderDuplicateName::GetTextureArray,
     &KQelNodeFinderDuplicateName::GetDuplicateTextureArray, 3},
    {KQelEntity::eVideos, &KQelNodeFinderDuplicateName::GetVideoArray,
     &KQelNodeFinderDuplicateName::GetDuplicateVideoArray, 4},
    {KQelEntity::eMaterials, &KQelNodeFinderDuplicateName::GetMaterialArray,
     &KQelNodeFinderDuplicateName::GetDuplicateMaterialArray, 2},
};
// The order objects leave and join an entity: materials, textures, videos.
const int kMoveOrder[] = {2, 0, 1};

}  // namespace

bool KQelNode::SetEntity(KQelEntity* pEntity, bool pClearTarget)
{
    if (pEntity == mEntity)
        return true;
    // Only a move bound to its target is refused on a clash; otherwise the
    // finder merely gathers the subtree's nodes and objects.
    const bool bound = pClearTarget && pEntity;
    if (!bound && !GetGeometry() && GetChildCount(false) == 0) {
        // A leaf without objects (a node joining its parent, one leaving
        // it): all the finder would gather is this node.
        if (mEntity) {
            mEntity->RemoveNode(this);
            mEntity = nullptr;
        }
        if (pEntity && pEntity->AddNode(this))
            mEntity = pEntity;
        return true;
    }
    KQelNodeFinderDuplicateName finder(bound ? pEntity : nullptr);
    finder.Apply(*this);
    if (bound) {
        if (finder.GetDuplicateNodeArray().GetCount() > 0) {
            mError.SetLastErrorID(1);
            return false;
        }
        for (const MovedKind& kind : kMovedKinds) {
            if ((finder.*kind.mDuplicates)().GetCount() > 0) {
                mError.SetLastErrorID(kind.mClashError);
                return false;
            }
        }
    }

    KArrayTemplate<KQelNode*>& nodes = finder.GetNodeArray();
    KQelEntity* current = mEntity;
    // Each node leaves the entity that lists it (the same one, unless the
    // subtree was split by hand), so none is left listed after it ends.
    for (int i = 0; i < nodes.GetCount(); ++i) {
        KQelNode* node = nodes[i];
        if (node->mEntity) {
            node->mEntity->RemoveNode(node);
            node->mEntity = nullptr;
        }
    }
    if (current) {
        for (int k : kMoveOrder) {
            KArrayTemplate<KQelObject*>& objects = (finder.*kMovedKinds[k].mSeen)();
            for (int i = 0; i < objects.GetCount(); ++i)
                current->RemoveReference(kMovedKinds[k].mKind, objects[i]);
        }
    }
    if (!pEntity)
        return true;
    if (pClearTarget) {
        if (KQelNode* root = pEntity->GetRootNode())
            root->SetEntity(nullptr, true);
        pEntity->Clear();
    }
    for (int i = 0; i < nodes.GetCount(); ++i) {
        KQelNode* node = nodes[i];
        if (pEntity->AddNode(node))
            node->mEntity = pEntity;
    }
    for (int k : kMoveOrder) {
        KArrayTemplate<KQelObject*>& objects = (finder.*kMovedKinds[k].mSeen)();
        for (int i = 0; i < objects.GetCount(); ++i)
            pEntity->AddReference(kMovedKinds[k].mKind, objects[i]);
    }
    return true;
}

}  // namespace qelsdk_600
