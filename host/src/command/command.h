// What built-in command handlers share: error lines, and the registrars
// that give the interpreter its built-ins.
#ifndef VESK_COMMAND_COMMAND_H
#define VESK_COMMAND_COMMAND_H

#include <string>

#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

#include "command/interpreter.h"

namespace vesk {

// Prints "<command>: <message>" as an error line (the message log) and
// returns kFailure; <command> is the command running now.
VESK_API MStatus commandError(const std::string& message);

// The name of the command running now ("" outside any).
VESK_API const std::string& currentCommand();

// Registrars of the built-ins, run in order when the interpreter is made.
typedef void (*CommandRegistrar)(Interpreter& interp);
void registerCoreCommands(Interpreter& interp);
void registerUiCommands(Interpreter& interp);
void registerSceneCommands(Interpreter& interp);
void registerSolverCommands(Interpreter& interp);

// Adds a table of built-ins.
template <size_t N>
void addCommands(Interpreter& interp, const CommandSpec (&specs)[N])
{
    interp.addBuiltins(specs, N);
}

} // namespace vesk

#endif
