// Polygon meshes.
#ifndef QELSDK_CONTENT_KQELMESH_H
#define QELSDK_CONTENT_KQELMESH_H

#include "base/karraytemplate.h"
#include "base/ktypes.h"
#include "content/kqelgeometry.h"
#include "object/kondemand.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

// The polygon-mesh node attribute (attribute type 4). Its vertices are the
// control points; each polygon is a run of corners in one shared array of
// control-point indices (the polygon-vertex array), and a corner's position
// in that array is its polygon-vertex index, which addresses every
// eByPolygonVertex element. Normals, materials, textures, groups, UVs and
// colours live in the layers, mostly layer 0. Corner indices are stored as
// given (files may hold any value); every operation that uses them checks
// them. No operation reports an error: out-of-range numbers answer -1 or
// leave outputs untouched.
class KQelMesh : public KQelGeometry {
public:
    // One polygon: position of its first corner in the polygon-vertex array,
    // number of corners, group given to BeginPolygon.
    struct KPolygon {
        kInt mIndex;
        kInt mSize;
        kInt mGroup;
    };
    // One corner of a split list: its polygon-vertex index, the control point
    // it gets and its normal.
    struct KDuplicateVertex {
        kInt mPolygonVertexIndex;
        kInt mNewIndex;
        KQelVector4 mNormal;
    };
    // What a split or merge works on; only control points are handled.
    enum ESplitObject : kInt { eSplitControlPoints = 0 };

    // Geometry base, then Reset.
    explicit KQelMesh(KQelSdkManager& pManager);
    ~KQelMesh() override;

    // eMesh (4).
    EAttributeType GetAttributeType() const override { return eMesh; }
    // "Mesh".
    KString GetTypeName() override;

    // No polygons, no corners, no control points, no layers, surface
    // parameters 0 and false.
    void Reset();
    // Geometry assignment, then copies of the polygons and corners; the
    // surface parameters are not copied. Itself: nothing.
    KQelMesh& operator=(KQelMesh& pOther);

    // ---- Building ----

    // Starts a polygon at the current end of the corners. pMaterial and
    // pTexture (-1: none) go to layer 0's material and texture index arrays
    // when their element maps eByPolygon through indices; for the mesh's
    // first polygon a missing element is created (modes 0, 0; textures
    // eIndexToDirect) unless the value is -1. Layer 0 is made when missing.
    void BeginPolygon(int pMaterial = -1, int pTexture = -1, int pGroup = -1);
    // Appends a corner (control point pIndex, unchecked) to the last polygon;
    // ignored while there is none. pTextureUVIndex other than -1 makes layer
    // 0's UV element when missing and, when it maps eByPolygonVertex through
    // eIndexToDirect, is stored as the corner's UV index.
    void AddPolygon(int pIndex, int pTextureUVIndex = -1);
    // Nothing.
    void EndPolygon() {}
    // Appends pCount polygons at once, as BeginPolygon(-1, -1, pGroup) and
    // an AddPolygon for each corner would: polygon i takes the next
    // pSizes[i] control points of pCorners (unchecked). False, nothing
    // appended, for a negative size or when the arrays cannot grow.
    bool AddPolygons(const int* pSizes, int pCount, const int* pCorners, int pGroup = -1);
    // Room for pCount corners past the polygon-vertex array, for a reader to
    // decode into: AddPolygons given it as pCorners takes them without a
    // copy. Valid until the mesh next changes; null for a count below 1 or
    // when the array cannot grow. TrimPolygonVertices gives back unused room.
    int* ReservePolygonVertices(int pCount);
    // Cuts the polygon-vertex storage to the corners (freed without any).
    void TrimPolygonVertices();

    // ---- Access ----

