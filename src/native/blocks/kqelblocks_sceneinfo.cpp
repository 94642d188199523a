// Scene information and thumbnail blocks: one body for every writer, and the
// reader.
#include <cstring>

#include "native/blocks/kqelblockio.h"
#include "native/blocks/kqelblocks_shared.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "file/iqelobject.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelthumbnail.h"

namespace qelsdk_600 {

namespace {

// The six texts in stored order.
struct MetaField {
    const char* mKey;
    KString KQelSceneInfo::*mText;
};
const MetaField kMetaFields[] = {
    {"Title", &KQelSceneInfo::mTitle},       {"Subject", &KQelSceneInfo::mSubject},
    {"Author", &KQelSceneInfo::mAuthor},     {"Keywords", &KQelSceneInfo::mKeywords},
    {"Revision", &KQelSceneInfo::mRevision}, {"Comment", &KQelSceneInfo::mComment},
};

}  // namespace

namespace native_detail {

void WriteThumbnailBlock(KQel& pFile, KQelThumbnail* pThumbnail)
{
    if (!pThumbnail || pThumbnail->GetSize() == KQelThumbnail::eNOT_SET)
        return;
    WriteBlock block(pFile, "Thumbnail");
    WriteFieldI(pFile, "Version", 100);
    WriteFieldI(pFile, "Format", pThumbnail->GetDataFormat());
    WriteFieldI(pFile, "Size", pThumbnail->GetSize());
    WriteFieldI(pFile, "ImageEncoding", 0);
    pFile.FieldWriteBegin("ImageData");
    if (const unsigned char* image = pThumbnail->GetThumbnailImage()) {
        for (unsigned long i = 0, n = pThumbnail->GetSizeInBytes(); i < n; ++i)
            pFile.FieldWriteI(image[i]);
    }
    pFile.FieldWriteEnd();
}

void WriteSceneInfoBlock(KQel& pFile, KQelSceneInfo* pSceneInfo)
{
    if (!pSceneInfo)
        return;
    WriteBlock block(pFile, "SceneInfo", "SceneInfo::GlobalInfo");
    WriteFieldC(pFile, "Type", "UserData");
    WriteFieldI(pFile, "Version", 100);
    WriteThumbnailBlock(pFile, pSceneInfo->GetSceneThumbnail());
    WriteBlock meta(pFile, "MetaData");
    WriteFieldI(pFile, "Version", 100);
    for (const MetaField& field : kMetaFields)
        WriteFieldC(pFile, field.mKey, (pSceneInfo->*field.mText).Buffer());
}

}  // namespace native_detail

bool KQelWriterQel::WriteSceneInfo(KQelSceneInfo* pSceneInfo)
{
    native_detail::WriteSceneInfoBlock(File(), pSceneInfo);
    return true;
}

bool KQelWriterQel::WriteThumbnail(KQelThumbnail* pThumbnail)
{
    native_detail::WriteThumbnailBlock(File(), pThumbnail);
    return true;
}

bool KQelReaderQel::WriteSceneInfo(KQelSceneInfo* pSceneInfo)
{
    native_detail::WriteSceneInfoBlock(File(), pSceneInfo);
    return true;
}

bool KQelReaderQel::WriteThumbnail(KQelThumbnail* pThumbnail)
{
    native_detail::WriteThumbnailBlock(File(), pThumbnail);
    return true;
}

KQelSceneInfo* KQelReaderQel::ReadSceneInfo()
{
    native_detail::ReadBlock block(File(), "SceneInfo");
    if (!block.IsOpen())
        return nullptr;
    KString type = mFile->FieldReadC("Type", "");
    return ReadSceneInfo(type);
}

KQelSceneInfo* KQelReaderQel::ReadSceneInfo(KString& pType)
{
    if (pType.CompareNoCase("UserData") != 0)
        return nullptr;
    KQelSceneInfo* info = mManager.CreateKQelSceneInfo();
    if (!info)
        return nullptr;
    mFile->FieldReadI("Version", 0);
    info->SetSceneThumbnail(ReadThumbnail());
    native_detail::ReadBlock meta(File(), "MetaData");
    if (meta.IsOpen()) {
        mFile->FieldReadI("Version", 0);
        for (const MetaField& field : kMetaFields)
            info->*field.mText = mFile->FieldReadC(field.mKey, "");
    }
    return info;
}

KQelThumbnail* KQelReaderQel::ReadThumbnail()
{
    native_detail::ReadBlock block(File(), "Thumbnail");
    if (!block.HasField())
        return nullptr;
    KQelThumbnail* thumbnail = mManager.CreateKQelThumbnail();
    if (!thumbnail)
        return nullptr;
    bool keep = false;
    if (block.IsOpen()) {
        mFile->FieldReadI("Version", 100);
        const int format = mFile->FieldReadI("Format", 0);
        const int size = mFile->FieldReadI("Size", 0);
        const int encoding = mFile->FieldReadI("ImageEncoding", 0);
        // Only the two sizes that have an image are kept.
        if (encoding == 0 && (size == KQelThumbnail::e64x64 || size == KQelThumbnail::e128x128)) {
            thumbnail->SetDataFormat(static_cast<KQelThumbnail::EDataFormat>(format));
            thumbnail->SetSize(static_cast<KQelThumbnail::EImageSize>(size));
            if (unsigned char* image = thumbnail->GetThumbnailImage()) {
                const unsigned long bytes = thumbnail->GetSizeInBytes();
                unsigned long read = 0;
                if (mFile->FieldReadBegin("ImageData")) {
                    const unsigned long values = static_cast<unsigned long>(mFile->FieldReadGetCount());
                    for (; read < values && read < bytes; ++read)
                        image[read] = static_cast<unsigned char>(mFile->FieldReadI());
                    mFile->FieldReadEnd();
                }
                // A short image reads as black rather than as stale memory.
                std::memset(image + read, 0, bytes - read);
                keep = true;
            }
        }
    }
    if (!keep) {
        mManager.DestroyKQelThumbnail(thumbnail);
        return nullptr;
    }
    return thumbnail;
}

}  // namespace qelsdk_600
