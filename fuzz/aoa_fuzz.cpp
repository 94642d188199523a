// libFuzzer target: the AOA reader (which reads MCD files alike) over the
// input.
#include "motion/kqelmotionaoa.h"
#include "motion_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return motionfuzz::ReadInput<qelsdk_600::KQelReaderAdaptiveOptics>(data, size, ".aoa", false);
}
