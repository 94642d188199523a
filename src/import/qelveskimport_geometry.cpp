// The geometry pass: one host object for every node of the read scene that
// is not bound yet, in its host namespace, parents before children; nulls,
// skeletons and joints.
#include <vesk/MDagPath.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnIkJoint.h>
#include <vesk/MFnTransform.h>
#include <vesk/MGlobal.h>
#include <vesk/MStringArray.h>

#include "content/kqelgeometryconverter.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "import/qelveskimportfunctions.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelvesknodeid.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelveskutility.h"
#include "scene/kqelskeleton.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

const char kRootNamespaceCommand[] = "namespace -set \":\"";
const char kSceneRootName[] = "RootNode";

// Node id of each skeleton type: root, limb, limb node, effector.
const int kSkeletonNodeIds[] = {2, 4, 5, 3};

void Run(const KString& pCommand)
{
    MGlobal::executeCommand(MString(pCommand.Buffer()), false, false);
}

MStringArray Query(const char* pCommand)
{
    MStringArray answer;
    MGlobal::executeCommand(MString(pCommand), answer, false, false);
    return answer;
}

}  // namespace

MObject qelveskimport::HostParent(QelVeskNode& pNode)
{
    KQelNode* parent = pNode.GetParent();
    MDagPath* path = parent ? Vesk(parent)->GetDagPath() : nullptr;
    return path ? path->node() : MObject::kNullObj;
}

void qelveskimport::NameAndBind(MFnDagNode& pObject, QelVeskNode& pNode)
{
    pObject.setName(MString(ShortName(pNode).Buffer()));
    MDagPath path;
    pObject.getPath(path);
    pNode.SetDagPath(&path);
}

MObject qelveskimport::CreateBoundTransform(QelVeskNode& pNode, MFnTransform& pTransform, const char* pFailure)
{
    MStatus status;
    const MObject created = pTransform.create(HostParent(pNode), &status);
    if (!status)
        status.perror(pFailure);
    NameAndBind(pTransform, pNode);
    return created;
}

void QelVeskImport::AddTarnVekNodeArray(KQelNode* pNode)
{
    AddNodes(pNode, nullptr);
}

void QelVeskImport::AddNodes(KQelNode* pNode, const std::unordered_set<KQelNode*>* pLeaveOut)
{
    Walk(pNode, [&](KQelNode* pVisited) {
        if (!pLeaveOut || pLeaveOut->count(pVisited) == 0)
            mNodeSet.Add(pVisited->GetName(), reinterpret_cast<kReference>(pVisited));
        return true;
    });
}

void QelVeskImport::FillTarnVekNodeArray(KQelNode* pNode)
{
    mNodeSet.Clear();
    if (!pNode)
        return;
    // The host has its own default cameras: cameras of those names directly
    // below the root leave the scene with their subtrees before the set is
    // filled, so no entry can outlive them.
    KArrayTemplate<KQelNode*> reserved;
    for (int i = 0, n = pNode->GetChildCount(); i < n; ++i) {
        KQelNode* child = pNode->GetChild(i);
        if (AttributeType(*child) == KQelNodeAttribute::eCamera &&
            QelVeskUtility::IsCameraNameReserved(ShortName(*child).Buffer()))
            reserved.Add(child);
    }
    for (int i = 0, n = reserved.GetCount(); i < n; ++i) {
        pNode->RemoveChild(reserved[i]);
        mManager.DestroyKQelNode(reserved[i], true);
    }
    // The camera creation makes the host aim objects of look-at targets;
    // targets are left out by identity, never by a name another node may
    // share without regard to case.
    std::unordered_set<KQelNode*> targets;
    for (int i = 0, n = pNode->GetChildCount(); i < n; ++i) {
        Walk(pNode->GetChild(i), [&](KQelNode* pVisited) {
            if (AttributeType(*pVisited) == KQelNodeAttribute::eCamera && pVisited->GetTarget())
                targets.insert(pVisited->GetTarget());
            return true;
        });
    }
    for (int i = 0, n = pNode->GetChildCount(); i < n; ++i)
        AddNodes(pNode->GetChild(i), &targets);
}

MStatus QelVeskImport::ImportGeometry()
{
    if (QelVeskUserParams::Instance()->GetImportType() != QelVeskUserParams::eExclusiveMerge) {
        // A namespace that one node of the set may add is there for every
        // node of the set, whichever of them the name order puts first.
        std::unordered_set<std::string> addable;
        for (int i = 0, n = mNodeSet.GetCount(); i < n; ++i) {
            const QelVeskNode* node = reinterpret_cast<QelVeskNode*>(mNodeSet.GetFromIndex(i));
            if (node->mAddNameSpace && !node->mNameSpace.IsEmpty())
                addable.insert(node->mNameSpace.Buffer());
        }
        std::unordered_set<KQelNode*> done;
        for (int i = 0, n = mNodeSet.GetCount(); i < n; ++i) {
            QelVeskNode* node = reinterpret_cast<QelVeskNode*>(mNodeSet.GetFromIndex(i));
            QelVeskProgressMeter::Activate(ShortName(*node).Buffer());
            ImportGeometryWithAncestors(node, done, &addable);
        }
    }
    Run(kRootNamespaceCommand);
    return MStatus::kSuccess;
}

