// Free functions of the deformation import: skin weights onto a host skin
// cluster, weight pre-normalisation, and the conversions between host
// transformation matrices and SDK matrices kept beside it.
#ifndef QELVESK_IMPORT_QELVESKIMPORTDEFORM_H
#define QELVESK_IMPORT_QELVESKIMPORTDEFORM_H

#include <vesk/MObject.h>

#include "math/kgematrix.h"
#include "math/kgevector.h"

class MFnSkinCluster;
class MString;
class MStringArray;
class MTransformationMatrix;
class QelVeskNode;
namespace qelsdk_600 {
class KQelGeometry;
class KQelLink;
}

// Writes the link's weights (as floats) as those of influence pIndex (a
// logical index) on the node's geometry through one setWeights call,
// normalising the other influences when pNormalize. Points are vertex
// indices, or on a NURBS surface (k / U count, k mod U count) and, where
// the node's surface was built open with wrap-around CVs, their copies too.
// Nothing for a node without geometry or path; a surface with a U count of
// 0 gets nothing. Host failures are printed.
void SetVeskSmoothBindingVeskParameter(QelVeskNode* pNode, qelsdk_600::KQelLink* pLink, int pIndex,
                                       MFnSkinCluster& pSkin, bool pNormalize);

// Makes each control point's weights over the normalising links of the
// geometry (those with a linked node, mode normalize or total one) sum to
// 1: a single weight strictly between 0 and 1 becomes 1, two or more are
// divided by their sum; a sum of 0 or one that is not finite leaves them.
// Additive links never change. O(points + entries).
void PreNormalize(qelsdk_600::KQelGeometry* pGeometry);

// The SDK matrix of a host transformation (reordered to XYZ in place):
// rows 0 to 2 the XYZ rotation axes scaled by the world-space scale, row 3
// the world-space translation; only the first three columns are written.
void SetMatrix(MTransformationMatrix& pHost, qelsdk_600::KgeAMatrix& pMatrix);
// The same reordering, then translation, XYZ rotation in degrees and scale.
void SetVector(MTransformationMatrix& pHost, qelsdk_600::KgeTVector& pT, qelsdk_600::KgeRVector& pR,
               qelsdk_600::KgeSVector& pS);
// As SetMatrix from the node's stored global translation, rotation
// (degrees, XYZ) and scaling.
void SetMatrixFromGlobal(QelVeskNode* pNode, qelsdk_600::KgeAMatrix& pMatrix);

// The host object named by entry pIndex of a command's result, or by
// pName; the null object, with "Result object not found." printed, when
// there is none.
MObject GetResultObject(MStringArray& pResult, unsigned int pIndex);
MObject GetResultObject(const MString& pName);

#endif
