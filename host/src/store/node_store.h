// The one scene of the host: nodes of registered kinds, their plugs and
// connections, the DAG, names and namespaces, the selection and globals.
#ifndef VESK_STORE_NODE_STORE_H
#define VESK_STORE_NODE_STORE_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <vesk/MMatrix.h>
#include <vesk/MStatus.h>
#include <vesk/MTransformationMatrix.h>
#include <vesk/VeskExport.h>

#include "store/attribute.h"
#include "store/ids.h"
#include "store/kind.h"
#include "store/path.h"
#include "store/value.h"

namespace vesk {

class SelectionData;

// Settings of the scene that survive a new scene.
struct Globals {
    // "y" or "z".
    std::string upAxis = "y";
    double jointDisplayScale = 1.0;
    // The current time in seconds (read by computed curve outputs) and the
    // playback range, also in seconds.
    double currentTime = 0.0;
    double minTime = 0.0;
    double maxTime = 1.0;
};

// One connection, source plug to destination plug.
struct Connection {
    PlugRef src;
    PlugRef dst;
    bool live = false;
    // Positions in the two nodes' connection lists.
    uint32_t srcPos = 0;
    uint32_t dstPos = 0;
};

// Where a parsed plug or object text points (parseAddress).
struct Address {
    NodeId node;
    // The DAG path when the text named a DAG node (empty otherwise).
    Path path;
    // The plug when the text named an attribute (key.attr null otherwise).
    PlugKey plug;
    // The components when the text named some (".vtx[1:3]").
    Ref<Component> component;
};

// The store. Every call checks its node handles: a deleted node (stale
// generation) is refused with MStatus::kInvalidParameter, or reads as empty.
// Names follow the host's rules (see rename). Costs: creation, naming,
// lookups by name and plug access are O(1) expected. Path validity, first
// paths, instance numbers and the partial names of uniquely named nodes are
// O(1) amortised while nothing is instanced (a DAG edit other than adding a
// new node has each path checked once more); full path names, name lookups
// of paths and matrices along paths cost their depth. Nothing walks all
// nodes except iteration and reset.
class VESK_API NodeStore {
public:
    NodeStore();
    ~NodeStore();
    NodeStore(const NodeStore&) = delete;
    NodeStore& operator=(const NodeStore&) = delete;

    const KindRegistry& kinds() const { return *mKinds; }
    const Kind* kind(const std::string& typeName) const;
    const Kind* kind(MFn::Type type) const;

    // ---- Nodes -------------------------------------------------------------
    // The world: parent of every top-level DAG node; never named, iterated
    // or deleted.
    NodeId world() const { return mWorld; }
    bool isAlive(NodeId n) const;
    const Kind* kindOf(NodeId n) const;
    // Makes a node of a concrete kind. DAG nodes go under parent (the world
    // for an invalid id); non-DAG nodes take no parent. The name is made
    // legal and unique (see rename); empty gives the kind's type name and a
    // number. Fails with kInvalidParameter (invalid id) on an abstract kind,
    // a dead parent, or a non-DAG parent.
    NodeId createNode(const Kind* kind, const std::string& name, NodeId parent, MStatus* status = nullptr);
    NodeId createNode(const std::string& typeName, const std::string& name, NodeId parent = NodeId(),
                      MStatus* status = nullptr);
    // Deletes a node: its connections, selection items and DAG links go, and
    // its DAG children left without a parent are deleted with it. The world
    // cannot be deleted.
    MStatus deleteNode(NodeId n);
    // Number of live nodes, the world excluded.
    size_t nodeCount() const { return mLiveCount; }
    // Creation order: the first live node made after sequence number seq
    // (0 for the first), or an invalid id; seqOut gets its number.
    NodeId nextInCreationOrder(uint64_t seq, uint64_t* seqOut) const;

    // ---- Names -------------------------------------------------------------
    const std::string& name(NodeId n) const;
    // Renames: characters other than letters, digits, '_' and ':' become
    // '_'; a name without ':' goes into the current namespace; a clash
    // (a non-DAG name against every node, a DAG name against its siblings
    // and the non-DAG names; live nodes only) drops trailing digits and
    // appends the lowest free number. given receives the name used. Empty
    // names and the world fail with kInvalidParameter.
    MStatus rename(NodeId n, const std::string& wanted, std::string* given = nullptr);
    // Gives the node exactly that name, whatever bytes it holds: scenes
    // written by other programs carry names the rules above would refuse.
    // Fails with kInvalidParameter for an empty name, the world, or a name
    // that clashes.
    MStatus renameAsIs(NodeId n, const std::string& name);
    // The live nodes of exactly this name.
    const std::vector<NodeId>& nodesNamed(const std::string& name) const;
    bool intermediate(NodeId n) const;
    void setIntermediate(NodeId n, bool on);

