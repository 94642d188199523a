// Whole-curve utilities: comparison, key kinds, conversion, resampling on a
// regular grid and splicing one curve into another.
#ifndef QELSDK_CURVES_KFCURVEUTILS_H
#define QELSDK_CURVES_KFCURVEUTILS_H

#include "base/kerror.h"
#include "base/ktime.h"

namespace qelsdk_600 {

class KFCurve;
class KFCurveNode;

// Static operations only. Errors go to the shared record smError (ids:
// 0 "No key", 1 "Multiple interpolation or tangeants types", 2 "Multiple key
// count", 3 "Unsynched keys", 4 "Left unchanged"); one thread at a time.
class KFCurveUtils {
public:
    KFCurveUtils() = delete;

    // Equal default values, key counts, key times (exactly), values (within
    // the double epsilon) and interpolations; for cubic keys also tangent
    // modes, TCB parameters and user derivatives. Null curves are equal only
    // to each other.
    static bool CompareCurve(KFCurve* a, KFCurve* b);
    // out = OR of the interpolations (tangent modes) of all keys; records
    // id 1 when they differ. False (out 0, id 0) without keys.
    static bool GetGlobalInterpolation(unsigned int& out, KFCurve& curve);
    static bool GetGlobalTangeant(unsigned int& out, KFCurve& curve);
    // counts[7] = constant, linear, cubic auto, auto-break, user,
    // user-break, TCB keys; other kinds are not counted. True (false only
    // for a null array).
    static bool GetInterpolationAndTangeantCount(KFCurve& curve, int* counts);
    // Every key of every curve of the tree gets that interpolation and
    // tangent mode (children first).
    static void ConvertCurveInterpolationRecursive(unsigned int interpolation, unsigned int tangentMode,
                                                   KFCurveNode& node);
    // destination = the source with every key of that interpolation (and,
    // cubic, tangent mode); keys that cannot be converted are replaced by
    // samples every `period` up to the next key. Returns destination.
    static KFCurve& ConvertCurve(KFCurve& source, KFCurve& destination, unsigned int interpolation,
                                 unsigned int tangentMode, KTime period);
    // Replaces destination's keys by samples of source at start + k x
    // period up to stop (and at stop itself with includeStop), all of that
    // interpolation and tangent mode. Nothing unless start < stop and
    // period > 0.
    static void Resample(KFCurve& source, KFCurve& destination, const KTime& start, const KTime& stop,
                         const KTime& period, unsigned int interpolation, unsigned int tangentMode,
                         bool includeStop);
    // The same grid; each sample keeps the kind of the source key it falls
    // after (TCB becomes auto; user tangents take the source's slopes).
    static void Resample(KFCurve& source, KFCurve& destination, const KTime& start, const KTime& stop,
                         const KTime& period, bool includeStop);
    // Resamples [start, stop] of the curve in place (open ends: its first
    // or last key): cubic auto keys every period from start up to stop
    // inclusive; with alignOnPeriod the first sample is on the next multiple
    // of the period (when that multiple is above 0).
    static void Resample(KFCurve& curve, KTime start, KTime stop, KTime period, bool alignOnPeriod);
    // result = base with insert's keys replacing base's keys over insert's
    // time span; tangents at the junctions keep base's shape. Any of the
    // three may be the same curve. Returns result.
    static KFCurve& Merge(KFCurve& base, KFCurve& insert, KFCurve& result);
    // First key time - time when the first key is after time, else 0 (also
    // without keys).
    static KTime FindTimeOffsetBefore(KFCurve& curve, const KTime& time);
    // Last key time - time when the last key is before time, else 0 (also
    // without keys).
    static KTime FindTimeOffsetAfter(KFCurve& curve, const KTime& time);

    static KError& GetError() { return smError; }
    static int GetLastErrorID() { return smError.GetLastErrorID(); }
    static const char* GetLastErrorString() { return smError.GetLastErrorString(); }

    static KError smError;
};

}  // namespace qelsdk_600

#endif
