// Curve node construction, names, tree operations, flags and the layer chain.
#include <strings.h>

#include <cstring>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurvenode_impl.h"
#include "object/kdatatype.h"
#include "object/kproperty.h"

namespace qelsdk_600 {

namespace {

const char* Safe(const char* text) { return text ? text : ""; }

KFCurveNode::NameInfo* NewNameInfo(const char* name, const char* timeWarpName, KDataType* dataType)
{
    KFCurveNode::NameInfo* info = new KFCurveNode::NameInfo;
    info->mName = Safe(name);
    info->mTimeWarpName = Safe(timeWarpName);
    info->mDataType = dataType;
    info->mProperty = nullptr;
    info->mReferenceCount = 1;
    return info;
}

}  // namespace

// ---- Construction ----

void KFCurveNode::Init(int layerID)
{
    mUseQuaternion = false;
    mNameInfo = nullptr;
    mFlags = 0x60u;
    mReferenceCount = 0;
    mFCurve = nullptr;
    mTimeWarp = nullptr;
    mLayer = nullptr;
    mObjectLayer = this;
    mTemplate = nullptr;
    mDataNode = nullptr;
    mParent = nullptr;
    mLayerType = 0;
    mLayerID = layerID;
    mNodeUpdateId = 0;
    mRotationOrder = 0;
    mSpecificCandidateMethod = 1;
    mTotalCandidateMethod = 1;
    for (double& value : mCandidateTotalValue)
        value = 0.0;
    mCandidateTotalTime = KTIME_INFINITE;
    mCallback = nullptr;
    mUserLock = 0;
    mNoColor[0] = mNoColor[1] = mNoColor[2] = 0.0f;
}

KFCurveNode::KFCurveNode(const char* name, const char* timeWarpName, KDataType* dataType, int layerType,
                         int layerID)
    : mChildren(16)
{
    Init(layerID);
    mNameInfo = NewNameInfo(name, timeWarpName, dataType);
    SetLayerType(layerType, nullptr);
}

KFCurveNode::KFCurveNode(KFCurveNode* templateNode) : mChildren(16)
{
    Init(0);
    if (!templateNode) {
        mNameInfo = NewNameInfo("", "", nullptr);
        return;
    }
    mNameInfo = templateNode->mNameInfo;
    ++mNameInfo->mReferenceCount;
    mTemplate = templateNode;
    SetLayerType(templateNode->mLayerType, nullptr);
    mUseQuaternion = templateNode->mUseQuaternion;
    mRotationOrder = templateNode->mRotationOrder;
    mSpecificCandidateMethod = templateNode->mSpecificCandidateMethod;
    mTotalCandidateMethod = templateNode->mTotalCandidateMethod;
    for (int i = 0; i < 4; ++i)
        mCandidateTotalValue[i] = templateNode->mCandidateTotalValue[i];
    mCandidateTotalTime = templateNode->mCandidateTotalTime;
}

KFCurveNode::~KFCurveNode()
{
    CallbackAddEvent(kFCurveNodeEventDestroyed);
    CallbackFree();
    Clear();
    if (mParent) {
        const int index = mParent->mChildren.Find(this);
        if (index >= 0)
            mParent->mChildren.RemoveAt(index);
    }
    ReleaseNameInfo();
}

void KFCurveNode::Destroy(int /*local*/) { delete this; }

void KFCurveNode::Release(KFCurveNode* node)
{
    if (node && --node->mReferenceCount <= 0)
        delete node;
}

void KFCurveNode::ReleaseNameInfo()
{
    if (mNameInfo && --mNameInfo->mReferenceCount <= 0)
        delete mNameInfo;
    mNameInfo = nullptr;
}

KFCurveNode* KFCurveNodeCreate(const char* name, const char* timeWarpName, const char* dataTypeName, int layerType,
                               int layerID)
{
    KDataType* dataType = dataTypeName ? KDataTypeGet(dataTypeName) : nullptr;
    return new KFCurveNode(name, timeWarpName, dataType, layerType, layerID);
}

KFCurveNode* KFCurveNodeCreate(const char* name, KDataType* dataType, int layerType, int layerID)
{
    const char* timeWarpName = dataType == KDataTypeTimeWarp::DataType ? "" : name;
    return new KFCurveNode(name, timeWarpName, dataType, layerType, layerID);
}

KFCurveNode* KFCurveNodeCreate(KFCurveNode* templateNode)
{
    return templateNode ? new KFCurveNode(templateNode) : nullptr;
}

KFCurveNode* FCurveNodeCreateFromDataType(KDataType* dataType, const char* name)
{
    int layerType = kFCurveNodeLayerAdditive;
    if (dataType == KDataTypeLclRotation::DataType || dataType == KDataTypeMatrixRotation::DataType)
        layerType = kFCurveNodeLayerEulerRotation;
    else if (dataType == KDataTypeScaling::DataType || dataType == KDataTypeLclScaling::DataType ||
             dataType == KDataTypeMatrixScaling::DataType || dataType == KDataTypeScalingUV::DataType)
        layerType = kFCurveNodeLayerMultiplicative;
    KFCurveNode* node = KFCurveNodeCreate(name, dataType, layerType, 0);
    const int members = dataType ? dataType->GetMemberCount() : 0;
    if (members >= 2) {
        static const char* const kMemberNames[3] = {"X", "Y", "Z"};
        for (int i = 0; i < members && i < 21; ++i)
            node->Add(KFCurveNodeCreate(i < 3 ? kMemberNames[i] : " ", static_cast<KDataType*>(nullptr), 0, 0));
    }
    return node;
}

// ---- Names ----

const char* KFCurveNode::GetName() const
{
    if (mNameInfo->mProperty)
        return Safe(mNameInfo->mProperty->GetPropertyName());
    return mNameInfo->mName.Buffer();
}

const char* KFCurveNode::GetTimeWarpName() const { return mNameInfo->mTimeWarpName.Buffer(); }

void KFCurveNode::SetTimeWarpName(const char* name) { mNameInfo->mTimeWarpName = Safe(name); }

const char* KFCurveNode::GetTypeName() const
{
    return mNameInfo->mDataType ? mNameInfo->mDataType->GetName() : "";
}

KDataType* KFCurveNode::GetDataType() const { return mNameInfo->mDataType; }

KProperty* KFCurveNode::GetProperty() const { return mNameInfo->mProperty; }

void KFCurveNode::SetProperty(KProperty* property) { mNameInfo->mProperty = property; }

void KFCurveNode::SetNameInfo(NameInfo* nameInfo)
{
    if (nameInfo == mNameInfo)
        return;
    // A node always keeps a record: letting go of the last one leaves an
    // empty name rather than a dangling pointer.
    if (nameInfo)
        ++nameInfo->mReferenceCount;
    ReleaseNameInfo();
    mNameInfo = nameInfo ? nameInfo : NewNameInfo("", "", nullptr);
}

// ---- Tree ----

void KFCurveNode::Clear()
{
    const bool container = GetContainerType() != 0;
    for (int i = mChildren.GetCount() - 1; i >= 0; --i) {
        KFCurveNode* child = mChildren.GetAt(i);
        mChildren.RemoveAt(i);
        if (container)
            continue;
        if (child->mParent == this)
            child->mParent = nullptr;
        child->Destroy();
    }
    mChildren.Clear();
    if (mFCurve) {
        mFCurve->Destroy();
        mFCurve = nullptr;
    }
    KFCurveNode* layer = mLayer;
    mLayer = nullptr;
    Release(layer);
    mObjectLayer = this;
    KFCurveNode* timeWarp = mTimeWarp;
    mTimeWarp = nullptr;
    Release(timeWarp);
}

int KFCurveNode::Add(KFCurveNode* child)
{
    if (!child)
        return -1;
    if (!GetContainerType())
        child->SetParent(this);
    return mChildren.Add(child);
}

int KFCurveNode::SortedAdd(KFCurveNode* child)
{
    if (!child)
        return -1;
    int index = 0;
    const int count = GetCount();
    while (index < count && strcasecmp(Get(index)->GetName(), child->GetName()) < 0)
        ++index;
    return mChildren.InsertAt(index, child);
}

void KFCurveNode::Remove(int index)
{
    if (index < 0 || index >= mChildren.GetCount())
        return;
    KFCurveNode* child = mChildren.GetAt(index);
    if (!GetContainerType() && child->mParent == this)
        child->mParent = nullptr;
    mChildren.RemoveAt(index);
}

void KFCurveNode::Delete(int index)
{
    KFCurveNode* child = Get(index);
    if (!child)
        return;
    Remove(index);
    child->Destroy();
}

void KFCurveNode::Delete(KFCurveNode* child)
{
    if (!child)
        return;
    const int index = Find(child);
    if (!GetContainerType() && child->mParent == this)
        child->mParent = nullptr;
    if (index >= 0)
        mChildren.RemoveAt(index);
    child->Destroy();
}

int KFCurveNode::GetCount() const { return mChildren.GetCount(); }

KFCurveNode* KFCurveNode::Get(int index) const
{
    if (index < 0 || index >= mChildren.GetCount())
        return nullptr;
    return mChildren.GetAt(index);
}

bool KFCurveNode::IsChild(KFCurveNode* node, bool recursive) const
{
    for (int i = 0, n = GetCount(); i < n; ++i) {
        KFCurveNode* child = Get(i);
        if (child == node || (recursive && child->IsChild(node, true)))
            return true;
    }
    return false;
}

int KFCurveNode::Find(const char* name) const
{
    if (!name)
        return -1;
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (strcasecmp(Get(i)->GetName(), name) == 0)
            return i;
    return -1;
}

int KFCurveNode::Find(KFCurveNode* node) const { return mChildren.Find(node); }

void KFCurveNode::SetParent(KFCurveNode* parent) { mParent = parent; }

KFCurveNode* KFCurveNode::GetParent() const { return mParent; }

KFCurveNode* KFCurveNode::Find(KDataType* dataType) const
{
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (Get(i)->GetDataType() == dataType)
            return Get(i);
    return nullptr;
}

KFCurveNode* KFCurveNode::FindSegment(const char* segment, int length) const
{
    KDataType* shortType = nullptr;
    if (length == 1 && segment[0] == 'T')
        shortType = KDataTypeLclTranslation::DataType;
    else if (length == 1 && segment[0] == 'R')
        shortType = KDataTypeLclRotation::DataType;
    else if (length == 1 && segment[0] == 'S')
        shortType = KDataTypeLclScaling::DataType;
    for (int i = 0, n = GetCount(); i < n; ++i) {
        KFCurveNode* child = Get(i);
        const char* name = child->GetName();
        const bool nameMatches = strncasecmp(name, segment, static_cast<std::size_t>(length)) == 0 &&
                                 name[length] == '\0';
        if (nameMatches || (shortType && child->GetDataType() == shortType))
            return child;
        if (KFCurveNode* deeper = child->FindSegment(segment, length))
            return deeper;
    }
    return nullptr;
}

KFCurveNode* KFCurveNode::FindRecursive(const char* path) const
{
    if (!path)
        return nullptr;
    const KFCurveNode* node = this;
    for (;;) {
        const char* slash = std::strchr(path, '/');
        const int length = slash ? static_cast<int>(slash - path) : static_cast<int>(std::strlen(path));
        KFCurveNode* found = node->FindSegment(path, length);
        if (!found || !slash)
            return found;
        node = found;
        path = slash + 1;
    }
}

KFCurveNode* KFCurveNode::FindRecursive(KDataType* dataType) const
{
    for (int i = 0, n = GetCount(); i < n; ++i) {
        KFCurveNode* child = Get(i);
        if (child->GetDataType() == dataType)
            return child;
        if (KFCurveNode* deeper = child->FindRecursive(dataType))
            return deeper;
    }
    return nullptr;
}

KFCurveNode* KFCurveNode::FindOrCreate(const char* name, bool withCurve)
{
    const int index = Find(name);
    KFCurveNode* child = index >= 0 ? Get(index) : nullptr;
    if (!child) {
        child = new KFCurveNode(name, name, nullptr, 0, 0);
        Add(child);
    }
    if (withCurve && !child->mFCurve)
        child->FCurveSet(KFCurveCreate(), false);
    return child;
}

KFCurveNode* KFCurveNode::Clone(bool useTemplate) { return CloneTemplate(useTemplate, true, false, -1); }

KFCurveNode* KFCurveNode::CloneTemplate(bool useTemplate, bool withKeys, bool withEmptyCurve, int layerID)
{
    KFCurveNode* clone;
    if (useTemplate) {
        clone = new KFCurveNode(this);
    } else {
        if (layerID == -1)
            layerID = mLayerID;
        clone = new KFCurveNode(mNameInfo->mName.Buffer(), mNameInfo->mTimeWarpName.Buffer(), mNameInfo->mDataType,
                                mLayerType, layerID);
        clone->mUserLock = mUserLock;
        clone->mUseQuaternion = mUseQuaternion;
        clone->mRotationOrder = mRotationOrder;
        if (mFlags & 0x2u)
            clone->mFlags |= 0x2u;
        if (layerID != 0)
            clone->mObjectLayer = mObjectLayer;
    }
    if (mFCurve) {
        if (withKeys) {
            clone->mFCurve = KFCurveCreate();
            clone->mFCurve->CopyFrom(*mFCurve, true);
        } else if (withEmptyCurve) {
            clone->mFCurve = KFCurveCreate();
        }
    }
    for (int i = 0, n = GetCount(); i < n; ++i)
        clone->Add(Get(i)->CloneTemplate(useTemplate, withKeys, withEmptyCurve, layerID));
    return clone;
}

void KFCurveNode::CreateFCurve()
{
    const int count = GetCount();
    if (count > 0) {
        for (int i = 0; i < count; ++i)
            Get(i)->CreateFCurve();
    } else if (!mFCurve) {
        FCurveSet(KFCurveCreate(), false);
    }
}

bool KFCurveNode::FCurveCreated() const
{
    const int count = GetCount();
    if (count == 0)
        return mFCurve != nullptr;
    for (int i = 0; i < count; ++i)
        if (!Get(i)->FCurveCreated())
            return false;
    return true;
}

KFCurve* KFCurveNode::FCurveSet(KFCurve* curve, bool destroyOldCurve)
{
    if (curve == mFCurve)
        return nullptr;
    KFCurve* old = mFCurve;
    if (old && destroyOldCurve) {
        old->Destroy();
        old = nullptr;
    }
    mFCurve = curve;
    CallbackAddEvent(kFCurveNodeEventCurveSet);
    return old;
}

bool KFCurveNode::SetPreExtrapolation(kUInt type, bool respectUserLock)
{
    if (!mFCurve || (respectUserLock && IsUserLocked()))
        return false;
    mFCurve->SetPreExtrapolation(type);
    return true;
}

bool KFCurveNode::SetPreExtrapolationCount(kUInt count, bool respectUserLock)
{
    if (!mFCurve || (respectUserLock && IsUserLocked()))
        return false;
    mFCurve->SetPreExtrapolationCount(count);
    return true;
}

bool KFCurveNode::SetPostExtrapolation(kUInt type, bool respectUserLock)
{
    if (!mFCurve || (respectUserLock && IsUserLocked()))
        return false;
    mFCurve->SetPostExtrapolation(type);
    return true;
}

bool KFCurveNode::SetPostExtrapolationCount(kUInt count, bool respectUserLock)
{
    if (!mFCurve || (respectUserLock && IsUserLocked()))
        return false;
    mFCurve->SetPostExtrapolationCount(count);
    return true;
}

bool KFCurveNode::GetTransformCurves(KFCurve** t, KFCurve** r, KFCurve** s) const
{
    struct Channel {
        const char* path;
        KDataType* dataType;
        KFCurve** out;
    };
    const Channel channels[3] = {{"T", KDataTypeLclTranslation::DataType, t},
                                 {"R", KDataTypeLclRotation::DataType, r},
                                 {"S", KDataTypeLclScaling::DataType, s}};
    static const char* const kAxes[3] = {"X", "Y", "Z"};
    for (const Channel& channel : channels) {
        KFCurveNode* node = FindRecursive(channel.path);
        if (!node)
            node = FindRecursive(channel.dataType);
        if (!node || !channel.out)
            return false;
        for (int axis = 0; axis < 3; ++axis) {
            KFCurveNode* leaf = node->FindRecursive(kAxes[axis]);
            if (!leaf || !leaf->mFCurve)
                return false;
            channel.out[axis] = leaf->mFCurve;
        }
    }
    return true;
}

// ---- Flags ----

void KFCurveNode::SetMultiLayer(bool multiLayer)
{
    SetFlagBits(0x40u, multiLayer ? 0x40u : 0u);
    for (int i = 0, n = GetCount(); i < n; ++i)
        Get(i)->SetMultiLayer(multiLayer);
}

void KFCurveNode::SetVisibility(bool visible, bool recursive, bool withLayers, int childIndex)
{
    if (withLayers && mLayer)
        mLayer->SetVisibility(visible, recursive, true, childIndex);
    if (childIndex != -1) {
        if (KFCurveNode* child = Get(childIndex))
            child->SetVisibility(visible, recursive, withLayers, -1);
    } else {
        SetFlagBits(0x2u, visible ? 0x2u : 0u);
        if (recursive)
            for (int i = 0, n = GetCount(); i < n; ++i)
                Get(i)->SetVisibility(visible, true, withLayers, -1);
    }
    CallbackAddEvent(kFCurveNodeEventVisibility);
}

bool KFCurveNode::IsEditable() const { return GetVisibility() && mFCurve != nullptr; }

float* KFCurveNode::GetColor()
{
    if (mFCurve)
        return mFCurve->GetColor();
    mNoColor[0] = mNoColor[1] = mNoColor[2] = 0.0f;
    return mNoColor;
}

void KFCurveNode::SetColor(const float* color)
{
    if (mFCurve)
        mFCurve->SetColor(color);
}

void KFCurveNode::SetUseQuaternion(bool useQuaternion)
{
    for (KFCurveNode* node = this; node; node = node->mLayer)
        node->mUseQuaternion = useQuaternion;
    mObjectLayer->CandidateClear(0, true);
    mObjectLayer->CallbackAddEvent(kFCurveNodeEventLayer);
}

void KFCurveNode::SetRotationOrder(int order)
{
    for (KFCurveNode* node = this; node; node = node->mLayer)
        node->mRotationOrder = order;
}

void KFCurveNode::UserLockChange(int delta)
{
    mUserLock += delta;
    for (int i = 0, n = GetCount(); i < n; ++i)
        Get(i)->UserLockChange(delta);
}

void KFCurveNode::UserLockAdd()
{
    for (KFCurveNode* node = this; node; node = node->mLayer)
        node->UserLockChange(1);
}

void KFCurveNode::UserLockRemove()
{
    for (KFCurveNode* node = this; node; node = node->mLayer)
        node->UserLockChange(-1);
}

void KFCurveNode::TemplateSet(KFCurveNode* templateNode)
{
    if (templateNode != mTemplate) {
        if (templateNode)
            SetNameInfo(templateNode->mNameInfo);
        mTemplate = templateNode;
    }
    if (!templateNode)
        return;
    for (int i = 0, n = GetCount(), m = templateNode->GetCount(); i < n && i < m; ++i)
        Get(i)->TemplateSet(templateNode->Get(i));
}

void KFCurveNode::DataNodeSet(KFCurveNode* node, bool recursive)
{
    mDataNode = node == this ? nullptr : node;
    if (!recursive || !node)
        return;
    for (int i = 0, n = GetCount(), m = node->GetCount(); i < n && i < m; ++i)
        Get(i)->DataNodeSet(node->Get(i), true);
}

KFCurveNode* KFCurveNode::DataNodeGet()
{
    // Links can be made to loop; a second pointer moving twice as fast
    // detects it instead of walking forever.
    KFCurveNode* slow = this;
    KFCurveNode* fast = this;
    while (fast->mDataNode) {
        fast = fast->mDataNode;
        if (!fast->mDataNode)
            return fast;
        fast = fast->mDataNode;
        slow = slow->mDataNode;
        if (slow == fast)
            return this;
    }
    return fast;
}

void KFCurveNode::TimeWarpSet(KFCurveNode* timeWarp)
{
    // A node warping its own time would evaluate and release itself forever.
    if (timeWarp == mTimeWarp || timeWarp == this)
        return;
    KFCurveNode* old = mTimeWarp;
    mTimeWarp = timeWarp;
    if (timeWarp)
        ++timeWarp->mReferenceCount;
    Release(old);
    CallbackAddEvent(kFCurveNodeEventTimeWarpSet);
}

// ---- Layers ----

KFCurveNode* KFCurveNode::LayerGet(int layerID)
{
    for (KFCurveNode* node = this; node; node = node->mLayer) {
        if (node->mLayerID == layerID)
            return node;
        if (node->mLayerID > layerID)
            return nullptr;
    }
    return nullptr;
}

KFCurveNode* KFCurveNode::GetLayerNode(KFCurveNode* node, int layerID)
{
    return node ? node->LayerGet(layerID) : nullptr;
}

void KFCurveNode::LayerSet(KFCurveNode* layer, bool destroyOldLayer)
{
    if (layer == mLayer)
        return;
    if (destroyOldLayer && mLayer)
        mLayer->Destroy();
    mLayer = layer;
    mObjectLayer->CallbackAddEvent(kFCurveNodeEventLayer);
}

void KFCurveNode::SetLayerType(int type, KFCurveNode* objectLayer)
{
    if (type == mLayerType)
        return;
    const int count = GetCount();
    const int expected = type == kFCurveNodeLayerQuaternionRotation ? 4
                         : type == kFCurveNodeLayerEulerRotation    ? 3
                                                                    : count;
    if (count != expected) {
        if (count == 3 && type == kFCurveNodeLayerQuaternionRotation) {
            KFCurveNode* w = KFCurveNodeCreate("W", KDataTypeNumber::DataType, 0, mLayerID);
            w->mFCurve = KFCurveCreate();
            if (objectLayer)
                w->mObjectLayer = objectLayer;
            Add(w);
        } else if (count == 4 && mLayerType == kFCurveNodeLayerQuaternionRotation &&
                   type == kFCurveNodeLayerEulerRotation) {
            Delete(3);
        }
    }
    mLayerType = type;
}

int KFCurveNode::GetZeroValues(double* out) const
{
    if (mLayerType == kFCurveNodeLayerQuaternionRotation) {
        out[0] = out[1] = out[2] = 0.0;
        out[3] = 1.0;
        return 4;
    }
    int count = GetCount() > 0 ? GetCount() : (mFCurve ? 1 : 0);
    if (count > kfcurvenode_detail::kMaxCandidateValues)
        count = kfcurvenode_detail::kMaxCandidateValues;
    const double neutral = mLayerType == kFCurveNodeLayerMultiplicative ? 1.0 : 0.0;
    for (int i = 0; i < count; ++i)
        out[i] = neutral;
    return count;
}

KFCurveNode* KFCurveNode::LayerCreate(int layerID, bool destroyOldLayer)
{
    if (!IsMultiLayer())
        return nullptr;
    KFCurveNode* layer = CloneTemplate(false, false, true, layerID);
    LayerSet(layer, destroyOldLayer);

    double zero[4] = {0.0, 0.0, 0.0, 0.0};
    const int zeroCount = GetZeroValues(zero);
    const double neutral = mLayerType == kFCurveNodeLayerMultiplicative ? 1.0 : 0.0;
    if (mFCurve) {
        if (layer->mFCurve) {
            layer->mFCurve->SetValue(static_cast<float>(zeroCount > 0 ? zero[0] : neutral));
            layer->mFCurve->SetColor(mFCurve->GetColor());
        }
        return layer;
    }
    for (int i = 0, n = layer->GetCount(); i < n; ++i) {
        KFCurveNode* counterpart = Get(i);
        KFCurveNode* child = layer->Get(i);
        if (!counterpart || !counterpart->mFCurve || !child->mFCurve)
            continue;
        child->mFCurve->SetValue(static_cast<float>(i < zeroCount ? zero[i] : neutral));
        child->mFCurve->SetColor(counterpart->mFCurve->GetColor());
    }
    return layer;
}

void KFCurveNode::CreateLayerAt(int layerID)
{
    // Layers can only follow this node in the chain, in increasing ID order.
    if (!IsMultiLayer() || mLayerID == layerID || layerID < mLayerID)
        return;
    KFCurveNode* at = this;
    while (at->mLayer && at->mLayer->mLayerID < layerID)
        at = at->mLayer;
    if (!at->mLayer) {
        if (!at->LayerCreate(layerID, true))
            return;
    } else if (at->mLayer->mLayerID == layerID) {
        return;
    } else {
        KFCurveNode* successor = at->mLayer;
        KFCurveNode* layer = at->LayerCreate(layerID, false);
        if (!layer)
            return;
        layer->mLayer = successor;
    }
    mObjectLayer->CallbackAddEvent(kFCurveNodeEventLayer);
}

KFCurveNode* KFCurveNode::GetPreviousLayer(int layerID)
{
    if (layerID == 0)
        return nullptr;
    KFCurveNode* node = this;
    while (node->mLayer && node->mLayer->mLayerID < layerID)
        node = node->mLayer;
    return node;
}

KFCurveNode* KFCurveNode::RemoveLayer(int layerID, bool destroy)
{
    KFCurveNode* previous = GetPreviousLayer(layerID);
    if (!previous || !previous->mLayer || previous->mLayer->mLayerID != layerID)
        return nullptr;
    KFCurveNode* removed = previous->mLayer;
    previous->mLayer = removed->mLayer;
    removed->mLayer = nullptr;
    removed->mObjectLayer = removed;
    if (destroy) {
        removed->Destroy();
        return nullptr;
    }
    return removed;
}

KFCurveNode* KFCurveNode::InsertOrCopyLayer(int layerID, KFCurveNode* source)
{
    KFCurveNode* layer = LayerGet(layerID);
    if (!layer) {
        CreateLayerAt(layerID);
        layer = LayerGet(layerID);
    }
    if (layer && source)
        layer->SingleLayerCopyFrom(source, false);
    return layer;
}

KFCurveNode* KFCurveNode::GetCorrectLayer(int layerID, bool create)
{
    KFCurveNode* layer = LayerGet(GetCorrectLayerID(layerID));
    if (!layer && create) {
        CreateLayerAt(layerID);
        layer = LayerGet(layerID);
    }
    return layer;
}

}  // namespace qelsdk_600
