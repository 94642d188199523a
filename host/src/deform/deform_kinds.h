// Deformers and sets: the wiring that ties a deformer to the shapes it
// deforms, the members of sets, skin weights, and the creators of
// deformers, sets and bind poses that the function sets and the host's
// commands use.
//
// Wiring of a deformer D on a shape S (mesh or NURBS surface) under its
// transform T: the first deformer on S makes a hidden intermediate copy
// "<S>Orig" of S (the last child of T) whose output feeds
// D.input[k].inputGeometry; D.outputGeometry[k] feeds S's input; a groupId
// node feeds D.input[k].groupId. A later deformer on S goes between the
// last one and S. Nothing is deformed: outputs give their inputs' geometry,
// and S keeps its own. A deformer deleted leaves the chain closed (what fed
// it feeds what it fed). A deformer's member set is fed by its "message"
// (into the set's "usedBy"); a cluster's handle shape feeds the cluster
// ("clusterTransforms" into "clusterXforms"); a bind pose's members feed it
// by "message" (into "members"), and a skin cluster's bind pose feeds it
// ("message" into "bindPose").
#ifndef VESK_DEFORM_DEFORM_KINDS_H
#define VESK_DEFORM_DEFORM_KINDS_H

#include <cstdint>
#include <list>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <vesk/MFn.h>
#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

#include "store/ids.h"
#include "store/kind.h"
#include "store/node_store.h"
#include "store/value.h"

namespace vesk {

// ---- Sets --------------------------------------------------------------------------

// Set restrictions (MFnSet::Restriction); 5 marks a shading group.
constexpr int kRenderableOnly = 5;

// One member: a DAG path, whole (null component) or narrowed to
// components of its node, or a node that is not in the DAG (empty path).
struct SetMember {
    NodeId node;
    Path path;
    Ref<Component> component;
};

// The members of one set, in order of addition: one member per DAG path
// and kind of component, its components kept sorted without repeats
// (complete data, and a whole member, stand for all of them). Members of
// deleted nodes stay until removed but are never reported live. Adding or
// removing k components of a member costs O(k log n), whatever the member
// holds (the member's sorted lists are brought up to date when it is read
// again, at O(n)); look-ups by path are hashed.
class VESK_API SetMembers : public Payload {
public:
    SetMembers(NodeId self, int restriction);
    ~SetMembers() override;

    NodeId self() const { return mSelf; }
    int restriction() const { return mRestriction; }
    void setRestriction(int r) { mRestriction = r; }
    const std::list<SetMember>& members() const;
    // True when the member's node and path still exist.
    static bool live(const SetMember& m);
    // The member of the key's path or node and kind of component (whole
    // when the key has none), or null.
    const SetMember* find(const SetMember& key) const;
    void add(const SetMember& m);
    // Removes a member, or only the components given (a whole member keeps
    // the rest of its elements); false when nothing of it was held. A
    // member left with elements goes last.
    bool remove(const SetMember& m);
    // Removes the member of the key's path and kind of component, whatever
    // components it holds; false when there is none.
    bool drop(const SetMember& key);
    void clear();

private:
    typedef std::list<SetMember>::iterator Slot;
    // Elements of a member being edited, in place of its component's lists
    // (which are then empty) until the member is read.
    struct Edits {
        std::set<int> single;
        std::set<std::pair<int, int>> pairs;
    };

    Slot slotOf(const SetMember& key) const;
    void append(const SetMember& m);
    void erase(Slot s);
    Edits& editsOf(Slot s);
    void applyEdits(Slot s) const;
    bool removeListed(Slot held, const SetMember& m);

