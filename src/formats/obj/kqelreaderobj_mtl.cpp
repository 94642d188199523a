// MTL material libraries: opening them, finding a material's block, reading
// it into a material and a texture.
#include <cstring>

#include "base/kpath.h"
#include "content/kqelcolor.h"
#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "formats/obj/kqelreaderobj_impl.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// What a material block's lines set, by keyword.
enum EMaterialLine { eAmbient, eDiffuse, eSpecular, eIllumination, eShininess, eOpacity, eDiffuseMap, eOther };
struct MaterialLine {
    const char* mKeyword;
    EMaterialLine mKind;
};
const MaterialLine kMaterialLines[] = {
    {"Ka", eAmbient},   {"Kd", eDiffuse}, {"Ks", eSpecular},         {"illum", eIllumination},
    {"Ns", eShininess}, {"Tr", eOpacity}, {"d", eOpacity},          {"map_Kd", eDiffuseMap},
};

EMaterialLine MaterialLineOf(const std::string& pKeyword)
{
    for (const MaterialLine& line : kMaterialLines) {
        if (pKeyword == line.mKeyword)
            return line.mKind;
    }
    return eOther;
}

}  // namespace

bool KQelReaderObj::OpenLibrary(char* pRest)
{
    std::vector<char*> names;
    obj_detail::SplitInPlace(pRest, names);
    if (names.empty())
        return false;
    const KString directory = ExtractDirectoryFromFilePath(mFileName.Buffer());
    bool opened = true;
    for (const char* name : names) {
        std::unique_ptr<Library> library(new Library);
        // Beside the OBJ file first, then as given (the working directory).
        const bool beside = !directory.IsEmpty() &&
                            library->mFile.Open(MakeFullPath(directory.Buffer(), name).Buffer());
        if (!beside && !library->mFile.Open(name)) {
            opened = false;
            continue;
        }
        mState->mLibraries.push_back(std::move(library));
    }
    return opened;
}

bool KQelReaderObj::CloseMtlLibrary()
{
    mState->mLibraries.clear();
    return true;
}

void KQelReaderObj::UseMaterial(const char* pName)
{
    ReadState& state = *mState;
    const std::string key = obj_detail::LowerAscii(pName);
    auto cached = state.mMaterials.find(key);
    if (cached == state.mMaterials.end()) {
        ReadState::Cached entry = {nullptr, nullptr};
        if (!ReadMaterial(pName, entry.mMaterial, entry.mTexture)) {
            mMessage += "Unable to read material \"";
            mMessage += pName;
            mMessage += "\" in .mtl file\n";
        }
        if (entry.mTexture)
            mTexturedMaterialSeen = true;
        cached = state.mMaterials.emplace(key, entry).first;
    }
    state.mMaterial = cached->second.mMaterial;
    state.mTexture = cached->second.mTexture;
}

bool KQelReaderObj::ReadMaterial(const char* pName, KQelMaterial*& pMaterial, KQelTexture*& pTexture)
{
    pMaterial = mManager.CreateKQelMaterial(pName);
    pTexture = nullptr;
    char* line = mState->mLibraryLine;
    const std::size_t size = static_cast<std::size_t>(sgMAX_LINE_SIZE);
    std::string keyword;
    // The first block of the name in the first library opened; each library
    // is indexed once.
    Library* found = nullptr;
    for (std::unique_ptr<Library>& library : mState->mLibraries) {
        if (!library->mIndexed) {
            library->mIndexed = true;
            library->mFile.Seek(0);
            while (obj_detail::ReadLibraryStatement(library->mFile, keyword, line, size)) {
                if (keyword == "newmtl")
                    library->mBlocks.emplace(obj_detail::FirstWord(line), library->mFile.Tell());
            }
        }
        auto block = library->mBlocks.find(pName);
        if (block != library->mBlocks.end() && library->mFile.Seek(block->second)) {
            found = library.get();
            break;
        }
    }
    if (!found || !pMaterial)
        return false;

    int illumination = 2;
    double values[3];
    while (obj_detail::ReadLibraryStatement(found->mFile, keyword, line, size) && keyword != "newmtl") {
        switch (MaterialLineOf(keyword)) {
        case eAmbient:
        case eDiffuse:
        case eSpecular:
            if (obj_detail::ParseDoubles(line, values, 3) == 3) {
                const KQelColor colour(values[0], values[1], values[2], 1.0);
                const EMaterialLine kind = MaterialLineOf(keyword);
                if (kind == eAmbient)
                    pMaterial->SetAmbient(colour);
                else if (kind == eDiffuse)
                    pMaterial->SetDiffuse(colour);
                else
                    pMaterial->SetSpecular(colour);
            }
            break;
        case eIllumination:
            obj_detail::ParseInt32(line, illumination);
            break;
        case eShininess:
            if (obj_detail::ParseDoubles(line, values, 1) == 1)
                pMaterial->SetShininess(values[0] / 100.0);
            break;
        case eOpacity:
            if (obj_detail::ParseDoubles(line, values, 1) == 1)
                pMaterial->SetOpacity(values[0]);
            break;
        case eDiffuseMap:
            if (KQelTexture* texture = mManager.CreateKQelTexture(pName)) {
                const KString file = KString(line).UnPad(KString::kBoth);
                texture->SetFileName(file.Buffer());
                pTexture = texture;
            }
            break;
        case eOther:
            break;
        }
    }
    if (illumination <= 1)
        pMaterial->SetShininess(0.0);
    return true;
}

}  // namespace qelsdk_600
