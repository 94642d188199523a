// Function set of components of two indices: surface control vertices.
#ifndef VESK_MFNDOUBLEINDEXEDCOMPONENT_H
#define VESK_MFNDOUBLEINDEXEDCOMPONENT_H

#include <vesk/MFnComponent.h>
#include <vesk/MIntArray.h>
#include <vesk/VeskExport.h>

class VESK_API MFnDoubleIndexedComponent : public MFnComponent {
public:
    MFnDoubleIndexedComponent() {}
    MFnDoubleIndexedComponent(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

    // An empty component of a double-indexed type (kSurfaceCVComponent);
    // other types fail with kInvalidParameter.
    MObject create(MFn::Type componentType, MStatus* status = nullptr);
    // Negative indices fail with kInvalidParameter and add nothing. Adding to
    // complete data first lists its elements (U outermost).
    MStatus addElement(int indexU, int indexV);
    // Pairs of the two arrays, which must be of one length.
    MStatus addElements(const MIntArray& indicesU, const MIntArray& indicesV);
    MStatus getElement(int index, int& indexU, int& indexV) const;
    MStatus getElements(MIntArray& indicesU, MIntArray& indicesV) const;
    // Makes the component stand for every (u, v) below the counts.
    MStatus setCompleteData(int countU, int countV);
    MStatus getCompleteData(int& countU, int& countV) const;

protected:
    bool accepts(const MObject& object) const override;
};

#endif
