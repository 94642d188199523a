#include "io/kstreamoptionsmotion.h"

#include <cmath>

namespace qelsdk_600 {

namespace {

const char* const kOptionNames[KStreamOptionsMotion::eOptionCount] = {
    "Translation",
    "Rotation",
    "Scaling",
    "UnusedSegments",
    "ImportAsOpticalSegments",
    "ImportExactZeroAsOccluded",
    "ImportSetOccludedToLastValidPosition",
    "ImportActorPrefix",
    "ImportCreateReferenceNode",
    "ImportDummyNodes",
    "ImportLimits",
    "ExportGapsAsValidData",
    "ExportC3DRealFormat",
    "ExportFromGlobalPosition",
    "ExportRequireSingleRootNode",
    "ExportFrameRate",
    "ExportFrameRange",
    "RenameDuplicateNames",
};

// Tolerance on a frame rate when looking for its time mode.
const double kRateTolerance = 0.001;

bool InRange(KStreamOptionsMotion::EOption pOption)
{
    return pOption >= 0 && pOption < KStreamOptionsMotion::eOptionCount;
}

}  // namespace

KClassDefinition KStreamOptionsMotion::ClassDefinition = {
    &KStreamOptionsMotion::ClassId, &KStreamOptions::ClassDefinition, "KStreamOptionsMotion",
    nullptr};
int KStreamOptionsMotion::ClassId =
    KPlug_RegisterClassId(&KStreamOptionsMotion::ClassDefinition, -1);

KStreamOptionsMotion::KStreamOptionsMotion()
    : mFrameCount(0),
      mTimeMode(KTime::eDEFAULT_MODE),
      mFrameRate(0.0),
      mAsfScene(nullptr),
      mOwnsAsfScene(false)
{
    Reset();
}

KStreamOptionsMotion::~KStreamOptionsMotion()
{
    Reset();
}

KStreamOptionsMotion& KStreamOptionsMotion::operator=(const KStreamOptionsMotion& pOther)
{
    if (this == &pOther)
        return *this;
    KStreamOptions::operator=(pOther);
    mTakeName = pOther.mTakeName;
    mStart = pOther.mStart;
    mFrameCount = pOther.mFrameCount;
    mFrameRate = pOther.mFrameRate;
    mTimeMode = pOther.mTimeMode;
    SetASFScene(pOther.mAsfScene, pOther.mAsfScene == mAsfScene && mOwnsAsfScene);
    for (int i = 0; i < eOptionCount; ++i)
        mOptions[i] = pOther.mOptions[i];
    return *this;
}

KClassDefinition* KStreamOptionsMotion::GetClassDefinition() const
{
    return &ClassDefinition;
}

void KStreamOptionsMotion::Reset()
{
    KStreamOptions::Reset();
    mTakeName.Empty();
    mStart = KTime();
    mFrameCount = 0;
    mTimeMode = KTime::GetGlobalTimeMode();
    mFrameRate = KTime::GetFrameRate(mTimeMode);
    SetASFScene(nullptr, false);
    for (int i = 0; i < eOptionCount; ++i)
        mOptions[i] = eUnset;
}

void KStreamOptionsMotion::SetFrameCount(int pCount)
{
    mFrameCount = pCount < 0 ? 0 : pCount;
}

void KStreamOptionsMotion::SetTimeMode(KTime::ETimeMode pMode, double pRate)
{
    if (pMode < KTime::eDEFAULT_MODE || pMode >= KTime::eTIME_MODE_COUNT)
        return;
    if (pMode != KTime::eDEFAULT_MODE) {
        mTimeMode = pMode;
        mFrameRate = KTime::GetFrameRate(pMode);
    } else if (std::isfinite(pRate) && pRate > 0.0) {
        mTimeMode = KTime::ConvertFrameRateToTimeMode(pRate, kRateTolerance);
        mFrameRate = pRate;
    } else {
        mTimeMode = KTime::GetGlobalTimeMode();
        mFrameRate = KTime::GetFrameRate(mTimeMode);
    }
}

KTime KStreamOptionsMotion::GetFramePeriod() const
{
    KTime period;
    if (mTimeMode != KTime::eDEFAULT_MODE)
        period.SetTime(0, 0, 0, 1, 0, mTimeMode);
    else
        period.SetSecondDouble(1.0 / mFrameRate);
    // A very high custom rate would round a frame down to no time at all.
    if (period.Get() < 1)
        period.Set(1);
    return period;
}

void KStreamOptionsMotion::SetASFScene(KObject* pScene, bool pOwn)
{
    if (mAsfScene && mOwnsAsfScene && mAsfScene != pScene)
        mAsfScene->Destroy();
    mAsfScene = pScene;
    mOwnsAsfScene = pScene && pOwn;
}

void KStreamOptionsMotion::SetOption(EOption pOption, EThreeStateOption pValue)
{
    if (InRange(pOption))
        mOptions[pOption] = pValue;
}

KStreamOptionsMotion::EThreeStateOption KStreamOptionsMotion::GetOption(EOption pOption) const
{
    return InRange(pOption) ? mOptions[pOption] : eUnset;
}

const char* KStreamOptionsMotion::GetOptionName(EOption pOption)
{
    return InRange(pOption) ? kOptionNames[pOption] : "";
}

KStreamOptionsMotion* KStreamOptionsMotionCreate()
{
    return new KStreamOptionsMotion;
}

}  // namespace qelsdk_600
