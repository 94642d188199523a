// Scene building for tests of the host: nodes, connections and values by
// their texts, on the process-wide store.
#ifndef VESK_STORE_FIXTURES_H
#define VESK_STORE_FIXTURES_H

#include <string>

#include <vesk/VeskExport.h>

#include "store/ids.h"

namespace vesk {
namespace fixture {

// The node an object text names (parseAddress), or an invalid id.
VESK_API NodeId node(const std::string& address);
// A node of a kind; DAG nodes go under the node named parent ("" = world).
// Returns the node (invalid on failure); its name follows the unique-name
// rule, so read it back with store().name().
VESK_API NodeId make(const std::string& typeName, const std::string& name, const std::string& parent = "");
// A transform named name with a shape of the kind below it (named
// name + "Shape"); returns the transform. A mesh is a flat grid of 4 x 4
// quadrilaterals (25 vertices, row by row), a NURBS surface an open bicubic
// patch of 4 x 4 control vertices.
VESK_API NodeId makeShape(const std::string& shapeType, const std::string& name, const std::string& parent = "");
// Renames the node an address names to exactly that name, any bytes
// allowed (NodeStore::renameAsIs); false when it cannot.
VESK_API bool nameAsIs(const std::string& address, const std::string& name);
// Connects two plugs given as texts ("a.message", "pose.members[2]").
VESK_API bool connect(const std::string& src, const std::string& dst);
// Sets and reads a numeric plug given as text, in internal units.
VESK_API bool setNumber(const std::string& plug, double value);
VESK_API bool number(const std::string& plug, double& out);

} // namespace fixture
} // namespace vesk

#endif
