// Scene commands as the module runs them: attribute texts, matrices,
// limits, namespaces, cameras, shading groups, skins, clusters, the
// selection, a new scene, and the character solver.
#include <cmath>
#include <cstring>

#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnGeometryFilter.h>
#include <vesk/MFnSet.h>
#include <vesk/MFnSkinCluster.h>
#include <vesk/MFnTransform.h>
#include <vesk/MGlobal.h>
#include <vesk/MItDependencyGraph.h>
#include <vesk/MPlugArray.h>

#include "anim/anim_curve.h"
#include "deform/deform_kinds.h"
#include "host_fixture.h"

namespace {

class SceneCommandTest : public HostTest {
protected:
    static MStatus run(const std::string& text)
    {
        MStringArray ignored;
        return MGlobal::executeCommand(MString(text.c_str()), ignored, false, false);
    }
    static std::vector<std::string> strings(const std::string& text)
    {
        MStringArray out;
        EXPECT_TRUE(MGlobal::executeCommand(MString(text.c_str()), out)) << text;
        std::vector<std::string> v;
        for (unsigned int i = 0; i < out.length(); ++i)
            v.push_back(out[i].asChar());
        return v;
    }
    static std::vector<double> doubles(const std::string& text)
    {
        MDoubleArray out;
        EXPECT_TRUE(MGlobal::executeCommand(MString(text.c_str()), out)) << text;
        std::vector<double> v;
        for (unsigned int i = 0; i < out.length(); ++i)
            v.push_back(out[i]);
        return v;
    }
    // The selection as texts.
    static std::vector<std::string> selection()
    {
        MSelectionList list;
        MGlobal::getActiveSelectionList(list);
        MStringArray texts;
        list.getSelectionStrings(texts);
        std::vector<std::string> v;
        for (unsigned int i = 0; i < texts.length(); ++i)
            v.push_back(texts[i].asChar());
        return v;
    }
    // A 25-vertex grid "body" (x, 0, z for x, z in 0 to 4), a joint "hip" at
    // the origin and its child "knee" at (4, 0, 4).
    static void makeLeg()
    {
        vesk::fixture::makeShape("mesh", "body");
        vesk::fixture::make("joint", "hip");
        vesk::fixture::make("joint", "knee", "hip");
        vesk::fixture::setNumber("knee.tx", 4);
        vesk::fixture::setNumber("knee.tz", 4);
    }
    static double weight(const char* cluster, const char* shape, size_t point)
    {
        double w = -1.0;
        vesk::clusterWeight(vesk::fixture::node(cluster), vesk::fixture::node(shape), point, w);
        return w;
    }
};

// The first node of a type reached in the graph from a node, as the module
// searches for deformers.
MObject dependencyOfType(const MObject& start, MFn::Type type, MItDependencyGraph::Direction dir)
{
    MStatus s;
    MItDependencyGraph it(const_cast<MObject&>(start), MFn::kInvalid, dir, MItDependencyGraph::kDepthFirst,
                          MItDependencyGraph::kNodeLevel, &s);
    for (; s && !it.isDone(); it.next())
        if (it.thisNode().hasFn(type))
            return it.thisNode();
    return MObject();
}

} // namespace

