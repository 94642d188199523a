// MPlug: value reads and writes, with the conversions of store/numeric.h.
#include <vesk/MFnNumericData.h>
#include <vesk/MPlug.h>

#include "core/object_access.h"
#include "store/numeric.h"

using vesk::Attribute;
using vesk::AttrForm;
using vesk::ObjectAccess;
using vesk::PlugKey;
using vesk::PlugRef;
using vesk::store;
using vesk::Value;

namespace {

// Reads the number of a numeric leaf plug.
MStatus readNumber(const MPlug& p, double& stored, const Attribute*& attr)
{
    PlugRef r;
    if (!ObjectAccess::plugRef(p, r) || !r.key.attr->isNumericLeaf())
        return MStatus::kInvalidParameter;
    Value v;
    const MStatus s = store().readValue(r.node, r.key, v);
    if (!s)
        return s;
    if (v.kind != Value::kNumber)
        return MStatus::kInvalidParameter;
    stored = v.number;
    attr = r.key.attr;
    return MStatus::kSuccess;
}

MStatus writeNumber(const MPlug& p, double value, bool fromInteger)
{
    PlugRef r;
    if (!ObjectAccess::plugRef(p, r) || !r.key.attr->isNumericLeaf())
        return MStatus::kInvalidParameter;
    return store().writeValue(r.node, r.key, Value::ofNumber(vesk::storedNumber(r.key.attr, value, fromInteger)));
}

template <class T>
MStatus readInteger(const MPlug& p, T& out, int bits)
{
    double stored = 0.0;
    const Attribute* a = nullptr;
    const MStatus s = readNumber(p, stored, a);
    if (s)
        out = static_cast<T>(vesk::readInteger(a, stored, bits));
    return s;
}

bool isMatrix(const Attribute* a)
{
    return a->form() == AttrForm::kMatrix || (a->form() == AttrForm::kTyped && a->dataType == MFnData::kMatrix);
}

bool isText(const Attribute* a)
{
    return a->form() == AttrForm::kTyped && a->dataType == MFnData::kString;
}

// The numeric compound of a plug, with each child a numeric leaf.
bool numericCompound(const Attribute* a)
{
    if (a->isLeaf() || a->children().size() < 2 || a->children().size() > 4)
        return false;
    for (const Attribute* c : a->children())
        if (!c->isNumericLeaf())
            return false;
    return true;
}

// The data type a data object fits.
int dataTypeOf(const vesk::RefObject* r)
{
    switch (r->apiType()) {
    case MFn::kMatrixData:
        return MFnData::kMatrix;
    case MFn::kMeshData:
        return MFnData::kMesh;
    case MFn::kNurbsSurfaceData:
        return MFnData::kNurbsSurface;
    case MFn::kNumericData:
        return MFnData::kNumeric;
    default:
        return MFnData::kInvalid;
    }
}

} // namespace

MStatus MPlug::getValue(bool& value, const MDGContext&) const
{
    double stored = 0.0;
    const Attribute* a = nullptr;
    const MStatus s = readNumber(*this, stored, a);
    if (s)
        value = vesk::readBool(stored);
    return s;
}

MStatus MPlug::getValue(char& value, const MDGContext&) const
{
    return readInteger(*this, value, 8);
}

MStatus MPlug::getValue(short& value, const MDGContext&) const
{
    return readInteger(*this, value, 16);
}

MStatus MPlug::getValue(int& value, const MDGContext&) const
{
    return readInteger(*this, value, 32);
}

MStatus MPlug::getValue(float& value, const MDGContext&) const
{
    double stored = 0.0;
    const Attribute* a = nullptr;
    const MStatus s = readNumber(*this, stored, a);
    if (s)
        value = vesk::readFloat(stored);
    return s;
}

MStatus MPlug::getValue(double& value, const MDGContext&) const
{
    double stored = 0.0;
    const Attribute* a = nullptr;
    const MStatus s = readNumber(*this, stored, a);
    if (s)
        value = stored;
    return s;
}

MStatus MPlug::getValue(MString& value, const MDGContext&) const
{
    PlugRef r;
    if (!ObjectAccess::plugRef(*this, r) || !isText(r.key.attr))
        return MStatus::kInvalidParameter;
    Value v;
    const MStatus s = store().readValue(r.node, r.key, v);
    if (s)
        value = MString(v.text.c_str(), static_cast<int>(v.text.size()));
    return s;
}

