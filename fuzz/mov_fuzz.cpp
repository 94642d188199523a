// libFuzzer target: the MOV reader (row and column counts, rate estimate, rows) over the input.
#include "motion/kqelmotionmov.h"
#include "motion_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return motionfuzz::ReadInput<qelsdk_600::KQelReaderPellacordMov>(data, size, ".mov");
}
