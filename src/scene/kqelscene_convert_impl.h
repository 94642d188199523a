// Private to src/scene: the scene's conversions between what a scene holds
// in memory (layer arrays of materials and textures, texture and light file
// names, geometry links) and what files hold (plug connections between
// property sets, videos, skin and cluster deformers).
#ifndef QELSDK_SCENE_KQELSCENE_CONVERT_IMPL_H
#define QELSDK_SCENE_KQELSCENE_CONVERT_IMPL_H

namespace qelsdk_600 {

class KQelEntity;
class KQelSdkManager;
class KQelTakeNodeContainer;

// The conversions of one scene: its object store and its manager. Walks go
// over the store's nodes in order. Nothing is reported: what lacks the
// expected relation is skipped, and a creation the manager refuses is not
// looked at further.
class KQelSceneConversion {
public:
    KQelSceneConversion(KQelEntity& pEntity, KQelSdkManager& pManager) : mEntity(pEntity), mManager(pManager) {}

    // ---- Before writing ----

    // Each node's geometry connects the materials (textures) of its layers'
    // direct arrays, in modes Direct and IndexToDirect, as sources of the
    // node's set, once each (null entries skipped); in IndexToDirect mode
    // indices past the direct array become -1.
    void ConnectMaterials();
    void ConnectTextures();
    // A video for the file of each texture of the store, then for the gobo
    // file of each light of the manager's nodes (ConnectVideoToNodeUsing).
    void ConnectVideos();
    // For each node whose geometry has links: a skin "Deformer::Skin <node>"
    // connected to the node, and per link with a node a cluster
    // "SubDeformer::Cluster <node>" (suffixed " 1", " 2"... while the name is
    // taken) carrying the link's data, connected to the linked node (and the
    // associate model through "SrcModelReference") and to the skin; all in
    // the store.
    void BuildKQelDeformerFromKQelLink();

    // ---- After reading, and after writing ----

    // Every deformer of the store leaves it (every use) and is destroyed by
    // the manager, once: clusters first, then the rest, each in list order.
    void RemoveKQelDeformers();

    // ---- After reading ----

    // Direct arrays from the node's material (texture) sources: in Direct
    // mode entry k is source k; in IndexToDirect mode the sources that the
    // index array uses are appended in source order and the indices remapped
    // to their positions, in one pass from their values before.
    void BuildMaterialLayersDirectArray();
    void BuildTextureLayersDirectArray();
    // Each skin's clusters become links (with their linked node and
    // associate model) of the geometry of every node the skin is connected
    // to.
    void BuildKQelLinkFromKQelDeformer();

private:
    template <class Kind>
    void ConnectLayerObjects();
    template <class Kind>
    void BuildDirectArrays();

    KQelEntity& mEntity;
    KQelSdkManager& mManager;
};

// Gives pObject a video for pFileName unless one of its set's sources is a
// video already: a new video named pMediaName (pName when that is empty or
// null) with the file name and, when not null, the relative file name,
// connected as a source of pObject's set. Nothing for a null or empty file
// name, a null object or manager, or an object without set.
void ConnectVideoToNodeUsing(KQelTakeNodeContainer* pObject, const char* pFileName, const char* pRelativeFileName,
                             const char* pMediaName, const char* pName, KQelSdkManager* pManager);

}  // namespace qelsdk_600

#endif
