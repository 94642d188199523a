// Replacing a curve's keys by samples at a fixed period.
#ifndef QELSDK_CURVES_KFCURVEFILTERRESAMPLE_H
#define QELSDK_CURVES_KFCURVEFILTERRESAMPLE_H

#include "curves/kfcurvefilter.h"

namespace qelsdk_600 {

// "FCurve Resample": within its time range (the curve's keys when the range
// is open) a curve gets one key per period, the stop time included; keys
// outside stay. Error ids: 0 "Bad Period", 1 "Bad Interval".
class KFCurveFilterResample : public KFCurveFilter {
public:
    KFCurveFilterResample();

    // Keys on frame off, period one frame of the global time mode,
    // intelligent mode off; then the whole time line.
    void Reset() override;

    bool Apply(KFCurveNode& node, bool recursive = true) override;
    bool Apply(KFCurve** curves, int count) override;
    // Period of 0 ticks or less: error 0; no usable interval (an open end
    // on a curve without keys, or stop not after start): error 1. Both
    // false with the curve unchanged.
    bool Apply(KFCurve& curve) override;

    // Keys on frame moves a start between multiples of the period to the
    // next multiple (when that is above 0).
    virtual void SetKeysOnFrame(bool keysOnFrame) { mKeysOnFrame = keysOnFrame; }
    virtual bool GetKeysOnFrame() const { return mKeysOnFrame; }
    virtual KTime GetPeriodTime() const { return mPeriod; }
    virtual void SetPeriodTime(const KTime& period) { mPeriod = period; }
    // Intelligent mode: samples keep the interpolation and tangent kind of
    // the source key they fall after; else all are cubic auto.
    void SetIntelligentMode(bool intelligent) { mIntelligentMode = intelligent; }
    bool GetIntelligentMode() const { return mIntelligentMode; }

private:
    bool mKeysOnFrame;
    KTime mPeriod;
    bool mIntelligentMode;
};

}  // namespace qelsdk_600

#endif
