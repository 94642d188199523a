// Geometry common blocks of the older layout and the layer elements of the
// current one. They join this unit later; until then nothing is read or
// written.
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadKQelGeometry(KQelGeometry&)
{
    return true;
}

bool KQelReaderQel::ReadLayerElements(KQelGeometry&)
{
    return true;
}

bool KQelWriterQel::WriteKQelGeometry(KQelGeometry&)
{
    return true;
}

}  // namespace qelsdk_600
