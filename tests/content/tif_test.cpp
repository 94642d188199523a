#include <sys/resource.h>
#include <tiffio.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/scratch_dir.h"
#include "content/kqelimageconverter.h"

#if defined(__SANITIZE_ADDRESS__)
#define QEL_WATCH_ALLOCATIONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QEL_WATCH_ALLOCATIONS 1
#endif
#endif
#ifdef QEL_WATCH_ALLOCATIONS
// The sanitizer runtime's own interface; gcc installs no header for it.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                         void (*)(const volatile void*));
#endif

namespace qelsdk_600 {
namespace {

using scratch::ScratchDir;
typedef std::vector<unsigned char> Bytes;

void FillPattern(ImageConverterBuffer& buffer, int width, int height, int format, int samples)
{
    buffer.Init(width, height, true, format, static_cast<char>(samples));
    for (int i = 0; i < width * height * samples; ++i) {
        buffer.mPixels[i] = static_cast<unsigned char>(i * 37 + 11);
    }
}

// The largest single allocation since the last WatchAllocations, where the
// sanitizer shows them (0 otherwise).
std::size_t gLargest = 0;
#ifdef QEL_WATCH_ALLOCATIONS
void OnMalloc(const volatile void*, std::size_t size) { gLargest = std::max(gLargest, size); }
void OnFree(const volatile void*) {}
#endif
void WatchAllocations()
{
#ifdef QEL_WATCH_ALLOCATIONS
    static const int installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
    EXPECT_NE(0, installed);
#endif
    gLargest = 0;
}

Bytes Pixels(const ImageConverterBuffer& b)
{
    return Bytes(b.mPixels, b.mPixels + b.mWidth * b.mHeight * b.mSamplesPerPixel);
}

std::string Written(const std::string& path, int width, int height, int format, bool compress)
{
    ImageConverterBuffer buffer;
    FillPattern(buffer, width, height, format, 3);
    EXPECT_TRUE(WriteToTif(path.c_str(), compress, buffer));
    return scratch::ReadFile(path);
}

// A file made by libtiff itself. Strips (or tiles) hold data in order, or
// pattern bytes when data is empty.
struct Layout {
    std::uint16_t photometric = PHOTOMETRIC_RGB, samples = 3, bits = 8, planar = PLANARCONFIG_CONTIG;
    std::uint16_t compression = COMPRESSION_NONE, subsampling = 0;  // horizontal, by 1; 0: no tag
    std::uint32_t width = 5, height = 3, rowsPerStrip = 1;
    bool tiled = false;
};

void MakeTiff(const std::string& path, const Layout& l, const Bytes& data = Bytes())
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(nullptr, tif);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, l.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, l.height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, l.planar);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, l.compression);
    if (l.subsampling) {
        TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, l.subsampling, 1);
    }
    if (l.tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
        Bytes tile(TIFFTileSize(tif), 7);
        EXPECT_GT(TIFFWriteEncodedTile(tif, 0, tile.data(), tile.size()), 0);
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, l.rowsPerStrip);
        std::size_t at = 0;
        for (std::uint32_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
            const std::uint32_t row = s * l.rowsPerStrip % l.height;
            const std::size_t size = TIFFVStripSize(tif, std::min(l.rowsPerStrip, l.height - row));
            Bytes strip = data.empty() ? Bytes(size, 9) : Bytes(data.begin() + at, data.begin() + at + size);
            at += size;
            EXPECT_GT(TIFFWriteEncodedStrip(tif, s, strip.data(), size), 0);
        }
    }
    TIFFClose(tif);
}

// Little-endian classic TIFF, first directory: the entry of a tag.
std::uint32_t Get(const std::string& f, std::size_t at, int size)
{
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) {
        v = v << 8 | static_cast<unsigned char>(f[at + i]);
    }
    return v;
}
void Put(std::string& f, std::size_t at, int size, std::uint32_t v)
{
    for (int i = 0; i < size; ++i, v >>= 8) {
        f[at + i] = static_cast<char>(v & 0xFF);
    }
}
std::size_t EntryOf(const std::string& f, std::uint16_t tag)
{
    EXPECT_EQ("II", f.substr(0, 2));
    const std::uint32_t ifd = Get(f, 4, 4);
    for (std::uint32_t i = 0; i < Get(f, ifd, 2); ++i) {
        if (Get(f, ifd + 2 + 12 * i, 2) == tag) {
            return ifd + 2 + 12 * i;
        }
    }
    ADD_FAILURE() << "no tag " << tag;
    return 0;
}
void HideTag(std::string& f, std::uint16_t tag) { Put(f, EntryOf(f, tag), 2, 65000); }
void SetLong(std::string& f, std::uint16_t tag, std::uint32_t v)
{
    const std::size_t e = EntryOf(f, tag);
    Put(f, e + 2, 2, TIFF_LONG);
    Put(f, e + 4, 4, 1);
    Put(f, e + 8, 4, v);
}
// Value `index` of a SHORT or LONG tag, stored in the entry or beside it.
std::size_t ValueAt(const std::string& f, std::uint16_t tag, std::uint32_t index, int& size)
{
    const std::size_t e = EntryOf(f, tag);
    size = Get(f, e + 2, 2) == TIFF_SHORT ? 2 : 4;
    return (Get(f, e + 4, 4) * size <= 4 ? e + 8 : Get(f, e + 8, 4)) + index * size;
}
void SetValue(std::string& f, std::uint16_t tag, std::uint32_t index, std::function<std::uint32_t(std::uint32_t)> change)
{
    int size = 0;
    const std::size_t at = ValueAt(f, tag, index, size);
    Put(f, at, size, change(Get(f, at, size)));
}

