// Deformers on shapes as the exporter searches for them, skin weights,
// clusters, blend shapes, sets and shading groups.
#include <vesk/MFnBlendShapeDeformer.h>
#include <vesk/MFnMatrixData.h>
#include <vesk/MFnMesh.h>
#include <vesk/MFnNurbsSurface.h>
#include <vesk/MFnSet.h>
#include <vesk/MFnSingleIndexedComponent.h>
#include <vesk/MFnDoubleIndexedComponent.h>
#include <vesk/MFnSkinCluster.h>
#include <vesk/MFnTransform.h>
#include <vesk/MGlobal.h>
#include <vesk/MItDependencyGraph.h>
#include <vesk/MItMeshVertex.h>
#include <vesk/MItSelectionList.h>
#include <vesk/MPlugArray.h>

#include "deform/deform_kinds.h"
#include "host_fixture.h"

namespace {

using DeformTest = HostTest;

vesk::Path storePath(const char* text)
{
    return vesk::ObjectAccess::path(HostTest::path(text));
}

// The first node of a type met walking the graph from a node or plug, or
// the null object.
template <class Root>
MObject firstOfType(const Root& root, MFn::Type type, MItDependencyGraph::Direction direction)
{
    MItDependencyGraph it(root, MFn::kInvalid, direction, MItDependencyGraph::kBreadthFirst,
                          MItDependencyGraph::kPlugLevel);
    for (; !it.isDone(); it.next())
        if (it.thisNode().hasFn(type))
            return it.thisNode();
    return MObject();
}

MMatrix matrixOf(const MPlug& p)
{
    return MFnMatrixData(p.asMObject()).matrix();
}

// A mesh "body" (a 4 x 4 grid of 25 vertices, row by row, at y 0) and a
// joint chain j1 (origin) and j2 (at x 4, z 4) under "rig".
class RigTest : public DeformTest {
protected:
    void SetUp() override
    {
        DeformTest::SetUp();
        vesk::fixture::makeShape("mesh", "body");
        make("transform", "rig");
        make("joint", "j1", "rig");
        make("joint", "j2", "j1");
        plug("j2.tx").setValue(4.0);
        plug("j2.tz").setValue(4.0);
    }
    MObject skin(const char* name = "")
    {
        std::string error;
        return vesk::ObjectAccess::fromNode(
            vesk::createSkinCluster(name, {storePath("j1"), storePath("j2")}, storePath("body"), true, &error));
    }
    MObject vertices(std::vector<int> list)
    {
        MFnSingleIndexedComponent fn;
        const MObject c = fn.create(MFn::kMeshVertComponent);
        for (int v : list)
            fn.addElement(v);
        return c;
    }
    vesk::SetMember member(const char* text, const MObject& component)
    {
        return vesk::SetMember{vesk::NodeId(), storePath(text),
                               vesk::Ref<vesk::Component>(
                                   static_cast<vesk::Component*>(vesk::ObjectAccess::ref(component)))};
    }
};

} // namespace

