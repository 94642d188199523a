// The finder walk and the bad-scale finder.
#include "scene/kqelnodefinder.h"

#include <cstdint>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "scene/kqelnode.h"
#include "scene/kqelnode_impl.h"

namespace qelsdk_600 {

// ---- KQelNodeFinder ----

KQelNodeFinder::KQelNodeFinder() : mRoot(nullptr), mFound(16) {}

KQelNodeFinder::~KQelNodeFinder() {}

void KQelNodeFinder::Reset()
{
    mFound.Clear();
}

void KQelNodeFinder::ApplyRecursive(KQelNode& pNode)
{
    KQelWalkTree(&pNode, [this](KQelNode* pVisited) {
        if (CheckNode(*pVisited))
            mFound.Add(pVisited);
        return eQelWalkDescend;
    });
}

KArrayTemplate<KQelNode*>& KQelNodeFinder::Apply(KQelNode& pNode)
{
    mRoot = &pNode;
    ApplyRecursive(pNode);
    return mFound;
}

// ---- KQelNodeFinderBadScale ----

namespace {

// Most samples one curve check takes: a longer span widens the step.
const std::uint64_t kMaxSamples = 1000000;

enum EScaleCheck : int { eScaleFine = 0, eScaleBone = 1, eScaleNegative = 2, eScaleNonUniform = 3 };

}  // namespace

KQelNodeFinderBadScale::KQelNodeFinderBadScale()
    : mCheckBoneScale(true),
      mCheckNegativeScale(true),
      mCheckNonUniformScale(true),
      mEpsilon(2.220446049250313e-16)
{
    mPeriod.SetSecondDouble(1.0 / 24.0);
    Reset();
}

KQelNodeFinderBadScale::~KQelNodeFinderBadScale() {}

void KQelNodeFinderBadScale::Reset()
{
    KQelNodeFinder::Reset();
    for (KArrayTemplate<KQelNode*>* array : {&mBoneScaleStatic, &mBoneScaleAnimated, &mNegativeScaleStatic,
                                             &mNegativeScaleAnimated, &mNonUniformScaleStatic,
                                             &mNonUniformScaleAnimated})
        array->Clear();
}

bool KQelNodeFinderBadScale::CheckNode(KQelNode& pNode)
{
    const bool checkBone = mCheckBoneScale;
    KQelNodeAttribute* attribute = pNode.GetNodeAttribute();
    mCheckBoneScale = checkBone && attribute && attribute->GetAttributeType() == KQelNodeAttribute::eSkeleton;
    bool reported = false;
    KQelTakeNode* defaultTake = pNode.GetDefaultTakeNode();
    if (defaultTake && defaultTake->GetKFCurveNode())
        reported = CheckKFCurveNode(pNode, *defaultTake->GetKFCurveNode(), mBoneScaleStatic, mNegativeScaleStatic,
                                    mNonUniformScaleStatic);
    const int current = pNode.GetCurrentTakeNodeIndex();
    if (current > 0 && current < pNode.GetTakeNodeCount()) {
        KQelTakeNode* take = pNode.GetTakeNode(current);
        if (take && take != defaultTake && take->GetKFCurveNode())
            reported = CheckKFCurveNode(pNode, *take->GetKFCurveNode(), mBoneScaleAnimated, mNegativeScaleAnimated,
                                        mNonUniformScaleAnimated) ||
                       reported;
    }
    mCheckBoneScale = checkBone;
    return reported;
}

bool KQelNodeFinderBadScale::CheckKFCurveNode(KQelNode& pNode, KFCurveNode& pCurveNode,
                                              KArrayTemplate<KQelNode*>& pBone,
                                              KArrayTemplate<KQelNode*>& pNegative,
                                              KArrayTemplate<KQelNode*>& pNonUniform)
{
    KFCurve* curves[3];
    GetCurve(pCurveNode, curves);
    const bool hasChildren = pNode.GetChildCount(false) > 0;
    switch (CheckCurve(curves)) {
    case eScaleBone:
        if (!hasChildren)
            return false;
        pBone.Add(&pNode);
        return true;
    case eScaleNegative:
        pNegative.Add(&pNode);
        return true;
    case eScaleNonUniform:
        if (!hasChildren)
            return false;
        pNonUniform.Add(&pNode);
        return true;
    default:
        return false;
    }
}

void KQelNodeFinderBadScale::GetCurve(KFCurveNode& pCurveNode, KFCurve** pCurves)
{
    static const char* const kComponents[] = {"X", "Y", "Z"};
    pCurves[0] = pCurves[1] = pCurves[2] = nullptr;
    KFCurveNode* scaling = pCurveNode.FindRecursive("S");
    if (!scaling)
        return;
    for (int i = 0; i < 3; ++i) {
        if (KFCurveNode* component = scaling->FindRecursive(kComponents[i]))
            pCurves[i] = component->FCurveGet();
    }
}

int KQelNodeFinderBadScale::CheckCurve(KFCurve** pCurves)
{
    double values[3];
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        if (pCurves[i])
            values[count++] = pCurves[i]->GetValue();
    }
    if (const int result = CheckValue(values, count))
        return result;

    bool any = false;
    KTime start = KTIME_INFINITE, stop = KTIME_MINUS_INFINITE;
    for (int i = 0; i < 3; ++i) {
        KFCurve* curve = pCurves[i];
        if (!curve || curve->KeyGetCount() == 0)
            continue;
        any = true;
        if (curve->KeyGetTime(0) < start)
            start = curve->KeyGetTime(0);
        if (curve->KeyGetTime(curve->KeyGetCount() - 1) > stop)
            stop = curve->KeyGetTime(curve->KeyGetCount() - 1);
    }
    if (!any || stop < start)
        return eScaleFine;

    // Offsets from start in unsigned ticks: no sum can wrap, even next to
    // the largest time, and a span of more periods than kMaxSamples is
    // sampled with a wider step.
    const std::uint64_t span = static_cast<std::uint64_t>(stop.Get()) - static_cast<std::uint64_t>(start.Get());
    std::uint64_t step = static_cast<std::uint64_t>(mPeriod.Get());
    if (span / step > kMaxSamples)
        step = span / kMaxSamples;
    int last[3] = {0, 0, 0};
    bool bone = false, nonUniform = false;
    for (std::uint64_t offset = 0;; offset += step) {
        const KTime time(static_cast<kLongLong>(static_cast<std::uint64_t>(start.Get()) + offset));
        count = 0;
        for (int i = 0; i < 3; ++i) {
            if (pCurves[i])
                values[count++] = pCurves[i]->Evaluate(time, &last[i]);
        }
        const int result = CheckValue(values, count);
        if (result == eScaleNegative)
            return eScaleNegative;
        bone = bone || result == eScaleBone;
        nonUniform = nonUniform || result == eScaleNonUniform;
        if (span - offset < step)
            break;
    }
    return nonUniform ? eScaleNonUniform : bone ? eScaleBone : eScaleFine;
}

int KQelNodeFinderBadScale::CheckValue(const double* pValues, int pCount)
{
    if (!pValues || pCount <= 0)
        return eScaleFine;
    const double first = pValues[0];
    for (int i = 0; i < pCount; ++i) {
        const double value = pValues[i];
        if (mCheckBoneScale && (value < 1.0 - mEpsilon || value > 1.0 + mEpsilon))
            return eScaleBone;
        if (mCheckNegativeScale && value < 0.0)
            return eScaleNegative;
        if (mCheckNonUniformScale && (value < first - mEpsilon || value > first + mEpsilon))
            return eScaleNonUniform;
    }
    return eScaleFine;
}

}  // namespace qelsdk_600
