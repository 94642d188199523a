// The deformer's membership of a scene object store.
// INTERIM: the store class is not merged yet, so no entity can exist; this
// only keeps the pointer until the store's RemoveDeformer and AddDeformer
// are called here.
#include "content/kqeldeformer.h"

namespace qelsdk_600 {

bool KQelDeformer::SetEntity(KQelEntity* pEntity)
{
    mEntity = pEntity;
    return true;
}

}  // namespace qelsdk_600
