// Global camera and time settings: "RendererSetting" and "Settings" with the
// producer cameras, time mode, protocol, snapping and time markers.
#include <cstring>

#include "base/ktime.h"
#include "content/kqelcamera.h"
#include "content/kqelglobalcamerasettings.h"
#include "content/kqelglobaltimesettings.h"
#include "file/iqelobject.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"

namespace qelsdk_600 {

namespace {

typedef KQelGlobalCameraSettings Cameras;
typedef KQelGlobalTimeSettings Times;

// The producer cameras in the order they are written.
const struct Producer {
    const char* mName;
    KQelCamera* (Cameras::*mCamera)() const;
    KQelNode* (Cameras::*mNode)() const;
} kProducers[] = {
    {"Producer Perspective", &Cameras::GetCameraProducerPerspective, &Cameras::GetCameraProducerPerspectiveNode},
    {"Producer Top", &Cameras::GetCameraProducerTop, &Cameras::GetCameraProducerTopNode},
    {"Producer Front", &Cameras::GetCameraProducerFront, &Cameras::GetCameraProducerFrontNode},
    {"Producer Right", &Cameras::GetCameraProducerRight, &Cameras::GetCameraProducerRightNode},
    {"Producer Left", &Cameras::GetCameraProducerLeft, &Cameras::GetCameraProducerLeftNode},
    {"Producer Back", &Cameras::GetCameraProducerBack, &Cameras::GetCameraProducerBackNode},
    {"Producer Bottom", &Cameras::GetCameraProducerBottom, &Cameras::GetCameraProducerBottomNode},
};

const char kModelPrefix[] = "Model::";
const char kSwitcherName[] = "Camera Switcher";

const Producer* FindProducer(const KString& pName)
{
    for (const Producer& producer : kProducers) {
        if (pName == producer.mName)
            return &producer;
    }
    return nullptr;
}

void ReadRendererSetting(KQel& pFile, Cameras& pCameras)
{
    native_detail::ReadBlock block(pFile, "RendererSetting");
    if (!block.IsOpen())
        return;
    const KString name =
        KQelReaderQel::ConvertCameraName(pFile.FieldReadC("DefaultCamera", pCameras.GetDefaultCamera()));
    pCameras.SetDefaultCamera(name.Buffer());  // a refused name keeps the previous one
    pCameras.SetDefaultViewingMode(static_cast<Cameras::EViewingMode>(
        pFile.FieldReadI("DefaultViewingMode", pCameras.GetDefaultViewingMode())));
}

// The time part of "Settings" (open).
void ReadTimeSettings(KQel& pFile, Times& pTimes)
{
    const KString frameRate = pFile.FieldReadC("FrameRate", "0.0");
    if (frameRate == "0.0")
        pTimes.SetTimeMode(KTime_GetTimeModeFromOldValue(pFile.FieldReadI("TimeMode", pTimes.GetTimeMode())));
    else
        pTimes.SetTimeMode(KTime_GetTimeModeFromFrameRate(frameRate.Buffer()));
    pTimes.SetTimeProtocol(
        static_cast<KTime::ETimeProtocol>(pFile.FieldReadI("TimeFormat", pTimes.GetTimeProtocol())));
    pTimes.SetSnapOnFrameMode(
        static_cast<Times::ESnapOnFrameMode>(pFile.FieldReadI("SnapOnFrames", pTimes.GetSnapOnFrameMode())));
    // Read once: a named read consumes its field, so a read per round would
    // give the default from the second round on.
    const int reference = pFile.FieldReadI("ReferenceTimeIndex", pTimes.GetCurrentTimeMarker());
    for (int i = 0, n = pFile.FieldGetInstanceCount("TimeMarker"); i < n; ++i) {
        if (pFile.FieldReadBegin("TimeMarker")) {
            Times::KQelTimeMarker marker;
            marker.mName = pFile.FieldReadC();
            if (pFile.FieldReadBlockBegin()) {
                marker.mTime = pFile.FieldReadT("Time");
                marker.mLoop = pFile.FieldReadI("Loop", 0) != 0;
                pFile.FieldReadBlockEnd();
                pTimes.AddTimeMarker(marker);
            }
            pFile.FieldReadEnd();
        }
        if (pTimes.GetTimeMarkerCount() > 0)
            pTimes.SetCurrentTimeMarker(reference);  // refused outside the list
    }
}

}  // namespace

KString KQelReaderQel::ConvertCameraName(KString pName)
{
    const unsigned int prefix = sizeof kModelPrefix - 1;
    if (pName.GetLen() <= static_cast<int>(prefix) || std::strncmp(pName.Buffer(), kModelPrefix, prefix) != 0)
        return pName;
    const KString plain = pName.Mid(prefix);
    return FindProducer(plain) || plain == kSwitcherName ? plain : pName;
}

// ---- Writer ----

bool KQelWriterQel::WriteGlobalCameraAndTimeSettings(KQelScene& pScene)
{
    KQel& file = File();
    Cameras& cameras = *pScene.GetGlobalCameraSettings();
    Times& times = *pScene.GetGlobalTimeSettings();
    {
        native_detail::WriteBlock block(file, "RendererSetting");
        native_detail::WriteFieldC(file, "DefaultCamera", cameras.GetDefaultCamera());
        native_detail::WriteFieldI(file, "DefaultViewingMode", cameras.GetDefaultViewingMode());
    }
    native_detail::WriteBlock block(file, "Settings");
    for (const Producer& producer : kProducers) {
        KQelNode* node = (cameras.*producer.mNode)();
        KQelCamera* camera = (cameras.*producer.mCamera)();
        if (node) {
            node->SetVisibility(false);
            node->SetShadingMode(KQelNode::eWireFrame);
        }
        native_detail::WriteBlock cameraBlock(file, "Camera", producer.mName);
        if (node)
            WriteKQelNodeParameters(*node);
        if (camera)
            WriteKQelCamera(*camera, true);
    }
    const KTime::ETimeMode mode = times.GetTimeMode();
    native_detail::WriteFieldI(file, "TimeMode", KTime_GetOldTimeModeCorrespondance(mode));
    native_detail::WriteFieldC(file, "FrameRate", KTime_GetGlobalFrameRateString(mode));
    native_detail::WriteFieldI(file, "TimeFormat", times.GetTimeProtocol());
    native_detail::WriteFieldI(file, "SnapOnFrames", times.GetSnapOnFrameMode());
    native_detail::WriteFieldI(file, "ReferenceTimeIndex", times.GetCurrentTimeMarker());
    for (int i = 0, n = times.GetTimeMarkerCount(); i < n; ++i) {
        const Times::KQelTimeMarker& marker = *times.GetTimeMarker(i);
        native_detail::WriteBlock markerBlock(file, "TimeMarker", marker.mName.Buffer());
        native_detail::WriteFieldT(file, "Time", marker.mTime);
        native_detail::WriteFieldI(file, "Loop", marker.mLoop ? 1 : 0);
    }
    return true;
}

// ---- Reader ----

void KQelReaderQel::ReadGlobalCameraAndTimeSettings(KQelScene& pScene)
{
    Cameras& cameras = *pScene.GetGlobalCameraSettings();
    Times& times = *pScene.GetGlobalTimeSettings();
    cameras.RestoreDefaultSettings();
    times.RestoreDefaultSettings();
    ReadRendererSetting(File(), cameras);
    native_detail::ReadBlock block(File(), "Settings");
    if (!block.IsOpen())
        return;
    for (int i = 0, n = mFile->FieldGetInstanceCount("Camera"); i < n && mFile->FieldReadBegin("Camera"); ++i) {
        const Producer* producer = FindProducer(ConvertCameraName(mFile->FieldReadC()));
        if (mFile->FieldReadBlockBegin()) {
            // The node parameters stored in the block are not read.
            if (KQelCamera* camera = producer ? (cameras.*producer->mCamera)() : nullptr)
                ReadKQelCamera(*camera);
            mFile->FieldReadBlockEnd();
        }
        mFile->FieldReadEnd();
    }
    ReadTimeSettings(File(), times);
}

void KQelReaderQel::ReadGlobalTimeSettings(KQelScene& pScene)
{
    Times& times = *pScene.GetGlobalTimeSettings();
    times.RestoreDefaultSettings();
    native_detail::ReadBlock block(File(), "Settings");
    if (block.IsOpen())
        ReadTimeSettings(File(), times);
}

void KQelReaderQel::ReadGlobalCameraSettings(KQelScene& pScene)
{
    ReadRendererSetting(File(), *pScene.GetGlobalCameraSettings());
}

}  // namespace qelsdk_600