MStatus MPlug::getValue(MObject& value, const MDGContext&) const
{
    PlugRef r;
    if (!ObjectAccess::plugRef(*this, r))
        return MStatus::kInvalidParameter;
    const Attribute* a = r.key.attr;
    if (numericCompound(a)) {
        if (!store().levelsSet(r.key) || (a->ownLevel() >= 0 && r.key.idx[a->ownLevel()] == vesk::kUnsetIndex))
            return MStatus::kInvalidParameter;
        const size_t n = a->children().size();
        static const int kTypes[5] = {0, 0, MFnNumericData::k2Double, MFnNumericData::k3Double,
                                      MFnNumericData::k4Double};
        vesk::Ref<vesk::NumericData> data(new vesk::NumericData(kTypes[n]));
        for (size_t i = 0; i < n; ++i) {
            PlugKey k = r.key;
            k.attr = a->children()[i];
            Value v;
            const MStatus s = store().readValue(r.node, k, v);
            if (!s)
                return s;
            data->values[i] = v.number;
        }
        value = ObjectAccess::fromRef(data.get());
        return MStatus::kSuccess;
    }
    if (a->form() != AttrForm::kMatrix && a->form() != AttrForm::kTyped)
        return MStatus::kInvalidParameter;
    if (isText(a))
        return MStatus::kInvalidParameter;
    Value v;
    const MStatus s = store().readValue(r.node, r.key, v);
    if (!s)
        return s;
    if (isMatrix(a)) {
        // A copy: editing the data must not change the plug.
        const auto* m = dynamic_cast<const vesk::MatrixData*>(v.data.get());
        value = ObjectAccess::fromRef(new vesk::MatrixData(m ? m->matrix : MMatrix()));
        return MStatus::kSuccess;
    }
    value = v.data ? ObjectAccess::fromRef(v.data.get()) : MObject();
    return MStatus::kSuccess;
}

MStatus MPlug::setValue(bool value)
{
    return writeNumber(*this, value ? 1.0 : 0.0, true);
}

MStatus MPlug::setValue(char value)
{
    return writeNumber(*this, static_cast<double>(value), true);
}

MStatus MPlug::setValue(short value)
{
    return writeNumber(*this, static_cast<double>(value), true);
}

MStatus MPlug::setValue(int value)
{
    return writeNumber(*this, static_cast<double>(value), true);
}

MStatus MPlug::setValue(float value)
{
    return writeNumber(*this, static_cast<double>(value), false);
}

MStatus MPlug::setValue(double value)
{
    return writeNumber(*this, value, false);
}

MStatus MPlug::setValue(const MString& value)
{
    PlugRef r;
    if (!ObjectAccess::plugRef(*this, r) || !isText(r.key.attr))
        return MStatus::kInvalidParameter;
    return store().writeValue(r.node, r.key, Value::ofText(std::string(value.asChar(), value.length())));
}

MStatus MPlug::setValue(const char* value)
{
    return setValue(MString(value));
}

MStatus MPlug::setValue(const MObject& value)
{
    PlugRef r;
    vesk::RefObject* data = ObjectAccess::ref(value);
    if (!ObjectAccess::plugRef(*this, r) || !data)
        return MStatus::kInvalidParameter;
    const Attribute* a = r.key.attr;
    if (numericCompound(a)) {
        const auto* nd = dynamic_cast<const vesk::NumericData*>(data);
        if (!nd || vesk::numericChildCount(nd->numericType) != static_cast<int>(a->children().size()))
            return MStatus::kInvalidParameter;
        if (store().isLocked(r.node, r.key))
            return MStatus::kFailure;
        for (size_t i = 0; i < a->children().size(); ++i) {
            PlugKey k = r.key;
            k.attr = a->children()[i];
            if (store().isLocked(r.node, k))
                return MStatus::kFailure;
        }
        for (size_t i = 0; i < a->children().size(); ++i) {
            PlugKey k = r.key;
            k.attr = a->children()[i];
            const MStatus s =
                store().writeValue(r.node, k, Value::ofNumber(vesk::storedNumber(k.attr, nd->values[i], false)));
            if (!s)
                return s;
        }
        return MStatus::kSuccess;
    }
    if (isMatrix(a)) {
        const auto* m = dynamic_cast<const vesk::MatrixData*>(data);
        if (!m)
            return MStatus::kInvalidParameter;
        return store().writeValue(r.node, r.key,
                                  Value::ofData(vesk::Ref<vesk::RefObject>(new vesk::MatrixData(m->matrix))));
    }
    if (a->form() != AttrForm::kTyped || isText(a))
        return MStatus::kInvalidParameter;
    const int t = dataTypeOf(data);
    const bool fits = t == a->dataType ||
                      (a->dataType == MFnData::kGeometry && (t == MFnData::kMesh || t == MFnData::kNurbsSurface));
    if (!fits)
        return MStatus::kInvalidParameter;
    return store().writeValue(r.node, r.key, Value::ofData(vesk::Ref<vesk::RefObject>(data)));
}

namespace {

// Reads the plug into a value of type T, the status reported.
template <class T>
T readAs(const MPlug& p, const MDGContext& c, MStatus* status, T value)
{
    vesk::report(status, p.getValue(value, c));
    return value;
}

} // namespace

bool MPlug::asBool(const MDGContext& c, MStatus* status) const
{
    return readAs(*this, c, status, false);
}

char MPlug::asChar(const MDGContext& c, MStatus* status) const
{
    return readAs(*this, c, status, char(0));
}

short MPlug::asShort(const MDGContext& c, MStatus* status) const
{
    return readAs(*this, c, status, short(0));
}

int MPlug::asInt(const MDGContext& c, MStatus* status) const
{
    return readAs(*this, c, status, 0);
}

float MPlug::asFloat(const MDGContext& c, MStatus* status) const
{
    return readAs(*this, c, status, 0.0f);
}

double MPlug::asDouble(const MDGContext& c, MStatus* status) const
{
    return readAs(*this, c, status, 0.0);
}

MString MPlug::asString(const MDGContext& c, MStatus* status) const
{
    return readAs(*this, c, status, MString());
}

MObject MPlug::asMObject(const MDGContext& c, MStatus* status) const
{
    return readAs(*this, c, status, MObject());
}
