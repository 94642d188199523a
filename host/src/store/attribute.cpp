#include "store/attribute.h"

#include <algorithm>

#include <vesk/MFnNumericData.h>

namespace vesk {

RefObject::~RefObject() {}

Attribute::Attribute(AttrForm form, const std::string& longName, const std::string& shortName)
    : RefObject(typeOfForm(form)), mForm(form), mLongName(longName), mShortName(shortName)
{
}

Attribute::~Attribute()
{
    for (Attribute* child : mChildren)
        delete child;
}

MFn::Type Attribute::typeOfForm(AttrForm form)
{
    switch (form) {
    case AttrForm::kNumeric:
    case AttrForm::kNumericCompound:
        return MFn::kNumericAttribute;
    case AttrForm::kUnit:
        return MFn::kUnitAttribute;
    case AttrForm::kEnum:
        return MFn::kEnumAttribute;
    case AttrForm::kTyped:
        return MFn::kTypedAttribute;
    case AttrForm::kCompound:
        return MFn::kCompoundAttribute;
    case AttrForm::kMessage:
        return MFn::kMessageAttribute;
    case AttrForm::kMatrix:
        return MFn::kMatrixAttribute;
    }
    return MFn::kAttribute;
}

bool Attribute::addChild(const Ref<Attribute>& child)
{
    if (!child || child.get() == this || child->mParent || child->mOwner != kFree || child->mDeleted)
        return false;
    if (mForm != AttrForm::kCompound && mForm != AttrForm::kNumericCompound)
        return false;
    // Deepest array nesting below the child, counted from the child itself.
    std::function<int(const Attribute*)> depth = [&](const Attribute* a) {
        int best = 0;
        for (const Attribute* c : a->mChildren)
            best = std::max(best, depth(c));
        return best + (a->array ? 1 : 0);
    };
    if (levelCount() + depth(child.get()) > kMaxLevels)
        return false;
    Attribute* raw = child.get();
    raw->mParent = this;
    raw->shareCountWith(this);
    mChildren.push_back(raw);
    return true;
}

Attribute* Attribute::root()
{
    Attribute* a = this;
    while (a->mParent)
        a = a->mParent;
    return a;
}

const Attribute* Attribute::root() const
{
    const Attribute* a = this;
    while (a->mParent)
        a = a->mParent;
    return a;
}

bool Attribute::isSelfOrDescendantOf(const Attribute* a) const
{
    for (const Attribute* cur = this; cur; cur = cur->mParent)
        if (cur == a)
            return true;
    return false;
}

int Attribute::levelCount() const
{
    int n = 0;
    for (const Attribute* cur = this; cur; cur = cur->mParent)
        if (cur->array)
            ++n;
    return n;
}

int Attribute::levelOf(const Attribute* ancestor) const
{
    if (!ancestor || !ancestor->array || !isSelfOrDescendantOf(ancestor))
        return -1;
    return ancestor->levelCount() - 1;
}

bool Attribute::isNumericLeaf() const
{
    return mForm == AttrForm::kNumeric || mForm == AttrForm::kUnit || mForm == AttrForm::kEnum;
}

bool Attribute::isIntegerValued() const
{
    if (mForm == AttrForm::kEnum)
        return true;
    if (mForm != AttrForm::kNumeric)
        return false;
    switch (numericType) {
    case MFnNumericData::kBoolean:
    case MFnNumericData::kByte:
    case MFnNumericData::kChar:
    case MFnNumericData::kShort:
    case MFnNumericData::kLong:
    case MFnNumericData::kAddr:
        return true;
    default:
        return false;
    }
}

void Attribute::setOwner(Owner owner, NodeId node)
{
    Attribute* r = root();
    r->mOwner = owner;
    r->mOwnerNode = node;
}

void Attribute::markDeleted()
{
    mDeleted = true;
    for (Attribute* c : mChildren)
        c->markDeleted();
}

int numericChildType(int compoundType)
{
    switch (compoundType) {
    case MFnNumericData::k2Short:
    case MFnNumericData::k3Short:
        return MFnNumericData::kShort;
    case MFnNumericData::k2Long:
    case MFnNumericData::k3Long:
        return MFnNumericData::kLong;
    case MFnNumericData::k2Float:
    case MFnNumericData::k3Float:
        return MFnNumericData::kFloat;
    case MFnNumericData::k2Double:
    case MFnNumericData::k3Double:
    case MFnNumericData::k4Double:
        return MFnNumericData::kDouble;
    default:
        return MFnNumericData::kInvalid;
    }
}

int numericChildCount(int compoundType)
{
    switch (compoundType) {
    case MFnNumericData::k2Short:
    case MFnNumericData::k2Long:
    case MFnNumericData::k2Float:
    case MFnNumericData::k2Double:
        return 2;
    case MFnNumericData::k3Short:
    case MFnNumericData::k3Long:
    case MFnNumericData::k3Float:
    case MFnNumericData::k3Double:
        return 3;
    case MFnNumericData::k4Double:
        return 4;
    default:
        return 0;
    }
}

Ref<Attribute> makeNumericAttribute(const std::string& longName, const std::string& shortName, int numericType,
                                    double defaultValue, bool color, bool lowerShort)
{
    if (numericType <= MFnNumericData::kInvalid || numericType >= MFnNumericData::kLast)
        return Ref<Attribute>();
    const int count = numericChildCount(numericType);
    if (count == 0) {
        Ref<Attribute> a(new Attribute(AttrForm::kNumeric, longName, shortName));
        a->numericType = numericType;
        a->defaultValue = defaultValue;
        return a;
    }
    static const char* const kAxis[2][4] = {{"X", "Y", "Z", "W"}, {"R", "G", "B", "A"}};
    static const char* const kAxisShort[2][4] = {{"x", "y", "z", "w"}, {"r", "g", "b", "a"}};
    Ref<Attribute> a(new Attribute(AttrForm::kNumericCompound, longName, shortName));
    a->numericType = numericType;
    a->usedAsColor = color;
    const int names = color ? 1 : 0;
    for (int i = 0; i < count; ++i) {
        Ref<Attribute> child(new Attribute(AttrForm::kNumeric, longName + kAxis[names][i],
                                           shortName + (lowerShort ? kAxisShort : kAxis)[names][i]));
        child->numericType = numericChildType(numericType);
        child->defaultValue = defaultValue;
        a->addChild(child);
    }
    return a;
}

} // namespace vesk
