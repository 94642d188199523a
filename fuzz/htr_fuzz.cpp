// libFuzzer target: the HTR reader (header, hierarchy, base positions, frame sections and the rotation-offset
// minimisation) over the input.
#include "motion/kqelmotionhtr.h"
#include "motion_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return motionfuzz::ReadInput<qelsdk_600::KQelReaderMotionAnalysisHtr>(data, size, ".htr");
}
