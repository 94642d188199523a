#include "plugin/qelvesksdkmanager.h"

#include "base/kname.h"
#include "plugin/qelveskmergenodematcher.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskrenamingstrategy.h"
#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "scene/kqelpose.h"

using namespace qelsdk_600;

namespace {

const char kModelPrefix[] = "Model::";
constexpr int kModelPrefixLen = sizeof kModelPrefix - 1;

// Renames an object's name without its kind prefix through the strategy and
// puts the prefix back on both names.
void RenameWithoutPrefix(KQelObject& pObject, KRenamingStrategy& pStrategy)
{
    const KString prefix = pObject.GetNameSpacePrefix();
    KName name(pObject.GetNameWithoutNameSpacePrefix().Buffer());
    pStrategy.Rename(name);
    pObject.SetInitialName((prefix + name.GetInitialName()).Buffer());
    pObject.SetName((prefix + name.GetCurrentName()).Buffer());
}

} // namespace

QelVeskSdkManager::QelVeskSdkManager(EMode pMode) : mMode(pMode), mMergeNodeMatcher(nullptr) {}

QelVeskSdkManager::~QelVeskSdkManager()
{
    DestroyQelVeskMergeNodeMatcher(mMergeNodeMatcher);
}

KQelNode* QelVeskSdkManager::AllocateKQelNode(const char* pName)
{
    return new QelVeskNode(*this, pName);
}

QelVeskNode* QelVeskSdkManager::CreateQelVeskNode(const char* pName, const MDagPath* pPath)
{
    // Every node of this manager is allocated above.
    QelVeskNode* node = static_cast<QelVeskNode*>(CreateKQelNode(pName));
    if (node)
        node->SetDagPath(pPath);
    return node;
}

bool QelVeskSdkManager::DestroyQelVeskNode(QelVeskNode* pNode, bool pRecursive)
{
    return DestroyKQelNode(pNode, pRecursive);
}

QelVeskMergeNodeMatcher* QelVeskSdkManager::CreateQelVeskMergeNodeMatcher()
{
    if (!mMergeNodeMatcher)
        mMergeNodeMatcher = new QelVeskMergeNodeMatcher(*this);
    return mMergeNodeMatcher;
}

bool QelVeskSdkManager::DestroyQelVeskMergeNodeMatcher(QelVeskMergeNodeMatcher*)
{
    if (!mMergeNodeMatcher)
        return false;
    delete mMergeNodeMatcher;
    mMergeNodeMatcher = nullptr;
    return true;
}

void QelVeskSdkManager::ResolveNameClashing()
{
    QelVeskRenamingStrategy* strategy =
        new QelVeskRenamingStrategy(static_cast<KQelPluginRenamingStrategy::EMode>(mMode), false);
    KRenamingStrategy* previous = SetRenamingStrategy(eNodeNames, strategy);
    if (mMode == eExport)
        ResolveExport(*strategy);
    else
        ResolveImport(*strategy);
    SetRenamingStrategy(eNodeNames, previous);
    delete strategy;
}

void QelVeskSdkManager::ResolveExport(QelVeskRenamingStrategy& pStrategy)
{
    const int count = GetKQelNodeCount();
    // Case-only clashes first, so that "Box", "box", "Box" gives the exact
    // repeat its own marker on the name the first pass left.
    pStrategy.SetClashSoverType(KQelPluginRenamingStrategy::eCaseClashOnly);
    for (int i = 0; i < count; ++i) {
        QelVeskNode* node = static_cast<QelVeskNode*>(GetKQelNode(i));
        const KString full(node->GetName());
        const int colon = full.Find(':', kModelPrefixLen);
        if (colon > kModelPrefixLen) {
            node->mNameSpace = full.Mid(kModelPrefixLen, static_cast<unsigned int>(colon - kModelPrefixLen));
            node->mAddNameSpace = true;
        }
        RenameWithoutPrefix(*node, pStrategy);
    }
    pStrategy.SetClashSoverType(KQelPluginRenamingStrategy::eExactClashOnly);
    for (int i = 0; i < count; ++i)
        RenameWithoutPrefix(*GetKQelNode(i), pStrategy);
}

void QelVeskSdkManager::ResolveImport(QelVeskRenamingStrategy& pStrategy)
{
    KString lastNameSpace;
    for (int i = 0, n = GetKQelNodeCount(); i < n; ++i) {
        QelVeskNode* node = static_cast<QelVeskNode*>(GetKQelNode(i));
        RenameWithoutPrefix(*node, pStrategy);
        if (pStrategy.mNameSpace.IsEmpty())
            continue;
        node->mAddNameSpace = !(pStrategy.mNameSpace == lastNameSpace);
        if (node->mAddNameSpace)
            lastNameSpace = pStrategy.mNameSpace;
        node->mNameSpace = pStrategy.mNameSpace;
    }
    for (int i = 0, n = GetKQelMaterialCount(); i < n; ++i)
        RenameWithoutPrefix(*GetKQelMaterial(i), pStrategy);
    for (int i = 0, n = GetKQelTextureCount(); i < n; ++i)
        RenameWithoutPrefix(*GetKQelTexture(i), pStrategy);
    for (int i = 0, n = GetKQelPoseCount(); i < n; ++i) {
        KQelPose* pose = GetKQelPose(i);
        for (int j = 0, items = pose->GetCount(); j < items; ++j) {
            KName name(KQelPluginRenamingStrategy::NoPrefixName(pose->GetNodeName(j)));
            pStrategy.Rename(name);
            pose->ReplaceNodeName(j, name.GetInitialName());
        }
    }
}
