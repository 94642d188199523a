// Layered evaluation of a transform tree against reading the same curves
// one by one.
#include <benchmark/benchmark.h>

#include <vector>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"

namespace qelsdk_600 {
namespace {

constexpr int kKeys = 200;
constexpr double kSpanSeconds = 100.0;

KTime Seconds(double seconds)
{
    KTime time;
    time.SetSecondDouble(seconds);
    return time;
}

void FillCurve(KFCurve* curve, int seed)
{
    for (int i = 0; i < kKeys; ++i) {
        const KTime time = Seconds(kSpanSeconds * i / (kKeys - 1));
        const float value = static_cast<float>((i * 37 + seed * 11) % 90);
        curve->KeyAppendFast(time, value);
    }
}

// Root with "Lcl Translation", "Lcl Rotation", "Lcl Scaling", each with two
// layers; every curve keyed.
KFCurveNode* BuildTree(std::vector<KFCurve*>& curves)
{
    KFCurveNode* root = KFCurveNodeCreate("Transform");
    KDataType* types[3] = {KDataTypeLclTranslation::DataType, KDataTypeLclRotation::DataType,
                           KDataTypeLclScaling::DataType};
    const char* names[3] = {"Lcl Translation", "Lcl Rotation", "Lcl Scaling"};
    int seed = 0;
    for (int p = 0; p < 3; ++p) {
        KFCurveNode* property = FCurveNodeCreateFromDataType(types[p], names[p]);
        property->CreateFCurve();
        property->CreateLayerAt(1);
        property->CreateLayerAt(2);
        for (KFCurveNode* layer = property; layer; layer = layer->LayerGet())
            for (int axis = 0; axis < 3; ++axis) {
                KFCurve* curve = layer->Get(axis)->FCurveGet();
                FillCurve(curve, seed++);
                curves.push_back(curve);
            }
        root->Add(property);
    }
    return root;
}

void BM_NodeGeneralEvaluate(benchmark::State& state)
{
    std::vector<KFCurve*> curves;
    KFCurveNode* root = BuildTree(curves);
    const int count = static_cast<int>(state.range(0));
    const double step = kSpanSeconds / count;
    double values[9];
    for (auto _ : state) {
        int hint = 0;
        for (int i = 0; i < count; ++i) {
            root->GeneralEvaluate(values, Seconds(i * step), &hint, false);
            benchmark::DoNotOptimize(values);
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
    root->Destroy();
}
BENCHMARK(BM_NodeGeneralEvaluate)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Baseline: the 27 curves read directly, each with its own hint.
void BM_CurvesEvaluateDirectly(benchmark::State& state)
{
    std::vector<KFCurve*> curves;
    KFCurveNode* root = BuildTree(curves);
    const int count = static_cast<int>(state.range(0));
    const double step = kSpanSeconds / count;
    std::vector<int> hints(curves.size(), 0);
    for (auto _ : state) {
        double sum = 0.0;
        for (int i = 0; i < count; ++i) {
            const KTime time = Seconds(i * step);
            for (std::size_t c = 0; c < curves.size(); ++c)
                sum += curves[c]->Evaluate(time, &hints[c]);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * count);
    root->Destroy();
}
BENCHMARK(BM_CurvesEvaluateDirectly)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qelsdk_600
