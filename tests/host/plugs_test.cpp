// Plug values and conversions, dynamic attributes, sparse arrays, locks and
// aliases.
#include <cfloat>
#include <cmath>
#include <limits>

#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnEnumAttribute.h>
#include <vesk/MFnMatrixData.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnNumericData.h>
#include <vesk/MFnTypedAttribute.h>
#include <vesk/MGlobal.h>
#include <vesk/MIntArray.h>

#include "host_fixture.h"

namespace {

using PlugTest = HostTest;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A plug of a new dynamic numeric attribute on a new node.
MPlug numericPlug(MFnNumericData::Type type)
{
    static int count = 0;
    MObject node = vesk::ObjectAccess::fromNode(vesk::store().createNode("objectSet", "n"));
    MFnNumericAttribute fn;
    const std::string name = "v" + std::to_string(++count);
    const MObject attr = fn.create(name.c_str(), name.c_str(), type);
    MFnDependencyNode(node).addAttribute(attr);
    return MFnDependencyNode(node).findPlug(attr);
}

} // namespace

TEST_F(PlugTest, EveryNumericFormConvertsWithoutUndefinedResults)
{
    enum Set { kSetInt, kSetDouble };
    const struct {
        MFnNumericData::Type type;
        Set set;
        double value;
        int asInt;
        double asDouble;
    } cases[] = {
        {MFnNumericData::kShort, kSetInt, 70000, 4464, 4464},
        {MFnNumericData::kShort, kSetInt, -1, -1, -1},
        {MFnNumericData::kShort, kSetDouble, 1e9, 32767, 32767},
        {MFnNumericData::kLong, kSetDouble, kNaN, 0, 0},
        {MFnNumericData::kLong, kSetDouble, -2.9, -2, -2},
        {MFnNumericData::kLong, kSetDouble, 1e300, 2147483647, 2147483647},
        {MFnNumericData::kLong, kSetDouble, -HUGE_VAL, -2147483647 - 1, -2147483648.0},
        {MFnNumericData::kChar, kSetInt, 300, 44, 44},
        {MFnNumericData::kBoolean, kSetDouble, 0.5, 1, 1},
        {MFnNumericData::kBoolean, kSetDouble, kNaN, 0, 0},
        {MFnNumericData::kDouble, kSetInt, 5, 5, 5},
        {MFnNumericData::kDouble, kSetDouble, kNaN, 0, kNaN},
        {MFnNumericData::kDouble, kSetDouble, -7.5e12, -2147483647 - 1, -7.5e12},
        {MFnNumericData::kFloat, kSetDouble, 1e300, 2147483647, FLT_MAX},
        {MFnNumericData::kFloat, kSetDouble, 0.1, 0, static_cast<float>(0.1)},
    };
    for (const auto& c : cases) {
        MPlug p = numericPlug(c.type);
        ASSERT_TRUE(c.set == kSetInt ? p.setValue(static_cast<int>(c.value)) : p.setValue(c.value))
            << p.info().asChar();
        int i = 12345;
        double d = 0;
        ASSERT_TRUE(p.getValue(i));
        ASSERT_TRUE(p.getValue(d));
        EXPECT_EQ(i, c.asInt) << p.info().asChar() << " " << c.value;
        if (std::isnan(c.asDouble))
            EXPECT_TRUE(std::isnan(d));
        else
            EXPECT_EQ(d, c.asDouble) << p.info().asChar() << " " << c.value;
    }
    // Narrower reads wrap integers and clamp floating values.
    MPlug wide = numericPlug(MFnNumericData::kLong);
    wide.setValue(70000);
    EXPECT_EQ(wide.asShort(), 4464);
    EXPECT_EQ(wide.asChar(), static_cast<char>(112));
    MPlug real = numericPlug(MFnNumericData::kDouble);
    real.setValue(1e9);
    EXPECT_EQ(real.asShort(), 32767);
    EXPECT_TRUE(real.asBool());
}

