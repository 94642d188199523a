// SDK function curves into host animation curves: key by key with the
// host's tangent types, or sampled when a key is TCB; onto plugs with their
// driven and locked cases.
#include <cmath>
#include <cstdint>
#include <limits>

#include <vesk/MFnTransform.h>
#include <vesk/MGlobal.h>
#include <vesk/MTime.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvekey.h"
#include "curves/kfcurveutils.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "import/qelveskimportfunctions.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelveskutility.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

const double kDoubleEpsilon = 2.220446049250313e-16;
// The time extent given to a weighted tangent whose segment has no length.
const double kEmptySegmentExtent = 0.33;
// Beyond this many samples a curve is converted key by key.
const std::uint64_t kMaxSamples = 10000000;
const double kRadiansToDegrees = 57.29577951308232;
const double kDegreesToRadians = 0.017453292519943295;

// ---- The key table ----

// Host tangent types.
const int kGlobal = MFnAnimCurve::kTangentGlobal;
const int kFixed = MFnAnimCurve::kTangentFixed;
const int kLinear = MFnAnimCurve::kTangentLinear;
const int kSmooth = MFnAnimCurve::kTangentSmooth;
const int kStep = MFnAnimCurve::kTangentStep;
const int kClamped = MFnAnimCurve::kTangentClamped;
// A side that keeps the type the previous key's out side had.
const int kCarried = -1;
// Linear when the key is left linear, else smooth.
const int kLinearElseSmooth = -2;

// The host tangent types and flags of one kind of SDK key.
struct KeyRow {
    kUInt mInterpolation;
    // The tangent mode of cubic keys; 0 for the other interpolations.
    kUInt mMode;
    int mIn;
    int mOut;
    // Tangents set from the curve's derivatives (a key of a linear row only
    // when it is not left linear).
    bool mExplicit;
    bool mKeepLocked;
};

const KeyRow kKeyRows[] = {
    {kFCurveInterpolationConstant, 0, kLinearElseSmooth, kStep, false, true},
    {kFCurveInterpolationLinear, 0, kLinearElseSmooth, kLinear, true, true},
    {kFCurveInterpolationCubic, kFCurveTangentAuto, kSmooth, kSmooth, false, true},
    {kFCurveInterpolationCubic, kFCurveTangentAutoBreak, kSmooth, kSmooth, false, true},
    {kFCurveInterpolationCubic, kFCurveTangentUser, kCarried, kFixed, true, true},
    {kFCurveInterpolationCubic, kFCurveTangentBreak, kCarried, kSmooth, true, false},
    {kFCurveInterpolationCubic, kFCurveTangentUserBreak, kCarried, kSmooth, true, false},
};
// Any other key, TCB keys converted one by one included.
const KeyRow kOtherKeyRow = {0, 0, kCarried, kCarried, false, true};

const KeyRow& RowOf(const KFCurveKey& pKey)
{
    const kUInt interpolation = pKey.GetInterpolation();
    const kUInt mode = interpolation == kFCurveInterpolationCubic ? pKey.GetTangeantMode() : 0;
    for (const KeyRow& row : kKeyRows)
        if (row.mInterpolation == interpolation && row.mMode == mode)
            return row;
    return kOtherKeyRow;
}

bool IsHundred(float pAuto)
{
    return std::fabs(static_cast<double>(pAuto) - 100.0) <= kDoubleEpsilon;
}

MTime Seconds(double pSeconds)
{
    return MTime(pSeconds, MTime::kSeconds);
}

// ---- Key by key ----

// What the tangents of one conversion share.
struct TangentFrame {
    KFCurve& mCurve;
    MFnAnimCurve& mHost;
    double mValueDivisor;
    double mSlopeDivisor;
    bool mWeighted;
    // Seconds per UI time unit, and UI time units per second (a float).
    double mRatio;
    float mUnitsPerSecond;
};

