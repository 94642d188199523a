// Walks the items of a selection list.
#ifndef VESK_MITSELECTIONLIST_H
#define VESK_MITSELECTIONLIST_H

#include <vesk/MDagPath.h>
#include <vesk/MFn.h>
#include <vesk/MObject.h>
#include <vesk/MPlug.h>
#include <vesk/MSelectionList.h>
#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

// Works on a copy of the list taken at construction. With a filter, an item
// is reported when its node or its components have the filter's type (so
// kComponent reports the component items).
class VESK_API MItSelectionList {
public:
    enum selItemType { kDagSelectionItem = 0, kDNselectionItem = 1, kPlugSelectionItem = 2, kUnknownItem = 3 };

    MItSelectionList(const MSelectionList& list, MFn::Type filter = MFn::kInvalid, MStatus* status = nullptr);

    MStatus reset();
    bool isDone(MStatus* status = nullptr) const;
    MStatus next();
    MStatus getDagPath(MDagPath& path) const;
    MStatus getDagPath(MDagPath& path, MObject& component) const;
    MStatus getDependNode(MObject& node) const;
    MStatus getPlug(MPlug& plug) const;
    bool hasComponents(MStatus* status = nullptr) const;
    selItemType itemType(MStatus* status = nullptr) const;

private:
    bool passes(unsigned int index) const;
    void skip();

    MSelectionList mList;
    MFn::Type mFilter;
    unsigned int mPos = 0;
};

#endif
