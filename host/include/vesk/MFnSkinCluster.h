// Function set of skin clusters: influences and weights.
#ifndef VESK_MFNSKINCLUSTER_H
#define VESK_MFNSKINCLUSTER_H

#include <vesk/MDagPath.h>
#include <vesk/MDagPathArray.h>
#include <vesk/MFloatArray.h>
#include <vesk/MFnGeometryFilter.h>
#include <vesk/MIntArray.h>
#include <vesk/VeskExport.h>

// Influences are the nodes feeding "matrix[i]", listed in ascending logical
// index. Weights are kept per deformed shape, per point (mesh vertex, or
// surface CV u * numCVsInV + v) and per influence; components name the
// points (single-indexed for meshes, double-indexed for surfaces; null or
// complete data for all). Weights are never normalised unless asked.
class VESK_API MFnSkinCluster : public MFnGeometryFilter {
public:
    MFnSkinCluster() {}
    MFnSkinCluster(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

    // The influences' paths; returns their number.
    unsigned int influenceObjects(MDagPathArray& paths, MStatus* status = nullptr) const;
    // The logical index of an influence; kInvalidParameter when the node is
    // none.
    unsigned int indexForInfluenceObject(const MDagPath& path, MStatus* status = nullptr) const;
    // One weight per element of the component for the influence at that
    // position of influenceObjects.
    MStatus getWeights(const MDagPath& shape, const MObject& components, unsigned int influenceIndex,
                       MFloatArray& weights) const;
    // Every influence's weight per element, element after element;
    // influenceCount receives the number of influences.
    MStatus getWeights(const MDagPath& shape, const MObject& components, MFloatArray& weights,
                       unsigned int& influenceCount) const;
    // Sets the weights of the influences of the given logical indices on
    // the component's elements: elements x influences weights, element after
    // element. With normalize the other influences of each point are scaled
    // so that the point's weights add up to 1 (a point whose other weights
    // are 0 keeps its sum). oldValues receives the weights replaced. A
    // count mismatch, an index that is no influence, or points past the
    // geometry fail with kInvalidParameter, changing nothing.
    MStatus setWeights(const MDagPath& shape, const MObject& components, const MIntArray& influenceIndices,
                       const MFloatArray& weights, bool normalize = true, MFloatArray* oldValues = nullptr);
    MStatus setWeights(const MDagPath& shape, const MObject& components, unsigned int influenceIndex, double value,
                       bool normalize = true, MFloatArray* oldValues = nullptr);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
