// Values the host's math, animation, transform and rendering tests share.
#ifndef QEL_TESTS_HOST_MATH_VALUES_H
#define QEL_TESTS_HOST_MATH_VALUES_H

#include <vesk/MMatrix.h>

const double kPi = 3.14159265358979323846;

// A matrix that moves points by (x, y, z), row vectors as the host uses.
inline MMatrix translation(double x, double y, double z)
{
    MMatrix m;
    m(3, 0) = x;
    m(3, 1) = y;
    m(3, 2) = z;
    return m;
}

#endif
