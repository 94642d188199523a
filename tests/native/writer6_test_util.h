// Shared pieces of the version-6 writer tests: writing a scene to a file and
// looking at what the file holds through the field file (object blocks found
// by name, values as numbers).
#ifndef QELSDK_TESTS_NATIVE_WRITER6_TEST_UTIL_H
#define QELSDK_TESTS_NATIVE_WRITER6_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/scratch_dir.h"
#include "file/kqel.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/kqelwriterqel6.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace writer6test {

using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;
using Values = std::vector<std::string>;

// A manager with one scene.
struct SceneFixture {
    SceneFixture() : scene(*manager.CreateKQelScene()) {}
    KQelNode* Root() { return scene.GetRootNode(); }
    // A new node named pName under pParent (the root when null).
    KQelNode* AddNode(const char* pName, KQelNode* pParent = nullptr)
    {
        KQelNode* node = manager.CreateKQelNode(pName);
        (pParent ? pParent : Root())->AddChild(node);
        return node;
    }

    KQelSdkManager manager;
    KQelScene& scene;
};

// Writes the scene into pPath in pMode with pOptions (defaults when null);
// true when the create, the write and the close all succeeded.
inline bool WriteScene(SceneFixture& pFixture, const std::string& pPath, KQelWriterQel6::EExportMode pMode,
                       KStreamOptionsQel* pOptions = nullptr)
{
    KQelExporter exporter(pFixture.manager);
    KQelWriterQel6 writer(pFixture.manager, exporter);
    writer.SetExportMode(pMode);
    KStreamOptionsQel defaults;
    if (!writer.FileCreate(pPath.c_str()))
        return false;
    const bool written = writer.Write(pFixture.scene, pOptions ? pOptions : &defaults);
    return writer.FileClose() && written;
}

// pOriginal's scene exported in binary form, then that file and pEarlier
// (a file of tests/data/native/ that an earlier writer made of the same
// scene) imported into pNow and pEarlierRead.
inline void ReadBothRevisions(SceneFixture& pOriginal, const char* pEarlier, SceneFixture& pEarlierRead,
                              SceneFixture& pNow)
{
    ScratchDir dir;
    const std::string current = dir.File("current.qel");
    KQelExporter exporter(pOriginal.manager);
    exporter.Initialize(current.c_str());
    exporter.SetFileFormat(KQelExporter::eQelBinary);
    KStreamOptionsQel options;
    ASSERT_TRUE(exporter.Export(pOriginal.scene, &options));
    const std::string earlier = std::string(QEL_REFERENCE_DIR) + "/native/" + pEarlier;
    for (auto read : {std::make_pair(&pEarlierRead, earlier), std::make_pair(&pNow, current)}) {
        KQelImporter importer(read.first->manager);
        ASSERT_TRUE(importer.Initialize(read.second.c_str())) << read.second;
        EXPECT_TRUE(importer.Import(read.first->scene)) << read.second;
    }
}

// The field file of a written file, its main section open.
class ReadBack {
public:
    explicit ReadBack(const std::string& pPath)
    {
        mOpen = mFile.ProjectOpen(pPath.c_str(), false, true, nullptr) && mFile.ProjectOpenMainSection();
    }
    bool IsOpen() const { return mOpen; }
    KQel& File() { return mFile; }

    // Makes the next field of that name current and enters its block; its
    // header values are read first into pHeader when given. False when there
    // is no such field or it has no block.
    bool Enter(const char* pName, Values* pHeader = nullptr)
    {
        if (!mFile.FieldReadBegin(pName))
            return false;
        if (pHeader)
            *pHeader = ReadValues();
        if (!mFile.FieldReadBlockBegin()) {
            mFile.FieldReadEnd();
            return false;
        }
        return true;
    }
    void Leave()
    {
        mFile.FieldReadBlockEnd();
        mFile.FieldReadEnd();
    }
    // The values of the next field of that name, each as its type letter,
    // ':' and its value ("I:231", "D:1.1", "S:Model::A"); empty when absent.
    Values Field(const char* pName)
    {
        if (!mFile.FieldReadBegin(pName))
            return {"absent"};
        Values values = ReadValues();
        mFile.FieldReadEnd();
        return values;
    }
    int Count(const char* pName) { return mFile.FieldGetInstanceCount(pName); }
    // The values of every remaining field of that name, in order.
    std::vector<Values> All(const char* pName)
    {
        std::vector<Values> all;
        while (mFile.FieldReadBegin(pName)) {
            all.push_back(ReadValues());
            mFile.FieldReadEnd();
        }
        return all;
    }

private:
    Values ReadValues()
    {
        Values values;
        for (int i = 0, n = mFile.FieldReadGetCount(); i < n; ++i) {
            std::ostringstream text;
            const char type = mFile.FieldReadGetType();
            text << type << ':';
            switch (type) {
            case 'I':
                text << mFile.FieldReadI();
                break;
            case 'L':
                text << mFile.FieldReadLL();
                break;
            case 'D':
            case 'F':
                text << mFile.FieldReadD();
                break;
            case 'C':
                text << mFile.FieldReadCH();
                break;
            default:
                text << mFile.FieldReadC();
                break;
            }
            values.push_back(text.str());
        }
        return values;
    }

