// The generated pattern of property sets: one table per set, expanded into
// typed members, virtual accessors, ordered registration and class identity.
//
// A property set is a KObject (node-attribute sets: camera, light, marker,
// null, skeleton) or a KQelOwnedPropertyHandler (sets of take-node
// containers: node, material, texture, ...). Its properties are listed once,
// as an X-macro of rows in registration order; every row kind is a macro
// argument, so one table serves the declaration and the registration:
//
//   V(Type, Name, "Text", default, flags)
//       a value member KPropertyTemplate<Type> Name, with the virtual pair
//       NameSet(Type) / NameGet(). Type is bool, int, double, KgeTVector,
//       KgeRGBVector, KString... A KgeTVector setter keeps x, y, z and
//       stores w = 1.
//   E(Type, Name, "Text", AsString, default, flags)
//       an enumeration member (Type an enum with int underlying type) with
//       the same virtual pair; AsString is a static function of the set,
//       const char* AsString(Type), installed as the property's to-text
//       function (KQelEnumText turns a table of texts into one).
//   L(Name, "Text", ContentClass, contentValue, direction, flags)
//       an object-list member KPropertyObjectList Name whose connections
//       are filtered on ContentClass::ClassId, with the non-virtual pair
//       NameSet(int, KObject*) / NameGet(int).
//   A("Text", "DataType")
//       an animated property that is not a member: made after all members,
//       in table order, by AddAnimatedProperty.
//
// "flags" are property flags (kPropertyFlag bits, 0 for none); "default" is
// the value the member holds after registration, written without
// notification. Registration of a member: set the type from the value
// type, bind owner and row (name, getter and setter, to-text function),
// append to the property list, then enum type, or list filter, type and
// content description; then default and flags. Binding and appending are a
// few stores (KObject::ListMember) unless the class hooks the list.
//
// Example (header):
//
//   #define QEL_LAMP_PROPERTIES(V, E, L, A)     (one macro: every line
//       V(double, Size, "Size", 100.0, 0)       but the last ends with
//       E(ELampKind, Kind, "Kind", KindAsString, eSpot, 0)    a backslash)
//       L(Targets, "Targets", KQelLampProperties, 1, KPlug::eDirectionSrc, 1)
//       A("Color", "Color")
//
//   class KQelLampProperties : public KQelOwnedPropertyHandler {
//       QEL_CLASS_IDENTITY(KQelLampProperties)
//   public:
//       enum ELampKind : int { eSpot, eArea };
//       explicit KQelLampProperties(KQelTakeNodeContainer* pOwner);
//       static const char* KindAsString(ELampKind pKind);
//       QEL_PROPERTY_SET_BODY(QEL_LAMP_PROPERTIES)
//   };
//
// Source:
//
//   QEL_CLASS_IDENTITY_DEFINE(KQelLampProperties, KQelPropertyHandler)
//   KQelLampProperties::KQelLampProperties(KQelTakeNodeContainer* pOwner)
//       : KQelOwnedPropertyHandler(pOwner)
//   {
//       QEL_PROPERTY_SET_REGISTER(QEL_LAMP_PROPERTIES);
//   }
//   const char* KQelLampProperties::KindAsString(ELampKind pKind)
//   {
//       static const char* const kTexts[] = {"Spot", "Area"};
//       return KQelEnumText(kTexts, pKind);
//   }
//
// The class then has SizeSet/SizeGet and KindSet/KindGet as its virtual
// operations after the base's (in table order), the members Size, Kind and
// Targets, the properties "Size", "Kind", "Targets", "Color" in that order,
// and a class id registered at start-up as the next free id.
//
// Storage. What every set of a class has in common is held once, by the
// class: each row's name (the table's literal), getter, setter, to-text
// function and data type form one KPropertyRow constant of the constructor
// (made on its first run, then shared), which a property points to until
// it is given a name, accessors or data type of its own, and a class filter
// is the process-wide one. A set itself holds its members' values, flags
// and types, its plug and list bookkeeping, and what someone gave one
// object only (a label, limits, enumeration texts, connections), which
// KProperty and KPlug keep in records made on first use. Only A rows cost
// an allocation each (a dynamic property), unless the set keeps room for
// them (KObject::GetPropertyRoom), as a node's set does for its four, with
// its own plug record and node view. docs/scene-memory.md gives the byte
// budget of a node.
#ifndef QELSDK_SCENE_KQELPROPERTYSET_H
#define QELSDK_SCENE_KQELPROPERTYSET_H

