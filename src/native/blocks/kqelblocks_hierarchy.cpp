// Hierarchy resolution of the older layout (children, links, look-at and
// up-vector targets by name) and user property blocks.
#include <limits>
#include <unordered_map>
#include <vector>

#include "content/kqelcolor.h"
#include "content/kqelgeometry.h"
#include "content/kqellink.h"
#include "file/iqelobject.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {

namespace {

using native_detail::ReadBlock;
using native_detail::WriteBlock;
using native_detail::WriteFieldC;
using native_detail::WriteFieldD;

const double kInfinity = std::numeric_limits<double>::infinity();

// The final parent of every node of the table: the last parent to name it,
// as attaching one child name after the other would leave it, with the
// place of that naming in the sequence (which orders a parent's children).
struct ParentChoice {
    int mParent = -1;
    int mOrder = -1;
};

// Walks from pStart up the chosen parents until a node already settled;
// calls pOnCycle(path, first) when the walk meets itself, the cycle being
// path[first..]. Every node walked is settled afterwards.
template <class F>
void SettleFrom(int pStart, std::vector<ParentChoice>& pChoices, std::vector<char>& pState, std::vector<int>& pPath,
                F pOnCycle)
{
    enum : char { eOpen = 0, eOnPath = 1, eSettled = 2 };
    pPath.clear();
    int node = pStart;
    while (node >= 0 && pState[node] == eOpen) {
        pState[node] = eOnPath;
        pPath.push_back(node);
        node = pChoices[node].mParent;
    }
    if (node >= 0 && pState[node] == eOnPath) {
        std::size_t first = 0;
        while (pPath[first] != node)
            ++first;
        pOnCycle(pPath, first);
    }
    for (int walked : pPath)
        pState[walked] = eSettled;
}

// The user properties of the node that the older layout stores (flag
// eUserProperty), their names without type identifier.
template <class F>
void ForEachStoredUserProperty(KQelNode& pNode, F pVisit)
{
    for (int i = 0, n = pNode.GetPropertyCount(); i < n; ++i) {
        KQelUserProperty* property = pNode.GetProperty(i);
        if (!property || !property->GetFlag(KQelUserProperty::eUserProperty))
            continue;
        KString name = property->GetName();
        RemoveTypeIdentifierFromName(name);
        pVisit(*property, name);
    }
}

// Sets on each node of a name table (sorted first) the node its name finds
// below the root; a name that finds nothing sets nothing.
void ResolveTable(KCharPtrSet& pTable, const native_detail::NodeNameIndex& pIndex,
                  void (KQelNode::*pSet)(KQelNode*))
{
    pTable.Sort();
    for (int i = 0, n = pTable.GetCount(); i < n; ++i) {
        char* name = nullptr;
        if (KQelNode* node = reinterpret_cast<KQelNode*>(pTable.GetFromIndex(i, &name)))
            (node->*pSet)(pIndex.Find(name));
    }
}

// The default value of a user property read from its "Value" field, by type.
void ReadUserPropertyValue(KQel& pFile, KQelUserProperty& pProperty)
{
    switch (pProperty.GetPropertyType()) {
    case KQelUserProperty::eBool:
        pProperty.SetDefaultValue(pFile.FieldReadI("Value", 0) != 0);
        break;
    case KQelUserProperty::eReal:
        pProperty.SetDefaultValue(pFile.FieldReadD("Value", 0.0));
        break;
    case KQelUserProperty::eInteger:
        pProperty.SetDefaultValue(pFile.FieldReadI("Value", 0));
        break;
    case KQelUserProperty::eColor:
    case KQelUserProperty::eVector: {
        if (pFile.FieldGetInstanceCount("Value") == 0)
            break;
        double value[3] = {0.0, 0.0, 0.0};
        pFile.FieldReadDn("Value", value, nullptr, 3);
        if (pProperty.GetPropertyType() == KQelUserProperty::eColor)
            pProperty.SetDefaultValue(KQelColor(value[0], value[1], value[2], 1.0));
        else
            pProperty.SetDefaultValue(value[0], value[1], value[2]);
        break;
    }
    default:
        break;
    }
}

}  // namespace

