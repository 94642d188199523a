#include "scene/kqelskeleton.h"

#include "scene/kqelpropertyvalue_impl.h"

namespace qelsdk_600 {

namespace {

// Names and type flags by skeleton type. An effector reads and writes as a
// root: files have no name of their own for it.
struct SkeletonKind {
    const char* mTypeName;
    const char* mFlags[3];
};

const SkeletonKind kSkeletonKinds[] = {
    {"Root", {"Null", "Skeleton", "Root"}},
    {"Limb", {"Skeleton", nullptr, nullptr}},
    {"LimbNode", {"Skeleton", nullptr, nullptr}},
    {"Root", {"Null", "Skeleton", "Root"}},
};

const SkeletonKind* KindOf(KQelSkeleton::ESkeletonType pType)
{
    const int count = static_cast<int>(sizeof(kSkeletonKinds) / sizeof(kSkeletonKinds[0]));
    return pType >= 0 && pType < count ? &kSkeletonKinds[pType] : nullptr;
}

bool HasColor(KQelSkeleton::ESkeletonType pType)
{
    return pType == KQelSkeleton::eLimb || pType == KQelSkeleton::eLimbNode;
}

}  // namespace

QEL_CLASS_IDENTITY_DEFINE(KQelSkeletonProperties, KObject)

KQelSkeletonProperties::KQelSkeletonProperties()
{
    QEL_PROPERTY_SET_REGISTER(QEL_SKELETON_PROPERTIES);
}

KQelSkeletonProperties::~KQelSkeletonProperties() {}

KQelSkeleton::KQelSkeleton(KQelSdkManager& pManager)
    : KQelNodeAttribute(pManager),
      mProperties(new KQelSkeletonProperties),
      mSkeletonType(eRoot),
      mLimbLengthIsSet(false),
      mLimbNodeSizeIsSet(false),
      mLimbNodeColorIsSet(false),
      mSkeletonTypeIsSet(false)
{
    Reset();
}

KQelSkeleton::~KQelSkeleton()
{
    mProperties->Destroy(0);
}

void KQelSkeleton::FillPropertyList(void* pList)
{
    KQelAppendProperties(mProperties, pList);
}

KString KQelSkeleton::GetTypeName()
{
    const SkeletonKind* kind = KindOf(mSkeletonType);
    return KString(kind ? kind->mTypeName : "");
}

KStringList KQelSkeleton::GetTypeFlags()
{
    KStringList flags;
    if (const SkeletonKind* kind = KindOf(mSkeletonType)) {
        for (const char* flag : kind->mFlags) {
            if (flag)
                flags.Add(flag, 0);
        }
    }
    return flags;
}

void KQelSkeleton::UpdateColorSavable()
{
    mProperties->Color.ModifyPropertyFlag(kPropertyFlagNotSavable, !HasColor(mSkeletonType));
}

void KQelSkeleton::Reset()
{
    mSkeletonType = GetSkeletonTypeDefaultValue();
    const KQelColor color = GetLimbNodeColorDefaultValue();
    mProperties->Color.SetValue(KgeRGBVector(color.mRed, color.mGreen, color.mBlue));
    UpdateColorSavable();
    mProperties->Size.SetValue(GetLimbNodeSizeDefaultValue());
    mProperties->LimbLength.SetValue(GetLimbLengthDefaultValue());
    mLimbLengthIsSet = false;
    mLimbNodeSizeIsSet = false;
    mLimbNodeColorIsSet = false;
    mSkeletonTypeIsSet = false;
}

void KQelSkeleton::SetSkeletonType(ESkeletonType pType)
{
    mSkeletonType = pType;
    mSkeletonTypeIsSet = true;
    UpdateColorSavable();
}

bool KQelSkeleton::SetLimbLength(double pLength)
{
    if (mSkeletonType != eLimb)
        return false;
    mProperties->LimbLength.SetValue(pLength);
    mLimbLengthIsSet = true;
    return true;
}

double KQelSkeleton::GetLimbLength() const
{
    return mProperties->LimbLength.GetValue();
}

bool KQelSkeleton::SetLimbNodeSize(double pSize)
{
    mProperties->Size.SetValue(pSize);
    mLimbNodeSizeIsSet = true;
    return true;
}

double KQelSkeleton::GetLimbNodeSize() const
{
    return mProperties->Size.GetValue();
}

bool KQelSkeleton::SetLimbNodeColor(const KQelColor& pColor)
{
    if (!HasColor(mSkeletonType))
        return false;
    mProperties->Color.SetValue(KgeRGBVector(pColor.mRed, pColor.mGreen, pColor.mBlue));
    mLimbNodeColorIsSet = true;
    return true;
}

KQelColor KQelSkeleton::GetLimbNodeColor() const
{
    const KgeRGBVector& color = mProperties->Color.GetValue();
    return KQelColor(color.mData[0], color.mData[1], color.mData[2], 1.0);
}

KQelSkeleton& KQelSkeleton::operator=(const KQelSkeleton& pOther)
{
    if (this == &pOther)
        return *this;
    Reset();
    SetSkeletonType(pOther.mSkeletonType);
    SetLimbNodeSize(pOther.GetLimbNodeSize());
    if (pOther.mSkeletonType == eLimb)
        SetLimbLength(pOther.GetLimbLength());
    if (HasColor(pOther.mSkeletonType))
        SetLimbNodeColor(pOther.GetLimbNodeColor());
    mLimbLengthIsSet = pOther.mLimbLengthIsSet;
    mLimbNodeSizeIsSet = pOther.mLimbNodeSizeIsSet;
    mLimbNodeColorIsSet = pOther.mLimbNodeColorIsSet;
    mSkeletonTypeIsSet = pOther.mSkeletonTypeIsSet;
    return *this;
}

}  // namespace qelsdk_600
