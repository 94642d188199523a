// Video objects and the media section: the files that textures, camera
// backgrounds and lights name, listed once per file as clips that refer to
// the file or embed it, and the TIFF conversion of embedded images.
//
// Files on disk: the writer deletes only TIFF files it made itself; the
// reader writes and deletes only files of its own extraction (in the read
// file's ".qem" directory or the temporary directory) that no earlier clip
// was given, and never replaces an existing file.
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/kfile.h"
#include "base/kpath.h"
#include "content/kqelcamera.h"
#include "content/kqelimageconverter.h"
#include "content/kqellight.h"
#include "content/kqeltexture.h"
#include "content/kqelvideo.h"
#include "file/iqelobject.h"
#include "file/kqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// Media names and the files they stand for, in order of addition. Names are
// unique and compared exactly; so are paths.
class MediaList {
public:
    int GetCount() const { return static_cast<int>(mNames.size()); }
    const KString& GetName(int pIndex) const { return mNames[pIndex]; }
    const KString& GetPath(int pIndex) const { return mPaths[pIndex]; }

    // The media name of a file, made on its first sight: its cleaned path's
    // file name without extension, followed by the first number from 1 that
    // makes it unique when that is taken. Empty for a path or file name that
    // is empty.
    KString NameFile(const char* pFileName)
    {
        const KString path = KCleanPath(pFileName);
        const KString base = ExtractFileName(path.Buffer(), false);
        if (path.IsEmpty() || base.IsEmpty())
            return KString();
        const auto known = mByPath.find(path.Buffer());
        if (known != mByPath.end())
            return mNames[known->second];
        std::string name = base.Buffer();
        if (mByName.count(name)) {
            // Every number below the hint was found taken before, and names
            // are never released, so the search resumes there.
            int& next = mNextNumber[name];
            if (next < 1)
                next = 1;
            std::string candidate;
            do
                candidate = name + std::to_string(next++);
            while (mByName.count(candidate));
            name = candidate;
        }
        Add(KString(name.c_str()), path);
        return mNames.back();
    }

    // Appends a pair; false, nothing added, when the name is listed.
    bool Add(const KString& pName, const KString& pPath)
    {
        if (!mByName.emplace(pName.Buffer(), GetCount()).second)
            return false;
        mByPath.emplace(pPath.Buffer(), GetCount());
        mNames.push_back(pName);
        mPaths.push_back(pPath);
        return true;
    }
    bool HasName(const char* pName) const { return mByName.count(pName ? pName : "") != 0; }
    // The file of a media name; null when the name is not listed.
    const KString* FindPath(const char* pName) const
    {
        const auto found = mByName.find(pName ? pName : "");
        return found == mByName.end() ? nullptr : &mPaths[found->second];
    }

private:
    std::vector<KString> mNames;
    std::vector<KString> mPaths;
    std::unordered_map<std::string, int> mByName;
    std::unordered_map<std::string, int> mByPath;
    // Base name → the number to try first when it is taken.
    std::unordered_map<std::string, int> mNextNumber;
};

// The manager's image converters in order: pTry(converter) answers true to stop.
template <class F>
void ForEachConverter(KQelSdkManager& pManager, F pTry)
{
    for (int i = 0, n = pManager.GetKQelImageConverterCount(); i < n; ++i) {
        KQelImageConverter* converter = pManager.GetKQelImageConverter(i);
        if (converter && pTry(*converter))
            return;
    }
}

// A new empty file beside pPath named after its file part, ending ".tif";
// empty when none can be made.
KString NewTifBeside(const KString& pPath)
{
    const KString directory = ExtractDirectoryFromFilePath(pPath.Buffer());
    return GetTempName(directory.Buffer(), ExtractFileName(pPath.Buffer(), false).Buffer(), ".tif");
}

// Writing: offers the file to the converters (mode 0). When one takes it into
// pixels of the buffer's own, the image is written as a compressed TIFF to a
// file of this call's making (the converter's target when that is new,
// else a new temporary file), pFileName names it and the answer is true.
// Otherwise pFileName and the source stay, the buffer keeps its format.
bool ConvertForEmbedding(KQelSdkManager& pManager, KString& pFileName, ImageConverterBuffer& pBuffer)
{
    KString target;
    bool converted = false;
    ForEachConverter(pManager, [&](KQelImageConverter& pConverter) {
        KString name = pFileName;
        converted = pConverter.Convert(0, name, pBuffer);
        if (converted)
            target = name;
        return converted || pBuffer.mValid;
    });
    pBuffer.SetOriginalFormat(true);
    if (!converted || !pBuffer.mAllocated)
        return false;
    const bool fresh = !target.IsEmpty() && !FileExist(target.Buffer()) &&
                       KCleanPath(target.Buffer()) != KCleanPath(pFileName.Buffer());
    if (!fresh) {
        target = GetTempName("", ExtractFileName(target.Buffer(), false).Buffer(), ".tif");
        if (target.IsEmpty())
            return false;
    }
    if (!WriteToTif(target, true, pBuffer)) {
        if (!fresh)
            KFile::Remove(target);
        return false;
    }
    pBuffer.SetOriginalFormat(false);
    pFileName = target;
    return true;
}

