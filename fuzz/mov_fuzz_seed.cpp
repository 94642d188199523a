// Writes the seed corpus of mov_fuzz: the hand-made MOV test file.
#include "motion_fuzz_seed.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    return motionfuzz::CopySeeds(argv[1], {"mov/grid.mov"}) ? 0 : 1;
}
