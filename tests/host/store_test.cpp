// What later parts of the host attach to the store: payloads, listeners,
// component extents and computed attributes; and node-level calls.
#include <vesk/MDGModifier.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnNumericData.h>
#include <vesk/MGlobal.h>
#include <vesk/MItDag.h>
#include <vesk/MItDependencyNodes.h>
#include <vesk/MPlugArray.h>

#include "host_fixture.h"

namespace {

using StoreTest = HostTest;

vesk::Kind* kindNamed(const char* type)
{
    return vesk::store().kinds().find(std::string(type));
}

// Restores a kind's hook when the test ends.
template <class Hook>
struct SavedHook {
    Hook& hook;
    Hook saved;
    explicit SavedHook(Hook& h) : hook(h), saved(h) {}
    ~SavedHook() { hook = saved; }
};

struct CountedPayload : vesk::Payload {
    static int live;
    CountedPayload() { ++live; }
    ~CountedPayload() override { --live; }
};
int CountedPayload::live = 0;

} // namespace

TEST_F(StoreTest, PayloadsAreMadeWithTheirNodesAndEndWithThem)
{
    SavedHook<vesk::PayloadFactory> keep(kindNamed("locator")->payloadFactory);
    kindNamed("locator")->payloadFactory = [](vesk::NodeStore&, vesk::NodeId) {
        return std::unique_ptr<vesk::Payload>(new CountedPayload);
    };
    vesk::fixture::makeShape("locator", "a");
    vesk::fixture::makeShape("locator", "b");
    EXPECT_EQ(CountedPayload::live, 2);
    EXPECT_NE(dynamic_cast<CountedPayload*>(vesk::store().payload(vesk::fixture::node("aShape"))), nullptr);
    EXPECT_EQ(vesk::store().payload(vesk::fixture::node("a")), nullptr);
    MGlobal::deleteNode(object("a"));
    EXPECT_EQ(CountedPayload::live, 1);
    vesk::store().reset();
    EXPECT_EQ(CountedPayload::live, 0);
}

TEST_F(StoreTest, ListenersSeeEveryDeletionAndEveryNewScene)
{
    std::vector<std::string> deleted;
    int resets = 0;
    const size_t onDelete = vesk::store().addDeletionListener(
        [&](vesk::NodeId n) { deleted.push_back(vesk::store().name(n)); });
    const size_t onReset = vesk::store().addResetListener([&] { ++resets; });
    vesk::fixture::make("transform", "group");
    vesk::fixture::make("transform", "child", "group");
    MGlobal::deleteNode(object("group"));
    EXPECT_EQ(deleted, (std::vector<std::string>{"child", "group"}));
    deleted.clear();
    vesk::store().reset();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(deleted.size(), 9u);
    vesk::store().removeListener(onDelete);
    vesk::store().removeListener(onReset);
    vesk::store().reset();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(deleted.size(), 9u);
}

