// Affine and 3x3 matrix products, inverses and the rotation of an affine matrix.
#include "math/kmfunctions.h"

#include <cmath>

namespace qelsdk_600 {

namespace {

double Dot3(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Cross3(double* out, const double* a, const double* b) {
    double x = a[1] * b[2] - a[2] * b[1];
    double y = a[2] * b[0] - a[0] * b[2];
    double z = a[0] * b[1] - a[1] * b[0];
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

// Every function builds its result in a local before storing it: the output
// may alias any input.
void Store3x4(double (*out)[4], const double (&t)[4][3]) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j) out[i][j] = t[i][j];
}

void Store3x3(double (*out)[4], const double (&t)[3][3]) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) out[i][j] = t[i][j];
}

}  // namespace

void KmAA(double (*out)[4], const double (*a)[4], const double (*b)[4]) {
    double t[4][3];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j)
            t[i][j] = b[i][0] * a[0][j] + b[i][1] * a[1][j] + b[i][2] * a[2][j];
    }
    for (int j = 0; j < 3; ++j) t[3][j] += a[3][j];
    Store3x4(out, t);
}

void KmAi(double (*out)[4], const double (*in)[4]) {
    double t[4][3];
    for (int i = 0; i < 3; ++i) {
        double len2 = Dot3(in[i], in[i]);
        // A collapsed axis has no inverse; mapping it to zero keeps the result
        // finite and still inverts the remaining axes.
        double inv = len2 > 0.0 ? 1.0 / len2 : 0.0;
        if (!std::isfinite(inv)) inv = 0.0;
        for (int j = 0; j < 3; ++j) t[j][i] = in[i][j] * inv;
    }
    for (int j = 0; j < 3; ++j)
        t[3][j] = -(in[3][0] * t[0][j] + in[3][1] * t[1][j] + in[3][2] * t[2][j]);
    Store3x4(out, t);
}

void KmAiA(double (*out)[4], const double (*a)[4], const double (*b)[4]) {
    KgeAMatrix inv;
    KmAi(inv, a);
    KmAA(out, inv, b);
}

void KmRR(double (*out)[4], const double (*a)[4], const double (*b)[4]) {
    double t[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            t[i][j] = b[i][0] * a[0][j] + b[i][1] * a[1][j] + b[i][2] * a[2][j];
    Store3x3(out, t);
}

void KmRi(double (*out)[4], const double (*in)[4]) {
    double t[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t[i][j] = in[j][i];
    Store3x3(out, t);
}

void KmRiR(double (*out)[4], const double (*a)[4], const double (*b)[4]) {
    // b x transpose(a): element (i, j) is row i of b dotted with row j of a.
    double t[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t[i][j] = Dot3(b[i], a[j]);
    Store3x3(out, t);
}

void KmRS(double (*out)[4], const double (*r)[4], const double* s) {
    double t[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t[i][j] = r[i][j] * s[i];
    Store3x3(out, t);
}

void KgeSetRM(double (*r)[4], const double (*a)[4]) {
    double rows[3][3];
    bool ok[3];
    int okCount = 0;
    for (int i = 0; i < 3; ++i) {
        double len = std::sqrt(Dot3(a[i], a[i]));
        ok[i] = len > 0.0 && std::isfinite(len);
        for (int j = 0; j < 3; ++j) rows[i][j] = ok[i] ? a[i][j] / len : 0.0;
        if (ok[i]) ++okCount;
    }

    if (okCount == 2) {
        // A flattened axis: rebuild it so the frame keeps its rotation.
        int z = !ok[0] ? 0 : (!ok[1] ? 1 : 2);
        Cross3(rows[z], rows[(z + 1) % 3], rows[(z + 2) % 3]);
        double len = std::sqrt(Dot3(rows[z], rows[z]));
        if (len > 0.0) {
            for (int j = 0; j < 3; ++j) rows[z][j] /= len;
        } else {
            okCount = 1;  // the two remaining rows are parallel
            ok[(z + 2) % 3] = false;
        }
    }
    if (okCount == 1) {
        // Only one axis direction is known: take the shortest turn onto it.
        int k = ok[0] ? 0 : (ok[1] ? 1 : 2);
        KgeTVector from(0.0, 0.0, 0.0);
        from[k] = 1.0;
        KgeTVector to(rows[k][0], rows[k][1], rows[k][2]);
        KgeQuaternion q;
        GetQuaternionFromPositionToPosition(q, from, to);
        KgeRMatrix m;
        KmQtoR(m, q);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) rows[i][j] = m[i][j];
    } else if (okCount == 0) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) rows[i][j] = i == j ? 1.0 : 0.0;
    }

    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) r[i][j] = rows[i][j];
        r[i][3] = 0.0;
    }
    r[3][0] = r[3][1] = r[3][2] = 0.0;
    r[3][3] = 1.0;
}

}  // namespace qelsdk_600
