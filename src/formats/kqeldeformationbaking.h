// Deformations that a geometry file cannot hold, baked into a mesh's control
// points before the mesh is written (shared by the geometry writers).
#ifndef QELSDK_FORMATS_KQELDEFORMATIONBAKING_H
#define QELSDK_FORMATS_KQELDEFORMATIONBAKING_H

#include "math/kqelmatrix.h"

namespace qelsdk_600 {

class KQelMesh;
class KQelNode;

// Applies the mesh's shapes in place to pPoints (the mesh's N control
// points): each point becomes base + the sum over the shapes of
// weight * (shape point - base), on all four components, where the weight is
// the shape channel's default value (1.0 the full shape) and every difference
// is taken against the points before the first shape. A shape with fewer
// points than the mesh is passed over. pNode is not used. Null mesh or
// points: nothing.
void ComputeShapeDeformation(KQelNode* pNode, KQelMesh* pMesh, KQelVector4* pPoints);

// Applies the mesh's links (clusters) in place to pPoints, pWorld being the
// global matrix of the mesh's node. Every link is taken in the mode of the
// first: normalize divides the weighted sum of the links' matrices by the
// point's total weight, total one adds (1 - total weight) times the point,
// additive chains (w M + (1 - w) I) per link. Links without a link node,
// entries of weight 0.0 and entries whose index lies outside the points are
// passed over; a point that no entry moves is unchanged. A moved point's w
// is 0 in modes normalize and additive, (1 - total weight) times its former
// w in mode total one. Null mesh or points: nothing.
void ComputeLinkDeformation(const KQelXMatrix& pWorld, KQelMesh* pMesh, KQelVector4* pPoints);

// Multiplies each of the 16 elements by pFactor.
void MatrixScale(KQelXMatrix& pMatrix, double pFactor);
// Adds pValue to the four diagonal elements (element 15 included).
void MatrixAddToDiagonal(KQelXMatrix& pMatrix, double pValue);
// Adds pOther into pMatrix, element by element (all 16).
void MatrixAdd(KQelXMatrix& pMatrix, const KQelXMatrix& pOther);

// The node's default translation, rotation (degrees) and scaling as a
// matrix; pivots, pre- and post-rotation and animation play no part.
// Identity for null.
KQelXMatrix GetLocalPosition(KQelNode* pNode);
// The product of GetLocalPosition along the chain from the topmost ancestor
// (included) down to the node; identity for null. Walked without recursion.
KQelXMatrix GetGlobalPosition(KQelNode* pNode);

// The baking above as static members, for the geometry writers to inherit.
class KQelDeformationBaking {
public:
    static void ComputeShapeDeformation(KQelNode* pNode, KQelMesh* pMesh, KQelVector4* pPoints)
    {
        ::qelsdk_600::ComputeShapeDeformation(pNode, pMesh, pPoints);
    }
    static void ComputeLinkDeformation(KQelXMatrix& pWorld, KQelMesh* pMesh, KQelVector4* pPoints)
    {
        ::qelsdk_600::ComputeLinkDeformation(pWorld, pMesh, pPoints);
    }
    static void MatrixScale(KQelXMatrix& pMatrix, double pFactor) { ::qelsdk_600::MatrixScale(pMatrix, pFactor); }
    static void MatrixAddToDiagonal(KQelXMatrix& pMatrix, double pValue)
    {
        ::qelsdk_600::MatrixAddToDiagonal(pMatrix, pValue);
    }
    static void MatrixAdd(KQelXMatrix& pMatrix, KQelXMatrix& pOther) { ::qelsdk_600::MatrixAdd(pMatrix, pOther); }
    static KQelXMatrix GetLocalPosition(KQelNode* pNode) { return ::qelsdk_600::GetLocalPosition(pNode); }
    static KQelXMatrix GetGlobalPosition(KQelNode* pNode) { return ::qelsdk_600::GetGlobalPosition(pNode); }
};

}  // namespace qelsdk_600

#endif
