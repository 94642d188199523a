// Core 4x4 matrices of the geometry math.
#ifndef QELSDK_MATH_KGEMATRIX_H
#define QELSDK_MATH_KGEMATRIX_H

namespace qelsdk_600 {

// One row of a 4x4 matrix; a matrix decays to a pointer to its rows.
typedef double KgeRow[4];

// Affine matrix of 4x4 doubles stored by rows: rows 0 to 2 are the X, Y and Z
// axes, row 3 the translation, column 3 is (0, 0, 0, 1); points are row
// vectors. A new matrix is the identity. It converts to double (*)[4], so it
// is passed straight to the Km* functions and indexed as m[row][column].
struct KgeAMatrix {
    double mData[4][4];

    constexpr KgeAMatrix()
        : mData{{1.0, 0.0, 0.0, 0.0},
                {0.0, 1.0, 0.0, 0.0},
                {0.0, 0.0, 1.0, 0.0},
                {0.0, 0.0, 0.0, 1.0}} {}

    operator KgeRow*() { return mData; }
    constexpr operator const KgeRow*() const { return mData; }
};

// Rotation matrix: same layout as an affine matrix, only its 3x3 part is read.
typedef KgeAMatrix KgeRMatrix;

// The 4x4 identity.
inline constexpr KgeAMatrix KmIdentity{};

}  // namespace qelsdk_600

#endif
