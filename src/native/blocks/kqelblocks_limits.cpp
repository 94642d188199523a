// Filled by the block unit; until then nothing is read or written.
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadKQelNodeLimits(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ReadKQelNodePivots(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeLimits(KQelNode&)
{
    return true;
}

}  // namespace qelsdk_600
