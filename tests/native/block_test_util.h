// Helpers of the geometry, attribute and media block tests: block-level
// access to the reader and writer, one "Model" block written and read back,
// and comparisons of layers.
#ifndef QELSDK_TESTS_NATIVE_BLOCK_TEST_UTIL_H
#define QELSDK_TESTS_NATIVE_BLOCK_TEST_UTIL_H

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "common/scratch_dir.h"
#include "content/kqelcamera.h"
#include "content/kqellayer.h"
#include "file/iqelobject.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace blocktest {

using scratch::ScratchDir;

// The writer's block operations on a file of the test's own.
class BlockWriter : public KQelWriterQel {
public:
    BlockWriter(KQelSdkManager& pManager, KQelExporter& pExporter) : KQelWriterQel(pManager, pExporter) {}
    ~BlockWriter() override
    {
        mFile = nullptr;
        mOptions = nullptr;
    }
    void Attach(IQelObject* pFile, KStreamOptionsQel* pOptions)
    {
        mFile = pFile;
        mOptions = pOptions;
    }
};

// The reader's block operations on a file of the test's own.
class BlockReader : public KQelReaderQel {
public:
    BlockReader(KQelSdkManager& pManager, KQelImporter& pImporter) : KQelReaderQel(pManager, pImporter) {}
    ~BlockReader() override
    {
        mFile = nullptr;
        mOptions = nullptr;
    }
    void Attach(IQelObject* pFile, KStreamOptionsQel* pOptions)
    {
        mFile = pFile;
        mOptions = pOptions;
    }
    // Whether a block refused data since the reader was made.
    bool Corrupt() const { return IsCorruptDataMarked(); }
    KArrayTemplate<KQelTexture*>& Textures() { return mTextures; }
    KQel& Fields() { return *mFile; }
};

// A manager with an importer, an exporter and default options.
struct Blocks {
    Blocks() : importer(manager), exporter(manager) {}
    KQelSdkManager manager;
    KQelImporter importer;
    KQelExporter exporter;
    KStreamOptionsQel options;
    ScratchDir dir;
};

// Writes a file of the older layout whose main section holds what pWrite
// writes (at the top level).
inline void WriteBlocks(Blocks& pBlocks, const std::string& pPath, bool pBinary,
                        const std::function<void(BlockWriter&, KQel&)>& pWrite)
{
    IQelObject* file = KQelObjectCreate();
    file->SetIsBeforeVersion6(true);
    KQelFileHeaderInfo header;
    header.mHeaderVersion = 5800;
    ASSERT_TRUE(file->ProjectCreate(pPath.c_str(), pBinary, false, &header));
    {
        BlockWriter writer(pBlocks.manager, pBlocks.exporter);
        writer.Attach(file, &pBlocks.options);
        pWrite(writer, *file);
    }
    EXPECT_EQ(file->GetLastErrorID(), -1);
    file->ProjectCloseSection();
    file->ProjectClose();
    delete file;
}

// Opens the file's main section (layout flag pOlder) and gives it to pRead.
inline void ReadBlocks(Blocks& pBlocks, const std::string& pPath, const std::function<void(BlockReader&, KQel&)>& pRead,
                       bool pOlder = true)
{
    IQelObject* file = KQelObjectCreate();
    ASSERT_TRUE(file->ProjectOpen(pPath.c_str(), false, false, nullptr));
    ASSERT_TRUE(file->ProjectOpenMainSection());
    file->SetIsBeforeVersion6(pOlder);
    {
        BlockReader reader(pBlocks.manager, pBlocks.importer);
        reader.Attach(file, &pBlocks.options);
        pRead(reader, *file);
    }
    file->ProjectClose();
    delete file;
}

// pWrite's fields in a "Model" block, then pRead inside that block.
inline void RoundTrip(Blocks& pBlocks, bool pBinary, const std::function<void(BlockWriter&)>& pWrite,
                      const std::function<void(BlockReader&)>& pRead)
{
    const std::string path = pBlocks.dir.File(pBinary ? "blocks.qel" : "blocks_text.qel");
    WriteBlocks(pBlocks, path, pBinary, [&](BlockWriter& pWriter, KQel& pFile) {
        native_detail::WriteBlock model(pFile, "Model", "Model::A");
        pWrite(pWriter);
    });
    ReadBlocks(pBlocks, path, [&](BlockReader& pReader, KQel& pFile) {
        native_detail::ReadBlock model(pFile, "Model");
        ASSERT_TRUE(model.IsOpen());
        pRead(pReader);
    });
}

