// Process-wide curve settings (plotting and post-import filters), the option
// records of plotting and layer merging, and the time-warp set through which
// curve nodes name their time warps in files. Plain globals for the one
// thread that imports or exports; nothing here locks.
#ifndef QELSDK_CURVES_KFCURVESETTINGS_H
#define QELSDK_CURVES_KFCURVESETTINGS_H

#include "base/karraytemplate.h"
#include "base/ktime.h"

namespace qelsdk_600 {

class KFCurve;
class KFCurveNode;
class KSet;

// Sampling period of plots; 1/30 s until changed.
KTime KFCURVE_GetPlotPeriod();
void KFCURVE_SetPlotPeriod(KTime period);
// Rotation filter applied after import: 0 none, 1 gimbal killer, 2 unroll
// (the default); other values apply nothing.
int KFCURVE_GetRotationFilterToApply();
void KFCURVE_SetRotationFilterToApply(int filter);
// Unroll filter tolerance (0.25) and path test (false).
double KFCURVE_GetRotationFilterUnrollQuality();
void KFCURVE_SetRotationFilterUnrollQuality(double quality);
bool KFCURVE_GetRotationFilterUnrollTestForPath();
void KFCURVE_SetRotationFilterUnrollTestForPath(bool test);
// 240.0 until changed.
double KFCURVE_GetButterworthFilterInternalRate();
void KFCURVE_SetButterworthFilterInternalRate(double rate);
// Constant key reducer after import (true) and its thresholds: 5e-13 for
// translation, scaling and the rest, 0.0005 for rotation.
bool KFCURVE_GetUseConstantKeyReducer();
void KFCURVE_SetUseConstantKeyReducer(bool use);
double KFCURVE_GetUseConstantKeyReducerTranslationThreshold();
void KFCURVE_SetUseConstantKeyReducerTranslationThreshold(double threshold);
double KFCURVE_GetUseConstantKeyReducerRotationThreshold();
void KFCURVE_SetUseConstantKeyReducerRotationThreshold(double threshold);
double KFCURVE_GetUseConstantKeyReducerScalingThreshold();
void KFCURVE_SetUseConstantKeyReducerScalingThreshold(double threshold);
double KFCURVE_GetUseConstantKeyReducerDefaultThreshold();
void KFCURVE_SetUseConstantKeyReducerDefaultThreshold(double threshold);
bool KFCURVE_GetUseConstantKeyReducerOnDevices();
void KFCURVE_SetUseConstantKeyReducerOnDevices(bool use);
bool KFCURVE_GetConstantKeyReducerKeepOneKey();
void KFCURVE_SetConstantKeyReducerKeepOneKey(bool keep);
// Plot switches: on frame (true), translation on root only (false), precise
// time discontinuities (false).
bool KFCURVE_GetPlotOnFrame();
void KFCURVE_SetPlotOnFrame(bool onFrame);
bool KFCURVE_GetPlotTranslationOnRootOnly();
void KFCURVE_SetPlotTranslationOnRootOnly(bool rootOnly);
bool KFCURVE_GetPreciseTimeDiscontinuities();
void KFCURVE_SetPreciseTimeDiscontinuities(bool precise);
// TCB left derivative equal to the right one (gsTCB4051EvalMode, false).
bool KFCURVE_GetTCB4051EvalMode();
void KFCURVE_SetTCB4051EvalMode(bool mode);

// Options of a plot into layers.
struct KSmartPlotOptions {
    KSmartPlotOptions();

    bool UseSmartPlot;           // keys only where the source layers have keys
    bool BreakTangents;          // break plotted tangents that disagree with the full plot
    double TangentThreshold;     // value units per second left unbroken
    KTime TangentPeriod;         // slope step, fidelity step, extra sample offset (1/120 s)
    bool IncreaseFidelity;       // add keys where the smart result strays
    double FidelityThreshold;    // value difference left without a key
    bool FidelityBreakTangents;  // break the tangents of added keys
    int FidelitySubdivisions;    // parts per key interval at each refinement step
    bool ReservedFlag;
    bool KeepFullPlot;           // hand back the full plot instead of the smart one
};

// Options of a layer merge: the whole time line at 1/30 s by default.
struct KMergeLayerOptions {
    KMergeLayerOptions();

    KTime Start;
    KTime Stop;
    KTime Period;
    KSmartPlotOptions SmartPlotOptions;
};

// Cursor of the smart plot in one curve: the next key index to look at.
struct KFCurveSmartMergeInfos {
    KFCurveSmartMergeInfos() : Curve(nullptr), KeyIndex(0) {}

    KFCurve* Curve;  // not owned
    int KeyIndex;
};

// The earliest key time among the records of layerCount cursor arrays (four
// records each), advancing a record whose key is at or before *time by one
// key. components (may be null) receives, once each, the component numbers
// 0 to 3 keyed at the result. The infinite time when no key is left.
KTime GetNextSmartPlotTime(KTime* time, KFCurveSmartMergeInfos** cursors, int layerCount,
                           KArrayTemplate<int>* components);

// Installs the time-warp set (keys: numbers; values: KFCurveNode*), not
// owned; null removes it. The set must outlive its installation.
void KFCurve_SetTWSet(KSet* set);
// The time-warp node of that number; null when unknown or no set.
KFCurveNode* KFCurve_FindTWFromNickNumber(int number);
// Stores the number of the node and returns true when the set knows it;
// false (number untouched) otherwise.
bool KFCurve_FindNickNumberFromTW(int& number, KFCurveNode* node);

}  // namespace qelsdk_600

#endif
