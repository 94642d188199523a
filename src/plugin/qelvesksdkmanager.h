// The SDK manager of the host side: every node it makes is a QelVeskNode;
// it owns the import's merge matcher and resolves name clashes.
#ifndef QELVESK_PLUGIN_QELVESKSDKMANAGER_H
#define QELVESK_PLUGIN_QELVESKSDKMANAGER_H

#include "scene/kqelsdkmanager.h"

class MDagPath;
class QelVeskMergeNodeMatcher;
class QelVeskNode;

// One per export and one per import, owned by the exporter or importer.
class QelVeskSdkManager : public qelsdk_600::KQelSdkManager {
public:
    enum EMode : int { eExport = 0, eImport = 1 };

    // The mode never changes; no matcher.
    explicit QelVeskSdkManager(EMode pMode);
    // Ends the matcher, then the base manager.
    ~QelVeskSdkManager() override;

    // A new QelVeskNode; the base calls it for every node it creates, with
    // the "Model::" prefix already applied.
    qelsdk_600::KQelNode* AllocateKQelNode(const char* pName) override;

    EMode GetMode() const { return mMode; }

    // A node made by CreateKQelNode (prefixed, renamed when a strategy is
    // installed, listed), bound to pPath when it is not null.
    QelVeskNode* CreateQelVeskNode(const char* pName, const MDagPath* pPath);
    // DestroyKQelNode's answer: false when the manager does not hold it.
    bool DestroyQelVeskNode(QelVeskNode* pNode, bool pRecursive);

    // The manager's matcher, made on the first call.
    QelVeskMergeNodeMatcher* CreateQelVeskMergeNodeMatcher();
    // Deletes the manager's own matcher, whatever pMatcher is; false when
    // there is none.
    bool DestroyQelVeskMergeNodeMatcher(QelVeskMergeNodeMatcher* pMatcher);

    // Export: names that differ only in letter case, then identical names,
    // get markers ("_ncl2_", "_ncl1_") on the name without its prefix; a
    // node whose name holds a namespace ("rig:hip") gets mNameSpace "rig"
    // and mAddNameSpace true, its name unchanged. Import: the markers of
    // nodes, materials, textures and pose items are undone, names made
    // host-legal, and each node's namespace moved into mNameSpace
    // (mAddNameSpace true on the first node of each run of one namespace);
    // the name as read stays as the initial name.
    void ResolveNameClashing();

private:
    void ResolveExport(class QelVeskRenamingStrategy& pStrategy);
    void ResolveImport(class QelVeskRenamingStrategy& pStrategy);

    EMode mMode;
    QelVeskMergeNodeMatcher* mMergeNodeMatcher;
};

#endif