    // Namespaces: names without the root ":"; the current one is "" (root)
    // until set. addNamespace fails on an empty or taken name.
    MStatus addNamespace(const std::string& ns);
    MStatus setCurrentNamespace(const std::string& ns);
    const std::string& currentNamespace() const { return mCurrentNamespace; }
    const std::vector<std::string>& namespaces() const { return mNamespaces; }

    // ---- DAG ---------------------------------------------------------------
    const std::vector<NodeId>& parents(NodeId n) const;
    const std::vector<NodeId>& children(NodeId n) const;
    // Puts child under parent at position index (-1 appends). Without
    // keepExisting the child leaves its other parents; with it the child
    // becomes an instance (refused when it is already under parent; without
    // it a child of parent just moves to the new position). Refused too:
    // non-DAG nodes, the world as child, cycles. The child is renamed when
    // its name clashes with its new siblings.
    MStatus addChild(NodeId parent, NodeId child, int index, bool keepExisting);
    // Takes child from parent; a child left without parents goes under the
    // world.
    MStatus removeChild(NodeId parent, NodeId child);
    // The first child shape (kShape) that is not intermediate, or invalid.
    NodeId firstShape(NodeId n) const;
    // The child of parent bearing the name, or invalid.
    NodeId childNamed(NodeId parent, const std::string& name) const;

    // Paths, in the order of a depth-first walk from the world.
    bool pathValid(const Path& p) const;
    // A valid path on which some node has more than one parent.
    bool pathInstanced(const Path& p) const;
    // False for the world, dead and non-DAG nodes.
    bool firstPath(NodeId n, Path& out) const;
    void allPaths(NodeId n, std::vector<Path>& out) const;
    // Position of the path among allPaths of its last node, or -1.
    int instanceNumber(const Path& p) const;
    // "|a|b|c"; "" for an empty path. The last few names made are kept
    // until a name changes: a path named again, or the child of one just
    // named, costs a copy instead of a walk up.
    std::string fullPathName(const Path& p) const;
    // The shortest tail of the path that names it alone ("c", else "b|c"),
    // or the full path name when no tail does.
    std::string partialPathName(const Path& p) const;
    // Nodes whose paths end in the given names (last name last); stops
    // after max matches. A leading "" entry anchors the tail at the world.
    void pathsEndingWith(const std::vector<std::string_view>& names, size_t max, std::vector<Path>& out) const;
    // The path's node has type t, or (for a transform) its first shape has.
    bool pathHasFn(const Path& p, MFn::Type t) const;
    // Local matrix of one node (identity unless it is a transform) and the
    // product along a path (last node first, as a point meets them).
    MMatrix localMatrix(NodeId n) const;
    // The parts of a transform's local matrix as its plugs hold them (the
    // identity for other nodes).
    MTransformationMatrix transformation(NodeId n) const;
    MMatrix inclusiveMatrix(const Path& p) const;

    // ---- Attributes ----------------------------------------------------------
    // Long or short name, children included; dynamic attributes too.
    Attribute* findAttribute(NodeId n, const std::string& name) const;
    // Top-level attributes: the kind's, then the dynamic ones in order.
    size_t attributeCount(NodeId n) const;
    Attribute* attributeAt(NodeId n, size_t i) const;
    // True when the attribute (or its top-level ancestor) is held by the
    // node as a dynamic attribute; false for static ones.
    bool isDynamic(NodeId n, const Attribute* a) const;
    // True when the node holds the attribute (static or dynamic).
    bool hasAttribute(NodeId n, const Attribute* a) const;
    // Adds a free attribute as a dynamic one: kFailure for a null, deleted
    // or held attribute, kInvalidParameter when a name of it or of its
    // children is taken on the node.
    MStatus addAttribute(NodeId n, const Ref<Attribute>& attr);
    // Removes a dynamic attribute with its values and connections.
    MStatus removeAttribute(NodeId n, Attribute* attr);
    // Deletes an attribute no node holds (it then reads as null); fails with
    // kInvalidParameter for a held one.
    MStatus deleteFreeAttribute(Attribute* attr);

