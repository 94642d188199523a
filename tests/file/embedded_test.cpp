// Extraction of embedded media: content, target places, names from the file.
#include <cstdint>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "file/iqelobject.h"
#include "file/ktempfilemanager.h"
#include "common/scratch_dir.h"

namespace qelsdk_600 {
namespace {

using scratch::Exists;
using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;

// Bytes that no piece boundary or off-by-one can reproduce by accident.
std::string Noise(size_t size, std::uint32_t seed)
{
    std::string bytes(size, '\0');
    std::uint32_t x = seed;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return bytes;
}


// A binary file "scene.qel" in dir with one "Content" field per source.
std::string WriteScene(const ScratchDir& dir, const std::vector<std::string>& sources)
{
    std::string path = dir.File("scene.qel");
    std::unique_ptr<IQelObject> file(KQelObjectCreate());
    EXPECT_TRUE(file->ProjectCreate(path.c_str(), true, false, nullptr));
    for (const std::string& source : sources) {
        file->FieldWriteBegin("Content");
        if (source.empty())
            file->FieldWriteI(1);
        else
            EXPECT_TRUE(file->FieldWriteEmbeddedFile(KString(source.c_str()), KString("")));
        file->FieldWriteEnd();
    }
    EXPECT_TRUE(file->ProjectClose());
    return path;
}

struct Extracted {
    bool ok = false;
    std::string path;
    std::string relative;
    bool keep = false;
};

// Opens each "Content" field in turn and extracts it under the stored name.
std::vector<Extracted> ReadScene(const std::string& path, const std::vector<std::string>& names,
                                 const char* directory = "")
{
    std::vector<Extracted> results;
    std::unique_ptr<IQelObject> file(KQelObjectCreate());
    if (!file->ProjectOpenDirect(path.c_str(), false, true, nullptr))
        return results;
    for (const std::string& name : names) {
        Extracted result;
        if (file->FieldReadBegin("Content")) {
            KString fileName(name.c_str());
            KString relative("unchanged");
            result.ok = file->FieldReadEmbeddedFile(fileName, relative, directory, &result.keep);
            result.path = fileName.Buffer();
            result.relative = relative.Buffer();
            file->FieldReadEnd();
        }
        results.push_back(result);
    }
    return results;
}

TEST(EmbeddedFile, MillionBytesComeOutIdenticalInTheMediaDirectory)
{
    ScratchDir dir;
    std::string bytes = Noise(1000000, 7);
    WriteFile(dir.File("wood.png"), bytes);
    std::string scene = WriteScene(dir, {dir.File("wood.png")});

    std::vector<Extracted> out = ReadScene(scene, {"/old/place/textures/wood.png"});
    ASSERT_EQ(out.size(), 1u);
    ASSERT_TRUE(out[0].ok);
    EXPECT_EQ(out[0].path, dir.File("scene.qem/wood.png"));
    EXPECT_EQ(out[0].relative, "scene.qem/wood.png");
    EXPECT_TRUE(out[0].keep);
    EXPECT_TRUE(ReadFile(out[0].path) == bytes);
    EXPECT_TRUE(KTempFileManager::Instance()->IsRegistered(out[0].path.c_str()));
    EXPECT_TRUE(KTempFileManager::Instance()->GetKeep(out[0].path.c_str()));
    KTempFileManager::Instance()->Unregister(out[0].path.c_str());
}

TEST(EmbeddedFile, SameNameIsExtractedOnceAndAClashGoesToNumberedFolders)
{
    ScratchDir dir;
    WriteFile(dir.File("a.bin"), "first");
    WriteFile(dir.File("b.bin"), "second");
    WriteFile(dir.File("c.bin"), "third");
    std::string scene = WriteScene(dir, {dir.File("a.bin"), dir.File("a.bin"), dir.File("b.bin"),
                                         dir.File("c.bin")});
    // The writer embeds a.bin once, so the second field has no raw value:
    // its name must be answered from the first extraction.
    std::vector<Extracted> out =
        ReadScene(scene, {"x/tex.png", "x/tex.png", "y/tex.png", "z/tex.png"});
    ASSERT_EQ(out.size(), 4u);
    for (const Extracted& e : out)
        ASSERT_TRUE(e.ok);
    EXPECT_EQ(out[0].path, dir.File("scene.qem/tex.png"));
    EXPECT_EQ(out[1].path, out[0].path);
    EXPECT_EQ(out[1].relative, out[0].relative);
    EXPECT_EQ(out[2].path, dir.File("scene.qem/1/tex.png"));
    EXPECT_EQ(out[2].relative, "scene.qem/1/tex.png");
    EXPECT_EQ(out[3].path, dir.File("scene.qem/2/tex.png"));
    EXPECT_EQ(ReadFile(out[0].path), "first");
    EXPECT_EQ(ReadFile(out[2].path), "second");
    EXPECT_EQ(ReadFile(out[3].path), "third");
    EXPECT_FALSE(Exists(dir.File("scene.qem/3")));

    // A new read of the file never overwrites what the last one left.
    std::vector<Extracted> again = ReadScene(scene, {"x/tex.png"});
    ASSERT_TRUE(again[0].ok);
    EXPECT_EQ(again[0].path, dir.File("scene.qem/3/tex.png"));
    EXPECT_EQ(ReadFile(out[0].path), "first");
}

TEST(EmbeddedFile, StoredNamesCannotLeaveTheTargetDirectory)
{
    ScratchDir dir;
    WriteFile(dir.File("payload"), "evil");
    const std::string names[] = {"../../x", "/etc/cron.d/y", "..\\..\\z", "..", "dir/"};
    const std::string expected[] = {"x", "y", "z", "embedded", "embedded"};
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(names[i]);
        ScratchDir media;
        std::string scene = WriteScene(dir, {dir.File("payload")});
        std::vector<Extracted> out = ReadScene(scene, {names[i]}, media.Path().c_str());
        ASSERT_TRUE(out[0].ok);
        EXPECT_EQ(out[0].path, media.File(expected[i]));
        EXPECT_EQ(ReadFile(out[0].path), "evil");
        KTempFileManager::Instance()->Unregister(out[0].path.c_str());
    }
    EXPECT_FALSE(Exists(dir.File("x")));
}

TEST(EmbeddedFile, FieldWithoutRawValueOrUnusableDirectoryFails)
{
    ScratchDir dir;
    WriteFile(dir.File("a.bin"), "a");
    WriteFile(dir.File("blocker"), "a file where a directory should be");
    std::string scene = WriteScene(dir, {"", dir.File("a.bin")});
    std::vector<Extracted> out =
        ReadScene(scene, {"one.png", "two.png"}, dir.File("blocker/sub").c_str());
    ASSERT_EQ(out.size(), 2u);
    EXPECT_FALSE(out[0].ok);
    EXPECT_EQ(out[0].path, "one.png");  // names untouched on failure
    EXPECT_EQ(out[0].relative, "unchanged");
    EXPECT_FALSE(out[1].ok);
    EXPECT_FALSE(Exists(dir.File("scene.qem")));
}

TEST(EmbeddedFile, NameMetAgainAfterItsFileWasRemovedIsExtractedAgain)
{
    ScratchDir dir;
    WriteFile(dir.File("a.bin"), "content");
    std::string path = dir.File("scene.qel");
    {
        std::unique_ptr<IQelObject> file(KQelObjectCreate());
        ASSERT_TRUE(file->ProjectCreate(path.c_str(), true, false, nullptr));
        for (int i = 0; i < 2; ++i) {
            // Two files of the same content under different stored names,
            // so that both fields hold the raw value.
            std::string copy = dir.File("copy" + std::to_string(i));
            WriteFile(copy, "content");
            file->FieldWriteBegin("Content");
            ASSERT_TRUE(file->FieldWriteEmbeddedFile(KString(copy.c_str()), KString("")));
            file->FieldWriteEnd();
        }
        ASSERT_TRUE(file->ProjectClose());
    }
    std::unique_ptr<IQelObject> file(KQelObjectCreate());
    ASSERT_TRUE(file->ProjectOpenDirect(path.c_str(), false, true, nullptr));
    KString name("tex.tga"), relative;
    ASSERT_TRUE(file->FieldReadBegin("Content"));
    ASSERT_TRUE(file->FieldReadEmbeddedFile(name, relative, "", nullptr));
    file->FieldReadEnd();
    std::string first = name.Buffer();
    std::remove(first.c_str());  // a caller converted and deleted it

    name = "tex.tga";
    ASSERT_TRUE(file->FieldReadBegin("Content"));
    ASSERT_TRUE(file->FieldReadEmbeddedFile(name, relative, "", nullptr));
    file->FieldReadEnd();
    EXPECT_EQ(std::string(name.Buffer()), first);
    EXPECT_EQ(ReadFile(first), "content");
}

}  // namespace
}  // namespace qelsdk_600
