// The DAG: walks with instances, paths, world matrices, reparenting,
// deletion and the new scene.
#include <vesk/MDagPathArray.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnMatrixData.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MGlobal.h>
#include <vesk/MItDag.h>
#include <vesk/MPoint.h>
#include <vesk/MPxTransform.h>
#include <vesk/MTransformationMatrix.h>

#include "host_fixture.h"

namespace {

using DagTest = HostTest;

// A{B{D, X{E}}, C{D}}: D is instanced under B and C; X is a plain
// transform between fixture transforms.
void buildTree()
{
    using vesk::fixture::make;
    make("fixtureTransform", "A");
    make("fixtureTransform", "B", "A");
    make("fixtureTransform", "C", "A");
    make("fixtureTransform", "D", "B");
    make("transform", "X", "B");
    make("fixtureTransform", "E", "X");
    MFnDagNode c(vesk::ObjectAccess::fromNode(vesk::fixture::node("C")));
    ASSERT_TRUE(c.addChild(vesk::ObjectAccess::fromNode(vesk::fixture::node("D")), MFnDagNode::kNextPos, true));
}

std::vector<std::string> walk(MItDag::TraversalType traversal)
{
    std::vector<std::string> out;
    for (MItDag it(traversal, MFn::kFixtureTransform); !it.isDone(); it.next())
        out.push_back(it.fullPathName().asChar());
    return out;
}

// A function set for meshes, as the shape function sets bind.
class MeshSet : public MFnDagNode {
public:
    explicit MeshSet(const MDagPath& path, MStatus* status) { *status = bindPath(path, MFn::kMesh); }
};

// The node at the end of a path text (names of instanced nodes need one).
MObject node(const char* pathText)
{
    return HostTest::path(pathText).node();
}

} // namespace

TEST_F(DagTest, WalksKeepTheirOrdersAndVisitInstancesUnderEachParent)
{
    buildTree();
    EXPECT_EQ(walk(MItDag::kDepthFirst),
              (std::vector<std::string>{"|A", "|A|B", "|A|B|D", "|A|B|X|E", "|A|C", "|A|C|D"}));
    EXPECT_EQ(walk(MItDag::kBreadthFirst),
              (std::vector<std::string>{"|A", "|A|B", "|A|C", "|A|B|D", "|A|C|D", "|A|B|X|E"}));
    MStatus s;
    MItDag bad(MItDag::kInvalidType, MFn::kInvalid, &s);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(bad.isDone());
    EXPECT_FALSE(bad.next());
}

TEST_F(DagTest, InstancePathsFollowTheWalkOrder)
{
    buildTree();
    MDagPathArray paths;
    ASSERT_TRUE(MDagPath::getAllPathsTo(node("|A|B|D"), paths));
    ASSERT_EQ(paths.length(), 2u);
    EXPECT_STREQ(paths[0].fullPathName().asChar(), "|A|B|D");
    EXPECT_STREQ(paths[1].fullPathName().asChar(), "|A|C|D");
    EXPECT_EQ(paths[1].instanceNumber(), 1u);
    EXPECT_TRUE(paths[0].isInstanced());
    // C first among A's children: its instance comes first.
    MFnDagNode a(object("A"));
    ASSERT_TRUE(a.addChild(object("C"), 0));
    ASSERT_TRUE(MDagPath::getAllPathsTo(node("|A|B|D"), paths));
    EXPECT_STREQ(paths[0].fullPathName().asChar(), "|A|C|D");
    EXPECT_EQ(path("|A|B|D").instanceNumber(), 1u);
    MDagPath first;
    ASSERT_TRUE(MDagPath::getAPathTo(node("|A|B|D"), first));
    EXPECT_TRUE(first == paths[0]);
    MFnDagNode d(node("|A|B|D"));
    EXPECT_EQ(d.instanceCount(true), 2u);
    EXPECT_TRUE(d.parent(1) == object("C"));
    EXPECT_TRUE(MFnDagNode(object("E")).isInstanced(true) == false);
}

TEST_F(DagTest, PathsPopPushAndAnswerForTheirNodes)
{
    buildTree();
    MDagPath p = path("|A|B|X|E");
    EXPECT_EQ(p.length(), 4u);
    ASSERT_TRUE(p.pop());
    EXPECT_STREQ(p.fullPathName().asChar(), "|A|B|X");
    EXPECT_FALSE(p.pop(3));
    EXPECT_EQ(p.length(), 3u);
    ASSERT_TRUE(p.pop(2));
    EXPECT_FALSE(p.pop());
    EXPECT_STREQ(p.fullPathName().asChar(), "|A");
    EXPECT_FALSE(p.push(node("|A|B|D")));
    ASSERT_TRUE(p.push(object("C")));
    ASSERT_TRUE(p.push(node("|A|B|D")));
    EXPECT_EQ(p.instanceNumber(), 1u);
    const MDagPath empty;
    MStatus s;
    EXPECT_TRUE(empty.node(&s).isNull());
    EXPECT_FALSE(empty.isValid());
    EXPECT_STREQ(empty.fullPathName().asChar(), "");
    // A shape's transform is the node above it.
    vesk::fixture::makeShape("mesh", "box");
    const MDagPath shape = path("boxShape");
    EXPECT_TRUE(shape.transform() == object("box"));
    EXPECT_TRUE(path("box").transform() == object("box"));
}

