// Host animation curves into SDK curves: key by key, the host's tangent
// types turned into interpolations and tangent modes, or resampled at the
// export sampling rate.
#include <cmath>
#include <limits>

#include <vesk/MAngle.h>
#include <vesk/MDistance.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnTransform.h>
#include <vesk/MTime.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvefilterconstantkeyreducer.h"
#include "curves/kfcurvenode.h"
#include "export/qelveskexport.h"
#include "export/qelveskexport_impl.h"
#include "object/kpropertytemplate.h"
#include "plugin/qelveskuserparams.h"
#include "plugin/qelveskutility.h"

using namespace qelsdk_600;

// The value step, by host curve type, below which a key whose out-tangent
// is clamped yields a linear key.
static const double sgClampThreshold[9] = {0.001, 0.001, 0.001, 0.001, 0.001, 0.001, 0.001, 0.001, 0.001};

namespace {

const double kDefaultSamplingRate = 30.0;
// Tangents whose x is this close to 0 count as x = 1.
const double kTangentEpsilon = 2.220446049250313e-16;
// Beyond this many samples a curve is converted key by key.
const unsigned long long kMaxSamples = 10000000ULL;
const float kNoAuto = std::numeric_limits<float>::quiet_NaN();

enum EHostCurveType : int { kTimeToAngle = 0, kTimeToDistance = 1, kFirstUnitlessInput = 4, kLastUnitlessInput = 7 };

// ---- Units of host tangents ----

// What one unit of a host tangent's x and y is worth: seconds (input units
// for unitless-input curves) and internal value units.
struct TangentUnits {
    double mSecondsPerX;
    double mInternalPerY;
};

TangentUnits UnitsOf(int pCurveType)
{
    TangentUnits units = {1.0, 1.0};
    if (pCurveType < kFirstUnitlessInput || pCurveType > kLastUnitlessInput)
        units.mSecondsPerX = 1.0 / QelVeskUtility::TimeUnitRatio();
    if (pCurveType == kTimeToAngle)
        units.mInternalPerY = MAngle(1.0, MAngle::uiUnit()).as(MAngle::internalUnit());
    else if (pCurveType == kTimeToDistance)
        units.mInternalPerY = MDistance(1.0, MDistance::uiUnit()).as(MDistance::internalUnit());
    return units;
}

// One side's tangent: its time extent in seconds and its slope in internal
// units per second, before the caller's factor.
struct Tangent {
    double mSeconds;
    double mSlope;
};

Tangent ReadTangent(MFnAnimCurve& pCurve, unsigned int pIndex, bool pIn, const TangentUnits& pUnits)
{
    float x = 1.0f, y = 0.0f;
    pCurve.getTangent(pIndex, x, y, pIn);
    double hostX = x;
    if (std::fabs(hostX) <= kTangentEpsilon)
        hostX = 1.0;
    const double seconds = hostX * pUnits.mSecondsPerX;
    return Tangent{seconds, static_cast<double>(y) * pUnits.mInternalPerY / seconds};
}

float ToFloat(double pValue)
{
    return detail::SaturateToFloat(pValue);
}

// The weight of a tangent extent over a segment; the default weight for a
// segment without length.
float WeightOf(double pExtent, double pSegment)
{
    return pSegment > 0.0 ? ToFloat(pExtent / (3.0 * pSegment)) : kFCurveDefaultWeight;
}

// ---- Key by key ----

// How a key's out-tangent type shapes its right side.
enum class EInterpolationRule { kPrevious, kCubic, kLinearBeforeLinear, kConstant, kLinearOnSmallStep };
enum class EModeRule { kPrevious, kUserLockedElseBroken, kAuto, kUser, kNone };
struct OutRow {
    EInterpolationRule mInterpolation;
    EModeRule mMode;
    // The right derivative is the out slope (else 0).
    bool mSlope;
    // Auto values set after the key (kNoAuto: none).
    float mRightAuto;
    float mLeftAuto;
};

// By host tangent type 0 to 8; types above 8 take row 6.
const OutRow kOutRows[9] = {
    {EInterpolationRule::kPrevious, EModeRule::kPrevious, true, kNoAuto, kNoAuto},                 // global
    {EInterpolationRule::kCubic, EModeRule::kUserLockedElseBroken, true, kNoAuto, kNoAuto},        // fixed
    {EInterpolationRule::kLinearBeforeLinear, EModeRule::kAuto, true, 100.0f, kNoAuto},           // linear
    {EInterpolationRule::kCubic, EModeRule::kUser, false, kNoAuto, kNoAuto},                       // flat
    {EInterpolationRule::kCubic, EModeRule::kAuto, true, 0.0f, 0.0f},                              // smooth
    {EInterpolationRule::kConstant, EModeRule::kAuto, false, kNoAuto, 100.0f},                     // step
    {EInterpolationRule::kCubic, EModeRule::kNone, false, kNoAuto, kNoAuto},                       // slow
    {EInterpolationRule::kCubic, EModeRule::kNone, false, kNoAuto, kNoAuto},                       // fast
    {EInterpolationRule::kLinearOnSmallStep, EModeRule::kUser, true, kNoAuto, kNoAuto},           // clamped
};

const OutRow& OutRowOf(int pType)
{
    return kOutRows[pType >= 0 && pType <= 8 ? pType : MFnAnimCurve::kTangentSlow];
}

// How a key's in-tangent type shapes its left side, by type 0 to 8.
enum class EInRule { kNone, kSlope, kZero, kAuto100, kAuto0 };
const EInRule kInRules[9] = {EInRule::kNone,  EInRule::kSlope, EInRule::kAuto100,
                             EInRule::kZero,  EInRule::kAuto0, EInRule::kZero,
                             EInRule::kNone,  EInRule::kNone,  EInRule::kSlope};

bool IsSlowOrFast(int pType)
{
    return pType == MFnAnimCurve::kTangentSlow || pType == MFnAnimCurve::kTangentFast;
}

// What is read once of each host key.
struct HostKey {
    double mSeconds;
    double mValue;
    int mOutType;
};

HostKey ReadKey(MFnAnimCurve& pCurve, unsigned int pIndex)
{
    return HostKey{pCurve.time(pIndex).as(MTime::kSeconds), pCurve.value(pIndex),
                   static_cast<int>(pCurve.outTangentType(pIndex))};
}

KTime TimeOf(double pSeconds)
{
    KTime time;
    time.SetSecondDouble(pSeconds);
    return time;
}

void CopyKeys(MFnAnimCurve& pHost, KFCurve& pCurve, double pFactor, int pCount)
{
    const int curveType = static_cast<int>(pHost.animCurveType());
    const TangentUnits units = UnitsOf(curveType);
    const double threshold = sgClampThreshold[curveType >= 0 && curveType <= 8 ? curveType : 8];
    const bool weighted = pHost.isWeighted();

    pCurve.KeyModifyBegin(pCount);
    pCurve.KeyModifyEnd(pCount);
    // Fewer when memory ran out: only the keys that have room are filled.
    const int count = pCurve.KeyGetCount() < pCount ? pCurve.KeyGetCount() : pCount;
    if (count == 0)
        return;
    pCurve.KeyModifyBegin();

    kUInt interpolation = 0, mode = 0;
    HostKey next = ReadKey(pHost, 0);
    Tangent nextIn = ReadTangent(pHost, 0, true, units);
    for (int i = 0; i < count; ++i) {
        const unsigned int index = static_cast<unsigned int>(i);
        const HostKey key = next;
        const Tangent in = nextIn;
        const bool last = i == count - 1;
        if (!last) {
            next = ReadKey(pHost, index + 1);
            nextIn = ReadTangent(pHost, index + 1, true, units);
        }
        const double segment = last ? 0.0 : next.mSeconds - key.mSeconds;
        const Tangent out = ReadTangent(pHost, index, false, units);
        const OutRow& row = OutRowOf(key.mOutType);

        switch (row.mInterpolation) {
        case EInterpolationRule::kPrevious:
            break;
        case EInterpolationRule::kCubic:
            interpolation = kFCurveInterpolationCubic;
            break;
        case EInterpolationRule::kLinearBeforeLinear:
            interpolation = last || next.mOutType == MFnAnimCurve::kTangentLinear ? kFCurveInterpolationLinear
                                                                                   : kFCurveInterpolationCubic;
            break;
        case EInterpolationRule::kConstant:
            interpolation = kFCurveInterpolationConstant;
            break;
        case EInterpolationRule::kLinearOnSmallStep: {
            const double step = last ? 2.0 * std::fabs(key.mValue) : std::fabs(next.mValue - key.mValue);
            interpolation = step < threshold ? kFCurveInterpolationLinear : kFCurveInterpolationCubic;
            break;
        }
        }
        switch (row.mMode) {
        case EModeRule::kPrevious:
            break;
        case EModeRule::kUserLockedElseBroken:
            mode = pHost.tangentsLocked(index) ? kFCurveTangentUser : kFCurveTangentUserBreak;
            break;
        case EModeRule::kAuto:
            mode = kFCurveTangentAuto;
            break;
        case EModeRule::kUser:
            mode = kFCurveTangentUser;
            break;
        case EModeRule::kNone:
            mode = 0;
            break;
        }
        // A first key of type "global" has nothing to follow: it becomes
        // smooth, the type the host stores for "global".
        if (interpolation == 0) {
            interpolation = kFCurveInterpolationCubic;
            mode = kFCurveTangentAuto;
        }

        const double right = row.mSlope ? out.mSlope * pFactor : 0.0;
        const double nextLeft = last ? 0.0 : nextIn.mSlope * pFactor;
        pCurve.KeyGetPtr(i)->Set(TimeOf(key.mSeconds), ToFloat(key.mValue * pFactor), interpolation, mode,
                                 ToFloat(right), ToFloat(nextLeft), 0, kFCurveDefaultWeight, kFCurveDefaultWeight,
                                 0.0f, 0.0f);
        // Every side of a weighted curve keeps its own extent (there is no
        // right weight after the last key).
        if (weighted && !last) {
            pCurve.KeySetRightTangeantWeight(i, WeightOf(out.mSeconds, segment));
            pCurve.KeySetLeftTangeantWeight(i + 1, WeightOf(nextIn.mSeconds, segment));
        }
        if (interpolation == kFCurveInterpolationConstant)
            pCurve.KeyGetPtr(i)->SetConstantMode(kFCurveConstantStandard);
        if (!std::isnan(row.mRightAuto))
            pCurve.KeySetRightAuto(i, row.mRightAuto);
        if (!std::isnan(row.mLeftAuto))
            pCurve.KeySetLeftAuto(i, row.mLeftAuto);

        const int inType = static_cast<int>(pHost.inTangentType(index));
        switch (inType >= 0 && inType <= 8 ? kInRules[inType] : EInRule::kNone) {
        case EInRule::kNone:
            break;
        case EInRule::kSlope:
            pCurve.KeySetLeftDerivative(i, ToFloat(in.mSlope * pFactor));
            break;
        case EInRule::kZero:
            pCurve.KeySetLeftDerivative(i, 0.0f);
            break;
        case EInRule::kAuto100:
            pCurve.KeySetLeftAuto(i, 100.0f);
            break;
        case EInRule::kAuto0:
            pCurve.KeySetLeftAuto(i, 0.0f);
            break;
        }
    }
    pCurve.KeyModifyEnd();
}

// ---- Resampling ----

// Sample times start, start + period, ... while below last + period: the
// last sample lies at or after the last key. Ticks throughout, in 64 bits.
struct SamplingGrid {
    long long mStart;
    long long mPeriod;
    // Whole periods from start to the last key (room is made for two more).
    unsigned long long mPeriods;
    unsigned long long mSamples;

