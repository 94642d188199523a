// The stand-in of the host's optional character solver: characters whose
// skeleton slots link host nodes, driven by the "DOV" commands.
#ifndef VESK_SOLVER_SOLVER_H
#define VESK_SOLVER_SOLVER_H

#include <vesk/VeskExport.h>

namespace vesk {

// Turns the solver off and forgets its characters.
VESK_API void resetSolver();

} // namespace vesk

#endif
