// The scene dump: a text of the whole scene that does not depend on the
// order the scene was built in, for comparing scenes (docs/host-scene-dump.md).
#ifndef VESK_DUMP_SCENE_DUMP_H
#define VESK_DUMP_SCENE_DUMP_H

#include <cstdio>
#include <string>
#include <vector>

#include <vesk/VeskExport.h>

namespace vesk {

// Writes the dump of the current scene: the header line, the global
// records, each node's records (nodes sorted bytewise by identity: the full
// name of the first DAG path, else the name), then the connections sorted
// by destination. False when writing to the file failed.
VESK_API bool writeSceneDump(std::FILE* file);
// The same as a text.
VESK_API std::string sceneDump();

// Compares two dumps. Records are matched by their key (the text before
// " = "); numbers a and b match when |a - b| <= tolerance * max(1, |a|, |b|),
// other tokens when equal. A node present in one dump only is reported
// once, without its other records. Lines matching one of the ignore
// patterns (POSIX extended expressions) are left out. report receives one
// line per difference. Returns 0 when the dumps match, 1 when they differ,
// 2 when either is no dump or a pattern is bad (report says why).
struct DumpCompareOptions {
    double tolerance = 0.0;
    std::vector<std::string> ignore;
};
VESK_API int compareDumps(const std::string& a, const std::string& b, const DumpCompareOptions& options,
                          std::vector<std::string>& report);

} // namespace vesk

#endif