TEST_F(SceneCommandTest, AttributeTextsReadAndWriteInUserUnits)
{
    vesk::fixture::makeShape("mesh", "p");
    make("polySmoothFace", "smooth1");
    vesk::fixture::setNumber("smooth1.divisions", 2);
    struct Case {
        const char* set;
        const char* get;
        std::string answer;
    };
    const Case cases[] = {
        {"setAttr \"smooth1.divisions\" 0", "getAttr \"smooth1.divisions\"", "0"},
        {"setAttr \"smooth1.divisions\"2", "getAttr smooth1.dv", "2"},
        {"setAttr |p.rotateX 90", "getAttr |p.rx", "90"},
        {"setAttr p.translate 1 -2.5 1e-07", "getAttr p.t", "1 -2.5 1e-07"},
        {"setAttr \"|p|pShape.visibility\" false", "getAttr \"|p|pShape.visibility\"", "0"},
        {"setAttr p.rotateOrder 3", "getAttr p.ro", "3"},
        {"setAttr p.minRotateXLimit -45", "getAttr p.minRotateXLimit", "-45"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(run(c.set)) << c.set;
        MStringArray answer;
        ASSERT_TRUE(MGlobal::executeCommand(c.get, answer)) << c.get;
        std::string joined;
        for (unsigned int i = 0; i < answer.length(); ++i)
            joined += (i ? " " : "") + std::string(answer[i].asChar());
        EXPECT_EQ(joined, c.answer) << c.get;
    }
    double rx = 0;
    vesk::fixture::number("p.rx", rx);
    EXPECT_DOUBLE_EQ(rx, M_PI / 2);
    // Integers come back as int, others as double.
    int divisions = -1;
    ASSERT_TRUE(MGlobal::executeCommand("getAttr \"smooth1.divisions\"", divisions));
    EXPECT_EQ(divisions, 2);
    const char* const refused[] = {
        "getAttr p",         "getAttr p.nothing",        "getAttr nothing.tx",     "setAttr p.tx",
        "setAttr p.tx 1 2",  "setAttr p.tx abc",         "setAttr p.t 1 2",        "setAttr p.tx -type \"double3\" 1",
        "getAttr p.worldMatrix", "setAttr p.ro -1x",
    };
    for (const char* text : refused)
        EXPECT_EQ(run(text).statusCode(), MStatus::kFailure) << text;
    // Locked or connected plugs refuse setAttr and keep their value.
    MPlug ty = plug("p.ty");
    ty.setLocked(true);
    EXPECT_EQ(run("setAttr p.ty 3").statusCode(), MStatus::kFailure);
    vesk::fixture::make("transform", "driver");
    vesk::fixture::connect("driver.tz", "p.tz");
    EXPECT_EQ(run("setAttr p.tz 3").statusCode(), MStatus::kFailure);
    EXPECT_EQ(run("setAttr p.t 4 5 6").statusCode(), MStatus::kFailure);
    EXPECT_EQ(doubles("getAttr p.t"), (std::vector<double>{1, -2.5, 1e-07}));
}

TEST_F(SceneCommandTest, MatricesMakeTheTextRoundTripBitForBit)
{
    vesk::fixture::make("transform", "group1");
    vesk::fixture::make("joint", "joint1", "group1");
    vesk::fixture::make("dagPose", "pose");
    const double values[16] = {0.1, -0.0, 1.0 / 3.0, 1e-300, 2.0 / 3.0, 1.5707963267948966, -1e300, 0.0,
                               5e-324, 123456.789, -7.0, 1e-07, 0.3, 1e16, -2.5, 1.0};
    const char* const plugs[] = {"|group1|joint1.bindPose", "pose.worldMatrix[2]", "pose.xformMatrix[0]"};
    for (const char* plugText : plugs) {
        // As the module writes it: each value appended to the text.
        MString text = MString("setAttr ") + plugText + " -type \"matrix\" ";
        for (int i = 0; i < 16; ++i) {
            text += values[i];
            if (i < 15)
                text += " ";
        }
        ASSERT_TRUE(MGlobal::executeCommand(text)) << text.asChar();
        MDoubleArray back;
        ASSERT_TRUE(MGlobal::executeCommand(MString("getAttr ") + plugText, back));
        ASSERT_EQ(back.length(), 16u);
        for (unsigned int i = 0; i < 16; ++i)
            EXPECT_EQ(std::memcmp(&back[i], &values[i], sizeof(double)), 0) << plugText << " " << i;
    }
    // 15 values, a word among them, or a matrix type on a number: refused,
    // the matrix unchanged.
    const char* const bad[] = {
        "setAttr pose.worldMatrix[2] -type \"matrix\" 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0",
        "setAttr pose.worldMatrix[2] -type \"matrix\" 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 x",
        "setAttr pose.worldMatrix[2] -type \"matrix\" 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 1",
        "setAttr group1.tx -type \"matrix\" 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1",
    };
    for (const char* text : bad)
        EXPECT_EQ(run(text).statusCode(), MStatus::kFailure) << text;
    EXPECT_EQ(doubles("getAttr pose.worldMatrix[2]")[1], -0.0);
    EXPECT_EQ(doubles("getAttr pose.worldMatrix[2]")[3], 1e-300);
}

TEST_F(SceneCommandTest, TransformLimitsTakeUserUnitsAndKeepCrossedBounds)
{
    vesk::fixture::make("transform", "g");
    vesk::fixture::make("transform", "t", "g");
    ASSERT_TRUE(run("transformLimits -rx -28.64788975654116 57.29577951308232 -erx 1 1 |g|t"));
    ASSERT_TRUE(run("transformLimits -ty -2 10 -ety 1 0 |g|t"));
    ASSERT_TRUE(run("transformLimits -sz 5 2 -esz 1 1 |g|t"));
    MFnTransform fn(path("|g|t"));
    struct Case {
        MFnTransform::LimitType type;
        bool limited;
        double value;
    };
    const Case cases[] = {
        {MFnTransform::kRotateMinX, true, -0.5},  {MFnTransform::kRotateMaxX, true, 1.0},
        {MFnTransform::kTranslateMinY, true, -2.0}, {MFnTransform::kTranslateMaxY, false, 10.0},
        {MFnTransform::kScaleMinZ, true, 5.0},    {MFnTransform::kScaleMaxZ, true, 2.0},
        {MFnTransform::kRotateMinY, false, -45.0 * M_PI / 180},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fn.isLimited(c.type), c.limited) << c.type;
        EXPECT_NEAR(fn.limitValue(c.type), c.value, 1e-15) << c.type;
    }
    EXPECT_EQ(run("transformLimits -rx 0 nan |g|t").statusCode(), MStatus::kFailure);
    EXPECT_EQ(run("transformLimits -rx 0 1 nothing").statusCode(), MStatus::kFailure);
    EXPECT_NEAR(fn.limitValue(MFnTransform::kRotateMinX), -0.5, 1e-15);
}

