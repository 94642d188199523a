// Cameras, lights, shaders and images.
#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include <vesk/MFnCamera.h>
#include <vesk/MFnDirectionalLight.h>
#include <vesk/MFnPhongShader.h>
#include <vesk/MFnPointLight.h>
#include <vesk/MFnSpotLight.h>
#include <vesk/MFnTransform.h>
#include <vesk/MImage.h>

#include "host_fixture.h"
#include "math_values.h"

namespace {

using RenderTest = HostTest;

std::string tempFile(const char* name)
{
    return ::testing::TempDir() + "vesk_" + std::to_string(getpid()) + "_" + name;
}

void writeBytes(const std::string& file, const std::vector<unsigned char>& bytes)
{
    FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void put32(std::vector<unsigned char>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void put16(std::vector<unsigned char>& b, uint16_t v)
{
    put32(b, v);
    b.resize(b.size() - 2);
}

// A BMP of the given rows (as stored: the first row given is the file's
// first), bits 24 or 32, height negative for top-down storage.
std::vector<unsigned char> bmp(int width, int height, int bits, const std::vector<std::vector<unsigned char>>& rows)
{
    std::vector<unsigned char> b = {'B', 'M'};
    put32(b, 0);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, static_cast<uint32_t>(width));
    put32(b, static_cast<uint32_t>(height));
    put16(b, 1);
    put16(b, static_cast<uint16_t>(bits));
    for (int i = 0; i < 6; ++i)
        put32(b, 0);
    for (const auto& row : rows) {
        b.insert(b.end(), row.begin(), row.end());
        while ((b.size() - 54) % 4)
            b.push_back(0);
    }
    return b;
}

// A little-endian TIFF header and directory of one 8-bit grey strip that
// claims the given size.
std::vector<unsigned char> tiffClaiming(uint32_t width, uint32_t height)
{
    std::vector<unsigned char> b = {'I', 'I', 42, 0};
    put32(b, 8);
    const uint16_t tags[][2] = {{256, 4}, {257, 4}, {258, 3}, {259, 3}, {262, 3}, {273, 4}, {277, 3}, {278, 4}, {279, 4}};
    const uint32_t values[] = {width, height, 8, 1, 1, 200, 1, height, 1};
    put16(b, 9);
    for (int i = 0; i < 9; ++i) {
        put16(b, tags[i][0]);
        put16(b, tags[i][1]);
        put32(b, 1);
        put32(b, values[i]);
    }
    put32(b, 0);
    b.resize(210, 0);
    return b;
}

std::vector<unsigned char> pixelsOf(const MImage& image)
{
    unsigned int w = 0, h = 0;
    image.getSize(w, h);
    return std::vector<unsigned char>(image.pixels(), image.pixels() + size_t(w) * h * 4);
}

} // namespace

TEST_F(RenderTest, CamerasKeepTheirLensAndFilm)
{
    MFnCamera camera(path("persp"));
    EXPECT_EQ(camera.focalLength(), 35.0);
    EXPECT_EQ(camera.nearClippingPlane(), 0.01);
    EXPECT_EQ(camera.farClippingPlane(), 1000.0);
    EXPECT_EQ(camera.filmFit(), MFnCamera::kHorizontalFilmFit);
    EXPECT_EQ(camera.horizontalFilmAperture(), 1.41732);
    EXPECT_TRUE(camera.isClippingPlanes());
    EXPECT_FALSE(camera.isOrtho());
    // Ranges are not clamped; values that are not numbers are refused.
    ASSERT_TRUE(camera.setNearClippingPlane(-1.0));
    EXPECT_EQ(camera.nearClippingPlane(), -1.0);
    EXPECT_EQ(camera.setFocalLength(NAN).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(camera.setFilmFit(MFnCamera::kInvalid).statusCode(), MStatus::kInvalidParameter);
    ASSERT_TRUE(camera.setFilmFit(MFnCamera::kOverscanFilmFit));
    ASSERT_TRUE(camera.setIsOrtho(true));
    ASSERT_TRUE(camera.setFocusDistance(12.5));
    EXPECT_EQ(plug("perspShape.focusDistance").asDouble(), 12.5);
    // Up is +Y in the camera's space, turned by its transform in the world.
    const double turn[3] = {kPi / 2, 0, 0};
    MFnTransform(object("persp")).setRotation(turn, MTransformationMatrix::kXYZ);
    EXPECT_EQ(camera.upDirection(MSpace::kObject), MVector(0, 1, 0));
    EXPECT_TRUE(camera.upDirection(MSpace::kWorld).isEquivalent(MVector(0, 0, 1), 1e-12));
}

TEST_F(RenderTest, LightsComeWithTheirOwnTransform)
{
    const MObject group = make("transform", "group");
    const struct {
        const char* kind;
        MObject (*create)(const MObject&, MStatus*);
    } cases[] = {
        {"pointLight", [](const MObject& p, MStatus* s) { return MFnPointLight().create(p, true, s); }},
        {"directionalLight", [](const MObject& p, MStatus* s) { return MFnDirectionalLight().create(p, true, s); }},
        {"spotLight", [](const MObject& p, MStatus* s) { return MFnSpotLight().create(p, true, s); }},
    };
    for (const auto& c : cases) {
        MStatus s;
        const MObject light = c.create(group, &s);
        ASSERT_TRUE(s) << c.kind;
        EXPECT_EQ(nameOf(light), std::string(c.kind) + "Shape1");
        MFnDagNode transform(MFnDagNode(light).parent(0));
        EXPECT_EQ(transform.name(), MString((std::string(c.kind) + "1").c_str()));
        EXPECT_TRUE(transform.isChildOf(group));
        EXPECT_TRUE(c.create(object("defaultShaderList1"), &s).isNull());
        EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    }
    MFnSpotLight spot(path("spotLight1"));
    EXPECT_NEAR(spot.coneAngle(), 40.0 * kPi / 180.0, 1e-15);
    EXPECT_EQ(spot.setConeAngle(INFINITY).statusCode(), MStatus::kInvalidParameter);
    MFnLight light(path("pointLight1"));
    EXPECT_EQ(light.color(), MColor(1, 1, 1));
    EXPECT_EQ(light.intensity(), 1.0f);
    ASSERT_TRUE(light.setColor(MColor(0.5f, 0.25f, 0.0f, 0.3f)));
    ASSERT_TRUE(light.setIntensity(2.5f));
    EXPECT_EQ(light.color(), MColor(0.5f, 0.25f, 0.0f));
    EXPECT_EQ(plug("pointLightShape1.intensity").asFloat(), 2.5f);
    // A point light's set also works on area and volume lights.
    const struct {
        const char* kind;
        bool accepted;
    } kinds[] = {{"areaLight", true}, {"volumeLight", true}, {"spotLight", false}, {"ambientLight", false}};
    for (const auto& k : kinds) {
        MStatus s;
        MFnPointLight(make(k.kind, "", "group"), &s);
        EXPECT_EQ(static_cast<bool>(s), k.accepted) << k.kind;
    }
}

TEST_F(RenderTest, ShadersNestLambertReflectPhong)
{
    MFnPhongShader phong;
    const MObject shader = phong.create();
    EXPECT_EQ(nameOf(shader), "phong1");
    EXPECT_EQ(phong.cosPower(), 20.0f);
    EXPECT_EQ(phong.color(), MColor(0.5f, 0.5f, 0.5f));
    EXPECT_EQ(phong.specularColor(), MColor(0.5f, 0.5f, 0.5f));
    EXPECT_EQ(phong.transparency(), MColor(0, 0, 0));
    ASSERT_TRUE(phong.setCosPower(3.0f));
    ASSERT_TRUE(phong.setSpecularColor(MColor(0.3f, 0.3f, 0.3f)));
    ASSERT_TRUE(phong.setAmbientColor(MColor(0.4f, 0.4f, 0.4f)));
    EXPECT_EQ(MFnLambertShader(shader).ambientColor(), MColor(0.4f, 0.4f, 0.4f));
    EXPECT_EQ(MFnReflectShader(shader).specularColor(), MColor(0.3f, 0.3f, 0.3f));
    const MObject lambert = MFnLambertShader().create();
    const MObject plain = make("surfaceShader", "plain");
    const struct {
        MObject object;
        bool lambert, reflect, phong;
    } cases[] = {{shader, true, true, true}, {MFnReflectShader().create(), true, true, false},
                 {lambert, true, false, false}, {plain, false, false, false}};
    for (const auto& c : cases) {
        MStatus a, b, d;
        MFnLambertShader(c.object, &a);
        MFnReflectShader(c.object, &b);
        MFnPhongShader(c.object, &d);
        EXPECT_EQ(static_cast<bool>(a), c.lambert) << nameOf(c.object);
        EXPECT_EQ(static_cast<bool>(b), c.reflect) << nameOf(c.object);
        EXPECT_EQ(static_cast<bool>(d), c.phong) << nameOf(c.object);
    }
}

TEST_F(RenderTest, ImagesComeBottomRowFirstAndRoundTrip)
{
    // 2 x 2, stored bottom row first: red, green / blue, white.
    const std::string in24 = tempFile("in24.bmp");
    writeBytes(in24, bmp(2, 2, 24, {{0, 0, 255, 0, 255, 0}, {255, 0, 0, 255, 255, 255}}));
    MImage image;
    ASSERT_TRUE(image.readFromFile(in24.c_str()));
    unsigned int w = 0, h = 0;
    image.getSize(w, h);
    EXPECT_EQ(w * 10 + h, 22u);
    const std::vector<unsigned char> expected = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    EXPECT_EQ(pixelsOf(image), expected);
    // Top-down 32-bit storage, with its alpha.
    const std::string in32 = tempFile("in32.bmp");
    writeBytes(in32, bmp(1, -2, 32, {{1, 2, 3, 4}, {5, 6, 7, 8}}));
    MImage top;
    ASSERT_TRUE(top.readFromFile(in32.c_str()));
    EXPECT_EQ(pixelsOf(top), (std::vector<unsigned char>{7, 6, 5, 8, 3, 2, 1, 4}));
    for (const char* format : {"tif", "TIFF", "bmp"}) {
        const std::string out = tempFile((std::string("out.") + format).c_str());
        ASSERT_TRUE(top.writeToFile(out.c_str(), format)) << format;
        MImage back;
        ASSERT_TRUE(back.readFromFile(out.c_str())) << format;
        EXPECT_EQ(pixelsOf(back), pixelsOf(top)) << format;
        std::remove(out.c_str());
    }
    EXPECT_EQ(top.writeToFile(tempFile("out.jpg").c_str(), "jpg").statusCode(), MStatus::kFailure);
    EXPECT_EQ(top.depth(), 4u);
    top.release();
    EXPECT_EQ(top.depth(), 0u);
    EXPECT_EQ(top.pixels(), nullptr);
    std::remove(in24.c_str());
    std::remove(in32.c_str());
}

TEST_F(RenderTest, HostileImagesAreRefusedBeforeAllocating)
{
    std::vector<unsigned char> truncated = bmp(4, 4, 24, {{}});
    truncated.resize(54 + 40);
    std::vector<unsigned char> huge = bmp(80000, 80000, 32, {});
    std::vector<unsigned char> compressed = bmp(1, 1, 24, {{1, 2, 3}});
    compressed[30] = 1;
    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
    } cases[] = {
        {"huge.tif", tiffClaiming(80000, 80000)},
        {"wide.tif", tiffClaiming(0xFFFFFFFFu, 2)},
        {"truncated.bmp", truncated},
        {"huge.bmp", huge},
        {"compressed.bmp", compressed},
        {"eight-bit.bmp", bmp(1, 1, 8, {{1}})},
        {"empty.tif", {}},
        {"text.png", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}},
    };
    for (const auto& c : cases) {
        const std::string file = tempFile(c.name);
        writeBytes(file, c.bytes);
        MImage image;
        EXPECT_EQ(image.readFromFile(file.c_str()).statusCode(), MStatus::kFailure) << c.name;
        EXPECT_EQ(image.pixels(), nullptr) << c.name;
        unsigned int w, h;
        EXPECT_FALSE(image.getSize(w, h)) << c.name;
        std::remove(file.c_str());
    }
    MImage none;
    EXPECT_FALSE(none.readFromFile(tempFile("missing.bmp").c_str()));
    EXPECT_FALSE(none.writeToFile(tempFile("empty.tif").c_str(), "tif"));
}
