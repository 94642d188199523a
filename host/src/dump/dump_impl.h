// What the scene dump's files share: the records of values kept outside
// plugs (geometry, curve keys, set members, skin weights) and of data values.
#ifndef VESK_DUMP_DUMP_IMPL_H
#define VESK_DUMP_DUMP_IMPL_H

#include <string>
#include <vector>

#include "dump/dump_text.h"
#include "store/ids.h"
#include "store/ref.h"

namespace vesk {

class AnimCurve;

// A node as the dump sees it: its identity and every DAG path.
struct DumpNode {
    NodeId id;
    std::string identity;
    std::vector<std::string> paths;
};

// Appends the tokens of a data value (a matrix, numbers, a geometry's
// counts). Returns the geometry whose records must follow the line, or null.
const RefObject* writeData(DumpWriter& out, const RefObject& data);
// The records of a mesh or NURBS surface: "<record> <id> [<sub>] ...".
void writeGeometry(DumpWriter& out, const char* record, const std::string& id, const std::string* sub,
                   const RefObject& geometry);
// The key records of a curve: "key <id> [<sub>] <i> = ...".
void writeKeys(DumpWriter& out, const std::string& id, const std::string* sub, const AnimCurve& curve);
// The values a node keeps outside plugs.
void dumpPayload(DumpWriter& out, const std::string& id, NodeId node);

} // namespace vesk

#endif