TEST_F(PlugTest, TheNodeIdSurvivesAsMinusOneOnAShortPlug)
{
    MObject node = make("joint", "j");
    MFnDependencyNode fn(node);
    MFnNumericAttribute numeric;
    MStatus s;
    const MObject attr = numeric.create("tarnvekTypeID", "qelID", MFnNumericData::kShort, 0, &s);
    ASSERT_TRUE(s);
    ASSERT_TRUE(numeric.setConnectable(false));
    ASSERT_TRUE(numeric.setStorable(true));
    ASSERT_TRUE(numeric.setHidden(true));
    ASSERT_TRUE(fn.addAttribute(attr, MFnDependencyNode::kLocalDynamicAttr));
    MPlug id = fn.findPlug(fn.attribute("tarnvekTypeID"), &s);
    ASSERT_TRUE(s);
    ASSERT_TRUE(id.setValue(-1));
    int value = 0;
    ASSERT_TRUE(fn.findPlug("qelID").getValue(value, MDGContext::fsNormal));
    EXPECT_EQ(value, -1);
    // Not connectable, and a second attribute of the name is refused.
    EXPECT_FALSE(vesk::fixture::connect("persp.visibility", "j.qelID"));
    EXPECT_EQ(fn.addAttribute(numeric.create("tarnvekTypeID", "qelID", MFnNumericData::kShort)).statusCode(),
              MStatus::kInvalidParameter);
    EXPECT_EQ(fn.addAttribute(attr).statusCode(), MStatus::kFailure);
    // A node that never received the id has no such plug.
    fn.setObject(object("persp"));
    fn.findPlug("tarnvekTypeID", &s);
    EXPECT_EQ(s.statusCode(), MStatus::kNotFound);
}

TEST_F(PlugTest, TakenNamesAreRetriedWithNumbersUpToNine)
{
    MFnDependencyNode fn(make("transform", "t"));
    MFnNumericAttribute numeric;
    // Try "speed", then "speed1" .. "speed9", deleting each refused attribute.
    auto addSpeed = [&]() -> std::string {
        for (int clash = 0; clash <= 9; ++clash) {
            const std::string name = clash ? "speed" + std::to_string(clash) : "speed";
            const MObject a = numeric.create(name.c_str(), name.c_str(), MFnNumericData::kDouble);
            const MStatus s = fn.addAttribute(a, MFnDependencyNode::kLocalDynamicAttr);
            if (s)
                return name;
            EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
            EXPECT_TRUE(MGlobal::deleteNode(a));
            EXPECT_TRUE(a.isNull());
        }
        return "";
    };
    EXPECT_EQ(addSpeed(), "speed");
    EXPECT_EQ(addSpeed(), "speed1");
    for (int i = 2; i <= 9; ++i)
        EXPECT_EQ(addSpeed(), "speed" + std::to_string(i));
    const unsigned int before = fn.attributeCount();
    EXPECT_EQ(addSpeed(), "");
    EXPECT_EQ(fn.attributeCount(), before);
    // A held attribute cannot be deleted.
    EXPECT_FALSE(MGlobal::deleteNode(fn.attribute("speed")));
}

