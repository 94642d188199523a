// Model blocks: one node's settings, attribute, channels and children, in
// both layouts, and generic nodes.
#include <cmath>
#include <cstring>

#include "content/kqelcamera.h"
#include "content/kqelcameraswitcher.h"
#include "content/kqelcolor.h"
#include "content/kqelgeometry.h"
#include "content/kqellight.h"
#include "content/kqelmarker.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "curves/kfcurvenode.h"
#include "file/iqelobject.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "object/kdatatype.h"
#include "object/kprogress.h"
#include "object/kproperty.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqelnode.h"
#include "scene/kqelnull.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelskeleton.h"
#include "scene/kqeltakenode.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {

namespace {

using native_detail::ReadBlock;
using native_detail::WriteFieldC;
using native_detail::WriteFieldDn;
using native_detail::WriteFieldI;

// Shading modes 1 to 5 as stored.
const char kShadingLetters[] = "WFYTU";

// Culling types as stored, by type.
const char* const kCullingNames[] = {"CullingOff", "CullingOnCCW", "CullingOnCW"};

// ---- Animated channels of the model block ----

// Which attribute a row of the animated-channel list belongs to.
enum ChannelOwner { eAnyNode, eLightRow, eSwitcherRow, eCameraRow, eOpticalMarkerRow, eIKEffectorRow };

// One entry of "AnimatedProperty" / "Animated": written when any of the
// (group, channel, component) triples is animated in some take, or always
// for rows without triple. A data type, when given, stands for the
// component.
struct AnimatedRow {
    ChannelOwner mOwner;
    const char* mInternalName;
    const char* mPropertyName;
    const char* mChannel;
    const char* mComponents[3];
    KDataType* const* mDataType;
};

const AnimatedRow kAnimatedRows[] = {
    {eAnyNode, "mTranslationProperty", "Lcl Translation", nullptr, {}, nullptr},
    {eAnyNode, "mRotationProperty", "Lcl Rotation", nullptr, {}, nullptr},
    {eAnyNode, "mScalingProperty", "Lcl Scaling", nullptr, {}, nullptr},
    {eAnyNode, "mVisibilityProperty", "Visibility", nullptr, {}, &KDataTypeVisibility::DataType},
    {eLightRow, "mLightColor", "Color", "Color", {"X", "Y", "Z"}, nullptr},
    {eLightRow, "mIntensity", "Intensity", nullptr, {"Intensity"}, nullptr},
    {eLightRow, "mConeAngle", "Cone angle", nullptr, {"Cone angle"}, nullptr},
    {eLightRow, "mFog", "Fog", nullptr, {"Fog"}, nullptr},
    {eSwitcherRow, "mCameraIndexProperty", "Camera Index", nullptr, {"Camera Index"}, nullptr},
    {eCameraRow, "mRollProperty", "Roll", nullptr, {"Roll"}, nullptr},
    {eCameraRow, "mApertureProperty", "FieldOfView", nullptr, {"FieldOfView"}, nullptr},
    {eCameraRow, "mFieldOfViewXProperty", "FieldOfViewX", nullptr, {"FieldOfViewX"}, nullptr},
    {eCameraRow, "mFieldOfViewYProperty", "FieldOfViewY", nullptr, {"FieldOfViewY"}, nullptr},
    {eCameraRow, "mOpticalCenterXProperty", "OpticalCenterX", nullptr, {"OpticalCenterX"}, nullptr},
    {eCameraRow, "mOpticalCenterYProperty", "OpticalCenterY", nullptr, {"OpticalCenterY"}, nullptr},
    {eCameraRow, "mTurnTableProperty", "TurnTable", nullptr, {"TurnTable"}, nullptr},
    {eCameraRow, "mBackColorProperty", "BackgroundColor", "BackgroundColor (Color)", {"X", "Y", "Z"}, nullptr},
    {eOpticalMarkerRow, "Occlusion", "Occlusion", nullptr, {}, &KDataTypeOcclusion::DataType},
    {eIKEffectorRow, "IK Reach Translation", "IK Reach Translation", nullptr, {},
     &KDataTypeIKReachTranslation::DataType},
    {eIKEffectorRow, "IK Reach Rotation", "IK Reach Rotation", nullptr, {}, &KDataTypeIKReachRotation::DataType},
};

// The attribute rows that apply to a node (lights, switchers, cameras and
// the two marker kinds exclude one another).
ChannelOwner OwnerOf(KQelNode& pNode)
{
    if (pNode.GetLight())
        return eLightRow;
    if (pNode.GetCameraSwitcher())
        return eSwitcherRow;
    if (pNode.GetCamera())
        return eCameraRow;
    if (KQelMarker* marker = pNode.GetMarker()) {
        if (marker->GetType() == KQelMarker::eOptical)
            return eOpticalMarkerRow;
        if (marker->GetType() == KQelMarker::eIKEffector)
            return eIKEffectorRow;
    }
    return eAnyNode;
}

bool RowAnimated(KQelNode& pNode, const AnimatedRow& pRow)
{
    if (pRow.mDataType)
        return pNode.IsChannelAnimated(nullptr, nullptr, *pRow.mDataType);
    if (!pRow.mComponents[0])
        return true;
    for (const char* component : pRow.mComponents) {
        if (component && pNode.IsChannelAnimated(nullptr, pRow.mChannel, component))
            return true;
    }
    return false;
}

// C's fmod (the sign of the dividend), as the rotation comparison asks.
bool FlippedComponent(double pA, double pB, bool pSum)
{
    const double a = std::fmod(pA, 360.0);
    const double b = std::fmod(pB, 360.0);
    return std::fabs(std::fabs(pSum ? a + b : a - b) - 180.0) <= 1e-6;
}

// Two Euler triples name the same rotation: equal within 1e-6, or one the
// other's flip (x + 180, 180 - y, z + 180).
bool SameRotation(const KQelVector4& pA, const KQelVector4& pB)
{
    if (std::fabs(pA[0] - pB[0]) <= 1e-6 && std::fabs(pA[1] - pB[1]) <= 1e-6 && std::fabs(pA[2] - pB[2]) <= 1e-6)
        return true;
    return FlippedComponent(pA[0], pB[0], false) && FlippedComponent(pA[1], pB[1], true) &&
           FlippedComponent(pA[2], pB[2], false);
}

// ---- Attribute entry of the reader ----

// Attaches pAttribute to pNode; a former attribute is ended through the
// manager (the node hands it back to the caller).
void Attach(KQelSdkManager& pManager, KQelNode& pNode, KQelNodeAttribute* pAttribute)
{
    if (KQelNodeAttribute* former = pNode.SetNodeAttribute(pAttribute))
        pManager.DestroyKQelNodeAttribute(former);
}

// The skeleton's "Properties" block: size, and colour when asked.
void ReadSkeletonProperties(KQel& pFile, KQelSkeleton& pSkeleton, bool pColor)
{
    ReadBlock properties(pFile, "Properties");
    if (!properties.IsOpen())
        return;
    if (pFile.FieldReadBegin("Size")) {
        pSkeleton.SetLimbNodeSize(pFile.FieldReadD());
        pFile.FieldReadEnd();
    }
    if (pColor && pFile.FieldReadBegin("Color")) {
        const double red = pFile.FieldReadD();
        const double green = pFile.FieldReadD();
        const double blue = pFile.FieldReadD();
        pSkeleton.SetLimbNodeColor(KQelColor(red, green, blue, 1.0));
        pFile.FieldReadEnd();
    }
}

}  // namespace

