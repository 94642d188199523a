// What the plug-in subsystem shares inside: the host's side of MPxCommand.
#ifndef VESK_PLUGIN_PLUGIN_IMPL_H
#define VESK_PLUGIN_PLUGIN_IMPL_H

#include <vesk/MPxCommand.h>

#include "command/command_result.h"

namespace vesk {

struct PxCommandAccess {
    // The result the command set (nothing when it set none).
    static const CommandResult& result(const MPxCommand& command) { return *command.mResult; }
};

} // namespace vesk

#endif