TEST_F(PlugTest, ColoursAndVectorsAreThreeNumberCompounds)
{
    MFnDependencyNode fn(make("transform", "t"));
    MFnNumericAttribute numeric;
    const MObject color = numeric.createColor("tint", "ti");
    const MObject vector = numeric.create("aim", "am", MFnNumericData::k3Double);
    ASSERT_TRUE(fn.addAttribute(color));
    ASSERT_TRUE(fn.addAttribute(vector));
    EXPECT_EQ(MFnNumericAttribute(color).unitType(), MFnNumericData::k3Float);
    EXPECT_EQ(MFnNumericAttribute(vector).unitType(), MFnNumericData::k3Double);
    EXPECT_TRUE(MFnNumericAttribute(color).isUsedAsColor());
    MPlug tint = fn.findPlug(color);
    ASSERT_EQ(tint.numChildren(), 3u);
    EXPECT_STREQ(tint.child(0).partialName().asChar(), "tiR");
    EXPECT_STREQ(fn.findPlug("aim").child(2).partialName(false, 0, 0, 0, 0, true).asChar(), "aimZ");
    EXPECT_EQ(MFnNumericAttribute(fn.attribute("tintG")).unitType(), MFnNumericData::kFloat);
    ASSERT_TRUE(tint.child(1).setValue(0.1));
    MObject data;
    ASSERT_TRUE(tint.getValue(data));
    float r, g, b;
    ASSERT_TRUE(MFnNumericData(data).getData(r, g, b));
    EXPECT_EQ(g, 0.1f);
    MFnNumericData values;
    values.create(MFnNumericData::k3Double);
    values.setData(1.0, 2.0, 3.0);
    ASSERT_TRUE(fn.findPlug("aim").setValue(values.object()));
    EXPECT_EQ(fn.findPlug("aimY").asDouble(), 2.0);
    // A two-number value does not fit three children.
    values.create(MFnNumericData::k2Double);
    EXPECT_EQ(fn.findPlug("aim").setValue(values.object()).statusCode(), MStatus::kInvalidParameter);
}

TEST_F(PlugTest, SparseArraysCountExistingElementsInLogicalOrder)
{
    make("dagPose", "pose");
    MPlug matrices = plug("pose.worldMatrix");
    MFnMatrixData data;
    ASSERT_TRUE(matrices.elementByLogicalIndex(5).setValue(data.create(MMatrix())));
    ASSERT_TRUE(matrices.elementByLogicalIndex(0).setValue(data.create(MMatrix())));
    EXPECT_EQ(matrices.numElements(), 2u);
    EXPECT_EQ(matrices.elementByPhysicalIndex(1).logicalIndex(), 5u);
    EXPECT_EQ(matrices[0].logicalIndex(), 0u);
    MStatus s;
    EXPECT_TRUE(matrices.elementByPhysicalIndex(2, &s).isNull());
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(matrices[7].isNull());
    // Asking for an element makes nothing; a connection does.
    EXPECT_FALSE(plug("pose.members").elementByLogicalIndex(9).isNull());
    EXPECT_EQ(plug("pose.members").numElements(), 0u);
    ASSERT_TRUE(vesk::fixture::connect("persp.message", "pose.members[3]"));
    MIntArray indices;
    EXPECT_EQ(plug("pose.members").getExistingArrayAttributeIndices(indices), 1);
    EXPECT_EQ(indices[0], 3);
    EXPECT_FALSE(plug("persp.translate").elementByLogicalIndex(1, &s).isNull() && s);
}

TEST_F(PlugTest, ChildParentArrayAndAncestorIndicesNavigateOneTree)
{
    make("skinCluster", "skin");
    MFnDependencyNode fn(object("skin"));
    MPlug weights(object("skin"), fn.attribute("weights"));
    ASSERT_FALSE(weights.isNull());
    EXPECT_STREQ(weights.info().asChar(), "skin.weightList[-1].weights");
    ASSERT_TRUE(weights.selectAncestorLogicalIndex(2, fn.attribute("weightList")));
    EXPECT_FALSE(weights.selectAncestorLogicalIndex(2, fn.attribute("input")));
    MPlug w5 = weights.elementByLogicalIndex(5);
    ASSERT_TRUE(w5.setValue(0.25));
    EXPECT_EQ(plug("skin.wl[2].w[5]").asDouble(), 0.25);
    EXPECT_TRUE(w5.array() == weights);
    EXPECT_STREQ(w5.parent().info().asChar(), "skin.weightList[2]");
    EXPECT_TRUE(w5.parent().child(0).elementByLogicalIndex(5) == w5);
    EXPECT_EQ(plug("skin.wl").numElements(), 1u);
    EXPECT_TRUE(w5.isElement());
    EXPECT_TRUE(weights.isArray());
    EXPECT_TRUE(w5.isChild());
}

