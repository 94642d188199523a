// Texture conversion through the host's image reader and writer: the
// converter functions the SDK calls for texture files while a file is
// written with embedded media (mode 0) and while a file is read (mode 1).
// The export and the import register them on their own managers.
#ifndef QELVESK_PLUGIN_QELVESKIMAGECONVERTER_H
#define QELVESK_PLUGIN_QELVESKIMAGECONVERTER_H

namespace qelsdk_600 {
class ImageConverterBuffer;
class KQelSdkManager;
class KString;
}  // namespace qelsdk_600

// Makes a new image converter on the manager and registers Convert for the
// host's image extensions and ConvertTif for "tif" and "tiff". Nothing for
// a null manager or when no converter can be made.
void QelVeskRegisterImageConverters(qelsdk_600::KQelSdkManager* pManager);

// Mode 0: with kExportConvert_2Tiff the image is read into pBuffer and
// pFileName becomes a fresh temporary ".tif" name (0); without it, or when
// the host cannot read it, the file keeps its format (1, the buffer holding
// no pixels and its original-format flag set). Either way the buffer
// records pFileName as the original. Mode 1: 1 when the buffer kept its
// format, else 0; nothing is written. Any other mode: 1.
int Convert(int pMode, qelsdk_600::KString& pFileName, qelsdk_600::ImageConverterBuffer& pBuffer);

// Mode 0: as Convert, except that a compressed TIFF keeps its format.
// Mode 1, for a buffer stored converted: writes it to pFileName as an
// uncompressed TIFF; when the original was another image the host writes
// (its extension, in any case, on the restore list), the image is written
// beside pFileName under the original's plain file name, the TIFF removed
// and pFileName changed to it (0). The TIFF stays, with 1, when that name
// is not a plain file name, a file of that name exists, or a step fails;
// an original TIFF gives 0 when the TIFF was written. Any other mode: 1.
int ConvertTif(int pMode, qelsdk_600::KString& pFileName, qelsdk_600::ImageConverterBuffer& pBuffer);

// Reads the image pFileName names through the host into pBuffer (RGBA, top
// row first) and sets pFileName to a new temporary name in the temporary
// directory ("/tmp/" when that cannot be told), beginning "texfile" and
// ending ".tif", where no file is left; 0. On failure 1, pFileName
// unchanged, the buffer without pixels and its original-format flag set:
// an unreadable image, or one of more than 2^31 - 1 bytes, which is never
// allocated.
int FillBuffer(qelsdk_600::ImageConverterBuffer& pBuffer, qelsdk_600::KString& pFileName);

#endif
