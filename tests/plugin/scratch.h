// The scratch working directory the plug-in tests run in.
#ifndef QEL_TESTS_PLUGIN_SCRATCH_H
#define QEL_TESTS_PLUGIN_SCRATCH_H

#include <string>

// Its absolute path, without a trailing '/'.
const std::string& ScratchDir();

#endif
