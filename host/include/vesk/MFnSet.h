// Function set of sets: object sets and shading groups.
#ifndef VESK_MFNSET_H
#define VESK_MFNSET_H

#include <vesk/MDagPath.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MSelectionList.h>
#include <vesk/VeskExport.h>

// A set holds one member per DAG path and kind of component (vertices,
// faces, CVs), the components merged sorted without repeats; a whole object
// stands for all its components. A shading group (restriction
// kRenderableOnly, kind "shadingEngine") holds shapes: a transform given
// stands for its first shape. Members of deleted nodes are not reported.
class VESK_API MFnSet : public MFnDependencyNode {
public:
    enum Restriction {
        kNone = 0,
        kVerticesOnly = 1,
        kEdgesOnly = 2,
        kFacetsOnly = 3,
        kEditPointsOnly = 4,
        kRenderableOnly = 5
    };

    MFnSet() {}
    MFnSet(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

    // Makes an object set "set1" (or, for kRenderableOnly, a shading group
    // "shadingEngine1") holding the members and binds the set to it. A
    // restriction above 5 or a bad member fails with kInvalidParameter,
    // making nothing.
    MObject create(const MSelectionList& members, Restriction restriction = kNone, MStatus* status = nullptr);

    Restriction restriction(MStatus* status = nullptr) const;
    // The members in order of addition; with flatten, members that are sets
    // give their own members instead (each set once).
    MStatus getMembers(MSelectionList& members, bool flatten) const;
    // Items of the list (plugs are not members); a dead node or components
    // past their geometry fail with kInvalidParameter, adding nothing.
    MStatus addMember(const MObject& object);
    MStatus addMember(const MDagPath& path, const MObject& component = MObject::kNullObj);
    MStatus addMembers(const MSelectionList& list);
    // Removes objects, or only the given components of them.
    MStatus removeMember(const MObject& object);
    MStatus removeMember(const MDagPath& path, const MObject& component);
    MStatus removeMembers(const MSelectionList& list);
    MStatus clear();
    // True when the set holds the object, or all of the given components.
    bool isMember(const MObject& object, MStatus* status = nullptr) const;
    bool isMember(const MDagPath& path, const MObject& component = MObject::kNullObj,
                  MStatus* status = nullptr) const;

protected:
    bool accepts(const MObject& object) const override;
};

#endif
