// NURBS surfaces: the host's directions exchanged, forms, knots, display
// steps and weights.
#include <gtest/gtest.h>

#include <vesk/MDoubleArray.h>
#include <vesk/MFnBlendShapeDeformer.h>

#include "content/kqelnurb.h"
#include "export/shape_fixture.h"

using namespace qelsdk_600;

namespace {

// A surface of pU x pV control points whose CV (u, v) is (u, v, 0, w),
// with uniform knots and the weight 1 + u everywhere when rational; a
// periodic direction repeats its first CVs.
void MakeSurface(const char* pName, int pDegreeU, int pDegreeV, MFnNurbsSurface::Form pFormU,
                 MFnNurbsSurface::Form pFormV, int pU, int pV, bool pRational)
{
    MPointArray cvs;
    for (int u = 0; u < pU; ++u)
        for (int v = 0; v < pV; ++v) {
            const int su = pFormU == MFnNurbsSurface::kPeriodic && u >= pU - pDegreeU ? u - (pU - pDegreeU) : u;
            const int sv = pFormV == MFnNurbsSurface::kPeriodic && v >= pV - pDegreeV ? v - (pV - pDegreeV) : v;
            cvs.append(su, sv, 0, pRational ? 1.0 + su : 1.0);
        }
    MDoubleArray knotsU, knotsV;
    for (int i = 0; i < pU + pDegreeU - 1; ++i)
        knotsU.append(i);
    for (int i = 0; i < pV + pDegreeV - 1; ++i)
        knotsV.append(10 * i);
    MFnNurbsSurface surface;
    MStatus status;
    surface.create(cvs, knotsU, knotsV, static_cast<unsigned int>(pDegreeU), static_cast<unsigned int>(pDegreeV),
                   pFormU, pFormV, pRational, HostTest::make("transform", pName), &status);
    ASSERT_TRUE(status) << pName;
}

std::vector<double> Knots(const double* pKnots, int pCount)
{
    return std::vector<double>(pKnots, pKnots + pCount);
}

}  // namespace

TEST_F(ShapeTest, SurfacesExchangeTheHostDirections)
{
    const MFnNurbsSurface::Form open = MFnNurbsSurface::kOpen, closed = MFnNurbsSurface::kClosed,
                                periodic = MFnNurbsSurface::kPeriodic;
    const struct {
        const char* name;
        int degreeU, degreeV;
        MFnNurbsSurface::Form formU, formV;
        int cvsU, cvsV;
        double precision;  // "curvePrecisionShaded"
        bool rational;
        // SDK values: U from the host's V, V from the host's U.
        unsigned int orderU, orderV;
        int countU, countV;
        KQelNurb::ENurbType typeU, typeV;
        std::vector<double> knotsU, knotsV;
        int step;
    } cases[] = {
        {"periodic", 3, 1, periodic, open, 11, 2, 6, false, 2, 4, 2, 8, KQelNurb::kOpen, KQelNurb::kPeriodic,
         {-10, 0, 10, 20}, {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, 6},
        {"open", 3, 1, open, open, 4, 2, 40, true, 2, 4, 2, 4, KQelNurb::kOpen, KQelNurb::kOpen,
         {-10, 0, 10, 20}, {-1, 0, 1, 2, 3, 4, 5, 6}, 15},
        {"closed", 1, 2, closed, open, 3, 4, 4, false, 3, 2, 4, 3, KQelNurb::kOpen, KQelNurb::kOpen,
         {-10, 0, 10, 20, 30, 40, 50}, {-1, 0, 1, 2, 3}, 4},
    };
    for (const auto& c : cases) {
        MakeSurface(c.name, c.degreeU, c.degreeV, c.formU, c.formV, c.cvsU, c.cvsV, c.rational);
        vesk::fixture::setNumber(std::string(c.name) + "Shape.curvePrecisionShaded", c.precision);
    }
    ASSERT_TRUE(ExportAndRead());
    for (const auto& c : cases) {
        KQelNurb* nurb = Node(c.name)->GetNurb();
        ASSERT_NE(nurb, nullptr) << c.name;
        EXPECT_EQ(nurb->GetUOrder(), c.orderU) << c.name;
        EXPECT_EQ(nurb->GetVOrder(), c.orderV) << c.name;
        EXPECT_EQ(nurb->GetUCount(), c.countU) << c.name;
        EXPECT_EQ(nurb->GetVCount(), c.countV) << c.name;
        EXPECT_EQ(nurb->GetUType(), c.typeU) << c.name;
        EXPECT_EQ(nurb->GetVType(), c.typeV) << c.name;
        EXPECT_EQ(Knots(nurb->GetUKnotVector(), nurb->GetUKnotCount()), c.knotsU) << c.name;
        EXPECT_EQ(Knots(nurb->GetVKnotVector(), nurb->GetVKnotCount()), c.knotsV) << c.name;
        EXPECT_EQ(nurb->GetUStep(), c.step) << c.name;
        EXPECT_EQ(nurb->GetVStep(), c.step) << c.name;
        EXPECT_EQ(Node(c.name)->GetShadingMode(), KQelNode::eTextureShading) << c.name;
        // SDK point (u, v) at v * U count + u is host CV (v, u).
        ASSERT_EQ(nurb->GetControlPointsCount(), c.countU * c.countV) << c.name;
        const KQelVector4& p = nurb->GetControlPoints()[1 * c.countU + 0];
        EXPECT_EQ(std::vector<double>({p[0], p[1], p[3]}), std::vector<double>({1, 0, c.rational ? 2.0 : 1.0}))
            << c.name;
    }
}

TEST_F(ShapeTest, SurfacesAreReadWithoutTheirBlendShapeWhoseEnvelopeStays)
{
    vesk::fixture::makeShape("nurbsSurface", "base");
    vesk::fixture::makeShape("nurbsSurface", "target");
    MFnBlendShapeDeformer blend;
    blend.create(object("baseShape"));
    ASSERT_TRUE(blend.addTarget(object("baseShape"), 0, object("targetShape"), 1.0));
    blend.setEnvelope(0.75f);
    standin::clearLogs();
    ASSERT_TRUE(ExportAndRead());
    ASSERT_NE(Node("base")->GetNurb(), nullptr);
    EXPECT_EQ(blend.envelope(), 0.75f);
}
