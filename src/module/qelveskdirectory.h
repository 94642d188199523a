// Where the module lives: the directory the SDK's master and configuration
// directories point at (the settings file is kept there).
#ifndef QELVESK_MODULE_QELVESKDIRECTORY_H
#define QELVESK_MODULE_QELVESKDIRECTORY_H

#include "base/kstring.h"

// The first directory of "VESK_PLUG_IN_PATH" (';'-separated, empty pieces
// skipped) that opens, in which the process may create files, and that
// holds an entry whose name begins "qelvesk" and whose extension is "so"
// (both without regard to case): that directory as written, followed by
// "/". "/usr/tmp/" when none does or the variable is unset.
qelsdk_600::KString DetermineMasterDirectory();

// Whether the process may create files in the directory: write and search
// permission as the system grants them (effective ids, supplementary
// groups, super-user). False when the path cannot be examined.
bool IsDirWritable(qelsdk_600::KString& pPath);

#endif
