// Geometry: control points over the layers, then links, shapes and pivot.
#ifndef QELSDK_CONTENT_KQELGEOMETRY_H
#define QELSDK_CONTENT_KQELGEOMETRY_H

#include "base/karraytemplate.h"
#include "object/kondemand.h"
#include "base/kerror.h"
#include "base/kstring.h"
#include "content/kqellayercontainer.h"
#include "math/kqelmatrix.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

class KFCurve;
class KFCurveNode;
class KQelLink;
class KQelPropertyHandler;
class KQelShape;
class KQelTakeNode;

// Control points (x, y, z, w doubles) over the layer container: the common
// part of geometries and of the shapes that deform them. Normals are not
// held here: they are the normals element of layer 0.
class KQelGeometryBase : public KQelLayerContainer {
public:
    // No control points, no layers.
    explicit KQelGeometryBase(KQelSdkManager& pManager);
    ~KQelGeometryBase() override;

    // Empties the control points, then makes pCount of them, all
    // (0, 0, 0, 0); none for a negative count or a failed allocation.
    void InitControlPoints(int pCount);
    int GetControlPointsCount() const { return ReadControlPoints().GetCount(); }
    // The first control point; valid until the points change; null while
    // none were ever allocated.
    KQelVector4* GetControlPoints() { return mControlPoints.Get() ? ControlPoints().GetArray() : nullptr; }
    const KQelVector4* GetControlPoints() const { return ReadControlPoints().GetArray(); }
    // Makes room for pCount control points in all, the count unchanged, so
    // that adding up to that many moves none; false when it cannot.
    bool ReserveControlPoints(int pCount) { return ControlPoints().Reserve(pCount); }
    // Appends pCount control points copied from pPoints; false, nothing
    // appended, when the array cannot grow.
    bool AddControlPoints(const KQelVector4* pPoints, int pCount)
    {
        return ControlPoints().AddMultiple(pPoints, pCount) >= 0;
    }

    // Prepares the normals of layer 0 (layer and element made when missing)
    // as eDirect zero vectors: by control point, one per control point; but
    // by polygon vertex, pCount of them, when pCount is at least 1 and is not
    // the control-point count. Nothing when layer 0 cannot be made.
    void InitNormals(int pCount);
    // The direct array of layer 0's normals; null without them.
    KQelVector4* GetNormals();
    // Stores pPoint at control point pIndex and pNormal at entry pIndex of
    // layer 0's normals, growing either array to pIndex + 1 (zeros) as
    // needed. Nothing without layer-0 normals, for a negative index or when
    // the arrays cannot grow.
    void SetControlPointAt(const KQelVector4& pPoint, const KQelVector4& pNormal, int pIndex);

    // The other's control points (and their growth step); layers untouched.
    // Itself: nothing.
    void Copy(const KQelGeometryBase& pOther);
    using KQelLayerContainer::Copy;

protected:
    // The control points, made on first use (a geometry without points costs
    // a pointer).
    KArrayTemplate<KQelVector4>& ControlPoints() { return mControlPoints.Make().mPoints; }
    // The same for reading: an empty array stands for one never made.
    const KArrayTemplate<KQelVector4>& ReadControlPoints() const { return mControlPoints.Read().mPoints; }

private:
    struct Points {
        KArrayTemplate<KQelVector4> mPoints{256};
    };
    KOnDemand<Points> mControlPoints;
};

// Base of the geometry node attributes (mesh, NURBS surface, patch): control
// points and layers, the cluster links that deform it, its shapes (blend
// targets with names and a weight channel in every take of its node) and a
// pivot matrix. The geometry owns its links and shapes: its destructor
// destroys them through the manager.
//
// Shape channel: in a take node, the child of the root curve node named
// exactly as the shape, holding one curve whose value is the shape's weight;
// shape i's curve is coloured from a table of 20 colours (i modulo 20).
// Beside it, the node's property set holds an animatable "Shape" property of
// the same name.
//
// Errors (id: text): 0 "Parameter out of range.", 1 "Parameter is NULL.",
// 2 "Material not found.", 3 "Material already added.", 4 "Texture not
// found.", 5 "Texture already added.", 6 "Shape already added.", 7 "Shape
// name is invalid.", 8 "Shape name is already used.", 9 "No shape curve
// found.".
class KQelGeometry : public KQelGeometryBase {
public:
    // Display modes of surfaces (NURBS, patches store, copy and write them;
    // 4 is their default).
    enum ESurfaceMode : kInt { eRaw = 0, eLowNoNormals = 1, eLow = 2, eHighNoNormals = 3, eHigh = 4 };
    enum EError : int {
        eParameterOutOfRange = 0,
        eParameterIsNull,
        eMaterialNotFound,
        eMaterialAlreadyAdded,
        eTextureNotFound,
        eTextureAlreadyAdded,
        eShapeAlreadyAdded,
        eShapeNameIsInvalid,
        eShapeNameIsAlreadyUsed,
        eNoShapeCurveFound,
        eErrorCount
    };

