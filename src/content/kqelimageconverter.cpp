#include "content/kqelimageconverter.h"

#include <cstdint>
#include <new>

#include "base/kpath.h"

namespace qelsdk_600 {

namespace {

// Largest pixel array a buffer takes: its size must fit a signed 32-bit count.
const std::int64_t kMaxPixelBytes = 0x7FFFFFFF;

}  // namespace

ImageConverterBuffer::ImageConverterBuffer()
    : mWidth(0),
      mHeight(0),
      mColorFormat(eRGB),
      mSamplesPerPixel(3),
      mPixels(nullptr),
      mKeepFormat(true),
      mValid(false),
      mAllocated(false)
{
}

ImageConverterBuffer::~ImageConverterBuffer()
{
    delete[] mPixels;
    mPixels = nullptr;
    mValid = false;
}

void ImageConverterBuffer::Init(int width, int height, bool allocate, int colorFormat, char samplesPerPixel)
{
    delete[] mPixels;
    mPixels = nullptr;
    mWidth = width;
    mHeight = height;
    mColorFormat = colorFormat;
    mSamplesPerPixel = samplesPerPixel;
    mAllocated = allocate;
    mValid = !allocate || (width > 0 && height > 0 && (colorFormat == eRGB || colorFormat == eYCbCr) &&
                           mSamplesPerPixel > 0);
    if (!mValid || !allocate) {
        return;
    }
    // In 64 bits: the product of three ints overflows 32.
    const std::int64_t bytes = std::int64_t(width) * height * mSamplesPerPixel;
    if (bytes > kMaxPixelBytes) {
        mValid = false;
        return;
    }
    mPixels = new (std::nothrow) unsigned char[static_cast<std::size_t>(bytes)];
    mValid = mPixels != nullptr;
}

KQelImageConverter::KQelImageConverter(KQelSdkManager& manager) : mFunctions(20), mManager(manager) {}

void KQelImageConverter::RegisterConverterFunction(const KString& extension, KQelImageConverterFunction function)
{
    if (!function) {
        return;
    }
    int index = -1;
    mFunctions.Get(extension.Buffer(), &index);
    if (index >= 0) {
        return;
    }
    mFunctions.Add(extension.Buffer(), reinterpret_cast<kReference>(function));
}

void KQelImageConverter::UnregisterConverterFunction(KQelImageConverterFunction function)
{
    if (!function) {
        return;
    }
    const kReference value = reinterpret_cast<kReference>(function);
    for (int i = 0; i < mFunctions.GetCount(); ++i) {
        if (mFunctions.GetFromIndex(i) == value) {
            mFunctions.RemoveFromIndex(i);
            return;
        }
    }
}

bool KQelImageConverter::Convert(int mode, KString& fileName, ImageConverterBuffer& buffer)
{
    const KString extension = ExtractFileExtension(fileName.Buffer());
    if (extension.IsEmpty()) {
        return false;
    }
    const kReference value = mFunctions.Get(extension.Buffer());
    if (value == 0) {
        return false;
    }
    return reinterpret_cast<KQelImageConverterFunction>(value)(mode, fileName, buffer) == 0;
}

}  // namespace qelsdk_600
