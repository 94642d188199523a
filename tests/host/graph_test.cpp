// Connections, computed values and the dependency-graph iterators.
#include <vesk/MDGModifier.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnMatrixData.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MGlobal.h>
#include <vesk/MItDependencyGraph.h>
#include <vesk/MItDependencyNodes.h>
#include <vesk/MPlugArray.h>

#include "host_fixture.h"

namespace {

using GraphTest = HostTest;

// The names a dependency-graph walk reports, in order.
std::vector<std::string> walk(MItDependencyGraph& it)
{
    std::vector<std::string> out;
    for (; !it.isDone(); it.next())
        out.push_back(MFnDependencyNode(it.thisNode()).name().asChar());
    return out;
}

// A skinned and blended body, a cluster on two meshes and a bind pose.
void buildDeformers()
{
    using vesk::fixture::connect;
    using vesk::fixture::make;
    using vesk::fixture::makeShape;
    makeShape("mesh", "body");
    make("mesh", "bodyOrig", "body");
    make("skinCluster", "skin");
    make("blendShape", "blend");
    ASSERT_TRUE(connect("bodyOrig.outMesh", "blend.input[0].inputGeometry"));
    ASSERT_TRUE(connect("blend.outputGeometry[0]", "skin.input[0].inputGeometry"));
    ASSERT_TRUE(connect("skin.outputGeometry[0]", "bodyShape.inMesh"));
    makeShape("mesh", "a");
    makeShape("mesh", "b");
    make("cluster", "cl");
    ASSERT_TRUE(connect("cl.outputGeometry[0]", "aShape.inMesh"));
    ASSERT_TRUE(connect("cl.outputGeometry[1]", "bShape.inMesh"));
    make("joint", "j0");
    make("joint", "j1");
    make("joint", "j2");
    make("dagPose", "bindPose1");
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(connect("j" + std::to_string(i) + ".message", "bindPose1.members[" + std::to_string(i) + "]"));
}

// The first node of a type a walk meets, as the export's search does.
std::string firstOfType(const MObject& start, MFn::Type type, MItDependencyGraph::Direction dir)
{
    MStatus s;
    MItDependencyGraph it(start, MFn::kInvalid, dir, MItDependencyGraph::kBreadthFirst,
                          MItDependencyGraph::kPlugLevel, &s);
    if (!s)
        return "";
    do {
        if (it.thisNode().hasFn(type))
            return MFnDependencyNode(it.thisNode()).name().asChar();
    } while (it.next());
    return "";
}

} // namespace