TEST_F(SceneCommandTest, NamespacesAreNamedAbsolutelyAndListedFromTheCurrentOne)
{
    struct Step {
        const char* text;
        std::vector<std::string> answer;
    };
    const Step steps[] = {
        {"namespaceInfo -lon", {}},
        {"namespace -add \"ns\"", {"ns"}},
        {"namespaceInfo -lon", {"ns"}},
        {"namespaceInfo -currentNamespace", {":"}},
        {"namespace -set \"ns\"", {"ns"}},
        {"namespaceInfo -cur", {"ns"}},
        {"namespaceInfo -lon", {}},
        // "rig" is ":rig" whatever is current.
        {"namespace -add \"rig\"", {"rig"}},
        {"namespace -add \"ns:sub\"", {"ns:sub"}},
        {"namespaceInfo -lon", {"ns:sub"}},
        {"namespace -set \":\"", {":"}},
        {"namespaceInfo -lon", {"ns", "rig"}},
    };
    for (const Step& s : steps)
        EXPECT_EQ(strings(s.text), s.answer) << s.text;
    ASSERT_TRUE(run("namespace -set \"rig\""));
    vesk::fixture::make("transform", "root");
    EXPECT_TRUE(vesk::fixture::node("rig:root").valid());
    const char* const refused[] = {"namespace -add \"rig\"", "namespace -add \"a:b\"", "namespace -set \"none\"",
                                   "namespace", "namespace -set \":\" -add \"x\"", "namespaceInfo"};
    for (const char* text : refused)
        EXPECT_EQ(run(text).statusCode(), MStatus::kFailure) << text;
    EXPECT_EQ(strings("namespaceInfo -cur"), (std::vector<std::string>{"rig"}));
}

TEST_F(SceneCommandTest, CameraCommandsBuildTheAimedCameraGroup)
{
    const std::string camera = "camera -centerOfInterest 5 -focalLength 35 -lensSqueezeRatio 1 -cameraScale 1 "
                               "-horizontalFilmAperture 1.41732 -horizontalFilmOffset 0 -verticalFilmAperture 0.94488 "
                               "-verticalFilmOffset 0 -filmFit Horizontal -overscan 1 -motionBlur 0 -shutterAngle 144 "
                               "-nearClipPlane 0.01 -farClipPlane 1000 -orthographic 0 -orthographicWidth 30; "
                               "objectMoveCommand; ";
    struct Case {
        const char* make;
        std::vector<std::string> selected;
        std::vector<std::string> groupChildren;
    };
    const Case cases[] = {
        {"cameraMakeNode 2 \"\"", {"camera1", "camera1_aim"}, {"camera1", "camera1_aim"}},
        {"cameraMakeNode 3 \"\"", {"camera1", "camera1_up", "camera1_aim"}, {"camera1", "camera1_aim", "camera1_up"}},
        {"cameraMakeNode 1 \"\"", {"camera1"}, {}},
    };
    for (const Case& c : cases) {
        standin::resetHost();
        ASSERT_TRUE(MGlobal::executeCommand(MString((camera + c.make).c_str()), true, false)) << c.make;
        EXPECT_EQ(selection(), c.selected) << c.make;
        const vesk::NodeId group = vesk::fixture::node("camera1_group");
        EXPECT_EQ(group.valid(), !c.groupChildren.empty());
        if (!group.valid())
            continue;
        std::vector<std::string> children;
        for (vesk::NodeId child : vesk::store().children(group))
            children.push_back(vesk::store().name(child));
        EXPECT_EQ(children, c.groupChildren);
        EXPECT_TRUE(object("camera1_group").hasFn(MFn::kLookAt));
        EXPECT_FALSE(plug("camera1_group.twist").isNull());
    }
    EXPECT_TRUE(path("camera1").hasFn(MFn::kCamera));
    double focal = 0, shutter = 0, fit = -1;
    vesk::fixture::number("cameraShape1.focalLength", focal);
    vesk::fixture::number("cameraShape1.shutterAngle", shutter);
    vesk::fixture::number("cameraShape1.filmFit", fit);
    EXPECT_EQ(focal, 35.0);
    EXPECT_NEAR(shutter, 144.0 * M_PI / 180, 1e-15);
    EXPECT_EQ(fit, 1.0);
    // An aimed camera's group goes under the SDK parent's node with the
    // camera and its locators.
    ASSERT_TRUE(run(camera + "cameraMakeNode 3 \"\""));
    vesk::fixture::make("transform", "rig");
    ASSERT_TRUE(run("parent camera2_group rig"));
    EXPECT_EQ(std::string(path("camera2_up").fullPathName().asChar()), "|rig|camera2_group|camera2_up");
    EXPECT_EQ(run("cameraMakeNode 4 \"\"").statusCode(), MStatus::kFailure);
    EXPECT_EQ(run("select -cl; cameraMakeNode 2 \"\"").statusCode(), MStatus::kFailure);
    EXPECT_EQ(run("camera -filmFit Sideways").statusCode(), MStatus::kFailure);
    EXPECT_FALSE(vesk::fixture::node("camera3").valid());
}

