// Textures: the textures a geometry's texture layers give each material
// slot, as file textures with their placement, alone or layered, on the
// slot's shader.
#include <cstdint>

#include <vesk/MDGModifier.h>
#include <vesk/MFnPhongShader.h>
#include <vesk/MGlobal.h>
#include <vesk/MPlug.h>
#include <vesk/MPlugArray.h>
#include <vesk/MSelectionList.h>

#include "base/kpath.h"
#include "content/kqelgeometry.h"
#include "content/kqellayer.h"
#include "content/kqelnurb.h"
#include "content/kqeltexture.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "io/kqelimporter.h"
#include "plugin/qelveskwrappers.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

const double kRadiansPerDegree = 0.017453292519943295;
const char kCannotCreateTexture[] = "Cannot create the texture.";

// Host "blendMode" of a texture layer's blend mode: add 4, multiply 6,
// anything else none (0).
short HostBlendMode(int pBlendMode)
{
    switch (pBlendMode) {
    case KQelLayerElementTexture::eAdd:
        return 4;
    case KQelLayerElementTexture::eModulate:
        return 6;
    default:
        return 0;
    }
}

// The node a creating command named in its first result; the null object,
// with pMessage printed, when it named none or no such node exists.
MObject CreatedNode(const MStringArray& pResults, const char* pMessage)
{
    MStatus status(MStatus::kFailure);
    MObject node;
    if (pResults.length() > 0) {
        MSelectionList list;
        status = list.add(pResults[0]);
        if (status)
            status = list.getDependNode(0, node);
    }
    DebugCheckStatus(status, pMessage);
    return status ? node : MObject();
}

void Connect(const MPlug& pSource, const MPlug& pDestination)
{
    MDGModifier modifier;
    MStatus status = modifier.connect(pSource, pDestination);
    DebugCheckStatus(status, nullptr);
    modifier.doIt();
}

// Unconnected, or fed by some plug other than a file texture's "outColor".
bool MayFeed(const MPlug& pTarget, const MPlug& pOutColor)
{
    if (!pTarget.isConnected())
        return true;
    MPlugArray sources;
    pTarget.connectedTo(sources, true, false);
    const MObject outColor = pOutColor.attribute();
    for (unsigned int i = 0; i < sources.length(); ++i)
        if (!(sources[i].attribute() == outColor))
            return true;
    return false;
}

// The placement plugs, in the order they are set.
enum EPlacement { eOffsetU, eOffsetV, eRotateFrame, eRepeatU, eRepeatV, ePlacementCount };
const char* const kPlacementPlugs[ePlacementCount] = {"offsetU", "offsetV", "rotateFrame", "repeatU", "repeatV"};

// A surface swaps U and V against a mesh and turns the other way; a closed
// direction's seam shifts the offset by two spans.
void Placement(KQelTexture& pTexture, KQelGeometry* pGeometry, double* pValues)
{
    const double translationU = pTexture.GetTranslationU();
    const double translationV = pTexture.GetTranslationV();
    const double rotation = pTexture.GetRotationW();
    const double scaleU = pTexture.GetScaleU();
    const double scaleV = pTexture.GetScaleV();
    if (pGeometry && pGeometry->GetAttributeType() == KQelNodeAttribute::eNurb) {
        KQelNurb& nurb = *static_cast<KQelNurb*>(pGeometry);
        const auto seam = [](KQelNurb::ENurbType pType, int pCount) {
            return pType == KQelNurb::kClosed && pCount > 0 ? 2.0 / pCount : 0.0;
        };
        pValues[eRepeatU] = scaleV;
        pValues[eRepeatV] = scaleU;
        pValues[eOffsetU] = translationV + seam(nurb.GetVType(), nurb.GetVCount());
        pValues[eOffsetV] = translationU + seam(nurb.GetUType(), nurb.GetUCount());
        pValues[eRotateFrame] = -rotation;
    } else {
        pValues[eRepeatU] = scaleU;
        pValues[eRepeatV] = scaleV;
        pValues[eOffsetU] = translationV;
        pValues[eOffsetV] = translationU;
        pValues[eRotateFrame] = rotation;
    }
    pValues[eRotateFrame] *= kRadiansPerDegree;
}