TEST_F(GraphTest, ConnectionsRefuseWhatCannotFlow)
{
    using vesk::fixture::connect;
    using vesk::fixture::make;
    make("transform", "t");
    make("dagPose", "pose");
    make("skinCluster", "skin");
    make("lambert", "lambert1");
    make("shadingEngine", "sg");
    vesk::fixture::makeShape("mesh", "box");
    vesk::fixture::makeShape("nurbsSurface", "surf");
    const struct {
        const char* src;
        const char* dst;
        bool ok;
    } cases[] = {
        {"persp.message", "pose.members[0]", true},
        {"top.message", "pose.members[0]", false},
        {"persp.message", "pose.members", false},
        {"persp.tx", "t.ty", true},
        {"persp.tx", "t.tx", true},
        {"top.tx", "t.tx", false},
        {"persp.message", "t.tz", false},
        {"pose.worldMatrix[0]", "skin.bindPreMatrix[0]", true},
        {"persp.worldMatrix[0]", "t.sx", false},
        {"t.sx", "persp.worldMatrix[0]", false},
        {"boxShape.outMesh", "skin.input[0].inputGeometry", true},
        {"boxShape.outMesh", "surfShape.inSurface", false},
        {"lambert1.outColor", "sg.surfaceShader", true},
        {"t.translate", "lambert1.color", true},
        {"t.translate", "pose.members[1]", false},
        {"t.sz", "t.sz", false},
        {"skin.weightList[-1].weights[0]", "t.sy", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(connect(c.src, c.dst), c.ok) << c.src << " -> " << c.dst;
    MPlugArray sources;
    EXPECT_TRUE(plug("t.tx").connectedTo(sources, true, false));
    ASSERT_EQ(sources.length(), 1u);
    EXPECT_STREQ(sources[0].info().asChar(), "persp.translateX");
    MPlugArray dests;
    EXPECT_TRUE(plug("persp.tx").connectedTo(dests, false, true));
    EXPECT_EQ(dests.length(), 2u);
    EXPECT_FALSE(plug("persp.tx").connectedTo(dests, true, false));
}

TEST_F(GraphTest, DisconnectingAndDeletingClearBothEnds)
{
    make("transform", "t");
    make("transform", "u");
    ASSERT_TRUE(vesk::fixture::connect("t.tx", "u.tx"));
    MDGModifier mod;
    mod.disconnect(plug("t.tx"), plug("u.tx"));
    ASSERT_TRUE(mod.doIt());
    EXPECT_FALSE(plug("u.tx").isConnected());
    EXPECT_FALSE(plug("t.tx").isConnected());
    EXPECT_FALSE(mod.disconnect(plug("t.tx"), plug("u.tx")) && mod.doIt());
    // Deleting a node drops its connections at the other end.
    ASSERT_TRUE(vesk::fixture::connect("t.tx", "u.tx"));
    ASSERT_TRUE(vesk::fixture::connect("u.ty", "t.ty"));
    MPlugArray plugs;
    MFnDependencyNode(object("u")).getConnections(plugs);
    EXPECT_EQ(plugs.length(), 2u);
    ASSERT_TRUE(MGlobal::deleteNode(object("t")));
    EXPECT_FALSE(plug("u.tx").isConnected());
    EXPECT_FALSE(plug("u.ty").isConnected());
    // A queue stops at its first failing edit; nothing is undone.
    make("transform", "v");
    MDGModifier queue;
    queue.connect(plug("u.tx"), plug("v.tx"));
    queue.connect(plug("u.tx"), plug("u.tx"));
    queue.connect(plug("u.ty"), plug("v.ty"));
    EXPECT_FALSE(queue.doIt());
    EXPECT_TRUE(plug("v.tx").isConnected());
    EXPECT_FALSE(plug("v.ty").isConnected());
    EXPECT_FALSE(queue.undoIt());
}

TEST_F(GraphTest, DestinationsReadOnlyComputedSources)
{
    make("joint", "j");
    make("transform", "t");
    make("dagPose", "pose");
    ASSERT_TRUE(plug("j.tx").setValue(5.0));
    ASSERT_TRUE(vesk::fixture::connect("j.tx", "t.tx"));
    EXPECT_EQ(plug("t.tx").asDouble(), 0.0);
    ASSERT_TRUE(vesk::fixture::connect("j.worldMatrix[0]", "pose.worldMatrix[0]"));
    const MMatrix m = MFnMatrixData(plug("pose.worldMatrix[0]").asMObject()).matrix();
    EXPECT_EQ(m(3, 0), 5.0);
}

TEST_F(GraphTest, ComputationsThatFeedEachOtherEnd)
{
    // Two nodes whose "out" is computed from their own "in", fed crosswise.
    MFnNumericAttribute numeric;
    std::vector<MObject> nodes;
    for (const char* n : {"a", "b"}) {
        MFnDependencyNode fn(make("objectSet", n));
        fn.addAttribute(numeric.create("in", "in", MFnNumericData::kDouble, 1.0));
        const MObject out = numeric.create("out", "out", MFnNumericData::kDouble, 2.0);
        vesk::ObjectAccess::attribute(out)->compute = [](vesk::NodeStore& s, vesk::NodeId node,
                                                          const vesk::PlugKey&, vesk::Value& v) {
            vesk::PlugKey in;
            in.attr = s.findAttribute(node, "in");
            if (!s.readValue(node, in, v))
                return false;
            v.number += 10.0;
            return true;
        };
        fn.addAttribute(out);
        nodes.push_back(fn.object());
    }
    ASSERT_TRUE(vesk::fixture::connect("a.out", "b.in"));
    ASSERT_TRUE(vesk::fixture::connect("b.out", "a.in"));
    // a.out = a.in + 10 = (b.out) + 10 = (b.in + 10) + 10, and b.in meets
    // a.out again: its stored value (the default 2).
    EXPECT_EQ(plug("a.out").asDouble(), 22.0);
}

TEST_F(GraphTest, SearchesFindDeformersPosesAndMeshes)
{
    buildDeformers();
    EXPECT_EQ(firstOfType(object("bodyShape"), MFn::kBlendShape, MItDependencyGraph::kUpstream), "blend");
    EXPECT_EQ(firstOfType(object("bodyShape"), MFn::kSkinClusterFilter, MItDependencyGraph::kUpstream), "skin");
    EXPECT_EQ(firstOfType(object("j2"), MFn::kDagPose, MItDependencyGraph::kDownstream), "bindPose1");
    // j2 feeds members[2].
    MPlug members = plug("bindPose1.members");
    ASSERT_EQ(members.numElements(), 3u);
    MPlugArray sources;
    members.elementByLogicalIndex(2).connectedTo(sources, true, false);
    ASSERT_EQ(sources.length(), 1u);
    EXPECT_TRUE(sources[0].node() == object("j2"));
    // From one output element only its own mesh is met.
    MItDependencyGraph fromPlug(plug("cl.outputGeometry[1]"), MFn::kMesh, MItDependencyGraph::kDownstream,
                                MItDependencyGraph::kDepthFirst, MItDependencyGraph::kPlugLevel);
    EXPECT_EQ(walk(fromPlug), std::vector<std::string>{"bShape"});
    MItDependencyGraph fromNode(object("cl"), MFn::kMesh);
    EXPECT_EQ(walk(fromNode), (std::vector<std::string>{"aShape", "bShape"}));
    // The root comes first when it passes the filter.
    MItDependencyGraph rooted(object("bodyShape"), MFn::kMesh, MItDependencyGraph::kUpstream);
    EXPECT_EQ(walk(rooted), (std::vector<std::string>{"bodyShape", "bodyOrig"}));
}

TEST_F(GraphTest, WalksVisitEachNodeOnceInTheirOrderAndFiltersDoNotPrune)
{
    // a -> b -> d, a -> c -> d, d -> pose.
    for (const char* n : {"a", "b", "c", "d"})
        make("transform", n);
    make("dagPose", "pose");
    using vesk::fixture::connect;
    ASSERT_TRUE(connect("a.tx", "b.tx"));
    ASSERT_TRUE(connect("a.ty", "c.tx"));
    ASSERT_TRUE(connect("b.ty", "d.tx"));
    ASSERT_TRUE(connect("c.ty", "d.ty"));
    ASSERT_TRUE(connect("d.message", "pose.members[0]"));
    MItDependencyGraph depth(object("a"));
    EXPECT_EQ(walk(depth), (std::vector<std::string>{"a", "b", "d", "pose", "c"}));
    MItDependencyGraph breadth(object("a"), MFn::kInvalid, MItDependencyGraph::kDownstream,
                               MItDependencyGraph::kBreadthFirst);
    EXPECT_EQ(walk(breadth), (std::vector<std::string>{"a", "b", "c", "d", "pose"}));
    MItDependencyGraph poses(object("a"), MFn::kDagPose);
    EXPECT_EQ(walk(poses), std::vector<std::string>{"pose"});
    MItDependencyGraph last(object("pose"), MFn::kInvalid, MItDependencyGraph::kUpstream);
    int steps = 0;
    while (last.next())
        ++steps;
    EXPECT_EQ(steps, 4);
    EXPECT_TRUE(last.isDone());
    EXPECT_FALSE(last.next());
    MStatus s;
    MItDependencyGraph bad(MObject::kNullObj, MFn::kInvalid, MItDependencyGraph::kDownstream,
                           MItDependencyGraph::kDepthFirst, MItDependencyGraph::kNodeLevel, &s);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(bad.isDone());
}

TEST_F(GraphTest, NodesAreIteratedInCreationOrder)
{
    make("transform", "x");
    make("objectSet", "s");
    make("transform", "y");
    MGlobal::deleteNode(object("x"));
    std::vector<std::string> names;
    for (MItDependencyNodes it; !it.isDone(); it.next())
        names.push_back(nameOf(it.thisNode()));
    const std::vector<std::string> expected = {"persp", "perspShape", "top", "topShape", "front", "frontShape",
                                               "side", "sideShape", "defaultShaderList1", "s", "y"};
    EXPECT_EQ(names, expected);
    std::vector<std::string> sets;
    for (MItDependencyNodes it(MFn::kSet); !it.isDone(); it.next())
        sets.push_back(nameOf(it.thisNode()));
    EXPECT_EQ(sets, std::vector<std::string>{"s"});
}

TEST_F(GraphTest, APlugRootStartsFromItsOwnConnectionsOnlyAtPlugLevel)
{
    buildDeformers();
    MPlug second = plug("cl.outputGeometry[1]");
    MItDependencyGraph plugLevel(second, MFn::kInvalid, MItDependencyGraph::kDownstream,
                                 MItDependencyGraph::kDepthFirst, MItDependencyGraph::kPlugLevel);
    EXPECT_TRUE(plugLevel.rootPlug() == second);
    EXPECT_TRUE(plugLevel.rootNode() == object("cl"));
    EXPECT_TRUE(plugLevel.thisPlug().isNull());
    ASSERT_TRUE(plugLevel.next());
    EXPECT_TRUE(plugLevel.thisPlug() == plug("bShape.inMesh"));
    EXPECT_FALSE(plugLevel.next());
    // At node level the same root uses every connection of the node.
    MItDependencyGraph nodeLevel(second, MFn::kMesh, MItDependencyGraph::kDownstream,
                                 MItDependencyGraph::kDepthFirst, MItDependencyGraph::kNodeLevel);
    EXPECT_EQ(walk(nodeLevel), (std::vector<std::string>{"aShape", "bShape"}));
    ASSERT_TRUE(nodeLevel.reset());
    EXPECT_FALSE(nodeLevel.isDone());
    // A compound array root takes in its elements' children.
    MItDependencyGraph input(plug("skin.input"), MFn::kInvalid, MItDependencyGraph::kUpstream,
                             MItDependencyGraph::kBreadthFirst, MItDependencyGraph::kPlugLevel);
    EXPECT_EQ(walk(input), (std::vector<std::string>{"skin", "blend", "bodyOrig"}));
    MItDependencyGraph weights(plug("skin.weightList"), MFn::kInvalid, MItDependencyGraph::kUpstream,
                               MItDependencyGraph::kBreadthFirst, MItDependencyGraph::kPlugLevel);
    EXPECT_EQ(walk(weights), std::vector<std::string>{"skin"});
}