TEST_F(PlugTest, TextsAndDataConvertOnlyWithinTheirKind)
{
    make("file", "tex");
    make("dagPose", "pose");
    MPlug name = plug("tex.fileTextureName");
    ASSERT_TRUE(name.setValue("a.tif"));
    double d = 7.0;
    EXPECT_EQ(name.getValue(d).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(d, 7.0);
    EXPECT_FALSE(name.setValue(1.0));
    MString text("keep");
    EXPECT_FALSE(plug("tex.outAlpha").getValue(text));
    EXPECT_STREQ(text.asChar(), "keep");
    EXPECT_STREQ(name.asString().asChar(), "a.tif");
    // Matrix values are copies: editing read data changes nothing stored.
    MPlug m = plug("pose.xformMatrix").elementByLogicalIndex(0);
    MObject data = m.asMObject();
    MFnMatrixData fn(data);
    MMatrix moved;
    moved(3, 0) = 4.0;
    fn.set(moved);
    EXPECT_TRUE(MFnMatrixData(m.asMObject()).matrix() == MMatrix::identity);
    ASSERT_TRUE(m.setValue(data));
    EXPECT_EQ(MFnMatrixData(m.asMObject()).matrix()(3, 0), 4.0);
    EXPECT_FALSE(m.setValue(1.0));
    EXPECT_FALSE(plug("pose.members").elementByLogicalIndex(0).setValue(1));
    MFnNumericData numbers;
    EXPECT_FALSE(m.setValue(numbers.create(MFnNumericData::k3Double)));
}

TEST_F(PlugTest, LockedPlugsAndPlugsUnderThemRefuseWrites)
{
    make("transform", "t");
    MPlug translate = plug("t.translate");
    MPlug tx = plug("t.tx");
    ASSERT_TRUE(translate.setLocked(true));
    EXPECT_TRUE(tx.isLocked());
    EXPECT_EQ(tx.setValue(1.0).statusCode(), MStatus::kFailure);
    ASSERT_TRUE(tx.setLocked(false));
    EXPECT_TRUE(tx.isLocked());
    EXPECT_FALSE(vesk::fixture::connect("persp.tx", "t.tx"));
    ASSERT_TRUE(translate.setLocked(false));
    EXPECT_TRUE(tx.setValue(1.0));
    EXPECT_EQ(tx.asDouble(), 1.0);
    // An array's lock holds for its elements.
    make("dagPose", "pose");
    ASSERT_TRUE(plug("pose.xformMatrix").setLocked(true));
    MFnMatrixData data;
    EXPECT_EQ(plug("pose.xformMatrix").elementByLogicalIndex(4).setValue(data.create(MMatrix())).statusCode(),
              MStatus::kFailure);
}

TEST_F(PlugTest, AliasesNameOneElementEach)
{
    make("blendShape", "blend");
    MFnDependencyNode fn(object("blend"));
    MPlug w = fn.findPlug("weight");
    ASSERT_TRUE(fn.setAlias("smile", "weight[0]", w.elementByLogicalIndex(0)));
    EXPECT_FALSE(fn.setAlias("smile", "weight[1]", w.elementByLogicalIndex(1)));
    EXPECT_FALSE(fn.setAlias("envelope", "weight[1]", w.elementByLogicalIndex(1)));
    EXPECT_FALSE(fn.setAlias("frown", "weight", w));
    EXPECT_TRUE(fn.findPlug("smile") == w.elementByLogicalIndex(0));
    EXPECT_STREQ(fn.plugsAlias(w.elementByLogicalIndex(0)).asChar(), "smile");
    ASSERT_TRUE(fn.setAlias("smile", "weight[0]", w.elementByLogicalIndex(0), false));
    EXPECT_STREQ(w.elementByLogicalIndex(0).name().asChar(), "blend.weight[0]");
}

TEST_F(PlugTest, EnumsHoldShortsWithNamedFields)
{
    MFnEnumAttribute fn;
    const MObject a = fn.create("mode", "md", 2);
    ASSERT_TRUE(fn.addField("off", 0));
    ASSERT_TRUE(fn.addField("on", 2));
    EXPECT_FALSE(fn.addField("on", 3));
    EXPECT_FALSE(fn.addField("other", 0));
    EXPECT_STREQ(fn.fieldName(2).asChar(), "on");
    EXPECT_EQ(fn.fieldIndex("off"), 0);
    short lo = -1, hi = -1;
    ASSERT_TRUE(fn.getMin(lo));
    ASSERT_TRUE(fn.getMax(hi));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 2);
    MFnDependencyNode node(make("transform", "t"));
    ASSERT_TRUE(node.addAttribute(a));
    EXPECT_EQ(node.findPlug("md").asInt(), 2);
    node.findPlug("md").setValue(70000);
    EXPECT_EQ(node.findPlug("md").asInt(), 4464);
    // Attributes of kinds are never edited.
    MFnEnumAttribute order(node.attribute("rotateOrder"));
    EXPECT_FALSE(order.addField("xxx", 9));
    EXPECT_FALSE(MFnAttribute(node.attribute("translateX")).setKeyable(false));
}

