// libFuzzer target: the VPM reader (segment headers and frame lines) over the input.
#include "motion/kqelmotionvpm.h"
#include "motion_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return motionfuzz::ReadInput<qelsdk_600::KQelReaderPuppeteer>(data, size, ".vpm");
}
