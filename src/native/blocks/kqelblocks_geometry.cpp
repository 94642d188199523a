// The part every geometry (mesh, NURBS, patch) shares: materials, textures,
// links, shapes and extra texture layers in the older layout, the layer
// elements of version 6, and the check of every geometry once a document is
// read.
#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "content/kqelgeometry.h"
#include "content/kqellayer.h"
#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelshape.h"
#include "file/iqelobject.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/blocks/kqelblocks_geometry_impl.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

typedef KQelLayerElement Element;

struct Token {
    const char* mText;
    int mValue;
};

const Token kMappingTokens[] = {
    {"ByVertice", Element::eByControlPoint},
    {"ByPolygonVertex", Element::eByPolygonVertex},
    {"ByPolygon", Element::eByPolygon},
    {"AllSame", Element::eAllSame},
};
const Token kReferenceTokens[] = {{"Index", Element::eIndex}, {"IndexToDirect", Element::eIndexToDirect}};
const Token kBlendTokens[] = {
    {"Add", KQelLayerElementTexture::eAdd},
    {"Modulate", KQelLayerElementTexture::eModulate},
    {"Modulate2", KQelLayerElementTexture::eModulate2},
    {"MaxBlend", KQelLayerElementTexture::eMaxBlend},
};

template <size_t N>
int ConvertToken(const char* pToken, const Token (&pTable)[N])
{
    if (!pToken)
        return 0;
    for (const Token& token : pTable) {
        if (std::strcmp(pToken, token.mText) == 0)
            return token.mValue;
    }
    return 0;
}

// "TextureMode" of a "LayerTextureInfo" block.
enum ELayerTextureMode { eLayerTextureNone = 0, eLayerTextureAllSame = 2, eLayerTextureByPolygon = 6 };
// "UVMode" of a "LayerTextureInfo" block: mapping and reference of each code.
const struct UVMode {
    int mCode;
    Element::EMappingMode mMapping;
    Element::EReferenceMode mReference;
} kUVModes[] = {
    {3, Element::eByControlPoint, Element::eDirect},
    {4, Element::eByControlPoint, Element::eIndexToDirect},
    {7, Element::eByPolygonVertex, Element::eDirect},
    {8, Element::eByPolygonVertex, Element::eIndexToDirect},
};

bool IsMesh(const KQelGeometry& pGeometry)
{
    return pGeometry.GetAttributeType() == KQelNodeAttribute::eMesh;
}

int PolygonCount(KQelGeometry& pGeometry)
{
    return IsMesh(pGeometry) ? static_cast<KQelMesh&>(pGeometry).GetPolygonCount() : 0;
}

int PolygonVertexCount(KQelGeometry& pGeometry)
{
    return IsMesh(pGeometry) ? static_cast<KQelMesh&>(pGeometry).GetPolygonVertexCount() : 0;
}

// How many values an element of this mapping needs on the geometry.
long long MappingNeeds(KQelGeometry& pGeometry, int pMapping)
{
    switch (pMapping) {
        case Element::eByControlPoint:
            return pGeometry.GetControlPointsCount();
        case Element::eByPolygonVertex:
            return PolygonVertexCount(pGeometry);
        case Element::eByPolygon:
            return PolygonCount(pGeometry);
        case Element::eAllSame:
            return 1;
        default:
            return 0;
    }
}

// ---- The six element kinds of a layer, as tables ----

struct ElementKind {
    Element::ELayerElementType mType;
    const char* mField;  // the list's field in a version-6 geometry
    Element* (*mGet)(KQelLayer&);
    void (*mSet)(KQelLayer&, Element*);
    int (*mDirectCount)(Element&);
    const KArrayTemplate<int>& (*mIndices)(Element&);
    bool mObjects;  // indices name materials or textures: -1 is "none"
};

template <class E, E* (KQelLayer::*Get)() const, void (KQelLayer::*Set)(E*)>
struct KindOf {
    static Element* GetElement(KQelLayer& pLayer) { return (pLayer.*Get)(); }
    static void SetElement(KQelLayer& pLayer, Element* pElement) { (pLayer.*Set)(static_cast<E*>(pElement)); }
    static int DirectCount(Element& pElement) { return static_cast<E&>(pElement).GetDirectArray().GetCount(); }
    static const KArrayTemplate<int>& Indices(Element& pElement) { return static_cast<E&>(pElement).GetIndexArray(); }
};

