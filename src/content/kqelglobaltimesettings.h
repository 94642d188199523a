// Scene-wide time settings: time mode and protocol, snapping and time markers.
#ifndef QELSDK_CONTENT_KQELGLOBALTIMESETTINGS_H
#define QELSDK_CONTENT_KQELGLOBALTIMESETTINGS_H

#include <memory>

#include "base/kerror.h"
#include "base/kstring.h"
#include "base/ktime.h"

namespace qelsdk_600 {

// Owned by the scene. Setters store their value unchecked; errors (only an
// index out of range) are recorded in the settings' own error record.
class KQelGlobalTimeSettings {
public:
    // 0: no snapping; any other value snaps (SetSnapOnFrame uses 1).
    enum ESnapOnFrameMode : int { eNoSnap = 0, eSnapOnFrame = 1 };
    // Error ids.
    enum EError : int { eIndexOutOfRange = 0, eErrorCount };

    // A named time.
    struct KQelTimeMarker {
        // Empty name, time 0, no loop.
        KQelTimeMarker() : mTime(), mLoop(false) {}

        KString mName;
        KTime mTime;
        bool mLoop;
    };

    // The defaults of RestoreDefaultSettings.
    KQelGlobalTimeSettings();
    ~KQelGlobalTimeSettings();
    KQelGlobalTimeSettings(const KQelGlobalTimeSettings&) = delete;

    // Time mode 6 (30 frames per second), protocol 1 (frame counts), no
    // snapping, no markers (current marker -1).
    void RestoreDefaultSettings();

    // Mode 0 stands for the process-wide mode.
    void SetTimeMode(KTime::ETimeMode pMode);
    // The stored mode, else the process-wide one, else 6 (when both are 0).
    KTime::ETimeMode GetTimeMode() const;
    // Protocol 2 stands for the process-wide protocol.
    void SetTimeProtocol(KTime::ETimeProtocol pProtocol);
    // The stored protocol, else the process-wide one, else 1 (when both are
    // 2).
    KTime::ETimeProtocol GetTimeProtocol() const;
    void SetSnapOnFrameMode(ESnapOnFrameMode pMode);
    ESnapOnFrameMode GetSnapOnFrameMode() const;
    // Snap mode 1 for true, 0 for false.
    void SetSnapOnFrame(bool pSnap);
    // True when the snap mode is not 0.
    bool GetSnapOnFrame() const;

    int GetTimeMarkerCount() const;
    // The marker at that index, valid until the list changes; null with
    // eIndexOutOfRange outside [0, count).
    KQelTimeMarker* GetTimeMarker(int pIndex);
    // Appends a copy; no limit; the current marker stays.
    void AddTimeMarker(const KQelTimeMarker& pMarker);
    // An index in [0, count) becomes current (true); otherwise false with
    // eIndexOutOfRange, nothing changed.
    bool SetCurrentTimeMarker(int pIndex);
    // -1 when none is current.
    int GetCurrentTimeMarker() const;
    // Deletes every marker; the current marker becomes -1.
    void RemoveAllTimeMarkers();

    // Copies mode, protocol, snap mode, the markers (as copies) and the
    // current marker; the error record stays. Assigning the settings to
    // themselves changes nothing.
    KQelGlobalTimeSettings& operator=(const KQelGlobalTimeSettings& pOther);

    KError& GetError();
    int GetLastErrorID() const;
    const char* GetLastErrorString() const;

private:
    struct Data;
    std::unique_ptr<Data> mData;
};

}  // namespace qelsdk_600

#endif
