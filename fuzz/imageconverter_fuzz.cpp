// libFuzzer target: the host texture converters on arbitrary file bytes,
// read through the stand-in host's images. The first byte picks the
// texture's extension and the original name a read-back restores; the rest
// is the file. Each input is converted with the setting off and on; what
// converts is read back as the SDK would. Every answer must be one the
// converters promise.
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/kpath.h"
#include "base/kstring.h"
#include "content/kqelimageconverter.h"
#include "plugin/qelveskimageconverter.h"
#include "plugin/qelveskuserparams.h"

using namespace qelsdk_600;

namespace {

const char* const kExtensions[] = {"bmp", "BMP", "tif", "tiff", "jpg", "tga"};
const char* const kOriginals[] = {"/t/o.bmp", "/t/O.BMP", "/t/o.tga", "/t/o.tif", "/t/..", "", "/t/o.yuv", "o.bmp"};
constexpr std::size_t kExtensionCount = sizeof kExtensions / sizeof kExtensions[0];
constexpr std::size_t kOriginalCount = sizeof kOriginals / sizeof kOriginals[0];

// The run's own directory, removed (empty) when the run ends.
char gWorkDirectory[4096];

std::string WorkDirectory()
{
    const char* dir = std::getenv("TMPDIR");
    const std::string path = std::string(dir && *dir ? dir : "/tmp") + "/imageconverter_fuzz_" + std::to_string(getpid());
    if (path.size() >= sizeof gWorkDirectory || mkdir(path.c_str(), 0700) != 0)
        __builtin_trap();
    path.copy(gWorkDirectory, path.size());
    std::atexit([] { rmdir(gWorkDirectory); });
    return path;
}

// The host reads a TIFF into a raster of the size its header claims, which
// libFuzzer's malloc limit counts as running out of memory: only headers
// claiming a small image go on. Other files allocate what they hold.
bool ClaimsSmallImage(const std::string& pPath)
{
    TIFF* tif = TIFFOpen(pPath.c_str(), "r");
    if (!tif)
        return true;
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFClose(tif);
    return std::uint64_t(width) * height <= (std::uint64_t(4) << 20);
}

bool IsTiff(const char* pExtension)
{
    const KString extension = KString(pExtension).Lower();
    return extension == "tif" || extension == "tiff";
}

void Check(bool pPromise)
{
    if (!pPromise)
        __builtin_trap();
}

// The SDK's read-back of a converted image: the converters get the buffer
// under a ".tif" name beside the extracted file.
void ReadBack(const std::string& pDirectory, ImageConverterBuffer& pBuffer, const char* pOriginal)
{
    pBuffer.SetOriginalFileName(pOriginal);
    const std::string tif = pDirectory + "/back.tif";
    KString name(tif.c_str());
    const int result = ConvertTif(1, name, pBuffer);
    Check(result == 0 || result == 1);
    // A restored file stays in the directory, under a plain name.
    Check(ExtractDirectoryFromFilePath(name.Buffer()) == pDirectory.c_str());
    std::remove(name.Buffer());
    std::remove(tif.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string directory = WorkDirectory();
    static const bool quiet = [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        return true;
    }();
    (void)quiet;
    if (size < 1)
        return 0;
    const char* extension = kExtensions[data[0] % kExtensionCount];
    const char* original = kOriginals[(data[0] / kExtensionCount) % kOriginalCount];
    const std::string input = directory + "/in." + extension;
    std::FILE* f = std::fopen(input.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);

    if (ClaimsSmallImage(input)) {
        for (bool convert : {false, true}) {
            QelVeskUserParams::Instance()->SetBoolParam(KQelUserParams::kExportConvert_2Tiff, convert);
            KString name(input.c_str());
            ImageConverterBuffer buffer;
            const int result = (IsTiff(extension) ? ConvertTif : Convert)(0, name, buffer);
            Check(buffer.mOriginalFileName == input.c_str());
            Check(Convert(1, name, buffer) == (buffer.mKeepFormat ? 1 : 0));
            if (result != 0) {
                // Kept: the name, no pixels.
                Check(result == 1 && buffer.mKeepFormat && name == input.c_str() && !buffer.mPixels);
                continue;
            }
            // Converted: the image, and a name no file holds yet.
            Check(convert && !buffer.mKeepFormat && buffer.mValid && buffer.mPixels && buffer.mWidth > 0 &&
                  buffer.mHeight > 0 && buffer.mSamplesPerPixel == 4 && !FileExist(name.Buffer()));
            ReadBack(directory, buffer, original);
        }
    }
    std::remove(input.c_str());
    return 0;
}
