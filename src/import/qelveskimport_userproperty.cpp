// User properties of a node as dynamic attributes of its host transform,
// with their curves and static values.
#include <limits>

#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnTransform.h>
#include <vesk/MGlobal.h>
#include <vesk/MPlug.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "object/kpropertytemplate.h"
#include "plugin/qelmodifier.h"
#include "scene/kqeltakenode.h"
#include "scene/kqeluserproperty.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

// Name clashes tried before a property is given up: the label, then the
// label followed by 1 to 9.
const int kLastClash = 9;

// The host attribute of a user-property type.
struct AttributeKind {
    KQelUserProperty::EUserPropertyType mType;
    MFnNumericData::Type mNumericType;
    bool mColor;
    bool mSoftLimits;
};

const AttributeKind kAttributeKinds[] = {
    {KQelUserProperty::eBool, MFnNumericData::kBoolean, false, false},
    {KQelUserProperty::eReal, MFnNumericData::kDouble, false, true},
    {KQelUserProperty::eColor, MFnNumericData::kInvalid, true, false},
    {KQelUserProperty::eInteger, MFnNumericData::kInt, false, true},
    {KQelUserProperty::eVector, MFnNumericData::k3Double, false, false},
};
const AttributeKind kOtherKind = {KQelUserProperty::eUnidentified, MFnNumericData::kDouble, false, false};

const AttributeKind& KindOf(KQelUserProperty::EUserPropertyType pType)
{
    for (const AttributeKind& kind : kAttributeKinds)
        if (kind.mType == pType)
            return kind;
    return kOtherKind;
}

// The label, with the clash count after it from the first clash on, every
// blank made '_'.
KString AttributeName(const KString& pLabel, int pClash)
{
    KString name(pLabel);
    if (pClash > 0)
        name += pClash;
    char* text = name.GetBuffer();
    for (int i = 0, n = name.GetLen(); i < n; ++i)
        if (text[i] == ' ')
            text[i] = '_';
    return name;
}

}  // namespace

void QelVeskImport::AddUserProperties(MFnTransform& pTransform, QelVeskNode* pNode)
{
    if (!pNode || !pNode->GetNodeAttribute())
        return;
    for (int i = 0, n = pNode->GetPropertyCount(); i < n; ++i) {
        KQelUserProperty* property = pNode->GetProperty(i);
        if (property && property->GetFlag(KQelUserProperty::eUserProperty))
            AddUserProperty(property, pTransform, pNode);
    }
}

void QelVeskImport::AddUserProperty(KQelUserProperty* pProperty, MFnTransform& pTransform, QelVeskNode* pNode)
{
    if (!pProperty || !pNode)
        return;
    const AttributeKind& kind = KindOf(pProperty->GetPropertyType());
    const KString label = pProperty->GetLabel(true);
    const auto giveUp = [&](const char* pWhy) {
        KString line("User property ");
        line += label;
        line += " of ";
        line += ShortName(*pNode);
        line += pWhy;
        Log(line.Buffer());
    };
    for (int clash = 0; clash <= kLastClash; ++clash) {
        const KString name = AttributeName(label, clash);
        const MString hostName(name.Buffer());
        MStatus status;
        MFnNumericAttribute attribute;
        const MObject made = kind.mColor ? attribute.createColor(hostName, hostName, &status)
                                         : attribute.create(hostName, hostName, kind.mNumericType, 0.0, &status);
        if (!status) {
            giveUp(": the host cannot make an attribute of that name.");
            return;
        }
        attribute.setHidden(false);
        attribute.setKeyable(true);
        attribute.setInternal(true);
        if (kind.mSoftLimits) {
            const double minimum = pProperty->GetMinLimit();
            const double maximum = pProperty->GetMaxLimit();
            if (minimum > -std::numeric_limits<double>::infinity())
                attribute.setSoftMin(minimum);
            if (maximum < std::numeric_limits<double>::infinity())
                attribute.setSoftMax(maximum);
        }
        status = pTransform.addAttribute(made, MFnDependencyNode::kLocalDynamicAttr);
        if (status) {
            pNode->mUserPropertyNames.Add(label.Buffer(), reinterpret_cast<kReference>(new KString(name)));
            return;
        }
        MGlobal::deleteNode(made);
        // Only a name taken on the transform is worth another name.
        if (status.statusCode() != MStatus::kInvalidParameter) {
            giveUp(": the host refused its attribute.");
            return;
        }
    }
}

