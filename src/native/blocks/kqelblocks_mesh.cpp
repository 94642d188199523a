// Mesh blocks. They join this unit later; until then nothing is read or
// written.
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadKQelMesh(KQelMesh&)
{
    return true;
}

bool KQelWriterQel::WriteKQelMesh(KQelMesh&)
{
    return true;
}

}  // namespace qelsdk_600
