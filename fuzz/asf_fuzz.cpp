// libFuzzer target: the ASF reader (sections, bone blocks, hierarchy, dummy removal and the nodes made) over the
// input.
#include "motion/kqelmotionasf.h"
#include "motion_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return motionfuzz::ReadInput<qelsdk_600::KQelReaderAcclaimAsf>(data, size, ".asf");
}