TEST_F(SceneCommandTest, ShadingGroupsTakeObjectsAndFacesFromOneAnother)
{
    vesk::fixture::makeShape("mesh", "body");
    vesk::fixture::make("phong", "wood");
    EXPECT_EQ(strings("sets -renderable true -noSurfaceShader true -empty -name \"bodySG\""),
              (std::vector<std::string>{"bodySG"}));
    EXPECT_EQ(strings("sets -renderable true -noSurfaceShader true -empty -name \"bodySG\""),
              (std::vector<std::string>{"bodySG1"}));
    ASSERT_TRUE(run("connectAttr -f \"wood.outColor\"  \"bodySG.surfaceShader\"  "));
    ASSERT_TRUE(run("connectAttr -f \"wood.outColor\"  \"bodySG1.surfaceShader\"  "));
    EXPECT_EQ(run("connectAttr \"wood.outColor\"  \"bodySG1.surfaceShader\"").statusCode(), MStatus::kSuccess);
    ASSERT_TRUE(run("sets -e -forceElement \"bodySG\"  \"body\""));
    ASSERT_TRUE(run("sets -e -forceElement \"bodySG1\"  \"body.f[2:3]\""));
    std::vector<vesk::NodeId> groups;
    std::vector<int> faceGroup;
    vesk::shadingGroupsOfFaces(vesk::ObjectAccess::path(path("body|bodyShape")), 16, groups, faceGroup);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(vesk::store().name(groups[1]), "bodySG1");
    EXPECT_EQ(faceGroup[0], 0);
    EXPECT_EQ(faceGroup[2], 1);
    EXPECT_EQ(faceGroup[3], 1);
    // A plain set takes the names given, or the selection.
    ASSERT_TRUE(run("select -r body"));
    EXPECT_EQ(strings("sets -name \"chosen\""), (std::vector<std::string>{"chosen"}));
    EXPECT_EQ(vesk::setOf(vesk::fixture::node("chosen"))->members().size(), 1u);
    // Texture nodes by class.
    EXPECT_EQ(strings("shadingNode -at file"), (std::vector<std::string>{"file1"}));
    EXPECT_EQ(strings("shadingNode -au place2dTexture"), (std::vector<std::string>{"place2dTexture1"}));
    EXPECT_EQ(strings("shadingNode -at layeredTexture"), (std::vector<std::string>{"layeredTexture1"}));
    const char* const refused[] = {"shadingNode -au file", "shadingNode -at -au file", "shadingNode -at mesh",
                                   "sets -e -forceElement \"wood\"  \"body\"", "sets -e -forceElement bodySG body.f[16]",
                                   "connectAttr wood.outColor body.tx", "connectAttr wood.outColor"};
    for (const char* text : refused)
        EXPECT_EQ(run(text).statusCode(), MStatus::kFailure) << text;
    ASSERT_TRUE(run("delete wood"));
    EXPECT_FALSE(vesk::fixture::node("wood").valid());
}