// One side's tangent of SDK key pKey onto host key pIndex, from the curve's
// derivative there (per second): (x, y) in UI time and UI output units.
void SetTangent(TangentFrame& pFrame, int pKey, unsigned int pIndex, bool pIn, int* pHint)
{
    KFCurve& curve = pFrame.mCurve;
    const KTime time = curve.KeyGetPtr(pKey)->GetTime();
    const double derivative =
        pIn ? curve.EvaluateLeftDerivative(time, pHint) : curve.EvaluateRightDerivative(time, pHint);
    double x, y;
    if (pFrame.mWeighted) {
        pFrame.mHost.setWeightsLocked(pIndex, false);
        const int last = curve.KeyGetCount() - 1;
        const int neighbour = pIn ? (pKey > 0 ? pKey - 1 : pKey) : (pKey < last ? pKey + 1 : pKey);
        const double segment =
            std::fabs(time.GetSecondDouble() - curve.KeyGetPtr(neighbour)->GetTime().GetSecondDouble());
        const double weight = pIn ? curve.KeyGetLeftTangeantWeight(pKey) : curve.KeyGetRightTangeantWeight(pKey);
        double extent = 3.0 * weight * segment;
        if (extent == 0.0)
            extent = kEmptySegmentExtent;
        x = extent * pFrame.mUnitsPerSecond;
        y = derivative / pFrame.mSlopeDivisor * extent / pFrame.mValueDivisor;
    } else {
        const double slope = derivative * pFrame.mRatio / pFrame.mSlopeDivisor;
        x = 1.0 / std::sqrt(1.0 + slope * slope);
        y = slope * x / pFrame.mValueDivisor;
    }
    pFrame.mHost.setTangent(pIndex, static_cast<float>(x), static_cast<float>(y), pIn);
}

MStatus ConvertKeyByKey(MFnAnimCurve& pHost, KFCurve& pCurve, double pValueDivisor, double pSlopeDivisor)
{
    TangentFrame frame = {pCurve,
                          pHost,
                          pValueDivisor,
                          pSlopeDivisor,
                          HasWeightedTangent(pCurve),
                          1.0 / QelVeskUtility::TimeUnitRatio(),
                          static_cast<float>(MTime(1.0, MTime::kSeconds).as(MTime::uiUnit()))};
    pHost.setIsWeighted(frame.mWeighted);
    const int count = pCurve.KeyGetCount();
    int inType = kGlobal;
    int outType = kGlobal;
    int hint = 0;
    for (int i = 0; i < count; ++i) {
        const KFCurveKey& key = *pCurve.KeyGetPtr(i);
        const KeyRow& row = RowOf(key);
        const bool leftLinear = IsHundred(pCurve.KeyGetLeftAuto(i));
        inType = outType;
        if (row.mIn != kCarried)
            inType = row.mIn == kLinearElseSmooth ? (leftLinear ? kLinear : kSmooth) : row.mIn;
        if (row.mOut != kCarried)
            outType = row.mOut;
        const bool explicitTangents = row.mExplicit && !(row.mIn == kLinearElseSmooth && leftLinear);
        if (key.GetInterpolation() == kFCurveInterpolationCubic) {
            if (leftLinear)
                inType = kLinear;
            if (IsHundred(pCurve.KeyGetRightAuto(i)))
                outType = kLinear;
        }
        const bool first = i == 0;
        const bool last = i == count - 1;
        if (first) {
            inType = outType;
        } else if (last) {
            if (outType == kSmooth)
                inType = outType = kClamped;
            else
                outType = inType;
        }

        MStatus added;
        const unsigned int index =
            pHost.addKey(Seconds(key.GetTime().GetSecondDouble()), key.GetValue() / pValueDivisor,
                         static_cast<MFnAnimCurve::TangentType>(inType),
                         static_cast<MFnAnimCurve::TangentType>(outType), nullptr, &added);
        if (!added)
            return MStatus::kFailure;
        const bool lockAtEnd = (row.mKeepLocked && inType == outType) || first || last;
        pHost.setTangentsLocked(index, false);
        if (explicitTangents) {
            SetTangent(frame, i, index, true, &hint);
            SetTangent(frame, i, index, false, &hint);
        }
        pHost.setTangentsLocked(index, lockAtEnd);
    }
    return MStatus::kSuccess;
}

// ---- Sampling ----

// The import's sampling period in ticks; 0 when the rate gives none (not a
// positive number, or a period under one tick or past the tick range).
long long SamplingTicks()
{
    const double rate = QelVeskUserParams::Instance()->GetResamplingRate(true);
    if (!(rate > 0.0) || !std::isfinite(rate))
        return 0;
    KTime period;
    period.SetSecondDouble(1.0 / rate);
    return period.Get() > 0 && period.Get() < KTime::kInfiniteTicks ? period.Get() : 0;
}

// The sample times over a span of keys: the first key's time snapped down to
// a whole period, then one period after another up to the first at or after
// the last key. All in ticks, without overflow: samples past the tick range
// are left out.
struct SampleGrid {
    long long mStart;
    long long mPeriod;
    std::uint64_t mCount;