    // Empty lists, identity pivot.
    explicit KQelGeometry(KQelSdkManager& pManager);
    // Destroys every link, then every shape, through the manager; deletes the
    // shape names.
    ~KQelGeometry() override;

    // ---- Node binding ----

    // Binds (AddChannels in every take: each shape's channel), then gives
    // each shape the node's entity and its shape property, then the geometry
    // itself the entity.
    void SetNode(KQelNode& pNode) override;
    // Unsets the entity of the geometry and its shapes, then unbinds
    // (RemoveChannels in every take).
    void UnsetNode() override;
    // AddShapeChannel for every shape.
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // RemoveShapeChannel for every shape.
    void RemoveChannels(KQelTakeNode* pTakeNode) override;

    // ---- Links ----

    int GetLinkCount() const { return R().mLinks.GetCount(); }
    // Null with error 0 out of range.
    KQelLink* GetLink(int pIndex);
    // Appends a link (the geometry owns it from then on); its index. A link
    // already listed answers its index and is not listed again; null: -1.
    int AddLink(KQelLink* pLink);
    // Takes the link out of the list and returns it (not destroyed); null
    // with error 0 out of range.
    KQelLink* RemoveLink(int pIndex);
    // Empties the list; the links are not destroyed.
    void ClearLink();

    // ---- Shapes ----

    int GetShapeCount() const { return R().mShapes.GetCount(); }
    // Null with error 0 out of range.
    KQelShape* GetShape(int pIndex);
    // The stored name of shape pIndex; null with error 0 out of range.
    const char* GetShapeName(int pIndex);
    // Adds a shape (owned from then on) under pName trimmed of white space at
    // both ends; on a node, also its property and its channel in every take;
    // the shape gets the geometry's entity. The new index, or -1 with error 1
    // (null shape), 6 (shape already added), 7 (empty name) or 8 (name
    // already used, compared exactly).
    int AddShape(KQelShape* pShape, const char* pName);
    // Removes every shape channel from every take of the node, takes the
    // shapes out of the entity, empties the shapes and their names. The
    // shapes are not destroyed; the shape properties of the node stay.
    void ClearShape();

    // ---- Shape channels ----

    // The shape's curve node in pTakeNode (FindRecursive of its name below
    // the root). Null with error 0 (bad index), 1 (null take node), or
    // without error when the name is empty or there is no such node.
    KFCurveNode* GetShapeCurveNode(KQelTakeNode* pTakeNode, int pIndex);
    // The curve of that node; null with error 9 when there is none.
    KFCurve* GetShapeChannel(KQelTakeNode* pTakeNode, int pIndex);
    // The weight of the shape's channel in the node's Default take
    // (single precision); nothing, or 0.0, when on no node or without
    // channel.
    void SetDefaultShape(int pIndex, double pWeight);
    double GetDefaultShape(int pIndex);
    // Finds or makes the shape's channel (with a curve, coloured by index) in
    // pTakeNode; false for an empty name (bad index) or a null take node.
    bool AddShapeChannel(KQelTakeNode* pTakeNode, int pIndex);
    // Deletes the child of the root named as the shape; false when absent.
    bool RemoveShapeChannel(KQelTakeNode* pTakeNode, int pIndex);
    // Moves channels stored under the older names ("<name> (Shape)", else
    // "Shape 01 (Shape)" by index) into the channel named as the shape, when
    // that exists. Never for a mesh. The per-take form does nothing on no
    // node.
    void CleanShapeChannels(KQelTakeNode* pTakeNode);
    void CleanShapeChannel(KQelTakeNode* pTakeNode, int pIndex);
    // "Shape %02d (Shape)" of pIndex + 1; empty for a negative index.
    static KString CreateShapeChannelName(int pIndex);
    // pName without trailing white space, with " (Shape)" appended unless it
    // already ends with it.
    static KString CreateShapeChannelName(const KString& pName);
    // The node's animatable "Shape" property of that name, made when the
    // geometry is on a node and the property does not exist.
    void CreateShapeChannelProperties(const KString& pName);

