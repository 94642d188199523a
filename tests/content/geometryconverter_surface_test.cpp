#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "content/kqelgeometryconverter.h"
#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "content/kqelshape.h"
#include "content/kqelsurfaceevaluator.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

typedef std::vector<int> Corners;

// z = 9uv(1 - u)(1 - v) at u = x / 3, v = y / 3: the bicubic Bezier patch
// over P(i, j) = (i, j, z), z 1 on the four inner points.
double BumpHeight(double x, double y)
{
    const double u = x / 3, v = y / 3;
    return 9 * u * v * (1 - u) * (1 - v);
}

KQelPatch* BumpPatch(KQelSdkManager& pManager)
{
    KQelPatch* patch = pManager.CreateKQelPatch();
    patch->InitControlPoints(4, KQelPatch::eBezier, 4, KQelPatch::eBezier);
    patch->SetStep(2, 2);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            patch->GetControlPoints()[j * 4 + i].Set(i, j, i > 0 && i < 3 && j > 0 && j < 3 ? 1 : 0, 1);
    return patch;
}

// An open (or other form) 4 x 4 surface of order 4 over the unit square's
// plane, P(i, j) = (i / 3, j / 3, 0), with the given U knots (V: Bezier).
KQelNurb* PlaneNurb(KQelSdkManager& pManager, unsigned pOrder, int pForm, const std::vector<double>& pKnots)
{
    KQelNurb* nurb = pManager.CreateKQelNurb();
    nurb->SetOrder(pOrder, 4);
    nurb->InitControlPoints(4, static_cast<KQelNurb::ENurbType>(pForm), 4, KQelNurb::kOpen);
    nurb->SetStep(4, 4);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            nurb->GetControlPoints()[j * 4 + i].Set(i / 3.0, j / 3.0, 0, 1);
    for (int i = 0; i < nurb->GetUKnotCount() && i < static_cast<int>(pKnots.size()); ++i)
        nurb->GetUKnotVector()[i] = pKnots[i];
    for (int i = 0; i < 8; ++i)
        nurb->GetVKnotVector()[i] = i < 4 ? 0 : 1;
    return nurb;
}

Corners Triangle(KQelMesh& pMesh, int pPolygon)
{
    return {pMesh.GetPolygonVertex(pPolygon, 0), pMesh.GetPolygonVertex(pPolygon, 1),
            pMesh.GetPolygonVertex(pPolygon, 2)};
}

KQelVector2 CornerUV(KQelMesh& pMesh, int pPolygon, int pCorner)
{
    return pMesh.GetTextureUV()[pMesh.GetTextureUVIndex(pPolygon, pCorner)];
}

void ExpectUV(const KQelVector2& pUV, double pU, double pV)
{
    EXPECT_NEAR(pUV[0], pU, 1e-15);
    EXPECT_NEAR(pUV[1], pV, 1e-15);
}

TEST(SurfaceConversion, BicubicPatchTriangulatesOnItsClosedForm)
{
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    KQelMesh* mesh = converter.TriangulatePatch(BumpPatch(manager));
    ASSERT_EQ(mesh->GetControlPointsCount(), 49);
    for (int l = 0; l < 7; ++l)
        for (int k = 0; k < 7; ++k) {
            const KQelVector4& p = mesh->GetControlPoints()[l * 7 + k];
            const double u = k / 6.0, v = l / 6.0;
            EXPECT_NEAR(p[0], 3 * u, 1e-12);
            EXPECT_NEAR(p[1], 3 * v, 1e-12);
            EXPECT_NEAR(p[2], 9 * u * v * (1 - u) * (1 - v), 1e-12) << k << "," << l;
            EXPECT_EQ(p[3], 1.0);
            EXPECT_EQ(mesh->GetNormals()[l * 7 + k][3], 1.0);
        }
    EXPECT_NEAR(mesh->GetControlPoints()[24][2], 0.5625, 1e-12);
    ASSERT_EQ(mesh->GetPolygonCount(), 72);
    EXPECT_EQ(Triangle(*mesh, 0), (Corners{0, 7, 1}));
    EXPECT_EQ(Triangle(*mesh, 1), (Corners{1, 7, 8}));
    ExpectUV(CornerUV(*mesh, 0, 0), 0, 0);
    ExpectUV(CornerUV(*mesh, 0, 1), 0, 1 / 6.0);
    ExpectUV(CornerUV(*mesh, 0, 2), 1 / 6.0, 0);
    ExpectUV(CornerUV(*mesh, 71, 2), 1, 1);
    EXPECT_EQ(mesh->GetNormalsMappingMode(), KQelLayerElement::eByControlPoint);
    EXPECT_EQ(converter.TriangulatePatch(nullptr), nullptr);
    EXPECT_EQ(converter.TriangulateNurb(nullptr), nullptr);
}

