// What the scene commands share: reading object texts, unit conversions of
// plug numbers, and the registrars of each group of commands.
#ifndef VESK_SCENECMD_SCENE_COMMANDS_IMPL_H
#define VESK_SCENECMD_SCENE_COMMANDS_IMPL_H

#include <string>
#include <vector>

#include <vesk/MStatus.h>

#include "command/command.h"
#include "store/node_store.h"
#include "store/selection.h"

namespace vesk {

// Reads an object, plug or component text (the parser MSelectionList::add
// uses); on failure prints the reason as the command's error.
bool readAddress(const std::string& text, Address& out, MStatus& status);
// Reads every text, all or nothing.
bool readAddresses(const std::vector<std::string>& texts, std::vector<Address>& out, MStatus& status);
// The selection item a text stands for.
SelectionItem itemOf(const Address& a);

// A node as results name it: the partial path name of a DAG node, else its
// name.
std::string nodeText(NodeId n);

// Plug numbers between internal units and the units a user reads and
// writes (MAngle, MDistance and MTime UI units for unit attributes).
double toUiUnits(const Attribute* a, double internal);
double fromUiUnits(const Attribute* a, double ui);

// The key of a top-level attribute of a node by name (no attribute: null).
PlugKey keyNamed(NodeId node, const char* name, uint32_t index = kUnsetIndex);

// Writes a number given in user units to a numeric plug, checked: false
// (with the command's error) when the plug is locked or connected.
bool writeUiNumber(NodeId node, const PlugKey& key, double ui, MStatus& status);

void registerAttrCommands(Interpreter& interp);
void registerNodeCommands(Interpreter& interp);
void registerCameraCommands(Interpreter& interp);
void registerDeformCommands(Interpreter& interp);
void registerSelectCommand(Interpreter& interp);

} // namespace vesk

#endif
