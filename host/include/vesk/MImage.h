// An image read from or written to a file.
#ifndef VESK_MIMAGE_H
#define VESK_MIMAGE_H

#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/VeskExport.h>

// Pixels are 8-bit red, green, blue and alpha, bottom row first. Files are
// told apart by their first bytes: TIFF (any the TIFF library reads) and
// uncompressed 24- and 32-bit BMP (a 32-bit BMP's fourth byte is its alpha,
// 24-bit ones are opaque); other files fail. An image whose pixel bytes
// would exceed 2^31 is refused before anything is allocated. A failing read
// leaves the image empty.
class VESK_API MImage {
public:
    MImage();
    ~MImage();
    MImage(const MImage&) = delete;
    MImage& operator=(const MImage&) = delete;

    MStatus readFromFile(const MString& path);
    // Fails with kFailure for an empty image.
    MStatus getSize(unsigned int& width, unsigned int& height) const;
    // The pixels (owned by the image), or null when it is empty.
    unsigned char* pixels() const;
    // Bytes per pixel: 4, or 0 when empty.
    unsigned int depth() const;
    // Writes the image as format "tif" or "tiff" (uncompressed RGBA) or
    // "bmp" (32-bit), in any letter case; other formats, an empty image or
    // a file that cannot be written fail with kFailure.
    MStatus writeToFile(const MString& path, const MString& outputFormat = "tif") const;
    // Empties the image.
    void release();

private:
    unsigned char* mPixels = nullptr;
    unsigned int mWidth = 0;
    unsigned int mHeight = 0;
};

#endif