namespace {

// The curve of a property (or of one of its components) in the take's
// curve tree; null when the node or its curve is missing.
KFCurve* CurveBelow(KFCurveNode* pCurves, const char* pName)
{
    KFCurveNode* node = pCurves ? pCurves->FindRecursive(pName) : nullptr;
    return node ? node->FCurveGet() : nullptr;
}

// A curve gives a value once it has keys or a default other than 0.
bool CarriesValue(KFCurve& pCurve)
{
    return pCurve.KeyGetCount() > 0 || !(pCurve.GetValue() == 0.0f);
}

// A scalar property's default value (a Bool's as 1 or 0).
double DefaultOf(const KQelUserProperty& pProperty)
{
    bool flag = false;
    int integer = 0;
    double real = 0.0;
    switch (pProperty.GetPropertyType()) {
    case KQelUserProperty::eBool:
        pProperty.GetDefaultValue(flag);
        return flag ? 1.0 : 0.0;
    case KQelUserProperty::eInteger:
        pProperty.GetDefaultValue(integer);
        return integer;
    default:
        pProperty.GetDefaultValue(real);
        return real;
    }
}

// A scalar property's static value written as the attribute's numeric
// type allows; other types get nothing.
void WriteScalar(MPlug& pPlug, KQelUserProperty::EUserPropertyType pType, MFnNumericData::Type pUnit,
                 double pValue)
{
    switch (pType) {
    case KQelUserProperty::eBool:
        if (pUnit == MFnNumericData::kBoolean)
            pPlug.setValue(pValue > 0.0);
        break;
    case KQelUserProperty::eReal:
        if (pUnit == MFnNumericData::kDouble)
            pPlug.setValue(pValue);
        else
            pPlug.setValue(detail::SaturateToFloat(pValue));
        break;
    case KQelUserProperty::eInteger: {
        const int value = QelSaturate<int>(pValue);
        if (pUnit == MFnNumericData::kInt || pUnit == MFnNumericData::kShort)
            pPlug.setValue(value);
        else if (pUnit == MFnNumericData::kByte || pUnit == MFnNumericData::kChar)
            pPlug.setValue(static_cast<char>(static_cast<unsigned char>(static_cast<unsigned int>(value) & 0xFFu)));
        break;
    }
    default:
        break;
    }
}

}  // namespace

MStatus QelVeskImport::ImportUserProperties(QelVeskNode& pNode)
{
    if (!pNode.GetNodeAttribute() || !pNode.GetDagPath())
        return MStatus::kFailure;
    MStatus status;
    MFnTransform transform(*pNode.GetDagPath(), &status);
    const MObject transformObject = pNode.GetDagPath()->transform(&status);
    if (!status)
        return status;
    const bool mayAdd = QelVeskUserParams::Instance()->GetImportType() != QelVeskUserParams::eExclusiveMerge;
    for (int i = 0, n = pNode.GetPropertyCount(); i < n; ++i) {
        KQelUserProperty* property = pNode.GetProperty(i);
        if (!property || !property->GetFlag(KQelUserProperty::eUserProperty))
            continue;
        const KString label = property->GetLabel(true);
        const KString* name = reinterpret_cast<const KString*>(pNode.mUserPropertyNames.Get(label.Buffer()));
        if (!name && mayAdd) {
            AddUserProperty(property, transform, &pNode);
            name = reinterpret_cast<const KString*>(pNode.mUserPropertyNames.Get(label.Buffer()));
        }
        if (!name)
            continue;
        const MObject attribute = transform.attribute(MString(name->Buffer()), &status);
        KQelTakeNode* take = pNode.GetCurrentTakeNode();
        KFCurveNode* curves = take ? take->GetKFCurveNode() : nullptr;
        if (!status || !curves)
            continue;
        MPlug plug(transformObject, attribute);
        const MFnNumericAttribute numeric(attribute);
        const MFnNumericData::Type unit = numeric.unitType();
        const KString propertyName = property->GetName();
        const KQelUserProperty::EUserPropertyType type = property->GetPropertyType();
        switch (type) {
        case KQelUserProperty::eBool:
        case KQelUserProperty::eReal:
        case KQelUserProperty::eInteger: {
            KFCurve* curve = CurveBelow(curves, propertyName.Buffer());
            if (!curve)
                break;
            SetVeskCurve(transform, name->Buffer(), *curve, MFnAnimCurve::kAnimCurveTU, 1.0, 1.0, &status);
            WriteScalar(plug, type, unit, CarriesValue(*curve) ? curve->GetValue() : DefaultOf(*property));
            break;
        }
        case KQelUserProperty::eColor:
        case KQelUserProperty::eVector: {
            static const char* const kComponents[3] = {"X", "Y", "Z"};
            double values[3] = {0.0, 0.0, 0.0};
            bool carries = false;
            KFCurveNode* members = curves->FindRecursive(propertyName.Buffer());
            for (unsigned int k = 0; members && k < 3; ++k) {
                KFCurve* curve = CurveBelow(members, kComponents[k]);
                if (!curve)
                    continue;
                const MString component = plug.child(k).partialName();
                SetVeskCurve(transform, component.asChar(), *curve, MFnAnimCurve::kAnimCurveTU, 1.0, 1.0, &status);
                values[k] = curve->GetValue();
                carries = carries || CarriesValue(*curve);
            }
            if (!carries)
                property->GetDefaultValue(values[0], values[1], values[2]);
            for (unsigned int k = 0; k < 3; ++k) {
                MPlug child = plug.child(k);
                if (unit == MFnNumericData::k3Double)
                    child.setValue(values[k]);
                else
                    child.setValue(detail::SaturateToFloat(values[k]));
            }
            break;
        }
        default:
            break;
        }
    }
    return status;
}
