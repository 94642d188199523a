// Attributes: the named, typed slots of nodes, alone or as compounds and
// arrays.
#ifndef VESK_STORE_ATTRIBUTE_H
#define VESK_STORE_ATTRIBUTE_H

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <vesk/MFn.h>
#include <vesk/VeskExport.h>

#include "store/ids.h"
#include "store/ref.h"

namespace vesk {

class NodeStore;
struct Value;

// The shape of an attribute's value.
enum class AttrForm : unsigned char {
    kNumeric,         // one number of a numeric type (bool to double)
    kNumericCompound, // two to four numbers of one type, as children
    kUnit,            // one number in an angle, distance or time unit
    kEnum,            // a short integer with named fields
    kTyped,           // a data value (text, geometry)
    kCompound,        // named children of any forms
    kMessage,         // no value; connections only
    kMatrix           // one 4x4 matrix
};

// Computes the value of a plug of a computed attribute on a node. False
// when no value can be given (the stored value is used instead).
typedef std::function<bool(NodeStore& store, NodeId node, const PlugKey& key, Value& out)> ComputeFn;
// Lists the existing logical indices of a computed array plug (key's own
// level unset).
typedef std::function<void(NodeStore& store, NodeId node, const PlugKey& key, std::vector<uint32_t>& out)>
    ElementsFn;

// One attribute. A top-level attribute belongs to a node kind (static),
// to one node (dynamic) or to nobody yet (free, as the attribute creators
// make it); children belong with their top-level ancestor. Attributes of
// kinds are immortal; the others are counted references.
class VESK_API Attribute : public RefObject {
public:
    enum Owner { kFree, kStatic, kDynamic };

    Attribute(AttrForm form, const std::string& longName, const std::string& shortName);
    ~Attribute() override;

    bool alive() const override { return !mDeleted; }

    AttrForm form() const { return mForm; }
    const std::string& longName() const { return mLongName; }
    const std::string& shortName() const { return mShortName; }

    // Numeric type (MFnNumericData::Type) of numbers and numeric compounds.
    int numericType = 0;
    // 1 angle, 2 distance, 3 time (MFnUnitAttribute::Type) of unit attributes.
    int unitType = 0;
    // MFnData::Type of typed attributes.
    int dataType = 0;

    bool array = false;
    bool readable = true;
    bool writable = true;
    bool connectable = true;
    bool storable = true;
    bool hidden = false;
    bool keyable = false;
    bool usedAsColor = false;
    bool internal = false;

    // Default of numbers, units and enums (internal units); texts start as
    // defaultText.
    double defaultValue = 0.0;
    std::string defaultText;
    bool hasMin = false, hasMax = false, hasSoftMin = false, hasSoftMax = false;
    double minValue = 0.0, maxValue = 0.0, softMinValue = 0.0, softMaxValue = 0.0;
    // Enum fields: name and value, in order of addition.
    std::vector<std::pair<std::string, short>> fields;

    // Set on attributes whose value is computed (a world matrix, a curve
    // output, geometry); elements lists a computed array's indices.
    ComputeFn compute;
    ElementsFn elements;

    Attribute* parent() const { return mParent; }
    const std::vector<Attribute*>& children() const { return mChildren; }
    // Appends a free top-level attribute as the last child; from then on the
    // compound's tree owns it. False when the child already has a parent or
    // an owner, or the nesting would exceed kMaxLevels array levels.
    bool addChild(const Ref<Attribute>& child);
    Attribute* root();
    const Attribute* root() const;
    // True when a is this attribute or one of its ancestors.
    bool isSelfOrDescendantOf(const Attribute* a) const;

    // Number of array attributes from the top-level ancestor down to this
    // one, this one included.
    int levelCount() const;
    // This attribute's own level, or -1 when it is not an array.
    int ownLevel() const { return array ? levelCount() - 1 : -1; }
    // The level of an array ancestor (or of this attribute), or -1.
    int levelOf(const Attribute* ancestor) const;
    // Levels strictly above this attribute.
    int ancestorLevels() const { return array ? levelCount() - 1 : levelCount(); }

    bool isLeaf() const { return mChildren.empty(); }
    // Numbers, units and enums: every numeric get and set applies.
    bool isNumericLeaf() const;
    // Integer numeric types, enums and booleans.
    bool isIntegerValued() const;

    Owner owner() const { return root()->mOwner; }
    NodeId ownerNode() const { return root()->mOwnerNode; }
    void setOwner(Owner owner, NodeId node);
    bool deleted() const { return mDeleted; }
    // Marks this attribute and its children deleted.
    void markDeleted();

    // The MFn type: kNumericAttribute for numbers and numeric compounds,
    // kUnitAttribute, kEnumAttribute, kTypedAttribute, kCompoundAttribute,
    // kMessageAttribute or kMatrixAttribute.
    static MFn::Type typeOfForm(AttrForm form);

private:
    AttrForm mForm;
    std::string mLongName;
    std::string mShortName;
    Attribute* mParent = nullptr;
    std::vector<Attribute*> mChildren;
    Owner mOwner = kFree;
    NodeId mOwnerNode;
    bool mDeleted = false;
};

// A numeric compound's children: the type of each, and the name suffixes
// ("X", "Y", "Z"; "R", "G", "B" for colours).
int numericChildType(int compoundType);
int numericChildCount(int compoundType);

// Makes a free numeric attribute; compound types (k2Short to k4Double)
// get their children, named long name + "X", "Y", "Z" ("W"), or + "R", "G",
// "B" for a colour, and short name + the same suffix (in lower case with
// lowerShort, as the kinds' own attributes: "sx"). Bad types give null.
VESK_API Ref<Attribute> makeNumericAttribute(const std::string& longName, const std::string& shortName,
                                             int numericType, double defaultValue, bool color = false,
                                             bool lowerShort = false);

} // namespace vesk

#endif
