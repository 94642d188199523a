#include "curves/kfcurverotation.h"

#include <cmath>

namespace qelsdk_600 {

const int gQelEulerOrder[3] = {0, 1, 2};

namespace {

// Moves x by whole turns to within half a turn of target.
double NearestTurn(double x, double target)
{
    double turns = 0.0;
    const double fraction = std::modf((target - x) / 360.0, &turns);
    if (fraction > 0.5)
        turns += 1.0;
    else if (fraction < -0.5)
        turns -= 1.0;
    return x + 360.0 * turns;
}

}  // namespace

bool KVNGetContinuousRotation(double* out, const double* current, const double* previous, const int* axes)
{
    const int a = axes[0];
    const int b = axes[1];
    const int c = axes[2];
    const double plain[3] = {current[a], current[b], current[c]};
    const double flipped[3] = {current[a] + 180.0, 180.0 - current[b], current[c] + 180.0};
    const double reference[3] = {previous[a], previous[b], previous[c]};

    double first[3];
    double second[3];
    double d1 = 0.0;
    double d2 = 0.0;
    for (int i = 0; i < 3; ++i) {
        first[i] = NearestTurn(plain[i], reference[i]);
        second[i] = NearestTurn(flipped[i], reference[i]);
        d1 += (first[i] - reference[i]) * (first[i] - reference[i]);
        d2 += (second[i] - reference[i]) * (second[i] - reference[i]);
    }
    const bool flip = !(d2 > d1);
    const double* chosen = flip ? second : first;
    out[a] = chosen[0];
    out[b] = chosen[1];
    out[c] = chosen[2];

    // At gimbal lock only the sum (or difference) of the outer angles counts:
    // split the distance to the previous angles evenly between them.
    const double middle = std::fmod(std::fmod(out[b], 360.0) + 360.0, 360.0);
    if (std::fabs(middle - 90.0) <= 1e-6) {
        const double half = ((previous[c] - out[c]) + (previous[a] - out[a])) * 0.5;
        out[a] += half;
        out[c] += half;
    } else if (std::fabs(middle - 270.0) <= 1e-6) {
        const double half = ((previous[a] - out[a]) - (previous[c] - out[c])) * 0.5;
        out[a] += half;
        out[c] -= half;
    }
    return flip;
}

void KVNAdd(double* out, const double* a, const double* b, int n)
{
    for (int i = 0; i < n; ++i)
        out[i] = a[i] + b[i];
}

void KVNScale(double* out, const double* a, double scale, int n)
{
    for (int i = 0; i < n; ++i)
        out[i] = a[i] * scale;
}

}  // namespace qelsdk_600
