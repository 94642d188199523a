// The shape lookup and what reading shapes changes on the host: put back
// after the export whatever the export made of the shape; the warnings it
// gives.
#include <gtest/gtest.h>

#include <algorithm>

#include <standin/StandIn.h>
#include <vesk/MFnBlendShapeDeformer.h>
#include <vesk/MGlobal.h>

#include "deform/deform_kinds.h"
#include "export/shape_fixture.h"
#include "geometry/geometry_kinds.h"

using namespace qelsdk_600;

namespace {

void Deform(const char* pKind, const char* pName, const char* pShape)
{
    MStatus status;
    vesk::attachDeformer(vesk::fixture::make(pKind, pName), vesk::fixture::node(pShape), &status);
    EXPECT_TRUE(status) << pName;
}

double Number(const std::string& pPlug)
{
    double value = -1;
    EXPECT_TRUE(vesk::fixture::number(pPlug, value)) << pPlug;
    return value;
}

// A cube with a blend shape (envelope 0.75), a skin and a polygon smooth
// operator after it (divisions 2), its shape hidden.
void MakeDeformedCube()
{
    ShapeTest::MakeCube("cube");
    ShapeTest::MakeCube("target");
    MFnBlendShapeDeformer blend;
    blend.create(HostTest::object("cubeShape"));
    blend.addTarget(HostTest::object("cubeShape"), 0, HostTest::object("targetShape"), 1.0);
    blend.setEnvelope(0.75f);
    Deform("skinCluster", "skin", "cube|cubeShape");
    HostTest::make("polySmoothFace", "smooth");
    vesk::fixture::connect("cube|cubeShape.outMesh", "smooth.inputPolymesh");
    vesk::fixture::setNumber("smooth.divisions", 2);
    vesk::fixture::setNumber("cube|cubeShape.visibility", 0);
}

size_t CountStarting(const std::vector<std::string>& pLines, const std::string& pStart)
{
    return static_cast<size_t>(std::count_if(pLines.begin(), pLines.end(), [&](const std::string& pLine) {
        return pLine.compare(0, pStart.size(), pStart) == 0;
    }));
}

}  // namespace

TEST_F(ShapeTest, ShapeLookupFindsTheShapeAndItsSmoothOperator)
{
    MakeDeformedCube();
    MStatus status;
    MObject shape, undeformed, input;
    MString restore;
    bool warned = false;
    MFnDagNode node(path("cube"));
    MDagPath cube = path("cube");
    ASSERT_TRUE(FindObject(nullptr, cube, node, status, 0, shape, undeformed, input, restore, warned));
    EXPECT_EQ(nameOf(shape), "cubeShape");
    EXPECT_EQ(nameOf(undeformed), "cubeShapeOrig");
    EXPECT_FALSE(input.isNull());
    EXPECT_EQ(Number("smooth.divisions"), 0);
    EXPECT_EQ(std::string(restore.asChar()), "setAttr \"smooth.divisions\"2");
    ASSERT_TRUE(MGlobal::executeCommand(restore));
    EXPECT_EQ(Number("smooth.divisions"), 2);

    // Without bind poses nothing is looked at; a shape path under a
    // transform of one shape is no shape.
    Params().SetBoolParam(QelVeskUserParams::kExportBindPose, false);
    restore = "";
    ASSERT_TRUE(FindObject(nullptr, cube, node, status, 0, shape, undeformed, input, restore, warned));
    EXPECT_EQ(nameOf(undeformed), "cubeShape");
    EXPECT_EQ(restore.length(), 0u);
    MDagPath single = path("target|targetShape");
    EXPECT_FALSE(FindObject(nullptr, single, node, status, 0, shape, undeformed, input, restore, warned));
}

