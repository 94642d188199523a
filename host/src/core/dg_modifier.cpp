#include <vesk/MDGModifier.h>
#include <vesk/MGlobal.h>

#include "core/object_access.h"

using vesk::ObjectAccess;
using vesk::PlugRef;
using vesk::store;

namespace {

enum EditKind { kConnect, kDisconnect, kDelete, kRename };

} // namespace

MStatus MDGModifier::connect(const MPlug& source, const MPlug& destination)
{
    mEdits.push_back(Edit{kConnect, source, destination, MObject(), MString()});
    return MStatus::kSuccess;
}

MStatus MDGModifier::connect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                             const MObject& destAttr)
{
    return connect(MPlug(sourceNode, sourceAttr), MPlug(destNode, destAttr));
}

MStatus MDGModifier::disconnect(const MPlug& source, const MPlug& destination)
{
    mEdits.push_back(Edit{kDisconnect, source, destination, MObject(), MString()});
    return MStatus::kSuccess;
}

MStatus MDGModifier::disconnect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                                const MObject& destAttr)
{
    return disconnect(MPlug(sourceNode, sourceAttr), MPlug(destNode, destAttr));
}

MStatus MDGModifier::deleteNode(const MObject& node)
{
    mEdits.push_back(Edit{kDelete, MPlug(), MPlug(), node, MString()});
    return MStatus::kSuccess;
}

MStatus MDGModifier::renameNode(const MObject& node, const MString& newName)
{
    mEdits.push_back(Edit{kRename, MPlug(), MPlug(), node, newName});
    return MStatus::kSuccess;
}

MStatus MDGModifier::doIt()
{
    std::vector<Edit> edits;
    edits.swap(mEdits);
    for (const Edit& e : edits) {
        MStatus s;
        PlugRef a, b;
        switch (e.kind) {
        case kConnect:
        case kDisconnect:
            if (!ObjectAccess::plugRef(e.a, a) || !ObjectAccess::plugRef(e.b, b))
                return MStatus::kInvalidParameter;
            s = e.kind == kConnect ? store().connect(a, b) : store().disconnect(a, b);
            break;
        case kDelete:
            s = MGlobal::deleteNode(e.node);
            break;
        case kRename: {
            const vesk::NodeId n = ObjectAccess::node(e.node);
            s = n.valid() ? store().rename(n, e.name.asChar()) : MStatus(MStatus::kInvalidParameter);
            break;
        }
        }
        if (!s)
            return s;
    }
    return MStatus::kSuccess;
}

MStatus MDGModifier::undoIt()
{
    return MStatus::kFailure;
}
