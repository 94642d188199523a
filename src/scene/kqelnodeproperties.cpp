#include "scene/kqelnodeproperties.h"

#include <cmath>
#include <type_traits>
#include <typeinfo>

#include "object/kclassdefinition.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"

namespace qelsdk_600 {

QEL_CLASS_IDENTITY_DEFINE(KQelNodeProperties, KQelPropertyHandler)

KQelNodeProperties::KQelNodeProperties(KQelTakeNodeContainer* pOwner)
    : KQelOwnedPropertyHandler(pOwner),
      mAnimatedRoom{mAnimatedBytes, sizeof(mAnimatedBytes)},
      mNode(dynamic_cast<KQelNode*>(pOwner)),
      mNodeView(this)
{
    MakeLinksIn(&mLinksRoom);
    QEL_PROPERTY_SET_REGISTER(QEL_NODE_PROPERTIES);
    const KgeTVector unit(1.0, 1.0, 1.0, 1.0);
    if (KProperty* scaling = FindPropertyByName("Lcl Scaling"))
        scaling->SetData(&unit);
    if (KProperty* visibility = FindPropertyByName("Visibility"))
        visibility->SetDouble(1.0);
    // Children and parent are read through the view restricted to node sets,
    // so look-at users and other plugs never count as tree relations.
    if (ClassId != -1 && ClassId != KPlug::ClassId) {
        if (KPlug* view = SubPlugGetOrCreate(KPlug_GetFilter(ClassId), &mViewRoom))
            mNodeView = view;
    }
}

KQelNodeProperties::~KQelNodeProperties()
{
    // After Destruct only the members are left; a set deleted without it
    // still frees its dynamic properties as an owner.
    if (GetObjectStatus() & kStatusDestroying)
        ReleaseOwnedPlugs();
}

// The list hooks stay KObject's (a pointer to an inherited member names the
// class that declares it), so DestructWithOwnHooks serves this class.
static_assert(std::is_same<decltype(&KQelNodeProperties::DisconnectAll), void (KObject::*)()>::value &&
                  std::is_same<decltype(&KQelNodeProperties::DestructProperties), void (KObject::*)()>::value &&
                  std::is_same<decltype(&KQelNodeProperties::PropertyIndexDestroy), int (KObject::*)(int)>::value &&
                  std::is_same<decltype(&KQelNodeProperties::PropertyIndexRemoveFromList),
                               bool (KObject::*)(int)>::value &&
                  std::is_same<decltype(&KQelNodeProperties::PropertyNotify),
                               void (KObject::*)(kPropertyNotify, KProperty*)>::value,
              "a node's set that hooks its property list must end through KObject::Destruct");

void KQelNodeProperties::Destruct()
{
    if (typeid(*this) == typeid(KQelNodeProperties))
        DestructWithOwnHooks();
    else
        KQelOwnedPropertyHandler::Destruct();
}

KQelPivot& KQelNodeProperties::GetPivot(EPivotSet pSet)
{
    if (!mPivots)
        mPivots.reset(new KQelPivot[2]);
    return mPivots[pSet == eQelDestinationPivot ? 1 : 0];
}

const KQelPivot& KQelNodeProperties::GetPivot(EPivotSet pSet) const
{
    static const KQelPivot kConstructed;
    return mPivots ? mPivots[pSet == eQelDestinationPivot ? 1 : 0] : kConstructed;
}

void KQelNodeProperties::ResetPivots()
{
    if (mPivots) {
        mPivots[0].Reset();
        mPivots[1].Reset();
    }
}

const char* KQelNodeProperties::RotationOrderAsString(ERotationOrder pOrder)
{
    static const char* const kTexts[] = {"Euler XYZ", "Euler XZY", "Euler YZX", "Euler YXZ",
                                         "Euler ZXY", "Euler ZYX", "Spheric XYZ"};
    return KQelEnumText(kTexts, pOrder);
}

const char* KQelNodeProperties::InheritTypeAsString(ETransformInheritType pType)
{
    static const char* const kTexts[] = {"RrSs", "RrSs", "Rrs"};
    return KQelEnumText(kTexts, pType);
}

bool KQelNodeProperties::PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                                    KPlug* pOther, kConnectionType pType, KPlug* pNewPlug)
{
    if (pPlug != this)
        return KObject::PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
    KQelNode* other = pOther && pOther->Is(ClassId) ? static_cast<KQelNodeProperties*>(pOther)->mNode : nullptr;
    switch (pAction) {
    case kPlugConnectSrcRequest: {
        KQelEntity* entity = mNode ? mNode->GetEntity() : nullptr;
        KQelEntity* otherEntity = other ? other->GetEntity() : nullptr;
        if (entity && entity == otherEntity) {
            mNode->GetError().SetLastErrorID(6);
            return false;
        }
        break;
    }
    case kPlugConnectedSrc:
        if (other)
            other->SetEntity(mNode ? mNode->GetEntity() : nullptr, false);
        break;
    case kPlugDisconnectedSrc:
        if (other)
            other->SetEntity(nullptr, false);
        break;
    default:
        break;
    }
    return KObject::PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
}

bool operator!=(const KgeTVector& pA, const KQelVector4& pB)
{
    for (int i = 0; i < 4; ++i) {
        if (std::isnan(pA.mData[i]) || std::isnan(pB.mData[i]) || pA.mData[i] != pB.mData[i])
            return true;
    }
    return false;
}

}  // namespace qelsdk_600
