#include "content/kqelcolor.h"

namespace qelsdk_600 {

namespace {

// A NaN is neither below 0 nor above 1 and stays as it is.
double Clamp01(double pValue)
{
    if (pValue < 0.0)
        return 0.0;
    if (pValue > 1.0)
        return 1.0;
    return pValue;
}

bool In01(double pValue)
{
    return pValue >= 0.0 && pValue <= 1.0;
}

}  // namespace

KQelColor::KQelColor(double pRed, double pGreen, double pBlue, double pAlpha)
{
    Set(pRed, pGreen, pBlue, pAlpha);
}

void KQelColor::Set(double pRed, double pGreen, double pBlue, double pAlpha)
{
    mRed = Clamp01(pRed);
    mGreen = Clamp01(pGreen);
    mBlue = Clamp01(pBlue);
    mAlpha = Clamp01(pAlpha);
}

bool KQelColor::IsValid() const
{
    return In01(mRed) && In01(mGreen) && In01(mBlue) && In01(mAlpha);
}

KQelColor& KQelColor::operator=(const KQelColor& pOther)
{
    Set(pOther.mRed, pOther.mGreen, pOther.mBlue, pOther.mAlpha);
    return *this;
}

bool KQelColor::operator==(const KQelColor& pOther) const
{
    return mRed == pOther.mRed && mGreen == pOther.mGreen && mBlue == pOther.mBlue &&
           mAlpha == pOther.mAlpha;
}

}  // namespace qelsdk_600
