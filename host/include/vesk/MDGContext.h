// The evaluation context of plug reads.
#ifndef VESK_MDGCONTEXT_H
#define VESK_MDGCONTEXT_H

#include <vesk/VeskExport.h>

// Only the normal context exists: a read gives the value at the current
// time.
class VESK_API MDGContext {
public:
    MDGContext() {}
    static MDGContext fsNormal;
    bool isNormal() const { return true; }
};

#endif