bool KQelReaderQel::ReadHierarchy(KQelNode& pRoot)
{
    if (!mFile->IsBeforeVersion6())
        return true;
    if (!ResolveHierarchy(pRoot))
        return false;
    if (mOptions->GetOption(KStreamOptionsQel::eLink) && !ResolveLinks(pRoot, pRoot))
        return false;
    if (!ResolveTargets(pRoot))
        return false;
    return ResolveUpNodes(pRoot);
}

bool KQelReaderQel::ResolveHierarchy(KQelNode& pRoot)
{
    mNodeTable.Sort();
    const int count = mNodeTable.GetCount();
    std::vector<KQelNode*> nodes(static_cast<std::size_t>(count));
    std::unordered_map<const KQelNode*, int> position;
    position.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        nodes[i] = reinterpret_cast<KQelNode*>(mNodeTable.GetFromIndex(i));
        position.emplace(nodes[i], i);
    }

    // Every final parent first, then every cycle cut; attaching only then
    // keeps each ancestor check short on deep chains.
    std::vector<ParentChoice> choices(static_cast<std::size_t>(count));
    int sequence = 0;
    for (int p = 0; p < count; ++p) {
        KQelNode* parent = nodes[p];
        for (int c = 0, n = parent ? parent->GetChildNameCount() : 0; c < n; ++c) {
            const KString name = KQelSdkManager::PrefixName("Model::", parent->GetChildName(c));
            auto found = position.find(FindNode(name.Buffer()));
            if (found == position.end())
                continue;
            choices[found->second].mParent = p;
            choices[found->second].mOrder = sequence++;
        }
    }
    std::vector<char> state(static_cast<std::size_t>(count), 0);
    std::vector<int> path;
    for (int i = 0; i < count; ++i) {
        SettleFrom(i, choices, state, path, [&](const std::vector<int>& pPath, std::size_t pFirst) {
            // The attachment made last in the sequence is the one refused.
            int cut = pPath[pFirst];
            for (std::size_t k = pFirst; k < pPath.size(); ++k) {
                if (choices[pPath[k]].mOrder > choices[cut].mOrder)
                    cut = pPath[k];
            }
            choices[cut].mParent = -1;
            MarkCorruptData(nodes[cut]->GetName(), "Children");
        });
    }

    // Each parent's children in the order of their final naming, parents
    // deepest first, so that no attachment climbs a chain already built.
    std::vector<int> byOrder(static_cast<std::size_t>(sequence), -1);
    for (int i = 0; i < count; ++i) {
        if (choices[i].mParent >= 0)
            byOrder[choices[i].mOrder] = i;
    }
    std::vector<std::vector<int>> children(static_cast<std::size_t>(count));
    for (int child : byOrder) {
        if (child >= 0)
            children[choices[child].mParent].push_back(child);
    }
    std::vector<int> depth(static_cast<std::size_t>(count), -1);
    int deepest = 0;
    for (int i = 0; i < count; ++i) {
        path.clear();
        int node = i;
        while (node >= 0 && depth[node] < 0) {
            path.push_back(node);
            node = choices[node].mParent;
        }
        int d = node >= 0 ? depth[node] : -1;
        for (auto it = path.rbegin(); it != path.rend(); ++it)
            depth[*it] = ++d;
        if (d > deepest)
            deepest = d;
    }
    std::vector<std::vector<int>> byDepth(static_cast<std::size_t>(deepest) + 1);
    for (int i = 0; i < count; ++i) {
        if (!children[i].empty())
            byDepth[depth[i]].push_back(i);
    }
    for (int d = deepest; d >= 0; --d) {
        for (int parent : byDepth[d]) {
            for (int child : children[parent])
                nodes[parent]->AddChild(nodes[child]);
        }
    }
    for (KQelNode* node : nodes) {
        if (node && !node->GetParent())
            pRoot.AddChild(node);
    }
    mNodeIndexValid = false;
    return true;
}

void native_detail::NodeNameIndexDeleter::operator()(NodeNameIndex* pIndex) const
{
    delete pIndex;
}