    long long Time(unsigned long long pSample) const
    {
        const unsigned long long offset = pSample * static_cast<unsigned long long>(mPeriod);
        const unsigned long long room =
            static_cast<unsigned long long>(KTime::kInfiniteTicks) - static_cast<unsigned long long>(mStart);
        return offset >= room ? KTime::kInfiniteTicks
                              : static_cast<long long>(static_cast<unsigned long long>(mStart) + offset);
    }
};

// The grid from the first to the last key time; false when it would need
// more than kMaxSamples samples. No samples when the keys lie within one
// period of the start.
bool MakeGrid(KTime pFirst, KTime pLast, KTime pPeriod, SamplingGrid& pGrid)
{
    const long long period = pPeriod.Get();
    const long long first = pFirst.Get();
    // Snapped down, also before time 0.
    long long start = first - first % period;
    if (first % period < 0 && start >= KTime::kMinusInfiniteTicks + period)
        start -= period;
    const long long last = pLast.Get() > start ? pLast.Get() : start;
    const unsigned long long span = static_cast<unsigned long long>(last) - static_cast<unsigned long long>(start);
    pGrid.mStart = start;
    pGrid.mPeriod = period;
    pGrid.mPeriods = span / static_cast<unsigned long long>(period);
    pGrid.mSamples = 0;
    if (pGrid.mPeriods > kMaxSamples)
        return false;
    if (pGrid.mPeriods > 0)
        pGrid.mSamples = pGrid.mPeriods + (span % static_cast<unsigned long long>(period) != 0 ? 2 : 1);
    return true;
}

// Reserves the grid's room in the curve; false (the curve as it was) when
// memory runs out.
bool BeginSamples(KFCurve& pCurve, const SamplingGrid& pGrid)
{
    if (pCurve.KeyModifyBegin(static_cast<int>(pGrid.mPeriods + 2)))
        return true;
    pCurve.KeyModifyEnd();
    return false;
}

void SetSample(KFCurve& pCurve, unsigned long long pSample, long long pTicks, double pValue)
{
    pCurve.KeyGetPtr(static_cast<int>(pSample))
        ->Set(KTime(pTicks), ToFloat(pValue), kFCurveInterpolationCubic, kFCurveTangentAuto, 0.0f, 0.0f, 0,
              kFCurveDefaultWeight, kFCurveDefaultWeight, 0.0f, 0.0f);
}

double Evaluate(MFnAnimCurve& pCurve, long long pTicks)
{
    return pCurve.evaluate(MTime(KTime(pTicks).GetSecondDouble(), MTime::kSeconds));
}

enum class EResampled { kWritten, kNothing, kTooManySamples };

EResampled Resample(MFnAnimCurve& pHost, KFCurve& pCurve, double pFactor, int pCount)
{
    SamplingGrid grid;
    const KTime first = TimeOf(pHost.time(0).as(MTime::kSeconds));
    const KTime last = TimeOf(pHost.time(static_cast<unsigned int>(pCount - 1)).as(MTime::kSeconds));
    if (!MakeGrid(first, last, export_detail::SamplingPeriod(), grid))
        return EResampled::kTooManySamples;
    if (grid.mSamples == 0 || !BeginSamples(pCurve, grid))
        return EResampled::kNothing;
    for (unsigned long long k = 0; k < grid.mSamples; ++k) {
        const long long ticks = grid.Time(k);
        SetSample(pCurve, k, ticks, Evaluate(pHost, ticks) * pFactor);
    }
    pCurve.KeyModifyEnd(static_cast<int>(grid.mSamples));
    return EResampled::kWritten;
}

void ReduceConstantKeys(KFCurve& pCurve)
{
    if (!export_detail::BoolSetting(KQelUserParams::kExportApplyCstKeyRed))
        return;
    KFCurveFilterConstantKeyReducer reducer;
    reducer.SetKeepFirstAndLastKeys(true);
    reducer.Apply(pCurve);
}

// The curve of pCurves' child pChild and its child pGrandChild, or null.
KFCurve* ChildCurve(KFCurveNode& pCurves, const char* pChild, const char* pGrandChild)
{
    KFCurveNode* child = pChild ? pCurves.FindRecursive(pChild) : &pCurves;
    KFCurveNode* grandChild = child ? child->FindRecursive(pGrandChild) : nullptr;
    return grandChild ? grandChild->FCurveGet() : nullptr;
}

}  // namespace