// One "Type" of the attribute entry: what is made, and in which order it is
// typed, attached and read.
struct NodeAttributeReaders {
    typedef bool (*Reader)(KQelReaderQel&, KQelNode&, int pSubType);
    struct Row {
        const char* mType;  // null: the mesh of an absent or unknown "Type"
        Reader mRead;
        int mSubType;
        bool mUserProperties;  // older layout: "UserProperty" blocks follow
    };
    static const Row kRows[];

    // Made, then read and attached, or (pAttachFirst) attached and read: a
    // light's, a camera's and a switcher's values go to the node's Default
    // take (attaching a camera sets its animated values to their defaults).
    template <class T, T* (KQelSdkManager::*Create)(), bool (KQelReaderQel::*Read)(T&), bool pAttachFirst>
    static bool Made(KQelReaderQel& pReader, KQelNode& pNode, int)
    {
        T* attribute = (pReader.mManager.*Create)();
        if (!attribute)
            return false;
        if (pAttachFirst)
            Attach(pReader.mManager, pNode, attribute);
        if (Read)
            (pReader.*Read)(*attribute);
        if (!pAttachFirst)
            Attach(pReader.mManager, pNode, attribute);
        return true;
    }
    // Typed and attached first: the type decides the channels it adds.
    static bool Marker(KQelReaderQel& pReader, KQelNode& pNode, int pType)
    {
        KQelMarker* marker = pReader.mManager.CreateKQelMarker();
        if (!marker)
            return false;
        marker->SetType(static_cast<KQelMarker::EType>(pType));
        Attach(pReader.mManager, pNode, marker);
        pReader.ReadKQelMarker(*marker);
        return true;
    }
    static bool Skeleton(KQelReaderQel& pReader, KQelNode& pNode, int pType)
    {
        KQelSkeleton* skeleton = pReader.mManager.CreateKQelSkeleton();
        if (!skeleton)
            return false;
        skeleton->SetSkeletonType(static_cast<KQelSkeleton::ESkeletonType>(pType));
        KQel& file = pReader.File();
        if (pType == KQelSkeleton::eLimb && file.FieldReadBegin("LimbLength")) {
            skeleton->SetLimbLength(file.FieldReadD());
            file.FieldReadEnd();
        }
        if (pType == KQelSkeleton::eLimbNode && file.FieldGetInstanceCount("Properties") == 0 &&
            file.FieldReadBegin("Size")) {
            // Older limb nodes kept their size in hundredths, outside "Properties".
            skeleton->SetLimbNodeSize(file.FieldReadD() * 100.0);
            file.FieldReadEnd();
        }
        if (pType != KQelSkeleton::eEffector)
            ReadSkeletonProperties(file, *skeleton, pType != KQelSkeleton::eRoot);
        Attach(pReader.mManager, pNode, skeleton);
        return true;
    }
};

