// Short, distinct names for 3D Studio objects.
#ifndef QELSDK_FORMATS_3DS_KRENAMINGSTRATEGY3DS_H
#define QELSDK_FORMATS_3DS_KRENAMINGSTRATEGY3DS_H

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "base/kname.h"

namespace qelsdk_600 {

// Drops a name's kind prefix, cuts it so that three characters stay free
// for a number, and numbers repeats: Cylinder01, Cylinder02 with maxLen 10
// become Cylinde, Cylinde1. A name this pass has already produced is
// numbered on until it is free (Box, Box, Box1 give Box, Box1, Box11), so
// every name of a pass is distinct; a number that would pass maxLen cuts the
// text further. Texts compare case-sensitively and are found by hash. The
// base class's own list is not used.
class KRenamingStrategy3DS : public KNumberRenamingStrategy {
public:
    KRenamingStrategy3DS();
    ~KRenamingStrategy3DS() override;

    // Forgets every name: numbering starts over.
    void Clear() override;
    // Rename(pName, 10).
    bool Rename(KName& pName) override;
    // Renames pName's current name; true when it was numbered, false when it
    // was new (also when the prefix removal or the cut changed it).
    bool Rename(KName& pName, int pMaxLen);
    // A new empty strategy; the caller owns it.
    KRenamingStrategy* Clone() override;

    // Drops everything up to and including the first "::" in place; true.
    static bool RemoveTVPrefix(char*& pName);
    // Cuts the text in place to its first pLength characters; true.
    static bool ReduceName(char*& pName, int pLength);

private:
    // Text as first recorded to the number of repeats numbered so far.
    std::unordered_map<std::string, int> mCounters;
    // Every name produced since the last Clear.
    std::unordered_set<std::string> mProduced;
};

}  // namespace qelsdk_600

#endif
