// Writes the seed corpus of aoa_fuzz: the hand-made AOA test file.
#include "motion_fuzz_seed.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    return motionfuzz::CopySeeds(argv[1], {"aoa/jump.aoa"}) ? 0 : 1;
}