    long long Time(std::uint64_t pSample) const
    {
        return static_cast<long long>(static_cast<std::uint64_t>(mStart) +
                                      pSample * static_cast<std::uint64_t>(mPeriod));
    }
};

// False when there is no period or the span needs more than kMaxSamples.
bool MakeGrid(long long pFirst, long long pLast, long long pPeriod, SampleGrid& pGrid)
{
    if (pPeriod <= 0)
        return false;
    long long start = pFirst - pFirst % pPeriod;
    if (start > pFirst && start >= std::numeric_limits<long long>::min() + pPeriod)
        start -= pPeriod;
    const std::uint64_t period = static_cast<std::uint64_t>(pPeriod);
    const std::uint64_t span =
        pLast > start ? static_cast<std::uint64_t>(pLast) - static_cast<std::uint64_t>(start) : 0;
    const std::uint64_t count = span / period + (span % period != 0 ? 2 : 1);
    if (count > kMaxSamples)
        return false;
    const std::uint64_t room =
        (static_cast<std::uint64_t>(std::numeric_limits<long long>::max()) - static_cast<std::uint64_t>(start)) /
        period;
    pGrid.mStart = start;
    pGrid.mPeriod = pPeriod;
    pGrid.mCount = count - 1 > room ? room + 1 : count;
    return true;
}

bool GridOfKeys(KFCurve& pCurve, long long pPeriod, SampleGrid& pGrid)
{
    const int count = pCurve.KeyGetCount();
    return count > 0 && MakeGrid(pCurve.KeyGetPtr(0)->GetTime().Get(),
                                 pCurve.KeyGetPtr(count - 1)->GetTime().Get(), pPeriod, pGrid);
}

MStatus ConvertSamples(MFnAnimCurve& pHost, KFCurve& pCurve, double pValueDivisor, const SampleGrid& pGrid)
{
    int hint = 0;
    for (std::uint64_t k = 0; k < pGrid.mCount; ++k) {
        const KTime time(pGrid.Time(k));
        MStatus added;
        pHost.addKey(Seconds(time.GetSecondDouble()), pCurve.Evaluate(time, &hint) / pValueDivisor,
                     MFnAnimCurve::kTangentGlobal, MFnAnimCurve::kTangentGlobal, nullptr, &added);
        if (!added)
            return MStatus::kFailure;
    }
    return MStatus::kSuccess;
}

void RemoveAllKeys(MFnAnimCurve& pHost)
{
    for (unsigned int i = pHost.numKeys(); i > 0; --i)
        pHost.remove(i - 1);
}

}  // namespace

MStatus QelVeskImport::SetVeskCurve(MFnAnimCurve& pHostCurve, KFCurve& pCurve, double pValueDivisor,
                                    double pSlopeDivisor, MStatus* pStatus)
{
    if (pCurve.KeyGetCount() > 0)
        return WriteVeskKeys(pHostCurve, pCurve, pValueDivisor, pSlopeDivisor, pHostCurve.name().asChar());
    if (pStatus && !*pStatus)
        return MStatus::kSuccess;
    // Removing from the end moves one key each time; the last key stays.
    for (unsigned int i = pHostCurve.numKeys(); i > 1; --i)
        pHostCurve.remove(i - 2);
    if (pHostCurve.numKeys() == 0)
        return MStatus::kSuccess;
    pHostCurve.setTime(0, Seconds(0.0));
    pHostCurve.setValue(0, pCurve.GetValue() / pValueDivisor);
    return MStatus::kSuccess;
}

MStatus QelVeskImport::WriteVeskKeys(MFnAnimCurve& pHostCurve, KFCurve& pCurve, double pValueDivisor,
                                     double pSlopeDivisor, const char* pName)
{
    RemoveAllKeys(pHostCurve);
    int counts[7];
    KFCurveUtils::GetInterpolationAndTangeantCount(pCurve, counts);
    if (counts[6] == 0)
        return ConvertKeyByKey(pHostCurve, pCurve, pValueDivisor, pSlopeDivisor);
    SampleGrid grid;
    if (GridOfKeys(pCurve, SamplingTicks(), grid))
        return ConvertSamples(pHostCurve, pCurve, pValueDivisor, grid);
    KString line(pName);
    line += ": the curve cannot be sampled at the import sampling rate; its keys are converted one by one.";
    Log(line.Buffer());
    return ConvertKeyByKey(pHostCurve, pCurve, pValueDivisor, pSlopeDivisor);
}

