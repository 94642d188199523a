// Function set of components of one index: mesh vertices or polygons.
#ifndef VESK_MFNSINGLEINDEXEDCOMPONENT_H
#define VESK_MFNSINGLEINDEXEDCOMPONENT_H

#include <vesk/MFnComponent.h>
#include <vesk/MIntArray.h>
#include <vesk/VeskExport.h>

class VESK_API MFnSingleIndexedComponent : public MFnComponent {
public:
    MFnSingleIndexedComponent() {}
    MFnSingleIndexedComponent(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

    // An empty component of a single-indexed type (kMeshVertComponent,
    // kMeshPolygonComponent); other types fail with kInvalidParameter.
    MObject create(MFn::Type componentType, MStatus* status = nullptr);
    // Negative elements fail with kInvalidParameter and add nothing. Adding
    // to complete data first lists its elements.
    MStatus addElement(int element);
    MStatus addElements(const MIntArray& elements);
    // Element i in order; -1 (and kInvalidParameter) past the last.
    int element(int index, MStatus* status = nullptr) const;
    MStatus getElements(MIntArray& elements) const;
    // Makes the component stand for elements 0 to count - 1; a negative
    // count fails.
    MStatus setCompleteData(int count);
    // The complete count, 0 when the data is not complete.
    MStatus getCompleteData(int& count) const;

protected:
    bool accepts(const MObject& object) const override;
};

#endif