TEST_F(DagTest, ShapeSetsOnATransformPathBindItsFirstRealShape)
{
    vesk::fixture::make("transform", "box");
    vesk::fixture::make("mesh", "boxOrig", "box");
    vesk::fixture::make("mesh", "boxShape", "box");
    MFnDagNode(object("boxOrig")).setIntermediateObject(true);
    MStatus s;
    MeshSet mesh(path("box"), &s);
    ASSERT_TRUE(s);
    EXPECT_TRUE(mesh.object() == object("boxShape"));
    EXPECT_STREQ(mesh.fullPathName().asChar(), "|box|boxShape");
    MeshSet camera(path("persp"), &s);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(camera.object().isNull());
}

TEST_F(DagTest, WorldMatricesArePerInstance)
{
    buildTree();
    const struct {
        const char* plug;
        double value;
    } values[] = {{"A.tx", 1}, {"B.tx", 10}, {"C.ty", 2}, {"A|B|D.tz", 3}};
    for (const auto& v : values)
        ASSERT_TRUE(plug(v.plug).setValue(v.value));
    MPlug world(node("|A|B|D"), MPxTransform::worldMatrix);
    ASSERT_EQ(world.numElements(), 2u);
    const double expected[2][3] = {{11, 0, 3}, {1, 2, 3}};
    for (unsigned int i = 0; i < 2; ++i) {
        const MMatrix m = MFnMatrixData(world.elementByLogicalIndex(i).asMObject()).matrix();
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(m(3, c), expected[i][c]) << i << " " << c;
    }
    EXPECT_TRUE(path("|A|C|D").inclusiveMatrix() ==
                MFnMatrixData(world.elementByLogicalIndex(1).asMObject()).matrix());
    EXPECT_FALSE(world.elementByLogicalIndex(0).setValue(1.0));
    // A rotated, scaled parent: a point of D at its origin lands where the
    // parent takes it.
    plug("A.rz").setValue(3.14159265358979323846 / 2);
    plug("A.sx").setValue(2.0);
    const MMatrix m = path("|A|B|D").inclusiveMatrix();
    const MPoint origin = MPoint(0, 0, 0) * m;
    // (10, 0, 3) in A: scaled to (20, 0, 3), turned to (0, 20, 3), moved by 1.
    EXPECT_NEAR(origin.x, 1, 1e-12);
    EXPECT_NEAR(origin.y, 20, 1e-12);
    EXPECT_NEAR(origin.z, 3, 1e-12);
}

TEST_F(DagTest, LocalMatricesFollowTheTransformAttributes)
{
    const double q = 3.14159265358979323846 / 2;
    vesk::fixture::make("joint", "j");
    const struct {
        const char* plug;
        double value;
    } values[] = {
        {"j.rx", q}, {"j.ry", q}, {"j.rotateOrder", 2}, {"j.rotateAxisZ", q}, {"j.jointOrientX", q},
        {"j.sx", 2}, {"j.scalePivotX", 1}, {"j.rotatePivotY", 1}, {"j.rotatePivotTranslateZ", 5}, {"j.tz", 10},
    };
    for (const auto& v : values)
        ASSERT_TRUE(plug(v.plug).setValue(v.value)) << v.plug;
    MTransformationMatrix expected;
    const double scale[3] = {2, 1, 1};
    expected.setScale(scale, MSpace::kTransform);
    expected.setScalePivot(MPoint(1, 0, 0), MSpace::kTransform);
    expected.rotateTo(MEulerRotation(q, q, 0, MEulerRotation::kYZX));
    expected.setRotateOrientation(MQuaternion(q, MVector(0, 0, 1)), MSpace::kTransform);
    expected.setJointOrientation(MQuaternion(q, MVector(1, 0, 0)));
    expected.setRotatePivot(MPoint(0, 1, 0), MSpace::kTransform);
    expected.setRotatePivotTranslation(MVector(0, 0, 5), MSpace::kTransform);
    expected.setTranslation(MVector(0, 0, 10), MSpace::kTransform);
    const MMatrix local = MFnDagNode(object("j")).transformationMatrix();
    EXPECT_TRUE(local.isEquivalent(expected.asMatrix(), 1e-12));
    // Order 2 (YZX) turns Y first: not the same as the default XYZ.
    plug("j.rotateOrder").setValue(1);
    EXPECT_FALSE(MFnDagNode(object("j")).transformationMatrix().isEquivalent(local, 1e-6));
    // Shapes have no local transform.
    vesk::fixture::makeShape("mesh", "box");
    EXPECT_TRUE(MFnDagNode(object("boxShape")).transformationMatrix() == MMatrix::identity);
}

