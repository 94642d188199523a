// Deformers and sets: the wiring that ties a deformer to the shapes it
// deforms, the members of sets, and the creators of deformers, sets and
// bind poses.
#ifndef VESK_DEFORM_DEFORM_KINDS_H
#define VESK_DEFORM_DEFORM_KINDS_H

#include "store/kind.h"

namespace vesk {

// Gives deformers their computed outputs and sets their members (a store
// registrar).
void registerDeformHooks(KindRegistry& registry);

} // namespace vesk

#endif
