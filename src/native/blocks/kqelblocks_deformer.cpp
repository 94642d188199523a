// Skin and cluster objects of the current layout, and the scene's
// conversions that turn them into links once the connections are read. They
// join this unit later; until then deformers are created by the object
// reader but their blocks are not read, and nothing is converted.
#include "native/reader/kqelreaderqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadKQelDeformer(KQelDeformer&)
{
    return true;
}

// Once the scene offers them: BuildMaterialLayersDirectArray,
// BuildTextureLayersDirectArray, BuildKQelLinkFromKQelDeformer,
// RemoveKQelDeformers, in this order.
void KQelReaderQel::ConvertCurrentLayoutScene(KQelScene&) {}

}  // namespace qelsdk_600