TEST_F(DagTest, ParentsAndChildrenAnswerFromEitherSide)
{
    buildTree();
    MFnDagNode a(object("A"));
    MFnDagNode c(object("C"));
    const MObject d = node("|A|B|D");
    EXPECT_TRUE(a.hasChild(object("B")));
    EXPECT_FALSE(a.hasChild(d));
    EXPECT_TRUE(MFnDagNode(d).isChildOf(object("C")));
    EXPECT_TRUE(c.isParentOf(d));
    EXPECT_EQ(MFnDagNode(d).instanceCount(false), 2u);
    EXPECT_EQ(MFnDagNode(object("E")).instanceCount(false), 1u);
    MStatus s;
    EXPECT_TRUE(c.child(5, &s).isNull());
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(c.parent(1, &s).isNull());
    EXPECT_TRUE(path("|A|C").child(9, &s).isNull());
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    MDagPathArray paths;
    ASSERT_TRUE(MFnDagNode(d).getAllPaths(paths));
    EXPECT_EQ(paths.length(), 2u);
    // A set made from a path keeps it.
    MFnDagNode viaC(path("|A|C|D"));
    EXPECT_STREQ(viaC.fullPathName().asChar(), "|A|C|D");
    EXPECT_STREQ(MFnDagNode(d).fullPathName().asChar(), "|A|B|D");
}

TEST_F(DagTest, ReparentingRenamesOnClashesAndRefusesCycles)
{
    buildTree();
    vesk::fixture::make("transform", "D");
    MFnDagNode b(object("B"));
    MStatus s;
    EXPECT_EQ(b.addChild(object("A")).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(b.addChild(object("B")).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(b.addChild(object("defaultShaderList1")).statusCode(), MStatus::kInvalidParameter);
    // The top-level D moves under B, where a D is already.
    const MObject topD = path("|D").node();
    ASSERT_TRUE(b.addChild(topD));
    EXPECT_EQ(nameOf(topD), "D1");
    MFnDagNode moved(topD);
    EXPECT_EQ(moved.parentCount(), 1u);
    // Taken from its last parent, a node goes under the world.
    ASSERT_TRUE(b.removeChild(topD));
    EXPECT_STREQ(moved.fullPathName().asChar(), "|D1");
}

TEST_F(DagTest, DeletingANodeTakesItsOnlyChildrenButNotItsInstances)
{
    buildTree();
    const MObject b = object("B");
    const MObject x = object("X");
    const MObject e = object("E");
    const MObject d = node("|A|B|D");
    const MDagPath viaB = path("|A|B|D");
    ASSERT_TRUE(MGlobal::deleteNode(b));
    EXPECT_TRUE(b.isNull());
    EXPECT_TRUE(x.isNull());
    EXPECT_TRUE(e.isNull());
    ASSERT_FALSE(d.isNull());
    EXPECT_FALSE(viaB.isValid());
    EXPECT_STREQ(MFnDagNode(d).fullPathName().asChar(), "|A|C|D");
    EXPECT_FALSE(MGlobal::deleteNode(b));
    // The slot of a deleted node is reused without reviving old handles.
    const MObject fresh = make("transform", "fresh");
    EXPECT_FALSE(fresh == b);
    EXPECT_TRUE(b.isNull());
}

TEST_F(DagTest, ANewSceneLeavesNothingBehind)
{
    buildTree();
    MFnDependencyNode a(object("A"));
    MFnNumericAttribute numeric;
    const MObject held = numeric.create("held", "hd", MFnNumericData::kInt);
    const MObject free = numeric.create("free", "fr", MFnNumericData::kInt);
    a.addAttribute(held);
    ASSERT_TRUE(vesk::fixture::connect("A.tx", "C.tx"));
    MSelectionList list;
    list.add(path("|A|B"));
    MGlobal::setActiveSelectionList(list);
    const MObject node = object("A");
    const MPlug p = plug("A.tx");
    const MDagPath dp = path("|A|C|D");
    vesk::store().reset();
    EXPECT_TRUE(node.isNull());
    EXPECT_TRUE(p.isNull());
    EXPECT_FALSE(dp.isValid());
    EXPECT_TRUE(held.isNull());
    EXPECT_FALSE(free.isNull());
    MGlobal::getActiveSelectionList(list);
    EXPECT_EQ(list.length(), 0u);
    EXPECT_EQ(vesk::store().nodeCount(), 9u);
    EXPECT_TRUE(object("A").isNull());
    // The freed attribute can join a node of the new scene.
    EXPECT_TRUE(MFnDependencyNode(object("persp")).addAttribute(free));
}