#define QEL_ELEMENT_KIND(Type, Class, Name, Field, Objects)                                                 \
    {Element::Type, Field, KindOf<Class, &KQelLayer::Get##Name, &KQelLayer::Set##Name>::GetElement,          \
     KindOf<Class, &KQelLayer::Get##Name, &KQelLayer::Set##Name>::SetElement,                                \
     KindOf<Class, &KQelLayer::Get##Name, &KQelLayer::Set##Name>::DirectCount,                               \
     KindOf<Class, &KQelLayer::Get##Name, &KQelLayer::Set##Name>::Indices, Objects}

// In the order of the layer's slots.
const ElementKind kElementKinds[] = {
    QEL_ELEMENT_KIND(eNormal, KQelLayerElementNormal, Normals, "LayerElementNormal", false),
    QEL_ELEMENT_KIND(eMaterial, KQelLayerElementMaterial, Materials, "LayerElementMaterial", true),
    QEL_ELEMENT_KIND(eTexture, KQelLayerElementTexture, Textures, "LayerElementTexture", true),
    QEL_ELEMENT_KIND(ePolygonGroup, KQelLayerElementPolygonGroup, PolygonGroups, "LayerElementPolygonGroup",
                     false),
    QEL_ELEMENT_KIND(eUV, KQelLayerElementUV, UVs, "LayerElementUV", false),
    QEL_ELEMENT_KIND(eVertexColor, KQelLayerElementVertexColor, VertexColors, "LayerElementColor", false),
};
#undef QEL_ELEMENT_KIND

const ElementKind* KindNamed(const char* pField)
{
    for (const ElementKind& kind : kElementKinds) {
        if (std::strcmp(kind.mField, pField) == 0)
            return &kind;
    }
    return nullptr;
}

// The smallest and largest of pCount indices, in one pass without branches.
void Bounds(const int* pValues, int pCount, int& pLowest, int& pHighest)
{
    pLowest = INT_MAX;
    pHighest = INT_MIN;
    for (int i = 0; i < pCount; ++i) {
        pLowest = std::min(pLowest, pValues[i]);
        pHighest = std::max(pHighest, pValues[i]);
    }
}

// Whether an element's values fit the geometry: its arrays cover what its
// mapping needs, and its indices stay inside what they address; pFault gets
// the numbers when they do not. Polygon groups are numbers, not indices;
// materials and textures by eIndex address the node's connected objects,
// which the layer checks itself.
bool ElementFits(KQelGeometry& pGeometry, const ElementKind& pKind, Element& pElement,
                 native_detail::GeometryFault& pFault)
{
    const long long needs = MappingNeeds(pGeometry, pElement.GetMappingMode());
    const Element::EReferenceMode reference = pElement.GetReferenceMode();
    const int direct = pKind.mDirectCount(pElement);
    const KArrayTemplate<int>& indices = pKind.mIndices(pElement);
    const int held = reference == Element::eDirect ? direct : indices.GetCount();
    if (held < needs) {
        pFault.mKind = native_detail::GeometryFault::eShortElement;
        pFault.mHeld = held;
        pFault.mNeeded = static_cast<int>(needs);
        return false;
    }
    if (reference == Element::eDirect || pKind.mType == Element::ePolygonGroup || indices.GetCount() == 0)
        return true;
    const bool toDirect = reference == Element::eIndexToDirect || !pKind.mObjects;
    const int floor = pKind.mObjects ? -1 : 0;
    const int ceiling = toDirect ? direct - 1 : INT_MAX;
    int lowest, highest;
    Bounds(indices.GetArray(), indices.GetCount(), lowest, highest);
    if (lowest >= floor && highest <= ceiling)
        return true;
    pFault.mKind = native_detail::GeometryFault::eElementIndex;
    pFault.mValue = lowest < floor ? lowest : highest;
    pFault.mLowest = floor;
    pFault.mHighest = ceiling;
    return false;
}

// Whether a link's points lie inside the geometry's pPoints control points;
// pFault gets the first bound crossed when they do not.
bool LinkFits(KQelLink* pLink, int pPoints, native_detail::GeometryFault& pFault)
{
    const int count = pLink ? pLink->GetControlPointIndicesCount() : 0;
    if (count == 0)
        return true;
    int lowest, highest;
    Bounds(pLink->GetControlPointIndices(), count, lowest, highest);
    if (lowest >= 0 && highest < pPoints)
        return true;
    pFault.mKind = native_detail::GeometryFault::eLinkIndex;
    pFault.mHeld = pPoints;
    pFault.mValue = lowest < 0 ? lowest : highest;
    return false;
}

// "<node>: <field> ..." for a fault, as the writers report it.
KString DescribeFault(const char* pNode, const native_detail::GeometryFault& pFault)
{
    KString text = KString(pNode) + ": " + pFault.mField;
    switch (pFault.mKind) {
    case native_detail::GeometryFault::eShortElement:
        return text + " holds " + pFault.mHeld + (pFault.mHeld == 1 ? " value, " : " values, ") + pFault.mNeeded +
               " needed";
    case native_detail::GeometryFault::eElementIndex:
        text = text + " index " + pFault.mValue;
        if (pFault.mHighest == INT_MAX)
            return text + " below " + pFault.mLowest;
        if (pFault.mHighest < pFault.mLowest)
            return text + " outside an empty array";
        return text + " outside " + pFault.mLowest + " to " + pFault.mHighest;
    default:
        return text + " index " + pFault.mValue + " outside " + pFault.mHeld + " control points";
    }
}

}  // namespace

