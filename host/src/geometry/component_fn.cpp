// MFnComponent, MFnSingleIndexedComponent and MFnDoubleIndexedComponent.
#include <vesk/MFnDoubleIndexedComponent.h>
#include <vesk/MFnSingleIndexedComponent.h>

#include "core/object_access.h"
#include "store/types.h"
#include "store/value.h"

using vesk::Component;
using vesk::ObjectAccess;
using vesk::report;

namespace {

Component* componentOf(const MObject& o)
{
    vesk::RefObject* r = ObjectAccess::ref(o);
    return r && vesk::typeIsA(r->apiType(), MFn::kComponent) ? static_cast<Component*>(r) : nullptr;
}

Component* componentIn(const MObject& o, MStatus* status)
{
    Component* c = componentOf(o);
    report(status, c ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return c;
}

// Turns complete data into the list of its elements.
void listComplete(Component& c)
{
    if (!c.complete)
        return;
    c.complete = false;
    if (c.doubleIndexed()) {
        c.pairs.clear();
        for (int u = 0; u < c.completeCount; ++u)
            for (int v = 0; v < c.completeCountV; ++v)
                c.pairs.emplace_back(u, v);
    } else {
        c.single.clear();
        for (int i = 0; i < c.completeCount; ++i)
            c.single.push_back(i);
    }
    c.completeCount = c.completeCountV = 0;
}

MObject createComponent(MFn::Type type, MFn::Type family, MObject& bound, MStatus* status)
{
    if (type == family || !vesk::typeIsA(type, family)) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    bound = ObjectAccess::fromRef(new Component(type));
    report(status, MStatus::kSuccess);
    return bound;
}

} // namespace

MFnComponent::MFnComponent(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnComponent::type() const
{
    return MFn::kComponent;
}

bool MFnComponent::accepts(const MObject& object) const
{
    return componentOf(object) != nullptr;
}

int MFnComponent::elementCount(MStatus* status) const
{
    const Component* c = componentOf(mObject);
    report(status, MStatus::kSuccess);
    return c ? c->elementCount() : 0;
}

bool MFnComponent::isEmpty(MStatus* status) const
{
    return elementCount(status) == 0;
}

bool MFnComponent::isComplete(MStatus* status) const
{
    const Component* c = componentIn(mObject, status);
    return c && c->complete;
}

MFn::Type MFnComponent::componentType(MStatus* status) const
{
    const Component* c = componentIn(mObject, status);
    return c ? c->apiType() : MFn::kInvalid;
}

// ---- MFnSingleIndexedComponent -------------------------------------------------

MFnSingleIndexedComponent::MFnSingleIndexedComponent(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnSingleIndexedComponent::type() const
{
    return MFn::kSingleIndexedComponent;
}

bool MFnSingleIndexedComponent::accepts(const MObject& object) const
{
    const Component* c = componentOf(object);
    return c && !c->doubleIndexed();
}

MObject MFnSingleIndexedComponent::create(MFn::Type componentType, MStatus* status)
{
    return createComponent(componentType, MFn::kSingleIndexedComponent, mObject, status);
}

MStatus MFnSingleIndexedComponent::addElement(int element)
{
    Component* c = componentOf(mObject);
    if (!c || element < 0)
        return MStatus::kInvalidParameter;
    listComplete(*c);
    c->single.push_back(element);
    c->changed();
    return MStatus::kSuccess;
}

MStatus MFnSingleIndexedComponent::addElements(const MIntArray& elements)
{
    Component* c = componentOf(mObject);
    if (!c)
        return MStatus::kInvalidParameter;
    for (unsigned int i = 0; i < elements.length(); ++i)
        if (elements[i] < 0)
            return MStatus::kInvalidParameter;
    listComplete(*c);
    for (unsigned int i = 0; i < elements.length(); ++i)
        c->single.push_back(elements[i]);
    c->changed();
    return MStatus::kSuccess;
}

int MFnSingleIndexedComponent::element(int index, MStatus* status) const
{
    const Component* c = componentIn(mObject, status);
    if (!c || index < 0 || index >= c->elementCount()) {
        report(status, MStatus::kInvalidParameter);
        return -1;
    }
    return c->complete ? index : c->single[static_cast<size_t>(index)];
}

MStatus MFnSingleIndexedComponent::getElements(MIntArray& elements) const
{
    const Component* c = componentOf(mObject);
    if (!c)
        return MStatus::kInvalidParameter;
    elements.setLength(static_cast<unsigned int>(c->elementCount()));
    for (unsigned int i = 0; i < elements.length(); ++i)
        elements[i] = c->complete ? static_cast<int>(i) : c->single[i];
    return MStatus::kSuccess;
}

MStatus MFnSingleIndexedComponent::setCompleteData(int count)
{
    Component* c = componentOf(mObject);
    if (!c || count < 0)
        return MStatus::kInvalidParameter;
    c->single.clear();
    c->complete = true;
    c->completeCount = count;
    c->changed();
    return MStatus::kSuccess;
}

MStatus MFnSingleIndexedComponent::getCompleteData(int& count) const
{
    const Component* c = componentOf(mObject);
    if (!c)
        return MStatus::kInvalidParameter;
    count = c->complete ? c->completeCount : 0;
    return MStatus::kSuccess;
}

// ---- MFnDoubleIndexedComponent -------------------------------------------------

MFnDoubleIndexedComponent::MFnDoubleIndexedComponent(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnDoubleIndexedComponent::type() const
{
    return MFn::kDoubleIndexedComponent;
}

bool MFnDoubleIndexedComponent::accepts(const MObject& object) const
{
    const Component* c = componentOf(object);
    return c && c->doubleIndexed();
}

MObject MFnDoubleIndexedComponent::create(MFn::Type componentType, MStatus* status)
{
    return createComponent(componentType, MFn::kDoubleIndexedComponent, mObject, status);
}

MStatus MFnDoubleIndexedComponent::addElement(int indexU, int indexV)
{
    Component* c = componentOf(mObject);
    if (!c || indexU < 0 || indexV < 0)
        return MStatus::kInvalidParameter;
    listComplete(*c);
    c->pairs.emplace_back(indexU, indexV);
    c->changed();
    return MStatus::kSuccess;
}

MStatus MFnDoubleIndexedComponent::addElements(const MIntArray& indicesU, const MIntArray& indicesV)
{
    Component* c = componentOf(mObject);
    if (!c || indicesU.length() != indicesV.length())
        return MStatus::kInvalidParameter;
    for (unsigned int i = 0; i < indicesU.length(); ++i)
        if (indicesU[i] < 0 || indicesV[i] < 0)
            return MStatus::kInvalidParameter;
    listComplete(*c);
    for (unsigned int i = 0; i < indicesU.length(); ++i)
        c->pairs.emplace_back(indicesU[i], indicesV[i]);
    c->changed();
    return MStatus::kSuccess;
}

MStatus MFnDoubleIndexedComponent::getElement(int index, int& indexU, int& indexV) const
{
    const Component* c = componentOf(mObject);
    if (!c || index < 0 || index >= c->elementCount())
        return MStatus::kInvalidParameter;
    if (c->complete) {
        indexU = index / c->completeCountV;
        indexV = index % c->completeCountV;
    } else {
        indexU = c->pairs[static_cast<size_t>(index)].first;
        indexV = c->pairs[static_cast<size_t>(index)].second;
    }
    return MStatus::kSuccess;
}

MStatus MFnDoubleIndexedComponent::getElements(MIntArray& indicesU, MIntArray& indicesV) const
{
    const Component* c = componentOf(mObject);
    if (!c)
        return MStatus::kInvalidParameter;
    const unsigned int n = static_cast<unsigned int>(c->elementCount());
    indicesU.setLength(n);
    indicesV.setLength(n);
    for (unsigned int i = 0; i < n; ++i)
        getElement(static_cast<int>(i), indicesU[i], indicesV[i]);
    return MStatus::kSuccess;
}

MStatus MFnDoubleIndexedComponent::setCompleteData(int countU, int countV)
{
    Component* c = componentOf(mObject);
    if (!c || countU < 0 || countV < 0 || (countV > 0 && countU > 0x7FFFFFFF / countV))
        return MStatus::kInvalidParameter;
    c->pairs.clear();
    c->complete = true;
    c->completeCount = countU;
    c->completeCountV = countV;
    c->changed();
    return MStatus::kSuccess;
}

MStatus MFnDoubleIndexedComponent::getCompleteData(int& countU, int& countV) const
{
    const Component* c = componentOf(mObject);
    if (!c)
        return MStatus::kInvalidParameter;
    countU = c->complete ? c->completeCount : 0;
    countV = c->complete ? c->completeCountV : 0;
    return MStatus::kSuccess;
}
