// Helpers of the geometry, attribute and media block tests: block-level
// access to the reader and writer, one "Model" block written and read back,
// and comparisons of layers.
#ifndef QELSDK_TESTS_NATIVE_READER28_TEST_UTIL_H
#define QELSDK_TESTS_NATIVE_READER28_TEST_UTIL_H

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "common/scratch_dir.h"
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

}  // namespace blocktest
}  // namespace qelsdk_600

#endif
