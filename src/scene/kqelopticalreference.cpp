#include "scene/kqelopticalreference.h"

namespace qelsdk_600 {

KQelOpticalReference::KQelOpticalReference(KQelSdkManager& pManager) : KQelNodeAttribute(pManager) {}

KQelOpticalReference::~KQelOpticalReference() {}

KString KQelOpticalReference::GetTypeName()
{
    return KString("Optical");
}

KStringList KQelOpticalReference::GetTypeFlags()
{
    KStringList flags;
    flags.Add("Marker", 0);
    return flags;
}

}  // namespace qelsdk_600
