#include "plugin/qelveskmergenodematcher.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include <vesk/MFnCamera.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnLight.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnTransform.h>
#include <vesk/MItDag.h>

#include "io/kqelpluginbase.h"
#include "plugin/qelvesknameclash.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelvesksdkmanager.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelpath.h"
#include "scene/kqeluserproperty.h"

using namespace qelsdk_600;

namespace {

// The host node's name after its last ':'.
std::string NameWithoutNamespaces(const MDagPath& pPath)
{
    const std::string name = MFnDagNode(pPath).name().asChar();
    const size_t colon = name.rfind(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

std::string AttributeName(const KString& pLabel, int pSuffix)
{
    std::string name = pLabel.Buffer();
    if (pSuffix > 0)
        name += std::to_string(pSuffix);
    for (char& c : name)
        if (c == ' ')
            c = '_';
    return name;
}

struct UnitTypeMatch {
    MFnNumericData::Type mUnit;
    KQelUserProperty::EUserPropertyType mTypes[2];
};

const UnitTypeMatch kUnitTypeMatches[] = {
    {MFnNumericData::kBoolean, {KQelUserProperty::eBool, KQelUserProperty::eBool}},
    {MFnNumericData::kByte, {KQelUserProperty::eInteger, KQelUserProperty::eInteger}},
    {MFnNumericData::kChar, {KQelUserProperty::eInteger, KQelUserProperty::eInteger}},
    {MFnNumericData::kShort, {KQelUserProperty::eInteger, KQelUserProperty::eInteger}},
    {MFnNumericData::kLong, {KQelUserProperty::eInteger, KQelUserProperty::eInteger}},
    {MFnNumericData::kFloat, {KQelUserProperty::eReal, KQelUserProperty::eReal}},
    {MFnNumericData::kDouble, {KQelUserProperty::eReal, KQelUserProperty::eReal}},
    {MFnNumericData::k3Float, {KQelUserProperty::eColor, KQelUserProperty::eVector}},
    {MFnNumericData::k3Double, {KQelUserProperty::eColor, KQelUserProperty::eVector}},
};

} // namespace

QelVeskMergeNodeMatcher::QelVeskMergeNodeMatcher(QelVeskSdkManager& pManager)
    : mManager(pManager), mPluginBase(nullptr)
{
}

MStatus QelVeskMergeNodeMatcher::Apply(KQelNode* pRoot, MFn::Type pType)
{
    QelNameClashTable clashes(pRoot);
    // The manager's first node of each name, as a search of its node list
    // in creation order finds it, built once for the whole walk.
    std::unordered_map<std::string, QelVeskNode*> byName;
    for (int i = 0, n = mManager.GetKQelNodeCount(); i < n; ++i) {
        KQelNode* node = mManager.GetKQelNode(i);
        byName.emplace(node->GetName(), static_cast<QelVeskNode*>(node));
    }

    MItDag it(MItDag::kDepthFirst, pType);
    for (; !it.isDone(); it.next()) {
        MDagPath path;
        if (!it.getPath(path))
            continue;
        std::string name = MFnDagNode(path).name().asChar();
        std::string nameSpace;
        const size_t colon = name.find(':');
        if (colon != std::string::npos) {
            nameSpace = name.substr(0, colon);
            name.erase(0, colon + 1);
        }

        QelVeskNode* candidate = nullptr;
        bool foundByName = false;
        if (QelNameClashTable::Clash* clash = clashes.Find(name.c_str())) {
            for (int i = 0, n = clash->mNodes.GetCount(); i < n && !candidate; ++i) {
                QelVeskNode* node = static_cast<QelVeskNode*>(clash->mNodes[i]);
                if (FindPathEquivalent(node, path) && nameSpace == node->mNameSpace.Buffer())
                    candidate = node;
            }
        } else {
            auto found = byName.find(KQelSdkManager::PrefixName("Model::", name.c_str()).Buffer());
            if (found != byName.end() && nameSpace == found->second->mNameSpace.Buffer()) {
                candidate = found->second;
                foundByName = true;
            }
        }
        if (!candidate || IsRootWithoutMatchingChild(path, candidate, mPluginBase))
            continue;
        if (foundByName && candidate->GetDagPath())
            continue;

        candidate->SetDagPath(&path);
        candidate->mMerged = true;
        KQelNodeAttribute* attribute = candidate->GetNodeAttribute();
        if (!attribute)
            continue;
        if (attribute->GetAttributeType() == KQelNodeAttribute::eCamera) {
            const MObject shape = MFnCamera(path).object();
            candidate->SetShapeObject(&shape);
        } else if (attribute->GetAttributeType() == KQelNodeAttribute::eLight) {
            const MObject shape = MFnLight(path).object();
            candidate->SetShapeObject(&shape);
        }
        ResolveUserPropertyNames(candidate);
    }
    return MStatus::kSuccess;
}

bool QelVeskMergeNodeMatcher::FindPathEquivalent(KQelNode* pNode, const MDagPath& pPath)
{
    // What a KQelPath of the node would give, without its search of each
    // ancestor's index among its siblings (linear in a wide tree).
    int count = 0;
    KQelNode* top = pNode;
    for (; top && top->GetParent(); top = top->GetParent())
        ++count;
    return top && CompareAncestry(pNode, count, top->GetName(), pPath);
}

bool QelVeskMergeNodeMatcher::ComparePath(KQelPath& pSdkPath, MDagPath pHostPath)
{
    KQelNode* node = pSdkPath.GetNode();
    const char* top = pSdkPath.GetParentNodeName(0);
    return node && top && CompareAncestry(node, pSdkPath.GetParentCount(), top, pHostPath);
}

bool QelVeskMergeNodeMatcher::CompareAncestry(KQelNode* pNode, int pCount, const char* pTopName, MDagPath pHostPath)
{
    const int first = std::strcmp(pTopName, "Model::RootNode") == 0 ? 1 : 0;
    if (pCount < 0 || static_cast<unsigned int>(pCount) != pHostPath.length())
        return false;
    KQelNode* ancestor = pNode->GetParent();
    for (int i = pCount - 1; i >= first; --i) {
        pHostPath.pop(1);
        if (!ancestor || NameWithoutNamespaces(pHostPath) != ancestor->GetNameWithoutNameSpacePrefix().Buffer())
            return false;
        ancestor = ancestor->GetParent();
    }
    return true;
}

void QelVeskMergeNodeMatcher::ResolveUserPropertyNames(QelVeskNode* pNode)
{
    MDagPath* path = pNode->GetDagPath();
    if (!path)
        return;
    MStatus status;
    MFnTransform transform(*path, &status);
    if (!status)
        return;

    auto addPair = [pNode](const KString& pLabel, const std::string& pAttribute) {
        pNode->mUserPropertyNames.Add(pLabel.Buffer(),
                                      reinterpret_cast<kReference>(new KString(pAttribute.c_str())));
    };
    std::vector<KQelUserProperty*> unmatched;
    for (int i = 0, n = pNode->GetPropertyCount(); i < n; ++i) {
        KQelUserProperty* property = pNode->GetProperty(i);
        if (!property || !property->GetFlag(KQelUserProperty::eUserProperty))
            continue;
        const KString label = property->GetLabel(true);
        const std::string name = AttributeName(label, 0);
        MStatus found;
        const MObject attribute = transform.attribute(MString(name.c_str()), &found);
        if (!found || attribute.isNull())
            unmatched.push_back(property);
        else if (UserPropertyTypesMatch(property, attribute))
            addPair(label, name);
    }
    for (KQelUserProperty* property : unmatched) {
        const KString label = property->GetLabel(true);
        for (int k = 1; k <= 10; ++k) {
            const std::string name = AttributeName(label, k);
            MStatus found;
            const MObject attribute = transform.attribute(MString(name.c_str()), &found);
            if (!found || attribute.isNull())
                continue;
            if (UserPropertyTypesMatch(property, attribute))
                addPair(label, name);
            break;
        }
    }
}

bool QelVeskMergeNodeMatcher::UserPropertyTypesMatch(KQelUserProperty* pProperty, const MObject& pAttribute)
{
    MStatus status;
    MFnNumericAttribute numeric(pAttribute, &status);
    if (!status || !pProperty)
        return false;
    const MFnNumericData::Type unit = numeric.unitType();
    const KQelUserProperty::EUserPropertyType type = pProperty->GetPropertyType();
    for (const UnitTypeMatch& match : kUnitTypeMatches)
        if (match.mUnit == unit)
            return type == match.mTypes[0] || type == match.mTypes[1];
    return false;
}

bool IsRootWithoutMatchingChild(const MDagPath& pPath, QelVeskNode* pNode, KQelPluginBase* pBase)
{
    if (!pNode || !pBase || !pBase->IsQelRootNode(pNode))
        return false;
    std::unordered_set<std::string> hostChildren;
    for (unsigned int i = 0, n = pPath.childCount(); i < n; ++i)
        hostChildren.insert(MFnDagNode(pPath.child(i)).name().asChar());
    for (int i = 0, n = pNode->GetChildCount(false); i < n; ++i)
        if (KQelNode* child = pNode->GetChild(i))
            if (hostChildren.count(child->GetNameWithoutNameSpacePrefix().Buffer()))
                return false;
    return true;
}
