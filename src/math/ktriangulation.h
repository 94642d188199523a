// Triangulation of a convex polygon by corner numbers.
#ifndef QELSDK_MATH_KTRIANGULATION_H
#define QELSDK_MATH_KTRIANGULATION_H

namespace qelsdk_600 {

// Writes the corners of the n - 2 triangles of a polygon of n corners into
// pOut (which must hold 3 * (n - 2) ints) as a zigzag strip: (0, 1, 2),
// (2, 3, 0), (0, 3, n-1), (3, 4, n-1), ... Returns the triangle count; 0 and
// nothing written when n < 3 or pOut is null.
int KTriangulation(int* pOut, int pCornerCount);

}  // namespace qelsdk_600

#endif
