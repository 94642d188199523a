// TIFF reading and writing of image converter buffers, through libtiff.
#include <fcntl.h>
#include <tiffio.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "base/kfile.h"
#include "base/kpath.h"
#include "content/kqelimageconverter.h"

namespace qelsdk_600 {

namespace {

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
typedef std::unique_ptr<TIFF, TiffCloser> TiffFile;

// Expands count pixels of data units (h luma bytes, then Cb and Cr) into
// Y, Cb, Cr per pixel. Reads ceil(count / h) × (h + 2) bytes.
void ExpandYCrCb(const unsigned char* source, unsigned char* line, int count, int h)
{
    for (int pixel = 0; pixel < count; source += h + 2) {
        for (int k = 0; k < h && pixel < count; ++k, ++pixel) {
            *line++ = source[k];
            *line++ = source[h];
            *line++ = source[h + 1];
        }
    }
}

void ExpandRGB(const unsigned char* source, unsigned char* line, int samples, int count)
{
    std::memcpy(line, source, std::size_t(samples) * std::size_t(count));
}

// A file's strip layout, once ReadLayout has accepted it.
struct StripLayout {
    std::uint32_t mWidth = 0;
    std::uint32_t mHeight = 0;
    int mColorFormat = ImageConverterBuffer::eRGB;
    int mSamples = 0;
    int mSubsampling = 1;            // horizontal; 1 for RGB
    std::uint32_t mRowsPerStrip = 0;  // 1 to the height
    std::uint64_t mScanline = 0;     // distance of rows in a decoded strip
};

// Bytes one row's expansion reads from its strip.
std::uint64_t SourceRowBytes(const StripLayout& l)
{
    if (l.mColorFormat == ImageConverterBuffer::eYCbCr) {
        return (std::uint64_t(l.mWidth) + l.mSubsampling - 1) / l.mSubsampling * (l.mSubsampling + 2);
    }
    return std::uint64_t(l.mWidth) * l.mSamples;
}

// Rows of the strip that starts at row.
std::uint32_t RowsInStrip(const StripLayout& l, std::uint32_t row)
{
    return l.mRowsPerStrip < l.mHeight - row ? l.mRowsPerStrip : l.mHeight - row;
}

// Accepts 8-bit interleaved RGB or YCbCr (3 samples, subsampling 1 or 2 by 1)
// in strips, with sizes that a buffer and libtiff's strip reads can hold.
bool ReadLayout(TIFF* tif, StripLayout& l)
{
    // Tiles have no rows per strip to step by.
    if (TIFFIsTiled(tif)) {
        return false;
    }
    std::uint16_t photometric = 0, samples = 0, bits = 0, planar = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.mWidth) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.mHeight) ||
        !TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) {
        return false;
    }
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &l.mRowsPerStrip);
    if (l.mWidth == 0 || l.mHeight == 0 || l.mWidth > INT_MAX || l.mHeight > INT_MAX || bits != 8 ||
        planar != PLANARCONFIG_CONTIG || samples < 1 || samples > CHAR_MAX) {
        return false;
    }
    l.mSamples = samples;
    if (photometric == PHOTOMETRIC_YCBCR) {
        // Defaulted: without the tag libtiff lays rows out as 2 × 2.
        std::uint16_t horizontal = 0, vertical = 0;
        TIFFGetFieldDefaulted(tif, TIFFTAG_YCBCRSUBSAMPLING, &horizontal, &vertical);
        if (samples != 3 || (horizontal != 1 && horizontal != 2) || vertical != 1) {
            return false;
        }
        l.mColorFormat = ImageConverterBuffer::eYCbCr;
        l.mSubsampling = horizontal;
    } else if (photometric != PHOTOMETRIC_RGB) {
        return false;
    }
    // Absent, the tag defaults to 2^32 - 1: one strip.
    if (l.mRowsPerStrip < 1) {
        l.mRowsPerStrip = 1;
    } else if (l.mRowsPerStrip > l.mHeight) {
        l.mRowsPerStrip = l.mHeight;
    }
    l.mScanline = TIFFScanlineSize64(tif);
    return l.mScanline >= SourceRowBytes(l) && l.mScanline * l.mRowsPerStrip <= std::uint64_t(INT32_MAX);
}

// Every strip of the image lies in the file; uncompressed strips hold all
// their rows. Checked before the pixels are allocated, so that a header
// alone cannot claim a large image.
bool StripsPresent(TIFF* tif, const StripLayout& l)
{
    const std::uint64_t fileSize = TIFFGetSizeProc(tif)(TIFFClientdata(tif));
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const std::uint32_t strips = TIFFNumberOfStrips(tif);
    for (std::uint32_t row = 0; row < l.mHeight; row += l.mRowsPerStrip) {
        const std::uint32_t strip = TIFFComputeStrip(tif, row, 0);
        if (strip >= strips) {
            return false;
        }
        const std::uint64_t offset = TIFFGetStrileOffset(tif, strip);
        const std::uint64_t size = TIFFGetStrileByteCount(tif, strip);
        if (size == 0 || offset > fileSize || size > fileSize - offset ||
            (compression == COMPRESSION_NONE && size < RowsInStrip(l, row) * l.mScanline)) {
            return false;
        }
    }
    return true;
}

