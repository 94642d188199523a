// libFuzzer target: the AMC reader (option scan, frames, bone lines and the merge into the nodes) over the
// input, against a fixed skeleton that an ASF read of the same scene left in the options.
#include "io/kstreamoptionsmotion.h"
#include "motion/kqelmotionasf.h"
#include "motion_fuzz.h"

namespace {

// The bones of the AMC seed: a root and a left leg with one to three
// rotations, a right leg with a translation and a rotation.
const char kSkeleton[] =
    ":name walker\n:units\nlength 1.0\nangle rad\n:root\norder TX TY TZ RX RY RZ\naxis XYZ\n"
    ":bonedata\n"
    "begin\nname lhip\ndirection 1 0 0\nlength 2\naxis 0 0 -10 XYZ\nend\n"
    "begin\nname lfemur\ndirection 0 -1 0\nlength 10\naxis 0 0 20 XYZ\ndof rx ry rz\nend\n"
    "begin\nname ltibia\ndirection 0 -1 0\nlength 10\naxis 0 0 20 XYZ\ndof rx\nend\n"
    "begin\nname rfemur\ndirection 0 -1 0\nlength 10\naxis 0 0 -20 XYZ\ndof tx rz\nend\n"
    ":hierarchy\nbegin\nlhip lfemur\nlfemur ltibia\nend\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qelsdk_600;
    static const std::string skeletonPath = [] {
        const std::string path = motionfuzz::TemporaryPath(".asf");
        motionfuzz::WriteBytes(path, kSkeleton, sizeof(kSkeleton) - 1);
        return path;
    }();
    static const std::string path = motionfuzz::TemporaryPath(".amc");
    if (!motionfuzz::WriteBytes(path, data, size))
        return 0;
    {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        KQelReaderAcclaimAsf asf(manager);
        KStreamOptions* skeleton = asf.FileOpen(skeletonPath.c_str()) ? asf.GetReadOptions(true) : nullptr;
        if (skeleton && asf.Read(*scene, skeleton)) {
            KQelReaderAcclaimAmc amc(manager);
            if (amc.FileOpen(path.c_str())) {
                KStreamOptions* options = amc.GetReadOptions(true);
                KStreamOptionsMotion defaults;
                KStreamOptionsMotion* motion = options ? static_cast<KStreamOptionsMotion*>(options) : &defaults;
                motion->SetASFScene(static_cast<KStreamOptionsMotion*>(skeleton)->GetASFScene(), false);
                amc.Read(*scene, motion);
                if (options)
                    options->Destroy();
            }
        }
        if (skeleton)
            skeleton->Destroy();
    }
    std::remove(path.c_str());
    return 0;
}
