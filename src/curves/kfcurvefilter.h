// Base of the curve filters: operations that rewrite the keys of function
// curves in place, on a curve node tree, an array of curves or one curve.
#ifndef QELSDK_CURVES_KFCURVEFILTER_H
#define QELSDK_CURVES_KFCURVEFILTER_H

#include "base/kerror.h"
#include "base/ktime.h"

namespace qelsdk_600 {

class KFCurve;
class KFCurveNode;

// A filter is a plain object made by its user: it owns no curve and keeps no
// reference to one after a call. Failure is false with an id and a text in
// the filter's KError. A derived filter that implements only the single-curve
// Apply works on trees and arrays through the base walks.
class KFCurveFilter {
public:
    // Stores the name (a fixed literal, not owned), both times 0, and builds
    // the error record over `count` messages of `table` (not owned).
    KFCurveFilter(const char* name, const char* const* table, int count);
    virtual ~KFCurveFilter();
    KFCurveFilter(const KFCurveFilter&) = delete;
    KFCurveFilter& operator=(const KFCurveFilter&) = delete;

    // Walk: children first (when recursive), then the node's own curve
    // through the array form. True when any member needs the filter.
    virtual bool NeedApply(KFCurveNode& node, bool recursive = true);
    // True when any curve needs the filter; false for no curve.
    virtual bool NeedApply(KFCurve** curves, int count);
    // Base: true.
    virtual bool NeedApply(KFCurve& curve);

    // Base body (derived filters call it): children first when recursive,
    // through this virtual node form, then the node's own curve through the
    // single-curve form. Every member is visited; false when any failed, the
    // error record then holding the last failure.
    virtual bool Apply(KFCurveNode& node, bool recursive = true) = 0;
    // Base body: the single-curve form on each entry (none for count <= 0);
    // false when any failed.
    virtual bool Apply(KFCurve** curves, int count) = 0;
    virtual bool Apply(KFCurve& curve) = 0;

    // Whole time line: start -(2^63 - 1) ticks, stop 2^63 - 1 ticks.
    // Derived Reset set their own defaults, then call this one.
    virtual void Reset();
    // Progress hook; does nothing here.
    virtual void UpdateProgressInformation(KTime start, KTime stop);

    const char* GetName() const { return mName; }
    KTime& GetStartTime() { return mStart; }
    void SetStartTime(const KTime& time) { mStart = time; }
    KTime& GetStopTime() { return mStop; }
    void SetStopTime(const KTime& time) { mStop = time; }

    // First key index to filter: one key before the key at or before the
    // later of the start time and the first key time, at least 0; -1
    // without keys.
    int GetStartKey(KFCurve& curve) const;
    // One past the key at or before the earlier of the stop time and the
    // last key time; -1 without keys. Filters work on [start key, stop key).
    int GetStopKey(KFCurve& curve) const;

    KError& GetError() { return mError; }
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

protected:
    const char* mName;
    KTime mStart;
    KTime mStop;
    KError mError;
};

}  // namespace qelsdk_600

#endif
