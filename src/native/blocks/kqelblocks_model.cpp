// Model blocks: one node's settings, attribute, channels and children, in
// both layouts, and generic nodes. The model block joins this unit later;
// until then nodes are created by the drivers but their blocks are neither
// read nor written.
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadNode()
{
    return true;
}

bool KQelReaderQel::ReadKQelNode(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ReadKQelGenericNode(KQelGenericNode&)
{
    return true;
}

KQelNode* KQelReaderQel::FindNode(const char* pName)
{
    return reinterpret_cast<KQelNode*>(mNodeTable.Get(pName));
}

bool KQelWriterQel::WriteNode(KQelNode*)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeParameters(KQelNode&)
{
    return true;
}

}  // namespace qelsdk_600
