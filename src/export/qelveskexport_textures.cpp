// Textures: the file and layered textures driving a shader's colour, their
// placement in UV space, and the material and texture indices written into
// the layer elements.
#include <cmath>

#include <vesk/MFnDependencyNode.h>
#include <vesk/MPlug.h>
#include <vesk/MPlugArray.h>

#include "content/kqelgeometry.h"
#include "content/kqelnurb.h"
#include "content/kqeltexture.h"
#include "export/klayermapping.h"
#include "export/qelveskexport.h"
#include "export/qelveskexport_geometry_impl.h"
#include "export/qelveskexport_impl.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskwrappers.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;
using namespace export_detail;

namespace {

typedef KQelLayerElement E;

constexpr double kDegreesToRadians = 0.017453292519943295;

// The placement values read from a 2D placement node, in table order.
enum EPlacement { kOffsetU, kOffsetV, kTranslateFrameU, kTranslateFrameV, kRotateFrame, kRotateUV, kRepeatU, kRepeatV };
const char* const kPlacementPlugs[] = {"offsetU",   "offsetV",  "translateFrameU", "translateFrameV",
                                       "rotateFrame", "rotateUV", "repeatU",        "repeatV"};

// The plugs connected into pNode's plug pName, as their sources.
bool IncomingPlugs(const MObject& pNode, const char* pName, MPlugArray& pSources)
{
    MStatus status;
    const MFnDependencyNode node(pNode, &status);
    if (!status)
        return false;
    const MPlug plug = node.findPlug(pName, &status);
    return status && !plug.isNull() && plug.connectedTo(pSources, true, false) && pSources.length() > 0;
}

// The placement node's values; one that cannot be read is 0.
void ReadPlacement(const MObject& pPlacement, double (&pValues)[8])
{
    MStatus status;
    const MFnDependencyNode placement(pPlacement, &status);
    DebugCheckStatus(status, nullptr);
    for (int i = 0; i < 8; ++i) {
        pValues[i] = 0.0;
        if (!status)
            continue;
        MStatus read;
        const MPlug plug = placement.findPlug(kPlacementPlugs[i], &read);
        DebugCheckStatus(read, nullptr);
        if (!read)
            continue;
        read = plug.getValue(pValues[i]);
        DebugCheckStatus(read, nullptr);
        if (!read)
            pValues[i] = 0.0;
    }
}

// The placement on the SDK texture. The rotation turns about the centre of
// the unit square: translate by (0.5, 0.5), rotate about Z, translate back,
// whose translation part is (tx, ty).
void ApplyPlacement(KQelTexture& pTexture, KQelNurb* pNurb, double (&pValues)[8])
{
    const double theta = (pValues[kRotateFrame] + pValues[kRotateUV]) * sgRadiansToDegrees;
    const double radians = theta * kDegreesToRadians;
    const double c = std::cos(radians), s = std::sin(radians);
    const double tx = 0.5 * c - 0.5 * s - 0.5;
    const double ty = 0.5 * s + 0.5 * c - 0.5;
    if (!pNurb) {
        pTexture.SetScale(pValues[kRepeatU], pValues[kRepeatV]);
        pTexture.SetTranslation(pValues[kOffsetU] - pValues[kTranslateFrameU] - tx,
                                pValues[kOffsetV] - pValues[kTranslateFrameV] - ty);
        pTexture.SetRotation(0.0, 0.0, theta);
        return;
    }
    // The surface's directions are exchanged against the host's.
    if (pNurb->GetUType() == KQelNurb::kClosed && pNurb->GetUCount() > 0)
        pValues[kOffsetV] -= 2.0 / pNurb->GetUCount();
    if (pNurb->GetVType() == KQelNurb::kClosed && pNurb->GetVCount() > 0)
        pValues[kOffsetU] -= 2.0 / pNurb->GetVCount();
    pTexture.SetScale(pValues[kRepeatV], pValues[kRepeatU]);
    pTexture.SetTranslation(pValues[kTranslateFrameU] - ty - pValues[kOffsetU],
                            pValues[kTranslateFrameV] - tx - pValues[kOffsetV]);
    pTexture.SetRotation(0.0, 0.0, -theta);
    pTexture.SetSwapUV(true);
}

// Host blend modes of a layered texture's inputs: add and multiply; every
// other one translucent.
KQelLayerElementTexture::EBlendMode BlendOfHostMode(short pMode)
{
    return pMode == 4 ? KQelLayerElementTexture::eAdd
                      : pMode == 6 ? KQelLayerElementTexture::eModulate : KQelLayerElementTexture::eTranslucent;
}

}  // namespace

