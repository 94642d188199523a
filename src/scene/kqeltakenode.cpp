#include "scene/kqeltakenode.h"

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "math/kqelmatrix.h"
#include "object/kdatatype.h"
#include "scene/kqeltakenodecontainer.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {

namespace {

const char* const kTakeNodeErrors[] = {"Curve not found"};

// Address of a fixed channel: group and channel names (null skips the level)
// and the component by name or, when the name is null, by data type.
struct ChannelAddress {
    const char* mGroup;
    const char* mChannel;
    const char* mComponent;
    KDataType* const* mComponentType;
};

const ChannelAddress kChannels[] = {
#define QEL_TAKE_NODE_ADDRESS_C(Name, Group, Channel, Component) {Group, Channel, Component, nullptr},
#define QEL_TAKE_NODE_ADDRESS_D(Name, TypeClass) {nullptr, nullptr, nullptr, &TypeClass::DataType},
    QEL_TAKE_NODE_CHANNELS(QEL_TAKE_NODE_ADDRESS_C, QEL_TAKE_NODE_ADDRESS_D)
#undef QEL_TAKE_NODE_ADDRESS_C
#undef QEL_TAKE_NODE_ADDRESS_D
};
static_assert(sizeof(kChannels) / sizeof(kChannels[0]) == KQelTakeNode::eChannelCount,
              "one address per channel getter");

const char* const kTranslationAxes[] = {"X", "Y", "Z"};

// Container nodes refer to curve nodes they do not own: below a container
// root only the nested containers belong to the tree. Depth first, last
// child first.
void DeleteNestedContainers(KFCurveNode* pNode)
{
    for (int i = pNode->GetCount() - 1; i >= 0; --i) {
        KFCurveNode* child = pNode->Get(i);
        if (child && child->GetContainerType()) {
            DeleteNestedContainers(child);
            pNode->Delete(i);
        }
    }
}

}  // namespace

KString GetEffectivePropertyName(const KString& pPropertyName)
{
    if (pPropertyName == "Lcl Translation")
        return KString("T");
    if (pPropertyName == "Lcl Rotation")
        return KString("R");
    if (pPropertyName == "Lcl Scaling")
        return KString("S");
    return pPropertyName;
}

KQelTakeNode::KQelTakeNode(const char* pName)
    : mName(pName ? pName : ""), mError(kTakeNodeErrors, 1), mNode(KFCurveNodeCreate("Defaults")),
      mBuilder(nullptr)
{
}

KQelTakeNode::KQelTakeNode(const char* pName, KQelTakeNodeContainer* pBuilder)
    : mName(pName ? pName : ""), mError(kTakeNodeErrors, 1), mNode(nullptr), mBuilder(pBuilder)
{
}

KQelTakeNode::KQelTakeNode(const KQelTakeNode& pOther)
    : mName(pOther.mName), mError(kTakeNodeErrors, 1), mNode(pOther.GetKFCurveNode()->Clone(false)),
      mBuilder(nullptr)
{
}

KQelTakeNode::~KQelTakeNode()
{
    if (!mNode)
        return;
    if (mNode->GetContainerType())
        DeleteNestedContainers(mNode);
    mNode->Destroy();
}

KFCurveNode* KQelTakeNode::GetKFCurveNode() const
{
    if (!mNode) {
        mNode = KFCurveNodeCreate("Defaults");
        if (KQelTakeNodeContainer* builder = mBuilder) {
            mBuilder = nullptr;
            builder->BuildDeferredTake(const_cast<KQelTakeNode*>(this));
        }
    }
    return mNode;
}

void KQelTakeNode::SetName(const char* pName)
{
    // The tree owed depends on the name: it is built under the old one.
    GetKFCurveNode();
    mName = pName ? pName : "";
}

bool KQelTakeNode::GetAnimationInterval(KTime& pStart, KTime& pStop)
{
    // A tree still owed has no keys.
    if (!mNode)
        return false;
    return mNode->GetAnimationInterval(pStart, pStop);
}

KFCurveNode* KQelTakeNode::Walk(const char* pGroup, const char* pChannel) const
{
    KFCurveNode* node = GetKFCurveNode();
    if (pGroup)
        node = node->FindRecursive(pGroup);
    if (node && pChannel)
        node = node->FindRecursive(pChannel);
    return node;
}

KFCurve* KQelTakeNode::Found(KFCurve* pCurve)
{
    if (!pCurve)
        mError.SetLastErrorID(0);
    return pCurve;
}

template <class Component>
KFCurve* KQelTakeNode::Lookup(const char* pGroup, const char* pChannel, Component pComponent)
{
    KFCurveNode* node = Walk(pGroup, pChannel);
    if (node && pComponent)
        node = node->FindRecursive(pComponent);
    return Found(node ? node->FCurveGet() : nullptr);
}