TEST_F(SceneCommandTest, SkinBindingFlowLeavesWhatTheExportReads)
{
    makeLeg();
    const std::string s = " |body.vtx[0:2] |body.vtx[5] |body.vtx[7:8]";
    for (const std::string& text : {std::string("select -cl"), std::string("select -tgl \"hip\" \"knee\" "),
                                    "select -tgl " + s,
                                    std::string("newSkinCluster \"-toSelectedBones -mi 5 -dr 4\""),
                                    std::string("select -cl")})
        ASSERT_TRUE(run(text)) << text;
    // The import finds the cluster from the shape's transform's children.
    const MObject skin = dependencyOfType(path("body|bodyShape").node(), MFn::kSkinClusterFilter,
                                          MItDependencyGraph::kUpstream);
    ASSERT_TRUE(skin.hasFn(MFn::kSkinClusterFilter));
    MFnDependencyNode fn(skin);
    EXPECT_EQ(fn.findPlug("bindPreMatrix").numElements(), 2u);
    const std::string n = fn.name().asChar();
    // Nearest joints: x + z < 4 to hip, above to knee, ties to hip.
    vesk::SkinWeights* w = vesk::skinWeightsOf(vesk::ObjectAccess::node(skin));
    EXPECT_EQ(w->weight(0, 0, 0), 1.0);
    EXPECT_EQ(w->weight(0, 24, 1), 1.0);
    EXPECT_EQ(w->weight(0, 4, 0), 1.0);
    const std::string steps[] = {
        "setAttr \"" + n + ".normalizeWeights\" 1; ",
        "skinPercent -normalize false \"" + n + "\" " + s,
        "setAttr \"" + n + ".normalizeWeights\" 0; ",
        "select -r bodyShape",
        "skinPercent -tv hip 0 -tv knee 0 " + n,
        "select -cl",
        "select -tgl " + s,
        "setAttr \"" + n + ".normalizeWeights\" 0",
    };
    for (const std::string& text : steps)
        ASSERT_TRUE(run(text)) << text;
    EXPECT_EQ(w->weight(0, 24, 1), 0.0);
    EXPECT_EQ(w->weight(0, 0, 0), 0.0);
    // The weight passes, then the normalisation of the selected points.
    MFnSkinCluster skinFn(skin);
    MSelectionList points;
    points.add("body.vtx[0:2]");
    points.add("body.vtx[5]");
    MDagPath shape;
    MObject comp;
    points.getDagPath(0, shape, comp);
    ASSERT_TRUE(skinFn.setWeights(shape, comp, 0, 0.2, false));
    ASSERT_TRUE(skinFn.setWeights(shape, comp, 1, 0.6, false));
    points.getDagPath(1, shape, comp);
    ASSERT_TRUE(skinFn.setWeights(shape, comp, 0, 0.5, false));
    ASSERT_TRUE(run("setAttr \"" + n + ".normalizeWeights\" 1"));
    ASSERT_TRUE(run("skinPercent -normalize true " + n));
    // The weights went in as single precision.
    EXPECT_NEAR(w->weight(0, 1, 0), 0.25, 1e-7);
    EXPECT_NEAR(w->weight(0, 1, 1), 0.75, 1e-7);
    EXPECT_EQ(w->weight(0, 5, 0), 1.0);
    double nw = -1;
    vesk::fixture::number((n + ".normalizeWeights").c_str(), nw);
    EXPECT_EQ(nw, 1.0);
    const char* const refused[] = {"skinPercent -tv nothing 0 skinCluster1", "skinPercent -tv body 0 skinCluster1",
                                   "skinPercent -tv hip 2 skinCluster1", "skinPercent -tv hip 0 hip",
                                   "skinPercent -tv hip 0.5 skinCluster1 body.vtx[25]", "select -cl; newSkinCluster \"\""};
    for (const char* text : refused)
        EXPECT_EQ(run(text).statusCode(), MStatus::kFailure) << text;
    EXPECT_NEAR(w->weight(0, 1, 1), 0.75, 1e-7);
}

