#include "scene/kqeltakenodecontainer.h"

#include <cstring>

#include "object/kobject.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelpropertyvalue_impl.h"

namespace qelsdk_600 {

namespace {

const char* const kIndexOutOfRange = "Index out of range";
const char* const kUnknownTakeNodeName = "Unknown take node name";
const char* const kTakeNodeDoesNotExist = "Take node does not exist";
const char* const kCannotRemoveDefault = "Cannot remove default take node";
const char* const kTakeNodeAlreadyExists = "Take node already exists";

}  // namespace

KQelTakeNodeContainer::KQelTakeNodeContainer(KQelSdkManager& pManager, const char* pName, KError* pError)
    : KQelObject(pManager, pName),
      mTakeNodes(4),
      mCallbacks(16),
      mCurrentTakeNode(-1),
      mDeferDefaultTake(false),
      mBuildingDeferredTake(false),
      mDeferredPublished(0),
      mDeferredUpdates(0),
      mError(pError)
{
}

KQelTakeNodeContainer::~KQelTakeNodeContainer()
{
    DiscardDeferredTake();
    DestroyTakeNodes();
    mCurrentTakeNode = -1;
    DropDefaultTakeCallbacks();
}

void KQelTakeNodeContainer::SetError(const char* pText)
{
    if (mError)
        mError->SetLastError(0, pText);
}

void KQelTakeNodeContainer::FillPropertyList(void* pList)
{
    KQelAppendProperties(GetPropertyHandler(), pList);
}

// ---- Take nodes ----

void KQelTakeNodeContainer::DiscardDeferredTake()
{
    KQelTakeNode* first = GetDefaultTakeNode();
    if (!first || !first->mBuilder)
        return;
    first->mBuilder = nullptr;
    mDeferredPublished = 0;
    mDeferredUpdates = 0;
    if (KQelPropertyHandler* handler = GetPropertyHandler())
        handler->Unwatch();
}

void KQelTakeNodeContainer::BuildDeferredTake(KQelTakeNode* pTakeNode)
{
    KQelPropertyHandler* handler = GetPropertyHandler();
    if (handler)
        handler->Unwatch();
    mBuildingDeferredTake = true;
    AddChannels(pTakeNode);
    mBuildingDeferredTake = false;
    // Then what publishing did to the tree, in publishing order, and the
    // updates from the properties since.
    const int published = mDeferredPublished;
    const int updates = mDeferredUpdates;
    mDeferredPublished = 0;
    mDeferredUpdates = 0;
    for (int i = 0; handler && i < published; ++i) {
        KProperty* property = handler->GetProperty(i);
        if (!property->IsAnimatable())
            continue;
        KQelUserProperty bound(GetKQelSdkManager(), property);
        AddPropertyChannels(&bound, property);
    }
    for (int update = 0; handler && update < updates; ++update) {
        for (int i = 0; i < handler->GetPropertyCount(); ++i)
            UpdateDefaultValuesByName(pTakeNode->GetKFCurveNode(), handler->GetProperty(i));
    }
}

void KQelTakeNodeContainer::DestroyTakeNodes()
{
    DiscardDeferredTake();
    for (int i = mTakeNodes.GetCount() - 1; i >= 0; --i) {
        KQelTakeNode* take = mTakeNodes.GetAt(i);
        mTakeNodes.RemoveAt(i);
        delete take;
    }
    mTakeNodes.Clear();
}

int KQelTakeNodeContainer::FindTakeNode(const char* pName) const
{
    if (!pName)
        return -1;
    for (int i = 0; i < mTakeNodes.GetCount(); ++i) {
        if (std::strcmp(mTakeNodes[i]->GetName(), pName) == 0)
            return i;
    }
    return -1;
}

void KQelTakeNodeContainer::Init()
{
    CreateTakeNode("Default");
    mCurrentTakeNode = 0;
}

void KQelTakeNodeContainer::Reset()
{
    DestroyTakeNodes();
    Init();
}

KQelTakeNode* KQelTakeNodeContainer::CreateTakeNode(const char* pName)
{
    if (!pName)
        pName = "";
    if (FindTakeNode(pName) >= 0) {
        SetError(kTakeNodeAlreadyExists);
        return nullptr;
    }
    KQelTakeNode* take;
    if (mTakeNodes.GetCount() > 0) {
        take = new KQelTakeNode(*mTakeNodes[0]);
        take->SetName(pName);
    } else if (mDeferDefaultTake && GetPropertyHandler()) {
        take = new KQelTakeNode(pName, this);
        GetPropertyHandler()->Watch();
    } else {
        take = new KQelTakeNode(pName);
        AddChannels(take);
    }
    mTakeNodes.Add(take);
    return take;
}

void KQelTakeNodeContainer::RemoveTakeNodeAt(int pIndex)
{
    // Removing the current take makes the one before it current; a take
    // before the current one moves it down by one.
    if (mCurrentTakeNode >= pIndex)
        --mCurrentTakeNode;
    KQelTakeNode* take = mTakeNodes.GetAt(pIndex);
    mTakeNodes.RemoveAt(pIndex);
    delete take;
}

bool KQelTakeNodeContainer::RemoveTakeNode(int pIndex)
{
    if (pIndex == 0) {
        SetError(kCannotRemoveDefault);
        return false;
    }
    if (pIndex < 0 || pIndex >= mTakeNodes.GetCount()) {
        SetError(kIndexOutOfRange);
        return false;
    }
    RemoveTakeNodeAt(pIndex);
    return true;
}

bool KQelTakeNodeContainer::RemoveTakeNode(const char* pName)
{
    const int index = FindTakeNode(pName);
    if (index < 0) {
        SetError(kUnknownTakeNodeName);
        return false;
    }
    if (index == 0) {
        SetError(kCannotRemoveDefault);
        return false;
    }
    RemoveTakeNodeAt(index);
    return true;
}

bool KQelTakeNodeContainer::SetCurrentTakeNode(int pIndex)
{
    if (pIndex < 0 || pIndex >= mTakeNodes.GetCount()) {
        SetError(kIndexOutOfRange);
        mCurrentTakeNode = 0;
        return false;
    }
    mCurrentTakeNode = pIndex;
    return true;
}

bool KQelTakeNodeContainer::SetCurrentTakeNode(const char* pName)
{
    const int index = FindTakeNode(pName);
    if (index < 0) {
        SetError(kUnknownTakeNodeName);
        mCurrentTakeNode = 0;
        return false;
    }
    mCurrentTakeNode = index;
    return true;
}

KQelTakeNode* KQelTakeNodeContainer::GetDefaultTakeNode() const
{
    return mTakeNodes.GetCount() > 0 ? mTakeNodes[0] : nullptr;
}

KQelTakeNode* KQelTakeNodeContainer::GetTakeNode(int pIndex)
{
    if (pIndex < 0 || pIndex >= mTakeNodes.GetCount()) {
        SetError(kTakeNodeDoesNotExist);
        return nullptr;
    }
    return mTakeNodes[pIndex];
}

const char* KQelTakeNodeContainer::GetTakeNodeName(int pIndex)
{
    KQelTakeNode* take = GetTakeNode(pIndex);
    return take ? take->GetName() : nullptr;
}

KQelTakeNode* KQelTakeNodeContainer::GetCurrentTakeNode()
{
    return GetTakeNode(mCurrentTakeNode);
}

const char* KQelTakeNodeContainer::GetCurrentTakeNodeName()
{
    return GetTakeNodeName(mCurrentTakeNode);
}

bool KQelTakeNodeContainer::GetAnimationInterval(KTime& pStart, KTime& pStop)
{
    if (mCurrentTakeNode < 0 || mCurrentTakeNode >= mTakeNodes.GetCount())
        return false;
    KTime start = KTIME_INFINITE;
    KTime stop = KTIME_MINUS_INFINITE;
    if (!mTakeNodes[mCurrentTakeNode]->GetAnimationInterval(start, stop))
        return false;
    if (start < pStart)
        pStart = start;
    if (stop > pStop)
        pStop = stop;
    return true;
}

template <class Component>
bool KQelTakeNodeContainer::AnyTakeAnimated(const char* pGroup, const char* pChannel, Component pComponent) const
{
    for (int i = 1; i < mTakeNodes.GetCount(); ++i) {
        if (mTakeNodes[i]->IsChannelAnimated(pGroup, pChannel, pComponent))
            return true;
    }
    return false;
}

bool KQelTakeNodeContainer::IsChannelAnimated(const char* pGroup, const char* pChannel, const char* pComponent)
{
    return AnyTakeAnimated(pGroup, pChannel, pComponent);
}

bool KQelTakeNodeContainer::IsChannelAnimated(const char* pGroup, const char* pChannel, KDataType* pComponent)
{
    return AnyTakeAnimated(pGroup, pChannel, pComponent);
}

KQelTakeNodeContainer& KQelTakeNodeContainer::operator=(KQelTakeNodeContainer& pOther)
{
    if (this == &pOther)
        return *this;
    KQelObject::operator=(pOther);
    DestroyTakeNodes();
    for (int i = 0; i < pOther.mTakeNodes.GetCount(); ++i)
        mTakeNodes.Add(new KQelTakeNode(*pOther.mTakeNodes[i]));
    mCurrentTakeNode = pOther.mCurrentTakeNode;
    return *this;
}

}  // namespace qelsdk_600