namespace export_detail {

KTime SamplingPeriod()
{
    const double rate = QelVeskUserParams::Instance()->GetResamplingRate(false);
    KTime period;
    if (std::isfinite(rate) && rate > 0.0) {
        period.SetSecondDouble(1.0 / rate);
        if (period.Get() >= 1 && period.Get() < KTime::kInfiniteTicks)
            return period;
    }
    period.SetSecondDouble(1.0 / kDefaultSamplingRate);
    return period;
}

}  // namespace export_detail

void QelVeskExport::SetFCurve(MFnAnimCurve& pHostCurve, KFCurve& pCurve, bool pResample, double pFactor)
{
    const unsigned int keys = pHostCurve.numKeys();
    if (keys == 0)
        return;
    // The SDK's key indices are ints.
    const int count = keys > static_cast<unsigned int>(std::numeric_limits<int>::max())
                          ? std::numeric_limits<int>::max()
                          : static_cast<int>(keys);
    for (int i = 0; i < count && !pResample; ++i)
        pResample = IsSlowOrFast(static_cast<int>(pHostCurve.inTangentType(static_cast<unsigned int>(i))));
    if (pResample) {
        const EResampled resampled = Resample(pHostCurve, pCurve, pFactor, count);
        if (resampled == EResampled::kNothing)
            return;
        if (resampled == EResampled::kTooManySamples)
            CopyKeys(pHostCurve, pCurve, pFactor, count);
    } else {
        CopyKeys(pHostCurve, pCurve, pFactor, count);
    }
    ReduceConstantKeys(pCurve);
}

