// Every motion writer reports a file the device could not take.
#include <functional>
#include <memory>

#include "motion/kqelmotionaoa.h"
#include "motion/kqelmotionasf.h"
#include "motion/kqelmotionbrd.h"
#include "motion/kqelmotionbvh.h"
#include "motion/kqelmotionc3d.h"
#include "motion/kqelmotionhtr.h"
#include "motion/kqelmotionmov.h"
#include "motion/kqelmotiontrc.h"
#include "motion/kqelmotionvpm.h"
#include "motion_test_util.h"

namespace qelsdk_600 {
namespace {

typedef std::function<KQelWriter*(KQelSdkManager&)> MakeWriter;

template <class Writer>
MakeWriter Make()
{
    return [](KQelSdkManager& pManager) { return new Writer(pManager); };
}

class MotionWriters : public motiontest::MarkerTest {};

TEST_F(MotionWriters, WritesToAFullDeviceFailAsOutOfDiskSpace)
{
    KQelNode* hips = motiontest::AddLimbNode(mFixture.mManager, mFixture.mScene->GetRootNode(), "Hips", KQelVector4());
    hips->SetSelected(true);
    motiontest::AddLimbNode(mFixture.mManager, hips, "Head", KQelVector4(0, 10, 0, 0))->SetSelected(true);
    const struct {
        const char* mFormat;
        MakeWriter mMake;
    } writers[] = {
        {"TRC", Make<KQelWriterMotionAnalysisTrc>()}, {"AOA", [](KQelSdkManager& pManager) -> KQelWriter* { return new KQelWriterAdaptiveOptics(pManager, false); }},
        {"C3D", Make<KQelWriterVicon>()},             {"BVH", Make<KQelWriterBiovision>()},
        {"VPM", Make<KQelWriterPuppeteer>()},         {"MOV", Make<KQelWriterPellacordMov>()},
        {"BRD", Make<KQelWriterAscension>()},         {"HTR", Make<KQelWriterMotionAnalysisHtr>()},
        {"ASF", Make<KQelWriterAcclaimAsf>()},        {"AMC", Make<KQelWriterAcclaimAmc>()},
    };
    // AMC writes the skeleton an ASF write leaves in its options.
    KQelWriterAcclaimAsf asf(mFixture.mManager);
    KStreamOptionsMotion* skeleton = static_cast<KStreamOptionsMotion*>(asf.GetWriteOptions());
    ASSERT_TRUE(asf.FileCreate(mDir.File("skeleton.asf").c_str()));
    ASSERT_TRUE(asf.Write(*mFixture.mScene, skeleton));
    for (const auto& w : writers) {
        SCOPED_TRACE(w.mFormat);
        std::unique_ptr<KQelWriter> writer(w.mMake(mFixture.mManager));
        const bool amc = std::string(w.mFormat) == "AMC";
        KStreamOptionsMotion* options = amc ? skeleton : static_cast<KStreamOptionsMotion*>(writer->GetWriteOptions());
        options->SetFrameCount(3);
        ASSERT_TRUE(writer->FileCreate(mDir.File("ok").c_str()));
        EXPECT_TRUE(writer->Write(*mFixture.mScene, options));
        EXPECT_NE("", motiontest::ReadFile(mDir.File("ok")));
        ASSERT_TRUE(writer->FileCreate("/dev/full"));
        EXPECT_FALSE(writer->Write(*mFixture.mScene, options));
        EXPECT_EQ(KQelWriter::eOutOfDiskSpace, writer->GetLastErrorID());
        if (!amc)
            options->Destroy();
    }
    skeleton->Destroy();
}

}  // namespace
}  // namespace qelsdk_600
