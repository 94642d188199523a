#include "math/ktriangulation.h"

namespace qelsdk_600 {

int KTriangulation(int* pOut, int pCornerCount) {
    if (pOut == nullptr || pCornerCount < 3) return 0;
    const int total = pCornerCount - 2;
    int written = 0;
    auto emit = [&](int p0, int p1, int p2) {
        pOut[3 * written] = p0;
        pOut[3 * written + 1] = p1;
        pOut[3 * written + 2] = p2;
        ++written;
    };

    emit(0, 1, 2);
    int a = 2, b = 3, c = 0, d = pCornerCount - 1;
    // The count check guards the caller's buffer of exactly `total` triangles.
    while (b <= d && written < total) {
        emit(a, b, c);
        if (written == total) break;
        emit(c, b, d);
        a = b;
        b = b + 1;
        c = d;
        d = d - 1;
    }
    return written;
}

}  // namespace qelsdk_600
