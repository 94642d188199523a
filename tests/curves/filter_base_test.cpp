// The filter base: defaults, key bounds of the time range, and the walks
// over trees and arrays.
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvefilter.h"
#include "curves/kfcurvefilterconstantkeyreducer.h"
#include "curves/kfcurvefiltergimblekiller.h"
#include "curves/kfcurvefilterkeysync.h"
#include "curves/kfcurvefilterresample.h"
#include "curves/kfcurvefiltertimeshiftandscale.h"
#include "curves/kfcurvefilterunroll.h"
#include "curves/kfcurvenode.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;
using testing_curves::Sec;

// Records the curves it is given and fails on one chosen curve.
class ProbeFilter : public KFCurveFilter {
public:
    ProbeFilter() : KFCurveFilter("Probe", kTable, 2) { Reset(); }

    bool Apply(KFCurveNode& node, bool recursive) override { return KFCurveFilter::Apply(node, recursive); }
    bool Apply(KFCurve** curves, int count) override { return KFCurveFilter::Apply(curves, count); }
    bool Apply(KFCurve& curve) override
    {
        visited.push_back(&curve);
        if (&curve == failOn) {
            mError.SetLastError(1, "probe failed here");
            return false;
        }
        return true;
    }

    std::vector<KFCurve*> visited;
    KFCurve* failOn = nullptr;

private:
    static const char* const kTable[2];
};

const char* const ProbeFilter::kTable[2] = {"No key", "Failed"};

// "P" with children "A" (curve, with child "A1" holding a curve) and "B"
// (curve); P has a curve of its own.
struct SmallTree {
    SmallTree()
    {
        root.reset(KFCurveNodeCreate("P"));
        KFCurveNode* a = KFCurveNodeCreate("A");
        KFCurveNode* a1 = KFCurveNodeCreate("A1");
        KFCurveNode* b = KFCurveNodeCreate("B");
        a->Add(a1);
        root->Add(a);
        root->Add(b);
        for (KFCurveNode* node : {root.get(), a, a1, b})
            node->FCurveSet(KFCurveCreate(), false);
        rootCurve = root->FCurveGet();
        aCurve = a->FCurveGet();
        a1Curve = a1->FCurveGet();
        bCurve = b->FCurveGet();
    }

    struct Destroyer {
        void operator()(KFCurveNode* node) const { node->Destroy(); }
    };
    std::unique_ptr<KFCurveNode, Destroyer> root;
    KFCurve* rootCurve;
    KFCurve* aCurve;
    KFCurve* a1Curve;
    KFCurve* bCurve;
};

TEST(KFCurveFilter, NewFiltersCarryTheirNameAndTheWholeTimeLine)
{
    std::unique_ptr<KFCurveFilter> filters[] = {
        std::unique_ptr<KFCurveFilter>(new KFCurveFilterConstantKeyReducer),
        std::unique_ptr<KFCurveFilter>(new KFCurveFilterGimbleKiller),
        std::unique_ptr<KFCurveFilter>(new KFCurveFilterKeySync),
        std::unique_ptr<KFCurveFilter>(new KFCurveFilterResample),
        std::unique_ptr<KFCurveFilter>(new KFCurveFilterUnroll),
    };
    const char* names[] = {"Constant Key Reducer", "Gimble Killer", "FCurve Key Synchronizer", "FCurve Resample",
                           "Unroll Filter"};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_STREQ(filters[i]->GetName(), names[i]);
        EXPECT_EQ(filters[i]->GetStartTime().Get(), -9223372036854775807LL);
        EXPECT_EQ(filters[i]->GetStopTime().Get(), 9223372036854775807LL);
        EXPECT_EQ(filters[i]->GetLastErrorID(), -1);
    }
    // The shift filter does not reset: its times stay 0 (it never reads them).
    KFCurveFilterTimeShiftAndScale shift;
    EXPECT_STREQ(shift.GetName(), "TimeShiftAndScaleFilter");
    EXPECT_EQ(shift.GetStartTime().Get(), 0);
    EXPECT_EQ(shift.GetStopTime().Get(), 0);
}

