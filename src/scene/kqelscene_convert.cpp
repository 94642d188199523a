#include "scene/kqelscene_convert_impl.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/kpath.h"
#include "content/kqeldeformer.h"
#include "content/kqelgeometry.h"
#include "content/kqellayer.h"
#include "content/kqellight.h"
#include "content/kqellink.h"
#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "content/kqelvideo.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// What tells the material conversions from the texture ones.
struct MaterialKind {
    typedef KQelMaterial Object;
    typedef KQelMaterialProperties Set;
    static KQelLayerElementTemplate<KQelMaterial*>* Element(const KQelLayer* pLayer) { return pLayer->GetMaterials(); }
};

struct TextureKind {
    typedef KQelTexture Object;
    typedef KQelTextureProperties Set;
    static KQelLayerElementTemplate<KQelTexture*>* Element(const KQelLayer* pLayer) { return pLayer->GetTextures(); }
};

// The object owning the set pPlug when that object is of class T; else null.
template <class T>
T* ObjectOfPlug(KPlug* pPlug)
{
    KQelPropertyHandler* set = dynamic_cast<KQelPropertyHandler*>(pPlug);
    return set ? dynamic_cast<T*>(set->GetKQelObject()) : nullptr;
}

// The first source of pPlug that is a node's set, as its node; else null.
KQelNode* FirstNodeSource(KPlug* pPlug)
{
    for (int i = 0, count = pPlug ? pPlug->GetSrcCount() : 0; i < count; ++i) {
        if (KQelNode* node = ObjectOfPlug<KQelNode>(pPlug->GetSrc(i)))
            return node;
    }
    return nullptr;
}

// The objects of the sources of pPlug whose sets are of Kind's class, in
// connection order (null where such a set has no object of the kind).
template <class Kind>
std::vector<typename Kind::Object*> SourcesOfKind(KPlug* pPlug)
{
    std::vector<typename Kind::Object*> objects;
    for (int i = 0, count = pPlug->GetSrcCount(); i < count; ++i) {
        if (typename Kind::Set* set = dynamic_cast<typename Kind::Set*>(pPlug->GetSrc(i)))
            objects.push_back(dynamic_cast<typename Kind::Object*>(set->GetKQelObject()));
    }
    return objects;
}

// pName without what precedes its first "::" (the whole name without one).
std::string WithoutPrefix(const char* pName)
{
    const std::string name(pName ? pName : "");
    const std::size_t separator = name.find("::");
    return separator == std::string::npos ? name : name.substr(separator + 2);
}

// Calls pVisit(node, element) for each layer element of Kind, in Direct or
// IndexToDirect mode, of the geometry of each node of the store, in order.
template <class Kind, class Visit>
void ForEachArrayElement(KQelEntity& pEntity, Visit pVisit)
{
    for (int i = 0; i < pEntity.GetNodeCount(); ++i) {
        KQelNode* node = pEntity.GetNode(i);
        KQelGeometry* geometry = node->GetGeometry();
        for (int l = 0, count = geometry ? geometry->GetLayerCount() : 0; l < count; ++l) {
            auto* element = Kind::Element(geometry->GetLayer(l));
            const KQelLayerElement::EReferenceMode mode = element ? element->GetReferenceMode() : KQelLayerElement::eIndex;
            if (mode == KQelLayerElement::eDirect || mode == KQelLayerElement::eIndexToDirect)
                pVisit(node, *element);
        }
    }
}

}  // namespace

// ---- Before writing ----

template <class Kind>
void KQelSceneConversion::ConnectLayerObjects()
{
    ForEachArrayElement<Kind>(mEntity, [](KQelNode* pNode, auto& pElement) {
        KPlug* nodeSet = pNode->GetPropertyHandler();
        const auto& direct = pElement.GetDirectArray();
        for (int k = 0; k < direct.GetCount(); ++k) {
            KPlug* set = direct[k] ? direct[k]->GetPropertyHandler() : nullptr;
            if (set && !nodeSet->IsConnectedSrc(set))
                nodeSet->ConnectSrc(set);
        }
        if (pElement.GetReferenceMode() == KQelLayerElement::eIndexToDirect) {
            KArrayTemplate<int>& indices = pElement.GetIndexArray();
            for (int k = 0; k < indices.GetCount(); ++k) {
                if (indices[k] >= direct.GetCount())
                    indices[k] = -1;
            }
        }
    });
}

void KQelSceneConversion::ConnectMaterials()
{
    ConnectLayerObjects<MaterialKind>();
}

void KQelSceneConversion::ConnectTextures()
{
    ConnectLayerObjects<TextureKind>();
}

