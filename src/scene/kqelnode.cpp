// The node: construction, tree, targets, attribute, display, character
// links, child names, takes and assignment.
#include "scene/kqelnode.h"

#include <new>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode_impl.h"
#include "scene/kqelpropertyvalue_impl.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

const char* const kNodeErrors[] = {
    "Take node error",   "Node name clash",    "Material name clash",
    "Texture name clash", "Video name clash",  "Index out of range",
    "Connection refused: the node is in this entity already", nullptr,
};

// The transform channels of a take: curve node name, property, data type,
// layer type, value when the property is missing.
struct TransformChannel {
    const char* mNode;
    const char* mProperty;
    KDataType* const* mDataType;
    int mLayerType;
    double mStart;
};
const TransformChannel kTransformChannels[] = {
    {"T", "Lcl Translation", &KDataTypeLclTranslation::DataType, 1, 0.0},
    {"R", "Lcl Rotation", &KDataTypeLclRotation::DataType, 2, 0.0},
    {"S", "Lcl Scaling", &KDataTypeLclScaling::DataType, 3, 1.0},
};
const char* const kComponentNames[] = {"X", "Y", "Z"};
const float kComponentColors[3][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
const float kVisibilityColor[3] = {0.75f, 0.0f, 0.0f};

bool IsOwnChannel(const char* pName)
{
    static const char* const kNames[] = {"Lcl Translation", "Lcl Rotation", "Lcl Scaling", "Visibility"};
    for (const char* name : kNames) {
        if (pName && KString(pName) == name)
            return true;
    }
    return false;
}

// A curve node holding one new curve of that value and colour.
KFCurveNode* CurveChannel(const char* pName, KDataType* pDataType, int pLayerType, double pValue,
                          const float* pColor, KFCurve*& pCurve)
{
    KFCurveNode* node = KFCurveNodeCreate(pName, pDataType, pLayerType, 0);
    pCurve = KFCurveCreate();
    pCurve->SetValue(static_cast<float>(pValue));
    pCurve->SetColor(pColor);
    node->FCurveSet(pCurve);
    return node;
}

// The attribute kinds assignment copies (a camera switcher too: a missing one
// is made through the manager like the others).
bool IsCopiedKind(KQelNodeAttribute::EAttributeType pType)
{
    return pType >= KQelNodeAttribute::eNull && pType <= KQelNodeAttribute::eLight;
}

}  // namespace

// ---- Construction and end ----

KQelNode::KQelNode(KQelSdkManager& pManager, const char* pName)
    : KQelTakeNodeContainer(pManager, pName, &mError),
      mProperties(nullptr),
      mChildNames(16),
      mEntity(nullptr),
      mAttribute(nullptr),
      mShadingMode(eLightShading),
      mMultiLayer(false),
      mMultiTakeMode(eMultiTakeOn),
      mLimits(nullptr),
      mSelected(false),
      mCharacterLinks(16),
      mError(kNodeErrors, 8),
      mCullingType(0)
{
    mProperties = new (mPropertiesRoom) KQelNodeProperties(this);
    Reset();
    // The Default take's tree and the user properties are made when first
    // asked for: most nodes of a large scene are never asked.
    DeferDefaultTake(true);
    Init();
    DeferDefaultTake(false);
    SetVisibility(true);
    SetShadingMode(eLightShading);
    PublishPropertiesOnDemand();
}

KQelNode::~KQelNode()
{
    for (int i = 0; i < mCharacterLinks.GetCount(); ++i)
        ClearCharacterSlot(mCharacterLinks[i]);
    mCharacterLinks.Clear();
    // Nothing may keep a pointer to this node: its entity (a root or other
    // parentless node is listed without a connection to end) and its
    // attribute, which the manager may still hold.
    if (mEntity) {
        mEntity->RemoveNode(this);
        mEntity = nullptr;
    }
    if (mAttribute)
        SetNodeAttribute(nullptr);
    // The user properties over this node's properties would outlive them in
    // the manager's list, where lookups by name read them.
    DropRun();
    for (int i = 0; i < GetPropertyCount(); ++i) {
        KQelUserProperty* property = GetProperty(i);
        if (property && property->GetPropertyHandler() == mProperties)
            GetKQelSdkManager().DestroyKQelUserProperty(property);
    }
    delete mLimits;
    mLimits = nullptr;
    // Destroy without its delete: the set lives in the node's block.
    mProperties->Destruct();
    mProperties->~KQelNodeProperties();
    mProperties = nullptr;
    for (int i = 0; i < mChildNames.GetCount(); ++i)
        delete mChildNames[i];
    mChildNames.Clear();
}

