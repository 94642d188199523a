// Texture conversion through the host's images: to a TIFF while a file is
// written, back to the original format while it is read.
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "base/kpath.h"
#include "base/kstring.h"
#include "content/kqelimageconverter.h"
#include "content/kqelvideo.h"
#include "export/shape_fixture.h"
#include "plugin/qelveskimageconverter.h"

using namespace qelsdk_600;

namespace {

void Put(std::string& pOut, unsigned int pValue, int pBytes)
{
    for (int i = 0; i < pBytes; ++i)
        pOut += static_cast<char>((pValue >> (8 * i)) & 0xFF);
}

// A 24-bit BMP of 2 x 2 pixels, top row red, bottom row blue; the header
// may claim another size.
std::string Bmp(unsigned int pWidth = 2, unsigned int pHeight = 2)
{
    std::string out = "BM";
    Put(out, 54 + 16, 4);
    Put(out, 0, 4);
    Put(out, 54, 4);
    Put(out, 40, 4);
    Put(out, pWidth, 4);
    Put(out, pHeight, 4);
    Put(out, 1, 2);
    Put(out, 24, 2);
    Put(out, 0, 4);
    Put(out, 16, 4);
    Put(out, 2835, 4);
    Put(out, 2835, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    for (const char* row : {"\xFF\0\0\xFF\0\0\0\0", "\0\0\xFF\0\0\xFF\0\0"})  // B, G, R; bottom row first
        out.append(row, 8);
    return out;
}

void WriteFile(const std::string& pPath, const std::string& pBytes)
{
    std::ofstream(pPath, std::ios::binary) << pBytes;
}

void WriteTiff(const std::string& pPath, bool pCompress)
{
    ImageConverterBuffer image;
    image.Init(2, 2, true, ImageConverterBuffer::eRGB, 4);
    for (int i = 0; i < 16; ++i)
        image.mPixels[i] = static_cast<unsigned char>(16 * i);
    ASSERT_TRUE(WriteToTif(KString(pPath.c_str()), pCompress, image));
}

bool Exists(const std::string& pPath)
{
    return std::ifstream(pPath).good();
}

class ImageConverterTest : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        const char* tmp = std::getenv("TMPDIR");
        mOldTmp = tmp ? tmp : "";
        mHadTmp = tmp != nullptr;
        setenv("TMPDIR", ScratchDir().c_str(), 1);
    }
    void TearDown() override
    {
        if (mHadTmp)
            setenv("TMPDIR", mOldTmp.c_str(), 1);
        else
            unsetenv("TMPDIR");
        ExportTest::TearDown();
    }
    std::string mOldTmp;
    bool mHadTmp = false;
};

}  // namespace

TEST_F(ImageConverterTest, WritingConvertsToTiffOnlyWhenAskedAndAble)
{
    const std::string dir = ScratchDir() + "/";
    WriteFile(dir + "tex.bmp", Bmp());
    WriteFile(dir + "tex.tga", Bmp());
    WriteFile(dir + "huge.bmp", Bmp(65536, 65536));
    WriteTiff(dir + "deflate.tif", true);
    WriteTiff(dir + "plain.tif", false);
    const struct {
        const char* file;
        bool convert;  // kExportConvert_2Tiff
        int result;
    } cases[] = {
        {"tex.bmp", false, 1},    {"tex.bmp", true, 0},  {"tex.tga", true, 0},     {"deflate.tif", true, 1},
        {"plain.tif", true, 0},   {"plain.tif", false, 1}, {"huge.bmp", true, 1},  {"missing.bmp", true, 1},
    };
    for (const auto& c : cases) {
        Params().SetBoolParam(KQelUserParams::kExportConvert_2Tiff, c.convert);
        const std::string path = dir + c.file;
        KString name(path.c_str());
        ImageConverterBuffer buffer;
        const bool tiff = ExtractFileExtension(c.file) == "tif";
        EXPECT_EQ((tiff ? ConvertTif : Convert)(0, name, buffer), c.result) << c.file << c.convert;
        EXPECT_EQ(std::string(buffer.mOriginalFileName.Buffer()), path);
        EXPECT_EQ(buffer.mKeepFormat, c.result == 1) << c.file;
        if (c.result == 1) {
            EXPECT_EQ(std::string(name.Buffer()), path);
            EXPECT_EQ(buffer.mPixels, nullptr) << c.file;
            continue;
        }
        // A fresh name the writer can take, the image top row first.
        const std::string converted = name.Buffer();
        EXPECT_EQ(converted.compare(0, dir.size() + 7, dir + "texfile"), 0) << converted;
        EXPECT_EQ(ExtractFileExtension(converted.c_str()), "tif");
        EXPECT_FALSE(Exists(converted));
        ASSERT_EQ(buffer.mWidth * buffer.mHeight * buffer.mSamplesPerPixel, 16);
        if (!tiff) {
            EXPECT_EQ(std::vector<int>(buffer.mPixels, buffer.mPixels + 4), (std::vector<int>{255, 0, 0, 255}));
        }
    }
    // A temporary directory too long to be told gives a name in /tmp/.
    setenv("TMPDIR", ("/" + std::string(300, 'd')).c_str(), 1);
    KString name((dir + "tex.bmp").c_str());
    ImageConverterBuffer buffer;
    ASSERT_EQ(Convert(0, name, buffer), 0);
    EXPECT_EQ(std::string(name.Buffer()).compare(0, 12, "/tmp/texfile"), 0) << name.Buffer();
}

