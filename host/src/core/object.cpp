#include <vesk/MObject.h>

#include "core/object_access.h"
#include "store/types.h"

namespace {

enum Form : unsigned char { kNullForm = 0, kNodeForm = 1, kRefForm = 2 };

} // namespace

const MObject MObject::kNullObj;

MObject::MObject(const MObject& other)
    : mRef(other.mRef), mIndex(other.mIndex), mGen(other.mGen), mForm(other.mForm)
{
    if (mRef)
        mRef->ref();
}

MObject& MObject::operator=(const MObject& other)
{
    if (this != &other) {
        if (other.mRef)
            other.mRef->ref();
        if (mRef)
            mRef->unref();
        mRef = other.mRef;
        mIndex = other.mIndex;
        mGen = other.mGen;
        mForm = other.mForm;
    }
    return *this;
}

MObject::~MObject()
{
    if (mRef)
        mRef->unref();
}

bool MObject::isNull() const
{
    if (mForm == kNodeForm)
        return !vesk::store().isAlive(vesk::NodeId{mIndex, mGen});
    if (mForm == kRefForm)
        return !mRef->alive();
    return true;
}

MFn::Type MObject::apiType() const
{
    if (isNull())
        return MFn::kInvalid;
    if (mForm == kNodeForm)
        return vesk::store().kindOf(vesk::NodeId{mIndex, mGen})->type();
    return mRef->apiType();
}

bool MObject::hasFn(MFn::Type type) const
{
    return vesk::typeIsA(apiType(), type);
}

const char* MObject::apiTypeStr() const
{
    return vesk::typeName(apiType());
}

bool MObject::operator==(const MObject& other) const
{
    const bool nullA = isNull();
    const bool nullB = other.isNull();
    if (nullA || nullB)
        return nullA && nullB;
    if (mForm != other.mForm)
        return false;
    if (mForm == kNodeForm)
        return mIndex == other.mIndex && mGen == other.mGen;
    return mRef == other.mRef;
}

namespace vesk {

MObject ObjectAccess::fromNode(NodeId n)
{
    MObject o;
    if (store().isAlive(n)) {
        o.mForm = kNodeForm;
        o.mIndex = n.index;
        o.mGen = n.gen;
    }
    return o;
}

MObject ObjectAccess::fromRef(RefObject* r)
{
    MObject o;
    if (r) {
        r->ref();
        o.mRef = r;
        o.mForm = kRefForm;
    }
    return o;
}

NodeId ObjectAccess::node(const MObject& o)
{
    if (o.mForm != kNodeForm)
        return NodeId();
    const NodeId n{o.mIndex, o.mGen};
    return store().isAlive(n) ? n : NodeId();
}

RefObject* ObjectAccess::ref(const MObject& o)
{
    return o.mForm == kRefForm && o.mRef->alive() ? o.mRef : nullptr;
}

Attribute* ObjectAccess::attribute(const MObject& o)
{
    RefObject* r = ref(o);
    return r && typeIsA(r->apiType(), MFn::kAttribute) ? static_cast<Attribute*>(r) : nullptr;
}

MDagPath ObjectAccess::path(const Path& p)
{
    MDagPath out;
    retainPathLink(p.link());
    out.mLink = p.link();
    return out;
}

Path ObjectAccess::path(const MDagPath& p)
{
    retainPathLink(p.mLink);
    return Path::adopt(p.mLink);
}

} // namespace vesk
