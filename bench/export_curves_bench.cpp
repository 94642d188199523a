// Cost per key of converting host animation curves of 10^4 to 10^6 keys,
// key by key and resampled at 30 per second, beside the reference: adding
// the same keys to a KFCurve directly. The cost per key should stay within
// 2x as the size grows by 10x.
#include <benchmark/benchmark.h>

#include <standin/StandIn.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnDependencyNode.h>

#include "core/object_access.h"
#include "curves/kfcurve.h"
#include "export/qelveskexport.h"
#include "plugin/qelveskuserparams.h"
#include "store/node_store.h"

using namespace qelsdk_600;

namespace {

// Keys 1/30 s apart, their tangent types cycling through fixed, smooth,
// linear, flat and clamped.
MFnAnimCurve MakeHostCurve(int pCount)
{
    standin::resetHost();
    QelVeskUserParams* params = QelVeskUserParams::Instance();
    params->Reset();
    params->SetBoolParam(QelVeskUserParams::kExportShowUI, false);
    params->SetBoolParam(QelVeskUserParams::kExportApplyCstKeyRed, false);
    const vesk::NodeId node = vesk::store().createNode("transform", "t", vesk::NodeId());
    MFnAnimCurve curve;
    curve.create(MFnDependencyNode(vesk::ObjectAccess::fromNode(node)).findPlug("translateX"));
    static const MFnAnimCurve::TangentType kTypes[5] = {MFnAnimCurve::kTangentFixed, MFnAnimCurve::kTangentSmooth,
                                                        MFnAnimCurve::kTangentLinear, MFnAnimCurve::kTangentFlat,
                                                        MFnAnimCurve::kTangentClamped};
    for (int i = 0; i < pCount; ++i)
        curve.addKey(MTime(i / 30.0, MTime::kSeconds), (i % 7) * 0.5, kTypes[i % 5], kTypes[(i + 2) % 5]);
    return curve;
}

void TimeConversion(benchmark::State& pState, bool pResample)
{
    const int count = static_cast<int>(pState.range(0));
    MFnAnimCurve host = MakeHostCurve(count);
    QelVeskExport exporter;
    for (auto _ : pState) {
        KFCurve curve;
        exporter.SetFCurve(host, curve, pResample, 1.0);
        if (curve.KeyGetCount() < count)
            pState.SkipWithError("keys were lost");
    }
    pState.SetItemsProcessed(pState.iterations() * count);
}

void BM_ConvertKeyByKey(benchmark::State& pState)
{
    TimeConversion(pState, false);
}
BENCHMARK(BM_ConvertKeyByKey)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

void BM_ConvertResampled(benchmark::State& pState)
{
    TimeConversion(pState, true);
}
BENCHMARK(BM_ConvertResampled)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

// The reference: the same times and values added to a curve one by one.
void BM_AddKeysToCurve(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    for (auto _ : pState) {
        KFCurve curve;
        curve.KeyModifyBegin();
        for (int i = 0; i < count; ++i) {
            KFCurveKey key;
            KTime time;
            time.SetSecondDouble(i / 30.0);
            key.Set(time, static_cast<float>((i % 7) * 0.5));
            curve.KeyAdd(time, key);
        }
        curve.KeyModifyEnd();
        benchmark::DoNotOptimize(curve.KeyGetCount());
    }
    pState.SetItemsProcessed(pState.iterations() * count);
}
BENCHMARK(BM_AddKeysToCurve)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

}  // namespace
