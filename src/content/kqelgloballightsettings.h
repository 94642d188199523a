// Scene-wide light settings: ambient colour, fog, shadows and shadow planes.
#ifndef QELSDK_CONTENT_KQELGLOBALLIGHTSETTINGS_H
#define QELSDK_CONTENT_KQELGLOBALLIGHTSETTINGS_H

#include <memory>

#include "base/kerror.h"
#include "content/kqelcolor.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

// Owned by the scene. Setters store their value unchecked unless stated;
// errors (only an index out of range) are recorded in the settings' own
// error record.
class KQelGlobalLightSettings {
public:
    // Stored unchecked; only the default is named.
    enum EFogMode : int { eDefaultFogMode = 0 };
    // Error ids.
    enum EError : int { eIndexOutOfRange = 0, eErrorCount };

    // A plane that receives shadows.
    struct KQelShadowPlane {
        // Enabled, origin (0, 0, 0, 0), normal (0, 1, 0, 0).
        KQelShadowPlane() : mEnable(true), mOrigin(), mNormal(0.0, 1.0, 0.0, 0.0) {}

        bool mEnable;
        KQelVector4 mOrigin;
        KQelVector4 mNormal;
    };

    // The defaults of RestoreDefaultSettings.
    KQelGlobalLightSettings();
    ~KQelGlobalLightSettings();
    KQelGlobalLightSettings(const KQelGlobalLightSettings&) = delete;

    // Ambient colour (0.4, 0.4, 0.4) with alpha 0; fog off, colour (1, 1, 1)
    // with alpha 0, mode 0, start 0.3, end 1000, density 0.002; shadows off,
    // intensity 0; no shadow planes.
    void RestoreDefaultSettings();

    // Colours are assigned, so each component is clamped to [0, 1].
    void SetAmbientColor(const KQelColor& pColor);
    KQelColor GetAmbientColor() const;
    void SetFogEnable(bool pEnable);
    bool GetFogEnable() const;
    void SetFogColor(const KQelColor& pColor);
    KQelColor GetFogColor() const;
    void SetFogMode(EFogMode pMode);
    EFogMode GetFogMode() const;
    void SetFogDensity(double pDensity);
    double GetFogDensity() const;
    // Not past the fog end, and at least 0.
    void SetFogStart(double pStart);
    double GetFogStart() const;
    // At least the fog start.
    void SetFogEnd(double pEnd);
    double GetFogEnd() const;
    void SetShadowEnable(bool pEnable);
    bool GetShadowEnable() const;
    // Clamped to [0, 300].
    void SetShadowIntensity(double pIntensity);
    double GetShadowIntensity() const;

    int GetShadowPlaneCount() const;
    // The plane at that index, valid until the list changes; null with
    // eIndexOutOfRange outside [0, count).
    KQelShadowPlane* GetShadowPlane(int pIndex);
    // Appends a copy; no limit.
    void AddShadowPlane(const KQelShadowPlane& pPlane);
    void RemoveAllShadowPlanes();

    // Copies every value (without the setters' bounds) and replaces the
    // planes by copies of the other's; the error record stays. Assigning the
    // settings to themselves changes nothing.
    KQelGlobalLightSettings& operator=(const KQelGlobalLightSettings& pOther);

    KError& GetError();
    int GetLastErrorID() const;
    const char* GetLastErrorString() const;

private:
    struct Values;
    struct Data;
    std::unique_ptr<Data> mData;
};

}  // namespace qelsdk_600

#endif
