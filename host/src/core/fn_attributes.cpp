// The attribute function sets.
#include <algorithm>

#include <vesk/MFnAttribute.h>
#include <vesk/MFnCompoundAttribute.h>
#include <vesk/MFnEnumAttribute.h>
#include <vesk/MFnMatrixAttribute.h>
#include <vesk/MFnMessageAttribute.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnTypedAttribute.h>
#include <vesk/MFnUnitAttribute.h>

#include "core/object_access.h"
#include "store/numeric.h"

using vesk::Attribute;
using vesk::AttrForm;
using vesk::ObjectAccess;
using vesk::Ref;
using vesk::report;

namespace {

Attribute* attr(const MObject& o)
{
    return ObjectAccess::attribute(o);
}

// Attributes of node kinds are shared by every node: they never change.
Attribute* editable(const MObject& o)
{
    Attribute* a = attr(o);
    return a && a->owner() != Attribute::kStatic ? a : nullptr;
}

bool legalName(const MString& name)
{
    if (name.length() == 0)
        return false;
    for (const char* p = name.asChar(); *p; ++p) {
        const char c = *p;
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    }
    return true;
}

// Long and short names, a short name defaulting to the long one.
bool names(const MString& longName, const MString& shortName, std::string& l, std::string& s)
{
    if (!legalName(longName) || (shortName.length() && !legalName(shortName)))
        return false;
    l = longName.asChar();
    s = shortName.length() ? shortName.asChar() : l;
    return true;
}

MObject made(MFnBase& set, const Ref<Attribute>& a, MStatus* status)
{
    if (!a) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    const MObject o = ObjectAccess::fromRef(a.get());
    set.setObject(o);
    report(status, MStatus::kSuccess);
    return o;
}

MStatus setFlag(const MObject& o, bool Attribute::*flag, bool on)
{
    Attribute* a = editable(o);
    if (!a)
        return MStatus::kInvalidParameter;
    a->*flag = on;
    return MStatus::kSuccess;
}

bool getFlag(const MObject& o, bool Attribute::*flag, MStatus* status)
{
    Attribute* a = attr(o);
    report(status, a ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return a && a->*flag;
}

// A limit of the bound attribute: its has-flag and value.
MStatus setLimit(const MObject& o, bool Attribute::*has, double Attribute::*value, double v)
{
    Attribute* a = editable(o);
    if (!a)
        return MStatus::kInvalidParameter;
    a->*has = true;
    a->*value = v;
    return MStatus::kSuccess;
}

MStatus getLimit(const MObject& o, bool Attribute::*has, double Attribute::*value, double& out)
{
    Attribute* a = attr(o);
    if (!a || !(a->*has))
        return MStatus::kFailure;
    out = a->*value;
    return MStatus::kSuccess;
}

// Defaults of a leaf number, or of the children of a compound.
MStatus setDefaults(const MObject& o, const double* values, size_t count)
{
    Attribute* a = editable(o);
    if (!a)
        return MStatus::kInvalidParameter;
    if (count == 1 && a->isNumericLeaf()) {
        a->defaultValue = vesk::storedNumber(a, values[0], false);
        return MStatus::kSuccess;
    }
    if (a->children().size() != count)
        return MStatus::kInvalidParameter;
    for (size_t i = 0; i < count; ++i)
        a->children()[i]->defaultValue = vesk::storedNumber(a->children()[i], values[i], false);
    return MStatus::kSuccess;
}

MStatus getDefaults(const MObject& o, double* values, size_t count)
{
    Attribute* a = attr(o);
    if (!a)
        return MStatus::kInvalidParameter;
    if (count == 1 && a->isNumericLeaf()) {
        values[0] = a->defaultValue;
        return MStatus::kSuccess;
    }
    if (a->children().size() != count)
        return MStatus::kInvalidParameter;
    for (size_t i = 0; i < count; ++i)
        values[i] = a->children()[i]->defaultValue;
    return MStatus::kSuccess;
}

} // namespace

// ---- MFnAttribute -----------------------------------------------------------------

MFnAttribute::MFnAttribute(const MObject& attribute, MStatus* status)
{
    report(status, setObject(attribute));
}

MFn::Type MFnAttribute::type() const
{
    return MFn::kAttribute;
}

bool MFnAttribute::accepts(const MObject& object) const
{
    return attr(object) != nullptr;
}

MString MFnAttribute::name(MStatus* status) const
{
    Attribute* a = attr(mObject);
    report(status, a ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return a ? MString(a->longName().c_str()) : MString();
}

MString MFnAttribute::shortName(MStatus* status) const
{
    Attribute* a = attr(mObject);
    report(status, a ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return a ? MString(a->shortName().c_str()) : MString();
}

MObject MFnAttribute::parent(MStatus* status) const
{
    Attribute* a = attr(mObject);
    report(status, a ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return a && a->parent() ? ObjectAccess::fromRef(a->parent()) : MObject();
}

bool MFnAttribute::isReadable(MStatus* s) const { return getFlag(mObject, &Attribute::readable, s); }
bool MFnAttribute::isWritable(MStatus* s) const { return getFlag(mObject, &Attribute::writable, s); }
bool MFnAttribute::isConnectable(MStatus* s) const { return getFlag(mObject, &Attribute::connectable, s); }
bool MFnAttribute::isStorable(MStatus* s) const { return getFlag(mObject, &Attribute::storable, s); }
bool MFnAttribute::isHidden(MStatus* s) const { return getFlag(mObject, &Attribute::hidden, s); }
bool MFnAttribute::isKeyable(MStatus* s) const { return getFlag(mObject, &Attribute::keyable, s); }
bool MFnAttribute::isArray(MStatus* s) const { return getFlag(mObject, &Attribute::array, s); }
bool MFnAttribute::isUsedAsColor(MStatus* s) const { return getFlag(mObject, &Attribute::usedAsColor, s); }
bool MFnAttribute::isInternal(MStatus* s) const { return getFlag(mObject, &Attribute::internal, s); }

MStatus MFnAttribute::setReadable(bool on) { return setFlag(mObject, &Attribute::readable, on); }
MStatus MFnAttribute::setWritable(bool on) { return setFlag(mObject, &Attribute::writable, on); }
MStatus MFnAttribute::setConnectable(bool on) { return setFlag(mObject, &Attribute::connectable, on); }
MStatus MFnAttribute::setStorable(bool on) { return setFlag(mObject, &Attribute::storable, on); }
MStatus MFnAttribute::setHidden(bool on) { return setFlag(mObject, &Attribute::hidden, on); }
MStatus MFnAttribute::setKeyable(bool on) { return setFlag(mObject, &Attribute::keyable, on); }
MStatus MFnAttribute::setUsedAsColor(bool on) { return setFlag(mObject, &Attribute::usedAsColor, on); }
MStatus MFnAttribute::setInternal(bool on) { return setFlag(mObject, &Attribute::internal, on); }

MStatus MFnAttribute::setArray(bool on)
{
    Attribute* a = editable(mObject);
    // The array levels of a tree are fixed once a node holds it.
    if (!a || a->owner() != Attribute::kFree)
        return MStatus::kInvalidParameter;
    if (on && !a->array && a->levelCount() + 1 > vesk::kMaxLevels)
        return MStatus::kInvalidParameter;
    a->array = on;
    return MStatus::kSuccess;
}

// ---- MFnNumericAttribute ------------------------------------------------------------

MFnNumericAttribute::MFnNumericAttribute(const MObject& attribute, MStatus* status)
{
    report(status, setObject(attribute));
}

MFn::Type MFnNumericAttribute::type() const
{
    return MFn::kNumericAttribute;
}

bool MFnNumericAttribute::accepts(const MObject& object) const
{
    Attribute* a = attr(object);
    return a && (a->form() == AttrForm::kNumeric || a->form() == AttrForm::kNumericCompound);
}

MObject MFnNumericAttribute::create(const MString& longName, const MString& shortName, MFnNumericData::Type unitType,
                                    double defaultValue, MStatus* status)
{
    std::string l, s;
    Ref<Attribute> a;
    if (names(longName, shortName, l, s) && unitType != MFnNumericData::kAddr)
        a = vesk::makeNumericAttribute(l, s, unitType, defaultValue);
    if (a && a->isLeaf())
        a->defaultValue = vesk::storedNumber(a.get(), defaultValue, false);
    return made(*this, a, status);
}

MObject MFnNumericAttribute::createColor(const MString& longName, const MString& shortName, MStatus* status)
{
    std::string l, s;
    Ref<Attribute> a;
    if (names(longName, shortName, l, s))
        a = vesk::makeNumericAttribute(l, s, MFnNumericData::k3Float, 0.0, true);
    return made(*this, a, status);
}

MObject MFnNumericAttribute::createPoint(const MString& longName, const MString& shortName, MStatus* status)
{
    std::string l, s;
    Ref<Attribute> a;
    if (names(longName, shortName, l, s))
        a = vesk::makeNumericAttribute(l, s, MFnNumericData::k3Double, 0.0);
    return made(*this, a, status);
}

MFnNumericData::Type MFnNumericAttribute::unitType(MStatus* status) const
{
    Attribute* a = attr(mObject);
    report(status, a ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return a ? static_cast<MFnNumericData::Type>(a->numericType) : MFnNumericData::kInvalid;
}

MStatus MFnNumericAttribute::getDefault(bool& value) const
{
    double v = 0.0;
    const MStatus s = getDefaults(mObject, &v, 1);
    if (s)
        value = vesk::readBool(v);
    return s;
}

MStatus MFnNumericAttribute::getDefault(int& value) const
{
    double v = 0.0;
    const MStatus s = getDefaults(mObject, &v, 1);
    if (s)
        value = static_cast<int>(vesk::readInteger(attr(mObject), v, 32));
    return s;
}

MStatus MFnNumericAttribute::getDefault(float& value) const
{
    double v = 0.0;
    const MStatus s = getDefaults(mObject, &v, 1);
    if (s)
        value = vesk::readFloat(v);
    return s;
}

MStatus MFnNumericAttribute::getDefault(double& value) const
{
    return getDefaults(mObject, &value, 1);
}

MStatus MFnNumericAttribute::getDefault(double& a, double& b) const
{
    double v[2];
    const MStatus s = getDefaults(mObject, v, 2);
    if (s) {
        a = v[0];
        b = v[1];
    }
    return s;
}

MStatus MFnNumericAttribute::getDefault(double& a, double& b, double& c) const
{
    double v[3];
    const MStatus s = getDefaults(mObject, v, 3);
    if (s) {
        a = v[0];
        b = v[1];
        c = v[2];
    }
    return s;
}

MStatus MFnNumericAttribute::setDefault(bool value)
{
    const double v = value ? 1.0 : 0.0;
    return setDefaults(mObject, &v, 1);
}

MStatus MFnNumericAttribute::setDefault(int value)
{
    const double v = value;
    return setDefaults(mObject, &v, 1);
}

MStatus MFnNumericAttribute::setDefault(float value)
{
    const double v = value;
    return setDefaults(mObject, &v, 1);
}

MStatus MFnNumericAttribute::setDefault(double value)
{
    return setDefaults(mObject, &value, 1);
}

MStatus MFnNumericAttribute::setDefault(double a, double b)
{
    const double v[] = {a, b};
    return setDefaults(mObject, v, 2);
}

MStatus MFnNumericAttribute::setDefault(double a, double b, double c)
{
    const double v[] = {a, b, c};
    return setDefaults(mObject, v, 3);
}

MStatus MFnNumericAttribute::setMin(double v) { return setLimit(mObject, &Attribute::hasMin, &Attribute::minValue, v); }
MStatus MFnNumericAttribute::setMax(double v) { return setLimit(mObject, &Attribute::hasMax, &Attribute::maxValue, v); }
MStatus MFnNumericAttribute::setSoftMin(double v)
{
    return setLimit(mObject, &Attribute::hasSoftMin, &Attribute::softMinValue, v);
}
MStatus MFnNumericAttribute::setSoftMax(double v)
{
    return setLimit(mObject, &Attribute::hasSoftMax, &Attribute::softMaxValue, v);
}
bool MFnNumericAttribute::hasMin(MStatus* s) const { return getFlag(mObject, &Attribute::hasMin, s); }
bool MFnNumericAttribute::hasMax(MStatus* s) const { return getFlag(mObject, &Attribute::hasMax, s); }
bool MFnNumericAttribute::hasSoftMin(MStatus* s) const { return getFlag(mObject, &Attribute::hasSoftMin, s); }
bool MFnNumericAttribute::hasSoftMax(MStatus* s) const { return getFlag(mObject, &Attribute::hasSoftMax, s); }
MStatus MFnNumericAttribute::getMin(double& v) const
{
    return getLimit(mObject, &Attribute::hasMin, &Attribute::minValue, v);
}
MStatus MFnNumericAttribute::getMax(double& v) const
{
    return getLimit(mObject, &Attribute::hasMax, &Attribute::maxValue, v);
}
MStatus MFnNumericAttribute::getSoftMin(double& v) const
{
    return getLimit(mObject, &Attribute::hasSoftMin, &Attribute::softMinValue, v);
}
MStatus MFnNumericAttribute::getSoftMax(double& v) const
{
    return getLimit(mObject, &Attribute::hasSoftMax, &Attribute::softMaxValue, v);
}

// ---- MFnUnitAttribute -----------------------------------------------------------------

namespace {

double internal(const MAngle& a)
{
    return a.as(MAngle::internalUnit());
}

double internal(const MDistance& d)
{
    return d.as(MDistance::kCentimeters);
}

} // namespace

MFnUnitAttribute::MFnUnitAttribute(const MObject& attribute, MStatus* status)
{
    report(status, setObject(attribute));
}

MFn::Type MFnUnitAttribute::type() const
{
    return MFn::kUnitAttribute;
}

bool MFnUnitAttribute::accepts(const MObject& object) const
{
    Attribute* a = attr(object);
    return a && a->form() == AttrForm::kUnit;
}

MObject MFnUnitAttribute::create(const MString& longName, const MString& shortName, Type unitType,
                                 double defaultValue, MStatus* status)
{
    std::string l, s;
    Ref<Attribute> a;
    if (names(longName, shortName, l, s) && unitType >= kAngle && unitType <= kTime) {
        a = Ref<Attribute>(new Attribute(AttrForm::kUnit, l, s));
        a->unitType = unitType;
        a->defaultValue = defaultValue;
    }
    return made(*this, a, status);
}

MFnUnitAttribute::Type MFnUnitAttribute::unitType(MStatus* status) const
{
    Attribute* a = attr(mObject);
    report(status, a ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return a ? static_cast<Type>(a->unitType) : kInvalid;
}

MStatus MFnUnitAttribute::getDefault(double& value) const
{
    return getDefaults(mObject, &value, 1);
}

MStatus MFnUnitAttribute::setDefault(double value)
{
    return setDefaults(mObject, &value, 1);
}

MStatus MFnUnitAttribute::setDefault(const MAngle& value)
{
    return setDefault(internal(value));
}

MStatus MFnUnitAttribute::setDefault(const MDistance& value)
{
    return setDefault(internal(value));
}

MStatus MFnUnitAttribute::setMin(double v) { return setLimit(mObject, &Attribute::hasMin, &Attribute::minValue, v); }
MStatus MFnUnitAttribute::setMin(const MAngle& v) { return setMin(internal(v)); }
MStatus MFnUnitAttribute::setMin(const MDistance& v) { return setMin(internal(v)); }
MStatus MFnUnitAttribute::setMax(double v) { return setLimit(mObject, &Attribute::hasMax, &Attribute::maxValue, v); }
MStatus MFnUnitAttribute::setMax(const MAngle& v) { return setMax(internal(v)); }
MStatus MFnUnitAttribute::setMax(const MDistance& v) { return setMax(internal(v)); }
MStatus MFnUnitAttribute::setSoftMin(double v)
{
    return setLimit(mObject, &Attribute::hasSoftMin, &Attribute::softMinValue, v);
}
MStatus MFnUnitAttribute::setSoftMax(double v)
{
    return setLimit(mObject, &Attribute::hasSoftMax, &Attribute::softMaxValue, v);
}
bool MFnUnitAttribute::hasMin(MStatus* s) const { return getFlag(mObject, &Attribute::hasMin, s); }
bool MFnUnitAttribute::hasMax(MStatus* s) const { return getFlag(mObject, &Attribute::hasMax, s); }
MStatus MFnUnitAttribute::getMin(double& v) const
{
    return getLimit(mObject, &Attribute::hasMin, &Attribute::minValue, v);
}
MStatus MFnUnitAttribute::getMax(double& v) const
{
    return getLimit(mObject, &Attribute::hasMax, &Attribute::maxValue, v);
}

// ---- MFnEnumAttribute -----------------------------------------------------------------

MFnEnumAttribute::MFnEnumAttribute(const MObject& attribute, MStatus* status)
{
    report(status, setObject(attribute));
}

MFn::Type MFnEnumAttribute::type() const
{
    return MFn::kEnumAttribute;
}

bool MFnEnumAttribute::accepts(const MObject& object) const
{
    Attribute* a = attr(object);
    return a && a->form() == AttrForm::kEnum;
}

MObject MFnEnumAttribute::create(const MString& longName, const MString& shortName, short defaultValue,
                                 MStatus* status)
{
    std::string l, s;
    Ref<Attribute> a;
    if (names(longName, shortName, l, s)) {
        a = Ref<Attribute>(new Attribute(AttrForm::kEnum, l, s));
        a->defaultValue = defaultValue;
    }
    return made(*this, a, status);
}

MStatus MFnEnumAttribute::addField(const MString& name, short value)
{
    Attribute* a = editable(mObject);
    if (!a || name.length() == 0)
        return MStatus::kInvalidParameter;
    for (const auto& f : a->fields)
        if (f.first == name.asChar() || f.second == value)
            return MStatus::kInvalidParameter;
    a->fields.emplace_back(name.asChar(), value);
    return MStatus::kSuccess;
}

MString MFnEnumAttribute::fieldName(short value, MStatus* status) const
{
    Attribute* a = attr(mObject);
    if (a)
        for (const auto& f : a->fields)
            if (f.second == value) {
                report(status, MStatus::kSuccess);
                return MString(f.first.c_str());
            }
    report(status, MStatus::kInvalidParameter);
    return MString();
}

short MFnEnumAttribute::fieldIndex(const MString& name, MStatus* status) const
{
    Attribute* a = attr(mObject);
    if (a)
        for (const auto& f : a->fields)
            if (f.first == name.asChar()) {
                report(status, MStatus::kSuccess);
                return f.second;
            }
    report(status, MStatus::kInvalidParameter);
    return 0;
}

MStatus MFnEnumAttribute::getDefault(short& value) const
{
    double v = 0.0;
    const MStatus s = getDefaults(mObject, &v, 1);
    if (s)
        value = static_cast<short>(v);
    return s;
}

MStatus MFnEnumAttribute::setDefault(short value)
{
    const double v = value;
    return setDefaults(mObject, &v, 1);
}

MStatus MFnEnumAttribute::getMin(short& value) const
{
    Attribute* a = attr(mObject);
    if (!a || a->fields.empty())
        return MStatus::kFailure;
    value = a->fields[0].second;
    for (const auto& f : a->fields)
        value = std::min(value, f.second);
    return MStatus::kSuccess;
}

MStatus MFnEnumAttribute::getMax(short& value) const
{
    Attribute* a = attr(mObject);
    if (!a || a->fields.empty())
        return MStatus::kFailure;
    value = a->fields[0].second;
    for (const auto& f : a->fields)
        value = std::max(value, f.second);
    return MStatus::kSuccess;
}

// ---- MFnTypedAttribute, MFnCompoundAttribute, MFnMessageAttribute, MFnMatrixAttribute --

MFnTypedAttribute::MFnTypedAttribute(const MObject& attribute, MStatus* status)
{
    report(status, setObject(attribute));
}

MFn::Type MFnTypedAttribute::type() const
{
    return MFn::kTypedAttribute;
}

bool MFnTypedAttribute::accepts(const MObject& object) const
{
    Attribute* a = attr(object);
    return a && a->form() == AttrForm::kTyped;
}

MObject MFnTypedAttribute::create(const MString& longName, const MString& shortName, MFnData::Type dataType,
                                  const MObject&, MStatus* status)
{
    std::string l, s;
    Ref<Attribute> a;
    if (names(longName, shortName, l, s) && dataType >= MFnData::kString && dataType < MFnData::kLast) {
        a = Ref<Attribute>(new Attribute(AttrForm::kTyped, l, s));
        a->dataType = dataType;
    }
    return made(*this, a, status);
}

MFnData::Type MFnTypedAttribute::attrType(MStatus* status) const
{
    Attribute* a = attr(mObject);
    report(status, a ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return a ? static_cast<MFnData::Type>(a->dataType) : MFnData::kInvalid;
}

MFnCompoundAttribute::MFnCompoundAttribute(const MObject& attribute, MStatus* status)
{
    report(status, setObject(attribute));
}

MFn::Type MFnCompoundAttribute::type() const
{
    return MFn::kCompoundAttribute;
}

bool MFnCompoundAttribute::accepts(const MObject& object) const
{
    Attribute* a = attr(object);
    return a && (a->form() == AttrForm::kCompound || a->form() == AttrForm::kNumericCompound);
}

MObject MFnCompoundAttribute::create(const MString& longName, const MString& shortName, MStatus* status)
{
    std::string l, s;
    Ref<Attribute> a;
    if (names(longName, shortName, l, s))
        a = Ref<Attribute>(new Attribute(AttrForm::kCompound, l, s));
    return made(*this, a, status);
}

MStatus MFnCompoundAttribute::addChild(const MObject& child)
{
    Attribute* a = editable(mObject);
    Attribute* c = attr(child);
    if (!a || !c || a->form() != AttrForm::kCompound || a->owner() != Attribute::kFree)
        return MStatus::kInvalidParameter;
    // Names stay unique within the tree.
    std::vector<std::string> taken;
    std::function<void(const Attribute*)> collect = [&](const Attribute* x) {
        taken.push_back(x->longName());
        taken.push_back(x->shortName());
        for (const Attribute* k : x->children())
            collect(k);
    };
    collect(a->root());
    std::vector<std::string> added;
    std::swap(taken, added);
    collect(c);
    std::swap(taken, added);
    for (const std::string& n : added)
        if (std::find(taken.begin(), taken.end(), n) != taken.end())
            return MStatus::kInvalidParameter;
    return a->addChild(Ref<Attribute>(c)) ? MStatus::kSuccess : MStatus::kInvalidParameter;
}

unsigned int MFnCompoundAttribute::numChildren(MStatus* status) const
{
    Attribute* a = attr(mObject);
    report(status, a ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return a ? static_cast<unsigned int>(a->children().size()) : 0;
}

MObject MFnCompoundAttribute::child(unsigned int index, MStatus* status) const
{
    Attribute* a = attr(mObject);
    if (!a || index >= a->children().size()) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    report(status, MStatus::kSuccess);
    return ObjectAccess::fromRef(a->children()[index]);
}

MFnMessageAttribute::MFnMessageAttribute(const MObject& attribute, MStatus* status)
{
    report(status, setObject(attribute));
}

MFn::Type MFnMessageAttribute::type() const
{
    return MFn::kMessageAttribute;
}

bool MFnMessageAttribute::accepts(const MObject& object) const
{
    Attribute* a = attr(object);
    return a && a->form() == AttrForm::kMessage;
}

MObject MFnMessageAttribute::create(const MString& longName, const MString& shortName, MStatus* status)
{
    std::string l, s;
    Ref<Attribute> a;
    if (names(longName, shortName, l, s))
        a = Ref<Attribute>(new Attribute(AttrForm::kMessage, l, s));
    return made(*this, a, status);
}

MFnMatrixAttribute::MFnMatrixAttribute(const MObject& attribute, MStatus* status)
{
    report(status, setObject(attribute));
}

MFn::Type MFnMatrixAttribute::type() const
{
    return MFn::kMatrixAttribute;
}

bool MFnMatrixAttribute::accepts(const MObject& object) const
{
    Attribute* a = attr(object);
    return a && a->form() == AttrForm::kMatrix;
}

MObject MFnMatrixAttribute::create(const MString& longName, const MString& shortName, Type type, MStatus* status)
{
    std::string l, s;
    Ref<Attribute> a;
    if (names(longName, shortName, l, s) && (type == kFloat || type == kDouble))
        a = Ref<Attribute>(new Attribute(AttrForm::kMatrix, l, s));
    return made(*this, a, status);
}
