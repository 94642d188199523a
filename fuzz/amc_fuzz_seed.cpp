// Writes the seed corpus of amc_fuzz: the hand-made AMC test file.
#include "motion_fuzz_seed.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    return motionfuzz::CopySeeds(argv[1], {"asf/walk.amc"}) ? 0 : 1;
}
