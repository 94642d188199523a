// MImage: TIFF through the TIFF library, uncompressed BMP by hand.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <tiffio.h>

#include <vesk/MImage.h>

namespace {

// Pixel bytes an image may hold.
constexpr uint64_t kMaxPixelBytes = uint64_t(1) << 31;

bool sizeAllowed(uint64_t width, uint64_t height)
{
    return width > 0 && height > 0 && width <= kMaxPixelBytes && height <= kMaxPixelBytes &&
           width * height <= kMaxPixelBytes / 4;
}

// The library's messages are not the host's: they are dropped.
int quietHandler(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

TIFF* openTiff(const char* path, const char* mode)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, quietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quietHandler, nullptr);
    TIFF* tif = TIFFOpenExt(path, mode, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

uint32_t le32(const unsigned char* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint16_t le16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void put32(std::vector<unsigned char>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void put16(std::vector<unsigned char>& out, uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

bool readFile(const char* path, std::vector<unsigned char>& out)
{
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    unsigned char block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0)
        out.insert(out.end(), block, block + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// Reads an uncompressed 24- or 32-bit BMP: rows bottom first (a negative
// height stores them top first), each padded to 4 bytes, pixels B, G, R (A).
bool readBmp(const std::vector<unsigned char>& file, unsigned char*& pixels, unsigned int& width,
             unsigned int& height)
{
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M')
        return false;
    const uint32_t offset = le32(&file[10]);
    const uint32_t header = le32(&file[14]);
    if (header < 40 || uint64_t(14) + header > file.size())
        return false;
    const int32_t w = static_cast<int32_t>(le32(&file[18]));
    const int32_t h = static_cast<int32_t>(le32(&file[22]));
    const uint16_t bits = le16(&file[28]);
    const uint32_t compression = le32(&file[30]);
    if (le16(&file[26]) != 1 || (bits != 24 && bits != 32) || compression != 0 || w <= 0 || h == 0 ||
        h == INT32_MIN)
        return false;
    const uint64_t rows = h < 0 ? uint64_t(-int64_t(h)) : uint64_t(h);
    if (!sizeAllowed(uint64_t(w), rows))
        return false;
    const uint64_t stride = (uint64_t(w) * bits + 31) / 32 * 4;
    if (offset > file.size() || stride * rows > file.size() - offset)
        return false;
    const size_t bytes = static_cast<size_t>(uint64_t(w) * rows * 4);
    unsigned char* out = static_cast<unsigned char*>(std::malloc(bytes));
    if (!out)
        return false;
    const unsigned int step = bits / 8;
    for (uint64_t r = 0; r < rows; ++r) {
        const uint64_t fileRow = h < 0 ? rows - 1 - r : r;
        const unsigned char* src = &file[offset + static_cast<size_t>(fileRow * stride)];
        unsigned char* dst = out + static_cast<size_t>(r * uint64_t(w) * 4);
        for (int32_t x = 0; x < w; ++x, src += step, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = bits == 32 ? src[3] : 255;
        }
    }
    pixels = out;
    width = static_cast<unsigned int>(w);
    height = static_cast<unsigned int>(rows);
    return true;
}

bool readTiff(const char* path, unsigned char*& pixels, unsigned int& width, unsigned int& height)
{
    TIFF* tif = openTiff(path, "r");
    if (!tif)
        return false;
    uint32_t w = 0, h = 0;
    bool ok = TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w) == 1 && TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h) == 1 &&
              sizeAllowed(w, h);
    uint32_t* raster = nullptr;
    if (ok) {
        raster = static_cast<uint32_t*>(std::malloc(size_t(w) * h * sizeof(uint32_t)));
        ok = raster && TIFFReadRGBAImageOriented(tif, w, h, raster, ORIENTATION_BOTLEFT, 0) == 1;
    }
    TIFFClose(tif);
    if (!ok) {
        std::free(raster);
        return false;
    }
    // Each raster word packs R, G, B, A; the bytes go out in that order.
    unsigned char* out = reinterpret_cast<unsigned char*>(raster);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        const uint32_t p = raster[i];
        out[4 * i] = static_cast<unsigned char>(TIFFGetR(p));
        out[4 * i + 1] = static_cast<unsigned char>(TIFFGetG(p));
        out[4 * i + 2] = static_cast<unsigned char>(TIFFGetB(p));
        out[4 * i + 3] = static_cast<unsigned char>(TIFFGetA(p));
    }
    pixels = out;
    width = w;
    height = h;
    return true;
}

bool writeTiff(const char* path, const unsigned char* pixels, unsigned int width, unsigned int height)
{
    TIFF* tif = openTiff(path, "w");
    if (!tif)
        return false;
    // Stored as associated alpha, which the reader returns unchanged.
    const uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width) && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4) && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra) && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1);
    std::vector<unsigned char> row(size_t(width) * 4);
    for (unsigned int r = 0; ok && r < height; ++r) {
        // The file is written top row first.
        std::memcpy(row.data(), pixels + size_t(height - 1 - r) * width * 4, row.size());
        ok = TIFFWriteScanline(tif, row.data(), r, 0) == 1;
    }
    TIFFClose(tif);
    return ok;
}

