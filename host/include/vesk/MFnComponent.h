// Function set of components: a set of elements of one geometry.
#ifndef VESK_MFNCOMPONENT_H
#define VESK_MFNCOMPONENT_H

#include <vesk/MFnBase.h>
#include <vesk/VeskExport.h>

// Elements keep the order of addition (repeats included). Complete data
// stands for every element 0 to count - 1 (in each index) without listing
// them. The null object has no elements.
class VESK_API MFnComponent : public MFnBase {
public:
    MFnComponent() {}
    MFnComponent(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

    // 0 for the null object or an unbound set.
    int elementCount(MStatus* status = nullptr) const;
    bool isEmpty(MStatus* status = nullptr) const;
    bool isComplete(MStatus* status = nullptr) const;
    // The component's type (kMeshVertComponent, ...), kInvalid unbound.
    MFn::Type componentType(MStatus* status = nullptr) const;

protected:
    bool accepts(const MObject& object) const override;
};

#endif
