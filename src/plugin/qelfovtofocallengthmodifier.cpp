#include "plugin/qelfovtofocallengthmodifier.h"

#include <cmath>

#include "object/kpropertytemplate.h"

namespace {

const double kDegreesToRadians = 0.017453292519943295;
const int kVerticalMode = 2;

}  // namespace

double QelFOVToFocalLengthModifier::Modify(double pValue)
{
    if (pValue == 0.0)
        return 0.0;
    const double film = mApertureMode == kVerticalMode ? mApertureHeight : mSqueezeRatio * mApertureWidth;
    return film / std::tan(pValue * kDegreesToRadians * 0.5) * 0.5;
}

int QelFOVToFocalLengthModifier::Modify(int pValue)
{
    return QelSaturate<int>(Modify(static_cast<double>(pValue)));
}

long QelFOVToFocalLengthModifier::Modify(long pValue)
{
    return QelSaturate<long>(Modify(static_cast<double>(pValue)));
}

unsigned int QelFOVToFocalLengthModifier::Modify(unsigned int pValue)
{
    return QelSaturate<unsigned int>(Modify(static_cast<double>(pValue)));
}

float QelFOVToFocalLengthModifier::Modify(float pValue)
{
    return qelsdk_600::detail::SaturateToFloat(Modify(static_cast<double>(pValue)));
}