int ConvertMappingModeToken(const char* pToken)
{
    return ConvertToken(pToken, kMappingTokens);
}

int ConvertReferenceModeToken(const char* pToken)
{
    return ConvertToken(pToken, kReferenceTokens);
}

int ConvertBlendModeToken(const char* pToken)
{
    return ConvertToken(pToken, kBlendTokens);
}

// ---- Writer, older layout ----

bool KQelWriterQel::WriteKQelGeometry(KQelGeometry& pGeometry)
{
    for (int i = 0, n = pGeometry.GMC(0); i < n; ++i) {
        if (KQelMaterial* material = pGeometry.GM(i, 0))
            WriteKQelMaterial(*material);
    }
    for (int l = 0, layers = pGeometry.GetLayerCount(); l < layers; ++l) {
        for (int i = 0, n = pGeometry.GTC(l); i < n; ++i) {
            if (KQelTexture* texture = pGeometry.GT(i, l))
                WriteKQelTexture(*texture);
        }
    }
    for (int i = 0, n = pGeometry.GetLinkCount(); i < n; ++i) {
        if (KQelLink* link = pGeometry.GetLink(i))
            WriteKQelLink(*link);
    }
    for (int i = 0, n = pGeometry.GetShapeCount(); i < n; ++i) {
        if (KQelShape* shape = pGeometry.GetShape(i))
            WriteKQelShape(*shape, pGeometry.GetShapeName(i), pGeometry);
    }
    WriteKQelGeometryLayer(pGeometry);
    return true;
}

bool KQelWriterQel::WriteKQelGeometryLayer(KQelGeometry& pGeometry)
{
    KQel& file = File();
    bool ok = true;
    // A mesh carries its first texture layer in its own fields.
    const int first = IsMesh(pGeometry) ? 1 : 0;
    for (int i = first, n = pGeometry.GetLayerCount(Element::eTexture); i < n; ++i) {
        native_detail::WriteBlock block(file, "GeometryLayer");
        native_detail::WriteFieldI(file, "LayerIndex", i - first);
        ok = WriteKQelGeometryTextureLayer(pGeometry, i) && ok;
    }
    return ok;
}

bool KQelWriterQel::WriteKQelGeometryTextureLayer(KQelGeometry& pGeometry, int pTextureLayer)
{
    KQel& file = File();
    const int layerIndex = pGeometry.GetLayerIndex(pTextureLayer, Element::eTexture);
    KQelLayer* layer = pGeometry.GetLayer(layerIndex);
    KQelLayerElementTexture* textures = layer ? layer->GetTextures() : nullptr;
    if (!textures || textures->GetReferenceMode() != Element::eIndexToDirect)
        return false;
    const KArrayTemplate<int>& ids = textures->GetIndexArray();
    int mode = eLayerTextureNone;
    switch (textures->GetMappingMode()) {
        case Element::eNoMappingInformation:
            break;
        case Element::eAllSame:
            if (ids.GetCount() > 1)
                return false;
            mode = eLayerTextureAllSame;
            break;
        case Element::eByPolygon:
            if (!IsMesh(pGeometry) || ids.GetCount() != PolygonCount(pGeometry))
                return false;
            mode = eLayerTextureByPolygon;
            break;
        default:
            return false;
    }
    // Texture ids are positions among every "Texture" block of the
    // geometry, which lists the textures layer by layer.
    int offset = 0;
    for (int l = 0; l < layerIndex; ++l)
        offset += pGeometry.GTC(l);
    const int count = pGeometry.GTC(layerIndex);
    // The reader takes an id outside the texture blocks as corrupt, and
    // names none only under mapping none: a layer without textures of its
    // own is written so, its ids none.
    if (count == 0)
        mode = eLayerTextureNone;

    native_detail::WriteBlock info(file, "LayerTextureInfo");
    native_detail::WriteFieldI(file, "TextureBlendMode", textures->GetBlendMode());
    native_detail::WriteFieldI(file, "TextureMode", mode);
    native_detail::WriteFieldI(file, "TextureIdCount", ids.GetCount());
    file.FieldWriteBegin("TextureId");
    for (int i = 0, n = ids.GetCount(); i < n; ++i)
        file.FieldWriteI(count == 0 ? -1 : offset + (ids[i] >= 0 && ids[i] < count ? ids[i] : 0));
    file.FieldWriteEnd();

    KQelLayerElementUV* uvs = layer->GetUVs();
    if (!uvs)
        return true;
    const Element::EMappingMode mapping = uvs->GetMappingMode();
    const Element::EReferenceMode reference = uvs->GetReferenceMode();
    const long long needs = MappingNeeds(pGeometry, mapping);
    const int length =
        reference == Element::eDirect ? uvs->GetDirectArray().GetCount() : uvs->GetIndexArray().GetCount();
    // Indices are written as 0 where they name no UV, which the reader
    // refuses when there is no UV at all.
    const bool named =
        reference != Element::eIndexToDirect || needs == 0 || uvs->GetDirectArray().GetCount() > 0;
    const bool expressible = (mapping == Element::eByControlPoint ||
                              (mapping == Element::eByPolygonVertex && IsMesh(pGeometry))) &&
                             (reference == Element::eDirect || reference == Element::eIndexToDirect) &&
                             length == needs && named;
    if (!expressible)
        uvs->SetMappingMode(Element::eNoMappingInformation);
    int code = 0;
    for (const UVMode& uvMode : kUVModes) {
        if (expressible && uvMode.mMapping == mapping && uvMode.mReference == reference)
            code = uvMode.mCode;
    }
    native_detail::WriteFieldI(file, "UVMode", code);
    if (code == 0)
        return true;
    const KArrayTemplate<KQelVector2>& values = uvs->GetDirectArray();
    native_detail::WriteFieldI(file, "UVCount", values.GetCount());
    file.FieldWriteBegin("UV");
    for (int i = 0, n = values.GetCount(); i < n; ++i) {
        file.FieldWriteD(values[i][0]);
        file.FieldWriteD(values[i][1]);
    }
    file.FieldWriteEnd();
    if (reference != Element::eIndexToDirect)
        return true;
    const KArrayTemplate<int>& indices = uvs->GetIndexArray();
    native_detail::WriteFieldI(file, "UVIdCount", indices.GetCount());
    file.FieldWriteBegin("UVId");
    for (int i = 0, n = indices.GetCount(); i < n; ++i)
        file.FieldWriteI(indices[i] >= 0 && indices[i] < values.GetCount() ? indices[i] : 0);
    file.FieldWriteEnd();
    return true;
}

