// A 4x4 matrix of doubles for row vectors.
#ifndef VESK_MMATRIX_H
#define VESK_MMATRIX_H

#include <vesk/VeskExport.h>

// Rows 0 to 2 are the X, Y and Z axes and row 3 the translation; a point is a
// row vector, so in A * B a point meets A first. A new matrix is the identity.
class VESK_API MMatrix {
public:
    constexpr MMatrix() : matrix{{1.0, 0.0, 0.0, 0.0}, {0.0, 1.0, 0.0, 0.0}, {0.0, 0.0, 1.0, 0.0}, {0.0, 0.0, 0.0, 1.0}} {}
    explicit MMatrix(const double values[4][4]);

    static const MMatrix identity;

    // Element at row r, column c (0 to 3; any other index aborts).
    double& operator()(unsigned int r, unsigned int c);
    double operator()(unsigned int r, unsigned int c) const;
    // Row r (0 to 3; any other index aborts).
    const double* operator[](unsigned int r) const;

    MMatrix operator*(const MMatrix& o) const;
    MMatrix& operator*=(const MMatrix& o);
    MMatrix operator+(const MMatrix& o) const;
    MMatrix operator-(const MMatrix& o) const;
    MMatrix operator*(double s) const;
    bool operator==(const MMatrix& o) const;
    bool operator!=(const MMatrix& o) const { return !(*this == o); }

    // The general inverse; a singular matrix gives the identity.
    MMatrix inverse() const;
    MMatrix transpose() const;
    double det4x4() const;
    double det3x3() const;
    bool isSingular() const;
    bool isEquivalent(const MMatrix& o, double tolerance = 1e-10) const;
    MMatrix& setToIdentity();
    void get(double out[4][4]) const;

    double matrix[4][4];
};

#endif