// The names of the objects of a direct array.
template <class T>
std::vector<std::string> NamesOf(const KArrayTemplate<T*>& pObjects)
{
    std::vector<std::string> names;
    for (int i = 0; i < pObjects.GetCount(); ++i)
        names.push_back(pObjects[i] ? pObjects[i]->GetName() : "");
    return names;
}

template <class T>
std::vector<int> Values(const KArrayTemplate<T>& pArray)
{
    std::vector<int> values;
    for (int i = 0; i < pArray.GetCount(); ++i)
        values.push_back(static_cast<int>(pArray[i]));
    return values;
}


// Each camera value the block carries, read through its getter.
inline const std::vector<std::pair<const char*, std::function<double(KQelCamera&)>>> kCameraValues = {
    {"up y", [](KQelCamera& c) { return c.GetUpVector()[1]; }},
    {"look-at z", [](KQelCamera& c) { return c.GetDefaultCameraInterestPosition()[2]; }},
    {"roll", [](KQelCamera& c) { return c.GetRoll(); }},
    {"turntable", [](KQelCamera& c) { return c.GetTurnTable(); }},
    {"projection", [](KQelCamera& c) { return c.GetProjectionType(); }},
    {"format", [](KQelCamera& c) { return c.GetFormat(); }},
    {"aspect mode", [](KQelCamera& c) { return c.GetAspectRatioMode(); }},
    {"aspect width", [](KQelCamera& c) { return c.GetAspectWidth(); }},
    {"aspect height", [](KQelCamera& c) { return c.GetAspectHeight(); }},
    {"pixel ratio", [](KQelCamera& c) { return c.GetPixelRatio(); }},
    {"near", [](KQelCamera& c) { return c.GetNearPlane(); }},
    {"far", [](KQelCamera& c) { return c.GetFarPlane(); }},
    {"mouse lock", [](KQelCamera& c) { return c.GetMouseLock(); }},
    {"film format", [](KQelCamera& c) { return c.GetApertureFormat(); }},
    {"aperture mode", [](KQelCamera& c) { return c.GetApertureMode(); }},
    {"film width", [](KQelCamera& c) { return c.GetApertureWidth(); }},
    {"film height", [](KQelCamera& c) { return c.GetApertureHeight(); }},
    {"squeeze", [](KQelCamera& c) { return c.GetSqueezeRatio(); }},
    {"focal length", [](KQelCamera& c) { return c.GetFocalLength(); }},
    {"field of view x", [](KQelCamera& c) { return c.GetDefaultFieldOfViewX(); }},
    {"optical center y", [](KQelCamera& c) { return c.GetDefaultOpticalCenterY(); }},
    {"display mode", [](KQelCamera& c) { return c.GetBackgroundDisplayMode(); }},
    {"drawing mode", [](KQelCamera& c) { return c.GetBackgroundDrawingMode(); }},
    {"matte enable", [](KQelCamera& c) { return c.GetForegroundMatteThresholdEnable(); }},
    {"matte threshold", [](KQelCamera& c) { return c.GetForegroundMatteThreshold(); }},
    {"placement", [](KQelCamera& c) { return c.GetBackgroundPlacementOptions(); }},
    {"distance", [](KQelCamera& c) { return c.GetBackgroundDistance(); }},
    {"distance mode", [](KQelCamera& c) { return c.GetBackgroundDistanceMode(); }},
    {"view interest", [](KQelCamera& c) { return c.GetViewCameraInterest(); }},
    {"view planes", [](KQelCamera& c) { return c.GetViewNearFarPlanes(); }},
    {"grid", [](KQelCamera& c) { return c.GetShowGrid(); }},
    {"axis", [](KQelCamera& c) { return c.GetShowAxis(); }},
    {"name", [](KQelCamera& c) { return c.GetShowName(); }},
    {"info on moving", [](KQelCamera& c) { return c.GetShowInfoOnMoving(); }},
    {"time code", [](KQelCamera& c) { return c.GetShowTimeCode(); }},
    {"safe area", [](KQelCamera& c) { return c.GetDisplaySafeArea(); }},
    {"safe area style", [](KQelCamera& c) { return c.GetSafeAreaStyle(); }},
    {"safe area on render", [](KQelCamera& c) { return c.GetDisplaySafeAreaOnRender(); }},
    {"audio", [](KQelCamera& c) { return c.GetShowAudio(); }},
    {"background blue", [](KQelCamera& c) { return c.GetBackgroundColor().mBlue; }},
    {"audio red", [](KQelCamera& c) { return c.GetAudioColor().mRed; }},
    {"frame color used", [](KQelCamera& c) { return c.GetUseFrameColor(); }},
    {"frame green", [](KQelCamera& c) { return c.GetFrameColor().mGreen; }},
    {"depth of field", [](KQelCamera& c) { return c.GetUseDepthOfField(); }},
    {"focus source", [](KQelCamera& c) { return c.GetFocusDistanceSource(); }},
    {"focus angle", [](KQelCamera& c) { return c.GetFocusAngle(); }},
    {"specific distance", [](KQelCamera& c) { return c.GetSpecificDistance(); }},
    {"antialiasing", [](KQelCamera& c) { return c.GetUseAntialiasing(); }},
    {"antialiasing method", [](KQelCamera& c) { return c.GetAntialiasingMethod(); }},
    {"antialiasing intensity", [](KQelCamera& c) { return c.GetAntialiasingIntensity(); }},
    {"samples", [](KQelCamera& c) { return c.GetNumberOfSamples(); }},
    {"sampling type", [](KQelCamera& c) { return c.GetSamplingType(); }},
    {"accumulation", [](KQelCamera& c) { return c.GetUseAccumulationBuffer(); }},
    {"usage time", [](KQelCamera& c) { return c.GetRenderOptionsUsageTime(); }},
};