TEST(Tif, BuffersOfOddWidthRoundTripByteForByte)
{
    ScratchDir dir;
    const std::string path = dir.File("image.tif");
    const struct {
        int format, samples;
        bool compress;
    } cases[] = {{0, 3, false}, {0, 3, true}, {0, 4, false}, {0, 4, true}, {1, 3, false}, {1, 3, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format << " " << c.samples << " " << c.compress);
        scratch::WriteFile(path, "an older file");
        ImageConverterBuffer out;
        FillPattern(out, 5, 3, c.format, c.samples);
        ASSERT_TRUE(WriteToTif(path.c_str(), c.compress, out));
        EXPECT_EQ(c.compress, IsCompressedTif(path.c_str()));

        TIFF* tif = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(nullptr, tif);
        std::uint16_t extra = 0, *kinds = nullptr;
        EXPECT_EQ(c.samples == 4, TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extra, &kinds) && extra == 1 &&
                                       kinds[0] == EXTRASAMPLE_ASSOCALPHA);
        if (c.format == 0 && c.samples == 3) {
            // libtiff's own RGBA reader sees the same colours.
            std::vector<std::uint32_t> rgba(15);
            ASSERT_TRUE(TIFFReadRGBAImageOriented(tif, 5, 3, rgba.data(), ORIENTATION_TOPLEFT, 0));
            for (int p = 0; p < 15; ++p) {
                EXPECT_EQ(out.mPixels[3 * p], TIFFGetR(rgba[p]));
                EXPECT_EQ(out.mPixels[3 * p + 1], TIFFGetG(rgba[p]));
                EXPECT_EQ(out.mPixels[3 * p + 2], TIFFGetB(rgba[p]));
            }
        }
        TIFFClose(tif);

        ImageConverterBuffer in;
        ASSERT_TRUE(ReadFromTif(path.c_str(), in, true));
        EXPECT_EQ(5, in.mWidth);
        EXPECT_EQ(3, in.mHeight);
        EXPECT_EQ(c.format, in.mColorFormat);
        EXPECT_EQ(c.samples, in.mSamplesPerPixel);
        EXPECT_EQ(Pixels(out), Pixels(in));
        EXPECT_FALSE(scratch::Exists(path));
    }
}

TEST(Tif, ReadsSeveralRowsPerStripAndHorizontallySubsampledYCbCr)
{
    ScratchDir dir;
    const std::string path = dir.File("strips.tif");
    Bytes rgb(5 * 5 * 3), units, ycbcr;
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        rgb[i] = static_cast<unsigned char>(i * 7);
    }
    // 4:2:2 rows of 5 pixels: units Y Y Cb Cr, the last Y of each row padding.
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; x += 2) {
            const unsigned char cb = 100 + 10 * y + x, cr = 200 + 10 * y + x;
            units.insert(units.end(), {static_cast<unsigned char>(10 * y + x), static_cast<unsigned char>(10 * y + x + 1),
                                       cb, cr});
            for (int p = x; p < x + 2 && p < 5; ++p) {
                ycbcr.insert(ycbcr.end(), {static_cast<unsigned char>(10 * y + p), cb, cr});
            }
        }
    }
    Layout rgbLayout, ycbcrLayout;
    rgbLayout.height = 5;
    rgbLayout.rowsPerStrip = ycbcrLayout.rowsPerStrip = 2;
    ycbcrLayout.photometric = PHOTOMETRIC_YCBCR;
    ycbcrLayout.subsampling = 2;
    for (std::uint16_t compression : {COMPRESSION_NONE, COMPRESSION_ADOBE_DEFLATE}) {
        rgbLayout.compression = ycbcrLayout.compression = compression;
        for (const Layout* l : {&rgbLayout, &ycbcrLayout}) {
            const bool isRgb = l == &rgbLayout;
            MakeTiff(path, *l, isRgb ? rgb : units);
            ImageConverterBuffer in;
            ASSERT_TRUE(ReadFromTif(path.c_str(), in, false));
            EXPECT_EQ(isRgb ? rgb : ycbcr, Pixels(in)) << compression;
        }
    }
    // Without RowsPerStrip the image is one strip.
    rgbLayout.rowsPerStrip = 5;
    MakeTiff(path, rgbLayout, rgb);
    std::string file = scratch::ReadFile(path);
    HideTag(file, TIFFTAG_ROWSPERSTRIP);
    scratch::WriteFile(path, file);
    ImageConverterBuffer in;
    ASSERT_TRUE(ReadFromTif(path.c_str(), in, false));
    EXPECT_EQ(rgb, Pixels(in));
}