KFCurve* KQelTakeNode::GetKFCurve(const char* pGroup, const char* pChannel, const char* pComponent)
{
    return Lookup(pGroup, pChannel, pComponent);
}

KFCurve* KQelTakeNode::GetKFCurve(const char* pGroup, const char* pChannel, KDataType* pComponent)
{
    return Lookup(pGroup, pChannel, pComponent);
}

bool KQelTakeNode::IsChannelAnimated(const char* pGroup, const char* pChannel, const char* pComponent)
{
    KFCurve* curve = Lookup(pGroup, pChannel, pComponent);
    return curve && curve->KeyGetCount() > 0;
}

bool KQelTakeNode::IsChannelAnimated(const char* pGroup, const char* pChannel, KDataType* pComponent)
{
    KFCurve* curve = Lookup(pGroup, pChannel, pComponent);
    return curve && curve->KeyGetCount() > 0;
}

KFCurve* KQelTakeNode::GetChannel(EChannel pChannel)
{
    const int index = static_cast<int>(pChannel);
    if (index < 0 || index >= eChannelCount)
        return Found(nullptr);
    const ChannelAddress& address = kChannels[index];
    if (address.mComponentType)
        return GetKFCurve(address.mGroup, address.mChannel, *address.mComponentType);
    return GetKFCurve(address.mGroup, address.mChannel, address.mComponent);
}

KFCurve* KQelTakeNode::GetPropertyAnimation(KQelUserProperty* pProperty, unsigned int pComponent)
{
    if (!pProperty)
        return Found(nullptr);
    const KString name = GetEffectivePropertyName(pProperty->GetName());
    KFCurveNode* node = GetKFCurveNode()->FindRecursive(name.Buffer());
    KFCurve* curve = nullptr;
    if (node) {
        const unsigned int count = static_cast<unsigned int>(node->GetCount());
        if (count > 0) {
            if (pComponent < count)
                curve = node->Get(static_cast<int>(pComponent))->FCurveGet();
        } else if (pComponent == 0) {
            curve = node->FCurveGet();
        }
    }
    return Found(curve);
}

bool KQelTakeNode::AddRotationToTranslation(const KQelVector4& pRotation)
{
    KFCurve* curves[3];
    for (int axis = 0; axis < 3; ++axis) {
        curves[axis] = GetKFCurve("Transform", "T", kTranslationAxes[axis]);
        if (!curves[axis])
            return false;
    }
    KQelXMatrix rotation;
    rotation.SetIdentity();
    rotation.SetR(pRotation);
    const KQelVector4 defaults =
        rotation.MultT(KQelVector4(curves[0]->GetValue(), curves[1]->GetValue(), curves[2]->GetValue(), 1.0));

    // The curves are evaluated as they stand (a curve without keys answers
    // its default value), so their defaults change only at the end.
    KFCurve* rotated[3] = {KFCurveCreate(), KFCurveCreate(), KFCurveCreate()};
    int next[3] = {0, 0, 0};
    int last[3] = {0, 0, 0};
    for (;;) {
        KTime time = KTIME_INFINITE;
        bool any = false;
        for (int axis = 0; axis < 3; ++axis) {
            if (next[axis] < curves[axis]->KeyGetCount()) {
                const KTime keyTime = curves[axis]->KeyGetTime(next[axis]);
                if (!any || keyTime < time)
                    time = keyTime;
                any = true;
            }
        }
        if (!any)
            break;
        KQelVector4 point(0.0, 0.0, 0.0, 1.0);
        for (int axis = 0; axis < 3; ++axis)
            point[axis] = curves[axis]->Evaluate(time, &last[axis]);
        const KQelVector4 moved = rotation.MultT(point);
        for (int axis = 0; axis < 3; ++axis) {
            KFCurveKey key;
            key.Set(time, static_cast<float>(moved[axis]), kFCurveInterpolationCubic, kFCurveTangentAuto, 0.0f,
                    0.0f, 0, kFCurveDefaultWeight, kFCurveDefaultWeight, 0.0f, 0.0f);
            rotated[axis]->KeyAdd(time, key);
            if (next[axis] < curves[axis]->KeyGetCount() && curves[axis]->KeyGetTime(next[axis]) == time)
                ++next[axis];
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        KFCurve* curve = curves[axis];
        curve->KeyModifyBegin();
        curve->Delete(KTIME_MINUS_INFINITE, KTIME_INFINITE);
        curve->CopyFrom(*rotated[axis], true);
        curve->SetValue(static_cast<float>(defaults[axis]));
        curve->KeyModifyEnd();
        rotated[axis]->Destroy();
    }
    return true;
}

}  // namespace qelsdk_600