TEST_F(StoreTest, ComponentExtentsBoundComponentTexts)
{
    SavedHook<vesk::ComponentExtentFn> keep(kindNamed("mesh")->componentExtent);
    kindNamed("mesh")->componentExtent = [](const vesk::NodeStore&, vesk::NodeId, MFn::Type type, int& count,
                                            int& countV) {
        count = type == MFn::kMeshVertComponent ? 10 : 4;
        countV = -1;
        return type != MFn::kSurfaceCVComponent;
    };
    vesk::fixture::makeShape("mesh", "b");
    MSelectionList list;
    EXPECT_TRUE(list.add("b.vtx[0:9]"));
    EXPECT_EQ(list.add("b.vtx[10]").statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(list.add("b.f[4]").statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(list.add("b.cv[0][0]").statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(list.length(), 1u);
    MDagPath p;
    MObject part;
    list.getDagPath(0, p, part);
    EXPECT_TRUE(part.hasFn(MFn::kSingleIndexedComponent));
}

TEST_F(StoreTest, ComputedOutputsDriveTheirDestinationsAtTheCurrentTime)
{
    vesk::Attribute* output = kindNamed("animCurve")->findAttribute("output");
    SavedHook<vesk::ComputeFn> keep(output->compute);
    output->compute = [](vesk::NodeStore& s, vesk::NodeId, const vesk::PlugKey&, vesk::Value& out) {
        out = vesk::Value::ofNumber(2.0 * s.globals().currentTime);
        return true;
    };
    vesk::fixture::make("animCurveTimeToDistance", "curve");
    vesk::fixture::make("transform", "t");
    ASSERT_TRUE(vesk::fixture::connect("curve.output", "t.tx"));
    vesk::store().globals().currentTime = 1.5;
    EXPECT_EQ(plug("t.tx").asDouble(), 3.0);
    vesk::store().globals().currentTime = 4.0;
    EXPECT_EQ(plug("t.tx").asInt(), 8);
    // The output itself is not written.
    EXPECT_FALSE(plug("curve.output").setValue(1.0));
    vesk::store().globals().currentTime = 0.0;
}

TEST_F(StoreTest, NodesAreMadeRenamedAndDeletedThroughTheFunctionSets)
{
    MFnDependencyNode fn;
    MStatus s;
    const MObject set = fn.create("objectSet", "members", &s);
    ASSERT_TRUE(s);
    EXPECT_STREQ(fn.typeName().asChar(), "objectSet");
    EXPECT_TRUE(fn.typeId() == vesk::store().kind("objectSet")->typeId());
    EXPECT_TRUE(fn.create("noSuchKind", &s).isNull());
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    // A shape made under the world gets a transform, which is returned.
    MFnDagNode dag;
    const MObject top = dag.create("locator", MObject::kNullObj, &s);
    ASSERT_TRUE(s);
    EXPECT_TRUE(top.hasFn(MFn::kTransform));
    EXPECT_TRUE(dag.object().hasFn(MFn::kLocator));
    EXPECT_TRUE(dag.create("objectSet", MObject::kNullObj, &s).isNull());
    // Queued renames and deletions.
    MDGModifier mod;
    mod.renameNode(set, "cluster1Set");
    mod.deleteNode(top);
    ASSERT_TRUE(mod.doIt());
    EXPECT_EQ(nameOf(set), "cluster1Set");
    EXPECT_TRUE(top.isNull());
    EXPECT_FALSE(MGlobal::deleteNode(MObject::kNullObj));
    MFnNumericData data;
    EXPECT_FALSE(MGlobal::deleteNode(data.create(MFnNumericData::k2Float)));
}

TEST_F(StoreTest, NumericDataConvertsLikePlugs)
{
    MFnNumericData fn;
    MStatus s;
    EXPECT_TRUE(fn.create(MFnNumericData::kDouble, &s).isNull());
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    fn.create(MFnNumericData::k3Float);
    ASSERT_TRUE(fn.setData(0.1, 1e300, -2.0));
    float f[3];
    ASSERT_TRUE(fn.getData(f[0], f[1], f[2]));
    EXPECT_EQ(f[0], 0.1f);
    EXPECT_EQ(f[1], 3.4028234663852886e38f);
    int i[3] = {7, 7, 7};
    ASSERT_TRUE(fn.getData(i[0], i[1], i[2]));
    EXPECT_EQ(i[0], 0);
    EXPECT_EQ(i[1], 2147483647);
    double a = 5, b = 5;
    EXPECT_EQ(fn.getData(a, b).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(a, 5.0);
    EXPECT_EQ(fn.numericType(), MFnNumericData::k3Float);
    fn.create(MFnNumericData::k2Short);
    ASSERT_TRUE(fn.setData(70000.0, -1.5));
    ASSERT_TRUE(fn.getData(i[0], i[1]));
    EXPECT_EQ(i[0], 32767);
    EXPECT_EQ(i[1], -1);
}

TEST_F(StoreTest, IteratorsAnswerPositionsAndStartOver)
{
    vesk::fixture::make("transform", "a");
    vesk::fixture::make("transform", "b", "a");
    MItDag dag(MItDag::kDepthFirst, MFn::kTransform);
    std::vector<unsigned int> depths;
    for (; !dag.isDone(); dag.next())
        depths.push_back(dag.depth());
    EXPECT_EQ(depths, (std::vector<unsigned int>{1, 1, 1, 1, 1, 2}));
    MDagPath p;
    EXPECT_FALSE(dag.getPath(p));
    EXPECT_TRUE(dag.currentItem().isNull());
    ASSERT_TRUE(dag.reset());
    ASSERT_TRUE(dag.getPath(p));
    EXPECT_STREQ(p.fullPathName().asChar(), "|persp");
    // A node made during a creation-order walk is met later in it.
    int seen = 0;
    for (MItDependencyNodes it(MFn::kTransform); !it.isDone(); it.next())
        if (++seen == 1)
            vesk::fixture::make("transform", "late");
    EXPECT_EQ(seen, 7);
}
