// Private to src/content: how materials, textures and videos read the far
// end of a plug connection. Files connect anything to anything, so every far
// end is checked for what it is before it is used as such.
#ifndef QELSDK_CONTENT_KQELCONNECTION_IMPL_H
#define QELSDK_CONTENT_KQELCONNECTION_IMPL_H

namespace qelsdk_600 {

class KPlug;
class KQelEntity;
class KQelNode;
class KQelObject;
class KQelTakeNodeContainer;
class KQelVideo;

// The scene object whose property set pPlug is; null for null, a plug that
// is not a KQelPropertyHandler, or a set without object.
KQelTakeNodeContainer* KQelObjectOfPlug(KPlug* pPlug);
// The same, when that object is a node; else null.
KQelNode* KQelNodeOfPlug(KPlug* pPlug);
// The same, when that object is a video; else null.
KQelVideo* KQelVideoOfPlug(KPlug* pPlug);

// The object store of the node whose set pPlug is; null when pPlug is no
// node's set or the node is in no store.
KQelEntity* KQelStoreOfNodePlug(KPlug* pPlug);

}  // namespace qelsdk_600

#endif
