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

// Internal units (radians, centimetres, seconds) per user unit of a unit
// type (1 angle, 2 distance, 3 time; 1 for any other).
double internalPerUiUnit(int unitType);
// Plug numbers between internal units and the units a user reads and
// writes (MAngle, MDistance and MTime UI units for unit attributes).
double toUiUnits(const Attribute* a, double internal);
double fromUiUnits(const Attribute* a, double ui);

// The key of a top-level attribute of a node by name (no attribute: null).
PlugKey keyNamed(NodeId node, const char* name, uint32_t index = kUnsetIndex);

// Writes a number given in user units to a numeric plug, checked: false
// (with the command's error) when the plug is locked or connected.
bool writeUiNumber(NodeId node, const PlugKey& key, double ui, MStatus& status);

// Reads a text of finite numbers separated by blanks, a multiple of group
// of them; false (with the command's error naming what) otherwise.
bool readNumberList(const std::string& text, size_t group, const char* what, std::vector<double>& out,
                    MStatus& status);

// The digits a name ends with ("camera12" -> "12").
std::string numberSuffix(const std::string& name);
// The parent a -p text names, a transform ("" gives an invalid id, the
// world); false (with the command's error) otherwise.
bool readParent(const std::string& text, NodeId& out, MStatus& status);
// Makes a transform under parent (the world when invalid), named
// transformName or else "<kind>1", and a shape of the kind below it, named
// shapeName or else "<transform>Shape" ("<kind>Shape<number>" for an unnamed
// transform). False (with the command's error), making nothing, on failure.
bool makeShapeNodes(const std::string& kind, const std::string& transformName, const std::string& shapeName,
                    NodeId parent, NodeId& transform, NodeId& shape, MStatus& status);

void registerAttrCommands(Interpreter& interp);
void registerNodeCommands(Interpreter& interp);
void registerCameraCommands(Interpreter& interp);
void registerDeformCommands(Interpreter& interp);
void registerSelectCommand(Interpreter& interp);
void registerBuildCommands(Interpreter& interp);
void registerGeometryCommands(Interpreter& interp);
void registerAnimCommands(Interpreter& interp);

} // namespace vesk

#endif
