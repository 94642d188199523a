// The scene-building commands: nodes, meshes and surfaces from numbers,
// dynamic attributes, keys and tangents in user units, blend shapes with
// in-between targets, the playback range, and the example scene script.
#include <cmath>
#include <fstream>
#include <sstream>

#include <vesk/MAnimControl.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnBlendShapeDeformer.h>
#include <vesk/MFnEnumAttribute.h>
#include <vesk/MFnMesh.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnNurbsSurface.h>
#include <vesk/MGlobal.h>

#include "dump/scene_dump.h"
#include "geometry/geometry_kinds.h"
#include "host_fixture.h"

namespace {

const double kPi = 3.14159265358979323846;

class BuildCommandTest : public HostTest {
protected:
    static bool run(const std::string& text)
    {
        MStringArray ignored;
        return static_cast<bool>(MGlobal::executeCommand(MString(text.c_str()), ignored, false, false));
    }
    static std::string answer(const std::string& text)
    {
        MStringArray out;
        EXPECT_TRUE(MGlobal::executeCommand(MString(text.c_str()), out)) << text;
        std::string joined;
        for (unsigned int i = 0; i < out.length(); ++i)
            joined += (i ? " " : "") + std::string(out[i].asChar());
        return joined;
    }
    static std::vector<std::string> targets(const char* blend, const char* base, int weight)
    {
        MObjectArray found;
        MFnBlendShapeDeformer(object(blend)).getTargets(object(base), weight, found);
        std::vector<std::string> names;
        for (unsigned int i = 0; i < found.length(); ++i)
            names.push_back(nameOf(found[i]));
        return names;
    }
    static const char* const kQuad;
};

const char* const BuildCommandTest::kQuad = "-pt \"0 0 0 1 0 0 1 1 0 0 1 0\" -f \"0 1 2 3\"";

TEST_F(BuildCommandTest, BadInputFailsWithItsReasonAndChangesNothing)
{
    vesk::fixture::makeShape("mesh", "body");
    vesk::fixture::makeShape("mesh", "tgt");
    vesk::fixture::makeShape("nurbsSurface", "patch");
    vesk::fixture::make("transform", "grp");
    vesk::fixture::make("file", "wood");
    ASSERT_TRUE(run("setKeyframe -t 1 -v 2 grp.tx; blendShape -n bs tgt body; connectAttr grp.ty grp.tz"));
    vesk::PlugKey scaleX;
    scaleX.attr = vesk::store().findAttribute(vesk::fixture::node("grp"), "sx");
    ASSERT_TRUE(vesk::store().setLocked(vesk::fixture::node("grp"), scaleX, true));
    const std::string pts = "-pt \"0 0 0 1 0 0 1 1 0\" ";
    const std::string knots = "-du 1 -dv 1 -ku \"0 1\" -kv \"0 1\" ";
    struct Case {
        std::string command;
        const char* reason;
    };
    const Case cases[] = {
        {"createNode", "needs one node type"},
        {"createNode noSuchKind", "Unknown node type"},
        {"createNode shape", "Not a concrete node type"},
        {"createNode lambert -p grp", "no DAG node"},
        {"createNode transform -p \"body|bodyShape\"", "Not a transform"},
        {"polyMesh -pt \"0 0 0 1 0\"", "3 numbers each"},
        {"polyMesh -pt \"0 0 nan 1 0 0 1 1 0\"", "Not a finite number"},
        {"polyMesh " + pts + "-f \"0 1\"", "fewer than 3 corners"},
        {"polyMesh " + pts + "-f \"0 1 3\"", "names no vertex: 3"},
        {"polyMesh " + pts + "-f \"0 1.5 2\"", "names no vertex"},
        {"polyMesh " + pts + "-f \"0 1 2,, 0 1 2\"", "Polygon 1 has no corners"},
        {"polyMesh " + pts + "-f \"0 1 2\" -nm \"0 0 1\"", "give 1 corners of 3"},
        {"polyMesh " + pts + "-f \"0 1 2\" -nm \"0 0 1 0 0 0 0 0 1\"", "corner 1 has no direction"},
        {"polyMesh " + pts + "-f \"0 1 2\" -cl \"1 1 1\"", "4 numbers each"},
        {"polyMesh " + pts + "-f \"0 1 2\" -uv map1 \"0 0\" \"0 0 1\"", "corner 2 names no UV"},
        {"polyMesh " + pts + "-f \"0 1 2\" -uv map1 \"0 0\" \"0 0\"", "2 UV ids for 3 corners"},
        {"polyMesh " + pts + "-f \"0 1 2\" -uv a \"0 0\" \"0 0 0\" -uv a \"0 0\" \"0 0 0\"", "given twice"},
        {"polyMesh " + pts + "-f \"0 1 2\" -uv \"\" \"0 0\" \"0 0 0\"", "needs a name"},
        {"polyMesh box", "by flags only"},
        {"surface " + knots, "needs the control vertices"},
        {"surface -du 0 -dv 1 -ku \"0 1\" -kv \"0 1\" -pt \"0 0 0 1 0 0\"", "degree is below 1"},
        {"surface " + knots + "-fu spiral -pt \"0 0 0 1 0 0 0 1 0 1 1 0\"", "Not a form"},
        {"surface -du 1 -dv 1 -ku \"1 0\" -kv \"0 1\" -pt \"0 0 0 1 0 0 0 1 0 1 1 0\"", "knots decrease"},
        {"surface " + knots + "-pt \"0 0 0 1 0 0 0 1 0\"", "do not match the knots"},
        {"surface " + knots + "-pw \"0 0 0 1 1 0 0 0 0 1 0 1 1 1 0 1\"", "point 1 is not above 0"},
        {"surface -du 1 -dv 1 -fu periodic -ku \"0 1 2\" -kv \"0 1\" -pt \"0 0 0 0 1 0 1 0 0 1 1 0 2 0 0 2 1 0\"",
         "periodic direction"},
        {"addAttr grp", "Needs -ln"},
        {"addAttr -ln 9lives grp", "Needs -ln"},
        {"addAttr -ln s -at string grp", "Not an attribute type"},
        {"addAttr -ln c -at float -uac grp", "Only float3 and double3"},
        {"addAttr -ln e -at enum grp", "takes its fields by -en"},
        {"addAttr -ln e -at enum -en \"a:b=0\" grp", "given twice"},
        {"addAttr -ln e -at enum -en \"a:b\" -dv 7 grp", "no field's value"},
        {"addAttr -ln d -min 5 -max 1 grp", "do not nest"},
        {"addAttr -ln d -smn 20 -max 10 grp", "do not nest"},
        {"addAttr -ln d -dv 20 -max 10 grp", "outside the limits"},
        {"addAttr -ln v -at double3 -min 0 grp", "single numbers only"},
        {"addAttr -ln v -at double3 -dv \"1 2\" grp", "1 or 3"},
        {"addAttr -ln visibility grp", "is taken on grp"},
        {"addAttr -ln x grp.tx", "Not a node"},
        {"setKeyframe -t 1 grp", "Not a single number attribute"},
        {"setKeyframe -t 1 grp.translate", "Not a single number attribute"},
        {"setKeyframe -t 1 -itt bouncy grp.tx", "Not a tangent type"},
        {"setKeyframe -t 1 grp.tz", "is connected"},
        {"setKeyframe -t 1 grp.sx", "is locked"},
        {"setKeyframe -t inf grp.tx", "Not a finite time"},
        {"setKeyframe -v -inf grp.tx", "Not a finite value"},
        {"setKeyframe grp.wm[0]", "Not a single number"},
        {"setKeyframe wood.outAlpha", "Cannot animate wood.outAlpha"},
        {"keyTangent grp.rx", "No keys on grp.rotateX"},
        {"keyTangent -t 99 grp.tx", "No key at time 99"},
        {"keyTangent -in 5 grp.tx", "No key 5"},
        {"keyTangent -ia 90 grp.tx", "strictly between -90 and 90"},
        {"keyTangent -ia 10 -ix 1 grp.tx", "not both"},
        {"keyTangent -ix 0 grp.tx", "above 0"},
        {"keyTangent -iw 1 grp.tx", "not weighted"},
        {"keyTangent -wt true -iw 1 grp.tx", "are locked"},
        {"blendShape body", "needs one or more targets"},
        {"blendShape body body", "cannot be the base"},
        {"blendShape grp body", "Not an object with geometry"},
        {"blendShape -e -t body 0 tgt 1 bs", "already has a target"},
        {"blendShape -e -t body 0 tgt 7 bs", "outside -5 to 5"},
        {"blendShape -e -t body -1 tgt 1 bs", "negative"},
        {"blendShape -e -t patch 0 tgt 1 bs", "not deformed"},
        {"blendShape -e -t body 1 tgt 1 -t body 1 tgt 1 bs", "share their full weight"},
        {"blendShape -e -t body 1 tgt 1 grp", "Not a blend shape"},
        {"currentTime", "needs one finite time"},
        {"currentTime inf", "needs one finite time"},
        {"playbackOptions -min 10 -max 5", "not after the end"},
        {"playbackOptions -q", "-q needs -min or -max"},
    };
    const size_t nodes = vesk::store().nodeCount();
    const std::string before = vesk::sceneDump();
    for (const Case& c : cases) {
        standin::clearLogs();
        EXPECT_FALSE(run(c.command)) << c.command;
        const std::vector<standin::LoggedCommand> log = standin::commandLog();
        const std::string errors = log.empty() || log.back().errors.empty() ? "" : log.back().errors[0];
        EXPECT_NE(errors.find(c.reason), std::string::npos) << c.command << " said: " << errors;
        EXPECT_EQ(vesk::store().nodeCount(), nodes) << c.command;
        EXPECT_EQ(vesk::sceneDump(), before) << c.command;
    }
}

TEST_F(BuildCommandTest, CreateNodeMakesAnyKindUnderItsParent)
{
    struct Case {
        const char* command;
        const char* result;
        const char* path;
        const char* type;
    };
    const Case cases[] = {
        {"createNode transform -n rig", "rig", "|rig", "transform"},
        {"createNode joint -n \"hip\" -p rig", "hip", "|rig|hip", "joint"},
        {"createNode joint -p \"|rig|hip\"", "joint1", "|rig|hip|joint1", "joint"},
        {"createNode pointLight", "pointLightShape1", "|pointLight1|pointLightShape1", "pointLight"},
        {"createNode spotLight -n spot -p rig", "spot", "|rig|spot", "spotLight"},
        {"createNode directionalLight -n \"sun light\"", "sun_light", "|directionalLight1|sun_light",
         "directionalLight"},
        {"createNode lambert -n skin", "skin", "", "lambert"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(answer(c.command), c.result) << c.command;
        const vesk::NodeId n = vesk::fixture::node(c.result);
        ASSERT_TRUE(n.valid()) << c.command;
        vesk::Path p;
        vesk::store().firstPath(n, p);
        EXPECT_EQ(vesk::store().fullPathName(p), c.path) << c.command;
        EXPECT_EQ(vesk::store().kindOf(n)->typeName(), c.type) << c.command;
    }
}

TEST_F(BuildCommandTest, PolyMeshKeepsPointsCornersNormalsUVsAndColoursInUserUnits)
{
    MDistance::setUIUnit(MDistance::kInches);
    vesk::fixture::make("transform", "grp");
    // Two quads on the edge 1-2; the second's corners face +x, so that edge
    // is hard.
    EXPECT_EQ(answer("polyMesh -n box -p grp -pt \"0 0 0 1 0 0 1 1 0 0 1 0 2 0 0 2 1 0\" -f \"0 1 2 3, 1 4 5 2,\""
                     " -nm \"0 0 1 0 0 1 0 0 1 0 0 1 2 0 0 2 0 0 2 0 0 2 0 0\""
                     " -uv front \"0 0 1 0 1 1\" \"0 1 2 -1 1 1 1 1\" -uv back \"0.5 0.5\" \"0 0 0 0 0 0 0 0\""
                     " -cl \"1 0 0 1 1 0 0 1 1 0 0 1 1 0 0 1 0 1 0 1 0 1 0 1 0 1 0 1 0 0.5 0 0.25\""),
              "box boxShape");
    EXPECT_EQ(path("box").fullPathName(), MString("|grp|box"));
    MFnMesh fn(path("box"));
    MPoint p;
    fn.getPoint(4, p);
    EXPECT_NEAR(p.x, 5.08, 1e-12);
    const vesk::MeshGeometry& mesh = *vesk::meshOf(vesk::fixture::node("boxShape"));
    EXPECT_EQ(mesh.numPolygons(), 2u);
    EXPECT_EQ(mesh.numCorners(), 8u);
    // 6 shared normals, and two each for the vertices of the hard edge.
    EXPECT_EQ(mesh.numNormals(), 10u);
    EXPECT_EQ(mesh.cornerNormal(5), MVector(1, 0, 0));
    EXPECT_EQ(mesh.cornerNormal(1), MVector(0, 0, 1));
    ASSERT_EQ(mesh.uvSets().size(), 2u);
    EXPECT_EQ(mesh.uvSets()[0].name, "front");
    EXPECT_EQ(mesh.uvSets()[0].ids, (std::vector<int>{0, 1, 2, -1, 1, 1, 1, 1}));
    EXPECT_EQ(mesh.uvSets()[1].u, (std::vector<float>{0.5f}));
    EXPECT_EQ(mesh.cornerColor(7), MColor(0, 0.5f, 0, 0.25f));
}

TEST_F(BuildCommandTest, SurfaceKeepsDegreesFormsKnotsAndWeightedPoints)
{
    // Periodic in U: its last row of CVs (degree 1) repeats its first.
    EXPECT_EQ(answer("surface -du 1 -dv 1 -fu periodic -ku \"0 1 2 3\" -kv \"0 1\""
                     " -pw \"0 0 0 1 0 1 0 1 1 0 0 2 1 1 0 2 1 0 1 1 1 1 1 1 0 0 0 1 0 1 0 1\""),
              "nurbsSurface1 nurbsSurfaceShape1");
    MFnNurbsSurface fn(path("nurbsSurface1"));
    EXPECT_EQ(fn.formInU(), MFnNurbsSurface::kPeriodic);
    EXPECT_EQ(fn.formInV(), MFnNurbsSurface::kOpen);
    EXPECT_EQ(fn.numCVsInU(), 4);
    EXPECT_EQ(fn.numCVsInV(), 2);
    EXPECT_TRUE(fn.isRational());
    MPoint cv;
    fn.getCV(1, 1, cv);
    EXPECT_EQ(cv, MPoint(1, 1, 0, 2));
    EXPECT_EQ(fn.knotInU(3), 3.0);
}

TEST_F(BuildCommandTest, AddAttrDefinesNumbersEnumsColoursAndVectors)
{
    vesk::fixture::make("transform", "grp");
    struct Case {
        const char* command;
        const char* name;
        MFnNumericData::Type type;
        double defaults[3];
        double softMin, softMax; // NaN: none
        bool keyable, color;
    };
    const double none = std::nan("");
    const Case cases[] = {
        {"addAttr -ln on -at bool -dv 1 -k true grp", "on", MFnNumericData::kBoolean, {1}, none, none, true, false},
        {"addAttr -ln tiny -sn tn -at byte -dv 3 -smn 1 -smx 9 grp", "tn", MFnNumericData::kByte, {3}, 1, 9, false,
         false},
        {"addAttr -ln count -at long -dv 7 -min 0 -max 100 -smn 1 -smx 20 grp", "count", MFnNumericData::kLong, {7},
         1, 20, false, false},
        {"addAttr -ln ratio -at float -dv 0.25 grp", "ratio", MFnNumericData::kFloat, {0.25}, none, none, false, false},
        {"addAttr -ln speed -dv 2.5 -k 1 grp", "speed", MFnNumericData::kDouble, {2.5}, none, none, true, false},
        {"addAttr -ln tint -at float3 -uac -dv \"0.5 0.25 1\" -k true grp", "tint", MFnNumericData::k3Float,
         {0.5, 0.25, 1}, none, none, true, true},
        {"addAttr -ln offset -at double3 -dv 2 grp", "offset", MFnNumericData::k3Double, {2, 2, 2}, none, none, false,
         false},
    };
    MFnDependencyNode node(object("grp"));
    for (const Case& c : cases) {
        ASSERT_TRUE(run(c.command)) << c.command;
        MFnNumericAttribute a(node.attribute(c.name));
        EXPECT_EQ(a.unitType(), c.type) << c.command;
        double d[3] = {0, 0, 0};
        if (c.type == MFnNumericData::k3Float || c.type == MFnNumericData::k3Double)
            a.getDefault(d[0], d[1], d[2]);
        else
            a.getDefault(d[0]);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(d[i], c.defaults[i]) << c.command;
        double soft[2] = {none, none};
        a.getSoftMin(soft[0]);
        a.getSoftMax(soft[1]);
        EXPECT_EQ(std::isnan(soft[0]) ? -1.0 : soft[0], std::isnan(c.softMin) ? -1.0 : c.softMin) << c.command;
        EXPECT_EQ(std::isnan(soft[1]) ? -1.0 : soft[1], std::isnan(c.softMax) ? -1.0 : c.softMax) << c.command;
        EXPECT_EQ(a.isKeyable(), c.keyable) << c.command;
        EXPECT_EQ(a.isUsedAsColor(), c.color) << c.command;
    }
    ASSERT_TRUE(run("addAttr -ln mode -at enum -en \"off:on=4:auto\" -dv 5 grp; setAttr grp.mode on"));
    MFnEnumAttribute e(node.attribute("mode"));
    EXPECT_EQ(e.fieldName(5), MString("auto"));
    EXPECT_EQ(answer("getAttr grp.mode"), "4");
}

TEST_F(BuildCommandTest, KeysAndTangentsCrossInUserUnits)
{
    // Film time (24 per second), degrees.
    vesk::fixture::make("transform", "grp");
    ASSERT_TRUE(run("setKeyframe -t 12 -v 90 grp.rx; setKeyframe -t 36 -v 0 -itt linear -ott step grp.rx"));
    ASSERT_TRUE(run("setKeyframe -t 12 -v 45 -at rx grp"));
    MFnAnimCurve c(plug("grp.rx"));
    ASSERT_EQ(c.numKeys(), 2u);
    EXPECT_EQ(c.animCurveType(), MFnAnimCurve::kAnimCurveTA);
    EXPECT_DOUBLE_EQ(c.time(0).as(MTime::kSeconds), 0.5);
    EXPECT_DOUBLE_EQ(c.value(0), kPi / 4);
    EXPECT_EQ(c.inTangentType(1), MFnAnimCurve::kTangentLinear);
    EXPECT_EQ(c.outTangentType(1), MFnAnimCurve::kTangentStep);
    // Without -t and -v: the plug's value at the current time.
    ASSERT_TRUE(run("currentTime 6; setAttr grp.ry 10; setKeyframe grp.ry; currentTime 12"));
    MFnAnimCurve ry(plug("grp.ry"));
    EXPECT_DOUBLE_EQ(ry.time(0).as(MTime::kSeconds), 0.25);
    EXPECT_DOUBLE_EQ(ry.value(0), kPi / 18);
    EXPECT_EQ(answer("getAttr grp.rx"), "45");

    ASSERT_TRUE(run("keyTangent -t 12 -l false -ia 30 -oa -15 grp.rx"));
    float x = 0, y = 0;
    c.getTangent(0, x, y, true);
    EXPECT_NEAR(y / x, std::tan(kPi / 6), 1e-6);
    c.getTangent(0, x, y, false);
    EXPECT_NEAR(y / x, -std::tan(kPi / 12), 1e-6);
    EXPECT_EQ(c.outTangentType(0), MFnAnimCurve::kTangentFixed);
    EXPECT_FALSE(c.tangentsLocked(0));
    // Weighted: a weight of 3 at angle 0 is x = 3 frames; x and y as given.
    ASSERT_TRUE(run("keyTangent -wt true -wl false -in 0 -iw 3 -ia 0 grp.rx"));
    ASSERT_TRUE(run("keyTangent -in 1 -wl false -ox 2 -oy 1 grp.rx"));
    EXPECT_TRUE(c.isWeighted());
    c.getTangent(0, x, y, true);
    EXPECT_FLOAT_EQ(x, 3.0f);
    EXPECT_FLOAT_EQ(y, 0.0f);
    c.getTangent(1, x, y, false);
    EXPECT_FLOAT_EQ(x, 2.0f);
    EXPECT_FLOAT_EQ(y, 1.0f);
    EXPECT_FALSE(c.weightsLocked(1));
    // A side made fixed keeps the slope it had; the smooth side follows its
    // neighbours (1 cm per frame, then 2).
    ASSERT_TRUE(run("setKeyframe -t 0 -v 0 grp.tx; setKeyframe -t 24 -v 24 grp.tx; "
                    "setKeyframe -t 12 -v 12 -itt fixed grp.tx; setKeyframe -t 24 -v 48 grp.tx"));
    MFnAnimCurve tx(plug("grp.tx"));
    tx.getTangent(1, x, y, true);
    EXPECT_NEAR(y / x, 1.0, 1e-6);
    tx.getTangent(1, x, y, false);
    EXPECT_NEAR(y / x, 2.0, 1e-6);
    // Times meet keys made through the function set exactly (7 / 24 s).
    MFnAnimCurve tz;
    tz.create(plug("grp.tz"));
    tz.addKey(MTime(7.0, MTime::kFilm), 1.0);
    ASSERT_TRUE(run("setKeyframe -t 7 -v 2 grp.tz; keyTangent -t 7 -itt flat grp.tz"));
    EXPECT_EQ(tz.numKeys(), 1u);
    EXPECT_EQ(tz.inTangentType(0), MFnAnimCurve::kTangentFlat);
}

TEST_F(BuildCommandTest, BlendShapesHoldInBetweenTargetsOnOneWeight)
{
    for (const char* n : {"body", "smile", "frown", "half", "base"})
        vesk::fixture::makeShape("mesh", n);
    EXPECT_EQ(answer("blendShape -n faces smile frown body"), "faces");
    EXPECT_EQ(targets("faces", "body", 0), (std::vector<std::string>{"smileShape"}));
    EXPECT_EQ(targets("faces", "body", 1), (std::vector<std::string>{"frownShape"}));
    ASSERT_TRUE(run("blendShape -e -t body 0 half 0.5 faces"));
    EXPECT_EQ(targets("faces", "body", 0), (std::vector<std::string>{"halfShape", "smileShape"}));
    EXPECT_EQ(plug("faces.frownShape").name(), MString("faces.frownShape"));
    // With -ib the targets are reached at 1/3, 2/3 and 1 of weight 0.
    ASSERT_TRUE(run("blendShape -ib -n steps half smile frown base"));
    EXPECT_EQ(targets("steps", "base", 0), (std::vector<std::string>{"halfShape", "smileShape", "frownShape"}));
    EXPECT_EQ(MFnBlendShapeDeformer(object("steps")).numWeights(), 1u);
    EXPECT_TRUE(plug("steps.it[0].itg[0].iti[5333].igt").isConnected());
    // Through the function set: one target per full weight.
    MFnBlendShapeDeformer fn(object("faces"));
    EXPECT_FALSE(fn.addTarget(object("body"), 1, object("half"), 1.0));
    EXPECT_TRUE(fn.addTarget(object("body"), 1, object("half"), -0.25));
    EXPECT_EQ(targets("faces", "body", 1), (std::vector<std::string>{"halfShape", "frownShape"}));
}

TEST_F(BuildCommandTest, PlaybackRangeAndCurrentTimeAreInUserTimeUnits)
{
    ASSERT_TRUE(run("playbackOptions -min 1 -max 48; currentTime 12"));
    EXPECT_DOUBLE_EQ(MAnimControl::minTime().as(MTime::kSeconds), 1.0 / 24);
    EXPECT_DOUBLE_EQ(MAnimControl::maxTime().as(MTime::kSeconds), 2.0);
    EXPECT_DOUBLE_EQ(MAnimControl::currentTime().as(MTime::kSeconds), 0.5);
    ASSERT_TRUE(run("playbackOptions -max 72"));
    MTime::setUIUnit(MTime::kNTSCFrame);
    EXPECT_EQ(answer("playbackOptions -q -min"), "1.25");
    EXPECT_EQ(answer("playbackOptions -q -max"), "90");
    EXPECT_EQ(answer("currentTime -q"), "15");
}

TEST_F(BuildCommandTest, ExampleSceneScriptBuildsTheSameSceneEachTime)
{
    std::ifstream in(VESK_SCRIPT_DIR "/rich_scene.vesk");
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_FALSE(text.str().empty());
    ASSERT_TRUE(run(text.str()));
    const std::string first = vesk::sceneDump();
    for (const char* kind : {"\"mesh\"", "\"nurbsSurface\"", "\"joint\"", "\"skinCluster\"", "\"jointCluster\"",
                             "\"cluster\"", "\"blendShape\"", "\"pointLight\"", "\"spotLight\"",
                             "\"directionalLight\"", "\"phong\"", "\"file\"", "\"animCurveTimeToAngular\""})
        EXPECT_NE(first.find(std::string(" = ") + kind), std::string::npos) << kind;
    ASSERT_TRUE(run("file -f -new"));
    ASSERT_TRUE(run(text.str()));
    EXPECT_EQ(vesk::sceneDump(), first);
}

} // namespace
