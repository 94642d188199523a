// The OBJ reader's records of faces, groups and free-form surfaces, and the
// table of unique corner triples.
#ifndef QELSDK_FORMATS_OBJ_KOBJMODEL_H
#define QELSDK_FORMATS_OBJ_KOBJMODEL_H

#include "base/karraytemplate.h"
#include "base/ktypes.h"

namespace qelsdk_600 {

class KQelMaterial;
class KQelTexture;

// One face corner: indices of a position, a texture coordinate and a normal
// (as written in the file, 0 when absent; once converted, 0-based list
// indices, -1 when absent or out of range), and the control point the
// corner's triple became (0 until the triple table sets it).
class KIndexGroup {
public:
    KIndexGroup() : mPosition(0), mTexture(0), mNormal(0), mControlPoint(0) {}
    KIndexGroup(int pPosition, int pTexture, int pNormal)
        : mPosition(pPosition), mTexture(pTexture), mNormal(pNormal), mControlPoint(0)
    {
    }
    // Equal when the three indices are; the control point is not compared.
    bool operator==(const KIndexGroup& pOther) const
    {
        return mPosition == pOther.mPosition && mTexture == pOther.mTexture && mNormal == pOther.mNormal;
    }
    bool operator!=(const KIndexGroup& pOther) const { return !(*this == pOther); }

    kInt mPosition;
    kInt mTexture;
    kInt mNormal;
    kInt mControlPoint;
};

// One "f" statement: its corners' converted indices, the smoothing group,
// material and texture current when it was read (not owned).
class KObjFace {
public:
    // pCornerHint: the corners expected, so that one allocation holds them.
    KObjFace(int pSmoothingGroup, KQelMaterial* pMaterial, KQelTexture* pTexture, int pCornerHint = 4);

    // Appends a corner; false, adding nothing, for a negative position index.
    // A negative normal or texture-coordinate index clears the matching
    // all-corners flag.
    bool AddVertexGroup(const KIndexGroup& pGroup);
    // Corner pIndex (0 to GetCount() - 1) as a group, control point 0.
    KIndexGroup GetGroupAt(int pIndex) const;
    // Replaces the normal index of a corner (computed normals).
    void SetNormalAt(int pIndex, int pNormal) { mCorners[3 * pIndex + 2] = pNormal; }
    int GetCount() const { return mCount; }

    bool mAllCornersHaveNormals;
    bool mAllCornersHaveTextureCoordinates;
    bool mHasTexture;
    KQelMaterial* mMaterial;
    KQelTexture* mTexture;
    kInt mSmoothingGroup;

private:
    kInt mCount;
    // Position, texture-coordinate and normal index of each corner.
    KArrayTemplate<kInt> mCorners;
};

// The faces of one group name. Walks visit the smoothing groups in ascending
// order of their number taken as unsigned, the faces of one smoothing group
// in file order.
class KObjMesh {
public:
    KObjMesh();
    // Deletes the faces.
    ~KObjMesh();
    KObjMesh(const KObjMesh&) = delete;
    KObjMesh& operator=(const KObjMesh&) = delete;

    // Takes the face (owned from now on) into its smoothing group and folds
    // its flags into the mesh's; true.
    bool AddFace(KObjFace* pFace, int pSmoothingGroup);
    int GetCount() const { return mFaces.GetCount(); }
    // Face pIndex in walk order; null out of range.
    KObjFace* GetFace(int pIndex);

    bool mAllFacesHaveAllNormals;
    bool mAllFacesHaveAllTextureCoordinates;
    bool mAllFacesHaveATexture;
    bool mSomeFaceHasATexture;

private:
    // Puts the faces in walk order when a face came since the last walk.
    void Sort();

    KArrayTemplate<KObjFace*> mFaces;
    bool mSorted;
};

// One "surf" block: the control points' position indices and the knot
// values of its "parm" statements.
class KObjSurf {
public:
    enum ECurveType : kInt { eNone = 0, eBMatrix = 1, eBezier = 2, eBSpline = 3, eCardinal = 4, eTaylor = 5 };

    KObjSurf(ECurveType pType, bool pRational, int pDegreeU, int pDegreeV, KQelMaterial* pMaterial,
             KQelTexture* pTexture);

    // Appends the position index; false, adding nothing, when it is negative.
    bool AddVertexGroup(const KIndexGroup& pGroup);
    // The rest of a "parm" statement: "u" or "v" and its values, split at
    // blanks and tabs (a piece that is not a number repeats the former
    // value, 0.0 first). False when there are fewer than two pieces.
    bool ReadParm(const char* pRest);

    ECurveType mType;
    KQelMaterial* mMaterial;
    KQelTexture* mTexture;
    bool mRational;
    kInt mDegreeU;
    kInt mDegreeV;
    kInt mControlPointCount;
    double mRange[4];
    KArrayTemplate<kInt> mControlPoints;
    KArrayTemplate<double> mU;
    KArrayTemplate<double> mV;
};

// Orders two KIndexGroup by position, then normal, then texture-coordinate
// index: -1, 0 or 1.
int CompareKIndexGroup(const void* pA, const void* pB);
// Adds pGroup to the table (sorted by CompareKIndexGroup, pCount entries in
// pCapacity, both 0 and pTable null for a new one; the caller frees pTable
// with delete[]): its control point becomes the former count, which is
// returned; the table stays sorted and grows geometrically. -1 when it
// cannot grow.
int AddGroupToArray(KIndexGroup*& pTable, int& pCapacity, int& pCount, KIndexGroup& pGroup);
// The entry of the table with the group's three indices, by bisection; null
// when absent.
KIndexGroup* FindGroup(KIndexGroup*& pTable, int& pCount, KIndexGroup& pGroup);

}  // namespace qelsdk_600

#endif