TEST_F(ShapeTest, ExportsLeaveTheHostAsTheyFoundItWithOrWithoutAMesh)
{
    for (bool mismatched : {false, true}) {
        standin::resetHost();
        MakeDeformedCube();
        if (mismatched)  // no mesh can be made
            vesk::meshOf(vesk::fixture::node("cube|cubeShapeOrig"))->build({{0, 0, 0}}, nullptr, 0, nullptr);
        standin::clearLogs();
        std::remove(LogPath().c_str());
        ASSERT_TRUE(ExportAndRead());
        EXPECT_EQ(Mesh("cube") != nullptr, !mismatched);
        EXPECT_EQ(MFnBlendShapeDeformer(object("blendShape1")).envelope(), 0.75f);
        EXPECT_EQ(Number("smooth.divisions"), 2);
        EXPECT_EQ(Number("cube|cubeShape.visibility"), 0);
        std::vector<std::string> smoothCommands;
        for (const standin::LoggedCommand& c : standin::commandLog())
            if (c.text.find("smooth.divisions") != std::string::npos)
                smoothCommands.push_back(c.text);
        EXPECT_EQ(smoothCommands, (std::vector<std::string>{"getAttr \"smooth.divisions\"",
                                                            "setAttr \"smooth.divisions\" 0",
                                                            "setAttr \"smooth.divisions\"2"}));
        EXPECT_EQ(CountStarting(LogLines(), "QEL Export Warning: The plugin has detected a polygonSmoothFacet"), 1u);
    }
}

TEST_F(ShapeTest, WrapDeformersWarnInTheLogEachTimeAndInADialogOnce)
{
    for (const char* name : {"a", "b"}) {
        MakeCube(name);
        Deform("wrap", (std::string(name) + "Wrap").c_str(), (std::string(name) + "|" + name + "Shape").c_str());
    }
    Params().SetBoolParam(QelVeskUserParams::kExportShowUI, true);
    standin::setStandingReply("QEL Export Warning", standin::Reply::press("Ok"));
    ASSERT_TRUE(ExportAndRead());
    const std::vector<std::string> lines = LogLines();
    EXPECT_EQ(CountStarting(lines, "QEL Export Warning: A Wrap deformer has been detected on the following object: "),
              2u);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "QEL Export Warning: A Wrap deformer has been detected on the following object:  / b / bShape"),
              lines.end());
    EXPECT_EQ(standin::dialogs().size(), 1u);
    ASSERT_NE(Mesh("b"), nullptr) << "exported without the wrap";
}

TEST_F(ShapeTest, HardEdgeSplitsWarnAboutPointsSharingAPosition)
{
    // Two hard-edged cubes, each with 50 more points on its corners.
    for (const char* name : {"a", "b"}) {
        std::vector<MPoint> points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                      {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
        for (int i = 0; i < 50; ++i)
            points.push_back(points[static_cast<size_t>(i % 8)]);
        MakeMesh(name, points, {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}});
        HardenEdges((std::string(name) + "Shape").c_str());
    }
    Params().SetBoolParam(QelVeskUserParams::kExportHardEdges, true);
    Params().SetBoolParam(QelVeskUserParams::kExportShowUI, true);
    standin::setStandingReply("QEL Export Warning", standin::Reply::press("Ok"));
    ASSERT_TRUE(ExportAndRead());
    const std::vector<std::string> lines = LogLines();
    EXPECT_EQ(CountStarting(lines, "Vertices "), 100u);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Vertices 0 and 8 of mesh Model::a have the same 3D coordinate."),
              lines.end());
    const std::vector<standin::DialogRecord> dialogs = standin::dialogs();
    ASSERT_EQ(dialogs.size(), 2u);
    for (const standin::DialogRecord& dialog : dialogs) {
        size_t listed = 0;
        for (size_t at = 0; (at = dialog.message.find("the same 3D coordinate.", at)) != std::string::npos; ++at)
            ++listed;
        EXPECT_EQ(listed, 39u);
        EXPECT_NE(dialog.message.find("The import [Add to new scene] process"), std::string::npos);
    }
    EXPECT_EQ(Mesh("a")->GetControlPointsCount(), 58 + 24 - 8) << "unused points stay; every corner its own";
}
