// Bridges between the public handles (MObject, MPlug, MDagPath,
// MSelectionList) and the node store.
#ifndef VESK_CORE_OBJECT_ACCESS_H
#define VESK_CORE_OBJECT_ACCESS_H

#include <vesk/MDagPath.h>
#include <vesk/MObject.h>
#include <vesk/MPlug.h>
#include <vesk/MSelectionList.h>
#include <vesk/MStatus.h>

#include "store/node_store.h"
#include "store/selection.h"

namespace vesk {

struct VESK_API ObjectAccess {
    static MObject fromNode(NodeId n);
    static MObject fromRef(RefObject* r);
    // The live node of a handle, or an invalid id.
    static NodeId node(const MObject& o);
    // The live object of a handle, or null.
    static RefObject* ref(const MObject& o);
    // The live attribute of a handle, or null.
    static Attribute* attribute(const MObject& o);

    static MPlug plug(NodeId node, const PlugKey& key);
    // The plug's node and key when both still exist.
    static bool plugRef(const MPlug& p, PlugRef& out);

    static MDagPath path(const Path& p);
    static Path path(const MDagPath& p);

    static SelectionData& data(MSelectionList& list) { return *list.mData; }
    static const SelectionData& data(const MSelectionList& list) { return *list.mData; }
};

// Writes the status when asked for and returns it.
inline MStatus report(MStatus* out, MStatus s)
{
    if (out)
        *out = s;
    return s;
}

} // namespace vesk

#endif
