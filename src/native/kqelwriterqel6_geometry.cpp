// Mesh vertices and polygons, layer elements, "Layer" blocks and the common
// geometry fields of the version-6 writer.
#include <unordered_map>
#include <vector>

#include "base/kset.h"
#include "content/kqelgeometry.h"
#include "content/kqellayercontainer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqelshape.h"
#include "content/kqeltexture.h"
#include "file/kqel.h"
#include "native/kqelwriterqel6.h"
#include "native/kqelwriterqel6_impl.h"
#include "object/kclassdefinition.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"

namespace qelsdk_600 {

namespace {

typedef KQelLayerElement Element;

// Element field names by element type (1 to 6), as the "Layer" blocks list
// them too.
const char* const kElementNames[] = {nullptr,
                                     "LayerElementNormal",
                                     "LayerElementMaterial",
                                     "LayerElementTexture",
                                     "LayerElementPolygonGroup",
                                     "LayerElementUV",
                                     "LayerElementColor"};

// The order in which a "Layer" block lists its elements.
const Element::ELayerElementType kLayerOrder[] = {Element::eNormal,       Element::eMaterial, Element::eTexture,
                                                  Element::ePolygonGroup, Element::eUV,       Element::eVertexColor};

// Last position of each source object (by its property set) in the list of
// pHandler's connections to sets of class pClassId.
std::unordered_map<KPlug*, int> ConnectionPositions(KObject* pHandler, int pClassId)
{
    std::unordered_map<KPlug*, int> positions;
    KPlug* view = pHandler ? pHandler->SubPlugGetOrCreate(KPlug_GetFilter(pClassId)) : nullptr;
    for (int i = 0, n = view ? view->GetSrcCount() : 0; i < n; ++i)
        positions[view->GetSrc(i)] = i;
    return positions;
}

// Connection position of every direct entry (a material or texture) of the
// element, -1 where the object is null or not connected.
template <class Object>
std::vector<int> DirectPositions(KObject* pHandler, const KArrayTemplate<Object*>& pDirect, int pClassId)
{
    const std::unordered_map<KPlug*, int> positions = ConnectionPositions(pHandler, pClassId);
    std::vector<int> result(static_cast<size_t>(pDirect.GetCount()), -1);
    for (int i = 0, n = pDirect.GetCount(); i < n; ++i) {
        Object* object = pDirect[i];
        if (!object)
            continue;
        auto found = positions.find(object->GetPropertyHandler());
        if (found != positions.end())
            result[static_cast<size_t>(i)] = found->second;
    }
    return result;
}

// The index array written as it stands, or (index-to-direct) each entry as
// the connection position of the direct entry it names; entries outside
// the direct array become -1.
template <class Object>
void WriteObjectIndices(KQel& pFile, const char* pName, KQelLayerElementTemplate<Object*>& pElement,
                        KObject* pHandler, int pClassId)
{
    const KArrayTemplate<int>& indices = pElement.GetIndexArray();
    pFile.FieldWriteBegin(pName);
    if (pElement.GetReferenceMode() == Element::eIndexToDirect) {
        const std::vector<int> positions = DirectPositions(pHandler, pElement.GetDirectArray(), pClassId);
        writer6_detail::BlockWriter<int> values(pFile);
        for (int i = 0, n = indices.GetCount(); i < n; ++i) {
            const int entry = indices[i];
            values.Add(entry >= 0 && static_cast<size_t>(entry) < positions.size() ? positions[static_cast<size_t>(entry)]
                                                                                  : -1);
        }
    } else {
        pFile.FieldWriteIn(indices.GetArray(), static_cast<unsigned int>(indices.GetCount()));
    }
    pFile.FieldWriteEnd();
}

template <class Object>
int MapIndexToConnection(KObject* pHandler, void* pElement, int pIndex, int pClassId)
{
    KQelLayerElementTemplate<Object*>* element = static_cast<KQelLayerElementTemplate<Object*>*>(pElement);
    if (!pHandler || !element || pIndex < 0 || pIndex >= element->GetIndexArray().GetCount())
        return -1;
    const int entry = element->GetIndexArray()[pIndex];
    const KArrayTemplate<Object*>& direct = element->GetDirectArray();
    if (entry < 0 || entry >= direct.GetCount() || !direct[entry])
        return -1;
    const std::unordered_map<KPlug*, int> positions = ConnectionPositions(pHandler, pClassId);
    auto found = positions.find(direct[entry]->GetPropertyHandler());
    return found != positions.end() ? found->second : -1;
}

void WriteIntArray(KQel& pFile, const char* pName, const KArrayTemplate<int>& pValues)
{
    pFile.FieldWriteBegin(pName);
    pFile.FieldWriteIn(pValues.GetArray(), static_cast<unsigned int>(pValues.GetCount()));
    pFile.FieldWriteEnd();
}

// Width components of every entry of the direct array.
template <int Width, class T, class Get>
void WriteDirect(KQel& pFile, const char* pName, const KArrayTemplate<T>& pValues, Get pGet)
{
    pFile.FieldWriteBegin(pName);
    {
        writer6_detail::BlockWriter<double> values(pFile);
        double item[Width];
        for (int i = 0, n = pValues.GetCount(); i < n; ++i) {
            for (int c = 0; c < Width; ++c)
                item[c] = pGet(pValues[i], c);
            values.Add(item);
        }
    }
    pFile.FieldWriteEnd();
}

double ColorComponent(const KQelColor& pColor, int pComponent)
{
    const double components[] = {pColor.mRed, pColor.mGreen, pColor.mBlue, pColor.mAlpha};
    return components[pComponent];
}

// The element blocks of one type: each element pWrites accepts gets the
// next number, enters the table and is written with pData for its data
// fields.
template <class ElementT, class Writes, class Data>
void WriteElementBlocks(KQel& pFile, KQelLayerContainer& pContainer, KSet& pTable,
                        Element::ELayerElementType pType, Writes pWrites, Data pData)
{
    int number = 0;
    for (int i = 0, n = pContainer.GetLayerCount(pType); i < n; ++i) {
        KQelLayer* layer = pContainer.GetLayer(i, pType);
        ElementT* element = layer ? static_cast<ElementT*>(layer->GetLayerElementOfType(pType)) : nullptr;
        if (!element || !pWrites(*element))
            continue;
        pTable.Add(reinterpret_cast<kReference>(static_cast<Element*>(element)), static_cast<kReference>(number));
        pFile.FieldWriteBegin(kElementNames[pType]);
        pFile.FieldWriteI(number);
        pFile.FieldWriteBlockBegin();
        pFile.FieldWriteBegin("Version");
        pFile.FieldWriteI(100);
        pFile.FieldWriteEnd();
        pFile.FieldWriteBegin("MappingInformationType");
        pFile.FieldWriteC(GetMappingModeToken(element->GetMappingMode()));
        pFile.FieldWriteEnd();
        pFile.FieldWriteBegin("ReferenceInformationType");
        pFile.FieldWriteC(GetReferenceModeToken(element->GetReferenceMode()));
        pFile.FieldWriteEnd();
        pData(*element);
        pFile.FieldWriteBlockEnd();
        pFile.FieldWriteEnd();
        ++number;
    }
}

bool NotDirect(const Element& pElement)
{
    return pElement.GetReferenceMode() != Element::eDirect;
}

bool NotIndex(const Element& pElement)
{
    return pElement.GetReferenceMode() != Element::eIndex;
}

bool Always(const Element&)
{
    return true;
}

// What the element writers write of each type (1 to 6): the elements their
// filter accepts, of meshes alone (WriteKQelGeometry) or of every geometry.
const struct {
    bool (*mWrites)(const Element&);
    bool mMeshOnly;
} kWritten[] = {
    {nullptr, false}, {Always, true}, {NotDirect, false}, {NotDirect, false},
    {NotDirect, true}, {NotIndex, true}, {NotIndex, true},
};

// Where a direct array comes with its index array: index-to-direct only.
template <class ElementT>
void WriteIndexToDirect(KQel& pFile, const char* pName, ElementT& pElement)
{
    if (pElement.GetReferenceMode() == Element::eIndexToDirect)
        WriteIntArray(pFile, pName, pElement.GetIndexArray());
}

// The property set of the node that holds the geometry; null when none.
KObject* NodeHandler(KQelLayerContainer& pContainer)
{
    KQelNode* node = pContainer.GetNode();
    return node ? node->GetPropertyHandler() : nullptr;
}

}  // namespace

const char* GetMappingModeToken(KQelLayerElement::EMappingMode pMode)
{
    return KQelLayerElement::GetMappingModeToken(pMode);
}

const char* GetReferenceModeToken(KQelLayerElement::EReferenceMode pMode)
{
    return KQelLayerElement::GetReferenceModeToken(pMode);
}

const char* GetBlendModeToken(KQelLayerElementTexture::EBlendMode pMode)
{
    return KQelLayerElementTexture::GetBlendModeToken(pMode);
}

// ---- Mesh ----

bool KQelWriterQel6::WriteKQelMesh(KQelMesh& pMesh)
{
    if (pMesh.GetControlPointsCount() <= 0)
        return true;
    WriteKQelMeshVertices(pMesh);
    WriteKQelMeshPolyVertexIndex(pMesh);
    WriteKQelGeometry(pMesh);
    return true;
}

bool KQelWriterQel6::WriteKQelMeshVertices(KQelMesh& pMesh)
{
    KQelXMatrix pivot;
    pMesh.GetPivot(pivot);
    const KQelVector4* points = pMesh.GetControlPoints();
    KQel& file = File();
    file.FieldWriteBegin("Vertices");
    {
        // KQelXMatrix::MultT inline, its sums in the same order: the same
        // bits without a call and a vector returned for every point.
        const KgeAMatrix& m = pivot;
        writer6_detail::BlockWriter<double> values(file);
        double moved[3];
        for (int i = 0, n = pMesh.GetControlPointsCount(); i < n; ++i) {
            const KQelVector4& p = points[i];
            for (int j = 0; j < 3; ++j)
                moved[j] = p[0] * m.mData[0][j] + p[1] * m.mData[1][j] + p[2] * m.mData[2][j] + m.mData[3][j];
            values.Add(moved);
        }
    }
    file.FieldWriteEnd();
    return true;
}

bool KQelWriterQel6::WriteKQelMeshPolyVertexIndex(KQelMesh& pMesh)
{
    const int polygons = pMesh.GetPolygonCount();
    if (polygons <= 0)
        return true;
    const int* corners = pMesh.GetPolygonVertices();
    const int cornerCount = pMesh.GetPolygonVertexCount();
    KQel& file = File();
    file.FieldWriteBegin("PolygonVertexIndex");
    writer6_detail::BlockWriter<int> values(file);
    for (int p = 0; p < polygons; ++p) {
        const int start = pMesh.GetPolygonVertexIndex(p);
        const int size = pMesh.GetPolygonSize(p);
        if (size <= 0 || start < 0 || start > cornerCount - size)
            continue;
        // A negative corner cannot be written: the polygon is left out.
        const int* corner = corners + start;
        if (int* room = values.Room(static_cast<unsigned int>(size))) {
            int signs = 0;
            for (int k = 0; k < size; ++k) {
                signs |= corner[k];
                room[k] = corner[k];
            }
            room[size - 1] = ~corner[size - 1];
            if (signs >= 0)
                values.Commit(static_cast<unsigned int>(size));
            continue;
        }
        bool encodable = true;
        for (int k = 0; k < size; ++k)
            encodable &= corner[k] >= 0;
        if (!encodable)
            continue;
        for (int k = 0; k < size - 1; ++k)
            values.Add(corner[k]);
        values.Add(~corner[size - 1]);
    }
    values.Flush();
    file.FieldWriteEnd();
    return true;
}

// ---- Common geometry fields ----

bool KQelWriterQel6::WriteKQelGeometry(KQelGeometry& pGeometry)
{
    FieldI("GeometryVersion", 124);
    KSet table(20);
    if (pGeometry.GetAttributeType() == KQelNodeAttribute::eMesh) {
        WriteKQelLayerElementNormals(pGeometry, table);
        WriteKQelLayerElementPolygonGroups(pGeometry, table);
        WriteKQelLayerElementVertexColors(pGeometry, table);
        WriteKQelLayerElementUVs(pGeometry, table);
    }
    WriteKQelLayerElementMaterials(pGeometry, table);
    WriteKQelLayerElementTextures(pGeometry, table);
    WriteKQelLayers(pGeometry, table);
    for (int i = 0, n = pGeometry.GetShapeCount(); i < n; ++i) {
        KQelShape* shape = pGeometry.GetShape(i);
        if (shape)
            WriteKQelShape(*shape, KString(pGeometry.GetShapeName(i)), pGeometry);
    }
    return true;
}

bool KQelWriterQel6::WriteKQelLayerElementNormals(KQelLayerContainer& pContainer, KSet& pTable)
{
    KQel& file = File();
    WriteElementBlocks<KQelLayerElementNormal>(file, pContainer, pTable, Element::eNormal,
                                               kWritten[Element::eNormal].mWrites,
                                               [&file](KQelLayerElementNormal& pElement) {
                                                   WriteDirect<3>(file, "Normals", pElement.GetDirectArray(),
                                                                  [](const KQelVector4& v, int c) { return v[c]; });
                                                   // Normals by index name them as index-to-direct
                                                   // does: their indices go along.
                                                   if (pElement.GetReferenceMode() != Element::eDirect)
                                                       WriteIntArray(file, "NormalsIndex", pElement.GetIndexArray());
                                               });
    return true;
}

bool KQelWriterQel6::WriteKQelLayerElementMaterials(KQelLayerContainer& pContainer, KSet& pTable)
{
    KQel& file = File();
    KObject* handler = NodeHandler(pContainer);
    WriteElementBlocks<KQelLayerElementMaterial>(
        file, pContainer, pTable, Element::eMaterial, kWritten[Element::eMaterial].mWrites,
        [&](KQelLayerElementMaterial& pElement) {
            WriteObjectIndices(file, "Materials", pElement, handler, KQelMaterialProperties::ClassId);
        });
    return true;
}

bool KQelWriterQel6::WriteKQelLayerElementTextures(KQelLayerContainer& pContainer, KSet& pTable)
{
    KQel& file = File();
    KObject* handler = NodeHandler(pContainer);
    WriteElementBlocks<KQelLayerElementTexture>(
        file, pContainer, pTable, Element::eTexture, kWritten[Element::eTexture].mWrites,
        [&](KQelLayerElementTexture& pElement) {
            FieldC("BlendMode", GetBlendModeToken(pElement.GetBlendMode()));
            FieldD("TextureAlpha", pElement.GetAlpha());
            WriteObjectIndices(file, "TextureId", pElement, handler, KQelTextureProperties::ClassId);
        });
    return true;
}

bool KQelWriterQel6::WriteKQelLayerElementPolygonGroups(KQelLayerContainer& pContainer, KSet& pTable)
{
    KQel& file = File();
    WriteElementBlocks<KQelLayerElementPolygonGroup>(file, pContainer, pTable, Element::ePolygonGroup,
                                                     kWritten[Element::ePolygonGroup].mWrites,
                                                     [&file](KQelLayerElementPolygonGroup& pElement) {
                                                         WriteIntArray(file, "PolygonGroup", pElement.GetIndexArray());
                                                     });
    return true;
}

bool KQelWriterQel6::WriteKQelLayerElementVertexColors(KQelLayerContainer& pContainer, KSet& pTable)
{
    KQel& file = File();
    WriteElementBlocks<KQelLayerElementVertexColor>(file, pContainer, pTable, Element::eVertexColor,
                                                    kWritten[Element::eVertexColor].mWrites,
                                                    [&file](KQelLayerElementVertexColor& pElement) {
                                                        WriteDirect<4>(file, "Colors", pElement.GetDirectArray(),
                                                                       ColorComponent);
                                                        WriteIndexToDirect(file, "ColorIndex", pElement);
                                                    });
    return true;
}

bool KQelWriterQel6::WriteKQelLayerElementUVs(KQelLayerContainer& pContainer, KSet& pTable)
{
    KQel& file = File();
    WriteElementBlocks<KQelLayerElementUV>(file, pContainer, pTable, Element::eUV, kWritten[Element::eUV].mWrites,
                                           [&file](KQelLayerElementUV& pElement) {
                                               WriteDirect<2>(file, "UV", pElement.GetDirectArray(),
                                                              [](const KQelVector2& v, int c) { return v[c]; });
                                               WriteIndexToDirect(file, "UVIndex", pElement);
                                           });
    return true;
}

bool KQelWriterQel6::WriteKQelLayers(KQelLayerContainer& pContainer, KSet& pTable)
{
    KQel& file = File();
    int number = 0;
    for (int l = 0, layers = pContainer.GetLayerCount(); l < layers; ++l) {
        KQelLayer* layer = pContainer.GetLayer(l);
        if (!layer)
            continue;
        struct Entry {
            Element::ELayerElementType mType;
            int mNumber;
        };
        Entry entries[sizeof kLayerOrder / sizeof kLayerOrder[0]];
        int count = 0;
        for (Element::ELayerElementType type : kLayerOrder) {
            Element* element = layer->GetLayerElementOfType(type);
            int index = -1;
            const kReference value = element ? pTable.Get(reinterpret_cast<kReference>(element), &index) : 0;
            if (index >= 0)
                entries[count++] = {type, static_cast<int>(value)};
        }
        if (count == 0)
            continue;
        file.FieldWriteBegin("Layer");
        file.FieldWriteI(number++);
        file.FieldWriteBlockBegin();
        FieldI("Version", 100);
        for (int e = 0; e < count; ++e) {
            BlockBegin("LayerElement");
            FieldC("Type", kElementNames[entries[e].mType]);
            FieldI("TypedIndex", entries[e].mNumber);
            BlockEnd();
        }
        BlockEnd();
    }
    return true;
}

bool writer6_detail::IsFaultWritten(KQelGeometry& pGeometry, const native_detail::GeometryFault& pFault)
{
    Element* element = pFault.mElement;
    if (!element)
        return true;
    if (!kWritten[pFault.mType].mWrites(*element) ||
        (kWritten[pFault.mType].mMeshOnly && pGeometry.GetAttributeType() != KQelNodeAttribute::eMesh))
        return false;
    const bool objects = pFault.mType == Element::eMaterial || pFault.mType == Element::eTexture;
    // Entries naming no direct entry are written as -1, none.
    if (objects && element->GetReferenceMode() == Element::eIndexToDirect &&
        pFault.mKind == native_detail::GeometryFault::eElementIndex)
        return false;
    // The reader leaves out a texture element without indices.
    return pFault.mType != Element::eTexture ||
           static_cast<KQelLayerElementTexture*>(element)->GetIndexArray().GetCount() > 0;
}

int KQelWriterQel6::MapLayeredMaterialIndexToConnectionIndex(KObject* pHandler, void* pElement, int pIndex)
{
    return MapIndexToConnection<KQelMaterial>(pHandler, pElement, pIndex, KQelMaterialProperties::ClassId);
}

int KQelWriterQel6::MapLayeredTextureIndexToConnectionIndex(KObject* pHandler, void* pElement, int pIndex)
{
    return MapIndexToConnection<KQelTexture>(pHandler, pElement, pIndex, KQelTextureProperties::ClassId);
}

}  // namespace qelsdk_600