TEST_F(RigTest, SkinWiringIsWhatTheSearchesFind)
{
    const MObject cluster = skin();
    ASSERT_FALSE(cluster.isNull());
    // The intermediate copy is the transform's last child; the shape stays
    // first.
    MFnDagNode body(object("body"));
    ASSERT_EQ(body.childCount(), 2u);
    EXPECT_EQ(nameOf(body.child(0)), "bodyShape");
    EXPECT_EQ(nameOf(body.child(1)), "bodyShapeOrig");
    EXPECT_TRUE(MFnDagNode(body.child(1)).isIntermediateObject());
    EXPECT_EQ(firstOfType(object("bodyShape"), MFn::kSkinClusterFilter, MItDependencyGraph::kUpstream), cluster);
    MFnSkinCluster fn(cluster);
    MObjectArray outputs, inputs;
    fn.getOutputGeometry(outputs);
    fn.getInputGeometry(inputs);
    ASSERT_EQ(outputs.length(), 1u);
    EXPECT_EQ(nameOf(outputs[0]), "bodyShape");
    EXPECT_EQ(nameOf(inputs[0]), "bodyShapeOrig");
    // The input plug holds the copy's geometry; the output reaches the shape.
    MObject geometry;
    ASSERT_TRUE(fn.findPlug("input").elementByLogicalIndex(0).child(0).getValue(geometry));
    EXPECT_EQ(MFnMesh(geometry).numVertices(), 25);
    const MPlug out = fn.findPlug("outputGeometry").elementByLogicalIndex(0);
    MItDependencyGraph down(out, MFn::kMesh, MItDependencyGraph::kDownstream, MItDependencyGraph::kDepthFirst,
                            MItDependencyGraph::kPlugLevel);
    EXPECT_EQ(down.thisNode(), object("bodyShape"));
    EXPECT_TRUE(fn.findPlug("input").elementByLogicalIndex(0).child(1).isConnected());
    // One bind pre-matrix per influence; the joints keep their bind matrices
    // and a bind pose holds them, fed by message.
    EXPECT_EQ(fn.findPlug("bindPreMatrix").numElements(), 2u);
    const MMatrix j2World = path("j2").inclusiveMatrix();
    EXPECT_TRUE(matrixOf(fn.findPlug("bindPreMatrix").elementByLogicalIndex(1)).isEquivalent(j2World.inverse()));
    EXPECT_TRUE(matrixOf(plug("j2.bindPose")) == j2World);
    const MObject pose = firstOfType(object("j2"), MFn::kDagPose, MItDependencyGraph::kDownstream);
    ASSERT_FALSE(pose.isNull());
    MFnDependencyNode poseFn(pose);
    EXPECT_TRUE(poseFn.findPlug("bindPose").asBool());
    const MPlug members = poseFn.findPlug("members");
    bool found = false;
    for (unsigned int i = 0; i < members.numElements(); ++i) {
        MPlugArray from;
        members.elementByLogicalIndex(i).connectedTo(from, true, false);
        if (from.length() == 1 && from[0].node() == object("j2")) {
            found = true;
            EXPECT_TRUE(matrixOf(poseFn.findPlug("worldMatrix").elementByPhysicalIndex(i)) == j2World);
        }
    }
    EXPECT_TRUE(found);
    MDagPathArray influences;
    EXPECT_EQ(fn.influenceObjects(influences), 2u);
    EXPECT_EQ(influences[1].partialPathName(), MString("j2"));
    EXPECT_EQ(fn.indexForInfluenceObject(path("j2")), 1u);
}

TEST_F(RigTest, SkinWeightsStartNearestAndCheckTheirCounts)
{
    MFnSkinCluster fn(skin());
    MFloatArray weights;
    ASSERT_TRUE(fn.getWeights(path("body"), MObject::kNullObj, 1, weights));
    ASSERT_EQ(weights.length(), 25u);
    EXPECT_EQ(weights[0], 0.0f);
    EXPECT_EQ(weights[24], 1.0f);
    // elements x influences weights, or nothing changes.
    const MObject two = vertices({3, 4});
    const MIntArray both(std::vector<int>{0, 1}.data(), 2);
    EXPECT_EQ(fn.setWeights(path("body"), two, both, MFloatArray(3, 0.5f), false).statusCode(),
              MStatus::kInvalidParameter);
    EXPECT_EQ(fn.setWeights(path("body"), two, MIntArray(1, 7), MFloatArray(2, 0.5f), false).statusCode(),
              MStatus::kInvalidParameter);
    fn.getWeights(path("body"), two, 0, weights);
    EXPECT_EQ(weights[0] + weights[1], 2.0f);
    // Normalising scales the other influences to make up 1.
    MFloatArray old;
    ASSERT_TRUE(fn.setWeights(path("body"), two, MIntArray(1, 1), MFloatArray(2, 0.25f), true, &old));
    EXPECT_EQ(old[0], 0.0f);
    fn.getWeights(path("body"), two, 0, weights);
    EXPECT_FLOAT_EQ(weights[0], 0.75f);
    unsigned int count = 0;
    fn.getWeights(path("body"), two, weights, count);
    EXPECT_EQ(count, 2u);
    EXPECT_FLOAT_EQ(weights[3], 0.25f);
    // Surfaces name their points u * numCVsInV + v.
    vesk::fixture::makeShape("nurbsSurface", "surf");
    std::string error;
    MFnSkinCluster onSurface(vesk::ObjectAccess::fromNode(
        vesk::createSkinCluster("", {storePath("j1")}, storePath("surf"), false, &error)));
    MFnDoubleIndexedComponent cv;
    const MObject one = cv.create(MFn::kSurfaceCVComponent);
    cv.addElement(2, 3);
    ASSERT_TRUE(onSurface.setWeights(path("surf"), one, 0u, 0.5, false));
    onSurface.getWeights(path("surf"), MObject::kNullObj, 0, weights);
    EXPECT_EQ(weights[11], 0.5f);
    EXPECT_EQ(onSurface.setWeights(path("surf"), vertices({1}), 0u, 0.5, false).statusCode(),
              MStatus::kInvalidParameter);
}

