// Filled by the block unit; until then nothing is read or written.
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadHierarchy(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ResolveHierarchy(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ResolveLinks(KQelNode&, KQelNode&)
{
    return true;
}

bool KQelReaderQel::ResolveTargets(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ResolveUpNodes(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ReadUserProperties(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeUserProperties(KQelNode&)
{
    return true;
}

void native_detail::NodeNameIndexDeleter::operator()(NodeNameIndex* pIndex) const
{
    delete pIndex;
}

}  // namespace qelsdk_600