// An attribute made by the manager's CreateKQel<Kind>, read by pRead.
#define QEL_MADE(Kind, pRead, pAttachFirst) \
    &NodeAttributeReaders::Made<KQel##Kind, &KQelSdkManager::CreateKQel##Kind, pRead, pAttachFirst>

const NodeAttributeReaders::Row NodeAttributeReaders::kRows[] = {
    {"Null", QEL_MADE(Null, &KQelReaderQel::ReadKQelNull, false), 0, true},
    {"Marker", &NodeAttributeReaders::Marker, KQelMarker::eStandard, true},
    {"OpticalMarker", &NodeAttributeReaders::Marker, KQelMarker::eOptical, true},
    {"IKEffector", &NodeAttributeReaders::Marker, KQelMarker::eIKEffector, true},
    {"FKEffector", &NodeAttributeReaders::Marker, KQelMarker::eFKEffector, true},
    {"Root", &NodeAttributeReaders::Skeleton, KQelSkeleton::eRoot, true},
    {"Limb", &NodeAttributeReaders::Skeleton, KQelSkeleton::eLimb, true},
    {"LimbNode", &NodeAttributeReaders::Skeleton, KQelSkeleton::eLimbNode, true},
    {"Effector", &NodeAttributeReaders::Skeleton, KQelSkeleton::eEffector, true},
    {"Nurb", QEL_MADE(Nurb, &KQelReaderQel::ReadKQelNurb, false), 0, true},
    {"Patch", QEL_MADE(Patch, &KQelReaderQel::ReadKQelPatch, false), 0, true},
    {"Light", QEL_MADE(Light, &KQelReaderQel::ReadKQelLight, true), 0, true},
    {"Camera", QEL_MADE(Camera, &KQelReaderQel::ReadKQelCamera, true), 0, true},
    {"CameraSwitcher", QEL_MADE(CameraSwitcher, &KQelReaderQel::ReadKQelCameraSwitcher, true), 0, false},
    {"Optical", QEL_MADE(OpticalReference, nullptr, true), 0, true},
    {nullptr, QEL_MADE(Mesh, &KQelReaderQel::ReadKQelMesh, false), 0, true},
};

