// The solver property set of a character: its solver settings, the links
// of its skeleton roles and its connections as the properties of one object.
#ifndef QELSDK_CHARACTER_KQELCHARACTERPROPERTIES_H
#define QELSDK_CHARACTER_KQELCHARACTERPROPERTIES_H

#include "character/kcharacterenums.h"
#include "character/kqelcharacterproperties_list.h"
#include "math/kgevector.h"
#include "object/kpropertyobjectlist.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelpropertyhandler.h"

namespace qelsdk_600 {

class KQelCharacter;
class KQelFilterSet;

// One character's set, 383 properties in this order:
//  - the 191 value properties of QEL_CHARACTER_PROPERTIES, members named
//    after the property ("PullIterationCount" is the member
//    PullIterationCount), each read by the virtual <Name>Get() and, unless
//    read-only, written by the virtual <Name>Set(T): 27 setters only store,
//    89 store and write the value through to the character's filter set
//    (clamped where the list says), 75 read-only properties have none;
//    enumerations also have <Name>AsString, the text of a value (null for
//    a number without one), and <Name>AsStringBound, the same taking an int
//    (the property's to-text function);
//  - one object list per named character node id, "<Role>Link" (HipsLink
//    first, ReferenceLink for 67; ids 68, 69, 88 and 89 have none), in id
//    order, its user tag the node id: a node's property set connected to it
//    makes that node the character's link of the id;
//  - "SourceObject" and "DestinationObject" (views of the set's own source
//    and destination connections), "Actor", "Character" and "ControlSet":
//    connecting a control-set plug's property set to "ControlSet" fills the
//    character's control set from the plug, once.
// "Active" starts true, "Lock" false, "Weight" 100; the exchanged
// properties start from the filter set's values. Made and ended (Destroy)
// by its character only.
class KQelCharacterProperties : public KQelOwnedPropertyHandler {
    QEL_CLASS_IDENTITY(KQelCharacterProperties)

public:
    // "KQelCharacterProperties".
    static const char* ClassName;

    // The whole set for pCharacter, which must own its filter set already.
    // The character's link records of the named ids get their link
    // properties.
    explicit KQelCharacterProperties(KQelCharacter* pCharacter);
    ~KQelCharacterProperties() override;

    // The owning character.
    KQelCharacter* GetKQelCharacter() const { return mCharacter; }

    // Loads the exchanged properties from the character's filter set, as
    // the list's load order gives them; the filter set is left as it was.
    // The constructor runs it; a later call loads the current contents.
    void FilterSetToProperties();

    // A connection made on a link property from a node's property set
    // becomes the character's link of that id (SetCharacterLink without
    // property update); its disconnection clears the id's node only when
    // that node is the one leaving. A control-set plug's property set
    // connected to "ControlSet" fills the character's control set. Those
    // events answer false; objects that are not node (or plug) property
    // sets are connected but change nothing. Every other event goes to the
    // base.
    bool PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex, KPlug* pOther,
                    kConnectionType pType, KPlug* pNewPlug) override;

    // ---- Accessors and members, generated from the list ----
#define QEL_CHARPROP_ACCESSORS_S(Name, Type, Flags) \
    virtual Type Name##Get();                       \
    virtual void Name##Set(Type pValue);
#define QEL_CHARPROP_ACCESSORS_R(Name, Type) virtual Type Name##Get();
#define QEL_CHARPROP_ACCESSORS_W(Name, Type, Flags, Parameter, Clamp) QEL_CHARPROP_ACCESSORS_S(Name, Type, Flags)
#define QEL_CHARPROP_ACCESSORS_E(Name, Type, Parameter, Text)                    \
    QEL_CHARPROP_ACCESSORS_S(Name, Type, Plain)                                  \
    const char* Name##AsString(Type pValue) { return Text(pValue); }             \
    const char* Name##AsStringBound(int pValue) { return Text(static_cast<Type>(pValue)); }
    QEL_CHARACTER_PROPERTIES(QEL_CHARPROP_ACCESSORS_S, QEL_CHARPROP_ACCESSORS_R, QEL_CHARPROP_ACCESSORS_W,
                             QEL_CHARPROP_ACCESSORS_E)
#undef QEL_CHARPROP_ACCESSORS_S
#undef QEL_CHARPROP_ACCESSORS_R
#undef QEL_CHARPROP_ACCESSORS_W
#undef QEL_CHARPROP_ACCESSORS_E

    // The object lists: the object at an index (null outside the list) and
    // SetAt (false when refused; the two views take no objects of their
    // own).
#define QEL_CHARPROP_LIST_ACCESSORS(Name)                                          \
    KObject* Name##Get(int pIndex) { return Name.GetAt(pIndex); }                  \
    bool Name##Set(int pIndex, KObject* pObject) { return Name.SetAt(pIndex, pObject); }
    QEL_CHARPROP_LIST_ACCESSORS(SourceObject)
    QEL_CHARPROP_LIST_ACCESSORS(DestinationObject)
    QEL_CHARPROP_LIST_ACCESSORS(Actor)
    QEL_CHARPROP_LIST_ACCESSORS(Character)
    QEL_CHARPROP_LIST_ACCESSORS(ControlSet)
#undef QEL_CHARPROP_LIST_ACCESSORS

#define QEL_CHARPROP_MEMBER_S(Name, Type, Flags) KPropertyTemplate<Type> Name;
#define QEL_CHARPROP_MEMBER_R(Name, Type) KPropertyTemplate<Type> Name;
#define QEL_CHARPROP_MEMBER_W(Name, Type, Flags, Parameter, Clamp) KPropertyTemplate<Type> Name;
#define QEL_CHARPROP_MEMBER_E(Name, Type, Parameter, Text) KPropertyTemplate<Type> Name;
    QEL_CHARACTER_PROPERTIES(QEL_CHARPROP_MEMBER_S, QEL_CHARPROP_MEMBER_R, QEL_CHARPROP_MEMBER_W,
                             QEL_CHARPROP_MEMBER_E)
#undef QEL_CHARPROP_MEMBER_S
#undef QEL_CHARPROP_MEMBER_R
#undef QEL_CHARPROP_MEMBER_W
#undef QEL_CHARPROP_MEMBER_E

    KPropertyObjectList SourceObject;
    KPropertyObjectList DestinationObject;
    KPropertyObjectList Actor;
    KPropertyObjectList Character;
    KPropertyObjectList ControlSet;

private:
    struct Binding;
    // The accessors of each value property, in list order.
    static const Binding* GetBindings();
    // The filter set of the character at this moment, or null.
    KQelFilterSet* GetFilterSet() const;

    KQelCharacter* mCharacter;  // not owned
};

}  // namespace qelsdk_600

#endif
