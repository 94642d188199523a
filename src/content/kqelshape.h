// Blend-shape targets.
#ifndef QELSDK_CONTENT_KQELSHAPE_H
#define QELSDK_CONTENT_KQELSHAPE_H

#include "content/kqelgeometry.h"

namespace qelsdk_600 {

// A blend-shape target: control points and layers that a geometry blends
// towards with the weight of the shape's channel (KQelGeometry::AddShape). A
// shape is on no node. Made and destroyed by the manager (CreateKQelShape).
class KQelShape : public KQelGeometryBase {
public:
    // No control points, no layers.
    explicit KQelShape(KQelSdkManager& pManager);
    ~KQelShape() override;

    // eShape (0).
    EAttributeType GetAttributeType() const override { return eShape; }

    // Separate copies of the other's layers, then its control points.
    // Itself: nothing.
    KQelShape& operator=(const KQelShape& pOther);
};

}  // namespace qelsdk_600

#endif