#undef QEL_MADE

// ---- Writer ----

bool KQelWriterQel::WriteNode(KQelNode* pNode)
{
    if (!pNode)
        return true;
    auto progress = [this]() {
        const double percent = mNodeTotal > 0 ? mNodeCount * 100.0 / mNodeTotal : 0.0;
        mExporter.ProgressUpdate(nullptr, nullptr, nullptr, static_cast<float>(percent));
        ++mNodeCount;
    };
    progress();
    // The subtree in the order of the recursive walk (a node's block, then
    // its subtree), without recursion: chains may be deep.
    native_detail::WalkBelow(*pNode, [&](KQelNode* pChild) {
        WriteKQelNode(*pChild);
        progress();
        return true;
    });
    return true;
}

bool KQelWriterQel::WriteKQelNode(KQelNode& pNode)
{
    mWritingTreeNode = true;
    WriteKQelNodeBegin(pNode);
    WriteKQelNodeParameters(pNode);
    WriteKQelNodeDefaultAttributes(pNode);
    WriteKQelNodeChildrenList(pNode);
    WriteKQelNodeEnd(pNode);
    mWritingTreeNode = false;
    return true;
}

bool KQelWriterQel::WriteKQelNodeParameters(KQelNode& pNode)
{
    WriteKQelNodeVersion(pNode);
    WriteKQelNodeAnimationSettings(pNode);
    WriteKQelNodeShading(pNode);
    WriteKQelNodeCullingType(pNode);
    WriteKQelNodeLimits(pNode);
    WriteKQelNodeTarget(pNode);
    WriteKQelNodeAnimatedProperties(pNode);
    WriteKQelNodeAttribute(pNode);
    WriteKQelNodeProperties(pNode);
    return true;
}

bool KQelWriterQel::WriteKQelNodeBegin(KQelNode& pNode)
{
    KQel& file = File();
    file.FieldWriteBegin("Model");
    file.FieldWriteC(pNode.GetName());
    file.FieldWriteBlockBegin();
    return true;
}

bool KQelWriterQel::WriteKQelNodeVersion(KQelNode&)
{
    WriteFieldI(File(), "Version", 194);
    return true;
}

bool KQelWriterQel::WriteKQelNodeAnimationSettings(KQelNode& pNode)
{
    WriteFieldI(File(), "MultiLayer", pNode.GetMultiLayer() ? 1 : 0);
    WriteFieldI(File(), "MultiTake", pNode.GetMultiTakeMode());
    return true;
}

bool KQelWriterQel::WriteKQelNodeShading(KQelNode& pNode)
{
    KQel& file = File();
    if (!pNode.GetVisibility())
        WriteFieldC(file, "Hidden", "True");
    const int mode = pNode.GetShadingMode();
    if (mode >= 1 && mode <= 5) {
        file.FieldWriteBegin("Shading");
        file.FieldWriteCH(kShadingLetters[mode - 1]);
        file.FieldWriteEnd();
    }
    return true;
}

bool KQelWriterQel::WriteKQelNodeCullingType(KQelNode& pNode)
{
    const int type = pNode.GetCullingType();
    WriteFieldC(File(), "Culling", kCullingNames[type == 1 || type == 2 ? type : 0]);
    return true;
}

bool KQelWriterQel::WriteKQelNodeTarget(KQelNode& pNode)
{
    KQel& file = File();
    static const KQelVector4 kZero(0.0, 0.0, 0.0, 0.0);
    if (KQelNode* target = pNode.GetTarget()) {
        WriteFieldC(file, "LookAtModel", target->GetName());
        const KQelVector4 rotation = pNode.GetPostTargetRotation();
        if (!SameRotation(rotation, kZero))
            WriteFieldDn(file, "PostTargetRotation", &rotation[0], 3);
        const KQelVector4 up = pNode.GetTargetUpVector();
        if (!SameRotation(up, kZero))
            WriteFieldDn(file, "UpTargetRotation", &up[0], 3);
    }
    if (KQelNode* up = pNode.GetTargetUp())
        WriteFieldC(file, "UpVectorModel", up->GetName());
    return true;
}

