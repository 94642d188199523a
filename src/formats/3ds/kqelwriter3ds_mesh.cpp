// Meshes into 3D Studio mesh objects with their material groups.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "base/karraytemplate.h"
#include "content/kqelcolor.h"
#include "content/kqellayer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "formats/3ds/kqelwriter3ds.h"
#include "formats/toolkit3ds/toolkit3ds.h"
#include "math/kmfunctions.h"
#include "math/ktriangulation.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

const int kMaxCount3ds = 65535;

// The rotation of Euler angles (degrees) with row i scaled by pS[i].
void ScaledRotation(double (*pM)[4], const double* pR, const double* pS)
{
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            pM[r][c] = r == c ? 1.0 : 0.0;
    }
    KmXYZtoR(pM, pR[0], pR[1], pR[2]);
    KmRS(pM, pM, pS);
}

// The UV of a corner, (0, 0) for an index outside the array.
KQelVector2 CornerUV(KQelMesh& pMesh, int pPolygon, int pCorner)
{
    const int index = pMesh.GetTextureUVIndex(pPolygon, pCorner);
    return index >= 0 && index < pMesh.GetTextureUVCount() ? pMesh.GetTextureUV()[index] : KQelVector2();
}

// Entry pIndex of an index array, pMissing outside it.
int Entry(const KArrayTemplate<int>& pArray, int pIndex, int pMissing)
{
    return pIndex >= 0 && pIndex < pArray.GetCount() ? pArray.GetAt(pIndex) : pMissing;
}

}  // namespace

KQelMesh* KQelWriter3DS::VertexToPoint(KQelMesh* pMesh)
{
    KQelMesh* result = mManager.CreateKQelMesh();
    if (!result)
        return nullptr;
    *result = *pMesh;
    result->Reset();
    result->CopyLayers(pMesh);
    result->InitTextureUV(0);
    result->InitTextureUVIndices(KQelLayerElement::eByControlPoint);
    const int* materials = pMesh->GetMaterialIndices();
    const int* textures = pMesh->GetTextureIndices();
    const bool materialsByPolygon = pMesh->GetMaterialMappingMode() == KQelLayerElement::eByPolygon && materials;
    const bool texturesByPolygon = pMesh->GetTextureMappingMode() == KQelLayerElement::eByPolygon && textures;
    KQelLayer* layer = pMesh->GetLayer(0);
    const int materialCount = layer && layer->GetMaterials() ? layer->GetMaterials()->GetIndexArray().GetCount() : 0;
    const int textureCount = layer && layer->GetTextures() ? layer->GetTextures()->GetIndexArray().GetCount() : 0;
    const KQelVector4* normals = pMesh->GetNormals();
    std::vector<KQelVector4> points, pointNormals;
    const KQelVector4* source = pMesh->GetControlPoints();
    const int sourceCount = pMesh->GetControlPointsCount();
    int k = 0;
    for (int p = 0; p < pMesh->GetPolygonCount(); ++p) {
        const int material = materialsByPolygon && p < materialCount ? materials[p] : 0;
        const int texture = texturesByPolygon && p < textureCount ? textures[p] : 0;
        KQelTexture* swapSource = texturesByPolygon ? pMesh->GT(texture, 0) : nullptr;
        const bool swap = swapSource && swapSource->GetSwapUV();
        result->BeginPolygon(material, texture, -1);
        for (int j = 0; j < pMesh->GetPolygonSize(p); ++j) {
            const int c = pMesh->GetPolygonVertex(p, j);
            const bool inside = c >= 0 && c < sourceCount;
            points.push_back(inside ? source[c] : KQelVector4());
            if (normals)
                pointNormals.push_back(inside ? normals[c] : KQelVector4());
            result->AddPolygon(k++, -1);
            KQelVector2 uv = CornerUV(*pMesh, p, j);
            if (swap)
                uv = KQelVector2(uv[1], uv[0]);
            result->AddTextureUV(uv);
        }
        result->EndPolygon();
    }
    result->InitControlPoints(k);
    if (k > 0)
        std::copy(points.begin(), points.end(), result->GetControlPoints());
    if (normals) {
        result->InitNormals(0);
        if (KQelVector4* copied = result->GetNormals())
            std::copy(pointNormals.begin(), pointNormals.end(), copied);
    }
    return result;
}