#include <cstddef>
#include <type_traits>

#include "object/kclassdefinition.h"
#include "object/kdatatype.h"
#include "object/kobject.h"
#include "object/kpropertyobjectlist.h"
#include "object/kpropertytemplate.h"

namespace qelsdk_600 {

// Adds to pSet a property that is not a member: the data type named
// pDataTypeName (KDataTypeGet), created through the set's virtual
// CreatePropertyFromType with the matching property type, then marked
// animatable (information flag 2) and animated (property flag 8). Null,
// adding nothing, when no data type has that name or the creation fails.
KProperty* AddAnimatedProperty(KObject& pSet, const char* pName, const char* pDataTypeName);
// The same with the property's own name as data-type name ("Color",
// "Intensity", ...).
KProperty* AddAnimatedProperty(KObject& pSet, const char* pName);

// Appends every property of pSet, in list order, to the
// KArrayTemplate<KProperty*> that pList points to; nothing for a null set or
// list (the body of the FillPropertyList operations).
void KQelAppendProperties(const KObject* pSet, void* pList);

// The text of an enumeration value from a table indexed by value; null for a
// value outside the table.
template <std::size_t N>
inline const char* KQelEnumText(const char* const (&pTexts)[N], int pValue)
{
    return pValue >= 0 && static_cast<std::size_t>(pValue) < N ? pTexts[pValue] : nullptr;
}

namespace detail {

// What a generated setter stores: the value as given, except that a
// translation vector keeps w = 1.
template <class T>
inline void KQelStoreValue(KPropertyTemplate<T>& pMember, const T& pValue)
{
    pMember.SetValue(pValue);
}
inline void KQelStoreValue(KPropertyTemplate<KgeTVector>& pMember, const KgeTVector& pValue)
{
    pMember.SetValue(KgeTVector(pValue.mData[0], pValue.mData[1], pValue.mData[2], 1.0));
}

// The row of a value or enumeration member; the member's type must be the
// one the getter returns and the setter takes.
template <class C, class T>
KPropertyRow KQelValueRow(const char* pName, KPropertyTemplate<T> C::*, T (C::*pGetter)(), void (C::*pSetter)(T),
                          const char* (C::*pAsString)(int) = nullptr)
{
    return KPropertyRow{pName,
                        {KPropertyGetter(pGetter), KPropertySetter(pSetter),
                         pAsString ? KPropertyAsString(pAsString) : nullptr},
                        nullptr};
}

// Registration of one value or enumeration member (steps in the order the
// file header gives); pRow is the row, shared by every set of the class.
template <class C, class T, class D>
void KQelRegisterValue(C* pSet, KPropertyTemplate<T>& pMember, const KPropertyRow& pRow, const D& pDefault,
                       int pFlags)
{
    pMember.SetPropertyType(KPropertyGetType(static_cast<T*>(nullptr)));
    pSet->template ListMember<C>(&pMember, &pRow);
    KQelStoreValue(pMember, static_cast<T>(pDefault));
    if (pFlags)
        pMember.ModifyPropertyFlag(pFlags, true);
}

template <class C, class T, class D>
void KQelRegisterEnum(C* pSet, KPropertyTemplate<T>& pMember, const KPropertyRow& pRow, const D& pDefault,
                      int pFlags)
{
    static_assert(std::is_enum<T>::value, "an E row needs an enumeration type");
    KQelRegisterValue(pSet, pMember, pRow, pDefault, pFlags);
    pMember.SetPropertyType(kPropertyEnum);
}

// The steps of an object-list member after it joined the list.
void KQelSetUpObjectList(KPropertyObjectList& pMember, int pContentClassId, int pContentValue,
                         KPlug::kDirection pDirection, int pFlags);

template <class C>
void KQelRegisterObjectList(C* pSet, KPropertyObjectList& pMember, const KPropertyRow& pRow, int pContentClassId,
                            int pContentValue, KPlug::kDirection pDirection, int pFlags)
{
    pMember.Init();
    pSet->template ListMember<C>(&pMember, &pRow);
    KQelSetUpObjectList(pMember, pContentClassId, pContentValue, pDirection, pFlags);
}

// Marks a property made for an A row animatable and animated; null stays null.
KProperty* KQelMarkAnimated(KProperty* pProperty);

// The animated property of an A row: AddAnimatedProperty with a row of the
// class (name and data type), which the property uses without a copy; the
// row is used up even when no property is made.
template <class C>
KProperty* KQelRegisterAnimated(C& pSet, const KPropertyRow& pRow)
{
    if (!pRow.mDataType)
        return nullptr;
    return KQelMarkAnimated(pSet.template CreateMemberOnRow<C>(&pRow, DataTypeToPropertyType(pRow.mDataType)));
}

// The row of an A row.
KPropertyRow KQelAnimatedRow(const char* pName, const char* pDataTypeName);

}  // namespace detail

// ---- Class identity ----

// Inside a class of the object model: its class id and definition, and the
// override that answers them (Is, GetClassId and GetClassIdName follow from
// the definition). Leaves the access at public.
#define QEL_CLASS_IDENTITY(Class)                                        \
public:                                                                  \
    static int ClassId;                                                  \
    static ::qelsdk_600::KClassDefinition ClassDefinition;               \
    ::qelsdk_600::KClassDefinition* GetClassDefinition() const override;

// In the class's source file (inside the namespace): the definition named
// after the class with its parent's definition, registered during static
// initialisation under the next free id.
#define QEL_CLASS_IDENTITY_DEFINE(Class, Parent)                                               \
    ::qelsdk_600::KClassDefinition Class::ClassDefinition = {&Class::ClassId,                  \
                                                             &Parent::ClassDefinition, #Class, \
                                                             nullptr};                         \
    int Class::ClassId = ::qelsdk_600::KPlug_RegisterClassId(&Class::ClassDefinition, -1);     \
    ::qelsdk_600::KClassDefinition* Class::GetClassDefinition() const { return &ClassDefinition; }

// ---- Table expansion ----

#define QEL_PSET_IGNORE(...)

#define QEL_PSET_ACCESSORS_V(Type, Name, Text, Default, Flags)                                  \
    virtual void Name##Set(Type pValue) { ::qelsdk_600::detail::KQelStoreValue(Name, pValue); } \
    virtual Type Name##Get() { return Name.GetValue(); }
#define QEL_PSET_ACCESSORS_E(Type, Name, Text, AsString, Default, Flags) \
    virtual void Name##Set(Type pValue) { Name.SetValue(pValue); }       \
    virtual Type Name##Get() { return Name.GetValue(); }                 \
    const char* Name##AsStringBound(int pValue) { return AsString(static_cast<Type>(pValue)); }
#define QEL_PSET_ACCESSORS_L(Name, Text, ContentClass, ContentValue, Direction, Flags) \
    bool Name##Set(int pIndex, ::qelsdk_600::KObject* pObject) { return Name.SetAt(pIndex, pObject); } \
    ::qelsdk_600::KObject* Name##Get(int pIndex) { return Name.GetAt(pIndex); }

#define QEL_PSET_MEMBER_V(Type, Name, Text, Default, Flags) ::qelsdk_600::KPropertyTemplate<Type> Name;
#define QEL_PSET_MEMBER_E(Type, Name, Text, AsString, Default, Flags) \
    ::qelsdk_600::KPropertyTemplate<Type> Name;
#define QEL_PSET_MEMBER_L(Name, Text, ContentClass, ContentValue, Direction, Flags) \
    ::qelsdk_600::KPropertyObjectList Name;

// Inside the class body: the accessors of every row (virtual pairs in table
// order), then the members. Leaves the access at public.
#define QEL_PROPERTY_SET_BODY(List)                                              \
public:                                                                          \
    List(QEL_PSET_ACCESSORS_V, QEL_PSET_ACCESSORS_E, QEL_PSET_ACCESSORS_L, QEL_PSET_IGNORE) \
    List(QEL_PSET_MEMBER_V, QEL_PSET_MEMBER_E, QEL_PSET_MEMBER_L, QEL_PSET_IGNORE)

// The rows of a table are one constant array of the constructor, in list
// order (made on its first run and shared by every set of the class from
// then on), with the class's name table over them; registration walks the
// array with QelRow_.
#define QEL_PSET_ROW_V(Type, Name, Text, Default, Flags) \
    ::qelsdk_600::detail::KQelValueRow(Text, &QelSet_::Name, &QelSet_::Name##Get, &QelSet_::Name##Set),
#define QEL_PSET_ROW_E(Type, Name, Text, AsString, Default, Flags)                                       \
    ::qelsdk_600::detail::KQelValueRow(Text, &QelSet_::Name, &QelSet_::Name##Get, &QelSet_::Name##Set, \
                                       &QelSet_::Name##AsStringBound),
#define QEL_PSET_ROW_L(Name, Text, ContentClass, ContentValue, Direction, Flags) \
    ::qelsdk_600::KPropertyRow{Text, {nullptr, nullptr, nullptr}, nullptr},
#define QEL_PSET_ROW_A(Text, DataType) ::qelsdk_600::detail::KQelAnimatedRow(Text, DataType),

#define QEL_PSET_REGISTER_V(Type, Name, Text, Default, Flags) \
    ::qelsdk_600::detail::KQelRegisterValue(this, Name, *QelRow_++, Default, Flags);
#define QEL_PSET_REGISTER_E(Type, Name, Text, AsString, Default, Flags) \
    ::qelsdk_600::detail::KQelRegisterEnum(this, Name, *QelRow_++, Default, Flags);
#define QEL_PSET_REGISTER_L(Name, Text, ContentClass, ContentValue, Direction, Flags) \
    ::qelsdk_600::detail::KQelRegisterObjectList(this, Name, *QelRow_++, ContentClass::ClassId, ContentValue, \
                                                 Direction, Flags);
#define QEL_PSET_REGISTER_A(Text, DataType) ::qelsdk_600::detail::KQelRegisterAnimated(*this, *QelRow_++);

// Registration over an array of rows, given as the rows' initialiser (an
// unused last row keeps the array non-empty) and the registering
// expansions in the same order.
#define QEL_PSET_REGISTER_ROWS(Rows, Registration)                                               \
    do {                                                                                         \
        typedef std::remove_pointer_t<decltype(this)> QelSet_;                                   \
        static const ::qelsdk_600::KPropertyRow kQelRows[] = {Rows::qelsdk_600::KPropertyRow{}}; \
        static const int kQelCount = static_cast<int>(sizeof(kQelRows) / sizeof(kQelRows[0])) - 1; \
        static const ::qelsdk_600::KPropertyNames kQelNames(kQelRows, kQelCount);                \
        const ::qelsdk_600::KPropertyRow* QelRow_ = kQelRows;                                    \
        ReserveProperties(kQelCount);                                                            \
        Registration                                                                             \
        UseClassNames(&kQelNames);                                                               \
    } while (0)

// In the constructor body: registers the members in table order, then makes
// the animated properties in table order.
#define QEL_PROPERTY_SET_REGISTER(List)                                                           \
    QEL_PSET_REGISTER_ROWS(List(QEL_PSET_ROW_V, QEL_PSET_ROW_E, QEL_PSET_ROW_L, QEL_PSET_IGNORE)  \
                               List(QEL_PSET_IGNORE, QEL_PSET_IGNORE, QEL_PSET_IGNORE, QEL_PSET_ROW_A), \
                           List(QEL_PSET_REGISTER_V, QEL_PSET_REGISTER_E, QEL_PSET_REGISTER_L, QEL_PSET_IGNORE) \
                               List(QEL_PSET_IGNORE, QEL_PSET_IGNORE, QEL_PSET_IGNORE, QEL_PSET_REGISTER_A))

// The same in one pass, for sets whose animated properties keep their place
// among the members: every row, animated or not, in table order.
#define QEL_PROPERTY_SET_REGISTER_IN_PLACE(List)                                                  \
    QEL_PSET_REGISTER_ROWS(List(QEL_PSET_ROW_V, QEL_PSET_ROW_E, QEL_PSET_ROW_L, QEL_PSET_ROW_A),  \
                           List(QEL_PSET_REGISTER_V, QEL_PSET_REGISTER_E, QEL_PSET_REGISTER_L,    \
                                QEL_PSET_REGISTER_A))

}  // namespace qelsdk_600

#endif
