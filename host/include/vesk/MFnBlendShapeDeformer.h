// Function set of blend shapes: base shapes, targets and weights.
#ifndef VESK_MFNBLENDSHAPEDEFORMER_H
#define VESK_MFNBLENDSHAPEDEFORMER_H

#include <vesk/MFnGeometryFilter.h>
#include <vesk/MIntArray.h>
#include <vesk/MObjectArray.h>
#include <vesk/VeskExport.h>

// A blend shape deforms its base shapes (its output shapes) with targets:
// per base and weight index one or more target geometries, each reached in
// full at its own weight (1 for a plain target, fractions for in-between
// ones), feeding "inputTarget[base].inputTargetGroup[weight]
// .inputTargetItem[5000 + 1000 x that weight].inputGeomTarget", and one
// element "weight[index]" aliased with the first target node's name (so its
// plug name reads "<deformer>.<target>"; a taken alias gets a number).
class VESK_API MFnBlendShapeDeformer : public MFnGeometryFilter {
public:
    enum Origin { kLocalOrigin = 0, kWorldOrigin = 1 };

    MFnBlendShapeDeformer() {}
    MFnBlendShapeDeformer(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

    // Makes a blend shape "blendShape1" whose base 0 is the shape (a
    // transform stands for its first shape that is not an intermediate
    // object); envelope 1; the origin is kept but unused. A node without
    // geometry fails with kInvalidParameter, making nothing.
    MObject create(const MObject& baseObject, Origin origin = kLocalOrigin, MStatus* status = nullptr);
    // Adds a base; one the deformer already deforms is left as it is.
    MStatus addBaseObject(const MObject& object);
    MStatus getBaseObjects(MObjectArray& objects) const;
    // Ties a target geometry (a shape, or a transform's first shape) to a
    // base and weight index, reached in full at fullWeight, making the weight
    // element (0) with its alias. A base the deformer does not deform, a
    // target without geometry or that is the base, a negative index, a
    // fullWeight outside -5 to 5 or rounding to 0 (steps of 0.001), or one
    // already tied to that base and weight index fail with kInvalidParameter.
    MStatus addTarget(const MObject& baseObject, int weightIndex, const MObject& newTarget, double fullWeight);
    // The targets of a base and weight index, by rising full weight (none,
    // one, or in-between targets before the full one).
    MStatus getTargets(const MObject& baseObject, int weightIndex, MObjectArray& targetObjects) const;
    // The weight elements: their number and logical indices, ascending.
    unsigned int numWeights(MStatus* status = nullptr) const;
    MStatus weightIndexList(MIntArray& indexList) const;
    float weight(unsigned int index, MStatus* status = nullptr) const;
    MStatus setWeight(unsigned int index, float weight);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