TEST_F(RigTest, ClusterWiringIsWhatTheRigidExportReads)
{
    vesk::ClusterNodes nodes;
    ASSERT_TRUE(vesk::createCluster(MFn::kCluster, "c", storePath("j1"), {member("body", vertices({5, 2, 9}))},
                                    false, nodes, nullptr));
    const MObject cluster = vesk::ObjectAccess::fromNode(nodes.cluster);
    // The handle shape under the weighted node leads to the cluster.
    MFnDagNode j1(object("j1"));
    MObject handle;
    for (unsigned int i = 0; i < j1.childCount(); ++i)
        if (j1.child(i).apiType() == MFn::kClusterHandle)
            handle = j1.child(i);
    ASSERT_FALSE(handle.isNull());
    EXPECT_EQ(firstOfType(handle, MFn::kCluster, MItDependencyGraph::kDownstream), cluster);
    // "message" feeds exactly the member set.
    MFnDependencyNode fn(cluster);
    MPlugArray fed;
    fn.findPlug("message").connectedTo(fed, false, true);
    ASSERT_EQ(fed.length(), 1u);
    EXPECT_TRUE(fed[0].node().hasFn(MFn::kSet));
    MSelectionList members;
    MFnSet(fed[0].node()).getMembers(members, true);
    MItSelectionList it(members, MFn::kComponent);
    ASSERT_FALSE(it.isDone());
    MDagPath memberPath;
    MObject component;
    it.getDagPath(memberPath, component);
    std::vector<int> walked;
    for (MItMeshVertex v(memberPath, component); !v.isDone(); v.next())
        walked.push_back(v.index());
    EXPECT_EQ(walked, (std::vector<int>{2, 5, 9}));
    // Output element 0 reaches the member's shape; its input has a group id,
    // weights sit in its weight-list entry, and geomMatrix holds the shape's.
    const MPlug out = fn.findPlug("outputGeometry").elementByPhysicalIndex(0);
    EXPECT_EQ(firstOfType(out, MFn::kMesh, MItDependencyGraph::kDownstream), memberPath.node());
    const unsigned int entry = out.logicalIndex();
    EXPECT_TRUE(fn.findPlug("input").elementByLogicalIndex(entry).child(1).isConnected());
    MPlug weights(cluster, fn.attribute("weights"));
    ASSERT_TRUE(weights.selectAncestorLogicalIndex(entry, fn.attribute("wl")));
    EXPECT_EQ(weights.elementByLogicalIndex(5).asDouble(), 1.0);
    const vesk::NodeId shapeNode = vesk::ObjectAccess::node(memberPath.node());
    ASSERT_TRUE(vesk::setClusterWeight(nodes.cluster, shapeNode, 5, 0.3));
    EXPECT_EQ(weights.elementByLogicalIndex(5).asDouble(), 0.3);
    double w = 0.0;
    EXPECT_EQ(vesk::clusterWeight(nodes.cluster, shapeNode, 3, w).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(vesk::setClusterWeight(nodes.cluster, shapeNode, 99, 0.5).statusCode(), MStatus::kInvalidParameter);
    EXPECT_FALSE(fn.findPlug("relative").asBool());
    EXPECT_TRUE(matrixOf(fn.findPlug("geomMatrix").elementByLogicalIndex(entry)) == memberPath.inclusiveMatrix());
    // A later deformer goes before the shape; both still read the one copy.
    const MObject skinNode = skin();
    EXPECT_EQ(firstOfType(object("bodyShape"), MFn::kGeometryFilter, MItDependencyGraph::kUpstream), skinNode);
    MObjectArray inputs, outputs;
    MFnGeometryFilter(cluster).getInputGeometry(inputs);
    MFnGeometryFilter(cluster).getOutputGeometry(outputs);
    EXPECT_EQ(nameOf(inputs[0]), "bodyShapeOrig");
    EXPECT_EQ(nameOf(outputs[0]), "bodyShape");
    EXPECT_EQ(MFnDagNode(object("body")).childCount(), 2u);
    // Deleting deformers closes the chain; a new one finds the copy again.
    ASSERT_TRUE(MGlobal::deleteNode(skinNode));
    MFnGeometryFilter(cluster).getOutputGeometry(outputs);
    EXPECT_EQ(nameOf(outputs[0]), "bodyShape");
    ASSERT_TRUE(MGlobal::deleteNode(cluster));
    MPlugArray feeding;
    plug("bodyShape.inMesh").connectedTo(feeding, true, false);
    ASSERT_EQ(feeding.length(), 1u);
    EXPECT_EQ(nameOf(feeding[0].node()), "bodyShapeOrig");
    MFnBlendShapeDeformer blend;
    blend.create(object("body"));
    MFnGeometryFilter(blend.object()).getInputGeometry(inputs);
    EXPECT_EQ(nameOf(inputs[0]), "bodyShapeOrig");
    EXPECT_EQ(MFnDagNode(object("body")).childCount(), 2u);
    // Points past the geometry make nothing.
    const size_t count = vesk::store().nodeCount();
    EXPECT_FALSE(vesk::createCluster(MFn::kJointCluster, "", storePath("j2"), {member("body", vertices({25}))}, false,
                                     nodes, nullptr));
    EXPECT_EQ(vesk::store().nodeCount(), count);
}

TEST_F(RigTest, BlendShapeTargetsNameTheirWeights)
{
    vesk::fixture::makeShape("mesh", "smile");
    vesk::fixture::makeShape("mesh", "frown");
    MFnBlendShapeDeformer blend;
    MStatus s;
    const MObject node = blend.create(object("body"), MFnBlendShapeDeformer::kLocalOrigin, &s);
    ASSERT_TRUE(s);
    EXPECT_EQ(nameOf(node), "blendShape1");
    EXPECT_EQ(blend.envelope(), 1.0f);
    ASSERT_TRUE(blend.addBaseObject(object("bodyShape")));
    MObjectArray bases;
    blend.getBaseObjects(bases);
    ASSERT_EQ(bases.length(), 1u);
    ASSERT_TRUE(blend.addTarget(bases[0], 0, object("smileShape"), 1.0));
    ASSERT_TRUE(blend.addTarget(bases[0], 2, object("frown"), 1.0));
    EXPECT_EQ(blend.addTarget(bases[0], 2, object("smileShape"), 1.0).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(blend.addTarget(object("smileShape"), 1, object("frown"), 1.0).statusCode(),
              MStatus::kInvalidParameter);
    EXPECT_EQ(blend.numWeights(), 2u);
    MIntArray indices;
    blend.weightIndexList(indices);
    EXPECT_EQ(indices[1], 2);
    EXPECT_EQ(blend.findPlug("weight")[0].name(), MString("blendShape1.smileShape"));
    EXPECT_EQ(blend.findPlug("weight")[1].name(), MString("blendShape1.frownShape"));
    MObjectArray targets;
    blend.getTargets(bases[0], 2, targets);
    ASSERT_EQ(targets.length(), 1u);
    EXPECT_EQ(nameOf(targets[0]), "frownShape");
    EXPECT_EQ(firstOfType(object("bodyShape"), MFn::kBlendShape, MItDependencyGraph::kUpstream), node);
    ASSERT_TRUE(blend.setEnvelope(0.0f));
    EXPECT_EQ(blend.envelope(), 0.0f);
}

TEST_F(DeformTest, SetsHoldOneMemberPerPathWithSortedComponents)
{
    vesk::fixture::makeShape("mesh", "box");
    MSelectionList first;
    first.add("box.f[5:6]");
    first.add("box.f[1]");
    MFnSet set;
    set.create(first);
    EXPECT_EQ(set.restriction(), MFnSet::kNone);
    MSelectionList more;
    more.add("box.f[0:2]");
    ASSERT_TRUE(set.addMembers(more));
    MSelectionList held;
    set.getMembers(held, false);
    MStringArray texts;
    held.getSelectionStrings(texts);
    ASSERT_EQ(texts.length(), 2u);
    EXPECT_EQ(texts[0], MString("box.f[0:2]"));
    EXPECT_EQ(texts[1], MString("box.f[5:6]"));
    // A whole shape absorbs its components; removing some leaves the rest.
    ASSERT_TRUE(set.addMember(path("boxShape")));
    set.getMembers(held, false);
    EXPECT_EQ(held.length(), 1u);
    MSelectionList some;
    some.add("box.f[0:14]");
    MDagPath shapePath;
    MObject faces;
    some.getDagPath(0, shapePath, faces);
    ASSERT_TRUE(set.removeMember(shapePath, faces));
    set.getMembers(held, false);
    held.getSelectionStrings(texts);
    ASSERT_EQ(texts.length(), 1u);
    EXPECT_EQ(texts[0], MString("box.f[15]"));
    MSelectionList probe;
    probe.add("box.f[15]");
    probe.add("box.f[14:15]");
    MObject last, lastTwo;
    probe.getDagPath(0, shapePath, last);
    probe.getDagPath(1, shapePath, lastTwo);
    EXPECT_TRUE(set.isMember(shapePath, last));
    EXPECT_FALSE(set.isMember(shapePath, lastTwo));
    // The transform is an object of its own.
    ASSERT_TRUE(set.addMember(object("box")));
    EXPECT_TRUE(set.isMember(object("box")));
    set.getMembers(held, false);
    EXPECT_EQ(held.length(), 2u);
    EXPECT_EQ(set.addMember(object("box")).statusCode(), MStatus::kSuccess);
    EXPECT_EQ(set.addMember(path("box"), last).statusCode(), MStatus::kSuccess);
}

TEST_F(DeformTest, ShadingGroupsShareOutFaces)
{
    vesk::fixture::makeShape("mesh", "box");
    MSelectionList whole;
    whole.add("box");
    MFnSet first;
    const MObject sg1 = first.create(whole, MFnSet::kRenderableOnly);
    EXPECT_EQ(nameOf(sg1), "shadingEngine1");
    EXPECT_TRUE(sg1.hasFn(MFn::kShadingEngine));
    MFnSet second;
    const MObject sg2 = second.create(MSelectionList(), MFnSet::kRenderableOnly);
    MSelectionList two;
    two.add("box.f[0:1]");
    std::vector<vesk::SetMember> moved;
    MDagPath shape;
    MObject faces;
    two.getDagPath(0, shape, faces);
    moved.push_back(vesk::SetMember{vesk::NodeId(), vesk::ObjectAccess::path(shape),
                                    vesk::Ref<vesk::Component>(static_cast<vesk::Component*>(vesk::ObjectAccess::ref(faces)))});
    ASSERT_TRUE(vesk::addSetMembers(vesk::ObjectAccess::node(sg2), moved, true));
    MObjectArray shaders;
    MIntArray indices;
    ASSERT_TRUE(MFnMesh(path("box")).getConnectedShaders(0, shaders, indices));
    ASSERT_EQ(shaders.length(), 2u);
    EXPECT_EQ(shaders[0], sg1);
    EXPECT_EQ(indices.length(), 16u);
    EXPECT_EQ(indices[0], 1);
    EXPECT_EQ(indices[2], 0);
    // The shape's sets are found from its transform's path too.
    MFnSet plain;
    const MObject objectSet = plain.create(two);
    MSelectionList asked;
    asked.add(path("box"));
    MObjectArray sets;
    ASSERT_TRUE(MGlobal::getAssociatedSets(asked, sets));
    ASSERT_EQ(sets.length(), 3u);
    EXPECT_EQ(sets[2], objectSet);
    MFnSet(sets[1]).getMembers(asked, false);
    MStringArray texts;
    asked.getSelectionStrings(texts);
    EXPECT_EQ(texts[0], MString("box.f[0:1]"));
}

TEST_F(RigTest, SkinsRefuseBadInfluencesAndGeometry)
{
    make("transform", "empty");
    const struct {
        const char* what;
        std::vector<const char*> influences;
        const char* geometry;
    } cases[] = {
        {"no influence", {}, "body"},
        {"a repeated influence", {"j1", "j2", "j1"}, "body"},
        {"a shape as influence", {"j1", "bodyShape"}, "body"},
        {"a geometry without points", {"j1"}, "empty"},
    };
    const size_t nodes = vesk::store().nodeCount();
    for (const auto& c : cases) {
        std::vector<vesk::Path> influences;
        for (const char* i : c.influences)
            influences.push_back(storePath(i));
        std::string error;
        EXPECT_FALSE(vesk::createSkinCluster("", influences, storePath(c.geometry), true, &error).valid()) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    EXPECT_EQ(vesk::store().nodeCount(), nodes);
}

TEST_F(RigTest, ClustersOverSeveralShapesIndexEachShape)
{
    vesk::fixture::makeShape("mesh", "head");
    vesk::ClusterNodes nodes;
    ASSERT_TRUE(vesk::createCluster(MFn::kJointCluster, "", vesk::Path(),
                                    {member("body", vertices({1})), member("head", MObject::kNullObj)}, true, nodes,
                                    nullptr));
    EXPECT_EQ(vesk::store().name(nodes.cluster), "jointCluster1");
    // Without a weighted node the handle comes under a transform of its own.
    MFnDagNode handle(vesk::ObjectAccess::fromNode(nodes.handle));
    EXPECT_EQ(handle.fullPathName(), MString("|jointCluster1Handle|jointCluster1HandleShape"));
    MFnGeometryFilter fn(vesk::ObjectAccess::fromNode(nodes.cluster));
    MStatus s;
    const unsigned int headIndex = fn.indexForOutputShape(object("headShape"), &s);
    ASSERT_TRUE(s);
    EXPECT_EQ(headIndex, 1u);
    EXPECT_EQ(nameOf(fn.inputShapeAtIndex(headIndex)), "headShapeOrig");
    EXPECT_EQ(nameOf(fn.outputShapeAtIndex(0)), "bodyShape");
    fn.indexForOutputShape(object("j1"), &s);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(fn.findPlug("relative").asBool());
    // A whole shape is a member with all its points.
    MSelectionList members;
    MFnSet(fn.deformerSet()).getMembers(members, false);
    ASSERT_EQ(members.length(), 2u);
    MDagPath p;
    MObject points;
    members.getDagPath(1, p, points);
    EXPECT_EQ(MItMeshVertex(p, points).count(), 25u);
    double w = 0.0;
    EXPECT_TRUE(vesk::clusterWeight(nodes.cluster, vesk::ObjectAccess::node(object("headShape")), 24, w));
    EXPECT_EQ(w, 1.0);
}

TEST_F(RigTest, BindPosesHoldAncestorsFirst)
{
    plug("j1.ry").setValue(0.5);
    const MObject pose = vesk::ObjectAccess::fromNode(vesk::createBindPose({storePath("j2"), storePath("j1")}));
    MFnDependencyNode fn(pose);
    const MPlug members = fn.findPlug("members");
    ASSERT_EQ(members.numElements(), 3u);
    const char* expected[] = {"rig", "j1", "j2"};
    for (unsigned int i = 0; i < 3; ++i) {
        MPlugArray from;
        members.elementByLogicalIndex(i).connectedTo(from, true, false);
        ASSERT_EQ(from.length(), 1u);
        EXPECT_EQ(nameOf(from[0].node()), expected[i]);
        EXPECT_TRUE(matrixOf(fn.findPlug("worldMatrix").elementByLogicalIndex(i)) ==
                    path((std::string("|rig") + (i > 0 ? "|j1" : "") + (i > 1 ? "|j2" : "")).c_str())
                        .inclusiveMatrix());
    }
    EXPECT_TRUE(matrixOf(fn.findPlug("xformMatrix").elementByLogicalIndex(1)) ==
                MFnDagNode(object("j1")).transformationMatrix());
}

TEST_F(DeformTest, NestedSetsFlattenOnce)
{
    vesk::fixture::makeShape("mesh", "box");
    MSelectionList verts;
    verts.add("box.vtx[4:5]");
    MFnSet inner;
    const MObject innerSet = inner.create(verts);
    MSelectionList outerItems;
    outerItems.add(innerSet);
    outerItems.add("box");
    MFnSet outer;
    const MObject outerSet = outer.create(outerItems);
    // A cycle back to the outer set is walked once.
    ASSERT_TRUE(inner.addMember(outerSet));
    MSelectionList flat, direct;
    outer.getMembers(flat, true);
    outer.getMembers(direct, false);
    MStringArray texts;
    flat.getSelectionStrings(texts);
    ASSERT_EQ(texts.length(), 2u);
    EXPECT_EQ(texts[0], MString("box"));
    EXPECT_EQ(texts[1], MString("box.vtx[4:5]"));
    EXPECT_EQ(direct.length(), 2u);
    EXPECT_TRUE(outer.isMember(innerSet));
    ASSERT_TRUE(outer.removeMembers(outerItems));
    outer.getMembers(direct, false);
    EXPECT_EQ(direct.length(), 0u);
    ASSERT_TRUE(inner.clear());
    inner.getMembers(direct, true);
    EXPECT_EQ(direct.length(), 0u);
    // Sets answer for a component only when they share an element with it.
    MSelectionList shared, apart;
    shared.add("box.vtx[5]");
    apart.add("box.vtx[6]");
    MFnSet holder;
    holder.create(verts);
    MObjectArray sets;
    MGlobal::getAssociatedSets(shared, sets);
    EXPECT_EQ(sets.length(), 1u);
    MGlobal::getAssociatedSets(apart, sets);
    EXPECT_EQ(sets.length(), 0u);
}
