// Conversions between kinds of geometry.
#ifndef QELSDK_CONTENT_KQELGEOMETRYCONVERTER_H
#define QELSDK_CONTENT_KQELGEOMETRYCONVERTER_H

#include <vector>

#include "base/karraytemplate.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

class KQELSurfaceEvaluator;
class KQelGeometry;
class KQelGeometryBase;
class KQelLayerContainer;
class KQelLink;
class KQelMesh;
class KQelNode;
class KQelNurb;
class KQelPatch;
class KQelSdkManager;
class KQelWeightedMapping;

// Turns one kind of geometry into another: triangulates meshes, patches and
// NURBS surfaces, converts patches into NURBS surfaces, flips NURBS surfaces
// in U and V, and carries cluster links, shapes and shape animation over to
// the new geometry. Made by the manager (CreateKQelGeometryConverter); every
// geometry, link and shape it makes comes from, and belongs to, that
// manager. It reports no errors: failures answer null or false, and a
// failing call leaves its source unchanged. Sources are read, never changed,
// unless an operation says otherwise. One thread at a time.
//
// Link modes (KQelLink::ELinkMode): converted links of mode eNormalize come
// out eTotal1, with weights that sum to one per source point.
class KQelGeometryConverter {
public:
    explicit KQelGeometryConverter(KQelSdkManager& pManager);
    ~KQelGeometryConverter();
    KQelGeometryConverter(const KQelGeometryConverter&) = delete;
    KQelGeometryConverter& operator=(const KQelGeometryConverter&) = delete;

    // ---- Meshes, in-place replacement, flip, links (kqelgeometryconverter.cpp) ----

    // A new mesh with the source's control points, layers, links, shapes and
    // pivot, whose polygons are the source's with every polygon of n >= 4
    // corners split into its n - 2 triangles (0, 1, 2), (2, 3, 0),
    // (0, 3, n-1), (3, 4, n-1), (n-1, 4, n-2) ... (the source's winding).
    // Polygons of fewer corners are copied. Materials and textures mapped by
    // polygon and UV indices by polygon vertex follow their polygons and
    // corners on layer 0; every other element stays as copied. Null for null.
    KQelMesh* TriangulateMesh(KQelMesh* pMesh);
    // Replaces the node's mesh, patch or NURBS surface (tested in that order)
    // by its triangulation, keeping the shape animation of every take but
    // "Default", and destroys the old geometry. False, nothing changed, for
    // any other attribute or none.
    bool TriangulateInPlace(KQelNode* pNode);
    // The same with ConvertPatchToNurb, for a patch only; false when the node
    // has no patch or the conversion gives null.
    bool ConvertPatchToNurbInPlace(KQelNode* pNode);
    // A new copy of the surface; with pSwapUV, orders, counts, steps, forms,
    // knot and multiplicity vectors exchanged between U and V and the control
    // points transposed (point v * U + u moves to u * V + v); with
    // pSwapClusters, every link index k becomes (k mod U) * V + k div U
    // (left alone when U count is 0). Null for null. The caller destroys the
    // copy through the manager.
    KQelNurb* FlipNurb(KQelNurb* pNurb, bool pSwapUV, bool pSwapClusters);

    // Destroys the destination's links and gives it converted copies of the
    // source's (list form below, with the two control-point counts).
    void ConvertLinks(KQelGeometry* pSource, KQelGeometry* pDestination, KQelWeightedMapping* pMapping);
    // Appends to pDestinationLinks one new link per source link, carrying
    // its weights through pMapping (source points to destination points,
    // normalised here on its destination set with absolute weights). Links
    // keep nodes, user data and their transform, link and associate-model
    // transforms; in mode eNormalize (that of the first link decides) each
    // source point's link weights are first made to sum to one. Link indices
    // outside [0, pSourceCount) are skipped. Nothing without source links or
    // mapping.
    void ConvertLinks(KArrayTemplate<KQelLink*>& pSourceLinks, int pSourceCount,
                      KArrayTemplate<KQelLink*>& pDestinationLinks, int pDestinationCount,
                      KQelWeightedMapping* pMapping);
    // Adds to pMapping (links as source set, control points as destination
    // set) the relation (l, k, w) for every index k and weight w of link l,
    // in link order; indices outside the mapping's sets are skipped.
    void BuildLinkToSourceMapping(KArrayTemplate<KQelLink*>& pLinks, KQelWeightedMapping* pMapping);
    // Gives pLink, for every destination point d reached from link
    // pLinkIndex, the index d and the sum of |w * w2| over the paths
    // (link, k, w), (k, d, w2) of the two mappings, in ascending order of d;
    // sums of 0.0 are left out.
    void ConvertLink(int pLinkIndex, KQelWeightedMapping* pLinkToSource, KQelWeightedMapping* pSourceToDestination,
                     KQelLink* pLink);