// ---- Reader, older layout ----

bool KQelReaderQel::ReadKQelGeometry(KQelGeometry& pGeometry)
{
    ReadKQelGeometryMaterial(pGeometry);
    ReadKQelGeometryTexture(pGeometry);
    ReadKQelGeometryLinks(pGeometry);
    ReadKQelGeometryShapes(pGeometry);
    ReadKQelGeometryLayer(pGeometry);
    return true;
}

bool KQelReaderQel::ReadKQelGeometryMaterial(KQelGeometry& pGeometry)
{
    if (!mOptions->GetOption(KStreamOptionsQel::eMaterial))
        return true;
    KQel& file = File();
    for (int i = 0, n = file.FieldGetInstanceCount("Material"); i < n && file.FieldReadBegin("Material"); ++i) {
        KQelMaterial* material = mManager.CreateKQelMaterial("");
        if (material && !(ReadKQelMaterial(*material) && pGeometry.AM(material, 0) >= 0))
            mManager.DestroyKQelMaterial(material);
        file.FieldReadEnd();
    }
    return true;
}

bool KQelReaderQel::ReadKQelGeometryTexture(KQelGeometry&)
{
    if (!mOptions->GetOption(KStreamOptionsQel::eTexture))
        return true;
    KQel& file = File();
    for (int i = 0, n = file.FieldGetInstanceCount("Texture"); i < n && file.FieldReadBegin("Texture"); ++i) {
        KQelTexture* texture = mManager.CreateKQelTexture("");
        if (texture && !(ReadKQelTexture(*texture) && mTextures.Add(texture) >= 0))
            mManager.DestroyKQelTexture(texture);
        file.FieldReadEnd();
    }
    return true;
}

bool KQelReaderQel::ReadKQelGeometryLinks(KQelGeometry& pGeometry)
{
    if (!mOptions->GetOption(KStreamOptionsQel::eLink))
        return true;
    KQel& file = File();
    for (int i = 0, n = file.FieldGetInstanceCount("Link"); i < n && file.FieldReadBegin("Link"); ++i) {
        KQelLink* link = mManager.CreateKQelLink();
        if (link && !(ReadKQelLink(*link) && pGeometry.AddLink(link) >= 0))
            mManager.DestroyKQelLink(link);
        file.FieldReadEnd();
    }
    return true;
}

bool KQelReaderQel::ReadKQelGeometryShapes(KQelGeometry& pGeometry)
{
    if (!mOptions->GetOption(KStreamOptionsQel::eShape))
        return true;
    KQel& file = File();
    for (int i = 0, n = file.FieldGetInstanceCount("Shape"); i < n && file.FieldReadBegin("Shape"); ++i) {
        const KString name = file.FieldReadC();
        KQelShape* shape = mManager.CreateKQelShape();
        if (shape && !(ReadKQelShape(*shape, pGeometry) && pGeometry.AddShape(shape, name.Buffer()) >= 0))
            mManager.DestroyKQelShape(shape);
        file.FieldReadEnd();
    }
    return true;
}