TEST_F(SceneCommandTest, ClusterFlowWeightsPointsOfItsSet)
{
    vesk::fixture::makeShape("mesh", "body");
    vesk::fixture::makeShape("nurbsSurface", "sheet");
    vesk::fixture::make("joint", "hand");
    MStringArray made;
    ASSERT_TRUE(MGlobal::executeCommand("select -cl; cluster -n c_hand -bf -bs 1.0  -wn hand  hand", made));
    ASSERT_EQ(made.length(), 2u);
    EXPECT_STREQ(made[0].asChar(), "c_hand");
    EXPECT_STREQ(made[1].asChar(), "hand");
    EXPECT_TRUE(path(made[1].asChar()).hasFn(MFn::kClusterHandle));
    // The set fed by the cluster's "message".
    MPlugArray fed;
    MFnDependencyNode(object("c_hand")).findPlug("message").connectedTo(fed, false, true);
    ASSERT_EQ(fed.length(), 1u);
    ASSERT_TRUE(fed[0].node().hasFn(MFn::kSet));
    MFnSet set(fed[0].node());
    MSelectionList members;
    for (int v : {4, 5, 6, 9})
        members.add(MString("body.vtx[") + v + "]");
    members.add("sheet.cv[2][1]");
    ASSERT_TRUE(set.addMembers(members));
    const char* const weights[] = {"percent -v 0.500000 c_hand  body.vtx[4:6]", "percent -v 0.250000 c_hand  body.vtx[9]",
                                   "percent -v 0.750000  c_hand  sheet.cv[2][1]"};
    for (const char* text : weights)
        ASSERT_TRUE(run(text)) << text;
    EXPECT_EQ(weight("c_hand", "bodyShape", 5), 0.5);
    EXPECT_EQ(weight("c_hand", "bodyShape", 9), 0.25);
    EXPECT_EQ(weight("c_hand", "sheetShape", 9), 0.75);
    // The export finds the cluster behind each shape.
    for (const char* shape : {"body|bodyShape", "sheet|sheetShape"})
        EXPECT_TRUE(dependencyOfType(path(shape).node(), MFn::kCluster, MItDependencyGraph::kUpstream)
                        .hasFn(MFn::kCluster))
            << shape;
    // A point outside the set, or past the mesh: refused, nothing changes.
    const char* const refused[] = {"percent -v 0.1 c_hand  body.vtx[4:7]", "percent -v 0.1 c_hand  body.vtx[25]",
                                   "percent -v 0.1 hand  body.vtx[4]", "percent c_hand body.vtx[4]",
                                   "cluster -n c2 -wn hand body", "cluster -n c2 body.f[0]"};
    for (const char* text : refused)
        EXPECT_EQ(run(text).statusCode(), MStatus::kFailure) << text;
    EXPECT_EQ(weight("c_hand", "bodyShape", 4), 0.5);
    EXPECT_FALSE(vesk::fixture::node("c2").valid());
    // Created on positional points, the cluster deforms them at once.
    EXPECT_EQ(strings("cluster -n c3 -rel body.vtx[1]"), (std::vector<std::string>{"c3", "c3Handle"}));
    EXPECT_EQ(weight("c3", "bodyShape", 1), 1.0);
}

TEST_F(SceneCommandTest, RigidBindingGivesEachNearestJointAJointCluster)
{
    makeLeg();
    for (const char* text : {"select -cl", "select -tgl |hip |hip|knee ", "select -tgl |body",
                             "newBindSkin \"-byClosestPoint -toSelectedBones\"", "select -cl"})
        ASSERT_TRUE(run(text)) << text;
    const vesk::NodeId hipCluster = vesk::fixture::node("jointCluster1");
    const vesk::NodeId kneeCluster = vesk::fixture::node("jointCluster2");
    ASSERT_TRUE(hipCluster.valid() && kneeCluster.valid());
    EXPECT_TRUE(vesk::store().kindOf(hipCluster)->isA(MFn::kJointCluster));
    EXPECT_TRUE(path("|hip|jointCluster1HandleShape").hasFn(MFn::kClusterHandle));
    EXPECT_EQ(weight("jointCluster1", "bodyShape", 0), 1.0);
    EXPECT_EQ(weight("jointCluster1", "bodyShape", 24), -1.0); // not its point
    EXPECT_EQ(weight("jointCluster2", "bodyShape", 24), 1.0);
    // A joint named twice ends deselected: only the knee binds.
    for (const char* text : {"select -cl", "select -tgl |hip |hip |hip|knee ", "select -tgl |body",
                             "newBindSkin \"-byClosestPoint -toSelectedBones\""})
        ASSERT_TRUE(run(text)) << text;
    EXPECT_EQ(weight("jointCluster3", "bodyShape", 0), 1.0);
    EXPECT_FALSE(vesk::fixture::node("jointCluster4").valid());
}

TEST_F(SceneCommandTest, SelectToggleFlipsItemsAndElementsInOrder)
{
    vesk::fixture::makeShape("mesh", "body");
    vesk::fixture::make("transform", "a");
    vesk::fixture::make("transform", "b");
    struct Step {
        const char* text;
        std::vector<std::string> selected;
    };
    const Step steps[] = {
        {"select a b", {"a", "b"}},
        {"select -tgl b body.vtx[0:3]", {"a", "body.vtx[0:3]"}},
        {"select -tgl body.vtx[2] a body.vtx[5]", {"body.vtx[0:1]", "body.vtx[3]", "body.vtx[5]"}},
        {"select -tgl body.vtx[0:1] body.vtx[3] body.vtx[5]", {}},
        {"select -tgl a a b", {"b"}},
        {"select -r body.vtx[4] body.vtx[2]", {"body.vtx[4]", "body.vtx[2]"}},
        {"select -cl", {}},
    };
    for (const Step& s : steps) {
        ASSERT_TRUE(run(s.text)) << s.text;
        EXPECT_EQ(selection(), s.selected) << s.text;
    }
    ASSERT_TRUE(run("select a"));
    for (const char* text : {"select -tgl b nothing", "select -tgl body.vtx[25]", "select -r a.vtx[0]"})
        EXPECT_EQ(run(text).statusCode(), MStatus::kFailure) << text;
    EXPECT_EQ(selection(), (std::vector<std::string>{"a"}));
}

