// The node tree: every registered node under the node of its host parent,
// and the skeleton attributes of joints and marked transforms.
#include <vesk/MFnDagNode.h>
#include <vesk/MItDag.h>
#include <vesk/MSelectionList.h>

#include "export/qelveskexport.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelvesknodeid.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelskeleton.h"

using namespace qelsdk_600;

namespace {

// Equal keys of the registry: ASCII letters compare without regard to case.
bool SameKey(const char* pA, const char* pB)
{
    for (;; ++pA, ++pB) {
        char a = *pA, b = *pB;
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
        if (a == '\0')
            return true;
    }
}

// The first registered node, among those whose key equals pName without
// regard to case, that pAccept takes. The registry keeps such keys side by
// side in its sorted order, and Get answers the first of them, so only that
// run is searched.
template <class Accept>
QelVeskNode* FindRegistered(const KCharPtrSet& pRegistry, const char* pName, Accept pAccept)
{
    int index = -1;
    QelVeskNode* node = reinterpret_cast<QelVeskNode*>(pRegistry.Get(pName, &index));
    if (!node || index < 0)
        return nullptr;
    for (int i = index; i < pRegistry.GetCount(); ++i) {
        char* key = nullptr;
        QelVeskNode* candidate = reinterpret_cast<QelVeskNode*>(pRegistry.GetFromIndex(i, &key));
        if (!key || !SameKey(key, pName))
            break;
        if (candidate && pAccept(candidate))
            return candidate;
    }
    return nullptr;
}

struct SkeletonRow {
    int mMark;
    KQelSkeleton::ESkeletonType mType;
    bool mSized;
};

// Skeleton marks the import leaves on host nodes; any other mark, none
// included, makes a limb node.
const SkeletonRow kSkeletonRows[] = {
    {2, KQelSkeleton::eRoot, false},
    {3, KQelSkeleton::eEffector, true},
    {4, KQelSkeleton::eLimb, true},
};
const SkeletonRow kDefaultSkeleton = {0, KQelSkeleton::eLimbNode, true};

}  // namespace

QelVeskNode* QelVeskExport::FindNodeOfPath(const MDagPath& pPath)
{
    return FindRegistered(mNodeByPath, pPath.fullPathName().asChar(), [&pPath](QelVeskNode* pNode) {
        const MDagPath* own = pNode->GetDagPath();
        return own && *own == pPath;
    });
}

void QelVeskExport::BuildHierarchy(MItDag::TraversalType pTraversal, MFn::Type pFilter)
{
    MStatus status;
    MItDag walk(pTraversal, pFilter, &status);
    if (!status)
        return;
    for (; !walk.isDone(); walk.next()) {
        MDagPath path;
        if (!walk.getPath(path))
            continue;
        if (mSelection && !mSelection->hasItem(path, MObject::kNullObj))
            continue;
        QelVeskNode* node = FindNodeOfPath(path);
        if (!node)
            continue;
        SetNodeGeometryMaterial(node);
        MFnDagNode dagNode(path);
        SetTheParent(dagNode, *node);
    }
}

void QelVeskExport::SetTheParent(MFnDagNode& pDagNode, QelVeskNode& pNode)
{
    if (pDagNode.parentCount() == 0)
        return;
    MStatus status;
    MFnDagNode parentNode(pDagNode.parent(0), &status);
    const MString parentName = status ? parentNode.fullPathName() : MString();
    KQelNode* parent = mRootNode;
    if (parentName.length() > 0) {
        int index = -1;
        QelVeskNode* first = reinterpret_cast<QelVeskNode*>(mNodeByPath.Get(parentName.asChar(), &index));
        const bool selected = !mSelection || (first && first->GetDagPath() &&
                                              mSelection->hasItem(*first->GetDagPath(), MObject::kNullObj));
        if (first && selected) {
            QelVeskNode* exact = FindRegistered(mNodeByPath, parentName.asChar(), [&parentName](QelVeskNode* pNode) {
                const MDagPath* own = pNode->GetDagPath();
                return own && own->fullPathName() == parentName;
            });
            if (exact)
                parent = exact;
        }
    }
    parent->AddChild(&pNode);
}

void QelVeskExport::WriteNodeJoint(QelVeskNode* pNode)
{
    if (!pNode)
        return;
    int mark = 0;
    if (const MDagPath* path = pNode->GetDagPath()) {
        MObject object = path->node();
        mark = QVGetTarnvekID(object);
    }
    const SkeletonRow* row = &kDefaultSkeleton;
    for (const SkeletonRow& candidate : kSkeletonRows)
        if (candidate.mMark == mark)
            row = &candidate;
    KQelSkeleton* skeleton = mManager.CreateKQelSkeleton();
    skeleton->SetSkeletonType(row->mType);
    if (row->mSized)
        skeleton->SetLimbNodeSize(mJointDisplayScale);
    pNode->SetNodeAttribute(skeleton);
}