bool KQelReaderQel::ReadKQelGeometryLayer(KQelGeometry& pGeometry)
{
    KQel& file = File();
    const int count = file.FieldGetInstanceCount("GeometryLayer");
    bool ok = true;
    int read = 0;
    for (int i = 0; i < count; ++i) {
        native_detail::ReadBlock block(file, "GeometryLayer");
        if (!block.IsOpen())
            continue;
        native_detail::ReadBlock info(file, "LayerTextureInfo");
        if (!info.IsOpen())
            continue;
        const int layer = pGeometry.CreateLayer();
        if (layer >= 0) {
            ok = ReadKQelGeometryTextureLayer(pGeometry, layer) && ok;
            ++read;
        }
    }
    // The writer leaves a block it cannot express empty: only blocks read
    // as layers take the textures from the mesh's own layer.
    if (read == 0 && IsMesh(pGeometry)) {
        for (int i = 0, n = mTextures.GetCount(); i < n; ++i)
            pGeometry.AT(mTextures[i], 0);
    }
    return ok;
}

bool KQelReaderQel::ReadKQelGeometryTextureLayer(KQelGeometry& pGeometry, int pLayer)
{
    KQel& file = File();
    KQelLayer* layer = pGeometry.GetLayer(pLayer);
    if (!layer)
        return false;
    bool ok = true;
    KQelLayerElementTexture* textures = layer->GetTextures();
    if (!textures) {
        textures = new KQelLayerElementTexture;
        layer->SetTextures(textures);
    }
    textures->SetMappingMode(Element::eNoMappingInformation);
    textures->SetReferenceMode(Element::eIndexToDirect);
    // Ids naming textures that the options left unread are not corrupt.
    const bool texturesRead = mOptions->GetOption(KStreamOptionsQel::eTexture);
    switch (file.FieldReadI("TextureMode", eLayerTextureNone)) {
        case eLayerTextureNone:
            break;
        case eLayerTextureAllSame:
            textures->SetMappingMode(Element::eAllSame);
            break;
        case eLayerTextureByPolygon:
            if (IsMesh(pGeometry)) {
                textures->SetMappingMode(Element::eByPolygon);
                break;
            }
            // fall through
        default:
            ok = false;
    }
    // A blend mode outside the list counts as absent.
    int blend = file.FieldReadI("TextureBlendMode", KQelLayerElementTexture::eModulate);
    if (blend < KQelLayerElementTexture::eTranslucent || blend > KQelLayerElementTexture::eMaxBlend)
        blend = KQelLayerElementTexture::eModulate;
    textures->SetBlendMode(static_cast<KQelLayerElementTexture::EBlendMode>(blend));
    KArrayTemplate<KQelTexture*>& direct = textures->GetDirectArray();
    KArrayTemplate<int>& indices = textures->GetIndexArray();
    const int listed = mTextures.GetCount();
    const int polygons = PolygonCount(pGeometry);
    if (textures->GetMappingMode() == Element::eByPolygon && polygons != 0) {
        file.FieldReadI("TextureIdCount", 0);
        std::vector<int> ids;
        native_detail::ReadIntField(file, "TextureId", ids);
        ids.resize(polygons, 0);
        std::unordered_map<int, int> positions;
        for (int id : ids) {
            int position = 0;
            if (id < 0 || id >= listed) {
                ok = ok && !texturesRead;
            } else {
                const auto known = positions.emplace(id, direct.GetCount());
                if (known.second)
                    direct.Add(mTextures[id]);
                position = known.first->second;
            }
            indices.Add(position);
        }
    } else {
        const int id = file.FieldReadI("TextureId", 0);
        if (id >= 0 && id < listed) {
            indices.Add(direct.GetCount());
            direct.Add(mTextures[id]);
        }
    }

    const int code = file.FieldReadI("UVMode", 0);
    if (code != 0) {
        KQelLayerElementUV* uvs = new KQelLayerElementUV;
        delete layer->GetUVs();
        layer->SetUVs(uvs);
        const UVMode* mode = nullptr;
        for (const UVMode& uvMode : kUVModes) {
            if (uvMode.mCode == code && (uvMode.mMapping != Element::eByPolygonVertex || IsMesh(pGeometry)))
                mode = &uvMode;
        }
        if (mode) {
            uvs->SetMappingMode(mode->mMapping);
            uvs->SetReferenceMode(mode->mReference);
            const int count = file.FieldReadI("UVCount", 0);
            if (count > 0 && file.FieldReadBegin("UV")) {
                // At most as many pairs as the field holds: a hostile count
                // allocates nothing.
                const int available = file.FieldReadGetCount() / 2;
                for (int i = 0, n = count < available ? count : available; i < n; ++i) {
                    const double u = file.FieldReadD();
                    uvs->GetDirectArray().Add(KQelVector2(u, file.FieldReadD()));
                }
                file.FieldReadEnd();
            }
            const int read = uvs->GetDirectArray().GetCount();
            const long long needs = MappingNeeds(pGeometry, mode->mMapping);
            if (mode->mReference == Element::eIndexToDirect && needs != 0) {
                file.FieldReadI("UVIdCount", 0);
                std::vector<int> ids;
                native_detail::ReadIntField(file, "UVId", ids);
                ids.resize(static_cast<size_t>(needs), 0);
                KArrayTemplate<int>& uvIndices = uvs->GetIndexArray();
                uvIndices.SetCount(static_cast<int>(needs));
                for (int i = 0; i < static_cast<int>(needs); ++i) {
                    const bool inside = ids[i] >= 0 && ids[i] < read;
                    uvIndices[i] = inside ? ids[i] : 0;
                    ok = ok && inside;
                }
            }
        } else {
            ok = false;
        }
    }
    if (!ok)
        MarkCorruptData(pGeometry.GetNode() ? pGeometry.GetNode()->GetName() : "Geometry", "LayerTextureInfo");
    return ok;
}

