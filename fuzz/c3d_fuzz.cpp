// libFuzzer target: the C3D reader over the input: header, parameter
// records and their values, point and analog data in every processor form.
#include "motion/kqelmotionc3d.h"
#include "motion_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return motionfuzz::ReadInput<qelsdk_600::KQelReaderVicon>(data, size, ".c3d");
}
