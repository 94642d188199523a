// Node kinds: type numbers and ancestry, the default scene and the world.
#include <vesk/MDagPath.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MGlobal.h>
#include <vesk/MItDependencyNodes.h>

#include "host_fixture.h"
#include "store/kind.h"
#include "store/types.h"

namespace {

using KindTest = HostTest;

// Makes a node of a kind: shapes under a new transform, other DAG nodes
// under the world.
MObject makeAny(const vesk::Kind& k)
{
    vesk::NodeStore& s = vesk::store();
    vesk::NodeId parent;
    if (k.isA(MFn::kShape))
        parent = s.createNode("transform", "holder", vesk::NodeId());
    return vesk::ObjectAccess::fromNode(s.createNode(&k, "", parent));
}

} // namespace

TEST_F(KindTest, EveryKindAnswersItsTypeAndEachAncestor)
{
    size_t made = 0;
    for (const vesk::Kind* k : vesk::store().kinds().kinds()) {
        if (k->abstract || k->type() == MFn::kWorld)
            continue;
        const MObject o = makeAny(*k);
        ASSERT_FALSE(o.isNull()) << k->typeName();
        EXPECT_EQ(o.apiType(), k->type()) << k->typeName();
        for (MFn::Type t = k->type(); t != MFn::kInvalid; t = vesk::typeParent(t))
            EXPECT_TRUE(o.hasFn(t)) << k->typeName() << " " << vesk::typeName(t);
        EXPECT_EQ(o.hasFn(MFn::kDagNode), k->isDag()) << k->typeName();
        EXPECT_TRUE(o.hasFn(MFn::kDependencyNode));
        EXPECT_STREQ(o.apiTypeStr(), vesk::typeName(k->type()));
        ++made;
    }
    EXPECT_GT(made, 40u);
}

TEST_F(KindTest, SiblingKindsDoNotAnswerForEachOther)
{
    const struct {
        const char* type;
        MFn::Type yes;
        MFn::Type no;
    } cases[] = {
        {"shadingEngine", MFn::kSet, MFn::kDagNode},
        {"phong", MFn::kLambert, MFn::kSet},
        {"pointLight", MFn::kLight, MFn::kSpotLight},
        {"ambientLight", MFn::kLight, MFn::kPointLight},
        {"volumeLight", MFn::kLight, MFn::kAreaLight},
        {"spotLight", MFn::kShape, MFn::kDirectionalLight},
        {"jointCluster", MFn::kGeometryFilter, MFn::kCluster},
        {"skinCluster", MFn::kGeometryFilter, MFn::kBlendShape},
        {"nurbsSurface", MFn::kSurface, MFn::kMesh},
        {"fixtureTransform", MFn::kTransform, MFn::kJoint},
        {"lookAt", MFn::kTransform, MFn::kShape},
        {"objectSet", MFn::kSet, MFn::kShadingEngine},
    };
    for (const auto& c : cases) {
        const MObject o = makeAny(*vesk::store().kind(c.type));
        EXPECT_TRUE(o.hasFn(c.yes)) << c.type;
        EXPECT_FALSE(o.hasFn(c.no)) << c.type;
    }
}

TEST_F(KindTest, DynamicNumbersAreNumericAttributesOfClassTwo)
{
    MObject node = make("transform", "t");
    MFnDependencyNode fn(node);
    MFnNumericAttribute numeric;
    const MObject one = numeric.create("speed", "spd", MFnNumericData::kDouble);
    const MObject three = numeric.create("offset", "of", MFnNumericData::k3Double);
    ASSERT_TRUE(fn.addAttribute(one));
    ASSERT_TRUE(fn.addAttribute(three));
    for (const MObject& a : {one, three}) {
        EXPECT_EQ(a.apiType(), MFn::kNumericAttribute);
        EXPECT_EQ(fn.attributeClass(a), MFnDependencyNode::kLocalDynamicAttr);
    }
    EXPECT_EQ(fn.attributeClass(fn.attribute("translateX")), MFnDependencyNode::kNormalAttr);
    EXPECT_EQ(fn.attributeClass(fn.attribute("offsetY")), MFnDependencyNode::kLocalDynamicAttr);
    EXPECT_EQ(fn.attribute("translate").apiType(), MFn::kCompoundAttribute);
    EXPECT_EQ(fn.attribute("translateX").apiType(), MFn::kUnitAttribute);
    EXPECT_EQ(fn.attribute("scale").apiType(), MFn::kNumericAttribute);
}

TEST_F(KindTest, ATransformPathAnswersForItsFirstRealShapeButKeepsItsType)
{
    MObject t = make("transform", "box");
    make("mesh", "boxOrig", "box");
    make("mesh", "boxShape", "box");
    vesk::store().setIntermediate(vesk::fixture::node("boxOrig"), true);
    const MDagPath p = path("box");
    EXPECT_TRUE(p.hasFn(MFn::kMesh));
    EXPECT_TRUE(p.hasFn(MFn::kTransform));
    EXPECT_EQ(p.apiType(), MFn::kTransform);
    EXPECT_FALSE(p.hasFn(MFn::kCamera));
    EXPECT_FALSE(t.hasFn(MFn::kMesh));
    MDagPath shape = p;
    ASSERT_TRUE(shape.extendToShape());
    EXPECT_STREQ(shape.partialPathName().asChar(), "boxShape");
    // Only the transform rule reaches a shape: a shape's path answers alone.
    EXPECT_FALSE(shape.hasFn(MFn::kTransform));
}

