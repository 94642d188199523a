// Failures of the version-6 writer, what a write leaves in the scene, deep
// trees and progress.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/file_size_limit.h"
#include "common/small_stack.h"
#include "content/kqeldeformer.h"
#include "file/iqelobject.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsbase.h"
#include "io/kstreamoptionsmotion.h"
#include "scene/kqelentity.h"
#include "native/writer6_test_util.h"

namespace qelsdk_600 {
namespace writer6test {
namespace {

int FileCount(const std::string& pDirectory)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(pDirectory)) {
        (void)entry;
        ++count;
    }
    return count;
}

// Records the percentages the writer reports.
class RecordingExporter : public KQelExporter {
public:
    explicit RecordingExporter(KQelSdkManager& pManager) : KQelExporter(pManager) {}
    void ProgressUpdate(const char*, const char*, const char*, float pPercent) override
    {
        mPercents.push_back(pPercent);
    }
    std::vector<float> mPercents;
};

enum class Failure { kNullOptions, kForeignOptions, kNoFile, kEmptyName, kMissingDirectory, kDiskFull, kSecondWrite };

TEST(Writer6Failure, FailedWritesLeaveTheFileAtThePathAsItWas)
{
    const struct {
        Failure mFailure;
        bool mCreated;  // FileCreate succeeds
        int mError;     // writer error after the failing call
    } cases[] = {
        {Failure::kNullOptions, true, KQelWriter::eStreamOptionsNotSet},
        {Failure::kForeignOptions, true, KQelWriter::eStreamOptionsNotSet},
        {Failure::kNoFile, false, KQelWriter::eFileNotCreated},
        {Failure::kEmptyName, false, KQelWriter::eFileNotCreated},
        {Failure::kMissingDirectory, false, KQelWriter::eFileNotCreated},
        {Failure::kDiskFull, true, KQelWriter::eOutOfDiskSpace},
        {Failure::kSecondWrite, true, KQelWriter::eFileNotCreated},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mFailure));
        ScratchDir dir;
        const std::string path = dir.File("scene.qel");
        WriteFile(path, "the previous file");
        SceneFixture f;
        KQelNode* parent = f.Root();
        for (int i = 0; i < 2000; ++i)  // about a megabyte of text
            parent = f.AddNode(("Node" + std::to_string(i)).c_str(), parent);

        KQelExporter exporter(f.manager);
        auto writer = std::make_unique<KQelWriterQel6>(f.manager, exporter);
        writer->SetExportMode(KQelWriterQel6::eAscii);
        KStreamOptionsQel qelOptions;
        std::unique_ptr<KStreamOptionsObj> foreign(KStreamOptionsObjCreate());
        KStreamOptions* options = &qelOptions;
        if (c.mFailure == Failure::kNullOptions)
            options = nullptr;
        if (c.mFailure == Failure::kForeignOptions)
            options = foreign.get();

        const char* name = path.c_str();
        const std::string missing = dir.File("no/such/dir/scene.qel");
        if (c.mFailure == Failure::kEmptyName)
            name = "";
        if (c.mFailure == Failure::kMissingDirectory)
            name = missing.c_str();
        if (c.mFailure != Failure::kNoFile) {
            EXPECT_EQ(writer->FileCreate(name), c.mCreated);
            if (!c.mCreated) {
                EXPECT_EQ(writer->GetLastErrorID(), KQelWriter::eFileNotCreated);
            }
        }
        EXPECT_EQ(writer->IsFileOpen(), c.mCreated);

        if (c.mFailure == Failure::kSecondWrite) {
            ASSERT_TRUE(writer->Write(f.scene, options));
            EXPECT_FALSE(writer->Write(f.scene, options));
        } else if (c.mFailure == Failure::kDiskFull) {
            FileSizeLimit limit(64 * 1024);
            EXPECT_FALSE(writer->Write(f.scene, options));
        } else {
            EXPECT_FALSE(writer->Write(f.scene, options));
        }
        EXPECT_EQ(writer->GetLastErrorID(), c.mError);
        writer.reset();  // closes through the destructor

