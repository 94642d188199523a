// Writes the seed corpus of tif_fuzz: images of each kind the reader takes,
// by the SDK's writer and, for several rows per strip and subsampled YCbCr,
// by libtiff itself.
#include <tiffio.h>

#include <string>
#include <vector>

#include "content/kqelimageconverter.h"

using namespace qelsdk_600;

namespace {

bool WriteSubsampled(const std::string& path, bool compress)
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 5);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 3);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
    TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, 2, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compress ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2);
    std::vector<unsigned char> units(36);
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<unsigned char>(i * 29);
    const bool ok = TIFFWriteEncodedStrip(tif, 0, units.data(), 24) > 0 &&
                    TIFFWriteEncodedStrip(tif, 1, units.data() + 24, 12) > 0;
    TIFFClose(tif);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    const struct {
        const char* name;
        int format, samples;
        bool compress;
    } seeds[] = {
        {"rgb.tif", 0, 3, false},
        {"rgb_deflate.tif", 0, 3, true},
        {"rgba_deflate.tif", 0, 4, true},
        {"ycbcr.tif", 1, 3, false},
    };
    int status = 0;
    for (const auto& s : seeds) {
        ImageConverterBuffer image;
        image.Init(5, 3, true, s.format, static_cast<char>(s.samples));
        for (int i = 0; i < 5 * 3 * s.samples; ++i)
            image.mPixels[i] = static_cast<unsigned char>(i * 37 + 11);
        if (!WriteToTif((dir + "/" + s.name).c_str(), s.compress, image))
            status = 1;
    }
    if (!WriteSubsampled(dir + "/ycbcr_422.tif", false) || !WriteSubsampled(dir + "/ycbcr_422_deflate.tif", true))
        status = 1;
    return status;
}
