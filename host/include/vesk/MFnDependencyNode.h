// Function set of every node: name, kind, attributes, plugs.
#ifndef VESK_MFNDEPENDENCYNODE_H
#define VESK_MFNDEPENDENCYNODE_H

#include <vesk/MFnBase.h>
#include <vesk/MPlug.h>
#include <vesk/MString.h>
#include <vesk/MTypeId.h>
#include <vesk/VeskExport.h>

class MPlugArray;

// Names: letters, digits, '_' and ':' (namespaces); other characters become
// '_'. A name without ':' goes into the current namespace. A clash (a
// non-DAG name against every node, a DAG name against its siblings and the
// non-DAG names) drops trailing digits and appends the lowest free number
// ("Box" -> "Box1").
class VESK_API MFnDependencyNode : public MFnBase {
public:
    // Attribute classes: the kind's own attributes and the ones added to one
    // node.
    enum MAttrClass { kInvalidAttr = 0, kNormalAttr = 1, kLocalDynamicAttr = 2, kGlobalDynamicAttr = 3 };

    MFnDependencyNode() {}
    // Binds to any node; other objects fail with kInvalidParameter.
    MFnDependencyNode(const MObject& node, MStatus* status = nullptr);
    MFn::Type type() const override;

    // Makes a node of the kind named typeName ("objectSet", "phong"); DAG
    // kinds go under the world. Named name, or the type name and a number.
    // Binds the set to it. Unknown or abstract kinds fail with
    // kInvalidParameter and give the null object.
    MObject create(const MString& typeName, MStatus* status = nullptr);
    MObject create(const MString& typeName, const MString& name, MStatus* status = nullptr);

    MString name(MStatus* status = nullptr) const;
    // Renames the node by the rules above and returns the name given; an
    // empty name fails with kInvalidParameter and changes nothing.
    MString setName(const MString& name, MStatus* status = nullptr);
    MTypeId typeId(MStatus* status = nullptr) const;
    MString typeName(MStatus* status = nullptr) const;

    // Top-level attributes: the kind's (ancestors' first), then the dynamic
    // ones in order of addition. Children are reached through their parent.
    unsigned int attributeCount(MStatus* status = nullptr) const;
    MObject attribute(unsigned int index, MStatus* status = nullptr) const;
    // By long or short name, children and dynamic attributes included;
    // null with kNotFound when absent.
    MObject attribute(const MString& name, MStatus* status = nullptr) const;
    bool hasAttribute(const MString& name, MStatus* status = nullptr) const;
    // kNormalAttr for the kind's, kLocalDynamicAttr for added ones (their
    // children too).
    MAttrClass attributeClass(const MObject& attribute, MStatus* status = nullptr) const;
    // Adds an attribute made by an attribute function set (class
    // kLocalDynamicAttr only): kFailure for a null attribute, one a node
    // already holds or another class; kInvalidParameter when a long or short
    // name of it or its children is taken on the node.
    MStatus addAttribute(const MObject& attribute, MAttrClass type = kLocalDynamicAttr);
    // Removes an added attribute with its values and connections.
    MStatus removeAttribute(const MObject& attribute, MAttrClass type = kLocalDynamicAttr);

    // The plug of an attribute by long or short name (children included), or
    // an element alias; array levels above it stay unset. Null with kNotFound
    // when the node has no such attribute.
    MPlug findPlug(const MString& name, MStatus* status = nullptr) const;
    MPlug findPlug(const MObject& attribute, MStatus* status = nullptr) const;
    // Every plug of the node that takes part in a connection, in order of
    // connection, each once.
    MStatus getConnections(MPlugArray& plugs) const;

    // Names one element plug of this node (add true) or drops the alias
    // (add false). Fails when the alias is taken or not a legal name, or the
    // plug is not an element of this node.
    bool setAlias(const MString& alias, const MString& name, const MPlug& plug, bool add = true,
                  MStatus* status = nullptr);
    // The alias of a plug, or "".
    MString plugsAlias(const MPlug& plug, MStatus* status = nullptr) const;

protected:
    bool accepts(const MObject& object) const override;
};

#endif