    // Rebuilds a mesh whose first normals are one per polygon vertex with one
    // control point per polygon vertex (a copy of the point it used), so the
    // same normals become one per control point; shapes and links follow.
    // False, nothing changed, unless the first normals layer of the mesh and
    // of every shape holds one normal per polygon vertex, every shape has the
    // mesh's control-point count and every polygon vertex is a control point.
    bool EmulateNormalsByPolygonVertex(KQelMesh* pMesh);
    // Replaces pPoints by one copy of pPoints[i] for each entry i of
    // pIndices, in order. Nothing when an entry is outside the points.
    void DuplicateControlPoints(KArrayTemplate<KQelVector4>& pPoints, KArrayTemplate<int>& pIndices);

    // ---- Surfaces (kqelgeometryconverter_surface.cpp) ----

    // A new triangle mesh sampled from the surface, with its layers, pivot,
    // shapes and links carried over, and a UV per triangle corner. The
    // sampling grid comes from the evaluator (types, closed flags or forms,
    // steps); a surface with fewer control points than U x V, a count below
    // 1, a patch type outside 0-4 or an empty grid gives a mesh with only the
    // layers and pivot. Null for null.
    KQelMesh* TriangulatePatch(KQelPatch* pPatch);
    KQelMesh* TriangulateNurb(KQelNurb* pNurb);
    // A new mesh holding copies of the surface's layers and pivot only.
    KQelMesh* CreateMeshFromParametricSurface(KQelGeometry* pGeometry);
    // w := 1.0 for every control point.
    void InitializeWeightInControlPoints(KQelGeometryBase* pGeometry);
    // w := 1.0 for every normal of the first layer that has normals.
    void InitializeWeightInNormals(KQelLayerContainer* pContainer);
    // Samples every source shape of at least pUCount x pVCount points with
    // the evaluator (set up for the source surface) and adds the results to
    // the destination under the same names; shapes with fewer points are
    // not carried over. The evaluator's destinations are left pointing at
    // the last new shape.
    void ConvertShapes(KQelGeometry* pSource, KQelGeometry* pDestination, KQELSurfaceEvaluator* pEvaluator,
                       int pUCount, int pVCount);
    // Adds to a mesh holding a sampled grid of pCountX x pCountY points the
    // two triangles of every grid cell, wrapping across directions the
    // evaluator evaluates closed, with UVs from 0 to 1 across the surface in
    // the first layer that has UVs (layer 0 gets them when none has), mapped
    // by polygon vertex through indices. A cell (a, b below, c, d above)
    // gives (a, c, b) and (b, c, d), or with pFlip (a, b, c) and (b, d, c).
    // Nothing for an open direction of fewer than 2 points, a grid larger
    // than the mesh's points or a null argument.
    void TriangulateContinuousSurface(KQelMesh* pMesh, KQELSurfaceEvaluator* pEvaluator, unsigned int pCountX,
                                      unsigned int pCountY, bool pFlip);
    // A new NURBS surface equal to the patch: Bezier gives order 4 with knots
    // 0,0,0,0,1,1,1,2,..., B-spline order 4 periodic with knots 0, 1, 2, ...,
    // linear order 2 closed; a direction the patch does not close is open.
    // Links, shapes, layers, pivot and control points (weight 1) are copied.
    // Null, creating nothing, for any other patch type or a null patch.
    KQelNurb* CreateNurbFromPatch(KQelPatch* pPatch);
    // CreateNurbFromPatch, then CheckForZeroWeightInShape on the result.
    KQelNurb* ConvertPatchToNurb(KQelPatch* pPatch);
    // In every shape: w := 1.0 for each control point, and each normal of
    // every layer, whose w is 0.0 or less.
    void CheckForZeroWeightInShape(KQelGeometry* pGeometry);

private:
    // Replaces the node's geometry by pNew (made from it), carrying the shape
    // animation of every take but the first; destroys the old one.
    void ReplaceGeometry(KQelNode* pNode, KQelGeometry* pOld, KQelGeometry* pNew);
    // Sets up the mesh and runs the evaluator over a surface: points,
    // normals, shapes, links, triangles. The evaluator is destroyed.
    KQelMesh* TriangulateSurface(KQelGeometry* pSurface, KQELSurfaceEvaluator* pEvaluator, int pUCount,
                                 int pVCount);

    KQelSdkManager& mManager;
    // Per destination point: the weight ConvertLink accumulates (all 0.0
    // between calls), and which entries the current link reached.
    std::vector<double> mAccumulator;
    std::vector<int> mReached;
};

}  // namespace qelsdk_600

#endif
