#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "content/kqelshape.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

// A geometry that is not a mesh, as NURBS surfaces and patches are.
class TestSurface : public KQelGeometry {
public:
    explicit TestSurface(KQelSdkManager& pManager) : KQelGeometry(pManager) {}
    EAttributeType GetAttributeType() const override { return eNurb; }
};

void ExpectVector(const KQelVector4& pActual, double pX, double pY, double pZ)
{
    EXPECT_NEAR(pActual[0], pX, 1e-9);
    EXPECT_NEAR(pActual[1], pY, 1e-9);
    EXPECT_NEAR(pActual[2], pZ, 1e-9);
}

// Names of the children of a take node's root, in order.
std::vector<std::string> Channels(KQelTakeNode& pTakeNode)
{
    std::vector<std::string> names;
    KFCurveNode* root = pTakeNode.GetKFCurveNode();
    for (int i = 0; i < root->GetCount(); ++i)
        names.push_back(root->Get(i)->GetName());
    return names;
}

TEST(Geometry, AddShapeRefusesNullRepeatsAndBadNames)
{
    KQelSdkManager manager;
    TestSurface geometry(manager);
    KQelShape* first = manager.CreateKQelShape();
    EXPECT_EQ(geometry.AddShape(first, "  Smile \t"), 0);
    EXPECT_STREQ(geometry.GetShapeName(0), "Smile");
    EXPECT_EQ(geometry.AddShape(manager.CreateKQelShape(), "smile"), 1);  // case counts

    struct Case {
        KQelShape* shape;
        const char* name;
        int error;
        const char* text;
    } cases[] = {
        {nullptr, "Frown", 1, "Parameter is NULL."},
        {first, "Frown", 6, "Shape already added."},
        {manager.CreateKQelShape(), "   ", 7, "Shape name is invalid."},
        {manager.CreateKQelShape(), nullptr, 7, "Shape name is invalid."},
        {manager.CreateKQelShape(), "Smile", 8, "Shape name is already used."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(geometry.AddShape(c.shape, c.name), -1);
        EXPECT_EQ(geometry.GetLastErrorID(), c.error);
        EXPECT_STREQ(geometry.GetLastErrorString(), c.text);
    }
    EXPECT_EQ(geometry.GetShapeCount(), 2);
    for (int index : {-1, 2}) {
        geometry.GetError().ClearLastError();
        EXPECT_EQ(geometry.GetShape(index), nullptr);
        EXPECT_EQ(geometry.GetShapeName(index), nullptr);
        EXPECT_EQ(geometry.GetLink(index), nullptr);
        EXPECT_STREQ(geometry.GetLastErrorString(), "Parameter out of range.");
    }
}

TEST(Geometry, ShapeChannelsAreColouredByIndexInEveryTake)
{
    KQelSdkManager manager;
    TestSurface geometry(manager);
    KQelTakeNode takes[] = {KQelTakeNode("Default"), KQelTakeNode("Walk")};
    for (int i = 0; i < 21; ++i) {
        ASSERT_EQ(geometry.AddShape(manager.CreateKQelShape(), ("S" + std::to_string(i)).c_str()), i);
        for (KQelTakeNode& take : takes)
            EXPECT_TRUE(geometry.AddShapeChannel(&take, i));
    }
    const float expected[][3] = {{1, 0, 0}, {0, 1, 0}, {1, 0, 0}};
    const int shapes[] = {0, 1, 20};
    for (KQelTakeNode& take : takes) {
        ASSERT_EQ(take.GetKFCurveNode()->GetCount(), 21);
        for (int i = 0; i < 3; ++i) {
            KFCurve* curve = take.GetShapeChannel(&geometry, shapes[i]);
            ASSERT_NE(curve, nullptr);
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(curve->GetColor()[c], expected[i][c]);
        }
    }
    EXPECT_TRUE(geometry.RemoveShapeChannel(&takes[1], 1));
    EXPECT_FALSE(geometry.RemoveShapeChannel(&takes[1], 1));
    EXPECT_EQ(geometry.GetShapeChannel(&takes[1], 1), nullptr);
    EXPECT_STREQ(geometry.GetLastErrorString(), "No shape curve found.");
    EXPECT_EQ(takes[1].GetShapeChannel(&geometry, 1), nullptr);
    EXPECT_EQ(takes[1].GetShapeChannel(nullptr, 0), nullptr);
    EXPECT_STREQ(takes[1].GetLastErrorString(), "Curve not found");
    EXPECT_EQ(geometry.GetShapeCurveNode(nullptr, 0), nullptr);
    EXPECT_STREQ(geometry.GetLastErrorString(), "Parameter is NULL.");
    // On no node the default shape weights are neither stored nor read.
    geometry.SetDefaultShape(0, 0.5);
    EXPECT_EQ(geometry.GetDefaultShape(0), 0.0);
}

TEST(Geometry, ShapeChannelNames)
{
    struct Case {
        KString name;
        const char* expected;
    } cases[] = {
        {KQelGeometry::CreateShapeChannelName(0), "Shape 01 (Shape)"},
        {KQelGeometry::CreateShapeChannelName(11), "Shape 12 (Shape)"},
        {KQelGeometry::CreateShapeChannelName(-1), ""},
        {KQelGeometry::CreateShapeChannelName(KString("Smile ")), "Smile (Shape)"},
        {KQelGeometry::CreateShapeChannelName(KString("Smile (Shape)")), "Smile (Shape)"},
        {KQelGeometry::CreateShapeChannelName(KString("(Shape)")), "(Shape) (Shape)"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.name, c.expected);
}

// Per take node: a channel "Smile" whose curve value is its take's number.
struct TwoTakes {
    KQelTakeNode mTakes[2] = {KQelTakeNode("Default"), KQelTakeNode("Walk")};

    void AddChannels(KQelGeometry& pGeometry)
    {
        for (int t = 0; t < 2; ++t) {
            ASSERT_TRUE(pGeometry.AddShapeChannel(&mTakes[t], 0));
            pGeometry.GetShapeChannel(&mTakes[t], 0)->SetValue(static_cast<float>(t + 1));
        }
    }
};

TEST(Geometry, OlderLayoutNamesRoundTripOverSeveralTakes)
{
    KQelSdkManager manager;
    TestSurface surface(manager);
    KQelMesh* mesh = manager.CreateKQelMesh();
    struct Case {
        KQelGeometry* geometry;
        const char* v5Shape;
        const char* v5Channel;
    } cases[] = {
        {&surface, "Shape 01", "Shape 01 (Shape)"},
        {mesh, "Smile", "Smile (Shape)"},
    };
    for (const Case& c : cases) {
        c.geometry->AddShape(manager.CreateKQelShape(), "Smile");
        TwoTakes takes;
        takes.AddChannels(*c.geometry);
        c.geometry->ClearTemporaryShapeNames();
        for (KQelTakeNode& take : takes.mTakes)
            c.geometry->ConvertShapeNamesToV5Format(&take, 0);
        EXPECT_STREQ(c.geometry->GetShapeName(0), c.v5Shape);
        for (KQelTakeNode& take : takes.mTakes)
            EXPECT_EQ(Channels(take), std::vector<std::string>{c.v5Channel});
        for (KQelTakeNode& take : takes.mTakes)
            c.geometry->RevertShapeNamesToV6Format(&take, 0);
        c.geometry->ClearTemporaryShapeNames();
        EXPECT_STREQ(c.geometry->GetShapeName(0), "Smile");
        for (int t = 0; t < 2; ++t) {
            EXPECT_EQ(Channels(takes.mTakes[t]), std::vector<std::string>{"Smile"});
            EXPECT_EQ(c.geometry->GetShapeChannel(&takes.mTakes[t], 0)->GetValue(), t + 1);
        }
    }
}

TEST(Geometry, CleanShapeChannelMovesOlderChannelsButNotOnMeshes)
{
    KQelSdkManager manager;
    TestSurface surface(manager);
    KQelMesh* mesh = manager.CreateKQelMesh();
    struct Case {
        KQelGeometry* geometry;
        const char* older;
        std::vector<std::string> after;
    } cases[] = {
        {&surface, "Smile (Shape)", {"Smile"}},
        {&surface, "Shape 01 (Shape)", {"Smile"}},
        {mesh, "Smile (Shape)", {"Smile", "Smile (Shape)"}},
    };
    for (const Case& c : cases) {
        if (c.geometry->GetShapeCount() == 0)
            c.geometry->AddShape(manager.CreateKQelShape(), "Smile");
        KQelTakeNode take("Walk");
        c.geometry->AddShapeChannel(&take, 0);
        take.GetKFCurveNode()->FindOrCreate(c.older, true)->FCurveGet()->SetValue(0.75f);
        c.geometry->CleanShapeChannel(&take, 0);
        EXPECT_EQ(Channels(take), c.after) << c.older;
        const float moved = c.geometry == mesh ? 0.0f : 0.75f;
        EXPECT_EQ(c.geometry->GetShapeChannel(&take, 0)->GetValue(), moved);
    }
}

TEST(Geometry, InitNormalsChoosesTheMappingByCount)
{
    struct Case {
        int count;
        int size;
        KQelLayerElement::EMappingMode mode;
    } cases[] = {
        {0, 8, KQelLayerElement::eByControlPoint},
        {24, 24, KQelLayerElement::eByPolygonVertex},
        {8, 8, KQelLayerElement::eByControlPoint},
        {-3, 8, KQelLayerElement::eByControlPoint},
    };
    for (const Case& c : cases) {
        KQelSdkManager manager;
        KQelShape geometry(manager);
        geometry.InitControlPoints(8);
        geometry.InitNormals(c.count);
        const KQelLayerElementNormal* normals = geometry.GetLayer(0)->GetNormals();
        ASSERT_NE(normals, nullptr);
        EXPECT_EQ(normals->GetDirectArray().GetCount(), c.size);
        EXPECT_EQ(normals->GetMappingMode(), c.mode);
        EXPECT_EQ(normals->GetReferenceMode(), KQelLayerElement::eDirect);
    }
}

TEST(Geometry, SetControlPointAtNeedsNormalsAndGrowsBoth)
{
    KQelSdkManager manager;
    KQelShape geometry(manager);
    geometry.InitControlPoints(2);
    geometry.SetControlPointAt(KQelVector4(1, 2, 3, 1), KQelVector4(0, 0, 1, 1), 0);
    EXPECT_EQ(geometry.GetControlPoints()[0][0], 0.0);
    geometry.InitNormals(0);
    geometry.SetControlPointAt(KQelVector4(1, 2, 3, 1), KQelVector4(0, 0, 1, 1), 4);
    geometry.SetControlPointAt(KQelVector4(9, 9, 9, 1), KQelVector4(), -1);
    ASSERT_EQ(geometry.GetControlPointsCount(), 5);
    EXPECT_EQ(geometry.GetLayer(0)->GetNormals()->GetDirectArray().GetCount(), 5);
    ExpectVector(geometry.GetControlPoints()[4], 1, 2, 3);
    ExpectVector(geometry.GetNormals()[4], 0, 0, 1);
}

TEST(Geometry, ApplyPivotMovesPointsAndOnlyTurnsNormals)
{
    struct Case {
        const char* what;
        KQelVector4 scaling;
        KQelVector4 rotation;
        KQelVector4 pointX, pointY;    // images of (1, 0, 0) and (0, 1, 0)
        KQelVector4 normalX, normalY;  // images of the normals (1, 0, 0), (0, 1, 0)
    } cases[] = {
        {"scale X by 2, turn 90 about Z", {2, 1, 1, 1}, {0, 0, 90, 0}, {1, 4, 3, 0}, {0, 2, 3, 0}, {0, 1, 0, 0},
         {-1, 0, 0, 0}},
        {"mirror X", {-1, 1, 1, 1}, {0, 0, 0, 0}, {0, 2, 3, 0}, {1, 3, 3, 0}, {1, 0, 0, 0}, {0, -1, 0, 0}},
        {"flatten X", {0, 1, 1, 1}, {0, 0, 0, 0}, {1, 2, 3, 0}, {1, 3, 3, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KQelSdkManager manager;
        TestSurface geometry(manager);
        geometry.InitControlPoints(2);
        geometry.GetControlPoints()[0].Set(1, 0, 0, 7);
        geometry.GetControlPoints()[1].Set(0, 1, 0, 1);
        geometry.InitNormals(0);
        geometry.GetNormals()[0].Set(1, 0, 0, 1);
        geometry.GetNormals()[1].Set(0, 1, 0, 1);
        geometry.SetPivot(KQelXMatrix(KQelVector4(1, 2, 3, 1), c.rotation, c.scaling));
        geometry.ApplyPivot();
        ExpectVector(geometry.GetControlPoints()[0], c.pointX[0], c.pointX[1], c.pointX[2]);
        EXPECT_EQ(geometry.GetControlPoints()[0][3], 7.0);
        ExpectVector(geometry.GetControlPoints()[1], c.pointY[0], c.pointY[1], c.pointY[2]);
        ExpectVector(geometry.GetNormals()[0], c.normalX[0], c.normalX[1], c.normalX[2]);
        ExpectVector(geometry.GetNormals()[1], c.normalY[0], c.normalY[1], c.normalY[2]);
        EXPECT_NEAR(geometry.GetNormals()[1].Length(), 1.0, 1e-12);
    }
}

TEST(Geometry, AssignmentCopiesEverythingIntoNewObjects)
{
    KQelSdkManager manager;
    TestSurface source(manager);
    source.InitControlPoints(3);
    source.GetControlPoints()[2].Set(1, 2, 3, 1);
    source.InitNormals(0);
    KQelLink* link = manager.CreateKQelLink();
    link->AddControlPointIndex(2, 0.5);
    EXPECT_EQ(source.AddLink(link), 0);
    EXPECT_EQ(source.AddLink(link), 0);
    EXPECT_EQ(source.AddLink(nullptr), -1);
    KQelShape* shape = manager.CreateKQelShape();
    shape->InitControlPoints(3);
    shape->GetControlPoints()[1].Set(4, 5, 6, 1);
    source.AddShape(shape, "Smile");
    source.SetPivot(KQelXMatrix(KQelVector4(1, 0, 0, 1), KQelVector4(), KQelVector4(1, 1, 1, 1)));

    TestSurface copy(manager);
    copy.AddLink(manager.CreateKQelLink());
    copy.AddShape(manager.CreateKQelShape(), "Old");
    static_cast<KQelGeometry&>(copy) = source;
    ASSERT_EQ(copy.GetLinkCount(), 1);
    EXPECT_NE(copy.GetLink(0), link);
    EXPECT_EQ(copy.GetLink(0)->GetControlPointWeights()[0], 0.5);
    ASSERT_EQ(copy.GetShapeCount(), 1);
    EXPECT_NE(copy.GetShape(0), shape);
    EXPECT_STREQ(copy.GetShapeName(0), "Smile");
    ExpectVector(copy.GetShape(0)->GetControlPoints()[1], 4, 5, 6);
    ExpectVector(copy.GetControlPoints()[2], 1, 2, 3);
    EXPECT_NE(copy.GetNormals(), source.GetNormals());
    KQelXMatrix pivot;
    EXPECT_EQ(copy.GetPivot(pivot).GetT()[0], 1.0);
    // The replaced link and shape went back to the manager.
    EXPECT_EQ(manager.GetKQelLinkCount(), 2);

    KQelGeometry& itself = copy;
    itself = copy;
    EXPECT_EQ(copy.GetLinkCount(), 1);
    EXPECT_EQ(copy.GetShapeCount(), 1);
    EXPECT_EQ(copy.GetControlPointsCount(), 3);
    EXPECT_EQ(copy.GetLayerCount(), 1);
}

// Parts of a geometry are made on first use; until then it answers as a new
// one did, and an empty source copied over a full geometry empties it.
TEST(Geometry, AnUntouchedGeometryAnswersAsNewAndCopiesAsEmpty)
{
    KQelSdkManager manager;
    const std::vector<KQelGeometry* (*)(KQelSdkManager&)> kinds = {
        [](KQelSdkManager& m) -> KQelGeometry* { return m.CreateKQelMesh(); },
        [](KQelSdkManager& m) -> KQelGeometry* { return m.CreateKQelNurb(); },
        [](KQelSdkManager& m) -> KQelGeometry* { return m.CreateKQelPatch(); },
    };
    for (auto make : kinds) {
        KQelGeometry* empty = make(manager);
        KQelGeometry* full = make(manager);
        SCOPED_TRACE(empty->GetTypeName().Buffer());
        full->InitControlPoints(2);
        full->InitNormals(0);
        full->AddLink(manager.CreateKQelLink());
        full->AddShape(manager.CreateKQelShape(), "Smile");
        full->SetPivot(KQelXMatrix(KQelVector4(1, 0, 0, 1), KQelVector4(), KQelVector4(1, 1, 1, 1)));
        const int links = manager.GetKQelLinkCount();

        *full = *empty;
        for (KQelGeometry* geometry : {empty, full}) {
            EXPECT_EQ(geometry->GetControlPointsCount(), 0);
            EXPECT_EQ(geometry->GetControlPoints(), nullptr);
            EXPECT_EQ(geometry->GetLayerCount(), 0);
            EXPECT_EQ(geometry->GetLinkCount(), 0);
            EXPECT_EQ(geometry->GetShapeCount(), 0);
            EXPECT_EQ(geometry->GetLastErrorID(), -1);
            KQelXMatrix pivot;
            EXPECT_TRUE(geometry->GetPivot(pivot) == KQelXMatrix());
        }
        EXPECT_EQ(manager.GetKQelLinkCount(), links - 1);
        if (KQelMesh* mesh = dynamic_cast<KQelMesh*>(empty)) {
            EXPECT_EQ(mesh->GetPolygonCount(), 0);
            EXPECT_EQ(mesh->GetPolygonVertex(0, 0), -1);
        }
    }
}

}  // namespace
