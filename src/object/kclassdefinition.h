// Class identity: class definitions, the class-id registry and class filters.
#ifndef QELSDK_OBJECT_KCLASSDEFINITION_H
#define QELSDK_OBJECT_KCLASSDEFINITION_H

namespace qelsdk_600 {

class KPlug;
class KPlugFilter;

// One static record per class. Plain aggregate so that it is constant-
// initialised: a definition can be named as a parent before its own class has
// registered, whatever the order of static initialisation.
struct KClassDefinition {
    int* mClassId;                   // where the registry stores the class id
    KClassDefinition* mParent;       // null at the root
    const char* mClassName;
    KPlugFilter* mFilter;            // set by KPlug_RegisterClassId
};

// Decides whether a plug belongs in a filtered view (sub-plug).
class KPlugFilter {
public:
    virtual ~KPlugFilter() {}
    virtual bool IsValid(const KPlug* pPlug) const = 0;
};

// Accepts the plugs of one class and of its descendants; id -1 accepts all.
class KClassIdFilter : public KPlugFilter {
public:
    explicit KClassIdFilter(int pClassId) : mClassId(pClassId) {}
    bool IsValid(const KPlug* pPlug) const override;
    int GetClassId() const { return mClassId; }

private:
    int mClassId;
};

// Registers a definition under pId, or under the next free id of the global
// counter when pId is -1 (ids already taken are skipped), stores the id in
// *mClassId, gives the definition its class-id filter and returns the id.
// Safe during static initialisation in any order. Returns -1, registering
// nothing, for a null definition, an id below -1 or above 65536, or an id
// already taken by another definition.
int KPlug_RegisterClassId(KClassDefinition* pDefinition, int pId);

// The filter of the class registered under pId (the accept-all filter of the
// built-in "None" for -1); null when nothing is registered there.
KPlugFilter* KPlug_GetFilter(int pId);

// Frees what the object model keeps for the whole process (the class
// registry with its filters, the plug-handle table). Only for a module about
// to be unloaded, after every object and plug of it has ended; anything used
// afterwards is made afresh.
void KObject_ReleaseStatics();

// The definition registered under pId (the built-in "None" for -1), or null.
KClassDefinition* KPlug_GetClassDefinition(int pId);

// True when pId is the id of pDefinition or of one of its ancestors.
bool KClassDefinitionIs(const KClassDefinition* pDefinition, int pId);

}  // namespace qelsdk_600

#endif