        if (c.mFailure == Failure::kSecondWrite) {
            EXPECT_TRUE(TopLevel(path).size() == 6u);  // the first write stands
        } else {
            EXPECT_EQ(ReadFile(path), "the previous file");
        }
        EXPECT_EQ(FileCount(dir.Path()), 1);
    }
}

// A file object of the caller: an error it held before the write does not
// count, nothing is closed, and no summary follows the document.
TEST(Writer6Failure, WriteIntoTheCallersFileIgnoresItsOldError)
{
    ScratchDir dir;
    SceneFixture f;
    const std::string path = dir.File("nested.qel");
    std::unique_ptr<IQelObject> file(KQelObjectCreate());
    ASSERT_TRUE(file->ProjectCreate(path.c_str(), true, false, nullptr));
    file->FieldWriteBegin("");  // refused: an error before the write
    ASSERT_GE(file->GetLastErrorID(), 0);
    KQelExporter exporter(f.manager);
    KQelWriterQel6 writer(f.manager, exporter);
    KStreamOptionsQel options;
    EXPECT_TRUE(writer.Write(f.scene, &options, file.get()));
    EXPECT_FALSE(writer.IsFileOpen());
    EXPECT_TRUE(file->ProjectCloseSection());  // still open for the caller
    ASSERT_TRUE(file->ProjectClose());
    KQel read;
    ASSERT_TRUE(read.ProjectOpen(path.c_str(), true, true, nullptr));
    EXPECT_EQ(read.ProjectGetExtensionSectionCount(), 0);
}

TEST(Writer6Failure, FileCloseWithoutFileIsRefused)
{
    SceneFixture f;
    KQelExporter exporter(f.manager);
    KQelWriterQel6 writer(f.manager, exporter);
    EXPECT_FALSE(writer.FileClose());
    EXPECT_EQ(writer.GetLastErrorID(), KQelWriter::eFileNotOpened);
}

TEST(Writer6Failure, MotionOptionsKeepOnlyAnimationAndVideos)
{
    ScratchDir dir;
    SceneFixture f;
    f.scene.CreateCharacter("Hero");
    const std::string path = dir.File("motion.qel");
    KQelExporter exporter(f.manager);
    KQelWriterQel6 writer(f.manager, exporter);
    writer.SetExportMode(KQelWriterQel6::eAscii);
    std::unique_ptr<KStreamOptionsMotion> motion(KStreamOptionsMotionCreate());
    ASSERT_TRUE(writer.FileCreate(path.c_str()));
    ASSERT_TRUE(writer.Write(f.scene, motion.get()));
    ASSERT_TRUE(writer.FileClose());
    EXPECT_EQ(TopLevel(path), (Values{"Definitions", "Objects", "Relations", "Connections", "Takes"}));
    ReadBack read(path);
    ASSERT_TRUE(read.Enter("Definitions"));
    EXPECT_EQ(read.Field("Count"), Values{"I:8"});
    read.Leave();
}

TEST(Writer6Failure, CallersDeformersSurviveTheWrite)
{
    ScratchDir dir;
    SceneFixture f;
    KQelDeformer* own = f.manager.CreateKQelDeformer("Own", "Skin");
    KQelDeformer* cluster = f.manager.CreateKQelDeformer("Part", "Cluster");
    for (KQelDeformer* deformer : {own, own, cluster})
        ASSERT_TRUE(f.scene.AddDeformer(deformer));
    ASSERT_TRUE(WriteScene(f, dir.File("deformers.qel"), KQelWriterQel6::eAscii));
    ASSERT_EQ(f.scene.GetDeformerCount(0), 2);
    EXPECT_EQ(f.scene.GetDeformer(0, 0), own);
    EXPECT_EQ(f.scene.GetDeformer(1, 0), cluster);
    EXPECT_EQ(f.scene.GetEntity()->GetReferenceUseCount(KQelEntity::eDeformers, own), 2);
}

