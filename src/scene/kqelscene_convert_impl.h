// Private to src/scene: the body of the scene's linking and conversion
// operations (KQelScene::ConnectMaterials and its siblings), over the
// scene's object store and manager.
#ifndef QELSDK_SCENE_KQELSCENE_CONVERT_IMPL_H
#define QELSDK_SCENE_KQELSCENE_CONVERT_IMPL_H

namespace qelsdk_600 {

class KQelEntity;
class KQelSdkManager;

// Each operation does what the KQelScene operation of the same name says.
class KQelSceneConversion {
public:
    KQelSceneConversion(KQelEntity& pEntity, KQelSdkManager& pManager) : mEntity(pEntity), mManager(pManager) {}

    void ConnectMaterials();
    void ConnectTextures();
    void ConnectVideos();
    void BuildKQelDeformerFromKQelLink();
    void RemoveKQelDeformers();
    void BuildMaterialLayersDirectArray();
    void BuildTextureLayersDirectArray();
    void BuildKQelLinkFromKQelDeformer();

private:
    template <class Kind>
    void ConnectLayerObjects();
    template <class Kind>
    void BuildDirectArrays();

    KQelEntity& mEntity;
    KQelSdkManager& mManager;
};

}  // namespace qelsdk_600

#endif
