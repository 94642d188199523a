#include "plugin/qelfilmmodifier.h"

#include "object/kpropertytemplate.h"

namespace {

const int kVerticalMode = 2;

}  // namespace

double QelFilmModifier::FilmDimension() const
{
    return mApertureMode == kVerticalMode ? mApertureHeight : mSqueezeRatio * mApertureWidth;
}

int QelFilmModifier::Modify(int pValue)
{
    return QelSaturate<int>(Modify(static_cast<double>(pValue)));
}

long QelFilmModifier::Modify(long pValue)
{
    return QelSaturate<long>(Modify(static_cast<double>(pValue)));
}

unsigned int QelFilmModifier::Modify(unsigned int pValue)
{
    return QelSaturate<unsigned int>(Modify(static_cast<double>(pValue)));
}

float QelFilmModifier::Modify(float pValue)
{
    return qelsdk_600::detail::SaturateToFloat(Modify(static_cast<double>(pValue)));
}