    KQel mFile;
    bool mOpen;
};

// The fields of a text file in file order: one entry per field line, its
// nesting depth and name (the writer puts one field on a line, indented one
// tab per level). Comments and closing braces are left out.
struct OutlineEntry {
    int mDepth;
    std::string mName;
    std::string mLine;
};
inline std::vector<OutlineEntry> Outline(const std::string& pPath)
{
    std::vector<OutlineEntry> outline;
    std::istringstream in(ReadFile(pPath));
    std::string line;
    while (std::getline(in, line)) {
        size_t depth = line.find_first_not_of('\t');
        if (depth == std::string::npos || line[depth] == ';' || line[depth] == '}')
            continue;
        const size_t colon = line.find(':', depth);
        outline.push_back({static_cast<int>(depth), line.substr(depth, colon - depth), line});
    }
    return outline;
}

// Names of the fields directly inside the block of outline entry pIndex.
inline Values ChildNames(const std::vector<OutlineEntry>& pOutline, size_t pIndex)
{
    Values names;
    for (size_t i = pIndex + 1; i < pOutline.size() && pOutline[i].mDepth > pOutline[pIndex].mDepth; ++i) {
        if (pOutline[i].mDepth == pOutline[pIndex].mDepth + 1)
            names.push_back(pOutline[i].mName);
    }
    return names;
}

// Index of the first entry named pName whose line holds pText; -1 when none.
inline int FindEntry(const std::vector<OutlineEntry>& pOutline, const std::string& pName,
                     const std::string& pText = "")
{
    for (size_t i = 0; i < pOutline.size(); ++i) {
        if (pOutline[i].mName == pName && pOutline[i].mLine.find(pText) != std::string::npos)
            return static_cast<int>(i);
    }
    return -1;
}

// Names of the top-level fields of the main section.
inline Values TopLevel(const std::string& pPath)
{
    Values names;
    for (const OutlineEntry& entry : Outline(pPath)) {
        if (entry.mDepth == 0 && entry.mName != "QelHeader")
            names.push_back(entry.mName);
    }
    return names;
}

// Numbers of a field's values ("I:3", "D:1.5"); empty for an absent field.
inline std::vector<double> Numbers(const Values& pValues)
{
    std::vector<double> numbers;
    for (const std::string& value : pValues) {
        if (value.size() > 2 && value[1] == ':')
            numbers.push_back(std::strtod(value.c_str() + 2, nullptr));
    }
    return numbers;
}

// A written file read back with the block of object pKind named pName
// entered (inside "Objects").
class ObjectBlock {
public:
    ObjectBlock(const std::string& pPath, const char* pKind, const std::string& pName) : mRead(pPath)
    {
        mFound = mRead.IsOpen() && mRead.Enter("Objects");
        if (!mFound)
            return;
        Values header;
        while (mRead.Enter(pKind, &header)) {
            if (!header.empty() && header[0] == "S:" + pName)
                return;
            mRead.Leave();
        }
        mFound = false;
    }
    bool Found() const { return mFound; }
    ReadBack& Read() { return mRead; }
    Values Field(const char* pName) { return mRead.Field(pName); }
    std::vector<double> Numbers(const char* pName) { return writer6test::Numbers(mRead.Field(pName)); }

private:
    ReadBack mRead;
    bool mFound;
};

}  // namespace writer6test
}  // namespace qelsdk_600

#endif