// ---- Reader, version 6 ----

namespace {

// An element made by a list reader, with its mapping and reference tokens.
template <class E>
E* NewElement(KQel& pFile)
{
    E* element = new E;
    element->SetMappingMode(
        static_cast<Element::EMappingMode>(ConvertMappingModeToken(pFile.FieldReadC("MappingInformationType", ""))));
    element->SetReferenceMode(static_cast<Element::EReferenceMode>(
        ConvertReferenceModeToken(pFile.FieldReadC("ReferenceInformationType", ""))));
    return element;
}

// The index array from the named field (all its values; those the field
// lacks read as 0), appended a block at a time rather than zeroed first.
bool ReadIndices(KQel& pFile, const char* pName, KArrayTemplate<int>& pIndices)
{
    if (!pFile.FieldReadBegin(pName))
        return false;
    native_detail::ReadInPlace(pFile, pFile.FieldReadGetCount(), pIndices);
    pFile.FieldReadEnd();
    return true;
}

// The open field's values as pCount items of pWidth components each,
// appended to pItems.
template <class T, class Make>
void ReadDirect(KQel& pFile, int pWidth, KArrayTemplate<T>& pItems, Make pMake)
{
    const int count = pFile.FieldReadGetCount() / pWidth;
    if (!pItems.Reserve(pItems.GetCount() + count))
        return;
    native_detail::ReadDoubleItems(pFile, pWidth, count, pItems.GetArray() + pItems.GetCount(), pMake,
                                   [&pItems](const T* pBlock, int pCount) { pItems.AddMultiple(pBlock, pCount); });
}

// Every element field of that name at the current level, one element each.
template <class F>
void ReadElementList(KQel& pFile, const char* pName, F pRead)
{
    for (int i = 0, n = pFile.FieldGetInstanceCount(pName); i < n; ++i) {
        native_detail::ReadBlock block(pFile, pName);
        if (!block.HasField())
            break;
        if (block.IsOpen())
            pRead();
    }
}

}  // namespace

bool KQelReaderQel::ReadLayerElementsMaterial(KArrayTemplate<KQelLayerElement*>& pElements)
{
    KQel& file = File();
    ReadElementList(file, "LayerElementMaterial", [&]() {
        KQelLayerElementMaterial* element = NewElement<KQelLayerElementMaterial>(file);
        ReadIndices(file, "Materials", element->GetIndexArray());
        pElements.Add(element);
    });
    return true;
}

bool KQelReaderQel::ReadLayerElementsNormal(KArrayTemplate<KQelLayerElement*>& pElements)
{
    KQel& file = File();
    ReadElementList(file, "LayerElementNormal", [&]() {
        KQelLayerElementNormal* element = NewElement<KQelLayerElementNormal>(file);
        KArrayTemplate<KQelVector4>& normals = element->GetDirectArray();
        if (file.FieldReadBegin("Normals")) {
            ReadDirect(file, 3, normals, [](const double* v) { return KQelVector4(v[0], v[1], v[2], 1.0); });
            file.FieldReadEnd();
        }
        if (element->GetReferenceMode() != Element::eDirect)
            ReadIndices(file, "NormalsIndex", element->GetIndexArray());
        pElements.Add(element);
    });
    return true;
}

