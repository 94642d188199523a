// A path through the DAG from the world to one node.
#ifndef VESK_MDAGPATH_H
#define VESK_MDAGPATH_H

#include <vector>

#include <vesk/MFn.h>
#include <vesk/MMatrix.h>
#include <vesk/MObject.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/VeskExport.h>

class MDagPathArray;
namespace vesk {
struct PathLink;
} // namespace vesk

// The nodes from a top-level node down to the path's node (the world is
// not part of it). An instanced node has one path per instance, numbered as
// a depth-first walk from the world meets them. An empty path has no node.
// A path whose nodes were deleted or unparented is invalid; its calls then
// fail with kInvalidParameter and give empty results. Copies share the
// path's nodes with the original: copying, comparing, length, parent and
// child paths cost O(1) however deep the path is; its full name and its
// matrices cost its length.
class VESK_API MDagPath {
public:
    MDagPath() {}
    MDagPath(const MDagPath& other);
    MDagPath& operator=(const MDagPath& other);
    ~MDagPath();

    // The first path (instance 0) to a DAG node; fails with
    // kInvalidParameter for the world, non-DAG and dead objects.
    static MStatus getAPathTo(const MObject& node, MDagPath& path);
    // Every path to the node, in instance order.
    static MStatus getAllPathsTo(const MObject& node, MDagPathArray& paths);

    bool isValid(MStatus* status = nullptr) const;
    // The last node; null for an empty path.
    MObject node(MStatus* status = nullptr) const;
    // The node when it is a transform, else the transform above it on the
    // path; null when there is none.
    MObject transform(MStatus* status = nullptr) const;
    // Number of nodes on the path.
    unsigned int length(MStatus* status = nullptr) const;
    // Drops the last n nodes; fails, changing nothing, when no node would
    // remain.
    MStatus pop(unsigned int n = 1);
    // Appends a child of the path's node.
    MStatus push(const MObject& child);
    unsigned int childCount(MStatus* status = nullptr) const;
    MObject child(unsigned int i, MStatus* status = nullptr) const;
    // Extends a transform's path to its first non-intermediate shape; a
    // shape's path is kept. Fails when there is none.
    MStatus extendToShape();
    // Number of shapes (intermediate ones included) directly below.
    unsigned int numberOfShapesDirectlyBelow(MStatus* status = nullptr) const;

    // "|group1|joint1"; "" for an empty path.
    MString fullPathName(MStatus* status = nullptr) const;
    // The shortest unique tail ("hip", else "L|hip"), or the full name.
    MString partialPathName(MStatus* status = nullptr) const;

    // The node's type, or for a transform also its first non-intermediate
    // shape's; apiType stays the node's own.
    bool hasFn(MFn::Type type, MStatus* status = nullptr) const;
    MFn::Type apiType(MStatus* status = nullptr) const;

    // Position among the node's paths (see above).
    unsigned int instanceNumber(MStatus* status = nullptr) const;
    // True when a node on the path has more than one parent.
    bool isInstanced(MStatus* status = nullptr) const;

    // The product of the local matrices from the node up (a point of the
    // node meets its own matrix first); exclusive leaves the node out.
    MMatrix inclusiveMatrix(MStatus* status = nullptr) const;
    MMatrix exclusiveMatrix(MStatus* status = nullptr) const;

    bool operator==(const MDagPath& other) const;
    bool operator!=(const MDagPath& other) const { return !(*this == other); }

private:
    friend struct vesk::ObjectAccess;
    const vesk::PathLink* mLink = nullptr;
};

#endif