namespace export_detail {

KQelLayer* LayerOrCreate(KQelGeometry* pGeometry, int pIndex)
{
    if (!pGeometry || pIndex < 0)
        return nullptr;
    while (pGeometry->GetLayerCount() <= pIndex)
        if (pGeometry->CreateLayer() < 0)
            return nullptr;
    return pGeometry->GetLayer(pIndex);
}

KQelLayerElementTexture* NewTextureElement(const KLayerMapping& pRecord)
{
    KQelLayerElementTexture* element = new KQelLayerElementTexture;
    const bool partial = pRecord.mHasData && pRecord.mHostTextures.length() > 0 && !pRecord.mHostTextures[0].isNull() &&
                         pRecord.mKeyRepeatCounts.GetCount() > 0 &&
                         pRecord.mKeyRepeatCounts[0] < pRecord.mPolygonCount;
    element->SetMappingMode(partial ? pRecord.mPartialTextureMappingMode : pRecord.mTextureMappingMode);
    return element;
}

}  // namespace export_detail

bool QelVeskExport::DefineTextures(MObject& pShader, QelVeskNode* pNode, KLayerMapping& pRecord)
{
    pRecord.mShader = pShader;
    MPlugArray sources;
    if (!IncomingPlugs(pShader, "color", sources)) {
        pRecord.AddData(0, sgTRANSPARENT_TEX, MObject::kNullObj);
        return false;
    }
    bool result = false;
    for (unsigned int j = 0; j < sources.length(); ++j) {
        MObject source = sources[j].node();
        if (source.hasFn(static_cast<MFn::Type>(kLayeredTextureHostType))) {
            result = SetLayeredTexture(pNode, source, pRecord);
        } else if (source.hasFn(static_cast<MFn::Type>(kFileTextureHostType))) {
            KQelLayer* layer = LayerOrCreate(pNode ? pNode->GetGeometry() : nullptr, 0);
            if (layer && !layer->GetTextures())
                layer->SetTextures(NewTextureElement(pRecord));
            result = SetTexture(pNode, source, pRecord, static_cast<int>(j), 0, 1.0f, KQelTexture::eNone);
            if (pNode)
                pNode->SetShadingMode(KQelNode::eTextureShading);
        } else {
            pRecord.AddData(0, sgTRANSPARENT_TEX, MObject::kNullObj);
        }
    }
    return result;
}

bool QelVeskExport::SetTexture(QelVeskNode* pNode, MObject& pTexture, KLayerMapping& pRecord, int pConnection,
                               int pLayer, float pAlpha, int pAlphaSource)
{
    MStatus status;
    const MFnDependencyNode texture(pTexture, &status);
    MString fileName;
    if (status) {
        const MPlug plug = texture.findPlug("fileTextureName", &status);
        if (status)
            status = plug.getValue(fileName);
    }
    if (!status) {
        status.perror("Cannot find the texture file name.");
        return false;
    }
    KQelGeometry* geometry = pNode ? pNode->GetGeometry() : nullptr;
    if (!geometry || pLayer < 0)
        return false;
    const MString name = texture.name();
    const unsigned int layerNumber = static_cast<unsigned int>(pLayer);
    int index = geometry->GTI(name.asChar(), layerNumber);
    KQelTexture* sdkTexture = index >= 0 ? geometry->GT(index, layerNumber) : nullptr;
    const bool created = !sdkTexture;
    if (created)
        sdkTexture = mManager.CreateKQelTexture(name.asChar());
    if (!sdkTexture)
        return false;
    sdkTexture->SetAlphaSource(static_cast<KQelTexture::EAlphaSource>(pAlphaSource));
    sdkTexture->SetDefaultAlpha(pAlpha);
    sdkTexture->SetFileName(fileName.asChar());
    sdkTexture->SetMaterialUse(KQelTexture::eModelMaterial);
    const KQelLayer* layer = geometry->GetLayer(pLayer);
    if (const KQelLayerElementTexture* element = layer ? layer->GetTextures() : nullptr) {
        const int blend = element->GetBlendMode();
        if (blend >= KQelTexture::eTranslucent && blend <= KQelTexture::eModulate2)
            sdkTexture->SetBlendMode(static_cast<KQelTexture::EBlendMode>(blend));
    }
    if (created)
        index = geometry->AT(sdkTexture, layerNumber);
    if (index < 0)
        return false;
    pRecord.AddData(pLayer, index, pTexture);

    // The placement at the connection index, only when there is one: the
    // SDK's defaults stay otherwise.
    MPlugArray placements;
    if (!IncomingPlugs(pTexture, "uv", placements) || pConnection < 0 ||
        static_cast<unsigned int>(pConnection) >= placements.length())
        return true;
    double values[8];
    ReadPlacement(placements[static_cast<unsigned int>(pConnection)].node(), values);
    ApplyPlacement(*sdkTexture, pNode->GetNurb(), values);
    return true;
}