void KQelNode::Destruct()
{
    if (mProperties)
        mProperties->Destruct();
}

// ---- Object model ----

void KQelNode::FillPropertyList(void* pList)
{
    KQelAppendProperties(mProperties, pList);
    if (mAttribute)
        mAttribute->FillPropertyList(pList);
}

KString KQelNode::GetTypeName()
{
    return mAttribute ? mAttribute->GetTypeName() : KString("Null");
}

KStringList KQelNode::GetTypeFlags()
{
    if (mAttribute)
        return mAttribute->GetTypeFlags();
    KStringList flags;
    flags.Add("Null", 0);
    return flags;
}

KQelUserProperty* KQelNode::CreateKQelUserProperty(KProperty* pProperty)
{
    return GetKQelSdkManager().CreateKQelUserProperty(pProperty);
}

int KQelNode::GetClassID() const
{
    return KQelNodeProperties::ClassId;
}

// ---- Tree ----

KQelNode* KQelNode::NodeOf(KPlug* pPlug)
{
    if (!pPlug || !pPlug->Is(KQelNodeProperties::ClassId))
        return nullptr;
    return static_cast<KQelNodeProperties*>(pPlug)->GetKQelNode();
}

KQelNode* KQelNode::GetParent() const
{
    const KPlug* view = mProperties->GetNodeView();
    for (int i = 0, count = view->GetDstCount(); i < count; ++i) {
        if (KQelNode* parent = NodeOf(view->GetDst(i)))
            return parent;
    }
    return nullptr;
}

bool KQelNode::IsSelfOrAncestor(const KQelNode* pNode) const
{
    // A leaf is nobody's ancestor: new nodes join deep trees without a climb.
    if (pNode && pNode != this && pNode->GetChildCount(false) == 0)
        return false;
    for (const KQelNode* node = this; node; node = node->GetParent()) {
        if (node == pNode)
            return true;
    }
    return false;
}

bool KQelNode::AddChild(KQelNode* pChild)
{
    if (!pChild || IsSelfOrAncestor(pChild))
        return false;
    if (KQelNode* parent = pChild->GetParent())
        parent->RemoveChild(pChild);
    return mProperties->ConnectSrc(pChild->mProperties);
}

KQelNode* KQelNode::RemoveChild(KQelNode* pChild)
{
    if (pChild)
        mProperties->DisconnectSrc(pChild->mProperties);
    return pChild;
}

int KQelNode::GetChildCount(bool pRecursive) const
{
    if (!pRecursive)
        return mProperties->GetNodeView()->GetSrcCount();
    int count = -1;  // the walk visits this node too
    KQelWalkTree(const_cast<KQelNode*>(this), [&count](KQelNode*) {
        ++count;
        return eQelWalkDescend;
    });
    return count;
}

KQelNode* KQelNode::GetChild(int pIndex) const
{
    return pIndex < 0 ? nullptr : NodeOf(mProperties->GetNodeView()->GetSrc(pIndex));
}

KQelNode* KQelNode::FindChild(const char* pName, bool pRecursive, bool pInitialName)
{
    if (!pName)
        return nullptr;
    const KString name = KQelSdkManager::PrefixName("Model::", pName);
    KQelNode* found = nullptr;
    KQelWalkTree(this, [&](KQelNode* pNode) {
        if (pNode == this)
            return eQelWalkDescend;
        if (name == (pInitialName ? pNode->GetInitialName() : pNode->GetName())) {
            found = pNode;
            return eQelWalkStop;
        }
        return pRecursive ? eQelWalkDescend : eQelWalkSkipChildren;
    });
    return found;
}

