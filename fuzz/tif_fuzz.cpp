// libFuzzer target: reads the input as a TIFF into an image buffer. An image
// that reads must also write and read back unchanged.
#include <tiffio.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "content/kqelimageconverter.h"

using namespace qelsdk_600;

namespace {

std::string TempRoot()
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/tif_fuzz_" + std::to_string(getpid());
}

// The reader may allocate up to 2 GiB for an image a header claims, which
// libFuzzer's malloc limit counts as running out of memory: only headers that
// claim a small image go on.
bool ClaimsSmallImage(const std::string& path)
{
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return true;
    std::uint32_t width = 0, height = 0;
    std::uint16_t samples = 1;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFClose(tif);
    return std::uint64_t(width) * height * samples <= (std::uint64_t(64) << 20);
}

bool SameImage(const ImageConverterBuffer& a, const ImageConverterBuffer& b)
{
    return a.mWidth == b.mWidth && a.mHeight == b.mHeight && a.mColorFormat == b.mColorFormat &&
           a.mSamplesPerPixel == b.mSamplesPerPixel &&
           std::memcmp(a.mPixels, b.mPixels, std::size_t(a.mWidth) * a.mHeight * a.mSamplesPerPixel) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string input = TempRoot() + ".tif";
    static const std::string output = TempRoot() + "_out.tif";
    static const bool quiet = [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        return true;
    }();
    (void)quiet;
    std::FILE* f = std::fopen(input.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    if (ClaimsSmallImage(input)) {
        IsCompressedTif(input.c_str());
        ImageConverterBuffer image;
        if (ReadFromTif(input.c_str(), image, false)) {
            ImageConverterBuffer again;
            if (!WriteToTif(output.c_str(), true, image) || !ReadFromTif(output.c_str(), again, true) ||
                !SameImage(image, again))
                __builtin_trap();
        }
    }
    std::remove(input.c_str());
    return 0;
}
