// Materials: one phong shader per material name and one shading group per
// slot of each new geometry, with the object or its polygons as members.
#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include <vesk/MDagPath.h>
#include <vesk/MFnAttribute.h>
#include <vesk/MFnMesh.h>
#include <vesk/MFnPhongShader.h>
#include <vesk/MFnSingleIndexedComponent.h>
#include <vesk/MGlobal.h>
#include <vesk/MIntArray.h>
#include <vesk/MPlug.h>
#include <vesk/MSelectionList.h>

#include "content/kqelgeometry.h"
#include "content/kqellayer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "import/qelveskimportfunctions.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelveskwrappers.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

const char kShaderListName[] = "defaultShaderList1";
const double kDefaultCosinePower = 3.0;
const double kCosinePowerPerShininess = 128.0;
// Colours of a shader made without a material: specular, diffuse, ambient.
const double kDefaultSpecular = 0.3;
const double kDefaultDiffuse = 0.5;
const double kDefaultAmbient = 0.4;
// Corners up to which a polygon's vote is tallied in a plain list.
const size_t kListTally = 8;

MColor HostColor(const KQelColor& pColor)
{
    KQelColor clamped;
    clamped = pColor;
    return MColor(static_cast<float>(clamped.mRed), static_cast<float>(clamped.mGreen),
                  static_cast<float>(clamped.mBlue), 1.0f);
}

MColor Grey(double pLevel)
{
    return HostColor(KQelColor(pLevel, pLevel, pLevel, 1.0));
}

// The material index most corners name; on a tie the one met first.
int Vote(const std::vector<int>& pCorners, std::vector<std::pair<int, int>>& pTally)
{
    pTally.clear();
    std::unordered_map<int, size_t> where;
    const bool hashed = pCorners.size() > kListTally;
    for (int material : pCorners) {
        size_t at = pTally.size();
        if (hashed) {
            const auto found = where.emplace(material, at);
            at = found.first->second;
        } else {
            for (size_t i = 0; i < pTally.size() && at == pTally.size(); ++i)
                if (pTally[i].first == material)
                    at = i;
        }
        if (at == pTally.size())
            pTally.emplace_back(material, 0);
        ++pTally[at].second;
    }
    size_t best = 0;
    for (size_t i = 1; i < pTally.size(); ++i)
        if (pTally[i].second > pTally[best].second)
            best = i;
    return pTally.empty() ? -1 : pTally[best].first;
}

// The host's texts for those polygons of the mesh at pPath (ascending
// indices), as set commands read them.
MStringArray PolygonStrings(const MDagPath& pPath, const std::vector<int>& pPolygons)
{
    MFnSingleIndexedComponent component;
    const MObject polygons = component.create(MFn::kMeshPolygonComponent);
    component.addElements(MIntArray(pPolygons.data(), static_cast<unsigned int>(pPolygons.size())));
    MSelectionList list;
    list.add(pPath, polygons, false);
    MStringArray strings;
    list.getSelectionStrings(strings);
    return strings;
}

void Progress(const char* pFormat, int pA, int pB, int pC)
{
    char text[96];
    std::snprintf(text, sizeof text, pFormat, pA, pB, pC);
    QelVeskProgressMeter::Activate(text);
}

}  // namespace

void CheckAttribute2(MObject* pNode)
{
    if (!pNode)
        return;
    MFnDependencyNode node(*pNode);
    for (unsigned int i = 0, n = node.attributeCount(); i < n; ++i) {
        const MObject attribute = node.attribute(i);
        MFnAttribute(attribute).name();
        attribute.apiTypeStr();
    }
}

void QelVeskImport::ClearMaterials()
{
    for (int i = 0, n = mMaterials.GetCount(); i < n; ++i)
        delete mMaterials[i];
    mMaterials.Clear();
    mMaterialIndex.clear();
}

void QelVeskImport::BuildMaterialInformation(QelVeskNode* pNode)
{
    const bool build = QelVeskUserParams::Instance()->GetImportType() != QelVeskUserParams::eExclusiveMerge;
    // Children pushed first to last come off the stack last to first.
    std::vector<QelVeskNode*> stack;
    if (pNode)
        stack.push_back(pNode);
    while (!stack.empty()) {
        QelVeskNode* node = stack.back();
        stack.pop_back();
        QelVeskProgressMeter::Activate(ShortName(*node).Buffer());
        KQelGeometry* geometry = node->GetGeometry();
        if (build && geometry && node->GetDagPath() && !node->mMerged) {
            MObjectArray shaders;
            MStringArray groups;
            for (int slot = 0, count = std::max(1, geometry->GMC(0)); slot < count; ++slot) {
                MObject shader = MaterialShader(geometry->GM(slot, 0));
                shaders.append(shader);
                groups.append(ShadingGroup(*node, shader));
            }
            std::vector<std::unique_ptr<FaceAttributes>> records;
            KQelMesh* mesh = geometry->GetAttributeType() == KQelNodeAttribute::eMesh
                                 ? static_cast<KQelMesh*>(geometry)
                                 : nullptr;
            if (!mesh || mesh->GetMaterialMappingMode() == KQelLayerElement::eAllSame) {
                const MString members = node->GetDagPath()->partialPathName();
                for (unsigned int slot = 0; slot < shaders.length(); ++slot) {
                    FillSetWith(groups[slot], members.asChar(), MStringArray(), true);
                    records.emplace_back(new FaceAttributes(geometry));
                    records.back()->shader = shaders[slot];
                }
            } else {
                AssignPolygons(*node, *mesh, shaders, groups, records);
            }
            ConnectRecordTextures(*geometry, records);
        }
        for (int i = 0, n = node->GetChildCount(); i < n; ++i)
            stack.push_back(Vesk(node->GetChild(i)));
    }
}

void QelVeskImport::AssignPolygons(QelVeskNode& pNode, KQelMesh& pMesh, const MObjectArray& pShaders,
                                   const MStringArray& pGroups, std::vector<std::unique_ptr<FaceAttributes>>& pRecords)
{
    const KQelLayerElement::EMappingMode mode = pMesh.GetMaterialMappingMode();
    if (mode != KQelLayerElement::eByPolygon && mode != KQelLayerElement::eByControlPoint &&
        mode != KQelLayerElement::eByPolygonVertex)
        return;
    if (mode == KQelLayerElement::eByControlPoint)
        Warn("QEL import warning",
             KString("Materials assigned by Control Points. Results may differ from original assignment."));
    const int slotCount = pMesh.GMC(0);
    const KQelLayer* layer0 = pMesh.GetLayer(0);
    if (slotCount < 1 || !pMesh.GetMaterialIndices() || !layer0 || !layer0->GetMaterials())
        return;
    const KArrayTemplate<int>& indices = layer0->GetMaterials()->GetIndexArray();
    // The slot an index-array position names; -1 past the array or the slots.
    const auto slotAt = [&](std::int64_t pPosition) {
        if (pPosition < 0 || pPosition >= indices.GetCount())
            return -1;
        const int slot = indices[static_cast<int>(pPosition)];
        return slot >= 0 && slot < slotCount ? slot : -1;
    };

    const MDagPath& path = *pNode.GetDagPath();
    HostPolygons map;
    if (!MapHostPolygons(pMesh, MFnMesh(path).numPolygons(), map)) {
        KString line("Mesh ");
        line += ShortName(pNode);
        line += ": its host polygons do not match the file's; materials by polygon are left out.";
        Log(line.Buffer());
        return;
    }

    // Host polygons of each slot, ascending, and where each slot's record is.
    std::vector<std::vector<int>> members(static_cast<size_t>(slotCount));
    std::vector<int> firstPolygon(static_cast<size_t>(slotCount), -1);
    std::vector<int> corners;
    std::vector<std::pair<int, int>> tally;
    for (size_t h = 0; h < map.mPolygon.size(); ++h) {
        const int p = map.mPolygon[h];
        int slot = -1;
        if (mode == KQelLayerElement::eByPolygon) {
            slot = slotAt(p);
        } else {
            corners.clear();
            for (int k = 0, size = pMesh.GetPolygonSize(p); k < size; ++k)
                corners.push_back(slotAt(mode == KQelLayerElement::eByControlPoint ? pMesh.GetPolygonVertex(p, k)
                                                                                   : map.mCorner[h] + k));
            slot = Vote(corners, tally);
        }
        if (slot < 0)
            continue;
        members[static_cast<size_t>(slot)].push_back(static_cast<int>(h));
        if (firstPolygon[static_cast<size_t>(slot)] >= 0)
            continue;
        firstPolygon[static_cast<size_t>(slot)] = p;
        // By polygon the records follow the slots; by vote, the polygons.
        if (mode != KQelLayerElement::eByPolygon) {
            pRecords.emplace_back(new FaceAttributes(&pMesh));
            pRecords.back()->polygonIndex = p;
            pRecords.back()->shader = pShaders[static_cast<unsigned int>(slot)];
        }
    }

    for (int slot = 0; slot < slotCount; ++slot) {
        const std::vector<int>& polygons = members[static_cast<size_t>(slot)];
        if (mode == KQelLayerElement::eByPolygon) {
            Progress("processing material %d of %d( %d%% )", slot + 1, slotCount, 0);
            if (!polygons.empty()) {
                pRecords.emplace_back(new FaceAttributes(&pMesh));
                pRecords.back()->polygonIndex = firstPolygon[static_cast<size_t>(slot)];
                pRecords.back()->shader = pShaders[static_cast<unsigned int>(slot)];
            }
        }
        if (polygons.empty())
            continue;
        const MStringArray strings = PolygonStrings(path, polygons);
        for (unsigned int s = 0; s < strings.length(); ++s)
            FillSetWith(pGroups[static_cast<unsigned int>(slot)], strings[s].asChar(), MStringArray(), true);
    }
}

