// Current-layout documents: "Definitions", "Objects" and "Connections", and
// the two services the object readers share.
#include <cstring>
#include <string>
#include <unordered_set>

#include "character/kqelcharacter.h"
#include "character/kqelcontrolsetplug.h"
#include "content/kqeldeformer.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "file/iqelobject.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "object/kobject.h"
#include "object/kproperty.h"
#include "scene/kqelcharacterpose.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelpose.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {

namespace {

// The object's property set seen as the interface the registry holds.
IKObject* HandlerInterface(KQelObject* pObject)
{
    KQelPropertyHandler* handler = pObject ? pObject->GetPropertyHandler() : nullptr;
    return handler ? handler->IQuery(kIID_IKObject, 0) : nullptr;
}

// A registered object that is a KObject (a property set), else null.
KObject* FetchKObject(IQelObject& pFile, const char* pName)
{
    IKObject* object = pFile.ObjectFetch(pName);
    IKObject* asObject = object ? object->IQuery(kIID_KObject, 0) : nullptr;
    if (!asObject)
        return nullptr;
    KObject* result = static_cast<KObject*>(asObject);
    return result->Is(KObject::ClassId) ? result : nullptr;
}

// The node whose property set this is, or null.
KQelNode* NodeOf(KObject* pObject)
{
    if (!pObject || !pObject->Is(KQelNodeProperties::ClassId))
        return nullptr;
    return static_cast<KQelNodeProperties*>(pObject)->GetKQelNode();
}

// Whether "OO" may make pSource a child of pDestination without breaking
// the tree: a node joins at most one parent, the root and the switcher node
// never join one, and no node joins its own subtree.
bool MayAdopt(KQelScene& pScene, KQelNode& pSource, KQelNode& pDestination)
{
    if (pSource.GetParent() || &pSource == pScene.GetRootNode() || &pSource == pScene.GetCameraSwitcher())
        return false;
    if (&pSource == &pDestination)
        return false;
    // A leaf has nothing below it: building a tree top-down never climbs.
    if (pSource.GetChildCount(false) == 0)
        return true;
    for (KQelNode* node = pDestination.GetParent(); node; node = node->GetParent()) {
        if (node == &pSource)
            return false;
    }
    return true;
}

// Child i's curve default value, 0 without a curve.
double ChildValue(KFCurveNode& pNode, int pIndex)
{
    KFCurveNode* child = pNode.Get(pIndex);
    KFCurve* curve = child ? child->FCurveGet() : nullptr;
    return curve ? curve->GetValue() : 0.0;
}

}  // namespace

// Each object kind of "Objects": what is created, read and registered.
struct ObjectReaders {
    typedef void (*Reader)(KQelReaderQel&, KQelScene&, const KString& pSubType, const KString& pName);
    struct Row {
        const char* mType;
        Reader mRead;
    };
    static const Row kRows[];

    static void Register(KQelReaderQel& pReader, KQelObject* pObject, const char* pName)
    {
        if (IKObject* handler = HandlerInterface(pObject))
            pReader.mFile->ObjectRegister(pName, handler);
    }

    static void SceneInfo(KQelReaderQel& pReader, KQelScene& pScene, const KString& pSubType, const KString&)
    {
        KString type = pSubType;
        pReader.AdoptSceneInfo(pScene, pReader.ReadSceneInfo(type));
    }

    static void Model(KQelReaderQel& pReader, KQelScene&, const KString&, const KString& pName)
    {
        KQelNode* node = pReader.mManager.CreateKQelNode(pName.Buffer());
        if (!node)
            return;
        pReader.mNodeTable.Add(node->GetName(), reinterpret_cast<kReference>(node));
        pReader.ReadKQelNode(*node);
        Register(pReader, node, node->GetName());
    }

    // Kinds whose family unit creates and reads the object.
    template <KQelObject* (KQelReaderQel::*Read)(const char*)>
    static void MadeByItsUnit(KQelReaderQel& pReader, KQelScene&, const KString&, const KString& pName)
    {
        KQelObject* object = (pReader.*Read)(pName.Buffer());
        Register(pReader, object, object ? object->GetName() : "");
    }

    static void Deformer(KQelReaderQel& pReader, KQelScene& pScene, const KString& pSubType, const KString& pName)
    {
        if (pSubType != "Skin" && pSubType != "Cluster")
            return;
        KQelDeformer* deformer = pReader.mManager.CreateKQelDeformer(pName.Buffer(), pSubType.Buffer());
        if (!deformer)
            return;
        pReader.ReadKQelDeformer(*deformer);
        pScene.AddDeformer(deformer);
        Register(pReader, deformer, deformer->GetName());
    }

