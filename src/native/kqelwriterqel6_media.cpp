// Material, texture and video blocks of the version-6 writer, with the
// embedding of media files.
#include <cstdio>
#include <vector>

#include "base/kfile.h"
#include "content/kqelimageconverter.h"
#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "content/kqelvideo.h"
#include "file/kqel.h"
#include "io/kstreamoptionsqel.h"
#include "native/kqelwriterqel6.h"
#include "scene/kqelentity.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// Attempts at a free name beside a converted image before giving up.
const int kFreshNameAttempts = 1000;

// Creates pPath as an empty file when nothing exists there; true when this
// call made it (so the file is the writer's to replace and remove).
bool ReserveNewFile(const KString& pPath)
{
    std::FILE* file = std::fopen(pPath.Buffer(), "wx");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

// A path for the TIFF of a converted image: pPath itself when no file is
// there, else "<pPath without extension>_<n>.tif" for the first n free.
// The file is reserved (created empty); false when no name could be had.
bool ReserveTifPath(const KString& pPath, KString& pReserved)
{
    if (ReserveNewFile(pPath)) {
        pReserved = pPath;
        return true;
    }
    KString stem = pPath;
    const int dot = pPath.ReverseFind('.');
    const int slash = pPath.ReverseFind('/');
    if (dot > slash && dot > 0)
        stem = pPath.Left(static_cast<unsigned int>(dot));
    for (int n = 1; n <= kFreshNameAttempts; ++n) {
        KString candidate = stem;
        candidate += "_";
        candidate += n;
        candidate += ".tif";
        if (ReserveNewFile(candidate)) {
            pReserved = candidate;
            return true;
        }
    }
    return false;
}

const char* AlphaSourceToken(int pSource)
{
    switch (pSource) {
    case KQelTexture::eRGBIntensity:
        return "RGB_Intensity";
    case KQelTexture::eBlack:
        return "Alpha_Black";
    default:
        return "None";
    }
}

void WritePair(KQel& pFile, const char* pName, const KQelVector2& pValue)
{
    pFile.FieldWriteBegin(pName);
    pFile.FieldWriteD(pValue[0]);
    pFile.FieldWriteD(pValue[1]);
    pFile.FieldWriteEnd();
}

}  // namespace

// ---- Materials ----

bool KQelWriterQel6::WriteMaterials(KQelScene& pScene)
{
    KQelEntity& entity = *pScene.GetEntity();
    for (int i = 0, n = entity.GetMaterialCount(); i < n; ++i) {
        KQelMaterial* material = entity.GetMaterial(i);
        if (!material)
            continue;
        ObjectBegin("Material", material->GetName(), material->GetTypeName().Buffer());
        WriteKQelMaterial(*material);
        BlockEnd();
    }
    return true;
}

bool KQelWriterQel6::WriteKQelMaterial(KQelMaterial& pMaterial)
{
    FieldI("Version", 101);
    FieldC("ShadingModel", KString(pMaterial.GetShadingModel()).Lower().Buffer());
    FieldI("MultiLayer", pMaterial.GetMultiLayer() ? 1 : 0);
    WriteProperties(pMaterial);
    return true;
}

// ---- Textures ----

bool KQelWriterQel6::WriteTextures(KQelScene& pScene)
{
    KQelEntity& entity = *pScene.GetEntity();
    for (int i = 0, n = entity.GetTextureCount(); i < n; ++i) {
        if (KQelTexture* texture = entity.GetTexture(i))
            WriteKQelTexture(*texture);
    }
    // The textures carry the converted names in the file; the scene gets
    // back the names of files that still exist.
    RestoreVideoNames();
    return true;
}

bool KQelWriterQel6::WriteKQelTexture(KQelTexture& pTexture)
{
    KQel& file = File();
    const KString type = pTexture.GetTextureType();
    ObjectBegin("Texture", pTexture.GetName(), type.Buffer());
    FieldC("Type", type.Buffer());
    FieldI("Version", 202);
    FieldC("TextureName", pTexture.GetName());
    WriteProperties(pTexture);
    FieldC("Media", pTexture.GetMediaName().Buffer());
    FieldC("FileName", pTexture.GetFileName());
    FieldC("RelativeFilename", pTexture.GetRelativeFileName());
    WritePair(file, "ModelUVTranslation", pTexture.GetUVTranslation());
    WritePair(file, "ModelUVScaling", pTexture.GetUVScaling());
    FieldC("Texture_Alpha_Source", AlphaSourceToken(pTexture.GetAlphaSource()));
    file.FieldWriteBegin("Cropping");
    file.FieldWriteI(pTexture.GetCroppingLeft());
    file.FieldWriteI(pTexture.GetCroppingRight());
    file.FieldWriteI(pTexture.GetCroppingTop());
    file.FieldWriteI(pTexture.GetCroppingBottom());
    file.FieldWriteEnd();
    BlockEnd();
    return true;
}

