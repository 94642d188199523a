// Walks every node in order of creation.
#ifndef VESK_MITDEPENDENCYNODES_H
#define VESK_MITDEPENDENCYNODES_H

#include <vesk/MFn.h>
#include <vesk/MObject.h>
#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

// Reports the live nodes of the filter's type (all for kInvalid), oldest
// first; the world is never reported. Nodes made during the walk are met
// when they come after the current one.
class VESK_API MItDependencyNodes {
public:
    MItDependencyNodes(MFn::Type filter = MFn::kInvalid, MStatus* status = nullptr);

    MStatus reset();
    bool isDone(MStatus* status = nullptr) const;
    // Moves on; kFailure when the walk was done.
    MStatus next();
    MObject thisNode(MStatus* status = nullptr) const;
    MObject item(MStatus* status = nullptr) const { return thisNode(status); }

private:
    void advance();

    MFn::Type mFilter;
    unsigned long long mSeq = 0;
    unsigned int mIndex = 0xFFFFFFFFu;
    unsigned int mGen = 0;
};

#endif
