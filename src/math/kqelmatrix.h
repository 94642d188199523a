// Matrix value types of the scene SDK.
//
// 4x4 doubles by rows: rows 0 to 2 are the X, Y and Z axes, row 3 the
// translation; points multiply as row vectors. Rotations are Euler X, Y, Z
// angles in degrees (X applied first); transforms apply scaling, then
// rotation, then translation.
#ifndef QELSDK_MATH_KQELMATRIX_H
#define QELSDK_MATH_KQELMATRIX_H

#include "math/kgematrix.h"
#include "math/kqelquaternion.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

// Plain 4x4 matrix; a new one is the identity; copies all 16 values.
class KQelMatrix {
public:
    KQelMatrix() = default;
    // Scaling pS, then Euler rotation pR (degrees), then translation pT
    // (x, y, z of each).
    KQelMatrix(const KQelVector4& pT, const KQelVector4& pR, const KQelVector4& pS);

    void SetIdentity() { mMatrix = KgeAMatrix(); }
    // Same as the (T, R, S) constructor; column 3 becomes (0, 0, 0, 1).
    void SetTRS(const KQelVector4& pT, const KQelVector4& pR, const KQelVector4& pS);

    // Row 0 to 3 as a vector; (0, 0, 0, 0) for any other index.
    KQelVector4 GetRow(int pIndex) const;

    // True when all 16 values are equal.
    bool operator==(const KQelMatrix& pOther) const;
    bool operator!=(const KQelMatrix& pOther) const { return !(*this == pOther); }

    // The 16 values, row after row (value 4r + c is row r, column c).
    operator double*() { return &mMatrix.mData[0][0]; }
    operator const double*() const { return &mMatrix.mData[0][0]; }

protected:
    KgeAMatrix mMatrix;
};

// Affine transform. A new one is the identity. Copying and assignment (also
// from a plain KQelMatrix) copy the 3x3 part and the translation row only: a
// copy's column 3 is (0, 0, 0, 1), an assignment keeps the target's.
class KQelXMatrix : public KQelMatrix {
public:
    KQelXMatrix() = default;
    KQelXMatrix(const KQelXMatrix& pOther);
    KQelXMatrix(const KQelMatrix& pOther);
    // Scaling pS, then Euler rotation pR (degrees), then translation pT.
    KQelXMatrix(const KQelVector4& pT, const KQelVector4& pR, const KQelVector4& pS);

    KQelXMatrix& operator=(const KQelXMatrix& pOther);
    KQelXMatrix& operator=(const KQelMatrix& pOther);

    // The same storage seen as the core affine matrix.
    operator KgeAMatrix&() { return mMatrix; }
    operator const KgeAMatrix&() const { return mMatrix; }

    // Translation row (x, y, z) with w 0.
    KQelVector4 GetT() const;
    // Euler X, Y, Z angles in degrees of the axis rows divided by GetS; w 0.
    KQelVector4 GetR() const;
    // Lengths of the three axis rows, all three negated when the rows form a
    // left-handed frame ((row 0 x row 1) . row 2 < 0); w 0.
    KQelVector4 GetS() const;
    // The rotation of GetR as a unit quaternion.
    KQelQuaternion GetQ() const;

    // Replace one part, keeping the other two (a mirrored matrix stays
    // mirrored). Angles in degrees.
    void SetT(const KQelVector4& pT);
    void SetR(const KQelVector4& pR);
    void SetS(const KQelVector4& pS);
    // Rotation of pQ (any non-zero length; zero gives the identity).
    void SetQ(const KQelQuaternion& pQ);
    // Scaling, then rotation by pQ, then translation.
    void SetTQS(const KQelVector4& pT, const KQelQuaternion& pQ, const KQelVector4& pS);

    // The point (x, y, z, 1) times the matrix; the result's w is 0.
    KQelVector4 MultT(const KQelVector4& pPoint) const;
    // this * pOther: a point goes through pOther first, then through this.
    KQelXMatrix operator*(const KQelXMatrix& pOther) const;
    // Inverse of a transform without shear (KmAi rules: a zero axis stays zero).
    KQelXMatrix Inverse() const;
    // The full 4x4 transpose.
    KQelXMatrix Transpose() const;
};

}  // namespace qelsdk_600

#endif
