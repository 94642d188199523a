// Process-wide state of the base library: its directories and its start-up.
#ifndef QELSDK_BASE_KLIB_H
#define QELSDK_BASE_KLIB_H

namespace qelsdk_600 {

// The master directory (where log files go) and the configuration directory
// (where configuration files live). Each setter keeps a copy of the text
// (null: empty); each getter returns the current copy, empty until first set,
// valid until the next set.
void KLib_SetMasterDirectory(const char* directory);
const char* KLib_GetMasterDirectory();
void KLib_SetConfigDirectory(const char* directory);
const char* KLib_GetConfigDirectory();

// Work that higher layers attach to the library's start and stop (such as the
// object layer's plug machinery), so that the base library never calls up.
typedef void (*KBaseLibHook)();

// Adds a pair of hooks (either may be null). Init hooks run in registration
// order on the first KBaseLib_Init, terminate hooks in reverse order on the
// balancing KBaseLib_Terminate; a pair added while the library is started has
// its init hook run at once. Registering the same pair twice is a no-op.
// False when the registry (16 pairs) is full.
bool KBaseLib_RegisterHooks(KBaseLibHook init, KBaseLibHook terminate);

// Counts its calls; only the first one starts the library. Returns true.
bool KBaseLib_Init();
// Counterpart of KBaseLib_Init; only the call that balances the first one
// stops the library. True when this call stopped it; an unbalanced call
// changes nothing and returns false.
bool KBaseLib_Terminate();
// Calls of KBaseLib_Init not yet balanced by KBaseLib_Terminate.
int KBaseLib_GetInitCount();

}  // namespace qelsdk_600

#endif
