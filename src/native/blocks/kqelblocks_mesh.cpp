// The mesh block: vertices, polygons and layer 0 in the older layout's own
// fields (in the geometry's pivot space), and the mesh object of version 6.
#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "content/kqellayer.h"
#include "content/kqelmesh.h"
#include "file/iqelobject.h"
#include "native/blocks/kqelblockio.h"
#include "native/blocks/kqelblocks_geometry_impl.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelnode.h"

namespace qelsdk_600 {

namespace {

typedef KQelLayerElement Element;

const int kGeometryVersion = 123;
// Older files before this version number their texture ids over the whole
// geometry: CorrectTextureLayers repairs their layers.
const int kTextureLayerVersion = 124;

// "MaterialAssignation" and "TextureMode" tokens.
const struct Assignation {
    const char* mToken;
    Element::EMappingMode mMapping;
} kMaterialAssignations[] = {
    {"ByVertice", Element::eByControlPoint},
    {"ByPolygon", Element::eByPolygon},
    {"AllSame", Element::eAllSame},
},
  kTextureAssignations[] = {
      {"ByPolygon", Element::eByPolygon},
      {"ByModel", Element::eAllSame},
};

// The ten surface parameters, in the order they are written per direction.
struct Parameter {
    const char* mName;
    kInt KQelMesh::*mInt;
    bool KQelMesh::*mFlag;
};
const Parameter kUParameters[] = {
    {"UExtendedCount", &KQelMesh::mUExtendedCount, nullptr},
    {"UClosed", nullptr, &KQelMesh::mUClosed},
    {"UTopCap", nullptr, &KQelMesh::mUTopCap},
    {"UStep", &KQelMesh::mUStep, nullptr},
    {"UCount", &KQelMesh::mUCount, nullptr},
};
const Parameter kVParameters[] = {
    {"VExtendedCount", &KQelMesh::mVExtendedCount, nullptr},
    {"VClosed", nullptr, &KQelMesh::mVClosed},
    {"VTopCap", nullptr, &KQelMesh::mVTopCap},
    {"VStep", &KQelMesh::mVStep, nullptr},
    {"VCount", &KQelMesh::mVCount, nullptr},
};

KQelLayer* Layer0(KQelMesh& pMesh)
{
    if (pMesh.GetLayerCount() == 0)
        pMesh.CreateLayer();
    return pMesh.GetLayer(0);
}

const char* NodeName(KQelMesh& pMesh)
{
    return pMesh.GetNode() ? pMesh.GetNode()->GetName() : "Mesh";
}

// The count a per-control-point or per-polygon-vertex element covers.
int MappedCount(KQelMesh& pMesh, Element::EMappingMode pMapping)
{
    return pMapping == Element::eByControlPoint ? pMesh.GetControlPointsCount() : pMesh.GetPolygonVertexCount();
}

bool IndicesInside(const KArrayTemplate<int>& pIndices, int pCount)
{
    for (int i = 0, n = pIndices.GetCount(); i < n; ++i) {
        if (pIndices[i] < 0 || pIndices[i] >= pCount)
            return false;
    }
    return true;
}

}  // namespace

// ---- Writer ----

bool KQelWriterQel::WriteKQelMesh(KQelMesh& pMesh)
{
    KQel& file = File();
    if (pMesh.GetControlPointsCount() > 0) {
        WriteKQelGeometry(pMesh);
        native_detail::WriteFieldI(file, "GeometryVersion", kGeometryVersion);
        WriteKQelMeshVertices(pMesh);
        WriteKQelMeshNormals(pMesh);
        WriteKQelMeshMaterial(pMesh);
        WriteKQelMeshTexture(pMesh);
        WriteKQelMeshPolyVertexIndex(pMesh);
        WriteKQelMeshPolyGroupIndex(pMesh);
        WriteKQelMeshGeometryUVInfo(pMesh);
        WriteKQelMeshVertexColors(pMesh);
    }
    if (static_cast<long long>(pMesh.mUCount) * pMesh.mVCount == 0)
        return true;
    for (int direction = 0; direction < 2; ++direction) {
        if ((direction == 0 ? pMesh.mUCount : pMesh.mVCount) == 0)
            continue;
        for (const Parameter& parameter : direction == 0 ? kUParameters : kVParameters) {
            const int value = parameter.mInt ? pMesh.*parameter.mInt : (pMesh.*parameter.mFlag ? 1 : 0);
            native_detail::WriteFieldI(file, parameter.mName, value);
        }
    }
    return true;
}

bool KQelWriterQel::WriteKQelMeshVertices(KQelMesh& pMesh)
{
    KQel& file = File();
    const KQelXMatrix pivot = native_detail::GeometryPivot(pMesh);
    const KQelVector4* points = pMesh.GetControlPoints();
    file.FieldWriteBegin("Vertices");
    for (int i = 0, n = pMesh.GetControlPointsCount(); i < n; ++i)
        native_detail::WriteTransformedPoint(file, pivot, points[i]);
    file.FieldWriteEnd();
    return true;
}

bool KQelWriterQel::WriteKQelMeshNormals(KQelMesh& pMesh)
{
    KQelLayer* layer = pMesh.GetNormals() ? pMesh.GetLayer(0, Element::eNormal) : nullptr;
    KQelLayerElementNormal* normals = layer ? layer->GetNormals() : nullptr;
    if (!normals)
        return true;
    // The reader maps the normals by their count: only one per control point
    // or one per polygon vertex reads back as it was.
    const KArrayTemplate<KQelVector4>& values = normals->GetDirectArray();
    const int count = values.GetCount();
    if (count != pMesh.GetControlPointsCount() && count != pMesh.GetPolygonVertexCount())
        return true;
    KQel& file = File();
    const KQelXMatrix rotation = native_detail::NormalRotation(native_detail::GeometryPivot(pMesh));
    file.FieldWriteBegin("Normals");
    for (int i = 0; i < count; ++i)
        native_detail::WriteTransformedPoint(file, rotation, values[i]);
    file.FieldWriteEnd();
    return true;
}

bool KQelWriterQel::WriteKQelMeshMaterial(KQelMesh& pMesh)
{
    KQel& file = File();
    const Element::EMappingMode mapping = pMesh.GetMaterialMappingMode();
    const char* token = "AllSame";
    int count = 1;
    if (mapping == Element::eByPolygon) {
        token = "ByPolygon";
        count = pMesh.GetPolygonCount();
    } else if (mapping == Element::eByControlPoint) {
        token = "ByVertice";
        count = pMesh.GetControlPointsCount();
    }
    native_detail::WriteFieldC(file, "MaterialAssignation", token);
    const int materials = pMesh.GMC(0);
    KQelLayer* layer = pMesh.GetLayer(0);
    KQelLayerElementMaterial* element = layer ? layer->GetMaterials() : nullptr;
    const bool indexed = element && element->GetReferenceMode() != Element::eDirect;
    const int* indices = indexed ? pMesh.GetMaterialIndices() : nullptr;
    const int indexCount = indices ? element->GetIndexArray().GetCount() : 0;
    file.FieldWriteBegin("Materials");
    for (int i = 0; i < count; ++i) {
        // Entries the index array lacks, or that name no material, become
        // the last material.
        int value = materials - 1;
        if (i < indexCount && indices[i] >= -1 && indices[i] < materials)
            value = indices[i];
        file.FieldWriteI(materials == 0 ? 0 : value);
    }
    file.FieldWriteEnd();
    return true;
}

bool KQelWriterQel::WriteKQelMeshTexture(KQelMesh& pMesh)
{
    const int layerIndex = pMesh.GetLayerIndex(0, Element::eTexture);
    KQelLayer* layer = pMesh.GetLayer(layerIndex);
    KQelLayerElementTexture* textures = layer ? layer->GetTextures() : nullptr;
    if (!textures)
        return true;
    KQel& file = File();
    const int count = pMesh.GTC(layerIndex);
    if (textures->GetMappingMode() == Element::eAllSame) {
        // The reader gives "ByModel" the layer's last texture: a layer
        // without one assigns none.
        if (count > 0)
            native_detail::WriteFieldC(file, "TextureMode", "ByModel");
        return true;
    }
    if (textures->GetMappingMode() != Element::eByPolygon)
        return true;
    native_detail::WriteFieldC(file, "TextureMode", "ByPolygon");
    const KArrayTemplate<int>& indices = textures->GetIndexArray();
    file.FieldWriteBegin("TextureId");
    for (int i = 0, n = pMesh.GetPolygonCount(); i < n; ++i) {
        // Entries the index array lacks, or that name no texture, become the
        // last texture, or none when the layer has none.
        int value = count - 1;
        if (i < indices.GetCount() && indices[i] >= -1 && indices[i] < count)
            value = indices[i];
        file.FieldWriteI(value);
    }
    file.FieldWriteEnd();
    return true;
}

bool KQelWriterQel::WriteKQelMeshPolyVertexIndex(KQelMesh& pMesh)
{
    const int polygons = pMesh.GetPolygonCount();
    if (polygons == 0)
        return true;
    KQel& file = File();
    file.FieldWriteBegin("PolygonVertexIndex");
    for (int p = 0; p < polygons; ++p) {
        const int size = pMesh.GetPolygonSize(p);
        for (int v = 0; v < size; ++v) {
            const int index = pMesh.GetPolygonVertex(p, v);
            // The polygon's last corner is stored complemented.
            file.FieldWriteI(v == size - 1 ? ~index : index);
        }
    }
    file.FieldWriteEnd();
    return true;
}

bool KQelWriterQel::WriteKQelMeshPolyGroupIndex(KQelMesh& pMesh)
{
    const int polygons = pMesh.GetPolygonCount();
    bool uniform = true;
    for (int p = 1; p < polygons && uniform; ++p)
        uniform = pMesh.GetPolygonGroup(p) == pMesh.GetPolygonGroup(0);
    if (uniform)
        return true;
    KQel& file = File();
    file.FieldWriteBegin("PolygonGroup");
    for (int p = 0; p < polygons; ++p)
        file.FieldWriteI(pMesh.GetPolygonGroup(p));
    file.FieldWriteEnd();
    return true;
}

bool KQelWriterQel::WriteKQelMeshGeometryUVInfo(KQelMesh& pMesh)
{
    KQel& file = File();
    KQelLayer* layer = pMesh.GetLayer(0, Element::eUV);
    const Element::EMappingMode mapping =
        layer ? layer->GetUVs()->GetMappingMode() : Element::eNoMappingInformation;
    const KQelVector2* uvs = pMesh.GetTextureUV();
    const int count = pMesh.GetTextureUVCount();
    KQelLayer* layer0 = pMesh.GetLayer(0);
    const KQelLayerElementUV* element = layer0 ? layer0->GetUVs() : nullptr;
    const KArrayTemplate<int>* indices = element ? &element->GetIndexArray() : nullptr;
    // By polygon vertex, the reader wants one UV index per polygon vertex
    // (the identity when none are written), each inside the list.
    bool expressible = uvs && (mapping == Element::eByControlPoint || mapping == Element::eByPolygonVertex);
    if (expressible && mapping == Element::eByPolygonVertex) {
        const int corners = pMesh.GetPolygonVertexCount();
        expressible = indices->GetCount() > 0
                          ? indices->GetCount() >= corners && IndicesInside(*indices, count)
                          : count >= corners;
    }
    native_detail::WriteBlock block(file, "GeometryUVInfo");
    native_detail::WriteFieldI(file, "Version", 240);
    if (!expressible) {
        native_detail::WriteFieldC(file, "MappingInformationType", "NoMappingInformation");
        return true;
    }
    native_detail::WriteFieldC(file, "MappingInformationType",
                               mapping == Element::eByControlPoint ? "ByVertice" : "ByPolygon");
    file.FieldWriteBegin("TextureUV");
    for (int i = 0; i < count; ++i) {
        file.FieldWriteD(uvs[i][0]);
        file.FieldWriteD(uvs[i][1]);
    }
    file.FieldWriteEnd();
    if (mapping == Element::eByPolygonVertex && indices->GetCount() > 0)
        native_detail::WriteIntField(file, "TextureUVVerticeIndex", indices->GetArray(), indices->GetCount());
    return true;
}

bool KQelWriterQel::WriteKQelMeshVertexColors(KQelMesh& pMesh)
{
    KQelLayer* layer = pMesh.GetLayer(0, Element::eVertexColor);
    KQelLayerElementVertexColor* colors = layer ? layer->GetVertexColors() : nullptr;
    if (!colors)
        return true;
    const Element::EMappingMode mapping = colors->GetMappingMode();
    if (mapping != Element::eByControlPoint && mapping != Element::eByPolygonVertex)
        return true;
    const int expected = MappedCount(pMesh, mapping);
    const KArrayTemplate<KQelColor>& values = colors->GetDirectArray();
    const KArrayTemplate<int>& indices = colors->GetIndexArray();
    const Element::EReferenceMode reference = colors->GetReferenceMode();
    const bool consistent =
        values.GetCount() > 0 &&
        ((reference == Element::eDirect && values.GetCount() == expected) ||
         (reference == Element::eIndexToDirect && indices.GetCount() == expected &&
          IndicesInside(indices, values.GetCount())));
    if (!consistent)
        return false;
    KQel& file = File();
    native_detail::WriteBlock block(file, "VertexColorInfo");
    native_detail::WriteFieldI(file, "Version", 100);
    native_detail::WriteFieldC(file, "MappingInformationType",
                               mapping == Element::eByControlPoint ? "ByVertice" : "ByPolygonVertex");
    file.FieldWriteBegin("Colors");
    for (int i = 0, n = values.GetCount(); i < n; ++i) {
        file.FieldWriteD(values[i].mRed);
        file.FieldWriteD(values[i].mGreen);
        file.FieldWriteD(values[i].mBlue);
        file.FieldWriteD(values[i].mAlpha);
    }
    file.FieldWriteEnd();
    if (reference == Element::eIndexToDirect)
        native_detail::WriteIntField(file, "ColorIndex", indices.GetArray(), indices.GetCount());
    return true;
}

// ---- Reader ----

bool KQelReaderQel::ReadKQelMesh(KQelMesh& pMesh)
{
    KQel& file = File();
    const int version = file.FieldReadI("GeometryVersion", 0);
    ReadKQelMeshVertices(pMesh);
    ReadKQelMeshPolygonIndex(pMesh);
    if (!mFile->IsBeforeVersion6()) {
        ReadLayerElements(pMesh);
        ReadKQelGeometryLinks(pMesh);
        ReadKQelGeometryShapes(pMesh);
        return true;
    }
    ReadKQelMeshNormals(pMesh);
    ReadKQelMeshPolyGroupIndex(pMesh);
    ReadKQelMeshVertexColors(pMesh);
    ReadKQelGeometry(pMesh);
    ReadKQelMeshAssignation(pMesh);
    ReadKQelMeshMaterialsID(pMesh);
    ReadKQelMeshTexturesID(pMesh);
    ReadKQelMeshParameters(pMesh);
    bool inBlock = false;
    {
        native_detail::ReadBlock block(file, "GeometryUVInfo");
        inBlock = block.IsOpen();
        if (inBlock) {
            ReadKQelMeshTextureType(pMesh);
            ReadKQelMeshTextureUV(pMesh);
            ReadKQelMeshTextureIndex(pMesh);
        }
    }
    if (!inBlock) {
        ReadKQelMeshTextureType(pMesh);
        ReadKQelMeshTextureUV(pMesh);
        ReadKQelMeshTextureIndex(pMesh);
    }
    // A UV element left without a single UV says the mesh has none.
    KQelLayer* layer = pMesh.GetLayer(0);
    KQelLayerElementUV* uvs = layer ? layer->GetUVs() : nullptr;
    if (uvs && uvs->GetDirectArray().GetCount() == 0 && uvs->GetIndexArray().GetCount() == 0) {
        layer->SetUVs(nullptr);
        delete uvs;
    }
    if (version < kTextureLayerVersion)
        CorrectTextureLayers(pMesh);
    return true;
}

bool KQelReaderQel::ReadKQelMeshVertices(KQelMesh& pMesh)
{
    KQel& file = File();
    if (!file.FieldReadBegin("Vertices"))
        return true;
    const int count = file.FieldReadGetCount() / 3;
    pMesh.InitControlPoints(0);
    if (pMesh.ReserveControlPoints(count)) {
        native_detail::ReadDoubleItems(
            file, 3, count, pMesh.GetControlPoints(),
            [](const double* v) { return KQelVector4(v[0], v[1], v[2], 0.0); },
            [&pMesh](const KQelVector4* pPoints, int pCount) { pMesh.AddControlPoints(pPoints, pCount); });
    }
    file.FieldReadEnd();
    return true;
}

bool KQelReaderQel::ReadKQelMeshPolygonIndex(KQelMesh& pMesh)
{
    KQel& file = File();
    if (!file.FieldReadBegin("PolygonVertexIndex"))
        return true;
    // A negative value ends its polygon and stores its corner complemented
    // (never negated: -INT_MIN does not exist); values the field lacks read
    // as 0. The corners are decoded straight into the mesh's own storage
    // and checked a piece at a time while the piece is fresh, before any
    // polygon is made. The count is bounded by what the field's bytes hold.
    const int count = file.FieldReadGetCount();
    if (count <= 0) {
        file.FieldReadEnd();
        return true;
    }
    // Where the mesh cannot make room, a temporary takes them, for
    // AddPolygons to refuse as it would have. Deflated runs let a small file
    // claim a count beyond what memory holds.
    int* corners = pMesh.ReservePolygonVertices(count);
    std::unique_ptr<int[]> spare(corners ? nullptr : new (std::nothrow) int[static_cast<size_t>(count)]);
    corners = corners ? corners : spare.get();
    std::unique_ptr<int[]> sizes(new (std::nothrow) int[static_cast<size_t>(count)]);
    if (!corners || !sizes) {
        file.FieldReadEnd();
        pMesh.TrimPolygonVertices();
        MarkCorruptData(NodeName(pMesh), "PolygonVertexIndex");
        return true;
    }
    int polygons = 0, highest = 0, start = 0;
    for (int first = 0; first < count;) {
        int* piece = corners + first;
        const int n = std::min(count - first, 4096);
        std::fill(piece + file.FieldReadIn(piece, static_cast<unsigned int>(n)), piece + n, 0);
        for (int i = 0; i < n; ++i) {
            if (piece[i] < 0) {
                sizes[polygons++] = first + i + 1 - start;
                start = first + i + 1;
            }
        }
        // Apart from the ends, so that it vectorises.
        for (int i = 0; i < n; ++i) {
            const int corner = piece[i] ^ (piece[i] >> 31);
            piece[i] = corner;
            highest = std::max(highest, corner);
        }
        first += n;
    }
    file.FieldReadEnd();
    if (highest >= pMesh.GetControlPointsCount()) {
        pMesh.TrimPolygonVertices();
        MarkCorruptData(NodeName(pMesh), "PolygonVertexIndex");
        return true;
    }
    // The last polygon may be left open.
    if (start < count)
        sizes[polygons++] = count - start;
    if (!pMesh.AddPolygons(sizes.get(), polygons, corners))
        pMesh.TrimPolygonVertices();
    return true;
}

bool KQelReaderQel::ReadKQelMeshNormals(KQelMesh& pMesh)
{
    KQel& file = File();
    if (!file.FieldReadBegin("Normals"))
        return true;
    const int count = file.FieldReadGetCount() / 3;
    pMesh.InitNormals(count);
    KQelVector4* normals = pMesh.GetNormals();
    KQelLayer* layer = pMesh.GetLayer(0);
    const int stored = layer && layer->GetNormals() ? layer->GetNormals()->GetDirectArray().GetCount() : 0;
    native_detail::ReadDoubleGroups(file, 3, normals ? std::min(count, stored) : 0,
                                    [normals](int i, const double* v) {
                                        normals[i][0] = v[0];
                                        normals[i][1] = v[1];
                                        normals[i][2] = v[2];
                                    });
    file.FieldReadEnd();
    return true;
}

bool KQelReaderQel::ReadKQelMeshPolyGroupIndex(KQelMesh& pMesh)
{
    std::vector<int> groups;
    const int polygons = pMesh.GetPolygonCount();
    const bool present = native_detail::ReadIntField(File(), "PolygonGroup", groups);
    if (!present || groups.size() != static_cast<size_t>(polygons)) {
        for (int p = 0; p < polygons; ++p)
            pMesh.SetPolygonGroup(p, 0);
        return true;
    }
    KQelLayer* layer = Layer0(pMesh);
    if (!layer)
        return true;
    KQelLayerElementPolygonGroup* element = layer->GetPolygonGroups();
    if (!element) {
        element = new KQelLayerElementPolygonGroup;
        layer->SetPolygonGroups(element);
    }
    element->SetMappingMode(Element::eByPolygon);
    element->SetReferenceMode(Element::eIndex);
    KArrayTemplate<int>& indices = element->GetIndexArray();
    indices.SetCount(polygons);
    for (int p = 0; p < polygons; ++p) {
        indices[p] = groups[p];
        pMesh.SetPolygonGroup(p, groups[p]);
    }
    return true;
}

bool KQelReaderQel::ReadKQelMeshVertexColors(KQelMesh& pMesh)
{
    KQel& file = File();
    native_detail::ReadBlock block(file, "VertexColorInfo");
    if (!block.HasField())
        return true;
    KQelLayer* layer = Layer0(pMesh);
    if (!layer)
        return true;
    KQelLayerElementVertexColor* element = layer->GetVertexColors();
    if (!element) {
        element = new KQelLayerElementVertexColor;
        layer->SetVertexColors(element);
    }
    KArrayTemplate<KQelColor>& colors = element->GetDirectArray();
    KArrayTemplate<int>& indices = element->GetIndexArray();
    colors.Clear();
    indices.Clear();
    Element::EMappingMode mapping = Element::eNoMappingInformation;
    if (block.IsOpen()) {
        const KString token = file.FieldReadC("MappingInformationType", "");
        if (token == "ByVertice")
            mapping = Element::eByControlPoint;
        else if (token == "ByPolygonVertex")
            mapping = Element::eByPolygonVertex;
        std::vector<double> values;
        native_detail::ReadDoubleField(file, "Colors", values);
        colors.SetCount(static_cast<int>(values.size() / 4));
        for (int i = 0, n = colors.GetCount(); i < n; ++i)
            colors[i] = KQelColor(values[4 * i], values[4 * i + 1], values[4 * i + 2], values[4 * i + 3]);
        std::vector<int> ids;
        native_detail::ReadIntField(file, "ColorIndex", ids);
        indices.SetCount(static_cast<int>(ids.size()));
        for (int i = 0, n = indices.GetCount(); i < n; ++i)
            indices[i] = ids[i];
    }
    const bool indexed = indices.GetCount() > 0;
    element->SetMappingMode(mapping);
    element->SetReferenceMode(indexed ? Element::eIndexToDirect : Element::eDirect);
    const int expected = mapping == Element::eNoMappingInformation ? -1 : MappedCount(pMesh, mapping);
    const bool consistent = colors.GetCount() > 0 && expected >= 0 &&
                            (indexed ? indices.GetCount() == expected : colors.GetCount() == expected);
    if (consistent)
        return true;
    colors.Clear();
    indices.Clear();
    element->SetMappingMode(Element::eNoMappingInformation);
    MarkCorruptData(NodeName(pMesh), "VertexColorInfo");
    return false;
}

bool KQelReaderQel::ReadKQelMeshAssignation(KQelMesh& pMesh)
{
    KQel& file = File();
    const KString material = file.FieldReadC("MaterialAssignation", "");
    for (const Assignation& assignation : kMaterialAssignations) {
        if (material == assignation.mToken)
            pMesh.InitMaterialIndices(assignation.mMapping);
    }
    const KString texture = file.FieldReadC("TextureMode", "");
    for (const Assignation& assignation : kTextureAssignations) {
        if (texture == assignation.mToken)
            pMesh.InitTextureIndices(assignation.mMapping);
    }
    return true;
}

bool KQelReaderQel::ReadKQelMeshMaterialsID(KQelMesh& pMesh)
{
    KQelLayer* layer = Layer0(pMesh);
    if (!layer)
        return true;
    KQelLayerElementMaterial* element = layer->GetMaterials();
    if (!element) {
        element = new KQelLayerElementMaterial;
        layer->SetMaterials(element);
    }
    if (element->GetReferenceMode() != Element::eDirect) {
        std::vector<int> values;
        native_detail::ReadIntField(File(), "Materials", values);
        KArrayTemplate<int>& indices = element->GetIndexArray();
        indices.SetCount(static_cast<int>(values.size()));
        for (int i = 0, n = indices.GetCount(); i < n; ++i)
            indices[i] = values[i];
    }
    if (element->GetReferenceMode() == Element::eIndexToDirect && element->GetDirectArray().GetCount() == 0) {
        layer->SetMaterials(nullptr);
        delete element;
    }
    return true;
}

bool KQelReaderQel::ReadKQelMeshTexturesID(KQelMesh& pMesh)
{
    KQelLayer* layer = Layer0(pMesh);
    if (!layer)
        return true;
    KQelLayerElementTexture* element = layer->GetTextures();
    std::vector<int> values;
    if (native_detail::ReadIntField(File(), "TextureId", values)) {
        if (!element) {
            element = new KQelLayerElementTexture;
            layer->SetTextures(element);
        }
        KArrayTemplate<int>& indices = element->GetIndexArray();
        for (int value : values)
            indices.Add(value);
    } else if (element && element->GetDirectArray().GetCount() > 0) {
        element->GetIndexArray().Add(element->GetDirectArray().GetCount() - 1);
    }
    return true;
}

bool KQelReaderQel::ReadKQelMeshParameters(KQelMesh& pMesh)
{
    KQel& file = File();
    for (const Parameter* table : {kUParameters, kVParameters}) {
        for (int i = 0; i < 5; ++i) {
            const Parameter& parameter = table[i];
            if (!file.FieldReadBegin(parameter.mName))
                continue;
            const int value = file.FieldReadI();
            file.FieldReadEnd();
            if (parameter.mInt)
                pMesh.*parameter.mInt = value;
            else
                pMesh.*parameter.mFlag = value == 1;
        }
    }
    return true;
}

bool KQelReaderQel::ReadKQelMeshTextureType(KQelMesh& pMesh)
{
    const KString token = File().FieldReadC("MappingInformationType", "");
    Element::EMappingMode mapping = Element::eAllSame;
    if (token == "ByVertice")
        mapping = Element::eByControlPoint;
    else if (token == "ByPolygon")
        mapping = Element::eByPolygonVertex;  // the older name of per-corner UVs
    pMesh.InitTextureUVIndices(mapping);
    return true;
}

bool KQelReaderQel::ReadKQelMeshTextureUV(KQelMesh& pMesh)
{
    KQel& file = File();
    if (!file.FieldReadBegin("TextureUV") && !file.FieldReadBegin("TexturePUV"))
        return true;
    const bool perCorner = pMesh.GetTextureUVMappingMode() == Element::eByPolygonVertex;
    const int count = perCorner ? file.FieldReadGetCount() / 2 : pMesh.GetControlPointsCount();
    pMesh.InitTextureUV(count);
    KQelVector2* uvs = pMesh.GetTextureUV();
    native_detail::ReadDoubleGroups(file, 2, uvs ? pMesh.GetTextureUVCount() : 0,
                                    [uvs](int i, const double* v) { uvs[i] = KQelVector2(v[0], v[1]); });
    file.FieldReadEnd();
    return true;
}

bool KQelReaderQel::ReadKQelMeshTextureIndex(KQelMesh& pMesh)
{
    if (pMesh.GetTextureUVMappingMode() != Element::eByPolygonVertex)
        return true;
    KQelLayerElementUV* element = pMesh.GetLayer(0) ? pMesh.GetLayer(0)->GetUVs() : nullptr;
    if (!element)
        return true;
    KArrayTemplate<int>& indices = element->GetIndexArray();
    std::vector<int> values;
    KQel& file = File();
    if (native_detail::ReadIntField(file, "TextureVertexIndex", values) ||
        native_detail::ReadIntField(file, "TextureUVVerticeIndex", values)) {
        if (!values.empty()) {
            indices.SetCount(static_cast<int>(values.size()));
            for (int i = 0, n = indices.GetCount(); i < n; ++i)
                indices[i] = values[i];
        }
        return true;
    }
    const int count = pMesh.GetTextureUVCount();
    if (count > 0) {
        indices.SetCount(count);
        for (int i = 0; i < count; ++i)
            indices[i] = i;
    }
    return true;
}

bool KQelReaderQel::CorrectTextureLayers(KQelMesh& pMesh)
{
    if (pMesh.GetLayerCount(Element::eTexture) < 2)
        return true;
    const int listed = mTextures.GetCount();
    for (int l = 0, layers = pMesh.GetLayerCount(); l < layers && listed > 0; ++l) {
        KQelLayerElementTexture* element = pMesh.GetLayer(l)->GetTextures();
        if (!element || element->GetReferenceMode() != Element::eIndexToDirect)
            continue;
        const KArrayTemplate<int>& indices = element->GetIndexArray();
        KArrayTemplate<KQelTexture*>& textures = element->GetDirectArray();
        // Grown only as far as the list goes: a larger index stays out of
        // range for the geometry check to refuse.
        for (int i = 0, n = indices.GetCount(); i < n; ++i) {
            while (textures.GetCount() <= indices[i] && textures.GetCount() < listed)
                textures.Add(mTextures[textures.GetCount()]);
        }
    }
    return true;
}

}  // namespace qelsdk_600
