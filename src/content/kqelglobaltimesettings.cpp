#include "content/kqelglobaltimesettings.h"

#include <vector>

namespace qelsdk_600 {

namespace {

const char* const kErrorTexts[KQelGlobalTimeSettings::eErrorCount] = {"Index out of range."};

}  // namespace

struct KQelGlobalTimeSettings::Data {
    Data() : mError(kErrorTexts, eErrorCount) {}

    KTime::ETimeMode mTimeMode = KTime::eFRAMES30;
    KTime::ETimeProtocol mTimeProtocol = KTime::eFRAME;
    ESnapOnFrameMode mSnapOnFrameMode = eNoSnap;
    // Markers keep their address while others are added: callers hold
    // pointers from GetTimeMarker.
    std::vector<std::unique_ptr<KQelTimeMarker>> mMarkers;
    int mCurrentMarker = -1;
    KError mError;
};

KQelGlobalTimeSettings::KQelGlobalTimeSettings() : mData(new Data)
{
    RestoreDefaultSettings();
}

KQelGlobalTimeSettings::~KQelGlobalTimeSettings()
{
    RemoveAllTimeMarkers();
}

void KQelGlobalTimeSettings::RestoreDefaultSettings()
{
    mData->mTimeMode = KTime::eFRAMES30;
    mData->mTimeProtocol = KTime::eFRAME;
    mData->mSnapOnFrameMode = eNoSnap;
    RemoveAllTimeMarkers();
}

void KQelGlobalTimeSettings::SetTimeMode(KTime::ETimeMode pMode)
{
    mData->mTimeMode = pMode;
}

KTime::ETimeMode KQelGlobalTimeSettings::GetTimeMode() const
{
    if (mData->mTimeMode != KTime::eDEFAULT_MODE)
        return mData->mTimeMode;
    const KTime::ETimeMode global = KTime::GetGlobalTimeMode();
    return global != KTime::eDEFAULT_MODE ? global : KTime::eFRAMES30;
}

void KQelGlobalTimeSettings::SetTimeProtocol(KTime::ETimeProtocol pProtocol)
{
    mData->mTimeProtocol = pProtocol;
}

KTime::ETimeProtocol KQelGlobalTimeSettings::GetTimeProtocol() const
{
    if (mData->mTimeProtocol != KTime::eDEFAULT_PROTOCOL)
        return mData->mTimeProtocol;
    const KTime::ETimeProtocol global = KTime::GetGlobalTimeProtocol();
    return global != KTime::eDEFAULT_PROTOCOL ? global : KTime::eFRAME;
}

void KQelGlobalTimeSettings::SetSnapOnFrameMode(ESnapOnFrameMode pMode)
{
    mData->mSnapOnFrameMode = pMode;
}

KQelGlobalTimeSettings::ESnapOnFrameMode KQelGlobalTimeSettings::GetSnapOnFrameMode() const
{
    return mData->mSnapOnFrameMode;
}

void KQelGlobalTimeSettings::SetSnapOnFrame(bool pSnap)
{
    mData->mSnapOnFrameMode = pSnap ? eSnapOnFrame : eNoSnap;
}

bool KQelGlobalTimeSettings::GetSnapOnFrame() const
{
    return mData->mSnapOnFrameMode != eNoSnap;
}

int KQelGlobalTimeSettings::GetTimeMarkerCount() const
{
    return static_cast<int>(mData->mMarkers.size());
}

KQelGlobalTimeSettings::KQelTimeMarker* KQelGlobalTimeSettings::GetTimeMarker(int pIndex)
{
    if (pIndex < 0 || pIndex >= GetTimeMarkerCount()) {
        mData->mError.SetLastErrorID(eIndexOutOfRange);
        return nullptr;
    }
    return mData->mMarkers[pIndex].get();
}

void KQelGlobalTimeSettings::AddTimeMarker(const KQelTimeMarker& pMarker)
{
    mData->mMarkers.emplace_back(new KQelTimeMarker(pMarker));
}

bool KQelGlobalTimeSettings::SetCurrentTimeMarker(int pIndex)
{
    if (pIndex < 0 || pIndex >= GetTimeMarkerCount()) {
        mData->mError.SetLastErrorID(eIndexOutOfRange);
        return false;
    }
    mData->mCurrentMarker = pIndex;
    return true;
}

int KQelGlobalTimeSettings::GetCurrentTimeMarker() const
{
    return mData->mCurrentMarker;
}

void KQelGlobalTimeSettings::RemoveAllTimeMarkers()
{
    while (!mData->mMarkers.empty())
        mData->mMarkers.pop_back();
    mData->mCurrentMarker = -1;
}

KQelGlobalTimeSettings& KQelGlobalTimeSettings::operator=(const KQelGlobalTimeSettings& pOther)
{
    if (this == &pOther)
        return *this;
    const Data& other = *pOther.mData;
    mData->mTimeMode = other.mTimeMode;
    mData->mTimeProtocol = other.mTimeProtocol;
    mData->mSnapOnFrameMode = other.mSnapOnFrameMode;
    RemoveAllTimeMarkers();
    for (const std::unique_ptr<KQelTimeMarker>& marker : other.mMarkers)
        AddTimeMarker(*marker);
    mData->mCurrentMarker = other.mCurrentMarker;
    return *this;
}

KError& KQelGlobalTimeSettings::GetError()
{
    return mData->mError;
}

int KQelGlobalTimeSettings::GetLastErrorID() const
{
    return mData->mError.GetLastErrorID();
}

const char* KQelGlobalTimeSettings::GetLastErrorString() const
{
    return mData->mError.GetLastErrorString();
}

}  // namespace qelsdk_600
