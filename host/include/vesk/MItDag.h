// Walks the DAG below the world.
#ifndef VESK_MITDAG_H
#define VESK_MITDAG_H

#include <vesk/MDagPath.h>
#include <vesk/MFn.h>
#include <vesk/MObject.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/VeskExport.h>

// Depth first: a node, then its children in order. Breadth first: level by
// level. An instanced node is visited once under each parent. The filter
// only chooses which nodes are reported: the walk goes on below the others.
// The world is never reported. Changing the DAG during a walk may skip or
// repeat nodes but never breaks the iterator.
class VESK_API MItDag {
public:
    enum TraversalType { kInvalidType = 0, kDepthFirst = 1, kBreadthFirst = 2 };

    // An invalid traversal type fails with kInvalidParameter; the iterator is
    // then done.
    MItDag(TraversalType traversal = kDepthFirst, MFn::Type filter = MFn::kInvalid, MStatus* status = nullptr);
    ~MItDag();
    MItDag(const MItDag&) = delete;
    MItDag& operator=(const MItDag&) = delete;

    // Back to the first node of the current scene.
    MStatus reset();
    bool isDone(MStatus* status = nullptr) const;
    // Moves to the next reported node; kFailure when the walk was done.
    MStatus next();
    MStatus getPath(MDagPath& path) const;
    MObject currentItem(MStatus* status = nullptr) const;
    MObject item(MStatus* status = nullptr) const { return currentItem(status); }
    MString fullPathName(MStatus* status = nullptr) const;
    MString partialPathName(MStatus* status = nullptr) const;
    // Number of nodes on the current path.
    unsigned int depth(MStatus* status = nullptr) const;

private:
    struct Impl;
    Impl* mImpl;
};

#endif
