// The deformer's membership of a scene object store.
#include "content/kqeldeformer.h"
#include "scene/kqelentity.h"

namespace qelsdk_600 {

bool KQelDeformer::SetEntity(KQelEntity* pEntity)
{
    if (pEntity == mEntity)
        return true;
    if (mEntity)
        mEntity->RemoveDeformer(this);
    mEntity = pEntity;
    if (mEntity)
        mEntity->AddDeformer(this);
    return true;
}

}  // namespace qelsdk_600