const native_detail::NodeNameIndex& KQelReaderQel::NodeIndex(KQelNode& pRoot)
{
    if (!mNodeIndex)
        mNodeIndex.reset(new native_detail::NodeNameIndex);
    if (!mNodeIndexValid || mNodeIndexRoot != &pRoot) {
        mNodeIndex->Build(pRoot);
        mNodeIndexRoot = &pRoot;
        mNodeIndexValid = true;
    }
    return *mNodeIndex;
}

bool KQelReaderQel::ResolveLinks(KQelNode& pRoot, KQelNode& pNode)
{
    const native_detail::NodeNameIndex& index = NodeIndex(pRoot);
    auto bind = [&index](KQelNode* pLinked) {
        KQelGeometry* geometry = pLinked->GetGeometry();
        for (int i = 0, n = geometry ? geometry->GetLinkCount() : 0; i < n; ++i) {
            KQelLink* link = geometry->GetLink(i);
            if (!link)
                continue;
            if (KQelNode* node = index.Find(link->GetLinkName().Buffer()))
                link->SetLink(node);
            const KString associate = link->GetAssociateModelName();
            if (!associate.IsEmpty()) {
                if (KQelNode* node = index.Find(associate.Buffer()))
                    link->SetAssociateModel(node);
            }
        }
        return true;
    };
    bind(&pNode);
    native_detail::WalkBelow(pNode, bind);
    return true;
}

bool KQelReaderQel::ResolveTargets(KQelNode& pRoot)
{
    ResolveTable(mLookAtTable, NodeIndex(pRoot), &KQelNode::SetTarget);
    return true;
}

bool KQelReaderQel::ResolveUpNodes(KQelNode& pRoot)
{
    ResolveTable(mUpNodeTable, NodeIndex(pRoot), &KQelNode::SetTargetUp);
    return true;
}

bool KQelReaderQel::ReadUserProperties(KQelNode& pNode)
{
    if (!mFile->IsBeforeVersion6())
        return true;
    KQel& file = File();
    while (file.FieldReadBegin("UserProperty")) {
        if (file.FieldReadBlockBegin()) {
            KString name = file.FieldReadC("Name", "UserProp");
            const KString type = file.FieldReadC("Type", "");
            const KString label = file.FieldReadC("Label", "");
            if (type.CompareNoCase("Vector") != 0)
                name += KString(" (") + type + ")";
            if (KQelUserProperty* property =
                    mManager.CreateKQelUserProperty(name.Buffer(), type.Buffer(), label.Buffer())) {
                property->ModifyFlag(KQelUserProperty::eUserProperty, true);
                property->ModifyFlag(KQelUserProperty::eAnimatable, true);
                pNode.AddProperty(property);
                ReadUserPropertyValue(file, *property);
                property->SetMinLimit(file.FieldReadD("Min", -kInfinity));
                property->SetMaxLimit(file.FieldReadD("Max", kInfinity));
            }
            file.FieldReadBlockEnd();
        }
        file.FieldReadEnd();
    }
    return true;
}

bool KQelWriterQel::WriteKQelNodeUserProperties(KQelNode& pNode)
{
    KQel& file = File();
    ForEachStoredUserProperty(pNode, [&file](KQelUserProperty& pProperty, const KString& pName) {
        WriteBlock block(file, "UserProperty");
        WriteFieldC(file, "Name", pName.Buffer());
        WriteFieldC(file, "Type", KQelUserProperty::GetPropertyTypeName(pProperty.GetPropertyType()));
        WriteFieldC(file, "Label", pProperty.GetLabel(true).Buffer());
        if (pProperty.GetMinLimit() > -kInfinity)
            WriteFieldD(file, "Min", pProperty.GetMinLimit());
        if (pProperty.GetMaxLimit() < kInfinity)
            WriteFieldD(file, "Max", pProperty.GetMaxLimit());
    });
    return true;
}

void KQelWriterQel::WriteUserPropertyNames(KQelNode& pNode)
{
    KQel& file = File();
    ForEachStoredUserProperty(pNode, [&file](KQelUserProperty&, const KString& pName) {
        file.FieldWriteC(pName.Buffer());
    });
}

}  // namespace qelsdk_600