// ---- Targets ----

KQelNode* KQelNode::FirstSourceOf(KProperty& pList) const
{
    return NodeOf(pList.GetSrc(0));
}

void KQelNode::ConnectTarget(KProperty& pList, KQelNode* pTarget)
{
    if (pTarget && !pList.IsConnectedSrc(pTarget->mProperties))
        pList.ConnectSrc(pTarget->mProperties);
}

void KQelNode::SetTarget(KQelNode* pTarget)
{
    if (KProperty* list = mProperties->FindPropertyByName("LookAtProperty"))
        ConnectTarget(*list, pTarget);
}

KQelNode* KQelNode::GetTarget() const
{
    KProperty* list = mProperties->FindPropertyByName("LookAtProperty");
    return list ? FirstSourceOf(*list) : nullptr;
}

void KQelNode::SetTargetUp(KQelNode* pTarget)
{
    if (KProperty* list = mProperties->FindPropertyByName("UpVectorProperty"))
        ConnectTarget(*list, pTarget);
}

KQelNode* KQelNode::GetTargetUp() const
{
    KProperty* list = mProperties->FindPropertyByName("UpVectorProperty");
    return list ? FirstSourceOf(*list) : nullptr;
}

// ---- Attribute ----

KQelNodeAttribute* KQelNode::SetNodeAttribute(KQelNodeAttribute* pAttribute)
{
    if (pAttribute == mAttribute)
        return nullptr;
    KQelNodeAttribute* former = mAttribute;
    mAttribute = pAttribute;
    if (former)
        former->UnsetNode();
    if (pAttribute) {
        KQelNode* holder = pAttribute->GetNode();
        if (holder && holder != this) {
            if (holder->mAttribute == pAttribute)
                holder->SetNodeAttribute(nullptr);
            else
                pAttribute->UnsetNode();
        }
        pAttribute->SetNode(*this);
    }
    mMultiLayer = false;
    mMultiTakeMode = eMultiTakeOn;
    if (mAttribute) {
        switch (mAttribute->GetAttributeType()) {
        case KQelNodeAttribute::eMarker: {
            const int markerType = KQelMarkerTypeOf(*mAttribute);
            mMultiLayer = markerType == 2 || markerType == 3;
            if (markerType == 1)
                mMultiTakeMode = eMultiTakeOff;
            break;
        }
        case KQelNodeAttribute::eCamera:
        case KQelNodeAttribute::eLight:
            mMultiTakeMode = eMultiTakeOff;
            break;
        default:
            break;
        }
    }
    return former;
}

KQelNodeAttribute* KQelNode::AttributeOfType(KQelNodeAttribute::EAttributeType pType) const
{
    return mAttribute && mAttribute->GetAttributeType() == pType ? mAttribute : nullptr;
}

// ---- Display ----

void KQelNode::SetVisibility(bool pVisible)
{
    mProperties->Show.Set(pVisible);
    if (KProperty* visibility = mProperties->FindPropertyByName("Visibility"))
        visibility->SetDouble(pVisible ? 1.0 : 0.0);
}

bool KQelNode::GetVisibility()
{
    KProperty* visibility = mProperties->FindPropertyByName("Visibility");
    return visibility && visibility->AsDouble() != 0.0;
}

void KQelNode::SetSelected(bool pSelected, bool pRecursive)
{
    if (!pRecursive) {
        mSelected = pSelected;
        return;
    }
    KQelWalkTree(this, [pSelected](KQelNode* pNode) {
        pNode->mSelected = pSelected;
        return eQelWalkDescend;
    });
}

bool KQelNode::GetSelected(bool pRecursive) const
{
    if (!pRecursive || mSelected)
        return mSelected;
    bool selected = false;
    KQelWalkTree(const_cast<KQelNode*>(this), [&selected](KQelNode* pNode) {
        selected = pNode->mSelected;
        return selected ? eQelWalkStop : eQelWalkDescend;
    });
    return selected;
}

// ---- Character links ----

int KQelNode::AddCharacterLink(KQelCharacter* pCharacter, int pKind, int pIndex, int pSubIndex)
{
    return mCharacterLinks.Add(KQelLinkToCharacter{pCharacter, pKind, pIndex, pSubIndex});
}

