// A plug: one attribute of one node, with the element indices of its array
// levels.
#ifndef VESK_MPLUG_H
#define VESK_MPLUG_H

#include <vesk/MDGContext.h>
#include <vesk/MObject.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/VeskExport.h>

class MIntArray;
class MPlugArray;

// A plug of an array attribute without an index is the array plug; with
// one, an element. Elements exist once they hold a value or a connection;
// logical indices may be sparse, physical indices count the existing ones
// in ascending logical order. Calls on a null plug, or on a plug whose node
// or attribute is gone, fail with kInvalidParameter and give empty results.
//
// Values: every numeric get and set form works on every numeric attribute
// (numbers, units in internal units, enums, booleans). Integers narrow
// modulo 2^n; doubles truncate toward zero, NaN gives 0 and out-of-range
// values clamp. Texts and data convert only within their own kind: other
// calls fail with kInvalidParameter and leave the argument unchanged, as do
// writes to outputs (attributes that are not writable). A locked plug (or a plug under a locked one) refuses every write with
// kFailure. A destination reads its source only when the source is
// computed (a curve output, a world matrix, geometry).
class VESK_API MPlug {
public:
    MPlug();
    // The plug of the attribute on the node (array levels unset); null when
    // the node does not hold the attribute.
    MPlug(const MObject& node, const MObject& attribute);
    MPlug(const MPlug& other);
    MPlug& operator=(const MPlug& other);
    ~MPlug();

    bool isNull(MStatus* status = nullptr) const;
    MObject node(MStatus* status = nullptr) const;
    MObject attribute(MStatus* status = nullptr) const;

    // The node's address (partial path, or name), "." and the long-name
    // plug path ("wl[2].weights[5]"); an aliased element shows its alias.
    MString name(MStatus* status = nullptr) const;
    // As name() but never an alias.
    MString info(MStatus* status = nullptr) const;
    // The plug path with short names; includeNodeName puts the node's
    // address and "." before it, useLongNames uses long names. The other
    // flags change nothing.
    MString partialName(bool includeNodeName = false, bool includeNonMandatoryIndices = false,
                        bool includeInstancedIndices = false, bool useAlias = false,
                        bool useFullAttributePath = false, bool useLongNames = false,
                        MStatus* status = nullptr) const;

    bool isArray(MStatus* status = nullptr) const;
    bool isElement(MStatus* status = nullptr) const;
    bool isCompound(MStatus* status = nullptr) const;
    bool isChild(MStatus* status = nullptr) const;
    unsigned int numChildren(MStatus* status = nullptr) const;
    MPlug child(unsigned int index, MStatus* status = nullptr) const;
    MPlug child(const MObject& attribute, MStatus* status = nullptr) const;
    MPlug parent(MStatus* status = nullptr) const;
    // The array plug of an element.
    MPlug array(MStatus* status = nullptr) const;

    // Existing elements of an array plug.
    unsigned int numElements(MStatus* status = nullptr) const;
    // The element of a logical index (it need not exist yet); fails only on
    // a plug that is not an array plug.
    MPlug elementByLogicalIndex(unsigned int logicalIndex, MStatus* status = nullptr) const;
    // The element at a physical position; null with kInvalidParameter past
    // the end.
    MPlug elementByPhysicalIndex(unsigned int physicalIndex, MStatus* status = nullptr) const;
    // elementByPhysicalIndex without a status.
    MPlug operator[](unsigned int physicalIndex) const;
    // An element's logical index; 0xFFFFFFFF with a failure otherwise.
    unsigned int logicalIndex(MStatus* status = nullptr) const;
    // The logical indices of the existing elements; their count.
    int getExistingArrayAttributeIndices(MIntArray& indices, MStatus* status = nullptr) const;
    // Sets the index of an array ancestor (or of the plug's own array
    // attribute); the null attribute means the nearest array above.
    MStatus selectAncestorLogicalIndex(unsigned int index, const MObject& attribute = MObject::kNullObj);

    bool isConnected(MStatus* status = nullptr) const;
    bool isDestination(MStatus* status = nullptr) const;
    bool isSource(MStatus* status = nullptr) const;
    // The plugs at the other ends: the source (asDst) and the destinations
    // (asSrc), in order of connection. True when any was found.
    bool connectedTo(MPlugArray& plugs, bool asDst, bool asSrc, MStatus* status = nullptr) const;

    // Locked by itself or through a plug above it.
    bool isLocked(MStatus* status = nullptr) const;
    // Sets this plug's own lock.
    MStatus setLocked(bool locked);

    MStatus getValue(bool& value, const MDGContext& context = MDGContext::fsNormal) const;
    MStatus getValue(char& value, const MDGContext& context = MDGContext::fsNormal) const;
    MStatus getValue(short& value, const MDGContext& context = MDGContext::fsNormal) const;
    MStatus getValue(int& value, const MDGContext& context = MDGContext::fsNormal) const;
    MStatus getValue(float& value, const MDGContext& context = MDGContext::fsNormal) const;
    MStatus getValue(double& value, const MDGContext& context = MDGContext::fsNormal) const;
    MStatus getValue(MString& value, const MDGContext& context = MDGContext::fsNormal) const;
    // Data: a copy of a matrix plug's matrix, a numeric compound's numbers,
    // or the held data object (null when none).
    MStatus getValue(MObject& value, const MDGContext& context = MDGContext::fsNormal) const;
    MStatus setValue(bool value);
    MStatus setValue(char value);
    MStatus setValue(short value);
    MStatus setValue(int value);
    MStatus setValue(float value);
    MStatus setValue(double value);
    MStatus setValue(const MString& value);
    MStatus setValue(const char* value);
    MStatus setValue(const MObject& value);

    bool asBool(const MDGContext& context = MDGContext::fsNormal, MStatus* status = nullptr) const;
    char asChar(const MDGContext& context = MDGContext::fsNormal, MStatus* status = nullptr) const;
    short asShort(const MDGContext& context = MDGContext::fsNormal, MStatus* status = nullptr) const;
    int asInt(const MDGContext& context = MDGContext::fsNormal, MStatus* status = nullptr) const;
    float asFloat(const MDGContext& context = MDGContext::fsNormal, MStatus* status = nullptr) const;
    double asDouble(const MDGContext& context = MDGContext::fsNormal, MStatus* status = nullptr) const;
    MString asString(const MDGContext& context = MDGContext::fsNormal, MStatus* status = nullptr) const;
    MObject asMObject(const MDGContext& context = MDGContext::fsNormal, MStatus* status = nullptr) const;

    // Same node, attribute and indices.
    bool operator==(const MPlug& other) const;
    bool operator!=(const MPlug& other) const { return !(*this == other); }

private:
    friend struct vesk::ObjectAccess;

    vesk::RefObject* mAttr = nullptr;
    unsigned int mNodeIndex = 0xFFFFFFFFu;
    unsigned int mNodeGen = 0;
    unsigned int mIdx[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
};

#endif
