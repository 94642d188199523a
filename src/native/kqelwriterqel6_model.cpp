// "Model" blocks: the node tree walk, node settings and the attribute groups.
#include "content/kqelcamera.h"
#include "content/kqelcameraswitcher.h"
#include "content/kqellight.h"
#include "content/kqelmesh.h"
#include "file/iqelobject.h"
#include "io/kstreamoptionsqel.h"
#include "native/kqelwriterqel6.h"
#include "native/kqelwriterqel6_impl.h"
#include "scene/kqelnode.h"
#include "scene/kqelnull.h"
#include "scene/kqelskeleton.h"

namespace qelsdk_600 {

using namespace writer6_detail;

namespace {

// The character of each shading mode 1 to 5; mode 0 and others write none.
const char kShadingCharacters[] = {'\0', 'W', 'F', 'Y', 'T', 'U'};

const char* CullingText(int pCullingType)
{
    switch (pCullingType) {
    case 1:
        return "CullingOnCCW";
    case 2:
        return "CullingOnCW";
    default:
        return "CullingOff";
    }
}

}  // namespace

bool KQelWriterQel6::WriteNode(KQelNode& pNode)
{
    ReportProgress();
    ForEachNodeBelow(pNode, [this](KQelNode& pChild) {
        WriteKQelNode(pChild);
        ReportProgress();
    });
    return true;
}

bool KQelWriterQel6::WriteKQelNode(KQelNode& pNode)
{
    WriteKQelNodeBegin(pNode);
    WriteKQelNodeParameters(pNode);
    WriteKQelNodeEnd(pNode);
    return true;
}

bool KQelWriterQel6::WriteKQelNodeBegin(KQelNode& pNode)
{
    ObjectBegin("Model", pNode.GetName(), pNode.GetTypeName().Buffer());
    return true;
}

bool KQelWriterQel6::WriteKQelNodeParameters(KQelNode& pNode)
{
    WriteKQelNodeVersion(pNode);
    WriteKQelNodeProperties(pNode);
    WriteKQelNodeAnimationSettings(pNode);
    WriteKQelNodeShading(pNode);
    WriteKQelNodeCullingType(pNode);
    WriteKQelNodeAttribute(pNode);
    return true;
}

bool KQelWriterQel6::WriteKQelNodeEnd(KQelNode&)
{
    BlockEnd();
    return true;
}

bool KQelWriterQel6::WriteKQelNodeVersion(KQelNode&)
{
    FieldI("Version", 231);
    return true;
}

bool KQelWriterQel6::WriteKQelNodeProperties(KQelNode& pNode)
{
    pNode.UpdatePropertiesFromPivotsAndLimits();
    WriteProperties(pNode);
    return true;
}

bool KQelWriterQel6::WriteKQelNodeAnimationSettings(KQelNode& pNode)
{
    FieldI("MultiLayer", pNode.GetMultiLayer() ? 1 : 0);
    FieldI("MultiTake", pNode.GetMultiTakeMode());
    return true;
}

bool KQelWriterQel6::WriteKQelNodeShading(KQelNode& pNode)
{
    if (!pNode.GetVisibility())
        FieldC("Hidden", "True");
    const int mode = pNode.GetShadingMode();
    if (mode >= 1 && mode <= 5) {
        File().FieldWriteBegin("Shading");
        File().FieldWriteCH(kShadingCharacters[mode]);
        File().FieldWriteEnd();
    }
    return true;
}

bool KQelWriterQel6::WriteKQelNodeCullingType(KQelNode& pNode)
{
    FieldC("Culling", CullingText(pNode.GetCullingType()));
    return true;
}

bool KQelWriterQel6::WriteKQelNodeAttribute(KQelNode& pNode)
{
    KQelNodeAttribute* attribute = pNode.GetNodeAttribute();
    if (!attribute) {
        WriteKQelNull(nullptr);
        return true;
    }
    // These kinds are written the same way whatever option 0 says.
    switch (attribute->GetAttributeType()) {
    case KQelNodeAttribute::eNull:
        WriteKQelNull(pNode.GetNull());
        return true;
    case KQelNodeAttribute::eMarker:
        WriteKQelMarker(pNode);
        return true;
    case KQelNodeAttribute::eSkeleton:
        if (KQelSkeleton* skeleton = pNode.GetSkeleton())
            WriteKQelSkeleton(*skeleton);
        return true;
    case KQelNodeAttribute::eCamera:
        if (KQelCamera* camera = pNode.GetCamera())
            WriteKQelCamera(*camera);
        return true;
    case KQelNodeAttribute::eLight:
        if (KQelLight* light = pNode.GetLight())
            WriteKQelLight(*light);
        return true;
    default:
        break;
    }
    // Without option 0 the other kinds read back as nulls.
    if (!Option(KStreamOptionsQel::eModelAttribute)) {
        WriteKQelNull(nullptr);
        return true;
    }
    switch (attribute->GetAttributeType()) {
    case KQelNodeAttribute::eMesh:
        if (KQelMesh* mesh = pNode.GetMesh())
            WriteKQelMesh(*mesh);
        break;
    case KQelNodeAttribute::eNurb:
        if (KQelNurb* nurb = pNode.GetNurb())
            WriteKQelNurb(*nurb);
        break;
    case KQelNodeAttribute::ePatch:
        if (KQelPatch* patch = pNode.GetPatch())
            WriteKQelPatch(*patch);
        break;
    case KQelNodeAttribute::eCameraSwitcher:
        if (KQelCameraSwitcher* switcher = pNode.GetCameraSwitcher())
            WriteKQelCameraSwitcher(*switcher);
        break;
    case KQelNodeAttribute::eOpticalReference:
        // The reader knows an optical reference by its "Type" alone.
        WriteNodeType(pNode);
        break;
    default:
        break;
    }
    return true;
}

bool KQelWriterQel6::WriteNodeType(KQelNode& pNode)
{
    WriteTypeFields(pNode.GetTypeName(), pNode.GetTypeFlags());
    return true;
}

bool KQelWriterQel6::WriteKQelNull(KQelNull* pNull)
{
    if (pNull) {
        WriteTypeFields(pNull->GetTypeName(), pNull->GetTypeFlags());
    } else {
        FieldC("Type", "Null");
        FieldC("TypeFlags", "Null");
    }
    return true;
}

void KQelWriterQel6::WriteTypeFields(const KString& pTypeName, const KStringList& pFlags)
{
    FieldC("Type", pTypeName.Buffer());
    File().FieldWriteBegin("TypeFlags");
    for (int i = 0, n = pFlags.GetCount(); i < n; ++i)
        File().FieldWriteC(pFlags.GetStringAt(i));
    File().FieldWriteEnd();
}

bool KQelWriterQel6::WriteKQelMarker(KQelNode& pNode)
{
    return WriteNodeType(pNode);
}

bool KQelWriterQel6::WriteKQelSkeleton(KQelSkeleton& pSkeleton)
{
    switch (pSkeleton.GetSkeletonType()) {
    case KQelSkeleton::eRoot:
        return WriteKQelSkeletonRoot(pSkeleton);
    case KQelSkeleton::eLimb:
        return WriteKQelSkeletonLimb(pSkeleton);
    case KQelSkeleton::eLimbNode:
        return WriteKQelSkeletonLimbNode(pSkeleton);
    case KQelSkeleton::eEffector:
        return WriteKQelSkeletonEffector(pSkeleton);
    default:
        return false;
    }
}

bool KQelWriterQel6::WriteKQelSkeletonRoot(KQelSkeleton& pSkeleton)
{
    KQelNode* node = pSkeleton.GetNode();
    return node && WriteNodeType(*node);
}

bool KQelWriterQel6::WriteKQelSkeletonLimb(KQelSkeleton& pSkeleton)
{
    return WriteKQelSkeletonRoot(pSkeleton);
}

bool KQelWriterQel6::WriteKQelSkeletonLimbNode(KQelSkeleton& pSkeleton)
{
    return WriteKQelSkeletonRoot(pSkeleton);
}

bool KQelWriterQel6::WriteKQelSkeletonEffector(KQelSkeleton& pSkeleton)
{
    return WriteKQelSkeletonRoot(pSkeleton);
}

bool KQelWriterQel6::WriteKQelCamera(KQelCamera& pCamera)
{
    KQelNode* node = pCamera.GetNode();
    if (!node)
        return false;
    WriteNodeType(*node);
    FieldI("GeometryVersion", 124);
    const KQelVector4 position = pCamera.GetPosition();
    const KQelVector4 up = pCamera.GetUpVector();
    const KQelVector4 lookAt = pCamera.GetDefaultCameraInterestPosition();
    FieldDn("Position", &position[0], 3);
    FieldDn("Up", &up[0], 3);
    FieldDn("LookAt", &lookAt[0], 3);
    FieldI("ShowInfoOnMoving", pCamera.GetShowInfoOnMoving() ? 1 : 0);
    FieldI("ShowAudio", pCamera.GetShowAudio() ? 1 : 0);
    const KQelColor audio = pCamera.GetAudioColor();
    const double rgb[3] = {audio.mRed, audio.mGreen, audio.mBlue};
    FieldDn("AudioColor", rgb, 3);
    return true;
}

bool KQelWriterQel6::WriteKQelCameraSwitcher(KQelCameraSwitcher& pSwitcher)
{
    // The reader recognises a switcher by its "Type" only.
    FieldC("Type", "CameraSwitcher");
    FieldI("Version", 101);
    FieldC("Name", "Model::Camera Switcher");
    FieldI("CameraId", pSwitcher.GetDefaultCameraIndex());
    FieldI("CameraName", 100);
    File().FieldWriteBegin("CameraIndexName");
    for (int i = 0, n = pSwitcher.GetCameraNameCount(); i < n; ++i)
        File().FieldWriteC(pSwitcher.GetCameraName(static_cast<unsigned int>(i)));
    File().FieldWriteEnd();
    return true;
}

bool KQelWriterQel6::WriteKQelLight(KQelLight&)
{
    FieldC("Type", "Light");
    FieldC("TypeFlags", "Light");
    FieldI("GeometryVersion", 124);
    return true;
}

bool KQelWriterQel6::WriteCameraSwitcher(KQelScene&)
{
    return true;
}

int KQelWriterQel6::FindString(KString pText, KArrayTemplate<KString*>& pList)
{
    for (int i = 0, n = pList.GetCount(); i < n; ++i) {
        KString* entry = pList.GetAt(i);
        if (entry && entry->Compare(pText.Buffer()) == 0)
            return i;
    }
    return -1;
}

}  // namespace qelsdk_600
