#include "curves/kfcurvesettings.h"

#include "base/kset.h"
#include "curves/kfcurve.h"

namespace qelsdk_600 {

namespace {

constexpr kLongLong kThirtiethOfSecond = KTime::kTicksPerSecond / 30;
constexpr kLongLong kHundredTwentiethOfSecond = KTime::kTicksPerSecond / 120;

KTime gPlotPeriod(kThirtiethOfSecond);
int gRotationFilterToApply = 2;
double gRotationFilterUnrollQuality = 0.25;
bool gRotationFilterUnrollTestForPath = false;
double gButterworthFilterInternalRate = 240.0;
bool gUseConstantKeyReducer = true;
double gConstantKeyReducerTranslationThreshold = 5e-13;
double gConstantKeyReducerRotationThreshold = 0.0005;
double gConstantKeyReducerScalingThreshold = 5e-13;
double gConstantKeyReducerDefaultThreshold = 5e-13;
bool gUseConstantKeyReducerOnDevices = true;
bool gConstantKeyReducerKeepOneKey = true;
bool gPlotOnFrame = true;
bool gPlotTranslationOnRootOnly = false;
bool gPreciseTimeDiscontinuities = false;
KSet* gsTimeWarpSet = nullptr;

}  // namespace

KTime KFCURVE_GetPlotPeriod() { return gPlotPeriod; }
void KFCURVE_SetPlotPeriod(KTime period) { gPlotPeriod = period; }
int KFCURVE_GetRotationFilterToApply() { return gRotationFilterToApply; }
void KFCURVE_SetRotationFilterToApply(int filter) { gRotationFilterToApply = filter; }
double KFCURVE_GetRotationFilterUnrollQuality() { return gRotationFilterUnrollQuality; }
void KFCURVE_SetRotationFilterUnrollQuality(double quality) { gRotationFilterUnrollQuality = quality; }
bool KFCURVE_GetRotationFilterUnrollTestForPath() { return gRotationFilterUnrollTestForPath; }
void KFCURVE_SetRotationFilterUnrollTestForPath(bool test) { gRotationFilterUnrollTestForPath = test; }
double KFCURVE_GetButterworthFilterInternalRate() { return gButterworthFilterInternalRate; }
void KFCURVE_SetButterworthFilterInternalRate(double rate) { gButterworthFilterInternalRate = rate; }
bool KFCURVE_GetUseConstantKeyReducer() { return gUseConstantKeyReducer; }
void KFCURVE_SetUseConstantKeyReducer(bool use) { gUseConstantKeyReducer = use; }
double KFCURVE_GetUseConstantKeyReducerTranslationThreshold() { return gConstantKeyReducerTranslationThreshold; }
void KFCURVE_SetUseConstantKeyReducerTranslationThreshold(double threshold)
{
    gConstantKeyReducerTranslationThreshold = threshold;
}
double KFCURVE_GetUseConstantKeyReducerRotationThreshold() { return gConstantKeyReducerRotationThreshold; }
void KFCURVE_SetUseConstantKeyReducerRotationThreshold(double threshold)
{
    gConstantKeyReducerRotationThreshold = threshold;
}
double KFCURVE_GetUseConstantKeyReducerScalingThreshold() { return gConstantKeyReducerScalingThreshold; }
void KFCURVE_SetUseConstantKeyReducerScalingThreshold(double threshold)
{
    gConstantKeyReducerScalingThreshold = threshold;
}
double KFCURVE_GetUseConstantKeyReducerDefaultThreshold() { return gConstantKeyReducerDefaultThreshold; }
void KFCURVE_SetUseConstantKeyReducerDefaultThreshold(double threshold)
{
    gConstantKeyReducerDefaultThreshold = threshold;
}
bool KFCURVE_GetUseConstantKeyReducerOnDevices() { return gUseConstantKeyReducerOnDevices; }
void KFCURVE_SetUseConstantKeyReducerOnDevices(bool use) { gUseConstantKeyReducerOnDevices = use; }
bool KFCURVE_GetConstantKeyReducerKeepOneKey() { return gConstantKeyReducerKeepOneKey; }
void KFCURVE_SetConstantKeyReducerKeepOneKey(bool keep) { gConstantKeyReducerKeepOneKey = keep; }
bool KFCURVE_GetPlotOnFrame() { return gPlotOnFrame; }
void KFCURVE_SetPlotOnFrame(bool onFrame) { gPlotOnFrame = onFrame; }
bool KFCURVE_GetPlotTranslationOnRootOnly() { return gPlotTranslationOnRootOnly; }
void KFCURVE_SetPlotTranslationOnRootOnly(bool rootOnly) { gPlotTranslationOnRootOnly = rootOnly; }
bool KFCURVE_GetPreciseTimeDiscontinuities() { return gPreciseTimeDiscontinuities; }
void KFCURVE_SetPreciseTimeDiscontinuities(bool precise) { gPreciseTimeDiscontinuities = precise; }
bool KFCURVE_GetTCB4051EvalMode() { return gsTCB4051EvalMode; }
void KFCURVE_SetTCB4051EvalMode(bool mode) { gsTCB4051EvalMode = mode; }

KSmartPlotOptions::KSmartPlotOptions()
    : UseSmartPlot(false), BreakTangents(true), TangentThreshold(1.0), TangentPeriod(kHundredTwentiethOfSecond),
      IncreaseFidelity(true), FidelityThreshold(0.25), FidelityBreakTangents(true), FidelitySubdivisions(2),
      ReservedFlag(true), KeepFullPlot(false)
{
}

KMergeLayerOptions::KMergeLayerOptions()
    : Start(KTIME_MINUS_INFINITE), Stop(KTIME_INFINITE), Period(kThirtiethOfSecond)
{
}

KTime GetNextSmartPlotTime(KTime* time, KFCurveSmartMergeInfos** cursors, int layerCount,
                           KArrayTemplate<int>* components)
{
    KTime result = KTIME_INFINITE;
    bool seen[4] = {false, false, false, false};
    if (!time || !cursors)
        return result;
    for (int layer = 0; layer < layerCount; ++layer) {
        KFCurveSmartMergeInfos* records = cursors[layer];
        if (!records)
            continue;
        for (int component = 0; component < 4; ++component) {
            KFCurveSmartMergeInfos& record = records[component];
            if (!record.Curve || record.KeyIndex < 0 || record.KeyIndex >= record.Curve->KeyGetCount())
                continue;
            KTime keyTime = record.Curve->KeyGetTime(record.KeyIndex);
            if (keyTime <= *time) {
                // One key per call: the time taken may still lie at or before *time.
                ++record.KeyIndex;
                if (record.KeyIndex >= record.Curve->KeyGetCount())
                    continue;
                keyTime = record.Curve->KeyGetTime(record.KeyIndex);
            }
            if (keyTime < result) {
                result = keyTime;
                if (components) {
                    components->Clear();
                    seen[0] = seen[1] = seen[2] = seen[3] = false;
                }
            }
            if (keyTime == result && components && !seen[component]) {
                components->Add(component);
                seen[component] = true;
            }
        }
    }
    return result;
}

void KFCurve_SetTWSet(KSet* set) { gsTimeWarpSet = set; }

KFCurveNode* KFCurve_FindTWFromNickNumber(int number)
{
    if (!gsTimeWarpSet)
        return nullptr;
    for (int i = 0, n = gsTimeWarpSet->GetCount(); i < n; ++i) {
        kReference key = 0;
        const kReference value = gsTimeWarpSet->GetFromIndex(i, &key);
        if (key == static_cast<kReference>(number))
            return reinterpret_cast<KFCurveNode*>(value);
    }
    return nullptr;
}

bool KFCurve_FindNickNumberFromTW(int& number, KFCurveNode* node)
{
    if (!gsTimeWarpSet || !node)
        return false;
    for (int i = 0, n = gsTimeWarpSet->GetCount(); i < n; ++i) {
        kReference key = 0;
        if (gsTimeWarpSet->GetFromIndex(i, &key) == reinterpret_cast<kReference>(node)) {
            number = static_cast<int>(key);
            return true;
        }
    }
    return false;
}

}  // namespace qelsdk_600
