// Helpers of the native reader and writer tests: a scene with its manager,
// hand-built field files, file and directory snapshots.
#ifndef QELSDK_TESTS_NATIVE_NATIVE_TEST_UTIL_H
#define QELSDK_TESTS_NATIVE_NATIVE_TEST_UTIL_H

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/scratch_dir.h"
#include "file/iqelobject.h"
#include "file/kqel.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace nativetest {

using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;
using native_detail::WriteBlock;
using native_detail::WriteFieldC;
using native_detail::WriteFieldD;
using native_detail::WriteFieldI;

// A manager and one scene of it.
struct SceneFixture {
    SceneFixture() : scene(manager.CreateKQelScene()) {}
    KQelSdkManager manager;
    KQelScene* scene;
};

// The names in a directory, sorted.
inline std::vector<std::string> Entries(const std::string& pDirectory)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(pDirectory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

typedef std::function<void(KQel&)> Filler;

// Writes a field file: pMain fills the main section, pSummary (when given) a
// "Summary" extension section (binary forms only). A text file gets header
// version pVersion whatever it is (the field file writes only 5800 or 6000).
inline void BuildFile(const std::string& pPath, int pVersion, bool pBinary, const Filler& pMain,
                      const Filler& pExtension = Filler())
{
    KQel file;
    KQelFileHeaderInfo header;
    header.mHeaderVersion = pVersion == 5800 ? 5800 : 6000;
    ASSERT_TRUE(file.ProjectCreate(pPath.c_str(), pBinary, false, &header));
    pMain(file);
    ASSERT_TRUE(file.ProjectCloseSection());
    if (pExtension && pBinary) {
        ASSERT_TRUE(file.ProjectCreateExtensionSection(false));
        pExtension(file);
        ASSERT_TRUE(file.ProjectCloseSection());
    }
    ASSERT_TRUE(file.ProjectClose());
    if (!pBinary && pVersion != header.mHeaderVersion) {
        std::string text = ReadFile(pPath);
        const std::string from = "Version: " + std::to_string(header.mHeaderVersion);
        text.replace(text.find(from), from.size(), "Version: " + std::to_string(pVersion));
        WriteFile(pPath, text);
    }
}

// "Definitions" listing the types, each once.
inline void WriteDefinitions(KQel& pFile, const std::vector<const char*>& pTypes)
{
    WriteBlock block(pFile, "Definitions");
    for (const char* type : pTypes)
        WriteFieldC(pFile, "ObjectType", type);
}

// One object of "Objects" (the caller opens "Objects"): type, name and
// sub-type, its block open for the scope.
class ObjectBlock {
public:
    ObjectBlock(KQel& pFile, const char* pType, const char* pName, const char* pSubType) : mFile(pFile)
    {
        pFile.FieldWriteBegin(pType);
        pFile.FieldWriteC(pName);
        pFile.FieldWriteC(pSubType);
        pFile.FieldWriteBlockBegin();
    }
    ~ObjectBlock()
    {
        mFile.FieldWriteBlockEnd();
        mFile.FieldWriteEnd();
    }

private:
    KQel& mFile;
};

// An object with an empty block.
inline void WriteObject(KQel& pFile, const char* pType, const char* pName, const char* pSubType)
{
    ObjectBlock block(pFile, pType, pName, pSubType);
}

inline void WriteConnect(KQel& pFile, const char* pKind, const char* pSource, const char* pDestination)
{
    pFile.FieldWriteBegin("Connect");
    pFile.FieldWriteC(pKind);
    pFile.FieldWriteC(pSource);
    pFile.FieldWriteC(pDestination);
    pFile.FieldWriteEnd();
}

// A model document of the current layout: the nodes named, each connected
// as the pairs say (child, parent; "Model::Scene" is the root).
inline Filler ModelDocument(const std::vector<const char*>& pNodes,
                            const std::vector<std::pair<const char*, const char*>>& pConnections)
{
    return [=](KQel& pFile) {
        WriteDefinitions(pFile, {"Model"});
        {
            WriteBlock objects(pFile, "Objects");
            for (const char* node : pNodes)
                WriteObject(pFile, "Model", node, "Null");
        }
        WriteBlock connections(pFile, "Connections");
        for (const auto& c : pConnections)
            WriteConnect(pFile, "OO", c.first, c.second);
    };
}

// Reads a file with a reader of its own under options of the reader (or
// default ones when it gives none), changed by pAdjust when given; answers
// the read's result.
struct ReadResult {
    bool mOk = false;
    int mError = -1;
    std::string mText;
};
inline ReadResult ReadInto(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pPath,
                           const char* pPassword = nullptr,
                           const std::function<void(KStreamOptionsQel&)>& pAdjust = nullptr)
{
    KQelImporter importer(pManager);
    KQelReaderQel reader(pManager, importer);
    ReadResult result;
    if (!reader.FileOpen(pPath.c_str())) {
        result.mError = reader.GetLastErrorID();
        result.mText = reader.GetLastErrorString();
        return result;
    }
    KStreamOptions* given = reader.GetReadOptions(true);
    KStreamOptionsQel options;
    KStreamOptionsQel* used = given ? static_cast<KStreamOptionsQel*>(given) : &options;
    if (pPassword)
        used->mPassword = pPassword;
    if (pAdjust)
        pAdjust(*used);
    result.mOk = reader.Read(pScene, used);
    result.mError = reader.GetLastErrorID();
    result.mText = reader.GetLastErrorString();
    if (given)
        given->Destroy();
    return result;
}

// Every prefix of the text file pWhole, in steps of 64 bytes, written to
// pCut and read into a new scene: each reads or fails with an error id.
inline void ExpectEveryCutReadsOrFails(const std::string& pWhole, const std::string& pCut)
{
    const std::string text = ReadFile(pWhole);
    for (std::size_t size = 64; size < text.size(); size += 64) {
        SCOPED_TRACE(size);
        WriteFile(pCut, text.substr(0, size));
        SceneFixture f;
        const ReadResult read = ReadInto(f.manager, *f.scene, pCut);
        if (!read.mOk) {
            EXPECT_NE(-1, read.mError);
        }
    }
}

// The names of the node's children, in order.
inline std::vector<std::string> ChildNames(KQelNode& pNode)
{
    std::vector<std::string> names;
    for (int i = 0; i < pNode.GetChildCount(); ++i)
        names.push_back(pNode.GetChild(i)->GetName());
    return names;
}

}  // namespace nativetest
}  // namespace qelsdk_600

#endif
