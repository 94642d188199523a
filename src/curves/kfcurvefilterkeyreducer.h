// Refitting a curve with as few cubic keys as keep it within a precision.
#ifndef QELSDK_CURVES_KFCURVEFILTERKEYREDUCER_H
#define QELSDK_CURVES_KFCURVEFILTERKEYREDUCER_H

#include "curves/kfcurvefilter.h"

namespace qelsdk_600 {

// "Bezier Fit/Key Reducer": between the filter's start and stop times a
// curve keeps only the source keys needed so that a cubic fit through them
// (each with its own slopes) passes within the precision of every source
// key; keys outside the range stay. Optionally the curves of a node or an
// array are synchronised afterwards. Error ids: 0 "No key", 1 "Left
// unchanged".
class KFCurveFilterKeyReducer : public KFCurveFilter {
public:
    KFCurveFilterKeyReducer();

    // Precision 1.0, key sync off, whole time line.
    void Reset() override;

    // The base walk (every curve reduced), then, with key sync on and more
    // than one child, a key synchronizer over the same range. The walk's
    // result.
    bool Apply(KFCurveNode& node, bool recursive = true) override;
    // The same over an array (synchronised when count > 1).
    bool Apply(KFCurve** curves, int count) override;
    // Reduces one curve. False with error 1 (unchanged) for fewer than 2
    // keys or a range that holds no time between keys.
    bool Apply(KFCurve& curve) override;

    // Largest allowed distance (value units) between a source key and the fit.
    double GetPrecision() const { return mPrecision; }
    void SetPrecision(double precision) { mPrecision = precision; }
    bool GetKeySync() const { return mKeySync; }
    void SetKeySync(bool keySync) { mKeySync = keySync; }

    // Fills fit (no keys at first) with the keys of source from the key at or
    // before start to the key at or after stop. True.
    bool KeyReducer(KFCurve& source, KFCurve& fit, KTime start, KTime stop);
    // Adds to fit the source keys of (first, last) needed for the precision,
    // worst first, splitting the range at each one. Works with a stack of
    // its own, so long curves do not exhaust the call stack. False when
    // nothing had to be added.
    bool Subdivise(KFCurve& source, KFCurve& fit, int first, int last);
    // Largest squared difference between fit and the source keys first to
    // last - 1 (0.0 when none); index receives the first key reaching it.
    double FindMaxError(KFCurve& source, KFCurve& fit, int first, int last, int& index);

private:
    // Inserts source key index into fit between its neighbours there.
    void InsertKey(KFCurve& source, KFCurve& fit, int index);

    double mPrecision;
    int mDepth;
    bool mKeySync;
};

}  // namespace qelsdk_600

#endif
