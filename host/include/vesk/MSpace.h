// The spaces in which transform values are given.
#ifndef VESK_MSPACE_H
#define VESK_MSPACE_H

// kTransform is the transform's own space; kObject (2) counts as kTransform
// where a call accepts it. World-space edits are not offered.
class MSpace {
public:
    enum Space {
        kInvalid = 0,
        kTransform = 1,
        kPreTransform = 2,
        kObject = kPreTransform,
        kPostTransform = 3,
        kWorld = 4,
        kLast = 5
    };
};

#endif