void KQelSceneConversion::ConnectVideos()
{
    // A snapshot: the videos made below join the store, the textures do not
    // change, but the walk should not depend on that.
    std::vector<KQelTexture*> textures;
    for (int i = 0; i < mEntity.GetTextureCount(); ++i)
        textures.push_back(mEntity.GetTexture(i));
    for (KQelTexture* texture : textures) {
        ConnectVideoToNodeUsing(texture, texture->GetFileName(), texture->GetRelativeFileName(),
                                texture->GetMediaName().Buffer(), texture->GetNameWithoutNameSpacePrefix().Buffer(),
                                &mManager);
    }
    for (int i = 0; i < mManager.GetKQelNodeCount(); ++i) {
        KQelNode* node = mManager.GetKQelNode(i);
        KQelLight* light = node->GetLight();
        const char* file = light ? light->GetFileName() : nullptr;
        // No relative name: nothing here knows the directory it would be
        // relative to.
        if (file)
            ConnectVideoToNodeUsing(node, file, nullptr, "", ExtractFileName(file, true).Buffer(), &mManager);
    }
}

void KQelSceneConversion::BuildKQelDeformerFromKQelLink()
{
    // The names the store's deformers have, and per cluster base name the
    // last suffix given: names are only added, so the smallest free suffix
    // never goes down and the search resumes where it stopped.
    std::unordered_set<std::string> names;
    for (int i = 0; i < mEntity.GetDeformerCount(0); ++i)
        names.insert(mEntity.GetDeformer(i, 0)->GetName());
    std::unordered_map<std::string, int> lastSuffix;

    for (int i = 0; i < mEntity.GetNodeCount(); ++i) {
        KQelNode* node = mEntity.GetNode(i);
        KQelGeometry* geometry = node->GetGeometry();
        if (!geometry || geometry->GetLinkCount() == 0)
            continue;
        const std::string skinName = "Skin " + WithoutPrefix(node->GetName());
        KQelDeformer* skin = mManager.CreateKQelDeformer(skinName.c_str(), "Skin");
        if (!skin)
            continue;
        mEntity.AddDeformer(skin);
        names.insert(skin->GetName());
        node->GetPropertyHandler()->ConnectSrc(skin->GetPropertyHandler());

        for (int l = 0; l < geometry->GetLinkCount(); ++l) {
            KQelLink* link = geometry->GetLink(l);
            KQelNode* linked = link ? link->GetLink() : nullptr;
            if (!linked)
                continue;
            const std::string base = "Cluster " + WithoutPrefix(linked->GetName());
            std::string candidate = "SubDeformer::" + base;
            if (names.count(candidate)) {
                int& suffix = lastSuffix[base];
                do
                    candidate = "SubDeformer::" + base + " " + std::to_string(++suffix);
                while (names.count(candidate));
            }
            KQelDeformer* cluster = mManager.CreateKQelDeformer(candidate.c_str(), "Cluster");
            if (!cluster)
                continue;
            mEntity.AddDeformer(cluster);
            names.insert(cluster->GetName());
            *cluster = *link;
            KQelDeformerProperties* clusterSet = cluster->GetPropertyHandler();
            clusterSet->ConnectSrc(linked->GetPropertyHandler());
            if (KQelNode* model = link->GetAssociateModel()) {
                if (KProperty* reference = clusterSet->FindPropertyByName("SrcModelReference"))
                    reference->ConnectSrc(model->GetPropertyHandler());
            }
            skin->GetPropertyHandler()->ConnectSrc(clusterSet);
        }
    }
}

// ---- After reading, and after writing ----

void KQelSceneConversion::RemoveKQelDeformers()
{
    std::vector<KQelDeformer*> deformers;
    deformers.reserve(static_cast<std::size_t>(mEntity.GetDeformerCount(0)));
    for (int i = 0; i < mEntity.GetDeformerCount(0); ++i) {
        KQelDeformer* deformer = mEntity.GetDeformer(i, 0);
        if (deformer->GetDeformerType() == KQelDeformer::eCluster)
            deformers.push_back(deformer);
    }
    const std::size_t clusters = deformers.size();
    for (int i = 0; i < mEntity.GetDeformerCount(0); ++i) {
        KQelDeformer* deformer = mEntity.GetDeformer(i, 0);
        if (deformer->GetDeformerType() != KQelDeformer::eCluster)
            deformers.push_back(deformer);
    }
    // Clusters leave their linked nodes, last made first: many clusters of
    // one bone sit at the end of that bone's connections in creation order,
    // so each leaves from the end instead of searching past all the others.
    for (std::size_t i = clusters; i-- > 0;)
        deformers[i]->GetPropertyHandler()->DisconnectAll();
    for (KQelDeformer* deformer : deformers) {
        if (deformer->GetEntity() == &mEntity)
            deformer->SetEntity(nullptr);
        while (mEntity.GetReferenceUseCount(KQelEntity::eDeformers, deformer) > 0)
            mEntity.RemoveDeformer(deformer);
        mManager.DestroyKQelDeformer(deformer);
    }
}

// ---- After reading ----

