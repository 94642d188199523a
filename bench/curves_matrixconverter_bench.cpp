// The matrix converter over many transform trees, against plain evaluation of
// the same curves. Items are node-frames: items_per_second is the number of
// frames converted per second, per node.
#include <cmath>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvefiltermatrixconverter.h"
#include "curves/kfcurvenode.h"
#include "math/kmfunctions.h"
#include "object/kdatatype.h"

namespace {

using qelsdk_600::KFCurve;
using qelsdk_600::KFCurveFilterMatrixConverter;
using qelsdk_600::KFCurveNode;
using qelsdk_600::KgeAMatrix;
using qelsdk_600::KTime;

constexpr long long kFrameTicks = 1539538600LL;  // 1/30 s
constexpr int kFrames = 10000;
constexpr int kFramesPerKey = 100;

struct NodeDeleter {
    void operator()(KFCurveNode* node) const { node->Destroy(); }
};
using NodePtr = std::unique_ptr<KFCurveNode, NodeDeleter>;

// A root with translation, rotation and scaling, each X, Y, Z keyed every
// 100 frames over 10,000 frames with a smooth motion.
NodePtr MakeTree()
{
    NodePtr root(qelsdk_600::KFCurveNodeCreate("Transform"));
    qelsdk_600::KDataType* types[3] = {qelsdk_600::KDataTypeLclTranslation::DataType,
                                      qelsdk_600::KDataTypeLclRotation::DataType,
                                      qelsdk_600::KDataTypeLclScaling::DataType};
    const char* names[3] = {"Lcl Translation", "Lcl Rotation", "Lcl Scaling"};
    for (int c = 0; c < 3; ++c) {
        KFCurveNode* channel = qelsdk_600::FCurveNodeCreateFromDataType(types[c], names[c]);
        channel->CreateFCurve();
        for (int axis = 0; axis < 3; ++axis) {
            KFCurve* curve = channel->Get(axis)->FCurveGet();
            for (int frame = 0; frame <= kFrames; frame += kFramesPerKey) {
                const double phase = frame * 0.001 * (axis + 1);
                const double value = c == 0 ? 10.0 * std::sin(phase) : c == 1 ? 90.0 * std::sin(phase)
                                                                              : 1.0 + 0.2 * std::sin(phase);
                curve->KeyAppendFast(KTime(frame * kFrameTicks), static_cast<float>(value));
            }
        }
        root->Add(channel);
    }
    return root;
}

void BM_MatrixConverter(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    NodePtr source = MakeTree();
    KFCurveFilterMatrixConverter converter;
    converter.SetResamplingPeriod(KTime(kFrameTicks));
    converter.SetGenerateLastKeyExactlyAtEndTime(true);
    converter.SetResampleTranslation(false);
    converter.SetApplyUnroll(false);
    converter.SetApplyConstantKeyReducer(false);
    KgeAMatrix trailing;
    qelsdk_600::KmXYZtoR(trailing, 0.0, 0.0, 90.0);
    converter.SetSourceMatrix(KFCurveFilterMatrixConverter::kTrailingMatrix, trailing);
    for (auto _ : state) {
        for (int n = 0; n < nodes; ++n) {
            state.PauseTiming();
            NodePtr tree(source->Clone(false));
            state.ResumeTiming();
            benchmark::DoNotOptimize(converter.Apply(*tree, true));
            state.PauseTiming();
            tree.reset();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * nodes * (kFrames + 1));
}
BENCHMARK(BM_MatrixConverter)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// Baseline: evaluating the nine source curves at every frame, nothing else.
void BM_EvaluateNineCurvesBaseline(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    NodePtr source = MakeTree();
    KFCurve* curves[9];
    source->GetTransformCurves(curves, curves + 3, curves + 6);
    for (auto _ : state) {
        for (int n = 0; n < nodes; ++n) {
            int hints[9] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
            double sum = 0.0;
            for (int frame = 0; frame <= kFrames; ++frame)
                for (int i = 0; i < 9; ++i)
                    sum += curves[i]->Evaluate(KTime(frame * kFrameTicks), &hints[i]);
            benchmark::DoNotOptimize(sum);
        }
    }
    state.SetItemsProcessed(state.iterations() * nodes * (kFrames + 1));
}
BENCHMARK(BM_EvaluateNineCurvesBaseline)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
