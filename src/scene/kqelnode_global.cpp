// The global matrix of a pivot set, and the local/global pair that keeps
// rotation and scaling apart.
#include "math/kmfunctions.h"
#include "scene/kqelnode.h"
#include "scene/kqelnode_impl.h"

namespace qelsdk_600 {

namespace {

// 3x3 product: a point goes through pA, then pB.
void Then(KgeAMatrix& pOut, const KgeAMatrix& pA, const KgeAMatrix& pB)
{
    KmRR(pOut, pB, pA);
}

KgeAMatrix Euler(const KQelVector4& pAngles)
{
    KgeAMatrix r;
    KmXYZtoR(r, pAngles[0], pAngles[1], pAngles[2]);
    return r;
}

// Rotation and signed scaling of a matrix: the rotation of its Euler angles
// (the normalised block rebuilt through Euler XYZ), the scaling of its axis
// lengths, all negated for a mirrored frame. As KQelXMatrix::GetR and GetS
// take them, so a zero axis is rebuilt from the other two.
struct RotationScaling {
    explicit RotationScaling(const KQelXMatrix& pMatrix) : mRotation(Euler(pMatrix.GetR())), mScaling(pMatrix.GetS()) {}
    KgeAMatrix mRotation;
    KQelVector4 mScaling;
};

// Rows of pRotation scaled by pScaling, translation pTranslation.
void Compose(KQelXMatrix& pOut, const KgeAMatrix& pRotation, const KQelVector4& pScaling,
             const KQelVector4& pTranslation)
{
    KgeAMatrix& out = pOut;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            out[row][column] = pRotation[row][column] * pScaling[row];
        out[3][row] = pTranslation[row];
    }
}

// The point (x, y, z) through the 3x4 part of pMatrix.
KQelVector4 Through(const KgeAMatrix& pMatrix, const double* pPoint)
{
    KQelVector4 result;
    for (int j = 0; j < 3; ++j)
        result[j] = pPoint[0] * pMatrix[0][j] + pPoint[1] * pMatrix[1][j] + pPoint[2] * pMatrix[2][j] + pMatrix[3][j];
    return result;
}

}  // namespace

KQelMatrix& KQelNode::GetGlobalMatrix(EPivotSet pSet, bool pForceRecompute)
{
    KQelPivot& pivot = mProperties->GetPivot(pSet);
    if (!pForceRecompute && pivot.mGlobalMatrixValid)
        return pivot.mGlobalMatrix;
    KQelNode* root = this;
    while (KQelNode* parent = root->GetParent())
        root = parent;
    root->ComputeGlobalMatrix(pSet);
    return pivot.mGlobalMatrix;
}

KQelVector4 KQelNode::GetGlobalT(EPivotSet pSet, bool pForceRecompute)
{
    return KQelXMatrix(GetGlobalMatrix(pSet, pForceRecompute)).GetT();
}

KQelVector4 KQelNode::GetGlobalR(EPivotSet pSet, bool pForceRecompute)
{
    return KQelXMatrix(GetGlobalMatrix(pSet, pForceRecompute)).GetR();
}

KQelVector4 KQelNode::GetGlobalS(EPivotSet pSet, bool pForceRecompute)
{
    return KQelXMatrix(GetGlobalMatrix(pSet, pForceRecompute)).GetS();
}

void KQelNode::ComputeGlobalMatrix(EPivotSet pSet)
{
    KQelWalkTree(this, [pSet, this](KQelNode* pNode) {
        KQelPivot& pivot = pNode->mProperties->GetPivot(pSet);
        const bool active = pivot.mPivotState == eQelPivotActive;
        KQelNode* parent = pNode->GetParent();
        // Within the walk every parent is done first; only this node's own
        // parent may need the whole tree refreshed.
        KQelXMatrix parentGlobal;
        if (parent)
            parentGlobal = pNode == this ? parent->GetGlobalMatrix(pSet, false)
                                         : parent->mProperties->GetPivot(pSet).mGlobalMatrix;

        KQelVector4 t(0.0, 0.0, 0.0, 0.0), r(0.0, 0.0, 0.0, 0.0), s(1.0, 1.0, 1.0, 0.0);
        pNode->GetDefaultT(t);
        pNode->GetDefaultR(r);
        pNode->GetDefaultS(s);
        if (active)
            t += pivot.mRotationPivot;
        if (parent) {
            const KQelPivot& parentPivot = parent->mProperties->GetPivot(pSet);
            if (parentPivot.mPivotState == eQelPivotActive) {
                // The parent's pivot turned back by its post-rotation: the
                // row vector times the transpose.
                const KgeAMatrix post = Euler(parentPivot.mPostRotation);
                for (int j = 0; j < 3; ++j)
                    t[j] -= parentPivot.mRotationPivot[0] * post[j][0] + parentPivot.mRotationPivot[1] * post[j][1] +
                            parentPivot.mRotationPivot[2] * post[j][2];
            }
        }
        if (active)
            t += pivot.mRotationOffset;

        // L = S, then post-rotation, rotation, pre-rotation, then t.
        KgeAMatrix local;
        for (int i = 0; i < 3; ++i)
            local[i][i] = s[i];
        if (active)
            Then(local, local, Euler(pivot.mPostRotation));
        Then(local, local, Euler(r));
        if (active)
            Then(local, local, Euler(pivot.mPreRotation));
        for (int j = 0; j < 3; ++j)
            local[3][j] = t[j];

        KQelXMatrix global;
        KmAA(static_cast<KgeAMatrix&>(global), static_cast<const KgeAMatrix&>(parentGlobal), local);
        pivot.mGlobalMatrix = global;
        pivot.mGlobalMatrixValid = true;
        return eQelWalkDescend;
    });
}

void KQelNode::ComputeGlobalMatrixSorvinnStyle(KQelXMatrix& pGlobal, KQelXMatrix& pParentGlobal,
                                               KQelXMatrix& pLocal)
{
    const RotationScaling local(pLocal), parent(pParentGlobal);
    KgeAMatrix rotation;
    Then(rotation, local.mRotation, parent.mRotation);
    KQelVector4 scaling;
    for (int i = 0; i < 3; ++i)
        scaling[i] = local.mScaling[i] * parent.mScaling[i];
    Compose(pGlobal, rotation, scaling, Through(pParentGlobal, static_cast<const KgeAMatrix&>(pLocal)[3]));
}

void KQelNode::ComputeLocalMatrixSorvinnStyle(KQelXMatrix& pLocal, KQelXMatrix& pParentGlobal,
                                              KQelXMatrix& pGlobal)
{
    const RotationScaling global(pGlobal), parent(pParentGlobal);
    KgeAMatrix rotation;
    KmRiR(rotation, parent.mRotation, global.mRotation);
    KQelVector4 scaling;
    for (int i = 0; i < 3; ++i)
        scaling[i] = parent.mScaling[i] != 0.0 ? global.mScaling[i] / parent.mScaling[i] : 0.0;
    KgeAMatrix inverse;
    KmAi(inverse, static_cast<const KgeAMatrix&>(pParentGlobal));
    Compose(pLocal, rotation, scaling, Through(inverse, static_cast<const KgeAMatrix&>(pGlobal)[3]));
}

}  // namespace qelsdk_600