    NodeId mSelf;
    int mRestriction;
    mutable std::list<SetMember> mMembers;
    // Per path (or node): its members' kinds of component (kInvalid for the
    // whole member) and places.
    std::unordered_map<std::string, std::vector<std::pair<MFn::Type, Slot>>> mByPath;
    mutable std::unordered_map<const SetMember*, Edits> mEdits;
};

// The members of a set node, or null for other nodes.
VESK_API SetMembers* setOf(NodeId set);
// Every set node in order of creation.
VESK_API const std::vector<NodeId>& allSets();
// Makes an object set ("set1"), or for restriction 5 a shading group
// ("shadingEngine1"), named name when given. Restrictions above 5 fail.
VESK_API NodeId createSet(const std::string& name, int restriction, MStatus* status);
// Adds members (on a shading group a transform's path stands for its first
// shape). With force, on a shading group, the objects and faces given leave
// every other shading group first. Members of dead nodes, components of the
// wrong kind or past the geometry fail with kInvalidParameter, adding
// nothing.
VESK_API MStatus addSetMembers(NodeId set, const std::vector<SetMember>& members, bool force);
// The shading groups that hold a shape path whole or some of its faces,
// in order of creation, and per face the position of its group (-1 for
// none; a face held by two groups goes to the earlier one).
VESK_API void shadingGroupsOfFaces(const Path& shape, size_t faceCount, std::vector<NodeId>& groups,
                                   std::vector<int>& faceGroup);
// The sets that hold the member or some of its components (a transform's
// path also asks for its first shape), in order of creation.
VESK_API void setsHolding(const SetMember& item, std::vector<NodeId>& sets);

// ---- Deformer wiring -----------------------------------------------------------------

// Puts a geometry filter on a shape (see above) and returns the input index
// k; -1 with kInvalidParameter for a shape without geometry, a dead node or
// a shape the deformer already deforms.
VESK_API long attachDeformer(NodeId deformer, NodeId shape, MStatus* status);
// Per input index, ascending: the geometry a deformer reads (the
// intermediate copy, through any deformers before it) and the shape its
// output reaches (through any deformers after it).
VESK_API void deformerInputs(NodeId deformer, std::vector<std::pair<uint32_t, NodeId>>& out);
VESK_API void deformerOutputs(NodeId deformer, std::vector<std::pair<uint32_t, NodeId>>& out);
// The input index of a shape the deformer deforms, or -1.
VESK_API long deformerIndexOf(NodeId deformer, NodeId shape);
// The set the deformer's "message" feeds, or an invalid id.
VESK_API NodeId deformerSetOf(NodeId deformer);
// The deformer whose "message" feeds the set, or an invalid id.
VESK_API NodeId deformerOfSet(NodeId set);
// Puts a set's deformer on the shapes of new members it does not deform
// yet (clusters record each new shape's world matrix in "geomMatrix[k]"):
// points that join a deformer's set are deformed by it.
VESK_API void deformAddedMembers(NodeId set, const std::vector<SetMember>& members);

// ---- Skin weights ---------------------------------------------------------------------

// The weights of a skin cluster: per input index and influence (logical
// index of "matrix"), one weight per point of the geometry (0 unless set).
class VESK_API SkinWeights : public Payload {
public:
    size_t pointCount(uint32_t geometry) const;
    void setPointCount(uint32_t geometry, size_t count);
    double weight(uint32_t geometry, size_t point, uint32_t influence) const;
    // Ignored for a point past the geometry's count.
    void setWeight(uint32_t geometry, size_t point, uint32_t influence, double w);
    // The input indices that hold weights, and the influences that hold
    // weights on one of them, ascending.
    std::vector<uint32_t> geometries() const;
    std::vector<uint32_t> influencesOf(uint32_t geometry) const;

private:
    struct Geometry {
        size_t points = 0;
        std::unordered_map<uint32_t, std::vector<double>> byInfluence;
    };
    std::unordered_map<uint32_t, Geometry> mGeometries;
};

VESK_API SkinWeights* skinWeightsOf(NodeId skin);
// The influences of a skin cluster: per logical index of "matrix",
// ascending, the node whose world matrix feeds it.
VESK_API void skinInfluences(NodeId skin, std::vector<std::pair<uint32_t, NodeId>>& out);

// ---- Creators ----------------------------------------------------------------------------

// The nodes of one cluster.
struct ClusterNodes {
    NodeId cluster;
    NodeId handle;
    NodeId set;
};

// Makes a cluster (kind kCluster) or joint cluster (kJointCluster) named
// name ("cluster1" / "jointCluster1" when empty) deforming the members
// (whole shapes or transforms stand for all their points; components are
// mesh vertices or surface CVs), its member set "<cluster>Set" and a handle
// shape "<cluster>HandleShape" under the weighted node (a new transform
// "<cluster>Handle" under the world when the path is empty). Every member
// point has weight 1; "relative" as given; "bindPreMatrix" the inverse of
// the weighted node's world matrix, "geomMatrix[k]" each shape's. Without
// members the cluster deforms nothing until points join its set. Fails
// with kInvalidParameter, making nothing, on members without geometry or
// components past it; error says why.
VESK_API MStatus createCluster(MFn::Type kind, const std::string& name, const Path& weighted,
                               const std::vector<SetMember>& members, bool relative, ClusterNodes& out,
                               std::string* error);
// Makes a skin cluster named name ("skinCluster1" when empty) binding the
// geometry (a shape or a transform standing for its first shape) to the
// influences in order (logical indices 0 to n - 1): each influence's
// "worldMatrix[0]" feeds "matrix[i]", "bindPreMatrix[i]" is the inverse of
// its world matrix, and a joint's own "bindPose" becomes its world matrix;
// "geomMatrix" is the geometry's world matrix; a bind pose of the
// influences and their ancestors feeds "bindPose". With nearest, every point
// gets weight 1 on the influence nearest to it (the first on ties), else
// every weight is 0. Fails with kInvalidParameter, making nothing, without
// influences, with a repeated or non-transform influence, or a geometry
// without points.
VESK_API NodeId createSkinCluster(const std::string& name, const std::vector<Path>& influences,
                                  const Path& geometry, bool nearest, std::string* error);
// The weight of one point of a shape in a cluster or joint cluster
// ("weightList[k].weights[point]", k the shape's input index; 1 unless set).
// Fails with kInvalidParameter for a shape the cluster does not deform or a
// point outside its member set (a point index is u * numCVsInV + v on a
// surface). Membership tests cost O(log n) for a member of n components.
VESK_API MStatus clusterWeight(NodeId cluster, NodeId shape, size_t point, double& weight);
VESK_API MStatus setClusterWeight(NodeId cluster, NodeId shape, size_t point, double weight);
// Per point of a shape, the position of the influence nearest to it in
// world space (the first on ties), or an empty list without geometry or
// influences.
VESK_API std::vector<int> nearestInfluences(const Path& geometry, const std::vector<Path>& influences);
// Makes a bind pose ("bindPose1") holding the nodes of the paths and their
// ancestors, each once, ancestors first: "members[m]" fed by the node's
// "message", "worldMatrix[m]" its world matrix, "xformMatrix[m]" its local
// matrix, "bindPose" true.
VESK_API NodeId createBindPose(const std::vector<Path>& nodes);

// ---- Blend-shape targets ---------------------------------------------------------------

// The plug a target would feed on a blend shape (see
// MFnBlendShapeDeformer::addTarget): base and target are shapes, or
// transforms standing for their first geometry shapes. False, with error
// saying why, when the target cannot go there.
VESK_API bool blendTargetSlot(NodeId blend, NodeId base, int weightIndex, NodeId target, double fullWeight,
                              PlugRef& slot, std::string* error);
// Ties the target there and makes the weight element (0) with its alias;
// fails as blendTargetSlot, with kInvalidParameter, changing nothing.
VESK_API MStatus addBlendTarget(NodeId blend, NodeId base, int weightIndex, NodeId target, double fullWeight,
                                std::string* error);
// The targets of a base and weight index by rising full weight; false for
// a base the blend shape does not deform or a negative index.
VESK_API bool blendTargets(NodeId blend, NodeId base, int weightIndex, std::vector<NodeId>& out);

// Gives deformers their outputs and sets their members (a store
// registrar).
void registerDeformHooks(KindRegistry& registry);

} // namespace vesk

#endif