TEST(SurfaceConversion, PatchAsNurbsLiesOnTheSameSurface)
{
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    KQelNurb* nurb = converter.ConvertPatchToNurb(BumpPatch(manager));
    ASSERT_NE(nurb, nullptr);
    nurb->SetStep(2, 2);
    KQelMesh* mesh = converter.TriangulateNurb(nurb);
    // One knot span per direction, two samples in it, one at its end.
    ASSERT_EQ(mesh->GetControlPointsCount(), 9);
    EXPECT_EQ(mesh->GetPolygonCount(), 8);
    for (int i = 0; i < 9; ++i) {
        const KQelVector4& p = mesh->GetControlPoints()[i];
        EXPECT_NEAR(p[2], BumpHeight(p[0], p[1]), 1e-9) << i;
    }
    EXPECT_NEAR(mesh->GetControlPoints()[4][2], 0.5625, 1e-7);
}

TEST(SurfaceConversion, LinkWeightsCarryOverToTheSamples)
{
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    KQelPatch* patch = BumpPatch(manager);
    KQelLink* link = manager.CreateKQelLink();
    link->SetLinkMode(KQelLink::eNormalize);
    for (int k = 0; k < 16; ++k)
        link->AddControlPointIndex(k, 0.5);
    link->AddControlPointIndex(99, 0.5);  // past the points: skipped
    patch->AddLink(link);

    KQelMesh* mesh = converter.TriangulatePatch(patch);
    ASSERT_EQ(mesh->GetLinkCount(), 1);
    KQelLink* made = mesh->GetLink(0);
    EXPECT_EQ(made->GetLinkMode(), KQelLink::eTotal1);
    ASSERT_EQ(made->GetControlPointIndicesCount(), 49);
    for (int i = 0; i < 49; ++i) {
        EXPECT_EQ(made->GetControlPointIndices()[i], i);
        EXPECT_NEAR(made->GetControlPointWeights()[i], 1.0, 1e-12);
    }
}

TEST(SurfaceConversion, ShapesAreSampledLikeTheSurface)
{
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    KQelPatch* patch = BumpPatch(manager);
    KQelShape* raised = manager.CreateKQelShape();
    raised->KQelGeometryBase::Copy(*patch);
    for (int i = 0; i < 16; ++i)
        raised->GetControlPoints()[i][2] += 1;
    patch->AddShape(raised, "Raised");
    KQelShape* partial = manager.CreateKQelShape();
    partial->InitControlPoints(15);  // fewer than the grid: not carried
    patch->AddShape(partial, "Partial");

    KQelMesh* mesh = converter.TriangulatePatch(patch);
    ASSERT_EQ(mesh->GetShapeCount(), 1);
    EXPECT_STREQ(mesh->GetShapeName(0), "Raised");
    KQelShape* shape = mesh->GetShape(0);
    ASSERT_EQ(shape->GetControlPointsCount(), 49);
    for (int i = 0; i < 49; ++i) {
        EXPECT_NEAR(shape->GetControlPoints()[i][2], mesh->GetControlPoints()[i][2] + 1, 1e-12);
        EXPECT_EQ(shape->GetControlPoints()[i][3], 1.0);
    }
}

