// Writes the seed corpus of c3d_fuzz: the six hand-made C3D test files (each
// processor form, integer and float samples).
#include "motion_fuzz_seed.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    return motionfuzz::CopySeeds(argv[1], {"c3d/hand_intel_int.c3d", "c3d/hand_intel_real.c3d", "c3d/hand_dec_int.c3d",
                                           "c3d/hand_dec_real.c3d", "c3d/hand_mips_int.c3d", "c3d/hand_mips_real.c3d"})
               ? 0
               : 1;
}