MStatus QelVeskImport::ImportGeometry(QelVeskNode* pNode)
{
    std::unordered_set<KQelNode*> done;
    ImportGeometryWithAncestors(pNode, done, nullptr);
    return MStatus::kSuccess;
}

void QelVeskImport::ImportGeometryWithAncestors(QelVeskNode* pNode, std::unordered_set<KQelNode*>& pDone,
                                                const std::unordered_set<std::string>* pAddable)
{
    // The node and its unbound ancestors not handled yet in this pass,
    // handled from the topmost down; an unbound ancestor is handled once.
    std::vector<QelVeskNode*> chain;
    for (QelVeskNode* node = pNode; node && !node->GetDagPath() && pDone.insert(node).second;
         node = Vesk(node->GetParent()))
        chain.push_back(node);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        ImportGeometryOf(**it, pAddable);
}

void QelVeskImport::SetNamespace(QelVeskNode& pNode, const std::unordered_set<std::string>* pAddable)
{
    const KString space = pNode.mNameSpace;
    if (space.IsEmpty()) {
        Run(kRootNamespaceCommand);
        return;
    }
    const MStringArray current = Query("namespaceInfo -currentNamespace");
    if (current.length() > 0 && current[0] == space.Buffer())
        return;
    // Listed from the root, where the node's namespace belongs: listed from
    // another namespace, an existing one would be added again.
    Run(kRootNamespaceCommand);
    const MStringArray existing = Query("namespaceInfo -lon");
    bool exists = false;
    for (unsigned int i = 0; i < existing.length() && !exists; ++i)
        exists = existing[i] == space.Buffer();
    const bool mayAdd = pAddable ? pAddable->count(space.Buffer()) != 0 : pNode.mAddNameSpace;
    if (mayAdd && !exists)
        Run(KString("namespace -add ") + QelVeskQuote(space.Buffer()));
    Run(KString("namespace -set ") + QelVeskQuote(space.Buffer()));
}

void QelVeskImport::ImportGeometryOf(QelVeskNode& pNode, const std::unordered_set<std::string>* pAddable)
{
    SetNamespace(pNode, pAddable);
    if (IsExcludedQelRoot(&pNode))
        return;
    const int type = AttributeType(pNode);
    switch (type) {
    case -1:
        if (IsJoint(pNode.GetParent()))
            CreateSkeletonGeometry(pNode, KQelSkeleton::eEffector);
        else
            CreateNullGeometry(&pNode);
        break;
    case KQelNodeAttribute::eSkeleton:
        CreateSkeletonGeometry(pNode, -1);
        break;
    case KQelNodeAttribute::eMesh:
        CreateMeshGeometry(&pNode);
        break;
    case KQelNodeAttribute::eNurb:
        CreateNurbGeometry(&pNode);
        break;
    case KQelNodeAttribute::ePatch: {
        KQelGeometryConverter* converter = mManager.CreateKQelGeometryConverter();
        if (converter && converter->ConvertPatchToNurbInPlace(&pNode))
            CreateNurbGeometry(&pNode);
        mManager.DestroyKQelGeometryConverter(converter);
        break;
    }
    case KQelNodeAttribute::eCamera:
        CreateCameraGeometry(pNode);
        break;
    case KQelNodeAttribute::eLight:
        CreateLightGeometry(pNode);
        break;
    default:
        if (!IsCameraGroup(&pNode))
            CreateNullGeometry(&pNode);
        break;
    }
}

MObject QelVeskImport::CreateNullGeometry(QelVeskNode* pNode)
{
    if (!pNode || ShortName(*pNode) == kSceneRootName)
        return MObject::kNullObj;
    MFnTransform transform;
    const MObject created = CreateBoundTransform(*pNode, transform, "Cannot create Null");
    AddUserProperties(transform, pNode);
    MFnDagNode locator;
    return locator.create("locator", created);
}

void QelVeskImport::CreateJointGeometry(QelVeskNode* pNode)
{
    if (!pNode)
        return;
    MStatus status;
    MFnIkJoint joint;
    joint.create(HostParent(*pNode), &status);
    if (!status)
        status.perror("Cannot create Ik joint");
    NameAndBind(joint, *pNode);
    AddUserProperties(joint, pNode);
}

void QelVeskImport::CreateSkeletonGeometry(QelVeskNode& pNode, int pSkeletonType)
{
    int type = pSkeletonType;
    if (type == -1) {
        KQelSkeleton* skeleton = pNode.GetSkeleton();
        type = skeleton ? static_cast<int>(skeleton->GetSkeletonType()) : -1;
    }
    if (type == KQelSkeleton::eRoot) {
        // A root with a limb or limb node below it is a joint, else a null.
        bool limbChild = false;
        for (int i = pNode.GetChildCount() - 1; i >= 0 && !limbChild; --i) {
            KQelSkeleton* child = pNode.GetChild(i)->GetSkeleton();
            limbChild = child && (child->GetSkeletonType() == KQelSkeleton::eLimb ||
                                  child->GetSkeletonType() == KQelSkeleton::eLimbNode);
        }
        if (limbChild)
            CreateJointGeometry(&pNode);
        else
            CreateNullGeometry(&pNode);
    } else {
        CreateJointGeometry(&pNode);
    }
    if (type < 0 || type > KQelSkeleton::eEffector || !pNode.GetDagPath())
        return;
    MObject object = pNode.GetDagPath()->node();
    QVSetTarnvekID(object, kSkeletonNodeIds[type]);
}
