// "Relations" and "Connections".
#include <unordered_set>
#include <vector>

#include "character/kqelcharacter.h"
#include "character/kqelcontrolsetplug.h"
#include "content/kqeldeformer.h"
#include "file/iqelobject.h"
#include "io/kstreamoptionsqel.h"
#include "native/kqelwriterqel6.h"
#include "native/kqelwriterqel6_impl.h"
#include "object/kproperty.h"
#include "scene/kqelcharacterpose.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelpose.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelscene.h"

namespace qelsdk_600 {

using namespace writer6_detail;

namespace {

// The scene object whose property set is pPlug; null when pPlug is not a
// property set.
KQelObject* ObjectOfHandler(KPlug* pPlug)
{
    if (!pPlug || !pPlug->Is(KQelPropertyHandler::ClassId))
        return nullptr;
    return static_cast<KQelPropertyHandler*>(pPlug)->GetKQelObject();
}

// Whether the walk goes on past pSource, reached as a source of pObject.
// Nodes lead everywhere; deformers and generic nodes lead to what is
// neither a node nor one of them; everything else stops the walk.
bool WalkPast(const KQelObject& pObject, const KQelObject& pSource)
{
    const KQelObject::ENameSpace from = pObject.GetNameSpace();
    const KQelObject::ENameSpace to = pSource.GetNameSpace();
    if (from == KQelObject::eModel)
        return true;
    if (from == KQelObject::eDeformer)
        return to != KQelObject::eModel && to != KQelObject::eDeformer;
    return false;
}

}  // namespace

// ---- Relations ----

void KQelWriterQel6::RelationEntry(const char* pKind, const char* pName, const char* pTypeName)
{
    ObjectBegin(pKind, pName, pTypeName);
    BlockEnd();
}

bool KQelWriterQel6::WriteRelation(const char* pKind, KQelObject* pObject)
{
    if (!pObject)
        return false;
    RelationEntry(pKind, pObject->GetName(), pObject->GetTypeName().Buffer());
    return true;
}

bool KQelWriterQel6::WriteObjectRelations(KQelScene& pScene)
{
    Banner(" Object relations", 66, true, true);
    BlockBegin("Relations");
    WriteNodeRelations(pScene);
    KQelNode* producers[kProducerCameraCount];
    GetProducerCameraNodes(pScene.GetGlobalCameraSettings(), producers);
    for (KQelNode* node : producers)
        WriteKQelNodeRelations(node);
    WriteKQelNodeRelations(pScene.GetCameraSwitcher());
    if (Option(KStreamOptionsQel::eMaterial))
        WriteMaterialRelations(pScene);
    if (Option(KStreamOptionsQel::eTexture))
        WriteTextureRelations(pScene);
    if (Option(KStreamOptionsQel::eVideo))
        WriteVideoRelations(pScene);
    if (Option(KStreamOptionsQel::eCharacter))
        WriteCharacterRelations(pScene);
    if (Option(KStreamOptionsQel::eLink))
        WriteDeformerRelations(pScene);
    WritePoseRelations(pScene);
    WriteSceneInfoRelations(pScene.GetSceneInfo());
    BlockEnd();
    return true;
}

bool KQelWriterQel6::WriteNodeRelations(KQelScene& pScene)
{
    if (KQelNode* root = pScene.GetRootNode())
        ForEachNodeBelow(*root, [this](KQelNode& pNode) { WriteRelation("Model", &pNode); });
    return true;
}

bool KQelWriterQel6::WriteKQelNodeRelations(KQelNode* pNode)
{
    if (!pNode)
        return false;
    WriteRelation("Model", pNode);
    ForEachNodeBelow(*pNode, [this](KQelNode& pChild) { WriteRelation("Model", &pChild); });
    return true;
}

// Materials, textures and videos are reached through the entity's
// references, as scene objects.
void KQelWriterQel6::WriteReferenceRelations(KQelScene& pScene, int pKind, const char* pField)
{
    KQelEntity& entity = *pScene.GetEntity();
    const KQelEntity::EReferenceKind kind = static_cast<KQelEntity::EReferenceKind>(pKind);
    for (int i = 0, n = entity.GetReferenceCount(kind); i < n; ++i)
        WriteRelation(pField, entity.GetReferencedObject(kind, i));
}

bool KQelWriterQel6::WriteMaterialRelations(KQelScene& pScene)
{
    WriteReferenceRelations(pScene, KQelEntity::eMaterials, "Material");
    return true;
}

bool KQelWriterQel6::WriteTextureRelations(KQelScene& pScene)
{
    WriteReferenceRelations(pScene, KQelEntity::eTextures, "Texture");
    return true;
}

bool KQelWriterQel6::WriteVideoRelations(KQelScene& pScene)
{
    WriteReferenceRelations(pScene, KQelEntity::eVideos, "Video");
    return true;
}

bool KQelWriterQel6::WriteCharacterRelations(KQelScene& pScene)
{
    for (int i = 0, n = pScene.GetCharacterCount(); i < n; ++i)
        WriteKQelCharacterRelations(pScene.GetCharacter(i));
    return true;
}

bool KQelWriterQel6::WriteDeformerRelations(KQelScene& pScene)
{
    for (int i = 0, n = pScene.GetDeformerCount(0); i < n; ++i)
        WriteKQelDeformerRelations(pScene.GetDeformer(i, 0));
    return true;
}

bool KQelWriterQel6::WritePoseRelations(KQelScene& pScene)
{
    for (int i = 0, n = pScene.GetPoseCount(); i < n; ++i)
        WriteKQelPoseRelations(pScene.GetPose(i));
    if (Option(KStreamOptionsQel::eCharacter)) {
        for (int i = 0, n = pScene.GetCharacterPoseCount(); i < n; ++i)
            WriteKQelCharacterPoseRelations(pScene.GetCharacterPose(i));
    }
    return true;
}

bool KQelWriterQel6::WriteKQelCharacterRelations(KQelCharacter* pCharacter)
{
    return WriteRelation("Constraint", pCharacter);
}

bool KQelWriterQel6::WriteKQelDeformerRelations(KQelDeformer* pDeformer)
{
    return WriteRelation("Deformer", pDeformer);
}

bool KQelWriterQel6::WriteKQelPoseRelations(KQelPose* pPose)
{
    return WriteRelation("Pose", pPose);
}

bool KQelWriterQel6::WriteKQelCharacterPoseRelations(KQelCharacterPose* pPose)
{
    return WriteRelation("Pose", pPose);
}

bool KQelWriterQel6::WriteSceneInfoRelations(KQelSceneInfo* pSceneInfo)
{
    if (!pSceneInfo)
        return false;
    RelationEntry("SceneInfo", "SceneInfo::GlobalInfo", "UserData");
    return true;
}

// ---- Connections ----

bool KQelWriterQel6::WriteObjectConnections(KQelScene& pScene)
{
    Banner(" Object connections", 66, true, true);
    BlockBegin("Connections");
    if (KQelNode* root = pScene.GetRootNode()) {
        // The root stands for the scene in connections; its own name comes
        // back unchanged afterwards.
        KName& name = root->GetKName();
        const KString saved = name.GetCurrentName();
        name.SetCurrentName("Model::Scene");
        WriteObjectConnections(root, true);
        name.SetCurrentName(saved.Buffer());
    }
    if (Option(KStreamOptionsQel::eCharacter)) {
        for (int i = 0, n = pScene.GetControlSetPlugCount(); i < n; ++i) {
            if (KQelObject* plug = pScene.GetControlSetPlug(i))
                WriteObjectConnections(plug, false);
        }
        for (int i = 0, n = pScene.GetCharacterCount(); i < n; ++i) {
            if (KQelObject* character = pScene.GetCharacter(i))
                WriteObjectConnections(character, false);
        }
    }
    BlockEnd();
    return true;
}

bool KQelWriterQel6::WriteObjectConnections(KQelObject* pObject, bool pContinue)
{
    if (!pObject)
        return false;
    // The objects whose sources are still to be walked, innermost last.
    struct Frame {
        KQelObject* mObject;
        KQelPropertyHandler* mHandler;
        int mNextSource;
    };
    std::vector<Frame> path;
    std::unordered_set<KQelObject*> onPath;

    auto enter = [&](KQelObject* pEntered, bool pWalk) {
        KQelPropertyHandler* handler = pEntered->GetPropertyHandler();
        if (!handler)
            return;
        for (int i = 0, n = handler->GetSrcCount(); i < n; ++i)
            WriteFieldConnection(handler->GetSrc(i), handler);
        for (int p = 0, np = handler->GetPropertyCount(); p < np; ++p) {
            KProperty* property = handler->GetProperty(p);
            if (!property)
                continue;
            for (int i = 0, n = property->GetSrcCount(); i < n; ++i)
                WriteFieldConnection(property->GetSrc(i), property);
        }
        // An object already on the path (a connection cycle) is written but
        // not walked again.
        if (pWalk && onPath.insert(pEntered).second)
            path.push_back(Frame{pEntered, handler, 0});
    };

    enter(pObject, pContinue);
    while (!path.empty()) {
        Frame& frame = path.back();
        if (frame.mNextSource >= frame.mHandler->GetSrcCount()) {
            onPath.erase(frame.mObject);
            path.pop_back();
            continue;
        }
        KQelObject* source = ObjectOfHandler(frame.mHandler->GetSrc(frame.mNextSource++));
        if (source)
            enter(source, WalkPast(*frame.mObject, *source));
    }
    return true;
}

bool KQelWriterQel6::WriteFieldConnection(KPlug* pSource, KPlug* pDestination)
{
    KQelObject* source = ObjectOfHandler(pSource);
    if (!source || !pDestination)
        return false;
    if (KQelObject* destination = ObjectOfHandler(pDestination)) {
        File().FieldWriteBegin("Connect");
        File().FieldWriteC("OO");
        File().FieldWriteC(source->GetName());
        File().FieldWriteC(destination->GetName());
        File().FieldWriteEnd();
        return true;
    }
    if (!pDestination->Is(KProperty::ClassId))
        return false;
    KProperty* property = static_cast<KProperty*>(pDestination);
    KQelObject* owner = ObjectOfHandler(property->GetPropertyOwner());
    if (!owner)
        return false;
    File().FieldWriteBegin("Connect");
    File().FieldWriteC("OP");
    File().FieldWriteC(source->GetName());
    File().FieldWriteC(owner->GetName());
    File().FieldWriteC(property->GetPropertyName());
    File().FieldWriteEnd();
    return true;
}

}  // namespace qelsdk_600
