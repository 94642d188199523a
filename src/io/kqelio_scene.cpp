// Everything the io framework does with scene-model objects (takes, scene
// information, nodes) lives in this file. The scene model is not part of
// this build yet: until it is, the operations below make and find nothing,
// and since no take record, scene information or node can exist without it,
// none of them is ever handed a real object.
#include "io/kqelio_impl.h"
#include "io/kqelreader.h"
#include "io/kqelwriter.h"

namespace qelsdk_600 {

namespace io_detail {

KQelTakeInfo* CloneTakeInfo(const KQelTakeInfo& pSource)
{
    return nullptr;
}

void DeleteTakeInfo(KQelTakeInfo* pTakeInfo) {}

void DestroySceneInfo(KQelSdkManager& pManager, KQelSceneInfo*& pSceneInfo)
{
    pSceneInfo = nullptr;
}

KQelSceneInfo* CloneSceneInfo(KQelSdkManager& pManager, const KQelSceneInfo& pSource)
{
    return nullptr;
}

void CopySceneInfoToScene(KQelSdkManager& pManager, KQelScene& pScene,
                          const KQelSceneInfo& pSource)
{
}

void SettleExportSceneInfo(KQelSdkManager& pManager, KQelScene& pScene,
                           KStreamOptionsQel& pOptions)
{
}

KString GetNodeName(KQelNode* pNode)
{
    return KString();
}

}  // namespace io_detail

bool KQelReader::CheckDuplicateNodeNames(KQelNode* pRoot, KString& pMessage)
{
    return true;
}

KQelNode* KQelWriter::FindRootNode(KQelScene& pScene)
{
    return nullptr;
}

bool KQelWriter::CheckSpaceInNodeNameRecursive(KQelNode* pNode, KString& pMessage)
{
    return true;
}

}  // namespace qelsdk_600