// Reading: pFileName, just extracted by this read, holds a TIFF made from
// another image. The image is read (the file deleted unless pInUse), and the
// converters get it (mode 1) under the name with ".tif"; without any
// converter the TIFF is written back there. A target that exists is never
// replaced: a new file beside it is taken. Answers whether pFileName changed.
bool RestoreConvertedImage(KQelSdkManager& pManager, bool pInUse, KString& pFileName, const char* pOriginalName,
                           bool pKeepFormat)
{
    ImageConverterBuffer buffer;
    buffer.SetOriginalFileName(pOriginalName);
    buffer.SetOriginalFormat(pKeepFormat);
    if (!ReadFromTif(pFileName, buffer, !pInUse))
        return false;
    // ReadFromTif deleted the file already when it was ours to delete.
    KString forced = pFileName;
    ForceFileNameExtensionToTif(forced, false);
    KString target = forced;
    KString placeholder;
    if (FileExist(target.Buffer())) {
        placeholder = NewTifBeside(target);
        if (placeholder.IsEmpty())
            return false;
        target = placeholder;
    }
    bool written = false;
    int converters = 0;
    ForEachConverter(pManager, [&](KQelImageConverter& pConverter) {
        ++converters;
        KString name = target;
        written = pConverter.Convert(1, name, buffer);
        if (written)
            target = name;
        return written;
    });
    if (converters == 0)
        written = WriteToTif(target, false, buffer);
    if (!placeholder.IsEmpty() && (!written || target != placeholder))
        KFile::Remove(placeholder);
    if (written) {
        pFileName = target;
        return true;
    }
    // A TIFF still in use stays the file to give; a deleted one leaves the
    // name the converters were asked to write.
    if (pInUse)
        return false;
    pFileName = forced;
    return true;
}

// The entity's texture at that position; null for a stand-in of another
// kind.
KQelTexture* TextureAt(KQelEntity& pEntity, int pIndex)
{
    KQelObject* listed = pEntity.GetReferencedObject(KQelEntity::eTextures, pIndex);
    return listed && listed->GetNameSpace() == KQelObject::eTexture ? static_cast<KQelTexture*>(listed) : nullptr;
}

int FindStringIn(const KString& pText, KArrayTemplate<KString*>& pList)
{
    for (int i = 0, n = pList.GetCount(); i < n; ++i) {
        if (pList[i] && *pList[i] == pText)
            return i;
    }
    return -1;
}

}  // namespace

void ForceFileNameExtensionToTif(KString& pFileName, bool pRemoveFile)
{
    const KString extension = ExtractFileExtension(pFileName.Buffer()).Upper();
    if (extension == KString("TIF") || extension == KString("TIFF"))
        return;
    if (pRemoveFile)
        KFile::Remove(pFileName);
    const KString file = ExtractFileName(pFileName.Buffer());
    if (std::strchr(file.Buffer(), '.'))
        pFileName = ChangeFileExtension(pFileName.Buffer(), ".tif");
}

// ---- Writer ----

int KQelWriterQel::FindString(KString pText, KArrayTemplate<KString*>& pList)
{
    return FindStringIn(pText, pList);
}

