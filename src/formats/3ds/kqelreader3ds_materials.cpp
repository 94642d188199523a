// Material records into materials and their texture maps into textures.
#include <algorithm>
#include <cmath>
#include <string>

#include "content/kqelcolor.h"
#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "formats/3ds/kqelreader3ds.h"
#include "formats/3ds/kqelreader3ds_impl.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

const double kDegreesToRadians = 0.017453292519943295;

KQelColor Scaled(const fcolor3ds& pColor, double pFactor)
{
    return KQelColor(pColor.r * pFactor, pColor.g * pFactor, pColor.b * pFactor, 1.0);
}

// A texture's placement from its map. The translation turns the map's
// offset by the map's rotation about the texture's centre; for a scale of 0
// it stays defined (0.5), where the unrotated formula divides by the scale.
void SetPlacement(KQelTexture& pTexture, const bitmap3ds& pMap, bool pFirst)
{
    const double percent = pMap.percent;
    pTexture.SetDefaultAlpha(percent);
    if (pFirst)
        pTexture.SetMaterialUse(percent < 1.0 ? KQelTexture::eModelMaterial : KQelTexture::eDefaultMaterial);
    pTexture.SetBlendMode(KQelTexture::eTranslucent);
    const double su = pMap.uscale, sv = pMap.vscale;
    const double rotation = pMap.rotation;
    const double x = -su * (0.5 + pMap.uoffset);
    const double y = -sv * (0.5 - pMap.voffset);
    const double c = std::cos(rotation * kDegreesToRadians), s = std::sin(rotation * kDegreesToRadians);
    pTexture.SetTranslation(x * c + y * s + 0.5, -x * s + y * c + 0.5);
    if (rotation != 0.0)
        pTexture.SetRotation(0.0, 0.0, -rotation);
    pTexture.SetScale(su, sv);
    const KQelTexture::EWrapMode wrap = pMap.tiling == 1 ? KQelTexture::eRepeat : KQelTexture::eClamp;
    pTexture.SetWrapMode(wrap, wrap);
}

}  // namespace

bool KQelReader3DS::ImportMaterials()
{
    ReadState& state = *mState;
    // The manager's textures by name, for the names this read must avoid.
    state.mTextureObjects.clear();
    for (int i = 0, n = mManager.GetKQelTextureCount(); i < n; ++i) {
        if (KQelTexture* texture = mManager.GetKQelTexture(i))
            state.mTextureObjects.emplace(texture->GetName(), texture);
    }
    // A texture named after its file, or, when that name is taken, after the
    // file and the material's index.
    auto makeTexture = [&](const char* pFile, int pMaterial, const char* pSuffix) -> KQelTexture* {
        std::string name = pFile;
        if (state.mTextureObjects.count(KQelSdkManager::PrefixName("Texture::", pFile).Buffer()))
            name += "-" + std::to_string(pMaterial) + pSuffix;
        KQelTexture* texture = mManager.CreateKQelTexture(name.c_str());
        if (!texture) {
            mMessage += "Unable to load texture file: ";
            mMessage += pFile;
            mMessage += " .\n";
            return nullptr;
        }
        texture->SetFileName(pFile);
        state.mTextureObjects.emplace(texture->GetName(), texture);
        return texture;
    };

    mTexturePairs.Clear();
    if (!mTexturePairs.SetCount(static_cast<int>(mMaterialCount)))
        return false;
    for (int i = 0; i < mMaterialRecords.GetCount(); ++i) {
        const material3ds* record = mMaterialRecords[i];
        if (!record)
            continue;
        KQelMaterial* material = mManager.CreateKQelMaterial(record->name);
        if (!material)
            return false;
        TexturePair& pair = mTexturePairs[i];
        pair.mFirst = pair.mSecond = nullptr;
        if (mTextureMapping && record->texture.name[0]) {
            pair.mFirst = makeTexture(record->texture.name, i, "");
            if (record->tex2.name[0])
                pair.mSecond = makeTexture(record->tex2.name, i, ".2");
        }

        material->SetAmbient(Scaled(record->ambient, 1.0));
        material->SetDiffuse(Scaled(record->diffuse, 1.0));
        material->SetSpecular(Scaled(record->specular, record->shinstrength / 0.75));
        material->SetShininess(std::min(2.0 * record->shininess, 1.0));
        material->SetEmissive(Scaled(record->diffuse, record->selfillumpct));
        material->SetOpacity(1.0 - record->transparency);
        if (pair.mFirst)
            SetPlacement(*pair.mFirst, record->texture, true);
        if (pair.mSecond)
            SetPlacement(*pair.mSecond, record->tex2, false);
    }
    // Materials made now are found by the meshes through the same map.
    state.mMaterialObjects.clear();
    for (int i = 0, n = mManager.GetKQelMaterialCount(); i < n; ++i) {
        if (KQelMaterial* material = mManager.GetKQelMaterial(i))
            state.mMaterialObjects.emplace(material->GetName(), material);
    }
    return true;
}

}  // namespace qelsdk_600
