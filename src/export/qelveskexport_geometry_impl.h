// What the shape, material and texture export share: the host types they
// test by number, the guard that puts back what reading a shape changed on
// the host, and layer helpers. Only src/export includes it.
#ifndef QELVESK_EXPORT_QELVESKEXPORT_GEOMETRY_IMPL_H
#define QELVESK_EXPORT_QELVESKEXPORT_GEOMETRY_IMPL_H

#include <vesk/MDagPath.h>
#include <vesk/MObject.h>
#include <vesk/MString.h>

#include "content/kqellayer.h"
#include "export/qelveskexport.h"

class KLayerMapping;

namespace qelsdk_600 {
class KQelGeometry;
}

namespace export_detail {

// Host types (MFn::Type numbers) the shape, deformer, material and texture
// export test.
enum EHostType : unsigned int {
    kTransformHostType = 109,
    kClusterHandleHostType = 245,
    kNurbsSurfaceHostType = 288,
    kMeshHostType = 290,
    kBlendShapeHostType = 330,
    kClusterHostType = 338,
    kJointClusterHostType = 340,
    kObjectSetHostType = 454,
    kShadingGroupHostType = 454,
    kComponentHostType = 518,
    kSurfaceCVComponentHostType = 525,
    kMeshVertexComponentHostType = 537,
    kFileTextureHostType = 483,
    kSkinClusterHostType = 665,
    kPolySmoothHostType = 677,
    kWrapHostType = 714,
    kLayeredTextureHostType = 767
};

// One reading of the shape behind a node. Made before the shape is read:
// the first blend shape upstream of the path's first child gets envelope 0.
// Find runs FindObject into its members. Its end puts the host back, on
// every way out of the reader: it runs mRestoreCommand when not empty,
// restores mVisibility, then the envelope.
class ShapeRead {
public:
    explicit ShapeRead(const MDagPath& pPath);
    ~ShapeRead();
    ShapeRead(const ShapeRead&) = delete;
    ShapeRead& operator=(const ShapeRead&) = delete;

    // FindObject on the path with child index 0; its result.
    bool Find(qelsdk_600::QelLogFile* pLog, MDagPath& pPath, MFnDagNode& pNode, bool& pWrapWarned);

    MObject mShape;
    MObject mUndeformed;
    MObject mInputGeometry;
    MStatus mStatus;
    MString mRestoreCommand;
    QelVeskVisibilityChange mVisibility;

private:
    MObject mBlendShape;
    float mEnvelope;
    bool mEnvelopeChanged;
};

// Layer pIndex of the geometry, made with the layers before it when
// missing; null when it cannot be made.
qelsdk_600::KQelLayer* LayerOrCreate(qelsdk_600::KQelGeometry* pGeometry, int pIndex);

// A new texture element for a record: "IndexToDirect", blend 0, alpha 1,
// mapped as the record's texture mode, or its partial mode once the
// record's first use is a texture that covers fewer polygons than it
// counts. The caller attaches it.
qelsdk_600::KQelLayerElementTexture* NewTextureElement(const KLayerMapping& pRecord);

}  // namespace export_detail

#endif
