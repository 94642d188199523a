// Image hand-over between the application's converter functions and the
// SDK's own TIFF reader and writer.
#ifndef QELSDK_CONTENT_KQELIMAGECONVERTER_H
#define QELSDK_CONTENT_KQELIMAGECONVERTER_H

#include "base/kcharptrset.h"
#include "base/kstring.h"

namespace qelsdk_600 {

class KQelSdkManager;

// An image in memory: rows from top to bottom, each of width × samples-per-pixel
// interleaved 8-bit samples, one directly after the other. Converter functions
// fill or read the fields directly. Not copyable: it owns its pixels.
class ImageConverterBuffer {
public:
    // Colour formats (mColorFormat).
    enum { eRGB = 0, eYCbCr = 1 };

    // 0 × 0, RGB, 3 samples, no pixels, keep format, not valid, not allocated.
    ImageConverterBuffer();
    // Releases the pixels.
    ~ImageConverterBuffer();
    ImageConverterBuffer(const ImageConverterBuffer&) = delete;
    ImageConverterBuffer& operator=(const ImageConverterBuffer&) = delete;

    // Releases the pixels held, stores the arguments (samples widened from the
    // char) and sets mValid: true without allocate, otherwise only for a width
    // and height above 0, colour format 0 or 1 and samples above 0. When valid
    // and allocate, the pixels become width × height × samples bytes, left
    // for the caller to fill; more than 2^31 - 1 bytes, or memory that cannot
    // be had, gives mValid false and no pixels. mAllocated records allocate.
    void Init(int width, int height, bool allocate, int colorFormat, char samplesPerPixel);
    // Whether the image keeps its own format (true) or becomes a TIFF.
    void SetOriginalFormat(bool keepFormat) { mKeepFormat = keepFormat; }
    // The media file the image comes from.
    void SetOriginalFileName(const KString& fileName) { mOriginalFileName = fileName; }

    int mWidth;
    int mHeight;
    int mColorFormat;          // eRGB, or eYCbCr (Y, Cb, Cr per pixel)
    int mSamplesPerPixel;
    unsigned char* mPixels;    // owned, from new[]; null when none
    bool mKeepFormat;
    KString mOriginalFileName;
    bool mValid;               // the last Init accepted its arguments
    bool mAllocated;           // the last Init was asked to allocate
};

// A converter function: mode 0 fills the buffer from the image in fileName,
// mode 1 writes the buffer to fileName in that file's own format. Returns 0
// when it did its work, any other value when it did not.
typedef int (*KQelImageConverterFunction)(int mode, KString& fileName, ImageConverterBuffer& buffer);

// The application's converter functions, one per file extension (compared
// without regard to case). Made by its SDK manager, which it only remembers.
// Not copyable.
class KQelImageConverter {
public:
    explicit KQelImageConverter(KQelSdkManager& manager);
    KQelImageConverter(const KQelImageConverter&) = delete;
    KQelImageConverter& operator=(const KQelImageConverter&) = delete;

    // Registers function for the extension (without its '.'). Ignored for a
    // null function and for an extension already registered in any case: the
    // first registration stays.
    void RegisterConverterFunction(const KString& extension, KQelImageConverterFunction function);
    // Removes the first entry, in sorted extension order, whose function is
    // the given one; only that one. Null, or a function not registered,
    // changes nothing.
    void UnregisterConverterFunction(KQelImageConverterFunction function);
    // Calls the function registered for the extension of fileName (the text
    // after a '.' that follows the last '/' and '\') with mode, fileName and
    // buffer. True only when there is one and it returned 0; false for a name
    // without extension.
    bool Convert(int mode, KString& fileName, ImageConverterBuffer& buffer);

private:
    KCharPtrSet mFunctions;
    // The manager that made the converter; the converter itself never calls it.
    [[maybe_unused]] KQelSdkManager& mManager;
};

// Reads a TIFF of 8-bit interleaved RGB (any sample count up to 127) or YCbCr
// (3 samples, horizontal subsampling 1 or 2, vertical 1) stored in strips into
// buffer, which Init allocates (colour format 1 for YCbCr, samples expanded
// to Y, Cb, Cr per pixel). With removeFile the file is removed after a
// successful read. False, with the file left in place, for a file that does
// not open, any other kind of image (tiled, other depths, separate planes,
// palette, grey), a strip missing or not decoding in full, or an image the
// buffer cannot hold; the buffer is then untouched, or without pixels and
// not valid when it had been initialised for the image.
bool ReadFromTif(const KString& fileName, ImageConverterBuffer& buffer, bool removeFile);

// Writes buffer as an 8-bit TIFF, one row per strip, Deflate-compressed when
// compress is true; colour format 1 as YCbCr without subsampling, four samples
// with associated alpha. The file is written beside fileName under another
// name and renamed over it only when complete. False, with an existing file
// unchanged, when the buffer has a width not above 0, samples outside 1 to
// 127, a negative height, or rows but no pixels, or when writing fails.
bool WriteToTif(const KString& fileName, bool compress, ImageConverterBuffer& buffer);

// True when fileName ends in .tif or .tiff (any case), opens as a TIFF and
// has a compression other than none; a file without the tag is uncompressed.
bool IsCompressedTif(const KString& fileName);

}  // namespace qelsdk_600

#endif
