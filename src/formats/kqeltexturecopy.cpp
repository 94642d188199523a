#include "formats/kqeltexturecopy.h"

#include <cstdio>

#include <sys/stat.h>

#include "base/kpath.h"

namespace qelsdk_600 {

namespace {

void AppendMessage(KString& pMessage, const char* pWhat, const char* pPath)
{
    pMessage += pWhat;
    pMessage += " \"";
    pMessage += pPath;
    pMessage += "\".\n";
}

}  // namespace

bool CopyTextureFile(const char* pTexturePath, const char* pDirectory, KString& pMessage)
{
    const char* texture = pTexturePath ? pTexturePath : "";
    const KString name = ExtractFileName(texture, true);
    const KString destination =
        pDirectory && *pDirectory ? MakeFullPath(pDirectory, name.Buffer()) : name;
    // An existing file is never overwritten: a texture already in place, or
    // copied for an earlier material, stays as it is.
    if (FileExist(destination.Buffer()))
        return true;
    std::FILE* source = std::fopen(texture, "rb");
    struct stat status;
    if (!source || fstat(fileno(source), &status) != 0 || !S_ISREG(status.st_mode)) {
        if (source)
            std::fclose(source);
        AppendMessage(pMessage, "Unable to locate texture file", texture);
        return false;
    }
    // "x": made here or not at all, so that a file another writer made in
    // between is not overwritten either.
    std::FILE* copy = std::fopen(destination.Buffer(), "wbx");
    if (!copy) {
        std::fclose(source);
        AppendMessage(pMessage, "Error writing texture file", destination.Buffer());
        return false;
    }
    char buffer[65536];
    bool whole = true;
    for (std::size_t read; whole && (read = std::fread(buffer, 1, sizeof(buffer), source)) > 0;)
        whole = std::fwrite(buffer, 1, read, copy) == read;
    whole = whole && !std::ferror(source);
    whole = std::fclose(copy) == 0 && whole;
    std::fclose(source);
    if (!whole) {
        std::remove(destination.Buffer());
        AppendMessage(pMessage, "Error writing texture file", destination.Buffer());
        return false;
    }
    return true;
}

}  // namespace qelsdk_600
