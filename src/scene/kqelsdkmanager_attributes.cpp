// The manager's blocks for the node-attribute kinds that take nothing but the
// manager: skeletons, optical references, markers and lights. They share the
// node-attribute list, and so its destroy operation and its end.
#include "content/kqellight.h"
#include "content/kqelmarker.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"
#include "scene/kqelskeleton.h"

namespace qelsdk_600 {

// The allocate operation of an attribute kind, and its create, which lists
// what the (possibly overridden) allocate answers.
#define QEL_MANAGER_ATTRIBUTE_KIND(Class)                                     \
    Class* KQelSdkManager::Allocate##Class()                                  \
    {                                                                         \
        return new Class(*this);                                              \
    }                                                                         \
    Class* KQelSdkManager::Create##Class()                                    \
    {                                                                         \
        Class* attribute = Allocate##Class();                                 \
        List(kQelNodeAttributeList, static_cast<KQelNodeAttribute*>(attribute)); \
        return attribute;                                                     \
    }

QEL_MANAGER_ATTRIBUTE_KIND(KQelSkeleton)
QEL_MANAGER_ATTRIBUTE_KIND(KQelOpticalReference)
QEL_MANAGER_ATTRIBUTE_KIND(KQelMarker)
QEL_MANAGER_ATTRIBUTE_KIND(KQelLight)

#undef QEL_MANAGER_ATTRIBUTE_KIND

}  // namespace qelsdk_600