// Layer E's texture for a record (the entry its index array gives at the
// record's position, read by E's reference mode); null when none.
KQelTexture* TextureFor(KQelLayerElementTexture& pElement, const FaceAttributes& pRecord, KQelGeometry& pGeometry)
{
    const int position = pElement.GetMappingMode() == KQelLayerElement::eAllSame || pRecord.polygonIndex < 0
                             ? 0
                             : pRecord.polygonIndex;
    const KArrayTemplate<int>& indices = pElement.GetIndexArray();
    const KArrayTemplate<KQelTexture*>& direct = pElement.GetDirectArray();
    if (position >= indices.GetCount() || indices[position] < 0)
        return nullptr;
    const int index = indices[position];
    switch (pElement.GetReferenceMode()) {
    case KQelLayerElement::eIndexToDirect:
        return index < direct.GetCount() ? direct[index] : nullptr;
    case KQelLayerElement::eDirect:
        return position < direct.GetCount() ? direct[position] : nullptr;
    case KQelLayerElement::eIndex:
        return pGeometry.GT(index, 0);
    default:
        return nullptr;
    }
}

}  // namespace

KString QelVeskImport::TextureFilePath(const char* pFileName)
{
    if (!GetIsRelativePath(pFileName))
        return KString(pFileName ? pFileName : "");
    KString folder = KGetCurrentDirectory();
    if (mImporter) {
        const KString file = mImporter->GetFileName();
        const KString fileFolder = ExtractDirectoryFromFilePath(file.Buffer());
        folder = GetIsRelativePath(file.Buffer()) ? MakeFullPath(folder.Buffer(), fileFolder.Buffer()) : fileFolder;
    }
    return MakeFullPath(folder.Buffer(), pFileName);
}

void QelVeskImport::ConnectRecordTextures(KQelGeometry& pGeometry,
                                          std::vector<std::unique_ptr<FaceAttributes>>& pRecords)
{
    const bool surface = pGeometry.GetAttributeType() != KQelNodeAttribute::eMesh;
    for (int l = 0, n = pGeometry.GetLayerCount(KQelLayerElement::eTexture); l < n; ++l) {
        KQelLayerElementTexture* element = pGeometry.GetLayer(l, KQelLayerElement::eTexture)->GetTextures();
        // An empty layer of a surface stands for the surface's first texture.
        KQelLayerElementTexture scratch;
        if (element->GetIndexArray().GetCount() == 0 && element->GetDirectArray().GetCount() == 0) {
            KQelTexture* first = surface ? pGeometry.GT(0, 0) : nullptr;
            if (!first)
                continue;
            scratch.SetMappingMode(KQelLayerElement::eAllSame);
            scratch.SetReferenceMode(KQelLayerElement::eIndexToDirect);
            scratch.GetDirectArray().Add(first);
            scratch.GetIndexArray().Add(0);
            scratch.SetBlendMode(static_cast<KQelLayerElementTexture::EBlendMode>(first->GetBlendMode()));
            element = &scratch;
        }
        for (const std::unique_ptr<FaceAttributes>& record : pRecords) {
            KQelTexture* texture = TextureFor(*element, *record, pGeometry);
            if (!texture || record->textures.Find(texture) >= 0 || !*texture->GetFileName())
                continue;
            record->textures.Add(texture);
            record->blendModes.Add(static_cast<int>(element->GetBlendMode()));
        }
    }
    for (const std::unique_ptr<FaceAttributes>& record : pRecords) {
        if (record->textures.GetCount() == 1)
            ConnectTexture(record->shader, record->textures[0], record->geometry);
        else if (record->textures.GetCount() > 1)
            ConnectLayeredTexture(record.get());
    }
}

