// libFuzzer target: the BRD reader (records, their sorting and the frame span) over the input.
#include "motion/kqelmotionbrd.h"
#include "motion_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return motionfuzz::ReadInput<qelsdk_600::KQelReaderAscension>(data, size, ".brd");
}