bool KQelWriterQel::WriteMedia(KQelScene& pScene, bool pEmbed, int& pMediaCount)
{
    MediaList media;
    if (KQelEntity* entity = pScene.GetEntity()) {
        for (int i = 0, n = entity->GetTextureCount(); i < n; ++i) {
            if (KQelTexture* texture = TextureAt(*entity, i))
                texture->SetMediaName(media.NameFile(texture->GetFileName()).Buffer());
        }
        KArrayTemplate<KQelNode*> cameras;
        entity->FillNodeArray(cameras, KQelNodeAttribute::eCamera, false);
        for (int i = 0, n = cameras.GetCount(); i < n; ++i) {
            KQelCamera* camera = cameras[i]->GetCamera();
            camera->SetBackgroundMediaName(media.NameFile(camera->GetBackgroundFileName()).Buffer());
        }
    }
    KQel& file = File();
    std::vector<KString> made;
    {
        native_detail::WriteBlock section(file, "Media");
        native_detail::WriteBlock videos(file, "Video");
        for (int i = 0, n = media.GetCount(); i < n; ++i) {
            native_detail::WriteBlock clip(file, "Video", media.GetName(i).Buffer());
            native_detail::WriteFieldC(file, "Type", "Clip");
            KString fileName = media.GetPath(i);
            bool removeAfter = false;
            WriteMediaClip(fileName, pEmbed, removeAfter);
            if (removeAfter)
                made.push_back(fileName);
        }
    }
    for (const KString& tif : made)
        KFile::Remove(tif);
    pMediaCount = media.GetCount();
    return true;
}

bool KQelWriterQel::WriteMediaClip(KString& pFileName, bool pEmbed, bool& pRemoveAfter)
{
    KQel& file = File();
    ImageConverterBuffer buffer;
    buffer.SetOriginalFormat(true);
    buffer.SetOriginalFileName(pFileName);
    const bool embed = pEmbed && file.IsBinary();
    pRemoveAfter = embed && ConvertForEmbedding(mManager, pFileName, buffer);
    const KString relative = file.GetRelativeFilePath(pFileName.Buffer());
    if (embed) {
        native_detail::WriteFieldI(file, "Version", 101);
        native_detail::WriteFieldI(file, "OriginalFormat", buffer.mKeepFormat ? 1 : 0);
        native_detail::WriteFieldC(file, "OriginalFilename", buffer.mOriginalFileName.Buffer());
    }
    native_detail::WriteFieldC(file, "Filename", pFileName.Buffer());
    native_detail::WriteFieldC(file, "RelativeFilename", relative.Buffer());
    if (!embed)
        return true;
    file.FieldWriteBegin("Content");
    const bool ok = file.FieldWriteEmbeddedFile(pFileName, relative);
    file.FieldWriteEnd();
    return ok;
}

void KQelWriterQel::WriteDefaultMedia()
{
    KQel& file = File();
    native_detail::WriteBlock entry(file, "Video", "Video input 1");
    native_detail::WriteFieldC(file, "Type", "Live");
    for (const char* field : {"Input", "Format", "Interleave", "Delay", "Online"})
        native_detail::WriteFieldI(file, field, 0);
}

// ---- Reader ----

int KQelReaderQel::FindString(KString pText, KArrayTemplate<KString*>& pList)
{
    return FindStringIn(pText, pList);
}

KString KQelReaderQel::FindFile(KString pFileName, KString pRelativeFileName)
{
    KQel& file = File();
    const KString full = pFileName.IsEmpty() ? KString() : KString(file.GetFullFilePath(pFileName.Buffer()));
    const KString fullRelative =
        pRelativeFileName.IsEmpty() ? KString() : KString(file.GetFullFilePath(pRelativeFileName.Buffer()));
    if (!full.IsEmpty() && FileExist(full.Buffer()))
        return full;
    if (!fullRelative.IsEmpty() && FileExist(fullRelative.Buffer()))
        return fullRelative;
    return pFileName.IsEmpty() ? fullRelative : full;
}

KString KQelReaderQel::ReadMediaClip(const char*)
{
    KQel& file = File();
    const int version = file.FieldReadI("Version", 100);
    bool keepFormat = true;
    KString originalName;
    if (version > 100) {
        keepFormat = file.FieldReadI("OriginalFormat", 1) != 0;
        originalName = file.FieldReadC("OriginalFilename", "");
    }
    KString fileName = file.FieldReadC("Filename", "");
    KString relative = file.FieldReadC("RelativeFilename", "");
    KString extracted = fileName;
    KString extractedRelative = relative;
    bool ok = false;
    if (file.FieldReadBegin("Content")) {
        ok = mFile->FieldReadEmbeddedFile(extracted, extractedRelative, "", nullptr);
        file.FieldReadEnd();
    }
    KString path;
    if (ok) {
        path = extracted;
        if (!keepFormat) {
            const bool inUse = mMediaFilesInUse.count(path.Buffer()) != 0;
            RestoreConvertedImage(mManager, inUse, path, originalName.Buffer(), keepFormat);
        }
    } else {
        path = FindFile(fileName, relative);
    }
    if (!path.IsEmpty())
        mMediaFilesInUse.insert(path.Buffer());
    return path;
}

