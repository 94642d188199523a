#include "export/qelfocallengthtofovmodifier.h"

#include <cmath>

namespace {

const double kRadiansToDegrees = 57.29577951308232;

}  // namespace

double QelFocalLengthToFOVModifier::Modify(double pValue)
{
    return 2.0 * std::atan(0.5 * (FilmDimension() / pValue)) * kRadiansToDegrees;
}
