// The io subsystem's only uses of the scene class. The scene class is not
// part of this build yet: until it is, a scene has no root node and no scene
// information here, so finding the root node of a scene answers null and the
// scene-information exchanges with a scene do nothing. Once it exists, each
// body becomes the call written beside it.
#include "io/kqelio_impl.h"

namespace qelsdk_600 {
namespace io_detail {

KQelNode* GetSceneRootNode(KQelScene& pScene)
{
    return nullptr;  // pScene.GetRootNode()
}

KQelSceneInfo* GetSceneInfoOf(KQelScene& pScene)
{
    return nullptr;  // pScene.GetSceneInfo()
}

void SetSceneInfoOf(KQelScene& pScene, KQelSceneInfo* pSceneInfo)
{
    // pScene.SetSceneInfo(pSceneInfo)
}

}  // namespace io_detail
}  // namespace qelsdk_600
