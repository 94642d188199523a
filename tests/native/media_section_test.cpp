// The media section: names given per file, clips written and read back,
// embedded files extracted, TIFF conversion on both sides, and which files
// on disk a write or a read may create, change or delete.
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/kpath.h"
#include "content/kqelcamera.h"
#include "content/kqelimageconverter.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "content/kqelvideo.h"
#include "io/kqelexporter.h"
#include "native_test_util.h"
#include "block_test_util.h"
#include "scene/kqelentity.h"

namespace qelsdk_600 {
namespace {

using blocktest::BlockReader;
using blocktest::BlockWriter;
using blocktest::Blocks;
using scratch::ReadFile;
using scratch::WriteFile;

// A scene whose textures (on one mesh) and camera backgrounds name files.
struct MediaScene {
    explicit MediaScene(KQelSdkManager& pManager) : manager(pManager), scene(pManager.CreateKQelScene()) {}
    KQelTexture* AddTexture(const char* pName, const char* pFile, const char* pMedia = "")
    {
        if (!mesh) {
            meshNode = manager.CreateKQelNode("Carrier");
            mesh = manager.CreateKQelMesh();
            meshNode->SetNodeAttribute(mesh);
        }
        KQelTexture* texture = manager.CreateKQelTexture(pName);
        if (*pFile)
            texture->SetFileName(pFile);
        texture->SetMediaName(pMedia);
        mesh->AT(texture, 0);
        return texture;
    }
    KQelCamera* AddCamera(const char* pName, const char* pBackground)
    {
        KQelNode* node = manager.CreateKQelNode(pName);
        KQelCamera* camera = manager.CreateKQelCamera();
        node->SetNodeAttribute(camera);
        camera->SetBackgroundFileName(pBackground);
        cameras.push_back(node);
        return camera;
    }
    // Puts the nodes into the scene (which then lists the textures).
    KQelScene& Scene()
    {
        if (meshNode && !meshNode->GetParent())
            scene->GetRootNode()->AddChild(meshNode);
        for (KQelNode* node : cameras) {
            if (!node->GetParent())
                scene->GetRootNode()->AddChild(node);
        }
        return *scene;
    }

