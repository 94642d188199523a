// NURBS surface and patch blocks. They join this unit later; until then
// nothing is read or written.
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadKQelNurb(KQelNurb&)
{
    return true;
}

bool KQelReaderQel::ReadKQelPatch(KQelPatch&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNurb(KQelNurb&)
{
    return true;
}

bool KQelWriterQel::WriteKQelPatch(KQelPatch&)
{
    return true;
}

}  // namespace qelsdk_600
