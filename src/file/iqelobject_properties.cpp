// Property blocks: "Properties60" (one "Property" record per property) and
// the older "Properties" (one field per property, named after it, with user
// properties as "UserProperty" records). Layout: docs/qel-format.md, "Property blocks".
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/ktime.h"
#include "file/iqelobject.h"
#include "math/kgevector.h"
#include "math/kqelvector.h"
#include "object/kdatatype.h"
#include "object/kobject.h"
#include "object/kproperty.h"
#include "object/kpropertytemplate.h"

namespace qelsdk_600 {

namespace {

const char kBlock60[] = "Properties60";
const char kBlockOld[] = "Properties";
const char kRecord60[] = "Property";
const char kRecordUser[] = "UserProperty";

// How a property's value is stored: the kind of its values and their count.
enum class Shape { kNone, kInt, kBool, kFloat, kDouble, kTime, kText, kVector3, kColor3, kVector4 };

Shape ShapeOf(kPropertyType type)
{
    switch (type) {
    case kPropertyInt:
    case kPropertyEnum:
        return Shape::kInt;
    case kPropertyBool:
    case kPropertyAction:
        return Shape::kBool;
    case kPropertyFloat:
        return Shape::kFloat;
    case kPropertyDouble:
        return Shape::kDouble;
    case kPropertyTime:
        return Shape::kTime;
    case kPropertyCharPtr:
    case kPropertyString:
        return Shape::kText;
    case kPropertyVector3D:
        return Shape::kVector3;
    case kPropertyColorRGB:
        return Shape::kColor3;
    case kPropertyVector4D:
    case kPropertyColorRGBA:
        return Shape::kVector4;
    default:
        return Shape::kNone;
    }
}

// Stored values of two shapes are interchangeable when they have the same
// count and both are numbers or both texts.
int ShapeClass(Shape shape)
{
    switch (shape) {
    case Shape::kNone:
        return 0;
    case Shape::kText:
        return 1;
    case Shape::kVector3:
    case Shape::kColor3:
        return 3;
    case Shape::kVector4:
        return 4;
    default:
        return 2;  // one number
    }
}

int MemberCount(Shape shape)
{
    switch (ShapeClass(shape)) {
    case 3:
        return 3;
    case 4:
        return 4;
    case 0:
        return 0;
    default:
        return 1;
    }
}

bool IsNumberType(char type)
{
    return type == 'I' || type == 'L' || type == 'F' || type == 'D';
}

// The property type named by a stored type name, kPropertyUnknown when none.
kPropertyType PropertyTypeFromName(const std::string& name)
{
    for (int i = 1; i < kPropertyTypeCount; ++i)
        if (name == kPropertyTypeNames[i])
            return static_cast<kPropertyType>(i);
    return kPropertyUnknown;
}

// One stored value, read before it is given to a property so that a record
// that does not fit changes nothing.
struct Value {
    double mNumbers[4] = {0.0, 0.0, 0.0, 0.0};
    kLongLong mTicks = 0;
    std::string mText;
};

void WriteValue(KQel& file, KProperty* property, Shape shape)
{
    switch (shape) {
    case Shape::kInt: {
        int value = 0;
        property->GetData(&value);
        file.FieldWriteI(value);
        break;
    }
    case Shape::kBool: {
        bool value = false;
        property->GetData(&value);
        file.FieldWriteI(value ? 1 : 0);
        break;
    }
    case Shape::kFloat: {
        float value = 0.0f;
        property->GetData(&value);
        file.FieldWriteD(static_cast<double>(value));
        break;
    }
    case Shape::kDouble: {
        double value = 0.0;
        property->GetData(&value);
        file.FieldWriteD(value);
        break;
    }
    case Shape::kTime: {
        KTime value;
        property->GetData(&value);
        file.FieldWriteLL(value.Get());  // ticks: exact whatever the section version
        break;
    }
    case Shape::kText:
        file.FieldWriteC(property->AsString().Buffer());
        break;
    case Shape::kVector3: {
        KgeTVector value;
        property->GetData(&value);
        for (int i = 0; i < 3; ++i)
            file.FieldWriteD(value.mData[i]);
        break;
    }
    case Shape::kColor3: {
        KgeRGBVector value;
        property->GetData(&value);
        for (int i = 0; i < 3; ++i)
            file.FieldWriteD(value.mData[i]);
        break;
    }
    case Shape::kVector4: {
        KQelVector4 value;
        property->GetData(&value);
        for (int i = 0; i < 4; ++i)
            file.FieldWriteD(value[i]);
        break;
    }
    case Shape::kNone:
        break;
    }
}

// Reads the values of the current field for a property of that shape;
// false, with the values left unread, when they are missing or of the
// wrong kind.
bool ReadValue(KQel& file, Shape shape, Value& value)
{
    int count = MemberCount(shape);
    if (count == 0 || file.FieldReadGetRemain() < count)
        return false;
    if (shape == Shape::kText) {
        if (file.FieldReadGetType() != 'S')
            return false;
        value.mText = file.FieldReadC();
        return true;
    }
    if (shape == Shape::kTime) {
        char type = file.FieldReadGetType();
        if (type == 'I' || type == 'L') {
            value.mTicks = file.FieldReadLL();
        } else if (type == 'F' || type == 'D') {
            KTime time;
            time.SetSecondDouble(file.FieldReadD());
            value.mTicks = time.Get();
        } else {
            return false;
        }
        return true;
    }
    for (int i = 0; i < count; ++i) {
        if (!IsNumberType(file.FieldReadGetType()))
            return false;
        value.mNumbers[i] = file.FieldReadD();
    }
    return true;
}

void ApplyValue(KProperty* property, Shape shape, const Value& value)
{
    switch (shape) {
    case Shape::kInt: {
        int number = detail::SaturateToInt(value.mNumbers[0]);
        property->SetData(&number);
        break;
    }
    case Shape::kBool: {
        bool flag = value.mNumbers[0] != 0.0;
        property->SetData(&flag);
        break;
    }
    case Shape::kFloat: {
        float number = detail::SaturateToFloat(value.mNumbers[0]);
        property->SetData(&number);
        break;
    }
    case Shape::kDouble:
        property->SetData(&value.mNumbers[0]);
        break;
    case Shape::kTime: {
        KTime time(value.mTicks);
        property->SetData(&time);
        break;
    }
    case Shape::kText:
        if (property->GetPropertyType() == kPropertyString) {
            KString text(value.mText.c_str());
            property->SetData(&text);
        } else {
            const char* text = value.mText.c_str();
            property->SetData(&text);
        }
        break;
    case Shape::kVector3: {
        KgeTVector vector(value.mNumbers[0], value.mNumbers[1], value.mNumbers[2]);
        property->SetData(&vector);
        break;
    }
    case Shape::kColor3: {
        KgeRGBVector color(value.mNumbers[0], value.mNumbers[1], value.mNumbers[2]);
        property->SetData(&color);
        break;
    }
    case Shape::kVector4: {
        KQelVector4 vector(value.mNumbers[0], value.mNumbers[1], value.mNumbers[2],
                           value.mNumbers[3]);
        property->SetData(&vector);
        break;
    }
    case Shape::kNone:
        break;
    }
}

bool IsWritable(KProperty* property)
{
    const char* name = property ? property->GetPropertyName() : nullptr;
    return name && *name && !property->GetPropertyFlag(kPropertyFlagNotSavable) &&
           ShapeOf(property->GetPropertyType()) != Shape::kNone;
}

// A user property's label, limits and enumeration texts, which the reader
// cannot know otherwise.
bool HasExtras(KProperty* property)
{
    return *property->GetPropertyLabel() || std::isfinite(property->GetPropertyMin()) ||
           std::isfinite(property->GetPropertyMax()) || property->GetEnumCount() > 0;
}

void WriteExtras(KQel& file, KProperty* property)
{
    file.FieldWriteBlockBegin();
    if (*property->GetPropertyLabel()) {
        file.FieldWriteBegin("Label");
        file.FieldWriteC(property->GetPropertyLabel());
        file.FieldWriteEnd();
    }
    if (std::isfinite(property->GetPropertyMin())) {
        file.FieldWriteBegin("Min");
        file.FieldWriteD(property->GetPropertyMin());
        file.FieldWriteEnd();
    }
    if (std::isfinite(property->GetPropertyMax())) {
        file.FieldWriteBegin("Max");
        file.FieldWriteD(property->GetPropertyMax());
        file.FieldWriteEnd();
    }
    if (property->GetEnumCount() > 0) {
        file.FieldWriteBegin("Enum");
        for (int i = 0; i < property->GetEnumCount(); ++i)
            file.FieldWriteC(property->GetEnumValue(i));
        file.FieldWriteEnd();
    }
    file.FieldWriteBlockEnd();
}

// A full record: name, type name, data type name, flags, values, and for a
// user property a block of extras.
void WriteRecord(KQel& file, const char* fieldName, KProperty* property)
{
    Shape shape = ShapeOf(property->GetPropertyType());
    KDataType* dataType = property->GetPropertyDataType();
    char flags[3];
    int used = 0;
    if (property->IsAnimatable())
        flags[used++] = 'A';
    if (property->IsUserProperty())
        flags[used++] = 'U';
    flags[used] = '\0';

    file.FieldWriteBegin(fieldName);
    file.FieldWriteC(property->GetPropertyName());
    file.FieldWriteC(KPropertyTypeName(property->GetPropertyType()));
    file.FieldWriteC(dataType ? dataType->GetName() : "");
    file.FieldWriteC(flags);
    WriteValue(file, property, shape);
    if (property->IsUserProperty() && HasExtras(property))
        WriteExtras(file, property);
    file.FieldWriteEnd();
}

// Reads the extras block of the current record into a user property; the
// enumeration texts only into a property just made, so that reading twice
// does not double them.
void ReadExtras(KQel& file, KProperty* property, bool created)
{
    if (!property->IsUserProperty() || !file.FieldReadBlockBegin())
        return;
    if (file.FieldReadBegin("Label")) {
        if (file.FieldReadGetType() == 'S')
            property->SetPropertyLabel(file.FieldReadC());
        file.FieldReadEnd();
    }
    if (file.FieldReadBegin("Min")) {
        if (IsNumberType(file.FieldReadGetType()))
            property->SetPropertyMin(file.FieldReadD());
        file.FieldReadEnd();
    }
    if (file.FieldReadBegin("Max")) {
        if (IsNumberType(file.FieldReadGetType()))
            property->SetPropertyMax(file.FieldReadD());
        file.FieldReadEnd();
    }
    if (created && file.FieldReadBegin("Enum")) {
        while (file.FieldReadGetRemain() > 0 && file.FieldReadGetType() == 'S')
            property->AddEnumValue(file.FieldReadC());
        file.FieldReadEnd();
    }
    file.FieldReadBlockEnd();
}

// The properties of the list by name (the first of a name wins), so that
// each record is matched in constant time.
class PropertyIndex {
public:
    explicit PropertyIndex(KArrayTemplate<KProperty*>& properties) : mProperties(properties)
    {
        for (int i = 0; i < properties.GetCount(); ++i)
            Remember(properties.GetAt(i));
    }

