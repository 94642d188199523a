// Vector value types of the scene SDK.
#ifndef QELSDK_MATH_KQELVECTOR_H
#define QELSDK_MATH_KQELVECTOR_H

#include <type_traits>

namespace qelsdk_600 {

// Two doubles (u, v). Trivially copyable: arrays copy it as raw bytes.
class KQelVector2 {
public:
    KQelVector2() : mData{0.0, 0.0} {}
    KQelVector2(double pU, double pV) : mData{pU, pV} {}

    void Set(double pU, double pV) { mData[0] = pU; mData[1] = pV; }
    // Index 0 or 1, not checked.
    void SetAt(int pIndex, double pValue) { mData[pIndex] = pValue; }
    double GetAt(int pIndex) const { return mData[pIndex]; }
    double& operator[](int pIndex) { return mData[pIndex]; }
    const double& operator[](int pIndex) const { return mData[pIndex]; }

    // Exact component comparison.
    bool operator==(const KQelVector2& pOther) const {
        return mData[0] == pOther.mData[0] && mData[1] == pOther.mData[1];
    }
    bool operator!=(const KQelVector2& pOther) const { return !(*this == pOther); }

    double mData[2];
};

// Four doubles (x, y, z, w); a new one is (0, 0, 0, 0). Length, products,
// normalisation and comparison use x, y, z only; the arithmetic operators work
// on all four. Trivially copyable: arrays copy it as raw bytes.
class KQelVector4 {
public:
    KQelVector4() : mData{0.0, 0.0, 0.0, 0.0} {}
    KQelVector4(double pX, double pY, double pZ, double pW) : mData{pX, pY, pZ, pW} {}
    // Copies four doubles from pValues.
    explicit KQelVector4(const double* pValues);

    // Copies four doubles from pValues.
    KQelVector4& operator=(const double* pValues);

    void Set(double pX, double pY, double pZ, double pW) {
        mData[0] = pX; mData[1] = pY; mData[2] = pZ; mData[3] = pW;
    }
    // Index 0 to 3, not checked.
    void SetAt(int pIndex, double pValue) { mData[pIndex] = pValue; }
    double GetAt(int pIndex) const { return mData[pIndex]; }
    double& operator[](int pIndex) { return mData[pIndex]; }
    const double& operator[](int pIndex) const { return mData[pIndex]; }
    operator const double*() const { return mData; }

    KQelVector4 operator+(const KQelVector4& pOther) const;
    KQelVector4 operator-(const KQelVector4& pOther) const;
    KQelVector4 operator-() const;
    KQelVector4 operator*(double pFactor) const;
    KQelVector4 operator/(double pDivisor) const;
    KQelVector4& operator+=(const KQelVector4& pOther);
    KQelVector4& operator-=(const KQelVector4& pOther);
    KQelVector4& operator*=(double pFactor);
    // Component by component, all four.
    KQelVector4& operator*=(const KQelVector4& pOther);
    KQelVector4& operator/=(double pDivisor);

    // True when x, y and z each differ by at most 1e-6; w is ignored.
    bool operator==(const KQelVector4& pOther) const;
    bool operator!=(const KQelVector4& pOther) const { return !(*this == pOther); }

    // Length of (x, y, z).
    double Length() const;
    // Scales x, y, z to unit length; a zero vector stays zero, w is kept.
    void Normalize();
    // Dot product of the x, y, z parts.
    double DotProduct(const KQelVector4& pOther) const;
    // this x pOther on the x, y, z parts, with w 1.
    KQelVector4 CrossProduct(const KQelVector4& pOther) const;

    double mData[4];
};

static_assert(std::is_trivially_copyable<KQelVector2>::value && sizeof(KQelVector2) == 16,
              "KQelVector2 is copied as 16 raw bytes");
static_assert(std::is_trivially_copyable<KQelVector4>::value && sizeof(KQelVector4) == 32,
              "KQelVector4 is copied as 32 raw bytes");

}  // namespace qelsdk_600

#endif
