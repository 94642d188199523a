// The walk of the host DAG: one node for each exportable path, made by the
// builder that the path's types choose.
#include <vesk/MFnAttribute.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnIkJoint.h>
#include <vesk/MItDag.h>
#include <vesk/MSelectionList.h>

#include "export/qelveskexport.h"
#include "export/qelveskexport_impl.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelvesknodeid.h"
#include "plugin/qelveskuserparams.h"
#include "plugin/qelveskutility.h"
#include "scene/kqelnull.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

// Host types the walk tests by number, in the order it tests them.
enum EWalkType : int {
    kMeshType = 290,
    kNurbsSurfaceType = 288,
    kSurfaceType = 289,
    kClusterHandleType = 245,
    kJointType = 120,
    kBlendShapeType = 330,
    kLightType = 296,
    kCameraType = 244,
    kLookAtType = 111,
    kFixtureTransformType = 275,
    kTransformType = 109
};

// Skeleton marks that a plain transform turns into a skeleton node with.
constexpr int kFirstSkeletonMark = 2;
constexpr int kLastSkeletonMark = 5;

const char* const kGroundPlane = "groundPlane_transform";

bool Has(const MDagPath& pPath, int pType)
{
    return pPath.hasFn(static_cast<MFn::Type>(pType));
}

}  // namespace

bool QelVeskExport::IsExportable(MDagPath& pPath, MFnDagNode&)
{
    return Has(pPath, kTransformType);
}

void QelVeskExport::Register(const MDagPath& pPath, QelVeskNode* pNode)
{
    mNodeByPath.Add(pPath.fullPathName().asChar(), reinterpret_cast<kReference>(pNode));
}

QelVeskNode* QelVeskExport::BuildNullGeometry(MDagPath& pPath, MFnDagNode& pNode)
{
    QelVeskNode* node = mManager.CreateQelVeskNode(pNode.name().asChar(), &pPath);
    node->SetVisibility(GetNodeVisibility(pNode));
    Register(pPath, node);
    node->SetNodeAttribute(mManager.CreateKQelNull());
    return node;
}

QelVeskNode* QelVeskExport::BuildJointGeometry(MDagPath& pPath, MFnDagNode& pNode)
{
    MStatus status;
    MFnIkJoint joint(pPath, &status);
    if (!status) {
        status.perror("MFnIkJoint constructor");
        return nullptr;
    }
    QelVeskNode* node = mManager.CreateQelVeskNode(pNode.name().asChar(), &pPath);
    node->SetVisibility(GetNodeVisibility(pNode));
    Register(pPath, node);
    WriteNodeJoint(node);
    return node;
}

QelVeskNode* QelVeskExport::BuildNodeOfPath(MDagPath& pPath, MFnDagNode& pNode, bool& pIsJoint)
{
    pIsJoint = false;
    if (Has(pPath, kMeshType))
        return BuildMeshGeometry(pPath, pNode);
    if (Has(pPath, kNurbsSurfaceType) || Has(pPath, kSurfaceType))
        return ExportGeometryNurb(pPath, pNode);
    if (Has(pPath, kClusterHandleType))
        return BuildNullGeometry(pPath, pNode);
    if (Has(pPath, kJointType)) {
        pIsJoint = true;
        return BuildJointGeometry(pPath, pNode);
    }
    if (Has(pPath, kBlendShapeType))
        return nullptr;
    if (Has(pPath, kLightType))
        return BuildLightGeometry(pPath, pNode);
    if (Has(pPath, kCameraType)) {
        // The host's default cameras stay behind.
        if (QelVeskUtility::IsCameraNameReserved(pNode.name().asChar()))
            return nullptr;
        return BuildCameraGeometry(pPath, pNode);
    }
    if (Has(pPath, kLookAtType))
        return BuildLookAtGeometry(pPath, pNode);
    if (Has(pPath, kFixtureTransformType))
        return BuildNullGeometry(pPath, pNode);

    MObject object = pPath.node();
    const int mark = QVGetTarnvekID(object);
    if (mark == 0 || mark == 1) {
        if (pNode.name() == kGroundPlane)
            return nullptr;
        return BuildNullGeometry(pPath, pNode);
    }
    if (mark >= kFirstSkeletonMark && mark <= kLastSkeletonMark) {
        QelVeskNode* node = mManager.CreateQelVeskNode(pNode.name().asChar(), &pPath);
        Register(pPath, node);
        WriteNodeJoint(node);
        return node;
    }
    return nullptr;
}

MStatus QelVeskExport::BuildGeometry(MItDag::TraversalType pTraversal, MFn::Type pFilter)
{
    MStatus status;
    MItDag walk(pTraversal, pFilter, &status);
    if (!status) {
        status.perror("MItDag constructor");
        return status;
    }
    const bool bypassRrs = export_detail::BoolSetting(QelVeskUserParams::kExportBypassRrsInheritance);
    for (; !walk.isDone(); walk.next()) {
        MDagPath path;
        status = walk.getPath(path);
        if (!status) {
            status.perror("MItDag::getPath");
            continue;
        }
        if (mSelection && !mSelection->hasItem(path, MObject::kNullObj))
            continue;
        MFnDagNode dagNode(path, &status);
        if (!status) {
            status.perror("MFnDagNode constructor");
            continue;
        }
        if (!IsExportable(path, dagNode))
            continue;
        bool isJoint = false;
        QelVeskNode* node = BuildNodeOfPath(path, dagNode, isJoint);
        if (!node)
            continue;
        QelVeskProgressMeter::Activate(node->GetName());
        node->SetTransformationInheritType(isJoint && !bypassRrs ? eInheritRrs : eInheritRSrs);
    }
    return MStatus::kSuccess;
}

bool IsMentalRayDynamicAttribute(MObject& pAttribute)
{
    const MString name = MFnAttribute(pAttribute).name();
    const char* text = name.asChar();
    // Upper case of the "C" locale, whatever locale the host runs in.
    return name.length() > 2 && text[0] == 'm' && text[1] == 'i' && text[2] >= 'A' && text[2] <= 'Z';
}
