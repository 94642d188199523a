#include "plugin/qelveskimageconverter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include <vesk/MImage.h>
#include <vesk/MString.h>

#include "base/kfile.h"
#include "base/kpath.h"
#include "base/kstring.h"
#include "content/kqelimageconverter.h"
#include "plugin/qelveskuserparams.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

struct Registration {
    const char* mExtension;
    KQelImageConverterFunction mFunction;
};

const Registration kRegistrations[] = {
    {"als", Convert},  {"bmp", Convert},  {"cin", Convert},     {"gif", Convert},     {"iff", Convert},
    {"jpg", Convert},  {"jpe", Convert},  {"jpeg", Convert},    {"jfif", Convert},    {"rgb", Convert},
    {"rgba", Convert}, {"sgi", Convert},  {"pic", Convert},     {"tga", Convert},     {"tif", ConvertTif},
    {"tiff", ConvertTif}, {"rla", Convert}, {"yuv", Convert},
};

// Original formats a converted texture is turned back into on reading.
const char* const kRestorable[] = {"als", "gif",  "iff", "jpg", "jpe", "jpeg", "jfif", "rgb",
                                   "rgba", "sgi", "pic", "rla", "bmp", "cin",  "yuv"};

const char kTempPrefix[] = "texfile";
const char kTempSuffix[] = ".tif";
// The temporary directory's buffer, and the directory used when the
// temporary directory does not fit in it.
constexpr unsigned int kTempPathSize = 256;
const char kFallbackTempDirectory[] = "/tmp/";

// Pixel bytes a buffer may hold.
constexpr std::uint64_t kMaxPixelBytes = 0x7FFFFFFF;

bool ConvertToTiff()
{
    return QelVeskUserParams::Instance()->GetBoolParam(KQelUserParams::kExportConvert_2Tiff);
}

// The buffer of a file that keeps its format: no pixels, the name recorded.
void KeepFormat(ImageConverterBuffer& pBuffer)
{
    pBuffer.Init(0, 0, false, ImageConverterBuffer::eRGB, 4);
    pBuffer.SetOriginalFormat(true);
}

bool IsRestorable(const KString& pExtension)
{
    for (const char* extension : kRestorable)
        if (pExtension == extension)
            return true;
    return false;
}

// A name that stays in the directory it is put in.
bool IsPlainFileName(const KString& pName)
{
    return !pName.IsEmpty() && !(pName == ".") && !(pName == "..") && !std::strchr(pName.Buffer(), '/') &&
           !std::strchr(pName.Buffer(), '\\');
}

// Creates pPath as a new empty file; false when it exists or cannot be made.
bool ReserveNewFile(const KString& pPath)
{
    const int fd = ::open(pPath.Buffer(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// The buffer's image written back as the host image pRestored of format
// pFormat, read from the TIFF pTif; false, pRestored not left behind, on
// any failure. pRestored is never written over an existing file.
bool RestoreOriginal(const KString& pTif, const KString& pRestored, const KString& pFormat)
{
    if (!ReserveNewFile(pRestored))
        return false;
    MImage image;
    if (image.readFromFile(MString(pTif.Buffer())) && image.writeToFile(MString(pRestored.Buffer()), pFormat.Buffer()))
        return true;
    KFile::Remove(pRestored);
    return false;
}

}  // namespace

void QelVeskRegisterImageConverters(KQelSdkManager* pManager)
{
    if (!pManager)
        return;
    KQelImageConverter* converter = pManager->CreateKQelImageConverter();
    if (!converter)
        return;
    for (const Registration& registration : kRegistrations)
        converter->RegisterConverterFunction(KString(registration.mExtension), registration.mFunction);
}

int Convert(int pMode, KString& pFileName, ImageConverterBuffer& pBuffer)
{
    if (pMode == 1)
        return pBuffer.mKeepFormat ? 1 : 0;
    if (pMode != 0)
        return 1;
    pBuffer.Init(0, 0, false, ImageConverterBuffer::eRGB, 4);
    pBuffer.SetOriginalFileName(pFileName);
    pBuffer.SetOriginalFormat(!ConvertToTiff());
    if (pBuffer.mKeepFormat)
        return 1;
    return FillBuffer(pBuffer, pFileName);
}

int ConvertTif(int pMode, KString& pFileName, ImageConverterBuffer& pBuffer)
{
    if (pMode == 0) {
        const bool keep = !ConvertToTiff() || IsCompressedTif(pFileName);
        pBuffer.Init(0, 0, false, ImageConverterBuffer::eRGB, 4);
        pBuffer.SetOriginalFileName(pFileName);
        pBuffer.SetOriginalFormat(keep);
        return keep ? 1 : FillBuffer(pBuffer, pFileName);
    }
    if (pMode != 1 || pBuffer.mKeepFormat)
        return 1;
    if (!WriteToTif(pFileName, false, pBuffer))
        return 1;
    const KString extension = ExtractFileExtension(pBuffer.mOriginalFileName.Buffer()).Lower();
    if (extension == "tif" || extension == "tiff")
        return 0;
    const KString ownName = ExtractFileName(pBuffer.mOriginalFileName.Buffer(), true);
    if (!IsRestorable(extension) || !IsPlainFileName(ownName))
        return 1;
    // Beside the TIFF; a TIFF named without directory has its file here.
    KString restored = ExtractDirectoryFromFilePath(pFileName.Buffer());
    if (!restored.IsEmpty())
        restored += "/";
    restored += ownName;
    if (!RestoreOriginal(pFileName, restored, extension))
        return 1;
    KFile::Remove(pFileName);
    pFileName = restored;
    return 0;
}

int FillBuffer(ImageConverterBuffer& pBuffer, KString& pFileName)
{
    MImage image;
    unsigned int width = 0, height = 0;
    const unsigned char* pixels = nullptr;
    if (image.readFromFile(MString(pFileName.Buffer())) && image.getSize(width, height))
        pixels = image.pixels();
    const std::uint64_t rowBytes = std::uint64_t(width) * 4;
    if (!pixels || width == 0 || height == 0 || height > kMaxPixelBytes / rowBytes) {
        KeepFormat(pBuffer);
        return 1;
    }
    pBuffer.Init(static_cast<int>(width), static_cast<int>(height), true, ImageConverterBuffer::eRGB, 4);
    if (!pBuffer.mValid || !pBuffer.mPixels) {
        KeepFormat(pBuffer);
        return 1;
    }
    // The host keeps the bottom row first, the buffer the top row.
    for (unsigned int row = 0; row < height; ++row)
        std::memcpy(pBuffer.mPixels + std::size_t(row) * rowBytes,
                    pixels + std::size_t(height - 1 - row) * rowBytes, std::size_t(rowBytes));

    char directory[kTempPathSize];
    if (GetTempPath(kTempPathSize, directory) == 0)
        std::strcpy(directory, kFallbackTempDirectory);
    const KString name = GetTempName(directory, kTempPrefix, kTempSuffix);
    if (name.IsEmpty()) {
        KeepFormat(pBuffer);
        return 1;
    }
    // Only the name is handed on: the writer makes the file itself and
    // never writes over one that exists.
    KFile::Remove(name);
    pFileName = name;
    return 0;
}