TEST(SurfaceConversion, PatchTypesBecomeOrdersFormsAndKnots)
{
    typedef KQelPatch P;
    typedef KQelNurb N;
    struct Case {
        P::EPatchType uType, vType;
        int uCount, vCount;
        bool uClosed, vClosed;
        unsigned uOrder, vOrder;
        N::ENurbType uForm, vForm;
        std::vector<double> uKnots, vKnots;
    } cases[] = {
        {P::eBezier, P::eBezier, 4, 7, false, false, 4, 4, N::kOpen, N::kOpen,
         {0, 0, 0, 0, 1, 1, 1, 1}, {0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 2}},
        {P::eBSpline, P::eBSpline, 4, 4, true, false, 4, 4, N::kPeriodic, N::kOpen,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {0, 1, 2, 3, 4, 5, 6, 7}},
        {P::eLinear, P::eLinear, 4, 3, false, true, 2, 2, N::kOpen, N::kClosed,
         {0, 0, 1, 2, 3, 3}, {0, 0, 1, 2, 3, 3}},
        {P::eLinear, P::eBezier, 1, 1, false, true, 2, 4, N::kOpen, N::kOpen, {0, 0, 0}, {0, 0, 0, 0, 0}},
    };
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    for (const Case& c : cases) {
        KQelPatch* patch = manager.CreateKQelPatch();
        patch->InitControlPoints(c.uCount, c.uType, c.vCount, c.vType);
        patch->SetClosed(c.uClosed, c.vClosed);
        patch->SetStep(3, 5);
        patch->GetControlPoints()[0].Set(1, 2, 3, 0);
        KQelNurb* nurb = converter.ConvertPatchToNurb(patch);
        ASSERT_NE(nurb, nullptr);
        EXPECT_EQ(nurb->GetUOrder(), c.uOrder);
        EXPECT_EQ(nurb->GetVOrder(), c.vOrder);
        EXPECT_EQ(nurb->GetUType(), c.uForm);
        EXPECT_EQ(nurb->GetVType(), c.vForm);
        EXPECT_EQ(std::vector<double>(nurb->GetUKnotVector(), nurb->GetUKnotVector() + nurb->GetUKnotCount()),
                  c.uKnots);
        EXPECT_EQ(std::vector<double>(nurb->GetVKnotVector(), nurb->GetVKnotVector() + nurb->GetVKnotCount()),
                  c.vKnots);
        EXPECT_EQ(nurb->GetUStep(), 3);
        EXPECT_EQ(nurb->GetVStep(), 5);
        ASSERT_EQ(nurb->GetControlPointsCount(), c.uCount * c.vCount);
        EXPECT_EQ(nurb->GetControlPoints()[0][2], 3.0);
        EXPECT_EQ(nurb->GetControlPoints()[0][3], 1.0);
    }

    // No NURBS form for these types: nothing is made.
    for (P::EPatchType type : {P::eCardinal, P::eBezierQuadric, static_cast<P::EPatchType>(7)}) {
        KQelPatch* patch = manager.CreateKQelPatch();
        patch->InitControlPoints(4, P::eBezier, 4, type);
        const int attributes = manager.GetKQelNodeAttributeCount();
        EXPECT_EQ(converter.ConvertPatchToNurb(patch), nullptr) << type;
        EXPECT_EQ(manager.GetKQelNodeAttributeCount(), attributes);
    }
}