TEST_F(SceneCommandTest, NewSceneKeepsTheSessionAndDropsTheScene)
{
    vesk::fixture::make("transform", "a");
    ASSERT_TRUE(run("namespace -add \"ns\"; namespace -set \"ns\"; select a"));
    ASSERT_TRUE(run("window W; string $kept = \"yes\""));
    ASSERT_TRUE(standin::setUpAxis("z"));
    ASSERT_TRUE(standin::setJointDisplayScale(0.5));
    vesk::store().globals().minTime = -2;
    vesk::store().globals().maxTime = 9;
    vesk::store().globals().currentTime = 3;
    standin::setSolverEnabled(true);
    ASSERT_TRUE(run("DOVCreateCharacter \"Hero\""));
    ASSERT_TRUE(run("file -f -new"));
    EXPECT_FALSE(vesk::fixture::node("a").valid());
    EXPECT_TRUE(vesk::fixture::node("perspShape").valid());
    EXPECT_TRUE(vesk::fixture::node("defaultShaderList1").valid());
    EXPECT_EQ(strings("namespaceInfo -cur"), (std::vector<std::string>{":"}));
    EXPECT_EQ(strings("namespaceInfo -lon"), (std::vector<std::string>{}));
    EXPECT_TRUE(selection().empty());
    EXPECT_EQ(vesk::store().globals().maxTime, vesk::Globals().maxTime);
    EXPECT_EQ(vesk::store().globals().currentTime, 0.0);
    EXPECT_TRUE(standin::solverCharacters().empty());
    EXPECT_EQ(standin::windows(), (std::vector<std::string>{"W"}));
    EXPECT_EQ(standin::variable("kept"), "yes");
    EXPECT_EQ(strings("upAxis -q -axis"), (std::vector<std::string>{"z"}));
    double scale = 0;
    ASSERT_TRUE(MGlobal::executeCommand("jointDisplayScale -q -a", scale));
    EXPECT_EQ(scale, 0.5);
    for (const char* text : {"file -new extra", "file -f", "upAxis -axis y", "jointDisplayScale -a 2"})
        EXPECT_EQ(run(text).statusCode(), MStatus::kFailure) << text;
}

TEST_F(SceneCommandTest, DrivenPlugsAnswerTheirDriversAndOthersNoDrivers)
{
    vesk::fixture::make("transform", "t");
    vesk::fixture::make("transform", "d");
    // A curve driven by time, and one fed by another plug.
    vesk::NodeId n = vesk::fixture::node("t");
    MSelectionList list;
    list.add("t.tx");
    list.add("t.ty");
    MPlug px, py;
    list.getPlug(0, px);
    list.getPlug(1, py);
    vesk::PlugRef rx, ry;
    vesk::ObjectAccess::plugRef(px, rx);
    vesk::ObjectAccess::plugRef(py, ry);
    vesk::createCurve(n, rx.key, 1, nullptr);
    const vesk::NodeId driven = vesk::createCurve(n, ry.key, 5, nullptr);
    ASSERT_TRUE(vesk::fixture::connect("d.rx", vesk::store().name(driven) + ".input"));
    struct Case {
        const char* plugText;
        std::string answer;
    };
    const Case cases[] = {{"t.tz", "No drivers."}, {"t.tx", "No drivers."}, {"t.ty", "d.rotateX"}};
    for (const Case& c : cases)
        EXPECT_EQ(strings(std::string("setDrivenKeyframe -q -cd ") + c.plugText),
                  (std::vector<std::string>{c.answer}))
            << c.plugText;
    EXPECT_EQ(run("setDrivenKeyframe -cd t.tx").statusCode(), MStatus::kFailure);
    // A driven curve reads its driver, not the time.
    vesk::curveOf(driven)->addKey(0.0, 0.0, vesk::kTangentLinear, vesk::kTangentLinear, nullptr);
    vesk::curveOf(driven)->addKey(1.0, 10.0, vesk::kTangentLinear, vesk::kTangentLinear, nullptr);
    ASSERT_TRUE(run("setAttr d.rx 45"));
    vesk::store().globals().currentTime = 1.0;
    EXPECT_NEAR(doubles("getAttr t.ty")[0], 10.0 * M_PI / 4, 1e-12);
}

