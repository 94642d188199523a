#include "formats/kqeldeformationbaking.h"

#include <vector>

#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelshape.h"
#include "scene/kqelnode.h"

namespace qelsdk_600 {

void ComputeShapeDeformation(KQelNode* /*pNode*/, KQelMesh* pMesh, KQelVector4* pPoints)
{
    if (!pMesh || !pPoints)
        return;
    const int count = pMesh->GetControlPointsCount();
    std::vector<KQelVector4> result(pPoints, pPoints + count);
    for (int s = 0; s < pMesh->GetShapeCount(); ++s) {
        KQelShape* shape = pMesh->GetShape(s);
        if (!shape || shape->GetControlPointsCount() < count)
            continue;
        const double weight = pMesh->GetDefaultShape(s);
        const KQelVector4* target = shape->GetControlPoints();
        for (int i = 0; i < count; ++i)
            result[static_cast<std::size_t>(i)] += (target[i] - pPoints[i]) * weight;
    }
    for (int i = 0; i < count; ++i)
        pPoints[i] = result[static_cast<std::size_t>(i)];
}

void MatrixScale(KQelXMatrix& pMatrix, double pFactor)
{
    double* m = pMatrix;
    for (int i = 0; i < 16; ++i)
        m[i] *= pFactor;
}

void MatrixAddToDiagonal(KQelXMatrix& pMatrix, double pValue)
{
    double* m = pMatrix;
    for (int i = 0; i < 16; i += 5)
        m[i] += pValue;
}

void MatrixAdd(KQelXMatrix& pMatrix, const KQelXMatrix& pOther)
{
    double* m = pMatrix;
    const double* o = pOther;
    for (int i = 0; i < 16; ++i)
        m[i] += o[i];
}

KQelXMatrix GetLocalPosition(KQelNode* pNode)
{
    KQelXMatrix local;
    if (!pNode)
        return local;
    KQelVector4 value;
    local.SetT(pNode->GetDefaultT(value));
    local.SetR(pNode->GetDefaultR(value));
    local.SetS(pNode->GetDefaultS(value));
    return local;
}

KQelXMatrix GetGlobalPosition(KQelNode* pNode)
{
    std::vector<KQelNode*> chain;
    for (KQelNode* node = pNode; node; node = node->GetParent())
        chain.push_back(node);
    if (chain.empty())
        return KQelXMatrix();
    KQelXMatrix global = GetLocalPosition(chain.back());
    for (std::size_t i = chain.size() - 1; i-- > 0;)
        global = global * GetLocalPosition(chain[i]);
    return global;
}

namespace {

// M of one link: carries a point from the mesh's space at binding time,
// through the link node's space then and now, into the mesh's present space.
KQelXMatrix LinkMatrix(KQelLink& pLink, const KQelXMatrix& pWorld, KQelLink::ELinkMode pMode)
{
    KQelXMatrix transformRef;
    KQelXMatrix globalRef = pWorld;
    pLink.GetTransformMatrix(transformRef);
    if (pMode == KQelLink::eAdditive && pLink.GetAssociateModel()) {
        pLink.GetTransformAssociateModelMatrix(transformRef);
        globalRef = GetGlobalPosition(pLink.GetAssociateModel());
    }
    KQelXMatrix transformLink;
    pLink.GetTransformLinkMatrix(transformLink);
    const KQelXMatrix globalLink = GetGlobalPosition(pLink.GetLink());
    const KQelXMatrix bind = transformLink.Inverse() * transformRef;
    const KQelXMatrix now = globalLink.Inverse() * globalRef;
    return now.Inverse() * bind;
}

}  // namespace

void ComputeLinkDeformation(const KQelXMatrix& pWorld, KQelMesh* pMesh, KQelVector4* pPoints)
{
    if (!pMesh || !pPoints || pMesh->GetLinkCount() == 0 || !pMesh->GetLink(0))
        return;
    const KQelLink::ELinkMode mode = pMesh->GetLink(0)->GetLinkMode();
    const int count = pMesh->GetControlPointsCount();
    KQelXMatrix start;
    if (mode != KQelLink::eAdditive)
        MatrixScale(start, 0.0);
    std::vector<KQelXMatrix> sums(static_cast<std::size_t>(count), start);
    std::vector<double> weights(static_cast<std::size_t>(count), 0.0);

    for (int k = 0; k < pMesh->GetLinkCount(); ++k) {
        KQelLink* link = pMesh->GetLink(k);
        if (!link || !link->GetLink())
            continue;
        const KQelXMatrix matrix = LinkMatrix(*link, pWorld, mode);
        const int* indices = link->GetControlPointIndices();
        const double* linkWeights = link->GetControlPointWeights();
        for (int j = 0; j < link->GetControlPointIndicesCount(); ++j) {
            const int c = indices[j];
            const double w = linkWeights[j];
            if (w == 0.0 || c < 0 || c >= count)
                continue;
            KQelXMatrix scaled = matrix;
            MatrixScale(scaled, w);
            KQelXMatrix& sum = sums[static_cast<std::size_t>(c)];
            if (mode == KQelLink::eAdditive) {
                MatrixAddToDiagonal(scaled, 1.0 - w);
                sum = scaled * sum;
                weights[static_cast<std::size_t>(c)] = 1.0;
            } else {
                MatrixAdd(sum, scaled);
                weights[static_cast<std::size_t>(c)] += w;
            }
        }
    }

    for (int i = 0; i < count; ++i) {
        const double weight = weights[static_cast<std::size_t>(i)];
        if (weight == 0.0)
            continue;
        const KQelVector4 point = pPoints[i];
        KQelVector4 moved = sums[static_cast<std::size_t>(i)].MultT(point);
        if (mode == KQelLink::eNormalize)
            moved /= weight;
        else if (mode == KQelLink::eTotal1)
            moved += point * (1.0 - weight);
        pPoints[i] = moved;
    }
}

}  // namespace qelsdk_600
