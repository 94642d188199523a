// Node kinds: type number, ancestry, name, static attributes and the hooks
// later modules of the host attach (payload factories, computations).
#ifndef VESK_STORE_KIND_H
#define VESK_STORE_KIND_H

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <vesk/MFn.h>
#include <vesk/MTypeId.h>
#include <vesk/VeskExport.h>

#include "store/attribute.h"
#include "store/ids.h"

namespace vesk {

class NodeStore;

// Per-node data a kind keeps outside plugs (geometry, curve keys, set
// members). Owned by the node; destroyed with it.
class VESK_API Payload {
public:
    virtual ~Payload();
};

typedef std::function<std::unique_ptr<Payload>(NodeStore& store, NodeId node)> PayloadFactory;
// Bounds of component indices on a node: count (and countV for two-index
// components) of the elements of the given component type; false when the
// node has no such elements. Used to refuse component texts past the end.
typedef std::function<bool(const NodeStore& store, NodeId node, MFn::Type componentType, int& count, int& countV)>
    ComponentExtentFn;

// One node kind. Its attributes are those of its ancestors (first) and its
// own, in declaration order; names (long and short, children included) are
// unique within a kind.
class VESK_API Kind {
public:
    Kind(MFn::Type type, const Kind* parent, const std::string& typeName, unsigned int typeId);
    // Deletes the kind's own attributes (only a registry that ends, as in a
    // test, destroys its kinds; the store's lives to the end).
    ~Kind();
    Kind(const Kind&) = delete;
    Kind& operator=(const Kind&) = delete;

    MFn::Type type() const { return mType; }
    const Kind* parent() const { return mParent; }
    // The name that creation commands and MFnDependencyNode::typeName use
    // ("transform", "mesh", "skinCluster").
    const std::string& typeName() const { return mTypeName; }
    MTypeId typeId() const { return MTypeId(mTypeId); }
    // True for kinds below kDagNode.
    bool isDag() const;
    bool isA(MFn::Type t) const;

    // Declares a top-level static attribute of this kind; false when a name
    // of it or its children is already used by the kind or an ancestor, or
    // after the registry was finalised.
    bool addAttribute(const Ref<Attribute>& attr);
    // Own top-level attributes, in declaration order.
    const std::vector<Attribute*>& ownAttributes() const { return mOwn; }
    // All top-level attributes, ancestors' first (valid once finalised).
    const std::vector<Attribute*>& attributes() const { return mAll; }
    // Attribute of a long or short name, children included, or null.
    Attribute* findAttribute(const std::string& name) const;

    // True for kinds that only group others: no node is made of them.
    bool abstract = false;
    // Called once for every new node of this kind (and of kinds below it
    // that set none of their own).
    PayloadFactory payloadFactory;
    ComponentExtentFn componentExtent;

private:
    friend class KindRegistry;
    void finalize();

    MFn::Type mType;
    const Kind* mParent;
    std::string mTypeName;
    unsigned int mTypeId;
    std::vector<Attribute*> mOwn;
    std::vector<Attribute*> mAll;
    std::unordered_map<std::string, Attribute*> mByName;
    bool mFinal = false;
};

// The kinds of the host. Kinds are added by the registrar functions run when
// the store is made (registerCoreKinds first), then the registry is
// finalised: after that no kind or static attribute can be added.
class VESK_API KindRegistry {
public:
    KindRegistry();
    ~KindRegistry();

    // Adds a kind below the kind of type parentType (kInvalid for a root);
    // null when the type or the name is taken or the parent is unknown.
    Kind* add(MFn::Type type, MFn::Type parentType, const std::string& typeName);
    Kind* find(MFn::Type type) const;
    Kind* find(const std::string& typeName) const;
    // Kinds in order of addition.
    const std::vector<Kind*>& kinds() const { return mKinds; }
    void finalize();
    bool finalized() const { return mFinal; }

private:
    std::vector<Kind*> mKinds;
    std::unordered_map<int, Kind*> mByType;
    std::unordered_map<std::string, Kind*> mByName;
    bool mFinal = false;
};

// A registrar adds kinds and their hooks. The store runs every registrar of
// kRegistrars (store/registrars.cpp) in order; a later module of the host
// appends its own there.
typedef void (*KindRegistrar)(KindRegistry& registry);
void registerCoreKinds(KindRegistry& registry);

} // namespace vesk

#endif
