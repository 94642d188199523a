// Writes the seed corpus of vpm_fuzz: the hand-made VPM test file.
#include "motion_fuzz_seed.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    return motionfuzz::CopySeeds(argv[1], {"vpm/two.vpm"}) ? 0 : 1;
}
