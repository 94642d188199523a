// Function set of attributes: names and flags.
#ifndef VESK_MFNATTRIBUTE_H
#define VESK_MFNATTRIBUTE_H

#include <vesk/MFnBase.h>
#include <vesk/MString.h>
#include <vesk/VeskExport.h>

// Works on every attribute. The attributes of node kinds cannot be changed:
// their setters fail with kInvalidParameter. New attributes are readable,
// writable, connectable and storable, not hidden, keyable or arrays.
class VESK_API MFnAttribute : public MFnBase {
public:
    MFnAttribute() {}
    MFnAttribute(const MObject& attribute, MStatus* status = nullptr);
    MFn::Type type() const override;

    MString name(MStatus* status = nullptr) const;
    MString shortName(MStatus* status = nullptr) const;
    // The compound holding this attribute, or null.
    MObject parent(MStatus* status = nullptr) const;

    bool isReadable(MStatus* status = nullptr) const;
    bool isWritable(MStatus* status = nullptr) const;
    bool isConnectable(MStatus* status = nullptr) const;
    bool isStorable(MStatus* status = nullptr) const;
    bool isHidden(MStatus* status = nullptr) const;
    bool isKeyable(MStatus* status = nullptr) const;
    bool isArray(MStatus* status = nullptr) const;
    bool isUsedAsColor(MStatus* status = nullptr) const;
    bool isInternal(MStatus* status = nullptr) const;

    MStatus setReadable(bool on);
    MStatus setWritable(bool on);
    MStatus setConnectable(bool on);
    MStatus setStorable(bool on);
    MStatus setHidden(bool on);
    MStatus setKeyable(bool on);
    // Only before the attribute is added to a node.
    MStatus setArray(bool on);
    MStatus setUsedAsColor(bool on);
    MStatus setInternal(bool on);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