bool KQelWriterQel::WriteKQelNodeAnimatedProperties(KQelNode& pNode)
{
    KQel& file = File();
    const ChannelOwner owner = OwnerOf(pNode);
    bool written[sizeof(kAnimatedRows) / sizeof(kAnimatedRows[0])];
    int i = 0;
    for (const AnimatedRow& row : kAnimatedRows)
        written[i++] = (row.mOwner == eAnyNode || row.mOwner == owner) && RowAnimated(pNode, row);
    for (int list = 0; list < 2; ++list) {
        file.FieldWriteBegin(list == 0 ? "AnimatedProperty" : "Animated");
        i = 0;
        for (const AnimatedRow& row : kAnimatedRows) {
            if (written[i++])
                file.FieldWriteC(list == 0 ? row.mInternalName : row.mPropertyName);
        }
        WriteUserPropertyNames(pNode);
        file.FieldWriteEnd();
    }
    WriteKQelNodeUserProperties(pNode);
    return true;
}

bool KQelWriterQel::WriteKQelNodeAttribute(KQelNode& pNode)
{
    KQelNodeAttribute* attribute = pNode.GetNodeAttribute();
    if (!attribute)
        return WriteKQelNull(nullptr);
    const bool attributes = mOptions->GetOption(KStreamOptionsQel::eModelAttribute);
    switch (attribute->GetAttributeType()) {
    case KQelNodeAttribute::eNull:
        return WriteKQelNull(pNode.GetNull());
    case KQelNodeAttribute::eMarker:
        return WriteKQelMarker(pNode);
    case KQelNodeAttribute::eSkeleton:
        return WriteKQelSkeleton(*pNode.GetSkeleton());
    case KQelNodeAttribute::eMesh:
        return attributes ? WriteKQelMesh(*pNode.GetMesh()) : WriteKQelNull(nullptr);
    case KQelNodeAttribute::eNurb:
        return attributes ? WriteKQelNurb(*pNode.GetNurb()) : WriteKQelNull(nullptr);
    case KQelNodeAttribute::ePatch:
        return attributes ? WriteKQelPatch(*pNode.GetPatch()) : WriteKQelNull(nullptr);
    case KQelNodeAttribute::eCamera:
        return WriteKQelCamera(*pNode.GetCamera(), false);
    case KQelNodeAttribute::eCameraSwitcher:
        // A switcher in the tree needs its "Type" to read back as a switcher;
        // the scene's own, in "Switcher", is known by its block.
        if (mWritingTreeNode)
            WriteFieldC(File(), "Type", "CameraSwitcher");
        return WriteKQelCameraSwitcher(*pNode.GetCameraSwitcher());
    case KQelNodeAttribute::eLight:
        return WriteKQelLight(*pNode.GetLight());
    case KQelNodeAttribute::eOpticalReference:
        return WriteKQelOpticalReference(*pNode.GetOpticalReference());
    default:
        return true;
    }
}

bool KQelWriterQel::WriteKQelNodeProperties(KQelNode& pNode)
{
    if (mFile->IsBeforeVersion6())
        return true;
    pNode.UpdatePropertiesFromPivotsAndLimits();
    KArrayTemplate<KProperty*> properties;
    pNode.FillPropertyList(&properties);
    mFile->FieldWritePropertiesList(properties);
    return true;
}

bool KQelWriterQel::WriteKQelNodeDefaultAttributes(KQelNode& pNode)
{
    KQelTakeNode* take = pNode.GetDefaultTakeNode();
    KFCurveNode* root = take ? take->GetKFCurveNode() : nullptr;
    if (!root)
        return true;
    const bool older = mFile->IsBeforeVersion6();
    for (int i = 0, n = root->GetCount(); i < n; ++i)
        root->Get(i)->QelStore(&File(), true, true, true, "Channel", true, older);
    return true;
}