bool writeBmp(const char* path, const unsigned char* pixels, unsigned int width, unsigned int height)
{
    const uint32_t bytes = width * height * 4;
    std::vector<unsigned char> out;
    out.reserve(54 + bytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + bytes);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, bytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (size_t i = 0; i < size_t(width) * height; ++i) {
        const unsigned char* p = pixels + 4 * i;
        out.push_back(p[2]);
        out.push_back(p[1]);
        out.push_back(p[0]);
        out.push_back(p[3]);
    }
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && written;
}

} // namespace

MImage::MImage() {}

MImage::~MImage()
{
    release();
}

void MImage::release()
{
    std::free(mPixels);
    mPixels = nullptr;
    mWidth = mHeight = 0;
}

MStatus MImage::readFromFile(const MString& path)
{
    release();
    FILE* f = std::fopen(path.asChar(), "rb");
    if (!f)
        return MStatus::kFailure;
    unsigned char magic[4] = {0, 0, 0, 0};
    const size_t got = std::fread(magic, 1, 4, f);
    std::fclose(f);
    const bool tiff = got == 4 && ((magic[0] == 'I' && magic[1] == 'I' && magic[2] == 42 && magic[3] == 0) ||
                                   (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 && magic[3] == 42) ||
                                   (magic[0] == 'I' && magic[1] == 'I' && magic[2] == 43 && magic[3] == 0) ||
                                   (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 && magic[3] == 43));
    bool ok = false;
    if (tiff) {
        ok = readTiff(path.asChar(), mPixels, mWidth, mHeight);
    } else if (got >= 2 && magic[0] == 'B' && magic[1] == 'M') {
        std::vector<unsigned char> file;
        ok = readFile(path.asChar(), file) && readBmp(file, mPixels, mWidth, mHeight);
    }
    if (!ok) {
        release();
        return MStatus::kFailure;
    }
    return MStatus::kSuccess;
}

MStatus MImage::getSize(unsigned int& width, unsigned int& height) const
{
    if (!mPixels)
        return MStatus::kFailure;
    width = mWidth;
    height = mHeight;
    return MStatus::kSuccess;
}

unsigned char* MImage::pixels() const
{
    return mPixels;
}

unsigned int MImage::depth() const
{
    return mPixels ? 4 : 0;
}

MStatus MImage::writeToFile(const MString& path, const MString& outputFormat) const
{
    if (!mPixels)
        return MStatus::kFailure;
    const MString format = outputFormat.toLowerCase();
    bool ok = false;
    if (format == "tif" || format == "tiff")
        ok = writeTiff(path.asChar(), mPixels, mWidth, mHeight);
    else if (format == "bmp")
        ok = writeBmp(path.asChar(), mPixels, mWidth, mHeight);
    return ok ? MStatus::kSuccess : MStatus::kFailure;
}