template <class Kind>
void KQelSceneConversion::BuildDirectArrays()
{
    // The node's sources of the kind, gathered once per node.
    KQelNode* gatheredFor = nullptr;
    std::vector<typename Kind::Object*> sources;
    ForEachArrayElement<Kind>(mEntity, [&gatheredFor, &sources](KQelNode* pNode, auto& pElement) {
        if (pNode != gatheredFor) {
            sources = SourcesOfKind<Kind>(pNode->GetPropertyHandler());
            gatheredFor = pNode;
        }
        auto& direct = pElement.GetDirectArray();
        const int count = static_cast<int>(sources.size());
        if (pElement.GetReferenceMode() == KQelLayerElement::eDirect) {
            while (direct.GetCount() < count) {
                if (direct.Add(sources[static_cast<std::size_t>(direct.GetCount())]) < 0)
                    break;
            }
            return;
        }
        // The sources the indices use, appended in source order; then the
        // indices move to where their source landed.
        KArrayTemplate<int>& indices = pElement.GetIndexArray();
        std::vector<int> position(sources.size(), -1);
        for (int k = 0; k < indices.GetCount(); ++k) {
            if (indices[k] >= 0 && indices[k] < count)
                position[static_cast<std::size_t>(indices[k])] = 0;
        }
        for (std::size_t k = 0; k < sources.size(); ++k) {
            if (position[k] == 0)
                position[k] = direct.Add(sources[k]);
        }
        for (int k = 0; k < indices.GetCount(); ++k) {
            if (indices[k] >= 0 && indices[k] < count && position[static_cast<std::size_t>(indices[k])] >= 0)
                indices[k] = position[static_cast<std::size_t>(indices[k])];
        }
    });
}

void KQelSceneConversion::BuildMaterialLayersDirectArray()
{
    BuildDirectArrays<MaterialKind>();
}

void KQelSceneConversion::BuildTextureLayersDirectArray()
{
    BuildDirectArrays<TextureKind>();
}

void KQelSceneConversion::BuildKQelLinkFromKQelDeformer()
{
    std::vector<KQelDeformer*> skins;
    for (int i = 0; i < mEntity.GetDeformerCount(0); ++i) {
        KQelDeformer* deformer = mEntity.GetDeformer(i, 0);
        if (deformer->GetDeformerType() == KQelDeformer::eSkin)
            skins.push_back(deformer);
    }
    for (KQelDeformer* skin : skins) {
        KPlug* skinSet = skin->GetPropertyHandler();
        std::vector<KQelDeformer*> clusters;
        for (int s = 0; s < skinSet->GetSrcCount(); ++s) {
            KQelDeformer* cluster = ObjectOfPlug<KQelDeformer>(skinSet->GetSrc(s));
            if (cluster && cluster->GetDeformerType() == KQelDeformer::eCluster)
                clusters.push_back(cluster);
        }
        for (int d = 0; d < skinSet->GetDstCount(); ++d) {
            KQelNode* node = ObjectOfPlug<KQelNode>(skinSet->GetDst(d));
            KQelGeometry* geometry = node ? node->GetGeometry() : nullptr;
            if (!geometry)
                continue;
            for (KQelDeformer* cluster : clusters) {
                KQelLink* link = mManager.CreateKQelLink();
                if (!link)
                    continue;
                *link = *cluster;
                KQelDeformerProperties* clusterSet = cluster->GetPropertyHandler();
                if (KQelNode* linked = FirstNodeSource(clusterSet))
                    link->SetLink(linked);
                if (KQelNode* model = FirstNodeSource(clusterSet->FindPropertyByName("SrcModelReference")))
                    link->SetAssociateModel(model);
                geometry->AddLink(link);
            }
        }
    }
}

// ---- The scene's operations ----

#define QEL_SCENE_CONVERSION(Name) \
    void KQelScene::Name() { KQelSceneConversion(*mEntity, mManager).Name(); }
QEL_SCENE_CONVERSION(ConnectMaterials)
QEL_SCENE_CONVERSION(ConnectTextures)
QEL_SCENE_CONVERSION(ConnectVideos)
QEL_SCENE_CONVERSION(BuildKQelDeformerFromKQelLink)
QEL_SCENE_CONVERSION(RemoveKQelDeformers)
QEL_SCENE_CONVERSION(BuildMaterialLayersDirectArray)
QEL_SCENE_CONVERSION(BuildTextureLayersDirectArray)
QEL_SCENE_CONVERSION(BuildKQelLinkFromKQelDeformer)
#undef QEL_SCENE_CONVERSION

// ---- Videos ----

void ConnectVideoToNodeUsing(KQelTakeNodeContainer* pObject, const char* pFileName, const char* pRelativeFileName,
                             const char* pMediaName, const char* pName, KQelSdkManager* pManager)
{
    if (!pObject || !pManager || !pFileName || !*pFileName)
        return;
    KPlug* set = pObject->GetPropertyHandler();
    if (!set)
        return;
    // Only a video among the sources counts: a node's children are sources
    // of its set too.
    for (int i = 0; i < set->GetSrcCount(); ++i) {
        if (ObjectOfPlug<KQelVideo>(set->GetSrc(i)))
            return;
    }
    const char* name = pMediaName && *pMediaName ? pMediaName : pName;
    KQelVideo* video = pManager->CreateKQelVideo(name);
    if (!video)
        return;
    video->SetFileName(pFileName);
    if (pRelativeFileName)
        video->SetRelativeFileName(pRelativeFileName);
    set->ConnectSrc(video->GetPropertyHandler());
}

}  // namespace qelsdk_600
