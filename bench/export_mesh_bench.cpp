// Cost per vertex of exporting one host mesh of 10^4 to 10^6 vertices (a
// grid of quadrilaterals with normals, a UV set and two shading groups;
// hard edges off, then on with a normal of its own at every corner), beside
// the reference: writing the same SDK mesh with the SDK exporter alone. The
// cost per vertex should stay within 2x as the size grows by 10x.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include <unistd.h>

#include <standin/StandIn.h>
#include <vesk/MFloatArray.h>
#include <vesk/MFnMesh.h>
#include <vesk/MFnSet.h>
#include <vesk/MFnSingleIndexedComponent.h>
#include <vesk/MPointArray.h>
#include <vesk/MSelectionList.h>
#include <vesk/MVectorArray.h>

#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "core/object_access.h"
#include "export_bench_util.h"
#include "export/qelveskexport.h"
#include "io/kqelexporter.h"
#include "plugin/qelveskuserparams.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "store/fixtures.h"
#include "store/node_store.h"

using namespace qelsdk_600;

namespace {

typedef KQelLayerElement E;

// Corner c of the quadrilateral at (x, y) of a grid of pSide vertices a row.
int Corner(int pSide, int pX, int pY, int pC)
{
    const int dx[] = {0, 1, 1, 0}, dy[] = {0, 0, 1, 1};
    return (pY + dy[pC]) * pSide + pX + dx[pC];
}

// A slight tilt per polygon, so that with hard edges every corner differs.
MVector PolygonNormal(int pPolygon)
{
    return MVector(0.001 * (pPolygon % 7), 0.001 * (pPolygon % 5), 1.0).normal();
}

void MakeHostMesh(int pSide, bool pHardEdges)
{
    standin::resetHost();
    const int quads = (pSide - 1) * (pSide - 1);
    MPointArray points;
    MFloatArray u, v;
    for (int y = 0; y < pSide; ++y)
        for (int x = 0; x < pSide; ++x) {
            points.append(x, y, 0.0);
            u.append(static_cast<float>(x) / pSide);
            v.append(static_cast<float>(y) / pSide);
        }
    MIntArray counts, connects;
    MVectorArray normals;
    MIntArray faces, vertices;
    for (int q = 0; q < quads; ++q) {
        counts.append(4);
        for (int c = 0; c < 4; ++c) {
            const int vertex = Corner(pSide, q % (pSide - 1), q / (pSide - 1), c);
            connects.append(vertex);
            if (pHardEdges) {
                normals.append(PolygonNormal(q));
                faces.append(q);
                vertices.append(vertex);
            }
        }
    }
    const MObject parent = vesk::ObjectAccess::fromNode(vesk::fixture::make("transform", "grid"));
    MFnMesh mesh;
    mesh.create(points.length(), quads, points, counts, connects, parent);
    mesh.setUVs(u, v);
    mesh.assignUVs(counts, connects);
    if (pHardEdges)
        mesh.setFaceVertexNormals(normals, faces, vertices);
    MDagPath shape;
    MDagPath::getAPathTo(mesh.object(), shape);
    for (int group = 0; group < 2; ++group) {
        MFnSingleIndexedComponent half;
        MObject component = half.create(MFn::kMeshPolygonComponent);
        for (int q = group; q < quads; q += 2)
            half.addElement(q);
        MSelectionList members;
        members.add(shape, component);
        MFnSet set;
        const std::string name = "group" + std::to_string(group);
        set.create(members, MFnSet::kRenderableOnly);
        set.setName(name.c_str());
        vesk::fixture::make("lambert", "shader" + std::to_string(group));
        vesk::fixture::connect("shader" + std::to_string(group) + ".outColor", name + ".surfaceShader");
    }
}

// The SDK mesh such an export makes, built directly: with hard edges one
// control point and one normal per corner.
void MakeSdkMesh(KQelSdkManager& pManager, KQelScene& pScene, int pSide, bool pHardEdges)
{
    const int quads = (pSide - 1) * (pSide - 1);
    const int vertexCount = pSide * pSide;
    KQelNode* node = pManager.CreateKQelNode("grid");
    KQelMesh* mesh = pManager.CreateKQelMesh();
    node->SetNodeAttribute(mesh);
    pScene.GetRootNode()->AddChild(node);
    mesh->InitControlPoints(pHardEdges ? 4 * quads : vertexCount);
    mesh->InitNormals(0);
    KQelVector4* points = mesh->GetControlPoints();
    KQelVector4* normals = mesh->GetNormals();
    for (int i = 0; !pHardEdges && i < vertexCount; ++i) {
        points[i] = KQelVector4(i % pSide, i / pSide, 0.0, 1.0);
        normals[i] = KQelVector4(0.0, 0.0, 1.0, 1.0);
    }
    KQelLayerElementUV* uvs = new KQelLayerElementUV;
    uvs->SetMappingMode(E::eByPolygonVertex);
    uvs->SetReferenceMode(E::eIndexToDirect);
    mesh->GetLayer(0)->SetUVs(uvs);
    for (int i = 0; i < vertexCount; ++i)
        uvs->GetDirectArray().Add(KQelVector2(static_cast<float>(i % pSide) / pSide, static_cast<float>(i / pSide) / pSide));
    KQelLayerElementMaterial* materials = new KQelLayerElementMaterial;
    materials->SetMappingMode(E::eByPolygon);
    materials->SetReferenceMode(E::eIndexToDirect);
    mesh->GetLayer(0)->SetMaterials(materials);
    for (int group = 0; group < 2; ++group)
        mesh->AM(pManager.CreateKQelMaterial(("shader" + std::to_string(group)).c_str()), 0);
    for (int q = 0; q < quads; ++q) {
        mesh->BeginPolygon(-1, -1, -1);
        for (int c = 0; c < 4; ++c) {
            const int vertex = Corner(pSide, q % (pSide - 1), q / (pSide - 1), c);
            const int point = pHardEdges ? 4 * q + c : vertex;
            if (pHardEdges) {
                const MVector n = PolygonNormal(q);
                points[point] = KQelVector4(vertex % pSide, vertex / pSide, 0.0, 1.0);
                normals[point] = KQelVector4(n.x, n.y, n.z, 1.0);
            }
            mesh->AddPolygon(point, -1);
            uvs->GetIndexArray().Add(vertex);
        }
        mesh->EndPolygon();
        materials->GetIndexArray().Add(q % 2);
    }
}

void BM_ExportHostMesh(benchmark::State& pState)
{
    const int side = GridSide(pState.range(0));
    const bool hardEdges = pState.range(1) != 0;
    QelVeskUserParams::Instance()->Reset();
    QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kExportShowUI, false);
    QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kExportHardEdges, hardEdges);
    MakeHostMesh(side, hardEdges);
    TimeHostExports(pState, "export_mesh_host", long(side) * side);
}
BENCHMARK(BM_ExportHostMesh)
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

void BM_WriteSdkMesh(benchmark::State& pState)
{
    const int side = GridSide(pState.range(0));
    const bool hardEdges = pState.range(1) != 0;
    TimeSdkWrites(pState, "export_mesh_sdk", long(side) * side, [=](KQelSdkManager& pManager, KQelScene& pScene) {
        MakeSdkMesh(pManager, pScene, side, hardEdges);
    });
}
BENCHMARK(BM_WriteSdkMesh)
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace
