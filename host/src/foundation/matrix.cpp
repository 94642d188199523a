#include <vesk/MMatrix.h>
#include <vesk/ValueArray.h>

#include <cmath>

const MMatrix MMatrix::identity;

MMatrix::MMatrix(const double values[4][4])
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            matrix[r][c] = values[r][c];
}

double& MMatrix::operator()(unsigned int r, unsigned int c)
{
    if (r > 3 || c > 3)
        vesk::arrayIndexAbort("MMatrix", r > 3 ? r : c, 4);
    return matrix[r][c];
}

double MMatrix::operator()(unsigned int r, unsigned int c) const
{
    return const_cast<MMatrix&>(*this)(r, c);
}

const double* MMatrix::operator[](unsigned int r) const
{
    if (r > 3)
        vesk::arrayIndexAbort("MMatrix", r, 4);
    return matrix[r];
}

MMatrix MMatrix::operator*(const MMatrix& o) const
{
    MMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.matrix[r][c] = matrix[r][0] * o.matrix[0][c] + matrix[r][1] * o.matrix[1][c] +
                               matrix[r][2] * o.matrix[2][c] + matrix[r][3] * o.matrix[3][c];
    return out;
}

MMatrix& MMatrix::operator*=(const MMatrix& o)
{
    return *this = *this * o;
}

MMatrix MMatrix::operator+(const MMatrix& o) const
{
    MMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.matrix[r][c] = matrix[r][c] + o.matrix[r][c];
    return out;
}

MMatrix MMatrix::operator-(const MMatrix& o) const
{
    MMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.matrix[r][c] = matrix[r][c] - o.matrix[r][c];
    return out;
}

MMatrix MMatrix::operator*(double s) const
{
    MMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.matrix[r][c] = matrix[r][c] * s;
    return out;
}

bool MMatrix::operator==(const MMatrix& o) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (matrix[r][c] != o.matrix[r][c])
                return false;
    return true;
}

MMatrix MMatrix::transpose() const
{
    MMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.matrix[r][c] = matrix[c][r];
    return out;
}

double MMatrix::det3x3() const
{
    const double(&m)[4][4] = matrix;
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

namespace {

// Gauss-Jordan elimination with partial pivoting; false when singular.
bool invert(const double in[4][4], double out[4][4])
{
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = in[r][c];
            a[r][c + 4] = r == c ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col]))
                pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-300)
            return false;
        if (pivot != col)
            for (int c = 0; c < 8; ++c)
                std::swap(a[pivot][c], a[col][c]);
        const double d = a[col][col];
        for (int c = 0; c < 8; ++c)
            a[col][c] /= d;
        for (int r = 0; r < 4; ++r)
            if (r != col) {
                const double f = a[r][col];
                if (f != 0.0)
                    for (int c = 0; c < 8; ++c)
                        a[r][c] -= f * a[col][c];
            }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[r][c] = a[r][c + 4];
    return true;
}

} // namespace

double MMatrix::det4x4() const
{
    // Laplace expansion along row 0 with 3x3 minors.
    double det = 0.0;
    for (int c = 0; c < 4; ++c) {
        double minor[3][3];
        for (int r = 1; r < 4; ++r) {
            int mc = 0;
            for (int k = 0; k < 4; ++k)
                if (k != c)
                    minor[r - 1][mc++] = matrix[r][k];
        }
        const double m3 = minor[0][0] * (minor[1][1] * minor[2][2] - minor[1][2] * minor[2][1]) -
                          minor[0][1] * (minor[1][0] * minor[2][2] - minor[1][2] * minor[2][0]) +
                          minor[0][2] * (minor[1][0] * minor[2][1] - minor[1][1] * minor[2][0]);
        det += (c % 2 == 0 ? 1.0 : -1.0) * matrix[0][c] * m3;
    }
    return det;
}

bool MMatrix::isSingular() const
{
    double out[4][4];
    return !invert(matrix, out);
}

MMatrix MMatrix::inverse() const
{
    MMatrix out;
    if (!invert(matrix, out.matrix))
        out.setToIdentity();
    return out;
}

bool MMatrix::isEquivalent(const MMatrix& o, double tolerance) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(matrix[r][c] - o.matrix[r][c]) <= tolerance))
                return false;
    return true;
}

MMatrix& MMatrix::setToIdentity()
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            matrix[r][c] = r == c ? 1.0 : 0.0;
    return *this;
}

void MMatrix::get(double out[4][4]) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[r][c] = matrix[r][c];
}
