// Deformers: the scene-level, animatable form of skins and their clusters.
#ifndef QELSDK_CONTENT_KQELDEFORMER_H
#define QELSDK_CONTENT_KQELDEFORMER_H

#include "base/karraytemplate.h"
#include "base/kerror.h"
#include "base/kstring.h"
#include "base/ktypes.h"
#include "content/kqellink.h"
#include "math/kqelmatrix.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqeltakenodecontainer.h"

namespace qelsdk_600 {

class KQelDeformer;
class KQelEntity;
class KQelNodeProperties;

// The property set of a deformer. Skin and cluster sets answer with this
// class's definition ("KQelDeformerProperties").
class KQelDeformerProperties : public KQelOwnedPropertyHandler {
    QEL_CLASS_IDENTITY(KQelDeformerProperties)

public:
    explicit KQelDeformerProperties(KQelDeformer* pOwner);
    ~KQelDeformerProperties() override;

    // The owning deformer.
    KQelDeformer* GetKQelDeformer();
    // "Skin" or "Cluster".
    virtual const char* GetTypeName() const = 0;
};

// A skin's set: no properties.
class KQelSkinDeformerProperties : public KQelDeformerProperties {
public:
    explicit KQelSkinDeformerProperties(KQelDeformer* pOwner) : KQelDeformerProperties(pOwner) {}
    const char* GetTypeName() const override { return "Skin"; }
};

// Properties of a cluster, in registration order: the source model and its
// reference, object lists of nodes (as sources), neither animatable.
#define QEL_CLUSTER_DEFORMER_PROPERTIES(V, E, L, A)                                  \
    L(SrcModel, "SrcModel", KQelNodeProperties, 1, ::qelsdk_600::KPlug::eDirectionSrc, 0) \
    L(SrcModelReference, "SrcModelReference", KQelNodeProperties, 1, ::qelsdk_600::KPlug::eDirectionSrc, 0)

// A cluster's set: "SrcModel" and "SrcModelReference".
class KQelClusterDeformerProperties : public KQelDeformerProperties {
public:
    explicit KQelClusterDeformerProperties(KQelDeformer* pOwner);
    const char* GetTypeName() const override { return "Cluster"; }

    QEL_PROPERTY_SET_BODY(QEL_CLUSTER_DEFORMER_PROPERTIES)
};

// A skin (type 1) or one of its clusters (type 2), as files describe
// skinning: a cluster carries what a KQelLink carries, with its transforms as
// matrices. Links and clusters convert into each other by assignment. Made
// and destroyed by the manager only (CreateKQelDeformer). Its KError holds
// one message, id 0 "Error", and records nothing of its own.
class KQelDeformer : public KQelTakeNodeContainer {
public:
    // Deformer types; in counts and lookups of the object store, 0 stands
    // for every type.
    enum EDeformerType : kInt { eAnyDeformer = 0, eSkin = 1, eCluster = 2 };

    // Full name (with its prefix) and type name: "cluster" in any letter case
    // makes a cluster, anything else (null too) a skin. Then the Default take
    // and the defaults: not multi-layer, deform accuracy 50.0, link mode 0
    // (eNormalize), no user data, no indices, default matrices, parent
    // transform not given, no entity.
    KQelDeformer(KQelSdkManager& pManager, const char* pName, const char* pTypeName);
    // Destroys the property set first, then the takes.
    ~KQelDeformer() override;

    // ---- Overrides, in slot order ----

    // Destructs the property set (a notified tear-down of its connections).
    void Destruct() override;
    // eDeformer (10).
    ENameSpace GetNameSpace() const override { return eDeformer; }
    KQelDeformerProperties* GetPropertyHandler() override { return mProperties; }
    // "Skin" or "Cluster".
    KString GetTypeName() override;
    // One entry, "Deformer".
    KStringList GetTypeFlags() override;
    // Channels of the animatable properties (neither set has any).
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // The manager's CreateKQelUserProperty.
    KQelUserProperty* CreateKQelUserProperty(KProperty* pProperty) override;

    // ---- Kind ----

    EDeformerType GetDeformerType() const { return mDeformerType; }
    // The class id of KQelDeformerProperties.
    int GetClassID() const;
    void SetMultiLayer(bool pMultiLayer) { mMultiLayer = pMultiLayer; }
    bool GetMultiLayer() const { return mMultiLayer; }

    // ---- Object store ----

    // Moves the deformer from its current store (RemoveDeformer) to pEntity
    // (AddDeformer; null: none). The same store: nothing. Returns true.
    bool SetEntity(KQelEntity* pEntity);
    KQelEntity* GetEntity() const { return mEntity; }

    // ---- Members the readers and writers fill and read ----

    // Skins: "Link_DeformAcuracy".
    double GetDeformAccuracy() const { return mDeformAccuracy; }
    void SetDeformAccuracy(double pAccuracy) { mDeformAccuracy = pAccuracy; }
    // Clusters: mode, user data, pairs of index and weight (equal counts).
    KQelLink::ELinkMode GetLinkMode() const { return mLinkMode; }
    void SetLinkMode(KQelLink::ELinkMode pMode) { mLinkMode = pMode; }
    void SetUserData(const KString& pUserDataID, const KString& pUserData);
    KString GetUserDataID() const { return mUserDataID; }
    KString GetUserData() const { return mUserData; }
    KArrayTemplate<int>& GetControlPointIndices() { return mIndices; }
    const KArrayTemplate<int>& GetControlPointIndices() const { return mIndices; }
    KArrayTemplate<double>& GetControlPointWeights() { return mWeights; }
    const KArrayTemplate<double>& GetControlPointWeights() const { return mWeights; }

    // The four transforms, as the link names them: Set<Name>Matrix stores the
    // matrix (TransformParent also marks it given), Get<Name>Matrix copies it
    // into pMatrix and returns it.
#define QEL_DEFORMER_MATRIX_ACCESSORS(Name, Slot)                                                 \
    void Set##Name##Matrix(const KQelXMatrix& pMatrix) { SetMatrixOf(Slot, pMatrix); }             \
    KQelXMatrix& Get##Name##Matrix(KQelXMatrix& pMatrix) const { return pMatrix = mMatrix[Slot]; }
    QEL_LINK_TRANSFORMS(QEL_DEFORMER_MATRIX_ACCESSORS)
#undef QEL_DEFORMER_MATRIX_ACCESSORS
    bool IsTransformParentSet() const { return mTransformParentSet; }
    void SetTransformParentSet(bool pSet) { mTransformParentSet = pSet; }

    KError& GetError() { return mError; }
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

    // A cluster takes the link's mode, user data, indices and weights, parent
    // flag and its four transforms as matrices (SetTRS of T, R, S). A skin:
    // nothing.
    KQelDeformer& operator=(KQelLink& pLink);
    KQelDeformer& operator=(const KQelDeformer&) = delete;

private:
    void SetMatrixOf(int pSlot, const KQelXMatrix& pMatrix);

    KQelEntity* mEntity;
    KQelDeformerProperties* mProperties;
    KError mError;
    bool mMultiLayer;
    EDeformerType mDeformerType;
    double mDeformAccuracy;
    KQelLink::ELinkMode mLinkMode;
    KString mUserDataID;
    KString mUserData;
    KArrayTemplate<int> mIndices;
    KArrayTemplate<double> mWeights;
    // In QEL_LINK_TRANSFORMS order.
    KQelMatrix mMatrix[4];
    bool mTransformParentSet;
};

}  // namespace qelsdk_600

#endif