TEST(SurfaceConversion, ConversionCarriesShapesWithTheirWeightsRaised)
{
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    KQelPatch* patch = BumpPatch(manager);
    KQelShape* shape = manager.CreateKQelShape();
    shape->InitControlPoints(16);
    shape->GetControlPoints()[3].Set(0, 0, 2, 0.5);
    shape->InitNormals(0);
    patch->AddShape(shape, "Flat");
    patch->AddLink(manager.CreateKQelLink());

    KQelNurb* nurb = converter.ConvertPatchToNurb(patch);
    ASSERT_EQ(nurb->GetShapeCount(), 1);
    EXPECT_EQ(nurb->GetLinkCount(), 1);
    const KQelShape* copy = nurb->GetShape(0);
    EXPECT_EQ(copy->GetControlPoints()[0][3], 1.0);  // was 0.0
    EXPECT_EQ(copy->GetControlPoints()[3][3], 0.5);
    EXPECT_EQ(copy->GetLayer(0)->GetNormals()->GetDirectArray()[0][3], 1.0);
    EXPECT_EQ(shape->GetControlPoints()[0][3], 0.0);  // the patch's own shape is unchanged
}

TEST(SurfaceConversion, GridCellsBecomeTwoTrianglesAndWrapWhereClosed)
{
    struct Case {
        unsigned x, y;
        int modeU, modeV;
        bool flip;
        int triangles;
        Corners first, last;
        double lastU, lastV;  // UV of the last corner of the last triangle
    } cases[] = {
        {3, 2, 0, 0, false, 4, {0, 3, 1}, {2, 4, 5}, 1, 1},
        {3, 2, 0, 0, true, 4, {0, 1, 3}, {2, 5, 4}, 0.5, 1},
        {3, 2, 1, 0, false, 6, {0, 3, 1}, {0, 5, 3}, 1, 1},
        {3, 2, 1, 1, false, 12, {0, 3, 1}, {3, 2, 0}, 1, 1},
        {3, 1, 0, 1, false, 4, {0, 0, 1}, {2, 1, 2}, 1, 1},
        {1, 2, 0, 0, false, 0, {}, {}, 0, 0},  // one column, open: no cell
        {3, 1, 0, 0, false, 0, {}, {}, 0, 0},
        {4, 2, 0, 0, false, 0, {}, {}, 0, 0},  // more than the mesh's points
        {0, 0, 1, 1, false, 0, {}, {}, 0, 0},
    };
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    for (const Case& c : cases) {
        KQelMesh* mesh = manager.CreateKQelMesh();
        mesh->InitControlPoints(6);
        mesh->InitTextureUV(2);  // earlier UVs stay
        mesh->GetTextureUV()[1] = KQelVector2(7, 7);
        KQELSurfaceEvaluator* evaluator = KQELSurfaceEvaluatorCreate();
        evaluator->SetEvaluationModeU(c.modeU);
        evaluator->SetEvaluationModeV(c.modeV);
        converter.TriangulateContinuousSurface(mesh, evaluator, c.x, c.y, c.flip);
        evaluator->Destroy(0);
        const int last = mesh->GetPolygonCount() - 1;
        ASSERT_EQ(last + 1, c.triangles) << c.x << "x" << c.y << " " << c.modeU << c.modeV;
        EXPECT_EQ(mesh->GetTextureUVCount(), 2 + 2 * c.triangles);
        EXPECT_EQ(mesh->GetTextureUV()[1][0], 7.0);
        if (c.triangles == 0)
            continue;
        EXPECT_EQ(Triangle(*mesh, 0), c.first);
        EXPECT_EQ(Triangle(*mesh, last), c.last);
        ExpectUV(CornerUV(*mesh, last, 2), c.lastU, c.lastV);
        EXPECT_EQ(mesh->GetLayer(0)->GetUVs()->GetMappingMode(), KQelLayerElement::eByPolygonVertex);
    }
}

