// What reads and writes must never do: change the file read, change the
// scene of a refused read, replace a good file with a failed one, nest
// without end.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/kqelexporter.h"
#include "io/kqelio_impl.h"
#include "io/kstreamoptionsbase.h"
#include "io/kstreamoptionsmotion.h"
#include "native/writer/kqelwriterqel.h"
#include "native_test_util.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {
namespace nativetest {
namespace {

// An older-layout binary file of one take "Walk", written by the exporter.
void ExportTakeFile(const std::string& pPath, const char* pPassword = nullptr)
{
    SceneFixture f;
    f.scene->CreateTake("Walk");
    KQelTakeInfo walk;
    walk.mName = "Walk";
    walk.mDescription = "before";
    f.scene->SetTakeInfo(walk);
    KQelExporter exporter(f.manager);
    exporter.SetFileFormat(KQelExporter::eQel5Binary);
    if (pPassword)
        exporter.SetPassword(pPassword);
    exporter.Initialize(pPath.c_str());
    ASSERT_TRUE(exporter.Export(*f.scene));
}

TEST(Safety, EveryReadPathLeavesTheFileByteForByte)
{
    ScratchDir dir;
    const std::string summary = dir.File("summary.qel");
    const std::string bare = dir.File("bare.qel");
    const std::string locked = dir.File("locked.qel");
    ExportTakeFile(summary);
    ExportTakeFile(locked, "secret");
    BuildFile(bare, 6000, true, ModelDocument({"Model::A"}, {{"Model::A", "Model::Scene"}}));

    for (const std::string& path : {summary, bare, locked}) {
        SCOPED_TRACE(path);
        const std::string before = ReadFile(path);
        SceneFixture f;
        KQelImporter importer(f.manager);
        KQelReaderQel reader(f.manager, importer);
        ASSERT_TRUE(reader.FileOpen(path.c_str()));
        KStreamOptions* quick = reader.GetReadOptions(false);
        EXPECT_EQ(path == bare, quick == nullptr);  // no summary is ever appended
        KStreamOptions* scanned = reader.GetReadOptions(true);
        ASSERT_NE(nullptr, scanned);
        KStreamOptions* quickAgain = reader.GetReadOptions(false);
        EXPECT_EQ(nullptr == quick, nullptr == quickAgain);
        EXPECT_EQ(path != locked, reader.Read(*f.scene, scanned));  // no password given
        // A second read of the open file meets nothing of the first.
        EXPECT_EQ(path != locked, reader.Read(*f.scene, scanned));
        if (path == bare) {
            EXPECT_EQ((std::vector<std::string>{"Model::A"}), ChildNames(*f.scene->GetRootNode()));
        }
        EXPECT_TRUE(ReadFile(path) == before);
        KStreamOptions* again = reader.GetReadOptions(true);
        EXPECT_NE(nullptr, again);
        EXPECT_TRUE(reader.FileClose());
        EXPECT_TRUE(ReadFile(path) == before);
        for (KStreamOptions* options : {quick, quickAgain, scanned, again}) {
            if (options)
                options->Destroy();
        }
    }
}

TEST(Safety, UpdateImportOptionsRewritesTheTakeRecordsOfABinaryFile)
{
    ScratchDir dir;
    const std::string path = dir.File("update.qel");
    ExportTakeFile(path);
    {
        SceneFixture f;
        KQelImporter importer(f.manager);
        ASSERT_TRUE(importer.Initialize(path.c_str()));
        auto* options = static_cast<KStreamOptionsQel*>(importer.GetImportOptions());
        ASSERT_EQ(1, options->mTakeInfo.GetCount());
        options->mTakeInfo[0]->mDescription = "after";
        EXPECT_TRUE(importer.UpdateImportOptions(options));
        importer.ReleaseImportOptions(options);
    }
    SceneFixture f;
    KQelImporter importer(f.manager);
    ASSERT_TRUE(importer.Initialize(path.c_str()));
    ASSERT_EQ(1, importer.GetTakeCount());
    EXPECT_STREQ("after", importer.GetTakeInfo(0)->mDescription.Buffer());
}

// A password listener as the host would install one.
struct PasswordGiver : IQelObjectListener {
    void QelObjectEvent(IQelObject* pObject, int pEvent) override
    {
        if (pEvent == kQelObjectEventPasswordNeeded)
            pObject->CheckPassword("secret");
    }
};

TEST(Safety, RefusedReadsLeaveTheSceneAsItWas)
{
    ScratchDir dir;
    const std::string locked = dir.File("locked.qel");
    ExportTakeFile(locked, "secret");
    const struct {
        const char* mName;
        bool mOpen;
        bool mMotionOptions;
        int mError;
    } cases[] = {{"foreign options", true, true, KQelReader::eStreamOptionsNotSet},
                 {"no file", false, false, KQelReader::eFileNotOpened},
                 {"wrong password", true, false, KQelReader::eWrongPassword}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        SceneFixture f;
        KQelNode* kept = f.manager.CreateKQelNode("Kept");
        f.scene->GetRootNode()->AddChild(kept);
        KQelImporter importer(f.manager);
        KQelReaderQel reader(f.manager, importer);
        if (c.mOpen) {
            ASSERT_TRUE(reader.FileOpen(locked.c_str()));
        }
        KStreamOptionsMotion motion;
        KStreamOptionsQel native;
        native.mPassword = "wrong";
        KStreamOptions* options = c.mMotionOptions ? static_cast<KStreamOptions*>(&motion) : &native;
        EXPECT_FALSE(reader.Read(*f.scene, options));
        EXPECT_EQ(c.mError, reader.GetLastErrorID());
        EXPECT_EQ(kept, f.scene->GetRootNode()->GetChild(0));
    }

    SceneFixture f;
    KQelImporter importer(f.manager);
    importer.SetPassword("wrong");
    ASSERT_TRUE(importer.Initialize(locked.c_str()));
    EXPECT_FALSE(importer.Import(*f.scene));
    EXPECT_EQ(KQelIO::ePasswordError, importer.GetLastErrorID());
    EXPECT_STREQ("File is password protected and the provided password is wrong.", importer.GetLastErrorString());

    PasswordGiver giver;
    KQelObject_AddListener(&giver);
    EXPECT_TRUE(importer.Import(*f.scene));
    KQelObject_RemoveListener(&giver);
}

TEST(Safety, ReadsStackSixteenDeepOnOneFile)
{
    ScratchDir dir;
    const std::string path = dir.File("nested.qel");
    BuildFile(path, 6000, true, ModelDocument({"Model::A"}, {{"Model::A", "Model::Scene"}}));
    IQelObject* file = KQelObjectCreate();
    ASSERT_TRUE(file->ProjectOpenDirect(path.c_str(), false, true, nullptr));
    for (int i = 0; i < 16; ++i)
        file->ObjectRegistryPush();
    SceneFixture f;
    KQelImporter importer(f.manager);
    KStreamOptionsQel options;
    EXPECT_FALSE(importer.Import(*f.scene, &options, file));
    KQelReaderQel reader(f.manager, importer);
    EXPECT_FALSE(reader.Read(*f.scene, &options, file));
    EXPECT_EQ(KQelReader::eFileCorrupted, reader.GetLastErrorID());
    EXPECT_EQ(16, file->ObjectRegistryGetDepth());
    file->ObjectRegistryPop();
    EXPECT_TRUE(reader.Read(*f.scene, &options, file));
    EXPECT_EQ((std::vector<std::string>{"Model::A"}), ChildNames(*f.scene->GetRootNode()));
    EXPECT_EQ(15, file->ObjectRegistryGetDepth());
    delete file;
}

// A writer that breaks its field file when the models are reached, as a
// full disk would after the first blocks.
class BreakingWriter : public KQelWriterQel {
public:
    using KQelWriterQel::KQelWriterQel;
    static BreakingWriter* sLast;
    static void Break(const char*, const char* pMessage, float, void*)
    {
        if (sLast && pMessage && std::string(pMessage) == "Storing models")
            sLast->mFile->FieldWriteBegin("");
    }
};
BreakingWriter* BreakingWriter::sLast = nullptr;

KQelWriter* MakeBreakingWriter(KQelSdkManager& pManager, KQelExporter& pExporter, int)
{
    BreakingWriter::sLast = new BreakingWriter(pManager, pExporter);
    return BreakingWriter::sLast;
}

TEST(Safety, AFailedWriteKeepsThePreviousFileAndLeavesNothingElse)
{
    const struct {
        const char* mName;
        int mOptions;  // 0 none, 1 foreign, 2 native that break the file
    } cases[] = {{"null options", 0}, {"foreign options", 1}, {"file error after a block", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        for (auto format : {KQelExporter::eQel5Binary, KQelExporter::eQel5Ascii}) {
            ScratchDir dir;
            const std::string path = dir.File("keep.qel");
            WriteFile(path, "the previous file");
            SceneFixture f;
            KQelExporter exporter(f.manager);
            exporter.SetFileFormat(format);
            exporter.Initialize(path.c_str());
            KStreamOptionsDxf foreign;
            KStreamOptionsQel native;
            native.SetProgressCallback(&BreakingWriter::Break, nullptr);
            if (c.mOptions == 2)
                io_detail::SetWriterMaker(&MakeBreakingWriter);
            KStreamOptions* options = c.mOptions == 0   ? nullptr
                                      : c.mOptions == 1 ? static_cast<KStreamOptions*>(&foreign)
                                                        : &native;
            // Without options the exporter uses its own, so the writer is
            // driven directly for that case.
            if (options) {
                EXPECT_FALSE(exporter.Export(*f.scene, options));
                EXPECT_EQ(KQelIO::eOutOfDiskSpace, exporter.GetLastErrorID());
            } else {
                KQelWriterQel writer(f.manager, exporter);
                writer.SetExportMode(format == KQelExporter::eQel5Binary ? KQelWriterQel::eBINARY
                                                                         : KQelWriterQel::eASCII);
                ASSERT_TRUE(writer.FileCreate(path.c_str()));
                EXPECT_FALSE(writer.Write(*f.scene, nullptr));
                EXPECT_EQ(KQelWriter::eStreamOptionsNotSet, writer.GetLastErrorID());
            }
            io_detail::SetWriterMaker(nullptr);
            BreakingWriter::sLast = nullptr;
            EXPECT_EQ("the previous file", ReadFile(path));
            EXPECT_EQ((std::vector<std::string>{"keep.qel"}), Entries(dir.Path()));
        }
    }
}

}  // namespace
}  // namespace nativetest
}  // namespace qelsdk_600
