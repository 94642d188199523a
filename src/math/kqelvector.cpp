#include "math/kqelvector.h"

#include <cmath>

namespace qelsdk_600 {

KQelVector4::KQelVector4(const double* pValues) { *this = pValues; }

KQelVector4& KQelVector4::operator=(const double* pValues) {
    for (int i = 0; i < 4; ++i) mData[i] = pValues[i];
    return *this;
}

KQelVector4 KQelVector4::operator+(const KQelVector4& pOther) const {
    KQelVector4 r(*this);
    return r += pOther;
}

KQelVector4 KQelVector4::operator-(const KQelVector4& pOther) const {
    KQelVector4 r(*this);
    return r -= pOther;
}

KQelVector4 KQelVector4::operator-() const {
    return KQelVector4(-mData[0], -mData[1], -mData[2], -mData[3]);
}

KQelVector4 KQelVector4::operator*(double pFactor) const {
    KQelVector4 r(*this);
    return r *= pFactor;
}

KQelVector4 KQelVector4::operator/(double pDivisor) const {
    KQelVector4 r(*this);
    return r /= pDivisor;
}

KQelVector4& KQelVector4::operator+=(const KQelVector4& pOther) {
    for (int i = 0; i < 4; ++i) mData[i] += pOther.mData[i];
    return *this;
}

KQelVector4& KQelVector4::operator-=(const KQelVector4& pOther) {
    for (int i = 0; i < 4; ++i) mData[i] -= pOther.mData[i];
    return *this;
}

KQelVector4& KQelVector4::operator*=(double pFactor) {
    for (double& v : mData) v *= pFactor;
    return *this;
}

KQelVector4& KQelVector4::operator*=(const KQelVector4& pOther) {
    for (int i = 0; i < 4; ++i) mData[i] *= pOther.mData[i];
    return *this;
}

KQelVector4& KQelVector4::operator/=(double pDivisor) {
    for (double& v : mData) v /= pDivisor;
    return *this;
}

bool KQelVector4::operator==(const KQelVector4& pOther) const {
    for (int i = 0; i < 3; ++i) {
        // Written so that a NaN on either side compares unequal.
        if (!(std::fabs(mData[i] - pOther.mData[i]) <= 1e-6)) return false;
    }
    return true;
}

double KQelVector4::Length() const {
    return std::sqrt(mData[0] * mData[0] + mData[1] * mData[1] + mData[2] * mData[2]);
}

void KQelVector4::Normalize() {
    double len = Length();
    if (len > 0.0) {
        mData[0] /= len;
        mData[1] /= len;
        mData[2] /= len;
    }
}

double KQelVector4::DotProduct(const KQelVector4& pOther) const {
    return mData[0] * pOther.mData[0] + mData[1] * pOther.mData[1] + mData[2] * pOther.mData[2];
}

KQelVector4 KQelVector4::CrossProduct(const KQelVector4& pOther) const {
    const double* a = mData;
    const double* b = pOther.mData;
    return KQelVector4(a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                       a[0] * b[1] - a[1] * b[0], 1.0);
}

}  // namespace qelsdk_600
