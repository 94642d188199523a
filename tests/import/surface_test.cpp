// NURBS surfaces: the host layout worked out from an SDK surface, and the
// host surface of a NURBS node.
#include "import_fixture.h"

#include <vesk/MDoubleArray.h>
#include <vesk/MPointArray.h>

#include "content/kqelnurb.h"
#include "foundation/message_log.h"

using namespace qelsdk_600;

namespace {

// A surface whose point (u, v) is (u, v, 0); the knots of each direction
// are 0, 1, 2, ... scaled by the step, with knot pBadKnot (when >= 0) of U
// moved by 0.5.
KQelNurb* surface(KQelSdkManager& pManager, int pUCount, KQelNurb::ENurbType pUType, unsigned int pUOrder,
                  int pVCount, KQelNurb::ENurbType pVType, unsigned int pVOrder, double pStep = 1.0,
                  int pBadKnot = -1)
{
    KQelNurb* nurb = pManager.CreateKQelNurb();
    nurb->SetOrder(pUOrder, pVOrder);
    nurb->InitControlPoints(pUCount, pUType, pVCount, pVType);
    for (int i = 0; i < nurb->GetControlPointsCount(); ++i)
        nurb->GetControlPoints()[i] = KQelVector4(i % pUCount, i / pUCount, 0, 2);
    for (int i = 0; i < nurb->GetUKnotCount(); ++i)
        nurb->GetUKnotVector()[i] = i * pStep + (i == pBadKnot ? 0.5 : 0.0);
    for (int i = 0; i < nurb->GetVKnotCount(); ++i)
        nurb->GetVKnotVector()[i] = i * pStep;
    return nurb;
}

TEST_F(ImportTest, SurfaceLayoutSwapsDirectionsWritesWrapAroundAndTrimsKnots)
{
    const KQelNurb::ENurbType open = KQelNurb::kOpen, periodic = KQelNurb::kPeriodic;
    const struct {
        const char* name;
        int uCount;
        KQelNurb::ENurbType uType;
        unsigned int uOrder;
        double step;
        int badKnot;
        // Expected: rows x row length, host U and V knot counts and forms,
        // the SDK U flag.
        unsigned int rows, rowLength, uKnots, vKnots;
        int uForm, vForm;
        bool uOpened;
        double firstVKnot;
    } rows[] = {
        {"open bicubic", 4, open, 4, 1.0, -1, 5, 4, 7, 6, 1, 1, false, 1.0},
        {"periodic, even knots", 6, periodic, 4, 1.0, -1, 5, 9, 7, 11, 1, 3, false, 1.0},
        {"periodic, one uneven gap", 6, periodic, 4, 1.0, 6, 5, 9, 7, 11, 1, 1, true, 1.0},
        {"periodic, knots a third apart", 6, periodic, 4, 1.0 / 3.0, -1, 5, 9, 7, 11, 1, 1, true, 0.333333},
        {"periodic of order 1", 6, periodic, 1, 1.0, -1, 5, 6, 7, 5, 1, 3, false, 1.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        KQelNurb* nurb = surface(mImport->GetManager(), row.uCount, row.uType, row.uOrder, 5, open, 4, row.step,
                                 row.badKnot);
        MPointArray cvs;
        MDoubleArray uKnots, vKnots;
        int uDegree = 0, vDegree = 0, uForm = 0, vForm = 0;
        MStatus status(MStatus::kFailure);
        bool uOpened = true, vOpened = true;
        ASSERT_TRUE(mImport->GetNURBData(nurb, nurb->GetControlPoints(), nurb->GetControlPointsCount(), cvs, uKnots,
                                         vKnots, uDegree, vDegree, uForm, vForm, &status, &uOpened, &vOpened));
        EXPECT_EQ(cvs.length(), row.rows * row.rowLength);
        ASSERT_GT(cvs.length(), row.rowLength);
        // The row's first point repeats after its last; the second row is SDK V 1.
        EXPECT_EQ(cvs[row.rowLength - 1].x, (row.rowLength - 1) % static_cast<unsigned int>(row.uCount));
        EXPECT_EQ(cvs[row.rowLength].y, 1.0);
        EXPECT_EQ(cvs[0].w, 1.0);
        EXPECT_TRUE(status);
        EXPECT_EQ(std::vector<unsigned int>({uKnots.length(), vKnots.length()}),
                  std::vector<unsigned int>({row.uKnots, row.vKnots}));
        EXPECT_EQ(std::vector<int>({uDegree, vDegree, uForm, vForm}),
                  std::vector<int>({3, static_cast<int>(row.uOrder) - 1, row.uForm, row.vForm}));
        EXPECT_EQ(std::vector<bool>({uOpened, vOpened}), std::vector<bool>({row.uOpened, false}));
        EXPECT_EQ(vKnots[0], row.firstVKnot);
    }

    // Layouts that would read past the points or knots make nothing.
    const struct {
        const char* name;
        int uCount;
        unsigned int uOrder;
        int points;
    } refused[] = {{"one point, order 1", 1, 1, 5}, {"wrap longer than the row", 3, 5, 15}, {"too few points", 4, 4, 19}};
    for (const auto& row : refused) {
        SCOPED_TRACE(row.name);
        KQelNurb* nurb = surface(mImport->GetManager(), row.uCount, periodic, row.uOrder, 5, open, 4);
        MPointArray cvs;
        MDoubleArray uKnots, vKnots;
        int degree = 0, form = 0;
        EXPECT_FALSE(mImport->GetNURBData(nurb, nurb->GetControlPoints(), row.points, cvs, uKnots, vKnots, degree,
                                          degree, form, form, nullptr, nullptr, nullptr));
        EXPECT_EQ(cvs.length(), 0u);
    }
}

TEST_F(ImportTest, SurfaceNodesTakeTheLargerStepAndRefusedLayoutsMakeNoSurface)
{
    KQelNurb* good = surface(mImport->GetManager(), 4, KQelNurb::kOpen, 4, 5, KQelNurb::kOpen, 4, 1e300);
    good->SetStep(2, 5);
    node("Good", nullptr, good);
    QelVeskNode* bad = node("Bad", nullptr, surface(mImport->GetManager(), 1, KQelNurb::kPeriodic, 1, 1,
                                                        KQelNurb::kPeriodic, 1));
    vesk::MessageLog::clear();
    build();
    EXPECT_EQ(dumpLines("curvePrecisionShaded"),
              std::vector<std::string>{"attr \"|Good|GoodShape\" curvePrecisionShaded = - 5"});
    EXPECT_EQ(dumpLines("^nurbs \"[^\"]*\" = "), std::vector<std::string>{"nurbs \"|Good|GoodShape\" = 3 3 1 1 5 4 1"});
    EXPECT_EQ(dumpLines("^node \"\\|Bad"), (std::vector<std::string>{"node \"|Bad\" = \"transform\" 109",
                                                                    "node \"|Bad\" paths = \"|Bad\"",
                                                                    "node \"|Bad\" children =",
                                                                    "node \"|Bad\" intermediate = 0"}));
    EXPECT_NE(bad->GetDagPath(), nullptr);
    EXPECT_EQ(vesk::MessageLog::last(), "Cannot create Nurb: Failure");
}

}  // namespace