TEST_F(ImageConverterTest, ReadingRestoresTheOriginalBesideTheTiff)
{
    const std::string dir = ScratchDir() + "/";
    WriteFile(dir + "Keep.bmp", "the user's own");
    const struct {
        const char* original;
        bool keptFormat;
        int result;
        const char* file;  // the name handed back
    } cases[] = {
        {"/textures/Tex.BMP", false, 0, "Tex.BMP"}, {"/textures/a.tga", false, 1, "back.tif"},
        {"/textures/a.TIF", false, 0, "back.tif"},  {"/textures/..", false, 1, "back.tif"},
        {"/textures/Keep.bmp", false, 1, "back.tif"}, {"/textures/b.bmp", true, 1, "back.tif"},
    };
    for (const auto& c : cases) {
        std::remove((dir + "back.tif").c_str());
        ImageConverterBuffer buffer;
        buffer.Init(2, 2, true, ImageConverterBuffer::eRGB, 4);
        for (int i = 0; i < 16; ++i)
            buffer.mPixels[i] = static_cast<unsigned char>(i);
        buffer.SetOriginalFileName(c.original);
        buffer.SetOriginalFormat(c.keptFormat);
        KString name((dir + "back.tif").c_str());
        EXPECT_EQ(Convert(1, name, buffer), c.keptFormat ? 1 : 0) << c.original;
        EXPECT_EQ(ConvertTif(1, name, buffer), c.result) << c.original;
        EXPECT_EQ(std::string(name.Buffer()), dir + c.file) << c.original;
        EXPECT_EQ(Exists(dir + "back.tif"), !c.keptFormat && std::string(c.file) == "back.tif") << c.original;
        if (c.result == 0 && std::string(c.file) != "back.tif") {
            EXPECT_EQ(ReadText(dir + c.file).compare(0, 2, "BM"), 0);
        }
    }
    EXPECT_EQ(ReadText(dir + "Keep.bmp"), "the user's own");
}

TEST_F(ImageConverterTest, RegistrationCoversTheHostImageExtensions)
{
    QelVeskRegisterImageConverters(nullptr);
    KQelSdkManager manager;
    QelVeskRegisterImageConverters(&manager);
    ASSERT_EQ(manager.GetKQelImageConverterCount(), 1);
    KQelImageConverter* converter = manager.GetKQelImageConverter(0);
    for (const char* file : {"a.JPG", "a.tif", "a.yuv", "a.png"}) {
        KString name(file);
        ImageConverterBuffer buffer;
        EXPECT_FALSE(converter->Convert(0, name, buffer)) << file << ": kept, conversion being off";
        EXPECT_EQ(std::string(buffer.mOriginalFileName.Buffer()), std::string(file) == "a.png" ? "" : file);
    }
}

TEST_F(ImageConverterTest, EmbeddedTexturesTravelAsTiffAndComeBackInTheirFormat)
{
    const std::string dir = ScratchDir() + "/";
    WriteFile(dir + "tex.bmp", Bmp());
    ShapeTest::MakeStrip("strip", 1);
    ShapeTest::AssignShader("g", ShapeTest::MakeShader("lambert", "skin"), "stripShape");
    ShapeTest::MakeFileTexture("tex", (dir + "tex.bmp").c_str(), "skin.color");
    Params().SetBoolParam(KQelUserParams::kExportEmbedTextures, true);
    Params().SetBoolParam(KQelUserParams::kExportConvert_2Tiff, true);
    ASSERT_TRUE(Export());
    std::remove((dir + "tex.bmp").c_str());
    // The converted TIFF went into the file and nowhere else.
    DIR* scratch = opendir(ScratchDir().c_str());
    ASSERT_NE(scratch, nullptr);
    while (const dirent* entry = readdir(scratch))
        EXPECT_NE(std::string(entry->d_name).compare(0, 7, "texfile"), 0) << entry->d_name;
    closedir(scratch);

    KQelSdkManager manager;
    QelVeskRegisterImageConverters(&manager);
    KQelScene* scene = manager.CreateKQelScene();
    KQelImporter importer(manager);
    KQelReaderQel reader(manager, importer);
    ASSERT_TRUE(reader.FileOpen(mPath.c_str()));
    std::unique_ptr<KStreamOptions> options(reader.GetReadOptions(true));
    ASSERT_TRUE(reader.Read(*scene, options.get()));
    reader.FileClose();
    ASSERT_EQ(manager.GetKQelVideoCount(), 1);
    KQelVideo* video = manager.GetKQelVideo(0);
    EXPECT_FALSE(video->GetOriginalFormat());
    EXPECT_EQ(std::string(video->GetOriginalFilename()), dir + "tex.bmp");
    const std::string restored = video->GetFileName();
    EXPECT_EQ(ExtractFileName(restored.c_str()), "tex.bmp") << restored;
    EXPECT_EQ(ReadText(restored).compare(0, 2, "BM"), 0);
}
