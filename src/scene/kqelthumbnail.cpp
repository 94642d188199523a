#include "scene/kqelthumbnail.h"

#include <cstring>
#include <new>

namespace qelsdk_600 {

struct KQelThumbnailMembers {
    KQelThumbnail::EDataFormat mFormat = KQelThumbnail::eRGB_24;
    KQelThumbnail::EImageSize mSize = KQelThumbnail::eNOT_SET;
    std::unique_ptr<unsigned char[]> mImage;

    unsigned long GetSizeInByte() const
    {
        if (mSize != KQelThumbnail::e64x64 && mSize != KQelThumbnail::e128x128)
            return 0;
        const unsigned long pixels = static_cast<unsigned long>(mSize) * static_cast<unsigned long>(mSize);
        return pixels * (mFormat == KQelThumbnail::eRGB_24 ? 3u : 4u);
    }

    // A fresh buffer of the current byte count (none for 0).
    void Allocate()
    {
        mImage.reset();
        const unsigned long bytes = GetSizeInByte();
        if (bytes != 0)
            mImage.reset(new (std::nothrow) unsigned char[bytes]);
    }
};

KQelThumbnail::KQelThumbnail() : mMembers(new KQelThumbnailMembers) {}

KQelThumbnail::~KQelThumbnail() {}

KQelThumbnail::EDataFormat KQelThumbnail::GetDataFormat() const
{
    return mMembers->mFormat;
}

void KQelThumbnail::SetDataFormat(EDataFormat pFormat)
{
    const unsigned long before = mMembers->GetSizeInByte();
    mMembers->mFormat = pFormat;
    // The buffer must always match the byte count an image is copied with.
    if (mMembers->GetSizeInByte() != before)
        mMembers->Allocate();
}

KQelThumbnail::EImageSize KQelThumbnail::GetSize() const
{
    return mMembers->mSize;
}

void KQelThumbnail::SetSize(EImageSize pSize)
{
    mMembers->mSize = pSize;
    mMembers->Allocate();
}

unsigned long KQelThumbnail::GetSizeInBytes() const
{
    return mMembers->GetSizeInByte();
}

bool KQelThumbnail::SetThumbnailImage(const unsigned char* pImage)
{
    if (!pImage || mMembers->mSize == eNOT_SET)
        return false;
    const unsigned long bytes = mMembers->GetSizeInByte();
    if (bytes == 0)
        return true;
    if (!mMembers->mImage)
        return false;
    std::memcpy(mMembers->mImage.get(), pImage, bytes);
    return true;
}

unsigned char* KQelThumbnail::GetThumbnailImage() const
{
    return mMembers->mImage.get();
}

}  // namespace qelsdk_600
