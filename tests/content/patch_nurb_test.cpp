#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

std::vector<double> Knots(KQelNurb& pNurb, bool pU)
{
    const double* knots = pU ? pNurb.GetUKnotVector() : pNurb.GetVKnotVector();
    const int count = pU ? pNurb.GetUKnotCount() : pNurb.GetVKnotCount();
    return knots ? std::vector<double>(knots, knots + count) : std::vector<double>();
}

TEST(Patch, InitSizesTheGridAndAssignmentCopiesEveryField)
{
    KQelSdkManager manager;
    KQelPatch* patch = manager.CreateKQelPatch();
    EXPECT_STREQ(patch->GetTypeName(), "Patch");
    EXPECT_EQ(patch->GetUType(), KQelPatch::eLinear);
    EXPECT_EQ(patch->GetSurfaceMode(), KQelGeometry::eHigh);

    // Counts that no point array can back are refused whole.
    struct Case {
        int u, v, points, uCount, vCount;
    } cases[] = {{4, 3, 12, 4, 3}, {-3, 4, 0, 0, 4}, {-2, -2, 0, 0, 0}, {70000, 70000, 0, 0, 0}, {INT_MAX, 2, 0, 0, 0}};
    for (const Case& c : cases) {
        patch->InitControlPoints(c.u, KQelPatch::eBezier, c.v, KQelPatch::eBSpline);
        EXPECT_EQ(patch->GetControlPointsCount(), c.points) << c.u << "x" << c.v;
        EXPECT_EQ(patch->GetUCount(), c.uCount);
        EXPECT_EQ(patch->GetVCount(), c.vCount);
        EXPECT_EQ(patch->GetVType(), KQelPatch::eBSpline);
    }

    patch->InitControlPoints(3, KQelPatch::eCardinal, 2, KQelPatch::eBezierQuadric);
    patch->GetControlPoints()[5].Set(1, 2, 3, 1);
    patch->SetStep(5, 6);
    patch->SetClosed(true, false);
    patch->SetUCapped(false, true);
    patch->SetVCapped(true, false);
    patch->SetSurfaceMode(KQelGeometry::eLow);
    KQelPatch* copy = manager.CreateKQelPatch();
    *copy = *patch;
    *copy = *copy;
    EXPECT_EQ(copy->GetUType(), KQelPatch::eCardinal);
    EXPECT_EQ(copy->GetVType(), KQelPatch::eBezierQuadric);
    EXPECT_EQ(copy->GetUCount() * 10 + copy->GetVCount(), 32);
    EXPECT_EQ(copy->GetUStep() * 10 + copy->GetVStep(), 56);
    EXPECT_TRUE(copy->GetUClosed() && !copy->GetVClosed());
    EXPECT_TRUE(!copy->GetUCappedBottom() && copy->GetUCappedTop() && copy->GetVCappedBottom() &&
                !copy->GetVCappedTop());
    EXPECT_EQ(copy->GetSurfaceMode(), KQelGeometry::eLow);
    ASSERT_EQ(copy->GetControlPointsCount(), 6);
    EXPECT_EQ(copy->GetControlPoints()[5][2], 3.0);
}

