// What the node, the entity, the finders and the limit utilities need of the
// kinds whose classes live in other sources, one section per kind; the
// dispatch by attribute type at the end serves them all.
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
#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "content/kqelvideo.h"
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

namespace {

// Appends the non-null entries of an element's direct array, unless the
// element refers to the node's connections instead (index mode).
template <class Element, class Visit>
void ForEachDirectEntry(const Element* pElement, Visit pVisit)
{
    if (!pElement || pElement->GetReferenceMode() == KQelLayerElement::eIndex)
        return;
    const auto& direct = pElement->GetDirectArray();
    for (int i = 0; i < direct.GetCount(); ++i) {
        if (direct[i])
            pVisit(direct[i]);
    }
}

}  // namespace

void KQelCollectGeometryObjects(KQelGeometry* pGeometry, int pKind, std::vector<KQelObject*>& pObjects)
{
    if (!pGeometry)
        return;
    for (int i = 0; i < pGeometry->GetLayerCount(); ++i) {
        const KQelLayer* layer = pGeometry->GetLayer(i);
        if (pKind == 0) {
            ForEachDirectEntry(layer->GetMaterials(), [&pObjects](KQelMaterial* pMaterial) {
                pObjects.push_back(pMaterial);
            });
        } else {
            ForEachDirectEntry(layer->GetTextures(), [&pObjects, pKind](KQelTexture* pTexture) {
                KQelObject* object = pKind == 1 ? static_cast<KQelObject*>(pTexture) : pTexture->GetVideo();
                if (object)
                    pObjects.push_back(object);
            });
        }
    }
}

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

// ---- Material, texture, video ----

KQelObject* KQelEntity::AsObject(KQelMaterial* pObject)
{
    return pObject;
}

KQelObject* KQelEntity::AsObject(KQelTexture* pObject)
{
    return pObject;
}

KQelObject* KQelEntity::AsObject(KQelVideo* pObject)
{
    return pObject;
}

KQelMaterial* KQelEntity::AsMaterial(KQelObject* pObject)
{
    return static_cast<KQelMaterial*>(pObject);
}

KQelTexture* KQelEntity::AsTexture(KQelObject* pObject)
{
    return static_cast<KQelTexture*>(pObject);
}

KQelVideo* KQelEntity::AsVideo(KQelObject* pObject)
{
    return static_cast<KQelVideo*>(pObject);
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