bool KQelReaderQel::ReadLayerElementsVertexColor(KArrayTemplate<KQelLayerElement*>& pElements)
{
    KQel& file = File();
    ReadElementList(file, "LayerElementColor", [&]() {
        KQelLayerElementVertexColor* element = NewElement<KQelLayerElementVertexColor>(file);
        KArrayTemplate<KQelColor>& colors = element->GetDirectArray();
        if (file.FieldReadBegin("Colors")) {
            ReadDirect(file, 4, colors, [](const double* v) { return KQelColor(v[0], v[1], v[2], v[3]); });
            file.FieldReadEnd();
        }
        if (element->GetReferenceMode() == Element::eIndexToDirect)
            ReadIndices(file, "ColorIndex", element->GetIndexArray());
        pElements.Add(element);
    });
    return true;
}

bool KQelReaderQel::ReadLayerElementsTexture(KArrayTemplate<KQelLayerElement*>& pElements)
{
    KQel& file = File();
    ReadElementList(file, "LayerElementTexture", [&]() {
        KQelLayerElementTexture* element = NewElement<KQelLayerElementTexture>(file);
        element->SetBlendMode(
            static_cast<KQelLayerElementTexture::EBlendMode>(ConvertBlendModeToken(file.FieldReadC("BlendMode", ""))));
        const double alpha = file.FieldReadD("TextureAlpha", 0.0);
        element->SetAlpha(alpha > 0.0 ? alpha : 0.0);
        // Only an element addressing its textures by index keeps them.
        const bool kept = element->GetReferenceMode() != Element::eDirect &&
                          ReadIndices(file, "TextureId", element->GetIndexArray()) &&
                          element->GetIndexArray().GetCount() > 0;
        if (kept)
            pElements.Add(element);
        else
            delete element;
    });
    return true;
}

bool KQelReaderQel::ReadLayerElementsUV(KArrayTemplate<KQelLayerElement*>& pElements)
{
    KQel& file = File();
    ReadElementList(file, "LayerElementUV", [&]() {
        KQelLayerElementUV* element = NewElement<KQelLayerElementUV>(file);
        KArrayTemplate<KQelVector2>& uvs = element->GetDirectArray();
        if (file.FieldReadBegin("UV")) {
            ReadDirect(file, 2, uvs, [](const double* v) { return KQelVector2(v[0], v[1]); });
            file.FieldReadEnd();
        }
        if (element->GetReferenceMode() == Element::eIndexToDirect)
            ReadIndices(file, "UVIndex", element->GetIndexArray());
        pElements.Add(element);
    });
    return true;
}

bool KQelReaderQel::ReadLayerElementsPolygonGroup(KArrayTemplate<KQelLayerElement*>& pElements)
{
    KQel& file = File();
    ReadElementList(file, "LayerElementPolygonGroup", [&]() {
        KQelLayerElementPolygonGroup* element = NewElement<KQelLayerElementPolygonGroup>(file);
        ReadIndices(file, "PolygonGroup", element->GetIndexArray());
        pElements.Add(element);
    });
    return true;
}

bool KQelReaderQel::ReadLayerElements(KQelGeometry& pGeometry)
{
    // One list per kind, in the order of kElementKinds.
    const int kinds = static_cast<int>(sizeof kElementKinds / sizeof kElementKinds[0]);
    std::vector<KArrayTemplate<KQelLayerElement*>> lists(kinds);
    ReadLayerElementsMaterial(lists[1]);
    ReadLayerElementsNormal(lists[0]);
    ReadLayerElementsVertexColor(lists[5]);
    ReadLayerElementsPolygonGroup(lists[3]);
    ReadLayerElementsTexture(lists[2]);
    ReadLayerElementsUV(lists[4]);

    KQel& file = File();
    const char* owner = pGeometry.GetNode() ? pGeometry.GetNode()->GetName() : "Geometry";
    std::unordered_set<KQelLayerElement*> placed;
    for (int i = 0, n = file.FieldGetInstanceCount("Layer"); i < n; ++i) {
        if (!file.FieldReadBegin("Layer"))
            break;
        const int layerIndex = file.FieldReadI();
        if (file.FieldReadBlockBegin()) {
            for (int e = 0, m = file.FieldGetInstanceCount("LayerElement"); e < m; ++e) {
                native_detail::ReadBlock entry(file, "LayerElement");
                if (!entry.HasField())
                    break;
                if (!entry.IsOpen())
                    continue;
                const KString type = file.FieldReadC("Type", "");
                const int position = file.FieldReadI("TypedIndex", 0);
                if (layerIndex >= 0 && !pGeometry.GetLayer(layerIndex))
                    pGeometry.CreateLayer();
                KQelLayer* layer = pGeometry.GetLayer(layerIndex);
                const ElementKind* kind = KindNamed(type.Buffer());
                if (!layer || !kind)
                    continue;
                KArrayTemplate<KQelLayerElement*>& list = lists[kind - kElementKinds];
                if (position < 0 || position >= list.GetCount())
                    continue;
                KQelLayerElement* element = list[position];
                // One owner per element: a second placement is refused.
                if (!placed.insert(element).second) {
                    MarkCorruptData(owner, "LayerElement");
                    continue;
                }
                KQelLayerElement* previous = kind->mGet(*layer);
                kind->mSet(*layer, element);
                // A displaced element of the lists goes with the unplaced
                // ones below; any other was the layer's alone.
                if (previous && !placed.count(previous))
                    delete previous;
            }
            file.FieldReadBlockEnd();
        }
        file.FieldReadEnd();
    }
    // What no layer holds in the end belongs to nobody.
    std::unordered_set<KQelLayerElement*> held;
    for (int l = 0, layers = pGeometry.GetLayerCount(); l < layers; ++l) {
        for (const ElementKind& kind : kElementKinds)
            held.insert(kind.mGet(*pGeometry.GetLayer(l)));
    }
    for (const KArrayTemplate<KQelLayerElement*>& list : lists) {
        for (int i = 0, n = list.GetCount(); i < n; ++i) {
            if (!held.count(list[i]))
                delete list[i];
        }
    }
    return true;
}

