#include <vesk/MEulerRotation.h>
#include <vesk/MMatrix.h>
#include <vesk/MQuaternion.h>
#include <vesk/MVector.h>

#include <algorithm>
#include <cmath>

#include "foundation/rotation_impl.h"

const MQuaternion MQuaternion::identity(0.0, 0.0, 0.0, 1.0);

namespace vesk {

void orderAxes(int order, int axes[3])
{
    static const int kAxes[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {1, 0, 2}, {2, 1, 0}};
    const int o = order >= 0 && order < 6 ? order : 0;
    axes[0] = kAxes[o][0];
    axes[1] = kAxes[o][1];
    axes[2] = kAxes[o][2];
}

MMatrix axisRotation(int axis, double angle)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    MMatrix m;
    const int a = (axis + 1) % 3;
    const int b = (axis + 2) % 3;
    // Row vectors: axis a turns towards axis b.
    m.matrix[a][a] = c;
    m.matrix[a][b] = s;
    m.matrix[b][a] = -s;
    m.matrix[b][b] = c;
    return m;
}

MMatrix rotationPart(const MMatrix& m)
{
    MMatrix r;
    for (int i = 0; i < 3; ++i) {
        const double len = std::sqrt(m.matrix[i][0] * m.matrix[i][0] + m.matrix[i][1] * m.matrix[i][1] +
                                     m.matrix[i][2] * m.matrix[i][2]);
        for (int c = 0; c < 3; ++c)
            r.matrix[i][c] = len > 0.0 ? m.matrix[i][c] / len : m.matrix[i][c];
    }
    return r;
}

} // namespace vesk

MQuaternion::MQuaternion(double angle, const MVector& axis)
{
    setAxisAngle(axis, angle);
}

MQuaternion& MQuaternion::setAxisAngle(const MVector& axis, double angle)
{
    const double len = axis.length();
    if (len == 0.0) {
        *this = MQuaternion();
        return *this;
    }
    const double s = std::sin(angle * 0.5) / len;
    x = axis.x * s;
    y = axis.y * s;
    z = axis.z * s;
    w = std::cos(angle * 0.5);
    return *this;
}

bool MQuaternion::getAxisAngle(MVector& axis, double& angle) const
{
    MQuaternion q = normal();
    if (q.w < 0.0)
        q = MQuaternion(-q.x, -q.y, -q.z, -q.w);
    const double s = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    if (s < 1e-15) {
        axis = MVector(1.0, 0.0, 0.0);
        angle = 0.0;
        return true;
    }
    axis = MVector(q.x / s, q.y / s, q.z / s);
    angle = 2.0 * std::atan2(s, q.w);
    return true;
}

MMatrix MQuaternion::asMatrix() const
{
    const double n = x * x + y * y + z * z + w * w;
    MMatrix m;
    if (n == 0.0)
        return m;
    const double s = 2.0 / n;
    m.matrix[0][0] = 1.0 - s * (y * y + z * z);
    m.matrix[0][1] = s * (x * y + z * w);
    m.matrix[0][2] = s * (x * z - y * w);
    m.matrix[1][0] = s * (x * y - z * w);
    m.matrix[1][1] = 1.0 - s * (x * x + z * z);
    m.matrix[1][2] = s * (y * z + x * w);
    m.matrix[2][0] = s * (x * z + y * w);
    m.matrix[2][1] = s * (y * z - x * w);
    m.matrix[2][2] = 1.0 - s * (x * x + y * y);
    return m;
}

MQuaternion& MQuaternion::operator=(const MMatrix& in)
{
    const MMatrix r = vesk::rotationPart(in);
    const double(&m)[4][4] = r.matrix;
    const double trace = m[0][0] + m[1][1] + m[2][2];
    if (trace > 0.0) {
        const double s = std::sqrt(trace + 1.0) * 2.0;
        w = 0.25 * s;
        x = (m[1][2] - m[2][1]) / s;
        y = (m[2][0] - m[0][2]) / s;
        z = (m[0][1] - m[1][0]) / s;
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        const double s = std::sqrt(1.0 + m[0][0] - m[1][1] - m[2][2]) * 2.0;
        w = (m[1][2] - m[2][1]) / s;
        x = 0.25 * s;
        y = (m[1][0] + m[0][1]) / s;
        z = (m[2][0] + m[0][2]) / s;
    } else if (m[1][1] > m[2][2]) {
        const double s = std::sqrt(1.0 + m[1][1] - m[0][0] - m[2][2]) * 2.0;
        w = (m[2][0] - m[0][2]) / s;
        x = (m[1][0] + m[0][1]) / s;
        y = 0.25 * s;
        z = (m[2][1] + m[1][2]) / s;
    } else {
        const double s = std::sqrt(1.0 + m[2][2] - m[0][0] - m[1][1]) * 2.0;
        w = (m[0][1] - m[1][0]) / s;
        x = (m[2][0] + m[0][2]) / s;
        y = (m[2][1] + m[1][2]) / s;
        z = 0.25 * s;
    }
    return *this;
}

