// Attributes made of named children.
#ifndef VESK_MFNCOMPOUNDATTRIBUTE_H
#define VESK_MFNCOMPOUNDATTRIBUTE_H

#include <vesk/MFnAttribute.h>
#include <vesk/VeskExport.h>

class VESK_API MFnCompoundAttribute : public MFnAttribute {
public:
    MFnCompoundAttribute() {}
    MFnCompoundAttribute(const MObject& attribute, MStatus* status = nullptr);
    MFn::Type type() const override;

    MObject create(const MString& longName, const MString& shortName, MStatus* status = nullptr);
    // Appends a free attribute as a child (before the compound is added to a
    // node); a held child, a name used in the compound, or array nesting past
    // four levels fail with kInvalidParameter.
    MStatus addChild(const MObject& child);
    unsigned int numChildren(MStatus* status = nullptr) const;
    MObject child(unsigned int index, MStatus* status = nullptr) const;

protected:
    bool accepts(const MObject& object) const override;
};

#endif