TEST_F(PlugTest, NavigationOffTheTreeFailsWithANullPlug)
{
    make("transform", "t");
    make("dagPose", "pose");
    MStatus s;
    const struct {
        const char* what;
        MPlug got;
    } cases[] = {
        {"parent of a top-level plug", plug("t.translate").parent(&s)},
        {"array of a non-element", plug("t.tx").array(&s)},
        {"element of a non-array", plug("t.tx").elementByLogicalIndex(0, &s)},
        {"child past the end", plug("t.translate").child(3, &s)},
        {"child of a leaf", plug("t.tx").child(0, &s)},
        {"foreign child attribute", plug("t.translate").child(MFnDependencyNode(object("t")).attribute("sx"), &s)},
        {"physical past the end", plug("pose.members").elementByPhysicalIndex(0, &s)},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.got.isNull()) << c.what;
    }
    EXPECT_EQ(plug("t.tx").logicalIndex(&s), 0xFFFFFFFFu);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(plug("t.tx").numElements(&s), 0u);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    double d = 9;
    EXPECT_FALSE(plug("t.translate").getValue(d));
    EXPECT_FALSE(plug("pose.worldMatrix").setValue(1.0));
    // A plug of a deleted node reads as null and fails every call.
    MPlug tx = plug("t.tx");
    MGlobal::deleteNode(object("t"));
    EXPECT_TRUE(tx.isNull());
    EXPECT_EQ(tx.setValue(1.0).statusCode(), MStatus::kInvalidParameter);
    EXPECT_STREQ(tx.name(&s).asChar(), "");
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(MPlug(object("t"), MObject()).isNull());
}

TEST_F(PlugTest, PartialNamesAddTheNodeAndLongNamesOnRequest)
{
    make("transform", "L");
    make("transform", "R");
    make("joint", "hip", "L");
    make("joint", "hip", "R");
    MPlug p = plug("L|hip.rotateAxisX");
    const struct {
        bool node;
        bool longNames;
        const char* text;
    } cases[] = {
        {false, false, "rax"},
        {false, true, "rotateAxisX"},
        {true, false, "L|hip.rax"},
        {true, true, "L|hip.rotateAxisX"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(p.partialName(c.node, true, true, true, true, c.longNames).asChar(), c.text);
    EXPECT_STREQ(p.info().asChar(), "L|hip.rotateAxisX");
}
