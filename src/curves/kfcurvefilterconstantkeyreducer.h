// Removal of keys that do not change a curve's shape.
#ifndef QELSDK_CURVES_KFCURVEFILTERCONSTANTKEYREDUCER_H
#define QELSDK_CURVES_KFCURVEFILTERCONSTANTKEYREDUCER_H

#include "curves/kfcurvefilter.h"

namespace qelsdk_600 {

// "Constant Key Reducer": removes runs of keys whose neighbourhood (two keys
// on each side) stays within value +/- value tolerance. Error ids: 0 "No
// key", 1 "Left unchanged". Linear in the key count.
class KFCurveFilterConstantKeyReducer : public KFCurveFilter {
public:
    KFCurveFilterConstantKeyReducer();

    // Tolerances and thresholds 0.009 (scaling threshold 0.004), both flags
    // false; then the whole time line.
    void Reset() override;

    // Picks the tolerances for the node's transform kind (its name or its
    // parent's: "R"/"Lcl Rotation", "S"/"Lcl Scaling", "T"/"Lcl
    // Translation", other) where they still hold their defaults, runs the
    // base walk and restores them. The walk's result.
    bool Apply(KFCurveNode& node, bool recursive = true) override;
    // The base array walk.
    bool Apply(KFCurve** curves, int count) override;
    // Reduces one curve within the filter's time range. False (error 0) for
    // a curve without keys. When every key goes, the curve keeps no key and
    // its default value becomes key 0's (or, keep one key, key 0 stays).
    bool Apply(KFCurve& curve) override;

    double GetDerivativeTolerance() const { return mDerivativeTolerance; }
    void SetDerivativeTolerance(double tolerance) { mDerivativeTolerance = tolerance; }
    double GetValueTolerance() const { return mValueTolerance; }
    void SetValueTolerance(double tolerance) { mValueTolerance = tolerance; }
    double GetTranslationThreshold() const { return mTranslationThreshold; }
    void SetTranslationThreshold(double threshold) { mTranslationThreshold = threshold; }
    double GetRotationThreshold() const { return mRotationThreshold; }
    void SetRotationThreshold(double threshold) { mRotationThreshold = threshold; }
    double GetScalingThreshold() const { return mScalingThreshold; }
    void SetScalingThreshold(double threshold) { mScalingThreshold = threshold; }
    double GetDefaultThreshold() const { return mDefaultThreshold; }
    void SetDefaultThreshold(double threshold) { mDefaultThreshold = threshold; }
    // Stored and returned only.
    bool GetKeepFirstAndLastKeys() const { return mKeepFirstAndLastKeys; }
    void SetKeepFirstAndLastKeys(bool keep) { mKeepFirstAndLastKeys = keep; }
    bool GetKeepOneKey() const { return mKeepOneKey; }
    void SetKeepOneKey(bool keep) { mKeepOneKey = keep; }

private:
    double mDerivativeTolerance;
    double mValueTolerance;
    double mTranslationThreshold;
    double mRotationThreshold;
    double mScalingThreshold;
    double mDefaultThreshold;
    bool mKeepFirstAndLastKeys;
    bool mKeepOneKey;
};

// True when key `key` may be removed: it is not cubic, or pure cubic auto,
// and every key from key - 2 to key + 2 that lies in [first, last] has a
// value in [low, high] (NaN never does). Indices are not otherwise checked.
bool IsKeyConstant(KFCurve& curve, int key, int first, int last, float low, float high);

}  // namespace qelsdk_600

#endif