    // ---- Older file layout (version 5) ----

    // The writer of the older layout calls ClearTemporaryShapeNames, then
    // Convert... with each take node of each geometry's node; after writing,
    // Revert... with each take node, then ClearTemporaryShapeNames. Between
    // them shapes and channels carry their version-5 names: a mesh keeps its
    // shape names and its channels become "<name> (Shape)"; any other
    // geometry's shapes become "Shape 01"... and channels "Shape 01 (Shape)".
    // The per-take forms do nothing on no node.
    void ConvertShapeNamesToV5Format(KQelTakeNode* pTakeNode);
    void RevertShapeNamesToV6Format(KQelTakeNode* pTakeNode);
    void ConvertShapeNamesToV5Format(KQelTakeNode* pTakeNode, int pIndex);
    void RevertShapeNamesToV6Format(KQelTakeNode* pTakeNode, int pIndex);
    void ClearTemporaryShapeNames();

    // ---- Pivot ----

    void PivotInit()
    {
        if (Extra* extra = mExtra.Get())
            extra->mPivot.SetIdentity();
    }
    KQelXMatrix& GetPivot(KQelXMatrix& pPivot) const { return pPivot = R().mPivot; }
    void SetPivot(const KQelXMatrix& pPivot) { X().mPivot = pPivot; }
    void CopyPivot(const KQelGeometry* pOther);
    // Bakes the pivot into the geometry: each control point (x, y, z, 1)
    // times the pivot (w kept); each layer-0 normal turned by the pivot's
    // rotation alone, not renormalised. A pivot with a zero-length axis row
    // turns no normal. The pivot is left as it is.
    void ApplyPivot();

    // ---- Copy ----

    // Layers, control points, links (new ones through the manager), shapes
    // (likewise) and pivot of the other. Itself: nothing.
    KQelGeometry& operator=(KQelGeometry& pOther);
    KQelGeometry& operator=(const KQelGeometry&) = delete;
    // Destroys the own links, then adds a new copy of each of the other's.
    // Itself or null: nothing.
    void CopyLinks(KQelGeometry* pOther);
    // Destroys the own shapes, ClearShape, then adds a new copy of each of
    // the other's under its name. Itself or null: nothing.
    void CopyShapes(KQelGeometry* pOther);

    KError& GetError() { return X().mError; }
    int GetLastErrorID() const { return R().mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return R().mError.GetLastErrorString(); }

private:
    // ---- The node that carries the geometry (kqelgeometry_node.cpp) ----

    // The number of take nodes of the node (0 on no node) and take node i.
    int GetNodeTakeNodeCount() const;
    KQelTakeNode* GetNodeTakeNode(int pIndex) const;
    // The node's property set; null on no node.
    KQelPropertyHandler* GetNodePropertyHandler() const;
    // The node's entity; null on no node or outside any store.
    KQelEntity* GetNodeEntity() const;

    // Stores the name of shape pIndex (replacing it).
    void SetShapeName(int pIndex, const KString& pName);
    // Replaces the child of pRoot named pOldName by a copy named pNewName
    // (curve copied, old node deleted, new one appended).
    static void RenameChannel(KFCurveNode* pRoot, const char* pOldName, const char* pNewName);
    // Entry pIndex of a temporary list, replaced or appended.
    static void StoreTemporaryName(KArrayTemplate<KString*>& pList, int pIndex, const KString& pName);
    void DestroyLinks();
    void DestroyShapes();

    // Links, shapes and their names, pivot and error record: made on first
    // use, so that a geometry without them costs a pointer.
    struct Extra {
        Extra();
        KArrayTemplate<KQelLink*> mLinks{16};
        KArrayTemplate<KQelShape*> mShapes{16};
        KArrayTemplate<KString*> mShapeNames{16};
        KArrayTemplate<KString*> mV6ShapeNames{16};
        KArrayTemplate<KString*> mV5ShapeNames{16};
        KArrayTemplate<KString*> mV5ChannelNames{16};
        KQelXMatrix mPivot;  // identity
        KError mError;
    };
    Extra& X() { return mExtra.Make(); }
    const Extra& R() const { return mExtra.Read(); }

    KOnDemand<Extra> mExtra;
};

}  // namespace qelsdk_600

#endif