    KQelSdkManager& manager;
    KQelScene* scene;
    KQelNode* meshNode = nullptr;
    KQelMesh* mesh = nullptr;
    std::vector<KQelNode*> cameras;
};

// The media section of pScene written at the top level of a new file.
int WriteMediaFile(Blocks& pBlocks, const std::string& pPath, bool pBinary, KQelScene& pScene, bool pEmbed)
{
    int count = -1;
    blocktest::WriteBlocks(pBlocks, pPath, pBinary, [&](BlockWriter& pWriter, KQel&) {
        EXPECT_TRUE(pWriter.WriteMedia(pScene, pEmbed, count));
    });
    return count;
}

void ReadMediaFile(Blocks& pBlocks, const std::string& pPath, KQelScene& pScene)
{
    blocktest::ReadBlocks(pBlocks, pPath, [&](BlockReader& pReader, KQel&) {
        EXPECT_TRUE(pReader.ReadMedia(pScene, ""));
    });
}

TEST(MediaSection, NamesAreGivenPerFileAndMadeUniqueByNumber)
{
    Blocks blocks;
    MediaScene media(blocks.manager);
    KQelTexture* a = media.AddTexture("A", "/a/wood.png", "stale");
    KQelTexture* b = media.AddTexture("B", "/b//wood.png");
    KQelTexture* c = media.AddTexture("C", "/a/./wood.png");
    KQelTexture* none = media.AddTexture("D", "", "stale");
    KQelCamera* camera = media.AddCamera("Cam", "/c/wood.jpg");
    const std::string path = blocks.dir.File("names.qel");
    EXPECT_EQ(3, WriteMediaFile(blocks, path, false, media.Scene(), false));

    EXPECT_STREQ("wood", a->GetMediaName().Buffer());
    EXPECT_STREQ("wood1", b->GetMediaName().Buffer());
    EXPECT_STREQ("wood", c->GetMediaName().Buffer());
    EXPECT_STREQ("", none->GetMediaName().Buffer());
    EXPECT_STREQ("wood2", camera->GetBackgroundMediaName());
    const std::string text = ReadFile(path);
    EXPECT_NE(std::string::npos, text.find("Filename: \"/b/wood.png\"")) << text;
    // References only: no version, no content, also when embedding is asked
    // of a text file.
    EXPECT_EQ(std::string::npos, text.find("Version: 101")) << text;
    EXPECT_EQ(std::string::npos, text.find("Content")) << text;
    const std::string embedded = blocks.dir.File("names_embed.qel");
    WriteMediaFile(blocks, embedded, false, media.Scene(), true);
    EXPECT_EQ(std::string::npos, ReadFile(embedded).find("Version: 101"));
}

TEST(MediaSection, EmptyListStillWritesTheSection)
{
    Blocks blocks;
    MediaScene media(blocks.manager);
    const std::string path = blocks.dir.File("empty.qel");
    EXPECT_EQ(0, WriteMediaFile(blocks, path, false, media.Scene(), true));
    const std::string text = ReadFile(path);
    EXPECT_NE(std::string::npos, text.find("Media:")) << text;
    EXPECT_NE(std::string::npos, text.find("Video:")) << text;
}

TEST(MediaSection, EmbeddedFilesComeBackUnderTheMediaDirectory)
{
    Blocks blocks;
    const std::string source = blocks.dir.File("src/wood.png");
    std::filesystem::create_directories(blocks.dir.File("src"));
    const std::string bytes("\x89PNG not really\0\1\2", 19);
    WriteFile(source, bytes);
    MediaScene written(blocks.manager);
    written.AddTexture("Oak", source.c_str());
    written.AddCamera("Cam", source.c_str());
    const std::string path = blocks.dir.File("doc.qel");
    EXPECT_EQ(1, WriteMediaFile(blocks, path, true, written.Scene(), true));
    std::filesystem::remove_all(blocks.dir.File("src"));

    MediaScene read(blocks.manager);
    KQelTexture* texture = read.AddTexture("Oak", "", "wood");
    KQelCamera* camera = read.AddCamera("Cam", "");
    camera->SetBackgroundMediaName("wood");
    ReadMediaFile(blocks, path, read.Scene());
    const std::string extracted = blocks.dir.File("doc.qem/wood.png");
    EXPECT_EQ(extracted, texture->GetFileName());
    EXPECT_STREQ("doc.qem/wood.png", texture->GetRelativeFileName());
    EXPECT_EQ(extracted, camera->GetBackgroundFileName());
    EXPECT_EQ(bytes, ReadFile(extracted));
}

TEST(MediaSection, AWholeDocumentCarriesItsEmbeddedImage)
{
    scratch::ScratchDir dir;
    const std::string source = dir.File("art/oak.png");
    std::filesystem::create_directories(dir.File("art"));
    WriteFile(source, "oak image");
    const std::string path = dir.File("scene.qel");
    {
        KQelSdkManager manager;
        MediaScene written(manager);
        KQelTexture* texture = written.AddTexture("Oak", source.c_str());
        texture->SetCropping(1, 2, 3, 4);
        written.mesh->InitControlPoints(3);
        written.mesh->BeginPolygon();
        for (int corner : {0, 1, 2})
            written.mesh->AddPolygon(corner);
        written.mesh->EndPolygon();
        KQelExporter exporter(manager);
        KQelWriterQel writer(manager, exporter);
        KStreamOptionsQel options;
        options.SetOption(KStreamOptionsQel::eEmbedMedia, true);
        ASSERT_TRUE(writer.FileCreate(path.c_str()));
        ASSERT_TRUE(writer.Write(written.Scene(), &options));
        ASSERT_TRUE(writer.FileClose());
    }
    std::filesystem::remove_all(dir.File("art"));
    nativetest::SceneFixture target;
    ASSERT_TRUE(nativetest::ReadInto(target.manager, *target.scene, path).mOk);
    ASSERT_EQ(1, target.scene->GetEntity()->GetTextureCount());
    KQelTexture* texture = target.scene->GetEntity()->GetTexture(0);
    EXPECT_STREQ("oak", texture->GetMediaName().Buffer());
    EXPECT_EQ(dir.File("scene.qem/oak.png"), texture->GetFileName());
    EXPECT_EQ("oak image", ReadFile(texture->GetFileName()));
    EXPECT_EQ(3, texture->GetCroppingRight());
}

// Writes a clip entry of the media section as a file of another writer might.
struct Clip {
    const char* mName;
    const char* mType;
    int mVersion;        // 0: no "Version"
    int mOriginalFormat;
    const char* mFileName;
    const char* mRelative;
    const std::string* mContent;  // null: no "Content"
};

void WriteClips(KQel& pFile, const std::vector<Clip>& pClips)
{
    native_detail::WriteBlock section(pFile, "Media");
    native_detail::WriteBlock videos(pFile, "Video");
    for (const Clip& clip : pClips) {
        native_detail::WriteBlock entry(pFile, "Video", clip.mName);
        native_detail::WriteFieldC(pFile, "Type", clip.mType);
        if (clip.mVersion) {
            native_detail::WriteFieldI(pFile, "Version", clip.mVersion);
            native_detail::WriteFieldI(pFile, "OriginalFormat", clip.mOriginalFormat);
            native_detail::WriteFieldC(pFile, "OriginalFilename", "/somewhere/original.png");
        }
        native_detail::WriteFieldC(pFile, "Filename", clip.mFileName);
        native_detail::WriteFieldC(pFile, "RelativeFilename", clip.mRelative);
        if (clip.mContent) {
            pFile.FieldWriteBegin("Content");
            pFile.FieldWriteR(clip.mContent->data(), static_cast<kUInt>(clip.mContent->size()));
            pFile.FieldWriteEnd();
        }
    }
}

// The bytes of a 2 x 2 RGB TIFF.
std::string TifBytes(const std::string& pScratch)
{
    ImageConverterBuffer buffer;
    buffer.Init(2, 2, true, ImageConverterBuffer::eRGB, 3);
    for (int i = 0; i < 12; ++i)
        buffer.mPixels[i] = static_cast<unsigned char>(20 * i);
    EXPECT_TRUE(WriteToTif(KString(pScratch.c_str()), false, buffer));
    const std::string bytes = ReadFile(pScratch);
    std::filesystem::remove(pScratch);
    return bytes;
}

// Every file below pRoot (relative path → content).
std::map<std::string, std::string> Snapshot(const std::string& pRoot)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(pRoot)) {
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), pRoot).string()] = ReadFile(entry.path().string());
    }
    return files;
}

