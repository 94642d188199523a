#include "content/kqelshape.h"

namespace qelsdk_600 {

KQelShape::KQelShape(KQelSdkManager& pManager) : KQelGeometryBase(pManager) {}

KQelShape::~KQelShape() {}

KQelShape& KQelShape::operator=(const KQelShape& pOther)
{
    if (this == &pOther)
        return *this;
    KQelLayerContainer::Copy(pOther, GetKQelSdkManager());
    KQelGeometryBase::Copy(pOther);
    return *this;
}

}  // namespace qelsdk_600