TEST_F(SceneCommandTest, CommandsWithoutEffectHereSucceed)
{
    vesk::fixture::make("transform", "a");
    for (const char* text :
         {"delete -channels -unitlessAnimationCurves false -hierarchy 0 -controlPoints 0 -shape 0",
          "bakeResults -simulation true -t \"0:24\"\n", "objectMoveCommand"})
        EXPECT_TRUE(run(text)) << text;
    EXPECT_TRUE(vesk::fixture::node("a").valid());
    EXPECT_EQ(strings("upAxis -q -axis"), (std::vector<std::string>{"y"}));
    double scale = 0;
    ASSERT_TRUE(MGlobal::executeCommand("jointDisplayScale -q -a", scale));
    EXPECT_EQ(scale, 1.0);
    EXPECT_EQ(run("delete").statusCode(), MStatus::kFailure);
    EXPECT_EQ(run("delete a nothing").statusCode(), MStatus::kFailure);
    EXPECT_TRUE(vesk::fixture::node("a").valid());
}

TEST_F(SceneCommandTest, SolverCharactersLinkSlotsToNodesWhileItIsOn)
{
    vesk::fixture::make("joint", "hip");
    int exists = -1;
    ASSERT_TRUE(MGlobal::executeCommand("exists DOVCreateCharacter", exists));
    EXPECT_EQ(exists, 0);
    EXPECT_EQ(run("DOVCreateCharacter \"Hero\"").statusCode(), MStatus::kFailure);
    standin::setSolverEnabled(true);
    ASSERT_TRUE(MGlobal::executeCommand("exists DOVGetCharacterNodeLink", exists));
    EXPECT_EQ(exists, 1);
    const MString rx = MString("DOVSetCharacterNodeLinkTRS -ci 0 -lti 1 -li 0 -t 1 2 3 -r ") +
                       90 * 0.017453292519943295 + " 0 0 -s 1 1 1";
    for (const MString& text : {MString("DOVCreateCharacter \"Hero\""), MString("DOVCreateCharacter \"Side\""),
                                MString("DOVSetCharacterNodeLink -ci 0 -lti 1 -li 0 -nn hip"), rx,
                                MString("DOVSetCharacterNodeLink -ci 1 -lti 0 -li 0 -nn hip"),
                                MString("DOVCharacterize  -ci 0 -keepTstance")})
        ASSERT_TRUE(MGlobal::executeCommand(text)) << text.asChar();
    int count = 0;
    ASSERT_TRUE(MGlobal::executeCommand("DOVGetCharacterCount", count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(strings("DOVGetCharacterName  -ci 1"), (std::vector<std::string>{"Side"}));
    EXPECT_EQ(strings("DOVGetCharacterNodeLink -ci 0 -lti 1 -li 0"), (std::vector<std::string>{"|hip"}));
    EXPECT_EQ(strings("DOVGetCharacterNodeLink -ci 0 -lti 12 -li 29"), (std::vector<std::string>{""}));
    const std::vector<standin::SolverCharacter> chars = standin::solverCharacters();
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_TRUE(chars[0].characterized);
    EXPECT_DOUBLE_EQ(chars[0].slots.at(0).rotate[0], M_PI / 2);
    EXPECT_EQ(chars[0].slots.at(0).translate[2], 3.0);
    // Renames are followed; a deleted node leaves its slot empty.
    ASSERT_TRUE(vesk::store().rename(vesk::fixture::node("hip"), "pelvis"));
    EXPECT_EQ(strings("DOVGetCharacterNodeLink -ci 1 -lti 0 -li 0"), (std::vector<std::string>{"|pelvis"}));
    ASSERT_TRUE(run("delete pelvis"));
    EXPECT_EQ(strings("DOVGetCharacterNodeLink -ci 0 -lti 1 -li 0"), (std::vector<std::string>{""}));
    const char* const refused[] = {
        "DOVGetCharacterName -ci 99",  "DOVGetCharacterNodeLink -ci 0 -lti 13 -li 0",
        "DOVGetCharacterNodeLink -ci 0 -lti 1 -li 15", "DOVGetCharacterNodeLink -ci 0 -lti 0 -li 1",
        "DOVSetCharacterNodeLink -ci 0 -lti 1 -li 0 -nn nothing", "DOVGetCharacterNodeLink -ci 0 -lti 1",
        "DOVCreateCharacter", "DOVGetCharacterCount -ci 0",
    };
    for (const char* text : refused)
        EXPECT_EQ(run(text).statusCode(), MStatus::kFailure) << text;
    EXPECT_EQ(standin::solverCharacters().size(), 2u);
}
