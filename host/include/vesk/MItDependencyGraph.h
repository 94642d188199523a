// Walks the dependency graph along connections from a root node or plug.
#ifndef VESK_MITDEPENDENCYGRAPH_H
#define VESK_MITDEPENDENCYGRAPH_H

#include <vesk/MFn.h>
#include <vesk/MObject.h>
#include <vesk/MPlug.h>
#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

// Downstream follows connections from sources to destinations, upstream the
// other way. Each node is visited once; the root comes first when it passes
// the filter, which only chooses what is reported. At plug level a walk
// from a plug starts from that plug's own connections, its children's and
// its elements'; every other start uses all of the node's connections.
class VESK_API MItDependencyGraph {
public:
    enum Direction { kDownstream = 0, kUpstream = 1 };
    enum Traversal { kDepthFirst = 0, kBreadthFirst = 1 };
    enum Level { kNodeLevel = 0, kPlugLevel = 1 };

    // A dead or null root or an unknown code fails with kInvalidParameter;
    // the iterator is then done.
    MItDependencyGraph(const MObject& rootNode, MFn::Type filter = MFn::kInvalid, Direction direction = kDownstream,
                       Traversal traversal = kDepthFirst, Level level = kNodeLevel, MStatus* status = nullptr);
    MItDependencyGraph(const MPlug& rootPlug, MFn::Type filter = MFn::kInvalid, Direction direction = kDownstream,
                       Traversal traversal = kDepthFirst, Level level = kNodeLevel, MStatus* status = nullptr);
    ~MItDependencyGraph();
    MItDependencyGraph(const MItDependencyGraph&) = delete;
    MItDependencyGraph& operator=(const MItDependencyGraph&) = delete;

    MStatus reset();
    bool isDone(MStatus* status = nullptr) const;
    // Moves to the next reported node; kFailure when there is none (the
    // iterator is then done).
    MStatus next();
    MObject thisNode(MStatus* status = nullptr) const;
    MObject currentItem(MStatus* status = nullptr) const { return thisNode(status); }
    // The plug of the current node through which it was reached (null for
    // the root).
    MPlug thisPlug(MStatus* status = nullptr) const;
    MObject rootNode(MStatus* status = nullptr) const;
    MPlug rootPlug(MStatus* status = nullptr) const;

private:
    struct Impl;
    Impl* mImpl;
};

#endif
