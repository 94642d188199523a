// The list of kind registrars (store/registrars.cpp).
#ifndef VESK_STORE_REGISTRARS_H
#define VESK_STORE_REGISTRARS_H

#include <cstddef>

#include "store/kind.h"

namespace vesk {

extern const KindRegistrar kRegistrars[];
extern const size_t kRegistrarCount;

} // namespace vesk

#endif
