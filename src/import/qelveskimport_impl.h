// Helpers shared by the import's sources; nothing outside src/import
// includes this file.
#ifndef QELVESK_IMPORT_QELVESKIMPORT_IMPL_H
#define QELVESK_IMPORT_QELVESKIMPORT_IMPL_H

#include <cstdint>
#include <vector>

#include <vesk/MAngle.h>
#include <vesk/MObject.h>

#include "base/kstring.h"
#include "import/qelveskimportfunctions.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskuserparams.h"
#include "scene/kqelnode.h"

class MFnDagNode;
class MFnTransform;
namespace qelsdk_600 {
class KQelMesh;
}

namespace qelveskimport {

// Visits pRoot, then every node below it, a node before its children and
// the children in order, on an explicit stack so that no depth exhausts the
// call stack. pVisit(KQelNode*) answers false to skip the node's children;
// children are read when the walk reaches them.
template <class F>
void Walk(qelsdk_600::KQelNode* pRoot, F pVisit)
{
    if (!pRoot || !pVisit(pRoot))
        return;
    struct Frame {
        qelsdk_600::KQelNode* mNode;
        int mNext;
    };
    std::vector<Frame> stack{Frame{pRoot, 0}};
    while (!stack.empty()) {
        qelsdk_600::KQelNode* child = stack.back().mNode->GetChild(stack.back().mNext++);
        if (!child)
            stack.pop_back();
        else if (pVisit(child))
            stack.push_back(Frame{child, 0});
    }
}

// Every node an import's manager makes is a QelVeskNode.
inline QelVeskNode* Vesk(qelsdk_600::KQelNode* pNode)
{
    return static_cast<QelVeskNode*>(pNode);
}

// The node's name without its kind prefix ("Model::").
inline qelsdk_600::KString ShortName(const qelsdk_600::KQelNode& pNode)
{
    return pNode.GetNameWithoutNameSpacePrefix();
}

// A setting of the host side by index.
inline bool Setting(unsigned int pIndex)
{
    return QelVeskUserParams::Instance()->GetBoolParam(pIndex);
}

// The attribute type of the node's attribute, -1 without one.
inline int AttributeType(const qelsdk_600::KQelNode& pNode)
{
    const qelsdk_600::KQelNodeAttribute* attribute = pNode.GetNodeAttribute();
    return attribute ? static_cast<int>(attribute->GetAttributeType()) : -1;
}

// The node is a camera group that has no host node of its own: the host
// group that the camera creation makes around an aimed camera stands for
// it. A group the geometry pass made a null for keeps its camera below it.
inline bool IsHostCameraGroup(qelsdk_600::KQelNode* pNode)
{
    return pNode && !Vesk(pNode)->GetDagPath() && IsCameraGroup(Vesk(pNode));
}

// One host UI angle unit expressed in pUnit: the slope divisor of angle
// curves whose values reach the host in pUnit (pi/180 for radians under UI
// degrees).
inline double UiAngleIn(MAngle::Unit pUnit)
{
    return MAngle(1.0, MAngle::uiUnit()).as(pUnit);
}

// The host object that new children of pNode go under: its bound parent's,
// else the world (the null object).
MObject HostParent(QelVeskNode& pNode);

// Names the new object after the node and binds the node to its path,
// whatever name the host finally gives it.
void NameAndBind(MFnDagNode& pObject, QelVeskNode& pNode);

// A transform made by pTransform under HostParent, named and bound by
// NameAndBind; pFailure is printed when the host cannot make it (the naming
// and binding still run). The transform, or the null object.
MObject CreateBoundTransform(QelVeskNode& pNode, MFnTransform& pTransform, const char* pFailure);

// Host polygon h of a mesh that CreateMeshGeometry made stands for SDK
// polygon mPolygon[h]: the host leaves out the polygons of fewer than 3
// corners. mCorner[h] is the running position of that polygon's first
// corner among all SDK corners, those of left-out polygons counted, as
// elements mapped by polygon vertex number them.
struct HostPolygons {
    std::vector<int> mPolygon;
    std::vector<std::int64_t> mCorner;
    // Corners of all SDK polygons.
    std::int64_t mSdkCorners = 0;
};

// Fills pMap from the SDK mesh. False when pHostPolygonCount differs from
// the number of SDK polygons kept: the host polygons then cannot be told
// apart and no per-polygon data may be given to them.
bool MapHostPolygons(const qelsdk_600::KQelMesh& pMesh, int pHostPolygonCount, HostPolygons& pMap);

}  // namespace qelveskimport

#endif
