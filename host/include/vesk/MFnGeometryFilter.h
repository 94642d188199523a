// Function set of deformers: the shapes they deform and their envelope.
#ifndef VESK_MFNGEOMETRYFILTER_H
#define VESK_MFNGEOMETRYFILTER_H

#include <vesk/MFnDependencyNode.h>
#include <vesk/MObjectArray.h>
#include <vesk/VeskExport.h>

// The first deformer put on a shape makes a hidden intermediate copy of it
// (the last child of the shape's transform, "<shape>Orig") that feeds the
// deformer's "input[k].inputGeometry"; "outputGeometry[k]" feeds the shape,
// and later deformers go between the last one and the shape. A deformer
// reads the copy and reaches the shape through the chain; nothing is
// deformed. Lists follow the input indices in ascending order.
class VESK_API MFnGeometryFilter : public MFnDependencyNode {
public:
    MFnGeometryFilter() {}
    MFnGeometryFilter(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

    // The intermediate copies read.
    MStatus getInputGeometry(MObjectArray& objects) const;
    // The shapes deformed.
    MStatus getOutputGeometry(MObjectArray& objects) const;
    // The input index of a deformed shape; kInvalidParameter when the
    // deformer does not deform it.
    unsigned int indexForOutputShape(const MObject& shape, MStatus* status = nullptr) const;
    MObject inputShapeAtIndex(unsigned int index, MStatus* status = nullptr) const;
    MObject outputShapeAtIndex(unsigned int index, MStatus* status = nullptr) const;
    // The set of the deformed points (the null object when there is none).
    MObject deformerSet(MStatus* status = nullptr) const;
    // The "envelope" plug (1 on a new deformer).
    float envelope(MStatus* status = nullptr) const;
    MStatus setEnvelope(float envelope);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