bool KQelReaderQel::ReadMedia(KQelScene& pScene, const char*)
{
    KQel& file = File();
    MediaList media;
    const auto readClips = [&]() {
        native_detail::ReadBlock section(file, "Media");
        if (!section.IsOpen())
            return;
        native_detail::ReadBlock videos(file, "Video");
        for (int i = 0, n = videos.IsOpen() ? file.FieldGetInstanceCount("Video") : 0;
             i < n && file.FieldReadBegin("Video"); ++i) {
            const KString name = file.FieldReadC();
            // The first clip of a name wins.
            if (!name.IsEmpty() && !media.HasName(name.Buffer()) && file.FieldReadBlockBegin()) {
                if (std::strcmp(file.FieldReadC("Type", ""), "Clip") == 0) {
                    const KString path = ReadMediaClip("");
                    if (!path.IsEmpty())
                        media.Add(name, path);
                }
                file.FieldReadBlockEnd();
            }
            file.FieldReadEnd();
        }
    };
    if (mFile->IsBeforeVersion6())
        readClips();
    KQelEntity* entity = pScene.GetEntity();
    if (media.GetCount() == 0 || !entity)
        return true;
    for (int i = 0, n = entity->GetTextureCount(); i < n; ++i) {
        KQelTexture* texture = TextureAt(*entity, i);
        const KString* path = texture ? media.FindPath(texture->GetMediaName().Buffer()) : nullptr;
        if (!path)
            continue;
        texture->SetFileName(KCleanPath(path->Buffer()).Buffer());
        if (*texture->GetRelativeFileName() == '\0')
            texture->SetRelativeFileName(KString(file.GetRelativeFilePath(path->Buffer())).Buffer());
    }
    KArrayTemplate<KQelNode*> nodes;
    entity->FillNodeArray(nodes, KQelNodeAttribute::eCamera, false);
    for (int i = 0, n = nodes.GetCount(); i < n; ++i) {
        KQelCamera* camera = nodes[i]->GetCamera();
        if (const KString* path = media.FindPath(camera->GetBackgroundMediaName()))
            camera->SetBackgroundFileName(KCleanPath(path->Buffer()).Buffer());
    }
    entity->FillNodeArray(nodes, KQelNodeAttribute::eLight, false);
    for (int i = 0, n = nodes.GetCount(); i < n; ++i) {
        KQelLight* light = nodes[i]->GetLight();
        if (const KString* path = media.FindPath(light->GetFileName()))
            light->SetFileName(KCleanPath(path->Buffer()).Buffer());
    }
    return true;
}

bool KQelReaderQel::ReadKQelVideo(KQelVideo& pVideo)
{
    if (mFile->IsBeforeVersion6())
        return true;
    KQel& file = File();
    KArrayTemplate<KProperty*> properties;
    pVideo.FillPropertyList(&properties);
    mFile->FieldReadPropertiesList(properties, pVideo.GetPropertyHandler());
    pVideo.UpdateDefaultTakeFromProperties();
    PublishKQelProperties(pVideo);
    pVideo.ImageTextureSetMipMap(file.FieldReadI("UseMipMap", 0) != 0);
    if (file.FieldReadI("Version", 0) > 100) {
        pVideo.SetOriginalFormat(file.FieldReadI("OriginalFormat", 0) != 0);
        pVideo.SetOriginalFilename(KString(file.FieldReadC("OriginalFilename", "")).Buffer());
    }
    KString fileName = pVideo.GetFileName() ? pVideo.GetFileName() : "";
    KString relative = file.FieldReadC("RelativeFilename", "");
    if (file.FieldReadBegin("Content")) {
        KString extracted = fileName;
        KString extractedRelative = relative;
        const bool ok = mFile->FieldReadEmbeddedFile(extracted, extractedRelative, "", nullptr);
        file.FieldReadEnd();
        if (ok) {
            fileName = extracted;
            relative = extractedRelative;
            const bool inUse = mMediaFilesInUse.count(fileName.Buffer()) != 0;
            if (!pVideo.GetOriginalFormat() &&
                RestoreConvertedImage(mManager, inUse, fileName, pVideo.GetOriginalFilename(), false))
                relative = "";
            mMediaFilesInUse.insert(fileName.Buffer());
        }
    }
    pVideo.SetFileName(fileName.Buffer());
    pVideo.SetRelativeFileName(relative.Buffer());
    return !fileName.IsEmpty();
}

KQelObject* KQelReaderQel::ReadVideoObject(const char* pName)
{
    KQelVideo* video = mManager.CreateKQelVideo(pName);
    if (video)
        ReadKQelVideo(*video);
    return video;
}

}  // namespace qelsdk_600
