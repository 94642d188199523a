// libFuzzer target: the BVH reader (hierarchy, motion header and frame lines) over the input.
#include "motion/kqelmotionbvh.h"
#include "motion_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return motionfuzz::ReadInput<qelsdk_600::KQelReaderBiovision>(data, size, ".bvh");
}
