// libFuzzer target: the TRC reader over the input (no time-code file).
#include "motion/kqelmotiontrc.h"
#include "motion_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    qelsdk_600::KQelReaderMotionAnalysisTrc::smLoadTCFile = false;
    return motionfuzz::ReadInput<qelsdk_600::KQelReaderMotionAnalysisTrc>(data, size, ".trc");
}