MStatus QelVeskImport::SetVeskCurve(MPlug& pPlug, KFCurve& pCurve, MFnAnimCurve::AnimCurveType pType,
                                    double pValueDivisor, double pSlopeDivisor)
{
    MStatus bound;
    MFnAnimCurve host(pPlug, &bound);
    const bool noKeys = pCurve.KeyGetCount() == 0;
    const int code = noKeys ? static_cast<int>(MStatus::kNotFound) : static_cast<int>(bound.statusCode());
    if (IsDriven(pPlug))
        return bound;
    if (code == MStatus::kSuccess) {
        WriteVeskKeys(host, pCurve, pValueDivisor, pSlopeDivisor, pPlug.name().asChar());
        return bound;
    }
    if (code != MStatus::kNotFound)
        return MStatus::kFailure;
    if (!noKeys) {
        MStatus made;
        host.create(pPlug, pType, nullptr, &made);
        if (made) {
            WriteVeskKeys(host, pCurve, pValueDivisor, pSlopeDivisor, pPlug.name().asChar());
            return made;
        }
    }
    return SetLockedVeskCurve(pPlug, pCurve, pType, pValueDivisor, pSlopeDivisor);
}

MStatus QelVeskImport::SetLockedVeskCurve(MPlug& pPlug, KFCurve& pCurve, MFnAnimCurve::AnimCurveType pType,
                                          double pValueDivisor, double pSlopeDivisor)
{
    const bool noKeys = pCurve.KeyGetCount() == 0;
    MStatus last;
    if (!pPlug.isLocked(&last))
        return noKeys ? last : MStatus(MStatus::kFailure);

    const MString name = pPlug.name();
    KString line(name.asChar());
    line += ": this attribute is locked. Cannot transfer ";
    line += noKeys ? "data." : "animation data.";
    Log(line.Buffer());
    const bool showUI = Setting(QelVeskUserParams::kImportShowUI);
    if (!showUI)
        mLockedAttributeAnswer = Setting(QelVeskUserParams::kSetLockedAttrib) ? 2 : 0;
    if (mLockedAttributeAnswer == 1 && showUI) {
        KString message(name.asChar());
        message += ": this attribute is locked. Cannot transfer ";
        message += noKeys ? "data.\\n\\n" : "animation data.\\n\\n";
        message += "NOTE: Clicking 'Unlock All' or 'Keep All Locked' will silence this dialog\\n";
        message += "      until the end of the import (the affected attributes will still be printed in the log "
                   "file).\\n";
        QelVesk3ButtonDialog dialog;
        dialog.Title("QEL import Warning");
        dialog.Message(message);
        dialog.Button(0, " Unlock All ");
        dialog.Button(1, " Unlock ");
        dialog.Button(2, " Keep All Locked ");
        mLockedAttributeAnswer = dialog.Pop();
    }
    if (mLockedAttributeAnswer >= 2)
        return last;

    last = pPlug.setLocked(false);
    if (!last)
        return last;
    MFnAnimCurve host;
    if (!noKeys) {
        host.create(pPlug, pType, nullptr, &last);
        if (last) {
            WriteVeskKeys(host, pCurve, pValueDivisor, pSlopeDivisor, name.asChar());
            return last;
        }
    }
    // Locked through a compound above it.
    MStatus found;
    MPlug parent = pPlug.parent(&found);
    if (!found || parent.isNull())
        return MStatus::kFailure;
    last = parent.setLocked(false);
    if (!last || noKeys)
        return last;
    host.create(pPlug, pType, nullptr, &last);
    if (!last)
        return MStatus::kFailure;
    WriteVeskKeys(host, pCurve, pValueDivisor, pSlopeDivisor, name.asChar());
    return last;
}

MStatus QelVeskImport::SetVeskCurve(MFnTransform& pTransform, const char* pAttribute, KFCurve& pCurve,
                                    MFnAnimCurve::AnimCurveType pType, double pValueDivisor, double pSlopeDivisor,
                                    MStatus* pStatus)
{
    MStatus found;
    MPlug plug = pTransform.findPlug(pAttribute, &found);
    if (pStatus)
        *pStatus = found;
    if (!found || plug.isNull())
        return MStatus::kFailure;
    const MStatus result = SetVeskCurve(plug, pCurve, pType, pValueDivisor, pSlopeDivisor);
    if (pStatus)
        *pStatus = result;
    return result;
}

