// Cost per node of exporting host scenes of 10^2 to 10^5 transforms, each
// with pivots, limits and a user attribute, beside the reference: writing
// the same SDK scene with the SDK exporter alone. The cost per node should
// stay within 2x as the size grows by 10x.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include <unistd.h>

#include <standin/StandIn.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnTransform.h>

#include "core/object_access.h"
#include "export_bench_util.h"
#include "export/qelveskexport.h"
#include "io/kqelexporter.h"
#include "plugin/qelveskuserparams.h"
#include "scene/kqelnull.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeluserproperty.h"
#include "store/node_store.h"

using namespace qelsdk_600;

namespace {

// Groups of ten: a top-level group and nine children.
constexpr int kGroupSize = 10;

void MakeHostScene(int pCount)
{
    standin::resetHost();
    vesk::NodeId group;
    for (int i = 0; i < pCount; ++i) {
        const std::string name = "node" + std::to_string(i);
        const vesk::NodeId id = vesk::store().createNode("transform", name, i % kGroupSize ? group : vesk::NodeId());
        if (i % kGroupSize == 0)
            group = id;
        MFnTransform transform(vesk::ObjectAccess::fromNode(id));
        transform.setRotatePivot(MPoint(1.0, 2.0, 3.0), MSpace::kTransform, false);
        transform.setLimit(MFnTransform::kRotateMinX, -1.0);
        transform.enableLimit(MFnTransform::kRotateMinX, true);
        MFnNumericAttribute weight;
        weight.create("weight", "wt", MFnNumericData::kDouble, 0.5);
        weight.setSoftMin(0.0);
        weight.setSoftMax(1.0);
        transform.addAttribute(weight.object());
    }
}

// The SDK scene an export of MakeHostScene makes, built directly.
void MakeSdkScene(KQelSdkManager& pManager, KQelScene& pScene, int pCount)
{
    KQelNode* group = nullptr;
    for (int i = 0; i < pCount; ++i) {
        KQelNode* node = pManager.CreateKQelNode(("node" + std::to_string(i)).c_str());
        node->SetNodeAttribute(pManager.CreateKQelNull());
        (i % kGroupSize ? group : pScene.GetRootNode())->AddChild(node);
        if (i % kGroupSize == 0)
            group = node;
        node->SetRotationPivot(KQelNode::eSourcePivot, KQelVector4(1.0, 2.0, 3.0, 1.0));
        node->SetPivotState(KQelNode::eSourcePivot, KQelNode::ePivotActive);
        KQelNodeLimits& limits = node->GetLimits();
        limits.SetRotationLimitActive(true);
        limits.mRotationLimits.SetLimitMinActive(true, false, false);
        limits.mRotationLimits.SetLimitMin(KQelVector4(-57.29577951308232, 0.0, 0.0, 0.0));
        KQelUserProperty* weight = pManager.CreateKQelUserProperty("wt", "Real", "wt");
        weight->ModifyFlag(KQelUserProperty::eUserProperty, true);
        weight->ModifyFlag(KQelUserProperty::eAnimatable, true);
        node->AddProperty(weight);
        weight->SetDefaultValue(0.5);
        weight->SetLimits(0.0, 1.0);
    }
}

void BM_ExportHostScene(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    QelVeskUserParams::Instance()->Reset();
    QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kExportShowUI, false);
    MakeHostScene(count);
    TimeHostExports(pState, "export_host", count);
}
BENCHMARK(BM_ExportHostScene)->RangeMultiplier(10)->Range(100, 100000)->Unit(benchmark::kMillisecond);

void BM_WriteSdkScene(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    TimeSdkWrites(pState, "export_sdk", count,
                  [count](KQelSdkManager& pManager, KQelScene& pScene) { MakeSdkScene(pManager, pScene, count); });
}
BENCHMARK(BM_WriteSdkScene)->RangeMultiplier(10)->Range(100, 100000)->Unit(benchmark::kMillisecond);

}  // namespace