TEST(KFCurveFilter, KeyBoundsFollowTheTimeRange)
{
    ProbeFilter filter;
    KFCurve empty;
    EXPECT_EQ(filter.GetStartKey(empty), -1);
    EXPECT_EQ(filter.GetStopKey(empty), -1);

    KFCurve two;
    FillUniform(two, kFCurveInterpolationLinear, 0, {{0.0, 0.0f}, {1.0, 1.0f}});
    EXPECT_EQ(filter.GetStartKey(two), 0);
    EXPECT_EQ(filter.GetStopKey(two), 2);
    KTime half = Sec(0.5);
    filter.SetStartTime(half);
    filter.SetStopTime(half);
    EXPECT_EQ(filter.GetStartKey(two), 0);  // index 0.5 - 1, raised to 0
    EXPECT_EQ(filter.GetStopKey(two), 1);

    // One key before the key at or before the start; one past the key at
    // or before the stop.
    KFCurve five;
    FillUniform(five, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {1, 0.0f}, {2, 0.0f}, {3, 0.0f}, {4, 0.0f}});
    KTime start = Sec(2.5);
    KTime stop = Sec(3.0);
    filter.SetStartTime(start);
    filter.SetStopTime(stop);
    EXPECT_EQ(filter.GetStartKey(five), 1);
    EXPECT_EQ(filter.GetStopKey(five), 4);
    filter.Reset();
    EXPECT_EQ(filter.GetStartKey(five), 0);
    EXPECT_EQ(filter.GetStopKey(five), 5);
}

TEST(KFCurveFilter, NodeWalkVisitsChildrenBeforeTheNodesOwnCurve)
{
    SmallTree tree;
    ProbeFilter filter;
    EXPECT_TRUE(filter.Apply(*tree.root, true));
    const std::vector<KFCurve*> expected = {tree.a1Curve, tree.aCurve, tree.bCurve, tree.rootCurve};
    EXPECT_EQ(filter.visited, expected);

    filter.visited.clear();
    EXPECT_TRUE(filter.Apply(*tree.root, false));
    EXPECT_EQ(filter.visited, std::vector<KFCurve*>{tree.rootCurve});

    std::unique_ptr<KFCurveNode, SmallTree::Destroyer> bare(KFCurveNodeCreate("Bare"));
    filter.visited.clear();
    EXPECT_TRUE(filter.Apply(*bare, true));
    EXPECT_TRUE(filter.visited.empty());
    EXPECT_FALSE(filter.NeedApply(*bare, true));
    EXPECT_TRUE(filter.NeedApply(*tree.root, true));
}

TEST(KFCurveFilter, WalksReportAMemberFailureAndStillVisitEveryMember)
{
    SmallTree tree;
    ProbeFilter filter;
    filter.failOn = tree.aCurve;
    EXPECT_FALSE(filter.Apply(*tree.root, true));
    EXPECT_EQ(filter.visited.size(), 4u);
    EXPECT_EQ(filter.GetLastErrorID(), 1);
    EXPECT_STREQ(filter.GetLastErrorString(), "probe failed here");

    KFCurve* curves[] = {tree.bCurve, tree.aCurve, nullptr, tree.rootCurve};
    filter.visited.clear();
    EXPECT_FALSE(filter.Apply(curves, 4));
    EXPECT_EQ(filter.visited.size(), 3u);  // the null entry is skipped
    filter.visited.clear();
    EXPECT_TRUE(filter.Apply(curves, 1));
    EXPECT_TRUE(filter.Apply(curves, 0));
    EXPECT_TRUE(filter.Apply(curves, -3));
    EXPECT_EQ(filter.visited.size(), 1u);
}

}  // namespace
}  // namespace qelsdk_600
