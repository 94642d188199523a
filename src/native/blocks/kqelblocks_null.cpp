// The small attributes of a model block: nulls, markers of four kinds,
// optical references and skeletons of four kinds.
#include "content/kqelcolor.h"
#include "content/kqelmarker.h"
#include "curves/kfcurve.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "object/kobject.h"
#include "scene/kqelnode.h"
#include "scene/kqelnull.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelpropertyset.h"
#include "scene/kqelskeleton.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

const int kPropertiesVersion = 100;
const double kNoNullSize = 100.0;

const char* const kMarkerTypes[] = {"Marker", "OpticalMarker", "IKEffector", "FKEffector"};

// The default-take reach values of an IK effector, their data type names
// and their take-node channels.
const struct Reach {
    const char* mName;   // property and data type
    const char* mField;  // field of the block
    double (KQelMarker::*mGet)() const;
    void (KQelMarker::*mSet)(double);
    KFCurve* (KQelTakeNode::*mCurve)();
} kReaches[] = {
    {"IK Reach Translation", "IKReachTranslation", &KQelMarker::GetDefaultIKReachTranslation, &KQelMarker::SetDefaultIKReachTranslation,
     &KQelTakeNode::GetIKReachTranslation},
    {"IK Reach Rotation", "IKReachRotation", &KQelMarker::GetDefaultIKReachRotation, &KQelMarker::SetDefaultIKReachRotation,
     &KQelTakeNode::GetIKReachRotation},
};

void WriteColor(KQel& pFile, const char* pName, const KQelColor& pColor)
{
    const double rgb[3] = {pColor.mRed, pColor.mGreen, pColor.mBlue};
    native_detail::WriteFieldDn(pFile, pName, rgb, 3);
}

// Three doubles as a colour of alpha 1; false when the field is absent.
bool ReadColor(KQel& pFile, const char* pName, KQelColor& pColor)
{
    if (!pFile.FieldReadBegin(pName))
        return false;
    const double red = pFile.FieldReadD();
    const double green = pFile.FieldReadD();
    const double blue = pFile.FieldReadD();
    pFile.FieldReadEnd();
    pColor = KQelColor(red, green, blue, 1.0);
    return true;
}

// "TypeFlags" with its values.
void WriteTypeFlags(KQel& pFile, std::initializer_list<const char*> pFlags)
{
    pFile.FieldWriteBegin("TypeFlags");
    for (const char* flag : pFlags)
        pFile.FieldWriteC(flag);
    pFile.FieldWriteEnd();
}

// Whether some take of the node keys the curve.
bool IsKeyedInSomeTake(KQelNode& pNode, KFCurve* (KQelTakeNode::*pCurve)())
{
    for (int i = 0, n = pNode.GetTakeNodeCount(); i < n; ++i) {
        KQelTakeNode* take = pNode.GetTakeNode(i);
        KFCurve* curve = take ? (take->*pCurve)() : nullptr;
        if (curve && curve->KeyGetCount() > 0)
            return true;
    }
    return false;
}

}  // namespace

// ---- Writer ----

bool KQelWriterQel::WriteKQelNull(KQelNull* pNull)
{
    KQel& file = File();
    native_detail::WriteFieldC(file, "Type", "Null");
    WriteTypeFlags(file, {"Null"});
    native_detail::WriteBlock properties(file, "Properties");
    native_detail::WriteFieldI(file, "Version", kPropertiesVersion);
    native_detail::WriteFieldD(file, "Size", pNull ? pNull->GetSize() : kNoNullSize);
    return true;
}

bool KQelWriterQel::WriteKQelMarker(KQelNode& pNode)
{
    KQelMarker* marker = pNode.GetMarker();
    if (!marker)
        return true;
    KQel& file = File();
    const int type = marker->GetType();
    if (type >= KQelMarker::eStandard && type <= KQelMarker::eFKEffector)
        native_detail::WriteFieldC(file, "Type", kMarkerTypes[type]);
    WriteTypeFlags(file, {"Marker"});
    const KQelColor color = marker->GetColor();
    {
        native_detail::WriteBlock properties(file, "Properties");
        native_detail::WriteFieldI(file, "Version", kPropertiesVersion);
        native_detail::WriteFieldI(file, "Look", marker->GetLook());
        native_detail::WriteFieldD(file, "Size", marker->GetSize());
        WriteColor(file, "Color", color);
        native_detail::WriteFieldI(file, "ShowLabel", marker->GetShowLabel() ? 1 : 0);
    }
    if (type == KQelMarker::eIKEffector) {
        // An animated reach is carried by its take.
        for (const Reach& reach : kReaches) {
            if (!IsKeyedInSomeTake(pNode, reach.mCurve))
                native_detail::WriteFieldD(file, reach.mField, (marker->*reach.mGet)());
        }
    }
    native_detail::WriteBlock channel(file, "Channel", "Color");
    const double components[3] = {color.mRed, color.mGreen, color.mBlue};
    const char* const names[3] = {"X", "Y", "Z"};
    for (int c = 0; c < 3; ++c) {
        native_detail::WriteBlock component(file, "Channel", names[c]);
        native_detail::WriteFieldD(file, "Default", components[c]);
    }
    return true;
}

