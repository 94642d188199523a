// Writes the seed corpus of brd_fuzz: the hand-made BRD test file.
#include "motion_fuzz_seed.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    return motionfuzz::CopySeeds(argv[1], {"brd/sensors.brd"}) ? 0 : 1;
}
