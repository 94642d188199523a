// Cluster links: which control points of a geometry a driving node moves.
#ifndef QELSDK_CONTENT_KQELLINK_H
#define QELSDK_CONTENT_KQELLINK_H

#include "base/karraytemplate.h"
#include "base/kstring.h"
#include "base/ktypes.h"
#include "math/kqelmatrix.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

class KQelDeformer;
class KQelNode;

// The transforms of a link, each held as T, R (Euler degrees), S:
// name prefix and slot.
#define QEL_LINK_TRANSFORMS(X)          \
    X(Transform, 0)                     \
    X(TransformLink, 1)                 \
    X(TransformAssociateModel, 2)       \
    X(TransformParent, 3)

// Copies the four transforms, as matrices, between links and cluster
// deformers (any two classes with the Get/Set<Name>Matrix accessors).
template <class To, class From>
void KQelCopyTransformMatrices(To& pTo, const From& pFrom)
{
    KQelXMatrix matrix;
#define QEL_LINK_COPY_MATRIX(Name, Slot) pTo.Set##Name##Matrix(pFrom.Get##Name##Matrix(matrix));
    QEL_LINK_TRANSFORMS(QEL_LINK_COPY_MATRIX)
#undef QEL_LINK_COPY_MATRIX
}

// Binds control points of one geometry to a driving node (a bone): the linked
// node and an associate model, one weight per control-point index, how the
// weights combine, user data and four reference transforms. A geometry owns
// its links; the manager creates and destroys them. No operation fails: null
// nodes and negative indices are ignored.
class KQelLink {
public:
    // How the weights combine. File tokens: none for eNormalize, "Additive",
    // "Total1".
    enum ELinkMode : kInt { eNormalize = 0, eAdditive = 1, eTotal1 = 2 };

    // Reset.
    KQelLink();
    virtual ~KQelLink();
    KQelLink(const KQelLink&) = delete;

    // No nodes, empty names and user data, mode eAdditive, every transform
    // T (0, 0, 0, 1), R (0, 0, 0, 1), S (1, 1, 1, 1), parent transform not
    // given, no indices.
    void Reset();

    // ---- Nodes ----

    // Stores the node and a copy of its current name; null is ignored.
    void SetLink(KQelNode* pNode);
    KQelNode* GetLink() const { return mLink; }
    // The name stored by SetLink (not refreshed).
    KString GetLinkName() const { return mLinkName; }
    // Stores the node (null allowed) and its name (empty for null).
    void SetAssociateModel(KQelNode* pNode);
    KQelNode* GetAssociateModel() const { return mAssociateModel; }
    // The stored name, first refreshed from the node when there is one.
    KString GetAssociateModelName();
    // Store a name for a node still to be found (a file names its nodes);
    // the node itself is cleared.
    void SetLinkName(const KString& pName);
    void SetAssociateModelName(const KString& pName);

    // ---- Mode and user data ----

    void SetLinkMode(ELinkMode pMode) { mLinkMode = pMode; }
    ELinkMode GetLinkMode() const { return mLinkMode; }
    void SetUserData(const KString& pUserDataID, const KString& pUserData);
    KString GetUserDataID() const { return mUserDataID; }
    KString GetUserData() const { return mUserData; }
    // The user data when pUserDataID equals the stored id without regard to
    // case; else the empty text.
    KString GetUserData(const KString& pUserDataID) const;

    // ---- Transforms ----

    // Set<Name>T/R/S copy the vector into the field (the TransformParent
    // setters also mark the parent transform as given); Get<Name>T/R/S copy
    // the field into pVector and return it.
#define QEL_LINK_TRS_ACCESSORS(Name, Slot)                                                       \
    void Set##Name##T(const KQelVector4& pVector) { SetTransformPart(Slot, 0, pVector); }         \
    void Set##Name##R(const KQelVector4& pVector) { SetTransformPart(Slot, 1, pVector); }         \
    void Set##Name##S(const KQelVector4& pVector) { SetTransformPart(Slot, 2, pVector); }         \
    KQelVector4& Get##Name##T(KQelVector4& pVector) const { return pVector = mTRS[Slot][0]; }     \
    KQelVector4& Get##Name##R(KQelVector4& pVector) const { return pVector = mTRS[Slot][1]; }     \
    KQelVector4& Get##Name##S(KQelVector4& pVector) const { return pVector = mTRS[Slot][2]; }     \
    /* T, R, S from the matrix (GetT, GetR, GetS). */                                             \
    void Set##Name##Matrix(const KQelXMatrix& pMatrix) { SetMatrixOf(Slot, pMatrix); }     \
    /* pMatrix rebuilt from T, R, S (SetTRS); returns it. */                                      \
    KQelXMatrix& Get##Name##Matrix(KQelXMatrix& pMatrix) const { return GetMatrixOf(Slot, pMatrix); }
    QEL_LINK_TRANSFORMS(QEL_LINK_TRS_ACCESSORS)
#undef QEL_LINK_TRS_ACCESSORS

    // Whether the parent transform was given.
    bool IsTransformParentSet() const { return mTransformParentSet; }

    // ---- Control points ----

    // Appends an index and its weight; a negative index is ignored.
    void AddControlPointIndex(int pIndex, double pWeight);
    int GetControlPointIndicesCount() const { return mIndices.GetCount(); }
    // The first index and weight; null while nothing was ever added since
    // the last Reset.
    int* GetControlPointIndices() { return mIndices.GetArray(); }
    double* GetControlPointWeights() { return mWeights.GetArray(); }

    // ---- Assignment ----

    // Reset, then the other's nodes (names taken from the nodes now), user
    // data, mode, transforms, parent flag, indices and weights. Itself:
    // nothing.
    KQelLink& operator=(const KQelLink& pOther);
    // Reset; then, for a cluster deformer only, its mode, user data, the
    // pairs with a non-negative index, its four matrices and its parent flag.
    // The nodes stay null.
    KQelLink& operator=(const KQelDeformer& pDeformer);

private:
    // The hard-edge split and merge of a mesh renumber the pairs in place.
    friend class KQelMesh;

    void SetTransformPart(int pSlot, int pPart, const KQelVector4& pVector);
    void SetMatrixOf(int pSlot, const KQelXMatrix& pMatrix);
    KQelXMatrix& GetMatrixOf(int pSlot, KQelXMatrix& pMatrix) const;
    // The node's current name; empty for null.
    static KString NodeName(KQelNode* pNode);

    KQelNode* mLink;
    KString mLinkName;
    ELinkMode mLinkMode;
    KQelNode* mAssociateModel;
    KString mAssociateModelName;
    KString mUserDataID;
    KString mUserData;
    // [transform][0 T, 1 R, 2 S], transforms in QEL_LINK_TRANSFORMS order.
    KQelVector4 mTRS[4][3];
    bool mTransformParentSet;
    KArrayTemplate<int> mIndices;
    KArrayTemplate<double> mWeights;
};

}  // namespace qelsdk_600

#endif