    // ---- Plugs ---------------------------------------------------------------
    // True when every array level above the plug's attribute has an index.
    static bool levelsSet(const PlugKey& k);
    // True when the plug can hold a value: a leaf, levels set, its own level
    // set when it is an array.
    static bool isValuePlug(const PlugKey& k);
    // The value: a computed attribute's computation; else, for a destination
    // whose source is computed, the source's; else the stored value or the
    // attribute's default. Re-entering a computation gives the stored value.
    MStatus readValue(NodeId n, const PlugKey& k, Value& out);
    // Stores a value (already converted to the attribute's kind); refused
    // with kInvalidParameter on an attribute that is not writable (an
    // output) and with kFailure on a locked plug (or locked ancestor plug).
    MStatus writeValue(NodeId n, const PlugKey& k, const Value& v);
    // A stored value, without computation (false when none is stored).
    bool storedValue(NodeId n, const PlugKey& k, Value& out) const;
    // Locked by itself or through an ancestor plug (compound parent, array
    // element, array).
    bool isLocked(NodeId n, const PlugKey& k) const;
    bool ownLock(NodeId n, const PlugKey& k) const;
    MStatus setLocked(NodeId n, const PlugKey& k, bool locked);
    // Logical indices of an array plug (own level unset), ascending; an
    // element exists once it holds a value or a connection (computed arrays
    // list theirs).
    void logicalIndices(NodeId n, const PlugKey& arrayKey, std::vector<uint32_t>& out);
    size_t numElements(NodeId n, const PlugKey& arrayKey);
    // The logical index at a physical position (O(1) for stored arrays);
    // false past the end.
    bool logicalIndexAt(NodeId n, const PlugKey& arrayKey, size_t physical, uint32_t& out);
    // Makes an element exist (each array level of the key).
    void touchElements(NodeId n, const PlugKey& k);
    // Element aliases: an alias names one element plug of the node.
    MStatus setAlias(NodeId n, const std::string& alias, const PlugKey& k);
    MStatus removeAlias(NodeId n, const PlugKey& k);
    const std::string* aliasOf(NodeId n, const PlugKey& k) const;
    bool findAlias(NodeId n, const std::string& alias, PlugKey& out) const;

    // ---- Connections -----------------------------------------------------------
    // Connects source to destination. Refused (kInvalidParameter): a dead
    // node, unset levels, an array plug, a destination that has a source, is
    // locked or not writable and connectable, a source that is not readable
    // and connectable, unlike kinds (message, number, matrix, data type,
    // compound shape), a plug to itself.
    MStatus connect(const PlugRef& src, const PlugRef& dst);
    MStatus disconnect(const PlugRef& src, const PlugRef& dst);
    bool sourceOf(const PlugRef& dst, PlugRef& src) const;
    void destinationsOf(const PlugRef& src, std::vector<PlugRef>& out) const;
    // Connection ids of a node, in order of connection; removed ones read
    // kNoConnection until the list is compacted.
    const std::vector<uint32_t>& connectionsOf(NodeId n) const;
    const Connection& connection(uint32_t id) const { return mConnections[id]; }

    // ---- Text forms ------------------------------------------------------------
    // A node's address: its partial path name (first path) for DAG nodes,
    // else its name.
    std::string nodeAddress(NodeId n) const;
    // The plug path "wl[2].weights[5]": the leaf preceded by each array
    // ancestor with its index ("[-1]" when unset), long or short names; with
    // useAlias an aliased element shows its alias instead.
    std::string plugPath(NodeId n, const PlugKey& k, bool longNames, bool useAlias) const;
    // Reads a node, plug or component text: a name, partial or full path,
    // then optionally ".attr[i].child" (long or short names, aliases) or a
    // component (".vtx[i]", ".vtx[a:b]", ".f[i]", ".cv[u][v]", ranges in
    // either cv index); a transform stands for its first shape in component
    // texts. The node must be named by exactly one match. Fails with
    // kNotFound (nothing matches) or kInvalidParameter (bad text, several
    // matches, indices past the geometry), error saying why.
    MStatus parseAddress(const std::string& text, Address& out, std::string* error = nullptr) const;
    // Component texts: the word of a component type ("vtx", "f", "cv") or
    // null, and the type of a word or kInvalid.
    static const char* componentWord(MFn::Type type);
    static MFn::Type componentType(const std::string& word);

    // ---- Selection, globals, payloads, listeners -----------------------------
    SelectionData& activeSelection() { return *mSelection; }
    Globals& globals() { return mGlobals; }
    Payload* payload(NodeId n) const;
    // Called for each node just before it is deleted (also by reset); the
    // id given back removes the listener.
    size_t addDeletionListener(const std::function<void(NodeId)>& fn);
    // Called after reset has rebuilt the default scene.
    size_t addResetListener(const std::function<void()>& fn);
    void removeListener(size_t id);

    // A new scene: every node but the world is deleted, namespaces and the
    // selection are emptied, then the default scene is built: the cameras
    // "persp", "top", "front", "side" with their shapes ("perspShape", ...)
    // and "defaultShaderList1". Globals, units and kinds are kept. Handles
    // to old nodes read as null afterwards.
    void reset();

private:
    struct PlugTable;
    struct NodeRecord;

