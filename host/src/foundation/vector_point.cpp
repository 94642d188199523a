#include <vesk/MMatrix.h>
#include <vesk/MPoint.h>
#include <vesk/MVector.h>
#include <vesk/ValueArray.h>

#include <cmath>

const MPoint MPoint::origin(0.0, 0.0, 0.0, 1.0);

MVector MVector::operator*(const MMatrix& m) const
{
    return MVector(x * m.matrix[0][0] + y * m.matrix[1][0] + z * m.matrix[2][0],
                   x * m.matrix[0][1] + y * m.matrix[1][1] + z * m.matrix[2][1],
                   x * m.matrix[0][2] + y * m.matrix[1][2] + z * m.matrix[2][2]);
}

double& MVector::operator[](unsigned int i)
{
    if (i > 2)
        vesk::arrayIndexAbort("MVector", i, 3);
    return i == 0 ? x : i == 1 ? y : z;
}

double MVector::operator[](unsigned int i) const
{
    return const_cast<MVector&>(*this)[i];
}

double MVector::length() const
{
    return std::sqrt(x * x + y * y + z * z);
}

MVector MVector::normal() const
{
    const double len = length();
    return len > 0.0 ? MVector(x / len, y / len, z / len) : *this;
}

bool MVector::isEquivalent(const MVector& o, double tolerance) const
{
    return std::fabs(x - o.x) <= tolerance && std::fabs(y - o.y) <= tolerance && std::fabs(z - o.z) <= tolerance;
}

MPoint MPoint::operator*(const MMatrix& m) const
{
    MPoint out;
    const double in[4] = {x, y, z, w};
    double r[4];
    for (int c = 0; c < 4; ++c)
        r[c] = in[0] * m.matrix[0][c] + in[1] * m.matrix[1][c] + in[2] * m.matrix[2][c] + in[3] * m.matrix[3][c];
    return MPoint(r[0], r[1], r[2], r[3]);
}

double& MPoint::operator[](unsigned int i)
{
    if (i > 3)
        vesk::arrayIndexAbort("MPoint", i, 4);
    return i == 0 ? x : i == 1 ? y : i == 2 ? z : w;
}

double MPoint::operator[](unsigned int i) const
{
    return const_cast<MPoint&>(*this)[i];
}

MPoint& MPoint::cartesianize()
{
    if (w != 0.0) {
        x /= w;
        y /= w;
        z /= w;
        w = 1.0;
    }
    return *this;
}

double MPoint::distanceTo(const MPoint& o) const
{
    return (*this - o).length();
}

bool MPoint::isEquivalent(const MPoint& o, double tolerance) const
{
    return std::fabs(x - o.x) <= tolerance && std::fabs(y - o.y) <= tolerance && std::fabs(z - o.z) <= tolerance &&
           std::fabs(w - o.w) <= tolerance;
}
