// Euler angles, rotation matrices and quaternions.
#include "math/kmfunctions.h"

#include <algorithm>
#include <cmath>

namespace qelsdk_600 {

namespace {

const double kDegToRad = 0.017453292519943295;
const double kRadToDeg = 57.29577951308232;
const double kGimbalLimit = 0.999999;

void Identity3x3(double (*r)[4]) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[i][j] = i == j ? 1.0 : 0.0;
}

// Row-vector rotation about one axis (0 X, 1 Y, 2 Z).
void AxisRotation(double (&m)[3][3], int axis, double radians) {
    double c = std::cos(radians);
    double s = std::sin(radians);
    int b = (axis + 1) % 3;
    int e = (axis + 2) % 3;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = 0.0;
    m[axis][axis] = 1.0;
    m[b][b] = c;
    m[b][e] = s;
    m[e][b] = -s;
    m[e][e] = c;
}

void Multiply3x3(double (&out)[3][3], const double (&a)[3][3], const double (&b)[3][3]) {
    double t[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    std::copy(&t[0][0], &t[0][0] + 9, &out[0][0]);
}

// Repeated-axis decomposition X, Y, X (X applied first); third angle 0 at lock.
void DecomposeXYX(double* v, const double (*n)[4]) {
    if (std::fabs(n[0][0]) < kGimbalLimit) {
        v[0] = std::atan2(n[1][0], n[2][0]) * kRadToDeg;
        v[1] = std::atan2(std::sqrt(n[0][1] * n[0][1] + n[0][2] * n[0][2]), n[0][0]) * kRadToDeg;
        v[2] = std::atan2(n[0][1], -n[0][2]) * kRadToDeg;
    } else if (n[0][0] > 0.0) {
        v[0] = std::atan2(n[1][2], n[1][1]) * kRadToDeg;
        v[1] = 0.0;
        v[2] = 0.0;
    } else {
        v[0] = std::atan2(-n[1][2], n[1][1]) * kRadToDeg;
        v[1] = 180.0;
        v[2] = 0.0;
    }
}

// Into (-180, 180].
double WrapDegrees(double a) {
    if (a > 180.0) return a - 360.0;
    if (a <= -180.0) return a + 360.0;
    return a;
}

int CheckedOrder(int order) { return order >= 0 && order < 12 ? order : 0; }

}  // namespace

const int KmEulerAxis[12][3] = {
    {0, 1, 2}, {0, 1, 0}, {0, 2, 1}, {0, 2, 0}, {1, 2, 0}, {1, 2, 1},
    {1, 0, 2}, {1, 0, 1}, {2, 0, 1}, {2, 0, 2}, {2, 1, 0}, {2, 1, 2},
};

void KmXYZtoR(double (*r)[4], double pX, double pY, double pZ) {
    double x = pX * kDegToRad, y = pY * kDegToRad, z = pZ * kDegToRad;
    double cx = std::cos(x), sx = std::sin(x);
    double cy = std::cos(y), sy = std::sin(y);
    double cz = std::cos(z), sz = std::sin(z);
    r[0][0] = cy * cz;
    r[0][1] = cy * sz;
    r[0][2] = -sy;
    r[1][0] = sx * sy * cz - cx * sz;
    r[1][1] = sx * sy * sz + cx * cz;
    r[1][2] = sx * cy;
    r[2][0] = cx * sy * cz + sx * sz;
    r[2][1] = cx * sy * sz - sx * cz;
    r[2][2] = cx * cy;
}

double* KmRtoVXYZ(double* angles, const double (*r)[4]) {
    double x, y, z;
    if (r[0][2] >= kGimbalLimit) {
        x = std::atan2(-r[2][1], -r[2][0]) * kRadToDeg;
        y = -90.0;
        z = 0.0;
    } else if (r[0][2] <= -kGimbalLimit) {
        x = std::atan2(r[1][0], r[1][1]) * kRadToDeg;
        y = 90.0;
        z = 0.0;
    } else {
        x = std::atan2(r[1][2], r[2][2]) * kRadToDeg;
        y = -std::asin(r[0][2]) * kRadToDeg;
        z = std::atan2(r[0][1], r[0][0]) * kRadToDeg;
    }
    angles[0] = x;
    angles[1] = y;
    angles[2] = z;
    return angles;
}

void KmIJKtoR(double (*r)[4], double pI, double pJ, double pK, int order) {
    order = CheckedOrder(order);
    if (order == 0) {
        KmXYZtoR(r, pI, pJ, pK);
        return;
    }
    const int* axes = KmEulerAxis[order];
    double m[3][3], step[3][3];
    AxisRotation(m, axes[0], pI * kDegToRad);
    AxisRotation(step, axes[1], pJ * kDegToRad);
    Multiply3x3(m, m, step);
    AxisRotation(step, axes[2], pK * kDegToRad);
    Multiply3x3(m, m, step);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[i][j] = m[i][j];
}

double* KmRtoVord(double* angles, const double (*r)[4], int order) {
    order = CheckedOrder(order);
    const int* axes = KmEulerAxis[order];
    // Relabel the axes so the order becomes XYZ (or XYX); an odd relabelling
    // is a mirror, which turns every angle the other way.
    int p[3] = {axes[0], axes[1], 3 - axes[0] - axes[1]};
    bool odd = (axes[1] - axes[0] + 3) % 3 == 2;
    double n[4][4] = {};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) n[i][j] = r[p[i]][p[j]];