// Every walk of the writer (model blocks, relations, connections, takes)
// goes through a deep chain on a 128 KB stack, which a walk that took even
// 16 bytes of stack per level would overflow; the reader rebuilds the whole
// chain. (A node of the scene model takes about 45 KB, so the chain stays
// at 10,000 levels: one of 100,000 needs some 4.5 GB per scene, more than
// the 32-bit leg can address; bench/native_bench.cpp writes and reads it.)
TEST(Writer6Failure, DeepChainWritesAndReadsBackOnASmallStack)
{
    struct Work {
        SceneFixture f;
        SceneFixture read;
        ScratchDir dir;
        bool mWritten = false;
        bool mRead = false;
    } work;
    ASSERT_TRUE(work.f.scene.CreateTake("Take"));
    KQelNode* parent = work.f.Root();
    const int depth = 10000;
    for (int i = 0; i < depth; ++i)
        parent = work.f.AddNode(("N" + std::to_string(i)).c_str(), parent);
    smallstack::OnSmallStack(
        [](void* pWork) {
            Work& w = *static_cast<Work*>(pWork);
            const std::string path = w.dir.File("deep.qel");
            w.mWritten = WriteScene(w.f, path, KQelWriterQel6::eBinary);
            KQelImporter importer(w.read.manager);
            w.mRead = w.mWritten && importer.Initialize(path.c_str()) && importer.Import(w.read.scene);
        },
        &work);
    ASSERT_TRUE(work.mWritten);
    ASSERT_TRUE(work.mRead);
    int levels = 0;
    for (KQelNode* node = work.read.Root(); node->GetChildCount() > 0; node = node->GetChild(0)) {
        ASSERT_EQ(node->GetChildCount(), 1);
        ASSERT_STREQ(node->GetChild(0)->GetName(), ("Model::N" + std::to_string(levels)).c_str());
        ++levels;
    }
    EXPECT_EQ(levels, depth);
}

TEST(Writer6Failure, ProgressStaysWithinZeroAndHundred)
{
    ScratchDir dir;
    SceneFixture f;
    f.AddNode("A");
    ASSERT_TRUE(f.scene.CreateTake("Walk"));
    RecordingExporter exporter(f.manager);
    KQelWriterQel6 writer(f.manager, exporter);
    KStreamOptionsQel options;
    ASSERT_TRUE(writer.FileCreate(dir.File("progress.qel").c_str()));
    ASSERT_TRUE(writer.Write(f.scene, &options));
    ASSERT_FALSE(exporter.mPercents.empty());
    for (float percent : exporter.mPercents) {
        EXPECT_GE(percent, 0.0f);
        EXPECT_LE(percent, 100.0f);
    }
}

TEST(Writer6Failure, ExporterMakesTheWriterOfEachForm)
{
    const struct {
        KQelExporter::EFileFormat mFormat;
        bool mText;
        bool mSummary;
    } cases[] = {
        {KQelExporter::eQelBinary, false, true},
        {KQelExporter::eQelAscii, true, false},
        {KQelExporter::eQelEncrypted, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mFormat);
        ScratchDir dir;
        SceneFixture f;
        const std::string path = dir.File("export.qel");
        KQelExporter exporter(f.manager);
        exporter.Initialize(path.c_str());
        exporter.SetFileFormat(c.mFormat);
        ASSERT_TRUE(exporter.Export(f.scene));
        EXPECT_EQ(ReadFile(path).rfind("; QEL text file", 0) == 0, c.mText);
        KQel file;
        ASSERT_TRUE(file.ProjectOpen(path.c_str(), false, true, nullptr));
        EXPECT_EQ(file.IsEncrypted(), c.mFormat == KQelExporter::eQelEncrypted);
        EXPECT_EQ(file.ProjectGetExtensionSectionCount(), c.mSummary ? 1 : 0);
    }
}

}  // namespace
}  // namespace writer6test
}  // namespace qelsdk_600
