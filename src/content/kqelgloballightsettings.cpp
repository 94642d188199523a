#include "content/kqelgloballightsettings.h"

#include <algorithm>
#include <vector>

namespace qelsdk_600 {

namespace {

const char* const kErrorTexts[KQelGlobalLightSettings::eErrorCount] = {"Index out of range."};

}  // namespace

// Everything assignment copies; the error record stays with its settings.
struct KQelGlobalLightSettings::Values {
    KQelColor mAmbientColor;
    bool mFogEnable = false;
    KQelColor mFogColor;
    EFogMode mFogMode = eDefaultFogMode;
    double mFogStart = 0.0;
    double mFogEnd = 0.0;
    double mFogDensity = 0.0;
    bool mShadowEnable = false;
    double mShadowIntensity = 0.0;
    std::vector<KQelShadowPlane> mShadowPlanes;
};

struct KQelGlobalLightSettings::Data : Values {
    Data() : mError(kErrorTexts, eErrorCount) {}

    KError mError;
};

KQelGlobalLightSettings::KQelGlobalLightSettings() : mData(new Data)
{
    RestoreDefaultSettings();
}

KQelGlobalLightSettings::~KQelGlobalLightSettings() {}

void KQelGlobalLightSettings::RestoreDefaultSettings()
{
    Data& data = *mData;
    data.mAmbientColor.Set(0.4, 0.4, 0.4, 0.0);
    data.mFogEnable = false;
    data.mFogColor.Set(1.0, 1.0, 1.0, 0.0);
    data.mFogMode = eDefaultFogMode;
    data.mFogStart = 0.3;
    data.mFogEnd = 1000.0;
    data.mFogDensity = 0.002;
    data.mShadowEnable = false;
    data.mShadowIntensity = 0.0;
    RemoveAllShadowPlanes();
}

void KQelGlobalLightSettings::SetAmbientColor(const KQelColor& pColor)
{
    mData->mAmbientColor = pColor;
}

KQelColor KQelGlobalLightSettings::GetAmbientColor() const
{
    return mData->mAmbientColor;
}

void KQelGlobalLightSettings::SetFogEnable(bool pEnable)
{
    mData->mFogEnable = pEnable;
}

bool KQelGlobalLightSettings::GetFogEnable() const
{
    return mData->mFogEnable;
}

void KQelGlobalLightSettings::SetFogColor(const KQelColor& pColor)
{
    mData->mFogColor = pColor;
}

KQelColor KQelGlobalLightSettings::GetFogColor() const
{
    return mData->mFogColor;
}

void KQelGlobalLightSettings::SetFogMode(EFogMode pMode)
{
    mData->mFogMode = pMode;
}

KQelGlobalLightSettings::EFogMode KQelGlobalLightSettings::GetFogMode() const
{
    return mData->mFogMode;
}

void KQelGlobalLightSettings::SetFogDensity(double pDensity)
{
    mData->mFogDensity = pDensity;
}

double KQelGlobalLightSettings::GetFogDensity() const
{
    return mData->mFogDensity;
}

void KQelGlobalLightSettings::SetFogStart(double pStart)
{
    if (pStart > mData->mFogEnd)
        mData->mFogStart = mData->mFogEnd;
    else
        mData->mFogStart = pStart < 0.0 ? 0.0 : pStart;
}

double KQelGlobalLightSettings::GetFogStart() const
{
    return mData->mFogStart;
}

void KQelGlobalLightSettings::SetFogEnd(double pEnd)
{
    mData->mFogEnd = std::max(pEnd, mData->mFogStart);
}

double KQelGlobalLightSettings::GetFogEnd() const
{
    return mData->mFogEnd;
}

void KQelGlobalLightSettings::SetShadowEnable(bool pEnable)
{
    mData->mShadowEnable = pEnable;
}

bool KQelGlobalLightSettings::GetShadowEnable() const
{
    return mData->mShadowEnable;
}

void KQelGlobalLightSettings::SetShadowIntensity(double pIntensity)
{
    mData->mShadowIntensity = std::clamp(pIntensity, 0.0, 300.0);
}

double KQelGlobalLightSettings::GetShadowIntensity() const
{
    return mData->mShadowIntensity;
}

int KQelGlobalLightSettings::GetShadowPlaneCount() const
{
    return static_cast<int>(mData->mShadowPlanes.size());
}

KQelGlobalLightSettings::KQelShadowPlane* KQelGlobalLightSettings::GetShadowPlane(int pIndex)
{
    if (pIndex < 0 || pIndex >= GetShadowPlaneCount()) {
        mData->mError.SetLastErrorID(eIndexOutOfRange);
        return nullptr;
    }
    return &mData->mShadowPlanes[pIndex];
}

void KQelGlobalLightSettings::AddShadowPlane(const KQelShadowPlane& pPlane)
{
    mData->mShadowPlanes.push_back(pPlane);
}

void KQelGlobalLightSettings::RemoveAllShadowPlanes()
{
    mData->mShadowPlanes.clear();
}

KQelGlobalLightSettings& KQelGlobalLightSettings::operator=(const KQelGlobalLightSettings& pOther)
{
    if (this != &pOther)
        static_cast<Values&>(*mData) = static_cast<const Values&>(*pOther.mData);
    return *this;
}

KError& KQelGlobalLightSettings::GetError()
{
    return mData->mError;
}

int KQelGlobalLightSettings::GetLastErrorID() const
{
    return mData->mError.GetLastErrorID();
}

const char* KQelGlobalLightSettings::GetLastErrorString() const
{
    return mData->mError.GetLastErrorString();
}

}  // namespace qelsdk_600
