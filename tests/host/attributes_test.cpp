// The attribute function sets: creation, defaults and limits, units,
// compounds, and dynamic attributes coming and going.
#include <cmath>

#include <vesk/MAngle.h>
#include <vesk/MDistance.h>
#include <vesk/MFnCompoundAttribute.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnMatrixAttribute.h>
#include <vesk/MFnMatrixData.h>
#include <vesk/MFnMessageAttribute.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnTypedAttribute.h>
#include <vesk/MFnUnitAttribute.h>
#include <vesk/MGlobal.h>

#include "host_fixture.h"
#include "math_values.h"

namespace {

using AttributeTest = HostTest;

} // namespace

TEST_F(AttributeTest, NumbersKeepTheirDefaultsAndLimits)
{
    MFnNumericAttribute fn;
    const MObject speed = fn.create("speed", "spd", MFnNumericData::kDouble, 2.5);
    ASSERT_TRUE(fn.setSoftMin(0.0));
    EXPECT_TRUE(fn.hasSoftMin());
    EXPECT_FALSE(fn.hasSoftMax());
    double v = -1;
    EXPECT_EQ(fn.getSoftMax(v).statusCode(), MStatus::kFailure);
    ASSERT_TRUE(fn.getSoftMin(v));
    EXPECT_EQ(v, 0.0);
    ASSERT_TRUE(fn.setMin(-1.0));
    ASSERT_TRUE(fn.setMax(1.0));
    ASSERT_TRUE(fn.getMax(v));
    EXPECT_EQ(v, 1.0);
    // Limits are kept, not enforced.
    MFnDependencyNode node(make("transform", "t"));
    ASSERT_TRUE(node.addAttribute(speed));
    EXPECT_EQ(node.findPlug("speed").asDouble(), 2.5);
    ASSERT_TRUE(node.findPlug("speed").setValue(7.0));
    EXPECT_EQ(node.findPlug("speed").asDouble(), 7.0);
    // Compound defaults are the children's.
    const MObject aim = fn.create("aim", "am", MFnNumericData::k3Double);
    ASSERT_TRUE(fn.setDefault(1.0, 2.0, 3.0));
    EXPECT_EQ(fn.getDefault(v).statusCode(), MStatus::kInvalidParameter);
    double a, b, c;
    ASSERT_TRUE(fn.getDefault(a, b, c));
    EXPECT_EQ(b, 2.0);
    ASSERT_TRUE(node.addAttribute(aim));
    EXPECT_EQ(node.findPlug("aimZ").asDouble(), 3.0);
    // An integer default is narrowed like a value.
    fn.create("count", "cnt", MFnNumericData::kShort, 70000.0);
    int n = 0;
    ASSERT_TRUE(fn.getDefault(n));
    EXPECT_EQ(n, 32767);
}

TEST_F(AttributeTest, BadNamesAndTypesMakeNothing)
{
    MFnNumericAttribute numeric;
    MStatus s;
    const struct {
        const char* longName;
        const char* shortName;
        MFnNumericData::Type type;
    } cases[] = {
        {"", "x", MFnNumericData::kDouble},
        {"max speed", "ms", MFnNumericData::kDouble},
        {"ok", "a.b", MFnNumericData::kDouble},
        {"ok", "ok", MFnNumericData::kInvalid},
        {"ok", "ok", MFnNumericData::kAddr},
        {"ok", "ok", MFnNumericData::kLast},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(numeric.create(c.longName, c.shortName, c.type, 0.0, &s).isNull()) << c.longName;
        EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    }
    MFnUnitAttribute unit;
    EXPECT_TRUE(unit.create("u", "u", MFnUnitAttribute::kInvalid, 0.0, &s).isNull());
    MFnTypedAttribute typed;
    EXPECT_TRUE(typed.create("d", "d", MFnData::kNumeric, MObject::kNullObj, &s).isNull());
    // A short name defaults to the long one.
    const MObject a = numeric.create("solo", "", MFnNumericData::kInt);
    EXPECT_STREQ(MFnAttribute(a).shortName().asChar(), "solo");
}

TEST_F(AttributeTest, UnitAttributesHoldInternalUnits)
{
    MFnUnitAttribute fn;
    const MObject angle = fn.create("tilt", "tl", MFnUnitAttribute::kAngle);
    ASSERT_TRUE(fn.setDefault(MAngle(90, MAngle::kDegrees)));
    ASSERT_TRUE(fn.setMax(MAngle(180, MAngle::kDegrees)));
    double v = 0;
    ASSERT_TRUE(fn.getDefault(v));
    EXPECT_NEAR(v, kPi / 2, 1e-15);
    ASSERT_TRUE(fn.getMax(v));
    EXPECT_NEAR(v, kPi, 1e-15);
    EXPECT_EQ(fn.unitType(), MFnUnitAttribute::kAngle);
    const MObject length = fn.create("reach", "rc", MFnUnitAttribute::kDistance);
    ASSERT_TRUE(fn.setDefault(MDistance(2, MDistance::kMeters)));
    MFnDependencyNode node(make("transform", "t"));
    ASSERT_TRUE(node.addAttribute(angle));
    ASSERT_TRUE(node.addAttribute(length));
    EXPECT_NEAR(node.findPlug("tilt").asDouble(), kPi / 2, 1e-15);
    EXPECT_EQ(node.findPlug("reach").asDouble(), 200.0);
    EXPECT_EQ(node.attribute("reach").apiType(), MFn::kUnitAttribute);
}

