// User properties of a node as dynamic attributes of its host transform.
#include <limits>

#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnTransform.h>
#include <vesk/MGlobal.h>

#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
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