TEST(MediaSection, ClipsAreChosenAndResolvedAsStored)
{
    Blocks blocks;
    const std::string content("embedded bytes");
    WriteFile(blocks.dir.File("near.png"), "near");
    const std::string missing = blocks.dir.File("missing/far.png");
    const std::vector<Clip> clips = {
        {"plain", "Clip", 0, 1, "/elsewhere/plain.png", "", &content},
        {"twice", "Clip", 0, 1, "/x/first.png", "", nullptr},
        {"twice", "Clip", 0, 1, "/x/second.png", "", nullptr},
        {"live", "Live", 0, 1, "/x/live.png", "", nullptr},
        {"near", "Clip", 101, 1, missing.c_str(), "near.png", nullptr},
        {"far", "Clip", 0, 1, missing.c_str(), "", nullptr},
        {"", "Clip", 0, 1, "/x/unnamed.png", "", nullptr},
    };
    const std::string path = blocks.dir.File("clips.qel");
    nativetest::BuildFile(path, 5800, true, [&](KQel& pFile) { WriteClips(pFile, clips); });
    MediaScene read(blocks.manager);
    const struct {
        const char* mMedia;
        std::string mExpected;
    } cases[] = {
        {"plain", blocks.dir.File("clips.qem/plain.png")},
        {"twice", "/x/first.png"},
        {"live", ""},
        {"near", blocks.dir.File("near.png")},
        {"far", missing},
        {"unknown", ""},
    };
    std::vector<KQelTexture*> textures;
    for (const auto& c : cases)
        textures.push_back(read.AddTexture(c.mMedia, "", c.mMedia));
    ReadMediaFile(blocks, path, read.Scene());
    for (size_t i = 0; i < textures.size(); ++i) {
        SCOPED_TRACE(cases[i].mMedia);
        EXPECT_EQ(cases[i].mExpected, textures[i]->GetFileName());
    }
    EXPECT_EQ(content, ReadFile(blocks.dir.File("clips.qem/plain.png")));
}