MStringArray QelVeskImport::RunCreationCommand(const char* pCommand)
{
    MStringArray results;
    MGlobal::executeCommand(MString(pCommand), results, false, false);
    return results;
}

void QelVeskImport::ConnectTexture(MObject& pShader, KQelTexture* pTexture, KQelGeometry* pGeometry)
{
    MFnPhongShader phong(pShader);
    MPlug color = phong.findPlug("color");
    ConnectTexture(color, pTexture, pGeometry);
}

void QelVeskImport::ConnectTexture(MPlug& pTarget, KQelTexture* pTexture, KQelGeometry* pGeometry)
{
    if (!pTexture)
        return;
    const MObject fileNode = CreatedNode(RunCreationCommand("shadingNode -at file"), kCannotCreateTexture);
    if (fileNode.isNull())
        return;
    MFnDependencyNode file(fileNode);
    file.setName(MString(pTexture->GetNameWithoutNameSpacePrefix().Buffer()));
    MStatus status;
    MPlug fileName = file.findPlug("fileTextureName", &status);
    if (status)
        status = fileName.setValue(MString(TextureFilePath(pTexture->GetFileName()).Buffer()));
    DebugCheckStatus(status, "Cannot find the texture file name.");

    const MObject placementNode = CreatedNode(RunCreationCommand("shadingNode -au place2dTexture"),
                                              "Cannot create the texture placement object.");
    MFnDependencyNode placement;
    if (!placementNode.isNull()) {
        placement.setObject(placementNode);
        Connect(placement.findPlug("outUV"), file.findPlug("uv"));
    }
    const MPlug outColor = file.findPlug("outColor", &status);
    DebugCheckStatus(status, nullptr);
    if (MayFeed(pTarget, outColor))
        Connect(outColor, pTarget);
    if (placementNode.isNull())
        return;
    double values[ePlacementCount];
    Placement(*pTexture, pGeometry, values);
    for (int i = 0; i < ePlacementCount; ++i) {
        MPlug plug = placement.findPlug(kPlacementPlugs[i], &status);
        if (status)
            status = plug.setValue(values[i]);
        DebugCheckStatus(status, nullptr);
    }
}

void QelVeskImport::ConnectLayeredTexture(FaceAttributes* pAttributes)
{
    // Numbers the layered textures for as long as the module stays loaded.
    static std::int32_t layerCount = 0;
    if (!pAttributes)
        return;
    KString name("layeredTexture");
    name += layerCount;
    ++layerCount;
    const MObject layeredNode =
        CreatedNode(RunCreationCommand("shadingNode -at layeredTexture"), kCannotCreateTexture);
    if (layeredNode.isNull())
        return;
    MFnDependencyNode layered(layeredNode);
    layered.setName(MString(name.Buffer()));
    MStatus status;
    MPlug inputs = layered.findPlug("inputs", &status);
    DebugCheckStatus(status, nullptr);
    const MObject colorAttribute = layered.attribute("color");
    const MObject blendAttribute = layered.attribute("blendMode");
    const MObject alphaAttribute = layered.attribute("alpha");
    const int count = pAttributes->textures.GetCount();
    for (int i = 0; i < count; ++i) {
        // The first texture lies on top: the last input.
        MPlug input = inputs.elementByLogicalIndex(static_cast<unsigned int>(count - 1 - i), &status);
        DebugCheckStatus(status, nullptr);
        MPlug color = input.child(colorAttribute);
        const int blendMode = i < pAttributes->blendModes.GetCount() ? pAttributes->blendModes[i] : 0;
        input.child(blendAttribute).setValue(HostBlendMode(blendMode));
        input.child(alphaAttribute).setValue(pAttributes->textures[i]->GetDefaultAlpha());
        ConnectTexture(color, pAttributes->textures[i], pAttributes->geometry);
    }
    MFnPhongShader phong(pAttributes->shader);
    Connect(layered.findPlug("outColor"), phong.findPlug("color"));
}
