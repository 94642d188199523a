// Small square preview images kept with a take or a scene.
#ifndef QELSDK_SCENE_KQELTHUMBNAIL_H
#define QELSDK_SCENE_KQELTHUMBNAIL_H

#include <memory>

namespace qelsdk_600 {

struct KQelThumbnailMembers;

// A preview image of 64 x 64 or 128 x 128 pixels, RGB or RGBA bytes, which
// the thumbnail keeps without interpreting. Made and destroyed by the
// manager; a take information or scene information only points to one, so a
// thumbnail is not copyable (share it by pointer). Its buffer, when it
// exists, always holds exactly GetSizeInBytes() bytes.
class KQelThumbnail {
public:
    // 0 RGB, three bytes per pixel; any other value RGBA, four.
    enum EDataFormat : int { eRGB_24 = 0, eRGBA_32 = 1 };
    // Width and height in pixels; any value other than 64 and 128 has no image.
    enum EImageSize : int { eNOT_SET = 0, e64x64 = 64, e128x128 = 128 };

    // Format 0, size 0, no buffer.
    KQelThumbnail();
    // Frees the buffer.
    ~KQelThumbnail();
    KQelThumbnail(const KQelThumbnail&) = delete;
    KQelThumbnail& operator=(const KQelThumbnail&) = delete;

    EDataFormat GetDataFormat() const;
    // Stores the format; when that changes the byte count of a set size, the
    // buffer is replaced by one of the new count (contents undefined until an
    // image is set).
    void SetDataFormat(EDataFormat pFormat);
    EImageSize GetSize() const;
    // Frees the buffer, stores the size and allocates GetSizeInBytes() bytes
    // for the current format when that is not 0 (contents undefined until an
    // image is set).
    void SetSize(EImageSize pSize);
    // Bytes per pixel times pixels: 12288 or 16384 for 64, 49152 or 65536 for
    // 128 (RGB, RGBA); 0 for any other size.
    unsigned long GetSizeInBytes() const;
    // Copies GetSizeInBytes() bytes from pImage into the buffer. False,
    // copying nothing, for a null image, size 0 or a buffer that could not be
    // allocated; true without copying for a size that has no image.
    bool SetThumbnailImage(const unsigned char* pImage);
    // The buffer; null while none is allocated.
    unsigned char* GetThumbnailImage() const;

private:
    std::unique_ptr<KQelThumbnailMembers> mMembers;
};

}  // namespace qelsdk_600

#endif