bool QelVeskExport::SetLayeredTexture(QelVeskNode* pNode, MObject& pTexture, KLayerMapping& pRecord)
{
    // A network feeding a layered texture into itself is entered once.
    for (unsigned int i = 0; i < mLayeredTextures.length(); ++i)
        if (mLayeredTextures[i] == pTexture)
            return false;
    MStatus status;
    const MFnDependencyNode layered(pTexture, &status);
    const MPlug inputs = status ? layered.findPlug("inputs", &status) : MPlug();
    if (!status)
        return false;
    mLayeredTextures.append(pTexture);
    KQelGeometry* geometry = pNode ? pNode->GetGeometry() : nullptr;
    bool result = false;
    const unsigned int count = inputs.numElements();
    for (unsigned int i = 0; i < count; ++i) {
        const MPlug element = inputs[i];
        // The first input goes to the highest layer.
        const int layerNumber = static_cast<int>(count - 1 - i);
        double alpha = 1.0;
        KQelLayerElementTexture::EBlendMode blend = KQelLayerElementTexture::eTranslucent;
        // Blend mode and alpha come before the colour.
        for (unsigned int c = element.numChildren(); c-- > 0;) {
            const MPlug child = element.child(c);
            if (c == 2) {
                short mode = 0;
                child.getValue(mode);
                blend = BlendOfHostMode(mode);
            } else if (c == 1) {
                child.getValue(alpha);
            } else if (c == 0) {
                MPlugArray sources;
                child.connectedTo(sources, true, false);
                for (unsigned int j = 0; j < sources.length(); ++j) {
                    MObject source = sources[j].node();
                    if (source.hasFn(static_cast<MFn::Type>(kLayeredTextureHostType))) {
                        result = SetLayeredTexture(pNode, source, pRecord) || result;
                        continue;
                    }
                    KQelLayer* layer = LayerOrCreate(geometry, layerNumber);
                    if (!layer)
                        continue;
                    if (!layer->GetTextures())
                        layer->SetTextures(NewTextureElement(pRecord));
                    layer->GetTextures()->SetReferenceMode(E::eIndexToDirect);
                    layer->GetTextures()->SetBlendMode(blend);
                    result = SetTexture(pNode, source, pRecord, static_cast<int>(j), layerNumber,
                                        static_cast<float>(alpha), KQelTexture::eNone) ||
                             result;
                }
            }
        }
    }
    mLayeredTextures.remove(mLayeredTextures.length() - 1);
    return result;
}

void QelVeskExport::FillLayerData(KLayerMapping* pRecord, KQelGeometry* pGeometry, bool pTextures)
{
    if (!pRecord || !pGeometry || !pRecord->mHasData)
        return;
    for (int k = 0, n = pRecord->mLayers.GetCount(); k < n; ++k) {
        const int number = pRecord->mLayers[k];
        KQelLayer* layer = LayerOrCreate(pGeometry, number);
        if (!layer)
            continue;
        if (number == 0) {
            KQelLayerElementMaterial* materials = layer->GetMaterials();
            if (!materials) {
                materials = new KQelLayerElementMaterial;
                layer->SetMaterials(materials);
            }
            materials->SetMappingMode(pRecord->mMaterialMappingMode);
            materials->SetReferenceMode(E::eIndexToDirect);
            KArrayTemplate<int>& indices = materials->GetIndexArray();
            if (pRecord->mMaterialMappingMode != E::eAllSame || indices.Find(pRecord->mMaterialIndex) < 0)
                indices.Add(pRecord->mMaterialIndex);
        }
        if (!pTextures || k >= pRecord->mTextureIndices.GetCount())
            continue;
        // The texture's own index: with layer and index kept apart, an index
        // of 1024 or more is written as it is.
        const int value = pRecord->mTextureIndices[k];
        KQelLayerElementTexture* textures = layer->GetTextures();
        if (!textures) {
            textures = new KQelLayerElementTexture;
            textures->SetMappingMode(E::eNoMappingInformation);
            layer->SetTextures(textures);
        }
        textures->SetReferenceMode(E::eIndexToDirect);
        KArrayTemplate<int>& indices = textures->GetIndexArray();
        if (textures->GetMappingMode() == E::eByPolygon || indices.GetCount() == 0)
            indices.Add(value);
        else
            indices[0] = value;
    }
}
