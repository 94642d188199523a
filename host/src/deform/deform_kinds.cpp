#include "deform/deform_kinds.h"

namespace vesk {

void registerDeformHooks(KindRegistry&) {}

} // namespace vesk
