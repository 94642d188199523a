#include "store/kind.h"

#include "store/types.h"

namespace vesk {

Payload::~Payload() {}

Kind::Kind(MFn::Type type, const Kind* parent, const std::string& typeName, unsigned int typeId)
    : mType(type), mParent(parent), mTypeName(typeName), mTypeId(typeId)
{
}

Kind::~Kind()
{
    for (Attribute* a : mOwn)
        delete a;
}

bool Kind::isDag() const
{
    return typeIsA(mType, MFn::kDagNode);
}

bool Kind::isA(MFn::Type t) const
{
    return typeIsA(mType, t);
}

namespace {

void collectNames(const Attribute* a, std::vector<std::string>& out)
{
    out.push_back(a->longName());
    if (a->shortName() != a->longName())
        out.push_back(a->shortName());
    for (const Attribute* c : a->children())
        collectNames(c, out);
}

Attribute* findIn(Attribute* a, const std::string& name)
{
    if (a->longName() == name || a->shortName() == name)
        return a;
    for (Attribute* c : a->children())
        if (Attribute* found = findIn(c, name))
            return found;
    return nullptr;
}

} // namespace

Attribute* Kind::findAttribute(const std::string& name) const
{
    if (mFinal) {
        auto it = mByName.find(name);
        return it == mByName.end() ? nullptr : it->second;
    }
    for (const Kind* k = this; k; k = k->mParent)
        for (Attribute* a : k->mOwn)
            if (Attribute* found = findIn(a, name))
                return found;
    return nullptr;
}

bool Kind::addAttribute(const Ref<Attribute>& attr)
{
    if (mFinal || !attr || attr->parent() || attr->owner() != Attribute::kFree)
        return false;
    std::vector<std::string> names;
    collectNames(attr.get(), names);
    for (const std::string& n : names)
        if (findAttribute(n))
            return false;
    attr->setOwner(Attribute::kStatic, NodeId());
    attr->makeImmortal();
    mOwn.push_back(attr.get());
    return true;
}

void Kind::finalize()
{
    if (mFinal)
        return;
    if (mParent)
        const_cast<Kind*>(mParent)->finalize();
    mAll = mParent ? mParent->mAll : std::vector<Attribute*>();
    mByName = mParent ? mParent->mByName : std::unordered_map<std::string, Attribute*>();
    std::function<void(Attribute*)> index = [&](Attribute* a) {
        mByName.emplace(a->longName(), a);
        mByName.emplace(a->shortName(), a);
        for (Attribute* c : a->children())
            index(c);
    };
    for (Attribute* a : mOwn) {
        mAll.push_back(a);
        index(a);
    }
    if (!payloadFactory && mParent)
        payloadFactory = mParent->payloadFactory;
    if (!componentExtent && mParent)
        componentExtent = mParent->componentExtent;
    mFinal = true;
}

KindRegistry::KindRegistry() {}

KindRegistry::~KindRegistry()
{
    for (Kind* k : mKinds)
        delete k;
}

Kind* KindRegistry::add(MFn::Type type, MFn::Type parentType, const std::string& typeName)
{
    if (mFinal || mByType.count(type) || mByName.count(typeName) || typeName.empty())
        return nullptr;
    const Kind* parent = nullptr;
    if (parentType != MFn::kInvalid) {
        parent = find(parentType);
        if (!parent)
            return nullptr;
    }
    // Ids count up from a base so that every kind's id differs from its type.
    Kind* k = new Kind(type, parent, typeName, 0x56000u + static_cast<unsigned int>(mKinds.size()));
    mKinds.push_back(k);
    mByType[type] = k;
    mByName[typeName] = k;
    return k;
}

Kind* KindRegistry::find(MFn::Type type) const
{
    auto it = mByType.find(type);
    return it == mByType.end() ? nullptr : it->second;
}

Kind* KindRegistry::find(const std::string& typeName) const
{
    auto it = mByName.find(typeName);
    return it == mByName.end() ? nullptr : it->second;
}

void KindRegistry::finalize()
{
    for (Kind* k : mKinds)
        k->finalize();
    mFinal = true;
}

} // namespace vesk