int QelVeskImport::GetInfinityType(int pMode) const
{
    static const struct {
        int mExtrapolation;
        MFnAnimCurve::InfinityType mInfinity;
    } kInfinities[] = {
        {kFCurveExtrapolationConstant, MFnAnimCurve::kConstant},
        {kFCurveExtrapolationRepetition, MFnAnimCurve::kCycle},
        {kFCurveExtrapolationMirrorRepetition, MFnAnimCurve::kCycleRelative},
        {kFCurveExtrapolationKeepSlope, MFnAnimCurve::kLinear},
    };
    for (const auto& row : kInfinities)
        if (row.mExtrapolation == pMode)
            return row.mInfinity;
    return MFnAnimCurve::kConstant;
}

MStatus QelVeskImport::SetRotationVeskCurve(MFnTransform& pTransform, KFCurve** pCurves,
                                            MEulerRotation::RotationOrder pOrder)
{
    static const char* const kPlugs[3] = {"rotateX", "rotateY", "rotateZ"};
    MPlug plugs[3];
    MFnAnimCurve hosts[3];
    int codes[3];
    KFCurve* curves[3] = {nullptr, nullptr, nullptr};
    bool anyKeys = false;
    long long first = 0, last = 0;
    for (int axis = 0; axis < 3; ++axis) {
        MStatus status;
        plugs[axis] = pTransform.findPlug(kPlugs[axis], &status);
        if (status && !plugs[axis].isNull())
            hosts[axis] = MFnAnimCurve(plugs[axis], &status);
        codes[axis] = static_cast<int>(status.statusCode());
        curves[axis] = pCurves ? pCurves[axis] : nullptr;
        const int keys = curves[axis] ? curves[axis]->KeyGetCount() : 0;
        if (keys == 0)
            continue;
        const long long start = curves[axis]->KeyGetPtr(0)->GetTime().Get();
        const long long end = curves[axis]->KeyGetPtr(keys - 1)->GetTime().Get();
        first = !anyKeys || start < first ? start : first;
        last = !anyKeys || end > last ? end : last;
        anyKeys = true;
    }
    if (!anyKeys) {
        // The curves go; the rotate plugs stay, as every transform has them.
        for (int axis = 0; axis < 3; ++axis)
            if (codes[axis] == MStatus::kSuccess)
                MGlobal::deleteNode(hosts[axis].object());
        return MStatus::kSuccess;
    }

    bool usable[3];
    for (int axis = 0; axis < 3; ++axis) {
        usable[axis] = codes[axis] == MStatus::kSuccess;
        if (usable[axis]) {
            RemoveAllKeys(hosts[axis]);
        } else if (codes[axis] == MStatus::kNotFound) {
            MStatus made;
            hosts[axis].create(plugs[axis], MFnAnimCurve::kAnimCurveTA, nullptr, &made);
            usable[axis] = static_cast<bool>(made);
        }
    }
    SampleGrid grid;
    if (!MakeGrid(first, last, SamplingTicks(), grid)) {
        KString line(pTransform.name().asChar());
        line += ": the rotation curves cannot be sampled at the import sampling rate; their keys are converted "
                "one by one.";
        Log(line.Buffer());
        for (int axis = 0; axis < 3; ++axis)
            if (usable[axis] && curves[axis] && curves[axis]->KeyGetCount() > 0)
                ConvertKeyByKey(hosts[axis], *curves[axis], kRadiansToDegrees, UiAngleIn(MAngle::kRadians));
        return MStatus::kSuccess;
    }
    int hints[3] = {0, 0, 0};
    for (std::uint64_t k = 0; k < grid.mCount; ++k) {
        const KTime time(grid.Time(k));
        double angles[3];
        for (int axis = 0; axis < 3; ++axis)
            angles[axis] = curves[axis] ? curves[axis]->Evaluate(time, &hints[axis]) * kDegreesToRadians : 0.0;
        const MEulerRotation rotation =
            MEulerRotation(angles[0], angles[1], angles[2], MEulerRotation::kXYZ).reorder(pOrder);
        const double values[3] = {rotation.x, rotation.y, rotation.z};
        for (int axis = 0; axis < 3; ++axis)
            if (usable[axis])
                hosts[axis].addKey(Seconds(time.GetSecondDouble()), values[axis]);
    }
    return MStatus::kSuccess;
}