    KProperty* Find(const std::string& name) const
    {
        auto found = mByName.find(name);
        return found == mByName.end() ? nullptr : found->second;
    }

    void Append(KProperty* property)
    {
        mProperties.Add(property);
        Remember(property);
    }

private:
    void Remember(KProperty* property)
    {
        if (property && property->GetPropertyName())
            mByName.emplace(property->GetPropertyName(), property);
    }

    KArrayTemplate<KProperty*>& mProperties;
    std::unordered_map<std::string_view, KProperty*> mByName;
};

// Reads the current full record (see WriteRecord) into the list.
void ReadRecord(KQel& file, PropertyIndex& index, KObject* handler)
{
    if (file.FieldReadGetRemain() < 4)
        return;
    std::string header[4];  // name, type name, data type name, flags
    for (std::string& text : header) {
        if (file.FieldReadGetType() != 'S')
            return;
        text = file.FieldReadC();
    }
    const std::string& name = header[0];
    if (name.empty())
        return;

    KProperty* property = index.Find(name);
    bool listed = property != nullptr;
    if (!property && handler) {
        // A user property made by an earlier read is taken up again rather
        // than doubled; a built-in one the caller left out stays out.
        property = handler->FindPropertyByName(name.c_str());
        if (property && !property->IsUserProperty())
            return;
    }
    if (property) {
        if (property->GetPropertyFlag(kPropertyFlagNotSavable))
            return;
        Shape shape = ShapeOf(property->GetPropertyType());
        Shape stored = ShapeOf(PropertyTypeFromName(header[1]));
        Value value;
        if (ShapeClass(stored) != ShapeClass(shape) || !ReadValue(file, shape, value))
            return;
        ApplyValue(property, shape, value);
        ReadExtras(file, property, false);
        if (!listed)
            index.Append(property);
        return;
    }
    if (!handler)
        return;

    // A property the file adds: made on the handler as a user property.
    kPropertyType type = PropertyTypeFromName(header[1]);
    Shape shape = ShapeOf(type);
    Value value;
    if (shape == Shape::kNone || !ReadValue(file, shape, value))
        return;
    KDataType* dataType = header[2].empty() ? nullptr : KDataTypeGet(header[2].c_str());
    if (dataType && DataTypeToPropertyType(dataType) != type)
        dataType = nullptr;  // a data type that cannot hold the values is dropped
    bool animatable = header[3].find('A') != std::string::npos;
    property = handler->CreatePropertyFromType(name.c_str(), type, dataType, animatable, false,
                                               nullptr);
    if (!property)
        return;
    property->GetPropertyInfo().ModifyFlag(KPropertyInfo::kUserProperty, true);
    ApplyValue(property, shape, value);
    ReadExtras(file, property, true);
    index.Append(property);
}

}  // namespace

void IQelObject::FieldWritePropertiesList(KArrayTemplate<KProperty*>& properties)
{
    bool older = IsBeforeVersion6();
    FieldWriteBegin(older ? kBlockOld : kBlock60);
    FieldWriteBlockBegin();
    for (int i = 0; i < properties.GetCount(); ++i) {
        KProperty* property = properties.GetAt(i);
        if (!IsWritable(property))
            continue;
        if (!older) {
            WriteRecord(*this, kRecord60, property);
        } else if (property->IsUserProperty()) {
            WriteRecord(*this, kRecordUser, property);
        } else {
            FieldWriteBegin(property->GetPropertyName());
            WriteValue(*this, property, ShapeOf(property->GetPropertyType()));
            FieldWriteEnd();
        }
    }
    FieldWriteBlockEnd();
    FieldWriteEnd();
}

bool IQelObject::FieldReadPropertiesList(KArrayTemplate<KProperty*>& properties, KObject* handler)
{
    bool older = IsBeforeVersion6();
    if (!FieldReadBegin(older ? kBlockOld : kBlock60))
        return false;
    if (!FieldReadBlockBegin()) {
        FieldReadEnd();
        return true;
    }
    PropertyIndex index(properties);
    const char* recordName = older ? kRecordUser : kRecord60;
    while (FieldReadBegin(recordName)) {
        ReadRecord(*this, index, handler);
        FieldReadEnd();
    }
    if (older) {
        // The others are fields named after them; walk a snapshot of the
        // count, since records above may have appended to the list.
        int count = properties.GetCount();
        for (int i = 0; i < count; ++i) {
            KProperty* property = properties.GetAt(i);
            if (!IsWritable(property) || property->IsUserProperty())
                continue;
            if (!FieldReadBegin(property->GetPropertyName()))
                continue;
            Shape shape = ShapeOf(property->GetPropertyType());
            Value value;
            if (ReadValue(*this, shape, value))
                ApplyValue(property, shape, value);
            FieldReadEnd();
        }
    }
    FieldReadBlockEnd();
    FieldReadEnd();
    return true;
}

}  // namespace qelsdk_600