// ---- The check after a read, and before a write ----

void native_detail::CheckGeometry(KQelGeometry& pGeometry, const std::function<bool(const GeometryFault&)>& pFault)
{
    GeometryFault fault = {};
    for (int l = 0, layers = pGeometry.GetLayerCount(); l < layers; ++l) {
        KQelLayer* layer = pGeometry.GetLayer(l);
        for (const ElementKind& kind : kElementKinds) {
            Element* element = layer ? kind.mGet(*layer) : nullptr;
            if (!element || ElementFits(pGeometry, kind, *element, fault))
                continue;
            fault.mField = kind.mField;
            fault.mElement = element;
            fault.mType = kind.mType;
            fault.mLayer = layer;
            fault.mLink = -1;
            if (!pFault(fault))
                return;
        }
    }
    const int points = pGeometry.GetControlPointsCount();
    for (int i = pGeometry.GetLinkCount() - 1; i >= 0; --i) {
        if (LinkFits(pGeometry.GetLink(i), points, fault))
            continue;
        fault.mField = "Link";
        fault.mElement = nullptr;
        fault.mType = Element::ELayerElementType(0);
        fault.mLayer = nullptr;
        fault.mLink = i;
        if (!pFault(fault))
            return;
    }
}

bool native_detail::FindRefusedGeometry(KQelNode& pRoot, bool pLinks, FaultWritten pWritten, KString& pReason)
{
    bool found = false;
    WalkBelow(pRoot, [&](KQelNode* pNode) {
        KQelGeometry* geometry = pNode->GetGeometry();
        if (!geometry || geometry->GetControlPointsCount() <= 0)
            return true;
        CheckGeometry(*geometry, [&](const GeometryFault& pFault) {
            if (pFault.mLink >= 0) {
                KQelLink* link = geometry->GetLink(pFault.mLink);
                if (!pLinks || !link || !link->GetLink())
                    return true;
            }
            if (pWritten && !pWritten(*geometry, pFault))
                return true;
            pReason = DescribeFault(pNode->GetName(), pFault);
            found = true;
            return false;
        });
        return !found;
    });
    return !found;
}

void KQelReaderQel::CheckGeometries(KQelScene& pScene)
{
    KQelNode* root = pScene.GetRootNode();
    if (!root)
        return;
    const bool materialsRead = mOptions->GetOption(KStreamOptionsQel::eMaterial);
    const bool texturesRead = mOptions->GetOption(KStreamOptionsQel::eTexture);
    native_detail::WalkBelow(*root, [&](KQelNode* pNode) {
        KQelGeometry* geometry = pNode->GetGeometry();
        if (!geometry)
            return true;
        // The entity counts the uses of the layers' materials and textures:
        // they are dropped before an element goes, and counted again after.
        KQelEntity* entity = geometry->GetEntity();
        bool changed = false;
        native_detail::CheckGeometry(*geometry, [&](const native_detail::GeometryFault& pFault) {
            if (pFault.mLink >= 0) {
                mManager.DestroyKQelLink(geometry->RemoveLink(pFault.mLink));
                MarkCorruptData(pNode->GetName(), pFault.mField);
                return true;
            }
            if (!changed)
                geometry->UnsetEntity();
            changed = true;
            // kElementKinds is in slot order, from eNormal.
            kElementKinds[pFault.mType - Element::eNormal].mSet(*pFault.mLayer, nullptr);
            delete pFault.mElement;
            const bool unread = (pFault.mType == Element::eMaterial && !materialsRead) ||
                                (pFault.mType == Element::eTexture && !texturesRead);
            if (!unread)
                MarkCorruptData(pNode->GetName(), pFault.mField);
            return true;
        });
        if (changed)
            geometry->SetEntity(entity);
        return true;
    });
}

}  // namespace qelsdk_600
