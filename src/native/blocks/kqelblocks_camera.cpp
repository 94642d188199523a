// The camera block, in model blocks and in the producer cameras of the
// camera settings. Its fields join this unit later; until then a camera is
// neither read nor written.
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadKQelCamera(KQelCamera&)
{
    return true;
}

bool KQelWriterQel::WriteKQelCamera(KQelCamera&, bool)
{
    return true;
}

}  // namespace qelsdk_600