TEST_F(AttributeTest, CompoundsNestArraysUpToFourLevelsWithUniqueNames)
{
    MFnNumericAttribute numeric;
    MFnCompoundAttribute compound;
    // c[].b[].a[].leaf[] is four array levels; one more is refused.
    MObject inner = numeric.create("leaf", "lf", MFnNumericData::kDouble);
    MFnAttribute(inner).setArray(true);
    MObject levels[3];
    const char* names[3] = {"a", "b", "c"};
    for (int i = 0; i < 3; ++i) {
        levels[i] = compound.create(names[i], names[i]);
        ASSERT_TRUE(compound.setArray(true));
        ASSERT_TRUE(compound.addChild(i == 0 ? inner : levels[i - 1]));
    }
    const MObject tooDeep = compound.create("d", "d");
    compound.setArray(true);
    EXPECT_EQ(compound.addChild(levels[2]).statusCode(), MStatus::kInvalidParameter);
    // A name already in the tree is refused.
    compound.setObject(levels[2]);
    EXPECT_EQ(compound.addChild(numeric.create("lf", "other", MFnNumericData::kDouble)).statusCode(),
              MStatus::kInvalidParameter);
    EXPECT_TRUE(compound.addChild(numeric.create("tag", "tg", MFnNumericData::kInt)));
    EXPECT_EQ(compound.numChildren(), 2u);
    MFnDependencyNode node(make("objectSet", "s"));
    ASSERT_TRUE(node.addAttribute(levels[2]));
    // Children cannot change once a node holds the tree.
    EXPECT_FALSE(compound.addChild(numeric.create("late", "lt", MFnNumericData::kInt)));
    EXPECT_FALSE(MFnAttribute(inner).setArray(false));
    MPlug p = plug("s.c[1].b[2].a[3].leaf[4]");
    ASSERT_FALSE(p.isNull());
    ASSERT_TRUE(p.setValue(0.5));
    EXPECT_STREQ(p.info().asChar(), "s.c[1].b[2].a[3].leaf[4]");
    EXPECT_EQ(plug("s.c[1].b").numElements(), 1u);
    EXPECT_EQ(plug("s.c[1].tag").asInt(), 0);
    (void)tooDeep;
}

TEST_F(AttributeTest, TypedMessageAndMatrixAttributesHoldTheirKinds)
{
    MFnTypedAttribute typed;
    MFnMessageAttribute message;
    MFnMatrixAttribute matrix;
    MFnDependencyNode node(make("transform", "t"));
    ASSERT_TRUE(node.addAttribute(typed.create("note", "nt", MFnData::kString)));
    ASSERT_TRUE(node.addAttribute(typed.create("geo", "geo", MFnData::kGeometry)));
    ASSERT_TRUE(node.addAttribute(message.create("link", "lk")));
    ASSERT_TRUE(node.addAttribute(matrix.create("rest", "rs")));
    EXPECT_EQ(typed.attrType(), MFnData::kGeometry);
    EXPECT_STREQ(node.findPlug("note").asString().asChar(), "");
    ASSERT_TRUE(node.findPlug("note").setValue("hello"));
    EXPECT_STREQ(node.findPlug("note").asString().asChar(), "hello");
    EXPECT_TRUE(MFnMatrixData(node.findPlug("rest").asMObject()).matrix() == MMatrix::identity);
    vesk::fixture::makeShape("mesh", "box");
    EXPECT_TRUE(vesk::fixture::connect("boxShape.outMesh", "t.geo"));
    EXPECT_TRUE(vesk::fixture::connect("persp.message", "t.link"));
    EXPECT_FALSE(vesk::fixture::connect("persp.worldMatrix[0]", "t.link"));
    EXPECT_TRUE(vesk::fixture::connect("persp.worldMatrix[0]", "t.rest"));
}

TEST_F(AttributeTest, RemovingAnAttributeTakesItsValuesAndConnections)
{
    MFnNumericAttribute numeric;
    MFnDependencyNode node(make("transform", "t"));
    const MObject weight = numeric.create("weight", "wt", MFnNumericData::kDouble);
    ASSERT_TRUE(node.addAttribute(weight));
    ASSERT_TRUE(node.findPlug("weight").setValue(3.0));
    ASSERT_TRUE(vesk::fixture::connect("persp.tx", "t.weight"));
    const MPlug held = node.findPlug("weight");
    const unsigned int count = node.attributeCount();
    ASSERT_TRUE(node.removeAttribute(weight));
    EXPECT_EQ(node.attributeCount(), count - 1);
    EXPECT_TRUE(weight.isNull());
    EXPECT_TRUE(held.isNull());
    EXPECT_FALSE(plug("persp.tx").isConnected());
    EXPECT_FALSE(node.hasAttribute("wt"));
    EXPECT_EQ(node.addAttribute(weight).statusCode(), MStatus::kFailure);
    // A kind's attribute cannot be removed; a new one can take the name.
    EXPECT_FALSE(node.removeAttribute(node.attribute("translateX")));
    ASSERT_TRUE(node.addAttribute(numeric.create("weight", "wt", MFnNumericData::kDouble)));
    EXPECT_EQ(node.findPlug("weight").asDouble(), 0.0);
}
