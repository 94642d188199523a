// Material groups into 3D Studio materials with their texture maps.
#include <cmath>
#include <cstdio>
#include <string>

#include "base/kpath.h"
#include "content/kqelcolor.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "formats/3ds/kqelwriter3ds.h"
#include "formats/toolkit3ds/toolkit3ds.h"

namespace qelsdk_600 {

namespace {

const double kDegreesToRadians = 0.017453292519943295;

fcolor3ds ToColor(const KQelColor& pColor)
{
    return fcolor3ds{static_cast<float>(pColor.mRed), static_cast<float>(pColor.mGreen),
                     static_cast<float>(pColor.mBlue)};
}

bool Usable(KQelTexture* pTexture)
{
    return pTexture->GetMappingType() == KQelTexture::eUV && pTexture->GetTextureUse() == KQelTexture::eStandard;
}

// A map from a texture: its name (the file, its last component, or "Tex"
// and the index with a note when neither fits), placement and tiling.
void FillMap(bitmap3ds& pMap, KQelTexture& pTexture, int pIndex, const std::string& pMaterialName, KString& pMessage)
{
    const std::string file = pTexture.GetFileName();
    const std::string last = ExtractFileName(file.c_str(), true).Buffer();
    std::string name = file;
    if (file.size() > 11) {
        name = last;
        if (last.size() > 12) {
            name = "Tex" + std::to_string(pIndex);
            const std::string note = "Texture name file: \"" + last + "\" is too long.\nChange manually texture name: \"" +
                                     name + "\" in material \"" + pMaterialName + "\" by \"" + file +
                                     "\" for proper work\n\n";
            pMessage += note.c_str();
        }
    }
    std::snprintf(pMap.name, sizeof(pMap.name), "%.12s", name.c_str());
    const double su = pTexture.GetScaleU(), sv = pTexture.GetScaleV();
    // A scale of 0 has no offset on its axis.
    double x = su != 0.0 ? (0.5 - pTexture.GetTranslationU()) / su : 0.5;
    double y = sv != 0.0 ? (0.5 - pTexture.GetTranslationV()) / sv : 0.5;
    const double w = pTexture.GetRotationW();
    if (w != 0.0) {
        const double theta = -w * kDegreesToRadians;
        const double turnedX = x * std::cos(theta) - y * std::sin(theta);
        y = x * std::sin(theta) + y * std::cos(theta);
        x = turnedX;
        pMap.rotation = static_cast<float>(-w);
    }
    pMap.uoffset = su != 0.0 ? static_cast<float>(x - 0.5) : 0.0f;
    pMap.voffset = sv != 0.0 ? static_cast<float>(0.5 - y) : 0.0f;
    pMap.uscale = static_cast<float>(su);
    pMap.vscale = static_cast<float>(sv);
    pMap.tiling = pTexture.GetWrapModeU() == KQelTexture::eRepeat ? 1 : 2;
}

}  // namespace

material3ds* KQelWriter3DS::ConvMaterialTVto3DS(KQelMesh* pMesh, int pMaterial, int pTexture1, int pTexture2)
{
    KQelMaterial* material = pMesh->GM(pMaterial, 0);
    KQelTexture* first = pMesh->GT(pTexture1, 0);
    KQelTexture* second = pMesh->GT(pTexture2, 0);
    if (second && !Usable(second))
        second = nullptr;
    if (first && !Usable(first))
        first = second;
    for (KQelTexture** texture : {&first, &second}) {
        if (!*texture)
            continue;
        if (!(*texture)->GetFileName() || !*(*texture)->GetFileName())
            *texture = nullptr;
        else
            CopyTextureFile((*texture)->GetFileName());
    }
    material3ds* record = nullptr;
    InitMaterial3ds(&record);
    if (!record)
        return nullptr;
    if (material) {
        const KQelColor specular = material->GetSpecular();
        const KQelColor emissive = material->GetEmissive();
        record->ambient = ToColor(material->GetAmbient());
        record->diffuse = ToColor(material->GetDiffuse());
        record->specular = ToColor(specular);
        record->shininess = static_cast<float>(material->GetShininess() * 0.5);
        record->shinstrength = static_cast<float>(0.75 * (specular.mRed + specular.mGreen + specular.mBlue) / 3.0);
        record->transparency = static_cast<float>(1.0 - material->GetOpacity());
        record->selfillumpct = static_cast<float>((emissive.mRed + emissive.mGreen + emissive.mBlue) / 3.0);
        record->twosided = 1;
    }
    std::string name;
    if (!first)
        name = material ? material->GetNameWithoutNameSpacePrefix().Buffer() : "Default";
    else if (!second)
        name = std::to_string(mMeshCount) + ".Mat" + std::to_string(pMaterial) + "Tex" + std::to_string(pTexture1);
    else
        name = std::to_string(mMeshCount) + ".Mat" + std::to_string(pMaterial) + "T" + std::to_string(pTexture1) +
               "T" + std::to_string(pTexture2);
    std::snprintf(record->name, sizeof(record->name), "%.15s", name.c_str());
    if (!first)
        return record;
    FillMap(record->texture, *first, pTexture1, record->name, mMessage);
    record->texture.percent = 1.0f;
    if (second) {
        FillMap(record->tex2, *second, pTexture2, record->name, mMessage);
        const double alpha = second->GetDefaultAlpha();
        record->tex2.percent =
            static_cast<float>(second->GetBlendMode() == KQelTexture::eAdditive ? alpha * 0.5 : alpha);
    }
    return record;
}

}  // namespace qelsdk_600