bool KQelWriterQel::WriteKQelNodeChildrenList(KQelNode& pNode)
{
    const int count = pNode.GetChildCount();
    if (count == 0)
        return true;
    KQel& file = File();
    file.FieldWriteBegin("Children");
    for (int i = 0; i < count; ++i)
        file.FieldWriteC(pNode.GetChild(i)->GetName());
    file.FieldWriteEnd();
    return true;
}

bool KQelWriterQel::WriteKQelNodeEnd(KQelNode&)
{
    File().FieldWriteBlockEnd();
    File().FieldWriteEnd();
    return true;
}

// ---- Reader ----

bool KQelReaderQel::ReadNode()
{
    KQel& file = File();
    const int count = file.FieldGetInstanceCount("Model");
    mImporter.ProgressUpdate(nullptr, "Retrieving models", nullptr, 0.0f);
    for (int i = 0; i < count; ++i) {
        mImporter.ProgressUpdate(nullptr, nullptr, nullptr, static_cast<float>(i * 100.0 / count));
        if (!file.FieldReadBegin("Model"))
            continue;
        const KString name = file.FieldReadC();
        if (KQelNode* node = mManager.CreateKQelNode(name.Buffer())) {
            mNodeTable.Add(node->GetName(), reinterpret_cast<kReference>(node));
            if (file.FieldReadBlockBegin()) {
                ReadKQelNode(*node);
                file.FieldReadBlockEnd();
                if (KQelPropertyHandler* handler = node->GetPropertyHandler())
                    mFile->ObjectRegister(node->GetName(), handler->IQuery(kIID_IKObject, 0));
            }
        }
        file.FieldReadEnd();
    }
    KGetGlobalProgress()->UpdateSection(nullptr, nullptr);
    return true;
}

bool KQelReaderQel::ReadKQelNode(KQelNode& pNode)
{
    const bool older = mFile->IsBeforeVersion6();
    ReadKQelNodeShading(pNode);
    const bool hidden = !pNode.GetVisibility();
    ReadKQelNodeCullingType(pNode);
    ReadKQelNodeTarget(pNode);
    ReadKQelNodeChildrenName(pNode);
    ReadKQelNodeAttribute(pNode);
    if (older) {
        ReadKQelNodeLimits(pNode);
        if (mOptions->GetOption(KStreamOptionsQel::ePivot))
            ReadKQelNodePivots(pNode);
    } else {
        ReadKQelNodeProperties(pNode);
    }
    ReadKQelNodeAnimationSettings(pNode);
    ReadKQelNodeDefaultAttributes(pNode);
    if (older)
        UpdatePropertiesDefaultValues(pNode);
    // "Hidden" wins over the Default take's visibility channel, which a node
    // hidden through SetVisibility does not change.
    if (hidden)
        pNode.SetVisibility(false);
    PublishKQelProperties(pNode);
    if (older) {
        if (KQelGeometry* geometry = pNode.GetGeometry())
            geometry->CleanShapeChannels(pNode.GetDefaultTakeNode());
    }
    return true;
}

bool KQelReaderQel::ReadKQelNodeShading(KQelNode& pNode)
{
    KQel& file = File();
    pNode.SetVisibility(true);
    if (file.FieldReadBegin("Hidden")) {
        if (KString(file.FieldReadC()).CompareNoCase("True") == 0)
            pNode.SetVisibility(false);
        file.FieldReadEnd();
    }
    KQelNode::EShadingMode mode = KQelNode::eHidden;
    const char letter = file.FieldReadCH("Shading", 0);
    if (const char* found = letter ? std::strchr(kShadingLetters, letter) : nullptr)
        mode = static_cast<KQelNode::EShadingMode>(found - kShadingLetters + 1);
    pNode.SetShadingMode(mode);
    return true;
}

bool KQelReaderQel::ReadKQelNodeCullingType(KQelNode& pNode)
{
    const char* culling = File().FieldReadC("Culling", "");
    int type = 0;
    for (int i = 1; i < 3; ++i) {
        if (std::strcmp(culling, kCullingNames[i]) == 0)
            type = i;
    }
    pNode.SetCullingType(type);
    return true;
}

