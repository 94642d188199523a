#include <vesk/MFnDagNode.h>

#include "core/object_access.h"
#include "geometry/shape_fn_impl.h"

namespace vesk {

bool spaceMatrix(const MObject& object, const MDagPath& bound, MSpace::Space space, bool worldAllowed,
                 MMatrix& out)
{
    out = MMatrix();
    if (space == MSpace::kObject || space == MSpace::kTransform)
        return true;
    if (space != MSpace::kWorld || !worldAllowed)
        return false;
    if (!ObjectAccess::node(object).valid())
        return true;
    MDagPath path = bound;
    if (!path.isValid() || path.node() != object)
        if (!MDagPath::getAPathTo(object, path))
            return true;
    out = path.inclusiveMatrix();
    return true;
}

MMatrix normalMatrix(const MMatrix& m)
{
    return m.inverse().transpose();
}

MObject createShape(const char* kindName, const MObject& parent, NodeId& made, MStatus* status)
{
    const NodeId p = ObjectAccess::node(parent);
    if (p.valid() && store().kindOf(p)->isDag()) {
        MStatus s;
        made = store().createNode(kindName, store().name(p) + "Shape", p, &s);
        report(status, s);
        return s ? ObjectAccess::fromNode(made) : MObject();
    }
    MFnDagNode fn;
    const MObject returned = fn.create(kindName, parent, status);
    made = ObjectAccess::node(fn.object());
    return returned;
}

} // namespace vesk