// A camera whose every value differs from a new camera's.
inline void SetCamera(KQelCamera& c)
{
    c.SetUpVector(KQelVector4(0, 0.5, 0.5, 1));
    c.SetDefaultCameraInterestPosition(KQelVector4(1, 2, 3, 1));
    c.SetRoll(12);
    c.SetTurnTable(7);
    c.SetProjectionType(KQelCamera::eOrthogonal);
    c.SetAspect(KQelCamera::eFixedResolution, 800, 600);
    c.SetPixelRatio(1.5);
    c.SetNearPlane(2);
    c.SetFarPlane(900);
    c.SetMouseLock(true);
    c.SetApertureMode(KQelCamera::eHorizontal);
    c.SetApertureWidth(1.1);
    c.SetApertureHeight(0.7);
    c.SetSqueezeRatio(1.2);
    c.SetFocalLength(50);
    c.SetDefaultFieldOfViewX(33);
    c.SetDefaultOpticalCenterY(4);
    c.SetBackgroundMediaName("back");
    c.SetBackgroundDisplayMode(KQelCamera::eAlways);
    c.SetBackgroundDrawingMode(KQelCamera::eBackgroundAndForeground);
    c.SetForegroundMatteThresholdEnable(false);
    c.SetForegroundMatteThreshold(0.25);
    c.SetBackgroundPlacementOptions(9);
    c.SetBackgroundDistance(55);
    c.SetBackgroundDistanceMode(KQelCamera::eRelativeToCamera);
    c.SetViewCameraInterest(false);
    c.SetViewNearFarPlanes(true);
    c.SetShowGrid(false);
    c.SetShowAxis(false);
    c.SetShowName(false);
    c.SetShowInfoOnMoving(false);
    c.SetShowTimeCode(true);
    c.SetDisplaySafeArea(true);
    c.SetSafeAreaStyle(KQelCamera::eRound);
    c.SetDisplaySafeAreaOnRender(true);
    c.SetShowAudio(true);
    c.SetBackgroundColor(KQelColor(0.1, 0.2, 0.3, 1));
    c.SetAudioColor(KQelColor(0.4, 0.5, 0.6, 1));
    c.SetUseFrameColor(true);
    c.SetFrameColor(KQelColor(0.7, 0.8, 0.9, 1));
    c.SetUseDepthOfField(true);
    c.SetFocusDistanceSource(KQelCamera::eSpecificDistance);
    c.SetFocusAngle(4.5);
    c.SetSpecificDistance(250);
    c.SetUseAntialiasing(true);
    c.SetAntialiasingMethod(static_cast<KQelCamera::ECameraAntialiasingMethod>(2));
    c.SetAntialiasingIntensity(0.6);
    c.SetNumberOfSamples(9);
    c.SetSamplingType(static_cast<KQelCamera::ECameraSamplingType>(3));
    c.SetUseAccumulationBuffer(true);
    c.SetRenderOptionsUsageTime(KQelCamera::eRealTime);
    // A preset format brings its own aspect and pixel ratio.
    c.SetFormat(KQelCamera::ePAL);
}

}  // namespace blocktest
}  // namespace qelsdk_600

#endif