void QelVeskExport::SetFCurve(const MFnTransform& pTransform, const char* pPlugName, KFCurveNode& pCurves,
                              const char* pChild, const char* pGrandChild, bool pResample, double pFactor)
{
    MStatus status;
    const MPlug plug = pTransform.findPlug(pPlugName, &status);
    if (!status || plug.isNull())
        return;
    MFnAnimCurve hostCurve(plug, &status);
    if (!status)
        return;
    if (KFCurve* curve = ChildCurve(pCurves, pChild, pGrandChild))
        SetFCurve(hostCurve, *curve, pResample, pFactor);
}

void QelVeskExport::ConvertVeskCurve(const MFnTransform& pTransform, KFCurveNode& pCurves, bool pResample)
{
    static const struct {
        const char* mPlug;
        const char* mChild;
        const char* mGrandChild;
        double mFactor;
    } kChannels[] = {
        {"translateX", "T", "X", 1.0},
        {"translateY", "T", "Y", 1.0},
        {"translateZ", "T", "Z", 1.0},
        {"scaleX", "S", "X", 1.0},
        {"scaleY", "S", "Y", 1.0},
        {"scaleZ", "S", "Z", 1.0},
        {"rotateX", "R", "X", sgRadiansToDegrees},
        {"rotateY", "R", "Y", sgRadiansToDegrees},
        {"rotateZ", "R", "Z", sgRadiansToDegrees},
    };
    for (const auto& channel : kChannels)
        SetFCurve(pTransform, channel.mPlug, pCurves, channel.mChild, channel.mGrandChild, pResample,
                  channel.mFactor);
}

