// Cost of whole exports of generated host scenes, beside the reference:
// writing the same SDK scene with the SDK exporter alone.
// - One mesh of 10^4 to 10^6 vertices, smooth-skinned to four joints, half
//   of it in a rigid bind, blended with one target: cost per vertex.
// - 10^3 to 10^5 keyed channels of 10 keys each (ten channels a node, so
//   10^4 to 10^6 keys): cost per channel, and keys per second.
// Each cost should stay within 2x as the size grows by 10x.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <standin/StandIn.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnBlendShapeDeformer.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnMesh.h>
#include <vesk/MFnSingleIndexedComponent.h>
#include <vesk/MPointArray.h>

#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelshape.h"
#include "core/object_access.h"
#include "curves/kfcurve.h"
#include "deform/deform_kinds.h"
#include "export_bench_util.h"
#include "export/qelveskexport.h"
#include "plugin/qelveskuserparams.h"
#include "scene/kqelnull.h"
#include "scene/kqeltakenode.h"
#include "store/fixtures.h"
#include "store/node_store.h"

using namespace qelsdk_600;

namespace {

constexpr int kJoints = 4;
constexpr int kChannelsPerNode = 10;
constexpr int kKeys = 10;

void ResetSettings()
{
    QelVeskUserParams* params = QelVeskUserParams::Instance();
    params->Reset();
    params->SetBoolParam(QelVeskUserParams::kExportShowUI, false);
}

// ---- The deformed mesh ----

// A grid mesh of pSide x pSide vertices, raised by pHeight.
MObject MakeGrid(const char* pName, int pSide, double pHeight)
{
    MPointArray points;
    for (int i = 0; i < pSide * pSide; ++i)
        points.append(i % pSide, i / pSide, pHeight);
    MIntArray counts, connects;
    for (int y = 0; y + 1 < pSide; ++y)
        for (int x = 0; x + 1 < pSide; ++x) {
            counts.append(4);
            for (int corner : {y * pSide + x, y * pSide + x + 1, (y + 1) * pSide + x + 1, (y + 1) * pSide + x})
                connects.append(corner);
        }
    const MObject parent = vesk::ObjectAccess::fromNode(vesk::fixture::make("transform", pName));
    MFnMesh mesh;
    mesh.create(static_cast<int>(points.length()), static_cast<int>(counts.length()), points, counts, connects,
                parent);
    return parent;
}

void MakeHostDeformedMesh(int pSide)
{
    standin::resetHost();
    MakeGrid("grid", pSide, 0.0);
    MakeGrid("raised", pSide, 1.0);
    std::vector<vesk::Path> joints;
    for (int j = 0; j < kJoints; ++j) {
        const std::string name = "joint" + std::to_string(j);
        vesk::fixture::make("joint", name, j ? "joint" + std::to_string(j - 1) : "");
        vesk::fixture::setNumber(name + ".translateX", pSide / double(kJoints));
        MSelectionList list;
        list.add(name.c_str());
        MDagPath path;
        list.getDagPath(0, path);
        joints.push_back(vesk::ObjectAccess::path(path));
    }
    MSelectionList list;
    list.add("grid");
    MDagPath grid;
    list.getDagPath(0, grid);
    std::string error;
    vesk::createSkinCluster("skin", joints, vesk::ObjectAccess::path(grid), true, &error);
    MFnSingleIndexedComponent half;
    MObject component = half.create(MFn::kMeshVertComponent);
    for (int i = 0; i < pSide * pSide; i += 2)
        half.addElement(i);
    grid.extendToShape();
    vesk::ClusterNodes nodes;
    vesk::createCluster(MFn::kJointCluster, "rig", joints[0],
                        {vesk::SetMember{vesk::NodeId(), vesk::ObjectAccess::path(grid),
                                         vesk::Ref<vesk::Component>(
                                             static_cast<vesk::Component*>(vesk::ObjectAccess::ref(component)))}},
                        false, nodes, &error);
    MFnBlendShapeDeformer blend;
    blend.create(grid.node());
    list.add("raised");
    MDagPath raised;
    list.getDagPath(1, raised);
    blend.addTarget(grid.node(), 0, raised.node(), 1.0);
}

// What that export writes: the mesh, a link per joint, the rigid link and
// the shape.
void MakeSdkDeformedMesh(KQelSdkManager& pManager, KQelScene& pScene, int pSide)
{
    const int count = pSide * pSide;
    KQelNode* node = pManager.CreateKQelNode("grid");
    KQelMesh* mesh = pManager.CreateKQelMesh();
    node->SetNodeAttribute(mesh);
    pScene.GetRootNode()->AddChild(node);
    mesh->InitControlPoints(count);
    mesh->InitNormals(0);
    for (int i = 0; i < count; ++i) {
        mesh->GetControlPoints()[i] = KQelVector4(i % pSide, i / pSide, 0.0, 0.0);
        mesh->GetNormals()[i] = KQelVector4(0.0, 0.0, 1.0, 0.0);
    }
    for (int y = 0; y + 1 < pSide; ++y)
        for (int x = 0; x + 1 < pSide; ++x) {
            mesh->BeginPolygon(-1, -1, -1);
            for (int corner : {y * pSide + x, y * pSide + x + 1, (y + 1) * pSide + x + 1, (y + 1) * pSide + x})
                mesh->AddPolygon(corner, -1);
            mesh->EndPolygon();
        }
    KQelNode* parent = pScene.GetRootNode();
    for (int j = 0; j <= kJoints; ++j) {
        KQelNode* joint = j < kJoints ? pManager.CreateKQelNode(("joint" + std::to_string(j)).c_str()) : nullptr;
        if (joint) {
            joint->SetNodeAttribute(pManager.CreateKQelNull());
            parent->AddChild(joint);
            parent = joint;
        }
        KQelLink* link = pManager.CreateKQelLink();
        link->SetLink(j < kJoints ? joint : pScene.GetRootNode()->GetChild(1));
        for (int i = 0; i < count; ++i)
            if (j == kJoints ? i % 2 == 0 : (i % pSide) * kJoints / pSide == j)
                link->AddControlPointIndex(i, 1.0);
        mesh->AddLink(link);
    }
    KQelShape* shape = pManager.CreateKQelShape();
    mesh->AddShape(shape, "blendShape1.raisedShape");
    shape->InitControlPoints(count);
    for (int i = 0; i < count; ++i)
        shape->GetControlPoints()[i] = KQelVector4(i % pSide, i / pSide, 1.0, 0.0);
}

void BM_ExportDeformedMesh(benchmark::State& pState)
{
    const int side = GridSide(pState.range(0));
    ResetSettings();
    MakeHostDeformedMesh(side);
    TimeHostExports(pState, "export_deformed_host", long(side) * side);
}
BENCHMARK(BM_ExportDeformedMesh)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_WriteSdkDeformedMesh(benchmark::State& pState)
{
    const int side = GridSide(pState.range(0));
    TimeSdkWrites(pState, "export_deformed_sdk", long(side) * side,
                  [side](KQelSdkManager& pManager, KQelScene& pScene) { MakeSdkDeformedMesh(pManager, pScene, side); });
}
BENCHMARK(BM_WriteSdkDeformedMesh)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

// ---- Keyed channels ----

const char* const kKeyedPlugs[kChannelsPerNode] = {"translateX", "translateY", "translateZ", "rotateX",
                                                   "rotateY",    "rotateZ",    "scaleX",     "scaleY",
                                                   "scaleZ",     "visibility"};
const KQelTakeNode::EChannel kKeyedChannels[kChannelsPerNode] = {
    KQelTakeNode::eTranslationX,   KQelTakeNode::eTranslationY,   KQelTakeNode::eTranslationZ,
    KQelTakeNode::eEulerRotationX, KQelTakeNode::eEulerRotationY, KQelTakeNode::eEulerRotationZ,
    KQelTakeNode::eScaleX,         KQelTakeNode::eScaleY,         KQelTakeNode::eScaleZ,
    KQelTakeNode::eVisibility};

double KeyValue(int pKey, int pChannel)
{
    return pChannel == kChannelsPerNode - 1 ? pKey % 2 : 1.0 + 0.25 * ((pKey + pChannel) % 4);
}

void MakeHostKeyedNodes(int pNodes)
{
    standin::resetHost();
    for (int n = 0; n < pNodes; ++n) {
        const vesk::NodeId id = vesk::store().createNode("transform", "node" + std::to_string(n), vesk::NodeId());
        const MFnDependencyNode node(vesk::ObjectAccess::fromNode(id));
        for (int c = 0; c < kChannelsPerNode; ++c) {
            MFnAnimCurve curve;
            curve.create(node.findPlug(kKeyedPlugs[c]));
            for (int k = 0; k < kKeys; ++k)
                curve.addKey(MTime(k / 30.0, MTime::kSeconds), KeyValue(k, c));
        }
    }
}

void MakeSdkKeyedNodes(KQelSdkManager& pManager, KQelScene& pScene, int pNodes)
{
    for (int n = 0; n < pNodes; ++n) {
        KQelNode* node = pManager.CreateKQelNode(("node" + std::to_string(n)).c_str());
        node->SetNodeAttribute(pManager.CreateKQelNull());
        pScene.GetRootNode()->AddChild(node);
        node->CreateTakeNode("Take 001");
        node->SetCurrentTakeNode("Take 001");
        for (int c = 0; c < kChannelsPerNode; ++c) {
            KFCurve* curve = node->GetCurrentTakeNode()->GetChannel(kKeyedChannels[c]);
            curve->KeyModifyBegin();
            for (int k = 0; k < kKeys; ++k) {
                KTime time;
                time.SetSecondDouble(k / 30.0);
                KFCurveKey key;
                key.Set(time, static_cast<float>(KeyValue(k, c)));
                curve->KeyAdd(time, key);
            }
            curve->KeyModifyEnd();
        }
    }
}

void CountKeys(benchmark::State& pState, long pChannels)
{
    pState.counters["keys"] =
        benchmark::Counter(static_cast<double>(pState.iterations()) * pChannels * kKeys, benchmark::Counter::kIsRate);
}

void BM_ExportKeyedChannels(benchmark::State& pState)
{
    const long channels = pState.range(0);
    ResetSettings();
    QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kExportApplyCstKeyRed, false);
    MakeHostKeyedNodes(static_cast<int>(channels / kChannelsPerNode));
    TimeHostExports(pState, "export_keyed_host", channels);
    CountKeys(pState, channels);
}
BENCHMARK(BM_ExportKeyedChannels)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_WriteSdkKeyedChannels(benchmark::State& pState)
{
    const long channels = pState.range(0);
    TimeSdkWrites(pState, "export_keyed_sdk", channels, [channels](KQelSdkManager& pManager, KQelScene& pScene) {
        MakeSdkKeyedNodes(pManager, pScene, static_cast<int>(channels / kChannelsPerNode));
    });
    CountKeys(pState, channels);
}
BENCHMARK(BM_WriteSdkKeyedChannels)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