    double v[3];
    bool repeated = axes[2] == axes[0];
    if (repeated)
        DecomposeXYX(v, n);
    else
        KmRtoVXYZ(v, n);
    if (odd) {
        for (double& a : v) a = -a + 0.0;  // + 0.0 turns -0 into 0
        // (a, b, c) and (a + 180, -b, c + 180) are one rotation: keep the
        // middle angle of every repeated order in [0, 180].
        if (repeated && v[1] < 0.0) {
            v[1] = -v[1];
            if (v[1] < 180.0) {
                v[0] = WrapDegrees(v[0] + 180.0);
                v[2] = WrapDegrees(v[2] + 180.0);
            }
        }
    }
    for (int i = 0; i < 3; ++i) angles[i] = v[i];
    return angles;
}

void KmRtoQ(double* q, const double (*r)[4]) {
    double x, y, z, w;
    double t = (r[0][0] + r[1][1] + r[2][2] + 1.0) / 4.0;
    if (t > 1e-10) {
        w = std::sqrt(t);
        x = (r[1][2] - r[2][1]) * 0.25 / w;
        y = (r[2][0] - r[0][2]) * 0.25 / w;
        z = (r[0][1] - r[1][0]) * 0.25 / w;
    } else {
        int k = 0;
        if (r[1][1] > r[k][k]) k = 1;
        if (r[2][2] > r[k][k]) k = 2;
        double d = 1.0 + r[k][k] - r[(k + 1) % 3][(k + 1) % 3] - r[(k + 2) % 3][(k + 2) % 3];
        if (!(d > 0.0)) {
            // Not a rotation at all: answer the identity rather than NaN.
            q[0] = q[1] = q[2] = 0.0;
            q[3] = 1.0;
            return;
        }
        double s = std::sqrt(d) * 2.0;  // 4 times the largest component
        double c[3];
        int a = (k + 1) % 3, b = (k + 2) % 3;
        c[k] = s * 0.25;
        c[a] = (r[k][a] + r[a][k]) / s;
        c[b] = (r[k][b] + r[b][k]) / s;
        w = (r[a][b] - r[b][a]) / s;
        x = c[0];
        y = c[1];
        z = c[2];
    }
    q[0] = x;
    q[1] = y;
    q[2] = z;
    q[3] = w;
}

void KmQtoR(double (*r)[4], const double* q) {
    // Scale by the largest component first so that neither tiny nor huge
    // quaternions overflow in |q|^2.
    double big = std::max(std::max(std::fabs(q[0]), std::fabs(q[1])),
                          std::max(std::fabs(q[2]), std::fabs(q[3])));
    if (!(big > 0.0) || !std::isfinite(big)) {
        Identity3x3(r);
        return;
    }
    double x = q[0] / big, y = q[1] / big, z = q[2] / big, w = q[3] / big;
    double s = 2.0 / (x * x + y * y + z * z + w * w);
    double xx = x * x * s, yy = y * y * s, zz = z * z * s;
    double xy = x * y * s, xz = x * z * s, yz = y * z * s;
    double wx = w * x * s, wy = w * y * s, wz = w * z * s;
    r[0][0] = 1.0 - (yy + zz);
    r[0][1] = xy + wz;
    r[0][2] = xz - wy;
    r[1][0] = xy - wz;
    r[1][1] = 1.0 - (xx + zz);
    r[1][2] = yz + wx;
    r[2][0] = xz + wy;
    r[2][1] = yz - wx;
    r[2][2] = 1.0 - (xx + yy);
}

void KmQQ(double* out, const double* a, const double* b) {
    double x = a[3] * b[0] + b[3] * a[0] + a[1] * b[2] - a[2] * b[1];
    double y = a[3] * b[1] + b[3] * a[1] + a[2] * b[0] - a[0] * b[2];
    double z = a[3] * b[2] + b[3] * a[2] + a[0] * b[1] - a[1] * b[0];
    double w = a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2];
    out[0] = x;
    out[1] = y;
    out[2] = z;
    out[3] = w;
}

void KgeSetQuaternion(KgeQuaternion& q, const KgeTVector& v) {
    double x = v[0], y = v[1], z = v[2];
    q[0] = 0.0;
    q[1] = -z;
    q[2] = y;
    q[3] = 1.0 + x;
}

void GetQuaternionFromPositionToPosition(KgeQuaternion& q, const KgeTVector& a,
                                         const KgeTVector& b) {
    double u[3] = {a[0], a[1], a[2]};
    double v[3] = {b[0], b[1], b[2]};
    double lu = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
    double lv = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(lu > 0.0) || !(lv > 0.0) || !std::isfinite(lu) || !std::isfinite(lv)) {
        q = KgeQuaternion();
        return;
    }
    for (int i = 0; i < 3; ++i) {
        u[i] /= lu;
        v[i] /= lv;
    }
    double d = u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
    double x, y, z, w;
    if (1.0 + d < 1e-12) {
        // Opposite directions: any axis perpendicular to u makes the half turn.
        double e[3] = {0.0, 0.0, 0.0};
        e[std::fabs(u[0]) < 0.9 ? 0 : 1] = 1.0;
        x = u[1] * e[2] - u[2] * e[1];
        y = u[2] * e[0] - u[0] * e[2];
        z = u[0] * e[1] - u[1] * e[0];
        w = 0.0;
    } else {
        x = u[1] * v[2] - u[2] * v[1];
        y = u[2] * v[0] - u[0] * v[2];
        z = u[0] * v[1] - u[1] * v[0];
        w = 1.0 + d;
    }
    double len = std::sqrt(x * x + y * y + z * z + w * w);
    q[0] = x / len;
    q[1] = y / len;
    q[2] = z / len;
    q[3] = w / len;
}

}  // namespace qelsdk_600
