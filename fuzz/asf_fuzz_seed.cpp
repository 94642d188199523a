// Writes the seed corpus of asf_fuzz: the hand-made ASF test file.
#include "motion_fuzz_seed.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    return motionfuzz::CopySeeds(argv[1], {"asf/walker.asf"}) ? 0 : 1;
}
