// Lights and cameras turned to the SDK's orientation (the host's lights
// shine and its cameras look down -Z), and the world transforms of the
// nodes.
#include <cmath>
#include <vector>

#include <vesk/MEulerRotation.h>
#include <vesk/MFnTransform.h>
#include <vesk/MMatrix.h>
#include <vesk/MQuaternion.h>
#include <vesk/MTransformationMatrix.h>

#include "export/qelveskexport.h"
#include "math/kanrotationorder.h"
#include "math/kmfunctions.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskutility.h"

using namespace qelsdk_600;

namespace {

const double kQuarterTurn = 1.5707963267948966;

// The re-orientation a path gets: none, a quarter turn about X (spot and
// directional lights) or about Y (cameras, unless of the fixture type). A
// path that is both a light and a camera is turned as a camera.
enum class ETurn { kNone, kLight, kCamera };

ETurn TurnOf(const MDagPath& pPath)
{
    if (pPath.hasFn(MFn::kCamera) && !pPath.hasFn(MFn::kFixtureTransform))
        return ETurn::kCamera;
    if (pPath.hasFn(MFn::kSpotLight) || pPath.hasFn(MFn::kDirectionalLight))
        return ETurn::kLight;
    return ETurn::kNone;
}

void CopyMatrix(const MMatrix& pFrom, KgeAMatrix& pTo)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            pTo.mData[row][column] = pFrom.matrix[row][column];
}

double Dot3(const double* pA, const double* pB)
{
    return pA[0] * pB[0] + pA[1] * pB[1] + pA[2] * pB[2];
}

void Cross3(const double* pA, const double* pB, double* pOut)
{
    pOut[0] = pA[1] * pB[2] - pA[2] * pB[1];
    pOut[1] = pA[2] * pB[0] - pA[0] * pB[2];
    pOut[2] = pA[0] * pB[1] - pA[1] * pB[0];
}

// Splits an affine matrix into translation, Euler XYZ rotation (degrees)
// and scaling. A negative determinant negates all three scales. A row of
// zero length is left undivided: the rotation then comes from the other two
// rows, the missing axis their cross product, or is (0, 0, 0) with fewer
// than two rows to go by.
void Split(const KgeAMatrix& pMatrix, double pTranslation[3], double pRotation[3], double pScaling[3])
{
    const double(*rows)[4] = pMatrix.mData;
    double cross[3];
    Cross3(rows[0], rows[1], cross);
    const double sign = Dot3(cross, rows[2]) < 0.0 ? -1.0 : 1.0;
    KgeRMatrix rotation;
    int usable = 0;
    bool zero[3];
    for (int i = 0; i < 3; ++i) {
        pTranslation[i] = rows[3][i];
        const double length = std::sqrt(Dot3(rows[i], rows[i]));
        pScaling[i] = sign * length;
        zero[i] = !(length > 0.0) || !std::isfinite(length);
        if (zero[i])
            continue;
        ++usable;
        for (int column = 0; column < 3; ++column)
            rotation.mData[i][column] = rows[i][column] / pScaling[i];
    }
    pRotation[0] = pRotation[1] = pRotation[2] = 0.0;
    if (usable < 2)
        return;
    for (int i = 0; i < 3; ++i) {
        if (!zero[i])
            continue;
        // Row i = row i+1 x row i+2, as X = Y x Z, Y = Z x X, Z = X x Y.
        double axis[3];
        Cross3(rotation.mData[(i + 1) % 3], rotation.mData[(i + 2) % 3], axis);
        const double length = std::sqrt(Dot3(axis, axis));
        if (!(length > 0.0))
            return;
        for (int column = 0; column < 3; ++column)
            rotation.mData[i][column] = axis[column] / length;
    }
    KmRtoVXYZ(pRotation, rotation);
}

}  // namespace

void QelVeskExport::AdjustTransform(QelVeskNode& pNode, MFnTransform& pTransform, KFCurveNode&)
{
    const MDagPath* path = pNode.GetDagPath();
    const ETurn turn = path ? TurnOf(*path) : ETurn::kNone;
    if (turn == ETurn::kNone)
        return;
    // Rows are the turned axes: a quarter turn about X, or about Y.
    static const double kLightTurn[4][4] = {{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}, {0, 0, 0, 1}};
    static const double kCameraTurn[4][4] = {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}};
    const MMatrix oriented =
        pTransform.rotateOrientation(MSpace::kTransform).asMatrix() * MMatrix(turn == ETurn::kCamera ? kCameraTurn : kLightTurn);
    KgeAMatrix matrix;
    CopyMatrix(oriented, matrix);
    KgeRMatrix inverse;
    KmRi(inverse, matrix);
    KgeRVector angles;
    // The converter numbers the Euler orders twice the SDK's numbers.
    KANRotationOrder(2 * QelVeskUtility::GetRotationOrder(pTransform)).M2V(angles, inverse);
    pNode.SetPostRotation(KQelNode::eSourcePivot, KQelVector4(angles[0], angles[1], angles[2], 1.0));
}

void QelVeskExport::ExtractGlobalTransforms(QelVeskNode* pNode)
{
    // Parents before children, the last child first, without recursion.
    std::vector<KQelNode*> pending;
    if (pNode)
        pending.push_back(pNode);
    while (!pending.empty()) {
        QelVeskNode* node = static_cast<QelVeskNode*>(pending.back());
        pending.pop_back();
        for (int i = 0; i < node->GetChildCount(false); ++i)
            pending.push_back(node->GetChild(i));

        const MDagPath* path = node->GetDagPath();
        if (!path)
            continue;
        MStatus status;
        const MObject transformNode = path->transform(&status);
        if (!status)
            continue;
        const MFnTransform transform(transformNode, &status);
        if (!status)
            continue;
        MTransformationMatrix local = transform.transformation();
        const ETurn turn = TurnOf(*path);
        if (turn == ETurn::kLight)
            local.rotateBy(MEulerRotation(kQuarterTurn, 0.0, 0.0, MEulerRotation::kXYZ), MSpace::kTransform);
        else if (turn == ETurn::kCamera)
            local.rotateBy(MEulerRotation(0.0, kQuarterTurn, 0.0, MEulerRotation::kXYZ), MSpace::kTransform);
        KgeAMatrix global;
        CopyMatrix(local.asMatrix(), global);

        if (QelVeskNode* parent = static_cast<QelVeskNode*>(node->GetParent())) {
            const KgeTVector& t = parent->GetGlobalTranslation();
            const KgeRVector& r = parent->GetGlobalRotation();
            const KgeSVector& s = parent->GetGlobalScaling();
            KgeAMatrix world;
            KmIJKtoR(world, r[0], r[1], r[2], 0);
            for (int row = 0; row < 3; ++row) {
                for (int column = 0; column < 3; ++column)
                    world.mData[row][column] *= s[row];
                world.mData[3][row] = t[row];
            }
            KmAA(global, world, global);
        }
        double translation[3], rotation[3], scaling[3];
        Split(global, translation, rotation, scaling);
        KgeTVector globalT(translation[0], translation[1], translation[2]);
        KgeRVector globalR(rotation[0], rotation[1], rotation[2]);
        KgeSVector globalS(scaling[0], scaling[1], scaling[2]);
        node->SetGlobalTranslation(globalT);
        node->SetGlobalRotation(globalR);
        node->SetGlobalScaling(globalS);
    }
}