    static void Pose(KQelReaderQel& pReader, KQelScene& pScene, const KString& pSubType, const KString& pName)
    {
        if (pSubType == "CharacterPose") {
            const int index = pScene.CreateCharacterPose(pName.Buffer());
            if (index < 0)
                return;
            KQelCharacterPose* pose = pScene.GetCharacterPose(index);
            if (!pose || !pReader.ReadKQelCharacterPose(*pose))
                pScene.DestroyCharacterPose(index);
            return;
        }
        const bool bind = pSubType == "BindPose";
        if (!bind && pSubType != "RestPose")
            return;
        KQelPose* pose = pReader.mManager.CreateKQelPose(pName.Buffer(), bind);
        if (!pose)
            return;
        if (pReader.ReadKQelPose(pose, bind))
            pScene.AddPose(pose);
        else
            pReader.mManager.DestroyKQelPose(pose);
    }

    static void GenericNode(KQelReaderQel& pReader, KQelScene& pScene, const KString&, const KString& pName)
    {
        KQelGenericNode* node = pReader.mManager.CreateKQelGenericNode(pName.Buffer());
        if (!node)
            return;
        pReader.ReadKQelGenericNode(*node);
        pScene.AddGenericNode(node);
        Register(pReader, node, node->GetName());
    }

    static void Constraint(KQelReaderQel& pReader, KQelScene& pScene, const KString& pSubType,
                           const KString& pName)
    {
        if (pSubType != "Character")
            return;
        const int index = pScene.CreateCharacter(pName.Buffer());
        KQelCharacter* character = index < 0 ? nullptr : pScene.GetCharacter(index);
        if (!character)
            return;
        int input = -1;
        pReader.ReadKQelCharacter(*character, input);
        Register(pReader, character, character->GetName());
    }

    static void ControlSetPlug(KQelReaderQel& pReader, KQelScene& pScene, const KString& pSubType,
                               const KString& pName)
    {
        if (pSubType != "ControlSetPlug")
            return;
        const int index = pScene.CreateControlSetPlug(pName.Buffer());
        KQelControlSetPlug* plug = index < 0 ? nullptr : pScene.GetControlSetPlug(index);
        if (!plug)
            return;
        KArrayTemplate<KProperty*> properties;
        plug->FillPropertyList(&properties);
        pReader.mFile->FieldReadPropertiesList(properties, plug->GetPropertyHandler());
        pReader.PublishKQelProperties(*plug);
        Register(pReader, plug, pName.Buffer());
    }
};

const ObjectReaders::Row ObjectReaders::kRows[] = {
    {"SceneInfo", &ObjectReaders::SceneInfo},     {"Model", &ObjectReaders::Model},
    {"Material", &ObjectReaders::MadeByItsUnit<&KQelReaderQel::ReadMaterialObject>},
    {"Texture", &ObjectReaders::MadeByItsUnit<&KQelReaderQel::ReadTextureObject>},
    {"Video", &ObjectReaders::MadeByItsUnit<&KQelReaderQel::ReadVideoObject>},
    {"Deformer", &ObjectReaders::Deformer},
    {"Pose", &ObjectReaders::Pose},               {"GenericNode", &ObjectReaders::GenericNode},
    {"Constraint", &ObjectReaders::Constraint},   {"ControlSetPlug", &ObjectReaders::ControlSetPlug},
};

bool KQelReaderQel::ReadDefinitionSection(KQelScene&, KArrayTemplate<ObjectTypeInfo*>& pTypes)
{
    if (mFile->IsBeforeVersion6())
        return true;
    native_detail::ReadBlock definitions(File(), "Definitions");
    if (!definitions.IsOpen())
        return true;
    // A set finds repeats: a hostile file may name one type 10^5 times.
    std::unordered_set<std::string> seen;
    for (int i = 0; i < pTypes.GetCount(); ++i)
        seen.insert(pTypes[i]->mType.Buffer());
    while (mFile->FieldReadBegin("ObjectType")) {
        const char* type = mFile->FieldReadC();
        if (seen.insert(type).second) {
            ObjectTypeInfo* info = new ObjectTypeInfo;
            info->mType = type;
            pTypes.Add(info);
        }
        mFile->FieldReadEnd();
    }
    return true;
}

