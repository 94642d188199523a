// User properties: the dynamic attributes of host transforms, with their
// values, soft limits and animation.
#include <vector>

#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnAttribute.h>
#include <vesk/MFnCompoundAttribute.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnNumericData.h>
#include <vesk/MFnTransform.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "export/qelveskexport.h"
#include "plugin/qelvesknode.h"
#include "scene/kqeltakenode.h"
#include "scene/kqeluserproperty.h"

using namespace qelsdk_600;

namespace {

// How a numeric attribute's value is read.
enum class ValueKind { kBool, kSignedByte, kInt, kFloat, kDouble, kTriple };

struct NumericRow {
    MFnNumericData::Type mType;
    KQelUserProperty::EUserPropertyType mProperty;
    ValueKind mValue;
};

// The numeric types that become one property. Other compounds stand for
// nothing themselves: their children are taken one by one.
const NumericRow kNumericRows[] = {
    {MFnNumericData::kBoolean, KQelUserProperty::eBool, ValueKind::kBool},
    {MFnNumericData::kByte, KQelUserProperty::eInteger, ValueKind::kSignedByte},
    {MFnNumericData::kChar, KQelUserProperty::eInteger, ValueKind::kSignedByte},
    {MFnNumericData::kShort, KQelUserProperty::eInteger, ValueKind::kInt},
    {MFnNumericData::kLong, KQelUserProperty::eInteger, ValueKind::kInt},
    {MFnNumericData::kFloat, KQelUserProperty::eReal, ValueKind::kFloat},
    {MFnNumericData::kDouble, KQelUserProperty::eReal, ValueKind::kDouble},
    {MFnNumericData::k3Float, KQelUserProperty::eVector, ValueKind::kTriple},
    {MFnNumericData::k3Double, KQelUserProperty::eVector, ValueKind::kTriple},
};

const NumericRow* RowOf(MFnNumericData::Type pType)
{
    for (const NumericRow& row : kNumericRows)
        if (row.mType == pType)
            return &row;
    return nullptr;
}

// The plug's current value, else the attribute's own default.
template <class T>
T ValueOrDefault(const MPlug& pPlug, bool pHasPlug, const MFnNumericAttribute& pAttribute)
{
    T value{};
    if (!pHasPlug || !pPlug.getValue(value))
        pAttribute.getDefault(value);
    return value;
}

void SetDefault(KQelUserProperty& pProperty, ValueKind pKind, const MPlug& pPlug, bool pHasPlug,
                const MFnNumericAttribute& pAttribute)
{
    switch (pKind) {
    case ValueKind::kBool:
        pProperty.SetDefaultValue(ValueOrDefault<bool>(pPlug, pHasPlug, pAttribute));
        break;
    case ValueKind::kSignedByte: {
        // Bytes are signed 8-bit values, whichever way they are read.
        char value = 0;
        const int read = pHasPlug && pPlug.getValue(value) ? value : ValueOrDefault<int>(pPlug, false, pAttribute);
        pProperty.SetDefaultValue(static_cast<int>(static_cast<signed char>(read)));
        break;
    }
    case ValueKind::kInt:
        pProperty.SetDefaultValue(ValueOrDefault<int>(pPlug, pHasPlug, pAttribute));
        break;
    case ValueKind::kFloat:
        pProperty.SetDefaultValue(static_cast<double>(ValueOrDefault<float>(pPlug, pHasPlug, pAttribute)));
        break;
    case ValueKind::kDouble:
        pProperty.SetDefaultValue(ValueOrDefault<double>(pPlug, pHasPlug, pAttribute));
        break;
    case ValueKind::kTriple: {
        double values[3] = {0.0, 0.0, 0.0};
        bool read = pHasPlug && pPlug.numChildren() >= 3;
        for (unsigned int i = 0; read && i < 3; ++i)
            read = static_cast<bool>(pPlug.child(i).getValue(values[i]));
        if (!read)
            pAttribute.getDefault(values[0], values[1], values[2]);
        pProperty.SetDefaultValue(values[0], values[1], values[2]);
        break;
    }
    }
}

// Converts the curve driving pPlug into pCurves, when it has keys and the
// conversion gives some: an empty conversion must not wipe the take's curve.
void ConvertPlugCurve(QelVeskExport& pExport, const MPlug& pPlug, KFCurveNode& pCurves)
{
    MStatus status;
    MFnAnimCurve hostCurve(pPlug, &status);
    if (!status || hostCurve.numKeys() == 0)
        return;
    KFCurve* curve = KFCurveCreate();
    pExport.SetFCurve(hostCurve, *curve, false, 1.0);
    if (curve->KeyGetCount() > 0)
        pCurves.FCurveSet(curve, true);
    else
        curve->Destroy();
}

}  // namespace

