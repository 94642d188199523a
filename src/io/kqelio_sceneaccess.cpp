// The io subsystem's only uses of the scene class.
#include "io/kqelio_impl.h"
#include "scene/kqelscene.h"

namespace qelsdk_600 {
namespace io_detail {

KQelNode* GetSceneRootNode(KQelScene& pScene)
{
    return pScene.GetRootNode();
}

KQelSceneInfo* GetSceneInfoOf(KQelScene& pScene)
{
    return pScene.GetSceneInfo();
}

void SetSceneInfoOf(KQelScene& pScene, KQelSceneInfo* pSceneInfo)
{
    pScene.SetSceneInfo(pSceneInfo);
}

}  // namespace io_detail
}  // namespace qelsdk_600