bool KQelReaderQel::ReadKQelNodeTarget(KQelNode& pNode)
{
    KQel& file = File();
    if (file.FieldReadBegin("LookAtModel")) {
        mLookAtTable.Add(file.FieldReadC(), reinterpret_cast<kReference>(&pNode));
        file.FieldReadEnd();
    }
    static const double kZero[3] = {0.0, 0.0, 0.0};
    KQelVector4 rotation;
    file.FieldReadDn("PostTargetRotation", &rotation[0], kZero, 3);
    pNode.SetPostTargetRotation(rotation);
    KQelVector4 up;
    file.FieldReadDn("UpTargetRotation", &up[0], kZero, 3);
    pNode.SetTargetUpVector(up);
    if (file.FieldReadBegin("UpVectorModel")) {
        mUpNodeTable.Add(file.FieldReadC(), reinterpret_cast<kReference>(&pNode));
        file.FieldReadEnd();
    }
    return true;
}

bool KQelReaderQel::ReadKQelNodeChildrenName(KQelNode& pNode)
{
    KQel& file = File();
    if (!file.FieldReadBegin("Children"))
        return true;
    // Values beyond the field's count read as empty, which ends the list.
    for (;;) {
        const char* name = file.FieldReadC();
        if (!*name)
            break;
        pNode.AddChildName(name);
    }
    file.FieldReadEnd();
    return true;
}

bool KQelReaderQel::ReadKQelNodeAttribute(KQelNode& pNode)
{
    KQel& file = File();
    KString type;
    const bool typed = file.FieldReadBegin("Type");
    if (typed) {
        type = file.FieldReadC();
        file.FieldReadEnd();
    }
    const NodeAttributeReaders::Row* row = nullptr;
    for (const NodeAttributeReaders::Row& candidate : NodeAttributeReaders::kRows) {
        row = &candidate;
        if (candidate.mType && typed && type == candidate.mType)
            break;
    }
    row->mRead(*this, pNode, row->mSubType);
    if (row->mUserProperties && mFile->IsBeforeVersion6())
        ReadUserProperties(pNode);
    mTextures.Clear();
    return true;
}

bool KQelReaderQel::ReadKQelNodeProperties(KQelNode& pNode)
{
    KArrayTemplate<KProperty*> properties;
    pNode.FillPropertyList(&properties);
    mFile->FieldReadPropertiesList(properties, pNode.GetPropertyHandler());
    pNode.UpdateDefaultTakeFromProperties();
    pNode.UpdatePivotsAndLimitsFromProperties();
    return true;
}

bool KQelReaderQel::ReadKQelNodeAnimationSettings(KQelNode& pNode)
{
    KQel& file = File();
    pNode.SetMultiLayer(file.FieldReadI("MultiLayer", 1) != 0);
    const int mode = file.FieldReadI("MultiTake", KQelNode::eMultiTakeOff);
    pNode.SetMultiTakeMode(mode == KQelNode::eMultiTakeOn ? KQelNode::eMultiTakeOn : KQelNode::eMultiTakeOff);
    return true;
}

bool KQelReaderQel::ReadKQelNodeDefaultAttributes(KQelNode& pNode)
{
    // Without a channel nothing is read into the tree, which need not be
    // made for it.
    if (File().FieldGetInstanceCount("Channel") == 0)
        return true;
    KQelTakeNode* take = pNode.GetDefaultTakeNode();
    KFCurveNode* root = take ? take->GetKFCurveNode() : nullptr;
    if (!root)
        return true;
    while (KFCurveNodeCreate(&File(), root, true, true, false)) {
    }
    return true;
}

KQelNode* KQelReaderQel::FindNode(const char* pName)
{
    return reinterpret_cast<KQelNode*>(mNodeTable.Get(pName));
}

bool KQelReaderQel::ReadKQelGenericNode(KQelGenericNode& pNode)
{
    File().FieldReadI("Version", 100);
    KArrayTemplate<KProperty*> properties;
    mFile->FieldReadPropertiesList(properties, pNode.GetPropertyHandler());
    PublishKQelProperties(pNode);
    return true;
}

}  // namespace qelsdk_600