// Decodes every strip in full and expands its rows into pixels.
bool ReadStrips(TIFF* tif, const StripLayout& l, unsigned char* pixels)
{
    const std::size_t stripBytes = static_cast<std::size_t>(l.mRowsPerStrip * l.mScanline);
    std::unique_ptr<unsigned char[]> strip(new (std::nothrow) unsigned char[stripBytes]);
    if (!strip) {
        return false;
    }
    const std::size_t rowBytes = std::size_t(l.mWidth) * l.mSamples;
    const int width = static_cast<int>(l.mWidth);
    for (std::uint32_t row = 0; row < l.mHeight; row += l.mRowsPerStrip) {
        const std::uint32_t rows = RowsInStrip(l, row);
        const tmsize_t wanted = static_cast<tmsize_t>(rows * l.mScanline);
        if (TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, row, 0), strip.get(), wanted) != wanted) {
            return false;
        }
        for (std::uint32_t r = 0; r < rows; ++r, pixels += rowBytes) {
            const unsigned char* source = strip.get() + r * l.mScanline;
            if (l.mColorFormat == ImageConverterBuffer::eYCbCr) {
                ExpandYCrCb(source, pixels, width, l.mSubsampling);
            } else {
                ExpandRGB(source, pixels, l.mSamples, width);
            }
        }
    }
    return true;
}

bool SetTags(TIFF* tif, bool compress, const ImageConverterBuffer& buffer)
{
    const bool ycbcr = buffer.mColorFormat == ImageConverterBuffer::eYCbCr;
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(buffer.mWidth)) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(buffer.mHeight)) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, buffer.mSamplesPerPixel) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, compress ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_NONE) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, ycbcr ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_RGB) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::uint32_t(1)) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_XRESOLUTION, 72.0) && TIFFSetField(tif, TIFFTAG_YRESOLUTION, 72.0) &&
              TIFFSetField(tif, TIFFTAG_SUBFILETYPE, std::uint32_t(0)) &&
              TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    if (ok && buffer.mSamplesPerPixel == 4) {
        std::uint16_t alpha = EXTRASAMPLE_ASSOCALPHA;
        ok = TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &alpha);
    }
    // Without it libtiff assumes 2 × 2 and keeps only part of each row.
    if (ok && ycbcr) {
        ok = TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, 1, 1);
    }
    return ok;
}

bool WriteTiff(const char* path, bool compress, ImageConverterBuffer& buffer)
{
    TIFF* tif = TIFFOpen(path, "w");
    if (!tif) {
        return false;
    }
    bool ok = SetTags(tif, compress, buffer);
    const std::size_t rowBytes = std::size_t(buffer.mWidth) * std::size_t(buffer.mSamplesPerPixel);
    for (int row = 0; ok && row < buffer.mHeight; ++row) {
        if (TIFFWriteScanline(tif, buffer.mPixels + std::size_t(row) * rowBytes, std::uint32_t(row), 0) < 0) {
            TIFFError("WriteFile", "failure in WriteScanline\n");
            ok = false;
        }
    }
    // Writes the directory; TIFFClose would do it without reporting failure.
    ok = ok && TIFFFlush(tif) == 1;
    TIFFClose(tif);
    return ok;
}

// Creates a new empty file in the directory of target, with the access a new
// file gets; its name, short whatever the target's, goes to temp.
bool CreateSiblingTemp(const std::string& target, std::string& temp)
{
    static unsigned serial = 0;
    const std::string::size_type slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    for (int attempt = 0; attempt < 64; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, ".tif-%ld-%u.tmp", static_cast<long>(getpid()), ++serial);
        temp = directory + name;
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

void DropPixels(ImageConverterBuffer& buffer)
{
    delete[] buffer.mPixels;
    buffer.mPixels = nullptr;
    buffer.mValid = false;
}

}  // namespace

bool ReadFromTif(const KString& fileName, ImageConverterBuffer& buffer, bool removeFile)
{
    TiffFile tif(TIFFOpen(fileName.Buffer(), "r"));
    StripLayout layout;
    if (!tif || !ReadLayout(tif.get(), layout) || !StripsPresent(tif.get(), layout)) {
        return false;
    }
    buffer.Init(static_cast<int>(layout.mWidth), static_cast<int>(layout.mHeight), true, layout.mColorFormat,
                static_cast<char>(layout.mSamples));
    if (!buffer.mPixels) {
        return false;
    }
    if (!ReadStrips(tif.get(), layout, buffer.mPixels)) {
        DropPixels(buffer);
        return false;
    }
    tif.reset();
    if (removeFile) {
        KFile::Remove(fileName);
    }
    return true;
}

bool WriteToTif(const KString& fileName, bool compress, ImageConverterBuffer& buffer)
{
    if (fileName.IsEmpty() || buffer.mWidth <= 0 || buffer.mSamplesPerPixel <= 0 ||
        buffer.mSamplesPerPixel > CHAR_MAX || buffer.mHeight < 0 || (buffer.mHeight > 0 && !buffer.mPixels)) {
        return false;
    }
    // The target is replaced only by a complete file.
    std::string temp;
    if (!CreateSiblingTemp(fileName.Buffer(), temp)) {
        return false;
    }
    if (WriteTiff(temp.c_str(), compress, buffer) && std::rename(temp.c_str(), fileName.Buffer()) == 0) {
        return true;
    }
    std::remove(temp.c_str());
    return false;
}

bool IsCompressedTif(const KString& fileName)
{
    const KString extension = ExtractFileExtension(fileName.Buffer()).Upper();
    if (extension != "TIF" && extension != "TIFF") {
        return false;
    }
    TiffFile tif(TIFFOpen(fileName.Buffer(), "r"));
    if (!tif) {
        return false;
    }
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &compression);
    return compression != COMPRESSION_NONE;
}

}  // namespace qelsdk_600