bool KQelWriterQel::WriteKQelOpticalReference(KQelOpticalReference&)
{
    KQel& file = File();
    native_detail::WriteFieldC(file, "Type", "Optical");
    WriteTypeFlags(file, {"Marker"});
    return true;
}

bool KQelWriterQel::WriteKQelSkeleton(KQelSkeleton& pSkeleton)
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

bool KQelWriterQel::WriteKQelSkeletonRoot(KQelSkeleton& pSkeleton)
{
    KQel& file = File();
    native_detail::WriteFieldC(file, "Type", "Root");
    WriteTypeFlags(file, {"Null", "Skeleton", "Root"});
    native_detail::WriteBlock properties(file, "Properties");
    native_detail::WriteFieldI(file, "Version", kPropertiesVersion);
    native_detail::WriteFieldD(file, "Size", pSkeleton.GetLimbNodeSize());
    return true;
}

bool KQelWriterQel::WriteKQelSkeletonLimb(KQelSkeleton& pSkeleton)
{
    KQel& file = File();
    native_detail::WriteFieldC(file, "Type", "Limb");
    WriteTypeFlags(file, {"Skeleton"});
    native_detail::WriteFieldD(file, "LimbLength", pSkeleton.GetLimbLength());
    native_detail::WriteBlock properties(file, "Properties");
    native_detail::WriteFieldI(file, "Version", kPropertiesVersion);
    native_detail::WriteFieldD(file, "Size", pSkeleton.GetLimbNodeSize());
    WriteColor(file, "Color", pSkeleton.GetLimbNodeColor());
    return true;
}

bool KQelWriterQel::WriteKQelSkeletonLimbNode(KQelSkeleton& pSkeleton)
{
    KQel& file = File();
    native_detail::WriteFieldC(file, "Type", "LimbNode");
    WriteTypeFlags(file, {"Skeleton"});
    native_detail::WriteBlock properties(file, "Properties");
    native_detail::WriteFieldI(file, "Version", kPropertiesVersion);
    native_detail::WriteFieldD(file, "Size", pSkeleton.GetLimbNodeSize());
    WriteColor(file, "Color", pSkeleton.GetLimbNodeColor());
    return true;
}

bool KQelWriterQel::WriteKQelSkeletonEffector(KQelSkeleton& pSkeleton)
{
    return WriteKQelSkeletonRoot(pSkeleton);
}

// ---- Reader ----

bool KQelReaderQel::ReadKQelNull(KQelNull& pNull)
{
    KQel& file = File();
    native_detail::ReadBlock properties(file, "Properties");
    if (properties.IsOpen() && file.FieldReadBegin("Size")) {
        pNull.SetSize(file.FieldReadD());
        file.FieldReadEnd();
    }
    return true;
}

bool KQelReaderQel::ReadKQelMarker(KQelMarker& pMarker)
{
    KQel& file = File();
    KQelColor color = pMarker.GetColor();
    bool hasProperties = false;
    {
        native_detail::ReadBlock properties(file, "Properties");
        hasProperties = properties.HasField();
        if (properties.IsOpen()) {
            // A look outside the list counts as absent.
            const int look = file.FieldReadI("Look", pMarker.GetLook());
            if (look >= KQelMarker::eCube && look <= KQelMarker::eSphere)
                pMarker.SetLook(static_cast<KQelMarker::ELook>(look));
            pMarker.SetSize(file.FieldReadD("Size", pMarker.GetSize()));
            ReadColor(file, "Color", color);
            if (file.FieldReadBegin("IKPivot")) {
                KQelVector4 pivot;
                for (int c = 0; c < 3; ++c)
                    pivot[c] = file.FieldReadD();
                file.FieldReadEnd();
                pMarker.SetIKPivot(pivot);
            }
            pMarker.SetShowLabel(file.FieldReadI("ShowLabel", pMarker.GetShowLabel() ? 1 : 0) != 0);
        }
    }
    if (!hasProperties) {
        // Older blocks keep the colour in the defaults of a "Channel" block.
        for (int i = 0, n = file.FieldGetInstanceCount("Channel"); i < n; ++i) {
            KString name;
            native_detail::ReadBlock channel(file, "Channel", &name);
            if (!channel.HasField())
                break;
            if (name != "Color")
                continue;
            if (channel.IsOpen()) {
                double* components[3] = {&color.mRed, &color.mGreen, &color.mBlue};
                const char* const names[3] = {"X", "Y", "Z"};
                for (int c = 0, m = file.FieldGetInstanceCount("Channel"); c < m; ++c) {
                    KString component;
                    native_detail::ReadBlock inner(file, "Channel", &component);
                    if (!inner.HasField())
                        break;
                    for (int k = 0; k < 3; ++k) {
                        if (inner.IsOpen() && component == names[k])
                            *components[k] = file.FieldReadD("Default", *components[k]);
                    }
                }
            }
            break;
        }
        // Later readers meet every "Channel" from the start.
        file.FieldReadResetPosition();
    }
    pMarker.SetColor(color);
    if (pMarker.GetType() == KQelMarker::eIKEffector) {
        KObject* set = pMarker.GetPropertyHandler();
        for (const Reach& reach : kReaches) {
            (pMarker.*reach.mSet)(file.FieldReadD(reach.mField, 0.0));
            if (set && !set->FindPropertyByName(reach.mName))
                AddAnimatedProperty(*set, reach.mName);
        }
    }
    return true;
}

}  // namespace qelsdk_600