void QelVeskExport::SetRotationFCurve(const MFnTransform& pTransform, KFCurveNode& pCurves,
                                      MEulerRotation::RotationOrder pOrder)
{
    static const char* const kPlugs[3] = {"rotateX", "rotateY", "rotateZ"};
    static const char* const kAxes[3] = {"X", "Y", "Z"};
    MFnAnimCurve hosts[3];
    KFCurve* curves[3];
    bool any = false;
    KTime first, last;
    for (int axis = 0; axis < 3; ++axis) {
        MStatus status;
        const MPlug plug = pTransform.findPlug(kPlugs[axis], &status);
        // A set bound to an undriven plug evaluates to the plug's value.
        if (status && !plug.isNull())
            hosts[axis] = MFnAnimCurve(plug);
        curves[axis] = ChildCurve(pCurves, nullptr, kAxes[axis]);
        const unsigned int keys = hosts[axis].numKeys();
        if (keys == 0)
            continue;
        const KTime start = TimeOf(hosts[axis].time(0).as(MTime::kSeconds));
        const KTime end = TimeOf(hosts[axis].time(keys - 1).as(MTime::kSeconds));
        first = !any || start < first ? start : first;
        last = !any || end > last ? end : last;
        any = true;
    }
    if (!any)
        return;

    SamplingGrid grid;
    if (!MakeGrid(first, last, export_detail::SamplingPeriod(), grid)) {
        // Too long to sample: each curve key by key, in the host's order.
        for (int axis = 0; axis < 3; ++axis)
            if (curves[axis] && hosts[axis].numKeys() > 0)
                CopyKeys(hosts[axis], *curves[axis], sgRadiansToDegrees, static_cast<int>(hosts[axis].numKeys()));
        return;
    }
    if (grid.mSamples == 0)
        return;
    bool room[3];
    for (int axis = 0; axis < 3; ++axis)
        room[axis] = curves[axis] && BeginSamples(*curves[axis], grid);
    for (unsigned long long k = 0; k < grid.mSamples; ++k) {
        const long long ticks = grid.Time(k);
        const MEulerRotation rotation =
            MEulerRotation(Evaluate(hosts[0], ticks), Evaluate(hosts[1], ticks), Evaluate(hosts[2], ticks), pOrder)
                .reorder(MEulerRotation::kXYZ);
        const double angles[3] = {rotation.x, rotation.y, rotation.z};
        for (int axis = 0; axis < 3; ++axis)
            if (room[axis])
                SetSample(*curves[axis], k, ticks, angles[axis] * sgRadiansToDegrees);
    }
    for (int axis = 0; axis < 3; ++axis)
        if (room[axis])
            curves[axis]->KeyModifyEnd(static_cast<int>(grid.mSamples));
}
