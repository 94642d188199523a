// Shared by the motion-format seed programs: copies test files of the
// project (tests/data) into the corpus directory.
#ifndef QELSDK_FUZZ_MOTION_FUZZ_SEED_H
#define QELSDK_FUZZ_MOTION_FUZZ_SEED_H

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

namespace motionfuzz {

// Copies each file named relative to tests/data into pDirectory; false when
// one cannot be read or written.
inline bool CopySeeds(const char* pDirectory, std::initializer_list<const char*> pFiles)
{
    bool ok = true;
    int index = 0;
    for (const char* name : pFiles) {
        std::ifstream in(std::string(QEL_TEST_DATA_DIR) + "/" + name, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream out(std::string(pDirectory) + "/seed" + std::to_string(index++), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ok = ok && in.good() && !bytes.empty() && out.good();
    }
    return ok;
}

}  // namespace motionfuzz

#endif