TEST(MediaSection, ForcingTheTifExtension)
{
    scratch::ScratchDir dir;
    const struct {
        std::string mName;
        std::string mExpected;
        bool mKept;
    } cases[] = {
        {dir.File("skin.jpg"), dir.File("skin.tif"), false},
        {dir.File("skin.TIFF"), dir.File("skin.TIFF"), true},
        {dir.File("skin.Tif"), dir.File("skin.Tif"), true},
        {dir.File("maps.v2/skin.png"), dir.File("maps.v2/skin.tif"), false},
    };
    std::filesystem::create_directories(dir.File("maps.v2"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        WriteFile(c.mName, "image");
        KString name(c.mName.c_str());
        ForceFileNameExtensionToTif(name);
        EXPECT_EQ(c.mExpected, name.Buffer());
        EXPECT_EQ(c.mKept, scratch::Exists(c.mName));
    }
}

// A converter that takes any file into a 2 x 2 image to be written as a
// TIFF, keeping the name it was given (the source's); on reading it records
// the name it is asked to write.
std::vector<std::string> gConverted;
int KeepNameConverter(int pMode, KString& pFileName, ImageConverterBuffer& pBuffer)
{
    if (pMode == 1) {
        gConverted.push_back(pFileName.Buffer());
        return 0;
    }
    pBuffer.Init(2, 2, true, ImageConverterBuffer::eRGB, 3);
    for (int i = 0; i < 12; ++i)
        pBuffer.mPixels[i] = static_cast<unsigned char>(i);
    pBuffer.SetOriginalFormat(false);
    return 0;
}

// Sets TMPDIR for one test: the temporary files of the process go there.
class TemporaryDirectory {
public:
    explicit TemporaryDirectory(const std::string& pPath)
    {
        const char* old = std::getenv("TMPDIR");
        mHad = old != nullptr;
        mOld = old ? old : "";
        std::filesystem::create_directories(pPath);
        setenv("TMPDIR", pPath.c_str(), 1);
    }
    ~TemporaryDirectory()
    {
        if (mHad)
            setenv("TMPDIR", mOld.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

private:
    bool mHad;
    std::string mOld;
};

TEST(MediaSafety, ConvertingForEmbeddingLeavesTheSourceAlone)
{
    Blocks blocks;
    const TemporaryDirectory temporary(blocks.dir.File("tmp"));
    const std::string source = blocks.dir.File("wood.png");
    const std::string bytes = "original image bytes";
    WriteFile(source, bytes);
    KQelImageConverter* converter = blocks.manager.CreateKQelImageConverter();
    converter->RegisterConverterFunction(KString("png"), KeepNameConverter);
    MediaScene written(blocks.manager);
    written.AddTexture("Oak", source.c_str());
    const std::string path = blocks.dir.File("doc.qel");
    WriteMediaFile(blocks, path, true, written.Scene(), true);
    EXPECT_EQ(bytes, ReadFile(source));
    EXPECT_TRUE(nativetest::Entries(blocks.dir.File("tmp")).empty());

    // Read back: the TIFF is extracted, read and handed to the converter
    // under its ".tif" name; without converters it is written back there.
    for (bool withConverter : {true, false}) {
        SCOPED_TRACE(withConverter);
        Blocks reading;
        gConverted.clear();
        if (withConverter)
            reading.manager.CreateKQelImageConverter()->RegisterConverterFunction(KString("tif"), KeepNameConverter);
        MediaScene read(reading.manager);
        KQelTexture* texture = read.AddTexture("Oak", "", "wood");
        std::filesystem::remove_all(blocks.dir.File("doc.qem"));
        ReadMediaFile(reading, path, read.Scene());
        const std::string name = texture->GetFileName();
        EXPECT_EQ(blocks.dir.File("doc.qem"), ExtractDirectoryFromFilePath(name.c_str()).Buffer());
        EXPECT_EQ("tif", std::string(ExtractFileExtension(name.c_str()).Buffer()));
        if (withConverter) {
            EXPECT_EQ(std::vector<std::string>{name}, gConverted);
        } else {
            ImageConverterBuffer image;
            ASSERT_TRUE(ReadFromTif(KString(name.c_str()), image, false));
            EXPECT_EQ(2, image.mWidth);
            EXPECT_EQ(11, image.mPixels[11]);
        }
    }
}

TEST(MediaSafety, ReadingWritesAndDeletesOnlyUnderTheMediaDirectory)
{
    scratch::ScratchDir root;
    const std::string outside = root.File("outside");
    std::filesystem::create_directories(outside);
    std::filesystem::create_directories(root.File("docs/doc.qem"));
    WriteFile(outside + "/pic.png", "outside png");
    WriteFile(outside + "/pic.tif", "outside tif");
    WriteFile(root.File("docs/escape.png"), "next to the file");
    WriteFile(root.File("docs/doc.qem/pic.tif"), "already extracted once");
    const std::string tif = TifBytes(root.File("made.tif"));
    const std::string png = "png content";
    const std::string absolute = outside + "/pic.png";
    const std::string absoluteTif = outside + "/pic.tif";
    const std::vector<Clip> clips = {
        {"abs", "Clip", 101, 1, absolute.c_str(), "", &png},
        {"converted", "Clip", 101, 0, absolute.c_str(), "", &tif},
        {"up", "Clip", 101, 1, "../escape.png", "../../escape.png", &png},
        {"uptif", "Clip", 101, 0, "../../outside/pic.tif", "../outside/pic.tif", &tif},
        {"again", "Clip", 101, 0, absoluteTif.c_str(), "", &tif},
        {"tifkept", "Clip", 101, 1, "/y/shared.tif", "", &tif},
        {"tifconverted", "Clip", 101, 0, "/y/shared.tif", "", &tif},
        {"garbage", "Clip", 101, 0, "/x/broken.jpg", "", &png},
    };
    const std::string path = root.File("docs/doc.qel");
    nativetest::BuildFile(path, 5800, true, [&](KQel& pFile) { WriteClips(pFile, clips); });
    const std::map<std::string, std::string> before = Snapshot(root.Path());

    Blocks blocks;
    MediaScene read(blocks.manager);
    std::vector<KQelTexture*> textures;
    for (const Clip& clip : clips)
        textures.push_back(read.AddTexture(clip.mName, "", clip.mName));
    ReadMediaFile(blocks, path, read.Scene());

    const std::map<std::string, std::string> after = Snapshot(root.Path());
    for (const auto& file : before) {
        SCOPED_TRACE(file.first);
        const auto found = after.find(file.first);
        ASSERT_NE(after.end(), found);
        EXPECT_EQ(file.second, found->second);
    }
    for (const auto& file : after) {
        if (!before.count(file.first)) {
            EXPECT_EQ(0u, file.first.rfind("docs/doc.qem/", 0)) << file.first;
        }
    }
    for (size_t i = 0; i < textures.size(); ++i) {
        SCOPED_TRACE(clips[i].mName);
        const std::string name = textures[i]->GetFileName();
        EXPECT_EQ(0u, name.rfind(root.File("docs/doc.qem/"), 0)) << name;
        EXPECT_TRUE(scratch::Exists(name)) << name;
    }
    // A file an earlier clip was given is neither deleted nor replaced.
    const std::string kept = textures[6]->GetFileName();
    EXPECT_EQ(tif, ReadFile(kept));
    EXPECT_NE(kept, textures[7]->GetFileName());
    // A TIFF that could not be read stays as extracted.
    EXPECT_EQ(png, ReadFile(textures.back()->GetFileName()));
}

TEST(MediaSection, HostileClipsReadWithoutHarm)
{
    Blocks blocks;
    const std::string path = blocks.dir.File("hostile.qel");
    nativetest::BuildFile(path, 5800, true, [&](KQel& pFile) {
        native_detail::WriteBlock section(pFile, "Media");
        native_detail::WriteBlock videos(pFile, "Video");
        native_detail::WriteFieldC(pFile, "Video", "no block");
        {
            native_detail::WriteBlock entry(pFile, "Video", "typed wrong");
            native_detail::WriteFieldI(pFile, "Type", 7);
        }
        {
            native_detail::WriteBlock entry(pFile, "Video", "content not raw");
            native_detail::WriteFieldC(pFile, "Type", "Clip");
            native_detail::WriteFieldI(pFile, "Version", 1 << 30);
            native_detail::WriteFieldC(pFile, "OriginalFormat", "zero");
            native_detail::WriteFieldC(pFile, "Filename", "/x/y.png");
            native_detail::WriteFieldC(pFile, "Content", "not raw");
        }
        {
            native_detail::WriteBlock entry(pFile, "Video", "empty names");
            native_detail::WriteFieldC(pFile, "Type", "Clip");
            pFile.FieldWriteBegin("Content");
            pFile.FieldWriteR("abc", 3);
            pFile.FieldWriteEnd();
        }
    });
    MediaScene read(blocks.manager);
    KQelTexture* notRaw = read.AddTexture("A", "", "content not raw");
    KQelTexture* empty = read.AddTexture("B", "/kept.png", "empty names");
    KQelTexture* noBlock = read.AddTexture("C", "/kept.png", "no block");
    ReadMediaFile(blocks, path, read.Scene());
    EXPECT_STREQ("/x/y.png", notRaw->GetFileName());
    // Content without a name is still extracted, under a name of the file
    // layer's choosing.
    EXPECT_EQ(0u, std::string(empty->GetFileName()).rfind(blocks.dir.File("hostile.qem/"), 0));
    EXPECT_EQ("abc", ReadFile(empty->GetFileName()));
    EXPECT_STREQ("/kept.png", noBlock->GetFileName());
}

TEST(MediaSection, CurrentLayoutVideoTakesItsEmbeddedFile)
{
    Blocks blocks;
    const std::string content = "clip bytes";
    const std::string path = blocks.dir.File("six.qel");
    nativetest::BuildFile(path, 6000, true, [&](KQel& pFile) {
        native_detail::WriteFieldI(pFile, "UseMipMap", 1);
        native_detail::WriteFieldI(pFile, "Version", 101);
        native_detail::WriteFieldI(pFile, "OriginalFormat", 1);
        native_detail::WriteFieldC(pFile, "OriginalFilename", "/shot/clip.png");
        native_detail::WriteFieldC(pFile, "RelativeFilename", "stale/clip.png");
        pFile.FieldWriteBegin("Content");
        pFile.FieldWriteR(content.data(), static_cast<kUInt>(content.size()));
        pFile.FieldWriteEnd();
    });
    KQelVideo* video = blocks.manager.CreateKQelVideo("Clip");
    video->SetFileName("/shot/clip.png");
    bool named = false;
    blocktest::ReadBlocks(
        blocks, path, [&](BlockReader& pReader, KQel&) { named = pReader.ReadKQelVideo(*video); }, false);
    EXPECT_TRUE(named);
    EXPECT_EQ(blocks.dir.File("six.qem/clip.png"), video->GetFileName());
    EXPECT_STREQ("six.qem/clip.png", video->GetRelativeFileName());
    EXPECT_TRUE(video->ImageTextureGetMipMap());
    EXPECT_TRUE(video->GetOriginalFormat());
    EXPECT_STREQ("/shot/clip.png", video->GetOriginalFilename());
    EXPECT_EQ(content, ReadFile(video->GetFileName()));
}

TEST(MediaSection, CurrentLayoutDocumentConnectsItsVideoToTheTexture)
{
    scratch::ScratchDir dir;
    const std::string path = dir.File("six.qel");
    const std::string content = "oak pixels";
    nativetest::BuildFile(path, 6000, true, [&](KQel& pFile) {
        nativetest::WriteDefinitions(pFile, {"Model", "Texture", "Video"});
        {
            native_detail::WriteBlock objects(pFile, "Objects");
            nativetest::WriteObject(pFile, "Model", "Model::Box", "Null");
            {
                nativetest::ObjectBlock texture(pFile, "Texture", "Texture::Oak", "");
                native_detail::WriteFieldC(pFile, "Media", "Video::Oak");
            }
            nativetest::ObjectBlock video(pFile, "Video", "Video::Oak", "Clip");
            {
                native_detail::WriteBlock properties(pFile, "Properties60");
                pFile.FieldWriteBegin("Property");
                for (const char* value : {"Path", "charptr", "", "", "/shots/oak.png"})
                    pFile.FieldWriteC(value);
                pFile.FieldWriteEnd();
            }
            native_detail::WriteFieldI(pFile, "UseMipMap", 1);
            pFile.FieldWriteBegin("Content");
            pFile.FieldWriteR(content.data(), static_cast<kUInt>(content.size()));
            pFile.FieldWriteEnd();
        }
        native_detail::WriteBlock connections(pFile, "Connections");
        nativetest::WriteConnect(pFile, "OO", "Model::Box", "Model::Scene");
        nativetest::WriteConnect(pFile, "OO", "Video::Oak", "Texture::Oak");
        nativetest::WriteConnect(pFile, "OO", "Texture::Oak", "Model::Box");
    });
    nativetest::SceneFixture target;
    ASSERT_TRUE(nativetest::ReadInto(target.manager, *target.scene, path).mOk);
    ASSERT_EQ(1, target.scene->GetEntity()->GetTextureCount());
    KQelTexture* texture = target.scene->GetEntity()->GetTexture(0);
    ASSERT_NE(nullptr, texture->GetVideo());
    EXPECT_STREQ("Video::Oak", texture->GetVideo()->GetName());
    EXPECT_TRUE(texture->GetVideo()->ImageTextureGetMipMap());
    EXPECT_EQ(dir.File("six.qem/oak.png"), texture->GetFileName());
    EXPECT_EQ(content, ReadFile(texture->GetFileName()));
}

}  // namespace
}  // namespace qelsdk_600
