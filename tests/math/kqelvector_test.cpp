// Vector value types.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "math/kqelvector.h"

using namespace qelsdk_600;

TEST(QelVector4, NewVectorIsAllZeroAndCopiesFromArrays) {
    KQelVector4 v;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(0, v[i]);
    const double values[4] = {1, 2, 3, 4};
    KQelVector4 a(values);
    KQelVector4 b;
    b = values;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(values[i], a.GetAt(i));
        EXPECT_EQ(values[i], b[i]);
    }
    // Arrays copy it as raw bytes.
    KQelVector4 raw;
    std::memcpy(&raw, &a, sizeof raw);
    EXPECT_EQ(4, raw[3]);
}

TEST(QelVector4, EqualityToleratesOneMillionthAndIgnoresW) {
    KQelVector4 a(1, 2, 3, 4);
    EXPECT_TRUE(a == KQelVector4(1 + 0.9e-6, 2 - 0.9e-6, 3, -100));
    EXPECT_FALSE(a != KQelVector4(1 + 0.9e-6, 2, 3, 0));
    EXPECT_FALSE(a == KQelVector4(1, 2, 3 + 1.1e-6, 4));
    EXPECT_TRUE(a != KQelVector4(1, 2 - 1.1e-6, 3, 4));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(a != KQelVector4(nan, 2, 3, 4));
    EXPECT_FALSE(KQelVector4(nan, 0, 0, 0) == KQelVector4(nan, 0, 0, 0));
}

TEST(QelVector4, ArithmeticCoversAllFourComponents) {
    KQelVector4 a(1, 2, 3, 4), b(10, 20, 30, 40);
    KQelVector4 s = a + b, d = b - a, n = -a, m = a * 2, q = b / 10;
    const double es[4] = {11, 22, 33, 44}, ed[4] = {9, 18, 27, 36};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(es[i], s[i]);
        EXPECT_EQ(ed[i], d[i]);
        EXPECT_EQ(-a[i], n[i]);
        EXPECT_EQ(2 * a[i], m[i]);
        EXPECT_EQ(a[i], q[i]);
    }
    KQelVector4 c = a;
    c += b;
    c *= 2;
    c /= 4;
    c *= KQelVector4(2, 2, 2, 0);
    EXPECT_EQ(11, c[0]);
    EXPECT_EQ(0, c[3]);
}

TEST(QelVector4, GeometryUsesXYZOnly) {
    KQelVector4 a(3, 4, 12, 100);
    EXPECT_DOUBLE_EQ(13, a.Length());
    EXPECT_DOUBLE_EQ(3 * 1 + 4 * 2 + 12 * 3, a.DotProduct(KQelVector4(1, 2, 3, 100)));
    a.Normalize();
    EXPECT_DOUBLE_EQ(1, a.Length());
    EXPECT_DOUBLE_EQ(4.0 / 13, a[1]);
    EXPECT_EQ(100, a[3]);

    KQelVector4 x(1, 0, 0, 5), y(0, 1, 0, 5);
    KQelVector4 z = x.CrossProduct(y);
    EXPECT_EQ(0, z[0]);
    EXPECT_EQ(0, z[1]);
    EXPECT_EQ(1, z[2]);
    EXPECT_EQ(1, z[3]);
    KQelVector4 minusZ = y.CrossProduct(x);
    EXPECT_EQ(-1, minusZ[2]);
}

TEST(QelVector4, NormalizingZeroVectorKeepsItZero) {
    KQelVector4 v(0, 0, 0, 2);
    v.Normalize();
    EXPECT_EQ(0, v[0]);
    EXPECT_EQ(0, v[1]);
    EXPECT_EQ(0, v[2]);
    EXPECT_EQ(2, v[3]);
    EXPECT_EQ(0, v.Length());
}

TEST(QelVector2, ComparesExactly) {
    KQelVector2 a;
    EXPECT_EQ(0, a[0]);
    EXPECT_EQ(0, a[1]);
    a.Set(0.5, 1);
    KQelVector2 b(0.5, 1);
    EXPECT_FALSE(a != b);
    b.SetAt(1, 1 + 1e-12);
    EXPECT_TRUE(a != b);
}