TEST(Tif, HostileFilesAreRefusedAndStay)
{
    ScratchDir dir;
    const std::string path = dir.File("hostile.tif");
    auto made = [&](Layout l) { return [=] { MakeTiff(path, l); }; };
    auto patched = [&](int width, int format, bool compress, std::function<void(std::string&)> patch) {
        return [=] {
            std::string f = Written(path, width, 3, format, compress);
            patch(f);
            scratch::WriteFile(path, f);
        };
    };
    Layout tiled, deep, planes, grey;
    tiled.tiled = true;
    deep.bits = 16;
    planes.planar = PLANARCONFIG_SEPARATE;
    grey.photometric = PHOTOMETRIC_MINISBLACK;
    grey.samples = 1;
    auto claim = [](std::uint32_t side) {
        return [side](std::string& f) {
            for (std::uint16_t tag : {TIFFTAG_IMAGEWIDTH, TIFFTAG_IMAGELENGTH, TIFFTAG_ROWSPERSTRIP}) {
                SetLong(f, tag, side);
            }
        };
    };
    const struct {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        {"tiled", made(tiled)},
        {"16-bit", made(deep)},
        {"separate planes", made(planes)},
        {"grey", made(grey)},
        {"YCbCr of one sample", patched(5, 1, false, [](std::string& f) { SetLong(f, TIFFTAG_SAMPLESPERPIXEL, 1); })},
        {"no RowsPerStrip", patched(5, 0, true, [](std::string& f) { HideTag(f, TIFFTAG_ROWSPERSTRIP); })},
        {"YCbCr without subsampling", patched(5, 1, false, [](std::string& f) { HideTag(f, TIFFTAG_YCBCRSUBSAMPLING); })},
        {"truncated strip", patched(5, 0, false, [](std::string& f) {
             const std::uint32_t size = static_cast<std::uint32_t>(f.size());
             SetValue(f, TIFFTAG_STRIPOFFSETS, 2, [size](std::uint32_t) { return size - 5; });
         })},
        {"truncated deflate strip", patched(5, 0, true, [](std::string& f) {
             SetValue(f, TIFFTAG_STRIPBYTECOUNTS, 1, [](std::uint32_t count) { return count / 2; });
         })},
        {"70000 x 70000", patched(1, 0, false, claim(70000))},
        {"70000 x 70000 deflate", patched(1, 0, true, claim(70000))},
        {"20000 x 20000", patched(1, 0, false, claim(20000))},
    };
    for (const auto& c : cases) {
        c.make();
        ImageConverterBuffer in;
        WatchAllocations();
        EXPECT_FALSE(ReadFromTif(path.c_str(), in, true)) << c.what;
        EXPECT_LT(gLargest, std::size_t(16) << 20) << c.what;
        EXPECT_EQ(nullptr, in.mPixels) << c.what;
        EXPECT_TRUE(scratch::Exists(path)) << c.what;
    }
}

TEST(Tif, FailedWriteLeavesThePreviousFileByteIdentical)
{
    const struct {
        const char* what;
        std::function<void(ImageConverterBuffer&)> fill;
        bool readOnlyDirectory;
        rlim_t sizeLimit;  // bytes a file may grow to; 0: no limit
    } cases[] = {
        {"no pixels", [](ImageConverterBuffer& b) { b.Init(5, 3, false, 0, 3); }, false, 0},
        {"no width", [](ImageConverterBuffer& b) {
             FillPattern(b, 5, 3, 0, 3);
             b.mWidth = 0;
         }, false, 0},
        {"no samples", [](ImageConverterBuffer& b) {
             FillPattern(b, 5, 3, 0, 3);
             b.mSamplesPerPixel = 0;
         }, false,
         0},
        {"failing row", [](ImageConverterBuffer& b) { FillPattern(b, 100, 10, 0, 3); }, false, 1000},
        {"read-only directory", [](ImageConverterBuffer& b) { FillPattern(b, 5, 3, 0, 3); }, true, 0},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        const std::string path = dir.File("kept.tif");
        const std::string previous = Written(path, 2, 2, 0, false);
        ImageConverterBuffer buffer;
        c.fill(buffer);
        if (c.readOnlyDirectory) {
            std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::remove);
            if (access(dir.Path().c_str(), W_OK) == 0) {
                continue;  // privileged: the directory stays writable
            }
        }
        rlimit old;
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = c.sizeLimit ? c.sizeLimit : old.rlim_cur;
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limited);
        const bool written = WriteToTif(path.c_str(), false, buffer);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_DFL);
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);

        EXPECT_FALSE(written) << c.what;
        EXPECT_EQ(previous, scratch::ReadFile(path)) << c.what;
        const auto entries = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
        EXPECT_EQ(1, entries) << c.what;
    }
}

}  // namespace
}  // namespace qelsdk_600
