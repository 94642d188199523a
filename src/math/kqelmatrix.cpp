#include "math/kqelmatrix.h"

#include <cmath>

#include "math/kmfunctions.h"

namespace qelsdk_600 {

namespace {

// Rows of rotation r scaled by s[i] into the 3x3 part of m.
void SetRotationScaling(KgeAMatrix& m, const KgeRMatrix& r, const double* s) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = r[i][j] * s[i];
}

double RowLength(const KgeAMatrix& m, int i) {
    return std::sqrt(m[i][0] * m[i][0] + m[i][1] * m[i][1] + m[i][2] * m[i][2]);
}

bool IsLeftHanded(const KgeAMatrix& m) {
    double cx = m[0][1] * m[1][2] - m[0][2] * m[1][1];
    double cy = m[0][2] * m[1][0] - m[0][0] * m[1][2];
    double cz = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    return cx * m[2][0] + cy * m[2][1] + cz * m[2][2] < 0.0;
}

// The rotation left once the signed scaling of GetS is divided out: a mirrored
// frame has all three rows negated, which makes it proper again.
void RotationOf(const KgeAMatrix& m, KgeRMatrix& r) {
    if (IsLeftHanded(m)) {
        KgeAMatrix flipped;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) flipped[i][j] = -m[i][j];
        KgeSetRM(r, flipped);
    } else {
        KgeSetRM(r, m);
    }
}

void SetTranslation(KgeAMatrix& m, const KQelVector4& t) {
    for (int j = 0; j < 3; ++j) m[3][j] = t[j];
}

void SetAffineColumn(KgeAMatrix& m) {
    m[0][3] = m[1][3] = m[2][3] = 0.0;
    m[3][3] = 1.0;
}

}  // namespace

KQelMatrix::KQelMatrix(const KQelVector4& pT, const KQelVector4& pR, const KQelVector4& pS) {
    SetTRS(pT, pR, pS);
}

void KQelMatrix::SetTRS(const KQelVector4& pT, const KQelVector4& pR, const KQelVector4& pS) {
    KgeRMatrix r;
    KmXYZtoR(r, pR[0], pR[1], pR[2]);
    SetRotationScaling(mMatrix, r, pS);
    SetTranslation(mMatrix, pT);
    SetAffineColumn(mMatrix);
}

KQelVector4 KQelMatrix::GetRow(int pIndex) const {
    if (pIndex < 0 || pIndex > 3) return KQelVector4();
    return KQelVector4(mMatrix.mData[pIndex]);
}

bool KQelMatrix::operator==(const KQelMatrix& pOther) const {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (mMatrix[i][j] != pOther.mMatrix[i][j]) return false;
    return true;
}

KQelXMatrix::KQelXMatrix(const KQelXMatrix& pOther) : KQelMatrix() { *this = pOther; }

KQelXMatrix::KQelXMatrix(const KQelMatrix& pOther) : KQelMatrix() { *this = pOther; }

KQelXMatrix::KQelXMatrix(const KQelVector4& pT, const KQelVector4& pR, const KQelVector4& pS)
    : KQelMatrix(pT, pR, pS) {}

KQelXMatrix& KQelXMatrix::operator=(const KQelXMatrix& pOther) {
    return *this = static_cast<const KQelMatrix&>(pOther);
}

KQelXMatrix& KQelXMatrix::operator=(const KQelMatrix& pOther) {
    const double* src = pOther;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j) mMatrix[i][j] = src[4 * i + j];
    return *this;
}

KQelVector4 KQelXMatrix::GetT() const {
    return KQelVector4(mMatrix[3][0], mMatrix[3][1], mMatrix[3][2], 0.0);
}

KQelVector4 KQelXMatrix::GetR() const {
    KgeRMatrix r;
    RotationOf(mMatrix, r);
    double v[3];
    KmRtoVXYZ(v, r);
    return KQelVector4(v[0], v[1], v[2], 0.0);
}

KQelVector4 KQelXMatrix::GetS() const {
    double sign = IsLeftHanded(mMatrix) ? -1.0 : 1.0;
    return KQelVector4(sign * RowLength(mMatrix, 0), sign * RowLength(mMatrix, 1),
                       sign * RowLength(mMatrix, 2), 0.0);
}

KQelQuaternion KQelXMatrix::GetQ() const {
    KgeRMatrix r;
    RotationOf(mMatrix, r);
    KQelQuaternion q;
    KmRtoQ(q.mData, r);
    return q;
}

void KQelXMatrix::SetT(const KQelVector4& pT) { SetTranslation(mMatrix, pT); }

void KQelXMatrix::SetR(const KQelVector4& pR) {
    KQelVector4 s = GetS();
    KgeRMatrix r;
    KmXYZtoR(r, pR[0], pR[1], pR[2]);
    SetRotationScaling(mMatrix, r, s);
}

void KQelXMatrix::SetS(const KQelVector4& pS) {
    KgeRMatrix r;
    RotationOf(mMatrix, r);
    SetRotationScaling(mMatrix, r, pS);
}

void KQelXMatrix::SetQ(const KQelQuaternion& pQ) {
    KQelVector4 s = GetS();
    KgeRMatrix r;
    KmQtoR(r, pQ);
    SetRotationScaling(mMatrix, r, s);
}

void KQelXMatrix::SetTQS(const KQelVector4& pT, const KQelQuaternion& pQ, const KQelVector4& pS) {
    KgeRMatrix r;
    KmQtoR(r, pQ);
    SetRotationScaling(mMatrix, r, pS);
    SetTranslation(mMatrix, pT);
    SetAffineColumn(mMatrix);
}

KQelVector4 KQelXMatrix::MultT(const KQelVector4& pPoint) const {
    KQelVector4 out(0.0, 0.0, 0.0, 0.0);
    for (int j = 0; j < 3; ++j)
        out[j] = pPoint[0] * mMatrix[0][j] + pPoint[1] * mMatrix[1][j] +
                 pPoint[2] * mMatrix[2][j] + mMatrix[3][j];
    return out;
}

KQelXMatrix KQelXMatrix::operator*(const KQelXMatrix& pOther) const {
    KQelXMatrix out;
    KmAA(out.mMatrix, mMatrix, pOther.mMatrix);
    return out;
}

KQelXMatrix KQelXMatrix::Inverse() const {
    KQelXMatrix out;
    KmAi(out.mMatrix, mMatrix);
    return out;
}

KQelXMatrix KQelXMatrix::Transpose() const {
    KQelXMatrix out;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) out.mMatrix[i][j] = mMatrix[j][i];
    return out;
}

}  // namespace qelsdk_600
