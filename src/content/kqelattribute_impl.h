// Private to src/content: what the node-attribute kinds reach of the node
// that carries them, and of their own property sets.
#ifndef QELSDK_CONTENT_KQELATTRIBUTE_IMPL_H
#define QELSDK_CONTENT_KQELATTRIBUTE_IMPL_H

namespace qelsdk_600 {

class KObject;
class KQelNodeAttribute;
class KQelTakeNode;
class KQelTakeNodeContainer;

// The takes of the node an attribute is bound to (the node itself), or null
// when it is unbound.
KQelTakeNodeContainer* KQelBoundTakes(const KQelNodeAttribute& pAttribute);
// The take "Default" of that node, or null.
KQelTakeNode* KQelBoundDefaultTake(const KQelNodeAttribute& pAttribute);

// Appends every property of pSet, in order, to the KArrayTemplate<KProperty*>
// that pList points to (the body of FillPropertyList); nothing for nulls.
void KQelAppendAttributeProperties(const KObject* pSet, void* pList);

}  // namespace qelsdk_600

#endif