// ---- Videos ----

bool KQelWriterQel6::WriteVideos(KQelScene& pScene)
{
    KQelEntity& entity = *pScene.GetEntity();
    const int count = entity.GetVideoCount();
    if (count <= 0)
        return true;
    RestoreVideoNames();
    const bool embed = Option(KStreamOptionsQel::eEmbedMedia) && File().IsBinary();

    std::vector<KString> names(static_cast<size_t>(count));
    std::vector<bool> temporary(static_cast<size_t>(count), false);
    for (int i = 0; i < count; ++i) {
        KQelVideo* video = entity.GetVideo(i);
        if (!video)
            continue;
        const KString ownName(video->GetFileName());
        const KString ownRelativeName(video->GetRelativeFileName());
        names[i] = ownName;
        bool madeFile = false;
        ObjectBegin("Video", video->GetName(), video->GetTypeName().Buffer());
        WriteKQelVideo(*video, names[i], madeFile, embed);
        BlockEnd();
        temporary[i] = madeFile;
        if (madeFile) {
            mRenamedVideos.Add(video);
            mVideoOwnNames.Add(new KString(ownName));
            mVideoOwnNames.Add(new KString(ownRelativeName));
        }
    }
    // Every block is written, so every converted file is embedded.
    for (int i = 0; i < count; ++i) {
        if (temporary[i])
            KFile::Remove(names[i]);
    }
    return true;
}

bool KQelWriterQel6::WriteKQelVideo(KQelVideo& pVideo, KString& pFileName, bool& pTemporary, bool pEmbed)
{
    pTemporary = false;
    KQel& file = File();
    FieldC("Type", pVideo.GetTypeName().Buffer());

    ImageConverterBuffer buffer;
    buffer.SetOriginalFormat(true);
    buffer.SetOriginalFileName(pFileName);
    for (int i = 0, n = pEmbed ? mManager.GetKQelImageConverterCount() : 0; i < n; ++i) {
        KQelImageConverter* converter = mManager.GetKQelImageConverter(i);
        if (buffer.mValid)
            break;
        if (!converter || !converter->Convert(0, pFileName, buffer))
            continue;
        // The TIFF never replaces a file that exists (the converter may
        // hand back the user's own image).
        KString tif;
        if (buffer.mPixels && ReserveTifPath(pFileName, tif)) {
            if (WriteToTif(tif, true, buffer)) {
                pFileName = tif;
                pTemporary = true;
            } else {
                KFile::Remove(tif);
            }
        }
        break;
    }

    const KString relative(file.GetRelativeFilePath(pFileName.Buffer()));
    pVideo.SetFileName(pFileName.Buffer());
    pVideo.SetRelativeFileName(relative.Buffer());

    WriteProperties(pVideo);
    FieldI("UseMipMap", pVideo.ImageTextureGetMipMap() ? 1 : 0);
    if (pEmbed) {
        FieldI("Version", 101);
        FieldI("OriginalFormat", buffer.mKeepFormat ? 1 : 0);
        FieldC("OriginalFilename", buffer.mOriginalFileName.Buffer());
    }
    FieldC("Filename", pFileName.Buffer());
    FieldC("RelativeFilename", relative.Buffer());
    if (!pEmbed)
        return true;
    file.FieldWriteBegin("Content");
    const bool embedded = file.FieldWriteEmbeddedFile(pFileName, relative);
    file.FieldWriteEnd();
    return embedded;
}

void KQelWriterQel6::RestoreVideoNames()
{
    for (int i = 0, n = mRenamedVideos.GetCount(); i < n; ++i) {
        KQelVideo* video = mRenamedVideos[i];
        KString* name = mVideoOwnNames[2 * i];
        KString* relative = mVideoOwnNames[2 * i + 1];
        video->SetFileName(name->Buffer());
        video->SetRelativeFileName(relative->Buffer());
    }
    mRenamedVideos.Clear();
    DeleteAndClear(mVideoOwnNames);
}

}  // namespace qelsdk_600
