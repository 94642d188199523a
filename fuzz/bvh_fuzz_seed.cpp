// Writes the seed corpus of bvh_fuzz: the hand-made BVH test file.
#include "motion_fuzz_seed.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    return motionfuzz::CopySeeds(argv[1], {"bvh/turns.bvh"}) ? 0 : 1;
}