void QelVeskExport::AddUserProperties(QelVeskNode* pNode)
{
    // Each child's subtree before its parent, children in order, without
    // recursion.
    struct Visit {
        KQelNode* mNode;
        int mNextChild;
    };
    std::vector<Visit> pending;
    if (pNode)
        pending.push_back(Visit{pNode, 0});
    while (!pending.empty()) {
        Visit& top = pending.back();
        if (top.mNextChild < top.mNode->GetChildCount(false)) {
            KQelNode* child = top.mNode->GetChild(top.mNextChild++);
            pending.push_back(Visit{child, 0});
            continue;
        }
        QelVeskNode* node = static_cast<QelVeskNode*>(top.mNode);
        pending.pop_back();
        const MDagPath* path = node->GetDagPath();
        if (!path)
            continue;
        MStatus status;
        MFnTransform transform(path->transform(), &status);
        if (status)
            AddUserProperties(transform, node);
    }
}

void QelVeskExport::AddUserProperties(MFnTransform& pTransform, QelVeskNode* pNode)
{
    if (!pNode || !pNode->GetNodeAttribute())
        return;
    MStatus status;
    const unsigned int count = pTransform.attributeCount(&status);
    if (!status)
        return;

    // Attributes in index order; a compound's children right after it.
    std::vector<MObject> pending;
    for (unsigned int i = count; i-- > 0;)
        pending.push_back(pTransform.attribute(i));
    while (!pending.empty()) {
        MObject attribute = pending.back();
        pending.pop_back();
        if (pTransform.attributeClass(attribute) != MFnDependencyNode::kLocalDynamicAttr)
            continue;
        if (IsMentalRayDynamicAttribute(attribute))
            continue;

        const MFnNumericAttribute numeric(attribute, &status);
        const NumericRow* row = status ? RowOf(numeric.unitType()) : nullptr;
        if (!row) {
            // Plain compounds, and numeric pairs and the like: their
            // children count one by one.
            const MFnCompoundAttribute compound(attribute, &status);
            if (status)
                for (unsigned int c = compound.numChildren(); c-- > 0;)
                    pending.push_back(compound.child(c));
            continue;
        }

        KQelUserProperty::EUserPropertyType type = row->mProperty;
        if (row->mValue == ValueKind::kTriple && numeric.isUsedAsColor())
            type = KQelUserProperty::eColor;
        const MString name = numeric.shortName();
        KQelUserProperty* property = mManager.CreateKQelUserProperty(
            name.asChar(), KQelUserProperty::GetPropertyTypeName(type), name.asChar());
        if (!property)
            continue;
        property->ModifyFlag(KQelUserProperty::eUserProperty, true);
        property->ModifyFlag(KQelUserProperty::eAnimatable, true);
        pNode->AddProperty(property);

        MStatus found;
        const MPlug plug = pTransform.findPlug(name, &found);
        SetDefault(*property, row->mValue, plug, found && !plug.isNull(), numeric);
        if (row->mValue == ValueKind::kTriple)
            continue;
        double limit = 0.0;
        if (numeric.hasSoftMin() && numeric.getSoftMin(limit))
            property->SetMinLimit(limit);
        if (numeric.hasSoftMax() && numeric.getSoftMax(limit))
            property->SetMaxLimit(limit);
    }
}

MStatus QelVeskExport::ExportUserProperties(QelVeskNode& pNode, MFnTransform& pTransform)
{
    KQelTakeNode* take = pNode.GetCurrentTakeNode();
    if (!take || !pNode.GetNodeAttribute())
        return MStatus::kSuccess;
    KFCurveNode* root = take->GetKFCurveNode();
    for (int i = 0; root && i < pNode.GetPropertyCount(); ++i) {
        KQelUserProperty* property = pNode.GetProperty(i);
        if (!property || !property->GetFlag(KQelUserProperty::eUserProperty))
            continue;
        KString name = property->GetName();
        KFCurveNode* curves = root->FindRecursive(name.Buffer());
        MStatus status;
        const MPlug plug = pTransform.findPlug(property->GetLabel(true).Buffer(), &status);
        if (!curves || !status || plug.isNull())
            continue;
        switch (property->GetPropertyType()) {
        case KQelUserProperty::eBool:
        case KQelUserProperty::eReal:
        case KQelUserProperty::eInteger:
            ConvertPlugCurve(*this, plug, *curves);
            break;
        case KQelUserProperty::eColor:
        case KQelUserProperty::eVector:
            for (int j = 0; j < curves->GetCount(); ++j)
                if (KFCurveNode* member = curves->Get(j))
                    ConvertPlugCurve(*this, plug.child(static_cast<unsigned int>(j)), *member);
            break;
        default:
            break;
        }
    }
    return MStatus::kSuccess;
}