int KQelNode::FindCharacterLink(KQelCharacter* pCharacter, int pKind, int pIndex, int pSubIndex) const
{
    if (!pCharacter)
        return -1;
    const KQelLinkToCharacter link{pCharacter, pKind, pIndex, pSubIndex};
    for (int i = 0; i < mCharacterLinks.GetCount(); ++i) {
        if (mCharacterLinks[i] == link)
            return i;
    }
    return -1;
}

int KQelNode::RemoveCharacterLink(KQelCharacter* pCharacter, int pKind, int pIndex, int pSubIndex)
{
    const int index = FindCharacterLink(pCharacter, pKind, pIndex, pSubIndex);
    if (index >= 0)
        mCharacterLinks.RemoveAt(index);
    return index;
}

bool KQelNode::GetCharacterLink(int pPosition, KQelCharacter** pCharacter, int* pKind, int* pIndex,
                                int* pSubIndex) const
{
    if (pPosition < 0 || pPosition >= mCharacterLinks.GetCount() || !pCharacter || !pKind || !pIndex ||
        !pSubIndex)
        return false;
    const KQelLinkToCharacter& link = mCharacterLinks[pPosition];
    *pCharacter = link.mCharacter;
    *pKind = link.mKind;
    *pIndex = link.mIndex;
    *pSubIndex = link.mSubIndex;
    return true;
}

// ---- Child names ----

void KQelNode::AddChildName(const char* pName)
{
    mChildNames.Add(new KString(pName ? pName : ""));
}

const char* KQelNode::GetChildName(unsigned int pIndex) const
{
    if (pIndex >= static_cast<unsigned int>(mChildNames.GetCount()))
        return nullptr;
    return mChildNames[static_cast<int>(pIndex)]->Buffer();
}

// ---- Takes ----

bool KQelNode::SetCurrentTakeNode(int pIndex)
{
    ResetTakeCaches();
    return KQelTakeNodeContainer::SetCurrentTakeNode(pIndex);
}

bool KQelNode::SetCurrentTakeNode(const char* pName)
{
    ResetTakeCaches();
    return KQelTakeNodeContainer::SetCurrentTakeNode(pName);
}

bool KQelNode::GetAnimationIntervalRecursive(KTime& pStart, KTime& pStop)
{
    bool any = false;
    KQelWalkTree(this, [&](KQelNode* pNode) {
        any = pNode->KQelTakeNodeContainer::GetAnimationInterval(pStart, pStop) || any;
        return eQelWalkDescend;
    });
    return any;
}

bool KQelNode::GetAnimationInterval(KTime& pStart, KTime& pStop)
{
    KTime start = KTIME_INFINITE;
    KTime stop = KTIME_MINUS_INFINITE;
    if (!GetAnimationIntervalRecursive(start, stop))
        return false;
    if (start < pStart)
        pStart = start;
    if (stop > pStop)
        pStop = stop;
    return true;
}

