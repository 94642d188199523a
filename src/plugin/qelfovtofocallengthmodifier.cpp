#include "plugin/qelfovtofocallengthmodifier.h"

#include <cmath>

namespace {

const double kDegreesToRadians = 0.017453292519943295;

}  // namespace

double QelFOVToFocalLengthModifier::Modify(double pValue)
{
    if (pValue == 0.0)
        return 0.0;
    return FilmDimension() / std::tan(pValue * kDegreesToRadians * 0.5) * 0.5;
}
