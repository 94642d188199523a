// Texture and material blocks and the merging of equal ones after a read.
// They join this unit later; until then no texture or material is made,
// read or written.
#include "native/reader/kqelreaderqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadKQelTexture(KQelTexture&)
{
    return true;
}

bool KQelReaderQel::ReadKQelMaterial(KQelMaterial&)
{
    return true;
}

// Once filled: CreateKQelTexture(pName), ReadKQelTexture, answer it.
KQelObject* KQelReaderQel::ReadTextureObject(const char*)
{
    return nullptr;
}

// Once filled: CreateKQelMaterial(pName), ReadKQelMaterial, answer it.
KQelObject* KQelReaderQel::ReadMaterialObject(const char*)
{
    return nullptr;
}

void KQelReaderQel::RemoveDuplicateTextures(KQelScene&) {}

void KQelReaderQel::RemoveDuplicateMaterials(KQelScene&) {}

}  // namespace qelsdk_600
