// Process-wide host operations.
#ifndef VESK_MGLOBAL_H
#define VESK_MGLOBAL_H

#include <vesk/MObject.h>
#include <vesk/MObjectArray.h>
#include <vesk/MSelectionList.h>
#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

class VESK_API MGlobal {
public:
    // Copies the active selection into dest (replacing its items).
    static MStatus getActiveSelectionList(MSelectionList& dest);
    // Replaces the active selection with a copy of src.
    static MStatus setActiveSelectionList(const MSelectionList& src);
    // Deletes a node (its connections, selection items and orphaned DAG
    // children go with it), or an attribute no node holds (it then reads as
    // null). The world, held attributes, data and null objects fail with
    // kInvalidParameter.
    static MStatus deleteNode(const MObject& object);
    // The sets (shading groups among them) that hold an item of the list or
    // some of its components, each once, in order of creation; an item on a
    // transform's path also asks for its first shape.
    static MStatus getAssociatedSets(const MSelectionList& list, MObjectArray& sets);
};

#endif
