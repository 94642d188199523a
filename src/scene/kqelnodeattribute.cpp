#include "scene/kqelnodeattribute.h"

namespace qelsdk_600 {

KQelNodeAttribute::KQelNodeAttribute(KQelSdkManager& pManager) : mNode(nullptr), mManager(pManager) {}

KQelNodeAttribute::~KQelNodeAttribute() {}

void KQelNodeAttribute::AddChannels(KQelTakeNode* pTakeNode) {}

void KQelNodeAttribute::RemoveChannels(KQelTakeNode* pTakeNode) {}

void KQelNodeAttribute::FillPropertyList(void* pList) {}

KString KQelNodeAttribute::GetTypeName()
{
    return KString();
}

KStringList KQelNodeAttribute::GetTypeFlags()
{
    return KStringList();
}

}  // namespace qelsdk_600