    int GetPolygonCount() const { return RP().mPolygons.GetCount(); }
    // Position of the polygon's first corner in the polygon-vertex array
    // (stored as given, not checked against it); -1 out of range.
    int GetPolygonVertexIndex(int pPolygon) const
    {
        return pPolygon >= 0 && pPolygon < GetPolygonCount() ? RP().mPolygons[pPolygon].mIndex : -1;
    }
    // The polygon-vertex array; null while it was never filled.
    int* GetPolygonVertices() { return mPolygonData.Get() ? P().mPolygonVertices.GetArray() : nullptr; }
    int GetPolygonVertexCount() const { return RP().mPolygonVertices.GetCount(); }
    // -1 for a polygon out of range.
    int GetPolygonSize(int pPolygon) const
    {
        return pPolygon >= 0 && pPolygon < GetPolygonCount() ? RP().mPolygons[pPolygon].mSize : -1;
    }
    int GetPolygonGroup(int pPolygon) const;
    // Sets the group of a polygon; nothing out of range.
    void SetPolygonGroup(int pPolygon, int pGroup);
    // The control point of corner pVertex of pPolygon; -1 out of range.
    int GetPolygonVertex(int pPolygon, int pVertex) const;
    // Copies the layer-0 normal of that corner (its polygon-vertex index)
    // into pNormal; untouched out of range, without normals or past them.
    void GetPolygonVertexNormal(int pPolygon, int pVertex, KQelVector4& pNormal) const;

    // ---- Layer 0 ----

    // Materials: reference eIndexToDirect, index array emptied; mode 3:
    // eByPolygon (BeginPolygon fills it); mode 1: eByControlPoint with one 0
    // per control point (nothing more without control points); any other:
    // eAllSame with one 0. Creates what is missing.
    void InitMaterialIndices(KQelLayerElement::EMappingMode pMode);
    // Textures: as materials, mode 3 eByPolygon, any other eAllSame.
    void InitTextureIndices(KQelLayerElement::EMappingMode pMode);
    // UVs: both arrays emptied; mode 2: eByPolygonVertex + eIndexToDirect;
    // 1: eByControlPoint + eDirect; 4: eAllSame + eDirect; other: 0 + eDirect.
    void InitTextureUVIndices(KQelLayerElement::EMappingMode pMode);
    // The UV direct array becomes pCount zero UVs (none for a negative
    // count); modes untouched. Creates what is missing.
    void InitTextureUV(int pCount);
    // Appends to the UV direct array; nothing without UV element.
    void AddTextureUV(const KQelVector2& pUV);
    // The UV direct array and its count; null and 0 without UVs.
    KQelVector2* GetTextureUV();
    int GetTextureUVCount() const;
    // The corner's UV index when UVs map eByPolygonVertex through
    // eIndexToDirect and the index exists; else -1.
    int GetTextureUVIndex(int pPolygon, int pVertex) const;
    // Sets it (the index array grown with zeros to the corner count first);
    // nothing otherwise.
    void SetTextureUVIndex(int pPolygon, int pVertex, int pUVIndex);
    // The element's index array when it refers through indices (eIndex,
    // eIndexToDirect); null otherwise or without element.
    int* GetMaterialIndices();
    int* GetTextureIndices();
    // Mapping of the material element; eNoMappingInformation without.
    KQelLayerElement::EMappingMode GetMaterialMappingMode() const;
    // Mapping of the texture element when eByPolygon or eAllSame, else 0.
    KQelLayerElement::EMappingMode GetTextureMappingMode() const;
    // Mapping of the UV element when eByControlPoint or eByPolygonVertex,
    // else 0.
    KQelLayerElement::EMappingMode GetTextureUVMappingMode() const;
    // Mapping of the normals when eByControlPoint or eByPolygonVertex, else
    // eByControlPoint (also without normals).
    KQelLayerElement::EMappingMode GetNormalsMappingMode() const;
    // Sets the normals' mapping (1 or 2 only; the array is not resized).
    void SetNormalsMappingMode(KQelLayerElement::EMappingMode pMode);

