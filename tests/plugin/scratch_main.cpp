// Runs the tests in a scratch working directory of their own, removed at the
// end, so settings files written by the module stay there. The directory
// holds a link qelvesk.so to the module when one is given, and
// "VESK_PLUG_IN_PATH" names it.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <ftw.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "plugin/scratch.h"

namespace {

std::string gScratch;

int RemoveEntry(const char* pPath, const struct stat*, int, struct FTW*)
{
    return std::remove(pPath);
}

} // namespace

const std::string& ScratchDir()
{
    return gScratch;
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const char* lBase = std::getenv("TMPDIR");
    std::string lPattern = std::string(lBase && *lBase ? lBase : "/tmp") + "/qelvesk-test-XXXXXX";
    std::vector<char> lBuffer(lPattern.begin(), lPattern.end());
    lBuffer.push_back('\0');
    if (!mkdtemp(lBuffer.data()) || chdir(lBuffer.data()) != 0) {
        std::fprintf(stderr, "cannot make a scratch directory\n");
        return 1;
    }
    gScratch = lBuffer.data();
#ifdef QELVESK_MODULE
    if (symlink(QELVESK_MODULE, (gScratch + "/qelvesk.so").c_str()) != 0) {
        std::fprintf(stderr, "cannot link the module\n");
        return 1;
    }
    setenv("VESK_PLUG_IN_PATH", gScratch.c_str(), 1);
#endif
    const int lResult = RUN_ALL_TESTS();
    nftw(gScratch.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    return lResult;
}