MObject QelVeskImport::MaterialShader(KQelMaterial* pMaterial)
{
    KString name;
    if (pMaterial) {
        name = pMaterial->GetNameWithoutNameSpacePrefix();
        const auto cached = mMaterialIndex.find(name.Buffer());
        if (cached != mMaterialIndex.end())
            return mMaterials[cached->second]->mShader;
    }
    MStatus status;
    MFnPhongShader phong;
    const MObject shader = phong.create(true, &status);
    if (!status)
        status.perror("Cannot create shader");
    if (pMaterial) {
        MaterialRecord* record = new MaterialRecord{name, shader};
        mMaterialIndex.emplace(name.Buffer(), mMaterials.GetCount());
        mMaterials.Add(record);
    }
    phong.setCosPower(static_cast<float>(kDefaultCosinePower));
    if (!pMaterial) {
        phong.setSpecularColor(Grey(kDefaultSpecular));
        phong.setColor(Grey(kDefaultDiffuse));
        phong.setTransparency(MColor(0.0f, 0.0f, 0.0f, 1.0f));
        phong.setAmbientColor(Grey(kDefaultAmbient));
        return shader;
    }
    phong.setCosPower(static_cast<float>(pMaterial->GetShininess() * kCosinePowerPerShininess));
    phong.setSpecularColor(HostColor(pMaterial->GetSpecular()));
    phong.setColor(HostColor(pMaterial->GetDiffuse()));
    const double transparency = 1.0 - pMaterial->GetOpacity();
    phong.setTransparency(HostColor(KQelColor(transparency, transparency, transparency, 1.0)));
    phong.setAmbientColor(HostColor(pMaterial->GetAmbient()));
    phong.setName(MString(name.IsEmpty() ? "unnamed" : name.Buffer()));
    return shader;
}

MString QelVeskImport::ShadingGroup(QelVeskNode& pNode, MObject& pShader)
{
    MSelectionList list;
    MObject shaderList;
    if (!list.add(MString(kShaderListName)) || !list.getDependNode(0, shaderList) || shaderList.isNull())
        MStatus(MStatus::kFailure).perror("Cannot get ShaderList");
    return ConnectMaterialShader(shaderList, ShortName(pNode).Buffer(), pShader);
}

MString QelVeskImport::ConnectMaterialShader(MObject& pShaderList, const char* pName, MObject& pShader)
{
    MStatus status;
    MFnPhongShader phong(pShader);
    phong.findPlug("message", &status);
    DebugCheckStatus(status, nullptr);
    MFnDependencyNode shaderList(pShaderList);
    shaderList.findPlug("shaders", &status);
    DebugCheckStatus(status, nullptr);

    KString requested(pName ? pName : "");
    requested += "SG";
    MStringArray result;
    MGlobal::executeCommand(
        MString((KString("sets -renderable true -noSurfaceShader true -empty -name ") + QelVeskQuote(requested.Buffer()))
                    .Buffer()),
        result, false, false);
    if (result.length() == 0)
        return MString();
    const MString group = result[0];
    KString connect("connectAttr -f ");
    connect += QelVeskQuote((KString(phong.name().asChar()) + ".outColor").Buffer());
    connect += "  ";
    connect += QelVeskQuote((KString(group.asChar()) + ".surfaceShader").Buffer());
    connect += "  ";
    MGlobal::executeCommand(MString(connect.Buffer()), false, false);
    return group;
}

void QelVeskImport::FillSetWith(const MString& pSetName, const char* pMembers, MStringArray pResult,
                                bool pForceElement)
{
    // A group the host did not make has no name to add members to.
    if (pSetName.length() == 0)
        return;
    KString command(pForceElement ? "sets -e -forceElement " : "sets -e ");
    command += QelVeskQuote(pSetName.asChar());
    command += "  ";
    command += QelVeskQuote(pMembers);
    MGlobal::executeCommand(MString(command.Buffer()), pResult, false, false);
}