mesh3ds* KQelWriter3DS::ConvMeshTVto3DS(KQelMesh* pMesh, KQelVector4 pT, KQelVector4 pR, KQelVector4 pS,
                                        const char* pName)
{
    if (!pMesh)
        return nullptr;
    const bool textured = mTextureMapping && pMesh->GTC(0) != 0;
    if (textured && pMesh->GetTextureUVMappingMode() == KQelLayerElement::eByPolygonVertex && mUVPerPolygon) {
        if (KQelMesh* perCorner = VertexToPoint(pMesh))
            *pMesh = *perCorner;
    }
    const int polygonCount = pMesh->GetPolygonCount();
    const int pointCount = pMesh->GetControlPointsCount();
    if (polygonCount == 0 || pointCount == 0)
        return nullptr;
    long long faceCount = 0;
    for (int p = 0; p < polygonCount; ++p)
        faceCount += std::max(pMesh->GetPolygonSize(p) - 2, 0);
    if (pointCount > kMaxCount3ds || faceCount > kMaxCount3ds) {
        char why[256];
        std::snprintf(why, sizeof(why),
                      "Mesh \"%s\" has %d control points and %lld triangles; a 3D Studio mesh holds at most %d "
                      "of each.\n",
                      pName, pointCount, faceCount, kMaxCount3ds);
        Refuse(why);
        return nullptr;
    }
    // Normals are used only when they are one per control point.
    KQelLayer* layer0 = pMesh->GetLayer(0);
    const KQelVector4* normals = pMesh->GetNormals();
    if (normals && (!layer0 || !layer0->GetNormals() ||
                    layer0->GetNormals()->GetMappingMode() != KQelLayerElement::eByControlPoint ||
                    layer0->GetNormals()->GetDirectArray().GetCount() < pointCount))
        normals = nullptr;
    ++mMeshCount;

    mesh3ds* record = nullptr;
    InitMeshObj3ds(&record, static_cast<std::uint16_t>(pointCount), static_cast<std::uint16_t>(faceCount), 0xFFFF);
    if (!record)
        return nullptr;
    std::snprintf(record->name, sizeof(record->name), "%.10s", pName ? pName : "");

    // Local matrix: the node's transform in 3D Studio axes.
    double tc[3], rc[3], sc[3], local[4][4];
    ConvTTVto3DS(tc, pT);
    ConvRTVto3DS(rc, pR);
    ConvSTVto3DS(sc, pS);
    ScaledRotation(local, rc, sc);
    for (int k = 0; k < 12; ++k)
        record->locmatrix[k] = static_cast<float>(k < 9 ? local[k / 3][k % 3] : tc[k - 9]);

    // Vertices through the node's own transform, Z up.
    const double r[3] = {pR[0], pR[1], pR[2]}, s[3] = {pS[0], pS[1], pS[2]};
    double w[4][4];
    ScaledRotation(w, r, s);
    const KQelVector4* points = pMesh->GetControlPoints();
    const KQelVector2* uvSource =
        textured && pMesh->GetTextureUVMappingMode() == KQelLayerElement::eByControlPoint ? pMesh->GetTextureUV()
                                                                                           : nullptr;
    const int uvCount = pMesh->GetTextureUVCount();
    for (int i = 0; i < pointCount; ++i) {
        double p[3];
        for (int c = 0; c < 3; ++c)
            p[c] = points[i][0] * w[0][c] + points[i][1] * w[1][c] + points[i][2] * w[2][c] + pT[c];
        record->vertexarray[i] = {static_cast<float>(p[0]), static_cast<float>(-p[2]), static_cast<float>(p[1])};
        if (uvSource && i < uvCount)
            record->textarray[i] = {static_cast<float>(uvSource[i][0]), static_cast<float>(uvSource[i][1])};
    }

    if (pMesh->GMC(0) == 0 && pMesh->GTC(0) > 0) {
        if (KQelMaterial* material = mManager.CreateKQelMaterial("Default")) {
            material->SetAmbient(KQelColor(0.588, 0.588, 0.588, 1.0));
            material->SetDiffuse(KQelColor(0.588, 0.588, 0.588, 1.0));
            material->SetSpecular(KQelColor(0.0, 0.0, 0.0, 1.0));
            pMesh->AM(material, 0);
        }
    }
    const int materialCount = pMesh->GMC(0);
    const int textureCount = pMesh->GTC(0);
    const bool groups = mMaterials && materialCount != 0;
    const bool twoLayers = pMesh->GetLayerCount(KQelLayerElement::eTexture) > 1 && textureCount > 1;
    const int* materialIndices = pMesh->GetMaterialIndices();
    KQelLayer* layer = pMesh->GetLayer(0);
    const int materialIndexCount =
        layer && layer->GetMaterials() ? layer->GetMaterials()->GetIndexArray().GetCount() : 0;
    KArrayTemplate<int> a, b;
    if (layer && layer->GetTextures())
        a = layer->GetTextures()->GetIndexArray();
    if (twoLayers && pMesh->GetLayer(1) && pMesh->GetLayer(1)->GetTextures())
        b = pMesh->GetLayer(1)->GetTextures()->GetIndexArray();
    const int materialMode = pMesh->GetMaterialMappingMode();
    const int textureMode = pMesh->GetTextureMappingMode();
    const int uvMode = pMesh->GetTextureUVMappingMode();
    // A texture index names a texture of layer 0 or none (-1).
    auto texture = [&](int pIndex) { return pIndex >= 0 && pIndex < textureCount && pMesh->GT(pIndex, 0) ? pIndex : -1; };

    // Each face's group key (m, first texture, second texture), textures K
    // for none; counts kept sparse and in key order.
    const std::uint64_t side = static_cast<std::uint64_t>(textureCount) + 1;
    std::vector<std::uint64_t> faceKeys(groups ? static_cast<std::size_t>(faceCount) : 0);
    std::map<std::uint64_t, std::uint32_t> counts;
    std::uint32_t flat = 2;
    int t1 = -1, t2 = -1;
    int f = 0;
    std::vector<int> corners, triangles;
    for (int p = 0; p < polygonCount; ++p) {
        const int n = pMesh->GetPolygonSize(p);
        if (n < 3)
            continue;
        corners.resize(static_cast<std::size_t>(n));
        for (int j = 0; j < n; ++j) {
            corners[static_cast<std::size_t>(j)] = pMesh->GetPolygonVertex(p, j);
            const int c = corners[static_cast<std::size_t>(j)];
            if (uvMode == KQelLayerElement::eByPolygonVertex && c >= 0 && c < pointCount) {
                const KQelVector2 uv = CornerUV(*pMesh, p, j);
                record->textarray[c] = {static_cast<float>(uv[0]), static_cast<float>(uv[1])};
            }
        }
        int m = 0;
        if (groups && materialIndices) {
            const int at = materialMode == KQelLayerElement::eAllSame ? 0
                           : materialMode == KQelLayerElement::eByPolygon ? p
                                                                           : corners[0];
            m = at >= 0 && at < materialIndexCount ? materialIndices[at] : 0;
            if (m < 0 || m >= materialCount)
                m = 0;
        }
        if (textured) {
            if (textureMode == KQelLayerElement::eAllSame) {
                t1 = texture(Entry(a, 0, -1));
                t2 = twoLayers ? texture(Entry(b, 0, -1)) : -1;
            } else if (textureMode == KQelLayerElement::eByPolygon) {
                t1 = texture(twoLayers ? Entry(b, p, -1) : Entry(a, p, -1));
                t2 = twoLayers ? texture(Entry(a, p, -1)) : -1;
            } else {
                t1 = texture(Entry(a, corners[0], -1));
                t2 = twoLayers ? texture(Entry(b, corners[0], -1)) : -1;
            }
        }
        triangles.resize(static_cast<std::size_t>(3 * (n - 2)));
        KTriangulation(triangles.data(), n);
        for (int k = 0; k + 2 < static_cast<int>(triangles.size()); k += 3) {
            const int ci = corners[static_cast<std::size_t>(triangles[static_cast<std::size_t>(k)])];
            const int cj = corners[static_cast<std::size_t>(triangles[static_cast<std::size_t>(k + 1)])];
            const int ck = corners[static_cast<std::size_t>(triangles[static_cast<std::size_t>(k + 2)])];
            const bool inside = ci >= 0 && ci < pointCount && cj >= 0 && cj < pointCount && ck >= 0 && ck < pointCount;
            record->facearray[f] = {static_cast<std::uint16_t>(inside ? ci : 0), static_cast<std::uint16_t>(inside ? cj : 0),
                                    static_cast<std::uint16_t>(inside ? ck : 0), 7};
            std::uint32_t smoothing = 1;
            if (normals && inside) {
                KQelVector4 normal = (points[ck] - points[cj]).CrossProduct(points[ci] - points[cj]);
                normal.Normalize();
                bool isFlat = true;
                for (int corner : {ci, cj, ck}) {
                    for (int c = 0; c < 3; ++c)
                        isFlat = isFlat && std::fabs(normals[corner][c] - normal[c]) <= 1e-6;
                }
                if (isFlat) {
                    flat *= 2;
                    smoothing = flat;
                    flat *= 2;
                }
            }
            record->smootharray[f] = smoothing;
            if (groups) {
                const int first = t1 >= 0 ? t1 : t2;
                const int second = t1 >= 0 ? t2 : -1;
                const std::uint64_t key = (static_cast<std::uint64_t>(m) * side +
                                           static_cast<std::uint64_t>(first >= 0 ? first : textureCount)) *
                                              side +
                                          static_cast<std::uint64_t>(second >= 0 ? second : textureCount);
                faceKeys[static_cast<std::size_t>(f)] = key;
                ++counts[key];
            }
            ++f;
        }
    }

    if (groups && !counts.empty()) {
        record->nmats = static_cast<std::uint16_t>(counts.size());
        InitMeshObjField3ds(record, 0xFFF);
        std::map<std::uint64_t, std::uint16_t> groupOf;
        std::uint16_t g = 0;
        for (const auto& entry : counts) {
            groupOf[entry.first] = g;
            InitMatArrayIndex3ds(record, g, static_cast<std::uint16_t>(entry.second));
            record->matarray[g].nfaces = 0;
            const int m = static_cast<int>(entry.first / side / side);
            const int first = static_cast<int>(entry.first / side % side);
            const int second = static_cast<int>(entry.first % side);
            if (material3ds* material = ConvMaterialTVto3DS(pMesh, m, first, second)) {
                std::snprintf(record->matarray[g].name, sizeof(record->matarray[g].name), "%.15s", material->name);
                PutMaterial3ds(mDatabase, material);
                ReleaseMaterial3ds(&material);
            }
            ++g;
        }
        for (int face = 0; face < f; ++face) {
            objmat3ds& group = record->matarray[groupOf[faceKeys[static_cast<std::size_t>(face)]]];
            if (group.faceindex)
                group.faceindex[group.nfaces++] = static_cast<std::uint16_t>(face);
        }
    }
    record->isfast = 1;
    return record;
}

}  // namespace qelsdk_600