TEST(Nurb, KnotCountsFollowOrderCountAndForm)
{
    KQelSdkManager manager;
    KQelNurb* nurb = manager.CreateKQelNurb();
    EXPECT_STREQ(nurb->GetTypeName(), "Nurb");
    EXPECT_EQ(nurb->GetUKnotVector(), nullptr);
    EXPECT_EQ(nurb->GetUKnotCount(), 0);

    struct Case {
        unsigned order;
        int count;
        int form;
        int knots;
    } cases[] = {
        {4, 6, KQelNurb::kOpen, 10},     {3, 5, KQelNurb::kPeriodic, 10}, {3, 5, KQelNurb::kClosed, 10},
        {4, 6, 7, 10},                   // any other form is open
        {0, 4, KQelNurb::kOpen, 4},      {0, 4, KQelNurb::kPeriodic, 3},
        {0, 0, KQelNurb::kPeriodic, 0},  // -1 is no vector, not -1 entries
        {0, 1, KQelNurb::kClosed, 0},
    };
    for (const Case& c : cases) {
        nurb->SetOrder(c.order, 2);
        nurb->InitControlPoints(c.count, static_cast<KQelNurb::ENurbType>(c.form), 2, KQelNurb::kOpen);
        EXPECT_EQ(nurb->GetUKnotCount(), c.knots) << c.order << " " << c.count << " " << c.form;
        EXPECT_EQ(nurb->GetUKnotVector() != nullptr, c.knots > 0);
        EXPECT_EQ(Knots(*nurb, true), std::vector<double>(c.knots, 0.0));
        EXPECT_EQ(nurb->GetControlPointsCount(), 2 * c.count);
        if (c.count > 0) {
            EXPECT_EQ(std::vector<int>(nurb->GetUMultiplicityVector(), nurb->GetUMultiplicityVector() + c.count),
                      std::vector<int>(c.count, 1));
        }
    }
}

TEST(Nurb, SetOrderResizesExistingKnotVectors)
{
    KQelSdkManager manager;
    KQelNurb* nurb = manager.CreateKQelNurb();
    nurb->SetOrder(2, 1);
    nurb->SetOrder(2, 1);  // no vectors yet: only stored
    EXPECT_EQ(nurb->GetUKnotVector(), nullptr);
    nurb->InitControlPoints(4, KQelNurb::kOpen, 3, KQelNurb::kPeriodic);
    for (int i = 0; i < 6; ++i)
        nurb->GetUKnotVector()[i] = i + 1;
    nurb->SetOrder(4, 3);
    EXPECT_EQ(Knots(*nurb, true), (std::vector<double>{1, 2, 3, 4, 5, 6, 0, 0}));
    EXPECT_EQ(Knots(*nurb, false), std::vector<double>(8, 0.0));
    nurb->SetOrder(1, 3);
    EXPECT_EQ(Knots(*nurb, true), (std::vector<double>{1, 2, 3, 4, 5}));

    // A copy reads exactly the knots the vectors hold.
    KQelNurb* copy = manager.CreateKQelNurb();
    *copy = *nurb;
    EXPECT_EQ(Knots(*copy, true), Knots(*nurb, true));
    copy->GetUKnotVector()[0] = 9;
    EXPECT_EQ(nurb->GetUKnotVector()[0], 1.0);

    // An order whose knots cannot be held leaves counts 0 and no vectors;
    // the points stay.
    nurb->SetOrder(0x80000000u, 3);
    EXPECT_EQ(nurb->GetUCount(), 0);
    EXPECT_EQ(nurb->GetVCount(), 0);
    EXPECT_EQ(nurb->GetUKnotVector(), nullptr);
    EXPECT_EQ(nurb->GetVKnotVector(), nullptr);
    EXPECT_EQ(nurb->GetUMultiplicityVector(), nullptr);
    EXPECT_EQ(nurb->GetUKnotCount(), 0);
    EXPECT_EQ(nurb->GetControlPointsCount(), 12);
}

TEST(Nurb, OversizedOrNegativeCountsAreRefused)
{
    KQelSdkManager manager;
    KQelNurb* nurb = manager.CreateKQelNurb();
    struct Case {
        unsigned order;
        int u, v, uCount, vCount, points;
    } cases[] = {
        {4, 70000, 70000, 0, 0, 0},      // U x V past 2^31 - 1
        {0x7FFFFFF0u, 4, 4, 0, 0, 0},    // knots past the storage bound
        {0x80000000u, 4, 4, 0, 0, 0},    // knots past 2^31 - 1
        {4, -5, 3, 0, 3, 0},
    };
    for (const Case& c : cases) {
        nurb->SetOrder(c.order, 2);
        nurb->InitControlPoints(c.u, KQelNurb::kOpen, c.v, KQelNurb::kOpen);
        EXPECT_EQ(nurb->GetUCount(), c.uCount) << c.order << " " << c.u;
        EXPECT_EQ(nurb->GetVCount(), c.vCount);
        EXPECT_EQ(nurb->GetControlPointsCount(), c.points);
        EXPECT_EQ(nurb->GetUMultiplicityVector(), nullptr);
    }
}

TEST(Nurb, AssignmentCopiesFieldsIntoVectorsOfItsOwn)
{
    KQelSdkManager manager;
    KQelNurb* nurb = manager.CreateKQelNurb();
    nurb->SetOrder(3, 2);
    nurb->InitControlPoints(3, KQelNurb::kClosed, 2, KQelNurb::kOpen);
    nurb->SetStep(7, 8);
    nurb->SetSurfaceMode(KQelGeometry::eRaw);
    nurb->SetApplyFlipUV(true);
    nurb->SetApplyFlipLinks(true);
    for (int i = 0; i < 8; ++i)
        nurb->GetUKnotVector()[i] = 0.5 * i;
    nurb->GetVMultiplicityVector()[1] = 2;
    nurb->GetControlPoints()[4].Set(1, 2, 3, 0.5);

    KQelNurb* copy = manager.CreateKQelNurb();
    *copy = *nurb;
    *nurb = *nurb;  // itself: the vectors must survive
    for (KQelNurb* surface : {nurb, copy}) {
        EXPECT_EQ(surface->GetUOrder(), 3u);
        EXPECT_EQ(surface->GetVOrder(), 2u);
        EXPECT_EQ(surface->GetUType(), KQelNurb::kClosed);
        EXPECT_EQ(surface->GetUStep(), 7);
        EXPECT_EQ(surface->GetVStep(), 8);
        EXPECT_EQ(surface->GetSurfaceMode(), KQelGeometry::eRaw);
        EXPECT_TRUE(surface->GetApplyFlipUV() && surface->GetApplyFlipLinks());
        EXPECT_EQ(Knots(*surface, true), (std::vector<double>{0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5}));
        EXPECT_EQ(surface->GetVMultiplicityVector()[1], 2);
        EXPECT_EQ(surface->GetControlPoints()[4][3], 0.5);
    }
    EXPECT_NE(copy->GetUKnotVector(), nurb->GetUKnotVector());

    // Reset keeps the points.
    nurb->Reset();
    EXPECT_EQ(nurb->GetUKnotVector(), nullptr);
    EXPECT_EQ(nurb->GetUType(), KQelNurb::kOpen);
    EXPECT_EQ(nurb->GetControlPointsCount(), 6);
}

TEST(Nurb, NodesCarryAndCopySurfaces)
{
    KQelSdkManager manager;
    KQelNode* node = manager.CreateKQelNode("Sheet");
    KQelNurb* nurb = manager.CreateKQelNurb();
    nurb->SetOrder(2, 2);
    nurb->InitControlPoints(2, KQelNurb::kOpen, 2, KQelNurb::kOpen);
    node->SetNodeAttribute(nurb);
    EXPECT_EQ(node->GetNurb(), nurb);
    EXPECT_EQ(node->GetGeometry(), nurb);
    EXPECT_EQ(node->GetPatch(), nullptr);
    EXPECT_EQ(node->GetMesh(), nullptr);

    KQelNode* other = manager.CreateKQelNode("Copy");
    *other = *node;
    ASSERT_NE(other->GetNurb(), nullptr);
    EXPECT_NE(other->GetNurb(), nurb);
    EXPECT_EQ(other->GetNurb()->GetUKnotCount(), 4);

    KQelPatch* patch = manager.CreateKQelPatch();
    patch->InitControlPoints(2, KQelPatch::eBezier, 1, KQelPatch::eBezier);
    node->SetNodeAttribute(patch);
    EXPECT_EQ(node->GetPatch(), patch);
    EXPECT_EQ(node->GetNurb(), nullptr);
    *other = *node;
    ASSERT_NE(other->GetPatch(), nullptr);
    EXPECT_EQ(other->GetPatch()->GetUCount(), 2);
}

}  // namespace
