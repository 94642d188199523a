#include "content/kqelimageconverter.h"
#include "scene/kqelsdkmanager.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace qelsdk_600 {
namespace {

std::string gCalls;

int First(int mode, KString& name, ImageConverterBuffer&)
{
    gCalls += "first " + std::to_string(mode) + " " + name.Buffer() + ";";
    return 0;
}
int Second(int, KString&, ImageConverterBuffer&)
{
    gCalls += "second;";
    return 0;
}
int Refuse(int, KString&, ImageConverterBuffer&)
{
    gCalls += "refuse;";
    return 1;
}


bool ConvertFile(KQelImageConverter& converter, const char* name)
{
    KString file(name);
    ImageConverterBuffer buffer;
    return converter.Convert(0, file, buffer);
}

TEST(ImageConverter, ConvertCallsTheFirstFunctionOfTheExtensionInAnyCase)
{
    KQelSdkManager manager;
    KQelImageConverter& converter = *manager.CreateKQelImageConverter();
    converter.RegisterConverterFunction("jpg", First);
    converter.RegisterConverterFunction("JPG", Second);
    converter.RegisterConverterFunction("png", nullptr);
    converter.RegisterConverterFunction("bad", Refuse);
    const struct {
        const char* name;
        bool result;
        const char* calls;
    } cases[] = {
        {"a/b.JPG", true, "first 1 a/b.JPG;"}, {"c.jpg", true, "first 1 c.jpg;"}, {"dir.jpg/file", false, ""},
        {"noext", false, ""},                  {"d.png", false, ""},              {"e.bad", false, "refuse;"},
    };
    for (const auto& c : cases) {
        gCalls.clear();
        KString name(c.name);
        ImageConverterBuffer buffer;
        EXPECT_EQ(c.result, converter.Convert(1, name, buffer)) << c.name;
        EXPECT_EQ(c.calls, gCalls) << c.name;
    }
}

TEST(ImageConverter, UnregisterRemovesOneEntryPerCallInSortedOrder)
{
    KQelSdkManager manager;
    KQelImageConverter& converter = *manager.CreateKQelImageConverter();
    converter.RegisterConverterFunction("png", First);
    converter.RegisterConverterFunction("bmp", First);
    converter.RegisterConverterFunction("tga", Second);
    converter.UnregisterConverterFunction(nullptr);
    converter.UnregisterConverterFunction(Refuse);
    converter.UnregisterConverterFunction(First);
    EXPECT_FALSE(ConvertFile(converter, "x.bmp"));
    EXPECT_TRUE(ConvertFile(converter, "x.png"));
    converter.UnregisterConverterFunction(First);
    EXPECT_FALSE(ConvertFile(converter, "x.png"));
    EXPECT_TRUE(ConvertFile(converter, "x.tga"));
}

TEST(ImageConverterBuffer, InitAllocatesOnlyForAValidImageThatFitsA32BitCount)
{
    const struct {
        int width, height;
        bool allocate;
        int format;
        char samples;
        bool valid, pixels;
    } cases[] = {
        {4, 2, true, 1, 3, true, true},          {0, 2, true, 0, 3, false, false},
        {0, 0, false, 0, 4, true, false},        {4, 2, true, 2, 3, false, false},
        {4, 2, true, 0, -1, false, false},       {46341, 46341, true, 0, 1, false, false},
        {70000, 70000, true, 0, 3, false, false},
    };
    for (const auto& c : cases) {
        ImageConverterBuffer buffer;
        buffer.Init(3, 3, true, 0, 4);  // released by the next Init, or LSan reports it
        buffer.Init(c.width, c.height, c.allocate, c.format, c.samples);
        EXPECT_EQ(c.valid, buffer.mValid) << c.width;
        EXPECT_EQ(c.pixels, buffer.mPixels != nullptr) << c.width;
        EXPECT_EQ(c.allocate, buffer.mAllocated);
        EXPECT_EQ(c.samples, buffer.mSamplesPerPixel);
        if (buffer.mPixels) {
            buffer.mPixels[std::size_t(c.width) * c.height * c.samples - 1] = 1;
        }
    }
}

}  // namespace
}  // namespace qelsdk_600
