// Material, texture and video blocks of the version-6 writer, the embedding
// of media files and the image converters offered each file.
#include <gtest/gtest.h>

#include <fstream>

#include "content/kqelimageconverter.h"
#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "content/kqelvideo.h"
#include "native/writer6_test_util.h"
#include "scene/kqelentity.h"

namespace qelsdk_600 {
namespace writer6test {
namespace {

typedef std::vector<double> Doubles;

bool Exists(const std::string& pPath)
{
    return std::ifstream(pPath).good();
}

KQelVideo* AddVideo(SceneFixture& pFixture, const char* pName, const std::string& pFile)
{
    KQelVideo* video = pFixture.manager.CreateKQelVideo(pName);
    video->SetFileName(pFile.c_str());
    EXPECT_TRUE(pFixture.scene.GetEntity()->AddVideo(video));
    return video;
}

KQelTexture* AddTexture(SceneFixture& pFixture, const char* pName, KQelVideo* pVideo)
{
    KQelTexture* texture = pFixture.manager.CreateKQelTexture(pName);
    pFixture.scene.GetEntity()->AddTexture(texture);
    if (pVideo)
        texture->GetPropertyHandler()->ConnectSrc(pVideo->GetPropertyHandler());
    return texture;
}

std::string Write(SceneFixture& pFixture, const std::string& pPath, KQelWriterQel6::EExportMode pMode, bool pEmbed)
{
    KStreamOptionsQel options;
    options.SetOption(KStreamOptionsQel::eEmbedMedia, pEmbed);
    EXPECT_TRUE(WriteScene(pFixture, pPath, pMode, &options));
    return pPath;
}

// The raw bytes of the block's "Content"; "absent" when there is no field,
// empty when the field has no value.
std::string Content(ReadBack& pRead)
{
    KQel& file = pRead.File();
    if (!file.FieldReadBegin("Content"))
        return "absent";
    std::string bytes;
    kUInt size = 0;
    if (file.FieldReadRBegin(&size)) {
        bytes.resize(size);
        kUInt done = 0;
        while (done < size) {
            const kUInt part = file.FieldReadRPart(&bytes[done], size - done);
            if (part == 0)
                break;
            done += part;
        }
        bytes.resize(done);
        file.FieldReadREnd();
    }
    file.FieldReadEnd();
    return bytes;
}

TEST(Writer6Media, MaterialBlock)
{
    SceneFixture f;
    KQelMaterial* material = f.manager.CreateKQelMaterial("Skin");
    material->SetShadingModel("Phong");
    material->SetMultiLayer(true);
    f.scene.GetEntity()->AddMaterial(material);
    ScratchDir dir;
    const std::string path = Write(f, dir.File("m.qel"), KQelWriterQel6::eAscii, false);
    ReadBack read(path);
    ASSERT_TRUE(read.Enter("Objects"));
    Values header;
    ASSERT_TRUE(read.Enter("Material", &header));
    EXPECT_EQ(header, (Values{"S:Material::Skin", "S:"}));
    EXPECT_EQ(read.Field("Version"), Values{"I:101"});
    EXPECT_EQ(read.Field("ShadingModel"), Values{"S:phong"});
    EXPECT_EQ(read.Field("MultiLayer"), Values{"I:1"});
    EXPECT_STREQ(material->GetShadingModel(), "Phong");
}

TEST(Writer6Media, TextureBlock)
{
    const struct {
        KQelTexture::EAlphaSource mSource;
        const char* mToken;
    } sources[] = {
        {KQelTexture::eNone, "S:None"},
        {KQelTexture::eRGBIntensity, "S:RGB_Intensity"},
        {KQelTexture::eBlack, "S:Alpha_Black"},
        {static_cast<KQelTexture::EAlphaSource>(5), "S:None"},
    };
    for (const auto& source : sources) {
        SCOPED_TRACE(source.mToken);
        SceneFixture f;
        KQelTexture* texture = AddTexture(f, "Wood", nullptr);
        texture->SetFileName("/nowhere/wood.png");
        texture->SetRelativeFileName("wood.png");
        texture->SetMediaName("Video::WoodClip");
        texture->SetUVTranslation(KQelVector2(0.5, 0.25));
        texture->SetUVScaling(KQelVector2(2, 3));
        texture->SetCropping(1, 2, 3, 4);
        texture->SetAlphaSource(source.mSource);
        ScratchDir dir;
        ObjectBlock block(Write(f, dir.File("t.qel"), KQelWriterQel6::eAscii, false), "Texture", "Texture::Wood");
        ASSERT_TRUE(block.Found());
        EXPECT_EQ(block.Field("Type"), Values{"S:TextureVideoClip"});
        EXPECT_EQ(block.Field("Version"), Values{"I:202"});
        EXPECT_EQ(block.Field("TextureName"), Values{"S:Texture::Wood"});
        EXPECT_EQ(block.Field("Media"), Values{"S:Video::WoodClip"});
        EXPECT_EQ(block.Field("FileName"), Values{"S:/nowhere/wood.png"});
        EXPECT_EQ(block.Field("RelativeFilename"), Values{"S:wood.png"});
        EXPECT_EQ(block.Numbers("ModelUVTranslation"), (Doubles{0.5, 0.25}));
        EXPECT_EQ(block.Numbers("ModelUVScaling"), (Doubles{2, 3}));
        EXPECT_EQ(block.Field("Texture_Alpha_Source"), Values{source.mToken});
        // Left, right, top, bottom.
        EXPECT_EQ(block.Numbers("Cropping"), (Doubles{1, 3, 2, 4}));
    }
}

// A text file never embeds: no embedding fields, whatever option 12 says;
// names are relative to the written file's directory.
TEST(Writer6Media, TextFileNamesMediaWithoutEmbedding)
{
    ScratchDir dir;
    const std::string media = dir.File("clip.png");
    WriteFile(media, "image bytes");
    SceneFixture f;
    KQelVideo* video = AddVideo(f, "Clip", media);
    video->SetRelativeFileName("old/relative.png");
    ObjectBlock block(Write(f, dir.File("v.qel"), KQelWriterQel6::eAscii, true), "Video", "Video::Clip");
    ASSERT_TRUE(block.Found());
    EXPECT_EQ(block.Field("Type"), Values{"S:Clip"});
    EXPECT_EQ(block.Field("UseMipMap"), Values{"I:0"});
    EXPECT_EQ(block.Field("Version"), kAbsent);
    EXPECT_EQ(block.Field("OriginalFormat"), kAbsent);
    EXPECT_EQ(block.Field("OriginalFilename"), kAbsent);
    EXPECT_EQ(block.Field("Filename"), Values{"S:" + media});
    EXPECT_EQ(block.Field("RelativeFilename"), Values{"S:clip.png"});
    EXPECT_EQ(Content(block.Read()), "absent");
    EXPECT_STREQ(video->GetRelativeFileName(), "clip.png");
}

TEST(Writer6Media, BinaryFileEmbedsEachMediaFileOnce)
{
    ScratchDir dir;
    const std::string big = dir.File("big.avi");
    const std::string small = dir.File("small.png");
    std::string bytes(1000000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    WriteFile(big, bytes);
    WriteFile(small, "small");
    SceneFixture f;
    AddVideo(f, "Big", big);
    AddVideo(f, "Again", big);
    AddVideo(f, "Small", small);
    AddVideo(f, "Missing", dir.File("missing.png"));
    AddVideo(f, "Nameless", "");
    for (KQelWriterQel6::EExportMode mode : {KQelWriterQel6::eBinary, KQelWriterQel6::eEncrypted}) {
        SCOPED_TRACE(mode);
        const std::string path = Write(f, dir.File("media.qel"), mode, true);
        const struct {
            const char* mName;
            std::string mContent;
        } videos[] = {{"Video::Big", bytes},     {"Video::Again", ""},    {"Video::Small", "small"},
                      {"Video::Missing", ""}, {"Video::Nameless", ""}};
        for (const auto& video : videos) {
            SCOPED_TRACE(video.mName);
            ObjectBlock block(path, "Video", video.mName);
            ASSERT_TRUE(block.Found());
            EXPECT_EQ(block.Field("Version"), Values{"I:101"});
            EXPECT_EQ(block.Field("OriginalFormat"), Values{"I:1"});
            EXPECT_EQ(block.Field("Filename").size(), 1u);
            EXPECT_TRUE(Content(block.Read()) == video.mContent);
        }
    }
    // Without the option nothing is embedded.
    ObjectBlock block(Write(f, dir.File("plain.qel"), KQelWriterQel6::eBinary, false), "Video", "Video::Big");
    ASSERT_TRUE(block.Found());
    EXPECT_EQ(Content(block.Read()), "absent");
}

// ---- Image converters ----

// What the test converter does with the name it is given.
enum EConverterNaming { eKeepName, eNameOtherFile };
EConverterNaming gNaming = eKeepName;
std::string gOtherFile;
int gCalls = 0;

// Fills a 2 x 1 RGB image; the name is kept or replaced by an existing
// file's.
int TestConverter(int pMode, KString& pFileName, ImageConverterBuffer& pBuffer)
{
    ++gCalls;
    if (pMode != 0)
        return 1;
    pBuffer.Init(2, 1, true, ImageConverterBuffer::eRGB, 3);
    for (int i = 0; i < 6; ++i)
        pBuffer.mPixels[i] = static_cast<unsigned char>(40 * i);
    pBuffer.SetOriginalFormat(false);
    if (gNaming == eNameOtherFile)
        pFileName = gOtherFile.c_str();
    return 0;
}

// A converted image is embedded from a TIFF the writer made where no file
// was, which is gone afterwards; the user's files keep every byte and the
// video (and its texture) names its own file again.
TEST(Writer6Media, ConvertedImagesNeverTouchTheUsersFiles)
{
    for (EConverterNaming naming : {eKeepName, eNameOtherFile}) {
        SCOPED_TRACE(naming);
        ScratchDir dir;
        const std::string image = dir.File("photo.png");
        gOtherFile = dir.File("other.tif");
        gNaming = naming;
        gCalls = 0;
        WriteFile(image, "original png");
        WriteFile(gOtherFile, "existing tif");
        SceneFixture f;
        KQelImageConverter* converter = f.manager.CreateKQelImageConverter();
        converter->RegisterConverterFunction("png", TestConverter);
        KQelVideo* video = AddVideo(f, "Photo", image);
        video->SetRelativeFileName("photo.png");
        KQelTexture* texture = AddTexture(f, "Photo", video);
        ASSERT_STREQ(texture->GetFileName(), image.c_str());

        const std::string path = Write(f, dir.File("out.qel"), KQelWriterQel6::eBinary, true);
        EXPECT_EQ(gCalls, 1);
        EXPECT_EQ(ReadFile(image), "original png");
        EXPECT_EQ(ReadFile(gOtherFile), "existing tif");
        EXPECT_STREQ(video->GetFileName(), image.c_str());
        EXPECT_STREQ(video->GetRelativeFileName(), "photo.png");
        EXPECT_STREQ(texture->GetFileName(), image.c_str());

        ObjectBlock block(path, "Video", "Video::Photo");
        ASSERT_TRUE(block.Found());
        EXPECT_EQ(block.Field("OriginalFormat"), Values{"I:0"});
        EXPECT_EQ(block.Field("OriginalFilename"), Values{"S:" + image});
        const Values written = block.Field("Filename");
        ASSERT_EQ(written.size(), 1u);
        const std::string tif = written[0].substr(2);
        EXPECT_NE(tif, image);
        EXPECT_NE(tif, gOtherFile);
        EXPECT_FALSE(Exists(tif));
        const std::string content = Content(block.Read());
        ASSERT_GE(content.size(), 4u);
        EXPECT_TRUE(content.compare(0, 4, "II*\0", 4) == 0 || content.compare(0, 4, "MM\0*", 4) == 0);
        // The file's texture carries the converted name.
        ObjectBlock textureBlock(path, "Texture", "Texture::Photo");
        ASSERT_TRUE(textureBlock.Found());
        EXPECT_EQ(textureBlock.Field("FileName"), written);
    }
}

TEST(Writer6Media, TextFilesConvertNothing)
{
    ScratchDir dir;
    const std::string image = dir.File("photo.png");
    WriteFile(image, "original png");
    gNaming = eKeepName;
    gCalls = 0;
    SceneFixture f;
    f.manager.CreateKQelImageConverter()->RegisterConverterFunction("png", TestConverter);
    AddVideo(f, "Photo", image);
    ObjectBlock block(Write(f, dir.File("out.qel"), KQelWriterQel6::eAscii, true), "Video", "Video::Photo");
    ASSERT_TRUE(block.Found());
    EXPECT_EQ(gCalls, 0);
    EXPECT_EQ(block.Field("Filename"), Values{"S:" + image});
}

}  // namespace
}  // namespace writer6test
}  // namespace qelsdk_600
