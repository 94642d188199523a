#include "formats/obj/kobjmodel.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "formats/obj/kqelreaderobj_impl.h"

namespace qelsdk_600 {

KObjFace::KObjFace(int pSmoothingGroup, KQelMaterial* pMaterial, KQelTexture* pTexture, int pCornerHint)
    : mAllCornersHaveNormals(true), mAllCornersHaveTextureCoordinates(true), mHasTexture(pTexture != nullptr),
      mMaterial(pMaterial), mTexture(pTexture), mSmoothingGroup(pSmoothingGroup), mCount(0),
      mCorners(3 * std::max(1, std::min(pCornerHint, 1 << 16)))
{
}

bool KObjFace::AddVertexGroup(const KIndexGroup& pGroup)
{
    if (pGroup.mPosition < 0)
        return false;
    if (pGroup.mNormal < 0)
        mAllCornersHaveNormals = false;
    if (pGroup.mTexture < 0)
        mAllCornersHaveTextureCoordinates = false;
    mCorners.Add(pGroup.mPosition);
    mCorners.Add(pGroup.mTexture);
    mCorners.Add(pGroup.mNormal);
    ++mCount;
    return true;
}

KIndexGroup KObjFace::GetGroupAt(int pIndex) const
{
    const kInt* corner = mCorners.GetArray() + 3 * pIndex;
    return KIndexGroup(corner[0], corner[1], corner[2]);
}

KObjMesh::KObjMesh()
    : mAllFacesHaveAllNormals(true), mAllFacesHaveAllTextureCoordinates(true), mAllFacesHaveATexture(true),
      mSomeFaceHasATexture(false), mFaces(16), mSorted(true)
{
}

KObjMesh::~KObjMesh()
{
    DeleteAndClear(mFaces);
}

bool KObjMesh::AddFace(KObjFace* pFace, int pSmoothingGroup)
{
    pFace->mSmoothingGroup = pSmoothingGroup;
    const int count = mFaces.GetCount();
    if (count > 0 && static_cast<kUInt>(mFaces[count - 1]->mSmoothingGroup) > static_cast<kUInt>(pSmoothingGroup))
        mSorted = false;
    mFaces.Add(pFace);
    mAllFacesHaveAllNormals = mAllFacesHaveAllNormals && pFace->mAllCornersHaveNormals;
    mAllFacesHaveAllTextureCoordinates =
        mAllFacesHaveAllTextureCoordinates && pFace->mAllCornersHaveTextureCoordinates;
    mAllFacesHaveATexture = mAllFacesHaveATexture && pFace->mHasTexture;
    mSomeFaceHasATexture = mSomeFaceHasATexture || pFace->mHasTexture;
    return true;
}

void KObjMesh::Sort()
{
    if (mSorted)
        return;
    KObjFace** faces = mFaces.GetArray();
    std::stable_sort(faces, faces + mFaces.GetCount(), [](const KObjFace* pA, const KObjFace* pB) {
        return static_cast<kUInt>(pA->mSmoothingGroup) < static_cast<kUInt>(pB->mSmoothingGroup);
    });
    mSorted = true;
}

KObjFace* KObjMesh::GetFace(int pIndex)
{
    Sort();
    return pIndex >= 0 && pIndex < mFaces.GetCount() ? mFaces[pIndex] : nullptr;
}

KObjSurf::KObjSurf(ECurveType pType, bool pRational, int pDegreeU, int pDegreeV, KQelMaterial* pMaterial,
                   KQelTexture* pTexture)
    : mType(pType), mMaterial(pMaterial), mTexture(pTexture), mRational(pRational), mDegreeU(pDegreeU),
      mDegreeV(pDegreeV), mControlPointCount(0), mRange{0.0, 0.0, 0.0, 0.0}
{
}

bool KObjSurf::AddVertexGroup(const KIndexGroup& pGroup)
{
    if (pGroup.mPosition < 0)
        return false;
    mControlPoints.Add(pGroup.mPosition);
    ++mControlPointCount;
    return true;
}

bool KObjSurf::ReadParm(const char* pRest)
{
    std::vector<char> text(pRest, pRest + std::strlen(pRest) + 1);
    std::vector<char*> pieces;
    obj_detail::SplitInPlace(text.data(), pieces);
    if (pieces.size() < 2)
        return false;
    KArrayTemplate<double>* values = pieces[0][0] == 'u' ? &mU : pieces[0][0] == 'v' ? &mV : nullptr;
    double value = 0.0;
    for (std::size_t i = 1; values && i < pieces.size(); ++i) {
        obj_detail::ParseDoubles(pieces[i], &value, 1);
        values->Add(value);
    }
    return true;
}

int CompareKIndexGroup(const void* pA, const void* pB)
{
    const KIndexGroup& a = *static_cast<const KIndexGroup*>(pA);
    const KIndexGroup& b = *static_cast<const KIndexGroup*>(pB);
    const kInt keys[2][3] = {{a.mPosition, a.mNormal, a.mTexture}, {b.mPosition, b.mNormal, b.mTexture}};
    for (int i = 0; i < 3; ++i) {
        if (keys[0][i] != keys[1][i])
            return keys[0][i] < keys[1][i] ? -1 : 1;
    }
    return 0;
}

namespace {

// The first entry not ordered before pGroup.
int LowerBound(const KIndexGroup* pTable, int pCount, const KIndexGroup& pGroup)
{
    int low = 0;
    int high = pCount;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (CompareKIndexGroup(&pTable[middle], &pGroup) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

}  // namespace

int AddGroupToArray(KIndexGroup*& pTable, int& pCapacity, int& pCount, KIndexGroup& pGroup)
{
    if (pCount == pCapacity) {
        if (pCapacity > (1 << 29))
            return -1;
        const int capacity = pCapacity < 8 ? 16 : pCapacity * 2;
        KIndexGroup* table = new (std::nothrow) KIndexGroup[capacity];
        if (!table)
            return -1;
        std::copy(pTable, pTable + pCount, table);
        delete[] pTable;
        pTable = table;
        pCapacity = capacity;
    }
    // Inserted at its sorted place: the table stays sorted without sorting
    // it again.
    const int at = LowerBound(pTable, pCount, pGroup);
    std::copy_backward(pTable + at, pTable + pCount, pTable + pCount + 1);
    pTable[at] = pGroup;
    pTable[at].mControlPoint = pCount;
    return pCount++;
}

KIndexGroup* FindGroup(KIndexGroup*& pTable, int& pCount, KIndexGroup& pGroup)
{
    if (pCount < 1)
        return nullptr;
    const int at = LowerBound(pTable, pCount, pGroup);
    return at < pCount && CompareKIndexGroup(&pTable[at], &pGroup) == 0 ? &pTable[at] : nullptr;
}

}  // namespace qelsdk_600
