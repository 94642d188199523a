// Queued graph edits, run together.
#ifndef VESK_MDGMODIFIER_H
#define VESK_MDGMODIFIER_H

#include <vector>

#include <vesk/MObject.h>
#include <vesk/MPlug.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/VeskExport.h>

// Each call queues one edit; doIt runs the queue in order and stops at the
// first edit that fails, returning its status (earlier edits stay done).
// The queue is then empty. Nothing can be undone.
class VESK_API MDGModifier {
public:
    MDGModifier() {}

    // A destination has one source; see NodeStore::connect for the refusals.
    MStatus connect(const MPlug& source, const MPlug& destination);
    MStatus connect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                    const MObject& destAttr);
    MStatus disconnect(const MPlug& source, const MPlug& destination);
    MStatus disconnect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                       const MObject& destAttr);
    MStatus deleteNode(const MObject& node);
    MStatus renameNode(const MObject& node, const MString& newName);
    MStatus doIt();
    // Always kFailure: edits are not undone.
    MStatus undoIt();

private:
    struct Edit {
        int kind;
        MPlug a;
        MPlug b;
        MObject node;
        MString name;
    };
    std::vector<Edit> mEdits;
};

#endif