MEulerRotation MQuaternion::asEulerRotation() const
{
    return MEulerRotation::decompose(asMatrix(), MEulerRotation::kXYZ);
}

MQuaternion MQuaternion::operator*(const MQuaternion& o) const
{
    // Row vectors: applying this first, then o, is the Hamilton product o x this.
    const MQuaternion& p = o;
    const MQuaternion& q = *this;
    return MQuaternion(p.w * q.x + p.x * q.w + p.y * q.z - p.z * q.y, p.w * q.y - p.x * q.z + p.y * q.w + p.z * q.x,
                       p.w * q.z + p.x * q.y - p.y * q.x + p.z * q.w, p.w * q.w - p.x * q.x - p.y * q.y - p.z * q.z);
}

bool MQuaternion::isEquivalent(const MQuaternion& o, double tolerance) const
{
    auto close = [&](double a, double b) { return std::fabs(a - b) <= tolerance; };
    // q and -q are the same rotation.
    return (close(x, o.x) && close(y, o.y) && close(z, o.z) && close(w, o.w)) ||
           (close(x, -o.x) && close(y, -o.y) && close(z, -o.z) && close(w, -o.w));
}

MQuaternion MQuaternion::inverse() const
{
    const double n = x * x + y * y + z * z + w * w;
    if (n == 0.0)
        return MQuaternion();
    return MQuaternion(-x / n, -y / n, -z / n, w / n);
}

MQuaternion MQuaternion::normal() const
{
    const double n = std::sqrt(x * x + y * y + z * z + w * w);
    if (n == 0.0)
        return MQuaternion();
    return MQuaternion(x / n, y / n, z / n, w / n);
}

MEulerRotation::MEulerRotation(const MVector& v, RotationOrder ord) : x(v.x), y(v.y), z(v.z), order(ord) {}

MEulerRotation& MEulerRotation::setValue(double rx, double ry, double rz, RotationOrder ord)
{
    x = rx;
    y = ry;
    z = rz;
    order = ord;
    return *this;
}

MVector MEulerRotation::asVector() const
{
    return MVector(x, y, z);
}

MMatrix MEulerRotation::asMatrix() const
{
    int axes[3];
    vesk::orderAxes(order, axes);
    const double angles[3] = {x, y, z};
    return vesk::axisRotation(axes[0], angles[axes[0]]) * vesk::axisRotation(axes[1], angles[axes[1]]) *
           vesk::axisRotation(axes[2], angles[axes[2]]);
}

MQuaternion MEulerRotation::asQuaternion() const
{
    int axes[3];
    vesk::orderAxes(order, axes);
    const double angles[3] = {x, y, z};
    MQuaternion q;
    for (int n = 0; n < 3; ++n) {
        MVector axis;
        axis[static_cast<unsigned int>(axes[n])] = 1.0;
        q = q * MQuaternion(angles[axes[n]], axis);
    }
    return q;
}

MEulerRotation MEulerRotation::reorder(RotationOrder ord) const
{
    return decompose(asMatrix(), ord);
}

MEulerRotation MEulerRotation::decompose(const MMatrix& in, RotationOrder ord)
{
    const MMatrix r = vesk::rotationPart(in);
    // C is the column-vector form of the rotation: C[a][b] = M[b][a].
    auto C = [&](int a, int b) { return r.matrix[b][a]; };
    int axes[3];
    vesk::orderAxes(ord, axes);
    const int i = axes[0], j = axes[1], k = axes[2];
    const bool even = (j == (i + 1) % 3);
    double a, b, c;
    const double sinB = even ? -C(k, i) : C(k, i);
    b = std::asin(std::max(-1.0, std::min(1.0, sinB)));
    if (std::fabs(C(k, i)) < 1.0 - 1e-12) {
        if (even) {
            a = std::atan2(C(k, j), C(k, k));
            c = std::atan2(C(j, i), C(i, i));
        } else {
            a = std::atan2(-C(k, j), C(k, k));
            c = std::atan2(-C(j, i), C(i, i));
        }
    } else {
        c = 0.0;
        a = even ? std::atan2(-C(j, k), C(j, j)) : std::atan2(C(j, k), C(j, j));
    }
    double angles[3];
    angles[i] = a;
    angles[j] = b;
    angles[k] = c;
    return MEulerRotation(angles[0], angles[1], angles[2], ord);
}

bool MEulerRotation::isEquivalent(const MEulerRotation& o, double tolerance) const
{
    return order == o.order && std::fabs(x - o.x) <= tolerance && std::fabs(y - o.y) <= tolerance &&
           std::fabs(z - o.z) <= tolerance;
}