    // ---- Normals and hard edges (kqelmesh_normals.cpp) ----

    // Layer-0 normals by control point: each the normalised mean of the
    // corner normals (next - P) x (previous - P) of the corners that use the
    // point (the reverse product when pClockwise); (0, 0, 0, 1) for a point
    // no corner uses. Polygons with a corner outside the control points are
    // skipped.
    void ComputeVertexNormals(bool pClockwise = false);
    // True when, for some control point, the stored normal (read as one per
    // control point) lies within 0.01 of the one ComputeVertexNormals(false)
    // would give; false without normals.
    bool CheckIfVertexNormalsCCW();

    // Appends one list per control point and fills it with the corners that
    // use the point, in corner order, each with its layer-0 normal: the first
    // keeps the point, each further one gets the next new index past the
    // control points. The caller deletes the inner lists. Appends nothing
    // for another object or when a corner is out of range.
    void BuildSplitList(KArrayTemplate<KArrayTemplate<KDuplicateVertex>*>& pSplitList, ESplitObject pObject);
    // Applies a split list: every listed corner after a point's first gets
    // its new control point (same position, its own normal); links give each
    // new point the weight of its original; shapes grow alike; normals become
    // one per control point. Changes nothing unless the normals are by
    // polygon vertex with one per corner, the list has one inner list per
    // control point and its corner and point numbers are in range.
    void SplitPointsForHardEdge(KArrayTemplate<KArrayTemplate<KDuplicateVertex>*>& pSplitList);
    // Resizes pMergeList to the control-point count: entry j is j, or an
    // earlier point equal to point j (KQelVector4 ==). Exhaustive: the
    // latest such point. Otherwise, with S the first point equal to an
    // earlier one: entries below S are themselves and each later entry the
    // latest point below S equal to it. True when some point repeats an
    // earlier one. For another object: untouched, false.
    bool BuildMergeList(KArrayTemplate<int>& pMergeList, ESplitObject pObject, bool pExhaustive = false);
    // Merges every point into the root its merge-list chain ends at: the
    // points that map to themselves are kept in order and renumbered;
    // corners, link pairs (pairs of merged points dropped) and shape points
    // follow; normals become one per corner (eByPolygonVertex). Nothing
    // merges when every point maps to itself. Changes nothing unless the
    // list has one entry per point with entry i in [0, i], and every corner
    // is in range with no point used by two corners.
    void MergePointsForPolygonVerteNormals(KArrayTemplate<int>& pMergeList);

    // ---- Surface parameters (read and written by the native format only) ----

    kInt mUCount, mVCount, mUExtendedCount, mVExtendedCount, mUStep, mVStep;
    bool mUClosed, mVClosed, mUTopCap, mVTopCap;

private:
    // The polygon-vertex index of a corner; -1 out of range.
    int CornerIndex(int pPolygon, int pVertex) const;
    // Layer 0's element of a kind, null without.
    template <class E>
    E* Layer0Element(E* (KQelLayer::*pGet)() const) const;
    // Layer 0's element of a kind, made (with its defaults) when missing.
    template <class E>
    E* Layer0ElementOrCreate(E* (KQelLayer::*pGet)() const, void (KQelLayer::*pSet)(E*));
    // Per-point normals from the polygons (see ComputeVertexNormals).
    void AccumulateNormals(KArrayTemplate<KQelVector4>& pNormals, bool pClockwise) const;

    // Polygons and their corners: made on first use, so that a mesh without
    // them costs a pointer.
    struct PolygonData {
        KArrayTemplate<KPolygon> mPolygons{256};
        KArrayTemplate<int> mPolygonVertices{1024};
    };
    PolygonData& P() { return mPolygonData.Make(); }
    const PolygonData& RP() const { return mPolygonData.Read(); }

    KOnDemand<PolygonData> mPolygonData;
};

}  // namespace qelsdk_600

#endif
