#include "export/qelfocallengthtofovmodifier.h"

#include <cmath>

#include "object/kpropertytemplate.h"

namespace {

const double kRadiansToDegrees = 57.29577951308232;
const int kVerticalMode = 2;

}  // namespace

double QelFocalLengthToFOVModifier::Modify(double pValue)
{
    const double film = mApertureMode == kVerticalMode ? mApertureHeight : mSqueezeRatio * mApertureWidth;
    return 2.0 * std::atan(0.5 * (film / pValue)) * kRadiansToDegrees;
}

int QelFocalLengthToFOVModifier::Modify(int pValue)
{
    return QelSaturate<int>(Modify(static_cast<double>(pValue)));
}

long QelFocalLengthToFOVModifier::Modify(long pValue)
{
    return QelSaturate<long>(Modify(static_cast<double>(pValue)));
}

unsigned int QelFocalLengthToFOVModifier::Modify(unsigned int pValue)
{
    return QelSaturate<unsigned int>(Modify(static_cast<double>(pValue)));
}

float QelFocalLengthToFOVModifier::Modify(float pValue)
{
    return qelsdk_600::detail::SaturateToFloat(Modify(static_cast<double>(pValue)));
}