void KQelNode::AddChannels(KQelTakeNode* pTakeNode)
{
    KFCurveNode* root = pTakeNode ? pTakeNode->GetKFCurveNode() : nullptr;
    if (!root)
        return;
    const bool isDefault = KString(pTakeNode->GetName()).CompareNoCase("Default") == 0;

    KFCurveNode* transform = KFCurveNodeCreate("Transform", nullptr, 0, 0);
    for (const TransformChannel& channel : kTransformChannels) {
        KProperty* property = mProperties->FindPropertyByName(channel.mProperty);
        double values[kQelMaxValueMembers] = {channel.mStart, channel.mStart, channel.mStart, 0.0};
        if (property && !KQelReadDoubles(property, values))
            values[0] = values[1] = values[2] = channel.mStart;
        KFCurveNode* group = KFCurveNodeCreate(channel.mNode, *channel.mDataType, channel.mLayerType, 0);
        for (int i = 0; i < 3; ++i) {
            KFCurve* curve = nullptr;
            group->Add(CurveChannel(kComponentNames[i], nullptr, 0, values[i], kComponentColors[i], curve));
            if (isDefault)
                RegisterDefaultTakeCallback(property, i, curve);
        }
        transform->Add(group);
    }

    KProperty* visibilityProperty = mProperties->FindPropertyByName("Visibility");
    KFCurve* curve = nullptr;
    KFCurveNode* visibility =
        CurveChannel("Visibility", KDataTypeVisibility::DataType, 1,
                     visibilityProperty ? visibilityProperty->AsDouble() : 1.0, kVisibilityColor, curve);
    if (isDefault)
        RegisterDefaultTakeCallback(visibilityProperty, 0, curve);

    root->Add(transform);
    root->Add(visibility);

    for (int i = 0; i < mProperties->GetPropertyCount(); ++i) {
        KProperty* property = mProperties->GetProperty(i);
        if (property->IsAnimatable() && !IsOwnChannel(property->GetPropertyName()))
            CreateChannelsForProperty(property, pTakeNode);
    }
    // The tree owed is the one the constructor's Init left, before any
    // attribute: an attribute set since adds its channels itself.
    if (mAttribute && !IsBuildingDeferredTake())
        mAttribute->AddChannels(pTakeNode);
}

// ---- Assignment ----

void KQelNode::CopyAttribute(KQelNode& pOther)
{
    KQelSdkManager& manager = GetKQelSdkManager();
    KQelNodeAttribute* from = pOther.mAttribute;
    if (!from || !IsCopiedKind(from->GetAttributeType())) {
        if (KQelNodeAttribute* former = SetNodeAttribute(nullptr))
            manager.DestroyKQelNodeAttribute(former);
        return;
    }
    if (!mAttribute || mAttribute->GetAttributeType() != from->GetAttributeType()) {
        KQelNodeAttribute* made = KQelCreateAttribute(manager, from->GetAttributeType());
        // A kind the manager cannot make leaves the node's attribute as it is.
        if (!made)
            return;
        if (KQelNodeAttribute* former = SetNodeAttribute(made))
            manager.DestroyKQelNodeAttribute(former);
    }
    KQelAssignAttribute(*mAttribute, *from);
}

KQelNode& KQelNode::operator=(KQelNode& pOther)
{
    if (this == &pOther)
        return *this;
    SetTarget(pOther.GetTarget());
    mPostTargetRotation = pOther.mPostTargetRotation;
    mTargetUpVector = pOther.mTargetUpVector;
    CopyAttribute(pOther);
    SetVisibility(pOther.GetVisibility());
    mShadingMode = pOther.mShadingMode;
    mMultiLayer = pOther.mMultiLayer;
    mMultiTakeMode = pOther.mMultiTakeMode;
    for (EPivotSet set : {eSourcePivot, eDestinationPivot}) {
        KQelPivot& to = mProperties->GetPivot(set);
        const KQelPivot& from = pOther.ReadPivot(set);
        to.mRotationOffset = from.mRotationOffset;
        to.mRotationPivot = from.mRotationPivot;
        to.mRotationPivotUpdateOffset = from.mRotationPivotUpdateOffset;
        to.mPreRotation = from.mPreRotation;
        to.mPostRotation = from.mPostRotation;
        to.mScalingPivot = from.mScalingPivot;
        to.mScalingPivotUpdateOffset = from.mScalingPivotUpdateOffset;
    }
    ResetTakeCaches();
    if (mCaches) {
        mCaches->mLocal.Reset();
        mCaches->mGlobal.Reset();
    }
    const KQelNodeLimits& limits = pOther.ReadLimits();
    KQelNodeLimits& own = GetLimits();
    own.mTranslationLimits = limits.mTranslationLimits;
    own.mRotationLimits = limits.mRotationLimits;
    own.mScalingLimits = limits.mScalingLimits;
    own.SetTranslationLimitActive(limits.GetTranslationLimitActive());
    own.SetRotationLimitActive(limits.GetRotationLimitActive());
    own.SetScalingLimitActive(limits.GetScalingLimitActive());
    mCullingType = pOther.mCullingType;
    KQelTakeNodeContainer::operator=(pOther);
    return *this;
}

}  // namespace qelsdk_600
