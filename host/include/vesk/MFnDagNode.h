// Function set of DAG nodes: parents, children, paths.
#ifndef VESK_MFNDAGNODE_H
#define VESK_MFNDAGNODE_H

#include <vesk/MDagPath.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MMatrix.h>
#include <vesk/VeskExport.h>

class MDagPathArray;

// The world is parent 0 of every top-level node; it has no name and no
// path. Bound to a path, the set keeps it for the path calls; bound to an
// object, they use the node's first path.
class VESK_API MFnDagNode : public MFnDependencyNode {
public:
    static const unsigned int kNextPos = 0xFFFFFFFFu;

    MFnDagNode() {}
    MFnDagNode(const MObject& node, MStatus* status = nullptr);
    MFnDagNode(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override;

    // Makes a DAG node of the kind named typeName under parent (the world for
    // the null object) and binds the set to it. A shape kind made under the
    // world gets a new transform ("<type>1") above it, and the transform is
    // returned. Non-DAG and unknown kinds fail with kInvalidParameter.
    MObject create(const MString& typeName, const MObject& parent = MObject::kNullObj, MStatus* status = nullptr);
    MObject create(const MString& typeName, const MString& name, const MObject& parent = MObject::kNullObj,
                   MStatus* status = nullptr);

    unsigned int parentCount(MStatus* status = nullptr) const;
    // Parent i in order of parenting; the world for a top-level node.
    MObject parent(unsigned int index, MStatus* status = nullptr) const;
    unsigned int childCount(MStatus* status = nullptr) const;
    MObject child(unsigned int index, MStatus* status = nullptr) const;
    // Puts the child under this node at index (kNextPos appends); without
    // keepExistingParents it leaves its other parents (a child of this node
    // just moves), with it it becomes an instance. Cycles, the world,
    // non-DAG nodes and instancing a child twice under one parent are
    // refused with kInvalidParameter. A name clash among the new siblings
    // renames it.
    MStatus addChild(const MObject& child, unsigned int index = kNextPos, bool keepExistingParents = false);
    // Takes the child away; without other parents it goes under the world.
    MStatus removeChild(const MObject& child);
    bool hasChild(const MObject& node, MStatus* status = nullptr) const;
    bool isChildOf(const MObject& node, MStatus* status = nullptr) const;
    bool isParentOf(const MObject& node, MStatus* status = nullptr) const;

    // The bound path, else the node's first path.
    MStatus getPath(MDagPath& path) const;
    MDagPath dagPath(MStatus* status = nullptr) const;
    MStatus getAllPaths(MDagPathArray& paths) const;
    MString fullPathName(MStatus* status = nullptr) const;
    MString partialPathName(MStatus* status = nullptr) const;
    // More than one path (the node or, with indirect, an ancestor instanced).
    bool isInstanced(bool indirect = true, MStatus* status = nullptr) const;
    // Number of paths (total) or of the node's own parents.
    unsigned int instanceCount(bool total, MStatus* status = nullptr) const;
    bool isIntermediateObject(MStatus* status = nullptr) const;
    MStatus setIntermediateObject(bool on);
    // The node's local matrix (identity for non-transforms).
    MMatrix transformationMatrix(MStatus* status = nullptr) const;

protected:
    bool accepts(const MObject& object) const override;
    // Binds to the path's node when it has type wanted, else, for a
    // transform, to its first non-intermediate shape when that has it (the
    // kept path is extended to the shape). kInvalidParameter otherwise.
    MStatus bindPath(const MDagPath& path, MFn::Type wanted);

    MDagPath mPath;
};

#endif
