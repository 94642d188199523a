// Materials: from a shape to its shading group and surface shader, one SDK
// material per shader name, and the material and textures of NURBS and
// patch nodes.
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnLambertShader.h>
#include <vesk/MFnPhongShader.h>
#include <vesk/MFnReflectShader.h>
#include <vesk/MFnSet.h>
#include <vesk/MGlobal.h>
#include <vesk/MObjectArray.h>
#include <vesk/MPlugArray.h>
#include <vesk/MSelectionList.h>

#include "content/kqelgeometry.h"
#include "content/kqelmaterial.h"
#include "export/klayermapping.h"
#include "export/qelveskexport.h"
#include "export/qelveskexport_geometry_impl.h"
#include "plugin/qelvesknode.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;
using namespace export_detail;

namespace {

typedef KQelLayerElement E;

const char kMaterialPrefix[] = "Material::";
// Cosine powers above this give the full shininess.
constexpr double kMaxCosPower = 128.0;
const KQelColor kGrey(0.5, 0.5, 0.5, 1.0);

KQelColor Opaque(const MColor& pColor)
{
    return KQelColor(pColor.r, pColor.g, pColor.b, 1.0);
}

// Each row reads what one shader function set offers into the material;
// false when the set does not attach to the shader.
bool ReadPhong(const MObject& pShader, KQelMaterial& pMaterial)
{
    MStatus status;
    const MFnPhongShader phong(pShader, &status);
    if (!status)
        return false;
    const double power = phong.cosPower();
    // NaN counts as 0.
    const double clamped = power > kMaxCosPower ? kMaxCosPower : (power > 0.0 ? power : 0.0);
    pMaterial.SetShininess(clamped / kMaxCosPower);
    return true;
}

bool ReadReflect(const MObject& pShader, KQelMaterial& pMaterial)
{
    MStatus status;
    const MFnReflectShader reflect(pShader, &status);
    if (!status)
        return false;
    pMaterial.SetSpecular(Opaque(reflect.specularColor()));
    return true;
}

bool ReadLambert(const MObject& pShader, KQelMaterial& pMaterial)
{
    MStatus status;
    const MFnLambertShader lambert(pShader, &status);
    if (!status)
        return false;
    pMaterial.SetDiffuse(Opaque(lambert.color()));
    const MColor transparency = lambert.transparency();
    pMaterial.SetOpacity(1.0 - (double(transparency.r) + transparency.g + transparency.b) / 3.0);
    pMaterial.SetAmbient(Opaque(lambert.ambientColor()));
    return true;
}

bool (*const kShaderRows[])(const MObject&, KQelMaterial&) = {ReadPhong, ReadReflect, ReadLambert};

void FillMaterial(KQelMaterial& pMaterial, const MObject& pShader)
{
    bool attached = false;
    for (auto read : kShaderRows)
        attached = read(pShader, pMaterial) || attached;
    if (!attached) {
        pMaterial.SetAmbient(kGrey);
        pMaterial.SetDiffuse(kGrey);
    }
}

// The one node connected into the plug; null for none or several.
MObject SourceOf(const MObject& pNode, const char* pPlug)
{
    MStatus status;
    const MFnDependencyNode node(pNode, &status);
    if (!status || !pPlug)
        return MObject::kNullObj;
    const MPlug plug = node.findPlug(pPlug, &status);
    if (!status || plug.isNull())
        return MObject::kNullObj;
    MPlugArray sources;
    plug.connectedTo(sources, true, false);
    return sources.length() == 1 ? sources[0].node() : MObject::kNullObj;
}

}  // namespace

MObject QelVeskExport::FindShadingGroup(MDagPath* pPath)
{
    if (!pPath)
        return MObject::kNullObj;
    MSelectionList list;
    list.add(*pPath, MObject::kNullObj, false);
    MObjectArray sets;
    if (!MGlobal::getAssociatedSets(list, sets))
        return MObject::kNullObj;
    for (unsigned int i = 0; i < sets.length(); ++i) {
        MStatus status;
        const MFnSet set(sets[i], &status);
        if (status && set.restriction() == MFnSet::kRenderableOnly)
            return sets[i];
    }
    return MObject::kNullObj;
}

MObject QelVeskExport::FindShader(MObject& pShadingGroup)
{
    return SourceOf(pShadingGroup, "surfaceShader");
}

MObject QelVeskExport::FindPlug(MObject& pNode, const char* pPlugName)
{
    return SourceOf(pNode, pPlugName);
}

int QelVeskExport::GetLastChildOfThisType(MDagPath* pPath, unsigned int pType)
{
    if (!pPath)
        return -1;
    for (unsigned int i = pPath->childCount(); i-- > 0;)
        if (pPath->child(i).apiType() == static_cast<MFn::Type>(pType))
            return static_cast<int>(i);
    return -1;
}

int QelVeskExport::DefineMaterial(const char* pName, MObject& pShader, KQelGeometry* pGeometry)
{
    if (!pGeometry)
        return -1;
    const char* name = pName ? pName : "";
    const KString prefixed = KQelSdkManager::PrefixName(kMaterialPrefix, name);
    int index = pGeometry->GMI(prefixed.Buffer(), 0);
    if (index >= 0)
        return index;
    // A material of that name made for another geometry is shared as it is.
    if (KQelMaterial* shared = mManager.FindKQelMaterial(name, 0)) {
        index = pGeometry->AM(shared, 0);
        if (index != -1)
            return index;
    }
    KQelMaterial* material = mManager.CreateKQelMaterial(name);
    if (!material)
        return -1;
    FillMaterial(*material, pShader);
    return pGeometry->AM(material, 0);
}

void QelVeskExport::SetNodeGeometryMaterial(QelVeskNode* pNode)
{
    KQelGeometry* geometry = pNode ? pNode->GetGeometry() : nullptr;
    if (!geometry || geometry->GetAttributeType() == KQelNodeAttribute::eMesh)
        return;
    MDagPath* path = pNode->GetDagPath();
    if (!path)
        return;
    MObject group;
    for (unsigned int i = 0, n = path->childCount(); i < n && group.isNull(); ++i) {
        MDagPath child;
        if (!MDagPath::getAPathTo(path->child(i), child))
            continue;
        const MObject candidate = FindShadingGroup(&child);
        if (candidate.hasFn(static_cast<MFn::Type>(kShadingGroupHostType)))
            group = candidate;
    }
    if (group.isNull())
        return;
    MObject shader = FindShader(group);
    if (shader.isNull())
        return;
    MStatus status;
    const MFnDependencyNode shaderNode(shader, &status);
    const MString name = status ? shaderNode.name() : MString();
    const int index = DefineMaterial(name.asChar(), shader, geometry);

    KLayerMapping record(0, E::eAllSame, E::eAllSame, E::eAllSame);
    record.mMaterialIndex = index;
    const bool textured = DefineTextures(shader, pNode, record);
    if (textured)
        if (KQelMaterial* material = geometry->GM(index, 0)) {
            material->SetAmbient(kGrey);
            material->SetDiffuse(kGrey);
        }
    // Layer 0 carries the material even when the textures went elsewhere.
    if (record.FindLayer(0) < 0)
        record.AddData(0, sgTRANSPARENT_TEX, MObject::kNullObj);
    FillLayerData(&record, geometry, textured);
}
