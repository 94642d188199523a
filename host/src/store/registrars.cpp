// The kind registrars the store runs, in order, when it is made. A later
// module of the host appends its registrar here.
#include "store/kind.h"
#include "store/registrars.h"

namespace vesk {

const KindRegistrar kRegistrars[] = {
    registerCoreKinds,
};
const size_t kRegistrarCount = sizeof kRegistrars / sizeof kRegistrars[0];

} // namespace vesk