TEST(SurfaceConversion, HostilePatchesGiveMeshesWithoutPoints)
{
    struct Case {
        const char* what;
        int u, v, step;
        KQelPatch::EPatchType type;
        int points;
    } cases[] = {
        {"sane linear", 2, 2, 1, KQelPatch::eLinear, 4},
        {"counts 0", 0, 4, 2, KQelPatch::eBezier, 0},
        {"counts 1", 1, 1, 2, KQelPatch::eBezier, 0},
        {"linear counts 1", 1, 1, 2, KQelPatch::eLinear, 0},
        {"step 0", 4, 4, 0, KQelPatch::eBezier, 0},
        {"step -1", 4, 4, -1, KQelPatch::eBezier, 0},
        {"step 2^31 - 1", 4, 4, INT_MAX, KQelPatch::eBezier, 0},
        {"type 7", 4, 4, 2, static_cast<KQelPatch::EPatchType>(7), 0},
        {"type -1", 4, 4, 2, static_cast<KQelPatch::EPatchType>(-1), 0},
    };
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    for (const Case& c : cases) {
        KQelPatch* patch = manager.CreateKQelPatch();
        patch->InitControlPoints(c.u, c.type, c.v, c.type);
        patch->SetStep(c.step, c.step);
        KQelMesh* mesh = converter.TriangulatePatch(patch);
        ASSERT_NE(mesh, nullptr) << c.what;
        EXPECT_EQ(mesh->GetControlPointsCount(), c.points) << c.what;
        EXPECT_EQ(mesh->GetPolygonCount(), c.points ? 2 : 0) << c.what;
    }
    // Fewer control points than U x V: the evaluator would read past them.
    KQelPatch* patch = BumpPatch(manager);
    patch->KQelGeometryBase::InitControlPoints(15);
    EXPECT_EQ(converter.TriangulatePatch(patch)->GetControlPointsCount(), 0);
}

TEST(SurfaceConversion, HostileNurbsGiveTheRuledPointCounts)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> bezier = {0, 0, 0, 0, 1, 1, 1, 1};
    struct Case {
        const char* what;
        unsigned order;
        int form;
        std::vector<double> knots;
        int points;
    } cases[] = {
        {"open cubic", 4, KQelNurb::kOpen, bezier, 25},
        {"form 7 is open", 4, 7, bezier, 25},
        {"order 0", 0, KQelNurb::kOpen, {0, 0, 0, 0}, 0},
        {"order 0 closed", 0, KQelNurb::kClosed, {}, 0},
        {"order 5", 5, KQelNurb::kOpen, {0, 0, 0, 0, 0, 1, 1, 1, 1}, 0},
        {"order 2^31", 0x80000000u, KQelNurb::kOpen, {}, 0},
        {"interval of exactly 1e-8", 4, KQelNurb::kOpen, {0, 0, 0, 0, 1e-8, 1e-8, 1e-8, 1e-8}, 0},
        {"NaN knots", 4, KQelNurb::kOpen, std::vector<double>(8, nan), 0},
    };
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    for (const Case& c : cases) {
        KQelNurb* nurb = PlaneNurb(manager, 4, c.form, c.knots);
        nurb->SetOrder(c.order, 4);  // the vectors follow the order
        for (int i = 0; i < nurb->GetUKnotCount() && i < static_cast<int>(c.knots.size()); ++i)
            nurb->GetUKnotVector()[i] = c.knots[i];
        KQelMesh* mesh = converter.TriangulateNurb(nurb);
        ASSERT_NE(mesh, nullptr) << c.what;
        EXPECT_EQ(mesh->GetControlPointsCount(), c.points) << c.what;
        EXPECT_EQ(mesh->GetPolygonCount(), c.points ? 32 : 0) << c.what;
    }
    KQelNurb* nurb = PlaneNurb(manager, 4, KQelNurb::kOpen, bezier);
    nurb->KQelGeometryBase::InitControlPoints(15);
    EXPECT_EQ(converter.TriangulateNurb(nurb)->GetControlPointsCount(), 0);
}

}  // namespace
