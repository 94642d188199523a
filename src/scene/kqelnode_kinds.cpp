// What the node, the entity, the finders and the limit utilities need of the
// kinds whose classes live in other sources. Every spot that waits for such a
// class is here, one section per kind: until its class exists each answers
// "nothing" (null, false, -1, no objects), which is also all the rest of the
// scene can meet while the manager cannot make that kind. A kind's developer
// fills in its own section (the lines to write are given in it); the
// dispatch at the end needs no change.
#include "character/kqelcharacter.h"
#include "content/kqelcamera.h"
#include "content/kqelcameraswitcher.h"
#include "content/kqeldeformer.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "content/kqelshape.h"
#include "content/kqellight.h"
#include "content/kqelmarker.h"
#include "scene/kqelentity.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqelnode.h"
#include "scene/kqelnode_impl.h"
#include "scene/kqelnull.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelskeleton.h"

namespace qelsdk_600 {

namespace {

// An attribute as its class: a type number alone does not make one (an
// attribute of another class may answer the type), so the class is checked.
template <class T>
T* AttributeAs(KQelNodeAttribute* pAttribute)
{
    return dynamic_cast<T*>(pAttribute);
}

// The class's own assignment, false when either side is not of the class.
template <class T>
bool AssignAs(KQelNodeAttribute& pTo, KQelNodeAttribute& pFrom)
{
    T* to = AttributeAs<T>(&pTo);
    T* from = AttributeAs<T>(&pFrom);
    if (!to || !from)
        return false;
    *to = *from;
    return true;
}

}  // namespace

// ---- Null ----

KQelNull* KQelNode::GetNull()
{
    return AttributeAs<KQelNull>(AttributeOfType(KQelNodeAttribute::eNull));
}

static KQelNodeAttribute* CreateNull(KQelSdkManager& pManager)
{
    return pManager.CreateKQelNull();
}

static bool AssignNull(KQelNodeAttribute& pTo, KQelNodeAttribute& pFrom)
{
    return AssignAs<KQelNull>(pTo, pFrom);
}

// ---- Marker ----

KQelMarker* KQelNode::GetMarker()
{
    return AttributeAs<KQelMarker>(AttributeOfType(KQelNodeAttribute::eMarker));
}

static KQelNodeAttribute* CreateMarker(KQelSdkManager& pManager)
{
    return pManager.CreateKQelMarker();
}

static bool AssignMarker(KQelNodeAttribute& pTo, KQelNodeAttribute& pFrom)
{
    return AssignAs<KQelMarker>(pTo, pFrom);
}

int KQelMarkerTypeOf(KQelNodeAttribute& pMarker)
{
    const KQelMarker* marker = AttributeAs<KQelMarker>(&pMarker);
    return marker ? marker->GetType() : -1;
}

// ---- Skeleton ----

KQelSkeleton* KQelNode::GetSkeleton()
{
    return AttributeAs<KQelSkeleton>(AttributeOfType(KQelNodeAttribute::eSkeleton));
}

static KQelNodeAttribute* CreateSkeleton(KQelSdkManager& pManager)
{
    return pManager.CreateKQelSkeleton();
}

static bool AssignSkeleton(KQelNodeAttribute& pTo, KQelNodeAttribute& pFrom)
{
    return AssignAs<KQelSkeleton>(pTo, pFrom);
}

int KQelSkeletonTypeOf(KQelNodeAttribute& pSkeleton)
{
    const KQelSkeleton* skeleton = AttributeAs<KQelSkeleton>(&pSkeleton);
    return skeleton ? skeleton->GetSkeletonType() : -1;
}

// ---- Geometry: mesh, NURBS surface, patch ----
//   KQelCollectGeometryObjects: kinds 0 and 1, the objects of the direct
//   arrays of the layers' material and texture elements (layers in index
//   reference mode skipped, null entries skipped), in layer order, with the
//   material and texture classes (a KQelMaterial* or KQelTexture* becomes a
//   KQelObject*); kind 2, the video each of those textures uses.

KQelGeometry* KQelNode::GetGeometry()
{
    KQelNodeAttribute* attribute = GetNodeAttribute();
    if (!attribute)
        return nullptr;
    switch (attribute->GetAttributeType()) {
    case KQelNodeAttribute::eMesh:
    case KQelNodeAttribute::eNurb:
    case KQelNodeAttribute::ePatch:
        return static_cast<KQelGeometry*>(attribute);
    default:
        return nullptr;
    }
}

KQelMesh* KQelNode::GetMesh()
{
    return static_cast<KQelMesh*>(AttributeOfType(KQelNodeAttribute::eMesh));
}

KQelNurb* KQelNode::GetNurb()
{
    return static_cast<KQelNurb*>(AttributeOfType(KQelNodeAttribute::eNurb));
}

KQelPatch* KQelNode::GetPatch()
{
    return static_cast<KQelPatch*>(AttributeOfType(KQelNodeAttribute::ePatch));
}

static KQelNodeAttribute* CreateMesh(KQelSdkManager& pManager)
{
    return pManager.CreateKQelMesh();
}

static bool AssignMesh(KQelNodeAttribute& pTo, KQelNodeAttribute& pFrom)
{
    static_cast<KQelMesh&>(pTo) = static_cast<KQelMesh&>(pFrom);
    return true;
}

static KQelNodeAttribute* CreateNurb(KQelSdkManager& pManager)
{
    return pManager.CreateKQelNurb();
}

static bool AssignNurb(KQelNodeAttribute& pTo, KQelNodeAttribute& pFrom)
{
    static_cast<KQelNurb&>(pTo) = static_cast<KQelNurb&>(pFrom);
    return true;
}

static KQelNodeAttribute* CreatePatch(KQelSdkManager& pManager)
{
    return pManager.CreateKQelPatch();
}

static bool AssignPatch(KQelNodeAttribute& pTo, KQelNodeAttribute& pFrom)
{
    static_cast<KQelPatch&>(pTo) = static_cast<KQelPatch&>(pFrom);
    return true;
}

void KQelClearGeometryEntity(KQelGeometry* pGeometry)
{
    if (!pGeometry)
        return;
    pGeometry->SetEntity(nullptr);
    for (int i = 0; i < pGeometry->GetShapeCount(); ++i)
        pGeometry->GetShape(i)->SetEntity(nullptr);
}

const KQelVector4* KQelGeometryControlPoints(KQelGeometry* pGeometry, int& pCount)
{
    pCount = pGeometry ? pGeometry->GetControlPointsCount() : 0;
    return pGeometry ? pGeometry->GetControlPoints() : nullptr;
}

void KQelCollectGeometryObjects(KQelGeometry* pGeometry, int pKind, std::vector<KQelObject*>& pObjects) {}

// ---- Deformer ----

KQelObject* KQelEntity::AsObject(KQelDeformer* pObject)
{
    return pObject;
}

KQelDeformer* KQelEntity::AsDeformer(KQelObject* pObject)
{
    return static_cast<KQelDeformer*>(pObject);
}

int KQelEntity::DeformerTypeOf(KQelObject* pDeformer)
{
    return static_cast<KQelDeformer*>(pDeformer)->GetDeformerType();
}

// ---- Camera ----

KQelCamera* KQelNode::GetCamera()
{
    return static_cast<KQelCamera*>(AttributeOfType(KQelNodeAttribute::eCamera));
}

static KQelNodeAttribute* CreateCamera(KQelSdkManager& pManager)
{
    return pManager.CreateKQelCamera();
}

static bool AssignCamera(KQelNodeAttribute& pTo, KQelNodeAttribute& pFrom)
{
    static_cast<KQelCamera&>(pTo) = static_cast<KQelCamera&>(pFrom);
    return true;
}

// ---- Camera switcher ----

KQelCameraSwitcher* KQelNode::GetCameraSwitcher()
{
    return static_cast<KQelCameraSwitcher*>(AttributeOfType(KQelNodeAttribute::eCameraSwitcher));
}

// A node assigned from one carrying a switcher gets its own.
static KQelNodeAttribute* CreateCameraSwitcher(KQelSdkManager& pManager)
{
    return pManager.CreateKQelCameraSwitcher();
}

static bool AssignCameraSwitcher(KQelNodeAttribute& pTo, KQelNodeAttribute& pFrom)
{
    static_cast<KQelCameraSwitcher&>(pTo) = static_cast<KQelCameraSwitcher&>(pFrom);
    return true;
}

// ---- Light ----

KQelLight* KQelNode::GetLight()
{
    return AttributeAs<KQelLight>(AttributeOfType(KQelNodeAttribute::eLight));
}

static KQelNodeAttribute* CreateLight(KQelSdkManager& pManager)
{
    return pManager.CreateKQelLight();
}

static bool AssignLight(KQelNodeAttribute& pTo, KQelNodeAttribute& pFrom)
{
    return AssignAs<KQelLight>(pTo, pFrom);
}

// ---- Optical reference (not copied by assignment) and generic node ----

KQelOpticalReference* KQelNode::GetOpticalReference()
{
    return AttributeAs<KQelOpticalReference>(AttributeOfType(KQelNodeAttribute::eOpticalReference));
}

KQelObject* KQelEntity::AsObject(KQelGenericNode* pObject)
{
    return pObject;
}

KQelGenericNode* KQelEntity::AsGenericNode(KQelObject* pObject)
{
    return static_cast<KQelGenericNode*>(pObject);
}

// ---- Material, texture, video: with their classes ----
//   AsObject: return pObject;  AsMaterial / AsTexture / AsVideo:
//   return static_cast<KQelMaterial*>(pObject); (and alike).

KQelObject* KQelEntity::AsObject(KQelMaterial* pObject)
{
    return nullptr;
}

KQelObject* KQelEntity::AsObject(KQelTexture* pObject)
{
    return nullptr;
}

KQelObject* KQelEntity::AsObject(KQelVideo* pObject)
{
    return nullptr;
}

KQelMaterial* KQelEntity::AsMaterial(KQelObject* pObject)
{
    return nullptr;
}

KQelTexture* KQelEntity::AsTexture(KQelObject* pObject)
{
    return nullptr;
}

KQelVideo* KQelEntity::AsVideo(KQelObject* pObject)
{
    return nullptr;
}

// ---- Character and control set ----

void KQelNode::ClearCharacterSlot(const KQelLinkToCharacter& pLink)
{
    KQelCharacter_ClearNodeSlot(pLink.mCharacter, pLink.mKind, pLink.mIndex, pLink.mSubIndex, this);
}

// ---- Dispatch by attribute type (no change needed) ----

namespace {

struct AttributeKind {
    KQelNodeAttribute* (*mCreate)(KQelSdkManager&);
    bool (*mAssign)(KQelNodeAttribute&, KQelNodeAttribute&);
};

// Indexed by attribute type; shapes and optical references are not copied.
const AttributeKind kAttributeKinds[] = {
    {nullptr, nullptr},                            // 0 shape
    {CreateNull, AssignNull},                      // 1
    {CreateMarker, AssignMarker},                  // 2
    {CreateSkeleton, AssignSkeleton},              // 3
    {CreateMesh, AssignMesh},                      // 4
    {CreateNurb, AssignNurb},                      // 5
    {CreatePatch, AssignPatch},                    // 6
    {CreateCamera, AssignCamera},                  // 7
    {CreateCameraSwitcher, AssignCameraSwitcher},  // 8
    {CreateLight, AssignLight},                    // 9
    {nullptr, nullptr},                            // 10 optical reference
};

const AttributeKind* KindOf(KQelNodeAttribute::EAttributeType pType)
{
    const int count = static_cast<int>(sizeof(kAttributeKinds) / sizeof(kAttributeKinds[0]));
    return pType >= 0 && pType < count ? &kAttributeKinds[pType] : nullptr;
}

}  // namespace

KQelNodeAttribute* KQelCreateAttribute(KQelSdkManager& pManager, KQelNodeAttribute::EAttributeType pType)
{
    const AttributeKind* kind = KindOf(pType);
    return kind && kind->mCreate ? kind->mCreate(pManager) : nullptr;
}

bool KQelAssignAttribute(KQelNodeAttribute& pTo, KQelNodeAttribute& pFrom)
{
    if (pTo.GetAttributeType() != pFrom.GetAttributeType())
        return false;
    const AttributeKind* kind = KindOf(pTo.GetAttributeType());
    return kind && kind->mAssign && kind->mAssign(pTo, pFrom);
}

}  // namespace qelsdk_600
