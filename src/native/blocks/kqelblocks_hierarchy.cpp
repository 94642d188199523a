// Hierarchy resolution of the older layout (children, links, look-at and
// up-vector targets by name) and user property blocks. They join this unit
// later; until then the flat nodes stay as read.
#include "native/reader/kqelreaderqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadHierarchy(KQelNode&)
{
    return true;
}

}  // namespace qelsdk_600
