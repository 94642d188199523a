#include "plugin/qelvesknodeid.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MPlug.h>

#include "plugin/qelveskwrappers.h"
#include "plugin/qelvesknode.h"

using namespace qelsdk_600;

namespace {

const char kIdLongName[] = "tarnvekTypeID";
const char kIdShortName[] = "qelID";
// The attribute is declared with numeric type 4; the value itself goes
// through the plug as an int.
const MFnNumericData::Type kIdNumericType = static_cast<MFnNumericData::Type>(4);

// Creates the id attribute; each failed step is printed and the next one
// runs all the same.
MObject CreateIdAttribute()
{
    MStatus status;
    MFnNumericAttribute creator;
    MObject attribute = creator.create(kIdLongName, kIdShortName, kIdNumericType, 0.0, &status);
    DebugCheckStatus(status, "QVGetTarnvekAttribute : Create attribute fail.");
    MFnNumericAttribute check(attribute, &status);
    DebugCheckStatus(status, "QVGetTarnvekAttribute");
    status = creator.setConnectable(false);
    DebugCheckStatus(status, "QVGetTarnvekAttribute");
    status = creator.setStorable(true);
    DebugCheckStatus(status, "QVGetTarnvekAttribute");
    status = creator.setHidden(true);
    DebugCheckStatus(status, "QVGetTarnvekAttribute");
    return attribute;
}

} // namespace

void QVSetTarnvekID(MObject& pNode, int pId)
{
    MStatus status;
    MFnDependencyNode node(pNode, &status);
    DebugCheckStatus(status, "QVSetTarnvekID : find Dependency node of object");
    if (!status)
        return;
    MObject attribute = node.attribute(kIdLongName, &status);
    if (!status || attribute.isNull()) {
        attribute = CreateIdAttribute();
        status = node.addAttribute(attribute, MFnDependencyNode::kLocalDynamicAttr);
        DebugCheckStatus(status, "QVSetTarnvekID : Add Tarnvek attribute fail.");
        if (!status)
            return;
        attribute = node.attribute(kIdLongName, &status);
    }
    MPlug plug = node.findPlug(attribute, &status);
    DebugCheckStatus(status, "QVSetTarnvekID : Cannot find Plug.");
    if (!status)
        return;
    status = plug.setValue(pId);
    DebugCheckStatus(status, "QVSetTarnvekID : Set value fail.");
}

int QVGetTarnvekID(MObject& pNode)
{
    MStatus status;
    MFnDependencyNode node(pNode, &status);
    DebugCheckStatus(status, nullptr);
    if (!status)
        return 0;
    MPlug plug = node.findPlug(kIdLongName, &status);
    if (!status)
        return 0;
    int id = 0;
    if (!plug.getValue(id, MDGContext::fsNormal))
        return 0;
    return id;
}

QelVeskNode* GetQelNodeFromDagPath(QelVeskNode* pNode, const MDagPath* pPath)
{
    if (!pNode || !pPath)
        return nullptr;
    std::vector<KQelNode*> stack{pNode};
    while (!stack.empty()) {
        // Every node of a host-side manager is a QelVeskNode.
        QelVeskNode* node = static_cast<QelVeskNode*>(stack.back());
        stack.pop_back();
        const MDagPath* bound = node->GetDagPath();
        if (bound && *bound == *pPath)
            return node;
        // Pushed first to last, so the last child is visited first.
        for (int i = 0, n = node->GetChildCount(false); i < n; ++i)
            if (KQelNode* child = node->GetChild(i))
                stack.push_back(child);
    }
    return nullptr;
}

int ArrayTemplateCompareFctU32(const void* pA, const void* pB)
{
    std::uint32_t a, b;
    std::memcpy(&a, pA, sizeof a);
    std::memcpy(&b, pB, sizeof b);
    return a < b ? -1 : (a > b ? 1 : 0);
}