    NodeRecord* record(NodeId n);
    const NodeRecord* record(NodeId n) const;
    PlugTable& plugs(NodeId n);
    const PlugTable* plugsIfAny(NodeId n) const;

    // names
    std::string legalName(const std::string& wanted) const;
    bool nameFree(const std::string& name, bool dag, const std::vector<NodeId>& parents) const;
    std::string uniqueName(const std::string& wanted, bool dag, const std::vector<NodeId>& parents);
    void lowerHint(NodeId scope, const std::string& base, uint32_t number);
    void indexName(NodeId n);
    void unindexName(NodeId n);
    void releaseNumber(const std::string& name, bool dag, const std::vector<NodeId>& parents);
    // dag
    // Brings the memo of a path link and of its ancestors up to date.
    void checkPath(const PathLink* link) const;
    // The path of a DAG node whose ancestors have one parent each; false
    // when one has more.
    bool firstPathOfChain(NodeId n, Path& out) const;
    // Number of paths to a node, capped at 2.
    size_t pathCountCapped(NodeId n) const;
    // The valid path whose full name (from the recent ones) is exactly
    // text, when nothing is instanced and no name on it holds '|'.
    bool recentPathNamed(std::string_view text, Path& out) const;
    void linkChild(NodeId parent, NodeId child, int index);
    void unlinkChild(NodeId parent, NodeId child);
    bool isAncestor(NodeId a, NodeId n) const;
    // values
    void dropPlugs(NodeId n, Attribute* attr);
    const std::vector<uint32_t>* storedIndices(NodeId n, const PlugKey& arrayKey) const;
    bool computeValue(NodeId n, const PlugKey& k, Value& out);
    // connections
    void removeConnection(uint32_t id);
    void dropFromList(NodeId n, uint32_t pos);
    // lifecycle
    void destroyNode(NodeId n);
    void buildDefaultScene();

    std::unique_ptr<KindRegistry> mKinds;
    std::vector<NodeRecord> mNodes;
    std::vector<uint32_t> mFreeSlots;
    NodeId mWorld;
    size_t mLiveCount = 0;
    uint64_t mSeq = 0;
    struct OrderEntry {
        uint64_t seq;
        NodeId node;
    };
    std::vector<OrderEntry> mOrder;
    size_t mOrderDead = 0;

    struct NameEntry {
        std::vector<NodeId> nodes;
        uint32_t nonDag = 0;
    };
    std::unordered_map<std::string, NameEntry> mNames;
    // Keyed by a parent's id and a child name: the child of that name (names
    // are unique among siblings).
    std::unordered_map<std::string, NodeId> mSiblingNames;
    // Keyed by a naming scope (a parent's id, or none for non-DAG names) and
    // a base name: the lowest number that may be free.
    std::unordered_map<std::string, uint32_t> mNextNumber;
    // Base name to the scopes that hold a hint for it.
    std::unordered_map<std::string, std::vector<NodeId>> mHintScopes;
    // Bumped by every DAG edit that may end a path or change the paths of
    // a node: unlinking, and linking a child that already has a parent.
    // Adding a new node leaves every path as it was.
    uint64_t mDagEpoch = 1;
    // Number of live nodes with more than one parent.
    size_t mMultiParent = 0;
    // Bumped whenever a node's name changes or goes.
    uint64_t mNameEpoch = 1;
    // The last full path names made, good while mNameEpoch is
    // mRecentNamesAt: a child's name is then its parent's and one more.
    struct RecentName {
        Path path;
        std::string name;
        // Some name on the path holds a '|'.
        bool hasBar = false;
    };
    static constexpr size_t kRecentNames = 4;
    mutable RecentName mRecentNames[kRecentNames];
    mutable size_t mRecentNext = 0;
    mutable uint64_t mRecentNamesAt = 0;
    std::vector<std::string> mNamespaces;
    std::string mCurrentNamespace;

    std::vector<Connection> mConnections;
    std::vector<uint32_t> mFreeConnections;
    std::unordered_map<PlugRef, uint32_t, PlugRefHash> mIncoming;
    std::unordered_map<PlugRef, std::vector<uint32_t>, PlugRefHash> mOutgoing;

    std::unordered_set<PlugRef, PlugRefHash> mComputing;
    std::unique_ptr<SelectionData> mSelection;
    Globals mGlobals;
    std::vector<std::pair<size_t, std::function<void(NodeId)>>> mDeletionListeners;
    std::vector<std::pair<size_t, std::function<void()>>> mResetListeners;
    size_t mNextListener = 1;
};

// The process-wide store, made on first use (with the default scene) and
// kept until the process ends.
VESK_API NodeStore& store();

} // namespace vesk

#endif
