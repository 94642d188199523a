// Binds the nodes of an imported SDK scene to the host DAG nodes they stand
// for, by name, host namespace and ancestry.
#ifndef QELVESK_PLUGIN_QELVESKMERGENODEMATCHER_H
#define QELVESK_PLUGIN_QELVESKMERGENODEMATCHER_H

#include <vesk/MDagPath.h>
#include <vesk/MFn.h>
#include <vesk/MObject.h>
#include <vesk/MStatus.h>

namespace qelsdk_600 {
class KQelNode;
class KQelPath;
class KQelPluginBase;
class KQelUserProperty;
}
class QelVeskNode;
class QelVeskSdkManager;

// Made and deleted only by its manager. Used once per import, after the
// manager resolved name clashes: set mPluginBase, Apply, destroy.
class QelVeskMergeNodeMatcher {
public:
    explicit QelVeskMergeNodeMatcher(QelVeskSdkManager& pManager);

    // Walks the host DAG (filtered by pType; kInvalid: every node) and binds
    // to each host node the SDK node under pRoot of the same name and host
    // namespace: among nodes sharing the name, the first whose ancestry
    // matches the walked path; otherwise the manager's first node of the
    // name, unless a host node bound it already. A bound node gets the path,
    // mMerged, the shape object of a camera or light and its user-property
    // map. Changes nothing in the host; always success.
    MStatus Apply(qelsdk_600::KQelNode* pRoot, MFn::Type pType);
    // Whether the walked host path has the SDK node's ancestry (other
    // instance paths of the host node are not looked at).
    bool FindPathEquivalent(qelsdk_600::KQelNode* pNode, const MDagPath& pPath);
    // The SDK ancestors (below "Model::RootNode" when that is the top) and
    // the host path's ancestors match name for name, host names taken after
    // their last ':'; the compared node's own name is not part of it.
    bool ComparePath(qelsdk_600::KQelPath& pSdkPath, MDagPath pHostPath);
    // Fills the node's mUserPropertyNames: for each user property (flag 2),
    // its label (spaces become '_') or, when the host transform has no such
    // attribute, the label followed by 1 to 10, when the attribute found
    // carries the property's type.
    void ResolveUserPropertyNames(QelVeskNode* pNode);
    // Numeric attributes only: bool 1; byte, char, short, long 4 (integer);
    // float, double 2 (real); three floats or doubles 3 or 5 (colour,
    // vector).
    bool UserPropertyTypesMatch(qelsdk_600::KQelUserProperty* pProperty, const MObject& pAttribute);

    QelVeskSdkManager& mManager;
    // Recognises QEL root nodes; set by the importer before Apply.
    qelsdk_600::KQelPluginBase* mPluginBase;

private:
    // ComparePath for pNode with pCount ancestors, the topmost named
    // pTopName.
    static bool CompareAncestry(qelsdk_600::KQelNode* pNode, int pCount, const char* pTopName, MDagPath pHostPath);
};

// True when pNode is a QEL root node (for pBase) none of whose children
// bears the name of a child of the host node at pPath; false for a null
// node or base.
bool IsRootWithoutMatchingChild(const MDagPath& pPath, QelVeskNode* pNode, qelsdk_600::KQelPluginBase* pBase);

#endif
