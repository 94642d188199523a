// Writes the seed corpus of htr_fuzz: the hand-made HTR test files.
#include "motion_fuzz_seed.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    return motionfuzz::CopySeeds(argv[1], {"htr/chain.htr", "htr/rotated.htr"}) ? 0 : 1;
}
