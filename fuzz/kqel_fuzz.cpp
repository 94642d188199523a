// libFuzzer target: opens the input as a field file and walks everything a
// reader can reach, in each of the three forms.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "file/kqel.h"

using namespace qelsdk_600;

namespace {

const char* const kNames[] = {"A", "B", "C", "Doc", "Data", "Model", "Summary", "NodeId", "Take", "Runs", "Z"};

// Numbers go through the block reads, in pieces that cross runs and single
// values alike.
void ReadValues(KQel& q) {
    char piece[4096];
    int ints[5];
    double reals[5];
    for (int guard = 0; q.FieldReadGetRemain() > 0 && guard < 100000; ++guard) {
        switch (q.FieldReadGetType()) {
            case 'R': {
                kUInt size = 0;
                if (q.FieldReadRBegin(&size)) {
                    while (q.FieldReadRPart(piece, sizeof piece) > 0) {
                    }
                    q.FieldReadREnd();
                }
                break;
            }
            case 'S': q.FieldReadC(); break;
            case 'C': q.FieldReadCH(); break;
            case 'L': q.FieldReadT(); break;
            case 'I': q.FieldReadIn(ints, 5); break;
            case 'D': q.FieldReadDn(reals, 5); break;
            default: q.FieldReadD(); break;
        }
    }
}

// Depth-first over the known names, without recursion.
void WalkSection(KQel& q) {
    int cursor[16] = {0};
    int depth = 0;
    int budget = 20000;
    while (depth >= 0 && budget-- > 0) {
        if (cursor[depth] >= static_cast<int>(sizeof kNames / sizeof kNames[0])) {
            if (depth == 0) break;
            q.FieldReadBlockEnd();
            q.FieldReadEnd();
            --depth;
            continue;
        }
        const char* name = kNames[cursor[depth]];
        q.FieldGetInstanceCount(name);
        if (!q.FieldReadBegin(name)) {
            ++cursor[depth];
            continue;
        }
        ReadValues(q);
        if (depth + 1 < 16 && q.FieldReadBlockBegin()) {
            cursor[++depth] = 0;
        } else {
            q.FieldReadEnd();
        }
    }
}

std::string TempPath() {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/kqel_fuzz_" + std::to_string(getpid()) + ".qel";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = TempPath();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    KQel q;
    KQelFileHeaderInfo header;
    if (q.ProjectOpen(path.c_str(), false, true, &header)) {
        q.CheckPassword("pw");
        for (int s = -1; s < q.ProjectGetExtensionSectionCount(); ++s) {
            if (s < 0 ? q.ProjectOpenMainSection() : q.ProjectOpenExtensionSection(s)) {
                WalkSection(q);
                q.ProjectCloseSection();
            }
        }
        q.ProjectClose();
    }
    std::remove(path.c_str());
    return 0;
}