bool KQelReaderQel::ReadObjectSection(KQelScene& pScene, KArrayTemplate<ObjectTypeInfo*>& pTypes)
{
    native_detail::ReadBlock objects(File(), "Objects");
    if (!objects.IsOpen())
        return true;
    for (int t = 0; t < pTypes.GetCount(); ++t) {
        KString type = pTypes[t]->mType;
        while (mFile->FieldReadBegin(type.Buffer())) {
            KString name = mFile->FieldReadC();
            KString subType = mFile->FieldReadC();
            if (mFile->FieldReadBlockBegin()) {
                ReadObject(pScene, type, subType, name);
                mFile->FieldReadBlockEnd();
            }
            mFile->FieldReadEnd();
        }
    }
    return true;
}

bool KQelReaderQel::ReadObject(KQelScene& pScene, KString& pType, KString& pSubType, KString& pName)
{
    for (const ObjectReaders::Row& row : ObjectReaders::kRows) {
        if (pType == row.mType) {
            row.mRead(*this, pScene, pSubType, pName);
            break;
        }
    }
    return true;
}

bool KQelReaderQel::ReadConnectionSection(KQelScene& pScene)
{
    native_detail::ReadBlock connections(File(), "Connections");
    if (!connections.IsOpen())
        return true;
    while (mFile->FieldReadBegin("Connect")) {
        const KString kind = mFile->FieldReadC();
        const bool objectToObject = kind == "OO";
        if (objectToObject || kind == "OP") {
            const KString sourceName = mFile->FieldReadC();
            const KString destinationName = mFile->FieldReadC();
            KObject* source = FetchKObject(*mFile, sourceName.Buffer());
            KObject* destinationObject = FetchKObject(*mFile, destinationName.Buffer());
            KPlug* destination = destinationObject;
            if (!objectToObject && destinationObject)
                destination = destinationObject->FindPropertyByName(mFile->FieldReadC());
            bool join = source && destination && !destination->IsConnectedSrc(source);
            if (join && objectToObject) {
                KQelNode* child = NodeOf(source);
                KQelNode* parent = NodeOf(destinationObject);
                if (child && parent)
                    join = MayAdopt(pScene, *child, *parent);
            }
            if (join)
                destination->ConnectSrc(source, 0);
        }
        mFile->FieldReadEnd();
    }
    return true;
}

void KQelReaderQel::PublishKQelProperties(KQelObject& pObject)
{
    KQelPropertyHandler* handler = pObject.GetPropertyHandler();
    if (!handler)
        return;
    for (int i = 0, n = handler->GetPropertyCount(); i < n; ++i) {
        KProperty* property = handler->GetProperty(i);
        if (!property || pObject.HasProperty(property))
            continue;
        if (KQelUserProperty* user = mManager.CreateKQelUserProperty(property))
            pObject.AddProperty(user);
    }
}

void KQelReaderQel::UpdatePropertiesDefaultValues(KQelNode& pNode)
{
    KQelTakeNode* take = pNode.GetCurrentTakeNode();
    KFCurveNode* tree = take ? take->GetKFCurveNode() : nullptr;
    if (!tree)
        return;
    for (int i = 0, n = pNode.GetPropertyCount(); i < n; ++i) {
        KQelUserProperty* property = pNode.GetProperty(i);
        KFCurveNode* curves = property ? tree->FindRecursive(property->GetName().Buffer()) : nullptr;
        if (!curves)
            continue;
        if (curves->GetCount() == 3)
            property->SetDefaultValue(ChildValue(*curves, 0), ChildValue(*curves, 1), ChildValue(*curves, 2));
        else if (KFCurve* curve = curves->FCurveGet())
            property->SetDefaultValue(static_cast<double>(curve->GetValue()));
    }
    static const struct {
        const char* mProperty;
        const char* mChannel;
    } kTransform[] = {{"Lcl Translation", "T"}, {"Lcl Rotation", "R"}, {"Lcl Scaling", "S"}};
    KQelPropertyHandler* handler = pNode.GetPropertyHandler();
    KFCurveNode* transform = tree->FindRecursive("Transform");
    for (const auto& row : kTransform) {
        KQelUserProperty* property = pNode.FindPropertyByName(row.mProperty);
        if (!handler || !handler->FindPropertyByName(row.mProperty) || !property || !transform)
            continue;
        KFCurveNode* channel = transform->FindRecursive(row.mChannel);
        if (channel && channel->GetCount() == 3)
            property->SetDefaultValue(ChildValue(*channel, 0), ChildValue(*channel, 1), ChildValue(*channel, 2));
    }
}

}  // namespace qelsdk_600
