// An ordered list of selected objects, components and plugs.
#ifndef VESK_MSELECTIONLIST_H
#define VESK_MSELECTIONLIST_H

#include <vesk/MDagPath.h>
#include <vesk/MObject.h>
#include <vesk/MPlug.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/VeskExport.h>

class MStringArray;

namespace vesk {
class SelectionData;
}

// Items keep the order of addition. A DAG node is held with its path; a
// component item with the path of the shape. Items of deleted nodes read as
// null. Look-ups of whole objects are hashed.
class VESK_API MSelectionList {
public:
    MSelectionList();
    MSelectionList(const MSelectionList& other);
    MSelectionList& operator=(const MSelectionList& other);
    ~MSelectionList();

    MStatus clear();
    bool isEmpty(MStatus* status = nullptr) const;
    unsigned int length(MStatus* status = nullptr) const;

    // A node (a DAG node with its first path). With merge an item already
    // held is not added again.
    MStatus add(const MObject& node, bool mergeWithExisting = false);
    // A path, optionally narrowed to components of its node (a transform's
    // components are its first shape's). With merge, components of one type
    // on one path join one item.
    MStatus add(const MDagPath& path, const MObject& component = MObject::kNullObj, bool mergeWithExisting = false);
    // The object, plug or components a text names ("hip", "L|hip",
    // "b.f[3:7]", "pose.members[2]"); it must name exactly one: kNotFound
    // when nothing matches, kInvalidParameter otherwise.
    MStatus add(const MString& matchString, bool searchChildNamespacesToo = false);
    MStatus add(const MPlug& plug, bool mergeWithExisting = false);
    MStatus remove(unsigned int index);

    // A whole-object item of the node.
    bool hasItem(const MObject& node, MStatus* status = nullptr) const;
    // With the null component: an equal whole-object item. With a component:
    // an item of the path whose components include all of them.
    bool hasItem(const MDagPath& path, const MObject& component = MObject::kNullObj,
                 MStatus* status = nullptr) const;

    MStatus getDependNode(unsigned int index, MObject& node) const;
    MStatus getDagPath(unsigned int index, MDagPath& path) const;
    MStatus getDagPath(unsigned int index, MDagPath& path, MObject& component) const;
    MStatus getPlug(unsigned int index, MPlug& plug) const;

    // One text per object or plug item, and one per run of consecutive
    // component indices ("b.f[3:7]"), the items of one object and component
    // kind merged in index order; add reads each back.
    MStatus getSelectionStrings(MStringArray& strings) const;
    // The texts of item index alone.
    MStatus getSelectionStrings(unsigned int index, MStringArray& strings) const;

private:
    friend struct vesk::ObjectAccess;
    vesk::SelectionData* mData;
};

#endif
