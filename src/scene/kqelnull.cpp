#include "scene/kqelnull.h"

#include "scene/kqelpropertyvalue_impl.h"

namespace qelsdk_600 {

QEL_CLASS_IDENTITY_DEFINE(KQelNullProperties, KObject)

KQelNullProperties::KQelNullProperties()
{
    QEL_PROPERTY_SET_REGISTER(QEL_NULL_PROPERTIES);
}

KQelNullProperties::~KQelNullProperties() {}

KQelNull::KQelNull(KQelSdkManager& pManager)
    : KQelNodeAttribute(pManager), mSizeIsSet(false), mProperties(new KQelNullProperties)
{
    Reset();
}

KQelNull::~KQelNull()
{
    mProperties->Destroy(0);
}

void KQelNull::FillPropertyList(void* pList)
{
    KQelAppendProperties(mProperties, pList);
}

KString KQelNull::GetTypeName()
{
    return KString("Null");
}

KStringList KQelNull::GetTypeFlags()
{
    KStringList flags;
    flags.Add("Null", 0);
    return flags;
}

void KQelNull::Reset()
{
    mProperties->Size.SetValue(GetSizeDefaultValue());
    mSizeIsSet = false;
}

void KQelNull::SetSize(double pSize)
{
    mProperties->Size.SetValue(pSize);
    mSizeIsSet = true;
}

double KQelNull::GetSize() const
{
    return mProperties->Size.GetValue();
}

KQelNull& KQelNull::operator=(const KQelNull& pOther)
{
    if (this == &pOther)
        return *this;
    Reset();
    SetSize(pOther.GetSize());
    mSizeIsSet = pOther.mSizeIsSet;
    return *this;
}

}  // namespace qelsdk_600
