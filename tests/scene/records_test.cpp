#include <vector>

#include <gtest/gtest.h>

#include "scene/kqelsceneinfo.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqelthumbnail.h"

namespace qelsdk_600 {
namespace {

TEST(KQelThumbnail, ByteCountFollowsFormatAndSize)
{
    struct Case {
        KQelThumbnail::EDataFormat format;
        int size;
        unsigned long bytes;
    } cases[] = {
        {KQelThumbnail::eRGB_24, 64, 12288},   {KQelThumbnail::eRGBA_32, 64, 16384},
        {KQelThumbnail::eRGB_24, 128, 49152},  {KQelThumbnail::eRGBA_32, 128, 65536},
        {KQelThumbnail::eRGBA_32, 0, 0},       {KQelThumbnail::eRGB_24, 32, 0},
        {static_cast<KQelThumbnail::EDataFormat>(7), 64, 16384},
    };
    for (const Case& c : cases) {
        KQelThumbnail thumbnail;
        thumbnail.SetDataFormat(c.format);
        thumbnail.SetSize(static_cast<KQelThumbnail::EImageSize>(c.size));
        EXPECT_EQ(thumbnail.GetSizeInBytes(), c.bytes) << c.format << " " << c.size;
        EXPECT_EQ(thumbnail.GetThumbnailImage() != nullptr, c.bytes != 0);
    }
}

// The buffer always matches the byte count an image is copied with, in
// whichever order format and size are set.
TEST(KQelThumbnail, ImageCopiesMatchTheBufferWhateverTheOrderOfSettings)
{
    struct Case {
        bool formatFirst;
        KQelThumbnail::EDataFormat format;
        KQelThumbnail::EImageSize size;
    } cases[] = {
        {false, KQelThumbnail::eRGBA_32, KQelThumbnail::e64x64},
        {true, KQelThumbnail::eRGBA_32, KQelThumbnail::e128x128},
        {false, KQelThumbnail::eRGB_24, KQelThumbnail::e128x128},
    };
    for (const Case& c : cases) {
        KQelThumbnail thumbnail;
        if (c.formatFirst) {
            thumbnail.SetDataFormat(c.format);
            thumbnail.SetSize(c.size);
        } else {
            thumbnail.SetSize(c.size);
            thumbnail.SetDataFormat(c.format);
        }
        const unsigned long bytes = thumbnail.GetSizeInBytes();
        std::vector<unsigned char> image(bytes);
        for (unsigned long i = 0; i < bytes; ++i)
            image[i] = static_cast<unsigned char>(i * 7);
        ASSERT_TRUE(thumbnail.SetThumbnailImage(image.data()));
        EXPECT_EQ(thumbnail.GetThumbnailImage()[bytes - 1], image[bytes - 1]);
        EXPECT_EQ(thumbnail.GetDataFormat(), c.format);
        EXPECT_EQ(thumbnail.GetSize(), c.size);
    }
}

TEST(KQelThumbnail, ImagesNeedASizeAndASource)
{
    const unsigned char pixel[4] = {1, 2, 3, 4};
    KQelThumbnail fresh;
    EXPECT_EQ(fresh.GetSizeInBytes(), 0u);
    EXPECT_EQ(fresh.GetThumbnailImage(), nullptr);
    EXPECT_FALSE(fresh.SetThumbnailImage(pixel));

    KQelThumbnail odd;
    odd.SetSize(static_cast<KQelThumbnail::EImageSize>(32));
    EXPECT_TRUE(odd.SetThumbnailImage(pixel));  // a size without image: nothing to copy
    EXPECT_EQ(odd.GetThumbnailImage(), nullptr);

    KQelThumbnail sized;
    sized.SetSize(KQelThumbnail::e64x64);
    EXPECT_FALSE(sized.SetThumbnailImage(nullptr));
}

TEST(KQelSceneInfo, ClearEmptiesEveryTextAndCopiesShareTheThumbnail)
{
    KQelThumbnail thumbnail;
    KQelSceneInfo info;
    KString* texts[] = {&info.mTitle, &info.mSubject, &info.mAuthor, &info.mKeywords, &info.mRevision, &info.mComment};
    for (KString* text : texts)
        *text = "something";
    info.SetSceneThumbnail(&thumbnail);

    KQelSceneInfo copy;
    copy = info;
    EXPECT_STREQ(copy.mComment.Buffer(), "something");
    EXPECT_EQ(copy.GetSceneThumbnail(), &thumbnail);

    info.Clear();
    for (KString* text : texts)
        EXPECT_TRUE(text->IsEmpty());
    EXPECT_EQ(info.GetSceneThumbnail(), nullptr);
    EXPECT_EQ(copy.GetSceneThumbnail(), &thumbnail);

    KQelTakeInfo take;
    EXPECT_TRUE(take.mSelect);
    EXPECT_EQ(take.mImportOffsetType, 1);
    take.mName = "Take 001";
    take.SetTakeThumbnail(&thumbnail);
    const KQelTakeInfo takeCopy(take);
    EXPECT_STREQ(takeCopy.mName.Buffer(), "Take 001");
    EXPECT_EQ(takeCopy.GetTakeThumbnail(), &thumbnail);
}

}  // namespace
}  // namespace qelsdk_600
