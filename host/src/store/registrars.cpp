// The kind registrars the store runs, in order, when it is made. A later
// module of the host appends its registrar here.
#include "anim/anim_curve.h"
#include "deform/deform_kinds.h"
#include "geometry/geometry_kinds.h"
#include "store/kind.h"
#include "store/registrars.h"

namespace vesk {

const KindRegistrar kRegistrars[] = {
    registerCoreKinds,
    registerGeometryHooks,
    registerAnimHooks,
    registerDeformHooks,
};
const size_t kRegistrarCount = sizeof kRegistrars / sizeof kRegistrars[0];

} // namespace vesk
