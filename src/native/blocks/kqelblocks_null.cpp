// Null, marker, optical reference and skeleton blocks. They join this unit
// later; until then nothing is read or written.
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadKQelNull(KQelNull&)
{
    return true;
}

bool KQelReaderQel::ReadKQelMarker(KQelMarker&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNull(KQelNull*)
{
    return true;
}

bool KQelWriterQel::WriteKQelMarker(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelOpticalReference(KQelOpticalReference&)
{
    return true;
}

bool KQelWriterQel::WriteKQelSkeleton(KQelSkeleton&)
{
    return true;
}

}  // namespace qelsdk_600