TEST_F(KindTest, OnlyConcreteKindsCanBeMade)
{
    MStatus s;
    for (const char* type : {"dagNode", "shape", "light", "geometryFilter", "animCurve", "world", "noSuchKind"}) {
        EXPECT_FALSE(vesk::store().createNode(type, "x", vesk::NodeId(), &s).valid()) << type;
        EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    }
    // Non-DAG nodes take no parent; DAG nodes only DAG parents.
    const vesk::NodeId set = vesk::store().createNode("objectSet", "set");
    EXPECT_FALSE(vesk::store().createNode("objectSet", "x", vesk::fixture::node("persp")).valid());
    EXPECT_FALSE(vesk::store().createNode("transform", "x", set).valid());
}

TEST_F(KindTest, TheDefaultSceneHoldsTheCamerasAndTheShaderList)
{
    EXPECT_EQ(vesk::store().nodeCount(), 9u);
    for (const char* cam : {"persp", "top", "front", "side"}) {
        const MDagPath p = path(cam);
        ASSERT_TRUE(p.isValid()) << cam;
        EXPECT_TRUE(p.hasFn(MFn::kCamera));
        EXPECT_EQ(p.childCount(), 1u);
        EXPECT_EQ(nameOf(p.child(0)), std::string(cam) + "Shape");
        double ortho = -1;
        ASSERT_TRUE(vesk::fixture::number(std::string(cam) + "Shape.orthographic", ortho));
        EXPECT_EQ(ortho, std::string(cam) == "persp" ? 0.0 : 1.0);
    }
    EXPECT_TRUE(object("defaultShaderList1").hasFn(MFn::kShaderList));
}

TEST_F(KindTest, TheWorldIsParentZeroButNeverNamedIteratedOrDeleted)
{
    MFnDagNode persp(object("persp"));
    const MObject world = persp.parent(0);
    ASSERT_FALSE(world.isNull());
    EXPECT_TRUE(world.hasFn(MFn::kWorld));
    MFnDagNode w(world);
    EXPECT_EQ(w.parentCount(), 0u);
    EXPECT_EQ(w.name(), MString(""));
    EXPECT_EQ(w.childCount(), 4u);
    MDagPath p;
    EXPECT_FALSE(MDagPath::getAPathTo(world, p));
    EXPECT_FALSE(MGlobal::deleteNode(world));
    MStatus renamed;
    w.setName("world", &renamed);
    EXPECT_FALSE(renamed);
    for (MItDependencyNodes it; !it.isDone(); it.next())
        EXPECT_FALSE(it.thisNode().hasFn(MFn::kWorld));
}

TEST(KindRegistryTest, KindsRegisterOnceWithUniqueAttributeNamesUntilFinalised)
{
    vesk::KindRegistry registry;
    vesk::Kind* base = registry.add(MFn::kDependencyNode, MFn::kInvalid, "base");
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(registry.add(MFn::kDependencyNode, MFn::kInvalid, "other"), nullptr);
    EXPECT_EQ(registry.add(MFn::kSet, MFn::kInvalid, "base"), nullptr);
    EXPECT_EQ(registry.add(MFn::kSet, MFn::kLambert, "set"), nullptr);
    vesk::Kind* set = registry.add(MFn::kSet, MFn::kDependencyNode, "set");
    ASSERT_NE(set, nullptr);
    EXPECT_TRUE(base->addAttribute(vesk::makeNumericAttribute("weight", "w", MFnNumericData::kDouble, 0)));
    // A name of the new attribute or of its children may not repeat one of
    // the kind or of its ancestors.
    EXPECT_FALSE(set->addAttribute(vesk::makeNumericAttribute("w", "x", MFnNumericData::kDouble, 0)));
    EXPECT_FALSE(set->addAttribute(vesk::makeNumericAttribute("pos", "weight", MFnNumericData::k3Double, 0)));
    EXPECT_TRUE(set->addAttribute(vesk::makeNumericAttribute("pos", "p", MFnNumericData::k3Double, 0)));
    registry.finalize();
    EXPECT_EQ(registry.add(MFn::kShadingEngine, MFn::kSet, "late"), nullptr);
    EXPECT_FALSE(set->addAttribute(vesk::makeNumericAttribute("late", "lt", MFnNumericData::kDouble, 0)));
    ASSERT_EQ(set->attributes().size(), 2u);
    EXPECT_EQ(set->attributes()[0]->longName(), "weight");
    EXPECT_EQ(set->findAttribute("posY")->shortName(), "pY");
    EXPECT_EQ(set->findAttribute("w"), base->findAttribute("weight"));
    EXPECT_EQ(registry.find("set"), set);
    EXPECT_EQ(registry.find(MFn::kSet), set);
    EXPECT_TRUE(set->isA(MFn::kSet));
    EXPECT_FALSE(set->isDag());
}
