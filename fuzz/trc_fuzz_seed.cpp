// Writes the seed corpus of trc_fuzz: the hand-made TRC test file.
#include "motion_fuzz_seed.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    return motionfuzz::CopySeeds(argv[1], {"trc/walk.trc"}) ? 0 : 1;
}
